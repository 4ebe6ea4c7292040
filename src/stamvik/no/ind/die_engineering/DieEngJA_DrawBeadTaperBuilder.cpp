#include "DieEngJA_DrawBeadTaperBuilder.hpp"

#include "DieEngJA_DrawBeadItems.hpp"
#include "Messages.hpp"
#include "afl/DrawBeadParms.hpp"
#include "exp/Expression.hpp"
#include "sys/Error.hpp"
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

namespace {

constexpr const char* kSource = "DieEngJA_DrawBeadTaperBuilder";
using Messages::kNoDatabaseParms;
enum Item : int { kType = 0, kExpressions = 1, kPoint = 2, kItems = 3 };

void checkParms(const DIEDES_GEN_P_DRBD_TPR_PARMS* parms, int line) {
  if (parms == nullptr) ERROR_raise(kSource, line, kNoDatabaseParms, "Taper parms cannot be NULL.");
  if (!OM::OM_is_subclass(parms->OmClassId(), DIEDES_GEN_P_DRBD_TPR_PARMS::ThisClassId))
    ERROR_raise(kSource, line, kNoDatabaseParms, "Parm is not a Draw Bead Taper.");
}

EXP_expression* newLength() {
  EXP_expression* made = nullptr;
  if (int rc = EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(0), &made); rc != 0)
    ERROR_raise(kSource, 36, rc, "the taper's expression cannot be made");
  return made;
}

}  // namespace

// When editing, the bead fills the taper from its record afterwards.
void DrawBeadTaperBuilder::InitCreate(PART_part* part, FEATURE_RECORD* frec) {
  init_object(part);
  if (frec != nullptr) return;
  OM::OM_set_pointer(this, m_taperRadiusAttId, newLength());
  OM::OM_set_pointer(this, m_taperWashoutHeightAttId, newLength());
  OM::OM_set_pointer(this, m_taperWashoutLengthAttId, newLength());
}

int DrawBeadTaperBuilder::ToParms(DIEDES_GEN_P_DRBD_TPR_PARMS* parms) {
  checkParms(parms, 52);
  if (int rc = Items::writeInts(parms, kType, {m_taperType}); rc != 0) return rc;
  if (int rc = Items::writeExpressions(parms, kExpressions, {m_taperWashoutHeight, m_taperWashoutLength, m_taperRadius});
      rc != 0)
    return rc;
  std::vector<tag_t> point;
  if (m_taperPoint != 0) point.push_back(m_taperPoint);
  return Items::writeTags(parms, kPoint, point);
}

void DrawBeadTaperBuilder::FromParms(DIEDES_GEN_P_DRBD_TPR_PARMS* parms) {
  checkParms(parms, 63);
  if (parms->GetNumEntities() < kItems)
    ERROR_raise(kSource, 65, kNoDatabaseParms, "Incorrect number of items stored in taper.");
  SetTaperType(static_cast<JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes>(Items::intAt(parms, kType, 0, 0)));
  Items::replaceExpression(this, m_taperWashoutHeightAttId, m_taperWashoutHeight,
                           Items::copyAt(parms, kExpressions, 0, kSource, 68));
  Items::replaceExpression(this, m_taperWashoutLengthAttId, m_taperWashoutLength,
                           Items::copyAt(parms, kExpressions, 1, kSource, 70));
  Items::replaceExpression(this, m_taperRadiusAttId, m_taperRadius, Items::copyAt(parms, kExpressions, 2, kSource, 72));
  SetTaperPoint(Items::tagAt(parms, kPoint, 0));
}

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
