#include "upd/Update.hpp"

#include <algorithm>
#include <string>
#include <type_traits>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include "geom/Sketch.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX {

namespace {
// Tags logged once each, in the order logged: a long session logs an object
// of every builder it destroys, so whether one is logged already is looked up,
// not read from the list.
struct TagLog {
  std::vector<tag_t> tags;
  std::unordered_set<tag_t> logged;
  void add(tag_t tag) {
    if (tag != 0 && logged.insert(tag).second) tags.push_back(tag);
  }
  bool holds(tag_t tag) const { return tag != 0 && logged.count(tag) != 0; }
  std::vector<tag_t> take() {
    std::vector<tag_t> out = std::move(tags);
    clear();
    return out;
  }
  void clear() {
    tags.clear();
    logged.clear();
  }
};

struct Logs {
  TagLog toUpdate;
  TagLog toDelete;
};

// The logs are part of the model an undo puts back: an object logged for
// deletion under a mark that is undone would otherwise be deleted by the next
// update although the undo brought it back. Each change is kept with what it
// undoes, newest last, with where each mark's changes begin.
class LogsUndo final : public OM::UndoStore {
 public:
  struct Added {
    bool forDeletion;
    tag_t tag;
  };
  // Both logs as they were before an update or a clear emptied them.
  struct Taken {
    Logs was;
  };
  // The last tags logged for deletion, taken out of the log to be deleted.
  struct Removed {
    std::vector<tag_t> tags;
  };

  bool Recording() const { return !reverting_ && OM::OM_undo_recording(); }
  void Log(std::variant<Added, Taken, Removed> change) { log_.push_back(std::move(change)); }

  void MarkSet() override { starts_.push_back(log_.size()); }
  void UndoneTo(std::size_t index) override;
  void MarkDeleted(std::size_t index) override;

 private:
  std::vector<std::variant<Added, Taken, Removed>> log_;
  std::vector<std::size_t> starts_;
  bool reverting_ = false;
};

struct State {
  Logs logs;
  LogsUndo undo;
};
State& state() {
  static auto* s = [] {
    auto* made = new State;
    OM::OM_add_undo_store(&made->undo);
    return made;
  }();
  return *s;
}
Logs& logs() { return state().logs; }

void add(bool forDeletion, tag_t tag) {
  TagLog& log = forDeletion ? logs().toDelete : logs().toUpdate;
  const std::size_t before = log.tags.size();
  log.add(tag);
  if (log.tags.size() != before && state().undo.Recording()) state().undo.Log(LogsUndo::Added{forDeletion, tag});
}

// Empties both logs and gives what they held.
Logs takeAll() {
  Logs was;
  was.toUpdate.tags = logs().toUpdate.take();
  was.toDelete.tags = logs().toDelete.take();
  if (state().undo.Recording() && (!was.toUpdate.tags.empty() || !was.toDelete.tags.empty())) {
    LogsUndo::Taken taken;
    taken.was = was;
    state().undo.Log(std::move(taken));
  }
  return was;
}

void LogsUndo::UndoneTo(std::size_t index) {
  if (index >= starts_.size()) return;
  reverting_ = true;
  // Undone newest first, so an added tag is the last its log holds.
  while (log_.size() > starts_[index]) {
    std::visit(
        [](auto& change) {
          using T = std::decay_t<decltype(change)>;
          if constexpr (std::is_same_v<T, Added>) {
            TagLog& log = change.forDeletion ? logs().toDelete : logs().toUpdate;
            if (!log.tags.empty() && log.tags.back() == change.tag) log.tags.pop_back();
            log.logged.erase(change.tag);
          } else if constexpr (std::is_same_v<T, Taken>) {
            for (tag_t t : change.was.toUpdate.tags) logs().toUpdate.add(t);
            for (tag_t t : change.was.toDelete.tags) logs().toDelete.add(t);
          } else {
            for (tag_t t : change.tags) logs().toDelete.add(t);
          }
        },
        log_.back());
    log_.pop_back();
  }
  reverting_ = false;
  starts_.resize(index + 1);
}

void LogsUndo::MarkDeleted(std::size_t index) { OM::OM_drop_undo_mark(starts_, log_, index); }

Host::FeatureDeleter featureDeleter = nullptr;  // the tooling library's, once it registered it

std::vector<tag_t> alive(const std::vector<tag_t>& list) {
  std::vector<tag_t> out;
  for (tag_t t : list)
    if (OM::OM_object_of_tag(t) != nullptr) out.push_back(t);
  return out;
}

void forgetPart(PART_part*) { Host::ClearUpdateLogs(); }

// Deletes one object logged for deletion, as the update does.
void deleteLogged(tag_t t) {
  // What a live feature still holds (a committed builder's section, say) stays with it.
  auto* object = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t));
  if (object == nullptr || OM::OM_is_kept_alive(object)) return;
  // A feature takes its parameters and its body with it.
  if (dynamic_cast<FEATURE_RECORD*>(object) != nullptr && featureDeleter != nullptr)
    featureDeleter(t);
  else
    object->destroy();
}

// Deletes what is logged for deletion and counts an update on every logged
// record.
void updateLogged() {
  Logs taken = takeAll();
  const std::vector<tag_t>& toDelete = taken.toDelete.tags;
  const std::vector<tag_t>& toUpdate = taken.toUpdate.tags;
  for (tag_t t : toDelete) deleteLogged(t);
  for (tag_t t : toUpdate) {
    if (auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t))) frec->note_updated();
  }
  if (long long code = Host::Answer("UPDATE_do_update.error", 0); code != 0)
    ERROR_raise(__FILE__, __LINE__, static_cast<int>(code), "the model update failed");
}

struct Registration {
  Registration() { Host::OnPartDestroyed(&forgetPart); }
} registration;
}  // namespace

void UPDATE_log_object_to_update(OM::Object* object) {
  tag_t tag = OM::OM_ask_object_tag(object);
  Host::Log("UPDATE_log_object_to_update", "tag=" + std::to_string(tag));
  add(false, tag);
}

void UPDATE_log_entity_to_update(tag_t entity) {
  Host::Log("UPDATE_log_entity_to_update", "tag=" + std::to_string(entity));
  add(false, entity);
}

bool UPDATE_is_object_logged(const OM::Object* object) {
  tag_t tag = OM::OM_ask_object_tag(object);
  return logs().toUpdate.holds(tag);
}

void UPDATE_log_object_to_delete(OM::Object* object) {
  tag_t tag = OM::OM_ask_object_tag(object);
  Host::Log("UPDATE_log_object_to_delete", "tag=" + std::to_string(tag));
  add(true, tag);
}

void UPDATE_log_entity_to_delete(tag_t entity) {
  Host::Log("UPDATE_log_entity_to_delete", "tag=" + std::to_string(entity));
  add(true, entity);
}

void UPDATE_do_update() {
  Host::Log("UPDATE_do_update");
  updateLogged();
}

void UPDATE_do_update_no_message() {
  Host::Log("UPDATE_do_update_no_message", "suppress=" + std::to_string(DSS_ask_suppress_display()));
  updateLogged();
}

namespace {
bool suppressed(const char* reason, const FEATURE_RECORD* frec) {
  const std::string tag = std::to_string(OM::OM_ask_object_tag(frec));
  Host::Log(std::string("SUP_is_") + reason, "tag=" + tag);
  return Host::Answer(std::string("SUP_is_") + reason + "." + tag, 0) != 0;
}
}  // namespace

bool SUP_is_manual_suppressed_frec(const FEATURE_RECORD* frec) { return suppressed("manual_suppressed_frec", frec); }
bool SUP_is_frec_suppressed_by_exp(const FEATURE_RECORD* frec) { return suppressed("frec_suppressed_by_exp", frec); }
bool SUP_is_propagation_suppressed_frec(const FEATURE_RECORD* frec) {
  return suppressed("propagation_suppressed_frec", frec);
}
bool SUP_is_update_failure_suppressed_frec(const FEATURE_RECORD* frec) {
  return suppressed("update_failure_suppressed_frec", frec);
}
bool SUP_is_dependency_suppressed_frec(const FEATURE_RECORD* frec) {
  return suppressed("dependency_suppressed_frec", frec);
}

void DSS_REGEN_regen_object(tag_t object) { Host::Log("DSS_REGEN_regen_object", "tag=" + std::to_string(object)); }

void JAUTL_UPDATE__ensure_update_protected(const char* caller) {
  Host::Log("JAUTL_UPDATE__ensure_update_protected", caller != nullptr ? caller : "(null)");
}

namespace Host {
std::vector<tag_t> LoggedForUpdate() { return alive(logs().toUpdate.tags); }
std::vector<tag_t> LoggedForDeletion() { return alive(logs().toDelete.tags); }
void ClearUpdateLogs() { takeAll(); }
std::size_t DeletionLogLength() { return logs().toDelete.tags.size(); }
void DeleteLoggedSince(std::size_t length) {
  TagLog& log = logs().toDelete;
  if (length >= log.tags.size()) return;
  std::vector<tag_t> tags(log.tags.begin() + static_cast<std::ptrdiff_t>(length), log.tags.end());
  log.tags.resize(length);
  for (tag_t t : tags) log.logged.erase(t);
  if (state().undo.Recording()) state().undo.Log(LogsUndo::Removed{tags});
  for (tag_t t : tags) deleteLogged(t);
}
void SetFeatureDeleter(FeatureDeleter deleter) { featureDeleter = deleter; }
}  // namespace Host

}  // namespace KTX
