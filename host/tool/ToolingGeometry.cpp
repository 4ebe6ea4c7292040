#include "tool/ToolingGeometry.hpp"

#include <cmath>
#include <cstring>
#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "afl/DieEngParms.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "om/HostClass.hpp"
#include "tool/Tooling.hpp"
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

std::set<std::pair<tag_t, tag_t>>& withoutMinimum() {
  static auto* pairs = new std::set<std::pair<tag_t, tag_t>>;
  return *pairs;
}

std::map<tag_t, std::vector<tag_t>>& topFaces() {
  static auto* faces = new std::map<tag_t, std::vector<tag_t>>;
  return *faces;
}

// A scalar value the modelling calls take their parameters from.
class SCALAR_scalar : public OM::TaggedObject {
  KTX_HOST_OBJECT(SCALAR_scalar, "KTX::SCALAR_scalar")
 public:
  double value;

 protected:
  SCALAR_scalar(int classId, void* context) : OM::TaggedObject(classId, context) {}
};
int SCALAR_scalar::ThisClassId = 0;
struct ScalarClass {
  ScalarClass() { Host::RegisterHostClass<SCALAR_scalar>(OM::TaggedObject::OmClassName); }
} scalarClass;

std::string v3(const double* v) { return std::to_string(v[0]) + "," + std::to_string(v[1]) + "," + std::to_string(v[2]); }

// The points by which an object is measured: of a curve its points, of a face
// the corners of its unit square, of another entity its origin.
std::vector<double> measuredPoints(tag_t object) {
  OM::Object* found = OM::OM_object_of_tag(object);
  if (const auto* curve = dynamic_cast<const ES_curve*>(found)) return curve->ask_points();
  if (dynamic_cast<const ES_face*>(found) != nullptr) {
    std::vector<double> corners;
    const double at[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (const auto& uv : at) {
      double point[3], normal[3];
      MODL_ask_face_props(object, uv, point, normal);
      corners.insert(corners.end(), point, point + 3);
    }
    return corners;
  }
  // A body with faces by the corners of its faces: how far a sheet lies is
  // where its faces are, not where its frame stands.
  if (dynamic_cast<const ES_solid*>(found) != nullptr) {
    int count = 0;
    tag_t* faces = nullptr;
    ES_body_ask_faces(object, &count, &faces);
    const std::vector<tag_t> held(faces, faces + count);
    SM_free(faces);
    std::vector<double> corners;
    for (tag_t face : held) {
      const std::vector<double> more = measuredPoints(face);
      corners.insert(corners.end(), more.begin(), more.end());
    }
    if (!corners.empty()) return corners;
  }
  if (const auto* entity = dynamic_cast<const GEOM_entity*>(found))
    return std::vector<double>(entity->ask_origin(), entity->ask_origin() + 3);
  ERROR_raise(__FILE__, __LINE__, Geometry::kNoEntity, "tag %u is nothing to measure", object);
}

// A plane is measured as the whole plane: each point of the other object
// against its foot on the plane. The nearest is 0 where the points lie on
// both sides (between the first two, in order, that do).
bool measureAgainstPlane(const ES_plane* plane, const std::vector<double>& q, bool maximum, double onPlane[3],
                         double onOther[3]) {
  double origin[3], matrix[9];
  plane->ask_frame(origin, matrix);
  const double* n = matrix + 6;
  const double nn = n[0] * n[0] + n[1] * n[1] + n[2] * n[2];
  if (nn == 0.0 || q.empty()) return false;
  auto height = [&](std::size_t i) {
    return ((q[i] - origin[0]) * n[0] + (q[i + 1] - origin[1]) * n[1] + (q[i + 2] - origin[2]) * n[2]) / nn;
  };
  std::size_t best = 0;
  for (std::size_t i = 0; i < q.size(); i += 3) {
    const double h = height(i);
    if (maximum ? std::fabs(h) > std::fabs(height(best)) : std::fabs(h) < std::fabs(height(best))) best = i;
    if (!maximum && i > 0 && (h > 0.0) != (height(i - 3) > 0.0) && h != 0.0 && height(i - 3) != 0.0) {
      const double t = height(i - 3) / (height(i - 3) - h);
      for (int k = 0; k < 3; ++k) onOther[k] = onPlane[k] = q[i - 3 + k] + t * (q[i + k] - q[i - 3 + k]);
      return true;
    }
  }
  const double h = height(best);
  for (int k = 0; k < 3; ++k) {
    onOther[k] = q[best + k];
    onPlane[k] = q[best + k] - h * n[k];
  }
  return true;
}

// Whether the pair was scripted: its points given, or its raise raised.
bool scriptedPoints(tag_t first, tag_t second, double a[3], double b[3]) {
  auto it = scripted().find({first, second});
  if (it == scripted().end()) return false;
  if (it->second.raise != 0) ERROR_raise(__FILE__, __LINE__, it->second.raise, "the measurement failed");
  std::memcpy(a, it->second.a, sizeof it->second.a);
  std::memcpy(b, it->second.b, sizeof it->second.b);
  return true;
}

void measured(tag_t first, tag_t second, bool maximum, double a[3], double b[3]) {
  if (scriptedPoints(first, second, a, b)) return;
  const auto* firstPlane = dynamic_cast<const ES_plane*>(OM::OM_object_of_tag(first));
  const auto* secondPlane = dynamic_cast<const ES_plane*>(OM::OM_object_of_tag(second));
  if (firstPlane != nullptr && measureAgainstPlane(firstPlane, measuredPoints(second), maximum, a, b)) return;
  if (secondPlane != nullptr && measureAgainstPlane(secondPlane, measuredPoints(first), maximum, b, a)) return;
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

void measure(const char* name, tag_t first, tag_t second, bool maximum, double a[3], double b[3]) {
  Host::Log(name, std::to_string(first) + " " + std::to_string(second));
  measured(first, second, maximum, a, b);
}

std::vector<int> kernelTopFaces(const FEATURE_RECORD* frec) {
  std::vector<int> out;
  if (auto it = topFaces().find(frec->OmTag()); it != topFaces().end()) {
    for (tag_t face : it->second)
      if (const int kernelFace = ES_solid_ask_solvane_tag(face); kernelFace != 0) out.push_back(kernelFace);
    return out;
  }
  const auto* body = dynamic_cast<const ES_solid*>(OM::OM_object_of_tag(frec->ask_body_eid()));
  int count = 0;
  int* faces = nullptr;
  if (body == nullptr || ZV_BODY_ask_faces(body->ask_kernel_body(), &count, &faces) != 0) return out;
  out.assign(faces, faces + count);
  SM_free(faces);
  return out;
}

template <class T>
T* copyOut(const std::vector<T>& items, int* count) {
  *count = 0;
  if (items.empty()) return nullptr;
  auto* out = static_cast<T*>(SM_alloc(items.size() * sizeof(T)));
  if (out == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu faces", items.size());
  std::copy(items.begin(), items.end(), out);
  *count = static_cast<int>(items.size());
  return out;
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

int MIN_object_object(tag_t first, tag_t second, double tolerance, MIN_result_t* result) {
  Host::Log("MIN_object_object", std::to_string(first) + " " + std::to_string(second) +
                                     " tolerance=" + std::to_string(tolerance));
  *result = MIN_result_t{};
  if (withoutMinimum().count({first, second}) != 0) return 0;
  measured(first, second, false, result->first, result->second);
  result->n_results = 1;
  result->distance[0] = std::hypot(result->first[0] - result->second[0], result->first[1] - result->second[1],
                                   result->first[2] - result->second[2]);
  return 0;
}

int FREC_ask_top_faces(tag_t frec, int* count, int** faces) {
  Host::Log("FREC_ask_top_faces", "tag=" + std::to_string(frec));
  *count = 0;
  *faces = nullptr;
  const auto* feature = dynamic_cast<const FEATURE_RECORD*>(OM::OM_object_of_tag(frec));
  if (feature == nullptr) return kNotAFeature;
  *faces = copyOut(kernelTopFaces(feature), count);
  return 0;
}

int TOOLING_get_feat_faces(tag_t frec, int* count, tag_t** faces) {
  Host::Log("TOOLING_get_feat_faces", "tag=" + std::to_string(frec));
  *count = 0;
  *faces = nullptr;
  const auto* feature = dynamic_cast<const FEATURE_RECORD*>(OM::OM_object_of_tag(frec));
  if (feature == nullptr) return kNotAFeature;
  std::vector<tag_t> model;
  for (int face : kernelTopFaces(feature))
    if (const tag_t eid = ES_ask_eid_of_kernel_entity(face); eid != 0) model.push_back(eid);
  *faces = copyOut(model, count);
  return 0;
}

tag_t SCALAR_create_double(double value) {
  Host::Log("SCALAR_create_double", std::to_string(value));
  PART_part* part = PART_ask_work_part();
  if (part == nullptr) return 0;
  auto* scalar = Host::CreateInPart<SCALAR_scalar>(part);
  scalar->value = value;
  return scalar->OmTag();
}

double SCALAR_ask_value(tag_t scalar) {
  const auto* s = dynamic_cast<const SCALAR_scalar*>(OM::OM_object_of_tag(scalar));
  return s != nullptr ? s->value : 0.0;
}

tag_t POINT_create_on_surface(tag_t face, tag_t u, tag_t v) {
  Host::Log("POINT_create_on_surface", std::to_string(face) + " " + std::to_string(u) + " " + std::to_string(v));
  const bool scalars = dynamic_cast<const SCALAR_scalar*>(OM::OM_object_of_tag(u)) != nullptr &&
                       dynamic_cast<const SCALAR_scalar*>(OM::OM_object_of_tag(v)) != nullptr;
  const double at[2] = {SCALAR_ask_value(u), SCALAR_ask_value(v)};
  double point[3], normal[3];
  if (!scalars || MODL_ask_face_props(face, at, point, normal) != 0) return 0;
  return ES_create_point(point);
}

int TOOLING_add_pmi_label(int lineCount, const char* const* lines, const double origin[3], tag_t point, int kind,
                          double size) {
  std::string text;
  for (int i = 0; lines != nullptr && i < lineCount; ++i) text += std::string(i > 0 ? "|" : "") + (lines[i] ? lines[i] : "");
  Host::Log("TOOLING_add_pmi_label", "\"" + text + "\" origin=" + v3(origin) + " point=" + std::to_string(point) +
                                         " kind=" + std::to_string(kind) + " size=" + std::to_string(size));
  return lineCount < 1 || lines == nullptr || point == 0 ? 3030591 : 0;
}

namespace {

// The points an object is bounded by.
void boundingPoints(tag_t object, std::vector<double>* points) {
  OM::Object* found = OM::OM_object_of_tag(object);
  if (auto* feature = dynamic_cast<FEATURE_RECORD*>(found)) return boundingPoints(feature->ask_body_eid(), points);
  if (dynamic_cast<ES_solid*>(found) != nullptr) {
    int count = 0;
    tag_t* faces = nullptr;
    ES_body_ask_faces(object, &count, &faces);
    const std::vector<tag_t> all(faces, faces + count);
    SM_free(faces);
    for (tag_t face : all) boundingPoints(face, points);
    return;
  }
  if (const auto* curve = dynamic_cast<const ES_curve*>(found)) {
    const std::vector<double> p = curve->ask_points();
    points->insert(points->end(), p.begin(), p.end());
    return;
  }
  const auto* entity = dynamic_cast<const GEOM_entity*>(found);
  if (entity == nullptr) return;
  if (dynamic_cast<const ES_face*>(found) == nullptr) {
    points->insert(points->end(), entity->ask_origin(), entity->ask_origin() + 3);
    return;
  }
  double origin[3], matrix[9];
  entity->ask_frame(origin, matrix);
  for (int corner = 0; corner < 4; ++corner)
    for (int k = 0; k < 3; ++k) points->push_back(origin[k] + (corner & 1) * matrix[k] + (corner >> 1) * matrix[3 + k]);
}

// Whether any of the faces lies on a body with geometry.
bool onGeometry(int count, const tag_t* faces) {
  for (int i = 0; faces != nullptr && i < count; ++i) {
    const tag_t body = ES_solid_ask_body(faces[i]);
    const auto* solid = dynamic_cast<const ES_solid*>(OM::OM_object_of_tag(body != 0 ? body : faces[i]));
    if (solid != nullptr && Kernel::HasGeometry(solid->ask_kernel_body())) return true;
  }
  return false;
}

// The six faces of the grown box, at the work coordinate system, looking out:
// a real box sheet round faces of bodies with geometry.
tag_t boxSheet(const double box[6], const double offsets[6], bool real) {
  double origin[3], matrix[9];
  WCS_ask_origin(origin);
  WCS_ask_matrix(matrix);
  double lo[3], hi[3];
  for (int k = 0; k < 3; ++k) {
    lo[k] = box[k] - offsets[2 * k];
    hi[k] = box[3 + k] + offsets[2 * k + 1];
  }
  if (real) {
    const double toKernel = Kernel::ScaleFactors().factors[0];
    const double at[3] = {origin[0] * toKernel, origin[1] * toKernel, origin[2] * toKernel};
    const double low[3] = {lo[0] * toKernel, lo[1] * toKernel, lo[2] * toKernel};
    const double high[3] = {hi[0] * toKernel, hi[1] * toKernel, hi[2] * toKernel};
    int sheet = 0;
    if (Kernel::MakeBoxSheet(at, matrix, low, high, &sheet) == 0) return ES_create_body_of_geometry(nullptr, sheet);
  }
  std::vector<FaceFrame> faces;
  for (int a = 0; a < 3; ++a)
    for (int side = 0; side < 2; ++side) {
      const int u = (a + 1) % 3, v = (a + 2) % 3;
      double corner[3] = {lo[0], lo[1], lo[2]};
      corner[a] = side == 0 ? lo[a] : hi[a];
      FaceFrame face{};
      for (int k = 0; k < 3; ++k) {
        face.origin[k] = origin[k] + corner[0] * matrix[k] + corner[1] * matrix[3 + k] + corner[2] * matrix[6 + k];
        face.matrix[k] = (hi[u] - lo[u]) * matrix[3 * u + k];
        face.matrix[3 + k] = (hi[v] - lo[v]) * matrix[3 * v + k];
        face.matrix[6 + k] = (side == 0 ? -1.0 : 1.0) * matrix[3 * a + k];
      }
      faces.push_back(face);
    }
  return ES_create_body_with_faces(nullptr, true, faces);
}

void destroyWithFaces(tag_t body) {
  int count = 0;
  tag_t* faces = nullptr;
  ES_body_ask_faces(body, &count, &faces);
  const std::vector<tag_t> all(faces, faces + count);
  SM_free(faces);
  for (tag_t face : all) static_cast<OM::TaggedObject*>(OM::OM_object_of_tag(face))->destroy();
  if (auto* solid = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(body))) solid->destroy();
}

std::string realsText(const double* values, int count) {
  std::string text;
  for (int i = 0; values != nullptr && i < count; ++i) text += (i == 0 ? "" : ",") + std::to_string(values[i]);
  return text;
}

}  // namespace

int BOUNDBOX_ask_bounding_box_aligned_wcs(int count, const tag_t* objects, double box[6]) {
  Host::Log("BOUNDBOX_ask_bounding_box_aligned_wcs", "count=" + std::to_string(count));
  std::vector<double> points;
  for (int i = 0; objects != nullptr && i < count; ++i) boundingPoints(objects[i], &points);
  if (points.empty()) return Geometry::kNoEntity;
  double origin[3], matrix[9];
  WCS_ask_origin(origin);
  WCS_ask_matrix(matrix);
  for (int k = 0; k < 3; ++k) {
    box[k] = HUGE_VAL;
    box[3 + k] = -HUGE_VAL;
  }
  for (std::size_t i = 0; i < points.size(); i += 3)
    for (int k = 0; k < 3; ++k) {
      double local = 0.0;
      for (int j = 0; j < 3; ++j) local += (points[i + j] - origin[j]) * matrix[3 * k + j];
      box[k] = std::min(box[k], local);
      box[3 + k] = std::max(box[3 + k], local);
    }
  return 0;
}

int EW_create_frec_by_face(const char* name, const double box[6], const double offsets[6], int count,
                           const tag_t* faces, FACE_REFERENCE**, tag_t* feature) {
  Host::Log("EW_create_frec_by_face", std::string("\"") + (name != nullptr ? name : "") + "\" box=" +
                                          realsText(box, 6) + " offsets=" + realsText(offsets, 6) +
                                          " faces=" + std::to_string(count));
  *feature = 0;
  if (const auto failure = static_cast<int>(Host::Answer("EW_create_frec_by_face", 0)); failure != 0) return failure;
  if (count < 1 || faces == nullptr || box == nullptr || offsets == nullptr) return Geometry::kNoEntity;
  FEATURE_RECORD* made = FEATURE_RECORD::Create(nullptr, nullptr);
  made->set_body_eid(boxSheet(box, offsets, onGeometry(count, faces)));
  *feature = made->OmTag();
  return 0;
}

int EW_edit_faces_bound_box(tag_t feature, const double offsets[6], int count, const tag_t* faces,
                            FACE_REFERENCE**) {
  Host::Log("EW_edit_faces_bound_box", "feature=" + std::to_string(feature) + " offsets=" + realsText(offsets, 6) +
                                           " faces=" + std::to_string(count));
  if (const auto failure = static_cast<int>(Host::Answer("EW_edit_faces_bound_box", 0)); failure != 0) return failure;
  auto* found = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
  if (found == nullptr) return kNotAFeature;
  double box[6];
  if (count < 1 || faces == nullptr || offsets == nullptr || BOUNDBOX_ask_bounding_box_aligned_wcs(count, faces, box) != 0)
    return Geometry::kNoEntity;
  const tag_t old = found->ask_body_eid();
  found->set_body_eid(boxSheet(box, offsets, onGeometry(count, faces)));
  destroyWithFaces(old);
  return 0;
}

int FREC_ask_brefs(tag_t feature, int* count, tag_t** references) {
  *count = 0;
  *references = nullptr;
  auto* found = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
  if (found == nullptr) return kNotAFeature;
  if (found->ask_body_eid() == 0) return 0;
  const tag_t reference = BREF_ask_bref_of_eidbody(found->ask_body_eid());
  *references = static_cast<tag_t*>(SM_alloc(sizeof(tag_t)));
  if (*references == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a reference");
  **references = reference;
  *count = 1;
  return 0;
}

tag_t FREC_ask_root_frec_of_body(tag_t body) {
  Host::Log("FREC_ask_root_frec_of_body", "tag=" + std::to_string(body));
  if (body == 0) return 0;
  for (tag_t t : Host::KeptInPart(PART_ask_part_of_object(body)))
    if (auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t));
        feature != nullptr && feature->ask_body_eid() == body)
      return t;
  return 0;
}

namespace Host {
void ScriptTopFaces(tag_t frec, const std::vector<tag_t>& faces) { topFaces()[frec] = faces; }
void ScriptNoMinimum(tag_t first, tag_t second) { withoutMinimum().insert({first, second}); }
void ScriptMeasurement(tag_t first, tag_t second, const double a[3], const double b[3], int raise) {
  Scripted s{{a[0], a[1], a[2]}, {b[0], b[1], b[2]}, raise};
  scripted()[{first, second}] = s;
}
void ClearMeasurements() {
  scripted().clear();
  withoutMinimum().clear();
  topFaces().clear();
}
}  // namespace Host

}  // namespace KTX
