// The host's text and file services that the vehicle-design utilities use:
// formatted host strings, notes on the current error, and the host's text
// files written line by line (opening files and upper case: sys/Files.hpp).
#pragma once
#include <cstdio>
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX {

// A new host string (SM_alloc) of the format and its arguments, as the text
// library's formatter (SM_sprintf in sys/Memory.hpp is the allocator's).
KTX_HOST_API char* TEXT_format_string(const char* format, ...);
// A note added to the error being handled (recorded; Error::Notes reads them).
KTX_HOST_API void ERROR_note(const char* format, ...);
// Marks the error being handled as dealt with (recorded with its number).
KTX_HOST_API void ERROR_set_handled(int code);

// Cuts blanks, tabs, carriage returns and newlines off the end, in place.
KTX_HOST_API void STR_strip_ending_whitespace(char* text);

// ---- the host's text files (file type 82: the human size definition, ".hsd") ----
constexpr int kCfiSizeDefinition = 82;
// The type of the name by its extension: 0 and the type (82 for ".hsd", 0 for
// any other), or 1 for no name.
KTX_HOST_API int CFI_get_file_type(const char* name, int* type);
// A new name (SM_alloc) with the type's extension added: 0, or 1 for no name
// or a type without an extension.
KTX_HOST_API int CFI_add_extension(const char* name, int type, char** withExtension);
// Access 1 read, 2 write: 1 when the present file allows it, else 0.
KTX_HOST_API int CFI_query_file_permissions(const char* name, int type, int access);
// Opens a text file: mode 1 reads, 3 writes anew. 0 and a channel, or 1.
KTX_HOST_API int CFI_open_iti_text(const char* name, int type, int mode, int* channel);
// Writes the text and the line end ("\n"): 0, or 1 for a channel not open.
KTX_HOST_API int CFI_write_iti_line(int channel, const char* line);
KTX_HOST_API int CFI_close_file(int channel);

namespace Error {
KTX_HOST_API const std::vector<std::string>& Notes();
KTX_HOST_API const std::vector<int>& HandledErrors();
KTX_HOST_API void ClearNotes();
}  // namespace Error

namespace Host {
// Text channels still open (a test proves every file was closed).
KTX_HOST_API int OpenTextChannels();
}  // namespace Host

}  // namespace KTX
