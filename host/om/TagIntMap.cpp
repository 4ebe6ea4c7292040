#include "om/TagIntMap.hpp"

namespace KTX {

int OM_tag_int_map::ThisClassId = 0;

namespace {
struct TagIntMapClass {
  TagIntMapClass() { Host::RegisterHostClass<OM_tag_int_map>(OM::TaggedObject::OmClassName); }
} tagIntMapClass;
}  // namespace

}  // namespace KTX
