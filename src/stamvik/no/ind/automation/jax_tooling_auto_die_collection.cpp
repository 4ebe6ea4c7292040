// The creators and the enumerator of the scripting collection
// "Tooling.AutoDieCollection". The draw punch, draw die and pierce insert are
// made in the part that keeps the collection's object; the form task is made
// in the part whose tag the collection is.
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "Tooling_DieDesPierceInsertBuilder.hpp"
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "ja_tooling_auto_die_collection_jam.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Error.hpp"

using namespace KTX;

namespace {

constexpr const char* kSource = "src/stamvik/no/ind/jax_tooling_auto_die_collection";

// The part that keeps the collection's object; none raises before any
// factory runs, so no builder is made in no part.
PART_part* KeepingPart(tag_t collection, int line) {
  PART_part* part = PART_ask_part_of_object(collection);
  if (part == nullptr) ERROR_raise(kSource, line, Error::kBadObject, "The collection belongs to no part.");
  if (OM::OM_ask_checking_level() > 0) OM::OM_check_tag_class(kSource, line, part->OmTag(), PART_part::ThisClassId);
  return part;
}

// A feature set to edit: any live object; a tag of none is refused.
void CheckFeatureSet(tag_t featureSet, int line) {
  if (featureSet == 0 || OM::OM_object_of_tag(featureSet) != nullptr) return;
  if (OM::OM_is_deleted_tag(featureSet))
    ERROR_raise(kSource, line, Error::kDeletedTag, "The feature set has been deleted.");
  ERROR_raise(kSource, line, Error::kBadObject, "The feature set is no object.");
}

// A factory that gave no builder: a failure, and no tag for the caller.
int Made(OM::TaggedObject* made, tag_t* result, int line) {
  if (made == nullptr) {
    *result = 0;
    ERROR_raise(kSource, line, Error::kBadObject, "The factory made no builder.");
  }
  *result = made->ask_tag();
  return 0;
}

}  // namespace

int JAX_AUTO_DIE_create_die_des_draw_punch_builder(tag_t collection, tag_t featureSet, tag_t* builder) {
  *builder = 0;
  PART_part* part = KeepingPart(collection, 52);
  CheckFeatureSet(featureSet, 53);
  return Made(Tooling::DieDesDrawPunchBuilderFactory::Create(featureSet, part), builder, 54);
}

int JAX_AUTO_DIE_create_die_des_draw_die_builder(tag_t collection, tag_t featureSet, tag_t* builder) {
  *builder = 0;
  PART_part* part = KeepingPart(collection, 111);
  CheckFeatureSet(featureSet, 112);
  return Made(Tooling::DieDesDrawDieBuilderFactory::Create(featureSet, part), builder, 113);
}

int JAX_AUTO_DIE_create_die_eng_form_task_builder(tag_t collection, tag_t dieEngFormTask, tag_t* builder) {
  *builder = 0;
  FEATURE_RECORD* frec = OM::TagToObject<FEATURE_RECORD>(dieEngFormTask);
  PART_part* part = OM::TagToObject<PART_part>(collection);
  if (part == nullptr) ERROR_raise(kSource, 140, Error::kBadObject, "The collection is no part.");
  CM_part* modelPart = PART_ask_cm_part_of_part_p(part);
  return Made(Tooling::DieEngFormTaskBuilderFactory::Create(modelPart, frec), builder, 143);
}

int JAX_AUTO_DIE_create_die_des_pierce_insert_builder(tag_t collection, tag_t* builder) {
  *builder = 0;
  PART_part* part = KeepingPart(collection, 90);
  return Made(Tooling::DieDesPierceInsertBuilderFactory::Create(part), builder, 91);
}

int JAX_Collection_enumerate(tag_t, tag_t*) { return 0; }
