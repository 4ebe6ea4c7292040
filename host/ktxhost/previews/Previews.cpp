// The host dialogs' share of the die-design previews. A dialog shows a
// builder's bodies by calling the builder's own CreateBodies, a public member
// that the plug-in exports with its class; the dialogs are linked against the
// plug-in for that, and so is this module, so the compiler names the member
// and the dynamic linker binds it. ktxhost loads the module after the plug-in
// (which it has then already loaded) and hands its one entry to the player.
#include <concepts>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"

namespace {

// A body builder whose class has its preview: the builder's class decides,
// at compile time, so a class that gains one is previewed from then on.
template <class B>
concept HasPreview = requires(const B& builder, int* count, int** bodies) {
  { builder.CreateBodies(count, bodies) } -> std::same_as<int>;
};

template <class B>
bool Preview(const KTX::OM::Object* object, int* count, int** bodies, int* status) {
  if constexpr (HasPreview<B>) {
    if (const auto* builder = dynamic_cast<const B*>(object)) {
      *status = builder->CreateBodies(count, bodies);
      return true;
    }
  }
  return false;
}

}  // namespace

// 1 when the builder's class has a preview: it ran, its status is in
// *status and the bodies it handed over (the caller's) in *count and *bodies;
// 0 when the class has none.
extern "C" __attribute__((visibility("default"))) int KTXHOST_preview(const KTX::OM::Object* builder, int* count,
                                                                      int** bodies, int* status) {
  using namespace KTX::DieDesJA;
  return Preview<CastReliefBuilder>(builder, count, bodies, status) ||
         Preview<ClampingSlotBuilder>(builder, count, bodies, status) ||
         Preview<ClearanceBuilder>(builder, count, bodies, status) ||
         Preview<FillAreaBuilder>(builder, count, bodies, status) ||
         Preview<FingerClearanceNotchBuilder>(builder, count, bodies, status) ||
         Preview<HandlingCoreBuilder>(builder, count, bodies, status) ||
         Preview<HeelpostBuilder>(builder, count, bodies, status) ||
         Preview<KeywayBuilder>(builder, count, bodies, status) ||
         Preview<MachineReliefBuilder>(builder, count, bodies, status);
}
