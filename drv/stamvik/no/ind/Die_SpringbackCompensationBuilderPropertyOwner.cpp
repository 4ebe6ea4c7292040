// Property owner of "Die.SpringbackCompensationBuilder", made by the owner engine from the
// class's member table.
#include "ja_die_springback_compensation_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_die_springback_compensation_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_die_springback_compensation_builder_jam::Unit;
  using Interface = ::Die_SpringbackCompensationBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Die_SpringbackCompensationBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_die_springback_compensation_builder_jam

JA_PROPERTY_OWNER(Die_SpringbackCompensationBuilderPropertyOwner, ja_die_springback_compensation_builder_jam::PropertyOwnerDescription)
