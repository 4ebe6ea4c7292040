#include "VD_2DManikin_util.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "Messages.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "sys/Replace.hpp"
#include "sys/Str.hpp"
#include "sys/TextFile.hpp"
#include "feat/Builder.hpp"
#include "sys/Settings.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vd/ManikinServices.hpp"
#include "vd/Validation.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX::VDJA {
namespace {

constexpr const char* kSource = "VD_2DManikin_util";
using Messages::kManikinSizeFileKeyMissing;
using Messages::kManikinSizeFileUnreadable;
using Messages::kManikinSizeFileValueOutOfRange;
constexpr double kZero = 1e-10;
constexpr double kDegree = 0.01745329251994328;

// Millimetres, array order without the hand: leg, thigh, forearm, arm, torso, shoulder-to-hip, hand grip.
constexpr double kStandardSizes[2][3][7] = {
    {{459.1, 456.0, 267.0, 300.0, 563.0, 480.0, 124.0},
     {417.5, 431.5, 244.0, 275.0, 563.0, 442.0, 110.0},
     {390.4, 407.7, 221.0, 250.0, 563.0, 404.0, 96.0}},
    {{445.0, 452.0, 267.0, 300.0, 591.5, 480.0, 124.0},
     {398.0, 407.0, 244.0, 275.0, 532.5, 442.0, 110.0},
     {351.0, 362.0, 221.0, 250.0, 473.5, 404.0, 96.0}},
};

constexpr int kLineSize = 1024;

// The whole text as a number; NaN when it is none (a size file's "abc" is
// no length, where a bare atof would take it as 0).
double numberOf(const char* text) {
  char* end = nullptr;
  errno = 0;
  const double value = std::strtod(text, &end);
  if (end == text || errno == ERANGE || !std::isfinite(value)) return std::numeric_limits<double>::quiet_NaN();
  while (*end == ' ' || *end == '\t') ++end;
  return *end == '\0' ? value : std::numeric_limits<double>::quiet_NaN();
}

void upperStripped(char* text) {
  STR_strip_ending_whitespace(text);
  const Stamvik::HostBlock<char> upper(STR_copy_uc(text));
  std::memcpy(text, upper.get(), std::strlen(upper.get()));
}

}  // namespace

void VD_2DManikin_init_default_value(VD_2DManikin_value_t* value) {
  value->unit = 0;
  value->percentile = SM_string_copy("SAE J826 99%");
  value->leg = 436.82;
  value->thigh = 469.26;
  value->forearm = 268.83;
  value->arm = 296.12;
  value->torso = 563;
  value->hand = 244.09;
  value->handGrip = 120.89;
  value->shoulderToHip = 442;
}

bool VD_2DManikin_ask_standard_size(int standard, int percentileIndex, double sizes[7]) {
  if (static_cast<unsigned>(standard) > 1 || static_cast<unsigned>(percentileIndex) > 2) return false;
  std::memcpy(sizes, kStandardSizes[standard][percentileIndex], sizeof kStandardSizes[0][0]);
  return true;
}

void VD_2DManikin_copy_value(int partUnitCode, const VD_2DManikin_value_t* value, double sizes[8]) {
  double factor = 1.0;
  if (partUnitCode == 0 && value->unit == 1) factor = 25.4;
  if (partUnitCode != 0 && value->unit == 0) factor = 0.03937007874015748;
  const double recordOrder[8] = {value->thigh, value->leg,           value->arm,  value->forearm,
                                 value->torso, value->shoulderToHip, value->hand, value->handGrip};
  for (int i = 0; i < 8; ++i) sizes[i] = recordOrder[i] * factor;
}

int VD_2DManikin_save_value_in_file(const char* fileName, const VD_2DManikin_value_t* value) {
  int type = 0;
  int channel = 0;
  {
    Stamvik::HostBlock<char> name;
    if (CFI_get_file_type(fileName, &type) != 0 || type != kCfiSizeDefinition) {
      if (CFI_add_extension(fileName, kCfiSizeDefinition, name.out()) != 0) return 2;
    } else {
      name.reset(SM_string_copy(fileName));
    }
    if (CFI_ask_file_exist(name.get()) == 0 && CFI_query_file_permissions(name.get(), kCfiSizeDefinition, 2) == 0)
      return 1;
    // A file that cannot be made is one that cannot be written, not one misread.
    if (CFI_open_iti_text(name.get(), kCfiSizeDefinition, 3, &channel) != 0) return 1;
  }
  // A write that fails still closes the file (its own failure is noted).
  Stamvik::OnEveryExit closeOnFailure("CFI_close_file", [channel] { CFI_close_file(channel); });

  auto line = [channel](char* text) {
    const Stamvik::HostBlock<char> held(text);
    CFI_write_iti_line(channel, held.get());
  };
  auto plain = [channel](const char* text) { CFI_write_iti_line(channel, text); };
  plain("! This is a human size definition file");
  plain(" ");
  plain("! must be mm or inch");
  plain(value->unit != 0 ? "UNIT:   inch" : "UNIT:   mm");
  plain(" ");
  plain("!could be any string");
  line(TEXT_format_string("PERCENTILE:   %s", value->percentile != nullptr ? value->percentile : ""));
  plain(" ");
  const struct {
    const char* comment;
    const char* format;
    double length;
  } lengths[] = {
      {"!must be number", "THIGH_LENGTH:   %.2f", value->thigh},
      {"!must be number", "LEG_LENGTH:   %.2f", value->leg},
      {"!must be number", "ARM_LENGTH:   %.2f", value->arm},
      {"!must be number", "FOREARM_LENGTH:   %.2f", value->forearm},
      {"!must be number(calculated)", "TORSO_LENGTH:   %.2f", value->torso},
      {"!must be number(calculated)", "SHOULDER_TO_HIP_LENGTH:   %.2f", value->shoulderToHip},
      {"!must be number", "HAND_LENGTH:   %.2f", value->hand},
      {"!must be number", "HAND_GRIP_LENGTH:   %.2f", value->handGrip},
  };
  for (const auto& length : lengths) {
    plain(length.comment);
    line(TEXT_format_string(length.format, length.length));
    plain(" ");
  }
  closeOnFailure.Dismiss();
  // The close puts the file in place: a write or rename that failed there
  // (the disk full, a folder of that name) saved nothing.
  return CFI_close_file(channel) != 0 ? 1 : 0;
}

namespace {

// The first of the lines giving the key a value (see
// VD_2DManikin_read_value_of_key). Each line is looked at whole.
bool valueOfKey(const std::vector<std::string>& lines, const char* key, double* number, char** text, int* line,
                bool* namedWithoutValue) {
  if (namedWithoutValue != nullptr) *namedWithoutValue = false;
  std::vector<char> wanted(key, key + std::strlen(key) + 1);
  upperStripped(wanted.data());
  std::vector<char> buffer;
  int lineNumber = 0;
  for (const std::string& read : lines) {
    ++lineNumber;
    buffer.assign(read.begin(), read.end());
    buffer.push_back('\0');
    upperStripped(buffer.data());
    if (buffer[0] == '#' || buffer[0] == ';' || buffer[0] == '!') continue;
    // The key is the first token between separators, the value all after it.
    char* start = buffer.data() + std::strspn(buffer.data(), "=:");
    if (*start == '\0') continue;
    char* end = start + std::strcspn(start, "=:");
    if (*end == '\0') continue;
    *end = '\0';
    char* found = start;
    while (*found == ' ' || *found == '\t') ++found;
    upperStripped(found);
    char* value = end + 1;
    while (*value == ' ' || *value == '\t') ++value;
    STR_strip_ending_whitespace(value);
    if (STR_compare_i(found, wanted.data()) != 0) continue;
    if (*value == '\0') {
      // A line with no value is passed over; a later one may give it.
      if (namedWithoutValue != nullptr) *namedWithoutValue = true;
      if (line != nullptr) *line = lineNumber;
      continue;
    }
    if (line != nullptr) *line = lineNumber;
    if (text != nullptr)
      *text = SM_string_copy(value);
    else if (number != nullptr)
      *number = numberOf(value);
    return true;
  }
  return false;
}

}  // namespace

bool VD_2DManikin_read_value_of_key(std::FILE* file, const char* key, double* number, char** text, int* line,
                                    bool* namedWithoutValue) {
  if (namedWithoutValue != nullptr) *namedWithoutValue = false;
  if (file == nullptr || key == nullptr) return false;
  std::rewind(file);
  // Whole lines, as the host's readers take them: a line longer than they
  // allow is no size file's, and nothing of the file is read.
  std::vector<std::string> lines(1);
  char block[kLineSize];
  while (std::fgets(block, sizeof block, file) != nullptr) {
    std::string& current = lines.back();
    current += block;
    const bool ended = current.back() == '\n';
    if (current.size() - (ended ? 1 : 0) > Files::kLongestLine) return false;
    if (!ended) continue;
    current.pop_back();
    if (!current.empty() && current.back() == '\r') current.pop_back();
    lines.emplace_back();
  }
  if (lines.back().empty()) lines.pop_back();
  return valueOfKey(lines, key, number, text, line, namedWithoutValue);
}

bool VD_2DManikin_read_customer_default_size(const char* fileName, VD_2DManikin_value_t* value, int* refusal) {
  if (refusal != nullptr) *refusal = 0;
  static constexpr const char* kMark = "Read Customer Default Manikin Definition";
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, kMark, &error);
  if (error != 0) ERROR_raise(kSource, 224, error, "Cannot set undo mark");
  UNDO_QD_set_mark_importance(mark, 1);

  std::vector<std::string> lines;
  VD_2DManikin_value_t read{};
  const char* key = nullptr;
  int line = 0;
  bool ok = false;
  // Why the file could not be read: what the reader found there.
  std::string why;
  try {
    // A size file is a dozen keys: what is larger than a megabyte is none,
    // nor is a file with a line longer than the host's readers allow; such a
    // file is refused before any of it is taken.
    if (Files::ReadLines(fileName, std::size_t{1} << 20, &lines, &why) != 0)
      ERROR_raise(kSource, 238, kManikinSizeFileUnreadable, "Customer Default file can not open or not found.");
    key = "UNIT";
    Stamvik::HostBlock<char> unit;
    if (!valueOfKey(lines, key, nullptr, unit.out(), &line, nullptr))
      ERROR_raise(kSource, 242, kManikinSizeFileKeyMissing, "UNIT is not read in the general default data structure.");
    read.unit = STR_compare_i(unit.get(), "MM") == 0 ? 0 : STR_compare_i(unit.get(), "INCH") == 0 ? 1 : -1;
    unit.reset();
    if (read.unit < 0) ERROR_raise(kSource, 245, kManikinSizeFileValueOutOfRange, "UNIT is out of range.");
    key = "PERCENTILE";
    bool named = false;
    if (!valueOfKey(lines, key, nullptr, &read.percentile, &line, &named)) {
      // A manikin that has no size name saves a bare "PERCENTILE:"; its file
      // opens again with the empty name.
      if (!named) ERROR_raise(kSource, 252, kManikinSizeFileKeyMissing, "PERCENTILE is not read in the general default data structure.");
      read.percentile = SM_string_copy("");
    }
    const struct {
      const char* key;
      double* length;
    } lengths[] = {{"LEG_LENGTH", &read.leg},           {"THIGH_LENGTH", &read.thigh},
                   {"FOREARM_LENGTH", &read.forearm},   {"ARM_LENGTH", &read.arm},
                   {"TORSO_LENGTH", &read.torso},       {"HAND_LENGTH", &read.hand},
                   {"HAND_GRIP_LENGTH", &read.handGrip}, {"SHOULDER_TO_HIP_LENGTH", &read.shoulderToHip}};
    for (const auto& length : lengths) {
      key = length.key;
      if (!valueOfKey(lines, key, length.length, nullptr, &line, nullptr))
        ERROR_raise(kSource, 265, kManikinSizeFileKeyMissing, "%s is not read in the general default data structure.", key);
      // A length at or below 0 (within the rounding of 0) is no body size.
      if (!(*length.length >= kZero)) ERROR_raise(kSource, 266, kManikinSizeFileValueOutOfRange, "%s is out of range.", key);
    }
    ok = true;
  } catch (const std::exception& caught) {
    const int code = Error::Severe::Convert(caught).askCode();
    if (refusal != nullptr) *refusal = code;
    const char* name = fileName != nullptr ? fileName : "";
    switch (code) {
      case kManikinSizeFileUnreadable:
        VD__output_default_error(name, -1);
        ERROR_note("The File %s can not open or not found.", name);
        ERROR_note("%s: %s", name, why.c_str());
        break;
      case kManikinSizeFileKeyMissing:
        VD__output_default_error(key, -2);
        ERROR_note("%s is not read in the general default data structure.", key);
        ERROR_note("In file %s.", name);
        break;
      case kManikinSizeFileValueOutOfRange:
        VD__output_default_error(key, -3);
        ERROR_note("%s is out of range.", key);
        ERROR_note("In file %s, line %d.", name, line);
        break;
      default:
        break;
    }
    UNDO_QD_undo_to_mark_no_status(mark, kMark);
    ERROR_set_handled(code);
    SM_free(read.percentile);
    read.percentile = nullptr;
  }
  UNDO_QD_delete_to_mark(mark, kMark);
  if (ok) *value = read;
  return ok;
}

bool VD_2DManikin_check_leg_positions(const double heel[2], const double hip[2], double pedalAngle,
                                      const double lengths[2]) {
  const double a = vd_convert_unit(81.0), b = vd_convert_unit(107.0);
  const double x = pedalAngle * -kDegree;
  const double direction[2] = {std::cos(x) * -a - std::sin(x) * b, std::sin(x) * -a + std::cos(x) * b};
  double unit[2];
  VEC2_unitize(direction, kZero, nullptr, unit);
  const double reach = std::sqrt(a * a + b * b);
  const double ankle[2] = {heel[0] + unit[0] * reach, heel[1] + unit[1] * reach};
  const double d = std::hypot(ankle[0] - hip[0], ankle[1] - hip[1]);
  const double leg = lengths[0], thigh = lengths[1];
  return d < leg + thigh + kZero && d > std::fabs(thigh - leg) - kZero;
}

bool VD_2DManikin_check_arm_reach(const double hip[2], const double wheelCentre[2], double backAngle,
                                  const double lengths[3], double shoulderToHip) {
  const double x = backAngle * kDegree;
  const double shoulder[2] = {hip[0] + std::sin(x) * shoulderToHip, hip[1] + std::cos(x) * shoulderToHip};
  const double d = std::hypot(wheelCentre[0] - shoulder[0], wheelCentre[1] - shoulder[1]);
  const double arm = lengths[0], forearm = lengths[1];
  const double g = vd_convert_unit(205.0) - lengths[2];
  const double f = std::sqrt(forearm * forearm + g * g - 2 * forearm * g * std::cos(2.9670597283903577));
  return d < arm + f + kZero && d > std::fabs(arm - f) - kZero;
}

// ---- requirements -------------------------------------------------------------------------

namespace {

void readText(const char* name, RequirementText text) {
  VD_DEFFILE_read_value(nullptr, name, 0, text, kRequirementTextSize);
}

bool inchPart() { return PART_ask_units(PART_ask_work_part()) == 1; }

struct Joint {
  const char* property;
  const char* identifier;
  const char* minimum;
  const char* maximum;
  const char* angle;
  const char* expression;
};
constexpr Joint kJoints[7] = {
    {"VD_2DM_BACK_ANG_PROPERTY_NAME", "VD_2DM_BACK_ANG_ID_REV", "VD_2DM_CRT_ANG_BACK_MIN", "VD_2DM_CRT_ANG_BACK_MAX",
     "Back_Angle", "Back_Angle_exp"},
    {"VD_2DM_SHOULDER_ANG_PROPERTY_NAME", "VD_2DM_SHOULDER_ANG_ID_REV", "VD_2DM_CRT_ANG_SHOULDER_MIN",
     "VD_2DM_CRT_ANG_SHOULDER_MAX", "Shoulder_Angle", "Shoulder_Angle_exp"},
    {"VD_2DM_ELBOW_ANG_PROPERTY_NAME", "VD_2DM_ELBOW_ANG_ID_REV", "VD_2DM_CRT_ANG_ELBOW_MIN",
     "VD_2DM_CRT_ANG_ELBOW_MAX", "Elbow_Angle", "Elbow_Angle_exp"},
    {"VD_2DM_HIP_ANG_PROPERTY_NAME", "VD_2DM_HIP_ANG_ID_REV", "VD_2DM_CRT_ANG_HIP_MIN", "VD_2DM_CRT_ANG_HIP_MAX",
     "Hip_Angle", "Hip_Angle_exp"},
    {"VD_2DM_KNEE_ANG_PROPERTY_NAME", "VD_2DM_KNEE_ANG_ID_REV", "VD_2DM_CRT_ANG_KNEE_MIN", "VD_2DM_CRT_ANG_KNEE_MAX",
     "Knee_Angle", "Knee_Angle_exp"},
    {"VD_2DM_ANKLE_ANG_PROPERTY_NAME", "VD_2DM_ANKLE_ANG_ID_REV", "VD_2DM_CRT_ANG_ANKLE_MIN",
     "VD_2DM_CRT_ANG_ANKLE_MAX", "Ankle_Angle", "Ankle_Angle_exp"},
    {"VD_2DM_HAND_ANG_PROPERTY_NAME", "VD_2DM_HAND_ANG_ID_REV", "VD_2DM_CRT_ANG_HAND_MIN", "VD_2DM_CRT_ANG_HAND_MAX",
     "Hand_Angle", "Hand_Angle_exp"},
};

VD_2DManikin_requirement_environment_t& environment() {
  static VD_2DManikin_requirement_environment_t settings{};
  return settings;
}
bool environmentUnread = true;

// Copies at most the buffer's capacity less its end.
template <std::size_t N>
void copyCut(char (&to)[N], const char* from) {
  std::snprintf(to, N, "%s", from != nullptr ? from : "");
}

}  // namespace

void VD_2DManikin_read_design_point_requirements(int percentile, int* sourceType, RequirementText project,
                                                 RequirementText properties[4], RequirementText identifiers[4],
                                                 double criteria[8]) {
  *sourceType =
      VD_read_def_validation_req_source_type("VD_REQUIREMENT_SETTING_DPC_TYPE_WIN", "VD_REQUIREMENT_SETTING_DPC_TYPE_UNX");
  readText("VD_DP_PROJ_NAME", project);
  readText("VD_2DM_HIP_POINT_ANG_PROPERTY_NAME", properties[0]);
  readText("VD_2DM_SWC_ANG_PROPERTY_NAME", properties[1]);
  readText("VD_2DM_HEEL_ANG_PROPERTY_NAME", properties[2]);
  readText("VD_2DM_HIP_POINT_ANG_ID_REV", identifiers[0]);
  readText("VD_2DM_SWC_ANG_ID_REV", identifiers[1]);
  readText("VD_2DM_HEEL_POINT_ANG_ID_REV", identifiers[2]);
  const char* angles[6] = {"VD_2DM_CRT_ANG_HIP_POINT_MIN", "VD_2DM_CRT_ANG_HIP_POINT_MAX", "VD_2DM_CRT_ANG_SWC_MIN",
                           "VD_2DM_CRT_ANG_SWC_MAX",       "VD_2DM_CRT_ANG_HEEL_MIN",      "VD_2DM_CRT_ANG_HEEL_MAX"};
  for (int i = 0; i < 6; ++i) criteria[i] = PMAN_ask_real(angles[i]);
  const std::string size = percentile == 1 ? "95" : "50";
  readText(("VD_2DM_" + size + "_HEEL_SWC_DIS_PROPERTY_NAME").c_str(), properties[3]);
  readText(("VD_2DM_" + size + "_HEEL_SWC_DIS_ID_REV").c_str(), identifiers[3]);
  const std::string unit = inchPart() ? "_EU" : "_MU";
  criteria[6] = PMAN_ask_real(("VD_2DM_CRT_" + size + "_DIS_HEEL_SWC_MIN" + unit).c_str());
  criteria[7] = PMAN_ask_real(("VD_2DM_CRT_" + size + "_DIS_HEEL_SWC_MAX" + unit).c_str());
}

void VD_2DManikin_read_joint_angle_requirements(int* sourceType, RequirementText project, RequirementText properties[7],
                                                RequirementText identifiers[7], double limits[14]) {
  *sourceType =
      VD_read_def_validation_req_source_type("VD_REQUIREMENT_SETTING_MJA_TYPE_WIN", "VD_REQUIREMENT_SETTING_MJA_TYPE_UNX");
  readText("VD_DP_PROJ_NAME", project);
  for (int i = 0; i < 7; ++i) {
    readText(kJoints[i].property, properties[i]);
    readText(kJoints[i].identifier, identifiers[i]);
    limits[2 * i] = PMAN_ask_real(kJoints[i].minimum);
    limits[2 * i + 1] = PMAN_ask_real(kJoints[i].maximum);
  }
}

const VD_2DManikin_requirement_environment_t& VD_2DManikin_requirement_environment() {
  if (!environmentUnread) return environment();
  environmentUnread = false;
  auto& settings = environment();
  settings = {};
  copyCut(settings.server, "http://localhost:8080/rqv");
  copyCut(settings.account, "rqvadm");
  settings.flag = 1;
  if (const char* server = ENV_translate_variable("QDEN_RQV_SERVER")) copyCut(settings.server, server);
  if (const char* account = ENV_translate_variable("QDEN_RQV_ACCOUNT")) {
    const std::string text = account;
    const auto colon = text.find(':');
    copyCut(settings.account, text.substr(0, colon).c_str());
    if (colon != std::string::npos) {
      copyCut(settings.accountPart, text.substr(colon + 1).c_str());
      settings.flag = 1;
    }
  }
  if (const char* xml = ENV_translate_variable("QDEN_VD_JOINT_REQ_XML_FILE")) copyCut(settings.xmlFile, xml);
  if (const char* sheet = ENV_translate_variable("QDEN_VD_JOINT_REQ_SPREADSHEET_FILE"))
    copyCut(settings.spreadsheetFile, sheet);
  return settings;
}

void VD_2DManikin_forget_requirement_environment() { environmentUnread = true; }

void VD_2DManikin_update_checkers(const char* instance) {
  static constexpr const char* kMark = "Update Checkers";
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, kMark, &error);
  if (error != 0) {
    ERROR_severe(kSource, 442, error, "Failed to set UNDO mark - code %d", error);
    return;
  }
  VALIDATION_APPLICATION_checker_t* checker = nullptr;
  const std::string prefix = "root:" + std::string(instance != nullptr ? instance : "") + ":";
  char* project = nullptr;
  int propertyCount = 0, identifierCount = 0, dataCount = 0;
  char** properties = nullptr;
  char** identifiers = nullptr;
  double* data = nullptr;
  VALIDATION_APPLICATION_requirement_t* requirements[7] = {};
  try {
    int type = 0;
    VD_KF_ask_integer((prefix + "Joint_Required_Source_Type:").c_str(), &type);
    if (!RTENV_ask_qdmanager_active() && type == 5) type = 0;
    if (type != 0 && type != 1 && type != 2 && type != 3 && type != 5) {
      // No checker exists yet for the line to belong to.
      const char* line = "Error occurred during validation.";
      VALIDATION_APPLICATION_add_checker_log(nullptr, 1, &line, 1);
    } else {
      char checkerName[kRequirementTextSize];
      std::snprintf(checkerName, sizeof checkerName, "%s_%s", instance, "Joint_Angle");
      VD_create_validation_app_object(prefix.c_str(), checkerName, "Manikin_Joint_Angle", "%qd_vd_2dmanikin", &checker);
      VD_KF_ask_string((prefix + "Joint_Required_Project_Name:").c_str(), &project);
      VD_KF_ask_string_list((prefix + "Joint_Required_Property_Names:").c_str(), &propertyCount, &properties);
      char idsName[2 * kRequirementTextSize];
      std::snprintf(idsName, sizeof idsName, "%sJoint_%s:", prefix.c_str(), "Required_VR_Ids");
      VD_KF_ask_string_list(idsName, &identifierCount, &identifiers);
      VD_KF_ask_number_list((prefix + "Joint_Required_Data:").c_str(), &dataCount, &data);
      const auto& env = VD_2DManikin_requirement_environment();
      // Never more requirements than joints, names or data pairs to fill them.
      const int count = std::min(7, type == 0 ? dataCount / 2 : type == 5 ? identifierCount : propertyCount);
      for (int i = 0; i < count; ++i) {
        VALIDATION_APPLICATION_alloc_requirement_object(&requirements[i]);
        auto* r = requirements[i];
        r->sourceType = type;
        if (type == 5) {
          copyCut(r->project, identifiers[i]);
          copyCut(r->property, identifiers[i]);
          copyCut(r->file, identifiers[i]);
          continue;
        }
        const char* property = i < propertyCount ? properties[i] : "";
        copyCut(r->project, project);
        copyCut(r->property, property);
        if (type == 0) {
          r->zero = 0;
          r->minimum = data[2 * i];
          std::snprintf(r->minimumText, sizeof r->minimumText, "%f", data[2 * i]);
          r->maximum = data[2 * i + 1];
          std::snprintf(r->maximumText, sizeof r->maximumText, "%f", data[2 * i + 1]);
          copyCut(r->propertyCopy, property);
        } else if (type == 1) {
          copyCut(r->file, env.spreadsheetFile);
        } else if (type == 2) {
          copyCut(r->account, env.account);
          copyCut(r->accountPart, env.accountPart);
          r->flag = 1;
          copyCut(r->server, env.server);
        } else {
          copyCut(r->file, env.xmlFile);
        }
      }
      int results[7] = {};
      VALIDATION_APPLICATION_set_requirements(checker, count, requirements, results);
      char expressionNames[7][kRequirementTextSize];
      const char* expressionList[7];
      const char* angleList[7];
      for (int i = 0; i < 7; ++i) {
        VD_ask_kf_expression_name(instance, kJoints[i].expression, expressionNames[i], kRequirementTextSize);
        expressionList[i] = expressionNames[i];
        angleList[i] = kJoints[i].angle;
      }
      VALIDATION_APPLICATION_eval_results(checker, 7, results, expressionList, angleList);
      const char* lines[3] = {"This wizard helps you create a manikin joint angle. ",
                              "It meets the recommendation of SAE J326 and SAEJ383 Describing and Measuring ",
                              "for a joint angle. \n"};
      for (const char* line : lines) VALIDATION_APPLICATION_add_checker_log(checker, 1, &line, 1);
    }
  } catch (const std::exception& caught) {
    Error::HandleAsBuilder(caught, kSource, 522);
  }
  for (auto* r : requirements) VALIDATION_APPLICATION_free_requirement_object(r);
  for (int i = 0; properties != nullptr && i < propertyCount; ++i) SM_free(properties[i]);
  for (int i = 0; identifiers != nullptr && i < identifierCount; ++i) SM_free(identifiers[i]);
  SM_free(properties);
  SM_free(identifiers);
  SM_free(data);
  SM_free(project);
  VALIDATION_APPLICATION_free_app_memory(checker);
  UNDO_QD_delete_mark(mark, kMark);
}

}  // namespace KTX::VDJA

int VD_create_validation_app_object(const char* prefix, const char* checkerName, const char* className,
                                    const char* ruleClass, KTX::VALIDATION_APPLICATION_checker_t** checker) {
  KTX::VALIDATION_APPLICATION_plugin_record_t record{};
  record.kind = 0;
  record.ruleClass = ruleClass;
  record.dialog = "%edit_dialog";
  return KTX::VALIDATION_APPLICATION_plugin(&record, prefix, checkerName, className, 1, checker);
}

int VD_find_validation_app_tag(const char* checkerName, const char* application, unsigned int* tag) {
  *tag = 0;
  int count = 0;
  unsigned int* objects = nullptr;
  KTX::VALIDATION_APPLICATION_ask_all_persistent_app_objects(application, &count, &objects);
  for (int i = 0; i < count && *tag == 0; ++i) {
    KTX::VALIDATION_APPLICATION_checker_detail_t* detail = nullptr;
    KTX::VALIDATION_APPLICATION_ask_persistent_checker_detail(objects[i], &detail);
    if (detail != nullptr && checkerName != nullptr && std::strcmp(detail->name, checkerName) == 0) *tag = objects[i];
    KTX::VALIDATION_APPLICATION_free_app_memory(detail);
  }
  KTX::VALIDATION_APPLICATION_free_app_memory(objects);
  return 0;
}

int VD_find_validation_app_object(const char* checkerName, const char* application,
                                  KTX::VALIDATION_APPLICATION_checker_detail_t** checker) {
  unsigned int tag = 0;
  VD_find_validation_app_tag(checkerName, application, &tag);
  *checker = nullptr;
  if (tag != 0) KTX::VALIDATION_APPLICATION_ask_persistent_checker_detail(tag, checker);
  return 0;
}
