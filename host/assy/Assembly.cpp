#include "assy/Assembly.hpp"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Str.hpp"

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

int ASSY_instance::ThisClassId = 0;

void ASSY_instance::set_placement(const double placement[16]) {
  OM::LogForWrite(this);
  std::memcpy(placement_, placement, sizeof placement_);
}

int ASSY_add_part_to_assembly(PART_part* parent, PART_part* part, const char* referenceSet, const char* componentName,
                              int layer, const double placement[16], int option, tag_t* instance) {
  Host::Log("ASSY_add_part_to_assembly",
            "parent=" + std::to_string(OM::OM_ask_object_tag(parent)) + " part=" +
                std::to_string(OM::OM_ask_object_tag(part)) + " refset=" + (referenceSet ? referenceSet : "(null)") +
                " name=" + (componentName ? componentName : "(null)") + " layer=" + std::to_string(layer) +
                " option=" + std::to_string(option));
  if (parent == nullptr || part == nullptr)
    ERROR_raise("Assembly", __LINE__, kNoPartToAdd, "no part to add as a component");
  auto* made = Host::CreateInPart<ASSY_instance>(parent);
  const char* name = componentName != nullptr ? componentName : "";
  std::snprintf(made->componentName_, sizeof made->componentName_, "%s", name);
  std::size_t i = 0;
  for (; name[i] != '\0' && i + 1 < sizeof made->name_; ++i)
    made->name_[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
  made->name_[i] = '\0';
  made->part_ = OM::OM_ask_object_tag(part);
  made->parent_ = OM::OM_ask_object_tag(parent);
  static constexpr double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  std::memcpy(made->placement_, placement != nullptr ? placement : kIdentity, sizeof made->placement_);
  if (instance != nullptr) *instance = made->ask_tag();
  return 0;
}

int ASSY_remove_component(tag_t instance) {
  Host::Log("ASSY_remove_component", "tag=" + std::to_string(instance));
  auto* found = dynamic_cast<ASSY_instance*>(OM::OM_object_of_tag(instance));
  if (found == nullptr) return kNoInstance;
  found->destroy();
  return 0;
}

tag_t PART_ask_occ_part_of_part(PART_part* part) {
  Host::Log("PART_ask_occ_part_of_part", "part=" + std::to_string(OM::OM_ask_object_tag(part)));
  return part != nullptr ? OM::OM_ask_object_tag(part) : 0;
}

std::vector<tag_t> ASSY_ask_components(const PART_part* parent) {
  std::vector<tag_t> found;
  for (tag_t kept : Host::KeptInPart(parent))
    if (dynamic_cast<ASSY_instance*>(OM::OM_object_of_tag(kept)) != nullptr) found.push_back(kept);
  return found;
}

tag_t OCC_ask_instance_of_name(tag_t occurrence, const char* name) {
  Host::Log("OCC_ask_instance_of_name", "occ=" + std::to_string(occurrence) + " name=" + (name ? name : "(null)"));
  auto* parent = dynamic_cast<PART_part*>(OM::OM_object_of_tag(occurrence));
  if (parent == nullptr || name == nullptr) return 0;
  for (tag_t component : ASSY_ask_components(parent))
    if (std::strcmp(static_cast<ASSY_instance*>(OM::OM_object_of_tag(component))->ask_name(), name) == 0)
      return component;
  return 0;
}

char* QDMGR_decode_cli_part_file(const char* name) {
  Host::Log("QDMGR_decode_cli_part_file", name != nullptr ? name : "(null)");
  return SM_string_copy(name != nullptr ? name : "");
}

PART_part* PART_ask_part_of_filename(const char* fileName) {
  Host::Log("PART_ask_part_of_filename", fileName != nullptr ? fileName : "(null)");
  if (fileName == nullptr) return nullptr;
  auto it = partsByName().find(fileName);
  return it != partsByName().end() ? it->second : nullptr;
}

char* VD_ask_part_dm_name(const char* name) {
  Host::Log("VD_ask_part_dm_name", name != nullptr ? name : "(null)");
  return SM_string_copy(name != nullptr ? name : "");
}

int TIREENV_load_part_fully(const char* name) {
  Host::Log("TIREENV_load_part_fully", name != nullptr ? name : "(null)");
  return 0;
}

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
