// Scripting class "Die.SpringbackCompensationBuilder": its description and its
// automation interface. The member table is in interface order; the point
// lists cross as arrays of "Point3d", the points files as texts journalled
// under "filename".
#pragma once
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "ja_value_types.hpp"
#include "jax_die_springback_compensation_builder.hpp"

void JA_SpringbackCompensationBuilder_initialize_class();
void JA_SpringbackCompensationBuilder_destroy_class();
void JA_SpringbackCompensationBuilder_test_print(const KTX::tag_t* tag, const char* tagName, int level);
void JA_SpringbackCompensationBuilder_set_defaults(KTX::tag_t tag, bool apply);

namespace ja_die_springback_compensation_builder_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByPointer;
using ::KTX::JA::Count;
using ::KTX::JA::In;
using ::KTX::JA::NamedAs;
using ::KTX::JA::Result;
using ::KTX::JA::ResultCount;
using ::KTX::JA::Signature;

using SelectFeature = ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT, "Features.SelectFeature", "SelectObject", "Features.Feature">;
using SelectFacetedBody =
    ::KTX::JA::TemplateObject<::KTX::SELECT_OBJECT, "Facet.SelectFacetedBody", "SelectObject", "Facet.FacetedBody">;
using Direction = ::KTX::JA::TagOf<"Direction", "Direction">;
using FileName = NamedAs<String, "filename", "filename">;
using ConvexityFlag = NamedAs<Logical, "isconvexityenabled", "isConvexityEnabled">;
using Points = ::KTX::JA::StructArray<Point3d>;

using DefinedByType = ::KTX::JA::Enum<"Die.SpringbackCompensationBuilder.DefinedByType">;
using ResultSheetType = ::KTX::JA::Enum<"Die.SpringbackCompensationBuilder.ResultSheetType">;
using DegreeType = ::KTX::JA::Enum<"Die.SpringbackCompensationBuilder.DegreeType">;

struct Unit : ::KTX::JA::UnitDefaults {
  using Object = ::KTX::DieEngJA::SpringbackCompensationBuilder;
  static constexpr const char* journalClass = "Die.SpringbackCompensationBuilder";
  static constexpr const char* parent = "Features.FeatureBuilder";
  static constexpr const char* source = "ja_die_springback_compensation_builder_jam";
  static constexpr std::uint32_t interfaceId = 0xD2FD7AAD;
  static constexpr ::KTX::JA::Creator creator{"Die.DieCollection", "CreateSpringbackCompensationBuilder"};
  static constexpr std::array<const char*, 3> dependencies{"Section", "SelectObject", "qdmath"};
  // Classes and template classes in one ASCII run; the structure between the
  // enumerations and their members.
  static constexpr std::array<::KTX::JA::SetUpStep, 4> setUpOrder{
      ::KTX::JA::SetUpStep::ClassesAndTemplates, ::KTX::JA::SetUpStep::Enumerations,
      ::KTX::JA::SetUpStep::Structures, ::KTX::JA::SetUpStep::EnumerationMembers};
  static constexpr std::array<::KTX::JA::EnumDescription, 3> enums{{
      // A definition none of these has always been refused with the host's number for it.
      {"Die.SpringbackCompensationBuilder.DefinedByType", {"OneStepFeature", "FacetedBodies", "Points"},
       ::KTX::Messages::kUnknownDefinition},
      {"Die.SpringbackCompensationBuilder.ResultSheetType", {"Compensated", "Sprung"}},
      {"Die.SpringbackCompensationBuilder.DegreeType", {"Two", "Three", "Five", "Seven"}},
  }};
  static constexpr std::array<::KTX::JA::DefaultRow, 10> defaults{{
      // property path       millimetre         inch
      {"ConvexityEnabled",   "false",           "false"},
      {"CreateFacets",       "false",           "false"},
      {"DefinedBy",          "OneStepFeature",  "OneStepFeature"},
      {"DeformationFactor",  "1",               "1"},
      {"Degree",             "Two",             "Two"},
      {"Divisions",          "3",               "3"},
      {"ResultType",         "Compensated",     "Compensated"},
      {"ShapeValue",         "0.5",             "0.5"},
      {"SmoothingFactor",    "1e-009",          "1e-009"},
      {"StepSize",           "1.0",             "1.0"},
  }};
  static constexpr int defaultsLine = 2503;

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_SpringbackCompensationBuilder_initialize_class;
  static constexpr auto destroy = &JA_SpringbackCompensationBuilder_destroy_class;
  static constexpr auto testPrint = &JA_SpringbackCompensationBuilder_test_print;
  static constexpr auto setDefaults = &JA_SpringbackCompensationBuilder_set_defaults;
};
using Object = Unit::Object;

using GetProductPointsSignature = Signature<ByPointer, -1, ResultCount<"productPoints">, Result<Points, "productPoints">>;
using SetProductPointsSignature = Signature<ByPointer, -1, Count<"productPoints">, In<Points, "productPoints">>;
using GetSprungPointsSignature = Signature<ByPointer, -1, ResultCount<"sprungPoints">, Result<Points, "sprungPoints">>;
using SetSprungPointsSignature = Signature<ByPointer, -1, Count<"sprungPoints">, In<Points, "sprungPoints">>;

// clang-format off
#define JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(X)                                                                     \
  /* kind    member                  value type / signature     method body                                                  line */ \
  X(get,     DefinedBy,              DefinedByType,             JA_FIELD(m_definedBy),                                       111)  \
  X(set,     DefinedBy,              DefinedByType,             JA_FIELD(m_definedBy),                                       163)  \
  X(get,     OneStep,                SelectFeature,             JA_FIELD(m_oneStep),                                         215)  \
  X(get,     ProductSheet,           SelectBody,                JA_FIELD(m_productSheet),                                    267)  \
  X(get,     ProductFacets,          SelectFacetedBody,         JA_FIELD(m_productFacets),                                   319)  \
  X(get,     ProductPointsFile,      FileName,                  JA_BODY(JAX_SPRINGBACK_COMPENSATION_BUILDER_get_ProductPointsFile), 371) \
  X(set,     ProductPointsFile,      FileName,                  JA_BODY(JAX_SPRINGBACK_COMPENSATION_BUILDER_set_ProductPointsFile), 423) \
  X(method2, GetProductPoints,       GetProductPointsSignature, JA_FUNCTION(JAX_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints), 475) \
  X(method2, SetProductPoints,       SetProductPointsSignature, JA_FUNCTION(JAX_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints), 527) \
  X(get,     SprungFacets,           SelectFacetedBody,         JA_FIELD(m_sprungFacets),                                    579)  \
  X(get,     SprungPointsFile,       FileName,                  JA_BODY(JAX_SPRINGBACK_COMPENSATION_BUILDER_get_SprungPointsFile), 631) \
  X(set,     SprungPointsFile,       FileName,                  JA_BODY(JAX_SPRINGBACK_COMPENSATION_BUILDER_set_SprungPointsFile), 683) \
  X(method2, GetSprungPoints,        GetSprungPointsSignature,  JA_FUNCTION(JAX_SPRINGBACK_COMPENSATION_BUILDER_GetSprungPoints), 735) \
  X(method2, SetSprungPoints,        SetSprungPointsSignature,  JA_FUNCTION(JAX_SPRINGBACK_COMPENSATION_BUILDER_SetSprungPoints), 787) \
  X(get,     DrawVector,             Direction,                 JA_FIELD(m_drawVector),                                      839)  \
  X(set,     DrawVector,             Direction,                 JA_OPERATION(Object::SetDrawVector),                         891)  \
  X(get,     InnerCurve,             Section,                   JA_FIELD(m_innerCurve),                                      943)  \
  X(get,     OuterCurve,             Section,                   JA_FIELD(m_outerCurve),                                      995)  \
  X(get,     ShapeValue,             Double,                    JA_FIELD(m_shapeValue),                                      1047) \
  X(set,     ShapeValue,             Double,                    JA_FIELD(m_shapeValue),                                      1099) \
  X(get,     ResultType,             ResultSheetType,           JA_FIELD(m_resultType),                                      1151) \
  X(set,     ResultType,             ResultSheetType,           JA_FIELD(m_resultType),                                      1203) \
  X(get,     CreateFacets,           Logical,                   JA_FIELD(m_createFacets),                                    1255) \
  X(set,     CreateFacets,           Logical,                   JA_FIELD(m_createFacets),                                    1307) \
  X(get,     DeformationFactor,      Double,                    JA_FIELD(m_deformationFactor),                               1359) \
  X(set,     DeformationFactor,      Double,                    JA_FIELD(m_deformationFactor),                               1411) \
  X(get,     SmoothingFactor,        Double,                    JA_FIELD(m_smoothingFactor),                                 1463) \
  X(set,     SmoothingFactor,        Double,                    JA_FIELD(m_smoothingFactor),                                 1515) \
  X(get,     Divisions,              Integer,                   JA_FIELD(m_divisions),                                       1567) \
  X(set,     Divisions,              Integer,                   JA_FIELD(m_divisions),                                       1619) \
  X(get,     Degree,                 DegreeType,                JA_FIELD(m_degree),                                          1671) \
  X(set,     Degree,                 DegreeType,                JA_FIELD(m_degree),                                          1723) \
  X(get,     CalculateMaxDeviation,  Logical,                   JA_FIELD(m_calculateMaxDeviation),                           1775) \
  X(set,     CalculateMaxDeviation,  Logical,                   JA_FIELD(m_calculateMaxDeviation),                           1827) \
  X(get,     ConvexityEnabled,       ConvexityFlag,             JA_FIELD(m_convexityEnabled),                                1879) \
  X(set,     ConvexityEnabled,       ConvexityFlag,             JA_FIELD(m_convexityEnabled),                                1931) \
  X(get,     ConvexityDirection,     Direction,                 JA_FIELD(m_setConvexityDirection),                           1983) \
  X(set,     ConvexityDirection,     Direction,                 JA_OPERATION(Object::SetConvexityDirection),                 2035) \
  X(get,     StepSize,               Double,                    JA_FIELD(m_stepSize),                                        2087) \
  X(set,     StepSize,               Double,                    JA_FIELD(m_stepSize),                                        2139) \
  X(get,     DistanceTolerance,      Double,                    JA_FIELD(m_distanceTolerance),                               2191) \
  X(set,     DistanceTolerance,      Double,                    JA_FIELD(m_distanceTolerance),                               2243) \
  X(get,     AngleTolerance,         Double,                    JA_FIELD(m_angleTolerance),                                  2295) \
  X(set,     AngleTolerance,         Double,                    JA_FIELD(m_angleTolerance),                                  2347) \
  X(get,     IsGlobalDeformation,    Logical,                   JA_FIELD(m_isGenericDeform),                                 2399) \
  X(set,     IsGlobalDeformation,    Logical,                   JA_FIELD(m_isGenericDeform),                                 2451)
// clang-format on

JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_springback_compensation_builder_jam

#define JA_UNIT ja_die_springback_compensation_builder_jam
class Die_SpringbackCompensationBuilder_Interface : public KTX::JAM::IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS(JA_INTERFACE_OP)

 protected:
  ~Die_SpringbackCompensationBuilder_Interface() = default;
};
#undef JA_UNIT
