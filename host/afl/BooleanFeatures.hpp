// Boolean features and the queries that tell which features use a body
// reference: a tool body's reference leads to the boolean features that
// united it into a target, or to the meta features whose top targets hold
// it. Boolean features are records of the part like any other, so undo takes
// a new one away again.
#pragma once
#include <vector>

#include "afl/Parms.hpp"

namespace KTX {

// A boolean feature of `type` (0 unite, 1 subtract, 2 intersect) of the tools
// with the target body, made in the target's part, its body the target. The
// callers check their inputs first.
KTX_HOST_API FEATURE_RECORD* MakeBooleanFeature(int type, tag_t target, int n_tools, const tag_t* tools);

// The parameters of a boolean feature: its type (0 unite, 1 subtract, 2
// intersect) and the references of its target and tool bodies.
class KTX_HOST_API BOOLEAN_parms : public FEATURE_PARMS {
  KTX_HOST_OBJECT(BOOLEAN_parms, "KTX::BOOLEAN_parms")
 public:
  int ask_type() const { return type_; }
  tag_t ask_target_bref() const { return target_; }
  // The tool references in the order given (a copy).
  std::vector<tag_t> ask_tool_brefs() const;

 protected:
  BOOLEAN_parms(int classId, void* context);
  ~BOOLEAN_parms() override;

 private:
  friend FEATURE_RECORD* MakeBooleanFeature(int, tag_t, int, const tag_t*);
  int type_;
  tag_t target_;
  OM::TagVla* tools_;
};

// Makes one boolean feature of `type` that combines the tools with the
// target body (the record is made in the target's part, its body the target),
// and hands out the features made in a new array (SM_alloc) the caller frees;
// both flags come back false, the options are recorded only. Returns 0, or:
// answer "JAUTL_BOOLEAN__create_boolean_feature" when not 0 (nothing made);
// the bad-object error for a target 0, no tool or a null output.
KTX_HOST_API int JAUTL_BOOLEAN__create_boolean_feature(int type, tag_t target, bool option, int n_tools,
                                                       const tag_t* tools, bool option1, bool option2, bool option3,
                                                       bool* flag1, bool* flag2, int* n_features, tag_t** features);

// The live features that use the reference, as a target or tool of a
// boolean or among a meta feature's references, oldest first, in a new array
// (SM_alloc; null when none) the caller frees.
KTX_HOST_API void BREF_ask_frecs_using_bref(tag_t bref, int* n_frecs, tag_t** frecs);
KTX_HOST_API bool BOOLEAN_is_boolean_frec(tag_t frec);
// The target reference of boolean parameters; 0 for any other parameters.
KTX_HOST_API tag_t BOOLEAN_ask_target_bref_of_parms(const FEATURE_PARMS* parms);
KTX_HOST_API bool FREC_is_a_meta_frec(tag_t frec);
// The kernel bodies a meta feature ends in, in a new array (SM_alloc; null
// when none) the caller frees; nothing for any other feature.
KTX_HOST_API void FREC_ask_top_targets_of_frec(tag_t frec, int* n_targets, int** targets);

namespace BooleanFeatures {
// Test hook: a meta feature (a record without parameters) in the part (null:
// the work part) that uses the references and ends in the kernel bodies.
KTX_HOST_API FEATURE_RECORD* MakeMetaFeature(PART_part* part, const std::vector<tag_t>& brefs,
                                             const std::vector<int>& topTargets);
}  // namespace BooleanFeatures

}  // namespace KTX
