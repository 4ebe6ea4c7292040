// Property owner of "Tooling.DieEngFormTaskBuilder", made by the owner engine from the
// class's member table.
#include "ja_tooling_die_eng_form_task_builder_jam.hpp"
#include "ja_property_owner.hpp"

namespace ja_tooling_die_eng_form_task_builder_jam {

struct PropertyOwnerDescription : ::KTX::JA::Owners::OwnerDefaults {
  using Unit = ja_tooling_die_eng_form_task_builder_jam::Unit;
  using Interface = ::Tooling_DieEngFormTaskBuilder_Interface;
  using Ops = ::KTX::JA::Owners::OpList<void JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS(JA_OWNER_OP)>;
  static constexpr const char* source = "drv/stamvik/no/ind/Tooling_DieEngFormTaskBuilderPropertyOwner";
  static constexpr int line = __LINE__;
};

}  // namespace ja_tooling_die_eng_form_task_builder_jam

JA_PROPERTY_OWNER(Tooling_DieEngFormTaskBuilderPropertyOwner, ja_tooling_die_eng_form_task_builder_jam::PropertyOwnerDescription)
