// Scripting class "Die.KeywayBuilder": its description and its automation
// interface. The member table is in interface order.
#pragma once
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"

void JA_KeywayBuilder_initialize_class();
void JA_KeywayBuilder_destroy_class();
void JA_KeywayBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_KeywayBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_keyway_builder_jam {
using namespace ::KTX::JA::Types;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using Types = ::KTX::JA::Enum<"Die.KeywayBuilder.Types">;
using LocationType = ::KTX::JA::Enum<"Die.KeywayBuilder.LocationType">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::KeywayBuilder;
  static constexpr const char* journalClass = "Die.KeywayBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_keyway_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xA0A521D1;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "Keyway"};
  static constexpr std::array<const char*, 5> dependencies{"Die.DieAttributesBuilder", "Die.DiePlaneBuilder",
                                                            "Expression", "Section", "SelectObject"};
  // The coordinate-system selection is looked up before the body selection.
  static constexpr std::array<const char*, 2> templateOrder{"SelectCartesianCoordinateSystem",
                                                             "SelectBrenvikObject"};
  // Types first, then LocationType: their members are added in this order.
  static constexpr std::array<::KTX::JA::EnumDescription, 2> enums{{
      {"Die.KeywayBuilder.Types", {"Rectangular", "Circular"}},
      {"Die.KeywayBuilder.LocationType", {"PositiveX", "NegativeX", "PositiveY", "NegativeY"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 17> defaults{{
      // property path            millimetre  inch
      {"AngleTolerance",          "0.5",      "0.5"},
      {"CreateWithPad",           "1",        "1"},
      {"DeckThickness.Value",     "0",        "0"},
      {"DistanceTolerance",       "0.0254",   "0.001"},
      {"Location",                "PositiveX", "PositiveX"},
      {"MinimumRibHeight.Value",  "200",      "8"},
      {"Offset.Value",            "0",        "0"},
      {"PadHeight.Value",         "65",       "2.6"},
      {"PadWidth.Value",          "60",       "2.4"},
      {"PlacementOffset.Value",   "0",        "0"},
      {"RunoffDepth.Value",       "40",       "1.6"},
      {"RunoffLength.Value",      "60",       "2.4"},
      {"RunoffRadius.Value",      "30",       "1.2"},
      {"RunoffWidth.Value",       "16",       "0.625"},
      {"SlotDepth.Value",         "20",       "0.8"},
      {"SlotLength.Value",        "100",      "4"},
      {"SlotWidth.Value",         "25",       "1"},
  }};
  static constexpr int defaultsLine = 1724;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_KeywayBuilder_initialize_class;
  static constexpr auto destroy = &JA_KeywayBuilder_destroy_class;
  static constexpr auto testPrint = &JA_KeywayBuilder_test_print;
  static constexpr auto setDefaults = &JA_KeywayBuilder_set_defaults;
};
using Object = Unit::Object;

// Location and Type go through the builder's own operations, not a field.
// Type is exported in lower case ("get_type") but journalled as "Type".
// clang-format off
#define JA_DIE_KEYWAY_BUILDER_MEMBERS(X)                                                                          \
  /* kind  member                         value type                       method body                      line  export */ \
  X(get,   Target,                        SelectBrenvikObject,             JA_FIELD(m_target),                      111)  \
  X(get,   Location,                      LocationType,                    JA_OPERATION(Object::GetLocation),       163)  \
  X(set,   Location,                      LocationType,                    JA_OPERATION(Object::SetLocation),       215)  \
  X(get,   Offset,                        Expression,                      JA_FIELD(m_offset),                      267)  \
  X(get,   BaseOrientation,               DiePlaneBuilder,                 JA_FIELD(m_baseOrientation),             319)  \
  X(get,   PlacementOffset,               Expression,                      JA_FIELD(m_placementOffset),             371)  \
  X(get,   DieCenterlineCoordinateSystem, SelectCartesianCoordinateSystem, JA_FIELD(m_dieCenterlineCoordinateSystem), 423) \
  X(get,   SheetMetal,                    SelectBrenvikObject,             JA_FIELD(m_sheetMetal),                  475)  \
  X(get,   DeckThickness,                 Expression,                      JA_FIELD(m_deckThickness),               527)  \
  X(get,   BaseFlange,                    Section,                         JA_FIELD(m_baseFlange),                  579)  \
  X(get,   InteriorProfile,               Section,                         JA_FIELD(m_interiorProfile),             631)  \
  X(get,   SlotLength,                    Expression,                      JA_FIELD(m_slotLength),                  683)  \
  X(get,   SlotWidth,                     Expression,                      JA_FIELD(m_slotWidth),                   735)  \
  X(get,   SlotDepth,                     Expression,                      JA_FIELD(m_slotDepth),                   787)  \
  X(get,   PadWidth,                      Expression,                      JA_FIELD(m_padWidth),                    839)  \
  X(get,   PadHeight,                     Expression,                      JA_FIELD(m_padHeight),                   891)  \
  X(get,   MinimumRibHeight,              Expression,                      JA_FIELD(m_minimumRibHeight),            943)  \
  X(get,   RunoffLength,                  Expression,                      JA_FIELD(m_runoffLength),                995)  \
  X(get,   RunoffWidth,                   Expression,                      JA_FIELD(m_runoffWidth),                 1047) \
  X(get,   RunoffDepth,                   Expression,                      JA_FIELD(m_runoffDepth),                 1099) \
  X(get,   RunoffRadius,                  Expression,                      JA_FIELD(m_runoffRadius),                1151) \
  X(get,   CreateWithPad,                 Logical,                         JA_FIELD(m_createWithPad),               1203) \
  X(set,   CreateWithPad,                 Logical,                         JA_FIELD(m_createWithPad),               1255) \
  X(get,   SlotAttributes,                DieAttributesBuilder,            JA_FIELD(m_slotAttributes),              1307) \
  X(get,   PadAttributes,                 DieAttributesBuilder,            JA_FIELD(m_padAttributes),               1359) \
  X(get,   DistanceTolerance,             Double,                          JA_FIELD(m_distanceTolerance),           1411) \
  X(set,   DistanceTolerance,             Double,                          JA_FIELD(m_distanceTolerance),           1463) \
  X(get,   AngleTolerance,                Double,                          JA_FIELD(m_angleTolerance),              1515) \
  X(set,   AngleTolerance,                Double,                          JA_FIELD(m_angleTolerance),              1567) \
  X(get,   Type,                          Types,                           JA_OPERATION(Object::GetType),           1619, type) \
  X(set,   Type,                          Types,                           JA_OPERATION(Object::SetType),           1671, type)
// clang-format on

JA_DIE_KEYWAY_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_KEYWAY_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_keyway_builder_jam

#define JA_UNIT ja_die_keyway_builder_jam
class Die_KeywayBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_KEYWAY_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_KeywayBuilder_Interface() = default;
};
#undef JA_UNIT
