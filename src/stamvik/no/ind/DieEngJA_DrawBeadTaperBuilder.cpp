#include "DieEngJA_DrawBeadTaperBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DrawBeadTaperBuilder)
STAMVIK_OM_DEFINE_CLASS(DrawBeadTaperBuilder, "KTX::JAX_BASE_BUILDER", 0x1000, &GetDrawBeadTaperBuilderInstanceSize,
                        STAMVIK_DRAW_BEAD_TAPER_BUILDER_ATTRIBUTES)

DrawBeadTaperBuilder* DrawBeadTaperBuilderFactory::Create(PART_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<DrawBeadTaperBuilder>(DrawBeadTaperBuilderClassId, [&](DrawBeadTaperBuilder* made) {
    made->InitCreate(part, frec);
  });
}

// When editing, the bead fills the taper from its record afterwards.
void DrawBeadTaperBuilder::InitCreate(PART_part* part, FEATURE_RECORD*) { init_object(part); }

char* DrawBeadTaperBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DrawBeadTaperBuilder"); }

int DrawBeadTaperBuilder::validate_nothrow() { return 0; }

void DrawBeadTaperBuilder::SetTaperType(JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes type) {
  OM::LogForWrite(this);
  m_taperType = type;
}
void DrawBeadTaperBuilder::SetTaperPoint(tag_t point) { OM::SetReferencedObject(this, m_taperPointAttId, point); }
void DrawBeadTaperBuilder::SetTaperRadius(EXP_expression* radius) {
  OM::SetReferencedObject(this, m_taperRadiusAttId, radius);
}
void DrawBeadTaperBuilder::SetTaperWashoutHeight(EXP_expression* height) {
  OM::SetReferencedObject(this, m_taperWashoutHeightAttId, height);
}
void DrawBeadTaperBuilder::SetTaperWashoutLength(EXP_expression* length) {
  OM::SetReferencedObject(this, m_taperWashoutLengthAttId, length);
}

}  // namespace KTX::DieEngJA
