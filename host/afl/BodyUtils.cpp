#include "afl/BodyUtils.hpp"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "afl/Parms.hpp"
#include "geom/Geometry.hpp"
#include "sys/CallLog.hpp"
#include "sys/Failure.hpp"
#include "sys/Memory.hpp"

using KTX::Kernel::ListText;
using KTX::Kernel::RealText;

namespace KTX::DieDesUtils {
namespace {
State& state() {
  static State* s = new State;
  return *s;
}
}  // namespace

const State& CurrentState() { return state(); }

Kernel::Containment ContainmentOf(int body, const double point[3]) {
  const double k = Kernel::ScaleFactors().factors[0];
  const double at[3] = {point[0] * k, point[1] * k, point[2] * k};
  return Kernel::Classify(body, at);
}

namespace {

double kernelLength(double hostLength) { return hostLength * Kernel::ScaleFactors().factors[0]; }

std::vector<double> kernelPoints(const double* points, std::size_t count) {
  std::vector<double> out(points, points + 3 * count);
  for (double& c : out) c = kernelLength(c);
  return out;
}

std::string quoted(const char* text) { return text == nullptr ? "null" : "\"" + std::string(text) + "\""; }

std::string pointText(const double p[3]) {
  if (p == nullptr) return "null";
  return RealText(p[0]) + "," + RealText(p[1]) + "," + RealText(p[2]);
}

// A target that is not a live body is a fault of the caller; the error is
// recorded where tests see it.
int checkTarget(const char* caller, int target) {
  if (Kernel::IsBody(target)) return 0;
  Kernel::RecordError(std::string(caller) + ": target " + std::to_string(target) + " is not a live body");
  return Kernel::IsAlive(target) ? ZV_ERROR_not_a_body : ZV_ERROR_bad_tag;
}

// One kernel boolean of `target` with copies of `tools`; the copies are
// consumed by the kernel or, when it refuses, deleted here.
int booleanWithCopies(int target, const std::vector<int>& tools, const ZV_BODY_boolean_o_t& options, int* status) {
  std::vector<int> copies;
  // The copies are the utility's own, also when a call on the way raises.
  auto release = [&copies] {
    for (int copy : copies)
      if (Kernel::IsBody(copy)) Kernel::DeleteBody(copy, "DIEDES_UTILS boolean");
  };
  int rc = 0;
  try {
    for (int tool : tools) {
      int copy = 0;
      rc = ZV_ENTITY_copy(tool, &copy);
      if (copy != 0) copies.push_back(copy);
      if (rc != 0) break;
    }
    if (rc == 0) {
      ZV_TOPOL_track_r_t tracking;
      ZV_boolean_r_t results;
      rc = ZV_BODY_boolean_2(target, static_cast<int>(copies.size()), copies.data(), &options, &tracking, &results);
      if (rc == 0 && status != nullptr) *status = results.status;
      ZV_TOPOL_track_r_f(&tracking);
      ZV_boolean_r_f(&results);
    }
  } catch (...) {
    release();
    throw;
  }
  release();
  state().buildStatePending = true;
  return rc;
}

int booleanBodies(const char* caller, int target, int n_tools, const int* tools, const int* operations,
                  int operation, const ZV_BODY_boolean_o_t* options, double tolerance, const char* text,
                  int* result) {
  if (result != nullptr) *result = 0;
  if (int error = checkTarget(caller, target)) return error;
  if (n_tools < 0 || (n_tools > 0 && tools == nullptr)) return ZV_ERROR_bad_value;
  std::vector<int> chosen;
  for (int i = 0; i < n_tools; ++i) {
    if (tools[i] != 0 && (operations == nullptr || operations[i] == operation)) chosen.push_back(tools[i]);
  }
  if (chosen.empty()) return 0;
  if (text != nullptr) state().progressText = text;
  ZV_BODY_boolean_o_t used;
  if (options != nullptr) {
    used = *options;
  } else {
    used.tolerance = tolerance * Kernel::ScaleFactors().factors[0];
  }
  used.function = operation;
  return booleanWithCopies(target, chosen, used, result);
}

int toolStep(const char* caller, int target, int tool, int function, double tolerance) {
  Host::Log(caller, "target=" + std::to_string(target) + " tool=" + std::to_string(tool) +
                        " tol=" + RealText(tolerance));
  if (int error = checkTarget(caller, target)) return error;
  if (KTX::Failure::Fails(KTX::Failure::kKernel, caller)) return KTX::Failure::kKernelError;
  if (int error = static_cast<int>(Host::Answer(caller, 0))) return error;
  ZV_BODY_boolean_o_t options;
  options.function = function;
  options.tolerance = tolerance * Kernel::ScaleFactors().factors[0];
  // A body is built from tool steps one after another: the kernel applies a
  // run of them in one boolean instead of one per tool.
  Kernel::GatheredBooleans gathered;
  return booleanWithCopies(target, {tool}, options, nullptr);
}

}  // namespace
}  // namespace KTX::DieDesUtils

using namespace KTX::DieDesUtils;
namespace Host = KTX::Host;
namespace Kernel = KTX::Kernel;
namespace OM = KTX::OM;

extern "C" {

int DieDesUtilsSolvaneCopy(bool option, int body, int* copy) {
  Host::Log("DieDesUtilsSolvaneCopy", std::string("option=") + (option ? "1" : "0") + " body=" + std::to_string(body));
  if (copy == nullptr) return ZV_ERROR_bad_value;
  *copy = 0;
  if (KTX::Failure::Fails(KTX::Failure::kKernel, "DieDesUtilsSolvaneCopy")) return KTX::Failure::kKernelError;
  if (int error = static_cast<int>(Host::Answer("DieDesUtilsSolvaneCopy", 0))) return error;
  return ZV_ENTITY_copy(body, copy);
}

bool DieDesUtilsGetDieDesignSolvaneBody(unsigned int object, int option, int* body, bool* flag) {
  Host::Log("DieDesUtilsGetDieDesignSolvaneBody", "tag=" + std::to_string(object) + " option=" + std::to_string(option));
  const std::string key = "DieDesUtilsGetDieDesignSolvaneBody." + std::to_string(object);
  const long long answer = Host::Answer(key, -1);
  if (answer < 0) return false;
  if (body != nullptr) *body = static_cast<int>(answer);
  if (flag != nullptr && Host::Answer("DieDesUtilsGetDieDesignSolvaneBody.clear." + std::to_string(object), 0) != 0)
    *flag = false;
  return true;
}

bool DieDesUtilsIsDieDesignFeatureBody(KTX::tag_t body, KTX::FEATURE_PARMS** feature) {
  Host::Log("DieDesUtilsIsDieDesignFeatureBody", "tag=" + std::to_string(body));
  if (feature != nullptr) *feature = nullptr;
  const long long answer = Host::Answer("DieDesUtilsIsDieDesignFeatureBody." + std::to_string(body), -1);
  if (answer < 0) return false;
  if (feature != nullptr)
    *feature = dynamic_cast<KTX::FEATURE_PARMS*>(KTX::OM::OM_object_of_tag(static_cast<KTX::tag_t>(answer)));
  return true;
}

void DieDesUtilsAskFeatureFlag(const KTX::FEATURE_PARMS* feature, int code, bool* flag) {
  const std::string tag = std::to_string(KTX::OM::OM_ask_object_tag(feature));
  Host::Log("DieDesUtilsAskFeatureFlag", "tag=" + tag + " code=" + std::to_string(code));
  if (flag != nullptr) *flag = Host::Answer("DieDesUtilsAskFeatureFlag." + tag, 0) != 0;
}

bool DieDesUtilsAskFeatureCondition(const KTX::FEATURE_PARMS* feature, int code) {
  const std::string tag = std::to_string(KTX::OM::OM_ask_object_tag(feature));
  Host::Log("DieDesUtilsAskFeatureCondition", "tag=" + tag + " code=" + std::to_string(code));
  return Host::Answer("DieDesUtilsAskFeatureCondition." + tag, 0) != 0;
}

int DieDesUtilsDeleteBody(int body) {
  Host::Log("DieDesUtilsDeleteBody", "body=" + std::to_string(body));
  return Kernel::DeleteBody(body, "DieDesUtilsDeleteBody");
}

void DieDesUtilsDeleteBodies(int* count, int** bodies) {
  int n = count != nullptr ? *count : 0;
  int* array = bodies != nullptr ? *bodies : nullptr;
  Host::Log("DieDesUtilsDeleteBodies", "count=" + std::to_string(n) + " bodies=" + ListText(n, array));
  for (int i = 0; array != nullptr && i < n; ++i) Kernel::DeleteBody(array[i], "DieDesUtilsDeleteBodies");
  if (array != nullptr) SM_free(array);
  if (count != nullptr) *count = 0;
  if (bodies != nullptr) *bodies = nullptr;
}

void DieDesUtilsDeleteInTagIntMap(KTX::tag_t tag, int body) {
  Host::Log("DieDesUtilsDeleteInTagIntMap", "tag=" + std::to_string(tag) + " body=" + std::to_string(body));
  if (body != 0) Kernel::DeleteBody(body, "DieDesUtilsDeleteInTagIntMap");
}

bool DieDesUtilsAskInContext(int option) {
  Host::Log("DieDesUtilsAskInContext", "option=" + std::to_string(option));
  return Host::Answer("DieDesUtilsAskInContext", 0) != 0;
}

int DIEDES_UTILS_boolean_bodies(int target, int n_tools, const int* tools, const int* operations, int operation,
                                const ZV_BODY_boolean_o_t* options, double tolerance, const char* text,
                                int* result) {
  Host::Log("DIEDES_UTILS_boolean_bodies",
            "target=" + std::to_string(target) + " tools=" + ListText(n_tools, tools) +
                " operations=" + (operations == nullptr ? std::string("null") : ListText(n_tools, operations)) +
                " operation=" + std::to_string(operation) + " options=" + (options == nullptr ? "null" : "given") +
                " tol=" + RealText(tolerance) + " text=" + quoted(text));
  return booleanBodies("DIEDES_UTILS_boolean_bodies", target, n_tools, tools, operations, operation, options,
                       tolerance, text, result);
}

int DIEDES_UTILS_boolean_bodies2(int mode, int* target, int n_tools, const int* tools, const int* operations,
                                 int operation, const ZV_BODY_boolean_o_t* options, double tolerance,
                                 const char* text, int* result) {
  int body = target != nullptr ? *target : 0;
  Host::Log("DIEDES_UTILS_boolean_bodies2",
            "mode=" + std::to_string(mode) + " target=" + std::to_string(body) + " tools=" +
                ListText(n_tools, tools) +
                " operations=" + (operations == nullptr ? std::string("null") : ListText(n_tools, operations)) +
                " operation=" + std::to_string(operation) + " options=" + (options == nullptr ? "null" : "given") +
                " tol=" + RealText(tolerance) + " text=" + quoted(text));
  if (target == nullptr) return ZV_ERROR_bad_value;
  int rc = booleanBodies("DIEDES_UTILS_boolean_bodies2", body, n_tools, tools, operations, operation, options,
                         tolerance, text, result);
  if (rc == 0 && !Kernel::IsBody(body)) *target = 0;
  return rc;
}

void DIEDES_UTILS_boolean_tolerance_derive(int on) {
  Host::Log("DIEDES_UTILS_boolean_tolerance_derive", std::to_string(on));
  KTX::DieDesUtils::state().toleranceDerive = on != 0;
}

void DIEDES_UTILS_progress_bar_destroy() {
  Host::Log("DIEDES_UTILS_progress_bar_destroy");
  KTX::DieDesUtils::state().progressText.clear();
}

void DIEDES_UTILS_clear_build_state() {
  Host::Log("DIEDES_UTILS_clear_build_state");
  KTX::DieDesUtils::state().buildStatePending = false;
}

int DIEDES_UTILS__unite_tool_to_target(int target, int tool, double tolerance) {
  return toolStep("DIEDES_UTILS__unite_tool_to_target", target, tool, ZV_boolean_unite_c, tolerance);
}

int DIEDES_UTILS__subtract_tool_from_target(int target, int tool, double tolerance) {
  return toolStep("DIEDES_UTILS__subtract_tool_from_target", target, tool, ZV_boolean_subtract_c, tolerance);
}

int DIEDES_UTILS__trim_body_to_plane(int body, const double point[3], const double normal[3]) {
  Host::Log("DIEDES_UTILS__trim_body_to_plane",
            "body=" + std::to_string(body) + " point=" + pointText(point) + " normal=" + pointText(normal));
  if (int error = checkTarget("DIEDES_UTILS__trim_body_to_plane", body)) return error;
  if (point == nullptr || normal == nullptr) return ZV_ERROR_bad_value;
  if (Kernel::HasGeometry(body)) {
    const std::vector<double> at = kernelPoints(point, 1);
    return Kernel::TrimToPlane(body, at.data(), normal);
  }
  if (Host::Answer("DIEDES_UTILS__trim_body_to_plane.vanish", 0) != 0) {
    // Nothing of the body is left on the kept side.
    Kernel::DeleteBody(body, "DIEDES_UTILS__trim_body_to_plane");
  }
  return 0;
}

int DIEDES_UTILS__bplane_from_curves(int n_curves, const KTX::tag_t* curves, const double point[3],
                                     const double direction[3], double tolerance, int* sheet, int* n_left_out,
                                     KTX::tag_t** left_out) {
  std::vector<int> tags;
  for (int i = 0; curves != nullptr && i < n_curves; ++i) tags.push_back(static_cast<int>(curves[i]));
  Host::Log("DIEDES_UTILS__bplane_from_curves",
            "curves=" + ListText(static_cast<int>(tags.size()), tags.data()) + " point=" + pointText(point) +
                " direction=" + pointText(direction) + " tol=" + RealText(tolerance));
  if (n_left_out != nullptr) *n_left_out = 0;
  if (left_out != nullptr) *left_out = nullptr;
  if (sheet == nullptr) return ZV_ERROR_bad_value;
  *sheet = 0;
  if (n_curves <= 0 || curves == nullptr) return ZV_ERROR_bad_value;
  if (KTX::Failure::Fails(KTX::Failure::kKernel, "DIEDES_UTILS__bplane_from_curves")) return KTX::Failure::kKernelError;
  if (int error = static_cast<int>(Host::Answer("DIEDES_UTILS__bplane_from_curves", 0))) return error;
  if (point == nullptr || direction == nullptr) return ZV_ERROR_bad_value;
  std::vector<std::vector<double>> polygons;
  const double closing = tolerance > 0 ? tolerance : 1.0e-6;
  for (int i = 0; i < n_curves; ++i) {
    const auto* curve = dynamic_cast<const KTX::ES_curve*>(OM::OM_object_of_tag(curves[i]));
    if (curve == nullptr) return ZV_ERROR_open_curve;
    std::vector<double> points = curve->ask_points();
    const std::size_t n = points.size() / 3;
    const double* first = points.data();
    const double* last = &points[3 * (n - 1)];
    double gap = 0;
    for (int k = 0; k < 3; ++k) gap += (last[k] - first[k]) * (last[k] - first[k]);
    if (n < 4 || std::sqrt(gap) > closing) return ZV_ERROR_open_curve;
    polygons.push_back(kernelPoints(points.data(), n));
  }
  const std::vector<double> at = kernelPoints(point, 1);
  return Kernel::MakePlanarSheet(polygons, at.data(), direction, sheet);
}

int DIEDES_UTILS__create_planar_sheet(int n_points, const double (*points)[3], double tolerance, int* sheet) {
  std::string text = "points=[";
  for (int i = 0; points != nullptr && i < n_points; ++i) text += (i > 0 ? ";" : "") + pointText(points[i]);
  Host::Log("DIEDES_UTILS__create_planar_sheet", text + "] tol=" + RealText(tolerance));
  if (sheet == nullptr) return ZV_ERROR_bad_value;
  *sheet = 0;
  if (n_points < 3 || points == nullptr) return ZV_ERROR_bad_value;
  if (KTX::Failure::Fails(KTX::Failure::kKernel, "DIEDES_UTILS__create_planar_sheet"))
    return KTX::Failure::kKernelError;
  if (int error = static_cast<int>(Host::Answer("DIEDES_UTILS__create_planar_sheet", 0))) return error;
  // The corners' plane: its normal is Newell's, through the first corner.
  double normal[3] = {0, 0, 0};
  for (int i = 0; i < n_points; ++i) {
    const double* a = points[i];
    const double* b = points[(i + 1) % n_points];
    normal[0] += (a[1] - b[1]) * (a[2] + b[2]);
    normal[1] += (a[2] - b[2]) * (a[0] + b[0]);
    normal[2] += (a[0] - b[0]) * (a[1] + b[1]);
  }
  if (normal[0] == 0 && normal[1] == 0 && normal[2] == 0) return ZV_ERROR_geometry;
  const std::vector<double> corners = kernelPoints(points[0], static_cast<std::size_t>(n_points));
  return Kernel::MakePlanarSheet({corners}, corners.data(), normal, sheet);
}

double DIEDES_UTILS__dist_to_plane(const double point[3], const double planePoint[3], const double normal[3]) {
  if (point == nullptr || planePoint == nullptr || normal == nullptr) return 0.0;
  double length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
  if (length == 0.0) return 0.0;
  double d = 0.0;
  for (int i = 0; i < 3; ++i) d += (point[i] - planePoint[i]) * normal[i];
  return d / length;
}

int DIEDES_UTILS_ask_bounding_box_aligned(int n_objects, const KTX::tag_t* objects, KTX::tag_t csys,
                                           double minCorner[3], double extents[3]) {
  std::vector<int> tags;
  for (int i = 0; objects != nullptr && i < n_objects; ++i) tags.push_back(static_cast<int>(objects[i]));
  Host::Log("DIEDES_UTILS_ask_bounding_box_aligned", "objects=" + ListText(static_cast<int>(tags.size()), tags.data()) +
                                                         " csys=" + std::to_string(csys));
  if (minCorner == nullptr || extents == nullptr) return ZV_ERROR_bad_value;
  if (KTX::Failure::Fails(KTX::Failure::kKernel, "DIEDES_UTILS_ask_bounding_box_aligned"))
    return KTX::Failure::kKernelError;
  if (int error = static_cast<int>(Host::Answer("DIEDES_UTILS_ask_bounding_box_aligned", 0))) return error;
  const auto* frame = dynamic_cast<const KTX::GEOM_entity*>(OM::OM_object_of_tag(csys));
  if (frame == nullptr) return KTX::Geometry::kNoEntity;
  double origin[3], m[9];
  frame->ask_frame(origin, m);
  double low[3] = {0, 0, 0}, high[3] = {0, 0, 0};
  bool any = false;
  auto take = [&](const double lo[3], const double hi[3]) {
    for (int k = 0; k < 3; ++k) {
      low[k] = any ? std::min(low[k], lo[k]) : lo[k];
      high[k] = any ? std::max(high[k], hi[k]) : hi[k];
    }
    any = true;
  };
  const double toHost = Kernel::ScaleFactors().factors[1];
  for (int tag : tags) {
    OM::Object* object = OM::OM_object_of_tag(static_cast<KTX::tag_t>(tag));
    if (const auto* curve = dynamic_cast<const KTX::ES_curve*>(object)) {
      const std::vector<double> points = curve->ask_points();
      for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
        double local[3];
        for (int k = 0; k < 3; ++k)
          local[k] = (points[i] - origin[0]) * m[3 * k] + (points[i + 1] - origin[1]) * m[3 * k + 1] +
                     (points[i + 2] - origin[2]) * m[3 * k + 2];
        take(local, local);
      }
      continue;
    }
    // A model body stands for its kernel body; a tag no host object has is a kernel body.
    const auto* solid = dynamic_cast<const KTX::ES_solid*>(object);
    if (object != nullptr && solid == nullptr) continue;
    const int body = solid != nullptr ? solid->ask_kernel_body() : tag;
    const double at[3] = {kernelLength(origin[0]), kernelLength(origin[1]), kernelLength(origin[2])};
    double lo[3], hi[3];
    if (Kernel::AlignedBounds(body, at, m, lo, hi)) {
      for (int k = 0; k < 3; ++k) lo[k] *= toHost, hi[k] *= toHost;
      take(lo, hi);
    }
  }
  if (!any) return ZV_ERROR_bad_value;
  for (int k = 0; k < 3; ++k) {
    minCorner[k] = origin[k] + low[0] * m[k] + low[1] * m[3 + k] + low[2] * m[6 + k];
    extents[k] = high[k] - low[k];
  }
  return 0;
}

void DIEDES_UTILS_output_solvane_body(int body, const char* name, int index) {
  Host::Log("DIEDES_UTILS_output_solvane_body",
            "body=" + std::to_string(body) + " name=" + quoted(name) + " index=" + std::to_string(index));
}

void DieDesUtilsSolvaneTrace(int body, const char* name, int index) {
  Host::Log("DieDesUtilsSolvaneTrace",
            "body=" + std::to_string(body) + " name=" + quoted(name) + " index=" + std::to_string(index));
}

}  // extern "C"

namespace KTX {
int GetLocalOpsUpdateOptionFromAlgorithmVersion(const FEATURE_RECORD* frec) {
  const int version = frec == nullptr ? 0 : frec->ask_version();
  Host::Log("GetLocalOpsUpdateOptionFromAlgorithmVersion", "version=" + std::to_string(version));
  if (frec == nullptr) return 0;
  return static_cast<int>(Host::Answer("GetLocalOpsUpdateOptionFromAlgorithmVersion", version));
}
}  // namespace KTX
