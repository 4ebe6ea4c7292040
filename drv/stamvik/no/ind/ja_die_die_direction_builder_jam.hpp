// Scripting class "Die.DieDirectionBuilder": its description and its
// automation interface. The member table is in interface order; the class
// exports its members in snake case (sixth column); SourceDataType states
// method attribute 1 (seventh column).
#pragma once
#include "DieDes_DieDirectionBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DieDirectionBuilder_initialize_class();
void JA_DieDirectionBuilder_destroy_class();
void JA_DieDirectionBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);

namespace ja_die_die_direction_builder_jam {
using namespace ::KTX::JA::Types;
using DirectionType = ::KTX::JA::Enum<"Die.DieDirectionBuilder.DirectionType">;
using DirectionTag = ::KTX::JA::TagOf<"Direction", "Direction">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDes::DieDirectionBuilder;
  static constexpr const char* journalClass = "Die.DieDirectionBuilder";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_die_die_direction_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x656D7A12;
  static constexpr std::array<const char*, 2> dependencies{"SelectObject", "qdmath"};
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.DieDirectionBuilder.DirectionType", {"Selection", "CoordinateSystem", "Vector"}},
  }};
  static constexpr bool componentBuilder = true;
  static constexpr bool parentLookedUp = false;
  static constexpr auto setUpOrder = ::KTX::JA::kMembersBeforeStructuresSetUpOrder;

  // The source data type is the scripting name of InputType; no property stands for it.
  static constexpr std::array<const char*, 1> unpublished{"SourceDataType"};

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieDirectionBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieDirectionBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieDirectionBuilder_test_print;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DIE_DIRECTION_BUILDER_MEMBERS(X)                                                                                           \
  /* kind  member                  value type           method body                                       line  export member  attr */  \
  X(get,   InputType,              DirectionType,       JA_FIELD(m_inputType),                            111,  input_type)               \
  X(set,   InputType,              DirectionType,       JA_FIELD(m_inputType),                            163,  input_type)               \
  X(get,   Direction,              SelectBrenvikObject, JA_FIELD(m_direction),                            215,  direction)                \
  X(get,   Vector,                 DirectionTag,        JA_FIELD(m_vector),                               269,  vector)                   \
  X(set,   Vector,                 DirectionTag,        JA_OPERATION(Object::SetVector),                  321,  vector)                   \
  X(get,   CoordinateSystemOrigin, Point3d,             JA_OPERATION(Object::GetCoordinateSystemOrigin),  373,  coordinate_system_origin) \
  X(set,   CoordinateSystemOrigin, Point3d,             JA_OPERATION(Object::SetCoordinateSystemOrigin),  425,  coordinate_system_origin) \
  X(get,   CoordinateSystemMatrix, Matrix3x3,           JA_OPERATION(Object::GetCoordinateSystemMatrix),  477,  coordinate_system_matrix) \
  X(set,   CoordinateSystemMatrix, Matrix3x3,           JA_OPERATION(Object::SetCoordinateSystemMatrix),  529,  coordinate_system_matrix) \
  X(get,   ReverseSourceDirection, Logical,             JA_FIELD(m_reverseSourceDirection),               581,  reverse_source_direction) \
  X(set,   ReverseSourceDirection, Logical,             JA_FIELD(m_reverseSourceDirection),               633,  reverse_source_direction) \
  X(get,   SourceDataType,         DirectionType,       JA_FIELD(m_inputType),                            685,  source_data_type, 1)      \
  X(set,   SourceDataType,         DirectionType,       JA_FIELD(m_inputType),                            739,  source_data_type, 1)
// clang-format on

JA_DIE_DIE_DIRECTION_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DIE_DIRECTION_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_die_direction_builder_jam

#define JA_UNIT ja_die_die_direction_builder_jam
class Die_DieDirectionBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DIE_DIRECTION_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DieDirectionBuilder_Interface() = default;
};
#undef JA_UNIT
