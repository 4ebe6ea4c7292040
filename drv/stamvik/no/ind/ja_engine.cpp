// The parts of the journaling engine that are the same for every member:
// error conversion, the export guard and the scripting defaults' object.
#include "ja_engine.hpp"

#include <pthread.h>
#include <setjmp.h>
#include <signal.h>
#include <ucontext.h>

#include <atomic>
#include <cstdint>
#include <mutex>

#include "sys/Error.hpp"
#include "sys/FaultHandlers.hpp"

namespace KTX::JA {

int HandleJournalledError(const std::exception& caught, const char* source, int line) {
  Error::Severe severe;
  const auto* hostError = dynamic_cast<const Error::Exception*>(&caught);
  Error::Exception error = hostError != nullptr ? *hostError : Error::Severe::Convert(caught);
  severe.Use(error);
  severe.SetLocation(source, line, 2);
  int number = severe.askCode();
  // The journaling layer's own error goes on up, unconverted; the host closes the record.
  if (JAM_had_exception(number)) error.Rethrow();
  if (number > 65) severe.Further();
  severe.Close(2);
  JAM_end_call(number);
  return number;
}

namespace {
// The error handed back to the host's error object with the mode given, its
// number the caller's status.
int HandBack(const std::exception& caught, const char* source, int line, int mode) {
  Error::Severe severe;
  severe.Use(Error::Severe::Convert(caught));
  severe.SetLocation(source, line, mode);
  const int number = severe.askCode();
  if (number > 65) severe.Further();
  severe.Close(mode);
  return number;
}
}  // namespace

int HandleUnrecordedError(const std::exception& caught, const char* source, int line) {
  return HandBack(caught, source, line, 2);
}

int HandlePrintError(const std::exception& caught, const char* source, int line) {
  return HandBack(caught, source, line, 0);
}

// ---- the guard ------------------------------------------------------------------
// A structured-exception scope made of fault handlers and a jump back to the
// guarded call. The handlers are the process's, so they are installed once,
// the first time a call is guarded, and stay; each thread keeps its innermost
// guarded call's resume point, and a fault finds it there. Guarded calls nest:
// a fault passed on by an inner call is raised again and reaches the next one
// out. A fault outside every guarded call goes to whatever handler was there
// before ours. The normal path touches neither the handlers nor the signal
// mask; what a fault changed is put back only when one happened.

namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int kFaultCount = sizeof kFaults / sizeof kFaults[0];

struct GuardFrame {
  sigjmp_buf resume;
  GuardFrame* outer;
  siginfo_t fault;
  sigset_t maskAtFault;
  int openRecordsAtEntry;
  std::uintptr_t stackAt;  // the guarded call's stack frame
};

// In the static TLS block the loader sets aside at load: the guard's entry
// reads it without a call into the loader, and no dynamic TLS entry of the
// plug-in outlives an unload.
[[gnu::tls_model("initial-exec")]] thread_local GuardFrame* innermost = nullptr;

// The handlers that were in place before ours, per fault.
struct sigaction callers[kFaultCount];
std::mutex installing;
// Set when we gave a fault back to its caller's handler; the next outermost
// guarded call puts ours back.
std::atomic<bool> handedBack{false};
// The host's count of fault handler changes when ours were last put in
// place: a caller that put its own over ours since has moved it on.
std::atomic<unsigned long> changesSeen{~0ul};

int faultIndex(int signal) {
  for (int i = 0; i < kFaultCount; ++i)
    if (kFaults[i] == signal) return i;
  return 0;
}

void onFault(int signal, siginfo_t* info, void* context);

bool ours(const struct sigaction& action) {
  return (action.sa_flags & SA_SIGINFO) != 0 && action.sa_sigaction == &onFault;
}

// A fault outside every guarded call: as if our handler were not there.
void chain(int signal, siginfo_t* info, void* context) {
  const struct sigaction& caller = callers[faultIndex(signal)];
  if ((caller.sa_flags & SA_SIGINFO) != 0 && caller.sa_sigaction != nullptr) {
    caller.sa_sigaction(signal, info, context);
    return;
  }
  if (caller.sa_handler != SIG_DFL && caller.sa_handler != SIG_IGN && caller.sa_handler != nullptr) {
    caller.sa_handler(signal);
    return;
  }
  // Default or ignore: put that back. A fault the processor raised happens
  // again on return and meets it; a signal sent by a call is sent again.
  sigaction(signal, &caller, nullptr);
  handedBack.store(true, std::memory_order_release);
  if (info == nullptr || info->si_code <= 0) ::raise(signal);
}

void onFault(int signal, siginfo_t* info, void* context) {
  GuardFrame* frame = innermost;
  if (frame == nullptr) {
    chain(signal, info, context);
    return;
  }
  frame->fault = *info;
  frame->maskAtFault = static_cast<ucontext_t*>(context)->uc_sigmask;
  siglongjmp(frame->resume, signal);
}

// Puts our handlers in place where another's is (a caller may have put its
// own over ours since), keeping the one found as the caller's.
void install() {
  std::lock_guard<std::mutex> lock(installing);
  struct sigaction action {};
  action.sa_sigaction = &onFault;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  // Our own changes are counted too: the count seen is the one before them
  // and them. Another thread's change meanwhile leaves it behind, and the
  // next outermost guarded call looks again.
  unsigned long changes = FaultHandlers::Changes();
  for (int i = 0; i < kFaultCount; ++i) {
    struct sigaction found {};
    sigaction(kFaults[i], nullptr, &found);
    if (ours(found)) continue;
    callers[i] = found;
    if (sigaction(kFaults[i], &action, nullptr) == 0) ++changes;
  }
  changesSeen.store(changes, std::memory_order_release);
  handedBack.store(false, std::memory_order_release);
}

// Gives a fault back to the caller's handler: one passed on with no guarded
// call outside, and every one at unload (our handler must not outlive the
// library).
void uninstall(int signal) {
  std::lock_guard<std::mutex> lock(installing);
  for (int i = 0; i < kFaultCount; ++i) {
    if (signal != 0 && kFaults[i] != signal) continue;
    struct sigaction found {};
    sigaction(kFaults[i], nullptr, &found);
    if (ours(found)) sigaction(kFaults[i], &callers[i], nullptr);
  }
  handedBack.store(true, std::memory_order_release);
}

struct UninstallAtUnload {
  ~UninstallAtUnload() { uninstall(0); }
} uninstallAtUnload;

// A frame a caller's own handler jumped out of is still the thread's
// innermost. Guarded calls nest down the stack, so one whose stack frame lies
// at or below the entering call's is gone.
void dropAbandoned(std::uintptr_t stackAt) {
  while (innermost != nullptr && innermost->stackAt <= stackAt) innermost = innermost->outer;
}

// -1 asks to resume where the fault was raised. That cannot be done safely
// here (the faulting instruction would run again), so it is taken as 0.
bool handle(int verdict) { return verdict == 1; }

}  // namespace

int Guarded(int (*call)(void*), void* context) {
  GuardFrame frame;
  frame.stackAt = reinterpret_cast<std::uintptr_t>(__builtin_frame_address(0));
  dropAbandoned(frame.stackAt);
  // The outermost guarded call puts ours back where a caller put its own
  // fault handling over it, which would otherwise turn the guard off unseen.
  // The host counts every change of a fault handler: no question to the
  // kernel while none happened.
  if (innermost == nullptr && (FaultHandlers::Changes() != changesSeen.load(std::memory_order_acquire) ||
                               handedBack.load(std::memory_order_acquire)))
    install();
  frame.outer = innermost;
  frame.openRecordsAtEntry = JAM_ask_open_records();
  innermost = &frame;
  int signal = sigsetjmp(frame.resume, 0);
  if (signal == 0) {
    int status = 0;
    try {
      status = call(context);
    } catch (...) {
      innermost = frame.outer;
      JAM_exception_info_s info{JAM_code_cxx_exception, 0, nullptr, frame.openRecordsAtEntry};
      if (handle(JAM_wnt_exception(info.code, &info))) return 65;
      throw;
    }
    innermost = frame.outer;
    return status;
  }
  innermost = frame.outer;
  pthread_sigmask(SIG_SETMASK, &frame.maskAtFault, nullptr);
  JAM_exception_info_s info{signal, signal, &frame.fault, frame.openRecordsAtEntry};
  if (handle(JAM_wnt_exception(signal, &info))) return 65;
  // Passed on: to the guarded call outside this one, whose frame our handler
  // now finds, or, with none, to the caller's handler, put back for it (the
  // next outermost guarded call finds it there and puts ours back).
  if (frame.outer == nullptr) uninstall(signal);
  ::raise(signal);
  return 65;
}

OM::Object* PrintObject(tag_t tag) {
  OM::Object* object = OM::OM_object_of_tag(tag);
  if (object == nullptr) ERROR_raise("ja_engine", __LINE__, Error::kBadObject, "tag %u is no object", tag);
  return object;
}

// ---- scripting defaults -------------------------------------------------------------

OM::Object* DefaultsObject(const char* source, int line, tag_t tag) {
  if (OM::OM_ask_checking_level() > 0) OM::OM_checked_object_of_tag(tag, 0);
  OM::Object* object = OM::OM_object_of_tag(tag);
  if (object == nullptr) ERROR_raise(source, line, Error::kBadObject, "tag %u is no builder", tag);
  return object;
}

int WorkPartUnitCode() {
  PART_part* workPart = PART_ask_work_part();
  return workPart != nullptr ? workPart->UnitCode() : 0;
}

}  // namespace KTX::JA
