#include "sys/Str.hpp"

namespace {
long long compares = 0;

unsigned char lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c; }
}  // namespace

extern "C" {

int STR_compare_i(const char* first, const char* second) {
  ++compares;
  if (first == nullptr || second == nullptr) {
    if (first == second) return 0;
    return first == nullptr ? -1 : 1;
  }
  const auto* a = reinterpret_cast<const unsigned char*>(first);
  const auto* b = reinterpret_cast<const unsigned char*>(second);
  // Most names differ in their first characters or agree byte for byte: the
  // case is folded only where the bytes differ.
  for (;; ++a, ++b) {
    unsigned char ca = *a;
    unsigned char cb = *b;
    if (ca == cb) {
      if (ca == '\0') return 0;
      continue;
    }
    ca = lower(ca);
    cb = lower(cb);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
}
}

namespace KTX::Str {
long long CompareCount() { return compares; }
void ResetCompareCount() { compares = 0; }
}  // namespace KTX::Str
