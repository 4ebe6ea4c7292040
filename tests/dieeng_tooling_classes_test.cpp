// The die-engineering and tooling builders as the host sees them, across the
// classes: their registrations, a new object's fields, field writes with
// their undo logging, undo. A class's own arrays are in its own file.
#include <cstring>
#include <functional>
#include <string>
#include <utility>

#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "RegistrationTestSupport.hpp"
#include "TestSupport.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "Tooling_DieDesPierceInsertBuilder.hpp"
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "om/HostClass.hpp"

using namespace KTX;
using namespace KTX::DieEngJA;
using namespace KTX::Tooling;
using stamvik_test::ExpectJournalName;
using stamvik_test::ExpectRegistration;
using stamvik_test::HostTest;
using stamvik_test::RowParts;

namespace {

class DieEngToolingBuilders : public HostTest {};

std::uint32_t PlaceOf(int classId, unsigned index) {
  OM::ClassView view;
  OM::OM_describe_class(classId, &view);
  return view.rows.at(index)->fieldPlace;
}

// ---- registrations ---------------------------------------------------------------

TEST_F(DieEngToolingBuilders, DieEngineeringRegistrationsMatchTheClassTable) {
  ExpectRegistration(CompensateRoughDataBuilderClassId, "KTX::DieEngJA::CompensateRoughDataBuilder",
                     "KTX::JAX_FEAT_BUILDER", 10,
                     {{0, "m_curveCollector", 4, 0x1A04001, "KTX::SC_section"},
                      {1, "m_sheetBodies", 4, 0x804001, "KTX::SELECT_OBJECT_list"},
                      {2, "m_projectToFaces", 4, 0x1A04001, "KTX::SC_collector"},
                      {4, "m_modifyInputSheet", 0, 0x1},
                      {8, "m_maximumGap", 6, 0x1},
                      {9, "m_type", 3, 0x1}},
                     RowParts::kReferencesOnly);
  ExpectRegistration(DrawBeadBuilderClassId, "KTX::DieEngJA::DrawBeadBuilder", "KTX::JAX_FEAT_BUILDER", 42,
                     {{3, "m_centerline", 4, 0x4001, "KTX::SC_section"},
                      {5, "m_startPoint", 4, 0x804001, "KTX::DieDesJA::DieLocationBuilder"},
                      {7, "m_drawDirection", 4, 0x804001, "KTX::DieDes::DieDirectionBuilder"},
                      {18, "m_segmentList", 4, 0x4001, "KTX::UICOMPJA_list"},
                      {22, "m_endTaper", 4, 0x804001, "KTX::DieEngJA::DrawBeadTaperBuilder"},
                      {33, "m_machiningOffsetTitleAttribute", 4, 0x804001, "KTX::DieDes::DieAttributesBuilder"},
                      {37, "m_segmentParameters", 0xFFFF0006, 0x201},
                      {39, "m_pathForSegments", 9, 0x4001},
                      {40, "m_details", 0xFFFF000D, 0x201},
                      {41, "m_pointTag", 9, 0x804001}},
                     RowParts::kReferencesOnly);
  ExpectRegistration(DrawBeadSegmentBuilderClassId, "KTX::DieEngJA::DrawBeadSegmentBuilder", "KTX::JAX_BUILDER",
                     24,
                     {{0, "m_startLocation", 4, 0x804001, "KTX::OnPathDimBuilder"},
                      {10, "m_maleLeftWallAngle", 4, 0x804001, "KTX::EXP_expression"},
                      {17, "m_segmentClearance", 6, 0x1},
                      {21, "m_temporaryEndPoint", 9, 0x804001},
                      {22, "m_myParentDrawBeadBuilder", 4, 0x1, "KTX::DieEngJA::DrawBeadBuilder"},
                      {23, "m_skipValidate", 0, 0x1}},
                     RowParts::kReferencesOnly);
  ExpectRegistration(DrawBeadTaperBuilderClassId, "KTX::DieEngJA::DrawBeadTaperBuilder", "KTX::JAX_BASE_BUILDER", 5,
                     {{0, "m_taperType", 3, 0x1},
                      {3, "m_taperWashoutLength", 4, 0x804001, "KTX::EXP_expression"},
                      {4, "m_taperPoint", 9, 0x404001}},
                     RowParts::kReferencesOnly);
  ASSERT_NO_FATAL_FAILURE(ExpectRegistration(
      SpringbackCompensationBuilderClassId, "KTX::DieEngJA::SpringbackCompensationBuilder",
      "KTX::JAX_FEAT_BUILDER", 26,
      {{0, "m_definedBy", 3, 0x1},
       {4, "m_productPointsFile", 0xD, 0x201},
       {5, "m_productPoints", 0x20006, 0x201},
       {8, "m_sprungPoints", 0x20006, 0x201},
       {11, "m_outerCurve", 4, 0x804001, "KTX::SC_section"},
       {21, "m_setConvexityDirection", 9, 0x404001},
       {25, "m_angleTolerance", 6, 0x1}},
       RowParts::kReferencesOnly));
  OM::ClassView view;
  OM::OM_describe_class(SpringbackCompensationBuilderClassId, &view);
  for (unsigned index : {5u, 8u}) {
    const std::int32_t* dims = view.rows[index]->dimensions;
    ASSERT_NE(dims, nullptr);
    EXPECT_EQ(dims[0], -1);
    EXPECT_EQ(dims[1], 3);
  }
}

TEST_F(DieEngToolingBuilders, ToolingRegistrationsMatchTheClassTable) {
  ExpectRegistration(DieDesDrawDieBuilderClassId, "KTX::Tooling::DieDesDrawDieBuilder", "KTX::JAX_BUILDER", 22,
                     {{0, "m_sheetBody", 4, 0x804001, "KTX::SELECT_OBJECT"},
                      {4, "m_basePlane", 9, 0x404001},
                      {12, "m_exactSheetbodyOption", 0, 0x1},
                      {18, "m_tfeatureSet", 9, 0x4001},
                      {19, "m_frecSet", 4, 0x404001, "KTX::OM::Set"},
                      {21, "m_drawPunchBuilder", 4, 0xC04001, "KTX::Tooling::DieDesDrawPunchBuilder"}},
                     RowParts::kReferencesOnly);
  ExpectRegistration(DieDesDrawPunchBuilderClassId, "KTX::Tooling::DieDesDrawPunchBuilder", "KTX::JAX_BUILDER", 20,
                     {{2, "m_basePlane", 9, 0x404001},
                      {4, "m_mainWallCenterLine", 4, 0x804001, "KTX::SC_section"},
                      {8, "m_reliefDistanse", 6, 0x1},
                      {16, "m_finalPunchCurve", 9, 0x4001},
                      {19, "m_frecSetToDelete", 4, 0x404001, "KTX::OM::Set"}},
                     RowParts::kReferencesOnly);
  ExpectRegistration(DieDesPierceInsertBuilderClassId, "KTX::Tooling::DieDesPierceInsertBuilder", "KTX::JAX_BUILDER",
                     12,
                     {{0, "m_boudaryCurveSelection", 4, 0x804001, "KTX::SC_collector"},
                      {6, "m_thicknessDirectionOption", 3, 0x1},
                      {11, "m_clearanceCoefficient", 6, 0x1}},
                     RowParts::kReferencesOnly);
  ExpectRegistration(DieEngFormTaskBuilderClassId, "KTX::Tooling::DieEngFormTaskBuilder", "KTX::JAX_FEAT_BUILDER", 8,
                     {{1, "m_regionBounds", 4, 0x404001, "KTX::SC_collector"},
                      {3, "m_camDirection", 9, 0x404001},
                      {5, "m_details", 0xFFFF0010, 0x10000201},
                      {7, "m_frmtskStruct", 0xF, 0x1}},
                     RowParts::kReferencesOnly);
}

TEST_F(DieEngToolingBuilders, FieldsLieInTheOrderTheClassesDeclareThem) {
  // Draw die: the doubles, then the references, the tags and the two options.
  EXPECT_LT(PlaceOf(DieDesDrawDieBuilderClassId, 13), PlaceOf(DieDesDrawDieBuilderClassId, 0));
  EXPECT_LT(PlaceOf(DieDesDrawDieBuilderClassId, 21), PlaceOf(DieDesDrawDieBuilderClassId, 4));
  EXPECT_LT(PlaceOf(DieDesDrawDieBuilderClassId, 18), PlaceOf(DieDesDrawDieBuilderClassId, 12));
  // Draw punch: the same grouping.
  EXPECT_LT(PlaceOf(DieDesDrawPunchBuilderClassId, 14), PlaceOf(DieDesDrawPunchBuilderClassId, 0));
  EXPECT_LT(PlaceOf(DieDesDrawPunchBuilderClassId, 19), PlaceOf(DieDesDrawPunchBuilderClassId, 2));
  EXPECT_LT(PlaceOf(DieDesDrawPunchBuilderClassId, 17), PlaceOf(DieDesDrawPunchBuilderClassId, 13));
  // Rough-data compensation: the three doubles come before the references.
  EXPECT_LT(PlaceOf(CompensateRoughDataBuilderClassId, 8), PlaceOf(CompensateRoughDataBuilderClassId, 0));
}

// ---- new objects ---------------------------------------------------------------------

TEST_F(DieEngToolingBuilders, HostMadeObjectsStartWithTheTablesInitialValues) {
  auto* bead = static_cast<DrawBeadBuilder*>(
      OM::ObjectFactory::CreateObject(DrawBeadBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  auto* segment = static_cast<DrawBeadSegmentBuilder*>(
      OM::ObjectFactory::CreateObject(DrawBeadSegmentBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  EXPECT_TRUE(bead->GetDeleteSegmentsDuringClean());
  EXPECT_FALSE(bead->GetTaperBead());
  EXPECT_TRUE(segment->GetSkipValidate());
  EXPECT_FALSE(segment->GetSymmetry());
  // Only these two rows carry a value of their own; both start true.
  for (auto [classId, index] :
       {std::pair{DrawBeadBuilderClassId, 38u}, std::pair{DrawBeadSegmentBuilderClassId, 23u}}) {
    OM::ClassView view;
    ASSERT_TRUE(OM::OM_describe_class(classId, &view));
    for (const OM::ClassAttributeStruct* row : view.rows) {
      SCOPED_TRACE(row->fieldName);
      if (row->attributeIndex == 0x80000000u + index) {
        EXPECT_NE(row->initialValue, nullptr);
        if (row->initialValue == nullptr) continue;
        EXPECT_TRUE(*static_cast<const bool*>(row->initialValue));
        EXPECT_EQ(row->typeQualifier, 1u);
      } else {
        EXPECT_EQ(row->initialValue, nullptr);
      }
    }
  }
  EXPECT_EQ(DrawBeadSegmentBuilder::CreateDrawBeadSegmentBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(DieDesDrawDieBuilder::CreateDieDesDrawDieBuilderCallback(nullptr, 1, nullptr), nullptr);
  segment->destroy();
  bead->destroy();
}

TEST_F(DieEngToolingBuilders, FactoriesMakeUsableBuildersWithTheirJournalNames) {
  auto* record = stamvik_test::RoughSheetFeature();
  auto* rough = CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  auto* springback = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  auto* bead = DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  auto* taper = DrawBeadTaperBuilderFactory::Create(part(), nullptr);
  auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
  auto* punch = DieDesDrawPunchBuilderFactory::Create(4711, part());
  auto* pierce = DieDesPierceInsertBuilderFactory::Create(part());
  auto* task = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);

  EXPECT_EQ(rough->get_frec(), record);
  EXPECT_EQ(rough->ask_owning_part(), part());
  EXPECT_EQ(rough->GetType(), JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
  EXPECT_EQ(rough->GetApproximation(), JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Coarse);
  EXPECT_EQ(taper->ask_owning_part(), part());
  EXPECT_EQ(taper->GetTaperType(), JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes_Spherical);
  EXPECT_EQ(taper->validate_nothrow(), 0);
  // The feature set given to the factory is the one a commit rebuilds.
  EXPECT_EQ(die->GetTfeatureSet(), 0u);
  EXPECT_EQ(punch->GetTfeatureSet(), 4711u);
  EXPECT_EQ(pierce->GetThicknessDirectionOption(), JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Upper);
  EXPECT_EQ(pierce->GetThicknessValue(), 0.0);
  EXPECT_EQ(pierce->commit(), 0);
  EXPECT_EQ(task->GetNumDetails(), 0);
  EXPECT_TRUE(task->GetNthValueInDetails(3).empty());
  EXPECT_EQ(bead->SetDefaultDrawDirection(), 0);

  ExpectJournalName(rough, "Die.CompensateRoughDataBuilder");
  ExpectJournalName(springback, "Die.SpringbackCompensationBuilder");
  ExpectJournalName(bead, "Die.DrawBeadBuilder");
  ExpectJournalName(taper, "Die.DrawBeadTaperBuilder");
  ExpectJournalName(die, "Tooling.DieDesDrawDieBuilder");
  ExpectJournalName(punch, "Tooling.DieDesDrawPunchBuilder");
  ExpectJournalName(pierce, "Tooling.DieDesPierceInsertBuilder");
  ExpectJournalName(task, "Tooling.DieEngFormTaskBuilder");
  for (JAX_BASE_BUILDER* b :
       std::initializer_list<JAX_BASE_BUILDER*>{rough, springback, bead, taper, die, punch, pierce, task})
    b->destroy();
  record->destroy();
}

// ---- the rough-data compensation type -------------------------------------------------

// ---- plain writes and references ----------------------------------------------------------

TEST_F(DieEngToolingBuilders, PlainWritesAreLoggedOnceUnlessTheObjectNeedsNoLog) {
  auto* rough = CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
  auto* springback = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  auto* bead = DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  auto* pierce = DieDesPierceInsertBuilderFactory::Create(part());
  auto* task = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);

  struct Write {
    const char* what;
    std::function<void()> set;
    std::function<bool()> stored;
  };
  const Write writes[] = {
      {"rough gap", [&] { rough->SetMaximumGap(0.2); }, [&] { return rough->GetMaximumGap() == 0.2; }},
      {"rough join", [&] { rough->SetJoinOutputCurves(true); }, [&] { return rough->GetJoinOutputCurves(); }},
      {"springback degree", [&] { springback->SetDegree(JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven); },
       [&] { return springback->GetDegree() == JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven; }},
      {"springback smoothing", [&] { springback->SetSmoothingFactor(1e-9); },
       [&] { return springback->GetSmoothingFactor() == 1e-9; }},
      {"bead output", [&] { bead->SetOutput(JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal); },
       [&] { return bead->GetOutput() == JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal; }},
      {"bead clean", [&] { bead->SetDeleteSegmentsDuringClean(false); },
       [&] { return !bead->GetDeleteSegmentsDuringClean(); }},
      {"die flange offset", [&] { die->SetFlangeOffset(12.5); }, [&] { return die->GetFlangeOffset() == 12.5; }},
      {"die core", [&] { die->SetCoreDrawDieOption(true); }, [&] { return die->GetCoreDrawDieOption(); }},
      {"punch relief", [&] { punch->SetReliefDistanse(3.0); }, [&] { return punch->GetReliefDistanse() == 3.0; }},
      {"pierce width", [&] { pierce->SetGetDownToleranceForWidth(-0.1); },
       [&] { return pierce->GetDownToleranceForWidth() == -0.1; }},
      {"pierce side", [&] { pierce->SetThicknessDirectionOption(JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Lower); },
       [&] { return pierce->GetThicknessDirectionOption() == JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Lower; }},
      {"task finish", [&] { task->SetFinishOperation(true); }, [&] { return task->GetFinishOperation(); }},
  };
  for (const Write& w : writes) {
    SCOPED_TRACE(w.what);
    Host::ClearCalls();
    w.set();
    EXPECT_EQ(Host::CountCalls("OM__log"), 1u);
    EXPECT_TRUE(w.stored());
  }

  for (OM::Object* o : std::initializer_list<OM::Object*>{rough, springback, bead, die, punch, pierce, task})
    o->OmSetState(OM::Object::kStateNoLog);
  Host::ClearCalls();
  rough->SetAngleTolerance(0.5);
  die->SetMachiningAllowance(1.5);
  task->SetFinishOperation(false);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  EXPECT_EQ(rough->GetAngleTolerance(), 0.5);
  EXPECT_EQ(die->GetMachiningAllowance(), 1.5);

  for (JAX_BASE_BUILDER* b :
       std::initializer_list<JAX_BASE_BUILDER*>{rough, springback, bead, die, punch, pierce, task})
    b->destroy();
}

TEST_F(DieEngToolingBuilders, TagsAndReferencesGoThroughTheirAttributeIds) {
  auto* springback = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  auto* taper = DrawBeadTaperBuilderFactory::Create(part(), nullptr);
  auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  auto* task = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  auto* set = Host::CreateHostObject<OM::Set>();
  auto* curves = Host::CreateHostObject<SELECT_OBJECT_list>();
  const tag_t curvesTag = curves->OmTag();

  // The die's own punch is swapped for the one made here, which then goes with the die.
  DieDesDrawPunchBuilder* owned = die->GetDrawPunchBuilder();
  Host::ClearCalls();
  springback->SetDrawVector(101);
  springback->SetConvexityDirection(102);
  taper->SetTaperPoint(103);
  die->SetBasePlane(104);
  die->SetTfeatureSet(105);
  punch->SetBasePlane(106);
  task->SetPointInRegion(107);
  task->SetCamDirection(108);
  die->SetDrawPunchBuilder(punch);
  die->SetFrecSet(set);
  punch->SetPunchCurve(curves);
  EXPECT_EQ(Host::CountCalls("SetReferencedObject"), 11u);

  EXPECT_EQ(springback->GetDrawVector(), 101u);
  EXPECT_EQ(springback->GetConvexityDirection(), 102u);
  EXPECT_EQ(taper->GetTaperPoint(), 103u);
  EXPECT_EQ(die->GetBasePlane(), 104u);
  EXPECT_EQ(die->GetTfeatureSet(), 105u);
  EXPECT_EQ(punch->GetBasePlane(), 106u);
  EXPECT_EQ(task->GetPointInRegion(), 107u);
  EXPECT_EQ(task->GetCamDirection(), 108u);
  EXPECT_EQ(die->GetDrawPunchBuilder(), punch);
  EXPECT_EQ(die->GetFrecSet(), set);
  EXPECT_EQ(punch->GetPunchCurve(), curves);
  die->SetFrecSet(nullptr);
  EXPECT_EQ(die->GetFrecSet(), nullptr);

  for (JAX_BASE_BUILDER* b : std::initializer_list<JAX_BASE_BUILDER*>{springback, taper, die, owned, task})
    b->destroy();
  set->destroy();
  // The punch owns the selection it was given: it went with the punch.
  EXPECT_FALSE(OM::OM_object_of_tag(curvesTag));
}

// ---- indexed arrays ----------------------------------------------------------------------

// ---- undo ----------------------------------------------------------------------------------

TEST_F(DieEngToolingBuilders, UndoRestoresFieldsAndArrays) {
  auto* bead = DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  auto* springback = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
  bead->SetDetail(0, "kept");
  springback->SetNthProductPoint(0, {1, 2, 3});
  springback->SetProductPointsFile("before.txt");

  int error = -1;
  int mark = UNDO_QD_set_mark(1, "test", &error);
  ASSERT_EQ(error, 0);
  bead->SetOutput(JA_DRAW_BEAD_BUILDER_OutputTypes_Male);
  bead->SetDetail(0, "changed");
  bead->SetDetail(1, "added");
  bead->SetSegmentParameter(0, 0.5);
  springback->SetNthProductPoint(0, {9, 9, 9});
  springback->SetNthProductPoint(1, {4, 5, 6});
  springback->SetProductPointsFile("after.txt");
  springback->SetDrawVector(55);
  die->SetDeckThickness(40.0);
  die->SetTfeatureSet(66);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  EXPECT_EQ(bead->GetOutput(), JA_DRAW_BEAD_BUILDER_OutputTypes_None);
  ASSERT_EQ(bead->GetDetailsLength(), 1);
  EXPECT_STREQ(bead->GetDetail(0), "kept");
  EXPECT_EQ(bead->GetSegmentParametersLength(), 0);
  ASSERT_EQ(springback->GetProductPointCount(), 1);
  Math::Point3 p;
  springback->GetNthProductPoint(0, p);
  EXPECT_EQ(p.X, 1);
  EXPECT_EQ(p.Z, 3);
  EXPECT_STREQ(springback->GetProductPointsFile(), "before.txt");
  EXPECT_EQ(springback->GetDrawVector(), 0u);
  EXPECT_EQ(die->GetDeckThickness(), 0.0);
  EXPECT_EQ(die->GetTfeatureSet(), 0u);
  for (JAX_BASE_BUILDER* b : std::initializer_list<JAX_BASE_BUILDER*>{bead, springback, die}) b->destroy();
}

}  // namespace
