// What every builder source needs of the host beside its own calls: a host
// block freed on every way out, an expression's value, the host's scripting
// interfaces, and an undo mark that takes the model back when a step fails.
// Internal to the library.
#pragma once
#include <exception>
#include <initializer_list>
#include <utility>

#include "OnEveryExit.hpp"
#include "afl/BodyUtils.hpp"
#include "exp/Expression.hpp"
#include "jam/Jam.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::Stamvik {

// Owns one SM_ block (an array, a text, a record the host handed out) and
// frees it when it goes out of scope, however that happens. Null holds
// nothing. `release()` hands the block on to whoever keeps it from then on.
template <class T>
class HostBlock {
 public:
  HostBlock() noexcept = default;
  explicit HostBlock(T* block) noexcept : block_(block) {}
  ~HostBlock() { free(); }
  HostBlock(HostBlock&& other) noexcept : block_(other.release()) {}
  HostBlock& operator=(HostBlock&& other) noexcept {
    if (this != &other) {
      free();
      block_ = other.release();
    }
    return *this;
  }
  HostBlock(const HostBlock&) = delete;
  HostBlock& operator=(const HostBlock&) = delete;

  T* get() const noexcept { return block_; }
  T& operator[](int i) const noexcept { return block_[i]; }
  explicit operator bool() const noexcept { return block_ != nullptr; }
  // The block is the caller's now; nothing is freed here any more.
  T* release() noexcept { return std::exchange(block_, nullptr); }
  // Frees what is held and takes `block`.
  void reset(T* block = nullptr) noexcept {
    free();
    block_ = block;
  }
  // For a host call that hands a new block out through a pointer: frees
  // what is held first, so the block the call gives is the only one held.
  T** out() noexcept {
    free();
    return &block_;
  }

 private:
  void free() noexcept {
    if (block_ == nullptr) return;
    void* block = std::exchange(block_, nullptr);
    RunNoted("SM_free", [block] { SM_free(block); });
  }
  T* block_ = nullptr;
};

// Kernel bodies the host handed out as a count and an SM_ array: the bodies
// are deleted and the array freed on every way out, unless handed on.
class BodyArray {
 public:
  BodyArray() noexcept = default;
  ~BodyArray() {
    if (bodies_ != nullptr || count_ != 0)
      RunNoted("DieDesUtilsDeleteBodies", [this] { DieDesUtilsDeleteBodies(&count_, &bodies_); });
  }
  BodyArray(const BodyArray&) = delete;
  BodyArray& operator=(const BodyArray&) = delete;

  // For a host call that hands the bodies out (the array holds none yet).
  int* count() noexcept { return &count_; }
  int** bodies() noexcept { return &bodies_; }
  int size() const noexcept { return count_; }
  int* data() const noexcept { return bodies_; }
  // Deletes the bodies and frees the array now (the host's call is made,
  // and logged, even when the array is empty).
  void Delete() { DieDesUtilsDeleteBodies(&count_, &bodies_); }
  // Hands the bodies over to `to` (which holds none), leaving this empty.
  void HandOver(int* count, int** bodies) noexcept {
    *count = std::exchange(count_, 0);
    *bodies = std::exchange(bodies_, nullptr);
  }
  void HandOver(BodyArray& to) noexcept { HandOver(&to.count_, &to.bodies_); }

 private:
  int count_ = 0;
  int* bodies_ = nullptr;
};

// The value of an expression; 0 for none.
inline double ExpressionValue(const EXP_expression* expression) {
  return expression != nullptr ? EXP_ask_value_of_exp(expression) : 0.0;
}

// A scripting interface of the host by its class name, called without being
// journalled. Null when the host has none of that name: the caller checks,
// and a caller that cannot go on without it raises its own error there.
template <class Interface>
Interface* UnjournalledInterface(const char* name) {
  return static_cast<Interface*>(JAM::ClassInitializer::GetUnjournalledInterface(name));
}
// The same, for calls the journal records as a script's.
template <class Interface>
Interface* JournalledInterface(const char* name) {
  return static_cast<Interface*>(JAM::ClassInitializer::GetJournalledInterface(name));
}

// An undo mark held for a scope. Unless the scope is committed and left
// without an exception, the model is undone to the mark; the mark is
// deleted in every case. The undo and the deletion run in the destructor,
// each on its own (RunNoted): a failure of either is noted, not raised, and
// the other still runs. Mark 0 is no mark: nothing is undone or deleted.
class UndoMarkScope {
 public:
  using MarkCall = void (*)(int mark);

  // Takes over a mark already set; `undoTo` and `remove` are how it goes
  // back to it and how it is deleted.
  UndoMarkScope(int mark, MarkCall undoTo, MarkCall remove) noexcept
      : mark_(mark), undoTo_(undoTo), remove_(remove), exceptions_(std::uncaught_exceptions()) {}
  // Sets a mark of the object manager's quick undo (no mark when the host
  // reports an error: see SetQuickUndoMark).
  explicit UndoMarkScope(const char* name) : UndoMarkScope(SetQuickUndoMark(name), &QuickUndoTo, &QuickDelete) {}
  ~UndoMarkScope() { finish(); }
  UndoMarkScope(UndoMarkScope&& other) noexcept
      : mark_(std::exchange(other.mark_, 0)),
        undoTo_(other.undoTo_),
        remove_(other.remove_),
        committed_(other.committed_),
        exceptions_(other.exceptions_) {}
  UndoMarkScope(const UndoMarkScope&) = delete;
  UndoMarkScope& operator=(const UndoMarkScope&) = delete;
  UndoMarkScope& operator=(UndoMarkScope&&) = delete;

  // What was done under the mark stays.
  void Commit() noexcept { committed_ = true; }
  int Mark() const noexcept { return mark_; }

  // A quick-undo mark of the given name (null for none); 0 when the host
  // reports an error and sets none.
  static int SetQuickUndoMark(const char* name) {
    int error = 0;
    const int mark = UNDO_QD_set_mark(1, name, &error);
    return error == 0 ? mark : 0;
  }
  static void QuickUndoTo(int mark) { UNDO_QD_undo_to_mark(mark, nullptr); }
  static void QuickDelete(int mark) { UNDO_QD_delete_mark(mark, nullptr); }

 private:
  void finish() noexcept {
    const int mark = std::exchange(mark_, 0);
    if (mark == 0) return;
    if (!committed_ || std::uncaught_exceptions() > exceptions_)
      RunNoted("undo to the mark", [this, mark] { undoTo_(mark); });
    RunNoted("deleting the undo mark", [this, mark] { remove_(mark); });
  }

  int mark_ = 0;
  MarkCall undoTo_;
  MarkCall remove_;
  bool committed_ = false;
  int exceptions_ = 0;
};

}  // namespace KTX::Stamvik
