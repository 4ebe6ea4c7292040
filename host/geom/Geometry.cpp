#include "geom/Geometry.hpp"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "feat/Builder.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Str.hpp"

namespace KTX {

int ES_point::ThisClassId = 0;
int ES_plane::ThisClassId = 0;
int ES_csys::ThisClassId = 0;
int DIRR_direction::ThisClassId = 0;
int ES_solid::ThisClassId = 0;
int ES_curve::ThisClassId = 0;
int ES_edge::ThisClassId = 0;

namespace {
struct GeometryClasses {
  GeometryClasses() {
    const char* tagged = OM::TaggedObject::OmClassName;
    Host::RegisterHostClass<ES_point>(tagged);
    Host::RegisterHostClass<ES_plane>(tagged);
    Host::RegisterHostClass<ES_csys>(tagged);
    Host::RegisterHostClass<DIRR_direction>(tagged);
    Host::RegisterHostClass<ES_solid>(tagged);
    Host::RegisterHostClass<ES_curve>(tagged);
    Host::RegisterHostClass<ES_edge>(ES_curve::OmClassName);
  }
} geometryClasses;

// The kernel bodies of a closing part's model bodies go with it: nothing
// else in the session can reach them once their objects are gone.
const struct PartBodies {
  PartBodies() {
    Host::OnPartDestroyed([](PART_part* gone) { Kernel::ReleaseModelBodies(Host::KeptInPart(gone)); });
  }
} partBodies;

const double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
const double kZero[3] = {0, 0, 0};

std::string v3(const double* v) {
  if (v == nullptr) return "(null)";
  char text[96];
  std::snprintf(text, sizeof text, "(%g,%g,%g)", v[0], v[1], v[2]);
  return text;
}

GEOM_entity* entityOf(tag_t tag) { return dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(tag)); }

template <class T>
T* entityAs(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

// The model body of each kernel body (the last made for it).
std::map<int, tag_t>& modelBodies() {
  static auto* m = new std::map<int, tag_t>;
  return *m;
}

bool scriptedFailure(const std::string& name) { return Host::Answer(name + ".fail", 0) != 0; }

template <class T>
tag_t makeEntity(PART_part* part, const double origin[3], const double matrix[9]) {
  if (part == nullptr) part = PART_ask_work_part();
  if (part == nullptr) return 0;
  // No entity stands at a place that is not finite, nor points that way.
  for (int k = 0; k < 3; ++k)
    if (origin != nullptr && !std::isfinite(origin[k])) return 0;
  for (int k = 0; k < 9; ++k)
    if (matrix != nullptr && !std::isfinite(matrix[k])) return 0;
  T* entity = Host::CreateInPart<T>(part);
  entity->set_frame(origin, matrix);
  return entity->OmTag();
}

// A frame whose third row is the direction: the first two rows complete it.
void frameAlong(const double direction[3], double matrix[9]) {
  double z[3] = {direction[0], direction[1], direction[2]};
  double n = std::sqrt(z[0] * z[0] + z[1] * z[1] + z[2] * z[2]);
  if (n > 0) {
    for (double& c : z) c /= n;
  } else {
    z[2] = 1;
  }
  double a[3] = {1, 0, 0};
  if (std::fabs(z[0]) > 0.9) a[0] = 0, a[1] = 1;
  // x := a - (a.z) z, normalised; y := z cross x.
  double d = a[0] * z[0] + a[1] * z[1] + a[2] * z[2];
  double x[3] = {a[0] - d * z[0], a[1] - d * z[1], a[2] - d * z[2]};
  double nx = std::sqrt(x[0] * x[0] + x[1] * x[1] + x[2] * x[2]);
  for (double& c : x) c /= nx;
  double y[3];
  Math::Cross(z, x, y);
  for (int i = 0; i < 3; ++i) {
    matrix[i] = x[i];
    matrix[3 + i] = y[i];
    matrix[6 + i] = z[i];
  }
}

void reverseFrame(double matrix[9]) {
  for (int i = 3; i < 9; ++i) matrix[i] = -matrix[i];
}

void copy(double* to, const double* from, int n) {
  if (to == nullptr) return;
  for (int i = 0; i < n; ++i) to[i] = from[i];
}

// Hands a frame to the caller's outputs, reversed when asked.
void giveFrame(const double origin[3], const double matrix[9], bool reverse, double outOrigin[3],
               double outMatrix[9], double* outVector) {
  double m[9];
  copy(m, matrix, 9);
  if (reverse) reverseFrame(m);
  copy(outOrigin, origin, 3);
  copy(outMatrix, m, 9);
  copy(outVector, m + 6, 3);
}
}  // namespace

// ---- entities -------------------------------------------------------------------

void GEOM_entity::ask_frame(double origin[3], double matrix[9]) const {
  copy(origin, origin_, 3);
  copy(matrix, matrix_, 9);
}

void GEOM_entity::set_frame(const double origin[3], const double matrix[9]) {
  OM::LogForWrite(this);
  copy(origin_, origin == nullptr ? kZero : origin, 3);
  copy(matrix_, matrix == nullptr ? kIdentity : matrix, 9);
}

void GEOM_entity::ask_direction(double direction[3]) const { copy(direction, matrix_ + 6, 3); }

void GEOM_entity::set_layer(int layer) {
  OM::LogForWrite(this);
  layer_ = layer;
}

void GEOM_entity::set_sleeping(bool sleeping) {
  OM::LogForWrite(this);
  sleeping_ = sleeping;
}

ES_solid* ES_solid::Make(PART_part* part, int kernelBody) {
  auto* body = Host::CreateInPart<ES_solid>(part);
  body->set_frame(kZero, kIdentity);
  body->kernelBody_ = kernelBody;
  if (kernelBody != 0) {
    modelBodies()[kernelBody] = body->OmTag();
    Kernel::AttachModelBody(body->OmTag(), kernelBody);
  }
  return body;
}

ES_solid* ES_solid::MakeOwning(PART_part* part, int kernelBody) {
  ES_solid* body = Make(part, kernelBody);
  body->ownsKernelBody_ = kernelBody != 0;
  return body;
}

ES_solid::~ES_solid() {
  if (!ownsKernelBody_ || !Kernel::IsBody(kernelBody_)) return;
  Kernel::DetachModelBody(OmTag());
  Kernel::DeleteBody(kernelBody_, "ES_solid");
}

void ES_solid::cascade_destroy() {
  if (kernelBody_ != 0) Kernel::DetachModelBody(OmTag());
  // The body's edges bound its faces only: they go with it.
  for (tag_t t : Host::KeptInPart(PART_ask_part_of_object(OmTag())))
    if (auto* edge = dynamic_cast<ES_edge*>(OM::OM_object_of_tag(t)); edge != nullptr && edge->ask_body() == OmTag())
      edge->destroy();
  GEOM_entity::cascade_destroy();
}

tag_t ES_create_point(const double point[3]) {
  Host::Log("ES_create_point", v3(point));
  if (scriptedFailure("ES_create_point")) return 0;
  return makeEntity<ES_point>(nullptr, point, kIdentity);
}

tag_t ES_create_plane(const double origin[3], const double matrix[9]) {
  Host::Log("ES_create_plane", v3(origin) + " z=" + v3(matrix == nullptr ? nullptr : matrix + 6));
  if (scriptedFailure("ES_create_plane")) return 0;
  return makeEntity<ES_plane>(nullptr, origin, matrix);
}

ES_curve::ES_curve(int classId, void* context) : GEOM_entity(classId, context), points_(new OM::DoubleVla(this)) {}
ES_curve::~ES_curve() { delete points_; }

int ES_curve::ask_point_count() const { return points_ == nullptr ? 0 : points_->Length() / 3; }

std::vector<double> ES_curve::ask_points() const {
  return points_ == nullptr ? std::vector<double>{} : points_->Items();
}

void ES_curve::set_points(const std::vector<double>& points) {
  if (points_ == nullptr || points.size() < 6) return;
  for (double v : points)
    if (!std::isfinite(v)) return;
  OM::OM__log(points_);
  points_->Items() = points;
  double origin[3], matrix[9];
  ask_frame(origin, matrix);
  set_frame(points.data(), matrix);
}

tag_t ES_create_edge(tag_t body, int count, const double* points) {
  Host::Log("ES_create_edge", "body=" + std::to_string(body) + " " + std::to_string(count));
  return ES_create_edge_in_part(nullptr, body, count, points);
}

tag_t ES_create_edge_in_part(PART_part* part, tag_t body, int count, const double* points) {
  if (count < 2 || points == nullptr) return 0;
  const tag_t tag = makeEntity<ES_edge>(part, points, kIdentity);
  auto* edge = entityAs<ES_edge>(tag);
  if (edge == nullptr) return 0;
  edge->body_ = body;
  edge->set_points(std::vector<double>(points, points + 3 * static_cast<std::size_t>(count)));
  return tag;
}

tag_t ES_create_polyline(int count, const double* points) { return ES_create_polyline_in_part(nullptr, count, points); }

tag_t ES_create_polyline_in_part(PART_part* part, int count, const double* points) {
  Host::Log("ES_create_polyline", std::to_string(count) + " " + v3(points));
  if (scriptedFailure("ES_create_polyline") || count < 2 || points == nullptr) return 0;
  // No curve runs through a point that is not finite.
  for (int i = 0; i < 3 * count; ++i)
    if (!std::isfinite(points[i])) return 0;
  double along[9];
  if (count == 2) {
    const double d[3] = {points[3] - points[0], points[4] - points[1], points[5] - points[2]};
    frameAlong(d, along);
  }
  const tag_t tag = makeEntity<ES_curve>(part, points, count == 2 ? along : kIdentity);
  auto* curve = entityAs<ES_curve>(tag);
  if (curve == nullptr) return 0;
  if (curve->points_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a curve");
  curve->points_->Items().assign(points, points + 3 * static_cast<std::size_t>(count));
  return tag;
}

int evcrvu(tag_t curve, EVC_curve** evaluator) {
  Host::Log("evcrvu", "tag=" + std::to_string(curve));
  if (evaluator == nullptr) return Geometry::kNoEntity;
  *evaluator = nullptr;
  const auto* entity = entityAs<ES_curve>(curve);
  if (entity == nullptr) return Geometry::kNoEntity;
  auto* made = new EVC_curve;
  if (made == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a curve evaluator");
  made->points = entity->ask_points();
  *evaluator = made;
  return 0;
}

bool DIE_ADD_curve_is_closed(const EVC_curve* evaluator, double distanceTolerance, double angleTolerance,
                             int option) {
  Host::Log("DIE_ADD_curve_is_closed", "tolerances=" + std::to_string(distanceTolerance) + "," +
                                           std::to_string(angleTolerance) + " option=" + std::to_string(option));
  if (evaluator == nullptr || evaluator->points.size() < 6) return false;
  const std::vector<double>& p = evaluator->points;
  const std::size_t last = p.size() - 3;
  const double dx = p[last] - p[0], dy = p[last + 1] - p[1], dz = p[last + 2] - p[2];
  return std::sqrt(dx * dx + dy * dy + dz * dz) <= distanceTolerance;
}

tag_t DIE_ADD_ask_tag_from_curve_geom(const EVC_curve* geometry, double tolerance) {
  Host::Log("DIE_ADD_ask_tag_from_curve_geom",
            "points=" + std::to_string(geometry == nullptr ? 0 : geometry->points.size() / 3) +
                " tol=" + std::to_string(tolerance));
  if (geometry == nullptr || geometry->points.size() < 6) return 0;
  return ES_create_polyline(static_cast<int>(geometry->points.size() / 3), geometry->points.data());
}

int RM_ask_entity_type(tag_t entity, int* type) {
  OM::Object* object = OM::OM_object_of_tag(entity);
  int found = dynamic_cast<ES_curve*>(object) != nullptr   ? 45
              : dynamic_cast<ES_point*>(object) != nullptr ? 2
              : dynamic_cast<ES_csys*>(object) != nullptr  ? 196
                                                           : 0;
  Host::Log("RM_ask_entity_type", "tag=" + std::to_string(entity) + " -> " + std::to_string(found));
  if (type != nullptr) *type = found;
  return object == nullptr ? Geometry::kNoEntity : 0;
}

void evcrvf(EVC_curve* evaluator) {
  Host::Log("evcrvf");
  delete evaluator;
}

tag_t ES_create_csys(const double origin[3], const double matrix[9]) {
  Host::Log("ES_create_csys", v3(origin) + " z=" + v3(matrix == nullptr ? nullptr : matrix + 6));
  if (scriptedFailure("ES_create_csys")) return 0;
  return makeEntity<ES_csys>(nullptr, origin, matrix);
}

tag_t DIRR_create_doubles(PART_part* part, int updateOption, const double point[3], const double direction[3]) {
  Host::Log("DIRR_create_doubles", "option=" + std::to_string(updateOption) + " " + v3(point) + " " + v3(direction));
  if (scriptedFailure("DIRR_create_doubles") || direction == nullptr) return 0;
  double matrix[9];
  frameAlong(direction, matrix);
  return makeEntity<DIRR_direction>(part, point, matrix);
}

bool DIRR_is_dirr(tag_t tag) { return entityAs<DIRR_direction>(tag) != nullptr; }

void DIRR_set_direction(tag_t dirr, const double direction[3]) {
  Host::Log("DIRR_set_direction", "tag=" + std::to_string(dirr) + " " + v3(direction));
  auto* entity = entityAs<DIRR_direction>(dirr);
  if (entity == nullptr || direction == nullptr)
    ERROR_raise(__FILE__, __LINE__, Geometry::kNoEntity, "tag %u is no direction entity", dirr);
  double origin[3], matrix[9];
  entity->ask_frame(origin, nullptr);
  frameAlong(direction, matrix);
  entity->set_frame(origin, matrix);
}

tag_t ES_create_solid(int kernelBody) {
  ES_solid* body = ES_solid::Make(nullptr, kernelBody);
  return body == nullptr ? 0 : body->OmTag();
}

tag_t ES_solid_of_kernel_body(int kernelBody) {
  auto it = modelBodies().find(kernelBody);
  if (it == modelBodies().end() || entityAs<ES_solid>(it->second) == nullptr) return 0;
  return it->second;
}

void RM_set_sleep_state(tag_t entity, int sleep) {
  Host::Log("RM_set_sleep_state", "tag=" + std::to_string(entity) + " " + std::to_string(sleep));
  if (GEOM_entity* e = entityOf(entity)) e->set_sleeping(sleep != 0);
}

// ---- work coordinate system ---------------------------------------------------------

void WCS_ask_origin(double origin[3]) {
  Host::Log("WCS_ask_origin");
  double matrix[9];
  if (PART_part* part = PART_ask_work_part())
    part->AskWcs(origin, matrix);
  else
    copy(origin, kZero, 3);
}

void WCS_ask_matrix(double matrix[9]) {
  Host::Log("WCS_ask_matrix");
  double origin[3];
  if (PART_part* part = PART_ask_work_part())
    part->AskWcs(origin, matrix);
  else
    copy(matrix, kIdentity, 9);
}

void WCS_set(const double origin[3], const double matrix[9]) {
  Host::Log("WCS_set", v3(origin));
  if (PART_part* part = PART_ask_work_part()) part->SetWcs(origin, matrix);
}

tag_t WCS_ask_tag() {
  static auto* made = new std::map<tag_t, tag_t>;
  PART_part* part = PART_ask_work_part();
  if (part == nullptr) return 0;
  double origin[3], matrix[9];
  part->AskWcs(origin, matrix);
  tag_t& csys = (*made)[part->OmTag()];
  // A tag of a system that went with an earlier part is not the work part's.
  if (dynamic_cast<ES_csys*>(OM::OM_object_of_tag(csys)) == nullptr || PART_ask_part_of_object(csys) != part)
    csys = ES_create_csys(origin, matrix);
  return csys;
}

// ---- die-design evaluation --------------------------------------------------------------

namespace {
// The plane and the direction are evaluated alike: one type stands for the
// stored coordinate system, the others for the selected object or the
// entity; points and solids give no frame.
bool evaluateFrame(const char* call, int type, int coordinateSystemType, int entityType, tag_t selected,
                   tag_t entityTag, bool reverse, const double origin[3], const double matrix[9], tag_t* tag,
                   double outOrigin[3], double outMatrix[9], double* outVector) {
  Host::Log(call, std::to_string(type) + " " + std::to_string(selected) + " " + std::to_string(entityTag) + " " +
                      std::to_string(reverse) + " " + v3(origin));
  if (tag != nullptr) *tag = 0;
  if (scriptedFailure(call)) return false;
  if (type == coordinateSystemType) {
    giveFrame(origin, matrix, reverse, outOrigin, outMatrix, outVector);
    return true;
  }
  tag_t source = type == 0 ? selected : type == entityType ? entityTag : 0;
  GEOM_entity* entity = entityOf(source);
  if (entity == nullptr || dynamic_cast<ES_point*>(entity) != nullptr || dynamic_cast<ES_solid*>(entity) != nullptr)
    return false;
  double o[3], m[9];
  entity->ask_frame(o, m);
  giveFrame(o, m, reverse, outOrigin, outMatrix, outVector);
  if (tag != nullptr) *tag = source;
  return true;
}
}  // namespace

bool DieDes_DieGenericPlane_GetTagAndDefinition(int type, tag_t selected, tag_t specified, bool reverse,
                                                const double origin[3], const double matrix[9], tag_t* tag,
                                                double outOrigin[3], double outMatrix[9], double* outVector) {
  // Plane types: 0 selection, 1 plane entity, 2 coordinate system.
  return evaluateFrame("DieDes_DieGenericPlane_GetTagAndDefinition", type, 2, 1, selected, specified, reverse,
                       origin, matrix, tag, outOrigin, outMatrix, outVector);
}

bool DieDes_DieGenericDirection_GetTagAndDefinition(int type, tag_t selected, tag_t vector, bool reverse,
                                                    const double origin[3], const double matrix[9], tag_t* tag,
                                                    double outOrigin[3], double outMatrix[9], double* outVector) {
  // Direction types: 0 selection, 1 coordinate system, 2 vector entity.
  return evaluateFrame("DieDes_DieGenericDirection_GetTagAndDefinition", type, 1, 2, selected, vector, reverse,
                       origin, matrix, tag, outOrigin, outMatrix, outVector);
}

bool DieDes_DieGenericLocation_GetTagAndDefinition(int type, tag_t selected, tag_t point, tag_t vector, tag_t plane,
                                                   const double origin[3], const double matrix[9], int mode,
                                                   tag_t* tag, double outPoint[3], double outMatrix[9],
                                                   double outDirection[3]) {
  Host::Log("DieDes_DieGenericLocation_GetTagAndDefinition",
            std::to_string(type) + " " + std::to_string(selected) + " " + std::to_string(point) + " " +
                std::to_string(vector) + " " + std::to_string(plane) + " " + v3(origin) + " " +
                std::to_string(mode));
  if (tag != nullptr) *tag = 0;
  if (scriptedFailure("DieDes_DieGenericLocation_GetTagAndDefinition")) return false;
  if (type == 2) {
    giveFrame(origin, matrix, false, outPoint, outMatrix, outDirection);
    return true;
  }
  tag_t source = type == 0 ? selected : type == 1 ? point : type == 3 ? vector : type == 4 ? plane : 0;
  GEOM_entity* entity = entityOf(source);
  if (entity == nullptr) return false;
  double o[3], m[9];
  entity->ask_frame(o, m);
  giveFrame(o, m, false, outPoint, outMatrix, outDirection);
  if (tag != nullptr && !entity->ask_sleeping()) *tag = source;
  return true;
}

int DIEDES_UTILS__get_pt_and_dir(tag_t entity, double point[3], double direction[3]) {
  Host::Log("DIEDES_UTILS__get_pt_and_dir", "tag=" + std::to_string(entity));
  GEOM_entity* e = entityOf(entity);
  if (e == nullptr) return Geometry::kNoEntity;
  copy(point, e->ask_origin(), 3);
  e->ask_direction(direction);
  return 0;
}

}  // namespace KTX

namespace KTX {

int ES_ask_csys_origin(tag_t csys, double origin[3]) {
  Host::Log("ES_ask_csys_origin", "tag=" + std::to_string(csys));
  const GEOM_entity* entity = entityOf(csys);
  if (entity == nullptr || origin == nullptr) return Geometry::kNoEntity;
  for (int i = 0; i < 3; ++i) origin[i] = entity->ask_origin()[i];
  return 0;
}

int ES_ask_coordinates_of_point(tag_t point, double coordinates[3]) {
  Host::Log("ES_ask_coordinates_of_point", "tag=" + std::to_string(point));
  const auto* entity = dynamic_cast<const ES_point*>(entityOf(point));
  if (entity == nullptr || coordinates == nullptr) return Geometry::kNoEntity;
  for (int i = 0; i < 3; ++i) coordinates[i] = entity->ask_origin()[i];
  return 0;
}

int ES_ask_matrix_tag_of_entity(tag_t entity, tag_t* matrix) {
  Host::Log("ES_ask_matrix_tag_of_entity", "tag=" + std::to_string(entity));
  if (matrix == nullptr) return Geometry::kNoEntity;
  *matrix = entityOf(entity) != nullptr ? entity : 0;
  return *matrix != 0 ? 0 : Geometry::kNoEntity;
}

int ES_ask_elements_of_matrix(tag_t matrix, double elements[9]) {
  const GEOM_entity* entity = entityOf(matrix);
  if (entity == nullptr || elements == nullptr) return Geometry::kNoEntity;
  double origin[3];
  entity->ask_frame(origin, elements);
  return 0;
}

void VEC3_unitize(const double v[3], double tolerance, double* magnitude, double unit[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (magnitude != nullptr) *magnitude = length;
  for (int i = 0; i < 3; ++i) unit[i] = length > tolerance ? v[i] / length : 0.0;
}

void DIEDES_KEY_derive_dirs(int location, const double baseNormal[3], const double frame[9], double direction[3],
                            double side[3]) {
  Host::Log("DIEDES_KEY_derive_dirs", "location=" + std::to_string(location) + " normal=" + v3(baseNormal));
  const double* axis = frame + (location == 2 || location == 3 ? 3 : 0);
  const double sign = location == 1 || location == 3 ? -1.0 : 1.0;
  const double along = axis[0] * baseNormal[0] + axis[1] * baseNormal[1] + axis[2] * baseNormal[2];
  double flat[3];
  for (int i = 0; i < 3; ++i) flat[i] = sign * (axis[i] - along * baseNormal[i]);
  double length = 0;
  VEC3_unitize(flat, 1e-10, &length, direction);
  double cross[3];
  Math::Cross(baseNormal, direction, cross);
  VEC3_unitize(cross, 1e-10, &length, side);
}

int INT_plane_object(const double point[3], const double normal[3], tag_t object, double tolerance, int* count,
                     INT_info** infos) {
  Host::Log("INT_plane_object", "tag=" + std::to_string(object) + " point=" + v3(point) + " normal=" + v3(normal));
  if (count == nullptr || infos == nullptr) return Geometry::kNoEntity;
  *count = 0;
  *infos = nullptr;
  const auto* curve = entityAs<ES_curve>(object);
  if (curve == nullptr) return Geometry::kNoEntity;
  const std::vector<double> p = curve->ask_points();
  const auto side = [&](std::size_t at) {
    return (p[at] - point[0]) * normal[0] + (p[at + 1] - point[1]) * normal[1] + (p[at + 2] - point[2]) * normal[2];
  };
  std::vector<INT_info> found;
  for (std::size_t at = 0; at + 5 < p.size(); at += 3) {
    const double a = side(at), b = side(at + 3);
    double t = -1;
    if (std::fabs(a) <= tolerance)
      t = 0;
    else if (std::fabs(b) <= tolerance)
      t = at + 6 >= p.size() ? 1 : -1;  // a segment's end is the next one's start
    else if ((a < 0) != (b < 0))
      t = a / (a - b);
    if (t < 0) continue;
    INT_info info{0, {}};
    for (int i = 0; i < 3; ++i) info.point[i] = p[at + static_cast<std::size_t>(i)] + t * (p[at + 3 + static_cast<std::size_t>(i)] - p[at + static_cast<std::size_t>(i)]);
    found.push_back(info);
  }
  if (found.empty()) return 0;
  *infos = static_cast<INT_info*>(SM_calloc(found.size(), sizeof(INT_info)));
  if (*infos == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for intersections");
  for (std::size_t i = 0; i < found.size(); ++i) (*infos)[i] = found[i];
  *count = static_cast<int>(found.size());
  return 0;
}

void INT_free_info(int, INT_info* infos) { SM_free(infos); }

// ---- entities of a part by type, their names and attributes ---------------------

namespace {
struct EntityLabel {
  std::string name;
  std::string title, value;
  bool hidden = false;
};
std::map<tag_t, EntityLabel>& labels() {
  static auto* kept = new std::map<tag_t, EntityLabel>;
  return *kept;
}

bool isOfType(tag_t tag, int type) {
  const OM::Object* object = OM::OM_object_of_tag(tag);
  switch (type) {
    case 2:
      return dynamic_cast<const ES_point*>(object) != nullptr;
    case 45:
      return dynamic_cast<const ES_curve*>(object) != nullptr;
    case 196:
      return dynamic_cast<const ES_csys*>(object) != nullptr;
    case 70:
      return dynamic_cast<const ES_solid*>(object) != nullptr || dynamic_cast<const ES_face*>(object) != nullptr ||
             dynamic_cast<const ES_edge*>(object) != nullptr;
    default:
      return false;
  }
}

tag_t entityOfTypeAfter(const PART_part* part, int type, tag_t after) {
  bool past = after == 0;
  for (tag_t kept : Host::KeptInPart(part)) {
    if (!past) {
      past = kept == after;
      continue;
    }
    if (isOfType(kept, type)) return kept;
  }
  return 0;
}
}  // namespace

tag_t RM_cycle_entities_by_type(const PART_part* part, int type) {
  Host::Log("RM_cycle_entities_by_type", "type=" + std::to_string(type));
  return entityOfTypeAfter(part, type, 0);
}

tag_t RM_next_entity_of_type(const PART_part* part, int type, tag_t entity) {
  Host::Log("RM_next_entity_of_type", "type=" + std::to_string(type) + " after=" + std::to_string(entity));
  return entity == 0 ? 0 : entityOfTypeAfter(part, type, entity);
}

PART_part* PART_ask_rm_part_of_part(PART_part* part) { return part; }

void SetEntityName(tag_t entity, const char* name) { labels()[entity].name = name != nullptr ? name : ""; }

void SetEntityAttribute(tag_t entity, const char* title, const char* value, bool hidden) {
  EntityLabel& label = labels()[entity];
  label.title = title != nullptr ? title : "";
  label.value = value != nullptr ? value : "";
  label.hidden = hidden;
}

bool DieDesUtilsHasAttribute(tag_t entity, int attributeType, bool allowHidden, const char* name, const char* title,
                             const char* value) {
  Host::Log("DieDesUtilsHasAttribute", "tag=" + std::to_string(entity) + " type=" + std::to_string(attributeType) +
                                           " hidden=" + std::to_string(allowHidden));
  auto it = labels().find(entity);
  if (it == labels().end() || OM::OM_object_of_tag(entity) == nullptr) return false;
  const EntityLabel& label = it->second;
  if (name != nullptr && name[0] != '\0' && !label.name.empty() && STR_compare_i(name, label.name.c_str()) == 0)
    return true;
  if (title == nullptr || title[0] == '\0' || value == nullptr || value[0] == '\0') return false;
  if (label.hidden && !allowHidden) return false;
  return label.title == title && label.value == value;
}

// ---- copying onto the work layer ---------------------------------------------------

namespace {
int copyDepth = 0;
}  // namespace

void ES_begin_copy_to_layer() {
  Host::Log("ES_begin_copy_to_layer");
  ++copyDepth;
}

tag_t ES_copy_entity_onto_layer(tag_t entity, int layer) {
  Host::Log("ES_copy_entity_onto_layer", "tag=" + std::to_string(entity) + " layer=" + std::to_string(layer));
  const GEOM_entity* source = entityOf(entity);
  if (source == nullptr) return 0;
  double origin[3], matrix[9];
  source->ask_frame(origin, matrix);
  if (const auto* curve = dynamic_cast<const ES_curve*>(source)) {
    const std::vector<double> points = curve->ask_points();
    return ES_create_polyline(static_cast<int>(points.size() / 3), points.data());
  }
  if (dynamic_cast<const ES_csys*>(source) != nullptr) return makeEntity<ES_csys>(nullptr, origin, matrix);
  if (dynamic_cast<const ES_plane*>(source) != nullptr) return makeEntity<ES_plane>(nullptr, origin, matrix);
  if (dynamic_cast<const DIRR_direction*>(source) != nullptr)
    return makeEntity<DIRR_direction>(nullptr, origin, matrix);
  return makeEntity<ES_point>(nullptr, origin, matrix);
}

void ES_end_copy_to_layer_normal() {
  Host::Log("ES_end_copy_to_layer_normal");
  if (copyDepth > 0) --copyDepth;
}

void ES_end_copy_to_layer_upon_error() {
  Host::Log("ES_end_copy_to_layer_upon_error");
  if (copyDepth > 0) --copyDepth;
}

}  // namespace KTX
