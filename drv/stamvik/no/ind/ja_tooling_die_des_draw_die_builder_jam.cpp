// Scripting class "Tooling.DieDesDrawDieBuilder", made by the journaling engine from
// its description.
#include "ja_tooling_die_des_draw_die_builder_jam.hpp"

namespace ja_tooling_die_des_draw_die_builder_jam {
namespace {

class Tooling_DieDesDrawDieBuilder_JournalledImpl final : public Tooling_DieDesDrawDieBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Tooling_DieDesDrawDieBuilder_UnjournalledImpl final : public Tooling_DieDesDrawDieBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Tooling_DieDesDrawDieBuilder_JournalledImpl journalled;
Tooling_DieDesDrawDieBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_tooling_die_des_draw_die_builder_jam

using ja_tooling_die_des_draw_die_builder_jam::Members;
using ja_tooling_die_des_draw_die_builder_jam::Unit;

void JA_DieDesDrawDieBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_DieDesDrawDieBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_DieDesDrawDieBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_DieDesDrawDieBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }

namespace KTX::JA {
void LoadDieDesDrawDieBuilderUnit() {
  LoadUnit<Unit>(&ja_tooling_die_des_draw_die_builder_jam::journalled, &ja_tooling_die_des_draw_die_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_tooling_die_des_draw_die_builder_jam
#define JA_EXPORT_CLASS DIE_DES_DRAW_DIE_BUILDER
JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_EXPORT)
