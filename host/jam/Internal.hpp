// State shared by the journaling library's sources; not for the plug-in.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "jam/Journal.hpp"

struct JAM_type_class_s {
  std::string name;
  std::string parent;
  bool created = false;
  bool isTemplate = false;
  std::string templateName, argument;
  std::vector<std::string> accessors;
  std::vector<std::string> interfaces;
};

struct JAM_type_enum_s {
  std::string name;
  int valueSize = 4;
  std::vector<std::pair<std::string, int>> members;
};

struct JAM_type_struct_s {
  std::string name;
  std::vector<const char*> components;
};

namespace KTX::JAM::Internal {

// What the library learnt of a member: its replay callback and how many
// values its call record holds.
struct Learnt;
// The forms of an overloaded member (one name, other arguments), each with
// its arguments' names; a member of one form has one entry.
using Forms = std::vector<std::pair<std::vector<std::string>, Learnt>>;
// An argument's name and type as a member's call last recorded them in its
// place: each time they change, the place is kept under a new number.
struct KeptName {
  std::string name;
  std::string type;
  std::uint64_t number = 0;
};
struct Learnt {
  JAM_replay_fn replay = nullptr;
  int valueCount = 0;
  // Its values' names and types, by place (the first few places only).
  std::vector<KeptName> names;
  // The member's forms, once a record of it has been closed (the entry in
  // the forms by replay key; nodes stay put): a closing call finds them
  // without composing the key.
  Forms* forms = nullptr;
  // The form the member's last closed record was learnt from, as its values'
  // kept-name numbers, and the callback it was opened with: a record that
  // names the same (its values' names kept under the same numbers) and opens
  // with the same is learnt already, and its values' names, which a long
  // journal holds in memory no recent call touched, need not be read again.
  std::vector<std::uint64_t> lastForm;
  JAM_replay_fn lastFormOpener = nullptr;
  bool lastFormKnown = false;
};

// Where a member's replay callback is found: class, method type, member.
std::string ReplayKey(const std::string& journalClass, int methodType, const std::string& member);
void LearnReplay(const std::string& key, JAM_replay_fn replay);
JAM_replay_fn FindReplay(const std::string& key);
// How many values a member's call record holds (0 when not known yet): learnt
// from a record the member made that reached its end of arguments, and 1 for
// a declared property accessor.
void LearnValueCount(const std::string& key, int count);
int KnownValueCount(const std::string& key);

// Raises the host error a test asked for at this function, once.
void MaybeRaise(const char* function);

// Writes a scripting default into the object through the owner of its
// journal class: "Name" sets the property from the text as its type reads it
// (a number, "0", "1", "false" or "true", an enumeration member's name, a text), "Name.Value"
// the value of the expression the property holds. An object whose class has
// no owner is left as it is. Raises kUnknownProperty for a name the owner
// does not know, kWrongValueType for a text that does not read as the
// property's type, or the owner's or the expression's own failure.
void ApplyNamedValue(OM::Object* object, const char* path, const char* text);
// While one lives, JAM_set_named_attribute_value also applies what it
// records (the host giving a builder its defaults); otherwise it only records.
class KTX_HOST_API ApplyingDefaults {
 public:
  ApplyingDefaults();
  ~ApplyingDefaults();
  ApplyingDefaults(const ApplyingDefaults&) = delete;
  ApplyingDefaults& operator=(const ApplyingDefaults&) = delete;
  static bool Active();
};

JAM_type_struct_s* FindStruct(const std::string& name);

}  // namespace KTX::JAM::Internal
