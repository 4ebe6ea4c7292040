// The process's fault handlers as the host sees them change. The host stands
// in front of the C library's `sigaction` and `signal`: every change of the
// handler of a processor fault (SIGSEGV, SIGBUS, SIGFPE, SIGILL) made through
// them, by anyone in the process, counts one. A plug-in that keeps its own
// fault handling in place asks this count on each guarded call instead of
// asking the kernel: one load, where the kernel's answer is a system call.
// Changes made by a raw system call are not seen.
#pragma once
#include <atomic>

#include "Export.hpp"

namespace KTX::FaultHandlers {

KTX_HOST_API extern std::atomic<unsigned long> gChanges;

// Changes so far; a caller compares it with the count it saw when it last
// put its own handlers in place.
inline unsigned long Changes() { return gChanges.load(std::memory_order_acquire); }

}  // namespace KTX::FaultHandlers
