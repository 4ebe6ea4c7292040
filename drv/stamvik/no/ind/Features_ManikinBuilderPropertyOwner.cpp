// Property owner of "Features.ManikinBuilder", made by the owner engine from the
// class's member table.
#include "ja_features_manikin_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_features_manikin_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_features_manikin_builder_jam::Unit;
  using Interface = ::Features_ManikinBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_FEATURES_MANIKIN_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Features_ManikinBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_features_manikin_builder_jam

JA_PROPERTY_OWNER(Features_ManikinBuilderPropertyOwner, ja_features_manikin_builder_jam::PropertyOwnerDescription)
