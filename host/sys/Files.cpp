#include "sys/Files.hpp"
#include "sys/Replace.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <set>
#include <string>

#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX {
namespace {
std::set<std::string>& lockedNames() {
  static auto* names = new std::set<std::string>;
  return *names;
}
// The variable made when first asked for, and its maker.
struct OnDemand {
  std::string name;
  Files::VariableMaker make = nullptr;
  void* context = nullptr;
};
OnDemand& onDemand() {
  static auto* variable = new OnDemand;
  return *variable;
}
}  // namespace

int CFI_ask_file_exist(const char* name) {
  Host::Log("CFI_ask_file_exist", name != nullptr ? name : "(null)");
  if (name == nullptr || *name == '\0') return 1;
  const int fd = Files::OpenReached(name, O_PATH);
  if (fd < 0) return 1;
  ::close(fd);
  return 0;
}

const char* ENV_translate_variable(const char* name) {
  Host::Log("ENV_translate_variable", name != nullptr ? name : "(null)");
  return Files::Variable(name);
}

char* CFI_append_delimiter(const char* directory) {
  Host::Log("CFI_append_delimiter", directory != nullptr ? directory : "(null)");
  if (directory == nullptr) return nullptr;
  const std::size_t length = std::strlen(directory);
  const bool has = length > 0 && directory[length - 1] == '/';
  auto* text = static_cast<char*>(SM_alloc(length + 2));
  if (text == nullptr) return nullptr;
  std::memcpy(text, directory, length);
  if (!has) text[length] = '/';
  text[has ? length : length + 1] = '\0';
  return text;
}

int CFI_modify_file_protection(const char* name, int mode, int mask, int option) {
  Host::Log("CFI_modify_file_protection", std::string(name != nullptr ? name : "(null)") + " " +
                                              std::to_string(mode) + " " + std::to_string(mask) + " " +
                                              std::to_string(option));
  // Every writer of the host puts a new file in the place of the older one,
  // so its owner need not be able to write the older file: nothing is
  // changed. A mode set by the name would land on whatever the name reaches
  // by then (another user's link to a private file among them), and the
  // file written takes the older file's mode, which a change here would
  // alter.
  if (name == nullptr || *name == '\0' || lockedNames().count(name) != 0) return 1;
  return 0;
}

char* CFI_get_simple_name(const char* name, int mode) {
  Host::Log("CFI_get_simple_name", std::string(name != nullptr ? name : "(null)") + " " + std::to_string(mode));
  std::string simple = name != nullptr ? name : "";
  if (const auto slash = simple.find_last_of('/'); slash != std::string::npos) simple.erase(0, slash + 1);
  if (const auto dot = simple.find_last_of('.'); mode == 2 && dot != std::string::npos && dot > 0) simple.erase(dot);
  return SM_string_copy(simple.c_str());
}

char* STR_copy_uc(const char* text) {
  std::string upper = text != nullptr ? text : "";
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return SM_string_copy(upper.c_str());
}

namespace System {
std::FILE* SYSS_fopen(const char* name, const char* mode) {
  Host::Log("SYSS_fopen", std::string(name != nullptr ? name : "(null)") + " " + (mode != nullptr ? mode : ""));
  if (name == nullptr || mode == nullptr) return nullptr;
  // The text modes' 't' is the host's own; the system knows none, and it
  // writes a binary file as a text one.
  std::string plain, system;
  for (const char* c = mode; *c != '\0'; ++c) {
    if (*c != 't') system += *c;
    if (*c != 't' && *c != 'b') plain += *c;
  }
  // A file written is written whole (beside it, renamed at SYSS_fclose); a
  // file read is read only when it is a regular file. A file that cannot be
  // written is shown, whatever its writer goes on to do.
  if (plain == "w" || plain == "a") {
    std::FILE* file = Files::OpenReplacing(name, plain.c_str());
    if (file == nullptr) Files::ShowNotWritten(name, errno);
    return file;
  }
  if (plain == "r") return Files::OpenRegular(name);
  // Opened to be changed in place: only a file that is there (what replaces
  // a file is the writers' above), never the journal being played, judged
  // by the file reached, not by its name again.
  if (plain != "r+") {
    errno = EINVAL;
    return nullptr;
  }
  const int fd = Files::OpenReached(name, O_RDWR);
  if (fd >= 0 && Files::RefusedOpened(name, fd)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* file = fd >= 0 ? ::fdopen(fd, system.c_str()) : nullptr;
  if (file == nullptr && fd >= 0) ::close(fd);
  return file;
}

int SYSS_fclose(std::FILE* file) {
  // As CFI_close_file: the file is let go on every way out, and one written
  // takes its place only when its close succeeds outside an error's way.
  try {
    Host::Log("SYSS_fclose");
  } catch (...) {
    Files::AbandonReplacing(file);
    throw;
  }
  if (std::uncaught_exceptions() > 0) {
    Files::AbandonReplacing(file);
    return EOF;
  }
  const std::string written = Files::ReplacingName(file);
  if (Files::CloseReplacing(file) == 0) return 0;
  if (!written.empty()) Files::ShowNotWritten(written, errno);
  return EOF;
}
}  // namespace System

namespace Files {
void MakeVariableOnDemand(const char* name, VariableMaker make, void* context) {
  onDemand() = make != nullptr && name != nullptr ? OnDemand{name, make, context} : OnDemand{};
}

const char* Variable(const char* name) {
  if (name == nullptr) return nullptr;
  const char* value = std::getenv(name);
  if ((value == nullptr || *value == '\0') && onDemand().make != nullptr && onDemand().name == name) {
    const std::string made = onDemand().make(onDemand().context);
    if (!made.empty() && ::setenv(name, made.c_str(), 1) == 0) value = std::getenv(name);
  }
  return value != nullptr && *value != '\0' ? value : nullptr;
}

// OpenReached walks as the writers do, beside their walk (sys/Replace.cpp).

void LockName(const std::string& name) { lockedNames().insert(name); }
void UnlockAllNames() { lockedNames().clear(); }
}  // namespace Files

}  // namespace KTX
