// Scripting class "Die.DiePlaneBuilder": its description and its automation
// interface. The member table is in interface order; the class exports its
// members in snake case (sixth column); SourceDataType states method
// attribute 1 (seventh column).
#pragma once
#include "DieDes_DiePlaneBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DiePlaneBuilder_initialize_class();
void JA_DiePlaneBuilder_destroy_class();
void JA_DiePlaneBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);

namespace ja_die_die_plane_builder_jam {
using namespace ::KTX::JA::Types;
using PlaneType = ::KTX::JA::Enum<"Die.DiePlaneBuilder.PlaneType">;
using PlaneTag = ::KTX::JA::TagOf<"Plane", "Plane">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDes::DiePlaneBuilder;
  static constexpr const char* journalClass = "Die.DiePlaneBuilder";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_die_die_plane_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x93435DA8;
  static constexpr std::array<const char*, 2> dependencies{"SelectObject", "qdmath"};
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.DiePlaneBuilder.PlaneType", {"Selection", "Plane", "CoordinateSystem"}},
  }};
  static constexpr bool componentBuilder = true;
  static constexpr bool parentLookedUp = false;
  static constexpr auto setUpOrder = ::KTX::JA::kMembersBeforeStructuresSetUpOrder;

  // The source data type is the scripting name of InputType; no property stands for it.
  static constexpr std::array<const char*, 1> unpublished{"SourceDataType"};

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DiePlaneBuilder_initialize_class;
  static constexpr auto destroy = &JA_DiePlaneBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DiePlaneBuilder_test_print;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DIE_PLANE_BUILDER_MEMBERS(X)                                                                                               \
  /* kind  member                  value type           method body                                       line  export member  attr */  \
  X(get,   InputType,              PlaneType,           JA_FIELD(m_inputType),                            111,  input_type)               \
  X(set,   InputType,              PlaneType,           JA_FIELD(m_inputType),                            163,  input_type)               \
  X(get,   SelectPlane,            SelectBrenvikObject, JA_FIELD(m_selectPlane),                          215,  select_plane)             \
  X(get,   SpecifyPlane,           PlaneTag,            JA_FIELD(m_specifyPlane),                         269,  specify_plane)            \
  X(set,   SpecifyPlane,           PlaneTag,            JA_OPERATION(Object::SetSpecifyPlane),            321,  specify_plane)            \
  X(get,   CoordinateSystemOrigin, Point3d,             JA_OPERATION(Object::GetCoordinateSystemOrigin),  373,  coordinate_system_origin) \
  X(set,   CoordinateSystemOrigin, Point3d,             JA_OPERATION(Object::SetCoordinateSystemOrigin),  425,  coordinate_system_origin) \
  X(get,   CoordinateSystemMatrix, Matrix3x3,           JA_OPERATION(Object::GetCoordinateSystemMatrix),  477,  coordinate_system_matrix) \
  X(set,   CoordinateSystemMatrix, Matrix3x3,           JA_OPERATION(Object::SetCoordinateSystemMatrix),  529,  coordinate_system_matrix) \
  X(get,   ReverseSourceDirection, Logical,             JA_FIELD(m_reverseSourceDirection),               581,  reverse_source_direction) \
  X(set,   ReverseSourceDirection, Logical,             JA_FIELD(m_reverseSourceDirection),               633,  reverse_source_direction) \
  X(get,   SourceDataType,         PlaneType,           JA_FIELD(m_inputType),                            685,  source_data_type, 1)      \
  X(set,   SourceDataType,         PlaneType,           JA_FIELD(m_inputType),                            739,  source_data_type, 1)
// clang-format on

JA_DIE_DIE_PLANE_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DIE_PLANE_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_die_plane_builder_jam

#define JA_UNIT ja_die_die_plane_builder_jam
class Die_DiePlaneBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DIE_PLANE_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DiePlaneBuilder_Interface() = default;
};
#undef JA_UNIT
