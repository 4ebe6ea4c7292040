#include "assy/Assembly.hpp"

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>

#include "math/Vector.hpp"
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
  made->blanked_ = false;
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

void ASSY_set_work_part(PART_part* part) {
  Host::Log("ASSY_set_work_part", "part=" + std::to_string(part != nullptr ? part->OmTag() : 0));
  PART_set_work_part(part);
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

namespace {
ASSY_instance* instanceOf(tag_t tag) { return dynamic_cast<ASSY_instance*>(OM::OM_object_of_tag(tag)); }
// Which component each placed body occurrence lies in.
std::map<tag_t, tag_t>& componentOfOccurrence() {
  static auto* made = new std::map<tag_t, tag_t>;
  return *made;
}
char* copyOf(const std::string& text) { return SM_string_copy(text.c_str()); }
}  // namespace

bool OCC_is_part_occurrence(tag_t object) {
  return instanceOf(object) != nullptr || dynamic_cast<PART_part*>(OM::OM_object_of_tag(object)) != nullptr;
}

tag_t OCC_ask_part_occurrence(tag_t occurrence) {
  auto it = componentOfOccurrence().find(occurrence);
  return it != componentOfOccurrence().end() && OCC_is_occurrence(occurrence) && instanceOf(it->second) != nullptr
             ? it->second
             : 0;
}

PART_part* OCC_ask_part_of_part_occ(tag_t partOccurrence) {
  if (ASSY_instance* instance = instanceOf(partOccurrence)) return dynamic_cast<PART_part*>(OM::OM_object_of_tag(instance->ask_part()));
  return dynamic_cast<PART_part*>(OM::OM_object_of_tag(partOccurrence));
}

tag_t OCC_ask_part_occ_of_instance(tag_t instance) { return instanceOf(instance) ? instance : 0; }

tag_t OCC_ask_instance_of_part_occ(tag_t occurrence) { return occurrence; }

int OCC_blank_component(tag_t occurrence, bool blank, bool, const void*) {
  Host::Log("OCC_blank_component", "occ=" + std::to_string(occurrence) + (blank ? " hide" : " show"));
  ASSY_instance* instance = instanceOf(occurrence);
  if (instance == nullptr) return kNoInstance;
  OM::LogForWrite(instance);
  instance->blanked_ = blank;
  return 0;
}

namespace {
// A row-order placement from a position and the X and Y axes (Z their cross product).
void PlacementOf(const double position[3], const double orientation[6], double placement[16]) {
  const double* x = orientation;
  const double* y = orientation + 3;
  double z[3];
  Math::Cross(x, y, z);
  const double made[16] = {x[0], y[0], z[0], position[0], x[1], y[1], z[1], position[1],
                           x[2], y[2], z[2], position[2], 0,    0,    0,    1};
  std::memcpy(placement, made, sizeof made);
}

// A load status reporting one failure: the file and its code.
void LoadFailed(PART_load_status_s* status, const char* fileName, int code) {
  if (status == nullptr) return;
  status->failed = 1;
  status->count = 1;
  status->names = static_cast<char**>(SM_alloc(sizeof(char*)));
  status->names[0] = SM_string_copy(fileName != nullptr ? fileName : "");
  status->codes = static_cast<int*>(SM_alloc(sizeof(int)));
  status->codes[0] = code;
}

// A part the session opens or makes: named by its file, in the unit of the
// work part, kept by the work part (the session closes it with that part).
PART_part* SessionPart(const char* fileName) {
  PART_part* work = PART_ask_work_part();
  PART_part* made = PART_part::Create(work != nullptr ? work->UnitCode() : 0);
  if (work != nullptr) Host::KeepInPart(work, made);
  Assy::NamePart(made, fileName);
  return made;
}
}  // namespace

void PART_free_load_status(PART_load_status_s* status) {
  if (status == nullptr) return;
  for (int i = 0; i < status->count && status->names != nullptr; ++i) SM_free(status->names[i]);
  SM_free(status->names);
  SM_free(status->codes);
  *status = PART_load_status_s{};
}

PART_part* BASE_open_part_quietly(const char* fileName, PART_load_status_s* status) {
  Host::Log("BASE_open_part_quietly", fileName != nullptr ? fileName : "(null)");
  if (status != nullptr) *status = PART_load_status_s{};
  if (fileName == nullptr || *fileName == '\0') return nullptr;
  if (const int code = static_cast<int>(Host::Answer("BASE_open_part_quietly", 0)); code != 0) {
    LoadFailed(status, fileName, code);
    return nullptr;
  }
  if (PART_part* loaded = PART_ask_part_of_filename(fileName)) return loaded;
  return SessionPart(fileName);
}

int TIREENV_new_tirebody_part(const char* fileName, PART_part** part) {
  Host::Log("TIREENV_new_tirebody_part", fileName != nullptr ? fileName : "(null)");
  *part = nullptr;
  if (fileName == nullptr || *fileName == '\0') return kNoPartToAdd;
  if (const int code = static_cast<int>(Host::Answer("TIREENV_new_tirebody_part", 0)); code != 0) return code;
  *part = SessionPart(fileName);
  return 0;
}

int VD_ASSEM_add_part_to_assembly(PART_part* assembly, const char* fileName, const char* referenceSet,
                                  const char* componentName, const double position[3], const double orientation[6],
                                  int layer, tag_t* instance, PART_load_status_s* status) {
  char args[160];
  std::snprintf(args, sizeof args, " at=(%g, %g, %g) x=(%g, %g, %g) y=(%g, %g, %g)", position[0], position[1],
                position[2], orientation[0], orientation[1], orientation[2], orientation[3], orientation[4],
                orientation[5]);
  Host::Log("VD_ASSEM_add_part_to_assembly", "assembly=" + std::to_string(OM::OM_ask_object_tag(assembly)) +
                                                 " file=" + (fileName != nullptr ? fileName : "(null)") +
                                                 " name=" + (componentName != nullptr ? componentName : "(null)") + args);
  *instance = 0;
  if (status != nullptr) *status = PART_load_status_s{};
  if (const int code = static_cast<int>(Host::Answer("VD_ASSEM_add_part_to_assembly", 0)); code != 0) {
    LoadFailed(status, fileName, code);
    return code;
  }
  PART_part* part = fileName != nullptr ? PART_ask_part_of_filename(fileName) : nullptr;
  if (assembly == nullptr || part == nullptr) return kNoPartToAdd;
  double placement[16];
  PlacementOf(position, orientation, placement);
  return ASSY_add_part_to_assembly(assembly, part, referenceSet, componentName, layer, placement, 0, instance);
}

int VD_ASSEM_reposition_instance(tag_t instance, const double position[3], const double orientation[6]) {
  char args[200];
  std::snprintf(args, sizeof args, "inst=%u at=(%g, %g, %g) x=(%g, %g, %g) y=(%g, %g, %g)", instance, position[0],
                position[1], position[2], orientation[0], orientation[1], orientation[2], orientation[3],
                orientation[4], orientation[5]);
  Host::Log("VD_ASSEM_reposition_instance", args);
  ASSY_instance* found = instanceOf(instance);
  if (found == nullptr) return kNoInstance;
  double placement[16];
  PlacementOf(position, orientation, placement);
  found->set_placement(placement);
  return 0;
}

tag_t VD_ASSEM_cycle_inst_of_part(PART_part* part, tag_t previous) {
  const std::vector<tag_t> components = ASSY_ask_components(part);
  bool passed = previous == 0;
  for (tag_t component : components) {
    if (passed) return component;
    passed = component == previous;
  }
  return 0;
}

int ASSY_ask_component_data(tag_t instance, char** partName, char** referenceSet, char** componentName,
                            double origin[3], double matrix[9], double placement[16]) {
  ASSY_instance* found = instanceOf(instance);
  if (found == nullptr) return kNoInstance;
  const double* p = found->ask_placement();
  if (partName != nullptr) *partName = copyOf(Assy::NameOfPart(OCC_ask_part_of_part_occ(instance)));
  if (referenceSet != nullptr) *referenceSet = copyOf("");
  if (componentName != nullptr) *componentName = copyOf(found->ask_component_name());
  for (int i = 0; i < 3; ++i) {
    if (origin != nullptr) origin[i] = p[4 * i + 3];
    // Rows of the orientation are the axes: the placement's columns.
    for (int j = 0; j < 3 && matrix != nullptr; ++j) matrix[3 * i + j] = p[4 * j + i];
  }
  if (placement != nullptr) std::memcpy(placement, p, 16 * sizeof(double));
  return 0;
}

char* QDMGR_convert_name_to_cli(const char* name) {
  Host::Log("QDMGR_convert_name_to_cli", name != nullptr ? name : "(null)");
  return copyOf(std::string("@DB/") + (name != nullptr ? name : ""));
}

void DSS_HILT_unhighlight_object(tag_t object) { Host::Log("DSS_HILT_unhighlight_object", std::to_string(object)); }

namespace Assy {
tag_t PlaceInComponent(tag_t instance, tag_t prototype) {
  const tag_t occurrence = OCC_occurrence::Place(nullptr, prototype)->ask_tag();
  componentOfOccurrence()[occurrence] = instance;
  return occurrence;
}

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
