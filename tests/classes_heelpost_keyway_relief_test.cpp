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

// ---- machine relief type and its target data ----------------------------------------

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
