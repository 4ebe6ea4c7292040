#include "sys/Failure.hpp"

namespace KTX::Failure {

unsigned gCounted = 0;

namespace {
struct State {
  long long counted = 0;
  long long failAt = 0;
  std::string failed;
};
State& state() {
  static auto* s = new State;
  return *s;
}
}  // namespace

bool Step(Facility facility, const char* call) {
  State& s = state();
  if ((gCounted & facility) == 0) return false;
  if (++s.counted != s.failAt) return false;
  s.failed = call != nullptr ? call : "";
  return true;
}

void FailAt(unsigned facilities, long long n) {
  State& s = state();
  s.counted = 0;
  s.failAt = n;
  s.failed.clear();
  gCounted = facilities;
}

void Count(unsigned facilities) { FailAt(facilities, 0); }

long long Off() {
  gCounted = 0;
  return state().counted;
}

long long Counted() { return state().counted; }
std::string FailedCall() { return state().failed; }

bool ParseSetting(const std::string& text, unsigned* facilities, long long* n, std::string* error) {
  static const struct {
    const char* name;
    unsigned facility;
  } kNames[] = {{"memory", kMemory},   {"kernel", kKernel},     {"record", kFeatureRecord},
                {"mark", kUndoMark},   {"hostcall", kHostCall}, {"all", kEverything},
                {"query", kQuery}};
  const std::size_t colon = text.rfind(':');
  if (colon == std::string::npos) {
    *error = "no ':N' names the call that fails";
    return false;
  }
  unsigned chosen = 0;
  for (std::size_t from = 0; from <= colon;) {
    std::size_t end = text.find('+', from);
    if (end == std::string::npos || end > colon) end = colon;
    const std::string name = text.substr(from, end - from);
    unsigned found = 0;
    for (const auto& known : kNames)
      if (name == known.name) found = known.facility;
    if (found == 0) {
      *error = "unknown facility '" + name + "' (memory, kernel, record, mark, hostcall, all or query)";
      return false;
    }
    chosen |= found;
    from = end + 1;
  }
  const std::string number = text.substr(colon + 1);
  long long value = 0;
  bool digits = !number.empty() && number.size() <= 18;
  for (char c : number) {
    if (c < '0' || c > '9') digits = false;
    if (digits) value = value * 10 + (c - '0');
  }
  if (!digits || value < 1) {
    *error = "'" + number + "' is no call number (1 is the first call)";
    return false;
  }
  *facilities = chosen;
  *n = value;
  return true;
}

}  // namespace KTX::Failure
