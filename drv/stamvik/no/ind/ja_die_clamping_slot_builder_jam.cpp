// Scripting class "Die.ClampingSlotBuilder", made by the journaling engine from
// its description.
#include "ja_die_clamping_slot_builder_jam.hpp"

namespace ja_die_clamping_slot_builder_jam {
namespace {

class Die_ClampingSlotBuilder_JournalledImpl final : public Die_ClampingSlotBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_ClampingSlotBuilder_UnjournalledImpl final : public Die_ClampingSlotBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_ClampingSlotBuilder_JournalledImpl journalled;
Die_ClampingSlotBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_clamping_slot_builder_jam

using ja_die_clamping_slot_builder_jam::Members;
using ja_die_clamping_slot_builder_jam::Unit;

void JA_ClampingSlotBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_ClampingSlotBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_ClampingSlotBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_ClampingSlotBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }
namespace KTX::JA {
void LoadClampingSlotBuilderUnit() { LoadUnit<Unit>(&ja_die_clamping_slot_builder_jam::journalled, &ja_die_clamping_slot_builder_jam::unjournalled); }
}  // namespace KTX::JA

#define JA_UNIT ja_die_clamping_slot_builder_jam
#define JA_EXPORT_CLASS CLAMPING_SLOT_BUILDER
JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(JA_EXPORT)
