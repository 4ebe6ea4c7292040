#include "afl/DieShoeParms.hpp"

#include <cstring>
#include <string>
#include <vector>

#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int DIEDES_GENERIC_int::ThisClassId = 0;
int DIEDES_GENERIC_bref::ThisClassId = 0;
int DIEDES_GENERIC_latent_body::ThisClassId = 0;
namespace DieDes {
int DieShoe::ThisClassId = 0;
}  // namespace DieDes

namespace {
struct DieShoeClasses {
  DieShoeClasses() {
    Host::RegisterHostClass<DIEDES_GENERIC_int>(DIEDES_GENERIC_ENTITY::OmClassName);
    Host::RegisterHostClass<DIEDES_GENERIC_bref>(DIEDES_GENERIC_ENTITY::OmClassName);
    Host::RegisterHostClass<DIEDES_GENERIC_latent_body>(DIEDES_GENERIC_ENTITY::OmClassName);
    Host::RegisterHostClass<DieDes::DieShoe>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
  }
} dieShoeClasses;


OM::TagVla* writable(OM::TagVla* array) {
  if (array == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the object's array");
  OM::OM__log(array);
  return array;
}

int entryCount(const OM::TagVla* items) { return items == nullptr ? 0 : items->Length(); }

void resize(OM::TagVla* items, int count) {
  if (count < 0) OM::ThrowIndexOutOfRange(count, 0, entryCount(items));
  writable(items)->Items().resize(static_cast<std::size_t>(count), 0);
}

template <class Item>
Item* entryAt(const OM::TagVla* items, int index) {
  if (index < 0 || index >= entryCount(items)) OM::ThrowIndexOutOfRange(index, 0, entryCount(items));
  return dynamic_cast<Item*>(OM::OM_object_of_tag(items->Items()[static_cast<std::size_t>(index)]));
}

void setEntry(OM::TagVla* items, int index, OM::Object* item) {
  if (index < 0 || index >= entryCount(items)) OM::ThrowIndexOutOfRange(index, 0, entryCount(items));
  writable(items)->Items()[static_cast<std::size_t>(index)] = OM::OM_ask_object_tag(item);
}

void destroyTag(tag_t tag) {
  if (auto* object = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(tag))) object->destroy();
}

// Whether the entity holds exactly these integers (tags are integers too).
template <class T>
bool holds(const DIEDES_GENERIC_ENTITY* entity, int count, const T* values, bool ints) {
  if (entity->AskCount() != count) return false;
  for (int i = 0; i < count; ++i) {
    const long long held = ints ? entity->AskInt(i) : static_cast<long long>(entity->AskTag(i));
    if (held != static_cast<long long>(values[i])) return false;
  }
  return true;
}
}  // namespace

int DIEDES_GENERIC_bref::Release(FEATURE_RECORD* frec) {
  Host::Log("DIEDES_GENERIC_bref::Release", Host::TagArg(this) + " frec=" + std::to_string(OM::OM_ask_object_tag(frec)));
  if (long long code = Host::Answer("DIEDES_GENERIC_bref::Release", 0); code != 0) return static_cast<int>(code);
  return SetTags(nullptr, 0, nullptr);
}

void DIEDES_GENERIC_latent_body::Empty() {
  Host::Log("DIEDES_GENERIC_latent_body::Empty", Host::TagArg(this));
  SetInts(nullptr, 0, nullptr);
}

}  // namespace KTX

namespace KTX::DieDes {

DieShoe::DieShoe(int classId, void* context)
    : DIEDES_GENERIC_BODY_PARMS(classId, context),
      booleanItems_(new OM::TagVla(this)),
      subtractItems_(new OM::TagVla(this)) {}

DieShoe::~DieShoe() {
  delete booleanItems_;
  delete subtractItems_;
}

void DieShoe::cascade_destroy() {
  for (const OM::TagVla* items : {booleanItems_, subtractItems_}) {
    if (items == nullptr) continue;
    const std::vector<tag_t> held = items->Items();
    for (tag_t t : held) destroyTag(t);
  }
  destroyTag(types_);
  DIEDES_GENERIC_BODY_PARMS::cascade_destroy();
}

DieAttributesPart DieShoe::GetShoeAttributes(int which) {
  if (which < 0 || which > 2) OM::ThrowIndexOutOfRange(which, 0, 3);
  return DieAttributesPart(this, &shoeAttributes_[which]);
}

DieAttributesRecord* DieShoe::AskShoeAttributes(int which) const {
  Host::Log("DieShoe::AskShoeAttributes", Host::TagArg(this) + " record=" + std::to_string(which));
  if (which < 0 || which > 2) OM::ThrowIndexOutOfRange(which, 0, 3);
  auto* record = static_cast<DieAttributesRecord*>(SM_alloc(sizeof(DieAttributesRecord)));
  if (record == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a record");
  std::memcpy(record, &shoeAttributes_[which], sizeof(DieAttributesRecord));
  return record;
}

void DieShoe::StoreAttributesEntity(OM::Object* owner) {
  Host::Log("DieShoe::StoreAttributesEntity", Host::TagArg(this) + " owner=" + std::to_string(OM::OM_ask_object_tag(owner)));
  OM::LogForWrite(this);
  ++attributesStores_;
}

DIEDES_GENERIC_int* DieShoe::GetDieShoeBooleanTypes() const {
  return dynamic_cast<DIEDES_GENERIC_int*>(OM::OM_object_of_tag(types_));
}

DIEDES_GENERIC_int* DieShoe::CreateDieShoeBooleanTypes() {
  if (DIEDES_GENERIC_int* held = GetDieShoeBooleanTypes()) return held;
  Host::Log("DieShoe::CreateDieShoeBooleanTypes", Host::TagArg(this));
  auto* types = Host::CreateInPart<DIEDES_GENERIC_int>(nullptr);
  OM::LogForWrite(this);
  types_ = types->OmTag();
  return types;
}

int DieShoe::SetDieShoeBooleanTypes(const DIEDES_ENTITY_CONTEXT* context, int count, const int* types, int* changed) {
  DIEDES_GENERIC_int* entity = CreateDieShoeBooleanTypes();
  const bool same = count >= 0 && (count == 0 || types != nullptr) && holds(entity, count, types, true);
  if (int rc = entity->SetInts(context, count, types); rc != 0) return rc;
  if (!same && changed != nullptr && *changed != 0) *changed = 2;
  return 0;
}

int DieShoe::SetDieShoeBooleanTools(DIEDES_GENERIC_bref* item, const DIEDES_ENTITY_CONTEXT* context, int count,
                                    const tag_t* tools, int* changed) {
  if (item == nullptr) return Parms::kNoParms;
  const bool same = count >= 0 && (count == 0 || tools != nullptr) && holds(item, count, tools, false);
  if (int rc = item->SetTags(context, count, tools); rc != 0) return rc;
  if (!same && changed != nullptr && *changed != 0) *changed = 2;
  return 0;
}

int DieShoe::GetNumDieShoeBooleanItems() const { return entryCount(booleanItems_); }
void DieShoe::SetNumDieShoeBooleanItems(int count) {
  Host::Log("DieShoe::SetNumDieShoeBooleanItems", Host::TagArg(this) + " count=" + std::to_string(count));
  resize(booleanItems_, count);
}
DIEDES_GENERIC_bref* DieShoe::GetNthDieShoeBooleanItem(int index) const {
  return entryAt<DIEDES_GENERIC_bref>(booleanItems_, index);
}
void DieShoe::SetNthDieShoeBooleanItem(int index, DIEDES_GENERIC_bref* item) { setEntry(booleanItems_, index, item); }

int DieShoe::GetNumDieShoeSubtractItems() const { return entryCount(subtractItems_); }
void DieShoe::SetNumDieShoeSubtractItems(int count) {
  Host::Log("DieShoe::SetNumDieShoeSubtractItems", Host::TagArg(this) + " count=" + std::to_string(count));
  resize(subtractItems_, count);
}
DIEDES_GENERIC_latent_body* DieShoe::GetNthDieShoeSubtractItem(int index) const {
  return entryAt<DIEDES_GENERIC_latent_body>(subtractItems_, index);
}
void DieShoe::SetNthDieShoeSubtractItem(int index, DIEDES_GENERIC_latent_body* item) {
  setEntry(subtractItems_, index, item);
}

bool DieShoe::TracksBooleanChanges() const {
  Host::Log("DieShoe::TracksBooleanChanges", Host::TagArg(this));
  return Host::Answer("DieShoe::TracksBooleanChanges", 1) != 0;
}

void DieShoe::NoteBooleanDataChanged(FEATURE_RECORD* frec) {
  Host::Log("DieShoe::NoteBooleanDataChanged", Host::TagArg(this) + " frec=" + std::to_string(OM::OM_ask_object_tag(frec)));
  OM::LogForWrite(this);
  ++booleanChanges_;
}

void DieShoe::ClearDieShoeBooleanData(FEATURE_RECORD* frec) {
  Host::Log("DieShoe::ClearDieShoeBooleanData", Host::TagArg(this) + " frec=" + std::to_string(OM::OM_ask_object_tag(frec)));
  for (OM::TagVla* items : {booleanItems_, subtractItems_}) {
    const std::vector<tag_t> held = items->Items();
    writable(items)->Items().clear();
    for (tag_t t : held) destroyTag(t);
  }
  if (types_ != 0) {
    const tag_t types = types_;
    OM::LogForWrite(this);
    types_ = 0;
    destroyTag(types);
  }
}

void DieShoe::TakeOverTemporaryBuilder(OM::TaggedObject* builder) {
  Host::Log("DieShoe::TakeOverTemporaryBuilder", Host::TagArg(this) + " builder=" + std::to_string(OM::OM_ask_object_tag(builder)));
  if (builder != nullptr) builder->destroy();
}

DieShoe* DieShoeFactory::Create() {
  Host::Log("DieShoeFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  const int plane = DieDesGenericPlane::ThisClassId;
  return static_cast<DieShoe*>(DIEDES_GENERIC_BODY_PARMS::Make(
      DieShoe::ThisClassId, {plane, plain, plain, plane, plain, DieDesGenericDirection::ThisClassId, plain, plain}));
}

DIEDES_GENERIC_bref* DIEDES_GENERIC_brefFactory::Create() {
  Host::Log("DIEDES_GENERIC_brefFactory::Create");
  return Host::CreateInPart<DIEDES_GENERIC_bref>(nullptr);
}

DIEDES_GENERIC_latent_body* DIEDES_GENERIC_latent_bodyFactory::Create() {
  Host::Log("DIEDES_GENERIC_latent_bodyFactory::Create");
  return Host::CreateInPart<DIEDES_GENERIC_latent_body>(nullptr);
}

}  // namespace KTX::DieDes
