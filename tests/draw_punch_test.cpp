// The draw punch builder: a new punch's inputs, the role titles it gives
// features, and the frame of its build (work layer, status texts, failures).
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

using namespace KTX;
using namespace KTX::Tooling;

namespace {

class DrawPunch : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    Host::ResetSessionInterfaces();
  }
  void TearDown() override {
    Host::ResetSessionInterfaces();
    Host::ClearCustomerDefaults();
    Host::ForgetModelingValues();
    HostTest::TearDown();
  }
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
  static bool Setting(int (JAM::SessionModeling_Interface::*get)(bool*)) {
    bool value = false;
    (static_cast<JAM::SessionModeling_Interface*>(
         JAM::ClassInitializer::GetUnjournalledInterface("Preferences.SessionModeling"))->*get)(&value);
    return value;
  }
  static std::vector<std::string> Args(const std::string& name) {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name == name) out.push_back(c.args);
    return out;
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
  EXPECT_EQ(Args("LayerManagerSetWorkLayer"),
            (std::vector<std::string>{"part=" + std::to_string(part()->OmTag()) + " layer=251",
                                      "part=" + std::to_string(part()->OmTag()) + " layer=7"}));
  EXPECT_EQ(Args("LayerManagerMoveToLayer").size(), 1u);
  int layer = 0;
  EXPECT_EQ(Layers()->AskWorkLayer(0, &layer), 0);
  EXPECT_EQ(layer, 7);
  EXPECT_EQ(Args("mtStatusAreaImmediate"), (std::vector<std::string>{"Process input curves successfully."}));
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
  EXPECT_EQ(Args("mtStatusAreaImmediate"),
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
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 3030583);  // no sheet to offset
  EXPECT_EQ(punch->GetTfeatureSet(), 0u);
  EXPECT_TRUE(Host::FeatureSetsOfPart(part()).empty());
  EXPECT_EQ(Host::CountCalls("SessionModeling"), 0u);
  EXPECT_EQ(Args("DSS_set_suppress_display"), (std::vector<std::string>{"3", "2"}));
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
  Host::ClearCalls();
  EXPECT_EQ(punch->commit(), 3030583);
  EXPECT_EQ(Args("SessionModeling"),
            (std::vector<std::string>{"operation=90 value=false", "operation=80 value=false",
                                      "operation=82 value=false", "operation=90 value=true",
                                      "operation=80 value=false", "operation=82 value=true"}));
  EXPECT_FALSE(Setting(&JAM::SessionModeling_Interface::GetLogical79));
  EXPECT_TRUE(Setting(&JAM::SessionModeling_Interface::GetLogical81));
  EXPECT_TRUE(Setting(&JAM::SessionModeling_Interface::GetLogical89));
  EXPECT_EQ(Args("DSS_set_suppress_display"), (std::vector<std::string>{"3", "2"}));
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
    const std::vector<std::string> set = Args("ATTR_set_int");
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
  EXPECT_EQ(Args("TOOLING_get_customer_default").back(), "0 MFM_Refined_Attribute 0 0");
  punch->destroy();
}

}  // namespace
