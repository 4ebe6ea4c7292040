// ktxhost: the stand-in host program. It loads the plug-in the way the real
// host would and shows what the plug-in registered.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "om/ObjectManager.hpp"

namespace {

const char* kUsage =
    "usage: ktxhost COMMAND [PLUGIN]\n"
    "\n"
    "The stand-in host. PLUGIN defaults to the plug-in built beside it.\n"
    "\n"
    "commands:\n"
    "  load     load the plug-in, print one line per class it registers (class,\n"
    "           superclass, attribute count, class flags in hex), unload it and\n"
    "           print its exit steps in the order they ran\n"
    "  --help   show this text\n";

void printEvents(std::size_t from, bool registered) {
  const auto& events = KTX::OM::RegistrationEvents();
  for (std::size_t i = from; i < events.size(); ++i) {
    const auto& e = events[i];
    if (e.registered != registered) continue;
    std::printf("%s %s %s %d 0x%x\n", registered ? "register" : "unregister", e.className.c_str(),
                e.superclassName.c_str(), e.attributeCount, e.classFlags);
  }
}

int load(const char* plugin) {
  std::size_t before = KTX::OM::RegistrationEvents().size();
  void* handle = dlopen(plugin, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "ktxhost: cannot load %s: %s\n", plugin, dlerror());
    return 1;
  }
  printEvents(before, true);
  std::size_t loaded = KTX::OM::RegistrationEvents().size();
  if (dlclose(handle) != 0) {
    std::fprintf(stderr, "ktxhost: cannot unload %s: %s\n", plugin, dlerror());
    return 1;
  }
  printEvents(loaded, false);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  std::string command = argv[1];
  const char* plugin = argc > 2 ? argv[2] : KTXHOST_DEFAULT_PLUGIN;
  if (command == "load") return load(plugin);
  std::fprintf(stderr, "ktxhost: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return 2;
}
