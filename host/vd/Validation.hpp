// The validation-checker library as recording fakes: checkers plugged into a
// rule instance, their requirements, evaluations and log lines, kept for
// tests to read; and the settings the requirement checks read.
#pragma once
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX {

// What plugs a checker into its rule.
struct VALIDATION_APPLICATION_plugin_record_t {
  int kind;
  const char* ruleClass;
  const char* dialog;
};

// One requirement: where its limits come from and what they are.
struct VALIDATION_APPLICATION_requirement_t {
  int sourceType;
  char project[273];
  char property[273];
  char file[273];
  int zero;
  double minimum;
  char minimumText[64];
  double maximum;
  char maximumText[64];
  char propertyCopy[273];
  char account[256];
  char accountPart[256];
  unsigned char flag;
  char server[256];
};

struct VALIDATION_APPLICATION_checker_t;
struct VALIDATION_APPLICATION_checker_detail_t {
  char name[133];
  char application[133];
};

KTX_HOST_API int VALIDATION_APPLICATION_plugin(const VALIDATION_APPLICATION_plugin_record_t* record, const char* prefix,
                                               const char* checkerName, const char* className, int flag,
                                               VALIDATION_APPLICATION_checker_t** checker);
KTX_HOST_API int VALIDATION_APPLICATION_alloc_requirement_object(VALIDATION_APPLICATION_requirement_t** requirement);
KTX_HOST_API void VALIDATION_APPLICATION_free_requirement_object(VALIDATION_APPLICATION_requirement_t* requirement);
// One result handle per requirement into `results`.
KTX_HOST_API int VALIDATION_APPLICATION_set_requirements(VALIDATION_APPLICATION_checker_t* checker, int count,
                                                         VALIDATION_APPLICATION_requirement_t* const* requirements,
                                                         int* results);
KTX_HOST_API int VALIDATION_APPLICATION_eval_results(VALIDATION_APPLICATION_checker_t* checker, int count,
                                                     const int* results, const char* const* expressionNames,
                                                     const char* const* angleNames);
// The checker may be null (a line about a checker that could not be made).
KTX_HOST_API void VALIDATION_APPLICATION_add_checker_log(VALIDATION_APPLICATION_checker_t* checker, int lineCount,
                                                         const char* const* lines, int flag);
// The persistent checkers of an application: a new array of tags.
KTX_HOST_API int VALIDATION_APPLICATION_ask_all_persistent_app_objects(const char* application, int* count,
                                                                       unsigned int** objects);
// A new detail record of a persistent checker (null for an unknown tag).
KTX_HOST_API int VALIDATION_APPLICATION_ask_persistent_checker_detail(unsigned int object,
                                                                      VALIDATION_APPLICATION_checker_detail_t** detail);
// Frees what the library handed out: a checker, a detail, an array.
KTX_HOST_API void VALIDATION_APPLICATION_free_app_memory(void* memory);

// The requirement source type of the site's defaults by name (the stand-in
// reads the second, this platform's, name; 0 when unset).
KTX_HOST_API int VD_read_def_validation_req_source_type(const char* windowsName, const char* unixName);

namespace Validation {
struct Plugin {
  int kind;
  std::string ruleClass, dialog, prefix, checkerName, className;
  int flag;
};
struct Evaluation {
  int count;
  std::vector<int> results;
  std::vector<std::string> expressionNames, angleNames;
};
struct LogLine {
  bool withChecker;
  std::string text;
  int flag;
};
struct Record {
  std::vector<Plugin> plugins;
  std::vector<VALIDATION_APPLICATION_requirement_t> requirements;
  std::vector<Evaluation> evaluations;
  std::vector<LogLine> log;
  int checkersFreed = 0;
  int requirementsFreed = 0;
};
KTX_HOST_API const Record& Recorded();
KTX_HOST_API void ClearRecord();
KTX_HOST_API void SetSourceType(const std::string& name, int type);
// Forgets every persistent checker and setting.
KTX_HOST_API void Reset();
}  // namespace Validation

}  // namespace KTX
