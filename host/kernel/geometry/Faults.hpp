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

  // Whether a fault was turned into the modeller's exception during the
  // call. The modeller has guarded blocks of its own inside its algorithms,
  // and the jump lands in the innermost, which may take the exception for
  // an answer ("these two did not meet") and go on to a wrong shape: such a
  // call fails, whatever the modeller made of the fault afterwards.
  bool Faulted() const noexcept { return faults > 0; }

  // The module's own bookkeeping (Faults.cpp): the guarded blocks of this
  // call open now (set aside while a HostCall is on top), and the faults
  // turned so far.
  int guarded = 0;
  int faults = 0;

 private:
  bool tracked_ = false;
};

// Whether the thread's innermost modeller call has taken a fault: what it
// makes of the kernel's bodies afterwards is not made (Bodies, Module.cpp).
bool InnermostCallFaulted() noexcept;

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

// One guarded block of the modeller call running (see KTX_GUARDED). A block
// during which a fault was turned ends by throwing the modeller's exception,
// unless one is on its way out already: its catch answers the failure even
// where one of the modeller's own blocks inside it took the fault and went
// on.
class GuardedBlock {
 public:
  GuardedBlock() noexcept;
  ~GuardedBlock() noexcept(false);
  GuardedBlock(const GuardedBlock&) = delete;
  GuardedBlock& operator=(const GuardedBlock&) = delete;

 private:
  ModellerCall* call_;
  int faults_ = 0;
  int exceptions_ = 0;
};

// For tests (Module.cpp), at the start of the work of each guarded block:
// the step "guarded" (or the block's own, KTX_GUARDED_AT); then the step "inside the modeller's own", inside a
// block of the modeller's own kind, which takes a failure for an answer and
// goes on (as the modeller's edge and face intersections do inside its
// booleans).
void GuardedStepForTests(const char* step);
void ModellersOwnBlockForTests();

}  // namespace KTX::Kernel

// At the start of a `try` whose catch takes Standard_Failure: a fault in the
// block lands there as the modeller's exception. The block is counted before
// the jump's target is set, so a fault's jump back leaves the count as the
// exception's unwinding then finds it.
// KTX_GUARDED_AT names the block's own step, and holds no block of the
// modeller's own kind.
#define KTX_GUARDED_AT(step)                         \
  const ::KTX::Kernel::GuardedBlock ktxGuardedBlock; \
  OCC_CATCH_SIGNALS                                  \
  ::KTX::Kernel::GuardedStepForTests(step)
#define KTX_GUARDED          \
  KTX_GUARDED_AT("guarded"); \
  ::KTX::Kernel::ModellersOwnBlockForTests()
