#include "vd/TireClearance.hpp"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "sys/Replace.hpp"
#include "assy/Assembly.hpp"
#include "clear/Clearance.hpp"
#include "geom/Geometry.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX {
namespace {

using VD::NoteFileLine;

// The numbers of every line that holds any, each line exactly `per` of them:
// 0; -1 unreadable; -2 for a line of other words (a note names the line).
int ReadNumberLines(const char* fileName, std::size_t per, std::vector<std::vector<double>>* rows) {
  if (fileName == nullptr) return -1;
  std::vector<std::string> lines;
  std::string why;
  if (Files::ReadLines(fileName, std::size_t{64} << 20, &lines, &why) != 0)
    return NoteFileLine(fileName, 0, why.c_str(), -1);
  int number = 0;
  for (const std::string& line : lines) {
    ++number;
    std::vector<double> values;
    const char* at = line.c_str();
    for (;;) {
      while (*at == ' ' || *at == '\t' || *at == '\r') ++at;
      if (*at == '\0') break;
      char* end = nullptr;
      errno = 0;
      const double value = std::strtod(at, &end);
      if (end == at || errno == ERANGE) return NoteFileLine(fileName, number, "not a number", -2);
      values.push_back(value);
      at = end;
    }
    if (values.empty()) continue;
    if (values.size() != per) return NoteFileLine(fileName, number, "wrong count of numbers", -2);
    rows->push_back(std::move(values));
  }
  return 0;
}

double* NewPoint(const double* xyz) {
  auto* point = static_cast<double*>(SM_alloc(3 * sizeof(double)));
  std::memcpy(point, xyz, 3 * sizeof(double));
  return point;
}

tag_t* NewTags(const std::vector<tag_t>& tags) {
  auto* made = static_cast<tag_t*>(SM_alloc((tags.empty() ? 1 : tags.size()) * sizeof(tag_t)));
  if (!tags.empty()) std::memcpy(made, tags.data(), tags.size() * sizeof(tag_t));
  return made;
}

}  // namespace

int TIREENV_ask_spindle_line_point(tag_t line, int wheelEnd, double wheelPoint[3], double spindlePoint[3]) {
  double start[3], end[3];
  if (const int code = VD_ask_curve_end_points(line, start, end); code != 0) return code;
  std::memcpy(wheelPoint, wheelEnd == 1 ? end : start, sizeof start);
  std::memcpy(spindlePoint, wheelEnd == 1 ? start : end, sizeof start);
  return 0;
}

int TIREENV_read_spindle_file(const char* fileName, int option, int* count, double*** pointsA, double*** pointsB) {
  Host::Log("TIREENV_read_spindle_file", std::string(fileName != nullptr ? fileName : "(null)") + " " +
                                             std::to_string(option));
  *count = 0;
  *pointsA = *pointsB = nullptr;
  std::vector<std::vector<double>> rows;
  if (const int code = ReadNumberLines(fileName, 6, &rows); code != 0) return code;
  const std::size_t n = rows.size();
  *pointsA = static_cast<double**>(SM_alloc((n > 0 ? n : 1) * sizeof(double*)));
  *pointsB = static_cast<double**>(SM_alloc((n > 0 ? n : 1) * sizeof(double*)));
  for (std::size_t i = 0; i < n; ++i) {
    (*pointsA)[i] = NewPoint(rows[i].data());
    (*pointsB)[i] = NewPoint(rows[i].data() + 3);
  }
  *count = static_cast<int>(n);
  return 0;
}

int TIREENV_create_spindle_file_design_position(const char* fileName, char designFile[257], double pointA[3],
                                                double pointB[3]) {
  Host::Log("TIREENV_create_spindle_file_design_position", fileName != nullptr ? fileName : "(null)");
  designFile[0] = '\0';
  std::vector<std::vector<double>> rows;
  if (const int code = ReadNumberLines(fileName, 6, &rows); code != 0) return code;
  if (rows.empty()) return -2;
  std::string name = fileName;
  const std::size_t slash = name.find_last_of('/');
  const std::size_t dot = name.find_last_of('.');
  const std::size_t stem = dot != std::string::npos && (slash == std::string::npos || dot > slash) ? dot : name.size();
  name.insert(stem, "_design_position");
  if (name.size() >= 257) {
    // What needs the file goes on without it: its user is told.
    Files::ShowNotWritten(name, ENAMETOOLONG);
    return -1;
  }
  char line[200];
  const double* r = rows.front().data();
  std::snprintf(line, sizeof line, "%f %f %f %f %f %f\n", r[0], r[1], r[2], r[3], r[4], r[5]);
  FILE* out = Files::OpenReplacing(name, "w");
  if (out != nullptr && std::fputs(line, out) < 0) {
    const int error = errno;
    Files::AbandonReplacing(out);
    Files::ShowNotWritten(name, error);
    return -1;
  }
  if (out == nullptr || Files::CloseReplacing(out) != 0) {
    Files::ShowNotWritten(name, errno);
    return -1;
  }
  std::memcpy(designFile, name.c_str(), name.size() + 1);
  std::memcpy(pointA, r + 3, 3 * sizeof(double));
  std::memcpy(pointB, r, 3 * sizeof(double));
  return 0;
}

int TIREENV_read_joints_displacement_fla_file(const char* fileName, double* first, double* second, int* count) {
  Host::Log("TIREENV_read_joints_displacement_fla_file", fileName != nullptr ? fileName : "(null)");
  std::vector<std::vector<double>> rows;
  const int room = *count;
  *count = 0;
  if (const int code = ReadNumberLines(fileName, 2, &rows); code != 0) return code;
  int n = 0;
  for (; n < room && static_cast<std::size_t>(n) < rows.size(); ++n) {
    first[n] = rows[static_cast<std::size_t>(n)][0];
    second[n] = rows[static_cast<std::size_t>(n)][1];
  }
  *count = n;
  return 0;
}

int TIREENV_reassemble_origin_tirebody_component(const double wheelPoint[3], const double spindlePoint[3],
                                                 tag_t occurrence, tag_t* instance) {
  char args[160];
  std::snprintf(args, sizeof args, "occ=%u wheel=(%g, %g, %g) spindle=(%g, %g, %g)", occurrence, wheelPoint[0],
                wheelPoint[1], wheelPoint[2], spindlePoint[0], spindlePoint[1], spindlePoint[2]);
  Host::Log("TIREENV_reassemble_origin_tirebody_component", args);
  *instance = 0;
  if (const int answer = static_cast<int>(Host::Answer("TIREENV_reassemble_origin_tirebody_component", 0));
      answer != 0)
    return answer;
  *instance = OCC_ask_instance_of_part_occ(occurrence);
  return 0;
}

int TIREENV_ask_child_part_tags(tag_t component, int* count, tag_t** parts) {
  std::vector<tag_t> found{component};
  if (PART_part* part = OCC_ask_part_of_part_occ(component);
      part != nullptr && dynamic_cast<ASSY_instance*>(OM::OM_object_of_tag(component)) != nullptr)
    for (tag_t child : ASSY_ask_components(part)) found.push_back(child);
  *count = static_cast<int>(found.size());
  *parts = NewTags(found);
  return 0;
}

bool VD_is_exist_in_tag_array(tag_t tag, const tag_t* tags, int count) {
  for (int i = 0; i < count; ++i)
    if (tags[i] == tag) return true;
  return false;
}

int TIREENV_load_fixing_components_fully(const tag_t* components, int count) {
  std::string args = std::to_string(count);
  for (int i = 0; i < count; ++i) args += " " + std::to_string(components[i]);
  Host::Log("TIREENV_load_fixing_components_fully", args);
  return 0;
}

int TIREENV_ask_clr_list_objs(tag_t, const double* offsets, int bodyCount, const tag_t* bodies, int componentCount,
                              const tag_t* components, int* checkedCount, tag_t** checked, int* zoneCount,
                              tag_t** zoneObjects) {
  std::vector<tag_t> all(bodies, bodies + (bodyCount > 0 ? bodyCount : 0));
  std::vector<tag_t> zoned;
  for (int i = 0; i < componentCount; ++i) {
    all.push_back(components[i]);
    if (offsets != nullptr && offsets[i] > 0) zoned.push_back(components[i]);
  }
  *checkedCount = static_cast<int>(all.size());
  *checked = NewTags(all);
  *zoneCount = static_cast<int>(zoned.size());
  *zoneObjects = NewTags(zoned);
  return 0;
}

int TIREENV_add_objs_zone(tag_t, int count, const tag_t* zoneObjects, const tag_t*) {
  std::string args = std::to_string(count);
  for (int i = 0; i < count; ++i) args += " " + std::to_string(zoneObjects[i]);
  Host::Log("TIREENV_add_objs_zone", args);
  return 0;
}

int TIREENV_build_clear_configurations(tag_t set, const char* motionFile, const double*, const double*) {
  Host::Log("TIREENV_build_clear_configurations", motionFile != nullptr ? motionFile : "(null)");
  auto* record = const_cast<CLEAR_dataset_record*>(Clearance::Dataset(set));
  if (record == nullptr) return kNoDataset;
  record->configurations = motionFile != nullptr ? motionFile : "";
  return 0;
}

int TIREENV_ENGINE_ROLL_add_objects_to_list(tag_t set, int list, int count, const tag_t* objects) {
  Host::Log("TIREENV_ENGINE_ROLL_add_objects_to_list", "list=" + std::to_string(list) + " count=" +
                                                           std::to_string(count));
  auto* record = const_cast<CLEAR_dataset_record*>(Clearance::Dataset(set));
  if (record == nullptr || (list != 1 && list != 2)) return kNoDataset;
  record->lists[list - 1].insert(record->lists[list - 1].end(), objects, objects + (count > 0 ? count : 0));
  return 0;
}

int TIREENV_ENGINE_ROLL_copy_moving_comp(PART_part* workPart, tag_t, const tag_t* parts, int count) {
  Host::Log("TIREENV_ENGINE_ROLL_copy_moving_comp", std::to_string(count));
  for (int i = 0; i < count; ++i) {
    char name[64];
    std::snprintf(name, sizeof name, "ROLL_MOVING_COMP_COPY_%d", i);
    tag_t copy = 0;
    if (const int code = ASSY_add_part_to_assembly(workPart, OCC_ask_part_of_part_occ(parts[i]), nullptr, name, -1,
                                                   nullptr, 0, &copy);
        code != 0)
      return code;
    OCC_blank_component(copy, true, true, nullptr);
  }
  return 0;
}

}  // namespace KTX
