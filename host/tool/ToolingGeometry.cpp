#include "tool/ToolingGeometry.hpp"

#include <cmath>
#include <cstring>
#include <map>
#include <string>
#include <utility>

#include "geom/Faces.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

namespace {

struct Scripted {
  double a[3], b[3];
  int raise;
};
std::map<std::pair<tag_t, tag_t>, Scripted>& scripted() {
  static auto* pairs = new std::map<std::pair<tag_t, tag_t>, Scripted>;
  return *pairs;
}

// The points by which an object is measured.
std::vector<double> measuredPoints(tag_t object) {
  OM::Object* found = OM::OM_object_of_tag(object);
  if (const auto* curve = dynamic_cast<const ES_curve*>(found)) return curve->ask_points();
  if (const auto* entity = dynamic_cast<const GEOM_entity*>(found))
    return std::vector<double>(entity->ask_origin(), entity->ask_origin() + 3);
  ERROR_raise(__FILE__, __LINE__, Geometry::kNoEntity, "tag %u is nothing to measure", object);
}

void measure(const char* name, tag_t first, tag_t second, bool maximum, double a[3], double b[3]) {
  Host::Log(name, std::to_string(first) + " " + std::to_string(second));
  if (auto it = scripted().find({first, second}); it != scripted().end()) {
    if (it->second.raise != 0) ERROR_raise(__FILE__, __LINE__, it->second.raise, "the measurement failed");
    std::memcpy(a, it->second.a, sizeof it->second.a);
    std::memcpy(b, it->second.b, sizeof it->second.b);
    return;
  }
  const std::vector<double> p = measuredPoints(first), q = measuredPoints(second);
  double best = maximum ? -1.0 : HUGE_VAL;
  for (std::size_t i = 0; i < p.size(); i += 3)
    for (std::size_t j = 0; j < q.size(); j += 3) {
      const double d = std::hypot(p[i] - q[j], p[i + 1] - q[j + 1], p[i + 2] - q[j + 2]);
      if (maximum ? d <= best : d >= best) continue;
      best = d;
      std::memcpy(a, &p[i], 3 * sizeof(double));
      std::memcpy(b, &q[j], 3 * sizeof(double));
    }
}

}  // namespace

int ES_body_ask_faces(tag_t body, int* count, tag_t** faces) {
  *count = 0;
  *faces = nullptr;
  if (dynamic_cast<ES_solid*>(OM::OM_object_of_tag(body)) == nullptr) return Geometry::kNoEntity;
  std::vector<tag_t> found;
  for (tag_t t : Host::KeptInPart(PART_ask_part_of_object(body)))
    if (ES_solid_ask_body(t) == body) found.push_back(t);
  if (found.empty()) return 0;
  *faces = static_cast<tag_t*>(SM_alloc(found.size() * sizeof(tag_t)));
  if (*faces == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu faces", found.size());
  std::memcpy(*faces, found.data(), found.size() * sizeof(tag_t));
  *count = static_cast<int>(found.size());
  return 0;
}

int MODL_ask_face_props(tag_t face, const double parameters[2], double point[3], double normal[3]) {
  const auto* f = dynamic_cast<const ES_face*>(OM::OM_object_of_tag(face));
  if (f == nullptr) return Geometry::kNoEntity;
  double origin[3], matrix[9];
  f->ask_frame(origin, matrix);
  for (int i = 0; i < 3; ++i) {
    point[i] = origin[i] + parameters[0] * matrix[i] + parameters[1] * matrix[3 + i];
    normal[i] = matrix[6 + i];
  }
  return 0;
}

int CRV_ask_curve_on_plane(tag_t curve, const double origin[3], const double normal[3], double tolerance) {
  Host::Log("CRV_ask_curve_on_plane", "tag=" + std::to_string(curve) + " tolerance=" + std::to_string(tolerance));
  const auto* c = dynamic_cast<const ES_curve*>(OM::OM_object_of_tag(curve));
  const double length = std::hypot(normal[0], normal[1], normal[2]);
  if (c == nullptr || length == 0.0) return 0;
  const std::vector<double> p = c->ask_points();
  for (std::size_t i = 0; i < p.size(); i += 3) {
    const double h =
        ((p[i] - origin[0]) * normal[0] + (p[i + 1] - origin[1]) * normal[1] + (p[i + 2] - origin[2]) * normal[2]) /
        length;
    if (std::fabs(h) > tolerance) return 0;
  }
  return 1;
}

void JAUTL_SINGLE_MEASURE_ask_minimum_dist(tag_t first, tag_t second, double a[3], double b[3]) {
  measure("JAUTL_SINGLE_MEASURE_ask_minimum_dist", first, second, false, a, b);
}

void JAUTL_SINGLE_MEASURE_ask_maximum_dist(tag_t first, tag_t second, double a[3], double b[3]) {
  measure("JAUTL_SINGLE_MEASURE_ask_maximum_dist", first, second, true, a, b);
}

namespace Host {
void ScriptMeasurement(tag_t first, tag_t second, const double a[3], const double b[3], int raise) {
  Scripted s{{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, raise};
  scripted()[{first, second}] = s;
}
void ClearMeasurements() { scripted().clear(); }
}  // namespace Host

}  // namespace KTX
