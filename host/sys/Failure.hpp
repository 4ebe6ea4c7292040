// The failure switch, a test aid of the stand-in host: the Nth call of a host
// facility fails as the real host's does, so that a test can walk an
// operation through the failure of each of its calls in turn. Off, every
// hook is one test of a word that is 0.
#pragma once
#include <string>

#include "Export.hpp"

namespace KTX::Failure {

enum Facility : unsigned {
  kMemory = 1u << 0,         // SM_* raise the no-memory error; CppMemory's new gives null
  kKernel = 1u << 1,         // kernel calls and body utilities return kKernelError
  kFeatureRecord = 1u << 2,  // feature-record creation fails with kInjected
  kUndoMark = 1u << 3,       // UNDO_QD_set_mark reports kInjected and sets no mark
  kHostCall = 1u << 4,       // a logged host function raises kInjected
  kEverything = kMemory | kKernel | kFeatureRecord | kUndoMark | kHostCall,
  // The kernel's queries of a body's geometry answer the modeller's failure
  // (ZV_ERROR_geometry). Outside kEverything, counted only when named, so
  // that the failure walks over what makes or changes things keep their
  // calls and counts.
  kQuery = 1u << 5,
};

// The numbers an injected failure carries (the no-memory error is the host's own).
constexpr int kInjected = 840007;
constexpr int kKernelError = 22004;

// Which facilities are counted; 0 while the switch is off.
KTX_HOST_API extern unsigned gCounted;

// Counts one call of the facility; true when it is the call that must fail.
KTX_HOST_API bool Step(Facility facility, const char* call);
inline bool Fails(Facility facility, const char* call) {
  return (gCounted & facility) != 0 && Step(facility, call);
}

// Counts the calls of the facilities from now on; none fails.
KTX_HOST_API void Count(unsigned facilities);
// Counts from now on, and the nth counted call (1 is the first) fails.
KTX_HOST_API void FailAt(unsigned facilities, long long n);
// Turns the switch off; gives how many calls were counted.
KTX_HOST_API long long Off();
KTX_HOST_API long long Counted();
// The call that was made to fail ("" while none has).
KTX_HOST_API std::string FailedCall();

// Reads a switch setting from text, as a program takes it from its
// environment: "FACILITIES:N", the facilities named by "memory", "kernel",
// "record", "mark", "hostcall", "all" (those five) or "query" joined with
// '+', and N the counted call that fails (1 the first). False, with `error`
// saying why, for text that is no such setting.
KTX_HOST_API bool ParseSetting(const std::string& text, unsigned* facilities, long long* n, std::string* error);

}  // namespace KTX::Failure
