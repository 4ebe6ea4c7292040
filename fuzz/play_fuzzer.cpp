// The whole play path: a journal read and played against a new part in the
// loaded plug-in, through its exported scripting calls, as ktxhost play
// plays it. Whatever the text, the play either refuses it or plays it; the
// sanitizers watch every call it makes.
#include <dlfcn.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "Binding.hpp"
#include "feat/Builder.hpp"
#include "jam/Journal.hpp"
#include "script/ScriptHost.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace {

// The plug-in and the dialogs' previews, loaded once for the whole run.
void LoadPlugin() {
  void* plugin = dlopen(STAMVIK_PLUGIN, RTLD_NOW | RTLD_LOCAL);
  if (plugin == nullptr) {
    std::fprintf(stderr, "cannot load %s: %s\n", STAMVIK_PLUGIN, dlerror());
    std::abort();
  }
  KTXHost::BindPlugin(plugin);
  void* previews = dlopen(KTXHOST_PREVIEWS, RTLD_NOW | RTLD_LOCAL);
  auto previewer = previews != nullptr
                       ? reinterpret_cast<KTX::Script::Previewer>(dlsym(previews, "KTXHOST_preview"))
                       : nullptr;
  if (previewer == nullptr) {
    std::fprintf(stderr, "cannot load %s\n", KTXHOST_PREVIEWS);
    std::abort();
  }
  KTX::Script::SetPreviewer(previewer);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LoadPlugin();
  // No one reads the host's call log here: kept on, it would grow with every run.
  KTX::Host::SetLogging(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  KTX::JAM::Journal journal;
  try {
    journal = KTX::JAM::ReadJournal(std::string(reinterpret_cast<const char*>(data), size));
  } catch (const KTX::Error::Exception&) {
    return 0;
  }
  KTX::PART_part* part = KTX::PART_part::Create(0);
  KTX::PART_set_work_part(part);
  KTX::JAM::ClearJournal();
  std::string error;
  KTX::Script::Play(journal, &error);
  part->destroy();
  KTX::PART_set_work_part(nullptr);
  KTX::JAM::ClearJournal();
  return 0;
}
