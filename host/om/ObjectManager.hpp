// The stand-in object manager: classes registered from attribute tables,
// objects with tags, attribute access by attribute id, variable-length arrays,
// and undo logging.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Export.hpp"
#include "sys/Memory.hpp"

namespace KTX::OM {

enum OM_memory_type_t : int { OM_memory_type_transient = 0, OM_memory_type_persistent = 1 };

class Object;
class AttributeId;
KTX_HOST_API void OM__log(Object* object);

// One row of a class's attribute table, in the host's registration format.
struct ClassAttributeStruct {
  const int* classIdVariable;        // 0
  AttributeId* attributeId;          // 8
  const char* fieldName;             // 16
  const std::int32_t* dimensions;    // 24: rows, columns (-1: any)
  const void* initialValue;          // 32
  const char* const* referencedClass;// 40
  const void* unused48;              // 48
  const void* measureList;           // 56
  std::uint8_t zero64[12];           // 64
  std::int32_t minusOne76;           // 76
  std::int32_t minusOne80;           // 80
  std::uint32_t attributeIndex;      // 84: 0x80000000 + index
  std::uint32_t zero88;              // 88
  std::uint32_t fieldPlace;          // 92
  std::uint32_t flags;               // 96
  std::uint32_t zero100;             // 100
  std::uint32_t typeCode;            // 104
  std::uint32_t typeQualifier;       // 108
};
static_assert(sizeof(ClassAttributeStruct) == 112);
static_assert(offsetof(ClassAttributeStruct, attributeIndex) == 84);
static_assert(offsetof(ClassAttributeStruct, fieldPlace) == 92);
static_assert(offsetof(ClassAttributeStruct, typeQualifier) == 108);

// The measure record of a value row: count 1, the address of the code, the code.
struct MeasureList {
  std::uint64_t count;
  const std::uint64_t* codes;
  std::uint64_t code;
};

namespace TypeCode {
constexpr std::uint32_t kLogical = 0x0, kInteger = 0x3, kReference = 0x4, kDouble = 0x6, kTag = 0x9,
                        kString = 0xD, kStruct = 0xF, kUString = 0x10, kKernelTag = 0x11;
constexpr std::uint32_t kVariable = 0xFFFF;
constexpr std::uint32_t Element(std::uint32_t code) { return code & 0xFFFF; }
constexpr std::uint32_t Count(std::uint32_t code) { return code >> 16; }
}  // namespace TypeCode

// Bound by the host when the class that owns the field is registered.
class KTX_HOST_API AttributeId {
 public:
  constexpr AttributeId() = default;
  int ClassId() const { return classId_; }
  int Index() const { return index_; }
  bool IsBound() const { return index_ >= 0; }
  void Bind(int classId, int index) {
    classId_ = classId;
    index_ = index;
  }

 private:
  int classId_ = 0;
  int index_ = -1;
};

using CreateCallback = Object* (*)(void* memory, int, void*);
using InstanceSizeCallback = std::uint64_t (*)(void*);
using AllocationCallback = void* (*)(std::size_t, OM_memory_type_t, void*);
using ObjectCallback = void (*)(Object*);

class KTX_HOST_API ClassRegistrant : public Memory::CppMemory {
 public:
  ClassRegistrant(const char* className, unsigned aliasCount, const char* const* aliases, int* classIdVariable,
                  unsigned registrantWord, unsigned classFlags, int attributeCount,
                  const ClassAttributeStruct* attributeTable, const char* superclassName, const char* implName,
                  unsigned implAliasCount, const char* const* implAliases, unsigned reserved,
                  CreateCallback create, InstanceSizeCallback instanceSize, AllocationCallback allocate,
                  ObjectCallback onObject);
  ~ClassRegistrant();
  static void Destroy(ClassRegistrant* registrant);
  int ClassId() const { return classId_; }

 private:
  int classId_;
};

// The host's header of every object-manager object. Its fields are set by
// the host (CustomConstructObjectFunction, CreateObject), never by the
// constructors of the classes built on it. An object is never copied: undo
// copies its bytes, header and all.
class KTX_HOST_API Object {
 public:
  virtual ~Object();
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;
  static void CustomConstructObjectFunction(Object* object, int classId, void* context);

  int OmClassId() const { return omClassId_; }
  std::uint8_t OmState() const { return omState_; }
  void OmSetState(std::uint8_t state) {
    if (state != 0 && omState_ == 0) NoteState(this);
    omState_ = state;
  }
  // The host keeps the objects whose state is set, so that setting a mark
  // clears them without visiting every object.
  static void NoteState(Object* object);

 protected:
  Object(int classId, void* context);

 private:
  friend class ObjectFactory;
  friend struct ObjectAccess;           // the object manager's own fields
  friend void OM__log(Object* object);  // sets the state of what it logs itself
  int omClassId_;
  tag_t omTag_ = 0;  // 0: not made by the factory
  // What a write's logging reads, kept beside what the write changes: the
  // epoch of the mark that logged the object last, and who owns it (by
  // OM_set_pointer or OM_set_owner). Undo gives both back with the bytes.
  std::uint32_t omLoggedUnder_ = 0;
  std::uint8_t omState_ = 0;  // kStateNoLog: need not be logged for undo
  Object* omOwner_ = nullptr;

 public:
  static constexpr std::uint8_t kStateNoLog = 4;
  tag_t OmTag() const { return omTag_; }
};

class KTX_HOST_API MethodicObject : public Object {
 protected:
  MethodicObject(int classId, void* context) : Object(classId, context) {}
  ~MethodicObject() override;
};

class KTX_HOST_API StorableObject : public MethodicObject {
 protected:
  StorableObject(int classId, void* context) : MethodicObject(classId, context) {}
  ~StorableObject() override;
};

class KTX_HOST_API TaggedObject : public StorableObject {
 public:
  static constexpr const char* OmClassName = "KTX::OM::TaggedObject";
  tag_t ask_tag() const { return OmTag(); }
  // Destruction as the host drives it: destroy reaches cascade_destroy, which
  // releases the owned sub-objects, the object's heap values and the object.
  virtual void destroy();
  virtual void cascade_destroy();

 protected:
  TaggedObject(int classId, void* context) : StorableObject(classId, context) {}
  ~TaggedObject() override;
};

class KTX_HOST_API ObjectFactory {
 public:
  static Object* CreateObject(int classId, OM_memory_type_t memoryType, void* context);
};

// Variable-length array attributes. The object's field holds a pointer to
// one of these; the host makes it when its length is first set.
class KTX_HOST_API VariableObject : public Memory::CppMemory {
 public:
  virtual ~VariableObject();
  virtual int Length() const = 0;
  virtual void Resize(int length) = 0;
  [[noreturn]] void ThrowIndexOutOfRange(int index) const;
  std::uint8_t OmState() const { return omState_; }
  void OmSetState(std::uint8_t state) {
    if (state != 0 && omState_ == 0) NoteState(this);
    omState_ = state;
  }
  static void NoteState(VariableObject* array);
  Object* Owner() const { return owner_; }

 protected:
  explicit VariableObject(Object* owner) : owner_(owner) {}

 private:
  friend struct VlaAccess;
  Object* owner_;
  std::uint8_t omState_ = 0;
};

template <class T>
class KTX_HOST_API Vla : public VariableObject {
 public:
  explicit Vla(Object* owner) : VariableObject(owner) {}
  int Length() const override { return static_cast<int>(items_.size()); }
  void Resize(int length) override { items_.resize(length < 0 ? 0 : static_cast<std::size_t>(length)); }
  const T& At(int index) const {
    if (index < 0 || index >= Length()) ThrowIndexOutOfRange(index);
    return items_[static_cast<std::size_t>(index)];
  }
  // Logs the array for undo (unless its own flag says it need not be) and stores.
  void Set(int index, const T& value);  // defined below OM__log
  std::vector<T>& Items() { return items_; }
  const std::vector<T>& Items() const { return items_; }

 private:
  std::vector<T> items_;
};

using DoubleVla = Vla<double>;
using IntVla = Vla<int>;
using KernelTagVla = Vla<int>;
// Texts, 8-bit or UTF-8.
class KTX_HOST_API StringVla : public Vla<std::string> {
 public:
  using Vla<std::string>::Vla;
  // Logs the array for undo (unless its own flag says it need not be) and
  // stores a copy of the text (null stores an empty text).
  void SetValue(int index, const char* text);
};
using UStringVla = StringVla;

// A host string object: one allocator block that holds its zero-terminated
// characters, so a string field (type 0xd or 0x10) that holds one is kept,
// copied for undo and freed like any text the host holds.
class String {
 public:
  const char* GetChars() const { return reinterpret_cast<const char*>(this); }
  String() = delete;
};

class KTX_HOST_API TagVla : public Vla<tag_t> {
 public:
  using Vla<tag_t>::Vla;
  // Stores a tag that does not make the referenced object point back.
  void SetOneWayTagValue(const AttributeId& attribute, int index, tag_t tag);
};

// ---- host calls on objects ----------------------------------------------

KTX_HOST_API void OM__log(Object* object);
KTX_HOST_API void OM__log(VariableObject* array);
template <class T>
void Vla<T>::Set(int index, const T& value) {
  if (index < 0 || index >= Length()) ThrowIndexOutOfRange(index);
  if (OmState() != 4) OM__log(this);
  items_[static_cast<std::size_t>(index)] = value;
}

// The plain-field write rule: log unless the state byte says 4.
inline void LogForWrite(Object* object) {
  if (object->OmState() != Object::kStateNoLog) OM__log(object);
}

KTX_HOST_API void SetReferencedObject(Object* object, const AttributeId& attribute, Object* referenced);
KTX_HOST_API void SetReferencedObject(Object* object, const AttributeId& attribute, tag_t referenced);
KTX_HOST_API void OM_set_pointer(Object* object, const AttributeId& attribute, Object* owned);
KTX_HOST_API void OM_ask_int(const Object* object, const AttributeId& attribute, int* value);
KTX_HOST_API void OM_set_int(Object* object, const AttributeId& attribute, int value);
KTX_HOST_API void OM_ask_reals(const Object* object, const AttributeId& attribute, double* values);
KTX_HOST_API void OM_set_reals(Object* object, const AttributeId& attribute, const double* values);
KTX_HOST_API int OM_vask_array_length(const Object* object, const AttributeId& attribute);
KTX_HOST_API void OM_vset_array_length(Object* object, const AttributeId& attribute, int length, int reserved);
KTX_HOST_API void OM_set_array_length(Object* object, const AttributeId& attribute, int length);
KTX_HOST_API VariableObject* OM_ask_vla(const Object* object, const AttributeId& attribute);
KTX_HOST_API void OM_set_string(Object* object, const AttributeId& attribute, const char* text);
// Element `index` of a fixed row of reals (a point or a matrix); the write logs
// the object unless its flag says it need not be. An index outside the row
// raises the index error.
KTX_HOST_API void OM_set_real_elem(Object* object, const AttributeId& attribute, int index, double value);
KTX_HOST_API void OM_ask_real_elem(const Object* object, const AttributeId& attribute, int index, double* value);
// A new string object holding a copy of the text (null: an empty text);
// null when memory runs out.
KTX_HOST_API String* OM_create_string(const char* text);
KTX_HOST_API String* OM_create_utf8_string(const char* utf8);
// Frees a string object (null: nothing).
KTX_HOST_API void OM__delete_string(String* string);

[[noreturn]] KTX_HOST_API void ThrowIndexOutOfRange(int index, int low, int high);

// ---- tags and classes -----------------------------------------------------

KTX_HOST_API Object* OM_object_of_tag(tag_t tag);            // null for 0, deleted or unknown
KTX_HOST_API bool OM_is_deleted_tag(tag_t tag);
// Whether the tag was handed out and its object is freed for good: no undo
// can bring it back, so a table that keeps something per tag may let the
// tag's entry go.
KTX_HOST_API bool OM_is_freed_tag(tag_t tag);
// The tag the next object made will get: tags are handed out in a row and
// never again, so an object whose tag is at or above it was made since.
KTX_HOST_API tag_t OM_ask_next_tag();
// The checked conversion: 0 gives null; a deleted tag raises the deleted-tag
// error; with the checking level above 0 the class is checked and a wrong
// one raises the bad-object error.
KTX_HOST_API Object* OM_checked_object_of_tag(tag_t tag, int classId);
// The check a caller makes of a tag it is given (logged with the caller's
// source, line, tag and class name): a deleted tag raises the deleted-tag
// error; tag 0, an unknown tag, or an object neither of the class nor of a
// subclass raises the bad-object error; each as raised at the caller's source
// and line. It checks whatever the checking level; asking is the caller's
// choice.
KTX_HOST_API void OM_check_tag_class(const char* source, int line, tag_t tag, int classId);
KTX_HOST_API int OM_ask_checking_level();
KTX_HOST_API void OM_set_checking_level(int level);
KTX_HOST_API tag_t OM_ask_object_tag(const Object* object);
// A tag's handle, the text that names the object across sessions: a new
// string (SM_alloc) the caller frees with SM_free; null for tag 0.
KTX_HOST_API char* TAG_ask_handle_of_tag(tag_t tag);
// The live object a handle names; 0 for null, malformed or gone.
KTX_HOST_API tag_t TAG_find_by_handle(const char* handle);
KTX_HOST_API bool OM_is_subclass(int classId, int superclassId);
KTX_HOST_API int OM_ask_class_id(const char* className);  // 0 when unknown
KTX_HOST_API const char* OM_ask_class_name(int classId);
KTX_HOST_API Object* OM_ask_owner(const Object* object);   // who holds it by OM_set_pointer
// Whether `from` owns `to` or holds it in a single reference or tag field.
KTX_HOST_API bool OM_holds(const Object* from, const Object* to);
// For the host's own classes, which hold sub-objects in plain fields: makes
// `owner` the owner that OM_ask_owner answers (null: none).
// Puts the object under watch, a diagnostic aid: only logged.
KTX_HOST_API void OM_watch_object(const Object* object);
KTX_HOST_API void OM_set_owner(Object* owned, Object* owner);
// Destroys `owned` when `owner` still owns it and the keep-alive check does
// not hold it elsewhere (then it is only let go); nothing for a gone object.
KTX_HOST_API void OM_destroy_owned(Object* owner, Object* owned);
// A check that a host library registers: true when a live object of that
// library still holds `object` by its tag (a feature's parameters hold the
// sections and expressions that their builder made and owns). The cascade of
// the owner then leaves the object alive, no longer owned. Each library
// registers its own; an object that any of them holds stays. Null is ignored.
using KeepAliveCheck = bool (*)(const Object* object);
KTX_HOST_API void OM_set_keep_alive_check(KeepAliveCheck check);
// Whether any library's check holds the object.
KTX_HOST_API bool OM_is_kept_alive(const Object* object);
// Who may hold an object by its tag, for those checks: a holder notes each
// tag it stores, and a check reads the object's own few candidates (asking
// each whether it holds the object now) instead of every holder there is. A
// candidate stays noted until the object is freed for good, so that an undo
// that brings a hold back finds it. Tag 0 on either side is ignored.
KTX_HOST_API void OM_note_holder(tag_t held, tag_t holder);
// The holders noted for the tag, oldest first (null when none).
KTX_HOST_API const std::vector<tag_t>* OM_ask_holders(tag_t held);
// How many undo marks are set and not yet deleted.
KTX_HOST_API int OM_ask_undo_mark_count();
KTX_HOST_API int OM_live_objects();
// How many pages of rows by tag the object manager holds (tests read that a
// page whose objects are all freed for good is given back).
KTX_HOST_API std::size_t OM_row_pages();
// How many undo marks are set (a test reads whether marks balance).
KTX_HOST_API int OM_count_undo_marks();

// A store beside the objects that undo marks cover too (the kernel's bodies
// and faces): it logs its own changes and follows the marks. `index` is a
// mark's place in the stack of marks, 0 the oldest.
class UndoStore {
 public:
  virtual void MarkSet() = 0;
  // Everything changed since the mark at `index` was set is put back; that
  // mark stays, the ones above it are gone. Told after the objects are
  // undone, so that what their destructors changed is put back too.
  virtual void UndoneTo(std::size_t index) = 0;
  // The mark below takes over what the mark recorded; with none below, the
  // changes are for good.
  virtual void MarkDeleted(std::size_t index) = 0;

 protected:
  ~UndoStore() = default;
};
// The store is told of every mark from now on; it starts with the marks
// already set.
KTX_HOST_API void OM_add_undo_store(UndoStore* store);

// What a store that logs its changes in order, with where each mark's
// changes start, does when the mark at `index` is deleted: the mark below
// takes its changes over; the oldest mark's changes are for good, so they are
// dropped from the log.
template <class Change>
void OM_drop_undo_mark(std::vector<std::size_t>& starts, std::vector<Change>& log, std::size_t index) {
  if (index >= starts.size()) return;
  if (index > 0) {
    starts.erase(starts.begin() + static_cast<std::ptrdiff_t>(index));
    return;
  }
  const std::size_t end = starts.size() > 1 ? starts[1] : log.size();
  log.erase(log.begin(), log.begin() + static_cast<std::ptrdiff_t>(end));
  starts.erase(starts.begin());
  for (std::size_t& start : starts) start -= end;
}
// Told of each object an undo takes back because it was made under the
// undone mark, just before it goes (its tag still answers): a host library
// whose services hold such an object outside the object manager (a part
// the session opened or made, say) lets go of it there, as when the object
// is destroyed. Null is ignored.
using CreationUndoneHook = void (*)(Object* object);
KTX_HOST_API void OM_on_creation_undone(CreationUndoneHook hook);
// Whether a change made now is one an undo mark takes back: false with no
// mark set and while a deleted oldest mark frees for good what was deleted
// under it.
KTX_HOST_API bool OM_undo_recording();

template <class T>
T* TagToObject(tag_t tag) {
  return static_cast<T*>(OM_checked_object_of_tag(tag, T::ThisClassId));
}

// ---- registration log (what ktxhost prints) --------------------------------

struct RegistrationEvent {
  bool registered;  // false: the class's registrant was destroyed
  std::string className;
  std::string superclassName;
  int attributeCount;
  unsigned classFlags;
  unsigned registrantWord;
};
KTX_HOST_API const std::vector<RegistrationEvent>& RegistrationEvents();

struct ClassView {
  std::string name;
  std::string superclassName;
  int classId;
  unsigned flags;
  std::vector<const ClassAttributeStruct*> rows;
};
// A registered class as the host keeps it (null name when unknown).
KTX_HOST_API bool OM_describe_class(int classId, ClassView* view);

}  // namespace KTX::OM

// Undo marks, on the object manager's logging.
extern "C" {
KTX_HOST_API int UNDO_QD_set_mark(int visibility, const char* name, int* error);
KTX_HOST_API int UNDO_QD_undo_to_mark(int mark, const char* name);
KTX_HOST_API int UNDO_QD_delete_mark(int mark, const char* name);
// Marks the mark important (1) or not (0); kept on the mark, changes nothing else.
KTX_HOST_API int UNDO_QD_set_mark_importance(int mark, int importance);
// UNDO_QD_undo_to_mark without a status: an unknown mark does nothing.
KTX_HOST_API void UNDO_QD_undo_to_mark_no_status(int mark, const char* name);
// Ends the mark and every mark set after it, keeping what was done under them
// (the mark below, if any, takes over what they recorded).
KTX_HOST_API int UNDO_QD_delete_to_mark(int mark, const char* name);
}
