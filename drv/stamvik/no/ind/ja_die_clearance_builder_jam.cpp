// Scripting class "Die.ClearanceBuilder", made by the journaling engine from
// its description.
#include "ja_die_clearance_builder_jam.hpp"

namespace ja_die_clearance_builder_jam {
namespace {

class Die_ClearanceBuilder_JournalledImpl final : public Die_ClearanceBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_CLEARANCE_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_ClearanceBuilder_UnjournalledImpl final : public Die_ClearanceBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_CLEARANCE_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_ClearanceBuilder_JournalledImpl journalled;
Die_ClearanceBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_clearance_builder_jam

using ja_die_clearance_builder_jam::Members;
using ja_die_clearance_builder_jam::Unit;

void JA_ClearanceBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_ClearanceBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_ClearanceBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_ClearanceBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }
namespace KTX::JA {
void LoadClearanceBuilderUnit() { LoadUnit<Unit>(&ja_die_clearance_builder_jam::journalled, &ja_die_clearance_builder_jam::unjournalled); }
}  // namespace KTX::JA

#define JA_UNIT ja_die_clearance_builder_jam
#define JA_EXPORT_CLASS CLEARANCE_BUILDER
JA_DIE_CLEARANCE_BUILDER_MEMBERS(JA_EXPORT)
