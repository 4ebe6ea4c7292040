// Tables across the die-design tool builders (fill area, finger-clearance
// notch, die shoe, handling core, heel post, keyway, machine relief): what
// their scripting classes export and register, their interface ids, type
// setters, selection results and errors, defaults and prints that span two
// classes, their property owners read and written alike, and the classes as
// the object manager makes and undoes them. A class's own cases are in its
// own file (heelpost_test.cpp, ...). Every expected name, order and text is
// written out by hand from the classes' published descriptions.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "RegistrationTestSupport.hpp"
#include "TestSupport.hpp"
#include "afl/Parms.hpp"
#include "ja_die_clamping_slot_builder_jam.hpp"
#include "ja_die_clearance_builder_jam.hpp"
#include "ja_die_compensate_rough_data_builder_jam.hpp"
#include "ja_die_die_boolean_builder_jam.hpp"
#include "ja_die_die_shoe_builder_jam.hpp"
#include "ja_die_fill_area_builder_jam.hpp"
#include "ja_die_finger_clearance_notch_builder_jam.hpp"
#include "ja_die_handling_core_builder_jam.hpp"
#include "ja_die_heelpost_builder_jam.hpp"
#include "ja_die_keyway_builder_jam.hpp"
#include "ja_die_machine_relief_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "om/HostClass.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "script/ScriptClasses.hpp"
#include "sel/Selection.hpp"
#include "sys/Settings.hpp"

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
using DieDesJA::KeywayBuilder;
using DieDesJA::MachineReliefBuilder;
using stamvik_test::ExportsStartingWith;
using stamvik_test::FirstJamCalls;
using namespace KTX::DieDesJA;
using stamvik_test::ExpectRegistration;
using DieDes::DieBooleanBuilder;
using DieDesJA::ClampingSlotBuilder;
using DieDesJA::ClearanceBuilder;
using DieEngJA::CompensateRoughDataBuilder;
using stamvik_test::OnlyThese;
using stamvik_test::Prefixed;
using stamvik_test::ExpectJournalName;

namespace {

using namespace stamvik_test::lists;

// ---- exports -----------------------------------------------------------------------

std::set<std::string> ExportsOf(const std::set<std::string>& symbols, const std::string& prefix) {
  std::set<std::string> out;
  for (const std::string& s : symbols)
    if (s.rfind(prefix, 0) == 0) out.insert(s);
  return out;
}

TEST(DieToolBuilderExports, EachClassExportsExactlyItsMemberTable) {
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

TEST(DieToolBuilderLoad, EachBuilderUnitRegistersBeforeItsFeatureWithItsCreatorAndInterfaces) {
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

TEST(DieToolBuilderInterfaces, OperationZeroAnswersEachClassesInterfaceId) {
  ExpectInterfaceId<Die_FillAreaBuilder_Interface>("Die.FillAreaBuilder", 0x9D1F9021u);
  ExpectInterfaceId<Die_FingerClearanceNotchBuilder_Interface>("Die.FingerClearanceNotchBuilder", 0x92A5131Eu);
  ExpectInterfaceId<Die_DieShoeBuilder_Interface>("Die.DieShoeBuilder", 0xBCB073E9u);
  ExpectInterfaceId<Die_HandlingCoreBuilder_Interface>("Die.HandlingCoreBuilder", 0x015B8373u);
  ExpectInterfaceId<Die_HeelpostBuilder_Interface>("Die.HeelpostBuilder", 0x6C55C872u);
}

using stamvik_test::DieToolBuilders;

// ---- journal records ----------------------------------------------------------------------

TEST_F(DieToolBuilders, TypeSettersStoreValuesOutsideTheirEnumerations) {
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

TEST_F(DieToolBuilders, SelectionResultsAreAssociatedWithTheirTemplateClasses) {
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

TEST_F(DieToolBuilders, ErrorsCarryEachUnitsSourceName) {
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

// ---- scripting defaults ------------------------------------------------------------------------

using stamvik_test::DieToolBuilderDefaults;

TEST_F(DieToolBuilderDefaults, FillAreaAndFingerClearanceNotchInBothUnitSystems) {
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

TEST_F(DieToolBuilderDefaults, WithoutAWorkPartOrAnotherUnitCodeTheMillimetreTexts) {
  PART_set_work_part(nullptr);
  EXPECT_EQ(Apply("Die.HandlingCoreBuilder", core_).at(3), "Width.Value=75 (paused)");
  EXPECT_EQ(Apply("Die.FillAreaBuilder", fill_).at(0), "LowerLimitOffset.Value=1 (paused)");
  EXPECT_EQ(Apply("Die.HeelpostBuilder", heel_).at(5), "FloorThickness.Value=60 (paused)");
  PART_set_work_part(part());
  part()->SetUnitCode(2);
  EXPECT_EQ(Apply("Die.FingerClearanceNotchBuilder", notch_).at(0), "Depth.Value=5 (paused)");
}

// ---- test prints --------------------------------------------------------------------------------

using stamvik_test::DieToolBuilderPrint;

TEST_F(DieToolBuilderPrint, FillAreaAndFingerClearanceNotchPrintTheirValues) {
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

using stamvik_test::DieToolBuilderOwners;

TEST_F(DieToolBuilderOwners, TypeByAnyCaseReadsEachClassesOwnMembers) {
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

TEST_F(DieToolBuilderOwners, NamedSubobjectsOfTheNotchAndTheHandlingCore) {
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

TEST_F(DieToolBuilderOwners, WithoutAnObjectEveryRowIsListedWithItsNullValue) {
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

TEST_F(DieToolBuilderOwners, AWriteThroughAnyOwnerIsJournalledLikeItsScriptingCall) {
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

// Every die-design body builder observes its target selection (and the
// machine relief its main profile): what a script selects there, through the
// host's scripting call, reaches the builder, which hands the body to its
// target object.
template <class Factory>
void ExpectTargetReachesBuilder(CM_part* part, tag_t body) {
  auto* builder = Factory::Create(part, nullptr);
  EXPECT_EQ(Script::SelectObject_set_Value(builder->GetTarget(), body), 0);
  EXPECT_EQ(builder->GetTargetData()->GetTargetBody(), body);
  builder->destroy();
}

class DieBodyBuilderTargets : public stamvik_test::HostTest {};

TEST_F(DieBodyBuilderTargets, WhatAScriptSelectsReachesTheBuilder) {
  tag_t body = 0;
  ASSERT_EQ(Script::Part_CreateSolidBody(part()->ask_tag(), &body), 0);
  ExpectTargetReachesBuilder<DieDesJA::CastReliefBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::ClampingSlotBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::ClearanceBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::FillAreaBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::FingerClearanceNotchBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::HandlingCoreBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::HeelpostBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::KeywayBuilderFactory>(modelPart(), body);
  ExpectTargetReachesBuilder<DieDesJA::MachineReliefBuilderFactory>(modelPart(), body);

  // One closed and one open main profile loop: the relief runs between them,
  // so its start and end are no longer asked for.
  auto* relief = DieDesJA::MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  const JAM_point3d_s closed[] = {{0, 0, 0}, {10, 0, 0}, {10, 10, 0}}, open[] = {{0, 20, 0}, {10, 20, 0}};
  EXPECT_EQ(Script::Section_AddLoop(relief->GetMainProfile(), 0, 3, closed), 0);
  EXPECT_TRUE(relief->GetStart()->GetApplIsOverallRequired());
  EXPECT_EQ(Script::Section_AddLoop(relief->GetMainProfile(), 1, 2, open), 0);
  EXPECT_FALSE(relief->GetStart()->GetApplIsOverallRequired());
  EXPECT_FALSE(relief->GetEnd()->GetApplIsOverallRequired());
  relief->destroy();
}

TEST(DieToolBuilderOwnerLoad, EachBuilderOwnerComesJustBeforeItsFeatureOwner) {
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

namespace {

const char* kKeyway = "Die.KeywayBuilder";
const char* kRelief = "Die.MachineReliefBuilder";

// ---- exports and interface ids -------------------------------------------------------

TEST(KeywayReliefExports, OperationZeroAnswersTheInterfaceIdOnBothImplementations) {
  ExpectInterfaceId<Die_KeywayBuilder_Interface>(kKeyway, 0xA0A521D1u);
  ExpectInterfaceId<Die_MachineReliefBuilder_Interface>(kRelief, 0x125DF3C1u);
}

TEST(KeywayReliefExports, RegisteredBeforeTheirFeatureClassesWithTheirCreators) {
  std::vector<std::string> files = JAM::Test::FileInitializerNames();
  auto at = std::find(files.begin(), files.end(), "Die.KeywayBuilder");
  ASSERT_NE(at, files.end());
  ASSERT_GE(files.end() - at, 4);
  EXPECT_EQ(std::vector<std::string>(at, at + 4),
            (std::vector<std::string>{"Die.KeywayBuilder", "Die.Keyway", "Die.MachineReliefBuilder",
                                      "Die.MachineRelief"}));
  std::vector<std::string> classes = JAM::Test::ClassInitializerNames();
  EXPECT_EQ(std::count(classes.begin(), classes.end(), "Die.KeywayBuilder"), 1);
  EXPECT_EQ(std::count(classes.begin(), classes.end(), "Die.MachineReliefBuilder"), 1);
  EXPECT_EQ(std::count(classes.begin(), classes.end(), "Die.Keyway"), 0);
  EXPECT_EQ(std::count(classes.begin(), classes.end(), "Die.MachineRelief"), 0);
  std::vector<std::string> creators = JAM::Test::CreatorMethodNames();
  EXPECT_EQ(std::count(creators.begin(), creators.end(), "Die.DieCollection Keyway"), 1);
  EXPECT_EQ(std::count(creators.begin(), creators.end(), "Die.DieCollection CreateMachineReliefBuilder"), 1);
}

using stamvik_test::KeywayReliefScripting;

// ---- members -----------------------------------------------------------------------------

TEST_F(KeywayReliefScripting, SelectionGettersAssociateWithTheirTemplateClass) {
  SetUpClasses();
  SELECT_OBJECT* system = nullptr;
  SELECT_OBJECT* sheet = nullptr;
  ASSERT_EQ(XJA_KEYWAY_BUILDER_get_DieCenterlineCoordinateSystem(keyway_, &system), 0);
  ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_get_TrimSheet(relief_, &sheet), 0);
  ASSERT_EQ(JAM::Recorded().size(), 2u);
  const JAM::Record& first = JAM::Recorded()[0];
  EXPECT_EQ(first.member, "DieCenterlineCoordinateSystem");
  EXPECT_EQ(first.values.at(0).name, "diecenterlinecoordinatesystem");
  ASSERT_EQ(first.associations.size(), 1u);
  EXPECT_EQ(first.associations[0].templateClass, "SelectCartesianCoordinateSystem");
  EXPECT_EQ(first.associations[0].tag, system != nullptr ? system->ask_tag() : 0u);
  const JAM::Record& second = JAM::Recorded()[1];
  EXPECT_EQ(second.values.at(0).name, "trimsheet");
  ASSERT_EQ(second.associations.size(), 1u);
  EXPECT_EQ(second.associations[0].templateClass, "SelectBody");
  EXPECT_EQ(second.associations[0].tag, sheet != nullptr ? sheet->ask_tag() : 0u);
}

TEST_F(KeywayReliefScripting, AnErrorInAJournalledBodyNamesTheUnit) {
  SetUpClasses();
  JAM::Test::RaiseAt("JAM_end_of_arguments", 66);
  EXPECT_EQ(XJA_KEYWAY_BUILDER_set_type(keyway_, 1), 66);
  JAM::Test::RaiseAt("JAM_end_of_arguments", 66);
  EXPECT_EQ(XJA_MACHINE_RELIEF_BUILDER_set_JogWall(relief_, true), 66);
  ASSERT_EQ(Error::SevereErrors().size(), 2u);
  EXPECT_EQ(Error::SevereErrors()[0].file, "ja_die_keyway_builder_jam");
  EXPECT_EQ(Error::SevereErrors()[1].file, "ja_die_machine_relief_builder_jam");
  EXPECT_EQ(JAM::Recorded().at(0).status, 66);
  // The body did not run.
  EXPECT_EQ(keyway_->GetType(), DieDesJA::JA_KEYWAY_BUILDER_types_Rectangular);
  EXPECT_FALSE(relief_->GetJogWall());
}

// ---- property owners -------------------------------------------------------------------------

class KeywayReliefOwners : public KeywayReliefScripting {
 protected:
  void SetUp() override {
    KeywayReliefScripting::SetUp();
    keywayOwner_ = JAM::PropertyMapper::GetOwner(kKeyway);
    reliefOwner_ = JAM::PropertyMapper::GetOwner(kRelief);
    ASSERT_NE(keywayOwner_, nullptr);
    ASSERT_NE(reliefOwner_, nullptr);
    SetUpClasses();
  }
  Property::ValuePtr Keyway(const char* name) {
    return Property::ValuePtr(keywayOwner_->GetProperty(keyway_, name));
  }
  Property::ValuePtr Relief(const char* name) {
    return Property::ValuePtr(reliefOwner_->GetProperty(relief_, name));
  }
  static std::vector<std::string> Names(const Property::List& list, int count) {
    std::vector<std::string> names;
    for (int i = 0; i < count && i < list.GetCount(); ++i)
      names.push_back(list.GetNameByIndex(i) != nullptr ? list.GetNameByIndex(i) : "(none)");
    return names;
  }
  static const char* ClassNameOf(const Property::ValuePtr& value) {
    return static_cast<const Property::Subobject&>(*value).GetClassName();
  }

  Property::Owner* keywayOwner_ = nullptr;
  Property::Owner* reliefOwner_ = nullptr;
};

TEST_F(KeywayReliefOwners, ListsTheirTablesInOrderThenTheFeatureBuildersProperties) {
  Property::List keyway;
  keywayOwner_->GetProperties(keyway_, keyway);
  std::vector<std::string> expected = {
      "Target", "Location", "Offset", "BaseOrientation", "PlacementOffset", "DieCenterlineCoordinateSystem",
      "SheetMetal", "DeckThickness", "BaseFlange", "InteriorProfile", "SlotLength", "SlotWidth", "SlotDepth",
      "PadWidth", "PadHeight", "MinimumRibHeight", "RunoffLength", "RunoffWidth", "RunoffDepth", "RunoffRadius",
      "CreateWithPad", "SlotAttributes", "PadAttributes", "DistanceTolerance", "AngleTolerance", "Type",
      // then the owner of "Features.FeatureBuilder"
      "Editing"};
  EXPECT_EQ(Names(keyway, 27), expected);

  Property::List relief;
  reliefOwner_->GetProperties(relief_, relief);
  expected = {"Target", "BaseOrientation", "BaseOffset", "TopOffset", "MainProfileType", "MainProfile",
              "SwitchTrimSide", "Start", "End", "CamDirection", "TrimSheetType", "TrimSheet", "TrimSheetFace",
              "TrimSheetOffset", "InsideWallProfile", "Offset", "Relief", "BeltFaceThickness", "ProfileOffset",
              "ReliefOffset", "TrimOffset", "WallOffset", "WallThickness", "JogWall", "BeltAttributes",
              "DistanceTolerance", "AngleTolerance", "Type", "Editing"};
  EXPECT_EQ(Names(relief, 29), expected);
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(KeywayReliefOwners, EveryFormOfANameReadsTheSameProperty) {
  keyway_->SetLocation(DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
  for (const char* name : {"location", "Location", "LOCATION"}) {
    Property::ValuePtr value = Keyway(name);
    ASSERT_NE(value, nullptr) << name;
    ASSERT_EQ(value->GetType(), Property::ValueType::kEnum) << name;
    EXPECT_EQ(value->GetEnum(), 3) << name;
    EXPECT_STREQ(static_cast<Property::Enum&>(*value).GetMemberName(), "NegativeY") << name;
  }
  for (const char* name : {"MinimumRibHeight", "minimum_rib_height", "MINIMUM_RIB_HEIGHT", "minimumribheight"}) {
    Property::ValuePtr value = Keyway(name);
    ASSERT_NE(value, nullptr) << name;
    EXPECT_EQ(value->GetSubobject(), keyway_->GetMinimumRibHeight()) << name;
    EXPECT_STREQ(ClassNameOf(value), "Expression") << name;
  }
  Property::ValuePtr system = Keyway("die_centerline_coordinate_system");
  ASSERT_NE(system, nullptr);
  EXPECT_STREQ(ClassNameOf(system), "SelectCartesianCoordinateSystem");

  relief_->SetTrimSheetType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes_Face);
  for (const char* name : {"trim_sheet_type", "TrimSheetType"}) {
    Property::ValuePtr value = Relief(name);
    ASSERT_NE(value, nullptr) << name;
    EXPECT_EQ(value->GetEnum(), 1) << name;
    EXPECT_STREQ(static_cast<Property::Enum&>(*value).GetMemberName(), "Face") << name;
  }
  for (auto [name, object] : {std::pair<const char*, OM::Object*>{"start", relief_->GetStart()},
                              {"end", relief_->GetEnd()}}) {
    Property::ValuePtr value = Relief(name);
    ASSERT_NE(value, nullptr) << name;
    ASSERT_EQ(value->GetType(), Property::ValueType::kSubobject) << name;
    EXPECT_EQ(value->GetSubobject(), object) << name;
    EXPECT_STREQ(ClassNameOf(value), "Die.DieLocationBuilder") << name;
  }
  // A blank between the words is no form of the name: the parent's owner knows nothing of it.
  EXPECT_EQ(Relief("trim sheet type"), nullptr);
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(KeywayReliefOwners, AWriteLeavesTheSameJournalRecordAsTheScriptingCall) {
  keyway_->SetLocation(DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
  Property::ValuePtr location = Keyway("Location");
  static_cast<Property::Enum&>(*location).SetValue(0);
  EXPECT_EQ(keywayOwner_->SetProperty(keyway_, "location", location.get()), 0);
  EXPECT_EQ(keyway_->GetLocation(), DieDesJA::JA_KEYWAY_BUILDER_location_type_PositiveX);
  JAM::Journal viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  EXPECT_EQ(XJA_KEYWAY_BUILDER_set_Location(keyway_, 0), 0);
  ASSERT_EQ(viaOwner.size(), 1u);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  EXPECT_EQ(viaOwner[0].member, "Location");
  EXPECT_EQ(viaOwner[0].values.at(0).name, "location");

  JAM::ClearJournal();
  Property::ValuePtr angle = Property::MakeDouble(0.75);
  EXPECT_EQ(keywayOwner_->SetProperty(keyway_, "ANGLE_TOLERANCE", angle.get()), 0);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  EXPECT_EQ(XJA_KEYWAY_BUILDER_set_AngleTolerance(keyway_, 0.75), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());

  // The machine relief's Type: written through the owner, read back as set.
  JAM::ClearJournal();
  Property::ValuePtr type = Relief("Type");
  static_cast<Property::Enum&>(*type).SetValue(2);
  EXPECT_EQ(reliefOwner_->SetProperty(relief_, "type", type.get()), 0);
  viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  EXPECT_EQ(XJA_MACHINE_RELIEF_BUILDER_set_Type(relief_, 2), 0);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  Property::ValuePtr back = Relief("Type");
  EXPECT_EQ(back->GetEnum(), 2);
  EXPECT_STREQ(static_cast<Property::Enum&>(*back).GetMemberName(), "Thicken");
}

TEST_F(KeywayReliefOwners, ReadOnlyPropertiesGoToTheParentOwnerAndWriteNothing) {
  Property::ValuePtr value = Property::MakeDouble(1.0);
  // Nobody up the chain writes these: the host's answer comes back unchanged.
  EXPECT_EQ(keywayOwner_->SetProperty(keyway_, "SlotWidth", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(reliefOwner_->SetProperty(relief_, "trim_sheet_face", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(reliefOwner_->SetProperty(relief_, "BeltAttributes", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(reliefOwner_->SetProperty(relief_, "Start", value.get()), Property::kUnknownProperty);
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(KeywayReliefOwners, SetPropertiesWritesTheSettableRowsEachAsOneJournalledCall) {
  for (auto [owner, object, journalClass, members] :
       {std::tuple<Property::Owner*, OM::Object*, std::string, std::vector<std::string>>{
            keywayOwner_, keyway_, kKeyway, {"Location", "CreateWithPad", "DistanceTolerance", "AngleTolerance", "Type"}},
        {reliefOwner_, relief_, kRelief,
         {"MainProfileType", "SwitchTrimSide", "TrimSheetType", "JogWall", "DistanceTolerance", "AngleTolerance",
          "Type"}}}) {
    std::vector<std::string> written;
    for (const JAM::Record& r : WriteBackAll(owner, object)) {
      if (r.journalClass != journalClass) continue;
      EXPECT_EQ(r.methodType, 2) << r.member;
      EXPECT_EQ(r.depth, 0) << r.member;
      written.push_back(r.member);
    }
    EXPECT_EQ(written, members) << journalClass;
  }
}

TEST_F(KeywayReliefOwners, FeatureOwnersAnswerAsTheBodyFeatureOwner) {
  Property::Owner* bodyFeature = JAM::PropertyMapper::GetOwner("Features.BodyFeature");
  ASSERT_NE(bodyFeature, nullptr);
  for (const char* feature : {"Die.Keyway", "Die.MachineRelief"}) {
    Property::Owner* owner = JAM::PropertyMapper::GetOwner(feature);
    ASSERT_NE(owner, nullptr) << feature;
    Property::List mine, parents;
    owner->GetProperties(keyway_, mine);
    bodyFeature->GetProperties(keyway_, parents);
    EXPECT_EQ(Names(mine, mine.GetCount()), Names(parents, parents.GetCount())) << feature;
    EXPECT_EQ(Property::ValuePtr(owner->GetProperty(keyway_, "Location")), nullptr) << feature;
  }
}

}  // namespace

namespace {

using stamvik_test::GenericBodyBuilderClasses;

// ---- registration -----------------------------------------------------------

TEST_F(GenericBodyBuilderClasses, CreateCallbacksGivenNoMemoryConstructNothing) {
  EXPECT_EQ(HeelpostBuilder::CreateHeelpostBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(KeywayBuilder::CreateKeywayBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(MachineReliefBuilder::CreateMachineReliefBuilderCallback(nullptr, 1, nullptr), nullptr);
}

// ---- fresh objects ------------------------------------------------------------

TEST_F(GenericBodyBuilderClasses, FactoriesMakeBuildersWithZeroedInputs) {
  HeelpostBuilder* heelpost = HeelpostBuilderFactory::Create(modelPart(), nullptr);
  KeywayBuilder* keyway = KeywayBuilderFactory::Create(modelPart(), nullptr);
  MachineReliefBuilder* relief = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  ASSERT_NE(heelpost, nullptr);
  ASSERT_NE(keyway, nullptr);
  ASSERT_NE(relief, nullptr);

  EXPECT_EQ(heelpost->OmClassId(), HeelpostBuilderClassId);
  EXPECT_EQ(heelpost->ask_owning_part(), part());
  EXPECT_EQ(heelpost->get_frec(), nullptr);
  EXPECT_EQ(AlgorithmVersion(heelpost), 0);
  EXPECT_EQ(JournalClass(heelpost), "Die.HeelpostBuilder");
  EXPECT_EQ(heelpost->GetType(), JA_HEELPOST_BUILDER_types_GuidepostWearplate);
  EXPECT_FALSE(heelpost->GetCreateFloor());
  EXPECT_FALSE(heelpost->GetUsePercent());
  EXPECT_FALSE(heelpost->GetWallDRelief());
  EXPECT_FALSE(heelpost->GetDisplayOptionalSelections());
  EXPECT_NE(heelpost->GetCenter(), nullptr);
  EXPECT_NE(heelpost->GetTargetData(), nullptr);
  EXPECT_EQ(heelpost->GetDistanceTolerance(), KTX::TOLER_ask_distance_tol());

  EXPECT_EQ(keyway->OmClassId(), KeywayBuilderClassId);
  EXPECT_EQ(keyway->ask_owning_part(), part());
  EXPECT_EQ(AlgorithmVersion(keyway), 0);
  EXPECT_EQ(JournalClass(keyway), "Die.KeywayBuilder");
  EXPECT_EQ(keyway->GetLocation(), JA_KEYWAY_BUILDER_location_type_PositiveX);
  EXPECT_EQ(keyway->GetType(), JA_KEYWAY_BUILDER_types_Rectangular);
  EXPECT_FALSE(keyway->GetCreateWithPad());
  EXPECT_TRUE(keyway->GetBaseFlange()->is_empty());

  EXPECT_EQ(relief->OmClassId(), MachineReliefBuilderClassId);
  EXPECT_EQ(relief->ask_owning_part(), part());
  EXPECT_EQ(AlgorithmVersion(relief), 0);
  EXPECT_EQ(JournalClass(relief), "Die.MachineReliefBuilder");
  EXPECT_EQ(relief->GetType(), JA_MACHINE_RELIEF_BUILDER_Types_Cam);
  EXPECT_EQ(relief->GetMainProfileType(), JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Exterior);
  EXPECT_EQ(relief->GetTrimSheetType(), JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes_Sheet);
  EXPECT_FALSE(relief->GetSwitchTrimSide());
  EXPECT_FALSE(relief->GetJogWall());
  EXPECT_EQ(relief->GetTrimSheetFace()->ask_count(), 0);

  heelpost->destroy();
  keyway->destroy();
  relief->destroy();
}

// ---- undo ------------------------------------------------------------------------------

TEST_F(GenericBodyBuilderClasses, UndoRestoresHeelpostAndKeywayFields) {
  HeelpostBuilder* heelpost = HeelpostBuilderFactory::Create(modelPart(), nullptr);
  KeywayBuilder* keyway = KeywayBuilderFactory::Create(modelPart(), nullptr);
  heelpost->SetWallBCreate(true);
  keyway->SetLocation(JA_KEYWAY_BUILDER_location_type_PositiveY);
  SELECT_OBJECT* sheetMetal = keyway->GetSheetMetal();
  SELECT_OBJECT* csys = heelpost->GetDieCenterlineCoordinateSystem();
  auto* selection = Host::CreateHostObject<SELECT_OBJECT>();

  int error = -1;
  int mark = UNDO_QD_set_mark(1, nullptr, &error);
  ASSERT_EQ(error, 0);
  heelpost->SetWallBCreate(false);
  heelpost->SetUsePercent(true);
  heelpost->SetType(JA_HEELPOST_BUILDER_types_SafetyBlock);
  heelpost->SetDistanceTolerance(0.5);
  OM::SetReferencedObject(heelpost, HeelpostBuilder::m_dieCenterlineCoordinateSystemAttId, selection);
  ASSERT_EQ(heelpost->GetDieCenterlineCoordinateSystem(), selection);
  keyway->SetLocation(JA_KEYWAY_BUILDER_location_type_NegativeY);
  keyway->SetType(JA_KEYWAY_BUILDER_types_Circular);
  keyway->SetCreateWithPad(true);
  OM::SetReferencedObject(keyway, KeywayBuilder::m_sheetMetalAttId, selection);
  ASSERT_EQ(keyway->GetSheetMetal(), selection);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);

  EXPECT_TRUE(heelpost->GetWallBCreate());
  EXPECT_FALSE(heelpost->GetUsePercent());
  EXPECT_EQ(heelpost->GetType(), JA_HEELPOST_BUILDER_types_GuidepostWearplate);
  EXPECT_EQ(heelpost->GetDistanceTolerance(), KTX::TOLER_ask_distance_tol());  // as the new builder took it
  EXPECT_EQ(heelpost->GetDieCenterlineCoordinateSystem(), csys);
  EXPECT_EQ(keyway->GetLocation(), JA_KEYWAY_BUILDER_location_type_PositiveY);
  EXPECT_EQ(keyway->GetType(), JA_KEYWAY_BUILDER_types_Rectangular);
  EXPECT_FALSE(keyway->GetCreateWithPad());
  EXPECT_EQ(keyway->GetSheetMetal(), sheetMetal);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  heelpost->destroy();
  keyway->destroy();
  selection->destroy();
}

}  // namespace

namespace {

// ---- exports and interface ids -------------------------------------------------------

TEST(DieToolBuilderExports, OperationZeroOfBothImplementationsAnswersTheInterfaceId) {
  ExpectInterfaceId<Die_ClampingSlotBuilder_Interface>("Die.ClampingSlotBuilder", 0xc53d8319u);
  ExpectInterfaceId<Die_ClearanceBuilder_Interface>("Die.ClearanceBuilder", 0xbb75bdb2u);
  ExpectInterfaceId<Die_CompensateRoughDataBuilder_Interface>("Die.CompensateRoughDataBuilder", 0x82dc166cu);
  ExpectInterfaceId<Die_DieBooleanBuilder_Interface>("Die.DieBooleanBuilder", 0x3ea763e1u);
}

// ---- load registration ------------------------------------------------------------------

TEST(DieToolBuilderLoad, UnitsJoinTheTableOrderWithTheirCreatorNames) {
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

// ---- journalled calls --------------------------------------------------------------------

using stamvik_test::SlotClearanceRoughBooleanBuilders;

TEST_F(SlotClearanceRoughBooleanBuilders, AGetOfTargetWithoutASelectionIsNullAndStillAssociated) {
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

// ---- test prints -------------------------------------------------------------------------------

using stamvik_test::SlotClearanceRoughBooleanPrint;

TEST_F(SlotClearanceRoughBooleanPrint, ClearanceAndRoughDataPrintTheirValues) {
  EXPECT_EQ(Printed("Die.ClearanceBuilder", clearance_),
            (std::vector<std::string>{"GetClearanceGeometryType", "GetDistance", "GetOffset", "GetDistanceTolerance",
                                      "GetAngleTolerance", "GetType", "class FeatureBuilder  0"}));
  EXPECT_EQ(Printed("Die.CompensateRoughDataBuilder", rough_),
            (std::vector<std::string>{"GetJoinOutputCurves", "GetModifyInputSheet", "GetApproximation",
                                      "GetDistanceTolerance", "GetAngleTolerance", "GetMaximumGap", "GetType",
                                      "class FeatureBuilder  0"}));
}

// ---- property owners -----------------------------------------------------------------------------

using stamvik_test::SlotClearanceRoughBooleanOwners;

TEST_F(SlotClearanceRoughBooleanOwners, RegisteredUnderTheirJournalClassesAndParents) {
  const std::pair<const char*, const char*> rows[] = {
      {"Die.ClampingSlotBuilder", "Features.FeatureBuilder"},
      {"Die.ClearanceBuilder", "Features.FeatureBuilder"},
      {"Die.CompensateRoughDataBuilder", "Features.FeatureBuilder"},
      {"Die.DieBooleanBuilder", "TaggedObject"},
  };
  for (const auto& [journalClass, parent] : rows) {
    SCOPED_TRACE(journalClass);
    EXPECT_NE(OwnerOf(journalClass), nullptr) << journalClass;
    EXPECT_NE(JAM::PropertyMapper::GetParentClassName(journalClass), nullptr) << journalClass;
    if (JAM::PropertyMapper::GetParentClassName(journalClass) == nullptr) continue;
    EXPECT_STREQ(JAM::PropertyMapper::GetParentClassName(journalClass), parent) << journalClass;
  }
}

TEST_F(SlotClearanceRoughBooleanOwners, OwnersLoadBeforeTheJournalingUnitsInAlphabeticalOrder) {
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

TEST_F(SlotClearanceRoughBooleanBuilders, ARecordedJournalReplaysToTheSameJournal) {
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

namespace {

constexpr const char* kBodyBuilder = "KTX::DieDesJA::GenericBodyBuilder";

TEST_F(GenericBodyBuilderClasses, RegistrationsMatchTheClassTable) {
  ExpectRegistration(ClampingSlotBuilderClassId, "KTX::DieDesJA::ClampingSlotBuilder", kBodyBuilder, 41,
                     {{0, "m_target", 4, 0x804001, "KTX::SELECT_OBJECT"},
                      {1, "m_locations", 4, 0x804001, "KTX::DieDesJA::DieLocationsBuilder"},
                      {2, "m_locationOffsetDirection", 4, 0x804001, "KTX::DieDes::DieDirectionBuilder"},
                      {6, "m_flangeBaseProfile", 4, 0x804001, "KTX::SC_section"},
                      {7, "m_centerlineLength", 4, 0x4001, "KTX::EXP_expression", 2185},
                      {20, "m_notchAngle", 4, 0x4001, "KTX::EXP_expression", 2184},
                      {23, "m_locationOnFlange", 0, 0x1},
                      {25, "m_padOffset", 4, 0x4001, "KTX::EXP_expression", 2185},
                      {28, "m_slotEndFacesAttributes", 4, 0xC04001, "KTX::DieDes::DieAttributesBuilder"},
                      {31, "m_distanceTolerance", 6, 0x1, nullptr, 2185},
                      {32, "m_angleTolerance", 6, 0x1, nullptr, 2184},
                      {33, "m_type", 3, 0x1},
                      {34, "m_hydraulicUnitDefaults", 0xFFFF0006, 0x201, nullptr, 2185},
                      {37, "m_travelingUnitlessDefaults", 0xFFFF0006, 0x201, nullptr, 2184},
                      {39, "m_automaticUnitlessDefaults", 0xFFFF0006, 0x201, nullptr, 2184},
                      {40, "m_targetData", 4, 0xC04001, "KTX::DieDes::ClampingSlotTarget"}});
  ExpectRegistration(ClearanceBuilderClassId, "KTX::DieDesJA::ClearanceBuilder", kBodyBuilder, 13,
                     {{1, "m_clearanceGeometryType", 3, 0x1},
                      {2, "m_geometry", 4, 0x804001, "KTX::SELECT_OBJECT_list"},
                      {5, "m_clearanceDirection", 4, 0x804001, "KTX::DieDes::DieDirectionBuilder"},
                      {7, "m_offset", 4, 0x4001, "KTX::EXP_expression"},
                      {10, "m_angleTolerance", 6, 0x1},
                      {12, "m_targetData", 4, 0x1A04001, "KTX::DieDes::ClearanceTarget"}});
  ExpectRegistration(FillAreaBuilderClassId, "KTX::DieDesJA::FillAreaBuilder", kBodyBuilder, 12,
                     {{1, "m_boundary", 4, 0x804001, "KTX::SC_section"},
                      {3, "m_upperLimitType", 3, 0x1},
                      {5, "m_upperLimitPlane", 4, 0x804001, "KTX::DieDes::DiePlaneBuilder"},
                      {7, "m_lowerLimitOffset", 4, 0x1E04001, "KTX::EXP_expression"},
                      {10, "m_type", 3, 0x1},
                      {11, "m_targetData", 4, 0x1A04001, "KTX::DieDes::FillAreaTarget"}});
  ExpectRegistration(FingerClearanceNotchBuilderClassId, "KTX::DieDesJA::FingerClearanceNotchBuilder", kBodyBuilder, 14,
                     {{2, "m_extrudeWidth", 4, 0x4001, "KTX::EXP_expression"},
                      {4, "m_reverseDirection", 0, 0x1},
                      {9, "m_attributes", 4, 0x804001, "KTX::DieDes::DieAttributesBuilder"},
                      {12, "m_type", 3, 0x1},
                      {13, "m_targetData", 4, 0x1A04001, "KTX::DieDes::FingerClearanceNotchTarget"}});
  ExpectRegistration(HandlingCoreBuilderClassId, "KTX::DieDesJA::HandlingCoreBuilder", kBodyBuilder, 12,
                     {{1, "m_location", 4, 0x804001, "KTX::DieDesJA::DieLocationsBuilder"},
                      {3, "m_baseOrientation", 4, 0x804001, "KTX::DieDes::DiePlaneBuilder"},
                      {4, "m_height", 4, 0x804001, "KTX::EXP_expression"},
                      {8, "m_distanceTolerance", 6, 0x1},
                      {11, "m_targetData", 4, 0x1A04001, "KTX::DieDes::HandlingCoreTarget"}});
}

TEST_F(GenericBodyBuilderClasses, CreateCallbacksGivenNoMemoryMakeNothing) {
  EXPECT_EQ(ClampingSlotBuilder::CreateClampingSlotBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(ClearanceBuilder::CreateClearanceBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(FillAreaBuilder::CreateFillAreaBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(FingerClearanceNotchBuilder::CreateFingerClearanceNotchBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(HandlingCoreBuilder::CreateHandlingCoreBuilderCallback(nullptr, 1, nullptr), nullptr);
}

TEST_F(GenericBodyBuilderClasses, FactoriesMakeBuildersOfThePartWithTheirFieldsAtRest) {
  auto* slot = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  auto* clearance = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  auto* fill = FillAreaBuilderFactory::Create(modelPart(), nullptr);
  auto* notch = FingerClearanceNotchBuilderFactory::Create(modelPart(), nullptr);
  auto* core = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);

  EXPECT_EQ(slot->ask_owning_part(), part());
  EXPECT_EQ(core->ask_owning_part(), part());
  EXPECT_EQ(slot->get_frec(), nullptr);
  EXPECT_EQ(slot->GetType(), JA_CLAMPING_SLOT_BUILDER_types_Hydraulic);
  EXPECT_NE(slot->GetTarget(), nullptr);
  EXPECT_NE(slot->GetLocations(), nullptr);
  EXPECT_EQ(slot->GetFlangeBaseProfileTag(), slot->GetFlangeBaseProfile()->ask_tag());
  EXPECT_FALSE(slot->GetLocationOnFlange());
  // A new slot keeps its tolerances 0 (they are not taken from the host).
  EXPECT_EQ(slot->GetDistanceTolerance(), 0.0);
  EXPECT_EQ(slot->GetAutomaticUnitlessDefaults(), 1);
  EXPECT_EQ(slot->GetAutomaticUnitlessDefaultsArray()[0], 0.0);
  EXPECT_EQ(clearance->GetType(), JA_CLEARANCE_BUILDER_Types_Gage);
  EXPECT_EQ(clearance->GetClearanceGeometryType(), JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Solid);
  EXPECT_EQ(fill->GetType(), JA_FILL_AREA_BUILDER_Types_BaseFlange);
  EXPECT_EQ(fill->GetUpperLimitType(), JA_FILL_AREA_BUILDER_UpperLimitTypes_Sheet);
  EXPECT_EQ(notch->GetType(), JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Section);
  EXPECT_FALSE(notch->GetReverseDirection());
  EXPECT_EQ(core->GetType(), JA_HANDLING_CORE_BUILDER_Types_AtLocation);

  ExpectJournalName(slot, "Die.ClampingSlotBuilder");
  ExpectJournalName(clearance, "Die.ClearanceBuilder");
  ExpectJournalName(fill, "Die.FillAreaBuilder");
  ExpectJournalName(notch, "Die.FingerClearanceNotchBuilder");
  ExpectJournalName(core, "Die.HandlingCoreBuilder");
  for (JAX_BASE_BUILDER* b : std::initializer_list<JAX_BASE_BUILDER*>{slot, clearance, fill, notch, core})
    b->destroy();
}

TEST_F(GenericBodyBuilderClasses, PlainWritesAreLoggedOnceUnlessTheObjectNeedsNoLog) {
  auto* slot = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  auto* notch = FingerClearanceNotchBuilderFactory::Create(modelPart(), nullptr);
  Host::ClearCalls();
  slot->SetLocationOnFlange(true);
  EXPECT_EQ(Host::CountCalls("OM__log"), 1u);
  slot->SetDistanceTolerance(0.5);
  EXPECT_EQ(Host::CountCalls("OM__log"), 2u);
  notch->SetReverseDirection(true);
  EXPECT_EQ(Host::CountCalls("OM__log"), 3u);
  EXPECT_TRUE(slot->GetLocationOnFlange());
  EXPECT_EQ(slot->GetDistanceTolerance(), 0.5);
  EXPECT_TRUE(notch->GetReverseDirection());

  Host::ClearCalls();
  notch->OmSetState(OM::Object::kStateNoLog);
  notch->SetAngleTolerance(0.01);
  notch->SetType(JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_SheetBody);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  EXPECT_EQ(notch->GetAngleTolerance(), 0.01);
  EXPECT_EQ(notch->GetType(), JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_SheetBody);
  slot->destroy();
  notch->destroy();
}

TEST_F(GenericBodyBuilderClasses, FieldsAreWhereTheirRowsSay) {
  auto* fill = FillAreaBuilderFactory::Create(modelPart(), nullptr);
  auto* core = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
  auto* slot = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  fill->SetDistanceTolerance(0.02);
  fill->SetType(JA_FILL_AREA_BUILDER_Types_ScrapArea);
  core->SetAngleTolerance(0.5);
  double value = 0;
  int number = 0;
  OM::OM_ask_reals(fill, FillAreaBuilder::m_distanceToleranceAttId, &value);
  EXPECT_EQ(value, 0.02);
  OM::OM_ask_int(fill, FillAreaBuilder::m_typeAttId, &number);
  EXPECT_EQ(number, 2);
  OM::OM_ask_reals(core, HandlingCoreBuilder::m_angleToleranceAttId, &value);
  EXPECT_EQ(value, 0.5);

  // References written through their attribute ids read back through the getters.
  auto* section = Host::CreateHostObject<SC_section>();
  auto* selection = Host::CreateHostObject<SELECT_OBJECT>();
  OM::SetReferencedObject(slot, ClampingSlotBuilder::m_flangeBaseProfileAttId, section);
  OM::SetReferencedObject(fill, FillAreaBuilder::m_upperLimitSheetAttId, selection);
  EXPECT_EQ(slot->GetFlangeBaseProfile(), section);
  EXPECT_EQ(slot->GetFlangeBaseProfileTag(), section->ask_tag());
  EXPECT_EQ(fill->GetUpperLimitSheet(), selection);
  EXPECT_NE(fill->GetLowerLimitSheet(), selection);
  // The fill area owns the selection now and takes it with it.
  // The slot's section reference is its own: it takes the section with it.
  for (OM::TaggedObject* o : std::initializer_list<OM::TaggedObject*>{slot, fill, core}) o->destroy();
}

TEST_F(GenericBodyBuilderClasses, UndoRestoresFieldsAndDefaultArrays) {
  auto* slot = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  auto* clearance = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  slot->SetTravelingUnitDefault(0, 20.0);
  slot->SetDistanceTolerance(0.01);
  int error = -1;
  int mark = UNDO_QD_set_mark(1, nullptr, &error);
  ASSERT_EQ(error, 0);
  slot->SetTravelingUnitDefault(0, 25.0);
  slot->SetTravelingUnitDefault(1, 30.0);
  slot->SetAutomaticUnitlessDefault(0, 15.0);
  slot->SetDistanceTolerance(0.5);
  slot->SetType(JA_CLAMPING_SLOT_BUILDER_types_Traveling);
  clearance->SetType(JA_CLEARANCE_BUILDER_Types_Lifter);
  clearance->SetClearanceGeometryType(JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Section);
  clearance->SetDistanceTolerance(0.3);
  ASSERT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  // The arrays as the new builder read them (17 lengths, one angle), with
  // the write made before the mark.
  EXPECT_EQ(slot->GetTravelingUnitDefaults(), 17);
  EXPECT_EQ(slot->GetTravelingUnitDefault(0), 20.0);
  EXPECT_EQ(slot->GetTravelingUnitDefault(1), 0.0);
  EXPECT_EQ(slot->GetAutomaticUnitlessDefaults(), 1);
  EXPECT_EQ(slot->GetAutomaticUnitlessDefault(0), 0.0);
  EXPECT_EQ(slot->GetDistanceTolerance(), 0.01);
  EXPECT_EQ(slot->GetType(), JA_CLAMPING_SLOT_BUILDER_types_Hydraulic);
  EXPECT_EQ(clearance->GetType(), JA_CLEARANCE_BUILDER_Types_Gage);
  EXPECT_EQ(clearance->GetClearanceGeometryType(), JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Solid);
  EXPECT_EQ(clearance->GetDistanceTolerance(), KTX::TOLER_ask_distance_tol());  // as the new builder took it
  // Written again under the same mark, past the array's end too, and undone again.
  slot->SetTravelingUnitDefault(0, 26.0);
  slot->SetTravelingUnitDefault(17, 31.0);
  slot->SetAutomaticUnitlessDefault(0, 16.0);
  slot->SetDistanceTolerance(0.6);
  ASSERT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(slot->GetTravelingUnitDefaults(), 17);
  EXPECT_EQ(slot->GetTravelingUnitDefault(0), 20.0);
  EXPECT_EQ(slot->GetAutomaticUnitlessDefault(0), 0.0);
  EXPECT_EQ(slot->GetDistanceTolerance(), 0.01);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  slot->destroy();
  clearance->destroy();
}

}  // namespace
