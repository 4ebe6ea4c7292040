// Visibility of the stand-in host's public names. Everything the plug-in may
// call is marked KTX_HOST_API; the rest of the host stays hidden.
#pragma once

#if defined(KTX_HOST_BUILDING)
#define KTX_HOST_API __attribute__((visibility("default")))
#else
#define KTX_HOST_API __attribute__((visibility("default")))
#endif

namespace KTX {
using tag_t = unsigned int;
}
