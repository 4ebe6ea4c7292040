// The draw die builder: the punch builder it owns, its commit around the
// build (session settings, display suppression, grouping, failures), and its
// inputs read back from the features of an edited set.
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "pref/SessionInterfaces.hpp"
#include "script/PartReport.hpp"
#include "sys/Failure.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

using namespace KTX;
using stamvik_test::ArgsOf;
using namespace KTX::Tooling;

namespace {

class DrawDie : public stamvik_test::SessionHostTest {
 protected:
  void TearDown() override {
    Failure::Off();
    SessionHostTest::TearDown();
  }
  static tag_t Titled(const char* title) {
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(nullptr, nullptr);
    ATTR_set_int(frec->OmTag(), title, 0, true);
    return frec->OmTag();
  }
  static tag_t SetOf(const std::vector<tag_t>& features) {
    return TOOLING_create_user_defined_feature_set(features.data(), static_cast<int>(features.size()), 1, 1,
                                                   "DrawDie");
  }
  // A list's tags, in order.
  static std::vector<tag_t> Tags(const SELECT_OBJECT_list* list) {
    std::vector<tag_t> out;
    for (int i = 0; i < list->ask_count(); ++i) out.push_back(list->ask_nth(i));
    return out;
  }
  static JAM::SessionModeling_Interface* Settings() {
    return static_cast<JAM::SessionModeling_Interface*>(
        JAM::ClassInitializer::GetUnjournalledInterface("Preferences.SessionModeling"));
  }
  static std::vector<bool> HeldSettings() {
    bool a = false, b = false, c = false;
    Settings()->GetLogical89(&a);
    Settings()->GetLogical79(&b);
    Settings()->GetLogical81(&c);
    return {a, b, c};
  }
};

TEST_F(DrawDie, ANewDieOwnsOneNewPunchAndDestroysItThroughTheBuilderInterface) {
  auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
  DieDesDrawPunchBuilder* punch = die->GetDrawPunchBuilder();
  ASSERT_NE(punch, nullptr);
  EXPECT_EQ(punch->GetTfeatureSet(), 0u);
  ASSERT_NE(die->GetSheetBody(), nullptr);
  const std::vector<SELECT_OBJECT_list*> lists = {die->GetPunchCurve(), die->GetBlankCurve(), die->GetFlangeCurve()};
  for (std::size_t i = 0; i < lists.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NE(lists[i], nullptr) << i;
    if (lists[i] == nullptr) continue;
    EXPECT_EQ(lists[i]->ask_count(), 0) << i;
    for (std::size_t j = 0; j < i; ++j) EXPECT_NE(lists[i], lists[j]);
  }
  EXPECT_EQ(die->validate_nothrow(), 0);
  const tag_t punchTag = punch->OmTag();
  Host::ClearCalls();
  die->destroy();
  EXPECT_EQ(ArgsOf("Builder"), (std::vector<std::string>{"operation=2 builder=" + std::to_string(punchTag)}));
  EXPECT_EQ(OM::OM_object_of_tag(punchTag), nullptr);
}

TEST_F(DrawDie, ADieWhosePunchCouldNotBeMadeCommitsNothing) {
  // The first failing call the die survives is one of its punch's making.
  DieDesDrawDieBuilder* die = nullptr;
  for (long long n = 1; die == nullptr && n < 100; ++n) {
    Failure::FailAt(Failure::kHostCall, n);
    RaisedCode([&] { die = DieDesDrawDieBuilderFactory::Create(0, part()); });
    Failure::Off();
  }
  ASSERT_NE(die, nullptr);
  EXPECT_EQ(die->GetDrawPunchBuilder(), nullptr);
  ASSERT_FALSE(Error::SevereErrors().empty());
  EXPECT_EQ(Error::SevereErrors().back().line, 129);
  EXPECT_NE(die->GetFlangeCurve(), nullptr);
  Host::ClearCalls();
  EXPECT_EQ(die->commit(), 0);
  EXPECT_TRUE(Host::Calls().empty());
  EXPECT_TRUE(Host::FeatureSetsOfPart(part()).empty());
  die->destroy();
  EXPECT_TRUE(ArgsOf("Builder").empty());
}

TEST_F(DrawDie, AnEditCommitPutsTheSettingsAndTheDisplayBackWhereverItFails) {
  const tag_t set = SetOf({Titled("QD$ROUGH_OFFSET_TOP")});
  Settings()->SetLogical80(false);  // one of the three is off already and stays so
  const std::vector<bool> before = HeldSettings();
  auto* die = DieDesDrawDieBuilderFactory::Create(set, part());
  // The calls of one commit, whatever it gives: each is failed in turn below.
  Failure::Count(Failure::kHostCall);
  const int plain = die->commit();
  const long long calls = Failure::Off();
  ASSERT_GT(calls, 4);
  EXPECT_EQ(HeldSettings(), before);
  int failed = 0;
  for (long long n = 1; n <= calls; ++n) {
    Settings()->SetLogical90(before[0]);
    Settings()->SetLogical80(before[1]);
    Settings()->SetLogical82(before[2]);
    Host::ClearCalls();
    Failure::FailAt(Failure::kHostCall, n);
    const int status = die->commit();
    Failure::Off();
    const std::string call = Failure::FailedCall();
    if (status != plain) ++failed;
    // Only a setting whose own putting back failed may stay off.
    const std::vector<bool> after = HeldSettings();
    int changed = 0;
    for (std::size_t i = 0; i < 3; ++i) changed += after[i] != before[i] ? 1 : 0;
    EXPECT_LE(changed, call == "SessionModeling" ? 1 : 0) << n << " " << call;
    const std::vector<std::string> display = ArgsOf("DSS_set_suppress_display");
    if (!display.empty() && call != "DSS_set_suppress_display") {
      EXPECT_EQ(display.back(), "2") << n << " " << call;
    }
    EXPECT_EQ(die->GetFrecSet(), nullptr) << call;
    EXPECT_EQ(die->GetFrecSetToDelete(), nullptr) << call;
    EXPECT_EQ(die->GetTfeatureSet(), set) << call;
  }
  EXPECT_GT(failed, 0);  // a failure is reported, not turned into success
  die->destroy();
}

TEST_F(DrawDie, WhatABuildMadeBeforeItStoppedIsTakenBackAlsoFromASetThatHasNoMembersLeft) {
  auto lines = [](double size) {
    const double c[5][3] = {{0, 0, 0}, {size, 0, 0}, {size, size, 0}, {0, size, 0}, {0, 0, 0}};
    std::vector<tag_t> sides;
    for (int i = 0; i < 4; ++i) sides.push_back(ES_create_line_in_part(nullptr, c[i], c[i + 1]));
    return sides;
  };
  const std::vector<tag_t> punchSides = lines(10), blankSides = lines(20);
  // A set whose only member is gone, and a new die.
  const tag_t gone = Titled("QD$STRESS_SOLID");
  const tag_t emptied = SetOf({gone});
  ASSERT_EQ(TOOLING_delete_feature(1, &gone), 0);
  for (const tag_t editing : {tag_t{0}, emptied}) {
    auto* die = DieDesDrawDieBuilderFactory::Create(editing, part());
    die->GetPunchCurve()->set_tags(4, punchSides.data());
    die->GetBlankCurve()->set_tags(4, blankSides.data());
    const double o[3] = {0, 0, 0}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    die->SetBasePlane(ES_create_plane(o, m));
    const std::string before = Script::DescribePart(part());
    // The sheet gives no rough offset: the build stops after joining the profiles, and the joins go.
    EXPECT_EQ(die->commit(), 3030593) << editing;
    EXPECT_EQ(die->GetTfeatureSet(), editing);
    EXPECT_EQ(Script::DescribePart(part()), before) << editing;
    if (editing != 0) {
      auto* set = dynamic_cast<FSET_feature_set*>(OM::OM_object_of_tag(editing));
      ASSERT_NE(set, nullptr);
      EXPECT_TRUE(set->ask_members().empty());
    }
    die->destroy();
  }
}

TEST_F(DrawDie, InputsAreReadBackFromTheMembersOfTheSet) {
  struct Row {
    const char* what;
    std::vector<const char*> titles;
    std::string mainStartOffset;  // of the main-bottom-solid extrusion
    bool core;
    double wall;
    bool exact;
    double allowance;
    double base;
  };
  const Row rows[] = {
      {"an offset at the limit is no core", {"QD$MAIN_BOTTOM_SOLID", "QD$ROUGH_OFFSET_TOP"}, "1e-10", false, 2e-10,
       false, -1.5, 0.0},
      {"one past it is", {"QD$ROUGH_OFFSET_TOP", "QD$MAIN_BOTTOM_SOLID"}, "-1.1e-10", true, 2.2e-10, false, -1.5, 0.0},
      {"half the wall each way", {"QD$MAIN_BOTTOM_SOLID"}, "4.5", true, 9.0, true, 7.0, 0.0},
      {"no main solid, no top offset, a stress solid", {"QD$STRESS_SOLID"}, "", false, 3.0, true, 7.0, 25.0},
  };
  Host::SetRealAnswer("RSO_init_data_with_option.distance", -1.5);
  for (const Row& row : rows) {
    std::vector<tag_t> features;
    for (const char* title : row.titles) {
      features.push_back(Titled(title));
      ExtrudeValues values;
      values.startOffset = row.mainStartOffset;
      values.startValue = "0";
      values.endValue = "-25";
      Host::SetExtrudeValues(features.back(), values);
    }
    auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
    die->SetWallThickness(3.0);
    die->SetMachiningAllowance(7.0);
    die->SetBaseThickness(4.0);
    const tag_t set = SetOf(features);
    die->SetTfeatureSet(set);
    EXPECT_EQ(die->ConvertFrecToBuilderData(set), 0);
    EXPECT_EQ(die->GetCoreDrawDieOption(), row.core) << row.what;
    EXPECT_DOUBLE_EQ(die->GetWallThickness(), row.wall) << row.what;
    EXPECT_EQ(die->GetExactSheetbodyOption(), row.exact) << row.what;
    EXPECT_DOUBLE_EQ(die->GetMachiningAllowance(), row.allowance) << row.what;
    EXPECT_DOUBLE_EQ(die->GetBaseThickness(), row.base) << row.what;
    die->destroy();
  }
}

TEST_F(DrawDie, ThePlaneAndTheCurvesAreReadBackAndAFlangeFromTheBlankEmptiesTheFlangeList) {
  const double o[3] = {0, 0, 0}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  // Two squares, the blank's around the punch's.
  auto square = [](double size) {
    const double c[5][3] = {{-size, -size, 5}, {size, -size, 5}, {size, size, 5}, {-size, size, 5}, {-size, -size, 5}};
    std::vector<tag_t> sides;
    for (int i = 0; i < 4; ++i) sides.push_back(ES_create_line_in_part(nullptr, c[i], c[i + 1]));
    return sides;
  };
  const std::vector<tag_t> punchSides = square(10), blankSides = square(20);
  const tag_t plane = ES_create_plane(o, m);
  const tag_t picked = punchSides[0];
  enum Flange { kFromBlank, kJoined, kProjected };
  struct Row {
    const char* what;
    Flange flange;
    std::vector<tag_t> flangeCurves;
    double flangeOffset;
  };
  const Row rows[] = {
      {"offset from the blank", kFromBlank, {}, 2.5},
      {"joined from the selection", kJoined, blankSides, 4.0},
      {"projected from one curve", kProjected, {blankSides[1]}, 4.0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
    DieDesDrawPunchBuilder* punch = die->GetDrawPunchBuilder();
    std::vector<tag_t> features;
    tag_t curve = 0, feature = 0;
    auto titled = [&](const char* title) {
      punch->AddHideIntAttr(feature, title);
      features.push_back(feature);
      feature = 0;  // the next operation makes a new feature
    };
    auto joinedAndProjected = [&](const std::vector<tag_t>& sides, const char* title) {
      tag_t joined = 0;
      EXPECT_EQ(punch->FeatJoinCurve(sides, {}, &joined, &feature), 0);
      feature = 0;
      EXPECT_EQ(punch->FeatProjectCurve(&joined, 1, plane, &curve, &feature), 0);
      titled(title);
    };
    joinedAndProjected(punchSides, "QD$PROJECT_CURVE_PUNCH");
    joinedAndProjected(blankSides, "QD$PROJECT_CURVE_BLANK");
    if (row.flange == kFromBlank) {
      tag_t offset = 0;
      EXPECT_EQ(punch->FeatOffsetCurve(curve, -2.5, &offset, &feature), 0);
      titled("QD$OFFSET_CURVE_BLANK_FLANGE");
    } else if (row.flange == kJoined) {
      EXPECT_EQ(punch->FeatJoinCurve(blankSides, {}, &curve, &feature), 0);
      titled("QD$FLANGE_JOIN_CURVE");
    } else {
      EXPECT_EQ(punch->FeatProjectCurve(&blankSides[1], 1, plane, &curve, &feature), 0);
      titled("QD$PROJECT_CURVE_FLANGE");
    }
    const tag_t set = SetOf(features);
    die->GetFlangeCurve()->set_tags(1, &picked);
    die->SetFlangeOffset(4.0);
    Host::ClearCalls();
    EXPECT_EQ(die->ConvertFrecToCurvePlane(set), 0);
    EXPECT_EQ(die->GetBasePlane(), plane) << row.what;
    EXPECT_EQ(Tags(die->GetPunchCurve()), punchSides) << row.what;
    EXPECT_EQ(Tags(die->GetBlankCurve()), blankSides) << row.what;
    EXPECT_EQ(Tags(die->GetFlangeCurve()), row.flangeCurves) << row.what;
    EXPECT_DOUBLE_EQ(die->GetFlangeOffset(), row.flangeOffset) << row.what;
    for (const std::string& destroyed : ArgsOf("Builder")) EXPECT_NE(destroyed, "operation=2 builder=0") << row.what;
    die->destroy();
  }
}

}  // namespace
