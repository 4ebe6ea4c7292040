// The inputs of a draw punch, the lower tool of a draw die, built as one
// tooling feature set.
#pragma once
#include "ClassFrame.hpp"
#include "feat/Builder.hpp"
#include "om/ObjectSet.hpp"
#include "sel/Selection.hpp"

namespace KTX::Tooling {

// Fields in object order (numbers, references, tags, options); the attribute
// indexes say their persistent identity.
#define STAMVIK_DIE_DES_DRAW_PUNCH_BUILDER_ATTRIBUTES(A)                                \
  A(6, m_deckThickness, ::KTX::Frame::Double, 0x1)                                      \
  A(7, m_beltThickness, ::KTX::Frame::Double, 0x1)                                      \
  A(8, m_reliefDistanse, ::KTX::Frame::Double, 0x1)                                     \
  A(9, m_reliefAngle, ::KTX::Frame::Double, 0x1)                                        \
  A(10, m_wallThickness, ::KTX::Frame::Double, 0x1)                                     \
  A(11, m_baseThickness, ::KTX::Frame::Double, 0x1)                                     \
  A(12, m_baseWidth, ::KTX::Frame::Double, 0x1)                                         \
  A(14, m_machiningAllowance, ::KTX::Frame::Double, 0x1)                                \
  A(0, m_sheetBody, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                  \
  A(1, m_punchCurve, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)            \
  A(3, m_sheetBodyDeck, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)              \
  A(4, m_mainWallCenterLine, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)            \
  A(5, m_flangeProfile, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                 \
  A(18, m_frecSet, ::KTX::Frame::Ref<::KTX::OM::Set>, 0x404001)                         \
  A(19, m_frecSetToDelete, ::KTX::Frame::Ref<::KTX::OM::Set>, 0x404001)                 \
  A(2, m_basePlane, ::KTX::Frame::Tag, 0x404001)                                        \
  A(16, m_finalPunchCurve, ::KTX::Frame::Tag, 0x4001)                                   \
  A(17, m_tfeatureSet, ::KTX::Frame::Tag, 0x4001)                                       \
  A(13, m_exactSheetbodyOption, ::KTX::Frame::Logical, 0x1)                             \
  A(15, m_coreDrawPunchOption, ::KTX::Frame::Logical, 0x1)

class STAMVIK_API DieDesDrawPunchBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DieDesDrawPunchBuilder, JAX_BUILDER, "KTX::Tooling::DieDesDrawPunchBuilder",
                   STAMVIK_DIE_DES_DRAW_PUNCH_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(tag_t featureSet, PART_part* part);
  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;

  SELECT_OBJECT* GetSheetBody() const { return m_sheetBody; }
  SELECT_OBJECT_list* GetPunchCurve() const { return m_punchCurve; }
  void SetPunchCurve(SELECT_OBJECT_list* curves);
  tag_t GetBasePlane() const { return m_basePlane; }
  void SetBasePlane(tag_t plane);
  SELECT_OBJECT* GetSheetBodyDeck() const { return m_sheetBodyDeck; }
  void SetSheetBodyDeck(SELECT_OBJECT* deck);
  SC_section* GetMainWallCenterLine() const { return m_mainWallCenterLine; }
  void SetMainWallCenterLine(SC_section* section);
  SC_section* GetFlangeProfile() const { return m_flangeProfile; }
  void SetFlangeProfile(SC_section* section);

  double GetDeckThickness() const { return m_deckThickness; }
  void SetDeckThickness(double value);
  double GetBeltThickness() const { return m_beltThickness; }
  void SetBeltThickness(double value);
  double GetReliefDistanse() const { return m_reliefDistanse; }
  void SetReliefDistanse(double value);
  double GetReliefAngle() const { return m_reliefAngle; }
  void SetReliefAngle(double value);
  double GetWallThickness() const { return m_wallThickness; }
  void SetWallThickness(double value);
  double GetBaseThickness() const { return m_baseThickness; }
  void SetBaseThickness(double value);
  double GetBaseWidth() const { return m_baseWidth; }
  void SetBaseWidth(double value);
  bool GetExactSheetbodyOption() const { return m_exactSheetbodyOption; }
  void SetExactSheetbodyOption(bool exact);
  double GetMachiningAllowance() const { return m_machiningAllowance; }
  void SetMachiningAllowance(double value);
  bool GetCoreDrawPunchOption() const { return m_coreDrawPunchOption; }
  void SetCoreDrawPunchOption(bool core);

  tag_t GetFinalPunchCurve() const { return m_finalPunchCurve; }
  void SetFinalPunchCurve(tag_t curve);
  tag_t GetTfeatureSet() const { return m_tfeatureSet; }
  void SetTfeatureSet(tag_t featureSet);
  OM::Set* GetFrecSet() const { return m_frecSet; }
  void SetFrecSet(OM::Set* set);
  OM::Set* GetFrecSetToDelete() const { return m_frecSetToDelete; }
  void SetFrecSetToDelete(OM::Set* set);

 private:
  void implement_destroy();
};

STAMVIK_OM_CLASS_EXPORTS(DieDesDrawPunchBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieDesDrawPunchBuilder)

class STAMVIK_API DieDesDrawPunchBuilderFactory {
 public:
  static DieDesDrawPunchBuilder* Create(tag_t featureSet, PART_part* part);
};

}  // namespace KTX::Tooling
