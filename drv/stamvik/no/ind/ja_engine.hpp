// The journaling engine. Every published class is described once, as a table
// of its members (kind, member name, value type, method body, handler line)
// plus its identity, dependencies, enumerations and scripting defaults; this
// engine makes from that description everything the host sees of the class:
// the guarded exports, the journalled bodies, the replay callbacks, the two
// interface implementations, the class set-up, the destroy function, the test
// print, the scripting defaults and the load-time registration. The call
// frame exists here once; a description holds no code of its own.
#pragma once
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <tuple>
#include <type_traits>
#include <vector>

#include "ClassFrame.hpp"
#include "CommitPath.hpp"
#include "InputChecks.hpp"
#include "Messages.hpp"
#include "StamvikExport.hpp"
#include "feat/Builder.hpp"
#include "jam/Jam.hpp"
#include "jam/Journal.hpp"
#include "om/ObjectManager.hpp"
#include "sel/Selection.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"

namespace KTX::JA {

// ---- names: one rule for every derived name ------------------------------------

template <std::size_t N>
struct Name {
  char s[N]{};
  constexpr Name() = default;
  constexpr Name(const char (&text)[N]) {
    for (std::size_t i = 0; i < N; ++i) s[i] = text[i];
  }
  static constexpr std::size_t size = N;
};

template <Name S>
constexpr auto LowerOf() {
  Name<S.size> r = S;
  for (char& c : r.s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return r;
}
template <Name S>
constexpr auto LowerCamelOf() {
  Name<S.size> r = S;
  if (r.s[0] >= 'A' && r.s[0] <= 'Z') r.s[0] = static_cast<char>(r.s[0] - 'A' + 'a');
  return r;
}
template <Name A, Name B>
constexpr auto ConcatOf() {
  Name<A.size + B.size - 1> r;
  for (std::size_t i = 0; i + 1 < A.size; ++i) r.s[i] = A.s[i];
  for (std::size_t i = 0; i < B.size; ++i) r.s[A.size - 1 + i] = B.s[i];
  return r;
}
// A journal name: the property name in lower case ("createsupportcasting").
template <Name S>
inline constexpr auto kLower = LowerOf<S>();
// A printed name: lower camel case ("createSupportCasting").
template <Name S>
inline constexpr auto kLowerCamel = LowerCamelOf<S>();
template <Name A, Name B>
inline constexpr auto kConcat = ConcatOf<A, B>();

constexpr bool SameText(const char* a, const char* b) {
  while (*a != '\0' && *a == *b) ++a, ++b;
  return *a == *b;
}

// The short name of a journal class: what follows its last point.
inline const char* ShortName(const char* journalClass) {
  const char* dot = std::strrchr(journalClass, '.');
  return dot != nullptr ? dot + 1 : journalClass;
}

// ---- per unit: the set-up flag and the handles the set-up fills ------------------

class UnitState {
 public:
  bool setUp = false;
  JAM_type_class_s* self = nullptr;

  void* Find(const char* name) const {
    for (int i = 0; i < count_; ++i)
      if (std::strcmp(entries_[static_cast<std::size_t>(i)].name, name) == 0) return entries_[static_cast<std::size_t>(i)].handle;
    return nullptr;
  }
  void Put(const char* name, void* handle) {
    if (Find(name) != nullptr) return;
    // A handle dropped here would be recorded as no type at all: the set-up
    // fails instead (and runs again on the next call).
    if (count_ == static_cast<int>(entries_.size())) throw std::length_error(std::string("no room for the handle of ") + name);
    entries_[static_cast<std::size_t>(count_++)] = {name, handle};
  }
  void Clear() {
    setUp = false;
    self = nullptr;
    count_ = 0;
  }

 private:
  struct Entry {
    const char* name;
    void* handle;
  };
  std::array<Entry, 128> entries_{};
  int count_ = 0;
};

// ---- value kinds: how a value is recorded, printed and looked up -----------------

enum class Shape { Logical, Integer, Double, Enum, Object, TemplateObject, Tag, String, Text, Struct, StringArray, StructArray, TextArray, DoubleArray };

struct Logical {
  using type = bool;
  static constexpr Shape shape = Shape::Logical;
  static constexpr const char* typeName = nullptr;
  static void In(const type* v, const char* name, const UnitState&) { JAM_in_logical(v, name); }
  static void Result(type* v, const char* name, const UnitState&) { JAM_result_logical(v, name); }
};
struct Integer {
  using type = int;
  static constexpr Shape shape = Shape::Integer;
  static constexpr const char* typeName = nullptr;
  static void In(const type* v, const char* name, const UnitState&) { JAM_in_int(v, name); }
  static void Result(type* v, const char* name, const UnitState&) { JAM_result_int(v, name); }
};
struct Double {
  using type = double;
  static constexpr Shape shape = Shape::Double;
  static constexpr const char* typeName = nullptr;
  static void In(const type* v, const char* name, const UnitState&) { JAM_in_double(v, name, 0); }
  static void Result(type* v, const char* name, const UnitState&) { JAM_result_double(v, name); }
};
// A string handed out by a getter is a copy the caller frees with SM_free.
struct String {
  using type = char*;
  using inType = const char*;
  static constexpr Shape shape = Shape::String;
  static constexpr const char* typeName = nullptr;
  static void In(const char* const* v, const char* name, const UnitState&) { JAM_in_string(*v, name); }
  static void Result(type* v, const char* name, const UnitState&) {
    JAM_result_string(const_cast<const char**>(v), name);
  }
};
// A host text (UTF-8) the getter hands out new, for the caller to free; a
// setter's text stays the caller's.
struct Text {
  using type = TEXT_s*;
  static constexpr Shape shape = Shape::Text;
  static constexpr const char* typeName = nullptr;
  static void In(const type* v, const char* name, const UnitState&) { JAM_in_utf8_string(*v, name); }
  static void Result(type* v, const char* name, const UnitState&) {
    JAM_result_utf8_string(const_cast<const TEXT_s**>(v), name);
  }
};
template <Name EnumName>
struct Enum {
  using type = int;
  static constexpr Shape shape = Shape::Enum;
  static constexpr const char* typeName = EnumName.s;
  static JAM_type_enum_s* Handle(const UnitState& u) { return static_cast<JAM_type_enum_s*>(u.Find(typeName)); }
  static void In(const type* v, const char* name, const UnitState& u) { JAM_in_enum(Handle(u), v, name); }
  static void Result(type* v, const char* name, const UnitState& u) { JAM_result_enum(Handle(u), v, name); }
};
// An object the builder holds by pointer (selection, section, expression, sub-builder).
template <class C, Name JournalClass>
struct Object {
  using type = C*;
  static constexpr Shape shape = Shape::Object;
  static constexpr const char* typeName = JournalClass.s;
  static JAM_type_class_s* Handle(const UnitState& u) { return static_cast<JAM_type_class_s*>(u.Find(typeName)); }
  static void Result(type* v, const char* name, const UnitState& u) { JAM_result_ptr(Handle(u), v, name); }
};
// A selection of a template class: its result is associated with the class.
template <class C, Name TemplateClass, Name Template, Name Argument>
struct TemplateObject : Object<C, TemplateClass> {
  static constexpr Shape shape = Shape::TemplateObject;
  static constexpr const char* templateName = Template.s;
  static constexpr const char* argument = Argument.s;
};
template <Name JournalClass, Name PrintedClass>
struct TagOf {
  using type = tag_t;
  static constexpr Shape shape = Shape::Tag;
  static constexpr const char* typeName = JournalClass.s;
  static constexpr const char* printedClass = PrintedClass.s;
  static JAM_type_class_s* Handle(const UnitState& u) { return static_cast<JAM_type_class_s*>(u.Find(typeName)); }
  static void In(const type* v, const char* name, const UnitState& u) { JAM_in_tag(Handle(u), v, name); }
  static void Result(type* v, const char* name, const UnitState& u) { JAM_result_tag(Handle(u), v, name); }
};

// A host structure ("Point3d", "Matrix3x3") of doubles; it crosses by address:
// a getter fills the caller's, a setter reads the caller's. Components names
// its components in order, as the test print names them.
template <class S, Name StructName, const auto& Components>
struct Struct {
  using type = S;
  using inType = const S*;
  static constexpr Shape shape = Shape::Struct;
  static constexpr const char* typeName = StructName.s;
  static constexpr const auto& components = Components;
  static_assert(sizeof(S) == sizeof(double) * std::size(Components), "a structure of doubles only");
  static JAM_type_struct_s* Handle(const UnitState& u) { return static_cast<JAM_type_struct_s*>(u.Find(typeName)); }
  static void In(const S* const* v, const char* name, const UnitState& u) { JAM_in_struct(Handle(u), *v, name); }
  static void Result(S* v, const char* name, const UnitState& u) { JAM_result_struct(Handle(u), v, name); }
};

// An array of byte strings, an argument or result of a method. It crosses as
// two parameters, its count's entry (Count or ResultCount) right before it;
// the array's entry records both. A result array and its strings come from the
// host allocator and belong to the caller.
struct StringArray {
  using type = char**;
  using inType = const char**;
  static constexpr Shape shape = Shape::StringArray;
  static constexpr const char* typeName = nullptr;
  static constexpr bool isArray = true;
  static void InArray(int count, const char** values, const char* name, const UnitState&) {
    JAM_in_string_array(count, values, name);
  }
  static void ResultArray(int* count, char*** values, const char* name, const UnitState&) {
    JAM_result_string_array(count, values, name);
  }
};

// An array of host texts (UTF-8), an argument or result of a method; it
// crosses as StringArray does. A result array comes from the host allocator
// and, with every text in it, belongs to the caller.
struct TextArray {
  using type = TEXT_s**;
  using inType = const TEXT_s**;
  static constexpr Shape shape = Shape::TextArray;
  static constexpr const char* typeName = nullptr;
  static constexpr bool isArray = true;
  static void InArray(int count, const TEXT_s** values, const char* name, const UnitState&) {
    JAM_in_utf8_string_array(count, values, name);
  }
  static void ResultArray(int* count, TEXT_s*** values, const char* name, const UnitState&) {
    JAM_result_utf8_string_array(count, const_cast<const TEXT_s***>(values), name);
  }
};

// An array of host structures ("Point3d"), an argument or result of a method;
// it crosses as StringArray does. A result array is recorded as an
// out-argument; it is one block from the host allocator that the caller owns
// (none when there are no elements).
template <class Element>
struct StructArray {
  using S = typename Element::type;
  using type = S*;
  using inType = const S*;
  static constexpr Shape shape = Shape::StructArray;
  static constexpr const char* typeName = Element::typeName;
  static constexpr bool isArray = true;
  static constexpr bool recordedOut = true;
  static JAM_type_struct_s* Handle(const UnitState& u) { return static_cast<JAM_type_struct_s*>(u.Find(typeName)); }
  static void InArray(int count, const S* values, const char* name, const UnitState& u) {
    JAM_in_struct_array(Handle(u), count, values, name);
  }
  static void ResultArray(int* count, S** values, const char* name, const UnitState& u) {
    JAM_out_struct_array(Handle(u), count, values, name);
  }
};

// An array of doubles, an argument of a method; it crosses as StringArray
// does. The caller keeps its array.
struct DoubleArray {
  using type = double*;
  using inType = const double*;
  static constexpr Shape shape = Shape::DoubleArray;
  static constexpr const char* typeName = nullptr;
  static constexpr bool isArray = true;
  static void InArray(int count, const double* values, const char* name, const UnitState&) {
    JAM_in_double_array(count, values, name);
  }
};

// A value recorded and printed under names of its own rather than the
// member's ("filename" for both points files of a class).
template <class V, Name JournalName, Name PrintName>
struct NamedAs : V {
  static constexpr const char* journalName = JournalName.s;
  static constexpr const char* printName = PrintName.s;
};

// ---- method bodies, shared by shape ------------------------------------------------
// A body that gets or sets one field is one function per value type and field
// place: every class whose member has that shape uses the same body.

template <std::uint32_t Place>
struct Field {
  template <class T>
  static T& At(OM::Object* object) {
    return *reinterpret_cast<T*>(reinterpret_cast<char*>(object) + Place);
  }
  template <class T>
  static int Get(OM::Object* object, T* result) {
    if constexpr (std::is_same_v<T, char*>) {
      // The journal and the caller get a copy, never the builder's own text.
      const char* text = At<char*>(object);
      *result = text != nullptr ? SM_string_copy(text) : nullptr;
    } else {
      *result = At<T>(object);
    }
    return 0;
  }
  template <class T>
  static int Set(OM::Object* object, T value) {
    static_assert(!std::is_pointer_v<T>, "references are set through the builder's own operations");
    OM::LogForWrite(object);
    At<T>(object) = value;
    return 0;
  }
};

// A body that forwards to one of the builder's own get or set operations.
template <auto Operation>
struct Op;
template <class C, class R, R (C::*GetOperation)() const>
  requires(!std::is_same_v<R, const char*>)  // a lent text, below
struct Op<GetOperation> {
  template <class T>
  static int Get(OM::Object* object, T* result) {
    *result = static_cast<T>((static_cast<C*>(object)->*GetOperation)());
    return 0;
  }
};
// A builder operation that lends its own text: the journal and the caller get a copy.
template <class C, const char* (C::*GetOperation)() const>
struct Op<GetOperation> {
  template <class T>
  static int Get(OM::Object* object, T* result) {
    static_assert(std::is_same_v<T, char*>, "a lent text is read as a string");
    *result = SM_string_copy((static_cast<C*>(object)->*GetOperation)());
    return 0;
  }
};
template <class C, class A, void (C::*SetOperation)(A)>
  requires(!std::is_same_v<A, const double*>)  // a structure's set, below
struct Op<SetOperation> {
  template <class T>
  static int Set(OM::Object* object, T value) {
    (static_cast<C*>(object)->*SetOperation)(static_cast<A>(value));
    return 0;
  }
};

// A structure body: the builder's operation fills or reads an array of
// doubles; the structure is copied as it is, nothing converted.
template <class C, void (C::*GetOperation)(double*) const>
struct Op<GetOperation> {
  template <class T>
  static int Get(OM::Object* object, T* result) {
    double values[sizeof(T) / sizeof(double)] = {};
    static_assert(sizeof values == sizeof(T));
    (static_cast<C*>(object)->*GetOperation)(values);
    std::memcpy(static_cast<void*>(result), values, sizeof values);
    return 0;
  }
};
template <class C, void (C::*SetOperation)(const double*)>
struct Op<SetOperation> {
  template <class T>
  static int Set(OM::Object* object, const T* value) {
    double values[sizeof(T) / sizeof(double)];
    static_assert(sizeof values == sizeof(T));
    std::memcpy(values, static_cast<const void*>(value), sizeof values);
    (static_cast<C*>(object)->*SetOperation)(values);
    return 0;
  }
};

// A body written by hand for one member, where the rule is more than one field
// or operation: a free function of the builder and the value (a set) or the
// builder and the result pointer (a get), returning its status.
template <class F>
struct BodyBuilderOf;
template <class C, class A>
struct BodyBuilderOf<int (*)(C*, A)> {
  using type = C;
  using argument = A;
};
template <auto Function>
struct Body {
  using Builder = typename BodyBuilderOf<decltype(Function)>::type;
  using Argument = typename BodyBuilderOf<decltype(Function)>::argument;
  template <class T>
  static int Get(OM::Object* object, T* result) {
    return Function(static_cast<Builder*>(object), result);
  }
  // An enumeration crosses as its int; the body may take the builder's own enum type.
  template <class T>
  static int Set(OM::Object* object, T value) {
    if constexpr (std::is_enum_v<Argument>)
      return Function(static_cast<Builder*>(object), static_cast<Argument>(value));
    else
      return Function(static_cast<Builder*>(object), value);
  }
};

// ---- members -----------------------------------------------------------------------

enum class Kind { Method = 0, Get = 1, Set = 2 };

// One argument of a method, as data.
struct ArgumentRecord {
  const char* name;  // journal name, as declared ("drawDiePunch")
  bool result;
  Shape shape;
  const char* typeName;
  const char* templateName;
  const char* argument;
};

// What the engine and the property owners read of a member, as data.
struct MemberRecord {
  Kind kind;
  const char* name;         // "CreateSupportCasting"
  const char* journalName;  // "createsupportcasting"
  const char* printName;    // "createSupportCasting"
  Shape shape;
  const char* typeName;     // class, template class or enumeration; null for plain values
  const char* templateName;
  const char* argument;
  int line;
  JAM_replay_fn replay;
  const ArgumentRecord* arguments = nullptr;  // methods: their arguments in declaration order
  int argumentCount = 0;
  int attributes = -1;  // the method attribute stated after opening the record; -1 none
};

template <class V>
constexpr void DescribeValue(Shape& shape, const char*& typeName, const char*& templateName, const char*& argument) {
  shape = V::shape;
  typeName = V::typeName;
  if constexpr (V::shape == Shape::TemplateObject) {
    templateName = V::templateName;
    argument = V::argument;
  }
}

template <class M>
void Replay(JAM::Call& call);

// A property written through its member, however the script reaches it (its
// journalled or its unjournalled interface, or the property system), tells
// the builder that observes the object when the write is done: a sub-builder
// whose owner asked to be told of its changes (a draw bead's start and end
// points) is a changed input of that owner, as a host object's own writes
// are. An object no owner observes tells no one, and pays for no one: the
// member's class is known here, so the observed flag is read through it
// without asking the host to cast (a cross-library cast on every scripting
// set costs more than the set).
//
// A builder a collection makes (Notes) has what it held noted before the
// first write since it read its feature or last committed: its commit writes
// only what was changed through it (Stamvik::CommitInTurn).
template <class O, class B, class T, class P, bool Notes = false>
struct WriteAndTell {
  static int Set(OM::Object* object, P value) {
    if constexpr (Notes) Stamvik::NoteBeforeSet(object);
    const int status = B::template Set<T>(object, value);
    if constexpr (std::is_base_of_v<IChildOfObservable, O>) {
      if (status == 0 && static_cast<const IChildOfObservable*>(static_cast<O*>(object))->ParentHasObservers())
        NotifyOwnerOfChange(object);
    }
    return status;
  }
};

template <class U, Kind K, Name MemberName, class V, class B, int Line, int Attributes = -1>
struct ScriptMember {
  using Unit = U;
  using Value = V;
  using T = typename V::type;
  // A structure is set by address too.
  using Param = std::conditional_t<K == Kind::Get, T*, std::conditional_t<V::shape == Shape::Struct, const T*, T>>;
  using Object = typename U::Object;
  static constexpr Kind kind = K;
  static constexpr const char* name = MemberName.s;
  static constexpr const char* journalName = [] {
    if constexpr (requires { V::journalName; })
      return V::journalName;
    else
      return kLower<MemberName>.s;
  }();
  static constexpr const char* printName = [] {
    if constexpr (requires { V::printName; })
      return V::printName;
    else
      return kLowerCamel<MemberName>.s;
  }();
  static constexpr const char* getName = kConcat<"Get", MemberName>.s;
  static constexpr int line = Line;
  static constexpr int attributes = Attributes;

  // The method body.
  static constexpr auto body = [] {
    if constexpr (K == Kind::Get)
      return &B::template Get<T>;
    else
      return &WriteAndTell<Object, B, T, Param, U::creator.method != nullptr>::Set;
  }();

  static constexpr MemberRecord record = [] {
    MemberRecord r{K, name, journalName, printName, V::shape, V::typeName, nullptr, nullptr, Line, &Replay<ScriptMember>};
    r.attributes = Attributes;
    if constexpr (V::shape == Shape::TemplateObject) {
      r.templateName = V::templateName;
      r.argument = V::argument;
    }
    return r;
  }();
};

template <class... M>
struct TypeList {
  static constexpr std::array<MemberRecord, sizeof...(M)> records{M::record...};
  template <class F>
  static void ForEach(F&& f) {
    (f.template operator()<M>(), ...);
  }
};
// The member tables expand to TypeList<void, first, second, ...>.
template <class... M>
struct TypeList<void, M...> : TypeList<M...> {};

// ---- methods ------------------------------------------------------------------------------
// A method's row names its signature: how the object is passed, its method
// attribute (-1: none stated) and its arguments in declaration order, each an
// in-argument or a result with its value type and journal name.

STAMVIK_API int HandleJournalledError(const std::exception& caught, const char* source, int line);
STAMVIK_API int HandleUnrecordedError(const std::exception& caught, const char* source, int line);

struct ByPointer {};
struct ByTag {};

// How an in-argument is passed: its value, or a text as const char*.
template <class V>
struct InParamOf {
  using type = typename V::type;
};
template <class V>
  requires requires { typename V::inType; }
struct InParamOf<V> {
  using type = typename V::inType;
};
template <class V>
using InParam = typename InParamOf<V>::type;

template <class V, Name ArgumentName>
struct In {
  using Value = V;
  using param = InParam<V>;
  static constexpr bool result = false;
  static constexpr bool count = false;
  static constexpr const char* name = ArgumentName.s;
};
template <class V, Name ArgumentName>
struct Result {
  using Value = V;
  using param = typename V::type*;
  static constexpr bool result = true;
  static constexpr bool count = false;
  static constexpr const char* name = ArgumentName.s;
};
// The count of the array that follows it, named as the array: recorded with
// the array, not on its own.
template <Name ArrayName>
struct Count {
  using Value = Integer;
  using param = int;
  static constexpr bool result = false;
  static constexpr bool count = true;
  static constexpr const char* name = ArrayName.s;
};
template <Name ArrayName>
struct ResultCount {
  using Value = Integer;
  using param = int*;
  static constexpr bool result = true;
  static constexpr bool count = true;
  static constexpr const char* name = ArrayName.s;
};
template <class V>
inline constexpr bool kIsArray = requires { requires V::isArray; };

template <class By, int Attributes, class... A>
struct Signature {
  using Arguments = std::tuple<A...>;
  static constexpr bool byTag = std::is_same_v<By, ByTag>;
  static constexpr int attributes = Attributes;
  static constexpr std::size_t arity = sizeof...(A);
  // The type of a method body taking these arguments: it tells the forms of
  // an overloaded body apart.
  template <class Object>
  using Body = int (*)(std::conditional_t<byTag, tag_t, Object*>, typename A::param...);
  static constexpr std::array<ArgumentRecord, sizeof...(A)> records = [] {
    std::array<ArgumentRecord, sizeof...(A)> r{};
    std::size_t i = 0;
    ((r[i] = ArgumentRecord{A::name, A::result, {}, nullptr, nullptr, nullptr},
      DescribeValue<typename A::Value>(r[i].shape, r[i].typeName, r[i].templateName, r[i].argument), ++i),
     ...);
    return r;
  }();
};

template <class M, class Arguments>
struct MethodFrame;

template <class M, class... A>
struct MethodFrame<M, std::tuple<A...>> {
  using U = typename M::Unit;
  using Self = typename M::Self;

  template <std::size_t... I>
  static void Record(std::tuple<typename A::param...>& copies, std::index_sequence<I...>) {
    (
        [&] {
          using Arg = std::tuple_element_t<I, std::tuple<A...>>;
          if constexpr (Arg::count) {
            // Recorded with its array.
          } else if constexpr (kIsArray<typename Arg::Value>) {
            static_assert(I > 0, "an array's count comes right before it");
            if constexpr (I > 0) {
              static_assert(std::tuple_element_t<I - 1, std::tuple<A...>>::count, "an array's count comes right before it");
              if constexpr (Arg::result)
                Arg::Value::ResultArray(std::get<I - 1>(copies), std::get<I>(copies), Arg::name, U::state);
              else
                Arg::Value::InArray(std::get<I - 1>(copies), std::get<I>(copies), Arg::name, U::state);
            }
          } else if constexpr (Arg::result) {
            Arg::Value::Result(std::get<I>(copies), Arg::name, U::state);
          } else {
            Arg::Value::In(&std::get<I>(copies), Arg::name, U::state);
          }
        }(),
        ...);
  }
  template <std::size_t... I>
  static void Associate(std::tuple<typename A::param...>& copies, std::index_sequence<I...>) {
    (
        [&] {
          using Arg = std::tuple_element_t<I, std::tuple<A...>>;
          if constexpr (Arg::result && Arg::Value::shape == Shape::TemplateObject)
            JAM_AssociateTemplateTypeClass(*std::get<I>(copies), Arg::Value::Handle(U::state));
        }(),
        ...);
  }

  // The journalled body of a method.
  static int Journalled(Self self, typename A::param... arguments) {
    if (!U::state.setUp) {
      try {
        U::initialize();
      } catch (const std::exception& e) {
        return HandleUnrecordedError(e, U::source, M::line);
      }
    }
    int status = 0;
    bool opened = false;
    try {
      std::tuple<typename A::param...> copies(arguments...);
      JAM_start_call(U::state.self, M::name, &Replay);
      opened = true;
      if constexpr (M::Signature::attributes >= 0) JAM_set_method_attributes(M::Signature::attributes);
      if constexpr (M::Signature::byTag)
        JAM_this(self);
      else
        JAM_this_ptr(self);
      Record(copies, std::index_sequence_for<A...>{});
      JAM_end_of_arguments();
      status = std::apply([&](auto... values) { return M::body(self, values...); }, copies);
      Associate(copies, std::index_sequence_for<A...>{});
    } catch (const std::exception& e) {
      return opened ? HandleJournalledError(e, U::source, M::line) : HandleUnrecordedError(e, U::source, M::line);
    }
    JAM_end_call(status);
    return status;
  }

  // The call record's slot of argument I: an array and its count share one.
  template <std::size_t I>
  static constexpr int SlotOf() {
    constexpr bool counts[] = {A::count..., false};
    int slot = 0;
    for (std::size_t j = 0; j < I; ++j)
      if (!counts[j]) ++slot;
    return slot;
  }
  template <std::size_t I>
  static auto FromCall(JAM::Call& call) {
    using Arg = std::tuple_element_t<I, std::tuple<A...>>;
    constexpr int slot = SlotOf<I>();
    if constexpr (Arg::count && Arg::result) {
      return static_cast<int*>(call.Argument(slot));
    } else if constexpr (Arg::count) {
      // A recorded length below 0 passes no element, never reads past the array.
      const int* recorded = static_cast<const int*>(call.Argument(slot));
      return recorded != nullptr && *recorded > 0 ? *recorded : 0;
    } else if constexpr (kIsArray<typename Arg::Value> && Arg::result) {
      return static_cast<typename Arg::param>(call.ArrayAddress(slot));
    } else if constexpr (kIsArray<typename Arg::Value>) {
      void** elements = static_cast<void**>(call.ArrayAddress(slot));
      return static_cast<typename Arg::param>(elements != nullptr ? *elements : nullptr);
    } else if constexpr (Arg::result || Arg::Value::shape == Shape::Struct) {
      // A result's storage, or a structure's recorded values: passed by address.
      return static_cast<typename Arg::param>(call.Argument(slot));
    } else {
      return *static_cast<typename Arg::param*>(call.Argument(slot));
    }
  }
  template <std::size_t... I>
  static int ReplayWith(JAM::Call& call, Self self, std::index_sequence<I...>) {
    return Journalled(self, FromCall<I>(call)...);
  }
  static void Replay(JAM::Call& call) {
    Self self;
    if constexpr (M::Signature::byTag)
      self = call.Tag();
    else
      self = static_cast<Self>(call.Object());
    call.SetStatus(ReplayWith(call, self, std::index_sequence_for<A...>{}));
  }
};

// A method body of a builder a collection makes, its values noted before it
// runs, as a set's are (WriteAndTell).
template <auto F>
struct NotedBody;
template <class R, class O, class... P, R (*F)(O*, P...)>
struct NotedBody<F> {
  static R Call(O* object, P... arguments) {
    Stamvik::NoteBeforeSet(object);
    return F(object, arguments...);
  }
};
constexpr bool NamesAGet(const char* name) { return name[0] == 'G' && name[1] == 'e' && name[2] == 't'; }

template <class U, Name MethodName, class Sig, auto Body, int Line>
struct ScriptMethod {
  using Unit = U;
  using Signature = Sig;
  using Object = typename U::Object;
  using Self = std::conditional_t<Sig::byTag, tag_t, Object*>;
  using Frame = MethodFrame<ScriptMethod, typename Sig::Arguments>;
  template <std::size_t I>
  using Param = typename std::tuple_element_t<I, typename Sig::Arguments>::param;
  static constexpr Kind kind = Kind::Method;
  static constexpr const char* name = MethodName.s;
  static constexpr int line = Line;
  static constexpr auto body = [] {
    if constexpr (!Sig::byTag && U::creator.method != nullptr && !NamesAGet(MethodName.s))
      return &NotedBody<Body>::Call;
    else
      return Body;
  }();
  static constexpr MemberRecord record{Kind::Method, name,    name, name, Shape::Integer, nullptr, nullptr,
                                       nullptr,      Line,    &Frame::Replay, Sig::records.data(),
                                       static_cast<int>(Sig::arity)};
};

// ---- description of a class beyond its members --------------------------------------

struct EnumDescription {
  const char* name;                // "Die.ClampingSlotBuilder.Types"
  std::array<const char*, 16> members;  // numbered from 0, up to the first null
  // The number a value naming no member is refused with; 0: the unit's.
  int unknownMember = 0;
};
struct DefaultRow {
  const char* path;   // "ReliefDepth.Value"
  const char* millimetre;
  const char* inch;   // null: the same as the millimetre text
};
struct Creator {
  const char* collection;
  const char* method;
};
// The registry look-ups of a class set-up, after its dependencies; a class
// whose Part states another order than the general one gives its own.
// ClassesAndTemplates: the classes and the template classes in one ASCII run,
// for a class whose Part lists them so.
enum class SetUpStep { Classes, Templates, Enumerations, Structures, EnumerationMembers, ClassesAndTemplates };
inline constexpr std::array<SetUpStep, 5> kGeneralSetUpOrder{SetUpStep::Classes, SetUpStep::Templates,
                                                             SetUpStep::Enumerations, SetUpStep::Structures,
                                                             SetUpStep::EnumerationMembers};
// The location, direction and plane sub-builders give each enumeration its
// members before they look up the structures.
inline constexpr std::array<SetUpStep, 5> kMembersBeforeStructuresSetUpOrder{
    SetUpStep::Classes, SetUpStep::Templates, SetUpStep::Enumerations, SetUpStep::EnumerationMembers,
    SetUpStep::Structures};

// What a unit leaves out, it has none of.
struct UnitDefaults {
  // The numbers its builders' inputs are refused with: the die catalogue's.
  static constexpr Stamvik::InputRefusals inputRefusals{Messages::kUnknownMember, Messages::kSelectedObjectGone,
                                                        Messages::kSelectedBuilder, Messages::kSelectedOwnFeature};
  static constexpr std::array<const char*, 0> dependencies{};
  static constexpr std::array<EnumDescription, 0> enums{};
  static constexpr std::array<DefaultRow, 0> defaults{};
  static constexpr Creator creator{nullptr, nullptr};
  static constexpr bool componentBuilder = false;
  // Template classes the class looks up in an order of its own, first and in
  // this order; the others follow in ASCII order.
  static constexpr std::array<const char*, 0> templateOrder{};
  // Classes and template classes that the ClassesAndTemplates step looks up
  // first, in this order, where a class lists its look-ups otherwise than in
  // ASCII order; the others follow in ASCII order.
  static constexpr std::array<const char*, 0> lookUpOrder{};
  // A defaults function with no rows that still visits the builder's sub-objects.
  static constexpr bool defaultsVisitOnly = false;
  static constexpr auto setUpOrder = kGeneralSetUpOrder;
  // Whether the set-up looks its parent class up with the classes its members name.
  static constexpr bool parentLookedUp = true;
  // Classes the set-up looks up beyond those its members and its parent name.
  static constexpr std::array<const char*, 0> extraClasses{};
};

// A collection: the part seen as the object that creates builders for
// scripts. Every member takes it by tag; its parent is not looked up and it
// has no defaults.
struct CollectionDefaults : UnitDefaults {
  using Object = PART_part;
  static constexpr const char* parent = "TaggedObjectCollection";
  static constexpr bool parentLookedUp = false;
  static constexpr void (*setDefaults)(tag_t, bool) = nullptr;
};

// ---- error conversion, guard ---------------------------------------------------------

// The handler of a journalled body: closes the record with the error's number
// and returns it, or raises the error again when the journaling layer claims it.
STAMVIK_API int HandleJournalledError(const std::exception& caught, const char* source, int line);
// The handler of an error raised before the call's record was open (the
// unit's set-up, or the opening itself): the error is handed back as the
// body's would be and its number returned; no record is closed, since none of
// the call's is open (one that is belongs to an outer call).
STAMVIK_API int HandleUnrecordedError(const std::exception& caught, const char* source, int line);
// The handler of a test print's own getter call (mode 0, never claimed).
STAMVIK_API int HandlePrintError(const std::exception& caught, const char* source, int line);

// Runs call(context) under the guard of an export: a processor fault or an
// exception that leaves the call goes to the host's fault filter; verdict 1
// answers 65, any other verdict passes it on to the caller.
STAMVIK_API int Guarded(int (*call)(void*), void* context);

template <auto Body, class... A>
int Guard(A... args) {
  std::tuple<A...> packed(args...);
  return Guarded([](void* p) -> int { return std::apply(Body, *static_cast<std::tuple<A...>*>(p)); }, &packed);
}

// ---- the journalled body -------------------------------------------------------------

template <class M>
int Journalled(typename M::Object* object, typename M::Param p) {
  using U = typename M::Unit;
  using V = typename M::Value;
  if (!U::state.setUp) {
    try {
      U::initialize();
    } catch (const std::exception& e) {
      return HandleUnrecordedError(e, U::source, M::line);
    }
  }
  int status = 0;
  bool opened = false;
  try {
    JAM_start_property_call(U::state.self, static_cast<int>(M::kind), M::name, &Replay<M>);
    opened = true;
    if constexpr (M::attributes >= 0) JAM_set_method_attributes(M::attributes);
    JAM_this_ptr(object);
    if constexpr (M::kind == Kind::Set)
      V::In(&p, M::journalName, U::state);
    else
      V::Result(p, M::journalName, U::state);
    JAM_end_of_arguments();
    status = M::body(object, p);
    if constexpr (V::shape == Shape::TemplateObject)
      JAM_AssociateTemplateTypeClass(*p, V::Handle(U::state));
  } catch (const std::exception& e) {
    return opened ? HandleJournalledError(e, U::source, M::line) : HandleUnrecordedError(e, U::source, M::line);
  }
  JAM_end_call(status);
  return status;
}

template <class M>
void Replay(JAM::Call& call) {
  auto* object = static_cast<typename M::Object*>(call.Object());
  if constexpr (M::kind == Kind::Get) {
    call.SetStatus(Journalled<M>(object, static_cast<typename M::T*>(call.Argument(0))));
  } else {
    if constexpr (M::Value::shape == Shape::Struct)
      call.SetStatus(Journalled<M>(object, static_cast<const typename M::T*>(call.Argument(0))));
    else
      call.SetStatus(Journalled<M>(object, *static_cast<typename M::T*>(call.Argument(0))));
  }
}

// ---- class set-up, destroy -----------------------------------------------------------

namespace Detail {
inline bool ascii(const char* a, const char* b) { return std::strcmp(a, b) < 0; }
inline void sortUnique(std::vector<const char*>& names) {
  std::sort(names.begin(), names.end(), ascii);
  names.erase(std::unique(names.begin(), names.end(), [](const char* a, const char* b) { return std::strcmp(a, b) == 0; }),
              names.end());
}
}  // namespace Detail

template <class U, class Members>
void InitializeClass() {
  UnitState& s = U::state;
  if (s.setUp) return;
  s.setUp = true;
  try {
    std::vector<const char*> dependencies(U::dependencies.begin(), U::dependencies.end());
    Detail::sortUnique(dependencies);
    for (const char* name : dependencies) JAM::FileInitializer::Initialize(name);

    struct TemplateUse {
      const char* name;
      const char* templateName;
      const char* argument;
    };
    std::vector<const char*> classes;
    if (U::parentLookedUp) classes.push_back(U::parent);
    std::vector<TemplateUse> templates;
    std::vector<const MemberRecord*> accessors;
    std::vector<const char*> structs;
    auto uses = [&](Shape shape, const char* typeName, const char* templateName, const char* argument) {
      if (shape == Shape::Object || shape == Shape::Tag) classes.push_back(typeName);
      if (shape == Shape::TemplateObject &&
          std::none_of(templates.begin(), templates.end(),
                       [&](const TemplateUse& t) { return std::strcmp(t.name, typeName) == 0; }))
        templates.push_back({typeName, templateName, argument});
      if (shape == Shape::Struct || shape == Shape::StructArray) structs.push_back(typeName);
    };
    for (const MemberRecord& m : Members::records) {
      if (m.kind == Kind::Method) {
        for (int i = 0; i < m.argumentCount; ++i)
          uses(m.arguments[i].shape, m.arguments[i].typeName, m.arguments[i].templateName, m.arguments[i].argument);
        continue;
      }
      uses(m.shape, m.typeName, m.templateName, m.argument);
      if (m.kind == Kind::Get &&
          (m.shape == Shape::Object || m.shape == Shape::TemplateObject || m.shape == Shape::Tag))
        accessors.push_back(&m);
    }
    if (U::componentBuilder) classes.push_back("GeometricUtilities.IComponentBuilder");
    classes.insert(classes.end(), U::extraClasses.begin(), U::extraClasses.end());
    Detail::sortUnique(classes);

    auto rank = [](const char* name) {
      std::size_t i = 0;
      while (i < U::templateOrder.size() && std::strcmp(U::templateOrder[i], name) != 0) ++i;
      return i;
    };
    std::sort(templates.begin(), templates.end(), [&](const TemplateUse& a, const TemplateUse& b) {
      std::size_t ra = rank(a.name), rb = rank(b.name);
      return ra != rb ? ra < rb : Detail::ascii(a.name, b.name);
    });
    Detail::sortUnique(structs);

    for (SetUpStep step : U::setUpOrder) {
      switch (step) {
        case SetUpStep::Classes:
          for (const char* name : classes) s.Put(name, JAM_lookup_or_create_class(name));
          break;
        case SetUpStep::Templates:
          for (const TemplateUse& t : templates)
            s.Put(t.name, JAM_lookup_or_create_template_class(t.name, t.templateName, t.argument));
          break;
        case SetUpStep::ClassesAndTemplates: {
          // One run: the names the unit lists first, in its order, then the
          // others in ASCII order.
          auto listed = [](const char* name) {
            std::size_t i = 0;
            while (i < U::lookUpOrder.size() && std::strcmp(U::lookUpOrder[i], name) != 0) ++i;
            return i;
          };
          std::vector<const TemplateUse*> run;  // a class is a use without a template
          std::vector<TemplateUse> classUses;
          for (const char* name : classes) classUses.push_back({name, nullptr, nullptr});
          for (const TemplateUse& c : classUses) run.push_back(&c);
          for (const TemplateUse& t : templates) run.push_back(&t);
          std::stable_sort(run.begin(), run.end(), [&](const TemplateUse* a, const TemplateUse* b) {
            std::size_t ra = listed(a->name), rb = listed(b->name);
            return ra != rb ? ra < rb : Detail::ascii(a->name, b->name);
          });
          for (const TemplateUse* u : run)
            s.Put(u->name, u->templateName == nullptr
                               ? static_cast<void*>(JAM_lookup_or_create_class(u->name))
                               : static_cast<void*>(JAM_lookup_or_create_template_class(u->name, u->templateName,
                                                                                        u->argument)));
          break;
        }
        case SetUpStep::Enumerations:
          for (const EnumDescription& e : U::enums) s.Put(e.name, JAM_lookup_or_create_enum(e.name, 4));
          break;
        case SetUpStep::Structures:
          for (const char* name : structs) s.Put(name, JAM_lookup_struct(name));
          break;
        case SetUpStep::EnumerationMembers:
          for (const EnumDescription& e : U::enums) {
            auto* handle = static_cast<JAM_type_enum_s*>(s.Find(e.name));
            for (int value = 0; value < static_cast<int>(e.members.size()) && e.members[static_cast<std::size_t>(value)] != nullptr; ++value)
              JAM_add_enum_member(handle, e.members[static_cast<std::size_t>(value)], value);
          }
          break;
      }
    }

    s.self = JAM_create_class(U::journalClass, U::parent);
    JAM_test_register_print_fn(U::journalClass, U::testPrint);
    if constexpr (U::defaults.size() != 0 || U::defaultsVisitOnly)
      JAM_register_initialisation_function(U::journalClass, U::setDefaults);

    std::sort(accessors.begin(), accessors.end(),
              [](const MemberRecord* a, const MemberRecord* b) { return Detail::ascii(a->name, b->name); });
    for (const MemberRecord* a : accessors) {
      if (a->shape == Shape::Tag)
        JAM_declare_tag_property_accessor(s.self, a->name, a->replay, 0, false);
      else
        JAM_declare_ptr_property_accessor(s.self, a->name, a->replay, 0, true);
    }
    if (U::componentBuilder) JAM_add_interface(s.self, "GeometricUtilities.IComponentBuilder");
  } catch (...) {
    // Not done: the next call runs the set-up again instead of finding handles missing.
    s.Clear();
    throw;
  }
}

template <class U>
void DestroyClass() {
  JAM_destroy_class(U::journalClass, U::parent);
}

// ---- test print ----------------------------------------------------------------------

// The object of a tag the printer reads itself; a tag of no object raises the
// host's bad-object error rather than handing the body a null object.
STAMVIK_API OM::Object* PrintObject(tag_t tag);

// One readable property of the test print, by its value kind.
template <class U, class M>
void PrintProperty(tag_t tag) {
  using V = typename M::Value;
  if constexpr (V::shape == Shape::Object) {
    if constexpr (SameText(V::typeName, "Expression")) {
      // The printer reads an expression itself, so an error is printed against its getter.
      JAM_test_print_method_start(M::getName);
      int status = 0;
      typename M::T expression = nullptr;
      try {
        status = M::body(PrintObject(tag), &expression);
      } catch (const std::exception& e) {
        status = HandlePrintError(e, U::source, M::line);
      }
      if (status == 0 && expression != nullptr && JAM::Autotest::m_objectDetails == 1)
        JAM_test_print_param_object(expression->ask_tag(), M::printName, "Expression", 0);
      else if (status == 0)
        JAM_test_print_param_ptr(expression, M::printName, "Expression", 0);
      if (status != 0) JAM_test_print_error(M::getName, status);
      JAM_test_print_method_end(M::getName);
    }
    // Selections, sections, collectors and sub-builders are not printed.
  } else if constexpr (V::shape == Shape::Struct) {
    // Filled by the body into a local structure, then printed component by component.
    JAM_test_print_method_start(M::getName);
    int status = 0;
    typename M::T value{};
    try {
      status = M::body(PrintObject(tag), &value);
    } catch (const std::exception& e) {
      status = HandlePrintError(e, U::source, M::line);
    }
    if (status == 0) {
      double components[std::size(V::components)];
      std::memcpy(components, static_cast<const void*>(&value), sizeof components);
      JAM_test_print_struct_start(V::typeName, 0);
      for (std::size_t i = 0; i < std::size(V::components); ++i)
        JAM_test_print_param_double(components[i], V::components[i], 2);
      JAM_test_print_struct_end(V::typeName, 0);
    } else {
      JAM_test_print_error(M::getName, status);
    }
    JAM_test_print_method_end(M::getName);
  } else if constexpr (V::shape == Shape::Tag) {
    JAM_test_print_object_prop(M::getName, tag, M::body, M::printName, V::printedClass);
  } else if constexpr (V::shape == Shape::Logical) {
    JAM_test_print_logical_prop(M::getName, tag, M::body, M::printName);
  } else if constexpr (V::shape == Shape::Integer) {
    JAM_test_print_int_prop(M::getName, tag, M::body, M::printName);
  } else if constexpr (V::shape == Shape::Double) {
    JAM_test_print_double_prop(M::getName, tag, M::body, M::printName);
  } else if constexpr (V::shape == Shape::String) {
    JAM_test_print_string_prop(M::getName, tag, M::body, M::printName);
  } else if constexpr (V::shape == Shape::Text) {
    JAM_test_print_text_prop(M::getName, tag, M::body, M::printName);
  } else if constexpr (V::shape == Shape::Enum) {
    JAM_test_print_enum_prop(M::getName, tag, M::body, V::Handle(U::state), ShortName(V::typeName), M::printName);
  }
}

template <class U, class Members>
void TestPrint(const tag_t* tagPointer, const char* tagName, int level) {
  tag_t tag = *tagPointer;
  if (tagName != nullptr) JAM_test_print_tag_start(tag, tagName, level);
  if (JAM::Autotest::APIPrintEnabled(U::journalClass)) {
    Members::ForEach([&]<class M>() {
      if constexpr (M::kind == Kind::Get) PrintProperty<U, M>(tag);
    });
    if (JAM::Autotest::m_subobjectNesting == 1) JAM_test_print_subobjects_of_object(tagPointer, tagName, 0);
    JAM_test_print_tag_of_class(tag, ShortName(U::parent), nullptr, 0);
    if (U::componentBuilder) JAM_test_print_tag_of_class(tag, "GeometricUtilities.IComponentBuilder", nullptr, 0);
  }
  JAM_test_print_call_custom_print_fn(tagPointer, tagName, U::journalClass);
  if (tagName != nullptr) JAM_test_print_tag_end(tagName, level);
}

// ---- scripting defaults ---------------------------------------------------------------

STAMVIK_API OM::Object* DefaultsObject(const char* source, int line, tag_t tag);
STAMVIK_API int WorkPartUnitCode();

template <class U>
void SetDefaults(tag_t tag, bool apply) {
  OM::Object* object = DefaultsObject(U::source, U::defaultsLine, tag);
  // A builder under "Builder" takes its defaults as a feature builder does.
  constexpr bool featureBuilder =
      std::is_base_of_v<JAX_FEAT_BUILDER, typename U::Object> || SameText(U::parent, "Builder");
  auto* builder = static_cast<typename U::Object*>(object);

  // Set for the whole run; cleared again however the run ends.
  struct InProgress {
    JAX_BASE_BUILDER* builder;
    explicit InProgress(JAX_BASE_BUILDER* b) : builder(b) {
      OM::LogForWrite(builder);
      builder->SetDefaultsInProgress(true);
    }
    ~InProgress() {
      OM::LogForWrite(builder);
      builder->SetDefaultsInProgress(false);
    }
  };

  auto write = [&] {
    // No rows: nothing is set and the journal is not paused.
    if constexpr (U::defaults.size() == 0) return;
    int unitCode = WorkPartUnitCode();
    std::vector<const DefaultRow*> rows;
    for (const DefaultRow& row : U::defaults) rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [](const DefaultRow* a, const DefaultRow* b) { return Detail::ascii(a->path, b->path); });
    JAM::JournalPauser pause;
    for (const DefaultRow* row : rows)
      JAM_set_named_attribute_value(builder, row->path,
                                    unitCode == 1 && row->inch != nullptr ? row->inch : row->millimetre);
  };

  if constexpr (featureBuilder) {
    if (!apply) apply = builder->needs_defaults();
    InProgress inProgress(builder);
    JAM_traverse_builder_objects(U::state.self, tag, apply);
    if (apply) write();
  } else {
    if (apply) write();
  }
}

// A unit's defaults function: SetDefaults where the description has
// defaults or visits its sub-objects, otherwise never registered and empty.
template <class U>
void SetDefaultsWhereDescribed(tag_t tag, bool apply) {
  if constexpr (U::defaults.size() != 0 || U::defaultsVisitOnly) SetDefaults<U>(tag, apply);
}

// ---- inputs no builder is committed with ------------------------------------------------

// The number of members of an enumeration the unit describes (0 for none).
template <class U>
constexpr int EnumMemberCount(const char* enumName) {
  for (const EnumDescription& e : U::enums) {
    if (!SameText(e.name, enumName)) continue;
    int count = 0;
    while (count < static_cast<int>(e.members.size()) && e.members[static_cast<std::size_t>(count)] != nullptr) ++count;
    return count;
  }
  return 0;
}
// The number a value of the enumeration naming no member is refused with.
template <class U>
constexpr int UnknownMemberNumber(const char* enumName) {
  for (const EnumDescription& e : U::enums)
    if (SameText(e.name, enumName) && e.unknownMember != 0) return e.unknownMember;
  return U::inputRefusals.unknownMember;
}
template <class U>
constexpr bool NamesAMember(const char* enumName, int value) {
  return value >= 0 && value < EnumMemberCount<U>(enumName);
}

// The check of one object of a described class: each enumerated property
// read through its getter names a member, and each object it holds passes
// (selected objects can serve, sub-builders pass their own class's check),
// in declaration order; 0, or the first refusal's number.
template <class U, class Members>
int CheckInputs(const JAX_BASE_BUILDER* validated, OM::Object* object, int depth) {
  int status = 0;
  Members::ForEach([&]<class M>() {
    if constexpr (M::kind == Kind::Get) {
      using V = typename M::Value;
      if (status != 0) return;
      if constexpr (V::shape == Shape::Enum) {
        static_assert(EnumMemberCount<U>(V::typeName) > 0, "the unit describes no members for this enumeration");
        int value = 0;
        if (M::body(object, &value) == 0 && !NamesAMember<U>(V::typeName, value))
          status = UnknownMemberNumber<U>(V::typeName);
      } else if constexpr (V::shape == Shape::Object || V::shape == Shape::TemplateObject) {
        using Held = std::remove_pointer_t<typename M::T>;
        static_assert(!(std::is_base_of_v<SELECT_OBJECT, Held> || std::is_base_of_v<SELECT_OBJECT_list, Held> ||
                        std::is_base_of_v<SC_collector, Held>) ||
                          (U::inputRefusals.objectGone != 0 && U::inputRefusals.notAModelObject != 0 &&
                           U::inputRefusals.ownFeature != 0),
                      "a class that holds selections refuses unfit objects with numbers of its own");
        typename M::T held = nullptr;
        if (M::body(object, &held) == 0 && held != nullptr)
          status = Stamvik::CheckHeld(validated, held, U::inputRefusals, depth);
      }
    }
  });
  return status;
}

// The class's check, registered where its builders' validation finds it.
template <class U, class Members>
void RegisterInputs() {
  if constexpr (std::is_base_of_v<JAX_BASE_BUILDER, typename U::Object>)
    Stamvik::RegisterInputCheck(&U::Object::ThisClassId, &CheckInputs<U, Members>);
}

// ---- plain members: what a commit compares and takes -------------------------------------
// Every member read and set by value, with a getter and a setter of the same
// name: its value as bytes, and written back through its setter's body.

template <class V>
inline constexpr bool kPlainValue = V::shape == Shape::Logical || V::shape == Shape::Integer ||
                                    V::shape == Shape::Double || V::shape == Shape::Enum || V::shape == Shape::Tag ||
                                    V::shape == Shape::String || V::shape == Shape::Text || V::shape == Shape::Struct;

template <class G>
std::string ReadPlain(OM::Object* object) {
  using T = typename G::T;
  constexpr Shape shape = G::Value::shape;
  if constexpr (shape == Shape::String) {
    char* text = nullptr;
    if (G::body(object, &text) != 0) throw std::runtime_error("unread");
    std::string value = text != nullptr ? std::string(1, '\1') + text : std::string();
    if (text != nullptr) SM_free(text);
    return value;
  } else if constexpr (shape == Shape::Text) {
    TEXT_s* text = nullptr;
    if (G::body(object, &text) != 0) throw std::runtime_error("unread");
    std::string value = text != nullptr ? std::string(1, '\1') + TEXT_ask_utf8(text) : std::string();
    if (text != nullptr) TEXT_free(text);
    return value;
  } else {
    T value{};
    if (G::body(object, &value) != 0) throw std::runtime_error("unread");
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
  }
}

template <class S>
bool WritePlain(OM::Object* object, const std::string& bytes) {
  using T = typename S::T;
  constexpr Shape shape = S::Value::shape;
  if constexpr (shape == Shape::String) {
    std::string text = bytes.empty() ? std::string() : bytes.substr(1);
    return S::body(object, bytes.empty() ? nullptr : text.data()) == 0;
  } else if constexpr (shape == Shape::Text) {
    TEXT_s* text = bytes.empty() ? nullptr : TEXT_create_string(bytes.c_str() + 1);
    int status = 0;
    try {
      status = S::body(object, text);
    } catch (...) {
      if (text != nullptr) TEXT_free(text);
      throw;
    }
    if (text != nullptr) TEXT_free(text);
    return status == 0;
  } else {
    if (bytes.size() != sizeof(T)) return false;
    T value{};
    std::memcpy(static_cast<void*>(&value), bytes.data(), sizeof value);
    if constexpr (shape == Shape::Struct)
      return S::body(object, &value) == 0;
    else
      return S::body(object, value) == 0;
  }
}

// An array a pair of methods gets and sets ("GetDetails", "SetDetails"):
// its count and elements as bytes, and set back from them.
template <class V>
inline constexpr bool kPlainArray =
    V::shape == Shape::TextArray || V::shape == Shape::StringArray || V::shape == Shape::StructArray;

inline void AppendSized(std::string& to, const char* text, std::size_t size) {
  to.append(reinterpret_cast<const char*>(&size), sizeof size);
  to.append(text, size);
}
inline std::vector<std::string> SplitSized(const std::string& from) {
  std::vector<std::string> parts;
  for (std::size_t at = 0; at + sizeof(std::size_t) <= from.size();) {
    std::size_t size = 0;
    std::memcpy(&size, from.data() + at, sizeof size);
    at += sizeof size;
    parts.push_back(from.substr(at, size));
    at += size;
  }
  return parts;
}

template <class G>
std::string ReadPlainArray(OM::Object* object) {
  using V = typename std::tuple_element_t<1, typename G::Signature::Arguments>::Value;
  using T = typename V::type;
  int count = 0;
  T values = nullptr;
  if (G::body(static_cast<typename G::Self>(object), &count, &values) != 0) throw std::runtime_error("unread");
  std::string bytes;
  if constexpr (V::shape == Shape::StructArray) {
    if (count > 0 && values != nullptr)
      bytes.assign(reinterpret_cast<const char*>(values), sizeof *values * static_cast<std::size_t>(count));
  } else {
    for (int i = 0; i < count && values != nullptr; ++i) {
      const char* text = nullptr;
      if constexpr (V::shape == Shape::TextArray)
        text = values[i] != nullptr ? TEXT_ask_utf8(values[i]) : "";
      else
        text = values[i] != nullptr ? values[i] : "";
      AppendSized(bytes, text, std::strlen(text));
      if constexpr (V::shape == Shape::TextArray) {
        if (values[i] != nullptr) TEXT_free(values[i]);
      } else {
        SM_free(values[i]);
      }
    }
  }
  if (values != nullptr) SM_free(values);
  return bytes;
}

template <class S>
bool WritePlainArray(OM::Object* object, const std::string& bytes) {
  using V = typename std::tuple_element_t<1, typename S::Signature::Arguments>::Value;
  auto* self = static_cast<typename S::Self>(object);
  if constexpr (V::shape == Shape::StructArray) {
    using E = std::remove_cv_t<std::remove_pointer_t<typename V::type>>;
    if (bytes.size() % sizeof(E) != 0) return false;
    std::vector<E> values(bytes.size() / sizeof(E));
    if (!values.empty()) std::memcpy(static_cast<void*>(values.data()), bytes.data(), bytes.size());
    return S::body(self, static_cast<int>(values.size()), values.empty() ? nullptr : values.data()) == 0;
  } else if constexpr (V::shape == Shape::TextArray) {
    std::vector<std::string> parts = SplitSized(bytes);
    std::vector<TEXT_s*> texts;
    for (const std::string& part : parts) texts.push_back(TEXT_create_string(part.c_str()));
    int status = 0;
    try {
      status = S::body(self, static_cast<int>(texts.size()), const_cast<const TEXT_s**>(texts.data()));
    } catch (...) {
      for (TEXT_s* text : texts) TEXT_free(text);
      throw;
    }
    for (TEXT_s* text : texts) TEXT_free(text);
    return status == 0;
  } else {
    std::vector<std::string> parts = SplitSized(bytes);
    std::vector<const char*> texts;
    for (const std::string& part : parts) texts.push_back(part.c_str());
    return S::body(self, static_cast<int>(texts.size()), texts.data()) == 0;
  }
}

// Whether a method is the set of an array ("SetX": its count and the array)
// whose get is G ("GetX": their results).
template <class S, class G>
constexpr bool ArrayPair() {
  if constexpr (S::kind != Kind::Method || G::kind != Kind::Method) {
    return false;
  } else if constexpr (S::Signature::byTag || G::Signature::byTag) {
    return false;
  } else if constexpr (S::Signature::arity != 2 || G::Signature::arity != 2) {
    return false;
  } else {
    using SA = std::tuple_element_t<1, typename S::Signature::Arguments>;
    using GA = std::tuple_element_t<1, typename G::Signature::Arguments>;
    if constexpr (!std::is_same_v<typename SA::Value, typename GA::Value> || !kIsArray<typename SA::Value>) {
      return false;
    } else {
      if constexpr (!kPlainArray<typename SA::Value> || SA::result || !GA::result) return false;
      const char* set = S::name;
      const char* get = G::name;
      return set[0] == 'S' && set[1] == 'e' && set[2] == 't' && NamesAGet(get) && SameText(set + 3, get + 3);
    }
  }
}

// A builder a collection makes: its plain members, registered where its
// commit finds them.
template <class U, class Members>
void RegisterPlainMembers() {
  if constexpr (U::creator.method != nullptr && std::is_base_of_v<JAX_BASE_BUILDER, typename U::Object>) {
    std::vector<Stamvik::PlainMember> members;
    Members::ForEach([&]<class S>() {
      if constexpr (S::kind == Kind::Set) {
        if constexpr (kPlainValue<typename S::Value>) {
          Members::ForEach([&]<class G>() {
            if constexpr (G::kind == Kind::Get) {
              if constexpr (std::is_same_v<typename G::Value, typename S::Value>) {
                if (SameText(G::name, S::name)) members.push_back({&ReadPlain<G>, &WritePlain<S>});
              }
            }
          });
        }
      } else if constexpr (S::kind == Kind::Method) {
        Members::ForEach([&]<class G>() {
          if constexpr (ArrayPair<S, G>()) members.push_back({&ReadPlainArray<G>, &WritePlainArray<S>});
        });
      }
    });
    Stamvik::RegisterPlainMembers(&U::Object::ThisClassId, members.data(), members.size());
  }
}

// ---- load-time registration -----------------------------------------------------------

template <class U>
struct Registration {
  alignas(JAM::FileInitializer) static inline unsigned char file[sizeof(JAM::FileInitializer)];
  alignas(JAM::ClassInitializer) static inline unsigned char klass[sizeof(JAM::ClassInitializer)];
  static void DestroyFile() { std::launder(reinterpret_cast<JAM::FileInitializer*>(file))->~FileInitializer(); }
  static void DestroyClass() { std::launder(reinterpret_cast<JAM::ClassInitializer*>(klass))->~ClassInitializer(); }
};

// Creator name, file initializer, class initializer; each with its exit step.
template <class U>
void LoadUnit(JAM::IJAInterface* journalled, JAM::IJAInterface* unjournalled) {
  if constexpr (U::creator.method != nullptr) JAM_register_creator_method_name(U::creator.collection, U::creator.method);
  new (Registration<U>::file) JAM::FileInitializer(U::journalClass, U::initialize, U::destroy);
  Frame::AtUnload(&Registration<U>::DestroyFile);
  if (journalled != nullptr) {
    new (Registration<U>::klass) JAM::ClassInitializer(U::journalClass, journalled, unjournalled);
    Frame::AtUnload(&Registration<U>::DestroyClass);
  }
}

}  // namespace KTX::JA

// ---- expanding a member table ------------------------------------------------------------
// A property row is X(get|set, Member, ValueType, body, line [, export member]);
// the body JA_FIELD(m_field) or JA_OPERATION(Class::Operation). A method row
// is X(methodN, Member, Signature, JA_FUNCTION(body), line [, export member])
// with N its number of arguments. The optional last column replaces the
// member in the export name where the class exports in snake case
// ("get_slot_width").

#define JA_FIELD(field) ::KTX::JA::Field<Object::field##_Place()>
#define JA_OPERATION(operation) ::KTX::JA::Op<&operation>
#define JA_BODY(function) ::KTX::JA::Body<&function>
#define JA_FUNCTION(function) &function
// One form of an overloaded method body, chosen by the row's signature.
#define JA_FUNCTION_OF(function, Sig) static_cast<Sig::Body<Object>>(&function)

#define JA_CAT_I(a, b, c, d, e) a##b##c##d##e
#define JA_CAT(a, b, c, d, e) JA_CAT_I(a, b, c, d, e)
#define JA_FIRST_I(a, ...) a
#define JA_FIRST(...) JA_FIRST_I(__VA_ARGS__, ~)
#define JA_EXPORT_MEMBER(Member, ...) JA_FIRST(__VA_OPT__(__VA_ARGS__, ) Member)
// A property row's seventh column, after its export member: the method attribute.
#define JA_SECOND_I(a, b, ...) b
#define JA_ATTRIBUTES(...) JA_SECOND_I(__VA_ARGS__ __VA_OPT__(, ) -1, -1, ~)

#define JA_KIND_get ::KTX::JA::Kind::Get
#define JA_KIND_set ::KTX::JA::Kind::Set
#define JA_OP_get Get
#define JA_OP_set Set

// Row kinds: which expansion a row takes, and a method's number of arguments.
#define JA_FORM_get PROPERTY
#define JA_FORM_set PROPERTY
#define JA_FORM_method0 METHOD
#define JA_FORM_method1 METHOD
#define JA_FORM_method2 METHOD
#define JA_FORM_method3 METHOD
#define JA_FORM_method4 METHOD
#define JA_FORM_method5 METHOD
#define JA_FORM_method6 METHOD
#define JA_FORM_method7 METHOD
#define JA_FORM_method8 METHOD
#define JA_FORM_method9 METHOD
// One form of an overloaded method: its last column is the number its export
// carries in place of the plain prefix (X112JA_...).
#define JA_FORM_overload0 OVERLOAD
#define JA_FORM_overload1 OVERLOAD
#define JA_FORM_overload2 OVERLOAD
#define JA_FORM_overload3 OVERLOAD
#define JA_ARITY_method0 0
#define JA_ARITY_method1 1
#define JA_ARITY_method2 2
#define JA_ARITY_method3 3
#define JA_ARITY_method4 4
#define JA_ARITY_method5 5
#define JA_ARITY_method6 6
#define JA_ARITY_method7 7
#define JA_ARITY_method8 8
#define JA_ARITY_method9 9
#define JA_ARITY_overload0 0
#define JA_ARITY_overload1 1
#define JA_ARITY_overload2 2
#define JA_ARITY_overload3 3
#define JA_DISPATCH(what, kind) JA_CAT(JA_, what, _, JA_FORM_##kind, )

#define JA_PARAMS_0(M)
#define JA_PARAMS_1(M) , M::Param<0> a0
#define JA_PARAMS_2(M) JA_PARAMS_1(M), M::Param<1> a1
#define JA_PARAMS_3(M) JA_PARAMS_2(M), M::Param<2> a2
#define JA_PARAMS_4(M) JA_PARAMS_3(M), M::Param<3> a3
#define JA_PARAMS_5(M) JA_PARAMS_4(M), M::Param<4> a4
#define JA_PARAMS_6(M) JA_PARAMS_5(M), M::Param<5> a5
#define JA_PARAMS_7(M) JA_PARAMS_6(M), M::Param<6> a6
#define JA_PARAMS_8(M) JA_PARAMS_7(M), M::Param<7> a7
#define JA_PARAMS_9(M) JA_PARAMS_8(M), M::Param<8> a8
#define JA_ARGS_0
#define JA_ARGS_1 , a0
#define JA_ARGS_2 JA_ARGS_1, a1
#define JA_ARGS_3 JA_ARGS_2, a2
#define JA_ARGS_4 JA_ARGS_3, a3
#define JA_ARGS_5 JA_ARGS_4, a4
#define JA_ARGS_6 JA_ARGS_5, a5
#define JA_ARGS_7 JA_ARGS_6, a6
#define JA_ARGS_8 JA_ARGS_7, a7
#define JA_ARGS_9 JA_ARGS_8, a8
#define JA_PARAMS(kind, M) JA_CAT(JA_PARAMS_, JA_ARITY_##kind, , , )(M)
#define JA_ARGS(kind) JA_CAT(JA_ARGS_, JA_ARITY_##kind, , , )

// One member type per row: get_Member / set_Member, or the method's own name.
#define JA_MEMBER_TYPE(kind, ...) JA_DISPATCH(MEMBER_TYPE, kind)(kind, __VA_ARGS__)
#define JA_MEMBER_TYPE_PROPERTY(kind, Member, V, Body, Line, ...) \
  using kind##_##Member =                                           \
      ::KTX::JA::ScriptMember<Unit, JA_KIND_##kind, #Member, V, Body, Line, JA_ATTRIBUTES(__VA_ARGS__)>;
#define JA_MEMBER_TYPE_METHOD(kind, Member, Sig, Body, Line, ...) \
  using Member = ::KTX::JA::ScriptMethod<Unit, #Member, Sig, Body, Line>;

#define JA_MEMBER_TYPE_OVERLOAD(kind, Member, Sig, Body, Line, Number) \
  using Member##_##Number = ::KTX::JA::ScriptMethod<Unit, #Member, Sig, Body, Line>;

#define JA_MEMBER_LIST(kind, ...) JA_DISPATCH(MEMBER_LIST, kind)(kind, __VA_ARGS__)
#define JA_MEMBER_LIST_OVERLOAD(kind, Member, Sig, Body, Line, Number) , Member##_##Number
#define JA_MEMBER_LIST_PROPERTY(kind, Member, ...) , kind##_##Member
#define JA_MEMBER_LIST_METHOD(kind, Member, ...) , Member

// The operations of the automation interface (operation 0 comes first).
#define JA_INTERFACE_OP(kind, ...) JA_DISPATCH(INTERFACE_OP, kind)(kind, __VA_ARGS__)
#define JA_INTERFACE_OP_PROPERTY(kind, Member, V, Body, Line, ...)                                \
  virtual int JA_CAT(JA_OP_##kind, Member, , , )(JA_UNIT::Unit::Object * object,                \
                                                 JA_UNIT::kind##_##Member::Param value) = 0;
#define JA_INTERFACE_OP_METHOD(kind, Member, Sig, Body, Line, ...) \
  virtual int Member(JA_UNIT::Member::Self self JA_PARAMS(kind, JA_UNIT::Member)) = 0;

#define JA_INTERFACE_OP_OVERLOAD(kind, Member, Sig, Body, Line, Number) \
  virtual int Member(JA_UNIT::Member##_##Number::Self self JA_PARAMS(kind, JA_UNIT::Member##_##Number)) = 0;

#define JA_JOURNALLED_OP(kind, ...) JA_DISPATCH(JOURNALLED_OP, kind)(kind, __VA_ARGS__)
#define JA_JOURNALLED_OP_PROPERTY(kind, Member, V, Body, Line, ...)                           \
  int JA_CAT(JA_OP_##kind, Member, , , )(Unit::Object * object, kind##_##Member::Param value) \
      override {                                                                              \
    return ::KTX::JA::Journalled<kind##_##Member>(object, value);                             \
  }
#define JA_JOURNALLED_OP_METHOD(kind, Member, Sig, Body, Line, ...)          \
  int Member(Member::Self self JA_PARAMS(kind, Member)) override {           \
    return Member::Frame::Journalled(self JA_ARGS(kind));                    \
  }

#define JA_JOURNALLED_OP_OVERLOAD(kind, Member, Sig, Body, Line, Number)            \
  int Member(Member##_##Number::Self self JA_PARAMS(kind, Member##_##Number)) override { \
    return Member##_##Number::Frame::Journalled(self JA_ARGS(kind));                    \
  }

#define JA_UNJOURNALLED_OP(kind, ...) JA_DISPATCH(UNJOURNALLED_OP, kind)(kind, __VA_ARGS__)
#define JA_UNJOURNALLED_OP_PROPERTY(kind, Member, V, Body, Line, ...)                         \
  int JA_CAT(JA_OP_##kind, Member, , , )(Unit::Object * object, kind##_##Member::Param value) \
      override {                                                                              \
    return kind##_##Member::body(object, value);                                              \
  }
#define JA_UNJOURNALLED_OP_METHOD(kind, Member, Sig, Body, Line, ...) \
  int Member(Member::Self self JA_PARAMS(kind, Member)) override { return Member::body(self JA_ARGS(kind)); }

#define JA_UNJOURNALLED_OP_OVERLOAD(kind, Member, Sig, Body, Line, Number)          \
  int Member(Member##_##Number::Self self JA_PARAMS(kind, Member##_##Number)) override { \
    return Member##_##Number::body(self JA_ARGS(kind));                                 \
  }

// The guarded export of a row, under its unmangled name.
#define JA_EXPORT(kind, ...) JA_DISPATCH(EXPORT, kind)(kind, __VA_ARGS__)
#define JA_EXPORT_PROPERTY(kind, Member, V, Body, Line, ...)                                   \
  JA_EXPORT_SIGNATURE_PROPERTY(kind, Member, __VA_ARGS__) {                                    \
    return ::KTX::JA::Guard<&::KTX::JA::Journalled<JA_UNIT::kind##_##Member>>(object, value);   \
  }
#define JA_EXPORT_METHOD(kind, Member, Sig, Body, Line, ...)                         \
  JA_EXPORT_SIGNATURE_METHOD(kind, Member, __VA_ARGS__) {                            \
    return ::KTX::JA::Guard<&JA_UNIT::Member::Frame::Journalled>(self JA_ARGS(kind)); \
  }
#define JA_EXPORT_OVERLOAD(kind, Member, Sig, Body, Line, Number)                                \
  JA_EXPORT_SIGNATURE_OVERLOAD(kind, Member, Number) {                                           \
    return ::KTX::JA::Guard<&JA_UNIT::Member##_##Number::Frame::Journalled>(self JA_ARGS(kind)); \
  }

// The same exports declared, for callers of the library's scripting calls.
#define JA_EXPORT_DECLARATION(kind, ...) JA_DISPATCH(EXPORT_DECLARATION, kind)(kind, __VA_ARGS__)
#define JA_EXPORT_DECLARATION_PROPERTY(kind, Member, V, Body, Line, ...) \
  JA_EXPORT_SIGNATURE_PROPERTY(kind, Member, __VA_ARGS__);
#define JA_EXPORT_DECLARATION_METHOD(kind, Member, Sig, Body, Line, ...) \
  JA_EXPORT_SIGNATURE_METHOD(kind, Member, __VA_ARGS__);
#define JA_EXPORT_DECLARATION_OVERLOAD(kind, Member, Sig, Body, Line, Number) \
  JA_EXPORT_SIGNATURE_OVERLOAD(kind, Member, Number);

// An export's name and parameters, which its definition and its declaration share.
#define JA_EXPORT_SIGNATURE_PROPERTY(kind, Member, ...)                                                       \
  extern "C" STAMVIK_API int JA_CAT(XJA_, JA_EXPORT_CLASS, _##kind, _, JA_EXPORT_MEMBER(Member, __VA_ARGS__))( \
      JA_UNIT::Unit::Object * object, JA_UNIT::kind##_##Member::Param value)
#define JA_EXPORT_SIGNATURE_METHOD(kind, Member, ...)                                                   \
  extern "C" STAMVIK_API int JA_CAT(XJA_, JA_EXPORT_CLASS, _, JA_EXPORT_MEMBER(Member, __VA_ARGS__), )( \
      JA_UNIT::Member::Self self JA_PARAMS(kind, JA_UNIT::Member))
#define JA_EXPORT_SIGNATURE_OVERLOAD(kind, Member, Number)                     \
  extern "C" STAMVIK_API int JA_CAT(X, Number, JA_, JA_EXPORT_CLASS, _##Member)( \
      JA_UNIT::Member##_##Number::Self self JA_PARAMS(kind, JA_UNIT::Member##_##Number))
