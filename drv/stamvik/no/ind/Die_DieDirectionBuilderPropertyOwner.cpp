// Property owner of "Die.DieDirectionBuilder", made by the owner engine from the
// class's member table.
#include "ja_die_die_direction_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_die_die_direction_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_die_die_direction_builder_jam::Unit;
  using Interface = ::Die_DieDirectionBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_DIE_DIE_DIRECTION_BUILDER_MEMBERS(JA_OWNER_OP)>;
  // The source data type is the scripting name of InputType; no property stands for it.
  static constexpr std::array<const char*, 1> unpublished{"SourceDataType"};
  static constexpr const char* source = "drv/stamvik/no/ind/Die_DieDirectionBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_die_die_direction_builder_jam

JA_PROPERTY_OWNER(Die_DieDirectionBuilderPropertyOwner, ja_die_die_direction_builder_jam::PropertyOwnerDescription)
