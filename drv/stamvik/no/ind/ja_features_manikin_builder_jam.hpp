// Scripting class "Features.ManikinBuilder": its description and its
// automation interface. The member table is in interface order; the body
// dimensions are the builder's own expressions.
#pragma once
#include "VDJA_ManikinBuilder.hpp"
#include "ja_value_types.hpp"
#include "jax_features_manikin_builder.hpp"

void JA_ManikinBuilder_initialize_class();
void JA_ManikinBuilder_destroy_class();
void JA_ManikinBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_ManikinBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_features_manikin_builder_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::In;
using ::KTX::JA::Signature;

using PositionType = ::KTX::JA::Enum<"Features.ManikinBuilder.PositionType">;
using ClassificationType = ::KTX::JA::Enum<"Features.ManikinBuilder.ClassificationType">;
using StandardType = ::KTX::JA::Enum<"Features.ManikinBuilder.StandardType">;
using SAEPercentileType = ::KTX::JA::Enum<"Features.ManikinBuilder.SAEPercentileType">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::VDJA::ManikinBuilder;
  static constexpr const char* journalClass = "Features.ManikinBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_features_manikin_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x9C099CC2;
  static constexpr ::KTX::JA::Creator creator{"Features.AutomotiveCollection", "CreateManikinBuilder"};
  static constexpr std::array<const char*, 1> dependencies{"Expression"};
  // A value naming no member: the position, class and standard have numbers
  // of their own, the percentile the unit's; the manikin holds no selection.
  static constexpr ::KTX::Stamvik::InputRefusals inputRefusals{::KTX::Messages::kManikinUnknownMember, 0, 0, 0};
  static constexpr std::array<::KTX::JA::EnumDescription, 4> enums{{
      {"Features.ManikinBuilder.PositionType", {"Driver", "Passenger"}, ::KTX::Messages::kManikinPositionUnknown},
      {"Features.ManikinBuilder.ClassificationType", {"ClassA", "ClassB"},
       ::KTX::Messages::kManikinClassificationUnknown},
      {"Features.ManikinBuilder.StandardType", {"SAEJ826Jul1995", "Saej833", "UserDefined"},
       ::KTX::Messages::kManikinStandardUnknown},
      {"Features.ManikinBuilder.SAEPercentileType",
       {"J826Type95thPercentile", "J826Type50thPercentile", "J826Type10thPercentile", "J833LargeHuman95thMale",
        "J833MediumHumanHalfwayPosition", "J833SmallHuman5thFemale"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 26> defaults{{
      // property path                  millimetre                inch
      {"AHPHeight.Value",               "325",                    "12.8"},
      {"AHPLength.Value",               "698.5",                  "27.5"},
      {"AHPToSWCHeight.Value",          "620",                    "24.41"},
      {"AHPToSWCLength.Value",          "500",                    "19.69"},
      {"AllowPostureValueOutOfRange",   "1",                      "1"},
      {"ArmLength.Value",               "296.12",                 "11.66"},
      {"BackAngle.Value",               "22",                     "22"},
      {"Classification",                "ClassA",                 "ClassA"},
      {"DrivingPostureCheck",           "1",                      "1"},
      {"ForearmLength.Value",           "268.83",                 "10.58"},
      {"HandGripLength.Value",          "120.89",                 "4.76"},
      {"HandLength.Value",              "244.09",                 "9.61"},
      {"JointAngleReport",              "1",                      "1"},
      {"LegLength.Value",               "436.82",                 "17.20"},
      {"PedalPlaneAngle.Value",         "51",                     "51"},
      {"Position",                      "Driver",                 "Driver"},
      {"SAEPercentile",                 "J826Type95thPercentile", "J826Type95thPercentile"},
      {"SgRPHeight.Value",              "650",                    "25.6"},
      {"SgRPLength.Value",              "1500",                   "59"},
      {"SgRPWidth.Value",               "-400",                   "-15.75"},
      {"ShoulderToHipLength.Value",     "442",                    "17.40"},
      {"Standard",                      "SAEJ826Jul1995",         "SAEJ826Jul1995"},
      {"ThighLength.Value",             "469.26",                 "18.47"},
      {"TorsoLength.Value",             "563",                    "22.17"},
      {"WheelAngle.Value",              "15",                     "15"},
      {"WheelDiameter.Value",           "400",                    "15.75"},
  }};
  static constexpr int defaultsLine = 2031;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_ManikinBuilder_initialize_class;
  static constexpr auto destroy = &JA_ManikinBuilder_destroy_class;
  static constexpr auto testPrint = &JA_ManikinBuilder_test_print;
  static constexpr auto setDefaults = &JA_ManikinBuilder_set_defaults;
};
using Object = Unit::Object;

using FileSignature = Signature<ByPointer, -1, In<String, "filename">>;

// clang-format off
#define JA_FEATURES_MANIKIN_BUILDER_MEMBERS(X)                                                                                 \
  /* kind    member                       value type / signature  method body                                           line */ \
  X(get,     Position,                    PositionType,           JA_FIELD(m_position),                                 111)  \
  X(set,     Position,                    PositionType,           JA_FIELD(m_position),                                 163)  \
  X(get,     Classification,              ClassificationType,     JA_FIELD(m_classification),                           215)  \
  X(set,     Classification,              ClassificationType,     JA_FIELD(m_classification),                           267)  \
  X(get,     Standard,                    StandardType,           JA_FIELD(m_standard),                                 319)  \
  X(set,     Standard,                    StandardType,           JA_FIELD(m_standard),                                 371)  \
  X(get,     AllowPostureValueOutOfRange, Logical,                JA_FIELD(m_allowPostureValueOutOfRange),              423)  \
  X(set,     AllowPostureValueOutOfRange, Logical,                JA_FIELD(m_allowPostureValueOutOfRange),              475)  \
  X(get,     SAEPercentile,               SAEPercentileType,      JA_FIELD(m_sAEPercentile),                            527)  \
  X(set,     SAEPercentile,               SAEPercentileType,      JA_FIELD(m_sAEPercentile),                            579)  \
  X(get,     CurrentManikinSize,          Text,                   JA_BODY(JAX_MANIKIN_BUILDER_get_CurrentManikinSize),  631)  \
  X(set,     CurrentManikinSize,          Text,                   JA_BODY(JAX_MANIKIN_BUILDER_set_CurrentManikinSize),  683)  \
  X(get,     ThighLength,                 Expression,             JA_FIELD(m_thighLength),                              735)  \
  X(get,     LegLength,                   Expression,             JA_FIELD(m_legLength),                                787)  \
  X(get,     ArmLength,                   Expression,             JA_FIELD(m_armLength),                                839)  \
  X(get,     ForearmLength,               Expression,             JA_FIELD(m_forearmLength),                            891)  \
  X(get,     TorsoLength,                 Expression,             JA_FIELD(m_torsoLength),                              943)  \
  X(get,     ShoulderToHipLength,         Expression,             JA_FIELD(m_shoulderToHipLength),                      995)  \
  X(get,     HandLength,                  Expression,             JA_FIELD(m_handLength),                               1047) \
  X(get,     HandGripLength,              Expression,             JA_FIELD(m_handGripLength),                           1099) \
  X(method1, SaveToFile,                  FileSignature,          JA_FUNCTION(JAX_MANIKIN_BUILDER_SaveToFile),          1151) \
  X(method1, OpenFromFile,                FileSignature,          JA_FUNCTION(JAX_MANIKIN_BUILDER_OpenFromFile),        1203) \
  X(get,     SgRPLength,                  Expression,             JA_FIELD(m_sgRPLength),                               1255) \
  X(get,     SgRPWidth,                   Expression,             JA_FIELD(m_sgRPWidth),                                1307) \
  X(get,     SgRPHeight,                  Expression,             JA_FIELD(m_sgRPHeight),                               1359) \
  X(get,     BackAngle,                   Expression,             JA_FIELD(m_backAngle),                                1411) \
  X(get,     AHPLength,                   Expression,             JA_FIELD(m_aHPLength),                                1463) \
  X(get,     AHPHeight,                   Expression,             JA_FIELD(m_aHPHeight),                                1515) \
  X(get,     PedalPlaneAngle,             Expression,             JA_FIELD(m_pedalPlaneAngle),                          1567) \
  X(get,     AHPToSWCLength,              Expression,             JA_FIELD(m_aHPToSWCLength),                           1619) \
  X(get,     AHPToSWCHeight,              Expression,             JA_FIELD(m_aHPToSWCHeight),                           1671) \
  X(get,     WheelDiameter,               Expression,             JA_FIELD(m_wheelDiameter),                            1723) \
  X(get,     WheelAngle,                  Expression,             JA_FIELD(m_wheelAngle),                               1775) \
  X(get,     DrivingPostureCheck,         Logical,                JA_FIELD(m_drivingPostureCheck),                      1827) \
  X(set,     DrivingPostureCheck,         Logical,                JA_FIELD(m_drivingPostureCheck),                      1879) \
  X(get,     JointAngleReport,            Logical,                JA_FIELD(m_jointAngleReport),                         1931) \
  X(set,     JointAngleReport,            Logical,                JA_FIELD(m_jointAngleReport),                         1983)
// clang-format on

JA_FEATURES_MANIKIN_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_FEATURES_MANIKIN_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_features_manikin_builder_jam

#define JA_UNIT ja_features_manikin_builder_jam
class Features_ManikinBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_FEATURES_MANIKIN_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Features_ManikinBuilder_Interface() = default;
};
#undef JA_UNIT
