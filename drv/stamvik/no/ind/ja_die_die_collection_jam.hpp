// Scripting collection "Die.DieCollection": the part seen as the collection
// that creates every die-design and die-engineering builder for scripts, and
// enumerates the part's die-engineering features. Its description and its
// automation interface; the member table is in interface order. The creators'
// bodies are hand-written (jax_die_die_collection.cpp).
#pragma once
#include "ja_value_types.hpp"

// The creators' method bodies: the collection's tag (the part's), the input,
// the result tag. Each returns 0 once it completes; failures are raised.
int JAX_FEATURE_DIE_draw_die_punch(KTX::tag_t collection, KTX::tag_t drawDiePunch, KTX::tag_t* builder);
int JAX_FEATURE_DIE_form_task(KTX::tag_t collection, KTX::tag_t formTask, KTX::tag_t* builder);
int JAX_FEATURE_DIE_rotor(KTX::tag_t collection, KTX::tag_t rotor, KTX::tag_t* builder);
int JAX_FEATURE_DIE_flange_task(KTX::tag_t collection, KTX::tag_t flangeTask, KTX::tag_t* builder);
int JAX_FEATURE_DIE_trim_task(KTX::tag_t collection, KTX::tag_t trimTask, KTX::tag_t* builder);
int JAX_FEATURE_DIE_pierce_task(KTX::tag_t collection, KTX::tag_t pierceTask, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_addendum_section_user_defined_builder(KTX::tag_t collection, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_addendum_section_builder(KTX::tag_t collection, KTX::tag_t addSection, KTX::tag_t* builder);
int JAX_FEATURE_DIE_fill(KTX::tag_t collection, KTX::tag_t fill, KTX::tag_t* builder);
int JAX_FEATURE_DIE_lineup(KTX::tag_t collection, KTX::tag_t lineup, KTX::tag_t* builder);
int JAX_FEATURE_DIE_output_curves(KTX::tag_t collection, KTX::tag_t outcurves, KTX::tag_t* builder);
int JAX_FEATURE_DIE_steelinsert(KTX::tag_t collection, KTX::tag_t steelInsert, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_quick_binder_builder(KTX::tag_t collection, KTX::tag_t quickBinder, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_quick_binder_wrap_builder(KTX::tag_t collection, KTX::tag_t quickBinderWrap, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_trim_line_development_builder(KTX::tag_t collection, KTX::tag_t trimLineDevelopment, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_add_surf_builder(KTX::tag_t collection, KTX::tag_t addSurf, KTX::tag_t* builder);
int JAX_FEATURE_DIE_face_sheet(KTX::tag_t collection, KTX::tag_t faceSheet, KTX::tag_t* builder);
int JAX_FEATURE_DIE_trim_flange_die_assistant(KTX::tag_t collection, KTX::tag_t nullFeature, KTX::tag_t* builder);
int JAX_FEATURE_DIE_die_shoe(KTX::tag_t collection, KTX::tag_t dieShoe, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_die_attribute(KTX::tag_t collection, KTX::tag_t* item);
int JAX_FEATURE_DIE_create_die_boolean(KTX::tag_t collection, KTX::tag_t* item);
int JAX_FEATURE_DIE_create_die_direction(KTX::tag_t collection, KTX::tag_t feature, KTX::tag_t* item);
int JAX_FEATURE_DIE_create_die_plane(KTX::tag_t collection, KTX::tag_t feature, KTX::tag_t* item);
int JAX_FEATURE_DIE_clamping_slot(KTX::tag_t collection, KTX::tag_t clampingSlot, KTX::tag_t* builder);
int JAX_FEATURE_DIE_compensate_rough_data(KTX::tag_t collection, KTX::tag_t compensateRoughData, KTX::tag_t* builder);
int JAX_FEATURE_DIE_keyway(KTX::tag_t collection, KTX::tag_t keyway, KTX::tag_t* builder);
int JAX_FEATURE_DIE_heelpost(KTX::tag_t collection, KTX::tag_t heelpost, KTX::tag_t* builder);
int JAX_FEATURE_DIE_cast_relief(KTX::tag_t collection, KTX::tag_t castRelief, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_uncut_regions_builder(KTX::tag_t collection, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_die_location(KTX::tag_t collection, KTX::tag_t* item);
int JAX_FEATURE_DIE_create_die_limits(KTX::tag_t collection, KTX::tag_t* item);
int JAX_FEATURE_DIE_create_die_locations(KTX::tag_t collection, KTX::tag_t feature, bool allowSelection, bool allowNewPoint,
    bool allowNewCoordinateSystem, bool allowNewVector, bool allowNewPlane, bool isRequired,
    bool allowMultipleSelection, KTX::tag_t* item);
int JAX_FEATURE_DIE_create_fill_area_builder(KTX::tag_t collection, KTX::tag_t fillArea, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_finger_clearance_notch_builder(KTX::tag_t collection, KTX::tag_t fingerClearanceNotch, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_clearance_builder(KTX::tag_t collection, KTX::tag_t clearance, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_handling_core_builder(KTX::tag_t collection, KTX::tag_t handlingCore, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_machine_relief_builder(KTX::tag_t collection, KTX::tag_t machineRelief, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_draw_bead_builder(KTX::tag_t collection, KTX::tag_t drawBead, KTX::tag_t* builder);
int JAX_FEATURE_DIE_create_springback_compensation_builder(KTX::tag_t collection, KTX::tag_t springbackCompensation, KTX::tag_t* builder);
// The enumerator: the cursor moves to the part's next die-engineering feature.
int JAX_DieCollection_enumerate(KTX::tag_t collection, KTX::tag_t* cursor);

void JA_DieCollection_initialize_class();
void JA_DieCollection_destroy_class();
void JA_DieCollection_test_print(const KTX::tag_t* tag, const char* tagName, int level);

namespace ja_die_die_collection_jam {
using namespace ::KTX::JA::Types;
using ::KTX::JA::ByTag;
using ::KTX::JA::In;
using ::KTX::JA::Result;
using ::KTX::JA::Signature;

struct Unit : ::KTX::JA::CollectionDefaults {
  static constexpr const char* journalClass = "Die.DieCollection";
  static constexpr const char* source = "ja_die_die_collection_jam";
  static constexpr std::uint32_t interfaceId = 0x5C73550C;
  static constexpr std::array<const char*, 1> dependencies{"Features.FeatureCollection"};
  // The classes the creators record, with the feature collection.
  static constexpr std::array<const char*, 1> extraClasses{"Features.FeatureCollection"};

  static inline ::KTX::JA::UnitState state;
  static constexpr auto initialize = &JA_DieCollection_initialize_class;
  static constexpr auto destroy = &JA_DieCollection_destroy_class;
  static constexpr auto testPrint = &JA_DieCollection_test_print;
};

// The journal classes the creators record, as tags.
using Die_AddSurfBuilder = ::KTX::JA::TagOf<"Die.AddSurfBuilder", "AddSurfBuilder">;
using Die_AddendumSectionBuilder = ::KTX::JA::TagOf<"Die.AddendumSectionBuilder", "AddendumSectionBuilder">;
using Die_AddendumSectionUserDefinedBuilder = ::KTX::JA::TagOf<"Die.AddendumSectionUserDefinedBuilder", "AddendumSectionUserDefinedBuilder">;
using Die_CastRelief = ::KTX::JA::TagOf<"Die.CastRelief", "CastRelief">;
using Die_CastReliefBuilder = ::KTX::JA::TagOf<"Die.CastReliefBuilder", "CastReliefBuilder">;
using Die_ClampingSlot = ::KTX::JA::TagOf<"Die.ClampingSlot", "ClampingSlot">;
using Die_ClampingSlotBuilder = ::KTX::JA::TagOf<"Die.ClampingSlotBuilder", "ClampingSlotBuilder">;
using Die_Clearance = ::KTX::JA::TagOf<"Die.Clearance", "Clearance">;
using Die_ClearanceBuilder = ::KTX::JA::TagOf<"Die.ClearanceBuilder", "ClearanceBuilder">;
using Die_CompensateRoughDataBuilder = ::KTX::JA::TagOf<"Die.CompensateRoughDataBuilder", "CompensateRoughDataBuilder">;
using Die_DieAttributesBuilder = ::KTX::JA::TagOf<"Die.DieAttributesBuilder", "DieAttributesBuilder">;
using Die_DieBooleanBuilder = ::KTX::JA::TagOf<"Die.DieBooleanBuilder", "DieBooleanBuilder">;
using Die_DieDirectionBuilder = ::KTX::JA::TagOf<"Die.DieDirectionBuilder", "DieDirectionBuilder">;
using Die_DieLimitsBuilder = ::KTX::JA::TagOf<"Die.DieLimitsBuilder", "DieLimitsBuilder">;
using Die_DieLocationBuilder = ::KTX::JA::TagOf<"Die.DieLocationBuilder", "DieLocationBuilder">;
using Die_DieLocationsBuilder = ::KTX::JA::TagOf<"Die.DieLocationsBuilder", "DieLocationsBuilder">;
using Die_DiePlaneBuilder = ::KTX::JA::TagOf<"Die.DiePlaneBuilder", "DiePlaneBuilder">;
using Die_DieShoe = ::KTX::JA::TagOf<"Die.DieShoe", "DieShoe">;
using Die_DieShoeBuilder = ::KTX::JA::TagOf<"Die.DieShoeBuilder", "DieShoeBuilder">;
using Die_DrawBead = ::KTX::JA::TagOf<"Die.DrawBead", "DrawBead">;
using Die_DrawBeadBuilder = ::KTX::JA::TagOf<"Die.DrawBeadBuilder", "DrawBeadBuilder">;
using Die_DrawDiePunchBuilder = ::KTX::JA::TagOf<"Die.DrawDiePunchBuilder", "DrawDiePunchBuilder">;
using Die_FaceSheetBuilder = ::KTX::JA::TagOf<"Die.FaceSheetBuilder", "FaceSheetBuilder">;
using Die_FillArea = ::KTX::JA::TagOf<"Die.FillArea", "FillArea">;
using Die_FillAreaBuilder = ::KTX::JA::TagOf<"Die.FillAreaBuilder", "FillAreaBuilder">;
using Die_FillBuilder = ::KTX::JA::TagOf<"Die.FillBuilder", "FillBuilder">;
using Die_FingerClearanceNotch = ::KTX::JA::TagOf<"Die.FingerClearanceNotch", "FingerClearanceNotch">;
using Die_FingerClearanceNotchBuilder = ::KTX::JA::TagOf<"Die.FingerClearanceNotchBuilder", "FingerClearanceNotchBuilder">;
using Die_FlangeTaskBuilder = ::KTX::JA::TagOf<"Die.FlangeTaskBuilder", "FlangeTaskBuilder">;
using Die_FormTaskBuilder = ::KTX::JA::TagOf<"Die.FormTaskBuilder", "FormTaskBuilder">;
using Die_HandlingCore = ::KTX::JA::TagOf<"Die.HandlingCore", "HandlingCore">;
using Die_HandlingCoreBuilder = ::KTX::JA::TagOf<"Die.HandlingCoreBuilder", "HandlingCoreBuilder">;
using Die_Heelpost = ::KTX::JA::TagOf<"Die.Heelpost", "Heelpost">;
using Die_HeelpostBuilder = ::KTX::JA::TagOf<"Die.HeelpostBuilder", "HeelpostBuilder">;
using Die_Keyway = ::KTX::JA::TagOf<"Die.Keyway", "Keyway">;
using Die_KeywayBuilder = ::KTX::JA::TagOf<"Die.KeywayBuilder", "KeywayBuilder">;
using Die_LineupBuilder = ::KTX::JA::TagOf<"Die.LineupBuilder", "LineupBuilder">;
using Die_MachineRelief = ::KTX::JA::TagOf<"Die.MachineRelief", "MachineRelief">;
using Die_MachineReliefBuilder = ::KTX::JA::TagOf<"Die.MachineReliefBuilder", "MachineReliefBuilder">;
using Die_OutputCurvesBuilder = ::KTX::JA::TagOf<"Die.OutputCurvesBuilder", "OutputCurvesBuilder">;
using Die_PierceTaskBuilder = ::KTX::JA::TagOf<"Die.PierceTaskBuilder", "PierceTaskBuilder">;
using Die_QuickBinderBuilder = ::KTX::JA::TagOf<"Die.QuickBinderBuilder", "QuickBinderBuilder">;
using Die_QuickBinderWrapBuilder = ::KTX::JA::TagOf<"Die.QuickBinderWrapBuilder", "QuickBinderWrapBuilder">;
using Die_RotorBuilder = ::KTX::JA::TagOf<"Die.RotorBuilder", "RotorBuilder">;
using Die_SpringbackCompensation = ::KTX::JA::TagOf<"Die.SpringbackCompensation", "SpringbackCompensation">;
using Die_SpringbackCompensationBuilder = ::KTX::JA::TagOf<"Die.SpringbackCompensationBuilder", "SpringbackCompensationBuilder">;
using Die_SteelInsertBuilder = ::KTX::JA::TagOf<"Die.SteelInsertBuilder", "SteelInsertBuilder">;
using Die_TrimFlangeDieAssistantBuilder = ::KTX::JA::TagOf<"Die.TrimFlangeDieAssistantBuilder", "TrimFlangeDieAssistantBuilder">;
using Die_TrimLineDevelopmentBuilder = ::KTX::JA::TagOf<"Die.TrimLineDevelopmentBuilder", "TrimLineDevelopmentBuilder">;
using Die_TrimTaskBuilder = ::KTX::JA::TagOf<"Die.TrimTaskBuilder", "TrimTaskBuilder">;
using Die_UncutRegionsBuilder = ::KTX::JA::TagOf<"Die.UncutRegionsBuilder", "UncutRegionsBuilder">;
using Features_CompensateRoughData = ::KTX::JA::TagOf<"Features.CompensateRoughData", "CompensateRoughData">;
using Features_Feature = ::KTX::JA::TagOf<"Features.Feature", "Feature">;
using Features_QuickBinder = ::KTX::JA::TagOf<"Features.QuickBinder", "QuickBinder">;

// Each creator's signature: the collection by tag, its input, its result.
using DrawDiePunchSignature = Signature<ByTag, -1, In<Features_Feature, "drawDiePunch">, Result<Die_DrawDiePunchBuilder, "builder">>;
using FormTaskSignature = Signature<ByTag, -1, In<Features_Feature, "formTask">, Result<Die_FormTaskBuilder, "builder">>;
using RotorSignature = Signature<ByTag, -1, In<Features_Feature, "rotor">, Result<Die_RotorBuilder, "builder">>;
using FlangeTaskSignature = Signature<ByTag, -1, In<Features_Feature, "flangeTask">, Result<Die_FlangeTaskBuilder, "builder">>;
using TrimTaskSignature = Signature<ByTag, -1, In<Features_Feature, "trimTask">, Result<Die_TrimTaskBuilder, "builder">>;
using PierceTaskSignature = Signature<ByTag, -1, In<Features_Feature, "pierceTask">, Result<Die_PierceTaskBuilder, "builder">>;
using CreateAddendumSectionUserDefinedBuilderSignature = Signature<ByTag, -1, Result<Die_AddendumSectionUserDefinedBuilder, "builder">>;
using CreateAddendumSectionBuilderSignature = Signature<ByTag, -1, In<Features_Feature, "addSection">, Result<Die_AddendumSectionBuilder, "builder">>;
using FillSignature = Signature<ByTag, -1, In<Features_Feature, "fill">, Result<Die_FillBuilder, "builder">>;
using LineupSignature = Signature<ByTag, -1, In<Features_Feature, "lineup">, Result<Die_LineupBuilder, "builder">>;
using OutputCurvesSignature = Signature<ByTag, -1, In<Features_Feature, "outcurves">, Result<Die_OutputCurvesBuilder, "builder">>;
using SteelinsertSignature = Signature<ByTag, -1, In<Features_Feature, "steelInsert">, Result<Die_SteelInsertBuilder, "builder">>;
using CreateQuickBinderBuilderSignature = Signature<ByTag, -1, In<Features_QuickBinder, "quickBinder">, Result<Die_QuickBinderBuilder, "builder">>;
using CreateQuickBinderWrapBuilderSignature = Signature<ByTag, -1, In<Features_Feature, "quickBinderWrap">, Result<Die_QuickBinderWrapBuilder, "builder">>;
using CreateTrimLineDevelopmentBuilderSignature = Signature<ByTag, -1, In<Features_Feature, "trimLineDevelopment">, Result<Die_TrimLineDevelopmentBuilder, "builder">>;
using CreateAddSurfBuilderSignature = Signature<ByTag, -1, In<Features_Feature, "addSurf">, Result<Die_AddSurfBuilder, "builder">>;
using FaceSheetSignature = Signature<ByTag, -1, In<Features_Feature, "faceSheet">, Result<Die_FaceSheetBuilder, "builder">>;
using TrimFlangeDieAssistantSignature = Signature<ByTag, -1, In<Features_Feature, "nullFeature">, Result<Die_TrimFlangeDieAssistantBuilder, "builder">>;
using DieShoeSignature = Signature<ByTag, -1, In<Die_DieShoe, "dieShoe">, Result<Die_DieShoeBuilder, "builder">>;
using CreateDieAttributeSignature = Signature<ByTag, -1, Result<Die_DieAttributesBuilder, "item">>;
using CreateDieBooleanSignature = Signature<ByTag, -1, Result<Die_DieBooleanBuilder, "item">>;
using CreateDieDirectionSignature = Signature<ByTag, -1, In<Features_Feature, "feature">, Result<Die_DieDirectionBuilder, "item">>;
using CreateDiePlaneSignature = Signature<ByTag, -1, In<Features_Feature, "feature">, Result<Die_DiePlaneBuilder, "item">>;
using ClampingSlotSignature = Signature<ByTag, -1, In<Die_ClampingSlot, "clampingSlot">, Result<Die_ClampingSlotBuilder, "builder">>;
using CompensateRoughDataSignature = Signature<ByTag, -1, In<Features_CompensateRoughData, "compensateRoughData">, Result<Die_CompensateRoughDataBuilder, "builder">>;
using KeywaySignature = Signature<ByTag, -1, In<Die_Keyway, "keyway">, Result<Die_KeywayBuilder, "builder">>;
using HeelpostSignature = Signature<ByTag, -1, In<Die_Heelpost, "heelpost">, Result<Die_HeelpostBuilder, "builder">>;
using CastReliefSignature = Signature<ByTag, -1, In<Die_CastRelief, "castRelief">, Result<Die_CastReliefBuilder, "builder">>;
using CreateUncutRegionsBuilderSignature = Signature<ByTag, -1, Result<Die_UncutRegionsBuilder, "builder">>;
using CreateDieLocationSignature = Signature<ByTag, -1, Result<Die_DieLocationBuilder, "item">>;
using CreateDieLimitsSignature = Signature<ByTag, -1, Result<Die_DieLimitsBuilder, "item">>;
using CreateDieLocationsSignature = Signature<ByTag, -1, In<Features_Feature, "feature">, In<Logical, "allowselection">, In<Logical, "allownewpoint">, In<Logical, "allownewcoordinatesystem">, In<Logical, "allownewvector">, In<Logical, "allownewplane">, In<Logical, "isrequired">, In<Logical, "allowmultipleselection">, Result<Die_DieLocationsBuilder, "item">>;
using CreateFillAreaBuilderSignature = Signature<ByTag, -1, In<Die_FillArea, "fillArea">, Result<Die_FillAreaBuilder, "builder">>;
using CreateFingerClearanceNotchBuilderSignature = Signature<ByTag, -1, In<Die_FingerClearanceNotch, "fingerClearanceNotch">, Result<Die_FingerClearanceNotchBuilder, "builder">>;
using CreateClearanceBuilderSignature = Signature<ByTag, -1, In<Die_Clearance, "clearance">, Result<Die_ClearanceBuilder, "builder">>;
using CreateHandlingCoreBuilderSignature = Signature<ByTag, -1, In<Die_HandlingCore, "handlingCore">, Result<Die_HandlingCoreBuilder, "builder">>;
using CreateMachineReliefBuilderSignature = Signature<ByTag, -1, In<Die_MachineRelief, "machineRelief">, Result<Die_MachineReliefBuilder, "builder">>;
using CreateDrawBeadBuilderSignature = Signature<ByTag, -1, In<Die_DrawBead, "drawBead">, Result<Die_DrawBeadBuilder, "builder">>;
using CreateSpringbackCompensationBuilderSignature = Signature<ByTag, -1, In<Die_SpringbackCompensation, "springbackCompensation">, Result<Die_SpringbackCompensationBuilder, "builder">>;


// clang-format off
#define JA_DIE_DIE_COLLECTION_MEMBERS(X) \
  X(method2, DrawDiePunch,                            DrawDiePunchSignature,                            JA_FUNCTION(JAX_FEATURE_DIE_draw_die_punch), 96, draw_die_punch) \
  X(method2, FormTask,                                FormTaskSignature,                                JA_FUNCTION(JAX_FEATURE_DIE_form_task), 150, form_task) \
  X(method2, Rotor,                                   RotorSignature,                                   JA_FUNCTION(JAX_FEATURE_DIE_rotor), 204, rotor) \
  X(method2, FlangeTask,                              FlangeTaskSignature,                              JA_FUNCTION(JAX_FEATURE_DIE_flange_task), 258, flange_task) \
  X(method2, TrimTask,                                TrimTaskSignature,                                JA_FUNCTION(JAX_FEATURE_DIE_trim_task), 312, trim_task) \
  X(method2, PierceTask,                              PierceTaskSignature,                              JA_FUNCTION(JAX_FEATURE_DIE_pierce_task), 366, pierce_task) \
  X(method1, CreateAddendumSectionUserDefinedBuilder, CreateAddendumSectionUserDefinedBuilderSignature, JA_FUNCTION(JAX_FEATURE_DIE_create_addendum_section_user_defined_builder), 420, create_addendum_section_user_defined_builder) \
  X(method2, CreateAddendumSectionBuilder,            CreateAddendumSectionBuilderSignature,            JA_FUNCTION(JAX_FEATURE_DIE_create_addendum_section_builder), 474, create_addendum_section_builder) \
  X(method2, Fill,                                    FillSignature,                                    JA_FUNCTION(JAX_FEATURE_DIE_fill), 528, fill) \
  X(method2, Lineup,                                  LineupSignature,                                  JA_FUNCTION(JAX_FEATURE_DIE_lineup), 582, lineup) \
  X(method2, OutputCurves,                            OutputCurvesSignature,                            JA_FUNCTION(JAX_FEATURE_DIE_output_curves), 636, output_curves) \
  X(method2, Steelinsert,                             SteelinsertSignature,                             JA_FUNCTION(JAX_FEATURE_DIE_steelinsert), 690, steelinsert) \
  X(method2, CreateQuickBinderBuilder,                CreateQuickBinderBuilderSignature,                JA_FUNCTION(JAX_FEATURE_DIE_create_quick_binder_builder), 744, create_quick_binder_builder) \
  X(method2, CreateQuickBinderWrapBuilder,            CreateQuickBinderWrapBuilderSignature,            JA_FUNCTION(JAX_FEATURE_DIE_create_quick_binder_wrap_builder), 798, create_quick_binder_wrap_builder) \
  X(method2, CreateTrimLineDevelopmentBuilder,        CreateTrimLineDevelopmentBuilderSignature,        JA_FUNCTION(JAX_FEATURE_DIE_create_trim_line_development_builder), 852, create_trim_line_development_builder) \
  X(method2, CreateAddSurfBuilder,                    CreateAddSurfBuilderSignature,                    JA_FUNCTION(JAX_FEATURE_DIE_create_add_surf_builder), 906, create_add_surf_builder) \
  X(method2, FaceSheet,                               FaceSheetSignature,                               JA_FUNCTION(JAX_FEATURE_DIE_face_sheet), 960, face_sheet) \
  X(method2, TrimFlangeDieAssistant,                  TrimFlangeDieAssistantSignature,                  JA_FUNCTION(JAX_FEATURE_DIE_trim_flange_die_assistant), 1014, trim_flange_die_assistant) \
  X(method2, DieShoe,                                 DieShoeSignature,                                 JA_FUNCTION(JAX_FEATURE_DIE_die_shoe), 1068, die_shoe) \
  X(method1, CreateDieAttribute,                      CreateDieAttributeSignature,                      JA_FUNCTION(JAX_FEATURE_DIE_create_die_attribute), 1122, create_die_attribute) \
  X(method1, CreateDieBoolean,                        CreateDieBooleanSignature,                        JA_FUNCTION(JAX_FEATURE_DIE_create_die_boolean), 1176, create_die_boolean) \
  X(method2, CreateDieDirection,                      CreateDieDirectionSignature,                      JA_FUNCTION(JAX_FEATURE_DIE_create_die_direction), 1230, create_die_direction) \
  X(method2, CreateDiePlane,                          CreateDiePlaneSignature,                          JA_FUNCTION(JAX_FEATURE_DIE_create_die_plane), 1284, create_die_plane) \
  X(method2, ClampingSlot,                            ClampingSlotSignature,                            JA_FUNCTION(JAX_FEATURE_DIE_clamping_slot), 1338, clamping_slot) \
  X(method2, CompensateRoughData,                     CompensateRoughDataSignature,                     JA_FUNCTION(JAX_FEATURE_DIE_compensate_rough_data), 1392, compensate_rough_data) \
  X(method2, Keyway,                                  KeywaySignature,                                  JA_FUNCTION(JAX_FEATURE_DIE_keyway), 1446, keyway) \
  X(method2, Heelpost,                                HeelpostSignature,                                JA_FUNCTION(JAX_FEATURE_DIE_heelpost), 1500, heelpost) \
  X(method2, CastRelief,                              CastReliefSignature,                              JA_FUNCTION(JAX_FEATURE_DIE_cast_relief), 1554, cast_relief) \
  X(method1, CreateUncutRegionsBuilder,               CreateUncutRegionsBuilderSignature,               JA_FUNCTION(JAX_FEATURE_DIE_create_uncut_regions_builder), 1608, create_uncut_regions_builder) \
  X(method1, CreateDieLocation,                       CreateDieLocationSignature,                       JA_FUNCTION(JAX_FEATURE_DIE_create_die_location), 1662, create_die_location) \
  X(method1, CreateDieLimits,                         CreateDieLimitsSignature,                         JA_FUNCTION(JAX_FEATURE_DIE_create_die_limits), 1716, create_die_limits) \
  X(method9, CreateDieLocations,                      CreateDieLocationsSignature,                      JA_FUNCTION(JAX_FEATURE_DIE_create_die_locations), 1770, create_die_locations) \
  X(method2, CreateFillAreaBuilder,                   CreateFillAreaBuilderSignature,                   JA_FUNCTION(JAX_FEATURE_DIE_create_fill_area_builder), 1824, create_fill_area_builder) \
  X(method2, CreateFingerClearanceNotchBuilder,       CreateFingerClearanceNotchBuilderSignature,       JA_FUNCTION(JAX_FEATURE_DIE_create_finger_clearance_notch_builder), 1878, create_finger_clearance_notch_builder) \
  X(method2, CreateClearanceBuilder,                  CreateClearanceBuilderSignature,                  JA_FUNCTION(JAX_FEATURE_DIE_create_clearance_builder), 1932, create_clearance_builder) \
  X(method2, CreateHandlingCoreBuilder,               CreateHandlingCoreBuilderSignature,               JA_FUNCTION(JAX_FEATURE_DIE_create_handling_core_builder), 1986, create_handling_core_builder) \
  X(method2, CreateMachineReliefBuilder,              CreateMachineReliefBuilderSignature,              JA_FUNCTION(JAX_FEATURE_DIE_create_machine_relief_builder), 2040, create_machine_relief_builder) \
  X(method2, CreateDrawBeadBuilder,                   CreateDrawBeadBuilderSignature,                   JA_FUNCTION(JAX_FEATURE_DIE_create_draw_bead_builder), 2094, create_draw_bead_builder) \
  X(method2, CreateSpringbackCompensationBuilder,     CreateSpringbackCompensationBuilderSignature,     JA_FUNCTION(JAX_FEATURE_DIE_create_springback_compensation_builder), 2148, create_springback_compensation_builder)
// clang-format on

JA_DIE_DIE_COLLECTION_MEMBERS(JA_MEMBER_TYPE)
using Members = ::KTX::JA::TypeList<void JA_DIE_DIE_COLLECTION_MEMBERS(JA_MEMBER_LIST)>;

}  // namespace ja_die_die_collection_jam

#define JA_UNIT ja_die_die_collection_jam
class Die_DieCollection_Interface : public KTX::JAM::IJAInterface {
 public:
  using EnumerateFunction = int (*)(KTX::tag_t collection, KTX::tag_t* cursor);
  virtual unsigned int GetInterfaceId() = 0;
  JA_DIE_DIE_COLLECTION_MEMBERS(JA_INTERFACE_OP)
  // The host iterates the collection with the function this hands out.
  virtual EnumerateFunction Enumerate() = 0;

 protected:
  ~Die_DieCollection_Interface() = default;
};
#undef JA_UNIT
