#include "om/TagIntMap.hpp"

#include "sys/Error.hpp"

namespace KTX {

int OM_tag_int_map::ThisClassId = 0;

namespace {
struct TagIntMapClass {
  TagIntMapClass() { Host::RegisterHostClass<OM_tag_int_map>(OM::TaggedObject::OmClassName); }
} tagIntMapClass;
}  // namespace

OM_tag_int_map::OM_tag_int_map(int classId, void* context)
    : OM::TaggedObject(classId, context), pairs_(new OM::IntVla(this)) {}
OM_tag_int_map::~OM_tag_int_map() { delete pairs_; }

int OM_tag_int_map::PairLength() const { return pairs_ == nullptr ? 0 : pairs_->Length(); }
int OM_tag_int_map::PairAt(int index) const { return pairs_->Items()[static_cast<std::size_t>(index)]; }
int OM_tag_int_map::Count() const { return PairLength() / 2; }

bool OM_tag_int_map::Find(tag_t tag, int* value) const {
  for (int i = 0; i + 1 < PairLength(); i += 2) {
    if (static_cast<tag_t>(PairAt(i)) != tag) continue;
    if (value != nullptr) *value = PairAt(i + 1);
    return true;
  }
  return false;
}

bool OM_tag_int_map::Set(tag_t tag, int value) {
  for (int i = 0; i + 1 < PairLength(); i += 2) {
    if (static_cast<tag_t>(PairAt(i)) != tag) continue;
    pairs_->Set(i + 1, value);
    return true;
  }
  return false;
}

void OM_tag_int_map::Insert(tag_t tag, int value) {
  if (Set(tag, value)) return;
  if (pairs_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for a map entry");
  OM::OM__log(pairs_);
  pairs_->Items().push_back(static_cast<int>(tag));
  pairs_->Items().push_back(value);
}

}  // namespace KTX
