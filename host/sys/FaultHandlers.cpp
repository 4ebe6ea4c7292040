#include "sys/FaultHandlers.hpp"

#include <dlfcn.h>
#include <signal.h>

#include <cerrno>

namespace KTX::FaultHandlers {

std::atomic<unsigned long> gChanges{0};

namespace {

using SigactionFn = int (*)(int, const struct sigaction*, struct sigaction*);
using SignalFn = sighandler_t (*)(int, sighandler_t);

bool isFault(int signal) { return signal == SIGSEGV || signal == SIGBUS || signal == SIGFPE || signal == SIGILL; }

// The definitions behind ours (the C library's, or a sanitizer's in front of
// it). Found at load, so that a call from inside a signal handler never
// reaches the loader; found on first use when a sanitizer's start-up calls in
// before the host's initialisers ran.
template <class Fn>
Fn next(std::atomic<Fn>& known, const char* name) {
  Fn fn = known.load(std::memory_order_acquire);
  if (fn == nullptr) {
    fn = reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
    known.store(fn, std::memory_order_release);
  }
  return fn;
}
std::atomic<SigactionFn> nextSigaction{nullptr};
std::atomic<SignalFn> nextSignal{nullptr};
SigactionFn realSigaction() { return next(nextSigaction, "sigaction"); }
SignalFn realSignal() { return next(nextSignal, "signal"); }

[[gnu::constructor]] void findNextAtLoad() {
  realSigaction();
  realSignal();
}

}  // namespace
}  // namespace KTX::FaultHandlers

namespace FH = KTX::FaultHandlers;

extern "C" KTX_HOST_API int sigaction(int number, const struct sigaction* action,
                                      struct sigaction* previous) noexcept {
  FH::SigactionFn real = FH::realSigaction();
  if (real == nullptr) {
    errno = ENOSYS;
    return -1;
  }
  int result = real(number, action, previous);
  if (result == 0 && action != nullptr && FH::isFault(number)) FH::gChanges.fetch_add(1, std::memory_order_acq_rel);
  return result;
}

extern "C" KTX_HOST_API sighandler_t signal(int number, sighandler_t handler) noexcept {
  FH::SignalFn real = FH::realSignal();
  if (real == nullptr) {
    errno = ENOSYS;
    return SIG_ERR;
  }
  sighandler_t result = real(number, handler);
  if (result != SIG_ERR && FH::isFault(number)) FH::gChanges.fetch_add(1, std::memory_order_acq_rel);
  return result;
}
