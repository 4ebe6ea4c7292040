// The form task's application record (defaults, shape details, create and
// edit) and the pierce insert, whose commit makes nothing.
#include <string>
#include <vector>

#include "RegistrationTestSupport.hpp"
#include "om/HostClass.hpp"
#include "TestSupport.hpp"
#include "Tooling_DieDesPierceInsertBuilder.hpp"
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "afl/DieEngineering.hpp"
#include "geom/Geometry.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using stamvik_test::ArgsOf;
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
  size_t FeatureCount() const {
    size_t n = 0;
    for (tag_t t : Host::KeptInPart(part())) n += dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)) != nullptr;
    return n;
  }
};

TEST_F(FormTask, EveryNewBuilderReadsBothDefaultsBlocks) {
  auto* first = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  auto* second = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(ArgsOf("DIEENG_DEFAULTS_get"), (std::vector<std::string>{"4", "5", "4", "5"}));
  for (auto* b : {first, second}) {
    EXPECT_NE(b->GetFrmtskStruct(), nullptr);
    if (b->GetFrmtskStruct() != nullptr) {
      EXPECT_EQ(b->GetFrmtskStruct()->defaults[0].number, 4);
      EXPECT_EQ(b->GetFrmtskStruct()->defaults[1].number, 5);
    }
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
  // No shape detail at all leaves the bodies the record holds.
  b->GetShapeDetail()->set_tags(0, nullptr);
  b->AskApplicationData(record);
  ASSERT_EQ(record->shapeDetailCount, 2);
  EXPECT_EQ(record->shapeDetailBodies[0], bodies[0]);
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

// The tags and flags of the record are all different, so one written into
// another's place shows; an edit changes every one of them and is read back.
TEST_F(FormTask, EachInputHasItsOwnPlaceInTheRecordAndAnEditChangesThemAll) {
  struct Values {
    tag_t tip, point, cam;
    bool finish;
    std::vector<std::string> details;
  };
  const Values made{Point(1), Point(2), Point(3), false, {"alpha", "beta"}};
  const Values edited{Point(4), Point(5), Point(6), true, {"gamma", "delta", "epsilon"}};
  auto fill = [](DieEngFormTaskBuilder* b, const Values& v) {
    b->GetDieTip()->set_selected_tag(v.tip);
    b->SetPointInRegion(v.point);
    b->SetCamDirection(v.cam);
    b->SetFinishOperation(v.finish);
    b->SetNumDetails(0);
    for (size_t i = 0; i < v.details.size(); ++i) b->SetNthValueInDetails(int(i), UString(v.details[i].c_str()));
  };
  auto expectRecord = [](const DIE_FRMTSK_s* r, const Values& v) {
    EXPECT_EQ(r->dieTip, v.tip);
    EXPECT_EQ(r->pointInRegion, v.point);
    EXPECT_EQ(r->camDirection, v.cam);
    EXPECT_EQ(r->finishOperation, v.finish ? 1 : 0);
    EXPECT_EQ(r->afterFinish, 0);
    EXPECT_EQ(r->srfc[0], srfc1[0]);
    EXPECT_EQ(r->srfc[1], srfc1[1]);
    EXPECT_EQ(r->detailCount, int(v.details.size()));
    for (int i = 0; i < r->detailCount && i < int(v.details.size()); ++i) EXPECT_STREQ(r->details[i], v.details[i].c_str());
  };
  auto expectBuilder = [](const DieEngFormTaskBuilder* b, const Values& v) {
    EXPECT_EQ(b->GetDieTip()->ask_selected_tag(), v.tip);
    EXPECT_EQ(b->GetPointInRegion(), v.point);
    EXPECT_EQ(b->GetCamDirection(), v.cam);
    EXPECT_EQ(b->GetFinishOperation(), v.finish);
    EXPECT_EQ(b->GetNumDetails(), int(v.details.size()));
    for (int i = 0; i < b->GetNumDetails() && i < int(v.details.size()); ++i)
      EXPECT_EQ(b->GetNthValueInDetails(i).utf8(), v.details[i]);
  };
  // Two values of their own in the host's surface record, given back on every way out.
  struct KeptSurface {
    double values[2] = {srfc1[0], srfc1[1]};
    ~KeptSurface() {
      srfc1[0] = values[0];
      srfc1[1] = values[1];
    }
  } kept;
  srfc1[0] = 2.5;
  srfc1[1] = -7.25;
  auto* b = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  fill(b, made);
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(b->commit_feature(&frec), 0);
  FEATURE_RECORD* feature = b->GetFrmtskStruct()->frec;
  ASSERT_NE(feature, nullptr);
  {
    SCOPED_TRACE("made");
    expectRecord(b->GetFrmtskStruct(), made);
  }
  b->destroy();

  auto* edit = DieEngFormTaskBuilderFactory::Create(modelPart(), feature);
  {
    SCOPED_TRACE("made, read back");
    expectBuilder(edit, made);
  }
  fill(edit, edited);
  FEATURE_RECORD* again = feature;
  ASSERT_EQ(edit->commit_feature(&again), 0);
  {
    SCOPED_TRACE("edited");
    expectRecord(edit->GetFrmtskStruct(), edited);
  }
  edit->destroy();
  auto* back = DieEngFormTaskBuilderFactory::Create(modelPart(), feature);
  {
    SCOPED_TRACE("edited, read back");
    expectBuilder(back, edited);
  }
  back->destroy();
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

// The record is the builder's until the host frees its object, however it
// goes: an undo of its making (the play that made it stopped, the builder
// never destroyed), a part closing with it open, or a destroy that an undo
// takes back and a second destroy.
TEST_F(FormTask, TheRecordGoesWithTheBuilderHoweverItGoes) {
  struct Row {
    const char* name;
    bool madeUnderMark;  // the mark is undone at the end
    bool destroyed;      // destroyed (under the mark when there is one)
    bool ownPart;        // made in a part of its own: closed, or made under the mark and undone with it
  };
  const Row rows[] = {
      {"made under a mark that is undone", true, false, false},
      {"made and destroyed under a mark that is undone", true, true, false},
      {"left open in a part that closes", false, false, true},
      {"left open in a part made under a mark that is undone", true, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Memory::Counters before = Memory::LiveCounters();
    const int objects = OM::OM_live_objects();
    int error = 0;
    const int mark = row.madeUnderMark ? UNDO_QD_set_mark(1, "row", &error) : 0;
    PART_part* own = row.ownPart ? PART_part::Create(0) : nullptr;
    auto* b = DieEngFormTaskBuilderFactory::Create(own != nullptr ? own->ModelPart() : modelPart(), nullptr);
    // The builder is logged on the way (its references set) before it holds its record.
    EXPECT_NE(b->GetFrmtskStruct(), nullptr);
    if (row.destroyed) b->destroy();
    if (mark != 0) {
      EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
      EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    } else if (own != nullptr) {
      own->destroy();
    }
    EXPECT_EQ(OM::OM_live_objects(), objects);
    EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks) << "the record left";
    EXPECT_EQ(Memory::LiveCounters().badFrees, before.badFrees) << "the record freed twice";
  }
  // A destroy under a mark that is undone gives the builder back with its record.
  auto* b = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  DIE_FRMTSK_s* record = b->GetFrmtskStruct();
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, "destroy", &error);
  b->destroy();
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  ASSERT_EQ(b->GetFrmtskStruct(), record);
  EXPECT_EQ(record->defaults[1].number, 5);
  b->destroy();
}

// A builder holds one record at a time: its first is taken without freeing
// anything, each renewal from the feature frees the record it replaces, once
// (one left would be found by the leak check, one freed twice too), and the
// destroy frees the last.
TEST_F(FormTask, RenewingTheRecordFreesTheOldOneOnce) {
  auto* b = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  FEATURE_RECORD* made = nullptr;
  ASSERT_EQ(b->commit_feature(&made), 0);
  b->destroy();
  struct Step {
    const char* what;
    std::size_t frees;  // of a record
  };
  const Step steps[] = {{"made to edit the feature", 0}, {"renewed from it", 1}, {"renewed again", 1},
                        {"destroyed", 1}};
  DieEngFormTaskBuilder* edit = nullptr;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    const DIE_FRMTSK_s* before = edit != nullptr ? edit->GetFrmtskStruct() : nullptr;
    Host::ClearCalls();
    if (edit == nullptr) {
      edit = DieEngFormTaskBuilderFactory::Create(modelPart(), made);
    } else if (std::string(step.what) != "destroyed") {
      edit->ConvertFrecToBuilderData(made);
      EXPECT_NE(edit->GetFrmtskStruct(), before);
    } else {
      edit->destroy();
    }
    EXPECT_EQ(Host::CountCalls("DIE_FRMTSK_free_appl_data"), step.frees);
  }
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

// Each number of the pierce insert is different; each setter writes its own
// field, and an undo to a mark set before the writes gives back every zero.
TEST_F(FormTask, EachPierceInsertNumberHasItsOwnFieldAndIsUndone) {
  using P = DieDesPierceInsertBuilder;
  struct Row {
    const char* what;
    void (P::*set)(double);
    double (P::*get)() const;
    double value;
  };
  const Row rows[] = {
      {"up length", &P::SetUpToleranceForLength, &P::GetUpToleranceForLength, 0.11},
      {"down length", &P::SetDownToleranceForLength, &P::GetDownToleranceForLength, -0.13},
      {"up width", &P::SetGetUpToleranceForWidth, &P::GetUpToleranceForWidth, 0.17},
      {"down width", &P::SetGetDownToleranceForWidth, &P::GetDownToleranceForWidth, -0.19},
      {"thickness", &P::SetThicknessValue, &P::GetThicknessValue, 0.8},
      {"punch penetration", &P::SetPunchPenetration, &P::GetPunchPenetration, 2.3},
      {"die penetration", &P::SetDiePenetration, &P::GetDiePenetration, 2.9},
      {"tolerance coefficient", &P::SetToleranceCoefficient, &P::GetToleranceCoefficient, 0.31},
      {"clearance coefficient", &P::SetClearanceCoefficient, &P::GetClearanceCoefficient, 0.37},
  };
  auto* pierce = DieDesPierceInsertBuilderFactory::Create(part());
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, nullptr, &error);
  ASSERT_EQ(error, 0);
  for (const Row& row : rows) (pierce->*row.set)(row.value);
  pierce->SetCatalogOption(41);
  pierce->SetThicknessDirectionOption(JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Lower);
  for (const Row& row : rows) EXPECT_EQ((pierce->*row.get)(), row.value) << row.what;
  EXPECT_EQ(pierce->GetCatalogOption(), 41);
  EXPECT_EQ(pierce->GetThicknessDirectionOption(), JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Lower);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  for (const Row& row : rows) EXPECT_EQ((pierce->*row.get)(), 0.0) << row.what;
  EXPECT_EQ(pierce->GetCatalogOption(), 0);
  EXPECT_EQ(pierce->GetThicknessDirectionOption(), JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Upper);
  pierce->destroy();
}

}  // namespace

namespace {

// ---- as an object-manager class -----------------------------------------------------

class FormTaskClass : public stamvik_test::HostTest {};

TEST_F(FormTaskClass, FormTaskDetailLinesGrowOnlyAtTheirEnd) {
  auto* task = DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  task->SetNthValueInDetails(0, UString("Überlauf"));
  task->SetNthValueInDetails(1, UString("second"));
  EXPECT_EQ(RaisedCode([&] { task->SetNthValueInDetails(3, UString("gap")); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { task->SetNthValueInDetails(-1, UString("neg")); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { task->GetNthValueInDetails(2); }), Error::kIndexOutOfRange);
  ASSERT_EQ(task->GetNumDetails(), 2);
  EXPECT_EQ(task->GetNthValueInDetails(0), UString("Überlauf"));
  task->SetNumDetails(1);
  EXPECT_EQ(task->GetNumDetails(), 1);
  task->destroy();
}

}  // namespace
