// Property owner of "Tooling.DieDesDrawDieBuilder", made by the owner engine from the
// class's member table.
#include "ja_tooling_die_des_draw_die_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_tooling_die_des_draw_die_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_tooling_die_des_draw_die_builder_jam::Unit;
  using Interface = ::Tooling_DieDesDrawDieBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Tooling_DieDesDrawDieBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_tooling_die_des_draw_die_builder_jam

JA_PROPERTY_OWNER(Tooling_DieDesDrawDieBuilderPropertyOwner, ja_tooling_die_des_draw_die_builder_jam::PropertyOwnerDescription)
