// Scripting class "Die.FillAreaBuilder": its description and its automation
// interface. The member table is in interface order.
#pragma once
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "ja_value_types.hpp"

void JA_FillAreaBuilder_initialize_class();
void JA_FillAreaBuilder_destroy_class();
void JA_FillAreaBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_FillAreaBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_fill_area_builder_jam {
using namespace ::KTX::JA::Types;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using Types = ::KTX::JA::Enum<"Die.FillAreaBuilder.Types">;
using UpperLimitTypes = ::KTX::JA::Enum<"Die.FillAreaBuilder.UpperLimitTypes">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::FillAreaBuilder;
  static constexpr const char* journalClass = "Die.FillAreaBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_fill_area_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x9D1F9021;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateFillAreaBuilder"};
  static constexpr std::array<const char*, 4> dependencies{"Die.DiePlaneBuilder", "Expression", "Section",
                                                            "SelectObject"};
  static constexpr std::array<::KTX::JA::EnumDescription, 2> enums{{
      {"Die.FillAreaBuilder.Types", {"BaseFlange", "ProductContact", "ScrapArea", "UserDefined"}},
      {"Die.FillAreaBuilder.UpperLimitTypes", {"Sheet", "Plane"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 2> defaults{{
      // property path            millimetre  inch
      {"LowerLimitOffset.Value",  "1",        "0.04"},
      {"UpperLimitType",          "Sheet",    nullptr},
  }};
  static constexpr int defaultsLine = 891;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_FillAreaBuilder_initialize_class;
  static constexpr auto destroy = &JA_FillAreaBuilder_destroy_class;
  static constexpr auto testPrint = &JA_FillAreaBuilder_test_print;
  static constexpr auto setDefaults = &JA_FillAreaBuilder_set_defaults;
};
using Object = Unit::Object;

// clang-format off
#define JA_DIE_FILL_AREA_BUILDER_MEMBERS(X)                                                                 \
  /* kind  member             value type       method body                                      line */     \
  X(get,   Target,            SelectBody,      JA_FIELD(m_target),                              111)        \
  X(get,   Boundary,          Section,         JA_FIELD(m_boundary),                            163)        \
  X(get,   BaseOrientation,   DiePlaneBuilder, JA_FIELD(m_baseOrientation),                     215)        \
  X(get,   UpperLimitType,    UpperLimitTypes, JA_FIELD(m_upperLimitType),                      267)        \
  X(set,   UpperLimitType,    UpperLimitTypes, JA_FIELD(m_upperLimitType),                      319)        \
  X(get,   UpperLimitSheet,   SelectBody,      JA_FIELD(m_upperLimitSheet),                     371)        \
  X(get,   UpperLimitPlane,   DiePlaneBuilder, JA_FIELD(m_upperLimitPlane),                     423)        \
  X(get,   LowerLimitSheet,   SelectBody,      JA_FIELD(m_lowerLimitSheet),                     475)        \
  X(get,   LowerLimitOffset,  Expression,      JA_FIELD(m_lowerLimitOffset),                    527)        \
  X(get,   DistanceTolerance, Double,          JA_FIELD(m_distanceTolerance),                   579)        \
  X(set,   DistanceTolerance, Double,          JA_FIELD(m_distanceTolerance),                   631)        \
  X(get,   AngleTolerance,    Double,          JA_FIELD(m_angleTolerance),                      683)        \
  X(set,   AngleTolerance,    Double,          JA_FIELD(m_angleTolerance),                      735)        \
  X(get,   Type,              Types,           JA_OPERATION(::KTX::DieDesJA::FillAreaBuilder::GetType), 787) \
  X(set,   Type,              Types,           JA_OPERATION(::KTX::DieDesJA::FillAreaBuilder::SetType), 839)
// clang-format on

JA_DIE_FILL_AREA_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_FILL_AREA_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_fill_area_builder_jam

#define JA_UNIT ja_die_fill_area_builder_jam
class Die_FillAreaBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_FILL_AREA_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_FillAreaBuilder_Interface() = default;
};
#undef JA_UNIT
