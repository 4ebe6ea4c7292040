#include <cstdarg>
#include <cstdio>
#include "sys/Memory.hpp"

#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include "sys/AddressTable.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Failure.hpp"

namespace {

using Table = KTX::Host::AddressTable<std::size_t>;

// Released host objects of up to kSpareLargest bytes are kept, by size
// rounded up to kSpareStep, for the next ones of their size: a property
// look-up makes a value and its caller releases it, call after call. Not
// under AddressSanitizer, which must see every object freed to find a use
// after release.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kKeepSpares = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kKeepSpares = false;
#else
constexpr bool kKeepSpares = true;
#endif
#else
constexpr bool kKeepSpares = true;
#endif
constexpr std::size_t kSpareStep = 16;
constexpr std::size_t kSpareLargest = 256;
constexpr std::size_t kSparesKept = 64;  // per size
// Marks a spare's entry in the table of objects: a second release of it is
// a bad one, as for any object released before.
constexpr std::size_t kReleased = std::size_t{1} << (sizeof(std::size_t) * 8 - 1);

struct SpareObjects {
  void* blocks[kSparesKept];
  std::size_t count = 0;
};

struct Heap {
  Table blocks;   // block -> size
  Table objects;  // object -> size
  SpareObjects spares[kSpareLargest / kSpareStep];
  KTX::Memory::Counters counters;
  int failNext = 0;
  std::size_t failSize = 0;
};

// Outlives every static destructor of the plug-in. Every allocation asks for
// it: once made, it is a load.
Heap* theHeap = nullptr;
[[gnu::noinline, gnu::cold]] Heap& makeHeap() {
  static Heap* h = new Heap;
  __atomic_store_n(&theHeap, h, __ATOMIC_RELEASE);
  return *h;
}
[[gnu::always_inline]] inline Heap& heap() {
  // A plain load (the builtin, never an outlined call), safe on any thread.
  Heap* known = __atomic_load_n(&theHeap, __ATOMIC_ACQUIRE);
  return known != nullptr ? *known : makeHeap();
}

bool shouldFail() {
  Heap& h = heap();
  if (h.failNext > 0) {
    --h.failNext;
    return true;
  }
  return false;
}

void* track(Table& table, std::size_t size);

// The failure switch counts the allocations the plug-in asks for, not the
// host's own: the stand-in's bookkeeping is not what a test walks through.
bool askedByPlugin(const void* caller) {
  static const void* hostBase = [] {
    Dl_info self{};
    return dladdr(reinterpret_cast<const void*>(&SM_free), &self) != 0 ? self.dli_fbase : nullptr;
  }();
  Dl_info info{};
  return dladdr(caller, &info) == 0 || info.dli_fbase != hostBase;
}

// Raises the host's no-memory error when the switch says this allocation fails.
void failIfAsked(const void* caller, const char* call) {
  if (askedByPlugin(caller) && KTX::Failure::Step(KTX::Failure::kMemory, call))
    ERROR_raise(__FILE__, __LINE__, KTX::Error::kNoMemory, "no memory (%s)", call);
}

void* allocate(std::size_t size) {
  if (shouldFail()) return nullptr;
  if (size != 0 && heap().failSize == size) {
    heap().failSize = 0;
    return nullptr;
  }
  void* block = track(heap().blocks, size);
  if (block != nullptr) {
    ++heap().counters.blocks;
    heap().counters.bytes += static_cast<std::int64_t>(size);
  }
  return block;
}

void* zeroed(std::size_t size) {
  void* block = allocate(size);
  if (block != nullptr) std::memset(block, 0, size);
  return block;
}

void* track(Table& table, std::size_t size) {
  void* block = std::malloc(size == 0 ? 1 : size);
  if (block == nullptr) return nullptr;
  table.Insert(block, size);
  return block;
}

bool untrack(Table& table, void* block, std::size_t* size) {
  if (!table.Erase(block, size)) {
    ++heap().counters.badFrees;
    return false;
  }
  return true;
}

}  // namespace

extern "C" {

// The entry points are never inlined: the failure switch reads who called.
__attribute__((noinline)) void* SM_alloc(std::size_t size) {
  if (KTX::Failure::gCounted != 0) failIfAsked(__builtin_return_address(0), "SM_alloc");
  return allocate(size);
}

__attribute__((noinline)) void* SM_calloc(std::size_t count, std::size_t size) {
  if (KTX::Failure::gCounted != 0) failIfAsked(__builtin_return_address(0), "SM_calloc");
  return zeroed(count * size);
}

__attribute__((noinline)) void* SM_crealloc(void* block, std::size_t size) {
  if (KTX::Failure::gCounted != 0) failIfAsked(__builtin_return_address(0), "SM_crealloc");
  if (block == nullptr) return zeroed(size);
  const std::size_t* known = heap().blocks.Find(block);
  if (known == nullptr) {
    ++heap().counters.badFrees;
    return nullptr;
  }
  std::size_t old = *known;
  void* fresh = zeroed(size);
  if (fresh == nullptr) return nullptr;
  std::memcpy(fresh, block, old < size ? old : size);
  SM_free(block);
  return fresh;
}

void SM_free(void* block) {
  if (block == nullptr) return;
  std::size_t size = 0;
  if (untrack(heap().blocks, block, &size)) {
    --heap().counters.blocks;
    heap().counters.bytes -= static_cast<std::int64_t>(size);
    std::free(block);
  } else {
    KTX::Host::Log("SM_free", "unknown block");
  }
}

__attribute__((noinline)) char* SM_string_copy(const char* text) {
  if (text == nullptr) return nullptr;
  if (KTX::Failure::gCounted != 0) failIfAsked(__builtin_return_address(0), "SM_string_copy");
  std::size_t n = std::strlen(text) + 1;
  char* copy = static_cast<char*>(allocate(n));
  if (copy != nullptr) std::memcpy(copy, text, n);
  return copy;
}

char* SM_sprintf(const char* format, ...) {
  if (format == nullptr) return nullptr;
  va_list args;
  va_start(args, format);
  va_list again;
  va_copy(again, args);
  const int n = std::vsnprintf(nullptr, 0, format, args);
  va_end(args);
  char* text = n < 0 ? nullptr : static_cast<char*>(SM_alloc(static_cast<std::size_t>(n) + 1));
  if (text != nullptr) std::vsnprintf(text, static_cast<std::size_t>(n) + 1, format, again);
  va_end(again);
  return text;
}

}  // extern "C"

namespace KTX::Memory {

__attribute__((noinline)) void* CppMemory::operator new(std::size_t size) noexcept {
  if (KTX::Failure::gCounted != 0 && askedByPlugin(__builtin_return_address(0)) &&
      KTX::Failure::Step(KTX::Failure::kMemory, "CppMemory::new"))
    return nullptr;
  if (shouldFail()) return nullptr;
  Heap& h = heap();
  void* block = nullptr;
  if (kKeepSpares && size != 0 && size <= kSpareLargest) {
    SpareObjects& spare = h.spares[(size - 1) / kSpareStep];
    if (spare.count != 0) {
      // A spare keeps its entry, marked released: it is live again.
      block = spare.blocks[--spare.count];
      *h.objects.Find(block) = size;
    } else {
      // The whole rounded size, so that the block can serve any object of that size later.
      block = std::malloc((size - 1) / kSpareStep * kSpareStep + kSpareStep);
      if (block == nullptr) return nullptr;
      h.objects.Insert(block, size);
    }
  } else {
    block = track(h.objects, size);
    if (block == nullptr) return nullptr;
  }
  ++h.counters.objects;
  return block;
}

void CppMemory::operator delete(void* block) noexcept {
  if (block == nullptr) return;
  Heap& h = heap();
  std::size_t* entry = h.objects.Find(block);
  if (entry == nullptr || (*entry & kReleased) != 0) {
    ++h.counters.badFrees;
    return;
  }
  std::size_t size = *entry;
  --h.counters.objects;
  if (kKeepSpares && size != 0 && size <= kSpareLargest) {
    SpareObjects& spare = h.spares[(size - 1) / kSpareStep];
    if (spare.count < kSparesKept) {
      *entry = size | kReleased;
      spare.blocks[spare.count++] = block;
      return;
    }
  }
  h.objects.Erase(block);
  std::free(block);
}

__attribute__((noinline)) void* CppMemory::operator new[](std::size_t size) noexcept {
  if (KTX::Failure::gCounted != 0 && askedByPlugin(__builtin_return_address(0)) &&
      KTX::Failure::Step(KTX::Failure::kMemory, "CppMemory::new[]"))
    return nullptr;
  return CppMemory::operator new(size);
}
void CppMemory::operator delete[](void* block) noexcept { CppMemory::operator delete(block); }

// A pool's chunk: this header, then its blocks. Chunks are aligned to their
// size, so a block finds its chunk from its own address.
struct BlockPool::Chunk {
  Chunk* prev = nullptr;  // in the pool's list of chunks with room
  Chunk* next = nullptr;
  void* free = nullptr;   // blocks given back, each holding the next one's address
  std::size_t live = 0;   // blocks handed out
  std::size_t fresh = 0;  // blocks handed out of the untouched end so far
  bool listed = false;
};

namespace {
constexpr std::size_t kChunkBytes = std::size_t{64} << 10;
constexpr std::size_t kLine = 64;
constexpr std::size_t kBlocksAt = kLine;  // the chunk's header takes the first line
static_assert(BlockPool::kLargest <= (kChunkBytes - kBlocksAt) / 7);
unsigned char* blocksOf(void* chunk) { return static_cast<unsigned char*>(chunk) + kBlocksAt; }
}  // namespace

BlockPool::BlockPool(std::size_t blockBytes) : blockBytes_(blockBytes) {
  static_assert(sizeof(Chunk) <= kBlocksAt);
  if (blockBytes == 0 || blockBytes > kLargest) throw std::invalid_argument("BlockPool: a block of 1 to 8192 bytes");
  // A block of a line or more starts a line, so that it spans no more lines
  // than it must; smaller ones are aligned as malloc's are.
  stride_ = blockBytes >= kLine ? (blockBytes + kLine - 1) / kLine * kLine : (blockBytes + 15) / 16 * 16;
  perChunk_ = (kChunkBytes - kBlocksAt) / stride_;
}

void* BlockPool::Take() {
  if (!kKeepSpares) return zeroed(blockBytes_);  // AddressSanitizer sees each block on its own
  if (shouldFail()) return nullptr;
  Heap& h = heap();
  if (h.failSize == blockBytes_) {
    h.failSize = 0;
    return nullptr;
  }
  Chunk* chunk = room_;
  if (chunk == nullptr) {
    if (spare_ != nullptr) {
      chunk = spare_;
      spare_ = nullptr;
    } else {
      void* memory = std::aligned_alloc(kChunkBytes, kChunkBytes);
      if (memory == nullptr) return nullptr;
      chunk = new (memory) Chunk;
    }
    chunk->listed = true;
    room_ = chunk;
  }
  void* block = chunk->free;
  if (block != nullptr) {
    chunk->free = *static_cast<void**>(block);
  } else {
    block = blocksOf(chunk) + chunk->fresh * stride_;
    ++chunk->fresh;
  }
  ++chunk->live;
  if (chunk->free == nullptr && chunk->fresh == perChunk_) Unlink(chunk);
  std::memset(block, 0, blockBytes_);
  ++h.counters.blocks;
  h.counters.bytes += static_cast<std::int64_t>(blockBytes_);
  return block;
}

void BlockPool::Give(void* block) noexcept {
  if (block == nullptr) return;
  if (!kKeepSpares) {
    SM_free(block);
    return;
  }
  Heap& h = heap();
  --h.counters.blocks;
  h.counters.bytes -= static_cast<std::int64_t>(blockBytes_);
  auto* chunk = reinterpret_cast<Chunk*>(reinterpret_cast<std::uintptr_t>(block) & ~(kChunkBytes - 1));
  *static_cast<void**>(block) = chunk->free;
  chunk->free = block;
  --chunk->live;
  if (chunk->live == 0) {
    // Emptied: kept for the next take while no other is, so that making and
    // dropping one object again and again asks for no chunk each time.
    if (chunk->listed) Unlink(chunk);
    chunk->free = nullptr;
    chunk->fresh = 0;
    if (spare_ == nullptr) {
      spare_ = chunk;
    } else {
      chunk->~Chunk();
      std::free(chunk);
    }
    return;
  }
  if (!chunk->listed) {
    // Taken from first: a hole is filled before untouched room is used.
    chunk->listed = true;
    chunk->prev = nullptr;
    chunk->next = room_;
    if (room_ != nullptr) room_->prev = chunk;
    room_ = chunk;
  }
}

void BlockPool::Unlink(Chunk* chunk) noexcept {
  if (chunk->prev != nullptr) chunk->prev->next = chunk->next;
  if (chunk->next != nullptr) chunk->next->prev = chunk->prev;
  if (room_ == chunk) room_ = chunk->next;
  chunk->prev = chunk->next = nullptr;
  chunk->listed = false;
}

Counters LiveCounters() { return heap().counters; }
void FailNextAllocations(int n) { heap().failNext = n; }
void FailNextAllocationOfSize(std::size_t size) { heap().failSize = size; }

}  // namespace KTX::Memory
