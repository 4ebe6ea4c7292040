// The object manager's plain object sets: builders hold one for the length of
// an operation to gather the objects it makes.
#pragma once
#include "om/HostClass.hpp"
#include "om/ObjectManager.hpp"

namespace KTX::OM {

class KTX_HOST_API Set : public TaggedObject {
  KTX_HOST_OBJECT(Set, "KTX::OM::Set")

 protected:
  Set(int classId, void* context) : TaggedObject(classId, context) {}
};

}  // namespace KTX::OM
