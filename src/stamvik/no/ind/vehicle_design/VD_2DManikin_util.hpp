// The occupant manikin's utilities: the standard body sizes, the human size
// definition file, and the reach checks of its legs and arms.
#pragma once
#include <cstdio>

#include "StamvikExport.hpp"

namespace KTX::VDJA {

// A size definition as the size file holds it.
struct VD_2DManikin_value_t {
  int unit;          // 0 millimetre, 1 inch
  char* percentile;  // host-allocated
  double leg, thigh, forearm, arm, torso, hand, handGrip, shoulderToHip;
};

// The sizes of a manikin nobody defined ("SAE J826 99%", millimetres); the
// percentile text is a new host string.
STAMVIK_API void VD_2DManikin_init_default_value(VD_2DManikin_value_t* value);

// The table's seven sizes (array order, no hand) of a standard (0 J826,
// 1 J833) and percentile index (0 to 2); false, leaving `sizes`, for others.
STAMVIK_API bool VD_2DManikin_ask_standard_size(int standard, int percentileIndex, double sizes[7]);
// A size definition in record order (thigh, leg, arm, forearm, torso,
// shoulder-to-hip, hand, hand grip), in the unit of a part of that unit code.
STAMVIK_API void VD_2DManikin_copy_value(int partUnitCode, const VD_2DManikin_value_t* value, double sizes[8]);

// Writes the size file: 0, 1 when the present file may not be written, 2
// when it cannot be opened.
STAMVIK_API int VD_2DManikin_save_value_in_file(const char* fileName, const VD_2DManikin_value_t* value);
// The first line of the open file whose key is `key` (case, "=" or ":" do not
// matter; "#", ";" and "!" start comments): its value as a number (NaN when it
// is not one) or as a new host string (when `text` is given). False when no
// line gives the key a value; a line naming it with none is passed over and
// sets `namedWithoutValue` (may be null). `line` (may be null) receives the
// number of the line read. Lines are taken whole; a file with a line longer
// than the host's readers allow (1 MiB) gives no key.
STAMVIK_API bool VD_2DManikin_read_value_of_key(std::FILE* file, const char* key, double* number, char** text,
                                                int* line = nullptr, bool* namedWithoutValue = nullptr);
// Reads a whole size file under its undo mark; false (noted, undone, nothing
// of `value` to free) when a key is missing, a value is out of range or the
// file cannot be opened, and `refusal` (may be null) receives the message
// number of the refusal (0 when read). A bare "PERCENTILE:" is the empty name.
STAMVIK_API bool VD_2DManikin_read_customer_default_size(const char* fileName, VD_2DManikin_value_t* value,
                                                         int* refusal = nullptr);

// Whether legs of these lengths reach the pedal plane from the hip point.
STAMVIK_API bool VD_2DManikin_check_leg_positions(const double heel[2], const double hip[2], double pedalAngle,
                                                  const double lengths[2]);
// Whether arms of these lengths (arm, forearm, hand grip) reach the wheel centre.
STAMVIK_API bool VD_2DManikin_check_arm_reach(const double hip[2], const double wheelCentre[2], double backAngle,
                                              const double lengths[3], double shoulderToHip);

// ---- requirements -------------------------------------------------------------------------
constexpr int kRequirementTextSize = 133;  // texts of the defaults file: 132 characters and the end
using RequirementText = char[kRequirementTextSize];

// The design-point requirement settings (argument: percentile index + 1).
STAMVIK_API void VD_2DManikin_read_design_point_requirements(int percentile, int* sourceType, RequirementText project,
                                                             RequirementText properties[4],
                                                             RequirementText identifiers[4], double criteria[8]);
// The joint-angle requirement settings: per joint (back, shoulder, elbow,
// hip, knee, ankle, hand) a property name, an identifier, a minimum and a maximum.
STAMVIK_API void VD_2DManikin_read_joint_angle_requirements(int* sourceType, RequirementText project,
                                                            RequirementText properties[7],
                                                            RequirementText identifiers[7], double limits[14]);

// The reporting server and requirement files, read from the environment once per process.
struct VD_2DManikin_requirement_environment_t {
  char server[256];
  char account[256];
  char accountPart[256];  // what follows the first colon of the account variable
  char xmlFile[272];
  char spreadsheetFile[272];
  unsigned char flag;
};
STAMVIK_API const VD_2DManikin_requirement_environment_t& VD_2DManikin_requirement_environment();
// Lets the next use read the environment again (for tests).
STAMVIK_API void VD_2DManikin_forget_requirement_environment();

// Builds the joint-angle checker of the rule instance; errors are handed to
// the host's error object, never raised.
STAMVIK_API void VD_2DManikin_update_checkers(const char* instance);

}  // namespace KTX::VDJA

namespace KTX {
struct VALIDATION_APPLICATION_checker_t;
struct VALIDATION_APPLICATION_checker_detail_t;
}

STAMVIK_API int VD_create_validation_app_object(const char* prefix, const char* checkerName, const char* className,
                                                const char* ruleClass, KTX::VALIDATION_APPLICATION_checker_t** checker);
STAMVIK_API int VD_find_validation_app_tag(const char* checkerName, const char* application, unsigned int* tag);
STAMVIK_API int VD_find_validation_app_object(const char* checkerName, const char* application,
                                              KTX::VALIDATION_APPLICATION_checker_detail_t** checker);
