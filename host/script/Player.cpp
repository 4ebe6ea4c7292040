// The table of bindings through which the stand-in plays a recorded call,
// the check of every record against its member before it is played, and
// the player of journals.
#include "script/Player.hpp"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <map>
#include <tuple>
#include <unordered_map>

#include "afl/DieEngParms.hpp"
#include "afl/DrawBeadParms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "jam/Internal.hpp"
#include "prop/PropertyMapper.hpp"
#include "script/Internal.hpp"
#include "sel/Selection.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/TextFile.hpp"
#include "tool/Tooling.hpp"

namespace KTX::Script {
namespace {

// Below this many entries the table of the journal's tags is not pruned.
constexpr std::size_t kPruneFloor = 1024;

// ---- bindings --------------------------------------------------------------------

struct Binding {
  JAM_replay_fn play;
  MemberSignature signature;
  bool host;
};
using Key = std::tuple<std::string, int, std::string>;

std::map<Key, std::vector<Binding>>& bindings() {
  static auto* table = new std::map<Key, std::vector<Binding>>;
  return *table;
}
// Counts the table's changes of keys: a player's member found earlier is
// looked up again after one.
unsigned long long gBindingsChanged = 0;

// Whether two forms of a member name their arguments alike.
bool sameNames(const MemberSignature& a, const MemberSignature& b) {
  if (a.count != b.count) return false;
  for (int i = 0; i < a.count; ++i) {
    const char* x = a.values[i].name;
    const char* y = b.values[i].name;
    if ((x == nullptr) != (y == nullptr) || (x != nullptr && std::strcmp(x, y) != 0)) return false;
  }
  return true;
}
bool namesRecorded(const MemberSignature& s, const JAM::Record& r) {
  if (s.count != static_cast<int>(r.values.size())) return false;
  for (int i = 0; i < s.count; ++i)
    if (s.values[i].name != nullptr && r.values[static_cast<std::size_t>(i)].name != s.values[i].name) return false;
  return true;
}

// A member's form bound, or bound again; the host's own stay when the
// plug-in goes.
void bindForm(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
              const MemberSignature& signature, bool host) {
  auto [at, added] = bindings().try_emplace(Key{journalClass, methodType, member});
  if (added) ++gBindingsChanged;
  std::vector<Binding>& forms = at->second;
  for (Binding& b : forms)
    if (sameNames(b.signature, signature)) {
      b = Binding{play, signature, host};
      return;
    }
  forms.push_back(Binding{play, signature, host});
}

}  // namespace

std::string ShortClassName(const OM::Object* object) {
  const char* name = object != nullptr ? OM::OM_ask_class_name(object->OmClassId()) : nullptr;
  if (name == nullptr) return "?";
  std::string s = name;
  std::size_t colon = s.rfind("::");
  return colon == std::string::npos ? s : s.substr(colon + 2);
}

void Bind(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
          const MemberSignature& signature) {
  bindForm(journalClass, methodType, member, play, signature, false);
}

void BindHost(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
              const MemberSignature& signature) {
  bindForm(journalClass, methodType, member, play, signature, true);
}

namespace {

// The form of a member the record names by its arguments (else the first).
JAM_replay_fn chosenForm(const std::vector<Binding>& forms, MemberSignature* signature, const JAM::Record* record) {
  if (forms.empty()) return nullptr;
  const Binding* chosen = &forms.front();
  if (record != nullptr && forms.size() > 1)
    for (const Binding& b : forms)
      if (namesRecorded(b.signature, *record)) {
        chosen = &b;
        break;
      }
  if (signature != nullptr) *signature = chosen->signature;
  return chosen->play;
}

}  // namespace

JAM_replay_fn Bound(const std::string& journalClass, int methodType, const std::string& member,
                    MemberSignature* signature, const JAM::Record* record) {
  auto it = bindings().find(Key{journalClass, methodType, member});
  if (it == bindings().end()) return nullptr;
  return chosenForm(it->second, signature, record);
}

// A play's members, each looked up in the table once: the record's words
// are compared with the member played last, then found in the play's own
// index of the members it played.
struct Player::Members {
  unsigned long long changed = gBindingsChanged;
  std::string key;  // the record's: class, call type and member, apart
  std::string lastKey;
  const std::vector<Binding>* last = nullptr;
  std::unordered_map<std::string, const std::vector<Binding>*> index;

  const std::vector<Binding>* find(const JAM::Record& r) {
    if (changed != gBindingsChanged) {
      changed = gBindingsChanged;
      index.clear();
      last = nullptr;
    }
    key.assign(r.journalClass);
    key += '\0';
    key += static_cast<char>('0' + r.methodType);
    key += r.member;
    if (last != nullptr && key == lastKey) return last;
    auto it = index.find(key);
    if (it == index.end()) {
      auto at = bindings().find(Key{r.journalClass, r.methodType, r.member});
      if (at == bindings().end()) return nullptr;
      it = index.emplace(key, &at->second).first;
    }
    lastKey = key;
    return last = it->second;
  }
};

Player::Player() : members_(new Members) {}
Player::~Player() = default;

void UnbindPlugin() {
  ++gBindingsChanged;
  for (auto it = bindings().begin(); it != bindings().end();) {
    std::erase_if(it->second, [](const Binding& b) { return !b.host; });
    if (it->second.empty())
      it = bindings().erase(it);
    else
      ++it;
  }
}

namespace {

// ---- what the player checks before it calls -------------------------------------

// The host's own journal classes: each with its parent and what makes a live
// object one of it. The player names an object's class, and walks a class up
// to its parents, from this one table, so a class the recorder writes for a
// host object is one the player takes back. Rows without a test are classes
// no object is of by itself. The first row whose test holds names the object:
// a more special class comes before the class it is special to.
template <class T>
bool objectIs(const OM::Object* object) {
  return dynamic_cast<const T*>(object) != nullptr;
}
bool lineIs(const OM::Object* object) {
  return dynamic_cast<const ES_curve*>(object) != nullptr && dynamic_cast<const ES_edge*>(object) == nullptr;
}
struct HostClass {
  const char* name;
  const char* parent;
  bool (*is)(const OM::Object*);
};
constexpr HostClass kHostClasses[] = {
    {"Part", "TaggedObject", &objectIs<PART_part>},
    {"SelectObjectList", "TaggedObject", &objectIs<SELECT_OBJECT_list>},
    {"SelectObject", "TaggedObject", &objectIs<SELECT_OBJECT>},
    {"Section", "TaggedObject", &objectIs<SC_section>},
    {"ScCollector", "TaggedObject", &objectIs<SC_collector>},
    // A builder's list of sub-builders is scripted through the host's list class.
    {"ObjectList", "TaggedObject", &objectIs<UICOMPJA_list>},
    {"Expression", "TaggedObject", &objectIs<EXP_expression>},
    {"Body", "DisplayableObject", &objectIs<ES_solid>},
    // A feature set is a feature of the part to scripts, as the tooling builders publish it.
    {"Features.Feature", nullptr, &objectIs<FSET_feature_set>},
    {"Plane", "DisplayableObject", &objectIs<ES_plane>},
    {"Point", "DisplayableObject", &objectIs<ES_point>},
    {"CoordinateSystem", "DisplayableObject", &objectIs<ES_csys>},
    {"Direction", "DisplayableObject", &objectIs<DIRR_direction>},
    {"Line", "DisplayableObject", &lineIs},
    {"DisplayableObject", "BrenvikObject", nullptr},
    {"BrenvikObject", "TaggedObject", nullptr},
    {"TaggedObjectCollection", "TaggedObject", nullptr},
    // A collection's object is the part itself.
    {"Die.DieCollection", "TaggedObjectCollection", nullptr},
    {"Features.AutomotiveCollection", "TaggedObjectCollection", nullptr},
    {"Tooling.AutoDieCollection", "TaggedObjectCollection", nullptr},
};

// The parent of a journal class: as its property owner was registered, as its
// scripting set-up created it, or, for the host's classes that have neither,
// as the host's table states it. Null at the top.
const char* parentClass(const std::string& name) {
  if (const char* parent = JAM::PropertyMapper::GetParentClassName(name.c_str()); parent != nullptr && *parent != '\0')
    return parent;
  static JAM::Test::TypeView view;
  if (JAM::Test::DescribeClass(name.c_str(), &view) && !view.parent.empty()) return view.parent.c_str();
  for (const HostClass& c : kHostClasses)
    if (name == c.name) return c.parent;
  return nullptr;
}

bool below(std::string name, const std::string& wanted) {
  for (int depth = 0; depth < 64; ++depth) {
    if (name == wanted) return true;
    const char* parent = parentClass(name);
    if (parent == nullptr) return false;
    name = parent;
  }
  return false;
}

}  // namespace

// The journal class an object of the object manager is scripted as: what
// the object is, never what a record says it is.
std::string JournalClassOf(const OM::Object* object) {
  if (auto* builder = dynamic_cast<const JAX_BASE_BUILDER*>(object)) {
    char* name = builder->ask_journal_class_name();
    std::string out = name != nullptr ? name : "Builder";
    SM_free(name);
    return out;
  }
  for (const HostClass& c : kHostClasses)
    if (c.is != nullptr && c.is(object)) return c.name;
  if (auto* frec = dynamic_cast<const FEATURE_RECORD*>(object)) {
    // A feature is published under its parameters' class, in whichever area.
    if (FEATURE_PARMS* parms = frec->ask_parms()) {
      // Both rough-data parameter classes are published as the one feature.
      if (dynamic_cast<const DieEng::CompensateRoughData*>(parms) != nullptr) return "Features.CompensateRoughData";
      // So are the three records of a draw bead.
      if (dynamic_cast<const DIE_DRBD_PARMS*>(parms) != nullptr) return "Die.DrawBead";
      std::string kind = ShortClassName(parms);
      for (const char* area : {"Die.", "Features.", "Tooling."})
        if (JAM::PropertyMapper::IsRegistered((area + kind).c_str())) return area + kind;
    }
    return "Features.Feature";
  }
  return "TaggedObject";
}

// Whether an object is of the journal class or a class below it. A part is
// also every collection: a collection's object is its part. Every object is
// a "BrenvikObject" and a "TaggedObject", whatever its class publishes.
bool IsA(const OM::Object* object, const std::string& journalClass) {
  if (journalClass == "BrenvikObject" || journalClass == "TaggedObject") return true;
  std::string is = JournalClassOf(object);
  if (below(is, journalClass)) return true;
  // A host builder whose own class publishes no parents is still a builder.
  if (dynamic_cast<const JAX_FEAT_BUILDER*>(object) != nullptr && below("Features.FeatureBuilder", journalClass))
    return true;
  if (dynamic_cast<const JAX_BASE_BUILDER*>(object) != nullptr && below("Builder", journalClass)) return true;
  return is == "Part" && below(journalClass, "TaggedObjectCollection");
}

namespace {

std::string quoted(const char* text) { return text != nullptr ? "\"" + std::string(text) + "\"" : "-"; }
std::string quoted(const std::string& text) { return text.empty() ? "-" : "\"" + text + "\""; }

std::string describe(const ValueSignature& v) {
  return std::string(JAM::DirectionName(v.direction)) + " " + JAM::KindName(v.kind) + " " + quoted(v.type);
}
std::string describe(const JAM::Value& v) {
  return std::string(JAM::DirectionName(v.direction)) + " " + JAM::KindName(v.kind) + " " + quoted(v.type);
}
std::string objectForm(char kind) { return kind == 'p' ? "this ptr" : kind == 't' ? "this tag" : "no object"; }

int structureSize(const std::string& name) {
  const JAM_type_struct_s* s = JAM::Internal::FindStruct(name);
  return s != nullptr ? static_cast<int>(s->components.size()) : 0;
}

struct Refusal {
  int line = 0;
  std::string what;
};

// The record's values against the member's signature; an empty refusal when
// they fit.
Refusal checkValues(const JAM::Record& r, const MemberSignature& signature) {
  if (static_cast<int>(r.values.size()) != signature.count)
    return {r.line, "wrong number of values (expected " + std::to_string(signature.count) + ", found " +
                        std::to_string(r.values.size()) + ")"};
  for (int i = 0; i < signature.count; ++i) {
    const ValueSignature& want = signature.values[i];
    const JAM::Value& v = r.values[static_cast<std::size_t>(i)];
    int line = v.line != 0 ? v.line : r.line;
    const std::string_view type = want.type != nullptr ? want.type : "";
    if (v.direction != want.direction || v.kind != want.kind || v.type != type)
      return {line, "value " + std::to_string(i + 1) + " \"" + v.name + "\" does not fit the member (expected " +
                        describe(want) + ", found " + describe(v) + ")"};
    if (v.direction != JAM::Direction::In || v.isNull) continue;
    if (v.kind == JAM::ValueKind::Struct || v.kind == JAM::ValueKind::StructArray) {
      int size = structureSize(v.type);
      if (size == 0) return {line, "unknown structure (found " + quoted(v.type) + ")"};
      std::size_t n = v.reals.size();
      if (v.kind == JAM::ValueKind::Struct ? n != static_cast<std::size_t>(size) : n % static_cast<std::size_t>(size) != 0)
        return {line, "value " + std::to_string(i + 1) + " \"" + v.name + "\" is not " +
                          (v.kind == JAM::ValueKind::Struct ? "one " : "a whole number of ") + v.type + " (expected " +
                          (v.kind == JAM::ValueKind::Struct ? "" : "a multiple of ") + std::to_string(size) +
                          " numbers, found " + std::to_string(n) + ")"};
    }
  }
  return {};
}

}  // namespace

bool Player::Play(const JAM::Record& recorded, std::size_t index, std::string* error, int* errorLine) {
  try {
    return play(recorded, index, error, errorLine);
  } catch (const Error::Exception& e) {
    // Raised past the call itself, whose errors are its status: the line is
    // the record's, not that of the host's source that raised it.
    const std::string what = recorded.line != 0 ? e.text()
                                                : "record " + std::to_string(index + 1) + " (" +
                                                      recorded.journalClass + " " + recorded.member + "): " + e.text();
    *error = JAM::ShownText(what, 1000);
    if (errorLine != nullptr) *errorLine = recorded.line;
    return false;
  }
}

bool Player::play(const JAM::Record& recorded, std::size_t index, std::string* error, int* errorLine) {
  std::map<tag_t, tag_t>& objects = played_.objects;  // the journal's tag -> the live object's tag
  auto fail = [&](const Refusal& refusal) {
    // The names in it are the journal's: shown printable, and not without end.
    *error = JAM::ShownText(refusal.what, 1000);
    if (errorLine != nullptr) *errorLine = refusal.line;
    if (refusal.line == 0)
      *error = JAM::ShownText("record " + std::to_string(index + 1) + " (" + recorded.journalClass + " " +
                                  recorded.member + "): " + refusal.what,
                              1000);
    return false;
  };
  // A live object for a journal's tag, of the class the record states.
  auto live = [&](long long tag, const std::string& journalClass, int line, tag_t* out) -> Refusal {
    *out = 0;
    if (tag == 0) return {};
    auto it = objects.find(static_cast<tag_t>(tag));
    if (it == objects.end() && std::binary_search(gone_.begin(), gone_.end(), static_cast<tag_t>(tag)))
      return {line, "the object of tag " + std::to_string(tag) + " is gone"};
    if (it == objects.end())
      return {line, "tag " + std::to_string(tag) + " names no object an earlier record made"};
    if (OM::OM_is_deleted_tag(it->second) || OM::OM_object_of_tag(it->second) == nullptr)
      return {line, "the object of tag " + std::to_string(tag) + " is gone"};
    const OM::Object* object = OM::OM_object_of_tag(it->second);
    const bool checked = it->second == checkedTag_ && object == checkedObject_ && journalClass == checkedClass_;
    if (!journalClass.empty() && !checked) {
      if (!IsA(object, journalClass))
        return {line, "tag " + std::to_string(tag) + " is an object of another class (expected \"" + journalClass +
                          "\", found \"" + JournalClassOf(object) + "\")"};
      checkedTag_ = it->second;
      checkedObject_ = object;
      checkedClass_ = journalClass;
    }
    *out = it->second;
    return {};
  };
  if (recorded.depth != 0) return true;  // made again by the call that holds it
  MemberSignature signature;
  const std::vector<Binding>* forms = members_->find(recorded);
  JAM_replay_fn play = forms != nullptr ? chosenForm(*forms, &signature, &recorded) : nullptr;
  static const char* const kTypes[] = {"method", "get", "set"};
  if (play == nullptr)
    return fail({recorded.line, std::string("nothing is bound to ") + kTypes[recorded.methodType % 3] + " \"" +
                                    recorded.journalClass + "\" \"" + recorded.member + "\""});
  if (recorded.thisKind != signature.object)
    return fail({recorded.line, "the object is not passed as the member takes it (expected " +
                                    objectForm(signature.object) + ", found " + objectForm(recorded.thisKind) + ")"});
  // The call reads its values from the record's slots: each must be what
  // the member reads there.
  if (Refusal r = checkValues(recorded, signature); !r.what.empty()) return fail(r);

  JAM::Record& call = call_;  // assigned into, so that its room is used again
  call = recorded;
  if (recorded.thisKind != 0) {
    if (recorded.thisTag == 0)
      return fail({recorded.line, "no object (expected the tag of a \"" + recorded.journalClass + "\", found 0)"});
    if (Refusal r = live(recorded.thisTag, recorded.journalClass, recorded.line, &call.thisTag); !r.what.empty())
      return fail(r);
  }
  for (JAM::Value& v : call.values)
    if (v.direction == JAM::Direction::In && (v.kind == JAM::ValueKind::Tag || v.kind == JAM::ValueKind::Ptr)) {
      tag_t tag = 0;
      if (Refusal r = live(v.integer, v.type, v.line != 0 ? v.line : recorded.line, &tag); !r.what.empty())
        return fail(r);
      v.integer = tag;
    }
  // A journal's undo marks are its own numbers too, as its tags are: a mark
  // is read through the map (one the journal never set stays as it is, and
  // is refused as no mark).
  const bool session = recorded.journalClass == "Session";
  for (JAM::Value& v : call.values)
    if (session && v.direction == JAM::Direction::In && v.kind == JAM::ValueKind::Integer && v.name == "mark")
      if (const auto m = played_.marks.find(static_cast<int>(v.integer)); m != played_.marks.end()) v.integer = m->second;

  std::size_t before = JAM::RecordedCount();
  // Every object the call makes gets a tag at or above this one.
  const tag_t firstMade = OM::OM_ask_next_tag();
  // A host error the call lets out (its journal class not found, its record
  // not opened) is the call's status, as a script sees it: the record's line
  // reports it, and a record it left open is closed with it.
  const int openBefore = JAM_ask_open_records();
  int status = 0;
  try {
    status = JAM::ReplayWith(call, play);
  } catch (const Error::Exception& e) {
    status = e.askCode() != 0 ? e.askCode() : Error::kStdException;
    while (JAM_ask_open_records() > openBefore) JAM_end_call(status);
  }
  ++played_.records;
  if (objects.size() >= 2 * afterPrune_ + kPruneFloor) pruneFreed();
  if (JAM::RecordedCount() > before) {
    const std::span<const JAM::Value> made = JAM::RecordedValues(before);
    for (std::size_t i = 0; i < recorded.values.size() && i < made.size(); ++i) {
      const JAM::Value& was = recorded.values[i];
      const JAM::Value& now = made[i];
      if (was.direction == JAM::Direction::In || was.name != now.name) continue;
      if ((was.kind == JAM::ValueKind::Tag || was.kind == JAM::ValueKind::Ptr) && was.integer != 0)
        objects[static_cast<tag_t>(was.integer)] = static_cast<tag_t>(now.integer);
      if (session && was.kind == JAM::ValueKind::Integer && was.name == "mark" && now.integer != 0)
        played_.marks[static_cast<int>(was.integer)] = static_cast<int>(now.integer);
    }
  }
  // The host gives a builder its class's scripting defaults where a creator
  // makes it for the script: each creator call that ran (this record's, or one
  // its call made, as a bead's split makes its segments) and handed back a
  // builder made since this record began. A builder opened on an object to
  // edit starts from what it edits; an object that was there before (a list's
  // item looked up, a property's sub-builder) is never touched. A call that
  // made no object made no builder: most calls (every plain set) skip the
  // look through their records.
  const bool madeObjects = OM::OM_ask_next_tag() != firstMade;
  for (std::size_t at = before; madeObjects && at < JAM::RecordedCount(); ++at) {
    const JAM::Record& r = JAM::RecordedAt(at);
    if (r.state != JAM::RecordState::Closed || r.status != 0) continue;
    const std::span<const JAM::Value> values = JAM::RecordedValues(at);
    tag_t made = 0;
    bool editing = false;
    for (const JAM::Value& v : values) {
      const bool object = v.kind == JAM::ValueKind::Tag || v.kind == JAM::ValueKind::Ptr;
      if (object && v.direction == JAM::Direction::In && v.integer != 0) editing = true;
      if (object && v.direction == JAM::Direction::Result) made = static_cast<tag_t>(v.integer);
    }
    if (editing || made < firstMade || !JAM::IsCreatorMethod(r.journalClass, r.member)) continue;
    try {
      GiveScriptingDefaults(made);
    } catch (const Error::Exception& e) {
      return fail({recorded.line, "the new builder's scripting defaults failed: " + e.text()});
    }
  }
  if (recorded.state == JAM::RecordState::Closed && status != recorded.status)
    return fail({recorded.line, "the call gave another status (expected " + Error::Describe(recorded.status) +
                                    ", found " + Error::Describe(status) + ")"});
  return true;
}

void Player::pruneFreed() {
  std::vector<tag_t> freed;
  std::erase_if(played_.objects, [&](const std::pair<const tag_t, tag_t>& entry) {
    if (!OM::OM_is_freed_tag(entry.second)) return false;
    freed.push_back(entry.first);
    return true;
  });
  // Both ascending: the map's order.
  std::vector<tag_t> merged;
  merged.reserve(gone_.size() + freed.size());
  std::set_union(gone_.begin(), gone_.end(), freed.begin(), freed.end(), std::back_inserter(merged));
  gone_ = std::move(merged);
  afterPrune_ = played_.objects.size();
}

void GiveScriptingDefaults(tag_t builder) {
  auto* object = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(builder));
  if (object == nullptr) return;
  try {
    const std::string journalClass = JournalClassOf(object);
    // The class's scripting set-up registers its defaults function; a creator
    // need not have run it.
    if (JAM::Test::DefaultsFunction(journalClass.c_str()) == nullptr)
      JAM::FileInitializer::Initialize(journalClass.c_str());
    if (JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(journalClass.c_str())) {
      JAM::Internal::ApplyingDefaults applying;
      defaults(builder, true);
    }
  } catch (const Error::Exception&) {
    // A builder that did not get its defaults was not made: the script sees
    // the creation fail and is handed nothing to go on with, and what the
    // builder holds beside its object goes with it.
    try {
      object->destroy();
    } catch (const Error::Exception& e) {
      ERROR_note("a builder whose defaults failed could not be destroyed: %s (%d)", e.text().c_str(), e.askCode());
    }
    throw;
  }
}

bool Play(const JAM::Journal& journal, std::string* error, int* errorLine, PlaySummary* summary) {
  Player player;
  bool played = true;
  for (std::size_t index = 0; played && index < journal.size(); ++index)
    played = player.Play(journal[index], index, error, errorLine);
  if (summary != nullptr) *summary = player.Summary();
  return played;
}

}  // namespace KTX::Script
