// The object manager's plain object sets: builders hold one for the length of
// an operation to gather the objects it makes.
#pragma once
#include "om/HostClass.hpp"
#include "om/ObjectManager.hpp"

namespace KTX::OM {

// Tags in the order inserted, each once. The array is made with the set and
// logged before each change, so undo restores the membership.
class KTX_HOST_API Set : public TaggedObject {
  KTX_HOST_OBJECT(Set, "KTX::OM::Set")
 public:
  int ask_count() const;
  bool contains(tag_t tag) const;
  // Adds the tag unless the set holds it already (0 is ignored).
  void insert(tag_t tag);
  const std::vector<tag_t>& members() const;

 protected:
  Set(int classId, void* context);
  ~Set() override;

 private:
  TagVla* members_;
};

}  // namespace KTX::OM

namespace KTX {
// A new empty set (not kept by any part: whoever makes it deletes it).
KTX_HOST_API OM::Set* OM_create_set();
// Null sets and tag 0 are passed over.
KTX_HOST_API void OM_insert_into_set(OM::Set* set, tag_t tag);
KTX_HOST_API int OM_ask_set_count(const OM::Set* set);
// The members still alive, in order: a new array (SM_alloc; null when none)
// the caller frees with SM_free.
KTX_HOST_API void OM_flatten_set(const OM::Set* set, int* count, tag_t** tags);
}  // namespace KTX
