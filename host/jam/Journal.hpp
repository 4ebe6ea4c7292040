// What the stand-in's journaling library keeps of the calls it records: one
// record per journalled call, each value copied when it is recorded (a result
// when its call ends), records nested by depth in the order they were opened.
// A journal is written as text and read back (host/README.md describes the
// text), and a record is played back through its member's replay callback.
#pragma once
#include <cstdint>
#include <cstddef>
#include <deque>
#include <iosfwd>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jam/Jam.hpp"

namespace KTX::JAM {

enum class ValueKind {
  Logical,
  Integer,
  Double,
  Enum,
  Ptr,
  Tag,
  String,
  Utf8String,
  Struct,
  DoubleArray,
  StringArray,
  Utf8StringArray,
  StructArray,
};
enum class Direction { In, Out, Result };

// What a call records is written into a value used again (a long journal's
// values are many megabytes, written once a call): what every call writes
// comes first, its names, which a value used again for the same argument
// holds already, last, so that a call touches as few of its lines as it can.
struct Value {
  Direction direction = Direction::In;
  ValueKind kind = ValueKind::Integer;
  // Which of a member's argument names the name and type were last kept as
  // (0: none known), so that a value made again in its place need not read
  // them back; never written out, never compared.
  std::uint64_t keptAs = 0;
  int attribute = 0;       // of an in-double
  int line = 0;  // where the journal text holds it (0: not read from text); never compared
  bool isNull = false;     // no string, no text, no array
  long long integer = 0;   // logical, int, enum, tag (an object pointer is kept as its tag)
  double real = 0;
  // Where a result is read when its call ends; never written out.
  const void* pending = nullptr;
  const int* pendingCount = nullptr;
  int structSize = 0;
  std::string text;
  std::vector<double> reals;        // double arrays, structures (components in order)
  std::vector<std::string> texts;   // string arrays

  std::string name;        // journal name
  std::string type;        // class, enumeration or structure name ("" for plain kinds)

  bool operator==(const Value& o) const {
    return direction == o.direction && kind == o.kind && name == o.name && type == o.type &&
           attribute == o.attribute && isNull == o.isNull && integer == o.integer &&
           (real == o.real || (real != real && o.real != o.real)) && text == o.text && reals == o.reals &&
           texts == o.texts;
  }

  // All but its direction, kind, name and type as a new value's, the texts
  // and arrays keeping their room: a value used again.
  void ClearContents() {
    attribute = 0;
    isNull = false;
    integer = 0;
    real = 0;
    text.clear();
    reals.clear();
    texts.clear();
    line = 0;
    pending = nullptr;
    pendingCount = nullptr;
    structSize = 0;
  }
};

struct Association {
  std::string templateClass;
  tag_t tag = 0;
  bool operator==(const Association&) const = default;
};

enum class RecordState { Open, Closed, Failed };

class Call;

// Laid out as a value is: what every call writes first, the names (which a
// record used again for the same member holds already) and the values (kept
// apart while the journal holds its records) last.
struct Record {
  int depth = 0;
  int methodType = 0;  // 0 method, 1 property get, 2 property set
  int attributes = -1;  // -1: none stated
  char thisKind = 0;    // 'p' pointer, 't' tag, 0 none
  tag_t thisTag = 0;
  std::vector<Association> associations;
  bool argumentsEnded = false;
  RecordState state = RecordState::Open;
  int status = 0;
  // What the library knows of the member, while the record is being made;
  // never written out.
  void* learnt = nullptr;
  // The replay callback the record was opened with (never written out).
  void (*opener)(Call&) = nullptr;
  int line = 0;  // where the journal text holds its header (0: not read from text); never compared
  std::string journalClass;
  std::string member;
  std::vector<Value> values;
  bool operator==(const Record& o) const {
    return depth == o.depth && journalClass == o.journalClass && methodType == o.methodType &&
           member == o.member && attributes == o.attributes && thisKind == o.thisKind && thisTag == o.thisTag &&
           values == o.values && associations == o.associations && argumentsEnded == o.argumentsEnded &&
           state == o.state && status == o.status;
  }
};

using Journal = std::vector<Record>;

// The host call record through which a replay callback plays a call back:
// the object, one slot per recorded value in declaration order (an
// in-argument's value, or the storage that receives a result), a status.
class KTX_HOST_API Call {
 public:
  Call();
  ~Call();
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  OM::Object* Object() const { return object_; }
  tag_t Tag() const { return tag_; }
  int ArgumentCount() const;
  // The address of slot i's value: bool*, int*, double*, tag_t*, const char**,
  // const TEXT_s**, OM::Object** (object results), a structure, or, for
  // arrays, the count (int*) with ArrayAddress giving the elements' address.
  void* Argument(int i) const;
  void* ArrayAddress(int i) const;
  void SetStatus(int status) { status_ = status; }
  int Status() const { return status_; }

  struct Slot;

 private:
  friend class Replayer;
  OM::Object* object_ = nullptr;
  tag_t tag_ = 0;
  int status_ = 0;
  std::deque<Slot>* slots_;
};

// ---- the journal the stand-in keeps -------------------------------------------
KTX_HOST_API const Journal& Recorded();
KTX_HOST_API void ClearJournal();
// How many records the journal holds, and the values of one (empty for an
// index past them), read where they are made: a reader that only looks
// after each call (the player) asks for no copy of the journal.
KTX_HOST_API std::size_t RecordedCount();
KTX_HOST_API std::span<const Value> RecordedValues(std::size_t index);
// The record at an index below RecordedCount(), read where it is made: its
// values are RecordedValues(index) (its own `values` may be empty).
KTX_HOST_API const Record& RecordedAt(std::size_t index);

// ---- text ----------------------------------------------------------------------
KTX_HOST_API std::string WriteJournal(const Journal& journal);
// The words the text uses for a value's kind and direction ("struct-array", "in").
KTX_HOST_API const char* KindName(ValueKind kind);
KTX_HOST_API const char* DirectionName(Direction direction);
// Reads a journal, checking each record's structure as it goes: a record
// ends once (closed, failed or open) and nothing but the next record follows
// its end; a nested record follows its caller; numbers are in their field's
// range. Lines may end in LF or CR LF. Throws KTX::Error::Exception
// (kJournalText) whose text says what is wrong and whose line() is the line.
KTX_HOST_API Journal ReadJournal(const std::string& text);
KTX_HOST_API Journal ReadJournal(std::istream& in);

// The same text a record at a time, for a journal too long to hold: the
// writer writes the first line when it is made, the reader hands out each
// record once it has read past it, with the checks and errors ReadJournal
// makes (a fault is found when the reader gets to it: the records before it
// are handed out first).
// The writer's text reaches the stream a block at a time: all of it once
// Flush is called or the writer is destroyed.
class KTX_HOST_API JournalWriter {
 public:
  explicit JournalWriter(std::ostream& out);
  ~JournalWriter();
  JournalWriter(const JournalWriter&) = delete;
  JournalWriter& operator=(const JournalWriter&) = delete;
  void Write(const Record& record);
  // The same, of a record whose values are kept apart (RecordedAt, RecordedValues).
  void Write(const Record& record, std::span<const Value> values);
  void Flush();

 private:
  std::ostream& out_;
  std::string text_;  // not yet written out
};

class KTX_HOST_API JournalReader {
 public:
  explicit JournalReader(std::istream& in);
  ~JournalReader();
  JournalReader(const JournalReader&) = delete;
  JournalReader& operator=(const JournalReader&) = delete;
  // The next record into *record; false at the end of the journal.
  bool Next(Record* record);

 private:
  struct Text;
  bool readHead(Record* out);
  void readLine();
  void readValue();
  void unfinished(int at) const;
  void handOutTo(Record* out);
  void startRecord();
  Value& nextValue();
  std::istream& in_;
  std::unique_ptr<Text> text_;
  Record next_;
  int number_ = 0;     // the last line read
  bool header_ = false;
  bool reading_ = false;  // next_ holds a record read so far
  int ended_ = 0;         // the line next_ ended on (0: not yet)
  int lastDepth_ = -1;
  std::size_t valuesRead_ = 0;  // of next_.values, the ones of the record being read
};
// A line longer than this is refused before it is read whole.
inline constexpr std::size_t kLongestJournalLine = std::size_t{1} << 20;
inline constexpr int kJournalText = 840701;
// A text read from a journal as a message shows it: each byte that is no
// printable ASCII character as \xHH (a NUL does not end the message, binary
// does not reach a terminal), at most `most` bytes of it, then "...".
KTX_HOST_API std::string ShownText(std::string_view text, std::size_t most = 40);

// ---- replay ----------------------------------------------------------------------
// Plays one record back through the replay callback the stand-in learnt for
// its member (from the recording calls and the accessor declarations) and
// returns the status the callback set. A record whose member has no known
// callback gives kUnknownMember.
KTX_HOST_API int Replay(const Record& record);
// Plays every outermost record back, in order; the nested ones are made again
// by the bodies of the outer ones. Returns the statuses.
KTX_HOST_API std::vector<int> ReplayJournal(const Journal& journal);
inline constexpr int kUnknownMember = 840702;
// A record whose number of values is not the number its member's records
// hold (as the stand-in learnt it from a recorded call or an accessor
// declaration) is not played.
inline constexpr int kMalformedRecord = 840703;
// Plays one record back through the given function instead of the callback
// learnt for its member (a scripting binding's), with the same call record.
KTX_HOST_API int ReplayWith(const Record& record, JAM_replay_fn play);

// Whether the member of the journal class is a creator method a scripting
// set-up registered (JAM_register_creator_method_name): a call of it makes a
// builder for the script.
KTX_HOST_API bool IsCreatorMethod(std::string_view journalClass, std::string_view method);

// ---- what tests set and read ------------------------------------------------------
namespace Test {
// Numbers JAM_had_exception claims.
KTX_HOST_API void ClaimErrorNumber(int number);
// The fault filter's verdict (1 at start).
KTX_HOST_API void SetFaultVerdict(int verdict);
// The next call of the named recording function raises a host error.
KTX_HOST_API void RaiseAt(const char* function, int number);
// Clears the journal, the claims, the verdict, the raise requests, the print
// switches and the pause count. Registrations stay.
KTX_HOST_API void Reset();

struct TypeView {
  std::string name;
  std::string parent;     // classes: set by JAM_create_class
  bool created = false;   // classes: created and not destroyed
  std::string templateName, argument;
  std::vector<std::pair<std::string, int>> enumMembers;
  std::vector<std::string> accessors;   // "ptr Name" / "tag Name"
  std::vector<std::string> interfaces;
};
KTX_HOST_API bool DescribeClass(const char* name, TypeView* view);
KTX_HOST_API std::vector<std::string> CreatorMethodNames();     // "Class Method", in registration order
KTX_HOST_API std::vector<std::string> FileInitializerNames();   // live, in registration order
KTX_HOST_API std::vector<std::string> ClassInitializerNames();  // live, in registration order
// What the last set-up of a unit run by FileInitializer::Initialize that
// registered anything registered, one fact a line in call order, each
// credited to the set-up running innermost: "initializes NAME", "class NAME",
// "template NAME TEMPLATE ARGUMENT", "enumeration NAME SIZE",
// "enum-member ENUMERATION MEMBER VALUE", "structure NAME", "creates NAME
// PARENT", "accessor ptr|tag PROPERTY RESERVED FLAG", "interface NAME",
// "printer CLASS", "defaults-function CLASS". Empty for a unit never set up so.
KTX_HOST_API std::vector<std::string> SetUpRegistrations(const char* className);
KTX_HOST_API JAM_defaults_fn DefaultsFunction(const char* className);
KTX_HOST_API JAM_print_fn PrintFunction(const char* className);
}  // namespace Test

}  // namespace KTX::JAM
