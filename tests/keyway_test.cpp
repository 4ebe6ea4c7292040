// The keyway builder: its validation, its geometric queries and the record it
// hands the host's tool-body call through the node tree; as an object-manager
// class its registration and location field; as a scripting class its
// exports, set-up, members, defaults and test print.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "JamTestSupport.hpp"
#include "ja_die_keyway_builder_jam.hpp"
#include "ja_die_machine_relief_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"

using namespace KTX;
using namespace KTX::DieDesJA;
using KTX::DieDesJA::KeywayBuilder;
using KTX::DieDesJA::KeywayBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;

using stamvik_test::AlreadySetUp;
using stamvik_test::ExportsStartingWith;
using stamvik_test::FirstJamCalls;
using stamvik_test::Paused;

namespace {

class Keyway : public DieDesignFeature {
 protected:
  // A keyway whose base plane is the coordinate system at (0, 0, 10).
  KeywayBuilder* OnBasePlane() {
    KeywayBuilder* b = KeywayBuilderFactory::Create(modelPart(), nullptr);
    CoordinateSystemAt(b->GetBaseOrientation(), 10);
    return b;
  }
};

// The thirteen dimensions in the order the feature keeps them.
std::vector<EXP_expression*> Dimensions(const KeywayBuilder* b) {
  return {b->GetSlotLength(),   b->GetSlotWidth(),   b->GetSlotDepth(),       b->GetPadWidth(), b->GetPadHeight(),
          b->GetMinimumRibHeight(), b->GetRunoffLength(), b->GetRunoffWidth(), b->GetRunoffDepth(),
          b->GetRunoffRadius(), b->GetPlacementOffset(), b->GetOffset(),     b->GetDeckThickness()};
}

TEST_F(Keyway, TheBaseIsMovedByThePlacementOffsetAlongItsNormal) {
  KeywayBuilder* b = OnBasePlane();
  Set(b->GetPlacementOffset(), "5");
  double origin[3], normal[3];
  EXPECT_TRUE(b->GetBaseInformation(origin, normal));
  EXPECT_EQ(origin[2], 15.0);
  EXPECT_EQ(normal[2], 1.0);
  b->destroy();

  // Without a plane or a target base: false, still moved from the origin.
  KeywayBuilder* none = KeywayBuilderFactory::Create(modelPart(), nullptr);
  Set(none->GetPlacementOffset(), "5");
  EXPECT_FALSE(none->GetBaseInformation(origin, normal));
  EXPECT_EQ(origin[0], 0.0);
  EXPECT_EQ(origin[2], 5.0);
  none->destroy();
}

TEST_F(Keyway, TheDirectionFollowsTheLocationFromTheCoordinateSystem) {
  KeywayBuilder* b = OnBasePlane();
  Set(b->GetOffset(), "5");
  double origin[3], matrix[9];
  EXPECT_FALSE(b->GetCSYSInformation(origin, matrix));
  EXPECT_EQ(matrix[0], 1.0);
  EXPECT_EQ(matrix[4], 1.0);
  const double at[3] = {100, 50, 0};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  b->GetTargetData()->SetDieCoordinateSystem(true, at, identity, 0);
  b->SetLocation(DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
  double point[3], direction[3], side[3];
  b->GetIntersectionDirection(point, direction, side);
  EXPECT_EQ(direction[1], -1.0);
  EXPECT_EQ(point[0], 100.0);
  EXPECT_EQ(point[1], 45.0);
  b->destroy();
}

TEST_F(Keyway, TheRecordDoublesTheRadiusAddsTheDeckAndTheChildTakesItFromByteEight) {
  struct Row {
    const char* what;
    bool targetDeck;
    double ribPlusDeck;
  };
  // Rib height 4 over the builder's deck 20, or over the target's 25.
  for (const Row& row : {Row{"the target's deck", true, 29.0}, Row{"the builder's deck", false, 24.0}}) {
    SCOPED_TRACE(row.what);
    KeywayBuilder* b = OnBasePlane();
    const char* const texts[13] = {"40", "20", "10", "31", "12", "4", "17", "13", "9", "7.5", "5", "6", "20"};
    const std::vector<EXP_expression*> dimensions = Dimensions(b);
    for (int i = 0; i < 13; ++i) Set(dimensions[i], texts[i]);
    if (row.targetDeck) b->GetTargetData()->SetThickness(true, 25.0);
    b->SetType(DieDesJA::JA_KEYWAY_BUILDER_types_Circular);
    b->SetLocation(DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
    b->SetCreateWithPad(true);
    DIEDES_NODE_s* node = b->CreateApplStructure();
    EXPECT_NE(node, nullptr);
    if (node == nullptr) {
      b->destroy();
      continue;
    }
    const void* record = DIEDES_NODE_ask_appl_data(node)[0];
    struct Place {
      int byte;
      double value;
    };
    const Place places[] = {{8, 40},  {16, 20}, {24, 10}, {32, 31}, {40, 12},          {48, row.ribPlusDeck},
                            {56, 17}, {64, 13}, {72, 9},  {80, 15}, {88, 5}, {96, 6}};
    for (const Place& p : places) EXPECT_EQ(At<double>(record, p.byte), p.value) << "byte " << p.byte;
    EXPECT_EQ(At<std::int32_t>(record, 104), 1);
    EXPECT_EQ(At<std::int32_t>(record, 108), 3);
    EXPECT_EQ(At<std::int32_t>(record, 0), 3);
    EXPECT_EQ(At<std::int32_t>(record, 112), 510000);
    EXPECT_EQ(At<std::int32_t>(record, 116), 0);
    EXPECT_EQ(At<std::int32_t>(record, 120), 1);
    EXPECT_EQ(node->tolerances[0], b->GetDistanceTolerance());
    EXPECT_EQ(node->tolerances[1], b->GetAngleTolerance());
    EXPECT_EQ(DIEDES_NODE_ask_num_children(node), 1);
    if (DIEDES_NODE_ask_num_children(node) == 1) {
      const void* child = DIEDES_NODE_ask_appl_data(DIEDES_NODE_ask_nth_child(node, 0))[1];
      EXPECT_EQ(std::memcmp(static_cast<const unsigned char*>(child) + 8, static_cast<const unsigned char*>(record) + 8,
                            120),
                0);
      EXPECT_EQ(At<std::int32_t>(child, 0), 0);
    }
    KeywayBuilder::FreeApplStructure(node);
    b->destroy();
  }
}

TEST_F(Keyway, ValidationChecksTheSectionsAndEveryDimension) {
  using Getter = EXP_expression* (KeywayBuilder::*)() const;
  struct Row {
    const char* name;
    Getter expression;
    const char* value;
    bool openInteriorLoop;
    int want;
  };
  // Each bound at its value and one step past: a slot size must exceed
  // 1e-10, the rest may not fall to -1e-10.
  const Row rows[] = {
      {"all set", nullptr, "", false, 0},
      {"a deck thickness of 0 passes", &KeywayBuilder::GetDeckThickness, "0", false, 0},
      {"a deck thickness within the margin", &KeywayBuilder::GetDeckThickness, "-0.00000000005", false, 0},
      {"a deck thickness at the margin", &KeywayBuilder::GetDeckThickness, "-0.0000000001", false, 3030451},
      {"slot length 0", &KeywayBuilder::GetSlotLength, "0", false, 3030452},
      {"slot length at the margin", &KeywayBuilder::GetSlotLength, "0.0000000001", false, 3030452},
      {"slot length past the margin", &KeywayBuilder::GetSlotLength, "0.0000000002", false, 0},
      {"slot width 0", &KeywayBuilder::GetSlotWidth, "0", false, 3030453},
      {"slot depth 0", &KeywayBuilder::GetSlotDepth, "0", false, 3030454},
      {"slot depth 0.001", &KeywayBuilder::GetSlotDepth, "0.001", false, 0},
      {"pad width -0.001", &KeywayBuilder::GetPadWidth, "-0.001", false, 3030455},
      {"pad height -0.001", &KeywayBuilder::GetPadHeight, "-0.001", false, 3030456},
      {"rib height -0.001", &KeywayBuilder::GetMinimumRibHeight, "-0.001", false, 3030457},
      {"runoff length -0.001", &KeywayBuilder::GetRunoffLength, "-0.001", false, 3030458},
      {"runoff width -0.001", &KeywayBuilder::GetRunoffWidth, "-0.001", false, 3030459},
      {"runoff depth -0.001", &KeywayBuilder::GetRunoffDepth, "-0.001", false, 3030460},
      {"a negative runoff radius", &KeywayBuilder::GetRunoffRadius, "-0.001", false, 3030461},
      {"runoff radius 0", &KeywayBuilder::GetRunoffRadius, "0", false, 0},
      {"offsets are not checked", &KeywayBuilder::GetPlacementOffset, "-5", false, 0},
      {"an open interior loop", nullptr, "", true, 3030463},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    KeywayBuilder* b = OnBasePlane();
    ClosedLoop(b->GetBaseFlange());
    Set(b->GetSlotLength(), "40");
    Set(b->GetSlotWidth(), "20");
    Set(b->GetSlotDepth(), "10");
    if (row.expression != nullptr) Set((b->*row.expression)(), row.value);
    if (row.openInteriorLoop) OpenLoop(b->GetInteriorProfile());
    EXPECT_EQ(b->validate_nothrow(), row.want);
    b->destroy();
  }
  // The tolerances: 1e-10 is enough, just under it is not.
  for (const double tolerance : {1e-10, 0.99e-10}) {
    SCOPED_TRACE(tolerance);
    KeywayBuilder* b = OnBasePlane();
    ClosedLoop(b->GetBaseFlange());
    Set(b->GetSlotLength(), "40");
    Set(b->GetSlotWidth(), "20");
    Set(b->GetSlotDepth(), "10");
    ExpectToleranceLimit(b, tolerance);
    b->destroy();
  }
  // Without a base flange the target's curve stands in for it.
  KeywayBuilder* b = OnBasePlane();
  Set(b->GetSlotLength(), "40");
  Set(b->GetSlotWidth(), "20");
  Set(b->GetSlotDepth(), "10");
  EXPECT_EQ(b->validate_nothrow(), 3030392);
  b->GetTargetData()->SetBaseFlangeCurve(true, ES_create_polyline(2, std::array<double, 6>{0, 0, 0, 1, 0, 0}.data()));
  EXPECT_EQ(b->validate_nothrow(), 0);
  b->destroy();
}

// Every field a different value, committed and read back; then every field
// changed by an edit, committed and read back again.
TEST_F(Keyway, CommittedAndOpenedAgainItHoldsItsItemsAndAttributes) {
  struct Values {
    double distance, angle;
    int type, location;
    bool pad;
    double dimensions[13];
    const char* titles[2];  // slot, pad
    int numbers[2];
  };
  const Values made = {0.01, 0.5, 1, 3, true, {40, 20, 10, 31, 12, 4, 17, 13, 9, 7.5, 5, 6, 25}, {"SLOT", "PAD"}, {11, 12}};
  const Values edited = {0.02, 0.25, 0, 2, false, {41, 21, 11, 32, 14, 3, 18, 15, 8, 6.5, 2, 1, 26}, {"SLOT2", "PAD2"},
                         {21, 22}};
  const tag_t csys[2] = {Curve(7.0), Curve(8.0)};
  const tag_t sheets[2] = {Curve(9.0), Curve(10.0)};
  auto fill = [&](KeywayBuilder* b, const Values& v, int which) {
    b->SetDistanceTolerance(v.distance);
    b->SetAngleTolerance(v.angle);
    b->SetType(static_cast<DieDesJA::JA_KEYWAY_BUILDER_types>(v.type));
    b->SetLocation(static_cast<DieDesJA::JA_KEYWAY_BUILDER_location_type>(v.location));
    b->SetCreateWithPad(v.pad);
    const std::vector<EXP_expression*> dimensions = Dimensions(b);
    for (int i = 0; i < 13; ++i) Set(dimensions[i], std::to_string(v.dimensions[i]).c_str());
    b->GetSlotAttributes()->SetFirstText(v.titles[0]);
    b->GetSlotAttributes()->SetIntegerValue(v.numbers[0]);
    b->GetPadAttributes()->SetFirstText(v.titles[1]);
    b->GetPadAttributes()->SetIntegerValue(v.numbers[1]);
    b->GetDieCenterlineCoordinateSystem()->set_selected_tag(csys[which]);
    b->GetSheetMetal()->set_selected_tag(sheets[which]);
  };
  auto check = [&](FEATURE_RECORD* frec, const Values& v, int which) {
    auto* parms = dynamic_cast<DieDes::Keyway*>(FREC_ask_parms_of_frec(frec));
    ASSERT_NE(parms, nullptr);
    EXPECT_EQ(parms->GetEntity(5)->AskCount(), 13);
    EXPECT_EQ(parms->GetEntity(5)->AskFlag(), 1);
    ExpectEntityValues(parms, 5, v.dimensions, 13, "position");
    EXPECT_EQ(parms->AskEntityInt(6, 0), v.type);
    EXPECT_EQ(parms->AskEntityInt(6, 1), v.location);
    EXPECT_EQ(parms->AskEntityInt(6, 2), v.pad ? 1 : 0);
    EXPECT_EQ(parms->AskEntityTag(1, 0), csys[which]);
    EXPECT_EQ(parms->AskEntityTag(2, 0), sheets[which]);
    EXPECT_EQ(parms->GetDistanceTolerance(), v.distance);
    EXPECT_EQ(parms->GetAngleTolerance(), v.angle);
    ASSERT_EQ(parms->AskAttributeRecordCount(), 2);
    EXPECT_EQ(parms->AskApplyMode(), 2);
    DieAttributesRecord records[2];
    ASSERT_EQ(ReadAttributeRecords(parms, records, 2), 0);
    ExpectTitlesAndNumbers(records, v.titles, v.numbers, 2);

    KeywayBuilder* back = KeywayBuilderFactory::Create(modelPart(), frec);
    EXPECT_EQ(back->GetType(), v.type);
    EXPECT_EQ(back->GetLocation(), v.location);
    EXPECT_EQ(back->GetCreateWithPad(), v.pad);
    EXPECT_EQ(back->GetDistanceTolerance(), v.distance);
    EXPECT_EQ(back->GetAngleTolerance(), v.angle);
    const std::vector<EXP_expression*> dimensions = Dimensions(back);
    for (int i = 0; i < 13; ++i) EXPECT_EQ(EXP_ask_value_of_exp(dimensions[i]), v.dimensions[i]) << "dimension " << i;
    EXPECT_STREQ(back->GetSlotAttributes()->GetFirstText(), v.titles[0]);
    EXPECT_EQ(back->GetSlotAttributes()->GetIntegerValue(), v.numbers[0]);
    EXPECT_STREQ(back->GetPadAttributes()->GetFirstText(), v.titles[1]);
    EXPECT_EQ(back->GetPadAttributes()->GetIntegerValue(), v.numbers[1]);
    EXPECT_EQ(back->GetDieCenterlineCoordinateSystem()->ask_selected_tag(), csys[which]);
    EXPECT_EQ(back->GetSheetMetal()->ask_selected_tag(), sheets[which]);
    EXPECT_FALSE(back->GetBaseFlange()->is_empty());
    back->destroy();
  };

  KeywayBuilder* b = OnBasePlane();
  ClosedLoop(b->GetBaseFlange());
  fill(b, made, 0);
  // The feature keeps the section the builder committed; the builder goes
  // on with a copy.
  const tag_t flange = b->GetBaseFlange()->ask_tag();
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  auto* parms = dynamic_cast<DieDes::Keyway*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->AskEntityTag(3, 0), flange);
  EXPECT_NE(b->GetBaseFlange()->ask_tag(), flange);
  b->destroy();
  {
    SCOPED_TRACE("made");
    check(frec, made, 0);
  }
  KeywayBuilder* edit = KeywayBuilderFactory::Create(modelPart(), frec);
  fill(edit, edited, 1);
  ASSERT_EQ(edit->commit_feature(&frec), 0);
  edit->destroy();
  {
    SCOPED_TRACE("edited");
    check(frec, edited, 1);
  }
}

TEST_F(Keyway, ParametersWithMoreItemsThanTheLayoutAreRefusedUntouched) {
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  auto* parms = DIEDES_GENERIC_BODY_PARMS::Make(DieDes::Keyway::ThisClassId,
                                                {DieDes::DieDesGenericPlane::ThisClassId, plain, plain, plain, plain,
                                                 plain, plain, plain});
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(parms, 0, &frec), 0);
  KeywayBuilder* b = OnBasePlane();
  Host::ClearCalls();
  EXPECT_EQ(b->ConvertBuilderDataToFrec(frec), 690000);
  for (const Host::Call& c : Host::Calls()) EXPECT_EQ(c.name.find("DIEDES_GENERIC_ENTITY::Set"), std::string::npos);
  EXPECT_TRUE(ArgsOf("DieDesGenericPlane::StoreRecords").empty());
  b->destroy();
}

TEST_F(Keyway, APreviewCutsACopyOfTheTargetAndLetsWhatItMadeGo) {
  KeywayBuilder* b = OnBasePlane();
  ClosedLoop(b->GetBaseFlange());
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::ClearCalls();
  const int bodiesBefore = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(LiveBodies(), bodiesBefore + 1);
  ExpectMark("Keyway create bodies", false);
  const std::vector<std::string> booleans = ArgsOf("DIEDES_UTILS_boolean_bodies");
  ASSERT_EQ(booleans.size(), 4u);
  const char* operations[4] = {"15903", "15902", "18210", "18211"};
  for (int i = 0; i < 4; ++i) {
    EXPECT_TRUE(Has(booleans[i], std::string("operation=") + operations[i])) << booleans[i];
    EXPECT_TRUE(Has(booleans[i], "text=\"Keyway: Performing boolean operation\"")) << booleans[i];
  }
  // The base at height 10 with its negated normal, and the code.
  const KeyToolCall& call = LastKeyToolCall();
  ASSERT_EQ(call.toolData.size(), 104u);
  EXPECT_EQ(At<double>(call.toolData.data(), 24), 10.0);
  EXPECT_EQ(At<double>(call.toolData.data(), 72), -1.0);
  EXPECT_EQ(call.code, 510000);
  // The joined flange curve and the coordinate system made for the preview go.
  EXPECT_EQ(ArgsOf("UPDATE_log_entity_to_delete").size(), 2u);
  DieDesUtilsDeleteBodies(&count, &bodies);

  // Without a base flange: nothing handed over, undone.
  KeywayBuilder* none = OnBasePlane();
  none->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::ClearCalls();
  const int bodiesThen = LiveBodies();
  EXPECT_EQ(none->CreateBodies(&count, &bodies), 3030392);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  EXPECT_EQ(LiveBodies(), bodiesThen);
  ExpectMark("Keyway create bodies", true);
  none->destroy();

  // The host's tool-body call fails after the copies are made: the target's
  // copy goes, the flange curve and the coordinate system are logged for
  // deletion and gone with the undo.
  Host::SetAnswer("DIEDES_KEY_parent_create_tool_body", 3030999);
  Host::ClearCalls();
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030999);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  EXPECT_EQ(LiveBodies(), bodiesThen);
  ExpectMark("Keyway create bodies", true);
  const std::vector<std::string> deleted = ArgsOf("UPDATE_log_entity_to_delete");
  EXPECT_EQ(deleted.size(), 2u);
  for (const std::string& d : deleted) EXPECT_EQ(OM::OM_object_of_tag(std::stoul(d.substr(4))), nullptr) << d;
  b->destroy();
}

TEST_F(Keyway, TheFlangeIsMetOnTheNegativeSideAndBroughtOntoTheBase) {
  KeywayBuilder* b = OnBasePlane();
  // The flange a little above the base: one closed curve around the origin.
  const double rectangle[] = {-200, -150, 12, 200, -150, 12, 200, 150, 12, -200, 150, 12, -200, -150, 12};
  const tag_t flange = ES_create_polyline(5, rectangle);
  b->GetBaseFlange()->add_loop(SC_section::kClosed, 1, &flange);
  double point[3], direction[3], side[3], onFlange[3];
  ASSERT_TRUE(b->GetIntersectionOnFlange(point, direction, side, onFlange));
  EXPECT_EQ(onFlange[0], 0.0);
  EXPECT_EQ(onFlange[1], -150.0);
  EXPECT_EQ(onFlange[2], 10.0);
  b->destroy();

  // Met only on the side the side direction points to: not found.
  KeywayBuilder* upper = OnBasePlane();
  const double edge[] = {-200, 150, 12, 200, 150, 12};
  const tag_t half = ES_create_polyline(2, edge);
  upper->GetBaseFlange()->add_loop(SC_section::kOpen, 1, &half);
  EXPECT_FALSE(upper->GetIntersectionOnFlange(point, direction, side, onFlange));
  EXPECT_EQ(onFlange[1], point[1]);
  upper->destroy();
}

// ---- as an object-manager class -----------------------------------------------------

class KeywayClass : public stamvik_test::GenericBodyBuilderClasses {};

TEST_F(KeywayClass, KeywayRegistrationMatchesTheClassTable) {
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

TEST_F(KeywayClass, KeywayLocationThroughTheObjectManagerIsThePlainField) {
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

// ---- as a scripting class -------------------------------------------------------------

class KeywayScripting : public stamvik_test::KeywayReliefScripting {};
class KeywayDefaults : public stamvik_test::KeywayReliefDefaults {};
class KeywayPrint : public stamvik_test::KeywayReliefPrint {};

TEST(KeywayExports, KeywayExportsItsThirtyOneMembersTypeInLowerCase) {
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

// Runs alone in its process under ctest; skipped when the class was set up earlier.
TEST_F(KeywayScripting, KeywaySetUpMakesItsRegistryCallsInOrderBeforeTheFirstRecord) {
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

// Each scripting member reaches the keyway's own field: thirteen different
// expressions, the two attribute sub-builders, the three selections and the
// two tolerances.
TEST_F(KeywayScripting, EachKeywayMemberReachesItsOwnField) {
  const stamvik_test::MemberRow<KeywayBuilder, EXP_expression*> expressions[] = {
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
  stamvik_test::ExpectMembersReachTheirFields(keyway_, expressions);
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

TEST_F(KeywayScripting, KeywayTypeIsExportedInLowerCaseAndJournalledAsType) {
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

TEST_F(KeywayScripting, KeywayLocationThroughEitherInterfaceReachesTheBuildersOperations) {
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

TEST_F(KeywayScripting, KeywayJournalledSetLogsOnceAndRecordsTheCall) {
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

TEST_F(KeywayDefaults, KeywayMillimetreAndInchTexts) {
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

TEST_F(KeywayDefaults, KeywayWithoutAWorkPartTakesTheMillimetreTexts) {
  SetUpClasses();
  PART_set_work_part(nullptr);
  std::vector<std::string> rows = Apply(kKeyway, keyway_);
  ASSERT_EQ(rows.size(), 17u);
  EXPECT_EQ(rows[3], "DistanceTolerance=0.0254 (paused)");
  EXPECT_EQ(rows[16], "SlotWidth.Value=25 (paused)");
}

TEST_F(KeywayPrint, KeywayPrintsItsValuesInSlotOrder) {
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

}  // namespace
