// The host's file library: what the builders ask of files by name.
#pragma once
#include "Export.hpp"

namespace KTX {
// 0 when a file of that name exists, otherwise 1 (also for no name).
KTX_HOST_API int CFI_ask_file_exist(const char* name);
}  // namespace KTX
