#include "om/ObjectSet.hpp"

#include <algorithm>
#include <cstring>
#include <string>

#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::OM {

int Set::ThisClassId = 0;

namespace {
struct SetClass {
  SetClass() { Host::RegisterHostClass<Set>(TaggedObject::OmClassName); }
} setClass;
}  // namespace

Set::Set(int classId, void* context) : TaggedObject(classId, context), members_(new TagVla(this)) {}
Set::~Set() { delete members_; }

int Set::ask_count() const { return members_ == nullptr ? 0 : members_->Length(); }

bool Set::contains(tag_t tag) const {
  return members_ != nullptr && std::find(members_->Items().begin(), members_->Items().end(), tag) !=
                                    members_->Items().end();
}

void Set::insert(tag_t tag) {
  if (tag == 0 || contains(tag)) return;
  if (members_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the set's members");
  OM__log(members_);
  members_->Items().push_back(tag);
}

const std::vector<tag_t>& Set::members() const {
  static const std::vector<tag_t> none;
  return members_ == nullptr ? none : members_->Items();
}

}  // namespace KTX::OM

namespace KTX {

OM::Set* OM_create_set() {
  OM::Set* set = Host::CreateHostObject<OM::Set>();
  // A call that fails hands nothing out, so it must leave nothing made.
  try {
    Host::Log("OM_create_set", Host::TagArg(set));
  } catch (...) {
    set->destroy();
    throw;
  }
  return set;
}

void OM_insert_into_set(OM::Set* set, tag_t tag) {
  if (set == nullptr) return;
  Host::Log("OM_insert_into_set", "set=" + std::to_string(set->OmTag()) + " tag=" + std::to_string(tag));
  set->insert(tag);
}

int OM_ask_set_count(const OM::Set* set) { return set == nullptr ? 0 : set->ask_count(); }

void OM_flatten_set(const OM::Set* set, int* count, tag_t** tags) {
  *count = 0;
  *tags = nullptr;
  if (set == nullptr) return;
  std::vector<tag_t> alive;
  for (tag_t t : set->members())
    if (OM::OM_object_of_tag(t) != nullptr) alive.push_back(t);
  if (alive.empty()) return;
  *tags = static_cast<tag_t*>(SM_alloc(alive.size() * sizeof(tag_t)));
  if (*tags == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for %zu tags", alive.size());
  std::memcpy(*tags, alive.data(), alive.size() * sizeof(tag_t));
  *count = static_cast<int>(alive.size());
}

}  // namespace KTX
