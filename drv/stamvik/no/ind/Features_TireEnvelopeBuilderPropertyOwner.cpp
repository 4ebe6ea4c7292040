// Property owner of "Features.TireEnvelopeBuilder", made by the owner engine from the
// class's member table.
#include "ja_features_tire_envelope_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_features_tire_envelope_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_features_tire_envelope_builder_jam::Unit;
  using Interface = ::Features_TireEnvelopeBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Features_TireEnvelopeBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_features_tire_envelope_builder_jam

JA_PROPERTY_OWNER(Features_TireEnvelopeBuilderPropertyOwner, ja_features_tire_envelope_builder_jam::PropertyOwnerDescription)
