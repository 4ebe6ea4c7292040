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

}  // namespace KTX::Failure
