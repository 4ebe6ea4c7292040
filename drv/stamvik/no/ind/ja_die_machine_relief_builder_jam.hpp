// Scripting class "Die.MachineReliefBuilder": its description and its
// automation interface. The member table is in interface order.
#pragma once
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"

void JA_MachineReliefBuilder_initialize_class();
void JA_MachineReliefBuilder_destroy_class();
void JA_MachineReliefBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_MachineReliefBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_machine_relief_builder_jam {
using namespace ::KTX::JA::Types;
using DiePlaneBuilder = ::KTX::JA::Object<::KTX::DieDes::DiePlaneBuilder, "Die.DiePlaneBuilder">;
using DieLocationBuilder = ::KTX::JA::Object<::KTX::DieDesJA::DieLocationBuilder, "Die.DieLocationBuilder">;
using DieDirectionBuilder = ::KTX::JA::Object<::KTX::DieDes::DieDirectionBuilder, "Die.DieDirectionBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using Types = ::KTX::JA::Enum<"Die.MachineReliefBuilder.Types">;
using MainProfileTypes = ::KTX::JA::Enum<"Die.MachineReliefBuilder.MainProfileTypes">;
using TrimSheetTypes = ::KTX::JA::Enum<"Die.MachineReliefBuilder.TrimSheetTypes">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieDesJA::MachineReliefBuilder;
  static constexpr const char* journalClass = "Die.MachineReliefBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_machine_relief_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x125DF3C1;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateMachineReliefBuilder"};
  static constexpr std::array<const char*, 8> dependencies{
      "Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationBuilder", "Die.DiePlaneBuilder",
      "Expression",               "ScCollector",             "Section",                "SelectObject"};
  static constexpr std::array<::KTX::JA::EnumDescription, 3> enums{{
      {"Die.MachineReliefBuilder.Types", {"Cam", "Relief", "Thicken"}},
      {"Die.MachineReliefBuilder.MainProfileTypes", {"Exterior", "Interior"}},
      {"Die.MachineReliefBuilder.TrimSheetTypes", {"Sheet", "Face"}},
  }};
  // No tolerance and no Type: the builder's own initialisation keeps those.
  static constexpr std::array<::KTX::JA::DefaultRow, 14> defaults{{
      // property path             millimetre  inch
      {"BaseOffset.Value",         "0",        "0"},
      {"BeltFaceThickness.Value",  "20",       "0.8"},
      {"JogWall",                  "0",        "0"},
      {"MainProfileType",          "Exterior", "Exterior"},
      {"Offset.Value",             "20",       "0.8"},
      {"ProfileOffset.Value",      "30",       "1.2"},
      {"Relief.Value",             "20",       "0.8"},
      {"ReliefOffset.Value",       "5",        "0.2"},
      {"TopOffset.Value",          "1000",     "40"},
      {"TrimOffset.Value",         "5",        "0.2"},
      {"TrimSheetOffset.Value",    "0",        "0"},
      {"TrimSheetType",            "Sheet",    "Sheet"},
      {"WallOffset.Value",         "10",       "0.4"},
      {"WallThickness.Value",      "45",       "1.8"},
  }};
  static constexpr int defaultsLine = 1932;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_MachineReliefBuilder_initialize_class;
  static constexpr auto destroy = &JA_MachineReliefBuilder_destroy_class;
  static constexpr auto testPrint = &JA_MachineReliefBuilder_test_print;
  static constexpr auto setDefaults = &JA_MachineReliefBuilder_set_defaults;
};
using Object = Unit::Object;

// Type reads its field but is set through the builder's SetType, which also
// tells the target data which kind of relief to make.
// clang-format off
#define JA_DIE_MACHINE_RELIEF_BUILDER_MEMBERS(X)                                                        \
  /* kind  member              value type            method body                         line */        \
  X(get,   Target,             SelectBody,           JA_FIELD(m_target),                 111)           \
  X(get,   BaseOrientation,    DiePlaneBuilder,      JA_FIELD(m_baseOrientation),        163)           \
  X(get,   BaseOffset,         Expression,           JA_FIELD(m_baseOffset),             215)           \
  X(get,   TopOffset,          Expression,           JA_FIELD(m_topOffset),              267)           \
  X(get,   MainProfileType,    MainProfileTypes,     JA_FIELD(m_mainProfileType),        319)           \
  X(set,   MainProfileType,    MainProfileTypes,     JA_FIELD(m_mainProfileType),        371)           \
  X(get,   MainProfile,        Section,              JA_FIELD(m_mainProfile),            423)           \
  X(get,   SwitchTrimSide,     Logical,              JA_FIELD(m_switchTrimSide),         475)           \
  X(set,   SwitchTrimSide,     Logical,              JA_FIELD(m_switchTrimSide),         527)           \
  X(get,   Start,              DieLocationBuilder,   JA_FIELD(m_start),                  579)           \
  X(get,   End,                DieLocationBuilder,   JA_FIELD(m_end),                    631)           \
  X(get,   CamDirection,       DieDirectionBuilder,  JA_FIELD(m_camDirection),           683)           \
  X(get,   TrimSheetType,      TrimSheetTypes,       JA_FIELD(m_trimSheetType),          735)           \
  X(set,   TrimSheetType,      TrimSheetTypes,       JA_FIELD(m_trimSheetType),          787)           \
  X(get,   TrimSheet,          SelectBody,           JA_FIELD(m_trimSheet),              839)           \
  X(get,   TrimSheetFace,      ScCollector,          JA_FIELD(m_trimSheetFace),          891)           \
  X(get,   TrimSheetOffset,    Expression,           JA_FIELD(m_trimSheetOffset),        943)           \
  X(get,   InsideWallProfile,  Section,              JA_FIELD(m_insideWallProfile),      995)           \
  X(get,   Offset,             Expression,           JA_FIELD(m_offset),                 1047)          \
  X(get,   Relief,             Expression,           JA_FIELD(m_relief),                 1099)          \
  X(get,   BeltFaceThickness,  Expression,           JA_FIELD(m_beltFaceThickness),      1151)          \
  X(get,   ProfileOffset,      Expression,           JA_FIELD(m_profileOffset),          1203)          \
  X(get,   ReliefOffset,       Expression,           JA_FIELD(m_reliefOffset),           1255)          \
  X(get,   TrimOffset,         Expression,           JA_FIELD(m_trimOffset),             1307)          \
  X(get,   WallOffset,         Expression,           JA_FIELD(m_wallOffset),             1359)          \
  X(get,   WallThickness,      Expression,           JA_FIELD(m_wallThickness),          1411)          \
  X(get,   JogWall,            Logical,              JA_FIELD(m_jogWall),                1463)          \
  X(set,   JogWall,            Logical,              JA_FIELD(m_jogWall),                1515)          \
  X(get,   BeltAttributes,     DieAttributesBuilder, JA_FIELD(m_beltAttributes),         1567)          \
  X(get,   DistanceTolerance,  Double,               JA_FIELD(m_distanceTolerance),      1619)          \
  X(set,   DistanceTolerance,  Double,               JA_FIELD(m_distanceTolerance),      1671)          \
  X(get,   AngleTolerance,     Double,               JA_FIELD(m_angleTolerance),         1723)          \
  X(set,   AngleTolerance,     Double,               JA_FIELD(m_angleTolerance),         1775)          \
  X(get,   Type,               Types,                JA_FIELD(m_type),                   1827)          \
  X(set,   Type,               Types,                JA_OPERATION(Object::SetType),      1879)
// clang-format on

JA_DIE_MACHINE_RELIEF_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_MACHINE_RELIEF_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_machine_relief_builder_jam

#define JA_UNIT ja_die_machine_relief_builder_jam
class Die_MachineReliefBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_MACHINE_RELIEF_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_MachineReliefBuilder_Interface() = default;
};
#undef JA_UNIT
