// Heel post, keyway and machine relief builders as object-manager classes:
// their registration with the host, fresh objects, plain-field writes and undo.
#include <cstring>
#include <string>

#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "RegistrationTestSupport.hpp"
#include "sys/Settings.hpp"
#include "TestSupport.hpp"
#include "om/HostClass.hpp"

using namespace KTX;
using namespace KTX::DieDesJA;
using stamvik_test::ExpectRegistration;
using stamvik_test::HostTest;

namespace {

using HeelPostKeywayReliefClasses = stamvik_test::GenericBodyBuilderClasses;

// ---- registration -----------------------------------------------------------

TEST_F(HeelPostKeywayReliefClasses, KeywayRegistrationMatchesTheClassTable) {
  ExpectClass(KeywayBuilderClassId, "KTX::DieDesJA::KeywayBuilder", 27,
              {{0, "m_target", kSelection, 0x1A04001, "KTX::SELECT_OBJECT"},
               {1, "m_location", kIntegerType, 0x1, nullptr},
               {3, "m_baseOrientation", kSelection, 0x1A04001, "KTX::DieDes::DiePlaneBuilder"},
               {9, "m_interiorProfile", kSelection, 0x1A04001, "KTX::SC_section"},
               {15, "m_minimumRibHeight", kSelection, 0x1A04001, "KTX::EXP_expression"},
               {20, "m_createWithPad", kLogicalType, 0x1, nullptr},
               {22, "m_padAttributes", kSelection, 0x1A04001, "KTX::DieDes::DieAttributesBuilder"},
               {23, "m_distanceTolerance", kDoubleType, 0x1, nullptr},
               {25, "m_type", kIntegerType, 0x1, nullptr},
               {26, "m_targetData", kSelection, 0x1A04001, "KTX::DieDes::KeywayTarget"}});
  EXPECT_EQ(References(KeywayBuilderClassId, 0x1A04001), std::make_pair(22, 22));
}

TEST_F(HeelPostKeywayReliefClasses, MachineReliefRegistrationMatchesTheClassTable) {
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

TEST_F(HeelPostKeywayReliefClasses, CreateCallbacksGivenNoMemoryConstructNothing) {
  EXPECT_EQ(HeelpostBuilder::CreateHeelpostBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(KeywayBuilder::CreateKeywayBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(MachineReliefBuilder::CreateMachineReliefBuilderCallback(nullptr, 1, nullptr), nullptr);
}

// ---- fresh objects ------------------------------------------------------------

TEST_F(HeelPostKeywayReliefClasses, FactoriesMakeBuildersWithZeroedInputs) {
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

// ---- plain fields ---------------------------------------------------------------

TEST_F(HeelPostKeywayReliefClasses, KeywayLocationThroughTheObjectManagerIsThePlainField) {
  KeywayBuilder* keyway = KeywayBuilderFactory::Create(modelPart(), nullptr);
  Host::ClearCalls();
  keyway->SetLocation(JA_KEYWAY_BUILDER_location_type_NegativeY);
  EXPECT_EQ(LogCalls(), 1);
  EXPECT_EQ(keyway->GetLocationInt(), 3);
  keyway->SetLocationInt(1);
  EXPECT_EQ(keyway->GetLocation(), JA_KEYWAY_BUILDER_location_type_NegativeX);
  EXPECT_EQ(keyway->GetType(), JA_KEYWAY_BUILDER_types_Rectangular);

  Host::ClearCalls();
  keyway->SetType(JA_KEYWAY_BUILDER_types_Circular);
  keyway->SetCreateWithPad(true);
  keyway->SetDistanceTolerance(0.02);
  keyway->SetAngleTolerance(0.25);
  EXPECT_EQ(LogCalls(), 4);
  EXPECT_EQ(keyway->GetType(), JA_KEYWAY_BUILDER_types_Circular);
  EXPECT_EQ(keyway->GetLocation(), JA_KEYWAY_BUILDER_location_type_NegativeX);
  EXPECT_TRUE(keyway->GetCreateWithPad());
  EXPECT_EQ(keyway->GetDistanceTolerance(), 0.02);
  EXPECT_EQ(keyway->GetAngleTolerance(), 0.25);

  Host::ClearCalls();
  keyway->OmSetState(OM::Object::kStateNoLog);
  keyway->SetLocation(JA_KEYWAY_BUILDER_location_type_PositiveY);
  EXPECT_EQ(LogCalls(), 0);
  EXPECT_EQ(keyway->GetLocationInt(), 2);
  keyway->destroy();
}

TEST_F(HeelPostKeywayReliefClasses, MachineReliefPlainSettersLogOnce) {
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

// ---- machine relief type and its target data ----------------------------------------

class MachineReliefTargetKind : public HeelPostKeywayReliefClasses {
 protected:
  void SetUp() override {
    HeelPostKeywayReliefClasses::SetUp();
    relief_ = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
    target_ = Host::CreateHostObject<DieDes::MachineReliefTarget>();
    // The builder owns its target data, as its full initialisation will set it.
    OM::OM_set_pointer(relief_, MachineReliefBuilder::m_targetDataAttId, target_);
  }
  void TearDown() override {
    relief_->destroy();  // takes the owned target data with it
    HeelPostKeywayReliefClasses::TearDown();
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

// ---- undo ------------------------------------------------------------------------------

TEST_F(HeelPostKeywayReliefClasses, UndoRestoresHeelpostAndKeywayFields) {
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
