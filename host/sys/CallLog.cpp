#include "sys/CallLog.hpp"

#include <algorithm>
#include <exception>
#include <map>

#include "sys/Error.hpp"
#include "sys/Failure.hpp"

namespace KTX::Host {
namespace {
struct State {
  std::vector<Call> calls;
  std::map<std::string, long long> answers;
  std::map<std::string, double> realAnswers;
};
State& state() {
  static State* s = new State;
  return *s;
}
}  // namespace

bool callLogOn = true;
void SetLogging(bool on) { callLogOn = on; }

namespace {
CallWatcher watcher = nullptr;
void* watcherContext = nullptr;
}  // namespace
void SetCallWatcher(CallWatcher w, void* context) {
  watcher = w;
  watcherContext = context;
}

namespace {
// Calls that let go, undo, close, switch back or report, and the object manager's stores
// and undo logging: the host does not fail them, and the first run on error
// paths, some from destructors. Object creation fails before it makes
// anything (ObjectFactory), not when it logs what it made.
bool neverFails(const std::string& name) {
  static const char* const kWords[] = {"OM__log", "OM_set_pointer", "SetReferencedObject", "OM_set_array_length",
                                       "SetOneWayTagValue", "OM_create_object", "free", "Free", "delete", "Delete", "destroy", "Destroy", "Release",
                                       "undo_to", "UndoTo", "JournalPauser", "KERNEL_error", "SM_free", "ERROR_",
                                       "JAM_end_call", "JAM_had_exception", "JAM_wnt_exception", "JAM_replay",
                                       "clear_build_state", "PARTITION_set_current",
                                       // a builder's feature stored: a field of its own, logged for undo
                                       "set_frec",
                                       // a curve evaluator let go, the display's suppression switched
                                       "evcrvf", "DSS_set_suppress_display"};
  for (const char* word : kWords)
    if (name.find(word) != std::string::npos) return true;
  return false;
}
}  // namespace

void Log(const std::string& name, const std::string& args) {
  if (Failure::gCounted & Failure::kHostCall) {
    if (std::uncaught_exceptions() == 0 && !neverFails(name) && Failure::Step(Failure::kHostCall, name.c_str()))
      ERROR_raise(__FILE__, __LINE__, Failure::kInjected, "%s failed", name.c_str());
  }
  if (watcher != nullptr) watcher(name, args, watcherContext);
  if (callLogOn) state().calls.push_back({name, args});
}
const std::vector<Call>& Calls() { return state().calls; }
void ClearCalls() { state().calls.clear(); }

std::vector<std::string> CallNames(const std::vector<std::string>& filter) {
  std::vector<std::string> names;
  for (const Call& c : state().calls) {
    if (filter.empty() || std::find(filter.begin(), filter.end(), c.name) != filter.end()) names.push_back(c.name);
  }
  return names;
}

std::size_t CountCalls(const std::string& name) {
  return static_cast<std::size_t>(
      std::count_if(state().calls.begin(), state().calls.end(), [&](const Call& c) { return c.name == name; }));
}

void SetAnswer(const std::string& name, long long value) { state().answers[name] = value; }
long long Answer(const std::string& name, long long fallback) {
  auto it = state().answers.find(name);
  return it == state().answers.end() ? fallback : it->second;
}
void ClearAnswers() {
  state().answers.clear();
  state().realAnswers.clear();
}
void SetRealAnswer(const std::string& name, double value) { state().realAnswers[name] = value; }
double RealAnswer(const std::string& name, double fallback) {
  auto it = state().realAnswers.find(name);
  return it == state().realAnswers.end() ? fallback : it->second;
}

}  // namespace KTX::Host
