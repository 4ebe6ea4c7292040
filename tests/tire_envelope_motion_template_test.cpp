// The motion scenario of a tire envelope: built from a suspension template or
// opened by name, its driver joints chosen and recorded; then the runs that
// articulate it (two drivers, or the five-link axle with its two rolls).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "exp/Expression.hpp"
#include "om/ObjectManager.hpp"
#include "vd/Motion.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

std::string NameOf(tag_t object) {
  char name[133] = "";
  VD_OBJ_ask_name(object, name);
  return name;
}

class TireEnvelopeMotionTemplate : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    VD::ResetMotion();
    folder_ = std::make_unique<stamvik_test::ScratchFolder>("tmt-");
    dir_ = folder_->Slashed();
    ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
  }
  void TearDown() override {
    tire_->destroy();
    folder_.reset();
    ::unsetenv("QDEN_TMP_DIR");
    VD::ResetMotion();
    HostTest::TearDown();
  }
  // A builder made anew on the suspension template, one step a driver over
  // the first driver's range and up to the second's upper limit; what the
  // template's build answered.
  int AnewOnTheTemplate(double firstUpper, double firstLower, double secondUpper) {
    TearDown();
    SetUp();
    tire_->SetMotion(SuspensionTemplate);
    const int built = tire_->BuildMotionTemplate();
    tire_->SetFirstDriverJointUpperLimit(firstUpper);
    tire_->SetFirstDriverJointLowerLimit(firstLower);
    tire_->SetFirstDriverJointSteps(1);
    tire_->SetSecondDriverJointUpperLimit(secondUpper);
    tire_->SetSecondDriverJointSteps(1);
    return built;
  }
  // The recorded pair, by the names of the joints its handles give.
  std::pair<std::string, std::string> RecordedJoints() const {
    if (tire_->GetJointTagHandleLength() != 2) return {"(length)", std::to_string(tire_->GetJointTagHandleLength())};
    return {NameOf(OM::TAG_find_by_handle(tire_->GetJointTagHandle(0))),
            NameOf(OM::TAG_find_by_handle(tire_->GetJointTagHandle(1)))};
  }
  std::vector<std::vector<double>> Rows(const std::string& file) const {
    std::ifstream in(file);
    std::vector<std::vector<double>> rows;
    for (std::string line; std::getline(in, line);) {
      std::istringstream fields(line);
      std::vector<double> row;
      for (double v; fields >> v;) row.push_back(v);
      rows.push_back(row);
    }
    return rows;
  }

  std::unique_ptr<stamvik_test::ScratchFolder> folder_;
  std::string dir_;
  TireEnvelopeBuilder* tire_ = nullptr;
};

TEST_F(TireEnvelopeMotionTemplate, ChoosesTheDriverJointsOfEachKindOfScenario) {
  struct Existing {
    const char* name;
    int family;
    std::vector<VD::JointSpec> joints;
  };
  struct Case {
    const char* what;
    int motion, templateType;
    std::vector<Existing> existing;
    const char* scenarioName;  // the builder's before the call
    int result;
    const char* wantScenario;
    const char *steer, *jounce;            // recorded names ("before": left as it was)
    std::vector<std::string> fiveLink;     // the five-link handles' joints
    int wantTemplate;
  };
  const std::vector<Existing> macs = {{"scen_mac_1", 0, {}}, {"scen_mac_2", 0, {}}};
  const std::vector<VD::JointSpec> reversed = {{3, "R_SHOCK"}, {2, "L_SHOCK"}, {4, "L_BUMPER"}, {5, "R_BUMPER"}};
  const Case cases[] = {
      {"without steering", 3, 2, {}, "", 0, "scen_sla_nosteer_1", "J_SHK_CENTER", "J_SHK_CENTER", {}, 2},
      {"with steering", 3, 1, {}, "", 0, "scen_sla_1", "J_STEER", "J_SHK_CENTER", {}, 1},
      {"MacPherson after 1 and 2", 3, 0, macs, "scen_other_1", 0, "scen_mac_3", "J_RACK", "J_STRUTCENTER", {}, 0},
      {"MacPherson in place of its own", 3, 0, macs, "scen_mac_1", 0, "scen_mac_1", "J_RACK", "J_STRUTCENTER", {}, 0},
      {"five-link template", 3, 3, {}, "", 0, "scen_fla_nosteer_1", "L_SHOCK", "R_SHOCK", {}, 3},
      {"opened, three joints", 2, 1, {{"old", 0, {{0, "A"}, {1, "B"}, {1, "C"}}}}, "old", 0, "old", "A", "C", {}, 1},
      {"opened, one joint", 2, 0, {{"old", 0, {{1, "A"}}}}, "old", 0, "old", "A", "A", {}, 0},
      {"opened, no joint", 2, 1, {{"old", 0, {}}}, "old", 3771736, "old", "before", "before", {}, 1},
      {"opened five-link, right shock first", 2, 0, {{"axle", 3, reversed}}, "axle", 0, "axle", "L_SHOCK", "R_SHOCK",
       {"L_SHOCK", "R_SHOCK", "L_BUMPER", "R_BUMPER"}, 3},
      {"opened five-link without a bumper", 2, 0, {{"axle", 3, {{2, "L_SHOCK"}, {3, "R_SHOCK"}, {4, "L_BUMPER"}}}},
       "axle", 3771736, "axle", "before", "before", {}, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    for (const Existing& e : c.existing) VD::AddScenario(e.name, true, e.family, e.joints);
    tire_->SetMotion(static_cast<JA_TIRE_ENVELOPE_BUILDER_MotionMethod>(c.motion));
    tire_->SetSuspensionTemplate(static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(c.templateType));
    tire_->SetScenarioName(c.scenarioName);
    tire_->SetSteeringJointName("before");
    tire_->SetJouceJointName("before");
    const int marks = OM::OM_count_undo_marks();

    EXPECT_EQ(tire_->BuildMotionTemplate(), c.result);
    EXPECT_EQ(OM::OM_count_undo_marks(), marks);
    EXPECT_STREQ(tire_->GetScenarioName(), c.wantScenario);
    EXPECT_STREQ(tire_->GetSteeringJointName(), c.steer);
    EXPECT_STREQ(tire_->GetJouceJointName(), c.jounce);
    EXPECT_EQ(tire_->GetSuspensionTemplate(), c.wantTemplate);
    std::vector<std::string> fiveLink;
    for (int i = 0; i < tire_->GetFLADrvJointHandleLength(); ++i)
      fiveLink.push_back(NameOf(OM::TAG_find_by_handle(tire_->GetFLADrvJointHandle(i))));
    EXPECT_EQ(fiveLink, c.fiveLink);
    if (c.result != 0) {
      EXPECT_EQ(tire_->GetJointTagHandleLength(), 0);
      EXPECT_EQ(tire_->GetScenarioTag(), 0u);
      continue;
    }
    EXPECT_EQ(RecordedJoints(), std::make_pair(std::string(c.steer), std::string(c.jounce)));
    EXPECT_TRUE(VD::ScenarioExists(c.wantScenario));
    EXPECT_EQ(tire_->GetScenarioTag(), VD::CurrentScenario());
    EXPECT_EQ(VD::MotionSessionCalls(), 1);
    if (c.templateType == 1 || c.templateType == 2) {
      EXPECT_EQ(tire_->WorkArea()->slArm.withoutSteering, c.templateType == 2 ? 1 : 0);
    }
  }
}

TEST_F(TireEnvelopeMotionTemplate, AFailedSaveRollsEverythingBack) {
  struct Case {
    const char* what;
    bool master;  // the master part saved, else the scenario
    std::vector<std::pair<PART_part*, int>> failures;
    int processed;
    int result;
    const char* text;  // of the severe error
  };
  const Case cases[] = {
      {"components not saved", true, {{nullptr, 641091}}, 0, 0, ""},
      {"the master part itself", true, {{nullptr, 641091}, {nullptr, 641100}}, 0, 641100, "Unable to save master part."},
      {"processed", true, {{nullptr, 641091}}, -12, 1020012, "Unable to save master part."},
      {"scenario part", false, {{nullptr, 641091}}, 0, 641091, "Unable to save scenario part."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    tire_->SetMotion(SuspensionTemplate);
    tire_->SetSaveMasterPart(c.master);
    tire_->SetSaveScenario(!c.master);
    VD::ScriptSaveFailures(c.failures);
    Host::SetAnswer("PART_process_save_failures", c.processed);
    const int before = OM::OM_live_objects();
    EXPECT_EQ(tire_->BuildMotionTemplate(), c.result);
    if (c.result == 0) {
      EXPECT_STREQ(tire_->GetScenarioName(), "scen_mac_1");
      continue;
    }
    EXPECT_FALSE(Error::SevereErrors().empty());
    if (!Error::SevereErrors().empty()) {
      EXPECT_EQ(Error::SevereErrors().back().text, c.text);
    }
    EXPECT_STREQ(tire_->GetScenarioName(), "");
    EXPECT_EQ(tire_->GetMasterPartTag(), 0u);
    EXPECT_EQ(OM::OM_live_objects(), before) << "the motion build was kept";
    // The inner mark ("VD Enter Scenario", or the motion's) rolls back before the outer one.
    const std::vector<std::string> undo = Host::CallNames({"UNDO_QD_undo_to_mark_no_status"});
    EXPECT_EQ(undo.size(), 2u);
  }
}

TEST_F(TireEnvelopeMotionTemplate, FiveLinkRunRollsEachSideInTwoPasses) {
  struct Case {
    const char* what;
    int steps;
    int result;
    int passes;  // in the joint-displacement file
  };
  const Case cases[] = {
      {"four steps", 4, 0, 5},
      {"one step: two values, the first search gives up", 1, 3771804, 1},
      {"no steps: refused before any path", 0, 3771797, 0},
      {"steps -3: refused likewise", -3, 3771797, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    tire_->SetMotion(SuspensionTemplate);
    tire_->SetSuspensionTemplate(FiveLinkSolidAxlewithoutSteering);
    const int built = tire_->BuildMotionTemplate();
    EXPECT_EQ(built, 0);
    if (built != 0) continue;
    tire_->SetJounceDistance(60);
    tire_->SetReboundDistance(-60);
    tire_->SetShockDriverJointSteps(c.steps);
    tire_->GetRollAngle()->set("3", 3);
    EXPECT_EQ(tire_->RunMotionArticulation(), c.result);
    EXPECT_EQ(VD::MotionToolsOpen(), 0);
    EXPECT_EQ(VD::ArticulationsOpen(), 0);
    const std::vector<std::vector<double>> rows = Rows(dir_ + "joints_disp_file.txt");
    const std::size_t n = static_cast<std::size_t>(std::max(c.steps, 2));
    EXPECT_EQ(rows.size(), n * static_cast<std::size_t>(c.passes));
    if (rows.size() != n * static_cast<std::size_t>(c.passes) || rows.empty()) continue;
    // The base pass: both shocks together from rebound to jounce.
    EXPECT_EQ(rows.front(), (std::vector<double>{-60, -60}));
    EXPECT_EQ(rows[n - 1], (std::vector<double>{60, 60}));
    if (c.result != 0) continue;
    EXPECT_STREQ(tire_->GetMotionFile(), (dir_ + "spindle_file.txt").c_str());
    EXPECT_STREQ(tire_->GetJointsDisplacementFile(), (dir_ + "joints_disp_file.txt").c_str());
    // Each roll: the shock from jounce to where the line reaches 3 degrees
    // against the bumper's full travel, then the bumper back to where the
    // line is level again against that shock position.
    for (int side = 0; side < 2; ++side) {
      const std::size_t first = n * (1 + 2 * static_cast<std::size_t>(side)), second = first + n;
      EXPECT_EQ(rows[first][0], 60);
      EXPECT_NEAR(rows[first + n - 1][0], 0, 1e-3);
      EXPECT_EQ(rows[first][1], 60);
      EXPECT_EQ(rows[second][0], 60);
      // Level within 0.001 radian: 0.05 degree a unit puts that within 1.15 units.
      EXPECT_NEAR(rows[second + n - 1][0], 0, 1.15);
      EXPECT_NEAR(rows[second][1], 0, 1e-3);
    }
    const sFiveLinkAxle_Suspension& block = tire_->WorkArea()->fiveLink;
    for (tag_t joint : {block.leftBumperJoint, block.rightBumperJoint}) EXPECT_EQ(VD::MotionDriverKind(joint), 0);
    for (tag_t joint : {block.leftShockJoint, block.rightShockJoint})
      EXPECT_EQ(VD::MotionDriverKind(joint), 4);
    // Never saved, and no saved scenario left: its folder goes with it.
    EXPECT_EQ(tire_->GetScenarioTag(), 0u);
    EXPECT_FALSE(VD::ScenarioExists("scen_fla_nosteer_1"));
  }
}

// Each graph takes the percentage its own field names: graph 1 the Y axis's,
// graph 2 the X axis's, graph 5 the fixed location's. One step a driver,
// steering -30 to 30, jounce 0 to 100: at 100 a tapered graph is the grid
// (jounce 0, 0, 100, 100; graph 2 steering by levels, 0, 100, 0, 100); at
// 50 graph 1 tapers the steering at the
// jounce 25 and 75 between single points at 0 and 100, graph 2 the jounce
// at the steering -15 and 15 between single points at -30 and 30 (jounce
// 50, 0, 100, 0, 100, 50); graph 5 holds the jounce at its percentage.
TEST_F(TireEnvelopeMotionTemplate, TwoDriverRunTakesEachGraphsPercentage) {
  struct Case {
    const char* what;
    int graph;
    double x, y, fixed;  // the three percentage fields
    std::vector<double> jounce;  // the second driver along the path
  };
  const Case cases[] = {
      {"graph 1, X 50 and Y 100: the grid", RectangularTaperedY, 50, 100, 40, {0, 0, 100, 100}},
      {"graph 1, X 100 and Y 50: tapered", RectangularTaperedY, 100, 50, 40, {0, 25, 25, 75, 75, 100}},
      {"graph 2, X 50 and Y 100: tapered", RectangularTaperedX, 50, 100, 40, {50, 0, 100, 0, 100, 50}},
      {"graph 2, X 100 and Y 50: the grid", RectangularTaperedX, 100, 50, 40, {0, 100, 0, 100}},
      {"graph 5, fixed 25 and Y 75", TwoDriversOneFixed, 50, 75, 25, {25, 25}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(AnewOnTheTemplate(30, -30, 100), 0);
    tire_->SetSecondDriverJointLowerLimit(0);
    tire_->SetDriverGraph(static_cast<JA_TIRE_ENVELOPE_BUILDER_DriverGraphOption>(c.graph));
    tire_->SetTaperLocationXAxis(c.x);
    tire_->SetTaperLocationYAxis(c.y);
    tire_->SetFixedLocationPercentage(c.fixed);
    EXPECT_EQ(tire_->RunMotionArticulation(), 0);
    const vdja_tireenv_motion_record_t* record = MotionRecordOf(tire_->WorkArea());
    EXPECT_EQ(std::vector<double>(record->yValues, record->yValues + record->pointCount), c.jounce);
    EXPECT_STREQ(tire_->GetMotionFile(), (dir_ + "spindle_file.txt").c_str());
    if (c.graph != TwoDriversOneFixed) continue;
    // The jounce moves once, to its fixed value, and stays.
    const auto& steps = VD::StepsTaken();
    EXPECT_EQ(steps.size(), 2u);
    if (steps.size() != 2) continue;
    EXPECT_DOUBLE_EQ(steps[0].at(1).step, 25);
    EXPECT_DOUBLE_EQ(steps[1].at(1).step, 0);
  }
}

TEST_F(TireEnvelopeMotionTemplate, StepsBeyondTheBoundRunNothing) {
  tire_->SetMotion(SuspensionTemplate);
  ASSERT_EQ(tire_->BuildMotionTemplate(), 0);
  tire_->SetFirstDriverJointSteps(std::numeric_limits<int>::max());
  tire_->SetSecondDriverJointSteps(std::numeric_limits<int>::max());
  tire_->SetMotionFile("kept");
  EXPECT_EQ(tire_->RunMotionArticulation(), 3771791);
  EXPECT_EQ(MotionRecordOf(tire_->WorkArea())->pointCount, 0);
  EXPECT_TRUE(VD::StepsTaken().empty());
  EXPECT_STREQ(tire_->GetMotionFile(), "kept");
}

// The MacPherson strut of the templates steers by its tie-rod arm about the
// kingpin and rises on its lower arm: by hand from its hard points, the rack
// reaches from -129.315572 to 124.321160 and the jounce from -335.999120 to
// 386.117500. A limit past either fails the step that would go there, and
// the run leaves no motion file to commit.
TEST_F(TireEnvelopeMotionTemplate, DriverLimitsBeyondTheSuspensionsReachFailTheRun) {
  struct Case {
    const char* what;
    double rackUpper, rackLower, jounceUpper;
    int result;
    std::size_t taken;  // steps, along the path (rack lower, upper) at jounce 0, then at the jounce's upper limit
  };
  const Case cases[] = {
      {"within reach", 124.32, -129.31, 386.11, 0, 4},
      {"rack up past reach", 124.33, -30, 100, 3771735, 1},
      {"rack 1e308", 1e308, -30, 100, 3771735, 1},
      {"rack down past reach", 30, -129.32, 100, 3771735, 0},
      {"jounce past reach", 30, -30, 386.12, 3771735, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_EQ(AnewOnTheTemplate(c.rackUpper, c.rackLower, c.jounceUpper), 0);
    tire_->SetMotionFile("kept");
    EXPECT_EQ(tire_->RunMotionArticulation(), c.result);
    // A failed run leaves no motion: the one before is not the drivers'.
    EXPECT_STREQ(tire_->GetMotionFile(), c.result == 0 ? (dir_ + "spindle_file.txt").c_str() : "");
    // Steps before the one out of reach were taken; none past it.
    EXPECT_EQ(VD::StepsTaken().size(), c.taken);
  }
}

TEST_F(TireEnvelopeMotionTemplate, RunsThatCannotStart) {
  struct Case {
    const char* what;
    int motion;
    bool build;
    int result;
    int steps[2] = {1, 1};  // the first driver's, the second's
    const char* shown = nullptr;  // the refusal's text handed to the host
  };
  const Case cases[] = {
      {"from a spindle file", ExistingSpindleFile, true, 0, {0, 0}},
      {"from spindle lines", FromSpindleLines, true, 0, {0, 0}},
      {"no template built: no spindle object", SuspensionTemplate, false, 3771734},
      {"no steps: refused before the spindle object is looked for", SuspensionTemplate, false, 3771797, {0, 0},
       "a driver's step count is below 1: the first driver's is 0"},
      {"the first driver no steps, the second 5", SuspensionTemplate, false, 3771797, {0, 5},
       "a driver's step count is below 1: the first driver's is 0"},
      {"the first driver 5 steps, the second none", SuspensionTemplate, false, 3771797, {5, 0},
       "a driver's step count is below 1: the second driver's is 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    tire_->SetMotion(SuspensionTemplate);
    if (c.build) {
      EXPECT_EQ(tire_->BuildMotionTemplate(), 0);
    }
    tire_->SetMotion(static_cast<JA_TIRE_ENVELOPE_BUILDER_MotionMethod>(c.motion));
    tire_->SetFirstDriverJointSteps(c.steps[0]);
    tire_->SetSecondDriverJointSteps(c.steps[1]);
    tire_->SetMotionFile("kept");
    EXPECT_EQ(tire_->RunMotionArticulation(), c.result);
    if (c.shown != nullptr) {
      EXPECT_EQ(Error::SevereErrors().empty() ? "" : Error::SevereErrors().back().text, c.shown);
    }
    EXPECT_STREQ(tire_->GetMotionFile(), "kept");
    EXPECT_TRUE(VD::StepsTaken().empty());
  }
}

}  // namespace
