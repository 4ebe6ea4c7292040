// The tire envelope's listing: the vehicle-design defaults it reads, then
// every input in the order a user enters them, written to the host's
// listing window. Nothing in the model or the builder changes.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "Support.hpp"
#include "VDJA_TireEnvelopeBlock.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "VDJA_TireEnvelopeFields.hpp"
#include "assy/Assembly.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "sys/Files.hpp"
#include "sys/Listing.hpp"
#include "sys/Memory.hpp"
#include "vd/ManikinServices.hpp"
#include "vd/TireClearance.hpp"
#include "vdja_tireenv_motion_util.hpp"

namespace KTX::VDJA {

namespace {

constexpr std::size_t kLine = 133;      // a line of the listing, 132 characters
constexpr std::size_t kLongLine = 266;  // the offset file's and the offset values' lines

// Formats one line into a buffer of `size` bytes (longer text is cut) and
// hands it to the listing window.
void PrintSized(std::size_t size, const char* format, ...) __attribute__((format(printf, 2, 3)));
void PrintSized(std::size_t size, const char* format, ...) {
  std::vector<char> line(size);
  std::va_list args;
  va_start(args, format);
  std::vsnprintf(line.data(), size, format, args);
  va_end(args);
  listUIprintf("%s", line.data());
}
#define STAMVIK_LINE(...) PrintSized(kLine, __VA_ARGS__)

const char* Logical(bool value) { return value ? "TRUE" : "FALSE"; }

// A setting of the vehicle-design defaults file, printed found or not; the
// lookup's status.
int PrintTextSetting(const char* name, std::string* value = nullptr) {
  char text[4096];
  const int status = VD_DEFFILE_read_value(nullptr, name, 0, text, sizeof text);
  if (status == 0) {
    STAMVIK_LINE("%s: %s\n", name, text);
    if (value != nullptr) *value = text;
  } else {
    STAMVIK_LINE("%s not found in default file.\n", name);
  }
  return status;
}
int PrintIntegerSetting(const char* name) {
  int value = 0;
  const int status = VD_DEFFILE_read_value(nullptr, name, 1, &value, 0);
  if (status == 0) STAMVIK_LINE("%s: %d\n", name, value);
  else STAMVIK_LINE("%s not found in default file.\n", name);
  return status;
}
int PrintRealSetting(const char* name) {
  double value = 0;
  const int status = VD_DEFFILE_read_value(nullptr, name, 2, &value, 0);
  if (status == 0) STAMVIK_LINE("%s: %f\n", name, value);
  else STAMVIK_LINE("%s not found in default file.\n", name);
  return status;
}

// The standard rim names: the setting's pieces between commas, trailing white
// space cut, then "Custom".
std::vector<std::string> RimNames(const std::string* standard) {
  std::vector<std::string> names;
  if (standard != nullptr) {
    std::size_t start = 0;
    for (;;) {
      const std::size_t comma = standard->find(',', start);
      std::string piece = standard->substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      while (!piece.empty() && std::strchr(" \t\r\n\f\v", piece.back()) != nullptr) piece.pop_back();
      names.push_back(piece);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  names.emplace_back("Custom");
  return names;
}

// A name by index; an index with no name prints "Unknown".
const char* NameAt(const std::vector<std::string>& names, int index) {
  return index >= 0 && static_cast<std::size_t>(index) < names.size() ? names[static_cast<std::size_t>(index)].c_str()
                                                                       : "Unknown";
}

// A part name in the form data management shows it.
std::string ManagedName(const char* name) {
  if (!RTENV_ask_qdmanager_active()) return name;
  const Stamvik::HostBlock<char> cli(QDMGR_convert_name_to_cli(name));
  return cli ? cli.get() : name;
}

struct HardPoint {
  const char* label;
  std::size_t place;  // in the template's record
};

// Labels in the order the template's points are numbered when set one at a time.
constexpr HardPoint kMacPhersonPoints[] = {
    {"    (1) Bottom of Strut", offsetof(sMacpherson_Suspension, bottomOfStrut)},
    {"    (2) Ball Joint", offsetof(sMacpherson_Suspension, ballJoint)},
    {"    (3) Outer Drive Joint", offsetof(sMacpherson_Suspension, outerDriveJoint)},
    {"    (4) Inner Drive Joint", offsetof(sMacpherson_Suspension, innerDriveJoint)},
    {"    (5) Wheel Center Line", offsetof(sMacpherson_Suspension, wheelCenterline)},
    {"    (6) Tirerod Outer", offsetof(sMacpherson_Suspension, tieRodOuter)},
    {"    (7) Tirerod Inner", offsetof(sMacpherson_Suspension, tieRodInner)},
    {"    (8) Strut Center", offsetof(sMacpherson_Suspension, strutCenter)},
    {"    (9) Bushing Front", offsetof(sMacpherson_Suspension, bushingFront)},
    {"    (10) Bushing Rear", offsetof(sMacpherson_Suspension, bushingRear)},
    {"    (11) Opposite Inner Joint", offsetof(sMacpherson_Suspension, oppositeInnerJoint)},
    {"    (12) Upper Stabilizer Link", offsetof(sMacpherson_Suspension, upperStabilizerLink)},
    {"    (13) Lower Stabilizer Link", offsetof(sMacpherson_Suspension, lowerStabilizerLink)},
    {"    (14) Stabilizer Bushing", offsetof(sMacpherson_Suspension, stabilizerBushing)},
    {"    (15) Opposite Bushing", offsetof(sMacpherson_Suspension, oppositeBushing)},
};
constexpr HardPoint kShortLongArmPoints[] = {
    {"    (1) Ball Joint (lower)", offsetof(sSLArm_Suspension, lowerBallJoint)},
    {"    (2) Front Bushing", offsetof(sSLArm_Suspension, lowerFrontBushing)},
    {"    (3) Rear Bushing", offsetof(sSLArm_Suspension, lowerRearBushing)},
    {"    (4) Ball Joint (upper)", offsetof(sSLArm_Suspension, upperBallJoint)},
    {"    (5) Front Bushing", offsetof(sSLArm_Suspension, upperFrontBushing)},
    {"    (6) Rear Bushing", offsetof(sSLArm_Suspension, upperRearBushing)},
    {"    (7) Lower Shock Center", offsetof(sSLArm_Suspension, lowerShockCenter)},
    {"    (8) Upper Shock Center", offsetof(sSLArm_Suspension, upperShockCenter)},
    {"    (9) Wheel Centerline", offsetof(sSLArm_Suspension, wheelCenterline)},
    {"    (10) Outer Drive Joint", offsetof(sSLArm_Suspension, outerDriveJoint)},
    {"    (11) Tirerod Outer", offsetof(sSLArm_Suspension, tieRodOuter)},
    {"    (12) Tirerod Inner", offsetof(sSLArm_Suspension, tieRodInner)},
    {"    (13) Inner Drive Joint", offsetof(sSLArm_Suspension, innerDriveJoint)},
    {"    (14) Opposite Inner Joint", offsetof(sSLArm_Suspension, oppositeInnerJoint)},
    {"    (15) Upper Stabilizer Link", offsetof(sSLArm_Suspension, upperStabilizerLink)},
    {"    (16) Lower Stabilizer Link", offsetof(sSLArm_Suspension, lowerStabilizerLink)},
    {"    (17) Stabilizer Bushing", offsetof(sSLArm_Suspension, stabilizerBushing)},
    {"    (18) Opposite Bushing", offsetof(sSLArm_Suspension, oppositeBushing)},
};
constexpr HardPoint kFiveLinkPoints[] = {
    {"      (1) LCA Front Bushing", offsetof(sFiveLinkAxle_Suspension, frontBushingLowerArm)},
    {"      (2) LCA Rear Bushing", offsetof(sFiveLinkAxle_Suspension, rearBushingLowerArm)},
    {"      (3) UCA Front Bushing", offsetof(sFiveLinkAxle_Suspension, frontBushingUpperArm)},
    {"      (4) UCA Rear Bushing", offsetof(sFiveLinkAxle_Suspension, rearBushingUpperArm)},
    {"      (5) Lower Shock Center", offsetof(sFiveLinkAxle_Suspension, lowerShockCenter)},
    {"      (6) Upper Shock Center", offsetof(sFiveLinkAxle_Suspension, upperShockCenter)},
    {"      (7) Lower Bumper Center", offsetof(sFiveLinkAxle_Suspension, lowerBumperCenter)},
    {"      (8) Upper Bumper Center", offsetof(sFiveLinkAxle_Suspension, upperBumperCenter)},
    {"      (9) Wheel Center Pointer", offsetof(sFiveLinkAxle_Suspension, wheelCenterline)},
    {"      (10) Track Inner", offsetof(sFiveLinkAxle_Suspension, trackBarInner)},
    {"      (11) Opposite Track Inner", offsetof(sFiveLinkAxle_Suspension, oppositeTrackBarInner)},
    {"      (12) Opposite Lower Bumper", offsetof(sFiveLinkAxle_Suspension, oppositeLowerBumper)},
    {"      (13) Opposite Upper Bumper", offsetof(sFiveLinkAxle_Suspension, oppositeUpperBumper)},
};

void PrintPoints(const void* record, const HardPoint* points, std::size_t count) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  for (std::size_t i = 0; i < count; ++i) {
    VD_point_s p;
    std::memcpy(&p, bytes + points[i].place, sizeof p);
    STAMVIK_LINE("%s: %f, %f, %f\n", points[i].label, p.x, p.y, p.z);
  }
}

// A template with a stabilizer bar: its first points always, the bar's four
// only when the template uses one.
void PrintWithStabilizer(const void* record, const HardPoint* points, std::size_t withoutBar, bool bar) {
  PrintPoints(record, points, withoutBar);
  if (bar) {
    STAMVIK_LINE("    Use Stabilizer Bar\n");
    PrintPoints(record, points + withoutBar, 4);
  } else {
    STAMVIK_LINE("    Not Use Stabilizer Bar\n");
  }
}

// A field's line: its label, and its value as the field's kind prints it.
void ListField(const TireEnvelopeBuilder& builder, EnvelopeFieldId id) {
  const EnvelopeField& row = FieldRow(id);
  const double value = row.number(builder);
  switch (row.kind) {
    case FieldKind::Logical: STAMVIK_LINE("%s: %s\n", row.label, Logical(value != 0)); break;
    case FieldKind::Integer: STAMVIK_LINE("%s: %d\n", row.label, static_cast<int>(value)); break;
    default: STAMVIK_LINE("%s: %f\n", row.label, value); break;
  }
}
void ListFields(const TireEnvelopeBuilder& builder, std::initializer_list<EnvelopeFieldId> ids) {
  for (const EnvelopeFieldId id : ids) ListField(builder, id);
}

const char* const kTemplateNames[] = {"MacPherson Strut", "Short Long Arm with Steering",
                                      "Short Long Arm without Steering", "Five-Link Solid Axle without Steering"};

}  // namespace

std::vector<TemplateHardPoint> TemplateHardPoints(int templateType) {
  const auto from = [](const auto& table) {
    std::vector<TemplateHardPoint> points;
    for (const HardPoint& p : table) {
      const char* label = p.label;
      while (*label == ' ') ++label;
      points.push_back({label, p.place});
    }
    return points;
  };
  switch (templateType) {
    case MacPhersonStrut: return from(kMacPhersonPoints);
    case ShortLongArmwithSteering:
    case ShortLongArmwithoutSteering: return from(kShortLongArmPoints);
    case FiveLinkSolidAxlewithoutSteering: return from(kFiveLinkPoints);
    default: return {};
  }
}

int TireEnvelopeBuilder::DisplayInputInformation() {
  if (!LISTUI_ask_qf_lwin_open()) {
    listUIclear();
    LISTUI_open(nullptr, nullptr, nullptr);
    LISTUI_set_qf_lwin_open(true);
  }
  STAMVIK_LINE("\n --------  Tire Envelope Default Environment Settings -------- \n");
  const bool inches = PART_ask_units(CONTEXT_ask_work_part()) == 1;
  std::string standardNames;
  const bool namesFound = PrintTextSetting("VD_TE_STANDARD_NAMES", &standardNames) == 0;
  PrintTextSetting(inches ? "VD_TE_STANDARD_SIZES_EU" : "VD_TE_STANDARD_SIZES_MU");
  PrintRealSetting("VD_TE_RADIAL_ANGSTART");
  PrintRealSetting("VD_TE_RADIAL_ANGEND");
  STAMVIK_LINE("VD_TE_LAYER_OPTION: %d\n", 2);
  for (const char* layer : {"VD_TE_TEMPLATE_GEOMETRY_LAYER", "VD_TE_WHEEL_CSYS_LAYER", "VD_TE_SECTION_1_LAYER",
                            "VD_TE_PROFILE_LAYER", "VD_TE_SPINDLE_LINE_LAYER", "VD_TE_COMMENTS_LAYER",
                            "VD_TE_SURFACE_LAYER"})
    PrintIntegerSetting(layer);
  PrintRealSetting(inches ? "VD_TE_TRIM_DIST_SPINDLE_EU" : "VD_TE_TRIM_DIST_SPINDLE_MU");
  const int status = PrintRealSetting("VD_TE_CONCAVITY_SENS");

  STAMVIK_LINE("\n --------  Tire Envelope Inputs -------- \n");
  ListFields(*this, {kCreateTireEnvelopeFeatureField, kRunClearanceAnalysisField});
  if (!m_createTireEnvelopeFeature && !m_runClearanceAnalysis) return status;

  STAMVIK_LINE("Session Notes: \n");
  for (int i = 0; i < GetNumSessionNotes(); ++i)
    STAMVIK_LINE("          %s\n", GetNthValueInSessionNotes(i).utf8_str());
  ListFields(*this, {kSheetBodyLayerField, kSectionLayerField, kProfileSplineLayerField, kSpindleLinesLayerField,
                     kAddMasterComponentPartField});
  if (m_addMasterComponentPart && GetMasterPartName()[0] != '\0')
    STAMVIK_LINE("Master part is: %s\n", ManagedName(GetMasterPartName()).c_str());

  switch (m_tireDefinition) {
    case SolidBody:
      STAMVIK_LINE("Select solid bodies to define the tire from the part.\n");
      if (m_wheelCsys != 0) {
        double origin[3] = {0, 0, 0}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
        ES_ask_csys_origin(m_wheelCsys, origin);
        tag_t matrix = 0;
        if (ES_ask_matrix_tag_of_entity(m_wheelCsys, &matrix) == 0 && matrix != 0) ES_ask_elements_of_matrix(matrix, m);
        STAMVIK_LINE("Tire Wheel WCS origin: %f, %f, %f\n", origin[0], origin[1], origin[2]);
        STAMVIK_LINE("Tire Wheel WCS matrix: %f, %f, %f\n", m[0], m[1], m[2]);
        STAMVIK_LINE("                      %f, %f, %f\n", m[3], m[4], m[5]);
        STAMVIK_LINE("                      %f, %f, %f\n", m[6], m[7], m[8]);
      }
      break;
    case ProfileCurves: STAMVIK_LINE("Select Tire Profile Curves to define the tire from the part.\n"); break;
    case SketchfromOtherPart:
      STAMVIK_LINE("Load profile curve from part: %s\n", ManagedName(GetSketchPartName()).c_str());
      STAMVIK_LINE("Selected sketch name: %s\n", GetSketchName());
      break;
    case ProfilePointFile:
      STAMVIK_LINE("Read tire profile points from text file: %s\n", GetProfilePointFile());
      STAMVIK_LINE("Profile name: %s\n", GetProfileName());
      break;
    default: break;
  }
  if (m_tireDefinition != SolidBody) {
    const std::vector<std::string> rims = RimNames(namesFound ? &standardNames : nullptr);
    STAMVIK_LINE("Rim diameter Name: %s\n", NameAt(rims, m_rimDiameterOption));
    ListFields(*this, {kWheelRimDiameterField, kMirrorProfileField});
  }
  ListField(*this, kWheelCenterlineShiftField);
  STAMVIK_LINE("Motion Definition:\n");

  if (ListMotion()) ListDrivers();
  if (m_createTireEnvelopeFeature) ListEnvelope();
  return status;
}

// What moves the wheel; true when drivers move it.
bool TireEnvelopeBuilder::ListMotion() {
  Tire_s* area = WorkArea();
  bool drivers = true;
  switch (m_motion) {
    case ExistingSpindleFile:
      STAMVIK_LINE("Load from existing Spindle File.\n");
      STAMVIK_LINE("Spindle file: %s\n", GetMotionFile());
      drivers = false;
      break;
    case FromSpindleLines: {
      STAMVIK_LINE("From the spindle lines.\n");
      const tag_t design = m_designPositionSpindle->ask_selected_tag();
      double end[3] = {0, 0, 0}, wheel[3] = {0, 0, 0}, spindle[3] = {0, 0, 0};
      ES_ask_coordinates_of_point(m_spindleEndPoint, end);
      const int wheelEnd = GetSpindleLineWheelEnd(design, end);
      TIREENV_ask_spindle_line_point(design, wheelEnd, wheel, spindle);
      STAMVIK_LINE("Spindle line in design position: \n");
      STAMVIK_LINE("    Spindle Point: %f, %f, %f\n", spindle[0], spindle[1], spindle[2]);
      STAMVIK_LINE("    Wheel Point: %f, %f, %f\n", wheel[0], wheel[1], wheel[2]);
      int count = 0;
      tag_t* lines = nullptr;
      m_spindleLines->ask_tags(&count, &lines);
      if (count > 0) STAMVIK_LINE("Spindle Lines: X                Y                Z\n");
      for (int i = 0; i < count; ++i) {
        TIREENV_ask_spindle_line_point(lines[i], wheelEnd, wheel, spindle);
        STAMVIK_LINE("  %d         %f     %f     %f     %f     %f     %f\n", i, wheel[0], wheel[1], wheel[2],
                     spindle[0], spindle[1], spindle[2]);
      }
      SM_free(lines);
      drivers = false;
      break;
    }
    case ExistingScenarioMotionModel:
      STAMVIK_LINE("Select existing scenario model.\n");
      STAMVIK_LINE("scenario motion model: %s\n", GetScenarioName());
      if (m_driveJointCount > 2) {
        STAMVIK_LINE("select drive joint1: %s\n", GetSteeringJointName());
        STAMVIK_LINE("select drive joint2: %s\n", GetJouceJointName());
      }
      break;
    case SuspensionTemplate:
      CarryTemplateOptions();
      STAMVIK_LINE("Create motion from suspension template.\n");
      STAMVIK_LINE("Suspension template: %s\n",
                   NameAt(std::vector<std::string>(std::begin(kTemplateNames), std::end(kTemplateNames)),
                          m_suspensionTemplate));
      switch (m_suspensionTemplate) {
        case MacPhersonStrut:
          PrintWithStabilizer(&area->macpherson, kMacPhersonPoints, 11, area->macpherson.useStabilizerBar != 0);
          break;
        case ShortLongArmwithSteering:
        case ShortLongArmwithoutSteering:
          PrintWithStabilizer(&area->slArm, kShortLongArmPoints, 14, area->slArm.useStabilizerBar != 0);
          break;
        case FiveLinkSolidAxlewithoutSteering:
          PrintPoints(&area->fiveLink, kFiveLinkPoints, std::size(kFiveLinkPoints));
          break;
        default: break;
      }
      break;
    default: break;
  }
  return drivers;
}

// The drivers, their path and the spindle axis.
void TireEnvelopeBuilder::ListDrivers() {
  Tire_s* area = WorkArea();
  const vdja_tireenv_motion_record_t* record = MotionRecordOf(area);
  const bool fiveLink = (m_motion == ExistingScenarioMotionModel || m_motion == SuspensionTemplate) &&
                        m_suspensionTemplate == FiveLinkSolidAxlewithoutSteering;
  const int graph = m_driverGraph;
  if (fiveLink) {
    ListFields(*this, {kRollAngleField, kJounceDistanceField, kReboundDistanceField, kShockStepsField});
  } else {
    STAMVIK_LINE("Select Graph No: %d\n", graph + 1);
    const char* steering = GetSteeringJointName();
    const char* jounce = GetJouceJointName();
    struct Driver {
      double lower, upper;
      int steps;
    };
    const Driver first{m_firstDriverJointLowerLimit, m_firstDriverJointUpperLimit, m_firstDriverJointSteps};
    const Driver second{m_secondDriverJointLowerLimit, m_secondDriverJointUpperLimit, m_secondDriverJointSteps};
    // The steering joint drives the axis it is associated with, the jounce joint the other.
    const Driver& steeringDriver = m_xtoY ? first : second;
    const Driver& jounceDriver = m_xtoY ? second : first;
    STAMVIK_LINE("%s joint associated with %s axis.\n", steering, m_xtoY ? "X" : "Y");
    STAMVIK_LINE("%s joint associated with %s axis.\n", jounce, m_xtoY ? "Y" : "X");
    STAMVIK_LINE("%s Lower Limit: %f\n", steering, steeringDriver.lower);
    STAMVIK_LINE("%s Upper Limit: %f\n", steering, steeringDriver.upper);
    STAMVIK_LINE("%s Steps: %d\n", steering, steeringDriver.steps);
    STAMVIK_LINE("%s Lower Limit: %f\n", jounce, jounceDriver.lower);
    STAMVIK_LINE("%s Upper Limit: %f\n", jounce, jounceDriver.upper);
    if (graph != TwoDriversOneFixed) STAMVIK_LINE("%s Steps: %d\n", jounce, jounceDriver.steps);
    switch (graph) {
      case RectangularTaperedY: ListField(*this, kTaperLocationYAxisField); break;
      case RectangularTaperedX: ListField(*this, kTaperLocationXAxisField); break;
      case TwoDriversOneFixed: ListField(*this, kFixedLocationPercentageField); break;
      case TaperedOneSide: ListFields(*this, {kTaperLocationAYField, kTaperLocationBXField}); break;
      default: break;
    }
  }
  const double* line = record->spindleLine;
  STAMVIK_LINE("Spindle Axis: \n");
  STAMVIK_LINE("    Spindle Point: %f, %f, %f\n", line[0], line[1], line[2]);
  STAMVIK_LINE("    Wheel Point: %f %f %f\n", line[3], line[4], line[5]);
  const int n = record->pointCount;
  if (n > 0) {
    STAMVIK_LINE("Driver Steps: X                Y\n");
    if (fiveLink) {
      // The file this builder's last five-link run wrote; without one, the
      // run's usual name in the temporary directory.
      std::string file = GetJointsDisplacementFile();
      if (file.empty()) {
        const Stamvik::HostBlock<char> directory(vdja_tireenv_motion_temp_directory());
        char name[257];
        std::snprintf(name, sizeof name, "%sjoints_disp_file.txt", directory ? directory.get() : "");
        file = name;
      }
      if (CFI_ask_file_exist(file.c_str()) == 0) {
        int count = 5 * n;
        std::vector<double> xs(static_cast<std::size_t>(count)), ys(static_cast<std::size_t>(count));
        if (TIREENV_read_joints_displacement_fla_file(file.c_str(), xs.data(), ys.data(), &count) != 0) count = 0;
        for (int i = 0; i < count; ++i)
          STAMVIK_LINE("  %d         %f          %f\n", i, xs[static_cast<std::size_t>(i)],
                       ys[static_cast<std::size_t>(i)]);
      }
    } else {
      for (int i = 0; i < n; ++i)
        STAMVIK_LINE("  %d         %f          %f\n", i, record->xValues[i],
                     record->yValues[graph == TwoDriversOneFixed ? 0 : i]);
    }
  }
}

// The envelope's range and its offsets.
void TireEnvelopeBuilder::ListEnvelope() {
  Tire_s* area = WorkArea();
  ListFields(*this, {kEnvelopeConcavityField, kDistanceToleranceField, kRadialStartAngleField,
                     kRadialEndAngleField, kTrimRadiusField});
  if (!m_applyOffset) {
    STAMVIK_LINE("Offsets are not used.\n");
  } else if (m_envelopeOffset == FromOffsetFile) {
    PrintSized(kLongLine, "Offset file: %s\n", GetOffsetFileName());
  } else if (area->sectionCount > 0) {
    STAMVIK_LINE("Offset values:\n");
    const int sections = std::min(area->sectionCount, Tire_s::kMaxSections);
    for (int s = 0; s < sections; ++s) {
      char piece[64];
      std::snprintf(piece, sizeof piece, "          %f", area->sectionAngles[s]);
      std::string text = piece;
      const int offsets = std::min(area->sectionOffsetCounts[s], Tire_s::kMaxOffsets);
      for (int k = 0; k < offsets; ++k) {
        std::snprintf(piece, sizeof piece, ", %f", area->sectionOffsets[s][k]);
        text += piece;
      }
      PrintSized(kLongLine, "%s\n", text.c_str());
    }
  }
}

}  // namespace KTX::VDJA
