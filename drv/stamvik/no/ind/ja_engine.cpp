// The parts of the journaling engine that are the same for every member:
// error conversion, the export guard and the scripting defaults' object.
#include "ja_engine.hpp"

#include <setjmp.h>
#include <signal.h>

#include "sys/Error.hpp"

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

int HandlePrintError(const std::exception& caught, const char* source, int line) {
  Error::Severe severe;
  const auto* hostError = dynamic_cast<const Error::Exception*>(&caught);
  severe.Use(hostError != nullptr ? *hostError : Error::Severe::Convert(caught));
  severe.SetLocation(source, line, 0);
  int number = severe.askCode();
  if (number > 65) severe.Further();
  severe.Close(0);
  return number;
}

// ---- the guard ------------------------------------------------------------------
// A structured-exception scope, made of signal handlers installed for the
// length of the guarded call and a jump back to it. Guards nest: each
// installs its own handlers and puts back the caller's when it ends, so a
// fault passed on reaches the caller's guard (or the caller's own handling).

namespace {

constexpr int kFaults[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
constexpr int kFaultCount = sizeof kFaults / sizeof kFaults[0];

struct GuardFrame {
  sigjmp_buf resume;
  GuardFrame* outer;
  struct sigaction callers[kFaultCount];
  siginfo_t fault;
  int openRecordsAtEntry;
};

thread_local GuardFrame* innermost = nullptr;

void onFault(int signal, siginfo_t* info, void*) {
  GuardFrame* frame = innermost;
  if (frame == nullptr) {
    // Not ours (cannot happen while a handler is installed): die as the signal would.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
    return;
  }
  frame->fault = *info;
  siglongjmp(frame->resume, signal);
}

void enter(GuardFrame& frame) {
  frame.outer = innermost;
  frame.openRecordsAtEntry = JAM_ask_open_records();
  struct sigaction action {};
  action.sa_sigaction = &onFault;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  for (int i = 0; i < kFaultCount; ++i) sigaction(kFaults[i], &action, &frame.callers[i]);
  innermost = &frame;
}

void leave(GuardFrame& frame) {
  for (int i = 0; i < kFaultCount; ++i) sigaction(kFaults[i], &frame.callers[i], nullptr);
  innermost = frame.outer;
}

// -1 asks to resume where the fault was raised. That cannot be done safely
// here (the faulting instruction would run again), so it is taken as 0.
bool handle(int verdict) { return verdict == 1; }

}  // namespace

int Guarded(int (*call)(void*), void* context) {
  GuardFrame frame;
  enter(frame);
  int signal = sigsetjmp(frame.resume, 1);
  if (signal == 0) {
    int status = 0;
    try {
      status = call(context);
    } catch (...) {
      leave(frame);
      JAM_exception_info_s info{JAM_code_cxx_exception, 0, nullptr, frame.openRecordsAtEntry};
      if (handle(JAM_wnt_exception(info.code, &info))) return 65;
      throw;
    }
    leave(frame);
    return status;
  }
  leave(frame);
  JAM_exception_info_s info{signal, signal, &frame.fault, frame.openRecordsAtEntry};
  if (handle(JAM_wnt_exception(signal, &info))) return 65;
  // Passed on: the caller's handlers are back in place.
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
