// Clean-up that runs on every way out of a scope, a destructor's included.
// A destructor may not let an error out (the process would end), and a
// clean-up's own failure must not hide the error the scope is leaving with:
// what the clean-up raises is noted with the host and dropped, and the
// clean-up's later steps still run when each is guarded on its own.
// Internal to the library.
#pragma once
#include <exception>
#include <utility>

#include "sys/Error.hpp"
#include "sys/TextFile.hpp"

namespace KTX::Stamvik {

// Runs `step`; a failure it raises is noted with the host and goes no
// further: `what` names the step, `when` says where it ran (" on the way
// out", or nothing) and `then` what follows the failure. Gives true when the
// step ran through.
template <class Step>
bool RunNotedAs(const char* what, const char* when, const char* then, Step&& step) noexcept {
  try {
    std::forward<Step>(step)();
    return true;
  } catch (const Error::Exception& e) {
    try {
      ERROR_note("%s%s: %s (%d); %s", what, when, e.text().c_str(), e.askCode(), then);
    } catch (...) {
    }
  } catch (const std::exception& e) {
    try {
      ERROR_note("%s%s: %s; %s", what, when, e.what(), then);
    } catch (...) {
    }
  } catch (...) {
    try {
      ERROR_note("%s failed%s; %s", what, when, then);
    } catch (...) {
    }
  }
  return false;
}

// A clean-up's step: its failure is noted and the rest of the clean-up goes on.
template <class Step>
bool RunNoted(const char* what, Step&& step) noexcept {
  return RunNotedAs(what, " on the way out", "the rest goes on", std::forward<Step>(step));
}

// Calls `cleanUp` when the scope ends, however it ends; see RunNoted.
template <class CleanUp>
class OnEveryExit {
 public:
  OnEveryExit(const char* what, CleanUp cleanUp) : what_(what), cleanUp_(std::move(cleanUp)) {}
  ~OnEveryExit() {
    if (armed_) RunNoted(what_, cleanUp_);
  }
  OnEveryExit(const OnEveryExit&) = delete;
  OnEveryExit& operator=(const OnEveryExit&) = delete;
  // The clean-up is not needed any more (it was run, or what it undoes was handed on).
  void Dismiss() { armed_ = false; }

 private:
  const char* what_;
  CleanUp cleanUp_;
  bool armed_ = true;
};

}  // namespace KTX::Stamvik
