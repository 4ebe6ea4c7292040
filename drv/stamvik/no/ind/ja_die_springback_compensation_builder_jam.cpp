// Scripting class "Die.SpringbackCompensationBuilder", made by the journaling engine from
// its description.
#include "ja_die_springback_compensation_builder_jam.hpp"

namespace ja_die_springback_compensation_builder_jam {
namespace {

class Die_SpringbackCompensationBuilder_JournalledImpl final : public Die_SpringbackCompensationBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_SpringbackCompensationBuilder_UnjournalledImpl final : public Die_SpringbackCompensationBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_SpringbackCompensationBuilder_JournalledImpl journalled;
Die_SpringbackCompensationBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_springback_compensation_builder_jam

using ja_die_springback_compensation_builder_jam::Members;
using ja_die_springback_compensation_builder_jam::Unit;

void JA_SpringbackCompensationBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_SpringbackCompensationBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_SpringbackCompensationBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_SpringbackCompensationBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }

namespace KTX::JA {
void LoadSpringbackCompensationBuilderUnit() {
  LoadUnit<Unit>(&ja_die_springback_compensation_builder_jam::journalled, &ja_die_springback_compensation_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_die_springback_compensation_builder_jam
#define JA_EXPORT_CLASS SPRINGBACK_COMPENSATION_BUILDER
JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_EXPORT)
