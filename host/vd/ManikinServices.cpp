#include "vd/ManikinServices.hpp"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>

#include "feat/Builder.hpp"
#include "sys/CallLog.hpp"
#include "sys/UserMessages.hpp"

namespace KTX {
namespace {

std::map<std::string, std::string>& defaultsFile() {
  static auto* table = new std::map<std::string, std::string>;
  return *table;
}

constexpr VD_general_default_value_t kGeneralDefaults{510.0, 620.0, 380.0, 22.0};
VD_general_default_value_t& generalDefaults() {
  static VD_general_default_value_t values = kGeneralDefaults;
  return values;
}

std::vector<VD::ErrorDialog>& dialogs() {
  static auto* list = new std::vector<VD::ErrorDialog>;
  return *list;
}

}  // namespace

int VD_DEFFILE_read_value(const char* file, const char* name, int type, void* value, int capacity) {
  Host::Log("VD_DEFFILE_read_value", std::string(file != nullptr ? file : "(site)") + " " +
                                         (name != nullptr ? name : "(null)") + " " + std::to_string(type));
  auto* buffer = type == 0 ? static_cast<char*>(value) : nullptr;
  if (buffer != nullptr && capacity > 0) buffer[0] = '\0';
  if (name == nullptr) return 1;
  auto found = defaultsFile().find(name);
  if (found == defaultsFile().end()) return 1;
  const char* text = found->second.c_str();
  char* end = nullptr;
  switch (type) {
    case 0:
      if (buffer != nullptr && capacity > 0) std::snprintf(buffer, static_cast<std::size_t>(capacity), "%s", text);
      return 0;
    case 1: {
      errno = 0;
      const long number = std::strtol(text, &end, 10);
      if (end == text || *end != '\0' || errno != 0 || number < INT_MIN || number > INT_MAX) return 2;
      if (value != nullptr) *static_cast<int*>(value) = static_cast<int>(number);
      return 0;
    }
    case 2: {
      const double number = std::strtod(text, &end);
      if (end == text || *end != '\0') return 2;
      if (value != nullptr) *static_cast<double*>(value) = number;
      return 0;
    }
    default: return 2;
  }
}

void VD_read_general_default_value(VD_general_default_value_t* values) {
  Host::Log("VD_read_general_default_value");
  if (values == nullptr) return;
  *values = generalDefaults();
  values->aHPToSWCLength = vd_convert_unit(values->aHPToSWCLength);
  values->aHPToSWCHeight = vd_convert_unit(values->aHPToSWCHeight);
  values->wheelDiameter = vd_convert_unit(values->wheelDiameter);
}

double vd_convert_unit(double millimetres) {
  const PART_part* part = PART_ask_work_part();
  return part != nullptr && part->UnitCode() == 1 ? millimetres / 25.4 : millimetres;
}

int VEC2_unitize(const double vector[2], double tolerance, double* length, double unit[2]) {
  const double size = std::hypot(vector[0], vector[1]);
  if (length != nullptr) *length = size;
  if (size < tolerance) {
    unit[0] = unit[1] = 0.0;
    return 1;
  }
  unit[0] = vector[0] / size;
  unit[1] = vector[1] / size;
  return 0;
}

void VD__output_default_error(const char* text, int code) {
  const std::string shown = std::string(text != nullptr ? text : "(null)") + " " + std::to_string(code);
  Host::Log("VD__output_default_error", shown);
  Host::ShowUser(Host::UserMessage::kError, "size definition error " + std::to_string(code) + ": " +
                                                (text != nullptr ? text : "(null)"));
}

void mtErrorDialog(const char* title, int lineCount, const char* const* lines) {
  VD::ErrorDialog dialog{title != nullptr ? title : "", {}};
  for (int i = 0; i < lineCount && lines != nullptr; ++i) dialog.lines.emplace_back(lines[i] != nullptr ? lines[i] : "");
  std::string args = dialog.title;
  for (const auto& line : dialog.lines) args += " | " + line;
  Host::Log("mtErrorDialog", args);
  std::string shown = dialog.title + ":";
  for (const auto& line : dialog.lines) shown += " " + line;
  Host::ShowUser(Host::UserMessage::kError, shown);
  dialogs().push_back(std::move(dialog));
}

void PRIMITIVE_delete_so_point_parms(unsigned int point) {
  Host::Log("PRIMITIVE_delete_so_point_parms", "tag=" + std::to_string(point));
}

namespace VD {
void SetDefaultsFileValue(const std::string& name, const std::string& text) { defaultsFile()[name] = text; }
void ClearDefaultsFile() { defaultsFile().clear(); }
void SetGeneralDefaults(const VD_general_default_value_t& millimetres) { generalDefaults() = millimetres; }
void ResetGeneralDefaults() { generalDefaults() = kGeneralDefaults; }
const std::vector<ErrorDialog>& ErrorDialogs() { return dialogs(); }
void ClearErrorDialogs() { dialogs().clear(); }
}  // namespace VD

}  // namespace KTX
