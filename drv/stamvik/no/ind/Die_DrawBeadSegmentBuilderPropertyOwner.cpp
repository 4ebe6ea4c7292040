// Property owner of "Die.DrawBeadSegmentBuilder", made by the owner engine from the
// class's member table.
#include "ja_die_draw_bead_segment_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_die_draw_bead_segment_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_die_draw_bead_segment_builder_jam::Unit;
  using Interface = ::Die_DrawBeadSegmentBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_DIE_DRAW_BEAD_SEGMENT_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Die_DrawBeadSegmentBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_die_draw_bead_segment_builder_jam

JA_PROPERTY_OWNER(Die_DrawBeadSegmentBuilderPropertyOwner, ja_die_draw_bead_segment_builder_jam::PropertyOwnerDescription)
