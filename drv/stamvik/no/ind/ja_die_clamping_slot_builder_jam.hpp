// Scripting class "Die.ClampingSlotBuilder": its description and its
// automation interface. The member table is in interface order; the class
// exports its members in snake case (last column).
#pragma once
#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"

void JA_ClampingSlotBuilder_initialize_class();
void JA_ClampingSlotBuilder_destroy_class();
void JA_ClampingSlotBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_ClampingSlotBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_clamping_slot_builder_jam {
using namespace ::KTX::JA::Types;
using DieLocationsBuilder = ::KTX::JA::Object<::KTX::DieDesJA::DieLocationsBuilder, "Die.DieLocationsBuilder">;
using DieDirectionBuilder = ::KTX::JA::Object<::KTX::DieDes::DieDirectionBuilder, "Die.DieDirectionBuilder">;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using Types = ::KTX::JA::Enum<"Die.ClampingSlotBuilder.Types">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::ClampingSlotBuilder;
  static constexpr const char* journalClass = "Die.ClampingSlotBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_clamping_slot_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xc53d8319;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "ClampingSlot"};
  static constexpr std::array<const char*, 7> dependencies{"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                                            "Die.DieLocationsBuilder",  "Die.DiePlaneBuilder",
                                                            "Expression",               "Section",
                                                            "SelectObject"};
  // The coordinate-system selection's template class is looked up first.
  static constexpr std::array<const char*, 2> templateOrder{"SelectCartesianCoordinateSystem", "SelectBrenvikObject"};
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.ClampingSlotBuilder.Types", {"Hydraulic", "Traveling", "Automatic"}},
  }};
  // The tolerances and the type have no scripting defaults.
  static constexpr std::array<::KTX::JA::DefaultRow, 19> defaults{{
      // property path            millimetre  inch
      {"CenterlineLength.Value",  "40",       "1.57"},
      {"FlangeThickness.Value",   "45",       "1.77"},
      {"InnerWidth.Value",        "45",       "1.77"},
      {"LocationOffset.Value",    "0",        "0"},
      {"LocationOnFlange",        "false",    "false"},
      {"NotchAngle.Value",        "0",        "0"},
      {"NotchHeight.Value",       "0",        "0"},
      {"NotchWidth.Value",        "0",        "0"},
      {"OffsetWidth.Value",       "150",      "5.9"},
      {"Overhang.Value",          "0",        "0"},
      {"PadHeight.Value",         "63.5",     "2.5"},
      {"PadLength.Value",         "80",       "3.15"},
      {"PadOffset.Value",         "0",        "0"},
      {"PadRadius.Value",         "25",       "1.0"},
      {"PadWidth.Value",          "110",      "4.33"},
      {"SlotLength.Value",        "40",       "1.57"},
      {"SlotRadius.Value",        "20",       "0.787"},
      {"SlotWidth.Value",         "45",       "1.77"},
      {"TopLength.Value",         "60",       "2.36"},
  }};
  static constexpr int defaultsLine = 2088;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_ClampingSlotBuilder_initialize_class;
  static constexpr auto destroy = &JA_ClampingSlotBuilder_destroy_class;
  static constexpr auto testPrint = &JA_ClampingSlotBuilder_test_print;
  static constexpr auto setDefaults = &JA_ClampingSlotBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(X) \
  /* kind member                        value type                       method body                                line  export member */                  \
  X(get, Target,                        SelectBrenvikObject,             JA_FIELD(m_target),                        111,  target)                           \
  X(get, Locations,                     DieLocationsBuilder,             JA_FIELD(m_locations),                     163,  locations)                        \
  X(get, LocationOffsetDirection,       DieDirectionBuilder,             JA_FIELD(m_locationOffsetDirection),       215,  location_offset_direction)        \
  X(get, BasePlane,                     DiePlaneBuilder,                 JA_FIELD(m_basePlane),                     267,  base_plane)                       \
  X(get, DieCenterlineCoordinateSystem, SelectCartesianCoordinateSystem, JA_FIELD(m_dieCenterlineCoordinateSystem), 319,  die_centerline_coordinate_system) \
  X(get, OrientationPlane,              DiePlaneBuilder,                 JA_FIELD(m_orientationPlane),              371,  orientation_plane)                \
  X(get, FlangeBaseProfile,             Section,                         JA_FIELD(m_flangeBaseProfile),             423,  flange_base_profile)              \
  X(get, CenterlineLength,              Expression,                      JA_FIELD(m_centerlineLength),              475,  centerline_length)                \
  X(get, InnerWidth,                    Expression,                      JA_FIELD(m_innerWidth),                    527,  inner_width)                      \
  X(get, SlotWidth,                     Expression,                      JA_FIELD(m_slotWidth),                     579,  slot_width)                       \
  X(get, SlotLength,                    Expression,                      JA_FIELD(m_slotLength),                    631,  slot_length)                      \
  X(get, TopLength,                     Expression,                      JA_FIELD(m_topLength),                     683,  top_length)                       \
  X(get, SlotRadius,                    Expression,                      JA_FIELD(m_slotRadius),                    735,  slot_radius)                      \
  X(get, PadWidth,                      Expression,                      JA_FIELD(m_padWidth),                      787,  pad_width)                        \
  X(get, PadHeight,                     Expression,                      JA_FIELD(m_padHeight),                     839,  pad_height)                       \
  X(get, PadLength,                     Expression,                      JA_FIELD(m_padLength),                     891,  pad_length)                       \
  X(get, PadRadius,                     Expression,                      JA_FIELD(m_padRadius),                     943,  pad_radius)                       \
  X(get, Overhang,                      Expression,                      JA_FIELD(m_overhang),                      995,  overhang)                         \
  X(get, NotchWidth,                    Expression,                      JA_FIELD(m_notchWidth),                    1047, notch_width)                      \
  X(get, NotchHeight,                   Expression,                      JA_FIELD(m_notchHeight),                   1099, notch_height)                     \
  X(get, NotchAngle,                    Expression,                      JA_FIELD(m_notchAngle),                    1151, notch_angle)                      \
  X(get, FlangeThickness,               Expression,                      JA_FIELD(m_flangeThickness),               1203, flange_thickness)                 \
  X(get, OffsetWidth,                   Expression,                      JA_FIELD(m_offsetWidth),                   1255, offset_width)                     \
  X(get, LocationOnFlange,              Logical,                         JA_FIELD(m_locationOnFlange),              1307, location_on_flange)               \
  X(set, LocationOnFlange,              Logical,                         JA_FIELD(m_locationOnFlange),              1359, location_on_flange)               \
  X(get, LocationOffset,                Expression,                      JA_FIELD(m_locationOffset),                1411, location_offset)                  \
  X(get, PadOffset,                     Expression,                      JA_FIELD(m_padOffset),                     1463, pad_offset)                       \
  X(get, PadFacesAttributes,            DieAttributesBuilder,            JA_FIELD(m_padFacesAttributes),            1515, pad_faces_attributes)             \
  X(get, SlotFacesAttributes,           DieAttributesBuilder,            JA_FIELD(m_slotFacesAttributes),           1567, slot_faces_attributes)            \
  X(get, SlotEndFacesAttributes,        DieAttributesBuilder,            JA_FIELD(m_slotEndFacesAttributes),        1619, slot_end_faces_attributes)        \
  X(get, NotchFacesAttributes,          DieAttributesBuilder,            JA_FIELD(m_notchFacesAttributes),          1671, notch_faces_attributes)           \
  X(get, OverhangFacesAttributes,       DieAttributesBuilder,            JA_FIELD(m_overhangFacesAttributes),       1723, overhang_faces_attributes)        \
  X(get, DistanceTolerance,             Double,                          JA_FIELD(m_distanceTolerance),             1775, distance_tolerance)               \
  X(set, DistanceTolerance,             Double,                          JA_FIELD(m_distanceTolerance),             1827, distance_tolerance)               \
  X(get, AngleTolerance,                Double,                          JA_FIELD(m_angleTolerance),                1879, angle_tolerance)                  \
  X(set, AngleTolerance,                Double,                          JA_FIELD(m_angleTolerance),                1931, angle_tolerance)                  \
  X(get, Type,                          Types,                           JA_OPERATION(Object::GetType),             1983, type)                             \
  X(set, Type,                          Types,                           JA_OPERATION(Object::SetType),             2035, type)
// clang-format on

JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_clamping_slot_builder_jam

#define JA_UNIT ja_die_clamping_slot_builder_jam
class Die_ClampingSlotBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_ClampingSlotBuilder_Interface() = default;
};
#undef JA_UNIT
