// Whether a closed loop a builder is given bounds an area at all. A loop of
// points that coincide, or that all lie on one line, encloses nothing: the
// sheet, pocket or boundary a build makes of it has no face, however the
// loop is seen. Told from the loop's own points, so that it holds whatever
// plane the build later puts the loop in. Not exported.
#pragma once
#include <cmath>
#include <memory>
#include <vector>

#include "Support.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "om/ObjectManager.hpp"
#include "sel/Selection.hpp"

namespace KTX::Stamvik {

// Whether the points (x, y, z triples) bound no area: fewer than three of
// them apart by more than the tolerance, or every one within the tolerance
// of the line from the first to the point farthest from it.
inline bool PointsBoundNoArea(const std::vector<double>& p, double tolerance) {
  const std::size_t n = p.size() / 3;
  if (n < 3) return true;
  auto at = [&p](std::size_t i, int k) { return p[3 * i + static_cast<std::size_t>(k)]; };
  std::size_t far = 0;
  double reach = 0;
  for (std::size_t i = 1; i < n; ++i) {
    const double d = std::hypot(at(i, 0) - at(0, 0), at(i, 1) - at(0, 1), at(i, 2) - at(0, 2));
    if (d > reach) reach = d, far = i;
  }
  if (!(reach > tolerance)) return true;
  const double u[3] = {(at(far, 0) - at(0, 0)) / reach, (at(far, 1) - at(0, 1)) / reach,
                       (at(far, 2) - at(0, 2)) / reach};
  for (std::size_t i = 1; i < n; ++i) {
    const double d[3] = {at(i, 0) - at(0, 0), at(i, 1) - at(0, 1), at(i, 2) - at(0, 2)};
    // The distance from the line: the cross product with its unit direction.
    const double c[3] = {d[1] * u[2] - d[2] * u[1], d[2] * u[0] - d[0] * u[2], d[0] * u[1] - d[1] * u[0]};
    if (std::hypot(c[0], c[1], c[2]) > tolerance) return false;
  }
  return true;
}

// Whether one of the section's closed loops bounds no area (a section of
// selection rules, or of open loops alone, has none to judge).
inline bool ClosedLoopWithoutArea(const SC_section* section, double tolerance) {
  if (section == nullptr) return false;
  int first = 0, second = 0, third = 0;
  HostBlock<tag_t> loops;
  section->ask_loop_summary(&first, nullptr, &second, nullptr, &third, loops.out());
  for (int i = 0; i < third; ++i) {
    const auto* loop = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(loops[i]));
    if (loop == nullptr) continue;
    const std::unique_ptr<EVC_curve, void (*)(EVC_curve*)> geometry(loop->ask_curve_geometry(true, tolerance),
                                                                    &EVC_free);
    if (geometry == nullptr || PointsBoundNoArea(geometry->points, tolerance)) return true;
  }
  return false;
}

}  // namespace KTX::Stamvik
