#include "geom/CurveLoops.hpp"

#include <cmath>
#include <string>

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

}  // namespace

OM_tag_set* OM_create_tag_set() {
  auto* set = new OM_tag_set;
  if (set == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a tag set");
  return set;
}

void OM_insert_into_tag_set(OM_tag_set* set, tag_t tag) {
  if (set == nullptr || tag == 0) return;
  for (const tag_t t : set->tags)
    if (t == tag) return;
  set->tags.push_back(tag);
}

int OM_ask_tag_set_count(const OM_tag_set* set) { return set == nullptr ? 0 : static_cast<int>(set->tags.size()); }

void OM_delete_tag_set(OM_tag_set* set) { delete set; }

int MW_sort_segments(const OM_tag_set* set, double tolerance, int* loopCount, MW_loop_s** loops, int* closedCount,
                     int* openCount) {
  Host::Log("MW_sort_segments", std::to_string(OM_ask_tag_set_count(set)) + " tolerance=" + std::to_string(tolerance));
  *loopCount = *closedCount = *openCount = 0;
  *loops = nullptr;
  std::vector<Ends> ends;
  if (!endsOf(set, &ends)) return Geometry::kNoEntity;
  // Each chain grows at both its ends from the first unused curve; the
  // search is over the unused curves, so a loop of n curves costs n^2 end
  // comparisons at most.
  std::vector<bool> used(ends.size(), false);
  std::vector<std::vector<tag_t>> chains;
  std::vector<bool> closed;
  for (std::size_t first = 0; first < ends.size(); ++first) {
    if (used[first]) continue;
    used[first] = true;
    std::vector<tag_t> chain = {ends[first].curve};
    double head[3], tail[3];
    std::copy(ends[first].a, ends[first].a + 3, head);
    std::copy(ends[first].b, ends[first].b + 3, tail);
    for (bool grown = true; grown && !meet(head, tail, tolerance);) {
      grown = false;
      for (std::size_t i = 0; i < ends.size() && !grown; ++i) {
        if (used[i]) continue;
        const Ends& e = ends[i];
        if (meet(tail, e.a, tolerance) || meet(tail, e.b, tolerance)) {
          const double* next = meet(tail, e.a, tolerance) ? e.b : e.a;
          std::copy(next, next + 3, tail);
          chain.push_back(e.curve);
        } else if (meet(head, e.a, tolerance) || meet(head, e.b, tolerance)) {
          const double* next = meet(head, e.a, tolerance) ? e.b : e.a;
          std::copy(next, next + 3, head);
          chain.insert(chain.begin(), e.curve);
        } else {
          continue;
        }
        used[i] = grown = true;
      }
    }
    closed.push_back(meet(head, tail, tolerance));
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
  bool closed = true;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    bool bothMet = true;
    for (const double* end : {ends[i].a, ends[i].b}) {
      bool met = ends.size() == 1 && meet(ends[i].a, ends[i].b, tolerance);
      for (std::size_t j = 0; j < ends.size() && !met; ++j)
        met = j != i && (meet(end, ends[j].a, tolerance) || meet(end, ends[j].b, tolerance));
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
