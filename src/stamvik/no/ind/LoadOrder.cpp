// The library's start-up, in the one order the host must see it. Each step
// registers what it loads and puts its own exit step on the runtime's exit
// list, so unloading runs the steps in reverse.
#include "LoadOrder.hpp"

#include "ja_catalogue.hpp"

// Every published class's steps (its registration, property owner and
// journaling unit, as it has them) are declared by its catalogue row; the
// steps below are those of classes the catalogue does not list.
JA_CATALOGUE_LOAD_STEPS

namespace KTX::DieDesJA {
void LoadGenericBodyBuilderRegistration();
}

namespace KTX::Stamvik {
namespace {

// Die design in source-file order (so the nine body builders reach the host
// before their superclass), then die engineering, then tooling, then vehicle design.
constexpr LoadStep kLoadOrder[] = {
    {"KTX::DieDesJA::CastReliefBuilder", &DieDesJA::LoadCastReliefBuilderRegistration},
    {"KTX::DieDesJA::ClampingSlotBuilder", &DieDesJA::LoadClampingSlotBuilderRegistration},
    {"KTX::DieDesJA::ClearanceBuilder", &DieDesJA::LoadClearanceBuilderRegistration},
    {"KTX::DieDesJA::DieLocationBuilder", &DieDesJA::LoadDieLocationBuilderRegistration},
    {"KTX::DieDesJA::DieLocationsBuilder", &DieDesJA::LoadDieLocationsBuilderRegistration},
    {"KTX::DieDesJA::FillAreaBuilder", &DieDesJA::LoadFillAreaBuilderRegistration},
    {"KTX::DieDesJA::FingerClearanceNotchBuilder", &DieDesJA::LoadFingerClearanceNotchBuilderRegistration},
    {"KTX::DieDesJA::GenericBodyBuilder", &DieDesJA::LoadGenericBodyBuilderRegistration},
    {"KTX::DieDesJA::HandlingCoreBuilder", &DieDesJA::LoadHandlingCoreBuilderRegistration},
    {"KTX::DieDesJA::HeelpostBuilder", &DieDesJA::LoadHeelpostBuilderRegistration},
    {"KTX::DieDesJA::KeywayBuilder", &DieDesJA::LoadKeywayBuilderRegistration},
    {"KTX::DieDesJA::MachineReliefBuilder", &DieDesJA::LoadMachineReliefBuilderRegistration},
    {"KTX::DieDes::DieBooleanBuilder", &DieDes::LoadDieBooleanBuilderRegistration},
    {"KTX::DieDes::DieDirectionBuilder", &DieDes::LoadDieDirectionBuilderRegistration},
    {"KTX::DieDes::DiePlaneBuilder", &DieDes::LoadDiePlaneBuilderRegistration},
    {"KTX::DieDes::DieShoeBuilder", &DieDes::LoadDieShoeBuilderRegistration},
    {"KTX::DieEngJA::CompensateRoughDataBuilder", &DieEngJA::LoadCompensateRoughDataBuilderRegistration},
    {"KTX::DieEngJA::DrawBeadBuilder", &DieEngJA::LoadDrawBeadBuilderRegistration},
    {"KTX::DieEngJA::DrawBeadSegmentBuilder", &DieEngJA::LoadDrawBeadSegmentBuilderRegistration},
    {"KTX::DieEngJA::DrawBeadTaperBuilder", &DieEngJA::LoadDrawBeadTaperBuilderRegistration},
    {"KTX::DieEngJA::SpringbackCompensationBuilder", &DieEngJA::LoadSpringbackCompensationBuilderRegistration},
    // Property owners of the die-design, die-engineering and vehicle-design
    // classes: per class its builder owner, then its feature owner; classes in
    // alphabetical order, the rough-data feature after the springback one.
    {"owner Die.CastReliefBuilder", &JA::LoadDie_CastReliefBuilderPropertyOwner},
    {"owner Die.CastRelief", &JA::LoadDie_CastReliefPropertyOwner},
    {"owner Die.ClampingSlotBuilder", &JA::LoadDie_ClampingSlotBuilderPropertyOwner},
    {"owner Die.ClampingSlot", &JA::LoadDie_ClampingSlotPropertyOwner},
    {"owner Die.ClearanceBuilder", &JA::LoadDie_ClearanceBuilderPropertyOwner},
    {"owner Die.Clearance", &JA::LoadDie_ClearancePropertyOwner},
    {"owner Die.CompensateRoughDataBuilder", &JA::LoadDie_CompensateRoughDataBuilderPropertyOwner},
    {"owner Die.DieBooleanBuilder", &JA::LoadDie_DieBooleanBuilderPropertyOwner},
    {"owner Die.DieDirectionBuilder", &JA::LoadDie_DieDirectionBuilderPropertyOwner},
    {"owner Die.DieLocationBuilder", &JA::LoadDie_DieLocationBuilderPropertyOwner},
    {"owner Die.DieLocationsBuilder", &JA::LoadDie_DieLocationsBuilderPropertyOwner},
    {"owner Die.DiePlaneBuilder", &JA::LoadDie_DiePlaneBuilderPropertyOwner},
    {"owner Die.DieShoeBuilder", &JA::LoadDie_DieShoeBuilderPropertyOwner},
    {"owner Die.DieShoe", &JA::LoadDie_DieShoePropertyOwner},
    {"owner Die.DrawBeadBuilder", &JA::LoadDie_DrawBeadBuilderPropertyOwner},
    {"owner Die.DrawBead", &JA::LoadDie_DrawBeadPropertyOwner},
    {"owner Die.DrawBeadSegmentBuilder", &JA::LoadDie_DrawBeadSegmentBuilderPropertyOwner},
    {"owner Die.DrawBeadTaperBuilder", &JA::LoadDie_DrawBeadTaperBuilderPropertyOwner},
    {"owner Die.FillAreaBuilder", &JA::LoadDie_FillAreaBuilderPropertyOwner},
    {"owner Die.FillArea", &JA::LoadDie_FillAreaPropertyOwner},
    {"owner Die.FingerClearanceNotchBuilder", &JA::LoadDie_FingerClearanceNotchBuilderPropertyOwner},
    {"owner Die.FingerClearanceNotch", &JA::LoadDie_FingerClearanceNotchPropertyOwner},
    {"owner Die.HandlingCoreBuilder", &JA::LoadDie_HandlingCoreBuilderPropertyOwner},
    {"owner Die.HandlingCore", &JA::LoadDie_HandlingCorePropertyOwner},
    {"owner Die.HeelpostBuilder", &JA::LoadDie_HeelpostBuilderPropertyOwner},
    {"owner Die.Heelpost", &JA::LoadDie_HeelpostPropertyOwner},
    {"owner Die.KeywayBuilder", &JA::LoadDie_KeywayBuilderPropertyOwner},
    {"owner Die.Keyway", &JA::LoadDie_KeywayPropertyOwner},
    {"owner Die.MachineReliefBuilder", &JA::LoadDie_MachineReliefBuilderPropertyOwner},
    {"owner Die.MachineRelief", &JA::LoadDie_MachineReliefPropertyOwner},
    {"owner Die.SpringbackCompensationBuilder", &JA::LoadDie_SpringbackCompensationBuilderPropertyOwner},
    {"owner Die.SpringbackCompensation", &JA::LoadDie_SpringbackCompensationPropertyOwner},
    {"owner Features.CompensateRoughData", &JA::LoadFeatures_CompensateRoughDataPropertyOwner},
    {"owner Features.ManikinBuilder", &JA::LoadFeatures_ManikinBuilderPropertyOwner},
    {"owner Features.Manikin", &JA::LoadFeatures_ManikinPropertyOwner},
    {"owner Features.TireEnvelopeBuilder", &JA::LoadFeatures_TireEnvelopeBuilderPropertyOwner},
    {"owner Features.TireEnvelope", &JA::LoadFeatures_TireEnvelopePropertyOwner},
    // Journaling units, in the host's table order (the rest join with their classes).
    {"journal Die.CastReliefBuilder", &JA::LoadCastReliefBuilderUnit},
    {"journal Die.CastRelief", &JA::LoadCastReliefUnit},
    {"journal Die.ClampingSlotBuilder", &JA::LoadClampingSlotBuilderUnit},
    {"journal Die.ClampingSlot", &JA::LoadClampingSlotUnit},
    {"journal Die.ClearanceBuilder", &JA::LoadClearanceBuilderUnit},
    {"journal Die.Clearance", &JA::LoadClearanceUnit},
    {"journal Die.CompensateRoughDataBuilder", &JA::LoadCompensateRoughDataBuilderUnit},
    {"journal Die.DieBooleanBuilder", &JA::LoadDieBooleanBuilderUnit},
    {"journal Die.DieCollection", &JA::LoadDieCollectionUnit},
    {"journal Die.DieDirectionBuilder", &JA::LoadDieDirectionBuilderUnit},
    {"journal Die.DieLocationsBuilder", &JA::LoadDieLocationsBuilderUnit},
    {"journal Die.DieLocationBuilder", &JA::LoadDieLocationBuilderUnit},
    {"journal Die.DiePlaneBuilder", &JA::LoadDiePlaneBuilderUnit},
    {"journal Die.DieShoeBuilder", &JA::LoadDieShoeBuilderUnit},
    {"journal Die.DieShoe", &JA::LoadDieShoeUnit},
    {"journal Die.DrawBeadBuilder", &JA::LoadDrawBeadBuilderUnit},
    {"journal Die.DrawBead", &JA::LoadDrawBeadUnit},
    {"journal Die.DrawBeadSegmentBuilder", &JA::LoadDrawBeadSegmentBuilderUnit},
    {"journal Die.DrawBeadTaperBuilder", &JA::LoadDrawBeadTaperBuilderUnit},
    {"journal Die.FillAreaBuilder", &JA::LoadFillAreaBuilderUnit},
    {"journal Die.FillArea", &JA::LoadFillAreaUnit},
    {"journal Die.FingerClearanceNotchBuilder", &JA::LoadFingerClearanceNotchBuilderUnit},
    {"journal Die.FingerClearanceNotch", &JA::LoadFingerClearanceNotchUnit},
    {"journal Die.HandlingCoreBuilder", &JA::LoadHandlingCoreBuilderUnit},
    {"journal Die.HandlingCore", &JA::LoadHandlingCoreUnit},
    {"journal Die.HeelpostBuilder", &JA::LoadHeelpostBuilderUnit},
    {"journal Die.Heelpost", &JA::LoadHeelpostUnit},
    {"journal Die.KeywayBuilder", &JA::LoadKeywayBuilderUnit},
    {"journal Die.Keyway", &JA::LoadKeywayUnit},
    {"journal Die.MachineReliefBuilder", &JA::LoadMachineReliefBuilderUnit},
    {"journal Die.MachineRelief", &JA::LoadMachineReliefUnit},
    {"journal Die.SpringbackCompensationBuilder", &JA::LoadSpringbackCompensationBuilderUnit},
    {"journal Die.SpringbackCompensation", &JA::LoadSpringbackCompensationUnit},
    {"journal Features.AutomotiveCollection", &JA::LoadAutomotiveCollectionUnit},
    {"journal Features.CompensateRoughData", &JA::LoadCompensateRoughDataUnit},
    {"journal Features.ManikinBuilder", &JA::LoadManikinBuilderUnit},
    {"journal Features.Manikin", &JA::LoadManikinUnit},
    {"journal Features.TireEnvelopeBuilder", &JA::LoadTireEnvelopeBuilderUnit},
    {"journal Features.TireEnvelope", &JA::LoadTireEnvelopeUnit},
    {"journal Tooling.AutoDieCollection", &JA::LoadAutoDieCollectionUnit},
    {"journal Tooling.AutoDieGroup", &JA::LoadAutoDieGroupUnit},
    {"journal Tooling.DieDesDrawDieBuilder", &JA::LoadDieDesDrawDieBuilderUnit},
    {"journal Tooling.DieDesDrawPunchBuilder", &JA::LoadDieDesDrawPunchBuilderUnit},
    {"journal Tooling.DieDesPierceInsertBuilder", &JA::LoadDieDesPierceInsertBuilderUnit},
    {"journal Tooling.DieEngFormTaskBuilder", &JA::LoadDieEngFormTaskBuilderUnit},
    // Tooling property owners, after every journaling unit.
    {"owner Tooling.AutoDieGroup", &JA::LoadTooling_AutoDieGroupPropertyOwner},
    {"owner Tooling.DieDesDrawDieBuilder", &JA::LoadTooling_DieDesDrawDieBuilderPropertyOwner},
    {"owner Tooling.DieDesDrawPunchBuilder", &JA::LoadTooling_DieDesDrawPunchBuilderPropertyOwner},
    {"owner Tooling.DieDesPierceInsertBuilder", &JA::LoadTooling_DieDesPierceInsertBuilderPropertyOwner},
    {"owner Tooling.DieEngFormTaskBuilder", &JA::LoadTooling_DieEngFormTaskBuilderPropertyOwner},
    {"KTX::Tooling::DieDesDrawDieBuilder", &Tooling::LoadDieDesDrawDieBuilderRegistration},
    {"KTX::Tooling::DieDesDrawPunchBuilder", &Tooling::LoadDieDesDrawPunchBuilderRegistration},
    {"KTX::Tooling::DieDesPierceInsertBuilder", &Tooling::LoadDieDesPierceInsertBuilderRegistration},
    {"KTX::Tooling::DieEngFormTaskBuilder", &Tooling::LoadDieEngFormTaskBuilderRegistration},
    // Vehicle design last of all.
    {"KTX::VDJA::ManikinBuilder", &VDJA::LoadManikinBuilderRegistration},
    {"KTX::VDJA::TireEnvelopeBuilder", &VDJA::LoadTireEnvelopeBuilderRegistration},
};

struct Loader {
  Loader() {
    for (const LoadStep& step : kLoadOrder) step.run();
  }
} loader;

}  // namespace

std::vector<const char*> LoadOrderNames() {
  std::vector<const char*> names;
  for (const LoadStep& step : kLoadOrder) names.push_back(step.name);
  return names;
}

}  // namespace KTX::Stamvik
