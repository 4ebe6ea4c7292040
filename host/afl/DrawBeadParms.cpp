#include "afl/DrawBeadParms.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "om/HostClass.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int DIEDES_GEN_C_DRBD_SEG_PARMS::ThisClassId = 0;
int DIEDES_GEN_P_DRBD_TPR_PARMS::ThisClassId = 0;
int DIEDES_GENERIC_tag::ThisClassId = 0;
int DIEDES_GENERIC_PARENT_PARMS::ThisClassId = 0;
int DIE_DRBD_PARMS::ThisClassId = 0;
int DIE_DRBD_MALE_PARMS::ThisClassId = 0;
int DIE_DRBD_FEMALE_PARMS::ThisClassId = 0;
int DIE_DRBD_SHEETMETAL_PARMS::ThisClassId = 0;
int OLD_profile::ThisClassId = 0;

namespace {
struct DrawBeadParmsClasses {
  DrawBeadParmsClasses() {
    Host::RegisterHostClass<DIEDES_GEN_C_DRBD_SEG_PARMS>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
    Host::RegisterHostClass<DIEDES_GEN_P_DRBD_TPR_PARMS>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
    Host::RegisterHostClass<DIEDES_GENERIC_tag>(DIEDES_GENERIC_ENTITY::OmClassName);
    Host::RegisterHostClass<DIEDES_GENERIC_PARENT_PARMS>(FEATURE_PARMS::OmClassName);
    Host::RegisterHostClass<DIE_DRBD_PARMS>(DIEDES_GENERIC_BODY_PARMS::OmClassName);
    Host::RegisterHostClass<DIE_DRBD_MALE_PARMS>(DIE_DRBD_PARMS::OmClassName);
    Host::RegisterHostClass<DIE_DRBD_FEMALE_PARMS>(DIE_DRBD_PARMS::OmClassName);
    Host::RegisterHostClass<DIE_DRBD_SHEETMETAL_PARMS>(DIE_DRBD_PARMS::OmClassName);
    Host::RegisterHostClass<OLD_profile>(OM::TaggedObject::OmClassName);
  }
} drawBeadParmsClasses;


std::vector<int> plainItems(int items) {
  return std::vector<int>(static_cast<std::size_t>(items < 0 ? 0 : items), DIEDES_GENERIC_ENTITY::ThisClassId);
}

template <class Array>
Array* writable(Array* array) {
  if (array == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the record's array");
  OM::OM__log(array);
  return array;
}

bool wizardActive = false;
}  // namespace

DIEDES_GEN_C_DRBD_SEG_PARMS* DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create(int items) {
  Host::Log("DIEDES_GEN_C_DRBD_SEG_PARMSFactory::Create", std::to_string(items));
  return static_cast<DIEDES_GEN_C_DRBD_SEG_PARMS*>(
      DIEDES_GENERIC_BODY_PARMS::Make(DIEDES_GEN_C_DRBD_SEG_PARMS::ThisClassId, plainItems(items)));
}

DIEDES_GEN_P_DRBD_TPR_PARMS* DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create(int items) {
  Host::Log("DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create", std::to_string(items));
  return static_cast<DIEDES_GEN_P_DRBD_TPR_PARMS*>(
      DIEDES_GENERIC_BODY_PARMS::Make(DIEDES_GEN_P_DRBD_TPR_PARMS::ThisClassId, plainItems(items)));
}

DIEDES_GENERIC_tag* DIEDES_GENERIC_tagFactory::Create() {
  Host::Log("DIEDES_GENERIC_tagFactory::Create");
  return Host::CreateInPart<DIEDES_GENERIC_tag>(nullptr);
}

// ---- children -----------------------------------------------------------------------------

int ParmsChildren::Count() const { return children_ == nullptr ? 0 : children_->Length(); }

FEATURE_PARMS* ParmsChildren::At(int index) const {
  if (index < 0 || index >= Count()) OM::ThrowIndexOutOfRange(index, 0, Count());
  return dynamic_cast<FEATURE_PARMS*>(OM::OM_object_of_tag(children_->Items()[static_cast<std::size_t>(index)]));
}

void ParmsChildren::SetCount(int count) {
  Host::Log("ParmsChildren::SetCount", Host::TagArg(owner_) + " " + std::to_string(count));
  writable(children_)->Resize(count);
}

void ParmsChildren::Set(int index, FEATURE_PARMS* child) {
  Host::Log("ParmsChildren::Set", Host::TagArg(owner_) + " " + std::to_string(index) + " " + Host::TagArg(child));
  if (index < 0 || index >= Count()) OM::ThrowIndexOutOfRange(index, 0, Count());
  writable(children_)->Items()[static_cast<std::size_t>(index)] = OM::OM_ask_object_tag(child);
}

void ParmsChildren::DestroyAll() {
  if (children_ == nullptr) return;
  const std::vector<tag_t> children = children_->Items();
  for (const tag_t t : children)
    if (auto* child = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) child->destroy();
}

DIEDES_GENERIC_PARENT_PARMS::DIEDES_GENERIC_PARENT_PARMS(int classId, void* context)
    : FEATURE_PARMS(classId, context), children_(new OM::TagVla(this)) {}
DIEDES_GENERIC_PARENT_PARMS::~DIEDES_GENERIC_PARENT_PARMS() { delete children_; }

void DIEDES_GENERIC_PARENT_PARMS::cascade_destroy() {
  Children().DestroyAll();
  FEATURE_PARMS::cascade_destroy();
}

DIEDES_GENERIC_PARENT_PARMS* DIEDES_GENERIC_PARENT_PARMSFactory::Create() {
  Host::Log("DIEDES_GENERIC_PARENT_PARMSFactory::Create");
  return Host::CreateInPart<DIEDES_GENERIC_PARENT_PARMS>(nullptr);
}

// ---- bead records --------------------------------------------------------------------------

DIE_DRBD_PARMS::DIE_DRBD_PARMS(int classId, void* context)
    : DIEDES_GENERIC_BODY_PARMS(classId, context),
      children_(new OM::TagVla(this)),
      attributes_(new OM::StringVla(this)),
      details_(new OM::StringVla(this)) {}

DIE_DRBD_PARMS::~DIE_DRBD_PARMS() {
  delete children_;
  delete attributes_;
  delete details_;
}

void DIE_DRBD_PARMS::cascade_destroy() {
  Children().DestroyAll();
  DIEDES_GENERIC_BODY_PARMS::cascade_destroy();
}

void DIE_DRBD_PARMS::SetFlags(unsigned flags) {
  OM::LogForWrite(this);
  flags_ = flags;
}

void DIE_DRBD_PARMS::SetByteFlag(int flag) {
  OM::LogForWrite(this);
  byteFlag_ = flag;
}

DIEDES_GENERIC_ENTITY* DIE_DRBD_PARMS::SetNthDiedesItems(int index, DIEDES_GENERIC_ENTITY* item) {
  Host::Log("DIE_DRBD_PARMS::SetNthDiedesItems", Host::TagArg(this) + " " + std::to_string(index) + " " + Host::TagArg(item));
  return ReplaceEntity(index, item);
}

bool DIE_DRBD_PARMS::HasAttributeInformation() const {
  return attributes_ != nullptr && attributes_->Length() == kAttributeRecords;
}

int DIE_DRBD_PARMS::AskAttributeInformation(DieAttributesRecord records[kAttributeRecords]) const {
  Host::Log("DIE_DRBD_PARMS::AskAttributeInformation", Host::TagArg(this));
  if (!HasAttributeInformation()) return Parms::kBadDescriptor;
  for (int i = 0; i < kAttributeRecords; ++i) {
    const std::string& bytes = attributes_->At(i);
    std::memset(&records[i], 0, sizeof(DieAttributesRecord));
    std::memcpy(&records[i], bytes.data(), std::min(bytes.size(), sizeof(DieAttributesRecord)));
  }
  return 0;
}

int DIE_DRBD_PARMS::WriteAttributeInformation(const DieAttributesRecord records[kAttributeRecords], int mode) {
  Host::Log("DIE_DRBD_PARMS::WriteAttributeInformation", Host::TagArg(this) + " mode=" + std::to_string(mode));
  if (!HasAttributeInformation()) return Parms::kBadDescriptor;
  writable(attributes_);
  for (int i = 0; i < kAttributeRecords; ++i)
    attributes_->Items()[static_cast<std::size_t>(i)].assign(reinterpret_cast<const char*>(&records[i]),
                                                              sizeof(DieAttributesRecord));
  return 0;
}

void DIE_DRBD_PARMS::UpdateAttributeInformationFromBody() {
  Host::Log("DIE_DRBD_PARMS::UpdateAttributeInformationFromBody", Host::TagArg(this));
}

void DIE_DRBD_PARMS::SetMoreDetailsInfo(FEATURE_RECORD* frec, int count, const char* const* strings) {
  Host::Log("DIE_DRBD_PARMS::SetMoreDetailsInfo", Host::TagArg(this) + " " + Host::TagArg(frec) + " " + std::to_string(count));
  std::vector<std::string> copies;
  for (int i = 0; i < count && strings != nullptr; ++i) copies.emplace_back(strings[i] != nullptr ? strings[i] : "");
  writable(details_)->Items() = std::move(copies);
}

int DIE_DRBD_PARMS::GetMoreDetailsInfo(FEATURE_RECORD* frec, char*** strings) const {
  Host::Log("DIE_DRBD_PARMS::GetMoreDetailsInfo", Host::TagArg(this) + " " + Host::TagArg(frec));
  const int count = details_ == nullptr ? 0 : details_->Length();
  if (strings == nullptr) return count;
  *strings = nullptr;
  if (count == 0) return 0;
  auto** copies = static_cast<char**>(SM_calloc(static_cast<std::size_t>(count) + 1, sizeof(char*)));
  for (int i = 0; i < count; ++i) copies[i] = SM_string_copy(details_->At(i).c_str());
  *strings = copies;
  return count;
}

void DIE_DRBD_PARMS::SetAssociatedFrecs(FEATURE_RECORD* const triple[3]) {
  Host::Log("DIE_DRBD_PARMS::SetAssociatedFrecs", Host::TagArg(this) + " " + Host::TagArg(triple[0]) + " " + Host::TagArg(triple[1]) +
                                                      " " + Host::TagArg(triple[2]));
  OM::LogForWrite(this);
  for (int i = 0; i < 3; ++i) triple_[i] = OM::OM_ask_object_tag(triple[i]);
}

void DIE_DRBD_PARMS::AskAssociatedFrecs(FEATURE_RECORD* triple[3]) const {
  for (int i = 0; i < 3; ++i) {
    OM::Object* object = OM::OM_is_deleted_tag(triple_[i]) ? nullptr : OM::OM_object_of_tag(triple_[i]);
    triple[i] = dynamic_cast<FEATURE_RECORD*>(object);
  }
}

void DIE_DRBD_PARMS::FindAssociatedFrecs(const FEATURE_RECORD* frec, FEATURE_RECORD* triple[3]) {
  Host::Log("DIE_DRBD_PARMS::FindAssociatedFrecs", Host::TagArg(frec));
  triple[0] = triple[1] = triple[2] = nullptr;
  const auto* parms = dynamic_cast<const DIE_DRBD_PARMS*>(frec == nullptr ? nullptr : frec->ask_parms());
  if (parms == nullptr) return;
  parms->AskAssociatedFrecs(triple);
  if (triple[0] == nullptr) triple[0] = const_cast<FEATURE_RECORD*>(frec);
  // The derived beads name the male one: they are found from it.
  for (const tag_t t : Host::KeptInPart(PART_ask_part_of_object(frec->ask_tag()))) {
    auto* other = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t));
    const auto* derived = dynamic_cast<const DIE_DRBD_PARMS*>(other == nullptr ? nullptr : other->ask_parms());
    if (derived == nullptr || derived->triple_[0] != triple[0]->ask_tag()) continue;
    if (OM::OM_is_subclass(derived->OmClassId(), DIE_DRBD_FEMALE_PARMS::ThisClassId) && triple[1] == nullptr)
      triple[1] = other;
    if (OM::OM_is_subclass(derived->OmClassId(), DIE_DRBD_SHEETMETAL_PARMS::ThisClassId) && triple[2] == nullptr)
      triple[2] = other;
  }
}

FEATURE_RECORD* DIE_DRBD_PARMS::AskOperation() const {
  Host::Log("DIE_DRBD_PARMS::AskOperation", Host::TagArg(this));
  const auto tag = static_cast<tag_t>(Host::Answer("DIE_DRBD_PARMS::AskOperation", 0));
  return dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(tag));
}

bool DIE_DRBD_PARMS::IsPlacementFaceDieEngineeringBody() const {
  Host::Log("DIE_DRBD_PARMS::IsPlacementFaceDieEngineeringBody", Host::TagArg(this));
  return Host::Answer("DIE_DRBD_PARMS::IsPlacementFaceDieEngineeringBody", 0) != 0;
}

void DIE_DRBD_PARMS::SetDieEngineeringFrec() { Host::Log("DIE_DRBD_PARMS::SetDieEngineeringFrec", Host::TagArg(this)); }

void DIE_DRBD_PARMS::MarkForUpdate(bool marked) {
  Host::Log("DIE_DRBD_PARMS::MarkForUpdate", Host::TagArg(this) + (marked ? " 1" : " 0"));
  OM::LogForWrite(this);
  marked_ = marked;
}

double DIE_DRBD_MALE_PARMS::GetDefaultSphereDiameter() const { return 10.0; }

DIE_DRBD_MALE_PARMS* DIE_DRBD_MALE_PARMSFactory::Create() {
  Host::Log("DIE_DRBD_MALE_PARMSFactory::Create");
  const int plain = DIEDES_GENERIC_ENTITY::ThisClassId;
  const int location = DieDes::DieDesGenericLocation::ThisClassId;
  auto* parms = static_cast<DIE_DRBD_MALE_PARMS*>(DIEDES_GENERIC_BODY_PARMS::Make(
      DIE_DRBD_MALE_PARMS::ThisClassId,
      {DIEDES_GENERIC_tag::ThisClassId, DIEDES_GENERIC_tag::ThisClassId, location, location,
       DieDes::DieDesGenericDirection::ThisClassId, plain, plain, plain, plain, plain}));
  ParmsChildren children = parms->Children();
  children.SetCount(3);
  children.Set(0, DIEDES_GENERIC_PARENT_PARMSFactory::Create());
  children.Set(1, DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create());
  children.Set(2, DIEDES_GEN_P_DRBD_TPR_PARMSFactory::Create());
  writable(parms->attributes_)->Items().assign(DIE_DRBD_PARMS::kAttributeRecords,
                                               std::string(sizeof(DieAttributesRecord), '\0'));
  return parms;
}

namespace {
template <class T>
T* makeDerived(const char* call, FEATURE_RECORD* const triple[3]) {
  Host::Log(call, Host::TagArg(triple[0]) + " " + Host::TagArg(triple[1]) + " " + Host::TagArg(triple[2]));
  if (Host::Answer(std::string(call) + ".none", 0) != 0) return nullptr;
  auto* parms = static_cast<T*>(DIEDES_GENERIC_BODY_PARMS::Make(T::ThisClassId, {}));
  parms->SetAssociatedFrecs(triple);
  return parms;
}
}  // namespace

DIE_DRBD_FEMALE_PARMS* DIE_DRBD_FEMALE_PARMSFactory::Create(FEATURE_RECORD* const triple[3]) {
  return makeDerived<DIE_DRBD_FEMALE_PARMS>("DIE_DRBD_FEMALE_PARMSFactory::Create", triple);
}

DIE_DRBD_SHEETMETAL_PARMS* DIE_DRBD_SHEETMETAL_PARMSFactory::Create(FEATURE_RECORD* const triple[3],
                                                                   FEATURE_RECORD* operation) {
  Host::Log("DIE_DRBD_SHEETMETAL_PARMSFactory::operation", Host::TagArg(operation));
  return makeDerived<DIE_DRBD_SHEETMETAL_PARMS>("DIE_DRBD_SHEETMETAL_PARMSFactory::Create", triple);
}

void DIE_DRBD_SHEETMETAL_PARMS::UpdatePartTip(FEATURE_RECORD* operation) {
  Host::Log("DIE_DRBD_SHEETMETAL_PARMS::UpdatePartTip", Host::TagArg(this) + " " + Host::TagArg(operation));
}

// ---- die-engineering feature calls --------------------------------------------------------------

int DIEENG_insert_into_operation(FEATURE_RECORD* frec, FEATURE_RECORD* operation, int mode) {
  Host::Log("DIEENG_insert_into_operation", Host::TagArg(frec) + " " + Host::TagArg(operation) + " mode=" + std::to_string(mode));
  return static_cast<int>(Host::Answer("DIEENG_insert_into_operation", 0));
}

void DIEENG_set_wizard_active() {
  Host::Log("DIEENG_set_wizard_active");
  wizardActive = true;
}

void DIEENG_set_wizard_inactive() {
  Host::Log("DIEENG_set_wizard_inactive");
  wizardActive = false;
}

bool Host::WizardActive() { return wizardActive; }

void DSS_REGEN_regen_objs_in_views(int option, void*, int count, const tag_t* bodies) {
  std::string text = "option=" + std::to_string(option) + " count=" + std::to_string(count);
  for (int i = 0; i < count && bodies != nullptr; ++i) text += " " + std::to_string(bodies[i]);
  Host::Log("DSS_REGEN_regen_objs_in_views", text);
}

// ---- old profiles ---------------------------------------------------------------------------------

OLD_profile* OLD_profile::Make(SC_section* sectionOfBuilder) {
  auto* profile = Host::CreateInPart<OLD_profile>(nullptr);
  profile->section_ = OM::OM_ask_object_tag(sectionOfBuilder);
  return profile;
}

bool CMP_has_section_builder(const OLD_profile* profile) {
  Host::Log("CMP_has_section_builder", Host::TagArg(profile));
  return profile != nullptr && profile->ask_section() != 0;
}

void CMP_ask_section_builder(const OLD_profile* profile, int* count, tag_t** objects) {
  Host::Log("CMP_ask_section_builder", Host::TagArg(profile));
  *count = 0;
  *objects = nullptr;
  if (profile == nullptr || profile->ask_section() == 0) return;
  *objects = static_cast<tag_t*>(SM_alloc(sizeof(tag_t)));
  (*objects)[0] = profile->ask_section();
  *count = 1;
}

void CMP_RT_init(CMP_RT_runtime* runtime, int slots) {
  Host::Log("CMP_RT_init", std::to_string(slots));
  if (runtime != nullptr) std::memset(runtime->slot, 0, sizeof(runtime->slot));
}

int CMP_RT_from_om(CMP_RT_runtime*, int count, OLD_profile* profile, FEATURE_RECORD* frec) {
  Host::Log("CMP_RT_from_om", std::to_string(count) + " " + Host::TagArg(profile) + " " + Host::TagArg(frec));
  return static_cast<int>(Host::Answer("CMP_RT_from_om", 0));
}

int CMP_RT_to_om(CMP_RT_runtime*, const CMP_RT_option* option, FEATURE_RECORD* frec, OLD_profile* profile) {
  std::string text = option == nullptr ? "no option" : "kind=" + std::to_string(option->kind);
  if (option != nullptr && option->pair != nullptr)
    text += " pair=" + std::to_string(option->pair[0]) + "," + std::to_string(option->pair[1]);
  Host::Log("CMP_RT_to_om", text + " " + Host::TagArg(frec) + " " + Host::TagArg(profile));
  return 0;
}

void CMP_RT_free(CMP_RT_runtime*) { Host::Log("CMP_RT_free"); }

SC_section* CMP_cnvt_old_profile_by_add_section(FEATURE_RECORD* frec, OLD_profile* profile, double distance,
                                                double chaining, double angle) {
  Host::Log("CMP_cnvt_old_profile_by_add_section", Host::TagArg(frec) + " " + Host::TagArg(profile) + " " +
                                                       std::to_string(distance) + " " + std::to_string(chaining) +
                                                       " " + std::to_string(angle));
  if (Host::Answer("CMP_cnvt_old_profile_by_add_section.none", 0) != 0) return nullptr;
  return SC_sectionFactory::object(0, chaining, distance, angle);
}

}  // namespace KTX
