// The host dialogs' share of the die-design previews. A dialog shows a
// builder's bodies by calling the builder's own CreateBodies, a public member
// that the plug-in exports with its class; the dialogs are linked against the
// plug-in for that, and so is this module, so the compiler names the member
// and the dynamic linker binds it. ktxhost loads the module after the plug-in
// (which it has then already loaded) and hands its one entry to the player.
// The dialogs also build a die shoe's body when the feature is made: loading
// the module registers that body maker with the host, unloading removes it.
// After a commit the tire envelope's dialog lists the builder's inputs: its
// option to list them is on (a script cannot set it, the builder's
// DisplayInput not being published).
#include <concepts>

#include "afl/Parms.hpp"
#include "ja_catalogue_descriptions.hpp"
#include "kernel/Kernel.hpp"
#include "sys/Error.hpp"
#include "sys/TextFile.hpp"
#include "sys/UserMessages.hpp"

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

// A die-shoe builder that can build the shoe's body.
template <class B>
concept BuildsBody = requires(B& builder, int* body) {
  { builder.CreateBody(body) } -> std::same_as<int>;
};

// The warning numbers a die-shoe build left on its builder (the blocks it
// left out), shown before the builder goes.
// Never raises: the builder still goes.
template <class B>
void ShowWarnings(const B& builder) noexcept {
  if constexpr (requires { builder.GetWarningNumbersLength(); }) {
    try {
      for (int i = 0, n = builder.GetWarningNumbersLength(); i < n; ++i)
        KTX::Host::ShowWarning(builder.GetWarningNumbers(i), {});
    } catch (...) {
      // What cannot be read is not shown.
    }
  }
}

// The die shoe's body for a new record: a builder made on the record builds
// it and goes. A build that stops (the user's abort) hands out the partly
// built body, which is not the feature's: it is deleted.
template <class B = KTX::DieDes::DieShoeBuilder>
int MakeDieShoeBody(KTX::FEATURE_RECORD* frec, int* body) {
  *body = 0;
  if constexpr (BuildsBody<B>) {
    KTX::PART_part* work = KTX::PART_ask_work_part();
    B* builder = KTX::DieDes::DieShoeBuilderFactory::Create(work != nullptr ? work->ModelPart() : nullptr, frec);
    if (builder == nullptr) return 0;
    // A build that raises hands out nothing either: the builder and the body
    // it was making go before the error goes on.
    int rc = 0;
    try {
      rc = builder->CreateBody(body);
    } catch (...) {
      ShowWarnings(*builder);
      builder->destroy();
      if (*body != 0 && KTX::Kernel::IsBody(*body)) KTX::Kernel::DeleteBody(*body, "die shoe body maker");
      *body = 0;
      throw;
    }
    ShowWarnings(*builder);
    builder->destroy();
    if (rc != 0 && *body != 0) {
      KTX::Kernel::DeleteBody(*body, "die shoe body maker");
      *body = 0;
    }
    return rc;
  }
  return 0;
}

// Registered while the module is loaded, once the builder can build a body.
struct BodyMakers {
  BodyMakers() {
    if constexpr (BuildsBody<KTX::DieDes::DieShoeBuilder>)
      KTX::DIEENG_register_body_maker("KTX::DieDes::DieShoe", &MakeDieShoeBody<>);
  }
  ~BodyMakers() { KTX::DIEENG_register_body_maker("KTX::DieDes::DieShoe", nullptr); }
} bodyMakers;

}  // namespace

// Every builder of the catalogue is asked, in catalogue order; a class
// without a preview passes without a cast.
#define KTXHOST_PREVIEW(Area, Class, Namespace, ...) Preview<KTX::Namespace::Class>(builder, count, bodies, status) ||

// 1 when the builder's class has a preview: it ran, its status is in
// *status and the bodies it handed over (the caller's) in *count and *bodies;
// 0 when the class has none.
extern "C" __attribute__((visibility("default"))) int KTXHOST_preview(const KTX::OM::Object* builder, int* count,
                                                                      int** bodies, int* status) {
  return JA_CATALOGUE(KTXHOST_PREVIEW, JA_CATALOGUE_NOTHING, JA_CATALOGUE_NOTHING) false;
}

// The dialogs' step after a builder committed. The commit went through: a
// listing that cannot be written whole is shown as a warning, and the commit
// stands (its feature made or edited, its object handed to the script).
extern "C" __attribute__((visibility("default"))) void KTXHOST_committed(KTX::OM::Object* builder) {
  auto* tire = dynamic_cast<KTX::VDJA::TireEnvelopeBuilder*>(builder);
  if (tire == nullptr) return;
  try {
    tire->DisplayInputInformation();
  } catch (const std::exception& e) {
    KTX::Error::HandleAsBuilder(e, "ktxhost/previews/Previews", 124);
    KTX::ERROR_note("The commit stands; the listing after it is not whole.");
  }
}
