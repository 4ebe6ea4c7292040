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
#include "ja_exports.hpp"
#include "om/HostClass.hpp"
#include "JamTestSupport.hpp"
#include "ja_die_clamping_slot_builder_jam.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "sys/Settings.hpp"

using namespace KTX;
using namespace KTX::DieDesJA;
using KTX::DieDesJA::ClampingSlotBuilder;
using KTX::DieDesJA::ClampingSlotBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;

using Property::ValuePtr;
using stamvik_test::ExportsStartingWith;
using stamvik_test::JamCalls;
using stamvik_test::Prefixed;

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
      {"slot width under the inner width within the margin", 0, &ClampingSlotBuilder::GetSlotWidth, "44.99999999995",
       0},
      {"slot width under the inner width by the margin", 0, &ClampingSlotBuilder::GetSlotWidth, "44.9999999999",
       3030428},
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
    ExpectEntityValues(parms, 5, v.fields, 17, "position");
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
    ASSERT_EQ(ReadAttributeRecords(parms, records, 5), 0);
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
  // The feature keeps the profile the builder committed; the builder goes
  // on with a copy.
  const tag_t profile = b->GetFlangeBaseProfile()->ask_tag();
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  auto* parms = dynamic_cast<DieDes::ClampingSlot*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->AskEntityTag(4, 0), profile);
  EXPECT_NE(b->GetFlangeBaseProfile()->ask_tag(), profile);
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

// ---- as an object-manager class -----------------------------------------------------

class ClampingSlotClass : public stamvik_test::HostTest {};

TEST_F(ClampingSlotClass, TheClampingSlotsValueRowsAllCarryAMeasure) {
  OM::ClassView view;
  ASSERT_TRUE(OM::OM_describe_class(ClampingSlotBuilderClassId, &view));
  int measured = 0;
  for (const OM::ClassAttributeStruct* row : view.rows) measured += row->measureList != nullptr ? 1 : 0;
  EXPECT_EQ(measured, 26);
}

TEST_F(ClampingSlotClass, DefaultArraysGrowOnlyAtTheirEnd) {
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

TEST_F(ClampingSlotClass, EachDefaultArrayHasItsOwnField) {
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

// ---- as a scripting class -------------------------------------------------------------

class ClampingSlotSetUp : public stamvik_test::FirstCallSetUp {};
class ClampingSlotScripting : public stamvik_test::SlotClearanceRoughBooleanBuilders {};
class ClampingSlotDefaults : public stamvik_test::SlotClearanceRoughBooleanDefaults {};
class ClampingSlotPrint : public stamvik_test::SlotClearanceRoughBooleanPrint {};
class ClampingSlotOwners : public stamvik_test::SlotClearanceRoughBooleanOwners {};

TEST(ClampingSlotExports, ClampingSlotExportsItsThirtyEightMembersInSnakeCase) {
  std::set<std::string> expected = Prefixed(
      "XJA_CLAMPING_SLOT_BUILDER_",
      {"get_target", "get_locations", "get_location_offset_direction", "get_base_plane",
       "get_die_centerline_coordinate_system", "get_orientation_plane", "get_flange_base_profile",
       "get_centerline_length", "get_inner_width", "get_slot_width", "get_slot_length", "get_top_length",
       "get_slot_radius", "get_pad_width", "get_pad_height", "get_pad_length", "get_pad_radius", "get_overhang",
       "get_notch_width", "get_notch_height", "get_notch_angle", "get_flange_thickness", "get_offset_width",
       "get_location_on_flange", "set_location_on_flange", "get_location_offset", "get_pad_offset",
       "get_pad_faces_attributes", "get_slot_faces_attributes", "get_slot_end_faces_attributes",
       "get_notch_faces_attributes", "get_overhang_faces_attributes", "get_distance_tolerance",
       "set_distance_tolerance", "get_angle_tolerance", "set_angle_tolerance", "get_type", "set_type"});
  ASSERT_EQ(expected.size(), 38u);
  EXPECT_EQ(ExportsStartingWith("XJA_CLAMPING_SLOT_BUILDER_"), expected);
}

TEST_F(ClampingSlotSetUp, ClampingSlotLooksUpItsCoordinateSystemTemplateFirst) {
  std::vector<const char*> dependencies = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                           "Die.DieLocationsBuilder", "Die.DiePlaneBuilder", "Expression", "Section",
                                           "SelectObject"};
  auto* b = DieDesJA::ClampingSlotBuilderFactory::Create(modelPart(), nullptr);
  std::vector<std::string> calls = SetUpCalls("Die.ClampingSlotBuilder", dependencies,
                                              [&] { XJA_CLAMPING_SLOT_BUILDER_set_distance_tolerance(b, 0.5); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected;
  for (const char* d : dependencies) expected.push_back(std::string("FileInitializer::Initialize ") + d);
  for (const char* c : {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationsBuilder",
                        "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder", "Section"})
    expected.push_back(std::string("JAM_lookup_or_create_class ") + c);
  expected.insert(expected.end(),
                  {"JAM_lookup_or_create_template_class SelectCartesianCoordinateSystem SelectObject CartesianCoordinateSystem",
                   "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
                   "JAM_lookup_or_create_enum Die.ClampingSlotBuilder.Types 4",
                   "JAM_add_enum_member Die.ClampingSlotBuilder.Types Hydraulic 0",
                   "JAM_add_enum_member Die.ClampingSlotBuilder.Types Traveling 1",
                   "JAM_add_enum_member Die.ClampingSlotBuilder.Types Automatic 2",
                   "JAM_create_class Die.ClampingSlotBuilder Features.FeatureBuilder",
                   "JAM_test_register_print_fn Die.ClampingSlotBuilder",
                   "JAM_register_initialisation_function Die.ClampingSlotBuilder"});
  // Every object-valued property, in ASCII order of its name.
  for (const char* p : {"BasePlane", "CenterlineLength", "DieCenterlineCoordinateSystem", "FlangeBaseProfile",
                        "FlangeThickness", "InnerWidth", "LocationOffset", "LocationOffsetDirection", "Locations",
                        "NotchAngle", "NotchFacesAttributes", "NotchHeight", "NotchWidth", "OffsetWidth",
                        "OrientationPlane", "Overhang", "OverhangFacesAttributes", "PadFacesAttributes", "PadHeight",
                        "PadLength", "PadOffset", "PadRadius", "PadWidth", "SlotEndFacesAttributes",
                        "SlotFacesAttributes", "SlotLength", "SlotRadius", "SlotWidth", "Target", "TopLength"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.ClampingSlotBuilder ") + p + " 0 1");
  expected.push_back("JAM_start_property_call Die.ClampingSlotBuilder 2 DistanceTolerance");
  EXPECT_EQ(calls, expected);
}

TEST_F(ClampingSlotScripting, ASnakeCaseSetRecordsTheMemberUnderItsOwnNameAndLogsOnce) {
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_location_on_flange(slot_, true), 0);
  EXPECT_TRUE(slot_->GetLocationOnFlange());
  std::string t = TagOf(slot_);
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{
                            "JAM_start_property_call Die.ClampingSlotBuilder 2 LocationOnFlange",
                            "JAM_this_ptr " + t,
                            "JAM_in_logical locationonflange=1",
                            "JAM_end_of_arguments",
                            "OM__log tag=" + t,
                            "JAM_end_call 0",
                        }));
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& r = JAM::Recorded()[0];
  EXPECT_EQ(r.journalClass, "Die.ClampingSlotBuilder");
  EXPECT_EQ(r.member, "LocationOnFlange");
  EXPECT_EQ(r.status, 0);

  // An object that need not be logged is not.
  Host::ClearCalls();
  slot_->OmSetState(OM::Object::kStateNoLog);
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_location_on_flange(slot_, false), 0);
  EXPECT_FALSE(slot_->GetLocationOnFlange());
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
}

// Each scripting member reaches the builder's own field: eighteen different
// expressions, five different attribute sub-builders, two tolerances.
TEST_F(ClampingSlotScripting, EachClampingSlotMemberReachesItsOwnField) {
  const stamvik_test::MemberRow<ClampingSlotBuilder, EXP_expression*> expressions[] = {
      {"centerline_length", XJA_CLAMPING_SLOT_BUILDER_get_centerline_length, &ClampingSlotBuilder::GetCenterlineLength},
      {"inner_width", XJA_CLAMPING_SLOT_BUILDER_get_inner_width, &ClampingSlotBuilder::GetInnerWidth},
      {"slot_width", XJA_CLAMPING_SLOT_BUILDER_get_slot_width, &ClampingSlotBuilder::GetSlotWidth},
      {"slot_length", XJA_CLAMPING_SLOT_BUILDER_get_slot_length, &ClampingSlotBuilder::GetSlotLength},
      {"top_length", XJA_CLAMPING_SLOT_BUILDER_get_top_length, &ClampingSlotBuilder::GetTopLength},
      {"slot_radius", XJA_CLAMPING_SLOT_BUILDER_get_slot_radius, &ClampingSlotBuilder::GetSlotRadius},
      {"pad_width", XJA_CLAMPING_SLOT_BUILDER_get_pad_width, &ClampingSlotBuilder::GetPadWidth},
      {"pad_height", XJA_CLAMPING_SLOT_BUILDER_get_pad_height, &ClampingSlotBuilder::GetPadHeight},
      {"pad_length", XJA_CLAMPING_SLOT_BUILDER_get_pad_length, &ClampingSlotBuilder::GetPadLength},
      {"pad_radius", XJA_CLAMPING_SLOT_BUILDER_get_pad_radius, &ClampingSlotBuilder::GetPadRadius},
      {"overhang", XJA_CLAMPING_SLOT_BUILDER_get_overhang, &ClampingSlotBuilder::GetOverhang},
      {"notch_width", XJA_CLAMPING_SLOT_BUILDER_get_notch_width, &ClampingSlotBuilder::GetNotchWidth},
      {"notch_height", XJA_CLAMPING_SLOT_BUILDER_get_notch_height, &ClampingSlotBuilder::GetNotchHeight},
      {"notch_angle", XJA_CLAMPING_SLOT_BUILDER_get_notch_angle, &ClampingSlotBuilder::GetNotchAngle},
      {"flange_thickness", XJA_CLAMPING_SLOT_BUILDER_get_flange_thickness, &ClampingSlotBuilder::GetFlangeThickness},
      {"offset_width", XJA_CLAMPING_SLOT_BUILDER_get_offset_width, &ClampingSlotBuilder::GetOffsetWidth},
      {"location_offset", XJA_CLAMPING_SLOT_BUILDER_get_location_offset, &ClampingSlotBuilder::GetLocationOffset},
      {"pad_offset", XJA_CLAMPING_SLOT_BUILDER_get_pad_offset, &ClampingSlotBuilder::GetPadOffset}};
  stamvik_test::ExpectMembersReachTheirFields(slot_, expressions);
  const stamvik_test::MemberRow<ClampingSlotBuilder, DieDes::DieAttributesBuilder*> attributes[] = {
      {"pad_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_pad_faces_attributes, &ClampingSlotBuilder::GetPadFacesAttributes},
      {"slot_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_slot_faces_attributes, &ClampingSlotBuilder::GetSlotFacesAttributes},
      {"slot_end_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_slot_end_faces_attributes, &ClampingSlotBuilder::GetSlotEndFacesAttributes},
      {"notch_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_notch_faces_attributes, &ClampingSlotBuilder::GetNotchFacesAttributes},
      {"overhang_faces_attributes", XJA_CLAMPING_SLOT_BUILDER_get_overhang_faces_attributes, &ClampingSlotBuilder::GetOverhangFacesAttributes}};
  stamvik_test::ExpectMembersReachTheirFields(slot_, attributes);
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_distance_tolerance(slot_, 0.03), 0);
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_angle_tolerance(slot_, 0.7), 0);
  EXPECT_EQ(slot_->GetDistanceTolerance(), 0.03);
  EXPECT_EQ(slot_->GetAngleTolerance(), 0.7);
  double distance = 0, angle = 0;
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_distance_tolerance(slot_, &distance), 0);
  EXPECT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_angle_tolerance(slot_, &angle), 0);
  EXPECT_EQ(distance, 0.03);
  EXPECT_EQ(angle, 0.7);
}

TEST_F(ClampingSlotScripting, ClampingSlotTypeStoresWhatItIsGivenEvenOutsideTheEnumeration) {
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, 2), 0);
  int type = -1;
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_get_type(slot_, &type), 0);
  EXPECT_EQ(type, 2);
  const JAM::Record& set = JAM::Recorded().at(0);
  EXPECT_EQ(set.member, "Type");
  EXPECT_EQ(set.values.at(0).name, "type");
  EXPECT_EQ(set.values.at(0).type, "Die.ClampingSlotBuilder.Types");
  EXPECT_EQ(set.values.at(0).integer, 2);
  EXPECT_EQ(JAM::Recorded().at(1).values.at(0).integer, 2);

  // Kept as given; bringing the dimensions up to date must not index with it.
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, 7), 0);
  EXPECT_EQ(slot_->GetType(), 7);
  ASSERT_EQ(XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, -1), 0);
  EXPECT_EQ(slot_->GetType(), -1);
}

TEST_F(ClampingSlotDefaults, ClampingSlotMillimetreTexts) {
  Apply("Die.ClampingSlotBuilder", slot_);
  std::vector<std::string> expected = {
      "CenterlineLength.Value=40 (paused)", "FlangeThickness.Value=45 (paused)", "InnerWidth.Value=45 (paused)",
      "LocationOffset.Value=0 (paused)",    "LocationOnFlange=false (paused)",   "NotchAngle.Value=0 (paused)",
      "NotchHeight.Value=0 (paused)",       "NotchWidth.Value=0 (paused)",       "OffsetWidth.Value=150 (paused)",
      "Overhang.Value=0 (paused)",          "PadHeight.Value=63.5 (paused)",     "PadLength.Value=80 (paused)",
      "PadOffset.Value=0 (paused)",         "PadRadius.Value=25 (paused)",       "PadWidth.Value=110 (paused)",
      "SlotLength.Value=40 (paused)",       "SlotRadius.Value=20 (paused)",      "SlotWidth.Value=45 (paused)",
      "TopLength.Value=60 (paused)",
  };
  EXPECT_EQ(Written(slot_), expected);
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_FALSE(slot_->DefaultsInProgress());
}

TEST_F(ClampingSlotDefaults, ClampingSlotInchTexts) {
  part()->SetUnitCode(1);
  Apply("Die.ClampingSlotBuilder", slot_);
  std::vector<std::string> expected = {
      "CenterlineLength.Value=1.57 (paused)", "FlangeThickness.Value=1.77 (paused)", "InnerWidth.Value=1.77 (paused)",
      "LocationOffset.Value=0 (paused)",      "LocationOnFlange=false (paused)",     "NotchAngle.Value=0 (paused)",
      "NotchHeight.Value=0 (paused)",         "NotchWidth.Value=0 (paused)",         "OffsetWidth.Value=5.9 (paused)",
      "Overhang.Value=0 (paused)",            "PadHeight.Value=2.5 (paused)",        "PadLength.Value=3.15 (paused)",
      "PadOffset.Value=0 (paused)",           "PadRadius.Value=1.0 (paused)",        "PadWidth.Value=4.33 (paused)",
      "SlotLength.Value=1.57 (paused)",       "SlotRadius.Value=0.787 (paused)",     "SlotWidth.Value=1.77 (paused)",
      "TopLength.Value=2.36 (paused)",
  };
  EXPECT_EQ(Written(slot_), expected);
}

TEST_F(ClampingSlotPrint, ClampingSlotPrintsItsValuesInDeclarationOrder) {
  std::vector<std::string> expected;
  for (const char* p : {"CenterlineLength", "InnerWidth", "SlotWidth", "SlotLength", "TopLength", "SlotRadius",
                        "PadWidth", "PadHeight", "PadLength", "PadRadius", "Overhang", "NotchWidth", "NotchHeight",
                        "NotchAngle", "FlangeThickness", "OffsetWidth", "LocationOnFlange", "LocationOffset",
                        "PadOffset", "DistanceTolerance", "AngleTolerance", "Type"})
    expected.push_back(std::string("Get") + p);
  expected.push_back("class FeatureBuilder  0");
  EXPECT_EQ(Printed("Die.ClampingSlotBuilder", slot_), expected);
  // The type prints under its enumeration's short name.
  EXPECT_EQ(Host::CountCalls("JAM_test_print_enum_prop"), 1u);
  for (const Host::Call& c : Host::Calls()) {
    if (c.name == "JAM_test_print_enum_prop") {
      EXPECT_EQ(c.args, "GetType type Types=Hydraulic");
    }
  }
}

TEST_F(ClampingSlotOwners, ClampingSlotTypeReadsAsItsMemberNameAndWritesThroughTheJournalledSetter) {
  slot_->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Traveling);
  ValuePtr type = Get("Die.ClampingSlotBuilder", slot_, "Type");
  ASSERT_EQ(type->GetType(), Property::ValueType::kEnum);
  EXPECT_EQ(type->GetEnum(), 1);
  EXPECT_STREQ(static_cast<Property::Enum&>(*type).GetMemberName(), "Traveling");

  ValuePtr automatic = Property::MakeEnum(slotTypes, 2);
  ExpectSameRecord([&] { slot_->SetType(DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Hydraulic); },
                   [&] { return OwnerOf("Die.ClampingSlotBuilder")->SetProperty(slot_, "type", automatic.get()); },
                   [&] { return XJA_CLAMPING_SLOT_BUILDER_set_type(slot_, 2); });
  EXPECT_EQ(slot_->GetType(), DieDesJA::JA_CLAMPING_SLOT_BUILDER_types_Automatic);
  EXPECT_EQ(JAM::Recorded().at(0).values.at(0).integer, 2);
}

TEST_F(ClampingSlotOwners, BothFormsOfLocationOnFlangeWriteTheSameLogical) {
  ValuePtr yes = Property::MakeLogical(true);
  for (const char* name : {"location_on_flange", "LocationOnFlange", "LOCATION_ON_FLANGE"}) {
    ExpectSameRecord([&] { slot_->SetLocationOnFlange(false); },
                     [&] { return OwnerOf("Die.ClampingSlotBuilder")->SetProperty(slot_, name, yes.get()); },
                     [&] { return XJA_CLAMPING_SLOT_BUILDER_set_location_on_flange(slot_, true); });
    EXPECT_TRUE(slot_->GetLocationOnFlange()) << name;
    EXPECT_TRUE(Get("Die.ClampingSlotBuilder", slot_, name)->GetLogical()) << name;
  }
}

// Each key of the clamping slot's owner reads the builder's own object.
TEST_F(ClampingSlotOwners, EachClampingSlotKeyReadsItsOwnObject) {
  const std::pair<const char*, const OM::Object*> keys[] = {
      {"CenterlineLength", slot_->GetCenterlineLength()},
      {"InnerWidth", slot_->GetInnerWidth()},
      {"SlotWidth", slot_->GetSlotWidth()},
      {"SlotLength", slot_->GetSlotLength()},
      {"TopLength", slot_->GetTopLength()},
      {"SlotRadius", slot_->GetSlotRadius()},
      {"PadWidth", slot_->GetPadWidth()},
      {"PadHeight", slot_->GetPadHeight()},
      {"PadLength", slot_->GetPadLength()},
      {"PadRadius", slot_->GetPadRadius()},
      {"Overhang", slot_->GetOverhang()},
      {"NotchWidth", slot_->GetNotchWidth()},
      {"NotchHeight", slot_->GetNotchHeight()},
      {"NotchAngle", slot_->GetNotchAngle()},
      {"FlangeThickness", slot_->GetFlangeThickness()},
      {"OffsetWidth", slot_->GetOffsetWidth()},
      {"LocationOffset", slot_->GetLocationOffset()},
      {"PadOffset", slot_->GetPadOffset()},
      {"PadFacesAttributes", slot_->GetPadFacesAttributes()},
      {"SlotFacesAttributes", slot_->GetSlotFacesAttributes()},
      {"SlotEndFacesAttributes", slot_->GetSlotEndFacesAttributes()},
      {"NotchFacesAttributes", slot_->GetNotchFacesAttributes()},
      {"OverhangFacesAttributes", slot_->GetOverhangFacesAttributes()},
      {"Target", slot_->GetTarget()},
      {"Locations", slot_->GetLocations()},
      {"LocationOffsetDirection", slot_->GetLocationOffsetDirection()},
      {"BasePlane", slot_->GetBasePlane()},
      {"DieCenterlineCoordinateSystem", slot_->GetDieCenterlineCoordinateSystem()},
      {"OrientationPlane", slot_->GetOrientationPlane()},
      {"FlangeBaseProfile", slot_->GetFlangeBaseProfile()}};
  for (const auto& [key, object] : keys) {
    ValuePtr value = Get("Die.ClampingSlotBuilder", slot_, key);
    EXPECT_TRUE(value != nullptr && value->GetType() == Property::ValueType::kSubobject) << key;
    if (value != nullptr && value->GetType() == Property::ValueType::kSubobject) {
      EXPECT_EQ(value->GetSubobject(), object) << key;
    }
  }
}

TEST_F(ClampingSlotOwners, ClampingSlotListWithoutAnObjectHoldsItsThirtyFourEntriesFirst) {
  Property::List list;
  OwnerOf("Die.ClampingSlotBuilder")->GetProperties(nullptr, list);
  const char* names[] = {"Target", "Locations", "LocationOffsetDirection", "BasePlane",
                         "DieCenterlineCoordinateSystem", "OrientationPlane", "FlangeBaseProfile", "CenterlineLength",
                         "InnerWidth", "SlotWidth", "SlotLength", "TopLength", "SlotRadius", "PadWidth", "PadHeight",
                         "PadLength", "PadRadius", "Overhang", "NotchWidth", "NotchHeight", "NotchAngle",
                         "FlangeThickness", "OffsetWidth", "LocationOnFlange", "LocationOffset", "PadOffset",
                         "PadFacesAttributes", "SlotFacesAttributes", "SlotEndFacesAttributes",
                         "NotchFacesAttributes", "OverhangFacesAttributes", "DistanceTolerance", "AngleTolerance",
                         "Type"};
  ASSERT_GT(list.GetCount(), 34);
  int subobjects = 0;
  for (int i = 0; i < 34; ++i) {
    EXPECT_STREQ(list.GetNameByIndex(i), names[i]) << i;
    Property::Value* v = list.GetPropertyByIndex(i);
    if (v->GetType() == Property::ValueType::kSubobject) {
      ++subobjects;
      EXPECT_EQ(v->GetSubobject(), nullptr) << i;
    }
  }
  EXPECT_EQ(subobjects, 30);
  EXPECT_FALSE(list.GetProperty("LocationOnFlange")->GetLogical());
  EXPECT_EQ(list.GetProperty("DistanceTolerance")->GetDouble(), 0.0);
  EXPECT_EQ(list.GetProperty("AngleTolerance")->GetDouble(), 0.0);
  EXPECT_STREQ(static_cast<Property::Enum*>(list.GetProperty("Type"))->GetMemberName(), "Hydraulic");
  EXPECT_STREQ(static_cast<Property::Subobject*>(list.GetProperty("DieCenterlineCoordinateSystem"))->GetClassName(),
               "SelectCartesianCoordinateSystem");
  EXPECT_STREQ(static_cast<Property::Subobject*>(list.GetProperty("Locations"))->GetClassName(),
               "Die.DieLocationsBuilder");
  EXPECT_STREQ(list.GetNameByIndex(34), "Editing");  // then the parent's
}

}  // namespace
