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
#include "DieDesignTestSupport.hpp"
#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "TestSupport.hpp"
#include "ja_die_die_shoe_builder_jam.hpp"
#include "ja_die_fill_area_builder_jam.hpp"
#include "ja_die_finger_clearance_notch_builder_jam.hpp"
#include "ja_die_handling_core_builder_jam.hpp"
#include "ja_die_heelpost_builder_jam.hpp"
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
extern "C" {
int XJA_FILL_AREA_BUILDER_get_Target(FillAreaBuilder*, SELECT_OBJECT**);
int XJA_FILL_AREA_BUILDER_get_Type(FillAreaBuilder*, int*);
int XJA_FILL_AREA_BUILDER_set_Type(FillAreaBuilder*, int);
int XJA_FILL_AREA_BUILDER_set_UpperLimitType(FillAreaBuilder*, int);
int XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_Type(FingerClearanceNotchBuilder*, int);
int XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_ReverseDirection(FingerClearanceNotchBuilder*, bool);
int XJA_FINGER_CLEARANCE_NOTCH_BUILDER_get_Geometry(FingerClearanceNotchBuilder*, SELECT_OBJECT_list**);
int XJA_DIE_SHOE_BUILDER_get_die_booleans_list(DieShoeBuilder*, UICOMPJA_list**);
int XJA_DIE_SHOE_BUILDER_set_distance_tolerance(DieShoeBuilder*, double);
int XJA_DIE_SHOE_BUILDER_get_distance_tolerance(DieShoeBuilder*, double*);
int XJA_DIE_SHOE_BUILDER_get_main_deck_offset(DieShoeBuilder*, EXP_expression**);
int XJA_DIE_SHOE_BUILDER_get_centerline_slot_depth(DieShoeBuilder*, EXP_expression**);
int XJA_DIE_SHOE_BUILDER_get_centerline_slot_width(DieShoeBuilder*, EXP_expression**);
int XJA_DIE_SHOE_BUILDER_get_flange_thickness(DieShoeBuilder*, EXP_expression**);
int XJA_DIE_SHOE_BUILDER_get_wall_thickness(DieShoeBuilder*, EXP_expression**);
int XJA_DIE_SHOE_BUILDER_get_deck_thickness(DieShoeBuilder*, EXP_expression**);
int XJA_DIE_SHOE_BUILDER_get_base_flange_section(DieShoeBuilder*, SC_section**);
int XJA_DIE_SHOE_BUILDER_get_main_deck_section(DieShoeBuilder*, SC_section**);
int XJA_DIE_SHOE_BUILDER_get_deck_cutouts_section(DieShoeBuilder*, SC_section**);
int XJA_DIE_SHOE_BUILDER_get_centerline_slot_attributes(DieShoeBuilder*, DieDes::DieAttributesBuilder**);
int XJA_DIE_SHOE_BUILDER_get_main_deck_attributes(DieShoeBuilder*, DieDes::DieAttributesBuilder**);
int XJA_DIE_SHOE_BUILDER_get_base_attributes(DieShoeBuilder*, DieDes::DieAttributesBuilder**);
int XJA_DIE_SHOE_BUILDER_get_base_orientation(DieShoeBuilder*, DieDes::DiePlaneBuilder**);
int XJA_DIE_SHOE_BUILDER_get_main_deck_plane(DieShoeBuilder*, DieDes::DiePlaneBuilder**);
int XJA_HANDLING_CORE_BUILDER_set_Type(HandlingCoreBuilder*, int);
int XJA_HEELPOST_BUILDER_get_type(HeelpostBuilder*, int*);
int XJA_HEELPOST_BUILDER_set_type(HeelpostBuilder*, int);
int XJA_HEELPOST_BUILDER_set_WallARelief(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_WallBRelief(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_WallCRelief(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_WallDRelief(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_get_WallCRelief(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_set_UsePercent(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_CreateFloor(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_WallACreate(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_WallBCreate(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_WallCCreate(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_set_WallDCreate(HeelpostBuilder*, bool);
int XJA_HEELPOST_BUILDER_get_LocationOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_BaseOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_PadOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_Length(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_Width(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_Height(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_PadThickness(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_FloorThickness(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_Diameter(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_XOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_YOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_ReliefWidth(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_ReliefDepth(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallPercentage(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallAThickness(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallAOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallBThickness(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallBOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallCThickness(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallCOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallDThickness(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_WallDOffset(HeelpostBuilder*, EXP_expression**);
int XJA_HEELPOST_BUILDER_get_UsePercent(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_CreateFloor(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_WallACreate(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_WallARelief(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_WallBCreate(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_WallBRelief(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_WallCCreate(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_WallDCreate(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_WallDRelief(HeelpostBuilder*, bool*);
int XJA_HEELPOST_BUILDER_get_DieCenterlineCoordinateSystem(HeelpostBuilder*, SELECT_OBJECT**);
int XJA_FILL_AREA_BUILDER_set_AngleTolerance(FillAreaBuilder*, double);
int XJA_DIE_SHOE_BUILDER_set_centerline_slot_create(DieShoeBuilder*, bool);
}

namespace {

using namespace stamvik_test::lists;

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
    SCOPED_TRACE(builder);
    auto b = std::find(files.begin(), files.end(), builder);
    EXPECT_NE(b, files.end()) << builder;
    if (b == files.end()) continue;
    EXPECT_NE(b + 1, files.end()) << builder;
    if (b + 1 == files.end()) continue;
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

using FillNotchShoeCoreHeelPostSetUp = stamvik_test::ScriptingClassSetUp;

// ---- builders ----------------------------------------------------------------------------

using FillNotchShoeCoreHeelPostBuilders = stamvik_test::DieToolBuilders;

// ---- journal records ----------------------------------------------------------------------

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
    SCOPED_TRACE(i);
    EXPECT_EQ(j[i].associations.size(), 1u) << i;
    if (j[i].associations.size() != 1u) continue;
    EXPECT_EQ(j[i].associations[0].templateClass, expected[i].first);
    EXPECT_EQ(j[i].associations[0].tag, expected[i].second != nullptr ? expected[i].second->ask_tag() : 0u);
    EXPECT_EQ(j[i].values.at(0).type, expected[i].first);
  }
  EXPECT_EQ(j[2].member, "DieBooleansList");
  EXPECT_EQ(j[2].values.at(0).name, "diebooleanslist");
  EXPECT_EQ(j[3].values.at(0).name, "diecenterlinecoordinatesystem");
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

// ---- scripting defaults ------------------------------------------------------------------------

using FillNotchShoeCoreHeelPostDefaults = stamvik_test::DieToolBuilderDefaults;

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

TEST_F(FillNotchShoeCoreHeelPostDefaults, WithoutAWorkPartOrAnotherUnitCodeTheMillimetreTexts) {
  PART_set_work_part(nullptr);
  EXPECT_EQ(Apply("Die.HandlingCoreBuilder", core_).at(3), "Width.Value=75 (paused)");
  EXPECT_EQ(Apply("Die.FillAreaBuilder", fill_).at(0), "LowerLimitOffset.Value=1 (paused)");
  EXPECT_EQ(Apply("Die.HeelpostBuilder", heel_).at(5), "FloorThickness.Value=60 (paused)");
  PART_set_work_part(part());
  part()->SetUnitCode(2);
  EXPECT_EQ(Apply("Die.FingerClearanceNotchBuilder", notch_).at(0), "Depth.Value=5 (paused)");
}

// ---- test prints --------------------------------------------------------------------------------

using FillNotchShoeCoreHeelPostPrint = stamvik_test::DieToolBuilderPrint;

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

// ---- property owners ----------------------------------------------------------------------

using FillNotchShoeCoreHeelPostOwners = stamvik_test::DieToolBuilderOwners;

TEST_F(FillNotchShoeCoreHeelPostOwners, TypeByAnyCaseReadsEachClassesOwnMembers) {
  fill_->SetType(DieDesJA::JA_FILL_AREA_BUILDER_Types_ProductContact);
  notch_->SetType(DieDesJA::JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face);
  core_->SetType(DieDesJA::JA_HANDLING_CORE_BUILDER_Types_FromBase);
  const std::pair<OM::Object*, const char*> rows[] = {
      {fill_, "Die.FillAreaBuilder"}, {notch_, "Die.FingerClearanceNotchBuilder"}, {core_, "Die.HandlingCoreBuilder"}};
  const char* members[] = {"ProductContact", "Face", "FromBase"};
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(rows[i].second);
    Property::Owner* owner = OwnerOf(rows[i].second);
    EXPECT_NE(owner, nullptr);
    if (owner == nullptr) continue;
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
    EXPECT_NE(owner, nullptr);
    if (owner == nullptr) continue;
    Property::List list;
    owner->GetProperties(nullptr, list);
    EXPECT_GT(list.GetCount(), row.count);
    if (list.GetCount() <= row.count) continue;
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
