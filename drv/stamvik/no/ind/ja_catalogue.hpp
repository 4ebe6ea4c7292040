// The catalogue of published classes: one row per journal class the library
// publishes. Everything that lists the classes is made from these rows: the
// builders' and collections' units and owners (ja_unit_source.hpp), the
// feature classes' units and owners (ja_feature_units.cpp), the load
// anchors (ja_force_load.cpp), the declarations of the load steps
// (LoadOrder.cpp), and, through ja_catalogue_descriptions.hpp (its include
// lines written from these rows by drv/CatalogueDescriptions.cmake), whatever
// reads every description (the scripting binding, the dialogs' previews,
// the declarations of the exports).
//
// A row is one of
//   BUILDER(Area, Class, Namespace, unit, MEMBERS, EXPORT, OwnerLine)
//     a builder: journal class "Area.Class", its C++ class
//     KTX::Namespace::Class (whose registration is a load step), its
//     description "unit.hpp" with the member table MEMBERS, its exports
//     XJA_EXPORT_..., its property owner Area_ClassPropertyOwner, whose
//     errors name the source "drv/stamvik/no/ind/Area_ClassPropertyOwner"
//     and the line OwnerLine (data the error reports show: keep it);
//   COLLECTION(Area, Class, unit, MEMBERS, EXPORT, Enumerate, Name...)
//     a collection, as a builder but with no C++ class of its own and no
//     owner; its interface hands out Enumerate, exported under
//     XJA_<Name>_enumerate (the first name defines it, any further name is
//     the same function under another name, made beside it);
//   FEATURE(Area, Class, unit, "Parent" [, false])
//     the journal class of a feature a builder makes: no members, no
//     interface; its owner forwards to Parent's; `false` when its set-up
//     creates the class without looking Parent up first.
// Every row also has its load anchor XJA_Class_force_load and its unit load
// step KTX::JA::LoadClassUnit. A builder's or collection's unit and owner are
// made in ja_units_<n>.cpp (ja_unit_source.hpp), a feature's in
// ja_feature_units.cpp: a row needs no source of its own.
//
// The rows are in the order the binding lists the classes: die design, then
// tooling, then vehicle design; a feature after the builder that makes it.
#pragma once

// clang-format off
#define JA_CATALOGUE(BUILDER, COLLECTION, FEATURE)                                                                                                                    \
  BUILDER(Die, CastReliefBuilder, DieDesJA, ja_die_cast_relief_builder_jam, JA_DIE_CAST_RELIEF_BUILDER_MEMBERS, CAST_RELIEF_BUILDER, 13)                              \
  FEATURE(Die, CastRelief, ja_die_cast_relief_jam, "Features.BodyFeature")                                                                                            \
  BUILDER(Die, ClampingSlotBuilder, DieDesJA, ja_die_clamping_slot_builder_jam, JA_DIE_CLAMPING_SLOT_BUILDER_MEMBERS, CLAMPING_SLOT_BUILDER, 13)                      \
  FEATURE(Die, ClampingSlot, ja_die_clamping_slot_jam, "Features.BodyFeature")                                                                                        \
  BUILDER(Die, ClearanceBuilder, DieDesJA, ja_die_clearance_builder_jam, JA_DIE_CLEARANCE_BUILDER_MEMBERS, CLEARANCE_BUILDER, 13)                                     \
  FEATURE(Die, Clearance, ja_die_clearance_jam, "Features.BodyFeature")                                                                                               \
  BUILDER(Die, CompensateRoughDataBuilder, DieEngJA, ja_die_compensate_rough_data_builder_jam, JA_DIE_COMPENSATE_ROUGH_DATA_BUILDER_MEMBERS,                          \
          COMPENSATE_ROUGH_DATA_BUILDER, 13)                                                                                                                          \
  BUILDER(Die, DieBooleanBuilder, DieDes, ja_die_die_boolean_builder_jam, JA_DIE_DIE_BOOLEAN_BUILDER_MEMBERS, DIE_BOOLEAN_BUILDER, 13)                                \
  COLLECTION(Die, DieCollection, ja_die_die_collection_jam, JA_DIE_DIE_COLLECTION_MEMBERS, FEATURE_DIE, JAX_DieCollection_enumerate, DieCollection)                   \
  BUILDER(Die, DieDirectionBuilder, DieDes, ja_die_die_direction_builder_jam, JA_DIE_DIE_DIRECTION_BUILDER_MEMBERS, DIE_DIRECTION_BUILDER, 15)                        \
  BUILDER(Die, DieLocationBuilder, DieDesJA, ja_die_die_location_builder_jam, JA_DIE_DIE_LOCATION_BUILDER_MEMBERS, DIE_LOCATION_BUILDER, 13)                          \
  BUILDER(Die, DieLocationsBuilder, DieDesJA, ja_die_die_locations_builder_jam, JA_DIE_DIE_LOCATIONS_BUILDER_MEMBERS, DIE_LOCATIONS_BUILDER, 13)                      \
  BUILDER(Die, DiePlaneBuilder, DieDes, ja_die_die_plane_builder_jam, JA_DIE_DIE_PLANE_BUILDER_MEMBERS, DIE_PLANE_BUILDER, 15)                                        \
  BUILDER(Die, DieShoeBuilder, DieDes, ja_die_die_shoe_builder_jam, JA_DIE_DIE_SHOE_BUILDER_MEMBERS, DIE_SHOE_BUILDER, 13)                                            \
  FEATURE(Die, DieShoe, ja_die_die_shoe_jam, "Features.BodyFeature")                                                                                                  \
  BUILDER(Die, DrawBeadBuilder, DieEngJA, ja_die_draw_bead_builder_jam, JA_DIE_DRAW_BEAD_BUILDER_MEMBERS, DRAW_BEAD_BUILDER, 13)                                      \
  FEATURE(Die, DrawBead, ja_die_draw_bead_jam, "Features.BodyFeature")                                                                                                \
  BUILDER(Die, DrawBeadSegmentBuilder, DieEngJA, ja_die_draw_bead_segment_builder_jam, JA_DIE_DRAW_BEAD_SEGMENT_BUILDER_MEMBERS, DRAW_BEAD_SEGMENT_BUILDER, 13)       \
  BUILDER(Die, DrawBeadTaperBuilder, DieEngJA, ja_die_draw_bead_taper_builder_jam, JA_DIE_DRAW_BEAD_TAPER_BUILDER_MEMBERS, DRAW_BEAD_TAPER_BUILDER, 13)               \
  BUILDER(Die, FillAreaBuilder, DieDesJA, ja_die_fill_area_builder_jam, JA_DIE_FILL_AREA_BUILDER_MEMBERS, FILL_AREA_BUILDER, 13)                                      \
  FEATURE(Die, FillArea, ja_die_fill_area_jam, "Features.BodyFeature")                                                                                                \
  BUILDER(Die, FingerClearanceNotchBuilder, DieDesJA, ja_die_finger_clearance_notch_builder_jam, JA_DIE_FINGER_CLEARANCE_NOTCH_BUILDER_MEMBERS,                       \
          FINGER_CLEARANCE_NOTCH_BUILDER, 13)                                                                                                                         \
  FEATURE(Die, FingerClearanceNotch, ja_die_finger_clearance_notch_jam, "Features.BodyFeature")                                                                       \
  BUILDER(Die, HandlingCoreBuilder, DieDesJA, ja_die_handling_core_builder_jam, JA_DIE_HANDLING_CORE_BUILDER_MEMBERS, HANDLING_CORE_BUILDER, 13)                      \
  FEATURE(Die, HandlingCore, ja_die_handling_core_jam, "Features.BodyFeature")                                                                                        \
  BUILDER(Die, HeelpostBuilder, DieDesJA, ja_die_heelpost_builder_jam, JA_DIE_HEELPOST_BUILDER_MEMBERS, HEELPOST_BUILDER, 13)                                         \
  FEATURE(Die, Heelpost, ja_die_heelpost_jam, "Features.BodyFeature")                                                                                                 \
  BUILDER(Die, KeywayBuilder, DieDesJA, ja_die_keyway_builder_jam, JA_DIE_KEYWAY_BUILDER_MEMBERS, KEYWAY_BUILDER, 13)                                                 \
  FEATURE(Die, Keyway, ja_die_keyway_jam, "Features.BodyFeature")                                                                                                     \
  BUILDER(Die, MachineReliefBuilder, DieDesJA, ja_die_machine_relief_builder_jam, JA_DIE_MACHINE_RELIEF_BUILDER_MEMBERS, MACHINE_RELIEF_BUILDER, 13)                  \
  FEATURE(Die, MachineRelief, ja_die_machine_relief_jam, "Features.BodyFeature")                                                                                      \
  BUILDER(Die, SpringbackCompensationBuilder, DieEngJA, ja_die_springback_compensation_builder_jam, JA_DIE_SPRINGBACK_COMPENSATION_BUILDER_MEMBERS,                   \
          SPRINGBACK_COMPENSATION_BUILDER, 13)                                                                                                                        \
  FEATURE(Die, SpringbackCompensation, ja_die_springback_compensation_jam, "Features.BodyFeature")                                                                    \
  FEATURE(Features, CompensateRoughData, ja_features_compensate_rough_data_jam, "Features.BodyFeature")                                                               \
  /* The auto-die collection's enumerator is also the vehicle-design collection's: one function, two names. */                                                        \
  COLLECTION(Tooling, AutoDieCollection, ja_tooling_auto_die_collection_jam, JA_TOOLING_AUTO_DIE_COLLECTION_MEMBERS, AUTO_DIE, JAX_Collection_enumerate,              \
             AutoDieCollection, AutomotiveCollection)                                                                                                                 \
  FEATURE(Tooling, AutoDieGroup, ja_tooling_auto_die_group_jam, "TaggedObject", false)                                                                                \
  BUILDER(Tooling, DieDesDrawDieBuilder, Tooling, ja_tooling_die_des_draw_die_builder_jam, JA_TOOLING_DIE_DES_DRAW_DIE_BUILDER_MEMBERS, DIE_DES_DRAW_DIE_BUILDER, 13) \
  BUILDER(Tooling, DieDesDrawPunchBuilder, Tooling, ja_tooling_die_des_draw_punch_builder_jam, JA_TOOLING_DIE_DES_DRAW_PUNCH_BUILDER_MEMBERS,                         \
          DIE_DES_DRAW_PUNCH_BUILDER, 13)                                                                                                                             \
  BUILDER(Tooling, DieDesPierceInsertBuilder, Tooling, ja_tooling_die_des_pierce_insert_builder_jam, JA_TOOLING_DIE_DES_PIERCE_INSERT_BUILDER_MEMBERS,                \
          DIE_DES_PIERCE_INSERT_BUILDER, 13)                                                                                                                          \
  BUILDER(Tooling, DieEngFormTaskBuilder, Tooling, ja_tooling_die_eng_form_task_builder_jam, JA_TOOLING_DIE_ENG_FORM_TASK_BUILDER_MEMBERS,                            \
          DIE_ENG_FORM_TASK_BUILDER, 13)                                                                                                                              \
  COLLECTION(Features, AutomotiveCollection, ja_features_automotive_collection_jam, JA_FEATURES_AUTOMOTIVE_COLLECTION_MEMBERS, FEATURE_AUTOMOTIVE_COLLECTION,         \
             JAX_Collection_enumerate)                                                                                                                                \
  BUILDER(Features, ManikinBuilder, VDJA, ja_features_manikin_builder_jam, JA_FEATURES_MANIKIN_BUILDER_MEMBERS, MANIKIN_BUILDER, 13)                                  \
  FEATURE(Features, Manikin, ja_features_manikin_jam, "Features.Feature")                                                                                             \
  BUILDER(Features, TireEnvelopeBuilder, VDJA, ja_features_tire_envelope_builder_jam, JA_FEATURES_TIRE_ENVELOPE_BUILDER_MEMBERS, TIRE_ENVELOPE_BUILDER, 13)           \
  FEATURE(Features, TireEnvelope, ja_features_tire_envelope_jam, "Features.BodyFeature")
// clang-format on

#define JA_CATALOGUE_NOTHING(...)
#define JA_CATALOGUE_STR_I(...) #__VA_ARGS__
#define JA_CATALOGUE_STR(...) JA_CATALOGUE_STR_I(__VA_ARGS__)

// ---- the load steps each row has, declared for the load table --------------------------

#define JA_CATALOGUE_LOAD_STEPS_BUILDER(Area, Class, Namespace, ...) \
  namespace KTX::Namespace {                                         \
  void Load##Class##Registration();                                  \
  }                                                                  \
  namespace KTX::JA {                                                \
  void Load##Area##_##Class##PropertyOwner();                        \
  void Load##Class##Unit();                                          \
  }
#define JA_CATALOGUE_LOAD_STEPS_COLLECTION(Area, Class, ...) \
  namespace KTX::JA {                                        \
  void Load##Class##Unit();                                  \
  }
#define JA_CATALOGUE_LOAD_STEPS_FEATURE(Area, Class, ...) \
  namespace KTX::JA {                                     \
  void Load##Area##_##Class##PropertyOwner();             \
  void Load##Class##Unit();                               \
  }
#define JA_CATALOGUE_LOAD_STEPS                                                                               \
  JA_CATALOGUE(JA_CATALOGUE_LOAD_STEPS_BUILDER, JA_CATALOGUE_LOAD_STEPS_COLLECTION, JA_CATALOGUE_LOAD_STEPS_FEATURE)

// ---- the rows as data ----------------------------------------------------------------

namespace KTX::JA {

enum class CatalogueKind { Builder, Collection, Feature };

struct CatalogueRow {
  CatalogueKind kind;
  const char* journalClass;  // "Area.Class"
  const char* anchor;        // Class, of XJA_Class_force_load
  const char* registration;  // "KTX::Namespace::Class" of a builder, else nullptr
  bool owner;                // whether it has a property owner
};

#define JA_CATALOGUE_ROW_BUILDER(Area, Class, Namespace, ...) \
  CatalogueRow{CatalogueKind::Builder, #Area "." #Class, #Class, "KTX::" #Namespace "::" #Class, true},
#define JA_CATALOGUE_ROW_COLLECTION(Area, Class, ...) \
  CatalogueRow{CatalogueKind::Collection, #Area "." #Class, #Class, nullptr, false},
#define JA_CATALOGUE_ROW_FEATURE(Area, Class, ...) \
  CatalogueRow{CatalogueKind::Feature, #Area "." #Class, #Class, nullptr, true},
inline constexpr CatalogueRow kCatalogue[] = {
    JA_CATALOGUE(JA_CATALOGUE_ROW_BUILDER, JA_CATALOGUE_ROW_COLLECTION, JA_CATALOGUE_ROW_FEATURE)};
#undef JA_CATALOGUE_ROW_BUILDER
#undef JA_CATALOGUE_ROW_COLLECTION
#undef JA_CATALOGUE_ROW_FEATURE

}  // namespace KTX::JA
