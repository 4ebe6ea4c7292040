// The host allocator. Every block and every host class object is counted so
// that a test can prove that nothing leaked and nothing was freed twice.
#pragma once
#include <cstddef>
#include <cstdint>

#include "Export.hpp"

extern "C" {
KTX_HOST_API void* SM_alloc(std::size_t size);
KTX_HOST_API void* SM_calloc(std::size_t count, std::size_t size);
KTX_HOST_API void* SM_crealloc(void* block, std::size_t size);
KTX_HOST_API void SM_free(void* block);
KTX_HOST_API char* SM_string_copy(const char* text);
// A new text (SM_alloc, the caller frees it) formatted as printf does.
KTX_HOST_API char* SM_sprintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
}

namespace KTX::Memory {

// Host class objects (registrants, property values, ...) derive from this to
// come from the host's object allocator.
class KTX_HOST_API CppMemory {
 public:
  // Gives null when the host is out of memory; a new-expression then yields
  // null without running the constructor.
  static void* operator new(std::size_t size) noexcept;
  static void operator delete(void* block) noexcept;
  static void* operator new[](std::size_t size) noexcept;
  static void operator delete[](void* block) noexcept;
};

struct Counters {
  std::int64_t blocks = 0;       // live SM_ blocks
  std::int64_t bytes = 0;        // bytes in live SM_ blocks
  std::int64_t objects = 0;      // live CppMemory objects
  std::int64_t badFrees = 0;     // frees of unknown or already freed memory
};

KTX_HOST_API Counters LiveCounters();
// Test hook: the next n allocations (SM_ and CppMemory) fail.
KTX_HOST_API void FailNextAllocations(int n);
// Test hook: the next SM_ allocation of exactly `size` bytes fails (0: none).
KTX_HOST_API void FailNextAllocationOfSize(std::size_t size);

}  // namespace KTX::Memory

// Memory marks: a caller sets one before work whose scratch memory it means
// to drop at once. The stand-in frees nothing at a mark (every block stays
// its owner's to free, so the counters above still prove what leaked); it
// keeps the marks so that a test can prove every mark set was freed to.
extern "C" {
// A new mark (ids from 1, never reused).
KTX_HOST_API int SM_set_mark();
// Drops the mark and every mark set after it; an unknown mark does nothing.
KTX_HOST_API void SM_free_to_mark(int mark);
}

namespace KTX::Memory {
// How many memory marks are set and not yet freed to.
KTX_HOST_API int OpenMarks();
}  // namespace KTX::Memory
