// Scripting class "Die.CompensateRoughDataBuilder", made by the journaling engine from
// its description.
#include "ja_die_compensate_rough_data_builder_jam.hpp"

namespace ja_die_compensate_rough_data_builder_jam {
namespace {

class Die_CompensateRoughDataBuilder_JournalledImpl final : public Die_CompensateRoughDataBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Die_CompensateRoughDataBuilder_UnjournalledImpl final : public Die_CompensateRoughDataBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Die_CompensateRoughDataBuilder_JournalledImpl journalled;
Die_CompensateRoughDataBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_die_compensate_rough_data_builder_jam

using ja_die_compensate_rough_data_builder_jam::Members;
using ja_die_compensate_rough_data_builder_jam::Unit;

void JA_CompensateRoughDataBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_CompensateRoughDataBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_CompensateRoughDataBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_CompensateRoughDataBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }
namespace KTX::JA {
void LoadCompensateRoughDataBuilderUnit() { LoadUnit<Unit>(&ja_die_compensate_rough_data_builder_jam::journalled, &ja_die_compensate_rough_data_builder_jam::unjournalled); }
}  // namespace KTX::JA

#define JA_UNIT ja_die_compensate_rough_data_builder_jam
#define JA_EXPORT_CLASS COMPENSATE_ROUGH_DATA_BUILDER
JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS(JA_EXPORT)
