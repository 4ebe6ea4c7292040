#include "sys/Settings.hpp"

#include <cstdio>
#include <cstdlib>
#include <map>

#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX {

namespace {
constexpr double kDistance = 0.01, kAngle = 0.5;

struct Default {
  double number = 0;
  std::string text;
};

struct Settings {
  double distance = kDistance;
  double angle = kAngle;
  std::map<std::string, Default> defaults;
};

Settings& settings() {
  static auto* s = new Settings;
  return *s;
}

const Default* find(const char* name) {
  if (name == nullptr) return nullptr;
  auto it = settings().defaults.find(name);
  return it == settings().defaults.end() ? nullptr : &it->second;
}

std::string nameText(const char* name) { return name == nullptr ? "(null)" : name; }
}  // namespace

double TOLER_ask_distance_tol() {
  Host::Log("TOLER_ask_distance_tol");
  return settings().distance;
}

double TOLER_ask_angular_tol() {
  Host::Log("TOLER_ask_angular_tol");
  return settings().angle;
}

double PMAN_ask_real(const char* name) {
  Host::Log("PMAN_ask_real", nameText(name));
  const Default* d = find(name);
  return d == nullptr ? 0.0 : d->number;
}

int PMAN_ask_int(const char* name) {
  Host::Log("PMAN_ask_int", nameText(name));
  const Default* d = find(name);
  return d == nullptr ? 0 : static_cast<int>(d->number);
}

int PMAN_ask_logical(const char* name) {
  Host::Log("PMAN_ask_logical", nameText(name));
  const Default* d = find(name);
  return d != nullptr && d->number != 0 ? 1 : 0;
}

char* PMAN_ask_string(const char* name) {
  Host::Log("PMAN_ask_string", nameText(name));
  const Default* d = find(name);
  return SM_string_copy(d == nullptr ? "" : d->text.c_str());
}

namespace Host {
void SetTolerances(double distance, double angle) {
  settings().distance = distance;
  settings().angle = angle;
}
void ResetTolerances() { SetTolerances(kDistance, kAngle); }

void SetCustomerDefault(const std::string& name, double value) {
  Default& d = settings().defaults[name];
  d.number = value;
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  d.text = text;
}

void SetCustomerDefault(const std::string& name, const std::string& text) {
  Default& d = settings().defaults[name];
  d.text = text;
  d.number = std::strtod(text.c_str(), nullptr);
}

void ClearCustomerDefaults() { settings().defaults.clear(); }
}  // namespace Host

}  // namespace KTX
