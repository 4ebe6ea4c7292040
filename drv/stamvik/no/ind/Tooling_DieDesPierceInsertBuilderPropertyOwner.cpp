// Property owner of "Tooling.DieDesPierceInsertBuilder", made by the owner engine from the
// class's member table.
#include "ja_tooling_die_des_pierce_insert_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_tooling_die_des_pierce_insert_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_tooling_die_des_pierce_insert_builder_jam::Unit;
  using Interface = ::Tooling_DieDesPierceInsertBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_TOOLING_DIE_DES_PIERCE_INSERT_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Tooling_DieDesPierceInsertBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_tooling_die_des_pierce_insert_builder_jam

JA_PROPERTY_OWNER(Tooling_DieDesPierceInsertBuilderPropertyOwner, ja_tooling_die_des_pierce_insert_builder_jam::PropertyOwnerDescription)
