// The clamping slot builder: its customer defaults by type and unit, the
// rewriting of its dimensions when the type changes, its validation, the
// parameters it commits and reads back, and its preview.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "sys/Settings.hpp"

using namespace KTX;
using KTX::DieDesJA::ClampingSlotBuilder;
using KTX::DieDesJA::ClampingSlotBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;

namespace {

class ClampingSlot : public DieDesignFeature {
 protected:
  void TearDown() override {
    Host::ClearCustomerDefaults();
    DieDesignFeature::TearDown();
  }
  // A slot whose base plane is the coordinate system at (0, 0, 10), on a
  // closed flange profile.
  ClampingSlotBuilder* OnBase() {
    ClampingSlotBuilder* b = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
    CoordinateSystemAt(b->GetBasePlane(), 10);
    ClosedLoop(b->GetFlangeBaseProfile());
    return b;
  }
};

TEST_F(ClampingSlot, CustomerDefaultsAreNamedByTypeAndTheOwningPartsUnits) {
  // Both unit forms are set: only the one of the part's unit code is read.
  Host::SetCustomerDefault("DIE_Automatic_ClampSlotPadHeight_EU", 2.5);
  Host::SetCustomerDefault("DIE_Automatic_ClampSlotPadHeight_MU", 63.5);
  Host::SetCustomerDefault("DIE_Hydraulic_ClampSlotFlangeThickness_MU", 50.0);
  Host::SetCustomerDefault("DIE_Hydraulic_ClampSlotFlangeThickness_EU", 2.0);
  Host::SetCustomerDefault("DIE_Hydraulic_ClampSlotNotchAngle", 12.0);

  part()->SetUnitCode(1);
  ClampingSlotBuilder* inch = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(inch->GetAutomaticUnitDefault(9), 2.5);
  EXPECT_EQ(inch->GetHydraulicUnitDefault(15), 2.0);
  EXPECT_EQ(inch->GetHydraulicUnitlessDefault(0), 12.0);
  inch->destroy();

  part()->SetUnitCode(0);
  ClampingSlotBuilder* metric = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(metric->GetAutomaticUnitDefault(9), 63.5);
  EXPECT_EQ(metric->GetHydraulicUnitDefault(15), 50.0);
  EXPECT_EQ(metric->GetHydraulicUnitlessDefault(0), 12.0);
  // Every type's arrays: 17 lengths whose offsets stay 0, and one angle.
  for (int type = 0; type < 3; ++type) {
    const int lengths[3] = {metric->GetHydraulicUnitDefaults(), metric->GetTravelingUnitDefaults(),
                            metric->GetAutomaticUnitDefaults()};
    EXPECT_EQ(lengths[type], 17) << type;
  }
  EXPECT_EQ(metric->GetTravelingUnitlessDefaults(), 1);
  EXPECT_EQ(metric->GetHydraulicUnitDefault(0), 0.0);
  EXPECT_EQ(metric->GetHydraulicUnitDefault(1), 0.0);
  metric->destroy();
}

TEST_F(ClampingSlot, TheTravelingInnerWidthIsTheChordOfTheSlotRadius) {
  struct Row {
    double radius, top, slot;
    double want;
  };
  const Row rows[] = {
      {30, 50, 40, 44.721359549995796},  // d = 20, q = 500
      {10, 70, 40, 0.0},                 // q = 100 - 400: no chord
      {10, 40, 40, 0.0},                 // q = 0 exactly: 0, never a NaN
      {20, 40, 40, 0.0},
  };
  for (const Row& row : rows) {
    Host::SetCustomerDefault("DIE_Traveling_ClampSlotSlotRadius_MU", row.radius);
    Host::SetCustomerDefault("DIE_Traveling_ClampSlotSlotTopLength_MU", row.top);
    Host::SetCustomerDefault("DIE_Traveling_ClampSlotSlotLength_MU", row.slot);
    Host::SetCustomerDefault("DIE_Traveling_ClampSlotSlotInnerWidth_MU", 99.0);
    ClampingSlotBuilder* b = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
    EXPECT_DOUBLE_EQ(b->GetTravelingUnitDefault(3), row.want) << row.radius << " " << row.top;
    EXPECT_FALSE(std::isnan(b->GetTravelingUnitDefault(3)));
    // Other types read their inner width as it is.
    EXPECT_EQ(b->GetHydraulicUnitDefault(3), 0.0);
    b->destroy();
  }
}

TEST_F(ClampingSlot, ValidationComparesTheDimensionsInOrder) {
  struct Row {
    const char* name;
    int type;
    const char* expression;
    const char* value;
    int want;
  };
  const Row rows[] = {
      {"slot width under the inner width", 0, "slotWidth", "44", 3030428},
      {"slot width equal to the inner width", 0, "slotWidth", "45", 0},
      {"top length under the slot length", 0, "topLength", "30", 3030430},
      {"negative centreline, hydraulic", 0, "centerline", "-5", 3030410},
      {"negative centreline, automatic", 2, "centerline", "-5", 0},
      {"pad width under the slot width though negative", 0, "padWidth", "-1", 3030429},
      {"flange thickness 0", 0, "flange", "0", 3030424},
      {"notch angle 0", 0, "notchAngle", "0", 0},
  };
  for (const Row& row : rows) {
    ClampingSlotBuilder* b = OnBase();
    b->SetDistanceTolerance(0.01);
    b->SetAngleTolerance(0.5);
    if (row.type == 2) {
      // The automatic defaults as the fixed texts, so that only the type changes.
      const double fixed[17] = {0, 0, 40, 45, 45, 40, 60, 20, 110, 63.5, 80, 25, 0, 0, 0, 45, 150};
      for (int i = 0; i < 17; ++i) b->SetAutomaticUnitDefault(i, fixed[i]);
      b->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Automatic);
    }
    const std::string which = row.expression;
    EXP_expression* e = which == "slotWidth"    ? b->GetSlotWidth()
                        : which == "topLength"  ? b->GetTopLength()
                        : which == "centerline" ? b->GetCenterlineLength()
                        : which == "padWidth"   ? b->GetPadWidth()
                        : which == "flange"     ? b->GetFlangeThickness()
                                                : b->GetNotchAngle();
    Set(e, row.value);
    EXPECT_EQ(b->validate_nothrow(), row.want) << row.name;
    b->destroy();
  }
  // A new slot keeps tolerances 0 until they are set.
  ClampingSlotBuilder* fresh = OnBase();
  EXPECT_EQ(fresh->validate_nothrow(), 674028);
  fresh->SetDistanceTolerance(0.01);
  EXPECT_EQ(fresh->validate_nothrow(), 674029);
  fresh->destroy();
  // No flange profile: only the target's curve stands in for it.
  ClampingSlotBuilder* bare = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  bare->GetBasePlane()->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  EXPECT_EQ(bare->validate_nothrow(), 3030392);
  bare->GetTargetData()->SetFlangeProfileCurve(true, Curve(5.0));
  EXPECT_EQ(bare->validate_nothrow(), 674028);
  bare->destroy();
}

TEST_F(ClampingSlot, ChangingTheTypeEditsOnlyTheDimensionsThatDiffer) {
  // Traveling: the centreline and the slot width as the fixed texts, the pad
  // width new, everything else 0.
  Host::SetCustomerDefault("DIE_Traveling_ClampSlotSlotCLLength_MU", 40.0);
  Host::SetCustomerDefault("DIE_Traveling_ClampSlotSlotWidth_MU", 45.0);
  Host::SetCustomerDefault("DIE_Traveling_ClampSlotPadWidth_MU", 120.0);
  Host::SetCustomerDefault("DIE_Traveling_ClampSlotFlangeThickness_MU", 60.0);
  ClampingSlotBuilder* b = OnBase();
  Set(b->GetLocationOffset(), "7");
  Set(b->GetPadOffset(), "3");
  b->GetTargetData()->SetThickness(true, 38.0);
  // What differs from the defaults: positions 3, 5-11, 15 (the target's 38)
  // and 16: 10 edits; the notch angle and positions 12-14 are 0 already.
  Host::ClearCalls();
  b->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Traveling);
  EXPECT_EQ(b->GetType(), DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Traveling);
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetFlangeThickness()), 38.0);
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetPadWidth()), 120.0);
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetCenterlineLength()), 40.0);
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetLocationOffset()), 7.0);
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetPadOffset()), 3.0);
  const std::string centerline = "tag=" + std::to_string(b->GetCenterlineLength()->ask_tag()) + " ";
  const std::string slotWidth = "tag=" + std::to_string(b->GetSlotWidth()->ask_tag()) + " ";
  for (const std::string& args : ArgsOf("EXP_edit_exp")) {
    EXPECT_FALSE(Has(args, centerline)) << args;
    EXPECT_FALSE(Has(args, slotWidth)) << args;
  }
  EXPECT_EQ(ArgsOf("EXP_edit_exp").size(), 10u);

  // A type outside 0-2 changes nothing.
  Host::ClearCalls();
  b->SetType(static_cast<DieDesJA::JA_CLAMPING_SLOT_BUILDER_types>(5));
  EXPECT_TRUE(ArgsOf("EXP_edit_exp").empty());
  b->destroy();
}

TEST_F(ClampingSlot, CommittedAndOpenedAgainItHoldsItsLocationsItemsAndAttributes) {
  ClampingSlotBuilder* b = OnBase();
  b->SetDistanceTolerance(0.01);
  b->SetAngleTolerance(0.5);
  b->GetLocations()->AddUserLocation(Curve(100.0));
  b->GetLocations()->AddUserLocation(Curve(200.0));
  b->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Automatic);
  Set(b->GetPadWidth(), "120");
  b->SetLocationOnFlange(true);
  b->GetNotchFacesAttributes()->SetFirstText("NOTCH");
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  auto* parms = dynamic_cast<DieDes::ClampingSlot*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetEntity(5)->AskCount(), 17);
  EXPECT_EQ(parms->GetEntity(5)->AskFlag(), 1);
  EXPECT_EQ(parms->AskEntityExpression(5, 8), b->GetPadWidth());
  EXPECT_EQ(parms->AskEntityInt(7, 0), 2);
  EXPECT_EQ(parms->AskEntityInt(7, 1), 1);
  EXPECT_EQ(parms->AskEntityTag(4, 0), b->GetFlangeBaseProfile()->ask_tag());
  EXPECT_EQ(parms->GetDistanceTolerance(), 0.01);
  EXPECT_EQ(parms->AskAttributeRecordCount(), 5);
  ASSERT_EQ(parms->GetModule(0)->GetNumChildren(), 2);
  EXPECT_EQ(parms->GetModule(0)->AskApplyMode(), 2);
  b->destroy();

  ClampingSlotBuilder* edit = ClampingSlotBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Automatic);
  EXPECT_TRUE(edit->GetLocationOnFlange());
  EXPECT_EQ(edit->GetDistanceTolerance(), 0.01);
  EXPECT_EQ(EXP_ask_value_of_exp(edit->GetPadWidth()), 120.0);
  EXPECT_EQ(edit->GetLocations()->GetList()->size(), 2);
  EXPECT_STREQ(edit->GetNotchFacesAttributes()->GetFirstText(), "NOTCH");
  EXPECT_STREQ(edit->GetPadFacesAttributes()->GetFirstText(), "");
  // Committed again: still two locations.
  ASSERT_EQ(edit->commit_feature(&frec), 0);
  EXPECT_EQ(parms->GetModule(0)->GetNumChildren(), 2);
  edit->destroy();
}

TEST_F(ClampingSlot, ParametersThatCannotTakeTheSlotAreRefused) {
  // More items than the layout: refused with nothing written.
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  auto* parms = DIEDES_GENERIC_BODY_PARMS::Make(
      DieDes::ClampingSlot::ThisClassId,
      {DieDes::DieDesGenericDirection::ThisClassId, DieDes::DieDesGenericPlane::ThisClassId, plain,
       DieDes::DieDesGenericPlane::ThisClassId, plain, plain, plain, plain, plain, plain});
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(parms, 0, &frec), 0);
  ClampingSlotBuilder* b = OnBase();
  b->GetLocations()->AddUserLocation(Curve(100.0));
  Host::ClearCalls();
  EXPECT_EQ(b->ConvertBuilderDataToFrec(frec), 690000);
  for (const Host::Call& c : Host::Calls()) EXPECT_EQ(c.name.find("DIEDES_GENERIC_ENTITY::Set"), std::string::npos);

  // An empty module list: the index error, and the commit's table is freed.
  DieDes::ClampingSlot* slot = DieDes::ClampingSlotFactory::Create();
  slot->ClearModules();
  FEATURE_RECORD* emptied = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(slot, 0, &emptied), 0);
  EXPECT_EQ(RaisedCode([&] { b->commit_feature(&emptied); }), Error::kIndexOutOfRange);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  EXPECT_EQ(RaisedCode([&] { b->ConvertBuilderDataToFrec(nullptr); }), 670156);
  b->destroy();
}

TEST_F(ClampingSlot, APreviewCutsATargetCopyWithoutAMarkAndLetsWhatItMadeGo) {
  ClampingSlotBuilder* b = OnBase();
  b->SetDistanceTolerance(0.01);
  b->SetAngleTolerance(0.5);
  const double at1[3] = {100, 0, 10}, at2[3] = {-100, 0, 10};
  const tag_t p1 = ES_create_point(at1), p2 = ES_create_point(at2);
  b->GetLocations()->AddUserLocation(p1);
  b->GetLocations()->AddUserLocation(p2);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  // The orientation plane given by values: the preview makes a plane of its own.
  CoordinateSystemAt(b->GetOrientationPlane(), 20);
  b->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Traveling);
  b->SetLocationOnFlange(true);
  // A different value in every field of the value record, and the notch angle.
  EXP_expression* const fields[18] = {
      b->GetLocationOffset(), b->GetPadOffset(),   b->GetCenterlineLength(), b->GetInnerWidth(),
      b->GetSlotWidth(),      b->GetSlotLength(),  b->GetTopLength(),        b->GetSlotRadius(),
      b->GetPadWidth(),       b->GetPadHeight(),   b->GetPadLength(),        b->GetPadRadius(),
      b->GetOverhang(),       b->GetNotchWidth(),  b->GetNotchHeight(),      b->GetFlangeThickness(),
      b->GetOffsetWidth(),    b->GetNotchAngle()};
  const char* const texts[18] = {"1",  "2",    "41", "43", "47", "39", "61", "21",  "111",
                                 "64", "81.5", "26", "3",  "5",  "6",  "44", "151", "30"};
  for (int i = 0; i < 18; ++i) Set(fields[i], texts[i]);
  Host::ClearCalls();
  const int bodiesBefore = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(LiveBodies(), bodiesBefore + 1);
  EXPECT_TRUE(ArgsOf("SessionSetUndoMark").empty());
  EXPECT_TRUE(ArgsOf("UNDO_QD_set_mark").empty());

  const ToolBodyCall& call = LastClampSlotToolCall();
  ASSERT_EQ(call.childFirst.size(), 2u);
  ASSERT_EQ(call.codes.size(), 2u);
  EXPECT_EQ(call.codes[0], 6940000);
  EXPECT_EQ(call.codes[1], 85000);
  ASSERT_EQ(call.toolData.size(), 64u);
  EXPECT_EQ(At<std::int32_t>(call.toolData.data(), 56), 80000);
  EXPECT_EQ(At<std::int32_t>(call.toolData.data(), 60), 1);
  EXPECT_EQ(At<double>(call.toolData.data(), 40), 10.0);  // the base origin's z
  EXPECT_EQ(At<std::int32_t>(call.parentSecond.data(), 176), 6940000);
  // Each value at its own byte, in the parent's record and in each child's.
  const double values[18] = {1, 2, 41, 43, 47, 39, 61, 21, 111, 64, 81.5, 26, 3, 5, 6, 44, 151, 30};
  const int bytes[18] = {24, 32, 40, 48, 56, 64, 72, 80, 88, 96, 104, 112, 120, 128, 136, 144, 152, 160};
  for (int i = 0; i < 18; ++i) {
    SCOPED_TRACE(bytes[i]);
    EXPECT_EQ(At<double>(call.parentSecond.data(), bytes[i]), values[i]);
    EXPECT_EQ(At<double>(call.childFirst[0].data(), bytes[i]), values[i]);
    EXPECT_EQ(At<double>(call.childFirst[1].data(), bytes[i]), values[i]);
  }
  EXPECT_EQ(At<std::int32_t>(call.parentSecond.data(), 168), 1);  // on the flange
  EXPECT_EQ(At<std::int32_t>(call.parentSecond.data(), 172), 1);  // traveling
  EXPECT_EQ(At<std::int32_t>(call.childFirst[1].data(), 168), 1);
  EXPECT_EQ(At<std::int32_t>(call.childFirst[1].data(), 172), 1);
  const auto plane = static_cast<tag_t>(At<std::int32_t>(call.childFirst[0].data(), 4));
  EXPECT_NE(plane, 0u);
  EXPECT_EQ(At<std::int32_t>(call.childFirst[1].data(), 4), static_cast<std::int32_t>(plane));
  // Each child: its own copy of a location, the values, no parent code.
  const auto copy1 = static_cast<tag_t>(At<std::int32_t>(call.childFirst[0].data(), 0));
  const auto copy2 = static_cast<tag_t>(At<std::int32_t>(call.childFirst[1].data(), 0));
  EXPECT_NE(copy1, p1);
  EXPECT_NE(copy2, p2);
  EXPECT_EQ(At<std::int32_t>(call.childFirst[0].data(), 176), 0);
  EXPECT_EQ(std::memcmp(call.childFirst[1].data() + 24, call.parentSecond.data() + 24, 152), 0);

  const std::vector<std::string> booleans = ArgsOf("DIEDES_UTILS_boolean_bodies");
  ASSERT_EQ(booleans.size(), 4u);
  const char* operations[4] = {"15903", "15902", "18210", "18211"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Has(booleans[i], std::string("operation=") + operations[i])) << booleans[i];
    EXPECT_TRUE(Has(booleans[i], "text=\"Clamping Slot: Performing boolean operation\"")) << booleans[i];
  }
  // The location copies and the flange curve copy asleep and logged for
  // deletion; the coordinate system and the plane made for the preview too.
  const std::vector<std::string> deleted = ArgsOf("UPDATE_log_entity_to_delete");
  EXPECT_EQ(deleted.size(), 5u);
  EXPECT_EQ(std::count(deleted.begin(), deleted.end(), "tag=" + std::to_string(plane)), 1);
  for (tag_t copy : {copy1, copy2, plane}) {
    const auto* entity = dynamic_cast<const GEOM_entity*>(OM::OM_object_of_tag(copy));
    ASSERT_NE(entity, nullptr);
    EXPECT_TRUE(entity->ask_sleeping());
  }
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
}

TEST_F(ClampingSlot, AFailedPreviewHandsOverNothing) {
  ClampingSlotBuilder* b = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  b->GetLocations()->AddUserLocation(Curve(100.0));
  const int bodiesBefore = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  // No base.
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030391);
  // A base but no flange profile.
  b->GetBasePlane()->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030392);
  // The host's tool-body call fails.
  ClosedLoop(b->GetFlangeBaseProfile());
  CoordinateSystemAt(b->GetOrientationPlane(), 20);
  Host::SetAnswer("DIEDES_CLAMPSLOT_parent_create_tool_body", 3030999);
  Host::ClearCalls();
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030999);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  EXPECT_EQ(LiveBodies(), bodiesBefore);
  // What it made is let go all the same: the location copy, the flange curve
  // copy, the coordinate system and the orientation plane, each asleep.
  const std::vector<std::string> deleted = ArgsOf("UPDATE_log_entity_to_delete");
  EXPECT_EQ(deleted.size(), 4u);
  for (const std::string& d : deleted) {
    SCOPED_TRACE(d);
    const auto* entity = dynamic_cast<const GEOM_entity*>(OM::OM_object_of_tag(std::stoul(d.substr(4))));
    EXPECT_TRUE(entity != nullptr && entity->ask_sleeping());
  }
  b->destroy();
}

TEST_F(ClampingSlot, NamedOrAttributedLocationsArePreselected) {
  const double a[3] = {1, 0, 0}, c[3] = {2, 0, 0}, d[3] = {3, 0, 0};
  const tag_t named = ES_create_point(a), hidden = ES_create_point(c), plain = ES_create_point(d);
  SetEntityName(named, "clamp");
  SetEntityAttribute(hidden, "ROLE", "CLAMP", true);
  SetEntityAttribute(plain, "ROLE", "OTHER", false);
  Host::SetCustomerDefault("DIE_ClampSlot_LocationName", "CLAMP");
  Host::SetCustomerDefault("DIE_PrePopulate_AttrTitle", "ROLE");
  Host::SetCustomerDefault("DIE_ClampSlot_AttrValue", "CLAMP");
  ClampingSlotBuilder* b = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(b->GetLocations()->GetList()->size(), 1);  // hidden attributes not allowed
  b->destroy();
  Host::SetCustomerDefault("DIE_PrePopulate_AllowHidden", 1.0);
  ClampingSlotBuilder* withHidden = ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(withHidden->GetLocations()->GetList()->size(), 2);
  withHidden->destroy();
}

}  // namespace
