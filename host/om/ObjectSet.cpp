#include "om/ObjectSet.hpp"

namespace KTX::OM {

int Set::ThisClassId = 0;

namespace {
struct SetClass {
  SetClass() { Host::RegisterHostClass<Set>(TaggedObject::OmClassName); }
} setClass;
}  // namespace

}  // namespace KTX::OM
