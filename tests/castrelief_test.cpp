// The cast relief feature driven as the host drives it: made by its factory,
// given inputs, validated, previewed, committed, opened again for editing
// with its record and committed again.
#include <cmath>
#include <string>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "HeldSelections.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "jam/Session.hpp"
#include "kernel/Kernel.hpp"
#include "sel/Selection.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDesJA::CastReliefBuilder;
using KTX::DieDesJA::CastReliefBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;

namespace {

// ---- cast relief ------------------------------------------------------------------

class CastRelief : public DieDesignFeature {
 protected:
  // A builder that validates: a closed profile, sheet metal, a depth, and a
  // solid target whose base gives the orientation.
  CastReliefBuilder* ReadyBuilder(int* targetBody = nullptr) {
    CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
    ClosedLoop(b->GetReliefProfile());
    b->GetSheetMetal()->set_selected_tag(ModelBody(BodyType::Sheet));
    Set(b->GetReliefDepth(), "5");
    const double origin[3] = {0, 0, 10};
    const double normal[3] = {0, 0, 1};
    b->GetTargetData()->SetBase(origin, normal);
    b->GetTargetData()->SetBaseFlag(true);
    b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid, targetBody));
    return b;
  }
};

TEST_F(CastRelief, ANewBuilderStartsFromTheHostsTolerancesAndZeroExpressions) {
  Host::ClearCalls();
  CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  // Made in the builder's part: the section with 0.95 times the distance
  // tolerance as its chaining tolerance, its loops ordered.
  EXPECT_EQ(ArgsOf("SC_sectionFactory::object"),
            std::vector<std::string>{"part=" + std::to_string(part()->ask_tag()) + " 0.009500 0.010000 0.500000"});
  EXPECT_EQ(ArgsOf("SC_section::OrderLoops").size(), 1u);
  EXPECT_EQ(ArgsOf("EXP_create_sys_exp_with_units_all_errors"), (std::vector<std::string>{"0 MilliMeter", "0 MilliMeter"}));
  EXPECT_NE(b->GetReliefDepth(), b->GetThickness());
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetReliefDepth()), 0.0);
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetThickness()), 0.0);
  EXPECT_FALSE(b->GetCreateSupportCasting());
  EXPECT_EQ(b->GetDistanceTolerance(), 0.01);
  EXPECT_EQ(b->GetAngleTolerance(), 0.5);
  // The base plane allows every option and is the feature's.
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(b->GetBaseOrientation()->GetAllowOptionsItem(i)) << i;
  EXPECT_TRUE(b->GetBaseOrientation()->GetApplIsOverallRequired());
  EXPECT_EQ(b->GetBaseOrientation()->GetApplScopePlane(), 3);
  EXPECT_NE(b->GetTargetData(), nullptr);
  EXPECT_EQ(b->GetTarget()->ask_selected_tag(), 0u);
  char* name = b->ask_journal_class_name();
  EXPECT_STREQ(name, "Die.CastReliefBuilder");
  SM_free(name);
  b->destroy();
}

TEST_F(CastRelief, ValidationTakesItsChecksInOrder) {
  CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(b->validate_nothrow(), 3030022);  // no closed loop
  OpenLoop(b->GetReliefProfile());
  EXPECT_EQ(b->validate_nothrow(), 3030022);
  ClosedLoop(b->GetReliefProfile());
  EXPECT_EQ(b->validate_nothrow(), 3030210);  // an open loop besides
  b->destroy();

  b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  ClosedLoop(b->GetReliefProfile());
  EXPECT_EQ(b->validate_nothrow(), 3030483);  // no sheet metal
  // The target may know the sheet metal itself.
  b->GetTargetData()->SetSheet(true, ModelBody(BodyType::Sheet));
  EXPECT_EQ(b->validate_nothrow(), 3030482);  // depth 0
  // A depth of exactly the distance tolerance is still too small.
  ASSERT_EQ(b->GetDistanceTolerance(), 0.01);
  Set(b->GetReliefDepth(), "0.01");
  EXPECT_EQ(b->validate_nothrow(), 3030482);
  Set(b->GetReliefDepth(), "-0.02");
  EXPECT_EQ(b->validate_nothrow(), 3030437);  // the base plane is required and not given
  // A relief sheet makes the depth free.
  Set(b->GetReliefDepth(), "0");
  b->GetReliefSheet()->set_selected_tag(ModelBody(BodyType::Sheet));
  EXPECT_EQ(b->validate_nothrow(), 3030437);
  // A target that gives the base makes the plane optional.
  b->GetTargetData()->SetBaseFlag(true);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  EXPECT_FALSE(b->GetBaseOrientation()->GetApplIsOverallRequired());
  EXPECT_EQ(b->validate_nothrow(), 0);

  b->SetDistanceTolerance(1e-11);
  b->SetAngleTolerance(1e-11);
  EXPECT_EQ(b->validate_nothrow(), 674028);
  b->SetDistanceTolerance(1e-10);
  EXPECT_EQ(b->validate_nothrow(), 674029);
  b->SetAngleTolerance(1e-10);
  EXPECT_EQ(b->validate_nothrow(), 0);
  b->destroy();
}

TEST_F(CastRelief, APreviewWithNothingToCutMakesNothingAndSetsNoMark) {
  CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  // What the caller holds is left as it is.
  int held = 0;
  int count = 7;
  int* bodies = &held;
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 0);  // empty profile
  EXPECT_EQ(count, 7);
  EXPECT_EQ(bodies, &held);
  ClosedLoop(b->GetReliefProfile());
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 0);  // no sheet at all
  EXPECT_EQ(count, 7);
  EXPECT_EQ(bodies, &held);
  EXPECT_TRUE(ArgsOf("SessionSetUndoMark").empty());
  b->destroy();
}

TEST_F(CastRelief, APreviewOnASolidTargetHandsOverOnlyTheCutCopy) {
  int target = 0;
  CastReliefBuilder* b = ReadyBuilder(&target);
  ASSERT_EQ(b->validate_nothrow(), 0);
  Host::ClearCalls();
  const int before = LiveBodies();

  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Kernel::CopiedFrom(bodies[0]), target);
  EXPECT_TRUE(Kernel::IsAlive(target));
  ExpectMark("Cast Relief create bodies", false);

  auto tools = ArgsOf("CastRelief::CreateToolBody");
  ASSERT_EQ(tools.size(), 1u);
  EXPECT_TRUE(Has(tools[0], "faceLabel=500000 edgeLabel=1000000")) << tools[0];
  EXPECT_TRUE(Has(tools[0], "depth=5")) << tools[0];
  auto unite = ArgsOf("DIEDES_UTILS_boolean_bodies");
  auto subtract = ArgsOf("DIEDES_UTILS_boolean_bodies2");
  ASSERT_EQ(unite.size(), 1u);
  ASSERT_EQ(subtract.size(), 1u);
  const std::string copy = "target=" + std::to_string(bodies[0]) + " ";
  EXPECT_TRUE(Has(unite[0], copy) && Has(unite[0], "operation=15903 options=null tol=0.01")) << unite[0];
  EXPECT_TRUE(Has(unite[0], "text=\"CastRelief: Performing boolean operation\"")) << unite[0];
  EXPECT_TRUE(Has(subtract[0], "mode=54 " + copy) && Has(subtract[0], "operation=15902 options=null tol=0.01"))
      << subtract[0];
  EXPECT_TRUE(Has(subtract[0], "text=\"CastRelief: Performing boolean operation\"")) << subtract[0];
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_boolean_tolerance_derive"), std::vector<std::string>{"0"});
  EXPECT_TRUE(KTX::DieDesUtils::CurrentState().progressText.empty());

  // The tool bodies went with the preview; alive besides what was handed
  // over is the builder's temporary relief sheet only, which it keeps until
  // its commit or its end.
  const std::vector<int> toolBodies = ToolsIn(unite[0]);
  ASSERT_FALSE(toolBodies.empty());
  for (int tool : toolBodies) EXPECT_FALSE(Kernel::IsAlive(tool)) << tool;
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_progress_bar_destroy").size(), 1u);
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_clear_build_state").size(), 1u);
  EXPECT_EQ(LiveBodies() - before, 2);
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
  EXPECT_EQ(LiveBodies(), before);
}

TEST_F(CastRelief, AFailedPreviewHandsOverNothingAndUndoesToItsMark) {
  CastReliefBuilder* b = ReadyBuilder();
  b->GetTargetData()->SetBaseFlag(false);  // no base orientation left
  Host::ClearCalls();
  const int before = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030391);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  ExpectMark("Cast Relief create bodies", true);
  EXPECT_EQ(LiveBodies(), before);

  // A target that cannot be copied.
  b->GetTargetData()->SetBaseFlag(true);
  Host::ClearCalls();
  Host::SetAnswer("DieDesUtilsSolvaneCopy", 22004);
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 674057);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  ExpectMark("Cast Relief create bodies", true);
  EXPECT_EQ(LiveBodies(), before);
  b->destroy();
}

TEST_F(CastRelief, AnErrorInThePreviewIsReportedAndLeavesNoBodyOfItsOwn) {
  int target = 0;
  CastReliefBuilder* b = ReadyBuilder(&target);
  Host::ClearCalls();
  Host::SetAnswer("CastRelief::CreateToolBody.raise", 3030998);
  const int before = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030998);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  ExpectMark("Cast Relief create bodies", true);
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 3030998);
  EXPECT_EQ(Error::SevereErrors()[0].file, "DieDesJA_CastReliefBuilder");
  // The booleans' state is cleared once, as on success.
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_boolean_tolerance_derive"), std::vector<std::string>{"0"});
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_progress_bar_destroy").size(), 1u);
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_clear_build_state").size(), 1u);
  // The target's copy went; the target did not.
  EXPECT_TRUE(Kernel::IsAlive(target));
  int deleted = 0;
  for (const std::string& args : ArgsOf("DieDesUtilsDeleteBody")) deleted += args != "body=0" ? 1 : 0;
  EXPECT_EQ(deleted, 1);
  // What is left is the builder's temporary relief sheet.
  EXPECT_EQ(LiveBodies() - before, 1);
  Host::ClearAnswers();
  b->destroy();
  EXPECT_EQ(LiveBodies(), before);
}

// The temporary sheets are out of undo while the builder is not: an undo that
// gives the builder back as it was before a preview, or that undoes its
// making (a play stopped after the preview, the builder never destroyed),
// does not lose them.
TEST_F(CastRelief, TheTemporarySheetsGoWithTheBuilderWhateverAnUndoGivesBack) {
  const struct {
    const char* name;
    bool madeUnderMark;  // else made before it and changed under it
  } rows[] = {
      {"changed under a mark, previewed, undone to the mark and destroyed", false},
      {"made under a mark, previewed, the mark undone", true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const tag_t sheetMetal = ModelBody(BodyType::Sheet);
    const tag_t target = ModelBody(BodyType::Solid);
    const int before = LiveBodies();
    int error = 0;
    const int early = row.madeUnderMark ? UNDO_QD_set_mark(1, "made", &error) : 0;
    CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
    ClosedLoop(b->GetReliefProfile());
    b->GetSheetMetal()->set_selected_tag(sheetMetal);
    Set(b->GetReliefDepth(), "5");
    Set(b->GetThickness(), "2");
    b->SetCreateSupportCasting(true);
    const double origin[3] = {0, 0, 10};
    const double normal[3] = {0, 0, 1};
    b->GetTargetData()->SetBase(origin, normal);
    b->GetTargetData()->SetBaseFlag(true);
    b->GetTarget()->set_selected_tag(target);
    const int mark = row.madeUnderMark ? early : UNDO_QD_set_mark(1, "changed", &error);
    b->SetDistanceTolerance(0.02);  // the builder logged before its sheets are made
    int count = 0;
    int* bodies = nullptr;
    ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
    DieDesUtilsDeleteBodies(&count, &bodies);
    EXPECT_EQ(LiveBodies() - before, 2) << "the relief and support sheets";
    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    if (!row.madeUnderMark) {
      EXPECT_EQ(b->GetDistanceTolerance(), 0.01);
      b->destroy();
    }
    EXPECT_EQ(LiveBodies(), before);
  }
}

TEST_F(CastRelief, WithoutSheetMetalThePreviewCutsFromTheTargetsSheet) {
  CastReliefBuilder* b = ReadyBuilder();
  b->GetSheetMetal()->set_selected_tag(0);
  const tag_t sheet = ModelBody(BodyType::Sheet);
  b->GetTargetData()->SetSheet(true, sheet);
  ASSERT_EQ(b->validate_nothrow(), 0);
  Host::ClearCalls();
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  const auto tools = ArgsOf("CastRelief::CreateToolBody");
  ASSERT_EQ(tools.size(), 1u);
  EXPECT_TRUE(Has(tools[0], " sheet=" + std::to_string(sheet) + " ")) << tools[0];
  // The temporary relief sheet is the target's sheet offset by the depth.
  EXPECT_TRUE(Has(ArgsOf("DieCreateRoughOffsetSheet").at(0), "sheet=" + std::to_string(sheet) + " offset=5 "));
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
}

TEST_F(CastRelief, ASheetTargetGivesTheToolBodiesAndItsCopyIsNotLeft) {
  CastReliefBuilder* b = ReadyBuilder();
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Sheet));
  b->SetCreateSupportCasting(true);
  Set(b->GetThickness(), "2");
  const int before = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  // The relief and the support casting; no copy of the target.
  ASSERT_EQ(count, 2);
  for (int i = 0; i < count; ++i) EXPECT_EQ(Kernel::CopiedFrom(bodies[i]), 0);
  EXPECT_TRUE(ArgsOf("DIEDES_UTILS_boolean_bodies").empty());
  // Besides the two tools: the temporary relief and support sheets.
  EXPECT_EQ(LiveBodies() - before, 4);
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
  EXPECT_EQ(LiveBodies(), before);
}

TEST_F(CastRelief, TemporarySheetsFollowTheDepthAndTheSupportOption) {
  CastReliefBuilder* b = ReadyBuilder();
  const tag_t reliefSheet = ModelBody(BodyType::Sheet);
  b->GetReliefSheet()->set_selected_tag(reliefSheet);
  Set(b->GetReliefDepth(), "0.01");
  const int before = LiveBodies();
  // A depth of the distance tolerance: the relief sheet copied as it is.
  b->SetReliefSheetTemp();
  EXPECT_TRUE(ArgsOf("DieCreateRoughOffsetSheet").empty());
  EXPECT_EQ(LiveBodies() - before, 1);
  Set(b->GetReliefDepth(), "4");
  b->SetReliefSheetTemp();
  auto offsets = ArgsOf("DieCreateRoughOffsetSheet");
  ASSERT_EQ(offsets.size(), 1u);
  EXPECT_TRUE(Has(offsets[0], "option=0 mode=5 sheet=" + std::to_string(reliefSheet) + " offset=4 normal=[0,0,1]"))
      << offsets[0];
  EXPECT_EQ(LiveBodies() - before, 1);  // the old one went

  // Support: depth minus thickness on the side of the base normal, plus it on the other.
  b->SetCreateSupportCasting(true);
  Set(b->GetThickness(), "1.5");
  b->SetSupportSheetTemp();
  EXPECT_TRUE(Has(ArgsOf("DieCreateRoughOffsetSheet").back(), "offset=2.5 ")) << ArgsOf("DieCreateRoughOffsetSheet").back();
  Host::SetAnswer("GetSheetNormal.opposite", 1);
  b->SetSupportSheetTemp();
  EXPECT_TRUE(Has(ArgsOf("DieCreateRoughOffsetSheet").back(), "offset=5.5 ")) << ArgsOf("DieCreateRoughOffsetSheet").back();
  EXPECT_EQ(LiveBodies() - before, 2);
  // A failed offset leaves no body behind.
  Host::SetAnswer("DieCreateRoughOffsetSheet", 22004);
  b->SetSupportSheetTemp();
  EXPECT_EQ(LiveBodies() - before, 1);
  // Without the option the stale sheet goes and no new one comes.
  Host::ClearAnswers();
  b->SetSupportSheetTemp();
  b->SetCreateSupportCasting(false);
  b->SetSupportSheetTemp();
  EXPECT_EQ(LiveBodies() - before, 1);
  // Written under a mark (the builder logged), then a new relief sheet: the
  // undo gives the builder's fields back, not the sheet it replaced; the
  // sheet held is the new one, which the next one replaces (one alive, none
  // deleted twice).
  const int mark = stamvik_test::UndoMark();
  b->SetDistanceTolerance(b->GetDistanceTolerance());
  b->SetReliefSheetTemp();
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  EXPECT_EQ(LiveBodies() - before, 1);
  b->SetReliefSheetTemp();
  EXPECT_EQ(LiveBodies() - before, 1);
  // The commit starts without either.
  int rc = -1;
  Commit(b, &rc);
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(LiveBodies(), before);
  b->destroy();
}

TEST_F(CastRelief, ACommittedFeatureReadsBackEveryInputForEditing) {
  int target = 0;
  CastReliefBuilder* b = ReadyBuilder(&target);
  const tag_t sheetMetal = b->GetSheetMetal()->ask_selected_tag();
  const tag_t reliefSheet = ModelBody(BodyType::Sheet);
  b->GetReliefSheet()->set_selected_tag(reliefSheet);
  const tag_t targetTag = b->GetTarget()->ask_selected_tag();
  Set(b->GetThickness(), "2.5");
  b->SetCreateSupportCasting(true);
  b->SetDistanceTolerance(0.02);
  b->SetAngleTolerance(0.25);
  DieDes::DiePlaneBuilder* plane = b->GetBaseOrientation();
  plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  const double origin[3] = {1, 2, 3};
  plane->SetCoordinateSystemOrigin(origin);
  const tag_t profile = OM::OM_ask_object_tag(b->GetReliefProfile());
  ASSERT_EQ(b->validate_nothrow(), 0);

  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_NE(frec, nullptr);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  b->destroy();

  Host::ClearCalls();
  CastReliefBuilder* e = CastReliefBuilderFactory::Create(modelPart(), frec);
  // A new edit has no section of its own to log for deletion.
  EXPECT_TRUE(ArgsOf("UPDATE_log_object_to_delete").empty());
  // A copy of the feature's profile, the same loops.
  EXPECT_NE(OM::OM_ask_object_tag(e->GetReliefProfile()), profile);
  EXPECT_EQ(Stamvik::LoopsOf(e->GetReliefProfile()), Stamvik::LoopsOf(OM::TagToObject<SC_section>(profile)));
  EXPECT_EQ(e->GetSheetMetal()->ask_selected_tag(), sheetMetal);
  EXPECT_EQ(e->GetReliefSheet()->ask_selected_tag(), reliefSheet);
  EXPECT_EQ(EXP_ask_value_of_exp(e->GetReliefDepth()), 5.0);
  EXPECT_EQ(EXP_ask_value_of_exp(e->GetThickness()), 2.5);
  EXPECT_TRUE(e->GetCreateSupportCasting());
  EXPECT_EQ(e->GetDistanceTolerance(), 0.02);
  EXPECT_EQ(e->GetAngleTolerance(), 0.25);
  EXPECT_EQ(e->GetBaseOrientation()->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  double read[3] = {};
  e->GetBaseOrientation()->GetCoordinateSystemOrigin(read);
  EXPECT_EQ(read[0], 1.0);
  EXPECT_EQ(read[2], 3.0);
  EXPECT_EQ(e->GetTarget()->ask_selected_tag(), targetTag);
  EXPECT_EQ(e->GetTargetData()->GetTargetBody(), targetTag);

  // Committed again: the same record, updated.
  Set(e->GetReliefDepth(), "7");
  FEATURE_RECORD* again = frec;
  EXPECT_EQ(e->commit_feature(&again), 0);
  EXPECT_EQ(again, frec);
  EXPECT_TRUE(UPDATE_is_object_logged(frec));
  e->destroy();
}

TEST_F(CastRelief, TheHostsWholeRoundPreviewsBeforeEachCommit) {
  int target = 0;
  CastReliefBuilder* b = ReadyBuilder(&target);
  const int before = LiveBodies();
  ASSERT_EQ(b->validate_nothrow(), 0);
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  DieDesUtilsDeleteBodies(&count, &bodies);
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_NE(frec, nullptr);
  EXPECT_EQ(LiveBodies(), before) << "the commit deletes the preview's sheets";
  b->destroy();

  CastReliefBuilder* e = CastReliefBuilderFactory::Create(modelPart(), frec);
  // The target's analysis is the host's: it gives the base again.
  const double origin[3] = {0, 0, 10};
  const double normal[3] = {0, 0, 1};
  e->GetTargetData()->SetBase(origin, normal);
  e->GetTargetData()->SetBaseFlag(true);
  e->Notify(e->GetTarget());
  ASSERT_EQ(e->validate_nothrow(), 0);
  Set(e->GetReliefDepth(), "9");
  Host::ClearCalls();
  ASSERT_EQ(e->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Kernel::CopiedFrom(bodies[0]), target);
  EXPECT_TRUE(Has(ArgsOf("CastRelief::CreateToolBody").at(0), "depth=9 ")) << ArgsOf("CastRelief::CreateToolBody")[0];
  ExpectMark("Cast Relief create bodies", false);
  DieDesUtilsDeleteBodies(&count, &bodies);
  FEATURE_RECORD* again = frec;
  ASSERT_EQ(e->commit_feature(&again), 0);
  EXPECT_EQ(again, frec);
  EXPECT_EQ(LiveBodies(), before);
  e->destroy();

  CastReliefBuilder* last = CastReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(EXP_ask_value_of_exp(last->GetReliefDepth()), 9.0);
  last->destroy();
}

TEST_F(CastRelief, TheBuilderOwnsItsProfileAndExpressionsUntilAFeatureHoldsThem) {
  // Given up without a commit: they go with it.
  CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  const tag_t made[3] = {OM::OM_ask_object_tag(b->GetReliefProfile()), OM::OM_ask_object_tag(b->GetReliefDepth()),
                         OM::OM_ask_object_tag(b->GetThickness())};
  b->destroy();
  for (tag_t tag : made) EXPECT_TRUE(OM::OM_is_deleted_tag(tag)) << tag;

  // Committed: the feature's parameters keep them past the builder.
  b = ReadyBuilder();
  SC_section* profile = b->GetReliefProfile();
  const tag_t held[3] = {OM::OM_ask_object_tag(profile), OM::OM_ask_object_tag(b->GetReliefDepth()),
                         OM::OM_ask_object_tag(b->GetThickness())};
  EXPECT_EQ(OM::OM_ask_owner(profile), b);
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  for (tag_t tag : held) EXPECT_NE(OM::OM_object_of_tag(tag), nullptr) << tag;
  EXPECT_EQ(OM::OM_ask_owner(profile), nullptr);

  // An edit given up leaves them with the feature too.
  CastReliefBuilder* e = CastReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_NE(e->GetReliefProfile(), profile);  // a copy, which goes with the edit
  e->destroy();
  for (tag_t tag : held) EXPECT_NE(OM::OM_object_of_tag(tag), nullptr) << tag;
}

TEST_F(CastRelief, AFeatureCanBeEditedAgainAfterAnEdit) {
  CastReliefBuilder* b = ReadyBuilder();
  const tag_t profile = OM::OM_ask_object_tag(b->GetReliefProfile());
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  for (const char* depth : {"6", "8"}) {
    CastReliefBuilder* e = CastReliefBuilderFactory::Create(modelPart(), frec);
    EXPECT_EQ(Stamvik::LoopsOf(e->GetReliefProfile()), Stamvik::LoopsOf(OM::TagToObject<SC_section>(profile)));
    Set(e->GetReliefDepth(), depth);
    FEATURE_RECORD* again = frec;
    EXPECT_EQ(e->commit_feature(&again), 0);
    e->destroy();
  }
  CastReliefBuilder* e = CastReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(EXP_ask_value_of_exp(e->GetReliefDepth()), 8.0);
  e->destroy();
}

TEST_F(CastRelief, TheParametersHoldTheSixEntitiesOfTheFeature) {
  CastReliefBuilder* b = ReadyBuilder();
  const tag_t sheetMetal = b->GetSheetMetal()->ask_selected_tag();
  Set(b->GetThickness(), "1.5");
  b->SetCreateSupportCasting(true);
  Host::ClearCalls();
  // The feature keeps the profile the builder committed; the builder goes
  // on with a copy.
  const tag_t profile = OM::OM_ask_object_tag(b->GetReliefProfile());
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  // The inputs it extracts: the target, the sheet metal, then the profile's curves.
  auto table = ArgsOf("DIEDES_UTILS_create_extraction_table");
  ASSERT_EQ(table.size(), 1u);
  EXPECT_TRUE(Has(table[0], "count=5 tags=[" + std::to_string(b->GetTarget()->ask_selected_tag()) + "," +
                                std::to_string(sheetMetal) + ","))
      << table[0];
  // The commit's map is there: the profile goes through it.
  EXPECT_EQ(ArgsOf("DIEDES_EXTRACTION_TABLE_MAP::MapSection"),
            std::vector<std::string>{"tag=" + std::to_string(profile)});
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  ASSERT_EQ(parms->GetNumEntities(), 6);
  // The profile, flag 0.
  EXPECT_EQ(parms->GetEntity(0)->AskFlag(), 0);
  ASSERT_EQ(parms->GetEntity(0)->AskCount(), 1);
  EXPECT_EQ(parms->AskEntityTag(0, 0), profile);
  EXPECT_NE(OM::OM_ask_object_tag(b->GetReliefProfile()), profile);
  // The sheet metal and the relief sheet, flag 1; no relief sheet is no value.
  EXPECT_EQ(parms->GetEntity(1)->AskFlag(), 1);
  ASSERT_EQ(parms->GetEntity(1)->AskCount(), 1);
  EXPECT_EQ(parms->AskEntityTag(1, 0), sheetMetal);
  EXPECT_EQ(parms->GetEntity(2)->AskFlag(), 1);
  EXPECT_EQ(parms->GetEntity(2)->AskCount(), 0);
  // Depth, then thickness, flag 1; the support option, flag 0.
  EXPECT_EQ(parms->GetEntity(4)->AskFlag(), 1);
  ASSERT_EQ(parms->GetEntity(4)->AskCount(), 2);
  EXPECT_EQ(EXP_ask_value_of_exp(parms->AskEntityExpression(4, 0)), 5.0);
  EXPECT_EQ(EXP_ask_value_of_exp(parms->AskEntityExpression(4, 1)), 1.5);
  EXPECT_EQ(parms->GetEntity(5)->AskFlag(), 0);
  EXPECT_EQ(parms->AskEntityInt(5, 0), 1);
  EXPECT_EQ(parms->GetDistanceTolerance(), b->GetDistanceTolerance());
  EXPECT_EQ(parms->GetAngleTolerance(), b->GetAngleTolerance());

  // Parameters of another feature are refused before anything is written.
  FEATURE_RECORD* none = nullptr;
  DIEDES_GENERIC_BODY_PARMS* clearance = DieDes::ClearanceFactory::Create();
  EXPECT_EQ(b->DieGenericBodyCommitFeature(&none, clearance, 0), 690000);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(clearance->GetEntity(0)->AskCount(), 0);
  b->destroy();
}

TEST_F(CastRelief, AFeatureWithoutAProfileIsEditedWithANewSection) {
  CastReliefBuilder* b = ReadyBuilder();
  const tag_t old = OM::OM_ask_object_tag(b->GetReliefProfile());
  b->GetReliefProfile()->clear();
  b->SetDistanceTolerance(0.02);
  b->SetAngleTolerance(0.25);
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  Host::ClearCalls();
  CastReliefBuilder* e = CastReliefBuilderFactory::Create(modelPart(), frec);
  ASSERT_NE(e->GetReliefProfile(), nullptr);
  EXPECT_NE(OM::OM_ask_object_tag(e->GetReliefProfile()), old);
  EXPECT_TRUE(e->GetReliefProfile()->is_empty());
  // Made with the feature's tolerances.
  EXPECT_EQ(ArgsOf("SC_sectionFactory::object"),
            std::vector<std::string>{"part=" + std::to_string(part()->ask_tag()) + " 0.019000 0.020000 0.250000"});
  e->destroy();
}

TEST_F(CastRelief, ParametersWithoutEntitiesLeaveTheTolerances) {
  CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  b->SetDistanceTolerance(0.03);
  b->SetAngleTolerance(0.3);
  auto* parms = DIEDES_GENERIC_BODY_PARMS::Make(DieDes::CastRelief::ThisClassId, {});
  parms->SetDistanceTolerance(0.07);
  parms->SetAngleTolerance(0.7);
  b->ConvertFrecToBuilderData(FEATURE_RECORD::Create(part(), parms));
  EXPECT_EQ(b->GetDistanceTolerance(), 0.03);
  EXPECT_EQ(b->GetAngleTolerance(), 0.3);
  b->destroy();
}

TEST_F(CastRelief, AFeatureWhoseTargetGaveTheSheetCanBeEdited) {
  CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  ClosedLoop(b->GetReliefProfile());
  Set(b->GetReliefDepth(), "3");
  b->GetTargetData()->SetSheet(true, ModelBody(BodyType::Sheet));
  b->GetTargetData()->SetBaseFlag(true);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  CastReliefBuilder* e = CastReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(e->GetSheetMetal()->ask_selected_tag(), 0u);
  EXPECT_EQ(e->GetReliefSheet()->ask_selected_tag(), 0u);
  EXPECT_EQ(EXP_ask_value_of_exp(e->GetReliefDepth()), 3.0);
  e->destroy();
}

TEST_F(CastRelief, ARecordOfAnotherFeatureIsRefused) {
  CastReliefBuilder* b = CastReliefBuilderFactory::Create(modelPart(), nullptr);
  FEATURE_RECORD* clearance = FEATURE_RECORD::Create(part(), DieDes::ClearanceFactory::Create());
  try {
    b->ConvertBuilderDataToFrec(clearance);
    ADD_FAILURE() << "no error";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670156);
    EXPECT_EQ(e.text(), "Feature is not a Cast Relief.");
  }
  FEATURE_RECORD* bare = FEATURE_RECORD::Create(part(), nullptr);
  try {
    b->ConvertBuilderDataToFrec(bare);
    ADD_FAILURE() << "no error";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670156);
    EXPECT_EQ(e.text(), "Feature has no database parameters.");
  }
  b->destroy();
}

}  // namespace
