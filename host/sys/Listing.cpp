#include "sys/Listing.hpp"

#include <cstdarg>
#include <cstdio>

#include "sys/CallLog.hpp"

namespace KTX {
namespace {
struct Window {
  bool open = false;
  int opened = 0;
  std::vector<std::string> lines;
};
Window& window() {
  static auto* made = new Window;
  return *made;
}
}  // namespace

bool LISTUI_ask_qf_lwin_open() { return window().open; }

void LISTUI_set_qf_lwin_open(bool open) {
  Host::Log("LISTUI_set_qf_lwin_open", open ? "1" : "0");
  window().open = open;
}

void listUIclear() {
  Host::Log("listUIclear");
  window().lines.clear();
}

void LISTUI_open(const void*, const void*, const void*) {
  Host::Log("LISTUI_open");
  ++window().opened;
}

void listUIprintf(const char* format, ...) {
  if (format == nullptr) return;
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  const int length = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  std::string line(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(line.data(), line.size() + 1, format, again);
  va_end(again);
  window().lines.push_back(std::move(line));
}

namespace Listing {
const std::vector<std::string>& Lines() { return window().lines; }
std::string Text() {
  std::string text;
  for (const std::string& line : window().lines) text += line;
  return text;
}
int Opened() { return window().opened; }
void Reset() { window() = Window{}; }
}  // namespace Listing

}  // namespace KTX
