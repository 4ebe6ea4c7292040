// The keyway builder: its validation, its geometric queries and the record it
// hands the host's tool-body call through the node tree.
#include <array>
#include <cstdint>
#include <cstring>

#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"

using namespace KTX;
using KTX::DieDesJA::KeywayBuilder;
using KTX::DieDesJA::KeywayBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;

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
  KeywayBuilder* b = OnBasePlane();
  Set(b->GetRunoffRadius(), "7.5");
  Set(b->GetMinimumRibHeight(), "4");
  Set(b->GetDeckThickness(), "20");
  b->GetTargetData()->SetThickness(true, 25.0);
  b->SetType(DieDesJA::JA_KEYWAY_BUILDER_types_Circular);
  b->SetLocation(DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
  DIEDES_NODE_s* node = b->CreateApplStructure();
  ASSERT_NE(node, nullptr);
  const void* record = DIEDES_NODE_ask_appl_data(node)[0];
  EXPECT_EQ(At<double>(record, 80), 15.0);
  EXPECT_EQ(At<double>(record, 48), 29.0);
  EXPECT_EQ(At<std::int32_t>(record, 104), 1);
  EXPECT_EQ(At<std::int32_t>(record, 108), 3);
  EXPECT_EQ(At<std::int32_t>(record, 0), 3);
  EXPECT_EQ(At<std::int32_t>(record, 112), 510000);
  EXPECT_EQ(node->tolerances[0], b->GetDistanceTolerance());
  EXPECT_EQ(node->tolerances[1], b->GetAngleTolerance());
  ASSERT_EQ(DIEDES_NODE_ask_num_children(node), 1);
  const void* child = DIEDES_NODE_ask_appl_data(DIEDES_NODE_ask_nth_child(node, 0))[1];
  EXPECT_EQ(std::memcmp(static_cast<const unsigned char*>(child) + 8, static_cast<const unsigned char*>(record) + 8,
                        120),
            0);
  EXPECT_EQ(At<std::int32_t>(child, 0), 0);
  KeywayBuilder::FreeApplStructure(node);
  b->destroy();
}

TEST_F(Keyway, ValidationChecksTheSectionsAndEveryDimension) {
  struct Row {
    const char* name;
    const char* expression;  // the dimension set, by getter
    const char* value;
    bool openInteriorLoop;
    int want;
  };
  const Row rows[] = {
      {"all set", "", "", false, 0},
      {"a deck thickness of 0 passes", "deck", "0", false, 0},
      {"a negative deck thickness", "deck", "-0.001", false, 3030451},
      {"slot length 0", "length", "0", false, 3030452},
      {"a negative runoff radius", "radius", "-1", false, 3030461},
      {"an open interior loop", "", "", true, 3030463},
  };
  for (const Row& row : rows) {
    KeywayBuilder* b = OnBasePlane();
    ClosedLoop(b->GetBaseFlange());
    Set(b->GetSlotLength(), "40");
    Set(b->GetSlotWidth(), "20");
    Set(b->GetSlotDepth(), "10");
    const std::string which = row.expression;
    if (which == "deck") Set(b->GetDeckThickness(), row.value);
    if (which == "length") Set(b->GetSlotLength(), row.value);
    if (which == "radius") Set(b->GetRunoffRadius(), row.value);
    if (row.openInteriorLoop) OpenLoop(b->GetInteriorProfile());
    EXPECT_EQ(b->validate_nothrow(), row.want) << row.name;
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

TEST_F(Keyway, CommittedAndOpenedAgainItHoldsItsItemsAndAttributes) {
  KeywayBuilder* b = OnBasePlane();
  ClosedLoop(b->GetBaseFlange());
  Set(b->GetSlotLength(), "40");
  Set(b->GetDeckThickness(), "20");
  b->SetType(DieDesJA::JA_KEYWAY_BUILDER_types_Circular);
  b->SetLocation(DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
  b->SetCreateWithPad(true);
  b->GetPadAttributes()->SetFirstText("PAD");
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  auto* parms = dynamic_cast<DieDes::Keyway*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetEntity(5)->AskCount(), 13);
  EXPECT_EQ(parms->GetEntity(5)->AskFlag(), 1);
  EXPECT_EQ(parms->AskEntityInt(6, 0), 1);
  EXPECT_EQ(parms->AskEntityInt(6, 1), 3);
  EXPECT_EQ(parms->AskEntityInt(6, 2), 1);
  EXPECT_EQ(parms->AskEntityTag(3, 0), b->GetBaseFlange()->ask_tag());
  EXPECT_EQ(parms->AskAttributeRecordCount(), 2);
  EXPECT_EQ(parms->AskApplyMode(), 2);
  b->destroy();

  KeywayBuilder* edit = KeywayBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_KEYWAY_BUILDER_types_Circular);
  EXPECT_EQ(edit->GetLocation(), DieDesJA::JA_KEYWAY_BUILDER_location_type_NegativeY);
  EXPECT_TRUE(edit->GetCreateWithPad());
  EXPECT_EQ(EXP_ask_value_of_exp(edit->GetSlotLength()), 40.0);
  EXPECT_EQ(EXP_ask_value_of_exp(edit->GetDeckThickness()), 20.0);
  EXPECT_STREQ(edit->GetPadAttributes()->GetFirstText(), "PAD");
  EXPECT_STREQ(edit->GetSlotAttributes()->GetFirstText(), "");
  EXPECT_FALSE(edit->GetBaseFlange()->is_empty());
  edit->destroy();
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

}  // namespace
