// Outlines in a plane: the edges of curves seen along a direction, and
// whether one outline lies within another. The die shoe's decks and cutouts
// stand on its flange, and a draw die's punch profile lies within its blank,
// only when their outlines do. Not exported.
#pragma once
#include <algorithm>
#include <cmath>
#include <vector>

namespace KTX::Stamvik::Outlines {

struct Edge {
  double x0, y0, x1, y1;
};

// Edges in any order and direction: what is inside is told by crossings,
// which need no order.
struct Outline {
  std::vector<Edge> edges;
};

// The polyline through `points` (x, y, z triples) seen along the plane's
// normal: each point's distance from `origin` along `xAxis` and `yAxis`.
// `close` adds the edge from the last point back to the first.
inline void AddPolyline(Outline* outline, const std::vector<double>& points, const double origin[3],
                        const double xAxis[3], const double yAxis[3], bool close) {
  std::vector<double> x, y;
  for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
    const double d[3] = {points[i] - origin[0], points[i + 1] - origin[1], points[i + 2] - origin[2]};
    x.push_back(d[0] * xAxis[0] + d[1] * xAxis[1] + d[2] * xAxis[2]);
    y.push_back(d[0] * yAxis[0] + d[1] * yAxis[1] + d[2] * yAxis[2]);
  }
  for (std::size_t i = 0; i + 1 < x.size(); ++i) outline->edges.push_back({x[i], y[i], x[i + 1], y[i + 1]});
  if (close && x.size() > 2 && (x.front() != x.back() || y.front() != y.back()))
    outline->edges.push_back({x.back(), y.back(), x.front(), y.front()});
}

inline double DistanceToEdges(const Outline& o, double x, double y) {
  double least = HUGE_VAL;
  for (const Edge& e : o.edges) {
    const double ex = e.x1 - e.x0, ey = e.y1 - e.y0;
    const double length = ex * ex + ey * ey;
    const double t = length > 0 ? std::clamp(((x - e.x0) * ex + (y - e.y0) * ey) / length, 0.0, 1.0) : 0.0;
    least = std::min(least, std::hypot(x - e.x0 - t * ex, y - e.y0 - t * ey));
  }
  return least;
}

// Inside by the parity of the crossings of a ray along +X.
inline bool Encloses(const Outline& o, double x, double y) {
  bool inside = false;
  for (const Edge& e : o.edges)
    if ((e.y0 > y) != (e.y1 > y) && x < e.x0 + (y - e.y0) * (e.x1 - e.x0) / (e.y1 - e.y0)) inside = !inside;
  return inside;
}

// Inside, or on an edge within the tolerance.
inline bool Covers(const Outline& o, double x, double y, double tolerance) {
  return Encloses(o, x, y) || DistanceToEdges(o, x, y) <= tolerance;
}

// Whether two edges cross through their insides, each end more than the
// tolerance off the other edge's line.
inline bool Cross(const Edge& a, const Edge& b, double tolerance) {
  auto side = [](const Edge& e, double x, double y) {
    const double length = std::hypot(e.x1 - e.x0, e.y1 - e.y0);
    return length > 0 ? ((e.x1 - e.x0) * (y - e.y0) - (e.y1 - e.y0) * (x - e.x0)) / length : 0.0;
  };
  auto apart = [tolerance](double s, double t) {
    return (s > tolerance && t < -tolerance) || (s < -tolerance && t > tolerance);
  };
  return apart(side(a, b.x0, b.y0), side(a, b.x1, b.y1)) && apart(side(b, a.x0, a.y0), side(b, a.x1, a.y1));
}

// Whether the inner outline lies within the outer one, allowed on its edges
// within the tolerance: every point of it covered, no edge crossing out, and
// no point of the outer (a notch reaching in) inside it.
inline bool LiesWithin(const Outline& inner, const Outline& outer, double tolerance) {
  for (const Edge& e : inner.edges)
    if (!Covers(outer, e.x0, e.y0, tolerance) || !Covers(outer, e.x1, e.y1, tolerance)) return false;
  for (const Edge& e : outer.edges)
    if (Encloses(inner, e.x0, e.y0) && DistanceToEdges(inner, e.x0, e.y0) > tolerance) return false;
  for (const Edge& a : inner.edges)
    for (const Edge& b : outer.edges)
      if (Cross(a, b, tolerance)) return false;
  return true;
}

}  // namespace KTX::Stamvik::Outlines
