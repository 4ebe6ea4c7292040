#include "feat/Builder.hpp"

#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int JAX_BASE_BUILDER::ThisClassId = 0;
int JAX_BUILDER::ThisClassId = 0;
int JAX_FEAT_BUILDER::ThisClassId = 0;
int PART_part::ThisClassId = 0;
int CM_part::ThisClassId = 0;
int FEATURE_RECORD::ThisClassId = 0;

IGenericObserver::~IGenericObserver() = default;
IChildOfObservable::~IChildOfObservable() = default;

void IChildOfObservable::SetParentHasObservers(bool has) { parentHasObservers_ = has; }

void NotifyOwnerOfChange(OM::Object* changed) {
  auto* child = dynamic_cast<IChildOfObservable*>(changed);
  if (child == nullptr || !child->ParentHasObservers()) return;
  if (auto* observer = dynamic_cast<IGenericObserver*>(OM::OM_ask_owner(changed))) {
    Host::Log("Notify", "tag=" + std::to_string(changed->OmTag()));
    observer->Notify(changed);
  }
}

char* JAX_BASE_BUILDER::ask_journal_class_name() const { return SM_string_copy("Builder"); }
int JAX_BASE_BUILDER::validate_nothrow() { return 0; }
int JAX_BASE_BUILDER::commit() { return 0; }
void JAX_BASE_BUILDER::init_object(PART_part* part) { owningPart_ = part; }
JAX_BASE_BUILDER::~JAX_BASE_BUILDER() = default;
JAX_BUILDER::~JAX_BUILDER() = default;

int JAX_FEAT_BUILDER::commit() {
  FEATURE_RECORD* record = frec_;
  return commit_feature(&record);
}
int JAX_FEAT_BUILDER::commit_feature(FEATURE_RECORD**) { return 0; }
void JAX_FEAT_BUILDER::init_object(CM_part* part, FEATURE_RECORD* frec) {
  JAX_BASE_BUILDER::init_object(PART_ask_part_of_cm_part(part));
  frec_ = frec;
}
JAX_FEAT_BUILDER::~JAX_FEAT_BUILDER() = default;

namespace {
PART_part* workPart = nullptr;
}

PART_part* PART_part::Create(int unitCode) {
  auto* part = Host::CreateHostObject<PART_part>();
  part->unitCode_ = unitCode;
  part->modelPart_ = Host::CreateHostObject<CM_part>();
  part->modelPart_->part_ = part;
  return part;
}

void PART_part::cascade_destroy() {
  if (workPart == this) workPart = nullptr;
  if (modelPart_ != nullptr) modelPart_->destroy();
  modelPart_ = nullptr;
  OM::TaggedObject::cascade_destroy();
}

PART_part* PART_ask_part_of_cm_part(const CM_part* part) { return part == nullptr ? nullptr : part->Part(); }
CM_part* PART_ask_cm_part_of_part_p(const PART_part* part) { return part == nullptr ? nullptr : part->ModelPart(); }
PART_part* PART_ask_work_part() { return workPart; }
void PART_set_work_part(PART_part* part) { workPart = part; }

}  // namespace KTX
