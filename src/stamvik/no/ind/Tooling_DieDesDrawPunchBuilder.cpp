#include "Tooling_DieDesDrawPunchBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::Tooling {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDesDrawPunchBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDesDrawPunchBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieDesDrawPunchBuilderInstanceSize,
                        STAMVIK_DIE_DES_DRAW_PUNCH_BUILDER_ATTRIBUTES)

DieDesDrawPunchBuilder* DieDesDrawPunchBuilderFactory::Create(tag_t featureSet, PART_part* part) {
  return Frame::CreateAndInit<DieDesDrawPunchBuilder>(DieDesDrawPunchBuilderClassId, [&](DieDesDrawPunchBuilder* made) {
    made->InitCreate(featureSet, part);
  });
}

void DieDesDrawPunchBuilder::InitCreate(tag_t featureSet, PART_part* part) {
  init_object(part);
  // The set to edit makes the next commit rebuild it instead of making a new one.
  SetTfeatureSet(featureSet);
}

char* DieDesDrawPunchBuilder::ask_journal_class_name() const {
  return SM_string_copy("Tooling.DieDesDrawPunchBuilder");
}

void DieDesDrawPunchBuilder::destroy() { cascade_destroy(); }

void DieDesDrawPunchBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DieDesDrawPunchBuilder::implement_destroy() {
  // The punch keeps nothing of its own beyond what the object manager releases.
}

void DieDesDrawPunchBuilder::SetPunchCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_punchCurveAttId, curves);
}
void DieDesDrawPunchBuilder::SetBasePlane(tag_t plane) { OM::SetReferencedObject(this, m_basePlaneAttId, plane); }
void DieDesDrawPunchBuilder::SetSheetBodyDeck(SELECT_OBJECT* deck) {
  OM::SetReferencedObject(this, m_sheetBodyDeckAttId, deck);
}
void DieDesDrawPunchBuilder::SetMainWallCenterLine(SC_section* section) {
  OM::SetReferencedObject(this, m_mainWallCenterLineAttId, section);
}
void DieDesDrawPunchBuilder::SetFlangeProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_flangeProfileAttId, section);
}
void DieDesDrawPunchBuilder::SetFinalPunchCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalPunchCurveAttId, curve);
}
void DieDesDrawPunchBuilder::SetTfeatureSet(tag_t featureSet) {
  OM::SetReferencedObject(this, m_tfeatureSetAttId, featureSet);
}
void DieDesDrawPunchBuilder::SetFrecSet(OM::Set* set) { OM::SetReferencedObject(this, m_frecSetAttId, set); }
void DieDesDrawPunchBuilder::SetFrecSetToDelete(OM::Set* set) {
  OM::SetReferencedObject(this, m_frecSetToDeleteAttId, set);
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field)   \
  void DieDesDrawPunchBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                          \
    field = value;                                  \
  }
STAMVIK_PLAIN_SETTER(SetDeckThickness, double, m_deckThickness)
STAMVIK_PLAIN_SETTER(SetBeltThickness, double, m_beltThickness)
STAMVIK_PLAIN_SETTER(SetReliefDistanse, double, m_reliefDistanse)
STAMVIK_PLAIN_SETTER(SetReliefAngle, double, m_reliefAngle)
STAMVIK_PLAIN_SETTER(SetWallThickness, double, m_wallThickness)
STAMVIK_PLAIN_SETTER(SetBaseThickness, double, m_baseThickness)
STAMVIK_PLAIN_SETTER(SetBaseWidth, double, m_baseWidth)
STAMVIK_PLAIN_SETTER(SetExactSheetbodyOption, bool, m_exactSheetbodyOption)
STAMVIK_PLAIN_SETTER(SetMachiningAllowance, double, m_machiningAllowance)
STAMVIK_PLAIN_SETTER(SetCoreDrawPunchOption, bool, m_coreDrawPunchOption)
#undef STAMVIK_PLAIN_SETTER

}  // namespace KTX::Tooling
