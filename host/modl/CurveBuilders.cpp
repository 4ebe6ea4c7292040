#include "modl/CurveBuilders.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "geom/Curve.hpp"
#include "geom/CurveLoops.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "math/Vector.hpp"
#include "modl/FeatureGeometry.hpp"
#include "om/HostClass.hpp"
#include "om/LogTags.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "upd/Update.hpp"

namespace KTX {

int CRV_feature_parms::ThisClassId = 0;
int CRV_JOIN_feature_parms::ThisClassId = 0;
int CRV_OFFSET_feature_parms::ThisClassId = 0;
int CRV_PROJECT_feature_parms::ThisClassId = 0;
int ModlCurveJA::CurveOptions::ThisClassId = 0;
int ModlCurveJA::JoinCurvesBuilder::ThisClassId = 0;
int ModlCurveJA::OffsetCurveBuilder::ThisClassId = 0;
int ModlCurveJA::ProjectCurveBuilder::ThisClassId = 0;

namespace {

struct Registration {
  Registration() {
    using namespace ModlCurveJA;
    Host::RegisterHostClass<CRV_feature_parms>(FEATURE_PARMS::OmClassName, true);
    Host::RegisterHostClass<CRV_JOIN_feature_parms>(CRV_feature_parms::OmClassName);
    Host::RegisterHostClass<CRV_OFFSET_feature_parms>(CRV_feature_parms::OmClassName);
    Host::RegisterHostClass<CRV_PROJECT_feature_parms>(CRV_feature_parms::OmClassName);
    Host::RegisterHostClass<CurveOptions>(OM::TaggedObject::OmClassName);
    Host::RegisterHostClass<JoinCurvesBuilder>(JAX_FEAT_BUILDER::OmClassName);
    Host::RegisterHostClass<OffsetCurveBuilder>(JAX_FEAT_BUILDER::OmClassName);
    Host::RegisterHostClass<ProjectCurveBuilder>(JAX_FEAT_BUILDER::OmClassName);
  }
} registration;

template <class T>
T* objectOf(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

void destroyTag(tag_t tag) {
  if (auto* object = objectOf<OM::TaggedObject>(tag)) object->destroy();
}

std::vector<double> pointsOf(tag_t curve) {
  const auto* c = objectOf<ES_curve>(curve);
  return c == nullptr ? std::vector<double>{} : c->ask_points();
}

tag_t polyline(PART_part* part, const std::vector<double>& points) {
  return ES_create_polyline_in_part(part, static_cast<int>(points.size() / 3), points.data());
}

}  // namespace

// ---- curve feature parameters -------------------------------------------------------

CRV_feature_parms::CRV_feature_parms(int classId, void* context)
    : FEATURE_PARMS(classId, context), curves_(new OM::TagVla(this)) {}
CRV_feature_parms::~CRV_feature_parms() { delete curves_; }

SC_section* CRV_feature_parms::ask_section() const { return objectOf<SC_section>(section_); }

void CRV_feature_parms::set_section(SC_section* section) {
  OM::LogForWrite(this);
  section_ = OM::OM_ask_object_tag(section);
}

std::vector<tag_t> CRV_feature_parms::ask_curves() const {
  std::vector<tag_t> alive;
  if (curves_ != nullptr)
    for (tag_t t : curves_->Items())
      if (OM::OM_object_of_tag(t) != nullptr) alive.push_back(t);
  return alive;
}

void CRV_feature_parms::set_curves(const std::vector<tag_t>& curves) {
  if (curves_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the feature's curves");
  for (tag_t old : ask_curves())
    if (std::find(curves.begin(), curves.end(), old) == curves.end()) destroyTag(old);
  OM::OM__log(curves_);
  curves_->Items() = curves;
}

void CRV_feature_parms::set_distance(double distance) {
  OM::LogForWrite(this);
  distance_ = distance;
}

void CRV_feature_parms::set_plane(tag_t plane) {
  OM::LogForWrite(this);
  plane_ = plane;
}

void CRV_feature_parms::cascade_destroy() {
  for (tag_t t : ask_curves()) destroyTag(t);
  destroyTag(section_);
  FEATURE_PARMS::cascade_destroy();
}

int FREC_collect_all_dcurve(tag_t frec, int* count, tag_t** curves) {
  Host::Log("FREC_collect_all_dcurve", "tag=" + std::to_string(frec));
  *count = 0;
  *curves = nullptr;
  auto* record = objectOf<FEATURE_RECORD>(frec);
  if (record == nullptr) return kNotAFeature;
  auto* parms = dynamic_cast<CRV_feature_parms*>(record->ask_parms());
  std::vector<tag_t> found;
  // A compensation's curve is its smooth approximation of its input, unless
  // a test scripted the curve.
  if (parms != nullptr)
    found = parms->ask_curves();
  else if (const auto scripted = static_cast<tag_t>(Host::Answer("FREC_collect_all_dcurve.curve", 0)); scripted != 0)
    found.push_back(scripted);
  else
    found = CompensatedCurves(record);
  if (found.empty()) return 0;
  *curves = static_cast<tag_t*>(SM_alloc(found.size() * sizeof(tag_t)));
  if (*curves == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu tags", found.size());
  std::memcpy(*curves, found.data(), found.size() * sizeof(tag_t));
  *count = static_cast<int>(found.size());
  return 0;
}

}  // namespace KTX

namespace KTX::ModlCurveJA {

namespace {
void logSetting(const OM::Object* object, const char* name, const std::string& value) {
  Host::Log(std::string("ModlCurveJA::") + name, Host::TagArg(object) + " " + value);
}
}  // namespace

#define KTX_OPTION_SETTER(Setter, field)              \
  void CurveOptions::Setter(int value) {              \
    logSetting(this, #Setter, std::to_string(value)); \
    OM::LogForWrite(this);                            \
    field = value;                                    \
  }
KTX_OPTION_SETTER(SetAssociative, associative_)
KTX_OPTION_SETTER(SetInputCurvesOption, inputCurves_)
KTX_OPTION_SETTER(SetTrimOption, trim_)
KTX_OPTION_SETTER(SetProjectDirectionMethod, direction_)
#undef KTX_OPTION_SETTER

// ---- what the three builders share ------------------------------------------------

SC_section* CurveFeatureBuilder::GetSection() const { return objectOf<SC_section>(section_); }
CurveOptions* CurveFeatureBuilder::GetOutputOptions() const { return objectOf<CurveOptions>(outputOptions_); }

void CurveFeatureBuilder::SetDistanceTolerance(double value) {
  OM::LogForWrite(this);
  distanceTolerance_ = value;
}
void CurveFeatureBuilder::SetAngleTolerance(double value) {
  OM::LogForWrite(this);
  angleTolerance_ = value;
}
void CurveFeatureBuilder::SetTolerance(double value) {
  OM::LogForWrite(this);
  tolerance_ = value;
}

void CurveFeatureBuilder::Start(CM_part* part, FEATURE_RECORD* frec, CRV_feature_parms* parms) {
  init_object(part, frec);
  PART_part* owner = PART_ask_part_of_cm_part(part);
  SC_section* section = parms != nullptr ? parms->ask_section() : nullptr;
  ownsSection_ = section == nullptr;
  if (section == nullptr)
    section = SC_sectionFactory::object(OM::OM_ask_object_tag(owner), 0.95 * TOLER_ask_distance_tol(),
                                        TOLER_ask_distance_tol(), TOLER_ask_angular_tol());
  section_ = section->OmTag();
  outputOptions_ = Host::CreateInPart<CurveOptions>(owner)->OmTag();
}

int CurveFeatureBuilder::commit_feature(FEATURE_RECORD** frec) {
  char* name = ask_journal_class_name();
  const std::string called = std::string(name) + " tag=" + std::to_string(OmTag());
  SM_free(name);  // before the call is logged: a failing call raises there
  Host::Log("ModlCurveJA::commit", called);
  if (long long code = Host::Answer("ModlCurveJA.commit", 0); code != 0) return static_cast<int>(code);
  SC_section* section = GetSection();
  std::vector<tag_t> curves;
  if (Host::Answer("ModlCurveJA.nocurve", 0) == 0) {
    const std::vector<tag_t> inputs = section != nullptr ? section->ask_rule_entities() : std::vector<tag_t>{};
    if (int status = MakeCurves(inputs, &curves); status != 0) {
      for (tag_t t : curves) destroyTag(t);
      return status;
    }
  }
  FEATURE_RECORD* record = get_frec();
  CRV_feature_parms* parms = record != nullptr ? dynamic_cast<CRV_feature_parms*>(record->ask_parms()) : nullptr;
  if (parms == nullptr) {
    parms = MakeParms();
    Host::KeepInPart(ask_owning_part(), parms);
    record = FEATURE_RECORD::Create(ask_owning_part(), parms);
    parms->SetFeatureRecord(record);
    parms->set_section(section);
    OM::LogForWrite(this);
    ownsSection_ = false;  // the feature holds it now
    set_frec(record);
  } else {
    UPDATE_log_object_to_update(record);
  }
  parms->set_curves(curves);
  KeepSettings(parms);
  if (frec != nullptr) *frec = record;
  return 0;
}

void CurveFeatureBuilder::cascade_destroy() {
  if (ownsSection_) destroyTag(section_);
  destroyTag(outputOptions_);
  JAX_FEAT_BUILDER::cascade_destroy();
}

namespace {
template <class Builder, class Parms>
Builder* makeBuilder(CM_part* part, FEATURE_RECORD* frec) {
  Parms* parms = frec != nullptr ? dynamic_cast<Parms*>(frec->ask_parms()) : nullptr;
  Host::Log("ModlCurveJA::Factory::Create",
            std::string(Builder::OmClassName) + " frec=" + std::to_string(OM::OM_ask_object_tag(frec)));
  if (part == nullptr || (frec != nullptr && parms == nullptr)) return nullptr;
  // Not kept by the part: a builder nobody destroys is counted alive.
  auto* builder = Host::CreateHostObject<Builder>();
  builder->Start(part, frec, parms);
  return builder;
}
}  // namespace

// ---- join ------------------------------------------------------------------------

char* JoinCurvesBuilder::ask_journal_class_name() const { return SM_string_copy("Features.JoinCurvesBuilder"); }

int JoinCurvesBuilder::MakeCurves(const std::vector<tag_t>& inputs, std::vector<tag_t>* curves) {
  OM_tag_set* set = OM_create_tag_set();
  for (tag_t t : inputs) OM_insert_into_tag_set(set, t);
  int count = 0, closed = 0, open = 0;
  MW_loop_s* loops = nullptr;
  tag_t joined = 0;
  int status = 0;
  // The set and the loops go also when a call on the way raises.
  try {
    status = MW_sort_segments(set, GetDistanceTolerance(), &count, &loops, &closed, &open);
  } catch (...) {
    OM_delete_tag_set(set);
    throw;
  }
  OM_delete_tag_set(set);
  try {
    // A join of curves in several chains joins the first chain only.
    if (status == 0 && count > 0)
      status = GEN_ZVTPAD_combine_curves(loops[0].count, loops[0].curves, 0, GetDistanceTolerance(), &joined);
  } catch (...) {
    MW_free_loops(count, loops);
    throw;
  }
  MW_free_loops(count, loops);
  if (status != 0) return status;
  if (joined != 0) curves->push_back(joined);
  return 0;
}

CRV_feature_parms* JoinCurvesBuilder::MakeParms() { return Host::CreateHostObject<CRV_JOIN_feature_parms>(); }

JoinCurvesBuilder* JoinCurvesBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return makeBuilder<JoinCurvesBuilder, CRV_JOIN_feature_parms>(part, frec);
}

// ---- offset ----------------------------------------------------------------------

char* OffsetCurveBuilder::ask_journal_class_name() const { return SM_string_copy("Features.OffsetCurveBuilder"); }

void OffsetCurveBuilder::SetOffsetType(int type) {
  OM::LogForWrite(this);
  offsetType_ = type;
}
int OffsetCurveBuilder::SetNumberOfCopies(int copies) {
  if (copies < kFewestCopies || copies > kMostCopies) return kCopiesOutOfRange;
  OM::LogForWrite(this);
  copies_ = copies;
  return 0;
}
void OffsetCurveBuilder::SetGapFill(int option) {
  OM::LogForWrite(this);
  gapFill_ = option;
}
void OffsetCurveBuilder::SetTrimInputCurves(bool trim) {
  OM::LogForWrite(this);
  trimInput_ = trim;
}
CurveOptions* OffsetCurveBuilder::GetTrimOptions() const { return objectOf<CurveOptions>(trimOptions_); }
EXP_expression* OffsetCurveBuilder::GetDistance() const { return objectOf<EXP_expression>(distance_); }

void OffsetCurveBuilder::AskOffsetDirection(double direction[3]) const {
  direction[0] = direction[1] = direction[2] = 0;
  const SC_section* section = GetSection();
  const std::vector<tag_t> inputs = section != nullptr ? section->ask_rule_entities() : std::vector<tag_t>{};
  const std::vector<double> p = inputs.empty() ? std::vector<double>{} : pointsOf(inputs.front());
  if (p.size() < 6) return;
  const double t[3] = {p[3] - p[0], p[4] - p[1], p[5] - p[2]};
  double normal[3] = {0, 0, 1};
  if (p.size() >= 9) {
    const double u[3] = {p[6] - p[3], p[7] - p[4], p[8] - p[5]};
    double n[3];
    Math::Cross(t, u, n);
    if (std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]) > 1e-12) std::copy(n, n + 3, normal);
  }
  double d[3];
  Math::Cross(normal, t, d);
  const double length = std::sqrt(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
  if (length <= 1e-12) return;
  for (int i = 0; i < 3; ++i) direction[i] = d[i] / length * (reverse_ ? -1.0 : 1.0);
}

namespace {
// A closed planar curve offset in its plane, its corners kept sharp: by
// `distance` towards the side the direction points to at its first segment
// (the region it bounds, or away from it). Nothing for an open curve, or
// one of fewer than three segments; kShapeNotMade when the modeller cannot
// offset it (an inward offset that leaves nothing).
int offsetClosed(const std::vector<double>& points, const double direction[3], double distance,
                 std::vector<double>* offset) {
  offset->clear();
  const std::size_t n = points.size() / 3;
  if (n < 4 || std::hypot(points[0] - points[3 * n - 3], points[1] - points[3 * n - 2], points[2] - points[3 * n - 1]) >
                   std::max(1.0e-6, TOLER_ask_distance_tol()))
    return 0;
  const double toKernel = Kernel::ScaleFactors().factors[0];
  std::vector<double> loop(points.begin(), points.end() - 3);
  double area[3] = {0, 0, 0};
  for (std::size_t i = 0; i + 1 < n; ++i) {
    const double* a = &loop[3 * i];
    const double* b = &loop[3 * ((i + 1) % (n - 1))];
    double c[3];
    Math::Cross(a, b, c);
    for (int k = 0; k < 3; ++k) area[k] += c[k];
  }
  const double t[3] = {loop[3] - loop[0], loop[4] - loop[1], loop[5] - loop[2]};
  // Outward at the first segment: the segment crossed with the area normal.
  double out[3];
  Math::Cross(t, area, out);
  const double side = out[0] * direction[0] + out[1] * direction[1] + out[2] * direction[2];
  if (side == 0.0) return 0;
  for (double& v : loop) v *= toKernel;
  if (Kernel::OffsetLoop(loop, (side > 0 ? distance : -distance) * toKernel, offset) != 0) return kShapeNotMade;
  for (double& v : *offset) v /= toKernel;
  offset->insert(offset->end(), offset->begin(), offset->begin() + 3);
  return 0;
}
}  // namespace

int OffsetCurveBuilder::MakeCurves(const std::vector<tag_t>& inputs, std::vector<tag_t>* curves) {
  double direction[3];
  AskOffsetDirection(direction);
  const EXP_expression* distance = GetDistance();
  const double by = distance != nullptr ? distance->ask_value() : 0.0;
  for (tag_t input : inputs) {
    std::vector<double> points = pointsOf(input);
    if (points.empty()) return Geometry::kNoEntity;
    std::vector<double> offset;
    if (int status = offsetClosed(points, direction, by, &offset); status != 0) return status;
    if (offset.empty()) {
      // An open curve is moved along the direction.
      for (std::size_t i = 0; i < points.size(); ++i) points[i] += by * direction[i % 3];
      offset = std::move(points);
    }
    curves->push_back(polyline(ask_owning_part(), offset));
  }
  return 0;
}

void OffsetCurveBuilder::cascade_destroy() {
  destroyTag(trimOptions_);
  destroyTag(distance_);
  CurveFeatureBuilder::cascade_destroy();
}

CRV_feature_parms* OffsetCurveBuilder::MakeParms() { return Host::CreateHostObject<CRV_OFFSET_feature_parms>(); }

void OffsetCurveBuilder::KeepSettings(CRV_feature_parms* parms) {
  const EXP_expression* distance = GetDistance();
  parms->set_distance(distance != nullptr ? distance->ask_value() : 0.0);
}

OffsetCurveBuilder* OffsetCurveBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  auto* builder = makeBuilder<OffsetCurveBuilder, CRV_OFFSET_feature_parms>(part, frec);
  if (builder == nullptr) return nullptr;
  PART_part* owner = builder->ask_owning_part();
  builder->copies_ = 1;
  builder->trimOptions_ = Host::CreateInPart<CurveOptions>(owner)->OmTag();
  // Editing, the distance is the feature's.
  const double distance = frec != nullptr ? dynamic_cast<CRV_feature_parms*>(frec->ask_parms())->ask_distance() : 0.0;
  char* text = EXP_format_value(distance);
  try {
    builder->distance_ =
        EXP_expression::Make(owner, text != nullptr ? text : "0", distance, UNIT_ask_default_unit_obj_for_measure(0))
            ->OmTag();
  } catch (...) {
    SM_free(text);
    throw;
  }
  SM_free(text);
  return builder;
}

// ---- project ---------------------------------------------------------------------

char* ProjectCurveBuilder::ask_journal_class_name() const { return SM_string_copy("Features.ProjectCurveBuilder"); }

void ProjectCurveBuilder::SetPlaneOnTheFly(tag_t plane) {
  logSetting(this, "SetPlaneOnTheFly", std::to_string(plane));
  OM::LogForWrite(this);
  plane_ = plane;
}
void ProjectCurveBuilder::SetProjectOption(int option) {
  OM::LogForWrite(this);
  projectOption_ = option;
}
CurveOptions* ProjectCurveBuilder::GetProjectionOptions() const { return objectOf<CurveOptions>(projection_); }

int ProjectCurveBuilder::MakeCurves(const std::vector<tag_t>& inputs, std::vector<tag_t>* curves) {
  const auto* plane = objectOf<GEOM_entity>(plane_);
  if (plane == nullptr) return Geometry::kNoEntity;
  double n[3];
  plane->ask_direction(n);
  const double* o = plane->ask_origin();
  for (tag_t input : inputs) {
    std::vector<double> points = pointsOf(input);
    if (points.empty()) return Geometry::kNoEntity;
    for (std::size_t i = 0; i < points.size(); i += 3) {
      const double h = (points[i] - o[0]) * n[0] + (points[i + 1] - o[1]) * n[1] + (points[i + 2] - o[2]) * n[2];
      for (std::size_t k = 0; k < 3; ++k) points[i + k] -= h * n[k];
    }
    curves->push_back(polyline(ask_owning_part(), points));
  }
  return 0;
}

void ProjectCurveBuilder::cascade_destroy() {
  destroyTag(projection_);
  CurveFeatureBuilder::cascade_destroy();
}

CRV_feature_parms* ProjectCurveBuilder::MakeParms() { return Host::CreateHostObject<CRV_PROJECT_feature_parms>(); }

void ProjectCurveBuilder::KeepSettings(CRV_feature_parms* parms) { parms->set_plane(plane_); }

ProjectCurveBuilder* ProjectCurveBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  auto* builder = makeBuilder<ProjectCurveBuilder, CRV_PROJECT_feature_parms>(part, frec);
  if (builder == nullptr) return nullptr;
  builder->projection_ = Host::CreateInPart<CurveOptions>(builder->ask_owning_part())->OmTag();
  // Editing, the plane is the feature's.
  if (frec != nullptr) builder->plane_ = dynamic_cast<CRV_feature_parms*>(frec->ask_parms())->ask_plane();
  return builder;
}

}  // namespace KTX::ModlCurveJA
