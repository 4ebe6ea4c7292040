// The one place the suites, benchmarks and fuzz targets name the temporary
// folder. Whatever they make there lies inside a folder made here under a
// name no other folder had (mkdtemp, mode 0700): a name built from the
// process id can be made ahead by another user, as a folder holding links
// to that user's choice of file, and a write through it would change a file
// the writer never meant to touch. tools/check-scratch fails the build's
// checks when another source names the temporary folder itself.
#pragma once

#include <stdlib.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>

namespace stamvik_scratch {

// TMPDIR when it is set and not empty, else /tmp; as it is named.
inline std::string TemporaryFolder() {
  const char* set = std::getenv("TMPDIR");
  return set != nullptr && *set != '\0' ? set : "/tmp";
}

// A folder of the caller's own in the temporary folder, removed whole (never
// through a shell, whatever its name holds) when it goes. Where it cannot be
// made, Path() is empty and Error() says why.
class Folder {
 public:
  explicit Folder(const std::string& stem) {
    std::string name = TemporaryFolder();
    if (name.back() != '/') name += '/';
    name += stem + "XXXXXX";
    const std::string pattern = name;
    if (::mkdtemp(name.data()) != nullptr) {
      // Named from the root whatever TMPDIR gave (".", a relative name): a
      // test that changes its working folder still names its own, and so
      // does the removal at its end.
      path_ = name;
      std::error_code unnamed;
      if (path_.is_relative()) {
        const std::filesystem::path whole = std::filesystem::absolute(path_, unnamed);
        if (!unnamed) path_ = whole.lexically_normal();
      }
    } else {
      error_ = "cannot make a folder " + pattern + ": " + std::strerror(errno);
    }
  }
  ~Folder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  Folder(const Folder&) = delete;
  Folder& operator=(const Folder&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  // The folder's name with a slash at its end, for names joined to it.
  std::string Slashed() const { return path_.string() + "/"; }
  const std::string& Error() const { return error_; }

 private:
  std::filesystem::path path_;
  std::string error_;
};

// A folder of the process's own for the benchmarks' and fuzz targets' files,
// made when first asked for and removed at the process's end. A program
// that cannot make it stops there, saying why: it would measure or fuzz
// nothing.
inline const Folder& ProcessFolder() {
  static const Folder folder("stamvik-");
  if (folder.Path().empty()) {
    std::fprintf(stderr, "%s\n", folder.Error().c_str());
    std::abort();
  }
  return folder;
}

// An environment variable set (or unset, given null) for a scope, and put
// back as it was on every way out of it.
class Variable {
 public:
  Variable(const char* name, const char* value) : name_(name) {
    if (const char* was = std::getenv(name); was != nullptr) {
      had_ = true;
      was_ = was;
    }
    if (value != nullptr) {
      ::setenv(name, value, 1);
    } else {
      ::unsetenv(name);
    }
  }
  ~Variable() {
    if (had_) {
      ::setenv(name_.c_str(), was_.c_str(), 1);
    } else {
      ::unsetenv(name_.c_str());
    }
  }
  Variable(const Variable&) = delete;
  Variable& operator=(const Variable&) = delete;

 private:
  std::string name_;
  bool had_ = false;
  std::string was_;
};

}  // namespace stamvik_scratch
