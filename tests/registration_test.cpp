// What the host sees of the library's classes: their registration order and
// registration data, and the plug-in loaded and unloaded by ktxhost.
#include <algorithm>
#include <string>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"

using namespace KTX;

namespace {

TEST(Registration, KtxhostLoadListsClassesInLoadOrderAndExitStepsInReverse) {
  std::string expected = stamvik_test::ReadFile(std::string(STAMVIK_TEST_DATA) + "/ktxhost_load.txt");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(stamvik_test::RunCommand({KTXHOST_PROGRAM, "load", "--plugin", STAMVIK_PLUGIN}).out, expected);
}

TEST(Registration, BodyBuildersReachTheHostBeforeTheirSuperclass) {
  // The test program links the plug-in: its classes are registered already.
  std::vector<std::string> order;
  for (const OM::RegistrationEvent& e : OM::RegistrationEvents())
    if (e.registered) order.push_back(e.className);
  auto at = [&](const char* name) { return std::find(order.begin(), order.end(), name) - order.begin(); };
  auto generic = at("KTX::DieDesJA::GenericBodyBuilder");
  ASSERT_LT(generic, static_cast<long>(order.size()));
  for (const char* body : {"KTX::DieDesJA::CastReliefBuilder", "KTX::DieDesJA::ClampingSlotBuilder",
                           "KTX::DieDesJA::ClearanceBuilder", "KTX::DieDesJA::FillAreaBuilder",
                           "KTX::DieDesJA::FingerClearanceNotchBuilder"})
    EXPECT_LT(at(body), generic) << body;
  for (const char* body : {"KTX::DieDesJA::HandlingCoreBuilder", "KTX::DieDesJA::HeelpostBuilder",
                           "KTX::DieDesJA::KeywayBuilder", "KTX::DieDesJA::MachineReliefBuilder"})
    EXPECT_GT(at(body), generic) << body;
}

TEST(Registration, RowsCarryIndexPlaceAndRegistrantWord) {
  for (const OM::RegistrationEvent& e : OM::RegistrationEvents()) {
    if (!e.registered || e.className.rfind("KTX::Die", 0) != 0) continue;
    SCOPED_TRACE(e.className);
    EXPECT_EQ(e.registrantWord, 0x80000000u + static_cast<unsigned>(e.attributeCount)) << e.className;
    OM::ClassView view;
    const bool described = OM::OM_describe_class(OM::OM_ask_class_id(e.className.c_str()), &view);
    EXPECT_TRUE(described) << e.className;
    if (!described) continue;
    for (std::size_t i = 0; i < view.rows.size(); ++i) {
      const OM::ClassAttributeStruct* row = view.rows[i];
      EXPECT_EQ(row->attributeIndex, 0x80000000u + i) << e.className;
      EXPECT_EQ(row->attributeId->Index(), static_cast<int>(i)) << e.className << " " << row->fieldName;
      EXPECT_EQ(row->minusOne76, -1);
      EXPECT_EQ(row->minusOne80, -1);
      EXPECT_EQ(row->flags & 0x1u, 0x1u) << e.className << " " << row->fieldName;
      // Two fields never share a place.
      for (std::size_t j = 0; j < i; ++j) EXPECT_NE(view.rows[j]->fieldPlace, row->fieldPlace) << row->fieldName;
    }
  }
}

const OM::ClassAttributeStruct* rowNamed(const char* className, const std::string& field) {
  OM::ClassView view;
  if (!OM::OM_describe_class(OM::OM_ask_class_id(className), &view)) return nullptr;
  for (const OM::ClassAttributeStruct* row : view.rows)
    if (field == row->fieldName) return row;
  return nullptr;
}

TEST(Registration, CastReliefAndPlaneRowsAsTheHostReadsThem) {
  const char* relief = "KTX::DieDesJA::CastReliefBuilder";
  const OM::ClassAttributeStruct* target = rowNamed(relief, "m_targetData");
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->attributeIndex, 0x8000000Au);
  EXPECT_EQ(target->typeCode, 4u);
  EXPECT_EQ(target->flags, 0x1A04001u);
  EXPECT_EQ(target->typeQualifier, 0x10000u);
  ASSERT_NE(target->referencedClass, nullptr);
  EXPECT_STREQ(*target->referencedClass, "KTX::DieDes::CastReliefTarget");

  const OM::ClassAttributeStruct* depth = rowNamed(relief, "m_reliefDepth");
  ASSERT_NE(depth, nullptr);
  EXPECT_EQ(depth->flags, 0x4001u);
  EXPECT_STREQ(*depth->referencedClass, "KTX::EXP_expression");

  const OM::ClassAttributeStruct* sheet = rowNamed(relief, "m_supportSheetTemp");
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(sheet->attributeIndex, 0x8000000Cu);
  EXPECT_EQ(sheet->typeCode, 0x11u);
  EXPECT_EQ(sheet->flags, 0x1u);
  EXPECT_EQ(sheet->referencedClass, nullptr);
  EXPECT_EQ(sheet->initialValue, nullptr);

  const char* plane = "KTX::DieDes::DiePlaneBuilder";
  const OM::ClassAttributeStruct* options = rowNamed(plane, "m_allowOptions");
  ASSERT_NE(options, nullptr);
  EXPECT_EQ(options->typeCode, 0x40000u);
  EXPECT_EQ(options->attributeIndex, 0x80000006u);
  const OM::ClassAttributeStruct* required = rowNamed(plane, "m_applIsOverallRequired");
  ASSERT_NE(required, nullptr);
  ASSERT_NE(required->initialValue, nullptr);
  EXPECT_TRUE(*static_cast<const bool*>(required->initialValue));
  EXPECT_EQ(required->typeQualifier, 1u);
  const OM::ClassAttributeStruct* specified = rowNamed(plane, "m_specifyPlane");
  ASSERT_NE(specified, nullptr);
  EXPECT_EQ(specified->typeCode, 9u);
  EXPECT_EQ(specified->flags, 0x804001u);
  const OM::ClassAttributeStruct* matrix = rowNamed(plane, "m_coordinateSystemMatrix");
  ASSERT_NE(matrix, nullptr);
  EXPECT_EQ(matrix->typeCode, 0x90006u);
  EXPECT_EQ(matrix->attributeIndex, 0x80000005u);
}

}  // namespace

namespace {

std::vector<const OM::ClassAttributeStruct*> rowsOf(const char* className) {
  OM::ClassView view;
  EXPECT_TRUE(OM::OM_describe_class(OM::OM_ask_class_id(className), &view)) << className;
  return view.rows;
}

// The fields of a class whose rows carry the flags, in index order.
std::vector<std::string> fieldsWithFlags(const char* className, unsigned flags) {
  std::vector<const OM::ClassAttributeStruct*> rows = rowsOf(className);
  std::sort(rows.begin(), rows.end(),
            [](auto* a, auto* b) { return a->attributeIndex < b->attributeIndex; });
  std::vector<std::string> fields;
  for (const OM::ClassAttributeStruct* row : rows)
    if (row->flags == flags) fields.push_back(row->fieldName);
  return fields;
}

using Fields = std::vector<std::string>;

TEST(Registration, ReferenceFlagsAsTheClassTableGivesThem) {
  EXPECT_EQ(fieldsWithFlags("KTX::DieDesJA::HeelpostBuilder", 0x1A04001).size(), 33u);
  EXPECT_EQ(fieldsWithFlags("KTX::DieDesJA::KeywayBuilder", 0x1A04001).size(), 22u);
  EXPECT_EQ(fieldsWithFlags("KTX::DieDesJA::MachineReliefBuilder", 0x804001).size(), 20u);
  EXPECT_EQ(fieldsWithFlags("KTX::DieDesJA::MachineReliefBuilder", 0xC04001), Fields{"m_trimSheetFace"});
  EXPECT_EQ(fieldsWithFlags("KTX::DieEngJA::DrawBeadSegmentBuilder", 0x804001).size(), 17u);
  // The segment's parent is the one reference without 0x4000.
  const OM::ClassAttributeStruct* parent = rowNamed("KTX::DieEngJA::DrawBeadSegmentBuilder", "m_myParentDrawBeadBuilder");
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->typeCode, 4u);
  EXPECT_EQ(parent->flags, 0x1u);
  EXPECT_EQ(fieldsWithFlags("KTX::DieDesJA::FillAreaBuilder", 0x1E04001), Fields{"m_lowerLimitOffset"});
  EXPECT_EQ(fieldsWithFlags("KTX::DieDes::DieShoeBuilder", 0x800201),
            (Fields{"m_mainDeckLoopTags", "m_deckCutoutsLoopTags"}));
  EXPECT_EQ(fieldsWithFlags("KTX::DieDes::DieShoeBuilder", 0x800001), Fields{"m_baseFlangeTag"});
  EXPECT_EQ(fieldsWithFlags("KTX::DieDes::DieShoeBuilder", 0x404001), Fields{"m_tagSolvaneMap"});
  EXPECT_EQ(fieldsWithFlags("KTX::DieEngJA::CompensateRoughDataBuilder", 0x1A04001),
            (Fields{"m_curveCollector", "m_projectToFaces"}));
  EXPECT_EQ(fieldsWithFlags("KTX::Tooling::DieEngFormTaskBuilder", 0x10000201), Fields{"m_details"});
  EXPECT_EQ(fieldsWithFlags("KTX::Tooling::DieDesDrawDieBuilder", 0xC04001), Fields{"m_drawPunchBuilder"});
  EXPECT_EQ(fieldsWithFlags("KTX::DieDesJA::DieLocationBuilder", 0xC04001),
            (Fields{"m_point", "m_vector", "m_plane"}));
}

TEST(Registration, OnlyTheClampingSlotsValueRowsCarryMeasures) {
  unsigned lengths = 0, angles = 0;
  for (const OM::RegistrationEvent& e : OM::RegistrationEvents()) {
    if (!e.registered || e.className.rfind("KTX::Die", 0) != 0) continue;
    for (const OM::ClassAttributeStruct* row : rowsOf(e.className.c_str())) {
      if (row->measureList == nullptr) continue;
      EXPECT_EQ(e.className, "KTX::DieDesJA::ClampingSlotBuilder") << row->fieldName;
      auto* measure = static_cast<const OM::MeasureList*>(row->measureList);
      EXPECT_EQ(measure->count, 1u);
      EXPECT_EQ(measure->codes, &measure->code);
      const std::string field = row->fieldName;
      const bool angle = field == "m_angleTolerance" || field == "m_notchAngle" ||
                         field.find("UnitlessDefaults") != std::string::npos;
      EXPECT_EQ(measure->code, angle ? 2184u : 2185u) << field;
      ++(angle ? angles : lengths);
    }
  }
  // The distance tolerance, 17 expressions and three length arrays; the angle
  // tolerance, the notch angle and three unitless arrays.
  EXPECT_EQ(lengths, 21u);
  EXPECT_EQ(angles, 5u);
}

TEST(Registration, OnlyTheStatedLogicalsStartWithAValue) {
  Fields starting;
  for (const OM::RegistrationEvent& e : OM::RegistrationEvents()) {
    if (!e.registered) continue;
    for (const OM::ClassAttributeStruct* row : rowsOf(e.className.c_str())) {
      if (row->initialValue == nullptr) continue;
      EXPECT_TRUE(*static_cast<const bool*>(row->initialValue)) << row->fieldName;
      EXPECT_EQ(row->typeQualifier, 1u) << row->fieldName;
      starting.push_back(e.className.substr(e.className.rfind(':') + 1) + "." + row->fieldName);
    }
  }
  std::sort(starting.begin(), starting.end());
  EXPECT_EQ(starting, (Fields{"DieBooleanBuilder.m_applIsOverallRequired",
                              "DieDirectionBuilder.m_applIsOverallRequired",
                              "DieLocationBuilder.m_applIsOverallRequired",
                              "DieLocationsBuilder.m_applIsOverallRequired",
                              "DiePlaneBuilder.m_applIsOverallRequired",
                              "DrawBeadBuilder.m_deleteSegmentsDuringClean",
                              "DrawBeadSegmentBuilder.m_skipValidate"}));
}

}  // namespace

// The class tables themselves, as the plug-in exports them.
namespace KTX::DieDes {
extern const OM::ClassAttributeStruct DiePlaneBuilderAttributeTable[];
}
namespace KTX::DieEngJA {
extern const OM::ClassAttributeStruct CompensateRoughDataBuilderAttributeTable[];
extern const OM::ClassAttributeStruct SpringbackCompensationBuilderAttributeTable[];
}
namespace KTX::Tooling {
extern const OM::ClassAttributeStruct DieEngFormTaskBuilderAttributeTable[];
extern const OM::ClassAttributeStruct DieDesPierceInsertBuilderAttributeTable[];
extern const OM::ClassAttributeStruct DieDesDrawDieBuilderAttributeTable[];
extern const OM::ClassAttributeStruct DieDesDrawPunchBuilderAttributeTable[];
}

namespace {

// The table's rows in order, checking that each field lies after the one before.
Fields tableOrder(const OM::ClassAttributeStruct* table, std::size_t rows) {
  Fields fields;
  for (std::size_t i = 0; i < rows; ++i) {
    if (i > 0) {
      EXPECT_GT(table[i].fieldPlace, table[i - 1].fieldPlace) << table[i].fieldName;
    }
    fields.push_back(table[i].fieldName);
  }
  return fields;
}

TEST(Registration, FieldsLieInTheOrderTheClassesState) {
  EXPECT_EQ(tableOrder(DieDes::DiePlaneBuilderAttributeTable, 9),
            (Fields{"m_coordinateSystemOrigin", "m_coordinateSystemMatrix", "m_selectPlane", "m_inputType",
                    "m_specifyPlane", "m_applScopePlane", "m_reverseSourceDirection", "m_allowOptions",
                    "m_applIsOverallRequired"}));
  EXPECT_EQ(tableOrder(DieEngJA::CompensateRoughDataBuilderAttributeTable, 10),
            (Fields{"m_distanceTolerance", "m_angleTolerance", "m_maximumGap", "m_curveCollector", "m_sheetBodies",
                    "m_projectToFaces", "m_approximation", "m_type", "m_joinOutputCurves", "m_modifyInputSheet"}));
  EXPECT_EQ(tableOrder(DieEngJA::SpringbackCompensationBuilderAttributeTable, 26),
            (Fields{"m_shapeValue", "m_deformationFactor", "m_smoothingFactor", "m_stepSize", "m_distanceTolerance",
                    "m_angleTolerance", "m_oneStep", "m_productSheet", "m_productFacets", "m_productPointsFile",
                    "m_productPoints", "m_sprungFacets", "m_sprungPointsFile", "m_sprungPoints", "m_innerCurve",
                    "m_outerCurve", "m_definedBy", "m_drawVector", "m_resultType", "m_divisions", "m_degree",
                    "m_setConvexityDirection", "m_createFacets", "m_calculateMaxDeviation", "m_convexityEnabled",
                    "m_isGenericDeform"}));
  EXPECT_EQ(tableOrder(Tooling::DieEngFormTaskBuilderAttributeTable, 8),
            (Fields{"m_dieTip", "m_regionBounds", "m_shapeDetail", "m_details", "m_frmtskStruct", "m_pointInRegion",
                    "m_camDirection", "m_finishOperation"}));
  EXPECT_EQ(tableOrder(Tooling::DieDesPierceInsertBuilderAttributeTable, 12),
            (Fields{"m_upToleranceForLength", "m_downToleranceForLength", "m_upToleranceForWidth",
                    "m_downToleranceForWidth", "m_thicknessValue", "m_punchPenetration", "m_diePenetration",
                    "m_toleranceCoefficient", "m_clearanceCoefficient", "m_boudaryCurveSelection",
                    "m_catalogOption", "m_thicknessDirectionOption"}));
  EXPECT_EQ(tableOrder(Tooling::DieDesDrawDieBuilderAttributeTable, 22),
            (Fields{"m_deckThickness", "m_binderEdgeOffset", "m_deckEdgeOffset", "m_deckFlangeThickness",
                    "m_wallThickness", "m_baseThickness", "m_flangeOffset", "m_machiningAllowance", "m_sheetBody",
                    "m_punchCurve", "m_blankCurve", "m_flangeCurve", "m_frecSet", "m_frecSetToDelete",
                    "m_drawPunchBuilder", "m_basePlane", "m_finalPunchCurve", "m_finalBlankCurve",
                    "m_finalFlangeCurve", "m_tfeatureSet", "m_exactSheetbodyOption", "m_coreDrawDieOption"}));
  EXPECT_EQ(tableOrder(Tooling::DieDesDrawPunchBuilderAttributeTable, 20),
            (Fields{"m_deckThickness", "m_beltThickness", "m_reliefDistanse", "m_reliefAngle", "m_wallThickness",
                    "m_baseThickness", "m_baseWidth", "m_machiningAllowance", "m_sheetBody", "m_punchCurve",
                    "m_sheetBodyDeck", "m_mainWallCenterLine", "m_flangeProfile", "m_frecSet", "m_frecSetToDelete",
                    "m_basePlane", "m_finalPunchCurve", "m_tfeatureSet", "m_exactSheetbodyOption",
                    "m_coreDrawPunchOption"}));
}

}  // namespace
