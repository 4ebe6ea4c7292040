// The draw punch builder: a new punch's inputs, the role titles it gives
// features, and the frame of its build (work layer, status texts, failures).
#include <algorithm>
#include <string>
#include <vector>

#include "ModelInputs.hpp"
#include "TestSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

using namespace KTX;
using stamvik_test::ArgsOf;
using namespace KTX::Tooling;

namespace {

class DrawPunch : public stamvik_test::SessionHostTest {
 protected:
  // A feature set of new features, each titled as a punch build titles them.
  tag_t SetOf(const std::vector<std::string>& titles, std::vector<tag_t>* features = nullptr) {
    auto* titler = DieDesDrawPunchBuilderFactory::Create(0, part());
    std::vector<tag_t> made;
    for (const std::string& title : titles) {
      made.push_back(FEATURE_RECORD::Create(nullptr, nullptr)->OmTag());
      titler->AddHideIntAttr(made.back(), title);
    }
    titler->destroy();
    if (features != nullptr) *features = made;
    return TOOLING_create_user_defined_feature_set(made.data(), static_cast<int>(made.size()), 1, 0, "Draw Punch");
  }
  std::vector<tag_t> JoinFeatures() const {
    std::vector<tag_t> out;
    for (tag_t t : Host::KeptInPart(part()))
      if (auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)))
        if (dynamic_cast<CRV_JOIN_feature_parms*>(frec->ask_parms()) != nullptr) out.push_back(t);
    return out;
  }
  static std::vector<tag_t> Members(tag_t set) {
    int count = 0;
    tag_t* members = nullptr;
    FSET_ask_group_members(set, &count, &members);
    std::vector<tag_t> out(members, members + count);
    SM_free(members);
    return out;
  }
  static bool Setting(int (JAM::SessionModeling_Interface::*get)(bool*)) {
    bool value = false;
    (static_cast<JAM::SessionModeling_Interface*>(
         JAM::ClassInitializer::GetUnjournalledInterface("Preferences.SessionModeling"))->*get)(&value);
    return value;
  }
  static JAM::LayerManager_Interface* Layers() {
    return static_cast<JAM::LayerManager_Interface*>(
        JAM::ClassInitializer::GetUnjournalledInterface("Layer.LayerManager"));
  }
};

TEST_F(DrawPunch, ANewPunchHoldsEmptySelectionsAndTwoSectionsAtTheSessionTolerances) {
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  ASSERT_NE(punch->GetSheetBody(), nullptr);
  ASSERT_NE(punch->GetSheetBodyDeck(), nullptr);
  ASSERT_NE(punch->GetPunchCurve(), nullptr);
  EXPECT_NE(punch->GetSheetBody(), punch->GetSheetBodyDeck());
  EXPECT_EQ(punch->GetPunchCurve()->ask_count(), 0);
  ASSERT_NE(punch->GetMainWallCenterLine(), nullptr);
  ASSERT_NE(punch->GetFlangeProfile(), nullptr);
  EXPECT_NE(punch->GetMainWallCenterLine(), punch->GetFlangeProfile());
  for (SC_section* section : {punch->GetMainWallCenterLine(), punch->GetFlangeProfile()}) {
    double chaining = 0, distance = 0, angle = 0;
    section->ask_tolerances(&chaining, &distance, &angle);
    EXPECT_DOUBLE_EQ(chaining, 0.0095);
    EXPECT_DOUBLE_EQ(distance, 0.01);
    EXPECT_DOUBLE_EQ(angle, 0.5);
  }
  EXPECT_EQ(punch->GetTfeatureSet(), 0u);
  EXPECT_EQ(punch->validate_nothrow(), 0);
  punch->destroy();
}

TEST_F(DrawPunch, RoleTitlesAreHiddenIntegersOfValueZero) {
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  auto* feature = FEATURE_RECORD::Create(nullptr, nullptr);
  auto* other = FEATURE_RECORD::Create(nullptr, nullptr);
  EXPECT_FALSE(punch->AddHideIntAttr(0, "QD$PUNCH_JOIN_CURVE"));
  EXPECT_FALSE(punch->AddHideIntAttrObj(nullptr, "QD$PUNCH_JOIN_CURVE"));
  EXPECT_TRUE(punch->AddHideIntAttr(feature->OmTag(), "QD$PUNCH_JOIN_CURVE"));
  EXPECT_TRUE(punch->AddHideIntAttrObj(other, "QD$MAIN_OUTER_SOLID"));
  // A second title on the same feature keeps the first.
  EXPECT_TRUE(punch->AddHideIntAttr(feature->OmTag(), "QD$ROUGH_OFFSET_TOP"));
  struct Row {
    FEATURE_RECORD* feature;
    const char* title;
    bool present;
  };
  const Row rows[] = {{feature, "QD$PUNCH_JOIN_CURVE", true},
                      {feature, "QD$ROUGH_OFFSET_TOP", true},
                      {other, "QD$MAIN_OUTER_SOLID", true},
                      {other, "QD$PUNCH_JOIN_CURVE", false}};
  for (const Row& row : rows) {
    int value = -1;
    bool hidden = false;
    EXPECT_EQ(ATTR_ask_int(row.feature->OmTag(), row.title, &value, &hidden), row.present) << row.title;
    if (row.present) {
      EXPECT_EQ(value, 0) << row.title;
      EXPECT_TRUE(hidden) << row.title;
    }
  }
  punch->destroy();
}

TEST_F(DrawPunch, TheBuildRunsOnLayer251AndPutsTheWorkLayerBack) {
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  ASSERT_EQ(Layers()->SetWorkLayer(0, 7), 0);
  Host::ClearCalls();
  EXPECT_EQ(punch->CreateDrawDiePunch(), 3030583);  // no sheet: the rough offsets fail
  EXPECT_EQ(ArgsOf("LayerManagerSetWorkLayer"),
            (std::vector<std::string>{"part=" + std::to_string(part()->OmTag()) + " layer=251",
                                      "part=" + std::to_string(part()->OmTag()) + " layer=7"}));
  EXPECT_EQ(ArgsOf("LayerManagerMoveToLayer").size(), 1u);
  int layer = 0;
  EXPECT_EQ(Layers()->AskWorkLayer(0, &layer), 0);
  EXPECT_EQ(layer, 7);
  EXPECT_EQ(ArgsOf("mtStatusAreaImmediate"), (std::vector<std::string>{"Process input curves successfully."}));
  EXPECT_EQ(punch->GetFinalPunchCurve(), 0u);
  punch->destroy();
}

TEST_F(DrawPunch, WithoutAPunchCurveTheBuildStopsAtTheProjectionAndReportsIt) {
  // The sheet itself is the top, the deck the bottom and, at the deck's thickness, the belt too.
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  const double o[3] = {0, 0, 0};
  punch->GetSheetBody()->set_selected_tag(ES_create_point(o));
  punch->GetSheetBodyDeck()->set_selected_tag(ES_create_point(o));
  punch->SetExactSheetbodyOption(true);
  punch->SetDeckThickness(2.0);
  punch->SetBeltThickness(2.0 + 0.5 * TOLER_ask_distance_tol());
  Error::ClearSevereErrors();
  Host::ClearCalls();
  EXPECT_EQ(punch->CreateDrawDiePunch(), 3030584);
  EXPECT_EQ(ArgsOf("mtStatusAreaImmediate"),
            (std::vector<std::string>{"Process input curves successfully.", "Create rough offset sheets successfully."}));
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 3030584);
  EXPECT_EQ(Error::SevereErrors()[0].line, 462);
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 0);
  int layer = 0;
  EXPECT_EQ(Layers()->AskWorkLayer(0, &layer), 0);
  EXPECT_EQ(layer, 1);
  punch->destroy();
}

TEST_F(DrawPunch, ACommitOfNothingMakesNoSetAndLeavesTheSessionAsItWas) {
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  punch->SetReliefDistanse(8);  // a relief of 0 would be refused before the build
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 3030583);  // no sheet to offset
  EXPECT_EQ(punch->GetTfeatureSet(), 0u);
  EXPECT_TRUE(Host::FeatureSetsOfPart(part()).empty());
  EXPECT_EQ(Host::CountCalls("SessionModeling"), 0u);
  EXPECT_EQ(ArgsOf("DSS_set_suppress_display"), (std::vector<std::string>{"3", "2"}));
  EXPECT_EQ(Host::CountCalls("OM_destroy"), 2u);  // the two object sets
  EXPECT_EQ(punch->GetFrecSet(), nullptr);
  EXPECT_EQ(punch->GetFrecSetToDelete(), nullptr);
  punch->destroy();
}

TEST_F(DrawPunch, AnEditHoldsThreeSessionSettingsOffAndPutsThemBack) {
  auto* member = FEATURE_RECORD::Create(nullptr, nullptr);
  const tag_t members[1] = {member->OmTag()};
  const tag_t set = TOOLING_create_user_defined_feature_set(members, 1, 1, 0, "Draw Punch");
  auto* settings = static_cast<JAM::SessionModeling_Interface*>(
      JAM::ClassInitializer::GetUnjournalledInterface("Preferences.SessionModeling"));
  settings->SetLogical80(false);  // one of the three was off already and stays so
  auto* punch = DieDesDrawPunchBuilderFactory::Create(set, part());
  punch->SetReliefDistanse(8);
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 3030583);
  EXPECT_EQ(ArgsOf("SessionModeling"),
            (std::vector<std::string>{"operation=90 value=false", "operation=80 value=false",
                                      "operation=82 value=false", "operation=90 value=true",
                                      "operation=80 value=false", "operation=82 value=true"}));
  EXPECT_FALSE(Setting(&JAM::SessionModeling_Interface::GetLogical79));
  EXPECT_TRUE(Setting(&JAM::SessionModeling_Interface::GetLogical81));
  EXPECT_TRUE(Setting(&JAM::SessionModeling_Interface::GetLogical89));
  EXPECT_EQ(ArgsOf("DSS_set_suppress_display"), (std::vector<std::string>{"3", "2"}));
  EXPECT_EQ(punch->GetTfeatureSet(), set);
  punch->destroy();
}

TEST_F(DrawPunch, MachiningFacesTakeTheTitleOfTheirKindsCustomerDefault) {
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  const double o[3] = {0, 0, 0};
  const tag_t face = ES_create_point(o);
  Host::SetCustomerDefault("MFM_Refined_Attribute", std::string("REFINED"));
  Host::SetCustomerDefault("MFM_Rough_Attribute", std::string("ROUGH_FACE"));
  struct Row {
    tag_t face;
    int kind;
    bool result;
    const char* title;  // the attribute it sets, or none
  };
  const Row rows[] = {
      {face, 0, false, nullptr}, {face, 4, false, nullptr},         {0, 2, false, nullptr},
      {face, 3, false, nullptr},  // no default of that name
      {face, 2, true, "ROUGH_FACE"}, {face, 1, true, "REFINED"},
  };
  for (const Row& row : rows) {
    Host::ClearCalls();
    EXPECT_EQ(punch->AddAttributetoFace(row.face, row.kind), row.result) << row.kind;
    const std::vector<std::string> set = ArgsOf("ATTR_set_int");
    if (row.title == nullptr) {
      EXPECT_TRUE(set.empty()) << row.kind;
      continue;
    }
    int value = -1;
    bool hidden = true;
    EXPECT_TRUE(ATTR_ask_int(face, row.title, &value, &hidden));
    EXPECT_EQ(value, 0);
    EXPECT_FALSE(hidden);
  }
  EXPECT_EQ(ArgsOf("TOOLING_get_customer_default").back(), "0 MFM_Refined_Attribute 0 0");
  punch->destroy();
}

TEST_F(DrawPunch, ACommitJoinsALoopGroupsItAndAnEditKeepsOrRetiresTheJoin) {
  // A square of four lines 40 wide, 5 above the base plane, selected out of order.
  const double p[5][3] = {{0, 0, 5}, {40, 0, 5}, {40, 40, 5}, {0, 40, 5}, {0, 0, 5}};
  tag_t lines[4];
  for (int i = 0; i < 4; ++i) lines[i] = ES_create_line_in_part(nullptr, p[i], p[i + 1]);
  const tag_t shuffled[4] = {lines[2], lines[0], lines[3], lines[1]};
  const int layerBefore = 9;
  ASSERT_EQ(Layers()->SetWorkLayer(0, layerBefore), 0);
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  punch->GetPunchCurve()->set_tags(4, shuffled);
  stamvik_inputs::SetExampleSizes(punch);
  // Without a sheet the build stops at the rough offsets: the join it made is taken back.
  EXPECT_EQ(punch->commit(), 3030583);
  EXPECT_TRUE(JoinFeatures().empty());
  EXPECT_TRUE(Host::FeatureSetsOfPart(part()).empty());
  EXPECT_EQ(punch->GetFinalPunchCurve(), 0u);

  // With a sheet 20 above the base plane it is built.
  punch->GetSheetBody()->set_selected_tag(
      ES_create_body_with_faces(nullptr, true, {FaceFrame{{-50, -50, 20}, {100, 0, 0, 0, 100, 0, 0, 0, 1}}}));
  punch->SetBasePlane(stamvik_inputs::PlaneAt(0));
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 0);
  const std::vector<tag_t> joins = JoinFeatures();
  ASSERT_EQ(joins.size(), 1u);
  const tag_t join = joins[0];
  int value = -1;
  bool hidden = false;
  EXPECT_TRUE(ATTR_ask_int(join, "QD$PUNCH_JOIN_CURVE", &value, &hidden));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(hidden);
  const std::vector<std::string> finished = ArgsOf("Features.Feature");
  EXPECT_EQ(finished.front(), "operation=13 feature=" + std::to_string(join));
  ASSERT_EQ(Host::FeatureSetsOfPart(part()).size(), 1u);
  const tag_t set = Host::FeatureSetsOfPart(part())[0];
  EXPECT_EQ(punch->GetTfeatureSet(), set);
  const std::vector<tag_t> members = Members(set);
  EXPECT_EQ(std::count(members.begin(), members.end(), join), 1);
  int count = 0;
  tag_t* curves = nullptr;
  ASSERT_EQ(FREC_collect_all_dcurve(join, &count, &curves), 0);
  ASSERT_GE(count, 1);
  EXPECT_EQ(punch->GetFinalPunchCurve(), curves[0]);
  SM_free(curves);
  EXPECT_EQ(ArgsOf("mtStatusAreaImmediate").front(), "Process input curves successfully.");
  int layer = 0;
  EXPECT_EQ(Layers()->AskWorkLayer(0, &layer), 0);
  EXPECT_EQ(layer, layerBefore);

  // Again: an edit. The settings are held off and put back, and the join found by its title is edited.
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 0);
  EXPECT_EQ(ArgsOf("SessionModeling"),
            (std::vector<std::string>{"operation=90 value=false", "operation=80 value=false",
                                      "operation=82 value=false", "operation=90 value=true",
                                      "operation=80 value=true", "operation=82 value=true"}));
  EXPECT_EQ(JoinFeatures(), (std::vector<tag_t>{join}));
  EXPECT_EQ(Members(set), members);

  // One closed curve instead: it is the punch curve itself, and the old join goes at the end of the commit.
  const tag_t ring = ES_create_polyline(5, &p[0][0]);
  punch->GetPunchCurve()->set_tags(1, &ring);
  EXPECT_EQ(punch->commit(), 0);
  EXPECT_EQ(punch->GetFinalPunchCurve(), ring);
  EXPECT_TRUE(JoinFeatures().empty());
  EXPECT_EQ(OM::OM_object_of_tag(join), nullptr);
  punch->destroy();
}

TEST_F(DrawPunch, ReliefAngleAndSheetOptionAreReadBackFromTheSet) {
  struct Row {
    const char* what;
    std::vector<std::string> titles;
    ChamferValues chamfer;
    double angle;
    bool exact;
    double allowance;
  };
  const Row rows[] = {
      {"chamfer 4 by 3", {"QD$CHAMFER_BELT", "QD$ROUGH_OFFSET_TOP"}, {"4.0", "3.0", "0"}, 36.86989827477668, false,
       -1.25},
      {"first offset 0", {"QD$ROUGH_OFFSET_TOP", "QD$CHAMFER_BELT"}, {"0", "3.0", "0"}, 90.0, false, -1.25},
      // The limit 1e-10 is still 0; just past it the angle is taken (180 times 0.31830989161357204 a
      // radian is a hair more than 90 degrees); a negative first offset keeps its sign.
      {"first offset 1e-10", {"QD$CHAMFER_BELT"}, {"0.0000000001", "3.0", "0"}, 90.0, true, 2.5},
      {"first offset 2e-10", {"QD$CHAMFER_BELT"}, {"0.0000000002", "3.0", "0"}, 90.0000015314148, true, 2.5},
      {"first offset -4", {"QD$CHAMFER_BELT"}, {"-4.0", "3.0", "0"}, -36.86989827477668, true, 2.5},
      {"no chamfer, no top offset", {"QD$MAIN_OUTER_SOLID"}, {}, 0.0, true, 2.5},
  };
  Host::SetRealAnswer("RSO_init_data_with_option.distance", -1.25);
  for (const Row& row : rows) {
    std::vector<tag_t> features;
    const tag_t set = SetOf(row.titles, &features);
    for (std::size_t i = 0; i < row.titles.size(); ++i)
      if (row.titles[i] == "QD$CHAMFER_BELT") Host::SetChamferValues(features[i], row.chamfer);
    auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
    punch->SetReliefAngle(7.0);
    punch->SetMachiningAllowance(2.5);
    punch->SetTfeatureSet(set);
    punch->ConvertFrecToMiscellaneous(set);
    EXPECT_DOUBLE_EQ(punch->GetReliefAngle(), row.angle) << row.what;
    EXPECT_EQ(punch->GetExactSheetbodyOption(), row.exact) << row.what;
    EXPECT_DOUBLE_EQ(punch->GetMachiningAllowance(), row.allowance) << row.what;
    EXPECT_FALSE(punch->GetCoreDrawPunchOption()) << row.what;
    punch->destroy();
  }
}

TEST_F(DrawPunch, SheetsAndThicknessesAreReadBackFromTheRoughOffsets) {
  const double o[3] = {0, 0, 0};
  const tag_t sheet = ES_create_point(o);
  const tag_t deck = ES_create_point(o);
  Host::SetAnswer("RSO_init_data_with_option.sheet", sheet);
  Host::SetRealAnswer("RSO_init_data_with_option.distance", -3.0);

  // A bottom offset gives the sheet and the deck thickness, and the belt's too without a belt offset.
  auto* punch = DieDesDrawPunchBuilderFactory::Create(SetOf({"QD$ROUGH_OFFSET_BOTTOM"}), part());
  EXPECT_EQ(punch->GetSheetBody()->ask_selected_tag(), sheet);
  EXPECT_DOUBLE_EQ(punch->GetDeckThickness(), 3.0);
  EXPECT_DOUBLE_EQ(punch->GetBeltThickness(), 3.0);
  punch->destroy();

  // Offsets away from the die face's far side, as a set made before the
  // thicknesses were checked may hold, are read back as the thicknesses
  // they were made of, and the commit refuses them.
  Host::SetRealAnswer("RSO_init_data_with_option.distance", 3.0);
  punch = DieDesDrawPunchBuilderFactory::Create(SetOf({"QD$ROUGH_OFFSET_BOTTOM"}), part());
  EXPECT_DOUBLE_EQ(punch->GetDeckThickness(), -3.0);
  EXPECT_DOUBLE_EQ(punch->GetBeltThickness(), -3.0);
  EXPECT_EQ(punch->commit(), 3030606);
  punch->destroy();
  Host::SetRealAnswer("RSO_init_data_with_option.distance", -3.0);

  // A deck sheet instead of a bottom offset: the sheet comes from the outer
  // solid's end limit and a belt offset's thickness is kept. The deck is the
  // inner solid's end (it runs up to the deck), or the belt solid's end
  // where the belt is the deck (no belt offset): with a belt offset the belt
  // solid ends on that, no deck. A tag an earlier build kept in an
  // attribute is no reference the host keeps from one session to the next:
  // it is not read.
  Host::SetAnswer("RSO_init_data_with_option.sheet", 0);
  struct Row {
    const char* what;
    std::vector<std::string> titles;  // after the outer and the belt solid
    bool kept;                        // the outer solid keeps the deck's tag, as an earlier build did
    tag_t deck;
    double belt;
    std::size_t builders;  // opened and destroyed: the end limits read, the belt solid's offset for the relief
  };
  const Row rows[] = {
      {"a belt offset", {"QD$ROUGH_OFFSET_BELT"}, false, 0, 3.0, 2},
      {"the belt on the deck", {}, false, deck, 0.0, 3},
      {"a belt offset and an inner solid", {"QD$ROUGH_OFFSET_BELT", "QD$MAIN_INNER_SOLID"}, false, deck, 3.0, 3},
      {"a belt offset and the deck's tag kept", {"QD$ROUGH_OFFSET_BELT"}, true, 0, 3.0, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<std::string> titles = {"QD$MAIN_OUTER_SOLID", "QD$MAIN_BELT_SOLID"};
    titles.insert(titles.end(), row.titles.begin(), row.titles.end());
    std::vector<tag_t> features;
    const tag_t set = SetOf(titles, &features);
    ExtrudeValues ends;
    ends.endType = 2;
    ends.endObject = sheet;
    Host::SetExtrudeValues(features[0], ends);
    ends.endObject = deck;
    for (std::size_t i = 1; i < features.size(); ++i) Host::SetExtrudeValues(features[i], ends);
    if (row.kept) {
      Attr::UserAttributeDescriptor descriptor;
      descriptor.title = "QD$DECK_SHEET";
      descriptor.hidden = true;
      Attr::UserAttributeValue value;
      value.integer = static_cast<int>(deck);
      EXPECT_TRUE(Attr::SetUserAttribute(features[0], descriptor, value));
    }
    Host::ClearCalls();
    punch = DieDesDrawPunchBuilderFactory::Create(set, part());
    EXPECT_EQ(punch->GetSheetBody()->ask_selected_tag(), sheet);
    EXPECT_EQ(punch->GetSheetBodyDeck()->ask_selected_tag(), row.deck);
    EXPECT_DOUBLE_EQ(punch->GetDeckThickness(), 0.0);
    EXPECT_DOUBLE_EQ(punch->GetBeltThickness(), row.belt);
    const std::vector<std::string> destroyed = ArgsOf("Builder");
    EXPECT_EQ(destroyed.size(), row.builders);
    for (const std::string& call : destroyed) EXPECT_NE(call, "operation=2 builder=0");
    punch->destroy();
  }
}

TEST_F(DrawPunch, AnEditedSetGivesBackTheProfileTheUserSelected) {
  const double p[5][3] = {{0, 0, 5}, {10, 0, 5}, {10, 10, 5}, {0, 10, 5}, {0, 0, 5}};
  tag_t lines[4];
  for (int i = 0; i < 4; ++i) lines[i] = ES_create_line_in_part(nullptr, p[i], p[i + 1]);
  const double o[3] = {0, 0, 0}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t plane = ES_create_plane(o, m);
  auto* punch = DieDesDrawPunchBuilderFactory::Create(0, part());
  punch->GetPunchCurve()->set_tags(4, lines);
  punch->SetBasePlane(plane);
  // The sheet is the top, the deck the bottom and the belt: no rough offset is needed.
  punch->GetSheetBody()->set_selected_tag(ES_create_point(o));
  punch->GetSheetBodyDeck()->set_selected_tag(ES_create_point(o));
  punch->SetExactSheetbodyOption(true);
  punch->SetReliefAngle(60);  // a relief angle of 0 is no chamfer
  punch->SetReliefDistanse(2);  // one of 0 would leave the belt no thickness
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 0);
  EXPECT_EQ(ArgsOf("mtStatusAreaImmediate").back(), "Create draw punch chamfer successfully.");
  const tag_t set = punch->GetTfeatureSet();
  // The join, the projection, the outer and the belt solids, the chamfer
  // round the belt, and the member that keeps the deck.
  EXPECT_EQ(Members(set).size(), 6u);
  punch->destroy();

  auto* edit = DieDesDrawPunchBuilderFactory::Create(set, part());
  std::vector<tag_t> picked;
  for (int i = 0; i < edit->GetPunchCurve()->ask_count(); ++i) picked.push_back(edit->GetPunchCurve()->ask_nth(i));
  std::sort(picked.begin(), picked.end());
  EXPECT_EQ(picked, std::vector<tag_t>(lines, lines + 4));
  EXPECT_TRUE(edit->GetExactSheetbodyOption());
  edit->destroy();
}

}  // namespace
