// The library's start-up, in the one order the host must see it. Each step
// registers what it loads and puts its own exit step on the runtime's exit
// list, so unloading runs the steps in reverse.
#include "LoadOrder.hpp"

#define STAMVIK_LOAD_STEP(Namespace, Name) \
  namespace KTX::Namespace {               \
  void Name();                             \
  }

STAMVIK_LOAD_STEP(DieDesJA, LoadCastReliefBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadClampingSlotBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadClearanceBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadDieLocationBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadDieLocationsBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadFillAreaBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadFingerClearanceNotchBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadGenericBodyBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadHandlingCoreBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadHeelpostBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadKeywayBuilderRegistration)
STAMVIK_LOAD_STEP(DieDesJA, LoadMachineReliefBuilderRegistration)
STAMVIK_LOAD_STEP(DieDes, LoadDieBooleanBuilderRegistration)
STAMVIK_LOAD_STEP(DieDes, LoadDieDirectionBuilderRegistration)
STAMVIK_LOAD_STEP(DieDes, LoadDiePlaneBuilderRegistration)
STAMVIK_LOAD_STEP(DieDes, LoadDieShoeBuilderRegistration)
STAMVIK_LOAD_STEP(DieEngJA, LoadCompensateRoughDataBuilderRegistration)
STAMVIK_LOAD_STEP(DieEngJA, LoadDrawBeadBuilderRegistration)
STAMVIK_LOAD_STEP(DieEngJA, LoadDrawBeadSegmentBuilderRegistration)
STAMVIK_LOAD_STEP(DieEngJA, LoadDrawBeadTaperBuilderRegistration)
STAMVIK_LOAD_STEP(DieEngJA, LoadSpringbackCompensationBuilderRegistration)
// Journaling units: creator names, file and class initializers.
STAMVIK_LOAD_STEP(JA, LoadCastReliefBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadCastReliefUnit)
STAMVIK_LOAD_STEP(JA, LoadClampingSlotBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadClampingSlotUnit)
STAMVIK_LOAD_STEP(JA, LoadClearanceBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadClearanceUnit)
STAMVIK_LOAD_STEP(JA, LoadCompensateRoughDataBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadDieBooleanBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadDieShoeBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadDieShoeUnit)
STAMVIK_LOAD_STEP(JA, LoadDrawBeadUnit)
STAMVIK_LOAD_STEP(JA, LoadFillAreaBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadFillAreaUnit)
STAMVIK_LOAD_STEP(JA, LoadFingerClearanceNotchBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadFingerClearanceNotchUnit)
STAMVIK_LOAD_STEP(JA, LoadHandlingCoreBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadHandlingCoreUnit)
STAMVIK_LOAD_STEP(JA, LoadHeelpostBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadHeelpostUnit)
STAMVIK_LOAD_STEP(JA, LoadKeywayBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadKeywayUnit)
STAMVIK_LOAD_STEP(JA, LoadMachineReliefBuilderUnit)
STAMVIK_LOAD_STEP(JA, LoadMachineReliefUnit)
STAMVIK_LOAD_STEP(JA, LoadSpringbackCompensationUnit)
STAMVIK_LOAD_STEP(JA, LoadCompensateRoughDataUnit)
STAMVIK_LOAD_STEP(JA, LoadManikinUnit)
STAMVIK_LOAD_STEP(JA, LoadTireEnvelopeUnit)
STAMVIK_LOAD_STEP(JA, LoadAutoDieGroupUnit)
STAMVIK_LOAD_STEP(Tooling, LoadDieDesDrawDieBuilderRegistration)
STAMVIK_LOAD_STEP(Tooling, LoadDieDesDrawPunchBuilderRegistration)
STAMVIK_LOAD_STEP(Tooling, LoadDieDesPierceInsertBuilderRegistration)
STAMVIK_LOAD_STEP(Tooling, LoadDieEngFormTaskBuilderRegistration)

namespace KTX::Stamvik {
namespace {

// Die design in source-file order (so the nine body builders reach the host
// before their superclass), then die engineering, then tooling.
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
    // Journaling units, in the host's table order (the rest join with their classes).
    {"journal Die.CastReliefBuilder", &JA::LoadCastReliefBuilderUnit},
    {"journal Die.CastRelief", &JA::LoadCastReliefUnit},
    {"journal Die.ClampingSlotBuilder", &JA::LoadClampingSlotBuilderUnit},
    {"journal Die.ClampingSlot", &JA::LoadClampingSlotUnit},
    {"journal Die.ClearanceBuilder", &JA::LoadClearanceBuilderUnit},
    {"journal Die.Clearance", &JA::LoadClearanceUnit},
    {"journal Die.CompensateRoughDataBuilder", &JA::LoadCompensateRoughDataBuilderUnit},
    {"journal Die.DieBooleanBuilder", &JA::LoadDieBooleanBuilderUnit},
    {"journal Die.DieShoeBuilder", &JA::LoadDieShoeBuilderUnit},
    {"journal Die.DieShoe", &JA::LoadDieShoeUnit},
    {"journal Die.DrawBead", &JA::LoadDrawBeadUnit},
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
    {"journal Die.SpringbackCompensation", &JA::LoadSpringbackCompensationUnit},
    {"journal Features.CompensateRoughData", &JA::LoadCompensateRoughDataUnit},
    {"journal Features.Manikin", &JA::LoadManikinUnit},
    {"journal Features.TireEnvelope", &JA::LoadTireEnvelopeUnit},
    {"journal Tooling.AutoDieGroup", &JA::LoadAutoDieGroupUnit},
    {"KTX::Tooling::DieDesDrawDieBuilder", &Tooling::LoadDieDesDrawDieBuilderRegistration},
    {"KTX::Tooling::DieDesDrawPunchBuilder", &Tooling::LoadDieDesDrawPunchBuilderRegistration},
    {"KTX::Tooling::DieDesPierceInsertBuilder", &Tooling::LoadDieDesPierceInsertBuilderRegistration},
    {"KTX::Tooling::DieEngFormTaskBuilder", &Tooling::LoadDieEngFormTaskBuilderRegistration},
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
