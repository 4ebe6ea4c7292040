// Property owner of "Die.DrawBeadBuilder", made by the owner engine from the
// class's member table.
#include "ja_die_draw_bead_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_die_draw_bead_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_die_draw_bead_builder_jam::Unit;
  using Interface = ::Die_DrawBeadBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_DIE_DRAW_BEAD_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Die_DrawBeadBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_die_draw_bead_builder_jam

JA_PROPERTY_OWNER(Die_DrawBeadBuilderPropertyOwner, ja_die_draw_bead_builder_jam::PropertyOwnerDescription)
