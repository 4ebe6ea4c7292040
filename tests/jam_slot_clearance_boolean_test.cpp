// The scripting classes of the clamping-slot, clearance, rough-data
// compensation and die-boolean builders: exports, interface ids, set-up
// orders, defaults, test prints and the members whose rules are their own.
// Expected names, orders and texts are written out from the classes'
// published descriptions, not read from the tables the engine expands.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "TestSupport.hpp"
#include "ja_die_clamping_slot_builder_jam.hpp"
#include "ja_die_clearance_builder_jam.hpp"
#include "ja_die_compensate_rough_data_builder_jam.hpp"
#include "ja_die_die_boolean_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"

using namespace KTX;
using DieDes::DieBooleanBuilder;
using DieDesJA::ClampingSlotBuilder;
using DieDesJA::ClearanceBuilder;
using DieEngJA::CompensateRoughDataBuilder;
using Property::ValuePtr;
using stamvik_test::AlreadySetUp;
using stamvik_test::ExpectInterfaceId;
using stamvik_test::ExportsStartingWith;
using stamvik_test::HostTest;
using stamvik_test::JamCalls;
using stamvik_test::JamTest;
using stamvik_test::NamedWrites;
using stamvik_test::OnlyThese;
using stamvik_test::Prefixed;

// The exports as a script declares them.
namespace {

// ---- exports and interface ids -------------------------------------------------------

TEST(SlotClearanceBooleanExports, ClampingSlotExportsItsThirtyEightMembersInSnakeCase) {
  std::set<std::string> expected = Prefixed(
      "XJA_CLAMPING_SLOT_BUILDER_",
      {"get_target", "get_locations", "get_location_offset_direction", "get_base_plane",
       "get_die_centerline_coordinate_system", "get_orientation_plane", "get_flange_base_profile",
       "get_centerline_length", "get_inner_width", "get_slot_width", "get_slot_length", "get_top_length",
       "get_slot_radius", "get_pad_width", "get_pad_height", "get_pad_length", "get_pad_radius", "get_overhang",
       "get_notch_width", "get_notch_height", "get_notch_angle", "get_flange_thickness", "get_offset_width",
       "get_location_on_flange", "set_location_on_flange", "get_location_offset", "get_pad_offset",
       "get_pad_faces_attributes", "get_slot_faces_attributes", "get_slot_end_faces_attributes",
       "get_notch_faces_attributes", "get_overhang_faces_attributes", "get_distance_tolerance",
       "set_distance_tolerance", "get_angle_tolerance", "set_angle_tolerance", "get_type", "set_type"});
  ASSERT_EQ(expected.size(), 38u);
  EXPECT_EQ(ExportsStartingWith("XJA_CLAMPING_SLOT_BUILDER_"), expected);
}

TEST(SlotClearanceBooleanExports, ClearanceExportsItsSixteenMembersAsNamed) {
  std::set<std::string> expected = Prefixed(
      "XJA_CLEARANCE_BUILDER_",
      {"get_Target", "get_ClearanceGeometryType", "set_ClearanceGeometryType", "get_Geometry", "get_Section",
       "get_Orientation", "get_ClearanceDirection", "get_Distance", "get_Offset", "get_Attributes",
       "get_DistanceTolerance", "set_DistanceTolerance", "get_AngleTolerance", "set_AngleTolerance", "get_Type",
       "set_Type"});
  ASSERT_EQ(expected.size(), 16u);
  EXPECT_EQ(ExportsStartingWith("XJA_CLEARANCE_BUILDER_"), expected);
}

TEST(SlotClearanceBooleanExports, RoughDataExportsItsSeventeenMembersInSnakeCase) {
  std::set<std::string> expected = Prefixed(
      "XJA_COMPENSATE_ROUGH_DATA_BUILDER_",
      {"get_curve_collector", "get_sheet_bodies", "get_project_to_faces", "get_join_output_curves",
       "set_join_output_curves", "get_modify_input_sheet", "set_modify_input_sheet", "get_approximation",
       "set_approximation", "get_distance_tolerance", "set_distance_tolerance", "get_angle_tolerance",
       "set_angle_tolerance", "get_maximum_gap", "set_maximum_gap", "get_type", "set_type"});
  ASSERT_EQ(expected.size(), 17u);
  EXPECT_EQ(ExportsStartingWith("XJA_COMPENSATE_ROUGH_DATA_BUILDER_"), expected);
}

TEST(SlotClearanceBooleanExports, DieBooleanExportsItsThreeMembersInSnakeCase) {
  std::set<std::string> expected = Prefixed(
      "XJA_DIE_BOOLEAN_BUILDER_", {"get_boolean_options", "set_boolean_options", "get_select_bodies"});
  EXPECT_EQ(ExportsStartingWith("XJA_DIE_BOOLEAN_BUILDER_"), expected);
}

TEST(SlotClearanceBooleanExports, OperationZeroOfBothImplementationsAnswersTheInterfaceId) {
  ExpectInterfaceId<Die_ClampingSlotBuilder_Interface>("Die.ClampingSlotBuilder", 0xc53d8319u);
  ExpectInterfaceId<Die_ClearanceBuilder_Interface>("Die.ClearanceBuilder", 0xbb75bdb2u);
  ExpectInterfaceId<Die_CompensateRoughDataBuilder_Interface>("Die.CompensateRoughDataBuilder", 0x82dc166cu);
  ExpectInterfaceId<Die_DieBooleanBuilder_Interface>("Die.DieBooleanBuilder", 0x3ea763e1u);
}

// ---- load registration ------------------------------------------------------------------

TEST(SlotClearanceBooleanLoad, UnitsJoinTheTableOrderWithTheirCreatorNames) {
  std::vector<std::string> order = {"Die.CastRelief",         "Die.ClampingSlotBuilder",        "Die.ClampingSlot",
                                    "Die.ClearanceBuilder",   "Die.Clearance",                  "Die.CompensateRoughDataBuilder",
                                    "Die.DieBooleanBuilder"};
  EXPECT_EQ(OnlyThese(JAM::Test::FileInitializerNames(), order), order);

  std::vector<std::string> classes = JAM::Test::ClassInitializerNames();
  for (const char* builder :
       {"Die.ClampingSlotBuilder", "Die.ClearanceBuilder", "Die.CompensateRoughDataBuilder", "Die.DieBooleanBuilder"})
    EXPECT_EQ(std::count(classes.begin(), classes.end(), builder), 1) << builder;

  std::vector<std::string> creators = JAM::Test::CreatorMethodNames();
  auto at = [&](const char* pair) { return std::find(creators.begin(), creators.end(), pair) - creators.begin(); };
  EXPECT_LT(at("Die.DieCollection CastRelief"), at("Die.DieCollection ClampingSlot"));
  EXPECT_LT(at("Die.DieCollection ClampingSlot"), at("Die.DieCollection CreateClearanceBuilder"));
  EXPECT_LT(at("Die.DieCollection CreateClearanceBuilder"), at("Die.DieCollection CompensateRoughData"));
  EXPECT_LT(at("Die.DieCollection CompensateRoughData"), static_cast<long>(creators.size()));
  for (const std::string& c : creators) EXPECT_EQ(c.find("DieBoolean"), std::string::npos) << c;
}

// ---- set-up -----------------------------------------------------------------------------

// Each runs first in its process (each test runs alone under ctest). The
// dependencies are set up beforehand so that their own set-ups, when they are
// ours, do not interleave with the one under test.
class SlotClearanceBooleanSetUp : public JamTest {
 protected:
  // Runs the set-up through the first journalled call and returns the calls up to its record.
  template <class Call>
  std::vector<std::string> SetUpCalls(const char* journalClass, const std::vector<const char*>& dependencies,
                                      Call&& first) {
    if (AlreadySetUp(journalClass)) return {};
    for (const char* d : dependencies) JAM::FileInitializer::Initialize(d);
    Host::ClearCalls();
    first();
    std::vector<std::string> calls = JamCalls(false);
    auto record = std::find_if(calls.begin(), calls.end(),
                               [](const std::string& c) { return c.rfind("JAM_start_", 0) == 0; });
    if (record != calls.end()) calls.erase(record + 1, calls.end());
    return calls;
  }
};

TEST_F(SlotClearanceBooleanSetUp, ClampingSlotLooksUpItsCoordinateSystemTemplateFirst) {
  std::vector<const char*> dependencies = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                           "Die.DieLocationsBuilder", "Die.DiePlaneBuilder", "Expression", "Section",
                                           "SelectObject"};
  auto* b = DieDesJA::ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  std::vector<std::string> calls = SetUpCalls("Die.ClampingSlotBuilder", dependencies,
                                              [&] { XJA_CLAMPING_SLOT_BUILDER_set_distance_tolerance(b, 0.5); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected;
  for (const char* d : dependencies) expected.push_back(std::string("FileInitializer::Initialize ") + d);
  for (const char* c : {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationsBuilder",
                        "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder", "Section"})
    expected.push_back(std::string("JAM_lookup_or_create_class ") + c);
  expected.insert(expected.end(),
                  {"JAM_lookup_or_create_template_class SelectCartesianCoordinateSystem SelectObject CartesianCoordinateSystem",
                   "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
                   "JAM_lookup_or_create_enum Die.ClampingSlotBuilder.Types 4",
                   "JAM_add_enum_member Die.ClampingSlotBuilder.Types Hydraulic 0",
                   "JAM_add_enum_member Die.ClampingSlotBuilder.Types Traveling 1",
                   "JAM_add_enum_member Die.ClampingSlotBuilder.Types Automatic 2",
                   "JAM_create_class Die.ClampingSlotBuilder Features.FeatureBuilder",
                   "JAM_test_register_print_fn Die.ClampingSlotBuilder",
                   "JAM_register_initialisation_function Die.ClampingSlotBuilder"});
  // Every object-valued property, in ASCII order of its name.
  for (const char* p : {"BasePlane", "CenterlineLength", "DieCenterlineCoordinateSystem", "FlangeBaseProfile",
                        "FlangeThickness", "InnerWidth", "LocationOffset", "LocationOffsetDirection", "Locations",
                        "NotchAngle", "NotchFacesAttributes", "NotchHeight", "NotchWidth", "OffsetWidth",
                        "OrientationPlane", "Overhang", "OverhangFacesAttributes", "PadFacesAttributes", "PadHeight",
                        "PadLength", "PadOffset", "PadRadius", "PadWidth", "SlotEndFacesAttributes",
                        "SlotFacesAttributes", "SlotLength", "SlotRadius", "SlotWidth", "Target", "TopLength"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.ClampingSlotBuilder ") + p + " 0 1");
  expected.push_back("JAM_start_property_call Die.ClampingSlotBuilder 2 DistanceTolerance");
  EXPECT_EQ(calls, expected);
}

TEST_F(SlotClearanceBooleanSetUp, ClearanceLooksUpItsEnumerationsInDeclarationOrder) {
  std::vector<const char*> dependencies = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder",
                                           "Expression", "Section", "SelectObject", "SelectObjectList"};
  auto* b = DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr);
  std::vector<std::string> calls =
      SetUpCalls("Die.ClearanceBuilder", dependencies, [&] { XJA_CLEARANCE_BUILDER_set_Type(b, 1); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected;
  for (const char* d : dependencies) expected.push_back(std::string("FileInitializer::Initialize ") + d);
  for (const char* c : {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder", "Expression",
                        "Features.FeatureBuilder", "Section"})
    expected.push_back(std::string("JAM_lookup_or_create_class ") + c);
  expected.insert(expected.end(), {
                                      "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
                                      "JAM_lookup_or_create_template_class SelectBodyList SelectObjectList Body",
                                      "JAM_lookup_or_create_enum Die.ClearanceBuilder.Types 4",
                                      "JAM_lookup_or_create_enum Die.ClearanceBuilder.ClearanceGeometryTypes 4",
                                      "JAM_add_enum_member Die.ClearanceBuilder.Types Gage 0",
                                      "JAM_add_enum_member Die.ClearanceBuilder.Types Gripper 1",
                                      "JAM_add_enum_member Die.ClearanceBuilder.Types Lifter 2",
                                      "JAM_add_enum_member Die.ClearanceBuilder.ClearanceGeometryTypes Solid 0",
                                      "JAM_add_enum_member Die.ClearanceBuilder.ClearanceGeometryTypes Section 1",
                                      "JAM_create_class Die.ClearanceBuilder Features.FeatureBuilder",
                                      "JAM_test_register_print_fn Die.ClearanceBuilder",
                                      "JAM_register_initialisation_function Die.ClearanceBuilder",
                                  });
  for (const char* p :
       {"Attributes", "ClearanceDirection", "Distance", "Geometry", "Offset", "Orientation", "Section", "Target"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.ClearanceBuilder ") + p + " 0 1");
  expected.push_back("JAM_start_property_call Die.ClearanceBuilder 2 Type");
  EXPECT_EQ(calls, expected);
}

TEST_F(SlotClearanceBooleanSetUp, RoughDataRegistersItsTypesBeforeItsApproximation) {
  std::vector<const char*> dependencies = {"ScCollector", "Section", "SelectObjectList"};
  auto* b = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
  std::vector<std::string> calls = SetUpCalls("Die.CompensateRoughDataBuilder", dependencies,
                                              [&] { XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_maximum_gap(b, 2.0); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected = {
      "FileInitializer::Initialize ScCollector",
      "FileInitializer::Initialize Section",
      "FileInitializer::Initialize SelectObjectList",
      "JAM_lookup_or_create_class Features.FeatureBuilder",
      "JAM_lookup_or_create_class ScCollector",
      "JAM_lookup_or_create_class Section",
      "JAM_lookup_or_create_template_class SelectBodyList SelectObjectList Body",
      "JAM_lookup_or_create_enum Die.CompensateRoughDataBuilder.Types 4",
      "JAM_lookup_or_create_enum Die.CompensateRoughDataBuilder.ApproximationType 4",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.Types SheetBody 0",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.Types Curve 1",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Coarse 0",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Rough 1",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Fine 2",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Exact 3",
      "JAM_create_class Die.CompensateRoughDataBuilder Features.FeatureBuilder",
      "JAM_test_register_print_fn Die.CompensateRoughDataBuilder",
      "JAM_register_initialisation_function Die.CompensateRoughDataBuilder",
      "JAM_declare_ptr_property_accessor Die.CompensateRoughDataBuilder CurveCollector 0 1",
      "JAM_declare_ptr_property_accessor Die.CompensateRoughDataBuilder ProjectToFaces 0 1",
      "JAM_declare_ptr_property_accessor Die.CompensateRoughDataBuilder SheetBodies 0 1",
      "JAM_start_property_call Die.CompensateRoughDataBuilder 2 MaximumGap",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(SlotClearanceBooleanSetUp, DieBooleanIsASubBuilderWithoutDefaultsThatAddsTheComponentInterfaceLast) {
  auto* b = DieDes::DieBooleanBuilderFactory::Create(part());
  std::vector<std::string> calls =
      SetUpCalls("Die.DieBooleanBuilder", {"SelectObjectList"}, [&] { XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(b, 1); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected = {
      "FileInitializer::Initialize SelectObjectList",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_lookup_or_create_template_class SelectBrenvikObjectList SelectObjectList BrenvikObject",
      "JAM_lookup_or_create_enum Die.DieBooleanBuilder.BooleanType 4",
      "JAM_add_enum_member Die.DieBooleanBuilder.BooleanType Unite 0",
      "JAM_add_enum_member Die.DieBooleanBuilder.BooleanType Subtract 1",
      "JAM_add_enum_member Die.DieBooleanBuilder.BooleanType Intersect 2",
      "JAM_create_class Die.DieBooleanBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DieBooleanBuilder",
      "JAM_declare_ptr_property_accessor Die.DieBooleanBuilder SelectBodies 0 1",
      "JAM_add_interface Die.DieBooleanBuilder GeometricUtilities.IComponentBuilder",
      "JAM_start_property_call Die.DieBooleanBuilder 2 BooleanOptions",
  };
  EXPECT_EQ(calls, expected);
  // No initialisation function: the host never applies defaults to it.
  EXPECT_EQ(JAM::Test::DefaultsFunction("Die.DieBooleanBuilder"), nullptr);
}

// ---- journalled calls --------------------------------------------------------------------

class SlotClearanceBooleanJournal : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    slot_ = DieDesJA::ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
    clearance_ = DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr);
    rough_ = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
    boolean_ = DieDes::DieBooleanBuilderFactory::Create(part());
    // The classes are set up by their first journalled call.
    for (const char* c :
         {"Die.ClampingSlotBuilder", "Die.ClearanceBuilder", "Die.CompensateRoughDataBuilder", "Die.DieBooleanBuilder"})
      JAM::FileInitializer::Initialize(c);
    JAM::ClearJournal();
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    slot_->destroy();
    clearance_->destroy();
    rough_->destroy();
    boolean_->destroy();
    JamTest::TearDown();
  }
  static std::string TagOf(const OM::TaggedObject* o) { return std::to_string(o->ask_tag()); }

  ClampingSlotBuilder* slot_ = nullptr;
  ClearanceBuilder* clearance_ = nullptr;
  CompensateRoughDataBuilder* rough_ = nullptr;
  DieBooleanBuilder* boolean_ = nullptr;
};

TEST_F(SlotClearanceBooleanJournal, ASnakeCaseSetRecordsTheMemberUnderItsOwnNameAndLogsOnce) {
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_location_on_flange(slot_, true), 0);
  EXPECT_TRUE(slot_->GetLocationOnFlange());
  std::string t = TagOf(slot_);
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{
                            "JAM_start_property_call Die.ClampingSlotBuilder 2 LocationOnFlange",
                            "JAM_this_ptr " + t,
                            "JAM_in_logical locationonflange=1",
                            "JAM_end_of_arguments",
                            "OM__log tag=" + t,
                            "JAM_end_call 0",
                        }));
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& r = JAM::Recorded()[0];
  EXPECT_EQ(r.journalClass, "Die.ClampingSlotBuilder");
  EXPECT_EQ(r.member, "LocationOnFlange");
  EXPECT_EQ(r.status, 0);

  // An object that need not be logged is not.
  Host::ClearCalls();
  slot_->OmSetState(OM::Object::kStateNoLog);
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_location_on_flange(slot_, false), 0);
  EXPECT_FALSE(slot_->GetLocationOnFlange());
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
}

// Each scripting member reaches the builder's own field: eighteen different
// expressions, five different attribute sub-builders, two tolerances.
TEST_F(SlotClearanceBooleanJournal, EachClampingSlotMemberReachesItsOwnField) {
  struct Expression {
    const char* name;
    int (*get)(ClampingSlotBuilder*, EXP_expression**);
    EXP_expression* (ClampingSlotBuilder::*field)() const;
  };
  const Expression expressions[] = {
      {"centerline_length", XJA_CLAMPING_SLOT_BUILDER_get_centerline_length, &ClampingSlotBuilder::GetCenterlineLength},
      {"inner_width", XJA_CLAMPING_SLOT_BUILDER_get_inner_width, &ClampingSlotBuilder::GetInnerWidth},
      {"slot_width", XJA_CLAMPING_SLOT_BUILDER_get_slot_width, &ClampingSlotBuilder::GetSlotWidth},
      {"slot_length", XJA_CLAMPING_SLOT_BUILDER_get_slot_length, &ClampingSlotBuilder::GetSlotLength},
      {"top_length", XJA_CLAMPING_SLOT_BUILDER_get_top_length, &ClampingSlotBuilder::GetTopLength},
      {"slot_radius", XJA_CLAMPING_SLOT_BUILDER_get_slot_radius, &ClampingSlotBuilder::GetSlotRadius},
      {"pad_width", XJA_CLAMPING_SLOT_BUILDER_get_pad_width, &ClampingSlotBuilder::GetPadWidth},
      {"pad_height", XJA_CLAMPING_SLOT_BUILDER_get_pad_height, &ClampingSlotBuilder::GetPadHeight},
      {"pad_length", XJA_CLAMPING_SLOT_BUILDER_get_pad_length, &ClampingSlotBuilder::GetPadLength},
      {"pad_radius", XJA_CLAMPING_SLOT_BUILDER_get_pad_radius, &ClampingSlotBuilder::GetPadRadius},
      {"overhang", XJA_CLAMPING_SLOT_BUILDER_get_overhang, &ClampingSlotBuilder::GetOverhang},
      {"notch_width", XJA_CLAMPING_SLOT_BUILDER_get_notch_width, &ClampingSlotBuilder::GetNotchWidth},
      {"notch_height", XJA_CLAMPING_SLOT_BUILDER_get_notch_height, &ClampingSlotBuilder::GetNotchHeight},
      {"notch_angle", XJA_CLAMPING_SLOT_BUILDER_get_notch_angle, &ClampingSlotBuilder::GetNotchAngle},
      {"flange_thickness", XJA_CLAMPING_SLOT_BUILDER_get_flange_thickness, &ClampingSlotBuilder::GetFlangeThickness},
      {"offset_width", XJA_CLAMPING_SLOT_BUILDER_get_offset_width, &ClampingSlotBuilder::GetOffsetWidth},
      {"location_offset", XJA_CLAMPING_SLOT_BUILDER_get_location_offset, &ClampingSlotBuilder::GetLocationOffset},
      {"pad_offset", XJA_CLAMPING_SLOT_BUILDER_get_pad_offset, &ClampingSlotBuilder::GetPadOffset}};
  for (const Expression& e : expressions) {
    EXP_expression* got = nullptr;
    EXPECT_EQ(e.get(slot_, &got), 0) << e.name;
    EXPECT_EQ(got, (slot_->*e.field)()) << e.name;
  }
  struct Attributes {
    const char* name;
    int (*get)(ClampingSlotBuilder*, DieDes::DieAttributesBuilder**);
    DieDes::DieAttributesBuilder* (ClampingSlotBuilder::*field)() const;
  };
  const Attributes attributes[] = {
      {"pad_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_pad_faces_attributes, &ClampingSlotBuilder::GetPadFacesAttributes},
      {"slot_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_slot_faces_attributes, &ClampingSlotBuilder::GetSlotFacesAttributes},
      {"slot_end_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_slot_end_faces_attributes, &ClampingSlotBuilder::GetSlotEndFacesAttributes},
      {"notch_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_notch_faces_attributes, &ClampingSlotBuilder::GetNotchFacesAttributes},
      {"overhang_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_overhang_faces_attributes, &ClampingSlotBuilder::GetOverhangFacesAttributes}};
  for (const Attributes& a : attributes) {
    DieDes::DieAttributesBuilder* got = nullptr;
    EXPECT_EQ(a.get(slot_, &got), 0) << a.name;
    EXPECT_EQ(got, (slot_->*a.field)()) << a.name;
  }
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_distance_tolerance(slot_, 0.03), 0);
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_angle_tolerance(slot_, 0.7), 0);
  EXPECT_EQ(slot_->GetDistanceTolerance(), 0.03);
  EXPECT_EQ(slot_->GetAngleTolerance(), 0.7);
  double distance = 0, angle = 0;
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_distance_tolerance(slot_, &distance), 0);
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_angle_tolerance(slot_, &angle), 0);
  EXPECT_EQ(distance, 0.03);
  EXPECT_EQ(angle, 0.7);
}

TEST_F(SlotClearanceBooleanJournal, ClampingSlotTypeStoresWhatItIsGivenEvenOutsideTheEnumeration) {
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, 2), 0);
  int type = -1;
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_type(slot_, &type), 0);
  EXPECT_EQ(type, 2);
  const JAM::Record& set = JAM::Recorded().at(0);
  EXPECT_EQ(set.member, "Type");
  EXPECT_EQ(set.values.at(0).name, "type");
  EXPECT_EQ(set.values.at(0).type, "Die.ClampingSlotBuilder.Types");
  EXPECT_EQ(set.values.at(0).integer, 2);
  EXPECT_EQ(JAM::Recorded().at(1).values.at(0).integer, 2);

  // Kept as given; bringing the dimensions up to date must not index with it.
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, 7), 0);
  EXPECT_EQ(slot_->GetType(), 7);
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, -1), 0);
  EXPECT_EQ(slot_->GetType(), -1);
}

TEST_F(SlotClearanceBooleanJournal, ClearanceTypeIsStoredInTheFieldDirectly) {
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_set_Type(clearance_, 2), 0);  // "Lifter"
  EXPECT_EQ(clearance_->GetType(), DieDesJA::JA_CLEARANCE_BUILDER_Types_Lifter);
  int type = 0;
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_get_Type(clearance_, &type), 0);
  EXPECT_EQ(type, 2);
  std::string t = TagOf(clearance_);
  std::vector<std::string> calls = JamCalls();
  std::vector<std::string> set(calls.begin(), calls.begin() + 6);
  EXPECT_EQ(set, (std::vector<std::string>{
                     "JAM_start_property_call Die.ClearanceBuilder 2 Type",
                     "JAM_this_ptr " + t,
                     "JAM_in_enum type=Die.ClearanceBuilder.Types:2",
                     "JAM_end_of_arguments",
                     "OM__log tag=" + t,
                     "JAM_end_call 0",
                 }));
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_set_ClearanceGeometryType(clearance_, 1), 0);
  EXPECT_EQ(clearance_->GetClearanceGeometryType(), DieDesJA::JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Section);
  EXPECT_EQ(JAM::Recorded().back().values.at(0).name, "clearancegeometrytype");
}

TEST_F(SlotClearanceBooleanJournal, AGetOfTargetWithoutASelectionIsNullAndStillAssociated) {
  auto* bare = static_cast<ClearanceBuilder*>(
      OM::ObjectFactory::CreateObject(DieDesJA::ClearanceBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  Host::ClearCalls();
  SELECT_OBJECT* target = reinterpret_cast<SELECT_OBJECT*>(&target);  // anything but null
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_get_Target(bare, &target), 0);
  EXPECT_EQ(target, nullptr);
  std::vector<std::string> calls = JamCalls();
  EXPECT_EQ(calls.at(2), "JAM_result_ptr target=SelectBody");
  EXPECT_EQ(calls.at(4), "JAM_AssociateTemplateTypeClass 0 SelectBody");
  bare->destroy();

  // A selection list result is associated with its list template class, whatever it holds.
  SELECT_OBJECT_list* bodies = reinterpret_cast<SELECT_OBJECT_list*>(&bodies);
  ASSERT_EQ(XJA_DIE_BOOLEAN_BUILDER_get_select_bodies(boolean_, &bodies), 0);
  const JAM::Record& r = JAM::Recorded().back();
  EXPECT_EQ(r.values.at(0).name, "selectbodies");
  EXPECT_EQ(r.values.at(0).type, "SelectBrenvikObjectList");
  ASSERT_EQ(r.associations.size(), 1u);
  EXPECT_EQ(r.associations[0].tag, bodies != nullptr ? bodies->ask_tag() : 0u);

  SELECT_OBJECT* system = nullptr;
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_die_centerline_coordinate_system(slot_, &system), 0);
  const JAM::Record& s = JAM::Recorded().back();
  EXPECT_EQ(s.values.at(0).type, "SelectCartesianCoordinateSystem");
  ASSERT_EQ(s.associations.size(), 1u);
  EXPECT_EQ(s.associations[0].tag, system != nullptr ? system->ask_tag() : 0u);
}

TEST_F(SlotClearanceBooleanJournal, DieBooleanOptionsGoThroughTheBuildersOperations) {
  ASSERT_EQ(XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(boolean_, 2), 0);  // "Intersect"
  EXPECT_EQ(boolean_->GetBooleanOptions(), DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect);
  int options = -1;
  ASSERT_EQ(XJA_DIE_BOOLEAN_BUILDER_get_boolean_options(boolean_, &options), 0);
  EXPECT_EQ(options, 2);
  ASSERT_EQ(JAM::Recorded().size(), 2u);
  EXPECT_EQ(JAM::Recorded()[0].member, "BooleanOptions");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "booleanoptions");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).type, "Die.DieBooleanBuilder.BooleanType");
}

// ---- the rough-data type while a feature is edited ------------------------------------------

TEST_F(SlotClearanceBooleanJournal, RoughDataTypeChangeWhileEditingReturnsTheErrorAndKeepsTheType) {
  auto* record = stamvik_test::RoughSheetFeature();
  auto* editing = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  Host::ClearCalls();
  EXPECT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_type(editing, 1), 3030446);  // "Curve"
  EXPECT_EQ(editing->GetType(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  // Above 65: the further step runs; the record closes with the number.
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 3030446);
  EXPECT_TRUE(Error::SevereErrors()[0].further);
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 2);
  EXPECT_EQ(Error::SevereErrors()[0].file, "ja_die_compensate_rough_data_builder_jam");
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.member, "Type");
  EXPECT_EQ(r.state, JAM::RecordState::Closed);
  EXPECT_EQ(r.status, 3030446);

  // The same type again is no change.
  EXPECT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_type(editing, 0), 0);
  int type = -1;
  ASSERT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_get_type(editing, &type), 0);
  EXPECT_EQ(type, 0);
  // A builder that makes a new feature takes any type.
  EXPECT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_type(rough_, 1), 0);
  EXPECT_EQ(rough_->GetType(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve);
  editing->destroy();
  record->destroy();
}

TEST_F(SlotClearanceBooleanJournal, UnjournalledInterfaceRecordsNothingAndLetsTheErrorThrough) {
  auto* plain = static_cast<Die_CompensateRoughDataBuilder_Interface*>(
      JAM::ClassInitializer::GetUnjournalledInterface("Die.CompensateRoughDataBuilder"));
  auto* journalled = static_cast<Die_CompensateRoughDataBuilder_Interface*>(
      JAM::ClassInitializer::GetJournalledInterface("Die.CompensateRoughDataBuilder"));
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(journalled, nullptr);
  EXPECT_EQ(plain->SetMaximumGap(rough_, 7.5), 0);
  EXPECT_EQ(rough_->GetMaximumGap(), 7.5);
  EXPECT_TRUE(JAM::Recorded().empty());

  auto* record = stamvik_test::RoughSheetFeature();
  auto* editing = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  EXPECT_EQ(RaisedCode([&] { plain->SetType(editing, 1); }), 3030446);
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_EQ(journalled->SetType(editing, 1), 3030446);
  EXPECT_EQ(JAM::Recorded().size(), 1u);
  editing->destroy();
  record->destroy();
}

// ---- scripting defaults ----------------------------------------------------------------------

class SlotClearanceBooleanDefaults : public SlotClearanceBooleanJournal {
 protected:
  // "path=text" of every named write on the object, in order.
  std::vector<std::string> Written(const OM::TaggedObject* o) { return NamedWrites(TagOf(o), true); }
  void Apply(const char* journalClass, const OM::TaggedObject* o) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(journalClass);
    ASSERT_NE(defaults, nullptr) << journalClass;
    defaults(o->ask_tag(), true);
  }
};

TEST_F(SlotClearanceBooleanDefaults, ClampingSlotMillimetreTexts) {
  Apply("Die.ClampingSlotBuilder", slot_);
  std::vector<std::string> expected = {
      "CenterlineLength.Value=40 (paused)", "FlangeThickness.Value=45 (paused)", "InnerWidth.Value=45 (paused)",
      "LocationOffset.Value=0 (paused)",    "LocationOnFlange=false (paused)",   "NotchAngle.Value=0 (paused)",
      "NotchHeight.Value=0 (paused)",       "NotchWidth.Value=0 (paused)",       "OffsetWidth.Value=150 (paused)",
      "Overhang.Value=0 (paused)",          "PadHeight.Value=63.5 (paused)",     "PadLength.Value=80 (paused)",
      "PadOffset.Value=0 (paused)",         "PadRadius.Value=25 (paused)",       "PadWidth.Value=110 (paused)",
      "SlotLength.Value=40 (paused)",       "SlotRadius.Value=20 (paused)",      "SlotWidth.Value=45 (paused)",
      "TopLength.Value=60 (paused)",
  };
  EXPECT_EQ(Written(slot_), expected);
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_FALSE(slot_->DefaultsInProgress());
}

TEST_F(SlotClearanceBooleanDefaults, ClampingSlotInchTexts) {
  part()->SetUnitCode(1);
  Apply("Die.ClampingSlotBuilder", slot_);
  std::vector<std::string> expected = {
      "CenterlineLength.Value=1.57 (paused)", "FlangeThickness.Value=1.77 (paused)", "InnerWidth.Value=1.77 (paused)",
      "LocationOffset.Value=0 (paused)",      "LocationOnFlange=false (paused)",     "NotchAngle.Value=0 (paused)",
      "NotchHeight.Value=0 (paused)",         "NotchWidth.Value=0 (paused)",         "OffsetWidth.Value=5.9 (paused)",
      "Overhang.Value=0 (paused)",            "PadHeight.Value=2.5 (paused)",        "PadLength.Value=3.15 (paused)",
      "PadOffset.Value=0 (paused)",           "PadRadius.Value=1.0 (paused)",        "PadWidth.Value=4.33 (paused)",
      "SlotLength.Value=1.57 (paused)",       "SlotRadius.Value=0.787 (paused)",     "SlotWidth.Value=1.77 (paused)",
      "TopLength.Value=2.36 (paused)",
  };
  EXPECT_EQ(Written(slot_), expected);
}

TEST_F(SlotClearanceBooleanDefaults, ClearanceInBothUnitSystems) {
  Apply("Die.ClearanceBuilder", clearance_);
  EXPECT_EQ(Written(clearance_), (std::vector<std::string>{"ClearanceGeometryType=Solid (paused)",
                                                          "Distance.Value=0 (paused)", "Offset.Value=5 (paused)"}));
  Host::ClearCalls();
  part()->SetUnitCode(1);
  Apply("Die.ClearanceBuilder", clearance_);
  EXPECT_EQ(Written(clearance_), (std::vector<std::string>{"ClearanceGeometryType=Solid (paused)",
                                                          "Distance.Value=0 (paused)", "Offset.Value=0.2 (paused)"}));
}

TEST_F(SlotClearanceBooleanDefaults, RoughDataInBothUnitSystemsAndWithoutAWorkPart) {
  std::vector<std::string> millimetre = {
      "AngleTolerance=0.5 (paused)",   "Approximation=Coarse (paused)", "DistanceTolerance=0.0254 (paused)",
      "JoinOutputCurves=0 (paused)",   "MaximumGap=5.0 (paused)",       "ModifyInputSheet=0 (paused)",
  };
  Apply("Die.CompensateRoughDataBuilder", rough_);
  EXPECT_EQ(Written(rough_), millimetre);

  Host::ClearCalls();
  part()->SetUnitCode(1);
  Apply("Die.CompensateRoughDataBuilder", rough_);
  EXPECT_EQ(Written(rough_), (std::vector<std::string>{
                                 "AngleTolerance=0.5 (paused)", "Approximation=Coarse (paused)",
                                 "DistanceTolerance=0.001 (paused)", "JoinOutputCurves=0 (paused)",
                                 "MaximumGap=0.2 (paused)", "ModifyInputSheet=0 (paused)"}));

  Host::ClearCalls();
  PART_set_work_part(nullptr);
  Apply("Die.CompensateRoughDataBuilder", rough_);
  EXPECT_EQ(Written(rough_), millimetre);
  PART_set_work_part(part());
}

// ---- test prints -------------------------------------------------------------------------------

class SlotClearanceBooleanPrint : public SlotClearanceBooleanJournal {
 protected:
  // The "Get" names printed, in order, and what closes the class's entry.
  std::vector<std::string> Printed(const char* journalClass, const OM::TaggedObject* o) {
    JAM::Autotest::EnableAPIPrint(journalClass, true);
    Host::ClearCalls();
    tag_t tag = o->ask_tag();
    JAM_print_fn print = JAM::Test::PrintFunction(journalClass);
    if (print == nullptr) return {"no print function"};
    print(&tag, nullptr, 0);
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls()) {
      if (c.name == "JAM_test_print_method_start" || c.name == "JAM_test_print_tag_of_class") {
        out.push_back(c.name == "JAM_test_print_tag_of_class" ? "class " + c.args.substr(TagOf(o).size() + 1)
                                                              : c.args);
      } else if (c.name.rfind("JAM_test_print_", 0) == 0 && c.name.size() > 5 &&
                 c.name.compare(c.name.size() - 5, 5, "_prop") == 0) {
        out.push_back(c.args.substr(0, c.args.find(' ')));
      }
    }
    return out;
  }
};

TEST_F(SlotClearanceBooleanPrint, ClampingSlotPrintsItsValuesInDeclarationOrder) {
  std::vector<std::string> expected;
  for (const char* p : {"CenterlineLength", "InnerWidth", "SlotWidth", "SlotLength", "TopLength", "SlotRadius",
                        "PadWidth", "PadHeight", "PadLength", "PadRadius", "Overhang", "NotchWidth", "NotchHeight",
                        "NotchAngle", "FlangeThickness", "OffsetWidth", "LocationOnFlange", "LocationOffset",
                        "PadOffset", "DistanceTolerance", "AngleTolerance", "Type"})
    expected.push_back(std::string("Get") + p);
  expected.push_back("class FeatureBuilder  0");
  EXPECT_EQ(Printed("Die.ClampingSlotBuilder", slot_), expected);
  // The type prints under its enumeration's short name.
  EXPECT_EQ(Host::CountCalls("JAM_test_print_enum_prop"), 1u);
  for (const Host::Call& c : Host::Calls()) {
    if (c.name == "JAM_test_print_enum_prop") {
      EXPECT_EQ(c.args, "GetType type Types=Hydraulic");
    }
  }
}

TEST_F(SlotClearanceBooleanPrint, ClearanceAndRoughDataPrintTheirValues) {
  EXPECT_EQ(Printed("Die.ClearanceBuilder", clearance_),
            (std::vector<std::string>{"GetClearanceGeometryType", "GetDistance", "GetOffset", "GetDistanceTolerance",
                                      "GetAngleTolerance", "GetType", "class FeatureBuilder  0"}));
  EXPECT_EQ(Printed("Die.CompensateRoughDataBuilder", rough_),
            (std::vector<std::string>{"GetJoinOutputCurves", "GetModifyInputSheet", "GetApproximation",
                                      "GetDistanceTolerance", "GetAngleTolerance", "GetMaximumGap", "GetType",
                                      "class FeatureBuilder  0"}));
}

TEST_F(SlotClearanceBooleanPrint, DieBooleanPrintsOnlyItsOptionsThenBothClasses) {
  EXPECT_EQ(Printed("Die.DieBooleanBuilder", boolean_),
            (std::vector<std::string>{"GetBooleanOptions", "class TaggedObject  0",
                                      "class GeometricUtilities.IComponentBuilder  0"}));
}

// ---- property owners -----------------------------------------------------------------------------

class SlotClearanceBooleanOwners : public SlotClearanceBooleanJournal {
 protected:
  static Property::Owner* OwnerOf(const char* journalClass) {
    return JAM::PropertyMapper::GetOwner(journalClass);
  }
  static ValuePtr Get(const char* journalClass, OM::Object* object, const char* name) {
    return ValuePtr(OwnerOf(journalClass)->GetProperty(object, name));
  }
  static const char* ClassOf(const ValuePtr& v) { return static_cast<const Property::Subobject&>(*v).GetClassName(); }
  // The journal of one write through the owner and of the same scripting call, from the same state.
  template <class Reset, class Script>
  static void ExpectSameRecord(Reset&& reset, const std::function<int()>& viaOwner, Script&& viaScript) {
    reset();
    JAM::ClearJournal();
    EXPECT_EQ(viaOwner(), 0);
    JAM::Journal owner = JAM::Recorded();
    reset();
    JAM::ClearJournal();
    EXPECT_EQ(viaScript(), 0);
    ASSERT_EQ(owner.size(), 1u);
    EXPECT_EQ(owner, JAM::Recorded());
    EXPECT_EQ(JAM::WriteJournal(owner), JAM::WriteJournal(JAM::Recorded()));
  }
  static Property::EnumMembers slotTypes;
  static Property::EnumMembers approximations;
  static Property::EnumMembers booleanTypes;
};
Property::EnumMembers SlotClearanceBooleanOwners::slotTypes{"Hydraulic,Traveling,Automatic"};
Property::EnumMembers SlotClearanceBooleanOwners::approximations{"Coarse,Rough,Fine,Exact"};
Property::EnumMembers SlotClearanceBooleanOwners::booleanTypes{"Unite,Subtract,Intersect"};

TEST_F(SlotClearanceBooleanOwners, RegisteredUnderTheirJournalClassesAndParents) {
  const std::pair<const char*, const char*> rows[] = {
      {"Die.ClampingSlotBuilder", "Features.FeatureBuilder"},
      {"Die.ClearanceBuilder", "Features.FeatureBuilder"},
      {"Die.CompensateRoughDataBuilder", "Features.FeatureBuilder"},
      {"Die.DieBooleanBuilder", "TaggedObject"},
  };
  for (const auto& [journalClass, parent] : rows) {
    ASSERT_NE(OwnerOf(journalClass), nullptr) << journalClass;
    ASSERT_NE(JAM::PropertyMapper::GetParentClassName(journalClass), nullptr) << journalClass;
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(journalClass), parent) << journalClass;
  }
}

TEST_F(SlotClearanceBooleanOwners, ClampingSlotTypeReadsAsItsMemberNameAndWritesThroughTheJournalledSetter) {
  slot_->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Traveling);
  ValuePtr type = Get("Die.ClampingSlotBuilder", slot_, "Type");
  ASSERT_EQ(type->GetType(), Property::ValueType::kEnum);
  EXPECT_EQ(type->GetEnum(), 1);
  EXPECT_STREQ(static_cast<Property::Enum&>(*type).GetMemberName(), "Traveling");

  ValuePtr automatic = Property::MakeEnum(slotTypes, 2);
  ExpectSameRecord([&] { slot_->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Hydraulic); },
                   [&] { return OwnerOf("Die.ClampingSlotBuilder")->SetProperty(slot_, "type", automatic.get()); },
                   [&] { return XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, 2); });
  EXPECT_EQ(slot_->GetType(), DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Automatic);
  EXPECT_EQ(JAM::Recorded().at(0).values.at(0).integer, 2);
}

TEST_F(SlotClearanceBooleanOwners, BothFormsOfLocationOnFlangeWriteTheSameLogical) {
  ValuePtr yes = Property::MakeLogical(true);
  for (const char* name : {"location_on_flange", "LocationOnFlange", "LOCATION_ON_FLANGE"}) {
    ExpectSameRecord([&] { slot_->SetLocationOnFlange(false); },
                     [&] { return OwnerOf("Die.ClampingSlotBuilder")->SetProperty(slot_, name, yes.get()); },
                     [&] { return XJA_CLAMPING_SLOT_BUILDER_set_location_on_flange(slot_, true); });
    EXPECT_TRUE(slot_->GetLocationOnFlange()) << name;
    EXPECT_TRUE(Get("Die.ClampingSlotBuilder", slot_, name)->GetLogical()) << name;
  }
}

// Each key of the clamping slot's owner reads the builder's own object.
TEST_F(SlotClearanceBooleanOwners, EachClampingSlotKeyReadsItsOwnObject) {
  const std::pair<const char*, const OM::Object*> keys[] = {
      {"CenterlineLength", slot_->GetCenterlineLength()},
      {"InnerWidth", slot_->GetInnerWidth()},
      {"SlotWidth", slot_->GetSlotWidth()},
      {"SlotLength", slot_->GetSlotLength()},
      {"TopLength", slot_->GetTopLength()},
      {"SlotRadius", slot_->GetSlotRadius()},
      {"PadWidth", slot_->GetPadWidth()},
      {"PadHeight", slot_->GetPadHeight()},
      {"PadLength", slot_->GetPadLength()},
      {"PadRadius", slot_->GetPadRadius()},
      {"Overhang", slot_->GetOverhang()},
      {"NotchWidth", slot_->GetNotchWidth()},
      {"NotchHeight", slot_->GetNotchHeight()},
      {"NotchAngle", slot_->GetNotchAngle()},
      {"FlangeThickness", slot_->GetFlangeThickness()},
      {"OffsetWidth", slot_->GetOffsetWidth()},
      {"LocationOffset", slot_->GetLocationOffset()},
      {"PadOffset", slot_->GetPadOffset()},
      {"PadFacesAttributes", slot_->GetPadFacesAttributes()},
      {"SlotFacesAttributes", slot_->GetSlotFacesAttributes()},
      {"SlotEndFacesAttributes", slot_->GetSlotEndFacesAttributes()},
      {"NotchFacesAttributes", slot_->GetNotchFacesAttributes()},
      {"OverhangFacesAttributes", slot_->GetOverhangFacesAttributes()},
      {"Target", slot_->GetTarget()},
      {"Locations", slot_->GetLocations()},
      {"LocationOffsetDirection", slot_->GetLocationOffsetDirection()},
      {"BasePlane", slot_->GetBasePlane()},
      {"DieCenterlineCoordinateSystem", slot_->GetDieCenterlineCoordinateSystem()},
      {"OrientationPlane", slot_->GetOrientationPlane()},
      {"FlangeBaseProfile", slot_->GetFlangeBaseProfile()}};
  for (const auto& [key, object] : keys) {
    ValuePtr value = Get("Die.ClampingSlotBuilder", slot_, key);
    EXPECT_TRUE(value != nullptr && value->GetType() == Property::ValueType::kSubobject) << key;
    if (value != nullptr && value->GetType() == Property::ValueType::kSubobject) {
      EXPECT_EQ(value->GetSubobject(), object) << key;
    }
  }
}

TEST_F(SlotClearanceBooleanOwners, ClampingSlotListWithoutAnObjectHoldsItsThirtyFourEntriesFirst) {
  Property::List list;
  OwnerOf("Die.ClampingSlotBuilder")->GetProperties(nullptr, list);
  const char* names[] = {"Target", "Locations", "LocationOffsetDirection", "BasePlane",
                         "DieCenterlineCoordinateSystem", "OrientationPlane", "FlangeBaseProfile", "CenterlineLength",
                         "InnerWidth", "SlotWidth", "SlotLength", "TopLength", "SlotRadius", "PadWidth", "PadHeight",
                         "PadLength", "PadRadius", "Overhang", "NotchWidth", "NotchHeight", "NotchAngle",
                         "FlangeThickness", "OffsetWidth", "LocationOnFlange", "LocationOffset", "PadOffset",
                         "PadFacesAttributes", "SlotFacesAttributes", "SlotEndFacesAttributes",
                         "NotchFacesAttributes", "OverhangFacesAttributes", "DistanceTolerance", "AngleTolerance",
                         "Type"};
  ASSERT_GT(list.GetCount(), 34);
  int subobjects = 0;
  for (int i = 0; i < 34; ++i) {
    EXPECT_STREQ(list.GetNameByIndex(i), names[i]) << i;
    Property::Value* v = list.GetPropertyByIndex(i);
    if (v->GetType() == Property::ValueType::kSubobject) {
      ++subobjects;
      EXPECT_EQ(v->GetSubobject(), nullptr) << i;
    }
  }
  EXPECT_EQ(subobjects, 30);
  EXPECT_FALSE(list.GetProperty("LocationOnFlange")->GetLogical());
  EXPECT_EQ(list.GetProperty("DistanceTolerance")->GetDouble(), 0.0);
  EXPECT_EQ(list.GetProperty("AngleTolerance")->GetDouble(), 0.0);
  EXPECT_STREQ(static_cast<Property::Enum*>(list.GetProperty("Type"))->GetMemberName(), "Hydraulic");
  EXPECT_STREQ(static_cast<Property::Subobject*>(list.GetProperty("DieCenterlineCoordinateSystem"))->GetClassName(),
               "SelectCartesianCoordinateSystem");
  EXPECT_STREQ(static_cast<Property::Subobject*>(list.GetProperty("Locations"))->GetClassName(),
               "Die.DieLocationsBuilder");
  EXPECT_STREQ(list.GetNameByIndex(34), "Editing");  // then the parent's
}

TEST_F(SlotClearanceBooleanOwners, ClearanceSectionIsASubobjectOfClassSection) {
  ValuePtr section = Get("Die.ClearanceBuilder", clearance_, "Section");
  ASSERT_EQ(section->GetType(), Property::ValueType::kSubobject);
  EXPECT_STREQ(ClassOf(section), "Section");
  EXPECT_EQ(section->GetSubobject(), clearance_->GetSection());
  EXPECT_STREQ(ClassOf(Get("Die.ClearanceBuilder", clearance_, "target")), "SelectBody");
  EXPECT_STREQ(ClassOf(Get("Die.ClearanceBuilder", clearance_, "Geometry")), "SelectBodyList");
  ValuePtr kind = Get("Die.ClearanceBuilder", clearance_, "clearance_geometry_type");
  ASSERT_EQ(kind->GetType(), Property::ValueType::kEnum);
  EXPECT_STREQ(static_cast<Property::Enum&>(*kind).GetMemberName(), "Solid");

  static Property::EnumMembers types{"Gage,Gripper,Lifter"};
  ValuePtr lifter = Property::MakeEnum(types, 2);
  ExpectSameRecord([&] { clearance_->SetType(DieDesJA::JA_CLEARANCE_BUILDER_Types_Gage); },
                   [&] { return OwnerOf("Die.ClearanceBuilder")->SetProperty(clearance_, "Type", lifter.get()); },
                   [&] { return XJA_CLEARANCE_BUILDER_set_Type(clearance_, 2); });
  EXPECT_EQ(clearance_->GetType(), DieDesJA::JA_CLEARANCE_BUILDER_Types_Lifter);
}

TEST_F(SlotClearanceBooleanOwners, RoughDataNamesValuesAndWrites) {
  ValuePtr camel = Get("Die.CompensateRoughDataBuilder", rough_, "CurveCollector");
  ValuePtr snake = Get("Die.CompensateRoughDataBuilder", rough_, "curve_collector");
  EXPECT_EQ(camel->GetSubobject(), snake->GetSubobject());
  EXPECT_EQ(camel->GetSubobject(), rough_->GetCurveCollector());
  EXPECT_STREQ(ClassOf(Get("Die.CompensateRoughDataBuilder", rough_, "project_to_faces")), "ScCollector");

  ValuePtr exact = Property::MakeEnum(approximations, 3);
  ExpectSameRecord(
      [&] { rough_->SetApproximation(DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Coarse); },
      [&] { return OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(rough_, "Approximation", exact.get()); },
      [&] {
        auto* journalled = static_cast<Die_CompensateRoughDataBuilder_Interface*>(
            JAM::ClassInitializer::GetJournalledInterface("Die.CompensateRoughDataBuilder"));
        return journalled->SetApproximation(rough_, 3);
      });
  EXPECT_EQ(rough_->GetApproximation(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Exact);

  ValuePtr gap = Property::MakeDouble(2.5);
  ExpectSameRecord([&] { rough_->SetMaximumGap(0); },
                   [&] { return OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(rough_, "maximum_gap", gap.get()); },
                   [&] { return XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_maximum_gap(rough_, 2.5); });
  EXPECT_EQ(Get("Die.CompensateRoughDataBuilder", rough_, "MaximumGap")->GetDouble(), 2.5);

  // Read-only: handed to the parent, which writes nothing either.
  ValuePtr anything = Property::MakeDouble(1.0);
  EXPECT_EQ(OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(rough_, "SheetBodies", anything.get()),
            Property::kUnknownProperty);
  EXPECT_TRUE(JAM::Recorded().size() == 1u && JAM::Recorded()[0].member == "MaximumGap");

  Property::List list;
  OwnerOf("Die.CompensateRoughDataBuilder")->GetProperties(nullptr, list);
  EXPECT_STREQ(list.GetNameByIndex(5), "Approximation");
  EXPECT_STREQ(static_cast<Property::Enum*>(list.GetPropertyByIndex(5))->GetMemberName(), "Coarse");
  EXPECT_STREQ(list.GetNameByIndex(9), "Type");
  EXPECT_STREQ(list.GetNameByIndex(10), "Editing");
}

TEST_F(SlotClearanceBooleanOwners, AnEditedRoughDataTypeWrittenThroughTheOwnerRaisesPropErr) {
  auto* record = stamvik_test::RoughSheetFeature();
  auto* editing = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  static Property::EnumMembers types{"SheetBody,Curve"};
  ValuePtr curve = Property::MakeEnum(types, 1);
  try {
    OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(editing, "Type", curve.get());
    ADD_FAILURE() << "no error";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 3030446);
    EXPECT_EQ(e.text(), "prop err");
    EXPECT_EQ(e.file(), "drv/stamvik/no/ind/Die_CompensateRoughDataBuilderPropertyOwner");
  }
  EXPECT_EQ(editing->GetType(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].status, 3030446);
  editing->destroy();
  record->destroy();
}

TEST_F(SlotClearanceBooleanOwners, DieBooleanOptionsBySnakeNameAndItsReadOnlySelection) {
  ValuePtr intersect = Property::MakeEnum(booleanTypes, 2);
  ExpectSameRecord(
      [&] { boolean_->SetBooleanOptions(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite); },
      [&] { return OwnerOf("Die.DieBooleanBuilder")->SetProperty(boolean_, "boolean_options", intersect.get()); },
      [&] { return XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(boolean_, 2); });
  EXPECT_EQ(boolean_->GetBooleanOptions(), DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect);
  EXPECT_STREQ(static_cast<Property::Enum&>(*Get("Die.DieBooleanBuilder", boolean_, "BooleanOptions")).GetMemberName(),
               "Intersect");

  JAM::ClearJournal();
  ValuePtr anything = Property::MakeDouble(1.0);
  EXPECT_EQ(OwnerOf("Die.DieBooleanBuilder")->SetProperty(boolean_, "SelectBodies", anything.get()),
            Property::kUnknownProperty);
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_STREQ(ClassOf(Get("Die.DieBooleanBuilder", boolean_, "select_bodies")), "SelectBrenvikObjectList");

  Property::List list;
  OwnerOf("Die.DieBooleanBuilder")->GetProperties(boolean_, list);
  ASSERT_GE(list.GetCount(), 3);
  EXPECT_STREQ(list.GetNameByIndex(0), "BooleanOptions");
  EXPECT_STREQ(list.GetNameByIndex(1), "SelectBodies");
  EXPECT_STREQ(list.GetNameByIndex(2), "Tag");  // then the "TaggedObject" owner's
}

TEST_F(SlotClearanceBooleanOwners, OwnersLoadBeforeTheJournalingUnitsInAlphabeticalOrder) {
  std::vector<std::string> names;
  for (const char* n : Stamvik::LoadOrderNames()) names.push_back(n);
  auto at = [&](const std::string& name) {
    auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? -1L : static_cast<long>(it - names.begin());
  };
  std::vector<long> order = {at("owner Die.CastRelief"),      at("owner Die.ClampingSlotBuilder"),
                             at("owner Die.ClampingSlot"),    at("owner Die.ClearanceBuilder"),
                             at("owner Die.Clearance"),       at("owner Die.CompensateRoughDataBuilder"),
                             at("owner Die.DieBooleanBuilder")};
  for (std::size_t i = 1; i < order.size(); ++i) EXPECT_EQ(order[i], order[i - 1] + 1) << i;
  EXPECT_LT(order.back(), at("journal Die.CastReliefBuilder"));
}

// ---- journal text and replay ---------------------------------------------------------------------

TEST_F(SlotClearanceBooleanJournal, ARecordedJournalReplaysToTheSameJournal) {
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_distance_tolerance(slot_, 1.0 / 3.0), 0);
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, 1), 0);
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_set_Type(clearance_, 2), 0);
  ASSERT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_maximum_gap(rough_, 0.125), 0);
  ASSERT_EQ(XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(boolean_, 1), 0);
  EXP_expression* width = nullptr;
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_slot_width(slot_, &width), 0);

  std::string text = JAM::WriteJournal(JAM::Recorded());
  JAM::Journal read = JAM::ReadJournal(text);
  EXPECT_EQ(read, JAM::Recorded());

  slot_->SetDistanceTolerance(0);
  JAM::ClearJournal();
  EXPECT_EQ(JAM::ReplayJournal(read), std::vector<int>(6, 0));
  EXPECT_EQ(JAM::WriteJournal(JAM::Recorded()), text);
  EXPECT_EQ(slot_->GetDistanceTolerance(), 1.0 / 3.0);
}

}  // namespace
