#include "vd/Validation.hpp"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

struct KTX::VALIDATION_APPLICATION_checker_t {
  unsigned int tag;
};

namespace KTX {
namespace {

struct State {
  Validation::Record record;
  std::map<std::string, int> sourceTypes;
  std::vector<VALIDATION_APPLICATION_checker_detail_t> persistent;  // index + 1 is the tag
  int nextResult = 0;
};
State& state() {
  static auto* s = new State;
  return *s;
}
std::string orNull(const char* text) { return text != nullptr ? text : "(null)"; }

}  // namespace

int VALIDATION_APPLICATION_plugin(const VALIDATION_APPLICATION_plugin_record_t* record, const char* prefix,
                                  const char* checkerName, const char* className, int flag,
                                  VALIDATION_APPLICATION_checker_t** checker) {
  Host::Log("VALIDATION_APPLICATION_plugin", orNull(prefix) + " " + orNull(checkerName) + " " + orNull(className));
  if (checker != nullptr) *checker = nullptr;
  if (record == nullptr || checker == nullptr) return 1;
  state().record.plugins.push_back({record->kind, orNull(record->ruleClass), orNull(record->dialog), orNull(prefix),
                                    orNull(checkerName), orNull(className), flag});
  VALIDATION_APPLICATION_checker_detail_t detail{};
  std::snprintf(detail.name, sizeof detail.name, "%s", orNull(checkerName).c_str());
  std::snprintf(detail.application, sizeof detail.application, "%s", orNull(className).c_str());
  state().persistent.push_back(detail);
  *checker = static_cast<VALIDATION_APPLICATION_checker_t*>(SM_alloc(sizeof(VALIDATION_APPLICATION_checker_t)));
  (*checker)->tag = static_cast<unsigned int>(state().persistent.size());
  return 0;
}

int VALIDATION_APPLICATION_alloc_requirement_object(VALIDATION_APPLICATION_requirement_t** requirement) {
  *requirement = static_cast<VALIDATION_APPLICATION_requirement_t*>(SM_calloc(1, sizeof(VALIDATION_APPLICATION_requirement_t)));
  return 0;
}

void VALIDATION_APPLICATION_free_requirement_object(VALIDATION_APPLICATION_requirement_t* requirement) {
  if (requirement == nullptr) return;
  ++state().record.requirementsFreed;
  SM_free(requirement);
}

int VALIDATION_APPLICATION_set_requirements(VALIDATION_APPLICATION_checker_t* checker, int count,
                                            VALIDATION_APPLICATION_requirement_t* const* requirements, int* results) {
  Host::Log("VALIDATION_APPLICATION_set_requirements", std::to_string(count));
  if (checker == nullptr) return 1;
  for (int i = 0; i < count; ++i) {
    state().record.requirements.push_back(*requirements[i]);
    if (results != nullptr) results[i] = ++state().nextResult;
  }
  return 0;
}

int VALIDATION_APPLICATION_eval_results(VALIDATION_APPLICATION_checker_t* checker, int count, const int* results,
                                        const char* const* expressionNames, const char* const* angleNames) {
  Host::Log("VALIDATION_APPLICATION_eval_results", std::to_string(count));
  if (checker == nullptr) return 1;
  Validation::Evaluation evaluation{count, {}, {}, {}};
  for (int i = 0; i < count; ++i) {
    evaluation.results.push_back(results[i]);
    evaluation.expressionNames.push_back(orNull(expressionNames[i]));
    evaluation.angleNames.push_back(orNull(angleNames[i]));
  }
  state().record.evaluations.push_back(std::move(evaluation));
  return 0;
}

void VALIDATION_APPLICATION_add_checker_log(VALIDATION_APPLICATION_checker_t* checker, int lineCount,
                                            const char* const* lines, int flag) {
  for (int i = 0; i < lineCount; ++i) {
    Host::Log("VALIDATION_APPLICATION_add_checker_log", orNull(lines[i]));
    state().record.log.push_back({checker != nullptr, orNull(lines[i]), flag});
  }
}

int VALIDATION_APPLICATION_ask_all_persistent_app_objects(const char* application, int* count, unsigned int** objects) {
  std::vector<unsigned int> found;
  for (std::size_t i = 0; i < state().persistent.size(); ++i)
    if (orNull(application) == state().persistent[i].application) found.push_back(static_cast<unsigned int>(i + 1));
  *count = static_cast<int>(found.size());
  *objects = nullptr;
  if (found.empty()) return 0;
  *objects = static_cast<unsigned int*>(SM_alloc(found.size() * sizeof(unsigned int)));
  std::memcpy(*objects, found.data(), found.size() * sizeof(unsigned int));
  return 0;
}

int VALIDATION_APPLICATION_ask_persistent_checker_detail(unsigned int object,
                                                         VALIDATION_APPLICATION_checker_detail_t** detail) {
  *detail = nullptr;
  if (object == 0 || object > state().persistent.size()) return 1;
  *detail = static_cast<VALIDATION_APPLICATION_checker_detail_t*>(SM_alloc(sizeof(VALIDATION_APPLICATION_checker_detail_t)));
  **detail = state().persistent[object - 1];
  return 0;
}

void VALIDATION_APPLICATION_free_app_memory(void* memory) {
  if (memory == nullptr) return;
  ++state().record.checkersFreed;
  SM_free(memory);
}

int VD_read_def_validation_req_source_type(const char* windowsName, const char* unixName) {
  Host::Log("VD_read_def_validation_req_source_type", orNull(windowsName) + " " + orNull(unixName));
  auto found = state().sourceTypes.find(orNull(unixName));
  return found != state().sourceTypes.end() ? found->second : 0;
}

namespace Validation {
const Record& Recorded() { return state().record; }
void ClearRecord() { state().record = Record{}; }
void SetSourceType(const std::string& name, int type) { state().sourceTypes[name] = type; }
void Reset() {
  ClearRecord();
  state().sourceTypes.clear();
  state().persistent.clear();
}
}  // namespace Validation

}  // namespace KTX
