#include "feat/Builder.hpp"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

#include "om/LogTags.hpp"
#include "om/TagIntMap.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Failure.hpp"
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

void ObservedObject::BeforeChange() { OM::LogForWrite(this); }
void ObservedObject::AfterChange() { NotifyOwnerOfChange(this); }

char* JAX_BASE_BUILDER::ask_journal_class_name() const { return SM_string_copy("Builder"); }
int JAX_BASE_BUILDER::validate_nothrow() { return 0; }
int JAX_BASE_BUILDER::commit() { return 0; }
bool JAX_BASE_BUILDER::needs_defaults() {
  bool needs = Host::Answer("needs_defaults", 0) != 0;
  Host::Log("needs_defaults", needs ? "1" : "0");
  return needs;
}
namespace {
// The builders made in each part, by tag, in the order made: those still
// alive when the part closes go with it. Tags of builders gone are swept out
// as the list grows, so a long session keeps no more than it has open.
struct OpenBuilders {
  std::vector<tag_t> tags;
  std::size_t sweepAt = 16;
};
std::map<tag_t, OpenBuilders>& openBuilders() {
  static auto* open = new std::map<tag_t, OpenBuilders>;
  return *open;
}
bool alive(tag_t t) { return OM::OM_object_of_tag(t) != nullptr && !OM::OM_is_deleted_tag(t); }
}  // namespace

void JAX_BASE_BUILDER::init_object(PART_part* part) {
  owningPart_ = part;
  if (part == nullptr) return;
  OpenBuilders& open = openBuilders()[part->OmTag()];
  if (open.tags.size() >= open.sweepAt) {
    std::erase_if(open.tags, [](tag_t t) { return !alive(t); });
    open.sweepAt = std::max<std::size_t>(16, 2 * open.tags.size());
  }
  open.tags.push_back(OmTag());
}
JAX_BASE_BUILDER::~JAX_BASE_BUILDER() = default;
JAX_BUILDER::~JAX_BUILDER() = default;

int JAX_FEAT_BUILDER::commit() {
  FEATURE_RECORD* record = frec_;
  return commit_feature(&record);
}
int JAX_FEAT_BUILDER::commit_feature(FEATURE_RECORD**) { return 0; }
namespace {
int buildersMode = 0;
}  // namespace
void Host::SetBuildersMode(int mode) { buildersMode = mode; }
int Host::BuildersMode() { return buildersMode; }

void JAX_FEAT_BUILDER::init_object(CM_part* part, FEATURE_RECORD* frec) {
  JAX_BASE_BUILDER::init_object(PART_ask_part_of_cm_part(part));
  frec_ = frec;
  mode_ = buildersMode;
}
void JAX_FEAT_BUILDER::set_frec(FEATURE_RECORD* frec) {
  Host::Log("set_frec", frec != nullptr ? "tag=" + std::to_string(frec->OmTag()) : std::string("none"));
  OM::LogForWrite(this);
  frec_ = frec;
}
JAX_FEAT_BUILDER::~JAX_FEAT_BUILDER() = default;

namespace {
PART_part* workPart = nullptr;
// Set only while the session works inside an assembly: otherwise the work part is the root.
PART_part* rootPart = nullptr;

// A part's tag by the tag of an object it keeps, in pages of consecutive
// tags: tags are handed out in a row, so the objects made together are
// found together, and a page goes once it names no part (its objects freed).
class PartByTag {
 public:
  tag_t Get(tag_t object) const {
    const std::size_t at = object >> kBits;
    return at < pages_.size() && pages_[at] != nullptr ? pages_[at]->parts[object & kMask] : 0;
  }
  void Set(tag_t object, tag_t part) {
    const std::size_t at = object >> kBits;
    if (at >= pages_.size()) {
      if (part == 0) return;
      pages_.resize(at + 1);
    }
    std::unique_ptr<Page>& page = pages_[at];
    if (page == nullptr) {
      if (part == 0) return;
      page = std::make_unique<Page>();
    }
    tag_t& slot = page->parts[object & kMask];
    if (slot == 0 && part != 0) ++page->named;
    if (slot != 0 && part == 0) --page->named;
    slot = part;
    if (page->named == 0) page.reset();
  }

 private:
  static constexpr unsigned kBits = 10;
  static constexpr tag_t kMask = (tag_t{1} << kBits) - 1;
  struct Page {
    tag_t parts[std::size_t{1} << kBits] = {};
    std::size_t named = 0;
  };
  std::vector<std::unique_ptr<Page>> pages_;
};

// What each part keeps (by tag, so that an object destroyed before the part is
// simply passed over), and who wants to hear of a part's end.
struct PartKeeping {
  std::map<tag_t, std::vector<tag_t>> kept;
  // Each kept object's part (the first by tag, should two keep it), by the
  // object's tag: asked for on every destroy of an expression, so found
  // without reading the lists.
  PartByTag partOf;
  std::unordered_set<tag_t> keptTwice;  // kept by more than one part (rare)
  // The tags the lists hold, and how many the last pruning left: the lists
  // are pruned of freed objects once they have doubled since, so that a
  // session that makes and drops objects by the thousand keeps room for
  // what lives.
  std::size_t count = 0;
  std::size_t afterPrune = 0;
  std::vector<Host::PartDestroyedHook> hooks;
};
PartKeeping& keeping() {
  static auto* k = new PartKeeping;
  return *k;
}
}  // namespace

namespace {
// Takes the objects freed for good (that no undo brings back) out of every
// part's list: they are nothing a part could close or cycle through again.
void pruneFreed() {
  PartKeeping& k = keeping();
  k.count = 0;
  for (auto& [part, tags] : k.kept) {
    std::erase_if(tags, [&](tag_t t) {
      if (!OM::OM_is_freed_tag(t)) return false;
      k.partOf.Set(t, 0);
      k.keptTwice.erase(t);
      return true;
    });
    k.count += tags.size();
  }
  k.afterPrune = k.count;
}
constexpr std::size_t kPruneFloor = 1024;
}  // namespace

namespace Host {
void KeepInPart(PART_part* part, OM::Object* object) {
  if (part == nullptr) part = workPart;
  if (part == nullptr || object == nullptr) return;
  if (keeping().count >= 2 * keeping().afterPrune + kPruneFloor) pruneFreed();
  keeping().kept[part->OmTag()].push_back(object->OmTag());
  ++keeping().count;
  const tag_t known = keeping().partOf.Get(object->OmTag());
  if (known == 0) {
    keeping().partOf.Set(object->OmTag(), part->OmTag());
  } else if (known != part->OmTag()) {
    keeping().keptTwice.insert(object->OmTag());
    if (part->OmTag() < known) keeping().partOf.Set(object->OmTag(), part->OmTag());
  }
}
void OnPartDestroyed(PartDestroyedHook hook) { keeping().hooks.push_back(hook); }
std::vector<tag_t> KeptInPart(const PART_part* part) {
  std::vector<tag_t> alive;
  if (part == nullptr) return alive;
  auto it = keeping().kept.find(part->OmTag());
  if (it == keeping().kept.end()) return alive;
  for (tag_t t : it->second)
    if (OM::OM_object_of_tag(t) != nullptr) alive.push_back(t);
  return alive;
}
}  // namespace Host

// Made here, with the parts, and not in the object manager: a new map is
// kept by the work part.
OM_tag_int_map* OM_tag_int_mapFactory::Create() { return Host::CreateInPart<OM_tag_int_map>(nullptr); }

namespace {
// The builders a journal or a dialog left open go first, first made first: a
// builder that made others inside its own making (a draw die its punch) takes
// them down with it, and what each keeps beside its object goes with it. A
// builder whose destroy fails is passed over; closing the part goes on.
void destroyOpenBuilders(PART_part* part) {
  auto it = openBuilders().find(part->OmTag());
  if (it == openBuilders().end()) return;
  std::vector<tag_t> tags = std::move(it->second.tags);
  openBuilders().erase(it);
  for (tag_t t : tags) {
    if (!alive(t)) continue;
    auto* builder = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(t));
    if (builder == nullptr || builder->ask_owning_part() != part) continue;
    try {
      builder->destroy();
    } catch (...) {
    }
  }
}

// The part's objects are no longer its: each goes to another part that keeps
// it too, or to none.
void forgetPartOf(tag_t part, const std::vector<tag_t>& tags) {
  for (tag_t t : tags) {
    if (keeping().partOf.Get(t) != part) continue;
    tag_t known = 0;
    if (keeping().keptTwice.count(t) != 0) {
      for (const auto& [other, kept] : keeping().kept)
        if (std::find(kept.begin(), kept.end(), t) != kept.end()) {
          known = other;
          break;
        }
    }
    keeping().partOf.Set(t, known);
  }
}

void destroyKept(PART_part* part) {
  auto it = keeping().kept.find(part->OmTag());
  if (it == keeping().kept.end()) return;
  std::vector<tag_t> tags = std::move(it->second);
  keeping().kept.erase(it);
  forgetPartOf(part->OmTag(), tags);
  // Builders go first, last made first: their destroy hands on, or
  // destroys, what they own and may still reach the features they edit.
  // Then the rest, first made first: a list that owns its items is made
  // before them and must go first, while the items (and what they hold) are
  // still alive. What an owner took with it is skipped.
  for (auto t = tags.rbegin(); t != tags.rend(); ++t) {
    auto* object = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(*t));
    if (object != nullptr) object->destroy();
  }
  for (tag_t t : tags) {
    if (auto* object = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) object->destroy();
  }
}
// A part made under a mark that is undone goes without its destroy: the
// session lets go of it as it does of a part that is closed (a dangling work
// or root part, or a part still found by its name, would be used by the next
// call). What it kept was made after it, under the same mark, and is taken
// back with it.
const struct PartUndone {
  PartUndone() {
    OM::OM_on_creation_undone([](OM::Object* object) {
      auto* part = dynamic_cast<PART_part*>(object);
      if (part == nullptr) return;
      for (Host::PartDestroyedHook hook : keeping().hooks) hook(part);
      openBuilders().erase(part->OmTag());
      if (auto it = keeping().kept.find(part->OmTag()); it != keeping().kept.end()) {
        forgetPartOf(part->OmTag(), it->second);
        keeping().kept.erase(it);
      }
      if (workPart == part) workPart = nullptr;
      if (rootPart == part) rootPart = nullptr;
    });
  }
} partUndone;
}  // namespace

PART_part* PART_part::Create(int unitCode) {
  auto* part = Host::CreateHostObject<PART_part>();
  part->unitCode_ = unitCode;
  part->modelPart_ = Host::CreateHostObject<CM_part>();
  part->modelPart_->part_ = part;
  for (int i = 0; i < 9; ++i) part->wcsMatrix_[i] = i % 4 == 0 ? 1.0 : 0.0;
  return part;
}

void PART_part::AskWcs(double origin[3], double matrix[9]) const {
  for (int i = 0; i < 3; ++i) origin[i] = wcsOrigin_[i];
  for (int i = 0; i < 9; ++i) matrix[i] = wcsMatrix_[i];
}

void PART_part::SetWcs(const double origin[3], const double matrix[9]) {
  OM::LogForWrite(this);
  for (int i = 0; i < 3; ++i) wcsOrigin_[i] = origin[i];
  for (int i = 0; i < 9; ++i) wcsMatrix_[i] = matrix[i];
}

void PART_part::cascade_destroy() {
  for (Host::PartDestroyedHook hook : keeping().hooks) hook(this);
  destroyOpenBuilders(this);
  destroyKept(this);
  if (workPart == this) workPart = nullptr;
  if (rootPart == this) rootPart = nullptr;
  if (modelPart_ != nullptr) modelPart_->destroy();
  modelPart_ = nullptr;
  OM::TaggedObject::cascade_destroy();
}

PART_part* PART_ask_part_of_cm_part(const CM_part* part) { return part == nullptr ? nullptr : part->Part(); }
CM_part* PART_ask_cm_part_of_part_p(const PART_part* part) { return part == nullptr ? nullptr : part->ModelPart(); }
PART_part* PART_ask_work_part() { return workPart; }
void PART_set_work_part(PART_part* part) { workPart = part; }
PART_part* CONTEXT_ask_work_part() { return workPart; }
PART_part* CONTEXT_ask_work_part_p() { return workPart; }
PART_part* CONTEXT_ask_root_part() { return rootPart != nullptr ? rootPart : workPart; }
void CONTEXT_set_root_part(PART_part* part) {
  Host::Log("CONTEXT_set_root_part", "part=" + std::to_string(OM::OM_ask_object_tag(part)));
  rootPart = part;
}
void CONTEXT_set_work_part(PART_part* part) {
  Host::Log("CONTEXT_set_work_part", "part=" + std::to_string(OM::OM_ask_object_tag(part)));
  workPart = part;
}
int PART_ask_units(const PART_part* part) { return part == nullptr ? 0 : part->UnitCode(); }

PART_part* PART_ask_part_of_object(tag_t object) {
  if (object == 0) return nullptr;
  // A part keeps itself.
  if (auto* part = dynamic_cast<PART_part*>(OM::OM_object_of_tag(object))) return part;
  const tag_t part = keeping().partOf.Get(object);
  return part == 0 ? nullptr : dynamic_cast<PART_part*>(OM::OM_object_of_tag(part));
}

OCC_occurrence* OCC_occurrence::Place(PART_part* part, tag_t prototype) {
  auto* occurrence = Host::CreateInPart<OCC_occurrence>(part);
  occurrence->prototype_ = prototype;
  return occurrence;
}

bool OCC_is_occurrence(tag_t object) {
  return dynamic_cast<OCC_occurrence*>(OM::OM_object_of_tag(object)) != nullptr;
}

tag_t OCC_ask_prototype_of_occ(tag_t occurrence) {
  auto* occ = dynamic_cast<OCC_occurrence*>(OM::OM_object_of_tag(occurrence));
  return occ != nullptr ? occ->ask_prototype() : 0;
}

PART_part* PART_of_tag(tag_t part) {
  if (part == 0) return workPart;
  return OM::TagToObject<PART_part>(part);
}

// ---- feature records ----------------------------------------------------------

FEATURE_RECORD* FEATURE_RECORD::Create(PART_part* part, FEATURE_PARMS* parms) {
  if (Failure::Fails(Failure::kFeatureRecord, "FEATURE_RECORD::Create"))
    ERROR_raise(__FILE__, __LINE__, Failure::kInjected, "no feature record made");
  auto* frec = Host::CreateInPart<FEATURE_RECORD>(part);
  frec->parms_ = parms == nullptr ? 0 : parms->OmTag();
  static int stamps = 0;
  frec->timeStamp_ = ++stamps;
  if (CM_part* model = CM__ask_part_of_object(frec); model != nullptr) model->set_current_feature(frec->OmTag());
  return frec;
}

FEATURE_PARMS* FEATURE_RECORD::ask_parms() const {
  return dynamic_cast<FEATURE_PARMS*>(OM::OM_object_of_tag(parms_));
}

void FEATURE_RECORD::set_suppress_flag(int flag) {
  OM::LogForWrite(this);
  suppressFlag_ = flag;
}

void FEATURE_RECORD::set_body_eid(tag_t body) {
  OM::LogForWrite(this);
  bodyEid_ = body;
}

void FEATURE_RECORD::set_kernel_body(int body) {
  OM::LogForWrite(this);
  kernelBody_ = body;
}

void FEATURE_RECORD::note_updated() {
  OM::LogForWrite(this);
  ++updateCount_;
}

void FEATURE_RECORD::set_version(int version) {
  OM::LogForWrite(this);
  version_ = version;
}

void FEATURE_RECORD::set_name(const char* name) {
  Host::Log("FEATURE_RECORD::set_name", "tag=" + std::to_string(OmTag()) + " \"" + (name != nullptr ? name : "") + "\"");
  OM::LogForWrite(this);
  std::snprintf(name_, sizeof name_, "%s", name != nullptr ? name : "");
}

void FEATURE_RECORD::note_included(bool applyFlag) {
  OM::LogForWrite(this);
  included_ = true;
  applyFlag_ = applyFlag;
}

void FEATURE_RECORD::note_applied(bool applyFlag) {
  OM::LogForWrite(this);
  applied_ = true;
  applyFlag_ = applyFlag;
}

void CM_part::set_current_target(int kernelBody) {
  OM::LogForWrite(this);
  currentTarget_ = kernelBody;
}

void CM_part::set_current_feature(tag_t frec) {
  OM::LogForWrite(this);
  currentFeature_ = frec;
}

tag_t FREC_ask_body_eid_p(const FEATURE_RECORD* frec) {
  Host::Log("FREC_ask_body_eid_p", Host::TagArg(frec));
  return frec == nullptr ? 0 : frec->ask_body_eid();
}

int FREC_ask_time_stamp(const FEATURE_RECORD* frec) { return frec == nullptr ? 0 : frec->ask_time_stamp(); }

CM_part* CM__ask_part_of_object(const OM::Object* object) {
  PART_part* part = PART_ask_part_of_object(OM::OM_ask_object_tag(object));
  return part == nullptr ? nullptr : part->ModelPart();
}

FEATURE_RECORD* CM_part_get_current_feature(const CM_part* part) {
  if (part == nullptr || OM::OM_is_deleted_tag(part->ask_current_feature())) return nullptr;
  return dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(part->ask_current_feature()));
}

void FREC_make_current_feature(FEATURE_RECORD* frec) {
  Host::Log("FREC_make_current_feature", Host::TagArg(frec));
  if (CM_part* part = CM__ask_part_of_object(frec); part != nullptr) part->set_current_feature(OM::OM_ask_object_tag(frec));
}

FEATURE_PARMS* FREC_ask_parms_of_frec(const FEATURE_RECORD* frec) {
  Host::Log("FREC_ask_parms_of_frec", Host::TagArg(frec));
  return frec == nullptr ? nullptr : frec->ask_parms();
}

tag_t FREC_ask_body_eid(tag_t frec) {
  Host::Log("FREC_ask_body_eid", "tag=" + std::to_string(frec));
  auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frec));
  return record == nullptr ? 0 : record->ask_body_eid();
}

void ES_cycle_frecs(tag_t part, tag_t* frec) {
  Host::Log("ES_cycle_frecs", "part=" + std::to_string(part) + " frec=" + std::to_string(*frec));
  PART_part* owner = OM::TagToObject<PART_part>(part);
  if (owner == nullptr) ERROR_raise("ES_cycle_frecs", __LINE__, Error::kBadObject, "not a part");
  tag_t current = *frec;
  *frec = 0;
  auto it = keeping().kept.find(owner->OmTag());
  if (it == keeping().kept.end()) return;
  bool past = current == 0;
  for (tag_t kept : it->second) {
    if (!past) {
      past = kept == current;
      continue;
    }
    if (dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(kept)) != nullptr) {
      *frec = kept;
      return;
    }
  }
}

int FREC_ask_all_frecs_of_part(const CM_part* part, int* count, tag_t** frecs) {
  Host::Log("FREC_ask_all_frecs_of_part", "part=" + std::to_string(OM::OM_ask_object_tag(part)));
  *count = 0;
  *frecs = nullptr;
  std::vector<tag_t> found;
  if (part != nullptr)
    for (tag_t kept : Host::KeptInPart(part->Part()))
      if (dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(kept)) != nullptr) found.push_back(kept);
  if (found.empty()) return 0;
  *frecs = static_cast<tag_t*>(SM_alloc(found.size() * sizeof(tag_t)));
  std::copy(found.begin(), found.end(), *frecs);
  *count = static_cast<int>(found.size());
  return 0;
}

int FMI_invoke_post_update(FEATURE_RECORD* frec) {
  Host::Log("FMI_invoke_post_update", Host::TagArg(frec));
  return static_cast<int>(Host::Answer("FMI_invoke_post_update", 0));
}

}  // namespace KTX
