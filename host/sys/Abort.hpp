// The host's user-abort flag: set when the user stops a long operation.
// Tests turn it on from a given query on, as a user pressing stop part way.
#pragma once
#include "Export.hpp"

namespace KTX {

// Whether the user asked to stop. Each call is one query (logged with its
// answer).
KTX_HOST_API bool ABORT_ask_flag_status();

namespace Abort {
// Restarts the query count; the flag is on from the n-th query after this
// one on (1: the next query). 0 keeps it off.
KTX_HOST_API void SetOnFromQuery(int n);
// Queries since the last SetOnFromQuery.
KTX_HOST_API int Queries();
}  // namespace Abort

}  // namespace KTX
