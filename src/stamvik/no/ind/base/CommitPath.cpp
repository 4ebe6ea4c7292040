#include "CommitPath.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "OnEveryExit.hpp"
#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "om/ObjectManager.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "sys/TextFile.hpp"

namespace KTX::Stamvik {

thread_local ErrorsMet* ErrorsMet::current_ = nullptr;

namespace {
// ---- what an undo takes back ------------------------------------------------------------------
// The tables below are the library's own, beside the objects: the host's
// undo does not reach them. So a change made while an undo mark is set is
// stamped with a serial that a host object holds, written as any value is
// (logged for undo): the counter, a selection kept in the work part whose
// selected tag is the serial. An undo past the change gives the counter
// back its serial of then (or deletes it, made since the mark), and the
// next look into a table puts back the changes stamped later, newest
// first. With no mark set nothing can take a change back: nothing is
// stamped, and what was kept for an undo goes. A look costs one check while
// nothing is kept, a few while something is: never a walk through the
// session.
struct Stamp {
  tag_t counter = 0;  // 0: none, no mark was set
  tag_t serial = 0;
};
struct Undoable {
  struct Change {
    Stamp stamp;
    std::function<void()> putBack;
  };
  std::vector<Change> log;
  tag_t counter = 0;
  const PART_part* counterPart = nullptr;
  // A commit's stamp, taken before it begins (StampHeld), and how deep the commits are.
  Stamp held;
  int holding = 0;
};
Undoable& undoable() {
  static Undoable kept;
  return kept;
}

SELECT_OBJECT* counterOf(tag_t tag) { return tag != 0 ? dynamic_cast<SELECT_OBJECT*>(OM::OM_object_of_tag(tag)) : nullptr; }

void followUndo() noexcept {
  Undoable& u = undoable();
  if (u.log.empty()) return;
  while (!u.log.empty()) {
    const Undoable::Change& last = u.log.back();
    const SELECT_OBJECT* counter = counterOf(last.stamp.counter);
    if (counter != nullptr && counter->ask_selected_tag() >= last.stamp.serial) break;
    RunNotedAs("What an undo took back could not be put back in the turns", "",
               "a commit may take again what the undo took back", last.putBack);
    u.log.pop_back();
  }
  if (OM::OM_ask_undo_mark_count() == 0) u.log.clear();
}

// The stamp of a change made now; none when no mark is set (or no part is
// at work). The counter's host calls raise what they meet.
Stamp stamp() {
  followUndo();
  Undoable& u = undoable();
  if (u.holding > 0) return u.held;
  if (OM::OM_ask_undo_mark_count() == 0) return {};
  PART_part* const part = PART_ask_work_part();
  if (part == nullptr) return {};
  SELECT_OBJECT* counter = counterOf(u.counter);
  if (counter == nullptr || u.counterPart != part) {
    counter = SELECT_OBJECTFactory::Create(part);
    u.counter = OM::OM_ask_object_tag(counter);
    u.counterPart = part;
  }
  const tag_t serial = counter->ask_selected_tag() + 1;
  counter->set_selected_tag(serial);
  return {u.counter, serial};
}

// Before `table[key]` changes (or goes): what puts it back when an undo
// takes the change back.
template <class Table>
void logChange(Table& table, const typename Table::key_type& key) {
  const Stamp now = stamp();
  if (now.counter == 0) return;
  const auto it = table.find(key);
  std::optional<typename Table::mapped_type> was;
  if (it != table.end()) was = it->second;
  undoable().log.push_back({now, [&table, key, was = std::move(was)] {
                              if (was)
                                table.insert_or_assign(key, *was);
                              else
                                table.erase(key);
                            }});
}

// The text each expression copy was read with, by the copy's tag. A copy
// lives as long as its builder; the entries of copies freed for good are
// swept out as the table grows, so a long session keeps no more than it
// has copies alive.
struct ReadTexts {
  std::unordered_map<tag_t, std::string> texts;
  std::size_t sweepAt = 64;
};
// Held by value: the library is unloaded with the host's session going on,
// and a table only a pointer of its own led to would be lost with it.
ReadTexts& readTexts() {
  static ReadTexts table;
  return table;
}
void note(tag_t copy, std::string text) {
  ReadTexts& table = readTexts();
  // A copy new to the table needs nothing put back: an undo past its note
  // takes the copy too.
  if (table.texts.contains(copy)) logChange(table.texts, copy);
  if (table.texts.size() >= table.sweepAt) {
    std::erase_if(table.texts, [](const auto& entry) { return OM::OM_is_freed_tag(entry.first); });
    table.sweepAt = std::max<std::size_t>(64, 2 * table.texts.size());
  }
  table.texts[copy] = std::move(text);
}

// The commits under way, and what they noted of the copies they wrote.
struct Pending {
  int depth = 0;
  std::vector<std::pair<tag_t, std::string>> written;
};
Pending& pending() {
  static Pending under;
  return under;
}
}  // namespace

CommitNotes::CommitNotes() : from_(pending().written.size()) { ++pending().depth; }

CommitNotes::~CommitNotes() {
  Pending& under = pending();
  if (--under.depth > 0) {
    // An inner commit that failed takes its notes with it; one that went
    // through leaves them to the commit around it.
    if (!kept_) under.written.resize(from_);
    return;
  }
  std::vector<std::pair<tag_t, std::string>> written = std::exchange(under.written, {});
  if (!kept_) return;
  try {
    for (auto& [copy, text] : written) note(copy, std::move(text));
  } catch (...) {
    // A note lost costs only a value written again that was already there.
  }
}

StampHeld::StampHeld() {
  Undoable& u = undoable();
  if (u.holding == 0) u.held = stamp();
  ++u.holding;
}

StampHeld::~StampHeld() {
  Undoable& u = undoable();
  if (--u.holding == 0) u.held = {};
}

void NoteReadText(const EXP_expression* copy) {
  if (copy != nullptr) note(OM::OM_ask_object_tag(copy), copy->ask_text());
}

void NoteWrittenText(const EXP_expression* copy) {
  if (copy == nullptr) return;
  if (pending().depth == 0) {
    NoteReadText(copy);
    return;
  }
  pending().written.emplace_back(OM::OM_ask_object_tag(copy), copy->ask_text());
}

bool ChangedSinceRead(const EXP_expression* copy) {
  if (copy == nullptr) return false;
  followUndo();
  const ReadTexts& table = readTexts();
  const auto it = table.texts.find(OM::OM_ask_object_tag(copy));
  return it == table.texts.end() || it->second != copy->ask_text();
}

namespace {
// The copy and the feature's own expression brought to one text by `edit`
// (0 or the host's failure): the copy's where it was set through the
// builder since it read the feature, else the feature's as it is now.
template <class Edit>
int settleCopy(EXP_expression* own, EXP_expression* copy, Edit edit) {
  if (own == nullptr || copy == nullptr || own == copy) return 0;
  if (std::strcmp(own->ask_text(), copy->ask_text()) != 0) {
    if (const int rc = ChangedSinceRead(copy) ? edit(own, copy->ask_text()) : edit(copy, own->ask_text()); rc != 0)
      return rc;
  }
  NoteWrittenText(copy);
  return 0;
}
}  // namespace

int WriteCopyInto(EXP_expression* own, EXP_expression* copy) {
  return settleCopy(own, copy, [](EXP_expression* e, const char* text) { return EXP_edit_exp(0, e, text); });
}

void WriteCopyIntoPart(tag_t part, EXP_expression* own, EXP_expression* copy) {
  settleCopy(own, copy, [part](EXP_expression* e, const char* text) {
    EXP_edit_exp_all_errors(part, e, text);
    return 0;
  });
}

// ---- plain members ------------------------------------------------------------------------------

namespace {
// A value no getter gives: a member whose getter failed counts as changed,
// so that the builder's own value is written, as it always was.
const std::string kUnread("\x01unread\x02", 9);

struct PlainClass {
  const int* classId;
  std::vector<PlainMember> members;
};
// What the last commit that went through wrote of a feature's plain members
// (of one class), and the builder that made it.
struct Committed {
  tag_t by = 0;
  // The first tag handed out after the commit: a builder made since read
  // the feature as the commit left it.
  tag_t after = 0;
  std::vector<std::string> values;
};
// Held by value, as the read texts are.
struct Turns {
  std::vector<PlainClass> classes;
  // What each builder's plain members held when it read its feature (or
  // last committed), noted at the first set since; none noted, nothing was
  // changed through it.
  std::unordered_map<tag_t, std::vector<std::string>> read;
  std::size_t sweepReadAt = 64;
  std::map<std::pair<int, tag_t>, Committed> committed;
  std::size_t sweepCommittedAt = 64;
  // What each builder's commits that stand wrote of their own (NoteOwnWritten).
  std::unordered_map<tag_t, std::uint64_t> ownWritten;
  std::size_t sweepOwnWrittenAt = 64;
  // Set while a commit writes another's values through the setters: those
  // sets are not the script's.
  bool taking = false;
};
Turns& turns() {
  static Turns held;
  return held;
}

const PlainClass* classOf(const OM::Object* builder) {
  const int id = builder->OmClassId();
  for (const PlainClass& c : turns().classes)
    if (*c.classId != 0 && *c.classId == id) return &c;
  return nullptr;
}

// A member's step: its failure is noted with the host (the user sees it),
// and the builder's own values are written. Gives true when it ran through.
template <class Step>
bool noted(const char* what, Step&& step) noexcept {
  return RunNotedAs(what, "", "the builder's own values are written", std::forward<Step>(step));
}

std::string readOne(const PlainMember& member, OM::Object* builder) {
  std::string value = kUnread;
  noted("A builder's member could not be read for its commit", [&] { value = member.read(builder); });
  return value;
}

std::vector<std::string> readAll(const PlainClass& c, OM::Object* builder) {
  std::vector<std::string> values;
  values.reserve(c.members.size());
  for (const PlainMember& m : c.members) values.push_back(readOne(m, builder));
  return values;
}

bool gone(tag_t tag) { return OM::OM_is_freed_tag(tag) || OM::OM_is_deleted_tag(tag); }
}  // namespace

void RegisterPlainMembers(const int* classId, const PlainMember* members, std::size_t count) {
  std::vector<PlainMember> given(members, members + count);
  for (PlainClass& c : turns().classes)
    if (c.classId == classId) {
      c.members = std::move(given);
      return;
    }
  turns().classes.push_back({classId, std::move(given)});
}

void NoteBeforeSet(OM::Object* builder) {
  Turns& t = turns();
  if (builder == nullptr || t.taking) return;
  followUndo();
  const tag_t tag = OM::OM_ask_object_tag(builder);
  if (t.read.contains(tag)) return;
  const PlainClass* c = classOf(builder);
  if (c == nullptr) return;
  if (t.read.size() >= t.sweepReadAt) {
    std::erase_if(t.read, [](const auto& entry) { return gone(entry.first); });
    t.sweepReadAt = std::max<std::size_t>(64, 2 * t.read.size());
  }
  std::vector<std::string> values = readAll(*c, builder);
  logChange(t.read, tag);
  t.read.emplace(tag, std::move(values));
}

namespace {
// The last commit of the feature that went through, when another builder
// made it since this one read the feature (a builder made after it read the
// feature as it left it); null when there is none.
const Committed* othersCommit(const OM::Object* builder, tag_t feature) {
  if (builder == nullptr || feature == 0) return nullptr;
  followUndo();
  const Turns& t = turns();
  const auto found = t.committed.find({builder->OmClassId(), feature});
  const tag_t tag = OM::OM_ask_object_tag(builder);
  return found != t.committed.end() && found->second.by != tag && tag < found->second.after ? &found->second
                                                                                           : nullptr;
}
}  // namespace

bool AnotherCommittedSince(const OM::Object* builder, tag_t feature) {
  return othersCommit(builder, feature) != nullptr;
}

void TakeOthersCommits(OM::Object* builder, tag_t feature) {
  Turns& t = turns();
  if (builder == nullptr || feature == 0) return;
  const PlainClass* c = classOf(builder);
  if (c == nullptr) return;
  // Nobody else committed the feature since this builder last did, or since
  // it was made and read it: nothing to take.
  const Committed* theirCommit = othersCommit(builder, feature);
  if (theirCommit == nullptr) return;
  const tag_t tag = OM::OM_ask_object_tag(builder);
  const std::vector<std::string>& theirs = theirCommit->values;
  if (theirs.size() != c->members.size()) return;
  const std::vector<std::string> mine = readAll(*c, builder);
  // What is taken below counts as read from then on, unless an undo takes it back.
  if (t.read.contains(tag)) logChange(t.read, tag);
  const auto read = t.read.find(tag);
  // Changed through the builder: its value now is not the one it read.
  std::vector<bool> changed(mine.size(), false);
  if (read != t.read.end())
    for (std::size_t i = 0; i < mine.size(); ++i)
      changed[i] = i >= read->second.size() || read->second[i] != mine[i] || mine[i] == kUnread;
  t.taking = true;
  // A value not taken is written as the builder holds it, as it always was.
  noted("What another builder committed could not be taken", [&] {
    for (std::size_t i = 0; i < mine.size(); ++i) {
      if (changed[i] || theirs[i] == mine[i] || theirs[i] == kUnread) continue;
      // Taken, it is as read: a commit that fails leaves it unchanged.
      if (c->members[i].write(builder, theirs[i]) && read != t.read.end()) read->second[i] = theirs[i];
    }
    // A member the builder's own rules rewrite from one taken is the
    // builder's again where it was changed through it.
    for (std::size_t i = 0; i < mine.size(); ++i)
      if (changed[i] && mine[i] != kUnread && readOne(c->members[i], builder) != mine[i])
        c->members[i].write(builder, mine[i]);
  });
  t.taking = false;
}

void NoteCommitted(OM::Object* builder, tag_t feature) {
  Turns& t = turns();
  if (builder == nullptr) return;
  const tag_t tag = OM::OM_ask_object_tag(builder);
  followUndo();
  if (t.read.contains(tag)) {
    try {
      logChange(t.read, tag);
    } catch (...) {
      // No memory to keep it for an undo: an undo past the commit finds nothing noted, as a builder that set nothing.
    }
    t.read.erase(tag);
  }
  const PlainClass* c = classOf(builder);
  if (c == nullptr || feature == 0) return;
  const std::pair<int, tag_t> key{builder->OmClassId(), feature};
  try {
    if (t.committed.size() >= t.sweepCommittedAt) {
      std::erase_if(t.committed, [](const auto& entry) { return gone(entry.first.second); });
      t.sweepCommittedAt = std::max<std::size_t>(64, 2 * t.committed.size());
    }
    std::vector<std::string> values = readAll(*c, builder);
    logChange(t.committed, key);
    t.committed[key] = Committed{tag, OM::OM_ask_next_tag(), std::move(values)};
  } catch (...) {
    // Not noted: another builder's next commit writes its own values, as it always did.
    t.committed.erase(key);
  }
}

void NoteOwnWritten(const OM::Object* builder, std::uint64_t written) noexcept {
  if (builder == nullptr) return;
  Turns& t = turns();
  const tag_t tag = OM::OM_ask_object_tag(builder);
  try {
    if (t.ownWritten.size() >= t.sweepOwnWrittenAt) {
      std::erase_if(t.ownWritten, [](const auto& entry) { return gone(entry.first); });
      t.sweepOwnWrittenAt = std::max<std::size_t>(64, 2 * t.ownWritten.size());
    }
    logChange(t.ownWritten, tag);
    t.ownWritten[tag] = written;
  } catch (...) {
    // Not noted: the builder counts as one whose commit wrote nothing of its
    // own, and writes what it holds again, as a builder that never committed.
    t.ownWritten.erase(tag);
  }
}

std::uint64_t OwnWritten(const OM::Object* builder) {
  if (builder == nullptr) return 0;
  followUndo();
  const Turns& t = turns();
  const auto found = t.ownWritten.find(OM::OM_ask_object_tag(builder));
  return found != t.ownWritten.end() ? found->second : 0;
}

}  // namespace KTX::Stamvik
