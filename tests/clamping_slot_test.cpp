// The clamping slot builder: its customer defaults by type and unit, the
// rewriting of its dimensions when the type changes, its validation, the
// parameters it commits and reads back, and its preview.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

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
  using Getter = EXP_expression* (ClampingSlotBuilder::*)() const;
  struct Row {
    const char* name;
    int type;
    Getter expression;
    const char* value;
    int want;
  };
  // Each bound at its value and one step past it (the defaults: inner and
  // slot width 45, slot length 40, top length 60, pad width 110, pad length 80).
  const Row rows[] = {
      {"centreline 0", 0, &ClampingSlotBuilder::GetCenterlineLength, "0", 0},
      {"centreline -0.001", 0, &ClampingSlotBuilder::GetCenterlineLength, "-0.001", 3030410},
      {"centreline -5, automatic", 2, &ClampingSlotBuilder::GetCenterlineLength, "-5", 0},
      {"inner width 0", 0, &ClampingSlotBuilder::GetInnerWidth, "0", 0},
      {"inner width -0.001", 0, &ClampingSlotBuilder::GetInnerWidth, "-0.001", 3030411},
      {"slot width equal to the inner width", 0, &ClampingSlotBuilder::GetSlotWidth, "45", 0},
      {"slot width under the inner width", 0, &ClampingSlotBuilder::GetSlotWidth, "44.999", 3030428},
      {"pad width equal to the slot width", 0, &ClampingSlotBuilder::GetPadWidth, "45", 0},
      {"pad width under the slot width", 0, &ClampingSlotBuilder::GetPadWidth, "44.999", 3030429},
      {"pad width under the slot width though negative", 0, &ClampingSlotBuilder::GetPadWidth, "-1", 3030429},
      {"slot length 0", 0, &ClampingSlotBuilder::GetSlotLength, "0", 0},
      {"slot length -0.001", 0, &ClampingSlotBuilder::GetSlotLength, "-0.001", 3030413},
      {"top length equal to the slot length", 0, &ClampingSlotBuilder::GetTopLength, "40", 0},
      {"top length under the slot length", 0, &ClampingSlotBuilder::GetTopLength, "39.999", 3030430},
      {"pad length equal to the top length", 0, &ClampingSlotBuilder::GetPadLength, "60", 0},
      {"pad length under the top length", 0, &ClampingSlotBuilder::GetPadLength, "59.999", 3030431},
      {"pad length under the top length, automatic", 2, &ClampingSlotBuilder::GetPadLength, "59.999", 0},
      {"pad length -0.001, automatic", 2, &ClampingSlotBuilder::GetPadLength, "-0.001", 3030418},
      {"slot radius 0", 0, &ClampingSlotBuilder::GetSlotRadius, "0", 0},
      {"slot radius -0.001", 0, &ClampingSlotBuilder::GetSlotRadius, "-0.001", 3030415},
      {"pad height 0", 0, &ClampingSlotBuilder::GetPadHeight, "0", 0},
      {"pad height -0.001", 0, &ClampingSlotBuilder::GetPadHeight, "-0.001", 3030417},
      {"pad radius 0", 0, &ClampingSlotBuilder::GetPadRadius, "0", 0},
      {"pad radius -0.001", 0, &ClampingSlotBuilder::GetPadRadius, "-0.001", 3030419},
      {"overhang -0.001", 0, &ClampingSlotBuilder::GetOverhang, "-0.001", 3030420},
      {"notch width -0.001", 0, &ClampingSlotBuilder::GetNotchWidth, "-0.001", 3030421},
      {"notch height -0.001", 0, &ClampingSlotBuilder::GetNotchHeight, "-0.001", 3030422},
      {"notch angle 0", 0, &ClampingSlotBuilder::GetNotchAngle, "0", 0},
      {"notch angle within the margin", 0, &ClampingSlotBuilder::GetNotchAngle, "-0.00000000005", 0},
      {"notch angle at the margin", 0, &ClampingSlotBuilder::GetNotchAngle, "-0.0000000001", 3030423},
      {"flange thickness 0", 0, &ClampingSlotBuilder::GetFlangeThickness, "0", 3030424},
      {"flange thickness 0.001", 0, &ClampingSlotBuilder::GetFlangeThickness, "0.001", 0},
      {"offset width 0", 0, &ClampingSlotBuilder::GetOffsetWidth, "0", 0},
      {"offset width -0.001", 0, &ClampingSlotBuilder::GetOffsetWidth, "-0.001", 3030425},
      {"location offset and pad offset are not checked", 0, &ClampingSlotBuilder::GetPadOffset, "-7", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ClampingSlotBuilder* b = OnBase();
    b->SetDistanceTolerance(0.01);
    b->SetAngleTolerance(0.5);
    if (row.type == 2) {
      // The automatic defaults as the fixed texts, so that only the type changes.
      const double fixed[17] = {0, 0, 40, 45, 45, 40, 60, 20, 110, 63.5, 80, 25, 0, 0, 0, 45, 150};
      for (int i = 0; i < 17; ++i) b->SetAutomaticUnitDefault(i, fixed[i]);
      b->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Automatic);
    }
    Set((b->*row.expression)(), row.value);
    EXPECT_EQ(b->validate_nothrow(), row.want);
    b->destroy();
  }
  // The tolerances: 1e-10 is enough, just under it is not.
  for (const double tolerance : {1e-10, 0.99e-10}) {
    SCOPED_TRACE(tolerance);
    ClampingSlotBuilder* b = OnBase();
    b->SetDistanceTolerance(tolerance);
    b->SetAngleTolerance(0.5);
    EXPECT_EQ(b->validate_nothrow(), tolerance < 1e-10 ? 674028 : 0);
    b->SetDistanceTolerance(0.01);
    b->SetAngleTolerance(tolerance);
    EXPECT_EQ(b->validate_nothrow(), tolerance < 1e-10 ? 674029 : 0);
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

// The 17 lengths in value-record order, then the notch angle.
std::vector<EXP_expression*> Fields(const ClampingSlotBuilder* b) {
  return {b->GetLocationOffset(), b->GetPadOffset(),    b->GetCenterlineLength(), b->GetInnerWidth(),
          b->GetSlotWidth(),      b->GetSlotLength(),   b->GetTopLength(),        b->GetSlotRadius(),
          b->GetPadWidth(),       b->GetPadHeight(),    b->GetPadLength(),        b->GetPadRadius(),
          b->GetOverhang(),       b->GetNotchWidth(),   b->GetNotchHeight(),      b->GetFlangeThickness(),
          b->GetOffsetWidth(),    b->GetNotchAngle()};
}
std::vector<DieDes::DieAttributesBuilder*> Attributes(const ClampingSlotBuilder* b) {
  return {b->GetPadFacesAttributes(), b->GetSlotFacesAttributes(), b->GetSlotEndFacesAttributes(),
          b->GetNotchFacesAttributes(), b->GetOverhangFacesAttributes()};
}

// Every field a different value, committed, read back, then every field
// changed by an edit and read back again.
TEST_F(ClampingSlot, CommittedAndOpenedAgainItHoldsItsLocationsItemsAndAttributes) {
  struct Values {
    double distance, angle;
    DieDesJA::JA_CLAMPING_SLOT_BUILDER_types type;
    bool onFlange;
    double fields[18];
    const char* titles[5];
    const char* texts[5];
    int numbers[5];
  };
  const Values made = {0.01, 0.5, DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Automatic, true,
                       {1, 2, 41, 43, 47, 39, 61, 21, 111, 64, 81, 26, 3, 5, 6, 44, 151, 30},
                       {"PAD", "SLOT", "END", "NOTCH", "OVER"}, {"p", "s", "e", "n", "o"}, {11, 12, 13, 14, 15}};
  const Values edited = {0.02, 0.25, DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Traveling, false,
                         {7, 8, 42, 44, 48, 38, 62, 22, 112, 65, 82, 27, 4, 9, 10, 46, 152, 15},
                         {"PAD2", "SLOT2", "END2", "NOTCH2", "OVER2"}, {"q", "t", "f", "m", "r"}, {21, 22, 23, 24, 25}};
  const tag_t csys[2] = {Curve(7.0), Curve(8.0)};
  auto fill = [&](ClampingSlotBuilder* b, const Values& v, tag_t coordinateSystem) {
    b->SetDistanceTolerance(v.distance);
    b->SetAngleTolerance(v.angle);
    b->SetType(v.type);  // before the values: a type brings its defaults
    b->SetLocationOnFlange(v.onFlange);
    const std::vector<EXP_expression*> fields = Fields(b);
    for (int i = 0; i < 18; ++i) Set(fields[i], std::to_string(v.fields[i]).c_str());
    const std::vector<DieDes::DieAttributesBuilder*> attributes = Attributes(b);
    for (int i = 0; i < 5; ++i) {
      attributes[i]->SetFirstText(v.titles[i]);
      attributes[i]->SetSecondText(v.texts[i]);
      attributes[i]->SetIntegerValue(v.numbers[i]);
    }
    b->GetDieCenterlineCoordinateSystem()->set_selected_tag(coordinateSystem);
  };
  auto check = [&](DieDes::ClampingSlot* parms, FEATURE_RECORD* frec, const Values& v, tag_t coordinateSystem) {
    EXPECT_EQ(parms->GetEntity(5)->AskCount(), 17);
    EXPECT_EQ(parms->GetEntity(5)->AskFlag(), 1);
    for (int i = 0; i < 17; ++i) {
      const EXP_expression* e = parms->AskEntityExpression(5, i);
      EXPECT_EQ(e == nullptr ? -1.0 : EXP_ask_value_of_exp(e), v.fields[i]) << "position " << i;
    }
    const EXP_expression* angle = parms->AskEntityExpression(6, 0);
    EXPECT_EQ(angle == nullptr ? -1.0 : EXP_ask_value_of_exp(angle), v.fields[17]);
    EXPECT_EQ(parms->AskEntityInt(7, 0), static_cast<int>(v.type));
    EXPECT_EQ(parms->AskEntityInt(7, 1), v.onFlange ? 1 : 0);
    EXPECT_EQ(parms->AskEntityTag(2, 0), coordinateSystem);
    EXPECT_EQ(parms->GetDistanceTolerance(), v.distance);
    EXPECT_EQ(parms->GetAngleTolerance(), v.angle);
    // The records in the order pad, slot, slot end, notch, overhang: the
    // title at byte 0, the value at 102, the setting at 236.
    ASSERT_EQ(parms->AskAttributeRecordCount(), 5);
    DieAttributesRecord records[5];
    DieDes::DIEDES_ATTRIBUTE_TABLE table{};
    table.count = 5;
    table.records = records;
    ASSERT_EQ(parms->ReadAttributeRecords(&table), 0);
    for (int i = 0; i < 5; ++i) {
      SCOPED_TRACE(v.titles[i]);
      const auto* bytes = reinterpret_cast<const char*>(&records[i]);
      EXPECT_STREQ(bytes, v.titles[i]);
      EXPECT_STREQ(bytes + 102, v.texts[i]);
      EXPECT_EQ(At<std::int32_t>(bytes, 236), v.numbers[i]);
    }
    // Read back by an edit.
    ClampingSlotBuilder* back = ClampingSlotBuilderFactory::Create(modelPart(), frec);
    EXPECT_EQ(back->GetType(), v.type);
    EXPECT_EQ(back->GetLocationOnFlange(), v.onFlange);
    EXPECT_EQ(back->GetDistanceTolerance(), v.distance);
    EXPECT_EQ(back->GetAngleTolerance(), v.angle);
    const std::vector<EXP_expression*> fields = Fields(back);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(EXP_ask_value_of_exp(fields[i]), v.fields[i]) << "field " << i;
    const std::vector<DieDes::DieAttributesBuilder*> attributes = Attributes(back);
    for (int i = 0; i < 5; ++i) {
      EXPECT_STREQ(attributes[i]->GetFirstText(), v.titles[i]);
      EXPECT_STREQ(attributes[i]->GetSecondText(), v.texts[i]);
      EXPECT_EQ(attributes[i]->GetIntegerValue(), v.numbers[i]);
    }
    EXPECT_EQ(back->GetDieCenterlineCoordinateSystem()->ask_selected_tag(), coordinateSystem);
    EXPECT_EQ(back->GetLocations()->GetList()->size(), 2);
    back->destroy();
  };

  ClampingSlotBuilder* b = OnBase();
  b->GetLocations()->AddUserLocation(Curve(100.0));
  b->GetLocations()->AddUserLocation(Curve(200.0));
  fill(b, made, csys[0]);
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  auto* parms = dynamic_cast<DieDes::ClampingSlot*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->AskEntityTag(4, 0), b->GetFlangeBaseProfile()->ask_tag());
  ASSERT_EQ(parms->GetModule(0)->GetNumChildren(), 2);
  EXPECT_EQ(parms->GetModule(0)->AskApplyMode(), 2);
  b->destroy();
  {
    SCOPED_TRACE("made");
    check(parms, frec, made, csys[0]);
  }

  ClampingSlotBuilder* edit = ClampingSlotBuilderFactory::Create(modelPart(), frec);
  fill(edit, edited, csys[1]);
  ASSERT_EQ(edit->commit_feature(&frec), 0);
  edit->destroy();
  {
    SCOPED_TRACE("edited");
    check(parms, frec, edited, csys[1]);
  }
  // Committed again: still two locations.
  EXPECT_EQ(parms->GetModule(0)->GetNumChildren(), 2);
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
