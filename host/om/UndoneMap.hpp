// A table a host library keeps beside the objects (what a feature was made
// with, by its tag) whose entries the undo marks cover as they cover the
// objects' fields: a change made under a mark is put back when the model
// goes back to it, as the feature it describes is.
#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <vector>

#include "om/ObjectManager.hpp"

namespace KTX::OM {

template <class Key, class Value>
class UndoneMap final : public UndoStore {
 public:
  // The one table of its kind, told of every mark from its first use on.
  static UndoneMap& Made() {
    static auto* made = [] {
      auto* table = new UndoneMap;
      OM_add_undo_store(table);
      return table;
    }();
    return *made;
  }
  // The entry's value, or null.
  const Value* Find(const Key& key) const {
    const auto it = entries_.find(key);
    return it != entries_.end() ? &it->second : nullptr;
  }
  void Set(const Key& key, const Value& value) {
    Changing(key);
    entries_[key] = value;
  }
  // Everything forgotten for good (the session's end): no mark can bring it back.
  void Clear() {
    entries_.clear();
    log_.clear();
    for (std::size_t& start : starts_) start = 0;
  }

  void MarkSet() override { starts_.push_back(log_.size()); }
  void UndoneTo(std::size_t index) override {
    if (index >= starts_.size()) return;
    // Newest first, so that the oldest change's value is the one left.
    while (log_.size() > starts_[index]) {
      const Change& change = log_.back();
      if (change.was)
        entries_[change.key] = *change.was;
      else
        entries_.erase(change.key);
      log_.pop_back();
    }
    starts_.resize(index + 1);
  }
  void MarkDeleted(std::size_t index) override { OM_drop_undo_mark(starts_, log_, index); }

 private:
  struct Change {
    Key key;
    std::optional<Value> was;  // none: the table held no entry
  };
  UndoneMap() = default;
  void Changing(const Key& key) {
    if (!OM_undo_recording()) return;
    const auto it = entries_.find(key);
    log_.push_back({key, it != entries_.end() ? std::optional<Value>(it->second) : std::nullopt});
  }
  std::map<Key, Value> entries_;
  std::vector<Change> log_;
  std::vector<std::size_t> starts_;
};

}  // namespace KTX::OM
