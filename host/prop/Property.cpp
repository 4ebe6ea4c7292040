#include "prop/Property.hpp"

#include <cstdio>
#include <cstring>
#include <map>
#include <utility>

#include "om/ObjectManager.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Error.hpp"

namespace KTX::Property {

namespace {

constexpr const char* kSource = "host/prop/Property.cpp";

[[noreturn]] void wrongType(const char* reader) {
  ERROR_raise(kSource, __LINE__, kWrongValueType, "prop err: %s of a value of another type", reader);
}

unsigned char lowerAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

bool sameNameIgnoringCase(const std::string& a, const char* b) {
  std::size_t n = std::strlen(b);
  if (a.size() != n) return false;
  for (std::size_t i = 0; i < n; ++i) {
    if (lowerAscii(static_cast<unsigned char>(a[i])) != lowerAscii(static_cast<unsigned char>(b[i]))) return false;
  }
  return true;
}

// The host's enumeration lists and maps. Never destroyed: owners keep
// pointers to them in statics that outlive every exit step.
struct EnumRegistry {
  std::map<std::string, StringVector*> lists;
  std::map<std::pair<const StringVector*, std::vector<int>>, EnumMap*> maps;
};

EnumRegistry& enumRegistry() {
  static EnumRegistry* registry = new EnumRegistry;
  return *registry;
}

template <class T>
std::unique_ptr<T> make() {
  std::unique_ptr<T> value(new T);
  if (value == nullptr) ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for a property value");
  return value;
}

}  // namespace

const char* TypeName(ValueType type) {
  switch (type) {
    case ValueType::kDouble: return "Double";
    case ValueType::kInteger: return "Integer";
    case ValueType::kLogical: return "Logical";
    case ValueType::kEnum: return "Enum";
    case ValueType::kTag: return "Tag";
    case ValueType::kPoint: return "Point";
    case ValueType::kString: return "String";
    case ValueType::kUtfString: return "UtfString";
    case ValueType::kArray: return "Array";
    case ValueType::kSubobject: return "Subobject";
  }
  return "?";
}

// ---- values

Value::~Value() = default;

double Value::GetDouble() const { wrongType("GetDouble"); }
bool Value::GetLogical() const { wrongType("GetLogical"); }
int Value::GetInteger() const { wrongType("GetInteger"); }
int Value::GetEnum() const { wrongType("GetEnum"); }
tag_t Value::GetTag() const { wrongType("GetTag"); }
Point3d Value::GetPoint() const { wrongType("GetPoint"); }
const char* Value::GetString() const { wrongType("GetString"); }
const TEXT_s* Value::GetTextString() const { wrongType("GetTextString"); }
const List* Value::GetArrayValue() const { wrongType("GetArrayValue"); }
OM::Object* Value::GetSubobject() const { wrongType("GetSubobject"); }
void Value::SetSubobject(OM::Object*) { wrongType("SetSubobject"); }
void Value::SetTag(tag_t) { wrongType("SetTag"); }
void Value::SetTextString(const TEXT_s*) { wrongType("SetTextString"); }

void Point::SetValue(const double* xyz) { point_ = xyz == nullptr ? Point3d{} : Point3d{xyz[0], xyz[1], xyz[2]}; }

void String::SetValue(const char* text) {
  hasText_ = text != nullptr;
  text_ = hasText_ ? text : "";
}

UtfString::~UtfString() { TEXT_free(text_); }

void UtfString::SetTextString(const TEXT_s* text) {
  TEXT_s* copy = nullptr;
  if (text != nullptr) {
    copy = TEXT_copy(text);
    if (copy == nullptr) ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for a text");
  }
  TEXT_free(text_);
  text_ = copy;
}

// ---- enumerations

bool EnumMap::Find(const char* name, int* value) const {
  if (name == nullptr) return false;
  for (const auto& [member, v] : entries_) {
    if (member == name) {
      if (value != nullptr) *value = v;
      return true;
    }
  }
  return false;
}

const char* EnumMap::NameOf(int value) const {
  for (const auto& [member, v] : entries_) {
    if (v == value) return member.c_str();
  }
  return nullptr;
}

const char* Enum::GetMemberName() const {
  if (map_ != nullptr) return map_->NameOf(index_);
  if (names_ != nullptr && index_ >= 0) return names_->At(static_cast<std::size_t>(index_));
  return nullptr;
}

bool Enum::SetValueByName(const char* name) {
  int value = 0;
  if (map_ == nullptr || !map_->Find(name, &value)) return false;
  index_ = value;
  return true;
}

const StringVector* Enum::CreateStringVector(const char* text) {
  std::string key = text != nullptr ? text : "";
  auto& lists = enumRegistry().lists;
  auto found = lists.find(key);
  if (found != lists.end()) return found->second;
  auto* names = new StringVector;
  if (!key.empty()) {
    std::size_t start = 0;
    for (;;) {
      std::size_t comma = key.find(',', start);
      names->names_.push_back(key.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  lists.emplace(key, names);
  return names;
}

const EnumMap* Enum::CreateEnumMap(const StringVector* names, const int* values) {
  std::vector<int> numbers;
  std::size_t n = names != nullptr ? names->Count() : 0;
  for (std::size_t i = 0; i < n; ++i) numbers.push_back(values != nullptr ? values[i] : static_cast<int>(i));
  auto key = std::make_pair(names, numbers);
  auto& maps = enumRegistry().maps;
  auto found = maps.find(key);
  if (found != maps.end()) return found->second;
  auto* map = new EnumMap;
  for (std::size_t i = 0; i < n; ++i) map->entries_.emplace_back(names->names_[i], numbers[i]);
  maps.emplace(std::move(key), map);
  return map;
}

const StringVector* EnumMembers::Names() {
  if (names_ == nullptr) names_ = Enum::CreateStringVector(text_);
  return names_;
}

const EnumMap* EnumMembers::Map() {
  if (map_ == nullptr) map_ = Enum::CreateEnumMap(Names(), nullptr);
  return map_;
}

// ---- lists

List::List(int mode) : mode_(mode) {}

List::~List() {
  for (Entry& entry : entries_) delete entry.value;
}

int List::SetValue(const char* name, Value* value) {
  if (value == nullptr) return kNoValue;
  // A value the list holds already stays where it is: taking it over again
  // would release it twice.
  for (const Entry& entry : entries_) {
    if (entry.value == value) return kNoValue;
  }
  ValuePtr owned(value);
  if (mode_ == kByName && name != nullptr) {
    for (Entry& entry : entries_) {
      if (entry.named && sameNameIgnoringCase(entry.name, name)) {
        delete entry.value;
        entry.value = owned.release();
        return kReplaced;
      }
    }
  }
  Entry entry;
  entry.named = name != nullptr;
  if (entry.named) entry.name = name;
  entries_.push_back(std::move(entry));
  entries_.back().value = owned.release();
  return kAdded;
}

Value* List::GetProperty(const char* name) const {
  if (name == nullptr) return nullptr;
  for (const Entry& entry : entries_) {
    if (entry.named && sameNameIgnoringCase(entry.name, name)) return entry.value;
  }
  return nullptr;
}

Value* List::GetPropertyByIndex(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  return entries_[static_cast<std::size_t>(index)].value;
}

const char* List::GetNameByIndex(int index) const {
  if (index < 0 || index >= GetCount()) return nullptr;
  const Entry& entry = entries_[static_cast<std::size_t>(index)];
  return entry.named ? entry.name.c_str() : nullptr;
}

void List::TakeOver(List& other) {
  if (&other == this) return;
  entries_.reserve(entries_.size() + other.entries_.size());
  for (Entry& entry : other.entries_) entries_.push_back(std::move(entry));
  other.entries_.clear();
}

// ---- owners

Owner::Owner() = default;

Owner::~Owner() { JAM::PropertyMapper::ForgetOwner(this); }

int Owner::GetProperties(OM::Object*, List&) { return 0; }
int Owner::SetProperties(OM::Object*, List&) { return 0; }
Value* Owner::GetProperty(OM::Object*, const char*) { return nullptr; }
int Owner::SetProperty(OM::Object*, const char*, const Value*) { return kUnknownProperty; }

// ---- helpers for owners

void RaiseNullPtr(const char* file, int line) { ERROR_raise(file, line, kNullPtr, "null ptr"); }

void RaisePropErr(const char* file, int line, int status) { ERROR_raise(file, line, status, "prop err"); }

ValuePtr MakeDouble(double value) {
  auto made = make<Double>();
  made->SetValue(value);
  return made;
}

ValuePtr MakeInteger(int value) {
  auto made = make<Integer>();
  made->SetValue(value);
  return made;
}

ValuePtr MakeUnsetInteger() { return make<Integer>(); }

ValuePtr MakeLogical(bool value) {
  auto made = make<Logical>();
  made->SetValue(value);
  return made;
}

ValuePtr MakeEnum(EnumMembers& members, int index) {
  const StringVector* names = members.Names();
  const EnumMap* map = members.Map();
  std::unique_ptr<Enum> made(new Enum(map, names));
  if (made == nullptr) ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for a property value");
  made->SetValue(index);
  return made;
}

ValuePtr MakeTag(tag_t tag) {
  auto made = make<Tag>();
  made->SetTag(tag);
  return made;
}

ValuePtr MakePoint(const Point3d& point) {
  auto made = make<Point>();
  made->SetValue(point);
  return made;
}

ValuePtr MakeString(const char* text) {
  auto made = make<String>();
  made->SetValue(text);
  return made;
}

ValuePtr MakeUtfString(TEXT_s* text) {
  struct Release {
    TEXT_s* text;
    ~Release() { TEXT_free(text); }
  } release{text};
  auto made = make<UtfString>();
  made->SetTextString(text);
  return made;
}

ValuePtr MakeTextArray(int count, TEXT_s** texts) {
  // Whatever happens below, every text and the array end here.
  struct Release {
    int count;
    TEXT_s** texts;
    int next = 0;
    ~Release() {
      if (texts != nullptr) {
        for (int i = next; i < count; ++i) TEXT_free(texts[i]);
      }
      SM_free(texts);
    }
  } release{count, texts};
  auto array = make<Array>();
  List local(List::kSequence);
  for (int i = 0; texts != nullptr && i < count; ++i) {
    release.next = i + 1;
    ValuePtr item = MakeUtfString(texts[i]);
    local.SetValue(nullptr, item.release());
  }
  array->SetValue(local);
  return array;
}

ValuePtr MakeSubobject(OM::Object* object, const char* className) {
  auto made = make<Subobject>();
  made->SetSubobject(object);
  made->SetClassName(className);
  return made;
}

const Value& Expect(const Value* value, ValueType type, const char* file, int line) {
  if (value == nullptr) RaisePropErr(file, line, kMissingValue);
  if (value->GetType() != type) RaisePropErr(file, line, kWrongValueType);
  return *value;
}

double ReadDouble(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kDouble, file, line).GetDouble();
}
bool ReadLogical(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kLogical, file, line).GetLogical();
}
int ReadInteger(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kInteger, file, line).GetInteger();
}
int ReadEnum(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kEnum, file, line).GetEnum();
}
tag_t ReadTag(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kTag, file, line).GetTag();
}
Point3d ReadPoint(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kPoint, file, line).GetPoint();
}
const char* ReadString(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kString, file, line).GetString();
}
const TEXT_s* ReadTextString(const Value* value, const char* file, int line) {
  return Expect(value, ValueType::kUtfString, file, line).GetTextString();
}

TextArray::TextArray(const Value* value, const char* file, int line) {
  const List* list = Expect(value, ValueType::kArray, file, line).GetArrayValue();
  int n = list->GetCount();
  if (n == 0) return;
  auto** texts = static_cast<const TEXT_s**>(SM_alloc(sizeof(TEXT_s*) * static_cast<std::size_t>(n)));
  if (texts == nullptr) ERROR_raise(file, line, Error::kNoMemory, "no memory for a text array");
  for (int i = 0; i < n; ++i) {
    const Value* item = list->GetPropertyByIndex(i);
    if (item == nullptr || item->GetType() != ValueType::kUtfString) {
      SM_free(static_cast<void*>(texts));
      RaisePropErr(file, line, kWrongValueType);
    }
    texts[i] = item->GetTextString();
  }
  count_ = n;
  texts_ = texts;
}

TextArray::~TextArray() { SM_free(static_cast<void*>(texts_)); }

std::string Format(const Value& value) {
  char buffer[96];
  switch (value.GetType()) {
    case ValueType::kDouble:
      std::snprintf(buffer, sizeof buffer, "%.17g", value.GetDouble());
      return buffer;
    case ValueType::kInteger: return std::to_string(value.GetInteger());
    case ValueType::kLogical: return value.GetLogical() ? "true" : "false";
    case ValueType::kEnum: {
      const char* name = static_cast<const Enum&>(value).GetMemberName();
      return std::string(name != nullptr ? name : "?") + " (" + std::to_string(value.GetEnum()) + ")";
    }
    case ValueType::kTag: return "tag " + std::to_string(value.GetTag());
    case ValueType::kPoint: {
      Point3d p = value.GetPoint();
      std::snprintf(buffer, sizeof buffer, "(%.17g, %.17g, %.17g)", p.x, p.y, p.z);
      return buffer;
    }
    case ValueType::kString: {
      const char* text = value.GetString();
      return text != nullptr ? "\"" + std::string(text) + "\"" : "(no text)";
    }
    case ValueType::kUtfString: {
      const TEXT_s* text = value.GetTextString();
      return text != nullptr ? "\"" + std::string(TEXT_ask_utf8(text)) + "\"" : "(no text)";
    }
    case ValueType::kArray: {
      const List* list = value.GetArrayValue();
      std::string out = "[";
      for (int i = 0; i < list->GetCount(); ++i) {
        if (i > 0) out += ", ";
        const Value* item = list->GetPropertyByIndex(i);
        out += item != nullptr ? Format(*item) : "?";
      }
      return out + "]";
    }
    case ValueType::kSubobject: {
      const auto& sub = static_cast<const Subobject&>(value);
      std::string out = sub.GetClassName();
      out += ": ";
      const OM::Object* object = sub.GetSubobject();
      return out + (object != nullptr ? "tag " + std::to_string(object->OmTag()) : "no object");
    }
  }
  return "?";
}

}  // namespace KTX::Property
