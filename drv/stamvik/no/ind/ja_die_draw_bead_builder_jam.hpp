// Scripting class "Die.DrawBeadBuilder": its description and its automation
// interface. The member table is in interface order; the bead's own
// segmentation calls CreateDrawBeadSegment through the journalled interface.
#pragma once
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "ja_value_types.hpp"
#include "jax_die_draw_bead_builder.hpp"

void JA_DrawBeadBuilder_initialize_class();
void JA_DrawBeadBuilder_destroy_class();
void JA_DrawBeadBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_DrawBeadBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_draw_bead_builder_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::ByTag;
using ::KTX::JA::Count;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::ResultCount;
using ::KTX::JA::Signature;

using DieLocationBuilder = ::KTX::JA::Object<::KTX::DieDesJA::DieLocationBuilder, "Die.DieLocationBuilder">;
using DieDirectionBuilder = ::KTX::JA::Object<::KTX::DieDes::DieDirectionBuilder, "Die.DieDirectionBuilder">;
using DieAttributesBuilder = ::KTX::JA::Object<::KTX::DieDes::DieAttributesBuilder, "Die.DieAttributesBuilder">;
using DrawBeadTaperBuilder = ::KTX::JA::Object<::KTX::DieEngJA::DrawBeadTaperBuilder, "Die.DrawBeadTaperBuilder">;
using DrawBeadSegmentBuilderList = ::KTX::JA::TemplateObject<::KTX::UICOMPJA_list, "Die.DrawBeadSegmentBuilderList",
                                                             "ObjectList", "Die.DrawBeadSegmentBuilder">;
using DrawBeadSegmentBuilder = ::KTX::JA::TagOf<"Die.DrawBeadSegmentBuilder", "DrawBeadSegmentBuilder">;
using StringArray = ::KTX::JA::StringArray;

using MaleBeadPositionTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.MaleBeadPositionTypes">;
using ProjectionDirectionTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.ProjectionDirectionTypes">;
using OrientationTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.OrientationTypes">;
using TransitionDefinitionTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.TransitionDefinitionTypes">;
using FemaleDepthTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.FemaleDepthTypes">;
using FemaleWidthTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.FemaleWidthTypes">;
using OutputTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.OutputTypes">;
using OrientSectionToDrawTypes = ::KTX::JA::Enum<"Die.DrawBeadBuilder.OrientSectionToDrawTypes">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieEngJA::DrawBeadBuilder;
  static constexpr const char* journalClass = "Die.DrawBeadBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_draw_bead_builder_jam";
  static constexpr std::uint32_t interfaceId = 0x6B256FEB;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateDrawBeadBuilder"};
  static constexpr std::array<const char*, 8> dependencies{
      "Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationBuilder", "Die.DrawBeadTaperBuilder",
      "Expression",               "ObjectList",              "ScCollector",            "Section"};
  // The segment list's template class is looked up in the classes' own ASCII run.
  static constexpr std::array<::KTX::JA::SetUpStep, 4> setUpOrder{
      ::KTX::JA::SetUpStep::ClassesAndTemplates, ::KTX::JA::SetUpStep::Enumerations,
      ::KTX::JA::SetUpStep::Structures, ::KTX::JA::SetUpStep::EnumerationMembers};
  static constexpr std::array<::KTX::JA::EnumDescription, 8> enums{{
      {"Die.DrawBeadBuilder.MaleBeadPositionTypes", {"Upper", "Lower"}},
      {"Die.DrawBeadBuilder.ProjectionDirectionTypes", {"DrawDirection", "NormalToPlacementFace"}},
      {"Die.DrawBeadBuilder.OrientationTypes", {"Orthogonal", "Vertical"}},
      {"Die.DrawBeadBuilder.TransitionDefinitionTypes", {"Automatic", "Manual"}},
      {"Die.DrawBeadBuilder.FemaleDepthTypes", {"Derived", "Constant"}},
      {"Die.DrawBeadBuilder.FemaleWidthTypes", {"Derived", "Constant"}},
      {"Die.DrawBeadBuilder.OutputTypes", {"None", "Male", "PlusFemale", "PlusSheetMetal"}},
      {"Die.DrawBeadBuilder.OrientSectionToDrawTypes", {"DrawDirection", "SheetMetalNormal"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 17> defaults{{
      // property path             millimetre       inch
      {"BaseOrientation",          "Vertical",      "Vertical"},
      {"BuildEndTaper",            "1",             "1"},
      {"BuildStartTaper",          "1",             "1"},
      {"CenterlineProjection",     "DrawDirection", "DrawDirection"},
      {"Clearance.Value",          "0.2",           "0.008"},
      {"FemaleDepthType",          "Derived",       "Derived"},
      {"FemaleDepthValue.Value",   "11",            "0.43"},
      {"FemaleWidthType",          "Derived",       "Derived"},
      {"FemaleWidthValue.Value",   "12.4",          "0.488"},
      {"GenerateHeightCurve",      "0",             "0"},
      {"MachineOffset",            "0",             "0"},
      {"MaleBeadPosition",         "Upper",         "Upper"},
      {"MetalThickness.Value",     "1",             "0.04"},
      {"OrientSectionToDraw",      "DrawDirection", "DrawDirection"},
      {"Output",                   "Male",          "Male"},
      {"TaperBead",                "0",             "0"},
      {"TransitionDefinition",     "Automatic",     "Automatic"},
  }};
  static constexpr int defaultsLine = 3127;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DrawBeadBuilder_initialize_class;
  static constexpr auto destroy = &JA_DrawBeadBuilder_destroy_class;
  static constexpr auto testPrint = &JA_DrawBeadBuilder_test_print;
  static constexpr auto setDefaults = &JA_DrawBeadBuilder_set_defaults;
};
using Object = Unit::Object;

// The three members that take the builder's tag, and the detail strings, an
// array crossing as its count and its strings.
using ByTagNoArguments = Signature<ByTag, -1>;
using CreateSegmentSignature = Signature<ByTag, -1, Result<DrawBeadSegmentBuilder, "item">>;
using SetDetailsSignature = Signature<ByPointer, -1, Count<"strings">, In<StringArray, "strings">>;
using GetDetailsSignature = Signature<ByPointer, -1, ResultCount<"strings">, Result<StringArray, "strings">>;

// Slot 29 is the one member exported in snake case.
// clang-format off
#define JA_DIE_DRAW_BEAD_BUILDER_MEMBERS(X)                                                                                       \
  /* kind    member                              value type / signature      method body                                               line  export */ \
  X(get,     MaleBeadPosition,                   MaleBeadPositionTypes,      JA_FIELD(m_maleBeadPosition),                             111)  \
  X(set,     MaleBeadPosition,                   MaleBeadPositionTypes,      JA_FIELD(m_maleBeadPosition),                             163)  \
  X(get,     PlacementFace,                      ScCollector,                JA_FIELD(m_placementFace),                                215)  \
  X(get,     ReverseMetalThickness,              Logical,                    JA_FIELD(m_reverseMetalThickness),                        267)  \
  X(set,     ReverseMetalThickness,              Logical,                    JA_FIELD(m_reverseMetalThickness),                        319)  \
  X(get,     Centerline,                         Section,                    JA_FIELD(m_centerline),                                   371)  \
  X(get,     CenterlineProjection,               ProjectionDirectionTypes,   JA_FIELD(m_centerlineProjection),                         423)  \
  X(set,     CenterlineProjection,               ProjectionDirectionTypes,   JA_FIELD(m_centerlineProjection),                         475)  \
  X(get,     StartPoint,                         DieLocationBuilder,         JA_FIELD(m_startPoint),                                   527)  \
  X(get,     EndPoint,                           DieLocationBuilder,         JA_FIELD(m_endPoint),                                     579)  \
  X(get,     DrawDirection,                      DieDirectionBuilder,        JA_FIELD(m_drawDirection),                                631)  \
  X(get,     MetalThickness,                     Expression,                 JA_FIELD(m_metalThickness),                               683)  \
  X(get,     Clearance,                          Expression,                 JA_FIELD(m_clearance),                                    735)  \
  X(get,     ReferenceDirection,                 Logical,                    JA_FIELD(m_referenceDirection),                           787)  \
  X(set,     ReferenceDirection,                 Logical,                    JA_FIELD(m_referenceDirection),                           839)  \
  X(get,     TaperBead,                          Logical,                    JA_FIELD(m_taperBead),                                    891)  \
  X(set,     TaperBead,                          Logical,                    JA_BODY(JAX_DRAW_BEAD_BUILDER_set_TaperBead),             943)  \
  X(get,     BaseOrientation,                    OrientationTypes,           JA_FIELD(m_baseOrientation),                              995)  \
  X(set,     BaseOrientation,                    OrientationTypes,           JA_FIELD(m_baseOrientation),                              1047) \
  X(get,     TransitionDefinition,               TransitionDefinitionTypes,  JA_FIELD(m_transitionDefinition),                         1099) \
  X(set,     TransitionDefinition,               TransitionDefinitionTypes,  JA_FIELD(m_transitionDefinition),                         1151) \
  X(get,     FemaleDepthType,                    FemaleDepthTypes,           JA_FIELD(m_femaleDepthType),                              1203) \
  X(set,     FemaleDepthType,                    FemaleDepthTypes,           JA_FIELD(m_femaleDepthType),                              1255) \
  X(get,     FemaleDepthValue,                   Expression,                 JA_FIELD(m_femaleDepthValue),                             1307) \
  X(get,     FemaleWidthType,                    FemaleWidthTypes,           JA_FIELD(m_femaleWidthType),                              1359) \
  X(set,     FemaleWidthType,                    FemaleWidthTypes,           JA_BODY(JAX_DRAW_BEAD_BUILDER_set_FemaleWidthType),       1411) \
  X(get,     FemaleWidthValue,                   Expression,                 JA_FIELD(m_femaleWidthValue),                             1463) \
  X(method0, CreateSegmentsFromCenterlineCurves, ByTagNoArguments,           JA_FUNCTION(JAX_DRAW_BEAD_BUILDER_CreateSegmentsFromCenterlineCurves), 1515) \
  X(method1, CreateDrawBeadSegment,              CreateSegmentSignature,     JA_FUNCTION(JAX_DRAW_BEAD_BUILDER_CreateDrawBeadSegment), 1567, create_draw_bead_segment) \
  X(get,     SegmentList,                        DrawBeadSegmentBuilderList, JA_FIELD(m_segmentList),                                  1619) \
  X(get,     BuildStartTaper,                    Logical,                    JA_FIELD(m_buildStartTaper),                              1671) \
  X(set,     BuildStartTaper,                    Logical,                    JA_FIELD(m_buildStartTaper),                              1723) \
  X(get,     StartTaper,                         DrawBeadTaperBuilder,       JA_FIELD(m_startTaper),                                   1775) \
  X(get,     BuildEndTaper,                      Logical,                    JA_FIELD(m_buildEndTaper),                                1827) \
  X(set,     BuildEndTaper,                      Logical,                    JA_FIELD(m_buildEndTaper),                                1879) \
  X(get,     EndTaper,                           DrawBeadTaperBuilder,       JA_FIELD(m_endTaper),                                     1931) \
  X(get,     Output,                             OutputTypes,                JA_FIELD(m_output),                                       1983) \
  X(set,     Output,                             OutputTypes,                JA_FIELD(m_output),                                       2035) \
  X(get,     MachineOffset,                      Logical,                    JA_FIELD(m_machineOffset),                                2087) \
  X(set,     MachineOffset,                      Logical,                    JA_FIELD(m_machineOffset),                                2139) \
  X(get,     GenerateHeightCurve,                Logical,                    JA_FIELD(m_generateHeightCurve),                          2191) \
  X(set,     GenerateHeightCurve,                Logical,                    JA_FIELD(m_generateHeightCurve),                          2243) \
  X(get,     OrientSectionToDraw,                OrientSectionToDrawTypes,   JA_FIELD(m_orientSectionToDraw),                          2295) \
  X(set,     OrientSectionToDraw,                OrientSectionToDrawTypes,   JA_FIELD(m_orientSectionToDraw),                          2347) \
  X(get,     MaleSheetAttribute,                 DieAttributesBuilder,       JA_FIELD(m_maleSheetAttribute),                           2399) \
  X(get,     MaleFaceAttribute,                  DieAttributesBuilder,       JA_FIELD(m_maleFaceAttribute),                            2451) \
  X(get,     FemaleSheetAttribute,               DieAttributesBuilder,       JA_FIELD(m_femaleSheetAttribute),                         2503) \
  X(get,     FemaleFaceAttribute,                DieAttributesBuilder,       JA_FIELD(m_femaleFaceAttribute),                          2555) \
  X(get,     SheetMetalSheetAttribute,           DieAttributesBuilder,       JA_FIELD(m_sheetMetalSheetAttribute),                     2607) \
  X(get,     SheetMetalFaceAttribute,            DieAttributesBuilder,       JA_FIELD(m_sheetMetalFaceAttribute),                      2659) \
  X(get,     MachiningOffsetTitleAttribute,      DieAttributesBuilder,       JA_FIELD(m_machiningOffsetTitleAttribute),                2711) \
  X(get,     DistanceTolerance,                  Double,                     JA_FIELD(m_distanceTolerance),                            2763) \
  X(set,     DistanceTolerance,                  Double,                     JA_FIELD(m_distanceTolerance),                            2815) \
  X(get,     AngleTolerance,                     Double,                     JA_FIELD(m_angleTolerance),                               2867) \
  X(set,     AngleTolerance,                     Double,                     JA_FIELD(m_angleTolerance),                               2919) \
  X(method0, SetDefaultDrawDirection,            ByTagNoArguments,           JA_FUNCTION(JAX_DRAW_BEAD_BUILDER_SetDefaultDrawDirection), 2971) \
  X(method2, SetMoreDetails,                     SetDetailsSignature,        JA_FUNCTION(JAX_DRAW_BEAD_BUILDER_SetMoreDetails),        3023) \
  X(method2, GetMoreDetails,                     GetDetailsSignature,        JA_FUNCTION(JAX_DRAW_BEAD_BUILDER_GetMoreDetails),        3075)
// clang-format on

JA_DIE_DRAW_BEAD_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DRAW_BEAD_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_draw_bead_builder_jam

#define JA_UNIT ja_die_draw_bead_builder_jam
class Die_DrawBeadBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DRAW_BEAD_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_DrawBeadBuilder_Interface() = default;
};
#undef JA_UNIT
