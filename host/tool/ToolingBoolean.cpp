#include "tool/ToolingBoolean.hpp"

#include <cstdio>
#include <string>
#include <vector>

#include "afl/BooleanFeatures.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"

namespace KTX {

namespace {

Host::GeometryCombiner geometryCombiner = nullptr;  // the modelling features', once registered

std::string tagList(int count, const tag_t* tags) {
  std::string text = "[";
  for (int i = 0; tags != nullptr && i < count; ++i) text += (i > 0 ? "," : "") + std::to_string(tags[i]);
  return text + "]";
}

int toolingBoolean(const char* name, int type, int n_targets, const tag_t* targets, int n_tools, const tag_t* tools,
                   bool option1, bool option2, double tolerance, tag_t* feature) {
  if (Host::Logging()) {
    char value[32];
    std::snprintf(value, sizeof value, "%g", tolerance);
    Host::Log(name, "targets=" + tagList(n_targets, targets) + " tools=" + tagList(n_tools, tools) +
                        " options=" + std::to_string(option1) + std::to_string(option2) + " tolerance=" + value);
  }
  if (feature == nullptr) return Error::kBadObject;
  *feature = 0;
  if (n_targets < 1 || targets == nullptr || targets[0] == 0 || n_tools < 1 || tools == nullptr)
    return Error::kBadObject;
  const std::string failing = std::string(name) + ".fail";
  if (const long long left = Host::Answer(failing, 0); left > 0) {
    Host::SetAnswer(failing, left - 1);
    return static_cast<int>(Host::Answer(std::string(name) + ".status", 1));
  }
  // Bodies with geometry are combined for real; a failure makes no feature.
  if (geometryCombiner != nullptr)
    if (int status = geometryCombiner(targets[0], std::vector<tag_t>(tools, tools + n_tools), type == 1); status != 0)
      return status;
  *feature = MakeBooleanFeature(type, targets[0], n_tools, tools)->OmTag();
  return 0;
}

}  // namespace

void Host::SetGeometryCombiner(GeometryCombiner combiner) { geometryCombiner = combiner; }

int TOOLING_GEOM_create_boolean_unite(int n_targets, const tag_t* targets, int n_tools, const tag_t* tools,
                                      bool option1, bool option2, double tolerance, tag_t* feature) {
  return toolingBoolean("TOOLING_GEOM_create_boolean_unite", 0, n_targets, targets, n_tools, tools, option1, option2,
                        tolerance, feature);
}

int TOOLING_GEOM_create_boolean_subtract(int n_targets, const tag_t* targets, int n_tools, const tag_t* tools,
                                         bool option1, bool option2, double tolerance, tag_t* feature) {
  return toolingBoolean("TOOLING_GEOM_create_boolean_subtract", 1, n_targets, targets, n_tools, tools, option1,
                        option2, tolerance, feature);
}

}  // namespace KTX
