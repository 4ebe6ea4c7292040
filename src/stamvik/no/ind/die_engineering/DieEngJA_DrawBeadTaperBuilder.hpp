// The shape of one end taper of a draw bead; the bead owns a start and an
// end taper and writes them into its feature record.
#pragma once
#include "ClassFrame.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX {
class DIEDES_GEN_P_DRBD_TPR_PARMS;
}

namespace KTX::DieEngJA {

enum JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes : int {
  JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes_Spherical = 0,
  JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes_Washout = 1,
  JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes_Point = 2,
};

#define STAMVIK_DRAW_BEAD_TAPER_BUILDER_ATTRIBUTES(A)                                 \
  A(0, m_taperType, ::KTX::Frame::Integer, 0x1)                                       \
  A(1, m_taperRadius, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)             \
  A(2, m_taperWashoutHeight, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)      \
  A(3, m_taperWashoutLength, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)      \
  A(4, m_taperPoint, ::KTX::Frame::Tag, 0x404001)

class STAMVIK_API DrawBeadTaperBuilder : public JAX_BASE_BUILDER {
  STAMVIK_OM_CLASS(DrawBeadTaperBuilder, JAX_BASE_BUILDER, "KTX::DieEngJA::DrawBeadTaperBuilder",
                   STAMVIK_DRAW_BEAD_TAPER_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(PART_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  // A taper holds inputs only; the bead checks what it builds.
  int validate_nothrow() override;

  // Writes the taper into the items its record has (item 0 the type, 1 the
  // washout height, washout length and radius, 2 the point or nothing).
  virtual int ToParms(DIEDES_GEN_P_DRBD_TPR_PARMS* parms);
  // Reads the taper back from a record of at least three items.
  virtual void FromParms(DIEDES_GEN_P_DRBD_TPR_PARMS* parms);

  JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes GetTaperType() const {
    return static_cast<JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes>(m_taperType);
  }
  void SetTaperType(JA_DRAW_BEAD_TAPER_BUILDER_TaperTypes type);
  tag_t GetTaperPoint() const { return m_taperPoint; }
  void SetTaperPoint(tag_t point);
  EXP_expression* GetTaperRadius() const { return m_taperRadius; }
  EXP_expression* GetTaperWashoutHeight() const { return m_taperWashoutHeight; }
  EXP_expression* GetTaperWashoutLength() const { return m_taperWashoutLength; }

 private:
  void SetTaperRadius(EXP_expression* radius);
  void SetTaperWashoutHeight(EXP_expression* height);
  void SetTaperWashoutLength(EXP_expression* length);
};

STAMVIK_OM_CLASS_EXPORTS(DrawBeadTaperBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DrawBeadTaperBuilder)

class STAMVIK_API DrawBeadTaperBuilderFactory {
 public:
  static DrawBeadTaperBuilder* Create(PART_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieEngJA
