// The heel post builder: its validation, the record it hands the host's
// tool-body call (walls, percentage, floor), the parameters it commits and
// reads back, and its preview under its undo mark; as an object-manager class
// its registration and flags; as a scripting class its set-up, members,
// exclusive wall reliefs, defaults, test print and property owner.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "ja_die_heelpost_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"

using namespace KTX;
using KTX::DieDesJA::HeelpostBuilder;
using KTX::DieDesJA::HeelpostBuilderClassId;
using KTX::DieDesJA::HeelpostBuilderFactory;
using KTX::DieDesJA::JA_HEELPOST_BUILDER_types_SafetyBlock;
using KTX::DieDesJA::JA_HEELPOST_BUILDER_types_StorageBlock;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;
using stamvik_test::JamCalls;
using stamvik_test::NamedWrites;
using stamvik_test::OwnerRecorder;
using stamvik_test::Paused;
using stamvik_test::WriteBackAll;
using Property::ValuePtr;

namespace {

using namespace stamvik_test::lists;

class Heelpost : public DieDesignFeature {
 protected:
  // A post 300 by 150, 100 high, with wall A, on the base plane at (0, 0, 10)
  // and centred on a new coordinate system.
  HeelpostBuilder* OnBase() { return HeelpostOnBase(); }
  // The child's record of a tree made with four tags.
  static const void* ChildRecord(DIEDES_NODE_s* node) {
    return DIEDES_NODE_ask_appl_data(DIEDES_NODE_ask_nth_child(node, 0))[1];
  }
};

TEST_F(Heelpost, ValidationChecksEachDimensionAndThePercentageLimits) {
  using Getter = EXP_expression* (HeelpostBuilder::*)() const;
  struct Row {
    const char* name;
    Getter expression;
    const char* value;
    int want;
  };
  // Each bound at its value and one step past: a size must exceed 1e-10, the
  // rest may not fall to -1e-10, the percentage lies strictly between 1e-10
  // and 99.9999999999.
  const Row rows[] = {
      {"all set", nullptr, "", 0},
      {"length at the margin", &HeelpostBuilder::GetLength, "0.0000000001", 3030471},
      {"length past the margin", &HeelpostBuilder::GetLength, "0.0000000002", 0},
      {"width 0", &HeelpostBuilder::GetWidth, "0", 3030472},
      {"width 0.001", &HeelpostBuilder::GetWidth, "0.001", 0},
      {"height 0", &HeelpostBuilder::GetHeight, "0", 3030473},
      {"pad thickness 0", &HeelpostBuilder::GetPadThickness, "0", 3030474},
      {"floor 0", &HeelpostBuilder::GetFloorThickness, "0", 0},
      {"floor within the margin", &HeelpostBuilder::GetFloorThickness, "-0.00000000005", 0},
      {"floor at the margin", &HeelpostBuilder::GetFloorThickness, "-0.0000000001", 3030475},
      {"diameter -0.001", &HeelpostBuilder::GetDiameter, "-0.001", 3030478},
      {"relief width -0.001", &HeelpostBuilder::GetReliefWidth, "-0.001", 3030476},
      {"relief depth -0.001", &HeelpostBuilder::GetReliefDepth, "-0.001", 3030477},
      {"percentage 0", &HeelpostBuilder::GetWallPercentage, "0", 3030481},
      {"percentage at the margin", &HeelpostBuilder::GetWallPercentage, "0.0000000001", 3030481},
      {"percentage just over the margin", &HeelpostBuilder::GetWallPercentage, "0.0000000002", 0},
      {"percentage 100", &HeelpostBuilder::GetWallPercentage, "100", 3030481},
      {"percentage at the top", &HeelpostBuilder::GetWallPercentage, "99.9999999999", 3030481},
      {"percentage just under the top", &HeelpostBuilder::GetWallPercentage, "99.9999999998", 0},
      {"wall A thickness -0.001", &HeelpostBuilder::GetWallAThickness, "-0.001", 3030479},
      {"wall B thickness -0.001", &HeelpostBuilder::GetWallBThickness, "-0.001", 3030479},
      {"wall C thickness -0.001", &HeelpostBuilder::GetWallCThickness, "-0.001", 3030479},
      {"wall D thickness -0.001", &HeelpostBuilder::GetWallDThickness, "-0.001", 3030479},
      {"wall D thickness 0", &HeelpostBuilder::GetWallDThickness, "0", 0},
      {"wall A offset -0.001", &HeelpostBuilder::GetWallAOffset, "-0.001", 3030480},
      {"wall B offset -0.001", &HeelpostBuilder::GetWallBOffset, "-0.001", 3030480},
      {"wall C offset -0.001", &HeelpostBuilder::GetWallCOffset, "-0.001", 3030480},
      {"wall D offset -0.001", &HeelpostBuilder::GetWallDOffset, "-0.001", 3030480},
      {"location offset -5 is not checked", &HeelpostBuilder::GetLocationOffset, "-5", 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HeelpostBuilder* b = OnBase();
    if (row.expression != nullptr) Set((b->*row.expression)(), row.value);
    EXPECT_EQ(b->validate_nothrow(), row.want);
    b->destroy();
  }
  // The tolerances: 1e-10 is enough, just under it is not.
  for (const double tolerance : {1e-10, 0.99e-10}) {
    SCOPED_TRACE(tolerance);
    HeelpostBuilder* b = OnBase();
    ExpectToleranceLimit(b, tolerance);
    b->destroy();
  }
  // Without walls the post still validates; its record refuses it.
  HeelpostBuilder* none = OnBase();
  none->SetWallACreate(false);
  EXPECT_EQ(none->validate_nothrow(), 0);
  EXPECT_EQ(RaisedCode([&] { none->CreateApplStructure(0, 0, 0, 0); }), 3030438);
  none->destroy();
}

TEST_F(Heelpost, ThePercentageGivesTheCreatedWallsOneThickness) {
  HeelpostBuilder* b = OnBase();
  b->SetUsePercent(true);
  b->SetWallCCreate(true);
  Set(b->GetWallCThickness(), "6");
  Host::SetRealAnswer("Heelpost::CalculateWallThickness", 8.0);
  Host::ClearCalls();
  DIEDES_NODE_s* node = b->CreateApplStructure(11, 12, 13, 14);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(ArgsOf("ERROR_lprintf"), std::vector<std::string>{"Area LxW 45000.000000, reduced to thickness 8.000000\n"});
  const void* record = ChildRecord(node);
  EXPECT_EQ(At<double>(record, 152), 8.0);
  EXPECT_EQ(At<double>(record, 168), 8.0);
  EXPECT_EQ(At<double>(record, 160), 0.0);
  EXPECT_EQ(At<double>(record, 176), 0.0);
  EXPECT_EQ(At<std::int32_t>(record, 0), 11);
  EXPECT_EQ(At<std::int32_t>(record, 4), 12);
  EXPECT_EQ(At<std::int32_t>(record, 12), 13);
  EXPECT_EQ(At<std::int32_t>(record, 16), 14);
  EXPECT_EQ(node->tolerances[0], b->GetDistanceTolerance());
  HeelpostBuilder::FreeApplStructure(node);

  // A computed thickness not above 1e-10: the walls keep their own.
  Host::SetRealAnswer("Heelpost::CalculateWallThickness", 1e-10);
  Host::ClearCalls();
  node = b->CreateApplStructure(0, 0, 0, 0);
  EXPECT_TRUE(ArgsOf("ERROR_lprintf").empty());
  EXPECT_EQ(At<double>(ChildRecord(node), 152), 5.0);
  EXPECT_EQ(At<double>(ChildRecord(node), 168), 6.0);
  HeelpostBuilder::FreeApplStructure(node);
  // A created wall thinner than the distance tolerance makes no wall.
  Set(b->GetWallCThickness(), "0.001");
  EXPECT_EQ(RaisedCode([&] { b->CreateApplStructure(0, 0, 0, 0); }), 3030438);
  b->destroy();
}

// A different value in every field, so that a field written at another's
// place, in the host's record or in the stored items, shows.
TEST_F(Heelpost, EveryValueGoesToItsOwnPlaceAndComesBack) {
  HeelpostBuilder* b = OnBase();
  b->SetType(DieDesJA::JA_HEELPOST_BUILDER_types_GuidepostWearplate);
  b->SetCreateFloor(true);
  b->SetWallACreate(true);
  b->SetWallCCreate(true);
  b->SetWallDCreate(true);
  b->SetWallBRelief(true);
  // Stored order: location, base, pad offset, length, width, height, pad
  // thickness, floor, diameter, x, y, relief width, relief depth, then each
  // wall's thickness and offset.
  EXP_expression* const stored[21] = {
      b->GetLocationOffset(), b->GetBaseOffset(),     b->GetPadOffset(),      b->GetLength(),
      b->GetWidth(),          b->GetHeight(),         b->GetPadThickness(),   b->GetFloorThickness(),
      b->GetDiameter(),       b->GetXOffset(),        b->GetYOffset(),        b->GetReliefWidth(),
      b->GetReliefDepth(),    b->GetWallAThickness(), b->GetWallAOffset(),    b->GetWallBThickness(),
      b->GetWallBOffset(),    b->GetWallCThickness(), b->GetWallCOffset(),    b->GetWallDThickness(),
      b->GetWallDOffset()};
  const double values[21] = {1, 7, 3, 300, 150, 100, 20, 18, 12, 9, 11, 13, 15, 5, 17, 6, 19, 4, 21, 2, 23};
  for (int i = 0; i < 21; ++i) Set(stored[i], std::to_string(values[i]).c_str());
  Set(b->GetWallPercentage(), "31");

  DIEDES_NODE_s* node = b->CreateApplStructure(0, 0, 0, 0);
  ASSERT_NE(node, nullptr);
  const void* record = ChildRecord(node);
  struct Place {
    int byte;
    double value;
  };
  const Place places[] = {{48, 1},   {56, 3},   {64, 7},   {72, 300}, {80, 150}, {88, 20},  {96, 18},
                          {104, 12}, {112, 9},  {120, 11}, {128, 13}, {136, 15}, {144, 31}, {152, 5},
                          {160, 6},  {168, 4},  {176, 2},  {184, 17}, {192, 19}, {200, 21}, {208, 23}};
  for (const Place& p : places) {
    SCOPED_TRACE(p.byte);
    EXPECT_EQ(At<double>(record, p.byte), p.value);
  }
  const int flags[6][2] = {{20, 0}, {24, 1}, {28, 0}, {32, 1}, {36, 1}, {40, 1}};
  for (const auto& f : flags) EXPECT_EQ(At<std::int32_t>(record, f[0]), f[1]) << "byte " << f[0];
  HeelpostBuilder::FreeApplStructure(node);

  // Committed, then edited so that every value, flag and attribute changes.
  struct Values {
    int type;
    double values[21];
    double percentage;
    int ints[11];  // type, use percent, floor, then create and relief of walls A to D
    const char* titles[4];
    int numbers[4];
  };
  const Values made = {0, {1, 7, 3, 300, 150, 100, 20, 18, 12, 9, 11, 13, 15, 5, 17, 6, 19, 4, 21, 2, 23}, 31,
                       {0, 0, 1, 1, 0, 0, 1, 1, 0, 1, 0}, {"PAD", "RELIEF", "HOLE", "DIAMETER"}, {11, 12, 13, 14}};
  const Values edited = {2, {2, 8, 4, 310, 160, 110, 22, 19, 14, 10, 12, 14, 16, 6, 18, 7, 20, 5, 22, 3, 24}, 33,
                         {2, 1, 0, 0, 1, 1, 0, 0, 1, 0, 1}, {"PAD2", "RELIEF2", "HOLE2", "DIAMETER2"}, {21, 22, 23, 24}};
  auto expressions = [](const HeelpostBuilder* h) {
    return std::vector<EXP_expression*>{
        h->GetLocationOffset(), h->GetBaseOffset(),     h->GetPadOffset(),    h->GetLength(),
        h->GetWidth(),          h->GetHeight(),         h->GetPadThickness(), h->GetFloorThickness(),
        h->GetDiameter(),       h->GetXOffset(),        h->GetYOffset(),      h->GetReliefWidth(),
        h->GetReliefDepth(),    h->GetWallAThickness(), h->GetWallAOffset(),  h->GetWallBThickness(),
        h->GetWallBOffset(),    h->GetWallCThickness(), h->GetWallCOffset(),  h->GetWallDThickness(),
        h->GetWallDOffset()};
  };
  auto attributes = [](const HeelpostBuilder* h) {
    return std::vector<DieDes::DieAttributesBuilder*>{h->GetPadAttributes(), h->GetReliefAttributes(),
                                                      h->GetHoleAttributes(), h->GetHoleDiameterAttributes()};
  };
  auto check = [&](FEATURE_RECORD* frec, const Values& v) {
    auto* parms = dynamic_cast<DieDes::Heelpost*>(FREC_ask_parms_of_frec(frec));
    ASSERT_NE(parms, nullptr);
    ExpectEntityValues(parms, 5, v.values, 21, "position");
    const EXP_expression* percentage = parms->AskEntityExpression(6, 0);
    EXPECT_EQ(percentage == nullptr ? -1.0 : EXP_ask_value_of_exp(percentage), v.percentage);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(parms->AskEntityInt(8, i), v.ints[i]) << "integer " << i;
    ASSERT_EQ(parms->AskAttributeRecordCount(), 4);
    DieAttributesRecord records[4];
    ASSERT_EQ(ReadAttributeRecords(parms, records, 4), 0);
    ExpectTitlesAndNumbers(records, v.titles, v.numbers, 4);

    HeelpostBuilder* back = HeelpostBuilderFactory::Create(modelPart(), frec);
    const std::vector<EXP_expression*> read = expressions(back);
    for (int i = 0; i < 21; ++i) EXPECT_EQ(EXP_ask_value_of_exp(read[i]), v.values[i]) << "expression " << i;
    EXPECT_EQ(EXP_ask_value_of_exp(back->GetWallPercentage()), v.percentage);
    EXPECT_EQ(static_cast<int>(back->GetType()), v.ints[0]);
    const bool flags[10] = {back->GetUsePercent(),  back->GetCreateFloor(), back->GetWallACreate(), back->GetWallARelief(),
                            back->GetWallBCreate(), back->GetWallBRelief(), back->GetWallCCreate(), back->GetWallCRelief(),
                            back->GetWallDCreate(), back->GetWallDRelief()};
    for (int i = 0; i < 10; ++i) EXPECT_EQ(flags[i], v.ints[i + 1] == 1) << "flag " << i;
    const std::vector<DieDes::DieAttributesBuilder*> faces = attributes(back);
    for (int i = 0; i < 4; ++i) {
      EXPECT_STREQ(faces[i]->GetFirstText(), v.titles[i]);
      EXPECT_EQ(faces[i]->GetIntegerValue(), v.numbers[i]);
    }
    back->destroy();
  };
  const std::vector<DieDes::DieAttributesBuilder*> faces = attributes(b);
  for (int i = 0; i < 4; ++i) {
    faces[i]->SetFirstText(made.titles[i]);
    faces[i]->SetIntegerValue(made.numbers[i]);
  }
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  {
    SCOPED_TRACE("made");
    check(frec, made);
  }

  HeelpostBuilder* edit = HeelpostBuilderFactory::Create(modelPart(), frec);
  edit->SetType(static_cast<DieDesJA::JA_HEELPOST_BUILDER_types>(edited.ints[0]));
  const std::vector<EXP_expression*> fields = expressions(edit);
  for (int i = 0; i < 21; ++i) Set(fields[i], std::to_string(edited.values[i]).c_str());
  Set(edit->GetWallPercentage(), "33");
  edit->SetUsePercent(true);
  edit->SetCreateFloor(false);
  edit->SetWallACreate(false);
  edit->SetWallARelief(true);
  edit->SetWallBCreate(true);
  edit->SetWallBRelief(false);
  edit->SetWallCCreate(false);
  edit->SetWallCRelief(true);
  edit->SetWallDCreate(false);
  edit->SetWallDRelief(true);
  const std::vector<DieDes::DieAttributesBuilder*> editFaces = attributes(edit);
  for (int i = 0; i < 4; ++i) {
    editFaces[i]->SetFirstText(edited.titles[i]);
    editFaces[i]->SetIntegerValue(edited.numbers[i]);
  }
  ASSERT_EQ(edit->commit_feature(&frec), 0);
  edit->destroy();
  {
    SCOPED_TRACE("edited");
    check(frec, edited);
  }
}

TEST_F(Heelpost, TheFloorAndTheHoleAreSentOnlyWhenMade) {
  struct Row {
    const char* name;
    bool createFloor;
    bool targetFloor;
    int type;
    double floor, diameter;
  };
  const Row rows[] = {
      {"floor from the target", true, true, 0, 22.0, 12.0},
      {"floor from the builder", true, false, 0, 18.0, 12.0},
      {"no floor", false, true, 0, 0.0, 12.0},
      {"a storage block has no hole", true, false, 1, 18.0, 0.0},
  };
  for (const Row& row : rows) {
    HeelpostBuilder* b = OnBase();
    Set(b->GetFloorThickness(), "18");
    Set(b->GetDiameter(), "12");
    b->SetCreateFloor(row.createFloor);
    b->SetType(static_cast<DieDesJA::JA_HEELPOST_BUILDER_types>(row.type));
    if (row.targetFloor) b->GetTargetData()->SetThickness(true, 22.0);
    DIEDES_NODE_s* node = b->CreateApplStructure(0, 0, 0, 0);
    EXPECT_EQ(At<double>(ChildRecord(node), 96), row.floor) << row.name;
    EXPECT_EQ(At<double>(ChildRecord(node), 104), row.diameter) << row.name;
    EXPECT_EQ(At<std::int32_t>(ChildRecord(node), 40), row.type == 0 ? 1 : 0) << row.name;
    HeelpostBuilder::FreeApplStructure(node);
    b->destroy();
  }
}

TEST_F(Heelpost, CommittedAndOpenedAgainItHoldsItsItemsAndAttributes) {
  HeelpostBuilder* b = OnBase();
  b->SetType(DieDesJA::JA_HEELPOST_BUILDER_types_SafetyBlock);
  b->SetWallDRelief(true);
  b->SetCreateFloor(true);
  b->GetHoleDiameterAttributes()->SetFirstText("HOLE");
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  auto* parms = dynamic_cast<DieDes::Heelpost*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetEntity(5)->AskCount(), 21);
  // The feature keeps the builder's length; the builder goes on with a copy.
  ASSERT_NE(parms->AskEntityExpression(5, 3), nullptr);
  EXPECT_NE(parms->AskEntityExpression(5, 3), b->GetLength());
  EXPECT_STREQ(parms->AskEntityExpression(5, 3)->ask_text(), b->GetLength()->ask_text());
  EXPECT_EQ(parms->GetEntity(8)->AskCount(), 11);
  EXPECT_EQ(parms->AskEntityInt(8, 0), 2);
  EXPECT_EQ(parms->AskEntityInt(8, 2), 1);   // create floor
  EXPECT_EQ(parms->AskEntityInt(8, 3), 1);   // wall A
  EXPECT_EQ(parms->AskEntityInt(8, 10), 1);  // wall D relief
  EXPECT_EQ(parms->GetEntity(7)->AskCount(), 0);
  EXPECT_EQ(parms->AskAttributeRecordCount(), 4);
  b->destroy();

  HeelpostBuilder* edit = HeelpostBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_HEELPOST_BUILDER_types_SafetyBlock);
  EXPECT_TRUE(edit->GetWallACreate());
  EXPECT_FALSE(edit->GetWallARelief());
  EXPECT_TRUE(edit->GetWallDRelief());
  EXPECT_TRUE(edit->GetCreateFloor());
  EXPECT_EQ(EXP_ask_value_of_exp(edit->GetLength()), 300.0);
  EXPECT_EQ(EXP_ask_value_of_exp(edit->GetWallPercentage()), 30.0);
  EXPECT_STREQ(edit->GetHoleDiameterAttributes()->GetFirstText(), "HOLE");
  EXPECT_EQ(edit->GetCenter()->GetInputType(), DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem);
  ASSERT_EQ(edit->commit_feature(&frec), 0);
  edit->destroy();
  HeelpostBuilder* other = HeelpostBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(RaisedCode([&] { other->ConvertBuilderDataToFrec(nullptr); }), 670156);
  other->destroy();
}

TEST_F(Heelpost, APreviewUnitesAndSubtractsUnderItsMark) {
  HeelpostBuilder* b = OnBase();
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  b->SetWallBRelief(true);
  b->GetTargetData()->SetSetting(true, 81000);
  Host::ClearCalls();
  const int bodiesBefore = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(LiveBodies(), bodiesBefore + 1);
  ExpectMark("Heelpost create bodies", false);
  const ToolBodyCall& call = LastHeelpostToolCall();
  EXPECT_EQ(call.codes, (std::vector<int>{7010000, 7020000, 7030000, 7040000}));
  ASSERT_EQ(call.toolData.size(), 184u);
  EXPECT_EQ(At<double>(call.toolData.data(), 16), -1.0);   // the negated normal
  EXPECT_EQ(At<double>(call.toolData.data(), 64), 10.0);   // the base origin
  EXPECT_EQ(At<double>(call.toolData.data(), 88), 110.0);  // the pad point, height 100 over the base
  EXPECT_EQ(At<std::int32_t>(call.toolData.data(), 160), 81000);
  EXPECT_EQ(At<std::int32_t>(call.toolData.data(), 168), 1);  // wall B relief
  EXPECT_EQ(At<std::int32_t>(call.toolData.data(), 180), 1);
  ASSERT_EQ(call.childSecond.size(), 1u);
  EXPECT_NE(At<std::int32_t>(call.childSecond[0].data(), 0), 0);  // the centre
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_boolean_bodies").size(), 1u);
  EXPECT_TRUE(Has(ArgsOf("DIEDES_UTILS_boolean_bodies")[0], "operation=15903"));
  ASSERT_EQ(ArgsOf("DIEDES_UTILS_boolean_bodies2").size(), 1u);
  EXPECT_TRUE(Has(ArgsOf("DIEDES_UTILS_boolean_bodies2")[0], "text=\"Heelpost: Performing boolean operation\""));
  // What the preview made for itself (the coordinate system, the centre and
  // the pad plane) is asleep and logged for deletion on success too.
  const std::vector<std::string> deleted = ArgsOf("UPDATE_log_entity_to_delete");
  EXPECT_EQ(deleted.size(), 3u);
  for (const std::string& d : deleted) {
    SCOPED_TRACE(d);
    const auto* entity = dynamic_cast<const GEOM_entity*>(OM::OM_object_of_tag(std::stoul(d.substr(4))));
    EXPECT_TRUE(entity != nullptr && entity->ask_sleeping());
  }
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
}

TEST_F(Heelpost, APreviewThatCannotPlaceThePostUndoesItself) {
  // No pad plane and a height of 0; or no base plane at all (nothing selected,
  // no orientation in the target data), found before the pad plane is made.
  struct Row {
    const char* name;
    bool base;
    const char* height;
    int status;
    std::size_t deleted;  // coordinate system, centre, pad plane: asleep and logged for deletion
    std::size_t planes;
  };
  for (const Row& row : {Row{"height 0", true, "0", 3030473, 3, 1}, Row{"no base", false, "100", 3030391, 2, 0}}) {
    SCOPED_TRACE(row.name);
    HeelpostBuilder* b = OnBase();
    if (!row.base) b->GetBaseOrientation()->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_Selection);
    Set(b->GetHeight(), row.height);
    b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
    Host::ClearCalls();
    ExpectPreviewHandsOverNothing(b, row.status);
    ExpectMark("Heelpost create bodies", true);
    EXPECT_TRUE(ArgsOf("DIEDES_HLPST_parent_create_tool_body").empty());
    EXPECT_EQ(ArgsOf("UPDATE_log_entity_to_delete").size(), row.deleted);
    EXPECT_EQ(ArgsOf("ES_create_plane").size(), row.planes);
    for (const std::string& args : ArgsOf("RM_set_sleep_state")) EXPECT_TRUE(Has(args, " 1")) << args;
    b->destroy();
  }
}

// ---- as an object-manager class -----------------------------------------------------

class HeelpostClass : public stamvik_test::GenericBodyBuilderClasses {};

TEST_F(HeelpostClass, HeelpostRegistrationMatchesTheClassTable) {
  ExpectClass(HeelpostBuilderClassId, "KTX::DieDesJA::HeelpostBuilder", 47,
              {{0, "m_target", kSelection, 0x1A04001, "KTX::SELECT_OBJECT"},
               {1, "m_center", kSelection, 0x1A04001, "KTX::DieDesJA::DieLocationBuilder"},
               {2, "m_offsetDirection", kSelection, 0x1A04001, "KTX::DieDes::DieDirectionBuilder"},
               {6, "m_padOrientation", kSelection, 0x1A04001, "KTX::DieDes::DiePlaneBuilder"},
               {13, "m_createFloor", kLogicalType, 0x1, nullptr},
               {21, "m_wallPercentage", kSelection, 0x1A04001, "KTX::EXP_expression"},
               {25, "m_wallARelief", kLogicalType, 0x1, nullptr},
               {36, "m_wallDOffset", kSelection, 0x1A04001, "KTX::EXP_expression"},
               {42, "m_holeDiameterAttributes", kSelection, 0x1A04001, "KTX::DieDes::DieAttributesBuilder"},
               {44, "m_angleTolerance", kDoubleType, 0x1, nullptr},
               {45, "m_type", kIntegerType, 0x1, nullptr},
               {46, "m_targetData", kSelection, 0x1A04001, "KTX::DieDes::HeelpostTarget"}});
  EXPECT_EQ(References(HeelpostBuilderClassId, 0x1A04001), std::make_pair(33, 33));
}

TEST_F(HeelpostClass, HeelpostFlagsAreSeparateFieldsEachLoggedOnce) {
  struct Flag {
    bool (HeelpostBuilder::*get)() const;
    void (HeelpostBuilder::*set)(bool);
  };
  const Flag flags[] = {
      {&HeelpostBuilder::GetCreateFloor, &HeelpostBuilder::SetCreateFloor},
      {&HeelpostBuilder::GetUsePercent, &HeelpostBuilder::SetUsePercent},
      {&HeelpostBuilder::GetWallACreate, &HeelpostBuilder::SetWallACreate},
      {&HeelpostBuilder::GetWallARelief, &HeelpostBuilder::SetWallARelief},
      {&HeelpostBuilder::GetWallBCreate, &HeelpostBuilder::SetWallBCreate},
      {&HeelpostBuilder::GetWallBRelief, &HeelpostBuilder::SetWallBRelief},
      {&HeelpostBuilder::GetWallCCreate, &HeelpostBuilder::SetWallCCreate},
      {&HeelpostBuilder::GetWallCRelief, &HeelpostBuilder::SetWallCRelief},
      {&HeelpostBuilder::GetWallDCreate, &HeelpostBuilder::SetWallDCreate},
      {&HeelpostBuilder::GetWallDRelief, &HeelpostBuilder::SetWallDRelief},
      {&HeelpostBuilder::GetDisplayOptionalSelections, &HeelpostBuilder::SetDisplayOptionalSelections},
  };
  HeelpostBuilder* heelpost = HeelpostBuilderFactory::Create(modelPart(), nullptr);
  for (std::size_t i = 0; i < std::size(flags); ++i) {
    SCOPED_TRACE(i);
    Host::ClearCalls();
    const Flag& flag = flags[i];
    (heelpost->*flag.set)(true);
    EXPECT_EQ(LogCalls(), 1);
    for (std::size_t j = 0; j < std::size(flags); ++j) {
      const Flag& other = flags[j];
      EXPECT_EQ((heelpost->*other.get)(), i == j) << j;
    }
    (heelpost->*flag.set)(false);
  }

  Host::ClearCalls();
  heelpost->SetType(JA_HEELPOST_BUILDER_types_SafetyBlock);
  heelpost->SetDistanceTolerance(0.01);
  heelpost->SetAngleTolerance(0.5);
  EXPECT_EQ(LogCalls(), 3);
  EXPECT_EQ(heelpost->GetType(), JA_HEELPOST_BUILDER_types_SafetyBlock);
  EXPECT_EQ(heelpost->GetDistanceTolerance(), 0.01);
  EXPECT_EQ(heelpost->GetAngleTolerance(), 0.5);

  // An object that need not be logged is written without a log call.
  Host::ClearCalls();
  heelpost->OmSetState(OM::Object::kStateNoLog);
  heelpost->SetWallCCreate(true);
  heelpost->SetType(JA_HEELPOST_BUILDER_types_StorageBlock);
  EXPECT_EQ(LogCalls(), 0);
  EXPECT_TRUE(heelpost->GetWallCCreate());
  EXPECT_EQ(heelpost->GetType(), JA_HEELPOST_BUILDER_types_StorageBlock);
  heelpost->destroy();
}

// ---- as a scripting class -------------------------------------------------------------

class HeelpostSetUp : public stamvik_test::ScriptingClassSetUp {};
class HeelpostScripting : public stamvik_test::DieToolBuilders {};
class HeelpostDefaults : public stamvik_test::DieToolBuilderDefaults {};
class HeelpostPrint : public stamvik_test::DieToolBuilderPrint {};
class HeelpostOwners : public stamvik_test::DieToolBuilderOwners {};

TEST_F(HeelpostSetUp, HeelpostLooksUpItsCoordinateSystemTemplateFirst) {
  std::vector<std::string> deps = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DieLocationBuilder",
                                   "Die.DiePlaneBuilder", "Expression", "SelectObject"};
  std::vector<std::string> calls = SetUpClass("Die.HeelpostBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> accessors = {
      "BaseOffset",     "BaseOrientation", "Center",         "Diameter",       "DieCenterlineCoordinateSystem",
      "FloorThickness", "Height",          "HoleAttributes", "HoleDiameterAttributes",
      "Length",         "LocationOffset",  "OffsetDirection", "PadAttributes", "PadOffset",
      "PadOrientation", "PadThickness",    "ReliefAttributes", "ReliefDepth",  "ReliefWidth",
      "Target",         "WallAOffset",     "WallAThickness", "WallBOffset",    "WallBThickness",
      "WallCOffset",    "WallCThickness",  "WallDOffset",    "WallDThickness", "WallPercentage",
      "Width",          "XOffset",         "YOffset"};
  ASSERT_EQ(accessors.size(), 32u);
  for (std::string& a : accessors) a += " 0 1";
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.HeelpostBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ", {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                               "Die.DieLocationBuilder", "Die.DiePlaneBuilder", "Expression",
                                               "Features.FeatureBuilder"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectCoordinateSystem SelectObject CoordinateSystem",
          "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
          "JAM_lookup_or_create_enum Die.HeelpostBuilder.Types 4",
          "JAM_add_enum_member Die.HeelpostBuilder.Types GuidepostWearplate 0",
          "JAM_add_enum_member Die.HeelpostBuilder.Types StorageBlock 1",
          "JAM_add_enum_member Die.HeelpostBuilder.Types SafetyBlock 2",
          "JAM_create_class Die.HeelpostBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.HeelpostBuilder",
          "JAM_register_initialisation_function Die.HeelpostBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.HeelpostBuilder ", accessors);
  EXPECT_EQ(calls, expected);
}

// Each scripting member reaches the heel post's own field: twenty-two
// different expressions, and each of ten flags set alone through its member
// reads true in its own field and through its own member only.
TEST_F(HeelpostScripting, EachHeelpostMemberReachesItsOwnField) {
  const stamvik_test::MemberRow<HeelpostBuilder, EXP_expression*> expressions[] = {
      {"LocationOffset", XJA_HEELPOST_BUILDER_get_LocationOffset, &HeelpostBuilder::GetLocationOffset},
      {"BaseOffset", XJA_HEELPOST_BUILDER_get_BaseOffset, &HeelpostBuilder::GetBaseOffset},
      {"PadOffset", XJA_HEELPOST_BUILDER_get_PadOffset, &HeelpostBuilder::GetPadOffset},
      {"Length", XJA_HEELPOST_BUILDER_get_Length, &HeelpostBuilder::GetLength},
      {"Width", XJA_HEELPOST_BUILDER_get_Width, &HeelpostBuilder::GetWidth},
      {"Height", XJA_HEELPOST_BUILDER_get_Height, &HeelpostBuilder::GetHeight},
      {"PadThickness", XJA_HEELPOST_BUILDER_get_PadThickness, &HeelpostBuilder::GetPadThickness},
      {"FloorThickness", XJA_HEELPOST_BUILDER_get_FloorThickness, &HeelpostBuilder::GetFloorThickness},
      {"Diameter", XJA_HEELPOST_BUILDER_get_Diameter, &HeelpostBuilder::GetDiameter},
      {"XOffset", XJA_HEELPOST_BUILDER_get_XOffset, &HeelpostBuilder::GetXOffset},
      {"YOffset", XJA_HEELPOST_BUILDER_get_YOffset, &HeelpostBuilder::GetYOffset},
      {"ReliefWidth", XJA_HEELPOST_BUILDER_get_ReliefWidth, &HeelpostBuilder::GetReliefWidth},
      {"ReliefDepth", XJA_HEELPOST_BUILDER_get_ReliefDepth, &HeelpostBuilder::GetReliefDepth},
      {"WallPercentage", XJA_HEELPOST_BUILDER_get_WallPercentage, &HeelpostBuilder::GetWallPercentage},
      {"WallAThickness", XJA_HEELPOST_BUILDER_get_WallAThickness, &HeelpostBuilder::GetWallAThickness},
      {"WallAOffset", XJA_HEELPOST_BUILDER_get_WallAOffset, &HeelpostBuilder::GetWallAOffset},
      {"WallBThickness", XJA_HEELPOST_BUILDER_get_WallBThickness, &HeelpostBuilder::GetWallBThickness},
      {"WallBOffset", XJA_HEELPOST_BUILDER_get_WallBOffset, &HeelpostBuilder::GetWallBOffset},
      {"WallCThickness", XJA_HEELPOST_BUILDER_get_WallCThickness, &HeelpostBuilder::GetWallCThickness},
      {"WallCOffset", XJA_HEELPOST_BUILDER_get_WallCOffset, &HeelpostBuilder::GetWallCOffset},
      {"WallDThickness", XJA_HEELPOST_BUILDER_get_WallDThickness, &HeelpostBuilder::GetWallDThickness},
      {"WallDOffset", XJA_HEELPOST_BUILDER_get_WallDOffset, &HeelpostBuilder::GetWallDOffset}};
  stamvik_test::ExpectMembersReachTheirFields(heel_, expressions);
  const stamvik_test::SettableMemberRow<HeelpostBuilder, bool> flags[] = {
      {"UsePercent", XJA_HEELPOST_BUILDER_get_UsePercent, XJA_HEELPOST_BUILDER_set_UsePercent, &HeelpostBuilder::GetUsePercent},
      {"CreateFloor", XJA_HEELPOST_BUILDER_get_CreateFloor, XJA_HEELPOST_BUILDER_set_CreateFloor, &HeelpostBuilder::GetCreateFloor},
      {"WallACreate", XJA_HEELPOST_BUILDER_get_WallACreate, XJA_HEELPOST_BUILDER_set_WallACreate, &HeelpostBuilder::GetWallACreate},
      {"WallARelief", XJA_HEELPOST_BUILDER_get_WallARelief, XJA_HEELPOST_BUILDER_set_WallARelief, &HeelpostBuilder::GetWallARelief},
      {"WallBCreate", XJA_HEELPOST_BUILDER_get_WallBCreate, XJA_HEELPOST_BUILDER_set_WallBCreate, &HeelpostBuilder::GetWallBCreate},
      {"WallBRelief", XJA_HEELPOST_BUILDER_get_WallBRelief, XJA_HEELPOST_BUILDER_set_WallBRelief, &HeelpostBuilder::GetWallBRelief},
      {"WallCCreate", XJA_HEELPOST_BUILDER_get_WallCCreate, XJA_HEELPOST_BUILDER_set_WallCCreate, &HeelpostBuilder::GetWallCCreate},
      {"WallCRelief", XJA_HEELPOST_BUILDER_get_WallCRelief, XJA_HEELPOST_BUILDER_set_WallCRelief, &HeelpostBuilder::GetWallCRelief},
      {"WallDCreate", XJA_HEELPOST_BUILDER_get_WallDCreate, XJA_HEELPOST_BUILDER_set_WallDCreate, &HeelpostBuilder::GetWallDCreate},
      {"WallDRelief", XJA_HEELPOST_BUILDER_get_WallDRelief, XJA_HEELPOST_BUILDER_set_WallDRelief, &HeelpostBuilder::GetWallDRelief}};
  stamvik_test::ExpectEachFlagAlone(heel_, flags);
}

TEST_F(HeelpostScripting, HeelpostTypeExportsInLowerCaseButJournalsTheMemberType) {
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_type(heel_, 2), 0);
  EXPECT_EQ(heel_->GetType(), DieDesJA::JA_HEELPOST_BUILDER_types_SafetyBlock);
  std::vector<std::string> expected = {
      "JAM_start_property_call Die.HeelpostBuilder 2 Type",
      "JAM_this_ptr " + TagOf(heel_),
      "JAM_in_enum type=Die.HeelpostBuilder.Types:2",
      "JAM_end_of_arguments",
      "OM__log tag=" + TagOf(heel_),
      "JAM_end_call 0",
  };
  EXPECT_EQ(JamCalls(), expected);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& set = JAM::Recorded()[0];
  EXPECT_EQ(set.member, "Type");
  EXPECT_EQ(set.methodType, 2);
  ASSERT_EQ(set.values.size(), 1u);
  EXPECT_EQ(set.values[0].name, "type");
  EXPECT_EQ(set.values[0].type, "Die.HeelpostBuilder.Types");

  int type = -1;
  ASSERT_EQ(XJA_HEELPOST_BUILDER_get_type(heel_, &type), 0);
  EXPECT_EQ(type, 2);
  const JAM::Record& get = JAM::Recorded().at(1);
  EXPECT_EQ(get.member, "Type");
  EXPECT_EQ(get.methodType, 1);
  EXPECT_EQ(get.values.at(0).name, "type");
  EXPECT_EQ(get.values.at(0).integer, 2);
}

struct Walls {
  bool relief[4];
  bool create[4];
};
Walls WallsOf(const HeelpostBuilder* h) {
  return {{h->GetWallARelief(), h->GetWallBRelief(), h->GetWallCRelief(), h->GetWallDRelief()},
          {h->GetWallACreate(), h->GetWallBCreate(), h->GetWallCCreate(), h->GetWallDCreate()}};
}
std::vector<bool> Reliefs(const HeelpostBuilder* h) {
  Walls w = WallsOf(h);
  return {w.relief[0], w.relief[1], w.relief[2], w.relief[3]};
}

TEST_F(HeelpostScripting, SwitchingAWallReliefOnLeavesItTheOnlyOneAndTouchesNoCreateFlag) {
  heel_->SetWallACreate(true);
  heel_->SetWallBCreate(false);
  heel_->SetWallCCreate(true);
  heel_->SetWallDCreate(false);
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallARelief(heel_, true), 0);
  heel_->SetWallBRelief(true);  // set directly, outside the scripting rule
  heel_->SetWallDRelief(true);
  JAM::ClearJournal();

  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallCRelief(heel_, true), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, true, false}));
  Walls w = WallsOf(heel_);
  EXPECT_EQ(std::vector<bool>(w.create, w.create + 4), (std::vector<bool>{true, false, true, false}));
  // One record: the other walls' writes are the body's own, not journalled calls.
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "WallCRelief");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "wallcrelief");
  bool c = false;
  ASSERT_EQ(XJA_HEELPOST_BUILDER_get_WallCRelief(heel_, &c), 0);
  EXPECT_TRUE(c);
}

TEST_F(HeelpostScripting, SwitchingAWallReliefOffNeverSwitchesAnotherOn) {
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallARelief(heel_, true), 0);
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallBRelief(heel_, false), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{true, false, false, false}));
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallARelief(heel_, false), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, false, false}));
}

TEST_F(HeelpostScripting, EachWallsSetterClearsTheOtherThree) {
  using Setter = int (*)(HeelpostBuilder*, bool);
  const Setter setters[] = {&XJA_HEELPOST_BUILDER_set_WallARelief, &XJA_HEELPOST_BUILDER_set_WallBRelief,
                            &XJA_HEELPOST_BUILDER_set_WallCRelief, &XJA_HEELPOST_BUILDER_set_WallDRelief};
  for (int wall = 0; wall < 4; ++wall) {
    SCOPED_TRACE(wall);
    heel_->SetWallARelief(true);
    heel_->SetWallBRelief(true);
    heel_->SetWallCRelief(true);
    heel_->SetWallDRelief(true);
    EXPECT_EQ(setters[wall](heel_, true), 0);
    std::vector<bool> only(4, false);
    only[static_cast<std::size_t>(wall)] = true;
    EXPECT_EQ(Reliefs(heel_), only) << wall;
  }
  // From all off, switching one on changes only that one.
  heel_->SetWallARelief(false);
  heel_->SetWallBRelief(false);
  heel_->SetWallCRelief(false);
  heel_->SetWallDRelief(false);
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_WallBRelief(heel_, true), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, true, false, false}));
}

TEST_F(HeelpostScripting, AnExclusiveReliefIsUndoneAsOneChange) {
  heel_->SetWallARelief(true);
  int error = 0;
  int mark = UNDO_QD_set_mark(1, "walls", &error);
  ASSERT_EQ(error, 0);
  Host::ClearCalls();
  auto* journalled = static_cast<Die_HeelpostBuilder_Interface*>(
      JAM::ClassInitializer::GetJournalledInterface("Die.HeelpostBuilder"));
  ASSERT_NE(journalled, nullptr);
  ASSERT_EQ(journalled->SetWallDRelief(heel_, true), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, false, true}));
  // Logged before the first write; the later writes find it logged.
  EXPECT_EQ(Host::CountCalls("OM__log"), 1u);
  UNDO_QD_undo_to_mark(mark, "walls");
  UNDO_QD_delete_mark(mark, "walls");
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{true, false, false, false}));
}

const std::vector<std::string> kHeelpostPaths = {
    "AngleTolerance",       "BaseOffset.Value",     "CreateFloor",          "Diameter.Value",
    "DistanceTolerance",    "FloorThickness.Value", "Height.Value",         "Length.Value",
    "LocationOffset.Value", "PadOffset.Value",      "PadThickness.Value",   "ReliefDepth.Value",
    "ReliefWidth.Value",    "UsePercent",           "WallACreate",          "WallAOffset.Value",
    "WallARelief",          "WallAThickness.Value", "WallBCreate",          "WallBOffset.Value",
    "WallBRelief",          "WallBThickness.Value", "WallCCreate",          "WallCOffset.Value",
    "WallCRelief",          "WallCThickness.Value", "WallDCreate",          "WallDOffset.Value",
    "WallDRelief",          "WallDThickness.Value", "WallPercentage.Value", "Width.Value",
    "XOffset.Value",        "YOffset.Value"};

std::vector<std::string> Rows(const std::vector<std::string>& paths, const std::vector<std::string>& texts) {
  std::vector<std::string> rows;
  for (std::size_t i = 0; i < paths.size() && i < texts.size(); ++i) rows.push_back(paths[i] + "=" + texts[i]);
  return rows;
}

TEST_F(HeelpostDefaults, HeelpostMillimetreSet) {
  std::vector<std::string> texts = {"0.5", "0", "0",  "50", "0.0254", "60", "300", "150", "0",  "0", "60", "5",
                                    "5",   "0", "1",  "0",  "0",      "30", "1",   "0",   "0",  "30", "1", "0",
                                    "0",   "30", "1", "0",  "0",      "30", "40",  "150", "0",  "0"};
  ASSERT_EQ(texts.size(), 34u);
  EXPECT_EQ(Apply("Die.HeelpostBuilder", heel_), Paused(Rows(kHeelpostPaths, texts)));
}

TEST_F(HeelpostDefaults, HeelpostInchSetKeepsItsTextsAndTheMillimetreTolerances) {
  part()->SetUnitCode(1);
  std::vector<std::string> texts = {"0.5", "0", "0",   "2", "0.0254", "1.4", "12", "6", "0",   "0",  "10.4", "0.2",
                                    "0.2", "0", "1",   "0", "0",      "1.2", "1",  "0", "0",   "1.2", "1",   "0",
                                    "0",   "1.2", "1", "0", "0",      "1.2", "40", "6", "0",   "0"};
  ASSERT_EQ(texts.size(), 34u);
  std::vector<std::string> written = Apply("Die.HeelpostBuilder", heel_);
  EXPECT_EQ(written, Paused(Rows(kHeelpostPaths, texts)));
  EXPECT_EQ(written.at(0), "AngleTolerance=0.5 (paused)");
  EXPECT_EQ(written.at(4), "DistanceTolerance=0.0254 (paused)");
  EXPECT_EQ(written.at(31), "Width.Value=6 (paused)");
  EXPECT_EQ(written.at(6), "Height.Value=12 (paused)");
}

TEST_F(HeelpostDefaults, NotAskedAndNotNeededSetsNothingButVisits) {
  Host::SetAnswer("needs_defaults", 0);
  EXPECT_TRUE(Apply("Die.HeelpostBuilder", heel_, false).empty());
  std::vector<std::string> calls = JamCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "JournalPauser pause"), 0);
  EXPECT_EQ(std::count(calls.begin(), calls.end(),
                       "JAM_traverse_builder_objects Die.HeelpostBuilder " + TagOf(heel_) + " 0"),
            1);
  EXPECT_FALSE(heel_->DefaultsInProgress());
}

TEST_F(HeelpostPrint, HeelpostPrintsItsGettersInSlotOrder) {
  std::vector<std::string> printed = Printed("Die.HeelpostBuilder", heel_);
  std::vector<std::string> getters;
  for (const std::string& p : printed) {
    std::size_t at = p.find(" Get");
    if (p.rfind("tag", 0) != 0 && at != std::string::npos) getters.push_back(p.substr(at + 1, p.find(' ', at + 1) - at - 1));
  }
  std::vector<std::string> expected = {
      "GetLocationOffset", "GetBaseOffset", "GetPadOffset", "GetLength", "GetWidth", "GetHeight",
      "GetPadThickness", "GetCreateFloor", "GetFloorThickness", "GetDiameter", "GetXOffset", "GetYOffset",
      "GetReliefWidth", "GetReliefDepth", "GetUsePercent", "GetWallPercentage",
      "GetWallACreate", "GetWallAThickness", "GetWallAOffset", "GetWallARelief",
      "GetWallBCreate", "GetWallBThickness", "GetWallBOffset", "GetWallBRelief",
      "GetWallCCreate", "GetWallCThickness", "GetWallCOffset", "GetWallCRelief",
      "GetWallDCreate", "GetWallDThickness", "GetWallDOffset", "GetWallDRelief",
      "GetDistanceTolerance", "GetAngleTolerance", "GetType"};
  EXPECT_EQ(getters, expected);
  EXPECT_NE(std::find(printed.begin(), printed.end(), Expressions({{"WallAThickness", heel_->GetWallAThickness()}})[1]),
            printed.end());
  EXPECT_NE(std::find(printed.begin(), printed.end(),
                      "logical_prop GetWallDRelief wallDRelief=" + std::to_string(heel_->GetWallDRelief() ? 1 : 0)),
            printed.end());
  ASSERT_GE(printed.size(), 5u);
  EXPECT_EQ(printed[printed.size() - 5].rfind("enum_prop GetType type Types=", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(printed.end() - 4, printed.end()), Tail(heel_, "Die.HeelpostBuilder"));
}

TEST_F(HeelpostOwners, HeelpostReliefNamesByTheRuleAndOneThatIsNot) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  OwnerRecorder& parent = RecordParent();
  for (bool relief : {true, false}) {
    heel_->SetWallARelief(relief);
    for (const char* name : {"wall_a_relief", "WallARelief", "WALLARELIEF", "wallarelief", "WALL_A_RELIEF"}) {
      ValuePtr value(owner->GetProperty(heel_, name));
      ASSERT_NE(value, nullptr) << name;
      ASSERT_EQ(value->GetType(), Property::ValueType::kLogical) << name;
      EXPECT_EQ(value->GetLogical(), relief) << name;
    }
  }
  EXPECT_TRUE(parent.requests.empty());
  for (const char* name : {"walla_relief", "wall_arelief", "wall a relief"}) {
    ValuePtr value(owner->GetProperty(heel_, name));
    EXPECT_EQ(value, nullptr) << name;
  }
  EXPECT_EQ(parent.requests, (std::vector<std::string>{"GetProperty walla_relief", "GetProperty wall_arelief",
                                                       "GetProperty wall a relief"}));
  ValuePtr x(owner->GetProperty(heel_, "x_offset"));
  EXPECT_EQ(ClassOf(x.get()), "Expression");
  ValuePtr system(owner->GetProperty(heel_, "die_centerline_coordinate_system"));
  EXPECT_EQ(ClassOf(system.get()), "SelectCoordinateSystem");
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(HeelpostOwners, HeelpostListsItsFortyFivePropertiesBeforeTheParents) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  Property::List list;
  owner->GetProperties(heel_, list);
  ASSERT_GT(list.GetCount(), 45);
  std::vector<std::string> names = Names(list, 45);
  EXPECT_EQ(names.front(), "Target");
  EXPECT_EQ(names[8], "DieCenterlineCoordinateSystem");
  EXPECT_EQ(names[25], "WallARelief");
  EXPECT_EQ(names[44], "Type");
  EXPECT_STREQ(list.GetNameByIndex(45), "Editing");  // the first of "Features.FeatureBuilder"
  EXPECT_EQ(ClassOf(list.GetPropertyByIndex(1)), "Die.DieLocationBuilder");
  EXPECT_EQ(ClassOf(list.GetPropertyByIndex(41)), "Die.DieAttributesBuilder");
}

TEST_F(HeelpostOwners, HeelpostTypeReadsByNameAndAWriteIsTheJournalledSetType) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  heel_->SetType(DieDesJA::JA_HEELPOST_BUILDER_types_SafetyBlock);
  ValuePtr lower(owner->GetProperty(heel_, "type"));
  ValuePtr camel(owner->GetProperty(heel_, "Type"));
  EXPECT_EQ(MemberOf(lower.get()), "SafetyBlock");
  EXPECT_EQ(MemberOf(camel.get()), "SafetyBlock");
  EXPECT_EQ(camel->GetEnum(), 2);

  ValuePtr one(owner->GetProperty(heel_, "Type"));
  static_cast<Property::Enum&>(*one).SetValue(1);
  EXPECT_EQ(owner->SetProperty(heel_, "TYPE", one.get()), 0);
  EXPECT_EQ(heel_->GetType(), DieDesJA::JA_HEELPOST_BUILDER_types_StorageBlock);
  JAM::Journal viaOwner = JAM::Recorded();
  JAM::ClearJournal();
  ASSERT_EQ(XJA_HEELPOST_BUILDER_set_type(heel_, 1), 0);
  ASSERT_EQ(viaOwner.size(), 1u);
  EXPECT_EQ(viaOwner, JAM::Recorded());
  EXPECT_EQ(viaOwner[0].member, "Type");
  EXPECT_EQ(viaOwner[0].values.at(0).name, "type");
}

TEST_F(HeelpostOwners, HeelpostReliefWritesKeepOneReliefAndSubobjectWritesGoToTheParent) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  heel_->SetWallARelief(true);
  heel_->SetWallBRelief(true);
  heel_->SetWallDRelief(true);
  ValuePtr yes = Property::MakeLogical(true);
  ValuePtr no = Property::MakeLogical(false);
  EXPECT_EQ(owner->SetProperty(heel_, "wall_c_relief", yes.get()), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, true, false}));
  EXPECT_EQ(owner->SetProperty(heel_, "WallCRelief", no.get()), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, false, false, false}));
  heel_->SetWallBRelief(true);
  EXPECT_EQ(owner->SetProperty(heel_, "WallARelief", no.get()), 0);
  EXPECT_EQ(Reliefs(heel_), (std::vector<bool>{false, true, false, false}));
  ASSERT_EQ(JAM::Recorded().size(), 3u);
  EXPECT_EQ(JAM::Recorded()[0].member, "WallCRelief");

  OwnerRecorder& parent = RecordParent();
  for (const char* name : {"Length", "Center", "PadAttributes"})
    EXPECT_EQ(owner->SetProperty(heel_, name, yes.get()), Property::kUnknownProperty) << name;
  EXPECT_EQ(parent.requests, (std::vector<std::string>{"SetProperty Length", "SetProperty Center",
                                                       "SetProperty PadAttributes"}));
  EXPECT_EQ(JAM::Recorded().size(), 3u);
}

TEST_F(HeelpostOwners, HeelpostSetPropertiesWritesItsThirteenInOrder) {
  Property::Owner* owner = OwnerOf("Die.HeelpostBuilder");
  ASSERT_NE(owner, nullptr);
  Property::List list;
  owner->GetProperties(heel_, list);
  JAM::ClearJournal();
  OwnerRecorder& parent = RecordParent();
  owner->SetProperties(heel_, list);
  std::vector<std::string> members;
  for (const JAM::Record& r : JAM::Recorded())
    if (r.depth == 0) members.push_back(r.member);
  EXPECT_EQ(members, (std::vector<std::string>{"CreateFloor", "UsePercent", "WallACreate", "WallARelief",
                                               "WallBCreate", "WallBRelief", "WallCCreate", "WallCRelief",
                                               "WallDCreate", "WallDRelief", "DistanceTolerance",
                                               "AngleTolerance", "Type"}));
  ASSERT_FALSE(parent.requests.empty());
  EXPECT_EQ(parent.requests.back(), "SetProperties");
}

}  // namespace
