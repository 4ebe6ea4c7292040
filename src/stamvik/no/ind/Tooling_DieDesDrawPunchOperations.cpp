// The draw punch's modelling operations that gather, find and retire the
// features of a tooling feature set, and fill and read sections: the small
// steps both tooling pipelines are made of (the draw die reaches them through
// the punch it owns). They keep no state of their own.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "Messages.hpp"
#include "Support.hpp"
#include "Tooling_DieDesBuildSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "assy/Assembly.hpp"
#include "geom/Curve.hpp"
#include "geom/CurveLoops.hpp"
#include "geom/Faces.hpp"
#include "geom/Sketch.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingGeometry.hpp"

namespace KTX::Tooling {

namespace {

using Messages::kMissingInput;  // no input to work on
constexpr const char* kSource = "Tooling_DieDesDrawPunchBuilder";

tag_t* copyTags(const std::vector<tag_t>& tags) {
  if (tags.empty()) return nullptr;
  auto* out = static_cast<tag_t*>(SM_alloc(tags.size() * sizeof(tag_t)));
  if (out == nullptr) ERROR_raise(__FILE__, 33, Error::kNoMemory, "no memory for %zu tags", tags.size());
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
    // The entities of its rules, then the curves of its loops: a section
    // given both holds them all.
    std::vector<tag_t> entities = section->ask_rule_entities();
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
  Stamvik::HostBlock<tag_t> bodies;
  FREC_ask_body_eids(feature, &count, bodies.out());
  return count > 0 ? bodies[0] : 0;
}

bool DieDesDrawPunchBuilder::FindFeatureInSetByAttrTitle(tag_t featureSet, const UString& title, tag_t* feature) {
  *feature = 0;
  if (featureSet == 0) return false;
  int count = 0;
  Stamvik::HostBlock<tag_t> members;
  if (FSET_ask_group_members(featureSet, &count, members.out()) != 0) return false;
  // The attribute query may raise: the host's list is let go of first.
  const std::vector<tag_t> held(members.get(), members.get() + count);
  members.reset();
  for (tag_t member : held)
    if (Attr::GetUserAttribute(member, title, nullptr)) {
      *feature = member;
      break;
    }
  return *feature != 0;
}

int DieDesDrawPunchBuilder::DeleteFeaturesInOMSet(OM::Set* set) {
  int count = 0;
  Stamvik::HostBlock<tag_t> features;
  OM_flatten_set(set, &count, features.out());
  return count > 0 ? TOOLING_delete_feature(count, features.get()) : 0;
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

// Either measurement: a missing tag or a measurement that raises gives the
// sentinel, never a distance, so that a failure puts no face in the base plane.
template <class Measure>
double measured(tag_t first, tag_t second, int line, Measure measure) {
  if (first == 0 || second == 0) return kMissingInput;
  double a[3] = {0, 0, 0}, b[3] = {0, 0, 0};
  try {
    measure(first, second, a, b);
  } catch (const std::exception& e) {
    Support::MetError(e, kSource, line);
    return kMissingInput;
  }
  return Math::Distance(a, b);
}

std::vector<tag_t> facesOf(tag_t body) {
  int count = 0;
  Stamvik::HostBlock<tag_t> faces;
  ES_body_ask_faces(body, &count, faces.out());
  return std::vector<tag_t>(faces.get(), faces.get() + count);
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
  double u[3], v[3], normal[3];
  Math::Subtract(p[1], p[0], u);
  Math::Subtract(p[2], p[1], v);
  Math::Cross(u, v, normal);
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

void DieDesDrawPunchBuilder::AskFaceReference(int count, const tag_t* faces, FACE_REFERENCE*** references,
                                              tag_t** occurrences) {
  if (count <= 0 || faces == nullptr || references == nullptr) return;
  const std::size_t n = static_cast<std::size_t>(count);
  const bool anyOccurrence = std::any_of(faces, faces + n, [](tag_t face) { return OCC_is_occurrence(face); });
  auto* refs = static_cast<FACE_REFERENCE**>(SM_alloc(n * sizeof(FACE_REFERENCE*)));
  tag_t* occs = anyOccurrence && occurrences != nullptr ? static_cast<tag_t*>(SM_alloc(n * sizeof(tag_t))) : nullptr;
  if (refs == nullptr || (anyOccurrence && occurrences != nullptr && occs == nullptr)) {
    SM_free(refs);
    SM_free(occs);
    ERROR_raise(__FILE__, 239, Error::kNoMemory, "no memory for %d face references", count);
  }
  for (std::size_t i = 0; i < n; ++i) {
    tag_t face = faces[i];
    if (OCC_is_occurrence(face)) {
      // A face seen through a component is referred to by its prototype, in that component.
      if (occs != nullptr) occs[i] = OCC_ask_part_occurrence(face);
      face = OCC_ask_prototype_of_occ(face);
    } else if (occs != nullptr) {
      const PART_part* part = PART_ask_part_of_object(face);
      occs[i] = part != nullptr ? part->OmTag() : 0;
    }
    refs[i] = FREF_find_fref_of_face(ES_solid_ask_solvane_tag(face));
  }
  *references = refs;
  if (occurrences != nullptr) *occurrences = occs;
}

void DieDesDrawPunchBuilder::GetAllTypedBodies(tag_t part, int type, int* count, tag_t** bodies) {
  if (part == 0 || (type != ZV_BODY_type_solid_c && type != ZV_BODY_type_sheet_c)) return;
  if (OCC_is_occurrence(part)) part = OCC_ask_prototype_of_occ(part);
  PART_part* scanned = PART_of_tag(part);
  PART_part* saved = CONTEXT_ask_work_part();
  OM_tag_set* found = OM_create_tag_set();
  ASSY_set_work_part(scanned);
  try {
    for (tag_t entity = RM_cycle_entities_by_type(scanned, 70); entity != 0;
         entity = RM_next_entity_of_type(scanned, 70, entity)) {
      int entityType = 0, subtype = 0, bodyType = 0;
      RM_ask_entity_type_and_subtype(entity, &entityType, &subtype);
      if (subtype != 0) continue;
      if (ZV_BODY_ask_type(ES_solid_ask_solvane_tag(entity), &bodyType) == 0 && bodyType == type)
        OM_insert_into_tag_set(found, entity);
    }
    OM_flatten_tag_set(found, count, bodies);
  } catch (...) {
    ASSY_set_work_part(saved);
    OM_delete_tag_set(found);
    throw;
  }
  ASSY_set_work_part(saved);
  OM_delete_tag_set(found);
}

bool DieDesDrawPunchBuilder::CheckCurveSmooth(tag_t curve, const double direction[3]) {
  if (curve == 0) return false;
  PART_part* work = CONTEXT_ask_work_part_p();
  tag_t feature = 0;
  // A profile with corners gives a trial extrusion more side faces than a smooth one.
  if (FeatExtrude(work != nullptr ? work->OmTag() : 0, 1, &curve, 1, direction, "0.0", "10.0", false, nullptr,
                  nullptr, false, nullptr, false, 0, 0, false, 0, false, 0, &feature) != 0)
    return false;
  int count = 0;
  Stamvik::HostBlock<tag_t> faces;
  TOOLING_get_feat_faces(feature, &count, faces.out());
  faces.reset();
  if (feature != 0) TOOLING_delete_feature(1, &feature);
  return count > 8;
}

int DieDesDrawPunchBuilder::AddPMILabelToOneTopFace(tag_t face, const char* text) {
  if (face == 0 || text == nullptr) return 0;
  const double middle[2] = {0.5, 0.5};
  double point[3], normal[3];
  if (MODL_ask_face_props(face, middle, point, normal) != 0) return 0;
  // The label stands off the face along its normal, pointing back at its middle.
  const double origin[3] = {point[0] + 100.0 * normal[0], point[1] + 100.0 * normal[1], point[2] + 100.0 * normal[2]};
  const tag_t u = SCALAR_create_double(0.5), v = SCALAR_create_double(0.5);
  if (const tag_t onFace = POINT_create_on_surface(face, u, v); onFace != 0) {
    const char* const lines[1] = {text};
    TOOLING_add_pmi_label(1, lines, origin, onFace, 4, 100.0);
  }
  return 0;
}

}  // namespace KTX::Tooling
