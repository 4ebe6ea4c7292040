// Scripting class "Die.DieBooleanBuilder": its description and its automation
// interface. The member table is in interface order; the class exports its
// members in snake case (last column).
#pragma once
#include "DieDes_DieBooleanBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DieBooleanBuilder_initialize_class();
void JA_DieBooleanBuilder_destroy_class();
void JA_DieBooleanBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);

namespace ja_die_die_boolean_builder_jam {
using namespace ::KTX::JA::Types;
using BooleanType = ::KTX::JA::Enum<"Die.DieBooleanBuilder.BooleanType">;

// A sub-builder: no creator name, no scripting defaults, and the host's
// component-builder interface.
struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDes::DieBooleanBuilder;
  static constexpr const char* journalClass = "Die.DieBooleanBuilder";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_die_die_boolean_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x3ea763e1;
  static constexpr std::array<const char*, 1> dependencies{"SelectObjectList"};
  static constexpr bool parentLookedUp = false;
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.DieBooleanBuilder.BooleanType", {"Unite", "Subtract", "Intersect"}},
  }};
  static constexpr bool componentBuilder = true;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieBooleanBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieBooleanBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieBooleanBuilder_test_print;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(X) \
  /* kind member         value type               method body                              line export member */ \
  X(get, BooleanOptions, BooleanType,             JA_OPERATION(Object::GetBooleanOptions), 111, boolean_options) \
  X(set, BooleanOptions, BooleanType,             JA_OPERATION(Object::SetBooleanOptions), 163, boolean_options) \
  X(get, SelectBodies,   SelectBrenvikObjectList, JA_FIELD(m_selectBodies),                215, select_bodies)
// clang-format on

JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_die_boolean_builder_jam

#define JA_UNIT ja_die_die_boolean_builder_jam
class Die_DieBooleanBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DieBooleanBuilder_Interface() = default;
};
#undef JA_UNIT
