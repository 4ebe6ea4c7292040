// The machine relief builder driven as the host drives it: its target kinds,
// its main profile, opened again for editing; as an object-manager class its
// registration, plain setters and target kind; as a scripting class its
// exports, set-up, members, defaults and test print.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "JamTestSupport.hpp"
#include "ja_die_keyway_builder_jam.hpp"
#include "ja_die_machine_relief_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using namespace KTX::DieDesJA;
using KTX::Kernel::BodyType;
using KTX::DieDesJA::MachineReliefBuilder;
using KTX::DieDesJA::MachineReliefBuilderFactory;
using stamvik_test::DieDesignFeature;
using stamvik_test::TagsOf;

using stamvik_test::AlreadySetUp;
using stamvik_test::ExportsStartingWith;
using stamvik_test::FirstJamCalls;
using stamvik_test::Paused;

namespace {

// ---- machine relief ------------------------------------------------------------------

class MachineRelief : public DieDesignFeature {
 protected:
  static tag_t Polyline(bool closed) {
    const double points[] = {0, 0, 0, 50, 0, 0, 50, 30, 0, closed ? 0.0 : 20.0, 0, 0};
    return ES_create_polyline(4, points);
  }
};

TEST_F(MachineRelief, AnInteriorThickenedWallComesBackAsKindThreeWithSixInts) {
  MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  b->SetMainProfileType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  b->SetType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  b->SetJogWall(true);
  b->GetTrimSheetFace()->append(ModelBody(BodyType::Sheet));
  ClosedLoop(b->GetMainProfile());
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
  const int want[6] = {2, 1, 0, 0, 1, 0};
  ASSERT_EQ(parms->GetEntity(0)->AskCount(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(parms->AskEntityInt(0, i), want[i]) << i;
  // The faces' collector by its tag, mapped through the commit's table.
  EXPECT_EQ(TagsOf(parms, 8), std::vector<tag_t>{b->GetTrimSheetFace()->ask_tag()});
  EXPECT_EQ(b->GetTrimSheetFace()->ask_times_mapped(), 1);
  b->destroy();

  MachineReliefBuilder* edit = MachineReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  EXPECT_EQ(edit->GetMainProfileType(), DieDesJA::JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  EXPECT_TRUE(edit->GetJogWall());
  EXPECT_EQ(edit->GetTargetData()->GetReliefKind(), 3);
  EXPECT_EQ(edit->GetTrimSheetFace()->ask_count(), 1);
  edit->destroy();
}

TEST_F(MachineRelief, WithoutAClosedMainProfileTheTargetsCurveForTheKindDecidesStartAndEnd) {
  enum Effect { kOptional, kRequired, kKeep };
  struct Row {
    const char* name;
    int kind;
    int pair;  // the curve the target gives
    bool closedCurve;
    bool closedProfile;
    Effect want;
  };
  const Row rows[] = {
      {"cam, closed curve", 0, 0, true, false, kRequired},
      {"cam, open curve", 0, 0, false, false, kOptional},
      {"relief reads the first curve too", 1, 0, true, false, kRequired},
      {"interior wall reads the third", 3, 2, false, false, kOptional},
      {"exterior wall without its own curve", 2, 0, true, false, kKeep},
      {"a closed main profile", 0, 0, true, true, kKeep},
  };
  for (const Row& row : rows) {
    for (bool before : {false, true}) {
      MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
      if (row.closedProfile) ClosedLoop(b->GetMainProfile());
      b->GetTargetData()->SetReliefKind(row.kind);
      b->GetTargetData()->SetCurve(row.pair, true, Polyline(row.closedCurve));
      b->GetStart()->SetApplIsOverallRequired(before);
      b->GetEnd()->SetApplIsOverallRequired(before);
      b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
      const bool want = row.want == kKeep ? before : row.want == kRequired;
      EXPECT_EQ(b->GetStart()->GetApplIsOverallRequired(), want) << row.name << " from " << before;
      EXPECT_EQ(b->GetEnd()->GetApplIsOverallRequired(), want) << row.name << " from " << before;
      b->destroy();
    }
  }
}

TEST_F(MachineRelief, AMainProfileOfOneClosedAndOneOpenLoopMakesStartAndEndOptional) {
  MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  ClosedLoop(b->GetMainProfile());
  EXPECT_TRUE(b->GetStart()->GetApplIsOverallRequired());
  OpenLoop(b->GetMainProfile());
  EXPECT_FALSE(b->GetStart()->GetApplIsOverallRequired());
  EXPECT_FALSE(b->GetEnd()->GetApplIsOverallRequired());
  OpenLoop(b->GetMainProfile());
  EXPECT_TRUE(b->GetEnd()->GetApplIsOverallRequired());
  b->destroy();
}

// The main profile is the relief's outline; a curve the target finds for
// the relief's kind stands in for it, one it finds for another kind does
// not, and the inside wall's profile is no outline of the relief.
TEST_F(MachineRelief, WithNoMainProfileOnlyTheTargetsCurveForItsKindStandsIn) {
  struct Row {
    const char* name;
    bool profile;
    int kind;
    int pair;  // the curve the target gives; -1 none
    bool insideWall;
    int status;
  };
  const Row rows[] = {
      {"nothing", false, 0, -1, false, 3030671},
      {"only the inside wall", false, 0, -1, true, 3030671},
      {"a main profile", true, 0, -1, false, 0},
      {"the target's curve for a cam", false, 0, 0, false, 0},
      {"the target's curve for an interior wall", false, 3, 2, false, 0},
      {"the target's curve of another kind", false, 2, 0, false, 3030671},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
    if (row.profile) ClosedLoop(b->GetMainProfile());
    if (row.insideWall) ClosedLoop(b->GetInsideWallProfile());
    b->GetTargetData()->SetReliefKind(row.kind);
    if (row.pair >= 0) b->GetTargetData()->SetCurve(row.pair, true, Polyline(true));
    EXPECT_EQ(b->validate_nothrow(), row.status);
    b->destroy();
  }
}

TEST_F(MachineRelief, ValidationTakesTolerancesFromTheMarginOn) {
  for (const double tolerance : {1e-10, 0.99e-10}) {
    SCOPED_TRACE(tolerance);
    MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
    ClosedLoop(b->GetMainProfile());
    ASSERT_EQ(b->validate_nothrow(), 0);
    ExpectToleranceLimit(b, tolerance);
    b->destroy();
  }
}

TEST_F(MachineRelief, OpenedOnAnotherFeatureRaisesWithItsOwnText) {
  FEATURE_RECORD* other = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(DieDes::ClearanceFactory::Create(), 0, &other), 0);
  try {
    MachineReliefBuilderFactory::Create(modelPart(), other);
    ADD_FAILURE() << "no error raised";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670156);
    EXPECT_NE(std::string(e.what()).find("Feature is not a MachineRelief."), std::string::npos) << e.what();
  }
}

// ---- as an object-manager class -----------------------------------------------------

class MachineReliefClass : public stamvik_test::GenericBodyBuilderClasses {};

TEST_F(MachineReliefClass, MachineReliefRegistrationMatchesTheClassTable) {
  ExpectClass(MachineReliefBuilderClassId, "KTX::DieDesJA::MachineReliefBuilder", 29,
              {{0, "m_target", kSelection, 0x804001, "KTX::SELECT_OBJECT"},
               {4, "m_mainProfileType", kIntegerType, 0x1, nullptr},
               {5, "m_mainProfile", kSelection, 0x804001, "KTX::SC_section"},
               {6, "m_switchTrimSide", kLogicalType, 0x1, nullptr},
               {8, "m_end", kSelection, 0x804001, "KTX::DieDesJA::DieLocationBuilder"},
               {9, "m_camDirection", kSelection, 0x804001, "KTX::DieDes::DieDirectionBuilder"},
               {12, "m_trimSheetFace", kSelection, 0xC04001, "KTX::SC_collector"},
               {22, "m_wallThickness", kSelection, 0x804001, "KTX::EXP_expression"},
               {24, "m_beltAttributes", kSelection, 0x804001, "KTX::DieDes::DieAttributesBuilder"},
               {26, "m_angleTolerance", kDoubleType, 0x1, nullptr},
               {27, "m_type", kIntegerType, 0x1, nullptr},
               {28, "m_targetData", kSelection, 0x1A04001, "KTX::DieDes::MachineReliefTarget"}});
  EXPECT_EQ(References(MachineReliefBuilderClassId, 0x804001), std::make_pair(22, 20));
}

TEST_F(MachineReliefClass, MachineReliefPlainSettersLogOnce) {
  MachineReliefBuilder* relief = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  Host::ClearCalls();
  relief->SetMainProfileType(JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  relief->SetSwitchTrimSide(true);
  relief->SetTrimSheetType(JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes_Face);
  relief->SetJogWall(true);
  relief->SetDistanceTolerance(0.03);
  relief->SetAngleTolerance(0.75);
  // The type is written to the builder and told to its target data.
  relief->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  EXPECT_EQ(LogCalls(), 8);
  EXPECT_EQ(relief->GetTargetData()->GetReliefKind(), 3);
  EXPECT_EQ(relief->GetMainProfileType(), JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  EXPECT_TRUE(relief->GetSwitchTrimSide());
  EXPECT_EQ(relief->GetTrimSheetType(), JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes_Face);
  EXPECT_TRUE(relief->GetJogWall());
  EXPECT_EQ(relief->GetDistanceTolerance(), 0.03);
  EXPECT_EQ(relief->GetAngleTolerance(), 0.75);
  EXPECT_EQ(relief->GetType(), JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  relief->destroy();
}

class MachineReliefTargetKind : public stamvik_test::GenericBodyBuilderClasses {
 protected:
  void SetUp() override {
    GenericBodyBuilderClasses::SetUp();
    relief_ = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
    target_ = Host::CreateHostObject<DieDes::MachineReliefTarget>();
    // The builder owns its target data, as its full initialisation will set it.
    OM::OM_set_pointer(relief_, MachineReliefBuilder::m_targetDataAttId, target_);
  }
  void TearDown() override {
    relief_->destroy();  // takes the owned target data with it
    GenericBodyBuilderClasses::TearDown();
  }
  MachineReliefBuilder* relief_ = nullptr;
  DieDes::MachineReliefTarget* target_ = nullptr;
};

TEST_F(MachineReliefTargetKind, ThickenOnAnInteriorProfileIsAKindOfItsOwn) {
  ASSERT_EQ(relief_->GetTargetData(), target_);
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  EXPECT_EQ(target_->GetReliefKind(), 2);
  relief_->SetMainProfileType(JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  EXPECT_EQ(target_->GetReliefKind(), 2) << "only the type tells the target";
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  EXPECT_EQ(target_->GetReliefKind(), 3);
  EXPECT_EQ(relief_->GetType(), JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Relief);
  EXPECT_EQ(target_->GetReliefKind(), 1);
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Cam);
  EXPECT_EQ(target_->GetReliefKind(), 0);
}

TEST_F(MachineReliefTargetKind, SetTypeLogsBuilderThenTargetData) {
  Host::ClearCalls();
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Relief);
  std::vector<std::string> logged;
  for (const Host::Call& call : Host::Calls())
    if (call.name == "OM__log") logged.push_back(call.args);
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged[0], "tag=" + std::to_string(relief_->ask_tag()));
  EXPECT_EQ(logged[1], "tag=" + std::to_string(target_->ask_tag()));

  Host::ClearCalls();
  target_->OmSetState(OM::Object::kStateNoLog);
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Cam);
  EXPECT_EQ(LogCalls(), 1);
  EXPECT_EQ(target_->GetReliefKind(), 0);
}

TEST_F(MachineReliefTargetKind, UndoRestoresBuilderAndTargetData) {
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Relief);
  const double angle = relief_->GetAngleTolerance();
  int error = -1;
  int mark = UNDO_QD_set_mark(1, nullptr, &error);
  ASSERT_EQ(error, 0);
  relief_->SetMainProfileType(JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  relief_->SetType(JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  relief_->SetJogWall(true);
  relief_->SetAngleTolerance(angle + 0.25);
  ASSERT_EQ(target_->GetReliefKind(), 3);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(relief_->GetType(), JA_MACHINE_RELIEF_BUILDER_Types_Relief);
  EXPECT_EQ(relief_->GetMainProfileType(), JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Exterior);
  EXPECT_FALSE(relief_->GetJogWall());
  EXPECT_EQ(relief_->GetAngleTolerance(), angle);
  EXPECT_EQ(target_->GetReliefKind(), 1);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
}

// ---- as a scripting class -------------------------------------------------------------

class MachineReliefScripting : public stamvik_test::KeywayReliefScripting {};
class MachineReliefDefaults : public stamvik_test::KeywayReliefDefaults {};
class MachineReliefPrint : public stamvik_test::KeywayReliefPrint {};

TEST(MachineReliefExports, MachineReliefExportsItsThirtyFiveMembersAsWritten) {
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

TEST_F(MachineReliefScripting, MachineReliefSetUpMakesItsRegistryCallsInOrder) {
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

TEST_F(MachineReliefScripting, MachineReliefThickenOnAnInteriorProfileReadsBackAsThicken) {
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

TEST_F(MachineReliefDefaults, MachineReliefWritesNoToleranceAndNoType) {
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

TEST_F(MachineReliefPrint, MachineReliefPrintsItsValuesInSlotOrder) {
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

}  // namespace
