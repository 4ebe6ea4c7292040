#include "om/ObjectManager.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <new>
#include <stdexcept>
#include <unordered_map>

#include "om/LogTags.hpp"
#include "sys/AddressTable.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Failure.hpp"
#include "sys/Memory.hpp"

namespace KTX::OM {

// The header fields only the object manager sets.
struct ObjectAccess {
  static std::uint32_t& LoggedUnder(Object* o) { return o->omLoggedUnder_; }
  static Object*& Owner(Object* o) { return o->omOwner_; }
  static Object* Owner(const Object* o) { return o->omOwner_; }
};

namespace {

constexpr tag_t kFirstTag = 1000;

struct ClassRecord {
  std::string name;
  std::string superclassName;
  int superclassId = 0;  // resolved on first need: superclasses may register later
  unsigned superclassLookedUpAt = 0;  // the registration count when last looked for in vain
  // Its rows and its superclasses', resolved once per registration count.
  std::vector<const ClassAttributeStruct*> allRows;
  // Of those, the ones whose value lives on the heap (arrays, strings):
  // what undo copies beside the object's bytes.
  std::vector<const ClassAttributeStruct*> heapRows;
  unsigned allRowsAt = 0;
  int* classIdVariable = nullptr;
  unsigned flags = 0;
  std::vector<const ClassAttributeStruct*> rowsByIndex;
  CreateCallback create = nullptr;
  InstanceSizeCallback instanceSize = nullptr;
  std::uint32_t instanceBytes = 0;  // what its objects were made with: what a log entry keeps
  // What its objects are made of, once the first is made (none for objects
  // too large to pool): a class's objects made in a row lie in a row, and a
  // script that writes them in turn reads memory in turn.
  std::unique_ptr<Memory::BlockPool> pool;
  bool alive = true;
};

// The places of the fields an object owns its sub-objects by, in ascending
// order, held in place. An object owns a handful; one that owns more than fit
// here keeps them all in a list instead.
class PlaceSet {
 public:
  void insert(std::uint32_t place) {
    if (!more_.empty()) {
      auto at = std::lower_bound(more_.begin(), more_.end(), place);
      if (at == more_.end() || *at != place) more_.insert(at, place);
      return;
    }
    std::uint32_t* end = here_ + count_;
    std::uint32_t* at = std::lower_bound(here_, end, place);
    if (at != end && *at == place) return;
    if (count_ == kHere) {
      more_.assign(here_, end);
      more_.insert(more_.begin() + (at - here_), place);
      count_ = 0;
      return;
    }
    std::copy_backward(at, end, end + 1);
    *at = place;
    ++count_;
  }
  void erase(std::uint32_t place) {
    if (!more_.empty()) {
      auto at = std::lower_bound(more_.begin(), more_.end(), place);
      if (at != more_.end() && *at == place) more_.erase(at);
      return;
    }
    std::uint32_t* end = here_ + count_;
    std::uint32_t* at = std::lower_bound(here_, end, place);
    if (at == end || *at != place) return;
    std::copy(at + 1, end, at);
    --count_;
  }
  bool contains(std::uint32_t place) const { return std::binary_search(begin(), end(), place); }
  std::size_t size() const { return static_cast<std::size_t>(end() - begin()); }
  // Holds exactly the places given, in ascending order.
  void assign(const std::uint32_t* from, const std::uint32_t* to) {
    more_.clear();
    count_ = 0;
    if (to - from > static_cast<std::ptrdiff_t>(kHere)) {
      more_.assign(from, to);
      return;
    }
    std::copy(from, to, here_);
    count_ = static_cast<std::uint32_t>(to - from);
  }
  const std::uint32_t* begin() const { return more_.empty() ? here_ : more_.data(); }
  const std::uint32_t* end() const { return more_.empty() ? here_ + count_ : more_.data() + more_.size(); }

 private:
  static constexpr std::uint32_t kHere = 15;
  std::uint32_t count_ = 0;  // of here_, while more_ is empty
  std::uint32_t here_[kHere] = {};
  std::vector<std::uint32_t> more_;
};

// What the host keeps of each object, by its tag: a dense row that a look-up
// by tag reaches without a search. A write needs none of it: what its
// logging reads (the mark that logged the object last, its owner) is in the
// object's own header, which the write reads anyway.
struct TagSlot {
  Object* object = nullptr;  // null once the object is freed
  int classId = 0;
  std::uint32_t places = 0;  // 1 + the index of the places it owns by; 0: none
  bool deleted = false;
};

// The rows of a run of consecutive tags. Tags are never reused, so once every
// tag of a page has been handed out and its object freed for good (no undo
// can bring it back), nothing will ask for its rows again: the page goes, and
// a session keeps room for what lives, not for what it ever made.
constexpr std::size_t kPageBits = 8;
constexpr std::size_t kPageSlots = std::size_t{1} << kPageBits;
struct TagPage {
  TagSlot slots[kPageSlots];
  // Rows not yet freed for good, those whose tag is still to come included.
  std::size_t held = kPageSlots;
};

// A string or array field's value in an object's log entry: its bytes lie
// in the entry's heap, after those of the values before it.
struct HeapValue {
  VariableObject* array = nullptr;  // an array field's array; null: a string field
  std::uint64_t size = 0;           // bytes in the heap (a text's with its end)
  std::uint32_t place = 0;          // the field
  std::uint32_t none = 0;           // a string field that held no text
};

// One change in a mark's log. What it keeps follows it in the log's room: an
// object's bytes (its header too: its owner, the mark that logged it), then
// its heap values and their bytes; an array's items; the places an owner
// owned its sub-objects by.
struct LogEntry {
  enum Kind : std::uint32_t { kObject, kArray, kPlaces };
  void* target;    // the object, or the array
  Kind kind;
  std::uint32_t bytes;   // the object's bytes, the array's items, the places'
  std::uint32_t values;  // an object's heap values, after its bytes
  std::uint32_t heap;    // their bytes, after the values
  std::uint32_t prev;    // the epoch the object was logged under before this mark logged it
};
static_assert(sizeof(LogEntry) % 8 == 0 && sizeof(HeapValue) % 8 == 0);

constexpr std::size_t align8(std::size_t n) { return (n + 7) & ~std::size_t{7}; }
unsigned char* payloadOf(LogEntry* e) { return reinterpret_cast<unsigned char*>(e + 1); }
HeapValue* valuesOf(LogEntry* e) { return reinterpret_cast<HeapValue*>(payloadOf(e) + align8(e->bytes)); }
unsigned char* heapOf(LogEntry* e) { return reinterpret_cast<unsigned char*>(valuesOf(e) + e->values); }

// Room for a mark's log: its entries one after another in large chunks, so
// that a write asks for memory once per chunk, and what a mark's end lets go
// of is freed but for a few chunks kept for the next marks, so that a session
// of small marks does not ask for memory at every mark, while a large undo
// does not keep its room once it is over.
struct Chunk {
  unsigned char* data = nullptr;
  std::size_t size = 0;
  std::size_t used = 0;
};
constexpr std::size_t kChunkBytes = std::size_t{256} << 10;
constexpr std::size_t kSpareRoomBytes = std::size_t{1} << 20;

class LogRoom {
 public:
  LogRoom() = default;
  LogRoom(LogRoom&& other) noexcept : chunks_(std::move(other.chunks_)) { other.chunks_.clear(); }
  LogRoom& operator=(LogRoom&& other) noexcept {
    std::swap(chunks_, other.chunks_);
    return *this;
  }
  LogRoom(const LogRoom&) = delete;
  LogRoom& operator=(const LogRoom&) = delete;
  ~LogRoom() { Release(); }

  // `bytes` (a multiple of 8) of room, aligned to 8.
  void* Take(std::size_t bytes);
  // The other room's chunks become this one's; it is left empty.
  void TakeOver(LogRoom& other) {
    chunks_.insert(chunks_.end(), other.chunks_.begin(), other.chunks_.end());
    other.chunks_.clear();
  }
  // Lets every chunk go, to the spare ones while they are few.
  void Release() noexcept;

 private:
  std::vector<Chunk> chunks_;
};

struct Mark {
  int id = 0;
  std::string name;
  // Marks with the same epoch log an object once; a mark's epoch is new each
  // time it is set or undone to.
  std::uint32_t epoch = 0;
  std::vector<LogEntry*> log;  // in the order written: undo restores it backwards
  LogRoom room;
  KTX::Host::AddressTable<bool> loggedArrays;
  std::vector<Object*> created;
  std::vector<Object*> deleted;  // kept alive until no mark can bring them back
  int importance = 0;
};

struct Manager {
  std::vector<ClassRecord> classes;  // class id = index + 1
  // The registered classes by name: a plug-in's load registers hundreds, and
  // each registration looks its name up.
  std::unordered_map<std::string, int> classByName;
  // Every live object's tag by its address: what finds an object that may be
  // gone (a sub-object's field, say) without reading it.
  KTX::Host::AddressTable<tag_t> objects;
  // The tags of the objects whose state is set: what setting a mark clears.
  std::vector<tag_t> stateTags;
  // Of those, the ones whose state their logging set: each is in the top
  // mark's log, so an undo restores their state and need not clear it.
  std::vector<tag_t> loggedStateTags;
  // Objects with a state set that no tag leads to, and arrays with a state set.
  KTX::Host::AddressTable<bool> stateSet;
  KTX::Host::AddressTable<bool> arrayStateSet;
  // Counts registrations and unregistrations, from 1: cached class answers
  // hold while it stays.
  unsigned registrations = 1;
  // Indexed by (tag - kFirstTag) / kPageSlots; null once a page is given back.
  std::vector<std::unique_ptr<TagPage>> tagPages;
  tag_t nextTag = kFirstTag;
  // The places owners own their sub-objects by (TagSlot::places), and the
  // ones free for reuse.
  std::vector<PlaceSet> placeSets;
  std::vector<std::uint32_t> freePlaceSets;
  std::vector<RegistrationEvent> events;
  std::vector<Mark> marks;
  // What undone and deleted marks let go of, kept for the next marks: a mark
  // set, written under and undone again and again (a script's every step)
  // asks for no memory once it has run.
  std::vector<LogEntry*> spareLog;
  std::vector<Chunk> spareChunks;
  std::size_t spareBytes = 0;
  // A mark's list of its chunks, kept with its room for the next mark: one
  // that grew it during a large write would otherwise be moved (and the
  // allocator asked for ever larger blocks) again under each mark.
  std::vector<Chunk> spareChunkList;
  // Where an object's heap values and an array's items are gathered before
  // they go into a log.
  std::vector<HeapValue> scratchValues;
  std::vector<unsigned char> scratchHeap;
  int nextMark = 1;
  std::uint32_t nextEpoch = 1;
  int checkingLevel = 1;
  bool undoing = false;
  // Set while a deleted oldest mark frees what was deleted under it: what
  // their destructors change is for good.
  bool releasing = false;
  std::vector<UndoStore*> stores;
  std::vector<CreationUndoneHook> creationUndone;
  // Who may hold each object by its tag (OM_note_holder).
  std::unordered_map<tag_t, std::vector<tag_t>> holders;
};

// Asked for on every logged write and every look-up: once made, it is a load.
Manager* theManager = nullptr;
[[gnu::noinline, gnu::cold]] Manager& makeManager() {
  static auto* m = new Manager;
  __atomic_store_n(&theManager, m, __ATOMIC_RELEASE);
  return *m;
}
[[gnu::always_inline]] inline Manager& om() {
  // A plain load (the builtin, never an outlined call), safe on any thread.
  Manager* known = __atomic_load_n(&theManager, __ATOMIC_ACQUIRE);
  return known != nullptr ? *known : makeManager();
}

void* LogRoom::Take(std::size_t bytes) {
  if (chunks_.empty() || chunks_.back().size - chunks_.back().used < bytes) {
    if (chunks_.empty() && chunks_.capacity() < om().spareChunkList.capacity()) std::swap(chunks_, om().spareChunkList);
    Chunk chunk;
    std::vector<Chunk>& spare = om().spareChunks;
    if (!spare.empty() && spare.back().size >= bytes) {
      chunk = spare.back();
      spare.pop_back();
      om().spareBytes -= chunk.size;
    } else {
      chunk.size = std::max(kChunkBytes, bytes);
      chunk.data = static_cast<unsigned char*>(std::malloc(chunk.size));
      if (chunk.data == nullptr) throw std::bad_alloc();
    }
    chunk.used = 0;
    chunks_.push_back(chunk);
  }
  Chunk& last = chunks_.back();
  void* room = last.data + last.used;
  last.used += bytes;
  return room;
}

void LogRoom::Release() noexcept {
  Manager* m = __atomic_load_n(&theManager, __ATOMIC_ACQUIRE);
  // The room a mark used is kept while marks use as much: a session that
  // logs as many objects under each mark (a script writing every builder of
  // a large part) takes its room from the spares, where freeing it would page
  // it in anew at every mark. A mark that used less than a quarter of the
  // spares gives back all but twice its own.
  std::size_t released = 0;
  for (const Chunk& chunk : chunks_) released += chunk.size;
  const std::size_t keep = std::max(kSpareRoomBytes, released);
  if (m != nullptr && released != 0 && 4 * released < m->spareBytes) {
    const std::size_t trimTo = std::max(kSpareRoomBytes, 2 * released);
    while (m->spareBytes > trimTo && !m->spareChunks.empty()) {
      m->spareBytes -= m->spareChunks.back().size;
      std::free(m->spareChunks.back().data);
      m->spareChunks.pop_back();
    }
  }
  for (Chunk& chunk : chunks_) {
    // Called from the destructor: a spare list that cannot grow frees the
    // chunk instead of throwing.
    bool kept = false;
    if (m != nullptr && chunk.size == kChunkBytes && m->spareBytes + chunk.size <= keep) {
      try {
        m->spareChunks.push_back(chunk);
        m->spareBytes += chunk.size;
        kept = true;
      } catch (const std::bad_alloc&) {
      }
    }
    if (!kept) std::free(chunk.data);
  }
  chunks_.clear();
  if (m != nullptr && chunks_.capacity() > m->spareChunkList.capacity()) std::swap(chunks_, m->spareChunkList);
}

// The row of a tag; null for a tag never handed out and for one whose page
// was given back (its object freed for good).
[[gnu::always_inline]] inline TagSlot* slotOf(tag_t tag) {
  const Manager& m = om();
  if (tag < kFirstTag || tag >= m.nextTag) return nullptr;
  const std::size_t index = tag - kFirstTag;
  TagPage* page = m.tagPages[index >> kPageBits].get();
  return page == nullptr ? nullptr : &page->slots[index & (kPageSlots - 1)];
}

// Whether the tag was handed out and its object is gone: a row that says so,
// or no row left at all for a tag below the next one.
bool deletedTag(tag_t tag, const TagSlot* slot) {
  return slot != nullptr ? slot->deleted : tag >= kFirstTag && tag < om().nextTag;
}

// A row for a new object, with the next tag.
tag_t newSlot(const TagSlot& slot) {
  Manager& m = om();
  const std::size_t index = m.nextTag - kFirstTag;
  if ((index & (kPageSlots - 1)) == 0) m.tagPages.push_back(std::make_unique<TagPage>());
  m.tagPages.back()->slots[index & (kPageSlots - 1)] = slot;
  return m.nextTag++;
}

// The row's object is freed for good: its page goes once it holds no other.
void freeSlot(tag_t tag, TagSlot& slot) {
  slot.object = nullptr;
  slot.deleted = true;
  std::unique_ptr<TagPage>& page = om().tagPages[(tag - kFirstTag) >> kPageBits];
  if (--page->held == 0) page.reset();
}

// The row of an object that is there to be written: its own tag leads to it.
// Null for an object the factory did not make or that is freed.
TagSlot* ownSlot(const Object* o) {
  TagSlot* slot = slotOf(o->OmTag());
  return slot != nullptr && slot->object == o ? slot : nullptr;
}

// Whether an object that is there to be written was made by the factory (the
// factory alone gives tags): read from the object itself, not its row.
bool madeByFactory(const Object* o) { return o->OmTag() != 0; }

// The row of an object known only by its address, which may be gone (a
// sub-object's field, say): found by address, never read through it.
TagSlot* knownSlot(const Object* o) {
  const tag_t* tag = om().objects.Find(o);
  return tag == nullptr ? nullptr : slotOf(*tag);
}

PlaceSet* placesOf(const TagSlot& slot) {
  return slot.places == 0 ? nullptr : &om().placeSets[slot.places - 1];
}

PlaceSet& ensurePlaces(TagSlot& slot) {
  if (slot.places == 0) {
    if (!om().freePlaceSets.empty()) {
      slot.places = om().freePlaceSets.back();
      om().freePlaceSets.pop_back();
    } else {
      om().placeSets.emplace_back();
      slot.places = static_cast<std::uint32_t>(om().placeSets.size());
    }
  }
  return om().placeSets[slot.places - 1];
}

void dropPlaces(TagSlot& slot) {
  if (slot.places == 0) return;
  om().placeSets[slot.places - 1].assign(nullptr, nullptr);
  om().freePlaceSets.push_back(slot.places);
  slot.places = 0;
}

void noteStateTag(tag_t tag) { om().stateTags.push_back(tag); }

ClassRecord* classRecord(int classId) {
  if (classId <= 0 || static_cast<std::size_t>(classId) > om().classes.size()) return nullptr;
  return &om().classes[static_cast<std::size_t>(classId - 1)];
}

int findClass(const std::string& name) {
  auto it = om().classByName.find(name);
  return it != om().classByName.end() ? it->second : 0;
}

int superclassOf(int classId) {
  ClassRecord* c = classRecord(classId);
  if (c == nullptr) return 0;
  if (c->superclassId == 0 && !c->superclassName.empty() && c->superclassLookedUpAt != om().registrations) {
    c->superclassId = findClass(c->superclassName);
    c->superclassLookedUpAt = om().registrations;
  }
  return c->superclassId;
}


// ---- array contents, copied for undo ----

// Each appends the items' bytes to what `out` holds; each load reads `size`
// bytes from `in`.
template <class T>
void saveItems(const std::vector<T>& items, std::vector<unsigned char>& out) {
  const auto* p = reinterpret_cast<const unsigned char*>(items.data());
  out.insert(out.end(), p, p + items.size() * sizeof(T));
}
template <class T>
void loadItems(std::vector<T>& items, const unsigned char* in, std::size_t size) {
  items.resize(size / sizeof(T));
  if (!items.empty()) std::memcpy(items.data(), in, items.size() * sizeof(T));
}
void saveStrings(const std::vector<std::string>& items, std::vector<unsigned char>& out) {
  for (const std::string& s : items) {
    std::uint64_t n = s.size();
    const auto* p = reinterpret_cast<const unsigned char*>(&n);
    out.insert(out.end(), p, p + sizeof n);
    out.insert(out.end(), s.begin(), s.end());
  }
}
void loadStrings(std::vector<std::string>& items, const unsigned char* in, std::size_t size) {
  items.clear();
  std::size_t at = 0;
  while (at + sizeof(std::uint64_t) <= size) {
    std::uint64_t n = 0;
    std::memcpy(&n, in + at, sizeof n);
    at += sizeof n;
    items.emplace_back(reinterpret_cast<const char*>(in + at), n);
    at += n;
  }
}

// Appends the array's items to `out`.
void saveArray(VariableObject* a, std::vector<unsigned char>& out) {
  if (auto* d = dynamic_cast<Vla<double>*>(a)) saveItems(d->Items(), out);
  else if (auto* i = dynamic_cast<Vla<int>*>(a)) saveItems(i->Items(), out);
  else if (auto* t = dynamic_cast<Vla<tag_t>*>(a)) saveItems(t->Items(), out);
  else if (auto* s = dynamic_cast<Vla<std::string>*>(a)) saveStrings(s->Items(), out);
}
void loadArray(VariableObject* a, const unsigned char* in, std::size_t size) {
  if (auto* d = dynamic_cast<Vla<double>*>(a)) loadItems(d->Items(), in, size);
  else if (auto* i = dynamic_cast<Vla<int>*>(a)) loadItems(i->Items(), in, size);
  else if (auto* t = dynamic_cast<Vla<tag_t>*>(a)) loadItems(t->Items(), in, size);
  else if (auto* s = dynamic_cast<Vla<std::string>*>(a)) loadStrings(s->Items(), in, size);
}

bool isHeapArray(const ClassAttributeStruct* row) {
  std::uint32_t count = TypeCode::Count(row->typeCode);
  return count == TypeCode::kVariable || (count == 2 && row->dimensions != nullptr);
}
bool isString(const ClassAttributeStruct* row) {
  return row->typeCode == TypeCode::kString || row->typeCode == TypeCode::kUString;
}

// Every row of the object's class and of its superclasses.
const std::vector<const ClassAttributeStruct*>& allRows(int classId) {
  static const std::vector<const ClassAttributeStruct*> none;
  ClassRecord* record = classRecord(classId);
  if (record == nullptr) return none;
  if (record->allRowsAt != om().registrations) {
    std::vector<const ClassAttributeStruct*> rows;
    for (int c = classId; c != 0; c = superclassOf(c)) {
      ClassRecord* r = classRecord(c);
      if (r == nullptr) break;
      rows.insert(rows.end(), r->rowsByIndex.begin(), r->rowsByIndex.end());
    }
    record = classRecord(classId);
    record->heapRows.clear();
    for (const ClassAttributeStruct* row : rows)
      if (isHeapArray(row) || isString(row)) record->heapRows.push_back(row);
    record->allRows = std::move(rows);
    record->allRowsAt = om().registrations;
  }
  return record->allRows;
}

const std::vector<const ClassAttributeStruct*>& heapRows(int classId) {
  static const std::vector<const ClassAttributeStruct*> none;
  allRows(classId);
  ClassRecord* record = classRecord(classId);
  return record != nullptr ? record->heapRows : none;
}


template <class F>
F& field(const Object* o, const ClassAttributeStruct* row) {
  return *reinterpret_cast<F*>(reinterpret_cast<char*>(const_cast<Object*>(o)) + row->fieldPlace);
}

const ClassAttributeStruct* rowOf(const Object* o, const AttributeId& id) {
  if (!id.IsBound()) {
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "unbound attribute id");
  }
  ClassRecord* c = classRecord(id.ClassId());
  if (c == nullptr || !OM_is_subclass(o->OmClassId(), id.ClassId()) ||
      static_cast<std::size_t>(id.Index()) >= c->rowsByIndex.size()) {
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "attribute %d of class %d is not an attribute of %s",
                id.Index(), id.ClassId(), OM_ask_class_name(o->OmClassId()));
  }
  return c->rowsByIndex[static_cast<std::size_t>(id.Index())];
}

VariableObject* makeArray(Object* owner, const ClassAttributeStruct* row) {
  switch (TypeCode::Element(row->typeCode)) {
    case TypeCode::kDouble: return new DoubleVla(owner);
    case TypeCode::kInteger:
    case TypeCode::kKernelTag: return new IntVla(owner);
    case TypeCode::kTag: return new TagVla(owner);
    case TypeCode::kString:
    case TypeCode::kUString: return new StringVla(owner);
    default: return nullptr;
  }
}

// Appends the object as it is now to the mark's log: its bytes, its owner,
// and what its strings and arrays hold. An array logged under the mark before
// is kept as it is now: undo restores the log backwards, so the array's own
// entry, which is older, has the last word.
void logObject(Mark& mark, Object* o, std::uint32_t prev) {
  const ClassRecord* c = classRecord(o->OmClassId());
  const std::uint32_t bytes = c->instanceBytes;
  const std::vector<const ClassAttributeStruct*>& rows = heapRows(o->OmClassId());
  std::vector<HeapValue>& values = om().scratchValues;
  std::vector<unsigned char>& heap = om().scratchHeap;
  values.clear();
  heap.clear();
  for (const ClassAttributeStruct* row : rows) {
    HeapValue value;
    value.place = row->fieldPlace;
    const std::size_t before = heap.size();
    if (isHeapArray(row)) {
      value.array = field<VariableObject*>(o, row);
      if (value.array == nullptr) continue;
      saveArray(value.array, heap);
    } else if (isString(row)) {
      const char* text = field<char*>(o, row);
      value.none = text == nullptr ? 1 : 0;
      if (text != nullptr) heap.insert(heap.end(), text, text + std::strlen(text) + 1);
    } else {
      continue;
    }
    value.size = heap.size() - before;
    values.push_back(value);
  }
  const std::size_t room =
      sizeof(LogEntry) + align8(bytes) + values.size() * sizeof(HeapValue) + align8(heap.size());
  auto* e = new (mark.room.Take(room)) LogEntry{o,
                                                LogEntry::kObject,
                                                bytes,
                                                static_cast<std::uint32_t>(values.size()),
                                                static_cast<std::uint32_t>(heap.size()),
                                                prev};
  std::memcpy(payloadOf(e), reinterpret_cast<const unsigned char*>(o), bytes);
  if (!values.empty()) std::memcpy(valuesOf(e), values.data(), values.size() * sizeof(HeapValue));
  if (!heap.empty()) std::memcpy(heapOf(e), heap.data(), heap.size());
  mark.log.push_back(e);
}

// Appends the places the object owns its sub-objects by, before they change.
void logPlaces(const Object* o, const TagSlot& slot) {
  if (om().marks.empty() || om().undoing) return;
  Mark& mark = om().marks.back();
  const PlaceSet* places = placesOf(slot);
  const std::size_t count = places != nullptr ? places->size() : 0;
  const std::uint32_t bytes = static_cast<std::uint32_t>(count * sizeof(std::uint32_t));
  auto* e = new (mark.room.Take(sizeof(LogEntry) + align8(bytes)))
      LogEntry{const_cast<Object*>(o), LogEntry::kPlaces, bytes, 0, 0, 0};
  if (count != 0) std::memcpy(payloadOf(e), places->begin(), bytes);
  mark.log.push_back(e);
}

void freeHeapValues(Object* o) {
  for (const ClassAttributeStruct* row : heapRows(o->OmClassId())) {
    if (isHeapArray(row)) {
      delete field<VariableObject*>(o, row);
      field<VariableObject*>(o, row) = nullptr;
    } else if (isString(row)) {
      SM_free(field<char*>(o, row));
      field<char*>(o, row) = nullptr;
    }
  }
}

void releaseMemory(Object* o) {
  if (!om().holders.empty()) om().holders.erase(o->OmTag());
  freeHeapValues(o);
  Memory::BlockPool* pool = nullptr;
  if (const ClassRecord* c = classRecord(o->OmClassId())) pool = c->pool.get();
  o->~Object();
  tag_t tag = 0;
  if (om().objects.Erase(o, &tag)) {
    if (TagSlot* slot = slotOf(tag)) {
      dropPlaces(*slot);
      freeSlot(tag, *slot);
    }
  }
  om().stateSet.Erase(o);
  if (pool != nullptr)
    pool->Give(o);
  else
    SM_free(o);
}

void restoreObject(LogEntry* e) {
  auto* o = static_cast<Object*>(e->target);
  const HeapValue* values = valuesOf(e);
  const HeapValue* valuesEnd = values + e->values;
  // Arrays made after the entry go; arrays that existed get their items back.
  for (const ClassAttributeStruct* row : heapRows(o->OmClassId())) {
    if (isHeapArray(row)) {
      VariableObject* a = field<VariableObject*>(o, row);
      if (a != nullptr && std::none_of(values, valuesEnd, [&](const HeapValue& v) { return v.array == a; }))
        delete a;
    } else if (isString(row)) {
      SM_free(field<char*>(o, row));
    }
  }
  // The header comes back too: the owner and the mark that logged it last.
  std::memcpy(reinterpret_cast<unsigned char*>(o), payloadOf(e), e->bytes);
  if (o->OmState() != 0) {
    if (madeByFactory(o))
      noteStateTag(o->OmTag());
    else
      om().stateSet.Insert(o);
  }
  const unsigned char* data = heapOf(e);
  for (const HeapValue* v = values; v != valuesEnd; ++v) {
    if (v->array != nullptr) {
      loadArray(v->array, data, v->size);
    } else {
      char*& f = *reinterpret_cast<char**>(reinterpret_cast<char*>(o) + v->place);
      f = v->none != 0 ? nullptr : SM_string_copy(reinterpret_cast<const char*>(data));
    }
    data += v->size;
  }
}

void restorePlaces(LogEntry* e) {
  TagSlot* slot = ownSlot(static_cast<Object*>(e->target));
  if (slot == nullptr) return;
  const auto* places = reinterpret_cast<const std::uint32_t*>(payloadOf(e));
  const std::size_t count = e->bytes / sizeof(std::uint32_t);
  if (count == 0)
    dropPlaces(*slot);
  else
    ensurePlaces(*slot).assign(places, places + count);
}

void restoreEntry(LogEntry* e) {
  switch (e->kind) {
    case LogEntry::kObject: restoreObject(e); break;
    case LogEntry::kArray: loadArray(static_cast<VariableObject*>(e->target), payloadOf(e), e->bytes); break;
    case LogEntry::kPlaces: restorePlaces(e); break;
  }
}

// Lets a mark's log go: its room to the spare chunks, its list to the next mark.
void releaseLog(Mark& mark) {
  constexpr std::size_t kSpareEntries = std::size_t{1} << 20;
  mark.room.Release();
  mark.log.clear();
  if (mark.log.capacity() > om().spareLog.capacity() && mark.log.capacity() <= kSpareEntries)
    std::swap(mark.log, om().spareLog);
}

void killObject(Object* o) {
  TagSlot* slot = slotOf(o->OmTag());
  if (slot != nullptr) slot->deleted = true;
  if (!om().marks.empty()) {
    om().marks.back().deleted.push_back(o);  // undo may bring it back
  } else {
    releaseMemory(o);
  }
}

}  // namespace

// ---- registration ---------------------------------------------------------

ClassRegistrant::ClassRegistrant(const char* className, unsigned, const char* const*, int* classIdVariable,
                                 unsigned registrantWord, unsigned classFlags, int attributeCount,
                                 const ClassAttributeStruct* attributeTable, const char* superclassName,
                                 const char*, unsigned, const char* const*, unsigned, CreateCallback create,
                                 InstanceSizeCallback instanceSize, AllocationCallback, ObjectCallback)
    : classId_(0) {
  if (className == nullptr || classIdVariable == nullptr || attributeCount < 0)
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class registration without a name or class id");
  if (registrantWord != 0x80000000u + static_cast<unsigned>(attributeCount))
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "class %s: registrant word %#x does not match %d rows",
                className, registrantWord, attributeCount);
  if (findClass(className) != 0)
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class %s is registered already", className);
  ClassRecord record;
  record.name = className;
  record.superclassName = superclassName != nullptr ? superclassName : "";
  record.classIdVariable = classIdVariable;
  record.flags = classFlags;
  record.create = create;
  record.instanceSize = instanceSize;
  record.rowsByIndex.assign(static_cast<std::size_t>(attributeCount), nullptr);
  for (int i = 0; i < attributeCount; ++i) {
    const ClassAttributeStruct* row = &attributeTable[i];
    unsigned index = row->attributeIndex - 0x80000000u;
    if (row->classIdVariable != classIdVariable || index >= static_cast<unsigned>(attributeCount) ||
        record.rowsByIndex[index] != nullptr || row->attributeId == nullptr)
      ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "class %s: malformed attribute row %d", className, i);
    record.rowsByIndex[index] = row;
  }
  om().classes.push_back(std::move(record));
  ++om().registrations;
  classId_ = static_cast<int>(om().classes.size());
  om().classByName[className] = classId_;
  for (int i = 0; i < attributeCount; ++i)
    attributeTable[i].attributeId->Bind(classId_, static_cast<int>(attributeTable[i].attributeIndex - 0x80000000u));
  *classIdVariable = classId_;
  om().events.push_back({true, className, superclassName != nullptr ? superclassName : "", attributeCount,
                         classFlags, registrantWord});
}

ClassRegistrant::~ClassRegistrant() {
  ClassRecord* c = classRecord(classId_);
  if (c == nullptr) return;
  c->alive = false;
  if (auto it = om().classByName.find(c->name); it != om().classByName.end() && it->second == classId_)
    om().classByName.erase(it);
  ++om().registrations;
  om().events.push_back({false, c->name, c->superclassName, static_cast<int>(c->rowsByIndex.size()), c->flags,
                         0x80000000u + static_cast<unsigned>(c->rowsByIndex.size())});
}

void ClassRegistrant::Destroy(ClassRegistrant* registrant) { delete registrant; }

const std::vector<RegistrationEvent>& RegistrationEvents() { return om().events; }

bool OM_describe_class(int classId, ClassView* view) {
  ClassRecord* c = classRecord(classId);
  if (c == nullptr || view == nullptr) return false;
  view->name = c->name;
  view->superclassName = c->superclassName;
  view->classId = classId;
  view->flags = c->flags;
  view->rows = c->rowsByIndex;
  return true;
}

// ---- objects ----------------------------------------------------------------

Object::Object(int classId, void* context) { CustomConstructObjectFunction(this, classId, context); }
Object::~Object() = default;
MethodicObject::~MethodicObject() = default;
StorableObject::~StorableObject() = default;
TaggedObject::~TaggedObject() = default;

void Object::CustomConstructObjectFunction(Object* object, int classId, void*) {
  // The tag and the state are the factory's; the class is known already.
  object->omClassId_ = classId;
}

Object* ObjectFactory::CreateObject(int classId, OM_memory_type_t, void* context) {
  ClassRecord* c = classRecord(classId);
  if (c == nullptr || !c->alive || c->create == nullptr)
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "no class with id %d to create", classId);
  if (c->instanceSize == nullptr)
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class %s is abstract", c->name.c_str());
  if (Failure::Fails(Failure::kHostCall, "OM_create_object"))
    ERROR_raise(__FILE__, __LINE__, Failure::kInjected, "OM_create_object failed");
  std::size_t size = static_cast<std::size_t>(c->instanceSize(nullptr));
  // A class's objects are all of one size: the log keeps that many bytes of each.
  if (c->instanceBytes != 0 && size != c->instanceBytes)
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class %s: an object of %zu bytes, not %u", c->name.c_str(),
                size, c->instanceBytes);
  if (size < sizeof(Object))
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class %s: an object of %zu bytes", c->name.c_str(), size);
  if (c->pool == nullptr && size <= Memory::BlockPool::kLargest) c->pool = std::make_unique<Memory::BlockPool>(size);
  Memory::BlockPool* pool = c->pool.get();
  void* memory = pool != nullptr ? pool->Take() : SM_calloc(1, size);
  if (memory == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a %s", c->name.c_str());
  const auto giveBack = [pool](void* block) {
    if (pool != nullptr)
      pool->Give(block);
    else
      SM_free(block);
  };
  Object* object = c->create(memory, classId, context);
  if (object == nullptr || static_cast<void*>(object) != memory) {
    giveBack(memory);
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class %s did not construct its object", c->name.c_str());
  }
  object->omClassId_ = classId;
  for (const ClassAttributeStruct* row : allRows(classId)) {
    if (row->initialValue == nullptr) continue;
    std::size_t width = TypeCode::Element(row->typeCode) == TypeCode::kLogical ? sizeof(bool)
                        : TypeCode::Element(row->typeCode) == TypeCode::kDouble ? sizeof(double)
                                                                                : sizeof(int);
    std::memcpy(reinterpret_cast<char*>(object) + row->fieldPlace, row->initialValue, width);
  }
  TagSlot slot;
  slot.object = object;
  slot.classId = classId;
  try {
    object->omTag_ = newSlot(slot);
  } catch (...) {
    object->~Object();
    giveBack(memory);
    throw;
  }
  om().objects.Insert(object, object->omTag_);
  // Looked up again: the constructor may have registered classes.
  classRecord(classId)->instanceBytes = static_cast<std::uint32_t>(size);
  // Undo deletes what was made under a mark, so such objects need no logging.
  object->omState_ = om().marks.empty() ? 0 : Object::kStateNoLog;
  if (object->omState_ != 0) noteStateTag(object->omTag_);
  if (!om().marks.empty()) om().marks.back().created.push_back(object);
  if (KTX::Host::Logging()) Host::Log("OM_create_object", c->name + " " + Host::TagArg(object));
  return object;
}

void TaggedObject::destroy() { cascade_destroy(); }

namespace {
std::vector<KeepAliveCheck>& keepAliveChecks() {
  static auto* checks = new std::vector<KeepAliveCheck>;
  return *checks;
}
bool keptAlive(const Object* object) {
  for (KeepAliveCheck keep : keepAliveChecks())
    if (keep(object)) return true;
  return false;
}
}  // namespace

void OM_set_keep_alive_check(KeepAliveCheck check) {
  if (check != nullptr) keepAliveChecks().push_back(check);
}

bool OM_is_kept_alive(const Object* object) { return object != nullptr && keptAlive(object); }

void OM_note_holder(tag_t held, tag_t holder) {
  if (held == 0 || holder == 0) return;
  std::vector<tag_t>& noted = om().holders[held];
  if (std::find(noted.begin(), noted.end(), holder) == noted.end()) noted.push_back(holder);
}

const std::vector<tag_t>* OM_ask_holders(tag_t held) {
  auto it = om().holders.find(held);
  return it == om().holders.end() ? nullptr : &it->second;
}

int OM_ask_undo_mark_count() { return static_cast<int>(om().marks.size()); }

void OM_add_undo_store(UndoStore* store) {
  om().stores.push_back(store);
  for (std::size_t i = 0; i < om().marks.size(); ++i) store->MarkSet();
}

void OM_on_creation_undone(CreationUndoneHook hook) {
  if (hook != nullptr) om().creationUndone.push_back(hook);
}

bool OM_undo_recording() { return !om().marks.empty() && !om().releasing; }

void TaggedObject::cascade_destroy() {
  const TagSlot* slot = knownSlot(this);
  if (slot == nullptr) return;
  if (KTX::Host::Logging()) Host::Log("OM_destroy", Host::TagArg(this));
  std::vector<Object*> owned;
  if (const PlaceSet* places = placesOf(*slot)) {
    for (std::uint32_t place : *places) {
      Object* sub = *reinterpret_cast<Object**>(reinterpret_cast<char*>(this) + place);
      if (sub != nullptr) owned.push_back(sub);
    }
  }
  for (Object* sub : owned) {
    // A sub-object its part destroyed first is gone: look at it only while it lives.
    const TagSlot* known = knownSlot(sub);
    if (known == nullptr || known->deleted) continue;
    if (keptAlive(sub)) {
      if (knownSlot(sub) != nullptr && ObjectAccess::Owner(sub) == this) ObjectAccess::Owner(sub) = nullptr;
      continue;
    }
    if (auto* tagged = dynamic_cast<TaggedObject*>(sub); tagged != nullptr) tagged->destroy();
  }
  killObject(this);
}

void OM_watch_object(const Object* object) { Host::Log("OM_watch_object", Host::TagArg(object)); }

void OM_set_owner(Object* owned, Object* owner) {
  if (knownSlot(owned) != nullptr) ObjectAccess::Owner(owned) = owner;
}

void OM_destroy_owned(Object* owner, Object* owned) {
  const TagSlot* sub = knownSlot(owned);
  if (owned == nullptr || sub == nullptr || sub->deleted) return;
  // What another object took over, or what is held elsewhere, stays.
  if (ObjectAccess::Owner(owned) != owner) return;
  if (keptAlive(owned)) {
    if (knownSlot(owned) != nullptr) ObjectAccess::Owner(owned) = nullptr;
    return;
  }
  if (auto* tagged = dynamic_cast<TaggedObject*>(owned); tagged != nullptr) tagged->destroy();
}

VariableObject::~VariableObject() { om().arrayStateSet.Erase(this); }

void Object::NoteState(Object* object) {
  if (madeByFactory(object))
    noteStateTag(object->OmTag());
  else
    om().stateSet.Insert(object);
}
void VariableObject::NoteState(VariableObject* array) { om().arrayStateSet.Insert(array); }

void VariableObject::ThrowIndexOutOfRange(int index) const {
  ERROR_raise(__FILE__, __LINE__, Error::kIndexOutOfRange, "index %d out of range 0 to %d", index, Length() - 1);
}

void ThrowIndexOutOfRange(int index, int low, int high) {
  ERROR_raise(__FILE__, __LINE__, Error::kIndexOutOfRange, "index %d out of range %d to %d", index, low, high);
}

// ---- logging and undo ---------------------------------------------------------

void OM__log(Object* object) {
  if (KTX::Host::Logging()) Host::Log("OM__log", Host::TagArg(object));
  Manager& m = om();
  if (m.marks.empty() || m.undoing || !madeByFactory(object)) return;
  Mark& mark = m.marks.back();
  std::uint32_t& loggedUnder = ObjectAccess::LoggedUnder(object);
  if (loggedUnder == mark.epoch) return;
  // Counted as logged only once its entry is there (the room may run out);
  // the entry keeps the epoch before, which undo gives back with the bytes.
  logObject(mark, object, loggedUnder);
  loggedUnder = mark.epoch;
  if (object->omState_ == 0) m.loggedStateTags.push_back(object->omTag_);
  object->omState_ = Object::kStateNoLog;
}

void OM__log(VariableObject* array) {
  if (KTX::Host::Logging()) Host::Log("OM__log_array", array->Owner() != nullptr ? Host::TagArg(array->Owner()) : "");
  if (om().marks.empty() || om().undoing) return;
  Mark& mark = om().marks.back();
  if (!mark.loggedArrays.Insert(array)) return;
  std::vector<unsigned char>& items = om().scratchHeap;
  items.clear();
  saveArray(array, items);
  const auto bytes = static_cast<std::uint32_t>(items.size());
  auto* e = new (mark.room.Take(sizeof(LogEntry) + align8(bytes)))
      LogEntry{array, LogEntry::kArray, bytes, 0, 0, 0};
  if (bytes != 0) std::memcpy(payloadOf(e), items.data(), bytes);
  mark.log.push_back(e);
  array->OmSetState(Object::kStateNoLog);
}

namespace {

void undoMark(Mark& mark) {
  // Backwards, so that of two entries of one thing the older has the last
  // word. Entries are asked for further ahead than their objects, whose
  // addresses are in the entries: far enough for a large log's objects to
  // come from memory while the ones before them are restored. An entry is
  // asked for whole, the object's bytes after its header too (as far as a
  // builder's go): a large undo is bound by what it reads, and asked for a
  // line at a time the copy waited for every line after the first.
  constexpr std::size_t kAhead = 16;
  const std::size_t count = mark.log.size();
  for (std::size_t i = count; i-- > 0;) {
    if (i >= 2 * kAhead) {
      const auto* entry = reinterpret_cast<const char*>(mark.log[i - 2 * kAhead]);
      for (std::uint32_t at = 0; at < 256; at += 64) __builtin_prefetch(entry + at);
    }
    if (i >= kAhead) {
      const LogEntry* next = mark.log[i - kAhead];
      if (next->kind == LogEntry::kObject) {
        const auto* lines = static_cast<const char*>(next->target);
        for (std::uint32_t at = 0; at < next->bytes && at < 256; at += 64) __builtin_prefetch(lines + at, 1);
      }
    }
    restoreEntry(mark.log[i]);
  }
  for (Object* o : mark.deleted) {
    if (TagSlot* slot = slotOf(o->OmTag())) slot->deleted = false;
  }
  for (auto it = mark.created.rbegin(); it != mark.created.rend(); ++it) {
    Object* o = *it;
    for (CreationUndoneHook hook : om().creationUndone) hook(o);
    if (TagSlot* slot = slotOf(o->OmTag())) {
      slot->deleted = true;
      slot->object = nullptr;
    }
    // Deleted after creation under the same mark: it sits in the deleted list too.
    mark.deleted.erase(std::remove(mark.deleted.begin(), mark.deleted.end(), o), mark.deleted.end());
    releaseMemory(o);
  }
  releaseLog(mark);
  mark.loggedArrays.Clear();
  mark.created.clear();
  mark.deleted.clear();
}

// Clears the state of every object that has one; an array logged under an
// earlier mark must be logged again under the next. After an undo, what
// logging set needs no clearing: since the last clearing everything was
// logged under the top mark, whose log the undo restored (states and all).
void resetStates(bool afterUndo) {
  // Rows and objects are asked for ahead (rows further on than objects,
  // whose address is in the row): after an undo of many they are far apart.
  const std::vector<tag_t>& tags = om().stateTags;
  constexpr std::size_t kAhead = 8;
  for (std::size_t i = 0; i < tags.size(); ++i) {
    if (i + 2 * kAhead < tags.size()) {
      if (const TagSlot* slot = slotOf(tags[i + 2 * kAhead])) __builtin_prefetch(slot);
    }
    if (i + kAhead < tags.size()) {
      if (const TagSlot* slot = slotOf(tags[i + kAhead]); slot != nullptr && slot->object != nullptr)
        __builtin_prefetch(slot->object, 1);
    }
    if (TagSlot* slot = slotOf(tags[i]); slot != nullptr && slot->object != nullptr) slot->object->OmSetState(0);
  }
  om().stateTags.clear();
  if (!afterUndo) {
    for (tag_t tag : om().loggedStateTags)
      if (TagSlot* slot = slotOf(tag); slot != nullptr && slot->object != nullptr) slot->object->OmSetState(0);
  }
  om().loggedStateTags.clear();
  om().stateSet.ForEach([](const void* o, bool) { static_cast<Object*>(const_cast<void*>(o))->OmSetState(0); });
  om().stateSet.Clear();
  om().arrayStateSet.ForEach(
      [](const void* a, bool) { static_cast<VariableObject*>(const_cast<void*>(a))->OmSetState(0); });
  om().arrayStateSet.Clear();
}

std::vector<Mark>::iterator findMark(int id) {
  return std::find_if(om().marks.begin(), om().marks.end(), [&](const Mark& m) { return m.id == id; });
}
}  // namespace

}  // namespace KTX::OM

using namespace KTX::OM;

namespace {
int deleteMark(int id);
}

extern "C" {

int UNDO_QD_set_mark(int visibility, const char* name, int* error) {
  if (KTX::Host::Logging()) KTX::Host::Log("UNDO_QD_set_mark", std::to_string(visibility) + " " + (name != nullptr ? name : "(none)"));
  int failure = static_cast<int>(KTX::Host::Answer("UNDO_QD_set_mark.error", 0));
  if (KTX::Failure::Fails(KTX::Failure::kUndoMark, "UNDO_QD_set_mark")) failure = KTX::Failure::kInjected;
  if (error != nullptr) *error = failure;
  if (failure != 0) return 0;
  Mark mark;
  mark.log = std::move(om().spareLog);
  om().spareLog = {};
  mark.log.clear();
  mark.epoch = om().nextEpoch++;
  mark.id = om().nextMark++;
  mark.name = name != nullptr ? name : "";
  om().marks.push_back(std::move(mark));
  resetStates(false);
  for (UndoStore* store : om().stores) store->MarkSet();
  return om().marks.back().id;
}

int UNDO_QD_undo_to_mark(int id, const char*) {
  if (KTX::Host::Logging()) KTX::Host::Log("UNDO_QD_undo_to_mark", std::to_string(id));
  auto it = findMark(id);
  if (it == om().marks.end()) return KTX::Error::kBadObject;
  om().undoing = true;
  for (auto m = om().marks.end(); m != it;) {
    --m;
    undoMark(*m);
  }
  om().undoing = false;
  // What the mark logged is undone: the next write under it logs again.
  it->epoch = om().nextEpoch++;
  const auto index = static_cast<std::size_t>(it - om().marks.begin());
  om().marks.erase(it + 1, om().marks.end());
  for (UndoStore* store : om().stores) store->UndoneTo(index);
  resetStates(true);
  return 0;
}

int UNDO_QD_set_mark_importance(int id, int importance) {
  KTX::Host::Log("UNDO_QD_set_mark_importance", std::to_string(id) + " " + std::to_string(importance));
  auto it = findMark(id);
  if (it == om().marks.end()) return KTX::Error::kBadObject;
  it->importance = importance;
  return 0;
}

void UNDO_QD_undo_to_mark_no_status(int id, const char* name) {
  KTX::Host::Log("UNDO_QD_undo_to_mark_no_status", std::to_string(id));
  if (findMark(id) != om().marks.end()) UNDO_QD_undo_to_mark(id, name);
}

int UNDO_QD_delete_to_mark(int id, const char*) {
  KTX::Host::Log("UNDO_QD_delete_to_mark", std::to_string(id));
  auto it = findMark(id);
  if (it == om().marks.end()) return KTX::Error::kBadObject;
  // Newest first, so each hands what it recorded to the one below it.
  while (!om().marks.empty() && om().marks.back().id != id) deleteMark(om().marks.back().id);
  return deleteMark(id);
}

int UNDO_QD_delete_mark(int id, const char*) {
  if (KTX::Host::Logging()) KTX::Host::Log("UNDO_QD_delete_mark", std::to_string(id));
  return deleteMark(id);
}

}  // extern "C"

namespace {
int deleteMark(int id) {
  auto it = findMark(id);
  if (it == om().marks.end()) return KTX::Error::kBadObject;
  Mark gone = std::move(*it);
  std::size_t at = static_cast<std::size_t>(it - om().marks.begin());
  om().marks.erase(it);
  if (at > 0) {
    // The mark below takes over what it has not logged itself, after its own
    // log: an object it logged before the mark went (the last to log it
    // before) keeps the older entry only.
    Mark& below = om().marks[at - 1];
    for (LogEntry* e : gone.log) {
      if (e->kind == LogEntry::kObject) {
        if (e->prev == below.epoch) continue;
        std::uint32_t& loggedUnder = ObjectAccess::LoggedUnder(static_cast<Object*>(e->target));
        if (loggedUnder == gone.epoch) loggedUnder = below.epoch;
      } else if (e->kind == LogEntry::kArray && !below.loggedArrays.Insert(e->target)) {
        continue;
      }
      below.log.push_back(e);
    }
    below.room.TakeOver(gone.room);
    below.created.insert(below.created.end(), gone.created.begin(), gone.created.end());
    below.deleted.insert(below.deleted.end(), gone.deleted.begin(), gone.deleted.end());
  }
  for (UndoStore* store : om().stores) store->MarkDeleted(at);
  if (at == 0) {
    om().releasing = true;
    for (Object* o : gone.deleted) releaseMemory(o);
    om().releasing = false;
  }
  releaseLog(gone);
  return 0;
}
}  // namespace

namespace KTX::OM {

// ---- attribute access --------------------------------------------------------------

void SetReferencedObject(Object* object, const AttributeId& attribute, Object* referenced) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  if (KTX::Host::Logging()) Host::Log("SetReferencedObject", Host::TagArg(object) + " " + row->fieldName + " -> " +
                                       (referenced != nullptr ? std::to_string(referenced->OmTag()) : "0"));
  OM__log(object);
  if (TypeCode::Element(row->typeCode) == TypeCode::kTag)
    field<tag_t>(object, row) = referenced != nullptr ? referenced->OmTag() : 0;
  else
    field<Object*>(object, row) = referenced;
}

void SetReferencedObject(Object* object, const AttributeId& attribute, tag_t referenced) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  if (KTX::Host::Logging()) Host::Log("SetReferencedObject", Host::TagArg(object) + " " + row->fieldName + " -> " + std::to_string(referenced));
  if (TypeCode::Element(row->typeCode) == TypeCode::kTag) {
    OM__log(object);
    field<tag_t>(object, row) = referenced;
  } else {
    Object* target = referenced == 0 ? nullptr : OM_checked_object_of_tag(referenced, 0);
    OM__log(object);
    field<Object*>(object, row) = target;
  }
}

void OM_set_pointer(Object* object, const AttributeId& attribute, Object* owned) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  if (KTX::Host::Logging()) Host::Log("OM_set_pointer", Host::TagArg(object) + " " + row->fieldName);
  OM__log(object);
  field<Object*>(object, row) = owned;
  TagSlot* slot = knownSlot(object);
  if (slot == nullptr) throw std::out_of_range("OM_set_pointer: no such object");
  const PlaceSet* places = placesOf(*slot);
  const bool had = places != nullptr && places->contains(row->fieldPlace);
  if (owned != nullptr) {
    if (!had) {
      logPlaces(object, *slot);
      ensurePlaces(*slot).insert(row->fieldPlace);
    }
    if (knownSlot(owned) != nullptr) ObjectAccess::Owner(owned) = object;
  } else if (had) {
    logPlaces(object, *slot);
    ensurePlaces(*slot).erase(row->fieldPlace);
  }
}

void OM_ask_int(const Object* object, const AttributeId& attribute, int* value) {
  *value = field<int>(object, rowOf(object, attribute));
}

void OM_set_int(Object* object, const AttributeId& attribute, int value) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  LogForWrite(object);
  field<int>(object, row) = value;
}

void OM_ask_reals(const Object* object, const AttributeId& attribute, double* values) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  std::uint32_t n = std::max<std::uint32_t>(1, TypeCode::Count(row->typeCode));
  std::memcpy(values, &field<double>(object, row), n * sizeof(double));
}

void OM_set_reals(Object* object, const AttributeId& attribute, const double* values) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  std::uint32_t n = std::max<std::uint32_t>(1, TypeCode::Count(row->typeCode));
  LogForWrite(object);
  std::memcpy(&field<double>(object, row), values, n * sizeof(double));
}

VariableObject* OM_ask_vla(const Object* object, const AttributeId& attribute) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  if (!isHeapArray(row))
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "%s is not an array", row->fieldName);
  return field<VariableObject*>(object, row);
}

int OM_vask_array_length(const Object* object, const AttributeId& attribute) {
  VariableObject* array = OM_ask_vla(object, attribute);
  return array == nullptr ? 0 : array->Length();
}

void OM_vset_array_length(Object* object, const AttributeId& attribute, int length, int) {
  OM_set_array_length(object, attribute, length);
}

void OM_set_array_length(Object* object, const AttributeId& attribute, int length) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  if (KTX::Host::Logging()) Host::Log("OM_set_array_length", Host::TagArg(object) + " " + row->fieldName + " " + std::to_string(length));
  if (!isHeapArray(row))
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "%s is not an array", row->fieldName);
  OM__log(object);
  VariableObject*& array = field<VariableObject*>(object, row);
  if (array == nullptr) array = makeArray(object, row);
  if (array == nullptr)
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "%s: no array of this type", row->fieldName);
  OM__log(array);
  array->Resize(length);
}

void OM_set_string(Object* object, const AttributeId& attribute, const char* text) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  LogForWrite(object);
  char*& f = field<char*>(object, row);
  SM_free(f);
  f = SM_string_copy(text);
}

void OM_set_real_elem(Object* object, const AttributeId& attribute, int index, double value) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  const int n = static_cast<int>(std::max<std::uint32_t>(1, TypeCode::Count(row->typeCode)));
  if (TypeCode::Element(row->typeCode) != TypeCode::kDouble || isHeapArray(row))
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "%s is not a row of reals", row->fieldName);
  if (index < 0 || index >= n) ThrowIndexOutOfRange(index, 0, n - 1);
  LogForWrite(object);
  (&field<double>(object, row))[index] = value;
}

void OM_ask_real_elem(const Object* object, const AttributeId& attribute, int index, double* value) {
  const ClassAttributeStruct* row = rowOf(object, attribute);
  const int n = static_cast<int>(std::max<std::uint32_t>(1, TypeCode::Count(row->typeCode)));
  if (TypeCode::Element(row->typeCode) != TypeCode::kDouble || isHeapArray(row))
    ERROR_raise(__FILE__, __LINE__, Error::kBadAttribute, "%s is not a row of reals", row->fieldName);
  if (index < 0 || index >= n) ThrowIndexOutOfRange(index, 0, n - 1);
  *value = (&field<double>(object, row))[index];
}

String* OM_create_string(const char* text) {
  return reinterpret_cast<String*>(SM_string_copy(text != nullptr ? text : ""));
}

String* OM_create_utf8_string(const char* utf8) { return OM_create_string(utf8); }

void OM__delete_string(String* string) { SM_free(string); }

void StringVla::SetValue(int index, const char* text) { Set(index, text != nullptr ? text : ""); }

void TagVla::SetOneWayTagValue(const AttributeId&, int index, tag_t tag) {
  if (KTX::Host::Logging()) Host::Log("SetOneWayTagValue", std::to_string(index) + " " + std::to_string(tag));
  Set(index, tag);
}

// ---- tags and classes -----------------------------------------------------------

Object* OM_object_of_tag(tag_t tag) {
  TagSlot* slot = slotOf(tag);
  if (slot == nullptr || slot->deleted) return nullptr;
  return slot->object;
}

char* TAG_ask_handle_of_tag(tag_t tag) {
  return tag == 0 ? nullptr : SM_sprintf("%u", tag);
}

tag_t TAG_find_by_handle(const char* handle) {
  if (handle == nullptr || *handle < '1' || *handle > '9') return 0;
  char* end = nullptr;
  const unsigned long tag = std::strtoul(handle, &end, 10);
  if (*end != '\0' || tag > std::numeric_limits<tag_t>::max()) return 0;
  return OM_object_of_tag(static_cast<tag_t>(tag)) != nullptr ? static_cast<tag_t>(tag) : 0;
}

bool OM_is_deleted_tag(tag_t tag) { return deletedTag(tag, slotOf(tag)); }

bool OM_is_freed_tag(tag_t tag) {
  const TagSlot* slot = slotOf(tag);
  return slot != nullptr ? slot->object == nullptr : deletedTag(tag, slot);
}

tag_t OM_ask_next_tag() { return om().nextTag; }

Object* OM_checked_object_of_tag(tag_t tag, int classId) {
  if (tag == 0) return nullptr;
  TagSlot* slot = slotOf(tag);
  if (deletedTag(tag, slot)) ERROR_raise(__FILE__, __LINE__, Error::kDeletedTag, "tag %u has been deleted", tag);
  if (slot == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "tag %u is no object", tag);
  if (om().checkingLevel > 0 && classId != 0 && !OM_is_subclass(slot->classId, classId))
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "tag %u is a %s, not a %s", tag,
                OM_ask_class_name(slot->classId), OM_ask_class_name(classId));
  return slot->object;
}

void OM_check_tag_class(const char* source, int line, tag_t tag, int classId) {
  const char* className = OM_ask_class_name(classId);
  Host::Log("OM_check_tag_class", std::string(source != nullptr ? source : "") + " " + std::to_string(line) + " " +
                                      std::to_string(tag) + " " + (className != nullptr ? className : "?"));
  TagSlot* slot = tag == 0 ? nullptr : slotOf(tag);
  if (tag != 0 && deletedTag(tag, slot)) ERROR_raise(source, line, Error::kDeletedTag, "tag %u has been deleted", tag);
  if (slot == nullptr) ERROR_raise(source, line, Error::kBadObject, "tag %u is no object", tag);
  if (!OM_is_subclass(slot->classId, classId))
    ERROR_raise(source, line, Error::kBadObject, "tag %u is a %s, not a %s", tag, OM_ask_class_name(slot->classId),
                className != nullptr ? className : "?");
}

int OM_ask_checking_level() { return om().checkingLevel; }
void OM_set_checking_level(int level) { om().checkingLevel = level; }

tag_t OM_ask_object_tag(const Object* object) { return object == nullptr ? 0 : object->OmTag(); }

bool OM_is_subclass(int classId, int superclassId) {
  for (int c = classId; c != 0; c = superclassOf(c))
    if (c == superclassId) return true;
  return false;
}

int OM_ask_class_id(const char* className) { return className == nullptr ? 0 : findClass(className); }

const char* OM_ask_class_name(int classId) {
  ClassRecord* c = classRecord(classId);
  return c == nullptr ? "(unknown class)" : c->name.c_str();
}

Object* OM_ask_owner(const Object* object) {
  return knownSlot(object) == nullptr ? nullptr : ObjectAccess::Owner(object);
}

bool OM_holds(const Object* from, const Object* to) {
  if (from == nullptr || to == nullptr) return false;
  if (OM_ask_owner(to) == from) return true;
  const tag_t tag = to->OmTag();
  for (const ClassAttributeStruct* row : allRows(from->OmClassId())) {
    if (TypeCode::Count(row->typeCode) > 1) continue;
    const std::uint32_t element = TypeCode::Element(row->typeCode);
    if (element == TypeCode::kReference && field<Object*>(from, row) == to) return true;
    if (element == TypeCode::kTag && field<tag_t>(from, row) == tag) return true;
  }
  return false;
}

int OM_count_undo_marks() { return static_cast<int>(om().marks.size()); }

std::size_t OM_row_pages() {
  return static_cast<std::size_t>(std::count_if(om().tagPages.begin(), om().tagPages.end(),
                                                [](const std::unique_ptr<TagPage>& page) { return page != nullptr; }));
}

int OM_live_objects() {
  int n = 0;
  for (const std::unique_ptr<TagPage>& page : om().tagPages)
    if (page != nullptr)
      for (const TagSlot& slot : page->slots)
        if (!slot.deleted && slot.object != nullptr) ++n;
  return n;
}

}  // namespace KTX::OM
