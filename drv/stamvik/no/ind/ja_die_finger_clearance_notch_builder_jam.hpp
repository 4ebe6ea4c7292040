// Scripting class "Die.FingerClearanceNotchBuilder": its description and its
// automation interface. The member table is in interface order.
#pragma once
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"

void JA_FingerClearanceNotchBuilder_initialize_class();
void JA_FingerClearanceNotchBuilder_destroy_class();
void JA_FingerClearanceNotchBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_FingerClearanceNotchBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_finger_clearance_notch_builder_jam {
using namespace ::KTX::JA::Types;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieDirectionBuilder = ::KTX::JA::Object<::KTX::DieDes::DieDirectionBuilder, "Die.DieDirectionBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using Types = ::KTX::JA::Enum<"Die.FingerClearanceNotchBuilder.Types">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::FingerClearanceNotchBuilder;
  static constexpr const char* journalClass = "Die.FingerClearanceNotchBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_finger_clearance_notch_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x92A5131E;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateFingerClearanceNotchBuilder"};
  static constexpr std::array<const char*, 7> dependencies{
      "Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder", "Expression",
      "Section",                  "SelectObject",            "SelectObjectList"};
  static constexpr std::array<::KTX::JA::EnumDescription, 1> enums{{
      {"Die.FingerClearanceNotchBuilder.Types", {"Section", "Face", "SheetBody"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 3> defaults{{
      // property path        millimetre  inch
      {"Depth.Value",         "5",        "0.2"},
      {"ExtrudeWidth.Value",  "0",        nullptr},
      {"Width.Value",         "5",        "0.2"},
  }};
  static constexpr int defaultsLine = 995;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_FingerClearanceNotchBuilder_initialize_class;
  static constexpr auto destroy = &JA_FingerClearanceNotchBuilder_destroy_class;
  static constexpr auto testPrint = &JA_FingerClearanceNotchBuilder_test_print;
  static constexpr auto setDefaults = &JA_FingerClearanceNotchBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_FINGER_CLEARANCE_NOTCH_BUILDER_MEMBERS(X)                                          \
  /* kind  member              value type               method body                       line */ \
  X(get,   Target,             SelectBody,              JA_FIELD(m_target),               111)    \
  X(get,   Section,            Section,                 JA_FIELD(m_section),              163)    \
  X(get,   ExtrudeWidth,       Expression,              JA_FIELD(m_extrudeWidth),         215)    \
  X(get,   Geometry,           SelectBrenvikObjectList, JA_FIELD(m_geometry),             267)    \
  X(get,   ReverseDirection,   Logical,                 JA_FIELD(m_reverseDirection),     319)    \
  X(set,   ReverseDirection,   Logical,                 JA_FIELD(m_reverseDirection),     371)    \
  X(get,   BaseOrientation,    DiePlaneBuilder,         JA_FIELD(m_baseOrientation),      423)    \
  X(get,   ClearanceDirection, DieDirectionBuilder,     JA_FIELD(m_clearanceDirection),   475)    \
  X(get,   Width,              Expression,              JA_FIELD(m_width),                527)    \
  X(get,   Depth,              Expression,              JA_FIELD(m_depth),                579)    \
  X(get,   Attributes,         DieAttributesBuilder,    JA_FIELD(m_attributes),           631)    \
  X(get,   DistanceTolerance,  Double,                  JA_FIELD(m_distanceTolerance),    683)    \
  X(set,   DistanceTolerance,  Double,                  JA_FIELD(m_distanceTolerance),    735)    \
  X(get,   AngleTolerance,     Double,                  JA_FIELD(m_angleTolerance),       787)    \
  X(set,   AngleTolerance,     Double,                  JA_FIELD(m_angleTolerance),       839)    \
  X(get,   Type,               Types,                   JA_FIELD(m_type),                 891)    \
  X(set,   Type,               Types,                   JA_FIELD(m_type),                 943)
// clang-format on

JA_DIE_FINGER_CLEARANCE_NOTCH_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_FINGER_CLEARANCE_NOTCH_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_finger_clearance_notch_builder_jam

#define JA_UNIT ja_die_finger_clearance_notch_builder_jam
class Die_FingerClearanceNotchBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_FINGER_CLEARANCE_NOTCH_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_FingerClearanceNotchBuilder_Interface() = default;
};
#undef JA_UNIT
