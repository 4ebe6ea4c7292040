#include "kernel/geometry/Faults.hpp"

#include <signal.h>

#include <atomic>
#include <mutex>

#include <OSD_SIGBUS.hxx>
#include <OSD_SIGILL.hxx>
#include <OSD_SIGSEGV.hxx>
#include <Standard_NumericError.hxx>

namespace KTX::Kernel {
namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int kFaultCount = sizeof kFaults / sizeof kFaults[0];

// The thread's innermost modeller call; null outside every one. In the
// static TLS block set aside at load: the handler reads it on any thread
// that faults while the handlers are ours, with no call into the loader.
[[gnu::tls_model("initial-exec")]] thread_local ModellerCall* innermost = nullptr;

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
  while (innermost != nullptr && static_cast<const void*>(innermost) <= entering) {
    innermost = innermost->outer;
    left = true;
  }
  if (left && innermost == nullptr) leaveOutermost();
}

[[noreturn]] void jump(int signal) {
  // Raised by the processor, the signal is still blocked only where the
  // handler was not installed SA_NODEFER; unblocked either way for the next.
  sigset_t unblock;
  sigemptyset(&unblock);
  sigaddset(&unblock, signal);
  pthread_sigmask(SIG_UNBLOCK, &unblock, nullptr);
  switch (signal) {
    case SIGBUS:
      OSD_SIGBUS::NewInstance("the modeller faulted (SIGBUS)")->Jump();
      break;
    case SIGFPE:
      Standard_NumericError::NewInstance("the modeller faulted (SIGFPE)")->Jump();
      break;
    case SIGILL:
      OSD_SIGILL::NewInstance("the modeller faulted (SIGILL)")->Jump();
      break;
    default:
      OSD_SIGSEGV::NewInstance("the modeller faulted (SIGSEGV)")->Jump();
      break;
  }
  // Jump does not return: with no block to land in it ends the process.
  ::abort();
}

void onFault(int signal, siginfo_t* info, void*) {
  const ModellerCall* call = innermost;
  if (call != nullptr && call->guarded > 0 && Standard_ErrorHandler::IsInTryBlock()) jump(signal);
  // Not the modeller's: as if our handler were not there. A fault the
  // processor raised happens again on return and meets the handler found; a
  // signal sent by a call is sent again.
  restore();
  if (info == nullptr || info->si_code <= 0) ::raise(signal);
}

}  // namespace

ModellerCall::ModellerCall() noexcept {
  dropLeft(this);
  outer = innermost;
  innermost = this;
  if (outer == nullptr) enterOutermost();
}

ModellerCall::~ModellerCall() noexcept {
  innermost = outer;
  if (outer == nullptr) leaveOutermost();
}

HostCall::HostCall() noexcept : saved_(innermost != nullptr ? innermost->guarded : 0) {
  if (innermost != nullptr) innermost->guarded = 0;
}

HostCall::~HostCall() noexcept {
  if (innermost != nullptr) innermost->guarded = saved_;
}

GuardedBlock::GuardedBlock() noexcept {
  if (innermost != nullptr) ++innermost->guarded;
}

GuardedBlock::~GuardedBlock() noexcept {
  if (innermost != nullptr) --innermost->guarded;
}

}  // namespace KTX::Kernel
