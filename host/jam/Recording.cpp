// Recording of journalled calls, the fault filter, pauses and replay.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <span>
#include <string_view>
#include <unordered_map>

#include "jam/Internal.hpp"
#include "om/ObjectManager.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::JAM {
namespace {

constexpr int kSuppressed = -1;

struct State {
  // The journal as Recorded() hands it out. Until someone first asks for it,
  // the records are held below instead, made in place in storage that a
  // clearing keeps (texts, lists and all): a process that records and clears
  // without reading (a script run, a benchmark) moves no record and no
  // value. The first read hands the held records over; from then on records
  // go straight into the journal, so that whoever keeps a reference to it
  // sees every record made later.
  Journal journal;
  bool handedOut = false;
  std::vector<Record> held;  // [0, heldCount) are the journal's; their values are kept apart
  std::size_t heldCount = 0;
  std::vector<Value> heldValues;  // [0, heldValueCount) are the held records' values
  std::size_t heldValueCount = 0;
  // Where each held record's values are, all in a row (a record that gets a
  // value after another record's hands the journal out first).
  struct Span {
    std::size_t first = 0;
    std::size_t count = 0;
  };
  std::vector<Span> heldSpans;  // one per held record
  std::vector<int> open;  // indexes into the journal; kSuppressed while paused
  int paused = 0;
  std::set<int> claimed;
  int verdict = 1;
  std::map<std::string, int> raiseAt;
  // What is known of each member, by its replay key; nodes stay put.
  std::map<std::string, Internal::Learnt> learnt;
  // The forms of an overloaded member (one name, other arguments), by replay
  // key, each with its arguments' names; a member of one form has one entry.
  std::map<std::string, Internal::Forms> forms;
  // The same, found from the handles a recording call is given, so that a
  // call composes no key: the member's text is kept to check a hit against
  // (a member text at an address that an unloaded library left).
  struct CallKey {
    const JAM_type_class_s* journalClass;
    int methodType;
    const char* member;
    bool operator==(const CallKey&) const = default;
  };
  struct CallKeyHash {
    std::size_t operator()(const CallKey& k) const {
      return std::hash<const void*>()(k.journalClass) ^ (std::hash<const void*>()(k.member) * 31u) ^
             static_cast<std::size_t>(k.methodType);
    }
  };
  std::unordered_map<CallKey, std::pair<std::string, Internal::Learnt*>, CallKeyHash> byCall;
  // Records and values the journal let go of, kept with their room (their
  // texts' and lists' storage) for the next ones: a journal that is cleared
  // as it goes (a play, a test) records without asking for memory.
  std::vector<Record> spareRecords;
  std::vector<Value> spareValues;
};

constexpr std::size_t kSpareRecords = 4096;
constexpr std::size_t kSpareValues = 4 * kSpareRecords;

// Never destroyed: the plug-in's exit steps may still call in at process exit.
// Every recording call asks for it several times: once made, it is a load.
State* theState = nullptr;
[[gnu::noinline, gnu::cold]] State& makeState() {
  static auto* s = new State;
  __atomic_store_n(&theState, s, __ATOMIC_RELEASE);
  return *s;
}
[[gnu::always_inline]] inline State& state() {
  // A plain load (the builtin, never an outlined call), safe on any thread.
  State* known = __atomic_load_n(&theState, __ATOMIC_ACQUIRE);
  return known != nullptr ? *known : makeState();
}

// Sets a kept text to another only where it differs: the spare records and
// values hold the same member and argument names call after call.
inline void keep(std::string& kept, std::string_view text) {
  if (kept.size() != text.size() || (!text.empty() && std::memcmp(kept.data(), text.data(), text.size()) != 0))
    kept.assign(text);
}
inline void keep(std::string& kept, const char* text) {
  keep(kept, text != nullptr ? std::string_view(text) : std::string_view());
}

std::string num(long long v) { return std::to_string(v); }

// The record at an index of the journal, held or handed out.
[[gnu::always_inline]] inline Record& recordAt(int index) {
  State& s = state();
  auto i = static_cast<std::size_t>(index);
  return s.handedOut ? s.journal[i] : s.held[i];
}

std::span<Value> valuesAt(int index) {
  State& s = state();
  auto i = static_cast<std::size_t>(index);
  if (s.handedOut) return s.journal[i].values;
  const State::Span& span = s.heldSpans[i];
  return std::span<Value>(s.heldValues.data() + span.first, span.count);
}

[[gnu::always_inline]] inline Record* current() {
  State& s = state();
  if (s.open.empty() || s.open.back() == kSuppressed) return nullptr;
  return &recordAt(s.open.back());
}

Record& newRecord();
void handOut();

// Gives a value its name and type. A journal of many records reused after a
// clear holds each value's old names in memory no recent call touched: the
// member's own copy, read on every call of it, tells whether they are the
// same, so that a long journal's values are written, not read back first.
constexpr std::size_t kKeptPlaces = 16;
std::uint64_t nextKeptNumber = 0;
void keepNames(Value& v, Internal::Learnt* learnt, std::size_t place, const char* name, std::string_view type) {
  const std::string_view given = name != nullptr ? std::string_view(name) : std::string_view();
  if (learnt == nullptr || place >= kKeptPlaces) {
    keep(v.name, given);
    keep(v.type, type);
    v.keptAs = 0;
    return;
  }
  if (place >= learnt->names.size()) learnt->names.resize(place + 1);
  Internal::KeptName& known = learnt->names[place];
  if (known.number == 0 || known.name != given || known.type != type) {
    known.name.assign(given);
    known.type.assign(type);
    known.number = ++nextKeptNumber;
  }
  if (v.keptAs == known.number) return;
  keep(v.name, given);
  keep(v.type, type);
  v.keptAs = known.number;
}

Value* add(Direction direction, ValueKind kind, const char* name, std::string_view type = {}) {
  State& s = state();
  if (s.open.empty() || s.open.back() == kSuppressed) return nullptr;
  auto index = static_cast<std::size_t>(s.open.back());
  if (!s.handedOut && s.heldSpans[index].first + s.heldSpans[index].count != s.heldValueCount) handOut();
  Value* made = nullptr;
  std::size_t place = 0;
  if (!s.handedOut) {
    if (s.heldValueCount == s.heldValues.size()) s.heldValues.emplace_back();
    made = &s.heldValues[s.heldValueCount++];
    place = s.heldSpans[index].count++;
  } else {
    Record& r = s.journal[index];
    place = r.values.size();
    if (s.spareValues.empty()) {
      r.values.emplace_back();
    } else {
      r.values.push_back(std::move(s.spareValues.back()));
      s.spareValues.pop_back();
    }
    made = &r.values.back();
  }
  Value& v = *made;
  v.direction = direction;
  v.kind = kind;
  keepNames(v, static_cast<Internal::Learnt*>(recordAt(static_cast<int>(index)).learnt), place, name, type);
  v.ClearContents();
  return &v;
}

// Whether room for `room` items, of which the journal let go used `used`,
// is more than it should keep (`least` always is kept).
constexpr bool shouldShrink(std::size_t room, std::size_t used, std::size_t least) {
  return room > least && room / 4 > used;
}

// The journal's records go to the spares (as many as are kept); held ones
// stay where they are, for the next.
void letGo() {
  State& s = state();
  for (Record& r : s.journal) {
    for (Value& v : r.values)
      if (s.spareValues.size() < kSpareValues) s.spareValues.push_back(std::move(v));
    r.values.clear();
    if (s.spareRecords.size() < kSpareRecords) s.spareRecords.push_back(std::move(r));
  }
  s.journal.clear();
  // The room a long journal held is kept while journals use it: a session
  // that records as many calls between clears every time (a script run over
  // many builders) makes its records in place, where giving the room back
  // would have each clear's records grow it again, moved and paged in anew.
  // A journal that used less than a quarter of it gives back all but twice
  // what it used, and never below the spares' count.
  if (shouldShrink(s.held.size(), s.heldCount, kSpareRecords)) {
    const std::size_t keepRecords = std::max(kSpareRecords, 2 * s.heldCount);
    s.held.resize(keepRecords);
    s.held.shrink_to_fit();
    s.heldSpans.resize(keepRecords);
    s.heldSpans.shrink_to_fit();
  }
  if (shouldShrink(s.heldValues.size(), s.heldValueCount, kSpareValues)) {
    s.heldValues.resize(std::max(kSpareValues, 2 * s.heldValueCount));
    s.heldValues.shrink_to_fit();
  }
  s.heldCount = 0;
  s.heldValueCount = 0;
}

// A new record at the end of the journal, a spare one where there is one.
Record& newRecord() {
  State& s = state();
  if (s.spareRecords.empty()) {
    s.journal.emplace_back();
  } else {
    s.journal.push_back(std::move(s.spareRecords.back()));
    s.spareRecords.pop_back();
  }
  return s.journal.back();
}

// The held records become the journal's, each with its values.
void handOut() {
  State& s = state();
  if (s.handedOut) return;
  s.handedOut = true;
  for (std::size_t i = 0; i < s.heldCount; ++i) {
    const Record& from = s.held[i];
    Record& to = newRecord();
    to = from;
    const State::Span& span = s.heldSpans[i];
    for (std::size_t k = span.first; k < span.first + span.count; ++k) {
      if (s.spareValues.empty()) {
        to.values.push_back(s.heldValues[k]);
      } else {
        to.values.push_back(std::move(s.spareValues.back()));
        s.spareValues.pop_back();
        to.values.back() = s.heldValues[k];
      }
    }
  }
  // Nothing is held again.
  s.held = {};
  s.heldSpans = {};
  s.heldValues = {};
  s.heldCount = 0;
  s.heldValueCount = 0;
}

std::string nameOf(const JAM_type_class_s* c) { return c != nullptr ? c->name : std::string(); }
std::string nameOf(const JAM_type_enum_s* e) { return e != nullptr ? e->name : std::string(); }
std::string nameOf(const JAM_type_struct_s* s) { return s != nullptr ? s->name : std::string(); }
template <class Type>
std::string_view typeOf(const Type* t) {
  return t != nullptr ? std::string_view(t->name) : std::string_view();
}
int componentsOf(const JAM_type_struct_s* s) { return s != nullptr ? static_cast<int>(s->components.size()) : 0; }

tag_t tagOfPointer(const void* object) {
  return object == nullptr ? 0 : OM::OM_ask_object_tag(static_cast<const OM::Object*>(object));
}

void copyStructs(Value& v, const void* values, int count, int components) {
  v.reals.clear();
  if (values == nullptr || count <= 0 || components <= 0) {
    v.isNull = values == nullptr;
    return;
  }
  const auto* d = static_cast<const double*>(values);
  v.reals.assign(d, d + static_cast<std::size_t>(count) * static_cast<std::size_t>(components));
}

// A result is there only once the body has run: read it when the call ends.
void readResult(Value& v) {
  if (v.pending == nullptr) return;
  switch (v.kind) {
    case ValueKind::Logical: v.integer = *static_cast<const bool*>(v.pending); break;
    case ValueKind::Integer:
    case ValueKind::Enum: v.integer = *static_cast<const int*>(v.pending); break;
    case ValueKind::Double: v.real = *static_cast<const double*>(v.pending); break;
    case ValueKind::Tag: v.integer = *static_cast<const tag_t*>(v.pending); break;
    case ValueKind::Ptr: v.integer = tagOfPointer(*static_cast<const void* const*>(v.pending)); break;
    case ValueKind::String: {
      const char* text = *static_cast<const char* const*>(v.pending);
      v.isNull = text == nullptr;
      v.text = text != nullptr ? text : "";
      break;
    }
    case ValueKind::Utf8String: {
      const TEXT_s* text = *static_cast<const TEXT_s* const*>(v.pending);
      v.isNull = text == nullptr;
      v.text = text != nullptr ? TEXT_ask_utf8(text) : "";
      break;
    }
    case ValueKind::Struct: copyStructs(v, v.pending, 1, v.structSize); break;
    case ValueKind::StructArray: {
      int count = v.pendingCount != nullptr ? *v.pendingCount : 0;
      copyStructs(v, *static_cast<const void* const*>(v.pending), count, v.structSize);
      break;
    }
    case ValueKind::StringArray: {
      int count = v.pendingCount != nullptr ? *v.pendingCount : 0;
      char** texts = *static_cast<char** const*>(v.pending);
      v.isNull = texts == nullptr;
      v.texts.clear();
      for (int i = 0; texts != nullptr && i < count; ++i) v.texts.push_back(texts[i] != nullptr ? texts[i] : "");
      break;
    }
    case ValueKind::Utf8StringArray: {
      int count = v.pendingCount != nullptr ? *v.pendingCount : 0;
      const TEXT_s** texts = *static_cast<const TEXT_s** const*>(v.pending);
      v.isNull = texts == nullptr;
      v.texts.clear();
      for (int i = 0; texts != nullptr && i < count; ++i) v.texts.push_back(texts[i] != nullptr ? TEXT_ask_utf8(texts[i]) : "");
      break;
    }
    case ValueKind::DoubleArray: break;
  }
}

void finish(std::span<Value> values) {
  for (Value& v : values) {
    v.pending = nullptr;
    v.pendingCount = nullptr;
    v.structSize = 0;
  }
}

std::vector<std::string> namesOf(std::span<const Value> values) {
  std::vector<std::string> names;
  for (const Value& v : values) names.push_back(v.name);
  return names;
}

// A member's form, learnt from a record that reached its end of arguments:
// the callback it was opened with and how many values it holds.
bool learntLast(const Internal::Learnt& member, const Record& r, std::span<const Value> values) {
  if (!member.lastFormKnown || member.lastFormOpener != r.opener || member.lastForm.size() != values.size())
    return false;
  for (std::size_t i = 0; i < values.size(); ++i)
    if (values[i].keptAs == 0 || values[i].keptAs != member.lastForm[i]) return false;
  return true;
}

// Notes the form just learnt as the member's last, when every value's names
// are kept under a number (otherwise the next record is learnt in full).
void noteLastForm(Internal::Learnt& member, const Record& r, std::span<const Value> values) {
  member.lastFormKnown = false;
  member.lastForm.clear();
  for (const Value& v : values) {
    if (v.keptAs == 0) return;
    member.lastForm.push_back(v.keptAs);
  }
  member.lastFormOpener = r.opener;
  member.lastFormKnown = true;
}

void learnFormInFull(const Record& r, std::span<const Value> values);

void learnForm(const Record& r, std::span<const Value> values) {
  auto* member = static_cast<Internal::Learnt*>(r.learnt);
  if (member == nullptr) {
    learnFormInFull(r, values);
    return;
  }
  if (learntLast(*member, r, values)) return;
  // Forgotten first: should learning throw, the next record is learnt in full.
  member->lastFormKnown = false;
  learnFormInFull(r, values);
  noteLastForm(*member, r, values);
}

void learnFormInFull(const Record& r, std::span<const Value> values) {
  auto* member = static_cast<Internal::Learnt*>(r.learnt);
  Internal::Forms* forms = member != nullptr ? member->forms : nullptr;
  if (forms == nullptr) {
    forms = &state().forms[Internal::ReplayKey(r.journalClass, r.methodType, r.member)];
    if (member != nullptr) member->forms = forms;
  }
  for (auto& [known, learnt] : *forms)
    if (known.size() == values.size() &&
        std::equal(known.begin(), known.end(), values.begin(),
                   [](const std::string& name, const Value& v) { return name == v.name; })) {
      learnt.replay = r.opener;
      learnt.valueCount = static_cast<int>(values.size());
      return;
    }
  Internal::Learnt learnt;
  learnt.replay = r.opener;
  learnt.valueCount = static_cast<int>(values.size());
  forms->push_back({namesOf(values), std::move(learnt)});
}

// The form of an overloaded member that a record names by its arguments;
// null for a member of one form, or when none matches.
const Internal::Learnt* formOf(const std::string& key, const Record& r) {
  auto it = state().forms.find(key);
  if (it == state().forms.end() || it->second.size() < 2) return nullptr;
  std::vector<std::string> names = namesOf(r.values);
  for (const auto& [known, learnt] : it->second)
    if (known == names) return &learnt;
  return nullptr;
}

void close(int index, RecordState how, int status) {
  Record& r = recordAt(index);
  std::span<Value> values = valuesAt(index);
  if (r.argumentsEnded && r.learnt != nullptr)
    static_cast<Internal::Learnt*>(r.learnt)->valueCount = static_cast<int>(values.size());
  if (r.argumentsEnded && r.opener != nullptr) learnForm(r, values);
  if (how == RecordState::Closed)
    for (Value& v : values) readResult(v);
  finish(values);
  r.state = how;
  r.status = status;
}

// What is known of the member a recording call names, found from the handles
// it is given; null the first time (or when the text at that address is
// another member's).
Internal::Learnt* knownLearnt(const JAM_type_class_s* journalClass, int methodType, const char* member) {
  State& s = state();
  auto hit = s.byCall.find(State::CallKey{journalClass, methodType, member});
  if (hit != s.byCall.end() && member != nullptr && hit->second.first == member) return hit->second.second;
  return nullptr;
}

// The same, learnt from the record's names the first time.
Internal::Learnt* learntFor(const JAM_type_class_s* journalClass, int methodType, const char* member,
                            const Record& r) {
  State& s = state();
  Internal::Learnt* learnt = &s.learnt[Internal::ReplayKey(r.journalClass, methodType, r.member)];
  s.byCall[State::CallKey{journalClass, methodType, member}] = {r.member, learnt};
  return learnt;
}

void start(JAM_type_class_s* journalClass, int methodType, const char* member, JAM_replay_fn replay) {
  State& s = state();
  if (s.paused > 0) {
    s.open.push_back(kSuppressed);
    return;
  }
  std::size_t index = 0;
  Record* made = nullptr;
  if (s.handedOut) {
    made = &newRecord();
    index = s.journal.size() - 1;
  } else {
    if (s.heldCount == s.held.size()) {
      s.held.emplace_back();
      s.heldSpans.emplace_back();
    }
    index = s.heldCount++;
    made = &s.held[index];
    s.heldSpans[index] = {s.heldValueCount, 0};
  }
  Record& r = *made;
  r.depth = static_cast<int>(s.open.size());
  r.methodType = methodType;
  // A record made again for the member it was last made for (a journal
  // cleared as it goes reuses its records) holds its names already: one
  // member, one class and one member name.
  Internal::Learnt* learnt = knownLearnt(journalClass, methodType, member);
  if (learnt == nullptr || r.learnt != learnt) {
    keep(r.journalClass, typeOf(journalClass));
    keep(r.member, member);
    if (learnt == nullptr) learnt = learntFor(journalClass, methodType, member, r);
  }
  r.attributes = -1;
  r.thisKind = 0;
  r.thisTag = 0;
  r.associations.clear();
  r.argumentsEnded = false;
  r.state = RecordState::Open;
  r.status = 0;
  r.line = 0;
  if (replay != nullptr) learnt->replay = replay;
  r.learnt = learnt;
  r.opener = replay;
  s.open.push_back(static_cast<int>(index));
}

// Raises the error a test asked for at this recording call; no call when none is asked for.
[[gnu::always_inline]] inline void maybeRaise(const char* function) {
  if (!state().raiseAt.empty()) Internal::MaybeRaise(function);
}

}  // namespace

namespace Internal {

std::string ReplayKey(const std::string& journalClass, int methodType, const std::string& member) {
  return journalClass + "|" + std::to_string(methodType) + "|" + member;
}
void LearnReplay(const std::string& key, JAM_replay_fn replay) { state().learnt[key].replay = replay; }
void LearnValueCount(const std::string& key, int count) { state().learnt[key].valueCount = count; }
int KnownValueCount(const std::string& key) {
  auto it = state().learnt.find(key);
  return it == state().learnt.end() ? 0 : it->second.valueCount;
}
JAM_replay_fn FindReplay(const std::string& key) {
  auto it = state().learnt.find(key);
  return it == state().learnt.end() ? nullptr : it->second.replay;
}

void MaybeRaise(const char* function) {
  auto& raiseAt = state().raiseAt;
  if (raiseAt.empty()) return;  // the usual case: no text made to look for
  auto it = raiseAt.find(function);
  if (it == raiseAt.end()) return;
  int number = it->second;
  raiseAt.erase(it);
  ERROR_raise("jam", 0, number, "raised at %s", function);
}

}  // namespace Internal

const Journal& Recorded() {
  handOut();
  return state().journal;
}

void ClearJournal() {
  letGo();
  state().open.clear();
}

std::size_t RecordedCount() {
  const State& s = state();
  return s.handedOut ? s.journal.size() : s.heldCount;
}

std::span<const Value> RecordedValues(std::size_t index) {
  if (index >= RecordedCount()) return {};
  return valuesAt(static_cast<int>(index));
}

const Record& RecordedAt(std::size_t index) { return recordAt(static_cast<int>(index)); }

namespace Test {
void ClaimErrorNumber(int number) { state().claimed.insert(number); }
void SetFaultVerdict(int verdict) { state().verdict = verdict; }
void RaiseAt(const char* function, int number) { state().raiseAt[function] = number; }
void Reset() {
  State& s = state();
  letGo();
  s.open.clear();
  s.paused = 0;
  s.claimed.clear();
  s.verdict = 1;
  s.raiseAt.clear();
  Autotest::m_objectDetails = 0;
  Autotest::m_subobjectNesting = 0;
  Autotest::EnableAPIPrint("*", false);
}
}  // namespace Test

// ---- pauses ------------------------------------------------------------------------

JournalPauser::JournalPauser() {
  ++state().paused;
  if (Host::Logging()) Host::Log("JournalPauser", "pause");
}
JournalPauser::~JournalPauser() {
  --state().paused;
  if (Host::Logging()) Host::Log("JournalPauser", "resume");
}
bool JournalPauser::Paused() { return state().paused > 0; }

// ---- the call record of a replay --------------------------------------------------

struct Call::Slot {
  Direction direction = Direction::In;
  ValueKind kind = ValueKind::Integer;
  bool logical = false;
  int integer = 0;
  double real = 0;
  tag_t tag = 0;
  int count = 0;
  const char* cstr = nullptr;
  const TEXT_s* ctext = nullptr;
  OM::Object* object = nullptr;
  void* array = nullptr;  // elements of an array argument or result
  std::string text;
  TEXT_s* ownText = nullptr;
  std::vector<double> reals;
  std::vector<std::string> texts;
  std::vector<const char*> cstrs;
  std::vector<const TEXT_s*> ctexts;  // in-texts made for the call
};

namespace {
constexpr std::size_t kSpareSlotLists = 8;
// The slots of calls that ended, cleared, for the next calls: most calls
// then find room for their few slots without asking for memory.
std::vector<std::deque<Call::Slot>*>& spareSlots() {
  static auto* spares = [] {
    auto* made = new std::vector<std::deque<Call::Slot>*>;
    made->reserve(kSpareSlotLists);
    return made;
  }();
  return *spares;
}
}  // namespace

Call::Call() {
  std::vector<std::deque<Slot>*>& spares = spareSlots();
  if (spares.empty()) {
    slots_ = new std::deque<Slot>;
  } else {
    slots_ = spares.back();
    spares.pop_back();
  }
}

Call::~Call() {
  // Results handed out by the bodies belong to the caller: here, the call record.
  for (Slot& s : *slots_) {
    TEXT_free(s.ownText);
    for (const TEXT_s* t : s.ctexts) TEXT_free(const_cast<TEXT_s*>(t));
    if (s.direction == Direction::In) continue;
    if (s.kind == ValueKind::String && s.cstr != nullptr) SM_free(const_cast<char*>(s.cstr));
    if (s.kind == ValueKind::Utf8String && s.ctext != nullptr) TEXT_free(const_cast<TEXT_s*>(s.ctext));
    if (s.kind == ValueKind::StringArray && s.array != nullptr) {
      auto** texts = static_cast<char**>(s.array);
      for (int i = 0; i < s.count; ++i) SM_free(texts[i]);
      SM_free(texts);
    }
    if (s.kind == ValueKind::Utf8StringArray && s.array != nullptr) {
      auto** texts = static_cast<TEXT_s**>(s.array);
      for (int i = 0; i < s.count; ++i) TEXT_free(texts[i]);
      SM_free(texts);
    }
    if (s.kind == ValueKind::StructArray && s.array != nullptr) SM_free(s.array);
  }
  std::vector<std::deque<Slot>*>& spares = spareSlots();
  if (spares.size() < kSpareSlotLists && spares.capacity() > spares.size()) {
    slots_->clear();
    spares.push_back(slots_);
  } else {
    delete slots_;
  }
}

int Call::ArgumentCount() const { return static_cast<int>(slots_->size()); }

void* Call::Argument(int i) const {
  if (i < 0 || i >= ArgumentCount()) return nullptr;
  Slot& s = (*slots_)[static_cast<std::size_t>(i)];
  switch (s.kind) {
    case ValueKind::Logical: return &s.logical;
    case ValueKind::Integer:
    case ValueKind::Enum: return &s.integer;
    case ValueKind::Double: return &s.real;
    case ValueKind::Tag: return &s.tag;
    case ValueKind::Ptr: return &s.object;
    case ValueKind::String: return &s.cstr;
    case ValueKind::Utf8String: return &s.ctext;
    case ValueKind::Struct: return s.reals.data();
    case ValueKind::DoubleArray:
    case ValueKind::StringArray:
    case ValueKind::Utf8StringArray:
    case ValueKind::StructArray: return &s.count;
  }
  return nullptr;
}

void* Call::ArrayAddress(int i) const {
  if (i < 0 || i >= ArgumentCount()) return nullptr;
  return &(*slots_)[static_cast<std::size_t>(i)].array;
}

// "Matrix3x3": nine doubles.
constexpr std::size_t kLargestStruct = 9;

class Replayer {
 public:
  static void Fill(Call& call, const Record& record) {
    if (record.thisKind == 'p') call.object_ = OM::OM_object_of_tag(record.thisTag);
    if (record.thisKind == 't') call.tag_ = record.thisTag;
    for (const Value& v : record.values) {
      Call::Slot& s = call.slots_->emplace_back();
      s.direction = v.direction;
      s.kind = v.kind;
      if (v.direction != Direction::In) {
        // Room for the largest structure, whatever the record names: the
        // member fills the structure it takes, not the one the record says.
        if (v.kind == ValueKind::Struct) s.reals.assign(kLargestStruct, 0.0);
        continue;
      }
      s.logical = v.integer != 0;
      s.integer = static_cast<int>(v.integer);
      s.real = v.real;
      s.tag = static_cast<tag_t>(v.integer);
      s.text = v.text;
      s.reals = v.reals;
      // A structure read from a record with fewer numbers than the member's
      // structure holds: the rest are 0, never read past the record's own.
      if (v.kind == ValueKind::Struct && s.reals.size() < kLargestStruct) s.reals.resize(kLargestStruct, 0.0);
      s.texts = v.texts;
      switch (v.kind) {
        case ValueKind::String: s.cstr = v.isNull ? nullptr : s.text.c_str(); break;
        case ValueKind::Utf8String:
          if (!v.isNull) s.ownText = TEXT_create_string(v.text.c_str());
          s.ctext = s.ownText;
          break;
        case ValueKind::DoubleArray:
          s.count = static_cast<int>(s.reals.size());
          s.array = v.isNull ? nullptr : s.reals.data();
          break;
        case ValueKind::StructArray: {
          JAM_type_struct_s* st = Internal::FindStruct(v.type);
          int components = st != nullptr && !st->components.empty() ? static_cast<int>(st->components.size()) : 1;
          s.count = static_cast<int>(s.reals.size()) / components;
          s.array = v.isNull ? nullptr : s.reals.data();
          break;
        }
        case ValueKind::StringArray:
          for (const std::string& t : s.texts) s.cstrs.push_back(t.c_str());
          s.count = static_cast<int>(s.cstrs.size());
          s.array = v.isNull ? nullptr : s.cstrs.data();
          break;
        case ValueKind::Utf8StringArray:
          for (const std::string& t : s.texts) s.ctexts.push_back(TEXT_create_string(t.c_str()));
          s.count = static_cast<int>(s.ctexts.size());
          s.array = v.isNull ? nullptr : s.ctexts.data();
          break;
        default: break;
      }
    }
  }
};

namespace {

// A record made on an object by pointer whose object is not there (gone, or
// never one): the member's body would be handed no object, so it is not called.
int MissingObject(const Record& record) {
  if (record.thisKind != 'p' || OM::OM_object_of_tag(record.thisTag) != nullptr) return 0;
  return record.thisTag != 0 && OM::OM_is_deleted_tag(record.thisTag) ? Error::kDeletedTag : Error::kBadObject;
}

}  // namespace

int Replay(const Record& record) {
  std::string key = Internal::ReplayKey(record.journalClass, record.methodType, record.member);
  JAM_replay_fn replay = Internal::FindReplay(key);
  int known = Internal::KnownValueCount(key);
  // An overloaded member replays through the form its arguments name.
  if (const Internal::Learnt* form = formOf(key, record)) {
    replay = form->replay;
    known = form->valueCount;
  }
  if (Host::Logging()) Host::Log("JAM_replay", record.journalClass + " " + record.member);
  if (replay == nullptr) return kUnknownMember;
  // The callback reads as many slots as its member takes: a record with
  // another number of values would hand it addresses of nothing.
  if (known != 0 && known != static_cast<int>(record.values.size())) return kMalformedRecord;
  if (int missing = MissingObject(record)) return missing;
  Call call;
  Replayer::Fill(call, record);
  replay(call);
  return call.Status();
}

int ReplayWith(const Record& record, JAM_replay_fn play) {
  if (Host::Logging()) Host::Log("JAM_replay", record.journalClass + " " + record.member);
  if (play == nullptr) return kUnknownMember;
  if (int missing = MissingObject(record)) return missing;
  Call call;
  Replayer::Fill(call, record);
  play(call);
  return call.Status();
}

std::vector<int> ReplayJournal(const Journal& journal) {
  std::vector<int> statuses;
  for (const Record& r : journal)
    if (r.depth == 0) statuses.push_back(Replay(r));
  return statuses;
}

}  // namespace KTX::JAM

using namespace KTX;
using namespace KTX::JAM;

extern "C" {

void JAM_start_property_call(JAM_type_class_s* journalClass, int methodType, const char* property,
                             JAM_replay_fn replay) {
  if (Host::Logging()) Host::Log("JAM_start_property_call", nameOf(journalClass) + " " + num(methodType) + " " + (property ? property : ""));
  maybeRaise("JAM_start_property_call");
  start(journalClass, methodType, property, replay);
}

void JAM_start_call(JAM_type_class_s* journalClass, const char* method, JAM_replay_fn replay) {
  if (Host::Logging()) Host::Log("JAM_start_call", nameOf(journalClass) + " " + (method ? method : ""));
  maybeRaise("JAM_start_call");
  start(journalClass, 0, method, replay);
}

void JAM_set_method_attributes(int attributes) {
  if (Host::Logging()) Host::Log("JAM_set_method_attributes", num(attributes));
  if (Record* r = current()) r->attributes = attributes;
}

void JAM_this_ptr(const void* object) {
  tag_t tag = tagOfPointer(object);
  if (Host::Logging()) Host::Log("JAM_this_ptr", num(tag));
  maybeRaise("JAM_this_ptr");
  if (Record* r = current()) {
    r->thisKind = 'p';
    r->thisTag = tag;
  }
}

void JAM_this(tag_t tag) {
  if (Host::Logging()) Host::Log("JAM_this", num(tag));
  maybeRaise("JAM_this");
  if (Record* r = current()) {
    r->thisKind = 't';
    r->thisTag = tag;
  }
}

#define JAM_LOG_VALUE(function, name, text) \
  if (Host::Logging()) Host::Log(function, std::string(name != nullptr ? name : "") + "=" + (text))

void JAM_in_logical(const bool* value, const char* name) {
  JAM_LOG_VALUE("JAM_in_logical", name, value != nullptr ? num(*value) : "null");
  maybeRaise("JAM_in_logical");
  if (Value* v = add(Direction::In, ValueKind::Logical, name)) v->integer = value != nullptr && *value;
}
void JAM_in_int(const int* value, const char* name) {
  JAM_LOG_VALUE("JAM_in_int", name, value != nullptr ? num(*value) : "null");
  if (Value* v = add(Direction::In, ValueKind::Integer, name)) v->integer = value != nullptr ? *value : 0;
}
void JAM_in_double(const double* value, const char* name, int attribute) {
  if (Host::Logging()) {
    char text[40] = "null";
    if (value != nullptr) std::snprintf(text, sizeof text, "%.17g", *value);
    JAM_LOG_VALUE("JAM_in_double", name, text);
  }
  maybeRaise("JAM_in_double");
  if (Value* v = add(Direction::In, ValueKind::Double, name)) {
    v->real = value != nullptr ? *value : 0.0;
    v->attribute = attribute;
  }
}
void JAM_in_enum(JAM_type_enum_s* enumeration, const void* value, const char* name) {
  int n = value != nullptr ? *static_cast<const int*>(value) : 0;
  JAM_LOG_VALUE("JAM_in_enum", name, nameOf(enumeration) + ":" + num(n));
  if (Value* v = add(Direction::In, ValueKind::Enum, name, typeOf(enumeration))) v->integer = n;
}
void JAM_in_tag(JAM_type_class_s* journalClass, const tag_t* value, const char* name) {
  JAM_LOG_VALUE("JAM_in_tag", name, nameOf(journalClass) + ":" + (value != nullptr ? num(*value) : "null"));
  if (Value* v = add(Direction::In, ValueKind::Tag, name, typeOf(journalClass)))
    v->integer = value != nullptr ? *value : 0;
}
void JAM_in_string(const char* value, const char* name) {
  JAM_LOG_VALUE("JAM_in_string", name, value != nullptr ? value : "null");
  if (Value* v = add(Direction::In, ValueKind::String, name)) {
    v->isNull = value == nullptr;
    v->text = value != nullptr ? value : "";
  }
}
void JAM_in_utf8_string(const TEXT_s* value, const char* name) {
  JAM_LOG_VALUE("JAM_in_utf8_string", name, value != nullptr ? TEXT_ask_utf8(value) : "null");
  if (Value* v = add(Direction::In, ValueKind::Utf8String, name)) {
    v->isNull = value == nullptr;
    v->text = value != nullptr ? TEXT_ask_utf8(value) : "";
  }
}
void JAM_in_struct(JAM_type_struct_s* structure, const void* value, const char* name) {
  JAM_LOG_VALUE("JAM_in_struct", name, nameOf(structure));
  if (Value* v = add(Direction::In, ValueKind::Struct, name, typeOf(structure)))
    copyStructs(*v, value, 1, componentsOf(structure));
}
void JAM_in_double_array(int count, const double* values, const char* name) {
  JAM_LOG_VALUE("JAM_in_double_array", name, num(count));
  if (Value* v = add(Direction::In, ValueKind::DoubleArray, name)) copyStructs(*v, values, count, 1);
}
void JAM_in_string_array(int count, const char** values, const char* name) {
  JAM_LOG_VALUE("JAM_in_string_array", name, num(count));
  if (Value* v = add(Direction::In, ValueKind::StringArray, name)) {
    v->isNull = values == nullptr;
    for (int i = 0; values != nullptr && i < count; ++i) v->texts.push_back(values[i] != nullptr ? values[i] : "");
  }
}
void JAM_in_utf8_string_array(int count, const TEXT_s** values, const char* name) {
  JAM_LOG_VALUE("JAM_in_utf8_string_array", name, num(count));
  if (Value* v = add(Direction::In, ValueKind::Utf8StringArray, name)) {
    v->isNull = values == nullptr;
    for (int i = 0; values != nullptr && i < count; ++i)
      v->texts.push_back(values[i] != nullptr ? TEXT_ask_utf8(values[i]) : "");
  }
}
void JAM_in_struct_array(JAM_type_struct_s* structure, int count, const void* values, const char* name) {
  JAM_LOG_VALUE("JAM_in_struct_array", name, nameOf(structure) + ":" + num(count));
  if (Value* v = add(Direction::In, ValueKind::StructArray, name, typeOf(structure)))
    copyStructs(*v, values, count, componentsOf(structure));
}

void JAM_out_struct_array(JAM_type_struct_s* structure, int* count, const void* values, const char* name) {
  JAM_LOG_VALUE("JAM_out_struct_array", name, nameOf(structure));
  if (Value* v = add(Direction::Out, ValueKind::StructArray, name, typeOf(structure))) {
    v->pending = values;
    v->pendingCount = count;
    v->structSize = componentsOf(structure);
  }
}

namespace {
void result(ValueKind kind, const void* value, const char* name, std::string_view type = {}, const int* count = nullptr,
            int structSize = 0) {
  if (Value* v = add(Direction::Result, kind, name, type)) {
    v->pending = value;
    v->pendingCount = count;
    v->structSize = structSize;
  }
}
}  // namespace

void JAM_result_logical(const bool* value, const char* name) {
  JAM_LOG_VALUE("JAM_result_logical", name, "");
  maybeRaise("JAM_result_logical");
  result(ValueKind::Logical, value, name);
}
void JAM_result_int(const int* value, const char* name) {
  JAM_LOG_VALUE("JAM_result_int", name, "");
  result(ValueKind::Integer, value, name);
}
void JAM_result_double(const double* value, const char* name) {
  JAM_LOG_VALUE("JAM_result_double", name, "");
  maybeRaise("JAM_result_double");
  result(ValueKind::Double, value, name);
}
void JAM_result_enum(JAM_type_enum_s* enumeration, const void* value, const char* name) {
  JAM_LOG_VALUE("JAM_result_enum", name, nameOf(enumeration));
  result(ValueKind::Enum, value, name, typeOf(enumeration));
}
void JAM_result_ptr(JAM_type_class_s* journalClass, const void* value, const char* name) {
  JAM_LOG_VALUE("JAM_result_ptr", name, nameOf(journalClass));
  maybeRaise("JAM_result_ptr");
  result(ValueKind::Ptr, value, name, typeOf(journalClass));
}
void JAM_result_tag(JAM_type_class_s* journalClass, const tag_t* value, const char* name) {
  JAM_LOG_VALUE("JAM_result_tag", name, nameOf(journalClass));
  result(ValueKind::Tag, value, name, typeOf(journalClass));
}
void JAM_result_string(const char** value, const char* name) {
  JAM_LOG_VALUE("JAM_result_string", name, "");
  result(ValueKind::String, value, name);
}
void JAM_result_utf8_string(const TEXT_s** value, const char* name) {
  JAM_LOG_VALUE("JAM_result_utf8_string", name, "");
  result(ValueKind::Utf8String, value, name);
}
void JAM_result_struct(JAM_type_struct_s* structure, const void* value, const char* name) {
  JAM_LOG_VALUE("JAM_result_struct", name, nameOf(structure));
  result(ValueKind::Struct, value, name, typeOf(structure), nullptr, componentsOf(structure));
}
void JAM_result_string_array(int* count, char*** values, const char* name) {
  JAM_LOG_VALUE("JAM_result_string_array", name, "");
  result(ValueKind::StringArray, values, name, {}, count);
}
void JAM_result_utf8_string_array(int* count, const TEXT_s*** values, const char* name) {
  JAM_LOG_VALUE("JAM_result_utf8_string_array", name, "");
  result(ValueKind::Utf8StringArray, values, name, {}, count);
}

#undef JAM_LOG_VALUE

void JAM_end_of_arguments() {
  if (Host::Logging()) Host::Log("JAM_end_of_arguments");
  maybeRaise("JAM_end_of_arguments");
  if (Record* r = current()) r->argumentsEnded = true;
}

void JAM_end_call(int status) {
  if (Host::Logging()) Host::Log("JAM_end_call", num(status));
  State& s = state();
  if (s.open.empty()) return;  // already closed for it by the fault filter
  int index = s.open.back();
  s.open.pop_back();
  if (index != kSuppressed) close(index, RecordState::Closed, status);
}

void JAM_AssociateTemplateTypeClass(const void* object, JAM_type_class_s* templateClass) {
  tag_t tag = tagOfPointer(object);
  if (Host::Logging()) Host::Log("JAM_AssociateTemplateTypeClass", num(tag) + " " + nameOf(templateClass));
  maybeRaise("JAM_AssociateTemplateTypeClass");
  if (Record* r = current()) r->associations.push_back({nameOf(templateClass), tag});
}

int JAM_ask_open_records() { return static_cast<int>(state().open.size()); }

bool JAM_had_exception(int number) {
  bool claimed = state().claimed.count(number) != 0;
  if (Host::Logging()) Host::Log("JAM_had_exception", num(number) + (claimed ? " claimed" : ""));
  // The body leaves by exception without closing its record: close it here,
  // so that the records that follow do not nest under it.
  State& s = state();
  if (claimed && !s.open.empty()) {
    int index = s.open.back();
    s.open.pop_back();
    if (index != kSuppressed) close(index, RecordState::Failed, number);
  }
  return claimed;
}

int JAM_wnt_exception(int code, void* information) {
  State& s = state();
  int verdict = s.verdict;
  if (Host::Logging()) Host::Log("JAM_wnt_exception", num(code) + " verdict=" + num(verdict));
  const auto* info = static_cast<const JAM_exception_info_s*>(information);
  std::size_t keep = info != nullptr && info->openRecordsAtEntry >= 0 ? static_cast<std::size_t>(info->openRecordsAtEntry)
                                                                      : s.open.size();
  while (s.open.size() > keep) {
    int index = s.open.back();
    s.open.pop_back();
    if (index != kSuppressed) close(index, RecordState::Failed, 65);
  }
  return verdict;
}

}  // extern "C"
