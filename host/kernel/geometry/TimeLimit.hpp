// A bound on the time of one long call of the modeller. The modeller's
// booleans and offsets ask a progress indicator now and then whether to go
// on; this one says stop once the limit has passed, and the call fails.
#pragma once
#include <atomic>
#include <chrono>

#include <Message_ProgressIndicator.hxx>
#include <Message_ProgressRange.hxx>
#include <Standard_Handle.hxx>

namespace KTX::Kernel::Shapes {

class TimeLimit : public Message_ProgressIndicator {
 public:
  // Counts from now, for the seconds LimitSeconds() gives.
  TimeLimit();
  bool Passed() const;
  Standard_Boolean UserBreak() override;
  void Show(const Message_ProgressScope&, const Standard_Boolean) override {}

 private:
  std::chrono::steady_clock::time_point end_;
  std::atomic<bool> stopped_{false};
};

// One limit's range for one call: keep the handle while the call runs and
// ask it afterwards whether it stopped the call.
struct Bounded {
  Handle(TimeLimit) limit = new TimeLimit();
  Message_ProgressRange Range() { return limit->Start(); }
  bool Stopped() const { return limit->Passed(); }
};

// The limit in seconds, as the kernel holds it (see SetGeometryLimit).
double LimitSeconds();

}  // namespace KTX::Kernel::Shapes
