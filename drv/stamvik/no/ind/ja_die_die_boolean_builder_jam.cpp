// Scripting class "Die.DieBooleanBuilder", made by the journaling engine from
// its description.
#include "ja_die_die_boolean_builder_jam.hpp"

namespace ja_die_die_boolean_builder_jam {
namespace {

class Die_DieBooleanBuilder_JournalledImpl final : public Die_DieBooleanBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_DieBooleanBuilder_UnjournalledImpl final : public Die_DieBooleanBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_DieBooleanBuilder_JournalledImpl journalled;
Die_DieBooleanBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_die_boolean_builder_jam

using ja_die_die_boolean_builder_jam::Members;
using ja_die_die_boolean_builder_jam::Unit;

void JA_DieBooleanBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_DieBooleanBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_DieBooleanBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}

namespace KTX::JA {
void LoadDieBooleanBuilderUnit() { LoadUnit<Unit>(&ja_die_die_boolean_builder_jam::journalled, &ja_die_die_boolean_builder_jam::unjournalled); }
}  // namespace KTX::JA

#define JA_UNIT ja_die_die_boolean_builder_jam
#define JA_EXPORT_CLASS DIE_BOOLEAN_BUILDER
JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(JA_EXPORT)
