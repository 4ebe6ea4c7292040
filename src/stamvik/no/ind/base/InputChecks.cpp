#include "InputChecks.hpp"

#include <vector>

#include "sel/Selection.hpp"

namespace KTX::Stamvik {
namespace {

struct Registered {
  const int* classId;
  InputCheck check;
};

std::vector<Registered>& Registry() {
  static std::vector<Registered> registry;
  return registry;
}

// Sub-builders hold sub-builders a few levels deep at most; a chain longer
// than this is a loop, which is not followed.
constexpr int kDeepest = 8;

int CheckObject(const JAX_BASE_BUILDER* validated, OM::Object* object, int depth) {
  if (object == nullptr || depth > kDeepest) return 0;
  for (const Registered& r : Registry())
    if (*r.classId != 0 && *r.classId == object->OmClassId()) return r.check(validated, object, depth);
  return 0;
}

// One selected tag: nothing, something gone, a builder, the edited feature, or an input.
int CheckTag(const JAX_BASE_BUILDER* validated, tag_t tag, const InputRefusals& refusals) {
  if (tag == 0) return 0;
  if (OM::OM_is_deleted_tag(tag)) return refusals.objectGone;
  OM::Object* object = OM::OM_object_of_tag(tag);
  // Not the object manager's (a kernel entity's tag): the builder's own checks judge it.
  if (object == nullptr) return 0;
  if (dynamic_cast<const JAX_BASE_BUILDER*>(object) != nullptr) return refusals.notAModelObject;
  if (const auto* feature = dynamic_cast<const JAX_FEAT_BUILDER*>(validated); feature != nullptr) {
    const FEATURE_RECORD* edited = feature->get_frec();
    if (edited != nullptr && edited == object) return refusals.ownFeature;
  }
  return 0;
}

int CheckTags(const JAX_BASE_BUILDER* validated, const TagListObject& list, const InputRefusals& refusals) {
  const int count = list.ask_count();
  for (int i = 0; i < count; ++i)
    if (int rc = CheckTag(validated, list.ask_nth(i), refusals); rc != 0) return rc;
  return 0;
}

}  // namespace

void RegisterInputCheck(const int* classId, InputCheck check) {
  for (Registered& r : Registry())
    if (r.classId == classId) {
      r.check = check;
      return;
    }
  Registry().push_back({classId, check});
}

int CheckInputs(const JAX_BASE_BUILDER* builder) {
  return CheckObject(builder, const_cast<JAX_BASE_BUILDER*>(builder), 0);
}

int CheckHeld(const JAX_BASE_BUILDER* validated, OM::Object* held, const InputRefusals& refusals, int depth) {
  if (const auto* one = dynamic_cast<const SELECT_OBJECT*>(held)) return CheckTag(validated, one->ask_selected_tag(), refusals);
  if (const auto* list = dynamic_cast<const SELECT_OBJECT_list*>(held)) return CheckTags(validated, *list, refusals);
  if (const auto* collector = dynamic_cast<const SC_collector*>(held)) return CheckTags(validated, *collector, refusals);
  if (const auto* items = dynamic_cast<const UICOMPJA_list*>(held)) {
    const int count = items->size();
    for (int i = 0; i < count; ++i)
      if (int rc = CheckObject(validated, items->ask_item(i), depth + 1); rc != 0) return rc;
    return 0;
  }
  if (dynamic_cast<const JAX_BASE_BUILDER*>(held) != nullptr) return CheckObject(validated, held, depth + 1);
  return 0;
}

}  // namespace KTX::Stamvik
