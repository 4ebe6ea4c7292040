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
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "ja_die_keyway_builder_jam.hpp"
#include "ja_die_machine_relief_builder_jam.hpp"
#include "ja_exports.hpp"
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

namespace {

const char* kKeyway = "Die.KeywayBuilder";
const char* kRelief = "Die.MachineReliefBuilder";

// The registry calls these tests compare leave the defaults queries out.
std::vector<std::string> JamCalls(bool withLog = true) {
  return stamvik_test::JamCalls(withLog, /*withDefaultsQueries=*/false);
}

// The units a class depends on are set up before the test looks, so that
// only the class's own registry calls remain to be seen.
void SetUpDependencies(const std::vector<const char*>& names) {
  for (const char* name : names) JAM::FileInitializer::Initialize(name);
}

// ---- exports and interface ids -------------------------------------------------------

TEST(KeywayMachineReliefExports, KeywayExportsItsThirtyOneMembersTypeInLowerCase) {
  std::set<std::string> expected;
  for (const char* name :
       {"get_Target", "get_Location", "set_Location", "get_Offset", "get_BaseOrientation", "get_PlacementOffset",
        "get_DieCenterlineCoordinateSystem", "get_SheetMetal", "get_DeckThickness", "get_BaseFlange",
        "get_InteriorProfile", "get_SlotLength", "get_SlotWidth", "get_SlotDepth", "get_PadWidth", "get_PadHeight",
        "get_MinimumRibHeight", "get_RunoffLength", "get_RunoffWidth", "get_RunoffDepth", "get_RunoffRadius",
        "get_CreateWithPad", "set_CreateWithPad", "get_SlotAttributes", "get_PadAttributes",
        "get_DistanceTolerance", "set_DistanceTolerance", "get_AngleTolerance", "set_AngleTolerance", "get_type",
        "set_type"})
    expected.insert(std::string("XJA_KEYWAY_BUILDER_") + name);
  ASSERT_EQ(expected.size(), 31u);
  EXPECT_EQ(ExportsStartingWith("XJA_KEYWAY_BUILDER_"), expected);
}

TEST(KeywayMachineReliefExports, MachineReliefExportsItsThirtyFiveMembersAsWritten) {
  std::set<std::string> expected;
  for (const char* name :
       {"get_Target", "get_BaseOrientation", "get_BaseOffset", "get_TopOffset", "get_MainProfileType",
        "set_MainProfileType", "get_MainProfile", "get_SwitchTrimSide", "set_SwitchTrimSide", "get_Start", "get_End",
        "get_CamDirection", "get_TrimSheetType", "set_TrimSheetType", "get_TrimSheet", "get_TrimSheetFace",
        "get_TrimSheetOffset", "get_InsideWallProfile", "get_Offset", "get_Relief", "get_BeltFaceThickness",
        "get_ProfileOffset", "get_ReliefOffset", "get_TrimOffset", "get_WallOffset", "get_WallThickness",
        "get_JogWall", "set_JogWall", "get_BeltAttributes", "get_DistanceTolerance", "set_DistanceTolerance",
        "get_AngleTolerance", "set_AngleTolerance", "get_Type", "set_Type"})
    expected.insert(std::string("XJA_MACHINE_RELIEF_BUILDER_") + name);
  ASSERT_EQ(expected.size(), 35u);
  EXPECT_EQ(ExportsStartingWith("XJA_MACHINE_RELIEF_BUILDER_"), expected);
}

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

class KeywayMachineReliefTest : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    keyway_ = DieDesJA::KeywayBuilderFactory::Create(modelPart(), nullptr);
    relief_ = DieDesJA::MachineReliefBuilderFactory::Create(modelPart(), nullptr);
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    keyway_->destroy();
    relief_->destroy();
    JamTest::TearDown();
  }
  // Sets both classes up, then forgets what was logged and recorded.
  void SetUpClasses() {
    int ignored = 0;
    ASSERT_EQ(XJA_KEYWAY_BUILDER_get_type(keyway_, &ignored), 0);
    ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_get_Type(relief_, &ignored), 0);
    JAM::ClearJournal();
    Host::ClearCalls();
  }
  static std::string TagOf(const OM::Object* object) { return std::to_string(object->OmTag()); }

  KeywayBuilder* keyway_ = nullptr;
  MachineReliefBuilder* relief_ = nullptr;
};

// Runs alone in its process under ctest; skipped when the class was set up earlier.
TEST_F(KeywayMachineReliefTest, KeywaySetUpMakesItsRegistryCallsInOrderBeforeTheFirstRecord) {
  if (AlreadySetUp(kKeyway)) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  SetUpDependencies({"Die.DieAttributesBuilder", "Die.DiePlaneBuilder", "Expression", "Section", "SelectObject"});
  Host::ClearCalls();
  int type = -1;
  ASSERT_EQ(XJA_KEYWAY_BUILDER_get_type(keyway_, &type), 0);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Die.DieAttributesBuilder",
      "FileInitializer::Initialize Die.DiePlaneBuilder",
      "FileInitializer::Initialize Expression",
      "FileInitializer::Initialize Section",
      "FileInitializer::Initialize SelectObject",
      "JAM_lookup_or_create_class Die.DieAttributesBuilder",
      "JAM_lookup_or_create_class Die.DiePlaneBuilder",
      "JAM_lookup_or_create_class Expression",
      "JAM_lookup_or_create_class Features.FeatureBuilder",
      "JAM_lookup_or_create_class Section",
      "JAM_lookup_or_create_template_class SelectCartesianCoordinateSystem SelectObject CartesianCoordinateSystem",
      "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
      "JAM_lookup_or_create_enum Die.KeywayBuilder.Types 4",
      "JAM_lookup_or_create_enum Die.KeywayBuilder.LocationType 4",
      "JAM_add_enum_member Die.KeywayBuilder.Types Rectangular 0",
      "JAM_add_enum_member Die.KeywayBuilder.Types Circular 1",
      "JAM_add_enum_member Die.KeywayBuilder.LocationType PositiveX 0",
      "JAM_add_enum_member Die.KeywayBuilder.LocationType NegativeX 1",
      "JAM_add_enum_member Die.KeywayBuilder.LocationType PositiveY 2",
      "JAM_add_enum_member Die.KeywayBuilder.LocationType NegativeY 3",
      "JAM_create_class Die.KeywayBuilder Features.FeatureBuilder",
      "JAM_test_register_print_fn Die.KeywayBuilder",
      "JAM_register_initialisation_function Die.KeywayBuilder",
  };
  for (const char* accessor :
       {"BaseFlange", "BaseOrientation", "DeckThickness", "DieCenterlineCoordinateSystem", "InteriorProfile",
        "MinimumRibHeight", "Offset", "PadAttributes", "PadHeight", "PadWidth", "PlacementOffset", "RunoffDepth",
        "RunoffLength", "RunoffRadius", "RunoffWidth", "SheetMetal", "SlotAttributes", "SlotDepth", "SlotLength",
        "SlotWidth", "Target"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.KeywayBuilder ") + accessor + " 0 1");
  ASSERT_EQ(expected.size(), 23u + 21u);
  // No interface is added; the record follows at once.
  expected.push_back("JAM_start_property_call Die.KeywayBuilder 1 Type");
  EXPECT_EQ(FirstJamCalls(expected.size()), expected);

  // The second call finds the class set up.
  Host::ClearCalls();
  ASSERT_EQ(XJA_KEYWAY_BUILDER_get_type(keyway_, &type), 0);
  EXPECT_EQ(JamCalls(false).front(), "JAM_start_property_call Die.KeywayBuilder 1 Type");
}

TEST_F(KeywayMachineReliefTest, MachineReliefSetUpMakesItsRegistryCallsInOrder) {
  if (AlreadySetUp(kRelief)) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<const char*> dependencies = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                           "Die.DieLocationBuilder",   "Die.DiePlaneBuilder",
                                           "Expression",               "ScCollector",
                                           "Section",                  "SelectObject"};
  SetUpDependencies(dependencies);
  Host::ClearCalls();
  JAM::FileInitializer::Initialize(kRelief);
  std::vector<std::string> expected = {"FileInitializer::Initialize Die.MachineReliefBuilder"};
  for (const char* name : dependencies) expected.push_back(std::string("FileInitializer::Initialize ") + name);
  for (const char* name : {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationBuilder",
                           "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder", "ScCollector", "Section"})
    expected.push_back(std::string("JAM_lookup_or_create_class ") + name);
  for (const char* line : {
           "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
           "JAM_lookup_or_create_enum Die.MachineReliefBuilder.Types 4",
           "JAM_lookup_or_create_enum Die.MachineReliefBuilder.MainProfileTypes 4",
           "JAM_lookup_or_create_enum Die.MachineReliefBuilder.TrimSheetTypes 4",
           "JAM_add_enum_member Die.MachineReliefBuilder.Types Cam 0",
           "JAM_add_enum_member Die.MachineReliefBuilder.Types Relief 1",
           "JAM_add_enum_member Die.MachineReliefBuilder.Types Thicken 2",
           "JAM_add_enum_member Die.MachineReliefBuilder.MainProfileTypes Exterior 0",
           "JAM_add_enum_member Die.MachineReliefBuilder.MainProfileTypes Interior 1",
           "JAM_add_enum_member Die.MachineReliefBuilder.TrimSheetTypes Sheet 0",
           "JAM_add_enum_member Die.MachineReliefBuilder.TrimSheetTypes Face 1",
           "JAM_create_class Die.MachineReliefBuilder Features.FeatureBuilder",
           "JAM_test_register_print_fn Die.MachineReliefBuilder",
           "JAM_register_initialisation_function Die.MachineReliefBuilder",
       })
    expected.push_back(line);
  for (const char* accessor :
       {"BaseOffset", "BaseOrientation", "BeltAttributes", "BeltFaceThickness", "CamDirection", "End",
        "InsideWallProfile", "MainProfile", "Offset", "ProfileOffset", "Relief", "ReliefOffset", "Start", "Target",
        "TopOffset", "TrimOffset", "TrimSheet", "TrimSheetFace", "TrimSheetOffset", "WallOffset", "WallThickness"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.MachineReliefBuilder ") + accessor + " 0 1");
  EXPECT_EQ(JamCalls(false), expected);
  EXPECT_TRUE(JAM::Recorded().empty());
}

// ---- the keyway's members ---------------------------------------------------------------

// Each scripting member reaches the keyway's own field: thirteen different
// expressions, the two attribute sub-builders, the three selections and the
// two tolerances.
TEST_F(KeywayMachineReliefTest, EachKeywayMemberReachesItsOwnField) {
  struct Expression {
    const char* name;
    int (*get)(KeywayBuilder*, EXP_expression**);
    EXP_expression* (KeywayBuilder::*field)() const;
  };
  const Expression expressions[] = {
      {"DeckThickness", XJA_KEYWAY_BUILDER_get_DeckThickness, &KeywayBuilder::GetDeckThickness},
      {"SlotLength", XJA_KEYWAY_BUILDER_get_SlotLength, &KeywayBuilder::GetSlotLength},
      {"SlotDepth", XJA_KEYWAY_BUILDER_get_SlotDepth, &KeywayBuilder::GetSlotDepth},
      {"PadWidth", XJA_KEYWAY_BUILDER_get_PadWidth, &KeywayBuilder::GetPadWidth},
      {"PadHeight", XJA_KEYWAY_BUILDER_get_PadHeight, &KeywayBuilder::GetPadHeight},
      {"MinimumRibHeight", XJA_KEYWAY_BUILDER_get_MinimumRibHeight, &KeywayBuilder::GetMinimumRibHeight},
      {"RunoffLength", XJA_KEYWAY_BUILDER_get_RunoffLength, &KeywayBuilder::GetRunoffLength},
      {"RunoffWidth", XJA_KEYWAY_BUILDER_get_RunoffWidth, &KeywayBuilder::GetRunoffWidth},
      {"RunoffDepth", XJA_KEYWAY_BUILDER_get_RunoffDepth, &KeywayBuilder::GetRunoffDepth},
      {"RunoffRadius", XJA_KEYWAY_BUILDER_get_RunoffRadius, &KeywayBuilder::GetRunoffRadius},
      {"PlacementOffset", XJA_KEYWAY_BUILDER_get_PlacementOffset, &KeywayBuilder::GetPlacementOffset},
      {"Offset", XJA_KEYWAY_BUILDER_get_Offset, &KeywayBuilder::GetOffset},
      {"SlotWidth", XJA_KEYWAY_BUILDER_get_SlotWidth, &KeywayBuilder::GetSlotWidth}};
  for (const Expression& e : expressions) {
    EXP_expression* got = nullptr;
    EXPECT_EQ(e.get(keyway_, &got), 0) << e.name;
    EXPECT_EQ(got, (keyway_->*e.field)()) << e.name;
  }
  DieDes::DieAttributesBuilder *slot = nullptr, *pad = nullptr;
  EXPECT_EQ(XJA_KEYWAY_BUILDER_get_SlotAttributes(keyway_, &slot), 0);
  EXPECT_EQ(XJA_KEYWAY_BUILDER_get_PadAttributes(keyway_, &pad), 0);
  EXPECT_EQ(slot, keyway_->GetSlotAttributes());
  EXPECT_EQ(pad, keyway_->GetPadAttributes());
  SELECT_OBJECT *target = nullptr, *sheet = nullptr, *csys = nullptr;
  EXPECT_EQ(XJA_KEYWAY_BUILDER_get_Target(keyway_, &target), 0);
  EXPECT_EQ(XJA_KEYWAY_BUILDER_get_SheetMetal(keyway_, &sheet), 0);
  EXPECT_EQ(XJA_KEYWAY_BUILDER_get_DieCenterlineCoordinateSystem(keyway_, &csys), 0);
  EXPECT_EQ(target, keyway_->GetTarget());
  EXPECT_EQ(sheet, keyway_->GetSheetMetal());
  EXPECT_EQ(csys, keyway_->GetDieCenterlineCoordinateSystem());
  EXPECT_EQ(XJA_KEYWAY_BUILDER_set_DistanceTolerance(keyway_, 0.03), 0);
  EXPECT_EQ(XJA_KEYWAY_BUILDER_set_AngleTolerance(keyway_, 0.7), 0);
  double distance = 0, angle = 0;
  EXPECT_EQ(XJA_KEYWAY_BUILDER_get_DistanceTolerance(keyway_, &distance), 0);
  EXPECT_EQ(XJA_KEYWAY_BUILDER_get_AngleTolerance(keyway_, &angle), 0);
  EXPECT_EQ(keyway_->GetDistanceTolerance(), 0.03);
  EXPECT_EQ(keyway_->GetAngleTolerance(), 0.7);
  EXPECT_EQ(distance, 0.03);
  EXPECT_EQ(angle, 0.7);
}

TEST_F(KeywayMachineReliefTest, KeywayTypeIsExportedInLowerCaseAndJournalledAsType) {
  SetUpClasses();
  ASSERT_EQ(XJA_KEYWAY_BUILDER_set_type(keyway_, 1), 0);
  EXPECT_EQ(keyway_->GetType(), DieDesJA::JA_KEYWAY_BUILDER_types_Circular);
  int type = -1;
  ASSERT_EQ(XJA_KEYWAY_BUILDER_get_type(keyway_, &type), 0);
  EXPECT_EQ(type, 1);
  std::string t = TagOf(keyway_);
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{
                            "JAM_start_property_call Die.KeywayBuilder 2 Type",
                            "JAM_this_ptr " + t,
                            "JAM_in_enum type=Die.KeywayBuilder.Types:1",
                            "JAM_end_of_arguments",
                            "OM__log tag=" + t,
                            "JAM_end_call 0",
                            "JAM_start_property_call Die.KeywayBuilder 1 Type",
                            "JAM_this_ptr " + t,
                            "JAM_result_enum type=Die.KeywayBuilder.Types",
                            "JAM_end_of_arguments",
                            "JAM_end_call 0",
                        }));
  ASSERT_EQ(JAM::Recorded().size(), 2u);
  const JAM::Value& in = JAM::Recorded()[0].values.at(0);
  EXPECT_EQ(JAM::Recorded()[0].member, "Type");
  EXPECT_EQ(in.name, "type");
  EXPECT_EQ(in.kind, JAM::ValueKind::Enum);
  EXPECT_EQ(in.type, "Die.KeywayBuilder.Types");
  EXPECT_EQ(JAM::Recorded()[1].values.at(0).integer, 1);
}

TEST_F(KeywayMachineReliefTest, KeywayLocationThroughEitherInterfaceReachesTheBuildersOperations) {
  SetUpClasses();
  auto* journalled = static_cast<Die_KeywayBuilder_Interface*>(JAM::ClassInitializer::GetJournalledInterface(kKeyway));
  auto* unjournalled =
      static_cast<Die_KeywayBuilder_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface(kKeyway));
  ASSERT_NE(journalled, nullptr);
  ASSERT_NE(unjournalled, nullptr);

  EXPECT_EQ(unjournalled->SetLocation(keyway_, 3), 0);
  EXPECT_EQ(keyway_->GetLocation(), DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
  EXPECT_EQ(unjournalled->SetType(keyway_, 1), 0);
  int value = -1;
  EXPECT_EQ(unjournalled->GetType(keyway_, &value), 0);
  EXPECT_EQ(value, 1);
  EXPECT_TRUE(JAM::Recorded().empty());

  EXPECT_EQ(journalled->SetLocation(keyway_, 2), 0);
  EXPECT_EQ(keyway_->GetLocation(), DieDesJA::JA_KEYWAY_BUILDER_location_type_PositiveY);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "Location");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "location");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).type, "Die.KeywayBuilder.LocationType");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).integer, 2);

  // The stored value is what the builder's operation answers, read through the export.
  ASSERT_EQ(XJA_KEYWAY_BUILDER_get_Location(keyway_, &value), 0);
  EXPECT_EQ(value, 2);

  // Nothing is checked: a value outside the enumeration is stored as given.
  EXPECT_EQ(XJA_KEYWAY_BUILDER_set_Location(keyway_, 9), 0);
  EXPECT_EQ(static_cast<int>(keyway_->GetLocation()), 9);
}

TEST_F(KeywayMachineReliefTest, KeywayJournalledSetLogsOnceAndRecordsTheCall) {
  SetUpClasses();
  ASSERT_EQ(XJA_KEYWAY_BUILDER_set_CreateWithPad(keyway_, false), 0);
  EXPECT_FALSE(keyway_->GetCreateWithPad());
  std::string t = TagOf(keyway_);
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{
                            "JAM_start_property_call Die.KeywayBuilder 2 CreateWithPad",
                            "JAM_this_ptr " + t,
                            "JAM_in_logical createwithpad=0",
                            "JAM_end_of_arguments",
                            "OM__log tag=" + t,
                            "JAM_end_call 0",
                        }));
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].state, JAM::RecordState::Closed);

  // A builder that need not be logged is not.
  Host::ClearCalls();
  keyway_->OmSetState(OM::Object::kStateNoLog);
  ASSERT_EQ(XJA_KEYWAY_BUILDER_set_CreateWithPad(keyway_, true), 0);
  EXPECT_TRUE(keyway_->GetCreateWithPad());
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
}

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

TEST_F(KeywayMachineReliefTest, MachineReliefThickenOnAnInteriorProfileReadsBackAsThicken) {
  SetUpClasses();
  // The builder holds its target data once its target is known; give it one here.
  if (relief_->GetTargetData() == nullptr)
    OM::OM_set_pointer(relief_, MachineReliefBuilder::m_targetDataAttId,
                       DieDes::MachineReliefTargetFactory::Create(part()));
  ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_set_MainProfileType(relief_, 1), 0);
  ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_set_Type(relief_, 2), 0);
  int type = -1;
  ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_get_Type(relief_, &type), 0);
  EXPECT_EQ(type, 2);
  // The setter went through the builder's SetType: the target data holds the interior kind.
  ASSERT_NE(relief_->GetTargetData(), nullptr);
  EXPECT_EQ(relief_->GetTargetData()->GetReliefKind(), 3);

  ASSERT_EQ(JAM::Recorded().size(), 3u);
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "mainprofiletype");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).type, "Die.MachineReliefBuilder.MainProfileTypes");
  EXPECT_EQ(JAM::Recorded()[1].member, "Type");
  EXPECT_EQ(JAM::Recorded()[1].values.at(0).name, "type");
  EXPECT_EQ(JAM::Recorded()[2].values.at(0).integer, 2);

  // On an exterior profile the target data takes the type as it is.
  ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_set_MainProfileType(relief_, 0), 0);
  ASSERT_EQ(XJA_MACHINE_RELIEF_BUILDER_set_Type(relief_, 2), 0);
  EXPECT_EQ(relief_->GetTargetData()->GetReliefKind(), 2);
}

// ---- scripting defaults ----------------------------------------------------------------------

class KeywayMachineReliefDefaults : public KeywayMachineReliefTest {
 protected:
  std::vector<std::string> Apply(const char* className, OM::Object* builder) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(className);
    EXPECT_NE(defaults, nullptr);
    Host::ClearCalls();
    if (defaults != nullptr) defaults(builder->OmTag(), true);
    return NamedWrites(TagOf(builder));
  }
};

TEST_F(KeywayMachineReliefDefaults, KeywayMillimetreAndInchTexts) {
  SetUpClasses();
  EXPECT_EQ(Apply(kKeyway, keyway_),
            Paused({"AngleTolerance=0.5", "CreateWithPad=1", "DeckThickness.Value=0", "DistanceTolerance=0.0254",
                    "Location=PositiveX", "MinimumRibHeight.Value=200", "Offset.Value=0", "PadHeight.Value=65",
                    "PadWidth.Value=60", "PlacementOffset.Value=0", "RunoffDepth.Value=40",
                    "RunoffLength.Value=60", "RunoffRadius.Value=30", "RunoffWidth.Value=16", "SlotDepth.Value=20",
                    "SlotLength.Value=100", "SlotWidth.Value=25"}));
  part()->SetUnitCode(1);
  EXPECT_EQ(Apply(kKeyway, keyway_),
            Paused({"AngleTolerance=0.5", "CreateWithPad=1", "DeckThickness.Value=0", "DistanceTolerance=0.001",
                    "Location=PositiveX", "MinimumRibHeight.Value=8", "Offset.Value=0", "PadHeight.Value=2.6",
                    "PadWidth.Value=2.4", "PlacementOffset.Value=0", "RunoffDepth.Value=1.6",
                    "RunoffLength.Value=2.4", "RunoffRadius.Value=1.2", "RunoffWidth.Value=0.625",
                    "SlotDepth.Value=0.8", "SlotLength.Value=4", "SlotWidth.Value=1"}));
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_FALSE(keyway_->DefaultsInProgress());
}

TEST_F(KeywayMachineReliefDefaults, KeywayWithoutAWorkPartTakesTheMillimetreTexts) {
  SetUpClasses();
  PART_set_work_part(nullptr);
  std::vector<std::string> rows = Apply(kKeyway, keyway_);
  ASSERT_EQ(rows.size(), 17u);
  EXPECT_EQ(rows[3], "DistanceTolerance=0.0254 (paused)");
  EXPECT_EQ(rows[16], "SlotWidth.Value=25 (paused)");
}

TEST_F(KeywayMachineReliefDefaults, MachineReliefWritesNoToleranceAndNoType) {
  SetUpClasses();
  relief_->SetDistanceTolerance(0.02);
  relief_->SetType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Relief);
  EXPECT_EQ(Apply(kRelief, relief_),
            Paused({"BaseOffset.Value=0", "BeltFaceThickness.Value=20", "JogWall=0", "MainProfileType=Exterior",
                    "Offset.Value=20", "ProfileOffset.Value=30", "Relief.Value=20", "ReliefOffset.Value=5",
                    "TopOffset.Value=1000", "TrimOffset.Value=5", "TrimSheetOffset.Value=0", "TrimSheetType=Sheet",
                    "WallOffset.Value=10", "WallThickness.Value=45"}));
  part()->SetUnitCode(1);
  EXPECT_EQ(Apply(kRelief, relief_),
            Paused({"BaseOffset.Value=0", "BeltFaceThickness.Value=0.8", "JogWall=0", "MainProfileType=Exterior",
                    "Offset.Value=0.8", "ProfileOffset.Value=1.2", "Relief.Value=0.8", "ReliefOffset.Value=0.2",
                    "TopOffset.Value=40", "TrimOffset.Value=0.2", "TrimSheetOffset.Value=0", "TrimSheetType=Sheet",
                    "WallOffset.Value=0.4", "WallThickness.Value=1.8"}));
  EXPECT_EQ(relief_->GetDistanceTolerance(), 0.02);
  EXPECT_EQ(relief_->GetType(), DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Relief);
}

// ---- test print ---------------------------------------------------------------------------------

class KeywayMachineReliefPrint : public KeywayMachineReliefTest {
 protected:
  // The printed entries: the getter's name, then the printed name and, for an
  // enumeration, its type.
  std::vector<std::string> Print(const char* className, OM::Object* builder) {
    JAM::Autotest::EnableAPIPrint(className, true);
    Host::ClearCalls();
    tag_t tag = builder->OmTag();
    JAM::Test::PrintFunction(className)(&tag, nullptr, 0);
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls()) {
      if (c.name == "JAM_test_print_method_start" || c.name == "JAM_test_print_param_ptr" ||
          c.name == "JAM_test_print_param_object")
        continue;
      if (c.name == "JAM_test_print_method_end") {
        out.push_back(c.args + " (expression)");
      } else if (c.name.rfind("_prop") == c.name.size() - 5) {
        std::string args = c.args.substr(0, c.args.find('='));
        out.push_back(args);
      } else if (c.name == "JAM_test_print_tag_of_class") {
        out.push_back("class " + c.args.substr(c.args.find(' ') + 1));
      }
    }
    return out;
  }
};

TEST_F(KeywayMachineReliefPrint, KeywayPrintsItsValuesInSlotOrder) {
  SetUpClasses();
  std::vector<std::string> expected = {"GetLocation location LocationType"};
  for (const char* name : {"GetOffset", "GetPlacementOffset", "GetDeckThickness", "GetSlotLength", "GetSlotWidth",
                           "GetSlotDepth", "GetPadWidth", "GetPadHeight", "GetMinimumRibHeight", "GetRunoffLength",
                           "GetRunoffWidth", "GetRunoffDepth", "GetRunoffRadius"})
    expected.push_back(std::string(name) + " (expression)");
  for (const char* line : {"GetCreateWithPad createWithPad", "GetDistanceTolerance distanceTolerance",
                           "GetAngleTolerance angleTolerance", "GetType type Types", "class FeatureBuilder  0"})
    expected.push_back(line);
  EXPECT_EQ(Print(kKeyway, keyway_), expected);
}

TEST_F(KeywayMachineReliefPrint, MachineReliefPrintsItsValuesInSlotOrder) {
  SetUpClasses();
  relief_->SetType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  std::vector<std::string> expected = {"GetBaseOffset (expression)", "GetTopOffset (expression)",
                                       "GetMainProfileType mainProfileType MainProfileTypes",
                                       "GetSwitchTrimSide switchTrimSide", "GetTrimSheetType trimSheetType TrimSheetTypes"};
  for (const char* name : {"GetTrimSheetOffset", "GetOffset", "GetRelief", "GetBeltFaceThickness", "GetProfileOffset",
                           "GetReliefOffset", "GetTrimOffset", "GetWallOffset", "GetWallThickness"})
    expected.push_back(std::string(name) + " (expression)");
  for (const char* line : {"GetJogWall jogWall", "GetDistanceTolerance distanceTolerance",
                           "GetAngleTolerance angleTolerance", "GetType type Types", "class FeatureBuilder  0"})
    expected.push_back(line);
  EXPECT_EQ(Print(kRelief, relief_), expected);
  // The type reads back by its member name.
  bool thicken = false;
  for (const Host::Call& c : Host::Calls())
    if (c.name == "JAM_test_print_enum_prop" && c.args == "GetType type Types=Thicken") thicken = true;
  EXPECT_TRUE(thicken);
}

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
