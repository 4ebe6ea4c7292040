// The sub-builders hand their referenced objects to their owner's list one
// tag at a time: the owner's array (when it gave one) grows by one entry with
// the host allocator, and the count grows either way.
#pragma once
#include "Export.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

inline void AppendSelectedTag(int* count, tag_t** tags, tag_t tag) {
  if (count == nullptr || tag == 0) return;
  if (tags != nullptr) {
    auto* grown = static_cast<tag_t*>(SM_crealloc(*tags, sizeof(tag_t) * static_cast<std::size_t>(*count + 1)));
    if (grown == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %d tags", *count + 1);
    grown[*count] = tag;
    *tags = grown;
  }
  ++*count;
}

}  // namespace KTX::DieDesJA
