// The vehicle-design library: the tire-envelope work record that its calls
// read and fill in place, the vehicle coordinate system, the suspension
// templates' initial hard points and the motion scenario's exit.
#pragma once
#include <cstddef>
#include <cstdint>

#include "feat/Builder.hpp"

namespace KTX {

// A hard point, and one whose entry holds a second point behind it (the
// wheel centreline: the wheel centre, then a point along the spindle axis).
struct VD_point_s {
  double x, y, z;
};
struct VD_point_pair_s {
  VD_point_s point;
  VD_point_s second;
};

// MacPherson strut (template type 0).
struct sMacpherson_Suspension {
  VD_point_pair_s bottomOfStrut;        // 0
  VD_point_pair_s ballJoint;            // 48
  VD_point_pair_s outerDriveJoint;      // 96
  VD_point_s innerDriveJoint;           // 144
  VD_point_pair_s wheelCenterline;      // 168
  VD_point_pair_s tieRodOuter;          // 216
  VD_point_pair_s tieRodInner;          // 264
  VD_point_pair_s strutCenter;          // 312
  VD_point_pair_s bushingFront;         // 360
  VD_point_pair_s bushingRear;          // 408
  VD_point_pair_s upperStabilizerLink;  // 456
  VD_point_pair_s lowerStabilizerLink;  // 504
  VD_point_s stabilizerBushing;         // 552
  VD_point_s oppositeInnerJoint;        // 576
  VD_point_s oppositeBushing;           // 600
  std::uint8_t useStabilizerBar;        // 624
  std::uint8_t symmetricInnerJoint;     // 625
  std::uint8_t symmetricBushing;        // 626
  VD_point_s mirrorPlaneOrigin;         // 632
  VD_point_s mirrorPlaneVector;         // 656
  // The drive joints of the built scenario, filled by their names.
  tag_t rackJoint;                      // 680
  tag_t strutCenterJoint;               // 684
  std::uint8_t host688[224];
  tag_t* leftStabilizerBar;             // 912
  std::int32_t leftStabilizerBarCount;  // 920
  tag_t* rightStabilizerBar;            // 928
  std::int32_t rightStabilizerBarCount; // 936
};

// Short-long arm (template types 1 and 2).
struct sSLArm_Suspension {
  VD_point_pair_s lowerBallJoint;       // 0
  VD_point_pair_s lowerFrontBushing;    // 48
  VD_point_pair_s lowerRearBushing;     // 96
  VD_point_pair_s upperBallJoint;       // 144
  VD_point_pair_s upperFrontBushing;    // 192
  VD_point_pair_s upperRearBushing;     // 240
  VD_point_pair_s lowerShockCenter;     // 288
  VD_point_pair_s upperShockCenter;     // 336
  VD_point_pair_s wheelCenterline;      // 384
  VD_point_pair_s outerDriveJoint;      // 432
  VD_point_pair_s tieRodOuter;          // 480
  VD_point_pair_s tieRodInner;          // 528
  VD_point_s innerDriveJoint;           // 576
  VD_point_pair_s upperStabilizerLink;  // 600
  VD_point_pair_s lowerStabilizerLink;  // 648
  VD_point_s stabilizerBushing;         // 696
  VD_point_s oppositeInnerJoint;        // 720
  VD_point_s oppositeBushing;           // 744
  std::uint8_t useStabilizerBar;        // 768
  std::uint8_t symmetricInnerJoint;     // 769
  std::uint8_t symmetricBushing;        // 770
  VD_point_s mirrorPlaneOrigin;         // 776
  VD_point_s mirrorPlaneVector;         // 800
  std::uint8_t withoutSteering;         // 824: the template builds no steering joint
  std::uint8_t host825[3];
  // The drive joints of the built scenario, filled by their names.
  tag_t steeringJoint;                  // 828
  tag_t jacCenterJoint;                 // 832
  tag_t shockCenterJoint;               // 836
  std::uint8_t host840[184];
};

// Five-link solid axle (template type 3).
struct sFiveLinkAxle_Suspension {
  VD_point_pair_s frontBushingLowerArm;  // 0
  VD_point_pair_s rearBushingLowerArm;   // 48
  VD_point_pair_s frontBushingUpperArm;  // 96
  VD_point_pair_s rearBushingUpperArm;   // 144
  VD_point_pair_s lowerShockCenter;      // 192
  VD_point_pair_s upperShockCenter;      // 240
  VD_point_s lowerBumperCenter;          // 288
  VD_point_s oppositeLowerBumper;        // 312
  VD_point_s upperBumperCenter;          // 336
  VD_point_s oppositeUpperBumper;        // 360
  VD_point_pair_s wheelCenterline;       // 384
  VD_point_s trackBarInner;              // 432
  VD_point_s oppositeTrackBarInner;      // 456
  std::uint8_t symmetricTrackBarInner;   // 480
  std::uint8_t symmetricBumper;          // 481
  std::uint8_t host482[2];
  // The drive joints of the built scenario, filled by their names.
  tag_t leftShockJoint;                  // 484
  tag_t rightShockJoint;                 // 488
  tag_t leftBumperJoint;                 // 492
  tag_t rightBumperJoint;                // 496
  std::uint8_t host500[196];
};

// The tire-envelope work record. Offsets are fixed: the library's calls and
// the plug-in read and write it in place.
struct Tire_s {
  static constexpr int kMaxProfilePoints = 100, kMaxSections = 36, kMaxOffsets = 80;
  std::int32_t profilePointCount;                          // 0
  double profilePoints[kMaxProfilePoints][3];              // 8 (z is 0)
  double fileOffsets[kMaxSections][kMaxOffsets];           // 2408: read from an offset file
  double sectionOffsets[kMaxSections][kMaxOffsets];        // 25448: row = section
  std::int32_t sectionOffsetCounts[kMaxSections];          // 48488
  double sectionAngles[kMaxSections];                      // 48632: degrees
  std::int32_t sectionCount;                               // 48920
  std::uint8_t mirrorProfile;                              // 48924
  std::int32_t featureOffsetData;                          // 48928
  sMacpherson_Suspension macpherson;                       // 48936
  sSLArm_Suspension slArm;                                 // 49880
  sFiveLinkAxle_Suspension fiveLink;                       // 50904
  alignas(8) std::uint8_t motionRecord[128];               // 51600: the plug-in's motion record
};

namespace TireArea {
constexpr std::size_t kProfilePointCount = 0, kProfilePoints = 8, kFileOffsets = 2408, kSectionOffsets = 25448,
                      kSectionOffsetCounts = 48488, kSectionAngles = 48632, kSectionCount = 48920,
                      kMirrorProfile = 48924, kFeatureOffsetData = 48928, kMacpherson = 48936, kSLArm = 49880,
                      kFiveLink = 50904, kMotionRecord = 51600, kSize = 51728;
}  // namespace TireArea

static_assert(sizeof(sMacpherson_Suspension) == 944 && offsetof(sMacpherson_Suspension, oppositeBushing) == 600 &&
              offsetof(sMacpherson_Suspension, useStabilizerBar) == 624 &&
              offsetof(sMacpherson_Suspension, mirrorPlaneVector) == 656 &&
              offsetof(sMacpherson_Suspension, leftStabilizerBar) == 912 &&
              offsetof(sMacpherson_Suspension, rightStabilizerBarCount) == 936 &&
              offsetof(sMacpherson_Suspension, strutCenterJoint) == 684);
static_assert(sizeof(sSLArm_Suspension) == 1024 && offsetof(sSLArm_Suspension, innerDriveJoint) == 576 &&
              offsetof(sSLArm_Suspension, useStabilizerBar) == 768 &&
              offsetof(sSLArm_Suspension, mirrorPlaneVector) == 800 &&
              offsetof(sSLArm_Suspension, withoutSteering) == 824 &&
              offsetof(sSLArm_Suspension, shockCenterJoint) == 836);
static_assert(sizeof(sFiveLinkAxle_Suspension) == 696 && offsetof(sFiveLinkAxle_Suspension, wheelCenterline) == 384 &&
              offsetof(sFiveLinkAxle_Suspension, oppositeTrackBarInner) == 456 &&
              offsetof(sFiveLinkAxle_Suspension, symmetricBumper) == 481);
static_assert(offsetof(Tire_s, profilePoints) == TireArea::kProfilePoints &&
              offsetof(Tire_s, fileOffsets) == TireArea::kFileOffsets &&
              offsetof(Tire_s, sectionOffsets) == TireArea::kSectionOffsets &&
              offsetof(Tire_s, sectionOffsetCounts) == TireArea::kSectionOffsetCounts &&
              offsetof(Tire_s, sectionAngles) == TireArea::kSectionAngles &&
              offsetof(Tire_s, sectionCount) == TireArea::kSectionCount &&
              offsetof(Tire_s, mirrorProfile) == TireArea::kMirrorProfile &&
              offsetof(Tire_s, featureOffsetData) == TireArea::kFeatureOffsetData &&
              offsetof(Tire_s, macpherson) == TireArea::kMacpherson && offsetof(Tire_s, slArm) == TireArea::kSLArm &&
              offsetof(Tire_s, fiveLink) == TireArea::kFiveLink &&
              offsetof(Tire_s, motionRecord) == TireArea::kMotionRecord && sizeof(Tire_s) == TireArea::kSize,
              "the tire-envelope work record's regions lie where the library's calls read them");

// The vehicle coordinate system of the work part: its type, origin and
// row-order matrix. True when the part has one (the stand-in always answers).
KTX_HOST_API bool VD_get_csys(int* type, double origin[3], double matrix[9]);
// Makes that the work part's vehicle coordinate system (what VD_get_csys
// answers from now on); the values are recorded with the call.
KTX_HOST_API void VD_update_csys(int type, const double origin[3], const double matrix[9]);
// Fill a template's record with its initial hard points.
KTX_HOST_API void QF_VD_MAC_SUSP_initial(sMacpherson_Suspension* record);
KTX_HOST_API void QF_VD_SLA_SUSP_initial(sSLArm_Suspension* record);
KTX_HOST_API void QF_VD_FLA_SUSP_initial(sFiveLinkAxle_Suspension* record);
// Leaves any motion scenario of the root part and restores its master part.
KTX_HOST_API void TIREENV_exit_scenario_reset_master(PART_part* rootPart, tag_t masterPart);

// Sorts the doubles ascending in place.
KTX_HOST_API void VD_sort_array_ascending(double* values, int count);
// True when the angle (degrees) is one of the work record's section angles,
// both taken modulo 360, within 1e-6.
KTX_HOST_API bool TIREENV_check_angle_in_offset_angles(const Tire_s* area, double angle);
// Reads an offset file: one section a line, its angle in degrees and then its
// offsets, separated by blanks; blank lines and lines starting with '!' are
// skipped. Fills the section count, the largest offset count, the angles, the
// offset counts and both offset tables (the stand-in's files hold one table,
// copied into both). 0, or -1 when the file cannot be read, -2 when a line
// is not numbers or the file holds more than 36 sections, more than 80
// offsets in a section or no section (a note names file and line).
KTX_HOST_API int readoffsetvalues(const char* fileName, int* sectionCount, int* offsetCount, double angles[36],
                                  int offsetCounts[36], double offsets[36][80], double fileOffsets[36][80]);

// ---- tire-envelope inputs -------------------------------------------------------

// One tire profile as the profile point file gives it.
struct tire_profile_point_s {
  std::uint8_t mirror;     // 0
  std::int32_t count;      // 4: points the file gave (only the first 100 are kept)
  double points[100][2];   // 8: (x, y)
};
static_assert(sizeof(tire_profile_point_s) == 1608 && offsetof(tire_profile_point_s, points) == 8);

// The start and end of a curve: 0, or Geometry::kNoEntity (points untouched).
KTX_HOST_API int VD_ask_curve_end_points(tag_t curve, double start[3], double end[3]);
// The point's Y in the system of that origin and row-order matrix (the second row is its Y axis).
KTX_HOST_API double VD_LOCAL_Y(const double point[3], const double origin[3], const double matrix[9]);

// Reads a template point file into the template's record (MacPherson for 0,
// short-long arm for 1 and 2, five-link for 3). The file: '!' comments and
// blank lines skipped; first "template <type>"; then one hard point a line,
// its name and x y z. Every hard point of the template must be given once.
// The record is written only when the whole file is good. 0; -1 unreadable;
// -2 a line that is not a name and three numbers; -3 a hard point missing
// (its name in `text`, 256 bytes); -11 no template line first; -13 the file's
// template is another; -20 a name the template does not know; -21 a point
// given twice. Failures other than -1 and -3 send a note naming file and line.
KTX_HOST_API int TIREENV_load_susp_pt_file(const char* fileName, int templateType, char text[256], void* record);
// The hard points' names of a template family, in index order (null past the last).
KTX_HOST_API const char* TIREENV_susp_pt_name(int templateType, int index);

// Makes one line in the work part per line of a spindle file (six numbers:
// start x y z, end x y z; '!' comments). A new array of their tags (SM_alloc;
// null when none). 0; -1 unreadable; -2 a line that is not six numbers (a note
// names file and line; no line is made then).
KTX_HOST_API int TIREENV_create_spindle_lines_from_file(const char* fileName, int* count, tag_t** lines);
// Writes a spindle file: the design line first, then each line, "%f" six a
// line. Each line's end nearer the design line's wheel end (its end when
// `wheelEnd` is 1, else its start) comes first. 0; -1 when it cannot be
// written; -2 when a tag is no curve.
KTX_HOST_API int TIREENV_output_spindle_file_spinlines(const char* fileName, tag_t designLine, int wheelEnd,
                                                       const tag_t* lines, int count);

// Reads a profile point file: "profile <name>" (then "mirror" when the profile
// is mirrored) opens a profile; each following line is x y; '!' comments.
// New arrays (SM_alloc, each name too) of the names and records; a profile of
// more than 100 points keeps 100 and counts them all. 0 (also for no profile);
// -1 unreadable; -2 a malformed line or a point before any profile (a note
// names file and line; nothing is handed back then).
KTX_HOST_API int read_profile_file(const char* fileName, int* count, char*** names, tire_profile_point_s** profiles);

// Profile points of a tire body seen in the wheel's system: the stand-in
// writes a half circle of "TIREENV_create_profile_point_by_solid_body.points"
// (default 12, at most 100) points of radius 300 into the work record; false
// without bodies or when that answer is below 0.
KTX_HOST_API bool TIREENV_create_profile_point_by_solid_body(tag_t wheelCsys, int count, const tag_t* bodies,
                                                             bool option, Tire_s* area);
// Profile points from curves (mode 1 selected curves, 2 linked sketch curves):
// the curves' points (x, y, 0) one after another, at most 100, into the work
// record. 0, or Geometry::kNoEntity when a tag is no curve (nothing written).
KTX_HOST_API int TIREENV_check_points_for_profile(int mode, int count, const tag_t* curves, const char* partName,
                                                  const char* sketchName, Tire_s* area);
// Links a sketch's curves into the work part: the stand-in makes
// "TIREENV_link_curves.count" (default 2) lines there and hands back their
// tags (SM_alloc). The answer "TIREENV_link_curves.result" not 0 is returned
// and nothing is made.
KTX_HOST_API int TIREENV_link_curves(PART_part* sketchPart, const char* sketchName, int* count, tag_t** curves);
// How often a linked profile crosses the Y axis: "TIREENV_check_profile_intersect_Y_Axis.count" (default 1).
KTX_HOST_API int TIREENV_check_profile_intersect_Y_Axis(int count, const tag_t* curves);

// The traced spindle line at an articulation index: a new line in the work
// part from what the motion left for that trace (VD::SetTracedLine), or 0.
KTX_HOST_API int VD_MOTION_trace(tag_t trace, int index, unsigned int* line);

// A sketch's transformation: info[0..2] its X axis, info[3..5] its normal,
// info[6..8] its Y axis (the direction across its levels), info[9..11] its
// origin; row-order 4 x 4 homogeneous matrices from sketch to model and back.
// 0, or Geometry::kNoEntity when the tag is no sketch.
KTX_HOST_API int TIREENV_ask_sketch_matrix_information(tag_t sketch, double info[12], double sketchToModel[16],
                                                       double modelToSketch[16]);
// Where two objects meet: kind 0 a point, kind 1 a piece of curve from point to end.
struct VD_intersection_s {
  int kind;
  double point[3];
  double end[3];
};
// A plane and a curve (either order): a new array (SM_alloc; null when none).
// 0, or Geometry::kNoEntity when they are not a plane and a curve.
KTX_HOST_API int VD_MODL_intersect_objects(tag_t first, tag_t second, double tolerance, int* count,
                                           VD_intersection_s** found);

// The data-management manager: "RTENV_ask_qdmanager_active" not 0 means active.
KTX_HOST_API bool RTENV_ask_qdmanager_active();
// A scenario name for the root part under the manager: a new text (SM_alloc)
// "scen_managed_<n>" into *name (n counts the calls).
KTX_HOST_API void SFMOD__generate_scenario_name(PART_part* rootPart, char** name);

namespace VD {
// Test hooks: what VD_get_csys answers (by default type 0, the absolute
// system), and back to the default.
KTX_HOST_API void SetCsysAnswer(int type, const double origin[3], const double matrix[9]);
KTX_HOST_API void ResetCsysAnswer();
// What the motion leaves for a trace at an index: the line's start and end.
KTX_HOST_API void SetTracedLine(tag_t trace, int index, const double start[3], const double end[3]);
KTX_HOST_API void ClearTracedLines();
// The note a file reader leaves for a line it refuses (file, line number and
// why, as a `TIREENV_note` call); gives back `result`.
int NoteFileLine(const char* fileName, int line, const char* what, int result);
}  // namespace VD

}  // namespace KTX
