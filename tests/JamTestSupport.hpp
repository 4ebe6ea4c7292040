// Helpers the scripting-class suites share: what the plug-in exports, what
// the journaling library was asked, and what ktxhost prints when run apart.
#pragma once
#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <signal.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "jam/Jam.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/CallLog.hpp"

namespace stamvik_test {

// A host test that starts and ends with the journaling library's test state
// cleared (journal, claims, verdict, raise requests, print switches, pauses);
// the registrations stay.
class JamTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    KTX::JAM::Test::Reset();
  }
  void TearDown() override {
    KTX::JAM::Test::Reset();
    HostTest::TearDown();
  }
};

// The host calls of the journaling library (and undo logging when withLog),
// as "name args". Whether a dependency is registered yet does not matter to
// the suites, so that remark is dropped. A suite that does not look at the
// defaults queries leaves them out with withDefaultsQueries false.
inline std::vector<std::string> JamCalls(bool withLog = true, bool withDefaultsQueries = true) {
  std::vector<std::string> out;
  for (const KTX::Host::Call& c : KTX::Host::Calls()) {
    bool jam = c.name.rfind("JAM_", 0) == 0 || c.name.rfind("FileInitializer", 0) == 0 ||
               c.name == "JournalPauser" || (withDefaultsQueries && c.name == "needs_defaults");
    if (!jam && !(withLog && c.name == "OM__log")) continue;
    std::string args = c.args;
    if (std::size_t at = args.find(" (not registered)"); at != std::string::npos) args.erase(at);
    out.push_back(args.empty() ? c.name : c.name + " " + args);
  }
  return out;
}

// The first calls of the journaling library (undo logging left out), no more
// than n: a class's set-up checked up to the point a test cares about.
inline std::vector<std::string> FirstJamCalls(std::size_t n) {
  std::vector<std::string> calls = JamCalls(false);
  calls.resize(std::min(calls.size(), n));
  return calls;
}

// The names of the list that are among the wanted ones, in the list's order:
// equal to the wanted list when each of them is there once and they come in
// that order, whatever else stands between them.
inline std::vector<std::string> OnlyThese(const std::vector<std::string>& names,
                                          const std::vector<std::string>& wanted) {
  std::vector<std::string> kept;
  for (const std::string& name : names)
    if (std::find(wanted.begin(), wanted.end(), name) != wanted.end()) kept.push_back(name);
  return kept;
}

// Whether this process has set the journal class up already (each test runs
// in its own process under ctest, but not when a suite's binary runs whole).
inline bool AlreadySetUp(const char* journalClass) {
  KTX::JAM::Test::TypeView view;
  return KTX::JAM::Test::DescribeClass(journalClass, &view) && view.created;
}

// "path=text" of every named attribute write in the call log, the object's
// tag (as text) and its space cut from the front. With onlyThatObject the
// writes on other objects are left out; without, every write is taken to be
// on that object.
inline std::vector<std::string> NamedWrites(const std::string& objectTag, bool onlyThatObject = false) {
  std::vector<std::string> out;
  std::string prefix = objectTag + " ";
  for (const KTX::Host::Call& c : KTX::Host::Calls())
    if (c.name == "JAM_set_named_attribute_value" && (!onlyThatObject || c.args.rfind(prefix, 0) == 0))
      out.push_back(c.args.substr(prefix.size()));
  return out;
}

// Each row as a write made while journaling was paused.
inline std::vector<std::string> Paused(std::vector<std::string> rows) {
  for (std::string& row : rows) row += " (paused)";
  return rows;
}

// A program run from an argument vector, no shell between (the program found
// on PATH when its name has no '/'): what it wrote to stdout, whole, and its
// status as waitpid gives it (-1 when it could not be started). Its standard
// error goes to the file `errors` names, to stdout with the output when
// `errors` is null, or nowhere.
struct ProgramRun {
  int status = -1;
  std::string out;
};

inline ProgramRun RunProgram(const std::vector<std::string>& arguments, const char* errors = "/dev/null") {
  ProgramRun run;
  int out[2];
  if (arguments.empty() || ::pipe(out) != 0) return run;
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  if (errors == nullptr)
    posix_spawn_file_actions_adddup2(&actions, out[1], STDERR_FILENO);
  else
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errors, O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addclose(&actions, out[1]);
  pid_t child = -1;
  const int spawned = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  char buffer[4096];
  for (ssize_t n; (n = ::read(out[0], buffer, sizeof buffer)) > 0;) run.out.append(buffer, static_cast<std::size_t>(n));
  ::close(out[0]);
  if (spawned == 0) ::waitpid(child, &run.status, 0);
  return run;
}

// The text's lines, without their ends.
inline std::vector<std::string> LinesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// The plug-in's defined dynamic symbols with their addresses, as nm lists them.
inline std::map<std::string, std::string> DynamicSymbolAddresses() {
  std::map<std::string, std::string> symbols;
  for (const std::string& line : LinesOf(RunProgram({"nm", "-D", "--defined-only", STAMVIK_PLUGIN}).out)) {
    char address[64], type[8], name[400];
    if (std::sscanf(line.c_str(), "%63s %7s %399s", address, type, name) == 3) symbols[name] = address;
  }
  return symbols;
}

// The plug-in's defined dynamic symbols.
inline std::set<std::string> DynamicSymbols() {
  std::set<std::string> names;
  for (const auto& [name, address] : DynamicSymbolAddresses()) names.insert(name);
  return names;
}

// The plug-in's defined dynamic symbols that begin with the prefix.
inline std::set<std::string> ExportsStartingWith(const std::string& prefix) {
  std::set<std::string> names;
  for (const std::string& name : DynamicSymbols())
    if (name.rfind(prefix, 0) == 0) names.insert(name);
  return names;
}

// Each member's name behind the class's export prefix.
inline std::set<std::string> Prefixed(const std::string& prefix, const std::vector<std::string>& members) {
  std::set<std::string> names;
  for (const std::string& m : members) names.insert(prefix + m);
  return names;
}

// Operation zero of both implementations of a class, fetched by its journal
// class name, answers the interface id; the two are distinct objects.
template <class Interface>
void ExpectInterfaceId(const char* journalClass, unsigned int id) {
  auto* journalled = static_cast<Interface*>(KTX::JAM::ClassInitializer::GetJournalledInterface(journalClass));
  auto* unjournalled = static_cast<Interface*>(KTX::JAM::ClassInitializer::GetUnjournalledInterface(journalClass));
  ASSERT_NE(journalled, nullptr) << journalClass;
  ASSERT_NE(unjournalled, nullptr) << journalClass;
  EXPECT_NE(static_cast<void*>(journalled), static_cast<void*>(unjournalled)) << journalClass;
  EXPECT_EQ(journalled->GetInterfaceId(), id) << journalClass;
  EXPECT_EQ(unjournalled->GetInterfaceId(), id) << journalClass;
}

// A whole text file (empty when it cannot be read).
inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// What ktxhost prints when run with the arguments (its standard error too
// when `withErrors`), line by line; its status as waitpid gives it goes to
// status when asked for.
inline std::vector<std::string> KtxhostOutput(std::vector<std::string> arguments, int* status = nullptr,
                                              bool withErrors = false) {
  arguments.insert(arguments.begin(), KTXHOST_PROGRAM);
  const ProgramRun run = RunProgram(arguments, withErrors ? nullptr : "/dev/null");
  if (status != nullptr) *status = run.status;
  return LinesOf(run.out);
}

// A program run from an argument vector with no shell between (the program
// found on PATH when its name has no '/'): what it wrote to stdout and to
// stderr, whole, and its exit status (-1 when it did not exit of itself or
// could not be started; 124, as timeout(1) gives, when it was stopped past
// its time).
struct CommandRun {
  int status = -1;
  std::string out;
  std::string err;
};

// How it runs: in which folder, with which variables set over the caller's
// environment ("NAME=VALUE") and which of its variables left out (names),
// for how long at most, where its stderr goes (kept apart in `err`, or
// with stdout in `out`), whether its stdout goes to /dev/null; with a limit on the size of the files it writes
// (bytes; none when negative), and with a folder mounted read-only over
// itself in a mount namespace of its own (needs root).
struct CommandOptions {
  std::string folder;
  std::vector<std::string> environment;
  std::vector<std::string> unset;
  int timeoutSeconds = 0;
  bool errorsWithOutput = false;
  bool outputDropped = false;
  long long fileSizeLimit = -1;
  std::string readOnlyFolder;
};

inline CommandRun RunCommand(const std::vector<std::string>& arguments, const CommandOptions& options = {}) {
  CommandRun run;
  int out[2], err[2];
  if (arguments.empty() || ::pipe2(out, O_CLOEXEC) != 0) return run;
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return run;
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  // The caller's environment, each variable given replacing its own, those
  // to unset left out.
  std::vector<std::string> variables;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string variable = *e;
    const std::string name = variable.substr(0, variable.find('=') + 1);
    if (std::none_of(options.environment.begin(), options.environment.end(),
                     [&](const std::string& given) { return given.rfind(name, 0) == 0; }) &&
        std::none_of(options.unset.begin(), options.unset.end(),
                     [&](const std::string& left) { return left + "=" == name; }))
      variables.push_back(variable);
  }
  variables.insert(variables.end(), options.environment.begin(), options.environment.end());
  std::vector<char*> envp;
  for (std::string& variable : variables) envp.push_back(variable.data());
  envp.push_back(nullptr);
  // The child makes only calls a child of a process with threads may make.
  const char* folder = options.folder.empty() ? nullptr : options.folder.c_str();
  const char* readOnly = options.readOnlyFolder.empty() ? nullptr : options.readOnlyFolder.c_str();
  const pid_t child = ::fork();
  if (child == 0) {
    if (folder != nullptr && ::chdir(folder) != 0) ::_exit(127);
    if (options.fileSizeLimit >= 0) {
      const struct rlimit limit = {static_cast<rlim_t>(options.fileSizeLimit), static_cast<rlim_t>(options.fileSizeLimit)};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
    }
    if (readOnly != nullptr &&
        (::unshare(CLONE_NEWNS) != 0 || ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
         ::mount(readOnly, readOnly, nullptr, MS_BIND, nullptr) != 0 ||
         ::mount(readOnly, readOnly, nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0))
      ::_exit(126);
    const int output = options.outputDropped ? ::open("/dev/null", O_WRONLY) : out[1];
    if (output < 0 || ::dup2(output, STDOUT_FILENO) < 0 ||
        ::dup2(options.errorsWithOutput ? out[1] : err[1], STDERR_FILENO) < 0)
      ::_exit(127);
    ::execvpe(argv[0], argv.data(), envp.data());
    ::_exit(127);
  }
  const int spawned = child > 0 ? 0 : -1;
  ::close(out[1]);
  ::close(err[1]);
  // Both outputs read as they come (a full pipe would stop the program),
  // until both end; past its time the program is stopped, as timeout(1)
  // stops it (SIGTERM; SIGKILL if it is still there ten seconds later).
  const auto start = std::chrono::steady_clock::now();
  bool stopped = false, killed = false;
  struct pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  for (int open = 2; open > 0 && spawned == 0;) {
    int wait = -1;
    if (options.timeoutSeconds > 0 && !killed) {
      const auto due = start + std::chrono::seconds(options.timeoutSeconds + (stopped ? 10 : 0));
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(due - std::chrono::steady_clock::now());
      wait = static_cast<int>(std::max<long long>(0, left.count()));
    }
    const int ready = ::poll(fds, 2, wait);
    if (ready == 0) {
      ::kill(child, stopped ? SIGKILL : SIGTERM);
      killed = stopped;
      stopped = true;
      continue;
    }
    if (ready < 0 && errno != EINTR) break;
    char buffer[4096];
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        (i == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open;
      }
    }
  }
  for (const struct pollfd& fd : fds)
    if (fd.fd >= 0) ::close(fd.fd);
  if (spawned != 0) return run;
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  run.status = stopped ? 124 : WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The property owner registered for a journal class (a failure when none).
inline KTX::Property::Owner* OwnerOf(const char* journalClass) {
  KTX::Property::Owner* owner = KTX::JAM::PropertyMapper::GetOwner(journalClass);
  EXPECT_NE(owner, nullptr) << journalClass;
  return owner;
}

// The journal after the owner writes back all it reads of the object, the
// journal cleared in between: what a script's round trip would record.
inline const KTX::JAM::Journal& WriteBackAll(KTX::Property::Owner* owner, KTX::OM::Object* object) {
  KTX::Property::List list;
  owner->GetProperties(object, list);
  KTX::JAM::ClearJournal();
  owner->SetProperties(object, list);
  return KTX::JAM::Recorded();
}

// Stands in for a parent property owner for the length of a test: notes what
// reaches it and hands it on to the real one.
class OwnerRecorder final : public KTX::JAM::TaggedObjectPropertyOwner {
 public:
  explicit OwnerRecorder(KTX::Property::Owner* real) : real_(real) {}
  std::vector<std::string> requests;  // "operation name"

  int GetProperties(KTX::OM::Object* object, KTX::Property::List& list) override {
    requests.push_back("GetProperties");
    return real_->GetProperties(object, list);
  }
  int SetProperties(KTX::OM::Object* object, KTX::Property::List& list) override {
    requests.push_back("SetProperties");
    return real_->SetProperties(object, list);
  }
  KTX::Property::Value* GetProperty(KTX::OM::Object* object, const char* name) override {
    requests.push_back(std::string("GetProperty ") + name);
    return real_->GetProperty(object, name);
  }
  int SetProperty(KTX::OM::Object* object, const char* name, const KTX::Property::Value* value) override {
    requests.push_back(std::string("SetProperty ") + name);
    return real_->SetProperty(object, name, value);
  }

 private:
  KTX::Property::Owner* real_;
};

// Puts a recorder in place of a parent class's property owner for the length
// of a test; Restore (from the fixture's TearDown, before the host's counters
// are checked) registers the real owner again and lets the recorder go.
template <class Recorder = OwnerRecorder>
class ParentOwnerStandIn {
 public:
  ParentOwnerStandIn() = default;
  ParentOwnerStandIn(const ParentOwnerStandIn&) = delete;
  ParentOwnerStandIn& operator=(const ParentOwnerStandIn&) = delete;
  ~ParentOwnerStandIn() { Restore(); }

  // The recorder, registered for the class under its parent class and handing
  // on to the class's real owner. Where an owner takes the parent of the
  // class it was registered for last, an aside class (registered with the
  // real owner under the same parent) lets the real owner keep its parent
  // while the recorder holds the class.
  Recorder& Record(const char* journalClass, const char* parentClass, const char* aside = nullptr) {
    Restore();
    journalClass_ = journalClass;
    parentClass_ = parentClass;
    real_ = KTX::JAM::PropertyMapper::GetOwner(journalClass);
    if (aside != nullptr) KTX::JAM::PropertyMapper::RegisterPropertyOwner(aside, parentClass, real_);
    recorder_ = std::make_unique<Recorder>(real_);
    KTX::JAM::PropertyMapper::RegisterPropertyOwner(journalClass, parentClass, recorder_.get());
    return *recorder_;
  }

  void Restore() {
    if (recorder_ == nullptr) return;
    KTX::JAM::PropertyMapper::RegisterPropertyOwner(journalClass_, parentClass_, real_);
    recorder_.reset();
  }

 private:
  const char* journalClass_ = nullptr;
  const char* parentClass_ = nullptr;
  KTX::Property::Owner* real_ = nullptr;
  std::unique_ptr<Recorder> recorder_;
};

// Expected call lists written as rows: each name behind a prefix, and two
// lists one after the other. A suite takes them with
// `using namespace stamvik_test::lists;`.
namespace lists {
inline std::vector<std::string> Prefixed(const std::string& prefix, const std::vector<std::string>& names) {
  std::vector<std::string> out;
  for (const std::string& n : names) out.push_back(prefix + n);
  return out;
}
inline std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}
}  // namespace lists

// A scripting class's set-up, logged. Each case runs first in its process
// (each test runs alone under ctest); the dependencies are set up beforehand,
// so that the class's own calls are the only ones logged.
class ScriptingClassSetUp : public JamTest {
 protected:
  // Sets the class up by name and returns what it called, the request included.
  std::vector<std::string> SetUpClass(const char* journalClass, const std::vector<std::string>& dependencies) {
    if (AlreadySetUp(journalClass)) return {};
    for (const std::string& d : dependencies) KTX::JAM::FileInitializer::Initialize(d.c_str());
    KTX::Host::ClearCalls();
    KTX::JAM::FileInitializer::Initialize(journalClass);
    std::vector<std::string> calls = JamCalls(false);
    // Set up once: asking again runs nothing more.
    KTX::Host::ClearCalls();
    KTX::JAM::FileInitializer::Initialize(journalClass);
    EXPECT_EQ(JamCalls(false), std::vector<std::string>{std::string("FileInitializer::Initialize ") + journalClass});
    return calls;
  }
};

#define SKIP_WHEN_SET_UP(calls) \
  if ((calls).empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process"

// The test print's calls and its asks whether printing is on, each as the
// call name's last word and its arguments.
inline std::vector<std::string> TestPrints() {
  std::vector<std::string> out;
  for (const KTX::Host::Call& c : KTX::Host::Calls())
    if (c.name.rfind("JAM_test_print_", 0) == 0 || c.name == "Autotest::APIPrintEnabled")
      out.push_back(c.name.substr(c.name.rfind('_') + 1) + " " + c.args);
  return out;
}

// The 16 feature and group classes of the plug-in's load table, each under
// the parent the table names.
struct FeatureClassRow {
  const char* journalClass;
  const char* parent;
};

inline constexpr FeatureClassRow kFeatureClasses[] = {
    {"Die.CastRelief", "Features.BodyFeature"},
    {"Die.ClampingSlot", "Features.BodyFeature"},
    {"Die.Clearance", "Features.BodyFeature"},
    {"Die.DieShoe", "Features.BodyFeature"},
    {"Die.DrawBead", "Features.BodyFeature"},
    {"Die.FillArea", "Features.BodyFeature"},
    {"Die.FingerClearanceNotch", "Features.BodyFeature"},
    {"Die.HandlingCore", "Features.BodyFeature"},
    {"Die.Heelpost", "Features.BodyFeature"},
    {"Die.Keyway", "Features.BodyFeature"},
    {"Die.MachineRelief", "Features.BodyFeature"},
    {"Die.SpringbackCompensation", "Features.BodyFeature"},
    {"Features.CompensateRoughData", "Features.BodyFeature"},
    {"Features.Manikin", "Features.Feature"},
    {"Features.TireEnvelope", "Features.BodyFeature"},
    {"Tooling.AutoDieGroup", "TaggedObject"},
};

// A script's undo mark, the journal's `mark`, and the undo to it, as a
// journal's records.
inline std::string SetMarkRecord(int mark) {
  return "record 0 method \"Session\" \"SetUndoMark\"\n  in string \"name\" - \"row\"\n  result int \"mark\" - " +
         std::to_string(mark) + "\n  closed 0\n";
}
inline std::string UndoToMarkRecord(int mark) {
  return "record 0 method \"Session\" \"UndoToMark\"\n  in int \"mark\" - " + std::to_string(mark) +
         "\n  closed 0\n";
}

}  // namespace stamvik_test
