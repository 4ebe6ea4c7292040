// The host's file library: what the builders ask of files by name, the
// environment, and opening files.
#pragma once
#include <cstdio>
#include <string>

#include "Export.hpp"

namespace KTX {
// 0 when the name reaches a file, following links only as every writer
// does (see Files::OpenReached), otherwise 1 (also for no name).
KTX_HOST_API int CFI_ask_file_exist(const char* name);
// The value of an environment variable; null when it is unset or empty.
KTX_HOST_API const char* ENV_translate_variable(const char* name);
// A new text (SM_alloc) of the directory with one '/' at its end; null for no directory.
KTX_HOST_API char* CFI_append_delimiter(const char* directory);
// Asks that a file may be written; the builders pass (79, 13107, 0). The
// host's writers put a new file in the older one's place, whatever the older
// file's mode: nothing is changed, by name or otherwise. 0, or 1 for a
// locked name (see Files::LockName) or no name.
KTX_HOST_API int CFI_modify_file_protection(const char* name, int mode, int mask, int option);

// A file's name without its directory; mode 2 drops its extension too. A new text.
KTX_HOST_API char* CFI_get_simple_name(const char* name, int mode);
// A new text of the text in upper case.
KTX_HOST_API char* STR_copy_uc(const char* text);

namespace System {
// Opens a file as fopen does (the host's text modes' 't' dropped). A file
// opened to write ("w", "a") is written to a temporary file beside it that
// takes its place at SYSS_fclose, whole; one opened to read ("r") only when
// it is a regular file (never waiting on a pipe); one opened to be changed
// in place ("r+") only when it is there, reached as OpenReached does. Other
// modes are refused (EINVAL).
KTX_HOST_API std::FILE* SYSS_fopen(const char* name, const char* mode);
// Closes a file SYSS_fopen opened: one written is then put in place. 0, or
// EOF when it could not be written (the older file stays).
KTX_HOST_API int SYSS_fclose(std::FILE* file);
}  // namespace System

namespace Files {
// A descriptor (opened with `flags`, O_NOFOLLOW and O_CLOEXEC added) of the
// file the name reaches, or -1 with errno. The name is walked as every
// writer walks its output (see WhyNoPlaceForAFile): one name at a time from
// folders opened there, so that a symbolic link anywhere on the way, a
// folder's included, is followed only as every writer follows one: in a
// folder that users other than its owner may write, only the running user's
// or the folder owner's (another's: EACCES, as the system answers in a
// shared sticky folder). The file is opened once, by its last name in the
// folder the walk reached: nothing is looked up by the name as a whole.
KTX_HOST_API int OpenReached(const char* name, int flags);

// Test hooks: a locked name cannot be made writable (whether or not a file
// of that name exists), so a writer must take another.
KTX_HOST_API void LockName(const std::string& name);
KTX_HOST_API void UnlockAllNames();

// A variable given a value when it is first asked for: while it is unset or
// empty, asking for it (ENV_translate_variable, Variable) calls `make`, and
// a value it gives (not empty) is set in the environment, so it is made
// once. One variable at a time has a maker; a null `make` takes it away.
using VariableMaker = std::string (*)(void* context);
KTX_HOST_API void MakeVariableOnDemand(const char* name, VariableMaker make, void* context);
// What ENV_translate_variable answers, for the host's own readers: not logged.
KTX_HOST_API const char* Variable(const char* name);
}  // namespace Files
}  // namespace KTX
