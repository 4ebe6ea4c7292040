#include "geom/Curve.hpp"

#include <algorithm>
#include <cmath>
#include <string>

#include "math/Vector.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX {

namespace {
double distance(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}
int countOf(const std::vector<double>& points) { return static_cast<int>(points.size() / 3); }
const ES_curve* curveOf(tag_t tag) { return dynamic_cast<const ES_curve*>(OM::OM_object_of_tag(tag)); }
}  // namespace

double POLYLINE_length(const std::vector<double>& points) {
  double length = 0;
  for (int i = 1; i < countOf(points); ++i) length += distance(&points[3 * (i - 1)], &points[3 * i]);
  return length;
}

void POLYLINE_evaluate(const std::vector<double>& points, double t, double point[3], double tangent[3]) {
  const int n = countOf(points);
  for (double* out : {point, tangent})
    if (out != nullptr) std::fill(out, out + 3, 0.0);
  if (n == 0) return;
  if (point != nullptr) std::copy(points.begin(), points.begin() + 3, point);
  const double total = POLYLINE_length(points);
  if (!(total > 0)) return;
  double along = std::clamp(t, 0.0, 1.0) * total;
  for (int i = 1; i < n; ++i) {
    const double* a = &points[3 * (i - 1)];
    const double* b = &points[3 * i];
    const double piece = distance(a, b);
    if (piece <= 0) continue;
    if (along <= piece || i == n - 1) {
      const double f = std::min(along / piece, 1.0);
      for (int k = 0; k < 3; ++k) {
        if (point != nullptr) point[k] = a[k] + f * (b[k] - a[k]);
        if (tangent != nullptr) tangent[k] = (b[k] - a[k]) / piece;
      }
      return;
    }
    along -= piece;
  }
}

double POLYLINE_closest_parameter(const std::vector<double>& points, const double point[3]) {
  const double total = POLYLINE_length(points);
  if (countOf(points) < 2 || !(total > 0)) return 0;
  double best = -1, bestAt = 0, walked = 0;
  for (int i = 1; i < countOf(points); ++i) {
    const double* a = &points[3 * (i - 1)];
    const double* b = &points[3 * i];
    const double piece = distance(a, b);
    double f = 0;
    if (piece > 0) {
      double dot = 0;
      for (int k = 0; k < 3; ++k) dot += (point[k] - a[k]) * (b[k] - a[k]);
      f = std::clamp(dot / (piece * piece), 0.0, 1.0);
    }
    double at[3];
    for (int k = 0; k < 3; ++k) at[k] = a[k] + f * (b[k] - a[k]);
    if (const double d = distance(at, point); best < 0 || d < best) best = d, bestAt = walked + f * piece;
    walked += piece;
  }
  return bestAt / total;
}

tag_t ES_create_line_in_part(PART_part* part, const double start[3], const double end[3]) {
  Host::Log("ES_create_line_in_part");
  const double points[6] = {start[0], start[1], start[2], end[0], end[1], end[2]};
  return ES_create_polyline_in_part(part, 2, points);
}

double CURVE_ask_arc_length(tag_t curve) {
  const ES_curve* c = curveOf(curve);
  return c == nullptr ? 0.0 : POLYLINE_length(c->ask_points());
}

bool CURVE_ask_point_at(tag_t curve, double t, double point[3]) {
  const ES_curve* c = curveOf(curve);
  if (c == nullptr) return false;
  POLYLINE_evaluate(c->ask_points(), t, point, nullptr);
  return true;
}

void ES_layer_move_entity(tag_t entity, int layer) {
  Host::Log("ES_layer_move_entity", "tag=" + std::to_string(entity) + " layer=" + std::to_string(layer));
  auto* e = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(entity));
  if (e == nullptr) ERROR_raise(__FILE__, __LINE__, Geometry::kNoEntity, "tag %u is no entity", entity);
  e->set_layer(layer);
}

int ES_ask_layer(tag_t entity) {
  auto* e = dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(entity));
  return e == nullptr ? 0 : e->ask_layer();
}

// ---- the curve evaluator ----------------------------------------------------------------

int EVC_initialize(tag_t curve, EVC_curve** evaluator) { return evcrvu(curve, evaluator); }
void EVC_free(EVC_curve* evaluator) { evcrvf(evaluator); }

void EVC_ask_curve_limits(const EVC_curve*, double limits[2]) {
  limits[0] = 0.0;
  limits[1] = 1.0;
}

namespace {
const std::vector<double>& pointsOf(const EVC_curve* evaluator) {
  static const std::vector<double> none;
  return evaluator != nullptr ? evaluator->points : none;
}
}  // namespace

void EVC_ask_closest_point(const EVC_curve* evaluator, const double point[3], int algorithm, double* parameter,
                           double closest[3]) {
  Host::Log("EVC_ask_closest_point", "algorithm=" + std::to_string(algorithm));
  const double t = POLYLINE_closest_parameter(pointsOf(evaluator), point);
  if (parameter != nullptr) *parameter = t;
  if (closest != nullptr) POLYLINE_evaluate(pointsOf(evaluator), t, closest, nullptr);
}

void EVC_evaluate(const EVC_curve* evaluator, double t, int derivatives, double point[3], double derivative[3]) {
  double tangent[3];
  POLYLINE_evaluate(pointsOf(evaluator), t, point, tangent);
  if (derivatives < 1 || derivative == nullptr) return;
  const double length = POLYLINE_length(pointsOf(evaluator));
  for (int k = 0; k < 3; ++k) derivative[k] = tangent[k] * length;
}

// ---- curve operations ----------------------------------------------------------------------

int GEN_ZVTPAD_curve_copy(tag_t curve, tag_t* copy) {
  Host::Log("GEN_ZVTPAD_curve_copy", "tag=" + std::to_string(curve));
  *copy = 0;
  const ES_curve* c = curveOf(curve);
  if (c == nullptr) return Geometry::kNoEntity;
  const std::vector<double> points = c->ask_points();
  *copy = ES_create_polyline(countOf(points), points.data());
  return 0;
}

int GEN_ZVTPAD_combine_curves(int count, const tag_t* curves, int option, double tolerance, tag_t* combined) {
  Host::Log("GEN_ZVTPAD_combine_curves", std::to_string(count) + " option=" + std::to_string(option));
  *combined = 0;
  std::vector<double> chain;
  for (int i = 0; i < count; ++i) {
    const ES_curve* c = curveOf(curves[i]);
    if (c == nullptr) return Geometry::kNoEntity;
    std::vector<double> piece = c->ask_points();
    if (piece.size() < 6) continue;
    if (!chain.empty()) {
      const double* end = &chain[chain.size() - 3];
      // A piece that meets the chain with its last point is walked backwards.
      if (distance(end, &piece[0]) > tolerance && distance(end, &piece[piece.size() - 3]) <= tolerance) {
        std::vector<double> reversed;
        for (std::size_t p = piece.size(); p >= 3; p -= 3) reversed.insert(reversed.end(), &piece[p - 3], &piece[p]);
        piece = std::move(reversed);
      }
      if (distance(end, &piece[0]) <= tolerance) piece.erase(piece.begin(), piece.begin() + 3);
    }
    chain.insert(chain.end(), piece.begin(), piece.end());
  }
  if (chain.size() < 6) return Geometry::kNoEntity;
  *combined = ES_create_polyline(countOf(chain), chain.data());
  return 0;
}

int DIEDES_UTILS__trim_profile(int mode, tag_t profile, tag_t startPlane, tag_t endPlane, double distanceTolerance,
                               double angleTolerance) {
  Host::Log("DIEDES_UTILS__trim_profile", "mode=" + std::to_string(mode) + " tag=" + std::to_string(profile) +
                                              " planes=" + std::to_string(startPlane) + "," +
                                              std::to_string(endPlane) + " tolerances=" +
                                              std::to_string(distanceTolerance) + "," + std::to_string(angleTolerance));
  auto* c = dynamic_cast<ES_curve*>(OM::OM_object_of_tag(profile));
  if (c == nullptr) return Geometry::kNoEntity;
  const std::vector<double> points = c->ask_points();
  auto cutAt = [&](tag_t plane, double otherwise) {
    const auto* p = dynamic_cast<const GEOM_entity*>(OM::OM_object_of_tag(plane));
    return p == nullptr ? otherwise : POLYLINE_closest_parameter(points, p->ask_origin());
  };
  double from = cutAt(startPlane, 0.0), to = cutAt(endPlane, 1.0);
  if (from > to) std::swap(from, to);
  // The kept stretch: its two cut points and the corners strictly between them.
  const double total = POLYLINE_length(points);
  std::vector<double> kept;
  double point[3];
  POLYLINE_evaluate(points, from, point, nullptr);
  kept.insert(kept.end(), point, point + 3);
  double walked = 0;
  for (std::size_t i = 3; i + 3 < points.size(); i += 3) {
    walked += distance(&points[i - 3], &points[i]);
    const double t = total > 0 ? walked / total : 0;
    if (t > from && t < to) kept.insert(kept.end(), &points[i], &points[i + 3]);
  }
  POLYLINE_evaluate(points, to, point, nullptr);
  kept.insert(kept.end(), point, point + 3);
  c->set_points(kept);
  return 0;
}

void SWEEP_ask_qd_endpoints(tag_t curve, double start[3], double end[3]) {
  std::fill(start, start + 3, 0.0);
  std::fill(end, end + 3, 0.0);
  const ES_curve* c = curveOf(curve);
  if (c == nullptr) return;
  const std::vector<double> points = c->ask_points();
  if (points.size() < 3) return;
  std::copy(points.begin(), points.begin() + 3, start);
  std::copy(points.end() - 3, points.end(), end);
}

void gt316(tag_t curve) { Host::Log("gt316", "tag=" + std::to_string(curve)); }

void MTX3_init_z(const double z[3], double matrix[9]) {
  double unit[3], length = 0;
  VEC3_unitize(z, 0.0, &length, unit);
  if (!(length > 0)) unit[0] = unit[1] = 0, unit[2] = 1;
  // x: an axis far from z with its part along z taken away; y = z cross x.
  double axis[3] = {1, 0, 0};
  if (std::fabs(unit[0]) > 0.9) axis[0] = 0, axis[1] = 1;
  const double along = axis[0] * unit[0] + axis[1] * unit[1] + axis[2] * unit[2];
  const double flat[3] = {axis[0] - along * unit[0], axis[1] - along * unit[1], axis[2] - along * unit[2]};
  double x[3];
  VEC3_unitize(flat, 0.0, &length, x);
  double y[3];
  Math::Cross(unit, x, y);
  for (int k = 0; k < 3; ++k) {
    matrix[k] = x[k];
    matrix[3 + k] = y[k];
    matrix[6 + k] = unit[k];
  }
}

void MTX3_init_y_z(const double y[3], const double z[3], double matrix[9]) {
  MTX3_init_z(z, matrix);
  const double* unit = matrix + 6;
  const double along = y[0] * unit[0] + y[1] * unit[1] + y[2] * unit[2];
  const double flat[3] = {y[0] - along * unit[0], y[1] - along * unit[1], y[2] - along * unit[2]};
  double yUnit[3], length = 0;
  VEC3_unitize(flat, 1.0e-12, &length, yUnit);
  if (!(length > 1.0e-12) || !(unit[0] != 0 || unit[1] != 0 || unit[2] != 0)) return;
  double x[3];
  Math::Cross(yUnit, unit, x);
  for (int k = 0; k < 3; ++k) {
    matrix[k] = x[k];
    matrix[3 + k] = yUnit[k];
  }
}

}  // namespace KTX
