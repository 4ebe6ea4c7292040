#include "om/LogTags.hpp"

#include "om/ObjectManager.hpp"

namespace KTX::Host {

std::string TagArg(const OM::Object* object) { return "tag=" + TagNumber(object); }
std::string TagNumber(const OM::Object* object) { return std::to_string(OM::OM_ask_object_tag(object)); }

}  // namespace KTX::Host
