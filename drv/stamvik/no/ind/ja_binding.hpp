// A scripting binding made from a class's description: one row per member of
// its member table, naming the member as the journal knows it (journal
// class, call type, member) and the exported scripting call a script calls
// for it, with the function that plays a call record through that export.
//
// The binding belongs to whoever scripts the library (the stand-in's
// ktxhost): it reads the description as data and never calls into the
// plug-in except through the export it resolved by name, so a played call
// takes the script's road (guard, journalled body, record, method body) and
// is journalled again. Expanding a member table with JA_BINDING_ROW, with
// JA_UNIT and JA_EXPORT_CLASS defined as for the unit's exports, gives the
// rows; the export name is composed by the same rule as JA_EXPORT's.
#pragma once
#include <cstddef>
#include <utility>

#include "ja_engine.hpp"
#include "script/ScriptHost.hpp"

namespace KTX::JA {

// What a listing reads of a member: its kind, names and values as the
// description states them. Unlike the engine's member record it names no
// function of the plug-in.
struct MemberFacts {
  Kind kind;
  const char* name;         // "CreateSupportCasting"
  const char* journalName;  // a property's value ("createsupportcasting")
  Shape shape;              // a property's value kind
  const char* typeName;
  const char* templateName;
  const char* argument;
  const ArgumentRecord* arguments;  // a method's, in declaration order
  int argumentCount;
};

template <class M>
constexpr MemberFacts PropertyFacts() {
  MemberFacts f{M::kind, M::name, M::journalName, {}, nullptr, nullptr, nullptr, nullptr, 0};
  DescribeValue<typename M::Value>(f.shape, f.typeName, f.templateName, f.argument);
  return f;
}
template <class M>
constexpr MemberFacts MethodFacts() {
  using Sig = typename M::Signature;
  return MemberFacts{Kind::Method, M::name,  M::name, Shape::Integer, nullptr, nullptr, nullptr, Sig::records.data(),
                     static_cast<int>(Sig::arity)};
}

struct BindingRow {
  const char* journalClass;
  int methodType;       // 0 method, 1 property get, 2 property set
  const char* member;
  const char* exportName;
  JAM_replay_fn play;   // plays a call record through the export
  void** symbol;        // where the resolved export is kept
  Script::MemberSignature signature;  // what a record of the member holds
  MemberFacts facts;                  // what a listing reads of it
};

// ---- signatures: what a record of a member holds, read from its value types ----

template <class V>
constexpr JAM::ValueKind RecordedKind() {
  switch (V::shape) {
    case Shape::Logical: return JAM::ValueKind::Logical;
    case Shape::Integer: return JAM::ValueKind::Integer;
    case Shape::Double: return JAM::ValueKind::Double;
    case Shape::Enum: return JAM::ValueKind::Enum;
    case Shape::Object:
    case Shape::TemplateObject: return JAM::ValueKind::Ptr;
    case Shape::Tag: return JAM::ValueKind::Tag;
    case Shape::String: return JAM::ValueKind::String;
    case Shape::Text: return JAM::ValueKind::Utf8String;
    case Shape::Struct: return JAM::ValueKind::Struct;
    case Shape::StringArray: return JAM::ValueKind::StringArray;
    case Shape::StructArray: return JAM::ValueKind::StructArray;
    case Shape::TextArray: return JAM::ValueKind::Utf8StringArray;
    case Shape::DoubleArray: return JAM::ValueKind::DoubleArray;
  }
  return JAM::ValueKind::Integer;
}

template <class V, JAM::Direction D>
constexpr Script::ValueSignature kValueSignature{D, RecordedKind<V>(), V::typeName};

template <class V, bool IsGet>
struct PropertySignature {
  static constexpr Script::ValueSignature values[1] = {
      kValueSignature<V, IsGet ? JAM::Direction::Result : JAM::Direction::In>};
  static constexpr Script::MemberSignature signature{'p', values, 1};
};

// How a method's argument is recorded: in, result, or out (a result array
// whose value kind says so).
template <class A>
constexpr JAM::Direction DirectionOf() {
  if constexpr (!A::result)
    return JAM::Direction::In;
  else if constexpr (requires { requires A::Value::recordedOut; })
    return JAM::Direction::Out;
  else
    return JAM::Direction::Result;
}

// A method's arguments in declaration order; an array's count is recorded
// with its array, not on its own.
template <class Sig, class Arguments = typename Sig::Arguments>
struct MethodSignature;
template <class Sig, class... A>
struct MethodSignature<Sig, std::tuple<A...>> {
  static constexpr std::size_t count = (0 + ... + (A::count ? 0 : 1));
  static constexpr auto values = [] {
    std::array<Script::ValueSignature, count + 1> r{};  // one spare: a method may take nothing
    std::size_t i = 0;
    ((A::count ? void()
               : void(r[i++] = Script::ValueSignature{DirectionOf<A>(), RecordedKind<typename A::Value>(),
                                                      A::Value::typeName, A::name})),
     ...);
    return r;
  }();
  static constexpr Script::MemberSignature signature{Sig::byTag ? 't' : 'p', values.data(),
                                                     static_cast<int>(count)};
};

// The plays are keyed by the member's call shape and export name only, never
// by the member's own type: that names the method body, which is the
// plug-in's and must not be referred to from outside it (debug information
// would refer to it too).

// The call record's object as the export's class. Not a checked downcast:
// that would refer to the plug-in's class information, which only the
// plug-in has. Every class of the object manager begins with its object
// part, so the address is the same.
template <class P>
P ObjectOf(JAM::Call& call) {
  return static_cast<P>(static_cast<void*>(call.Object()));
}

// A property: the export takes the object and the value (a get: where the
// value goes; a structure set: its address).
template <class Object, class T, class P, bool IsGet, Name ExportName>
struct PropertyPlay {
  static inline void* symbol = nullptr;
  static void Play(JAM::Call& call) {
    using Fn = int (*)(Object*, P);
    auto export_ = reinterpret_cast<Fn>(symbol);
    auto* object = ObjectOf<Object*>(call);
    if constexpr (IsGet || std::is_same_v<P, const T*>)
      call.SetStatus(export_(object, static_cast<P>(call.Argument(0))));
    else
      call.SetStatus(export_(object, *static_cast<T*>(call.Argument(0))));
  }
};

// What the engine's method frame needs to know of a member to read its
// arguments from a call record.
template <class S>
struct BindingShape {
  using Unit = void;
  using Self = S;
};

// A method: the object (pointer or tag) and its arguments in declaration
// order, read from the call record as the unit's own replay reads them.
template <class Self, class Sig, Name ExportName>
struct MethodPlay {
  static inline void* symbol = nullptr;
  using Frame = MethodFrame<BindingShape<Self>, typename Sig::Arguments>;
  template <std::size_t I>
  using Param = typename std::tuple_element_t<I, typename Sig::Arguments>::param;
  template <std::size_t... I>
  static int With(JAM::Call& call, Self self, std::index_sequence<I...>) {
    using Fn = int (*)(Self, Param<I>...);
    return reinterpret_cast<Fn>(symbol)(self, Frame::template FromCall<I>(call)...);
  }
  static void Play(JAM::Call& call) {
    Self self;
    if constexpr (Sig::byTag)
      self = call.Tag();
    else
      self = ObjectOf<Self>(call);
    call.SetStatus(With(call, self, std::make_index_sequence<Sig::arity>{}));
  }
};

}  // namespace KTX::JA

#define JA_BINDING_STR_I(x) #x
#define JA_BINDING_STR(x) JA_BINDING_STR_I(x)

#define JA_BINDING_ROW(kind, ...) JA_DISPATCH(BINDING_ROW, kind)(kind, __VA_ARGS__)
#define JA_BINDING_EXPORT_PROPERTY(kind, Member, ...) \
  JA_BINDING_STR(JA_CAT(XJA_, JA_EXPORT_CLASS, _##kind, _, JA_EXPORT_MEMBER(Member, __VA_ARGS__)))
#define JA_BINDING_EXPORT_METHOD(kind, Member, ...) \
  JA_BINDING_STR(JA_CAT(XJA_, JA_EXPORT_CLASS, _, JA_EXPORT_MEMBER(Member, __VA_ARGS__), ))
#define JA_BINDING_PROPERTY_PLAY(kind, Member, ...)                                                   \
  ::KTX::JA::PropertyPlay<JA_UNIT::Unit::Object, JA_UNIT::kind##_##Member::T,                         \
                          JA_UNIT::kind##_##Member::Param, JA_KIND_##kind == ::KTX::JA::Kind::Get,    \
                          JA_BINDING_EXPORT_PROPERTY(kind, Member, __VA_ARGS__)>
#define JA_BINDING_METHOD_PLAY(kind, Member, ...)                                    \
  ::KTX::JA::MethodPlay<JA_UNIT::Member::Self, JA_UNIT::Member::Signature,          \
                        JA_BINDING_EXPORT_METHOD(kind, Member, __VA_ARGS__)>
#define JA_BINDING_ROW_PROPERTY(kind, Member, V, Body, Line, ...)                                          \
  ::KTX::JA::BindingRow{JA_UNIT::Unit::journalClass, static_cast<int>(JA_KIND_##kind), #Member,               \
                        JA_BINDING_EXPORT_PROPERTY(kind, Member, __VA_ARGS__),                                \
                        &JA_BINDING_PROPERTY_PLAY(kind, Member, __VA_ARGS__)::Play,                           \
                        &JA_BINDING_PROPERTY_PLAY(kind, Member, __VA_ARGS__)::symbol,                         \
                        ::KTX::JA::PropertySignature<JA_UNIT::kind##_##Member::Value,                        \
                                                     JA_KIND_##kind == ::KTX::JA::Kind::Get>::signature,  \
                        ::KTX::JA::PropertyFacts<JA_UNIT::kind##_##Member>()},
#define JA_BINDING_ROW_METHOD(kind, Member, Sig, Body, Line, ...)                                   \
  ::KTX::JA::BindingRow{JA_UNIT::Unit::journalClass, 0, #Member,                                    \
                        JA_BINDING_EXPORT_METHOD(kind, Member, __VA_ARGS__),                         \
                        &JA_BINDING_METHOD_PLAY(kind, Member, __VA_ARGS__)::Play,                    \
                        &JA_BINDING_METHOD_PLAY(kind, Member, __VA_ARGS__)::symbol,                  \
                        ::KTX::JA::MethodSignature<JA_UNIT::Member::Signature>::signature,     \
                        ::KTX::JA::MethodFacts<JA_UNIT::Member>()},
// An overloaded method's form: exported as X<number>JA_..., bound under the
// member's one name; play tells the forms apart by their arguments' names.
#define JA_BINDING_EXPORT_OVERLOAD(Member, Number) JA_BINDING_STR(JA_CAT(X, Number, JA_, JA_EXPORT_CLASS, _##Member))
#define JA_BINDING_ROW_OVERLOAD(kind, Member, Sig, Body, Line, Number)                                  \
  ::KTX::JA::BindingRow{JA_UNIT::Unit::journalClass, 0, #Member, JA_BINDING_EXPORT_OVERLOAD(Member, Number), \
                        &::KTX::JA::MethodPlay<JA_UNIT::Member##_##Number::Self, JA_UNIT::Member##_##Number::Signature, \
                                               JA_BINDING_EXPORT_OVERLOAD(Member, Number)>::Play,             \
                        &::KTX::JA::MethodPlay<JA_UNIT::Member##_##Number::Self, JA_UNIT::Member##_##Number::Signature, \
                                               JA_BINDING_EXPORT_OVERLOAD(Member, Number)>::symbol,           \
                        ::KTX::JA::MethodSignature<JA_UNIT::Member##_##Number::Signature>::signature,          \
                        ::KTX::JA::MethodFacts<JA_UNIT::Member##_##Number>()},
