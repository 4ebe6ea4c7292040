#include "DieEngJA_DrawBeadSegmentBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DrawBeadSegmentBuilder)
STAMVIK_OM_DEFINE_CLASS(DrawBeadSegmentBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDrawBeadSegmentBuilderInstanceSize,
                        STAMVIK_DRAW_BEAD_SEGMENT_BUILDER_ATTRIBUTES)

namespace {
// Consecutive segments keep this many distance tolerances of the bead apart.
constexpr double kClearanceInTolerances = 25.0;
}  // namespace

DrawBeadSegmentBuilder* DrawBeadSegmentBuilderFactory::Create(DrawBeadBuilder* bead, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DrawBeadSegmentBuilder>(DrawBeadSegmentBuilderClassId, [&](DrawBeadSegmentBuilder* made) {
    made->InitCreate(bead, frec);
  });
}

// A stored segment is read from the bead's record by the bead itself.
void DrawBeadSegmentBuilder::InitCreate(DrawBeadBuilder* bead, FEATURE_RECORD*) {
  init_object(PART_ask_work_part());
  SetParentDrawBeadBuilder(bead);
  if (bead != nullptr) SetSegmentClearance(kClearanceInTolerances * bead->GetDistanceTolerance());
  AddParentObservers();
}

char* DrawBeadSegmentBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DrawBeadSegmentBuilder"); }

int DrawBeadSegmentBuilder::commit() { return 0; }

#define STAMVIK_PLAIN_SETTER(Setter, Type, field)  \
  void DrawBeadSegmentBuilder::Setter(Type value) { \
    OM::LogForWrite(this);                         \
    field = value;                                 \
  }
STAMVIK_PLAIN_SETTER(SetSymmetry, bool, m_symmetry)
STAMVIK_PLAIN_SETTER(SetFlow, bool, m_flow)
STAMVIK_PLAIN_SETTER(SetMaleBeadWidthType, JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes, m_maleBeadWidthType)
STAMVIK_PLAIN_SETTER(SetChangesPending, bool, m_changesPending)
STAMVIK_PLAIN_SETTER(SetSkipValidate, bool, m_skipValidate)
STAMVIK_PLAIN_SETTER(SetSegmentClearance, double, m_segmentClearance)
#undef STAMVIK_PLAIN_SETTER

void DrawBeadSegmentBuilder::SetTemporaryPath(tag_t path) {
  OM::SetReferencedObject(this, m_temporaryPathAttId, path);
}
void DrawBeadSegmentBuilder::SetTemporaryStartPoint(tag_t point) {
  OM::SetReferencedObject(this, m_temporaryStartPointAttId, point);
}
void DrawBeadSegmentBuilder::SetTemporaryEndPoint(tag_t point) {
  OM::SetReferencedObject(this, m_temporaryEndPointAttId, point);
}
void DrawBeadSegmentBuilder::SetParentDrawBeadBuilder(DrawBeadBuilder* bead) {
  OM::SetReferencedObject(this, m_myParentDrawBeadBuilderAttId, bead);
}

bool DrawBeadSegmentBuilder::GetTaperBead() const {
  return m_myParentDrawBeadBuilder != nullptr && m_myParentDrawBeadBuilder->GetTaperBead();
}
int DrawBeadSegmentBuilder::GetDefinitionType() const {
  return m_myParentDrawBeadBuilder == nullptr ? 0 : m_myParentDrawBeadBuilder->GetTransitionDefinition();
}
int DrawBeadSegmentBuilder::GetFemaleWidthOption() const {
  return m_myParentDrawBeadBuilder == nullptr ? 0 : m_myParentDrawBeadBuilder->GetFemaleWidthType();
}

void DrawBeadSegmentBuilder::SetFemaleWidthOption(int option) {
  if (option == JA_DRAW_BEAD_BUILDER_FemaleWidthTypes_Derived)
    OM::OM_set_int(this, m_maleBeadWidthTypeAttId, JA_DRAW_BEAD_SEGMENT_BUILDER_MaleBeadWidthTypes_Constant);
}

void DrawBeadSegmentBuilder::AddParentObservers() {
  SetSkipValidate(false);
  if (m_startLocation != nullptr) m_startLocation->SetParentHasObservers(true);
  if (m_endLocation != nullptr) m_endLocation->SetParentHasObservers(true);
}

void DrawBeadSegmentBuilder::RemoveParentObservers() {
  if (m_startLocation != nullptr) m_startLocation->SetParentHasObservers(false);
  if (m_endLocation != nullptr) m_endLocation->SetParentHasObservers(false);
  SetSkipValidate(true);
}

}  // namespace KTX::DieEngJA
