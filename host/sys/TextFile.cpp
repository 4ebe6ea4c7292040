#include "sys/TextFile.hpp"
#include "sys/Files.hpp"
#include "sys/Replace.hpp"
#include "sys/UserMessages.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <exception>
#include <map>

#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX {
namespace {

std::string vformat(const char* format, va_list args) {
  if (format == nullptr) return {};
  va_list copy;
  va_copy(copy, args);
  const int size = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (size <= 0) return {};
  std::string text(static_cast<std::size_t>(size) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(size));
  return text;
}

std::vector<std::string>& notes() {
  static auto* list = new std::vector<std::string>;
  return *list;
}
std::vector<int>& handled() {
  static auto* list = new std::vector<int>;
  return *list;
}
std::map<int, std::FILE*>& channels() {
  static auto* open = new std::map<int, std::FILE*>;
  return *open;
}

const char* orNull(const char* text) { return text != nullptr ? text : "(null)"; }

}  // namespace

char* TEXT_format_string(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  return SM_string_copy(text.c_str());
}

void ERROR_note(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = vformat(format, args);
  va_end(args);
  Host::Log("ERROR_note", text);
  Host::ShowUser(Host::UserMessage::kNote, text);
  notes().push_back(std::move(text));
}

void ERROR_set_handled(int code) {
  Host::Log("ERROR_set_handled", std::to_string(code));
  handled().push_back(code);
}

void STR_strip_ending_whitespace(char* text) {
  if (text == nullptr) return;
  std::size_t length = std::strlen(text);
  while (length > 0 && std::strchr(" \t\r\n", text[length - 1]) != nullptr) text[--length] = '\0';
}

int CFI_get_file_type(const char* name, int* type) {
  Host::Log("CFI_get_file_type", orNull(name));
  if (name == nullptr || type == nullptr) return 1;
  const std::size_t length = std::strlen(name);
  *type = length >= 4 && std::strcmp(name + length - 4, ".hsd") == 0 ? kCfiSizeDefinition : 0;
  return 0;
}

int CFI_add_extension(const char* name, int type, char** withExtension) {
  Host::Log("CFI_add_extension", std::string(orNull(name)) + " " + std::to_string(type));
  if (withExtension == nullptr) return 1;
  *withExtension = nullptr;
  if (name == nullptr || type != kCfiSizeDefinition) return 1;
  *withExtension = SM_string_copy((std::string(name) + ".hsd").c_str());
  return 0;
}

int CFI_query_file_permissions(const char* name, int type, int access) {
  Host::Log("CFI_query_file_permissions",
            std::string(orNull(name)) + " " + std::to_string(type) + " " + std::to_string(access));
  if (name == nullptr) return 0;
  // Asked of the file the name reaches, through its descriptor: the name is
  // looked up once, as its writer and readers look it up.
  const int fd = Files::OpenReached(name, O_PATH);
  if (fd < 0) return 0;
  const int wanted = access == 2 ? W_OK : R_OK;
  int answer = ::faccessat(fd, "", wanted, AT_EMPTY_PATH);
  // A system (or a filter of system calls) without the call's newer form:
  // the same file through the descriptor's own entry.
  if (answer != 0 && (errno == ENOSYS || errno == EINVAL || errno == EPERM))
    answer = ::access(("/proc/self/fd/" + std::to_string(fd)).c_str(), wanted);
  const bool allowed = answer == 0;
  ::close(fd);
  return allowed ? 1 : 0;
}

int CFI_open_iti_text(const char* name, int type, int mode, int* channel) {
  Host::Log("CFI_open_iti_text", std::string(orNull(name)) + " " + std::to_string(type) + " " + std::to_string(mode));
  if (channel == nullptr) return 1;
  *channel = 0;
  if (name == nullptr || (mode != 1 && mode != 3)) return 1;
  // Written whole (beside it, renamed at the close); read only when regular.
  std::FILE* file = mode == 3 ? Files::OpenReplacing(name, "w") : Files::OpenRegular(name);
  if (file == nullptr) {
    // A file that cannot be written is shown with its name and why: its
    // writer's own words need not say either.
    if (mode == 3) Files::ShowNotWritten(name, errno);
    return 1;
  }
  static int next = 0;
  *channel = ++next;
  channels()[*channel] = file;
  return 0;
}

int CFI_write_iti_line(int channel, const char* line) {
  auto found = channels().find(channel);
  if (found == channels().end()) return 1;
  std::fputs(line != nullptr ? line : "", found->second);
  std::fputc('\n', found->second);
  return 0;
}

int CFI_close_file(int channel) {
  // The channel is let go on every way out. A close that fails, or one made
  // while an error is on its way (a writer's clean-up), leaves the older file
  // as it was and no temporary file beside it.
  std::FILE* file = nullptr;
  if (auto found = channels().find(channel); found != channels().end()) {
    file = found->second;
    channels().erase(found);
  }
  try {
    Host::Log("CFI_close_file", std::to_string(channel));
  } catch (...) {
    Files::AbandonReplacing(file);
    throw;
  }
  if (file == nullptr) return 1;
  if (std::uncaught_exceptions() > 0) {
    Files::AbandonReplacing(file);
    return 1;
  }
  const std::string written = Files::ReplacingName(file);
  if (Files::CloseReplacing(file) == 0) return 0;
  if (!written.empty()) Files::ShowNotWritten(written, errno);
  return 1;
}

namespace Error {
const std::vector<std::string>& Notes() { return notes(); }
const std::vector<int>& HandledErrors() { return handled(); }
void ClearNotes() {
  notes().clear();
  handled().clear();
}
}  // namespace Error

namespace Host {
int OpenTextChannels() { return static_cast<int>(channels().size()); }
}  // namespace Host

}  // namespace KTX
