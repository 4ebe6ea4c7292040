// The object manager's map from tags to integers, which a builder owns to
// remember a value (such as a kernel body) per object.
#pragma once
#include "om/HostClass.hpp"
#include "om/ObjectManager.hpp"

namespace KTX {

class KTX_HOST_API OM_tag_int_map : public OM::TaggedObject {
  KTX_HOST_OBJECT(OM_tag_int_map, "KTX::OM_tag_int_map")

 protected:
  OM_tag_int_map(int classId, void* context) : OM::TaggedObject(classId, context) {}
};

}  // namespace KTX
