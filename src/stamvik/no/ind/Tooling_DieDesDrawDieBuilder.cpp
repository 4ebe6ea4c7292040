#include "Tooling_DieDesDrawDieBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::Tooling {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDesDrawDieBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDesDrawDieBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieDesDrawDieBuilderInstanceSize,
                        STAMVIK_DIE_DES_DRAW_DIE_BUILDER_ATTRIBUTES)

DieDesDrawDieBuilder* DieDesDrawDieBuilderFactory::Create(tag_t featureSet, PART_part* part) {
  return Frame::CreateAndInit<DieDesDrawDieBuilder>(DieDesDrawDieBuilderClassId, [&](DieDesDrawDieBuilder* made) {
    made->InitCreate(featureSet, part);
  });
}

void DieDesDrawDieBuilder::InitCreate(tag_t featureSet, PART_part* part) {
  init_object(part);
  // The set to edit makes the next commit rebuild it instead of making a new one.
  SetTfeatureSet(featureSet);
}

char* DieDesDrawDieBuilder::ask_journal_class_name() const { return SM_string_copy("Tooling.DieDesDrawDieBuilder"); }

void DieDesDrawDieBuilder::destroy() { cascade_destroy(); }

void DieDesDrawDieBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DieDesDrawDieBuilder::implement_destroy() {
  // Releasing the owned punch builder comes with the build pipeline that makes it.
}

void DieDesDrawDieBuilder::SetPunchCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_punchCurveAttId, curves);
}
void DieDesDrawDieBuilder::SetBlankCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_blankCurveAttId, curves);
}
void DieDesDrawDieBuilder::SetFlangeCurve(SELECT_OBJECT_list* curves) {
  OM::SetReferencedObject(this, m_flangeCurveAttId, curves);
}
void DieDesDrawDieBuilder::SetBasePlane(tag_t plane) { OM::SetReferencedObject(this, m_basePlaneAttId, plane); }
void DieDesDrawDieBuilder::SetFinalPunchCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalPunchCurveAttId, curve);
}
void DieDesDrawDieBuilder::SetFinalBlankCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalBlankCurveAttId, curve);
}
void DieDesDrawDieBuilder::SetFinalFlangeCurve(tag_t curve) {
  OM::SetReferencedObject(this, m_finalFlangeCurveAttId, curve);
}
void DieDesDrawDieBuilder::SetTfeatureSet(tag_t featureSet) {
  OM::SetReferencedObject(this, m_tfeatureSetAttId, featureSet);
}
void DieDesDrawDieBuilder::SetFrecSet(OM::Set* set) { OM::SetReferencedObject(this, m_frecSetAttId, set); }
void DieDesDrawDieBuilder::SetFrecSetToDelete(OM::Set* set) {
  OM::SetReferencedObject(this, m_frecSetToDeleteAttId, set);
}
void DieDesDrawDieBuilder::SetDrawPunchBuilder(DieDesDrawPunchBuilder* punch) {
  OM::SetReferencedObject(this, m_drawPunchBuilderAttId, punch);
}

#define STAMVIK_PLAIN_SETTER(Setter, Type, field) \
  void DieDesDrawDieBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                        \
    field = value;                                \
  }
STAMVIK_PLAIN_SETTER(SetDeckThickness, double, m_deckThickness)
STAMVIK_PLAIN_SETTER(SetBinderEdgeOffset, double, m_binderEdgeOffset)
STAMVIK_PLAIN_SETTER(SetDeckEdgeOffset, double, m_deckEdgeOffset)
STAMVIK_PLAIN_SETTER(SetDeckFlangeThickness, double, m_deckFlangeThickness)
STAMVIK_PLAIN_SETTER(SetWallThickness, double, m_wallThickness)
STAMVIK_PLAIN_SETTER(SetBaseThickness, double, m_baseThickness)
STAMVIK_PLAIN_SETTER(SetFlangeOffset, double, m_flangeOffset)
STAMVIK_PLAIN_SETTER(SetExactSheetbodyOption, bool, m_exactSheetbodyOption)
STAMVIK_PLAIN_SETTER(SetMachiningAllowance, double, m_machiningAllowance)
STAMVIK_PLAIN_SETTER(SetCoreDrawDieOption, bool, m_coreDrawDieOption)
#undef STAMVIK_PLAIN_SETTER

}  // namespace KTX::Tooling
