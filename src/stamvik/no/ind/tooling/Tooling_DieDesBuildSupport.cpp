#include "Tooling_DieDesBuildSupport.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "exp/Expression.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "math/Vector.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "sel/Selection.hpp"
#include "sys/Memory.hpp"
#include "tool/ToolingGeometry.hpp"

namespace KTX::Tooling::Support {

std::string lengthText(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  return text;
}

JAM::LayerManager_Interface* layerManager() {
  return Stamvik::UnjournalledInterface<JAM::LayerManager_Interface>("Layer.LayerManager");
}

tag_t workPartTag() {
  PART_part* work = CONTEXT_ask_work_part_p();
  return work != nullptr ? work->OmTag() : 0;
}

CM_part* workModelPart() { return PART_ask_cm_part_of_part_p(CONTEXT_ask_work_part_p()); }

FEATURE_RECORD* featureOf(tag_t feature) { return dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature)); }

void destroyBuilder(OM::Object* builder) {
  if (builder != nullptr) Stamvik::UnjournalledInterface<JAM::Builder_Interface>("Builder")->Destroy(builder->OmTag());
}

void finishFeature(tag_t feature) {
  if (feature != 0) Stamvik::UnjournalledInterface<JAM::Feature_Interface>("Features.Feature")->Operation13(feature);
}

tag_t firstBody(tag_t feature, tag_t otherwise) {
  int count = 0;
  Stamvik::HostBlock<tag_t> bodies;
  if (feature != 0) FREC_ask_body_eids(feature, &count, bodies.out());
  return count > 0 ? bodies[0] : otherwise;
}

std::vector<tag_t> topFacesOf(tag_t feature) {
  int count = 0;
  Stamvik::HostBlock<int> kernelFaces;
  FREC_ask_top_faces(feature, &count, kernelFaces.out());
  std::vector<tag_t> faces;
  faces.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    if (const tag_t face = ES_ask_eid_of_kernel_entity(kernelFaces[i]); face != 0) faces.push_back(face);
  return faces;
}

RoughOffset readRoughOffset(tag_t feature) {
  RSO_data_s data{};
  RSO_init_data_with_option(&data, OM::OM_object_of_tag(feature), 1);
  RoughOffset read{data.sheets.empty() ? 0 : data.sheets.front().sheet, data.distance};
  RSO_reset_data(&data);
  return read;
}

EditingBuilder::EditingBuilder(bool extrude, tag_t feature) {
  auto* collection = Stamvik::UnjournalledInterface<JAM::FeatureCollection_Interface>("Features.FeatureCollection");
  if (extrude)
    collection->CreateExtrudeBuilder(feature, &tag_);
  else
    collection->CreateChamferBuilder(feature, &tag_);
}

EditingBuilder::~EditingBuilder() {
  if (tag_ != 0)
    Stamvik::RunNoted("Builder::Destroy",
                      [this] { Stamvik::UnjournalledInterface<JAM::Builder_Interface>("Builder")->Destroy(tag_); });
}

std::string takeText(char* text) {
  const Stamvik::HostBlock<char> held(text);
  return held ? held.get() : "";
}

double expressionNumber(tag_t expression) {
  char* text = nullptr;
  if (expression != 0) Stamvik::UnjournalledInterface<JAM::Expression_Interface>("Expression")->Text(expression, &text);
  return TEXT_atof(takeText(text).c_str());
}

namespace {
// The start or end extend of an extrude builder's limits (0 when none).
tag_t limitExtend(tag_t builder, bool end) {
  tag_t limits = 0, extend = 0;
  if (builder == 0) return 0;
  Stamvik::UnjournalledInterface<JAM::ExtrudeBuilder_Interface>("Features.ExtrudeBuilder")->Limits(builder, &limits);
  if (limits == 0) return 0;
  auto* l = Stamvik::UnjournalledInterface<JAM::Limits_Interface>("GeometricUtilities.Limits");
  if (end)
    l->EndExtend(limits, &extend);
  else
    l->StartExtend(limits, &extend);
  return extend;
}
}  // namespace

double limitValue(tag_t builder, bool end) {
  tag_t value = 0;
  if (tag_t extend = limitExtend(builder, end); extend != 0)
    Stamvik::UnjournalledInterface<JAM::Extend_Interface>("GeometricUtilities.Extend")->Value(extend, &value);
  return expressionNumber(value);
}

tag_t endLimitObject(tag_t feature) {
  EditingBuilder builder(true, feature);
  tag_t object = 0;
  if (tag_t extend = limitExtend(builder.tag(), true); extend != 0)
    Stamvik::UnjournalledInterface<JAM::Extend_Interface>("GeometricUtilities.Extend")->TrimmingObject(extend, &object);
  return object;
}

double featureOffset(tag_t builder, bool end) {
  tag_t offset = 0, expression = 0;
  if (builder == 0) return 0.0;
  Stamvik::UnjournalledInterface<JAM::ExtrudeBuilder_Interface>("Features.ExtrudeBuilder")
      ->FeatureOffset(builder, &offset);
  if (offset == 0) return 0.0;
  auto* o = Stamvik::UnjournalledInterface<JAM::FeatureOffset_Interface>("GeometricUtilities.FeatureOffset");
  if (end)
    o->EndOffset(offset, &expression);
  else
    o->StartOffset(offset, &expression);
  return expressionNumber(expression);
}

double offsetCurveDistance(tag_t feature) {
  ModlCurveJA::OffsetCurveBuilder* builder =
      ModlCurveJA::OffsetCurveBuilderFactory::Create(workModelPart(), featureOf(feature));
  if (builder == nullptr) return 0.0;
  const double distance = Stamvik::ExpressionValue(builder->GetDistance());
  destroyBuilder(builder);
  return distance;
}

namespace {
struct HeldSetting {
  int (JAM::SessionModeling_Interface::*get)(bool*);
  int (JAM::SessionModeling_Interface::*set)(bool);
};
constexpr HeldSetting kHeldSettings[] = {
    {&JAM::SessionModeling_Interface::GetLogical89, &JAM::SessionModeling_Interface::SetLogical90},
    {&JAM::SessionModeling_Interface::GetLogical79, &JAM::SessionModeling_Interface::SetLogical80},
    {&JAM::SessionModeling_Interface::GetLogical81, &JAM::SessionModeling_Interface::SetLogical82},
};
JAM::SessionModeling_Interface* sessionModeling() {
  return Stamvik::UnjournalledInterface<JAM::SessionModeling_Interface>("Preferences.SessionModeling");
}
}  // namespace

void HeldSettings::Hold() {
  auto* settings = sessionModeling();
  for (held_ = 0; held_ < 3; ++held_) {
    (settings->*kHeldSettings[held_].get)(&saved_[held_]);
    // Counted as held once cleared: a setting whose clearing failed was not changed.
    (settings->*kHeldSettings[held_].set)(false);
  }
}

void HeldSettings::Restore() {
  auto* settings = sessionModeling();
  const int held = held_;
  held_ = 0;
  // Each is put back even when putting back another fails; the first failure is raised afterwards.
  std::exception_ptr failure;
  for (int i = 0; i < held; ++i) {
    try {
      (settings->*kHeldSettings[i].set)(saved_[i]);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
  }
  if (failure) std::rethrow_exception(failure);
}

void GroupMadeFeatures(OM::Set* made, tag_t editing, int moduleType, const char* name, tag_t* created) {
  *created = 0;
  int count = 0;
  Stamvik::HostBlock<tag_t> flat;
  OM_flatten_set(made, &count, flat.out());
  std::vector<tag_t> features;
  for (int i = 0; i < count; ++i) features.push_back(flat[i]);
  flat.reset();
  if (features.empty()) return;
  if (editing != 0) {
    int memberCount = 0;
    Stamvik::HostBlock<tag_t> members;
    FSET_ask_group_members(editing, &memberCount, members.out());
    for (int i = 0; i < memberCount; ++i) features.push_back(members[i]);
    members.reset();
    TOOLING_replace_feature_set_member(editing, features.data(), static_cast<int>(features.size()));
  } else {
    *created = TOOLING_create_user_defined_feature_set(features.data(), count, 1, moduleType, name);
  }
}

int SelectsOwnSet(tag_t set, std::initializer_list<const OM::Object*> selections) {
  if (set == 0 || OM::OM_object_of_tag(set) == nullptr) return 0;
  int count = 0;
  Stamvik::HostBlock<tag_t> members;
  if (FSET_ask_group_members(set, &count, members.out()) != 0) count = 0;
  std::vector<tag_t> own(members.get(), members.get() + count);
  members.reset();
  own.push_back(set);
  auto isOwn = [&](tag_t tag) { return tag != 0 && std::find(own.begin(), own.end(), tag) != own.end(); };
  for (const OM::Object* selection : selections) {
    if (const auto* one = dynamic_cast<const SELECT_OBJECT*>(selection)) {
      if (isOwn(one->ask_selected_tag())) return Messages::kSelectedOwnFeature;
    } else if (const auto* list = dynamic_cast<const TagListObject*>(selection)) {
      for (int i = 0, n = list->ask_count(); i < n; ++i)
        if (isOwn(list->ask_nth(i))) return Messages::kSelectedOwnFeature;
    }
  }
  return 0;
}

double NearestToPlane(tag_t plane, tag_t body, const double* normal) {
  int count = 0;
  Stamvik::HostBlock<tag_t> faces;
  ES_body_ask_faces(body, &count, faces.out());
  const std::vector<tag_t> held(faces.get(), faces.get() + count);
  faces.reset();
  double length = 0;
  if (normal != nullptr) length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  if (normal != nullptr && !(length > 0)) return HUGE_VAL;
  double nearest = HUGE_VAL;
  for (tag_t face : held) {
    double onPlane[3], onFace[3];
    // A measure that fails is the check's failure, the user's to see: a
    // face left unmeasured could let through a size the build cannot make.
    JAUTL_SINGLE_MEASURE_ask_minimum_dist(plane, face, onPlane, onFace);
    double d = 0;
    if (normal != nullptr) {
      for (int k = 0; k < 3; ++k) d += (onFace[k] - onPlane[k]) * normal[k] / length;
    } else {
      d = std::hypot(onFace[0] - onPlane[0], onFace[1] - onPlane[1], onFace[2] - onPlane[2]);
    }
    nearest = std::min(nearest, d);
  }
  return nearest;
}

bool MadeUnit(double v[3]) {
  const double length = std::sqrt(Math::Dot(v, v));
  if (!(length > 0)) return false;
  for (int k = 0; k < 3; ++k) v[k] /= length;
  return true;
}

double FaceSide(tag_t sheet, const double normal[3]) {
  int count = 0;
  Stamvik::HostBlock<tag_t> faces;
  ES_body_ask_faces(sheet, &count, faces.out());
  const std::vector<tag_t> held(faces.get(), faces.get() + count);
  faces.reset();
  const double length = std::hypot(normal[0], normal[1], normal[2]);
  if (!(length > 0)) return 1.0;
  constexpr double kSquare = 1e-10;  // a cosine this near 0 is a face square to the normal
  int against = 0;
  for (tag_t face : held) {
    const double middle[2] = {0.5, 0.5};
    double point[3], along[3];
    if (MODL_ask_face_props(face, middle, point, along) != 0) return 1.0;
    const double size = std::hypot(along[0], along[1], along[2]);
    if (!(size > 0)) continue;
    const double cosine = (along[0] * normal[0] + along[1] * normal[1] + along[2] * normal[2]) / (size * length);
    // A face square to the normal offsets sideways and says nothing.
    if (cosine > kSquare) return 1.0;
    if (cosine < -kSquare) ++against;
  }
  return against > 0 ? -1.0 : 1.0;
}

namespace {

// Two axes across the normal, any two, the same for every look along it.
bool axesAcross(const double normal[3], double x[3], double y[3]) {
  static constexpr double kX[3] = {1, 0, 0}, kY[3] = {0, 1, 0};
  const double* pick = std::fabs(normal[0]) < 0.9 ? kX : kY;
  const double along = Math::Dot(pick, normal);
  for (int i = 0; i < 3; ++i) x[i] = pick[i] - along * normal[i];
  const double length = std::sqrt(Math::Dot(x, x));
  if (length == 0) return false;
  for (int i = 0; i < 3; ++i) x[i] /= length;
  Math::Cross(normal, x, y);
  return true;
}

// The box of a model body's geometry in the axes across the normal and the
// normal (host lengths); false when it has none to ask.
bool boxAlong(tag_t body, const double normal[3], double low[3], double high[3]) {
  double frame[9];
  if (!axesAcross(normal, frame, frame + 3)) return false;
  for (int i = 0; i < 3; ++i) frame[6 + i] = normal[i];
  const int kernelBody = ES_solid_ask_solvane_tag(body);
  const double origin[3] = {0, 0, 0};
  if (kernelBody == 0 || ZV_BODY_ask_box(kernelBody, origin, frame, low, high) != 0) return false;
  const double toHost = Kernel::ScaleFactors().factors[1];
  for (int i = 0; i < 3; ++i) low[i] *= toHost, high[i] *= toHost;
  return true;
}

}  // namespace

std::vector<Stamvik::Outlines::Point> PointsAlong(const Stamvik::Outlines::Ring& ring, double inward, double slack,
                                                  std::size_t most) {
  using Stamvik::Outlines::Point;
  std::vector<Point> points;
  const std::size_t n = ring.size();
  const double area = Stamvik::Outlines::SignedArea(ring);
  if (n < 3 || !(area != 0) || most == 0) return points;
  double length = 0;
  for (std::size_t i = 0; i < n; ++i) length += std::hypot(ring[(i + 1) % n].x - ring[i].x, ring[(i + 1) % n].y - ring[i].y);
  if (!(length > 0)) return points;
  Stamvik::Outlines::Outline sides;
  for (std::size_t i = 0; i < n; ++i) sides.edges.push_back({ring[i].x, ring[i].y, ring[(i + 1) % n].x, ring[(i + 1) % n].y});
  // Inwards is left of a counter-clockwise ring's sides.
  const double left = area > 0 ? inward : -inward;
  const double step = length / static_cast<double>(most);
  double along = 0, next = step / 2;
  for (std::size_t i = 0; i < n && points.size() < most; ++i) {
    const Point& a = ring[i];
    const Point& b = ring[(i + 1) % n];
    const double side = std::hypot(b.x - a.x, b.y - a.y);
    for (; side > 0 && next < along + side && points.size() < most; next += step) {
      const double t = (next - along) / side, tx = (b.x - a.x) / side, ty = (b.y - a.y) / side;
      const Point p = {a.x + t * (b.x - a.x) - ty * left, a.y + t * (b.y - a.y) + tx * left};
      if (inward > 0 && !(Stamvik::Outlines::DistanceToEdges(sides, p.x, p.y) >= inward - slack)) continue;
      points.push_back(p);
    }
    along += side;
  }
  return points;
}

std::vector<Stamvik::Outlines::Point> PointsWithinOffset(const Stamvik::Outlines::Ring& ring, double offset,
                                                         double margin, double slack, std::size_t most) {
  using Stamvik::Outlines::Point;
  std::vector<Point> points = PointsAlong(ring, offset + margin, slack, most);
  // Outwards the region holds the ring's own, and every point within the
  // offset of its sides.
  if (!(offset > 0)) return points;
  // Inwards, a point that far from every side may still lie past a reflex
  // corner's mitre: in front of the corner itself (beyond the ends of both
  // its sides) and nearer than that to both their lines.
  const std::size_t n = ring.size();
  const double area = Stamvik::Outlines::SignedArea(ring), inwards = area > 0 ? 1.0 : -1.0;
  const double depth = offset + margin - slack;
  for (std::size_t i = 0; i < n && !points.empty(); ++i) {
    const Point& a = ring[(i + n - 1) % n];
    const Point& v = ring[i];
    const Point& b = ring[(i + 1) % n];
    const double l0 = std::hypot(v.x - a.x, v.y - a.y), l1 = std::hypot(b.x - v.x, b.y - v.y);
    if (!(l0 > 0) || !(l1 > 0)) continue;
    const double t0x = (v.x - a.x) / l0, t0y = (v.y - a.y) / l0, t1x = (b.x - v.x) / l1, t1y = (b.y - v.y) / l1;
    if ((t0x * t1y - t0y * t1x) * inwards >= 0) continue;  // turns the ring's own way: not reflex
    auto pastMitre = [&](const Point& p) {
      const double dx = p.x - v.x, dy = p.y - v.y;
      const double s0 = (-t0y * dx + t0x * dy) * inwards, s1 = (-t1y * dx + t1x * dy) * inwards;
      return dx * t0x + dy * t0y > 0 && dx * t1x + dy * t1y < 0 && s0 < depth && s1 < depth;
    };
    points.erase(std::remove_if(points.begin(), points.end(), pastMitre), points.end());
  }
  return points;
}

Held ShapeHeld(tag_t solid) {
  if (solid == 0) return Held::kShape;
  const int kernelBody = ES_solid_ask_solvane_tag(solid);
  if (kernelBody == 0) return Held::kNothing;
  int solids = 0;
  switch (ZV_BODY_ask_n_solids(kernelBody, &solids)) {
    case 0: return Held::kShape;
    case ZV_ERROR_no_geometry: return Held::kNothing;
    default: return Held::kUntold;
  }
}

Held ShapesHeld(std::initializer_list<tag_t> solids) {
  Held held = Held::kShape;
  for (const tag_t solid : solids) {
    const Held one = ShapeHeld(solid);
    if (one == Held::kUntold) return one;
    if (one == Held::kNothing) held = one;
  }
  return held;
}

int JudgeBuilt(tag_t solid, const double normal[3], const SolidBounds& bounds, double tolerance) {
  const int kernelBody = ES_solid_ask_solvane_tag(solid);
  int solids = 0, valid = 0;
  double low[3], high[3];
  if (kernelBody == 0 || ZV_BODY_ask_n_solids(kernelBody, &solids) != 0 || !boxAlong(solid, normal, low, high))
    return Messages::kBuiltNotMeasured;
  if (solids != 1) return Messages::kBuiltNotOneSolid;
  if (ZV_BODY_check_solid(kernelBody, &valid) != 0) return Messages::kBuiltNotMeasured;
  if (valid != 1) return Messages::kBuiltNotValid;
  double x0 = HUGE_VAL, x1 = -HUGE_VAL, y0 = HUGE_VAL, y1 = -HUGE_VAL;
  for (const Stamvik::Outlines::Ring& ring : bounds.rings)
    for (const Stamvik::Outlines::Point& p : ring)
      x0 = std::min(x0, p.x), x1 = std::max(x1, p.x), y0 = std::min(y0, p.y), y1 = std::max(y1, p.y);
  // Compared so that a bound that is not a number lets nothing through.
  const bool across = bounds.rings.empty() || (low[0] >= x0 - tolerance && high[0] <= x1 + tolerance &&
                                                low[1] >= y0 - tolerance && high[1] <= y1 + tolerance);
  if (!(across && low[2] >= bounds.low - tolerance && high[2] <= bounds.high + tolerance))
    return Messages::kBuiltOutsideItsBox;
  double x[3], y[3];
  if (!axesAcross(normal, x, y)) return Messages::kBuiltNotMeasured;
  // Every point of every part asked in one call: the modeller loads the body once.
  std::vector<double> points;
  const double toKernel = Kernel::ScaleFactors().factors[0];
  for (const SolidPart& part : bounds.parts)
    for (const Stamvik::Outlines::Point& p : part.points)
      for (int k = 0; k < 3; ++k) points.push_back((p.x * x[k] + p.y * y[k] + part.height * normal[k]) * toKernel);
  const int count = static_cast<int>(points.size() / 3);
  if (count == 0) return 0;
  std::vector<int> where(static_cast<std::size_t>(count), -1);
  if (ZV_BODY_classify_points(kernelBody, count, points.data(), where.data()) != 0)
    return Messages::kBuiltNotMeasured;
  if (std::any_of(where.begin(), where.end(), [](int w) { return w != 1; })) return Messages::kBuiltIncomplete;
  return 0;
}

int JudgeHollow(tag_t solid, const double normal[3], const std::vector<SolidPart>& hollows) {
  if (const Held held = ShapeHeld(solid); held != Held::kShape) return UnjudgedVerdict(held);
  const int kernelBody = ES_solid_ask_solvane_tag(solid);
  double x[3], y[3];
  if (kernelBody == 0 || !axesAcross(normal, x, y)) return Messages::kBuiltNotMeasured;
  std::vector<double> points;
  const double toKernel = Kernel::ScaleFactors().factors[0];
  for (const SolidPart& hollow : hollows)
    for (const Stamvik::Outlines::Point& p : hollow.points)
      for (int k = 0; k < 3; ++k) points.push_back((p.x * x[k] + p.y * y[k] + hollow.height * normal[k]) * toKernel);
  const int count = static_cast<int>(points.size() / 3);
  if (count == 0) return 0;
  std::vector<int> where(static_cast<std::size_t>(count), 1);
  if (ZV_BODY_classify_points(kernelBody, count, points.data(), where.data()) != 0)
    return Messages::kBuiltNotMeasured;
  // A margin in from the hollow's sides, a point on the boundary is a face
  // where none should be.
  if (std::any_of(where.begin(), where.end(), [](int w) { return w != -1; })) return Messages::kBuiltNotHollow;
  return 0;
}

const char* JudgedWords(int judged) {
  switch (judged) {
    case Messages::kBuiltNotOneSolid: return "The built body is not one solid.";
    case Messages::kBuiltNotValid: return "The built solid is not a valid closed solid.";
    case Messages::kBuiltOutsideItsBox: return "The built solid reaches outside the box its sizes give.";
    case Messages::kBuiltIncomplete: return "The built solid lacks a part its sizes give.";
    case Messages::kBuiltNotHollow: return "The built solid fills a hollow its sizes leave empty.";
    default: return "The built solid could not be measured.";
  }
}

double PlaneHeight(tag_t plane, tag_t body, const double normal[3]) {
  int count = 0;
  Stamvik::HostBlock<tag_t> faces;
  ES_body_ask_faces(body, &count, faces.out());
  if (count == 0) return HUGE_VAL;
  double onPlane[3], onFace[3];
  JAUTL_SINGLE_MEASURE_ask_minimum_dist(plane, faces.get()[0], onPlane, onFace);
  return Math::Dot(onPlane, normal);
}

bool HeightsAlong(tag_t body, const double normal[3], double* low, double* high) {
  double lo[3], hi[3];
  if (!boxAlong(body, normal, lo, hi)) return false;
  *low = lo[2];
  *high = hi[2];
  return true;
}

double TopHeight(tag_t body, const double normal[3]) {
  double low = 0, high = 0;
  return HeightsAlong(body, normal, &low, &high) ? high : HUGE_VAL;
}

bool RingOfCurves(const std::vector<tag_t>& curves, const double normal[3], double tolerance,
                  Stamvik::Outlines::Ring* ring) {
  SeenCurves seen;
  return SeeCurves(curves, normal, &seen) && Stamvik::Outlines::ChainedRing(seen.outline, tolerance, ring);
}

bool RingOfPoints(const std::vector<double>& points, const double normal[3], double tolerance,
                  Stamvik::Outlines::Ring* ring) {
  double x[3], y[3];
  if (!axesAcross(normal, x, y)) return false;
  const double origin[3] = {0, 0, 0};
  *ring = Stamvik::Outlines::RingOf(points, origin, x, y, tolerance);
  return true;
}

bool SeeCurves(const std::vector<tag_t>& curves, const double normal[3], SeenCurves* seen) {
  double x[3], y[3];
  if (!axesAcross(normal, x, y)) return false;
  const double origin[3] = {0, 0, 0};
  for (const tag_t curve : curves) {
    EVC_curve* made = nullptr;
    if (evcrvu(curve, &made) != 0 || made == nullptr) return false;
    const std::unique_ptr<EVC_curve, void (*)(EVC_curve*)> geometry(made, &evcrvf);
    Stamvik::Outlines::Outline& outline = seen->outline;
    const std::size_t first = outline.edges.size();
    Stamvik::Outlines::AddPolyline(&outline, geometry->points, origin, x, y, false);
    if (outline.edges.size() == first) continue;
    seen->ends.push_back({outline.edges[first].x0, outline.edges[first].y0});
    seen->ends.push_back({outline.edges.back().x1, outline.edges.back().y1});
    for (std::size_t i = first; i < outline.edges.size(); ++i)
      seen->points.push_back({outline.edges[i].x0, outline.edges[i].y0});
    seen->points.push_back({outline.edges.back().x1, outline.edges.back().y1});
  }
  return !seen->outline.edges.empty();
}

bool Closes(const SeenCurves& seen, double tolerance) {
  const auto& ends = seen.ends;
  for (std::size_t i = 0; i < ends.size(); ++i) {
    bool met = false;
    for (std::size_t j = 0; j < ends.size() && !met; ++j)
      met = j != i && std::hypot(ends[i][0] - ends[j][0], ends[i][1] - ends[j][1]) <= tolerance;
    if (!met) return false;
  }
  return true;
}

bool InwardOffsetLeavesNothing(const SeenCurves& seen, double depth, double tolerance) {
  // What lies outside a loop that does not close cannot be told from what
  // lies inside it.
  if (!Closes(seen, tolerance)) return false;
  // A bound on the work: what cannot be told within it is left to the build.
  constexpr std::size_t kMostSquares = 200000;
  return Stamvik::Outlines::ReachesDeeperThan(seen.outline, depth + tolerance, tolerance / 100, kMostSquares) ==
         Stamvik::Outlines::Depth::kNothingDeeper;
}

}  // namespace KTX::Tooling::Support
