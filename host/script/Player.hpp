// The table of bindings through which the stand-in plays a recorded call
// (one entry per scripting member, journal class, call type and member), and
// the player of journals.
#pragma once
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "feat/Builder.hpp"
#include "jam/Journal.hpp"

namespace KTX::Script {

// ---- bindings --------------------------------------------------------------------
// What a record of a member holds, as the member's description states it:
// how the object is passed and each value in declaration order (an array and
// its count are one value). The player checks a record against it before
// the call reads a single slot.
struct ValueSignature {
  JAM::Direction direction;
  JAM::ValueKind kind;
  const char* type;  // class, template class, enumeration or structure; null for a plain value
  const char* name = nullptr;  // a method argument's journal name, where forms of one member differ by it
};
struct MemberSignature {
  char object = 0;  // 'p' the object by pointer, 't' by tag, 0 none
  const ValueSignature* values = nullptr;
  int count = 0;
};

// A binding plays one scripting member from a call record (the record's
// object, one slot per recorded value, a status), by calling what a script
// calls: an exported scripting call of the plug-in, or a host scripting call.
KTX_HOST_API void Bind(const char* journalClass, int methodType, const char* member, JAM_replay_fn play,
                       const MemberSignature& signature);
// Null when nothing is bound to the member; *signature (when asked) what its
// records hold.
// An overloaded member has one binding per form; the record, when given,
// chooses the form whose arguments' names it holds (else the first is taken).
KTX_HOST_API JAM_replay_fn Bound(const std::string& journalClass, int methodType, const std::string& member,
                                 MemberSignature* signature = nullptr, const JAM::Record* record = nullptr);
// Forgets the plug-in's bindings (the host's own stay): the plug-in is going.
KTX_HOST_API void UnbindPlugin();

// ---- playing ------------------------------------------------------------------------
// Plays the journal's outermost records in order through their bindings.
// The objects a journal names are its own tags: each result that is an
// object (a tag or a pointer) maps the tag the journal recorded to the tag of
// the object the played call made, and each later record's object and tag
// arguments are read through that map (0 stays 0).
//
// Each record is checked before it is played, and a record that fails a
// check is not played: its member must be bound; its object passed as the
// member takes it (by pointer, by tag, or none); its values those of the
// member's signature (direction, kind, class, enumeration or structure, a
// structure of its own size, a structure array of a whole number of them);
// its object and its tag arguments objects a record made, still alive, of
// the class they are recorded as or a class below it (what the object is,
// not what the record says). A record closed with a status other than the
// one the call gives stops the play after it ran; records left open or
// failed are played without that check. A stop gives false, the reason in
// *error ("what is wrong (expected ..., found ...)") and its line in the
// journal text in *errorLine (0, and the record named in *error, when the
// journal was not read from text). What was played before stays played.
struct PlaySummary {
  int records = 0;                  // outermost records played
  std::map<tag_t, tag_t> objects;   // the journal's tag -> the live object's
  std::map<int, int> marks;         // the journal's undo mark ("Session" "mark") -> the live one
};
KTX_HOST_API bool Play(const JAM::Journal& journal, std::string* error, int* errorLine = nullptr,
                       PlaySummary* summary = nullptr);

// The journal class a live object is scripted as (what the object is: a
// builder's own class, a host entity's, a feature's parameters' class), and
// whether it is of `journalClass` or a class below it: the check the player
// makes of every object a record passes.
KTX_HOST_API std::string JournalClassOf(const OM::Object* object);
KTX_HOST_API bool IsA(const OM::Object* object, const std::string& journalClass);

// The same a record at a time, for a journal read as a stream: Play gives
// what Play above gives for the record at `index` of the journal (a nested
// record is skipped), and the summary counts what was played so far. A host
// error raised while the record's objects are checked (asking a builder its
// class may run out of memory) stops the play at the record's own line.
class KTX_HOST_API Player {
 public:
  Player();
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;
  bool Play(const JAM::Record& record, std::size_t index, std::string* error, int* errorLine = nullptr);
  const PlaySummary& Summary() const { return played_; }

 private:
  struct Members;
  PlaySummary played_;
  JAM::Record call_;  // the record played, its objects the live ones
  std::unique_ptr<Members> members_;  // the members played so far
  // The object last found of its class: tag, object, class (a tag is never
  // given twice).
  tag_t checkedTag_ = 0;
  const OM::Object* checkedObject_ = nullptr;
  std::string checkedClass_;
  // The journal's tags whose objects are freed for good, taken out of the
  // summary's table once it has doubled since the last time (ascending, 4
  // bytes each instead of an entry of the table): a later record that names
  // one is still told its object is gone.
  std::vector<tag_t> gone_;
  std::size_t afterPrune_ = 0;
  void pruneFreed();
  bool play(const JAM::Record& record, std::size_t index, std::string* error, int* errorLine);
};

// Gives a builder made for a script its class's scripting defaults: the
// defaults function the class registered (its scripting set-up run first when
// it has not run), told to apply them, the values written by name into the
// builder (JAM_set_named_attribute_value). The player gives them to every
// builder a registered creator makes, during the played call, given no
// object to edit; never to one that was there before. A tag that is no builder,
// or a class without defaults, is left as it is; what the function raises
// passes on.
KTX_HOST_API void GiveScriptingDefaults(tag_t builder);

}  // namespace KTX::Script
