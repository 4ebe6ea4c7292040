// The automotive-feature library's tire-envelope feature: its parameter
// block (the layout the library reads), the feature records made from it,
// and the file helpers the commit uses.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "sys/Text.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX {

// Texts are 257 bytes (256 characters), handles 133 (132 characters).
struct Tireenv_params_s {
  static constexpr int kText = 257, kHandle = 133, kMaxProfilePoints = 100, kMaxHardPoints = 18,
                       kMaxSections = 36, kMaxOffsets = 80;
  std::uint8_t host0[8];
  EXP_expression* radialStartAngle;            // 8
  EXP_expression* radialEndAngle;              // 16
  EXP_expression* wheelRimDiameter;            // 24: null for a solid-body tire
  EXP_expression* wheelCenterlineShift;        // 32
  EXP_expression* distanceTolerance;           // 40
  EXP_expression* trimRadius;                  // 48
  std::uint8_t tireBody;                       // 56: 0 envelope, 1 tire body
  double origin[3];                            // 64
  double matrix[9];                            // 88
  std::uint8_t createTireEnvelopeFeature;      // 160
  std::uint8_t runClearanceAnalysis;           // 161
  std::int32_t sessionNoteCount;               // 164
  char** sessionNotes;                         // 168
  std::int32_t addMasterComponentPart;         // 176
  char host180[257];
  char masterPartName[kText];                  // 437
  std::int32_t tireDefinition;                 // 696
  tag_t wheelCsys;                             // 700
  std::uint8_t host704[8];
  std::int32_t tireBodyCount;                  // 712
  tag_t* tireBodies;                           // 720
  char tireBodyHandle[kHandle];                // 728
  std::int32_t profileCurveCount;              // 864
  tag_t* profileCurves;                        // 872
  char sketchPartName[kText];                  // 880
  char sketchName[kText];                      // 1137
  char profilePointFile[kText];                // 1394
  char profileName[kText];                     // 1651
  std::int32_t rimDiameterOption;              // 1908
  double rimDiameter;                          // 1912
  std::uint8_t mirrorProfile;                  // 1920
  std::int32_t profilePointCount;              // 1924
  double profilePoints[kMaxProfilePoints][2];  // 1928
  std::int32_t motion;                         // 3528
  std::int32_t spindleFileLocation;            // 3532
  char motionFile[kText];                      // 3536
  std::int32_t motionLineCount;                // 3796
  char** motionLines;                          // 3800
  tag_t designSpindle;                         // 3808
  tag_t spindleEndPoint;                       // 3812
  std::int32_t spindleLineCount;               // 3816
  tag_t* spindleLines;                         // 3824
  char spindleLineHandle[kHandle];             // 3832
  char scenarioName[kText];                    // 3965
  std::uint8_t saveScenario;                   // 4222
  std::int32_t suspensionTemplate;             // 4224
  char suspensionTemplateFileName[kText];      // 4228
  double hardPoints[kMaxHardPoints][3];        // 4488
  std::uint8_t host4920[768];
  std::int32_t templateFlags[3];               // 5688
  std::uint8_t host5700[28];
  char steeringJointName[kText];               // 5728
  char jounceJointName[kText];                 // 5985
  std::int32_t leftBarCount;                   // 6244
  tag_t* leftBars;                             // 6248
  std::int32_t rightBarCount;                  // 6256
  tag_t* rightBars;                            // 6264
  std::int32_t driverGraph;                    // 6272
  std::uint8_t xtoY;                           // 6276
  double firstUpper;                           // 6280
  double firstLower;                           // 6288
  std::int32_t firstSteps;                     // 6296
  double secondUpper;                          // 6304
  double secondLower;                          // 6312
  std::int32_t secondSteps;                    // 6320
  double taperLocation;                        // 6328
  double taperLocationAY;                      // 6336
  double taperLocationBX;                      // 6344
  char sketchHandle[kHandle];                  // 6352
  double spindleLine[6];                       // 6488
  double rollAngle;                            // 6536
  double jounceDistance;                       // 6544
  double reboundDistance;                      // 6552
  std::int32_t shockSteps;                     // 6560
  std::int32_t jointLineCount;                 // 6564
  char** jointLines;                           // 6568
  std::int32_t driverPointCount;               // 6576
  double* driverPoints;                        // 6584: pairs
  double envelopeConcavity;                    // 6592
  double radialStart;                          // 6600
  double radialEnd;                            // 6608
  std::uint8_t applyOffset;                    // 6616
  std::uint8_t customerOffsets;                // 6617
  std::uint8_t offsetsFromFile;                // 6618
  std::int32_t offsetFileSetting;              // 6620
  double offsets[6];                           // 6624: front, up, down, rear, inboard, outboard
  char offsetFileName[kText];                  // 6672
  double sectionOffsets[kMaxSections][kMaxOffsets];  // 6936
  double secondOffsets[kMaxSections][kMaxOffsets];   // 29976
  std::int32_t sectionOffsetCounts[kMaxSections];    // 53016
  double sectionAngles[kMaxSections];                // 53160
  std::int32_t sectionCount;                   // 53448
  std::uint8_t useTireBodyFile;                // 53452
  char tireBodyFile[kText];                    // 53453
  char movingComponentHandle[kHandle];         // 53710
  std::int32_t clearanceBodyCount;             // 53844
  char** clearanceBodies;                      // 53848
  std::int32_t clearanceComponentCount;        // 53856
  char** clearanceComponents;                  // 53864
  double clearanceValue;                       // 53872
  std::int32_t compOffsetCount;                // 53880
  double* compOffsets;                         // 53888
  std::uint8_t displayInput;                   // 53896
  std::uint8_t host53897[11];
  std::int32_t fixedOne;                       // 53908
  double distanceToleranceValue;               // 53912
  double trimRadiusValue;                      // 53920
  std::int32_t fixedTwo;                       // 53928
  std::int32_t wireframeLayer;                 // 53932
  std::int32_t sectionLayer;                   // 53936
  std::int32_t sheetBodyLayer;                 // 53940
  std::int32_t profileSplineLayer;             // 53944
  std::int32_t spindleLinesLayer;              // 53948
  std::int32_t wheelCsysLayer;                 // 53952
  std::int32_t templateGeometryLayer;          // 53956
};

#define KTX_TIREENV_AT(field, offset) offsetof(Tireenv_params_s, field) == offset
static_assert(KTX_TIREENV_AT(radialStartAngle, 8) && KTX_TIREENV_AT(tireBody, 56) && KTX_TIREENV_AT(origin, 64) &&
              KTX_TIREENV_AT(matrix, 88) && KTX_TIREENV_AT(createTireEnvelopeFeature, 160) &&
              KTX_TIREENV_AT(sessionNoteCount, 164) && KTX_TIREENV_AT(sessionNotes, 168) &&
              KTX_TIREENV_AT(addMasterComponentPart, 176) && KTX_TIREENV_AT(masterPartName, 437) &&
              KTX_TIREENV_AT(tireDefinition, 696) && KTX_TIREENV_AT(wheelCsys, 700) &&
              KTX_TIREENV_AT(tireBodyCount, 712) && KTX_TIREENV_AT(tireBodies, 720) &&
              KTX_TIREENV_AT(tireBodyHandle, 728) && KTX_TIREENV_AT(profileCurveCount, 864) &&
              KTX_TIREENV_AT(profileCurves, 872) && KTX_TIREENV_AT(sketchPartName, 880) &&
              KTX_TIREENV_AT(sketchName, 1137) && KTX_TIREENV_AT(profilePointFile, 1394) &&
              KTX_TIREENV_AT(profileName, 1651) && KTX_TIREENV_AT(rimDiameterOption, 1908) &&
              KTX_TIREENV_AT(rimDiameter, 1912) && KTX_TIREENV_AT(mirrorProfile, 1920) &&
              KTX_TIREENV_AT(profilePointCount, 1924) && KTX_TIREENV_AT(profilePoints, 1928) &&
              KTX_TIREENV_AT(motion, 3528) && KTX_TIREENV_AT(spindleFileLocation, 3532) &&
              KTX_TIREENV_AT(motionFile, 3536) && KTX_TIREENV_AT(motionLineCount, 3796) &&
              KTX_TIREENV_AT(motionLines, 3800) && KTX_TIREENV_AT(designSpindle, 3808) &&
              KTX_TIREENV_AT(spindleEndPoint, 3812) && KTX_TIREENV_AT(spindleLineCount, 3816) &&
              KTX_TIREENV_AT(spindleLines, 3824) && KTX_TIREENV_AT(spindleLineHandle, 3832) &&
              KTX_TIREENV_AT(scenarioName, 3965) && KTX_TIREENV_AT(saveScenario, 4222) &&
              KTX_TIREENV_AT(suspensionTemplate, 4224) && KTX_TIREENV_AT(suspensionTemplateFileName, 4228) &&
              KTX_TIREENV_AT(hardPoints, 4488) && KTX_TIREENV_AT(templateFlags, 5688) &&
              KTX_TIREENV_AT(steeringJointName, 5728) && KTX_TIREENV_AT(jounceJointName, 5985) &&
              KTX_TIREENV_AT(leftBarCount, 6244) && KTX_TIREENV_AT(leftBars, 6248) &&
              KTX_TIREENV_AT(rightBarCount, 6256) && KTX_TIREENV_AT(rightBars, 6264) &&
              KTX_TIREENV_AT(driverGraph, 6272) && KTX_TIREENV_AT(xtoY, 6276) && KTX_TIREENV_AT(firstUpper, 6280) &&
              KTX_TIREENV_AT(firstSteps, 6296) && KTX_TIREENV_AT(secondUpper, 6304) &&
              KTX_TIREENV_AT(secondSteps, 6320) && KTX_TIREENV_AT(taperLocation, 6328) &&
              KTX_TIREENV_AT(taperLocationBX, 6344) && KTX_TIREENV_AT(sketchHandle, 6352) &&
              KTX_TIREENV_AT(spindleLine, 6488) && KTX_TIREENV_AT(rollAngle, 6536) &&
              KTX_TIREENV_AT(shockSteps, 6560) && KTX_TIREENV_AT(jointLineCount, 6564) &&
              KTX_TIREENV_AT(jointLines, 6568) && KTX_TIREENV_AT(driverPointCount, 6576) &&
              KTX_TIREENV_AT(driverPoints, 6584) && KTX_TIREENV_AT(envelopeConcavity, 6592) &&
              KTX_TIREENV_AT(radialStart, 6600) && KTX_TIREENV_AT(applyOffset, 6616) &&
              KTX_TIREENV_AT(offsetsFromFile, 6618) && KTX_TIREENV_AT(offsetFileSetting, 6620) &&
              KTX_TIREENV_AT(offsets, 6624) && KTX_TIREENV_AT(offsetFileName, 6672) &&
              KTX_TIREENV_AT(sectionOffsets, 6936) && KTX_TIREENV_AT(secondOffsets, 29976) &&
              KTX_TIREENV_AT(sectionOffsetCounts, 53016) && KTX_TIREENV_AT(sectionAngles, 53160) &&
              KTX_TIREENV_AT(sectionCount, 53448) && KTX_TIREENV_AT(useTireBodyFile, 53452) &&
              KTX_TIREENV_AT(tireBodyFile, 53453) && KTX_TIREENV_AT(movingComponentHandle, 53710) &&
              KTX_TIREENV_AT(clearanceBodyCount, 53844) && KTX_TIREENV_AT(clearanceBodies, 53848) &&
              KTX_TIREENV_AT(clearanceComponentCount, 53856) && KTX_TIREENV_AT(clearanceComponents, 53864) &&
              KTX_TIREENV_AT(clearanceValue, 53872) && KTX_TIREENV_AT(compOffsetCount, 53880) &&
              KTX_TIREENV_AT(compOffsets, 53888) && KTX_TIREENV_AT(displayInput, 53896) &&
              KTX_TIREENV_AT(fixedOne, 53908) && KTX_TIREENV_AT(distanceToleranceValue, 53912) &&
              KTX_TIREENV_AT(trimRadiusValue, 53920) && KTX_TIREENV_AT(fixedTwo, 53928) &&
              KTX_TIREENV_AT(wireframeLayer, 53932) && KTX_TIREENV_AT(templateGeometryLayer, 53956) &&
              sizeof(Tireenv_params_s) == 53960,
              "the tire-envelope parameter block lies as the library reads it");
#undef KTX_TIREENV_AT

// The class of the tire-envelope feature's parameters.
extern KTX_HOST_API int TireEnvelopeClassId;

// A new block in *block. Every byte is kTireenvSentinel, except the
// pointer fields (null), so that fields a caller leaves show as left.
inline constexpr std::uint8_t kTireenvSentinel = 0xA5;
KTX_HOST_API void TireEnvelope_AllocApplData(Tireenv_params_s** block, FEATURE_RECORD* frec);
// Frees the block, every array and text it holds, and nulls *block.
KTX_HOST_API void TireEnvelope_FreeApplData(Tireenv_params_s** block);
// What the feature stored: a new block (free it with TireEnvelope_FreeApplData),
// null for a record that is no tire-envelope feature.
KTX_HOST_API Tireenv_params_s* TireEnvelope_ReadParms(const FEATURE_RECORD* frec);
// 1 a tire envelope, 2 a tire body, 0 anything else.
KTX_HOST_API int TireEnvelope_Is(const FEATURE_RECORD* frec);
KTX_HOST_API int TireEnvelope_ChangeOutputAttributes(FEATURE_RECORD* frec, const Tireenv_params_s* block);
// A new feature in the work part keeping a deep copy of the block, with one
// body: 0 and the record, or the answer "DIEENG_create_frec" and nothing made,
// or ZV_ERROR_geometry and nothing made when the modeller cannot make the
// feature's solid whole (see TireGeometry::MakeBody).
KTX_HOST_API int DIEENG_create_frec(int classId, Tireenv_params_s* block, int option, FEATURE_RECORD** frec);
// The feature keeps a deep copy of the block instead: 0, or the answer
// "DIEENG_update_frec" (or ZV_ERROR_geometry, as for a creation) with
// nothing kept.
KTX_HOST_API int DIEENG_update_frec(FEATURE_RECORD* frec, Tireenv_params_s* block);
// Recorded: the record (none when creating) and the tags extracted.
KTX_HOST_API void VD_create_extractions(FEATURE_RECORD* frec, int count, const tag_t* tags);
KTX_HOST_API void VD_VIEW_fit_view(double scale);
// The text in the locale's encoding (the stand-in's locale is UTF-8): held
// by the text.
KTX_HOST_API const char* TEXT_to_locale(const TEXT_s* text);
// The stand-in's occurrence of an instance is the instance itself (0 for no instance).
KTX_HOST_API tag_t VD_ASSEM_ask_part_occ_of_inst(tag_t parentOccurrence, tag_t instance);

// Puts the work record's tire points in order along the axis (in place): as
// they are, or reversed when the first lies beyond the last (by the first
// coordinate, then the second); the section they make is the same.
KTX_HOST_API void TIREENV_put_tire_points_in_order(Tire_s* area);
// The file's lines without their line ends: new arrays (SM_alloc, each line
// too). 0; -1 when it cannot be read, -2 for a line holding a null byte (a
// note names file and line); nothing handed out then.
KTX_HOST_API int TIREENV_read_data_file_into_strings(const char* fileName, int* count, char*** lines);

// Writes the lines into a new file of the temporary directory
// ("QDEN_TMP_DIR", else /tmp), "tireenv_data_<n>.txt", whose name goes into
// fileName. 0; -1 when it cannot be written.
KTX_HOST_API int TIREENV_write_strings_into_data_file(int count, char* const* lines, char fileName[257]);
// The live object of the work part that the handle names; 0 otherwise.
KTX_HOST_API tag_t VD_get_tag_handle_in_work_part(const char* handle);
// Recorded: the host's tire-body clearance data set of the part goes.
KTX_HOST_API void TIREENV_remove_tire_body_dataset(tag_t part);
// The names of the part's sketches that hold a tire profile: new arrays
// (SM_alloc). The stand-in's part has "PROFILE_SKETCH_<i>" for i below the
// answer "TIREENV_find_profile_sketchs" (default 1); 0, or kNoParms for no part.
KTX_HOST_API int TIREENV_find_profile_sketchs(PART_part* part, int* count, char*** names);
// The text upper-cased in place (ASCII letters).
KTX_HOST_API void VD_convert_char_toupper(char* text);

namespace TireEnvelope {
// Test hooks: the extractions and view fits recorded since the last clear.
struct Extraction {
  tag_t frec;
  std::vector<tag_t> tags;
};
KTX_HOST_API const std::vector<Extraction>& Extractions();
KTX_HOST_API int ViewFits();
KTX_HOST_API void ClearRecords();
}  // namespace TireEnvelope

}  // namespace KTX
