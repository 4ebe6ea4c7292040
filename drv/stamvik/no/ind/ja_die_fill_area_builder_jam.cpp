// Scripting class "Die.FillAreaBuilder", made by the journaling engine from
// its description.
#include "ja_die_fill_area_builder_jam.hpp"

namespace ja_die_fill_area_builder_jam {
namespace {

class Die_FillAreaBuilder_JournalledImpl final : public Die_FillAreaBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_FILL_AREA_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_FillAreaBuilder_UnjournalledImpl final : public Die_FillAreaBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_FILL_AREA_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_FillAreaBuilder_JournalledImpl journalled;
Die_FillAreaBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_fill_area_builder_jam

using ja_die_fill_area_builder_jam::Members;
using ja_die_fill_area_builder_jam::Unit;

void JA_FillAreaBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_FillAreaBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_FillAreaBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_FillAreaBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }

namespace KTX::JA {
void LoadFillAreaBuilderUnit() {
  LoadUnit<Unit>(&ja_die_fill_area_builder_jam::journalled, &ja_die_fill_area_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_die_fill_area_builder_jam
#define JA_EXPORT_CLASS FILL_AREA_BUILDER
JA_DIE_FILL_AREA_BUILDER_MEMBERS(JA_EXPORT)
