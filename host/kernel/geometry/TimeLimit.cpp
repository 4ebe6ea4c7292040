#include "kernel/TimeLimit.hpp"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

namespace KTX::Kernel::Shapes {
namespace {

constexpr double kDefaultSeconds = 300;

double fromEnvironment() {
  const char* text = std::getenv("KTX_KERNEL_SECONDS");
  if (text == nullptr || *text == '\0') return kDefaultSeconds;
  char* end = nullptr;
  errno = 0;
  const double seconds = std::strtod(text, &end);
  if (errno != 0 || *end != '\0' || !std::isfinite(seconds) || seconds < 0) return kDefaultSeconds;
  return seconds;
}

double& chosen() {
  static double seconds = -1;
  return seconds;
}

}  // namespace

double LimitSeconds() {
  if (chosen() >= 0) return chosen();
  static const double environment = fromEnvironment();
  return environment;
}

void SetLimitSeconds(double seconds) { chosen() = std::isfinite(seconds) && seconds >= 0 ? seconds : -1; }

TimeLimit::TimeLimit() {
  // A limit past what the clock can hold is no limit.
  const double seconds = std::min(LimitSeconds(), 1.0e9);
  end_ = std::chrono::steady_clock::now() +
         std::chrono::duration_cast<std::chrono::steady_clock::duration>(std::chrono::duration<double>(seconds));
}

bool TimeLimit::Passed() const { return stopped_; }

Standard_Boolean TimeLimit::UserBreak() {
  if (!stopped_ && std::chrono::steady_clock::now() >= end_) stopped_ = true;
  return stopped_;
}

}  // namespace KTX::Kernel::Shapes
