// The property owner engine. A class's property owner is made from the same
// member table as its journaling unit: every get row is a property, the set
// row of the same member makes it settable, and the owner calls exactly the
// automation-interface operation that the row declares: reads through the
// unjournalled implementation, writes through the journalled one, both
// fetched by journal class name at every call. A property row and the
// operation it calls therefore cannot disagree, and a write through the
// owner is journalled like the scripting call of the same property.
//
// Names are matched in declaration order, camel case then snake form, with
// the host's case-insensitive compare; a one-word name is compared once. A
// name the owner does not know goes to the owner of the parent journal class.
#pragma once
#include <array>
#include <cstddef>
#include <cstring>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

#include "ClassFrame.hpp"
#include "StamvikExport.hpp"
#include "ja_engine.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Memory.hpp"
#include "sys/Str.hpp"
#include "sys/Text.hpp"

namespace KTX::JA::Owners {

// ---- names ---------------------------------------------------------------------

struct NameText {
  char s[128]{};
};

// "ReliefProfile" -> "relief_profile": an underscore before every upper-case
// letter but the first character, every letter lower case.
constexpr NameText SnakeOf(const char* name) {
  NameText r;
  std::size_t j = 0;
  for (std::size_t i = 0; name[i] != '\0'; ++i) {
    char c = name[i];
    if (c >= 'A' && c <= 'Z') {
      if (i > 0) r.s[j++] = '_';
      c = static_cast<char>(c - 'A' + 'a');
    }
    r.s[j++] = c;
  }
  r.s[j] = '\0';
  return r;
}

// A name whose snake form differs from it only by case: compared once.
constexpr bool IsOneWord(const char* name) {
  for (std::size_t i = 1; name[i] != '\0'; ++i)
    if (name[i] >= 'A' && name[i] <= 'Z') return false;
  return true;
}

constexpr bool StartsWith(const char* text, const char* prefix) {
  while (*prefix != '\0')
    if (*text++ != *prefix++) return false;
  return true;
}

// ---- one operation of the automation interface, with its member row -------------

template <class M, auto Operation>
struct Op {
  using Member = M;
  static constexpr auto operation = Operation;
};

template <class... O>
struct OpList {
  using Tuple = std::tuple<O...>;
  static constexpr std::size_t size = sizeof...(O);
};
// The member tables expand to OpList<void, first, second, ...>.
template <class... O>
struct OpList<void, O...> : OpList<O...> {};

// What an operation contributes to the property table.
enum class Role { None, Get, Set, GetArray, SetArray };

template <class T>
inline constexpr bool kIsTextArrayOut = std::is_same_v<T, TEXT_s***>;
template <class T>
inline constexpr bool kIsTextArrayIn =
    std::is_pointer_v<T> && std::is_pointer_v<std::remove_cv_t<std::remove_pointer_t<T>>> &&
    std::is_same_v<std::remove_cv_t<std::remove_pointer_t<std::remove_cv_t<std::remove_pointer_t<T>>>>, TEXT_s>;

template <class M>
constexpr Role RoleOf() {
  if constexpr (M::kind == Kind::Get) {
    return Role::Get;
  } else if constexpr (M::kind == Kind::Set) {
    return Role::Set;
  } else if constexpr (!M::Signature::byTag && M::Signature::arity == 2) {
    // An array of texts is published through a method pair: Get<Name>(count
    // out, texts out) and Set<Name>(count, texts).
    using P0 = typename M::template Param<0>;
    using P1 = typename M::template Param<1>;
    if constexpr (std::is_same_v<P0, int*> && kIsTextArrayOut<P1>)
      return StartsWith(M::name, "Get") ? Role::GetArray : Role::None;
    else if constexpr (std::is_same_v<P0, int> && kIsTextArrayIn<P1>)
      return StartsWith(M::name, "Set") ? Role::SetArray : Role::None;
    else
      return Role::None;
  } else {
    return Role::None;
  }
}

// The published name of an operation's property ("GetSessionNotes" -> "SessionNotes").
template <class M>
constexpr const char* PropertyNameOf() {
  constexpr Role role = RoleOf<M>();
  if constexpr (role == Role::GetArray || role == Role::SetArray)
    return M::name + 3;
  else
    return M::name;
}

// ---- what a description leaves out ----------------------------------------------

struct OwnerDefaults {
  // Members of the interface that no property stands for ("SourceDataType").
  static constexpr std::array<const char*, 0> unpublished{};
};

// The unpublished members a class's description lists in its Unit, if any.
template <class Unit>
constexpr auto UnpublishedOf() {
  if constexpr (requires { Unit::unpublished; })
    return Unit::unpublished;
  else
    return OwnerDefaults::unpublished;
}

// ---- the interfaces, fetched by journal class name at every call ------------------

[[noreturn]] STAMVIK_API void RaiseNoInterface(const char* source, int line, const char* journalClass);

template <class D>
typename D::Interface* Unjournalled() {
  JAM::IJAInterface* found = JAM::ClassInitializer::GetUnjournalledInterface(D::Unit::journalClass);
  if (found == nullptr) RaiseNoInterface(D::source, D::line, D::Unit::journalClass);
  return static_cast<typename D::Interface*>(found);
}
template <class D>
typename D::Interface* Journalled() {
  JAM::IJAInterface* found = JAM::ClassInitializer::GetJournalledInterface(D::Unit::journalClass);
  if (found == nullptr) RaiseNoInterface(D::source, D::line, D::Unit::journalClass);
  return static_cast<typename D::Interface*>(found);
}

// ---- enumerations ------------------------------------------------------------------

struct MemberText {
  char s[512]{};
};

// The comma-separated member names of an enumeration the unit describes.
template <class U>
constexpr MemberText EnumMemberText(const char* enumName) {
  MemberText t;
  std::size_t j = 0;
  for (const EnumDescription& e : U::enums) {
    if (!SameText(e.name, enumName)) continue;
    for (const char* member : e.members) {
      if (member == nullptr) break;
      if (j != 0) t.s[j++] = ',';
      for (const char* c = member; *c != '\0'; ++c) t.s[j++] = *c;
    }
  }
  return t;
}

// The member list and map of one enumerated property, built at first use and
// kept for the life of the process.
template <class U, class V>
struct EnumOf {
  static constexpr MemberText text = EnumMemberText<U>(V::typeName);
  static_assert(text.s[0] != '\0', "the unit describes no members for this enumeration");
  static inline Property::EnumMembers members{text.s};
};

// ---- one property: its names, how it is read and how it is written ----------------

struct NoSetter {};

template <class D, class G, class S>
struct PropertyOf {
  using M = typename G::Member;
  using U = typename D::Unit;
  using Object = typename U::Object;
  static constexpr Role role = RoleOf<M>();
  static constexpr bool isArray = role == Role::GetArray;

  static constexpr const char* name = PropertyNameOf<M>();
  static constexpr NameText snakeText = SnakeOf(name);
  static constexpr const char* snake = snakeText.s;
  static constexpr bool oneWord = IsOneWord(name);

  static constexpr bool matrix = [] {
    if constexpr (isArray)
      return false;
    else if constexpr (M::Value::shape == Shape::Struct)
      return SameText(M::Value::typeName, "Matrix3x3");
    else
      return false;
  }();
  // A matrix entry stands for accessors the owner never calls.
  static constexpr bool settable = !std::is_same_v<S, NoSetter> && !matrix;

  static Object* ObjectOf(OM::Object* object) { return static_cast<Object*>(object); }

  // The value of the property of the object; the null-object value without one.
  static Property::ValuePtr Make(OM::Object* object) {
    if constexpr (matrix) {
      return Property::MakeUnsetInteger();
    } else if constexpr (isArray) {
      int count = 0;
      TEXT_s** texts = nullptr;
      if (object != nullptr) {
        int status = (Unjournalled<D>()->*G::operation)(ObjectOf(object), &count, &texts);
        if (status != 0) {
          // Whatever the getter handed out before failing is the owner's.
          Property::MakeTextArray(count, texts).reset();
          Property::RaisePropErr(D::source, D::line, status);
        }
      }
      return Property::MakeTextArray(count, texts);
    } else {
      using V = typename M::Value;
      using T = typename M::T;
      T out{};
      if (object != nullptr) {
        int status = (Unjournalled<D>()->*G::operation)(ObjectOf(object), &out);
        if (status != 0) Property::RaisePropErr(D::source, D::line, status);
      }
      return Wrap<V>(out);
    }
  }

  template <class V, class T>
  static Property::ValuePtr Wrap(T& out) {
    if constexpr (V::shape == Shape::Object || V::shape == Shape::TemplateObject) {
      return Property::MakeSubobject(static_cast<OM::Object*>(out), V::typeName);
    } else if constexpr (V::shape == Shape::Logical) {
      return Property::MakeLogical(out);
    } else if constexpr (V::shape == Shape::Integer) {
      return Property::MakeInteger(out);
    } else if constexpr (V::shape == Shape::Double) {
      return Property::MakeDouble(out);
    } else if constexpr (V::shape == Shape::Enum) {
      return Property::MakeEnum(EnumOf<U, V>::members, out);
    } else if constexpr (V::shape == Shape::Tag) {
      return Property::MakeTag(out);
    } else if constexpr (V::shape == Shape::String) {
      if constexpr (BuilderKeepsText<V>()) {
        return Property::MakeString(out);
      } else {
        // The getter handed out a copy: the owner releases it once copied.
        struct Release {
          char* text;
          ~Release() { SM_free(text); }
        } release{out};
        return Property::MakeString(out);
      }
    } else if constexpr (V::shape == Shape::Text) {
      return Property::MakeUtfString(out);
    } else if constexpr (V::shape == Shape::Struct) {
      static_assert(SameText(V::typeName, "Point3d"), "a structure property is a Point3d");
      static_assert(sizeof(T) == 3 * sizeof(double), "a point is three doubles");
      double xyz[3];
      std::memcpy(xyz, &out, sizeof xyz);
      return Property::MakePoint(Property::Point3d{xyz[0], xyz[1], xyz[2]});
    } else {
      static_assert(V::shape == Shape::Logical, "no property value for this value type");
    }
  }

  // A String getter's text is a copy the caller frees, unless the value type
  // says that the getter lends the builder's own text.
  template <class V>
  static constexpr bool BuilderKeepsText() {
    if constexpr (requires { V::lendsBuilderText; })
      return V::lendsBuilderText;
    else
      return false;
  }

  // Writes a value into the object through the journalled setter.
  static void Write(OM::Object* object, const Property::Value* value) {
    if constexpr (settable) {
      using MS = typename S::Member;
      if constexpr (isArray) {
        int status = 0;
        {
          Property::TextArray texts(value, D::source, D::line);
          if (object == nullptr) Property::RaiseNullPtr(D::source, D::line);
          using P1 = typename MS::template Param<1>;
          // The array goes out as the setter takes it (its texts are only read).
          auto* array = const_cast<TEXT_s**>(texts.Texts());
          P1 passed;
          static_assert(sizeof passed == sizeof array);
          std::memcpy(&passed, &array, sizeof array);
          status = (Journalled<D>()->*S::operation)(ObjectOf(object), texts.Count(), passed);
        }
        // The temporary array is gone before the error is raised.
        if (status != 0) Property::RaisePropErr(D::source, D::line, status);
      } else {
        using V = typename MS::Value;
        using P = typename MS::Param;
        auto typed = Read<V, P>(value);
        if (object == nullptr) Property::RaiseNullPtr(D::source, D::line);
        // An index that names no member is refused before the setter records
        // it, as the builder's validation would refuse it later.
        if constexpr (V::shape == Shape::Enum)
          if (!NamesAMember<U>(V::typeName, typed))
            Property::RaisePropErr(D::source, D::line, UnknownMemberNumber<U>(V::typeName));
        int status = Call(object, typed);
        if (status != 0) Property::RaisePropErr(D::source, D::line, status);
      }
    }
  }

  template <class T>
  static int Call(OM::Object* object, T& typed) {
    using MS = typename S::Member;
    using P = typename MS::Param;
    if constexpr (MS::Value::shape == Shape::Struct && std::is_pointer_v<P>)
      return (Journalled<D>()->*S::operation)(ObjectOf(object), &typed);
    else if constexpr (std::is_pointer_v<P>)
      return (Journalled<D>()->*S::operation)(ObjectOf(object), const_cast<P>(typed));
    else
      return (Journalled<D>()->*S::operation)(ObjectOf(object), static_cast<P>(typed));
  }

  // The typed value a write passes on, read from the value by the reader of
  // the row's type: a value of another type raises "prop err".
  template <class V, class P>
  static auto Read(const Property::Value* value) {
    if constexpr (V::shape == Shape::Logical) {
      return Property::ReadLogical(value, D::source, D::line);
    } else if constexpr (V::shape == Shape::Integer) {
      return Property::ReadInteger(value, D::source, D::line);
    } else if constexpr (V::shape == Shape::Double) {
      return Property::ReadDouble(value, D::source, D::line);
    } else if constexpr (V::shape == Shape::Enum) {
      return Property::ReadEnum(value, D::source, D::line);
    } else if constexpr (V::shape == Shape::Tag) {
      return Property::ReadTag(value, D::source, D::line);
    } else if constexpr (V::shape == Shape::String) {
      return Property::ReadString(value, D::source, D::line);
    } else if constexpr (V::shape == Shape::Text) {
      return const_cast<TEXT_s*>(Property::ReadTextString(value, D::source, D::line));
    } else if constexpr (V::shape == Shape::Struct) {
      using Point = std::remove_cv_t<std::remove_pointer_t<P>>;
      static_assert(sizeof(Point) == 3 * sizeof(double), "a point is three doubles");
      Property::Point3d read = Property::ReadPoint(value, D::source, D::line);
      double xyz[3] = {read.x, read.y, read.z};
      Point point;
      std::memcpy(&point, xyz, sizeof xyz);
      return point;
    } else {
      static_assert(V::shape == Shape::Logical, "this value type is not settable");
    }
  }
};

// ---- the property table of a description ---------------------------------------------

template <class D>
struct Table {
  using Ops = typename D::Ops;
  using Tuple = typename Ops::Tuple;
  static constexpr std::size_t opCount = Ops::size;

  template <std::size_t I>
  using OpAt = std::tuple_element_t<I, Tuple>;

  struct Entry {
    Role role;
    const char* name;
  };
  static constexpr std::array<Entry, opCount> entries = []<std::size_t... I>(std::index_sequence<I...>) {
    return std::array<Entry, opCount>{
        Entry{RoleOf<typename OpAt<I>::Member>(), PropertyNameOf<typename OpAt<I>::Member>()}...};
  }(std::make_index_sequence<opCount>{});

  static constexpr bool Unpublished(const char* name) {
    for (const char* u : D::unpublished)
      if (SameText(u, name)) return true;
    return false;
  }

  // The operations that head a property, in declaration order.
  struct Heads {
    std::array<std::size_t, opCount + 1> at{};
    std::size_t count = 0;
  };
  static constexpr Heads heads = [] {
    Heads h;
    for (std::size_t i = 0; i < opCount; ++i)
      if ((entries[i].role == Role::Get || entries[i].role == Role::GetArray) && !Unpublished(entries[i].name))
        h.at[h.count++] = i;
    return h;
  }();

  // The operation that writes the property headed by operation i; opCount for none.
  static constexpr std::size_t SetterOf(std::size_t i) {
    Role wanted = entries[i].role == Role::Get ? Role::Set : Role::SetArray;
    for (std::size_t j = 0; j < opCount; ++j)
      if (entries[j].role == wanted && SameText(entries[j].name, entries[i].name)) return j;
    return opCount;
  }

  template <std::size_t I>
  static auto SetterType() {
    constexpr std::size_t j = SetterOf(I);
    if constexpr (j == opCount)
      return NoSetter{};
    else
      return OpAt<j>{};
  }

  template <std::size_t K>
  using PropertyAt = PropertyOf<D, OpAt<heads.at[K]>, decltype(SetterType<heads.at[K]>())>;

  template <std::size_t... K>
  static auto PropertiesOf(std::index_sequence<K...>) -> std::tuple<PropertyAt<K>...>;
  using Properties = decltype(PropertiesOf(std::make_index_sequence<heads.count>{}));

  static constexpr std::size_t count = heads.count;

  // Calls f.template operator()<P>() for every property in declaration order
  // until f answers true; answers whether one did.
  template <class F>
  static bool Any(F&& f) {
    return [&]<std::size_t... K>(std::index_sequence<K...>) {
      return (f.template operator()<std::tuple_element_t<K, Properties>>() || ...);
    }(std::make_index_sequence<count>{});
  }

  // The first property whose camel-case name, or else snake form, compares
  // equal to the name; with `writable`, only the properties that a write
  // names (the settable ones and the matrix entry). Calls found<P>() on it.
  template <class F>
  static bool Match(const char* name, bool writable, F&& found) {
    return Any([&]<class P>() {
      if (writable && !(P::settable || P::matrix)) return false;
      if (STR_compare_i(name, P::name) != 0 && (P::oneWord || STR_compare_i(name, P::snake) != 0)) return false;
      found.template operator()<P>();
      return true;
    });
  }
};

// ---- the owner of a builder class ------------------------------------------------------

template <class D>
class PropertyOwner : public JAM::TaggedObjectPropertyOwner {
 public:
  using Description = D;
  using Properties = Table<D>;

  // A new value for a name of the table; null for any other name.
  static Property::Value* MakePropertyValue(OM::Object* object, const char* name) {
    Property::ValuePtr made;
    Properties::Match(name, false, [&]<class P>() { made = P::Make(object); });
    return made.release();
  }

  int GetProperties(OM::Object* object, Property::List& list) override {
    Properties::Any([&]<class P>() {
      list.SetValue(P::name, MakePropertyValue(object, P::name));
      return false;
    });
    return SuperGetProperties(object, list);
  }

  int SetProperties(OM::Object* object, Property::List& list) override {
    Properties::Any([&]<class P>() {
      if constexpr (P::settable) {
        // A name the list holds no value for is left as it is.
        const Property::Value* value = list.GetProperty(P::name);
        if (value != nullptr) this->SetProperty(object, P::name, value);
      }
      return false;
    });
    return SuperSetProperties(object, list);
  }

  Property::Value* GetProperty(OM::Object* object, const char* name) override {
    if (object == nullptr) Property::RaiseNullPtr(D::source, D::line);
    if (Property::Value* made = MakePropertyValue(object, name)) return made;
    return SuperGetProperty(object, name);
  }

  int SetProperty(OM::Object* object, const char* name, const Property::Value* value) override {
    bool written = Properties::Match(name, true, [&]<class P>() { P::Write(object, value); });
    return written ? 0 : SuperSetProperty(object, name, value);
  }
};

// ---- the owner of a feature class: every request to the parent class's owner ----------

class ForwardingPropertyOwner : public JAM::TaggedObjectPropertyOwner {
 public:
  int GetProperties(OM::Object* object, Property::List& list) override { return SuperGetProperties(object, list); }
  int SetProperties(OM::Object* object, Property::List& list) override { return SuperSetProperties(object, list); }
  Property::Value* GetProperty(OM::Object* object, const char* name) override {
    return SuperGetProperty(object, name);
  }
  int SetProperty(OM::Object* object, const char* name, const Property::Value* value) override {
    return SuperSetProperty(object, name, value);
  }
};

// ---- load and unload ------------------------------------------------------------------------

// The one static object of an owner class: made and registered by its load
// step, destroyed by its exit step. It is not taken out of the mapper.
template <class O>
struct Instance {
  alignas(O) static inline unsigned char storage[sizeof(O)];
  static O* Get() { return std::launder(reinterpret_cast<O*>(storage)); }
  static void Destroy() { Get()->~O(); }
  static void Load(const char* journalClass, const char* parentJournalClass) {
    O* owner = new (storage) O;
    try {
      JAM::PropertyMapper::RegisterPropertyOwner(journalClass, parentJournalClass, owner);
    } catch (...) {
      owner->~O();
      throw;
    }
    Frame::AtUnload(&Destroy);
  }
};

}  // namespace KTX::JA::Owners

// ---- expanding a member table into the owner's operations ----------------------------------
// Inside the description struct, where `Interface` names the class's
// automation interface: `using Ops = ::KTX::JA::Owners::OpList<void MEMBERS(JA_OWNER_OP)>;`

#define JA_OWNER_OP(kind, ...) JA_DISPATCH(OWNER_OP, kind)(kind, __VA_ARGS__)
#define JA_OWNER_OP_PROPERTY(kind, Member, ...) \
  , ::KTX::JA::Owners::Op<kind##_##Member, &Interface::JA_CAT(JA_OP_##kind, Member, , , )>
#define JA_OWNER_OP_METHOD(kind, Member, ...) , ::KTX::JA::Owners::Op<Member, &Interface::Member>
// An overloaded method's form stands for no property.
#define JA_OWNER_OP_OVERLOAD(kind, ...)

// The owner class `KTX::JAM::<OwnerClass>` of a description, and its load
// step `KTX::JA::Load<OwnerClass>`.
#define JA_PROPERTY_OWNER_CLASS(OwnerClass, Description)                                             \
  namespace KTX::JAM {                                                                               \
  class OwnerClass final : public ::KTX::JA::Owners::PropertyOwner<Description> {};                  \
  }
#define JA_PROPERTY_OWNER(OwnerClass, Description)                                                   \
  JA_PROPERTY_OWNER_CLASS(OwnerClass, Description)                                                   \
  namespace KTX::JA {                                                                                \
  void Load##OwnerClass() {                                                                          \
    Owners::Instance<JAM::OwnerClass>::Load(Description::Unit::journalClass, Description::Unit::parent); \
  }                                                                                                  \
  }

// A feature class's owner, which publishes nothing of its own.
#define JA_FEATURE_PROPERTY_OWNER(OwnerClass, JournalClass, ParentJournalClass)  \
  namespace KTX::JAM {                                                        \
  class OwnerClass final : public ::KTX::JA::Owners::ForwardingPropertyOwner {}; \
  }                                                                           \
  namespace KTX::JA {                                                         \
  void Load##OwnerClass() { Owners::Instance<JAM::OwnerClass>::Load(JournalClass, ParentJournalClass); } \
  }
