// The bead's path: the centerline's curves joined and trimmed at the start and
// end locations, the parameters at which it splits into segments, the
// segments made at them, and the path kept up to date as its inputs change.
#include "DieEngJA_DrawBeadBuilder.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/DrawBeadParms.hpp"
#include "exp/Expression.hpp"
#include "DieEngJA_DrawBeadItems.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "ja_die_draw_bead_builder_jam.hpp"
#include "script/ScriptHost.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

namespace KTX::DieEngJA {

namespace {

// Errors handled here name the builder's source, as the builder's own do.
constexpr double kMargin = 1e-10;
constexpr const char* kSource = "DieEngJA_DrawBeadBuilder";

}  // namespace

// ---- the path and the split -------------------------------------------------------

namespace {

constexpr double kNearlyEqual = 1e-8;
constexpr int kJoinOneOpenLoop = 11, kJoinOther = 10, kTrimMode = 1, kClosestAlgorithm = 1;

// The curves of the section's loop when it has exactly one; empty otherwise.
std::vector<tag_t> curvesOfOnlyLoop(const SC_section* section) {
  std::vector<tag_t> curves;
  if (section == nullptr || section->ask_loop_count() != 1) return curves;
  const auto* loop = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(section->ask_nth_loop(0)));
  if (loop == nullptr) return curves;
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  loop->ask_curves(&count, tags.out());
  if (tags) curves.assign(tags.get(), tags.get() + count);
  tags.reset();
  return curves;
}

// A plane across the path where it passes closest to the location; 0 when the
// location gives no point.
tag_t planeAcross(const EVC_curve* evaluator, const DieDesJA::DieLocationBuilder* location) {
  int count = 0;
  Stamvik::HostBlock<Math::Point3> points;
  const bool located = location != nullptr && location->GetLocation(&count, nullptr, points.out()) && count >= 1;
  double given[3] = {0, 0, 0};
  if (located) given[0] = points[0].X, given[1] = points[0].Y, given[2] = points[0].Z;
  points.reset();
  if (!located) return 0;
  double t = 0, closest[3], point[3], derivative[3], unit[3], frame[9], length = 0;
  EVC_ask_closest_point(evaluator, given, kClosestAlgorithm, &t, closest);
  EVC_evaluate(evaluator, t, 1, point, derivative);
  VEC3_unitize(derivative, kMargin, &length, unit);
  MTX3_init_z(unit, frame);
  return ES_create_plane(point, frame);
}

// The split list, grown in the host's memory so that a list that cannot grow
// raises its no-memory error; freed on every way out.
class SplitList {
 public:
  SplitList() = default;
  SplitList(const SplitList&) = delete;
  SplitList& operator=(const SplitList&) = delete;
  void Append(double value) {
    if (count_ == capacity_) {
      const std::size_t grown = capacity_ == 0 ? 8 : 2 * capacity_;
      // A block that cannot grow stays held (and is freed) as it was.
      auto* moved = static_cast<double*>(SM_crealloc(values_.get(), grown * sizeof(double)));
      values_.release();
      values_.reset(moved);
      capacity_ = grown;
    }
    values_.get()[count_++] = value;
  }
  double* begin() { return values_.get(); }
  double* end() { return values_.get() + count_; }
  std::size_t size() const { return count_; }
  double& operator[](std::size_t i) { return values_.get()[i]; }

 private:
  Stamvik::HostBlock<double> values_;
  std::size_t count_ = 0, capacity_ = 0;
};

}  // namespace

void DrawBeadBuilder::SetPathForSegments() {
  tag_t path = 0;
  if (m_centerline != nullptr && m_centerline->ask_loop_count() == 1) {
    int closed = 0, open = 0, closedLoops = 0;
    {
      Stamvik::HostBlock<tag_t> closedItems, openItems, loopItems;
      m_centerline->ask_loop_summary(&closed, closedItems.out(), &open, openItems.out(), &closedLoops, loopItems.out());
    }
    const std::vector<tag_t> curves = curvesOfOnlyLoop(m_centerline);
    if (curves.size() == 1)
      GEN_ZVTPAD_curve_copy(curves[0], &path);
    else if (curves.size() > 1)
      GEN_ZVTPAD_combine_curves(static_cast<int>(curves.size()), curves.data(),
                                open == 1 ? kJoinOneOpenLoop : kJoinOther, m_distanceTolerance, &path);
  }
  if (path != 0) {
    EVC_curve* evaluator = nullptr;
    EVC_initialize(path, &evaluator);
    tag_t start = 0, end = 0;
    try {
      start = planeAcross(evaluator, m_startPoint);
      end = planeAcross(evaluator, m_endPoint);
    } catch (...) {
      EVC_free(evaluator);
      throw;
    }
    EVC_free(evaluator);
    if (start != 0 || end != 0) {
      DIEDES_UTILS__trim_profile(kTrimMode, path, start, end, m_distanceTolerance, m_angleTolerance);
      // Only the planes that were made go.
      for (const tag_t plane : {start, end}) {
        if (plane == 0) continue;
        RM_set_sleep_state(plane, true);
        UPDATE_log_entity_to_delete(plane);
      }
    }
  }
  OM::SetReferencedObject(this, m_pathForSegmentsAttId, path);
}

void DrawBeadBuilder::CreateSegmentParameters() {
  if (GetSegmentParametersLength() > 0) SetSegmentParametersLength(0);
  const std::vector<tag_t> curves = curvesOfOnlyLoop(m_centerline);
  if (curves.empty() || m_segmentList == nullptr) return;
  const DrawBeadSegmentBuilder* first = nullptr;
  for (int i = 0; i < m_segmentList->size() && first == nullptr; ++i) first = SegmentAt(i);
  if (first == nullptr) return;
  const tag_t path = first->GetUserPath(0);
  if (path == 0) return;

  EVC_curve* evaluator = nullptr;
  if (EVC_initialize(path, &evaluator) != 0) return;
  double limits[2];
  EVC_ask_curve_limits(evaluator, limits);
  SplitList values;
  try {
    values.Append(limits[0]);
    values.Append(limits[1]);
    for (const tag_t curve : curves) {
      double start[3], end[3], closest[3], t = 0;
      SWEEP_ask_qd_endpoints(curve, start, end);
      EVC_ask_closest_point(evaluator, start, kClosestAlgorithm, &t, closest);
      values.Append(t);
    }
  } catch (...) {
    // A list that cannot grow keeps nothing: no parameter, and so no segment.
    EVC_free(evaluator);
    throw;
  }
  EVC_free(evaluator);

  const std::size_t kept = SplitRule(limits[0], values.begin(), values.size());
  if (kept == 0) return;
  SetSegmentParametersLength(static_cast<int>(kept));
  for (std::size_t i = 0; i < kept; ++i) SetSegmentParameter(static_cast<int>(i), values[i]);
}

std::size_t DrawBeadBuilder::SplitRule(double t0, double* values, std::size_t count) {
  std::sort(values, values + count);
  // Marks are written as the pass goes, so three near-equal values at the
  // start keep the first and the third.
  const double mark = t0 - 1.0;
  for (std::size_t i = 0; i + 1 < count; ++i)
    if (std::fabs(values[i] - values[i + 1]) <= kNearlyEqual) values[i == 0 ? i + 1 : i] = mark;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < count; ++i)
    if (values[i] > t0 - kMargin) values[kept++] = values[i];
  return kept;
}

DrawBeadSegmentBuilder* DrawBeadBuilder::CleanList() {
  if (m_segmentList == nullptr) return nullptr;
  DrawBeadSegmentBuilder* kept = nullptr;
  for (int i = 0; i < m_segmentList->size() && kept == nullptr; ++i) kept = SegmentAt(i);
  for (int i = m_segmentList->size() - 1; i >= 0; --i)
    if (kept == nullptr || m_segmentList->ask_item(i) != kept) m_segmentList->remove_at(i, !m_deleteSegmentsDuringClean);
  return kept;
}

int DrawBeadBuilder::CreateNewSegments() {
  std::vector<double> p;
  for (int i = 0; i < GetSegmentParametersLength(); ++i) p.push_back(GetSegmentParameter(i));
  if (p.size() < 2) return 0;
  DrawBeadSegmentBuilder* kept = CleanList();
  // Both calls are journalled, so that a replayed journal makes the same segments.
  auto* beads = Stamvik::JournalledInterface<Die_DrawBeadBuilder_Interface>("Die.DrawBeadBuilder");
  auto* lists = Stamvik::JournalledInterface<Script::ObjectList_Interface>("ObjectList");
  int firstFailure = 0;
  for (std::size_t i = 0; i + 1 < p.size(); ++i) {
    DrawBeadSegmentBuilder* segment = kept;
    if (i > 0) {
      tag_t item = 0;
      const int rc = beads == nullptr ? Error::kBadObject : beads->CreateDrawBeadSegment(ask_tag(), &item);
      if (rc != 0) {
        if (firstFailure == 0) firstFailure = rc;
        continue;
      }
      segment = item != 0 ? OM::TagToObject<DrawBeadSegmentBuilder>(item) : nullptr;
      if (segment != nullptr && m_segmentList != nullptr && lists != nullptr)
        lists->Append(m_segmentList->ask_tag(), item);
    }
    if (segment != nullptr) segment->UpdateStartAndEndByParameter(p[i], p[i + 1]);
  }
  return firstFailure;
}

int DrawBeadBuilder::CreateSegmentsFromCenterlineCurves() {
  CreateSegmentParameters();
  const int rc = CreateNewSegments();
  if (GetSegmentParametersLength() > 0) SetSegmentParametersLength(0);
  return rc;
}

void DrawBeadBuilder::Notify(OM::Object* changed) {
  if (m_changesPending) return;
  SetChangesPending(true);
  try {
    const bool centerline = changed != nullptr && changed == static_cast<OM::Object*>(m_centerline);
    if (centerline) CleanList();
    if (changed != nullptr && (centerline || changed == static_cast<OM::Object*>(m_startPoint) ||
                               changed == static_cast<OM::Object*>(m_endPoint))) {
      const tag_t old = m_pathForSegments;
      SetPathForSegments();
      UpdateSegmentPaths();
      if (old != 0 && old != m_pathForSegments) {
        gt316(old);
        RM_set_sleep_state(old, true);
        UPDATE_log_entity_to_delete(old);
      }
    }
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, 999);
  }
  SetChangesPending(false);
}

void DrawBeadBuilder::WatchObjects() const {
  if (m_centerline == nullptr) return;
  OM::OM_watch_object(m_centerline);
  // Each loop (the section's rule object) and then the curves it chains.
  for (int i = 0; i < m_centerline->ask_loop_count(); ++i) {
    const auto* loop = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(m_centerline->ask_nth_loop(i)));
    if (loop == nullptr) continue;
    OM::OM_watch_object(loop);
    int count = 0;
    Stamvik::HostBlock<tag_t> curves;
    loop->ask_curves(&count, curves.out());
    for (int k = 0; k < count; ++k)
      if (OM::Object* curve = OM::OM_object_of_tag(curves[k]); curve != nullptr) OM::OM_watch_object(curve);
  }
}

}  // namespace KTX::DieEngJA
