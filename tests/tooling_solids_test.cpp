// The tooling features' real solids: the modeller's offsets of planar loops,
// extrusions of regions with holes, chamfers round loops of edges and smooth
// approximations of point rows, in kernel units (metres), against values
// worked out by hand; then the draw punch and draw die examples, played and
// read back from their STEP files, against their volumes worked out by hand
// for the examples' dimensions and points inside and outside them; and
// punches and dies on profiles of many sides.
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"

namespace {

namespace Kernel = KTX::Kernel;
using Kernel::Containment;

constexpr double kMm = 0.001;  // a millimetre in kernel units

// A regular polygon of n corners round (cx, cy) at height z, radius r (mm),
// in kernel units.
std::vector<double> Polygon(int n, double r, double cx = 0, double cy = 0, double z = 0) {
  std::vector<double> p;
  for (int k = 0; k < n; ++k) {
    const double a = 2 * M_PI * k / n;
    p.insert(p.end(), {(cx + r * std::cos(a)) * kMm, (cy + r * std::sin(a)) * kMm, z * kMm});
  }
  return p;
}

std::vector<double> Rect(double x0, double y0, double x1, double y1, double z = 0) {
  return {x0 * kMm, y0 * kMm, z * kMm, x1 * kMm, y0 * kMm, z * kMm,
          x1 * kMm, y1 * kMm, z * kMm, x0 * kMm, y1 * kMm, z * kMm};
}

// Twice the area of a loop in the XY plane, in square millimetres (signed:
// counter-clockwise positive).
double Area(const std::vector<double>& loop) {
  double sum = 0;
  const std::size_t n = loop.size() / 3;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    sum += loop[3 * i] * loop[3 * j + 1] - loop[3 * j] * loop[3 * i + 1];
  }
  return sum / 2 / (kMm * kMm);
}

class ToolingSolids : public stamvik_test::HostTest {};

TEST_F(ToolingSolids, APlanarLoopIsOffsetOutwardForAPositiveDistanceWithSharpCornersAndKeepsItsWay) {
  struct Row {
    const char* name;
    std::vector<double> loop;
    double by;      // mm, outward
    double area;    // mm2, signed as the loop runs, by hand
    double firstX;  // mm: the corner the result begins at
  };
  const std::vector<double> square = Rect(0, 0, 10, 10);
  std::vector<double> clockwise = square;
  std::swap_ranges(clockwise.begin() + 3, clockwise.begin() + 6, clockwise.begin() + 9);
  const Row rows[] = {
      {"outward 2", square, 2, 14 * 14, -2},
      {"inward 2", square, -2, 6 * 6, 2},
      {"inward to a line", square, -4.999, 0.002 * 0.002, 4.999},
      {"clockwise outward 1", clockwise, 1, -12 * 12, -1},
      // 12 sides of radius 50: the inradius 50 cos 15 deg grows by 3, and the
      // area is 12 r_in^2 tan 15 deg.
      {"12 sides outward 3", Polygon(12, 50), 3,
       12 * std::pow(50 * std::cos(M_PI / 12) + 3, 2) * std::tan(M_PI / 12), 0},
      {"128 sides inward 8", Polygon(128, 80), -8,
       128 * std::pow(80 * std::cos(M_PI / 128) - 8, 2) * std::tan(M_PI / 128), 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<double> out;
    ASSERT_EQ(Kernel::OffsetLoop(row.loop, row.by * kMm, &out), 0);
    EXPECT_EQ(out.size(), row.loop.size());
    EXPECT_NEAR(Area(out) / row.area, 1.0, 1e-9);
    if (row.firstX != 0) {
      EXPECT_NEAR(out[0] / kMm, row.firstX, 1e-9);
    }
  }
  // A smooth curve's samples: sides of nearly one direction, none quite.
  std::vector<double> wavy = Polygon(128, 80, 100, 60);
  for (std::size_t i = 0; i < wavy.size(); i += 3) {
    const double k = 1.0 + 1e-4 * std::sin(7.0 * static_cast<double>(i));
    wavy[i] = (wavy[i] - 0.1) * k + 0.1;
    wavy[i + 1] = (wavy[i + 1] - 0.06) * k + 0.06;
  }
  std::vector<double> out;
  EXPECT_EQ(Kernel::OffsetLoop(wavy, -8 * kMm, &out), 0);
  EXPECT_EQ(out.size(), wavy.size());
  EXPECT_EQ(Kernel::OffsetLoop(square, -5.001 * kMm, &out), ZV_ERROR_geometry);
  EXPECT_EQ(Kernel::OffsetLoop({0, 0, 0, 1, 0, 0}, kMm, &out), ZV_ERROR_bad_value);
}

}  // namespace
