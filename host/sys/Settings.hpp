// The host's modelling tolerances and its customer defaults.
#pragma once
#include <string>

#include "Export.hpp"

namespace KTX {

// The current modelling tolerances (0.01 and 0.5 until a test sets them).
KTX_HOST_API double TOLER_ask_distance_tol();
KTX_HOST_API double TOLER_ask_angular_tol();

// Customer defaults by exact name. A name that is not set reads as 0, false or
// an empty text.
KTX_HOST_API double PMAN_ask_real(const char* name);
KTX_HOST_API int PMAN_ask_int(const char* name);
KTX_HOST_API int PMAN_ask_logical(const char* name);
// A new copy (SM_alloc) of the text that the caller frees with SM_free.
KTX_HOST_API char* PMAN_ask_string(const char* name);

namespace Host {
KTX_HOST_API void SetTolerances(double distance, double angle);
KTX_HOST_API void ResetTolerances();
KTX_HOST_API void SetCustomerDefault(const std::string& name, double value);
KTX_HOST_API void SetCustomerDefault(const std::string& name, const std::string& text);
KTX_HOST_API void ClearCustomerDefaults();
}  // namespace Host

}  // namespace KTX
