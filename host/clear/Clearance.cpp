#include "clear/Clearance.hpp"

#include <cstdio>

#include "exp/Expression.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

namespace KTX {
namespace {
Host::ClearanceMeasurer measurer = nullptr;  // the automotive-feature library's, once registered

struct Library {
  tag_t next = 0x7C000001;
  std::map<tag_t, CLEAR_dataset_record> sets;  // by tag, in the order made
};
Library& library() {
  static auto* made = [] {
    auto* library = new Library;
    Host::OnPartDestroyed([](PART_part* gone) {
      const tag_t part = OM::OM_ask_object_tag(gone);
      auto& sets = KTX::library().sets;
      for (auto it = sets.begin(); it != sets.end();) it = it->second.part == part ? sets.erase(it) : std::next(it);
    });
    return library;
  }();
  return *made;
}
CLEAR_dataset_record* find(tag_t set) {
  auto it = library().sets.find(set);
  return it != library().sets.end() ? &it->second : nullptr;
}
std::string tagText(tag_t tag) { return std::to_string(tag); }
double valueOf(tag_t expression) {
  auto* found = dynamic_cast<EXP_expression*>(OM::OM_object_of_tag(expression));
  return found != nullptr ? EXP_ask_value_of_exp(found) : 0.0;
}
int create(const char* call, PART_part* part, const char* name, bool displaced, tag_t* set) {
  Host::Log(call, std::string(name != nullptr ? name : "(null)"));
  *set = 0;
  if (const int answer = static_cast<int>(Host::Answer(call, 0)); answer != 0) return answer;
  CLEAR_dataset_record record;
  record.part = OM::OM_ask_object_tag(part);
  record.name = name != nullptr ? name : "";
  record.displaced = displaced;
  *set = library().next++;
  library().sets[*set] = record;
  return 0;
}
}  // namespace

int CLEAR_count_datasets(PART_part* part, int* count) {
  *count = 0;
  const tag_t owner = OM::OM_ask_object_tag(part);
  for (const auto& [tag, record] : library().sets) *count += record.part == owner ? 1 : 0;
  return 0;
}

int CLEAR_ask_dataset_array(PART_part* part, tag_t* sets) {
  const tag_t owner = OM::OM_ask_object_tag(part);
  int n = 0;
  for (const auto& [tag, record] : library().sets)
    if (record.part == owner) sets[n++] = tag;
  return 0;
}

int CLEAR_ask_dataset_name(tag_t set, char** name) {
  *name = nullptr;
  const CLEAR_dataset_record* record = find(set);
  if (record == nullptr) return kNoDataset;
  *name = SM_string_copy(record->name.c_str());
  return 0;
}

int CLEAR_delete_dataset(tag_t set) {
  const CLEAR_dataset_record* record = find(set);
  Host::Log("CLEAR_delete_dataset", record != nullptr ? record->name : tagText(set));
  return library().sets.erase(set) == 1 ? 0 : kNoDataset;
}

int CLEAR_create_dataset(PART_part* part, const char* name, tag_t* set) {
  return create("CLEAR_create_dataset", part, name, false, set);
}
int CLEAR_create_displaced_dataset(PART_part* part, const char* name, tag_t* set) {
  return create("CLEAR_create_displaced_dataset", part, name, true, set);
}

int VD_CLEAR_set_analysis_mode(tag_t set, int mode) {
  Host::Log("VD_CLEAR_set_analysis_mode", std::to_string(mode));
  CLEAR_dataset_record* record = find(set);
  if (record == nullptr) return kNoDataset;
  record->mode = mode;
  return 0;
}

int CLEAR_set_default_clear_zone(tag_t set, tag_t expression) {
  char args[64];
  std::snprintf(args, sizeof args, "%g", valueOf(expression));
  Host::Log("CLEAR_set_default_clear_zone", args);
  CLEAR_dataset_record* record = find(set);
  if (record == nullptr) return kNoDataset;
  record->defaultZone = valueOf(expression);
  record->hasDefaultZone = true;
  return 0;
}

int CLEAR_set_object_clearance_zone(tag_t set, tag_t object, tag_t expression) {
  char args[64];
  std::snprintf(args, sizeof args, "%u %g", object, valueOf(expression));
  Host::Log("CLEAR_set_object_clearance_zone", args);
  CLEAR_dataset_record* record = find(set);
  if (record == nullptr) return kNoDataset;
  record->zones[object] = valueOf(expression);
  return 0;
}

int CLEAR_set_obj_list(tag_t set, int list, int kind, int count, const tag_t* objects, int option) {
  Host::Log("CLEAR_set_obj_list", "list=" + std::to_string(list) + " kind=" + std::to_string(kind) +
                                      " count=" + std::to_string(count) + " option=" + std::to_string(option));
  CLEAR_dataset_record* record = find(set);
  if (record == nullptr || (list != 1 && list != 2)) return kNoDataset;
  record->lists[list - 1].assign(objects, objects + (count > 0 ? count : 0));
  return 0;
}

tag_t CLEAR_find_clear_object(tag_t set, tag_t object) {
  const CLEAR_dataset_record* record = find(set);
  if (record == nullptr || object == 0) return 0;
  for (const auto& list : record->lists)
    for (tag_t listed : list)
      if (listed == object) return object;
  return 0;
}

void CLEAR_store_callbacks() { Host::Log("CLEAR_store_callbacks"); }
void CLEAR_reset_callbacks() { Host::Log("CLEAR_reset_callbacks"); }
void CLEAR_restore_callbacks() { Host::Log("CLEAR_restore_callbacks"); }

int CLEAR_do_clearance_analysis(tag_t set, const void*, int) {
  CLEAR_dataset_record* record = find(set);
  Host::Log("CLEAR_do_clearance_analysis", record != nullptr ? record->name : tagText(set));
  if (record == nullptr) return kNoDataset;
  if (const int answer = static_cast<int>(Host::Answer("CLEAR_do_clearance_analysis", 0)); answer != 0) return answer;
  ++record->runs;
  if (measurer != nullptr) measurer(*record);
  return 0;
}

void Host::SetClearanceMeasurer(ClearanceMeasurer given) { measurer = given; }

int VD_MODL_create_exp_tag(const char* text, tag_t* expression) {
  Host::Log("VD_MODL_create_exp_tag", text != nullptr ? text : "(null)");
  *expression = 0;
  EXP_expression* made = nullptr;
  const int code = EXP_create_sys_exp_with_units_all_errors(text, UNIT_ask_default_unit_obj_for_measure(0), &made);
  if (code != 0) return code;
  *expression = OM::OM_ask_object_tag(made);
  return 0;
}

namespace Clearance {
const CLEAR_dataset_record* Dataset(tag_t set) { return find(set); }
tag_t DatasetNamed(PART_part* part, const std::string& name) {
  const tag_t owner = OM::OM_ask_object_tag(part);
  for (const auto& [tag, record] : library().sets)
    if (record.part == owner && record.name == name) return tag;
  return 0;
}
int DatasetCount() { return static_cast<int>(library().sets.size()); }
void Reset() { library().sets.clear(); }
}  // namespace Clearance

}  // namespace KTX
