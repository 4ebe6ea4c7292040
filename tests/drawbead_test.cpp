// Draw beads: creation, validation, the segments' spacing rules along the
// bead's path, the segment and taper records, and the bead's destruction.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "HeldSelections.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "RegistrationTestSupport.hpp"
#include "om/HostClass.hpp"
#include "TestSupport.hpp"
#include "afl/DrawBeadParms.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "sel/Selection.hpp"
#include "sys/Failure.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace {

using namespace KTX;
using DieEngJA::DrawBeadBuilder;
using DieEngJA::DrawBeadSegmentBuilder;
using DieEngJA::DrawBeadTaperBuilder;

class DrawBead : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    Host::SetTolerances(0.02, 0.5);
    bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  }
  void TearDown() override {
    if (bead_ != nullptr) bead_->destroy();
    Host::ResetTolerances();
    HostTest::TearDown();
  }

  static void Set(EXP_expression* expression, double value) {
    char* text = EXP_format_value(value);
    ASSERT_EQ(EXP_edit_exp(0, expression, text), 0);
    SM_free(text);
  }
  // A centreline of one line, 100 long: what every bead is built along.
  void GiveLine() {
    const tag_t line = Line(100);
    bead_->GetCenterline()->add_loop(SC_section::kOpen, 1, &line);
  }
  // A segment appended to the bead's list (which runs the bead's insert callback).
  DrawBeadSegmentBuilder* Append() {
    DrawBeadSegmentBuilder* segment = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead_, nullptr);
    bead_->GetSegmentList()->insert(bead_->GetSegmentList()->size(), segment);
    return segment;
  }
  static tag_t Line(double length) {
    const double start[3] = {0, 0, 0}, end[3] = {length, 0, 0};
    return ES_create_line_in_part(nullptr, start, end);
  }
  // Places the segment without the neighbour rules.
  static void Place(DrawBeadSegmentBuilder* segment, double start, double end) {
    segment->SetChangesPending(true);
    ASSERT_EQ(segment->NotifySetExpressionValue(0, start), 0);
    ASSERT_EQ(segment->NotifySetExpressionValue(1, end), 0);
    segment->SetChangesPending(false);
  }
  static double StartOf(const DrawBeadSegmentBuilder* s) { return s->GetStartLocation()->GetValueExpression()->ask_value(); }
  static double EndOf(const DrawBeadSegmentBuilder* s) { return s->GetEndLocation()->GetValueExpression()->ask_value(); }

  DrawBeadBuilder* bead_ = nullptr;
};

TEST_F(DrawBead, ANewBeadPointsAgainstTheWorkZAxisAndMakesItsAttributeBuildersInOrder) {
  bead_->destroy();
  const double origin[3] = {0, 0, 0};
  const double zAlongX[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
  WCS_set(origin, zAlongX);
  Host::ClearCalls();
  bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);

  double point[3], vector[3];
  tag_t tag = 0;
  ASSERT_TRUE(bead_->GetDrawDirection()->GetDirectionVector(&tag, point, vector));
  EXPECT_NEAR(vector[0], -1, 1e-12);
  EXPECT_NEAR(vector[1], 0, 1e-12);
  EXPECT_NEAR(vector[2], 0, 1e-12);

  std::vector<std::string> flags;
  for (const Host::Call& c : Host::Calls())
    if (c.name == "DieAttributesBuilderFactory::Create") flags.push_back(c.args.substr(c.args.rfind(' ') + 1));
  EXPECT_EQ(flags, (std::vector<std::string>{"100", "110", "100", "110", "100", "110", "000"}));
}

TEST_F(DrawBead, ValidationChecksTheFemaleGapsOnlyWhenTheOutputHasAFemale) {
  struct Row {
    int output;
    double clearance, thickness, femaleWidth, femaleDepth;
    bool taper;
    unsigned editedFlags;  // 0x200 for a new bead
    int want;
  };
  const Row rows[] = {
      {2, -0.5, 0, 5, 5, false, 0x200, 3030303},
      {2, 0, -0.5, 5, 5, false, 0x200, 3030304},
      {2, 0, 0, 5, 0, false, 0x200, 3030297},
      {2, 0, 0, 5, 0, true, 0x200, 0},
      {2, 0, 0, 0.02, 5, false, 0x200, 3030298},
      {3, 0, 0, 5, 5, false, 0x200, 0},
      {1, -0.5, -0.5, 0, 0, false, 0x200, 0},
      // An edited bead stored without the flag keeps its gaps above the tolerance.
      {2, 0, 0, 5, 5, false, 0, 3030303},
      {2, 0.03, 0.03, 5, 5, false, 0, 0},
      // Each gap at its bound (the tolerance 0.02, plus 1e-10) and one step inside it.
      {2, 0.02, 0.03, 5, 5, false, 0, 3030303},
      {2, 0.0200000002, 0.0200000002, 5, 5, false, 0, 0},
      {2, 0.03, 0.02, 5, 5, false, 0, 3030304},
      {2, -5e-11, -5e-11, 5, 5, false, 0x200, 0},
      {2, 0, 0, 5, 0.02, false, 0x200, 3030297},
      {2, 0, 0, 5, 0.0200000002, false, 0x200, 0},
      {3, 0, 0, 0.02, 5, false, 0x200, 3030298},
      {3, 0, 0, 0.0200000002, 5, false, 0x200, 0},
      // In order: the clearance before the thickness, the depth before the width.
      {2, -0.5, -0.5, 5, 5, false, 0x200, 3030303},
      {2, 0, 0, 0, 0, false, 0x200, 3030297},
  };
  GiveLine();
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "output " << row.output << " clearance " << row.clearance << " flags "
                                    << row.editedFlags);
    bead_->SetOutput(static_cast<DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes>(row.output));
    bead_->SetTaperBead(row.taper);
    Set(bead_->GetClearance(), row.clearance);
    Set(bead_->GetMetalThickness(), row.thickness);
    Set(bead_->GetFemaleWidthValue(), row.femaleWidth);
    Set(bead_->GetFemaleDepthValue(), row.femaleDepth);
    FEATURE_RECORD* frec = nullptr;
    if (row.editedFlags != 0x200) {
      DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
      parms->SetFlags(row.editedFlags);
      frec = FEATURE_RECORD::Create(part(), parms);
    }
    bead_->set_frec(frec);
    EXPECT_EQ(bead_->validate_nothrow(), row.want);
  }
  // A feature whose parameters are no bead's takes the lenient rule of a new bead.
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale);
  bead_->SetTaperBead(false);
  Set(bead_->GetClearance(), 0);
  Set(bead_->GetMetalThickness(), 0);
  Set(bead_->GetFemaleWidthValue(), 5);
  Set(bead_->GetFemaleDepthValue(), 5);
  bead_->set_frec(FEATURE_RECORD::Create(part(), DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create()));
  EXPECT_EQ(bead_->validate_nothrow(), 0);
  bead_->set_frec(nullptr);
}

TEST_F(DrawBead, SegmentValidationHoldsTheSectionInsideTheBead) {
  struct Row {
    const char* what;
    double leftTop, rightTop, femaleWidth;
    int want;
  };
  const Row rows[] = {
      {"radii fill the width", 4, 4, 12, 0},
      {"radii wider than the bead", 4, 4.1, 12, 3030321},
      {"no width left", 4, 4, 4, 3030302},
      {"top radius below the tolerance", 0.02, 4, 12, 3030300},
  };
  GiveLine();
  DrawBeadSegmentBuilder* segment = Append();
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_Male);
  bead_->SetFemaleWidthType(DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant);
  segment->SetMaleBeadWidthType(DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  Set(segment->GetMaleBeadHeight(), 2);
  Set(bead_->GetMetalThickness(), 1.5);
  Set(bead_->GetClearance(), 0.5);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Set(segment->GetMaleLeftTopRadius(), row.leftTop);
    Set(segment->GetMaleRightTopRadius(), row.rightTop);
    Set(bead_->GetFemaleWidthValue(), row.femaleWidth);
    EXPECT_EQ(segment->validate_nothrow(), row.want);
    EXPECT_EQ(bead_->validate_nothrow(), row.want);
  }
  // A derived female width leaves the segment's width its own, as the commit
  // writes it, though the segment still holds a derived one: its two widths
  // of 0 leave it none.
  Set(segment->GetMaleLeftTopRadius(), 4);
  Set(segment->GetMaleRightTopRadius(), 4);
  Set(bead_->GetFemaleWidthValue(), 12);
  bead_->SetFemaleWidthType(DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Derived);
  EXPECT_EQ(segment->GetMaleBeadWidthType(), DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  EXPECT_EQ(segment->validate_nothrow(), 3030302);
  Set(segment->GetMaleLeftWidth(), 4);
  Set(segment->GetMaleRightWidth(), 4);
  EXPECT_EQ(segment->validate_nothrow(), 0);
}

// The segment's limits with a female bead: each at its bound and one step
// past it. Tolerance 0.02; male widths 3 and 5 make the bead 8 wide.
TEST_F(DrawBead, SegmentLimitsOfAFemaleBeadAtAndPastEachBound) {
  struct Row {
    const char* what;
    double leftTop, rightTop, height, leftWidth, leftFemale, rightFemale, femaleWidth, femaleDepth;
    int want;
  };
  const Row rows[] = {
      {"all inside", 2, 2, 2, 3, 1, 1, 8.02, 2, 0},
      {"left top radius at the tolerance", 0.02, 2, 2, 3, 1, 1, 8.02, 2, 3030300},
      {"right top radius at the tolerance", 2, 0.02, 2, 3, 1, 1, 8.02, 2, 3030300},
      {"top radii just past it", 0.0200000002, 0.0200000002, 2, 3, 1, 1, 8.02, 2, 0},
      {"height at the tolerance", 2, 2, 0.02, 3, 1, 1, 8.02, 2, 3030301},
      {"height just past it", 2, 2, 0.0200000002, 3, 1, 1, 8.02, 0.0200000002, 0},
      {"left width at the tolerance", 0.5, 0.5, 2, 0.02, 1, 1, 8.02, 2, 3030302},
      {"left female radius at the tolerance", 2, 2, 2, 3, 0.02, 1, 8.02, 2, 3030299},
      {"right female radius at the tolerance", 2, 2, 2, 3, 1, 0.02, 8.02, 2, 3030299},
      {"female radii just past it", 2, 2, 2, 3, 0.0200000002, 0.0200000002, 8.02, 2, 0},
      {"female width one tolerance short", 2, 2, 2, 3, 1, 1, 8.0199, 2, 3030378},
      {"female depth just below the height", 2, 2, 2, 3, 1, 1, 8.02, 1.9999, 3030379},
      {"female depth a hair below the height", 2, 2, 2, 3, 1, 1, 8.02, 2 - 5e-11, 0},
  };
  DrawBeadSegmentBuilder* segment = Append();
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale);
  bead_->SetFemaleWidthType(DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant);
  bead_->SetFemaleDepthType(DieEngJA::JA_DRAW_BEAD_BUILDER_FemaleDepthTypes_Constant);
  segment->SetMaleBeadWidthType(DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Constant);
  Set(segment->GetMaleRightWidth(), 5);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Set(segment->GetMaleLeftTopRadius(), row.leftTop);
    Set(segment->GetMaleRightTopRadius(), row.rightTop);
    Set(segment->GetMaleBeadHeight(), row.height);
    Set(segment->GetMaleLeftWidth(), row.leftWidth);
    Set(segment->GetFemaleLeftRadius(), row.leftFemale);
    Set(segment->GetFemaleRightRadius(), row.rightFemale);
    Set(bead_->GetFemaleWidthValue(), row.femaleWidth);
    Set(bead_->GetFemaleDepthValue(), row.femaleDepth);
    EXPECT_EQ(segment->validate_nothrow(), row.want);
  }
}

TEST_F(DrawBead, TopRadiusWarningOfAMachinedTaperBead) {
  DrawBeadSegmentBuilder* segment = Append();
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_Male);
  bead_->SetTaperBead(true);
  bead_->SetMachineOffset(true);
  Set(bead_->GetMetalThickness(), 1.0);
  const std::pair<double, int> rows[] = {{1.2, 672144}, {1.24, 0}, {1.25, 0}};
  for (const auto& [radius, want] : rows) {
    Set(segment->GetMaleLeftTopRadius(), radius);
    Set(segment->GetMaleRightTopRadius(), radius);
    EXPECT_EQ(segment->GetTopRadiusCode(), want) << radius;
    EXPECT_EQ(bead_->GetTopRadiusCode(), want) << radius;
  }
  bead_->SetMachineOffset(false);
  Set(segment->GetMaleLeftTopRadius(), 0);
  EXPECT_EQ(bead_->GetTopRadiusCode(), 0);
}

// ---- spacing along the path ------------------------------------------------------------------

TEST_F(DrawBead, AMovedStartPushesItsEndAndTheNextSegmentInLengthMode) {
  Set(bead_->GetClearance(), 0.5);
  const tag_t path = Line(100);
  struct Row {
    double nextStart;
    double wantNextStart;
  };
  for (const Row& row : {Row{30.7, 30.9999999999}, Row{40, 40}}) {
    SCOPED_TRACE(row.nextStart);
    DrawBeadSegmentBuilder* a = Append();
    DrawBeadSegmentBuilder* b = Append();
    a->SetSegmentClearance(0.5);
    b->SetSegmentClearance(0.5);
    a->SetNewPath(path);
    b->SetNewPath(path);
    Place(a, 10, 30.3);
    Place(b, row.nextStart, 50);
    Set(a->GetStartLocation()->GetValueExpression(), 30);
    EXPECT_NEAR(EndOf(a), 30.4999999999, 1e-9);
    EXPECT_NEAR(StartOf(b), row.wantNextStart, 1e-9);
    EXPECT_NEAR(EndOf(b), 50, 1e-12);
    // A start moved back pulls nothing forward.
    Set(b->GetStartLocation()->GetValueExpression(), 45);
    EXPECT_NEAR(EndOf(a), 30.4999999999, 1e-9);
    bead_->GetSegmentList()->remove_at(1, false);
    bead_->GetSegmentList()->remove_at(0, false);
  }
}

TEST_F(DrawBead, AnEndMovedBelowItsStartPullsTheStartAndThePreviousEnd) {
  const tag_t path = Line(100);
  DrawBeadSegmentBuilder* a = Append();
  DrawBeadSegmentBuilder* b = Append();
  for (DrawBeadSegmentBuilder* s : {a, b}) {
    s->SetSegmentClearance(0.5);
    s->SetNewPath(path);
  }
  Place(a, 10, 30);
  Place(b, 31, 50);
  Set(b->GetEndLocation()->GetValueExpression(), 20);
  EXPECT_NEAR(StartOf(b), 19.5000000001, 1e-9);
  EXPECT_NEAR(EndOf(a), 19.0000000001, 1e-9);
  // Never below the path's start.
  Set(a->GetEndLocation()->GetValueExpression(), 0.1);
  EXPECT_EQ(StartOf(a), 0.0);
}

TEST_F(DrawBead, PercentModePushesByTheClearanceOnTheHundredScale) {
  const tag_t path = Line(200);
  DrawBeadSegmentBuilder* segment = Append();
  segment->SetSegmentClearance(0.5);
  DieEngJA::DrawBeadSegmentData data;
  segment->GetData(&data);
  for (EXP_expression** position : {&data.start, &data.end})
    ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(-1), position), 0);
  segment->SetData(data);
  segment->SetNewPath(path);
  ASSERT_TRUE(segment->GetStartLocation()->IsPercentMode());
  Place(segment, 30, 40.1);
  Set(segment->GetStartLocation()->GetValueExpression(), 40);
  EXPECT_NEAR(EndOf(segment), 40.25, 1e-9);
  EXPECT_NEAR(segment->GetEndLocation()->GetLengthValue(), 80.5, 1e-9);
  // By path parameter: 100 x t in percent mode.
  ASSERT_EQ(segment->UpdateStartAndEndByParameter(0.25, 0.75), 0);
  EXPECT_NEAR(StartOf(segment), 25, 1e-12);
  EXPECT_NEAR(EndOf(segment), 75, 1e-12);
  // A segment after it, pushed by its end: the clearance 0.25 past it, and
  // never past the path's end, 100 (99.9 + 0.25 would be 100.15).
  DrawBeadSegmentBuilder* next = Append();
  next->SetSegmentClearance(0.5);
  next->GetData(&data);
  for (EXP_expression** position : {&data.start, &data.end})
    ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(-1), position), 0);
  next->SetData(data);
  next->SetNewPath(path);
  ASSERT_TRUE(next->GetStartLocation()->IsPercentMode());
  Place(next, 80, 90);
  for (const auto& [end, start] : {std::pair{70.0, 80.0}, {89.9, 90.15}, {99.7, 99.95}, {99.75, 100.0}, {99.9, 100.0}}) {
    SCOPED_TRACE(end);
    Set(segment->GetEndLocation()->GetValueExpression(), end);
    EXPECT_NEAR(StartOf(next), start, 1e-9);
    EXPECT_LE(EndOf(next), 100.0);
    EXPECT_GE(EndOf(next), StartOf(next));
  }
}

TEST_F(DrawBead, ANewSegmentStartsAClearanceAfterItsPredecessorOnItsPath) {
  const tag_t path = Line(100);
  DrawBeadSegmentBuilder* first = Append();
  first->SetNewPath(path);
  Place(first, 0, 40);
  DrawBeadSegmentBuilder* second = Append();
  EXPECT_EQ(second->GetParentDrawBeadBuilder(), bead_);
  EXPECT_EQ(second->GetUserPath(0), path);
  EXPECT_NEAR(StartOf(second), 40 + 25 * 0.02, 1e-12);
  // A shorter path keeps a length beyond its end, which the fit to the path
  // (the commit's) pulls back to it; a longer one keeps it as it is.
  second->SetNewPath(Line(30));
  EXPECT_NEAR(StartOf(second), 40.5, 1e-12);
  double beforeStart[2] = {1, 1};
  EXPECT_EQ(second->FitToPath(beforeStart), 0);
  EXPECT_NEAR(StartOf(second), 30, 1e-12);
  EXPECT_NEAR(EndOf(second), 30, 1e-12);
  EXPECT_EQ(beforeStart[0], 0.0);
  EXPECT_EQ(beforeStart[1], 0.0);
  second->SetNewPath(Line(60));
  EXPECT_EQ(second->FitToPath(beforeStart), 0);
  EXPECT_NEAR(StartOf(second), 30, 1e-12);
  EXPECT_EQ(bead_->GetNextSegment(first), second);
  EXPECT_EQ(bead_->GetPreviousSegment(second), first);
  EXPECT_EQ(bead_->GetLastSegment(nullptr), second);
  EXPECT_EQ(bead_->GetNextSegment(second), nullptr);
}

// ---- records ------------------------------------------------------------------------------------

TEST_F(DrawBead, ASegmentsPositionsGoToTheItemOfTheirUnitAndComeBackInTheirMode) {
  DrawBeadSegmentBuilder* segment = Append();
  DieEngJA::DrawBeadSegmentData data;
  segment->GetData(&data);
  ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("12", UNIT_ask_default_unit_obj_for_measure(-1), &data.start), 0);
  segment->SetData(data);
  DIEDES_GEN_C_DRBD_SEG_PARMS* parms = DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create();
  ASSERT_EQ(segment->ToParms(parms), 0);
  // A record new to the positions takes copies: the locations keep their own.
  ASSERT_NE(parms->AskEntityExpression(4, 0), nullptr);
  EXPECT_NE(parms->AskEntityExpression(4, 0), data.start);
  EXPECT_STREQ(parms->AskEntityExpression(4, 0)->ask_text(), "12");
  EXPECT_EQ(parms->AskEntityExpression(3, 0), nullptr);
  ASSERT_NE(parms->AskEntityExpression(3, 1), nullptr);
  EXPECT_NE(parms->AskEntityExpression(3, 1), data.end);
  EXPECT_STREQ(parms->AskEntityExpression(3, 1)->ask_text(), data.end->ask_text());
  EXPECT_EQ(parms->AskEntityExpression(4, 1), nullptr);

  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), nullptr);
  DrawBeadSegmentBuilder* loaded = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead_, frec);
  loaded->FromParms(parms);
  EXPECT_TRUE(loaded->GetStartLocation()->IsPercentMode());
  EXPECT_FALSE(loaded->GetEndLocation()->IsPercentMode());
  EXPECT_EQ(loaded->GetStartLocation()->GetValueExpression()->ask_value(), 12);
  // Read back as a copy of the record's: the same value, another expression.
  EXPECT_NE(loaded->GetMaleBeadHeight(), segment->GetMaleBeadHeight());
  EXPECT_STREQ(loaded->GetMaleBeadHeight()->ask_text(), segment->GetMaleBeadHeight()->ask_text());
  loaded->destroy();
}

TEST_F(DrawBead, RecordsOfTheWrongShapeAreRefusedWithTheirTexts) {
  struct Row {
    const char* what;
    std::function<void()> call;
    const char* text;
  };
  DrawBeadSegmentBuilder* segment = Append();
  DrawBeadTaperBuilder* taper = bead_->GetStartTaper();
  DIEDES_GEN_C_DRBD_SEG_PARMS* fourItems = DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create(4);
  DIEDES_GEN_P_DRBD_TPR_PARMS* twoItems = DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create(2);
  DIEDES_GEN_C_DRBD_SEG_PARMS* segmentRecord = DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create();
  const Row rows[] = {
      {"four segment items", [&] { segment->FromParms(fourItems); }, "Incorrect number of items stored in segment."},
      {"no segment record", [&] { segment->ToParms(nullptr); }, "Segment parms cannot be NULL."},
      {"two taper items", [&] { taper->FromParms(twoItems); }, "Incorrect number of items stored in taper."},
      {"no taper record", [&] { taper->FromParms(nullptr); }, "Taper parms cannot be NULL."},
      {"a segment record for a taper",
       [&] { taper->ToParms(reinterpret_cast<DIEDES_GEN_P_DRBD_TPR_PARMS*>(segmentRecord)); },
       "Parm is not a Draw Bead Taper."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    try {
      row.call();
      ADD_FAILURE() << "nothing raised";
    } catch (const Error::Exception& e) {
      EXPECT_EQ(e.askCode(), 670156);
      EXPECT_NE(std::string(e.what()).find(row.text), std::string::npos) << e.what();
    }
  }
  // Writing a short taper record writes the items it has.
  taper->SetTaperType(DieEngJA::JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes_Point);
  ASSERT_EQ(taper->ToParms(twoItems), 0);
  EXPECT_EQ(twoItems->AskEntityInt(0, 0), 2);
  EXPECT_EQ(twoItems->AskEntityExpression(1, 2), taper->GetTaperRadius());
}

TEST_F(DrawBead, ATaperReadFromAShortItemLetsGoOfTheExpressionsItHeld) {
  DrawBeadTaperBuilder* taper = bead_->GetEndTaper();
  EXP_expression* height = taper->GetTaperWashoutHeight();
  EXP_expression* radius = taper->GetTaperRadius();
  taper->SetTaperPoint(Line(1));
  DIEDES_GEN_P_DRBD_TPR_PARMS* parms = DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create();
  ASSERT_EQ(taper->ToParms(parms), 0);
  const DIEDES_ENTITY_CONTEXT context{0, nullptr, {}};
  EXP_expression* only[1] = {height};
  ASSERT_EQ(parms->GetEntity(1)->SetExpressions(&context, 1, only), 0);
  ASSERT_EQ(parms->GetEntity(2)->SetTags(&context, 0, nullptr), 0);
  Host::ClearUpdateLogs();
  taper->FromParms(parms);
  // The height read back is a copy of the record's, the radius none; both
  // expressions the taper held go.
  ASSERT_NE(taper->GetTaperWashoutHeight(), nullptr);
  EXPECT_NE(taper->GetTaperWashoutHeight(), height);
  EXPECT_STREQ(taper->GetTaperWashoutHeight()->ask_text(), height->ask_text());
  EXPECT_EQ(taper->GetTaperRadius(), nullptr);
  EXPECT_EQ(taper->GetTaperPoint(), 0u);
  const std::vector<tag_t> logged = Host::LoggedForDeletion();
  EXPECT_NE(std::find(logged.begin(), logged.end(), radius->ask_tag()), logged.end());
  EXPECT_NE(std::find(logged.begin(), logged.end(), height->ask_tag()), logged.end());
}

// Twelve shape values, each different: each goes to its own position of
// items 1 and 2 and comes back into its own expression of a loaded segment;
// symmetry, flow and width type to their own integers of item 0.
TEST_F(DrawBead, EverySegmentShapeValueHasItsOwnPositionAndComesBack) {
  using S = DrawBeadSegmentBuilder;
  using Get = EXP_expression* (S::*)() const;
  const struct {
    const char* what;
    Get get;
    int item, position;
  } fields[] = {
      {"female left radius", &S::GetFemaleLeftRadius, 1, 0},
      {"female right radius", &S::GetFemaleRightRadius, 1, 1},
      {"male left width", &S::GetMaleLeftWidth, 1, 2},
      {"male left top radius", &S::GetMaleLeftTopRadius, 1, 3},
      {"male left sheet radius", &S::GetMaleLeftSheetRadius, 1, 4},
      {"male right width", &S::GetMaleRightWidth, 1, 5},
      {"male right top radius", &S::GetMaleRightTopRadius, 1, 6},
      {"male right sheet radius", &S::GetMaleRightSheetRadius, 1, 7},
      {"male bead height", &S::GetMaleBeadHeight, 1, 8},
      {"male transition length", &S::GetMaleTransitionLength, 1, 9},
      {"male left wall angle", &S::GetMaleLeftWallAngle, 2, 0},
      {"male right wall angle", &S::GetMaleRightWallAngle, 2, 1},
  };
  DrawBeadSegmentBuilder* segment = Append();
  double value = 1.25;
  for (const auto& f : fields) {
    Set((segment->*f.get)(), value);
    value += 1;
  }
  segment->SetSymmetry(true);
  segment->SetFlow(true);
  segment->SetMaleBeadWidthType(DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  DIEDES_GEN_C_DRBD_SEG_PARMS* parms = DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create();
  ASSERT_EQ(segment->ToParms(parms), 0);
  EXPECT_EQ(parms->GetEntity(0)->AskCount(), 3);
  for (int i = 0; i < 3 && i < parms->GetEntity(0)->AskCount(); ++i) EXPECT_EQ(parms->AskEntityInt(0, i), 1) << i;
  EXPECT_EQ(parms->GetEntity(1)->AskCount(), 10);
  EXPECT_EQ(parms->GetEntity(2)->AskCount(), 2);
  value = 1.25;
  for (const auto& f : fields) {
    const EXP_expression* stored = parms->AskEntityExpression(f.item, f.position);
    EXPECT_EQ(stored == nullptr ? -1.0 : stored->ask_value(), value) << f.what;
    value += 1;
  }

  DrawBeadSegmentBuilder* loaded =
      DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead_, FEATURE_RECORD::Create(part(), nullptr));
  loaded->FromParms(parms);
  value = 1.25;
  for (const auto& f : fields) {
    const EXP_expression* back = (loaded->*f.get)();
    EXPECT_EQ(back == nullptr ? -1.0 : back->ask_value(), value) << f.what;
    value += 1;
  }
  EXPECT_TRUE(loaded->GetSymmetry());
  EXPECT_TRUE(loaded->GetFlow());
  EXPECT_EQ(loaded->GetMaleBeadWidthType(), DieEngJA::JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  loaded->destroy();

  // Without symmetry the flow is stored as 0, whatever the segment holds.
  segment->SetSymmetry(false);
  ASSERT_EQ(segment->ToParms(parms), 0);
  EXPECT_EQ(parms->AskEntityInt(0, 0), 0);
  EXPECT_EQ(parms->AskEntityInt(0, 1), 0);
  EXPECT_EQ(parms->AskEntityInt(0, 2), 1);
}

// A Point taper with three different lengths: the type at item 0, height,
// length and radius at item 1 in that order, the point at item 2, and back.
TEST_F(DrawBead, ATapersTypeLengthsAndPointHaveTheirOwnPlacesAndComeBack) {
  DrawBeadTaperBuilder* taper = bead_->GetStartTaper();
  taper->SetTaperType(DieEngJA::JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes_Point);
  Set(taper->GetTaperRadius(), 3);
  Set(taper->GetTaperWashoutHeight(), 5);
  Set(taper->GetTaperWashoutLength(), 7);
  const tag_t point = Line(2);
  taper->SetTaperPoint(point);
  DIEDES_GEN_P_DRBD_TPR_PARMS* parms = DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create();
  ASSERT_EQ(taper->ToParms(parms), 0);
  EXPECT_EQ(parms->AskEntityInt(0, 0), 2);
  const double lengths[3] = {5, 7, 3};
  for (int i = 0; i < 3; ++i) {
    const EXP_expression* stored = parms->AskEntityExpression(1, i);
    EXPECT_EQ(stored == nullptr ? -1.0 : stored->ask_value(), lengths[i]) << i;
  }
  EXPECT_EQ(parms->GetEntity(2)->AskCount(), 1);
  EXPECT_EQ(parms->GetEntity(2)->AskTag(0), point);

  DrawBeadTaperBuilder* loaded = bead_->GetEndTaper();
  loaded->FromParms(parms);
  EXPECT_EQ(loaded->GetTaperType(), DieEngJA::JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes_Point);
  EXPECT_EQ(loaded->GetTaperRadius()->ask_value(), 3);
  EXPECT_EQ(loaded->GetTaperWashoutHeight()->ask_value(), 5);
  EXPECT_EQ(loaded->GetTaperWashoutLength()->ask_value(), 7);
  EXPECT_EQ(loaded->GetTaperPoint(), point);
}

// New data puts the segment on a new placeholder line: the old line is put
// to sleep and logged for deletion with the two locations it carried and the
// expression that a new one replaced; what stays is not logged.
TEST_F(DrawBead, NewSegmentDataLeavesTheOldLineAsleepAndItsLocationsLogged) {
  DrawBeadSegmentBuilder* segment = Append();
  const tag_t oldLine = segment->GetTemporaryPath();
  const tag_t oldStart = segment->GetStartLocation()->ask_tag(), oldEnd = segment->GetEndLocation()->ask_tag();
  DieEngJA::DrawBeadSegmentData data;
  segment->GetData(&data);
  const tag_t replaced = data.femaleLeftRadius->ask_tag(), kept = data.femaleRightRadius->ask_tag();
  ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("3", UNIT_ask_default_unit_obj_for_measure(0),
                                                     &data.femaleLeftRadius),
            0);
  Host::ClearUpdateLogs();
  segment->SetData(data);
  const tag_t newLine = segment->GetTemporaryPath();
  EXPECT_NE(newLine, oldLine);
  auto* old = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(oldLine));
  EXPECT_TRUE(old != nullptr && old->ask_sleeping());
  auto* fresh = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(newLine));
  EXPECT_TRUE(fresh != nullptr && !fresh->ask_sleeping());
  const std::vector<tag_t> logged = Host::LoggedForDeletion();
  auto isLogged = [&](tag_t t) { return std::find(logged.begin(), logged.end(), t) != logged.end(); };
  EXPECT_TRUE(isLogged(oldLine));
  EXPECT_TRUE(isLogged(oldStart));
  EXPECT_TRUE(isLogged(oldEnd));
  EXPECT_TRUE(isLogged(replaced));
  EXPECT_FALSE(isLogged(kept));
  EXPECT_FALSE(isLogged(newLine));
  EXPECT_EQ(segment->GetFemaleLeftRadius()->ask_value(), 3);
  Host::ClearUpdateLogs();
}

// ---- loading and destruction ----------------------------------------------------------------------

TEST_F(DrawBead, ASegmentMadeForLoadingAndNeverFilledIsHarmless) {
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), nullptr);
  DrawBeadSegmentBuilder* segment = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead_, frec);
  ASSERT_EQ(segment->GetStartLocation(), nullptr);
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_None);
  EXPECT_EQ(segment->validate_nothrow(), 0);
  segment->Notify(segment);
  segment->SetNewPath(Line(10));
  EXPECT_EQ(segment->UpdateStartAndEndByParameter(0, 1), 0);
  EXPECT_EQ(segment->GetUserPath(0), 0u);
  bead_->GetSegmentList()->insert(0, segment);
  EXPECT_EQ(Append()->GetParentDrawBeadBuilder(), bead_);
  EXPECT_TRUE(Error::SevereErrors().empty());
}

TEST_F(DrawBead, DestroyingABeadDeletesItsSegmentsUnlessToldToKeepThem) {
  for (bool deleteThem : {true, false}) {
    SCOPED_TRACE(deleteThem);
    std::vector<tag_t> segments;
    for (int i = 0; i < 3; ++i) segments.push_back(Append()->ask_tag());
    bead_->SetDeleteSegmentsDuringClean(deleteThem);
    bead_->destroy();
    bead_ = nullptr;
    for (tag_t t : segments) {
      auto* kept = dynamic_cast<DrawBeadSegmentBuilder*>(OM::OM_object_of_tag(t));
      EXPECT_EQ(kept != nullptr, !deleteThem);
      if (kept == nullptr) continue;
      EXPECT_EQ(kept->GetParentDrawBeadBuilder(), nullptr);
      kept->destroy();
    }
    bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  }
}


// A list that does not own its items may hold the bead that holds it; taking
// the bead out and destroying it would destroy the list inside its own call.
TEST_F(DrawBead, RemovingTheBeadFromItsOwnSegmentListToDestroyItIsRefused) {
  DrawBeadSegmentBuilder* a = Append();
  UICOMPJA_list* list = bead_->GetSegmentList();
  OM::Object* bead = bead_;
  list->append_items(1, &bead);
  EXPECT_EQ(RaisedCode([&] { list->remove_at(1, false); }), 840002);
  ASSERT_EQ(list->size(), 2);
  EXPECT_EQ(list->ask_item(0), a);
  EXPECT_EQ(list->ask_item(1), bead_);
  list->remove_at(1, true);
  list->remove_at(0, false);
}

// ---- splitting along the centerline ----------------------------------------------------------------

class DrawBeadSplit : public DrawBead {
 protected:
  void SetUp() override {
    DrawBead::SetUp();
    // Host tolerance 0.01 gives the segments their clearance of 0.25.
    Host::SetTolerances(0.01, 0.5);
    bead_->destroy();
    bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  }
  // One loop of straight lines through the points (x, y, z each) per list.
  void GiveCenterline(std::initializer_list<std::vector<double>> loops) {
    for (const std::vector<double>& points : loops) {
      std::vector<tag_t> lines;
      for (std::size_t i = 3; i < points.size(); i += 3)
        lines.push_back(ES_create_line_in_part(nullptr, &points[i - 3], &points[i]));
      bead_->GetCenterline()->add_loop(SC_section::kOpen, static_cast<int>(lines.size()), lines.data());
    }
  }
  std::vector<std::pair<double, double>> Positions() const {
    std::vector<std::pair<double, double>> out;
    UICOMPJA_list* list = bead_->GetSegmentList();
    for (int i = 0; i < list->size(); ++i)
      if (auto* s = dynamic_cast<DrawBeadSegmentBuilder*>(list->ask_item(i)); s != nullptr)
        out.emplace_back(s->GetStartLocation()->GetLengthValue(), s->GetEndLocation()->GetLengthValue());
    return out;
  }
  static bool Called(const std::string& name, const std::string& args) {
    for (const Host::Call& c : Host::Calls())
      if (c.name == name && c.args == args) return true;
    return false;
  }
  const std::vector<double> kThreeLines = {0, 0, 0, 10, 0, 0, 10, 20, 0, 40, 20, 0};
};

// A bead that goes leaves its centerline logged for deletion and its path,
// when it had one, asleep and logged too.
TEST_F(DrawBeadSplit, ABeadThatGoesLogsItsCenterlineAndPutsItsPathToSleep) {
  for (const bool withPath : {true, false}) {
    SCOPED_TRACE(withPath);
    if (bead_ == nullptr) bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
    Append();
    if (withPath) GiveCenterline({kThreeLines});
    bead_->SetDetail(0, "kept");
    const tag_t path = bead_->GetPathForSegments();
    EXPECT_EQ(path != 0, withPath);
    const tag_t centerline = bead_->GetCenterline()->ask_tag();
    Host::ClearUpdateLogs();
    bead_->destroy();
    bead_ = nullptr;
    const std::vector<tag_t> logged = Host::LoggedForDeletion();
    auto isLogged = [&](tag_t t) { return std::find(logged.begin(), logged.end(), t) != logged.end(); };
    EXPECT_TRUE(isLogged(centerline));
    if (withPath) {
      EXPECT_TRUE(isLogged(path));
      auto* curve = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(path));
      EXPECT_TRUE(curve != nullptr && curve->ask_sleeping());
    }
    Host::ClearUpdateLogs();
  }
}

TEST_F(DrawBeadSplit, ACenterlineOfThreeLinesGivesOneSegmentPerLineKeptApartByTheClearance) {
  Append();
  GiveCenterline({kThreeLines});
  ASSERT_NE(bead_->GetPathForSegments(), 0u);
  EXPECT_NEAR(CURVE_ask_arc_length(bead_->GetPathForSegments()), 60, 1e-12);
  Host::ClearCalls();
  ASSERT_EQ(bead_->CreateSegmentsFromCenterlineCurves(), 0);
  EXPECT_EQ(bead_->GetSegmentParametersLength(), 0);
  // The parameters 0, 1/6, 1/2, 1 placed the segments.
  const std::vector<std::pair<double, double>> want = {{0, 9.75}, {10, 29.75}, {30, 60}};
  const std::vector<std::pair<double, double>> got = Positions();
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(got[i].first, want[i].first, 1e-9) << i;
    EXPECT_NEAR(got[i].second, want[i].second, 1e-9) << i;
  }
}

// A bead of three segments given a centerline of one line keeps its first
// segment; the two others are deleted, or with the setting off only unlinked.
TEST_F(DrawBeadSplit, ANewCenterlineDeletesTheSurplusSegmentsUnlessToldToKeepThem) {
  for (const bool deleteThem : {true, false}) {
    SCOPED_TRACE(deleteThem);
    if (!deleteThem) bead_->SetDeleteSegmentsDuringClean(false);
    const tag_t first = Append()->ask_tag();
    const tag_t surplus[2] = {Append()->ask_tag(), Append()->ask_tag()};
    GiveCenterline({{0, 0, 0, 60, 0, 0}});
    ASSERT_EQ(bead_->GetSegmentList()->size(), 1);
    EXPECT_EQ(bead_->GetSegmentList()->ask_item(0), OM::OM_object_of_tag(first));
    for (const tag_t t : surplus) {
      auto* left = dynamic_cast<DrawBeadSegmentBuilder*>(OM::OM_object_of_tag(t));
      EXPECT_EQ(left != nullptr, !deleteThem) << t;
      if (left != nullptr) left->destroy();
    }
    ASSERT_EQ(bead_->CreateSegmentsFromCenterlineCurves(), 0);
    EXPECT_EQ(bead_->GetSegmentList()->size(), 1);
    SetUp();
  }
}

// The path of one open loop is its curves joined as one open chain (11), of
// any other loop joined plainly (10), of one curve a copy of it; start and
// end points trim it in mode 1 with the bead's own tolerances.
TEST_F(DrawBeadSplit, ThePathJoinsByTheLoopsKindCopiesOneCurveAndTrimsWithTheBeadsTolerances) {
  struct Row {
    const char* what;
    int kind;
    std::vector<double> points;
    const char* joined;  // null: copied
  };
  const Row rows[] = {
      {"one open loop of three lines", SC_section::kOpen, kThreeLines, "3 option=11"},
      {"one closed loop of four lines", SC_section::kClosed, {0, 0, 0, 40, 0, 0, 40, 40, 0, 0, 40, 0, 0, 0, 0},
       "4 option=10"},
      {"one line", SC_section::kOpen, {0, 0, 0, 60, 0, 0}, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    bead_->SetDistanceTolerance(0.02);
    bead_->SetAngleTolerance(0.7);
    const double at[3] = {5, 1, 0}, to[3] = {35, 1, 0};
    for (DieDesJA::DieLocationBuilder* location : {bead_->GetStartPoint(), bead_->GetEndPoint()}) {
      location->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
      location->SetPoint(ES_create_point(location == bead_->GetStartPoint() ? at : to));
    }
    std::vector<tag_t> lines;
    for (std::size_t i = 3; i < row.points.size(); i += 3)
      lines.push_back(ES_create_line_in_part(nullptr, &row.points[i - 3], &row.points[i]));
    Host::ClearCalls();
    bead_->GetCenterline()->add_loop(row.kind, static_cast<int>(lines.size()), lines.data());
    const std::vector<std::string> joins = stamvik_test::ArgsOf("GEN_ZVTPAD_combine_curves");
    const std::vector<std::string> copies = stamvik_test::ArgsOf("GEN_ZVTPAD_curve_copy");
    if (row.joined != nullptr) {
      EXPECT_EQ(joins, std::vector<std::string>{row.joined});
      EXPECT_TRUE(copies.empty());
    } else {
      EXPECT_TRUE(joins.empty());
      EXPECT_EQ(copies, std::vector<std::string>{"tag=" + std::to_string(lines[0])});
    }
    const std::vector<std::string> trims = stamvik_test::ArgsOf("DIEDES_UTILS__trim_profile");
    EXPECT_EQ(trims.size(), 1u);
    for (const std::string& trim : trims) {
      EXPECT_EQ(trim.rfind("mode=1 tag=" + std::to_string(bead_->GetPathForSegments()) + " ", 0), 0u) << trim;
      EXPECT_NE(trim.find(" tolerances=0.020000,0.700000"), std::string::npos) << trim;
    }
    SetUp();
  }
}

TEST_F(DrawBeadSplit, WatchingTheCenterlineWatchesEachLoopThenTheCurvesItChains) {
  GiveCenterline({{0, 0, 0, 10, 0, 0, 10, 20, 0}, {0, 5, 0, 0, 9, 0}});
  const SC_section* centerline = bead_->GetCenterline();
  ASSERT_EQ(centerline->ask_loop_count(), 2);
  const tag_t loops[2] = {centerline->ask_nth_loop(0), centerline->ask_nth_loop(1)};
  // The section lists the three lines in loop order.
  ASSERT_EQ(centerline->ask_count(), 3);
  const auto tag = [](tag_t t) { return "tag=" + std::to_string(t); };
  const std::vector<std::string> want = {tag(centerline->ask_tag()), tag(loops[0]),
                                         tag(centerline->ask_nth(0)), tag(centerline->ask_nth(1)),
                                         tag(loops[1]),               tag(centerline->ask_nth(2))};
  Host::ClearCalls();
  bead_->WatchObjects();
  std::vector<std::string> watched;
  for (const Host::Call& c : Host::Calls())
    if (c.name == "OM_watch_object") watched.push_back(c.args);
  EXPECT_EQ(watched, want);
}

TEST_F(DrawBeadSplit, NoSingleLoopOrNoFirstPathMakesNoSegment) {
  struct Row {
    const char* what;
    bool segment;
    std::vector<std::vector<double>> loops;
  };
  const Row rows[] = {
      {"two loops", true, {{0, 0, 0, 10, 0, 0}, {0, 5, 0, 10, 5, 0}}},
      {"no loop", true, {}},
      {"no segment", false, {kThreeLines}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.segment) Append();
    for (const auto& loop : row.loops) GiveCenterline({loop});
    const int before = bead_->GetSegmentList()->size();
    JAM::ClearJournal();
    EXPECT_EQ(bead_->CreateSegmentsFromCenterlineCurves(), 0);
    EXPECT_EQ(bead_->GetSegmentList()->size(), before);
    EXPECT_TRUE(JAM::Recorded().empty());
    SetUp();
  }
}

TEST_F(DrawBeadSplit, CurveStartsNearTheEndsOrEachOtherAreDropped) {
  // Starts of the second and later lines along a straight path of length 100.
  struct Row {
    std::vector<double> xs;  // where the lines after the first begin
    std::vector<double> starts;  // empty: only the count is checked
    std::size_t count;
  };
  const Row rows[] = {
      {{}, {0}, 1},
      {{50, 99.9999999999}, {0, 50}, 2},
      {{50, 50.0000005}, {0, 50.0000005}, 2},
      // The first line starts at the path's start too: of the three near-equal
      // values the first and the third are kept.
      {{0.000000001, 50}, {}, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.count);
    Append();
    std::vector<double> points = {0, 0, 0};
    for (double x : row.xs) points.insert(points.end(), {x, 0, 0});
    points.insert(points.end(), {100, 0, 0});
    GiveCenterline({points});
    EXPECT_EQ(bead_->CreateSegmentsFromCenterlineCurves(), 0);
    std::vector<double> starts;
    for (const auto& p : Positions()) starts.push_back(p.first);
    EXPECT_EQ(starts.size(), row.count);
    for (std::size_t i = 0; i < row.starts.size() && i < starts.size(); ++i)
      EXPECT_NEAR(starts[i], row.starts[i], 1e-9) << i;
    SetUp();
  }
}

TEST_F(DrawBeadSplit, ASplitListThatCannotGrowKeepsNothingAndMakesNoSegment) {
  Append();
  std::vector<double> points;
  for (int i = 0; i <= 20; ++i) points.insert(points.end(), {10.0 * i, 0, 0});
  GiveCenterline({points});
  JAM::ClearJournal();
  Failure::FailAt(Failure::kMemory, 2);
  EXPECT_THROW(bead_->CreateSegmentsFromCenterlineCurves(), Error::Exception);
  Failure::Off();
  EXPECT_EQ(bead_->GetSegmentParametersLength(), 0);
  EXPECT_EQ(bead_->GetSegmentList()->size(), 1);
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(DrawBeadSplit, AMovedStartPointRebuildsThePathAndAMovedFaceChangesNothing) {
  // Each change made the way a script makes it, through the scripting calls
  // and the host's own objects: the bead hears of it from the host.
  GiveCenterline({kThreeLines});
  Append();
  DrawBeadSegmentBuilder* second = Append();
  const tag_t old = bead_->GetPathForSegments();
  ASSERT_NE(old, 0u);
  Host::ClearCalls();
  Host::ClearUpdateLogs();
  const double corner[3] = {10, 0, 0};
  bead_->GetPlacementFace()->append(ES_create_point(corner));
  EXPECT_TRUE(Called("Notify", "tag=" + std::to_string(bead_->GetPlacementFace()->ask_tag())));
  EXPECT_EQ(bead_->GetPathForSegments(), old);
  EXPECT_TRUE(Host::LoggedForDeletion().empty());

  // A new point at (10, 5, 0), 10 + 5 along the path: its type first (no
  // point yet: the path untrimmed, made again), then the point.
  const double at[3] = {10, 5, 0};
  DieDesJA::DieLocationBuilder* start = bead_->GetStartPoint();
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_InputType(start, DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint), 0);
  const tag_t untrimmed = bead_->GetPathForSegments();
  EXPECT_NEAR(CURVE_ask_arc_length(untrimmed), 60, 1e-9);
  Host::ClearCalls();
  Host::ClearUpdateLogs();
  ASSERT_EQ(XJA_DIE_LOCATION_BUILDER_set_Point(start, ES_create_point(at)), 0);
  const tag_t path = bead_->GetPathForSegments();
  ASSERT_NE(path, untrimmed);
  EXPECT_NEAR(CURVE_ask_arc_length(path), 45, 1e-9);
  EXPECT_EQ(bead_->GetSegmentList()->size(), 2);
  EXPECT_EQ(second->GetUserPath(0), path);
  EXPECT_TRUE(Called("gt316", "tag=" + std::to_string(untrimmed)));
  const std::vector<tag_t> logged = Host::LoggedForDeletion();
  // The start plane and the old path; no end plane was made.
  ASSERT_EQ(logged.size(), 2u);
  EXPECT_EQ(logged.back(), untrimmed);
  EXPECT_TRUE(dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(untrimmed))->ask_sleeping());
  EXPECT_TRUE(dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(logged.front()))->ask_sleeping());

  // A new centerline leaves the first segment only, on the new path.
  GiveCenterline({{0, 0, 0, 50, 0, 0}});
  EXPECT_EQ(bead_->GetSegmentList()->size(), 1);
}

// ---- the bead's feature records ------------------------------------------------------------------

class DrawBeadRecords : public DrawBeadSplit {
 protected:
  void TearDown() override {
    Host::ClearCustomerDefaults();
    DrawBeadSplit::TearDown();
  }
  // A bead of three segments along the three lines, with its gaps set.
  void MakeThreeSegments() {
    Append();
    GiveCenterline({kThreeLines});
    ASSERT_EQ(bead_->CreateSegmentsFromCenterlineCurves(), 0);
    Set(bead_->GetMetalThickness(), 1.5);
    Set(bead_->GetClearance(), 0.3);
    Set(bead_->GetFemaleDepthValue(), 4);
    Set(bead_->GetFemaleWidthValue(), 12);
  }
  static std::vector<std::string> Made() {
    std::vector<std::string> made;
    for (const Host::Call& c : Host::Calls())
      if (c.name == "DIE_DRBD_MALE_PARMSFactory::Create" || c.name == "DIE_DRBD_FEMALE_PARMSFactory::Create" ||
          c.name == "DIE_DRBD_SHEETMETAL_PARMSFactory::Create" || c.name == "DSS_REGEN_regen_objs_in_views")
        made.push_back(c.name);
    return made;
  }
  static int Count(const std::string& name) {
    int n = 0;
    for (const Host::Call& c : Host::Calls()) n += c.name == name;
    return n;
  }
  static DIE_DRBD_MALE_PARMS* MaleOf(FEATURE_RECORD* frec) {
    return dynamic_cast<DIE_DRBD_MALE_PARMS*>(FREC_ask_parms_of_frec(frec));
  }
};

TEST_F(DrawBeadRecords, OutputThreeMakesThreeFeaturesThatAnEditReadsBackAndOutputOneDeletes) {
  MakeThreeSegments();
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  bead_->SetMachineOffset(true);
  bead_->GetMaleFaceAttribute()->SetFirstText("MALE_FACE");
  Host::ClearCalls();
  // The feature keeps the centreline the builder committed; the builder
  // goes on with a copy, as an edit opened on the feature does.
  const tag_t committed = bead_->GetCenterline()->ask_tag();
  FEATURE_RECORD* male = nullptr;
  ASSERT_EQ(bead_->commit_feature(&male), 0);
  ASSERT_NE(male, nullptr);
  EXPECT_EQ(Made(), (std::vector<std::string>{"DIE_DRBD_MALE_PARMSFactory::Create",
                                              "DIE_DRBD_FEMALE_PARMSFactory::Create",
                                              "DIE_DRBD_SHEETMETAL_PARMSFactory::Create",
                                              "DSS_REGEN_regen_objs_in_views"}));
  DIE_DRBD_MALE_PARMS* parms = MaleOf(male);
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetNumDiedesItems(), 10);
  EXPECT_NE(parms->GetFlags() & 0x80u, 0u);
  EXPECT_EQ(parms->AskEntityInt(5, 16), 0);
  EXPECT_EQ(parms->AskEntityInt(5, 12), 3);
  EXPECT_EQ(parms->AskEntityTag(1, 0), committed);
  EXPECT_NE(bead_->GetCenterline()->ask_tag(), committed);
  auto* module = dynamic_cast<DIEDES_GENERIC_PARENT_PARMS*>(parms->Children().At(0));
  ASSERT_NE(module, nullptr);
  EXPECT_EQ(module->Children().Count(), 3);
  for (int i = 1; i < 3; ++i) EXPECT_NE(dynamic_cast<DIEDES_GEN_P_DRBD_TPR_PARMS*>(parms->Children().At(i)), nullptr);
  FEATURE_RECORD* triple[3];
  DIE_DRBD_PARMS::FindAssociatedFrecs(male, triple);
  ASSERT_NE(triple[1], nullptr);
  ASSERT_NE(triple[2], nullptr);
  const tag_t female = triple[1]->ask_tag(), sheet = triple[2]->ask_tag();
  // What the two derived features hold goes with them.
  const tag_t held[] = {triple[1]->ask_body_eid(), triple[2]->ask_body_eid(),
                        OM::OM_ask_object_tag(triple[1]->ask_parms()), OM::OM_ask_object_tag(triple[2]->ask_parms())};
  for (tag_t t : held) EXPECT_NE(OM::OM_object_of_tag(t), nullptr) << t;
  const tag_t maleBody = male->ask_body_eid();
  const tag_t face = bead_->GetPlacementFace()->ask_tag(), centerline = bead_->GetCenterline()->ask_tag();
  const std::vector<std::pair<double, double>> positions = Positions();
  bead_->destroy();

  bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), male);
  EXPECT_EQ(bead_->GetPlacementFace()->ask_tag(), face);
  EXPECT_NE(bead_->GetCenterline()->ask_tag(), committed);
  EXPECT_NE(bead_->GetCenterline()->ask_tag(), centerline);
  EXPECT_TRUE(Stamvik::SameContents(bead_->GetCenterline(), OM::TagToObject<SC_section>(committed)));
  EXPECT_EQ(bead_->GetOutput(), DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  EXPECT_TRUE(bead_->GetMachineOffset());
  EXPECT_DOUBLE_EQ(bead_->GetMetalThickness()->ask_value(), 1.5);
  EXPECT_DOUBLE_EQ(bead_->GetClearance()->ask_value(), 0.3);
  EXPECT_DOUBLE_EQ(bead_->GetFemaleDepthValue()->ask_value(), 4);
  EXPECT_DOUBLE_EQ(bead_->GetFemaleWidthValue()->ask_value(), 12);
  EXPECT_STREQ(bead_->GetMaleFaceAttribute()->GetFirstText(), "MALE_FACE");
  const std::vector<std::pair<double, double>> read = Positions();
  ASSERT_EQ(read.size(), 3u);
  for (std::size_t i = 0; i < read.size(); ++i) {
    EXPECT_NEAR(read[i].first, positions[i].first, 1e-9) << i;
    EXPECT_NEAR(read[i].second, positions[i].second, 1e-9) << i;
  }

  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_Male);
  FEATURE_RECORD* again = male;
  ASSERT_EQ(bead_->commit_feature(&again), 0);
  EXPECT_EQ(OM::OM_object_of_tag(female), nullptr);
  EXPECT_EQ(OM::OM_object_of_tag(sheet), nullptr);
  for (tag_t t : held) EXPECT_EQ(OM::OM_object_of_tag(t), nullptr) << t;
  EXPECT_NE(OM::OM_object_of_tag(male->ask_tag()), nullptr);
  EXPECT_NE(OM::OM_object_of_tag(maleBody), nullptr);
  EXPECT_FALSE(Host::WizardActive());
}

// The split bead's last two segments on the path's hundred scale, the
// second pushed by the first's end past the path's end: it stops at 100 in
// the builder and in the feature, as an edit opened on it reads it back.
// The path is 60 long: 99.9 and the clearance 0.25 would be 100.32.
TEST_F(DrawBeadRecords, APercentSegmentPushedPastThePathsEndIsCommittedAtTheHundred) {
  MakeThreeSegments();
  const tag_t path = bead_->GetPathForSegments();
  auto segment = [this](int i) { return dynamic_cast<DrawBeadSegmentBuilder*>(bead_->GetSegmentList()->ask_item(i)); };
  for (const auto& [i, start, end] : {std::tuple{1, 50.0, 90.0}, {2, 95.0, 99.0}}) {
    DieEngJA::DrawBeadSegmentData data;
    segment(i)->GetData(&data);
    for (EXP_expression** position : {&data.start, &data.end})
      ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(-1), position), 0);
    segment(i)->SetData(data);
    segment(i)->SetNewPath(path);
    ASSERT_TRUE(segment(i)->GetStartLocation()->IsPercentMode());
    Place(segment(i), start, end);
  }
  Set(segment(1)->GetEndLocation()->GetValueExpression(), 99.9);
  EXPECT_NEAR(StartOf(segment(2)), 100.0, 1e-9);
  EXPECT_NEAR(EndOf(segment(2)), 100.0, 1e-9);
  FEATURE_RECORD* male = nullptr;
  ASSERT_EQ(bead_->commit_feature(&male), 0);
  ASSERT_NE(male, nullptr);
  bead_->destroy();
  bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), male);
  ASSERT_EQ(bead_->GetSegmentList()->size(), 3);
  for (const auto& [i, start, end] : {std::tuple{1, 50.0, 99.9}, {2, 100.0, 100.0}}) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(segment(i)->GetStartLocation()->IsPercentMode());
    EXPECT_NEAR(StartOf(segment(i)), start, 1e-9);
    EXPECT_NEAR(EndOf(segment(i)), end, 1e-9);
  }
}

TEST_F(DrawBeadRecords, ATaperBeadAskedForTheSheetMetalIsCommittedWithTheFemaleOnly) {
  MakeThreeSegments();
  bead_->SetTaperBead(true);
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  Host::ClearCalls();
  FEATURE_RECORD* male = nullptr;
  ASSERT_EQ(bead_->commit_feature(&male), 0);
  EXPECT_EQ(Count("DIEENG_CreateFrecWithParms"), 2);
  EXPECT_EQ(bead_->GetOutput(), DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusFemale);
  EXPECT_EQ(MaleOf(male)->AskEntityInt(5, 12), 2);
}

TEST_F(DrawBeadRecords, ARecordThatIsNoMaleBeadOfTenItemsIsRefused) {
  struct Row {
    const char* what;
    std::function<FEATURE_PARMS*()> parms;
    const char* text;
  };
  const Row rows[] = {
      {"nine items",
       [] {
         return DIEDES_GENERIC_BODY_PARMS::Make(DIE_DRBD_MALE_PARMS::ThisClassId,
                                                std::vector<int>(9, DIEDES_GENERIC_ENTITY::ThisClassId));
       },
       "Feature has unexpected number of database parameters."},
      {"a female bead", [] { return DIEDES_GENERIC_BODY_PARMS::Make(DIE_DRBD_FEMALE_PARMS::ThisClassId, {}); },
       "Feature is not a Male Draw Bead."},
      {"no parameters", [] { return static_cast<FEATURE_PARMS*>(nullptr); }, "Feature has no database parameters."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(nullptr, row.parms());
    try {
      DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), frec);
      ADD_FAILURE() << "read";
    } catch (const Error::Exception& e) {
      EXPECT_EQ(e.askCode(), 670156);
      EXPECT_NE(std::string(e.what()).find(row.text), std::string::npos) << e.what();
    }
  }
}

TEST_F(DrawBeadRecords, TheMaterialFlagComesFromTheFaceOrItsBodyOnlyWhenTheTitleIsSet) {
  const tag_t body = ES_create_solid(0);
  const tag_t face = ES_create_face(body);
  bead_->GetPlacementFace()->append(FREF_create(face));
  Set(bead_->GetMetalThickness(), 1.2);
  struct Row {
    const char* title;
    bool onFace, asText;
    double value;
    int want;
  };
  const Row rows[] = {
      {nullptr, true, false, 1.2, 0}, {"", true, false, 1.2, 0},     {"MAT", true, false, 1.205, 1},
      {"MAT", true, false, 1.3, 0},   {"MAT", false, true, 1.2, 1},  {"MAT", false, false, 1.25, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << (row.title ? row.title : "unset") << " " << row.value);
    Host::ClearCustomerDefaults();
    if (row.title != nullptr) Host::SetCustomerDefault("DIE_DrawBead_MaterialThicknessAttributeTitle", row.title);
    const tag_t holder = row.onFace ? face : body;
    if (row.asText)
      ATTR_set_string(holder, "MAT", std::to_string(row.value).c_str());
    else
      ATTR_set_real(holder, "MAT", row.value);
    DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
    Host::ClearCalls();
    EXPECT_EQ(bead_->ToParms(parms), 0);
    EXPECT_EQ(parms->AskEntityInt(5, 3), row.want);
    if (row.title == nullptr || *row.title == '\0') {
      EXPECT_EQ(Count("FREF_ask_qd_eid"), 0);
    }
    ATTR_set_real(face, "MAT", -1);
    ATTR_set_real(body, "MAT", -1);
    parms->destroy();
  }
  // Within the bead's own tolerance (0.25 here) either way, the limit included.
  Host::ClearCustomerDefaults();
  Host::SetCustomerDefault("DIE_DrawBead_MaterialThicknessAttributeTitle", "MAT");
  Set(bead_->GetMetalThickness(), 1.5);
  bead_->SetDistanceTolerance(0.25);
  for (const auto& [value, want] :
       {std::pair{1.75, 1}, std::pair{1.7500000001, 0}, std::pair{1.25, 1}, std::pair{1.2499999999, 0}}) {
    SCOPED_TRACE(value);
    ATTR_set_real(face, "MAT", value);
    DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
    EXPECT_EQ(bead_->ToParms(parms), 0);
    EXPECT_EQ(parms->AskEntityInt(5, 3), want);
    parms->destroy();
  }
}

TEST_F(DrawBeadRecords, ACreateThatGetsNoRecordFailsAndLeavesNoParameters) {
  MakeThreeSegments();
  const int objects = OM::OM_live_objects();
  Host::SetAnswer("DIEENG_CreateFrecWithParms.norecord", 1);
  FEATURE_RECORD* male = nullptr;
  EXPECT_EQ(bead_->commit_feature(&male), 690000);
  EXPECT_EQ(male, nullptr);
  EXPECT_EQ(OM::OM_live_objects(), objects);
}

// A create whose male bead cannot join its operation stops there: no female
// or sheet-metal bead is made, the male's body is still regenerated, the
// host's number is returned, and the male is taken back with the commit.
TEST_F(DrawBeadRecords, ACreateStoppedAtTheOperationMakesNoDerivedBeadAndTakesTheMaleBack) {
  MakeThreeSegments();
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  Host::SetAnswer("DIE_DRBD_PARMS::IsPlacementFaceDieEngineeringBody", 1);
  Host::SetAnswer("DIEENG_insert_into_operation", 5555);
  const std::size_t kept = Host::KeptInPart(part()).size();
  Host::ClearCalls();
  FEATURE_RECORD* male = nullptr;
  EXPECT_EQ(bead_->commit_feature(&male), 5555);
  Host::ClearAnswers();
  EXPECT_EQ(male, nullptr);
  EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
  EXPECT_EQ(Made(), (std::vector<std::string>{"DIE_DRBD_MALE_PARMSFactory::Create", "DSS_REGEN_regen_objs_in_views"}));
  EXPECT_EQ(Count("DIEENG_CreateFrecWithParms"), 1);
  EXPECT_EQ(Count("DIEENG_insert_into_operation"), 1);
  // The one body regenerated is the male's.
  for (const Host::Call& c : Host::Calls()) {
    if (c.name == "DSS_REGEN_regen_objs_in_views") {
      EXPECT_EQ(c.args.rfind("option=0 count=1 ", 0), 0u) << c.args;
    }
  }
}

// Raised from output 1 to 3 by an edit: when a newer feature is current, the
// male is made current for the derived beads and the newer one current again
// after them; when the male is the newest, nothing is made current.
TEST_F(DrawBeadRecords, AnEditRaisingTheOutputMakesTheDerivedBeadsRightAfterTheMale) {
  for (const bool newer : {true, false}) {
    SCOPED_TRACE(newer);
    if (bead_ == nullptr) bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
    MakeThreeSegments();
    bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_Male);
    FEATURE_RECORD* male = nullptr;
    EXPECT_EQ(bead_->commit_feature(&male), 0);
    bead_->destroy();
    bead_ = nullptr;
    if (male == nullptr) continue;
    FEATURE_RECORD* later = newer ? FEATURE_RECORD::Create(part(), nullptr) : nullptr;
    bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), male);
    bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
    Host::ClearCalls();
    FEATURE_RECORD* edited = male;
    EXPECT_EQ(bead_->commit_feature(&edited), 0);
    std::vector<std::string> current;
    for (const Host::Call& c : Host::Calls())
      if (c.name == "FREC_make_current_feature") current.push_back(c.args);
    const std::vector<std::string> want =
        newer ? std::vector<std::string>{"tag=" + std::to_string(male->ask_tag()), "tag=" + std::to_string(later->ask_tag())}
              : std::vector<std::string>{};
    EXPECT_EQ(current, want);
    FEATURE_RECORD* triple[3] = {};
    DIE_DRBD_PARMS::FindAssociatedFrecs(male, triple);
    EXPECT_NE(triple[1], nullptr);
    EXPECT_NE(triple[2], nullptr);
    if (newer) {
      EXPECT_EQ(CM_part_get_current_feature(modelPart()), later);
    }
    bead_->destroy();
    bead_ = nullptr;
    Host::ClearUpdateLogs();
  }
}

TEST_F(DrawBeadRecords, AFailedEditPutsTheWizardBack) {
  MakeThreeSegments();
  FEATURE_RECORD* male = nullptr;
  ASSERT_EQ(bead_->commit_feature(&male), 0);
  bead_->destroy();
  bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), male);
  Host::SetAnswer("DIEDES_GENERIC_ENTITY_set.6", 840999);
  EXPECT_EQ(bead_->commit_feature(&male), 840999);
  EXPECT_FALSE(Host::WizardActive());
  EXPECT_EQ(Count("DIEENG_set_wizard_active"), 1);
}

// An edit raising a male bead to output 3 whose sheet-metal feature cannot be
// made (the third record call: the female's create and its record, then the
// sheet metal's) takes the female back with it: the part keeps its one male
// feature, and the male's parameters read as they did before the edit.
TEST_F(DrawBeadRecords, AnEditWhoseSheetMetalFailsLeavesTheFeaturesAndParametersAsBefore) {
  MakeThreeSegments();
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_Male);
  FEATURE_RECORD* male = nullptr;
  ASSERT_EQ(bead_->commit_feature(&male), 0);
  ASSERT_NE(male, nullptr);
  bead_->destroy();
  bead_ = nullptr;
  // Each feature of the part as "tag name class-of-its-parameters".
  auto features = [&] {
    std::vector<std::string> out;
    for (tag_t t : Host::KeptInPart(part()))
      if (auto* f = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)); f != nullptr) {
        const FEATURE_PARMS* p = f->ask_parms();
        out.push_back(std::to_string(t) + " " + f->ask_name() + " " +
                      (p == nullptr ? "-" : OM::OM_ask_class_name(p->OmClassId())));
      }
    return out;
  };
  DIE_DRBD_MALE_PARMS* parms = MaleOf(male);
  ASSERT_NE(parms, nullptr);
  const std::vector<std::string> before = features();
  ASSERT_EQ(before.size(), 1u);
  EXPECT_EQ(before[0], std::to_string(male->ask_tag()) + " " + male->ask_name() + " KTX::DIE_DRBD_MALE_PARMS");
  const unsigned flags = parms->GetFlags();

  bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), male);
  bead_->SetOutput(DieEngJA::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal);
  Host::ClearCalls();
  Failure::FailAt(Failure::kFeatureRecord, 3);
  FEATURE_RECORD* edited = male;
  EXPECT_EQ(bead_->commit_feature(&edited), Failure::kInjected);
  Failure::Off();
  EXPECT_EQ(Failure::FailedCall(), "DIEENG_CreateFrecWithParms");
  // The female's body is regenerated before the commit is taken back, as a failed create's male is.
  EXPECT_EQ(Made(), (std::vector<std::string>{"DIE_DRBD_FEMALE_PARMSFactory::Create",
                                              "DIE_DRBD_SHEETMETAL_PARMSFactory::Create",
                                              "DSS_REGEN_regen_objs_in_views"}));

  EXPECT_EQ(features(), before);
  EXPECT_EQ(parms->GetFlags(), flags);
  EXPECT_EQ(parms->AskEntityInt(5, 12), 1);  // the output: the male alone
  const double dimensions[] = {1.5, 0.3, 4, 12};  // thickness, clearance, female depth and width
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    const EXP_expression* dimension = parms->AskEntityExpression(6, i);
    EXPECT_NE(dimension, nullptr);
    if (dimension != nullptr) {
      EXPECT_DOUBLE_EQ(dimension->ask_value(), dimensions[i]);
    }
  }
  FEATURE_RECORD* stored[3] = {male, male, male};
  parms->AskAssociatedFrecs(stored);
  EXPECT_EQ(stored[1], nullptr);
  EXPECT_EQ(stored[2], nullptr);
  EXPECT_FALSE(Host::WizardActive());
  Host::ClearUpdateLogs();
}

TEST_F(DrawBeadRecords, AttributeTextsAreCutToTheirFieldsAndTheOldTitleIsKept) {
  DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
  const std::string longTitle(60, 'T'), longValue(120, 'V');
  bead_->GetMaleSheetAttribute()->SetFirstText("FIRST");
  ASSERT_EQ(bead_->ToParms(parms), 0);
  bead_->GetMaleSheetAttribute()->SetFirstText(longTitle.c_str());
  bead_->GetMaleSheetAttribute()->SetSecondText(longValue.c_str());
  bead_->GetMaleSheetAttribute()->SetIntegerValue(7);
  ASSERT_EQ(bead_->ToParms(parms), 0);
  DieAttributesRecord records[7];
  ASSERT_EQ(parms->AskAttributeInformation(records), 0);
  EXPECT_EQ(std::string(records[0].title, strnlen(records[0].title, sizeof records[0].title)), longTitle.substr(0, 49));
  EXPECT_EQ(records[0].title[49], '\0');
  EXPECT_EQ(records[0].value[49], '\0');
  EXPECT_EQ(std::string(records[0].value), longValue.substr(0, 49));
  EXPECT_STREQ(records[0].previousTitle, "FIRST");
  EXPECT_EQ(records[0].number, 7);
  EXPECT_EQ(records[1].title[0], '\0');
  parms->destroy();
}


// Each of the seven attribute builders, with a title, value and number of its
// own, goes to its own 240-byte record of the block in the order male sheet,
// male face, female sheet, female face, sheet-metal sheet, sheet-metal face,
// machining-offset title, and a bead read from the record has each back.
TEST_F(DrawBeadRecords, EachAttributeBuilderHasItsOwnRecordInOrder) {
  using Get = DieDes::DieAttributesBuilder* (DrawBeadBuilder::*)() const;
  const Get builders[7] = {&DrawBeadBuilder::GetMaleSheetAttribute,       &DrawBeadBuilder::GetMaleFaceAttribute,
                           &DrawBeadBuilder::GetFemaleSheetAttribute,     &DrawBeadBuilder::GetFemaleFaceAttribute,
                           &DrawBeadBuilder::GetSheetMetalSheetAttribute, &DrawBeadBuilder::GetSheetMetalFaceAttribute,
                           &DrawBeadBuilder::GetMachiningOffsetTitleAttribute};
  for (int i = 0; i < 7; ++i) {
    DieDes::DieAttributesBuilder* a = (bead_->*builders[i])();
    a->SetFirstText(("TITLE" + std::to_string(i)).c_str());
    a->SetSecondText(("value" + std::to_string(i)).c_str());
    a->SetIntegerValue(11 + i);
  }
  DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
  ASSERT_EQ(bead_->ToParms(parms), 0);
  DieAttributesRecord records[7];
  ASSERT_EQ(parms->AskAttributeInformation(records), 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(records);
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    const auto* record = bytes + 240 * i;
    EXPECT_STREQ(reinterpret_cast<const char*>(record), ("TITLE" + std::to_string(i)).c_str());
    EXPECT_STREQ(reinterpret_cast<const char*>(record + 102), ("value" + std::to_string(i)).c_str());
    std::int32_t number = 0;
    std::memcpy(&number, record + 236, sizeof number);
    EXPECT_EQ(number, 11 + i);
  }
  bead_->destroy();
  bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), FEATURE_RECORD::Create(nullptr, parms));
  for (int i = 0; i < 7; ++i) {
    SCOPED_TRACE(i);
    const DieDes::DieAttributesBuilder* a = (bead_->*builders[i])();
    EXPECT_STREQ(a->GetFirstText(), ("TITLE" + std::to_string(i)).c_str());
    EXPECT_STREQ(a->GetSecondText(), ("value" + std::to_string(i)).c_str());
    EXPECT_EQ(a->GetIntegerValue(), 11 + i);
  }
}

// The start and the end, each a point of its own, go to items 2 and 3 in
// that order.
TEST_F(DrawBeadRecords, TheStartAndTheEndHaveTheirOwnItems) {
  const double a[3] = {1, 2, 3}, b[3] = {7, 8, 9};
  const tag_t start = ES_create_point(a), end = ES_create_point(b);
  bead_->GetStartPoint()->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
  bead_->GetStartPoint()->SetPoint(start);
  bead_->GetEndPoint()->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
  bead_->GetEndPoint()->SetPoint(end);
  DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
  ASSERT_EQ(bead_->ToParms(parms), 0);
  const std::pair<int, tag_t> items[] = {{2, start}, {3, end}};
  for (const auto& [item, point] : items) {
    SCOPED_TRACE(item);
    auto* location = dynamic_cast<DieDes::DieDesGenericLocation*>(parms->GetEntity(item));
    EXPECT_NE(location, nullptr);
    if (location == nullptr) continue;
    int count = 0;
    DieDes::DieDesGenericLocationRecord* records = nullptr;
    location->AskRecords(0, &count, &records);
    EXPECT_EQ(count, 1);
    if (count >= 1 && records != nullptr) {
      EXPECT_EQ(records[0].point, point);
      EXPECT_EQ(records[0].type, DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_NewPoint);
    }
    location->FreeRecords(count, records);
  }
}

TEST_F(DrawBeadRecords, ARecordOlderThanTheTagFormatIsConvertedOnReadingAndWrittenWithTags) {
  for (const bool withBuilder : {true, false}) {
    SCOPED_TRACE(withBuilder);
    SC_section* ofBuilder = withBuilder ? SC_sectionFactory::object(0, 0.0095, 0.01, 0.5) : nullptr;
    OLD_profile* profile = OLD_profile::Make(ofBuilder);
    const tag_t face = ES_create_face(ES_create_solid(0));
    DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
    const DIEDES_ENTITY_CONTEXT context{0, nullptr, {}};
    const tag_t profileTag = profile->ask_tag();
    ASSERT_EQ(parms->GetEntity(0)->SetTags(&context, 1, &face), 0);
    ASSERT_EQ(parms->GetEntity(1)->SetTags(&context, 1, &profileTag), 0);
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(nullptr, parms);
    Host::ClearCalls();
    DrawBeadBuilder* old = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), frec);
    ASSERT_EQ(old->GetPlacementFace()->ask_count(), 1);
    EXPECT_EQ(old->GetPlacementFace()->ask_nth(0), face);
    ASSERT_NE(old->GetCenterline(), nullptr);
    EXPECT_TRUE(!withBuilder || old->GetCenterline() == ofBuilder);
    EXPECT_EQ(Count("CMP_cnvt_old_profile_by_add_section"), withBuilder ? 0 : 1);
    EXPECT_EQ(Count("CMP_RT_to_om"), withBuilder ? 0 : 1);
    ASSERT_EQ(old->ToParms(parms), 0);
    EXPECT_NE(parms->GetFlags() & 0x80u, 0u);
    EXPECT_EQ(parms->AskEntityTag(0, 0), old->GetPlacementFace()->ask_tag());
    EXPECT_EQ(parms->AskEntityTag(1, 0), old->GetCenterline()->ask_tag());
    old->destroy();
  }
}

}  // namespace

namespace {

using namespace KTX;
using DieEngJA::DrawBeadBuilder;

// Each flag and choice of the bead set alone: it lands at its own integer of
// item 5 and nowhere else, and a bead read from that record has it alone.
TEST_F(DrawBeadRecords, EachFlagAndChoiceHasItsOwnIntegerAndComesBackFromIt) {
  using B = DrawBeadBuilder;
  namespace D = DieEngJA;
  struct Row {
    const char* what;
    int position, value;
    std::function<void(B*)> set;
    std::function<int(const B*)> get;
  };
  const Row rows[] = {
      {"male bead position", 0, 1, [](B* b) { b->SetMaleBeadPosition(D::JA_DRAW_BEAD_BUILDER_MaleBeadPositionTypes_Lower); },
       [](const B* b) { return int(b->GetMaleBeadPosition()); }},
      {"reverse metal thickness", 1, 1, [](B* b) { b->SetReverseMetalThickness(true); },
       [](const B* b) { return int(b->GetReverseMetalThickness()); }},
      {"centerline projection", 2, 1,
       [](B* b) { b->SetCenterlineProjection(D::JA_DRAW_BEAD_BUILDER_ProjectionDirectionTypes_NormalToPlacementFace); },
       [](const B* b) { return int(b->GetCenterlineProjection()); }},
      {"reference direction", 4, 1, [](B* b) { b->SetReferenceDirection(true); },
       [](const B* b) { return int(b->GetReferenceDirection()); }},
      {"taper bead", 5, 1, [](B* b) { b->SetTaperBead(true); }, [](const B* b) { return int(b->GetTaperBead()); }},
      {"base orientation", 6, 1, [](B* b) { b->SetBaseOrientation(D::JA_DRAW_BEAD_BUILDER_OrientationTypes_Vertical); },
       [](const B* b) { return int(b->GetBaseOrientation()); }},
      // A manual transition is kept for a taper bead only (the row's other integer).
      {"transition definition", 7, 1,
       [](B* b) {
         b->SetTaperBead(true);
         b->SetTransitionDefinition(D::JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Manual);
       },
       [](const B* b) { return int(b->GetTransitionDefinition()); }},
      {"female depth type", 8, 1, [](B* b) { b->SetFemaleDepthType(D::JA_DRAW_BEAD_BUILDER_FemaleDepthTypes_Constant); },
       [](const B* b) { return int(b->GetFemaleDepthType()); }},
      {"female width type", 9, 1, [](B* b) { b->SetFemaleWidthType(D::JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant); },
       [](const B* b) { return int(b->GetFemaleWidthType()); }},
      {"build start taper", 10, 1, [](B* b) { b->SetBuildStartTaper(true); },
       [](const B* b) { return int(b->GetBuildStartTaper()); }},
      {"build end taper", 11, 1, [](B* b) { b->SetBuildEndTaper(true); },
       [](const B* b) { return int(b->GetBuildEndTaper()); }},
      {"output", 12, 3, [](B* b) { b->SetOutput(D::JA_DRAW_BEAD_BUILDER_OutputTypes_PlusSheetMetal); },
       [](const B* b) { return int(b->GetOutput()); }},
      {"machine offset", 13, 1, [](B* b) { b->SetMachineOffset(true); },
       [](const B* b) { return int(b->GetMachineOffset()); }},
      {"generate height curve", 14, 1, [](B* b) { b->SetGenerateHeightCurve(true); },
       [](const B* b) { return int(b->GetGenerateHeightCurve()); }},
      {"orient section to draw", 15, 1,
       [](B* b) { b->SetOrientSectionToDraw(D::JA_DRAW_BEAD_BUILDER_OrientSectionToDrawTypes_SheetMetalNormal); },
       [](const B* b) { return int(b->GetOrientSectionToDraw()); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    B* written = D::DrawBeadBuilderFactory::Create(modelPart(), nullptr);
    row.set(written);
    DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
    EXPECT_EQ(written->ToParms(parms), 0);
    written->destroy();
    EXPECT_EQ(parms->GetEntity(5)->AskCount(), 17);
    const bool tapered = row.position == 7;
    for (int i = 0; i < 17 && i < parms->GetEntity(5)->AskCount(); ++i)
      EXPECT_EQ(parms->AskEntityInt(5, i), i == row.position || (tapered && i == 5) ? row.value : 0) << "integer " << i;

    B* read = D::DrawBeadBuilderFactory::Create(modelPart(), FEATURE_RECORD::Create(nullptr, parms));
    for (const Row& other : rows)
      EXPECT_EQ(other.get(read), &other == &row || (tapered && other.position == 5) ? row.value : 0) << other.what;
    read->destroy();
  }
}

// The four lengths and the two tolerances, all different, each at its own
// place of the record and back.
TEST_F(DrawBeadRecords, TheLengthsAndTolerancesHaveTheirOwnPlacesAndComeBack) {
  Set(bead_->GetMetalThickness(), 1.5);
  Set(bead_->GetClearance(), 0.3);
  Set(bead_->GetFemaleDepthValue(), 4);
  Set(bead_->GetFemaleWidthValue(), 12);
  bead_->SetDistanceTolerance(0.07);
  bead_->SetAngleTolerance(0.9);
  DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
  ASSERT_EQ(bead_->ToParms(parms), 0);
  const double lengths[] = {1.5, 0.3, 4, 12};
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(parms->AskEntityExpression(6, i)->ask_value(), lengths[i]) << i;
  EXPECT_DOUBLE_EQ(parms->GetDistanceTolerance(), 0.07);
  EXPECT_DOUBLE_EQ(parms->GetAngleTolerance(), 0.9);
  EXPECT_EQ(parms->GetByteFlag(), 1);
  EXPECT_DOUBLE_EQ(parms->GetEntity(9)->AskDouble(0), parms->GetDefaultSphereDiameter());
  bead_->destroy();

  bead_ = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), FEATURE_RECORD::Create(nullptr, parms));
  EXPECT_DOUBLE_EQ(bead_->GetMetalThickness()->ask_value(), 1.5);
  EXPECT_DOUBLE_EQ(bead_->GetClearance()->ask_value(), 0.3);
  EXPECT_DOUBLE_EQ(bead_->GetFemaleDepthValue()->ask_value(), 4);
  EXPECT_DOUBLE_EQ(bead_->GetFemaleWidthValue()->ask_value(), 12);
  EXPECT_DOUBLE_EQ(bead_->GetDistanceTolerance(), 0.07);
  EXPECT_DOUBLE_EQ(bead_->GetAngleTolerance(), 0.9);
}

}  // namespace

namespace {

using namespace KTX::DieEngJA;
using stamvik_test::ExpectJournalName;

// ---- as an object-manager class -----------------------------------------------------

class DrawBeadClass : public stamvik_test::HostTest {};

TEST_F(DrawBeadClass, ASegmentBelongsToItsBeadAndKeepsItsClearance) {
  auto* bead = DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  bead->SetDistanceTolerance(0.02);
  auto* segment = DrawBeadSegmentBuilderFactory::Create(bead, nullptr);
  EXPECT_EQ(segment->GetParentDrawBeadBuilder(), bead);
  EXPECT_DOUBLE_EQ(segment->GetSegmentClearance(), 0.5);
  EXPECT_FALSE(segment->GetSkipValidate());
  EXPECT_EQ(segment->commit(), 0);
  ExpectJournalName(segment, "Die.DrawBeadSegmentBuilder");

  bead->SetTaperBead(true);
  bead->SetTransitionDefinition(JA_DRAW_BEAD_BUILDER_TransitionDefinitionTypes_Manual);
  bead->SetFemaleWidthType(JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Constant);
  EXPECT_TRUE(segment->GetTaperBead());
  EXPECT_EQ(segment->GetDefinitionType(), 1);
  EXPECT_EQ(segment->GetFemaleWidthOption(), 1);

  auto* orphan = DrawBeadSegmentBuilderFactory::Create(nullptr, nullptr);
  EXPECT_FALSE(orphan->GetTaperBead());
  EXPECT_EQ(orphan->GetDefinitionType(), 0);
  EXPECT_EQ(orphan->GetFemaleWidthOption(), 0);
  orphan->RemoveParentObservers();
  EXPECT_TRUE(orphan->GetSkipValidate());

  segment->destroy();
  orphan->destroy();
  bead->destroy();
}

TEST_F(DrawBeadClass, DerivedFemaleWidthMakesTheMaleWidthConstant) {
  auto* segment = DrawBeadSegmentBuilderFactory::Create(nullptr, nullptr);
  segment->SetMaleBeadWidthType(JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  segment->SetFemaleWidthOption(1);
  EXPECT_EQ(segment->GetMaleBeadWidthType(), JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Derived);
  Host::ClearCalls();
  segment->SetFemaleWidthOption(0);
  EXPECT_EQ(segment->GetMaleBeadWidthType(), JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Constant);
  EXPECT_EQ(Host::CountCalls("OM__log"), 1u);
  segment->destroy();
}

TEST_F(DrawBeadClass, SegmentParametersGrowOnlyAtTheirEnd) {
  auto* bead = DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(bead->GetSegmentParametersLength(), 0);
  EXPECT_EQ(RaisedCode([&] { bead->GetSegmentParameter(0); }), Error::kIndexOutOfRange);
  bead->SetSegmentParameter(0, 0.25);
  EXPECT_EQ(bead->GetSegmentParametersLength(), 1);
  bead->SetSegmentParameter(1, 0.75);
  bead->SetSegmentParameter(0, 0.5);
  EXPECT_EQ(bead->GetSegmentParametersLength(), 2);
  EXPECT_EQ(RaisedCode([&] { bead->SetSegmentParameter(3, 1.0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { bead->SetSegmentParameter(-1, 1.0); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { bead->GetSegmentParameter(2); }), Error::kIndexOutOfRange);
  ASSERT_EQ(bead->GetSegmentParametersLength(), 2);
  EXPECT_EQ(bead->GetSegmentParameter(0), 0.5);
  EXPECT_EQ(bead->GetSegmentParameter(1), 0.75);
  bead->SetSegmentParametersLength(0);
  EXPECT_EQ(bead->GetSegmentParametersLength(), 0);
  bead->destroy();
}

TEST_F(DrawBeadClass, BeadDetailsGrowOnlyAtTheirEndAndComeBackAsFreshCopies) {
  auto* bead = DrawBeadBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_STREQ(bead->GetDetail(0), "");
  char* stale[1] = {nullptr};
  char** strings = stale;
  EXPECT_EQ(bead->GetMoreDetailsInfo(&strings), 0);
  EXPECT_EQ(strings, nullptr);

  bead->SetDetail(0, "first");
  bead->SetDetail(1, "second");
  EXPECT_EQ(RaisedCode([&] { bead->SetDetail(3, "gap"); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { bead->SetDetail(-1, "negative"); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { bead->GetDetail(2); }), Error::kIndexOutOfRange);
  ASSERT_EQ(bead->GetDetailsLength(), 2);

  int count = bead->GetMoreDetailsInfo(&strings);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(strings[0], "first");
  EXPECT_STREQ(strings[1], "second");
  strings[0][0] = 'F';  // the caller's own copy
  EXPECT_STREQ(bead->GetDetail(0), "first");

  const char* replacement[] = {"one", nullptr, "three"};
  bead->SetMoreDetailsInfo(3, replacement);
  ASSERT_EQ(bead->GetDetailsLength(), 3);
  EXPECT_STREQ(bead->GetDetail(1), "");
  EXPECT_STREQ(bead->GetDetail(2), "three");
  DrawBeadBuilder::FreeDetails(&count, &strings);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(strings, nullptr);

  // The builder's own details given back to it stay intact.
  const char* own[] = {bead->GetDetail(2), bead->GetDetail(0)};
  bead->SetMoreDetailsInfo(2, own);
  EXPECT_STREQ(bead->GetDetail(0), "three");
  EXPECT_STREQ(bead->GetDetail(1), "one");

  // Released without a count, the copies still go back to the allocator.
  bead->GetMoreDetailsInfo(&strings);
  DrawBeadBuilder::FreeDetails(nullptr, &strings);
  EXPECT_EQ(strings, nullptr);

  bead->SetMoreDetailsInfo(0, own);
  EXPECT_EQ(bead->GetDetailsLength(), 0);
  bead->destroy();
}

}  // namespace
