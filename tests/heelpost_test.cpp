// The heel post builder: its validation, the record it hands the host's
// tool-body call (walls, percentage, floor), the parameters it commits and
// reads back, and its preview under its undo mark.
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

using namespace KTX;
using KTX::DieDesJA::HeelpostBuilder;
using KTX::DieDesJA::HeelpostBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;

namespace {

class Heelpost : public DieDesignFeature {
 protected:
  // A post 300 by 150, 100 high, with wall A, on the base plane at (0, 0, 10)
  // and centred on a new coordinate system.
  HeelpostBuilder* OnBase() {
    HeelpostBuilder* b = HeelpostBuilderFactory::Create(modelPart(), nullptr);
    CoordinateSystemAt(b->GetBaseOrientation(), 10);
    b->GetCenter()->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem);
    Set(b->GetLength(), "300");
    Set(b->GetWidth(), "150");
    Set(b->GetHeight(), "100");
    Set(b->GetPadThickness(), "20");
    Set(b->GetWallPercentage(), "30");
    Set(b->GetWallAThickness(), "5");
    b->SetWallACreate(true);
    return b;
  }
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
    b->SetDistanceTolerance(tolerance);
    EXPECT_EQ(b->validate_nothrow(), tolerance < 1e-10 ? 3030447 : 0);
    b->SetDistanceTolerance(0.01);
    b->SetAngleTolerance(tolerance);
    EXPECT_EQ(b->validate_nothrow(), tolerance < 1e-10 ? 3030448 : 0);
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
    for (int i = 0; i < 21; ++i) {
      const EXP_expression* e = parms->AskEntityExpression(5, i);
      EXPECT_EQ(e == nullptr ? -1.0 : EXP_ask_value_of_exp(e), v.values[i]) << "position " << i;
    }
    const EXP_expression* percentage = parms->AskEntityExpression(6, 0);
    EXPECT_EQ(percentage == nullptr ? -1.0 : EXP_ask_value_of_exp(percentage), v.percentage);
    for (int i = 0; i < 11; ++i) EXPECT_EQ(parms->AskEntityInt(8, i), v.ints[i]) << "integer " << i;
    ASSERT_EQ(parms->AskAttributeRecordCount(), 4);
    DieAttributesRecord records[4];
    DieDes::DIEDES_ATTRIBUTE_TABLE table{};
    table.count = 4;
    table.records = records;
    ASSERT_EQ(parms->ReadAttributeRecords(&table), 0);
    for (int i = 0; i < 4; ++i) {
      EXPECT_STREQ(reinterpret_cast<const char*>(&records[i]), v.titles[i]);
      EXPECT_EQ(At<std::int32_t>(&records[i], 236), v.numbers[i]) << v.titles[i];
    }

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
  EXPECT_EQ(parms->AskEntityExpression(5, 3), b->GetLength());
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
    const int bodiesBefore = LiveBodies();
    int count = 0;
    int* bodies = nullptr;
    EXPECT_EQ(b->CreateBodies(&count, &bodies), row.status);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(bodies, nullptr);
    EXPECT_EQ(LiveBodies(), bodiesBefore);
    ExpectMark("Heelpost create bodies", true);
    EXPECT_TRUE(ArgsOf("DIEDES_HLPST_parent_create_tool_body").empty());
    EXPECT_EQ(ArgsOf("UPDATE_log_entity_to_delete").size(), row.deleted);
    EXPECT_EQ(ArgsOf("ES_create_plane").size(), row.planes);
    for (const std::string& args : ArgsOf("RM_set_sleep_state")) EXPECT_TRUE(Has(args, " 1")) << args;
    b->destroy();
  }
}

}  // namespace
