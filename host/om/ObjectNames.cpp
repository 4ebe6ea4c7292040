#include "om/ObjectNames.hpp"

#include <map>
#include <string>

#include "om/ObjectManager.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

namespace {
std::map<tag_t, std::string>& names() {
  static std::map<tag_t, std::string> kept;
  return kept;
}
}  // namespace

namespace OM {
UString UserObjectName::Get(tag_t object) {
  Host::Log("KTX::OM::UserObjectName::Get", std::to_string(object));
  if (OM_checked_object_of_tag(object, 0) == nullptr)
    ERROR_raise(__FILE__, __LINE__, Error::kBadObject, "tag %u is no object", object);
  auto it = names().find(object);
  return it != names().end() ? UString(it->second) : UString();
}
void UserObjectName::Set(tag_t object, const char* name) {
  if (name == nullptr || *name == '\0')
    names().erase(object);
  else
    names()[object] = name;
}
}  // namespace OM

TemporaryNameString::TemporaryNameString(const UString& name) : text_(SM_string_copy(name.utf8_str())) {}
TemporaryNameString::~TemporaryNameString() { SM_free(text_); }

}  // namespace KTX
