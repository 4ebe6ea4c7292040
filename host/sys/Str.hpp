// The host's string helpers.
#pragma once

#include "Export.hpp"

extern "C" {

// Compares two whole zero-terminated texts, ASCII letters without regard to
// case (bytes outside A-Z and a-z compare as they are). Gives 0 when equal,
// a negative number when the first sorts before the second, a positive one
// after it; a shorter text that is a prefix of the longer sorts first. A null
// text equals only another null and sorts before every text, so a null never
// matches a name.
KTX_HOST_API int STR_compare_i(const char* first, const char* second);
}

namespace KTX::Str {
// How many times STR_compare_i ran since the last reset: lets a caller prove
// how many compares a lookup cost.
KTX_HOST_API long long CompareCount();
KTX_HOST_API void ResetCompareCount();
}  // namespace KTX::Str
