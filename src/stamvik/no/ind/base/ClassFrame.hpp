// How a builder class declares its persistent fields to the host's object
// manager. A class lists its fields once, in the order they lie in the
// object, as
//
//   #define MY_BUILDER_ATTRIBUTES(A)
//     A(0, m_target, Frame::Ref<KTX::SELECT_OBJECT>, 0x804001)
//     A(1, m_depth,  Frame::Double,                  0x1)
//
// (index, field, kind, row flags). From that one list the class gets its
// fields, its exported attribute ids and its field places, and its source
// file gets the attribute table, the registrant maker, the create callback
// and the load and exit steps.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "StamvikExport.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"

namespace KTX::Frame {

using OM::ClassAttributeStruct;

// ---- kinds of persistent field ---------------------------------------------------

struct KindBase {
  static constexpr const std::int32_t* dimensions = nullptr;
  static constexpr const void* initial = nullptr;
  static constexpr const char* const* referencedClass = nullptr;
  static constexpr const void* measure = nullptr;
  static constexpr std::uint32_t qualifier = 0;
};

template <std::uint64_t Code>
inline constexpr OM::MeasureList kMeasure{1, &kMeasure<Code>.code, Code};

template <bool Value>
inline constexpr bool kLogical = Value;

inline constexpr std::int32_t kAnyRowsOfThree[2] = {-1, 3};

struct Logical : KindBase {
  using type = bool;
  static constexpr std::uint32_t code = 0x0;
};
// A logical that a new object starts with (true, or false stated explicitly).
template <bool Value>
struct LogicalStarting : Logical {
  static constexpr const void* initial = &kLogical<Value>;
  static constexpr std::uint32_t qualifier = 1;
};
template <int N>
struct Logicals : KindBase {
  using type = bool[N];
  static constexpr std::uint32_t code = static_cast<std::uint32_t>(N) << 16;
};
struct Integer : KindBase {
  using type = int;
  static constexpr std::uint32_t code = 0x3;
};
struct IntegerArray : KindBase {
  using type = OM::IntVla*;
  static constexpr std::uint32_t code = 0xFFFF0003;
};
struct Double : KindBase {
  using type = double;
  static constexpr std::uint32_t code = 0x6;
};
template <std::uint64_t MeasureCode>
struct MeasuredDouble : Double {
  static constexpr const void* measure = &kMeasure<MeasureCode>;
};
struct Point : KindBase {
  using type = double[3];
  static constexpr std::uint32_t code = 0x30006;
};
struct Matrix : KindBase {
  using type = double[9];
  static constexpr std::uint32_t code = 0x90006;
};
template <std::uint64_t MeasureCode = 0>
struct DoubleArray : KindBase {
  using type = OM::DoubleVla*;
  static constexpr std::uint32_t code = 0xFFFF0006;
  static constexpr const void* measure = MeasureCode == 0 ? nullptr : &kMeasure<MeasureCode>;
};
// Any number of rows of three doubles.
struct PointList : KindBase {
  using type = OM::DoubleVla*;
  static constexpr std::uint32_t code = 0x20006;
  static constexpr const std::int32_t* dimensions = kAnyRowsOfThree;
};
template <class Referenced>
struct Ref : KindBase {
  using type = Referenced*;
  static constexpr std::uint32_t code = 0x4;
  static constexpr const char* const* referencedClass = &Referenced::OmClassName;
  static constexpr std::uint32_t qualifier = 0x10000;
};
// An object reference whose value carries a measure (an expression of a length or an angle).
template <class Referenced, std::uint64_t MeasureCode>
struct MeasuredRef : Ref<Referenced> {
  static constexpr const void* measure = &kMeasure<MeasureCode>;
};
struct Tag : KindBase {
  using type = tag_t;
  static constexpr std::uint32_t code = 0x9;
};
struct TagArray : KindBase {
  using type = OM::TagVla*;
  static constexpr std::uint32_t code = 0xFFFF0009;
};
struct String : KindBase {
  using type = char*;
  static constexpr std::uint32_t code = 0xD;
};
// A host string object, 8-bit or UTF-8 (empty when the field holds none).
struct StringObject : KindBase {
  using type = OM::String*;
  static constexpr std::uint32_t code = 0xD;
};
struct UStringObject : KindBase {
  using type = OM::String*;
  static constexpr std::uint32_t code = 0x10;
};
struct StringArray : KindBase {
  using type = OM::StringVla*;
  static constexpr std::uint32_t code = 0xFFFF000D;
};
struct UStringArray : KindBase {
  using type = OM::UStringVla*;
  static constexpr std::uint32_t code = 0xFFFF0010;
};
template <class Plain>
struct Struct : KindBase {
  using type = Plain*;
  static constexpr std::uint32_t code = 0xF;
};
struct KernelTag : KindBase {
  using type = int;
  static constexpr std::uint32_t code = 0x11;
};
struct KernelTagArray : KindBase {
  using type = OM::KernelTagVla*;
  static constexpr std::uint32_t code = 0xFFFF0011;
};

template <class Kind>
constexpr ClassAttributeStruct Row(const int* classId, OM::AttributeId* attributeId, const char* fieldName,
                                   std::uint32_t index, std::uint32_t place, std::uint32_t flags) {
  return ClassAttributeStruct{classId,
                              attributeId,
                              fieldName,
                              Kind::dimensions,
                              Kind::initial,
                              Kind::referencedClass,
                              nullptr,
                              Kind::measure,
                              {},
                              -1,
                              -1,
                              0x80000000u + index,
                              0,
                              place,
                              flags,
                              0,
                              Kind::code,
                              Kind::qualifier};
}

// Makes an object of a class through the host's factory and sets it up with
// init (called with the new object). A set-up that raises leaves nothing
// behind: the half-made object is destroyed, with whatever it already owns,
// and the error goes on to the caller. Every builder factory makes its
// builder this way; init is a lambda written in the factory, so it may call
// a set-up that only the factory is allowed to.
template <class Made, class Init>
Made* CreateAndInit(int classId, Init&& init) {
  auto* made = static_cast<Made*>(OM::ObjectFactory::CreateObject(classId, OM::OM_memory_type_persistent, nullptr));
  try {
    init(made);
  } catch (...) {
    made->destroy();
    throw;
  }
  return made;
}

// The characters of a string object field; empty when it holds none.
inline const char* CharsOf(const OM::String* string) { return string != nullptr ? string->GetChars() : ""; }
// The string-field write: logs the object unless it need not be, stores a new
// string object made from the text (which may be the old string's own
// characters), then deletes the old one.
STAMVIK_API void ReplaceString(OM::Object* object, OM::String*& field, const char* text, bool utf8);

// A text-array field handed out: `count` new host texts in a new array (host
// allocator), all the caller's; `nth(i)` gives entry i. Nothing is handed out,
// and nothing left allocated, when making one fails.
template <class Nth>
void HandOutTexts(int count, Nth nth, int* outCount, TEXT_s*** outTexts) {
  *outCount = 0;
  *outTexts = nullptr;
  auto** out = static_cast<TEXT_s**>(SM_alloc(sizeof(TEXT_s*) * static_cast<std::size_t>(count)));
  int made = 0;
  try {
    for (; made < count; ++made) out[made] = TEXT_create_string(nth(made).utf8_str());
  } catch (...) {
    for (int i = 0; i < made; ++i) TEXT_free(out[i]);
    SM_free(out);
    throw;
  }
  *outCount = count;
  *outTexts = out;
}
// An array taken in: a count below 0, or no array for a count above 0,
// is refused with the index-out-of-range error before anything changes.
inline void CheckArrayIn(int count, const void* texts) {
  if (count < 0 || (count > 0 && texts == nullptr)) OM::ThrowIndexOutOfRange(count, 0, -1);
}

// Run by every builder's destructor. The host runs the destructor also when
// it frees an object it never destroyed (undoing the object's creation), so a
// class that holds memory the object manager does not know of (a transient
// work area) overloads this in its own namespace to let that memory go.
inline void OnHostRelease(const void*) {}

// Destroys the registrant in a holder and clears the holder: every class's exit step.
STAMVIK_API void DestroyClassRegistrant(OM::ClassRegistrant** holder);

// Adds a class's exit step to the runtime's exit list.
void AtUnload(void (*step)());

}  // namespace KTX::Frame

// ---- inside the class body -------------------------------------------------------

// Fields that only the host reads and writes (through their attribute ids)
// look unused to the compiler.
#define STAMVIK_FIELD_DECL(index, field, Kind, flags) [[maybe_unused]] Kind::type field;
#define STAMVIK_ATTID_DECL(index, field, Kind, flags) static ::KTX::OM::AttributeId field##AttId;
#define STAMVIK_PLACE_DECL(index, field, Kind, flags) \
  static constexpr std::uint32_t field##_Place() { return static_cast<std::uint32_t>(offsetof(OmSelf, field)); }

// The class-id reference, attribute ids, create callback, host constructor and
// the persistent fields (left private) of a builder class.
#define STAMVIK_OM_CLASS(Class, Base, Name, LIST)                                  \
 public:                                                                           \
  using OmSelf = Class;                                                            \
  using OmBase = Base;                                                             \
  static constexpr const char* OmClassName = Name;                                 \
  static int& ThisClassId;                                                         \
  LIST(STAMVIK_ATTID_DECL)                                                         \
  static ::KTX::OM::Object* Create##Class##Callback(void* memory, int, void*);     \
  _Pragma("GCC diagnostic push") _Pragma("GCC diagnostic ignored \"-Winvalid-offsetof\"") \
  LIST(STAMVIK_PLACE_DECL)                                                         \
  _Pragma("GCC diagnostic pop")                                                    \
                                                                                   \
 protected:                                                                        \
  Class(int classId, void* context);                                               \
  ~Class() override;                                                               \
                                                                                   \
 private:                                                                          \
  LIST(STAMVIK_FIELD_DECL)

// A plain field's accessors inside a class: the getter, and the setter that
// logs the object for undo before it writes.
#define STAMVIK_PLAIN_ACCESSORS(Name, field, Type)            \
  Type Get##Name() const { return static_cast<Type>(field); } \
  void Set##Name(Type value) {                                \
    ::KTX::OM::LogForWrite(this);                             \
    field = value;                                            \
  }

// Namespace-level declarations that go with a class (in its namespace).
#define STAMVIK_OM_CLASS_EXPORTS(Class)                   \
  extern STAMVIK_API int Class##ClassId;                  \
  STAMVIK_API void Make##Class##Registrant();             \
  void Load##Class##Registration();

#define STAMVIK_OM_INSTANCE_SIZE_DECL(Class) STAMVIK_API std::uint64_t Get##Class##InstanceSize(void*);

// ---- in the class's source file, inside its namespace ------------------------------

#define STAMVIK_ATTID_DEF(index, field, Kind, flags) ::KTX::OM::AttributeId OmDefinedClass::field##AttId;
#define STAMVIK_ROW(index, field, Kind, flags)                                                        \
  ::KTX::Frame::Row<Kind>(&OmDefinedClassId, &OmDefinedClass::field##AttId, #field, index,            \
                          OmDefinedClass::field##_Place(), flags),

#define STAMVIK_OM_INSTANCE_SIZE_DEF(Class) \
  std::uint64_t Get##Class##InstanceSize(void*) { return sizeof(Class); }

// Size is the instance-size callback, or nullptr for an abstract class.
#define STAMVIK_OM_DEFINE_CLASS(Class, SuperclassName, ClassFlags, Size, LIST)                            \
  int Class##ClassId = 0;                                                                               \
  int& Class::ThisClassId = Class##ClassId;                                                             \
  namespace {                                                                                           \
  using OmDefinedClass = Class;                                                                         \
  int& OmDefinedClassId = Class##ClassId;                                                               \
  }                                                                                                     \
  LIST(STAMVIK_ATTID_DEF)                                                                               \
  STAMVIK_API extern const ::KTX::OM::ClassAttributeStruct Class##AttributeTable[];                      \
  const ::KTX::OM::ClassAttributeStruct Class##AttributeTable[] = {LIST(STAMVIK_ROW)};                  \
  namespace {                                                                                           \
  constexpr int kAttributeCount = static_cast<int>(sizeof(Class##AttributeTable) /                      \
                                                   sizeof(::KTX::OM::ClassAttributeStruct));           \
  ::KTX::OM::ClassRegistrant* registrantHolder = nullptr;                                               \
  void Unload##Class##Registration() { ::KTX::Frame::DestroyClassRegistrant(&registrantHolder); }              \
  }                                                                                                     \
  Class::Class(int classId, void* context) : OmBase(classId, context) {}                                \
  Class::~Class() {                                                                                     \
    using ::KTX::Frame::OnHostRelease;                                                                  \
    OnHostRelease(this);                                                                                \
  }                                                                                                     \
  ::KTX::OM::Object* Class::Create##Class##Callback(void* memory, int classId, void* context) {         \
    if (memory == nullptr) return nullptr;                                                              \
    return new (memory) Class(classId, context);                                                        \
  }                                                                                                     \
  void Make##Class##Registrant() {                                                                      \
    registrantHolder = new ::KTX::OM::ClassRegistrant(                                                  \
        Class::OmClassName, 0, nullptr, &Class##ClassId, 0x80000000u + kAttributeCount, ClassFlags,     \
        kAttributeCount, Class##AttributeTable, SuperclassName, Class::OmClassName, 0, nullptr, 0,        \
        &Class::Create##Class##Callback, Size, nullptr, nullptr);                                       \
  }                                                                                                     \
  void Load##Class##Registration() {                                                                           \
    Make##Class##Registrant();                                                                          \
    ::KTX::Frame::AtUnload(&Unload##Class##Registration);                                                      \
  }
