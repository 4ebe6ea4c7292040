// ktxhost: the stand-in host program. It loads the plug-in the way the real
// host would and shows what the plug-in registered.
#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/random.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <istream>
#include <ostream>
#include <streambuf>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Binding.hpp"
#include "Options.hpp"
#include "feat/Builder.hpp"
#include "Props.hpp"
#include "Published.hpp"
#include "jam/Journal.hpp"
#include "kernel/Kernel.hpp"
#include "om/ObjectManager.hpp"
#include "script/ScriptHost.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Failure.hpp"
#include "sys/Files.hpp"
#include "sys/Listing.hpp"
#include "sys/Replace.hpp"
#include "sys/Trusted.hpp"
#include "sys/UserMessages.hpp"

namespace {

using KTX::HostProgram::Arguments;
using KTX::HostProgram::kDone;
using KTX::HostProgram::kExitCodes;
using KTX::HostProgram::kFailed;
using KTX::HostProgram::kPluginOption;
using KTX::HostProgram::kUsageError;
using KTX::HostProgram::Operand;
using KTX::HostProgram::Syntax;

// A play stopped by a signal that ends it (SIGTERM, SIGINT, SIGHUP) removes
// what it would have removed at its end first: its motion files' folder and
// the temporary files of the outputs it was writing. The handler knows the
// folder by its parent's descriptor and its name, set only while it stands,
// and does only what a signal handler may (no allocation, no lock). It is
// set for the whole play; a signal the process was told to ignore (nohup's
// SIGHUP) is left ignored.
namespace stopped {
volatile std::sig_atomic_t parent = -1;
char name[64];
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
struct sigaction before[std::size(kSignals)];
bool caught[std::size(kSignals)];
// The thread that plays: the one thread that holds the stops back.
pid_t player = 0;

// Unlinks what the folder open as `fd` holds, pass after pass while one
// removes something (a listing read as it shrinks may skip a name).
void emptyFolder(int fd) {
  alignas(dirent64) char listing[4096];
  for (int pass = 0; pass < 16; ++pass) {
    bool removed = false;
    ::lseek(fd, 0, SEEK_SET);
    for (long n; (n = ::syscall(SYS_getdents64, fd, listing, sizeof listing)) > 0;)
      for (long at = 0; at < n;) {
        const auto* entry = reinterpret_cast<const dirent64*>(listing + at);
        at += entry->d_reclen;
        const char* entryName = entry->d_name;
        if (std::strcmp(entryName, ".") == 0 || std::strcmp(entryName, "..") == 0) continue;
        removed = ::unlinkat(fd, entryName, 0) == 0 || removed;
      }
    if (!removed) return;
  }
}

extern "C" void removeAndEnd(int signal) {
  const int saved = errno;
  // A stop that reaches another thread (the modeller's) is handed to the
  // playing one, which may hold it back while it removes the folder itself.
  if (const pid_t self = static_cast<pid_t>(::syscall(SYS_gettid)); player != 0 && self != player) {
    ::syscall(SYS_tgkill, ::getpid(), player, signal);
    errno = saved;
    return;
  }
  if (const int folder = parent; folder >= 0) {
    parent = -1;
    if (const int fd = ::openat(folder, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC); fd >= 0) {
      emptyFolder(fd);
      ::close(fd);
    }
    ::unlinkat(folder, name, AT_REMOVEDIR);
  }
  KTX::Files::RemoveTemporariesAtStop();
  // Ended by the signal as it would have been: its default action, raised again.
  struct sigaction fallBack {};
  fallBack.sa_handler = SIG_DFL;
  ::sigemptyset(&fallBack.sa_mask);
  ::sigaction(signal, &fallBack, nullptr);
  errno = saved;
  ::raise(signal);
}

// The stops held back for a scope, delivered as it ends.
class Held {
 public:
  Held() {
    sigset_t stops;
    ::sigemptyset(&stops);
    for (const int signal : kSignals) ::sigaddset(&stops, signal);
    ::pthread_sigmask(SIG_BLOCK, &stops, &before_);
  }
  ~Held() {
    const int saved = errno;
    ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    errno = saved;
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

 private:
  sigset_t before_{};
};

// The handler, set for a play's length; the handlers it found are put back
// at its end, once nothing is left to remove.
class Caught {
 public:
  Caught() {
    player = static_cast<pid_t>(::syscall(SYS_gettid));
    for (std::size_t i = 0; i < std::size(kSignals); ++i) {
      caught[i] = false;
      if (::sigaction(kSignals[i], nullptr, &before[i]) != 0 || before[i].sa_handler == SIG_IGN) continue;
      struct sigaction handler {};
      handler.sa_handler = removeAndEnd;
      ::sigfillset(&handler.sa_mask);
      caught[i] = ::sigaction(kSignals[i], &handler, nullptr) == 0;
    }
  }
  ~Caught() {
    const Held held;
    for (std::size_t i = 0; i < std::size(kSignals); ++i)
      if (caught[i]) ::sigaction(kSignals[i], &before[i], nullptr);
    parent = -1;
    player = 0;
  }
  Caught(const Caught&) = delete;
  Caught& operator=(const Caught&) = delete;
};

// Called with the stops held: the folder is the handler's to remove.
void Watch(int folder, const std::string& folderName) {
  std::snprintf(name, sizeof name, "%s", folderName.c_str());
  parent = folder;
}

// For tests: with KTXHOST_HOLD_REMOVAL set, the play says on its error output
// that it is about to remove its motion files' folder, and waits for a byte
// (or the end) of its standard input first, the stops held.
void PauseBeforeRemovalForTests() {
  const char* hold = std::getenv("KTXHOST_HOLD_REMOVAL");
  if (hold == nullptr || *hold == '\0') return;
  std::fputs("ktxhost: removing the motion files' folder\n", stderr);
  char byte = 0;
  while (::read(0, &byte, 1) < 0 && errno == EINTR) {
  }
}
}  // namespace stopped

// The plug-in writes its motion files into the directory "QDEN_TMP_DIR"
// names. A play that finds none set gives it a directory of its own, made
// when the variable is first asked for (most plays write no motion file),
// and removes it, with whatever was written there, when the play ends: the
// variable is then unset again. A directory the caller set is left alone.
// One that cannot be made is shown as a warning naming the temporary folder
// and why: the plug-in's own failure for want of it follows.
//
// The temporary folder is walked as every reader walks a name (a link
// another user put in a folder others may write is not followed), once: the
// directory is made in the folder reached, and removed from it, through
// that folder's descriptor, never by its name again.
class PlayTemporaryDirectory {
 public:
  PlayTemporaryDirectory() {
    const char* set = std::getenv("QDEN_TMP_DIR");
    if (set != nullptr && *set != '\0') return;
    KTX::Files::MakeVariableOnDemand("QDEN_TMP_DIR", &make, this);
    asked_ = true;
  }
  ~PlayTemporaryDirectory() {
    if (!asked_) return;
    KTX::Files::MakeVariableOnDemand("QDEN_TMP_DIR", nullptr, nullptr);
    if (parent_ < 0) return;
    ::unsetenv("QDEN_TMP_DIR");
    // A stop in the middle of the removal would leave the folder half
    // removed: it waits until the folder is gone, and then ends the play.
    const stopped::Held held;
    stopped::PauseBeforeRemovalForTests();
    removeFolder(parent_, name_);
    stopped::parent = -1;
    ::close(parent_);
  }
  PlayTemporaryDirectory(const PlayTemporaryDirectory&) = delete;
  PlayTemporaryDirectory& operator=(const PlayTemporaryDirectory&) = delete;

  // The plug-in's motion files are named "FOLDER/joints_disp_file.txt" and
  // the like in a buffer of 257 bytes (its kMotionFileNameSize): a name
  // longer than 256 bytes is no motion file (3771762). The longest it makes
  // in a folder of its own is the wheel's design position the clearance
  // writes beside the spindle trace: a folder with room for the trace but
  // not for it would lose the tire body.
  static constexpr std::size_t kLongestMotionFilePath = 256;
  static constexpr std::string_view kLongestMotionFile = "spindle_file_design_position.txt";
  static constexpr std::string_view kPattern = "ktxhost-play-XXXXXX";

 private:
  static std::string make(void* context) {
    auto* self = static_cast<PlayTemporaryDirectory*>(context);
    if (self->parent_ >= 0) return self->directory_;
    const std::string folder = KTX::Files::TemporaryFolder();
    const std::string at = folder + (folder.back() == '/' ? "" : "/");
    std::string why = self->makeIn(at);
    if (why.empty()) return self->directory_;
    // Said once for each reason: each ask that fails again says no more.
    const std::string warning =
        "the folder for the play's motion files cannot be made in the temporary folder \"" + folder + "\": " + why;
    if (warning != self->warned_) KTX::Host::ShowUser(KTX::Host::UserMessage::kWarning, warning);
    self->warned_ = warning;
    return {};
  }

  // Makes the directory in the folder `at` names (ending in '/'); empty, or
  // why it could not.
  std::string makeIn(const std::string& at) {
    const std::size_t longest = at.size() + kPattern.size() + 1 + kLongestMotionFile.size();
    if (longest > kLongestMotionFilePath)
      return "a motion file's name in it would be longer than " + std::to_string(kLongestMotionFilePath) +
             " bytes (" + std::to_string(longest) + "; the temporary folder's name may have at most " +
             std::to_string(at.size() - 1 - (longest - kLongestMotionFilePath)) + ")";
    KTX::Files::Refusal why;
    const int parent = KTX::Files::OpenReached(at.c_str(), O_PATH | O_DIRECTORY, &why);
    if (parent < 0) return why.words;
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::string name(kPattern);
    for (int tries = 0; tries < 100; ++tries) {
      unsigned char random[6] = {};
      if (::getrandom(random, sizeof random, 0) != static_cast<ssize_t>(sizeof random)) break;
      for (std::size_t i = 0; i < sizeof random; ++i)
        name[name.size() - sizeof random + i] = kLetters[random[i] % (sizeof kLetters - 1)];
      // A stop that came between the folder's making and its watch would
      // leave it: the stops wait, held, until the handler knows the folder.
      const stopped::Held held;
      if (::mkdirat(parent, name.c_str(), 0700) == 0) {
        parent_ = parent;
        name_ = name;
        directory_ = at + name;
        stopped::Watch(parent_, name_);
        return {};
      }
      if (errno != EEXIST) break;
    }
    const int error = errno;
    ::close(parent);
    return std::strerror(error);
  }

  // Removes the directory `name` in the folder open as `parent` with what
  // it holds, through descriptors: nothing is looked up by a path.
  static void removeFolder(int parent, const std::string& name) {
    const int fd = ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (DIR* listing = fd >= 0 ? ::fdopendir(fd) : nullptr; listing != nullptr) {
      std::vector<std::string> entries;
      while (const dirent* entry = ::readdir(listing))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
          entries.emplace_back(entry->d_name);
      for (const std::string& entry : entries)
        if (::unlinkat(::dirfd(listing), entry.c_str(), 0) != 0 && (errno == EISDIR || errno == EPERM))
          removeFolder(::dirfd(listing), entry);
      ::closedir(listing);
    } else if (fd >= 0) {
      ::close(fd);
    }
    ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
  }

  bool asked_ = false;  // the directory is made on demand
  int parent_ = -1;     // the temporary folder, once the directory is made in it
  std::string name_;    // the directory's name there
  std::string directory_;
  std::string warned_;  // the last failure shown
};

// Where a play stands, for what the host shows its user while a record plays:
// each message a line "FILE:LINE: note|warning|error|status: text" on the
// error output (a warning with a message number: "warning: NUMBER TEXT").
struct PlayPlace {
  const std::string* file;
  const int* line;
};

// The calls KTX_FAIL_TRACE names, each traced as it is logged while the
// journal plays: "FILE:LINE: KTX_FAIL: N counted: NAME ARGS", N the failure
// switch's count so far (the call itself when it is counted).
struct TracedCalls {
  PlayPlace place;
  std::vector<std::string> names;
};

void traceCall(const std::string& name, const std::string& args, void* context) {
  const auto* traced = static_cast<const TracedCalls*>(context);
  if (std::find(traced->names.begin(), traced->names.end(), name) == traced->names.end()) return;
  std::fprintf(stderr, "%s:%d: KTX_FAIL: %lld counted: %s%s%s\n", traced->place.file->c_str(), *traced->place.line,
               KTX::Failure::Counted(), name.c_str(), args.empty() ? "" : " ", args.c_str());
}

void showUser(KTX::Host::UserMessage kind, const std::string& text, void* context) {
  const auto* place = static_cast<const PlayPlace*>(context);
  static const char* const kKinds[] = {"note", "warning", "error", "status"};
  std::fprintf(stderr, "%s:%d: %s: %s\n", place->file->c_str(), *place->line, kKinds[static_cast<int>(kind)],
               text.c_str());
}

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
  std::string loaderWords;
  void* handle = KTXHost::LoadPlugin("load", plugin, &loaderWords);
  if (handle == nullptr) {
    if (!loaderWords.empty()) std::fprintf(stderr, "ktxhost: cannot load %s: %s\n", plugin, loaderWords.c_str());
    return kFailed;
  }
  std::size_t loaded = KTX::OM::RegistrationEvents().size();
  if (loaded == before) {
    // A library that registers no class is some other library.
    std::fprintf(stderr, "ktxhost load: %s is not the plug-in: it registers no class\n", plugin);
    dlclose(handle);
    return kFailed;
  }
  if (KTXHost::RefusedAsNotThePlugin("load", plugin, handle)) {
    dlclose(handle);
    return kFailed;
  }
  printEvents(before, true);
  if (dlclose(handle) != 0) {
    std::fprintf(stderr, "ktxhost: cannot unload %s: %s\n", plugin, dlerror());
    return kFailed;
  }
  printEvents(loaded, false);
  return kDone;
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
  std::string loaderWords;
  void* handle = KTXHost::LoadPlugin("journal", plugin, &loaderWords);
  if (handle == nullptr) {
    if (!loaderWords.empty()) std::fprintf(stderr, "ktxhost: cannot load %s: %s\n", plugin, loaderWords.c_str());
    return kFailed;
  }
  std::size_t loaded = KTX::Host::Calls().size();
  if (loaded == 0) {
    // A library that registers no journaling unit is some other library.
    std::fprintf(stderr, "ktxhost journal: %s is not the plug-in: it registers no journaling unit\n", plugin);
    dlclose(handle);
    return kFailed;
  }
  if (KTXHost::RefusedAsNotThePlugin("journal", plugin, handle)) {
    dlclose(handle);
    return kFailed;
  }
  printJournalCalls(0, {"JAM_register_creator_method_name", "FileInitializer", "ClassInitializer"});
  if (dlclose(handle) != 0) {
    std::fprintf(stderr, "ktxhost: cannot unload %s: %s\n", plugin, dlerror());
    return kFailed;
  }
  printJournalCalls(loaded, {"~ClassInitializer", "~FileInitializer", "JAM_destroy_class"});
  return kDone;
}

// The outputs of a play, checked before the plug-in is loaded: neither may
// be the journal played (the file opened, by device and inode: a link or
// another spelling is the same file), nor one the other; each must be
// writable.
int checkOutputs(const std::string& journal, const struct stat& played, const std::string& out,
                 const std::string& step) {
  const std::pair<const char*, const std::string*> outputs[] = {{"--record", &out}, {"--step", &step}};
  for (const auto& [option, name] : outputs) {
    if (name->empty()) continue;
    struct stat info {};
    if (*name == journal ||
        (::stat(name->c_str(), &info) == 0 && info.st_dev == played.st_dev && info.st_ino == played.st_ino)) {
      std::fprintf(stderr, "ktxhost play: '%s %s' is the journal played: it would be overwritten (see ktxhost help play)\n",
                   option, name->c_str());
      return kUsageError;
    }
  }
  if (!out.empty() && !step.empty() && (out == step || KTX::Files::SameFile(out, step))) {
    std::fprintf(stderr, "ktxhost play: '--record' and '--step' name the same file '%s' (see ktxhost help play)\n",
                 out.c_str());
    return kUsageError;
  }
  for (const auto& [option, name] : outputs) {
    if (name->empty()) continue;
    if (std::string why = KTX::Files::WhyNotWritable(*name); !why.empty()) {
      std::fprintf(stderr, "ktxhost play: cannot write %s (%s): %s\n", name->c_str(), option, why.c_str());
      return kFailed;
    }
  }
  return kDone;
}

// Why an output the play wrote did not take its name, as its write found
// it: never what stands at the name now, which another process may have
// changed since.
std::string whyNotWritten(const std::string& name, int error) {
  if (error == KTX::Kernel::kModellerFailed) return "the modeller failed to write the file";
  return error != 0 ? KTX::Files::WhyNotWritten(name, error) : "the write failed";
}

// What a play is asked for: the journal, the files it writes, and the
// counted call KTX_FAIL makes fail (none when `failing` is 0).
struct PlayOptions {
  std::string file;
  std::string out;   // --record
  std::string step;  // --step
  bool raw = false;
  unsigned failing = 0;
  long long failAt = 0;
  std::vector<std::string> traced;  // KTX_FAIL_TRACE's call names
};

// The options read and checked, before any file is opened (the outputs are
// checked against the journal once it is open).
int readPlayOptions(const Arguments& arguments, PlayOptions* options) {
  options->file = arguments.Operand(0);
  options->out = arguments.Value("--record", "");
  options->step = arguments.Value("--step", "");
  options->raw = arguments.Given("--raw");
  if (const char* setting = std::getenv("KTX_FAIL"); setting != nullptr && *setting != '\0') {
    std::string why;
    if (!KTX::Failure::ParseSetting(setting, &options->failing, &options->failAt, &why)) {
      std::fprintf(stderr, "ktxhost play: KTX_FAIL=%s: %s (see ktxhost help play)\n", setting, why.c_str());
      return kUsageError;
    }
  }
  if (const char* names = std::getenv("KTX_FAIL_TRACE"); names != nullptr && *names != '\0') {
    // Its counts are the switch's: without KTX_FAIL there are none.
    if (options->failing == 0) {
      std::fprintf(stderr, "ktxhost play: KTX_FAIL_TRACE=%s is given without KTX_FAIL (see ktxhost help play)\n",
                   names);
      return kUsageError;
    }
    const std::string text = names;
    for (std::size_t at = 0;;) {
      const std::size_t end = text.find('+', at);
      const std::string name = text.substr(at, end == std::string::npos ? end : end - at);
      if (name.empty()) {
        std::fprintf(stderr, "ktxhost play: KTX_FAIL_TRACE=%s: a call's name is empty (see ktxhost help play)\n",
                     names);
        return kUsageError;
      }
      options->traced.push_back(name);
      if (end == std::string::npos) break;
      at = end + 1;
    }
  }
  if (options->file == "-") {
    std::fprintf(stderr, "ktxhost play: standard input is not read: give the journal's file (see ktxhost help play)\n");
    return kUsageError;
  }
  return kDone;
}

// The journal, opened once, by the readers' walk (a link another user put in
// a folder others may write is not followed), and without waiting: checked
// and read through that one descriptor. A look by its name before an open
// by its name would let the name be swapped between the two, for a FIFO
// whose open never returns among others.
class JournalFile : public std::streambuf {
 public:
  JournalFile() = default;
  ~JournalFile() override {
    if (fd_ >= 0) ::close(fd_);
  }
  JournalFile(const JournalFile&) = delete;
  JournalFile& operator=(const JournalFile&) = delete;

  // kDone, or kFailed with the reason printed: the walk's own words. Only a
  // regular file is read: a device or a pipe may never end.
  int Open(const std::string& name) {
    KTX::Files::Refusal why;
    fd_ = KTX::Files::OpenReached(name.c_str(), O_RDONLY | O_NONBLOCK, &why);
    if (fd_ >= 0 && ::fstat(fd_, &opened_) != 0) why = {KTX::Files::Refusal::Kind::kSystem, errno, std::strerror(errno)};
    const bool regular = fd_ >= 0 && !why && S_ISREG(opened_.st_mode);
    if (!regular && (fd_ >= 0 || why.kind == KTX::Files::Refusal::Kind::kNoRegularFile || why.error == EISDIR)) {
      std::fprintf(stderr, "ktxhost play: %s: not a regular file (a journal is read from a file)\n", name.c_str());
      return kFailed;
    }
    if (!regular) {
      std::fprintf(stderr, "ktxhost play: %s: %s\n", name.c_str(), why.words.c_str());
      return kFailed;
    }
    // Reads of a regular file do not wait; blocking mode is the usual one.
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
    return kDone;
  }
  // What was opened: the file the outputs must not be, and no writer may replace.
  const struct stat& Opened() const { return opened_; }
  int Descriptor() const { return fd_; }

 protected:
  // Read from the descriptor straight into the buffer the reader takes its
  // lines from: the text is copied once on its way in.
  int_type underflow() override {
    ssize_t n = -1;
    do n = fd_ >= 0 ? ::read(fd_, buffer_, sizeof buffer_) : 0;
    while (n < 0 && errno == EINTR);
    if (n <= 0) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  int fd_ = -1;
  struct stat opened_ {};
  char buffer_[1 << 14];
};

int readFirstRecord(const std::string& file, KTX::JAM::JournalReader* reader, KTX::JAM::Record* record,
                    bool* more) {
  try {
    *more = reader->Next(record);
  } catch (const KTX::Error::Exception& e) {
    std::fprintf(stderr, "%s:%d: %s\n", file.c_str(), e.line(), e.text().c_str());
    return kFailed;
  }
  return kDone;
}

// No file the play writes may take the journal's place (a size file named
// through a link to it): refused by every replacing writer while it plays.
class ProtectedJournal {
 public:
  explicit ProtectedJournal(const JournalFile& journal) { KTX::Files::ProtectOpenedFromWrites(journal.Descriptor()); }
  ~ProtectedJournal() { KTX::Files::ProtectFromWrites({}); }
  ProtectedJournal(const ProtectedJournal&) = delete;
  ProtectedJournal& operator=(const ProtectedJournal&) = delete;
};

// The plug-in and the dialogs' previews, loaded for a play.
struct PlayPlugin {
  void* handle = nullptr;
  void* previews = nullptr;
};

// The dialogs' previews module: the one beside the host library the program
// runs with, as the kernel finds its geometry module, so that a build copied
// elsewhere with its libraries loads its own; the build's when the host
// library cannot be found.
std::string previewsModule() {
  const std::string file = std::filesystem::path(KTXHOST_PREVIEWS).filename().string();
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&KTX::Files::Variable), &info) != 0 && info.dli_fname != nullptr) {
    const std::string library = info.dli_fname;
    if (const auto slash = library.rfind('/'); slash != std::string::npos) return library.substr(0, slash + 1) + file;
  }
  return KTXHOST_PREVIEWS;
}

int loadForPlay(const char* plugin, PlayPlugin* loaded) {
  std::string loaderWords;
  void* handle = KTXHost::LoadPlugin("play", plugin, &loaderWords);
  if (handle == nullptr) {
    if (!loaderWords.empty()) std::fprintf(stderr, "ktxhost: cannot load %s: %s\n", plugin, loaderWords.c_str());
    return kFailed;
  }
  if (KTXHost::RefusedAsNotThePlugin("play", plugin, handle)) {
    dlclose(handle);
    return kFailed;
  }
  if (KTXHost::BindPlugin(handle) == 0) {
    std::fprintf(stderr, "ktxhost play: %s is not the plug-in: it exports no scripting call\n", plugin);
    KTX::Script::UnbindPlugin();
    dlclose(handle);
    return kFailed;
  }
  // The dialogs' previews are linked against the plug-in: loaded now, they
  // bind to the plug-in just loaded.
  // Checked as the plug-in is: it runs as the user as much as the plug-in.
  const std::string module = previewsModule();
  std::string refused;
  void* previews = KTX::Files::LoadTrustedLibrary(module, &refused);
  auto previewer = previews != nullptr
                       ? reinterpret_cast<KTX::Script::Previewer>(dlsym(previews, "KTXHOST_preview"))
                       : nullptr;
  if (previewer == nullptr) {
    if (previews != nullptr) refused = "it defines no KTXHOST_preview";
    std::fprintf(stderr, "ktxhost: cannot load the previews %s: %s\n", module.c_str(), refused.c_str());
    if (previews != nullptr) dlclose(previews);
    KTX::Script::UnbindPlugin();
    dlclose(handle);
    return kFailed;
  }
  KTX::Script::SetPreviewer(previewer);
  KTX::Script::SetCommitFollower(
      reinterpret_cast<KTX::Script::CommitFollower>(dlsym(previews, "KTXHOST_committed")));
  loaded->handle = handle;
  loaded->previews = previews;
  return kDone;
}

// Gives `result`, unless the plug-in cannot be unloaded.
int unloadAfterPlay(const char* plugin, const PlayPlugin& loaded, int result) {
  KTX::Script::UnbindPlugin();
  KTX::Script::SetPreviewer(nullptr);
  KTX::Script::SetCommitFollower(nullptr);
  dlclose(loaded.previews);
  if (dlclose(loaded.handle) != 0) {
    std::fprintf(stderr, "ktxhost: cannot unload %s: %s\n", plugin, dlerror());
    return kFailed;
  }
  return result;
}

// The journal recorded while playing (with --record) is written beside OUT
// and takes its place when the play ends: a play cut short leaves the older
// OUT whole, and whatever leaves the play before the rename removes the
// temporary file (a play killed leaves it to the next play that writes OUT).
class PlayRecorder {
 public:
  explicit PlayRecorder(const std::string& out) {
    if (out.empty()) return;
    temporary_.emplace(out);
    // Why it could not be made, said when the play ends.
    if (!temporary_->Made()) error_ = errno;
    // Written through the file made, never by its path again.
    buffer_ = std::make_unique<KTX::Files::DescriptorBuffer>(temporary_->Descriptor());
    recorded_.rdbuf(buffer_.get());
    if (!temporary_->Made()) recorded_.setstate(std::ios::badbit);
    writer_ = std::make_unique<KTX::JAM::JournalWriter>(recorded_);
  }
  PlayRecorder(const PlayRecorder&) = delete;
  PlayRecorder& operator=(const PlayRecorder&) = delete;

  // What the host recorded, written out (with --record) and let go once no
  // call of it is open.
  void Flush(bool all) {
    if (!all && JAM_ask_open_records() != 0) return;
    if (writer_ != nullptr) {
      for (std::size_t i = 0, n = KTX::JAM::RecordedCount(); i < n; ++i)
        writer_->Write(KTX::JAM::RecordedAt(i), KTX::JAM::RecordedValues(i));
      noteError();
    }
    KTX::JAM::ClearJournal();
  }
  // OUT put in place; false when it cannot be written. Only with --record.
  bool PutInPlace() {
    writer_->Flush();
    recorded_.flush();
    noteError();
    if (!recorded_ || !temporary_->Made()) return false;
    errno = 0;
    if (temporary_->PutInPlace()) return true;
    error_ = errno;
    return false;
  }
  // The system's error of the write that failed (0 when none was set).
  int Error() const { return error_; }

 private:
  // The stream's first failure keeps the error its write set, never what
  // errno holds by then: a stream that was never made wrote nothing, and
  // errno is whatever the play's last failing call left.
  void noteError() {
    if (!recorded_ && error_ == 0 && buffer_ != nullptr) error_ = buffer_->Error();
  }

  int error_ = 0;
  std::optional<KTX::Files::TemporaryBeside> temporary_;
  std::unique_ptr<KTX::Files::DescriptorBuffer> buffer_;
  std::ostream recorded_{nullptr};
  std::unique_ptr<KTX::JAM::JournalWriter> writer_;
};

// How the records played: whether all did, else why and where it stopped.
struct PlayOutcome {
  bool played = true;
  std::string error;
  int line = 0;
};

// The journal's records played in turn from `record`, the first, read.
PlayOutcome playRecords(KTX::JAM::JournalReader* reader, KTX::JAM::Record* record, bool more,
                        KTX::Script::Player* player, PlayRecorder* recorder) {
  PlayOutcome outcome;
  try {
    for (std::size_t index = 0; more && outcome.played; ++index) {
      outcome.played = player->Play(*record, index, &outcome.error, &outcome.line);
      recorder->Flush(false);
      if (outcome.played) more = reader->Next(record);
    }
  } catch (const KTX::Error::Exception& e) {
    outcome.played = false;
    outcome.error = e.text();
    // The reader's refusals carry the journal's line; another host error
    // carries the line of the source that raised it, which is none of the
    // journal's: it stopped the record that was playing.
    outcome.line = e.askCode() == KTX::JAM::kJournalText ? e.line() : record->line;
  } catch (const std::exception& e) {
    // Not the host's error (no memory, the library's own): the play stops
    // at the record that was playing, as for a host error.
    outcome.played = false;
    outcome.error = std::string("the play stopped: ") + e.what();
    outcome.line = record->line;
  } catch (...) {
    outcome.played = false;
    outcome.error = "the play stopped: an exception that is no std::exception";
    outcome.line = record->line;
  }
  return outcome;
}

// What the play ends with: the failure switch's call, the part and the
// listing (or where the play stopped), the STEP file and the recorded
// journal written; gives the play's status.
int reportPlay(const PlayOptions& options, const PlayOutcome& outcome, const KTX::PART_part* part,
               const KTX::Script::Player& player, PlayRecorder* recorder) {
  if (options.failing != 0) {
    const long long counted = KTX::Failure::Off();
    if (KTX::Failure::FailedCall().empty())
      std::fprintf(stderr, "ktxhost: KTX_FAIL: the play made %lld counted calls; none failed\n", counted);
    else
      std::fprintf(stderr, "ktxhost: KTX_FAIL: call %lld failed: %s\n", options.failAt,
                   KTX::Failure::FailedCall().c_str());
  }
  recorder->Flush(true);
  KTX::Host::SetBuildersMode(0);
  const bool played = outcome.played;
  if (played) {
    std::fputs(
        (options.raw ? KTX::Script::DescribePart(part) : KTX::Script::ReportPart(part, player.Summary())).c_str(),
        stdout);
    // What the play wrote to the listing window, as it stands there.
    for (const std::string& listed : KTX::Listing::Lines()) std::fputs(listed.c_str(), stdout);
  }
  int result = played ? kDone : kFailed;
  if (!played) std::fprintf(stderr, "%s:%d: %s\n", options.file.c_str(), outcome.line, outcome.error.c_str());
  if (played && !options.step.empty()) {
    const std::vector<int> bodies = KTX::Script::GeometryBodies(part);
    if (bodies.empty()) {
      std::fprintf(stderr, "ktxhost play: no body of the part has geometry: %s is not written\n",
                   options.step.c_str());
      result = kFailed;
    } else {
      errno = 0;
      if (KTX::Kernel::WriteStep(bodies, options.step) != 0) {
        std::fprintf(stderr, "ktxhost play: cannot write %s (--step): %s\n", options.step.c_str(),
                     whyNotWritten(options.step, errno).c_str());
        result = kFailed;
      }
    }
  }
  if (!options.out.empty() && !recorder->PutInPlace()) {
    std::fprintf(stderr, "ktxhost play: cannot write %s (--record): %s\n", options.out.c_str(),
                 whyNotWritten(options.out, recorder->Error()).c_str());
    result = kFailed;
  }
  return result;
}

int play(const Arguments& arguments, const char* plugin) {
  PlayOptions options;
  if (int read = readPlayOptions(arguments, &options); read != kDone) return read;
  JournalFile journal;
  if (int opened = journal.Open(options.file); opened != kDone) return opened;
  if (int checked = checkOutputs(options.file, journal.Opened(), options.out, options.step); checked != kDone)
    return checked;
  std::istream in(&journal);
  // The journal is read as it is played, a record at a time, and nothing
  // played is kept: a journal of any length plays in the same memory. Its
  // first record is read before the plug-in is loaded, so that what is no
  // journal is refused without it.
  KTX::JAM::JournalReader reader(in);
  KTX::JAM::Record record;
  bool more = false;
  if (int first = readFirstRecord(options.file, &reader, &record, &more); first != kDone) return first;

  const stopped::Caught stops;
  PlayTemporaryDirectory temporary;
  ProtectedJournal protectedJournal(journal);
  // Nothing here reads the host's call log: a played call does not feed it.
  KTX::Host::SetLogging(false);
  PlayPlugin loaded;
  if (int bound = loadForPlay(plugin, &loaded); bound != kDone) return bound;

  // A new part, the work part while the journal plays.
  KTX::PART_part* part = KTX::PART_part::Create(0);
  KTX::PART_set_work_part(part);
  KTX::JAM::ClearJournal();
  PlayRecorder recorder(options.out);
  KTX::Script::Player player;
  // Builders made while a journal plays run in the interactive mode.
  KTX::Host::SetBuildersMode(1);
  KTX::Listing::Reset();
  const PlayPlace place{&options.file, &record.line};
  KTX::Host::SetUserMessageSink(&showUser, const_cast<PlayPlace*>(&place));
  const TracedCalls traced{place, options.traced};
  if (!traced.names.empty()) KTX::Host::SetCallWatcher(&traceCall, const_cast<TracedCalls*>(&traced));
  if (options.failing != 0) KTX::Failure::FailAt(options.failing, options.failAt);
  const PlayOutcome outcome = playRecords(&reader, &record, more, &player, &recorder);
  KTX::Host::SetCallWatcher(nullptr, nullptr);
  const int result = reportPlay(options, outcome, part, player, &recorder);

  part->destroy();
  KTX::Host::SetUserMessageSink(nullptr, nullptr);
  KTX::PART_set_work_part(nullptr);
  return unloadAfterPlay(plugin, loaded, result);
}

// Each command's table and help; the usage line is made from the table.
const Syntax kLoadSyntax{"load", {kPluginOption}, {}};
const char* kLoadHelp =
    "Loads the plug-in, prints one line per class it registers (class,\n"
    "superclass, attribute count, class flags in hex), unloads it and prints its\n"
    "exit steps in the order they ran.\n";

const Syntax kJournalSyntax{"journal", {kPluginOption}, {}};
const char* kJournalHelp =
    "Loads the plug-in and prints what its journaling units register (creator\n"
    "method names, file and class initializers); unloads the plug-in and prints\n"
    "the journaling exit steps in the order they ran.\n";

const Syntax kPlaySyntax{"play",
                         {{"--record", "OUT", "a file to write"},
                          {"--step", "OUT", "a file to write"},
                          {"--raw", nullptr, nullptr},
                          kPluginOption},
                         {{"FILE", "journal", Operand::kRequired}},
                         /*dashIsOperand=*/true};
const char* kPlayHelp =
    "Loads the plug-in, plays the journal FILE (the journal text of\n"
    "host/jam/README.md) against a new part through the exported scripting calls,\n"
    "as a script would, and prints what the part then holds: its features with\n"
    "their parameters, and its bodies, each object by the host's tag and the\n"
    "journal's, then the number of bodies and a summary line (records played,\n"
    "features, bodies alive, status); --raw prints the part by the host's tags\n"
    "alone, without the summary. What the play wrote to the listing window\n"
    "follows, line by line. Builders made while it plays run in the interactive\n"
    "mode (1).\n"
    "\n"
    "Every record is checked against the member it calls before it is played; a\n"
    "record that is wrong stops the play with one line\n"
    "'FILE:LINE: what is wrong'. With --record, the journal recorded while\n"
    "playing is also written to OUT (also when the play stops). A body with\n"
    "geometry is printed with its volume and box (millimetres); with --step,\n"
    "those bodies, and those of the parts the play made beside it, are also\n"
    "written to the STEP file OUT (a play that leaves none, or a file that cannot\n"
    "be written, fails, the part still printed). When QDEN_TMP_DIR is not set,\n"
    "the play makes a new temporary directory (in TMPDIR, else TMP, TEMP or\n"
    "TEMPDIR, else /tmp; an empty one is taken as unset) only when the plug-in\n"
    "first asks for it (a play that writes no motion file makes none), sets\n"
    "QDEN_TMP_DIR to it, and removes it, with what was written there, when the\n"
    "play ends (also when SIGTERM, SIGINT or SIGHUP stops it, which removes the\n"
    "outputs' temporary files too); one that cannot be made is named in a\n"
    "warning, with why.\n"
    "\n"
    "The notes, warnings, error dialogs and status-area texts the host shows\n"
    "while the journal plays are printed on the error output as\n"
    "'FILE:LINE: note: text' (or warning, error, status), LINE the record's; an\n"
    "error handed to the host's error object or a warning number left by a build\n"
    "reads 'FILE:LINE: warning: NUMBER TEXT'.\n"
    "\n"
    "KTX_FAIL=FACILITIES:N in the environment makes the Nth counted call of the\n"
    "facilities fail while the journal plays (memory, kernel, record, mark,\n"
    "hostcall, all of those five, or query: the kernel's queries of a body's\n"
    "geometry; joined with '+'), as the stand-in's failure switch does in tests.\n"
    "With it, KTX_FAIL_TRACE=CALL[+CALL...] prints each logged host call of those\n"
    "names as it is made, with the switch's count so far (the call itself when it\n"
    "is counted): 'FILE:LINE: KTX_FAIL: N counted: CALL ARGS'.\n";

// A command: its name, a line for the overview, its table, its help after
// the usage line, and what runs it (given its arguments and the plug-in).
struct Command {
  const char* name;
  const char* summary;
  const Syntax* syntax;
  const char* help;
  int (*run)(const Arguments& arguments, const char* plugin);
};

int runLoad(const Arguments&, const char* plugin) { return load(plugin); }
int runJournal(const Arguments&, const char* plugin) { return journal(plugin); }

const Command kCommands[] = {
    {"load", "load the plug-in, print its classes and its exit steps", &kLoadSyntax, kLoadHelp,
     &runLoad},
    {"journal", "print what the journaling units register and their exit steps", &kJournalSyntax, kJournalHelp,
     &runJournal},
    {"play", "play a journal in a new part and print what the part holds", &kPlaySyntax, kPlayHelp, &play},
    {"props", "list, read or write a builder's properties by name", &KTX::HostProgram::kPropsSyntax,
     KTX::HostProgram::kPropsHelp, &KTX::HostProgram::Props},
    {"published", "list the classes, members, exports and properties published",
     &KTX::HostProgram::kPublishedSyntax, KTX::HostProgram::kPublishedHelp, &KTX::HostProgram::Published},
};

const Command* find(const std::string& name) {
  for (const Command& c : kCommands)
    if (name == c.name) return &c;
  return nullptr;
}

void overview(FILE* to) {
  std::fputs(
      "usage: ktxhost COMMAND [ARGUMENTS]\n"
      "       ktxhost help COMMAND | COMMAND --help | --version | --help\n"
      "\n"
      "The stand-in host. Every command loads the plug-in --plugin PATH names, by\n"
      "default the one built beside it.\n"
      "\n"
      "commands:\n",
      to);
  // The summaries in one column, two spaces past the longest name.
  int width = 0;
  for (const Command& c : kCommands) width = std::max(width, static_cast<int>(std::strlen(c.name)));
  for (const Command& c : kCommands) std::fprintf(to, "  %-*s  %s\n", width, c.name, c.summary);
  std::fprintf(to, "\n%s", kExitCodes);
}

int help(const Command& c) {
  std::printf("%s\n\n%s\n%s", KTX::HostProgram::Usage(*c.syntax).c_str(), c.help, kExitCodes);
  return kDone;
}

bool asksHelp(const char* arg) { return std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0; }

// A command's help, asked for by the word at `asked`: it takes no operand,
// as the program's own --help takes none. The options around it are passed
// over (the help wins over them, a value with its option); a word that is
// no option is a usage error.
int helpAlone(const Command& c, int asked, int argc, char** argv) {
  for (int i = 2; i < argc; ++i) {
    const char* word = argv[i];
    if (asksHelp(word)) continue;
    if (*word == '-' && !(c.syntax->dashIsOperand && std::strcmp(word, "-") == 0)) {
      for (const KTX::HostProgram::Option& option : c.syntax->options)
        if (option.value != nullptr && word == std::string(option.name) && i + 1 < argc && !asksHelp(argv[i + 1]))
          ++i;
      continue;
    }
    std::fprintf(stderr, "ktxhost %s: unexpected operand '%s': %s takes no operand (see ktxhost help %s)\n", c.name,
                 word, argv[asked], c.name);
    return kUsageError;
  }
  return help(c);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    overview(stderr);
    return kUsageError;
  }
  std::string first = argv[1];
  if ((asksHelp(argv[1]) || first == "--version") && argc > 2) {
    std::fprintf(stderr, "ktxhost %s: unexpected operand '%s': %s takes no operand\n\n", argv[1], argv[2], argv[1]);
    overview(stderr);
    return kUsageError;
  }
  if (asksHelp(argv[1])) {
    overview(stdout);
    return kDone;
  }
  if (first == "--version") {
    std::printf("ktxhost %s\n", KTXHOST_VERSION);
    return kDone;
  }
  if (first == "help") {
    if (argc == 2) {
      overview(stdout);
      return kDone;
    }
    if (argc == 3 && (std::strcmp(argv[2], "help") == 0 || asksHelp(argv[2]))) {
      std::printf("usage: ktxhost help [COMMAND]\n\nPrints the commands, or the help of one command.\n\n%s", kExitCodes);
      return kDone;
    }
    const Command* c = find(argv[2]);
    if (c == nullptr || argc > 3) {
      std::fprintf(stderr, "ktxhost help: %s '%s'\n\n", c == nullptr ? "unknown command" : "unexpected argument",
                   argv[c == nullptr ? 2 : 3]);
      overview(stderr);
      return kUsageError;
    }
    return help(*c);
  }
  const Command* c = find(first);
  if (c == nullptr) {
    std::fprintf(stderr, "ktxhost: unknown command '%s'\n\n", first.c_str());
    overview(stderr);
    return kUsageError;
  }
  for (int i = 2; i < argc; ++i)
    if (asksHelp(argv[i])) return helpAlone(*c, i, argc, argv);
  Arguments arguments;
  if (!KTX::HostProgram::Parse(*c->syntax, argc - 2, argv + 2, &arguments)) return kUsageError;
  // What escapes a command unwinds it (its temporary files are removed) and
  // fails it with one line, not an abort.
  try {
    return c->run(arguments, arguments.Value(kPluginOption.name, KTXHOST_DEFAULT_PLUGIN));
  } catch (const KTX::Error::Exception& e) {
    std::fprintf(stderr, "ktxhost %s: %s\n", c->name, e.text().c_str());
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ktxhost %s: %s\n", c->name, e.what());
  } catch (...) {
    std::fprintf(stderr, "ktxhost %s: an exception that is no std::exception\n", c->name);
  }
  return kFailed;
}
