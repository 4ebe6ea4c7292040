#include "modl/FeatureGeometry.hpp"

#include <algorithm>
#include <cmath>
#include <map>

#include "afl/DieEngParms.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"
#include "sys/Settings.hpp"
#include "tool/ToolingBoolean.hpp"
#include "tool/ToolingGeometry.hpp"

namespace KTX {
namespace {

template <class T>
T* hostObject(tag_t tag) {
  return dynamic_cast<T*>(OM::OM_object_of_tag(tag));
}

double dot(const double* a, const double* b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

// The kernel body of a model body that holds geometry; 0 otherwise.
int geometryOf(tag_t body) {
  const auto* solid = hostObject<ES_solid>(body);
  return solid != nullptr && Kernel::HasGeometry(solid->ask_kernel_body()) ? solid->ask_kernel_body() : 0;
}

// The profile's curves chained into closed loops (host units); false when a
// chain does not close.
bool closedLoops(tag_t section, std::vector<std::vector<double>>* loops) {
  const auto* found = hostObject<SC_section>(section);
  if (found == nullptr) return false;
  const double meet = std::max(1.0e-6, TOLER_ask_distance_tol());
  auto meets = [&](const double* a, const double* b) { return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]) <= meet; };
  std::vector<std::vector<double>> chains;
  for (tag_t entity : found->ask_rule_entities()) {
    const auto* curve = hostObject<ES_curve>(entity);
    if (curve == nullptr) return false;
    std::vector<double> points = curve->ask_points();
    if (points.size() < 6) return false;
    if (!chains.empty()) {
      std::vector<double>& chain = chains.back();
      const double* end = chain.data() + chain.size() - 3;
      const bool closed = chain.size() > 6 && meets(chain.data(), end);
      if (!closed && meets(points.data() + points.size() - 3, end) && !meets(points.data(), end))
        for (std::size_t i = 0, j = points.size() - 3; i < j; i += 3, j -= 3)
          for (int k = 0; k < 3; ++k) std::swap(points[i + k], points[j + k]);
      if (!closed && meets(points.data(), end)) {
        chain.insert(chain.end(), points.begin() + 3, points.end());
        continue;
      }
    }
    chains.push_back(std::move(points));
  }
  for (std::vector<double>& chain : chains) {
    if (chain.size() < 12 || !meets(chain.data(), chain.data() + chain.size() - 3)) return false;
    chain.resize(chain.size() - 3);
  }
  *loops = std::move(chains);
  return !loops->empty();
}

// The plane an extent until an object runs to: the object's first face.
bool planeOf(tag_t object, double point[3], double normal[3]) {
  int count = 0;
  tag_t* faces = nullptr;
  ES_body_ask_faces(object, &count, &faces);
  const tag_t first = count > 0 ? faces[0] : 0;
  SM_free(faces);
  const double middle[2] = {0.5, 0.5};
  if (first == 0 || MODL_ask_face_props(first, middle, point, normal) != 0) return false;
  const double length = std::sqrt(dot(normal, normal));
  if (!(length > 0)) return false;
  for (int k = 0; k < 3; ++k) normal[k] /= length;
  return true;
}

std::vector<double> scaled(const std::vector<double>& points, double by) {
  std::vector<double> out(points);
  for (double& v : out) v *= by;
  return out;
}

}  // namespace

int ExtrudeGeometry(const ExtrudeValues& values, int* kernelBody) {
  *kernelBody = 0;
  std::vector<std::vector<double>> loops;
  if (!closedLoops(values.section, &loops)) return 0;
  const int types[2] = {values.startType, values.endType};
  const tag_t objects[2] = {values.startObject, values.endObject};
  for (int side = 0; side < 2; ++side)
    if (types[side] == 2 && geometryOf(objects[side]) == 0) return 0;
  const double toKernel = Kernel::ScaleFactors().factors[0];
  double d[3] = {0, 0, 1};
  if (const auto* entity = hostObject<GEOM_entity>(values.direction)) entity->ask_direction(d);
  const double length = std::sqrt(dot(d, d));
  if (!(length > 0)) return -1;
  for (double& v : d) v /= length;

  // The region: the loops as they are, or offset (positive outward).
  std::vector<std::vector<double>> region;
  std::vector<double> offsets;
  if (values.offsetOption == 1) offsets = {TEXT_atof(values.startOffset.c_str()), TEXT_atof(values.endOffset.c_str())};
  if (values.offsetOption == 3) offsets = {TEXT_atof(values.endOffset.c_str())};
  for (const std::vector<double>& loop : loops) {
    if (offsets.empty()) {
      region.push_back(scaled(loop, toKernel));
      continue;
    }
    for (double by : offsets) {
      std::vector<double> moved;
      if (Kernel::OffsetLoop(scaled(loop, toKernel), by * toKernel, &moved) != 0) return -1;
      region.push_back(std::move(moved));
    }
  }

  // Each limit as an extent along d: a value, or where the object's plane is
  // met; the sweep runs past the planes and is cut back to them.
  double origin[2][3], normal[2][3];
  double extent[2] = {TEXT_atof(values.startValue.c_str()) * toKernel, TEXT_atof(values.endValue.c_str()) * toKernel};
  bool flat[2] = {false, false};
  double low = HUGE_VAL, high = -HUGE_VAL;          // the planes' reach
  double fixedLow = HUGE_VAL, fixedHigh = -HUGE_VAL;  // the values' own
  double centre[3] = {0, 0, 0};
  const std::vector<double>& outer = region.front();
  for (std::size_t i = 0; i < outer.size(); ++i) centre[i % 3] += outer[i] / static_cast<double>(outer.size() / 3);
  auto meetAt = [&](int side, const double* p) {
    const double w[3] = {origin[side][0] - p[0], origin[side][1] - p[1], origin[side][2] - p[2]};
    return dot(w, normal[side]) / dot(d, normal[side]);
  };
  for (int side = 0; side < 2; ++side) {
    if (types[side] != 2) {
      fixedLow = std::min(fixedLow, extent[side]);
      fixedHigh = std::max(fixedHigh, extent[side]);
      continue;
    }
    if (!planeOf(objects[side], origin[side], normal[side])) return -1;
    for (double& v : origin[side]) v *= toKernel;
    if (std::fabs(dot(d, normal[side])) < 1.0e-9) return -1;
    double first = HUGE_VAL, last = -HUGE_VAL;
    for (const std::vector<double>& loop : region)
      for (std::size_t i = 0; i + 2 < loop.size(); i += 3) {
        const double t = meetAt(side, &loop[i]);
        first = std::min(first, t);
        last = std::max(last, t);
      }
    extent[side] = meetAt(side, centre);
    // A plane the whole profile meets at one extent (square to the sweep
    // across a flat profile) is that extent: no cut is needed.
    if (last - first <= 1.0e-12) {
      flat[side] = true;
      fixedLow = std::min(fixedLow, extent[side]);
      fixedHigh = std::max(fixedHigh, extent[side]);
      continue;
    }
    low = std::min(low, first);
    high = std::max(high, last);
  }
  const bool cut = (types[0] == 2 && !flat[0]) || (types[1] == 2 && !flat[1]);
  if (cut) {
    // Past every plane by a tenth of the whole reach (a millimetre at least).
    const double margin = 0.1 * (std::max(high, fixedHigh) - std::min(low, fixedLow)) + 0.001;
    low -= margin;
    high += margin;
  }
  low = std::min(low, fixedLow);
  high = std::max(high, fixedHigh);
  if (!cut && fixedLow == fixedHigh) return -1;  // both limits at one extent
  if (!(high - low > 1.0e-9)) return -1;
  int made = 0;
  if (Kernel::MakeExtrusion(region, d, low, high, values.bodyType == 1, &made) != 0) return -1;
  for (int side = 0; side < 2 && cut; ++side) {
    if (types[side] != 2 || flat[side]) continue;
    // Keep the side of the plane where the other limit lies.
    const double other = extent[1 - side];
    const double towards[3] = {centre[0] + other * d[0] - origin[side][0], centre[1] + other * d[1] - origin[side][1],
                               centre[2] + other * d[2] - origin[side][2]};
    const double sense = dot(towards, normal[side]) >= 0 ? 1.0 : -1.0;
    const double keep[3] = {sense * normal[side][0], sense * normal[side][1], sense * normal[side][2]};
    if (Kernel::TrimToPlane(made, origin[side], keep) != 0 || !Kernel::IsBody(made)) {
      Kernel::DeleteBody(made, "ExtrudeGeometry");
      return -1;
    }
  }
  *kernelBody = made;
  return 1;
}

int ExtrudeBody(FEATURE_RECORD* feature, const ExtrudeValues& values, int kernelBody) {
  const tag_t old = feature->ask_body_eid();
  const auto* kept = hostObject<ES_solid>(old);
  if (kept != nullptr && Kernel::IsBody(kept->ask_kernel_body()) &&
      Kernel::IsSheet(kept->ask_kernel_body()) == (values.bodyType == 1) &&
      Kernel::TakeGeometry(kept->ask_kernel_body(), kernelBody) == 0) {
    ES_body_follow_geometry(old);
  } else {
    feature->set_body_eid(ES_create_body_of_geometry(PART_ask_part_of_object(feature->OmTag()), kernelBody));
    if (old != 0) {
      int count = 0;
      tag_t* faces = nullptr;
      ES_body_ask_faces(old, &count, &faces);
      for (int i = 0; i < count; ++i)
        if (auto* face = hostObject<OM::TaggedObject>(faces[i])) face->destroy();
      SM_free(faces);
      if (auto* body = hostObject<OM::TaggedObject>(old)) body->destroy();
    }
  }
  if ((values.booleanType == 1 || values.booleanType == 2) && geometryOf(values.booleanTarget) != 0)
    return CombineGeometry(values.booleanTarget, {feature->ask_body_eid()}, values.booleanType == 2);
  return 0;
}

int TrimBodyGeometry(tag_t body, const double point[3], const double normal[3], bool reverse) {
  const int kernel = geometryOf(body);
  if (kernel == 0) return 0;
  const double toKernel = Kernel::ScaleFactors().factors[0];
  const double at[3] = {point[0] * toKernel, point[1] * toKernel, point[2] * toKernel};
  const double sense = reverse ? 1.0 : -1.0;
  const double keep[3] = {sense * normal[0], sense * normal[1], sense * normal[2]};
  if (Kernel::TrimToPlane(kernel, at, keep) != 0 || !Kernel::IsBody(kernel)) return kShapeNotMade;
  ES_body_follow_geometry(body);
  return 0;
}

int ChamferGeometry(const std::vector<tag_t>& edges, double first, double second) {
  const double toKernel = Kernel::ScaleFactors().factors[0];
  std::vector<std::vector<double>> ends;
  for (tag_t edge : edges)
    if (const auto* curve = hostObject<ES_curve>(edge)) ends.push_back(scaled(curve->ask_points(), toKernel));
  if (ends.empty()) return 0;
  PART_part* part = CONTEXT_ask_work_part_p();
  if (part == nullptr) return 0;
  const double tolerance = std::max(1.0e-6, TOLER_ask_distance_tol()) * toKernel;
  for (tag_t t : Host::KeptInPart(part)) {
    const int kernel = geometryOf(t);
    if (kernel == 0 || Kernel::IsSheet(kernel)) continue;
    int chamfered = 0;
    if (Kernel::ChamferEdges(kernel, ends, first * toKernel, second * toKernel, tolerance, &chamfered) != 0)
      return kShapeNotMade;
    if (chamfered > 0) ES_body_follow_geometry(t);
  }
  return 0;
}

int CombineGeometry(tag_t target, const std::vector<tag_t>& tools, bool subtract) {
  const int kernel = geometryOf(target);
  if (kernel == 0) return 0;
  for (tag_t tool : tools)
    if (geometryOf(tool) == 0 || tool == target) return 0;
  for (tag_t tool : tools)
    if (Kernel::Combine(kernel, geometryOf(tool), subtract) != 0) return kShapeNotMade;
  ES_body_follow_geometry(target);
  return 0;
}

namespace {
// The tooling library's booleans combine geometry as the modelling features do.
struct GeometryCombinerRegistration {
  GeometryCombinerRegistration() { Host::SetGeometryCombiner(&CombineGeometry); }
} geometryCombinerRegistration;
}  // namespace

namespace {
// What a compensation made, by feature: its input points, the tolerance it
// kept to and its curves.
struct Compensated {
  std::vector<std::vector<double>> inputs;
  double tolerance = 0;
  std::vector<tag_t> curves;
};
std::map<tag_t, Compensated>& compensated() {
  static auto* made = new std::map<tag_t, Compensated>;
  return *made;
}
}  // namespace

std::vector<tag_t> CompensatedCurves(FEATURE_RECORD* feature) {
  const auto* parms = feature != nullptr ? dynamic_cast<DieEng::CompensateRoughCurve*>(feature->ask_parms()) : nullptr;
  if (parms == nullptr) return {};
  std::vector<std::vector<double>> inputs;
  if (const SC_section* section = parms->GetCurveCollector())
    for (tag_t entity : section->ask_rule_entities())
      if (const auto* curve = hostObject<ES_curve>(entity)) inputs.push_back(curve->ask_points());
  // The curve keeps within the distance tolerance of its input and bridges
  // no gap wider than the maximum gap: the smaller bound holds (one not above
  // 0 bounds nothing; with neither, the part's distance tolerance).
  double tolerance = HUGE_VAL;
  for (double bound : {parms->GetDistanceTolerance(), parms->GetMaximumGap()})
    if (bound > 0) tolerance = std::min(tolerance, bound);
  if (!(tolerance < HUGE_VAL)) tolerance = TOLER_ask_distance_tol();
  Compensated& kept = compensated()[feature->OmTag()];
  const bool alive = std::all_of(kept.curves.begin(), kept.curves.end(),
                                 [](tag_t t) { return hostObject<ES_curve>(t) != nullptr; });
  if (alive && !kept.curves.empty() && kept.inputs == inputs && kept.tolerance == tolerance) return kept.curves;
  for (tag_t old : kept.curves)
    if (auto* curve = hostObject<OM::TaggedObject>(old)) curve->destroy();
  kept = Compensated{inputs, tolerance, {}};
  const double toKernel = Kernel::ScaleFactors().factors[0];
  const double meet = std::max(1.0e-6, TOLER_ask_distance_tol());
  for (const std::vector<double>& points : inputs) {
    const std::size_t n = points.size() / 3;
    if (n < 2) continue;
    const bool closed =
        n > 3 && std::hypot(points[0] - points[3 * n - 3], points[1] - points[3 * n - 2], points[2] - points[3 * n - 1]) <= meet;
    // Closed: the closing point, which may lie off the first by up to the
    // tolerance it met within, is the first again.
    std::vector<double> smooth(points.begin(), points.end() - (closed ? 3 : 0));
    if (Kernel::SmoothPoints(scaled(smooth, toKernel), closed, tolerance * toKernel, &smooth) != 0) continue;
    for (double& v : smooth) v /= toKernel;
    if (closed) smooth.insert(smooth.end(), {smooth[0], smooth[1], smooth[2]});
    kept.curves.push_back(ES_create_polyline_in_part(PART_ask_part_of_object(feature->OmTag()),
                                                     static_cast<int>(smooth.size() / 3), smooth.data()));
  }
  return kept.curves;
}

}  // namespace KTX
