#include "DieDes_DieBooleanBuilder.hpp"

#include <exception>

#include "afl/BodyUtils.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"
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
}  // namespace

void DieBooleanBuilder::InitCreate(PART_part* part) {
  init_object(part);
  OM::SetReferencedObject(this, m_selectBodiesAttId, SELECT_OBJECT_listFactory::Create(ask_owning_part(), false));
}

int DieBooleanBuilder::validate_nothrow() {
  if (!m_applIsOverallRequired) return 0;
  if (m_selectBodies == nullptr) return 1;
  int count = 0;
  tag_t* tags = nullptr;
  m_selectBodies->ask_tags(&count, &tags);
  SM_free(tags);
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
  tag_t* selected = nullptr;
  m_selectBodies->ask_tags(&n, &selected);
  try {
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
  } catch (...) {
    SM_free(selected);
    throw;
  }
  SM_free(selected);
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
  if (grown == nullptr) ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for the selected objects");
  *tags = grown;
  for (int i = 0; i < n; ++i) grown[*count + i] = m_selectBodies->ask_nth(i);
  *count += n;
}

void DieBooleanBuilder::GetModifyingBrefs(FEATURE_RECORD* /*frec*/, int* count, tag_t** brefs) const {
  if (count == nullptr || brefs == nullptr || m_selectBodies == nullptr) return;
  int n = 0;
  tag_t* selected = nullptr;
  m_selectBodies->ask_tags(&n, &selected);
  if (n == 0) {
    SM_free(selected);
    return;
  }
  auto* grown = static_cast<tag_t*>(SM_crealloc(*brefs, static_cast<std::size_t>(*count + n) * sizeof(tag_t)));
  if (grown == nullptr) {
    SM_free(selected);
    ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for the body references");
  }
  *brefs = grown;
  try {
    for (int i = 0; i < n; ++i) {
      const tag_t bref = BREF_ask_bref_of_eidbody(selected[i]);
      if (bref != 0) grown[(*count)++] = bref;
    }
  } catch (...) {
    SM_free(selected);
    throw;
  }
  SM_free(selected);
}

int DieBooleanBuilder::GetSelectedBodies(JA_DIE_BOOLEAN_BUILDER_boolean_type type, int* count, tag_t** bodies) const {
  if (GetBooleanOptions() != type) return 0;
  if (m_selectBodies == nullptr || count == nullptr || bodies == nullptr) return 0;
  int n = 0;
  tag_t* selected = nullptr;
  try {
    m_selectBodies->ask_tags(&n, &selected);
    if (n > 0) {
      auto* grown =
          static_cast<tag_t*>(SM_crealloc(*bodies, static_cast<std::size_t>(*count + n) * sizeof(tag_t)));
      if (grown == nullptr) ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for the selected bodies");
      *bodies = grown;
      for (int i = 0; i < n; ++i) grown[*count + i] = selected[i];
      *count += n;
    }
    SM_free(selected);
    return 0;
  } catch (const std::exception& e) {
    SM_free(selected);
    // What the caller had gathered goes too: an emptied array is never left
    // holding a block nobody frees.
    SM_free(*bodies);
    *bodies = nullptr;
    *count = 0;
    return Error::HandleAsBuilder(e, kSource, __LINE__);
  }
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
