#include "geom/Curve.hpp"

#include <algorithm>
#include <cmath>
#include <string>

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

}  // namespace KTX
