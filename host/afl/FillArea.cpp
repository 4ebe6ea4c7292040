// The fill area's static operations, from which its preview builds the
// extrusions. The stand-in makes closed curves and tool solids and records
// what it was given; the shapes are the real library's business.
#include <string>
#include <vector>

#include "afl/DieDesign.hpp"
#include "afl/Parms.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieDes {

namespace {

std::string real(double v) { return Kernel::RealText(v); }
std::string vec(const double* v) {
  return v == nullptr ? "null" : "[" + real(v[0]) + "," + real(v[1]) + "," + real(v[2]) + "]";
}
std::string tags(int count, const tag_t* values) {
  std::string text = "[";
  for (int i = 0; values != nullptr && i < count; ++i) text += (i == 0 ? "" : ",") + std::to_string(values[i]);
  return text + "]";
}

int scripted(const char* call) { return static_cast<int>(Host::Answer(call, 0)); }

template <class T>
T* handOut(const std::vector<T>& items) {
  if (items.empty()) return nullptr;
  auto* out = static_cast<T*>(SM_calloc(items.size(), sizeof(T)));
  if (out == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu items", items.size());
  for (std::size_t i = 0; i < items.size(); ++i) out[i] = items[i];
  return out;
}

// The points a loop's curves pass through, in order.
std::vector<double> loopPoints(const SC_loop& loop) {
  std::vector<double> points;
  int count = 0;
  tag_t* curves = nullptr;
  loop.ask_curves(&count, &curves);
  for (int i = 0; i < count; ++i) {
    OM::Object* object = OM::OM_object_of_tag(curves[i]);
    if (const auto* curve = dynamic_cast<const ES_curve*>(object)) {
      const std::vector<double> own = curve->ask_points();
      points.insert(points.end(), own.begin(), own.end());
    } else if (const auto* entity = dynamic_cast<const GEOM_entity*>(object)) {
      points.insert(points.end(), entity->ask_origin(), entity->ask_origin() + 3);
    }
  }
  SM_free(curves);
  return points;
}

}  // namespace

int FillArea::GetTopPointStatic(int type, tag_t target, const FillAreaTarget* targetData, int upperLimitType,
                                bool hasUpperPlane, const double upperOrigin[3], tag_t upperSheet,
                                double distanceTolerance, double step, const double origin[3],
                                const double normal[3], double topPoint[3]) {
  Host::Log("FillArea::GetTopPointStatic",
            "type=" + std::to_string(type) + " target=" + std::to_string(target) +
                " targetData=" + std::to_string(OM::OM_ask_object_tag(targetData)) +
                " upperType=" + std::to_string(upperLimitType) + " upperPlane=" + (hasUpperPlane ? "1" : "0") +
                " upperOrigin=" + vec(hasUpperPlane ? upperOrigin : nullptr) +
                " upperSheet=" + std::to_string(upperSheet) + " tolerance=" + real(distanceTolerance) +
                " step=" + real(step) + " origin=" + vec(origin) + " normal=" + vec(normal));
  if (int code = scripted("FillArea::GetTopPointStatic"); code != 0) return code;
  if (origin == nullptr || normal == nullptr || topPoint == nullptr) return Geometry::kNoEntity;
  double height = static_cast<double>(Host::Answer("FillArea::GetTopPointStatic.height", 100));
  if (hasUpperPlane && upperOrigin != nullptr) {
    height = 0;
    for (int i = 0; i < 3; ++i) height += (upperOrigin[i] - origin[i]) * normal[i];
  }
  for (int i = 0; i < 3; ++i) topPoint[i] = origin[i] + height * normal[i];
  return 0;
}

int FillArea::GetClosedProfilesStatic(tag_t section, double distanceTolerance, int* count, tag_t** profiles) {
  Host::Log("FillArea::GetClosedProfilesStatic",
            "section=" + std::to_string(section) + " tolerance=" + real(distanceTolerance));
  if (count == nullptr || profiles == nullptr) return Geometry::kNoEntity;
  *count = 0;
  *profiles = nullptr;
  if (int code = scripted("FillArea::GetClosedProfilesStatic"); code != 0) return code;
  const auto* boundary = dynamic_cast<const SC_section*>(OM::OM_object_of_tag(section));
  if (boundary == nullptr) return 0;
  std::vector<tag_t> made;
  for (int i = 0, n = boundary->ask_loop_count(); i < n; ++i) {
    const auto* loop = dynamic_cast<const SC_loop*>(OM::OM_object_of_tag(boundary->ask_nth_loop(i)));
    if (loop == nullptr || loop->ask_kind() != SC_section::kClosed) continue;
    std::vector<double> points = loopPoints(*loop);
    if (points.size() < 3) continue;
    // Closed: back to where it started.
    points.insert(points.end(), points.begin(), points.begin() + 3);
    if (tag_t curve = ES_create_polyline(static_cast<int>(points.size() / 3), points.data()); curve != 0)
      made.push_back(curve);
  }
  *profiles = handOut(made);
  *count = static_cast<int>(made.size());
  return 0;
}

int FillArea::CreateBasicExtrusionsStatic(FillArea* parms, FEATURE_RECORD* frec, int featureCode, int extrusionKind,
                                          int profileCount, const tag_t* profiles, const double start[3],
                                          const double normal[3], const double origin[3], double height,
                                          double distanceTolerance, int* toolCount, int** tools) {
  Host::Log("FillArea::CreateBasicExtrusionsStatic",
            "parms=" + std::to_string(OM::OM_ask_object_tag(parms)) +
                " frec=" + std::to_string(OM::OM_ask_object_tag(frec)) + " code=" + std::to_string(featureCode) +
                " kind=" + std::to_string(extrusionKind) + " profiles=" + tags(profileCount, profiles) +
                " start=" + vec(start) + " normal=" + vec(normal) + " origin=" + vec(origin) +
                " height=" + real(height) + " tolerance=" + real(distanceTolerance));
  if (toolCount == nullptr || tools == nullptr) return Geometry::kNoEntity;
  *toolCount = 0;
  *tools = nullptr;
  if (int code = scripted("FillArea::CreateBasicExtrusionsStatic"); code != 0) return code;
  std::vector<int> made;
  for (int i = 0; profiles != nullptr && i < profileCount; ++i)
    if (profiles[i] != 0) made.push_back(Kernel::CreateBody(Kernel::BodyType::Solid));
  *tools = handOut(made);
  *toolCount = static_cast<int>(made.size());
  return 0;
}

int FillArea::TrimToObjectStatic(FEATURE_RECORD* frec, int featureCode, const double normal[3], int sideFlag,
                                 int trimBody, double offset, bool usePlane, const double point[3],
                                 const double direction[3], double distanceTolerance, int toolCount,
                                 const int* tools) {
  std::string bodies = "[";
  for (int i = 0; tools != nullptr && i < toolCount; ++i) bodies += (i == 0 ? "" : ",") + std::to_string(tools[i]);
  Host::Log("FillArea::TrimToObjectStatic",
            "frec=" + std::to_string(OM::OM_ask_object_tag(frec)) + " code=" + std::to_string(featureCode) +
                " normal=" + vec(normal) + " side=" + std::to_string(sideFlag) +
                " trimBody=" + std::to_string(trimBody) + " offset=" + real(offset) +
                " usePlane=" + (usePlane ? "1" : "0") + " point=" + vec(point) + " direction=" + vec(direction) +
                " tolerance=" + real(distanceTolerance) + " tools=" + bodies + "]");
  return scripted("FillArea::TrimToObjectStatic");
}

}  // namespace KTX::DieDes
