// ktxhost: the stand-in host program. It loads the plug-in the way the real
// host would and shows what the plug-in registered.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "Binding.hpp"
#include "feat/Builder.hpp"
#include "Props.hpp"
#include "jam/Journal.hpp"
#include "om/ObjectManager.hpp"
#include "script/ScriptHost.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX::DieDesJA {
class CastReliefBuilder;
}
namespace KTX {
class SELECT_OBJECT;
}

namespace {

const char* kUsage =
    "usage: ktxhost COMMAND [PLUGIN]\n"
    "       ktxhost play FILE [--record OUT] [PLUGIN]\n"
    "\n"
    "The stand-in host. PLUGIN defaults to the plug-in built beside it.\n"
    "\n"
    "commands:\n"
    "  load     load the plug-in, print one line per class it registers (class,\n"
    "           superclass, attribute count, class flags in hex), unload it and\n"
    "           print its exit steps in the order they ran\n"
    "  journal  load the plug-in and print what its journaling units register\n"
    "           (creator method names, file and class initializers); drive a\n"
    "           cast-relief builder through four of its exported scripting\n"
    "           calls and print the journal the host recorded, as text; unload\n"
    "           the plug-in and print the journaling exit steps in the order\n"
    "           they ran\n"
    "  play     load the plug-in, play the journal FILE (the journal text of\n"
    "           host/README.md) against a new part through the exported\n"
    "           scripting calls, as a script would, and print what the part\n"
    "           then holds: its features with their parameters, and its\n"
    "           bodies; with --record, also write the journal recorded while\n"
    "           playing to OUT\n"
    KTXHOST_PROPS_USAGE
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

// The journaling library's calls made since `from`, whose names are listed.
void printJournalCalls(std::size_t from, const std::vector<std::string>& names) {
  const auto& calls = KTX::Host::Calls();
  for (std::size_t i = from; i < calls.size(); ++i)
    for (const std::string& name : names)
      if (calls[i].name == name) std::printf("%s %s\n", calls[i].name.c_str(), calls[i].args.c_str());
}

int journal(const char* plugin) {
  KTX::Host::ClearCalls();
  void* handle = dlopen(plugin, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "ktxhost: cannot load %s: %s\n", plugin, dlerror());
    return 1;
  }
  printJournalCalls(0, {"JAM_register_creator_method_name", "FileInitializer", "ClassInitializer"});

  // A script's view of the builder: an object and the exported calls, with
  // the types the exports have.
  using Builder = KTX::DieDesJA::CastReliefBuilder;
  using SetLogical = int (*)(Builder*, bool);
  using SetDouble = int (*)(Builder*, double);
  using GetDouble = int (*)(Builder*, double*);
  using GetObject = int (*)(Builder*, KTX::SELECT_OBJECT**);
  auto setSupport = reinterpret_cast<SetLogical>(dlsym(handle, "XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting"));
  auto setTolerance = reinterpret_cast<SetDouble>(dlsym(handle, "XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance"));
  auto getTolerance = reinterpret_cast<GetDouble>(dlsym(handle, "XJA_CAST_RELIEF_BUILDER_get_DistanceTolerance"));
  auto getTarget = reinterpret_cast<GetObject>(dlsym(handle, "XJA_CAST_RELIEF_BUILDER_get_Target"));
  int classId = KTX::OM::OM_ask_class_id("KTX::DieDesJA::CastReliefBuilder");
  int result = 0;
  if (setSupport == nullptr || setTolerance == nullptr || getTolerance == nullptr || getTarget == nullptr ||
      classId == 0) {
    std::fprintf(stderr, "ktxhost: the plug-in publishes no cast-relief builder\n");
    result = 1;
  } else {
    auto* made = static_cast<KTX::OM::TaggedObject*>(
        KTX::OM::ObjectFactory::CreateObject(classId, KTX::OM::OM_memory_type_persistent, nullptr));
    // The plug-in's class stays opaque here: its pointer is the object's.
    auto* builder = reinterpret_cast<Builder*>(made);
    double tolerance = 0;
    KTX::SELECT_OBJECT* target = nullptr;
    int statuses[] = {setSupport(builder, true), setTolerance(builder, 0.01), getTolerance(builder, &tolerance),
                      getTarget(builder, &target)};
    std::printf("statuses %d %d %d %d\n", statuses[0], statuses[1], statuses[2], statuses[3]);
    std::fputs(KTX::JAM::WriteJournal(KTX::JAM::Recorded()).c_str(), stdout);
    made->destroy();
  }

  std::size_t loaded = KTX::Host::Calls().size();
  if (dlclose(handle) != 0) {
    std::fprintf(stderr, "ktxhost: cannot unload %s: %s\n", plugin, dlerror());
    return 1;
  }
  printJournalCalls(loaded, {"~ClassInitializer", "~FileInitializer", "JAM_destroy_class"});
  return result;
}

bool readFile(const std::string& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  *text = all.str();
  return true;
}

int play(int argc, char** argv) {
  std::string file, out;
  const char* plugin = KTXHOST_DEFAULT_PLUGIN;
  int given = 0;
  for (int i = 2; i < argc; ++i) {
    std::string arg = argv[i];
    if (arg == "--record" && i + 1 < argc) {
      out = argv[++i];
    } else if (given == 0) {
      file = arg;
      ++given;
    } else if (given == 1) {
      plugin = argv[i];
      ++given;
    } else {
      std::fprintf(stderr, "ktxhost: play: unexpected argument '%s'\n\n%s", argv[i], kUsage);
      return 2;
    }
  }
  if (file.empty()) {
    std::fprintf(stderr, "ktxhost: play: no journal given\n\n%s", kUsage);
    return 2;
  }
  std::string text;
  if (!readFile(file, &text)) {
    std::fprintf(stderr, "ktxhost: cannot read %s\n", file.c_str());
    return 1;
  }
  KTX::JAM::Journal journal;
  try {
    journal = KTX::JAM::ReadJournal(text);
  } catch (const KTX::Error::Exception& e) {
    std::fprintf(stderr, "ktxhost: %s: %s\n", file.c_str(), e.what());
    return 1;
  }

  void* handle = dlopen(plugin, RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    std::fprintf(stderr, "ktxhost: cannot load %s: %s\n", plugin, dlerror());
    return 1;
  }
  KTXHost::BindPlugin(handle);
  // The dialogs' previews are linked against the plug-in: loaded now, they
  // bind to the plug-in just loaded.
  void* previews = dlopen(KTXHOST_PREVIEWS, RTLD_NOW | RTLD_LOCAL);
  auto previewer = previews != nullptr
                       ? reinterpret_cast<KTX::Script::Previewer>(dlsym(previews, "KTXHOST_preview"))
                       : nullptr;
  if (previewer == nullptr) {
    std::fprintf(stderr, "ktxhost: cannot load the previews %s: %s\n", KTXHOST_PREVIEWS, dlerror());
    if (previews != nullptr) dlclose(previews);
    KTX::Script::UnbindPlugin();
    dlclose(handle);
    return 1;
  }
  KTX::Script::SetPreviewer(previewer);

  // A new part, the work part while the journal plays.
  KTX::PART_part* part = KTX::PART_part::Create(0);
  KTX::PART_set_work_part(part);
  KTX::JAM::ClearJournal();
  std::string error;
  bool played = KTX::Script::Play(journal, &error);
  if (played) std::fputs(KTX::Script::DescribePart(part).c_str(), stdout);
  int result = played ? 0 : 1;
  if (!played) std::fprintf(stderr, "ktxhost: %s: %s\n", file.c_str(), error.c_str());
  if (!out.empty()) {
    std::ofstream recorded(out, std::ios::binary);
    recorded << KTX::JAM::WriteJournal(KTX::JAM::Recorded());
    if (!recorded) {
      std::fprintf(stderr, "ktxhost: cannot write %s\n", out.c_str());
      result = 1;
    }
  }

  part->destroy();
  KTX::PART_set_work_part(nullptr);
  KTX::Script::UnbindPlugin();
  KTX::Script::SetPreviewer(nullptr);
  dlclose(previews);
  if (dlclose(handle) != 0) {
    std::fprintf(stderr, "ktxhost: cannot unload %s: %s\n", plugin, dlerror());
    return 1;
  }
  return result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
    std::fputs(kUsage, argc < 2 ? stderr : stdout);
    return argc < 2 ? 2 : 0;
  }
  std::string command = argv[1];
  if (command == "props") return KTX::HostProgram::Props(argc - 2, argv + 2, KTXHOST_DEFAULT_PLUGIN);
  if (command == "play") return play(argc, argv);
  const char* plugin = argc > 2 ? argv[2] : KTXHOST_DEFAULT_PLUGIN;
  if (command == "load") return load(plugin);
  if (command == "journal") return journal(plugin);
  std::fprintf(stderr, "ktxhost: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return 2;
}
