// A draw punch built through the host's own modelling builders: what each
// step makes and with which values, how a failed step ends the build, and
// what an edit keeps, remakes and deletes.
#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "ModelInputs.hpp"
#include "TestSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "afl/Module.hpp"
#include "om/ObjectSet.hpp"
#include "pref/SessionInterfaces.hpp"
#include "script/PartReport.hpp"
#include "script/ScriptClasses.hpp"
#include "sel/Selection.hpp"
#include "sys/Settings.hpp"
#include "kernel/Kernel.hpp"
#include "tool/Tooling.hpp"

using namespace KTX;
using stamvik_test::ArgsOf;
using namespace KTX::Tooling;

namespace {

class DrawPunchBuild : public stamvik_test::SessionHostTest {
 protected:
  // A punch over a sheet 20 above the base plane, its profile a regular
  // polygon of `sides` lines 5 above it; deck 40, belt 25, relief 8 at 60
  // degrees, a base 30 thick and 60 wide, an allowance of 1.5.
  DieDesDrawPunchBuilder* Punch(int sides) {
    auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
    const std::vector<tag_t> lines = stamvik_inputs::PolygonLines(sides, 30, 0, 0, 5);
    punch->GetPunchCurve()->set_tags(sides, lines.data());
    punch->SetBasePlane(stamvik_inputs::PlaneAt(0));
    sheet_ = ES_create_body_with_faces(nullptr, true, {FaceFrame{{-50, -50, 20}, {100, 0, 0, 0, 100, 0, 0, 0, 1}}});
    punch->GetSheetBody()->set_selected_tag(sheet_);
    stamvik_inputs::SetExampleSizes(punch);
    return punch;
  }
  // The role titles of the set's members, sorted.
  static std::vector<std::string> Titles(tag_t set) {
    int count = 0;
    tag_t* members = nullptr;
    FSET_ask_group_members(set, &count, &members);
    std::vector<std::string> out;
    for (int i = 0; i < count; ++i)
      for (const std::string& title : ATTR_ask_titles(members[i])) out.push_back(title);
    SM_free(members);
    std::sort(out.begin(), out.end());
    return out;
  }
  tag_t Member(tag_t set, const char* title) {
    auto* finder = DieDesDrawPunchBuilderFactory::Create(0, part());
    tag_t found = 0;
    finder->FindFeatureInSetByAttrTitle(set, title, &found);
    finder->destroy();
    return found;
  }
  tag_t sheet() const { return sheet_; }
  // The punch's profile: lines 5 above the base plane round the corners.
  static void Profile(DieDesDrawPunchBuilder* punch, const std::vector<std::array<double, 2>>& corners) {
    std::vector<tag_t> lines;
    for (std::size_t i = 0; i < corners.size(); ++i) {
      const auto& [x0, y0] = corners[i];
      const auto& [x1, y1] = corners[(i + 1) % corners.size()];
      const double p[3] = {x0, y0, 5}, q[3] = {x1, y1, 5};
      lines.push_back(ES_create_line_in_part(nullptr, p, q));
    }
    punch->GetPunchCurve()->set_tags(static_cast<int>(lines.size()), lines.data());
  }
  // A main wall centre line: a square polyline, `half` from its middle to
  // its sides, 5 above the base plane.
  static void MainWall(DieDesDrawPunchBuilder* punch, double half) {
    const double p[] = {-half, -half, 5, half, -half, 5, half, half, 5, -half, half, 5, -half, -half, 5};
    const tag_t wall = ES_create_polyline(5, p);
    punch->GetMainWallCenterLine()->add_loop(SC_section::kClosed, 1, &wall);
  }
  // The example's sheet (flat, 100 above the base plane), the profile
  // through the corners turned by `turn` degrees about (70, 60), and the
  // relief and its angle; the example's other sizes stay.
  static void Example(DieDesDrawPunchBuilder* punch, const std::vector<std::array<double, 2>>& corners, double relief,
                      double angle, double turn = 0) {
    std::vector<std::array<double, 2>> turned;
    const double c = std::cos(turn * M_PI / 180), s = std::sin(turn * M_PI / 180);
    for (const auto& [x, y] : corners) turned.push_back({70 + c * (x - 70) - s * (y - 60), 60 + s * (x - 70) + c * (y - 60)});
    Profile(punch, turned);
    punch->GetSheetBody()->set_selected_tag(
        ES_create_body_with_faces(nullptr, true, {FaceFrame{{-200, -200, 100}, {500, 0, 0, 0, 500, 0, 0, 0, 1}}}));
    punch->SetReliefDistanse(relief);
    punch->SetReliefAngle(angle);
  }
  // A T: a bar 140 x 40 on a stem `stem` wide and 60 long.
  static std::vector<std::array<double, 2>> Tee(double stem) {
    const double a = 70 - stem / 2, b = 70 + stem / 2;
    return {{a, 0}, {b, 0}, {b, 60}, {140, 60}, {140, 100}, {0, 100}, {0, 60}, {a, 60}};
  }
  // An L: a square 36 x 36 less its corner past arms `arm` wide.
  static std::vector<std::array<double, 2>> Ell(double arm) {
    return {{50, 50}, {86, 50}, {86, 50 + arm}, {50 + arm, 50 + arm}, {50 + arm, 86}, {50, 86}};
  }
  // The example's outline, 200 x 120, with a notch `width` wide and 40 deep
  // in its side along x, or an arm that wide and 40 long out of its far
  // side; each centred on x 100.
  static std::vector<std::array<double, 2>> Notched(double width) {
    const double a = 100 - width / 2, b = 100 + width / 2;
    return {{0, 0}, {a, 0}, {a, 40}, {b, 40}, {b, 0}, {200, 0}, {200, 120}, {0, 120}};
  }
  static std::vector<std::array<double, 2>> Armed(double width) {
    const double a = 100 - width / 2, b = 100 + width / 2;
    return {{0, 0}, {200, 0}, {200, 120}, {b, 120}, {b, 160}, {a, 160}, {a, 120}, {0, 120}};
  }
  // A flange profile or main wall centre line round the corners, 5 above the
  // base plane: lines in a closed loop, points in one, lines as a rule of
  // curves (as an edit reads a profile back), or lines in a loop given open.
  enum class Given { kLines, kPoints, kCurves, kOpenLoop };
  static void Outline(SC_section* section, const std::vector<std::array<double, 2>>& corners, Given given,
                      std::size_t sides = 0) {
    std::vector<tag_t> made;
    for (std::size_t i = 0; i < (sides != 0 ? sides : corners.size()); ++i) {
      const auto& [x0, y0] = corners[i];
      const auto& [x1, y1] = corners[(i + 1) % corners.size()];
      const double p[3] = {x0, y0, 5}, q[3] = {x1, y1, 5};
      made.push_back(given == Given::kPoints ? ES_create_point(p) : ES_create_line_in_part(nullptr, p, q));
    }
    if (given == Given::kCurves) {
      SC_input_data* data = SC_init_input_data(SC_section::kCurveRule);
      data->entities = made;
      const int kind = SC_section::kCurveRule;
      EXPECT_EQ(section->add_rules(1, &kind, &data, 0, 0, 0, 0, true), 0);
      SC_free_input_data(data);
    } else {
      section->add_loop(given == Given::kOpenLoop ? SC_section::kOpen : SC_section::kClosed,
                        static_cast<int>(made.size()), made.data());
    }
  }
  // A stray line, 5 above the base plane, from (x0, y0) to (x1, y1), added
  // to the section's curves as a rule of its own.
  static void Stray(SC_section* section, double x0, double y0, double x1, double y1) {
    const double p[3] = {x0, y0, 5}, q[3] = {x1, y1, 5};
    SC_input_data* data = SC_init_input_data(SC_section::kCurveRule);
    data->entities = {ES_create_line_in_part(nullptr, p, q)};
    const int kind = SC_section::kCurveRule;
    EXPECT_EQ(section->add_rules(1, &kind, &data, 0, 0, 0, 0, true), 0);
    SC_free_input_data(data);
  }
  static std::vector<std::array<double, 2>> Square(double half) {
    return {{-half, -half}, {half, -half}, {half, half}, {-half, half}};
  }
  // The example's profile, 200 x 120, at the relief and angle, with a main
  // wall centre line 4 inside it (192 x 112).
  static void FourInside(DieDesDrawPunchBuilder* punch, double relief, double angle) {
    Example(punch, {{0, 0}, {200, 0}, {200, 120}, {0, 120}}, relief, angle);
    Outline(punch->GetMainWallCenterLine(), {{4, 4}, {196, 4}, {196, 116}, {4, 116}}, Given::kLines);
  }
  // The example's profile (or `profile`), relieved by 8 at 60 degrees, with
  // a main wall centre line round `wall`.
  static void NearOneSide(DieDesDrawPunchBuilder* punch, const std::vector<std::array<double, 2>>& wall,
                          const std::vector<std::array<double, 2>>& profile = {{0, 0}, {200, 0}, {200, 120}, {0, 120}}) {
    Example(punch, profile, 8, 60);
    Outline(punch->GetMainWallCenterLine(), wall, Given::kLines);
  }
  static void Core(DieDesDrawPunchBuilder* punch, double wall) {
    punch->SetCoreDrawPunchOption(true);
    punch->SetWallThickness(wall);
  }
  // The punch's die face (20 up, over the profile) with its normal turned
  // down, to the base plane.
  static tag_t TurnedSheet() {
    return ES_create_body_with_faces(nullptr, true, {FaceFrame{{-50, 50, 20}, {100, 0, 0, 0, -100, 0, 0, 0, -1}}});
  }

 private:
  tag_t sheet_ = 0;
};

TEST_F(DrawPunchBuild, ABuildShowsEveryStepAndOffsetsTheSheetByTheThicknesses) {
  auto* punch = Punch(4);
  Host::ClearCalls();
  ASSERT_EQ(punch->commit(), 0);
  EXPECT_EQ(ArgsOf("mtStatusAreaImmediate"),
            (std::vector<std::string>{"Process input curves successfully.", "Create rough offset sheets successfully.",
                                      "Create project curve successfully.", "Create outer main solid successfully.",
                                      "Create belt solid body successfully.", "Create stress solid body successfully.",
                                      "Create draw punch chamfer successfully."}));
  // Top by the allowance, bottom and belt by minus their thicknesses, all in the work coordinate system.
  const std::string from = "sheets=" + std::to_string(sheet()) + "/";
  const std::string csys = " csys=" + std::to_string(WCS_ask_tag()) + " ";
  const std::vector<std::string> offsets = ArgsOf("RSO_create_feature");
  ASSERT_EQ(offsets.size(), 3u);
  const char* const values[3] = {"\"1.500000\" \"1.000000\" \"5.000000\"", "\"-40.000000\" \"3.000000\" \"25.000000\"",
                                 "\"-25.000000\" \"3.000000\" \"25.000000\""};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NE(offsets[i].find(from), std::string::npos) << offsets[i];
    EXPECT_NE(offsets[i].find(csys + values[i]), std::string::npos) << offsets[i];
  }
  const tag_t set = punch->GetTfeatureSet();
  const tag_t belt = Member(set, "QD$ROUGH_OFFSET_BELT");
  EXPECT_NE(belt, 0u);
  punch->destroy();
  // Without a flange profile the stress solid reaches from just inside the
  // relief (8 and 1.05 of the tolerance 0.01) out to the base width less the
  // relief (60 - 8), 30 thick; the belt from 8 out to 8 in.
  struct Solid {
    const char* title;
    const char *end, *startOffset, *endOffset;
  };
  for (const Solid& solid : {Solid{"QD$MAIN_STRESS_SOLID", "30.000000", "-8.010500", "52.000000"},
                             Solid{"QD$MAIN_BELT_SOLID", "0", "8.000000", "-8.000000"}}) {
    SCOPED_TRACE(solid.title);
    ExtrudeValues made;
    EXPECT_TRUE(Host::AskExtrudeValues(Member(set, solid.title), &made));
    EXPECT_EQ(made.offsetOption, 1);
    EXPECT_EQ(made.startOffset, solid.startOffset);
    EXPECT_EQ(made.endOffset, solid.endOffset);
    if (std::string(solid.end) != "0") {
      EXPECT_EQ(made.endValue, solid.end);
    }
  }

  // Deck and belt within the tolerance: no belt offset; the old one goes at the commit.
  auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  edit->SetBeltThickness(edit->GetDeckThickness() + 0.5 * TOLER_ask_distance_tol());
  Host::ClearCalls();
  ASSERT_EQ(edit->commit(), 0);
  EXPECT_TRUE(ArgsOf("RSO_create_feature").empty());
  EXPECT_EQ(ArgsOf("RSO_edit_feature").size(), 2u);
  EXPECT_EQ(OM::OM_object_of_tag(belt), nullptr);
  EXPECT_EQ(Member(set, "QD$ROUGH_OFFSET_BELT"), 0u);
  edit->destroy();
}

// With a deck sheet there is no bottom offset, and the belt's offset of the
// sheet takes the top's options (1 and 5) in place of the bottom's (3 and 25).
TEST_F(DrawPunchBuild, ADeckSheetStandsForTheBottomOffsetAndTheBeltTakesTheTopsOptions) {
  auto* punch = Punch(4);
  const tag_t deck =
      ES_create_body_with_faces(nullptr, true, {FaceFrame{{-50, -50, -20}, {100, 0, 0, 0, 100, 0, 0, 0, 1}}});
  punch->GetSheetBodyDeck()->set_selected_tag(deck);
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 0);
  const std::vector<std::string> offsets = ArgsOf("RSO_create_feature");
  EXPECT_EQ(offsets.size(), 2u);
  const char* const values[2] = {"\"1.500000\" \"1.000000\" \"5.000000\"", "\"-25.000000\" \"1.000000\" \"5.000000\""};
  for (std::size_t i = 0; i < 2 && i < offsets.size(); ++i)
    EXPECT_NE(offsets[i].find(values[i]), std::string::npos) << offsets[i];
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  EXPECT_EQ(Member(set, "QD$ROUGH_OFFSET_BOTTOM"), 0u);
  EXPECT_NE(Member(set, "QD$ROUGH_OFFSET_BELT"), 0u);
}

// The deck sheet reads back from the member the set keeps for it, whatever
// the deck shapes (the inner solid of a cored punch, the belt solid where
// the belt is the deck, or nothing). An edit that selects another deck,
// undone, reads the first back. Once the deck is deleted, an edit reads
// back none, and with no deck thickness (a set on a deck has no bottom
// offset to read one from) its commit is refused before anything is made,
// never built on the dead sheet.
TEST_F(DrawPunchBuild, AnEditAfterTheDeckSheetWasDeletedReadsNoneAndIsRefused) {
  struct Row {
    const char* what;
    void (*change)(DieDesDrawPunchBuilder*);
  };
  const Row rows[] = {
      {"cored", [](DieDesDrawPunchBuilder* p) { Core(p, 2); }},
      {"the belt on the deck", [](DieDesDrawPunchBuilder* p) { p->SetDeckThickness(25); }},
      {"uncored, the belt off the deck", [](DieDesDrawPunchBuilder*) {}},
  };
  auto sheetAt = [](double z) {
    return ES_create_body_with_faces(nullptr, true, {FaceFrame{{-50, -50, z}, {100, 0, 0, 0, 100, 0, 0, 0, 1}}});
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* punch = Punch(4);
    const tag_t deck = sheetAt(15), other = sheetAt(14);
    punch->GetSheetBodyDeck()->set_selected_tag(deck);
    row.change(punch);
    ASSERT_EQ(punch->commit(), 0);
    const tag_t set = punch->GetTfeatureSet();
    punch->destroy();
    auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
    EXPECT_EQ(edit->GetSheetBodyDeck()->ask_selected_tag(), deck);
    edit->GetSheetBodyDeck()->set_selected_tag(other);
    const int mark = stamvik_test::UndoMark();
    EXPECT_EQ(edit->commit(), 0);
    // Made under the mark, the reader goes with the undo.
    EXPECT_EQ(DieDesDrawPunchBuilderFactory::Create(set, part())->GetSheetBodyDeck()->ask_selected_tag(), other);
    UNDO_QD_undo_to_mark(mark, nullptr);
    UNDO_QD_delete_mark(mark, nullptr);
    edit->destroy();
    edit = DieDesDrawPunchBuilderFactory::Create(set, part());
    EXPECT_EQ(edit->GetSheetBodyDeck()->ask_selected_tag(), deck);
    edit->destroy();

    const std::vector<std::string> titles = Titles(set);
    OM_delete_object(OM::OM_object_of_tag(deck));
    ASSERT_EQ(OM::OM_object_of_tag(deck), nullptr);
    edit = DieDesDrawPunchBuilderFactory::Create(set, part());
    EXPECT_EQ(edit->GetSheetBodyDeck()->ask_selected_tag(), 0u);
    EXPECT_EQ(edit->GetDeckThickness(), 0.0);
    Host::ClearCalls();
    EXPECT_EQ(edit->validate_nothrow(), 0);
    EXPECT_EQ(edit->commit(), 3030606);
    EXPECT_TRUE(ArgsOf("RSO_edit_feature").empty());
    EXPECT_TRUE(ArgsOf("RSO_create_feature").empty());
    EXPECT_EQ(Titles(set), titles);
    edit->destroy();
    OM_delete_object(OM::OM_object_of_tag(other));
  }
}

// A commit without a deck lets the member that kept it go, so that the next
// edit reads none; a member the host cannot make fails the commit with
// nothing left of it.
TEST_F(DrawPunchBuild, ADeckGivenUpLetsItsMemberGoAndOneNotMadeFailsTheCommit) {
  const char* const kept = "QD$DECK_SHEET_SELECTED";
  auto* punch = Punch(4);
  const tag_t deck =
      ES_create_body_with_faces(nullptr, true, {FaceFrame{{-50, -50, 15}, {100, 0, 0, 0, 100, 0, 0, 0, 1}}});
  punch->GetSheetBodyDeck()->set_selected_tag(deck);
  ASSERT_EQ(punch->commit(), 0);
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  EXPECT_NE(Member(set, kept), 0u);
  auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  edit->GetSheetBodyDeck()->set_selected_tag(0);
  edit->SetDeckThickness(40);
  EXPECT_EQ(edit->commit(), 0);
  edit->destroy();
  EXPECT_EQ(Member(set, kept), 0u);
  edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  EXPECT_EQ(edit->GetSheetBodyDeck()->ask_selected_tag(), 0u);
  EXPECT_EQ(edit->GetDeckThickness(), 40.0);
  edit->destroy();

  punch = Punch(4);
  punch->GetSheetBodyDeck()->set_selected_tag(deck);
  const std::size_t sets = Host::FeatureSetsOfPart(part()).size();
  const int live = OM::OM_live_objects();
  Host::SetAnswer("DIEENG_CreateFrecWithParms", 4711);
  EXPECT_NE(punch->commit(), 0);
  Host::SetAnswer("DIEENG_CreateFrecWithParms", 0);
  EXPECT_EQ(punch->GetTfeatureSet(), 0u);
  EXPECT_EQ(Host::FeatureSetsOfPart(part()).size(), sets);
  EXPECT_EQ(OM::OM_live_objects(), live);
  punch->destroy();
  OM_delete_object(OM::OM_object_of_tag(deck));
}

// What a build made is read back by an edit, every number as it was given;
// an edit that changes every number is read back with the new ones.
TEST_F(DrawPunchBuild, EveryNumberIsReadBackFromTheBuildAndFromAnEditThatChangesThemAll) {
  struct Values {
    double deck, belt, relief, angle, baseThickness, baseWidth, allowance;
  };
  auto check = [&](tag_t set, const Values& v) {
    auto* back = DieDesDrawPunchBuilderFactory::Create(set, part());
    EXPECT_EQ(back->GetDeckThickness(), v.deck);
    EXPECT_EQ(back->GetBeltThickness(), v.belt);
    EXPECT_EQ(back->GetReliefDistanse(), v.relief);
    EXPECT_NEAR(back->GetReliefAngle(), v.angle, 1e-4);  // through the chamfer's offsets as six-decimal texts
    EXPECT_EQ(back->GetBaseThickness(), v.baseThickness);
    EXPECT_NEAR(back->GetBaseWidth(), v.baseWidth, 1e-9);
    EXPECT_EQ(back->GetMachiningAllowance(), v.allowance);
    EXPECT_FALSE(back->GetExactSheetbodyOption());
    EXPECT_FALSE(back->GetCoreDrawPunchOption());
    EXPECT_EQ(back->GetSheetBody()->ask_selected_tag(), sheet());
    back->destroy();
  };
  auto* punch = Punch(4);
  ASSERT_EQ(punch->commit(), 0);
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  {
    SCOPED_TRACE("made");
    check(set, {40, 25, 8, 60, 30, 60, 1.5});
  }
  const Values edited = {42, 27, 6, 45, 32, 64, 2.5};
  auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  edit->SetDeckThickness(edited.deck);
  edit->SetBeltThickness(edited.belt);
  edit->SetReliefDistanse(edited.relief);
  edit->SetReliefAngle(edited.angle);
  edit->SetBaseThickness(edited.baseThickness);
  edit->SetBaseWidth(edited.baseWidth);
  edit->SetMachiningAllowance(edited.allowance);
  ASSERT_EQ(edit->commit(), 0);
  edit->destroy();
  {
    SCOPED_TRACE("edited");
    check(set, edited);
  }
}

TEST_F(DrawPunchBuild, AFailedRoughOffsetEndsTheBuildAndLeavesThePartAsItWas) {
  auto* punch = Punch(4);
  const std::string before = Script::DescribePart(part());
  Host::SetAnswer("RSO_create_feature", 4711);
  Error::ClearSevereErrors();
  EXPECT_EQ(punch->commit(), 3030583);
  ASSERT_FALSE(Error::SevereErrors().empty());
  EXPECT_EQ(Error::SevereErrors().back().code, 3030583);
  EXPECT_EQ(Error::SevereErrors().back().text, "Error occurs on creating rough offset sheets.");
  // The join made before the offsets is taken back with the rest: no set, no feature.
  EXPECT_EQ(punch->GetTfeatureSet(), 0u);
  EXPECT_EQ(Script::DescribePart(part()), before);
  int layer = 0;
  static_cast<JAM::LayerManager_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface("Layer.LayerManager"))
      ->AskWorkLayer(0, &layer);
  EXPECT_EQ(layer, 1);
  punch->destroy();
}

// An outer solid that cannot be made ends the build; on the exact sheet the
// user is told to try the rough method, on a rough offset not. What was made
// before is taken back, so a second try makes each feature once. An edit
// whose outer solid fails the same way leaves the set and its bodies as the
// commit before made them.
TEST_F(DrawPunchBuild, AFailedOuterSolidEndsTheBuildAndOnlyAnExactSheetAsksForTheRoughMethod) {
  struct Row {
    bool exact;
    std::vector<std::string> warnings, titles;
  };
  const Row rows[] = {
      {true,
       {"Problem with the sheet quality, please attempt to use rough method."},
       {"QD$PROJECT_CURVE_PUNCH", "QD$PUNCH_JOIN_CURVE", "QD$ROUGH_OFFSET_BELT", "QD$ROUGH_OFFSET_BOTTOM"}},
      {false,
       {},
       {"QD$PROJECT_CURVE_PUNCH", "QD$PUNCH_JOIN_CURVE", "QD$ROUGH_OFFSET_BELT", "QD$ROUGH_OFFSET_BOTTOM",
        "QD$ROUGH_OFFSET_TOP"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.exact);
    auto* punch = Punch(4);
    punch->SetExactSheetbodyOption(row.exact);
    std::string before = Script::DescribePart(part());
    Host::SetAnswer("Features.FeatureBuilder.1", 4711);
    Host::ClearCalls();
    EXPECT_EQ(punch->commit(), 3030585);
    Host::SetAnswer("Features.FeatureBuilder.1", 0);
    EXPECT_EQ(ArgsOf("TOOLING_warning_message"), row.warnings);
    EXPECT_TRUE(ArgsOf("TOOLING_create_user_defined_feature_set").empty());
    EXPECT_EQ(punch->GetTfeatureSet(), 0u);
    EXPECT_EQ(Script::DescribePart(part()), before);

    // The punch's set is of module type 0, named "Draw Punch".
    Host::ClearCalls();
    EXPECT_EQ(punch->commit(), 0);
    const std::vector<std::string> sets = ArgsOf("TOOLING_create_user_defined_feature_set");
    EXPECT_EQ(sets.size(), 1u);
    for (const std::string& made : sets) EXPECT_NE(made.find("] flag=1 module=0 \"Draw Punch\""), std::string::npos) << made;
    const tag_t set = punch->GetTfeatureSet();
    punch->destroy();
    std::vector<std::string> titles = Titles(set);
    EXPECT_EQ(std::count(titles.begin(), titles.end(), "QD$MAIN_OUTER_SOLID"), 1);
    for (const std::string& title : row.titles)
      EXPECT_EQ(std::count(titles.begin(), titles.end(), title), 1) << title;

    auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
    edit->SetDeckThickness(42);
    before = Script::DescribePart(part());
    Host::SetAnswer("Features.FeatureBuilder.1", 4711);
    EXPECT_EQ(edit->commit(), 3030585);
    Host::SetAnswer("Features.FeatureBuilder.1", 0);
    EXPECT_EQ(Script::DescribePart(part()), before);
    EXPECT_EQ(Titles(set), titles);
    edit->destroy();
  }
}

// Sizes the build cannot make their punch of are refused before anything is
// made. 0 and 90 degrees (each within 1e-10) are the relief angles of no
// chamfer; an angle below 0 would chamfer away from the belt, and one whose
// chamfer leg (the relief 8 times the angle's tangent) is longer than the
// relieved wall, from the belt sheet down to the base plane, by more than
// rounding would reach through the base. The sheet is 20 above the base
// plane: a belt 10 thick leaves a wall of 10, as does a deck sheet 10 above
// the plane that the belt is (its thickness the deck's); a belt 5 thick over
// that deck sheet leaves a wall of 15. The base plane 80 down leaves the
// example's wall of 75 under the belt of 25, 105 down a wall of 100, which a
// leg passes by rounding within 1e-9 x 100 = 1e-7.
TEST_F(DrawPunchBuild, ADeckNotAboveZeroAndAReliefAngleTheBuildCannotMakeAreRefused) {
  struct Row {
    const char* what;
    double deck, angle;
    int status;
    double belt = 25;      // 25: a belt sheet below the base plane, no wall to judge by
    bool deckSheet = false;  // a deck sheet 10 above the base plane
    double base = 0;         // the base plane's height
  };
  // The angle whose leg is `leg` for the relief of 8, in the build's own degrees.
  auto legOf = [](double leg) { return std::atan(leg / 8) * 180 / 3.1415926; };
  const Row rows[] = {
      {"deck 0", 0.0, 60, 3030606},
      {"deck -40", -40.0, 60, 3030606},
      {"angle 90", 40.0, 90, 0},
      {"angle 90 and half of 1e-10", 40.0, 90 + 0.5e-10, 0},
      {"angle just past 90", 40.0, 90.000001, 3030607},
      {"angle -90", 40.0, -90, 3030607},
      {"angle -45", 40.0, -45, 3030607},
      {"angle just below 0", 40.0, -1e-9, 3030607},
      {"angle 0 less half of 1e-10", 40.0, -0.5e-10, 0},
      {"angle 0", 40.0, 0, 0},
      {"angle 1e9", 40.0, 1e9, 3030607},
      {"angle not a number", 40.0, std::nan(""), 3030607},
      {"angle 89.9 over a wall of 10", 40.0, 89.9, 3030607, 10},
      {"a leg past the wall by just under the tolerance", 40.0, legOf(10.01 - 1e-9), 3030607, 10},
      {"a leg past it by just over the tolerance", 40.0, legOf(10.0101), 3030607, 10},
      {"a leg of the wall", 40.0, legOf(10), 0, 10},
      {"a leg 0.001 past the wall", 40.0, legOf(10.001), 3030607, 10},
      {"a leg 0.009 past the wall", 40.0, legOf(10.009), 3030607, 10},
      {"a leg of the example's wall", 40.0, legOf(75), 0, 25, false, -80},
      {"a leg 0.001 past the example's wall", 40.0, legOf(75.001), 3030607, 25, false, -80},
      {"a leg 0.009 past the example's wall", 40.0, legOf(75.009), 3030607, 25, false, -80},
      {"a leg of a wall of 100", 40.0, legOf(100), 0, 25, false, -105},
      {"a leg 5e-8 past it", 40.0, legOf(100 + 5e-8), 0, 25, false, -105},
      {"a leg 1e-5 past it", 40.0, legOf(100 + 1e-5), 3030607, 25, false, -105},
      {"angle 89.9 over a deck sheet 10 up", 40.0, 89.9, 3030607, 40, true},
      {"a leg of the deck sheet's wall", 40.0, legOf(10.0), 0, 40, true},
      {"a leg past the deck sheet, within the wall from a belt 5 thick", 40.0, legOf(12), 0, 5, true},
      {"a leg past that wall", 40.0, legOf(15.001), 3030607, 5, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* punch = Punch(4);
    punch->SetDeckThickness(row.deck);
    punch->SetBeltThickness(row.belt);
    punch->SetReliefAngle(row.angle);
    if (row.base != 0) punch->SetBasePlane(stamvik_inputs::PlaneAt(row.base));
    if (row.deckSheet)
      punch->GetSheetBodyDeck()->set_selected_tag(
          ES_create_body_with_faces(nullptr, true, {FaceFrame{{-50, -50, 10}, {100, 0, 0, 0, 100, 0, 0, 0, 1}}}));
    const std::size_t kept = Host::KeptInPart(part()).size();
    Host::ClearCalls();
    EXPECT_EQ(punch->commit(), row.status);
    if (row.status != 0) {
      EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
      EXPECT_EQ(punch->GetTfeatureSet(), 0u);
      EXPECT_TRUE(ArgsOf("RSO_create_feature").empty());
    } else {
      // Only an angle of a chamfer makes one.
      const bool chamfered = std::fabs(row.angle) > 1e-10 && std::fabs(row.angle - 90) > 1e-10;
      EXPECT_EQ(Member(punch->GetTfeatureSet(), "QD$CHAMFER_BELT") != 0, chamfered);
    }
    punch->destroy();
  }
}

// A top (the die face raised by the allowance, 1.5, unless the face is
// exact) not above the belt (the face lowered by the belt, 25) by more than
// the tolerance (0.01) leaves no belt; a die face (20 up) not above the base
// plane by more than it leaves the punch nothing to stand on. A profile all
// within the tolerance of one line has no area; a relief not above the
// tolerance leaves the belt no thickness, unless a main wall centre line
// bounds it; a relief (8) whose inward offset of the profile keeps nothing
// farther than the tolerance from it takes the profile whole (a triangle on
// a base of 60, h high, has its inner circle's radius 30 h / (30 + sqrt(900
// + h^2)): 0.005 for h 0.0101, 12.43 for h 30); a core whose profile, offset
// inwards by the relief and the wall, keeps nothing farther than the
// tolerance from it has no core. The profile's diamond (30 to its corners)
// lies 15 sqrt 2 from its middle to its sides; an L of arms 20 wide reaches
// deepest in its corner, the circle touching its two outer sides and its
// inner corner: r = sqrt 2 (20 - r), r = 20 (2 - sqrt 2) = 11.72. All are
// refused before anything is made.
TEST_F(DrawPunchBuild, APunchWithNoBeltNoAreaNoCoreOrADieFaceNotAboveItsBasePlaneIsRefused) {
  static const std::vector<std::array<double, 2>> kL = {{-20, -20}, {20, -20}, {20, 0}, {0, 0}, {0, 20}, {-20, 20}};
  struct Row {
    const char* what;
    void (*change)(DieDesDrawPunchBuilder*);
    int status;
  };
  // A relief that leaves an arm of the profile 0.01 wide or less (a T's
  // stem 12 wide, an L's arms 12 or 30 wide, the L at an angle or turned in
  // its plane) is refused before anything is made; 0.02 builds (the solids'
  // volumes: tooling_solids_test).
  const Row rows[] = {
      {"a T relieved to a stem 0.02 wide", [](DieDesDrawPunchBuilder* p) { Example(p, Tee(12), 5.99, 30); }, 0},
      {"to a stem 0.008 wide", [](DieDesDrawPunchBuilder* p) { Example(p, Tee(12), 5.996, 30); }, 3030629},
      {"an L of arms 12 relieved to 0.02", [](DieDesDrawPunchBuilder* p) { Example(p, Ell(12), 5.99, 60); }, 0},
      {"to 0.004", [](DieDesDrawPunchBuilder* p) { Example(p, Ell(12), 5.998, 60); }, 3030629},
      {"at 10 degrees", [](DieDesDrawPunchBuilder* p) { Example(p, Ell(12), 5.998, 10); }, 3030629},
      {"turned in its plane", [](DieDesDrawPunchBuilder* p) { Example(p, Ell(12), 5.998, 60, 30); }, 3030629},
      {"an L of arms 30 relieved to 0.004", [](DieDesDrawPunchBuilder* p) { Example(p, Ell(30), 14.998, 60); },
       3030629},
      // A notch or an arm of the profile itself no wider than the tolerance
      // is the profile's fault, whatever the relief (which widens a notch),
      // also one of 0, and with a main wall centre line; a notch 0.02 wide
      // builds at a relief of 1 (its solid: tooling_solids_test).
      {"a notch 0.005 wide relieved by 1", [](DieDesDrawPunchBuilder* p) { Example(p, Notched(0.005), 1, 60); },
       3030635},
      {"by 2", [](DieDesDrawPunchBuilder* p) { Example(p, Notched(0.005), 2, 60); }, 3030635},
      {"by 0", [](DieDesDrawPunchBuilder* p) { Example(p, Notched(0.005), 0, 60); }, 3030635},
      {"inside a main wall centre line",
       [](DieDesDrawPunchBuilder* p) {
         Example(p, Notched(0.005), 1, 60);
         MainWall(p, 10);
       },
       3030635},
      {"a notch of the tolerance relieved by 1.5", [](DieDesDrawPunchBuilder* p) { Example(p, Notched(0.01), 1.5, 60); },
       3030635},
      {"a notch 0.02 wide relieved by 1", [](DieDesDrawPunchBuilder* p) { Example(p, Notched(0.02), 1, 60); }, 0},
      {"an arm 0.005 wide", [](DieDesDrawPunchBuilder* p) { Example(p, Armed(0.005), 8, 60); }, 3030635},
      {"an allowance of -30 past the belt", [](DieDesDrawPunchBuilder* p) { p->SetMachiningAllowance(-30); }, 3030608},
      {"the top on the belt", [](DieDesDrawPunchBuilder* p) { p->SetMachiningAllowance(-25); }, 3030608},
      {"the top 0.02 above the belt", [](DieDesDrawPunchBuilder* p) { p->SetMachiningAllowance(-24.98); }, 0},
      {"an exact face 0.005 above the belt",
       [](DieDesDrawPunchBuilder* p) { p->SetExactSheetbodyOption(true), p->SetBeltThickness(0.005); }, 3030608},
      {"an exact face 0.02 above the belt",
       [](DieDesDrawPunchBuilder* p) { p->SetExactSheetbodyOption(true), p->SetBeltThickness(0.02); }, 0},
      {"the base plane 10 above the die face",
       [](DieDesDrawPunchBuilder* p) { p->SetBasePlane(stamvik_inputs::PlaneAt(30)); }, 3030609},
      {"the base plane on the die face",
       [](DieDesDrawPunchBuilder* p) { p->SetBasePlane(stamvik_inputs::PlaneAt(20)); }, 3030609},
      {"the base plane 0.02 below the die face",
       [](DieDesDrawPunchBuilder* p) { p->SetBasePlane(stamvik_inputs::PlaneAt(19.98)); }, 0},
      // The base plane at 0 turned down: the die face (20 up) lies -20 along
      // its normal, not above it, whichever way the face is turned to it.
      {"the base plane turned away from the die face",
       [](DieDesDrawPunchBuilder* p) {
         const double o[3] = {0, 0, 0}, m[9] = {1, 0, 0, 0, -1, 0, 0, 0, -1};
         p->SetBasePlane(ES_create_plane(o, m));
       },
       3030609},
      // The sheets are offset along the face's normal: turned down to the
      // base plane, the top lies 1.5 below the face (18.5) and the belt 25
      // above it (45), -1 x (1.5 + 25) = -26.5 over the belt.
      {"a die face turned to the base plane",
       [](DieDesDrawPunchBuilder* p) { p->GetSheetBody()->set_selected_tag(TurnedSheet()); }, 3030608},
      // Turned, with an allowance of -30: the top 30 above the face (50), the
      // belt at 45: -1 x (-30 + 25) = 5 over the belt.
      {"a turned die face whose top lies 5 above its belt",
       [](DieDesDrawPunchBuilder* p) {
         p->GetSheetBody()->set_selected_tag(TurnedSheet());
         p->SetMachiningAllowance(-30);
       },
       0},
      {"a profile of two lines there and back",
       [](DieDesDrawPunchBuilder* p) { Profile(p, {{-30, 0}, {30, 0}}); }, 3030615},
      {"a profile 0.01 high", [](DieDesDrawPunchBuilder* p) { Profile(p, {{-30, 0}, {30, 0}, {0, 0.01}}); }, 3030615},
      {"a profile 0.02 high, which the relief takes whole",
       [](DieDesDrawPunchBuilder* p) { Profile(p, {{-30, 0}, {30, 0}, {0, 0.02}}); }, 3030619},
      {"a profile 0.0101 high, which the relief takes whole",
       [](DieDesDrawPunchBuilder* p) { Profile(p, {{-30, 0}, {30, 0}, {0, 0.0101}}); }, 3030619},
      {"a profile 30 high", [](DieDesDrawPunchBuilder* p) { Profile(p, {{-30, 0}, {30, 0}, {0, 30}}); }, 0},
      {"a relief that leaves the diamond half the tolerance",
       [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(15 * std::sqrt(2.0) - 0.005); }, 3030619},
      {"one that leaves it twice the tolerance",
       [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(15 * std::sqrt(2.0) - 0.02); }, 0},
      {"a relief of 0", [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(0); }, 3030617},
      {"a relief of -8", [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(-8); }, 3030617},
      {"a relief of 1e-6", [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(1e-6); }, 3030617},
      {"a relief of 0.001", [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(0.001); }, 3030617},
      {"a relief of the tolerance", [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(0.01); }, 3030617},
      {"a relief just above it", [](DieDesDrawPunchBuilder* p) { p->SetReliefDistanse(0.0101); }, 0},
      {"a relief of 0 inside a main wall centre line",
       [](DieDesDrawPunchBuilder* p) {
         p->SetReliefDistanse(0);
         MainWall(p, 10);
       },
       0},
      {"a core wall that leaves nothing",
       [](DieDesDrawPunchBuilder* p) { Core(p, 15 * std::sqrt(2.0) - 8); }, 3030618},
      {"one that leaves half the tolerance",
       [](DieDesDrawPunchBuilder* p) { Core(p, 15 * std::sqrt(2.0) - 8 - 0.005); }, 3030618},
      {"one that leaves twice the tolerance",
       [](DieDesDrawPunchBuilder* p) { Core(p, 15 * std::sqrt(2.0) - 8 - 0.02); }, 0},
      {"a core wall of 40 in an L of arms 20 wide",
       [](DieDesDrawPunchBuilder* p) { Core(p, 40), Profile(p, kL); }, 3030618},
      {"a core wall of 10 in it, 8 + 10 past its 11.72",
       [](DieDesDrawPunchBuilder* p) { Core(p, 10), Profile(p, kL); }, 3030618},
      {"a core wall that leaves the L half the tolerance",
       [](DieDesDrawPunchBuilder* p) { Core(p, 20 * (2 - std::sqrt(2.0)) - 8 - 0.005), Profile(p, kL); }, 3030618},
      {"a core wall of 1.9 in it, 8 + 1.9 inside its arms' 10",
       [](DieDesDrawPunchBuilder* p) { Core(p, 1.9), Profile(p, kL); }, 0},
      // The main wall centre line, 10 from its middle to its sides, is what the core is offset from.
      {"a core wall of 2 inside a main wall centre line 20 wide",
       [](DieDesDrawPunchBuilder* p) {
         Core(p, 2);
         MainWall(p, 10);
       },
       3030618},
      // Without chamfer: the centre line's corners lie 10 / sqrt 2 = 7.07
      // from the diamond's sides, nearer than the relief.
      {"a core wall of 1.98 inside it",
       [](DieDesDrawPunchBuilder* p) {
         Core(p, 1.98);
         MainWall(p, 10);
         p->SetReliefAngle(0);
       },
       0},
      // A flange profile lies round the diamond (its corners 30 out), a main
      // wall centre line within it (its sides 15 sqrt 2 from the middle: a
      // square of 15 has its corners on them), each one closed loop with an
      // area; the limit within the tolerance and 0.02 past it.
      {"a flange of lines given as curves",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetFlangeProfile(), Square(40), Given::kCurves); }, 0},
      {"a flange of three lines of the four",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetFlangeProfile(), Square(40), Given::kCurves, 3); }, 3030645},
      {"a flange loop given open",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetFlangeProfile(), Square(40), Given::kOpenLoop); }, 3030645},
      {"two flange loops",
       [](DieDesDrawPunchBuilder* p) {
         Outline(p->GetFlangeProfile(), Square(40), Given::kLines);
         Outline(p->GetFlangeProfile(), Square(45), Given::kLines);
       },
       3030645},
      {"two flange squares given as curves",
       [](DieDesDrawPunchBuilder* p) {
         Outline(p->GetFlangeProfile(), Square(40), Given::kCurves);
         Outline(p->GetFlangeProfile(), Square(45), Given::kCurves);
       },
       3030645},
      // A closed loop and a stray curve are two outlines: the stray is
      // never dropped.
      {"a flange square as curves and a stray line out past it",
       [](DieDesDrawPunchBuilder* p) {
         Outline(p->GetFlangeProfile(), Square(40), Given::kCurves);
         Stray(p->GetFlangeProfile(), 50, 50, 60, 60);
       },
       3030645},
      {"a flange loop and a stray open line",
       [](DieDesDrawPunchBuilder* p) {
         Outline(p->GetFlangeProfile(), Square(40), Given::kLines);
         Outline(p->GetFlangeProfile(), {{50, 50}, {60, 60}}, Given::kOpenLoop, 1);
       },
       3030645},
      {"a main wall square as curves and a stray line within it",
       [](DieDesDrawPunchBuilder* p) {
         Outline(p->GetMainWallCenterLine(), Square(10), Given::kCurves);
         Stray(p->GetMainWallCenterLine(), -5, 0, 5, 0);
         p->SetReliefAngle(90);
       },
       3030645},
      {"a flange loop of points on one line",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetFlangeProfile(), {{-40, 0}, {0, 0}, {40, 0}}, Given::kPoints); },
       3030646},
      {"a flange loop crossing itself",
       [](DieDesDrawPunchBuilder* p) {
         Outline(p->GetFlangeProfile(), {{-40, -40}, {40, 40}, {40, -40}, {-40, 40}}, Given::kPoints);
       },
       3030646},
      {"a flange through the diamond's corners",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetFlangeProfile(), Square(30), Given::kLines); }, 0},
      {"a flange 0.02 inside them",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetFlangeProfile(), Square(29.98), Given::kLines); }, 3030647},
      {"a main wall on the diamond's sides, without chamfer",
       [](DieDesDrawPunchBuilder* p) {
         Outline(p->GetMainWallCenterLine(), Square(15), Given::kLines);
         p->SetReliefAngle(90);
       },
       0},
      {"a main wall 0.02 past them",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetMainWallCenterLine(), Square(15.02), Given::kLines); }, 3030647},
      {"a main wall of three lines of the four",
       [](DieDesDrawPunchBuilder* p) { Outline(p->GetMainWallCenterLine(), Square(10), Given::kCurves, 3); },
       3030645},
      // The belt chamfer's leg across the step between the profile and a
      // main wall 4 inside it is the relief: up to 4 and the tolerance fits.
      {"a main wall 4 inside relieved by 8", [](DieDesDrawPunchBuilder* p) { FourInside(p, 8, 60); }, 3030648},
      {"by 4", [](DieDesDrawPunchBuilder* p) { FourInside(p, 4, 60); }, 0},
      {"by 4.0099", [](DieDesDrawPunchBuilder* p) { FourInside(p, 4.0099, 60); }, 0},
      {"by 4.0101", [](DieDesDrawPunchBuilder* p) { FourInside(p, 4.0101, 60); }, 3030648},
      {"by 8 at 0 degrees, no chamfer", [](DieDesDrawPunchBuilder* p) { FourInside(p, 8, 0); }, 0},
      {"by 8 at 90 degrees", [](DieDesDrawPunchBuilder* p) { FourInside(p, 8, 90); }, 0},
      // Relieved by 8 at 60 degrees: a main wall with one corner 2 from one
      // side of the profile and 8 from the others is refused whichever side
      // it is, the profile's last (from its last corner back to its first)
      // too; 8 from every side it builds. A notch's corners 2 below the
      // middle of the wall's last side are as near.
      {"a main wall 2 from the profile's first side",
       [](DieDesDrawPunchBuilder* p) { NearOneSide(p, {{100, 2}, {192, 60}, {100, 112}, {8, 60}}); }, 3030648},
      {"2 from its second", [](DieDesDrawPunchBuilder* p) { NearOneSide(p, {{100, 8}, {198, 60}, {100, 112}, {8, 60}}); },
       3030648},
      {"2 from its third", [](DieDesDrawPunchBuilder* p) { NearOneSide(p, {{100, 8}, {192, 60}, {100, 118}, {8, 60}}); },
       3030648},
      {"2 from its last", [](DieDesDrawPunchBuilder* p) { NearOneSide(p, {{100, 8}, {192, 60}, {100, 112}, {2, 60}}); },
       3030648},
      {"8 from every side", [](DieDesDrawPunchBuilder* p) { NearOneSide(p, {{100, 8}, {192, 60}, {100, 112}, {8, 60}}); },
       0},
      {"a main wall whose last side runs 2 over a notch's corners",
       [](DieDesDrawPunchBuilder* p) {
         NearOneSide(p, {{130, 42}, {192, 8}, {192, 112}, {8, 112}, {8, 8}, {70, 42}}, Notched(20));
       },
       3030648},
      {"one whose last side runs 10 over them",
       [](DieDesDrawPunchBuilder* p) {
         NearOneSide(p, {{130, 50}, {192, 8}, {192, 112}, {8, 112}, {8, 8}, {70, 50}}, Notched(20));
       },
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* punch = Punch(4);
    row.change(punch);
    const std::size_t kept = Host::KeptInPart(part()).size();
    Host::ClearCalls();
    EXPECT_EQ(punch->commit(), row.status);
    if (row.status != 0) {
      EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
      EXPECT_EQ(punch->GetTfeatureSet(), 0u);
      EXPECT_TRUE(ArgsOf("RSO_create_feature").empty());
    } else {
      EXPECT_NE(punch->GetTfeatureSet(), 0u);
    }
    punch->destroy();
  }
}

// The refusal of a relief that takes the punch profile whole (3030619) is
// for a belt made by relieving the profile alone. With a main wall centre
// line the belt lies between the punch curve and the centre line, and a
// relief of 25, past the diamond's inner reach of 15 sqrt 2 = 21.21, with no
// relief angle, builds: the stress solid is the centre line (a square 10
// from its middle to its sides) offset out by the base width less the relief,
// 60 - 25 = 35, a square of 90 on a side, 30 thick: 90 x 90 x 30 = 243000.
TEST_F(DrawPunchBuild, AReliefPastTheProfilesInnerReachBuildsInsideAMainWallCentreLine) {
  struct Row {
    const char* what;
    bool centreLine;
    int status;
    double stress;  // mm3 of the stress solid
  };
  const Row rows[] = {
      {"inside a main wall centre line", true, 0, 243000},
      {"the profile relieved alone", false, 3030619, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* punch = Punch(4);
    punch->SetReliefDistanse(25);
    punch->SetReliefAngle(0);
    if (row.centreLine) MainWall(punch, 10);
    EXPECT_EQ(punch->commit(), row.status);
    const tag_t set = punch->GetTfeatureSet();
    punch->destroy();
    EXPECT_EQ(set != 0, row.status == 0);
    if (set == 0) continue;
    auto* stress = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(Member(set, "QD$MAIN_STRESS_SOLID")));
    auto* solid = stress != nullptr ? dynamic_cast<ES_solid*>(OM::OM_object_of_tag(stress->ask_body_eid())) : nullptr;
    const bool shaped = solid != nullptr && Kernel::HasGeometry(solid->ask_kernel_body());
    EXPECT_TRUE(shaped);
    if (!shaped) continue;
    EXPECT_NEAR(Kernel::Volume(solid->ask_kernel_body()) * 1e9, row.stress, 1e-3);
  }
}

// A punch without chamfer reads back a relief angle of 0, which builds it
// without chamfer again: opened and committed unchanged, twice over, it
// keeps its members and makes none. An edit to a chamfer makes one, an edit
// back to 0 lets it go.
TEST_F(DrawPunchBuild, APunchWithoutChamferIsOpenedAndCommittedUnchanged) {
  auto* punch = Punch(4);
  punch->SetReliefAngle(90);
  ASSERT_EQ(punch->commit(), 0);
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  const std::vector<std::string> made = Titles(set);
  struct Row {
    const char* what;
    double angle;  // set before the commit; NAN: as read back
    double readBack;
    bool chamfered;
  };
  const Row rows[] = {
      {"opened and committed unchanged", NAN, 0, false},
      {"again", NAN, 0, false},
      {"edited to 60", 60, 0, true},
      {"edited back to 0", 0, 60, false},
      {"opened and committed unchanged at last", NAN, 0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
    EXPECT_NEAR(edit->GetReliefAngle(), row.readBack, 1e-6);
    if (!std::isnan(row.angle)) edit->SetReliefAngle(row.angle);
    EXPECT_EQ(edit->commit(), 0);
    edit->destroy();
    EXPECT_EQ(Member(set, "QD$CHAMFER_BELT") != 0, row.chamfered);
    if (!row.chamfered) {
      EXPECT_EQ(Titles(set), made);
    }
  }
}

// An edit that selects its own set, or a member of it, is refused by its
// validation, and the committed call leaves the set as it was.
TEST_F(DrawPunchBuild, AnEditSelectingItsOwnSetOrAMemberOfItIsRefused) {
  auto* punch = Punch(4);
  ASSERT_EQ(punch->commit(), 0);
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  const std::vector<std::string> before = Titles(set);
  const tag_t member = Member(set, "QD$MAIN_OUTER_SOLID");
  ASSERT_NE(member, 0u);
  struct Row {
    const char* what;
    int role;  // 0 the deck sheet, 1 the die face, 2 the punch curves
    tag_t held;
  };
  const Row rows[] = {
      {"the deck sheet: a member", 0, member},
      {"the die face: the set", 1, set},
      {"the punch curves: the set", 2, set},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
    if (row.role == 0) edit->GetSheetBodyDeck()->set_selected_tag(row.held);
    if (row.role == 1) edit->GetSheetBody()->set_selected_tag(row.held);
    if (row.role == 2) edit->GetPunchCurve()->append(row.held);
    EXPECT_EQ(edit->validate_nothrow(), 3030633);
    const std::size_t kept = Host::KeptInPart(part()).size();
    Host::ClearCalls();
    tag_t made = 0;
    EXPECT_EQ(Script::Builder_Commit(edit, &made), 3030633);
    EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
    EXPECT_TRUE(ArgsOf("RSO_edit_feature").empty());
    EXPECT_EQ(Titles(set), before);
    edit->destroy();
  }
}

TEST_F(DrawPunchBuild, AWholeBuildChamfersTheBeltWhereItsWallsMeetItsTopByTheReliefAndItsAngle) {
  struct Row {
    double angle;
    bool made;
  };
  for (const Row& row : {Row{90, false}, Row{60, true}}) {
    auto* punch = Punch(4);
    punch->SetReliefAngle(row.angle);
    ASSERT_EQ(punch->commit(), 0) << row.angle;
    const tag_t set = punch->GetTfeatureSet();
    punch->destroy();
    const tag_t chamfer = Member(set, "QD$CHAMFER_BELT");
    ASSERT_EQ(chamfer != 0, row.made) << row.angle;
    if (!row.made) continue;
    ChamferValues values;
    ASSERT_TRUE(Host::AskChamferValues(chamfer, &values));
    EXPECT_EQ(values.option, 1);
    EXPECT_EQ(values.firstOffset, "8.000000");
    EXPECT_EQ(values.secondOffset, "13.856406");  // 8 tan 60 degrees, 13.856405888926577
    // The belt stands on the base plane and reaches its sheet (10 up in the stand-in): the four
    // edges round its top, each an edge of the belt's body.
    const auto* collector = dynamic_cast<const SC_collector*>(OM::OM_object_of_tag(values.edges));
    ASSERT_NE(collector, nullptr);
    const tag_t beltBody = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(Member(set, "QD$MAIN_BELT_SOLID")))
                               ->ask_body_eid();
    std::vector<tag_t> edges;
    for (int i = 0; i < collector->ask_count(); ++i) {
      SCOPED_TRACE(i);
      const tag_t edge = collector->ask_nth(i);
      edges.push_back(edge);
      const auto* found = dynamic_cast<const ES_edge*>(OM::OM_object_of_tag(edge));
      EXPECT_NE(found, nullptr);
      if (found == nullptr) continue;
      EXPECT_EQ(found->ask_body(), beltBody);
      const std::vector<double> ends = found->ask_points();
      EXPECT_EQ(ends.size(), 6u);
      if (ends.size() != 6u) continue;
      EXPECT_NEAR(ends[2], 10.0, 1e-9);
      EXPECT_NEAR(ends[5], 10.0, 1e-9);
    }
    std::sort(edges.begin(), edges.end());
    EXPECT_EQ(std::unique(edges.begin(), edges.end()) - edges.begin(), 4);
  }
}

// Each size the build checks against the distance tolerance (0.01), at the
// limit and just past it: the base's thickness and width (no flange) make the
// stress solid from the tolerance up; a belt within the tolerance of the deck
// is the deck's own offset, one just further gets an offset of its own.
TEST_F(DrawPunchBuild, EachSizeAtTheToleranceAndJustPastIt) {
  const double tolerance = TOLER_ask_distance_tol();
  ASSERT_EQ(tolerance, 0.01);
  struct Row {
    const char* what;
    void (*change)(DieDesDrawPunchBuilder*);
    const char* title;
    bool made;
  };
  const Row rows[] = {
      {"base thickness at the tolerance", [](DieDesDrawPunchBuilder* p) { p->SetBaseThickness(0.01); },
       "QD$MAIN_STRESS_SOLID", true},
      {"base thickness just below", [](DieDesDrawPunchBuilder* p) { p->SetBaseThickness(0.0099); },
       "QD$MAIN_STRESS_SOLID", false},
      {"base width at the tolerance", [](DieDesDrawPunchBuilder* p) { p->SetBaseWidth(0.01); },
       "QD$MAIN_STRESS_SOLID", true},
      {"base width just below", [](DieDesDrawPunchBuilder* p) { p->SetBaseWidth(0.0099); },
       "QD$MAIN_STRESS_SOLID", false},
      // 0.02 less 0.01 is the tolerance to the last bit; 40 and 40.01 differ by a little less.
      {"belt the tolerance below the deck",
       [](DieDesDrawPunchBuilder* p) { p->SetDeckThickness(0.02), p->SetBeltThickness(0.01); },
       "QD$ROUGH_OFFSET_BELT", false},
      {"belt just further below the deck",
       [](DieDesDrawPunchBuilder* p) { p->SetDeckThickness(0.02), p->SetBeltThickness(0.0099); },
       "QD$ROUGH_OFFSET_BELT", true},
      {"belt about the tolerance above the deck", [](DieDesDrawPunchBuilder* p) { p->SetBeltThickness(40.01); },
       "QD$ROUGH_OFFSET_BELT", false},
      {"belt just further above the deck", [](DieDesDrawPunchBuilder* p) { p->SetBeltThickness(40.0101); },
       "QD$ROUGH_OFFSET_BELT", true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* punch = Punch(4);
    row.change(punch);
    EXPECT_EQ(punch->commit(), 0);
    const tag_t set = punch->GetTfeatureSet();
    punch->destroy();
    EXPECT_EQ(Member(set, row.title) != 0, row.made);
  }
}

// When the extrusions with feature offsets fail, the belt is extruded between
// the punch curve and its offset by the relief (8), and the stress solid from
// the punch curve offset by the base width less the relief (-52); read back,
// they give the relief and the width (52 + 8). A second try whose offset
// extrusions work retires the stress offset and leaves the belt's as it is.
TEST_F(DrawPunchBuild, FailedOffsetExtrusionsFallBackToOffsetCurvesAndASecondTryRetiresTheStressOne) {
  auto* punch = Punch(4);
  Host::SetAnswer("GeometricUtilities.FeatureOffset.3", 4711);
  EXPECT_EQ(punch->commit(), 0);
  Host::SetAnswer("GeometricUtilities.FeatureOffset.3", 0);
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  const tag_t beltOffset = Member(set, "QD$OFFSET_CURVE_BELT"), stressOffset = Member(set, "QD$OFFSET_CURVE_STRESS");
  EXPECT_NE(Member(set, "QD$MAIN_BELT_SOLID"), 0u);
  EXPECT_NE(Member(set, "QD$MAIN_STRESS_SOLID"), 0u);
  for (const auto& [feature, distance] : {std::pair{beltOffset, 8.0}, std::pair{stressOffset, -52.0}}) {
    auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
    EXPECT_NE(record, nullptr) << distance;
    if (record == nullptr) continue;
    auto* offset = ModlCurveJA::OffsetCurveBuilderFactory::Create(modelPart(), record);
    EXPECT_EQ(EXP_ask_value_of_exp(offset->GetDistance()), distance);
    offset->destroy();
  }

  auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  EXPECT_EQ(edit->GetReliefDistanse(), 8.0);
  EXPECT_EQ(edit->GetBaseWidth(), 60.0);
  EXPECT_EQ(edit->commit(), 0);
  edit->destroy();
  EXPECT_EQ(Member(set, "QD$OFFSET_CURVE_BELT"), beltOffset);
  EXPECT_NE(OM::OM_object_of_tag(beltOffset), nullptr);
  EXPECT_EQ(Member(set, "QD$OFFSET_CURVE_STRESS"), 0u);
  EXPECT_EQ(OM::OM_object_of_tag(stressOffset), nullptr);
}

TEST_F(DrawPunchBuild, ACurveIsSmoothWhenATrialSheetOfItHasAtMostEightFaces) {
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  const double up[3] = {0, 0, 1};
  struct Row {
    int segments;
    bool rough;
  };
  for (const Row& row : {Row{12, true}, Row{9, true}, Row{8, false}, Row{6, false}}) {
    std::vector<double> points;
    for (int i = 0; i <= row.segments; ++i) points.insert(points.end(), {10.0 * i, (i % 2) * 1.0, 0});
    const tag_t curve = ES_create_polyline(row.segments + 1, points.data());
    Host::ClearCalls();
    EXPECT_EQ(punch->CheckCurveSmooth(curve, up), row.rough) << row.segments;
    // A sheet (body style 1) from 0.0 to 10.0, left behind in no case.
    std::string texts;
    for (const std::string& args : ArgsOf("Expression")) texts += args.substr(args.rfind(' ')) + ";";
    EXPECT_EQ(texts, " \"0.0\"; \"10.0\";") << row.segments;
    const std::vector<std::string> settings = ArgsOf("Features.ExtrudeBuilder");
    EXPECT_NE(std::find_if(settings.begin(), settings.end(),
                           [](const std::string& a) { return a.find("operation=5 ") == 0 && a.find(" type=1") != a.npos; }),
              settings.end());
    int features = 0;
    for (tag_t t : Host::KeptInPart(part())) features += dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)) != nullptr;
    EXPECT_EQ(features, 0) << row.segments;
  }
  EXPECT_FALSE(punch->CheckCurveSmooth(0, up));
  punch->destroy();
}

// A rough punch curve (a 12-gon) is smoothed after its projection; an edit
// to a smooth one (a square) retires the smoothing.
TEST_F(DrawPunchBuild, ARoughPunchCurveIsSmoothedAndAnEditToASmoothOneRetiresTheSmoothing) {
  auto* punch = Punch(12);
  ASSERT_EQ(punch->commit(), 0);
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  const tag_t smoothing = Member(set, "QD$SMOOTH_PROJECT_PUNCH_CURVE");
  ASSERT_NE(smoothing, 0u);

  auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  const std::vector<tag_t> square = stamvik_inputs::PolygonLines(4, 30, 0, 0, 5);
  edit->GetPunchCurve()->set_tags(4, square.data());
  EXPECT_EQ(edit->commit(), 0);
  edit->destroy();
  EXPECT_EQ(Member(set, "QD$SMOOTH_PROJECT_PUNCH_CURVE"), 0u);
  EXPECT_EQ(OM::OM_object_of_tag(smoothing), nullptr);
}

TEST_F(DrawPunchBuild, AnEditRetiresTheCoreAndAStressSolidTooThinToMake) {
  auto* punch = Punch(12);
  punch->SetCoreDrawPunchOption(true);
  punch->SetWallThickness(20);
  // The smoothing of a rough curve gives a curve as rough (a 12-gon), so that the inner curve is smoothed too.
  std::vector<double> rough;
  for (int i = 0; i <= 12; ++i) rough.insert(rough.end(), {30 * std::cos(M_PI * i / 6), 30 * std::sin(M_PI * i / 6), 0});
  Host::SetAnswer("FREC_collect_all_dcurve.curve", ES_create_polyline(13, rough.data()));
  ASSERT_EQ(punch->commit(), 0);
  const tag_t set = punch->GetTfeatureSet();
  punch->destroy();
  const char* const core[3] = {"QD$SMOOTH_OFFSET_INNER_CURVE", "QD$OFFSET_CURVE_INNER", "QD$MAIN_INNER_SOLID"};
  tag_t made[3];
  for (int i = 0; i < 3; ++i) {
    made[i] = Member(set, core[i]);
    EXPECT_NE(made[i], 0u) << core[i];
  }
  // The core's wall lies outwards of the relief: the punch curve offset by 8 + 20.
  if (auto* inner = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(made[1])); inner != nullptr) {
    auto* offset = ModlCurveJA::OffsetCurveBuilderFactory::Create(modelPart(), inner);
    EXPECT_EQ(EXP_ask_value_of_exp(offset->GetDistance()), 28.0);
    offset->destroy();
  }

  auto* plain = DieDesDrawPunchBuilderFactory::Create(set, part());
  // Read back: the core, and its wall as the inner offset less the relief.
  EXPECT_TRUE(plain->GetCoreDrawPunchOption());
  EXPECT_EQ(plain->GetWallThickness(), 20.0);
  plain->SetCoreDrawPunchOption(false);
  Host::ClearCalls();
  ASSERT_EQ(plain->commit(), 0);
  plain->destroy();
  for (int i = 0; i < 3; ++i) EXPECT_EQ(OM::OM_object_of_tag(made[i]), nullptr) << core[i];

  const tag_t stress = Member(set, "QD$MAIN_STRESS_SOLID");
  ASSERT_NE(stress, 0u);
  auto* thin = DieDesDrawPunchBuilderFactory::Create(set, part());
  thin->SetBaseThickness(0.5 * TOLER_ask_distance_tol());
  ASSERT_EQ(thin->commit(), 0);
  thin->destroy();
  EXPECT_EQ(OM::OM_object_of_tag(stress), nullptr);
  EXPECT_EQ(Member(set, "QD$MAIN_STRESS_SOLID"), 0u);
}

TEST_F(DrawPunchBuild, TheFlangeProjectionIsPlacedAfterThePunchsAlsoWhenCreatingTheMainWallsOnlyWhenEditing) {
  auto* punch = Punch(4);
  auto square = [](double size) {
    const double p[] = {-size, -size, 5, size, -size, 5, size, size, 5, -size, size, 5, -size, -size, 5};
    return ES_create_polyline(5, p);
  };
  // The wall's corners lie 12 / sqrt 2 from the diamond's sides, past the relief of 8.
  const tag_t flange = square(40), wall = square(9);
  punch->GetFlangeProfile()->add_loop(SC_section::kClosed, 1, &flange);
  auto after = [&](tag_t set, const char* title) {
    return "feature=" + std::to_string(Member(set, title)) +
           " reference=" + std::to_string(Member(set, "QD$PROJECT_CURVE_PUNCH")) + " mode=2";
  };
  Host::ClearCalls();
  ASSERT_EQ(punch->commit(), 0);
  const tag_t set = punch->GetTfeatureSet();
  EXPECT_EQ(stamvik_test::Placements(), std::vector<std::string>{after(set, "QD$PROJECT_CURVE_FLANGE")});
  punch->destroy();

  // An edit that brings a main wall places it; the flange, found, stays where it is.
  auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  // A flange of one closed curve was projected as it is, and reads back so.
  int count = 0;
  tag_t* read = nullptr;
  edit->AskSCEntities(edit->GetFlangeProfile()->OmTag(), &count, &read);
  EXPECT_EQ(std::vector<tag_t>(read, read + count), std::vector<tag_t>{flange});
  SM_free(read);
  // Given again as a script gives it, the section emptied first.
  EXPECT_EQ(Script::Section_Clear(edit->GetFlangeProfile()), 0);
  edit->GetFlangeProfile()->add_loop(SC_section::kClosed, 1, &flange);
  edit->GetMainWallCenterLine()->add_loop(SC_section::kClosed, 1, &wall);
  Host::ClearCalls();
  ASSERT_EQ(edit->commit(), 0);
  EXPECT_EQ(stamvik_test::Placements(), std::vector<std::string>{after(set, "QD$PROJECT_CURVE_MAINWALL_CLINE")});
  edit->destroy();
}

}  // namespace
