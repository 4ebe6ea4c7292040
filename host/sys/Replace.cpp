#include "sys/Replace.hpp"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <utility>

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

// The file a name reaches: a symbolic link's target, so that the file
// replaced is the one written through the link, not the link.
std::string reached(const std::string& name) {
  struct stat info {};
  if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return name;
  char* real = ::realpath(name.c_str(), nullptr);
  if (real == nullptr) return name;
  std::string out = real;
  std::free(real);
  return out;
}

// The protected file's identity: no file while `set` is false.
struct Protected {
  bool set = false;
  dev_t device = 0;
  ino_t inode = 0;
};
Protected protectedFile;

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

}  // namespace

void ProtectFromWrites(const std::string& name) {
  struct stat info {};
  protectedFile = {};
  if (!name.empty() && ::stat(name.c_str(), &info) == 0) protectedFile = {true, info.st_dev, info.st_ino};
}

bool RefusedTarget(const std::string& name) {
  if (!protectedFile.set) return false;
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0 || info.st_dev != protectedFile.device || info.st_ino != protectedFile.inode)
    return false;
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

std::string WhyNotWritable(const std::string& name) {
  if (name.empty()) return "no file name";
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

bool MakeTemporaryBeside(const std::string& given, std::string* temporary) {
  if (RefusedTarget(given)) return false;
  writeFailsPastSizeLimit();
  const std::string name = reached(given);
  std::string pattern = name + ".tmp-XXXXXX";
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) return false;
  struct stat info {};
  mode_t mode = 0;
  if (::stat(name.c_str(), &info) == 0) {
    mode = info.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd, mode);
  ::close(fd);
  *temporary = std::move(pattern);
  return true;
}

bool PutInPlace(const std::string& temporary, const std::string& name) {
  // Checked again at the rename: the name may reach the journal by now.
  if (!RefusedTarget(name) && std::rename(temporary.c_str(), reached(name).c_str()) == 0) return true;
  const int error = errno;
  std::remove(temporary.c_str());
  errno = error;
  return false;
}

std::FILE* OpenReplacing(const std::string& name, const char* mode) {
  const bool append = mode != nullptr && std::strchr(mode, 'a') != nullptr;
  TemporaryBeside temporary(name);
  if (!temporary.Made()) return nullptr;
  std::FILE* file = std::fopen(temporary.Path().c_str(), "w");
  if (file != nullptr && append) {
    // What the file holds now comes first, as an append would find it.
    if (std::FILE* old = OpenRegular(name.c_str())) {
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
  bool written = std::fflush(file) == 0 && std::ferror(file) == 0;
  written = written && ::fsync(::fileno(file)) == 0;
  written = std::fclose(file) == 0 && written;
  if (!written) {
    std::remove(target.temporary.c_str());
    return EOF;
  }
  return PutInPlace(target.temporary, target.name) ? 0 : EOF;
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
  if (!temporary.empty()) std::remove(temporary.c_str());
}

std::FILE* OpenRegular(const char* name) {
  if (name == nullptr) {
    errno = EINVAL;
    return nullptr;
  }
  const int fd = ::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
