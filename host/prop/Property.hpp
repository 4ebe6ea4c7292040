// The host's property model: typed values, lists of values by name, and the
// owners that list, read and write the properties of an object by name.
//
// Ownership, in one place:
// - A value made with new (or by a Make* helper) belongs to whoever made it
//   until it is handed on; `GetProperty` of an owner hands a new value to its
//   caller, who releases it with delete (std::unique_ptr<Value> does).
// - A list owns the values put into it with `SetValue` and releases them with
//   itself; `GetProperty` and `GetPropertyByIndex` of a list only lend.
// - Member-name lists and member maps of enumerations are kept by the host
//   for the life of the process; nobody frees them.
// Values and lists come from the host's object allocator and are counted.
#pragma once
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "Export.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"

namespace KTX::OM {
class Object;
}

namespace KTX::Property {

// Message numbers of the property model's own errors and statuses.
enum Message : int {
  kNullPtr = 68,                // an object was needed and none was given
  kWrongValueType = 840101,     // a value of another type than the property's
  kMissingValue = 840102,       // a write without a value
  kUnknownProperty = 840103,    // no owner in the chain knows the name
  kReadOnlyProperty = 840104,   // the owner that knows the name does not write it
};

enum class ValueType : int {
  kDouble,
  kInteger,
  kLogical,
  kEnum,
  kTag,
  kPoint,
  kString,
  kUtfString,
  kArray,
  kSubobject,
};

// The published name of a value type ("Double", "Subobject", ...).
KTX_HOST_API const char* TypeName(ValueType type);

struct Point3d {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

class List;

// One property value. Every reader is virtual: the class of the value answers
// its own; any other reader raises "prop err" with kWrongValueType, so that a
// value of the wrong type is never read as if it were another.
class KTX_HOST_API Value : public Memory::CppMemory {
 public:
  virtual ~Value();
  Value(const Value&) = delete;
  Value& operator=(const Value&) = delete;

  virtual ValueType GetType() const = 0;

  virtual double GetDouble() const;
  virtual bool GetLogical() const;
  virtual int GetInteger() const;
  virtual int GetEnum() const;
  virtual tag_t GetTag() const;
  virtual Point3d GetPoint() const;
  // The text, owned by the value; null when the value holds no text.
  virtual const char* GetString() const;
  virtual const TEXT_s* GetTextString() const;
  // The array's list of values, owned by the value.
  virtual const List* GetArrayValue() const;
  virtual OM::Object* GetSubobject() const;

  virtual void SetSubobject(OM::Object* object);
  virtual void SetTag(tag_t tag);
  // Copies the text; the caller keeps its own.
  virtual void SetTextString(const TEXT_s* text);

 protected:
  Value() = default;
};

using ValuePtr = std::unique_ptr<Value>;

class KTX_HOST_API Double final : public Value {
 public:
  Double() = default;
  ValueType GetType() const override { return ValueType::kDouble; }
  void SetValue(double value) { value_ = value; }
  double GetDouble() const override { return value_; }

 private:
  double value_ = 0.0;
};

class KTX_HOST_API Integer final : public Value {
 public:
  Integer() = default;
  ValueType GetType() const override { return ValueType::kInteger; }
  void SetValue(int value) { value_ = value; }
  int GetInteger() const override { return value_; }

 private:
  int value_ = 0;
};

class KTX_HOST_API Logical final : public Value {
 public:
  Logical() = default;
  ValueType GetType() const override { return ValueType::kLogical; }
  void SetValue(bool value) { value_ = value; }
  bool GetLogical() const override { return value_; }

 private:
  bool value_ = false;
};

// The member names of an enumeration, in member order.
class KTX_HOST_API StringVector {
 public:
  std::size_t Count() const { return names_.size(); }
  // Null past the end.
  const char* At(std::size_t index) const { return index < names_.size() ? names_[index].c_str() : nullptr; }

 private:
  friend class Enum;
  std::vector<std::string> names_;
};

// Member name to member value, for one enumeration.
class KTX_HOST_API EnumMap {
 public:
  std::size_t Count() const { return entries_.size(); }
  // Looks a member up by name, exactly as written; false when there is none.
  bool Find(const char* name, int* value) const;
  // The first member with this value; null when there is none.
  const char* NameOf(int value) const;

 private:
  friend class Enum;
  std::vector<std::pair<std::string, int>> entries_;
};

class KTX_HOST_API Enum final : public Value {
 public:
  // Both are the host's (see CreateStringVector); either may be null.
  Enum(const EnumMap* map, const StringVector* names) : map_(map), names_(names) {}
  ValueType GetType() const override { return ValueType::kEnum; }
  void SetValue(int index) { index_ = index; }
  int GetEnum() const override { return index_; }
  // The current member's name through the map; null when the map has no
  // member of that value.
  const char* GetMemberName() const;
  // Sets the member by its name; false, and nothing changed, when the map
  // holds no such member.
  bool SetValueByName(const char* name);
  const EnumMap* GetMap() const { return map_; }
  const StringVector* GetNames() const { return names_; }

  // The member names of one comma-separated text, in order, exactly as
  // written (no blank is trimmed); an empty or null text has no member. The
  // same text gives the same list every time; the host keeps it for the life
  // of the process.
  static const StringVector* CreateStringVector(const char* text);
  // The map of list entry i to values[i] (values holds one int per member;
  // null gives 0 to n-1). Kept by the host like the list; the same list and
  // values give the same map.
  static const EnumMap* CreateEnumMap(const StringVector* names, const int* values);

 private:
  const EnumMap* map_;
  const StringVector* names_;
  int index_ = 0;
};

// An enumeration's member list and map, built at first use from one
// comma-separated text. Meant as a constant-initialised static, one per
// enumerated property: `static EnumMembers types{"Hydraulic,Traveling,Automatic"};`
class KTX_HOST_API EnumMembers {
 public:
  constexpr explicit EnumMembers(const char* text) : text_(text) {}
  const StringVector* Names();
  const EnumMap* Map();

 private:
  const char* text_;
  const StringVector* names_ = nullptr;
  const EnumMap* map_ = nullptr;
};

class KTX_HOST_API Tag final : public Value {
 public:
  Tag() = default;
  ValueType GetType() const override { return ValueType::kTag; }
  void SetTag(tag_t tag) override { tag_ = tag; }
  tag_t GetTag() const override { return tag_; }

 private:
  tag_t tag_ = 0;
};

class KTX_HOST_API Point final : public Value {
 public:
  Point() = default;
  ValueType GetType() const override { return ValueType::kPoint; }
  void SetValue(const Point3d& point) { point_ = point; }
  // Three doubles x, y, z; null leaves (0, 0, 0).
  void SetValue(const double* xyz);
  Point3d GetPoint() const override { return point_; }

 private:
  Point3d point_;
};

class KTX_HOST_API String final : public Value {
 public:
  String() = default;
  ValueType GetType() const override { return ValueType::kString; }
  // Copies the text; null means no text.
  void SetValue(const char* text);
  const char* GetString() const override { return hasText_ ? text_.c_str() : nullptr; }

 private:
  std::string text_;
  bool hasText_ = false;
};

class KTX_HOST_API UtfString final : public Value {
 public:
  UtfString() = default;
  ~UtfString() override;
  ValueType GetType() const override { return ValueType::kUtfString; }
  void SetTextString(const TEXT_s* text) override;
  const TEXT_s* GetTextString() const override { return text_; }

 private:
  TEXT_s* text_ = nullptr;
};

class KTX_HOST_API Subobject final : public Value {
 public:
  Subobject() = default;
  ValueType GetType() const override { return ValueType::kSubobject; }
  void SetSubobject(OM::Object* object) override { object_ = object; }
  OM::Object* GetSubobject() const override { return object_; }
  // The journal class name of the object (kept also when there is no object).
  void SetClassName(const char* name) { className_ = name != nullptr ? name : ""; }
  const char* GetClassName() const { return className_.c_str(); }

 private:
  OM::Object* object_ = nullptr;
  std::string className_;
};

// A list of values, each under a name or under none, in the order they were
// put in. It owns its values.
class KTX_HOST_API List : public Memory::CppMemory {
 public:
  enum Mode : int {
    // A value under a name that the list holds already (compared without
    // regard to ASCII case) replaces the earlier value, which is released.
    kByName = 0,
    // Every value is added at the end, whatever its name.
    kSequence = 1,
  };
  enum SetResult : int { kAdded = 0, kReplaced = 1, kNoValue = -1 };

  explicit List(int mode = kByName);
  ~List();
  List(const List&) = delete;
  List& operator=(const List&) = delete;

  int GetMode() const { return mode_; }
  // Takes the value over (also when it is released at once). A null value,
  // or one the list holds already, adds nothing and gives kNoValue.
  int SetValue(const char* name, Value* value);
  // The first value under the name, lent; null when there is none or the
  // name is null.
  Value* GetProperty(const char* name) const;
  int GetCount() const { return static_cast<int>(entries_.size()); }
  // Lent; null out of range.
  Value* GetPropertyByIndex(int index) const;
  // The name of entry index; null for a value under no name or out of range.
  const char* GetNameByIndex(int index) const;
  // Moves every entry of `other` to the end of this list, leaving `other`
  // empty.
  void TakeOver(List& other);

 private:
  struct Entry {
    std::string name;
    bool named = false;
    Value* value = nullptr;
  };
  int mode_;
  std::vector<Entry> entries_;
};

// An array of values, each under no name.
class KTX_HOST_API Array final : public Value {
 public:
  Array() : list_(List::kSequence) {}
  ValueType GetType() const override { return ValueType::kArray; }
  // Takes over every value of the list, which is left empty.
  void SetValue(List& list) { list_.TakeOver(list); }
  const List* GetArrayValue() const override { return &list_; }

 private:
  List list_;
};

// Knows the properties of the objects of one journal class. The default
// operations know no property at all: they list nothing, give no value and
// answer kUnknownProperty for a write.
class KTX_HOST_API Owner {
 public:
  Owner();
  virtual ~Owner();
  Owner(const Owner&) = delete;
  Owner& operator=(const Owner&) = delete;

  // Adds every property of the object to the list, each under its name.
  virtual int GetProperties(OM::Object* object, List& list);
  // Writes every settable property that the list holds a value for.
  virtual int SetProperties(OM::Object* object, List& list);
  // A new value owned by the caller, or null for a name nobody knows.
  virtual Value* GetProperty(OM::Object* object, const char* name);
  // 0 after a write; the value stays the caller's.
  virtual int SetProperty(OM::Object* object, const char* name, const Value* value);
};

// Raising helpers for owners. `file` and `line` name the raising source.
[[noreturn]] KTX_HOST_API void RaiseNullPtr(const char* file, int line);
[[noreturn]] KTX_HOST_API void RaisePropErr(const char* file, int line, int status);

// Value makers for owners, one per value type. Each gives a new value owned by
// the caller, or raises the host's out-of-memory error; those that take
// something over release it in both cases.
KTX_HOST_API ValuePtr MakeDouble(double value);
KTX_HOST_API ValuePtr MakeInteger(int value);
// An Integer on which no value was set.
KTX_HOST_API ValuePtr MakeUnsetInteger();
KTX_HOST_API ValuePtr MakeLogical(bool value);
KTX_HOST_API ValuePtr MakeEnum(EnumMembers& members, int index);
KTX_HOST_API ValuePtr MakeTag(tag_t tag);
KTX_HOST_API ValuePtr MakePoint(const Point3d& point);
// Copies the text (null: no text); the caller keeps its own.
KTX_HOST_API ValuePtr MakeString(const char* text);
// Takes the text over and frees it with TEXT_free (also a null one).
KTX_HOST_API ValuePtr MakeUtfString(TEXT_s* text);
// Takes over the texts and the array (an SM_alloc block of count text
// pointers; null with count 0 is no array): every text is freed with
// TEXT_free once copied, the array with SM_free.
KTX_HOST_API ValuePtr MakeTextArray(int count, TEXT_s** texts);
KTX_HOST_API ValuePtr MakeSubobject(OM::Object* object, const char* className);

// Readers for writes: each checks that there is a value and that it is of
// the type asked, and raises "prop err" from file and line with
// kMissingValue or kWrongValueType otherwise; then gives the value's content.
KTX_HOST_API const Value& Expect(const Value* value, ValueType type, const char* file, int line);
KTX_HOST_API double ReadDouble(const Value* value, const char* file, int line);
KTX_HOST_API bool ReadLogical(const Value* value, const char* file, int line);
KTX_HOST_API int ReadInteger(const Value* value, const char* file, int line);
KTX_HOST_API int ReadEnum(const Value* value, const char* file, int line);
KTX_HOST_API tag_t ReadTag(const Value* value, const char* file, int line);
KTX_HOST_API Point3d ReadPoint(const Value* value, const char* file, int line);
// The value's own character data (null: no text), valid while the value lives.
KTX_HOST_API const char* ReadString(const Value* value, const char* file, int line);
// The value's own text (null: no text), valid while the value lives.
KTX_HOST_API const TEXT_s* ReadTextString(const Value* value, const char* file, int line);

// The texts of an Array value for a write: a temporary array from SM_alloc
// with one text pointer per entry (the texts stay the list's), released with
// this object. An entry that is not a UtfString raises "prop err" with
// kWrongValueType, after the temporary array is released.
class KTX_HOST_API TextArray {
 public:
  TextArray(const Value* value, const char* file, int line);
  ~TextArray();
  TextArray(const TextArray&) = delete;
  TextArray& operator=(const TextArray&) = delete;
  int Count() const { return count_; }
  // Null when the count is 0.
  const TEXT_s** Texts() const { return texts_; }

 private:
  int count_ = 0;
  const TEXT_s** texts_ = nullptr;
};

// The value as one line of text for people: "1.5", "true", "Traveling (1)",
// "(1, 2, 3)", "\"abc\"", "tag 12", "Section: tag 7", "[\"a\", \"b\"]".
KTX_HOST_API std::string Format(const Value& value);

}  // namespace KTX::Property
