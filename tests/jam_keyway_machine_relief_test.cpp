// The scripting classes of the keyway and machine-relief builders: exports,
// interface ids, set-up, the operation-backed members, defaults and the test
// print. Expected names, orders and texts are written out by hand from the
// classes' published descriptions, not read from the tables the engine expands.
#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "ja_die_keyway_builder_jam.hpp"
#include "ja_die_machine_relief_builder_jam.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"

using namespace KTX;
using DieDesJA::KeywayBuilder;
using DieDesJA::MachineReliefBuilder;
using stamvik_test::AlreadySetUp;
using stamvik_test::ExpectInterfaceId;
using stamvik_test::ExportsStartingWith;
using stamvik_test::FirstJamCalls;
using stamvik_test::HostTest;
using stamvik_test::JamTest;
using stamvik_test::NamedWrites;
using stamvik_test::Paused;
using stamvik_test::WriteBackAll;

extern "C" {
int XJA_KEYWAY_BUILDER_get_Location(KeywayBuilder*, int*);
int XJA_KEYWAY_BUILDER_set_Location(KeywayBuilder*, int);
int XJA_KEYWAY_BUILDER_get_type(KeywayBuilder*, int*);
int XJA_KEYWAY_BUILDER_set_type(KeywayBuilder*, int);
int XJA_KEYWAY_BUILDER_set_CreateWithPad(KeywayBuilder*, bool);
int XJA_KEYWAY_BUILDER_set_AngleTolerance(KeywayBuilder*, double);
int XJA_KEYWAY_BUILDER_get_SlotWidth(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_DieCenterlineCoordinateSystem(KeywayBuilder*, SELECT_OBJECT**);
int XJA_KEYWAY_BUILDER_get_DeckThickness(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_SlotLength(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_SlotDepth(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_PadWidth(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_PadHeight(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_MinimumRibHeight(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_RunoffLength(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_RunoffWidth(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_RunoffDepth(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_RunoffRadius(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_PlacementOffset(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_Offset(KeywayBuilder*, EXP_expression**);
int XJA_KEYWAY_BUILDER_get_SlotAttributes(KeywayBuilder*, DieDes::DieAttributesBuilder**);
int XJA_KEYWAY_BUILDER_get_PadAttributes(KeywayBuilder*, DieDes::DieAttributesBuilder**);
int XJA_KEYWAY_BUILDER_get_SheetMetal(KeywayBuilder*, SELECT_OBJECT**);
int XJA_KEYWAY_BUILDER_get_Target(KeywayBuilder*, SELECT_OBJECT**);
int XJA_KEYWAY_BUILDER_get_DistanceTolerance(KeywayBuilder*, double*);
int XJA_KEYWAY_BUILDER_get_AngleTolerance(KeywayBuilder*, double*);
int XJA_KEYWAY_BUILDER_set_DistanceTolerance(KeywayBuilder*, double);
int XJA_MACHINE_RELIEF_BUILDER_get_Type(MachineReliefBuilder*, int*);
int XJA_MACHINE_RELIEF_BUILDER_set_Type(MachineReliefBuilder*, int);
int XJA_MACHINE_RELIEF_BUILDER_set_MainProfileType(MachineReliefBuilder*, int);
int XJA_MACHINE_RELIEF_BUILDER_get_TrimSheet(MachineReliefBuilder*, SELECT_OBJECT**);
int XJA_MACHINE_RELIEF_BUILDER_set_JogWall(MachineReliefBuilder*, bool);
}

namespace {

const char* kKeyway = "Die.KeywayBuilder";
const char* kRelief = "Die.MachineReliefBuilder";

// ---- exports and interface ids -------------------------------------------------------

TEST(KeywayMachineReliefExports, OperationZeroAnswersTheInterfaceIdOnBothImplementations) {
  ExpectInterfaceId<Die_KeywayBuilder_Interface>(kKeyway, 0xA0A521D1u);
  ExpectInterfaceId<Die_MachineReliefBuilder_Interface>(kRelief, 0x125DF3C1u);
}

TEST(KeywayMachineReliefExports, RegisteredBeforeTheirFeatureClassesWithTheirCreators) {
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

// ---- set-up ------------------------------------------------------------------------------

using KeywayMachineReliefTest = stamvik_test::KeywayReliefScripting;

// ---- the keyway's members ---------------------------------------------------------------

TEST_F(KeywayMachineReliefTest, SelectionGettersAssociateWithTheirTemplateClass) {
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

TEST_F(KeywayMachineReliefTest, AnErrorInAJournalledBodyNamesTheUnit) {
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

// ---- the machine relief's asymmetric Type -------------------------------------------------

// ---- scripting defaults ----------------------------------------------------------------------

using KeywayMachineReliefDefaults = stamvik_test::KeywayReliefDefaults;

// ---- test print ---------------------------------------------------------------------------------

using KeywayMachineReliefPrint = stamvik_test::KeywayReliefPrint;

// ---- property owners -------------------------------------------------------------------------

class KeywayMachineReliefOwners : public KeywayMachineReliefTest {
 protected:
  void SetUp() override {
    KeywayMachineReliefTest::SetUp();
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

TEST_F(KeywayMachineReliefOwners, ListsTheirTablesInOrderThenTheFeatureBuildersProperties) {
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

TEST_F(KeywayMachineReliefOwners, EveryFormOfANameReadsTheSameProperty) {
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

TEST_F(KeywayMachineReliefOwners, AWriteLeavesTheSameJournalRecordAsTheScriptingCall) {
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

TEST_F(KeywayMachineReliefOwners, ReadOnlyPropertiesGoToTheParentOwnerAndWriteNothing) {
  Property::ValuePtr value = Property::MakeDouble(1.0);
  // Nobody up the chain writes these: the host's answer comes back unchanged.
  EXPECT_EQ(keywayOwner_->SetProperty(keyway_, "SlotWidth", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(reliefOwner_->SetProperty(relief_, "trim_sheet_face", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(reliefOwner_->SetProperty(relief_, "BeltAttributes", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(reliefOwner_->SetProperty(relief_, "Start", value.get()), Property::kUnknownProperty);
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(KeywayMachineReliefOwners, SetPropertiesWritesTheSettableRowsEachAsOneJournalledCall) {
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

TEST_F(KeywayMachineReliefOwners, FeatureOwnersAnswerAsTheBodyFeatureOwner) {
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
