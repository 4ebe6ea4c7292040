#include "afl/Parms.hpp"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "afl/DieShoeParms.hpp"
#include "afl/Module.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "om/HostClass.hpp"
#include "om/LogTags.hpp"
#include "sys/CallLog.hpp"
#include "sys/Failure.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int FEATURE_PARMS::ThisClassId = 0;
int DIEDES_GENERIC_ENTITY::ThisClassId = 0;
int DIEDES_GENERIC_BODY_PARMS::ThisClassId = 0;
namespace DieDes {
int DieDesGenericPlane::ThisClassId = 0;
int DieDesGenericDirection::ThisClassId = 0;
int DieDesGenericLocation::ThisClassId = 0;
int CastRelief::ThisClassId = 0;
int ToolBodyFeature::ThisClassId = 0;
int Clearance::ThisClassId = 0;
int FingerClearanceNotch::ThisClassId = 0;
int HandlingCore::ThisClassId = 0;
int MachineRelief::ThisClassId = 0;
int FillArea::ThisClassId = 0;
int DieDesGenericAttributes::ThisClassId = 0;
int DieDesAttributeItemParms::ThisClassId = 0;
int Keyway::ThisClassId = 0;
int ClampingSlot::ThisClassId = 0;
int Heelpost::ThisClassId = 0;
}  // namespace DieDes

namespace {
struct ParmsClasses {
  ParmsClasses() {
    const char* tagged = OM::TaggedObject::OmClassName;
    Host::RegisterHostClass<FEATURE_PARMS>(tagged, true);
    Host::RegisterHostClass<DIEDES_GENERIC_BODY_PARMS>(FEATURE_PARMS::OmClassName);
    Host::RegisterHostClass<DieDes::CastRelief>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
    Host::RegisterHostClass<DieDes::ToolBodyFeature>(DIEDES_GENERIC_BODY_PARMS::OmClassName, true);
    const char* toolBody = DieDes::ToolBodyFeature::OmClassName;
    Host::RegisterHostClass<DieDes::Clearance>(toolBody);
    Host::RegisterHostClass<DieDes::FingerClearanceNotch>(toolBody);
    Host::RegisterHostClass<DieDes::HandlingCore>(toolBody);
    Host::RegisterHostClass<DieDes::MachineRelief>(toolBody);
    Host::RegisterHostClass<DieDes::FillArea>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
    Host::RegisterHostClass<DieDes::DieDesGenericAttributes>(tagged);
    Host::RegisterHostClass<DieDes::DieDesAttributeItemParms>(DIEDES_GENERIC_BODY_PARMS::OmClassName, true);
    const char* attributeItem = DieDes::DieDesAttributeItemParms::OmClassName;
    Host::RegisterHostClass<DieDes::Keyway>(attributeItem);
    Host::RegisterHostClass<DieDes::ClampingSlot>(attributeItem);
    Host::RegisterHostClass<DieDes::Heelpost>(attributeItem);
    Host::RegisterHostClass<DIEDES_GENERIC_ENTITY>(tagged);
    Host::RegisterHostClass<DieDes::DieDesGenericPlane>(DIEDES_GENERIC_ENTITY::OmClassName);
    Host::RegisterHostClass<DieDes::DieDesGenericDirection>(DIEDES_GENERIC_ENTITY::OmClassName);
    Host::RegisterHostClass<DieDes::DieDesGenericLocation>(DIEDES_GENERIC_ENTITY::OmClassName);
  }
} parmsClasses;

// A feature's entities hold the sections and expressions their builder made,
// so the builder's cascade must leave those alive. Each entity notes the tags
// it stores as held by it: the check reads only the object's own holders.
bool heldByAnEntity(const OM::Object* object) {
  const tag_t tag = OM::OM_ask_object_tag(object);
  const std::vector<tag_t>* holders = tag == 0 ? nullptr : OM::OM_ask_holders(tag);
  if (holders == nullptr) return false;
  for (tag_t holder : *holders) {
    // An entity deleted under an undo mark is kept only for the undo.
    const auto* entity = dynamic_cast<const DIEDES_GENERIC_ENTITY*>(OM::OM_object_of_tag(holder));
    if (entity == nullptr) continue;
    if (entity->AskKind() != DIEDES_GENERIC_ENTITY::kTags && entity->AskKind() != DIEDES_GENERIC_ENTITY::kExpressions)
      continue;
    for (int i = 0, n = entity->AskCount(); i < n; ++i)
      if (entity->AskTag(i) == tag) return true;
  }
  return false;
}

struct KeepHeldObjects {
  KeepHeldObjects() { OM::OM_set_keep_alive_check(&heldByAnEntity); }
} keepHeldObjects;


template <class Array>
Array* writable(Array* array) {
  if (array == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the object's array");
  OM::OM__log(array);
  return array;
}

template <class T>
T* allocArray(std::size_t n) {
  if (n == 0) return nullptr;
  auto* out = static_cast<T*>(SM_calloc(n, sizeof(T)));
  if (out == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu records", n);
  return out;
}

// The records from `first` on, as the stored bytes of each.
std::vector<const std::string*> recordsFrom(const OM::StringVla* records, int first) {
  std::vector<const std::string*> out;
  if (records == nullptr || first < 0) return out;
  for (std::size_t i = static_cast<std::size_t>(first); i < records->Items().size(); ++i)
    out.push_back(&records->Items()[i]);
  return out;
}

// ---- the extraction table ----
DIEDES_EXTRACTION_TABLE* extractionTable = nullptr;
DIEDES_EXTRACTION_TABLE_MAP* extractionMap = nullptr;
}  // namespace

// ---- parameter objects ---------------------------------------------------------------

FEATURE_RECORD* FEATURE_PARMS::GetSubObjectOwner() const {
  return dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frec_));
}

void FEATURE_PARMS::SetFeatureRecord(FEATURE_RECORD* frec) {
  Host::Log("FEATURE_PARMS::SetFeatureRecord", Host::TagArg(this) + " frec=" + std::to_string(OM::OM_ask_object_tag(frec)));
  OM::LogForWrite(this);
  frec_ = OM::OM_ask_object_tag(frec);
}

OM::Object* OM_ask_subobject_owner(const OM::Object* object) {
  Host::Log("OM_ask_subobject_owner", Host::TagArg(object));
  if (auto* parms = dynamic_cast<const FEATURE_PARMS*>(object)) return parms->GetSubObjectOwner();
  if (auto* entity = dynamic_cast<const DIEDES_GENERIC_ENTITY*>(object))
    return OM::OM_object_of_tag(entity->AskParmsTag());
  return object == nullptr ? nullptr : OM::OM_ask_owner(object);
}

// ---- entities ---------------------------------------------------------------------------

DIEDES_GENERIC_ENTITY::DIEDES_GENERIC_ENTITY(int classId, void* context)
    : OM::TaggedObject(classId, context),
      ints_(new OM::IntVla(this)),
      tags_(new OM::TagVla(this)),
      records_(new OM::StringVla(this)),
      doubles_(new OM::DoubleVla(this)) {}

DIEDES_GENERIC_ENTITY::~DIEDES_GENERIC_ENTITY() {
  delete ints_;
  delete tags_;
  delete records_;
  delete doubles_;
}

int DIEDES_GENERIC_ENTITY::Begin(const char* call, const DIEDES_ENTITY_CONTEXT* context, int count) {
  Host::Log(call, Host::TagArg(this) + " index=" + std::to_string(index_) + " count=" + std::to_string(count) +
                      " flag=" + std::to_string(context == nullptr ? 0 : context->flag) +
                      " owner=" + std::to_string(OM::OM_ask_object_tag(context == nullptr ? nullptr : context->owner)));
  if (long long code = Host::Answer("DIEDES_GENERIC_ENTITY_set." + std::to_string(index_), 0); code != 0)
    return static_cast<int>(code);
  return count < 0 ? Parms::kBadRecords : 0;
}

void DIEDES_GENERIC_ENTITY::Store(const DIEDES_ENTITY_CONTEXT* context, int kind) {
  OM::LogForWrite(this);
  kind_ = kind;
  flag_ = context == nullptr ? 0 : context->flag;
  owner_ = OM::OM_ask_object_tag(context == nullptr ? nullptr : context->owner);
  writable(ints_)->Items().clear();
  writable(tags_)->Items().clear();
  writable(records_)->Items().clear();
  writable(doubles_)->Items().clear();
}

int DIEDES_GENERIC_ENTITY::SetTags(const DIEDES_ENTITY_CONTEXT* context, int count, const tag_t* tags) {
  if (int rc = Begin("DIEDES_GENERIC_ENTITY::SetTags", context, count); rc != 0) return rc;
  if (count > 0 && tags == nullptr) return Parms::kBadRecords;
  Store(context, count > 0 ? kTags : kEmpty);
  tags_->Items().assign(tags, tags + count);
  for (int i = 0; i < count; ++i) OM::OM_note_holder(tags[i], OmTag());
  return 0;
}

int DIEDES_GENERIC_ENTITY::SetInts(const DIEDES_ENTITY_CONTEXT* context, int count, const int* values) {
  if (int rc = Begin("DIEDES_GENERIC_ENTITY::SetInts", context, count); rc != 0) return rc;
  if (count > 0 && values == nullptr) return Parms::kBadRecords;
  Store(context, count > 0 ? kInts : kEmpty);
  ints_->Items().assign(values, values + count);
  return 0;
}

int DIEDES_GENERIC_ENTITY::SetExpressions(const DIEDES_ENTITY_CONTEXT* context, int count,
                                          EXP_expression* const* expressions) {
  if (int rc = Begin("DIEDES_GENERIC_ENTITY::SetExpressions", context, count); rc != 0) return rc;
  if (count > 0 && expressions == nullptr) return Parms::kBadRecords;
  Store(context, count > 0 ? kExpressions : kEmpty);
  for (int i = 0; i < count; ++i) {
    tags_->Items().push_back(OM::OM_ask_object_tag(expressions[i]));
    OM::OM_note_holder(tags_->Items().back(), OmTag());
  }
  return 0;
}

int DIEDES_GENERIC_ENTITY::SetDoubles(const DIEDES_ENTITY_CONTEXT* context, int count, const double* values) {
  if (int rc = Begin("DIEDES_GENERIC_ENTITY::SetDoubles", context, count); rc != 0) return rc;
  if (count > 0 && values == nullptr) return Parms::kBadRecords;
  Store(context, count > 0 ? kDoubles : kEmpty);
  doubles_->Items().assign(values, values + count);
  return 0;
}

int DIEDES_GENERIC_ENTITY::AskCount() const {
  switch (kind_) {
    case kDoubles: return doubles_ == nullptr ? 0 : doubles_->Length();
    case kInts: return ints_ == nullptr ? 0 : ints_->Length();
    case kTags:
    case kExpressions: return tags_ == nullptr ? 0 : tags_->Length();
    case kRecords: return records_ == nullptr ? 0 : records_->Length();
    default: return 0;
  }
}

void DIEDES_GENERIC_ENTITY::AskTags(int* count, tag_t** tags) const {
  Host::Log("DIEDES_GENERIC_ENTITY::AskTags", Host::TagArg(this) + " index=" + std::to_string(index_));
  bool hasTags = kind_ == kTags || kind_ == kExpressions;
  int n = hasTags ? AskCount() : 0;
  if (count != nullptr) *count = n;
  if (tags == nullptr) return;
  *tags = allocArray<tag_t>(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) (*tags)[i] = tags_->Items()[static_cast<std::size_t>(i)];
}

tag_t DIEDES_GENERIC_ENTITY::AskTag(int position) const {
  if (position < 0 || position >= AskCount()) OM::ThrowIndexOutOfRange(position, 0, AskCount());
  if (kind_ != kTags && kind_ != kExpressions)
    ERROR_raise(__FILE__, __LINE__, Parms::kWrongKind, "entity %d holds no tags", index_);
  return tags_->Items()[static_cast<std::size_t>(position)];
}

int DIEDES_GENERIC_ENTITY::AskInt(int position) const {
  if (position < 0 || position >= AskCount()) OM::ThrowIndexOutOfRange(position, 0, AskCount());
  if (kind_ != kInts) ERROR_raise(__FILE__, __LINE__, Parms::kWrongKind, "entity %d holds no integers", index_);
  return ints_->Items()[static_cast<std::size_t>(position)];
}

EXP_expression* DIEDES_GENERIC_ENTITY::AskExpression(int position) const {
  if (position < 0 || position >= AskCount()) OM::ThrowIndexOutOfRange(position, 0, AskCount());
  if (kind_ != kExpressions)
    ERROR_raise(__FILE__, __LINE__, Parms::kWrongKind, "entity %d holds no expressions", index_);
  return dynamic_cast<EXP_expression*>(OM::OM_object_of_tag(tags_->Items()[static_cast<std::size_t>(position)]));
}

double DIEDES_GENERIC_ENTITY::AskDouble(int position) const {
  if (position < 0 || position >= AskCount()) OM::ThrowIndexOutOfRange(position, 0, AskCount());
  if (kind_ != kDoubles) ERROR_raise(__FILE__, __LINE__, Parms::kWrongKind, "entity %d holds no doubles", index_);
  return doubles_->Items()[static_cast<std::size_t>(position)];
}

// ---- die attributes ----------------------------------------------------------------------

DieAttributesPart::DieAttributesPart(DIEDES_GENERIC_BODY_PARMS* parms)
    : parms_(parms), record_(parms != nullptr ? &parms->dieAttributes_ : nullptr) {}

int DieAttributesPart::Read(DIEDES_ATTRIBUTE_DESCRIPTOR* descriptor, int mode) const {
  Host::Log("DieAttributesPart::Read", Host::TagArg(parms_) + " mode=" + std::to_string(mode));
  if (descriptor == nullptr || descriptor->record == nullptr || record_ == nullptr) return Parms::kBadDescriptor;
  *descriptor->record = *record_;
  return 0;
}

int DieAttributesPart::Write(OM::Object* owner, const DIEDES_ATTRIBUTE_DESCRIPTOR* descriptor, int mode) {
  Host::Log("DieAttributesPart::Write", Host::TagArg(parms_) + " owner=" + std::to_string(OM::OM_ask_object_tag(owner)) +
                                            " mode=" + std::to_string(mode));
  if (descriptor == nullptr || descriptor->record == nullptr || record_ == nullptr) return Parms::kBadDescriptor;
  // The record lies in the parameter object, so logging it covers the record.
  OM::LogForWrite(parms_);
  *record_ = *descriptor->record;
  return 0;
}

// ---- generic body parameters ----------------------------------------------------------------

DIEDES_GENERIC_BODY_PARMS::DIEDES_GENERIC_BODY_PARMS(int classId, void* context)
    : FEATURE_PARMS(classId, context), entities_(new OM::TagVla(this)) {}

DIEDES_GENERIC_BODY_PARMS::~DIEDES_GENERIC_BODY_PARMS() { delete entities_; }

void DIEDES_GENERIC_BODY_PARMS::cascade_destroy() {
  if (entities_ != nullptr) {
    std::vector<tag_t> entities = entities_->Items();
    for (tag_t t : entities) {
      if (auto* entity = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) entity->destroy();
    }
  }
  FEATURE_PARMS::cascade_destroy();
}

namespace {
// A factory that raises has made nothing: what it made before the step that
// raised goes with the error.
template <class Step>
void OrDestroy(OM::TaggedObject* made, Step&& step) {
  try {
    step();
  } catch (...) {
    made->destroy();
    throw;
  }
}
}  // namespace

DIEDES_GENERIC_BODY_PARMS* DIEDES_GENERIC_BODY_PARMS::Make(int classId, const std::vector<int>& entityClasses) {
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(
      OM::ObjectFactory::CreateObject(classId, OM::OM_memory_type_persistent, nullptr));
  if (parms == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class %d makes no parameters", classId);
  Host::KeepInPart(nullptr, parms);
  // The entities made so far go with the parameters.
  OrDestroy(parms, [&] {
    for (std::size_t i = 0; i < entityClasses.size(); ++i) {
      auto* entity = dynamic_cast<DIEDES_GENERIC_ENTITY*>(
          OM::ObjectFactory::CreateObject(entityClasses[i], OM::OM_memory_type_persistent, nullptr));
      if (entity == nullptr)
        ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "class %d makes no entity", entityClasses[i]);
      Host::KeepInPart(nullptr, entity);
      entity->index_ = static_cast<int>(i);
      entity->parms_ = parms->OmTag();
      writable(parms->entities_)->Items().push_back(entity->OmTag());
    }
  });
  return parms;
}

DIEDES_GENERIC_ENTITY* DIEDES_GENERIC_BODY_PARMS::ReplaceEntity(int index, DIEDES_GENERIC_ENTITY* entity) {
  DIEDES_GENERIC_ENTITY* old = GetEntity(index);
  writable(entities_)->Items()[static_cast<std::size_t>(index)] = OM::OM_ask_object_tag(entity);
  if (entity != nullptr) {
    OM::LogForWrite(entity);
    entity->index_ = index;
    entity->parms_ = OmTag();
  }
  if (old != nullptr) {
    OM::LogForWrite(old);
    old->parms_ = 0;
  }
  return old;
}

int DIEDES_GENERIC_BODY_PARMS::GetNumEntities() const { return entities_ == nullptr ? 0 : entities_->Length(); }

DIEDES_GENERIC_ENTITY* DIEDES_GENERIC_BODY_PARMS::GetEntity(int index) const {
  if (index < 0 || index >= GetNumEntities()) OM::ThrowIndexOutOfRange(index, 0, GetNumEntities());
  return dynamic_cast<DIEDES_GENERIC_ENTITY*>(OM::OM_object_of_tag(entities_->Items()[static_cast<std::size_t>(index)]));
}

tag_t DIEDES_GENERIC_BODY_PARMS::AskEntityTag(int entity, int position) const {
  return GetEntity(entity)->AskTag(position);
}
int DIEDES_GENERIC_BODY_PARMS::AskEntityInt(int entity, int position) const {
  return GetEntity(entity)->AskInt(position);
}
EXP_expression* DIEDES_GENERIC_BODY_PARMS::AskEntityExpression(int entity, int position) const {
  return GetEntity(entity)->AskExpression(position);
}

void DIEDES_GENERIC_BODY_PARMS::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  distanceTolerance_ = tolerance;
}
void DIEDES_GENERIC_BODY_PARMS::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  angleTolerance_ = tolerance;
}
void DIEDES_GENERIC_BODY_PARMS::SetAlgorithmVersion(int version) {
  OM::LogForWrite(this);
  algorithmVersion_ = version;
}

const void* DIEDES_GENERIC_BODY_PARMS::GetDieDesModuleItemsAttribute() const {
  static const int moduleItems = 0;
  return &moduleItems;
}

tag_t DIEDES_GENERIC_BODY_PARMS::GetTargetEID(const DIEDES_GENERIC_BODY_PARMS* parms) {
  Host::Log("GetTargetEID", Host::TagArg(parms));
  return parms == nullptr ? 0 : parms->targetEid_;
}

void DIEDES_GENERIC_BODY_PARMS::SetTargetEID(tag_t body) {
  OM::LogForWrite(this);
  targetEid_ = body;
}

DieAttributesRecord* DIEDES_GENERIC_BODY_PARMS::AskDieAttributes() const {
  Host::Log("DIEDES_GENERIC_BODY_PARMS::AskDieAttributes", Host::TagArg(this));
  auto* record = allocArray<DieAttributesRecord>(1);
  *record = dieAttributes_;
  return record;
}

void DIEDES_GENERIC_BODY_PARMS::SetFeatureRecord(FEATURE_RECORD* frec) { FEATURE_PARMS::SetFeatureRecord(frec); }

void DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(const SC_section* section, int* count, tag_t** tags) {
  Host::Log("DieDesBuilderGetSectionObjects", Host::TagArg(section));
  if (section == nullptr || count == nullptr) return;
  for (int i = 0; i < section->ask_count(); ++i) {
    if (tags != nullptr) {
      auto* grown = static_cast<tag_t*>(SM_crealloc(*tags, static_cast<std::size_t>(*count + 1) * sizeof(tag_t)));
      if (grown == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the section's tags");
      *tags = grown;
      (*tags)[*count] = section->ask_nth(i);
    }
    ++*count;
  }
}

DIEDES_GENERIC_BODY_PARMS* DIEDES_GENERIC_BODY_PARMSFactory::Create(int entities) {
  return DIEDES_GENERIC_BODY_PARMS::Make(
      DIEDES_GENERIC_BODY_PARMS::ThisClassId,
      std::vector<int>(static_cast<std::size_t>(entities < 0 ? 0 : entities), DIEDES_GENERIC_ENTITY::ThisClassId));
}

}  // namespace KTX

namespace KTX::DieDes {

namespace {
template <class Record>
void storePlainRecords(OM::StringVla* records, int count, const Record* items) {
  auto& stored = writable(records)->Items();
  for (int i = 0; i < count; ++i) stored.emplace_back(reinterpret_cast<const char*>(&items[i]), sizeof(Record));
}

template <class Record>
int askPlainRecords(const char* call, const DIEDES_GENERIC_ENTITY* entity, const OM::StringVla* records, int first,
                    int* count, Record** out) {
  Host::Log(call, Host::TagArg(entity) + " first=" + std::to_string(first));
  std::vector<const std::string*> from = recordsFrom(records, first);
  if (count != nullptr) *count = static_cast<int>(from.size());
  if (out == nullptr) return 0;
  *out = allocArray<Record>(from.size());
  for (std::size_t i = 0; i < from.size(); ++i) std::memcpy(&(*out)[i], from[i]->data(), sizeof(Record));
  return 0;
}
}  // namespace

int DieDesGenericPlane::StoreRecords(const DIEDES_ENTITY_CONTEXT* context, int count,
                                     const DieDesGenericPlaneRecord* records) {
  if (int rc = Begin("DieDesGenericPlane::StoreRecords", context, count); rc != 0) return rc;
  if (count > 0 && records == nullptr) return Parms::kBadRecords;
  Store(context, kRecords);
  storePlainRecords(Records(), count, records);
  return 0;
}

int DieDesGenericPlane::AskRecords(int first, int* count, DieDesGenericPlaneRecord** records) const {
  return askPlainRecords("DieDesGenericPlane::AskRecords", this, Records(), first, count, records);
}

int DieDesGenericDirection::StoreRecords(const DIEDES_ENTITY_CONTEXT* context, int count,
                                         const DieDesGenericDirectionRecord* records) {
  if (int rc = Begin("DieDesGenericDirection::StoreRecords", context, count); rc != 0) return rc;
  if (count > 0 && records == nullptr) return Parms::kBadRecords;
  Store(context, kRecords);
  storePlainRecords(Records(), count, records);
  return 0;
}

int DieDesGenericDirection::AskRecords(int first, int* count, DieDesGenericDirectionRecord** records) const {
  return askPlainRecords("DieDesGenericDirection::AskRecords", this, Records(), first, count, records);
}

// A stored location: its 128 bytes with the array pointer cleared, then its tags.
int DieDesGenericLocation::StoreRecords(const DIEDES_ENTITY_CONTEXT* context, int count,
                                        const DieDesGenericLocationRecord* records) {
  if (int rc = Begin("DieDesGenericLocation::StoreRecords", context, count); rc != 0) return rc;
  if (count > 0 && records == nullptr) return Parms::kBadRecords;
  for (int i = 0; i < count; ++i)
    if (records[i].selectedCount < 0 || (records[i].selectedCount > 0 && records[i].selected == nullptr))
      return Parms::kBadRecords;
  Store(context, kRecords);
  auto& stored = writable(Records())->Items();
  for (int i = 0; i < count; ++i) {
    DieDesGenericLocationRecord head = records[i];
    head.selected = nullptr;
    std::string bytes(reinterpret_cast<const char*>(&head), sizeof head);
    bytes.append(reinterpret_cast<const char*>(records[i].selected),
                 static_cast<std::size_t>(records[i].selectedCount) * sizeof(tag_t));
    stored.push_back(std::move(bytes));
  }
  return 0;
}

int DieDesGenericLocation::AskRecords(int first, int* count, DieDesGenericLocationRecord** records) const {
  Host::Log("DieDesGenericLocation::AskRecords", Host::TagArg(this) + " first=" + std::to_string(first));
  if (long long code = Host::Answer("DieDesGenericLocation::AskRecords." + std::to_string(ask_tag()), 0); code != 0)
    ERROR_raise(__FILE__, __LINE__, static_cast<int>(code), "the records of location %u cannot be read", ask_tag());
  std::vector<const std::string*> from = recordsFrom(Records(), first);
  if (count != nullptr) *count = static_cast<int>(from.size());
  if (records == nullptr) return 0;
  *records = allocArray<DieDesGenericLocationRecord>(from.size());
  for (std::size_t i = 0; i < from.size(); ++i) {
    DieDesGenericLocationRecord& r = (*records)[i];
    std::memcpy(&r, from[i]->data(), sizeof r);
    r.selected = allocArray<tag_t>(static_cast<std::size_t>(r.selectedCount));
    if (r.selectedCount > 0)
      std::memcpy(r.selected, from[i]->data() + sizeof r, static_cast<std::size_t>(r.selectedCount) * sizeof(tag_t));
  }
  return 0;
}

void DieDesGenericLocation::FreeRecords(int count, DieDesGenericLocationRecord* records) const {
  Host::Log("DieDesGenericLocation::FreeRecords", Host::TagArg(this) + " count=" + std::to_string(count));
  if (records == nullptr) return;
  for (int i = 0; i < count; ++i) SM_free(records[i].selected);
  SM_free(records);
}

void DieDesGenericLocation::Release(FEATURE_RECORD* frec) {
  Host::Log("DieDesGenericLocation::Release", Host::TagArg(this) + " frec=" + std::to_string(OM::OM_ask_object_tag(frec)));
  OM::LogForWrite(this);
  writable(Records())->Items().clear();
}

DieDesGenericPlane* DieDesGenericPlaneFactory::Create() {
  Host::Log("DieDesGenericPlaneFactory::Create");
  return Host::CreateInPart<DieDesGenericPlane>(nullptr);
}
DieDesGenericDirection* DieDesGenericDirectionFactory::Create() {
  Host::Log("DieDesGenericDirectionFactory::Create");
  return Host::CreateInPart<DieDesGenericDirection>(nullptr);
}
DieDesGenericLocation* DieDesGenericLocationFactory::Create() {
  Host::Log("DieDesGenericLocationFactory::Create");
  return Host::CreateInPart<DieDesGenericLocation>(nullptr);
}

CastRelief* CastReliefFactory::Create() {
  Host::Log("CastReliefFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  return static_cast<CastRelief*>(DIEDES_GENERIC_BODY_PARMS::Make(
      CastRelief::ThisClassId, {plain, plain, plain, DieDesGenericPlane::ThisClassId, plain, plain}));
}

Clearance* ClearanceFactory::Create() {
  Host::Log("ClearanceFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  return static_cast<Clearance*>(DIEDES_GENERIC_BODY_PARMS::Make(
      Clearance::ThisClassId,
      {plain, plain, plain, DieDesGenericPlane::ThisClassId, DieDesGenericDirection::ThisClassId, plain}));
}

FingerClearanceNotch* FingerClearanceNotchFactory::Create() {
  Host::Log("FingerClearanceNotchFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  auto* notch = static_cast<FingerClearanceNotch*>(
      DIEDES_GENERIC_BODY_PARMS::Make(FingerClearanceNotch::ThisClassId,
                                      {plain, plain, plain, plain, plain, DieDesGenericPlane::ThisClassId,
                                       DieDesGenericDirection::ThisClassId}));
  OrDestroy(notch, [notch] {
    auto* attributes = Host::CreateInPart<DieDesGenericAttributes>(nullptr);
    OrDestroy(attributes, [&] { notch->SetGenericAttrPtr(attributes); });
  });
  return notch;
}

MachineRelief* MachineReliefFactory::Create() {
  Host::Log("MachineReliefFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  const int location = DieDesGenericLocation::ThisClassId;
  return static_cast<MachineRelief*>(DIEDES_GENERIC_BODY_PARMS::Make(
      MachineRelief::ThisClassId, {plain, plain, DieDesGenericPlane::ThisClassId, plain, location, location,
                                   DieDesGenericDirection::ThisClassId, plain, plain, plain}));
}

FillArea* FillAreaFactory::Create() {
  Host::Log("FillAreaFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  const int plane = DieDesGenericPlane::ThisClassId;
  return static_cast<FillArea*>(
      DIEDES_GENERIC_BODY_PARMS::Make(FillArea::ThisClassId, {plain, plane, plain, plane, plain, plain, plain}));
}

DieDesAttributeItemParms::DieDesAttributeItemParms(int classId, void* context)
    : DIEDES_GENERIC_BODY_PARMS(classId, context), records_(new OM::StringVla(this)) {}
DieDesAttributeItemParms::~DieDesAttributeItemParms() { delete records_; }

int DieDesAttributeItemParms::AskAttributeRecordCount() const {
  return records_ == nullptr ? 0 : records_->Length();
}

int DieDesAttributeItemParms::ReadAttributeRecords(DIEDES_ATTRIBUTE_TABLE* table) const {
  Host::Log("ReadAttributeRecords", Host::TagArg(this));
  if (table == nullptr || table->count < 0 || (table->count > 0 && table->records == nullptr))
    return Parms::kBadDescriptor;
  for (int i = 0; i < table->count; ++i) {
    std::memset(&table->records[i], 0, sizeof(DieAttributesRecord));
    if (i < AskAttributeRecordCount())
      std::memcpy(&table->records[i], records_->Items()[static_cast<std::size_t>(i)].data(),
                  sizeof(DieAttributesRecord));
  }
  return 0;
}

int DieDesAttributeItemParms::ApplyAttributeRecords(OM::Object* owner, const DIEDES_ATTRIBUTE_TABLE* table,
                                                    int mode) {
  Host::Log("ApplyAttributeRecords", Host::TagArg(this) + " owner=" + std::to_string(OM::OM_ask_object_tag(owner)) +
                                         " mode=" + std::to_string(mode));
  if (table == nullptr || table->count < 0 || (table->count > 0 && table->records == nullptr))
    return Parms::kBadDescriptor;
  OM::LogForWrite(this);
  applyMode_ = mode;
  auto& items = writable(records_)->Items();
  items.clear();
  for (int i = 0; i < table->count; ++i)
    items.emplace_back(reinterpret_cast<const char*>(&table->records[i]), sizeof(DieAttributesRecord));
  return 0;
}

Keyway* KeywayFactory::Create() {
  Host::Log("KeywayFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  return static_cast<Keyway*>(DIEDES_GENERIC_BODY_PARMS::Make(
      Keyway::ThisClassId, {DieDesGenericPlane::ThisClassId, plain, plain, plain, plain, plain, plain}));
}

ClampingSlot::ClampingSlot(int classId, void* context)
    : DieDesAttributeItemParms(classId, context), modules_(new OM::TagVla(this)) {}
ClampingSlot::~ClampingSlot() { delete modules_; }

int ClampingSlot::GetNumModules() const { return modules_ == nullptr ? 0 : modules_->Length(); }

ClampingSlotModule* ClampingSlot::GetModule(int index) const {
  if (index < 0 || index >= GetNumModules()) OM::ThrowIndexOutOfRange(index, 0, GetNumModules());
  return dynamic_cast<ClampingSlotModule*>(OM::OM_object_of_tag(modules_->Items()[static_cast<std::size_t>(index)]));
}

void ClampingSlot::ClearModules() {
  Host::Log("ClampingSlot::ClearModules", Host::TagArg(this));
  const std::vector<tag_t> modules = modules_ != nullptr ? modules_->Items() : std::vector<tag_t>{};
  writable(modules_)->Items().clear();
  for (tag_t t : modules)
    if (auto* module = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) module->destroy();
}

void ClampingSlot::cascade_destroy() {
  const std::vector<tag_t> modules = modules_ != nullptr ? modules_->Items() : std::vector<tag_t>{};
  for (tag_t t : modules)
    if (auto* module = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) module->destroy();
  DieDesAttributeItemParms::cascade_destroy();
}

ClampingSlot* ClampingSlotFactory::Create() {
  Host::Log("ClampingSlotFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  const int plane = DieDesGenericPlane::ThisClassId;
  auto* slot = static_cast<ClampingSlot*>(DIEDES_GENERIC_BODY_PARMS::Make(
      ClampingSlot::ThisClassId,
      {DieDesGenericDirection::ThisClassId, plane, plain, plane, plain, plain, plain, plain, plain}));
  writable(slot->modules_)->Items().push_back(OM::OM_ask_object_tag(ClampingSlotModuleFactory::Create()));
  return slot;
}

double Heelpost::CalculateWallThickness(bool a, bool b, bool c, bool d, double length, double width,
                                        double percentage, double tolerance) {
  Host::Log("Heelpost::CalculateWallThickness",
            "walls=" + std::to_string(a) + std::to_string(b) + std::to_string(c) + std::to_string(d) +
                " length=" + Kernel::RealText(length) + " width=" + Kernel::RealText(width) +
                " percentage=" + Kernel::RealText(percentage) + " tolerance=" + Kernel::RealText(tolerance));
  return Host::RealAnswer("Heelpost::CalculateWallThickness", 0.0);
}

int Heelpost::DeterminePlaneDistances(int target, const double padPoint[3], const double baseOrigin[3],
                                      const double baseNormal[3], double point[3], double vector[3],
                                      double distances[2]) {
  Host::Log("Heelpost::DeterminePlaneDistances", "target=" + std::to_string(target));
  if (long long rc = Host::Answer("Heelpost::DeterminePlaneDistances", 0); rc != 0) return static_cast<int>(rc);
  double height = 0;
  for (int i = 0; i < 3; ++i) {
    point[i] = padPoint[i];
    vector[i] = baseNormal[i];
    height += (padPoint[i] - baseOrigin[i]) * baseNormal[i];
  }
  distances[0] = height;
  distances[1] = Host::RealAnswer("Heelpost::DeterminePlaneDistances.second", 0.0);
  return 0;
}

Heelpost* HeelpostFactory::Create() {
  Host::Log("HeelpostFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  const int plane = DieDesGenericPlane::ThisClassId;
  return static_cast<Heelpost*>(DIEDES_GENERIC_BODY_PARMS::Make(
      Heelpost::ThisClassId, {DieDesGenericLocation::ThisClassId, DieDesGenericDirection::ThisClassId, plane, plane,
                              plain, plain, plain, plain, plain}));
}

HandlingCore::HandlingCore(int classId, void* context)
    : ToolBodyFeature(classId, context), modules_(new OM::TagVla(this)) {}
HandlingCore::~HandlingCore() { delete modules_; }

int HandlingCore::GetNumModuleItems() const { return modules_ == nullptr ? 0 : modules_->Length(); }

FEATURE_PARMS* HandlingCore::GetNthModuleItem(int index) const {
  if (index < 0 || index >= GetNumModuleItems()) OM::ThrowIndexOutOfRange(index, 0, GetNumModuleItems());
  return dynamic_cast<FEATURE_PARMS*>(OM::OM_object_of_tag(modules_->Items()[static_cast<std::size_t>(index)]));
}

void HandlingCore::AppendModuleItem(FEATURE_PARMS* item) {
  Host::Log("HandlingCore::AppendModuleItem", Host::TagArg(this) + " item=" + std::to_string(OM::OM_ask_object_tag(item)));
  writable(modules_)->Items().push_back(OM::OM_ask_object_tag(item));
}

void HandlingCore::ClearModuleItems() {
  Host::Log("HandlingCore::ClearModuleItems", Host::TagArg(this));
  writable(modules_)->Items().clear();
}

void HandlingCore::cascade_destroy() {
  const std::vector<tag_t> modules = modules_ != nullptr ? modules_->Items() : std::vector<tag_t>{};
  for (tag_t t : modules) {
    auto* module = dynamic_cast<DIEDES_GENERIC_MODULE_PARMS*>(OM::OM_object_of_tag(t));
    if (module == nullptr) continue;
    for (int i = 0, n = module->GetNumDiedesItems(); i < n; ++i)
      if (DIEDES_GENERIC_ENTITY* item = module->GetNthDiedesItems(i); item != nullptr) item->destroy();
    module->destroy();
  }
  ToolBodyFeature::cascade_destroy();
}

HandlingCore* HandlingCoreFactory::Create() {
  Host::Log("HandlingCoreFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  const int plane = DieDesGenericPlane::ThisClassId;
  auto* core = static_cast<HandlingCore*>(
      DIEDES_GENERIC_BODY_PARMS::Make(HandlingCore::ThisClassId, {plain, plane, plane, plain}));
  OrDestroy(core, [core] {
    DIEDES_GENERIC_MODULE_PARMS* module = DIEDES_GENERIC_MODULE_PARMSFactory::Create();
    OrDestroy(module, [&] { core->AppendModuleItem(module); });
  });
  return core;
}

}  // namespace KTX::DieDes

namespace KTX {

// ---- the extraction table ---------------------------------------------------------------------

void DIEDES_EXTRACTION_TABLE_MAP::MapSection(SC_section* section) {
  Host::Log("DIEDES_EXTRACTION_TABLE_MAP::MapSection", Host::TagArg(section));
  if (section != nullptr) section->note_mapped();
}

void DIEDES_EXTRACTION_TABLE_MAP::MapCollector(SC_collector* collector) {
  Host::Log("DIEDES_EXTRACTION_TABLE_MAP::MapCollector", Host::TagArg(collector));
  if (collector != nullptr) collector->note_mapped();
}

DIEDES_EXTRACTION_TABLE* DIEDES_UTILS__get_extraction_table() {
  Host::Log("DIEDES_UTILS__get_extraction_table", extractionTable != nullptr ? "table" : "none");
  return extractionTable;
}

DIEDES_EXTRACTION_TABLE_MAP* DIEDES_UTILS__get_extraction_table_map() {
  Host::Log("DIEDES_UTILS__get_extraction_table_map", extractionMap != nullptr ? "map" : "none");
  return extractionMap;
}

void DIEDES_UTILS_create_extraction_table_map_object() {
  Host::Log("DIEDES_UTILS_create_extraction_table_map_object");
  delete extractionMap;
  extractionMap = new DIEDES_EXTRACTION_TABLE_MAP;
  if (extractionMap == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the extraction map");
}

void DIEDES_UTILS_create_extraction_table(FEATURE_RECORD* frec, int count, const tag_t* tags) {
  std::string listed;
  for (int i = 0; tags != nullptr && i < count; ++i) listed += (i > 0 ? "," : "") + std::to_string(tags[i]);
  Host::Log("DIEDES_UTILS_create_extraction_table", "frec=" + std::to_string(OM::OM_ask_object_tag(frec)) +
                                                        " count=" + std::to_string(count) + " tags=[" + listed + "]");
  delete extractionTable;
  extractionTable = new DIEDES_EXTRACTION_TABLE;
  if (extractionTable == nullptr)
    ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the extraction table");
  extractionTable->frec = frec;
  if (count > 0 && tags != nullptr) extractionTable->tags.assign(tags, tags + count);
}

void DIEDES_UTILS_free_extraction_table() {
  Host::Log("DIEDES_UTILS_free_extraction_table");
  delete extractionTable;
  extractionTable = nullptr;
  delete extractionMap;
  extractionMap = nullptr;
}

// ---- features from parameters ----------------------------------------------------------------

namespace {
std::map<std::string, FeatureBodyMaker>& bodyMakers() {
  static auto* makers = new std::map<std::string, FeatureBodyMaker>;
  return *makers;
}
}  // namespace

void DIEENG_register_body_maker(const char* parmsClass, FeatureBodyMaker maker) {
  if (parmsClass == nullptr) return;
  if (maker == nullptr) {
    bodyMakers().erase(parmsClass);
  } else {
    bodyMakers()[parmsClass] = maker;
  }
}

int DIEENG_CreateFrecWithParms(FEATURE_PARMS* parms, int kernelBody, FEATURE_RECORD** frec) {
  Host::Log("DIEENG_CreateFrecWithParms", Host::TagArg(parms) + " body=" + std::to_string(kernelBody));
  if (parms == nullptr || frec == nullptr) return Parms::kNoParms;
  if (Failure::Fails(Failure::kFeatureRecord, "DIEENG_CreateFrecWithParms")) return Failure::kInjected;
  if (long long code = Host::Answer("DIEENG_CreateFrecWithParms", 0); code != 0) return static_cast<int>(code);
  if (Host::Answer("DIEENG_CreateFrecWithParms.norecord", 0) != 0) return 0;
  const char* parmsClass = OM::OM_ask_class_name(parms->OmClassId());
  auto maker = bodyMakers().find(parmsClass != nullptr ? parmsClass : "");
  PART_part* work = PART_ask_work_part();
  CM_part* model = work != nullptr ? work->ModelPart() : nullptr;
  const tag_t previous = model != nullptr ? model->ask_current_feature() : 0;
  FEATURE_RECORD* record = FEATURE_RECORD::Create(nullptr, parms);
  // A die shoe applies to no body: its feature makes a solid of its own,
  // which its booleans then work on; its body maker, when one is registered,
  // makes that solid.
  int own = 0;
  if (maker != bodyMakers().end()) {
    if (int rc = maker->second(record, &own); rc != 0) {
      if (own != 0 && Kernel::IsBody(own)) Kernel::DeleteBody(own, "DIEENG_CreateFrecWithParms");
      // No record is left, and the part's current feature is what it was.
      record->destroy();
      if (model != nullptr) model->set_current_feature(previous);
      return rc;
    }
  } else if (dynamic_cast<DieDes::DieShoe*>(parms) != nullptr) {
    own = Kernel::CreateBody(Kernel::BodyType::Solid);
  }
  ES_solid* body = ES_solid::Make(nullptr, own);
  record->set_body_eid(body->OmTag());
  record->set_kernel_body(kernelBody);
  if (auto* generic = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(parms))
    generic->SetTargetEID(ES_solid_of_kernel_body(kernelBody));
  *frec = record;
  return 0;
}

int DIEENG_UpdateMultipleBodyFrec(FEATURE_RECORD* frec) {
  Host::Log("DIEENG_UpdateMultipleBodyFrec", Host::TagArg(frec));
  if (long long code = Host::Answer("DIEENG_UpdateMultipleBodyFrec", 0); code != 0) return static_cast<int>(code);
  if (frec == nullptr || frec->ask_parms() == nullptr) return 0;
  // The feature's body is made anew by the maker that made it, from the
  // parameters as they now are, and takes the place of the old one: the
  // model body and its kernel tag stay, so what refers to them still does.
  const char* parmsClass = OM::OM_ask_class_name(frec->ask_parms()->OmClassId());
  auto maker = bodyMakers().find(parmsClass != nullptr ? parmsClass : "");
  if (maker == bodyMakers().end()) return 0;
  const auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(frec->ask_body_eid()));
  if (body == nullptr || !Kernel::IsBody(body->ask_kernel_body())) return 0;
  int made = 0;
  if (int rc = maker->second(frec, &made); rc != 0) {
    if (made != 0 && Kernel::IsBody(made)) Kernel::DeleteBody(made, "DIEENG_UpdateMultipleBodyFrec");
    return rc;
  }
  if (made == 0) return 0;
  return Kernel::TakeGeometry(body->ask_kernel_body(), made);
}

int STR_snprintf(char* buffer, int limit, const char* format, ...) {
  if (buffer == nullptr || limit <= 0) return 0;
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, static_cast<std::size_t>(limit), format, args);
  va_end(args);
  return n;
}

}  // namespace KTX
