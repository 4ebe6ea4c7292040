// Scripting class "Features.TireEnvelopeBuilder", made by the journaling engine from
// its description.
#include "ja_features_tire_envelope_builder_jam.hpp"

namespace ja_features_tire_envelope_builder_jam {
namespace {

class Features_TireEnvelopeBuilder_JournalledImpl final : public Features_TireEnvelopeBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_JOURNALLED_OP)
};

class Features_TireEnvelopeBuilder_UnjournalledImpl final : public Features_TireEnvelopeBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return Unit::interfaceId; }
  JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_UNJOURNALLED_OP)
};

Features_TireEnvelopeBuilder_JournalledImpl journalled;
Features_TireEnvelopeBuilder_UnjournalledImpl unjournalled;

}  // namespace
}  // namespace ja_features_tire_envelope_builder_jam

using ja_features_tire_envelope_builder_jam::Members;
using ja_features_tire_envelope_builder_jam::Unit;

void JA_TireEnvelopeBuilder_initialize_class() { KTX::JA::InitializeClass<Unit, Members>(); }
void JA_TireEnvelopeBuilder_destroy_class() { KTX::JA::DestroyClass<Unit>(); }
void JA_TireEnvelopeBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level) {
  KTX::JA::TestPrint<Unit, Members>(tag, tagName, level);
}
void JA_TireEnvelopeBuilder_set_defaults(KTX::tag_t tag, bool apply) { KTX::JA::SetDefaults<Unit>(tag, apply); }

namespace KTX::JA {
void LoadTireEnvelopeBuilderUnit() {
  LoadUnit<Unit>(&ja_features_tire_envelope_builder_jam::journalled, &ja_features_tire_envelope_builder_jam::unjournalled);
}
}  // namespace KTX::JA

#define JA_UNIT ja_features_tire_envelope_builder_jam
#define JA_EXPORT_CLASS TIRE_ENVELOPE_BUILDER
JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_EXPORT)
