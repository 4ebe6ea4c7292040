// Scripting class "Die.DieLocationsBuilder", made by the journaling engine
// from its description.
#include "ja_die_die_locations_builder_jam.hpp"

namespace ja_die_die_locations_builder_jam {
namespace {

class Die_DieLocationsBuilder_JournalledImpl final : public Die_DieLocationsBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_DieLocationsBuilder_UnjournalledImpl final : public Die_DieLocationsBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_DieLocationsBuilder_JournalledImpl journalled;
Die_DieLocationsBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_die_locations_builder_jam

using ja_die_die_locations_builder_jam::Members;
using ja_die_die_locations_builder_jam::Unit;

void JA_DieLocationsBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_DieLocationsBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_DieLocationsBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}

namespace KTX::JA {
void LoadDieLocationsBuilderUnit() {
  LoadUnit<Unit>(&ja_die_die_locations_builder_jam::journalled, &ja_die_die_locations_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_die_die_locations_builder_jam
#define JA_EXPORT_CLASS DIE_LOCATIONS_BUILDER
JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS(JA_EXPORT)
