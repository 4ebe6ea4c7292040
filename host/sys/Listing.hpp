// The host's listing window: a plain text window that reports print into,
// one formatted line at a time. The stand-in keeps every line verbatim.
#pragma once
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX {

// Whether the window has been marked open (LISTUI_set_qf_lwin_open).
KTX_HOST_API bool LISTUI_ask_qf_lwin_open();
KTX_HOST_API void LISTUI_set_qf_lwin_open(bool open);
// Empties the window.
KTX_HOST_API void listUIclear();
// Opens the window; the three arguments (title, position, owner) are recorded only.
KTX_HOST_API void LISTUI_open(const void* title, const void* position, const void* owner);
// Appends the formatted text as one line (its line ends are its own).
KTX_HOST_API void listUIprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));

namespace Listing {
// Test hooks: the lines printed since the window was last cleared, how many
// times it was opened, and a closed, empty window again.
KTX_HOST_API const std::vector<std::string>& Lines();
KTX_HOST_API std::string Text();
KTX_HOST_API int Opened();
KTX_HOST_API void Reset();
}  // namespace Listing

}  // namespace KTX
