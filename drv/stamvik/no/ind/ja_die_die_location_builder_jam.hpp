// Scripting class "Die.DieLocationBuilder": its description and its
// automation interface. The member table is in interface order; the class
// exports its members as written.
#pragma once
#include "DieDesJA_DieLocationBuilder.hpp"
#include "ja_value_types.hpp"

void JA_DieLocationBuilder_initialize_class();
void JA_DieLocationBuilder_destroy_class();
void JA_DieLocationBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DieLocationBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_die_location_builder_jam {
using namespace ::KTX::JA::Types;
using LocationType = ::KTX::JA::Enum<"Die.DieLocationBuilder.LocationType">;
using PointTag = ::KTX::JA::TagOf<"Point", "Point">;
using DirectionTag = ::KTX::JA::TagOf<"Direction", "Direction">;
using PlaneTag = ::KTX::JA::TagOf<"Plane", "Plane">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::DieLocationBuilder;
  static constexpr const char* journalClass = "Die.DieLocationBuilder";
  static constexpr const char* parent = "TaggedObject";
  static constexpr const char* source = "ja_die_die_location_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x52BD409B;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateDieLocation"};
  static constexpr std::array<const char*, 2> dependencies{"SelectObject", "qdmath"};
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.DieLocationBuilder.LocationType",
       {"SelectLocation", "NewPoint", "NewCoordinateSystem", "NewVector", "NewPlane"}},
  }};
  // The same text in both unit systems.
  static constexpr std::array<::KTX::JA::DefaultRow, 1> defaults{{
      // property path  millimetre        inch
      {"InputType",     "SelectLocation", nullptr},
  }};
  static constexpr int defaultsLine = 790;
  static constexpr bool componentBuilder = true;
  static constexpr bool parentLookedUp = false;
  static constexpr auto setUpOrder = ::KTX::JA::kMembersBeforeStructuresSetUpOrder;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieLocationBuilder_initialize_class;
  static constexpr auto destroy = &JA_DieLocationBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DieLocationBuilder_test_print;
  static constexpr auto setDefaults = &JA_DieLocationBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_DIE_LOCATION_BUILDER_MEMBERS(X)                                                                 \
  /* kind  member                  value type    method body                                         line */   \
  X(get,   InputType,              LocationType, JA_FIELD(m_inputType),                              111)      \
  X(set,   InputType,              LocationType, JA_FIELD(m_inputType),                              163)      \
  X(get,   Location,               SelectBrenvikObject, JA_FIELD(m_location),                        215)      \
  X(get,   Point,                  PointTag,     JA_FIELD(m_point),                                  269)      \
  X(set,   Point,                  PointTag,     JA_OPERATION(Object::SetPoint),                     321)      \
  X(get,   Vector,                 DirectionTag, JA_FIELD(m_vector),                                 373)      \
  X(set,   Vector,                 DirectionTag, JA_OPERATION(Object::SetVector),                    425)      \
  X(get,   Plane,                  PlaneTag,     JA_FIELD(m_plane),                                  477)      \
  X(set,   Plane,                  PlaneTag,     JA_OPERATION(Object::SetPlane),                     529)      \
  X(get,   CoordinateSystemOrigin, Point3d,      JA_OPERATION(Object::GetCoordinateSystemOrigin),    581)      \
  X(set,   CoordinateSystemOrigin, Point3d,      JA_OPERATION(Object::SetCoordinateSystemOrigin),    633)      \
  X(get,   CoordinateSystemMatrix, Matrix3x3,    JA_OPERATION(Object::GetCoordinateSystemMatrix),    685)      \
  X(set,   CoordinateSystemMatrix, Matrix3x3,    JA_OPERATION(Object::SetCoordinateSystemMatrix),    737)
// clang-format on

JA_DIE_DIE_LOCATION_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DIE_LOCATION_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_die_location_builder_jam

#define JA_UNIT ja_die_die_location_builder_jam
class Die_DieLocationBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DIE_LOCATION_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DieLocationBuilder_Interface() = default;
};
#undef JA_UNIT
