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
  std::uint8_t host680[232];
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
  std::uint8_t host824[200];
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
  std::uint8_t host482[214];
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
              offsetof(sMacpherson_Suspension, rightStabilizerBarCount) == 936);
static_assert(sizeof(sSLArm_Suspension) == 1024 && offsetof(sSLArm_Suspension, innerDriveJoint) == 576 &&
              offsetof(sSLArm_Suspension, useStabilizerBar) == 768 &&
              offsetof(sSLArm_Suspension, mirrorPlaneVector) == 800);
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

namespace VD {
// Test hooks: what VD_get_csys answers (by default type 0, the absolute
// system), and back to the default.
KTX_HOST_API void SetCsysAnswer(int type, const double origin[3], const double matrix[9]);
KTX_HOST_API void ResetCsysAnswer();
}  // namespace VD

}  // namespace KTX
