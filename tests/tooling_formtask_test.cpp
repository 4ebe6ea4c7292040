// The form task's application record (defaults, shape details, create and
// edit) and the pierce insert, whose commit makes nothing.
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "Tooling_DieDesPierceInsertBuilder.hpp"
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "afl/DieEngineering.hpp"
#include "geom/Geometry.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using namespace KTX::Tooling;

namespace {

class FormTask : public stamvik_test::HostTest {
 protected:
  void TearDown() override {
    Host::ClearUpdateLogs();
    HostTest::TearDown();
  }
  tag_t Point(double x) {
    const double at[3] = {x, 0.0, 0.0};
    return ES_create_point(at);
  }
  tag_t Body() { return ES_solid::Make(nullptr, 0)->ask_tag(); }
  static std::vector<std::string> Args(const std::string& name) {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name == name) out.push_back(c.args);
    return out;
  }
  size_t FeatureCount() const {
    size_t n = 0;
    for (tag_t t : Host::KeptInPart(part())) n += dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)) != nullptr;
    return n;
  }
};

TEST_F(FormTask, EveryNewBuilderReadsBothDefaultsBlocks) {
  auto* first = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  auto* second = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(Args("DIEENG_DEFAULTS_get"), (std::vector<std::string>{"4", "5", "4", "5"}));
  for (auto* b : {first, second}) {
    ASSERT_NE(b->GetFrmtskStruct(), nullptr);
    EXPECT_EQ(b->GetFrmtskStruct()->defaults[0].number, 4);
    EXPECT_EQ(b->GetFrmtskStruct()->defaults[1].number, 5);
    EXPECT_NE(b->GetRegionBounds(), nullptr);
    EXPECT_EQ(b->validate_nothrow(), 0);
  }
  first->destroy();
  second->destroy();
}

TEST_F(FormTask, ShapeDetailsAreBodiesOrShapeTheRegion) {
  auto* b = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  DIE_FRMTSK_s* record = b->GetFrmtskStruct();
  const tag_t bodies[2] = {Body(), Body()};
  b->GetShapeDetail()->set_tags(2, bodies);
  b->AskApplicationData(record);
  ASSERT_EQ(record->shapeDetailCount, 2);
  EXPECT_EQ(record->shapeDetailBodies[1], bodies[1]);
  EXPECT_EQ(record->region.type, 2);
  EXPECT_EQ(record->srfc[0], srfc1[0]);

  // A first object that is no body: all of them go to the region.
  const tag_t others[2] = {Point(1), bodies[0]};
  b->GetShapeDetail()->set_tags(2, others);
  b->SetNthValueInDetails(0, UString("first"));
  b->SetNthValueInDetails(1, UString("second"));
  b->AskApplicationData(record);
  EXPECT_EQ(record->shapeDetailCount, 0);
  EXPECT_EQ(record->shapeDetailBodies, nullptr);
  EXPECT_EQ(b->GetRegionBounds()->ask_count(), 2);
  ASSERT_EQ(record->region.entityCount[1], 2);
  EXPECT_EQ(record->region.entities[1][0], others[0]);
  ASSERT_EQ(record->detailCount, 2);
  EXPECT_STREQ(record->details[1], "second");
  // Asked again: the earlier arrays are freed (the counters prove it at the end).
  b->AskApplicationData(record);

  b->SetFinishOperation(true);
  b->GetShapeDetail()->set_tags(2, bodies);
  b->AskApplicationData(record);
  EXPECT_EQ(record->shapeDetailCount, 0);
  EXPECT_EQ(record->region.entityCount[0], 2);
  b->destroy();
}

TEST_F(FormTask, CreateThenEditUpdatesAtOnceOnlyForANewDieTip) {
  auto* b = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  const tag_t tip = Point(1);
  b->GetDieTip()->set_selected_tag(tip);
  b->SetPointInRegion(Point(2));
  b->SetNthValueInDetails(0, UString("detail"));
  Host::SetAnswer("DIEENG_create_frec", 7100);
  FEATURE_RECORD* made = nullptr;
  EXPECT_EQ(b->commit_feature(&made), 7100);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(b->GetFrmtskStruct()->frec, nullptr);
  EXPECT_EQ(FeatureCount(), 0u);
  Host::ClearAnswers();
  ASSERT_EQ(b->commit_feature(&made), 0);
  ASSERT_NE(made, nullptr);
  EXPECT_EQ(b->GetFrmtskStruct()->frec, made);
  b->destroy();

  struct Row {
    bool newTip;
    size_t updates;
  };
  for (Row row : {Row{false, 0}, Row{true, 1}}) {
    SCOPED_TRACE(row.newTip);
    auto* edit = DieEngFormTaskBuilderFactory::Create(modelPart(), made);
    EXPECT_EQ(edit->GetDieTip()->ask_selected_tag(), tip);
    EXPECT_EQ(edit->GetNumDetails(), 1);
    EXPECT_EQ(edit->GetNthValueInDetails(0).utf8(), "detail");
    if (row.newTip) edit->GetDieTip()->set_selected_tag(Point(3));
    Host::ClearCalls();
    FEATURE_RECORD* edited = made;
    EXPECT_EQ(edit->commit_feature(&edited), 0);
    EXPECT_EQ(Host::CountCalls("UPDATE_do_update"), row.updates);
    EXPECT_TRUE(row.updates == 1 || UPDATE_is_object_logged(made));
    edit->destroy();
    Host::ClearUpdateLogs();
  }
}

TEST_F(FormTask, AFeatureOfAnotherKindCommitsNothing) {
  auto* other = stamvik_test::RoughSheetFeature();
  auto* b = DieEngFormTaskBuilderFactory::Create(modelPart(), other);
  EXPECT_EQ(b->GetFrmtskStruct(), nullptr);
  EXPECT_NE(b->GetDieTip(), nullptr);
  Host::ClearCalls();
  FEATURE_RECORD* frec = other;
  EXPECT_EQ(b->commit_feature(&frec), 670156);
  EXPECT_EQ(Host::CountCalls("DIEENG_update_frec"), 0u);
  ASSERT_FALSE(Error::SevereErrors().empty());
  EXPECT_EQ(Error::SevereErrors().back().text, "Feature is not a Form Task.");
  b->FreeApplicationData(nullptr);
  b->destroy();
}

TEST_F(FormTask, APierceInsertHoldsItsInputsAndMakesNothing) {
  auto* pierce = DieDesPierceInsertBuilderFactory::Create(part());
  ASSERT_NE(pierce->GetBoudaryCurveSelection(), nullptr);
  EXPECT_EQ(pierce->GetCatalogOption(), 0);
  EXPECT_EQ(pierce->GetClearanceCoefficient(), 0.0);
  EXPECT_EQ(pierce->GetThicknessDirectionOption(), JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Upper);
  const size_t features = FeatureCount();
  EXPECT_EQ(pierce->commit(), 0);
  EXPECT_EQ(FeatureCount(), features);
  pierce->destroy();
}

}  // namespace
