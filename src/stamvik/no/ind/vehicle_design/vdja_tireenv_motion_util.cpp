#include "vdja_tireenv_motion_util.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <numbers>
#include <vector>

#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "geom/Curve.hpp"
#include "geom/Sketch.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "sys/Replace.hpp"
#include "upd/Update.hpp"
#include "vd/Motion.hpp"

namespace KTX::VDJA {
namespace {

constexpr const char* kSource = "vdja_tireenv_motion_util";
constexpr double kTolerance = 1e-10;

struct Point {
  double x, y;
};

// A product that floating arithmetic leaves a hair above a whole number
// counts as that number. Endless limits make endless or no products: they
// count as the most or none, which the callers bound to their steps anyway.
long long CeilingBelow(double value) {
  const double ceiling = std::ceil(value - 1e-9);
  if (std::isnan(ceiling)) return 0;
  return static_cast<long long>(std::clamp(ceiling, -9.0e18, 9.0e18));
}

// A count computed from a ceiling stays within 0 and its steps plus one.
long long Bounded(long long count, long long steps) { return std::clamp<long long>(count, 0, steps + 1); }

double ClampPercent(double p) {
  if (p < -kTolerance) return 0;
  if (p > 100.0000000001) return 100;
  return p;
}

// A driver of s steps gets s + 1 values (2 below 1 step), evenly from lower to upper.
std::vector<double> Spread(double lower, double upper, int steps) {
  const long long n = steps < 1 ? 2 : static_cast<long long>(steps) + 1;
  std::vector<double> values(static_cast<std::size_t>(n));
  for (long long k = 0; k < n; ++k) values[static_cast<std::size_t>(k)] = lower + k * (upper - lower) / (n - 1);
  return values;
}

void SortAscending(std::vector<double>& values) {
  if (!values.empty()) VD_sort_array_ascending(values.data(), static_cast<int>(values.size()));
}

void StoreLimits(vdja_tireenv_motion_record_t* r, double fu, double fl, double su, double sl) {
  r->limits[0] = fl;
  r->limits[1] = fu;
  r->limits[2] = sl;
  r->limits[3] = su;
}

double* NewValues(std::size_t count) {
  auto* values = static_cast<double*>(SM_alloc(count * sizeof(double)));
  if (values == nullptr) ERROR_raise(kSource, 71, Error::kNoMemory, "no memory for a driver path");
  return values;
}

// Hands the path to the record (its previous path is let go first).
void StorePath(vdja_tireenv_motion_record_t* r, const std::vector<Point>& path) {
  vdja_tireenv_motion_release_path(r);
  if (path.empty()) return;
  Stamvik::HostBlock<double> x(NewValues(path.size()));
  Stamvik::HostBlock<double> y(NewValues(path.size()));
  for (std::size_t i = 0; i < path.size(); ++i) {
    x.get()[i] = path[i].x;
    y.get()[i] = path[i].y;
  }
  r->xValues = x.release();
  r->yValues = y.release();
  r->pointCount = static_cast<int>(path.size());
}

std::vector<Point> Grid(double fu, double fl, int fs, double su, double sl, int ss) {
  std::vector<double> xs = Spread(fl, fu, fs), ys = Spread(sl, su, ss);
  SortAscending(xs);
  SortAscending(ys);
  std::vector<Point> path;
  path.reserve(xs.size() * ys.size());
  for (double y : ys)
    for (double x : xs) path.push_back({x, y});
  return path;
}

std::vector<Point> Tapered(double uX, double lX, int fs, double uY, double lY, int ss, double p) {
  p = ClampPercent(p);
  if (std::fabs(p - 100) <= kTolerance) return Grid(uX, lX, fs, uY, lY, ss);
  const double mX = (uX + lX) / 2;
  const long long sX = std::max(fs, 1), sY = std::max(ss, 1);
  const double t = (uY - lY) * 0.5 * (100 - p) * 0.01;
  const double yLow = lY + t, yHigh = uY - t;
  long long z = sY, b = 0;
  if (p > kTolerance) {
    z = Bounded(CeilingBelow(sY * (100 - p) * 0.01), sY);
    b = Bounded(CeilingBelow(sY * p * 0.01), sY);
  }
  if (z % 2 != 0) ++z;
  // Below 100 % both taper zones have a level at least.
  z = std::max<long long>(z, 2);
  const long long m = z + b, half = z / 2;
  std::vector<double> levels(static_cast<std::size_t>(m + 1));
  levels[0] = lY;
  levels[static_cast<std::size_t>(m)] = uY;
  for (long long i = 1; i < m; ++i) {
    double& level = levels[static_cast<std::size_t>(i)];
    if (i <= half)
      level = lY + i * (yLow - lY) / half;
    else if (i > b + half)
      level = yHigh + (i - half - b) * (yLow - lY) / half;
    else
      level = yLow + (i - half) * (yHigh - yLow) / b;
  }
  std::vector<Point> path;
  path.reserve(static_cast<std::size_t>(2 + (m - 1) * (sX + 1)));
  path.push_back({mX, levels[0]});
  for (long long i = 1; i < m; ++i) {
    const double level = levels[static_cast<std::size_t>(i)];
    double xa = lX, xb = uX;
    if (level > yHigh + kTolerance || level < yLow - kTolerance) {
      const bool top = level > yHigh + kTolerance;
      const double d = top ? level - uY : level - lY;
      const double w = top ? (100 - p) * (uY - lY) * 0.01 : (lY - uY) * (100 - p) * 0.01;
      xa = (uX - lX) * d / w + mX;
      xb = (lX - uX) * d / w + mX;
    }
    for (long long k = 0; k <= sX; ++k) path.push_back({xa + k * (xb - xa) / sX, level});
  }
  path.push_back({mX, levels[static_cast<std::size_t>(m)]});
  return path;
}

std::vector<Point> OneSidePath(double uX, double lX, int fs, double uY, double lY, int ss, double a, double bLoc) {
  // Equal second-driver limits leave no taper to divide by: the plain grid.
  if (std::fabs(uY - lY) <= kTolerance) return Grid(uX, lX, fs, uY, lY, ss);
  double aPct = 0;
  if (a > 100.0000000001)
    aPct = 100;
  else if (a >= -kTolerance)
    aPct = (uY * a * 0.01 - lY) * 100 / (uY - lY);
  const double bPct = ClampPercent(bLoc);
  double yA = aPct >= 99.9999999999 ? uY : uY - (uY - lY) * (100 - aPct) * 0.01;
  double xB = bPct >= 99.9999999999 ? uX : uX - (uX - lX) * 0.5 * (100 - bPct) * 0.01;
  if (yA > uY + kTolerance) yA = uY;
  if (xB > uX + kTolerance) xB = uX;
  if (std::fabs(yA - uY) <= kTolerance || std::fabs(xB - uX) <= kTolerance) return Grid(uX, lX, fs, uY, lY, ss);
  const long long sX = std::max(fs, 2), sY = std::max(ss, 2);
  const long long nTop = Bounded(CeilingBelow((100 - aPct) * sY * 0.01), sY);
  const long long nBottom = Bounded(CeilingBelow(sY * aPct * 0.01), sY);

  std::vector<double> xs, ys;
  for (long long k = 0; k < sX; ++k) xs.push_back(lX + k * (uX - lX) / sX);
  xs.push_back(uX);
  if (nBottom == 0) {
    ys.push_back(lY);
  } else {
    for (long long j = 0; j < nBottom; ++j) ys.push_back(lY + j * (yA - lY) / nBottom);
    ys.push_back(yA);
  }
  SortAscending(xs);
  SortAscending(ys);
  std::vector<Point> path;
  for (double y : ys)
    for (double x : xs) path.push_back({x, y});
  for (long long k = 1; k <= nTop; ++k) {
    const double level = yA + k * (uY - yA) / nTop;
    const double q = 100 - k * (100 - bPct) / nTop;
    const long long c = Bounded(CeilingBelow(q * 0.01 * sX), sX);
    if (c == 0) {
      path.push_back({(uX + lX) / 2, level});
      continue;
    }
    const double h = (100 - q) * 0.005 * (uX - lX);
    const double from = lX + h, to = uX - h;
    for (long long i = 0; i <= c; ++i) path.push_back({from + i * (to - from) / c, level});
  }
  return path;
}

}  // namespace

void vdja_tireenv_motion_release_path(vdja_tireenv_motion_record_t* record) {
  if (record->pointCount > 0 || record->xValues != nullptr || record->yValues != nullptr) {
    SM_free(record->xValues);
    SM_free(record->yValues);
  }
  record->xValues = nullptr;
  record->yValues = nullptr;
  record->pointCount = 0;
}

int vdja_tireenv_motion_check_driver_steps(int graph, int firstSteps, int secondSteps) {
  if (graph < RectangularJounceRebound || graph > TwoDriversOneFixed) return 0;
  if (firstSteps > kMaxDriverSteps) return kTooManyDriverSteps;
  if (graph == TwoDriversOneFixed) return 0;
  if (secondSteps > kMaxDriverSteps) return kTooManyDriverSteps;
  const long long product = std::max<long long>(firstSteps, 1) * std::max<long long>(secondSteps, 1);
  return product > kMaxDriverStepProduct ? kTooManyDriverStepProduct : 0;
}

int vdja_tireenv_motion_check_fla_steps(int steps) { return steps > kMaxDriverSteps ? kTooManyDriverSteps : 0; }

int vdja_tireenv_motion_generate_driver_path(int graph, double fu, double fl, int fs, double su, double sl, int ss,
                                             double taper, double locationA, double locationB, tag_t sketch,
                                             vdja_tireenv_motion_record_t* r) {
  vdja_tireenv_motion_release_path(r);
  if (const int refused = vdja_tireenv_motion_check_driver_steps(graph, fs, ss); refused != 0) return refused;
  switch (graph) {
    case RectangularJounceRebound: return vdja_tireenv_motion_driver_path_grid(fu, fl, fs, su, sl, ss, r);
    case RectangularTaperedY: return vdja_tireenv_motion_driver_path_tapered(fu, fl, fs, su, sl, ss, taper, r);
    case RectangularTaperedX: return vdja_tireenv_motion_driver_path_tapered_x(fu, fl, fs, su, sl, ss, taper, r);
    case TaperedOneSide:
      return vdja_tireenv_motion_driver_path_tapered_one_side(fu, fl, fs, su, sl, ss, locationA, locationB, r);
    case BySketch: return vdja_tireenv_motion_driver_path_from_sketch(fu, fl, fs, su, sl, ss, sketch, r);
    case TwoDriversOneFixed: return vdja_tireenv_motion_driver_path_one_fixed(fu, fl, fs, su, sl, ss, taper, r);
    default: return 0;
  }
}

int vdja_tireenv_motion_driver_path_grid(double fu, double fl, int fs, double su, double sl, int ss,
                                         vdja_tireenv_motion_record_t* r) {
  StoreLimits(r, fu, fl, su, sl);
  StorePath(r, Grid(fu, fl, fs, su, sl, ss));
  return 0;
}

int vdja_tireenv_motion_driver_path_tapered(double fu, double fl, int fs, double su, double sl, int ss, double p,
                                            vdja_tireenv_motion_record_t* r) {
  StoreLimits(r, fu, fl, su, sl);
  StorePath(r, Tapered(fu, fl, fs, su, sl, ss, p));
  return 0;
}

int vdja_tireenv_motion_driver_path_tapered_x(double fu, double fl, int fs, double su, double sl, int ss, double p,
                                              vdja_tireenv_motion_record_t* r) {
  StoreLimits(r, su, sl, fu, fl);
  std::vector<Point> path = Tapered(su, sl, ss, fu, fl, fs, p);
  for (Point& point : path) std::swap(point.x, point.y);
  StorePath(r, path);
  return 0;
}

int vdja_tireenv_motion_driver_path_tapered_one_side(double fu, double fl, int fs, double su, double sl, int ss,
                                                     double a, double b, vdja_tireenv_motion_record_t* r) {
  StoreLimits(r, fu, fl, su, sl);
  StorePath(r, OneSidePath(fu, fl, fs, su, sl, ss, a, b));
  return 0;
}

namespace {

// The first sketch coordinate of a model point.
double SketchX(const double toSketch[16], const double p[3]) {
  const double x = toSketch[0] * p[0] + toSketch[1] * p[1] + toSketch[2] * p[2] + toSketch[3];
  double w = toSketch[12] * p[0] + toSketch[13] * p[1] + toSketch[14] * p[2] + toSketch[15];
  if (std::fabs(w) < 1e-19) w = w < 0 ? -1e-19 : 1e-19;
  return x / w;
}

// The scratch of one sketch path: what every way out gives back.
struct SketchScratch {
  int mark = 0;
  tag_t* members = nullptr;
  ~SketchScratch() {
    Stamvik::RunNoted("DSS_set_suppress_display", [] { DSS_set_suppress_display(2); });
    SM_free(members);
    UNDO_QD_undo_to_mark(mark, nullptr);
    UNDO_QD_delete_mark(mark, nullptr);
  }
};

}  // namespace

int vdja_tireenv_motion_driver_path_from_sketch(double fu, double fl, int fs, double su, double sl, int ss,
                                                tag_t sketch, vdja_tireenv_motion_record_t* r) {
  int error = 0;
  const int mark = UNDO_QD_set_mark(0, nullptr, &error);
  if (error != 0) ERROR_raise(kSource, 299, error, "Failed to set UNDO mark");
  SketchScratch scratch;
  scratch.mark = mark;
  StoreLimits(r, fu, fl, su, sl);
  int count = 0;
  ES_read_sketch_geom_members(sketch, &count, &scratch.members);
  double info[12] = {}, toModel[16] = {}, toSketch[16] = {};
  TIREENV_ask_sketch_matrix_information(sketch, info, toModel, toSketch);
  const int cX = fs < 1 ? 2 : fs + 1, cY = ss < 1 ? 2 : ss + 1;
  double orientation[9];
  MTX3_init_z(info + 6, orientation);
  std::vector<Point> path;
  int status = 0;
  DSS_set_suppress_display(3);
  for (int j = 0; j < cY; ++j) {
    const double level = sl + j * (su - sl) / (cY - 1);
    double origin[3];
    const double w = toModel[13] * level + toModel[15];
    for (int i = 0; i < 3; ++i) origin[i] = (toModel[4 * i + 1] * level + toModel[4 * i + 3]) / w;
    const tag_t plane = ES_create_plane(origin, orientation);
    double lo = 0, hi = 0;
    bool cut = false;
    for (int m = 0; m < count; ++m) {
      int type = 0, subtype = 0;
      RM_ask_entity_type_and_subtype(scratch.members[m], &type, &subtype);
      if (type != 3 && type != 5 && type != 6 && type != 7 && type != 9) continue;
      int hits = 0;
      Stamvik::HostBlock<VD_intersection_s> found;
      status = VD_MODL_intersect_objects(plane, scratch.members[m], 0.001, &hits, found.out());
      for (int h = 0; h < hits; ++h)
        for (const double* p : {found[h].point, found[h].end}) {
          if (p == found[h].end && found[h].kind != 1) continue;
          const double x = SketchX(toSketch, p);
          lo = cut ? std::min(lo, x) : x;
          hi = cut ? std::max(hi, x) : x;
          cut = true;
        }
    }
    // A level that no member cuts adds no point.
    if (cut && hi - lo > 0.0001)
      for (int k = 0; k < cX; ++k) path.push_back({lo + k * (hi - lo) / (cX - 1), level});
    else if (cut)
      path.push_back({lo, level});
    if (plane != 0) UPDATE_log_entity_to_delete(plane);
    UPDATE_do_update();
  }
  StorePath(r, path);
  return status;
}

int vdja_tireenv_motion_driver_path_one_fixed(double fu, double fl, int fs, double su, double sl, int, double p,
                                              vdja_tireenv_motion_record_t* r) {
  StoreLimits(r, fu, fl, su, sl);
  std::vector<double> xs = Spread(fl, fu, fs);
  SortAscending(xs);
  // The fixed value stands in every entry, so a reader indexing Y by point stays inside.
  const double fixed = sl + (su - sl) * ClampPercent(p) * 0.01;
  std::vector<Point> path;
  for (double x : xs) path.push_back({x, fixed});
  StorePath(r, path);
  return 0;
}

int vdja_tireenv_motion_generate_fla_driver_path(int type, double a, double b, double c, int steps,
                                                 vdja_tireenv_motion_record_t* r) {
  vdja_tireenv_motion_release_path(r);
  if (const int refused = vdja_tireenv_motion_check_fla_steps(steps); refused != 0) return refused;
  if (type == 0) return vdja_tireenv_motion_fla_driver_path_range(a, b, steps, r);
  if (type == 1 || type == 2) return vdja_tireenv_motion_fla_driver_path_sweep(a, b, c, steps, r);
  return 0;
}

int vdja_tireenv_motion_fla_driver_path_range(double a, double b, int steps, vdja_tireenv_motion_record_t* r) {
  if (r->mode != 1) return 0;
  r->jounceDistance = a;
  r->reboundDistance = b;
  const int n = std::max(steps, 2);
  std::vector<Point> path;
  for (int i = 0; i < n; ++i) {
    const double v = b + i * (a - b) / (n - 1);
    path.push_back({v, v});
  }
  StorePath(r, path);
  return 0;
}

int vdja_tireenv_motion_fla_driver_path_sweep(double a, double b, double c, int steps,
                                              vdja_tireenv_motion_record_t* r) {
  if (r->mode != 1) return 0;
  const int n = std::max(steps, 2);
  std::vector<Point> path;
  for (int i = 0; i < n; ++i) path.push_back({a - i * (a - b) / (n - 1), c});
  StorePath(r, path);
  return 0;
}

int vdja_tireenv_motion_ask_driver_mode(int option, bool secondPass, int* phase) {
  switch (option) {
    case 0: *phase = 0; return 0;
    case 1: *phase = secondPass ? 2 : 1; return 0;
    case 2: *phase = secondPass ? 4 : 3; return 0;
    default: return 1;
  }
}

// ---- articulation ----------------------------------------------------------------

int vdja_tireenv_motion_articulation_step(int n, int* counter) {
  for (int i = 0; i < std::abs(n); ++i) {
    int status = 0;
    kmp_ipc_step(n > 0 ? 0 : 1, nullptr, &status);
    if (status != 0) ERROR_raise(kSource, 411, kArticulationFailed, "Articulation failed");
    ++*counter;
  }
  return 0;
}

namespace {

// The entities the motion leaves of the host's type 210 go before a trace.
void DeleteMotionLeftovers() {
  PART_part* part = CONTEXT_ask_work_part();
  std::vector<tag_t> found;
  for (tag_t entity = ES_cycle_entities_by_type(part, 210, 0); entity != 0;
       entity = ES_cycle_entities_by_type(part, 210, entity))
    found.push_back(entity);
  for (tag_t entity : found) UPDATE_log_entity_to_delete(entity);
  UPDATE_do_update();
}

void EditSolver() {
  QF_MOTION_solver_parameters_s solver{};
  VD_MOTION_ask_solver_parameters(&solver);
  solver.first = 1;
  VD_MOTION_edit_solver_parameters(&solver);
}

// The motion tools with the model's drive joints, terminated on every way out.
class MotionTools {
 public:
  MotionTools() {
    VD_MOTION_initialize();
    QF_VD_MOTION_ask_articulation_drive_joints(&jointCount_, &joints_);
  }
  ~MotionTools() { Stamvik::RunNoted("VD_MOTION_terminate", [this] { End(); }); }
  MotionTools(const MotionTools&) = delete;
  MotionTools& operator=(const MotionTools&) = delete;
  void ZeroSteps() const {
    for (int i = 0; i < jointCount_; ++i) VD_MOTION_edit_artic_step_size(joints_[i], 0);
  }
  void ClearDrivers() const {
    KMC_motion_driver_data_t driver{};
    KMC_init_motion_driver_data(&driver);
    for (int i = 0; i < jointCount_; ++i) KMC_set_motion_driver(joints_[i], &driver);
  }
  void End() {
    if (ended_) return;
    ended_ = true;
    // The joints are the run's own, whatever the end reports.
    SM_free(joints_);
    joints_ = nullptr;
    VD_MOTION_terminate();
  }

 private:
  int jointCount_ = 0;
  tag_t* joints_ = nullptr;
  bool ended_ = false;
};

// One articulation, ended on every way out (a failed step included), with
// the trace it may carry deleted first.
class OpenArticulation {
 public:
  OpenArticulation() : status_(VD_MOTION_init_articulation()) {}
  ~OpenArticulation() {
    Stamvik::RunNoted("VD_MOTION_terminate_articulation", [this] { End(); });
  }
  OpenArticulation(const OpenArticulation&) = delete;
  OpenArticulation& operator=(const OpenArticulation&) = delete;
  bool started() const { return status_ == 0; }
  tag_t Trace(tag_t traced) {
    const QF_MOTION_trace_s request{traced, 1};
    VD_MOTION_create_trace(&request, &trace_);
    return trace_;
  }
  // Deletes the trace and ends the articulation: the articulation's status.
  int End() {
    if (ended_) return 0;
    ended_ = true;
    if (trace_ != 0) UPDATE_log_entity_to_delete(trace_);
    UPDATE_do_update();
    return VD_MOTION_terminate_articulation();
  }

 private:
  int status_;
  tag_t trace_ = 0;
  bool ended_ = false;
};

// A driver's step at point k: its first value, then the change from the point before.
double StepAt(const double* values, int k) { return k == 0 ? values[0] : values[k] - values[k - 1]; }

void RaiseNotStarted(int line) { ERROR_raise(kSource, line, kArticulationNotStarted, "%s", "the articulation could not be started"); }

// A search's failure as the rolls report it: the articulation not started,
// -2 a trace failed. (A search that gave up is the roll's own to tell.)
void RaiseSearchFailure(int result, bool started, int line) {
  if (!started) RaiseNotStarted(line);
  if (result == -2) ERROR_raise(kSource, line, kTraceFailed, "%s", "the spindle line could not be traced");
}

// The shock's search gave up: the roll asked, where the shock was swept and
// against what, and how the lines it traced there rolled. A roll below them
// (the search stops at the first line past the roll) or above them (it swept
// the whole travel) the travel does not reach; one among them the search
// could not narrow to with the steps it has.
void RaiseRollNotFound(int driver, double roll, double jounce, double rebound, double bumper,
                       const double reached[2]) {
  // Rounded to a billionth of a degree: a level line reads 0, not 8e-15.
  const auto degrees = [](double d) {
    const double rounded = std::round(d * 1e9) / 1e9;
    return rounded == 0 ? 0.0 : rounded;
  };
  char traced[200] = ".";
  if (reached[0] <= reached[1]) {
    const double least = degrees(reached[0]), most = degrees(reached[1]);
    if (roll < reached[0])
      std::snprintf(traced, sizeof traced, ": it rolls %g degrees or more there. A larger roll angle may.", least);
    else if (roll > reached[1])
      std::snprintf(traced, sizeof traced, ": it rolls at most %g degrees there. A smaller roll angle may.", most);
    else
      std::snprintf(traced, sizeof traced,
                    ": it rolls from %g to %g degrees there. More shock steps (ShockDriverJointSteps) let the "
                    "search narrow to it.",
                    least, most);
  }
  ERROR_raise(kSource, 500, kRollNotFound,
              "The roll search gave up: no position of the %s shock from the jounce %g to the rebound %g, the %s "
              "bumper at %g, was found where the spindle line rolls %g degrees (RollAngle)%s",
              driver == 2 ? "right" : "left", jounce, rebound, driver == 2 ? "left" : "right", bumper, roll, traced);
}

double Distance(const Math::Point3& a, double x, double y, double z) {
  return std::sqrt((a.X - x) * (a.X - x) + (a.Y - y) * (a.Y - y) + (a.Z - z) * (a.Z - z));
}

// A bumper's travel over the last articulation: from its origin to its last
// and to its first stepped position.
void BumperTravel(tag_t bumper, double* full, double* first) {
  *full = *first = 0;
  Math::Point3 origin;
  if (KMC_get_joint_origin(bumper, &origin) != 0) return;
  int counts[3] = {0, 0, 0};
  Stamvik::HostBlock<double> values[3];
  for (int c = 0; c < 3; ++c) VD_MOTION_ask_trans_displacement_results(bumper, c + 1, 0, &counts[c], values[c].out());
  const int m = std::min({counts[0], counts[1], counts[2]});
  if (m >= 2) {
    *full = Distance(origin, values[0][m - 1], values[1][m - 1], values[2][m - 1]);
    *first = Distance(origin, values[0][1], values[1][1], values[2][1]);
  }
}

}  // namespace

int vdja_tireenv_motion_run_articulation(const double origin[3], const double matrix[9], const char* spindleFile,
                                         tag_t spindle, tag_t first, tag_t second, int graph, bool firstOnX,
                                         double fu, double fl, int fs, double su, double sl, int ss, double taper,
                                         double locationA, double locationB, tag_t sketch,
                                         vdja_tireenv_motion_record_t* r) {
  r->failed = 0;
  r->mode = 0;
  r->jounceDistance = r->reboundDistance = 0;
  MotionTools tools;
  EditSolver();
  DeleteMotionLeftovers();
  OpenArticulation run;
  const tag_t trace = run.Trace(spindle);
  const tag_t xDriver = firstOnX ? first : second, yDriver = firstOnX ? second : first;
  vdja_tireenv_motion_generate_driver_path(graph, fu, fl, fs, su, sl, ss, taper, locationA, locationB, sketch, r);
  tools.ZeroSteps();
  int steps = 0;
  for (int k = 0; k < r->pointCount; ++k) {
    if (xDriver != yDriver) {
      VD_MOTION_edit_artic_step_size(xDriver, StepAt(r->xValues, k));
      VD_MOTION_edit_artic_step_size(yDriver, StepAt(r->yValues, k));
    } else {
      VD_MOTION_edit_artic_step_size(xDriver, StepAt(firstOnX ? r->xValues : r->yValues, k));
    }
    vdja_tireenv_motion_articulation_step(1, &steps);
  }
  if (spindleFile != nullptr && *spindleFile != '\0')
    vdja_tireenv_motion_write_spindle_trace_file(r, origin, matrix, spindleFile, spindle, trace, steps, 0);
  const int result = run.End();
  tools.End();
  if (!run.started()) RaiseNotStarted(565);
  return result;
}

int vdja_tireenv_motion_run_fla_articulation(const double origin[3], const double matrix[9], const char* spindleFile,
                                             const char* jointsFile, tag_t spindle, int steps, int source,
                                             const tag_t* joints, double* leftFull, double* leftFirst,
                                             double* rightFull, double* rightFirst, vdja_tireenv_motion_record_t* r,
                                             const sFiveLinkAxle_Suspension* block) {
  tag_t fiveLink[4];
  vdja_tireenv_motion_fla_joints(source, joints, block, fiveLink);
  MotionTools tools;
  EditSolver();
  DeleteMotionLeftovers();
  OpenArticulation run;
  const tag_t trace = run.Trace(spindle);
  vdja_tireenv_motion_generate_fla_driver_path(0, r->jounceDistance, r->reboundDistance, 0, steps, r);
  vdja_tireenv_motion_write_driver_steps_file(r, jointsFile, 0);
  tools.ZeroSteps();
  int count = 0;
  for (int k = 0; k < r->pointCount; ++k) {
    VD_MOTION_edit_artic_step_size(fiveLink[0], StepAt(r->xValues, k));
    VD_MOTION_edit_artic_step_size(fiveLink[1], StepAt(r->yValues, k));
    vdja_tireenv_motion_articulation_step(1, &count);
  }
  vdja_tireenv_motion_write_spindle_trace_file(r, origin, matrix, spindleFile, spindle, trace, count, 0);
  const int result = run.End();
  BumperTravel(fiveLink[2], leftFull, leftFirst);
  BumperTravel(fiveLink[3], rightFull, rightFirst);
  tools.End();
  if (!run.started()) RaiseNotStarted(595);
  return result;
}

namespace {

// What every pass of one roll shares: the vehicle frame, the two files, the
// spindle traced, the driver and its steps, the motion tools and record.
struct Roll {
  const double* origin;
  const double* matrix;
  const char* spindleFile;
  const char* jointsFile;
  tag_t spindle;
  int type;
  int steps;
  const MotionTools& tools;
  vdja_tireenv_motion_record_t* r;
};

// One pass of a roll: the swept joint from a to b (the path's X values), the
// fixed one put at c at the first point; both files appended with the phase.
void RollPass(const Roll& roll, tag_t swept, tag_t fixed, double a, double b, double c, int phase) {
  vdja_tireenv_motion_record_t* r = roll.r;
  OpenArticulation pass;
  const tag_t trace = pass.Trace(roll.spindle);
  roll.tools.ZeroSteps();
  vdja_tireenv_motion_generate_fla_driver_path(roll.type, a, b, c, roll.steps, r);
  vdja_tireenv_motion_write_driver_steps_file(r, roll.jointsFile, phase);
  int count = 0;
  for (int k = 0; k < r->pointCount; ++k) {
    VD_MOTION_edit_artic_step_size(swept, StepAt(r->xValues, k));
    VD_MOTION_edit_artic_step_size(fixed, k == 0 ? c : 0);
    vdja_tireenv_motion_articulation_step(1, &count);
  }
  vdja_tireenv_motion_write_spindle_trace_file(r, roll.origin, roll.matrix, roll.spindleFile, roll.spindle, trace,
                                               count, phase);
  pass.End();
  roll.tools.ZeroSteps();
}

}  // namespace

int vdja_tireenv_motion_run_single_driver_articulation(const double origin[3], const double matrix[9],
                                                       const char* spindleFile, const char* jointsFile, tag_t spindle,
                                                       int driver, int steps, double rollAngle, double fullTravel,
                                                       double firstTravel, int source, const tag_t* joints,
                                                       double* sweptFound, double* fixedFound,
                                                       const sFiveLinkAxle_Suspension* block,
                                                       vdja_tireenv_motion_record_t* r) {
  tag_t fiveLink[4];
  vdja_tireenv_motion_fla_joints(source, joints, block, fiveLink);
  const tag_t swept = driver == 1 ? fiveLink[0] : driver == 2 ? fiveLink[1] : fiveLink[0];
  const tag_t fixed = driver == 1 ? fiveLink[3] : driver == 2 ? fiveLink[2] : fiveLink[1];
  MotionTools tools;
  tools.ClearDrivers();
  KMC_motion_driver_data_t moving{};
  KMC_init_motion_driver_data(&moving);
  moving.kind = 4;
  KMC_set_motion_driver(swept, &moving);
  KMC_set_motion_driver(fixed, &moving);
  EditSolver();
  DeleteMotionLeftovers();
  OpenArticulation roll;
  tools.ZeroSteps();

  // The direction the spindle line is measured against.
  double reference[3] = {0, 0, 0};
  if (source == 1 && block != nullptr) {
    const VD_point_pair_s& entry = block->wheelCenterline;
    reference[0] = entry.point.x - entry.second.x;
    reference[1] = entry.point.y - entry.second.y;
    reference[2] = entry.point.z - entry.second.z;
  } else if (double p[3], q[3]; VD_ask_curve_end_points(spindle, p, q) == 0) {
    const double sign = p[1] >= 1e-10 ? 1 : -1;
    for (int i = 0; i < 3; ++i) reference[i] = sign * (q[i] - p[i]);
  }

  const QF_MOTION_trace_s request{spindle, 1};
  double a1 = 0;
  double reached[2] = {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
  const int first = vdja_tireenv_motion_step_and_trace(0, steps, rollAngle, swept, fixed, r->jounceDistance,
                                                       r->reboundDistance, fullTravel, reference, &a1, 1e-5,
                                                       &request, r, reached);
  if (first != 0) {
    r->failed = 1;
    roll.End();
    tools.End();
    RaiseSearchFailure(first, roll.started(), 668);
    if (first == -1) RaiseRollNotFound(driver, rollAngle, r->jounceDistance, r->reboundDistance, fullTravel, reached);
    return first;
  }
  int phase = 0;
  vdja_tireenv_motion_ask_driver_mode(driver, false, &phase);
  const Roll passes{origin, matrix, spindleFile, jointsFile, spindle, driver, steps, tools, r};
  RollPass(passes, swept, fixed, r->jounceDistance, a1, fullTravel, phase);
  double b2 = 0;
  if (vdja_tireenv_motion_step_and_trace(1, steps, 0, fixed, swept, fullTravel, -firstTravel, a1, reference, &b2,
                                         0.001, &request, r) == 0) {
    vdja_tireenv_motion_ask_driver_mode(driver, true, &phase);
    RollPass(passes, fixed, swept, fullTravel, b2, a1, phase);
    *sweptFound = a1;
    *fixedFound = b2;
  }
  const int result = roll.End();
  tools.End();
  RaiseSearchFailure(result, roll.started(), 686);
  if (result == -1) RaiseNotStarted(686);
  return result;
}

int vdja_tireenv_motion_step_and_trace(int mode, int steps, double target, tag_t swept, tag_t fixed, double start,
                                       double end, double fixedValue, const double reference[3], double* found,
                                       double tolerance, const QF_MOTION_trace_s* request,
                                       vdja_tireenv_motion_record_t* r, double reached[2]) {
  constexpr double kDegrees = 57.29577951308235;
  const int n = std::max(steps, 2);
  std::vector<double> base(static_cast<std::size_t>(n)), values(static_cast<std::size_t>(n)),
      kept(static_cast<std::size_t>(n), 0.0);
  for (int i = 0; i < n; ++i) base[static_cast<std::size_t>(i)] = start - i * (start - end) / (n - 1);
  // The last index is n - 1: with steps 0 or 1 the search still sweeps its two values.
  int lo = 0, hi = n - 1;
  bool gaveUp = false, traceFailed = false;
  int status = 0;
  for (int passes = 0;; ++passes) {
    // A search that no longer narrows (its values alike to the last bit) gives up.
    if (passes == kMaxSearchPasses) {
      gaveUp = true;
      break;
    }
    int stoppedAt = -1, made = 0;
    double alpha = 0;
    bool traced = false;
    {
      OpenArticulation pass;
      tag_t trace = 0;
      VD_MOTION_create_trace(request, &trace);
      values[0] = base[static_cast<std::size_t>(lo)];
      const double span = base[static_cast<std::size_t>(lo)] - base[static_cast<std::size_t>(hi)];
      std::vector<Point> path;
      for (int i = 0; i < n; ++i) {
        values[static_cast<std::size_t>(i)] = values[0] - i * span / (n - 1);
        path.push_back({values[static_cast<std::size_t>(i)], fixedValue});
      }
      StorePath(r, path);
      int counter = 0;
      for (int k = 0; k < n && stoppedAt < 0; ++k) {
        VD_MOTION_edit_artic_step_size(swept, StepAt(values.data(), k));
        VD_MOTION_edit_artic_step_size(fixed, k == 0 ? fixedValue : 0);
        vdja_tireenv_motion_articulation_step(1, &counter);
        ++made;
        unsigned int line = 0;
        if (VD_MOTION_trace(trace, k + 1, &line) != 0) {
          traceFailed = true;
          r->failed = 1;
          break;
        }
        if (line == 0) continue;
        double c[6];
        ES_ask_coordinates_of_line(line, c);
        const double sign = c[1] < -1e-10 ? -1 : 1;
        const double direction[3] = {sign * (c[3] - c[0]), sign * (c[4] - c[1]), sign * (c[5] - c[2])};
        double angle = 0;
        h061(direction, reference, &angle);
        alpha = std::min(angle, std::numbers::pi - angle);
        traced = true;
        if (reached != nullptr) {
          reached[0] = std::min(reached[0], alpha * kDegrees);
          reached[1] = std::max(reached[1], alpha * kDegrees);
        }
        kept[static_cast<std::size_t>(k)] = alpha;
        const double beta = std::numbers::pi - alpha;
        const bool stop = mode == 0 ? !(alpha * kDegrees + 1e-10 <= target && target <= beta * kDegrees - 1e-10)
                                    : target > alpha - tolerance;
        // The line goes with the pass's leftovers either way.
        UPDATE_log_entity_to_delete(line);
        UPDATE_do_update();
        if (stop) stoppedAt = k;
      }
      status = pass.End();
      DeleteMotionLeftovers();
    }
    if (traceFailed) break;
    if (stoppedAt >= 0) {
      lo = stoppedAt - 1;
      hi = stoppedAt;
      base = values;
      if (n < 3) {
        gaveUp = true;
        break;
      }
    }
    const double beta = std::numbers::pi - alpha;
    const bool converged = traced && (mode == 0 ? std::fabs(target - alpha * kDegrees) <= tolerance ||
                                                      std::fabs(target - beta * kDegrees) <= tolerance
                                                : std::fabs(target - alpha) <= tolerance);
    if (converged) {
      *found = values[static_cast<std::size_t>(hi)];
      break;
    }
    if (stoppedAt < 0 && made == n) {
      if (mode == 0) {
        gaveUp = true;
        break;
      }
      // The smallest angle kept; of near-equal ones the later wins.
      int j = 0;
      for (int i = 1; i < n; ++i)
        if (kept[static_cast<std::size_t>(i)] < kept[static_cast<std::size_t>(j)] + 1e-10) j = i;
      // The next pass sweeps around it among this pass's values.
      base = values;
      lo = std::max(j - 1, 0);
      hi = j + 1;
      if (hi >= n) {
        gaveUp = true;
        break;
      }
    }
    if (made == 0 || stoppedAt == 0) {
      gaveUp = true;
      break;
    }
  }
  if (gaveUp) return -1;
  return status == 0 && traceFailed ? -2 : status;
}

// ---- files ---------------------------------------------------------------------

void vdja_tireenv_motion_fla_joints(int source, const tag_t* joints, const sFiveLinkAxle_Suspension* block,
                                    tag_t fiveLink[4]) {
  if (source == 1 && block != nullptr) {
    const tag_t fromBlock[4] = {block->leftShockJoint, block->rightShockJoint, block->leftBumperJoint,
                                block->rightBumperJoint};
    std::copy(fromBlock, fromBlock + 4, fiveLink);
  } else if (source != 1 && joints != nullptr) {
    std::copy(joints, joints + 4, fiveLink);
  } else {
    std::fill(fiveLink, fiveLink + 4, tag_t{0});
  }
}

int vdja_tireenv_motion_set_motion_drivers(int source, const tag_t* joints, const sFiveLinkAxle_Suspension* block) {
  tag_t fiveLink[4];
  vdja_tireenv_motion_fla_joints(source, joints, block, fiveLink);
  VD_MOTION_initialize();
  int count = 0;
  Stamvik::HostBlock<tag_t> drive;
  int status = QF_VD_MOTION_ask_articulation_drive_joints(&count, drive.out());
  KMC_motion_driver_data_t driver{};
  KMC_init_motion_driver_data(&driver);
  // Every joint is set, also after one fails: the first failure is the answer.
  auto set = [&](tag_t joint) {
    const int set = KMC_set_motion_driver(joint, &driver);
    if (status == 0) status = set;
  };
  for (int i = 0; i < count; ++i) set(drive[i]);
  driver.kind = 4;
  set(fiveLink[0]);
  set(fiveLink[1]);
  drive.reset();
  VD_MOTION_terminate();
  return status;
}

namespace {

constexpr int kMaxNameTries = 1000;

bool Writable(const char* name) { return CFI_modify_file_protection(name, 79, 13107, 0) == 0; }

// A file the run writes must be writable; the host's code ends the run.
void MakeWritable(const char* name) {
  if (const int code = CFI_modify_file_protection(name, 79, 13107, 0); code != 0)
    ERROR_raise(kSource, 848, code, "%s", "");
}

// Opens for appending when asked and the file exists, else anew; either way
// an existing file is made writable first.
std::FILE* OpenForWriting(const char* name, bool append) {
  const bool exists = CFI_ask_file_exist(name) == 0;
  if (exists) MakeWritable(name);
  return System::SYSS_fopen(name, exists && append ? "at" : "wt");
}

void CloseWritten(std::FILE* file, const char* name) {
  if (file != nullptr) System::SYSS_fclose(file);
  if (CFI_ask_file_exist(name) == 0) MakeWritable(name);
}

}  // namespace

int vdja_tireenv_motion_probe_file_name(const char* directory, const char* stem, int* counter,
                                        char name[kMotionFileNameSize]) {
  char tried[kMotionFileNameSize];
  int length = std::snprintf(tried, sizeof tried, "%s%s.txt", directory, stem);
  for (int tries = 0;; ++tries) {
    if (length < 0 || length >= kMotionFileNameSize) return kMotionFileMissing;
    if (CFI_ask_file_exist(tried) != 0 || Writable(tried)) {
      std::memcpy(name, tried, static_cast<std::size_t>(length) + 1);
      return 0;
    }
    if (tries == kMaxNameTries) return kMotionFileMissing;
    length = std::snprintf(tried, sizeof tried, "%s%s_%d.txt", directory, stem, (*counter)++);
  }
}

char* vdja_tireenv_motion_temp_directory() {
  const char* directory = ENV_translate_variable("QDEN_TMP_DIR");
  return directory != nullptr ? CFI_append_delimiter(directory) : nullptr;
}

int vdja_tireenv_motion_file_names(char spindleFile[kMotionFileNameSize], char jointsFile[kMotionFileNameSize]) {
  const Stamvik::HostBlock<char> directory(vdja_tireenv_motion_temp_directory());
  if (!directory) return kMotionFileMissing;
  char spindle[kMotionFileNameSize], joints[kMotionFileNameSize];
  int counter = 0;
  int status = vdja_tireenv_motion_probe_file_name(directory.get(), "spindle_file", &counter, spindle);
  if (status == 0) status = vdja_tireenv_motion_probe_file_name(directory.get(), "joints_disp_file", &counter, joints);
  if (status != 0) return status;
  std::memcpy(spindleFile, spindle, sizeof spindle);
  std::memcpy(jointsFile, joints, sizeof joints);
  return 0;
}

int vdja_tireenv_motion_write_driver_steps_file(const vdja_tireenv_motion_record_t* r, const char* fileName,
                                                int phase) {
  std::FILE* file = OpenForWriting(fileName, phase >= 1);
  if (file != nullptr)
    for (int i = 0; i < r->pointCount; ++i) std::fprintf(file, "%f %f\n", r->xValues[i], r->yValues[i]);
  CloseWritten(file, fileName);
  return 0;
}

int vdja_tireenv_motion_write_spindle_trace_file(vdja_tireenv_motion_record_t* r, const double origin[3],
                                                 const double matrix[9], const char* fileName, tag_t spindleLine,
                                                 tag_t trace, int stepCount, int phase) {
  const bool twoDrivers = r->mode == 0;
  std::FILE* file = OpenForWriting(fileName, !twoDrivers && phase >= 1);
  if (file == nullptr) return 0;
  // Two drivers: the end farther out along the vehicle's Y first, the start when level.
  const auto ordered = [&](tag_t line, double first[3], double second[3]) {
    if (VD_ask_curve_end_points(line, first, second) != 0) return false;
    if (twoDrivers && std::fabs(VD_LOCAL_Y(second, origin, matrix)) > std::fabs(VD_LOCAL_Y(first, origin, matrix)))
      for (int i = 0; i < 3; ++i) std::swap(first[i], second[i]);
    return true;
  };
  const auto write = [&](const double a[3], const double b[3]) {
    std::fprintf(file, "%f %f %f %f %f %f\n", a[0], a[1], a[2], b[0], b[1], b[2]);
  };
  try {
    if (twoDrivers || phase == 0) {
      double first[3], second[3];
      if (ordered(spindleLine, first, second)) {
        write(first, second);
        std::memcpy(r->spindleLine, second, sizeof second);
        std::memcpy(r->spindleLine + 3, first, sizeof first);
      }
    }
    for (int index = 0; index <= stepCount; ++index) {
      unsigned int line = 0;
      VD_MOTION_trace(trace, index, &line);
      if (line != 0) {
        double first[3], second[3];
        if (ordered(line, first, second)) write(first, second);
        UPDATE_log_entity_to_delete(line);
      }
      UPDATE_do_update();
    }
  } catch (...) {
    // The older file stays as it was: nothing half written takes its place.
    Files::AbandonReplacing(file);
    throw;
  }
  CloseWritten(file, fileName);
  return 0;
}

}  // namespace KTX::VDJA
