#include "kernel/geometry/Faults.hpp"

#include <signal.h>

#include <atomic>
#include <exception>
#include <mutex>

#include <OSD_SIGBUS.hxx>
#include <OSD_SIGILL.hxx>
#include <OSD_SIGSEGV.hxx>
#include <Standard_Failure.hxx>
#include <Standard_NumericError.hxx>

namespace KTX::Kernel {
namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int kFaultCount = sizeof kFaults / sizeof kFaults[0];

// The thread's innermost modeller call; null outside every one. In the
// static TLS block set aside at load: the handler reads it on any thread
// that faults while the handlers are ours, with no call into the loader.
[[gnu::tls_model("initial-exec")]] thread_local ModellerCall* innermost = nullptr;

// The thread's calls, outermost first. Kept here, not in the calls: a jump
// out of a call leaves its record in a frame that the next calls' frames
// overwrite (the same call made again from the same place lies at the same
// address), so what a left record held is never read. Calls nested deeper
// than this (none are) count as the one they are nested in.
constexpr int kDepth = 16;
thread_local ModellerCall* calls[kDepth];
thread_local int depth = 0;

// The handlers found when ours went in, put back when the last thread's
// call leaves or a fault is given back to them.
std::mutex installing;
int threadsInside = 0;
std::atomic<bool> installed{false};
struct sigaction found[kFaultCount];

void onFault(int signal, siginfo_t* info, void* context);

void install() {
  struct sigaction action {};
  action.sa_sigaction = &onFault;
  // Not deferred: the jump leaves the handler without returning from it.
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < kFaultCount; ++i) sigaction(kFaults[i], &action, &found[i]);
  installed.store(true, std::memory_order_release);
}

void restore() {
  if (!installed.exchange(false, std::memory_order_acq_rel)) return;
  for (int i = 0; i < kFaultCount; ++i) sigaction(kFaults[i], &found[i], nullptr);
}

// A thread's outermost call enters, and leaves. A lock the system refuses
// (it throws only for a broken mutex) leaves the handlers as they stand:
// ours hand every fault outside a call back to those found, and a call
// without ours fails on a fault as it did before the module had any.
void enterOutermost() noexcept {
  try {
    std::lock_guard<std::mutex> lock(installing);
    ++threadsInside;
    // Given back to the handlers found since (a fault that was not ours):
    // ours go in again.
    if (!installed.load(std::memory_order_acquire)) install();
  } catch (...) {
  }
}

void leaveOutermost() noexcept {
  try {
    std::lock_guard<std::mutex> lock(installing);
    if (--threadsInside == 0) restore();
  } catch (...) {
  }
}

// The thread's calls whose frames a jump has left: a call lies below the one
// before it on the stack, so one at or above the entering call's frame is
// gone. The thread's share of the handlers goes with its outermost.
void dropLeft(const void* entering) noexcept {
  bool left = false;
  while (depth > 0 && static_cast<const void*>(calls[depth - 1]) <= entering) {
    --depth;
    left = true;
  }
  innermost = depth > 0 ? calls[depth - 1] : nullptr;
  if (left && depth == 0) leaveOutermost();
}

// The failures the thread's faults were turned into, each still counted
// twice by the frames its jump left (this module's and the modeller's):
// let go once the block jumped to, which held it too, is gone. Faults past
// these many within one block (none are) keep theirs.
constexpr int kPending = 64;
thread_local Standard_Failure* pending[kPending];
thread_local int pendingCount = 0;

void releasePending() noexcept {
  for (; pendingCount > 0; --pendingCount) {
    Standard_Failure* failure = pending[pendingCount - 1];
    failure->DecrementRefCounter();
    if (failure->DecrementRefCounter() == 0) failure->Delete();
  }
}

[[noreturn]] void jump(int signal) {
  // Raised by the processor, the signal is still blocked only where the
  // handler was not installed SA_NODEFER; unblocked either way for the next.
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
  Handle(Standard_Failure) failure;
  switch (signal) {
    case SIGBUS:
      failure = OSD_SIGBUS::NewInstance("the modeller faulted (SIGBUS)");
      break;
    case SIGFPE:
      failure = Standard_NumericError::NewInstance("the modeller faulted (SIGFPE)");
      break;
    case SIGILL:
      failure = OSD_SIGILL::NewInstance("the modeller faulted (SIGILL)");
      break;
    default:
      failure = OSD_SIGSEGV::NewInstance("the modeller faulted (SIGSEGV)");
      break;
  }
  // The jump runs no destructor: this frame's handle, and the one the
  // modeller's jump makes in its own, would keep every fault's failure for
  // good. It is let go once the guarded block it was raised in is done.
  if (pendingCount < kPending) pending[pendingCount++] = failure.get();
  failure->Jump();
  // Jump does not return: with no block to land in it ends the process.
  ::abort();
}

void onFault(int signal, siginfo_t* info, void*) {
  ModellerCall* call = innermost;
  // Only a fault the processor raised is the modeller's: a signal another
  // process or a call sent (si_code 0 or below) is not, wherever it lands.
  if (info != nullptr && info->si_code > 0 && call != nullptr && call->guarded > 0 &&
      Standard_ErrorHandler::IsInTryBlock()) {
    ++call->faults;
    jump(signal);
  }
  // Not the modeller's: as if our handler were not there. A fault the
  // processor raised happens again on return and meets the handler found; a
  // signal sent by a call is sent again.
  restore();
  if (info == nullptr || info->si_code <= 0) ::raise(signal);
}

}  // namespace

ModellerCall::ModellerCall() noexcept {
  dropLeft(this);
  if (depth == kDepth) return;
  calls[depth++] = this;
  innermost = this;
  tracked_ = true;
  if (depth == 1) enterOutermost();
}

ModellerCall::~ModellerCall() noexcept {
  if (!tracked_) return;
  // Calls nested in this one that a jump left go with it.
  while (depth > 0 && calls[depth - 1] != this) --depth;
  if (depth > 0) --depth;
  innermost = depth > 0 ? calls[depth - 1] : nullptr;
  if (depth == 0) leaveOutermost();
}

bool InnermostCallFaulted() noexcept { return innermost != nullptr && innermost->Faulted(); }

HostCall::HostCall() noexcept : saved_(innermost != nullptr ? innermost->guarded : 0) {
  if (innermost != nullptr) innermost->guarded = 0;
}

HostCall::~HostCall() noexcept {
  if (innermost != nullptr) innermost->guarded = saved_;
}

GuardedBlock::GuardedBlock() noexcept : call_(innermost) {
  if (call_ == nullptr) return;
  ++call_->guarded;
  faults_ = call_->faults;
  exceptions_ = std::uncaught_exceptions();
}

GuardedBlock::~GuardedBlock() noexcept(false) {
  if (call_ == nullptr) return;
  --call_->guarded;
  // Every block a fault in this one jumped to is done.
  if (call_->faults > faults_) releasePending();
  if (call_->faults > faults_ && std::uncaught_exceptions() == exceptions_)
    throw Standard_Failure("the modeller faulted inside its guarded work and went on");
}

}  // namespace KTX::Kernel
