// The kernel's real geometry: sheets from curves and corners, sweeps,
// offsets, trims, booleans, aligned boxes and STEP files, in host millimetres
// through the body utilities as the die shoe's construction calls them.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Wheel.hpp"
#include "om/ObjectManager.hpp"
#include "sel/Selection.hpp"
#include "sys/Abort.hpp"

namespace {

using KTX::Kernel::Containment;

constexpr double kMm3 = 1e-9;  // a cubic millimetre in kernel units

KTX::tag_t Rectangle(double x0, double y0, double x1, double y1, double z = 0) {
  const double p[] = {x0, y0, z, x1, y0, z, x1, y1, z, x0, y1, z, x0, y0, z};
  return KTX::ES_create_polyline(5, p);
}

class KernelGeometry : public stamvik_test::HostTest {
 protected:
  // A block: the rectangle's sheet through z0, swept up by height.
  int Block(double x0, double y0, double x1, double y1, double z0, double height) {
    KTX::tag_t curve = Rectangle(x0, y0, x1, y1, z0 + 33);  // moved onto the plane by the sheet
    const double point[3] = {0, 0, z0}, up[3] = {0, 0, 1};
    int sheet = 0;
    EXPECT_EQ(DIEDES_UTILS__bplane_from_curves(1, &curve, point, up, 0.02, &sheet, nullptr, nullptr), 0);
    const double path[3] = {0, 0, height * 0.001};
    ZV_TOPOL_track_r_t tracking;
    EXPECT_EQ(ZV_BODY_sweep(sheet, path, &tracking), 0);
    ZV_TOPOL_track_r_f(&tracking);
    return sheet;
  }
  static Containment At(int body, double x, double y, double z) {
    const double p[3] = {x, y, z};
    return KTX::DieDesUtils::ContainmentOf(body, p);
  }
  static double Mm3(int body) { return KTX::Kernel::Volume(body) / kMm3; }
};

TEST_F(KernelGeometry, SheetsAreMadeOnlyFromClosedCurves) {
  const double point[3] = {0, 0, 0}, up[3] = {0, 0, 1};
  const double open[] = {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0, 0, 0.5, 0};
  const double nearlyClosed[] = {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0, 0, 0.01, 0};
  struct Row {
    const char* what;
    KTX::tag_t curve;
    int rc;
  } rows[] = {
      {"open by more than the tolerance", KTX::ES_create_polyline(5, open), ZV_ERROR_open_curve},
      {"open within the tolerance", KTX::ES_create_polyline(5, nearlyClosed), 0},
      {"no curve", KTX::ES_create_point(point), ZV_ERROR_open_curve},
  };
  for (const Row& row : rows) {
    int sheet = -1;
    EXPECT_EQ(DIEDES_UTILS__bplane_from_curves(1, &row.curve, point, up, 0.02, &sheet, nullptr, nullptr), row.rc)
        << row.what;
    EXPECT_EQ(sheet != 0, row.rc == 0) << row.what;
    DieDesUtilsDeleteBody(sheet);
  }
  // A second curve inside the first is a hole.
  KTX::tag_t curves[2] = {Rectangle(-50, -50, 50, 50), Rectangle(-10, -10, 10, 10)};
  int sheet = 0;
  ASSERT_EQ(DIEDES_UTILS__bplane_from_curves(2, curves, point, up, 0.02, &sheet, nullptr, nullptr), 0);
  const double path[3] = {0, 0, 0.01};
  ZV_TOPOL_track_r_t tracking;
  ASSERT_EQ(ZV_BODY_sweep(sheet, path, &tracking), 0);
  ZV_TOPOL_track_r_f(&tracking);
  EXPECT_NEAR(Mm3(sheet), (100 * 100 - 20 * 20) * 10, 1e-3);
  EXPECT_EQ(At(sheet, 0, 0, 5), Containment::Out);
  EXPECT_EQ(At(sheet, 30, 0, 5), Containment::In);
  DieDesUtilsDeleteBody(sheet);
}

TEST_F(KernelGeometry, SweptBlockLiesOnTheSheetsPlane) {
  int block = Block(-300, -200, 300, 200, -70.2, 390.4);
  EXPECT_NEAR(Mm3(block), 600.0 * 400 * 390.4, 1.0);
  double min[3], max[3];
  ASSERT_TRUE(KTX::Kernel::Bounds(block, min, max));
  EXPECT_NEAR(min[2], -0.0702, 1e-9);
  EXPECT_NEAR(max[2], 0.3202, 1e-9);
  DieDesUtilsDeleteBody(block);
}

TEST_F(KernelGeometry, TrimKeepsTheSideTheNormalPointsTo) {
  struct Row {
    const char* what;
    double x, z, nz;  // the plane's point (x, 0, z)
    bool alive;
    double volume;  // mm3
  } rows[] = {
      {"through, normal up", 0, 10, 1, true, 100.0 * 100 * 30},
      {"through, normal down", 0, 10, -1, true, 100.0 * 100 * 10},
      {"through, its point far from the body", 5000, 10, 1, true, 100.0 * 100 * 30},
      {"at the bottom face, normal up", 0, 0, 1, true, 100.0 * 100 * 40},
      {"at the bottom face, normal down", 0, 0, -1, false, 0},
      {"one past the top, normal up", 0, 40.5, 1, false, 0},
  };
  for (const Row& row : rows) {
    int block = Block(0, 0, 100, 100, 0, 40);
    const double point[3] = {row.x, 0, row.z}, normal[3] = {0, 0, row.nz};
    EXPECT_EQ(DIEDES_UTILS__trim_body_to_plane(block, point, normal), 0) << row.what;
    EXPECT_EQ(ZV_ENTITY_is(block), row.alive) << row.what;
    if (row.alive) {
      EXPECT_NEAR(Mm3(block), row.volume, 1e-3) << row.what;
      DieDesUtilsDeleteBody(block);
    }
  }
}

TEST_F(KernelGeometry, BooleansAreReal) {
  struct Row {
    const char* what;
    int function;
    std::vector<double> tools;  // x0 of cubes of the size at y, z 0..size
    double size;
    int status;
    double volume;  // mm3 of the target afterwards; 0: gone
  } rows[] = {
      {"unite overlapping", ZV_boolean_unite_c, {10}, 20, ZV_boolean_result_success_c, 20.0 * 20 * 30},
      {"unite two apart", ZV_boolean_unite_c, {40, 80}, 20, ZV_boolean_result_success_c, 3 * 8000.0},
      {"subtract half", ZV_boolean_subtract_c, {10}, 20, ZV_boolean_result_success_c, 4000},
      {"subtract all", ZV_boolean_subtract_c, {-5}, 30, ZV_boolean_result_failed_c, 0},
      {"intersect inside any of two", ZV_boolean_intersect_c, {-15, 15}, 20, ZV_boolean_result_success_c, 2 * 2000.0},
      {"intersect with nothing in common", ZV_boolean_intersect_c, {40}, 20, ZV_boolean_result_failed_c, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    int target = Block(0, 0, 20, 20, 0, 20);
    std::vector<int> tools;
    const double out = (row.size - 20) / 2;  // a larger tool reaches past the target on every side
    for (double x0 : row.tools) tools.push_back(Block(x0, -out, x0 + row.size, 20 + out, -out, row.size));
    ZV_BODY_boolean_o_t options;
    options.function = row.function;
    ZV_TOPOL_track_r_t tracking;
    ZV_boolean_r_t results;
    const int status =
        ZV_BODY_boolean_2(target, static_cast<int>(tools.size()), tools.data(), &options, &tracking, &results);
    EXPECT_EQ(status, 0) << row.what;
    if (status != 0) continue;
    EXPECT_EQ(results.status, row.status) << row.what;
    for (int tool : tools) EXPECT_FALSE(ZV_ENTITY_is(tool)) << row.what << ": a tool is consumed";
    EXPECT_EQ(ZV_ENTITY_is(target), row.volume > 0) << row.what;
    if (row.volume > 0) {
      EXPECT_NEAR(Mm3(target), row.volume, 1e-3) << row.what;
    }
    ZV_TOPOL_track_r_f(&tracking);
    ZV_boolean_r_f(&results);
    if (ZV_ENTITY_is(target)) DieDesUtilsDeleteBody(target);
  }
}

// A block 40 x 40 x 20 with holes cut through it, or blocks apart united
// with it: its faces fall into one group of shared edges for each solid,
// which the modeller's checker takes as one valid closed solid only when
// there is one; a point in a hole is outside it, one in the material in.
TEST_F(KernelGeometry, ABlockWithHolesThroughIsOneSolidAndTwoApartAreTwo) {
  struct Box {
    double x0, y0, x1, y1;
  };
  struct Row {
    const char* what;
    std::vector<Box> holes, apart;
    int solids, valid;
    std::vector<int> where;  // at (12, 12, 10), (2, 2, 10), (40, 20, 10), (70, 10, 10)
  };
  const Row rows[] = {
      {"a block", {}, {}, 1, 1, {1, 1, 0, -1}},
      {"a hole through", {{10, 10, 15, 15}}, {}, 1, 1, {-1, 1, 0, -1}},
      {"three holes through", {{10, 10, 15, 15}, {25, 25, 30, 30}, {25, 5, 30, 10}}, {}, 1, 1, {-1, 1, 0, -1}},
      {"two apart", {}, {{60, 0, 80, 20}}, 2, 0, {1, 1, 0, 1}},
      {"three apart, one with a hole", {{10, 10, 15, 15}}, {{60, 0, 80, 20}, {100, 0, 120, 20}}, 3, 0, {-1, 1, 0, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const int block = Block(0, 0, 40, 40, 0, 20);
    std::vector<int> holes, apart;
    for (const Box& b : row.holes) holes.push_back(Block(b.x0, b.y0, b.x1, b.y1, -1, 22));
    for (const Box& b : row.apart) apart.push_back(Block(b.x0, b.y0, b.x1, b.y1, 0, 20));
    for (auto [tools, function] : {std::pair{&holes, ZV_boolean_subtract_c}, std::pair{&apart, ZV_boolean_unite_c}}) {
      if (tools->empty()) continue;
      ZV_BODY_boolean_o_t options;
      options.function = function;
      ZV_TOPOL_track_r_t tracking;
      ZV_boolean_r_t results;
      EXPECT_EQ(ZV_BODY_boolean_2(block, static_cast<int>(tools->size()), tools->data(), &options, &tracking, &results), 0);
      ZV_TOPOL_track_r_f(&tracking);
      ZV_boolean_r_f(&results);
    }
    int solids = 0, valid = -1;
    EXPECT_EQ(ZV_BODY_ask_n_solids(block, &solids), 0);
    EXPECT_EQ(solids, row.solids);
    EXPECT_EQ(ZV_BODY_check_solid(block, &valid), 0);
    EXPECT_EQ(valid, row.valid);
    const double points[12] = {0.012, 0.012, 0.01, 0.002, 0.002, 0.01, 0.04, 0.02, 0.01, 0.07, 0.01, 0.01};
    std::vector<int> where(4, 7);
    EXPECT_EQ(ZV_BODY_classify_points(block, 4, points, where.data()), 0);
    EXPECT_EQ(where, row.where);
    DieDesUtilsDeleteBody(block);
  }
}

// A prism 20 high on a regular polygon of n sides (radius 100): valid as
// made, and not once its first planar face is slit, laid over by a copy or
// turned inwards, whether its end faces have few edges (200), which the
// modeller's checker looks at whole, or more than it looks at (300), where
// the shells' closure and the faces' turn are checked edge by edge.
TEST_F(KernelGeometry, APrismsSkinCrackedIsNoValidSolidWhateverItsEndsEdges) {
  using KTX::Kernel::WheelUnionForTests;
  for (const int n : {200, 300}) {
    std::vector<double> p;
    for (int i = 0; i <= n; ++i) p.insert(p.end(), {100 * std::cos(2 * M_PI * i / n), 100 * std::sin(2 * M_PI * i / n), 0});
    KTX::tag_t curve = KTX::ES_create_polyline(n + 1, p.data());
    const double point[3] = {0, 0, 0}, up[3] = {0, 0, 1}, path[3] = {0, 0, 0.02};
    int prism = 0;
    ASSERT_EQ(DIEDES_UTILS__bplane_from_curves(1, &curve, point, up, 0.02, &prism, nullptr, nullptr), 0);
    ZV_TOPOL_track_r_t tracking;
    ASSERT_EQ(ZV_BODY_sweep(prism, path, &tracking), 0);
    ZV_TOPOL_track_r_f(&tracking);
    struct Row {
      const char* what;
      WheelUnionForTests how;
      int valid;
    };
    const Row rows[] = {
        {"as made", WheelUnionForTests::Modeller, 1},
        {"slit", WheelUnionForTests::Slit, 0},
        {"laid over", WheelUnionForTests::FaceLaidOver, 0},
        {"turned", WheelUnionForTests::FaceTurned, 0},
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(std::to_string(n) + " sides, " + row.what);
      int body = prism;
      if (row.how != WheelUnionForTests::Modeller) {
        ASSERT_EQ(KTX::Kernel::CrackForTests(prism, row.how, &body), 0);
      }
      int valid = -1;
      EXPECT_EQ(ZV_BODY_check_solid(body, &valid), 0);
      EXPECT_EQ(valid, row.valid);
      if (body != prism) DieDesUtilsDeleteBody(body);
    }
    DieDesUtilsDeleteBody(prism);
  }
}

// An L (a block 40 x 20 and one 20 x 20 on it, 20 high, united): a point's
// state is the same whether or not the ray the query casts from it (along
// (0.2718281828, 0.5772156649, 0.7692389013)) crosses the boundary on a face,
// or on an edge or a vertex, where crossings alone cannot tell it.
TEST_F(KernelGeometry, APointsStateHoldsWhereItsRayCrossesAnEdgeOrAVertex) {
  const int ell = Block(0, 0, 40, 20, 0, 20);
  int tools[1] = {Block(0, 20, 20, 40, 0, 20)};
  ZV_BODY_boolean_o_t options;
  options.function = ZV_boolean_unite_c;
  ZV_TOPOL_track_r_t tracking;
  ZV_boolean_r_t results;
  ASSERT_EQ(ZV_BODY_boolean_2(ell, 1, tools, &options, &tracking, &results), 0);
  ZV_TOPOL_track_r_f(&tracking);
  ZV_boolean_r_f(&results);
  const double length = std::hypot(0.2718281828, 0.5772156649, 0.7692389013);
  const double ray[3] = {0.2718281828 / length, 0.5772156649 / length, 0.7692389013 / length};
  struct Row {
    const char* what;
    double x, y, z;  // mm
    double back;     // mm moved back against the ray
    int where;
  };
  const Row rows[] = {
      {"inside", 10, 10, 10, 0, 1},
      {"in the notch", 30, 30, 10, 0, -1},
      {"on a side", 10, 0, 10, 0, 0},
      {"on the notch's edge", 20, 20, 10, 0, 0},
      {"inside, its ray out through the notch's edge", 20, 20, 15, 5, 1},
      {"inside, its ray out through a corner", 40, 20, 20, 5, 1},
      {"outside, its ray through a corner", 0, 0, 0, 5, -1},
      {"outside, its ray along the top's edge", 10, 0, 20, 5, -1},
  };
  std::vector<double> points;
  std::vector<int> expected;
  for (const Row& row : rows) {
    const double at[3] = {row.x, row.y, row.z};
    for (int k = 0; k < 3; ++k) points.push_back((at[k] - row.back * ray[k]) * 0.001);
    expected.push_back(row.where);
  }
  std::vector<int> where(expected.size(), 7);
  EXPECT_EQ(ZV_BODY_classify_points(ell, static_cast<int>(where.size()), points.data(), where.data()), 0);
  for (std::size_t i = 0; i < where.size(); ++i) EXPECT_EQ(where[i], expected[i]) << rows[i].what;
  DieDesUtilsDeleteBody(ell);
}

// A ring (radials 30 to 50, 100 along its axis z, from -50 to 50, revolved
// whole): a point below it whose ray passes into the outer face and out of
// it again, 40 from the axis (a chord of 2 sqrt(50^2 - 40^2) = 60 across,
// 10 up from the bottom), crosses one curved face twice and is outside, as
// is one whose ray misses the ring; one in its wall is inside.
TEST_F(KernelGeometry, APointsRayCrossingACurvedFaceTwiceTellsItOutside) {
  int ring = 0;
  ASSERT_EQ(KTX::Kernel::MakeWheelSweep({-0.05, 0.03, 0.05, 0.03, 0.05, 0.05, -0.05, 0.05},
                                        {KTX::Kernel::WheelPlace{{0, 0, 0}, {0, 0, 1}}}, 0, &ring),
            0);
  const double length = std::hypot(0.2718281828, 0.5772156649, 0.7692389013);
  const double ray[3] = {0.2718281828 / length, 0.5772156649 / length, 0.7692389013 / length};
  // Across the axis, square to the ray's way round it.
  const double across = std::hypot(ray[0], ray[1]), u[2] = {ray[0] / across, ray[1] / across};
  const double in[3] = {-40 * u[1] - 30 * u[0], 40 * u[0] - 30 * u[1], -40};  // where the ray enters, mm
  struct Row {
    const char* what;
    double x, y, z;  // mm
    int where;
  };
  const double back = 15 / ray[2];  // to 5 below the ring
  const Row rows[] = {
      {"below it, its ray in and out of the outer face", in[0] - back * ray[0], in[1] - back * ray[1], -55, -1},
      {"beside it, its ray past it", 70, -70, 0, -1},
      {"in its wall", 0, -40, 0, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double point[3] = {row.x * 0.001, row.y * 0.001, row.z * 0.001};
    int where = 7;
    EXPECT_EQ(ZV_BODY_classify_points(ring, 1, point, &where), 0);
    EXPECT_EQ(where, row.where);
  }
  DieDesUtilsDeleteBody(ring);
}

// A boolean the time limit breaks off is the modeller's failure: nothing
// changes, the tools stay alive, and the call log says why.
TEST_F(KernelGeometry, BooleanPastTheTimeLimitChangesNothing) {
  struct Limit {
    ~Limit() { KTX::Kernel::SetGeometryLimit(-1); }
  } restore;
  struct Row {
    const char* what;
    double limit;  // seconds; negative: the default
    int function;
    int error;
    double volume;  // mm3 of the target afterwards
  } rows[] = {
      {"unite at no time", 0, ZV_boolean_unite_c, ZV_ERROR_geometry, 8000},
      {"subtract at no time", 0, ZV_boolean_subtract_c, ZV_ERROR_geometry, 8000},
      {"intersect at no time", 0, ZV_boolean_intersect_c, ZV_ERROR_geometry, 8000},
      {"unite at the default", -1, ZV_boolean_unite_c, 0, 12000},
      {"subtract at the default", -1, ZV_boolean_subtract_c, 0, 4000},
      {"subtract within an hour", 3600, ZV_boolean_subtract_c, 0, 4000},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    KTX::Kernel::SetGeometryLimit(row.limit);
    int target = Block(0, 0, 20, 20, 0, 20);
    int tools[2] = {Block(10, 0, 30, 20, 0, 20), Block(10, 0, 30, 20, 0, 20)};
    const int bodies = KTX::Kernel::LiveCounters().liveBodies;
    KTX::Host::ClearCalls();
    ZV_BODY_boolean_o_t options;
    options.function = row.function;
    ZV_TOPOL_track_r_t tracking;
    ZV_boolean_r_t results;
    EXPECT_EQ(ZV_BODY_boolean_2(target, 1, tools, &options, &tracking, &results), row.error);
    EXPECT_NEAR(Mm3(target), row.volume, 1e-3);
    const bool refused = row.error != 0;
    EXPECT_EQ(KTX::Kernel::LiveCounters().liveBodies, refused ? bodies : bodies - 1);
    EXPECT_EQ(ZV_ENTITY_is(tools[0]), refused);
    std::vector<std::string> notes;
    for (const KTX::Host::Call& c : KTX::Host::Calls())
      if (c.name == "ZV_BODY_boolean_2") notes.push_back(c.args);
    const std::string stopped =
        "body=" + std::to_string(target) + " stopped: the modeller ran past the limit of 0 s";
    EXPECT_EQ(std::count(notes.begin(), notes.end(), stopped), refused ? 1 : 0);
    ZV_TOPOL_track_r_f(&tracking);
    ZV_boolean_r_f(&results);
    for (int body : {target, tools[0], tools[1]})
      if (ZV_ENTITY_is(body)) DieDesUtilsDeleteBody(body);
  }
}

// The offset and the trim are held to the same limit.
TEST_F(KernelGeometry, OffsetAndTrimPastTheTimeLimitChangeNothing) {
  struct Limit {
    ~Limit() { KTX::Kernel::SetGeometryLimit(-1); }
  } restore;
  struct Row {
    const char* what;
    bool offset;   // otherwise the trim at z 10, keeping what is above
    double limit;  // seconds; negative: the default
    int error;
    double volume;  // mm3 afterwards
  } rows[] = {
      {"offset at no time", true, 0, ZV_ERROR_geometry, 100.0 * 100 * 30},
      {"offset at the default", true, -1, 0, 90.0 * 90 * 20},
      {"trim at no time", false, 0, ZV_ERROR_geometry, 100.0 * 100 * 30},
      {"trim at the default", false, -1, 0, 100.0 * 100 * 20},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    KTX::Kernel::SetGeometryLimit(row.limit);
    int block = Block(0, 0, 100, 100, 0, 30);
    KTX::Host::ClearCalls();
    if (row.offset) {
      ZV_TOPOL_track_r_t tracking;
      ZV_TOPOL_local_r_t local;
      EXPECT_EQ(ZV_BODY_offset_2(block, -0.005, 2e-5, nullptr, &tracking, &local), row.error);
      ZV_TOPOL_track_r_f(&tracking);
      ZV_TOPOL_local_r_f(&local);
    } else {
      const double point[3] = {0, 0, 10}, up[3] = {0, 0, 1};
      EXPECT_EQ(DIEDES_UTILS__trim_body_to_plane(block, point, up), row.error);
    }
    EXPECT_TRUE(ZV_ENTITY_is(block));
    EXPECT_NEAR(Mm3(block), row.volume, 1e-3);
    bool noted = false;
    for (const KTX::Host::Call& c : KTX::Host::Calls())
      noted = noted || c.args == "body=" + std::to_string(block) + " stopped: the modeller ran past the limit of 0 s";
    EXPECT_EQ(noted, row.error != 0);
    DieDesUtilsDeleteBody(block);
  }
}

TEST_F(KernelGeometry, InwardOffsetThatLeavesNoVolumeLeavesNoBody) {
  struct Row {
    double offset;  // mm
    bool alive;
  } rows[] = {{-10, true}, {-14, true}, {-15, false}, {-40, false}, {5, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.offset);
    int block = Block(0, 0, 100, 100, 0, 30);
    ZV_TOPOL_track_r_t tracking;
    ZV_TOPOL_local_r_t local;
    const int status = ZV_BODY_offset_2(block, row.offset * 0.001, 2e-5, nullptr, &tracking, &local);
    EXPECT_EQ(status, 0) << row.offset;
    if (status != 0) continue;
    EXPECT_EQ(ZV_ENTITY_is(block), row.alive) << row.offset;
    EXPECT_EQ(local.status, row.alive ? ZV_local_result_ok_c : ZV_local_result_no_volume_c) << row.offset;
    if (row.alive) {
      const double side = 100 + 2 * row.offset, height = 30 + 2 * row.offset;
      EXPECT_NEAR(Mm3(block), side * side * height, row.offset > 0 ? 200.0 : 1e-3) << row.offset;
      DieDesUtilsDeleteBody(block);
    }
    ZV_TOPOL_track_r_f(&tracking);
    ZV_TOPOL_local_r_f(&local);
  }
}

TEST_F(KernelGeometry, AlignedBoxOfCurvesAndBodies) {
  // A frame turned 90 degrees about Z, placed at (10, 0, 0).
  const double origin[3] = {10, 0, 0};
  const double turned[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  KTX::tag_t csys = KTX::ES_create_csys(origin, turned);
  KTX::tag_t curve = Rectangle(-500, -400, 500, 400);
  int block = Block(-500, -400, 500, 400, 0, 40);
  double corner[3], extents[3];
  for (KTX::tag_t object : {curve, static_cast<KTX::tag_t>(block)}) {
    ASSERT_EQ(DIEDES_UTILS_ask_bounding_box_aligned(1, &object, csys, corner, extents), 0);
    // The corner of least frame coordinates: least y, then largest x.
    EXPECT_NEAR(corner[0], 500, 1e-6);
    EXPECT_NEAR(corner[1], -400, 1e-6);
    EXPECT_NEAR(corner[2], 0, 1e-6);
    EXPECT_NEAR(extents[0], 800, 1e-6);
    EXPECT_NEAR(extents[1], 1000, 1e-6);
    EXPECT_NEAR(extents[2], object == curve ? 0 : 40, 1e-6);
  }
  KTX::Host::SetAnswer("DIEDES_UTILS_ask_bounding_box_aligned", 3030173);
  EXPECT_EQ(DIEDES_UTILS_ask_bounding_box_aligned(1, &curve, csys, corner, extents), 3030173);
  KTX::Host::ClearAnswers();
  EXPECT_EQ(DIEDES_UTILS_ask_bounding_box_aligned(1, &curve, 0, corner, extents), KTX::Geometry::kNoEntity);
  DieDesUtilsDeleteBody(block);
}

TEST_F(KernelGeometry, StepFileReadsBackAsTheSameSolid) {
  int target = Block(-500, -400, 500, 400, 0, 40);
  int tool = Block(-300, -200, 300, 200, 0, 250);
  ASSERT_EQ(DIEDES_UTILS__unite_tool_to_target(target, tool, 0.02), 0);
  const std::string file = stamvik_test::ProcessScratch().Slashed() + "kernel_step.stp";
  ASSERT_EQ(KTX::Kernel::WriteStep({target}, file), 0);
  std::vector<int> read;
  ASSERT_EQ(KTX::Kernel::ReadStep(file, &read), 0);
  ASSERT_EQ(read.size(), 1u);
  EXPECT_NEAR(KTX::Kernel::Volume(read[0]) / KTX::Kernel::Volume(target), 1.0, 1e-9);
  std::remove(file.c_str());
  for (int body : {target, tool, read[0]}) DieDesUtilsDeleteBody(body);
  EXPECT_EQ(KTX::Kernel::WriteStep({}, file), ZV_ERROR_bad_value);
}

TEST_F(KernelGeometry, ToolStepsInARowAreAppliedInTheirOrder) {
  // The target: the cube 0..20; each tool a block (x0, x1) through all of
  // it in y and z, or a bigger one: 'u' unites, 's' subtracts.
  struct Step {
    char step;
    double x0, x1;
  };
  struct Row {
    const char* what;
    std::vector<Step> steps;
    double volume;  // mm3; 0: nothing left
  } rows[] = {
      {"three unites apart", {{'u', 40, 60}, {'u', 80, 100}, {'u', 120, 140}}, 4 * 8000.0},
      {"unites overlapping each other", {{'u', 10, 30}, {'u', 20, 40}}, 16000},
      {"two subtracts", {{'s', 5, 10}, {'s', 12, 14}}, 8000 - 2000 - 800},
      {"unite, then subtract what it brought", {{'u', 20, 40}, {'s', 30, 50}}, 12000},
      {"subtract, then unite what it took", {{'s', 5, 10}, {'u', 5, 10}}, 8000},
      {"subtract, unite, subtract", {{'s', 0, 10}, {'u', 0, 5}, {'s', 2, 3}}, 8000 - 4000 + 2000 - 400},
      {"subtract everything", {{'s', -10, 30}}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const int target = Block(0, 0, 20, 20, 0, 20);
    std::vector<int> tools;
    for (const Step& step : row.steps) {
      tools.push_back(Block(step.x0, -5, step.x1, 25, -5, 30));
      if (step.step == 'u') {
        // Uniting the whole tool would add its overhang: a tool within the cube's y and z.
        DieDesUtilsDeleteBody(tools.back());
        tools.back() = Block(step.x0, 0, step.x1, 20, 0, 20);
        EXPECT_EQ(DIEDES_UTILS__unite_tool_to_target(target, tools.back(), 0.02), 0);
      } else {
        EXPECT_EQ(DIEDES_UTILS__subtract_tool_from_target(target, tools.back(), 0.02), 0);
      }
    }
    for (int tool : tools) EXPECT_TRUE(ZV_ENTITY_is(tool)) << "a tool step keeps its tool";
    EXPECT_EQ(ZV_ENTITY_is(target), row.volume > 0);
    if (row.volume > 0) {
      EXPECT_NEAR(Mm3(target), row.volume, 1e-3);
      DieDesUtilsDeleteBody(target);
    }
    for (int tool : tools) DieDesUtilsDeleteBody(tool);
  }
}

TEST_F(KernelGeometry, UndoTakesBackToolStepsAppliedOrNot) {
  const int target = Block(0, 0, 20, 20, 0, 20);
  const int tool = Block(20, 0, 40, 20, 0, 20);
  int error = 0;
  const int outer = UNDO_QD_set_mark(1, nullptr, &error);
  ASSERT_EQ(DIEDES_UTILS__unite_tool_to_target(target, tool, 0.02), 0);
  // Marked before anything looked at the target: the unite is not yet applied.
  const int inner = UNDO_QD_set_mark(1, nullptr, &error);
  EXPECT_NEAR(Mm3(target), 16000, 1e-3);
  UNDO_QD_undo_to_mark(inner, nullptr);
  EXPECT_NEAR(Mm3(target), 16000, 1e-3) << "the unite came before the inner mark";
  UNDO_QD_undo_to_mark(outer, nullptr);
  EXPECT_NEAR(Mm3(target), 8000, 1e-3);
  UNDO_QD_delete_mark(outer, nullptr);
  for (int body : {target, tool}) DieDesUtilsDeleteBody(body);
}

TEST_F(KernelGeometry, LoopGeometryChainsItsCurvesInOrder) {
  // Four lines of a square, the first and third given backwards, and the
  // loop closed: one polyline round the square, ending where it starts.
  const double a[] = {10, 0, 0, 0, 0, 0}, b[] = {10, 0, 0, 10, 10, 0}, c[] = {0, 10, 0, 10, 10, 0},
               d[] = {0, 10, 0, 0, 0, 0};
  KTX::tag_t lines[4] = {KTX::ES_create_polyline(2, a), KTX::ES_create_polyline(2, b), KTX::ES_create_polyline(2, c),
                         KTX::ES_create_polyline(2, d)};
  KTX::SC_section* section = KTX::SC_sectionFactory::object(0, 0.01, 0.01, 0.5);
  section->add_loop(KTX::SC_section::kClosed, 4, lines);
  auto* loop = dynamic_cast<KTX::SC_loop*>(KTX::OM::OM_object_of_tag(section->ask_nth_loop(0)));
  ASSERT_NE(loop, nullptr);
  KTX::EVC_curve* geometry = loop->ask_curve_geometry(true, 0.02);
  ASSERT_NE(geometry, nullptr);
  EXPECT_EQ(geometry->points, (std::vector<double>{0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0, 0, 0, 0}));
  KTX::tag_t curve = KTX::DIE_ADD_ask_tag_from_curve_geom(geometry, 0.02);
  KTX::EVC_free(geometry);
  int type = 0;
  EXPECT_EQ(KTX::RM_ask_entity_type(curve, &type), 0);
  EXPECT_EQ(type, 45);
  // A line's frame runs along it, as a direction taken from it does.
  double o[3], m[9];
  dynamic_cast<KTX::GEOM_entity*>(KTX::OM::OM_object_of_tag(lines[1]))->ask_frame(o, m);
  EXPECT_EQ((std::vector<double>(m + 6, m + 9)), (std::vector<double>{0, 1, 0}));
}

TEST_F(KernelGeometry, LoopGeometryJoinsEndsUpToTheToleranceAndKeepsThoseFurther) {
  // The tolerance 0.5 and gaps that are exact in binary.
  struct Row {
    const char* what;
    int kind;
    std::vector<std::vector<double>> lines;
    std::vector<double> points;
  };
  const int open = KTX::SC_section::kOpen, closed = KTX::SC_section::kClosed;
  const Row rows[] = {
      {"open, the second line starts the tolerance away", open, {{0, 0, 0, 10, 0, 0}, {10.5, 0, 0, 10.5, 10, 0}},
       {0, 0, 0, 10, 0, 0, 10.5, 10, 0}},
      {"open, the second line starts past it", open, {{0, 0, 0, 10, 0, 0}, {10.75, 0, 0, 10.75, 10, 0}},
       {0, 0, 0, 10, 0, 0, 10.75, 0, 0, 10.75, 10, 0}},
      {"closed, ending the tolerance from the start", closed,
       {{0, 0, 0, 10, 0, 0}, {10, 0, 0, 10, 10, 0}, {10, 10, 0, 0, 0.5, 0}},
       {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 0, 0}},
      {"closed, ending further from it", closed, {{0, 0, 0, 10, 0, 0}, {10, 0, 0, 10, 10, 0}, {10, 10, 0, 0, 0.75, 0}},
       {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 0.75, 0, 0, 0, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<KTX::tag_t> lines;
    for (const std::vector<double>& line : row.lines) lines.push_back(KTX::ES_create_polyline(2, line.data()));
    KTX::SC_section* section = KTX::SC_sectionFactory::object(0, 0.01, 0.01, 0.5);
    section->add_loop(row.kind, static_cast<int>(lines.size()), lines.data());
    auto* loop = dynamic_cast<KTX::SC_loop*>(KTX::OM::OM_object_of_tag(section->ask_nth_loop(0)));
    if (loop == nullptr) {
      ADD_FAILURE() << "no loop";
      continue;
    }
    KTX::EVC_curve* geometry = loop->ask_curve_geometry(true, 0.5);
    if (geometry == nullptr) {
      ADD_FAILURE() << "no geometry";
      continue;
    }
    EXPECT_EQ(geometry->points, row.points);
    KTX::EVC_free(geometry);
  }
}

TEST_F(KernelGeometry, AbortFlagTurnsOnAtTheGivenQuery) {
  for (int from : {0, 1, 3}) {
    KTX::Abort::SetOnFromQuery(from);
    std::string seen;
    for (int i = 0; i < 4; ++i) seen += KTX::ABORT_ask_flag_status() ? '1' : '0';
    EXPECT_EQ(seen, from == 0 ? "0000" : from == 1 ? "1111" : "0011") << from;
  }
}

// Z alone, made unit, completed to a right-handed frame: X is the world X
// (the world Y for a Z near X) with its part along Z taken away, Y = Z x X.
// Along X: X = (0, 1, 0), Y = (1, 0, 0) x (0, 1, 0) = (0, 0, 1). No Z: the
// identity.
TEST_F(KernelGeometry, FrameFromZ) {
  struct Row {
    const char* what;
    double z[3];
    double expected[9];
  };
  const Row rows[] = {
      {"up, of length 2", {0, 0, 2}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
      {"along X", {3, 0, 0}, {0, 1, 0, 0, 0, 1, 1, 0, 0}},
      {"none", {0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    double m[9];
    KTX::MTX3_init_z(row.z, m);
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], row.expected[i], 1e-12) << i;
  }
}

TEST_F(KernelGeometry, FrameFromYAndZ) {
  // Y along X, Z tilted 5 degrees: Y loses its part along Z, X = Y x Z.
  const double s = std::sin(5 * M_PI / 180), c = std::cos(5 * M_PI / 180);
  const double y[3] = {1, 0, 0}, z[3] = {s, 0, c};
  double m[9];
  KTX::MTX3_init_y_z(y, z, m);
  const double expected[9] = {0, -1, 0, c, 0, -s, s, 0, c};
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(m[i], expected[i], 1e-12) << i;
}

}  // namespace
