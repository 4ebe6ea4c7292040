// A table keyed by address, open-addressed in one array: the host's
// bookkeeping of live blocks and of logged objects adds, finds and drops an
// entry on every allocation and first write, and a node-based map asks for
// memory of its own on each of them.
#pragma once
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace KTX::Host {

template <class V>
class AddressTable {
 public:
  AddressTable() = default;
  AddressTable(const AddressTable&) = default;
  AddressTable& operator=(const AddressTable&) = default;
  // A table moved from is empty (its count goes with its slots).
  AddressTable(AddressTable&& other) noexcept
      : slots_(std::move(other.slots_)), count_(std::exchange(other.count_, 0)) {
    other.slots_.clear();
  }
  AddressTable& operator=(AddressTable&& other) noexcept {
    slots_ = std::move(other.slots_);
    count_ = std::exchange(other.count_, 0);
    other.slots_.clear();
    return *this;
  }

  // The value kept for the address; null when it is not there.
  V* Find(const void* key) {
    if (count_ == 0 || key == nullptr) return nullptr;
    for (std::size_t i = home(key);; i = next(i)) {
      if (slots_[i].key == key) return &slots_[i].value;
      if (slots_[i].key == nullptr) return nullptr;
    }
  }

  // Adds the address with the value; false, and nothing changed, when it is
  // there already (or is null: no block has that address). The address is
  // taken as it is given: what it points at is never read (a block just
  // allocated holds nothing yet).
  template <class T>
  bool Insert(T* key, V value = V{}) {
    return insert(static_cast<const void*>(key), std::move(value));
  }

  // The value kept for the address, a new one when it was not there (the
  // address must not be null).
  template <class T>
  V& Entry(T* key) {
    if (V* known = Find(key)) return *known;
    insert(static_cast<const void*>(key), V{});
    return *Find(key);
  }

  // Drops the address, handing its value out; false when it is not there.
  bool Erase(const void* key, V* value = nullptr) {
    if (count_ == 0 || key == nullptr) return false;
    std::size_t i = home(key);
    for (; slots_[i].key != key; i = next(i))
      if (slots_[i].key == nullptr) return false;
    if (value != nullptr) *value = std::move(slots_[i].value);
    // Close the gap: an entry further along the run whose home is at or
    // before the hole moves into it, so that every search still ends at the
    // first empty slot.
    for (std::size_t j = next(i);; j = next(j)) {
      if (slots_[j].key == nullptr) break;
      std::size_t h = home(slots_[j].key);
      bool between = i <= j ? (i < h && h <= j) : (i < h || h <= j);
      if (between) continue;
      slots_[i] = std::move(slots_[j]);
      i = j;
    }
    slots_[i] = Slot{};
    --count_;
    return true;
  }

  std::size_t Size() const { return count_; }

  // Empties the table; its room stays unless it is far larger than what it held.
  void Clear() {
    if (count_ == 0) return;
    if (slots_.size() > kSmallest && count_ * 8 < slots_.size()) {
      slots_.clear();
      slots_.shrink_to_fit();
    } else {
      for (Slot& s : slots_) s = Slot{};
    }
    count_ = 0;
  }

  template <class F>
  void ForEach(F&& f) const {
    if (count_ == 0) return;
    for (const Slot& s : slots_)
      if (s.key != nullptr) f(s.key, s.value);
  }

 private:
  bool insert(const void* key, V value) {
    if (key == nullptr) return false;
    if ((count_ + 1) * 4 > slots_.size() * 3) grow();
    std::size_t i = home(key);
    for (; slots_[i].key != nullptr; i = next(i))
      if (slots_[i].key == key) return false;
    slots_[i] = {key, std::move(value)};
    ++count_;
    return true;
  }

  struct Slot {
    const void* key = nullptr;
    V value{};
  };
  static constexpr std::size_t kSmallest = 16;

  std::size_t home(const void* key) const {
    auto x = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(key));
    x ^= x >> 29;
    x *= 0xbf58476d1ce4e5b9ull;
    x ^= x >> 32;
    return static_cast<std::size_t>(x) & (slots_.size() - 1);
  }
  std::size_t next(std::size_t i) const { return (i + 1) & (slots_.size() - 1); }

  void grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(old.empty() ? kSmallest : old.size() * 2, Slot{});
    count_ = 0;
    for (Slot& s : old)
      if (s.key != nullptr) {
        std::size_t i = home(s.key);
        while (slots_[i].key != nullptr) i = next(i);
        slots_[i] = std::move(s);
        ++count_;
      }
  }

  std::vector<Slot> slots_;
  std::size_t count_ = 0;
};

}  // namespace KTX::Host
