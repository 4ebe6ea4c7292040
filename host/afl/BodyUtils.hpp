// The automotive-feature library's utilities on kernel bodies: copies,
// deletion, the booleans of the die-design previews and the die shoe's
// construction steps. Each call is written to the host's call log with its
// arguments ("name=value" separated by blanks, as the kernel's calls).
//
// Tool bodies handed to these booleans are never consumed: each boolean works
// on kernel copies of them, so the caller still owns and deletes its tools.
#pragma once
#include <string>

#include "Export.hpp"
#include "feat/Builder.hpp"
#include "kernel/Kernel.hpp"

namespace KTX {
class FEATURE_PARMS;
}

extern "C" {

// A kernel copy of a live body; `option` is recorded only (the callers pass
// false). Answer "DieDesUtilsSolvaneCopy" non-zero: that error and no copy.
// Returns 0 or the error; *copy is 0 unless a copy was made.
KTX_HOST_API int DieDesUtilsSolvaneCopy(bool option, int body, int* copy);

// Deletes one body; 0 is no body and does nothing. A dead, unknown or
// model-held body is a kernel error (counted, see KTX::Kernel::LiveCounters).
KTX_HOST_API int DieDesUtilsDeleteBody(int body);
// The die-design kernel body of a model object (option recorded only):
// scripted per tag, "DieDesUtilsGetDieDesignSolvaneBody.<tag>" gives the
// body (unset: false, nothing written) and
// "DieDesUtilsGetDieDesignSolvaneBody.clear.<tag>" not 0 clears *flag.
// Logged.
KTX_HOST_API bool DieDesUtilsGetDieDesignSolvaneBody(unsigned int object, int option, int* body, bool* flag);

// Whether a model body is made by a die-design feature, and that feature's
// parameters (their sub-object owner is the feature record): scripted per
// tag, "DieDesUtilsIsDieDesignFeatureBody.<tag>" gives the parameters' tag
// (unset: false and *feature null; 0 or a tag of no parameters: true and
// *feature null). Logged.
KTX_HOST_API bool DieDesUtilsIsDieDesignFeatureBody(KTX::tag_t body, KTX::FEATURE_PARMS** feature);
// Two queries of a die-design feature by a code (recorded only): the first
// sets *flag to whether answer "DieDesUtilsAskFeatureFlag.<tag>" is not 0,
// the second gives whether "DieDesUtilsAskFeatureCondition.<tag>" is not 0,
// <tag> being the parameters'. Logged.
KTX_HOST_API void DieDesUtilsAskFeatureFlag(const KTX::FEATURE_PARMS* feature, int code, bool* flag);
KTX_HOST_API bool DieDesUtilsAskFeatureCondition(const KTX::FEATURE_PARMS* feature, int code);

// Deletes every body of the array (entries 0 skipped), frees the array with
// SM_free, and leaves *count 0 and *bodies null. Null pointers do nothing.
KTX_HOST_API void DieDesUtilsDeleteBodies(int* count, int** bodies);

// Applies to `target` each tool whose entry in `operations` equals
// `operation` (every tool when `operations` is null), through copies of those
// tools. Null options take the kernel's defaults with `tolerance` times the
// kernel length factor; given options are used as they are. The function is
// always `operation`. `text` is the progress bar's text. *result := the
// kernel's boolean status, or 0 when no tool matched (no kernel call).
// Returns 0 or the kernel's error (a target that is not a live body gives
// ZV_ERROR_bad_tag or ZV_ERROR_not_a_body and is recorded as a kernel error).
KTX_HOST_API int DIEDES_UTILS_boolean_bodies(int target, int n_tools, const int* tools, const int* operations,
                                             int operation, const ZV_BODY_boolean_o_t* options, double tolerance,
                                             const char* text, int* result);

// As DIEDES_UTILS_boolean_bodies on *target, with a leading mode (the
// callers pass 54 or 22; recorded only). When the result is empty the target
// is gone and *target becomes 0.
KTX_HOST_API int DIEDES_UTILS_boolean_bodies2(int mode, int* target, int n_tools, const int* tools,
                                              const int* operations, int operation,
                                              const ZV_BODY_boolean_o_t* options, double tolerance,
                                              const char* text, int* result);

// Switches the host's boolean tolerance derivation on (non-zero) or off.
KTX_HOST_API void DIEDES_UTILS_boolean_tolerance_derive(int on);
// Closes the progress bar that a boolean opened.
KTX_HOST_API void DIEDES_UTILS_progress_bar_destroy();
// Clears what the booleans left of the library's build state.
KTX_HOST_API void DIEDES_UTILS_clear_build_state();

// The visitor of a tool-to-body map that deletes the entry's kernel body (0
// is none); the entry itself stays. Logged.
KTX_HOST_API void DieDesUtilsDeleteInTagIntMap(KTX::tag_t tag, int body);

// Whether new die-design inputs are made for work in an assembly's context
// (option recorded only): the answer "DieDesUtilsAskInContext" not 0. Logged.
KTX_HOST_API bool DieDesUtilsAskInContext(int option);

// ---- the die shoe's construction steps (lengths in host units) -------------
//
// Bodies with geometry get real geometry: host lengths are turned into kernel
// lengths with the kernel length factor. Bodies without it answer as
// scripted.

// Unites / subtracts a copy of `tool` into `target` in place; the tool stays.
// Answer "DIEDES_UTILS__unite_tool_to_target" (or "..._subtract_...")
// non-zero: that error and nothing changed. A run of these onto one target
// is applied in one boolean when the target is next looked at (see
// KTX::Kernel::GatheredBooleans); a subtraction that leaves no volume leaves
// no target from then on.
KTX_HOST_API int DIEDES_UTILS__unite_tool_to_target(int target, int tool, double tolerance);
KTX_HOST_API int DIEDES_UTILS__subtract_tool_from_target(int target, int tool, double tolerance);
// Trims a body in place, keeping what lies on the side of the plane (point,
// normal) that the normal points to; with nothing left the body is no longer
// a kernel entity. A body without geometry: answer
// "DIEDES_UTILS__trim_body_to_plane.vanish" non-zero is nothing left.
KTX_HOST_API int DIEDES_UTILS__trim_body_to_plane(int body, const double point[3], const double normal[3]);
// A planar sheet bounded by the curves (host tags of closed polylines: the
// largest bounds, the others are holes), each moved along the direction onto
// the plane through point with that normal. A curve that is open (its ends
// farther apart than the tolerance) or no curve: ZV_ERROR_open_curve and no
// sheet. The trailing outputs, when given, receive the curves left out of the
// boundary (none in the stand-in: 0 and null). Answer
// "DIEDES_UTILS__bplane_from_curves" non-zero: that error and no sheet.
KTX_HOST_API int DIEDES_UTILS__bplane_from_curves(int n_curves, const KTX::tag_t* curves, const double point[3],
                                                  const double direction[3], double tolerance, int* sheet,
                                                  int* n_left_out, KTX::tag_t** left_out);
// A planar sheet with the given corner points, in their order (points that
// span no plane: ZV_ERROR_geometry). Answer
// "DIEDES_UTILS__create_planar_sheet" non-zero: that error and no sheet.
KTX_HOST_API int DIEDES_UTILS__create_planar_sheet(int n_points, const double (*points)[3], double tolerance,
                                                   int* sheet);
// Signed distance of `point` from the plane through `planePoint` along its
// normal (positive on the side the normal points to). A zero normal gives 0.
KTX_HOST_API double DIEDES_UTILS__dist_to_plane(const double point[3], const double planePoint[3],
                                                const double normal[3]);
// The bounding box of the objects aligned with the coordinate system `csys`
// (host tags of curves and model bodies, or kernel bodies): *minCorner the
// box's corner of least coordinates, as a point of the part, and extents its
// lengths along the system's three axes. 0; Geometry::kNoEntity for a csys
// that is no entity; ZV_ERROR_bad_value when no object has a box (nulls
// included). Answer "DIEDES_UTILS_ask_bounding_box_aligned" non-zero: that
// error. Logged.
KTX_HOST_API int DIEDES_UTILS_ask_bounding_box_aligned(int n_objects, const KTX::tag_t* objects, KTX::tag_t csys,
                                                       double minCorner[3], double extents[3]);
// Debug output and body trace: logged only.
KTX_HOST_API void DIEDES_UTILS_output_solvane_body(int body, const char* name, int index);
KTX_HOST_API void DieDesUtilsSolvaneTrace(int body, const char* name, int index);

}  // extern "C"

namespace KTX {
// The local-operations update option that matches the algorithms a feature
// record was made with: its format version, unless answer
// "GetLocalOpsUpdateOptionFromAlgorithmVersion" says otherwise; 0 for no
// record. Logged.
KTX_HOST_API int GetLocalOpsUpdateOptionFromAlgorithmVersion(const FEATURE_RECORD* frec);
}  // namespace KTX

namespace KTX::DieDesUtils {

// Where a point (host units) lies against a body with geometry, for tests.
KTX_HOST_API Kernel::Containment ContainmentOf(int body, const double point[3]);

// What the preview booleans leave behind, for tests.
struct State {
  std::string progressText;    // the open progress bar's text, empty when none is open
  bool toleranceDerive = false;
  bool buildStatePending = false;  // a boolean ran since the last clear
};
KTX_HOST_API const State& CurrentState();

}  // namespace KTX::DieDesUtils
