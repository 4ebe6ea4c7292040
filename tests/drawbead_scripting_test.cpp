// The scripting classes of the draw bead and of its segment and taper
// sub-builders: exports, interface ids, set-up orders, the call frame on
// their members, the bodies with rules of their own, the test prints and the
// scripting defaults. Expected names, orders and texts are written out from
// the classes' published descriptions, not read from the tables the engine
// expands.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "ja_die_draw_bead_builder_jam.hpp"
#include "ja_die_draw_bead_segment_builder_jam.hpp"
#include "ja_die_draw_bead_taper_builder_jam.hpp"
#include "geom/Curve.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"
#include "sys/Settings.hpp"

using namespace KTX;
using DieEngJA::DrawBeadBuilder;
using DieEngJA::DrawBeadSegmentBuilder;
using DieEngJA::DrawBeadTaperBuilder;
using stamvik_test::AlreadySetUp;
using stamvik_test::ExpectInterfaceId;
using stamvik_test::ExportsStartingWith;
using stamvik_test::HostTest;
using stamvik_test::JamCalls;
using stamvik_test::JamTest;
using stamvik_test::NamedWrites;
using stamvik_test::Prefixed;

// The exports as a script declares them.
namespace {

const char* kBead = "Die.DrawBeadBuilder";
const char* kSegment = "Die.DrawBeadSegmentBuilder";
const char* kTaper = "Die.DrawBeadTaperBuilder";

// The calls of a class set-up: from the first dependency to the record that follows it.
std::vector<std::string> SetUpCalls(const std::string& firstRecord) {
  std::vector<std::string> calls = JamCalls(false);
  auto end = std::find(calls.begin(), calls.end(), firstRecord);
  return {calls.begin(), end == calls.end() ? end : end + 1};
}

class DrawBeadUnits : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
    segment_ = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead_, nullptr);
    taper_ = DieEngJA::DrawBeadTaperBuilderFactory::Create(part(), nullptr);
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    if (segment_ != nullptr) segment_->destroy();
    taper_->destroy();
    bead_->destroy();
    JamTest::TearDown();
  }
  // Every class set up, the journal and the call log empty.
  void SetUpClasses() {
    for (const char* c : {kBead, kSegment, kTaper}) JAM::FileInitializer::Initialize(c);
    JAM::ClearJournal();
    Host::ClearCalls();
  }
  // The segments put in the bead's own list, which the bead deletes with itself.
  void GiveSegmentList(std::vector<DrawBeadSegmentBuilder*> segments) {
    list_ = bead_->GetSegmentList();
    std::vector<OM::Object*> items(segments.begin(), segments.end());
    list_->append_items(static_cast<int>(items.size()), items.data());
  }
  static std::string TagOf(const OM::Object* object) { return std::to_string(OM::OM_ask_object_tag(object)); }

  DrawBeadBuilder* bead_ = nullptr;
  DrawBeadSegmentBuilder* segment_ = nullptr;
  DrawBeadTaperBuilder* taper_ = nullptr;
  UICOMPJA_list* list_ = nullptr;
};

// ---- exports, interfaces, load registration --------------------------------------------

TEST(DrawBeadLoad, ExportsAreExactlyThoseOfTheMemberTables) {
  std::vector<std::string> bead = {
      "get_MaleBeadPosition", "set_MaleBeadPosition", "get_PlacementFace", "get_ReverseMetalThickness",
      "set_ReverseMetalThickness", "get_Centerline", "get_CenterlineProjection", "set_CenterlineProjection",
      "get_StartPoint", "get_EndPoint", "get_DrawDirection", "get_MetalThickness", "get_Clearance",
      "get_ReferenceDirection", "set_ReferenceDirection", "get_TaperBead", "set_TaperBead", "get_BaseOrientation",
      "set_BaseOrientation", "get_TransitionDefinition", "set_TransitionDefinition", "get_FemaleDepthType",
      "set_FemaleDepthType", "get_FemaleDepthValue", "get_FemaleWidthType", "set_FemaleWidthType",
      "get_FemaleWidthValue", "CreateSegmentsFromCenterlineCurves", "create_draw_bead_segment", "get_SegmentList",
      "get_BuildStartTaper", "set_BuildStartTaper", "get_StartTaper", "get_BuildEndTaper", "set_BuildEndTaper",
      "get_EndTaper", "get_Output", "set_Output", "get_MachineOffset", "set_MachineOffset",
      "get_GenerateHeightCurve", "set_GenerateHeightCurve", "get_OrientSectionToDraw", "set_OrientSectionToDraw",
      "get_MaleSheetAttribute", "get_MaleFaceAttribute", "get_FemaleSheetAttribute", "get_FemaleFaceAttribute",
      "get_SheetMetalSheetAttribute", "get_SheetMetalFaceAttribute", "get_MachiningOffsetTitleAttribute",
      "get_DistanceTolerance", "set_DistanceTolerance", "get_AngleTolerance", "set_AngleTolerance",
      "SetDefaultDrawDirection", "SetMoreDetails", "GetMoreDetails"};
  ASSERT_EQ(bead.size(), 58u);
  EXPECT_EQ(ExportsStartingWith("XJA_DRAW_BEAD_BUILDER_"), Prefixed("XJA_DRAW_BEAD_BUILDER_", bead));

  std::vector<std::string> segment = {
      "get_StartLocation", "get_EndLocation", "get_FemaleLeftRadius", "get_FemaleRightRadius", "get_Symmetry",
      "set_Symmetry", "get_Flow", "set_Flow", "get_MaleBeadWidthType", "set_MaleBeadWidthType", "get_MaleLeftWidth",
      "get_MaleLeftTopRadius", "get_MaleLeftSheetRadius", "get_MaleLeftWallAngle", "get_MaleRightWidth",
      "get_MaleRightTopRadius", "get_MaleRightSheetRadius", "get_MaleRightWallAngle", "get_MaleBeadHeight",
      "get_MaleTransitionLength"};
  EXPECT_EQ(ExportsStartingWith("XJA_DRAW_BEAD_SEGMENT_BUILDER_"),
            Prefixed("XJA_DRAW_BEAD_SEGMENT_BUILDER_", segment));

  std::vector<std::string> taper = {"get_TaperType",          "set_TaperType",          "get_TaperRadius",
                                    "get_TaperWashoutHeight", "get_TaperWashoutLength", "get_TaperPoint",
                                    "set_TaperPoint"};
  EXPECT_EQ(ExportsStartingWith("XJA_DRAW_BEAD_TAPER_BUILDER_"), Prefixed("XJA_DRAW_BEAD_TAPER_BUILDER_", taper));

  for (const char* anchor : {"XJA_DrawBeadBuilder_force_load", "XJA_DrawBead_force_load",
                             "XJA_DrawBeadSegmentBuilder_force_load", "XJA_DrawBeadTaperBuilder_force_load"})
    EXPECT_EQ(ExportsStartingWith(anchor).size(), 1u) << anchor;
}

TEST(DrawBeadLoad, UnitsRegisteredAroundTheFeatureClassInTheTablesOrder) {
  std::vector<std::string> files = JAM::Test::FileInitializerNames();
  auto at = std::find(files.begin(), files.end(), kBead);
  ASSERT_NE(at, files.end());
  ASSERT_GE(files.end() - at, 4);
  EXPECT_EQ(std::vector<std::string>(at, at + 4),
            (std::vector<std::string>{kBead, "Die.DrawBead", kSegment, kTaper}));

  std::vector<std::string> classes = JAM::Test::ClassInitializerNames();
  for (const char* c : {kBead, kSegment, kTaper}) EXPECT_EQ(std::count(classes.begin(), classes.end(), c), 1) << c;
  EXPECT_EQ(std::count(classes.begin(), classes.end(), "Die.DrawBead"), 0);

  // The bead's creator on the collection, the segment's on the bead (registered with the segment's unit).
  std::vector<std::string> creators = JAM::Test::CreatorMethodNames();
  auto bead = std::find(creators.begin(), creators.end(), "Die.DieCollection CreateDrawBeadBuilder");
  auto segment = std::find(creators.begin(), creators.end(), "Die.DrawBeadBuilder CreateDrawBeadSegment");
  ASSERT_NE(bead, creators.end());
  ASSERT_NE(segment, creators.end());
  EXPECT_LT(bead, segment);
  EXPECT_EQ(std::count(creators.begin(), creators.end(), "Die.DrawBeadBuilder CreateDrawBeadSegment"), 1);
}

TEST_F(DrawBeadUnits, OperationZeroAnswersEachClassesInterfaceId) {
  ASSERT_NO_FATAL_FAILURE(ExpectInterfaceId<Die_DrawBeadBuilder_Interface>(kBead, 0x6B256FEBu));
  ASSERT_NO_FATAL_FAILURE(ExpectInterfaceId<Die_DrawBeadSegmentBuilder_Interface>(kSegment, 0x2681699Bu));
  ASSERT_NO_FATAL_FAILURE(ExpectInterfaceId<Die_DrawBeadTaperBuilder_Interface>(kTaper, 0x41A7CF5Eu));
  EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface("Die.DrawBead"), nullptr);
}

// ---- set-up orders (each test runs alone under ctest: the class is not set up yet) --------

TEST_F(DrawBeadUnits, BeadSetUpMakesItsRegistryCallsInItsOrder) {
  if (AlreadySetUp(kBead)) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  // The units it depends on, set up already, so that their own set-ups do not interleave.
  for (const char* c : {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationBuilder", kTaper})
    JAM::FileInitializer::Initialize(c);
  Host::ClearCalls();
  int position = -1;
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_get_MaleBeadPosition(bead_, &position), 0);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Die.DieAttributesBuilder",
      "FileInitializer::Initialize Die.DieDirectionBuilder",
      "FileInitializer::Initialize Die.DieLocationBuilder",
      "FileInitializer::Initialize Die.DrawBeadTaperBuilder",
      "FileInitializer::Initialize Expression",
      "FileInitializer::Initialize ObjectList",
      "FileInitializer::Initialize ScCollector",
      "FileInitializer::Initialize Section",
      "JAM_lookup_or_create_class Die.DieAttributesBuilder",
      "JAM_lookup_or_create_class Die.DieDirectionBuilder",
      "JAM_lookup_or_create_class Die.DieLocationBuilder",
      "JAM_lookup_or_create_class Die.DrawBeadSegmentBuilder",
      "JAM_lookup_or_create_template_class Die.DrawBeadSegmentBuilderList ObjectList Die.DrawBeadSegmentBuilder",
      "JAM_lookup_or_create_class Die.DrawBeadTaperBuilder",
      "JAM_lookup_or_create_class Expression",
      "JAM_lookup_or_create_class Features.FeatureBuilder",
      "JAM_lookup_or_create_class ScCollector",
      "JAM_lookup_or_create_class Section",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.MaleBeadPositionTypes 4",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.ProjectionDirectionTypes 4",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.OrientationTypes 4",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.TransitionDefinitionTypes 4",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.FemaleDepthTypes 4",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.FemaleWidthTypes 4",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.OutputTypes 4",
      "JAM_lookup_or_create_enum Die.DrawBeadBuilder.OrientSectionToDrawTypes 4",
      "JAM_add_enum_member Die.DrawBeadBuilder.MaleBeadPositionTypes Upper 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.MaleBeadPositionTypes Lower 1",
      "JAM_add_enum_member Die.DrawBeadBuilder.ProjectionDirectionTypes DrawDirection 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.ProjectionDirectionTypes NormalToPlacementFace 1",
      "JAM_add_enum_member Die.DrawBeadBuilder.OrientationTypes Orthogonal 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.OrientationTypes Vertical 1",
      "JAM_add_enum_member Die.DrawBeadBuilder.TransitionDefinitionTypes Automatic 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.TransitionDefinitionTypes Manual 1",
      "JAM_add_enum_member Die.DrawBeadBuilder.FemaleDepthTypes Derived 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.FemaleDepthTypes Constant 1",
      "JAM_add_enum_member Die.DrawBeadBuilder.FemaleWidthTypes Derived 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.FemaleWidthTypes Constant 1",
      "JAM_add_enum_member Die.DrawBeadBuilder.OutputTypes None 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.OutputTypes Male 1",
      "JAM_add_enum_member Die.DrawBeadBuilder.OutputTypes PlusFemale 2",
      "JAM_add_enum_member Die.DrawBeadBuilder.OutputTypes PlusSheetMetal 3",
      "JAM_add_enum_member Die.DrawBeadBuilder.OrientSectionToDrawTypes DrawDirection 0",
      "JAM_add_enum_member Die.DrawBeadBuilder.OrientSectionToDrawTypes SheetMetalNormal 1",
      "JAM_create_class Die.DrawBeadBuilder Features.FeatureBuilder",
      "JAM_test_register_print_fn Die.DrawBeadBuilder",
      "JAM_register_initialisation_function Die.DrawBeadBuilder",
  };
  for (const char* p : {"Centerline", "Clearance", "DrawDirection", "EndPoint", "EndTaper", "FemaleDepthValue",
                        "FemaleFaceAttribute", "FemaleSheetAttribute", "FemaleWidthValue",
                        "MachiningOffsetTitleAttribute", "MaleFaceAttribute", "MaleSheetAttribute", "MetalThickness",
                        "PlacementFace", "SegmentList", "SheetMetalFaceAttribute", "SheetMetalSheetAttribute",
                        "StartPoint", "StartTaper"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.DrawBeadBuilder ") + p + " 0 1");
  expected.push_back("JAM_start_property_call Die.DrawBeadBuilder 1 MaleBeadPosition");
  EXPECT_EQ(SetUpCalls("JAM_start_property_call Die.DrawBeadBuilder 1 MaleBeadPosition"), expected);

  JAM::Test::TypeView view;
  ASSERT_TRUE(JAM::Test::DescribeClass(kBead, &view));
  EXPECT_TRUE(view.interfaces.empty());
}

TEST_F(DrawBeadUnits, SegmentSetUpMakesItsRegistryCallsInItsOrder) {
  if (AlreadySetUp(kSegment)) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  bool flow = true;
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_get_Flow(segment_, &flow), 0);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Expression",
      "FileInitializer::Initialize GeometricUtilities.OnPathDimensionBuilder",
      "JAM_lookup_or_create_class Expression",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_lookup_or_create_class GeometricUtilities.OnPathDimensionBuilder",
      "JAM_lookup_or_create_enum Die.DrawBeadSegmentBuilder.MaleBeadWidthTypes 4",
      "JAM_add_enum_member Die.DrawBeadSegmentBuilder.MaleBeadWidthTypes Constant 0",
      "JAM_add_enum_member Die.DrawBeadSegmentBuilder.MaleBeadWidthTypes Derived 1",
      "JAM_create_class Die.DrawBeadSegmentBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DrawBeadSegmentBuilder",
      "JAM_register_initialisation_function Die.DrawBeadSegmentBuilder",
  };
  for (const char* p : {"EndLocation", "FemaleLeftRadius", "FemaleRightRadius", "MaleBeadHeight",
                        "MaleLeftSheetRadius", "MaleLeftTopRadius", "MaleLeftWallAngle", "MaleLeftWidth",
                        "MaleRightSheetRadius", "MaleRightTopRadius", "MaleRightWallAngle", "MaleRightWidth",
                        "MaleTransitionLength", "StartLocation"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.DrawBeadSegmentBuilder ") + p + " 0 1");
  expected.push_back("JAM_add_interface Die.DrawBeadSegmentBuilder GeometricUtilities.IComponentBuilder");
  expected.push_back("JAM_start_property_call Die.DrawBeadSegmentBuilder 1 Flow");
  EXPECT_EQ(SetUpCalls("JAM_start_property_call Die.DrawBeadSegmentBuilder 1 Flow"), expected);
}

TEST_F(DrawBeadUnits, TaperSetUpDeclaresItsTagAccessorBeforeItsPointerAccessors) {
  if (AlreadySetUp(kTaper)) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  int type = -1;
  ASSERT_EQ(XJA_DRAW_BEAD_TAPER_BUILDER_get_TaperType(taper_, &type), 0);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Expression",
      "JAM_lookup_or_create_class Expression",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_lookup_or_create_class Point",
      "JAM_lookup_or_create_enum Die.DrawBeadTaperBuilder.TaperTypes 4",
      "JAM_add_enum_member Die.DrawBeadTaperBuilder.TaperTypes Spherical 0",
      "JAM_add_enum_member Die.DrawBeadTaperBuilder.TaperTypes Washout 1",
      "JAM_add_enum_member Die.DrawBeadTaperBuilder.TaperTypes Point 2",
      "JAM_create_class Die.DrawBeadTaperBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DrawBeadTaperBuilder",
      "JAM_register_initialisation_function Die.DrawBeadTaperBuilder",
      "JAM_declare_tag_property_accessor Die.DrawBeadTaperBuilder TaperPoint 0 0",
      "JAM_declare_ptr_property_accessor Die.DrawBeadTaperBuilder TaperRadius 0 1",
      "JAM_declare_ptr_property_accessor Die.DrawBeadTaperBuilder TaperWashoutHeight 0 1",
      "JAM_declare_ptr_property_accessor Die.DrawBeadTaperBuilder TaperWashoutLength 0 1",
      "JAM_add_interface Die.DrawBeadTaperBuilder GeometricUtilities.IComponentBuilder",
      "JAM_start_property_call Die.DrawBeadTaperBuilder 1 TaperType",
  };
  EXPECT_EQ(SetUpCalls("JAM_start_property_call Die.DrawBeadTaperBuilder 1 TaperType"), expected);
}

// ---- the call frame on the bead's members ------------------------------------------------

TEST_F(DrawBeadUnits, AJournalledSetRecordsTheCallAndLogsTheBeadOnce) {
  SetUpClasses();
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_MaleBeadPosition(bead_, 1), 0);
  EXPECT_EQ(bead_->GetMaleBeadPosition(), DieEngJA::JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes_Lower);
  std::string t = TagOf(bead_);
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{
                            "JAM_start_property_call Die.DrawBeadBuilder 2 MaleBeadPosition",
                            "JAM_this_ptr " + t,
                            "JAM_in_enum malebeadposition=Die.DrawBeadBuilder.MaleBeadPositionTypes:1",
                            "JAM_end_of_arguments",
                            "OM__log tag=" + t,
                            "JAM_end_call 0",
                        }));
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& r = JAM::Recorded()[0];
  EXPECT_EQ(r.journalClass, kBead);
  EXPECT_EQ(r.methodType, 2);
  EXPECT_EQ(r.thisKind, 'p');
  ASSERT_EQ(r.values.size(), 1u);
  EXPECT_EQ(r.values[0].type, "Die.DrawBeadBuilder.MaleBeadPositionTypes");
  EXPECT_EQ(r.values[0].integer, 1);
  EXPECT_EQ(r.state, JAM::RecordState::Closed);

  // Enumeration setters store what they are given.
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_MaleBeadPosition(bead_, 7), 0);
  int position = 0;
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_get_MaleBeadPosition(bead_, &position), 0);
  EXPECT_EQ(position, 7);
}

TEST_F(DrawBeadUnits, TheSegmentListIsAssociatedWithItsTemplateClassEvenWhenThereIsNone) {
  SetUpClasses();
  // A bead always has its list; one that lost it still answers.
  UICOMPJA_list* own = bead_->GetSegmentList();
  OM::SetReferencedObject(bead_, DrawBeadBuilder::m_segmentListAttId, static_cast<OM::Object*>(nullptr));
  UICOMPJA_list* list = reinterpret_cast<UICOMPJA_list*>(&list);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_get_SegmentList(bead_, &list), 0);
  OM::SetReferencedObject(bead_, DrawBeadBuilder::m_segmentListAttId, own);
  EXPECT_EQ(list, nullptr);
  std::vector<std::string> calls = JamCalls();
  EXPECT_NE(std::find(calls.begin(), calls.end(), "JAM_result_ptr segmentlist=Die.DrawBeadSegmentBuilderList"),
            calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "JAM_AssociateTemplateTypeClass 0 Die.DrawBeadSegmentBuilderList"),
            calls.end());

  GiveSegmentList({});
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_get_SegmentList(bead_, &list), 0);
  EXPECT_EQ(list, list_);
  EXPECT_EQ(JAM::Recorded().back().associations.at(0).templateClass, "Die.DrawBeadSegmentBuilderList");
  EXPECT_EQ(JAM::Recorded().back().associations.at(0).tag, list_->ask_tag());
}

// ---- TaperBead and FemaleWidthType ---------------------------------------------------------

TEST_F(DrawBeadUnits, ATaperBeadNeverKeepsTheSheetMetalOutput) {
  SetUpClasses();
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_TaperBead(bead_, true), 0);
  EXPECT_TRUE(bead_->GetTaperBead());
  EXPECT_EQ(bead_->GetOutput(), DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale);
  // The output is changed by the setter's body, not journalled as a call of its own.
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "TaperBead");

  for (auto output : {DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_Male,
                      DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale}) {
    bead_->SetOutput(output);
    ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_TaperBead(bead_, true), 0);
    EXPECT_EQ(bead_->GetOutput(), output);
  }
  // The Output setter itself checks nothing.
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_Output(bead_, 3), 0);
  EXPECT_EQ(bead_->GetOutput(), DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  EXPECT_TRUE(bead_->GetTaperBead());
}

TEST_F(DrawBeadUnits, ABeadThatIsNotTaperedHasNoManualTransition) {
  SetUpClasses();
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_TransitionDefinition(bead_, 1), 0);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_TaperBead(bead_, true), 0);
  EXPECT_EQ(bead_->GetTransitionDefinition(), DieEngJA::JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Manual);
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_TaperBead(bead_, false), 0);
  EXPECT_FALSE(bead_->GetTaperBead());
  EXPECT_EQ(bead_->GetTransitionDefinition(), DieEngJA::JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Automatic);
  // Only a taper bead gives up the sheet metal.
  EXPECT_EQ(bead_->GetOutput(), DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
}

TEST_F(DrawBeadUnits, ADerivedFemaleWidthMakesEverySegmentsMaleWidthConstant) {
  SetUpClasses();
  auto* second = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead_, nullptr);
  auto* gone = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead_, nullptr);
  for (DrawBeadSegmentBuilder* s : {segment_, second, gone})
    s->SetMaleBeadWidthType(DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  GiveSegmentList({segment_, gone, second});
  segment_ = nullptr;  // the list owns the segments now
  gone->destroy();     // its entry reads as none

  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_FemaleWidthType(bead_, 1), 0);
  EXPECT_EQ(bead_->GetFemaleWidthType(), DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant);
  for (int i : {0, 2})
    EXPECT_EQ(static_cast<DrawBeadSegmentBuilder*>(list_->ask_item(i))->GetMaleBeadWidthType(),
              DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);

  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_FemaleWidthType(bead_, 0), 0);
  EXPECT_EQ(bead_->GetFemaleWidthType(), DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Derived);
  for (int i : {0, 2})
    EXPECT_EQ(static_cast<DrawBeadSegmentBuilder*>(list_->ask_item(i))->GetMaleBeadWidthType(),
              DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Constant);
  EXPECT_EQ(JAM::Recorded().size(), 2u);
}

TEST_F(DrawBeadUnits, ABeadWithoutSegmentsOnlyStoresTheFemaleWidthType) {
  SetUpClasses();
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_FemaleWidthType(bead_, 1), 0);
  EXPECT_EQ(bead_->GetFemaleWidthType(), DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant);
  GiveSegmentList({});
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_FemaleWidthType(bead_, 0), 0);
  EXPECT_EQ(bead_->GetFemaleWidthType(), DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Derived);
}

// ---- the members that take the bead's tag ------------------------------------------------

TEST_F(DrawBeadUnits, CreateDrawBeadSegmentRecordsTheTagAndHandsOutASegmentNotYetInTheList) {
  SetUpClasses();
  GiveSegmentList({});
  tag_t item = 0;
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_create_draw_bead_segment(bead_->ask_tag(), &item), 0);
  ASSERT_NE(item, 0u);
  auto* made = OM::TagToObject<DrawBeadSegmentBuilder>(item);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(made->GetParentDrawBeadBuilder(), bead_);
  EXPECT_EQ(list_->size(), 0);

  std::string t = TagOf(bead_);
  EXPECT_EQ(JamCalls(false), (std::vector<std::string>{
                                 "JAM_start_call Die.DrawBeadBuilder CreateDrawBeadSegment",
                                 "JAM_this " + t,
                                 "JAM_result_tag item=Die.DrawBeadSegmentBuilder",
                                 "JAM_end_of_arguments",
                                 "JAM_end_call 0",
                             }));
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.methodType, 0);
  EXPECT_EQ(r.thisKind, 't');
  EXPECT_EQ(r.thisTag, bead_->ask_tag());
  ASSERT_EQ(r.values.size(), 1u);
  EXPECT_EQ(r.values[0].name, "item");
  EXPECT_EQ(r.values[0].direction, JAM::Direction::Result);
  EXPECT_EQ(r.values[0].integer, item);
  made->destroy();
}

TEST_F(DrawBeadUnits, TheSegmentationsRoadThroughTheJournalledInterfaceRecordsTheSameCall) {
  SetUpClasses();
  auto* journalled = static_cast<Die_DrawBeadBuilder_Interface*>(JAM::ClassInitializer::GetJournalledInterface(kBead));
  auto* unjournalled =
      static_cast<Die_DrawBeadBuilder_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface(kBead));
  tag_t first = 0, second = 0;
  ASSERT_EQ(journalled->CreateDrawBeadSegment(bead_->ask_tag(), &first), 0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "CreateDrawBeadSegment");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).integer, first);
  ASSERT_EQ(unjournalled->CreateDrawBeadSegment(bead_->ask_tag(), &second), 0);
  EXPECT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_NE(second, 0u);
  EXPECT_NE(second, first);
  OM::TagToObject<DrawBeadSegmentBuilder>(first)->destroy();
  OM::TagToObject<DrawBeadSegmentBuilder>(second)->destroy();
}

TEST_F(DrawBeadUnits, ATagOfNoBeadGivesTheBadObjectErrorsNumberAndCallsNothing) {
  SetUpClasses();
  tag_t unknown = 0x7ffffff0;
  tag_t other = taper_->ask_tag();
  int objects = OM::OM_live_objects();
  for (tag_t tag : {tag_t{0}, unknown, other}) {
    tag_t item = 12345;
    EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_create_draw_bead_segment(tag, &item), Error::kBadObject) << tag;
    EXPECT_EQ(item, 0u);
    EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_CreateSegmentsFromCenterlineCurves(tag), Error::kBadObject) << tag;
    EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_SetDefaultDrawDirection(tag), Error::kBadObject) << tag;
  }
  EXPECT_EQ(OM::OM_live_objects(), objects);
  for (const JAM::Record& r : JAM::Recorded()) {
    EXPECT_EQ(r.state, JAM::RecordState::Closed);
    EXPECT_EQ(r.status, Error::kBadObject);
  }
  // Also where the host would not check the class.
  OM::OM_set_checking_level(0);
  tag_t item = 0;
  EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_create_draw_bead_segment(other, &item), Error::kBadObject);
  EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_SetDefaultDrawDirection(other), Error::kBadObject);
  OM::OM_set_checking_level(1);
  EXPECT_EQ(OM::OM_live_objects(), objects);
}

TEST_F(DrawBeadUnits, TheTagMembersOfALiveBeadReturnTheOperationsStatus) {
  SetUpClasses();
  EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_CreateSegmentsFromCenterlineCurves(bead_->ask_tag()), 0);
  EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_SetDefaultDrawDirection(bead_->ask_tag()), 0);
  ASSERT_EQ(JAM::Recorded().size(), 2u);
  EXPECT_EQ(JAM::Recorded()[0].member, "CreateSegmentsFromCenterlineCurves");
  EXPECT_EQ(JAM::Recorded()[1].member, "SetDefaultDrawDirection");
  for (const JAM::Record& r : JAM::Recorded()) {
    EXPECT_EQ(r.thisKind, 't');
    EXPECT_TRUE(r.values.empty());
  }
  // A deleted bead's tag is the host's deleted-tag error.
  auto* deleted = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  tag_t tag = deleted->ask_tag();
  deleted->destroy();
  EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_SetDefaultDrawDirection(tag), Error::kDeletedTag);
}

TEST_F(DrawBeadUnits, TheScriptedSplitJournalsEachNewSegmentAndItsAppendUnderItsOwnRecord) {
  SetUpClasses();
  Host::SetTolerances(0.01, 0.5);
  const double points[] = {0, 0, 0, 10, 0, 0, 10, 20, 0, 40, 20, 0};
  std::vector<tag_t> lines;
  for (int i = 1; i < 4; ++i) lines.push_back(ES_create_line_in_part(nullptr, &points[3 * i - 3], &points[3 * i]));
  GiveSegmentList({segment_});
  segment_ = nullptr;
  bead_->GetCenterline()->add_loop(SC_section::kOpen, 3, lines.data());
  JAM::ClearJournal();
  EXPECT_EQ(XJA_DRAW_BEAD_BUILDER_CreateSegmentsFromCenterlineCurves(bead_->ask_tag()), 0);
  Host::ResetTolerances();
  std::vector<std::string> records;
  for (const JAM::Record& r : JAM::Recorded()) {
    records.push_back(std::to_string(r.depth) + " " + r.journalClass + " " + r.member);
    if (r.member == "CreateDrawBeadSegment") {
      EXPECT_EQ(r.values.size(), 1u);
      if (!r.values.empty()) {
        EXPECT_EQ(r.values[0].name, "item");
      }
    }
  }
  EXPECT_EQ(records, (std::vector<std::string>{"0 Die.DrawBeadBuilder CreateSegmentsFromCenterlineCurves",
                                               "1 Die.DrawBeadBuilder CreateDrawBeadSegment", "1 ObjectList Append",
                                               "1 Die.DrawBeadBuilder CreateDrawBeadSegment", "1 ObjectList Append"}));
  EXPECT_EQ(bead_->GetSegmentList()->size(), 3);
}

// ---- detail strings ------------------------------------------------------------------------

TEST_F(DrawBeadUnits, DetailsAreRecordedAsAStringArrayAndHandedOutAsCopies) {
  SetUpClasses();
  int count = -1;
  char** strings = reinterpret_cast<char**>(&count);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_GetMoreDetails(bead_, &count, &strings), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(strings, nullptr);

  const char* given[] = {"first detail", "second"};
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_SetMoreDetails(bead_, 2, given), 0);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_GetMoreDetails(bead_, &count, &strings), 0);
  ASSERT_EQ(count, 2);
  ASSERT_NE(strings, nullptr);
  EXPECT_STREQ(strings[0], "first detail");
  EXPECT_STREQ(strings[1], "second");
  EXPECT_NE(static_cast<const void*>(strings[0]), static_cast<const void*>(bead_->GetDetail(0)));
  DrawBeadBuilder::FreeDetails(&count, &strings);

  ASSERT_EQ(JAM::Recorded().size(), 3u);
  const JAM::Value& in = JAM::Recorded()[1].values.at(0);
  EXPECT_EQ(JAM::Recorded()[1].member, "SetMoreDetails");
  EXPECT_EQ(in.name, "strings");
  EXPECT_EQ(in.kind, JAM::ValueKind::StringArray);
  EXPECT_EQ(in.texts, (std::vector<std::string>{"first detail", "second"}));
  const JAM::Value& out = JAM::Recorded()[2].values.at(0);
  EXPECT_EQ(out.direction, JAM::Direction::Result);
  EXPECT_EQ(out.texts, (std::vector<std::string>{"first detail", "second"}));

  // A count below one leaves no detail.
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_SetMoreDetails(bead_, -1, given), 0);
  EXPECT_EQ(bead_->GetDetailsLength(), 0);
  EXPECT_TRUE(JAM::Recorded().back().values.at(0).texts.empty());
}

TEST_F(DrawBeadUnits, DetailCallsWrittenReadBackAndReplayedRecordTheSameJournal) {
  SetUpClasses();
  const char* given[] = {"a", "b c", "d"};
  int count = 0;
  char** strings = nullptr;
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_SetMoreDetails(bead_, 3, given), 0);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_GetMoreDetails(bead_, &count, &strings), 0);
  DrawBeadBuilder::FreeDetails(&count, &strings);
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_SetMoreDetails(bead_, 0, nullptr), 0);

  std::string text = JAM::WriteJournal(JAM::Recorded());
  JAM::Journal read = JAM::ReadJournal(text);
  EXPECT_EQ(read, JAM::Recorded());
  JAM::ClearJournal();
  // The replayed get's array lands in the call record, which releases it.
  EXPECT_EQ(JAM::ReplayJournal(read), std::vector<int>(3, 0));
  EXPECT_EQ(JAM::WriteJournal(JAM::Recorded()), text);
  EXPECT_EQ(bead_->GetDetailsLength(), 0);

  // The set alone, replayed: the recorded strings and their count.
  JAM::Journal set(read.begin(), read.begin() + 1);
  JAM::ClearJournal();
  EXPECT_EQ(JAM::ReplayJournal(set), std::vector<int>{0});
  ASSERT_EQ(bead_->GetDetailsLength(), 3);
  EXPECT_STREQ(bead_->GetDetail(1), "b c");
}

// ---- the segment's Symmetry and Flow, the taper point ---------------------------------------

TEST_F(DrawBeadUnits, FlowIsTrueOnlyWhileSymmetryIs) {
  SetUpClasses();
  bool flow = true;
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry(segment_, false), 0);
  EXPECT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Flow(segment_, true), 0);
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_get_Flow(segment_, &flow), 0);
  EXPECT_FALSE(flow);

  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry(segment_, true), 0);
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Flow(segment_, true), 0);
  EXPECT_TRUE(segment_->GetFlow());
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry(segment_, true), 0);
  EXPECT_TRUE(segment_->GetFlow());
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Symmetry(segment_, false), 0);
  EXPECT_FALSE(segment_->GetSymmetry());
  EXPECT_FALSE(segment_->GetFlow());
  // Each setter is one journalled call, recorded with the value it was given.
  ASSERT_EQ(JAM::Recorded().size(), 7u);
  EXPECT_EQ(JAM::Recorded()[1].member, "Flow");
  EXPECT_EQ(JAM::Recorded()[1].values.at(0).name, "flow");
  EXPECT_EQ(JAM::Recorded()[1].values.at(0).integer, 1);
}

TEST_F(DrawBeadUnits, TheTaperPointIsJournalledAsATagOfClassPoint) {
  SetUpClasses();
  tag_t point = 99;
  ASSERT_EQ(XJA_DRAW_BEAD_TAPER_BUILDER_get_TaperPoint(taper_, &point), 0);
  EXPECT_EQ(point, 0u);
  tag_t held = segment_->ask_tag();
  ASSERT_EQ(XJA_DRAW_BEAD_TAPER_BUILDER_set_TaperPoint(taper_, held), 0);
  ASSERT_EQ(XJA_DRAW_BEAD_TAPER_BUILDER_get_TaperPoint(taper_, &point), 0);
  EXPECT_EQ(point, held);
  std::vector<std::string> calls = JamCalls(false);
  EXPECT_NE(std::find(calls.begin(), calls.end(), "JAM_result_tag taperpoint=Point"), calls.end());
  EXPECT_NE(std::find(calls.begin(), calls.end(), "JAM_in_tag taperpoint=Point:" + std::to_string(held)),
            calls.end());
  EXPECT_EQ(JAM::Recorded().at(1).values.at(0).kind, JAM::ValueKind::Tag);
  EXPECT_EQ(JAM::Recorded().at(1).values.at(0).type, "Point");
}

// ---- scripting defaults --------------------------------------------------------------------

class DrawBeadDefaults : public DrawBeadUnits {
 protected:
  std::vector<std::string> Written(const OM::Object* object) { return NamedWrites(TagOf(object)); }
  void Apply(const char* journalClass, OM::Object* object, bool apply) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(journalClass);
    ASSERT_NE(defaults, nullptr);
    defaults(OM::OM_ask_object_tag(object), apply);
  }
};

TEST_F(DrawBeadDefaults, BeadMillimetreAndInchTextsInOrderWithJournalingPaused) {
  SetUpClasses();
  Apply(kBead, bead_, true);
  EXPECT_EQ(Written(bead_), (std::vector<std::string>{
                                "BaseOrientation=Vertical (paused)", "BuildEndTaper=1 (paused)",
                                "BuildStartTaper=1 (paused)", "CenterlineProjection=DrawDirection (paused)",
                                "Clearance.Value=0.2 (paused)", "FemaleDepthType=Derived (paused)",
                                "FemaleDepthValue.Value=11 (paused)", "FemaleWidthType=Derived (paused)",
                                "FemaleWidthValue.Value=12.4 (paused)", "GenerateHeightCurve=0 (paused)",
                                "MachineOffset=0 (paused)", "MaleBeadPosition=Upper (paused)",
                                "MetalThickness.Value=1 (paused)", "OrientSectionToDraw=DrawDirection (paused)",
                                "Output=Male (paused)", "TaperBead=0 (paused)",
                                "TransitionDefinition=Automatic (paused)"}));
  EXPECT_TRUE(JAM::Recorded().empty());
  std::vector<std::string> calls = JamCalls();
  EXPECT_EQ(calls.at(1), "JAM_traverse_builder_objects Die.DrawBeadBuilder " + TagOf(bead_) + " 1");

  Host::ClearCalls();
  part()->SetUnitCode(1);
  Apply(kBead, bead_, true);
  EXPECT_EQ(Written(bead_), (std::vector<std::string>{
                                "BaseOrientation=Vertical (paused)", "BuildEndTaper=1 (paused)",
                                "BuildStartTaper=1 (paused)", "CenterlineProjection=DrawDirection (paused)",
                                "Clearance.Value=0.008 (paused)", "FemaleDepthType=Derived (paused)",
                                "FemaleDepthValue.Value=0.43 (paused)", "FemaleWidthType=Derived (paused)",
                                "FemaleWidthValue.Value=0.488 (paused)", "GenerateHeightCurve=0 (paused)",
                                "MachineOffset=0 (paused)", "MaleBeadPosition=Upper (paused)",
                                "MetalThickness.Value=0.04 (paused)", "OrientSectionToDraw=DrawDirection (paused)",
                                "Output=Male (paused)", "TaperBead=0 (paused)",
                                "TransitionDefinition=Automatic (paused)"}));

  Host::ClearCalls();
  PART_set_work_part(nullptr);
  Apply(kBead, bead_, true);
  EXPECT_EQ(Written(bead_).at(12), "MetalThickness.Value=1 (paused)");
  PART_set_work_part(part());
}

TEST_F(DrawBeadDefaults, BeadNotAskedAndNotNeedingDefaultsOnlyVisitsItsSubObjects) {
  SetUpClasses();
  Host::SetAnswer("needs_defaults", 0);
  Apply(kBead, bead_, false);
  EXPECT_TRUE(Written(bead_).empty());
  std::string t = TagOf(bead_);
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{"needs_defaults 0", "OM__log tag=" + t,
                                                  "JAM_traverse_builder_objects Die.DrawBeadBuilder " + t + " 0",
                                                  "OM__log tag=" + t}));
  EXPECT_FALSE(bead_->DefaultsInProgress());
}

TEST_F(DrawBeadDefaults, SegmentTextsInBothUnitSystems) {
  SetUpClasses();
  Apply(kSegment, segment_, true);
  EXPECT_EQ(Written(segment_),
            (std::vector<std::string>{
                "FemaleLeftRadius.Value=3 (paused)", "FemaleRightRadius.Value=3 (paused)", "Flow=0 (paused)",
                "MaleBeadHeight.Value=8 (paused)", "MaleBeadWidthType=Constant (paused)",
                "MaleLeftSheetRadius.Value=3 (paused)", "MaleLeftTopRadius.Value=3 (paused)",
                "MaleLeftWallAngle.Value=0 (paused)", "MaleLeftWidth.Value=5 (paused)",
                "MaleRightSheetRadius.Value=3 (paused)", "MaleRightTopRadius.Value=3 (paused)",
                "MaleRightWallAngle.Value=0 (paused)", "MaleRightWidth.Value=5 (paused)",
                "MaleTransitionLength.Value=25 (paused)", "Symmetry=1 (paused)"}));
  Host::ClearCalls();
  part()->SetUnitCode(1);
  Apply(kSegment, segment_, true);
  EXPECT_EQ(Written(segment_),
            (std::vector<std::string>{
                "FemaleLeftRadius.Value=0.12 (paused)", "FemaleRightRadius.Value=0.12 (paused)", "Flow=0 (paused)",
                "MaleBeadHeight.Value=0.315 (paused)", "MaleBeadWidthType=Constant (paused)",
                "MaleLeftSheetRadius.Value=0.12 (paused)", "MaleLeftTopRadius.Value=0.12 (paused)",
                "MaleLeftWallAngle.Value=0 (paused)", "MaleLeftWidth.Value=0.2 (paused)",
                "MaleRightSheetRadius.Value=0.12 (paused)", "MaleRightTopRadius.Value=0.12 (paused)",
                "MaleRightWallAngle.Value=0 (paused)", "MaleRightWidth.Value=0.2 (paused)",
                "MaleTransitionLength.Value=1 (paused)", "Symmetry=1 (paused)"}));
  // A sub-builder's defaults neither visit sub-objects nor touch the defaults flag.
  EXPECT_EQ(Host::CountCalls("JAM_traverse_builder_objects"), 0u);
}

TEST_F(DrawBeadDefaults, TaperTextsInBothUnitSystems) {
  SetUpClasses();
  Apply(kTaper, taper_, true);
  EXPECT_EQ(Written(taper_), (std::vector<std::string>{
                                 "TaperRadius.Value=90 (paused)", "TaperType=Spherical (paused)",
                                 "TaperWashoutHeight.Value=10 (paused)", "TaperWashoutLength.Value=50 (paused)"}));
  Host::ClearCalls();
  part()->SetUnitCode(1);
  Apply(kTaper, taper_, true);
  EXPECT_EQ(Written(taper_), (std::vector<std::string>{
                                 "TaperRadius.Value=3.8 (paused)", "TaperType=Spherical (paused)",
                                 "TaperWashoutHeight.Value=0.4 (paused)", "TaperWashoutLength.Value=2 (paused)"}));
}

TEST_F(DrawBeadDefaults, SubBuildersNotAskedToApplyChangeNothing) {
  SetUpClasses();
  Host::SetAnswer("needs_defaults", 1);
  Apply(kSegment, segment_, false);
  Apply(kTaper, taper_, false);
  EXPECT_TRUE(JamCalls().empty());
}

// ---- test prints ---------------------------------------------------------------------------

class DrawBeadPrint : public DrawBeadUnits {
 protected:
  std::vector<std::string> Printed() {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name.rfind("JAM_test_print_", 0) == 0) out.push_back(c.name.substr(c.name.rfind('_') + 1) + " " + c.args);
    return out;
  }
  void Print(const char* journalClass, const OM::Object* object) {
    SetUpClasses();
    JAM::Autotest::EnableAPIPrint(journalClass, true);
    JAM::Autotest::m_objectDetails = 1;
    JAM::Autotest::m_subobjectNesting = 1;
    tag_t tag = OM::OM_ask_object_tag(object);
    Host::ClearCalls();
    JAM::Test::PrintFunction(journalClass)(&tag, "it", 2);
  }
  // A sub-object is printed as the object it is.
  static std::vector<std::string> Expression(const std::string& member, const OM::Object* expression) {
    std::string printed = member;
    printed[0] = static_cast<char>(printed[0] - 'A' + 'a');
    return {"start Get" + member, "object " + printed + " " + TagOf(expression) + " Expression 0",
            "end Get" + member};
  }
};

TEST_F(DrawBeadPrint, BeadPrintsItsValuePropertiesInSlotOrder) {
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale);
  bead_->SetDistanceTolerance(0.25);
  bead_->SetAngleTolerance(0);
  Print(kBead, bead_);
  std::string t = TagOf(bead_);
  std::vector<std::string> expected = {
      "start " + t + " it 2",
      "prop GetMaleBeadPosition maleBeadPosition MaleBeadPositionTypes=Upper",
      "prop GetReverseMetalThickness reverseMetalThickness=0",
      "prop GetCenterlineProjection centerlineProjection ProjectionDirectionTypes=DrawDirection"};
  for (const std::string& line : Expression("MetalThickness", bead_->GetMetalThickness())) expected.push_back(line);
  for (const std::string& line : Expression("Clearance", bead_->GetClearance())) expected.push_back(line);
  for (const char* line : {"prop GetReferenceDirection referenceDirection=0", "prop GetTaperBead taperBead=0",
                           "prop GetBaseOrientation baseOrientation OrientationTypes=Orthogonal",
                           "prop GetTransitionDefinition transitionDefinition TransitionDefinitionTypes=Automatic",
                           "prop GetFemaleDepthType femaleDepthType FemaleDepthTypes=Derived"})
    expected.push_back(line);
  for (const std::string& line : Expression("FemaleDepthValue", bead_->GetFemaleDepthValue())) expected.push_back(line);
  expected.push_back("prop GetFemaleWidthType femaleWidthType FemaleWidthTypes=Derived");
  for (const std::string& line : Expression("FemaleWidthValue", bead_->GetFemaleWidthValue())) expected.push_back(line);
  for (const char* line : {"prop GetBuildStartTaper buildStartTaper=0", "prop GetBuildEndTaper buildEndTaper=0",
                           "prop GetOutput output OutputTypes=PlusFemale", "prop GetMachineOffset machineOffset=0",
                           "prop GetGenerateHeightCurve generateHeightCurve=0",
                           "prop GetOrientSectionToDraw orientSectionToDraw OrientSectionToDrawTypes=DrawDirection",
                           "prop GetDistanceTolerance distanceTolerance=0.25",
                           "prop GetAngleTolerance angleTolerance=0"})
    expected.push_back(line);
  expected.push_back("object " + t + " it 0");
  expected.push_back("class " + t + " FeatureBuilder  0");
  expected.push_back("fn " + t + " it Die.DrawBeadBuilder");
  expected.push_back("end it 2");
  EXPECT_EQ(Printed(), expected);
}

TEST_F(DrawBeadPrint, SegmentPrintsNeitherItsLocationsNorAnythingButValues) {
  Print(kSegment, segment_);
  std::string t = TagOf(segment_);
  std::vector<std::string> expected = {"start " + t + " it 2"};
  for (const std::string& line : Expression("FemaleLeftRadius", segment_->GetFemaleLeftRadius())) expected.push_back(line);
  for (const std::string& line : Expression("FemaleRightRadius", segment_->GetFemaleRightRadius()))
    expected.push_back(line);
  expected.push_back("prop GetSymmetry symmetry=0");
  expected.push_back("prop GetFlow flow=0");
  expected.push_back("prop GetMaleBeadWidthType maleBeadWidthType MaleBeadWidthTypes=Constant");
  const std::pair<const char*, const OM::Object*> male[] = {
      {"MaleLeftWidth", segment_->GetMaleLeftWidth()},
      {"MaleLeftTopRadius", segment_->GetMaleLeftTopRadius()},
      {"MaleLeftSheetRadius", segment_->GetMaleLeftSheetRadius()},
      {"MaleLeftWallAngle", segment_->GetMaleLeftWallAngle()},
      {"MaleRightWidth", segment_->GetMaleRightWidth()},
      {"MaleRightTopRadius", segment_->GetMaleRightTopRadius()},
      {"MaleRightSheetRadius", segment_->GetMaleRightSheetRadius()},
      {"MaleRightWallAngle", segment_->GetMaleRightWallAngle()},
      {"MaleBeadHeight", segment_->GetMaleBeadHeight()},
      {"MaleTransitionLength", segment_->GetMaleTransitionLength()}};
  for (const auto& [member, expression] : male)
    for (const std::string& line : Expression(member, expression)) expected.push_back(line);
  expected.push_back("object " + t + " it 0");
  expected.push_back("class " + t + " TaggedObject  0");
  expected.push_back("class " + t + " GeometricUtilities.IComponentBuilder  0");
  expected.push_back("fn " + t + " it Die.DrawBeadSegmentBuilder");
  expected.push_back("end it 2");
  EXPECT_EQ(Printed(), expected);
}

TEST_F(DrawBeadPrint, TaperPrintsItsPointAsAnObjectOfClassPoint) {
  Print(kTaper, taper_);
  std::string t = TagOf(taper_);
  std::vector<std::string> expected = {"start " + t + " it 2",
                                       "prop GetTaperType taperType TaperTypes=Spherical"};
  for (const std::string& line : Expression("TaperRadius", taper_->GetTaperRadius())) expected.push_back(line);
  for (const std::string& line : Expression("TaperWashoutHeight", taper_->GetTaperWashoutHeight()))
    expected.push_back(line);
  for (const std::string& line : Expression("TaperWashoutLength", taper_->GetTaperWashoutLength()))
    expected.push_back(line);
  expected.push_back("prop GetTaperPoint taperPoint Point=0");
  expected.push_back("object " + t + " it 0");
  expected.push_back("class " + t + " TaggedObject  0");
  expected.push_back("class " + t + " GeometricUtilities.IComponentBuilder  0");
  expected.push_back("fn " + t + " it Die.DrawBeadTaperBuilder");
  expected.push_back("end it 2");
  EXPECT_EQ(Printed(), expected);
}

// ---- property owners -----------------------------------------------------------------------

class DrawBeadOwners : public DrawBeadUnits {
 protected:
  void SetUp() override {
    DrawBeadUnits::SetUp();
    SetUpClasses();
    bead = JAM::PropertyMapper::GetOwner(kBead);
    segment = JAM::PropertyMapper::GetOwner(kSegment);
    taper = JAM::PropertyMapper::GetOwner(kTaper);
    ASSERT_NE(bead, nullptr);
    ASSERT_NE(segment, nullptr);
    ASSERT_NE(taper, nullptr);
  }
  static std::vector<std::string> Names(Property::Owner* owner, OM::Object* object) {
    Property::List list;
    owner->GetProperties(object, list);
    std::vector<std::string> names;
    for (int i = 0; i < list.GetCount(); ++i) names.push_back(list.GetNameByIndex(i));
    return names;
  }
  Property::Owner* bead = nullptr;
  Property::Owner* segment = nullptr;
  Property::Owner* taper = nullptr;
};

Property::EnumMembers gOutputs{"None,Male,PlusFemale,PlusSheetMetal"};
Property::EnumMembers gOrientations{"Orthogonal,Vertical"};
Property::EnumMembers gWidthTypes{"Constant,Derived"};
Property::EnumMembers gPositions{"Upper,Lower"};

TEST_F(DrawBeadOwners, EachOwnerListsItsTableInOrderBeforeItsParents) {
  std::vector<std::string> beadNames = Names(bead, bead_);
  std::vector<std::string> beadTable = {
      "MaleBeadPosition", "PlacementFace", "ReverseMetalThickness", "Centerline", "CenterlineProjection",
      "StartPoint", "EndPoint", "DrawDirection", "MetalThickness", "Clearance", "ReferenceDirection", "TaperBead",
      "BaseOrientation", "TransitionDefinition", "FemaleDepthType", "FemaleDepthValue", "FemaleWidthType",
      "FemaleWidthValue", "SegmentList", "BuildStartTaper", "StartTaper", "BuildEndTaper", "EndTaper", "Output",
      "MachineOffset", "GenerateHeightCurve", "OrientSectionToDraw", "MaleSheetAttribute", "MaleFaceAttribute",
      "FemaleSheetAttribute", "FemaleFaceAttribute", "SheetMetalSheetAttribute", "SheetMetalFaceAttribute",
      "MachiningOffsetTitleAttribute", "DistanceTolerance", "AngleTolerance"};
  ASSERT_GT(beadNames.size(), 36u);
  EXPECT_EQ(std::vector<std::string>(beadNames.begin(), beadNames.begin() + 36), beadTable);
  for (const char* method : {"CreateSegmentsFromCenterlineCurves", "CreateDrawBeadSegment", "SetDefaultDrawDirection",
                             "SetMoreDetails", "GetMoreDetails", "MoreDetails"})
    EXPECT_EQ(std::count(beadNames.begin(), beadNames.end(), method), 0) << method;

  std::vector<std::string> segmentNames = Names(segment, segment_);
  std::vector<std::string> segmentTable = {
      "StartLocation", "EndLocation", "FemaleLeftRadius", "FemaleRightRadius", "Symmetry", "Flow",
      "MaleBeadWidthType", "MaleLeftWidth", "MaleLeftTopRadius", "MaleLeftSheetRadius", "MaleLeftWallAngle",
      "MaleRightWidth", "MaleRightTopRadius", "MaleRightSheetRadius", "MaleRightWallAngle", "MaleBeadHeight",
      "MaleTransitionLength"};
  ASSERT_GT(segmentNames.size(), 17u);
  EXPECT_EQ(std::vector<std::string>(segmentNames.begin(), segmentNames.begin() + 17), segmentTable);

  std::vector<std::string> taperNames = Names(taper, taper_);
  ASSERT_GT(taperNames.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(taperNames.begin(), taperNames.begin() + 5),
            (std::vector<std::string>{"TaperType", "TaperRadius", "TaperWashoutHeight", "TaperWashoutLength",
                                      "TaperPoint"}));
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(DrawBeadOwners, OutputReadsAsTheSameEnumerationUnderEitherName) {
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  for (const char* name : {"Output", "output", "OUTPUT"}) {
    Property::ValuePtr value(bead->GetProperty(bead_, name));
    ASSERT_NE(value, nullptr) << name;
    ASSERT_EQ(value->GetType(), Property::ValueType::kEnum) << name;
    EXPECT_EQ(value->GetEnum(), 3) << name;
    EXPECT_STREQ(static_cast<Property::Enum&>(*value).GetMemberName(), "PlusSheetMetal") << name;
  }
  // The bead's depth type has Constant second; the segment's width type has it first.
  bead_->SetFemaleDepthType(DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleDepthTypes_Constant);
  segment_->SetMaleBeadWidthType(DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  Property::ValuePtr depth(bead->GetProperty(bead_, "female_depth_type"));
  Property::ValuePtr width(segment->GetProperty(segment_, "male_bead_width_type"));
  ASSERT_NE(depth, nullptr);
  ASSERT_NE(width, nullptr);
  EXPECT_EQ(depth->GetEnum(), 1);
  EXPECT_STREQ(static_cast<Property::Enum&>(*depth).GetMemberName(), "Constant");
  EXPECT_EQ(width->GetEnum(), 1);
  EXPECT_STREQ(static_cast<Property::Enum&>(*width).GetMemberName(), "Derived");
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(DrawBeadOwners, AWriteLeavesTheSameJournalRecordAsTheScriptingCall) {
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_Male);
  Property::ValuePtr none = Property::MakeEnum(gOutputs, 0);
  EXPECT_EQ(bead->SetProperty(bead_, "Output", none.get()), 0);
  EXPECT_EQ(bead_->GetOutput(), DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_None);
  JAM::Journal viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_Output(bead_, 0), 0);
  ASSERT_EQ(viaOwner.size(), 1u);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  EXPECT_EQ(viaOwner[0].member, "Output");

  // A draw bead's base orientation is a settable enumeration.
  JAM::ClearJournal();
  Property::ValuePtr vertical = Property::MakeEnum(gOrientations, 1);
  EXPECT_EQ(bead->SetProperty(bead_, "base_orientation", vertical.get()), 0);
  EXPECT_EQ(bead_->GetBaseOrientation(), DieEngJA::JA_DRAW_BEAD_BUILDER_OrientationTypes_Vertical);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_DRAW_BEAD_BUILDER_set_BaseOrientation(bead_, 1), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());

  JAM::ClearJournal();
  Property::ValuePtr derived = Property::MakeEnum(gWidthTypes, 1);
  EXPECT_EQ(segment->SetProperty(segment_, "MaleBeadWidthType", derived.get()), 0);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_MaleBeadWidthType(segment_, 1), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());

  // The segment's rule holds through its owner too.
  JAM::ClearJournal();
  segment_->SetSymmetry(false);
  Property::ValuePtr yes = Property::MakeLogical(true);
  EXPECT_EQ(segment->SetProperty(segment_, "flow", yes.get()), 0);
  EXPECT_FALSE(segment_->GetFlow());
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_DRAW_BEAD_SEGMENT_BUILDER_set_Flow(segment_, true), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());
}

TEST_F(DrawBeadOwners, TheTaperPointIsATagReadAndWrittenAsOne) {
  Property::ValuePtr none(taper->GetProperty(taper_, "TaperPoint"));
  ASSERT_NE(none, nullptr);
  ASSERT_EQ(none->GetType(), Property::ValueType::kTag);
  EXPECT_EQ(none->GetTag(), 0u);

  tag_t point = segment_->ask_tag();
  Property::ValuePtr value = Property::MakeTag(point);
  EXPECT_EQ(taper->SetProperty(taper_, "taper_point", value.get()), 0);
  EXPECT_EQ(taper_->GetTaperPoint(), point);
  JAM::Journal viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_DRAW_BEAD_TAPER_BUILDER_set_TaperPoint(taper_, point), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  Property::ValuePtr read(taper->GetProperty(taper_, "TAPERPOINT"));
  EXPECT_EQ(read->GetTag(), point);
}

TEST_F(DrawBeadOwners, SubObjectsReadWithTheirClassesAndAreWrittenByNoOne) {
  GiveSegmentList({});
  struct Row {
    const char* name;
    const char* journalClass;
  };
  for (Row row : {Row{"SegmentList", "Die.DrawBeadSegmentBuilderList"}, Row{"StartTaper", "Die.DrawBeadTaperBuilder"},
                  Row{"EndTaper", "Die.DrawBeadTaperBuilder"}, Row{"Centerline", "Section"},
                  Row{"PlacementFace", "ScCollector"}}) {
    Property::ValuePtr value(bead->GetProperty(bead_, row.name));
    ASSERT_NE(value, nullptr) << row.name;
    ASSERT_EQ(value->GetType(), Property::ValueType::kSubobject) << row.name;
    EXPECT_STREQ(static_cast<Property::Subobject&>(*value).GetClassName(), row.journalClass) << row.name;
    // Read-only here: the write goes up the chain, where nobody knows the name.
    EXPECT_EQ(bead->SetProperty(bead_, row.name, value.get()), Property::kUnknownProperty) << row.name;
  }
  Property::ValuePtr list(bead->GetProperty(bead_, "segment_list"));
  EXPECT_EQ(list->GetSubobject(), list_);
  // The methods are not properties: the chain knows nothing of them.
  for (const char* name : {"MoreDetails", "GetMoreDetails", "CreateDrawBeadSegment"})
    EXPECT_EQ(Property::ValuePtr(bead->GetProperty(bead_, name)), nullptr) << name;
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(DrawBeadOwners, AFailedWriteInSetPropertiesStopsTheWritesAfterIt) {
  Property::List list;
  list.SetValue("MaleBeadPosition", Property::MakeEnum(gPositions, 1).release());
  list.SetValue("ReverseMetalThickness", Property::MakeLogical(true).release());
  list.SetValue("TaperBead", Property::MakeLogical(true).release());
  list.SetValue("AngleTolerance", Property::MakeDouble(0.75).release());
  const double angleBefore = bead_->GetAngleTolerance();
  // The first logical write fails while it is recorded.
  JAM::Test::RaiseAt("JAM_in_logical", 670321);
  EXPECT_EQ(RaisedCode([&] { bead->SetProperties(bead_, list); }), 670321);
  EXPECT_EQ(bead_->GetMaleBeadPosition(), DieEngJA::JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes_Lower);
  EXPECT_FALSE(bead_->GetReverseMetalThickness());
  EXPECT_FALSE(bead_->GetTaperBead());
  EXPECT_EQ(bead_->GetAngleTolerance(), angleBefore);
}

}  // namespace
