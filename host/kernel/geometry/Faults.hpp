// A processor fault raised inside a call of the modeller ends that call as
// the modeller's failure; one raised anywhere else is left to whatever
// handles it without us.
//
// The modeller is built to turn a signal into a jump to the innermost
// OCC_CATCH_SIGNALS (this module is compiled with OCC_CONVERT_SIGNALS), where
// it is thrown again as the modeller's exception and the guarded block's
// catch answers with the call's failure. The handler that makes that jump is
// held only while a modeller call runs (ModellerCall): a process-wide one
// would turn every fault of the host or the plug-in into the modeller's, or
// push aside the plug-in's own guard for good. A fault jumps only to a
// guarded block of the innermost call (KTX_GUARDED), never over the
// kernel's frames: a fault in what the module calls of the kernel
// (HostCall) is the host's own.
#pragma once
#include <Standard_ErrorHandler.hxx>

namespace KTX::Kernel {

// One call of the modeller, from entry to return: the outermost of a
// thread's nested calls puts the module's fault handlers in place (unless
// another thread's call already did) and the last one out puts back exactly
// those it found. Calls a jump left behind (the plug-in's guard jumps out of
// a fault given back to it) are dropped at the next entry.
class ModellerCall {
 public:
  ModellerCall() noexcept;
  ~ModellerCall() noexcept;
  ModellerCall(const ModellerCall&) = delete;
  ModellerCall& operator=(const ModellerCall&) = delete;

 // The module's own bookkeeping (Faults.cpp): the thread's call this one is
  // nested in, and the guarded blocks of this call open now (set aside
  // while a HostCall is on top).
  ModellerCall* outer;
  int guarded = 0;
};

// The module's call into the kernel, from inside a modeller call: a fault
// there is not the modeller's.
class HostCall {
 public:
  HostCall() noexcept;
  ~HostCall() noexcept;
  HostCall(const HostCall&) = delete;
  HostCall& operator=(const HostCall&) = delete;

 private:
  int saved_;
};

// One guarded block of the modeller call running (see KTX_GUARDED).
class GuardedBlock {
 public:
  GuardedBlock() noexcept;
  ~GuardedBlock() noexcept;
  GuardedBlock(const GuardedBlock&) = delete;
  GuardedBlock& operator=(const GuardedBlock&) = delete;
};

}  // namespace KTX::Kernel

// At the start of a `try` whose catch takes Standard_Failure: a fault in the
// block lands there as the modeller's exception. The block is counted before
// the jump's target is set, so a fault's jump back leaves the count as the
// exception's unwinding then finds it.
#define KTX_GUARDED                                  \
  const ::KTX::Kernel::GuardedBlock ktxGuardedBlock; \
  OCC_CATCH_SIGNALS
