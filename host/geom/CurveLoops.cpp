#include "geom/CurveLoops.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX {

namespace {

struct Ends {
  tag_t curve;
  double a[3], b[3];
};

bool meet(const double* p, const double* q, double tolerance) {
  return std::sqrt((p[0] - q[0]) * (p[0] - q[0]) + (p[1] - q[1]) * (p[1] - q[1]) + (p[2] - q[2]) * (p[2] - q[2])) <=
         tolerance;
}

// The ends of every curve of the set; false when a tag is no curve.
bool endsOf(const OM_tag_set* set, std::vector<Ends>* out) {
  for (const tag_t t : set != nullptr ? set->tags : std::vector<tag_t>{}) {
    const auto* curve = dynamic_cast<const ES_curve*>(OM::OM_object_of_tag(t));
    if (curve == nullptr || curve->ask_point_count() < 2) return false;
    const std::vector<double> points = curve->ask_points();
    Ends e{t, {points[0], points[1], points[2]}, {}};
    std::copy(points.end() - 3, points.end(), e.b);
    out->push_back(e);
  }
  return true;
}

// The curves' end points in cubic cells as wide as the tolerance, so that the
// ends that may meet a point are those of its cell and the 26 around it: a
// loop of n curves is sorted in time proportional to n, not n^2.
class EndIndex {
 public:
  EndIndex(const std::vector<Ends>& ends, double tolerance)
      : ends_(ends), tolerance_(tolerance), cell_(tolerance > 0 ? tolerance : 1.0) {
    for (std::size_t i = 0; i < ends.size(); ++i) {
      cells_[key(ends[i].a)].push_back(i);
      if (key(ends[i].b) != key(ends[i].a)) cells_[key(ends[i].b)].push_back(i);
    }
  }
  // Calls f(i) for each curve with an end within the tolerance of the point
  // (each curve once per call; stops when f returns true).
  template <class F>
  bool forEachMeeting(const double* point, F&& f) const {
    const long x = coordinate(point[0]), y = coordinate(point[1]), z = coordinate(point[2]);
    for (long dx = -1; dx <= 1; ++dx)
      for (long dy = -1; dy <= 1; ++dy)
        for (long dz = -1; dz <= 1; ++dz) {
          auto it = cells_.find(pack(x + dx, y + dy, z + dz));
          if (it == cells_.end()) continue;
          for (std::size_t i : it->second) {
            // A curve with both ends in the cell is listed there once.
            if (!meet(point, ends_[i].a, tolerance_) && !meet(point, ends_[i].b, tolerance_)) continue;
            if (f(i)) return true;
          }
        }
    return false;
  }

 private:
  // A coordinate farther out than any cell number (or none, NaN) takes the
  // edge cell: cells only narrow the search, `meet` decides.
  long coordinate(double v) const {
    constexpr double kEdge = 4503599627370496.0;  // 2^52
    const double cell = std::floor(v / cell_);
    if (!(cell > -kEdge)) return -static_cast<long>(kEdge);
    return static_cast<long>(std::min(cell, kEdge));
  }
  static std::uint64_t pack(long x, long y, long z) {
    const auto part = [](long v) { return static_cast<std::uint64_t>(v) & 0x1FFFFFu; };
    return part(x) << 42 | part(y) << 21 | part(z);
  }
  std::uint64_t key(const double* p) const { return pack(coordinate(p[0]), coordinate(p[1]), coordinate(p[2])); }

  const std::vector<Ends>& ends_;
  double tolerance_;
  double cell_;
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> cells_;
};

}  // namespace

OM_tag_set* OM_create_tag_set() {
  auto* set = new OM_tag_set;
  if (set == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a tag set");
  return set;
}

void OM_insert_into_tag_set(OM_tag_set* set, tag_t tag) {
  if (set == nullptr || tag == 0) return;
  if (!set->members.insert(tag).second) return;
  set->tags.push_back(tag);
}

int OM_ask_tag_set_count(const OM_tag_set* set) { return set == nullptr ? 0 : static_cast<int>(set->tags.size()); }

void OM_delete_tag_set(OM_tag_set* set) { delete set; }

void OM_flatten_tag_set(const OM_tag_set* set, int* count, tag_t** tags) {
  *count = 0;
  *tags = nullptr;
  if (set == nullptr || set->tags.empty()) return;
  *tags = static_cast<tag_t*>(SM_alloc(set->tags.size() * sizeof(tag_t)));
  if (*tags == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu tags", set->tags.size());
  std::copy(set->tags.begin(), set->tags.end(), *tags);
  *count = static_cast<int>(set->tags.size());
}

int MW_sort_segments(const OM_tag_set* set, double tolerance, int* loopCount, MW_loop_s** loops, int* closedCount,
                     int* openCount) {
  Host::Log("MW_sort_segments", std::to_string(OM_ask_tag_set_count(set)) + " tolerance=" + std::to_string(tolerance));
  *loopCount = *closedCount = *openCount = 0;
  *loops = nullptr;
  std::vector<Ends> ends;
  if (!endsOf(set, &ends)) return Geometry::kNoEntity;
  const EndIndex index(ends, tolerance);
  // Each chain grows at both its ends from the first unused curve, taking
  // the first unused curve (in set order) that meets its tail, else its head.
  std::vector<bool> used(ends.size(), false);
  std::vector<std::vector<tag_t>> chains;
  std::vector<bool> closed;
  for (std::size_t first = 0; first < ends.size(); ++first) {
    if (used[first]) continue;
    used[first] = true;
    std::vector<tag_t> tail = {ends[first].curve}, head;
    double headPoint[3], tailPoint[3];
    std::copy(ends[first].a, ends[first].a + 3, headPoint);
    std::copy(ends[first].b, ends[first].b + 3, tailPoint);
    auto grow = [&](double* point, std::vector<tag_t>& chain) {
      std::size_t found = ends.size();
      index.forEachMeeting(point, [&](std::size_t i) {
        if (!used[i] && i < found) found = i;
        return false;
      });
      if (found == ends.size()) return false;
      const Ends& e = ends[found];
      const double* next = meet(point, e.a, tolerance) ? e.b : e.a;
      std::copy(next, next + 3, point);
      chain.push_back(e.curve);
      used[found] = true;
      return true;
    };
    while (!meet(headPoint, tailPoint, tolerance) && (grow(tailPoint, tail) || grow(headPoint, head))) {
    }
    std::vector<tag_t> chain(head.rbegin(), head.rend());
    chain.insert(chain.end(), tail.begin(), tail.end());
    closed.push_back(meet(headPoint, tailPoint, tolerance));
    chains.push_back(std::move(chain));
  }
  if (chains.empty()) return 0;
  auto* out = static_cast<MW_loop_s*>(SM_calloc(chains.size(), sizeof(MW_loop_s)));
  for (std::size_t i = 0; i < chains.size(); ++i) {
    out[i].count = static_cast<int>(chains[i].size());
    out[i].curves = static_cast<tag_t*>(SM_alloc(chains[i].size() * sizeof(tag_t)));
    std::copy(chains[i].begin(), chains[i].end(), out[i].curves);
    out[i].closed = closed[i] ? 1 : 0;
    ++*(closed[i] ? closedCount : openCount);
  }
  *loopCount = static_cast<int>(chains.size());
  *loops = out;
  return 0;
}

void MW_free_loops(int count, MW_loop_s* loops) {
  for (int i = 0; loops != nullptr && i < count; ++i) SM_free(loops[i].curves);
  SM_free(loops);
}

bool UM_is_loop_closed(const OM_tag_set* set, double tolerance, OM_tag_set* openCurves, OM_tag_set* metCurves) {
  Host::Log("UM_is_loop_closed", std::to_string(OM_ask_tag_set_count(set)) + " tolerance=" + std::to_string(tolerance));
  std::vector<Ends> ends;
  if (!endsOf(set, &ends) || ends.empty()) return false;
  const EndIndex index(ends, tolerance);
  bool closed = true;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    bool bothMet = true;
    for (const double* end : {ends[i].a, ends[i].b}) {
      bool met = ends.size() == 1 && meet(ends[i].a, ends[i].b, tolerance);
      if (!met) met = index.forEachMeeting(end, [&](std::size_t j) { return j != i; });
      bothMet = bothMet && met;
    }
    closed = closed && bothMet;
    OM_insert_into_tag_set(bothMet ? metCurves : openCurves, ends[i].curve);
  }
  int count = 0, closedLoops = 0, openLoops = 0;
  MW_loop_s* loops = nullptr;
  // Every end met is not yet one loop: two separate closed loops are not.
  if (closed && MW_sort_segments(set, tolerance, &count, &loops, &closedLoops, &openLoops) == 0)
    closed = count == 1 && closedLoops == 1;
  MW_free_loops(count, loops);
  return closed;
}

}  // namespace KTX
