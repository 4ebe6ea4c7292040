// The inputs of a pierce insert, kept for the dialog and the journal; its
// commit makes nothing.
#pragma once
#include "ClassFrame.hpp"
#include "InputChecks.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX::Tooling {

enum JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction : int {
  JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Upper = 0,
  JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction_Lower = 1,
};

// Fields in object order; the attribute indexes say their persistent identity.
#define STAMVIK_DIE_DES_PIERCE_INSERT_BUILDER_ATTRIBUTES(A)                            \
  A(1, m_upToleranceForLength, ::KTX::Frame::Double, 0x1)                              \
  A(2, m_downToleranceForLength, ::KTX::Frame::Double, 0x1)                            \
  A(3, m_upToleranceForWidth, ::KTX::Frame::Double, 0x1)                               \
  A(4, m_downToleranceForWidth, ::KTX::Frame::Double, 0x1)                             \
  A(7, m_thicknessValue, ::KTX::Frame::Double, 0x1)                                    \
  A(8, m_punchPenetration, ::KTX::Frame::Double, 0x1)                                  \
  A(9, m_diePenetration, ::KTX::Frame::Double, 0x1)                                    \
  A(10, m_toleranceCoefficient, ::KTX::Frame::Double, 0x1)                             \
  A(11, m_clearanceCoefficient, ::KTX::Frame::Double, 0x1)                             \
  A(0, m_boudaryCurveSelection, ::KTX::Frame::Ref<::KTX::SC_collector>, 0x804001)      \
  A(5, m_catalogOption, ::KTX::Frame::Integer, 0x1)                                    \
  A(6, m_thicknessDirectionOption, ::KTX::Frame::Integer, 0x1)

class STAMVIK_API DieDesPierceInsertBuilder : public JAX_BUILDER {
  STAMVIK_OM_CLASS(DieDesPierceInsertBuilder, JAX_BUILDER, "KTX::Tooling::DieDesPierceInsertBuilder",
                   STAMVIK_DIE_DES_PIERCE_INSERT_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(PART_part* part);
  char* ask_journal_class_name() const override;
  // The builder only keeps its inputs: committing makes nothing, once they pass.
  int validate_nothrow() override { return Stamvik::CheckInputs(this); }
  int commit() override { return 0; }

  double GetUpToleranceForLength() const { return m_upToleranceForLength; }
  void SetUpToleranceForLength(double value);
  double GetDownToleranceForLength() const { return m_downToleranceForLength; }
  void SetDownToleranceForLength(double value);
  // The width setters carry these names in the published interface.
  double GetUpToleranceForWidth() const { return m_upToleranceForWidth; }
  void SetGetUpToleranceForWidth(double value);
  double GetDownToleranceForWidth() const { return m_downToleranceForWidth; }
  void SetGetDownToleranceForWidth(double value);
  double GetThicknessValue() const { return m_thicknessValue; }
  void SetThicknessValue(double value);
  double GetPunchPenetration() const { return m_punchPenetration; }
  void SetPunchPenetration(double value);
  double GetDiePenetration() const { return m_diePenetration; }
  void SetDiePenetration(double value);
  double GetToleranceCoefficient() const { return m_toleranceCoefficient; }
  void SetToleranceCoefficient(double value);
  double GetClearanceCoefficient() const { return m_clearanceCoefficient; }
  void SetClearanceCoefficient(double value);
  int GetCatalogOption() const { return m_catalogOption; }
  void SetCatalogOption(int option);
  JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction GetThicknessDirectionOption() const {
    return static_cast<JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction>(m_thicknessDirectionOption);
  }
  void SetThicknessDirectionOption(JA_DIE_DES_PIERCE_INSERT_BUILDER_Direction direction);
  SC_collector* GetBoudaryCurveSelection() const { return m_boudaryCurveSelection; }
};

STAMVIK_OM_CLASS_EXPORTS(DieDesPierceInsertBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(DieDesPierceInsertBuilder)

class STAMVIK_API DieDesPierceInsertBuilderFactory {
 public:
  static DieDesPierceInsertBuilder* Create(PART_part* part);
};

}  // namespace KTX::Tooling
