// A tire envelope: the tire's shape, the wheel's systems, how the wheel moves
// through its steering and jounce travel, the envelope's range and offsets,
// and the tire body and clearance analysis that may follow.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ClassFrame.hpp"
#include "Messages.hpp"
#include "feat/Builder.hpp"
#include "math/Point3.hpp"
#include "sel/Selection.hpp"
#include "sys/UString.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX {
struct Tireenv_params_s;
}

namespace KTX::VDJA {

class BlockWriter;
class RuleValues;

// A name or path longer than the feature's field refuses the commit.
using Messages::kTextTooLong;

enum JA_TIRE_ENVELOPE_BUILDER_TireDefinitionOption : int {
  SolidBody = 0,
  ProfileCurves = 1,
  SketchfromOtherPart = 2,
  ProfilePointFile = 3,
};
enum JA_TIRE_ENVELOPE_BUILDER_SpindleFileLocationOption : int { InNative = 0, InVaultra = 1 };
enum JA_TIRE_ENVELOPE_BUILDER_MotionMethod : int {
  ExistingSpindleFile = 0,
  FromSpindleLines = 1,
  ExistingScenarioMotionModel = 2,
  SuspensionTemplate = 3,
};
enum JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType : int {
  MacPhersonStrut = 0,
  ShortLongArmwithSteering = 1,
  ShortLongArmwithoutSteering = 2,
  FiveLinkSolidAxlewithoutSteering = 3,
};
enum JA_TIRE_ENVELOPE_BUILDER_DriverGraphOption : int {
  RectangularJounceRebound = 0,
  RectangularTaperedY = 1,
  RectangularTaperedX = 2,
  TaperedOneSide = 3,
  BySketch = 4,
  TwoDriversOneFixed = 5,
};
enum JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod : int {
  FixedSections = 0,
  CustomerDefinedData = 1,
  FromOffsetFile = 2,
};

// The motion record inside the work record: the driver path of the last
// generation and what the runs leave for the commit.
struct vdja_tireenv_motion_record_t {
  double spindleLine[6];  // the end point written second, then the one written first
  int pointCount;
  double* xValues;        // host allocator; first driver per point
  double* yValues;        // host allocator; second driver per point
  double limits[4];       // first lower, first upper, second lower, second upper
  int failed;
  std::uint8_t mode;      // 0 two drivers, 1 five-link axle
  double jounceDistance;
  double reboundDistance;
};
static_assert(sizeof(vdja_tireenv_motion_record_t) == sizeof(Tire_s::motionRecord) &&
              offsetof(vdja_tireenv_motion_record_t, xValues) == 56 &&
              offsetof(vdja_tireenv_motion_record_t, failed) == 104 &&
              offsetof(vdja_tireenv_motion_record_t, jounceDistance) == 112,
              "the motion record fills its region of the work record");

inline vdja_tireenv_motion_record_t* MotionRecordOf(Tire_s* area) {
  return reinterpret_cast<vdja_tireenv_motion_record_t*>(area->motionRecord);
}

using ExpressionRef = ::KTX::Frame::Ref<::KTX::EXP_expression>;

// Fields in object order (reals, then pointer-sized, then 4-byte values, then
// logicals); the attribute indexes are the declaration order.
#define STAMVIK_TIRE_ENVELOPE_BUILDER_ATTRIBUTES(A)                                         \
  A(39, m_firstDriverJointUpperLimit, ::KTX::Frame::Double, 0x1)                           \
  A(40, m_firstDriverJointLowerLimit, ::KTX::Frame::Double, 0x1)                           \
  A(42, m_secondDriverJointUpperLimit, ::KTX::Frame::Double, 0x1)                          \
  A(43, m_secondDriverJointLowerLimit, ::KTX::Frame::Double, 0x1)                          \
  A(45, m_taperLocationYAxis, ::KTX::Frame::Double, 0x1)                                   \
  A(46, m_taperLocationXAxis, ::KTX::Frame::Double, 0x1)                                   \
  A(47, m_taperLocationAY, ::KTX::Frame::Double, 0x1)                                      \
  A(48, m_taperLocationBX, ::KTX::Frame::Double, 0x1)                                      \
  A(49, m_fixedLocationPercentage, ::KTX::Frame::Double, 0x1)                              \
  A(50, m_jounceDistance, ::KTX::Frame::Double, 0x1)                                       \
  A(51, m_reboundDistance, ::KTX::Frame::Double, 0x1)                                      \
  A(54, m_envelopeConcavity, ::KTX::Frame::Double, 0x1)                                    \
  A(73, m_matrix, ::KTX::Frame::Matrix, 0x1)                                               \
  A(74, m_origin, ::KTX::Frame::Point, 0x1)                                                \
  A(100, m_wheelPoint, ::KTX::Frame::Point, 0x1)                                           \
  A(101, m_spindlePoint, ::KTX::Frame::Point, 0x1)                                         \
  A(2, m_sessionNotes, ::KTX::Frame::UStringArray, 0x10000201)                             \
  A(9, m_newPartFile, ::KTX::Frame::StringObject, 0x201)                                   \
  A(10, m_masterPartName, ::KTX::Frame::StringObject, 0x201)                               \
  A(12, m_tireDefinitionBody, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)      \
  A(13, m_tireDefinitionProfile, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)   \
  A(14, m_profilePointFile, ::KTX::Frame::StringObject, 0x201)                             \
  A(17, m_wheelRimDiameter, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                   \
  A(19, m_wheelCenterlineShift, ::KTX::VDJA::ExpressionRef, 0x1a04001)                               \
  A(22, m_spindleFileNameNative, ::KTX::Frame::StringObject, 0x201)                        \
  A(23, m_spindleFileNameVre, ::KTX::Frame::StringObject, 0x201)                           \
  A(24, m_spindleFileName, ::KTX::Frame::StringObject, 0x201)                              \
  A(25, m_designPositionSpindle, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)        \
  A(27, m_spindleLines, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)            \
  A(30, m_suspensionTemplateFileName, ::KTX::Frame::StringObject, 0x201)                   \
  A(34, m_leftStabilizerBar, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)       \
  A(35, m_rightStabilizerBar, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)      \
  A(36, m_tracedSpindleLine, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)            \
  A(38, m_driverGraphSketch, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)            \
  A(53, m_rollAngle, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                          \
  A(55, m_distanceTolerance, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                  \
  A(56, m_radialStartAngle, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                   \
  A(57, m_radialEndAngle, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                     \
  A(58, m_trimRadius, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                         \
  A(61, m_offsetFileName, ::KTX::Frame::StringObject, 0x201)                               \
  A(62, m_frontOffsetValue, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                   \
  A(63, m_upOffsetValue, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                      \
  A(64, m_rearOffsetValue, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                    \
  A(65, m_downOffsetValue, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                    \
  A(66, m_inboardOffsetValue, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                 \
  A(67, m_outboardOffsetValue, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                \
  A(68, m_tireBodyOutputFileName, ::KTX::Frame::StringObject, 0x201)                       \
  A(70, m_clearanceAnalysisBodies, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001) \
  A(71, m_clearanceAnalysisComponents, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001) \
  A(72, m_clearanceValue, ::KTX::VDJA::ExpressionRef, 0x1a04001)                                     \
  A(76, m_profileCurves, ::KTX::Frame::TagArray, 0x1000201)                                \
  A(78, m_sketchName, ::KTX::Frame::StringObject, 0x201)                                   \
  A(79, m_sketchPartName, ::KTX::Frame::StringObject, 0x201)                               \
  A(80, m_profileName, ::KTX::Frame::StringObject, 0x201)                                  \
  A(81, m_spindleCurves, ::KTX::Frame::TagArray, 0x1000201)                                \
  A(83, m_scenarioName, ::KTX::Frame::StringObject, 0x201)                                 \
  A(86, m_spindleLineHandle, ::KTX::Frame::StringObject, 0x201)                            \
  A(88, m_fLADrvJointHandles, ::KTX::Frame::StringArray, 0x201)                            \
  A(89, m_jointTagHandles, ::KTX::Frame::StringArray, 0x201)                               \
  A(90, m_steeringJointName, ::KTX::Frame::StringObject, 0x201)                            \
  A(91, m_jouceJointName, ::KTX::Frame::StringObject, 0x201)                               \
  A(93, m_motionFile, ::KTX::Frame::StringObject, 0x201)                                   \
  A(98, m_compOffsets, ::KTX::Frame::DoubleArray<>, 0x201)                                 \
  A(102, m_uiData, ::KTX::Frame::Struct<::KTX::Tire_s>, 0x1)                               \
  A(3, m_sheetBodyLayer, ::KTX::Frame::Integer, 0x1)                                       \
  A(4, m_sectionLayer, ::KTX::Frame::Integer, 0x1)                                         \
  A(5, m_profileSplineLayer, ::KTX::Frame::Integer, 0x1)                                   \
  A(6, m_spindleLinesLayer, ::KTX::Frame::Integer, 0x1)                                    \
  A(11, m_tireDefinition, ::KTX::Frame::Integer, 0x1)                                      \
  A(15, m_wheelCsys, ::KTX::Frame::Tag, 0x404001)                                          \
  A(16, m_rimDiameterOption, ::KTX::Frame::Integer, 0x1)                                   \
  A(20, m_motion, ::KTX::Frame::Integer, 0x1)                                              \
  A(21, m_spindleFileLocation, ::KTX::Frame::Integer, 0x1)                                 \
  A(26, m_spindleEndPoint, ::KTX::Frame::Tag, 0x404001)                                    \
  A(28, m_suspensionTemplate, ::KTX::Frame::Integer, 0x1)                                  \
  A(37, m_driverGraph, ::KTX::Frame::Integer, 0x1)                                         \
  A(41, m_firstDriverJointSteps, ::KTX::Frame::Integer, 0x1)                               \
  A(44, m_secondDriverJointSteps, ::KTX::Frame::Integer, 0x1)                              \
  A(52, m_shockDriverJointSteps, ::KTX::Frame::Integer, 0x1)                               \
  A(69, m_tireBodyPosition, ::KTX::Frame::Integer, 0x1)                                    \
  A(75, m_type, ::KTX::Frame::Integer, 0x1)                                                \
  A(84, m_masterPartTag, ::KTX::Frame::Tag, 0x1000001)                                     \
  A(85, m_scenarioTag, ::KTX::Frame::Tag, 0x1000001)                                       \
  A(87, m_driveJointCount, ::KTX::Frame::Integer, 0x1)                                     \
  A(94, m_envelopeOffset, ::KTX::Frame::Integer, 0x1)                                      \
  A(95, m_assemblyPart, ::KTX::Frame::Tag, 0x1000001)                                      \
  A(97, m_movingCompInstTag, ::KTX::Frame::Tag, 0x1000001)                                 \
  A(99, m_tireEnvelopeBody, ::KTX::Frame::Tag, 0x1000001)                                  \
  A(0, m_createTireEnvelopeFeature, ::KTX::Frame::Logical, 0x1)                            \
  A(1, m_runClearanceAnalysis, ::KTX::Frame::Logical, 0x1)                                 \
  A(7, m_displayInput, ::KTX::Frame::Logical, 0x1)                                         \
  A(8, m_addMasterComponentPart, ::KTX::Frame::Logical, 0x1)                               \
  A(18, m_mirrorProfile, ::KTX::Frame::Logical, 0x1)                                       \
  A(29, m_saveScenario, ::KTX::Frame::Logical, 0x1)                                        \
  A(31, m_innerJointAsymmetric, ::KTX::Frame::Logical, 0x1)                                \
  A(32, m_useStabilizerBar, ::KTX::Frame::Logical, 0x1)                                    \
  A(33, m_bushingJointAsymmetric, ::KTX::Frame::Logical, 0x1)                              \
  A(59, m_applyOffset, ::KTX::Frame::Logical, 0x1)                                         \
  A(60, m_useOffsetFile, ::KTX::Frame::Logical, 0x1)                                       \
  A(77, m_isNewLinkedProfile, ::KTX::Frame::Logical, 0x1)                                  \
  A(82, m_saveMasterPart, ::KTX::Frame::Logical, 0x1)                                      \
  A(92, m_xtoY, ::KTX::Frame::Logical, 0x1)                                                \
  A(96, m_isNewBodyFile, ::KTX::Frame::Logical, 0x1)

// Plain values: logicals, integers, reals, enumerations.
#define STAMVIK_TIRE_ENVELOPE_PLAIN_FIELDS(X)                                          \
  X(CreateTireEnvelopeFeature, m_createTireEnvelopeFeature, bool)                      \
  X(RunClearanceAnalysis, m_runClearanceAnalysis, bool)                                \
  X(DisplayInput, m_displayInput, bool)                                                \
  X(AddMasterComponentPart, m_addMasterComponentPart, bool)                            \
  X(MirrorProfile, m_mirrorProfile, bool)                                              \
  X(SaveScenario, m_saveScenario, bool)                                                \
  X(InnerJointAsymmetric, m_innerJointAsymmetric, bool)                                \
  X(UseStabilizerBar, m_useStabilizerBar, bool)                                        \
  X(BushingJointAsymmetric, m_bushingJointAsymmetric, bool)                            \
  X(ApplyOffset, m_applyOffset, bool)                                                  \
  X(UseOffsetFile, m_useOffsetFile, bool)                                              \
  X(IsNewLinkedProfile, m_isNewLinkedProfile, bool)                                    \
  X(SaveMasterPart, m_saveMasterPart, bool)                                            \
  X(XtoY, m_xtoY, bool)                                                                \
  X(IsNewBodyFile, m_isNewBodyFile, bool)                                              \
  X(SheetBodyLayer, m_sheetBodyLayer, int)                                             \
  X(SectionLayer, m_sectionLayer, int)                                                 \
  X(ProfileSplineLayer, m_profileSplineLayer, int)                                     \
  X(SpindleLinesLayer, m_spindleLinesLayer, int)                                       \
  X(RimDiameterOption, m_rimDiameterOption, int)                                       \
  X(FirstDriverJointSteps, m_firstDriverJointSteps, int)                               \
  X(SecondDriverJointSteps, m_secondDriverJointSteps, int)                             \
  X(ShockDriverJointSteps, m_shockDriverJointSteps, int)                               \
  X(TireBodyPosition, m_tireBodyPosition, int)                                         \
  X(DriveJointCount, m_driveJointCount, int)                                           \
  X(FirstDriverJointUpperLimit, m_firstDriverJointUpperLimit, double)                  \
  X(FirstDriverJointLowerLimit, m_firstDriverJointLowerLimit, double)                  \
  X(SecondDriverJointUpperLimit, m_secondDriverJointUpperLimit, double)                \
  X(SecondDriverJointLowerLimit, m_secondDriverJointLowerLimit, double)                \
  X(TaperLocationYAxis, m_taperLocationYAxis, double)                                  \
  X(TaperLocationXAxis, m_taperLocationXAxis, double)                                  \
  X(TaperLocationAY, m_taperLocationAY, double)                                        \
  X(TaperLocationBX, m_taperLocationBX, double)                                        \
  X(FixedLocationPercentage, m_fixedLocationPercentage, double)                        \
  X(JounceDistance, m_jounceDistance, double)                                          \
  X(ReboundDistance, m_reboundDistance, double)                                        \
  X(EnvelopeConcavity, m_envelopeConcavity, double)                                    \
  X(TireDefinition, m_tireDefinition, JA_TIRE_ENVELOPE_BUILDER_TireDefinitionOption)   \
  X(Motion, m_motion, JA_TIRE_ENVELOPE_BUILDER_MotionMethod)                           \
  X(SpindleFileLocation, m_spindleFileLocation, JA_TIRE_ENVELOPE_BUILDER_SpindleFileLocationOption) \
  X(SuspensionTemplate, m_suspensionTemplate, JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType) \
  X(DriverGraph, m_driverGraph, JA_TIRE_ENVELOPE_BUILDER_DriverGraphOption)           \
  X(EnvelopeOffset, m_envelopeOffset, JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod)

#define STAMVIK_TIRE_ENVELOPE_STRINGS(X)                        \
  X(NewPartFile, m_newPartFile)                                 \
  X(MasterPartName, m_masterPartName)                           \
  X(ProfilePointFile, m_profilePointFile)                       \
  X(SpindleFileNameNative, m_spindleFileNameNative)             \
  X(SpindleFileNameVre, m_spindleFileNameVre)                   \
  X(SpindleFileName, m_spindleFileName)                         \
  X(SuspensionTemplateFileName, m_suspensionTemplateFileName)   \
  X(OffsetFileName, m_offsetFileName)                           \
  X(TireBodyOutputFileName, m_tireBodyOutputFileName)           \
  X(SketchName, m_sketchName)                                   \
  X(SketchPartName, m_sketchPartName)                           \
  X(ProfileName, m_profileName)                                 \
  X(ScenarioName, m_scenarioName)                               \
  X(SpindleLineHandle, m_spindleLineHandle)                     \
  X(SteeringJointName, m_steeringJointName)                     \
  X(JouceJointName, m_jouceJointName)                           \
  X(MotionFile, m_motionFile)

#define STAMVIK_TIRE_ENVELOPE_SELECTIONS(X)                              \
  X(TireDefinitionBody, m_tireDefinitionBody, SELECT_OBJECT_list)        \
  X(TireDefinitionProfile, m_tireDefinitionProfile, SELECT_OBJECT_list)  \
  X(DesignPositionSpindle, m_designPositionSpindle, SELECT_OBJECT)       \
  X(SpindleLines, m_spindleLines, SELECT_OBJECT_list)                    \
  X(LeftStabilizerBar, m_leftStabilizerBar, SELECT_OBJECT_list)          \
  X(RightStabilizerBar, m_rightStabilizerBar, SELECT_OBJECT_list)        \
  X(TracedSpindleLine, m_tracedSpindleLine, SELECT_OBJECT)               \
  X(DriverGraphSketch, m_driverGraphSketch, SELECT_OBJECT)               \
  X(ClearanceAnalysisBodies, m_clearanceAnalysisBodies, SELECT_OBJECT_list) \
  X(ClearanceAnalysisComponents, m_clearanceAnalysisComponents, SELECT_OBJECT_list)

// The expressions, in the order a new builder makes them, with their measure
// (0 length, 7 angle). Those with a setter are marked 1.
#define STAMVIK_TIRE_ENVELOPE_EXPRESSIONS(X)              \
  X(WheelRimDiameter, m_wheelRimDiameter, 0, 1)           \
  X(WheelCenterlineShift, m_wheelCenterlineShift, 0, 1)   \
  X(RollAngle, m_rollAngle, 7, 0)                         \
  X(DistanceTolerance, m_distanceTolerance, 0, 1)         \
  X(RadialStartAngle, m_radialStartAngle, 7, 1)           \
  X(RadialEndAngle, m_radialEndAngle, 7, 1)               \
  X(TrimRadius, m_trimRadius, 0, 1)                       \
  X(FrontOffsetValue, m_frontOffsetValue, 0, 0)           \
  X(UpOffsetValue, m_upOffsetValue, 0, 0)                 \
  X(RearOffsetValue, m_rearOffsetValue, 0, 0)             \
  X(DownOffsetValue, m_downOffsetValue, 0, 0)             \
  X(InboardOffsetValue, m_inboardOffsetValue, 0, 0)       \
  X(OutboardOffsetValue, m_outboardOffsetValue, 0, 0)     \
  X(ClearanceValue, m_clearanceValue, 0, 0)

#define STAMVIK_TIRE_ENVELOPE_TAGS(X)               \
  X(WheelCsys, m_wheelCsys)                         \
  X(SpindleEndPoint, m_spindleEndPoint)             \
  X(MasterPartTag, m_masterPartTag)                 \
  X(ScenarioTag, m_scenarioTag)                     \
  X(AssemblyPart, m_assemblyPart)                   \
  X(MovingCompInstTag, m_movingCompInstTag)         \
  X(TireEnvelopeBody, m_tireEnvelopeBody)

class STAMVIK_API TireEnvelopeBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(TireEnvelopeBuilder, JAX_FEAT_BUILDER, "KTX::VDJA::TireEnvelopeBuilder",
                   STAMVIK_TIRE_ENVELOPE_BUILDER_ATTRIBUTES)

 public:
  friend class TireEnvelopeBuilderFactory;
  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;
  // 0, or the message number of the first input that fails its check.
  int validate_nothrow() override;
  // Creates the tire-envelope feature from everything the builder holds, or
  // updates the one it edits: 0, the host's status, or kTextTooLong.
  int commit_feature(FEATURE_RECORD** frec) override;

  // Own operations, in slot order.
  virtual int SwitchDriversButton();
  virtual void SetVehicleCsys(int type, const double origin[3], const double matrix[9]);
  virtual void GetVehicleCsys(int* type, double origin[3], double matrix[9]);
  virtual void SetSpindleLineEndPoint(const double wheelPoint[3], const double spindlePoint[3]);
  virtual void GetSpindleLineEndPoint(double wheelPoint[3], double spindlePoint[3]);
  virtual int GetSpindleLineWheelEnd(tag_t line, const double point[3]);
  virtual int AddMasterPart(const char* partName);
  virtual int CreateLinkedProfiles();
  virtual int CreateSpindleLines(const char* fileName);
  virtual int CalculateProfilePoints();
  virtual int LoadTemplatePointFile(const char* fileName, char** message);
  virtual int UpdateTemplatePoint(JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType type, int index,
                                  Math::Point3 point);
  virtual int ProcessFromSpindelLines();
  virtual void InitializeEnvelopeOffset();
  virtual int CreateTireBodyFeature(int search, tag_t* body, double pointA[3], double pointB[3]);
  virtual int ProcessTireBodyPart();
  virtual int ReassemTireBodyComponent();
  virtual int RepositionMovingComponent();
  virtual int PerformCleranceAnalysis();
  virtual int BuildMotionTemplate();
  virtual int RunMotionArticulation();
  virtual int DisplayInputInformation();
  virtual bool IsSolidBodyFromComponentPart();

  STAMVIK_TIRE_ENVELOPE_PLAIN_FIELDS(STAMVIK_PLAIN_ACCESSORS)
#define STAMVIK_STRING(Name, field)                                   \
  const char* Get##Name() const { return Frame::CharsOf(field); }    \
  void Set##Name(const char* text) { Frame::ReplaceString(this, field, text, false); }
  STAMVIK_TIRE_ENVELOPE_STRINGS(STAMVIK_STRING)
#undef STAMVIK_STRING
#define STAMVIK_SELECTION(Name, field, Type) Type* Get##Name() const { return field; }
  STAMVIK_TIRE_ENVELOPE_SELECTIONS(STAMVIK_SELECTION)
#undef STAMVIK_SELECTION
#define STAMVIK_EXPRESSION(Name, field, measure, settable) EXP_expression* Get##Name() const { return field; }
  STAMVIK_TIRE_ENVELOPE_EXPRESSIONS(STAMVIK_EXPRESSION)
#undef STAMVIK_EXPRESSION
  void SetWheelRimDiameter(EXP_expression* expression);
  void SetWheelCenterlineShift(EXP_expression* expression);
  void SetDistanceTolerance(EXP_expression* expression);
  void SetRadialStartAngle(EXP_expression* expression);
  void SetRadialEndAngle(EXP_expression* expression);
  void SetTrimRadius(EXP_expression* expression);
#define STAMVIK_TAG(Name, field)              \
  tag_t Get##Name() const { return field; }   \
  void Set##Name(tag_t tag) { ::KTX::OM::SetReferencedObject(this, field##AttId, tag); }
  STAMVIK_TIRE_ENVELOPE_TAGS(STAMVIK_TAG)
#undef STAMVIK_TAG

  // The work area. A builder that has none of its own (made by the host's
  // create callback, or brought back by undo) gets a fresh one here, with
  // the initial hard points; the pointer the field holds is never trusted.
  void* GetUiData() { return WorkArea(); }
  Tire_s* WorkArea();
  // Hands the builder a work area (from the host allocator, Tire_s in size)
  // that it owns from now on; its previous one is freed. Null frees it.
  void SetUiData(void* area);

  int GetNumSessionNotes() const;
  void SetNumSessionNotes(int count);
  UString GetNthValueInSessionNotes(int n) const;
  void SetNthValueInSessionNotes(int n, const UString& note);
  tag_t GetProfileCurve(int n) const;
  void SetProfileCurve(int n, tag_t curve);
  int GetProfileCurveLength() const;
  void SetProfileCurveLength(int length);
  tag_t GetSpindleCurve(int n) const;
  void SetSpindleCurve(int n, tag_t curve);
  int GetSpindleCurveLength() const;
  void SetSpindleCurveLength(int length);
  const char* GetFLADrvJointHandle(int n) const;
  void SetFLADrvJointHandle(int n, const char* handle);
  int GetFLADrvJointHandleLength() const;
  void SetFLADrvJointHandleLength(int length);
  const char* GetJointTagHandle(int n) const;
  void SetJointTagHandle(int n, const char* handle);
  int GetJointTagHandleLength() const;
  void SetJointTagHandleLength(int length);
  double GetCompOffset(int n) const;
  void SetCompOffset(int n, double offset);
  int GetCompOffsetLength() const;
  void SetCompOffsetLength(int length);
  // The joint-displacement file the last five-link run wrote ("" when none):
  // kept with the builder's transient state, never stored.
  const char* GetJointsDisplacementFile() const;
  // The names of every driver input a commit compares with the run's (the
  // hard points under the method that moves them), in the order compared.
  static std::vector<std::string> ComparedDriverInputs();

 protected:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);

 private:
  virtual int ConvertFrecToBuilderData(FEATURE_RECORD* frec);
  // The commit's writes, under the mark commit_feature holds: the feature
  // made or updated into *frec.
  int WriteFeature(FEATURE_RECORD** frec);
  // An edit's values written as numbers that were not set through the
  // builder since it read the feature, taken from the feature as it is now.
  void TakeFeatureValues(FEATURE_RECORD* feature);
  // The older form: a knowledge-rule instance linked to the record.
  void ConvertRuleInstanceToBuilderData(FEATURE_RECORD* frec);
  // Commit's parts: the tire, the motion (with the suspension template's
  // points) and the clearance analysis into the block.
  void WriteBlockTire(Tireenv_params_s* block, BlockWriter& w, FEATURE_RECORD* own);
  void WriteBlockMotion(Tireenv_params_s* block, BlockWriter& w, FEATURE_RECORD* own);
  void WriteBlockTemplate(Tireenv_params_s* block, BlockWriter& w, FEATURE_RECORD* own);
  void WriteBlockClearance(Tireenv_params_s* block, BlockWriter& w);
  // Editing's parts: the same read back from the block.
  void ReadBlockTire(const Tireenv_params_s& b);
  void ReadBlockMotion(const Tireenv_params_s& b);
  void ReadBlockTemplate(const Tireenv_params_s& b);
  void ReadBlockDrivers(const Tireenv_params_s& b);
  void ReadBlockOffsets(const Tireenv_params_s& b);
  void ReadBlockClearance(const Tireenv_params_s& b);
  // The older form's parts.
  void ReadRuleTire(const RuleValues& rule, const std::optional<bool>& mirror);
  void ReadRuleMotion(const RuleValues& rule);
  void ReadRuleTemplate(const RuleValues& rule);
  void ReadRuleDrivers(const RuleValues& rule);
  void ReadRuleEnvelope(const RuleValues& rule);
  void ReadRuleClearance(const RuleValues& rule);
  // The listing's parts: the motion's definition and its drivers.
  bool ListMotion();
  void ListDrivers();
  void ListEnvelope();
  // The motion template's parts: the scenario built or opened, and the two
  // joints the articulation drives.
  int PrepareScenario(int motion, int templateType, bool save, bool manager, PART_part* work, PART_part* root,
                      bool* fiveLink);
  void ChooseDriverJoints(int motion, int templateType, bool fiveLink, int count, const tag_t* drive);
  void SetDriverLocationsFromDefaults();
  int CopyProfileFromFile();
  // The template options as the builder holds them (UseStabilizerBar,
  // InnerJointAsymmetric, BushingJointAsymmetric) into every template's
  // record of the work area, which the template build, the listing and the
  // commit read: the builder's fields are the one place they are kept.
  void CarryTemplateOptions();
  void implement_destroy();
  // CalculateProfilePoints without the check of the section it gives.
  int TakeProfilePoints();
  int Validate();
  // Why no tire body can be made of the inputs as they stand; 0 when it can.
  int TireBodyRefusal();
  // The motion file now named holds a trace made with the driver inputs the
  // builder now holds (a run's, or the feature's read back); a commit is
  // refused while they differ from those the feature would hold.
  void RecordTracedMotion();
  int TracedMotionRefusal();
  // A spindle file a script named (SpindleFileName, which names the motion
  // file too) while the motion is one that makes its own file: the feature
  // would claim that motion and hold the file's. Refused, naming both.
  int SpindleFileRefusal();
};

// A new length (measure 0) or angle (7) expression of the value to six
// decimals, or of the text.
EXP_expression* vdja_tireenv_new_expression(double value, int measure);
EXP_expression* vdja_tireenv_new_expression(const char* text, int measure);

// Under the data-management manager the host names the scenario for the
// root part (a new text in *name); otherwise *name is left as it is.
STAMVIK_API void vdja_tireenv_generate_managed_scenario_name(char** name);

STAMVIK_OM_CLASS_EXPORTS(TireEnvelopeBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(TireEnvelopeBuilder)

class STAMVIK_API TireEnvelopeBuilderFactory {
 public:
  static TireEnvelopeBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::VDJA
