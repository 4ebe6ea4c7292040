// The stand-in's physical tire geometry: the wheel corner steered about its
// kingpin and sprung along its arms, the tire body and its swept envelope,
// and real clearances against them.
#include <sys/resource.h>
#include <unistd.h>

#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <numbers>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.hpp"
#include "afl/TireEnvelope.hpp"
#include "afl/TireGeometry.hpp"
#include "clear/Clearance.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Modeller.hpp"
#include "kernel/Solids.hpp"
#include "kernel/Wheel.hpp"
#include "sys/Listing.hpp"
#include "sys/UserMessages.hpp"
#include "vd/Motion.hpp"
#include "vd/Suspension.hpp"
#include "vd/VehicleDesign.hpp"

using namespace KTX;
using stamvik_test::HostTest;
namespace fs = std::filesystem;

namespace {

double Distance(const double a[3], const double b[3]) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}
// The distance of p to the line through a and b.
double ToLine(const double p[3], const double a[3], const double b[3]) {
  double k[3], w[3];
  for (int i = 0; i < 3; ++i) k[i] = b[i] - a[i], w[i] = p[i] - a[i];
  const double kk = k[0] * k[0] + k[1] * k[1] + k[2] * k[2], t = (w[0] * k[0] + w[1] * k[1] + w[2] * k[2]) / kk;
  double r[3];
  for (int i = 0; i < 3; ++i) r[i] = w[i] - t * k[i];
  return std::sqrt(r[0] * r[0] + r[1] * r[1] + r[2] * r[2]);
}

class KingpinSteering : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    VD::ResetMotion();
  }
  void TearDown() override {
    VD::ResetMotion();
    HostTest::TearDown();
  }
};

// The line between `lower` and `upper`, traced after the joint takes one
// articulation step of `step`: its two ends, and whether they came back (a
// failure on the way is reported, and the caller's row goes no further).
bool TracedAfterOneStep(unsigned int joint, double step, const double lower[3], const double upper[3], double low[3],
                        double up[3]) {
  const QF_MOTION_trace_s request{ES_create_line_in_part(nullptr, lower, upper), 1};
  tag_t trace = 0;
  VD_MOTION_create_trace(&request, &trace);
  const int initialised = VD_MOTION_init_articulation();
  EXPECT_EQ(initialised, 0);
  if (initialised != 0) return false;
  VD_MOTION_edit_artic_step_size(joint, step);
  int status = 0;
  kmp_ipc_step(0, nullptr, &status);
  VD_MOTION_terminate_articulation();
  unsigned int line = 0;
  VD_MOTION_trace(trace, 1, &line);
  const int asked = VD_ask_curve_end_points(line, low, up);
  EXPECT_EQ(asked, 0);
  return asked == 0;
}

// The host's example corners steered over the rack's whole travel, -30 to 30
// millimetres in steps of 7.5, at design height. Each corner's kingpin, from
// its lower ball joint up: short-long arm (0, -710, -160) to the upper ball
// joint (-20, -650, 200); strut (5, -700, -150) to the strut top (-30, -560,
// 520). The wheel centre (0, -760, 0) lies 76.0652887 and 89.4318886 from
// them. The steering angle is what moves the tie-rod end ((140, -690, -40),
// (130, -680, -60)) by the rack's travel along Y; its chord at the wheel
// centre is 2 r sin(angle / 2).
TEST_F(KingpinSteering, TheWheelCentreTurnsAboutTheKingpin) {
  struct Case {
    const char* what;
    bool strut;
    const char* steer;
    double lower[3], upper[3];
    double radius;
    double chords[4];  // at rack -30, -15, 15 and 30
  };
  const Case cases[] = {
      {"short-long arm", false, "J_STEER", {0, -710, -160}, {-20, -650, 200}, 76.06528869144306,
       {15.868558134784474, 7.905479425518405, 7.913009954851478, 15.89931195036262}},
      {"strut", true, "J_RACK", {5, -700, -150}, {-30, -560, 520}, 89.43188858711667,
       {21.260964744941248, 10.586219205900841, 10.611088460887512, 21.363181717111516}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    unsigned int scenario = 0;
    if (c.strut) {
      sMacpherson_Suspension block{};
      QF_VD_MAC_SUSP_initial(&block);
      QF_VD_MAC_SUSP_build_structure(&block);
      const int made = QF_VD_MOTION_create_scenario_nosave("corner", &scenario);
      EXPECT_EQ(made, 0);
      if (made != 0) continue;
      QF_VD_MAC_SUSP_build_motion(&block);
    } else {
      sSLArm_Suspension block{};
      QF_VD_SLA_SUSP_initial(&block);
      QF_VD_SLA_SUSP_build_structure(&block);
      const int made = QF_VD_MOTION_create_scenario_nosave("corner", &scenario);
      EXPECT_EQ(made, 0);
      if (made != 0) continue;
      QF_VD_SLA_SUSP_build_motion(&block);
    }
    unsigned int steer = 0, spindle = 0;
    VD_OBJ_cycle_by_name(c.steer, &steer);
    VD_OBJ_cycle_by_name(c.strut ? "MAC_32" : "SLA_32", &spindle);
    EXPECT_NE(steer, 0u);
    EXPECT_NE(spindle, 0u);
    if (steer == 0 || spindle == 0) continue;
    const tag_t kingpin = ES_create_line_in_part(nullptr, c.lower, c.upper);
    tag_t wheelTrace = 0, kingpinTrace = 0;
    const QF_MOTION_trace_s wheelRequest{spindle, 1}, kingpinRequest{kingpin, 1};
    VD_MOTION_create_trace(&wheelRequest, &wheelTrace);
    VD_MOTION_create_trace(&kingpinRequest, &kingpinTrace);
    const int initialised = VD_MOTION_init_articulation();
    EXPECT_EQ(initialised, 0);
    if (initialised != 0) continue;
    int status = 0;
    VD_MOTION_edit_artic_step_size(steer, -30);
    kmp_ipc_step(0, nullptr, &status);
    VD_MOTION_edit_artic_step_size(steer, 7.5);
    for (int i = 0; i < 8; ++i) kmp_ipc_step(0, nullptr, &status);
    VD_MOTION_terminate_articulation();
    const double design[3] = {0, -760, 0};
    const double chordAt[9] = {c.chords[0], -1, c.chords[1], -1, 0, -1, c.chords[2], -1, c.chords[3]};
    for (int k = 0; k <= 9; ++k) {
      SCOPED_TRACE("position " + std::to_string(k));
      unsigned int wheel = 0, axis = 0;
      VD_MOTION_trace(wheelTrace, k, &wheel);
      VD_MOTION_trace(kingpinTrace, k, &axis);
      double centre[3], inner[3], low[3], up[3];
      const int wheelEnds = VD_ask_curve_end_points(wheel, centre, inner);
      EXPECT_EQ(wheelEnds, 0);
      if (wheelEnds != 0) continue;
      const int axisEnds = VD_ask_curve_end_points(axis, low, up);
      EXPECT_EQ(axisEnds, 0);
      if (axisEnds != 0) continue;
      EXPECT_LT(Distance(low, c.lower), 1e-9);
      EXPECT_LT(Distance(up, c.upper), 1e-9);
      EXPECT_NEAR(ToLine(centre, c.lower, c.upper), c.radius, c.radius * 1e-6);
      const double chord = chordAt[k == 0 ? 4 : k - 1];  // index 0 is the design position, rack 0
      if (chord >= 0) {
        EXPECT_NEAR(Distance(centre, design), chord, chord * 1e-6 + 1e-9);
      }
    }
  }
}

// The short-long arm sprung at design steering: the lower ball joint rises
// by the jounce on its circle about the lower bushings' axis ((-200, -340,
// -140) to (200, -350, -130)), the upper one keeps its 365.5133376 to it on
// its circle about the upper bushings' ((-140, -430, 240) to (120, -440,
// 230)). Where they go was found by halving each arm's angle by hand.
TEST_F(KingpinSteering, JounceSwingsTheBallJointsOnTheirArms) {
  struct Case {
    double jounce;
    double lower[3], upper[3];
  };
  const Case cases[] = {
      {40, {-1.0136532277441574, -710.5461291097662, -120}, {-18.55085498636997, -652.8224740258896, 240.5002443802707}},
      {-40, {1.1241758631282437, -705.0329654748698, -200}, {-21.161584317315544, -639.0109433558498, 158.80975110564557}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.jounce);
    TearDown();
    SetUp();
    sSLArm_Suspension block{};
    QF_VD_SLA_SUSP_initial(&block);
    QF_VD_SLA_SUSP_build_structure(&block);
    unsigned int scenario = 0, shock = 0;
    const int made = QF_VD_MOTION_create_scenario_nosave("corner", &scenario);
    EXPECT_EQ(made, 0);
    if (made != 0) continue;
    QF_VD_SLA_SUSP_build_motion(&block);
    VD_OBJ_cycle_by_name("J_SHK_CENTER", &shock);
    EXPECT_NE(shock, 0u);
    if (shock == 0) continue;
    const double lower[3] = {0, -710, -160}, upper[3] = {-20, -650, 200};
    double low[3], up[3];
    if (!TracedAfterOneStep(shock, c.jounce, lower, upper, low, up)) continue;
    EXPECT_LT(Distance(low, c.lower), 1e-6);
    EXPECT_LT(Distance(up, c.upper), 1e-6);
  }
}

// The strut sprung at design steering: its ball joint rises by the jounce on
// the lower arm's circle about the bushings ((-180, -330, -130) to (220,
// -350, -120)) and the kingpin turns to pass through the strut's top mount
// (-30, -560, 520), which stays: the traced kingpin line starts at the ball
// joint and points at the mount. Found by halving the arm's angle by hand.
TEST_F(KingpinSteering, AStrutsKingpinKeepsToItsTopMount) {
  struct Case {
    double jounce;
    double lower[3], direction[3];
  };
  const Case cases[] = {
      {40, {3.9744499566720037, -700.5110008665599, -110}, {-0.05256170705480044, 0.21738388921509375, 0.9746699501170666}},
      {-40, {6.249231258968621, -695.0153748206276, -190}, {-0.05009346626154024, 0.1865801808332956, 0.9811618015180363}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.jounce);
    TearDown();
    SetUp();
    sMacpherson_Suspension block{};
    QF_VD_MAC_SUSP_initial(&block);
    QF_VD_MAC_SUSP_build_structure(&block);
    unsigned int scenario = 0, strut = 0;
    const int made = QF_VD_MOTION_create_scenario_nosave("corner", &scenario);
    EXPECT_EQ(made, 0);
    if (made != 0) continue;
    QF_VD_MAC_SUSP_build_motion(&block);
    VD_OBJ_cycle_by_name("J_STRUTCENTER", &strut);
    EXPECT_NE(strut, 0u);
    if (strut == 0) continue;
    const double lower[3] = {5, -700, -150}, upper[3] = {-30, -560, 520};
    double low[3], up[3];
    if (!TracedAfterOneStep(strut, c.jounce, lower, upper, low, up)) continue;
    EXPECT_LT(Distance(low, c.lower), 1e-6);
    const double length = Distance(low, up);
    for (int k = 0; k < 3; ++k) EXPECT_NEAR((up[k] - low[k]) / length, c.direction[k], 1e-9) << k;
  }
}

// A kingpin of no length gives no axis: the rack turns nothing, and nothing
// is scaled by a rotation about a zero axis.
TEST(KingpinAxis, ACollapsedKingpinSteersNothing) {
  VD::Corner corner;
  corner.lowerBallJoint = corner.upperPoint = {0, -710, -160};
  corner.tieRodOuter = {140, -690, -40};
  corner.lowerFront = {-200, -340, -140};
  corner.lowerRear = {200, -350, -130};
  for (double rack : {-30.0, 30.0}) {
    SCOPED_TRACE(rack);
    EXPECT_EQ(VD::SteeringAngle(corner, rack), 0);
    const VD::Vec3 centre = VD::KnucklePlacement(corner, rack, 0).Apply({0, -760, 0});
    EXPECT_NEAR(centre.x, 0, 1e-12);
    EXPECT_NEAR(centre.y, -760, 1e-12);
    EXPECT_NEAR(centre.z, 0, 1e-12);
  }
}

// A tire-envelope block of the example 225/55 R17 profile (a section from
// the rim, (0, 215.9), out to the tread's edge, (112.5, 340)) and motion lines.
struct Block {
  std::unique_ptr<Tireenv_params_s> block = std::make_unique<Tireenv_params_s>();
  std::vector<std::string> lines;
  std::vector<char*> pointers;
  Block(bool mirror, bool tireBody, std::vector<std::string> motion) : lines(std::move(motion)) {
    const double points[5][2] = {{0, 215.9}, {40, 230}, {80, 290}, {110, 330}, {112.5, 340}};
    block->profilePointCount = 5;
    for (int i = 0; i < 5; ++i) block->profilePoints[i][0] = points[i][0], block->profilePoints[i][1] = points[i][1];
    block->mirrorProfile = mirror ? 1 : 0;
    block->tireBody = tireBody ? 1 : 0;
    block->matrix[0] = block->matrix[4] = block->matrix[8] = 1;
    for (std::string& line : lines) pointers.push_back(line.data());
    block->motionLineCount = static_cast<int>(lines.size());
    block->motionLines = pointers.data();
  }
};

int KernelBodyOf(tag_t body) {
  auto* solid = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(body));
  return solid != nullptr ? solid->ask_kernel_body() : 0;
}

// The warnings a user is shown while it lives.
struct Warnings {
  std::vector<std::string> shown;
  Warnings() { Host::SetUserMessageSink(&Keep, &shown); }
  ~Warnings() { Host::SetUserMessageSink(nullptr, nullptr); }
  Warnings(const Warnings&) = delete;
  Warnings& operator=(const Warnings&) = delete;
  static void Keep(Host::UserMessage kind, const std::string& text, void* shown) {
    if (kind == Host::UserMessage::kWarning) static_cast<std::vector<std::string>*>(shown)->push_back(text);
  }
};

// How the union of the tire's positions goes at each turn of the facets
// while it lives, and the time limit: as the modeller makes them at the
// default limit again afterwards.
struct UnionsForTests {
  UnionsForTests(std::vector<Kernel::WheelUnionForTests> byTurn, double limit) {
    Kernel::SetWheelUnionsForTests(byTurn);
    Kernel::SetGeometryLimit(limit);
  }
  ~UnionsForTests() {
    Kernel::SetWheelUnionsForTests({});
    Kernel::SetGeometryLimit(-1);
  }
  UnionsForTests(const UnionsForTests&) = delete;
  UnionsForTests& operator=(const UnionsForTests&) = delete;
};

// Where the modeller's scratch file goes while it lives: TMPDIR (null: as
// it was), and the largest file the process may write (0: no limit), a
// folder with no room left as the modeller meets it. As before afterwards.
struct ScratchAt {
  ScratchAt(const char* tmpdir, rlim_t fileSize) {
    if (tmpdir != nullptr) variable.emplace("TMPDIR", tmpdir);
    getrlimit(RLIMIT_FSIZE, &limit);
    if (fileSize > 0) {
      signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails instead
      rlimit smaller = limit;
      smaller.rlim_cur = fileSize;
      setrlimit(RLIMIT_FSIZE, &smaller);
    }
  }
  ~ScratchAt() {
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, SIG_DFL);
  }
  ScratchAt(const ScratchAt&) = delete;
  ScratchAt& operator=(const ScratchAt&) = delete;
  std::optional<stamvik_scratch::Variable> variable;
  rlimit limit{};
};

using TireGeometryTest = HostTest;

// Pappus by hand: the section's first moment about the spindle, the sum over
// its sides of (x1 r2 - x2 r1)(r1 + r2) / 6, times 2 pi. Mirrored it is
// 5132485.8666667 (area 17589), so 32248359.786747 mm3; the half profile
// closed by its chord gives 3025954.5288220. The wheel end is the line's
// point farther out along Y, whichever way the line runs. Each block holds a
// section asking 30 (or what the row says) and, past its count of sections,
// another asking 30: neither a tire body applying them nor an envelope (at
// one place, the tire revolved) not applying them, nor one whose counted
// section asks 0, is grown.
TEST_F(TireGeometryTest, TheTireBodyIsItsProfileRevolved) {
  struct Case {
    const char* what;
    bool mirror;
    const char* line;
    double volume;
    double low[3], high[3];
    bool envelope = false, applied = false;
    double asked = 30;
  };
  const Case cases[] = {
      {"mirrored", true, "0 -760 0 0 -660 0", 32248359.786746890, {-340, -872.5, -340}, {340, -647.5, 340}},
      {"mirrored, wheel end last", true, "0 -660 0 0 -760 0", 32248359.786746890, {-340, -872.5, -340},
       {340, -647.5, 340}},
      {"half, closed by its chord", false, "0.000000 -760.000000 0.000000 0.000000 -660.000000 0.000000",
       3025954.5288220313, {-340, -872.5, -340}, {340, -760, 340}},
      {"offsets applied", true, "0 -760 0 0 -660 0", 32248359.786746890, {-340, -872.5, -340}, {340, -647.5, 340},
       false, true},
      {"an envelope, offsets not applied", true, "0 -760 0 0 -660 0", 32248359.786746890, {-340, -872.5, -340},
       {340, -647.5, 340}, true},
      {"an envelope asking 0, 30 past its sections", true, "0 -760 0 0 -660 0", 32248359.786746890,
       {-340, -872.5, -340}, {340, -647.5, 340}, true, true, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Block block(c.mirror, !c.envelope, c.envelope ? std::vector<std::string>{c.line}
                                                  : std::vector<std::string>{c.line, "0 -760 100 0 -660 100"});
    block.block->applyOffset = c.applied ? 1 : 0;
    block.block->sectionCount = block.block->sectionOffsetCounts[0] = block.block->sectionOffsetCounts[1] = 1;
    block.block->sectionOffsets[0][0] = c.asked;
    block.block->sectionOffsets[1][0] = 30;
    const int body = KernelBodyOf(TireGeometry::MakeBody(*block.block));
    const bool made = Kernel::HasGeometry(body);
    EXPECT_TRUE(made);
    if (!made) continue;
    EXPECT_NEAR(Kernel::Volume(body) * 1e9, c.volume, c.volume * 1e-6);
    double low[3], high[3];
    const bool bounded = Kernel::Bounds(body, low, high);
    EXPECT_TRUE(bounded);
    if (!bounded) continue;
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(low[k] * 1000, c.low[k], 1e-6) << k;
      EXPECT_NEAR(high[k] * 1000, c.high[k], 1e-6) << k;
    }
  }
}

// No section or no place of the wheel: no geometry, nothing left behind,
// and nothing failed (there was nothing to make). A section the modeller
// refuses fails with its code: no feature is made without its solid.
TEST_F(TireGeometryTest, NoProfileOrNoMotionMakesNoBody) {
  int status = -1;
  Block noLines(true, true, {"0 -760 0 0 -660", "a b c d e f"});
  EXPECT_EQ(TireGeometry::MakeBody(*noLines.block, &status), 0u);
  EXPECT_EQ(status, 0);
  // One point mirrored is itself: no area.
  Block onePoint(true, true, {"0 -760 0 0 -660 0"});
  onePoint.block->profilePointCount = 1;
  EXPECT_EQ(TireGeometry::MakeBody(*onePoint.block, &status), 0u);
  EXPECT_EQ(status, 0);
  // A section reaching the spindle cannot turn about it.
  Block onTheAxis(true, true, {"0 -760 0 0 -660 0"});
  onTheAxis.block->profilePoints[0][1] = 0;
  EXPECT_EQ(TireGeometry::MakeBody(*onTheAxis.block, &status), 0u);
  EXPECT_EQ(status, ZV_ERROR_bad_value);
  FEATURE_RECORD* frec = nullptr;
  EXPECT_EQ(DIEENG_create_frec(TireEnvelopeClassId, onTheAxis.block.get(), 0, &frec), ZV_ERROR_bad_value);
  EXPECT_EQ(frec, nullptr);
}

// The spindle lines a motion run traced, a line each, as a data file keeps
// them (the long grids' cases, built in the optimised build only).
[[maybe_unused]] std::vector<std::string> SpindleLines(const char* file) {
  std::vector<std::string> lines;
  std::ifstream spindle(std::string(STAMVIK_TEST_DATA) + "/" + file);
  for (std::string line; std::getline(spindle, line);) lines.push_back(line);
  return lines;
}

// Points of the tire inside the body's solid at none of the block's places:
// 0.5 inside the tread (radial 339.5), in the tread's edge (111, 338.5) and
// 6 off the rim (222), at `angles` angles a quarter turn apart about the
// spindle at every place, each place starting a quarter turn on from the one
// before (so that one angle a place still visits every quarter). (The
// facets stand the section's radials out by up to 1 / cos(7.5 deg), 0.86 %:
// the rim side, 215.9 at the centre plane, up to 217.76, and the tread
// edge's lower side, 334 at axial 111, up to 336.9.)
int TirePointsOutside(int body, const Tireenv_params_s& block, int angles) {
  const double inside[][2] = {{0, 339.5}, {0, 222}, {111, 338.5}};
  int outside = 0, at = 0;
  for (const Kernel::WheelPlace& place : TireGeometry::Places(block)) {
    ++at;
    const double* n = place.axis;
    const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    const double z[3] = {n[0] / length, n[1] / length, n[2] / length};
    // Two directions square to the spindle.
    const double h = std::sqrt(z[0] * z[0] + z[1] * z[1]);
    const double x[3] = {-z[1] / h, z[0] / h, 0}, y[3] = {z[1] * x[2] - z[2] * x[1], z[2] * x[0] - z[0] * x[2],
                                                            z[0] * x[1] - z[1] * x[0]};
    for (const auto& [axial, radial] : inside)
      for (int k = 0; k < angles; ++k) {
        const double t = (10 + 90 * (at + k)) * std::numbers::pi / 180;
        double point[3];
        for (int i = 0; i < 3; ++i)
          point[i] = (place.centre[i] + axial * z[i] + radial * (std::cos(t) * x[i] + std::sin(t) * y[i])) / 1000;
        outside += Kernel::Classify(body, point) != Kernel::Containment::In;
      }
  }
  return outside;
}

// The envelope of a grid's places is one closed solid of a volume within its
// bounds (below) that leaves no point of the tire out at any place.
void ExpectTheTireHeldAtEveryPlace(const std::vector<std::string>& lines, int angles) {
  const double tire = 32248359.786747, faceted = 1.0057509;
  Block block(true, false, lines);
  const int body = KernelBodyOf(TireGeometry::MakeBody(*block.block));
  EXPECT_TRUE(Kernel::IsClosedSolid(body));
  const double volume = Kernel::Volume(body) * 1e9;
  EXPECT_GT(volume, tire);
  EXPECT_LT(volume, static_cast<double>(lines.size()) * faceted * tire);
  EXPECT_EQ(TirePointsOutside(body, *block.block, angles), 0);
}

// The envelope is one closed solid that holds the tire at every place. Its
// volume lies between the tire's own, 32248359.786747 mm3 (Pappus, above),
// and the places' count times the faceted tire's: 24 facets a turn with the
// corners pushed out to 1 / cos(7.5 degrees) hold 24 sin(15 deg) / (2 pi) /
// cos^2(7.5 deg) = 1.0057509 of the tire. Points of the tire at every place
// lie inside (TirePointsOutside): an envelope made inside the tire, or short
// of a place, leaves some out.
TEST_F(TireGeometryTest, TheEnvelopeHoldsTheTireAtEveryPlace) {
  // Places of this grid: the wheel turned -20 and 20 degrees about the
  // vertical through its centre, and between them lifted by 50.
  std::vector<std::string> own;
  for (const auto& [turn, height] : {std::pair{-20.0, 0.0}, std::pair{0.0, 50.0}, std::pair{20.0, 0.0}}) {
    const double a = turn * std::numbers::pi / 180, d[3] = {std::sin(a), -std::cos(a), 0};
    char line[160];
    std::snprintf(line, sizeof line, "%.6f %.6f %.6f %.6f %.6f %.6f", 0.0, -760.0, height, -100 * d[0],
                  -760 - 100 * d[1], height);
    own.push_back(line);
  }
  struct Case {
    const char* what;
    std::vector<std::string> lines;
    int angles = 4;  // the tire's points checked a place
  };
  const Case cases[] = {
      // The example's MacPherson strut, rack -30 to 30 and jounce 0 to 100
      // (examples/tire_envelope_clearance.jou, its spindle file).
      {"MacPherson strut",
       {"0.000000 -760.000000 0.000000 0.000000 -660.000000 0.000000",
        "-21.131036 -758.181689 -1.483806 1.915112 -660.889639 0.285938",
        "21.124398 -756.845988 0.444466 -2.090331 -659.580039 -0.196949",
        "-24.048505 -747.639885 99.678252 -0.993564 -650.334449 99.329314",
        "18.196722 -746.263116 101.792341 -4.996231 -649.036020 98.795880"}},
      // The short-long arm of examples/tire_template_sla.txt moved alike.
      {"short-long arm",
       {"0.000000 -760.000000 0.000000 0.000000 -660.000000 0.000000",
        "-15.844697 -760.194820 -0.847791 4.570757 -662.312249 0.639306",
        "15.518307 -756.552158 0.287488 -4.975481 -658.677802 -0.496782",
        "-15.540673 -753.206311 99.413024 5.182616 -655.383488 100.526870",
        "15.847834 -749.654955 100.000718 -4.371351 -651.721368 99.556746"}},
      {"turned and lifted", own},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ExpectTheTireHeldAtEveryPlace(c.lines, c.angles);
  }
}

// The MacPherson strut on a 4 x 2 grid, its design position first and twice:
// a plain fuse of the last two unions kept a valid solid a little larger than
// one of them and lost most of the other. One angle a place (each point
// classified alone takes in the solid's thousands of faces again). Half a
// minute of the modeller, two and a half under the sanitizers: the optimised
// build only, as the fine grid below.
TEST_F(TireGeometryTest, AStrutsFourByTwoGridHoldsTheTireAtEveryPlace) {
#ifndef NDEBUG
  GTEST_SKIP() << "half a minute of the modeller: run in the optimised build";
#else
  ExpectTheTireHeldAtEveryPlace(
      {"0.000000 -760.000000 0.000000 0.000000 -660.000000 0.000000",
       "0.000000 -760.000000 0.000000 0.000000 -660.000000 0.000000",
       "-21.131036 -758.181689 -1.483806 1.915112 -660.889639 0.285938",
       "-10.564685 -759.714544 -0.611534 0.979535 -660.385906 0.131807",
       "0.000000 -760.000000 0.000000 0.000000 -660.000000 0.000000",
       "10.563044 -759.055732 0.354491 -1.022869 -659.730252 -0.109799",
       "21.124398 -756.845988 0.444466 -2.090331 -659.580039 -0.196949",
       "-22.713092 -755.739338 49.370847 0.369451 -658.440180 49.635663",
       "-12.149224 -757.262080 50.289654 -0.565595 -657.938617 49.471547",
       "-1.585960 -757.541743 50.927842 -1.544692 -657.554493 49.331541",
       "8.976707 -756.595942 51.289387 -2.567217 -657.286144 49.215304",
       "19.538761 -754.389049 51.366245 -3.634433 -657.136937 49.123526",
       "-24.048505 -747.639885 99.678252 -0.993564 -650.334449 99.329314",
       "-13.487058 -749.153010 100.639797 -1.928244 -649.834328 99.158840",
       "-2.925705 -749.425059 101.311992 -2.907017 -649.451487 99.013167",
       "7.635556 -748.473618 101.698938 -3.929258 -649.184264 98.891943",
       "18.196722 -746.263116 101.792341 -4.996231 -649.036020 98.795880"},
      1);
#endif
}

// The example's short-long arm on a 16 x 1 grid (rack -30 to 30 in 16
// steps at jounce 0 and 100; its design position first and twice, then the
// 34 of the grid): at the facets' first turn every fuse of the first two
// unions of eight positions loses a part of one, at the second one leaves
// an edge of one face and one of three, at the third it unites, and the
// user is told so. The union of the 36 revolved tires lies between 84.46e6
// and 85.89e6 mm3, by hand.
// Four minutes of the modeller: the optimised build only.
TEST_F(TireGeometryTest, AShortLongArmsSixteenByOneGridUnitesAtAnotherTurnOfItsFacets) {
#ifndef NDEBUG
  GTEST_SKIP() << "minutes of the modeller: run in the optimised build";
#else
  const std::vector<std::string> lines = SpindleLines("tire_envelope_sla_16x1.txt");
  ASSERT_EQ(lines.size(), 36u);
  Block block(true, false, lines);
  Warnings warnings;
  const int body = KernelBodyOf(TireGeometry::MakeBody(*block.block));
  ASSERT_TRUE(Kernel::HasGeometry(body)) << testing::PrintToString(Kernel::Errors());
  EXPECT_EQ(warnings.shown, std::vector<std::string>{
                                "841501 the tire envelope was built at the third turn of its facets, each position's "
                                "facets turned 11.7 degrees about its spindle beyond the one before's (its positions "
                                "did not unite whole at the first): it may differ from an envelope built at the first "
                                "turn by up to a facet's height, 2.934"});
  EXPECT_TRUE(Kernel::IsClosedSolid(body));
  const double volume = Kernel::Volume(body) * 1e9;
  EXPECT_GT(volume, 84.46e6);
  EXPECT_LT(volume, 85.89e6);
  EXPECT_EQ(TirePointsOutside(body, *block.block, 1), 0);
#endif
}

// A run over bodies that hold no geometry measures nothing, and says so.
TEST_F(TireGeometryTest, AClearanceRunThatMeasuresNothingSaysSo) {
  Listing::Reset();
  Clearance::Reset();
  const tag_t moving = ES_create_solid(0), fixed = ES_create_solid(0);
  tag_t set = 0;
  ASSERT_EQ(CLEAR_create_dataset(part(), "SET", &set), 0);
  CLEAR_set_obj_list(set, 1, 4, 1, &moving, 0);
  CLEAR_set_obj_list(set, 2, 4, 1, &fixed, 0);
  EXPECT_EQ(CLEAR_do_clearance_analysis(set, nullptr, 0), 0);
  const CLEAR_dataset_record* record = Clearance::Dataset(set);
  ASSERT_NE(record, nullptr);
  EXPECT_FALSE(record->measured);
  EXPECT_EQ(Listing::Text(), "Clearance \"SET\": nothing measured, no body of a list holds geometry\n");
  Clearance::Reset();
}

// The envelope as a user gets it, from its STEP file: the example's
// MacPherson strut on a 6 x 6 grid (rack -30 to 30, jounce 0 to 100; the
// spindle lines its articulation traces, the design position first and
// twice, then the 49 of the grid) written and read back is one valid closed
// solid of the volume written, holding the tire at every place (one angle a
// place: each point classified alone takes in the solid's thousands of faces
// again). Its first union passed every check in memory, yet read back with a
// face whose boundary crossed itself. Bounds as above, by hand: above the
// tire's 32248359.786747 mm3, below 50 faceted tires'. About two minutes:
// the optimised build only (NDEBUG; the test sources themselves are built
// unoptimised in every configuration).
TEST_F(TireGeometryTest, AFineGridsEnvelopeReadsBackFromItsFileWhole) {
#ifndef NDEBUG
  GTEST_SKIP() << "minutes of the modeller: run in the optimised build";
#else
  const std::vector<std::string> lines = SpindleLines("tire_envelope_macpherson_6x6.txt");
  ASSERT_EQ(lines.size(), 51u);
  Block block(true, false, lines);
  const int body = KernelBodyOf(TireGeometry::MakeBody(*block.block));
  ASSERT_TRUE(Kernel::HasGeometry(body)) << testing::PrintToString(Kernel::Errors());
  const std::string file = stamvik_test::ProcessScratch().Slashed() + "envelope_6x6.stp";
  const int written = Kernel::WriteStep({body}, file);
  std::vector<int> solids;
  const int read = written == 0 ? Kernel::ReadStep(file, &solids) : written;
  std::filesystem::remove(file);
  EXPECT_EQ(read, 0);
  EXPECT_EQ(solids.size(), 1u);
  if (solids.size() == 1) {
    const double tire = 32248359.786747, faceted = 1.0057509, volume = Kernel::Volume(solids[0]) * 1e9;
    EXPECT_TRUE(Kernel::IsClosedSolid(solids[0]));
    EXPECT_NEAR(volume / (Kernel::Volume(body) * 1e9), 1.0, 1e-6);
    EXPECT_GT(volume, tire);
    EXPECT_LT(volume, 50 * faceted * tire);
    EXPECT_EQ(TirePointsOutside(solids[0], *block.block, 1), 0);
  }
  for (int solid : solids) Kernel::DeleteBody(solid, "test");
#endif
}

// What is not one solid holding the tire at every place is no envelope: it
// is refused and nothing is made. Kernel units (metres). A tire 0.2 wide,
// radial 0.2 to 0.34, spindle along Y: at two places 1 apart (0.32 between
// their treads) it falls apart into two solids; 0.05 apart the two unite.
// A thin ring (radial 1 to 1 + t, half width 0.05) at a place and turned
// round (spindle -Y) 0.0125 along it: the check's points of a place lie
// 0.3 rad (17.1887 degrees) and quarter turns on about its spindle, at
// axial -0.025, 0 and 0.025, in the middle of the ring's width (radial
// 1 + t / 2). The facets (15 degrees a turn, corners pushed out by
// 1 / cos 7.5 degrees) stand a radial r at r / cos of the angle from the
// facet's middle, and the second place's facets are turned 7.3 degrees on:
// their middles lie at 14.8 + 15 j, the first's at 7.5 + 15 j. An angle
// about +Y (its frame's X is +Z) is 180 less that angle about -Y (X is -Z).
// The first place's points: 5.3113 degrees from its own facets' middles
// (held where 1 + t / 2 >= 1.004311), 162.8113 about -Y, 1.9887 from the
// second's (1.000602). The second's: 2.3887 from its own (1.000870),
// 162.8113 about +Y, 5.3113 from the first's (1.004311). So t = 0.003 is
// held at both places, t = 0.001472 at the first only (by the second's
// facets), t = 0.001 at neither. (A union refused at the first turn is made
// again at the facets' other two, where these rings are refused alike.)
TEST_F(TireGeometryTest, WhatIsNotOneSolidHoldingTheTireAtEveryPlaceIsRefused) {
  auto ring = [](double inner, double outer, double half) {
    return std::vector<double>{-half, inner, half, inner, half, outer, -half, outer};
  };
  const std::vector<double> tire = ring(0.2, 0.34, 0.1);
  const std::vector<Kernel::WheelPlace> turnedRound = {{{0, 0, 0}, {0, 1, 0}}, {{0, 0.0125, 0}, {0, -1, 0}}};
  struct Row {
    const char* what;
    std::vector<double> section;
    std::vector<Kernel::WheelPlace> places;
    int status;
  };
  const Row rows[] = {
      {"two places apart", tire, {{{0, 0, 0}, {0, 1, 0}}, {{0, 0, 1}, {0, 1, 0}}}, ZV_ERROR_geometry},
      {"two places that overlap", tire, {{{0, 0, 0}, {0, 1, 0}}, {{0, 0, 0.05}, {0, 1, 0}}}, 0},
      {"a ring held at both places", ring(1, 1.003, 0.05), turnedRound, 0},
      {"a ring held at the first place only", ring(1, 1.001472, 0.05), turnedRound, ZV_ERROR_geometry},
      {"a ring held at neither", ring(1, 1.001, 0.05), turnedRound, ZV_ERROR_geometry},
      // Turned round where it stands: a place of its own, not one standing still.
      {"a ring turned round at its place, held at the first only", ring(1, 1.001472, 0.05),
       {{{0, 0, 0}, {0, 1, 0}}, {{0, 0, 0}, {0, -1, 0}}}, ZV_ERROR_geometry},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    int body = -1;
    EXPECT_EQ(Kernel::MakeWheelSweep(row.section, row.places, 0, &body), row.status);
    EXPECT_EQ(body != 0, row.status == 0);
    if (body != 0) Kernel::DeleteBody(body, "test");
  }
}

// The union of several places is written to a file of the modeller's own in
// the temporary folder and read back. A folder another may write lets that
// other put a link to a private file of ours in the file's name: the union
// is written and read through the file the modeller made, so the private
// file stays as it was and the envelope is built all the same. The name the
// modeller made goes at once, one that another put in its place stays.
namespace {
fs::path gPrivate;
bool gSwap = false;
std::string gScratch;
void SwapTheScratchFile(const char* step, const char* path) {
  if (std::string(step) != "scratch made") return;
  gScratch = path;
  if (!gSwap) return;
  fs::remove(path);
  fs::create_symlink(gPrivate, path);
}
}  // namespace

TEST_F(TireGeometryTest, TheEnvelopesScratchFileIsReachedOnlyThroughWhatTheModellerMade) {
  const stamvik_test::ScratchFolder folder("scratch_swap-");
  const fs::path home = folder.Path() / "home", shared = folder.Path() / "shared";
  fs::create_directories(home);
  fs::create_directories(shared);
  gPrivate = home / "private.txt";
  const stamvik_scratch::Variable tmp("TMP", shared.c_str());
  std::optional<stamvik_scratch::Variable> tmpdir;
  Kernel::SetModellerStepForTests(&SwapTheScratchFile);
  const std::vector<double> tire = {-0.1, 0.2, 0.1, 0.2, 0.1, 0.34, -0.1, 0.34};
  const std::vector<Kernel::WheelPlace> places = {{{0, 0, 0}, {0, 1, 0}}, {{0, 0, 0.05}, {0, 1, 0}}};
  struct Row {
    const char* what;
    bool swap;
    bool emptyTmpdir = false;  // else TMPDIR names the shared folder; TMP always does
  } rows[] = {{"left alone", false},
              {"swapped for a link to a private file", true},
              // An empty TMPDIR is taken as unset, not as a folder named "".
              {"left alone, named by TMP under an empty TMPDIR", false, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    tmpdir.reset();
    tmpdir.emplace("TMPDIR", row.emptyTmpdir ? "" : shared.c_str());
    std::ofstream(gPrivate, std::ios::trunc) << "private\n";
    fs::permissions(gPrivate, fs::perms::owner_read | fs::perms::owner_write);
    gSwap = row.swap;
    gScratch.clear();
    int body = 0;
    EXPECT_EQ(Kernel::MakeWheelSweep(tire, places, 0, &body), 0);
    EXPECT_NE(body, 0);
    if (body != 0) Kernel::DeleteBody(body, "test");
    std::ifstream in(gPrivate);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_TRUE(text == "private\n") << "the private file now holds " << text.size() << " bytes";
    EXPECT_EQ(fs::status(gPrivate).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(fs::path(gScratch).parent_path(), shared);
    EXPECT_EQ(fs::is_symlink(gScratch), row.swap) << "what stands at the name afterwards";
    EXPECT_EQ(fs::exists(fs::symlink_status(gScratch)), row.swap);
    if (row.swap) fs::remove(gScratch);
  }
  Kernel::SetModellerStepForTests(nullptr);
}

// An envelope whose positions did not unite whole at the facets' first turn
// and were united at another tells its user which turn, by how many degrees
// each position's facets were turned, and by how much it may differ from
// one made at the first: a facet's height, the section's largest radial,
// 340, times 1 / cos(7.5 degrees) - 1 = 0.0086289605801528, 2.934 (host
// lengths, millimetres here). The example's tire at two places 5 apart
// unites at the first turn; the test's stand-in makes the first turns'
// unions fall short as the modeller's fuse can.
TEST_F(TireGeometryTest, AnEnvelopeMadeAtAnotherTurnOfItsFacetsSaysSo) {
  using enum Kernel::WheelUnionForTests;
  struct Row {
    const char* what;
    std::vector<Kernel::WheelUnionForTests> unions;
    int status;
    std::vector<std::string> warnings;
    const char* tmpdir = nullptr;  // null: as it is
  };
  const Row rows[] = {
      {"at the first turn", {}, 0, {}},
      // Not the motion's failure: the folder and the reason are named.
      {"with no temporary folder",
       {},
       TireGeometry::kEnvelopeScratchUnusable,
       {"841502 the tire envelope could not be made: its scratch file cannot be made or written in the temporary "
        "folder \"/nonexistent/ktx\": No such file or directory"},
       "/nonexistent/ktx"},
      // Taken as unset, not as a folder named "": the system's own.
      {"with an empty TMPDIR", {}, 0, {}, ""},
      {"at the second",
       {FallsShort},
       0,
       {"841501 the tire envelope was built at the second turn of its facets, each position's facets turned 5.3 "
        "degrees about its spindle beyond the one before's (its positions did not unite whole at the first): it may "
        "differ from an envelope built at the first turn by up to a facet's height, 2.934"}},
      {"at the third",
       {FallsShort, FallsShort},
       0,
       {"841501 the tire envelope was built at the third turn of its facets, each position's facets turned 11.7 "
        "degrees about its spindle beyond the one before's (its positions did not unite whole at the first): it may "
        "differ from an envelope built at the first turn by up to a facet's height, 2.934"}},
      {"at none", {FallsShort, FallsShort, FallsShort}, ZV_ERROR_geometry, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    UnionsForTests unions(row.unions, -1);
    ScratchAt scratch(row.tmpdir, 0);
    Warnings warnings;
    Block block(true, false, {"0 -760 0 0 -660 0", "0 -760 5 0 -660 5"});
    int status = -1;
    const tag_t body = TireGeometry::MakeBody(*block.block, &status);
    EXPECT_EQ(status, row.status);
    EXPECT_EQ(Kernel::HasGeometry(KernelBodyOf(body)), row.status == 0);
    EXPECT_EQ(warnings.shown, row.warnings);
  }
}

// A union the time limit stopped, or one the modeller threw on, is refused
// at once: another turn of the facets would take as long again. One that
// falls short is tried at the next turn, where a stop refuses it alike.
// The turn the kernel reports is the last union tried, and so how many
// were. A limit of no time stops the modeller's first fuse; the tire of
// WhatIsNotOneSolidHoldingTheTireAtEveryPlaceIsRefused at two places 0.05
// apart unites at the first turn. The facets' height: the largest radial,
// 0.34, times 0.0086289605801528.
TEST_F(TireGeometryTest, AUnionStoppedOrThrownOnIsNotTriedAtAnotherTurn) {
  using enum Kernel::WheelUnionForTests;
  const std::vector<double> tire = {-0.1, 0.2, 0.1, 0.2, 0.1, 0.34, -0.1, 0.34};
  const std::vector<Kernel::WheelPlace> two = {{{0, 0, 0}, {0, 1, 0}}, {{0, 0, 0.05}, {0, 1, 0}}};
  const double height = 0.34 * 0.0086289605801528;
  struct Row {
    const char* what;
    std::vector<Kernel::WheelPlace> places;
    std::vector<Kernel::WheelUnionForTests> unions;
    double limit;  // seconds; negative: the default
    int status;
    int turn;  // the last tried
    double degrees;
    // Where the scratch file goes (null: as it is), the largest file the
    // process may write (0: any), and the reason the folder is named for
    // (null: none).
    const char* tmpdir = nullptr;
    rlim_t fileSize = 0;
    const char* unusable = nullptr;
  };
  const Row rows[] = {
      {"united at the first turn", two, {}, -1, 0, 1, 7.3},
      // A scratch file that cannot be made or written is no fault of the
      // union: no other turn is tried.
      {"no temporary folder", two, {}, -1, ZV_ERROR_geometry, 1, 7.3, "/nonexistent/ktx", 0,
       "No such file or directory"},
      {"short at the first, then no temporary folder", two, {FallsShort}, -1, ZV_ERROR_geometry, 2, 5.3,
       "/nonexistent/ktx", 0, "No such file or directory"},
      {"a file where the folder should be", two, {}, -1, ZV_ERROR_geometry, 1, 7.3, "/proc/self/status", 0,
       "Not a directory"},
      {"a folder no file can be made in", two, {}, -1, ZV_ERROR_geometry, 1, 7.3, "/proc", 0,
       "No such file or directory"},
      {"no room for the file", two, {}, -1, ZV_ERROR_geometry, 1, 7.3, nullptr, 1000, "File too large"},
      {"stopped by the limit", two, {}, 0, ZV_ERROR_geometry, 1, 7.3},
      {"thrown on", two, {Throws}, -1, ZV_ERROR_geometry, 1, 7.3},
      {"short at the first, then thrown on", two, {FallsShort, Throws}, -1, ZV_ERROR_geometry, 2, 5.3},
      {"short at the first, then stopped", two, {FallsShort}, 0, ZV_ERROR_geometry, 2, 5.3},
      {"short at every turn", two, {FallsShort, FallsShort, FallsShort}, -1, ZV_ERROR_geometry, 3, 11.7},
      {"one place: no union", {two[0]}, {Throws}, -1, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    UnionsForTests unions(row.unions, row.limit);
    int body = -1;
    Kernel::WheelFacets facets;
    {
      ScratchAt scratch(row.tmpdir, row.fileSize);
      EXPECT_EQ(Kernel::MakeWheelSweep(tire, row.places, 0, &body, &facets), row.status);
    }
    EXPECT_EQ(facets.scratch.reason, row.unusable != nullptr ? row.unusable : "");
    EXPECT_EQ(facets.scratch.folder, row.unusable == nullptr  ? ""
                                     : row.tmpdir != nullptr ? row.tmpdir
                                                             : stamvik_scratch::TemporaryFolder());
    EXPECT_EQ(facets.turn, row.turn);
    EXPECT_DOUBLE_EQ(facets.degrees, row.degrees);
    EXPECT_NEAR(facets.height, row.turn > 0 ? height : 0, 1e-12);
    if (body != 0) Kernel::DeleteBody(body, "test");
  }
}

// A solid is closed when every edge but a seam (one edge twice in one face,
// as the revolved tire's) bounds two faces. A crack the modeller's checker
// takes as valid, and which keeps the volume, leaves it open: a slit in a
// face (an edge of that face alone) or a face laid over another on its edges
// (each of them an edge of three faces). Kernel units: a box 0.1 x 0.2 x 0.3
// (0.006) extruded from its base, and the tire of the rows above at one
// place, revolved (pi x 0.2 x (0.34^2 - 0.2^2) = 0.04750088).
TEST_F(TireGeometryTest, ASolidWithACrackInItsSkinIsNotClosed) {
  using enum Kernel::WheelUnionForTests;
  const std::vector<double> tire = {-0.1, 0.2, 0.1, 0.2, 0.1, 0.34, -0.1, 0.34};
  const double up[3] = {0, 0, 1};
  int box = 0, revolved = 0;
  ASSERT_EQ(Kernel::MakeExtrusion({{0, 0, 0, 0.1, 0, 0, 0.1, 0.2, 0, 0, 0.2, 0}}, up, 0, 0.3, false, &box), 0);
  ASSERT_EQ(Kernel::MakeWheelSweep(tire, {{{0, 0, 0}, {0, 1, 0}}}, 0, &revolved), 0);
  struct Row {
    const char* what;
    int body;
    Kernel::WheelUnionForTests crack;  // Modeller: none
    double volume;
    bool closed;
  };
  const Row rows[] = {
      {"a box", box, Modeller, 0.006, true},
      {"a box with a slit in a face", box, Slit, 0.006, false},
      {"a box with a face laid over another", box, FaceLaidOver, 0.006, false},
      {"a revolved tire, its seams", revolved, Modeller, 0.04750088, true},
      {"a revolved tire with a slit in a side", revolved, Slit, 0.04750088, false},
      {"a revolved tire with a face laid over a side", revolved, FaceLaidOver, 0.04750088, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    int body = row.body;
    if (row.crack != Modeller) {
      const int cracked = Kernel::CrackForTests(row.body, row.crack, &body);
      EXPECT_EQ(cracked, 0);
      if (cracked != 0) continue;
    }
    EXPECT_NEAR(Kernel::Volume(body), row.volume, 1e-7);
    EXPECT_EQ(Kernel::IsClosedSolid(body), row.closed);
    if (body != row.body) Kernel::DeleteBody(body, "test");
  }
  Kernel::DeleteBody(box, "test");
  Kernel::DeleteBody(revolved, "test");
}

// The envelope's own check of each union refuses one with a crack in its
// skin: the union is made at the next turn of the facets, closed, or at none.
// The tire of the rows above at two places 0.05 apart.
TEST_F(TireGeometryTest, AUnionWithACrackInItsSkinIsNotTaken) {
  using enum Kernel::WheelUnionForTests;
  const std::vector<double> tire = {-0.1, 0.2, 0.1, 0.2, 0.1, 0.34, -0.1, 0.34};
  const std::vector<Kernel::WheelPlace> two = {{{0, 0, 0}, {0, 1, 0}}, {{0, 0, 0.05}, {0, 1, 0}}};
  struct Row {
    const char* what;
    std::vector<Kernel::WheelUnionForTests> unions;
    int status;
    int turn;
  };
  const Row rows[] = {
      {"a slit at the first turn", {Slit}, 0, 2},
      {"a face laid over at the first turn", {FaceLaidOver}, 0, 2},
      {"a crack at every turn", {Slit, FaceLaidOver, Slit}, ZV_ERROR_geometry, 3},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    UnionsForTests unions(row.unions, -1);
    int body = -1;
    Kernel::WheelFacets facets;
    EXPECT_EQ(Kernel::MakeWheelSweep(tire, two, 0, &body, &facets), row.status);
    EXPECT_EQ(facets.turn, row.turn);
    EXPECT_EQ(body != 0, row.status == 0);
    if (body == 0) continue;
    EXPECT_TRUE(Kernel::IsClosedSolid(body));
    Kernel::DeleteBody(body, "test");
  }
}

// The tire grown by an offset holds what lies within it. Kernel units
// (metres), spindle along Y, the tire of radius 0.34. At one place it is
// revolved: grown by 0.01 it stands 0.35 out. At two places (0 and 0.05 up
// along Z) it is faceted: straight below the first its facets stand at most
// 0.34 / cos 7.5 degrees = 0.342930 out. So (0, 0, -0.347), 0.397 from the
// second place's spindle, lies in the grown tire only, and (0, 0, -0.36) in
// neither (grown, the facets' corners stand 0.35 / cos 7.5 degrees = 0.353).
// (0, 0.105, -0.27) lies 0.005, half the offset, beyond the side face at
// y = 0.1, radial 0.27 and 0.32 from the two spindles: in the grown tire only.
// Volumes: revolved, pi * width * (outer^2 - inner^2); faceted, the 24 facets
// touch the circles, 24 * tan 7.5 degrees = 3.159659 in place of pi. Grown by
// 0.01 the section is 0.22 wide from 0.19 to 0.35: 0.22 * (0.35^2 - 0.19^2)
// = 0.019008 (0.2 * (0.34^2 - 0.2^2) = 0.01512 not grown).
TEST_F(TireGeometryTest, AnOffsetGrowsTheTireByIt) {
  const std::vector<double> tire = {-0.1, 0.2, 0.1, 0.2, 0.1, 0.34, -0.1, 0.34};
  const Kernel::WheelPlace first{{0, 0, 0}, {0, 1, 0}}, second{{0, 0, 0.05}, {0, 1, 0}};
  const double within[3] = {0, 0, -0.347}, beyond[3] = {0, 0, -0.36}, beside[3] = {0, 0.105, -0.27};
  struct Row {
    const char* what;
    std::vector<Kernel::WheelPlace> places;
    double offset;
    Kernel::Containment within;
    double least, most;  // the volume, least exclusive
  };
  const Row rows[] = {
      // pi * 0.01512 = 0.047501
      {"one place", {first}, 0, Kernel::Containment::Out, 0.04750, 0.04751},
      // pi * 0.019008 = 0.059716
      {"one place grown by 0.01", {first}, 0.01, Kernel::Containment::In, 0.05971, 0.05972},
      // One faceted tire 3.159659 * 0.01512 = 0.047774, two at most 0.095548.
      {"two places", {first, second}, 0, Kernel::Containment::Out, 0.047774, 0.095548},
      // One grown faceted tire 3.159659 * 0.019008 = 0.060059, two at most 0.120118.
      {"two places grown by 0.01", {first, second}, 0.01, Kernel::Containment::In, 0.060059, 0.120118},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    int body = 0;
    EXPECT_EQ(Kernel::MakeWheelSweep(tire, row.places, row.offset, &body), 0);
    if (body == 0) continue;
    EXPECT_TRUE(Kernel::IsClosedSolid(body));
    EXPECT_GT(Kernel::Volume(body), row.least);
    EXPECT_LE(Kernel::Volume(body), row.most);
    EXPECT_EQ(Kernel::Classify(body, within), row.within);
    EXPECT_EQ(Kernel::Classify(body, beside), row.within);
    EXPECT_EQ(Kernel::Classify(body, beyond), Kernel::Containment::Out);
    Kernel::DeleteBody(body, "test");
  }
}

// A block over the wheel, its floor at z = 350 across x -50..50, y -800..-720,
// stands 10 clear of the tread (radius 340 about the Y axis); a floor at 330
// cuts into it. The envelope of the wheel lifted by 5 comes 5 from it, at its
// second position.
TEST_F(TireGeometryTest, AClearanceRunMeasuresTheRealDistance) {
  struct Case {
    const char* what;
    double floor, height;
    bool envelope;
    double distance;
    int position;
    bool interference;
    const char* listed;
  };
  const Case cases[] = {
      {"clear", 350, 50, false, 10, -1, false, "Clearance \"SET\": minimum distance 10.000, inside the clearance zone of 20\n"},
      {"cutting in", 330, 50, false, 0, -1, true, "Clearance \"SET\": interference\n"},
      // Wholly inside the tread's rubber (radius 230 to 340): no face meets, yet no clearance.
      {"inside the rubber", 300, 20, false, 0, -1, true, "Clearance \"SET\": interference\n"},
      {"envelope", 350, 50, true, 5, 1, false,
       "Clearance \"SET\": minimum distance 5.000 at motion position 2, inside the clearance zone of 20\n"},
      {"far", 400, 50, false, 60, -1, false, "Clearance \"SET\": minimum distance 60.000\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Listing::Reset();
    Clearance::Reset();
    Block block(true, !c.envelope, {"0 -760 0 0 -660 0", "0 -760 5 0 -660 5"});
    tag_t tire = 0;
    if (c.envelope) {
      FEATURE_RECORD* feature = nullptr;
      const int created = DIEENG_create_frec(TireEnvelopeClassId, block.block.get(), 0, &feature);
      EXPECT_EQ(created, 0);
      if (created != 0) continue;
      tire = feature->ask_body_eid();
    } else {
      tire = TireGeometry::MakeBody(*block.block);
    }
    const bool shaped = Kernel::HasGeometry(KernelBodyOf(tire));
    EXPECT_TRUE(shaped);
    if (!shaped) continue;
    const std::vector<double> floor = {-0.05, -0.8, c.floor / 1000, 0.05, -0.8, c.floor / 1000,
                                       0.05, -0.72, c.floor / 1000, -0.05, -0.72, c.floor / 1000};
    const double at[3] = {0, 0, c.floor / 1000}, up[3] = {0, 0, 1}, rise[3] = {0, 0, c.height / 1000};
    int box = 0;
    const int sheet = Kernel::MakePlanarSheet({floor}, at, up, &box);
    EXPECT_EQ(sheet, 0);
    if (sheet != 0) continue;
    ZV_TOPOL_track_r_t tracking{};
    const int swept = ZV_BODY_sweep(box, rise, &tracking);
    EXPECT_EQ(swept, 0);
    ZV_TOPOL_track_r_f(&tracking);
    if (swept != 0) continue;
    const tag_t solid = ES_solid::MakeOwning(nullptr, box)->OmTag();
    tag_t set = 0, zone = 0;
    const int dataset = CLEAR_create_dataset(part(), "SET", &set);
    EXPECT_EQ(dataset, 0);
    if (dataset != 0) continue;
    const int expression = VD_MODL_create_exp_tag("20", &zone);
    EXPECT_EQ(expression, 0);
    if (expression != 0) continue;
    CLEAR_set_default_clear_zone(set, zone);
    CLEAR_set_obj_list(set, 1, 4, 1, &tire, 0);
    CLEAR_set_obj_list(set, 2, 4, 1, &solid, 0);
    const int analysed = CLEAR_do_clearance_analysis(set, nullptr, 0);
    EXPECT_EQ(analysed, 0);
    if (analysed != 0) continue;
    const CLEAR_dataset_record* record = Clearance::Dataset(set);
    EXPECT_NE(record, nullptr);
    if (record == nullptr) continue;
    EXPECT_TRUE(record->measured);
    EXPECT_NEAR(record->minimumDistance, c.distance, 1e-4);
    EXPECT_EQ(record->closestPosition, c.position);
    EXPECT_EQ(record->interference, c.interference);
    EXPECT_EQ(Listing::Text(), c.listed);
  }
  Clearance::Reset();
}

}  // namespace
