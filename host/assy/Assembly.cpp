#include "assy/Assembly.hpp"

#include <map>

#include "sys/CallLog.hpp"

namespace KTX {
namespace {
// Parts by name; a part that goes is forgotten.
std::map<std::string, PART_part*>& partsByName() {
  static auto* parts = [] {
    auto* made = new std::map<std::string, PART_part*>;
    Host::OnPartDestroyed([](PART_part* gone) {
      for (auto it = partsByName().begin(); it != partsByName().end();)
        it = it->second == gone ? partsByName().erase(it) : std::next(it);
    });
    return made;
  }();
  return *parts;
}
}  // namespace

PART_part* VD_PART_ask_part_tag(const char* name) {
  Host::Log("VD_PART_ask_part_tag", name != nullptr ? name : "(null)");
  if (name == nullptr) return nullptr;
  auto it = partsByName().find(name);
  return it != partsByName().end() ? it->second : nullptr;
}

int PART_is_part_loaded_tol(const PART_part* part) {
  Host::Log("PART_is_part_loaded_tol", "part=" + std::to_string(OM::OM_ask_object_tag(part)));
  return static_cast<int>(Host::Answer("PART_is_part_loaded_tol", 1));
}

int PART_load_component(PART_part* part, int* firstStatus) {
  Host::Log("PART_load_component", "part=" + std::to_string(OM::OM_ask_object_tag(part)));
  const int status = static_cast<int>(Host::Answer("PART_load_component.status", 0));
  if (firstStatus != nullptr) *firstStatus = status;
  return status != 0 ? 1 : 0;
}

namespace Assy {
void NamePart(PART_part* part, const std::string& name) {
  for (auto it = partsByName().begin(); it != partsByName().end();)
    it = it->second == part ? partsByName().erase(it) : std::next(it);
  partsByName()[name] = part;
}
std::string NameOfPart(const PART_part* part) {
  for (const auto& [name, named] : partsByName())
    if (named == part) return name;
  return {};
}
}  // namespace Assy

}  // namespace KTX
