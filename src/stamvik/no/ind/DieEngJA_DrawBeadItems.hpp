// Reading and writing the numbered items of the draw-bead parameter records
// (segment and taper): an absent item or position reads as the fallback, and
// a write goes only into an item the record has.
#pragma once
#include <cstring>
#include <vector>

#include "CommitPath.hpp"
#include "Support.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "om/ObjectManager.hpp"
#include "upd/Update.hpp"

namespace KTX::DieEngJA::Items {

inline DIEDES_GENERIC_ENTITY* item(const DIEDES_GENERIC_BODY_PARMS* parms, int index) {
  return index < parms->GetNumEntities() ? parms->GetEntity(index) : nullptr;
}

inline int intAt(const DIEDES_GENERIC_BODY_PARMS* parms, int index, int position, int fallback) {
  const DIEDES_GENERIC_ENTITY* entity = item(parms, index);
  if (entity == nullptr || entity->AskKind() != DIEDES_GENERIC_ENTITY::kInts || position >= entity->AskCount())
    return fallback;
  return entity->AskInt(position);
}

inline EXP_expression* expressionAt(const DIEDES_GENERIC_BODY_PARMS* parms, int index, int position) {
  const DIEDES_GENERIC_ENTITY* entity = item(parms, index);
  if (entity == nullptr || entity->AskKind() != DIEDES_GENERIC_ENTITY::kExpressions ||
      position >= entity->AskCount())
    return nullptr;
  return entity->AskExpression(position);
}

// The expression at the position read back as a new copy the caller owns
// (null for none): a builder opened on a feature works on copies, so that a
// value set through it reaches the feature only when a commit writes it.
inline EXP_expression* copyAt(const DIEDES_GENERIC_BODY_PARMS* parms, int index, int position, const char* source,
                              int line) {
  return Stamvik::CopyOfExpression(expressionAt(parms, index, position), source, line);
}

inline tag_t tagAt(const DIEDES_GENERIC_BODY_PARMS* parms, int index, int position) {
  const DIEDES_GENERIC_ENTITY* entity = item(parms, index);
  if (entity == nullptr || entity->AskKind() != DIEDES_GENERIC_ENTITY::kTags || position >= entity->AskCount())
    return 0;
  return entity->AskTag(position);
}

// Each write returns 0 or the host's failure; nothing for an item the record lacks.
inline int writeInts(DIEDES_GENERIC_BODY_PARMS* parms, int index, const std::vector<int>& values) {
  DIEDES_GENERIC_ENTITY* entity = item(parms, index);
  const DIEDES_ENTITY_CONTEXT context{0, OM_ask_subobject_owner(parms), {}};
  return entity == nullptr ? 0 : entity->SetInts(&context, static_cast<int>(values.size()), values.data());
}

// Where the item already holds an expression at a position (the feature's
// own, which an edit's builder read back as a copy), that expression is given
// the value's text (when set through the builder: Stamvik::WriteCopyInto)
// and stays in the item, so the feature keeps its
// expressions and their tags; a position new to the item takes the value.
inline int writeExpressions(DIEDES_GENERIC_BODY_PARMS* parms, int index, const std::vector<EXP_expression*>& values) {
  DIEDES_GENERIC_ENTITY* entity = item(parms, index);
  if (entity == nullptr) return 0;
  std::vector<EXP_expression*> kept = values;
  if (entity->AskKind() == DIEDES_GENERIC_ENTITY::kExpressions)
    for (int i = 0; i < entity->AskCount() && i < static_cast<int>(kept.size()); ++i) {
      EXP_expression* own = entity->AskExpression(i);
      if (own == nullptr || kept[i] == nullptr || own == kept[i]) continue;
      // Only a value given through the builder since it read the feature.
      if (const int rc = Stamvik::WriteCopyInto(own, kept[i]); rc != 0) return rc;
      kept[i] = own;
    }
  const DIEDES_ENTITY_CONTEXT context{0, OM_ask_subobject_owner(parms), {}};
  return entity->SetExpressions(&context, static_cast<int>(kept.size()), kept.data());
}

inline int writeTags(DIEDES_GENERIC_BODY_PARMS* parms, int index, const std::vector<tag_t>& values) {
  DIEDES_GENERIC_ENTITY* entity = item(parms, index);
  const DIEDES_ENTITY_CONTEXT context{0, OM_ask_subobject_owner(parms), {}};
  return entity == nullptr ? 0 : entity->SetTags(&context, static_cast<int>(values.size()), values.data());
}

// Stores `replacement` in the owned expression field; the expression it
// replaces, when there was one and it differs, is detached and logged for
// deletion, also when the replacement is none.
inline void replaceExpression(OM::Object* owner, const OM::AttributeId& attribute, EXP_expression* current,
                              EXP_expression* replacement) {
  if (current != nullptr && current != replacement) UPDATE_log_object_to_delete(current);
  OM::OM_set_pointer(owner, attribute, replacement);
}

}  // namespace KTX::DieEngJA::Items
