#include "sys/Replace.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

#include "sys/Files.hpp"
#include "sys/UserMessages.hpp"

namespace KTX::Files {
namespace {

std::string folderOf(const std::string& name) {
  const auto slash = name.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : name.substr(0, slash);
}

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

// What stood at one name on the way to the file a write lands on, as lstat
// saw it: nothing, a link (with its text) or a file of some kind.
struct Seen {
  bool exists = false;
  mode_t type = 0;
  dev_t device = 0;
  ino_t inode = 0;
  std::string link;
  bool operator==(const Seen&) const = default;
};

// Where a write of a name lands: the name, then each link's target in turn,
// and the last of them, which is no link. A writer looks it up once, when it
// makes its temporary file, and the rename goes to that `target` only while
// the names on the way are still what they were then.
struct Place {
  std::string target;
  std::vector<Seen> chain;
  bool operator==(const Place&) const = default;
};

// As many links as the system itself follows before it calls it a loop.
constexpr int kMostLinks = 40;

std::string userName(uid_t uid) {
  struct passwd entry {};
  struct passwd* found = nullptr;
  char buffer[1024];
  if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr && found->pw_name != nullptr)
    return std::string(found->pw_name) + " (uid " + std::to_string(uid) + ")";
  return "uid " + std::to_string(uid);
}

// A link in a folder that others than its owner may write is followed only
// when it is the running user's or the folder owner's: anyone else who may
// write there could aim it at a file of the user's. (The rule the system
// applies to links in shared sticky folders.)
std::string whyLinkNotFollowed(const std::string& path, const struct stat& link) {
  struct stat folder {};
  if (::stat(folderOf(path).c_str(), &folder) != 0 || (folder.st_mode & (S_IWGRP | S_IWOTH)) == 0) return {};
  if (link.st_uid == ::geteuid() || link.st_uid == folder.st_uid) return {};
  return "is a symbolic link owned by " + userName(link.st_uid) +
         " in a folder other users may write, which is not followed";
}

// False, with why, for a name whose links are refused or reach no file. A
// name that is not there (or cannot be asked about) is a place: its writer
// makes it, or fails as it tries.
bool resolve(const std::string& name, Place* place, std::string* why) {
  place->chain.clear();
  std::string path = name;
  for (int hop = 0; hop <= kMostLinks; ++hop) {
    struct stat info {};
    Seen seen;
    if (::lstat(path.c_str(), &info) != 0) {
      if (hop > 0) {
        *why = errno == ENOENT ? "is a symbolic link to a missing file"
                               : std::string("is a symbolic link that reaches no file: ") + std::strerror(errno);
        return false;
      }
      place->chain.push_back(seen);
      place->target = path;
      return true;
    }
    seen = {true, info.st_mode & S_IFMT, info.st_dev, info.st_ino, {}};
    if (!S_ISLNK(info.st_mode)) {
      place->chain.push_back(seen);
      place->target = path;
      return true;
    }
    if (std::string refused = whyLinkNotFollowed(path, info); !refused.empty()) {
      *why = std::move(refused);
      return false;
    }
    std::vector<char> text(static_cast<std::size_t>(info.st_size) + 2);
    const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
    if (n < 0 || static_cast<std::size_t>(n) >= text.size()) {
      *why = "is a symbolic link that reaches no file: " + std::string(std::strerror(n < 0 ? errno : EAGAIN));
      return false;
    }
    seen.link.assign(text.data(), static_cast<std::size_t>(n));
    place->chain.push_back(seen);
    path = !seen.link.empty() && seen.link[0] == '/' ? seen.link : folderOf(path) + "/" + seen.link;
  }
  *why = "is a symbolic link that loops";
  return false;
}

// Why no regular file may take the place (empty when one may).
std::string whyNoPlace(const Place& place) {
  const Seen& last = place.chain.back();
  if (S_ISFIFO(last.type)) return "is a FIFO, not a regular file";
  if (S_ISCHR(last.type) || S_ISBLK(last.type)) return "is a device, not a regular file";
  if (S_ISSOCK(last.type)) return "is a socket, not a regular file";
  return {};
}

// The protected file's identity: no file while `set` is false.
struct Protected {
  bool set = false;
  dev_t device = 0;
  ino_t inode = 0;
};
Protected protectedFile;

bool isProtected(const std::string& name) {
  struct stat info {};
  return protectedFile.set && ::stat(name.c_str(), &info) == 0 && info.st_dev == protectedFile.device &&
         info.st_ino == protectedFile.inode;
}

// What each temporary file made here holds while its writer lives, by its
// path, until it is put in place or removed: its lock (the descriptor it
// was made with) and the place it was made for.
struct Held {
  int descriptor = -1;
  Place place;
};
std::map<std::string, Held>& heldLocks() {
  static auto* held = new std::map<std::string, Held>;
  return *held;
}

int heldDescriptor(const std::string& temporary) {
  std::lock_guard<std::mutex> hold(pendingLock());
  auto found = heldLocks().find(temporary);
  return found == heldLocks().end() ? -1 : found->second.descriptor;
}

// The place the temporary file was made for; false for one not made here.
bool heldPlace(const std::string& temporary, Place* place) {
  std::lock_guard<std::mutex> hold(pendingLock());
  auto found = heldLocks().find(temporary);
  if (found == heldLocks().end()) return false;
  *place = found->second.place;
  return true;
}

TemporaryStepForTests stepForTests = nullptr;
void step(const char* name, const std::string& temporary) {
  if (stepForTests != nullptr) stepForTests(name, temporary);
}

void letLockGo(const std::string& temporary) noexcept {
  int fd = -1;
  {
    std::lock_guard<std::mutex> hold(pendingLock());
    auto found = heldLocks().find(temporary);
    if (found == heldLocks().end()) return;
    fd = found->second.descriptor;
    heldLocks().erase(found);
  }
  ::close(fd);
}

bool sameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the open file is still the one named `path` (not removed, not
// replaced).
bool stillNamed(int fd, const std::string& path) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && open.st_nlink > 0 && ::lstat(path.c_str(), &named) == 0 &&
         sameFile(open, named);
}

// Whether `path` still names the file made as `fd` and nothing else does:
// not a symbolic link, a regular file with one link, the same device and
// inode. Whoever may write the folder may have put a link to a file of
// theirs (or of anyone) in its place, another file, or a second link to it.
bool stillOnlyOurs(int fd, const std::string& path) {
  struct stat open {}, named {};
  return fd >= 0 && ::fstat(fd, &open) == 0 && S_ISREG(open.st_mode) && open.st_nlink == 1 &&
         ::lstat(path.c_str(), &named) == 0 && S_ISREG(named.st_mode) && sameFile(open, named);
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

std::string baseOf(const std::string& name) {
  const auto slash = name.find_last_of('/');
  return slash == std::string::npos ? name : name.substr(slash + 1);
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

std::string newTemporaryName(const std::string& name) {
  const std::string random = hex(randomWord());
  return name + ".tmp-" + random + check(baseOf(name), random);
}

bool isTemporaryNameOf(const std::string& base, const std::string& entry) {
  const std::string prefix = base + ".tmp-";
  if (entry.size() != prefix.size() + kRandomDigits + kCheckDigits || entry.compare(0, prefix.size(), prefix) != 0)
    return false;
  const std::string random = entry.substr(prefix.size(), kRandomDigits);
  return entry.compare(prefix.size() + kRandomDigits, kCheckDigits, check(base, random)) == 0;
}

bool isWritersOwn(const struct stat& info) {
  return S_ISREG(info.st_mode) && (info.st_mode & 07777) == kWritingMode && info.st_uid == ::geteuid() &&
         info.st_nlink == 1;
}

// The temporary files of `name` that no living writer holds: a writer killed
// half way left them, since every writer holds its own locked until it lets
// it go. Only a file with a writer's name that is still as its writer made it
// (above) is taken for one; a file whose lock cannot be asked about (a file
// system without locks) is left alone, and so is one a writer killed between
// giving it its final mode and the rename.
void removeKilledWritersTemporaries(const std::string& name) {
  const std::string folder = folderOf(name);
  const std::string base = baseOf(name);
  DIR* listing = ::opendir(folder.c_str());
  if (listing == nullptr) return;
  std::vector<std::string> found;
  while (const dirent* entry = ::readdir(listing))
    if (isTemporaryNameOf(base, entry->d_name)) found.push_back(folder + "/" + entry->d_name);
  ::closedir(listing);
  for (const std::string& path : found) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    // Removed only while locked here, and only the file that was locked.
    if (::fstat(fd, &info) == 0 && isWritersOwn(info) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        stillNamed(fd, path))
      ::unlink(path.c_str());
    ::close(fd);
  }
}

// The mode the file written takes: that of the file it replaces, or a new
// file's.
mode_t finalMode(const std::string& name) {
  struct stat info {};
  if (::lstat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode)) return info.st_mode & 07777;
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
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
// the very file looked up then, never what stands at its name by now. Null
// when there is none (a new file), or it is no longer there.
std::FILE* openPlace(const std::string& temporary) {
  Place place;
  if (!heldPlace(temporary, &place) || !place.chain.back().exists) return nullptr;
  const int fd = ::open(place.target.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return nullptr;
  struct stat info {};
  const Seen& last = place.chain.back();
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_dev != last.device || info.st_ino != last.inode) {
    ::close(fd);
    return nullptr;
  }
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

bool RefusedTarget(const std::string& name) {
  if (!isProtected(name)) return false;
  try {
    Host::ShowUser(Host::UserMessage::kError, std::to_string(kWritesPlayedJournal) + " " + name +
                                                  ": the file is the journal being played: it is not written over");
  } catch (...) {
    // Refused all the same.
  }
  errno = EPERM;
  return true;
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat x {}, y {};
  return ::stat(a.c_str(), &x) == 0 && ::stat(b.c_str(), &y) == 0 && x.st_dev == y.st_dev && x.st_ino == y.st_ino;
}

std::string WhyNoPlaceForAFile(const std::string& name) {
  Place place;
  std::string why;
  return resolve(name, &place, &why) ? whyNoPlace(place) : why;
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
    if (isProtected(name)) return;
    // What stands at the name after another process changed it says nothing
    // of why this write failed: the failure itself does.
    std::string why = NameChangedUnderTheWriter(error) ? std::string() : WhyNoPlaceForAFile(name);
    if (why.empty()) why = WhyFailed(error);
    const char* after = error == kNameTaken     ? "the name now holds the file that other process put there"
                        : error == kNameChanged ? "nothing at the name was followed or changed"
                                                : "the older file is as it was";
    Host::ShowWarning(kNotWritten, name + ": the file could not be written (" + why + "): " + after);
  } catch (...) {
    // What could not be said does not stop the writer's caller either.
  }
}

std::string WhyNotWritable(const std::string& name) {
  if (name.empty()) return "no file name";
  if (std::string why = WhyNoPlaceForAFile(name); !why.empty()) return why;
  struct stat info {};
  if (::stat(name.c_str(), &info) == 0) {
    if (S_ISDIR(info.st_mode)) return "is a directory";
    if (::access(name.c_str(), W_OK) != 0) return std::strerror(errno);
  }
  const std::string folder = folderOf(name);
  if (::stat(folder.c_str(), &info) != 0) return "no directory " + folder;
  if (!S_ISDIR(info.st_mode)) return folder + " is not a directory";
  // The file is written beside it and renamed: its folder must take a new file.
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return "directory " + folder + ": " + std::strerror(errno);
  return {};
}

bool MakeTemporaryBeside(const std::string& given, std::string* temporary, int* descriptor) {
  if (RefusedTarget(given)) return false;
  // The name is looked up here, once: the rename goes where it led now.
  Place place;
  std::string why;
  if (!resolve(given, &place, &why) || !whyNoPlace(place).empty()) {
    errno = EINVAL;
    return false;
  }
  writeFailsPastSizeLimit();
  const std::string& name = place.target;
  removeKilledWritersTemporaries(name);
  std::string pattern;
  int fd = -1;
  for (int tries = 0; fd < 0; ++tries) {
    if (tries == 100) {
      errno = EAGAIN;
      return false;
    }
    pattern = newTemporaryName(name);
    fd = ::open(pattern.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kWritingMode);
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
      if (stillNamed(fd, pattern)) break;
    } else if (errno != EWOULDBLOCK) {
      break;
    }
    ::close(fd);
    fd = -1;
  }
  try {
    std::lock_guard<std::mutex> hold(pendingLock());
    heldLocks()[pattern] = Held{fd, std::move(place)};
  } catch (...) {
    ::unlink(pattern.c_str());
    ::close(fd);
    throw;
  }
  *temporary = std::move(pattern);
  if (descriptor != nullptr) *descriptor = fd;
  step("made", *temporary);
  return true;
}

bool PutInPlace(const std::string& temporary, const std::string& name) {
  step("written", temporary);
  const int fd = heldDescriptor(temporary);
  Place made;
  const bool known = heldPlace(temporary, &made);
  // The final mode comes last: until then the file carries a writer's mark.
  // Given through the descriptor, and only while the path still names the
  // file alone: what stands there now is no longer ours to change, follow or
  // remove.
  bool ours = stillOnlyOurs(fd, temporary);
  if (ours) {
    ::fchmod(fd, finalMode(known ? made.target : name));
    step("final mode", temporary);
    ours = stillOnlyOurs(fd, temporary);
  }
  if (!ours) {
    letLockGo(temporary);
    errno = kTemporaryReplaced;
    return false;
  }
  step("checked", temporary);
  // The name must still be what it was when the temporary file was made:
  // the same file, still nothing, or the same links to it. Anything else is
  // another process's doing (a link to a file of the user's put at the name
  // among them), and is neither followed nor changed.
  Place now;
  std::string why;
  const bool reached = resolve(name, &now, &why);
  const bool place = reached && (known ? now == made : whyNoPlace(now).empty());
  if (!place) errno = known ? kNameChanged : EINVAL;
  if (place && !RefusedTarget(name)) {
    if (std::rename(temporary.c_str(), now.target.c_str()) == 0) {
      // A rename goes by path: what was put at the temporary path in the
      // moment since the check took the name instead. That cannot be taken
      // back, but it is not reported as written.
      const bool placed = stillNamed(fd, now.target);
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
  int fd = -1;
  try {
    fd = heldDescriptor(temporary);
  } catch (...) {
    // The path alone: as unknown.
  }
  if (fd < 0 || stillNamed(fd, temporary)) ::unlink(temporary.c_str());
  letLockGo(temporary);
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
    // What the file holds now comes first, as an append would find it.
    if (std::FILE* old = openPlace(temporary.Path())) {
      char block[1 << 14];
      std::size_t n = 0;
      bool copied = true;
      while ((n = std::fread(block, 1, sizeof block, old)) > 0) copied = copied && std::fwrite(block, 1, n, file) == n;
      copied = copied && std::ferror(old) == 0;
      std::fclose(old);
      if (!copied) {
        std::fclose(file);
        file = nullptr;
      }
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

std::FILE* OpenRegular(const char* name) {
  if (name == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  const int fd = OpenReached(name, O_RDONLY | O_NONBLOCK);
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

int ReadLines(const char* name, std::size_t most, std::vector<std::string>* lines, std::string* why) {
  lines->clear();
  why->clear();
  errno = 0;
  std::FILE* file = OpenRegular(name);
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
    *why = std::strerror(error);
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
