// Property owner of "Die.MachineReliefBuilder", made by the owner engine from the
// class's member table.
#include "ja_die_machine_relief_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_die_machine_relief_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_die_machine_relief_builder_jam::Unit;
  using Interface = ::Die_MachineReliefBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_DIE_MACHINE_RELIEF_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Die_MachineReliefBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_die_machine_relief_builder_jam

JA_PROPERTY_OWNER(Die_MachineReliefBuilderPropertyOwner, ja_die_machine_relief_builder_jam::PropertyOwnerDescription)
