// The scripting classes of the fill-area, finger-clearance-notch, die-shoe,
// handling-core and heel-post builders: exports, interface ids, set-up
// orders, defaults in both unit systems, test prints, journal records and the
// heel post's exclusive wall reliefs. Every expected name, order and text is
// written out by hand from the classes' published descriptions.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "TestSupport.hpp"
#include "ja_die_die_shoe_builder_jam.hpp"
#include "ja_die_fill_area_builder_jam.hpp"
#include "ja_die_finger_clearance_notch_builder_jam.hpp"
#include "ja_die_handling_core_builder_jam.hpp"
#include "ja_die_heelpost_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"

using namespace KTX;
using DieDes::DieShoeBuilder;
using DieDesJA::FillAreaBuilder;
using DieDesJA::FingerClearanceNotchBuilder;
using DieDesJA::HandlingCoreBuilder;
using DieDesJA::HeelpostBuilder;
using Property::ValuePtr;
using stamvik_test::AlreadySetUp;
using stamvik_test::DynamicSymbols;
using stamvik_test::ExpectInterfaceId;
using stamvik_test::HostTest;
using stamvik_test::JamCalls;
using stamvik_test::JamTest;
using stamvik_test::NamedWrites;
using stamvik_test::OwnerRecorder;
using stamvik_test::Paused;
using stamvik_test::WriteBackAll;

// The exports as a script declares them.
namespace {

std::vector<std::string> Prefixed(const std::string& prefix, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& n : names) out.push_back(prefix + n);
  return out;
}
std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- exports -----------------------------------------------------------------------

std::set<std::string> ExportsOf(const std::set<std::string>& symbols, const std::string& prefix) {
  std::set<std::string> out;
  for (const std::string& s : symbols)
    if (s.rfind(prefix, 0) == 0) out.insert(s);
  return out;
}

TEST(FillNotchShoeCoreHeelPostExports, EachClassExportsExactlyItsMemberTable) {
  std::set<std::string> symbols = DynamicSymbols();
  ASSERT_FALSE(symbols.empty());

  std::set<std::string> fill = stamvik_test::Prefixed(
      "XJA_FILL_AREA_BUILDER_",
      {"get_Target", "get_Boundary", "get_BaseOrientation", "get_UpperLimitType", "set_UpperLimitType",
       "get_UpperLimitSheet", "get_UpperLimitPlane", "get_LowerLimitSheet", "get_LowerLimitOffset",
       "get_DistanceTolerance", "set_DistanceTolerance", "get_AngleTolerance", "set_AngleTolerance", "get_Type",
       "set_Type"});
  EXPECT_EQ(fill.size(), 15u);
  EXPECT_EQ(ExportsOf(symbols, "XJA_FILL_AREA_BUILDER_"), fill);

  std::set<std::string> notch = stamvik_test::Prefixed(
      "XJA_FINGER_CLEARANCE_NOTCH_BUILDER_",
      {"get_Target", "get_Section", "get_ExtrudeWidth", "get_Geometry", "get_ReverseDirection",
       "set_ReverseDirection", "get_BaseOrientation", "get_ClearanceDirection", "get_Width", "get_Depth",
       "get_Attributes", "get_DistanceTolerance", "set_DistanceTolerance", "get_AngleTolerance",
       "set_AngleTolerance", "get_Type", "set_Type"});
  EXPECT_EQ(notch.size(), 17u);
  EXPECT_EQ(ExportsOf(symbols, "XJA_FINGER_CLEARANCE_NOTCH_BUILDER_"), notch);

  std::set<std::string> shoe = stamvik_test::Prefixed(
      "XJA_DIE_SHOE_BUILDER_",
      {"get_base_orientation", "get_base_flange_section", "get_main_deck_section", "get_main_deck_plane",
       "get_main_deck_offset", "get_deck_cutouts_section", "get_centerline_slot_create",
       "set_centerline_slot_create", "get_centerline_slot_depth", "get_centerline_slot_width",
       "get_centerline_slot_direction", "get_centerline_slot_attributes", "get_die_booleans_list",
       "get_flange_thickness", "get_wall_thickness", "get_deck_thickness", "get_main_deck_attributes",
       "get_base_attributes", "get_distance_tolerance", "set_distance_tolerance", "get_angle_tolerance",
       "set_angle_tolerance"});
  EXPECT_EQ(shoe.size(), 22u);
  EXPECT_EQ(ExportsOf(symbols, "XJA_DIE_SHOE_BUILDER_"), shoe);

  std::set<std::string> core = stamvik_test::Prefixed(
      "XJA_HANDLING_CORE_BUILDER_",
      {"get_Target", "get_Location", "get_CoreOrientation", "get_BaseOrientation", "get_Height", "get_Width",
       "get_Clearance", "get_Depth", "get_DistanceTolerance", "set_DistanceTolerance", "get_AngleTolerance",
       "set_AngleTolerance", "get_Type", "set_Type"});
  EXPECT_EQ(core.size(), 14u);
  EXPECT_EQ(ExportsOf(symbols, "XJA_HANDLING_CORE_BUILDER_"), core);

  std::vector<std::string> heelMembers = {
      "get_Target", "get_Center", "get_OffsetDirection", "get_LocationOffset", "get_BaseOrientation",
      "get_BaseOffset", "get_PadOrientation", "get_PadOffset", "get_DieCenterlineCoordinateSystem", "get_Length",
      "get_Width", "get_Height", "get_PadThickness", "get_CreateFloor", "set_CreateFloor", "get_FloorThickness",
      "get_Diameter", "get_XOffset", "get_YOffset", "get_ReliefWidth", "get_ReliefDepth", "get_UsePercent",
      "set_UsePercent", "get_WallPercentage"};
  for (const char* wall : {"A", "B", "C", "D"}) {
    std::string w = std::string("Wall") + wall;
    heelMembers = heelMembers + std::vector<std::string>{"get_" + w + "Create", "set_" + w + "Create",
                                                         "get_" + w + "Thickness", "get_" + w + "Offset",
                                                         "get_" + w + "Relief", "set_" + w + "Relief"};
  }
  heelMembers = heelMembers + std::vector<std::string>{"get_PadAttributes", "get_ReliefAttributes",
                                                       "get_HoleAttributes", "get_HoleDiameterAttributes",
                                                       "get_DistanceTolerance", "set_DistanceTolerance",
                                                       "get_AngleTolerance", "set_AngleTolerance",
                                                       "get_type", "set_type"};
  std::set<std::string> heel = stamvik_test::Prefixed("XJA_HEELPOST_BUILDER_", heelMembers);
  EXPECT_EQ(heel.size(), 58u);
  EXPECT_EQ(ExportsOf(symbols, "XJA_HEELPOST_BUILDER_"), heel);
  EXPECT_EQ(symbols.count("XJA_HEELPOST_BUILDER_get_Type"), 0u);
}

// ---- load registration --------------------------------------------------------------

TEST(FillNotchShoeCoreHeelPostLoad, EachBuilderUnitRegistersBeforeItsFeatureWithItsCreatorAndInterfaces) {
  const std::pair<std::string, std::string> pairs[] = {
      {"Die.DieShoeBuilder", "Die.DieShoe"},
      {"Die.FillAreaBuilder", "Die.FillArea"},
      {"Die.FingerClearanceNotchBuilder", "Die.FingerClearanceNotch"},
      {"Die.HandlingCoreBuilder", "Die.HandlingCore"},
      {"Die.HeelpostBuilder", "Die.Heelpost"},
  };
  std::vector<std::string> files = JAM::Test::FileInitializerNames();
  std::vector<std::string> classes = JAM::Test::ClassInitializerNames();
  std::vector<std::size_t> at;
  for (const auto& [builder, feature] : pairs) {
    auto b = std::find(files.begin(), files.end(), builder);
    ASSERT_NE(b, files.end()) << builder;
    ASSERT_NE(b + 1, files.end()) << builder;
    EXPECT_EQ(*(b + 1), feature);
    at.push_back(static_cast<std::size_t>(b - files.begin()));
    EXPECT_EQ(std::count(classes.begin(), classes.end(), builder), 1) << builder;
    EXPECT_EQ(std::count(classes.begin(), classes.end(), feature), 0) << feature;
  }
  EXPECT_TRUE(std::is_sorted(at.begin(), at.end()));

  std::vector<std::string> creators = JAM::Test::CreatorMethodNames();
  for (const char* name : {"Die.DieCollection CreateFillAreaBuilder", "Die.DieCollection CreateFingerClearanceNotchBuilder",
                           "Die.DieCollection DieShoe", "Die.DieCollection CreateHandlingCoreBuilder",
                           "Die.DieCollection Heelpost"})
    EXPECT_EQ(std::count(creators.begin(), creators.end(), name), 1) << name;
}

// ---- interfaces ------------------------------------------------------------------------

TEST(FillNotchShoeCoreHeelPostInterfaces, OperationZeroAnswersEachClassesInterfaceId) {
  ExpectInterfaceId<Die_FillAreaBuilder_Interface>("Die.FillAreaBuilder", 0x9D1F9021u);
  ExpectInterfaceId<Die_FingerClearanceNotchBuilder_Interface>("Die.FingerClearanceNotchBuilder", 0x92A5131Eu);
  ExpectInterfaceId<Die_DieShoeBuilder_Interface>("Die.DieShoeBuilder", 0xBCB073E9u);
  ExpectInterfaceId<Die_HandlingCoreBuilder_Interface>("Die.HandlingCoreBuilder", 0x015B8373u);
  ExpectInterfaceId<Die_HeelpostBuilder_Interface>("Die.HeelpostBuilder", 0x6C55C872u);
}

// ---- set-up --------------------------------------------------------------------------------
// Each case runs first in its process (each test runs alone under ctest). The
// dependencies are set up beforehand, so that the class's own calls are the
// only ones logged.

class FillNotchShoeCoreHeelPostSetUp : public JamTest {
 protected:
  // Sets the class up by name and returns what it called, the request included.
  std::vector<std::string> SetUpClass(const char* journalClass, const std::vector<std::string>& dependencies) {
    if (AlreadySetUp(journalClass)) return {};
    for (const std::string& d : dependencies) JAM::FileInitializer::Initialize(d.c_str());
    Host::ClearCalls();
    JAM::FileInitializer::Initialize(journalClass);
    std::vector<std::string> calls = JamCalls(false);
    // Set up once: asking again runs nothing more.
    Host::ClearCalls();
    JAM::FileInitializer::Initialize(journalClass);
    EXPECT_EQ(JamCalls(false), std::vector<std::string>{std::string("FileInitializer::Initialize ") + journalClass});
    return calls;
  }
};

#define SKIP_WHEN_SET_UP(calls) \
  if ((calls).empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process"

TEST_F(FillNotchShoeCoreHeelPostSetUp, FillAreaInItsOrder) {
  std::vector<std::string> deps = {"Die.DiePlaneBuilder", "Expression", "Section", "SelectObject"};
  std::vector<std::string> calls = SetUpClass("Die.FillAreaBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.FillAreaBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ",
               {"Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder", "Section"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
          "JAM_lookup_or_create_enum Die.FillAreaBuilder.Types 4",
          "JAM_lookup_or_create_enum Die.FillAreaBuilder.UpperLimitTypes 4",
          "JAM_add_enum_member Die.FillAreaBuilder.Types BaseFlange 0",
          "JAM_add_enum_member Die.FillAreaBuilder.Types ProductContact 1",
          "JAM_add_enum_member Die.FillAreaBuilder.Types ScrapArea 2",
          "JAM_add_enum_member Die.FillAreaBuilder.Types UserDefined 3",
          "JAM_add_enum_member Die.FillAreaBuilder.UpperLimitTypes Sheet 0",
          "JAM_add_enum_member Die.FillAreaBuilder.UpperLimitTypes Plane 1",
          "JAM_create_class Die.FillAreaBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.FillAreaBuilder",
          "JAM_register_initialisation_function Die.FillAreaBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.FillAreaBuilder ",
               {"BaseOrientation 0 1", "Boundary 0 1", "LowerLimitOffset 0 1", "LowerLimitSheet 0 1", "Target 0 1",
                "UpperLimitPlane 0 1", "UpperLimitSheet 0 1"});
  EXPECT_EQ(calls, expected);
}

TEST_F(FillNotchShoeCoreHeelPostSetUp, FingerClearanceNotchInItsOrder) {
  std::vector<std::string> deps = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder",
                                   "Expression", "Section", "SelectObject", "SelectObjectList"};
  std::vector<std::string> calls = SetUpClass("Die.FingerClearanceNotchBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.FingerClearanceNotchBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ", {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                               "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder",
                                               "Section"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
          "JAM_lookup_or_create_template_class SelectBrenvikObjectList SelectObjectList BrenvikObject",
          "JAM_lookup_or_create_enum Die.FingerClearanceNotchBuilder.Types 4",
          "JAM_add_enum_member Die.FingerClearanceNotchBuilder.Types Section 0",
          "JAM_add_enum_member Die.FingerClearanceNotchBuilder.Types Face 1",
          "JAM_add_enum_member Die.FingerClearanceNotchBuilder.Types SheetBody 2",
          "JAM_create_class Die.FingerClearanceNotchBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.FingerClearanceNotchBuilder",
          "JAM_register_initialisation_function Die.FingerClearanceNotchBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.FingerClearanceNotchBuilder ",
               {"Attributes 0 1", "BaseOrientation 0 1", "ClearanceDirection 0 1", "Depth 0 1", "ExtrudeWidth 0 1",
                "Geometry 0 1", "Section 0 1", "Target 0 1", "Width 0 1"});
  EXPECT_EQ(calls, expected);
}

TEST_F(FillNotchShoeCoreHeelPostSetUp, DieShoeInItsOrderWithItsDefaultsFunction) {
  std::vector<std::string> deps = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder",
                                   "Expression", "ObjectList", "Section"};
  std::vector<std::string> calls = SetUpClass("Die.DieShoeBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.DieShoeBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ", {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                               "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder",
                                               "Section"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class Die.DieBooleanBuilderList ObjectList Die.DieBooleanBuilder",
          "JAM_create_class Die.DieShoeBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.DieShoeBuilder",
          "JAM_register_initialisation_function Die.DieShoeBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.DieShoeBuilder ",
               {"BaseAttributes 0 1", "BaseFlangeSection 0 1", "BaseOrientation 0 1", "CenterlineSlotAttributes 0 1",
                "CenterlineSlotDepth 0 1", "CenterlineSlotDirection 0 1", "CenterlineSlotWidth 0 1",
                "DeckCutoutsSection 0 1", "DeckThickness 0 1", "DieBooleansList 0 1", "FlangeThickness 0 1",
                "MainDeckAttributes 0 1", "MainDeckOffset 0 1", "MainDeckPlane 0 1", "MainDeckSection 0 1",
                "WallThickness 0 1"});
  EXPECT_EQ(calls, expected);
}

TEST_F(FillNotchShoeCoreHeelPostSetUp, HandlingCoreInItsOrder) {
  std::vector<std::string> deps = {"Die.DieLocationsBuilder", "Die.DiePlaneBuilder", "Expression", "SelectObject"};
  std::vector<std::string> calls = SetUpClass("Die.HandlingCoreBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.HandlingCoreBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ",
               {"Die.DieLocationsBuilder", "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
          "JAM_lookup_or_create_enum Die.HandlingCoreBuilder.Types 4",
          "JAM_add_enum_member Die.HandlingCoreBuilder.Types AtLocation 0",
          "JAM_add_enum_member Die.HandlingCoreBuilder.Types FromBase 1",
          "JAM_add_enum_member Die.HandlingCoreBuilder.Types MapFromBase 2",
          "JAM_create_class Die.HandlingCoreBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.HandlingCoreBuilder",
          "JAM_register_initialisation_function Die.HandlingCoreBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.HandlingCoreBuilder ",
               {"BaseOrientation 0 1", "Clearance 0 1", "CoreOrientation 0 1", "Depth 0 1", "Height 0 1",
                "Location 0 1", "Target 0 1", "Width 0 1"});
  EXPECT_EQ(calls, expected);
}

TEST_F(FillNotchShoeCoreHeelPostSetUp, HeelpostLooksUpItsCoordinateSystemTemplateFirst) {
  std::vector<std::string> deps = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationBuilder",
                                   "Die.DiePlaneBuilder", "Expression", "SelectObject"};
  std::vector<std::string> calls = SetUpClass("Die.HeelpostBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> accessors = {
      "BaseOffset",     "BaseOrientation", "Center",         "Diameter",       "DieCenterlineCoordinateSystem",
      "FloorThickness", "Height",          "HoleAttributes", "HoleDiameterAttributes",
      "Length",         "LocationOffset",  "OffsetDirection", "PadAttributes", "PadOffset",
      "PadOrientation", "PadThickness",    "ReliefAttributes", "ReliefDepth",  "ReliefWidth",
      "Target",         "WallAOffset",     "WallAThickness", "WallBOffset",    "WallBThickness",
      "WallCOffset",    "WallCThickness",  "WallDOffset",    "WallDThickness", "WallPercentage",
      "Width",          "XOffset",         "YOffset"};
  ASSERT_EQ(accessors.size(), 32u);
  for (std::string& a : accessors) a += " 0 1";
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.HeelpostBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ", {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                               "Die.DieLocationBuilder", "Die.DiePlaneBuilder", "Expression",
                                               "Features.FeatureBuilder"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectCoordinateSystem SelectObject CoordinateSystem",
          "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
          "JAM_lookup_or_create_enum Die.HeelpostBuilder.Types 4",
          "JAM_add_enum_member Die.HeelpostBuilder.Types GuidepostWearplate 0",
          "JAM_add_enum_member Die.HeelpostBuilder.Types StorageBlock 1",
          "JAM_add_enum_member Die.HeelpostBuilder.Types SafetyBlock 2",
          "JAM_create_class Die.HeelpostBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.HeelpostBuilder",
          "JAM_register_initialisation_function Die.HeelpostBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.HeelpostBuilder ", accessors);
  EXPECT_EQ(calls, expected);
}

// ---- builders ----------------------------------------------------------------------------

class FillNotchShoeCoreHeelPostBuilders : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    fill_ = DieDesJA::FillAreaBuilderFactory::Create(modelPart(), nullptr);
    notch_ = DieDesJA::FingerClearanceNotchBuilderFactory::Create(modelPart(), nullptr);
    shoe_ = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    core_ = DieDesJA::HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
    heel_ = DieDesJA::HeelpostBuilderFactory::Create(modelPart(), nullptr);
    // The classes are set up before the cases look at their calls.
    for (const char* c : {"Die.FillAreaBuilder", "Die.FingerClearanceNotchBuilder", "Die.DieShoeBuilder",
                          "Die.HandlingCoreBuilder", "Die.HeelpostBuilder"})
      JAM::FileInitializer::Initialize(c);
    JAM::ClearJournal();
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    for (OM::TaggedObject* b : std::initializer_list<OM::TaggedObject*>{fill_, notch_, shoe_, core_, heel_}) b->destroy();
    JamTest::TearDown();
  }
  static std::string TagOf(const OM::TaggedObject* o) { return std::to_string(o->ask_tag()); }

  FillAreaBuilder* fill_ = nullptr;
  FingerClearanceNotchBuilder* notch_ = nullptr;
  DieShoeBuilder* shoe_ = nullptr;
  HandlingCoreBuilder* core_ = nullptr;
  HeelpostBuilder* heel_ = nullptr;
};

// Each scripting member reaches the heel post's own field: twenty-two
// different expressions, and each of ten flags set alone through its member
// reads true in its own field and through its own member only.
TEST_F(FillNotchShoeCoreHeelPostBuilders, EachHeelpostMemberReachesItsOwnField) {
  struct Expression {
    const char* name;
    int (*get)(HeelpostBuilder*, EXP_expression**);
    EXP_expression* (HeelpostBuilder::*field)() const;
  };
  const Expression expressions[] = {
      {"LocationOffset", XJA_HEELPOST_BUILDER_get_LocationOffset, &HeelpostBuilder::GetLocationOffset},
      {"BaseOffset", XJA_HEELPOST_BUILDER_get_BaseOffset, &HeelpostBuilder::GetBaseOffset},
      {"PadOffset", XJA_HEELPOST_BUILDER_get_PadOffset, &HeelpostBuilder::GetPadOffset},
      {"Length", XJA_HEELPOST_BUILDER_get_Length, &HeelpostBuilder::GetLength},
      {"Width", XJA_HEELPOST_BUILDER_get_Width, &HeelpostBuilder::GetWidth},
      {"Height", XJA_HEELPOST_BUILDER_get_Height, &HeelpostBuilder::GetHeight},
      {"PadThickness", XJA_HEELPOST_BUILDER_get_PadThickness, &HeelpostBuilder::GetPadThickness},
      {"FloorThickness", XJA_HEELPOST_BUILDER_get_FloorThickness, &HeelpostBuilder::GetFloorThickness},
      {"Diameter", XJA_HEELPOST_BUILDER_get_Diameter, &HeelpostBuilder::GetDiameter},
      {"XOffset", XJA_HEELPOST_BUILDER_get_XOffset, &HeelpostBuilder::GetXOffset},
      {"YOffset", XJA_HEELPOST_BUILDER_get_YOffset, &HeelpostBuilder::GetYOffset},
      {"ReliefWidth", XJA_HEELPOST_BUILDER_get_ReliefWidth, &HeelpostBuilder::GetReliefWidth},
      {"ReliefDepth", XJA_HEELPOST_BUILDER_get_ReliefDepth, &HeelpostBuilder::GetReliefDepth},
      {"WallPercentage", XJA_HEELPOST_BUILDER_get_WallPercentage, &HeelpostBuilder::GetWallPercentage},
      {"WallAThickness", XJA_HEELPOST_BUILDER_get_WallAThickness, &HeelpostBuilder::GetWallAThickness},
      {"WallAOffset", XJA_HEELPOST_BUILDER_get_WallAOffset, &HeelpostBuilder::GetWallAOffset},
      {"WallBThickness", XJA_HEELPOST_BUILDER_get_WallBThickness, &HeelpostBuilder::GetWallBThickness},
      {"WallBOffset", XJA_HEELPOST_BUILDER_get_WallBOffset, &HeelpostBuilder::GetWallBOffset},
      {"WallCThickness", XJA_HEELPOST_BUILDER_get_WallCThickness, &HeelpostBuilder::GetWallCThickness},
      {"WallCOffset", XJA_HEELPOST_BUILDER_get_WallCOffset, &HeelpostBuilder::GetWallCOffset},
      {"WallDThickness", XJA_HEELPOST_BUILDER_get_WallDThickness, &HeelpostBuilder::GetWallDThickness},
      {"WallDOffset", XJA_HEELPOST_BUILDER_get_WallDOffset, &HeelpostBuilder::GetWallDOffset}};
  for (const Expression& e : expressions) {
    EXP_expression* got = nullptr;
    EXPECT_EQ(e.get(heel_, &got), 0) << e.name;
    EXPECT_EQ(got, (heel_->*e.field)()) << e.name;
  }
  struct Flag {
    const char* name;
    int (*get)(HeelpostBuilder*, bool*);
    int (*set)(HeelpostBuilder*, bool);
    bool (HeelpostBuilder::*field)() const;
  };
  const Flag flags[] = {
      {"UsePercent", XJA_HEELPOST_BUILDER_get_UsePercent, XJA_HEELPOST_BUILDER_set_UsePercent, &HeelpostBuilder::GetUsePercent},
      {"CreateFloor", XJA_HEELPOST_BUILDER_get_CreateFloor, XJA_HEELPOST_BUILDER_set_CreateFloor, &HeelpostBuilder::GetCreateFloor},
      {"WallACreate", XJA_HEELPOST_BUILDER_get_WallACreate, XJA_HEELPOST_BUILDER_set_WallACreate, &HeelpostBuilder::GetWallACreate},
      {"WallARelief", XJA_HEELPOST_BUILDER_get_WallARelief, XJA_HEELPOST_BUILDER_set_WallARelief, &HeelpostBuilder::GetWallARelief},
      {"WallBCreate", XJA_HEELPOST_BUILDER_get_WallBCreate, XJA_HEELPOST_BUILDER_set_WallBCreate, &HeelpostBuilder::GetWallBCreate},
      {"WallBRelief", XJA_HEELPOST_BUILDER_get_WallBRelief, XJA_HEELPOST_BUILDER_set_WallBRelief, &HeelpostBuilder::GetWallBRelief},
      {"WallCCreate", XJA_HEELPOST_BUILDER_get_WallCCreate, XJA_HEELPOST_BUILDER_set_WallCCreate, &HeelpostBuilder::GetWallCCreate},
      {"WallCRelief", XJA_HEELPOST_BUILDER_get_WallCRelief, XJA_HEELPOST_BUILDER_set_WallCRelief, &HeelpostBuilder::GetWallCRelief},
      {"WallDCreate", XJA_HEELPOST_BUILDER_get_WallDCreate, XJA_HEELPOST_BUILDER_set_WallDCreate, &HeelpostBuilder::GetWallDCreate},
      {"WallDRelief", XJA_HEELPOST_BUILDER_get_WallDRelief, XJA_HEELPOST_BUILDER_set_WallDRelief, &HeelpostBuilder::GetWallDRelief}};
  for (const Flag& on : flags) {
    SCOPED_TRACE(on.name);
    for (const Flag& f : flags) EXPECT_EQ(f.set(heel_, &f == &on), 0) << f.name;
    for (const Flag& f : flags) {
      bool got = !(&f == &on);
      EXPECT_EQ(f.get(heel_, &got), 0) << f.name;
      EXPECT_EQ(got, &f == &on) << f.name;
      EXPECT_EQ((heel_->*f.field)(), &f == &on) << f.name;
    }
  }
}

// Each scripting member reaches the die shoe's own field: six expressions,
// three sections, three attribute sub-builders and two planes, all different.
TEST_F(FillNotchShoeCoreHeelPostBuilders, EachDieShoeMemberReachesItsOwnField) {
  auto expect = [&](const auto& members) {
    for (const auto& m : members) {
      decltype((shoe_->*m.field)()) got = nullptr;
      EXPECT_EQ(m.get(shoe_, &got), 0) << m.name;
      EXPECT_EQ(got, (shoe_->*m.field)()) << m.name;
    }
  };
  struct ExpressionsRow {
    const char* name;
    int (*get)(DieShoeBuilder*, EXP_expression**);
    EXP_expression* (DieShoeBuilder::*field)() const;
  };
  const ExpressionsRow expressions[] = {
      {"main_deck_offset", XJA_DIE_SHOE_BUILDER_get_main_deck_offset, &DieShoeBuilder::GetMainDeckOffset},
      {"centerline_slot_depth", XJA_DIE_SHOE_BUILDER_get_centerline_slot_depth, &DieShoeBuilder::GetCenterlineSlotDepth},
      {"centerline_slot_width", XJA_DIE_SHOE_BUILDER_get_centerline_slot_width, &DieShoeBuilder::GetCenterlineSlotWidth},
      {"flange_thickness", XJA_DIE_SHOE_BUILDER_get_flange_thickness, &DieShoeBuilder::GetFlangeThickness},
      {"wall_thickness", XJA_DIE_SHOE_BUILDER_get_wall_thickness, &DieShoeBuilder::GetWallThickness},
      {"deck_thickness", XJA_DIE_SHOE_BUILDER_get_deck_thickness, &DieShoeBuilder::GetDeckThickness}};
  expect(expressions);
  struct SectionsRow {
    const char* name;
    int (*get)(DieShoeBuilder*, SC_section**);
    SC_section* (DieShoeBuilder::*field)() const;
  };
  const SectionsRow sections[] = {
      {"base_flange_section", XJA_DIE_SHOE_BUILDER_get_base_flange_section, &DieShoeBuilder::GetBaseFlangeSectionPtr},
      {"main_deck_section", XJA_DIE_SHOE_BUILDER_get_main_deck_section, &DieShoeBuilder::GetMainDeckSectionPtr},
      {"deck_cutouts_section", XJA_DIE_SHOE_BUILDER_get_deck_cutouts_section, &DieShoeBuilder::GetDeckCutoutsSectionPtr}};
  expect(sections);
  struct AttributesRow {
    const char* name;
    int (*get)(DieShoeBuilder*, DieDes::DieAttributesBuilder**);
    DieDes::DieAttributesBuilder* (DieShoeBuilder::*field)() const;
  };
  const AttributesRow attributes[] = {
      {"centerline_slot_attributes", XJA_DIE_SHOE_BUILDER_get_centerline_slot_attributes, &DieShoeBuilder::GetCenterlineSlotAttributes},
      {"main_deck_attributes", XJA_DIE_SHOE_BUILDER_get_main_deck_attributes, &DieShoeBuilder::GetMainDeckAttributes},
      {"base_attributes", XJA_DIE_SHOE_BUILDER_get_base_attributes, &DieShoeBuilder::GetBaseAttributes}};
  expect(attributes);
  struct PlanesRow {
    const char* name;
    int (*get)(DieShoeBuilder*, DieDes::DiePlaneBuilder**);
    DieDes::DiePlaneBuilder* (DieShoeBuilder::*field)() const;
  };
  const PlanesRow planes[] = {
      {"base_orientation", XJA_DIE_SHOE_BUILDER_get_base_orientation, &DieShoeBuilder::GetBaseOrientation},
      {"main_deck_plane", XJA_DIE_SHOE_BUILDER_get_main_deck_plane, &DieShoeBuilder::GetMainDeckPlane}};
  expect(planes);
}

// ---- journal records ----------------------------------------------------------------------

TEST_F(FillNotchShoeCoreHeelPostBuilders, HeelpostTypeExportsInLowerCaseButJournalsTheMemberType) {
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_type(heel_, 2), 0);
  EXPECT_EQ(heel_->GetType(), DieDesJA::JA_HEELPOST_BUILDER_types_SafetyBlock);
  std::vector<std::string> expected = {
      "JAM_start_property_call Die.HeelpostBuilder 2 Type",
      "JAM_this_ptr " + TagOf(heel_),
      "JAM_in_enum type=Die.HeelpostBuilder.Types:2",
      "JAM_end_of_arguments",
      "OM__log tag=" + TagOf(heel_),
      "JAM_end_call 0",
  };
  EXPECT_EQ(JamCalls(), expected);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& set = JAM::Recorded()[0];
  EXPECT_EQ(set.member, "Type");
  EXPECT_EQ(set.methodType, 2);
  ASSERT_EQ(set.values.size(), 1u);
  EXPECT_EQ(set.values[0].name, "type");
  EXPECT_EQ(set.values[0].type, "Die.HeelpostBuilder.Types");

  int type = -1;
  ASSERT_EQ(XJA_HEELPOST_BUILDER_get_type(heel_, &type), 0);
  EXPECT_EQ(type, 2);
  const JAM::Record& get = JAM::Recorded().at(1);
  EXPECT_EQ(get.member, "Type");
  EXPECT_EQ(get.methodType, 1);
  EXPECT_EQ(get.values.at(0).name, "type");
  EXPECT_EQ(get.values.at(0).integer, 2);
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, TypeSettersStoreValuesOutsideTheirEnumerations) {
  // The fill area goes through the builder's own type operations, the others
  // write the field; none of them rejects a value the journal passes.
  ASSERT_EQ(XJA_FILL_AREA_BUILDER_set_Type(fill_, 7), 0);
  EXPECT_EQ(static_cast<int>(fill_->GetType()), 7);
  int type = 0;
  ASSERT_EQ(XJA_FILL_AREA_BUILDER_get_Type(fill_, &type), 0);
  EXPECT_EQ(type, 7);
  ASSERT_EQ(XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_Type(notch_, 9), 0);
  EXPECT_EQ(static_cast<int>(notch_->GetType()), 9);
  ASSERT_EQ(XJA_HANDLING_CORE_BUILDER_set_Type(core_, -1), 0);
  EXPECT_EQ(static_cast<int>(core_->GetType()), -1);
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_type(heel_, 3), 0);
  EXPECT_EQ(static_cast<int>(heel_->GetType()), 3);
  ASSERT_EQ(XJA_FILL_AREA_BUILDER_set_UpperLimitType(fill_, 5), 0);
  EXPECT_EQ(static_cast<int>(fill_->GetUpperLimitType()), 5);

  ASSERT_EQ(JAM::Recorded().size(), 6u);
  EXPECT_EQ(JAM::Recorded()[2].values.at(0).name, "type");
  EXPECT_EQ(JAM::Recorded()[2].values.at(0).type, "Die.FingerClearanceNotchBuilder.Types");
  EXPECT_EQ(JAM::Recorded()[3].values.at(0).type, "Die.HandlingCoreBuilder.Types");
  EXPECT_EQ(JAM::Recorded()[5].member, "UpperLimitType");
  EXPECT_EQ(JAM::Recorded()[5].values.at(0).name, "upperlimittype");
  EXPECT_EQ(JAM::Recorded()[5].values.at(0).type, "Die.FillAreaBuilder.UpperLimitTypes");
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, SelectionResultsAreAssociatedWithTheirTemplateClasses) {
  SELECT_OBJECT* target = nullptr;
  ASSERT_EQ(XJA_FILL_AREA_BUILDER_get_Target(fill_, &target), 0);
  SELECT_OBJECT_list* geometry = nullptr;
  ASSERT_EQ(XJA_FINGER_CLEARANCE_NOTCH_BUILDER_get_Geometry(notch_, &geometry), 0);
  UICOMPJA_list* booleans = nullptr;
  ASSERT_EQ(XJA_DIE_SHOE_BUILDER_get_die_booleans_list(shoe_, &booleans), 0);
  SELECT_OBJECT* system = nullptr;
  ASSERT_EQ(XJA_HEELPOST_BUILDER_get_DieCenterlineCoordinateSystem(heel_, &system), 0);

  const JAM::Journal& j = JAM::Recorded();
  ASSERT_EQ(j.size(), 4u);
  const std::pair<const char*, const OM::TaggedObject*> expected[] = {
      {"SelectBody", target},
      {"SelectBrenvikObjectList", geometry},
      {"Die.DieBooleanBuilderList", booleans},
      {"SelectCoordinateSystem", system},
  };
  for (std::size_t i = 0; i < j.size(); ++i) {
    ASSERT_EQ(j[i].associations.size(), 1u) << i;
    EXPECT_EQ(j[i].associations[0].templateClass, expected[i].first);
    EXPECT_EQ(j[i].associations[0].tag, expected[i].second != nullptr ? expected[i].second->ask_tag() : 0u);
    EXPECT_EQ(j[i].values.at(0).type, expected[i].first);
  }
  EXPECT_EQ(j[2].member, "DieBooleansList");
  EXPECT_EQ(j[2].values.at(0).name, "diebooleanslist");
  EXPECT_EQ(j[3].values.at(0).name, "diecenterlinecoordinatesystem");
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, DieShoeSlotEightJournalledOrNot) {
  auto* journalled = static_cast<Die_DieShoeBuilder_Interface*>(
      JAM::ClassInitializer::GetJournalledInterface("Die.DieShoeBuilder"));
  auto* unjournalled = static_cast<Die_DieShoeBuilder_Interface*>(
      JAM::ClassInitializer::GetUnjournalledInterface("Die.DieShoeBuilder"));
  ASSERT_NE(journalled, nullptr);
  ASSERT_NE(unjournalled, nullptr);

  EXPECT_EQ(unjournalled->SetCenterlineSlotCreate(shoe_, true), 0);
  EXPECT_TRUE(shoe_->GetCenterlineSlotCreate());
  EXPECT_TRUE(JAM::Recorded().empty());

  EXPECT_EQ(journalled->SetCenterlineSlotCreate(shoe_, false), 0);
  EXPECT_FALSE(shoe_->GetCenterlineSlotCreate());
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& r = JAM::Recorded()[0];
  EXPECT_EQ(r.journalClass, "Die.DieShoeBuilder");
  EXPECT_EQ(r.member, "CenterlineSlotCreate");
  EXPECT_EQ(r.methodType, 2);
  EXPECT_EQ(r.values.at(0).name, "centerlineslotcreate");
  EXPECT_EQ(r.values.at(0).integer, 0);
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, DieShoeTolerancesStoreZeroAndNegativeValuesAsGiven) {
  for (double value : {0.0, -0.5}) {
    ASSERT_EQ(XJA_DIE_SHOE_BUILDER_set_distance_tolerance(shoe_, value), 0);
    double read = 1;
    ASSERT_EQ(XJA_DIE_SHOE_BUILDER_get_distance_tolerance(shoe_, &read), 0);
    EXPECT_EQ(read, value);
  }
  EXPECT_EQ(JAM::Recorded().at(0).member, "DistanceTolerance");
  EXPECT_EQ(JAM::Recorded().at(0).values.at(0).name, "distancetolerance");
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, ErrorsCarryEachUnitsSourceName) {
  JAM::Test::RaiseAt("JAM_end_of_arguments", 66);
  EXPECT_EQ(XJA_HEELPOST_BUILDER_set_WallARelief(heel_, true), 66);
  EXPECT_FALSE(heel_->GetWallARelief());
  JAM::Test::RaiseAt("JAM_end_of_arguments", 66);
  EXPECT_EQ(XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_ReverseDirection(notch_, true), 66);
  JAM::Test::RaiseAt("JAM_end_of_arguments", 66);
  EXPECT_EQ(XJA_DIE_SHOE_BUILDER_set_distance_tolerance(shoe_, 1), 66);
  ASSERT_EQ(Error::SevereErrors().size(), 3u);
  EXPECT_EQ(Error::SevereErrors()[0].file, "ja_die_heelpost_builder_jam");
  EXPECT_EQ(Error::SevereErrors()[1].file, "ja_die_finger_clearance_notch_builder_jam");
  EXPECT_EQ(Error::SevereErrors()[2].file, "ja_die_die_shoe_builder_jam");
  for (const Error::SevereRecord& e : Error::SevereErrors()) {
    EXPECT_TRUE(e.further);
    EXPECT_EQ(e.closeMode, 2);
  }
}

// ---- heel post: exclusive wall reliefs --------------------------------------------------------

struct Walls {
  bool relief[4];
  bool create[4];
};
Walls WallsOf(const HeelpostBuilder* h) {
  return {{h->GetWallARelief(), h->GetWallBRelief(), h->GetWallCRelief(), h->GetWallDRelief()},
          {h->GetWallACreate(), h->GetWallBCreate(), h->GetWallCCreate(), h->GetWallDCreate()}};
}
std::vector<bool> Reliefs(const HeelpostBuilder* h) {
  Walls w = WallsOf(h);
  return {w.relief[0], w.relief[1], w.relief[2], w.relief[3]};
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, SwitchingAWallReliefOnLeavesItTheOnlyOneAndTouchesNoCreateFlag) {
  heel_->SetWallACreate(true);
  heel_->SetWallBCreate(false);
  heel_->SetWallCCreate(true);
  heel_->SetWallDCreate(false);
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallARelief(heel_, true), 0);
  heel_->SetWallBRelief(true);  // set directly, outside the scripting rule
  heel_->SetWallDRelief(true);
  JAM::ClearJournal();

  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallCRelief(heel_, true), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, true, false}));
  Walls w = WallsOf(heel_);
  EXPECT_EQ(std::vector<bool>(w.create, w.create + 4), (std::vector<bool>{true, false, true, false}));
  // One record: the other walls' writes are the body's own, not journalled calls.
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "WallCRelief");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "wallcrelief");
  bool c = false;
  ASSERT_EQ(XJA_HEELPOST_BUILDER_get_WallCRelief(heel_, &c), 0);
  EXPECT_TRUE(c);
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, SwitchingAWallReliefOffNeverSwitchesAnotherOn) {
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallARelief(heel_, true), 0);
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallBRelief(heel_, false), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{true, false, false, false}));
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallARelief(heel_, false), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, false, false}));
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, EachWallsSetterClearsTheOtherThree) {
  using Setter = int (*)(HeelpostBuilder*, bool);
  const Setter setters[] = {&XJA_HEELPOST_BUILDER_set_WallARelief, &XJA_HEELPOST_BUILDER_set_WallBRelief,
                            &XJA_HEELPOST_BUILDER_set_WallCRelief, &XJA_HEELPOST_BUILDER_set_WallDRelief};
  for (int wall = 0; wall < 4; ++wall) {
    heel_->SetWallARelief(true);
    heel_->SetWallBRelief(true);
    heel_->SetWallCRelief(true);
    heel_->SetWallDRelief(true);
    ASSERT_EQ(setters[wall](heel_, true), 0);
    std::vector<bool> only(4, false);
    only[static_cast<std::size_t>(wall)] = true;
    EXPECT_EQ(Reliefs(heel_), only) << wall;
  }
  // From all off, switching one on changes only that one.
  heel_->SetWallARelief(false);
  heel_->SetWallBRelief(false);
  heel_->SetWallCRelief(false);
  heel_->SetWallDRelief(false);
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallBRelief(heel_, true), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, true, false, false}));
}

TEST_F(FillNotchShoeCoreHeelPostBuilders, AnExclusiveReliefIsUndoneAsOneChange) {
  heel_->SetWallARelief(true);
  int error = 0;
  int mark = UNDO_QD_set_mark(1, "walls", &error);
  ASSERT_EQ(error, 0);
  Host::ClearCalls();
  auto* journalled = static_cast<Die_HeelpostBuilder_Interface*>(
      JAM::ClassInitializer::GetJournalledInterface("Die.HeelpostBuilder"));
  ASSERT_NE(journalled, nullptr);
  ASSERT_EQ(journalled->SetWallDRelief(heel_, true), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, false, true}));
  // Logged before the first write; the later writes find it logged.
  EXPECT_EQ(Host::CountCalls("OM__log"), 1u);
  UNDO_QD_undo_to_mark(mark, "walls");
  UNDO_QD_delete_mark(mark, "walls");
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{true, false, false, false}));
}

// ---- scripting defaults ------------------------------------------------------------------------

class FillNotchShoeCoreHeelPostDefaults : public FillNotchShoeCoreHeelPostBuilders {
 protected:
  std::vector<std::string> Written(const OM::TaggedObject* builder) { return NamedWrites(TagOf(builder), true); }
  std::vector<std::string> Apply(const char* journalClass, const OM::TaggedObject* builder, bool apply = true) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(journalClass);
    EXPECT_NE(defaults, nullptr) << journalClass;
    if (defaults == nullptr) return {};
    Host::ClearCalls();
    defaults(builder->ask_tag(), apply);
    return Written(builder);
  }
};

TEST_F(FillNotchShoeCoreHeelPostDefaults, FillAreaAndFingerClearanceNotchInBothUnitSystems) {
  EXPECT_EQ(Apply("Die.FillAreaBuilder", fill_), Paused({"LowerLimitOffset.Value=1", "UpperLimitType=Sheet"}));
  EXPECT_EQ(Apply("Die.FingerClearanceNotchBuilder", notch_),
            Paused({"Depth.Value=5", "ExtrudeWidth.Value=0", "Width.Value=5"}));
  part()->SetUnitCode(1);
  EXPECT_EQ(Apply("Die.FillAreaBuilder", fill_), Paused({"LowerLimitOffset.Value=0.04", "UpperLimitType=Sheet"}));
  EXPECT_EQ(Apply("Die.FingerClearanceNotchBuilder", notch_),
            Paused({"Depth.Value=0.2", "ExtrudeWidth.Value=0", "Width.Value=0.2"}));
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_FALSE(fill_->DefaultsInProgress());
  EXPECT_FALSE(notch_->DefaultsInProgress());
}

TEST_F(FillNotchShoeCoreHeelPostDefaults, HandlingCoreInBothUnitSystems) {
  EXPECT_EQ(Apply("Die.HandlingCoreBuilder", core_),
            Paused({"Clearance.Value=100", "Depth.Value=40", "Height.Value=100", "Width.Value=75"}));
  part()->SetUnitCode(1);
  EXPECT_EQ(Apply("Die.HandlingCoreBuilder", core_),
            Paused({"Clearance.Value=4", "Depth.Value=1.6", "Height.Value=4", "Width.Value=3"}));
}

TEST_F(FillNotchShoeCoreHeelPostDefaults, WithoutAWorkPartOrAnotherUnitCodeTheMillimetreTexts) {
  PART_set_work_part(nullptr);
  EXPECT_EQ(Apply("Die.HandlingCoreBuilder", core_).at(3), "Width.Value=75 (paused)");
  EXPECT_EQ(Apply("Die.FillAreaBuilder", fill_).at(0), "LowerLimitOffset.Value=1 (paused)");
  EXPECT_EQ(Apply("Die.HeelpostBuilder", heel_).at(5), "FloorThickness.Value=60 (paused)");
  PART_set_work_part(part());
  part()->SetUnitCode(2);
  EXPECT_EQ(Apply("Die.FingerClearanceNotchBuilder", notch_).at(0), "Depth.Value=5 (paused)");
}

const std::vector<std::string> kHeelpostPaths = {
    "AngleTolerance",       "BaseOffset.Value",     "CreateFloor",          "Diameter.Value",
    "DistanceTolerance",    "FloorThickness.Value", "Height.Value",         "Length.Value",
    "LocationOffset.Value", "PadOffset.Value",      "PadThickness.Value",   "ReliefDepth.Value",
    "ReliefWidth.Value",    "UsePercent",           "WallACreate",          "WallAOffset.Value",
    "WallARelief",          "WallAThickness.Value", "WallBCreate",          "WallBOffset.Value",
    "WallBRelief",          "WallBThickness.Value", "WallCCreate",          "WallCOffset.Value",
    "WallCRelief",          "WallCThickness.Value", "WallDCreate",          "WallDOffset.Value",
    "WallDRelief",          "WallDThickness.Value", "WallPercentage.Value", "Width.Value",
    "XOffset.Value",        "YOffset.Value"};

std::vector<std::string> Rows(const std::vector<std::string>& paths, const std::vector<std::string>& texts) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < paths.size() && i < texts.size(); ++i) rows.push_back(paths[i] + "=" + texts[i]);
  return rows;
}

TEST_F(FillNotchShoeCoreHeelPostDefaults, HeelpostMillimetreSet) {
  std::vector<std::string> texts = {"0.5", "0", "0",  "50", "0.0254", "60", "300", "150", "0",  "0", "60", "5",
                                    "5",   "0", "1",  "0",  "0",      "30", "1",   "0",   "0",  "30", "1", "0",
                                    "0",   "30", "1", "0",  "0",      "30", "40",  "150", "0",  "0"};
  ASSERT_EQ(texts.size(), 34u);
  EXPECT_EQ(Apply("Die.HeelpostBuilder", heel_), Paused(Rows(kHeelpostPaths, texts)));
}

TEST_F(FillNotchShoeCoreHeelPostDefaults, HeelpostInchSetKeepsItsTextsAndTheMillimetreTolerances) {
  part()->SetUnitCode(1);
  std::vector<std::string> texts = {"0.5", "0", "0",   "2", "0.0254", "1.4", "12", "6", "0",   "0",  "10.4", "0.2",
                                    "0.2", "0", "1",   "0", "0",      "1.2", "1",  "0", "0",   "1.2", "1",   "0",
                                    "0",   "1.2", "1", "0", "0",      "1.2", "40", "6", "0",   "0"};
  ASSERT_EQ(texts.size(), 34u);
  std::vector<std::string> written = Apply("Die.HeelpostBuilder", heel_);
  EXPECT_EQ(written, Paused(Rows(kHeelpostPaths, texts)));
  EXPECT_EQ(written.at(0), "AngleTolerance=0.5 (paused)");
  EXPECT_EQ(written.at(4), "DistanceTolerance=0.0254 (paused)");
  EXPECT_EQ(written.at(31), "Width.Value=6 (paused)");
  EXPECT_EQ(written.at(6), "Height.Value=12 (paused)");
}

TEST_F(FillNotchShoeCoreHeelPostDefaults, DieShoeOnlyVisitsItsSubObjects) {
  std::string t = TagOf(shoe_);
  EXPECT_TRUE(Apply("Die.DieShoeBuilder", shoe_, true).empty());
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{"OM__log tag=" + t,
                                                  "JAM_traverse_builder_objects Die.DieShoeBuilder " + t + " 1",
                                                  "OM__log tag=" + t}));
  EXPECT_FALSE(shoe_->DefaultsInProgress());

  Host::SetAnswer("needs_defaults", 0);
  part()->SetUnitCode(1);
  EXPECT_TRUE(Apply("Die.DieShoeBuilder", shoe_, false).empty());
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{"needs_defaults 0", "OM__log tag=" + t,
                                                  "JAM_traverse_builder_objects Die.DieShoeBuilder " + t + " 0",
                                                  "OM__log tag=" + t}));
  EXPECT_FALSE(shoe_->DefaultsInProgress());
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(FillNotchShoeCoreHeelPostDefaults, NotAskedAndNotNeededSetsNothingButVisits) {
  Host::SetAnswer("needs_defaults", 0);
  EXPECT_TRUE(Apply("Die.HeelpostBuilder", heel_, false).empty());
  std::vector<std::string> calls = JamCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "JournalPauser pause"), 0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(),
                       "JAM_traverse_builder_objects Die.HeelpostBuilder " + TagOf(heel_) + " 0"),
            1);
  EXPECT_FALSE(heel_->DefaultsInProgress());
}

// ---- test prints --------------------------------------------------------------------------------

class FillNotchShoeCoreHeelPostPrint : public FillNotchShoeCoreHeelPostBuilders {
 protected:
  // The printed entries: "Get" names and what each printed, in order.
  std::vector<std::string> Printed(const char* journalClass, const OM::TaggedObject* builder) {
    JAM::Autotest::EnableAPIPrint(journalClass, true);
    JAM::Autotest::m_objectDetails = 1;
    JAM::Autotest::m_subobjectNesting = 1;
    Host::ClearCalls();
    tag_t tag = builder->ask_tag();
    JAM_print_fn print = JAM::Test::PrintFunction(journalClass);
    EXPECT_NE(print, nullptr);
    if (print != nullptr) print(&tag, "b", 1);
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls()) {
      if (c.name.rfind("JAM_test_print_", 0) != 0) continue;
      std::string kind = c.name.substr(std::string("JAM_test_print_").size());
      if (kind == "method_end") continue;
      out.push_back(kind + " " + c.args);
    }
    return out;
  }
  // An expression prints as an object with details on; one the builder does
  // not hold prints as a null pointer.
  static std::vector<std::string> Expressions(const std::vector<std::pair<std::string, EXP_expression*>>& getters) {
    std::vector<std::string> out;
    for (const auto& [g, expression] : getters) {
      std::string printed = g;
      printed[0] = static_cast<char>(printed[0] - 'A' + 'a');
      out.push_back("method_start Get" + g);
      if (expression != nullptr)
        out.push_back("param_object " + printed + " " + TagOf(expression) + " Expression 0");
      else
        out.push_back("param_ptr " + printed + " 0 Expression 0");
    }
    return out;
  }
  std::vector<std::string> Tail(const OM::TaggedObject* builder, const char* journalClass) {
    std::string t = TagOf(builder);
    return {"subobjects_of_object " + t + " b 0", "tag_of_class " + t + " FeatureBuilder  0",
            "call_custom_print_fn " + t + " b " + journalClass, "tag_end b 1"};
  }
};

TEST_F(FillNotchShoeCoreHeelPostPrint, HandlingCorePrintsItsValuesInSlotOrder) {
  core_->SetDistanceTolerance(0.25);
  core_->SetAngleTolerance(0.5);
  core_->SetType(DieDesJA::JA_HANDLING_CORE_BUILDER_Types_MapFromBase);
  std::string t = TagOf(core_);
  std::vector<std::string> expected = std::vector<std::string>{"tag_start " + t + " b 1"} +
                                      Expressions({{"Height", core_->GetHeight()},
                                                   {"Width", core_->GetWidth()},
                                                   {"Clearance", core_->GetClearance()},
                                                   {"Depth", core_->GetDepth()}}) +
                                      std::vector<std::string>{
                                          "double_prop GetDistanceTolerance distanceTolerance=0.25",
                                          "double_prop GetAngleTolerance angleTolerance=0.5",
                                          "enum_prop GetType type Types=MapFromBase",
                                      } +
                                      Tail(core_, "Die.HandlingCoreBuilder");
  EXPECT_EQ(Printed("Die.HandlingCoreBuilder", core_), expected);
}

TEST_F(FillNotchShoeCoreHeelPostPrint, FillAreaAndFingerClearanceNotchPrintTheirValues) {
  std::string f = TagOf(fill_);
  std::vector<std::string> fill = Printed("Die.FillAreaBuilder", fill_);
  ASSERT_GE(fill.size(), 7u);
  EXPECT_EQ(fill[1], "enum_prop GetUpperLimitType upperLimitType UpperLimitTypes=" +
                         std::string(fill_->GetUpperLimitType() == 0 ? "Sheet" : "Plane"));
  EXPECT_EQ(std::vector<std::string>(fill.begin() + 2, fill.begin() + 4), Expressions({{"LowerLimitOffset", fill_->GetLowerLimitOffset()}}));
  EXPECT_EQ(fill[4].rfind("double_prop GetDistanceTolerance distanceTolerance=", 0), 0u);
  EXPECT_EQ(fill[5].rfind("double_prop GetAngleTolerance angleTolerance=", 0), 0u);
  EXPECT_EQ(fill[6].rfind("enum_prop GetType type Types=", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(fill.begin() + 7, fill.end()), Tail(fill_, "Die.FillAreaBuilder"));

  notch_->SetReverseDirection(true);
  std::vector<std::string> notch = Printed("Die.FingerClearanceNotchBuilder", notch_);
  ASSERT_GE(notch.size(), 12u);
  EXPECT_EQ(std::vector<std::string>(notch.begin() + 1, notch.begin() + 3), Expressions({{"ExtrudeWidth", notch_->GetExtrudeWidth()}}));
  EXPECT_EQ(notch[3], "logical_prop GetReverseDirection reverseDirection=1");
  EXPECT_EQ(std::vector<std::string>(notch.begin() + 4, notch.begin() + 8), Expressions({{"Width", notch_->GetWidth()}, {"Depth", notch_->GetDepth()}}));
  EXPECT_EQ(notch[8].rfind("double_prop GetDistanceTolerance ", 0), 0u);
  EXPECT_EQ(notch[9].rfind("double_prop GetAngleTolerance ", 0), 0u);
  EXPECT_EQ(notch[10].rfind("enum_prop GetType type Types=", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(notch.begin() + 11, notch.end()),
            Tail(notch_, "Die.FingerClearanceNotchBuilder"));
}

TEST_F(FillNotchShoeCoreHeelPostPrint, DieShoePrintsExpressionsTheLogicalAndTolerancesOnly) {
  shoe_->SetDistanceTolerance(0.125);
  shoe_->SetAngleTolerance(0.5);
  std::string t = TagOf(shoe_);
  std::vector<std::string> expected =
      std::vector<std::string>{"tag_start " + t + " b 1"} + Expressions({{"MainDeckOffset", shoe_->GetMainDeckOffset()}}) +
      std::vector<std::string>{"logical_prop GetCenterlineSlotCreate centerlineSlotCreate=" +
                               std::to_string(shoe_->GetCenterlineSlotCreate() ? 1 : 0)} +
      Expressions({{"CenterlineSlotDepth", shoe_->GetCenterlineSlotDepth()},
                   {"CenterlineSlotWidth", shoe_->GetCenterlineSlotWidth()},
                   {"FlangeThickness", shoe_->GetFlangeThickness()},
                   {"WallThickness", shoe_->GetWallThickness()},
                   {"DeckThickness", shoe_->GetDeckThickness()}}) +
      std::vector<std::string>{"double_prop GetDistanceTolerance distanceTolerance=0.125",
                               "double_prop GetAngleTolerance angleTolerance=0.5"} +
      Tail(shoe_, "Die.DieShoeBuilder");
  EXPECT_EQ(Printed("Die.DieShoeBuilder", shoe_), expected);
}

TEST_F(FillNotchShoeCoreHeelPostPrint, HeelpostPrintsItsGettersInSlotOrder) {
  std::vector<std::string> printed = Printed("Die.HeelpostBuilder", heel_);
  std::vector<std::string> getters;
  for (const std::string& p : printed) {
    std::size_t at = p.find(" Get");
    if (p.rfind("tag", 0) != 0 && at != std::string::npos) getters.push_back(p.substr(at + 1, p.find(' ', at + 1) - at - 1));
  }
  std::vector<std::string> expected = {
      "GetLocationOffset", "GetBaseOffset", "GetPadOffset", "GetLength", "GetWidth", "GetHeight",
      "GetPadThickness", "GetCreateFloor", "GetFloorThickness", "GetDiameter", "GetXOffset", "GetYOffset",
      "GetReliefWidth", "GetReliefDepth", "GetUsePercent", "GetWallPercentage",
      "GetWallACreate", "GetWallAThickness", "GetWallAOffset", "GetWallARelief",
      "GetWallBCreate", "GetWallBThickness", "GetWallBOffset", "GetWallBRelief",
      "GetWallCCreate", "GetWallCThickness", "GetWallCOffset", "GetWallCRelief",
      "GetWallDCreate", "GetWallDThickness", "GetWallDOffset", "GetWallDRelief",
      "GetDistanceTolerance", "GetAngleTolerance", "GetType"};
  EXPECT_EQ(getters, expected);
  EXPECT_NE(std::find(printed.begin(), printed.end(), Expressions({{"WallAThickness", heel_->GetWallAThickness()}})[1]),
            printed.end());
  EXPECT_NE(std::find(printed.begin(), printed.end(),
                      "logical_prop GetWallDRelief wallDRelief=" + std::to_string(heel_->GetWallDRelief() ? 1 : 0)),
            printed.end());
  ASSERT_GE(printed.size(), 5u);
  EXPECT_EQ(printed[printed.size() - 5].rfind("enum_prop GetType type Types=", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(printed.end() - 4, printed.end()), Tail(heel_, "Die.HeelpostBuilder"));
}

// ---- property owners ----------------------------------------------------------------------

class FillNotchShoeCoreHeelPostOwners : public FillNotchShoeCoreHeelPostBuilders {
 protected:
  void TearDown() override {
    parent_.Restore();
    FillNotchShoeCoreHeelPostBuilders::TearDown();
  }
  OwnerRecorder& RecordParent() {
    return parent_.Record("Features.FeatureBuilder", "Builder", "Test.FillNotchShoeCoreHeelPostFeatureBuilderAside");
  }
  // The owner of one of these feature builders, registered under the feature builder's.
  static Property::Owner* OwnerOf(const char* journalClass) {
    Property::Owner* owner = stamvik_test::OwnerOf(journalClass);
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(journalClass), "Features.FeatureBuilder");
    return owner;
  }
  static std::vector<std::string> Names(const Property::List& list, int count) {
    std::vector<std::string> out;
    for (int i = 0; i < count && i < list.GetCount(); ++i) out.push_back(list.GetNameByIndex(i));
    return out;
  }
  static std::string ClassOf(const Property::Value* value) {
    if (value == nullptr || value->GetType() != Property::ValueType::kSubobject) return "(no subobject)";
    return static_cast<const Property::Subobject*>(value)->GetClassName();
  }
  static std::string MemberOf(const Property::Value* value) {
    if (value == nullptr || value->GetType() != Property::ValueType::kEnum) return "(no enum)";
    const char* name = static_cast<const Property::Enum*>(value)->GetMemberName();
    return name != nullptr ? name : "(none)";
  }

  stamvik_test::ParentOwnerStandIn<> parent_;
};

TEST_F(FillNotchShoeCoreHeelPostOwners, HeelpostReliefNamesByTheRuleAndOneThatIsNot) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  OwnerRecorder& parent = RecordParent();
  for (bool relief : {true, false}) {
    heel_->SetWallARelief(relief);
    for (const char* name : {"wall_a_relief", "WallARelief", "WALLARELIEF", "wallarelief", "WALL_A_RELIEF"}) {
      ValuePtr value(owner->GetProperty(heel_, name));
      ASSERT_NE(value, nullptr) << name;
      ASSERT_EQ(value->GetType(), Property::ValueType::kLogical) << name;
      EXPECT_EQ(value->GetLogical(), relief) << name;
    }
  }
  EXPECT_TRUE(parent.requests.empty());
  for (const char* name : {"walla_relief", "wall_arelief", "wall a relief"}) {
    ValuePtr value(owner->GetProperty(heel_, name));
    EXPECT_EQ(value, nullptr) << name;
  }
  EXPECT_EQ(parent.requests, (std::vector<std::string>{"GetProperty walla_relief", "GetProperty wall_arelief",
                                                       "GetProperty wall a relief"}));
  ValuePtr x(owner->GetProperty(heel_, "x_offset"));
  EXPECT_EQ(ClassOf(x.get()), "Expression");
  ValuePtr system(owner->GetProperty(heel_, "die_centerline_coordinate_system"));
  EXPECT_EQ(ClassOf(system.get()), "SelectCoordinateSystem");
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(FillNotchShoeCoreHeelPostOwners, HeelpostListsItsFortyFivePropertiesBeforeTheParents) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  Property::List list;
  owner->GetProperties(heel_, list);
  ASSERT_GT(list.GetCount(), 45);
  std::vector<std::string> names = Names(list, 45);
  EXPECT_EQ(names.front(), "Target");
  EXPECT_EQ(names[8], "DieCenterlineCoordinateSystem");
  EXPECT_EQ(names[25], "WallARelief");
  EXPECT_EQ(names[44], "Type");
  EXPECT_STREQ(list.GetNameByIndex(45), "Editing");  // the first of "Features.FeatureBuilder"
  EXPECT_EQ(ClassOf(list.GetPropertyByIndex(1)), "Die.DieLocationBuilder");
  EXPECT_EQ(ClassOf(list.GetPropertyByIndex(41)), "Die.DieAttributesBuilder");
}

TEST_F(FillNotchShoeCoreHeelPostOwners, HeelpostTypeReadsByNameAndAWriteIsTheJournalledSetType) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  heel_->SetType(DieDesJA::JA_HEELPOST_BUILDER_types_SafetyBlock);
  ValuePtr lower(owner->GetProperty(heel_, "type"));
  ValuePtr camel(owner->GetProperty(heel_, "Type"));
  EXPECT_EQ(MemberOf(lower.get()), "SafetyBlock");
  EXPECT_EQ(MemberOf(camel.get()), "SafetyBlock");
  EXPECT_EQ(camel->GetEnum(), 2);

  ValuePtr one(owner->GetProperty(heel_, "Type"));
  static_cast<Property::Enum&>(*one).SetValue(1);
  EXPECT_EQ(owner->SetProperty(heel_, "TYPE", one.get()), 0);
  EXPECT_EQ(heel_->GetType(), DieDesJA::JA_HEELPOST_BUILDER_types_StorageBlock);
  JAM::Journal viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_type(heel_, 1), 0);
  ASSERT_EQ(viaOwner.size(), 1u);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  EXPECT_EQ(viaOwner[0].member, "Type");
  EXPECT_EQ(viaOwner[0].values.at(0).name, "type");
}

TEST_F(FillNotchShoeCoreHeelPostOwners, HeelpostReliefWritesKeepOneReliefAndSubobjectWritesGoToTheParent) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  heel_->SetWallARelief(true);
  heel_->SetWallBRelief(true);
  heel_->SetWallDRelief(true);
  ValuePtr yes = Property::MakeLogical(true);
  ValuePtr no = Property::MakeLogical(false);
  EXPECT_EQ(owner->SetProperty(heel_, "wall_c_relief", yes.get()), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(owner->SetProperty(heel_, "WallCRelief", no.get()), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, false, false}));
  heel_->SetWallBRelief(true);
  EXPECT_EQ(owner->SetProperty(heel_, "WallARelief", no.get()), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, true, false, false}));
  ASSERT_EQ(JAM::Recorded().size(), 3u);
  EXPECT_EQ(JAM::Recorded()[0].member, "WallCRelief");

  OwnerRecorder& parent = RecordParent();
  for (const char* name : {"Length", "Center", "PadAttributes"})
    EXPECT_EQ(owner->SetProperty(heel_, name, yes.get()), Property::kUnknownProperty) << name;
  EXPECT_EQ(parent.requests, (std::vector<std::string>{"SetProperty Length", "SetProperty Center",
                                                       "SetProperty PadAttributes"}));
  EXPECT_EQ(JAM::Recorded().size(), 3u);
}

TEST_F(FillNotchShoeCoreHeelPostOwners, HeelpostSetPropertiesWritesItsThirteenInOrder) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  Property::List list;
  owner->GetProperties(heel_, list);
  JAM::ClearJournal();
  OwnerRecorder& parent = RecordParent();
  owner->SetProperties(heel_, list);
  std::vector<std::string> members;
  for (const JAM::Record& r : JAM::Recorded())
    if (r.depth == 0) members.push_back(r.member);
  EXPECT_EQ(members, (std::vector<std::string>{"CreateFloor", "UsePercent", "WallACreate", "WallARelief",
                                               "WallBCreate", "WallBRelief", "WallCCreate", "WallCRelief",
                                               "WallDCreate", "WallDRelief", "DistanceTolerance",
                                               "AngleTolerance", "Type"}));
  ASSERT_FALSE(parent.requests.empty());
  EXPECT_EQ(parent.requests.back(), "SetProperties");
}

TEST_F(FillNotchShoeCoreHeelPostOwners, TypeByAnyCaseReadsEachClassesOwnMembers) {
  fill_->SetType(DieDesJA::JA_FILL_AREA_BUILDER_Types_ProductContact);
  notch_->SetType(DieDesJA::JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face);
  core_->SetType(DieDesJA::JA_HANDLING_CORE_BUILDER_Types_FromBase);
  const std::pair<OM::Object*, const char*> rows[] = {
      {fill_, "Die.FillAreaBuilder"}, {notch_, "Die.FingerClearanceNotchBuilder"}, {core_, "Die.HandlingCoreBuilder"}};
  const char* members[] = {"ProductContact", "Face", "FromBase"};
  for (int i = 0; i < 3; ++i) {
    Property::Owner* owner = OwnerOf(rows[i].second);
    ASSERT_NE(owner, nullptr);
    for (const char* name : {"type", "Type", "TYPE"}) {
      ValuePtr value(owner->GetProperty(rows[i].first, name));
      EXPECT_EQ(MemberOf(value.get()), members[i]) << rows[i].second << " " << name;
    }
  }
}

TEST_F(FillNotchShoeCoreHeelPostOwners, NamedSubobjectsOfTheNotchAndTheHandlingCore) {
  Property::Owner* notch = OwnerOf("Die.FingerClearanceNotchBuilder");
  Property::Owner* core = OwnerOf("Die.HandlingCoreBuilder");
  ASSERT_NE(notch, nullptr);
  ASSERT_NE(core, nullptr);
  ValuePtr section(notch->GetProperty(notch_, "Section"));
  EXPECT_EQ(ClassOf(section.get()), "Section");
  EXPECT_EQ(section->GetSubobject(), notch_->GetSection());
  ValuePtr location(core->GetProperty(core_, "location"));
  EXPECT_EQ(ClassOf(location.get()), "Die.DieLocationsBuilder");
  EXPECT_EQ(location->GetSubobject(), core_->GetLocation());

  OwnerRecorder& parent = RecordParent();
  ValuePtr yes = Property::MakeLogical(true);
  EXPECT_EQ(core->SetProperty(core_, "Location", yes.get()), Property::kUnknownProperty);
  EXPECT_EQ(parent.requests, std::vector<std::string>{"SetProperty Location"});
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(FillNotchShoeCoreHeelPostOwners, FillAreaSetPropertiesWritesTypeLastEachAsItsOwnCall) {
  Property::Owner* owner = OwnerOf("Die.FillAreaBuilder");
  ASSERT_NE(owner, nullptr);
  std::vector<std::string> members;
  for (const JAM::Record& r : WriteBackAll(owner, fill_)) members.push_back(r.member);
  EXPECT_EQ(members, (std::vector<std::string>{"UpperLimitType", "DistanceTolerance", "AngleTolerance", "Type"}));
}

TEST_F(FillNotchShoeCoreHeelPostOwners, WithoutAnObjectEveryRowIsListedWithItsNullValue) {
  struct Row {
    const char* journalClass;
    int count;
    std::vector<std::string> enums;  // the rows' first members, in order
  };
  const Row rows[] = {
      {"Die.FillAreaBuilder", 11, {"Sheet", "BaseFlange"}},
      {"Die.FingerClearanceNotchBuilder", 13, {"Section"}},
      {"Die.HandlingCoreBuilder", 11, {"AtLocation"}},
      {"Die.DieShoeBuilder", 19, {}},
      {"Die.HeelpostBuilder", 45, {"GuidepostWearplate"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.journalClass);
    Property::Owner* owner = JAM::PropertyMapper::GetOwner(row.journalClass);
    ASSERT_NE(owner, nullptr);
    Property::List list;
    owner->GetProperties(nullptr, list);
    ASSERT_GT(list.GetCount(), row.count);
    EXPECT_STREQ(list.GetNameByIndex(row.count), "Editing");
    std::vector<std::string> enums;
    for (int i = 0; i < row.count; ++i) {
      const Property::Value* v = list.GetPropertyByIndex(i);
      switch (v->GetType()) {
        case Property::ValueType::kSubobject:
          EXPECT_EQ(v->GetSubobject(), nullptr) << list.GetNameByIndex(i);
          EXPECT_NE(ClassOf(v), "") << list.GetNameByIndex(i);
          break;
        case Property::ValueType::kDouble:
          EXPECT_EQ(v->GetDouble(), 0.0) << list.GetNameByIndex(i);
          break;
        case Property::ValueType::kLogical:
          EXPECT_FALSE(v->GetLogical()) << list.GetNameByIndex(i);
          break;
        case Property::ValueType::kEnum:
          enums.push_back(MemberOf(v));
          break;
        default:
          ADD_FAILURE() << list.GetNameByIndex(i) << " of an unexpected type";
      }
    }
    EXPECT_EQ(enums, row.enums);
  }
}

TEST_F(FillNotchShoeCoreHeelPostOwners, DieShoeListsNineteenAndWritesThree) {
  Property::Owner* owner = OwnerOf("Die.DieShoeBuilder");
  ASSERT_NE(owner, nullptr);
  Property::List list;
  owner->GetProperties(shoe_, list);
  ASSERT_GT(list.GetCount(), 19);
  std::vector<std::string> names = Names(list, 19);
  EXPECT_EQ(names.front(), "BaseOrientation");
  EXPECT_EQ(names[11], "DieBooleansList");
  EXPECT_EQ(names.back(), "AngleTolerance");
  EXPECT_STREQ(list.GetNameByIndex(19), "Editing");
  EXPECT_EQ(ClassOf(list.GetProperty("DieBooleansList")), "Die.DieBooleanBuilderList");
  EXPECT_EQ(list.GetProperty("DieBooleansList")->GetSubobject(), shoe_->GetDieBooleansList());

  JAM::ClearJournal();
  owner->SetProperties(shoe_, list);
  std::vector<std::string> members;
  for (const JAM::Record& r : JAM::Recorded()) members.push_back(r.member);
  EXPECT_EQ(members, (std::vector<std::string>{"CenterlineSlotCreate", "DistanceTolerance", "AngleTolerance"}));

  OwnerRecorder& parent = RecordParent();
  ValuePtr value = Property::MakeDouble(3.0);
  EXPECT_EQ(owner->SetProperty(shoe_, "main_deck_offset", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(parent.requests, std::vector<std::string>{"SetProperty main_deck_offset"});
}

TEST_F(FillNotchShoeCoreHeelPostOwners, AWriteThroughAnyOwnerIsJournalledLikeItsScriptingCall) {
  ValuePtr angle = Property::MakeDouble(0.75);
  EXPECT_EQ(OwnerOf("Die.FillAreaBuilder")->SetProperty(fill_, "angle_tolerance", angle.get()), 0);
  JAM::Journal viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_FILL_AREA_BUILDER_set_AngleTolerance(fill_, 0.75), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  EXPECT_EQ(JAM::WriteJournal(viaOwner), JAM::WriteJournal(JAM::Recorded()));

  JAM::ClearJournal();
  ValuePtr yes = Property::MakeLogical(true);
  EXPECT_EQ(OwnerOf("Die.DieShoeBuilder")->SetProperty(shoe_, "centerline_slot_create", yes.get()), 0);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_DIE_SHOE_BUILDER_set_centerline_slot_create(shoe_, true), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());

  JAM::ClearJournal();
  EXPECT_EQ(OwnerOf("Die.HeelpostBuilder")->SetProperty(heel_, "wall_b_relief", yes.get()), 0);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallBRelief(heel_, true), 0);
  ASSERT_EQ(viaOwner.size(), 1u);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  EXPECT_EQ(viaOwner[0].values.at(0).name, "wallbrelief");
}

TEST(FillNotchShoeCoreHeelPostOwnerLoad, EachBuilderOwnerComesJustBeforeItsFeatureOwner) {
  std::vector<std::string> names;
  for (const char* n : Stamvik::LoadOrderNames()) names.push_back(n);
  for (const char* c : {"DieShoe", "FillArea", "FingerClearanceNotch", "HandlingCore", "Heelpost"}) {
    auto builder = std::find(names.begin(), names.end(), std::string("owner Die.") + c + "Builder");
    ASSERT_NE(builder, names.end()) << c;
    ASSERT_NE(builder + 1, names.end()) << c;
    EXPECT_EQ(*(builder + 1), std::string("owner Die.") + c) << c;
    // Owners come before every journaling unit.
    auto firstUnit = std::find_if(names.begin(), names.end(),
                                  [](const std::string& n) { return n.rfind("journal ", 0) == 0; });
    EXPECT_LT(builder, firstUnit) << c;
  }
  for (const char* c : {"Die.DieShoeBuilder", "Die.FillAreaBuilder", "Die.FingerClearanceNotchBuilder",
                        "Die.HandlingCoreBuilder", "Die.HeelpostBuilder"})
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(c), "Features.FeatureBuilder") << c;
}

}  // namespace
