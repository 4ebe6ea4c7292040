#include "DieDesJA_ParameterEntities.hpp"

#include <cstring>

#include "HeldSelections.hpp"
#include "Support.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDesJA {

namespace {
// The texts of the die-attributes record hold at most this many characters
// with their end.
constexpr int kAttributeTextLimit = 50;
// How a section made on reading back chains its curves, against the distance tolerance.
constexpr double kChainingFactor = 0.95;

// The record's text as it stands: at most the field's width, ended or not.
std::size_t FieldLength(const char* field, std::size_t width) {
  const void* end = std::memchr(field, 0, width);
  return end != nullptr ? static_cast<std::size_t>(static_cast<const char*>(end) - field) : width;
}

template <class Entity>
Entity* EntityAs(const DIEDES_GENERIC_BODY_PARMS* parms, int index) {
  return dynamic_cast<Entity*>(parms->GetEntity(index));
}
}  // namespace

DIEDES_ENTITY_CONTEXT EntityContext(const DIEDES_GENERIC_BODY_PARMS* parms, int flag) {
  DIEDES_ENTITY_CONTEXT context{};
  context.flag = flag;
  context.owner = OM_ask_subobject_owner(parms);
  return context;
}

int EntitiesToUse(const DIEDES_GENERIC_BODY_PARMS* parms, int wanted) {
  const int held = parms != nullptr ? parms->GetNumEntities() : 0;
  return wanted < held ? wanted : held;
}

DIEDES_GENERIC_ENTITY* EntityToRead(const DIEDES_GENERIC_BODY_PARMS* parms, int index) {
  if (parms == nullptr || index < 0 || index >= parms->GetNumEntities()) return nullptr;
  return parms->GetEntity(index);
}

// ---- writing -----------------------------------------------------------------------------

int WriteTagsEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, int count, const tag_t* tags) {
  const DIEDES_ENTITY_CONTEXT context = EntityContext(parms, flag);
  return parms->GetEntity(index)->SetTags(&context, count, tags);
}

int WriteIntsEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, int count, const int* values) {
  const DIEDES_ENTITY_CONTEXT context = EntityContext(parms, flag);
  return parms->GetEntity(index)->SetInts(&context, count, values);
}

int WriteExpressionsEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, int count,
                           EXP_expression* const* expressions) {
  const DIEDES_ENTITY_CONTEXT context = EntityContext(parms, flag);
  return parms->GetEntity(index)->SetExpressions(&context, count, expressions);
}

int WriteSectionEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, SC_section* section) {
  if (section == nullptr || section->is_empty()) return WriteTagsEntity(parms, index, flag, 0, nullptr);
  const tag_t tag = section->ask_tag();
  const int status = WriteTagsEntity(parms, index, flag, 1, &tag);
  if (DIEDES_EXTRACTION_TABLE_MAP* map = DIEDES_UTILS__get_extraction_table_map(); map != nullptr)
    map->MapSection(section);
  return status;
}

int WriteSelectionListEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, const TagListObject* list) {
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  if (list != nullptr) list->ask_tags(&count, tags.out());
  if (count == 0 || !tags) {
    tags.reset();
    return WriteTagsEntity(parms, index, 0, 0, nullptr);
  }
  return WriteTagsEntity(parms, index, 1, count, tags.get());
}

int WritePlaneEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, const DieDes::DiePlaneBuilder* plane) {
  return plane->ToParms(EntityAs<DieDes::DieDesGenericPlane>(parms, index), parms->GetSubObjectOwner());
}

int WriteDirectionEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, const DieDes::DieDirectionBuilder* direction) {
  return direction->ToParms(EntityAs<DieDes::DieDesGenericDirection>(parms, index), parms->GetSubObjectOwner());
}

int WriteLocationEntity(DIEDES_GENERIC_BODY_PARMS* parms, int index, const DieLocationBuilder* location) {
  return location->ToParms(EntityAs<DieDes::DieDesGenericLocation>(parms, index), parms->GetSubObjectOwner());
}

int WriteDieAttributes(DIEDES_GENERIC_BODY_PARMS* parms, const DieDes::DieAttributesBuilder* attributes) {
  return WriteDieAttributesRecord(parms->GetDieAttributes(), OM_ask_subobject_owner(parms), attributes);
}

int WriteDieAttributesRecord(DieAttributesPart part, OM::Object* owner, const DieDes::DieAttributesBuilder* attributes) {
  DieAttributesRecord record;
  std::memset(&record, 0, sizeof record);
  DIEDES_ATTRIBUTE_DESCRIPTOR descriptor{{0, 1, 2, 3, 1}, &record};
  part.Read(&descriptor, 0);

  // The title as it stood is kept beside the new one.
  const std::size_t previous = FieldLength(record.title, sizeof record.title);
  if (previous > 0) {
    std::memset(record.previousTitle, 0, sizeof record.previousTitle);
    std::memcpy(record.previousTitle, record.title, previous);
  }
  const char* title = attributes != nullptr ? attributes->GetFirstText() : nullptr;
  const char* value = attributes != nullptr ? attributes->GetSecondText() : nullptr;
  std::memset(record.title, 0, sizeof record.title);
  if (title != nullptr && title[0] != '\0') STR_snprintf(record.title, kAttributeTextLimit, "%s", title);
  std::memset(record.value, 0, sizeof record.value);
  if (value != nullptr && value[0] != '\0') STR_snprintf(record.value, kAttributeTextLimit, "%s", value);
  record.number = attributes != nullptr ? attributes->GetIntegerValue() : 0;

  return part.Write(owner, &descriptor, 2);
}

void FillDieAttributesRecords(DieAttributesRecord* records,
                              std::span<const DieDes::DieAttributesBuilder* const> builders) {
  for (std::size_t i = 0; i < builders.size(); ++i) {
    DieAttributesRecord& r = records[i];
    if (r.title[0] != '\0') STR_snprintf(r.previousTitle, 50, "%s", r.title);
    std::memset(r.title, 0, sizeof r.title);
    std::memset(r.value, 0, sizeof r.value);
    if (builders[i] == nullptr) continue;
    STR_snprintf(r.title, 50, "%s", builders[i]->GetFirstText());
    STR_snprintf(r.value, 50, "%s", builders[i]->GetSecondText());
    r.number = builders[i]->GetIntegerValue();
  }
}

// ---- reading back ----------------------------------------------------------------------------

void ReadSelectionListEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index, TagListObject* list) {
  DIEDES_GENERIC_ENTITY* entity = EntityToRead(parms, index);
  if (entity == nullptr || list == nullptr) return;
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  entity->AskTags(&count, tags.out());
  if (count >= 1 && tags && tags[0] != 0)
    for (int i = 0; i < count; ++i) list->append(tags[i]);
}

SC_section* ReadSectionEntity(OM::Object* builder, const OM::AttributeId& attribute, SC_section* current,
                              DIEDES_GENERIC_BODY_PARMS* parms, int index, int flag, PART_part* part) {
  DIEDES_GENERIC_ENTITY* entity = EntityToRead(parms, index);
  if (entity == nullptr) return current;

  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  entity->AskTags(&count, tags.out());
  const tag_t stored = count >= 1 && tags ? tags[0] : 0;
  tags.reset();
  // The section the builder holds already is kept, not deleted under it.
  if (current != nullptr && stored != 0 && current->ask_tag() == stored) return current;

  // Nothing to let go when the builder holds no section.
  if (current != nullptr) {
    OM::OM_set_pointer(builder, attribute, nullptr);
    UPDATE_log_object_to_delete(current);
  }

  SC_section* section = nullptr;
  if (stored != 0) {
    // The feature's section stays the feature's: the builder works on a copy
    // it owns, which the commit writes into it (HeldSelections.hpp).
    section = Stamvik::CopyOfSection(OM::TagToObject<SC_section>(stored), part != nullptr ? part->ask_tag() : 0);
    OM::OM_set_pointer(builder, attribute, section);
    return section;
  }
  // A section the feature lacks is the builder's own: the feature names it
  // only once a commit that goes through writes it there.
  (void)flag;
  const double distance = parms->GetDistanceTolerance();
  section = SC_sectionFactory::object(part != nullptr ? part->ask_tag() : 0, kChainingFactor * distance, distance,
                                      parms->GetAngleTolerance());
  OM::OM_set_pointer(builder, attribute, section);
  return section;
}

void ReadPlaneEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index, DieDes::DiePlaneBuilder* plane) {
  DIEDES_GENERIC_ENTITY* entity = EntityToRead(parms, index);
  if (entity == nullptr || plane == nullptr) return;
  plane->FromParms(dynamic_cast<DieDes::DieDesGenericPlane*>(entity));
}

void ReadDirectionEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index, DieDes::DieDirectionBuilder* direction) {
  DIEDES_GENERIC_ENTITY* entity = EntityToRead(parms, index);
  if (entity == nullptr || direction == nullptr) return;
  direction->FromParms(dynamic_cast<DieDes::DieDesGenericDirection*>(entity));
}

void ReadLocationEntity(const DIEDES_GENERIC_BODY_PARMS* parms, int index, DieLocationBuilder* location) {
  DIEDES_GENERIC_ENTITY* entity = EntityToRead(parms, index);
  if (entity == nullptr || location == nullptr) return;
  location->FromParms(dynamic_cast<DieDes::DieDesGenericLocation*>(entity));
}

void ReadDieAttributes(const DIEDES_GENERIC_BODY_PARMS* parms, DieDes::DieAttributesBuilder* attributes) {
  if (parms == nullptr || attributes == nullptr) return;
  const Stamvik::HostBlock<DieAttributesRecord> record(parms->AskDieAttributes());
  ReadDieAttributesRecord(record.get(), attributes);
}

void ReadDieAttributesRecord(const DieAttributesRecord* record, DieDes::DieAttributesBuilder* attributes) {
  if (record == nullptr || attributes == nullptr) return;
  // A field that is set hands its text to the builder; an empty one leaves it alone.
  const auto handText = [](const char* field, std::size_t size, auto set) {
    const std::size_t length = FieldLength(field, size);
    if (length == 0) return false;
    char text[kAttributeTextLimit + 1];
    std::memcpy(text, field, length);
    text[length] = '\0';
    TEXT_s* converted = TEXT_init_string(text);
    set(converted);
    TEXT_free(converted);
    return true;
  };
  if (handText(record->title, sizeof record->title, [&](TEXT_s* text) { attributes->SetFirstText(text); }))
    attributes->SetIntegerValue(record->number);
  handText(record->value, sizeof record->value, [&](TEXT_s* text) { attributes->SetSecondText(text); });
}

}  // namespace KTX::DieDesJA
