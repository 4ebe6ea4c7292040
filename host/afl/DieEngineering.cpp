#include "afl/DieEngineering.hpp"

#include <string>

#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int DIE_FRMTSK_PARMS::ThisClassId = 0;
int DIE_FRMTSK_PARMSClassId = 0;
double srfc1[4] = {0.5, 0.25, 0.0, 0.0};

namespace {

struct FormTaskClasses {
  FormTaskClasses() {
    Host::RegisterHostClass<DIE_FRMTSK_PARMS>(FEATURE_PARMS::OmClassName);
    DIE_FRMTSK_PARMSClassId = DIE_FRMTSK_PARMS::ThisClassId;
  }
} formTaskClasses;


template <class T>
T* blocks(int count) {
  if (count <= 0) return nullptr;
  auto* block = static_cast<T*>(SM_calloc(static_cast<std::size_t>(count), sizeof(T)));
  if (block == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the form task");
  return block;
}

// A new array of the tags (null when none).
void handOut(const std::vector<tag_t>& tags, int* count, tag_t** out) {
  *count = 0;
  *out = blocks<tag_t>(static_cast<int>(tags.size()));
  for (tag_t t : tags) (*out)[(*count)++] = t;
}

void replace(int* count, tag_t** array, const std::vector<tag_t>& tags) {
  SM_free(*array);
  handOut(tags, count, array);
}

std::vector<tag_t> listOf(int count, const tag_t* tags) {
  return tags == nullptr || count <= 0 ? std::vector<tag_t>{} : std::vector<tag_t>(tags, tags + count);
}

template <class Array>
Array* writable(Array* array) {
  if (array == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the object's array");
  OM::OM__log(array);
  return array;
}

}  // namespace

// ---- parameters --------------------------------------------------------------------------

DIE_FRMTSK_PARMS::DIE_FRMTSK_PARMS(int classId, void* context)
    : FEATURE_PARMS(classId, context),
      entities_{new OM::TagVla(this), new OM::TagVla(this)},
      shapeBodies_(new OM::TagVla(this)),
      details_(new OM::StringVla(this)) {}

DIE_FRMTSK_PARMS::~DIE_FRMTSK_PARMS() {
  delete entities_[0];
  delete entities_[1];
  delete shapeBodies_;
  delete details_;
}

int DIE_FRMTSK_PARMS::AskShapeDetailCount() const { return shapeBodies_ == nullptr ? 0 : shapeBodies_->Length(); }
int DIE_FRMTSK_PARMS::AskDetailCount() const { return details_ == nullptr ? 0 : details_->Length(); }

void DIE_FRMTSK_PARMS::Store(const DIE_FRMTSK_s* record) {
  OM::LogForWrite(this);
  for (int kind = 0; kind < 2; ++kind)
    writable(entities_[kind])->Items() = listOf(record->region.entityCount[kind], record->region.entities[kind]);
  writable(shapeBodies_)->Items() = listOf(record->shapeDetailCount, record->shapeDetailBodies);
  auto& lines = writable(details_)->Items();
  lines.clear();
  for (int i = 0; i < record->detailCount && record->details != nullptr; ++i)
    lines.emplace_back(record->details[i] != nullptr ? record->details[i] : "");
  sectionProfile_ = record->region.sectionProfile;
  dieTip_ = record->dieTip;
  pointInRegion_ = record->pointInRegion;
  camDirection_ = record->camDirection;
  finishOperation_ = record->finishOperation;
}

void DIE_FRMTSK_PARMS::Load(DIE_FRMTSK_s* record) const {
  for (int kind = 0; kind < 2; ++kind)
    replace(&record->region.entityCount[kind], &record->region.entities[kind],
            entities_[kind] != nullptr ? entities_[kind]->Items() : std::vector<tag_t>{});
  replace(&record->shapeDetailCount, &record->shapeDetailBodies,
          shapeBodies_ != nullptr ? shapeBodies_->Items() : std::vector<tag_t>{});
  for (int i = 0; i < record->detailCount; ++i) SM_free(record->details[i]);
  SM_free(record->details);
  record->details = nullptr;
  record->detailCount = 0;
  const int lines = AskDetailCount();
  record->details = blocks<char*>(lines);
  for (int i = 0; i < lines; ++i)
    record->details[record->detailCount++] = SM_string_copy(details_->Items()[static_cast<std::size_t>(i)].c_str());
  record->region.sectionProfile = sectionProfile_;
  record->dieTip = dieTip_;
  record->pointInRegion = pointInRegion_;
  record->camDirection = camDirection_;
  record->finishOperation = finishOperation_;
}

// ---- the application record --------------------------------------------------------------

DIE_FRMTSK_s* DIE_FRMTSK_alloc_appl_data(int option, void*) {
  Host::Log("DIE_FRMTSK_alloc_appl_data", std::to_string(option));
  return static_cast<DIE_FRMTSK_s*>(SM_calloc(1, sizeof(DIE_FRMTSK_s)));
}

void DIE_FRMTSK_free_appl_data(DIE_FRMTSK_s* record) {
  Host::Log("DIE_FRMTSK_free_appl_data");
  if (record == nullptr) return;
  for (int i = 0; i < record->detailCount && record->details != nullptr; ++i) SM_free(record->details[i]);
  SM_free(record->details);
  SM_free(record->shapeDetailBodies);
  CMP_RT_free(&record->region);
  SM_free(record->region.scratch);
  if (record->surfaceLaw != nullptr) LAW_SURF_free_law(record->surfaceLaw);
  SM_free(record);
}

bool DIE_FRMTSK_is_a_frmtsk_frec(const FEATURE_RECORD* frec) {
  Host::Log("DIE_FRMTSK_is_a_frmtsk_frec", Host::TagArg(frec));
  return frec != nullptr && dynamic_cast<DIE_FRMTSK_PARMS*>(frec->ask_parms()) != nullptr;
}

int DIE_FRMTSK_read_parms(bool option, DIE_FRMTSK_s* record) {
  Host::Log("DIE_FRMTSK_read_parms", std::string(option ? "true " : "false ") +
                                         Host::TagArg(record != nullptr ? record->frec : nullptr));
  auto* parms = record == nullptr || record->frec == nullptr
                    ? nullptr
                    : dynamic_cast<DIE_FRMTSK_PARMS*>(record->frec->ask_parms());
  if (parms == nullptr) return Parms::kNoParms;
  parms->Load(record);
  return 0;
}

tag_t DIE_FRMTSK__get_tag_of_sel(tag_t object) { return object; }

void DIE_PRCTSK_ReplaceEntsInCollector(SC_collector* collector, int count, const tag_t* tags) {
  Host::Log("DIE_PRCTSK_ReplaceEntsInCollector", Host::TagArg(collector) + " " + std::to_string(count));
  if (collector != nullptr) collector->set_tags(count, tags);
}

// ---- region data ----------------------------------------------------------------------------

int CMP_RT_ask_section_profile(int, const CMP_RT_s* region, int, int* count, tag_t** tags) {
  handOut(region != nullptr && region->sectionProfile != 0 ? std::vector<tag_t>{region->sectionProfile}
                                                           : std::vector<tag_t>{},
          count, tags);
  return 0;
}

int CMP_RT_ask_rm_entities(const CMP_RT_s* region, int kind, bool, int* count, tag_t** tags) {
  if (region == nullptr || kind < 0 || kind > 1) {
    handOut({}, count, tags);
    return 0;
  }
  handOut(listOf(region->entityCount[kind], region->entities[kind]), count, tags);
  return 0;
}

int CMP_RT_replace_rm_entities(CMP_RT_s* region, int kind, int option, tag_t collector, FEATURE_RECORD* frec) {
  Host::Log("CMP_RT_replace_rm_entities", std::to_string(kind) + " " + std::to_string(option) + " collector=" +
                                              std::to_string(collector) + " " + Host::TagArg(frec));
  if (region == nullptr || kind < 0 || kind > 1) return Error::kBadObject;
  auto* source = dynamic_cast<SC_collector*>(OM::OM_object_of_tag(collector));
  int count = 0;
  tag_t* tags = nullptr;
  if (source != nullptr) source->ask_tags(&count, &tags);
  replace(&region->entityCount[kind], &region->entities[kind], listOf(count, tags));
  SM_free(tags);
  return 0;
}

void CMP_RT_free(CMP_RT_s* region) {
  Host::Log("CMP_RT_free");
  if (region == nullptr) return;
  for (int kind = 0; kind < 2; ++kind) {
    SM_free(region->entities[kind]);
    region->entities[kind] = nullptr;
    region->entityCount[kind] = 0;
  }
}

// ---- defaults, laws, features ------------------------------------------------------------------

int DIEENG_DEFAULTS_get(int number, DIEENG_DEFAULTS_info_s* info) {
  Host::Log("DIEENG_DEFAULTS_get", std::to_string(number));
  if (long long code = Host::Answer("DIEENG_DEFAULTS_get", 0); code != 0) return static_cast<int>(code);
  if (info != nullptr) {
    info->number = number;
    info->filled = 1;
  }
  return 0;
}

void LAW_SURF_free_law(void* law) {
  Host::Log("LAW_SURF_free_law");
  SM_free(law);
}

int DIEENG_create_frec(int classId, DIE_FRMTSK_s* record, int option, FEATURE_RECORD** frec) {
  Host::Log("DIEENG_create_frec", std::to_string(classId == DIE_FRMTSK_PARMSClassId ? 1 : 0) + " " +
                                      std::to_string(option));
  if (record == nullptr || frec == nullptr) return Parms::kNoParms;
  if (long long code = Host::Answer("DIEENG_create_frec", 0); code != 0) return static_cast<int>(code);
  auto* parms = Host::CreateInPart<DIE_FRMTSK_PARMS>(nullptr);
  parms->Store(record);
  FEATURE_RECORD* made = FEATURE_RECORD::Create(nullptr, parms);
  parms->SetFeatureRecord(made);
  *frec = made;
  return 0;
}

int DIEENG_update_frec(FEATURE_RECORD* frec, DIE_FRMTSK_s* record) {
  Host::Log("DIEENG_update_frec", Host::TagArg(frec));
  if (long long code = Host::Answer("DIEENG_update_frec", 0); code != 0) return static_cast<int>(code);
  auto* parms = frec == nullptr ? nullptr : dynamic_cast<DIE_FRMTSK_PARMS*>(frec->ask_parms());
  if (parms == nullptr || record == nullptr) return Parms::kNoParms;
  parms->Store(record);
  return 0;
}

}  // namespace KTX
