#include "kernel/geometry/TimeLimit.hpp"

#include <algorithm>

#include "kernel/geometry/BodyShapes.hpp"

namespace KTX::Kernel::Shapes {

double LimitSeconds() { return Bodies::LimitSeconds(); }

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
