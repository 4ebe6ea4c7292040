// The two-driver articulation of a tire envelope: the driver path stepped
// joint by joint, the spindle line traced at each position into the trace
// file, and the run ended on every way out.
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "geom/Curve.hpp"
#include "jax_features_tire_envelope_builder.hpp"
#include "om/ObjectManager.hpp"
#include "vd/Motion.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

class TireEnvelopeArticulation : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    VD::ResetMotion();
    const double axis[3] = {0, -700, 0}, base[3] = {0, 0, 0};
    steer_ = VD::MakeJoint(0, axis);
    jounce_ = VD::MakeJoint(1, base);
    const double a[3] = {0, -650, 0}, b[3] = {0, -720, 0};
    spindle_ = ES_create_line_in_part(nullptr, a, b);
    file_ = stamvik_test::ProcessScratch().Slashed() + "tire_articulation.txt";
    std::remove(file_.c_str());
  }
  void TearDown() override {
    vdja_tireenv_motion_release_path(&record_);
    std::remove(file_.c_str());
    VD::ResetMotion();
    HostTest::TearDown();
  }
  // Graph 0 (or another), first driver 30 to -30 and second 100 to 0 in one step each.
  int Run(int graph, bool firstOnX, tag_t second = 0) {
    const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    return vdja_tireenv_motion_run_articulation(origin, identity, file_.c_str(), spindle_, steer_,
                                                second != 0 ? second : jounce_, graph, firstOnX, 30, -30, 1, 100, 0,
                                                1, 50, 0, 0, 0, &record_);
  }
  // The step sizes of (steer, jounce) per articulation step.
  static std::vector<std::pair<double, double>> Steps() {
    std::vector<std::pair<double, double>> steps;
    for (const auto& step : VD::StepsTaken()) steps.emplace_back(step.at(0).step, step.at(1).step);
    return steps;
  }
  std::vector<std::string> Lines() const { return stamvik_test::FileLines(file_); }
  void ExpectEnded() {
    EXPECT_EQ(VD::MotionToolsOpen(), 0);
    EXPECT_EQ(VD::ArticulationsOpen(), 0);
  }

  tag_t steer_ = 0, jounce_ = 0, spindle_ = 0;
  std::string file_;
  vdja_tireenv_motion_record_t record_{};
};

TEST_F(TireEnvelopeArticulation, DriversFollowThePath) {
  using StepList = std::vector<std::pair<double, double>>;
  struct Case {
    const char* what;
    int graph;
    bool firstOnX;
    bool oneJoint;
    StepList want;
  };
  const Case cases[] = {
      {"first joint on X", 0, true, false, {{-30, 0}, {60, 0}, {-60, 100}, {60, 0}}},
      {"second joint on X", 0, false, false, {{0, -30}, {0, 60}, {100, -60}, {0, 60}}},
      {"one fixed: Y moves once", 5, true, false, {{-30, 50}, {60, 0}}},
      {"one joint for both, on X", 0, true, true, {{-30, 0}, {60, 0}, {-60, 0}, {60, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    EXPECT_EQ(Run(c.graph, c.firstOnX, c.oneJoint ? steer_ : 0), 0);
    EXPECT_EQ(Steps(), c.want);
    ExpectEnded();
  }
}

TEST_F(TireEnvelopeArticulation, TraceFileHoldsTheDesignLineAndEveryPosition) {
  ASSERT_EQ(Run(0, true), 0);
  const std::vector<std::string> lines = Lines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "0.000000 -720.000000 0.000000 0.000000 -650.000000 0.000000");
  // Last position: turned 30 degrees about the axis through (0, -700), lifted 100.
  EXPECT_EQ(lines[5], "10.000000 -717.320508 100.000000 -25.000000 -656.698730 100.000000");
  EXPECT_DOUBLE_EQ(VD::JointDisplacement(steer_), 30);
  EXPECT_DOUBLE_EQ(VD::JointDisplacement(jounce_), 100);
}

TEST_F(TireEnvelopeArticulation, AFailedRunIsEndedAndRaises) {
  const int aliveBefore = OM::OM_live_objects();
  Host::SetAnswer("kmp_ipc_step.fail_at", 3);
  EXPECT_EQ(RaisedCode([&] { Run(0, true); }), kArticulationFailed);
  ExpectEnded();
  EXPECT_TRUE(Lines().empty()) << "a failed run wrote its trace file";
  EXPECT_EQ(OM::OM_live_objects(), aliveBefore) << "the trace was left";
  Host::SetAnswer("kmp_ipc_step.fail_at", 0);
  Host::SetAnswer("VD_MOTION_init_articulation", 7);
  EXPECT_EQ(RaisedCode([&] { Run(0, true); }), kArticulationNotStarted);
  ExpectEnded();
}

}  // namespace

// The drivers a five-link scenario ends with: kind 4 on the two shocks, from
// the block's slots or from the joint array, none on the bumpers or elsewhere.
class TireEnvelopeMotionDrivers : public HostTest {};

TEST_F(TireEnvelopeMotionDrivers, OnlyTheTwoShocksKeepADriver) {
  for (int source : {1, 0}) {
    VD::ResetMotion();
    const double at[3] = {0, 0, 0};
    tag_t joints[5];
    for (tag_t& joint : joints) joint = VD::MakeJoint(1, at);
    KMC_motion_driver_data_t earlier{};
    earlier.kind = 4;
    ASSERT_EQ(KMC_set_motion_driver(joints[4], &earlier), 0);  // left over from a roll
    sFiveLinkAxle_Suspension block{};
    block.leftShockJoint = joints[2];
    block.rightShockJoint = joints[0];
    block.leftBumperJoint = joints[1];
    block.rightBumperJoint = joints[3];
    const tag_t array[4] = {joints[2], joints[0], joints[1], joints[3]};
    EXPECT_EQ(vdja_tireenv_motion_set_motion_drivers(source, source == 1 ? nullptr : array,
                                                     source == 1 ? &block : nullptr), 0) << source;
    const int expected[5] = {4, 0, 4, 0, 0};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(VD::MotionDriverKind(joints[i]), expected[i]) << source << " joint " << i;
    EXPECT_EQ(VD::MotionToolsOpen(), 0);
  }
  VD::ResetMotion();
}

// The driver joints a tire envelope records: the steering joint first, by
// handle and by name; a tag that is no joint changes nothing.
class TireEnvelopeDriverJoints : public HostTest {};

TEST_F(TireEnvelopeDriverJoints, RecordsBothJointsOrNothing) {
  VD::ResetMotion();
  const double at[3] = {0, 0, 0};
  const tag_t rack = VD::MakeJoint(0, at, "J_RACK"), strut = VD::MakeJoint(1, at, "J_STRUTCENTER");
  const tag_t shock = VD::MakeJoint(1, at, "J_SHK_CENTER"), point = ES_create_point(at);
  TireEnvelopeBuilder* tire = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
  tire->SetJointTagHandleLength(3);  // a longer list from earlier is cut to the pair
  for (int i = 0; i < 3; ++i) tire->SetJointTagHandle(i, "1");
  struct Case {
    const char* what;
    tag_t steer, jounce;
    int raised;
    tag_t wantSteer, wantJounce;  // recorded afterwards
    const char *steerName, *jounceName;
  };
  const Case cases[] = {
      {"two joints", rack, strut, 0, rack, strut, "J_RACK", "J_STRUTCENTER"},
      {"one joint for both", shock, shock, 0, shock, shock, "J_SHK_CENTER", "J_SHK_CENTER"},
      {"steering is no joint", point, strut, Geometry::kNoEntity, shock, shock, "J_SHK_CENTER", "J_SHK_CENTER"},
      {"jounce is no joint", rack, point, Geometry::kNoEntity, shock, shock, "J_SHK_CENTER", "J_SHK_CENTER"},
      {"jounce is tag 0", strut, 0, Geometry::kNoEntity, shock, shock, "J_SHK_CENTER", "J_SHK_CENTER"},
      {"back to two", strut, rack, 0, strut, rack, "J_STRUTCENTER", "J_RACK"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(RaisedCode([&] { EXPECT_EQ(JAX_TIRE_ENVELOPE_BUILDER_SetDriverJoints(tire, c.steer, c.jounce), 0); }),
              c.raised)
        << c.what;
    EXPECT_EQ(tire->GetJointTagHandleLength(), 2) << c.what;
    if (tire->GetJointTagHandleLength() != 2) continue;
    EXPECT_EQ(OM::TAG_find_by_handle(tire->GetJointTagHandle(0)), c.wantSteer) << c.what;
    EXPECT_EQ(OM::TAG_find_by_handle(tire->GetJointTagHandle(1)), c.wantJounce) << c.what;
    EXPECT_STREQ(tire->GetSteeringJointName(), c.steerName) << c.what;
    EXPECT_STREQ(tire->GetJouceJointName(), c.jounceName) << c.what;
  }
  tire->destroy();
  VD::ResetMotion();
}
