// Scripting class "Tooling.DieEngFormTaskBuilder", made by the journaling engine from
// its description.
#include "ja_tooling_die_eng_form_task_builder_jam.hpp"

namespace ja_tooling_die_eng_form_task_builder_jam {
namespace {

class Tooling_DieEngFormTaskBuilder_JournalledImpl final : public Tooling_DieEngFormTaskBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Tooling_DieEngFormTaskBuilder_UnjournalledImpl final : public Tooling_DieEngFormTaskBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Tooling_DieEngFormTaskBuilder_JournalledImpl journalled;
Tooling_DieEngFormTaskBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_tooling_die_eng_form_task_builder_jam

using ja_tooling_die_eng_form_task_builder_jam::Members;
using ja_tooling_die_eng_form_task_builder_jam::Unit;

void JA_DieEngFormTaskBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_DieEngFormTaskBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_DieEngFormTaskBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_DieEngFormTaskBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }

namespace KTX::JA {
void LoadDieEngFormTaskBuilderUnit() {
  LoadUnit<Unit>(&ja_tooling_die_eng_form_task_builder_jam::journalled, &ja_tooling_die_eng_form_task_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_tooling_die_eng_form_task_builder_jam
#define JA_EXPORT_CLASS DIE_ENG_FORM_TASK_BUILDER
JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_EXPORT)
