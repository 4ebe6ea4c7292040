#include "modl/ModelingInterfaces.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "exp/Expression.hpp"
#include "om/UndoneMap.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/FeatureGeometry.hpp"
#include "modl/TrimBody.hpp"
#include "om/HostClass.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingGeometry.hpp"

namespace KTX {
namespace {

// What an extrude or chamfer feature was made with is part of the model, as
// its parameters are: undo puts it back.
OM::UndoneMap<tag_t, ExtrudeValues>& extrudeValues() { return OM::UndoneMap<tag_t, ExtrudeValues>::Made(); }
OM::UndoneMap<tag_t, ChamferValues>& chamferValues() { return OM::UndoneMap<tag_t, ChamferValues>::Made(); }

tag_t makeExpression(const std::string& text) {
  double value = 0.0;
  if (!EXP_parse_number(text.c_str(), &value)) value = 0.0;
  return EXP_expression::Make(CONTEXT_ask_work_part_p(), text.c_str(), value, nullptr)->OmTag();
}

std::string expressionText(tag_t tag) {
  auto* expression = dynamic_cast<EXP_expression*>(OM::OM_object_of_tag(tag));
  return expression != nullptr ? expression->ask_text() : "";
}

template <class T>
T* hostObject(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

void destroyTag(tag_t tag) {
  if (auto* object = hostObject<OM::TaggedObject>(tag)) object->destroy();
}

tag_t makeExtend(int type, const std::string& value, tag_t object) {
  auto* extend = Host::CreateHostObject<GeometricExtend>();
  extend->type = type;
  extend->value = makeExpression(value);
  extend->object = object;
  return extend->OmTag();
}

void destroyExtend(tag_t tag) {
  if (auto* extend = hostObject<GeometricExtend>(tag)) destroyTag(extend->value);
  destroyTag(tag);
}

void cross(const double a[3], const double b[3], double out[3]) { Math::Cross(a, b, out); }

bool unit(double v[3]) {
  const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
  if (length == 0.0) return false;
  for (int i = 0; i < 3; ++i) v[i] /= length;
  return true;
}

// The unit direction an extrusion runs along: its direction entity's (Z
// when it has none).
void extrudeDirection(tag_t direction, double d[3]) {
  d[0] = d[1] = 0.0;
  d[2] = 1.0;
  if (auto* entity = hostObject<GEOM_entity>(direction)) entity->ask_direction(d);
  if (!unit(d)) d[2] = 1.0;
}

// The points of every curve and edge of a section's rules, curve by curve.
std::vector<std::vector<double>> profileCurves(tag_t section) {
  std::vector<std::vector<double>> curves;
  auto* found = hostObject<SC_section>(section);
  if (found == nullptr) return curves;
  for (tag_t entity : found->ask_rule_entities())
    if (auto* curve = hostObject<ES_curve>(entity)) curves.push_back(curve->ask_points());
  return curves;
}

// The profile's curves chained into loops (one curve goes on from where the
// one before it ended, either way round), each closed, moved `at` along d: a
// cap's boundary.
FaceBoundaryLoops profileLoops(const std::vector<std::vector<double>>& curves, const double d[3], double at) {
  constexpr double kMeet = 1.0e-6;
  auto meets = [](const double* a, const double* b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]) <= kMeet; };
  FaceBoundaryLoops loops;
  for (const std::vector<double>& curve : curves) {
    if (curve.size() < 6) continue;
    std::vector<double> points = curve;
    if (!loops.empty()) {
      const double* end = loops.back().data() + loops.back().size() - 3;
      if (meets(points.data() + points.size() - 3, end) && !meets(points.data(), end))
        for (std::size_t i = 0, j = points.size() - 3; i < j; i += 3, j -= 3)
          for (int k = 0; k < 3; ++k) std::swap(points[i + k], points[j + k]);
      if (meets(points.data(), end)) {
        loops.back().insert(loops.back().end(), points.begin() + 3, points.end());
        continue;
      }
    }
    loops.push_back(std::move(points));
  }
  for (std::vector<double>& loop : loops) {
    if (loop.size() > 6 && meets(loop.data(), loop.data() + loop.size() - 3)) loop.resize(loop.size() - 3);
    for (std::size_t i = 0; i < loop.size(); ++i) loop[i] += at * d[i % 3];
  }
  return loops;
}

// An extent until a selected object reaches this far.
constexpr double kUntilObject = 10.0;

double extent(int type, const std::string& value) {
  return type == 2 ? kUntilObject : TEXT_atof(value.c_str());
}

// Whether the line through p along d crosses the face (within its parameter
// square, a little tolerance around it).
bool crosses(const double p[3], const double d[3], tag_t face) {
  const auto* f = hostObject<GEOM_entity>(face);
  if (f == nullptr) return false;
  double o[3], m[9];
  f->ask_frame(o, m);
  // p + t d = o + u a + v b, solved for (u, v, t) by Cramer's rule.
  const double* a = m;
  const double* b = m + 3;
  const double w[3] = {p[0] - o[0], p[1] - o[1], p[2] - o[2]};
  auto det = [](const double* x, const double* y, const double z[3]) {
    return x[0] * (y[1] * z[2] - y[2] * z[1]) - x[1] * (y[0] * z[2] - y[2] * z[0]) + x[2] * (y[0] * z[1] - y[1] * z[0]);
  };
  const double minusD[3] = {-d[0], -d[1], -d[2]};
  const double whole = det(a, b, minusD);
  if (std::fabs(whole) < 1e-12) return false;  // the face runs along the direction
  const double u = det(w, b, minusD) / whole, v = det(a, w, minusD) / whole;
  constexpr double kSlack = 1e-9;
  return u >= -kSlack && u <= 1.0 + kSlack && v >= -kSlack && v <= 1.0 + kSlack;
}

// An extent until an object stops every point of the section there: the
// object must lie across the whole swept section. A body of which the
// stand-in knows no face is taken to lie across it (its shape is unknown).
bool reachesEverywhere(const ExtrudeValues& values, int type, tag_t object) {
  if (type != 2 || hostObject<ES_solid>(object) == nullptr) return true;
  int count = 0;
  tag_t* faces = nullptr;
  ES_body_ask_faces(object, &count, &faces);
  const std::vector<tag_t> across(faces, faces + count);
  SM_free(faces);
  if (across.empty()) return true;
  double d[3];
  extrudeDirection(values.direction, d);
  for (const std::vector<double>& curve : profileCurves(values.section))
    for (std::size_t i = 0; i + 2 < curve.size(); i += 3)
      if (std::none_of(across.begin(), across.end(), [&](tag_t face) { return crosses(&curve[i], d, face); }))
        return false;
  return true;
}

}  // namespace

ModelingFeatureBuilder* ModelingFeatureBuilder::Make(int kind, tag_t feature) {
  auto* builder = Host::CreateHostObject<ModelingFeatureBuilder>();
  builder->init_object(CONTEXT_ask_work_part_p());
  builder->kind_ = kind;
  builder->feature_ = feature;
  builder->limits_ = builder->offset_ = builder->firstOffset_ = builder->secondOffset_ = builder->angle_ = 0;
  builder->draftAngle_ = 0;
  builder->extrude_ = nullptr;
  builder->chamfer_ = nullptr;
  builder->tolerance_ = 0.0;
  if (kind == kExtrude) {
    ExtrudeValues values;
    Host::AskExtrudeValues(feature, &values);
    // An extrude feature made without a profile is edited from an empty one.
    if (feature != 0 && values.section == 0) {
      const double tolerance = TOLER_ask_distance_tol();
      values.section = SC_sectionFactory::object(0, 0.95 * tolerance, tolerance, TOLER_ask_angular_tol())->OmTag();
    }
    builder->extrude_ = new ExtrudeValues(values);
    builder->draftAngle_ = makeExpression(values.draftAngle);
    auto* limits = Host::CreateHostObject<GeometricLimits>();
    limits->start = makeExtend(values.startType, values.startValue, values.startObject);
    limits->end = makeExtend(values.endType, values.endValue, values.endObject);
    builder->limits_ = limits->OmTag();
    auto* offset = Host::CreateHostObject<GeometricFeatureOffset>();
    offset->option = values.offsetOption;
    offset->start = makeExpression(values.startOffset);
    offset->end = makeExpression(values.endOffset);
    builder->offset_ = offset->OmTag();
  } else {
    ChamferValues values;
    Host::AskChamferValues(feature, &values);
    builder->chamfer_ = new ChamferValues(values);
    builder->firstOffset_ = makeExpression(values.firstOffset);
    builder->secondOffset_ = makeExpression(values.secondOffset);
    builder->angle_ = makeExpression(values.angle);
  }
  return builder;
}

char* ModelingFeatureBuilder::ask_journal_class_name() const {
  return SM_string_copy(kind_ == kExtrude ? "Features.ExtrudeBuilder" : "Features.ChamferBuilder");
}

ModelingFeatureBuilder::~ModelingFeatureBuilder() {
  delete extrude_;
  delete chamfer_;
}

ExtrudeValues& ModelingFeatureBuilder::extrude_settings() {
  if (extrude_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "not an extrude builder");
  return *extrude_;
}

ChamferValues& ModelingFeatureBuilder::chamfer_settings() {
  if (chamfer_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "not a chamfer builder");
  return *chamfer_;
}

void ModelingFeatureBuilder::set_tolerance(double tolerance) {
  OM::LogForWrite(this);
  tolerance_ = tolerance;
}

// A side face for every segment of every profile curve, swept from the start
// to the end extent along the direction (its normal the segment crossed with
// the direction); a solid adds the two caps, bounded by the profile where it
// starts and ends, so that they meet the side faces along their edges.
int ModelingFeatureBuilder::make_body(FEATURE_RECORD* feature, const ExtrudeValues& values) {
  // A closed profile swept to values or bodies with geometry is a real shape.
  int kernelBody = 0;
  switch (ExtrudeGeometry(values, &kernelBody)) {
    case 1:
      return ExtrudeBody(feature, values, kernelBody);
    case -1:
      return kShapeNotMade;
    default:
      break;
  }
  double d[3];
  extrudeDirection(values.direction, d);
  const double start = extent(values.startType, values.startValue);
  const double end = extent(values.endType, values.endValue);
  std::vector<FaceFrame> faces;
  std::vector<FaceBoundaryLoops> boundaries;  // the caps' (a side face is its frame's parallelogram)
  for (const std::vector<double>& p : profileCurves(values.section))
    for (std::size_t i = 0; i + 5 < p.size(); i += 3) {
      FaceFrame face{};
      for (int k = 0; k < 3; ++k) {
        face.origin[k] = p[i + k] + start * d[k];
        face.matrix[k] = p[i + 3 + k] - p[i + k];
        face.matrix[3 + k] = (end - start) * d[k];
      }
      cross(face.matrix, d, face.matrix + 6);
      unit(face.matrix + 6);
      faces.push_back(face);
    }
  if (values.bodyType == 0 && !faces.empty()) {
    // A cap spans the first segment and the profile's reach square to it.
    const FaceFrame first = faces.front();
    double along[3] = {first.matrix[0], first.matrix[1], first.matrix[2]}, reach[3] = {0, 0, 0}, best = 0.0;
    unit(along);
    for (const std::vector<double>& p : profileCurves(values.section))
      for (std::size_t i = 0; i + 2 < p.size(); i += 3) {
        double w[3];
        for (int k = 0; k < 3; ++k) w[k] = p[i + k] + start * d[k] - first.origin[k];
        const double a = w[0] * along[0] + w[1] * along[1] + w[2] * along[2];
        const double h = w[0] * d[0] + w[1] * d[1] + w[2] * d[2];
        for (int k = 0; k < 3; ++k) w[k] -= a * along[k] + h * d[k];
        const double length = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
        if (length > best) {
          best = length;
          for (int k = 0; k < 3; ++k) reach[k] = w[k];
        }
      }
    for (double at : {start, end}) {
      boundaries.resize(faces.size());
      boundaries.push_back(profileLoops(profileCurves(values.section), d, at));
      FaceFrame cap = first;
      for (int k = 0; k < 3; ++k) {
        cap.origin[k] = first.origin[k] + (at - start) * d[k];
        cap.matrix[3 + k] = reach[k];
        cap.matrix[6 + k] = at == start ? -d[k] : d[k];
      }
      faces.push_back(cap);
    }
  }
  // An update keeps the feature's body (its tag, so what names it still
  // does) and re-makes its faces; only a body of the other kind is made anew.
  const tag_t old = feature->ask_body_eid();
  const auto* kept = dynamic_cast<const ES_solid*>(OM::OM_object_of_tag(old));
  if (kept != nullptr && Kernel::IsBody(kept->ask_kernel_body()) &&
      Kernel::IsSheet(kept->ask_kernel_body()) == (values.bodyType == 1) && ES_body_remake_faces(old, faces, boundaries))
    return 0;
  feature->set_body_eid(ES_create_body_with_faces(ask_owning_part(), values.bodyType == 1, faces, boundaries));
  if (old != 0) {
    int count = 0;
    tag_t* oldFaces = nullptr;
    ES_body_ask_faces(old, &count, &oldFaces);
    for (int i = 0; i < count; ++i) destroyTag(oldFaces[i]);
    SM_free(oldFaces);
    destroyTag(old);
  }
  return 0;
}

int ModelingFeatureBuilder::commit() {
  ExtrudeValues values;
  if (kind_ == kExtrude) {
    values = extrude_settings();
    values.draftAngle = expressionText(draftAngle_);
    if (auto* limits = hostObject<GeometricLimits>(limits_)) {
      if (auto* start = hostObject<GeometricExtend>(limits->start)) {
        values.startType = start->type;
        values.startValue = expressionText(start->value);
        values.startObject = start->object;
      }
      if (auto* end = hostObject<GeometricExtend>(limits->end)) {
        values.endType = end->type;
        values.endValue = expressionText(end->value);
        values.endObject = end->object;
      }
    }
    if (auto* offset = hostObject<GeometricFeatureOffset>(offset_)) {
      values.offsetOption = offset->option;
      values.startOffset = expressionText(offset->start);
      values.endOffset = expressionText(offset->end);
    }
    // Nothing is made or changed by an extrusion that cannot run up to its object.
    if (!reachesEverywhere(values, values.startType, values.startObject) ||
        !reachesEverywhere(values, values.endType, values.endObject))
      return kObjectNotReached;
  }
  const bool made = feature_ == 0 || OM::OM_object_of_tag(feature_) == nullptr;
  if (made) {
    OM::LogForWrite(this);
    feature_ = FEATURE_RECORD::Create(ask_owning_part(), nullptr)->OmTag();
  }
  if (kind_ == kExtrude) {
    if (int status = make_body(hostObject<FEATURE_RECORD>(feature_), values); status != 0) {
      // A shape the modeller could not make leaves no new feature behind.
      if (made) {
        destroyTag(feature_);
        feature_ = 0;
      }
      return status;
    }
    Host::SetExtrudeValues(feature_, values);
  } else {
    ChamferValues chamfer = chamfer_settings();
    chamfer.firstOffset = expressionText(firstOffset_);
    chamfer.secondOffset = expressionText(secondOffset_);
    chamfer.angle = expressionText(angle_);
    // The edges' bodies with geometry are chamfered: one offset on both faces
    // (option 0), two offsets (1), or an offset and an angle.
    std::vector<tag_t> edges;
    if (const auto* collector = hostObject<SC_collector>(chamfer.edges))
      for (int i = 0; i < collector->ask_count(); ++i) edges.push_back(collector->ask_nth(i));
    const double first = TEXT_atof(chamfer.firstOffset.c_str());
    const double second = chamfer.option == 0   ? first
                          : chamfer.option == 1 ? TEXT_atof(chamfer.secondOffset.c_str())
                                                : first * std::tan(TEXT_atof(chamfer.angle.c_str()) * M_PI / 180.0);
    if (int status = ChamferGeometry(edges, first, second); status != 0) {
      if (made) {
        destroyTag(feature_);
        feature_ = 0;
      }
      return status;
    }
    Host::SetChamferValues(feature_, chamfer);
  }
  return 0;
}

void ModelingFeatureBuilder::cascade_destroy() {
  if (auto* limits = hostObject<GeometricLimits>(limits_)) {
    destroyExtend(limits->start);
    destroyExtend(limits->end);
  }
  destroyTag(limits_);
  if (auto* offset = hostObject<GeometricFeatureOffset>(offset_)) {
    destroyTag(offset->start);
    destroyTag(offset->end);
  }
  destroyTag(offset_);
  destroyTag(firstOffset_);
  destroyTag(secondOffset_);
  destroyTag(angle_);
  destroyTag(draftAngle_);
  JAX_BUILDER::cascade_destroy();
}

int ModelingFeatureBuilder::ThisClassId = 0;
int GeometricLimits::ThisClassId = 0;
int GeometricExtend::ThisClassId = 0;
int GeometricFeatureOffset::ThisClassId = 0;

namespace JAM {

int RecordInterfaceCall(const char* interface, int place, const std::string& args) {
  const std::string key = std::string(interface) + "." + std::to_string(place);
  if (Host::Logging()) Host::Log(interface, "operation=" + std::to_string(place) + " " + args);
  return static_cast<int>(Host::Answer(key, 0));
}

namespace {

int record(const char* interface, int place, const std::string& args) {
  return RecordInterfaceCall(interface, place, args);
}

// Changes a setting of a builder of that kind: the bad-object error for
// anything else.
template <class Change>
int setting(const char* interface, int place, tag_t builder, int kind, const std::string& args, Change change) {
  if (int rc = record(interface, place, "builder=" + std::to_string(builder) + " " + args); rc != 0) return rc;
  auto* found = hostObject<ModelingFeatureBuilder>(builder);
  if (found == nullptr || found->ask_kind() != kind) return Error::kBadObject;
  OM::LogForWrite(found);
  change(*found);
  return 0;
}

std::string text(const char* value) { return value != nullptr ? std::string("\"") + value + "\"" : "null"; }

std::string tagArg(const char* name, tag_t tag) { return std::string(name) + "=" + std::to_string(tag); }

int makeBuilder(const char* interface, int place, int kind, tag_t feature, tag_t* builder) {
  if (builder == nullptr) return Error::kBadObject;
  *builder = 0;
  if (int rc = record(interface, place, tagArg("feature", feature)); rc != 0) return rc;
  if (feature != 0 && hostObject<FEATURE_RECORD>(feature) == nullptr) return Error::kBadObject;
  *builder = ModelingFeatureBuilder::Make(kind, feature)->OmTag();
  return 0;
}

class FeatureCollection final : public FeatureCollection_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xFEA7C011U; }
  int CreateChamferBuilder(tag_t feature, tag_t* builder) override {
    return makeBuilder("Features.FeatureCollection", 3, ModelingFeatureBuilder::kChamfer, feature, builder);
  }
  int CreateTrimBody2Builder(tag_t feature, tag_t* builder) override {
    if (builder == nullptr) return Error::kBadObject;
    *builder = 0;
    if (int rc = record("Features.FeatureCollection", 4, tagArg("feature", feature)); rc != 0) return rc;
    if (feature != 0 && hostObject<FEATURE_RECORD>(feature) == nullptr) return Error::kBadObject;
    *builder = TrimBody2Builder::Make(hostObject<FEATURE_RECORD>(feature))->OmTag();
    return 0;
  }
  int CreateExtrudeBuilder(tag_t feature, tag_t* builder) override {
    return makeBuilder("Features.FeatureCollection", 5, ModelingFeatureBuilder::kExtrude, feature, builder);
  }
  int PlaceFeatures(tag_t part, const tag_t* features, int count, tag_t reference, int mode) override {
    std::string args = tagArg("part", part) + " count=" + std::to_string(count);
    for (int i = 0; features != nullptr && i < count; ++i) args += " " + tagArg("feature", features[i]);
    args += " " + tagArg("reference", reference) + " mode=" + std::to_string(mode);
    if (int rc = record("Features.FeatureCollection", 141, args); rc != 0) return rc;
    if (count < 1 || features == nullptr || (mode != 1 && mode != 2)) return Error::kBadObject;
    if (hostObject<FEATURE_RECORD>(reference) == nullptr) return Error::kBadObject;
    for (int i = 0; i < count; ++i)
      if (hostObject<FEATURE_RECORD>(features[i]) == nullptr) return Error::kBadObject;
    return 0;
  }
};

// Asks a tag-valued part of an object of class T.
template <class T, class Get>
int askPart(const char* interface, int place, tag_t object, tag_t* out, Get get) {
  if (out == nullptr) return Error::kBadObject;
  *out = 0;
  if (int rc = record(interface, place, tagArg("object", object)); rc != 0) return rc;
  T* found = hostObject<T>(object);
  if (found == nullptr) return Error::kBadObject;
  *out = get(*found);
  return 0;
}

class ExtrudeBuilder final : public ExtrudeBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xE7C0DE01U; }
  int Section(tag_t builder, tag_t* section) override {
    return askPart<ModelingFeatureBuilder>("Features.ExtrudeBuilder", 1, builder, section,
                                           [](ModelingFeatureBuilder& b) { return b.extrude_settings().section; });
  }
  int SetSection(tag_t builder, tag_t section) override {
    if (section != 0 && hostObject<SC_section>(section) == nullptr) return Error::kBadObject;
    return set(2, builder, "section=" + std::to_string(section), [&](ExtrudeValues& v) { v.section = section; });
  }
  int Direction(tag_t builder, tag_t* direction) override {
    return askPart<ModelingFeatureBuilder>("Features.ExtrudeBuilder", 3, builder, direction,
                                           [](ModelingFeatureBuilder& b) { return b.extrude_settings().direction; });
  }
  int SetDirection(tag_t builder, tag_t direction) override {
    return set(4, builder, "direction=" + std::to_string(direction),
               [&](ExtrudeValues& v) { v.direction = direction; });
  }
  int SetBodyType(tag_t builder, int type) override {
    return set(5, builder, "type=" + std::to_string(type), [&](ExtrudeValues& v) { v.bodyType = type; });
  }
  int SetDraftOption(tag_t builder, int option) override {
    return set(6, builder, "option=" + std::to_string(option), [&](ExtrudeValues& v) { v.draftOption = option; });
  }
  int DraftAngle(tag_t builder, tag_t* expression) override {
    return askPart<ModelingFeatureBuilder>("Features.ExtrudeBuilder", 7, builder, expression,
                                           [](ModelingFeatureBuilder& b) { return b.ask_draft_angle(); });
  }
  int SetBoolean(tag_t builder, int type, tag_t target) override {
    return set(8, builder, "type=" + std::to_string(type) + " target=" + std::to_string(target),
               [&](ExtrudeValues& v) {
                 v.booleanType = type;
                 v.booleanTarget = target;
               });
  }
  int PointAndVector(tag_t builder, double point[3], double vector[3]) override {
    if (point == nullptr || vector == nullptr) return Error::kBadObject;
    if (int rc = record("Features.ExtrudeBuilder", 9, "builder=" + std::to_string(builder)); rc != 0) return rc;
    auto* found = hostObject<ModelingFeatureBuilder>(builder);
    if (found == nullptr || found->ask_kind() != ModelingFeatureBuilder::kExtrude) return Error::kBadObject;
    const std::vector<std::vector<double>> curves = profileCurves(found->extrude_settings().section);
    if (curves.empty() || curves.front().size() < 6) return Error::kBadObject;
    const std::vector<double>& p = curves.front();
    double d[3];
    extrudeDirection(found->extrude_settings().direction, d);
    const double segment[3] = {p[3] - p[0], p[4] - p[1], p[5] - p[2]};
    for (int k = 0; k < 3; ++k) point[k] = p[static_cast<std::size_t>(k)];
    cross(d, segment, vector);
    unit(vector);
    return 0;
  }

 private:
  template <class Change>
  static int set(int place, tag_t builder, const std::string& args, Change change) {
    return setting("Features.ExtrudeBuilder", place, builder, ModelingFeatureBuilder::kExtrude, args,
                   [&](ModelingFeatureBuilder& b) { change(b.extrude_settings()); });
  }

 public:
  int FeatureOffset(tag_t builder, tag_t* offset) override {
    return askPart<ModelingFeatureBuilder>("Features.ExtrudeBuilder", 15, builder, offset,
                                           [](ModelingFeatureBuilder& b) { return b.ask_feature_offset(); });
  }
  int Limits(tag_t builder, tag_t* limits) override {
    return askPart<ModelingFeatureBuilder>("Features.ExtrudeBuilder", 16, builder, limits,
                                           [](ModelingFeatureBuilder& b) { return b.ask_limits(); });
  }
};

class Limits final : public Limits_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x11A175U; }
  int StartExtend(tag_t limits, tag_t* extend) override {
    return askPart<GeometricLimits>("GeometricUtilities.Limits", 3, limits, extend,
                                    [](GeometricLimits& l) { return l.start; });
  }
  int EndExtend(tag_t limits, tag_t* extend) override {
    return askPart<GeometricLimits>("GeometricUtilities.Limits", 4, limits, extend,
                                    [](GeometricLimits& l) { return l.end; });
  }
};

class Extend final : public Extend_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xE7E4D00U; }
  int SetType(tag_t extend, int type) override {
    return change(3, extend, "type=" + std::to_string(type), [&](GeometricExtend& e) { e.type = type; });
  }
  int SetTrimmingObject(tag_t extend, tag_t object) override {
    return change(4, extend, "object=" + std::to_string(object), [&](GeometricExtend& e) { e.object = object; });
  }

 private:
  template <class Change>
  static int change(int place, tag_t extend, const std::string& args, Change apply) {
    if (int rc = record("GeometricUtilities.Extend", place, "extend=" + std::to_string(extend) + " " + args); rc != 0)
      return rc;
    auto* found = hostObject<GeometricExtend>(extend);
    if (found == nullptr) return Error::kBadObject;
    OM::LogForWrite(found);
    apply(*found);
    return 0;
  }

 public:
  int Value(tag_t extend, tag_t* expression) override {
    return askPart<GeometricExtend>("GeometricUtilities.Extend", 5, extend, expression,
                                    [](GeometricExtend& e) { return e.value; });
  }
  int TrimmingObject(tag_t extend, tag_t* object) override {
    return askPart<GeometricExtend>("GeometricUtilities.Extend", 6, extend, object,
                                    [](GeometricExtend& e) { return e.object; });
  }
};

class FeatureOffset final : public FeatureOffset_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xF0FF5E7U; }
  int SetOption(tag_t offset, int option) override {
    const std::string args = "offset=" + std::to_string(offset) + " option=" + std::to_string(option);
    if (int rc = record("GeometricUtilities.FeatureOffset", 1, args); rc != 0) return rc;
    auto* found = hostObject<GeometricFeatureOffset>(offset);
    if (found == nullptr) return Error::kBadObject;
    OM::LogForWrite(found);
    found->option = option;
    return 0;
  }
  int StartOffset(tag_t offset, tag_t* expression) override {
    return askPart<GeometricFeatureOffset>("GeometricUtilities.FeatureOffset", 3, offset, expression,
                                           [](GeometricFeatureOffset& o) { return o.start; });
  }
  int EndOffset(tag_t offset, tag_t* expression) override {
    return askPart<GeometricFeatureOffset>("GeometricUtilities.FeatureOffset", 4, offset, expression,
                                           [](GeometricFeatureOffset& o) { return o.end; });
  }
};

// Hands back a copy of a text, or the bad-object error when there is none.
int textOut(const char* interface, int place, tag_t object, tag_t expression, char** text) {
  if (text == nullptr) return Error::kBadObject;
  *text = nullptr;
  if (int rc = record(interface, place, tagArg("object", object)); rc != 0) return rc;
  auto* found = hostObject<EXP_expression>(expression);
  if (found == nullptr) return Error::kBadObject;
  *text = SM_string_copy(found->ask_text());
  return 0;
}

class Expression final : public Expression_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xE4B7E55U; }
  int Text(tag_t expression, char** text) override { return textOut("Expression", 3, expression, expression, text); }
  int SetRightHandSide(tag_t expression, const char* value) override {
    const std::string args = "expression=" + std::to_string(expression) + " " + text(value);
    if (int rc = record("Expression", 1, args); rc != 0) return rc;
    auto* found = hostObject<EXP_expression>(expression);
    if (found == nullptr || value == nullptr) return Error::kBadObject;
    return EXP_edit_exp(0, found, value);
  }
};

class ChamferBuilder final : public ChamferBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xC4A3FE7U; }
  int FirstOffset(tag_t builder, char** text) override {
    return textOut("Features.ChamferBuilder", 1, builder, chamferPart(builder, true), text);
  }
  int SecondOffset(tag_t builder, char** text) override {
    return textOut("Features.ChamferBuilder", 2, builder, chamferPart(builder, false), text);
  }
  int SetOption(tag_t builder, int option) override {
    return set(3, builder, "option=" + std::to_string(option), [&](ChamferValues& v) { v.option = option; });
  }
  int SetFirstOffset(tag_t builder, const char* value) override {
    return setText(4, builder, value, [](ModelingFeatureBuilder& b) { return b.ask_first_offset(); });
  }
  int SetSecondOffset(tag_t builder, const char* value) override {
    return setText(5, builder, value, [](ModelingFeatureBuilder& b) { return b.ask_second_offset(); });
  }
  int SetAngle(tag_t builder, const char* value) override {
    return setText(6, builder, value, [](ModelingFeatureBuilder& b) { return b.ask_angle(); });
  }
  int SetOffsetMethod(tag_t builder, int method) override {
    return set(7, builder, "method=" + std::to_string(method), [&](ChamferValues& v) { v.offsetMethod = method; });
  }
  int SetFirstFlag(tag_t builder, bool flag) override {
    return set(8, builder, "flag=" + std::to_string(flag), [&](ChamferValues& v) { v.firstFlag = flag; });
  }
  int SetSecondFlag(tag_t builder, bool flag) override {
    return set(9, builder, "flag=" + std::to_string(flag), [&](ChamferValues& v) { v.secondFlag = flag; });
  }
  int SetTolerance(tag_t builder, double tolerance) override {
    return setting("Features.ChamferBuilder", 10, builder, ModelingFeatureBuilder::kChamfer,
                   "tolerance=" + std::to_string(tolerance),
                   [&](ModelingFeatureBuilder& b) { b.set_tolerance(tolerance); });
  }
  int Edges(tag_t builder, tag_t* collector) override {
    return askPart<ModelingFeatureBuilder>("Features.ChamferBuilder", 11, builder, collector,
                                           [](ModelingFeatureBuilder& b) { return b.chamfer_settings().edges; });
  }
  int SetEdges(tag_t builder, tag_t collector) override {
    if (collector != 0 && hostObject<SC_collector>(collector) == nullptr) return Error::kBadObject;
    return set(12, builder, "collector=" + std::to_string(collector),
               [&](ChamferValues& v) { v.edges = collector; });
  }

 private:
  template <class Change>
  static int set(int place, tag_t builder, const std::string& args, Change change) {
    return setting("Features.ChamferBuilder", place, builder, ModelingFeatureBuilder::kChamfer, args,
                   [&](ModelingFeatureBuilder& b) { change(b.chamfer_settings()); });
  }
  template <class Part>
  static int setText(int place, tag_t builder, const char* value, Part part) {
    if (int rc = record("Features.ChamferBuilder", place, "builder=" + std::to_string(builder) + " " + text(value));
        rc != 0)
      return rc;
    auto* found = hostObject<ModelingFeatureBuilder>(builder);
    if (found == nullptr || found->ask_kind() != ModelingFeatureBuilder::kChamfer || value == nullptr)
      return Error::kBadObject;
    return EXP_edit_exp(0, hostObject<EXP_expression>(part(*found)), value);
  }
  static tag_t chamferPart(tag_t builder, bool first) {
    auto* found = hostObject<ModelingFeatureBuilder>(builder);
    if (found == nullptr || found->ask_kind() != ModelingFeatureBuilder::kChamfer) return 0;
    return first ? found->ask_first_offset() : found->ask_second_offset();
  }
};

// Commits a builder; a feature builder hands back its feature.
int commitBuilder(tag_t builder, tag_t* object) {
  auto* found = hostObject<JAX_BASE_BUILDER>(builder);
  if (found == nullptr) return Error::kBadObject;
  if (auto* modelling = dynamic_cast<ModelingFeatureBuilder*>(found)) {
    int rc = modelling->commit();
    *object = rc == 0 ? modelling->ask_feature() : 0;
    return rc;
  }
  if (auto* feature = dynamic_cast<JAX_FEAT_BUILDER*>(found)) {
    FEATURE_RECORD* made = nullptr;
    int rc = feature->commit_feature(&made);
    // A builder that edits its feature need not hand it back: it is still the one committed.
    if (made == nullptr) made = feature->get_frec();
    *object = rc == 0 && made != nullptr ? made->OmTag() : 0;
    return rc;
  }
  return found->commit();
}

class FeatureBuilder final : public FeatureBuilder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xFEA7B1DU; }
  int CommitFeature(tag_t builder, tag_t* feature) override {
    if (feature == nullptr) return Error::kBadObject;
    *feature = 0;
    if (int rc = record("Features.FeatureBuilder", 1, tagArg("builder", builder)); rc != 0) return rc;
    return commitBuilder(builder, feature);
  }
};

class Builder final : public Builder_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xB1D0001U; }
  int Commit(tag_t builder, tag_t* object) override {
    if (object == nullptr) return Error::kBadObject;
    *object = 0;
    if (int rc = record("Builder", 1, tagArg("builder", builder)); rc != 0) return rc;
    return commitBuilder(builder, object);
  }
  int Destroy(tag_t builder) override {
    if (int rc = record("Builder", 2, tagArg("builder", builder)); rc != 0) return rc;
    auto* found = hostObject<JAX_BASE_BUILDER>(builder);
    if (found == nullptr) return Error::kBadObject;
    found->destroy();
    return 0;
  }
};

class Feature final : public Feature_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0xFEA70001U; }
  int Operation13(tag_t feature) override {
    if (int rc = record("Features.Feature", 13, tagArg("feature", feature)); rc != 0) return rc;
    return hostObject<FEATURE_RECORD>(feature) != nullptr ? 0 : Error::kBadObject;
  }
};

class IPlane final : public IPlane_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x1F1A4E05U; }
  int Normal(tag_t plane, double* x, double* y, double* z) override {
    if (x == nullptr || y == nullptr || z == nullptr) return Error::kBadObject;
    if (int rc = record("IPlane", 5, tagArg("plane", plane)); rc != 0) return rc;
    auto* found = hostObject<ES_plane>(plane);
    if (found == nullptr) return Error::kBadObject;
    double normal[3];
    found->ask_direction(normal);
    *x = normal[0];
    *y = normal[1];
    *z = normal[2];
    return 0;
  }
};

// One object serves both forms: nothing here is journalled.
FeatureCollection collectionServed;
ClassInitializer collectionInitializer("Features.FeatureCollection", &collectionServed, &collectionServed);
ExtrudeBuilder extrudeServed;
ClassInitializer extrudeInitializer("Features.ExtrudeBuilder", &extrudeServed, &extrudeServed);
ChamferBuilder chamferServed;
ClassInitializer chamferInitializer("Features.ChamferBuilder", &chamferServed, &chamferServed);
FeatureBuilder featureBuilderServed;
ClassInitializer featureBuilderInitializer("Features.FeatureBuilder", &featureBuilderServed, &featureBuilderServed);
Feature featureServed;
ClassInitializer featureInitializer("Features.Feature", &featureServed, &featureServed);
Builder builderServed;
ClassInitializer builderInitializer("Builder", &builderServed, &builderServed);
Expression expressionServed;
ClassInitializer expressionInitializer("Expression", &expressionServed, &expressionServed);
Limits limitsServed;
ClassInitializer limitsInitializer("GeometricUtilities.Limits", &limitsServed, &limitsServed);
Extend extendServed;
ClassInitializer extendInitializer("GeometricUtilities.Extend", &extendServed, &extendServed);
IPlane planeServed;
ClassInitializer planeInitializer("IPlane", &planeServed, &planeServed);
FeatureOffset offsetServed;
ClassInitializer offsetInitializer("GeometricUtilities.FeatureOffset", &offsetServed, &offsetServed);

}  // namespace
}  // namespace JAM
}  // namespace KTX

namespace KTX {
tag_t FREC_find_child_frec_of_so(tag_t entity) {
  Host::Log("FREC_find_child_frec_of_so", std::to_string(entity));
  PART_part* work = CONTEXT_ask_work_part_p();
  if (entity == 0 || work == nullptr) return 0;
  tag_t frec = 0;
  for (ES_cycle_frecs(work->OmTag(), &frec); frec != 0; ES_cycle_frecs(work->OmTag(), &frec)) {
    auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frec));
    auto* parms = record != nullptr ? dynamic_cast<CRV_feature_parms*>(record->ask_parms()) : nullptr;
    if (parms == nullptr) continue;
    for (tag_t curve : parms->ask_curves())
      if (curve == entity) return frec;
  }
  return 0;
}
}  // namespace KTX

namespace KTX::Host {
void SetExtrudeValues(tag_t feature, const ExtrudeValues& values) { extrudeValues().Set(feature, values); }
bool AskExtrudeValues(tag_t feature, ExtrudeValues* values) {
  const ExtrudeValues* kept = extrudeValues().Find(feature);
  if (kept == nullptr) return false;
  *values = *kept;
  return true;
}
void SetChamferValues(tag_t feature, const ChamferValues& values) { chamferValues().Set(feature, values); }
bool AskChamferValues(tag_t feature, ChamferValues* values) {
  const ChamferValues* kept = chamferValues().Find(feature);
  if (kept == nullptr) return false;
  *values = *kept;
  return true;
}
void ForgetModelingValues() {
  extrudeValues().Clear();
  chamferValues().Clear();
}
}  // namespace KTX::Host
