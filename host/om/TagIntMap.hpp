// The object manager's map from tags to integers, which a builder owns to
// remember a value (such as a kernel body) per object.
#pragma once
#include "om/HostClass.hpp"
#include "om/ObjectManager.hpp"

namespace KTX {

class KTX_HOST_API OM_tag_int_map : public OM::TaggedObject {
  KTX_HOST_OBJECT(OM_tag_int_map, "KTX::OM_tag_int_map")

 public:
  // The value of the tag's entry: false (value untouched) without one.
  bool Find(tag_t tag, int* value) const;
  // Adds the entry, or gives an existing one the value (logged for undo).
  void Insert(tag_t tag, int value);
  // Gives an existing entry the value (logged): false without one.
  bool Set(tag_t tag, int value);
  int Count() const;
  // Every entry in the order it was added.
  template <class F>
  void Visit(F&& visit) const {
    for (int i = 0; i + 1 < PairLength(); i += 2) visit(static_cast<tag_t>(PairAt(i)), PairAt(i + 1));
  }

 protected:
  OM_tag_int_map(int classId, void* context);
  ~OM_tag_int_map() override;

 private:
  int PairLength() const;
  int PairAt(int index) const;
  OM::IntVla* pairs_;  // tag, value, tag, value, ...
};

struct KTX_HOST_API OM_tag_int_mapFactory {
  // A new empty map kept by the work part.
  static OM_tag_int_map* Create();
};

}  // namespace KTX
