// Scripting class "Features.TireEnvelopeBuilder": its description and its
// automation interface. The member table is in interface order; the two
// forms of AddMasterPart and of SetTireProfileSketch are overload entries,
// exported under their numbers. SwitchDrivers alone takes the builder's tag.
#pragma once
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "ja_value_types.hpp"
#include "jax_features_tire_envelope_builder.hpp"

void JA_TireEnvelopeBuilder_initialize_class();
void JA_TireEnvelopeBuilder_destroy_class();
void JA_TireEnvelopeBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_TireEnvelopeBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_features_tire_envelope_builder_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::ByTag;
using ::KTX::JA::Count;
using ::KTX::JA::In;
using ::KTX::JA::NamedAs;
using ::KTX::JA::Result;
using ::KTX::JA::ResultCount;
using ::KTX::JA::Signature;
using ::KTX::VDJA::TireEnvelopeBuilder;

using TireDefinitionOption = ::KTX::JA::Enum<"Features.TireEnvelopeBuilder.TireDefinitionOption">;
using SpindleFileLocationOption = ::KTX::JA::Enum<"Features.TireEnvelopeBuilder.SpindleFileLocationOption">;
using MotionMethod = ::KTX::JA::Enum<"Features.TireEnvelopeBuilder.MotionMethod">;
using SuspensionTemplateType = ::KTX::JA::Enum<"Features.TireEnvelopeBuilder.SuspensionTemplateType">;
using DriverGraphOption = ::KTX::JA::Enum<"Features.TireEnvelopeBuilder.DriverGraphOption">;
using EnvelopeOffsetMethod = ::KTX::JA::Enum<"Features.TireEnvelopeBuilder.EnvelopeOffsetMethod">;

// Values journalled and printed under names of their own.
using AddMasterPartFlag = NamedAs<Logical, "addmasterpart", "addMasterPart">;
using MirrorFlag = NamedAs<Logical, "mirror", "mirror">;
using SaveMasterPartFlag = NamedAs<Logical, "savemasterpart", "saveMasterpart">;
using MotionMethodValue = NamedAs<MotionMethod, "motionmethod", "motionMethod">;
using DriverGraphValue = NamedAs<DriverGraphOption, "drivergraphoption", "driverGraphOption">;
using OffsetMethodValue = NamedAs<EnvelopeOffsetMethod, "offsetmethod", "offsetMethod">;
using FileName = NamedAs<String, "filename", "filename">;

using CsysTag = ::KTX::JA::TagOf<"CoordinateSystem", "CoordinateSystem">;
using PointTag = ::KTX::JA::TagOf<"Point", "Point">;
using PartTag = ::KTX::JA::TagOf<"Part", "Part">;
using SketchTag = ::KTX::JA::TagOf<"Sketch", "Sketch">;
using JointTag = ::KTX::JA::TagOf<"BrenvikObject", "BrenvikObject">;
using TextArray = ::KTX::JA::TextArray;

using SelectCurve = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT, "SelectCurve", "SelectObject", "Curve">;
using SelectCurveList = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT_list, "SelectCurveList", "SelectObjectList", "Curve">;
using SelectDisplayableObjectList = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT_list, "SelectDisplayableObjectList",
                                                              "SelectObjectList", "DisplayableObject">;
using SelectSketch = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT, "SelectSketch", "SelectObject", "Sketch">;
using SelectComponentList = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT_list, "Assemblies.SelectComponentList",
                                                      "SelectObjectList", "Assemblies.Component">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = TireEnvelopeBuilder;
  static constexpr const char* journalClass = "Features.TireEnvelopeBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_features_tire_envelope_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xE8DD7489;
  static constexpr ::KTX::JA::Creator creator{"Features.AutomotiveCollection", "CreateTireEnvelopeBuilder"};
  static constexpr std::array<const char*, 4> dependencies{"Expression", "SelectObject", "SelectObjectList", "qdmath"};
  // Classes and template classes in one run, in ASCII order but for
  // "BrenvikObject", which comes after the parent.
  static constexpr std::array<::KTX::JA::SetUpStep, 4> setUpOrder{
      ::KTX::JA::SetUpStep::ClassesAndTemplates, ::KTX::JA::SetUpStep::Enumerations,
      ::KTX::JA::SetUpStep::Structures, ::KTX::JA::SetUpStep::EnumerationMembers};
  static constexpr std::array<const char*, 5> lookUpOrder{"Assemblies.SelectComponentList", "CoordinateSystem",
                                                          "Expression", "Features.FeatureBuilder", "BrenvikObject"};
  static constexpr ::KTX::Stamvik::InputRefusals inputRefusals{
      ::KTX::Messages::kTireUnknownMember, ::KTX::Messages::kTireSelectedObjectGone,
      ::KTX::Messages::kTireSelectedBuilder, ::KTX::Messages::kTireSelectedOwnFeature};
  static constexpr std::array<::KTX::JA::EnumDescription, 6> enums{{
      {"Features.TireEnvelopeBuilder.TireDefinitionOption",
       {"SolidBody", "ProfileCurves", "SketchfromOtherPart", "ProfilePointFile"}},
      {"Features.TireEnvelopeBuilder.SpindleFileLocationOption", {"InNative", "InVaultra"}},
      {"Features.TireEnvelopeBuilder.MotionMethod",
       {"ExistingSpindleFile", "FromSpindleLines", "ExistingScenarioMotionModel", "SuspensionTemplate"}},
      {"Features.TireEnvelopeBuilder.SuspensionTemplateType",
       {"MacPhersonStrut", "ShortLongArmwithSteering", "ShortLongArmwithoutSteering",
        "FiveLinkSolidAxlewithoutSteering"}},
      {"Features.TireEnvelopeBuilder.DriverGraphOption",
       {"RectangularJounceRebound", "RectangularTaperedY", "RectangularTaperedX", "TaperedOneSide", "BySketch",
        "TwoDriversOneFixed"}},
      {"Features.TireEnvelopeBuilder.EnvelopeOffsetMethod", {"FixedSections", "CustomerDefinedData", "FromOffsetFile"}},
  }};
  // The inch set leaves the six offsets at "0", as the host's own set does.
  static constexpr std::array<::KTX::JA::DefaultRow, 47> defaults{{
      // property path                  millimetre                   inch
      {"AddMasterComponentPart",        "0",                         "0"},
      {"ApplyOffset",                   "0",                         "0"},
      {"BushingJointAsymmetric",        "0",                         "0"},
      {"ClearanceValue.Value",          "20",                        "0.75"},
      {"CreateTireEnvelopeFeature",     "1",                         "1"},
      {"DistanceTolerance.Value",       "0",                         "0"},
      {"DownOffsetValue.Value",         "6",                         "0"},
      {"DriverGraph",                   "RectangularJounceRebound",  "RectangularJounceRebound"},
      {"EnvelopeConcavity",             "0.5",                       "0.5"},
      {"FirstDriverJointLowerLimit",    "0",                         "0"},
      {"FirstDriverJointSteps",         "0",                         "0"},
      {"FirstDriverJointUpperLimit",    "0",                         "0"},
      {"FixedLocationPercentage",       "40",                        "40"},
      {"FrontOffsetValue.Value",        "20",                        "0"},
      {"InboardOffsetValue.Value",      "10",                        "0"},
      {"InnerJointAsymmetric",          "0",                         "0"},
      {"JounceDistance",                "0",                         "0"},
      {"MirrorProfile",                 "1",                         "1"},
      {"Motion",                        "ExistingSpindleFile",       "ExistingSpindleFile"},
      {"OutboardOffsetValue.Value",     "10",                        "0"},
      {"ProfileSplineLayer",            "1",                         "1"},
      {"RadialEndAngle.Value",          "0",                         "0"},
      {"RadialStartAngle.Value",        "0",                         "0"},
      {"RearOffsetValue.Value",         "15",                        "0"},
      {"ReboundDistance",               "0",                         "0"},
      {"RollAngle.Value",               "7",                         "7"},
      {"RunClearanceAnalysis",          "1",                         "1"},
      {"SaveScenario",                  "1",                         "1"},
      {"SecondDriverJointLowerLimit",   "0",                         "0"},
      {"SecondDriverJointSteps",        "0",                         "0"},
      {"SecondDriverJointUpperLimit",   "0",                         "0"},
      {"SectionLayer",                  "1",                         "1"},
      {"SheetBodyLayer",                "1",                         "1"},
      {"ShockDriverJointSteps",         "0",                         "0"},
      {"SpindleFileLocation",           "InNative",                  "InNative"},
      {"SpindleLinesLayer",             "1",                         "1"},
      {"SuspensionTemplate",            "MacPhersonStrut",           "MacPhersonStrut"},
      {"TaperLocationAY",               "40",                        "40"},
      {"TaperLocationBX",               "40",                        "40"},
      {"TaperLocationXAxis",            "100",                       "100"},
      {"TaperLocationYAxis",            "100",                       "100"},
      {"TireDefinition",                "SolidBody",                 "SolidBody"},
      {"TrimRadius.Value",              "0",                         "0"},
      {"UpOffsetValue.Value",           "6",                         "0"},
      {"UseStabilizerBar",              "0",                         "0"},
      {"WheelCenterlineShift.Value",    "20",                        "1"},
      {"WheelRimDiameter.Value",        "430",                       "15"},
  }};
  static constexpr int defaultsLine = 7083;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_TireEnvelopeBuilder_initialize_class;
  static constexpr auto destroy = &JA_TireEnvelopeBuilder_destroy_class;
  static constexpr auto testPrint = &JA_TireEnvelopeBuilder_test_print;
  static constexpr auto setDefaults = &JA_TireEnvelopeBuilder_set_defaults;
};
using Object = Unit::Object;

using NoArguments = Signature<ByPointer, -1>;
using GetSessionNotesSignature = Signature<ByPointer, -1, ResultCount<"sessionnotes">, Result<TextArray, "sessionnotes">>;
using SetSessionNotesSignature = Signature<ByPointer, -1, Count<"sessionnotes">, In<TextArray, "sessionnotes">>;
using SwitchDriversSignature = Signature<ByTag, -1>;
using VehicleCsysSignature = Signature<ByPointer, -1, In<Integer, "type">, In<Point3d, "origin">, In<Matrix3x3, "matrix">>;
using MasterPartByNameSignature = Signature<ByPointer, -1, In<String, "partName">>;
using MasterPartByPartSignature = Signature<ByPointer, -1, In<PartTag, "partObject">>;
using SketchByNamesSignature = Signature<ByPointer, -1, In<String, "partname">, In<String, "sketchname">>;
using SketchByObjectSignature = Signature<ByPointer, -1, In<SketchTag, "sketchObject">>;
using ReadTemplateSignature = Signature<ByPointer, -1, In<String, "fileName">, Result<String, "missPointName">>;
using TemplatePointSignature =
    Signature<ByPointer, -1, In<SuspensionTemplateType, "templateType">, In<Integer, "jointIndex">, In<Point3d, "pnt">>;
using DriverJointsSignature = Signature<ByPointer, -1, In<JointTag, "steerJoint">, In<JointTag, "jounceJoint">>;
using OffsetSectionsSignature = Signature<ByPointer, -1, Count<"sectionAngle">, In<DoubleArray, "sectionAngle">>;
using OffsetValuesSignature =
    Signature<ByPointer, -1, In<Integer, "sectionIndex">, Count<"offsetValues">, In<DoubleArray, "offsetValues">>;
using ClearanceValuesSignature = Signature<ByPointer, -1, Count<"clearancevalues">, In<DoubleArray, "clearancevalues">>;

// clang-format off
#define JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(X) \
  /* kind      member                       value type / signature       method body                                                                              line  overload */ \
  X(get,       CreateTireEnvelopeFeature,   Logical,                     JA_FIELD(m_createTireEnvelopeFeature),                                                   111) \
  X(set,       CreateTireEnvelopeFeature,   Logical,                     JA_FIELD(m_createTireEnvelopeFeature),                                                   163) \
  X(get,       RunClearanceAnalysis,        Logical,                     JA_FIELD(m_runClearanceAnalysis),                                                        215) \
  X(set,       RunClearanceAnalysis,        Logical,                     JA_FIELD(m_runClearanceAnalysis),                                                        267) \
  X(method2,   GetSessionNotes,             GetSessionNotesSignature,    JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_GetSessionNotes),                                  319) \
  X(method2,   SetSessionNotes,             SetSessionNotesSignature,    JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SetSessionNotes),                                  371) \
  X(get,       SheetBodyLayer,              Integer,                     JA_FIELD(m_sheetBodyLayer),                                                              423) \
  X(set,       SheetBodyLayer,              Integer,                     JA_FIELD(m_sheetBodyLayer),                                                              475) \
  X(get,       SectionLayer,                Integer,                     JA_FIELD(m_sectionLayer),                                                                527) \
  X(set,       SectionLayer,                Integer,                     JA_FIELD(m_sectionLayer),                                                                579) \
  X(get,       ProfileSplineLayer,          Integer,                     JA_FIELD(m_profileSplineLayer),                                                          631) \
  X(set,       ProfileSplineLayer,          Integer,                     JA_FIELD(m_profileSplineLayer),                                                          683) \
  X(get,       SpindleLinesLayer,           Integer,                     JA_FIELD(m_spindleLinesLayer),                                                           735) \
  X(set,       SpindleLinesLayer,           Integer,                     JA_FIELD(m_spindleLinesLayer),                                                           787) \
  X(get,       AddMasterComponentPart,      AddMasterPartFlag,           JA_FIELD(m_addMasterComponentPart),                                                      839) \
  X(set,       AddMasterComponentPart,      AddMasterPartFlag,           JA_FIELD(m_addMasterComponentPart),                                                      891) \
  X(get,       TireDefinition,              TireDefinitionOption,        JA_FIELD(m_tireDefinition),                                                              943) \
  X(set,       TireDefinition,              TireDefinitionOption,        JA_FIELD(m_tireDefinition),                                                              995) \
  X(get,       TireDefinitionBody,          SelectBodyList,              JA_FIELD(m_tireDefinitionBody),                                                          1047) \
  X(get,       TireDefinitionProfile,       SelectCurveList,             JA_FIELD(m_tireDefinitionProfile),                                                       1099) \
  X(get,       ProfilePointFile,            String,                      JA_OPERATION(TireEnvelopeBuilder::GetProfilePointFile),                                  1151) \
  X(set,       ProfilePointFile,            String,                      JA_OPERATION(TireEnvelopeBuilder::SetProfilePointFile),                                  1203) \
  X(get,       WheelCsys,                   CsysTag,                     JA_FIELD(m_wheelCsys),                                                                   1255) \
  X(set,       WheelCsys,                   CsysTag,                     JA_OPERATION(TireEnvelopeBuilder::SetWheelCsys),                                         1307) \
  X(get,       WheelRimDiameter,            Expression,                  JA_FIELD(m_wheelRimDiameter),                                                            1359) \
  X(get,       MirrorProfile,               MirrorFlag,                  JA_FIELD(m_mirrorProfile),                                                               1411) \
  X(set,       MirrorProfile,               MirrorFlag,                  JA_FIELD(m_mirrorProfile),                                                               1463) \
  X(get,       WheelCenterlineShift,        Expression,                  JA_FIELD(m_wheelCenterlineShift),                                                        1515) \
  X(get,       Motion,                      MotionMethodValue,           JA_FIELD(m_motion),                                                                      1567) \
  X(set,       Motion,                      MotionMethodValue,           JA_FIELD(m_motion),                                                                      1619) \
  X(get,       SpindleFileLocation,         SpindleFileLocationOption,   JA_FIELD(m_spindleFileLocation),                                                         1671) \
  X(set,       SpindleFileLocation,         SpindleFileLocationOption,   JA_FIELD(m_spindleFileLocation),                                                         1723) \
  X(get,       SpindleFileName,             String,                      JA_OPERATION(TireEnvelopeBuilder::GetSpindleFileName),                                   1775) \
  X(set,       SpindleFileName,             String,                      JA_BODY(JAX_TIRE_ENVELOPE_BUILDER_set_SpindleFileName),                                  1827) \
  X(get,       DesignPositionSpindle,       SelectCurve,                 JA_FIELD(m_designPositionSpindle),                                                       1879) \
  X(get,       SpindleEndPoint,             PointTag,                    JA_FIELD(m_spindleEndPoint),                                                             1931) \
  X(set,       SpindleEndPoint,             PointTag,                    JA_OPERATION(TireEnvelopeBuilder::SetSpindleEndPoint),                                   1983) \
  X(get,       SpindleLines,                SelectCurveList,             JA_FIELD(m_spindleLines),                                                                2035) \
  X(get,       SuspensionTemplate,          SuspensionTemplateType,      JA_FIELD(m_suspensionTemplate),                                                          2087) \
  X(set,       SuspensionTemplate,          SuspensionTemplateType,      JA_FIELD(m_suspensionTemplate),                                                          2139) \
  X(get,       SaveScenario,                Logical,                     JA_FIELD(m_saveScenario),                                                                2191) \
  X(set,       SaveScenario,                Logical,                     JA_FIELD(m_saveScenario),                                                                2243) \
  X(get,       SaveMasterPart,              SaveMasterPartFlag,          JA_FIELD(m_saveMasterPart),                                                              2295) \
  X(set,       SaveMasterPart,              SaveMasterPartFlag,          JA_FIELD(m_saveMasterPart),                                                              2347) \
  X(get,       SuspensionTemplateFileName,  FileName,                    JA_OPERATION(TireEnvelopeBuilder::GetSuspensionTemplateFileName),                        2399) \
  X(set,       SuspensionTemplateFileName,  FileName,                    JA_OPERATION(TireEnvelopeBuilder::SetSuspensionTemplateFileName),                        2451) \
  X(get,       InnerJointAsymmetric,        Logical,                     JA_FIELD(m_innerJointAsymmetric),                                                        2503) \
  X(set,       InnerJointAsymmetric,        Logical,                     JA_FIELD(m_innerJointAsymmetric),                                                        2555) \
  X(get,       UseStabilizerBar,            Logical,                     JA_FIELD(m_useStabilizerBar),                                                            2607) \
  X(set,       UseStabilizerBar,            Logical,                     JA_FIELD(m_useStabilizerBar),                                                            2659) \
  X(get,       BushingJointAsymmetric,      Logical,                     JA_FIELD(m_bushingJointAsymmetric),                                                      2711) \
  X(set,       BushingJointAsymmetric,      Logical,                     JA_FIELD(m_bushingJointAsymmetric),                                                      2763) \
  X(get,       LeftStabilizerBar,           SelectDisplayableObjectList, JA_FIELD(m_leftStabilizerBar),                                                           2815) \
  X(get,       RightStabilizerBar,          SelectCurveList,             JA_FIELD(m_rightStabilizerBar),                                                          2867) \
  X(get,       TracedSpindleLine,           SelectCurve,                 JA_FIELD(m_tracedSpindleLine),                                                           2919) \
  X(get,       DriverGraph,                 DriverGraphValue,            JA_FIELD(m_driverGraph),                                                                 2971) \
  X(set,       DriverGraph,                 DriverGraphValue,            JA_FIELD(m_driverGraph),                                                                 3023) \
  X(get,       DriverGraphSketch,           SelectSketch,                JA_FIELD(m_driverGraphSketch),                                                           3075) \
  X(get,       FirstDriverJointUpperLimit,  Double,                      JA_FIELD(m_firstDriverJointUpperLimit),                                                  3127) \
  X(set,       FirstDriverJointUpperLimit,  Double,                      JA_FIELD(m_firstDriverJointUpperLimit),                                                  3179) \
  X(get,       FirstDriverJointLowerLimit,  Double,                      JA_FIELD(m_firstDriverJointLowerLimit),                                                  3231) \
  X(set,       FirstDriverJointLowerLimit,  Double,                      JA_FIELD(m_firstDriverJointLowerLimit),                                                  3283) \
  X(get,       FirstDriverJointSteps,       Integer,                     JA_FIELD(m_firstDriverJointSteps),                                                       3335) \
  X(set,       FirstDriverJointSteps,       Integer,                     JA_FIELD(m_firstDriverJointSteps),                                                       3387) \
  X(get,       SecondDriverJointUpperLimit, Double,                      JA_FIELD(m_secondDriverJointUpperLimit),                                                 3439) \
  X(set,       SecondDriverJointUpperLimit, Double,                      JA_FIELD(m_secondDriverJointUpperLimit),                                                 3491) \
  X(get,       SecondDriverJointLowerLimit, Double,                      JA_FIELD(m_secondDriverJointLowerLimit),                                                 3543) \
  X(set,       SecondDriverJointLowerLimit, Double,                      JA_FIELD(m_secondDriverJointLowerLimit),                                                 3595) \
  X(get,       SecondDriverJointSteps,      Integer,                     JA_FIELD(m_secondDriverJointSteps),                                                      3647) \
  X(set,       SecondDriverJointSteps,      Integer,                     JA_FIELD(m_secondDriverJointSteps),                                                      3699) \
  X(get,       TaperLocationYAxis,          Double,                      JA_FIELD(m_taperLocationYAxis),                                                          3751) \
  X(set,       TaperLocationYAxis,          Double,                      JA_FIELD(m_taperLocationYAxis),                                                          3803) \
  X(get,       TaperLocationXAxis,          Double,                      JA_FIELD(m_taperLocationXAxis),                                                          3855) \
  X(set,       TaperLocationXAxis,          Double,                      JA_FIELD(m_taperLocationXAxis),                                                          3907) \
  X(get,       TaperLocationAY,             Double,                      JA_FIELD(m_taperLocationAY),                                                             3959) \
  X(set,       TaperLocationAY,             Double,                      JA_FIELD(m_taperLocationAY),                                                             4011) \
  X(get,       TaperLocationBX,             Double,                      JA_FIELD(m_taperLocationBX),                                                             4063) \
  X(set,       TaperLocationBX,             Double,                      JA_FIELD(m_taperLocationBX),                                                             4115) \
  X(get,       FixedLocationPercentage,     Double,                      JA_FIELD(m_fixedLocationPercentage),                                                     4167) \
  X(set,       FixedLocationPercentage,     Double,                      JA_FIELD(m_fixedLocationPercentage),                                                     4219) \
  X(method0,   SwitchDrivers,               SwitchDriversSignature,      JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SwitchDrivers),                                    4271) \
  X(get,       JounceDistance,              Double,                      JA_FIELD(m_jounceDistance),                                                              4323) \
  X(set,       JounceDistance,              Double,                      JA_FIELD(m_jounceDistance),                                                              4375) \
  X(get,       ReboundDistance,             Double,                      JA_FIELD(m_reboundDistance),                                                             4427) \
  X(set,       ReboundDistance,             Double,                      JA_FIELD(m_reboundDistance),                                                             4479) \
  X(get,       ShockDriverJointSteps,       Integer,                     JA_FIELD(m_shockDriverJointSteps),                                                       4531) \
  X(set,       ShockDriverJointSteps,       Integer,                     JA_FIELD(m_shockDriverJointSteps),                                                       4583) \
  X(get,       RollAngle,                   Expression,                  JA_FIELD(m_rollAngle),                                                                   4635) \
  X(get,       EnvelopeConcavity,           Double,                      JA_FIELD(m_envelopeConcavity),                                                           4687) \
  X(set,       EnvelopeConcavity,           Double,                      JA_FIELD(m_envelopeConcavity),                                                           4739) \
  X(get,       DistanceTolerance,           Expression,                  JA_FIELD(m_distanceTolerance),                                                           4791) \
  X(get,       RadialStartAngle,            Expression,                  JA_FIELD(m_radialStartAngle),                                                            4843) \
  X(get,       RadialEndAngle,              Expression,                  JA_FIELD(m_radialEndAngle),                                                              4895) \
  X(get,       TrimRadius,                  Expression,                  JA_FIELD(m_trimRadius),                                                                  4947) \
  X(get,       ApplyOffset,                 Logical,                     JA_FIELD(m_applyOffset),                                                                 4999) \
  X(set,       ApplyOffset,                 Logical,                     JA_FIELD(m_applyOffset),                                                                 5051) \
  X(get,       EnvelopeOffset,              OffsetMethodValue,           JA_FIELD(m_envelopeOffset),                                                              5103) \
  X(set,       EnvelopeOffset,              OffsetMethodValue,           JA_BODY(JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset),                                   5155) \
  X(get,       OffsetFileName,              FileName,                    JA_OPERATION(TireEnvelopeBuilder::GetOffsetFileName),                                    5207) \
  X(set,       OffsetFileName,              FileName,                    JA_OPERATION(TireEnvelopeBuilder::SetOffsetFileName),                                    5259) \
  X(get,       FrontOffsetValue,            Expression,                  JA_FIELD(m_frontOffsetValue),                                                            5311) \
  X(get,       UpOffsetValue,               Expression,                  JA_FIELD(m_upOffsetValue),                                                               5363) \
  X(get,       RearOffsetValue,             Expression,                  JA_FIELD(m_rearOffsetValue),                                                             5415) \
  X(get,       DownOffsetValue,             Expression,                  JA_FIELD(m_downOffsetValue),                                                             5467) \
  X(get,       InboardOffsetValue,          Expression,                  JA_FIELD(m_inboardOffsetValue),                                                          5519) \
  X(get,       OutboardOffsetValue,         Expression,                  JA_FIELD(m_outboardOffsetValue),                                                         5571) \
  X(get,       TireBodyOutputFileName,      FileName,                    JA_OPERATION(TireEnvelopeBuilder::GetTireBodyOutputFileName),                            5623) \
  X(set,       TireBodyOutputFileName,      FileName,                    JA_BODY(JAX_TIRE_ENVELOPE_BUILDER_set_TireBodyOutputFileName),                           5675) \
  X(get,       ClearanceAnalysisBodies,     SelectBodyList,              JA_FIELD(m_clearanceAnalysisBodies),                                                     5727) \
  X(get,       ClearanceAnalysisComponents, SelectComponentList,         JA_FIELD(m_clearanceAnalysisComponents),                                                 5779) \
  X(get,       ClearanceValue,              Expression,                  JA_FIELD(m_clearanceValue),                                                              5831) \
  X(method3,   SetVehicleCoordinateSystem,  VehicleCsysSignature,        JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SetVehicleCoordinateSystem),                       5883) \
  X(overload1, AddMasterPart,               MasterPartByNameSignature,   JA_FUNCTION_OF(JAX_TIRE_ENVELOPE_BUILDER_AddMasterPart, MasterPartByNameSignature),      5935, 112) \
  X(overload1, AddMasterPart,               MasterPartByPartSignature,   JA_FUNCTION_OF(JAX_TIRE_ENVELOPE_BUILDER_AddMasterPart, MasterPartByPartSignature),      5987, 113) \
  X(overload2, SetTireProfileSketch,        SketchByNamesSignature,      JA_FUNCTION_OF(JAX_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch, SketchByNamesSignature),  6039, 114) \
  X(overload1, SetTireProfileSketch,        SketchByObjectSignature,     JA_FUNCTION_OF(JAX_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch, SketchByObjectSignature), 6091, 115) \
  X(method0,   CreateLinkedProfiles,        NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_CreateLinkedProfiles),                             6143) \
  X(method0,   CalculateProfilePoints,      NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_CalculateProfilePoints),                           6195) \
  X(get,       ProfileName,                 String,                      JA_OPERATION(TireEnvelopeBuilder::GetProfileName),                                       6247) \
  X(set,       ProfileName,                 String,                      JA_OPERATION(TireEnvelopeBuilder::SetProfileName),                                       6299) \
  X(get,       ScenarioName,                String,                      JA_OPERATION(TireEnvelopeBuilder::GetScenarioName),                                      6351) \
  X(set,       ScenarioName,                String,                      JA_OPERATION(TireEnvelopeBuilder::SetScenarioName),                                      6403) \
  X(method0,   ProcessFromSpindleLines,     NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_ProcessFromSpindleLines),                          6455) \
  X(method2,   ReadSuspensionTemplate,      ReadTemplateSignature,       JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_ReadSuspensionTemplate),                           6507) \
  X(method3,   SetSuspentionTemplatePoint,  TemplatePointSignature,      JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SetSuspentionTemplatePoint),                       6559) \
  X(method2,   SetDriverJoints,             DriverJointsSignature,       JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SetDriverJoints),                                  6611) \
  X(method0,   BuildMotionTemplate,         NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_BuildMotionTemplate),                              6663) \
  X(method0,   RunMotionArticulation,       NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_RunMotionArticulation),                            6715) \
  X(method2,   SetOffsetSections,           OffsetSectionsSignature,     JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SetOffsetSections),                                6767) \
  X(method3,   SetOffsetValues,             OffsetValuesSignature,       JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SetOffsetValues),                                  6819) \
  X(method0,   UpdateTireBodyFeature,       NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_UpdateTireBodyFeature),                            6871) \
  X(method0,   ReassembleTireBodyComponent, NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_ReassembleTireBodyComponent),                      6923) \
  X(method2,   SetClearanceValues,          ClearanceValuesSignature,    JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_SetClearanceValues),                               6975) \
  X(method0,   PerformClearanceAnalysis,    NoArguments,                 JA_FUNCTION(JAX_TIRE_ENVELOPE_BUILDER_PerformClearanceAnalysis),                         7027)
// clang-format on

JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_features_tire_envelope_builder_jam

#define JA_UNIT ja_features_tire_envelope_builder_jam
class Features_TireEnvelopeBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Features_TireEnvelopeBuilder_Interface() = default;
};
#undef JA_UNIT
