// The parts of the property owner engine that are the same for every owner.
#include "ja_property_owner.hpp"

#include "sys/Error.hpp"

namespace KTX::JA::Owners {

// The journaling units register the interfaces at load, so an owner asked
// while they are not there (before load finished, after unload began) has
// nothing to read through; it says so instead of calling through nothing.
void RaiseNoInterface(const char* source, int line, const char* journalClass) {
  ERROR_raise(source, line, Error::kBadObject, "prop err: no automation interface is registered for \"%s\"",
              journalClass);
}

}  // namespace KTX::JA::Owners
