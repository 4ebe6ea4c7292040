#include "sys/Replace.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/vfs.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

#include "sys/Files.hpp"
#include "sys/UserMessages.hpp"

namespace KTX::Files {
namespace {

// The streams OpenReplacing handed out: each with its temporary file and
// the name it takes at its close.
struct Pending {
  std::string temporary;
  std::string name;
};
std::mutex& pendingLock() {
  static std::mutex lock;
  return lock;
}
std::map<std::FILE*, Pending>& pending() {
  static auto* open = new std::map<std::FILE*, Pending>;
  return *open;
}

// What stood at one name on the way to the file a write lands on, as the
// walk saw it (not followed): nothing, a link (with its text), a folder or a
// file of some kind.
struct Seen {
  bool exists = false;
  mode_t type = 0;
  dev_t device = 0;
  ino_t inode = 0;
  dev_t special = 0;  // a device's own numbers
  std::string link;
  bool operator==(const Seen&) const = default;
};

Seen seenOf(const struct stat& info) {
  Seen seen;
  seen.exists = true;
  seen.type = info.st_mode & S_IFMT;
  seen.device = info.st_dev;
  seen.inode = info.st_ino;
  if (S_ISCHR(seen.type) || S_ISBLK(seen.type)) seen.special = info.st_rdev;
  return seen;
}

// Where a write of a name lands: the folder reached and the name in it,
// found by a walk of the name one name at a time, each link's text walked
// in its turn. `chain` is every folder, link and name the walk met, in
// order, the last being where the write lands. A writer walks once, when it
// makes its temporary file, and the rename goes to that folder only while a
// second walk meets the same chain.
struct Place {
  std::string folder;  // as a path, for messages and the temporary file's path
  std::string base;
  std::vector<Seen> chain;
  // A reader's file reached through a link of /proc that the system
  // follows (the file a process holds, which no folder may hold by now).
  bool followed = false;
  bool operator==(const Place&) const = default;
};

// A descriptor closed with its holder.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() { reset(); }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  Descriptor(Descriptor&& other) noexcept : fd_(other.release()) {}
  Descriptor& operator=(Descriptor&& other) noexcept {
    reset(other.release());
    return *this;
  }
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

// As many links as the system itself follows before it calls it a loop.
constexpr int kMostLinks = 40;
// Past any link text a system makes (a path's own bound is 4096 bytes).
constexpr std::size_t kLongestLinkText = std::size_t{1} << 16;

}  // namespace

std::string UserName(unsigned uid) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[1024];
  if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr && found->pw_name != nullptr)
    return std::string(found->pw_name) + " (uid " + std::to_string(uid) + ")";
  return "uid " + std::to_string(uid);
}

namespace {

// A link in a folder that others than its owner may write is followed only
// when it is the running user's or the folder owner's: anyone else who may
// write there could aim it at a file or a folder of the user's. The system
// holds links to that rule only in sticky folders, and only where it is set
// to; here it holds in every folder others may write, sticky or not.
std::string whyLinkNotFollowed(int folder, const struct stat& link) {
  struct stat info {};
  if (::fstat(folder, &info) != 0 || (info.st_mode & (S_IWGRP | S_IWOTH)) == 0) return {};
  if (link.st_uid == ::geteuid() || link.st_uid == info.st_uid) return {};
  return "a symbolic link owned by " + UserName(link.st_uid) +
         " in a folder other users may write, which is not followed";
}

std::string joined(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// The names of a path, in order ("" and "." left out).
void putNamesFirst(const std::string& path, std::deque<std::string>* names) {
  std::vector<std::string> found;
  std::size_t at = 0;
  while (at <= path.size()) {
    const std::size_t slash = std::min(path.find('/', at), path.size());
    std::string name = path.substr(at, slash - at);
    if (!name.empty() && name != ".") found.push_back(std::move(name));
    at = slash + 1;
  }
  names->insert(names->begin(), found.begin(), found.end());
}

// A link's text, read whole. The size a link reports is no bound on it (the
// links of /proc report none): the buffer grows until the text fits.
bool readLink(int folder, const std::string& name, std::string* text, int* error) {
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = ::readlinkat(folder, name.c_str(), buffer.data(), buffer.size());
    if (n < 0) {
      *error = errno;
      return false;
    }
    if (static_cast<std::size_t>(n) < buffer.size()) {
      text->assign(buffer.data(), static_cast<std::size_t>(n));
      *error = ENOENT;
      return n > 0;
    }
    if (buffer.size() >= kLongestLinkText) {
      *error = ENAMETOOLONG;
      return false;
    }
    buffer.resize(buffer.size() * 2);
  }
}

// Whether the folder is of /proc, whose links may name what no folder holds.
bool onProc(int folder) {
  struct statfs info {};
  return ::fstatfs(folder, &info) == 0 && info.f_type == PROC_SUPER_MAGIC;
}

// The terminals' device numbers: the consoles and serial lines (4), the
// controlling terminal and the console (5, 0 and 1), the pseudo-terminals
// (136 to 143).
bool isTerminal(dev_t device) {
  const unsigned major = ::major(device), minor = ::minor(device);
  return major == 4 || (major == 5 && minor <= 1) || (major >= 136 && major <= 143);
}

// Why no regular file may take the place (empty when one may).
std::string whyNoPlace(const Place& place) {
  const Seen& last = place.chain.back();
  if (S_ISFIFO(last.type)) return "is a FIFO, not a regular file";
  if (S_ISCHR(last.type) && isTerminal(last.special)) return "is a terminal, not a regular file";
  if (S_ISCHR(last.type) || S_ISBLK(last.type)) return "is a device, not a regular file";
  if (S_ISSOCK(last.type)) return "is a socket, not a regular file";
  return {};
}

constexpr const char* kChangedWhileWalked = "its name was changed by another process as it was followed";

// What a walk answers: the place and its folder, open; or its refusal.
struct Walked {
  Place place;
  Descriptor folder;
  Refusal refusal;
};

// Whether a walk goes on past a name, or ends there (at a place, or refused).
enum class Next { kGoOn, kStop };

// Walks a name one name at a time from a folder opened here, each link met
// (folders' included) read and walked in its turn, under the rule above:
// nothing on the way is left to the system to follow. A reader
// (`folderTaken`) may end at a folder ("/", "dir/", "a/.."): its place is
// then that folder itself, "." in it. Each name met is one step, and each
// step goes on or ends the walk, at a place or with a refusal.
class Walker {
 public:
  Walker(const std::string& name, bool folderTaken) : name_(name), folderTaken_(folderTaken) {}
  Walked Run();

 private:
  Next startAt(const char* folder);
  Next step(const std::string& next);
  Next parent(const std::string& path, bool last);
  Next missing(const std::string& next, const std::string& path, bool last, int error);
  Next link(const std::string& next, const std::string& path, const struct stat& info, bool last);
  Next throughProc(const std::string& next, const std::string& path, const Seen& seen, bool last);
  Next enter(const std::string& next, const std::string& path, const struct stat& info);
  Next land(const std::string& base);
  // Whether the folder just opened is there: then it is met.
  bool meet();
  Next refuse(Refusal::Kind kind, int error, std::string words);
  // Said of the name given when it is the link refused, else of the link
  // on the way that is: the one that broke the rule, not the first.
  Next refuseLink(bool given, const std::string& link, const std::string& what, int error);
  Next refuseSystem(int error) { return refuse(Refusal::Kind::kSystem, error, std::strerror(error)); }
  std::string here() const { return text_.empty() ? "." : text_; }

  const std::string& name_;
  const bool folderTaken_;
  Walked out_;
  Descriptor at_;
  std::string text_;
  std::deque<std::string> names_;
  // Whether the names left came from the link that stood last: a link
  // there that reaches nothing is refused, a name missing there is new.
  bool linkLast_ = false;
  int links_ = 0;
};

Walked walk(const std::string& name, bool folderTaken = false) { return Walker(name, folderTaken).Run(); }

Walked Walker::Run() {
  if (name_.empty()) {
    refuse(Refusal::Kind::kSystem, ENOENT, "no file name");
  } else if (name_.back() == '/' && !folderTaken_) {
    refuse(Refusal::Kind::kSystem, EISDIR, "is a directory");
  } else if (startAt(name_[0] == '/' ? "/" : ".") == Next::kGoOn) {
    putNamesFirst(name_, &names_);
    Next next = Next::kGoOn;
    while (next == Next::kGoOn && !names_.empty()) {
      const std::string name = std::move(names_.front());
      names_.pop_front();
      next = step(name);
    }
    // Every name walked, a folder reached.
    if (next == Next::kGoOn) {
      if (folderTaken_)
        land(".");
      else
        refuse(Refusal::Kind::kSystem, EISDIR, "is a directory");
    }
  }
  return std::move(out_);
}

Next Walker::startAt(const char* folder) {
  at_.reset(::open(folder, O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (!meet()) return refuseSystem(errno);
  text_ = folder[0] == '/' ? "/" : "";
  return Next::kGoOn;
}

Next Walker::step(const std::string& next) {
  const bool last = names_.empty();
  const std::string path = joined(text_, next);
  if (next == "..") return parent(path, last);
  struct stat info {};
  if (::fstatat(at_.get(), next.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return missing(next, path, last, errno);
  if (S_ISLNK(info.st_mode)) return link(next, path, info, last);
  if (!last) return enter(next, path, info);
  out_.place.chain.push_back(seenOf(info));
  return land(next);
}

Next Walker::parent(const std::string& path, bool last) {
  if (last && !folderTaken_) return refuse(Refusal::Kind::kSystem, EISDIR, "is a directory");
  // A folder's parent is no link.
  at_.reset(::openat(at_.get(), "..", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!meet()) return refuseSystem(errno);
  text_ = path;
  return Next::kGoOn;
}

Next Walker::missing(const std::string& next, const std::string& path, bool last, int error) {
  if (linkLast_)
    return refuse(Refusal::Kind::kLink, error,
                  error == ENOENT ? "is a symbolic link to a missing file"
                                  : std::string("is a symbolic link that reaches no file: ") + std::strerror(error));
  if (last && error == ENOENT) {
    out_.place.chain.emplace_back();
    return land(next);
  }
  if (!last && error == ENOENT) return refuse(Refusal::Kind::kSystem, error, "no directory " + path);
  if (error == EACCES) return refuse(Refusal::Kind::kSystem, error, "directory " + here() + ": " + std::strerror(error));
  return refuseSystem(error);
}

Next Walker::link(const std::string& next, const std::string& path, const struct stat& info, bool last) {
  if (last) linkLast_ = true;
  ++links_;
  if (links_ > kMostLinks)
    return refuseLink(linkLast_, path,
                      "a symbolic link that loops or leads through more than " + std::to_string(kMostLinks) + " links",
                      ELOOP);
  if (std::string refused = whyLinkNotFollowed(at_.get(), info); !refused.empty())
    return refuseLink(links_ == 1 && last, path, refused, EACCES);
  Seen seen = seenOf(info);
  if (int error = 0; !readLink(at_.get(), next, &seen.link, &error))
    return refuseLink(links_ == 1 && last, path,
                      std::string("a symbolic link that reaches no file: ") + std::strerror(error), error);
  out_.place.chain.push_back(seen);
  if (onProc(at_.get())) {
    if (const Next reached = throughProc(next, path, seen, last); reached != Next::kGoOn) return reached;
  }
  if (seen.link[0] == '/' && startAt("/") == Next::kStop) return Next::kStop;
  // A link whose text names a folder ("a/", "..") lands on that folder.
  const bool toFolder = seen.link.back() == '/' || seen.link == "." || seen.link == ".." ||
                        seen.link.ends_with("/.") || seen.link.ends_with("/..");
  if (last && toFolder && !folderTaken_) return refuse(Refusal::Kind::kSystem, EISDIR, "is a directory");
  putNamesFirst(seen.link, &names_);
  if (names_.empty() && !folderTaken_) return refuse(Refusal::Kind::kSystem, EISDIR, "is a directory");
  return Next::kGoOn;
}

// A link of /proc whose text is no path ("pipe:[12]", "socket:[34]") leads
// to what no folder holds, which only the system can follow: what it
// reaches is the answer. One that reaches a folder ("self", its process's
// number, "cwd") is walked as any other. One whose text is a path and that
// reaches a file (a descriptor's, "fd/3") names the file a process holds,
// which its folder may hold no longer (deleted) or never did (a memfd, an
// O_TMPFILE file): a reader takes that very file, as the system reaches it
// (the link is the process's own, in a folder only its user may change); a
// writer walks the text, beside which its temporary file would go.
Next Walker::throughProc(const std::string& next, const std::string& path, const Seen& seen, bool last) {
  struct stat reached {};
  if (::fstatat(at_.get(), next.c_str(), &reached, 0) != 0 || S_ISDIR(reached.st_mode)) return Next::kGoOn;
  if (!last) return refuse(Refusal::Kind::kSystem, ENOTDIR, path + " is not a directory");
  const bool aPath = seen.link[0] == '/';
  if (aPath && !S_ISFIFO(reached.st_mode) && !S_ISSOCK(reached.st_mode)) {
    // A writer puts its file in the place of a name in a folder, and no
    // folder holds this one: its link's text names a place that is gone.
    if (!folderTaken_ && S_ISREG(reached.st_mode) && reached.st_nlink == 0)
      return refuse(Refusal::Kind::kNoRegularFile, ENOENT,
                    "is a file that no folder holds (deleted, a memfd or an O_TMPFILE file), in whose place no "
                    "file can be put");
    if (!folderTaken_) return Next::kGoOn;
    out_.place.followed = true;
    return land(next);
  }
  const std::string what = S_ISFIFO(reached.st_mode) ? "a pipe" : S_ISSOCK(reached.st_mode) ? "a socket" : seen.link;
  return refuse(Refusal::Kind::kNoRegularFile, EINVAL, "is " + what + ", not a regular file");
}

Next Walker::enter(const std::string& next, const std::string& path, const struct stat& info) {
  if (!S_ISDIR(info.st_mode)) {
    if (linkLast_)
      return refuse(Refusal::Kind::kLink, ENOTDIR,
                    std::string("is a symbolic link that reaches no file: ") + std::strerror(ENOTDIR));
    return refuse(Refusal::Kind::kSystem, ENOTDIR, path + " is not a directory");
  }
  // Opened as the folder it is, not followed: a link put there since is
  // refused here, and the walk goes on from the very folder opened.
  at_.reset(::openat(at_.get(), next.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!meet()) {
    const int error = errno;
    if (error == ENOTDIR || error == ELOOP) return refuse(Refusal::Kind::kChanged, kNameChanged, kChangedWhileWalked);
    return refuseSystem(error);
  }
  text_ = path;
  return Next::kGoOn;
}

Next Walker::land(const std::string& base) {
  out_.place.folder = text_;
  out_.place.base = base;
  out_.folder = std::move(at_);
  return Next::kStop;
}

bool Walker::meet() {
  struct stat info {};
  if (at_.get() < 0 || ::fstat(at_.get(), &info) != 0) return false;
  out_.place.chain.push_back(seenOf(info));
  return true;
}

Next Walker::refuse(Refusal::Kind kind, int error, std::string words) {
  out_.refusal.kind = kind;
  out_.refusal.error = error;
  out_.refusal.words = std::move(words);
  return Next::kStop;
}

Next Walker::refuseLink(bool given, const std::string& link, const std::string& what, int error) {
  refuse(Refusal::Kind::kLink, error, given ? "is " + what : "leads through " + link + ", " + what);
  out_.refusal.onTheWay = !given;
  return Next::kStop;
}

// The protected file's identity: no file while `set` is false.
struct Protected {
  bool set = false;
  dev_t device = 0;
  ino_t inode = 0;
};
Protected protectedFile;

// The name whose write was last refused as the journal being played, on
// this thread: its refusal is shown, so the failure it leads to is not
// shown again (ShowNotWritten).
thread_local std::string refusedJournal;

// A write onto the journal being played is refused, and shown by the name
// given; always true.
bool refusePlayedJournal(const std::string& name) {
  refusedJournal = name;
  try {
    Host::ShowUser(Host::UserMessage::kError, std::to_string(kWritesPlayedJournal) + " " + name +
                                                  ": the file is the journal being played: it is not written over");
  } catch (...) {
    // Refused all the same.
  }
  errno = EPERM;
  return true;
}

// Whether the walk landed on the protected file; shown, by the name given.
bool refusedPlace(const std::string& name, const Place& place) {
  const Seen& last = place.chain.back();
  if (!protectedFile.set || !last.exists || last.device != protectedFile.device || last.inode != protectedFile.inode)
    return false;
  return refusePlayedJournal(name);
}

// What each temporary file made here holds while its writer lives, by its
// path, until it is put in place or removed: its lock (the descriptor it
// was made with), the folder the walk reached (held open: the temporary
// file is made, checked, renamed and removed there, never by a path) with
// the temporary file's name in it, and the place it was made for.
struct Held {
  int descriptor = -1;
  int folder = -1;
  std::string base;
  Place place;
};
std::map<std::string, Held>& heldLocks() {
  static auto* held = new std::map<std::string, Held>;
  return *held;
}

// What is held for the temporary file; false for one not made here.
bool held(const std::string& temporary, Held* found) {
  std::lock_guard<std::mutex> hold(pendingLock());
  auto at = heldLocks().find(temporary);
  if (at == heldLocks().end()) return false;
  *found = at->second;
  return true;
}

// The temporary files being written, as a signal handler may read them (no
// lock, no allocation): a process ended by a stop removes them first, as
// its writers would have. A slot is taken and let go only by its writer;
// the handler reads the slots that are set.
struct StopSlot {
  std::atomic<int> state{0};  // kFree, kBusy (being filled or emptied), kSet
  int folder = -1;
  dev_t device = 0;
  ino_t inode = 0;
  char base[NAME_MAX + 1] = {};
};
constexpr int kFree = 0, kBusy = 1, kSet = 2;
StopSlot stopSlots[64];

void watchAtStop(int fd, int folder, const std::string& base) noexcept {
  struct stat made {};
  if (base.size() > NAME_MAX || ::fstat(fd, &made) != 0) return;
  for (StopSlot& slot : stopSlots) {
    int free = kFree;
    if (!slot.state.compare_exchange_strong(free, kBusy)) continue;
    slot.folder = folder;
    slot.device = made.st_dev;
    slot.inode = made.st_ino;
    std::memcpy(slot.base, base.c_str(), base.size() + 1);
    slot.state.store(kSet);
    return;
  }
}

void unwatchAtStop(int folder, const std::string& base) noexcept {
  for (StopSlot& slot : stopSlots) {
    if (slot.state.load() != kSet || slot.folder != folder || base != slot.base) continue;
    int set = kSet;
    if (slot.state.compare_exchange_strong(set, kBusy)) slot.state.store(kFree);
    return;
  }
}

// The signals that end a process held back while a temporary file is made
// and not yet known to RemoveTemporariesAtStop: a stop in between would
// leave it. Delivered when the scope ends.
class StopsHeld {
 public:
  StopsHeld() {
    sigset_t stops;
    ::sigemptyset(&stops);
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaddset(&stops, signal);
    ::pthread_sigmask(SIG_BLOCK, &stops, &before_);
  }
  ~StopsHeld() {
    const int error = errno;
    ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    errno = error;
  }
  StopsHeld(const StopsHeld&) = delete;
  StopsHeld& operator=(const StopsHeld&) = delete;

 private:
  sigset_t before_{};
};

TemporaryStepForTests stepForTests = nullptr;
void step(const char* name, const std::string& temporary) {
  if (stepForTests != nullptr) stepForTests(name, temporary);
}

void letLockGo(const std::string& temporary) noexcept {
  int fd = -1, folder = -1;
  {
    std::lock_guard<std::mutex> hold(pendingLock());
    auto found = heldLocks().find(temporary);
    if (found == heldLocks().end()) return;
    fd = found->second.descriptor;
    folder = found->second.folder;
    unwatchAtStop(folder, found->second.base);
    heldLocks().erase(found);
  }
  ::close(fd);
  ::close(folder);
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the open file is still the one named `base` in the folder (not
// removed, not replaced).
bool stillNamed(int fd, int folder, const std::string& base) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && open.st_nlink > 0 &&
         ::fstatat(folder, base.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && sameFile(open, named);
}

// Whether `base` in the folder still names the file made as `fd` and nothing
// else does: not a symbolic link, a regular file with one link, the same
// device and inode. Whoever may write the folder may have put a link to a
// file of theirs (or of anyone) in its place, another file, or a second
// link to it.
bool stillOnlyOurs(int fd, int folder, const std::string& base) {
  struct stat open {}, named {};
  return fd >= 0 && ::fstat(fd, &open) == 0 && S_ISREG(open.st_mode) && open.st_nlink == 1 &&
         ::fstatat(folder, base.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(named.st_mode) &&
         sameFile(open, named);
}

// A writer's temporary file is told from any other file by what a user does
// not make by chance: its name is NAME.tmp- and sixteen lower-case hex
// digits, eight random ones and eight that check them with NAME (a name a
// user types, "NAME.tmp-notes1" or "NAME.tmp-ABCDEF", fails the check), and
// the file is the writer's own while it writes: a regular file of the
// process's user with one link and mode 0600, which the writer sets when it
// makes it and changes to the final mode only just before the rename.
constexpr std::size_t kRandomDigits = 8;
constexpr std::size_t kCheckDigits = 8;
constexpr mode_t kWritingMode = 0600;

std::string hex(std::uint32_t value) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(value));
  return digits;
}

// FNV-1a over a word of the writer's own, the file's name and the random digits.
std::string check(const std::string& base, const std::string& random) {
  std::uint32_t hash = 2166136261u;
  const std::string text = "ktx temporary\n" + base + "\n" + random;
  for (const unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hex(hash);
}

std::uint32_t randomWord() {
  std::uint32_t word = 0;
  if (::getrandom(&word, sizeof word, GRND_NONBLOCK) == static_cast<ssize_t>(sizeof word)) return word;
  // Without the system's randomness: apart enough for the exclusive create.
  static std::atomic<std::uint32_t> counter{0};
  timespec now {};
  ::clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<std::uint32_t>(now.tv_nsec) ^ (static_cast<std::uint32_t>(::getpid()) << 16) ^
         (counter.fetch_add(1) * 2654435761u);
}

// What a temporary file's name begins with: NAME.tmp-, NAME cut short where
// the whole would be longer than the system takes (NAME_MAX bytes), at a
// character's start. The check digits are of the whole name: a name cut
// alike tells another name's temporary files from this one's.
constexpr const char* kTemporaryMark = ".tmp-";
std::string temporaryPrefix(const std::string& base) {
  const std::size_t room = NAME_MAX - std::strlen(kTemporaryMark) - kRandomDigits - kCheckDigits;
  std::size_t kept = std::min(base.size(), room);
  while (kept > 0 && kept < base.size() && (static_cast<unsigned char>(base[kept]) & 0xC0) == 0x80) --kept;
  return base.substr(0, kept) + kTemporaryMark;
}

std::string newTemporaryName(const std::string& base) {
  const std::string random = hex(randomWord());
  return temporaryPrefix(base) + random + check(base, random);
}

bool isTemporaryNameOf(const std::string& base, const std::string& entry) {
  const std::string prefix = temporaryPrefix(base);
  if (entry.size() != prefix.size() + kRandomDigits + kCheckDigits || entry.compare(0, prefix.size(), prefix) != 0)
    return false;
  const std::string random = entry.substr(prefix.size(), kRandomDigits);
  return entry.compare(prefix.size() + kRandomDigits, kCheckDigits, check(base, random)) == 0;
}

bool isWritersOwn(const struct stat& info) {
  return S_ISREG(info.st_mode) && (info.st_mode & 07777) == kWritingMode && info.st_uid == ::geteuid() &&
         info.st_nlink == 1;
}

// The temporary files of `base`, in the folder, that no living writer
// holds: a writer killed half way left them, since every writer holds its
// own locked until it lets it go. Only a file with a writer's name that is
// still as its writer made it (above) is taken for one; a file whose lock
// cannot be asked about (a file system without locks) is left alone, and so
// is one a writer killed between giving it its final mode and the rename.
void removeKilledWritersTemporaries(int folder, const std::string& base) {
  const int listed = ::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return;
  DIR* listing = ::fdopendir(listed);
  if (listing == nullptr) {
    ::close(listed);
    return;
  }
  std::vector<std::string> found;
  while (const dirent* entry = ::readdir(listing))
    if (isTemporaryNameOf(base, entry->d_name)) found.push_back(entry->d_name);
  ::closedir(listing);
  for (const std::string& name : found) {
    const int fd = ::openat(folder, name.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    // Removed only while locked here, and only the file that was locked.
    if (::fstat(fd, &info) == 0 && isWritersOwn(info) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        stillNamed(fd, folder, name))
      ::unlinkat(folder, name.c_str(), 0);
    ::close(fd);
  }
}

mode_t newFileMode() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// The mode the file written takes: the permissions (no set-id bits) of the
// very file it replaces, found through the folder the walk reached, or a
// new file's. Another user's older file gives its owner's bits only: what
// its group and others could do with it was that user's choice, not the
// user's who now owns the file.
mode_t finalMode(int folder, const Place& place) {
  const Seen& last = place.chain.back();
  struct stat info {};
  if (!last.exists || !S_ISREG(last.type) ||
      ::fstatat(folder, place.base.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(info.st_mode) ||
      info.st_dev != last.device || info.st_ino != last.inode)
    return newFileMode();
  const mode_t mode = info.st_mode & 0777;
  return info.st_uid == ::geteuid() ? mode : (mode & 0700) | (newFileMode() & 0077);
}

// A write past the file size limit raises SIGXFSZ, whose default ends the
// process with the temporary file left behind; ignored, the write fails with
// EFBIG and the writer cleans up. A handler someone set is left alone.
void writeFailsPastSizeLimit() {
  static const bool ignored = [] {
    struct sigaction now {};
    if (::sigaction(SIGXFSZ, nullptr, &now) != 0 || now.sa_handler != SIG_DFL) return false;
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    ::sigemptyset(&ignore.sa_mask);
    return ::sigaction(SIGXFSZ, &ignore, nullptr) == 0;
  }();
  (void)ignored;
}

// The file the temporary file was made to replace, opened to be read: only
// the very file looked up then, never what stands at its name by now. False
// with errno when it is there and cannot be read (a write-only file, a
// folder), or is no longer the file it was (kNameChanged): an append that
// went on without it would drop its lines. True with a null *file when there
// is none (a new file).
bool openPlace(const std::string& temporary, std::FILE** file) {
  *file = nullptr;
  Held made;
  if (!held(temporary, &made)) {
    errno = EINVAL;
    return false;
  }
  const Seen& last = made.place.chain.back();
  if (!last.exists) return true;
  const int fd = ::openat(made.folder, made.place.base.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ELOOP) errno = kNameChanged;
    return false;
  }
  struct stat info {};
  int error = 0;
  if (::fstat(fd, &info) != 0)
    error = errno;
  else if (info.st_dev != last.device || info.st_ino != last.inode)
    error = kNameChanged;
  else if (!S_ISREG(info.st_mode))
    error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
  if (error != 0) {
    ::close(fd);
    errno = error;
    return false;
  }
  *file = ::fdopen(fd, "r");
  if (*file == nullptr) {
    const int error = errno;
    ::close(fd);
    errno = error;
    return false;
  }
  return true;
}

// Why each name's last write on this thread failed, by the name given,
// where the walk or the write said more than its error: what its message
// says (WhyNotWritten). Taken away when the name is written again.
struct Failed {
  int error = 0;
  std::string words;
};
thread_local std::map<std::string, Failed> failures;

// The failure kept for the name, errno set to its error; always false.
bool failed(const std::string& name, int error, std::string words) {
  try {
    failures[name] = {error, std::move(words)};
  } catch (...) {
    // Told by its error alone.
  }
  errno = error;
  return false;
}

// The file `name` reaches, opened with `flags` (O_NOFOLLOW and O_CLOEXEC
// added): walked as every writer walks its output (see walk), so that a
// link anywhere on the way is followed only under the writers' rule, then
// opened by its last name in the folder reached. A link put at that name
// since the walk is walked in its turn. -1 with errno otherwise (EACCES for
// a link refused); `refused` gets the walk's refusal, when it refused. With
// `folder`, the folder the walk reached is handed over with the file.
int openReached(const char* name, int flags, Refusal* refused, int* folder = nullptr) {
  if (name == nullptr || *name == '\0') {
    errno = ENOENT;
    return -1;
  }
  const std::string given = name;
  for (int tries = 0; tries <= kMostLinks; ++tries) {
    Walked walked = walk(given, true);
    if (walked.refusal) {
      const int error = walked.refusal.error;
      if (refused != nullptr) *refused = std::move(walked.refusal);
      errno = error;
      return -1;
    }
    const Place& place = walked.place;
    if (!place.chain.back().exists) {
      errno = ENOENT;
      return -1;
    }
    const int fd =
        ::openat(walked.folder.get(), place.base.c_str(), flags | (place.followed ? 0 : O_NOFOLLOW) | O_CLOEXEC);
    struct stat info {};
    if (fd >= 0 && ::fstat(fd, &info) == 0 && !S_ISLNK(info.st_mode)) {
      // A name written "dir/" is a folder's, as the system takes it.
      if (given.back() == '/' && !S_ISDIR(info.st_mode)) {
        ::close(fd);
        errno = ENOTDIR;
        return -1;
      }
      if (folder != nullptr) *folder = walked.folder.release();
      return fd;
    }
    const int error = errno;
    if (fd >= 0) ::close(fd);
    // Anything but a link put at the name since the walk: the answer.
    if (fd >= 0 ? !S_ISLNK(info.st_mode) : error != ELOOP) {
      errno = error;
      return -1;
    }
  }
  errno = ELOOP;
  return -1;
}

std::FILE* openRegular(const char* name, Refusal* refused) {
  if (name == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  const int fd = openReached(name, O_RDONLY | O_NONBLOCK, refused);
  if (fd < 0) return nullptr;
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return nullptr;
  }
  // Reads of a regular file do not wait; blocking mode is the usual one.
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  std::FILE* file = ::fdopen(fd, "r");
  if (file == nullptr) ::close(fd);
  return file;
}

}  // namespace

void ProtectFromWrites(const std::string& name) {
  struct stat info {};
  protectedFile = {};
  if (!name.empty() && ::stat(name.c_str(), &info) == 0) protectedFile = {true, info.st_dev, info.st_ino};
}

void ProtectOpenedFromWrites(int descriptor) {
  struct stat info {};
  protectedFile = {};
  if (::fstat(descriptor, &info) == 0) protectedFile = {true, info.st_dev, info.st_ino};
}

bool RefusedOpened(const std::string& name, int fd) {
  struct stat info {};
  return protectedFile.set && ::fstat(fd, &info) == 0 && info.st_dev == protectedFile.device &&
         info.st_ino == protectedFile.inode && refusePlayedJournal(name);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat x {}, y {};
  return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

std::string WhyNoPlaceForAFile(const std::string& name) {
  const Walked walked = walk(name);
  switch (walked.refusal.kind) {
    case Refusal::Kind::kNone:
      return whyNoPlace(walked.place);
    case Refusal::Kind::kLink:
    case Refusal::Kind::kNoRegularFile:
      return walked.refusal.words;
    default:
      return {};
  }
}

std::string WhyFailed(int error) {
  switch (error) {
    case kTemporaryReplaced:
      return "its temporary file was replaced by another file";
    case kNameChanged:
      return "its name was changed by another process while it was written";
    case kNameTaken:
      return "its temporary file was replaced by another file as it was renamed";
    default:
      return std::strerror(error);
  }
}

bool NameChangedUnderTheWriter(int error) { return error == kNameChanged || error == kNameTaken; }

void SetTemporaryStepForTests(TemporaryStepForTests hook) { stepForTests = hook; }

void ShowNotWritten(const std::string& name, int error) noexcept {
  try {
    if (error == EPERM && name == refusedJournal) {
      refusedJournal.clear();
      return;
    }
    const std::string why = WhyNotWritten(name, error);
    const char* after = error == kNameTaken     ? "the name now holds the file that other process put there"
                        : error == kNameChanged ? "nothing at the name was followed or changed"
                                                : "the older file is as it was";
    Host::ShowWarning(kNotWritten, name + ": the file could not be written (" + why + "): " + after);
  } catch (...) {
    // What could not be said does not stop the writer's caller either.
  }
}

std::string WhyNotWritten(const std::string& name, int error) {
  if (auto found = failures.find(name); found != failures.end() && found->second.error == error)
    return found->second.words;
  return WhyFailed(error);
}

std::string WhyNotWritable(const std::string& name) {
  const Walked walked = walk(name);
  if (walked.refusal) return walked.refusal.words;
  const Place& place = walked.place;
  const int folder = walked.folder.get();
  if (std::string why = whyNoPlace(place); !why.empty()) return why;
  const Seen& last = place.chain.back();
  if (S_ISDIR(last.type)) return "is a directory";
  if (last.exists && ::faccessat(folder, place.base.c_str(), W_OK, 0) != 0) return std::strerror(errno);
  // The file is written beside the one it replaces and renamed there: that
  // folder, the walk's, not the given name's, must take a new file.
  const std::string reached = place.folder.empty() ? "." : place.folder;
  if (::faccessat(folder, ".", W_OK | X_OK, 0) != 0) return "directory " + reached + ": " + std::strerror(errno);
  // In a folder with the sticky bit only the file's owner, the folder's or
  // the administrator may rename another file onto it: said now, not
  // after the work.
  struct stat file {}, shared {};
  const uid_t user = ::geteuid();
  if (last.exists && user != 0 && ::fstat(folder, &shared) == 0 && (shared.st_mode & S_ISVTX) != 0 &&
      ::fstatat(folder, place.base.c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0 && file.st_uid != user &&
      shared.st_uid != user)
    return "is a file of " + UserName(file.st_uid) + " in the sticky directory " + reached +
           ", where only its owner may replace it";
  return {};
}

bool MakeTemporaryBeside(const std::string& given, std::string* temporary, int* descriptor) {
  failures.erase(given);
  // The name is walked here, once: the rename goes to the folder it led to;
  // a refusal is kept with its words, which the message then takes.
  Walked walked = walk(given);
  if (walked.refusal) return failed(given, walked.refusal.error, std::move(walked.refusal.words));
  Place& place = walked.place;
  Descriptor& folder = walked.folder;
  if (refusedPlace(given, place)) return false;
  if (std::string why = whyNoPlace(place); !why.empty()) return failed(given, EINVAL, std::move(why));
  writeFailsPastSizeLimit();
  removeKilledWritersTemporaries(folder.get(), place.base);
  std::string base;
  int fd = -1;
  const StopsHeld stops;
  for (int tries = 0; fd < 0; ++tries) {
    if (tries == 100) {
      errno = EAGAIN;
      return false;
    }
    base = newTemporaryName(place.base);
    fd = ::openat(folder.get(), base.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kWritingMode);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    // Whatever the umask left of it: the mode is part of the mark.
    ::fchmod(fd, kWritingMode);
    // Locked as soon as made; another writer may have taken it for a killed
    // writer's in between and removed it: then another is made. Where the
    // file system has no locks it goes unlocked (and no writer removes it).
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      if (stillNamed(fd, folder.get(), base)) break;
    } else if (errno != EWOULDBLOCK) {
      break;
    }
    ::close(fd);
    fd = -1;
  }
  std::string path = joined(place.folder, base);
  try {
    std::lock_guard<std::mutex> hold(pendingLock());
    heldLocks()[path] = Held{fd, folder.get(), base, std::move(place)};
    watchAtStop(fd, folder.get(), base);
  } catch (...) {
    ::unlinkat(folder.get(), base.c_str(), 0);
    ::close(fd);
    throw;
  }
  folder.release();
  *temporary = std::move(path);
  if (descriptor != nullptr) *descriptor = fd;
  step("made", *temporary);
  return true;
}

bool PutInPlace(const std::string& temporary, const std::string& name) {
  step("written", temporary);
  Held made;
  if (!held(temporary, &made)) {
    RemoveTemporary(temporary);
    errno = EINVAL;
    return false;
  }
  // The final mode comes last: until then the file carries a writer's mark.
  // Given through the descriptor, and only while the name in the folder
  // still names the file alone: what stands there now is no longer ours to
  // change, follow or remove.
  bool ours = stillOnlyOurs(made.descriptor, made.folder, made.base);
  if (ours) {
    ::fchmod(made.descriptor, finalMode(made.folder, made.place));
    step("final mode", temporary);
    ours = stillOnlyOurs(made.descriptor, made.folder, made.base);
  }
  if (!ours) {
    letLockGo(temporary);
    errno = kTemporaryReplaced;
    return false;
  }
  step("checked", temporary);
  // The name must still lead where it led when the temporary file was made:
  // a second walk meets the same folders, the same links and the same file
  // (or still nothing), and the name in the folder held is still that
  // file. Anything else is another process's doing (a link to a file of the
  // user's put on the way among them), and is neither followed nor changed.
  struct stat info {};
  const Seen& last = made.place.chain.back();
  const bool there = ::fstatat(made.folder, made.place.base.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
  const bool missing = !there && errno == ENOENT;
  const Walked now = walk(name);
  const bool same = !now.refusal && now.place == made.place && (there ? seenOf(info) == last : missing && !last.exists);
  if (!same) errno = kNameChanged;
  if (same && !refusedPlace(name, now.place)) {
    if (::renameat(made.folder, made.base.c_str(), made.folder, made.place.base.c_str()) == 0) {
      // What was put at the temporary name in the moment since the check
      // took the name instead. That cannot be taken back, but it is not
      // reported as written.
      const bool placed = stillNamed(made.descriptor, made.folder, made.place.base);
      letLockGo(temporary);
      if (!placed) errno = kNameTaken;
      return placed;
    }
  }
  const int error = errno;
  RemoveTemporary(temporary);
  errno = error;
  return false;
}

void RemoveTemporary(const std::string& temporary) noexcept {
  const int error = errno;
  // Removed before its lock goes: no other writer takes it meanwhile. A
  // file put in its place is someone else's: left.
  Held made;
  bool known = false;
  try {
    known = held(temporary, &made);
  } catch (...) {
    // The path alone: as unknown.
  }
  if (!known)
    ::unlink(temporary.c_str());
  else if (stillNamed(made.descriptor, made.folder, made.base))
    ::unlinkat(made.folder, made.base.c_str(), 0);
  letLockGo(temporary);
  errno = error;
}

void RemoveTemporariesAtStop() noexcept {
  const int error = errno;
  for (StopSlot& slot : stopSlots) {
    if (slot.state.load() != kSet) continue;
    // Only the file made: whatever another process put at its name stays.
    struct stat named {};
    if (::fstatat(slot.folder, slot.base, &named, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(named.st_mode) &&
        named.st_dev == slot.device && named.st_ino == slot.inode)
      ::unlinkat(slot.folder, slot.base, 0);
  }
  errno = error;
}

std::FILE* OpenReplacing(const std::string& name, const char* mode) {
  const bool append = mode != nullptr && std::strchr(mode, 'a') != nullptr;
  TemporaryBeside temporary(name);
  if (!temporary.Made()) return nullptr;
  // Through the file made, never its path again; a descriptor of the
  // stream's own, closed with it, while the lock stays on the one made.
  const int own = ::fcntl(temporary.Descriptor(), F_DUPFD_CLOEXEC, 0);
  std::FILE* file = own >= 0 ? ::fdopen(own, "w") : nullptr;
  if (file == nullptr && own >= 0) ::close(own);
  if (file != nullptr && append) {
    // What the file holds now comes first, as an append would find it; an
    // older file that cannot be read fails the append, the file as it was.
    std::FILE* old = nullptr;
    int unread = 0, unwritten = 0;
    if (!openPlace(temporary.Path(), &old)) unread = errno != 0 ? errno : EIO;
    if (old != nullptr) {
      char block[1 << 14];
      std::size_t n = 0;
      while (unwritten == 0 && (n = std::fread(block, 1, sizeof block, old)) > 0)
        if (std::fwrite(block, 1, n, file) != n) unwritten = errno != 0 ? errno : EIO;
      if (unwritten == 0 && std::ferror(old) != 0) unread = errno != 0 ? errno : EIO;
      std::fclose(old);
    }
    if (unread != 0 || unwritten != 0) {
      std::fclose(file);
      // Said so of a file that is there and may not be read (else it would
      // read as if the file could not be written); a folder, or another
      // file put there, is said as such.
      if (unread != 0 && unread != kNameChanged && unread != EISDIR && unread != EINVAL)
        failed(name, unread, std::string("its older file, to be appended to, could not be read: ") + std::strerror(unread));
      errno = unread != 0 ? unread : unwritten;
      return nullptr;
    }
  }
  if (file == nullptr) return nullptr;
  try {
    std::lock_guard<std::mutex> hold(pendingLock());
    pending()[file] = {temporary.Path(), name};
  } catch (...) {
    // Not handed out: nobody else could close it (the guard removes its file).
    std::fclose(file);
    throw;
  }
  temporary.Release();
  return file;
}

int CloseReplacing(std::FILE* file) {
  if (file == nullptr) return EOF;
  Pending target;
  {
    std::lock_guard<std::mutex> hold(pendingLock());
    auto found = pending().find(file);
    if (found == pending().end()) return std::fclose(file);
    target = std::move(found->second);
    pending().erase(found);
  }
  errno = 0;
  int error = 0;
  bool failed = true;
  if (std::fflush(file) != 0)
    error = errno;
  else if (std::ferror(file) != 0)
    error = EIO;  // an earlier write failed; why is no longer known
  else if (::fsync(::fileno(file)) != 0)
    error = errno;
  else
    failed = false;
  if (std::fclose(file) != 0 && !failed) {
    failed = true;
    error = errno;
  }
  if (failed) {
    RemoveTemporary(target.temporary);
    errno = error != 0 ? error : EIO;
    return EOF;
  }
  return PutInPlace(target.temporary, target.name) ? 0 : EOF;
}

std::string ReplacingName(std::FILE* file) {
  std::lock_guard<std::mutex> hold(pendingLock());
  auto found = pending().find(file);
  return found != pending().end() ? found->second.name : std::string();
}

void AbandonReplacing(std::FILE* file) {
  if (file == nullptr) return;
  std::string temporary;
  {
    std::lock_guard<std::mutex> hold(pendingLock());
    auto found = pending().find(file);
    if (found != pending().end()) {
      temporary = std::move(found->second.temporary);
      pending().erase(found);
    }
  }
  std::fclose(file);
  if (!temporary.empty()) RemoveTemporary(temporary);
}

int OpenReached(const char* name, int flags) { return openReached(name, flags, nullptr); }

int OpenReached(const char* name, int flags, Refusal* why, int* folder) {
  *why = {};
  if (folder != nullptr) *folder = -1;
  const int fd = openReached(name, flags, why, folder);
  if (fd < 0 && !*why) {
    const int error = errno;
    *why = {Refusal::Kind::kSystem, error, std::strerror(error)};
    errno = error;
  }
  return fd;
}

std::FILE* OpenRegular(const char* name) { return openRegular(name, nullptr); }

int ReadLines(const char* name, std::size_t most, std::vector<std::string>* lines, std::string* why) {
  lines->clear();
  why->clear();
  errno = 0;
  Refusal refused;
  std::FILE* file = openRegular(name, &refused);
  if (file == nullptr) {
    const int error = errno;
    if (error == ENOENT) {
      *why = "no such file";
      return 840502;
    }
    if (error == EINVAL || error == EISDIR) {
      *why = error == EISDIR ? "a directory, not a file" : "not a regular file (a device or a pipe)";
      return kNotRegular;
    }
    // A link refused is named, as every writer names it.
    *why = refused ? refused.words : std::strerror(error);
    return kUnreadable;
  }
  struct stat info {};
  if (::fstat(::fileno(file), &info) == 0 && static_cast<std::size_t>(info.st_size) > most) {
    std::fclose(file);
    *why = "larger than " + std::to_string(most) + " bytes";
    return kTooLarge;
  }
  std::string line;
  std::size_t total = 0;
  char block[1 << 14];
  std::size_t n = 0;
  int status = 0;
  while (status == 0 && (n = std::fread(block, 1, sizeof block, file)) > 0) {
    total += n;
    // A file that grows while it is read is held to the same bound.
    if (total > most) {
      *why = "larger than " + std::to_string(most) + " bytes";
      status = kTooLarge;
      break;
    }
    for (std::size_t i = 0; i < n; ++i) {
      if (block[i] != '\n') {
        line += block[i];
        if (line.size() > kLongestLine) {
          *why = "line " + std::to_string(lines->size() + 1) + " longer than " + std::to_string(kLongestLine) +
                 " bytes";
          status = kLineTooLong;
          break;
        }
        continue;
      }
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines->push_back(std::move(line));
      line.clear();
    }
  }
  if (status == 0 && std::ferror(file) != 0) {
    *why = std::strerror(errno);
    status = kUnreadable;
  }
  std::fclose(file);
  if (status != 0) {
    lines->clear();
    return status;
  }
  if (!line.empty()) {
    if (line.back() == '\r') line.pop_back();
    lines->push_back(std::move(line));
  }
  return 0;
}

}  // namespace KTX::Files
