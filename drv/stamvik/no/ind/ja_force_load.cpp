// The load anchors: one empty function under one exported name per
// journaling unit. A client that refers to any of them has the library
// loaded, and with it the units' registrations; the library never calls them.

extern "C" __attribute__((visibility("hidden"), used)) void stamvik_force_load() noexcept {}

#define JA_ANCHOR(Class) \
  extern "C" __attribute__((visibility("default"), alias("stamvik_force_load"))) void XJA_##Class##_force_load() noexcept;

// clang-format off
JA_ANCHOR(AutoDieCollection)
JA_ANCHOR(AutoDieGroup)
JA_ANCHOR(AutomotiveCollection)
JA_ANCHOR(CastReliefBuilder)
JA_ANCHOR(CastRelief)
JA_ANCHOR(ClampingSlotBuilder)
JA_ANCHOR(ClampingSlot)
JA_ANCHOR(ClearanceBuilder)
JA_ANCHOR(Clearance)
JA_ANCHOR(CompensateRoughDataBuilder)
JA_ANCHOR(CompensateRoughData)
JA_ANCHOR(DieBooleanBuilder)
JA_ANCHOR(DieCollection)
JA_ANCHOR(DieDesDrawDieBuilder)
JA_ANCHOR(DieDesDrawPunchBuilder)
JA_ANCHOR(DieDesPierceInsertBuilder)
JA_ANCHOR(DieDirectionBuilder)
JA_ANCHOR(DieEngFormTaskBuilder)
JA_ANCHOR(DieLocationBuilder)
JA_ANCHOR(DieLocationsBuilder)
JA_ANCHOR(DiePlaneBuilder)
JA_ANCHOR(DieShoeBuilder)
JA_ANCHOR(DieShoe)
JA_ANCHOR(DrawBeadBuilder)
JA_ANCHOR(DrawBeadSegmentBuilder)
JA_ANCHOR(DrawBeadTaperBuilder)
JA_ANCHOR(DrawBead)
JA_ANCHOR(FillAreaBuilder)
JA_ANCHOR(FillArea)
JA_ANCHOR(FingerClearanceNotchBuilder)
JA_ANCHOR(FingerClearanceNotch)
JA_ANCHOR(HandlingCoreBuilder)
JA_ANCHOR(HandlingCore)
JA_ANCHOR(HeelpostBuilder)
JA_ANCHOR(Heelpost)
JA_ANCHOR(KeywayBuilder)
JA_ANCHOR(Keyway)
JA_ANCHOR(MachineReliefBuilder)
JA_ANCHOR(MachineRelief)
JA_ANCHOR(ManikinBuilder)
JA_ANCHOR(Manikin)
JA_ANCHOR(SpringbackCompensationBuilder)
JA_ANCHOR(SpringbackCompensation)
JA_ANCHOR(TireEnvelopeBuilder)
JA_ANCHOR(TireEnvelope)
// clang-format on
