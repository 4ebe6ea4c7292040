// Model inputs that the suites and the benchmarks both build: a regular
// polygon of lines, a flat plane, a block swept up from a closed curve, and
// the sizes of the draw punch example.
#pragma once
#include <cmath>
#include <vector>

#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "afl/BodyUtils.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"

namespace stamvik_inputs {

using namespace KTX;

// The n sides of a regular polygon of radius r round (cx, cy) at height z,
// its first corner `phase` (radians) round from +x.
inline std::vector<tag_t> PolygonLines(int n, double r, double cx, double cy, double z, double phase = 0) {
  std::vector<tag_t> lines;
  for (int i = 0; i < n; ++i) {
    const double a = phase + 2 * M_PI * i / n, b = phase + 2 * M_PI * (i + 1) / n;
    const double p[3] = {cx + r * std::cos(a), cy + r * std::sin(a), z};
    const double q[3] = {cx + r * std::cos(b), cy + r * std::sin(b), z};
    lines.push_back(ES_create_line_in_part(nullptr, p, q));
  }
  return lines;
}

// The plane at height z, its normal +z.
inline tag_t PlaneAt(double z) {
  const double o[3] = {0, 0, z}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  return ES_create_plane(o, m);
}

// The kernel body of a block: the closed curve's sheet at height z0 (within
// the tolerance) swept up by height (mm).
inline int SweptBlock(tag_t curve, double z0, double height, double tolerance) {
  const double point[3] = {0, 0, z0}, up[3] = {0, 0, 1};
  int sheet = 0;
  DIEDES_UTILS__bplane_from_curves(1, &curve, point, up, tolerance, &sheet, nullptr, nullptr);
  const double path[3] = {0, 0, height * Kernel::ScaleFactors().factors[0]};
  ZV_TOPOL_track_r_t tracking;
  ZV_BODY_sweep(sheet, path, &tracking);
  ZV_TOPOL_track_r_f(&tracking);
  return sheet;
}

// The draw punch example's sizes: deck 40, belt 25, relief 8 at 60 degrees,
// a base 30 thick and 60 wide, an allowance of 1.5.
inline void SetExampleSizes(Tooling::DieDesDrawPunchBuilder* punch) {
  punch->SetDeckThickness(40);
  punch->SetBeltThickness(25);
  punch->SetReliefDistanse(8);
  punch->SetReliefAngle(60);
  punch->SetBaseThickness(30);
  punch->SetBaseWidth(60);
  punch->SetMachiningAllowance(1.5);
}

}  // namespace stamvik_inputs
