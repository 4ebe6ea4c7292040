#pragma once

#include <unordered_map>

#include "ClassFrame.hpp"

namespace KTX::Stamvik {

// What a builder owns outside its object, kept by builder. Undo restores an
// object's fields with the rest of it: an undo may give a field back as it
// was before it held something, and what only the field held would be lost.
// Held here, the fields only show it; it goes with Drop (the builder
// destroyed, or freed by the host, also one whose making was undone and that
// was never destroyed), or when the library unloads with it still held (a
// destructor may never run while the library is there). LetGo frees a value.
template <class Owner, class Value, void (*LetGo)(const Value&) noexcept>
class HeldBeside {
 public:
  // The owner's value, a new (value-initialised) one the first time.
  static Value& Hold(const Owner* owner) { return Table()[owner]; }
  // The owner's value, or a value-initialised one when it holds nothing.
  static Value Of(const Owner* owner) {
    const Map* held = Pointer();
    if (held == nullptr) return Value{};
    auto it = held->find(owner);
    return it != held->end() ? it->second : Value{};
  }
  // Forgets the owner's value without letting it go.
  static void Forget(const Owner* owner) {
    if (Map* held = Pointer()) held->erase(owner);
  }
  // Lets the owner's value go.
  static void Drop(const Owner* owner) noexcept {
    Map* held = Pointer();
    if (held == nullptr) return;
    auto it = held->find(owner);
    if (it == held->end()) return;
    const Value value = it->second;
    held->erase(it);
    LetGo(value);
  }

 private:
  using Map = std::unordered_map<const Owner*, Value>;
  static Map*& Pointer() {
    static Map* held = nullptr;
    return held;
  }
  static Map& Table() {
    Map*& held = Pointer();
    if (held == nullptr) {
      held = new Map;
      Frame::AtUnload(&Unload);
    }
    return *held;
  }
  static void Unload() {
    Map*& held = Pointer();
    if (held == nullptr) return;
    while (!held->empty()) Drop(held->begin()->first);
    delete held;
    held = nullptr;
  }
};

}  // namespace KTX::Stamvik
