#include "sys/Trusted.hpp"

#include <dlfcn.h>
#include <fcntl.h>
#include <grp.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <algorithm>
#include <deque>
#include <utility>

#include "sys/Replace.hpp"

namespace KTX::Files {
namespace {

// A descriptor closed with its holder.
class Held {
 public:
  explicit Held(int fd = -1) : fd_(fd) {}
  ~Held() { reset(); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  int get() const { return fd_; }
  int* put() { return &fd_; }
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// As many links as the system itself follows before it calls it a loop.
constexpr int kMostLinks = 40;

std::string octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// Who besides the owner may write: "every user", or the users of its group
// by the group's name ("other users" is easily read as not the group's).
std::string whoElseWrites(const struct stat& info) {
  if ((info.st_mode & S_IWOTH) != 0) return "every user";
  const group* found = ::getgrgid(info.st_gid);
  return "the users of its group " +
         (found != nullptr && found->gr_name != nullptr ? std::string(found->gr_name)
                                                         : "gid " + std::to_string(info.st_gid));
}

std::string remedy(const struct stat& info) { return (info.st_mode & S_IWOTH) != 0 ? "chmod go-w" : "chmod g-w"; }

bool othersWrite(const struct stat& info) { return (info.st_mode & (S_IWGRP | S_IWOTH)) != 0; }
bool usersOrRoots(const struct stat& info) { return info.st_uid == ::geteuid() || info.st_uid == 0; }

// Why a folder the name passes through breaks the rule: `own` the one that
// holds the file, else one on its way (its writers could put another folder
// or link in the place of what comes next). A build the user made needs only
// its own folder and file mended, hence the umask there.
std::string whyFolder(const struct stat& where, const std::string& path, bool own) {
  const std::string its = own ? "its folder " + path : "the folder " + path + " on its way";
  const char* could = own ? "who could have put it there" : "who could have changed what it leads to";
  if (!usersOrRoots(where))
    return its + " is " + UserName(where.st_uid) + "'s, neither the user's nor root's, " + could;
  if (othersWrite(where) && (where.st_mode & S_ISVTX) == 0)
    return "other users may write " + its + " (mode " + octal(where.st_mode) + ", not sticky: " +
           whoElseWrites(where) + "), " + could + " (" + remedy(where) + " it" +
           (own ? ", or build under umask 022)" : ")");
  return {};
}

bool onProc(int folder) {
  struct statfs system {};
  return ::fstatfs(folder, &system) == 0 && system.f_type == PROC_SUPER_MAGIC;
}

void putNamesFirst(const std::string& path, std::deque<std::string>* names) {
  std::deque<std::string> these;
  for (std::size_t at = 0; at < path.size();) {
    const std::size_t end = std::min(path.find('/', at), path.size());
    if (std::string name = path.substr(at, end - at); !name.empty() && name != ".") these.push_back(std::move(name));
    at = end + 1;
  }
  names->insert(names->begin(), these.begin(), these.end());
}

std::string joined(const std::string& folder, const std::string& name) {
  return folder == "/" ? "/" + name : folder + "/" + name;
}

std::string parentOf(const std::string& folder) {
  const std::size_t slash = folder.rfind('/');
  return slash == 0 || slash == std::string::npos ? "/" : folder.substr(0, slash);
}

bool readLink(int folder, const std::string& name, std::string* text) {
  std::string buffer(256, '\0');
  for (;;) {
    const ssize_t n = ::readlinkat(folder, name.c_str(), buffer.data(), buffer.size());
    if (n < 0) return false;
    if (static_cast<std::size_t>(n) < buffer.size()) {
      *text = buffer.substr(0, static_cast<std::size_t>(n));
      return true;
    }
    if (buffer.size() >= (std::size_t{1} << 16)) return false;
    buffer.resize(buffer.size() * 2);
  }
}

constexpr const char* kChanged = "its name was changed by another process as it was followed";

// Walks the name again from "/" (a relative one from the working folder's
// own path, which holds no link), one name at a time, each link's text in
// its turn, every folder a name is looked up in checked; the walk must end
// at the file opened.
std::string whyAFolder(const std::string& name, const struct stat& file) {
  std::string path = name;
  if (path.empty() || path[0] != '/') {
    char here[PATH_MAX];
    if (::getcwd(here, sizeof here) == nullptr) return std::string("its working folder: ") + std::strerror(errno);
    path = std::string(here) + "/" + path;
  }
  std::deque<std::string> names;
  putNamesFirst(path, &names);
  Held at(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
  std::string folder = "/";
  int links = 0;
  while (at.get() >= 0 && !names.empty()) {
    const std::string next = std::move(names.front());
    names.pop_front();
    if (next == "..") {
      at.reset(::openat(at.get(), "..", O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      folder = parentOf(folder);
      continue;
    }
    struct stat where {}, info {};
    if (::fstat(at.get(), &where) != 0 || ::fstatat(at.get(), next.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
      return errno == ENOENT || errno == ENOTDIR ? std::string(kChanged)
                                                 : "the folder " + folder + " on its way: " + std::strerror(errno);
    const bool last = names.empty() && !S_ISLNK(info.st_mode);
    if (std::string why = whyFolder(where, folder, last); !why.empty()) return why;
    if (S_ISLNK(info.st_mode)) {
      if (++links > kMostLinks) return "it leads through more than " + std::to_string(kMostLinks) + " links";
      // A descriptor's link of /proc to the file itself, which no folder
      // holds any more (or ever did): no folder but those of /proc leads to it.
      struct stat reached {};
      if (onProc(at.get()) && ::fstatat(at.get(), next.c_str(), &reached, 0) == 0 && !S_ISDIR(reached.st_mode) &&
          reached.st_dev == file.st_dev && reached.st_ino == file.st_ino && file.st_nlink == 0)
        return names.empty() ? std::string() : kChanged;
      std::string text;
      if (!readLink(at.get(), next, &text) || text.empty()) return kChanged;
      if (text[0] == '/') {
        at.reset(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
        folder = "/";
      }
      putNamesFirst(text, &names);
      continue;
    }
    if (!names.empty()) {
      if (!S_ISDIR(info.st_mode)) return kChanged;
      at.reset(::openat(at.get(), next.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      folder = joined(folder, next);
      continue;
    }
    return info.st_dev == file.st_dev && info.st_ino == file.st_ino ? std::string() : kChanged;
  }
  return kChanged;
}

}  // namespace

std::string WhyNotTrustedToLoad(const std::string& name, int file) {
  struct stat info {};
  if (::fstat(file, &info) != 0) return std::strerror(errno);
  if (!usersOrRoots(info))
    return "it is a file of " + UserName(info.st_uid) + ", neither the user's nor root's, which is not loaded";
  if (othersWrite(info))
    return "other users may write it (mode " + octal(info.st_mode) + ": " + whoElseWrites(info) +
           "), which is not loaded (" + remedy(info) + " it, or build under umask 022)";
  return whyAFolder(name, info);
}

std::string LoadableName(int fd) {
  // The load's count spelt in the name, a bit a step ("/." or "//"): as
  // many spellings as loads, none longer than 64 steps.
  static std::atomic<unsigned long long> loads{0};
  std::string name = "/proc/self";
  for (unsigned long long n = loads++; n > 0; n >>= 1) name += (n & 1) != 0 ? "/." : "//";
  return name + "/fd/" + std::to_string(fd);
}

std::string LoaderWords(const std::string& loaded, const std::string& given) {
  const char* said = dlerror();
  std::string words = said != nullptr ? said : "the loader gave no reason";
  if (loaded.empty() || loaded == given) return words;
  for (std::size_t at = 0; (at = words.find(loaded, at)) != std::string::npos; at += given.size())
    words.replace(at, loaded.size(), given);
  return words;
}

void* LoadTrustedLibrary(const std::string& name, std::string* why) {
  why->clear();
  if (name.find('/') == std::string::npos) {
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) *why = LoaderWords(name, name);
    return handle;
  }
  Refusal refused;
  Held file(OpenReached(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC, &refused));
  struct stat info {};
  if (file.get() < 0) {
    *why = refused ? refused.words : std::strerror(errno);
  } else if (::fstat(file.get(), &info) != 0) {
    *why = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    *why = "not a regular file (a library is loaded from a file)";
  } else {
    *why = WhyNotTrustedToLoad(name, file.get());
  }
  if (!why->empty()) return nullptr;
  // Loaded through the descriptor looked at: nothing put at the name since is loaded.
  const std::string loaded = LoadableName(file.get());
  void* handle = dlopen(loaded.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) *why = LoaderWords(loaded, name);
  return handle;
}

}  // namespace KTX::Files
