#include "afl/BooleanFeatures.hpp"

#include <algorithm>
#include <map>
#include <string>

#include "afl/DieEngParms.hpp"
#include "kernel/Kernel.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX {

int BOOLEAN_parms::ThisClassId = 0;

namespace {

struct BooleanClasses {
  BooleanClasses() { Host::RegisterHostClass<BOOLEAN_parms>(FEATURE_PARMS::OmClassName); }
} booleanClasses;

struct Meta {
  std::vector<tag_t> brefs;
  std::vector<int> topTargets;
};

// The features that use references, in the order they were made. A record
// that has gone (deleted, or undone) is passed over, so the lists need not
// follow undo.
struct Graph {
  std::vector<tag_t> booleans;
  std::map<tag_t, Meta> metas;
  std::vector<tag_t> order;
};
Graph& graph() {
  static auto* g = new Graph;
  return *g;
}

FEATURE_RECORD* liveRecord(tag_t frec) { return dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frec)); }

const BOOLEAN_parms* booleanOf(tag_t frec) {
  FEATURE_RECORD* record = liveRecord(frec);
  return record == nullptr ? nullptr : dynamic_cast<const BOOLEAN_parms*>(record->ask_parms());
}

template <class T>
void handOut(const std::vector<T>& values, int* count, T** array) {
  *count = 0;
  *array = nullptr;
  if (values.empty()) return;
  *array = static_cast<T*>(SM_alloc(values.size() * sizeof(T)));
  std::copy(values.begin(), values.end(), *array);
  *count = static_cast<int>(values.size());
}

}  // namespace

BOOLEAN_parms::BOOLEAN_parms(int classId, void* context)
    : FEATURE_PARMS(classId, context), tools_(new OM::TagVla(this)) {}
BOOLEAN_parms::~BOOLEAN_parms() { delete tools_; }

std::vector<tag_t> BOOLEAN_parms::ask_tool_brefs() const {
  return tools_ == nullptr ? std::vector<tag_t>{} : tools_->Items();
}

int JAUTL_BOOLEAN__create_boolean_feature(int type, tag_t target, bool option, int n_tools, const tag_t* tools,
                                          bool option1, bool option2, bool option3, bool* flag1, bool* flag2,
                                          int* n_features, tag_t** features) {
  std::string tools_text = "[";
  for (int i = 0; tools != nullptr && i < n_tools; ++i) tools_text += (i > 0 ? "," : "") + std::to_string(tools[i]);
  Host::Log("JAUTL_BOOLEAN__create_boolean_feature",
            "type=" + std::to_string(type) + " target=" + std::to_string(target) + " option=" +
                std::to_string(option) + " tools=" + tools_text + "] options=" + std::to_string(option1) +
                std::to_string(option2) + std::to_string(option3));
  if (flag1 != nullptr) *flag1 = false;
  if (flag2 != nullptr) *flag2 = false;
  if (n_features == nullptr || features == nullptr) return Error::kBadObject;
  *n_features = 0;
  *features = nullptr;
  if (target == 0 || n_tools < 1 || tools == nullptr) return Error::kBadObject;
  if (long long code = Host::Answer("JAUTL_BOOLEAN__create_boolean_feature", 0); code != 0)
    return static_cast<int>(code);
  if (long long code = Host::Answer("JAUTL_BOOLEAN__create_boolean_feature.type" + std::to_string(type), 0); code != 0)
    return static_cast<int>(code);
  FEATURE_RECORD* frec = MakeBooleanFeature(type, target, n_tools, tools);
  handOut(std::vector<tag_t>{frec->OmTag()}, n_features, features);
  return 0;
}

FEATURE_RECORD* MakeBooleanFeature(int type, tag_t target, int n_tools, const tag_t* tools) {
  PART_part* part = PART_ask_part_of_object(target);
  auto* parms = Host::CreateInPart<BOOLEAN_parms>(part);
  parms->type_ = type;
  parms->target_ = BREF_ask_bref_of_eidbody(target);
  if (parms->tools_ == nullptr) ERROR_raise(__FILE__, __LINE__, Error::kNoMemory, "no memory for the tools");
  for (int i = 0; i < n_tools; ++i) parms->tools_->Items().push_back(BREF_ask_bref_of_eidbody(tools[i]));
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part, parms);
  parms->SetFeatureRecord(frec);
  frec->set_body_eid(target);
  graph().booleans.push_back(frec->OmTag());
  graph().order.push_back(frec->OmTag());
  return frec;
}

void BREF_ask_frecs_using_bref(tag_t bref, int* n_frecs, tag_t** frecs) {
  Host::Log("BREF_ask_frecs_using_bref", std::to_string(bref));
  std::vector<tag_t> using_;
  for (tag_t frec : graph().order) {
    if (liveRecord(frec) == nullptr) continue;
    bool uses = false;
    if (const BOOLEAN_parms* parms = booleanOf(frec)) {
      const std::vector<tag_t> tools = parms->ask_tool_brefs();
      uses = parms->ask_target_bref() == bref || std::find(tools.begin(), tools.end(), bref) != tools.end();
    } else if (auto it = graph().metas.find(frec); it != graph().metas.end()) {
      uses = std::find(it->second.brefs.begin(), it->second.brefs.end(), bref) != it->second.brefs.end();
    }
    if (uses) using_.push_back(frec);
  }
  handOut(using_, n_frecs, frecs);
}

bool BOOLEAN_is_boolean_frec(tag_t frec) {
  Host::Log("BOOLEAN_is_boolean_frec", std::to_string(frec));
  return booleanOf(frec) != nullptr;
}

tag_t BOOLEAN_ask_target_bref_of_parms(const FEATURE_PARMS* parms) {
  Host::Log("BOOLEAN_ask_target_bref_of_parms", std::to_string(OM::OM_ask_object_tag(parms)));
  auto* boolean = dynamic_cast<const BOOLEAN_parms*>(parms);
  return boolean == nullptr ? 0 : boolean->ask_target_bref();
}

bool FREC_is_a_meta_frec(tag_t frec) {
  Host::Log("FREC_is_a_meta_frec", std::to_string(frec));
  return liveRecord(frec) != nullptr && graph().metas.count(frec) != 0;
}

void FREC_ask_top_targets_of_frec(tag_t frec, int* n_targets, int** targets) {
  Host::Log("FREC_ask_top_targets_of_frec", std::to_string(frec));
  auto it = graph().metas.find(frec);
  handOut(liveRecord(frec) != nullptr && it != graph().metas.end() ? it->second.topTargets : std::vector<int>{},
          n_targets, targets);
}

FEATURE_RECORD* BooleanFeatures::MakeMetaFeature(PART_part* part, const std::vector<tag_t>& brefs,
                                                 const std::vector<int>& topTargets) {
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part, nullptr);
  graph().metas[frec->OmTag()] = Meta{brefs, topTargets};
  graph().order.push_back(frec->OmTag());
  return frec;
}

}  // namespace KTX
