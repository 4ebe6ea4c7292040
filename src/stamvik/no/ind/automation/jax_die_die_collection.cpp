// The creators and the enumerator of the scripting collection
// "Die.DieCollection". The collection is the part: its tag is the part's tag.
// Each creator follows one of a few recipes that differ in what they convert,
// what they pass to which factory, and whether the result is cleared first.
#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/DieFeatureBuilders.hpp"
#include "ja_die_die_collection_jam.hpp"
#include "sys/Error.hpp"

using namespace KTX;

namespace {

constexpr const char* kSource = "jax_die_die_collection";

// The checked conversions: 0 gives none; a deleted tag or one of another class raises.
FEATURE_RECORD* FeatureOf(tag_t input) { return OM::TagToObject<FEATURE_RECORD>(input); }
PART_part* PartOf(tag_t collection) { return OM::TagToObject<PART_part>(collection); }

// A host factory that gave no builder: the caller gets no tag at all, neither
// its own value back nor one made of nothing, and a failure instead of success.
[[noreturn]] void NoBuilder(tag_t* result, int line) {
  *result = 0;
  ERROR_raise(kSource, line, Error::kBadObject, "The factory made no builder.");
}

// A host builder for the input feature alone; the collection is not looked at.
template <class Factory>
int ByObject(tag_t input, tag_t* result) {
  *result = 0;
  OM::TaggedObject* made = Factory::object(FeatureOf(input));
  if (made != nullptr) *result = made->ask_tag();
  return 0;
}

// A host builder for the part's modelling part and the input feature.
template <class Factory>
int HostForFeature(tag_t collection, tag_t input, tag_t* result) {
  FEATURE_RECORD* frec = FeatureOf(input);
  CM_part* modelPart = PART_ask_cm_part_of_part_p(PartOf(collection));
  OM::Object* made = Factory::Create(modelPart, frec);
  if (made == nullptr) NoBuilder(result, __LINE__);
  *result = OM::OM_ask_object_tag(made);
  return 0;
}

// A host builder for the part.
template <class Factory>
int HostForPart(tag_t collection, tag_t* result) {
  OM::Object* made = Factory::Create(PartOf(collection));
  if (made == nullptr) NoBuilder(result, __LINE__);
  *result = OM::OM_ask_object_tag(made);
  return 0;
}

// One of the library's own feature builders: new for input 0, else editing
// the input feature (its factory raises when the feature is of another kind).
template <class Factory>
int OwnForFeature(tag_t collection, tag_t input, tag_t* result) {
  *result = 0;
  FEATURE_RECORD* frec = FeatureOf(input);
  CM_part* modelPart = PART_ask_cm_part_of_part_p(PartOf(collection));
  OM::TaggedObject* made = Factory::Create(modelPart, frec);
  if (made != nullptr) *result = made->ask_tag();
  return 0;
}

}  // namespace

int JAX_FEATURE_DIE_draw_die_punch(tag_t, tag_t drawDiePunch, tag_t* builder) { return ByObject<DieDdpnchFeatBuilderFactory>(drawDiePunch, builder); }

int JAX_FEATURE_DIE_form_task(tag_t, tag_t formTask, tag_t* builder) { return ByObject<DieFrmtskFeatBuilderFactory>(formTask, builder); }

int JAX_FEATURE_DIE_rotor(tag_t, tag_t rotor, tag_t* builder) { return ByObject<DieRotorFeatBuilderFactory>(rotor, builder); }

int JAX_FEATURE_DIE_flange_task(tag_t, tag_t flangeTask, tag_t* builder) { return ByObject<DieFlgtskFeatBuilderFactory>(flangeTask, builder); }

int JAX_FEATURE_DIE_trim_task(tag_t, tag_t trimTask, tag_t* builder) { return ByObject<DieTrmtskFeatBuilderFactory>(trimTask, builder); }

int JAX_FEATURE_DIE_pierce_task(tag_t, tag_t pierceTask, tag_t* builder) { return ByObject<DiePrctskFeatBuilderFactory>(pierceTask, builder); }

int JAX_FEATURE_DIE_create_addendum_section_user_defined_builder(tag_t collection, tag_t* builder) {
  return HostForPart<DieEngJA::AddendumSectionUserDefinedBuilderFactory>(collection, builder);
}

int JAX_FEATURE_DIE_create_addendum_section_builder(tag_t collection, tag_t addSection, tag_t* builder) {
  return HostForFeature<DieEngJA::AddendumSectionBuilderFactory>(collection, addSection, builder);
}

int JAX_FEATURE_DIE_fill(tag_t, tag_t fill, tag_t* builder) { return ByObject<DieFillFeatBuilderFactory>(fill, builder); }

int JAX_FEATURE_DIE_lineup(tag_t, tag_t lineup, tag_t* builder) { return ByObject<DieLineupFeatBuilderFactory>(lineup, builder); }

int JAX_FEATURE_DIE_output_curves(tag_t, tag_t outcurves, tag_t* builder) { return ByObject<DieOutcurvesFeatBuilderFactory>(outcurves, builder); }

int JAX_FEATURE_DIE_steelinsert(tag_t, tag_t steelInsert, tag_t* builder) { return ByObject<DieSteelInsertFeatBuilderFactory>(steelInsert, builder); }

int JAX_FEATURE_DIE_create_quick_binder_builder(tag_t collection, tag_t quickBinder, tag_t* builder) {
  return HostForFeature<DieEngJA::QuickBinderBuilderFactory>(collection, quickBinder, builder);
}

int JAX_FEATURE_DIE_create_quick_binder_wrap_builder(tag_t collection, tag_t quickBinderWrap, tag_t* builder) {
  return HostForFeature<DieEng::QuickBinderWrapBuilderFactory>(collection, quickBinderWrap, builder);
}

int JAX_FEATURE_DIE_create_trim_line_development_builder(tag_t collection, tag_t trimLineDevelopment, tag_t* builder) {
  return HostForFeature<DieEng::TrimLineDevelopmentBuilderFactory>(collection, trimLineDevelopment, builder);
}

int JAX_FEATURE_DIE_create_add_surf_builder(tag_t collection, tag_t addSurf, tag_t* builder) {
  return HostForFeature<DieEng::AddSurfBuilderFactory>(collection, addSurf, builder);
}

int JAX_FEATURE_DIE_face_sheet(tag_t, tag_t faceSheet, tag_t* builder) { return ByObject<DieFaceSheetFeatBuilderFactory>(faceSheet, builder); }

// Neither the collection nor the input is looked at.
int JAX_FEATURE_DIE_trim_flange_die_assistant(tag_t, tag_t, tag_t* builder) {
  *builder = 0;
  OM::TaggedObject* made = DieDes::TrimFlangeDieAssistantBuilderFactory::Create(nullptr, false);
  if (made != nullptr) *builder = made->ask_tag();
  return 0;
}

int JAX_FEATURE_DIE_die_shoe(tag_t collection, tag_t dieShoe, tag_t* builder) {
  return OwnForFeature<DieDes::DieShoeBuilderFactory>(collection, dieShoe, builder);
}

int JAX_FEATURE_DIE_create_die_attribute(tag_t collection, tag_t* item) {
  *item = 0;
  OM::TaggedObject* made = DieDes::DieAttributesBuilderFactory::Create(PartOf(collection), true, true, true);
  if (made != nullptr) *item = made->ask_tag();
  return 0;
}

int JAX_FEATURE_DIE_create_die_boolean(tag_t collection, tag_t* item) {
  *item = 0;
  OM::TaggedObject* made = DieDes::DieBooleanBuilderFactory::Create(PartOf(collection));
  if (made != nullptr) *item = made->ask_tag();
  return 0;
}

// The feature is recorded, not used: always a new sub-builder.
int JAX_FEATURE_DIE_create_die_direction(tag_t collection, tag_t, tag_t* item) {
  *item = 0;
  OM::TaggedObject* made = DieDes::DieDirectionBuilderFactory::Create(PartOf(collection), true, true, true, true, true, true);
  if (made != nullptr) *item = made->ask_tag();
  return 0;
}

// The feature is recorded, not used: always a new sub-builder.
int JAX_FEATURE_DIE_create_die_plane(tag_t collection, tag_t, tag_t* item) {
  *item = 0;
  OM::TaggedObject* made = DieDes::DiePlaneBuilderFactory::Create(PartOf(collection), true, true, true, true, true);
  if (made != nullptr) *item = made->ask_tag();
  return 0;
}

int JAX_FEATURE_DIE_clamping_slot(tag_t collection, tag_t clampingSlot, tag_t* builder) {
  return OwnForFeature<DieDesJA::ClampingSlotBuilderFactory>(collection, clampingSlot, builder);
}

int JAX_FEATURE_DIE_compensate_rough_data(tag_t collection, tag_t compensateRoughData, tag_t* builder) {
  return OwnForFeature<DieEngJA::CompensateRoughDataBuilderFactory>(collection, compensateRoughData, builder);
}

int JAX_FEATURE_DIE_keyway(tag_t collection, tag_t keyway, tag_t* builder) {
  return OwnForFeature<DieDesJA::KeywayBuilderFactory>(collection, keyway, builder);
}

int JAX_FEATURE_DIE_heelpost(tag_t collection, tag_t heelpost, tag_t* builder) {
  return OwnForFeature<DieDesJA::HeelpostBuilderFactory>(collection, heelpost, builder);
}

int JAX_FEATURE_DIE_cast_relief(tag_t collection, tag_t castRelief, tag_t* builder) {
  return OwnForFeature<DieDesJA::CastReliefBuilderFactory>(collection, castRelief, builder);
}

int JAX_FEATURE_DIE_create_uncut_regions_builder(tag_t collection, tag_t* builder) {
  OM::TaggedObject* made = DieEngJA::UncutRegionsBuilderFactory::Create(PartOf(collection));
  if (made == nullptr) NoBuilder(builder, __LINE__);
  *builder = made->ask_tag();
  return 0;
}

int JAX_FEATURE_DIE_create_die_location(tag_t collection, tag_t* item) {
  *item = 0;
  OM::TaggedObject* made = DieDesJA::DieLocationBuilderFactory::CreateItem(PartOf(collection), true, true, true, true, true, true);
  if (made != nullptr) *item = made->ask_tag();
  return 0;
}

int JAX_FEATURE_DIE_create_die_limits(tag_t collection, tag_t* item) {
  *item = 0;
  OM::TaggedObject* made = DieDes::DieLimitsBuilderFactory::Create(PartOf(collection));
  if (made != nullptr) *item = made->ask_tag();
  return 0;
}

// The feature is recorded, not used; the seven flags go to the factory in order.
int JAX_FEATURE_DIE_create_die_locations(tag_t collection, tag_t, bool allowSelection, bool allowNewPoint,
                                         bool allowNewCoordinateSystem, bool allowNewVector, bool allowNewPlane,
                                         bool isRequired, bool allowMultipleSelection, tag_t* item) {
  *item = 0;
  OM::TaggedObject* made =
      DieDesJA::DieLocationsBuilderFactory::Create(PartOf(collection), allowSelection, allowNewPoint,
                                                   allowNewCoordinateSystem, allowNewVector, allowNewPlane,
                                                   isRequired, allowMultipleSelection);
  if (made != nullptr) *item = made->ask_tag();
  return 0;
}

int JAX_FEATURE_DIE_create_fill_area_builder(tag_t collection, tag_t fillArea, tag_t* builder) {
  return OwnForFeature<DieDesJA::FillAreaBuilderFactory>(collection, fillArea, builder);
}

int JAX_FEATURE_DIE_create_finger_clearance_notch_builder(tag_t collection, tag_t fingerClearanceNotch, tag_t* builder) {
  return OwnForFeature<DieDesJA::FingerClearanceNotchBuilderFactory>(collection, fingerClearanceNotch, builder);
}

int JAX_FEATURE_DIE_create_clearance_builder(tag_t collection, tag_t clearance, tag_t* builder) {
  return OwnForFeature<DieDesJA::ClearanceBuilderFactory>(collection, clearance, builder);
}

int JAX_FEATURE_DIE_create_handling_core_builder(tag_t collection, tag_t handlingCore, tag_t* builder) {
  return OwnForFeature<DieDesJA::HandlingCoreBuilderFactory>(collection, handlingCore, builder);
}

int JAX_FEATURE_DIE_create_machine_relief_builder(tag_t collection, tag_t machineRelief, tag_t* builder) {
  return OwnForFeature<DieDesJA::MachineReliefBuilderFactory>(collection, machineRelief, builder);
}

int JAX_FEATURE_DIE_create_draw_bead_builder(tag_t collection, tag_t drawBead, tag_t* builder) {
  return OwnForFeature<DieEngJA::DrawBeadBuilderFactory>(collection, drawBead, builder);
}

int JAX_FEATURE_DIE_create_springback_compensation_builder(tag_t collection, tag_t springbackCompensation, tag_t* builder) {
  return OwnForFeature<DieEngJA::SpringbackCompensationBuilderFactory>(collection, springbackCompensation, builder);
}

int JAX_DieCollection_enumerate(tag_t collection, tag_t* cursor) {
  tag_t frec = *cursor;
  ES_cycle_frecs(collection, &frec);
  while (frec != 0 && !DIEENG_is_dieeng_feature(OM::TagToObject<FEATURE_RECORD>(frec))) ES_cycle_frecs(collection, &frec);
  *cursor = frec;
  return 0;
}
