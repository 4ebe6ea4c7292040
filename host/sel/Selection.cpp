#include "sel/Selection.hpp"

#include <algorithm>
#include <map>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string>

#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "om/LogTags.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

namespace {

template <class Array>
Array* newArray(OM::Object* owner) {
  // Null when the host is out of memory; the object then reads as empty and
  // refuses to grow.
  return new Array(owner);
}

template <class Array>
Array* writable(Array* array) {
  if (array == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the object's array");
  // Every write logs the array: the object manager keeps one copy per mark.
  OM::OM__log(array);
  return array;
}

tag_t* copyTags(const std::vector<tag_t>& tags) {
  if (tags.empty()) return nullptr;
  auto* out = static_cast<tag_t*>(SM_alloc(tags.size() * sizeof(tag_t)));
  if (out == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu tags", tags.size());
  std::memcpy(out, tags.data(), tags.size() * sizeof(tag_t));
  return out;
}
}  // namespace

// ---- SELECT_OBJECT ----------------------------------------------------------------

void SELECT_OBJECT::set_selected_tag(tag_t tag) {
  Host::Log("SELECT_OBJECT_set", Host::TagArg(this) + " " + std::to_string(tag));
  if (tag == selected_) return;
  BeforeChange();
  selected_ = tag;
  AfterChange();
}

SELECT_OBJECT* SELECT_OBJECTFactory::Create(PART_part* part) {
  Host::Log("SELECT_OBJECTFactory::Create", Host::TagArg(part));
  return Host::CreateInPart<SELECT_OBJECT>(part);
}

// ---- lists of tags -----------------------------------------------------------------

TagListObject::TagListObject(int classId, void* context)
    : ObservedObject(classId, context), tags_(newArray<OM::TagVla>(this)) {}
TagListObject::~TagListObject() { delete tags_; }
OM::TagVla* TagListObject::Tags() const { return tags_; }

int TagListObject::ask_count() const { return tags_ == nullptr ? 0 : tags_->Length(); }

tag_t TagListObject::ask_nth(int index) const {
  if (index < 0 || index >= ask_count()) OM::ThrowIndexOutOfRange(index, 0, ask_count());
  return tags_->At(index);
}

void TagListObject::ask_tags(int* count, tag_t** tags) const {
  if (count != nullptr) *count = ask_count();
  if (tags != nullptr) *tags = tags_ == nullptr ? nullptr : copyTags(tags_->Items());
}

bool TagListObject::contains(tag_t tag) const {
  return tags_ != nullptr && std::find(tags_->Items().begin(), tags_->Items().end(), tag) != tags_->Items().end();
}

void TagListObject::append(tag_t tag) {
  Host::Log("list_append", Host::TagArg(this) + " " + std::to_string(tag));
  writable(tags_)->Items().push_back(tag);
  AfterChange();
}

void TagListObject::set_tags(int count, const tag_t* tags) {
  Host::Log("list_set", Host::TagArg(this) + " " + std::to_string(count));
  auto& items = writable(tags_)->Items();
  items.assign(tags, tags + (count > 0 && tags != nullptr ? count : 0));
  AfterChange();
}

void TagListObject::clear() {
  Host::Log("list_clear", Host::TagArg(this));
  if (ask_count() == 0) return;
  writable(tags_)->Items().clear();
  AfterChange();
}

SELECT_OBJECT_list* SELECT_OBJECT_listFactory::Create(PART_part* part, bool flag) {
  Host::Log("SELECT_OBJECT_listFactory::Create", Host::TagArg(part) + " " + std::to_string(flag));
  auto* list = Host::CreateInPart<SELECT_OBJECT_list>(part);
  list->multipleKinds_ = flag;
  return list;
}

SC_collector* SC_collectorFactory::Create(PART_part* part) {
  Host::Log("SC_collectorFactory::Create", Host::TagArg(part));
  return Host::CreateInPart<SC_collector>(part);
}

SC_collector* SC_collectorFactory::object(tag_t part) {
  Host::Log("SC_collectorFactory::object", "part=" + std::to_string(part));
  return Host::CreateInPart<SC_collector>(PART_of_tag(part));
}

SC_FACE* SC_FACEFactory::sc_face(int inputType, tag_t face) {
  Host::Log("SC_FACEFactory::sc_face", std::to_string(inputType) + " " + std::to_string(face));
  if (inputType != 17) ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "no face rule of input type %d", inputType);
  if (long long code = Host::Answer("SC_FACEFactory::sc_face", 0); code != 0)
    ERROR_raise(__FILE__, __LINE__, static_cast<int>(code), "the face rule cannot be made");
  auto* rule = Host::CreateInPart<SC_FACE>(nullptr);
  rule->face_ = face;
  return rule;
}

SC_collector* SC_collectorFactory::from_rules(tag_t part, int count, SC_FACE* const* rules) {
  Host::Log("SC_collectorFactory::from_rules", "part=" + std::to_string(part) + " " + std::to_string(count));
  SC_collector* collector = object(part);
  for (int i = 0; i < count && rules != nullptr; ++i)
    if (rules[i] != nullptr) {
      collector->append(rules[i]->ask_face());
      writable(collector->ruleKinds_)->Items().push_back(SC_rule::kFaceRule);
    }
  return collector;
}

SC_collector* SC_collectorFactory::from_rules(tag_t part, int count, SC_rule* const* rules) {
  Host::Log("SC_collectorFactory::from_rules", "part=" + std::to_string(part) + " rules=" + std::to_string(count));
  SC_collector* collector = object(part);
  if (count > 0 && rules != nullptr) collector->replace_rules(count, rules);
  return collector;
}

SC_collector::SC_collector(int classId, void* context)
    : TagListObject(classId, context), ruleKinds_(newArray<OM::IntVla>(this)) {}
SC_collector::~SC_collector() { delete ruleKinds_; }

std::vector<int> SC_collector::ask_rule_kinds() const {
  return ruleKinds_ == nullptr ? std::vector<int>{} : ruleKinds_->Items();
}

void SC_collector::replace_rules(int count, SC_rule* const* rules) {
  Host::Log("SC_collector::replace_rules", Host::TagArg(this) + " " + std::to_string(count));
  std::vector<int> kinds;
  std::vector<tag_t> entities;
  for (int i = 0; i < count; ++i) {
    if (rules[i] == nullptr) continue;
    kinds.push_back(rules[i]->ask_kind());
    for (int k = 0; k < rules[i]->ask_count(); ++k) entities.push_back(rules[i]->ask_nth(k));
  }
  writable(ruleKinds_)->Items() = kinds;
  set_tags(static_cast<int>(entities.size()), entities.data());
}

SC_rule* SC_rule::Make(int kind, int count, const tag_t* entities) {
  Host::Log("SC_rule::Make", "kind=" + std::to_string(kind) + " count=" + std::to_string(count));
  auto* rule = Host::CreateInPart<SC_rule>(nullptr);
  rule->kind_ = kind;
  if (count > 0 && entities != nullptr) rule->Tags()->Items().assign(entities, entities + count);
  return rule;
}

SC_rule* SC_BODYFactory::sc_body(int count, const tag_t* bodies) { return SC_rule::Make(SC_rule::kBodyRule, count, bodies); }

void SC_collector::note_mapped() {
  BeforeChange();
  ++timesMapped_;
}

// ---- SC_loop -------------------------------------------------------------------------

SC_loop::SC_loop(int classId, void* context) : OM::TaggedObject(classId, context), curves_(newArray<OM::TagVla>(this)) {}
SC_loop::~SC_loop() { delete curves_; }

int SC_loop::ask_curve_count() const { return curves_ == nullptr ? 0 : curves_->Length(); }

void SC_loop::ask_curves(int* count, tag_t** curves) const {
  if (count != nullptr) *count = ask_curve_count();
  if (curves != nullptr) *curves = curves_ == nullptr ? nullptr : copyTags(curves_->Items());
}

namespace {
double gap(const double* a, const double* b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

// The points an entity of a loop gives: a curve its points, a point its own.
std::vector<double> pointsOf(tag_t tag) {
  OM::Object* object = OM::OM_object_of_tag(tag);
  if (const auto* curve = dynamic_cast<const ES_curve*>(object)) return curve->ask_points();
  if (const auto* point = dynamic_cast<const ES_point*>(object))
    return {point->ask_origin()[0], point->ask_origin()[1], point->ask_origin()[2]};
  return {};
}

void appendPoint(std::vector<double>& chain, const double* p, double tolerance) {
  if (chain.size() >= 3 && gap(&chain[chain.size() - 3], p) <= tolerance) return;
  chain.insert(chain.end(), p, p + 3);
}
}  // namespace

EVC_curve* SC_loop::ask_curve_geometry(bool joined, double tolerance) const {
  Host::Log("SC_loop_ask_curve_geometry",
            Host::TagArg(this) + " joined=" + (joined ? "1" : "0") + " tol=" + std::to_string(tolerance));
  std::vector<double> chain;
  std::size_t firstEnd = 0;  // the points of the first curve, which the second may turn
  for (tag_t tag : curves_ == nullptr ? std::vector<tag_t>{} : curves_->Items()) {
    std::vector<double> points = pointsOf(tag);
    if (points.empty()) continue;
    const std::size_t n = points.size() / 3;
    if (!chain.empty()) {
      const double* end = &chain[chain.size() - 3];
      const double* start = chain.data();
      const double* head = points.data();
      const double* tail = &points[3 * (n - 1)];
      const double toEnd = std::min(gap(end, head), gap(end, tail));
      // The second curve may meet the first one's start: the first is turned.
      if (chain.size() == firstEnd && std::min(gap(start, head), gap(start, tail)) < toEnd) {
        std::vector<double> turned;
        for (std::size_t i = chain.size() / 3; i-- > 0;) turned.insert(turned.end(), &chain[3 * i], &chain[3 * i] + 3);
        chain = std::move(turned);
      }
      end = &chain[chain.size() - 3];
      if (gap(end, tail) < gap(end, head)) {
        std::vector<double> turned;
        for (std::size_t i = n; i-- > 0;) turned.insert(turned.end(), &points[3 * i], &points[3 * i] + 3);
        points = std::move(turned);
      }
    }
    for (std::size_t i = 0; i < n; ++i) appendPoint(chain, &points[3 * i], tolerance);
    if (firstEnd == 0) firstEnd = chain.size();
  }
  if (kind_ == SC_section::kClosed && chain.size() >= 6) {
    if (gap(chain.data(), &chain[chain.size() - 3]) <= tolerance) chain.resize(chain.size() - 3);
    chain.insert(chain.end(), chain.begin(), chain.begin() + 3);
  }
  if (chain.size() < 6) return nullptr;
  auto* geometry = new EVC_curve;
  if (geometry == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a loop's geometry");
  geometry->points = std::move(chain);
  return geometry;
}

// ---- SC_section ----------------------------------------------------------------------

SC_section::SC_section(int classId, void* context)
    : TagListObject(classId, context),
      loopKinds_(newArray<OM::IntVla>(this)),
      loopSizes_(newArray<OM::IntVla>(this)),
      loops_(newArray<OM::TagVla>(this)),
      ruleKinds_(newArray<OM::IntVla>(this)),
      ruleSizes_(newArray<OM::IntVla>(this)),
      ruleEntities_(newArray<OM::TagVla>(this)) {}

SC_section::~SC_section() {
  delete loopKinds_;
  delete loopSizes_;
  delete loops_;
  delete ruleKinds_;
  delete ruleSizes_;
  delete ruleEntities_;
}

SC_input_data* SC_init_input_data(int kind) {
  auto* data = new SC_input_data;
  if (data == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a rule's input");
  data->kind = kind;
  return data;
}

void SC_free_input_data(SC_input_data* data) { delete data; }

int SC_section::add_rules(int count, const int* kinds, SC_input_data* const* data, int option1, int option2,
                          int option3, int option4, bool flag) {
  Host::Log("SC_section::add_rules", Host::TagArg(this) + " " + std::to_string(count) + " options " +
                                         std::to_string(option1) + " " + std::to_string(option2) + " " +
                                         std::to_string(option3) + " " + std::to_string(option4) +
                                         (flag ? " true" : " false"));
  if (count < 1) return 0;
  if (kinds == nullptr || data == nullptr) return kBadRule;
  for (int i = 0; i < count; ++i) {
    if (data[i] == nullptr || (kinds[i] != kCurveRule && kinds[i] != kEdgeRule)) return kBadRule;
    for (tag_t t : data[i]->entities) {
      OM::Object* entity = OM::OM_object_of_tag(t);
      const bool edge = dynamic_cast<ES_edge*>(entity) != nullptr;
      const bool curve = !edge && dynamic_cast<ES_curve*>(entity) != nullptr;
      if (kinds[i] == kCurveRule ? !curve : !edge) return kBadRule;
    }
  }
  BeforeChange();
  for (int i = 0; i < count; ++i) {
    writable(ruleKinds_)->Items().push_back(kinds[i]);
    writable(ruleSizes_)->Items().push_back(static_cast<int>(data[i]->entities.size()));
    auto& entities = writable(ruleEntities_)->Items();
    entities.insert(entities.end(), data[i]->entities.begin(), data[i]->entities.end());
  }
  AfterChange();
  return 0;
}

int SC_section::ask_rule_count() const { return ruleKinds_ == nullptr ? 0 : ruleKinds_->Length(); }

std::vector<SC_rule_s> SC_section::ask_rules_data() const {
  Host::Log("SC_section::ask_rules_data", Host::TagArg(this));
  std::vector<SC_rule_s> rules;
  std::size_t at = 0;
  for (int i = 0; i < ask_rule_count(); ++i) {
    const auto size = static_cast<std::size_t>(ruleSizes_->At(i));
    const auto& all = ruleEntities_->Items();
    rules.push_back(SC_rule_s{ruleKinds_->At(i), std::vector<tag_t>(all.begin() + static_cast<long>(at),
                                                                    all.begin() + static_cast<long>(at + size))});
    at += size;
  }
  return rules;
}

int SC_section::remove_rules(int count, const int* indexes) {
  Host::Log("SC_section::remove_rules", Host::TagArg(this) + " " + std::to_string(count));
  const int n = ask_rule_count();
  for (int i = 0; i < count; ++i)
    if (indexes == nullptr || indexes[i] < 0 || indexes[i] >= n)
      OM::ThrowIndexOutOfRange(indexes != nullptr ? indexes[i] : -1, 0, n);
  if (count < 1) return 0;
  std::vector<SC_rule_s> rules = ask_rules_data();
  std::vector<bool> drop(rules.size(), false);
  for (int i = 0; i < count; ++i) drop[static_cast<std::size_t>(indexes[i])] = true;
  BeforeChange();
  auto& kinds = writable(ruleKinds_)->Items();
  auto& sizes = writable(ruleSizes_)->Items();
  auto& entities = writable(ruleEntities_)->Items();
  kinds.clear();
  sizes.clear();
  entities.clear();
  for (std::size_t r = 0; r < rules.size(); ++r) {
    if (drop[r]) continue;
    kinds.push_back(rules[r].kind);
    sizes.push_back(static_cast<int>(rules[r].entities.size()));
    entities.insert(entities.end(), rules[r].entities.begin(), rules[r].entities.end());
  }
  AfterChange();
  return 0;
}

std::vector<tag_t> SC_section::ask_rule_entities() const {
  return ruleEntities_ == nullptr ? std::vector<tag_t>{} : ruleEntities_->Items();
}

void SC_section::remove_all() {
  Host::Log("SC_section::remove_all", Host::TagArg(this));
  if (is_empty() && ask_loop_count() == 0) return;
  // Every array is reached before any is changed: a section whose array
  // could not be made is refused whole, never half emptied.
  for (const void* array : std::initializer_list<const void*>{loops_, loopKinds_, loopSizes_, Tags(), ruleKinds_,
                                                             ruleSizes_, ruleEntities_})
    if (array == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the section's arrays");
  const std::vector<tag_t> loops = loops_->Items();
  writable(loops_)->Items().clear();
  writable(loopKinds_)->Items().clear();
  writable(loopSizes_)->Items().clear();
  writable(Tags())->Items().clear();
  writable(ruleKinds_)->Items().clear();
  writable(ruleSizes_)->Items().clear();
  writable(ruleEntities_)->Items().clear();
  for (tag_t t : loops)
    if (auto* loop = dynamic_cast<SC_loop*>(OM::OM_object_of_tag(t))) loop->destroy();
  AfterChange();
}

void SC_section::add_loop(int kind, int count, const tag_t* curves) {
  Host::Log("SC_section_add_loop", Host::TagArg(this) + " " + std::to_string(kind) + " " + std::to_string(count));
  if (count < 1 || curves == nullptr || std::find(curves, curves + count, tag_t{0}) != curves + count) return;
  auto& loops = writable(loops_)->Items();
  auto& members = writable(Tags())->Items();
  auto& kinds = writable(loopKinds_)->Items();
  auto& sizes = writable(loopSizes_)->Items();
  auto* loop = Host::CreateInPart<SC_loop>(PART_of_tag(part_));
  if (loop == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "no loop object could be made");
  loop->kind_ = kind;
  writable(loop->curves_)->Items().assign(curves, curves + count);
  loops.push_back(loop->OmTag());
  kinds.push_back(kind);
  sizes.push_back(count);
  members.insert(members.end(), curves, curves + count);
  AfterChange();
}

int SC_section::ask_loop_count() const { return loopKinds_ == nullptr ? 0 : loopKinds_->Length(); }

tag_t SC_section::ask_nth_loop(int index) const {
  const int n = loops_ == nullptr ? 0 : loops_->Length();
  if (index < 0 || index >= n) OM::ThrowIndexOutOfRange(index, 0, n);
  return loops_->At(index);
}

void SC_section::ask_loop_summary(int* first, tag_t** firstItems, int* second, tag_t** secondItems, int* third,
                                  tag_t** thirdItems) const {
  Host::Log("SC_section_ask_loop_summary", Host::TagArg(this));
  std::vector<tag_t> closedCurves, openCurves, closedLoops;
  std::size_t at = 0;
  for (int i = 0; i < ask_loop_count(); ++i) {
    const auto index = static_cast<std::size_t>(i);
    const int kind = loopKinds_->Items()[index];
    if (kind == kClosed) {
      closedCurves.push_back(Tags()->Items()[at]);
      closedLoops.push_back(loops_->Items()[index]);
    } else if (kind == kOpen) {
      openCurves.push_back(Tags()->Items()[at]);
    }
    at += static_cast<std::size_t>(loopSizes_->Items()[index]);
  }
  int* counts[3] = {first, second, third};
  tag_t** lists[3] = {firstItems, secondItems, thirdItems};
  const std::vector<tag_t>* items[3] = {&closedCurves, &openCurves, &closedLoops};
  for (int k = 0; k < 3; ++k) {
    if (counts[k] != nullptr) *counts[k] = static_cast<int>(items[k]->size());
    if (lists[k] != nullptr) *lists[k] = copyTags(*items[k]);
  }
}

void SC_section::cascade_destroy() {
  if (loops_ != nullptr) {
    const std::vector<tag_t> loops = loops_->Items();
    for (tag_t t : loops)
      if (auto* loop = dynamic_cast<SC_loop*>(OM::OM_object_of_tag(t))) loop->destroy();
  }
  TagListObject::cascade_destroy();
}

void SC_section::OrderLoops() {
  Host::Log("SC_section::OrderLoops", Host::TagArg(this));
  BeforeChange();
  ordered_ = true;
}

void SC_section::ask_tolerances(double* chaining, double* distance, double* angle) const {
  if (chaining != nullptr) *chaining = chaining_;
  if (distance != nullptr) *distance = distance_;
  if (angle != nullptr) *angle = angle_;
}

void SC_section::set_tolerances(double chaining, double distance, double angle) {
  Host::Log("SC_section::set_tolerances", Host::TagArg(this) + " " + std::to_string(chaining) + " " +
                                              std::to_string(distance) + " " + std::to_string(angle));
  OM::LogForWrite(this);
  chaining_ = chaining;
  distance_ = distance;
  angle_ = angle;
}

void SC_section::note_mapped() {
  BeforeChange();
  ++timesMapped_;
}

void SC_section::set_in_context(bool on) {
  Host::Log("SC_section::set_in_context", Host::TagArg(this) + (on ? " true" : " false"));
  OM::LogForWrite(this);
  inContext_ = on;
}

void SC_section::set_associative(bool on) {
  Host::Log("SC_section::set_associative", Host::TagArg(this) + (on ? " true" : " false"));
  OM::LogForWrite(this);
  associative_ = on;
}

SC_section* SC_sectionFactory::object(tag_t part, double chainingTolerance, double distanceTolerance,
                                      double angleTolerance) {
  Host::Log("SC_sectionFactory::object", "part=" + std::to_string(part) + " " + std::to_string(chainingTolerance) +
                                             " " + std::to_string(distanceTolerance) + " " +
                                             std::to_string(angleTolerance));
  PART_part* owner = PART_of_tag(part);
  auto* section = Host::CreateInPart<SC_section>(owner);
  section->part_ = OM::OM_ask_object_tag(owner);
  section->chaining_ = chainingTolerance;
  section->distance_ = distanceTolerance;
  section->angle_ = angleTolerance;
  return section;
}

// ---- UICOMPJA_list --------------------------------------------------------------------

OM::Object* UICOMPJA_list::ask_item(int index) const { return OM::OM_object_of_tag(ask_nth(index)); }

namespace {
// The lists each object was put in: a hint, checked against the lists as
// they are now (an undo may have taken an object out again).
std::multimap<tag_t, tag_t>& ownedIn() {
  static auto* held = new std::multimap<tag_t, tag_t>;
  return *held;
}

// Notes that the object was put in the list. An object freed for good is in
// no list again, so its notes go once the hints have doubled since the last
// time: a session that puts objects by the thousand in lists and frees them
// keeps hints for what lives.
void noteOwnedIn(tag_t item, tag_t list) {
  static std::size_t afterPrune = 0;
  ownedIn().emplace(item, list);
  if (ownedIn().size() < 2 * afterPrune + 64) return;
  for (auto it = ownedIn().begin(); it != ownedIn().end();)
    it = OM::OM_is_freed_tag(it->first) ? ownedIn().erase(it) : std::next(it);
  afterPrune = ownedIn().size();
}
}  // namespace

void UICOMPJA_list::append_items(int count, OM::Object* const* items) {
  Host::Log("UICOMPJA_list_append_items", Host::TagArg(this) + " " + std::to_string(count));
  if (count < 1 || items == nullptr) return;
  for (int i = 0; i < count; ++i) {
    refuseOwnHolder(items[i]);
    refuseHeld(items[i], -1);
    for (int j = 0; j < i; ++j)
      if (items[j] == items[i] && items[i] != nullptr)
        ERROR_raise(__FILE__, __LINE__, kAlreadyInList, "object %u is given twice", OM::OM_ask_object_tag(items[i]));
  }
  for (int i = 0; i < count; ++i)
    if (items[i] != nullptr) noteOwnedIn(OM::OM_ask_object_tag(items[i]), OmTag());
  auto& tags = writable(Tags())->Items();
  for (int i = 0; i < count; ++i) tags.push_back(OM::OM_ask_object_tag(items[i]));
  AfterChange();
}

void UICOMPJA_list::set_owns_items(bool owns) {
  BeforeChange();
  ownsItems_ = owns;
}

void UICOMPJA_list::cascade_destroy() {
  if (ownsItems_ && Tags() != nullptr) {
    std::vector<tag_t> items = Tags()->Items();
    for (tag_t t : items) {
      if (auto* item = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(t))) item->destroy();
    }
  }
  TagListObject::cascade_destroy();
}

int UICOMPJA_list::index_of(const OM::Object* item) const {
  const tag_t tag = OM::OM_ask_object_tag(item);
  if (tag == 0 || Tags() == nullptr) return -1;
  const auto& tags = Tags()->Items();
  auto it = std::find(tags.begin(), tags.end(), tag);
  return it == tags.end() ? -1 : static_cast<int>(it - tags.begin());
}

void UICOMPJA_list::remove_at(int index, bool keepObject) {
  Host::Log("UICOMPJA_list_remove", Host::TagArg(this) + " index=" + std::to_string(index) +
                                        " keep=" + std::to_string(keepObject));
  if (index < 0 || index >= ask_count()) OM::ThrowIndexOutOfRange(index, 0, ask_count());
  const tag_t removed = Tags()->Items()[static_cast<std::size_t>(index)];
  auto* object = keepObject ? nullptr : dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(removed));
  // Destroying an item that holds the list would destroy the list inside
  // its own call: refused before anything changes.
  if (destroyReaches(object))
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "object %u holds the list %u that would destroy it", removed,
                OmTag());
  auto& tags = writable(Tags())->Items();
  tags.erase(tags.begin() + index);
  if (object != nullptr) object->destroy();
  AfterChange();
}

// Whether destroying the object would destroy this list too: the list
// itself, an object that refers to it, one of its owners, or the part it is
// in.
bool UICOMPJA_list::destroyReaches(const OM::Object* item) const {
  if (item == nullptr) return false;
  if (item == this || OM::OM_holds(item, this)) return true;
  if (dynamic_cast<const PART_part*>(item) != nullptr && PART_ask_part_of_object(OmTag()) == item) return true;
  // Owner chains are short; the bound only guards against a cycle.
  int steps = 0;
  for (const OM::Object* owner = OM::OM_ask_owner(this); owner != nullptr && steps < 64;
       owner = OM::OM_ask_owner(owner), ++steps)
    if (owner == item) return true;
  return false;
}

// A list that owns its items destroys them with it: it cannot take an object
// whose destroy would reach the list, which would then run inside its own.
void UICOMPJA_list::refuseOwnHolder(const OM::Object* item) const {
  if (ownsItems_ && destroyReaches(item))
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "object %u holds the list %u that would own it",
                OM::OM_ask_object_tag(item), OmTag());
}

void UICOMPJA_list::set_item_class(const char* journalClass) {
  BeforeChange();
  itemClass_ = journalClass;
}

// An object is in a list once, and in one owning list at most. `index` is
// the entry the object is put in place of (-1: none).
void UICOMPJA_list::refuseHeld(const OM::Object* item, int index) const {
  const tag_t tag = OM::OM_ask_object_tag(item);
  if (tag == 0) return;
  if (const int at = index_of(item); at >= 0 && at != index)
    ERROR_raise(__FILE__, __LINE__, kAlreadyInList, "object %u is in the list %u already (entry %d)", tag, OmTag(), at);
  auto [from, to] = ownedIn().equal_range(tag);
  for (auto it = from; it != to;) {
    auto* other = dynamic_cast<const UICOMPJA_list*>(OM::OM_object_of_tag(it->second));
    if (other == nullptr || other->index_of(item) < 0) {
      it = ownedIn().erase(it);
      continue;
    }
    if (other != this)
      ERROR_raise(__FILE__, __LINE__, kHeldByAnother, "object %u belongs to the list %u", tag, other->OmTag());
    ++it;
  }
}

void UICOMPJA_list::insert(int index, OM::Object* item) {
  Host::Log("UICOMPJA_list_insert", Host::TagArg(this) + " index=" + std::to_string(index) + " " + Host::TagArg(item));
  if (index < 0 || index > ask_count()) OM::ThrowIndexOutOfRange(index, 0, ask_count());
  refuseOwnHolder(item);
  refuseHeld(item, -1);
  if (item != nullptr) noteOwnedIn(OM::OM_ask_object_tag(item), OmTag());
  auto& tags = writable(Tags())->Items();
  tags.insert(tags.begin() + index, OM::OM_ask_object_tag(item));
  if (insertCallback_ != nullptr) insertCallback_(this, insertData_, item, index);
  AfterChange();
}

void UICOMPJA_list::set_item(int index, OM::Object* item) {
  Host::Log("UICOMPJA_list_set_item", Host::TagArg(this) + " index=" + std::to_string(index) + " " + Host::TagArg(item));
  if (index < 0 || index >= ask_count()) OM::ThrowIndexOutOfRange(index, 0, ask_count());
  refuseOwnHolder(item);
  refuseHeld(item, index);
  const tag_t held = Tags()->Items()[static_cast<std::size_t>(index)];
  const tag_t put = OM::OM_ask_object_tag(item);
  auto* object = ownsItems_ && held != put ? dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(held)) : nullptr;
  // The item may have come to hold the list since it was put in.
  if (destroyReaches(object))
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "object %u holds the list %u that would destroy it", held,
                OmTag());
  if (put != 0) noteOwnedIn(put, OmTag());
  auto& tags = writable(Tags())->Items();
  tags[static_cast<std::size_t>(index)] = put;
  if (object != nullptr) object->destroy();
  AfterChange();
}

void UICOMPJA_list::set_insert_callback(InsertCallback callback, void* data) {
  BeforeChange();
  insertCallback_ = callback;
  insertData_ = data;
}

UICOMPJA_list* UICOMPJA_listFactory::object(CM_part* part) {
  Host::Log("UICOMPJA_listFactory::object", Host::TagArg(part));
  return Host::CreateInPart<UICOMPJA_list>(PART_ask_part_of_cm_part(part));
}

}  // namespace KTX
