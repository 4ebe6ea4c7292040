// Outlines in a plane: the edges of curves seen along a direction, and
// whether one outline lies within another. The die shoe's decks and cutouts
// stand on its flange, and a draw die's punch profile lies within its blank,
// only when their outlines do. A closed loop's corners in order (a ring)
// also tell whether the loop bounds an area at all, whether it crosses or
// touches itself, and whether two loops overlap; an outline, how deep its
// inside reaches (what an inward offset of it leaves). Not exported.
#pragma once
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <queue>
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

// How deep the inside of an outline reaches below a depth.
enum class Depth {
  kNothingDeeper,  // no point inside lies farther than the depth from every edge
  kSomeDeeper,     // one does
  kUnknown,        // not told apart within the finest square or the squares allowed
};

// Whether some point inside the outline lies farther than `depth` from
// every edge: what its inward offset by `depth` leaves. Squares covering the
// outline are halved, the most promising first, while a point of one may lie
// deeper (a point's distance from the edges changes no faster than the point
// moves), but none below `finest` across its half and no more than `most`.
inline Depth ReachesDeeperThan(const Outline& o, double depth, double finest, std::size_t most) {
  double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL;
  for (const Edge& e : o.edges) {
    x0 = std::min({x0, e.x0, e.x1}), x1 = std::max({x1, e.x0, e.x1});
    y0 = std::min({y0, e.y0, e.y1}), y1 = std::max({y1, e.y0, e.y1});
  }
  const double side = std::min(x1 - x0, y1 - y0);
  if (!std::isfinite(side) || !std::isfinite(x1 - x0) || !std::isfinite(y1 - y0) || !(finest > 0))
    return Depth::kUnknown;
  if (!(side > 0)) return Depth::kNothingDeeper;  // a flat outline has no inside
  if (std::max(x1 - x0, y1 - y0) / side > static_cast<double>(most)) return Depth::kUnknown;
  struct Square {
    double x, y, half, in, reach;  // the middle, half the side, its depth, the most any point of it may have
    bool operator<(const Square& other) const { return reach < other.reach; }
  };
  auto square = [&o](double x, double y, double half) {
    const double d = DistanceToEdges(o, x, y);
    const double in = Encloses(o, x, y) ? d : -d;
    return Square{x, y, half, in, in + half * std::sqrt(2.0)};
  };
  std::priority_queue<Square> open;
  for (double x = x0; x < x1; x += side)
    for (double y = y0; y < y1; y += side) open.push(square(x + side / 2, y + side / 2, side / 2));
  bool unsure = false;
  std::size_t halved = 0;
  while (!open.empty()) {
    const Square s = open.top();
    open.pop();
    if (s.in > depth) return Depth::kSomeDeeper;
    if (s.reach <= depth) break;  // nor any other, the most promising first
    if (s.half <= finest) {
      unsure = true;
      continue;
    }
    if (++halved > most) return Depth::kUnknown;
    const double h = s.half / 2;
    for (const double dx : {-h, h})
      for (const double dy : {-h, h}) open.push(square(s.x + dx, s.y + dy, h));
  }
  return unsure ? Depth::kUnknown : Depth::kNothingDeeper;
}

struct Point {
  double x, y;
};

// A box: its least and greatest X and Y.
struct Box {
  double x0, x1, y0, y1;
};

// A closed loop's corners in order, the last joined back to the first.
using Ring = std::vector<Point>;

// The corners of the closed polyline through `points` (x, y, z triples)
// seen along the plane's normal. A corner within the tolerance of the one
// before it is kept once, as the loop's own chain keeps its points: a step
// of the loop along the normal is no edge of what it outlines.
inline Ring RingOf(const std::vector<double>& points, const double origin[3], const double xAxis[3],
                   const double yAxis[3], double tolerance) {
  Ring ring;
  for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
    const double d[3] = {points[i] - origin[0], points[i + 1] - origin[1], points[i + 2] - origin[2]};
    const Point p = {d[0] * xAxis[0] + d[1] * xAxis[1] + d[2] * xAxis[2],
                     d[0] * yAxis[0] + d[1] * yAxis[1] + d[2] * yAxis[2]};
    if (ring.empty() || std::hypot(p.x - ring.back().x, p.y - ring.back().y) > tolerance) ring.push_back(p);
  }
  while (ring.size() > 1 && std::hypot(ring.front().x - ring.back().x, ring.front().y - ring.back().y) <= tolerance)
    ring.pop_back();
  return ring;
}

inline Outline OutlineOf(const Ring& ring) {
  Outline outline;
  for (std::size_t i = 0; ring.size() > 1 && i < ring.size(); ++i) {
    const Point& a = ring[i];
    const Point& b = ring[(i + 1) % ring.size()];
    outline.edges.push_back({a.x, a.y, b.x, b.y});
  }
  return outline;
}

// Positive when the ring runs counter-clockwise.
inline double SignedArea(const Ring& ring) {
  double twice = 0;
  for (std::size_t i = 0; i < ring.size(); ++i) {
    const Point& a = ring[i];
    const Point& b = ring[(i + 1) % ring.size()];
    twice += a.x * b.y - b.x * a.y;
  }
  return twice / 2;
}

namespace Detail {

inline double Gap(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

// The point of the segment from a to b nearest to p: an end itself where
// that is the nearest, so that the gap between two corners is measured
// exactly.
inline Point Nearest(Point a, Point b, Point p) {
  const double ex = b.x - a.x, ey = b.y - a.y;
  const double length = ex * ex + ey * ey;
  const double t = length > 0 ? ((p.x - a.x) * ex + (p.y - a.y) * ey) / length : 0.0;
  if (t <= 0) return a;
  if (t >= 1) return b;
  return {a.x + t * ex, a.y + t * ey};
}

// The least distance between two segments: 0 when they cross.
inline double SegmentGap(Point a0, Point a1, Point b0, Point b1) {
  auto turn = [](Point o, Point p, Point q) { return (p.x - o.x) * (q.y - o.y) - (p.y - o.y) * (q.x - o.x); };
  auto opposite = [](double s, double t) { return (s > 0 && t < 0) || (s < 0 && t > 0); };
  if (opposite(turn(a0, a1, b0), turn(a0, a1, b1)) && opposite(turn(b0, b1, a0), turn(b0, b1, a1))) return 0.0;
  return std::min({Gap(b0, Nearest(a0, a1, b0)), Gap(b1, Nearest(a0, a1, b1)), Gap(a0, Nearest(b0, b1, a0)),
                   Gap(a1, Nearest(b0, b1, a1))});
}

}  // namespace Detail

// Whether the ring bounds no area: fewer than three corners, or every corner
// within the tolerance of one line (the line from the first corner to the
// corner farthest from it).
inline bool HasNoArea(const Ring& ring, double tolerance) {
  if (ring.size() < 3) return true;
  const Point o = ring.front();
  Point far = o;
  double reach = 0;
  for (const Point& p : ring)
    if (const double d = Detail::Gap(o, p); d > reach) reach = d, far = p;
  if (reach <= tolerance) return true;
  for (const Point& p : ring)
    if (std::abs((far.x - o.x) * (p.y - o.y) - (far.y - o.y) * (p.x - o.x)) / reach > tolerance) return false;
  return true;
}

// Whether the ring crosses or touches itself: two edges that are not
// neighbours come within the tolerance of each other. They cross, or the
// loop revisits a corner, passes by one of its edges, or turns back along
// itself (then the edge after the turn starts on the edge before it).
// Neighbours, each longer than the tolerance, meet only at their corner,
// however sharp. The edges are swept along X, so that only edges whose
// spans meet are compared: for an outline of thousands of points the work
// stays near n log n.
inline bool TouchesItself(const Ring& ring, double tolerance) {
  const std::size_t n = ring.size();
  if (n < 3) return false;
  std::vector<Box> spans(n);
  std::vector<std::size_t> order(n);
  for (std::size_t i = 0; i < n; ++i) {
    const Point& a = ring[i];
    const Point& b = ring[(i + 1) % n];
    spans[i] = {std::min(a.x, b.x) - tolerance, std::max(a.x, b.x) + tolerance, std::min(a.y, b.y) - tolerance,
                std::max(a.y, b.y) + tolerance};
    order[i] = i;
  }
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return spans[a].x0 < spans[b].x0; });
  auto touch = [&](std::size_t i, std::size_t j) {
    if (j == (i + 1) % n || i == (j + 1) % n) return false;
    return Detail::SegmentGap(ring[i], ring[(i + 1) % n], ring[j], ring[(j + 1) % n]) <= tolerance;
  };
  std::vector<std::size_t> open;
  for (std::size_t i : order) {
    const Box& s = spans[i];
    std::erase_if(open, [&](std::size_t j) { return spans[j].x1 < s.x0; });
    for (std::size_t j : open)
      if (spans[j].y0 <= s.y1 && s.y0 <= spans[j].y1 && touch(i, j)) return true;
    open.push_back(i);
  }
  return false;
}

// The least distance between the edges of two rings (0 where they cross or
// touch; HUGE_VAL when either has no edge): for a ring within another, the
// narrowest width of the band between them. A pair of edges whose boxes lie
// farther apart than the least found so far is not measured.
inline double LeastGap(const Ring& a, const Ring& b) {
  double least = HUGE_VAL;
  const std::size_t n = a.size(), m = b.size();
  if (n < 2 || m < 2) return least;
  // How far apart two spans along one axis lie: 0 where they meet.
  auto apart = [](double p0, double p1, double q0, double q1) {
    return std::max({0.0, std::min(q0, q1) - std::max(p0, p1), std::min(p0, p1) - std::max(q0, q1)});
  };
  for (std::size_t i = 0; i < n; ++i) {
    const Point& a0 = a[i];
    const Point& a1 = a[(i + 1) % n];
    for (std::size_t j = 0; j < m; ++j) {
      const Point& b0 = b[j];
      const Point& b1 = b[(j + 1) % m];
      if (std::hypot(apart(a0.x, a1.x, b0.x, b1.x), apart(a0.y, a1.y, b0.y, b1.y)) >= least) continue;
      least = std::min(least, Detail::SegmentGap(a0, a1, b0, b1));
    }
  }
  return least;
}

// Whether the areas of two rings (each bounding an area and touching itself
// nowhere) overlap by more than the tolerance: their edges cross, a corner
// or the middle of an edge of one lies inside the other farther than the
// tolerance from its edges, or a point just inside one (twice the tolerance
// in from the middle of an edge) lies inside both farther than that, as
// where the two share an edge from the same side. Rings that only touch, on
// an edge or at a corner and within the tolerance, do not overlap.
inline bool Overlap(const Ring& a, const Ring& b, double tolerance) {
  auto box = [](const Ring& r) {
    Box s = {HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
    for (const Point& p : r) s = {std::min(s.x0, p.x), std::max(s.x1, p.x), std::min(s.y0, p.y), std::max(s.y1, p.y)};
    return s;
  };
  const Box ba = box(a), bb = box(b);
  if (ba.x1 + tolerance < bb.x0 || bb.x1 + tolerance < ba.x0 || ba.y1 + tolerance < bb.y0 ||
      bb.y1 + tolerance < ba.y0)
    return false;
  const Outline oa = OutlineOf(a), ob = OutlineOf(b);
  for (const Edge& ea : oa.edges)
    for (const Edge& eb : ob.edges)
      if (Cross(ea, eb, tolerance)) return true;
  auto deepIn = [tolerance](const Outline& o, Point p) {
    return Encloses(o, p.x, p.y) && DistanceToEdges(o, p.x, p.y) > tolerance;
  };
  auto reaches = [&](const Ring& ring, const Outline& own, const Outline& other) {
    // The inside lies left of a counter-clockwise ring's edges.
    const double side = SignedArea(ring) > 0 ? 1.0 : -1.0;
    for (std::size_t i = 0; i < ring.size(); ++i) {
      const Point& p = ring[i];
      const Point& q = ring[(i + 1) % ring.size()];
      const Point middle = {(p.x + q.x) / 2, (p.y + q.y) / 2};
      if (deepIn(other, p) || deepIn(other, middle)) return true;
      const double in = 2 * tolerance * side / Detail::Gap(p, q);
      const Point inside = {middle.x - (q.y - p.y) * in, middle.y + (q.x - p.x) * in};
      if (deepIn(own, inside) && deepIn(other, inside)) return true;
    }
    return false;
  };
  return reaches(a, oa, ob) || reaches(b, ob, oa);
}

// The edges chained end to end (either way round, ends within the
// tolerance) into one closed loop's corners; false when they make no single
// closed loop.
inline bool ChainedRing(const Outline& o, double tolerance, Ring* ring) {
  ring->clear();
  const std::size_t n = o.edges.size();
  if (n < 3) return false;
  std::vector<bool> used(n, false);
  used[0] = true;
  ring->push_back({o.edges[0].x0, o.edges[0].y0});
  Point end = {o.edges[0].x1, o.edges[0].y1};
  for (std::size_t count = 1; count < n; ++count) {
    bool found = false;
    for (std::size_t i = 0; i < n && !found; ++i) {
      if (used[i]) continue;
      const Edge& e = o.edges[i];
      const Point a = {e.x0, e.y0}, b = {e.x1, e.y1};
      if (Detail::Gap(a, end) <= tolerance || Detail::Gap(b, end) <= tolerance) {
        const bool forward = Detail::Gap(a, end) <= tolerance;
        used[i] = found = true;
        if (Detail::Gap(end, ring->back()) > tolerance) ring->push_back(end);
        end = forward ? b : a;
      }
    }
    if (!found) return false;
  }
  if (Detail::Gap(end, ring->front()) > tolerance) return false;
  if (Detail::Gap(end, ring->back()) > tolerance) ring->push_back(end);
  while (ring->size() > 1 && Detail::Gap(ring->front(), ring->back()) <= tolerance) ring->pop_back();
  return ring->size() >= 3;
}

// The ring's sides moved inwards by `depth` (outwards when negative), each
// corner where its two sides' lines meet (sharp corners), as the modeller
// offsets a loop; false when the ring bounds no area or turns back on
// itself. Sides that vanish on the way are not looked for.
inline bool OffsetCorners(const Ring& ring, double depth, Ring* out) {
  const std::size_t n = ring.size();
  out->clear();
  const double area = SignedArea(ring);
  if (n < 3 || area == 0) return false;
  // Inwards is left of a counter-clockwise ring's sides.
  const double left = area > 0 ? depth : -depth;
  for (std::size_t j = 0; j < n; ++j) {
    const Point& a = ring[(j + n - 1) % n];
    const Point& p = ring[j];
    const Point& b = ring[(j + 1) % n];
    const double l0 = Detail::Gap(a, p), l1 = Detail::Gap(p, b);
    if (!(l0 > 0) || !(l1 > 0)) return false;
    const double t0x = (p.x - a.x) / l0, t0y = (p.y - a.y) / l0, t1x = (b.x - p.x) / l1, t1y = (b.y - p.y) / l1;
    const Point q0 = {p.x - t0y * left, p.y + t0x * left}, q1 = {p.x - t1y * left, p.y + t1x * left};
    const double turn = t0x * t1y - t0y * t1x;
    if (std::abs(turn) <= 1e-12) {
      if (t0x * t1x + t0y * t1y < 0) return false;  // the ring turns back on itself
      out->push_back(q1);
      continue;
    }
    const double s = ((q1.x - q0.x) * t1y - (q1.y - q0.y) * t1x) / turn;
    out->push_back({q0.x + s * t0x, q0.y + s * t0y});
  }
  return true;
}

// The sharp offset inwards by `depth` as the modeller makes it while no side
// vanishes; false when one would turn round (the loop changes its make-up)
// or the ring bounds no area.
inline bool SharpInwardOffset(const Ring& ring, double depth, Ring* out) {
  if (!OffsetCorners(ring, depth, out)) return false;
  const std::size_t n = ring.size();
  for (std::size_t i = 0; i < n; ++i) {
    const Point& c0 = (*out)[i];
    const Point& c1 = (*out)[(i + 1) % n];
    const Point& p0 = ring[i];
    const Point& p1 = ring[(i + 1) % n];
    if ((c1.x - c0.x) * (p1.x - p0.x) + (c1.y - c0.y) * (p1.y - p0.y) <= 0) return false;
  }
  return SignedArea(*out) * SignedArea(ring) > 0;
}

}  // namespace KTX::Stamvik::Outlines
