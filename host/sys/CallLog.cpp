#include "sys/CallLog.hpp"

#include <algorithm>
#include <map>

namespace KTX::Host {
namespace {
struct State {
  std::vector<Call> calls;
  std::map<std::string, long long> answers;
};
State& state() {
  static State* s = new State;
  return *s;
}
}  // namespace

void Log(const std::string& name, const std::string& args) { state().calls.push_back({name, args}); }
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
void ClearAnswers() { state().answers.clear(); }

}  // namespace KTX::Host
