// A two-dimensional seated occupant in a vehicle package: who sits where,
// the body-size standard or user sizes, and the posture's design points.
#pragma once
#include "ClassFrame.hpp"
#include "Messages.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"
#include "sys/UString.hpp"

namespace KTX::VDJA {

enum JA_MANIKIN_BUILDER_PositionType : int { Driver = 0, Passenger = 1 };
enum JA_MANIKIN_BUILDER_ClassificationType : int { ClassA = 0, ClassB = 1 };
enum JA_MANIKIN_BUILDER_StandardType : int { SAEJ826Jul1995 = 0, Saej833 = 1, UserDefined = 2 };
enum JA_MANIKIN_BUILDER_SAEPercentileType : int {
  J826Type95thPercentile = 0,
  J826Type50thPercentile = 1,
  J826Type10thPercentile = 2,
  J833LargeHuman95thMale = 3,
  J833MediumHumanHalfwayPosition = 4,
  J833SmallHuman5thFemale = 5,
};

// What the posture checks and the commit need to know of the occupant.
struct VD_2DManikin_vehicle_settings_t {
  int position;
  int classification;
  int standard;
  int standardCode;     // as the rule spells it: J826 1, J833 0, user defined 2
  int percentileIndex;  // within the standard, 0 to 2
  bool allowOutOfRange;
  bool driverDesignPoint;
};

// User-defined sizes in record order.
struct VD_2DManikin_user_defined_manikin_size_value_t {
  double thigh, leg, arm, forearm, torso, shoulderToHip, hand, handGrip;
};

// The posture dimensions the seating limits are checked for.
enum VD_2DManikin_Posture_Dimension_Position_t : int {
  POSTURE_NONE_DIMENSION = 0,
  POSTURE_SGRP_LENGTH = 1,
  POSTURE_SGRP_WIDTH = 2,
  POSTURE_SGRP_HEIGHT = 3,
  POSTURE_BACK_ANGLE = 4,
  POSTURE_AHP_LENGTH = 5,
  POSTURE_AHP_HEIGHT = 6,
  POSTURE_PEDAL_ANGLE = 7,
  POSTURE_AHP_TO_SWC_LENGTH = 8,
  POSTURE_AHP_TO_SWC_HEIGHT = 9,
  POSTURE_WHEEL_ANGLE = 10,
  POSTURE_WHEEL_DIAMETER = 11,
  POSTURE_NUM_DIMENSION = 12,
};

// Validation's answer to a standard and percentile that do not belong
// together (a J826 manikin with a J833 percentile, or the reverse).
using Messages::kManikinPercentileNotOfStandard;
// A commit whose rule instance gave no feature: it is undone and fails with this.
using Messages::kManikinRuleGaveNoFeature;
// Validation's answers to a position, vehicle class or standard that names
// no member of its enumeration (the rule would be given a number it has no
// meaning for).
using Messages::kManikinPositionUnknown;
using Messages::kManikinClassificationUnknown;
using Messages::kManikinStandardUnknown;

// Fields in object order: texts and expressions, then 4-byte values, then logicals.
#define STAMVIK_MANIKIN_BUILDER_ATTRIBUTES(A)                                               \
  A(5, m_currentManikinSize, ::KTX::Frame::UStringObject, 0x201)                           \
  A(6, m_thighLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                 \
  A(7, m_legLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                   \
  A(8, m_armLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                   \
  A(9, m_forearmLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)               \
  A(10, m_torsoLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                \
  A(11, m_shoulderToHipLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)        \
  A(12, m_handLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                 \
  A(13, m_handGripLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)             \
  A(14, m_saveFileName, ::KTX::Frame::StringObject, 0x201)                                 \
  A(15, m_openFromFile, ::KTX::Frame::UStringObject, 0x201)                                \
  A(17, m_sgRPLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                 \
  A(18, m_sgRPWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                  \
  A(19, m_sgRPHeight, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                 \
  A(20, m_backAngle, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                  \
  A(22, m_aHPLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                  \
  A(23, m_aHPHeight, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                  \
  A(24, m_pedalPlaneAngle, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)            \
  A(26, m_aHPToSWCLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)             \
  A(27, m_aHPToSWCHeight, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)             \
  A(28, m_wheelDiameter, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)              \
  A(29, m_wheelAngle, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1a04001)                 \
  A(32, m_currentManikinRuleName, ::KTX::Frame::UStringObject, 0x201)                      \
  A(0, m_position, ::KTX::Frame::Integer, 0x1)                                             \
  A(1, m_classification, ::KTX::Frame::Integer, 0x1)                                       \
  A(2, m_standard, ::KTX::Frame::Integer, 0x1)                                             \
  A(4, m_sAEPercentile, ::KTX::Frame::Integer, 0x1)                                        \
  A(16, m_selectHipPoint, ::KTX::Frame::Tag, 0x1000001)                                    \
  A(21, m_selectHeelPoint, ::KTX::Frame::Tag, 0x1000001)                                   \
  A(25, m_selectSteeringWheelPoint, ::KTX::Frame::Tag, 0x1000001)                          \
  A(3, m_allowPostureValueOutOfRange, ::KTX::Frame::Logical, 0x1)                          \
  A(30, m_drivingPostureCheck, ::KTX::Frame::Logical, 0x1)                                 \
  A(31, m_jointAngleReport, ::KTX::Frame::Logical, 0x1)

// The 19 expressions in declaration order: the eight user sizes, then the eleven posture dimensions.
#define STAMVIK_MANIKIN_SIZE_EXPRESSIONS(X) \
  X(ThighLength, m_thighLength)             \
  X(LegLength, m_legLength)                 \
  X(ArmLength, m_armLength)                 \
  X(ForearmLength, m_forearmLength)         \
  X(TorsoLength, m_torsoLength)             \
  X(ShoulderToHipLength, m_shoulderToHipLength) \
  X(HandLength, m_handLength)               \
  X(HandGripLength, m_handGripLength)
#define STAMVIK_MANIKIN_POSTURE_EXPRESSIONS(X) \
  X(SgRPLength, m_sgRPLength)                  \
  X(SgRPWidth, m_sgRPWidth)                    \
  X(SgRPHeight, m_sgRPHeight)                  \
  X(BackAngle, m_backAngle)                    \
  X(AHPLength, m_aHPLength)                    \
  X(AHPHeight, m_aHPHeight)                    \
  X(PedalPlaneAngle, m_pedalPlaneAngle)        \
  X(AHPToSWCLength, m_aHPToSWCLength)          \
  X(AHPToSWCHeight, m_aHPToSWCHeight)          \
  X(WheelDiameter, m_wheelDiameter)            \
  X(WheelAngle, m_wheelAngle)

#define STAMVIK_MANIKIN_PLAIN_FIELDS(X)                                        \
  X(Position, m_position, JA_MANIKIN_BUILDER_PositionType)                     \
  X(Classification, m_classification, JA_MANIKIN_BUILDER_ClassificationType)   \
  X(Standard, m_standard, JA_MANIKIN_BUILDER_StandardType)                     \
  X(SAEPercentile, m_sAEPercentile, JA_MANIKIN_BUILDER_SAEPercentileType)      \
  X(AllowPostureValueOutOfRange, m_allowPostureValueOutOfRange, bool)          \
  X(DrivingPostureCheck, m_drivingPostureCheck, bool)                          \
  X(JointAngleReport, m_jointAngleReport, bool)

#define STAMVIK_MANIKIN_TEXTS(X)                     \
  X(CurrentManikinSize, m_currentManikinSize)        \
  X(OpenFromFile, m_openFromFile)                    \
  X(CurrentManikinRuleName, m_currentManikinRuleName)

#define STAMVIK_MANIKIN_POINT_TAGS(X)                                   \
  X(SelectHipPoint, m_selectHipPoint)                                   \
  X(SelectHeelPoint, m_selectHeelPoint)                                 \
  X(SelectSteeringWheelPoint, m_selectSteeringWheelPoint)

class STAMVIK_API ManikinBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(ManikinBuilder, JAX_FEAT_BUILDER, "KTX::VDJA::ManikinBuilder", STAMVIK_MANIKIN_BUILDER_ATTRIBUTES)

 public:
  friend class ManikinBuilderFactory;
  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;

  // Own operations, in slot order.
  virtual int SaveToFile(const char* fileName);
  virtual int OpenFromFile(const char* fileName);
  virtual int GetVehicleManikinSettings(VD_2DManikin_vehicle_settings_t* settings);
  virtual int GetManikinSizeData(VD_2DManikin_user_defined_manikin_size_value_t* sizes);
  virtual int GetManikinSizeArrayData(int standard, int percentileIndex, double sizes[8]);
  virtual int SetManikinSizeData(const VD_2DManikin_user_defined_manikin_size_value_t* sizes);
  virtual int SetManikinSizeArrayData(double sizes[8]);
  virtual int ValidateUserDefinedManikinSizeDimensions();
  virtual int PostureValidateDimension(VD_2DManikin_vehicle_settings_t* settings, double sizes[8],
                                       VD_2DManikin_Posture_Dimension_Position_t dimension, char** message);
  virtual int PostureValidateAllDimensions(char** message);
  virtual bool GetOutputOptionsReadyForApply();

  STAMVIK_MANIKIN_PLAIN_FIELDS(STAMVIK_PLAIN_ACCESSORS)
#define STAMVIK_TEXT(Name, field)                                  \
  UString Get##Name() const { return UString(Frame::CharsOf(field)); } \
  void Set##Name(const UString& text) { Frame::ReplaceString(this, field, text.utf8_str(), true); }
  STAMVIK_MANIKIN_TEXTS(STAMVIK_TEXT)
#undef STAMVIK_TEXT
  const char* GetSaveFileName() const { return Frame::CharsOf(m_saveFileName); }
  void SetSaveFileName(const char* fileName) { Frame::ReplaceString(this, m_saveFileName, fileName, false); }
#define STAMVIK_EXPRESSION(Name, field) EXP_expression* Get##Name() const { return field; }
  STAMVIK_MANIKIN_SIZE_EXPRESSIONS(STAMVIK_EXPRESSION)
  STAMVIK_MANIKIN_POSTURE_EXPRESSIONS(STAMVIK_EXPRESSION)
#undef STAMVIK_EXPRESSION
#define STAMVIK_POINT_TAG(Name, field)          \
  tag_t Get##Name() const { return field; }     \
  void Set##Name(tag_t point) { ::KTX::OM::SetReferencedObject(this, field##AttId, point); }
  STAMVIK_MANIKIN_POINT_TAGS(STAMVIK_POINT_TAG)
#undef STAMVIK_POINT_TAG

 protected:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);

 private:
  virtual int ConvertFrecToBuilderData(FEATURE_RECORD* frec);
  void implement_destroy();
  // Shows the user a validation refusal's text with its values.
  void ShowRefusal(int code) noexcept;
  int BuildManikin(const UString& ruleName, bool create);
  // The owning part's unit code as the size conversions read it: 1 inch, else 0.
  int PartUnitCode() const;
};

STAMVIK_OM_CLASS_EXPORTS(ManikinBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(ManikinBuilder)

class STAMVIK_API ManikinBuilderFactory {
 public:
  static ManikinBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::VDJA
