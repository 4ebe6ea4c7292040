// The draw punch's modelling operations that gather, find and retire the
// features of a tooling feature set, and fill and read sections: the small
// steps both tooling pipelines are made of (the draw die reaches them through
// the punch it owns). They keep no state of their own.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Sketch.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingGeometry.hpp"

namespace KTX::Tooling {

namespace {

constexpr int kMissingInput = 3030591;  // no input to work on
constexpr const char* kSource = "Tooling_DieDesDrawPunchBuilder";

tag_t* copyTags(const std::vector<tag_t>& tags) {
  if (tags.empty()) return nullptr;
  auto* out = static_cast<tag_t*>(SM_alloc(tags.size() * sizeof(tag_t)));
  if (out == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu tags", tags.size());
  std::copy(tags.begin(), tags.end(), out);
  return out;
}

}  // namespace

int DieDesDrawPunchBuilder::ConvertCurvesToSCsection(int curveCount, const tag_t* curves, int edgeCount,
                                                     const tag_t* edges, SC_section** section) {
  if (section == nullptr) return kMissingInput;
  if (*section == nullptr) {
    // Chaining below the distance tolerance, as every section the tooling makes.
    const double distance = TOLER_ask_distance_tol();
    *section = SC_sectionFactory::object(0, 0.95 * distance, distance, TOLER_ask_angular_tol());
  }
  if (curveCount < 0 || edgeCount < 0 || (curveCount == 0 && edgeCount == 0)) return kMissingInput;
  std::vector<int> kinds;
  std::vector<SC_input_data*> data;
  auto addRule = [&](int kind, int count, const tag_t* tags) {
    if (count == 0) return;
    SC_input_data* rule = SC_init_input_data(kind);
    data.push_back(rule);
    kinds.push_back(kind);
    if (tags != nullptr) rule->entities.assign(tags, tags + count);
  };
  int status = 0;
  try {
    addRule(SC_section::kCurveRule, curveCount, curves);
    addRule(SC_section::kEdgeRule, edgeCount, edges);
    status = (*section)->add_rules(static_cast<int>(kinds.size()), kinds.data(), data.data(), 0, 0, 0, 0, true);
  } catch (...) {
    for (SC_input_data* rule : data) SC_free_input_data(rule);
    throw;
  }
  for (SC_input_data* rule : data) SC_free_input_data(rule);
  return status;
}

int DieDesDrawPunchBuilder::RemoveAllRules(SC_section* section) {
  if (section == nullptr) return 0;
  const int count = static_cast<int>(section->ask_rules_data().size());
  if (count == 0) return 0;
  std::vector<int> all(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) all[static_cast<std::size_t>(i)] = i;
  return section->remove_rules(count, all.data());
}

int DieDesDrawPunchBuilder::AskSCEntities(tag_t object, int* count, tag_t** tags) {
  *count = 0;
  *tags = nullptr;
  if (object == 0) return -1;
  OM::Object* found = OM::OM_object_of_tag(object);
  if (const auto* section = dynamic_cast<const SC_section*>(found)) {
    // A section made of rules gives their entities; one made of loops its curves.
    std::vector<tag_t> entities = section->ask_rule_entities();
    if (entities.empty())
      for (int i = 0; i < section->ask_count(); ++i) entities.push_back(section->ask_nth(i));
    *tags = copyTags(entities);
    *count = static_cast<int>(entities.size());
    return 0;
  }
  if (const auto* collector = dynamic_cast<const SC_collector*>(found)) {
    std::vector<tag_t> entities;
    for (int i = 0; i < collector->ask_count(); ++i) {
      const tag_t t = collector->ask_nth(i);
      const tag_t face = FREF_ask_qd_eid(t);
      entities.push_back(face != 0 ? face : t);
    }
    *tags = copyTags(entities);
    *count = static_cast<int>(entities.size());
    return 1;
  }
  return -1;
}

tag_t DieDesDrawPunchBuilder::GetFeatFirstBody(tag_t feature) {
  if (feature == 0) return 0;
  int count = 0;
  tag_t* bodies = nullptr;
  FREC_ask_body_eids(feature, &count, &bodies);
  const tag_t first = count > 0 ? bodies[0] : 0;
  SM_free(bodies);
  return first;
}

bool DieDesDrawPunchBuilder::FindFeatureInSetByAttrTitle(tag_t featureSet, const UString& title, tag_t* feature) {
  *feature = 0;
  if (featureSet == 0) return false;
  int count = 0;
  tag_t* members = nullptr;
  if (FSET_ask_group_members(featureSet, &count, &members) != 0) return false;
  for (int i = 0; i < count && *feature == 0; ++i)
    if (Attr::GetUserAttribute(members[i], title, nullptr)) *feature = members[i];
  SM_free(members);
  return *feature != 0;
}

int DieDesDrawPunchBuilder::DeleteFeaturesInOMSet(OM::Set* set) {
  int count = 0;
  tag_t* features = nullptr;
  OM_flatten_set(set, &count, &features);
  const int status = count > 0 ? TOOLING_delete_feature(count, features) : 0;
  SM_free(features);
  return status;
}

int DieDesDrawPunchBuilder::InsertFeatureIntoOMSetToDelete(bool found, tag_t* feature, OM::Set* set) {
  if (found && set != nullptr && feature != nullptr && *feature != 0) {
    OM_insert_into_set(set, *feature);
    *feature = 0;
  }
  return 0;
}

namespace {

constexpr double kLimit = 1e-10;  // the margin of the side and direction tests

double distanceOf(const double a[3], const double b[3]) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]); }

// Either measurement: a missing tag or a measurement that raises gives the
// sentinel, never a distance, so that a failure puts no face in the base plane.
template <class Measure>
double measured(tag_t first, tag_t second, int line, Measure measure) {
  if (first == 0 || second == 0) return kMissingInput;
  double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
  try {
    measure(first, second, a, b);
  } catch (const std::exception& e) {
    Error::HandleAsBuilder(e, kSource, line);
    return kMissingInput;
  }
  return distanceOf(a, b);
}

std::vector<tag_t> facesOf(tag_t body) {
  int count = 0;
  tag_t* faces = nullptr;
  ES_body_ask_faces(body, &count, &faces);
  std::vector<tag_t> out(faces, faces + count);
  SM_free(faces);
  return out;
}

}  // namespace

double DieDesDrawPunchBuilder::AskMaximumDist(tag_t first, tag_t second) {
  return measured(first, second, 810, &JAUTL_SINGLE_MEASURE_ask_maximum_dist);
}

double DieDesDrawPunchBuilder::AskMinimumDist(tag_t first, tag_t second) {
  return measured(first, second, 845, &JAUTL_SINGLE_MEASURE_ask_minimum_dist);
}

bool DieDesDrawPunchBuilder::Is2DCurve(tag_t curve) {
  EVC_curve* evaluator = nullptr;
  if (EVC_initialize(curve, &evaluator) != 0) return false;
  double p[3][3];
  const double at[3] = {0.0, 0.3, 0.6};
  for (int i = 0; i < 3; ++i) EVC_evaluate(evaluator, at[i], 0, p[i], nullptr);
  EVC_free(evaluator);
  const double u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
  const double v[3] = {p[2][0] - p[1][0], p[2][1] - p[1][1], p[2][2] - p[1][2]};
  const double normal[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
  // Three points on a line span no plane: a straight curve lies in every plane through it.
  if (normal[0] == 0.0 && normal[1] == 0.0 && normal[2] == 0.0) return true;
  return CRV_ask_curve_on_plane(curve, p[0], normal, 1.2 * TOLER_ask_distance_tol()) == 1;
}

bool DieDesDrawPunchBuilder::GetSheetTrimDirection(tag_t sheet) {
  if (sheet == 0) return true;
  const std::vector<tag_t> faces = facesOf(sheet);
  if (faces.empty()) return true;
  const double first[2] = {0.0, 0.5}, middle[2] = {0.5, 0.5};
  double p1[3], n1[3], p2[3], n2[3];
  MODL_ask_face_props(faces.front(), first, p1, n1);
  MODL_ask_face_props(faces[faces.size() / 2], middle, p2, n2);
  return n1[0] * (p2[0] - p1[0]) + n1[1] * (p2[1] - p1[1]) + n1[2] * (p2[2] - p1[2]) > -kLimit;
}

bool DieDesDrawPunchBuilder::GetSheetTrimDirectionWithVector(tag_t body, const Math::Vector3& vector) {
  int against = 0, along = 0;
  const double middle[2] = {0.5, 0.5};
  for (tag_t face : facesOf(body)) {
    double point[3], normal[3];
    MODL_ask_face_props(face, middle, point, normal);
    ++(normal[0] * vector.X + normal[1] * vector.Y + normal[2] * vector.Z <= -kLimit ? against : along);
  }
  return against < along;
}

}  // namespace KTX::Tooling
