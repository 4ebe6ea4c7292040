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

// Blocks of one size, handed out of large chunks of the pool's own: blocks
// taken one after another lie one after another, so a sweep over what was
// made in a row reads memory in a row (what the processor reads ahead), and
// no block carries an allocator's header. What the object manager makes its
// objects of, a pool per class. Each block counts as an SM_ block of its size
// in the live counters, and the failure switches fail a take as they fail an
// SM_ allocation. A chunk whose every block is back is freed (but one kept
// for the next take). Blocks of more than kLargest bytes are not pooled: the
// caller allocates them itself. A pool lives as long as its blocks.
class KTX_HOST_API BlockPool {
 public:
  static constexpr std::size_t kLargest = 8192;
  // `blockBytes` from 1 to kLargest.
  explicit BlockPool(std::size_t blockBytes);
  BlockPool(const BlockPool&) = delete;
  BlockPool& operator=(const BlockPool&) = delete;
  std::size_t BlockBytes() const { return blockBytes_; }
  // A zeroed block; null when memory runs out.
  void* Take();
  // Gives back a block this pool handed out (null: nothing).
  void Give(void* block) noexcept;

 private:
  struct Chunk;
  void Unlink(Chunk* chunk) noexcept;
  std::size_t blockBytes_;
  std::size_t stride_;
  std::size_t perChunk_;
  Chunk* room_ = nullptr;   // the chunks with a block free, the one taken from first
  Chunk* spare_ = nullptr;  // an emptied chunk kept for the next take
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
