// The vehicle-design library's tire-envelope inputs: end points of curves,
// the template point, spindle and profile point files, profile points from
// bodies and curves, linked profiles, traced lines and managed names.
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Sketch.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Replace.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX {
namespace {

struct HardPoint {
  const char* name;
  std::size_t offset;
};
// By index, as the builder's template point indexes run.
constexpr HardPoint kMacpherson[] = {
    {"bottom_of_strut", 0},         {"ball_joint", 48},           {"outer_drive_joint", 96},
    {"inner_drive_joint", 144},     {"wheel_centerline", 168},    {"tie_rod_outer", 216},
    {"tie_rod_inner", 264},         {"strut_center", 312},        {"bushing_front", 360},
    {"bushing_rear", 408},          {"opposite_inner_joint", 576}, {"upper_stabilizer_link", 456},
    {"lower_stabilizer_link", 504}, {"stabilizer_bushing", 552},  {"opposite_bushing", 600}};
constexpr HardPoint kSLArm[] = {
    {"lower_ball_joint", 0},        {"lower_front_bushing", 48},  {"lower_rear_bushing", 96},
    {"upper_ball_joint", 144},      {"upper_front_bushing", 192}, {"upper_rear_bushing", 240},
    {"lower_shock_center", 288},    {"upper_shock_center", 336},  {"wheel_centerline", 384},
    {"outer_drive_joint", 432},     {"tie_rod_outer", 480},       {"tie_rod_inner", 528},
    {"inner_drive_joint", 576},     {"opposite_inner_joint", 720}, {"upper_stabilizer_link", 600},
    {"lower_stabilizer_link", 648}, {"stabilizer_bushing", 696},  {"opposite_bushing", 744}};
constexpr HardPoint kFiveLink[] = {
    {"front_bushing_lower_arm", 0}, {"rear_bushing_lower_arm", 48}, {"front_bushing_upper_arm", 96},
    {"rear_bushing_upper_arm", 144}, {"lower_shock_center", 192},   {"upper_shock_center", 240},
    {"lower_bumper_center", 288},   {"upper_bumper_center", 336},  {"wheel_centerline", 384},
    {"track_bar_inner", 432},       {"opposite_track_bar_inner", 456}, {"opposite_lower_bumper", 312},
    {"opposite_upper_bumper", 360}};

struct Family {
  const HardPoint* points;
  std::size_t count;
  std::size_t recordSize;
};
bool FamilyOf(int type, Family* family) {
  switch (type) {
    case 0: *family = {kMacpherson, std::size(kMacpherson), sizeof(sMacpherson_Suspension)}; return true;
    case 1:
    case 2: *family = {kSLArm, std::size(kSLArm), sizeof(sSLArm_Suspension)}; return true;
    case 3: *family = {kFiveLink, std::size(kFiveLink), sizeof(sFiveLinkAxle_Suspension)}; return true;
    default: return false;
  }
}

using VD::NoteFileLine;

// The words of a line, or none for a blank or comment line.
std::vector<std::string> WordsOf(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string word;
  while (in >> word) {
    if (words.empty() && word[0] == '!') return {};
    words.push_back(word);
  }
  return words;
}

// All the words from `first` on as numbers.
bool NumbersOf(const std::vector<std::string>& words, std::size_t first, std::vector<double>* values) {
  values->clear();
  for (std::size_t i = first; i < words.size(); ++i) {
    double v = 0;
    if (!EXP_parse_number(words[i].c_str(), &v)) return false;
    values->push_back(v);
  }
  return true;
}

std::vector<double> PointsOf(tag_t curve) {
  auto* c = dynamic_cast<const ES_curve*>(OM::OM_object_of_tag(curve));
  return c != nullptr ? c->ask_points() : std::vector<double>{};
}

void WriteLine(std::FILE* out, const double a[3], const double b[3]) {
  std::fprintf(out, "%f %f %f %f %f %f\n", a[0], a[1], a[2], b[0], b[1], b[2]);
}

double Distance2(const double a[3], const double b[3]) {
  double d = 0;
  for (int i = 0; i < 3; ++i) d += (a[i] - b[i]) * (a[i] - b[i]);
  return d;
}

}  // namespace

int VD_ask_curve_end_points(tag_t curve, double start[3], double end[3]) {
  Host::Log("VD_ask_curve_end_points", "tag=" + std::to_string(curve));
  const std::vector<double> p = PointsOf(curve);
  if (p.size() < 6) return Geometry::kNoEntity;
  const std::size_t last = p.size() - 3;
  for (int i = 0; i < 3; ++i) {
    start[i] = p[static_cast<std::size_t>(i)];
    end[i] = p[last + static_cast<std::size_t>(i)];
  }
  return 0;
}

double VD_LOCAL_Y(const double point[3], const double origin[3], const double matrix[9]) {
  double y = 0;
  for (int i = 0; i < 3; ++i) y += matrix[3 + i] * (point[i] - origin[i]);
  return y;
}

const char* TIREENV_susp_pt_name(int type, int index) {
  Family family{};
  if (!FamilyOf(type, &family) || index < 0 || static_cast<std::size_t>(index) >= family.count) return nullptr;
  return family.points[index].name;
}

int TIREENV_load_susp_pt_file(const char* fileName, int type, char text[256], void* record) {
  Host::Log("TIREENV_load_susp_pt_file", std::string(fileName != nullptr ? fileName : "(null)") + " type=" +
                                             std::to_string(type));
  Family family{};
  if (!FamilyOf(type, &family) || record == nullptr) return -1;
  // A template names a few dozen hard points: a megabyte is ample.
  std::vector<std::string> lines;
  std::string why;
  if (Files::ReadLines(fileName, std::size_t{1} << 20, &lines, &why) != 0)
    return NoteFileLine(fileName, 0, why.c_str(), -1);
  // Read into a copy: a bad file leaves the record as it was.
  std::vector<unsigned char> copy(family.recordSize);
  std::memcpy(copy.data(), record, family.recordSize);
  std::vector<bool> seen(family.count, false);
  bool headed = false;
  int lineNumber = 0;
  for (const std::string& line : lines) {
    ++lineNumber;
    const std::vector<std::string> words = WordsOf(line);
    if (words.empty()) continue;
    std::vector<double> values;
    if (!headed) {
      if (words.size() != 2 || words[0] != "template" || !NumbersOf(words, 1, &values))
        return NoteFileLine(fileName, lineNumber, "no template line", -11);
      // A number beyond int's range is no template type (and cannot be cast to one).
      const bool inRange = std::fabs(values[0]) < 1e9;
      const int fileType = inRange ? static_cast<int>(values[0]) : 0;
      Family fileFamily{};
      if (!inRange || values[0] != fileType || !FamilyOf(fileType, &fileFamily) || fileFamily.points != family.points)
        return NoteFileLine(fileName, lineNumber, "another template", -13);
      headed = true;
      continue;
    }
    if (words.size() != 4 || !NumbersOf(words, 1, &values)) return NoteFileLine(fileName, lineNumber, "not a name and x y z", -2);
    std::size_t i = 0;
    while (i < family.count && words[0] != family.points[i].name) ++i;
    if (i == family.count) return NoteFileLine(fileName, lineNumber, "no such hard point", -20);
    if (seen[i]) return NoteFileLine(fileName, lineNumber, "hard point given twice", -21);
    seen[i] = true;
    std::memcpy(copy.data() + family.points[i].offset, values.data(), 3 * sizeof(double));
  }
  if (!headed) return NoteFileLine(fileName, lineNumber, "no template line", -11);
  for (std::size_t i = 0; i < family.count; ++i) {
    if (seen[i]) continue;
    if (text != nullptr) std::snprintf(text, 256, "%s", family.points[i].name);
    return -3;
  }
  std::memcpy(record, copy.data(), family.recordSize);
  return 0;
}

int TIREENV_create_spindle_lines_from_file(const char* fileName, int* count, tag_t** lines) {
  Host::Log("TIREENV_create_spindle_lines_from_file", fileName != nullptr ? fileName : "(null)");
  *count = 0;
  *lines = nullptr;
  std::vector<std::string> read;
  std::string why;
  if (Files::ReadLines(fileName, std::size_t{64} << 20, &read, &why) != 0)
    return NoteFileLine(fileName, 0, why.c_str(), -1);
  // Every line is read before one is made: a bad file makes nothing.
  std::vector<double> ends;
  int lineNumber = 0;
  for (const std::string& line : read) {
    ++lineNumber;
    const std::vector<std::string> words = WordsOf(line);
    if (words.empty()) continue;
    std::vector<double> values;
    if (words.size() != 6 || !NumbersOf(words, 0, &values)) return NoteFileLine(fileName, lineNumber, "not six numbers", -2);
    ends.insert(ends.end(), values.begin(), values.end());
  }
  const int n = static_cast<int>(ends.size() / 6);
  if (n == 0) return 0;
  auto* tags = static_cast<tag_t*>(SM_alloc(static_cast<std::size_t>(n) * sizeof(tag_t)));
  if (tags == nullptr) return -1;
  for (int i = 0; i < n; ++i) {
    const double* e = &ends[static_cast<std::size_t>(i) * 6];
    tags[i] = ES_create_line_in_part(nullptr, e, e + 3);
  }
  *count = n;
  *lines = tags;
  return 0;
}

int TIREENV_output_spindle_file_spinlines(const char* fileName, tag_t designLine, int wheelEnd, const tag_t* lines,
                                          int count) {
  Host::Log("TIREENV_output_spindle_file_spinlines", std::string(fileName != nullptr ? fileName : "(null)") +
                                                         " design=" + std::to_string(designLine) + " wheelEnd=" +
                                                         std::to_string(wheelEnd) + " count=" + std::to_string(count));
  double start[3], end[3];
  if (VD_ask_curve_end_points(designLine, start, end) != 0) return -2;
  const double* wheel = wheelEnd == 1 ? end : start;
  const double wheelPoint[3] = {wheel[0], wheel[1], wheel[2]};
  std::vector<double> all;
  for (int i = -1; i < count; ++i) {
    double a[3], b[3];
    if (VD_ask_curve_end_points(i < 0 ? designLine : lines[i], a, b) != 0) return -2;
    if (Distance2(b, wheelPoint) < Distance2(a, wheelPoint)) std::swap(a, b);
    all.insert(all.end(), {a[0], a[1], a[2], b[0], b[1], b[2]});
  }
  if (fileName == nullptr) return -1;
  std::FILE* out = Files::OpenReplacing(fileName, "w");
  if (out != nullptr) {
    for (std::size_t i = 0; i < all.size(); i += 6) WriteLine(out, &all[i], &all[i + 3]);
    if (Files::CloseReplacing(out) == 0) return 0;
  }
  Files::ShowNotWritten(fileName, errno);
  return -1;
}

int read_profile_file(const char* fileName, int* count, char*** names, tire_profile_point_s** profiles) {
  Host::Log("read_profile_file", fileName != nullptr ? fileName : "(null)");
  *count = 0;
  *names = nullptr;
  *profiles = nullptr;
  std::vector<std::string> lines;
  std::string why;
  if (Files::ReadLines(fileName, std::size_t{64} << 20, &lines, &why) != 0)
    return NoteFileLine(fileName, 0, why.c_str(), -1);
  std::vector<std::string> read;
  std::vector<tire_profile_point_s> records;
  int lineNumber = 0;
  for (const std::string& line : lines) {
    ++lineNumber;
    const std::vector<std::string> words = WordsOf(line);
    if (words.empty()) continue;
    if (words[0] == "profile") {
      if (words.size() < 2 || words.size() > 3 || (words.size() == 3 && words[2] != "mirror"))
        return NoteFileLine(fileName, lineNumber, "not profile <name> [mirror]", -2);
      read.push_back(words[1]);
      records.push_back({});
      records.back().mirror = words.size() == 3 ? 1 : 0;
      continue;
    }
    std::vector<double> values;
    if (records.empty()) return NoteFileLine(fileName, lineNumber, "a point before any profile", -2);
    if (words.size() != 2 || !NumbersOf(words, 0, &values)) return NoteFileLine(fileName, lineNumber, "not x y", -2);
    tire_profile_point_s& r = records.back();
    if (r.count < 100) {
      r.points[r.count][0] = values[0];
      r.points[r.count][1] = values[1];
    }
    if (r.count < 1000000) ++r.count;
  }
  if (records.empty()) return 0;
  const std::size_t n = records.size();
  auto* outNames = static_cast<char**>(SM_calloc(n, sizeof(char*)));
  auto* outRecords = static_cast<tire_profile_point_s*>(SM_alloc(n * sizeof(tire_profile_point_s)));
  if (outNames == nullptr || outRecords == nullptr) {
    SM_free(outNames);
    SM_free(outRecords);
    return -1;
  }
  for (std::size_t i = 0; i < n; ++i) outNames[i] = SM_string_copy(read[i].c_str());
  std::memcpy(static_cast<void*>(outRecords), records.data(), n * sizeof(tire_profile_point_s));
  *count = static_cast<int>(n);
  *names = outNames;
  *profiles = outRecords;
  return 0;
}

bool TIREENV_create_profile_point_by_solid_body(tag_t wheelCsys, int count, const tag_t*, bool option, Tire_s* area) {
  Host::Log("TIREENV_create_profile_point_by_solid_body", "csys=" + std::to_string(wheelCsys) + " count=" +
                                                              std::to_string(count) + " option=" +
                                                              std::to_string(option));
  const long long points = Host::Answer("TIREENV_create_profile_point_by_solid_body.points", 5);
  if (count <= 0 || points < 0 || area == nullptr) return false;
  const int n = static_cast<int>(std::min<long long>(points, Tire_s::kMaxProfilePoints));
  // Half a tire's section, all of it outboard of the spindle axis: a half
  // circle of radius 100 about the radial 300, from the rim (200) over the
  // tread's side back to the radial 400. Its ends lie on the centre plane
  // exactly, where the mirrored half meets them.
  for (int i = 0; i < n; ++i) {
    const double a = n > 1 ? std::numbers::pi * i / (n - 1) : 0;
    area->profilePoints[i][0] = i == 0 || i == n - 1 ? 0.0 : 100 * std::sin(a);
    area->profilePoints[i][1] = 300 - 100 * std::cos(a);
    area->profilePoints[i][2] = 0;
  }
  area->profilePointCount = n;
  return true;
}

int TIREENV_check_points_for_profile(int mode, int count, const tag_t* curves, const char* partName,
                                     const char* sketchName, Tire_s* area) {
  Host::Log("TIREENV_check_points_for_profile", "mode=" + std::to_string(mode) + " count=" + std::to_string(count) +
                                                    " part=" + (partName != nullptr ? partName : "") +
                                                    " sketch=" + (sketchName != nullptr ? sketchName : ""));
  std::vector<double> points;
  for (int i = 0; i < count; ++i) {
    const std::vector<double> p = PointsOf(curves[i]);
    if (p.empty()) return Geometry::kNoEntity;
    points.insert(points.end(), p.begin(), p.end());
  }
  const int n = static_cast<int>(std::min<std::size_t>(points.size() / 3, Tire_s::kMaxProfilePoints));
  for (int i = 0; i < n; ++i) {
    area->profilePoints[i][0] = points[static_cast<std::size_t>(i) * 3];
    area->profilePoints[i][1] = points[static_cast<std::size_t>(i) * 3 + 1];
    area->profilePoints[i][2] = 0;
  }
  area->profilePointCount = n;
  return 0;
}

int TIREENV_link_curves(PART_part* sketchPart, const char* sketchName, int* count, tag_t** curves) {
  Host::Log("TIREENV_link_curves", "part=" + std::to_string(OM::OM_ask_object_tag(sketchPart)) + " sketch=" +
                                       (sketchName != nullptr ? sketchName : ""));
  *count = 0;
  *curves = nullptr;
  if (const long long result = Host::Answer("TIREENV_link_curves.result", 0); result != 0)
    return static_cast<int>(result);
  const int n = static_cast<int>(std::clamp<long long>(Host::Answer("TIREENV_link_curves.count", 2), 0, 1000));
  if (n == 0) return 0;
  auto* tags = static_cast<tag_t*>(SM_alloc(static_cast<std::size_t>(n) * sizeof(tag_t)));
  if (tags == nullptr) return -1;
  for (int i = 0; i < n; ++i) {
    const double a[3] = {300.0 * i, -300, 0}, b[3] = {300.0 * (i + 1), -300, 0};
    tags[i] = ES_create_line_in_part(nullptr, a, b);
  }
  *count = n;
  *curves = tags;
  return 0;
}

int TIREENV_check_profile_intersect_Y_Axis(int count, const tag_t*) {
  Host::Log("TIREENV_check_profile_intersect_Y_Axis", "count=" + std::to_string(count));
  return static_cast<int>(Host::Answer("TIREENV_check_profile_intersect_Y_Axis.count", 1));
}

int TIREENV_ask_sketch_matrix_information(tag_t sketch, double info[12], double toModel[16], double toSketch[16]) {
  Host::Log("TIREENV_ask_sketch_matrix_information", "tag=" + std::to_string(sketch));
  double o[3], m[9];
  if (ES_ask_sketch_placement(sketch, o, m) != 0) return Geometry::kNoEntity;
  const double* x = m;
  const double* y = m + 3;
  const double* n = m + 6;
  for (int i = 0; i < 3; ++i) {
    info[i] = x[i];
    info[3 + i] = n[i];
    info[6 + i] = y[i];
    info[9 + i] = o[i];
    toModel[4 * i] = x[i];
    toModel[4 * i + 1] = y[i];
    toModel[4 * i + 2] = n[i];
    toModel[4 * i + 3] = o[i];
  }
  const double* axes[3] = {x, y, n};
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) toSketch[4 * r + c] = axes[r][c];
    toSketch[4 * r + 3] = -(axes[r][0] * o[0] + axes[r][1] * o[1] + axes[r][2] * o[2]);
  }
  for (double* last : {toModel + 12, toSketch + 12}) {
    last[0] = last[1] = last[2] = 0;
    last[3] = 1;
  }
  return 0;
}

int VD_MODL_intersect_objects(tag_t first, tag_t second, double tolerance, int* count, VD_intersection_s** found) {
  Host::Log("VD_MODL_intersect_objects", std::to_string(first) + " " + std::to_string(second));
  *count = 0;
  *found = nullptr;
  auto* plane = dynamic_cast<ES_plane*>(OM::OM_object_of_tag(first));
  tag_t curve = second;
  if (plane == nullptr) {
    plane = dynamic_cast<ES_plane*>(OM::OM_object_of_tag(second));
    curve = first;
  }
  if (plane == nullptr) return Geometry::kNoEntity;
  double origin[3], matrix[9];
  plane->ask_frame(origin, matrix);
  int n = 0;
  INT_info* infos = nullptr;
  if (const int status = INT_plane_object(origin, matrix + 6, curve, tolerance, &n, &infos); status != 0) return status;
  if (n > 0) {
    *found = static_cast<VD_intersection_s*>(SM_calloc(static_cast<std::size_t>(n), sizeof(VD_intersection_s)));
    if (*found == nullptr) {
      INT_free_info(n, infos);
      return Error::kNoMemory;
    }
    for (int i = 0; i < n; ++i)
      for (int k = 0; k < 3; ++k) (*found)[i].point[k] = (*found)[i].end[k] = infos[i].point[k];
    *count = n;
  }
  INT_free_info(n, infos);
  return 0;
}

bool RTENV_ask_qdmanager_active() {
  Host::Log("RTENV_ask_qdmanager_active");
  return Host::Answer("RTENV_ask_qdmanager_active", 0) != 0;
}

void SFMOD__generate_scenario_name(PART_part* rootPart, char** name) {
  static int calls = 0;
  Host::Log("SFMOD__generate_scenario_name", "root=" + std::to_string(OM::OM_ask_object_tag(rootPart)));
  if (name == nullptr) return;
  *name = SM_string_copy(("scen_managed_" + std::to_string(++calls)).c_str());
}


}  // namespace KTX
