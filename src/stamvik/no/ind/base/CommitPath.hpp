// The one way every builder's commit runs, and the rule for the copies a
// builder works on. Internal to the library.
//
// A commit is whole or nothing. Everything a builder's commit does, from its
// first step to its last, runs under one undo mark: the feature record, its
// body, the post-update, the regeneration, the copies a builder kept open
// goes on with, the set's members, the feature record handed back to the
// builder. A refusal or a failure at any of them (a status other than 0, or
// an error that leaves the commit) takes the part back to the mark: no
// feature, no body, the builder as it was before the commit, so that its
// next commit makes one feature. Only what a dialog prints after a commit
// that went through (a listing) stands outside: its failure is a warning.
//
// The copies. A builder opened on a feature (or kept open after the commit
// that made it) works on copies of the feature's expressions and sections,
// never on the feature's own, and a section the feature lacks is made as
// the builder's own: nothing reaches the feature but through a commit that
// succeeds. An expression copy remembers the text it was read with; a
// commit writes into the feature only the copies whose text was changed
// through the builder since then, so that what another builder committed
// meanwhile stays as it was committed.
//
// Plain members (logicals, enumerations, numbers, texts, points: every
// published member read and set by value) follow the same rule: a commit
// writes those changed through the builder since it read the feature (or
// since its own last commit that went through); the others take what
// another builder committed to the feature meanwhile (CommitInTurn).
//
// What the turns remember (the texts the copies were read with, the values
// a builder read, the last commit of each feature) is the library's own,
// beside the objects, and follows the model's undo: an undo to a mark set
// before a change of it takes the change back, as it takes back the commit
// or the set that made it.
#pragma once
#include <cstddef>
#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <utility>

#include "StamvikExport.hpp"
#include "Support.hpp"
#include "feat/Builder.hpp"

namespace KTX::Stamvik {

// What a commit notes of the copies it wrote (NoteWrittenText) is kept only
// when the outermost commit under way goes through, as the part is.
class CommitNotes {
 public:
  CommitNotes();
  ~CommitNotes();
  CommitNotes(const CommitNotes&) = delete;
  CommitNotes& operator=(const CommitNotes&) = delete;
  void Keep() noexcept { kept_ = true; }

 private:
  bool kept_ = false;
  std::size_t from_ = 0;  // the notes made before this commit began
};

// The errors a commit's steps met and went on past (each reported where it
// was met, MetError): a failed host call, no memory. A step may go past the
// modeller's refusal of a shape (another way round, a part left out, as its
// build says) but never past an error: a body built without a step because
// a call failed is a wrong body reported built. Every commit opens one
// (CommitUnderMark), and a build may open its own around a step; scopes
// nest, and what an inner one meets the outer ones meet too.
class ErrorsMet {
 public:
  ErrorsMet() noexcept : outer_(current_) { current_ = this; }
  ~ErrorsMet() {
    current_ = outer_;
    if (outer_ != nullptr && outer_->first_ == 0) outer_->first_ = first_;
  }
  ErrorsMet(const ErrorsMet&) = delete;
  ErrorsMet& operator=(const ErrorsMet&) = delete;
  // The number of the first error met since the scope began; 0 for none.
  int First() const noexcept { return first_; }
  static void Met(int code) noexcept {
    if (current_ != nullptr && current_->first_ == 0) current_->first_ = code != 0 ? code : Error::kBadObject;
  }

 private:
  static thread_local ErrorsMet* current_;
  ErrorsMet* outer_;
  int first_ = 0;
};

// Error::HandleAsBuilder for a step that goes on past the error: it is also
// met (ErrorsMet), so that the step, and the commit it is part of, fail
// with it.
inline int MetError(const std::exception& e, const char* source, int line) {
  const int code = Error::HandleAsBuilder(e, source, line);
  ErrorsMet::Met(code);
  return code;
}

// Runs `commit` under an undo mark of its own, named `name`: a commit that
// fails part way (a status other than 0, or an error that leaves it) takes
// the part back to the mark, so that it holds what it held before. A mark
// the host cannot set refuses the commit before anything is made, with the
// host's error raised at the source's line.
template <class Commit>
int CommitUnderMark(const char* name, const char* source, int line, Commit commit) {
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, name, &error);
  if (error != 0) ERROR_raise(source, line, error, "%s", "The commit's undo mark could not be set.");
  // The notes are kept once the mark is gone: what the commit leaves stays
  // beside the marks set before it, which an undo may still go back to.
  CommitNotes notes;
  UndoMarkScope scope(mark, &UndoMarkScope::QuickUndoTo, &UndoMarkScope::QuickDelete);
  ErrorsMet met;
  int status = commit();
  // Through past an error it went on from, the commit is that error's.
  if (status == 0) status = met.First();
  if (status == 0) {
    scope.Commit();
    notes.Keep();
  }
  return status;
}

// A feature builder's commit_feature: `commit` under CommitUnderMark, and
// the record handed to the caller (`*frec`) what it was given unless the
// commit went through, so that a failed create names no feature.
template <class Commit>
int CommitFeature(FEATURE_RECORD** frec, const char* name, const char* source, int line, Commit commit) {
  FEATURE_RECORD* const given = frec != nullptr ? *frec : nullptr;
  int status = 0;
  try {
    status = CommitUnderMark(name, source, line, commit);
  } catch (...) {
    if (frec != nullptr) *frec = given;
    throw;
  }
  if (status != 0 && frec != nullptr) *frec = given;
  return status;
}

// ---- the copies -------------------------------------------------------------------------------

// Notes the text an expression copy was read with (the feature's at that
// moment), which ChangedSinceRead compares with; NoteReadText again once a
// commit has written the copy into the feature.
void NoteReadText(const EXP_expression* copy);
// The same for a copy a commit has just written into the feature (or given
// the feature's text): noted when the commit goes through, forgotten when it
// does not, so that a copy a failed commit wrote is still changed.
void NoteWrittenText(const EXP_expression* copy);
// An edit's commit writing a builder's copy into the feature's own
// expression: the copy's text when it was set through the builder since it
// read the feature, else the copy takes the feature's text as it is now
// (another builder may have committed it meanwhile). 0 or the host's failure.
int WriteCopyInto(EXP_expression* own, EXP_expression* copy);
// The same within `part`'s expressions, a failure raised as the host's
// error (for a commit already inside the host's error frame).
void WriteCopyIntoPart(tag_t part, EXP_expression* own, EXP_expression* copy);
// Whether the copy's text differs from the text it was read with; a copy
// never noted counts as changed.
bool ChangedSinceRead(const EXP_expression* copy);

// A new expression of another's text and unit, which the caller owns, noted
// as read with that text. A builder made to edit a feature works on such
// copies of the feature's own expressions: a value set through it reaches
// the feature only when a commit takes it, never through a commit refused,
// failed or not made. Null for none; a text the host cannot take again
// raises its number.
inline EXP_expression* CopyOfExpression(const EXP_expression* of, const char* source, int line) {
  if (of == nullptr) return nullptr;
  EXP_expression* copy = nullptr;
  if (const int code = EXP_create_sys_exp_with_units_all_errors(of->ask_text(), of->ask_unit(), &copy); code != 0)
    ERROR_raise(source, line, code, "cannot copy the expression \"%s\"", of->ask_text());
  NoteReadText(copy);
  return copy;
}

// After a commit made a feature on the builder's own expressions: each one
// the feature now holds is the feature's from then on (no longer the
// builder's to destroy), and the builder goes on with a copy of it, so that
// a value set through the builder later reaches the feature only at the
// next commit, as for a builder opened on the feature.
inline void GoOnWithCopies(OM::Object* builder,
                           std::initializer_list<std::pair<EXP_expression*, const OM::AttributeId*>> fields,
                           const char* source, int line) {
  for (const auto& [expression, field] : fields) {
    if (expression == nullptr || !OM::OM_is_kept_alive(expression)) continue;
    OM::OM_set_pointer(builder, *field, CopyOfExpression(expression, source, line));
    OM::OM_set_owner(expression, nullptr);
  }
}

// ---- plain members: builders alive on one feature commit in turn ------------------------------

// One published member a builder reads and sets by value, as the scripting
// engine describes it: its value read through its getter (bytes equal when
// the values are), and written back through its setter (false where the
// setter refuses it).
struct PlainMember {
  std::string (*read)(OM::Object* builder);
  bool (*write)(OM::Object* builder, const std::string& value);
};
// The plain members of the builders of one class (by its class id), in the
// order of its member table.
STAMVIK_API void RegisterPlainMembers(const int* classId, const PlainMember* members, std::size_t count);
// Before a value is set through the builder: the first set since it was
// made (having read its feature) or since its last commit that went through
// notes every plain member's value, which its commit compares with.
STAMVIK_API void NoteBeforeSet(OM::Object* builder);

// Before a commit: where another builder committed the feature meanwhile,
// each plain member not changed through this builder takes what that commit
// gave it. After a commit that went through: what this builder's plain
// members hold is what the feature now holds, and nothing of the builder
// counts as changed.
void TakeOthersCommits(OM::Object* builder, tag_t feature);
void NoteCommitted(OM::Object* builder, tag_t feature);
// Whether the feature's last commit that went through is another builder's,
// made after this builder read the feature (or last committed it): what the
// builder holds of the feature and did not set since is older than that
// commit. False for a class with no plain members.
bool AnotherCommittedSince(const OM::Object* builder, tag_t feature);

// What a builder's commit that went through wrote that the feature does not
// give back (the tire envelope's traced driver path, by a number the builder
// gives each trace): noted inside the commit (CommitInTurn), beside the
// turns, it follows the model's undo as they do, so that an undo past the
// commit gives back what the builder's commit before it noted. OwnWritten
// gives 0 where no commit that noted one stands.
void NoteOwnWritten(const OM::Object* builder, std::uint64_t written) noexcept;
std::uint64_t OwnWritten(const OM::Object* builder);

// What a commit notes for the turns is stamped for an undo (CommitPath.cpp)
// before the commit begins: a stamp the host cannot give refuses the commit
// with its error before anything is made, and nothing the commit notes after
// it went through can fail for it.
class StampHeld {
 public:
  StampHeld();
  ~StampHeld();
  StampHeld(const StampHeld&) = delete;
  StampHeld& operator=(const StampHeld&) = delete;
};

// A builder's commit in its turn: `featureOf()` the feature it edits (0: none
// yet), asked before the commit and again after it (a create names its
// feature only then). A commit refused or failed notes nothing: what was
// changed through the builder still counts as changed at its next commit.
template <class FeatureOf, class Commit>
int CommitInTurn(OM::Object* builder, FeatureOf featureOf, Commit commit) {
  const StampHeld stamp;
  TakeOthersCommits(builder, featureOf());
  const int status = commit();
  if (status == 0) NoteCommitted(builder, featureOf());
  return status;
}
template <class Commit>
int CommitInTurn(JAX_FEAT_BUILDER* builder, Commit commit) {
  return CommitInTurn(
      builder, [builder] { return builder->get_frec() != nullptr ? OM::OM_ask_object_tag(builder->get_frec()) : 0; },
      commit);
}

}  // namespace KTX::Stamvik
