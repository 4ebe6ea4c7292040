// The stand-in solid-modelling kernel: bodies (solid or sheet) and their
// faces, each a 32-bit kernel tag that is never reused. A body may hold real
// geometry (a boundary-represented shape in kernel units, metres); a body
// made without it (KTX::Kernel::CreateBody) keeps only its tag, type and
// faces, and the calls on it answer as scripted. The plug-in reaches it
// through the ZV_ calls below and through the automotive-feature library's
// body utilities (afl/BodyUtils.hpp); tests make bodies, script the answers
// and read what is alive through KTX::Kernel.
//
// Every ZV_ call is written to the host's call log with its arguments.
// Arguments are logged as "name=value" separated by blanks; arrays as
// comma-separated lists in brackets; texts in double quotes.
#pragma once
#include <cerrno>
#include <cstddef>
#include <string>
#include <vector>

#include "Export.hpp"

// Body types the kernel answers with ZV_BODY_ask_type.
constexpr int ZV_BODY_type_solid_c = 5601;
constexpr int ZV_BODY_type_sheet_c = 5602;

// Boolean functions. The callers also pass 18210 and 18211, which the kernel
// takes as they come.
constexpr int ZV_boolean_intersect_c = 15901;
constexpr int ZV_boolean_subtract_c = 15902;
constexpr int ZV_boolean_unite_c = 15903;

// Status of a boolean's result record.
constexpr int ZV_boolean_result_success_c = 21650;
constexpr int ZV_boolean_result_failed_c = 21651;

// Error codes the kernel's calls return (0 is success).
constexpr int ZV_ERROR_bad_tag = 22001;      // no live kernel entity of that tag
constexpr int ZV_ERROR_not_a_body = 22002;   // a live entity that is not a body
constexpr int ZV_ERROR_wrong_type = 22003;   // a body of a type the call cannot take
constexpr int ZV_ERROR_bad_value = 22004;    // a null output, a count below 0, a null array
constexpr int ZV_ERROR_geometry = 22005;     // the modeller could not make the shape asked for
constexpr int ZV_ERROR_open_curve = 22006;   // a boundary curve that is open or no curve at all
constexpr int ZV_ERROR_no_geometry = 22007;  // a query of a body that holds no geometry: nothing to answer of it

// Status of an offset's local-operation results: the offset went through, or
// an inward offset left no volume (the body is gone).
constexpr int ZV_local_result_ok_c = 0;
constexpr int ZV_local_result_no_volume_c = 21660;

// Boolean options. Default-constructed it holds the kernel's defaults
// (record version 16, unite, the kernel's own precision as tolerance).
struct ZV_BODY_boolean_o_s {
  int o_t_version = 16;                 // 0
  int function = ZV_boolean_unite_c;    // 4
  int reserved8 = 0;                    // 8
  int reserved12 = 0;                   // 12
  int reserved16 = 0;                   // 16
  int reserved20 = 0;                   // 20
  unsigned char option_24 = 0;          // 24: set by the die boolean's kernel mode
  unsigned char reserved25[7] = {};     // 25
  short option_32 = 0;                  // 32: set by the die shoe's cutout intersection
  short reserved34[3] = {};             // 34
  double tolerance = 0.0;               // 40: in kernel units; 0 takes the session precision
};
using ZV_BODY_boolean_o_t = ZV_BODY_boolean_o_s;

// Offset options. Default-constructed: record version 12, update 0.
struct ZV_BODY_offset_o_s {
  int o_t_version = 12;
  int update = 0;  // the local-operations update the caller works to
};
using ZV_BODY_offset_o_t = ZV_BODY_offset_o_s;

// Result records. Their arrays come from the host allocator and are freed by
// the matching _f call, which also zeroes the record (a second free is harmless).
struct ZV_TOPOL_track_r_s {
  int n_track_records = 0;
  int* track_records = nullptr;  // the bodies the operation changed
};
struct ZV_TOPOL_local_r_s {
  int status = 0;
  int n_topols = 0;
  int* topols = nullptr;
};
struct ZV_boolean_r_s {
  int status = 0;  // ZV_boolean_result_success_c or ZV_boolean_result_failed_c
  int n_bodies = 0;
  int* bodies = nullptr;  // the bodies that came out of the boolean
};
using ZV_TOPOL_track_r_t = ZV_TOPOL_track_r_s;
using ZV_TOPOL_local_r_t = ZV_TOPOL_local_r_s;
using ZV_boolean_r_t = ZV_boolean_r_s;

extern "C" {
// True for a live kernel entity (body or face).
KTX_HOST_API bool ZV_ENTITY_is(int entity);
// A new body, a copy of a live body (its faces too). Answer "ZV_ENTITY_copy"
// non-zero: that error and no copy.
KTX_HOST_API int ZV_ENTITY_copy(int entity, int* copy);
KTX_HOST_API int ZV_BODY_ask_type(int body, int* type);
// The body's faces, in a host-allocated array the caller frees with SM_free
// (null when there are none).
KTX_HOST_API int ZV_BODY_ask_faces(int body, int* n_faces, int** faces);
KTX_HOST_API int ZV_FACE_ask_body(int face, int* body);
// The box of a body's geometry along a frame's axes (the matrix's rows), as
// coordinates in the frame placed at `origin` (kernel units). A body without
// geometry is ZV_ERROR_no_geometry; the modeller's failure ZV_ERROR_geometry.
KTX_HOST_API int ZV_BODY_ask_box(int body, const double origin[3], const double matrix[9], double low[3],
                                 double high[3]);
// How many separate solids a body's geometry holds: its faces fall into that
// many groups joined by shared edges. A body without geometry is
// ZV_ERROR_no_geometry (*n_solids 0); a walk of its faces and edges that
// failed or faulted on any piece is ZV_ERROR_geometry (*n_solids 0).
KTX_HOST_API int ZV_BODY_ask_n_solids(int body, int* n_solids);
// Whether a body's geometry is one valid closed solid, as the modeller's own
// checker takes it: every edge bounds two faces, and the volume is positive.
// *valid 1 or 0. A null output is ZV_ERROR_bad_value; a body without
// geometry ZV_ERROR_no_geometry (*valid 0); the modeller's failure
// ZV_ERROR_geometry (*valid 0).
KTX_HOST_API int ZV_BODY_check_solid(int body, int* valid);
// Where each of n points (x, y, z triples, kernel units) lies against the
// body's geometry: 1 inside, 0 on its boundary (within the session
// precision), -1 outside; a point that is not finite is outside. A null
// array or a count below 0 is ZV_ERROR_bad_value; a body without geometry
// ZV_ERROR_no_geometry (nothing written); the modeller's failure
// ZV_ERROR_geometry (nothing written).
KTX_HOST_API int ZV_BODY_classify_points(int body, int n_points, const double* points, int* where);
// Sweeps a sheet, in place, into a solid along the path (kernel units): with
// geometry the prism of its face. Answer "ZV_BODY_sweep" non-zero: that error
// and the sheet unchanged.
KTX_HOST_API int ZV_BODY_sweep(int body, const double path[3], ZV_TOPOL_track_r_t* tracking);
// Offsets a body's faces in place (kernel units; negative is inward). With
// geometry: an inward offset that leaves no volume leaves no body (it is no
// kernel entity afterwards) and says so in results->status
// (ZV_local_result_no_volume_c); an offset the modeller cannot make is
// ZV_ERROR_geometry with the body unchanged. Answer "ZV_BODY_offset_2"
// non-zero: that error and the body unchanged.
KTX_HOST_API int ZV_BODY_offset_2(int body, double offset, double tolerance, const ZV_BODY_offset_o_t* options,
                                  ZV_TOPOL_track_r_t* tracking, ZV_TOPOL_local_r_t* results);
// Combines the tools into the target. The tools are consumed: none of them is
// a kernel entity afterwards. With a target that holds geometry the boolean
// is real: unite and subtract with every tool, intersect keeps the target's
// part inside any tool (tools without geometry add nothing); when no volume
// is left the target is gone and the status failed. A target without
// geometry stays, unless answer "ZV_BODY_boolean_2.empty" is non-zero: then
// the result is empty and the target is gone too; its status is answer
// "ZV_BODY_boolean_2.status" (success by default). Answer
// "ZV_BODY_boolean_2" non-zero: that error and nothing changed. Null options
// take the defaults; the tolerance is recorded only.
KTX_HOST_API int ZV_BODY_boolean_2(int target, int n_tools, const int* tools, const ZV_BODY_boolean_o_t* options,
                                   ZV_TOPOL_track_r_t* tracking, ZV_boolean_r_t* results);
KTX_HOST_API void ZV_TOPOL_track_r_f(ZV_TOPOL_track_r_t* tracking);
KTX_HOST_API void ZV_TOPOL_local_r_f(ZV_TOPOL_local_r_t* results);
KTX_HOST_API void ZV_boolean_r_f(ZV_boolean_r_t* results);
// Undo partitions. Every entity lives in one; new entities (copies too) are
// made in the current one, which is partition 1 until it is set. Asking the
// current one fails as answer "ZV_PARTITION_ask_current" says (0 written).
// Setting it back never fails for a partition that exists; an unknown one is
// ZV_ERROR_bad_tag and changes nothing. Moving takes the body and its faces
// into the partition (answer "ZV_PARTITION_move_body" non-zero: that error,
// nothing moved).
KTX_HOST_API int ZV_PARTITION_ask_current(int* partition);
KTX_HOST_API int ZV_PARTITION_set_current(int partition);
KTX_HOST_API int ZV_BODY_ask_partition(int body, int* partition);
KTX_HOST_API int ZV_PARTITION_move_body(int partition, int body);
// The session's linear (kernel units) and angular precision.
KTX_HOST_API int ZV_SESSION_ask_precision(double* precision);
KTX_HOST_API int ZV_SESSION_ask_angle_precision(double* precision);
}  // extern "C"

namespace KTX {
// The kernel body of a model object (a solid, a sheet or a face of one); 0
// when the object has none.
KTX_HOST_API int ES_solid_ask_solvane_tag(tag_t object);
// Removes the host's data from a kernel body (logged; a body that is not
// alive is a kernel error, see KTX::Kernel).
KTX_HOST_API void strip_qd_body(int body);
}  // namespace KTX

namespace KTX::Kernel {

enum class BodyType { Solid = ZV_BODY_type_solid_c, Sheet = ZV_BODY_type_sheet_c };

struct Counters {
  int liveBodies = 0;    // bodies made and not yet deleted or consumed
  int deleteErrors = 0;  // deletions of a dead, unknown or model-held body
};

// The host's kernel scale factors: [0] host length to kernel length, [1]
// kernel length to host length. The host works in millimetres and the kernel
// in metres, so they start as 0.001 and 1000.
struct ScaleFactorRecord {
  double factors[2];
};

// ---- for tests and for the host's own utilities ----------------------------

// A new live body of that type, not logged.
KTX_HOST_API int CreateBody(BodyType type);
// A new face of a live body.
KTX_HOST_API int AddFace(int body);
// Kills a live face and takes it from its body's faces (a model body that
// re-makes its faces drops the old ones); anything else does nothing.
KTX_HOST_API void RemoveFace(int face);
KTX_HOST_API bool IsAlive(int entity);
KTX_HOST_API bool IsBody(int entity);
// Whether the entity is a live sheet body; not logged.
KTX_HOST_API bool IsSheet(int entity);
// The body that `body` was copied from (0 for an original).
KTX_HOST_API int CopiedFrom(int body);
// Deletes a body and its faces. Deleting 0 does nothing. A body that is dead,
// unknown, not a body, or held by a model object is not deleted: the error is
// counted and logged ("KERNEL_error") with the caller's name. Returns 0 or
// the kernel error.
KTX_HOST_API int DeleteBody(int body, const char* caller);
KTX_HOST_API Counters LiveCounters();
// How many entities the kernel keeps a record of, alive and dead (tests read
// that the dead ones' records go).
KTX_HOST_API std::size_t EntityRecords();
// Records a kernel error (logged as "KERNEL_error"); not counted as a
// deletion error.
KTX_HOST_API void RecordError(const std::string& text);
// The texts of every kernel error recorded so far, oldest first.
KTX_HOST_API const std::vector<std::string>& Errors();

// The model object `object` is given `body` as its kernel body (0 removes
// it). While held, the body cannot be deleted through DeleteBody.
KTX_HOST_API void AttachModelBody(tag_t object, int body);
// Takes the body from the model object and returns it (0 when none).
KTX_HOST_API int DetachModelBody(tag_t object);
// The model object a kernel entity is attached to (the last attached; 0 when
// none). The object may be gone: the caller checks.
KTX_HOST_API tag_t ModelObjectOf(int entity);
// The objects are going (their part closes): each kernel body attached to one
// of them is taken from it and deleted, unless an object outside them holds
// it too. Faces attached, and bodies already gone, are left as they are.
// Returns the number of bodies deleted.
KTX_HOST_API int ReleaseModelBodies(const std::vector<tag_t>& objects);

// A new undo partition (not made current), the current one, and the one an
// entity lives in (0 for an unknown tag).
KTX_HOST_API int CreatePartition();
KTX_HOST_API int CurrentPartition();
KTX_HOST_API int PartitionOf(int entity);

KTX_HOST_API void SetSessionPrecision(double linear, double angular);
KTX_HOST_API const ScaleFactorRecord& ScaleFactors();
KTX_HOST_API void SetScaleFactors(double toKernel, double fromKernel);

// ---- geometry (kernel units) -------------------------------------------------

// Whether the body is alive and holds geometry.
KTX_HOST_API bool HasGeometry(int body);
// A new sheet body: the planar face in the plane through `point` with normal
// `normal`, bounded by closed polygons (x, y, z triples, the closing point
// not repeated), each point moved onto the plane along the normal. The
// polygon of the largest area bounds the face, the others are holes in it.
// 0, or ZV_ERROR_bad_value (a polygon of fewer than three points, a zero
// normal) or ZV_ERROR_geometry; *sheet is 0 unless a sheet was made.
KTX_HOST_API int MakePlanarSheet(const std::vector<std::vector<double>>& polygons, const double point[3],
                                 const double normal[3], int* sheet);
// The edges of planar faces, each bounded by closed polygons in the plane
// through its point with its normal (as MakePlanarSheet takes them; any one
// unit of length). The faces are sewn within `tolerance`, so that faces whose
// boundaries run along one segment share its edge. For each face the indices
// of its edges, in the order its boundary runs; for each edge its two ends
// (six numbers). A face the modeller cannot make (fewer than three points, no
// area, a zero normal) has its polygons' sides as edges of its own.
struct FaceBoundary {
  std::vector<std::vector<double>> polygons;
  double point[3];
  double normal[3];
};
KTX_HOST_API void SewnEdges(const std::vector<FaceBoundary>& faces, double tolerance,
                            std::vector<std::vector<int>>* faceEdges, std::vector<std::vector<double>>* ends);
// Keeps what lies on the side of the plane that the normal points to. With
// nothing left the body is deleted. A body without geometry is left as it is.
// 0, ZV_ERROR_bad_tag / ZV_ERROR_not_a_body, or ZV_ERROR_geometry.
KTX_HOST_API int TrimToPlane(int body, const double point[3], const double normal[3]);
// The volume (0 without geometry) and the bounds along the world axes (false
// without geometry).
KTX_HOST_API double Volume(int body);
KTX_HOST_API bool Bounds(int body, double min[3], double max[3]);
// The bounds along a frame's axes (the matrix's rows), as coordinates in the
// frame placed at `origin`; false without geometry.
KTX_HOST_API bool AlignedBounds(int body, const double origin[3], const double matrix[9], double min[3],
                                double max[3]);
// Where a point lies against the body (within the session precision).
enum class Containment { Out, On, In };
KTX_HOST_API Containment Classify(int body, const double point[3]);
// Writes the bodies' geometry (bodies without it are left out) to a STEP
// file in host units (millimetres). 0, ZV_ERROR_bad_value (nothing to
// write) or ZV_ERROR_geometry (the file could not be written; the older file
// stays), errno then saying why: kModellerFailed when the modeller failed
// to write it (it refused, threw or faulted), else the file's own error.
inline constexpr int kModellerFailed = ECANCELED;
KTX_HOST_API int WriteStep(const std::vector<int>& bodies, const std::string& file);
// Reads a STEP file: one new body (in kernel units) for each solid in it,
// appended to *bodies. 0, or ZV_ERROR_geometry when the file cannot be read.
KTX_HOST_API int ReadStep(const std::string& file, std::vector<int>* bodies);

// The largest tolerance of the body's vertices, edges and faces (kernel
// units): how far its boundary may stray from its surfaces. 0 without geometry.
KTX_HOST_API double Tolerance(int body);

// The body takes the geometry of `from`: its shape and a face for each of
// the shape's faces (new face tags); `from` is consumed and the body keeps
// its own type. How a
// feature's body is rebuilt in place: its tag, and the model object that
// holds it, stay; undo gives the body its old geometry back. 0, or
// ZV_ERROR_bad_tag / ZV_ERROR_not_a_body (either is no live body, or they
// are one body), and nothing changed.
KTX_HOST_API int TakeGeometry(int body, int from);

// While one of these lives, a real unite or subtract (ZV_BODY_boolean_2)
// onto a solid only gathers its tools (they are consumed as usual, and the
// call answers success); the body applies everything gathered in one
// boolean when it is next looked at (its geometry, faces, a copy, or
// ZV_ENTITY_is) or given another operation. A body built from many tools
// one call at a time so pays for one boolean instead of one on each body
// the earlier ones grew. A subtraction that leaves no volume ends the body
// when it is next looked at; only the liveness checks KTX::Kernel::IsBody
// and IsAlive (which look at nothing) still see it until then.
struct KTX_HOST_API GatheredBooleans {
  GatheredBooleans();
  ~GatheredBooleans();
  GatheredBooleans(const GatheredBooleans&) = delete;
  GatheredBooleans& operator=(const GatheredBooleans&) = delete;
};

// Whether the geometry module (the modeller's libraries) is loaded: it is
// loaded the first time a call needs the modeller, so a session that makes no
// geometry never loads it.
KTX_HOST_API bool GeometryLoaded();

// Seconds spent in the modeller so far (for benchmarks: the kernel's share of
// a build).
KTX_HOST_API double GeometrySeconds();
// The longest one long call of the modeller (a boolean, an offset) may run,
// in seconds: KTX_KERNEL_SECONDS, 300 when unset. A call stopped there fails
// as the modeller's failure does, with nothing changed. A negative value
// goes back to the environment's.
KTX_HOST_API void SetGeometryLimit(double seconds);

// Argument text helpers shared with the body utilities.
KTX_HOST_API std::string ListText(int count, const int* values);
KTX_HOST_API std::string RealText(double value);

}  // namespace KTX::Kernel
