// The draw punch builder: a new punch's inputs, the role titles it gives
// features, and the frame of its build (work layer, status texts, failures).
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Settings.hpp"

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
    HostTest::TearDown();
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
  EXPECT_EQ(punch->CreateDrawDiePunch(), 0);
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

}  // namespace
