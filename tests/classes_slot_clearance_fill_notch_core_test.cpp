// The clamping-slot, clearance, fill-area, finger-clearance-notch and
// handling-core builders as the host sees them: their registrations, a new
// object's fields, the field writes with their undo logging, and the
// clamping slot's default arrays.
#include <cstring>

#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "RegistrationTestSupport.hpp"
#include "TestSupport.hpp"
#include "afl/Parms.hpp"
#include "om/HostClass.hpp"
#include "sys/Settings.hpp"

using namespace KTX;
using namespace KTX::DieDesJA;
using stamvik_test::ExpectJournalName;
using stamvik_test::ExpectRegistration;
using stamvik_test::HostTest;

namespace {

class SlotClearanceFillNotchCoreClasses : public HostTest {};

constexpr const char* kBodyBuilder = "KTX::DieDesJA::GenericBodyBuilder";

TEST_F(SlotClearanceFillNotchCoreClasses, RegistrationsMatchTheClassTable) {
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

TEST_F(SlotClearanceFillNotchCoreClasses, TheClampingSlotsValueRowsAllCarryAMeasure) {
  OM::ClassView view;
  ASSERT_TRUE(OM::OM_describe_class(ClampingSlotBuilderClassId, &view));
  int measured = 0;
  for (const OM::ClassAttributeStruct* row : view.rows) measured += row->measureList != nullptr ? 1 : 0;
  EXPECT_EQ(measured, 26);
}

TEST_F(SlotClearanceFillNotchCoreClasses, CreateCallbacksGivenNoMemoryMakeNothing) {
  EXPECT_EQ(ClampingSlotBuilder::CreateClampingSlotBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(ClearanceBuilder::CreateClearanceBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(FillAreaBuilder::CreateFillAreaBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(FingerClearanceNotchBuilder::CreateFingerClearanceNotchBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(HandlingCoreBuilder::CreateHandlingCoreBuilderCallback(nullptr, 1, nullptr), nullptr);
}

TEST_F(SlotClearanceFillNotchCoreClasses, FactoriesMakeBuildersOfThePartWithTheirFieldsAtRest) {
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

TEST_F(SlotClearanceFillNotchCoreClasses, AFactoryGivenARecordKeepsItForEditing) {
  FEATURE_RECORD* record = nullptr;
  auto* made = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
  ASSERT_EQ(made->commit_feature(&record), 0);
  made->destroy();
  auto* core = HandlingCoreBuilderFactory::Create(modelPart(), record);
  EXPECT_EQ(core->get_frec(), record);
  core->destroy();
}

TEST_F(SlotClearanceFillNotchCoreClasses, PlainWritesAreLoggedOnceUnlessTheObjectNeedsNoLog) {
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

TEST_F(SlotClearanceFillNotchCoreClasses, FieldsAreWhereTheirRowsSay) {
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

TEST_F(SlotClearanceFillNotchCoreClasses, DefaultArraysGrowOnlyAtTheirEnd) {
  // A slot that has not read its defaults (no InitCreate): no arrays yet.
  auto* slot = static_cast<ClampingSlotBuilder*>(
      OM::ObjectFactory::CreateObject(ClampingSlotBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  EXPECT_EQ(slot->GetHydraulicUnitDefaults(), 0);
  EXPECT_EQ(RaisedCode([&] { slot->GetHydraulicUnitDefault(0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { slot->SetHydraulicUnitDefault(1, 5.0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { slot->SetHydraulicUnitDefault(-1, 5.0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(slot->GetHydraulicUnitDefaults(), 0);

  slot->SetHydraulicUnitDefault(0, 40.0);  // creates the array
  slot->SetHydraulicUnitDefault(1, 45.0);  // at the length: grows by one
  ASSERT_EQ(slot->GetHydraulicUnitDefaults(), 2);
  EXPECT_EQ(slot->GetHydraulicUnitDefault(0), 40.0);
  EXPECT_EQ(slot->GetHydraulicUnitDefault(1), 45.0);
  EXPECT_EQ(slot->GetHydraulicUnitDefaultsArray()[1], 45.0);

  EXPECT_EQ(RaisedCode([&] { slot->SetHydraulicUnitDefault(3, 1.0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { slot->SetHydraulicUnitDefault(-1, 1.0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { slot->GetHydraulicUnitDefault(2); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { slot->GetHydraulicUnitDefault(-1); }), Error::kIndexOutOfRange);
  ASSERT_EQ(slot->GetHydraulicUnitDefaults(), 2);
  EXPECT_EQ(slot->GetHydraulicUnitDefault(0), 40.0);
  EXPECT_EQ(slot->GetHydraulicUnitDefault(1), 45.0);

  // Overwriting inside the array logs the array, not the builder.
  Host::ClearCalls();
  slot->SetHydraulicUnitDefault(0, 41.0);
  EXPECT_EQ(Host::CallNames({"OM__log", "OM__log_array", "OM_set_array_length"}),
            std::vector<std::string>{"OM__log_array"});
  EXPECT_EQ(slot->GetHydraulicUnitDefault(0), 41.0);

  slot->SetHydraulicUnitDefaults(17);
  EXPECT_EQ(slot->GetHydraulicUnitDefaults(), 17);
  EXPECT_EQ(slot->GetHydraulicUnitDefault(16), 0.0);
  slot->destroy();
}

TEST_F(SlotClearanceFillNotchCoreClasses, EachDefaultArrayHasItsOwnField) {
  auto* slot = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  slot->SetHydraulicUnitDefaults(17);
  slot->SetHydraulicUnitlessDefault(0, 1.0);
  slot->SetTravelingUnitDefaults(3);
  slot->SetTravelingUnitlessDefault(0, 2.0);
  slot->SetAutomaticUnitDefaults(5);
  slot->SetAutomaticUnitlessDefaults(2);
  slot->SetAutomaticUnitlessDefault(1, 3.0);
  EXPECT_EQ(OM::OM_vask_array_length(slot, ClampingSlotBuilder::m_hydraulicUnitDefaultsAttId), 17);
  EXPECT_EQ(OM::OM_vask_array_length(slot, ClampingSlotBuilder::m_hydraulicUnitlessDefaultsAttId), 1);
  EXPECT_EQ(OM::OM_vask_array_length(slot, ClampingSlotBuilder::m_travelingUnitDefaultsAttId), 3);
  EXPECT_EQ(OM::OM_vask_array_length(slot, ClampingSlotBuilder::m_travelingUnitlessDefaultsAttId), 1);
  EXPECT_EQ(OM::OM_vask_array_length(slot, ClampingSlotBuilder::m_automaticUnitDefaultsAttId), 5);
  EXPECT_EQ(OM::OM_vask_array_length(slot, ClampingSlotBuilder::m_automaticUnitlessDefaultsAttId), 2);
  EXPECT_EQ(slot->GetHydraulicUnitlessDefault(0), 1.0);
  EXPECT_EQ(slot->GetTravelingUnitlessDefault(0), 2.0);
  EXPECT_EQ(slot->GetTravelingUnitDefaults(), 3);
  EXPECT_EQ(slot->GetAutomaticUnitDefault(4), 0.0);
  EXPECT_EQ(slot->GetAutomaticUnitlessDefault(1), 3.0);
  EXPECT_EQ(slot->GetAutomaticUnitlessDefaultsArray()[0], 0.0);
  slot->destroy();
}

TEST_F(SlotClearanceFillNotchCoreClasses, UndoRestoresFieldsAndDefaultArrays) {
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
