#include "DieDes_DieBooleanBuilder.hpp"

#include <algorithm>
#include <exception>
#include <optional>

#include "CommitPath.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/BooleanFeatures.hpp"
#include "kernel/Kernel.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"
#include "tool/Tooling.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieBooleanBuilder)
STAMVIK_OM_DEFINE_CLASS(DieBooleanBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieBooleanBuilderInstanceSize,
                        STAMVIK_DIE_BOOLEAN_BUILDER_ATTRIBUTES)

DieBooleanBuilder* DieBooleanBuilderFactory::Create(PART_part* part) {
  return Frame::CreateAndInit<DieBooleanBuilder>(DieBooleanBuilderClassId, [&](DieBooleanBuilder* made) {
    made->InitCreate(part);
  });
}

namespace {
constexpr const char* kSource = "DieDes_DieBooleanBuilder";
using Messages::kNoTarget;
using Messages::kTargetNotABody;

// The kernel body of a model body, through its prototype when it is an
// assembly occurrence; 0 when it has none.
int kernelBodyOf(tag_t object) {
  return ES_solid_ask_solvane_tag(OCC_is_occurrence(object) ? OCC_ask_prototype_of_occ(object) : object);
}

void raiseKernelError(int line, int code, const char* what) {
  if (code != 0) ERROR_raise(kSource, line, code, "the kernel could not %s", what);
}

// Whether a feature that uses a tool's reference already brought the tool
// into the target: a boolean on that target, or a meta feature ending in
// the target's kernel body.
bool broughtIntoTarget(tag_t frec, tag_t target, int targetBody) {
  if (BOOLEAN_is_boolean_frec(frec)) {
    auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frec));
    return BREF_ask_qdeid_of_bref(BOOLEAN_ask_target_bref_of_parms(FREC_ask_parms_of_frec(record))) == target;
  }
  if (!FREC_is_a_meta_frec(frec)) return false;
  int n = 0;
  Stamvik::HostBlock<int> tops;
  FREC_ask_top_targets_of_frec(frec, &n, tops.out());
  bool found = false;
  for (int i = 0; i < n && !found; ++i) found = targetBody != 0 && tops[i] == targetBody;
  return found;
}
}  // namespace

void DieBooleanBuilder::InitCreate(PART_part* part) {
  init_object(part);
  OM::SetReferencedObject(this, m_selectBodiesAttId, SELECT_OBJECT_listFactory::Create(ask_owning_part(), false));
}

int DieBooleanBuilder::validate_nothrow() {
  if (!m_applIsOverallRequired) return 0;
  if (m_selectBodies == nullptr) return 1;
  int count = 0;
  Stamvik::HostBlock<tag_t> tags;
  m_selectBodies->ask_tags(&count, tags.out());
  return count > 0 ? 0 : 1;
}

char* DieBooleanBuilder::GetBooleanTypeText() const {
  switch (GetBooleanOptions()) {
    case JA_DIE_BOOLEAN_BUILDER_boolean_type_Subtract:
      return SM_string_copy(nat110("##09Subtract"));
    case JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect:
      return SM_string_copy(nat110("##07Intersect"));
    default:
      return SM_string_copy(nat110("##05Unite"));
  }
}

void DieBooleanBuilder::UpdateMap(OM_tag_int_map* map) const {
  if (map == nullptr || m_selectBodies == nullptr) return;
  int n = 0;
  Stamvik::HostBlock<tag_t> selected;
  m_selectBodies->ask_tags(&n, selected.out());
  for (int i = 0; i < n; ++i) {
    int body = 0;
    bool fresh = true;
    if (!DieDesUtilsGetDieDesignSolvaneBody(selected[i], 5, &body, &fresh)) continue;
    int held = 0;
    const bool holds = map->Find(selected[i], &held);
    if (fresh) {
      // The map may hold this very body already: it is kept, not deleted.
      if (holds && held != 0 && held != body) DieDesUtilsDeleteBody(held);
      map->Insert(selected[i], body);
    } else if (!holds) {
      map->Insert(selected[i], 0);
    }
  }
}

void DieBooleanBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  if (count == nullptr || m_selectBodies == nullptr) return;
  const int n = m_selectBodies->ask_count();
  if (tags == nullptr) {
    *count += n;
    return;
  }
  if (n == 0) return;
  auto* grown = static_cast<tag_t*>(SM_crealloc(*tags, static_cast<std::size_t>(*count + n) * sizeof(tag_t)));
  if (grown == nullptr) ERROR_raise(kSource, 121, Error::kNoMemory, "no memory for the selected objects");
  *tags = grown;
  for (int i = 0; i < n; ++i) grown[*count + i] = m_selectBodies->ask_nth(i);
  *count += n;
}

void DieBooleanBuilder::GetModifyingBrefs(FEATURE_RECORD* /*frec*/, int* count, tag_t** brefs) const {
  if (count == nullptr || brefs == nullptr || m_selectBodies == nullptr) return;
  int n = 0;
  Stamvik::HostBlock<tag_t> selected;
  m_selectBodies->ask_tags(&n, selected.out());
  if (n == 0) return;
  auto* grown = static_cast<tag_t*>(SM_crealloc(*brefs, static_cast<std::size_t>(*count + n) * sizeof(tag_t)));
  if (grown == nullptr) ERROR_raise(kSource, 139, Error::kNoMemory, "no memory for the body references");
  *brefs = grown;
  for (int i = 0; i < n; ++i) {
    const tag_t bref = BREF_ask_bref_of_eidbody(selected[i]);
    if (bref != 0) grown[(*count)++] = bref;
  }
}

int DieBooleanBuilder::GetSelectedBodies(JA_DIE_BOOLEAN_BUILDER_boolean_type type, int* count, tag_t** bodies) const {
  if (GetBooleanOptions() != type) return 0;
  if (m_selectBodies == nullptr || count == nullptr || bodies == nullptr) return 0;
  int n = 0;
  Stamvik::HostBlock<tag_t> selected;
  try {
    m_selectBodies->ask_tags(&n, selected.out());
    if (n > 0) {
      auto* grown =
          static_cast<tag_t*>(SM_crealloc(*bodies, static_cast<std::size_t>(*count + n) * sizeof(tag_t)));
      if (grown == nullptr) ERROR_raise(kSource, 164, Error::kNoMemory, "no memory for the selected bodies");
      *bodies = grown;
      for (int i = 0; i < n; ++i) grown[*count + i] = selected[i];
      *count += n;
    }
    return 0;
  } catch (const std::exception& e) {
    // What the caller had gathered goes too: an emptied array is never left
    // holding a block nobody frees.
    SM_free(*bodies);
    *bodies = nullptr;
    *count = 0;
    return Error::HandleAsBuilder(e, kSource, 178);
  }
}

bool DieBooleanBuilder::ForceDieDesignFeatureUpdate() const {
  if (GetBooleanOptions() != JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite || m_selectBodies == nullptr) return false;
  int n = 0;
  Stamvik::HostBlock<tag_t> selected;
  m_selectBodies->ask_tags(&n, selected.out());
  bool logged = false;
  for (int i = 0; i < n; ++i) {
    try {
      FEATURE_PARMS* feature = nullptr;
      if (!DieDesUtilsIsDieDesignFeatureBody(selected[i], &feature) || feature == nullptr) continue;
      OM::Object* owner = OM_ask_subobject_owner(feature);
      if (owner == nullptr || UPDATE_is_object_logged(owner)) continue;
      bool settled = false;
      DieDesUtilsAskFeatureFlag(feature, 5, &settled);
      if (settled || !DieDesUtilsAskFeatureCondition(feature, 5)) continue;
      UPDATE_log_object_to_update(owner);
      logged = true;
    } catch (const std::exception& e) {
      // One tool's trouble keeps none of the others from its update.
      Error::HandleAsBuilder(e, kSource, 201);
    }
  }
  return logged;
}

void DieBooleanBuilder::FilterToolBodiesForUnite(int function, tag_t target, int count, const tag_t* tools,
                                                 int* keptCount, tag_t** kept) {
  *keptCount = 0;
  *kept = count > 0 ? static_cast<tag_t*>(SM_alloc(static_cast<std::size_t>(count) * sizeof(tag_t))) : nullptr;
  if (count > 0 && *kept == nullptr) ERROR_raise(kSource, 212, Error::kNoMemory, "no memory for the tools");
  if (function != ZV_boolean_unite_c) {
    for (int i = 0; i < count; ++i) (*kept)[(*keptCount)++] = tools[i];
    return;
  }
  try {
    const int targetBody = kernelBodyOf(target);
    for (int i = 0; i < count; ++i) {
      const tag_t bref = BREF_ask_bref_of_eidbody(tools[i]);
      if (bref == 0) continue;
      int n = 0;
      Stamvik::HostBlock<tag_t> users;
      BREF_ask_frecs_using_bref(bref, &n, users.out());
      bool united = false;
      for (int j = 0; j < n && !united; ++j) united = broughtIntoTarget(users[j], target, targetBody);
      if (!united) (*kept)[(*keptCount)++] = tools[i];
    }
  } catch (const std::exception& e) {
    // What passed so far is still to be united, but a commit does not go
    // through past the error: a tool left out by it is a wrong shoe.
    Stamvik::MetError(e, kSource, 234);
  }
}

int DieBooleanBuilder::SettleEarlierBooleans(int type, tag_t target, std::vector<tag_t>* tools) {
  std::vector<tag_t> doomed;
  std::vector<tag_t> fresh;
  for (tag_t tool : *tools) {
    const tag_t bref = BREF_ask_bref_of_eidbody(tool);
    int n = 0;
    Stamvik::HostBlock<tag_t> users;
    if (bref != 0) BREF_ask_frecs_using_bref(bref, &n, users.out());
    bool combined = false;
    for (int j = 0; j < n; ++j) {
      if (!BOOLEAN_is_boolean_frec(users[j])) continue;
      auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(users[j]));
      const auto* boolean = record != nullptr ? dynamic_cast<const BOOLEAN_parms*>(FREC_ask_parms_of_frec(record)) : nullptr;
      if (boolean == nullptr || BREF_ask_qdeid_of_bref(boolean->ask_target_bref()) != target) continue;
      if (boolean->ask_type() == type)
        combined = true;
      else if (std::find(doomed.begin(), doomed.end(), users[j]) == doomed.end())
        doomed.push_back(users[j]);
    }
    if (!combined) fresh.push_back(tool);
  }
  if (!doomed.empty()) {
    const int rc = TOOLING_delete_feature(static_cast<int>(doomed.size()), doomed.data());
    if (rc != 0) ERROR_raise(kSource, 246, rc, "the boolean features of another operation could not be deleted");
  }
  *tools = std::move(fresh);
  return static_cast<int>(doomed.size());
}

int DieBooleanBuilder::ApplyBooleanBodies(FEATURE_RECORD* /*frec*/, tag_t target, int targetBody, bool featureMode,
                                          double tolerance) const {
  std::optional<Stamvik::UndoMarkScope> mark;
  int status = 0;
  int previousPartition = 0;
  Stamvik::HostBlock<tag_t> selected;
  Stamvik::HostBlock<tag_t> kept;
  Stamvik::BodyArray copies;
  Stamvik::HostBlock<int> functions;
  try {
    if (!featureMode) {
      if (targetBody == 0) return kNoTarget;
      if (!ZV_ENTITY_is(targetBody)) return kTargetNotABody;
    } else if (target == 0) {
      return kNoTarget;
    }
    // The boolean feature's type is the builder's own; the kernel knows it by
    // its function token.
    const int type = GetBooleanOptions();
    int function = 0;
    switch (type) {
      case JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite:
        function = ZV_boolean_unite_c;
        break;
      case JA_DIE_BOOLEAN_BUILDER_boolean_type_Subtract:
        function = ZV_boolean_subtract_c;
        break;
      case JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect:
        function = ZV_boolean_intersect_c;
        break;
      default:
        return 0;
    }
    mark.emplace(nullptr);  // without a mark the boolean runs without a way back
    int n = 0;
    if (m_selectBodies != nullptr) m_selectBodies->ask_tags(&n, selected.out());
    if (n > 0) {
      const int body = featureMode ? kernelBodyOf(target) : targetBody;
      if (body == 0) ERROR_raise(kSource, 279, kTargetNotABody, "Application Body is invalid.");
      int current = 0;
      raiseKernelError(281, ZV_PARTITION_ask_current(&current), "give its current partition");
      previousPartition = current;
      int partition = 0;
      raiseKernelError(284, ZV_BODY_ask_partition(body, &partition), "give the target's partition");
      raiseKernelError(285, ZV_PARTITION_set_current(partition), "switch to the target's partition");
      if (featureMode) {
        // An edit applies its items again: what an earlier commit made of a
        // tool is kept when the operation is the same and replaced when not.
        std::vector<tag_t> tools(selected.get(), selected.get() + n);
        SettleEarlierBooleans(type, target, &tools);
        int keptCount = 0;
        FilterToolBodiesForUnite(function, target, static_cast<int>(tools.size()), tools.data(), &keptCount,
                                 kept.out());
        if (keptCount > 0) {
          // The tools go into the feature; undo brings them back to the list.
          m_selectBodies->clear();
          bool flag1 = false, flag2 = false;
          int made = 0;
          Stamvik::HostBlock<tag_t> features;
          status = JAUTL_BOOLEAN__create_boolean_feature(type, target, false, keptCount, kept.get(), false, false,
                                                         false, &flag1, &flag2, &made, features.out());
        }
      } else {
        *copies.bodies() = static_cast<int*>(SM_alloc(static_cast<std::size_t>(n) * sizeof(int)));
        functions.reset(static_cast<int*>(SM_alloc(static_cast<std::size_t>(n) * sizeof(int))));
        int& copyCount = *copies.count();
        bool complete = true;
        for (int i = 0; i < n && complete; ++i) {
          const int tool = kernelBodyOf(selected[i]);
          complete = ZV_ENTITY_is(tool);
          if (!complete) break;  // no boolean at all, and no copy kept
          int copy = 0;
          const int rc = DieDesUtilsSolvaneCopy(false, tool, &copy);
          if (copy != 0) copies.data()[copyCount++] = copy;
          raiseKernelError(310, rc, "copy a tool");
          raiseKernelError(311, ZV_PARTITION_move_body(partition, copy), "move a tool's copy");
          functions[copyCount - 1] = function;
        }
        if (complete) {
          ZV_BODY_boolean_o_t options;
          options.function = function;
          options.option_24 = 1;
          options.tolerance = tolerance * Kernel::ScaleFactors().factors[0];
          int result = 0;
          status = DIEDES_UTILS_boolean_bodies(targetBody, copyCount, copies.data(), functions.get(), function,
                                               &options, tolerance, "Performing boolean", &result);
        }
      }
    }
  } catch (const std::exception& e) {
    status = Error::HandleAsBuilder(e, kSource, 326);
  }
  if (copies.data() != nullptr) copies.Delete();
  functions.reset();
  kept.reset();
  if (previousPartition != 0) ZV_PARTITION_set_current(previousPartition);
  selected.reset();
  if (status == 0 && mark) mark->Commit();
  return status;
}

char* DieBooleanBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieBooleanBuilder"); }
int DieBooleanBuilder::commit() { return 0; }

void DieBooleanBuilder::destroy() { cascade_destroy(); }
void DieBooleanBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}
void DieBooleanBuilder::implement_destroy() {
  // The list goes with the model's next update, so that an undo can bring
  // it back with the builder.
  SELECT_OBJECT_list* list = m_selectBodies;
  if (list == nullptr) return;
  OM::SetReferencedObject(this, m_selectBodiesAttId, static_cast<OM::Object*>(nullptr));
  UPDATE_log_object_to_delete(list);
}

JA_DIE_BOOLEAN_BUILDER_boolean_type DieBooleanBuilder::GetBooleanOptions() const {
  int type = 0;
  OM::OM_ask_int(this, m_booleanOptionsAttId, &type);
  return static_cast<JA_DIE_BOOLEAN_BUILDER_boolean_type>(type);
}
void DieBooleanBuilder::SetBooleanOptions(JA_DIE_BOOLEAN_BUILDER_boolean_type type) {
  OM::OM_set_int(this, m_booleanOptionsAttId, type);
}

void DieBooleanBuilder::SetSelectBodies(SELECT_OBJECT_list* bodies) {
  OM::SetReferencedObject(this, m_selectBodiesAttId, bodies);
}
void DieBooleanBuilder::SetApplIsOverallRequired(bool required) {
  OM::LogForWrite(this);
  m_applIsOverallRequired = required;
}
void DieBooleanBuilder::SetApplScope(int scope) {
  OM::LogForWrite(this);
  m_applScope = scope;
}

}  // namespace KTX::DieDes
