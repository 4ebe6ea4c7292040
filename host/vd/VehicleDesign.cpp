#include "vd/VehicleDesign.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>
#include <string>

#include "exp/Expression.hpp"
#include "sys/CallLog.hpp"
#include "sys/Replace.hpp"
#include "sys/UserMessages.hpp"

namespace KTX {
namespace {

struct CsysAnswer {
  int type = 0;
  double origin[3] = {0, 0, 0};
  double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
};
CsysAnswer& csysAnswer() {
  static CsysAnswer answer;
  return answer;
}

std::string address(const void* p) {
  char text[32];
  std::snprintf(text, sizeof text, "%p", p);
  return text;
}

// A left front corner in vehicle coordinates (millimetres; X rearward, Y
// outboard to the left negative, Z up), the wheel centre at (0, -760, 0).
constexpr VD_point_s kWheelCenter{0, -760, 0};
constexpr VD_point_s kSpindleInner{0, -660, 0};
constexpr VD_point_pair_s Single(double x, double y, double z) { return {{x, y, z}, {0, 0, 0}}; }
constexpr VD_point_pair_s kWheelAxis{kWheelCenter, kSpindleInner};
constexpr VD_point_s kMirrorOrigin{0, 0, 0};
constexpr VD_point_s kMirrorNormal{0, 1, 0};

}  // namespace

bool VD_get_csys(int* type, double origin[3], double matrix[9]) {
  Host::Log("VD_get_csys");
  const CsysAnswer& a = csysAnswer();
  if (type != nullptr) *type = a.type;
  for (int i = 0; i < 3 && origin != nullptr; ++i) origin[i] = a.origin[i];
  for (int i = 0; i < 9 && matrix != nullptr; ++i) matrix[i] = a.matrix[i];
  return true;
}

void VD_update_csys(int type, const double origin[3], const double matrix[9]) {
  std::string values = std::to_string(type);
  char number[32];
  for (int i = 0; i < 3; ++i) {
    std::snprintf(number, sizeof number, " %g", origin[i]);
    values += number;
  }
  for (int i = 0; i < 9; ++i) {
    std::snprintf(number, sizeof number, " %g", matrix[i]);
    values += number;
  }
  Host::Log("VD_update_csys", values);
  VD::SetCsysAnswer(type, origin, matrix);
}

void QF_VD_MAC_SUSP_initial(sMacpherson_Suspension* r) {
  Host::Log("QF_VD_MAC_SUSP_initial", address(r));
  if (r == nullptr) return;
  r->bottomOfStrut = Single(10, -640, -120);
  r->ballJoint = Single(5, -700, -150);
  r->outerDriveJoint = Single(0, -690, 0);
  r->innerDriveJoint = {0, -250, 20};
  r->wheelCenterline = kWheelAxis;
  r->tieRodOuter = Single(130, -680, -60);
  r->tieRodInner = Single(140, -330, -40);
  r->strutCenter = Single(-30, -560, 520);
  r->bushingFront = Single(-180, -330, -130);
  r->bushingRear = Single(220, -350, -120);
  r->upperStabilizerLink = Single(60, -540, 120);
  r->lowerStabilizerLink = Single(60, -520, -80);
  r->stabilizerBushing = {90, -380, -60};
  r->oppositeInnerJoint = {0, 250, 20};
  r->oppositeBushing = {-180, 330, -130};
  r->mirrorPlaneOrigin = kMirrorOrigin;
  r->mirrorPlaneVector = kMirrorNormal;
}

void QF_VD_SLA_SUSP_initial(sSLArm_Suspension* r) {
  Host::Log("QF_VD_SLA_SUSP_initial", address(r));
  if (r == nullptr) return;
  r->lowerBallJoint = Single(0, -710, -160);
  r->lowerFrontBushing = Single(-200, -340, -140);
  r->lowerRearBushing = Single(200, -350, -130);
  r->upperBallJoint = Single(-20, -650, 200);
  r->upperFrontBushing = Single(-140, -430, 240);
  r->upperRearBushing = Single(120, -440, 230);
  r->lowerShockCenter = Single(-10, -560, -110);
  r->upperShockCenter = Single(-30, -520, 420);
  r->wheelCenterline = kWheelAxis;
  r->outerDriveJoint = Single(0, -690, 0);
  r->tieRodOuter = Single(140, -690, -40);
  r->tieRodInner = Single(150, -330, -30);
  r->innerDriveJoint = {0, -260, 10};
  r->upperStabilizerLink = Single(50, -560, 110);
  r->lowerStabilizerLink = Single(50, -540, -90);
  r->stabilizerBushing = {80, -390, -70};
  r->oppositeInnerJoint = {0, 260, 10};
  r->oppositeBushing = {-200, 340, -140};
  r->mirrorPlaneOrigin = kMirrorOrigin;
  r->mirrorPlaneVector = kMirrorNormal;
}

void QF_VD_FLA_SUSP_initial(sFiveLinkAxle_Suspension* r) {
  Host::Log("QF_VD_FLA_SUSP_initial", address(r));
  if (r == nullptr) return;
  r->frontBushingLowerArm = Single(-450, -520, -80);
  r->rearBushingLowerArm = Single(40, -560, -120);
  r->frontBushingUpperArm = Single(-380, -380, 160);
  r->rearBushingUpperArm = Single(30, -420, 140);
  r->lowerShockCenter = Single(80, -600, -100);
  r->upperShockCenter = Single(60, -560, 380);
  r->lowerBumperCenter = {0, -480, 60};
  r->oppositeLowerBumper = {0, 480, 60};
  r->upperBumperCenter = {0, -480, 160};
  r->oppositeUpperBumper = {0, 480, 160};
  r->wheelCenterline = kWheelAxis;
  r->trackBarInner = {60, 420, 40};
  r->oppositeTrackBarInner = {60, -420, 40};
}

void TIREENV_exit_scenario_reset_master(PART_part* rootPart, tag_t masterPart) {
  Host::Log("TIREENV_exit_scenario_reset_master", "root=" + std::to_string(OM::OM_ask_object_tag(rootPart)) +
                                                      " master=" + std::to_string(masterPart));
}

void VD_sort_array_ascending(double* values, int count) {
  if (values != nullptr && count > 1) std::sort(values, values + count);
}

bool TIREENV_check_angle_in_offset_angles(const Tire_s* area, double angle) {
  Host::Log("TIREENV_check_angle_in_offset_angles", std::to_string(angle));
  if (area == nullptr) return false;
  const auto wrap = [](double a) {
    double w = std::fmod(a, 360.0);
    return w < 0 ? w + 360.0 : w;
  };
  const int n = std::clamp(area->sectionCount, 0, Tire_s::kMaxSections);
  for (int i = 0; i < n; ++i) {
    const double d = std::fabs(wrap(area->sectionAngles[i]) - wrap(angle));
    if (d <= 1e-6 || std::fabs(d - 360.0) <= 1e-6) return true;
  }
  return false;
}

int readoffsetvalues(const char* fileName, int* sectionCount, int* offsetCount, double angles[36],
                     int offsetCounts[36], double offsets[36][80], double fileOffsets[36][80]) {
  Host::Log("readoffsetvalues", fileName != nullptr ? fileName : "(null)");
  // 36 sections of at most 81 numbers, with comments: a megabyte is ample.
  std::vector<std::string> lines;
  std::string why;
  if (Files::ReadLines(fileName, std::size_t{1} << 20, &lines, &why) != 0)
    return VD::NoteFileLine(fileName, 0, why.c_str(), -1);
  const auto note = [&](int line, const char* what) { return VD::NoteFileLine(fileName, line, what, -2); };
  int sections = 0, widest = 0, lineNumber = 0;
  for (const std::string& line : lines) {
    ++lineNumber;
    std::istringstream words(line);
    std::string word;
    std::vector<double> values;
    bool comment = false;
    while (words >> word) {
      if (values.empty() && word[0] == '!') {
        comment = true;
        break;
      }
      double v = 0;
      if (!EXP_parse_number(word.c_str(), &v)) return note(lineNumber, "not a number");
      values.push_back(v);
    }
    if (comment || values.empty()) continue;
    if (sections == Tire_s::kMaxSections) return note(lineNumber, "more than 36 sections");
    const int count = static_cast<int>(values.size()) - 1;
    if (count > Tire_s::kMaxOffsets) return note(lineNumber, "more than 80 offsets");
    angles[sections] = values[0];
    offsetCounts[sections] = count;
    for (int i = 0; i < count; ++i) offsets[sections][i] = fileOffsets[sections][i] = values[static_cast<std::size_t>(i) + 1];
    widest = std::max(widest, count);
    ++sections;
  }
  if (sections == 0) return note(lineNumber, "no section");
  *sectionCount = sections;
  *offsetCount = widest;
  return 0;
}

namespace VD {
int NoteFileLine(const char* fileName, int line, const char* what, int result) {
  const std::string text =
      std::string(fileName != nullptr ? fileName : "(null)") + " line " + std::to_string(line) + ": " + what;
  Host::Log("TIREENV_note", text);
  Host::ShowUser(Host::UserMessage::kNote, text);
  return result;
}

void SetCsysAnswer(int type, const double origin[3], const double matrix[9]) {
  CsysAnswer& a = csysAnswer();
  a.type = type;
  for (int i = 0; i < 3; ++i) a.origin[i] = origin[i];
  for (int i = 0; i < 9; ++i) a.matrix[i] = matrix[i];
}
void ResetCsysAnswer() { csysAnswer() = CsysAnswer{}; }
}  // namespace VD

}  // namespace KTX
