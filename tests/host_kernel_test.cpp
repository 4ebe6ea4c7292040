// The stand-in kernel, the library's body utilities and the die-design target
// objects, as the builders' previews and commits use them.
#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieDesign.hpp"
#include "geom/Geometry.hpp"
#include "jam/Jam.hpp"
#include "jam/Session.hpp"
#include "kernel/Kernel.hpp"
#include "sel/Selection.hpp"

namespace {

using KTX::Host::Calls;
using KTX::Host::CountCalls;
using KTX::Kernel::BodyType;

// Every test must leave the kernel as it found it: no body left alive, and
// no kernel error but those the test provokes on purpose.
class KernelTest : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    before_ = KTX::Kernel::LiveCounters();
  }
  void TearDown() override {
    KTX::Kernel::Counters now = KTX::Kernel::LiveCounters();
    EXPECT_EQ(now.liveBodies, before_.liveBodies) << "kernel bodies left alive";
    EXPECT_EQ(now.deleteErrors - before_.deleteErrors, expectedDeleteErrors_) << "unexpected kernel delete errors";
    ExpectKernelDeleteErrors(expectedDeleteErrors_);
    HostTest::TearDown();
  }

  int LiveBodies() const { return KTX::Kernel::LiveCounters().liveBodies - before_.liveBodies; }
  int DeleteErrors() const { return KTX::Kernel::LiveCounters().deleteErrors - before_.deleteErrors; }

  // The arguments of every logged call of that name, in order.
  static std::vector<std::string> ArgsOf(const std::string& name) {
    std::vector<std::string> args;
    for (const KTX::Host::Call& c : Calls()) {
      if (c.name == name) args.push_back(c.args);
    }
    return args;
  }

  // A host-allocated array, as the library hands tool bodies over.
  static int* HostArray(const std::vector<int>& values) {
    auto* array = static_cast<int*>(SM_calloc(values.size(), sizeof(int)));
    for (std::size_t i = 0; i < values.size(); ++i) array[i] = values[i];
    return array;
  }

  int expectedDeleteErrors_ = 0;

 private:
  KTX::Kernel::Counters before_{};
};

// ---- bodies, copies and deletion -------------------------------------------

// A dead entity's record stays a while (what it was copied from is still
// answered), then a sweep drops it: the records stay within the sweep's floor
// twice over however many bodies come and go, a dropped tag still answers as
// deleted and the tag past the last one as unknown, and an undo across
// sweeps brings back a body deleted under its mark.
TEST_F(KernelTest, DeadEntitiesRecordsGoWithASweepWhileTheirTagsStayDead) {
  namespace Kernel = KTX::Kernel;
  constexpr std::size_t kFloor = 4096;
  constexpr int kChurn = 3 * static_cast<int>(kFloor) + 1;
  auto churn = [&] {
    std::size_t most = 0, records = Kernel::EntityRecords();
    int sweeps = 0, previous = 0;
    for (int i = 0; i < kChurn; ++i) {
      const int body = Kernel::CreateBody(BodyType::Solid);
      if (Kernel::EntityRecords() <= records) {
        // A sweep came: what died just before it keeps its record through it.
        ++sweeps;
        EXPECT_NE(Kernel::PartitionOf(previous), 0);
      }
      EXPECT_EQ(Kernel::DeleteBody(body, "test"), 0);
      records = Kernel::EntityRecords();
      most = std::max(most, records);
      previous = body;
    }
    EXPECT_GE(sweeps, 2);
    return most;
  };
  // A case before (this one too, repeated) may have left the last sweep
  // counting thousands alive under a mark, which puts the next sweep off as
  // far: bodies past them bring a sweep that counts only this case's.
  for (int i = 0; i < 2 * kChurn; ++i) ASSERT_EQ(Kernel::DeleteBody(Kernel::CreateBody(BodyType::Solid), "test"), 0);
  const int source = Kernel::CreateBody(BodyType::Solid);
  int copy = 0;
  ASSERT_EQ(DieDesUtilsSolvaneCopy(false, source, &copy), 0);
  ASSERT_EQ(Kernel::DeleteBody(copy, "test"), 0);
  EXPECT_EQ(Kernel::CopiedFrom(copy), source);
  EXPECT_LT(churn(), 2 * kFloor + 64);
  EXPECT_EQ(Kernel::CopiedFrom(copy), 0) << "the dead copy's record is still kept";

  EXPECT_EQ(Kernel::DeleteBody(copy, "test"), ZV_ERROR_bad_tag);
  EXPECT_EQ(Kernel::Errors().back(), "test: body " + std::to_string(copy) + " is already deleted");
  const int newest = Kernel::CreateBody(BodyType::Sheet);
  EXPECT_EQ(Kernel::DeleteBody(newest + 1, "test"), ZV_ERROR_bad_tag);
  EXPECT_EQ(Kernel::Errors().back(), "test: body " + std::to_string(newest + 1) + " is unknown");
  expectedDeleteErrors_ = 2;

  int error = 0;
  const int mark = UNDO_QD_set_mark(1, "sweeps", &error);
  ASSERT_EQ(Kernel::DeleteBody(source, "test"), 0);
  ASSERT_EQ(Kernel::DeleteBody(newest, "test"), 0);
  churn();
  ASSERT_EQ(UNDO_QD_undo_to_mark(mark, "sweeps"), 0);
  ASSERT_EQ(UNDO_QD_delete_mark(mark, "sweeps"), 0);
  EXPECT_TRUE(Kernel::IsBody(source));
  EXPECT_TRUE(Kernel::IsSheet(newest));
  EXPECT_EQ(LiveBodies(), 2);
  EXPECT_EQ(Kernel::DeleteBody(source, "test"), 0);
  EXPECT_EQ(Kernel::DeleteBody(newest, "test"), 0);
}

TEST_F(KernelTest, CopyIsANewBodyOfTheSameTypeAndIsRecorded) {
  int sheet = KTX::Kernel::CreateBody(BodyType::Sheet);
  KTX::Kernel::AddFace(sheet);
  KTX::Kernel::AddFace(sheet);

  int copy = -1;
  ASSERT_EQ(DieDesUtilsSolvaneCopy(false, sheet, &copy), 0);
  EXPECT_NE(copy, 0);
  EXPECT_NE(copy, sheet);
  EXPECT_EQ(KTX::Kernel::CopiedFrom(copy), sheet);
  EXPECT_EQ(LiveBodies(), 2);
  EXPECT_EQ(ArgsOf("DieDesUtilsSolvaneCopy"), std::vector<std::string>{"option=0 body=" + std::to_string(sheet)});

  int type = 0;
  ASSERT_EQ(ZV_BODY_ask_type(copy, &type), 0);
  EXPECT_EQ(type, ZV_BODY_type_sheet_c);
  int n = 0;
  int* faces = nullptr;
  ASSERT_EQ(ZV_BODY_ask_faces(copy, &n, &faces), 0);
  ASSERT_EQ(n, 2);
  int face = faces[1];
  SM_free(faces);
  int owner = 0;
  EXPECT_EQ(ZV_FACE_ask_body(face, &owner), 0);
  EXPECT_EQ(owner, copy);

  // Deleting a body takes its faces with it.
  EXPECT_EQ(DieDesUtilsDeleteBody(copy), 0);
  EXPECT_FALSE(ZV_ENTITY_is(copy));
  EXPECT_FALSE(ZV_ENTITY_is(face));
  EXPECT_EQ(ZV_FACE_ask_body(face, &owner), ZV_ERROR_bad_tag);
  EXPECT_EQ(DieDesUtilsDeleteBody(sheet), 0);
}

TEST_F(KernelTest, ACopyThatFailsGivesNoBody) {
  int solid = KTX::Kernel::CreateBody(BodyType::Solid);
  KTX::Host::SetAnswer("DieDesUtilsSolvaneCopy", 674057);
  int copy = -1;
  EXPECT_EQ(DieDesUtilsSolvaneCopy(false, solid, &copy), 674057);
  EXPECT_EQ(copy, 0);
  EXPECT_EQ(LiveBodies(), 1);
  // A dead body cannot be copied either.
  KTX::Host::ClearAnswers();
  DieDesUtilsDeleteBody(solid);
  EXPECT_EQ(DieDesUtilsSolvaneCopy(false, solid, &copy), ZV_ERROR_bad_tag);
  EXPECT_EQ(copy, 0);
}

TEST_F(KernelTest, DeletingTwiceOrAnUnknownBodyIsSeen) {
  int solid = KTX::Kernel::CreateBody(BodyType::Solid);
  EXPECT_EQ(DieDesUtilsDeleteBody(solid), 0);
  EXPECT_EQ(DeleteErrors(), 0);

  EXPECT_NE(DieDesUtilsDeleteBody(solid), 0);
  EXPECT_EQ(DeleteErrors(), 1);
  EXPECT_EQ(KTX::Kernel::Errors().back(), "DieDesUtilsDeleteBody: body " + std::to_string(solid) + " is already deleted");
  EXPECT_EQ(CountCalls("KERNEL_error"), 1u);

  // An object-manager tag is no kernel body.
  EXPECT_NE(DieDesUtilsDeleteBody(static_cast<int>(part()->ask_tag())), 0);
  EXPECT_EQ(DeleteErrors(), 2);
  // No body at all is nothing to delete.
  EXPECT_EQ(DieDesUtilsDeleteBody(0), 0);
  EXPECT_EQ(DeleteErrors(), 2);
  expectedDeleteErrors_ = 2;
}

TEST_F(KernelTest, AModelBodyIsFoundAndCannotBeDeletedWhileHeld) {
  KTX::tag_t model = part()->ask_tag();
  int body = KTX::Kernel::CreateBody(BodyType::Solid);
  KTX::Kernel::AttachModelBody(model, body);
  EXPECT_EQ(KTX::ES_solid_ask_solvane_tag(model), body);
  EXPECT_EQ(KTX::ES_solid_ask_solvane_tag(model + 1), 0);

  // Deleting the model's own body instead of a copy of it is a fault.
  EXPECT_NE(DieDesUtilsDeleteBody(body), 0);
  EXPECT_TRUE(ZV_ENTITY_is(body));
  EXPECT_EQ(DeleteErrors(), 1);
  expectedDeleteErrors_ = 1;

  EXPECT_EQ(KTX::Kernel::DetachModelBody(model), body);
  EXPECT_EQ(KTX::ES_solid_ask_solvane_tag(model), 0);
  EXPECT_EQ(DieDesUtilsDeleteBody(body), 0);
}

TEST_F(KernelTest, DeleteBodiesFreesTheArrayAndClearsTheCallersCopy) {
  int a = KTX::Kernel::CreateBody(BodyType::Solid);
  int b = KTX::Kernel::CreateBody(BodyType::Sheet);
  int count = 3;
  int* bodies = HostArray({a, 0, b});
  DieDesUtilsDeleteBodies(&count, &bodies);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  EXPECT_EQ(LiveBodies(), 0);
  EXPECT_EQ(DeleteErrors(), 0);
  EXPECT_EQ(ArgsOf("DieDesUtilsDeleteBodies"),
            std::vector<std::string>{"count=3 bodies=[" + std::to_string(a) + ",0," + std::to_string(b) + "]"});

  // Called again on what it left: nothing happens, nothing is freed twice.
  DieDesUtilsDeleteBodies(&count, &bodies);
  DieDesUtilsDeleteBodies(nullptr, nullptr);
  EXPECT_EQ(DeleteErrors(), 0);
}

// ---- booleans ----------------------------------------------------------------

TEST_F(KernelTest, BooleanOptionRecordLayout) {
  // The callers write these members by their place in the record.
  EXPECT_EQ(offsetof(ZV_BODY_boolean_o_t, option_24), 24u);
  EXPECT_EQ(offsetof(ZV_BODY_boolean_o_t, option_32), 32u);
  EXPECT_EQ(sizeof(ZV_BODY_boolean_o_t{}.option_32), 2u);
  EXPECT_EQ(offsetof(ZV_BODY_boolean_o_t, tolerance), 40u);
  EXPECT_EQ(ZV_BODY_boolean_o_t{}.o_t_version, 16);
  EXPECT_EQ(ZV_BODY_offset_o_t{}.o_t_version, 12);
}

TEST_F(KernelTest, KernelBooleanConsumesItsToolsAndKeepsTheTarget) {
  int target = KTX::Kernel::CreateBody(BodyType::Solid);
  int tools[2] = {KTX::Kernel::CreateBody(BodyType::Solid), KTX::Kernel::CreateBody(BodyType::Solid)};
  ZV_BODY_boolean_o_t options;
  options.function = ZV_boolean_intersect_c;
  options.option_32 = 1;
  options.tolerance = 2.5e-5;
  ZV_TOPOL_track_r_t tracking;
  ZV_boolean_r_t results;
  ASSERT_EQ(ZV_BODY_boolean_2(target, 2, tools, &options, &tracking, &results), 0);
  EXPECT_EQ(results.status, ZV_boolean_result_success_c);
  ASSERT_EQ(results.n_bodies, 1);
  EXPECT_EQ(results.bodies[0], target);
  EXPECT_TRUE(ZV_ENTITY_is(target));
  EXPECT_FALSE(ZV_ENTITY_is(tools[0]));
  EXPECT_FALSE(ZV_ENTITY_is(tools[1]));
  EXPECT_EQ(ArgsOf("ZV_BODY_boolean_2").at(0),
            "target=" + std::to_string(target) + " tools=[" + std::to_string(tools[0]) + "," +
                std::to_string(tools[1]) + "] function=15901 tol=2.5e-05 version=16 option_24=0 option_32=1");
  ZV_TOPOL_track_r_f(&tracking);
  ZV_boolean_r_f(&results);
  ZV_boolean_r_f(&results);  // a second free is harmless

  // An empty result takes the target away as well.
  int tool = KTX::Kernel::CreateBody(BodyType::Solid);
  KTX::Host::SetAnswer("ZV_BODY_boolean_2.empty", 1);
  ASSERT_EQ(ZV_BODY_boolean_2(target, 1, &tool, nullptr, &tracking, &results), 0);
  EXPECT_EQ(results.n_bodies, 0);
  EXPECT_FALSE(ZV_ENTITY_is(target));
  ZV_TOPOL_track_r_f(&tracking);
  ZV_boolean_r_f(&results);
  EXPECT_EQ(LiveBodies(), 0);
}

TEST_F(KernelTest, KernelRefusesABooleanOnADeadBodyAndChangesNothing) {
  int target = KTX::Kernel::CreateBody(BodyType::Solid);
  int dead = KTX::Kernel::CreateBody(BodyType::Solid);
  int alive = KTX::Kernel::CreateBody(BodyType::Solid);
  DieDesUtilsDeleteBody(dead);
  int tools[2] = {alive, dead};
  ZV_TOPOL_track_r_t tracking;
  ZV_boolean_r_t results;
  EXPECT_EQ(ZV_BODY_boolean_2(target, 2, tools, nullptr, &tracking, &results), ZV_ERROR_bad_tag);
  EXPECT_TRUE(ZV_ENTITY_is(alive));
  EXPECT_EQ(results.bodies, nullptr);
  EXPECT_EQ(ZV_BODY_boolean_2(target, 1, &target, nullptr, &tracking, &results), ZV_ERROR_bad_value);
  DieDesUtilsDeleteBody(alive);
  DieDesUtilsDeleteBody(target);
}

// The cast relief's preview: unite the tools marked unite, then subtract the
// tools marked subtract, both on the target copy; the tools stay the caller's.
TEST_F(KernelTest, PreviewBooleansApplyOnlyTheToolsOfTheirOperation) {
  int copy = KTX::Kernel::CreateBody(BodyType::Solid);
  int unite = KTX::Kernel::CreateBody(BodyType::Solid);
  int subtract = KTX::Kernel::CreateBody(BodyType::Solid);
  int tools[2] = {unite, subtract};
  int operations[2] = {15903, 15902};
  const char* text = "CastRelief: Performing boolean operation";
  int result = -1;
  EXPECT_EQ(DIEDES_UTILS_boolean_bodies(copy, 2, tools, operations, 15903, nullptr, 0.01, text, &result), 0);
  EXPECT_EQ(result, ZV_boolean_result_success_c);
  EXPECT_EQ(KTX::DieDesUtils::CurrentState().progressText, text);
  int target = copy;
  result = -1;
  EXPECT_EQ(DIEDES_UTILS_boolean_bodies2(54, &target, 2, tools, operations, 15902, nullptr, 0.01, text, &result), 0);
  EXPECT_EQ(target, copy);
  EXPECT_EQ(result, ZV_boolean_result_success_c);

  std::string list = "tools=[" + std::to_string(unite) + "," + std::to_string(subtract) + "] operations=[15903,15902]";
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_boolean_bodies"),
            std::vector<std::string>{"target=" + std::to_string(copy) + " " + list +
                                     " operation=15903 options=null tol=0.01 text=\"" + text + "\""});
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_boolean_bodies2"),
            std::vector<std::string>{"mode=54 target=" + std::to_string(copy) + " " + list +
                                     " operation=15902 options=null tol=0.01 text=\"" + text + "\""});

  // Each kernel boolean got one copy of the matching tool, never the tool
  // itself, and the distance tolerance in kernel units.
  std::vector<std::string> kernel = ArgsOf("ZV_BODY_boolean_2");
  ASSERT_EQ(kernel.size(), 2u);
  EXPECT_NE(kernel[0].find(" function=15903 tol=1e-05 "), std::string::npos) << kernel[0];
  EXPECT_NE(kernel[1].find(" function=15902 tol=1e-05 "), std::string::npos) << kernel[1];
  EXPECT_EQ(kernel[0].find("[" + std::to_string(unite) + "]"), std::string::npos);
  EXPECT_TRUE(ZV_ENTITY_is(unite));
  EXPECT_TRUE(ZV_ENTITY_is(subtract));
  EXPECT_EQ(LiveBodies(), 3);

  DIEDES_UTILS_boolean_tolerance_derive(0);
  DIEDES_UTILS_progress_bar_destroy();
  DIEDES_UTILS_clear_build_state();
  EXPECT_EQ(KTX::DieDesUtils::CurrentState().progressText, "");
  EXPECT_FALSE(KTX::DieDesUtils::CurrentState().buildStatePending);

  int count = 2;
  int* held = HostArray({unite, subtract});
  DieDesUtilsDeleteBodies(&count, &held);
  DieDesUtilsDeleteBody(copy);
}

TEST_F(KernelTest, PreviewBooleanWithoutMatchingToolsCallsNoKernel) {
  int copy = KTX::Kernel::CreateBody(BodyType::Solid);
  int tool = KTX::Kernel::CreateBody(BodyType::Solid);
  int operation = 15903;
  int result = -1;
  EXPECT_EQ(DIEDES_UTILS_boolean_bodies(copy, 1, &tool, &operation, 18210, nullptr, 0.01, "x", &result), 0);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(CountCalls("ZV_BODY_boolean_2"), 0u);
  DieDesUtilsDeleteBody(tool);
  DieDesUtilsDeleteBody(copy);
}

TEST_F(KernelTest, GivenOptionsAreUsedAsTheyAre) {
  // The die boolean's kernel mode: its own record, its tolerance already in
  // kernel units, the one-byte member set.
  int target = KTX::Kernel::CreateBody(BodyType::Solid);
  int tool = KTX::Kernel::CreateBody(BodyType::Solid);
  int token = 15902;
  ZV_BODY_boolean_o_t options;
  options.function = token;
  options.option_24 = 1;
  options.tolerance = 0.5 * KTX::Kernel::ScaleFactors().factors[0];
  int result = 0;
  EXPECT_EQ(DIEDES_UTILS_boolean_bodies(target, 1, &tool, &token, token, &options, 0.5, "Performing boolean", &result),
            0);
  std::string kernel = ArgsOf("ZV_BODY_boolean_2").at(0);
  EXPECT_NE(kernel.find("function=15902 tol=0.0005 version=16 option_24=1 option_32=0"), std::string::npos) << kernel;
  DieDesUtilsDeleteBody(tool);
  DieDesUtilsDeleteBody(target);
}

TEST_F(KernelTest, ABooleanThatEmptiesTheTargetClearsTheCallersTag) {
  int copy = KTX::Kernel::CreateBody(BodyType::Solid);
  int tool = KTX::Kernel::CreateBody(BodyType::Solid);
  KTX::Host::SetAnswer("ZV_BODY_boolean_2.empty", 1);
  int target = copy;
  int result = 0;
  EXPECT_EQ(DIEDES_UTILS_boolean_bodies2(22, &target, 1, &tool, nullptr, 15902, nullptr, 0.01, " Clearance: x", &result),
            0);
  EXPECT_EQ(target, 0);
  EXPECT_FALSE(ZV_ENTITY_is(copy));
  EXPECT_TRUE(ZV_ENTITY_is(tool));
  DieDesUtilsDeleteBody(tool);
}

TEST_F(KernelTest, ABooleanOnADeadTargetIsRecordedAndDoesNothing) {
  int copy = KTX::Kernel::CreateBody(BodyType::Solid);
  int tool = KTX::Kernel::CreateBody(BodyType::Solid);
  DieDesUtilsDeleteBody(copy);
  std::size_t errors = KTX::Kernel::Errors().size();
  int result = -1;
  EXPECT_EQ(DIEDES_UTILS_boolean_bodies(copy, 1, &tool, nullptr, 15903, nullptr, 0.01, "t", &result), ZV_ERROR_bad_tag);
  EXPECT_EQ(KTX::Kernel::Errors().size(), errors + 1);
  EXPECT_EQ(CountCalls("ZV_BODY_boolean_2"), 0u);
  EXPECT_EQ(LiveBodies(), 1);
  DieDesUtilsDeleteBody(tool);
}

// ---- the die shoe's kernel steps ---------------------------------------------

TEST_F(KernelTest, SweepTurnsASheetIntoASolidInPlace) {
  double point[3] = {0, 0, 0};
  double up[3] = {0, 0, 1};
  // A closed square of 100 mm.
  const double square[] = {0, 0, 0, 100, 0, 0, 100, 100, 0, 0, 100, 0, 0, 0, 0};
  KTX::tag_t curve = KTX::ES_create_polyline(5, square);
  int sheet = 0;
  ASSERT_EQ(DIEDES_UTILS__bplane_from_curves(1, &curve, point, up, 0.01, &sheet, nullptr, nullptr), 0);
  double path[3] = {0, 0, 0.045};
  ZV_TOPOL_track_r_t tracking;
  ASSERT_EQ(ZV_BODY_sweep(sheet, path, &tracking), 0);
  int type = 0;
  ZV_BODY_ask_type(sheet, &type);
  EXPECT_EQ(type, ZV_BODY_type_solid_c);
  ZV_TOPOL_track_r_f(&tracking);
  // A solid cannot be swept again.
  EXPECT_EQ(ZV_BODY_sweep(sheet, path, &tracking), ZV_ERROR_wrong_type);

  // An offset works in place and records its options.
  ZV_BODY_offset_o_t options;
  options.update = 3;
  ZV_TOPOL_local_r_t local;
  ASSERT_EQ(ZV_BODY_offset_2(sheet, -0.01, 1e-5, &options, &tracking, &local), 0);
  EXPECT_EQ(ArgsOf("ZV_BODY_offset_2").at(0),
            "body=" + std::to_string(sheet) + " offset=-0.01 tol=1e-05 version=12 update=3");
  // 100 x 100 x 45 mm shrunk by 10 mm on every face: 80 x 80 x 25 mm.
  EXPECT_NEAR(KTX::Kernel::Volume(sheet), 0.08 * 0.08 * 0.025, 1e-9);
  ZV_TOPOL_track_r_f(&tracking);
  ZV_TOPOL_local_r_f(&local);
  DieDesUtilsDeleteBody(sheet);
}

TEST_F(KernelTest, ToolStepsKeepTheToolAndTrimmingMayLeaveNothing) {
  int body = KTX::Kernel::CreateBody(BodyType::Solid);
  int tool = KTX::Kernel::CreateBody(BodyType::Solid);
  EXPECT_EQ(DIEDES_UTILS__unite_tool_to_target(body, tool, 0.02), 0);
  EXPECT_EQ(DIEDES_UTILS__subtract_tool_from_target(body, tool, 0.02), 0);
  EXPECT_TRUE(ZV_ENTITY_is(tool));
  EXPECT_EQ(LiveBodies(), 2);
  std::vector<std::string> kernel = ArgsOf("ZV_BODY_boolean_2");
  ASSERT_EQ(kernel.size(), 2u);
  EXPECT_NE(kernel[0].find("function=15903 tol=2e-05"), std::string::npos);
  EXPECT_NE(kernel[1].find("function=15902 tol=2e-05"), std::string::npos);

  double q[3] = {0, 0, 10};
  double n[3] = {0, 0, -2};
  EXPECT_EQ(DIEDES_UTILS__trim_body_to_plane(body, q, n), 0);
  EXPECT_TRUE(ZV_ENTITY_is(body));
  KTX::Host::SetAnswer("DIEDES_UTILS__trim_body_to_plane.vanish", 1);
  EXPECT_EQ(DIEDES_UTILS__trim_body_to_plane(body, q, n), 0);
  EXPECT_FALSE(ZV_ENTITY_is(body));

  double p[3] = {5, 5, 4};
  EXPECT_DOUBLE_EQ(DIEDES_UTILS__dist_to_plane(p, q, n), 6.0);
  DieDesUtilsDeleteBody(tool);
}

TEST_F(KernelTest, PrecisionAndScaleFactors) {
  // Host millimetres to kernel metres and back.
  EXPECT_DOUBLE_EQ(KTX::Kernel::ScaleFactors().factors[0], 0.001);
  EXPECT_DOUBLE_EQ(KTX::Kernel::ScaleFactors().factors[1], 1000.0);
  double linear = 0;
  double angular = 0;
  EXPECT_EQ(ZV_SESSION_ask_precision(&linear), 0);
  EXPECT_EQ(ZV_SESSION_ask_angle_precision(&angular), 0);
  EXPECT_GT(linear, 0.0);
  EXPECT_GT(angular, 0.0);
  KTX::Kernel::SetSessionPrecision(2e-8, 3e-11);
  ZV_SESSION_ask_precision(&linear);
  ZV_SESSION_ask_angle_precision(&angular);
  EXPECT_DOUBLE_EQ(linear, 2e-8);
  EXPECT_DOUBLE_EQ(angular, 3e-11);
  KTX::Kernel::SetSessionPrecision(1e-8, 1e-11);
}

// ---- die-design targets --------------------------------------------------------

TEST_F(KernelTest, CastReliefTargetStartsEmptyAndReportsWhatItKnows) {
  auto* target = KTX::DieDes::CastReliefTargetFactory::Create(part());
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(target->GetOwningPart(), part());
  EXPECT_FALSE(target->GetBaseFlag());
  EXPECT_FALSE(target->GetSheetFlag());
  EXPECT_EQ(target->GetSheetTag(), 0u);
  EXPECT_EQ(target->GetTargetBody(), 0u);
  EXPECT_FALSE(target->GetUpdateFlag());
  EXPECT_EQ(target->GetFrecPointer(), nullptr);

  double origin[3] = {1, 2, 3};
  double normal[3] = {0, 0, 1};
  target->SetBase(origin, normal);
  target->SetBaseFlag(true);
  target->SetSheet(true, 4711);
  EXPECT_TRUE(target->GetBaseFlag());
  EXPECT_TRUE(target->GetOrientationFlag());
  double o[3] = {};
  double n[3] = {};
  target->GetBaseOrigin(o);
  target->GetBaseNormal(n);
  EXPECT_EQ(std::vector<double>(o, o + 3), (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(std::vector<double>(n, n + 3), (std::vector<double>{0, 0, 1}));
  EXPECT_EQ(target->GetSheetTag(), 4711u);
  target->destroy();
}

TEST_F(KernelTest, TargetBodyIsUndoneWithItsMark) {
  auto* target = KTX::DieDes::ClearanceTargetFactory::Create(part());
  target->SetTargetBody(1234);
  int error = 0;
  int mark = UNDO_QD_set_mark(1, nullptr, &error);
  target->SetTargetBody(5678);
  EXPECT_EQ(target->GetTargetBody(), 5678u);
  UNDO_QD_undo_to_mark(mark, nullptr);
  EXPECT_EQ(target->GetTargetBody(), 1234u);
  UNDO_QD_delete_mark(mark, nullptr);
  EXPECT_EQ(ArgsOf("DieDesTarget::SetTargetBody").size(), 2u);
  target->destroy();
}

TEST_F(KernelTest, ClearanceTargetFlagsAndTheCommitStep) {
  auto* target = KTX::DieDes::ClearanceTargetFactory::Create(part());
  EXPECT_FALSE(target->GetOrientationFlag());
  EXPECT_FALSE(target->GetThicknessFlag());
  target->SetOrientationFlag(true);
  target->SetThickness(true, 45.0);
  target->SetUpdateFlag(true);
  EXPECT_TRUE(target->GetOrientationFlag());
  EXPECT_TRUE(target->GetThicknessFlag());
  EXPECT_DOUBLE_EQ(target->GetThicknessValue(), 45.0);
  EXPECT_TRUE(target->GetUpdateFlag());

  KTX::FEATURE_RECORD* record = nullptr;
  target->SetFrecPointer(&record);
  EXPECT_EQ(target->GetFrecPointer(), &record);
  EXPECT_EQ(CountCalls("DieDesTarget::SetFrecPointer"), 1u);
  target->destroy();
}

TEST_F(KernelTest, TargetCopiesTakeTheAnalysisButNotTheCommitStep) {
  auto* source = KTX::DieDes::MachineReliefTargetFactory::Create(part());
  source->SetTargetBody(2222);
  source->SetOrientationFlag(true);
  source->SetReliefKind(2);
  KTX::FEATURE_RECORD* record = nullptr;
  source->SetFrecPointer(&record);
  auto* copy = KTX::DieDes::MachineReliefTargetFactory::CreateCopy(part(), source);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, source);
  EXPECT_EQ(copy->GetTargetBody(), 2222u);
  EXPECT_TRUE(copy->GetOrientationFlag());
  EXPECT_EQ(copy->GetReliefKind(), 2);
  EXPECT_EQ(copy->GetFrecPointer(), nullptr);

  auto* core = KTX::DieDes::HandlingCoreTargetFactory::Create(part());
  core->SetThickness(true, 12.5);
  auto* coreCopy = KTX::DieDes::HandlingCoreTargetFactory::CreateCopy(part(), core);
  EXPECT_DOUBLE_EQ(coreCopy->GetThicknessValue(), 12.5);
  for (KTX::DieDes::DieDesTarget* t : std::vector<KTX::DieDes::DieDesTarget*>{source, copy, core}) t->destroy();
  // The copy is left to the part, which releases it with itself.
}

// ---- the "Session" interface ----------------------------------------------------

TEST_F(KernelTest, SessionMarksAreFetchedByNameAndUndoTheModel) {
  auto* session =
      static_cast<KTX::JAM::Session_Interface*>(KTX::JAM::ClassInitializer::GetUnjournalledInterface("Session"));
  ASSERT_NE(session, nullptr);
  KTX::SELECT_OBJECT* selection = KTX::SELECT_OBJECTFactory::Create(part());
  selection->set_selected_tag(11);

  int mark = 0;
  ASSERT_EQ(session->SessionSetUndoMark(1, "Clearance create bodies", &mark), 0);
  ASSERT_NE(mark, 0);
  EXPECT_EQ(ArgsOf("SessionSetUndoMark"), std::vector<std::string>{"visibility=1 name=\"Clearance create bodies\""});
  EXPECT_EQ(KTX::Host::OpenSessionMarks(), std::vector<int>{mark});
  selection->set_selected_tag(12);
  int inner = 0;
  ASSERT_EQ(session->SessionSetUndoMark(1, nullptr, &inner), 0);

  // Undoing to the mark restores the model and takes the later marks with it.
  EXPECT_EQ(session->SessionUndoToMark(mark, nullptr), 0);
  EXPECT_EQ(selection->ask_selected_tag(), 11u);
  EXPECT_EQ(KTX::Host::OpenSessionMarks(), std::vector<int>{mark});
  EXPECT_EQ(session->SessionDeleteUndoMark(mark, nullptr, 0), 0);
  EXPECT_TRUE(KTX::Host::OpenSessionMarks().empty());
  // A mark that is gone is an error the caller sees.
  EXPECT_NE(session->SessionDeleteUndoMark(mark, nullptr, 0), 0);
  EXPECT_NE(session->SessionUndoToMark(mark, nullptr), 0);
  selection->destroy();
}

// Undo takes the kernel back with the model: what a mark's work made goes,
// what it deleted or detached comes back; a stripped sheet is outside undo.
TEST_F(KernelTest, UndoPutsTheKernelBackAsTheMarkFoundIt) {
  using KTX::ES_solid;
  using KTX::Kernel::ModelObjectOf;
  int body = 0;
  ES_solid* solid = nullptr;
  auto faces = [&] {
    int count = -1;
    int* list = nullptr;
    ZV_BODY_ask_faces(body, &count, &list);
    SM_free(list);
    return count;
  };
  const struct {
    const char* what;
    bool madeBefore;  // a held body made before the mark
    void (*change)(int& body, ES_solid*& solid, KTX::PART_part* part);
    bool alive;  // the body after the undo
  } rows[] = {
      {"a held body made", false,
       [](int& b, ES_solid*& s, KTX::PART_part* p) { s = ES_solid::MakeOwning(p, b = KTX::Kernel::CreateBody(BodyType::Solid)); },
       false},
      {"a stripped sheet made", false,
       [](int& b, ES_solid*&, KTX::PART_part*) { KTX::strip_qd_body(b = KTX::Kernel::CreateBody(BodyType::Sheet)); },
       true},
      {"a held body's solid destroyed", true, [](int&, ES_solid*& s, KTX::PART_part*) { s->destroy(); }, true},
      {"a held body's face removed", true, [](int& b, ES_solid*&, KTX::PART_part*) {
         int n = 0;
         int* list = nullptr;
         ZV_BODY_ask_faces(b, &n, &list);
         KTX::Kernel::RemoveFace(list[0]);
         SM_free(list);
       }, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    body = 0;
    solid = nullptr;
    if (row.madeBefore) {
      solid = ES_solid::MakeOwning(part(), body = KTX::Kernel::CreateBody(BodyType::Solid));
      KTX::Kernel::AddFace(body);
      KTX::Kernel::AddFace(body);
    }
    int error = 0;
    const int mark = UNDO_QD_set_mark(1, nullptr, &error);
    row.change(body, solid, part());
    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0) << row.what;
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0) << row.what;
    EXPECT_EQ(KTX::Kernel::IsBody(body), row.alive) << row.what;
    EXPECT_EQ(LiveBodies(), row.alive ? 1 : 0) << row.what;
    if (row.madeBefore) {
      EXPECT_EQ(KTX::ES_solid_ask_solvane_tag(solid->OmTag()), body) << row.what;
      EXPECT_EQ(ModelObjectOf(body), solid->OmTag()) << row.what;
      EXPECT_EQ(faces(), 2) << row.what;
      solid->destroy();
    } else if (row.alive) {
      EXPECT_EQ(DieDesUtilsDeleteBody(body), 0) << row.what;
    }
    EXPECT_EQ(LiveBodies(), 0) << row.what;
  }
}

// A deleted mark's kernel changes go to the mark below, or are for good.
TEST_F(KernelTest, KernelChangesFollowTheMarksTheyWereMadeUnder) {
  const int a = KTX::Kernel::CreateBody(BodyType::Solid), b = KTX::Kernel::CreateBody(BodyType::Solid);
  int error = 0;
  int outer = UNDO_QD_set_mark(1, nullptr, &error);
  DieDesUtilsDeleteBody(a);
  int inner = UNDO_QD_set_mark(1, nullptr, &error);
  DieDesUtilsDeleteBody(b);
  UNDO_QD_delete_mark(inner, nullptr);
  UNDO_QD_undo_to_mark(outer, nullptr);
  EXPECT_TRUE(KTX::Kernel::IsBody(a));
  EXPECT_TRUE(KTX::Kernel::IsBody(b));

  // The oldest mark deleted under a newer one: its deletion stays, the newer's goes.
  DieDesUtilsDeleteBody(a);
  inner = UNDO_QD_set_mark(1, nullptr, &error);
  DieDesUtilsDeleteBody(b);
  UNDO_QD_delete_mark(outer, nullptr);
  UNDO_QD_undo_to_mark(inner, nullptr);
  UNDO_QD_delete_mark(inner, nullptr);
  EXPECT_FALSE(KTX::Kernel::IsBody(a));
  EXPECT_TRUE(KTX::Kernel::IsBody(b));
  DieDesUtilsDeleteBody(b);
}

}  // namespace
