// Rough-data compensation of curves or sheet bodies: the inputs of one
// compensate-rough-data feature.
#pragma once
#include "ClassFrame.hpp"
#include "afl/DieEngParms.hpp"
#include "feat/Builder.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieEngJA {

enum JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type : int {
  JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Coarse = 0,
  JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Rough = 1,
  JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Fine = 2,
  JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Exact = 3,
};

enum JA_COMPENSATE_ROUGH_DATA_BUILDER_types : int {
  JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody = 0,
  JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve = 1,
};

// Fields in object order; the attribute indexes say their persistent identity.
#define STAMVIK_COMPENSATE_ROUGH_DATA_BUILDER_ATTRIBUTES(A)                       \
  A(6, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                            \
  A(7, m_angleTolerance, ::KTX::Frame::Double, 0x1)                               \
  A(8, m_maximumGap, ::KTX::Frame::Double, 0x1)                                   \
  A(0, m_curveCollector, ::KTX::Frame::Ref<::KTX::SC_section>, 0x1A04001)         \
  A(1, m_sheetBodies, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)     \
  A(2, m_projectToFaces, ::KTX::Frame::Ref<::KTX::SC_collector>, 0x1A04001)       \
  A(5, m_approximation, ::KTX::Frame::Integer, 0x1)                               \
  A(9, m_type, ::KTX::Frame::Integer, 0x1)                                        \
  A(3, m_joinOutputCurves, ::KTX::Frame::Logical, 0x1)                            \
  A(4, m_modifyInputSheet, ::KTX::Frame::Logical, 0x1)

class STAMVIK_API CompensateRoughDataBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(CompensateRoughDataBuilder, JAX_FEAT_BUILDER, "KTX::DieEngJA::CompensateRoughDataBuilder",
                   STAMVIK_COMPENSATE_ROUGH_DATA_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;

  virtual JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type GetApproximation() const;
  virtual void SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type approximation);
  virtual JA_COMPENSATE_ROUGH_DATA_BUILDER_types GetType() const;
  virtual void SetType(JA_COMPENSATE_ROUGH_DATA_BUILDER_types type);
  virtual void ToCurveParms(DieEng::CompensateRoughCurve* parms) const;
  virtual void ToSheetParms(DieEng::CompensateRoughSheet* parms) const;
  virtual void FromCurveParms(DieEng::CompensateRoughCurve* parms);
  virtual void FromSheetParms(DieEng::CompensateRoughSheet* parms);
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);
  double GetMaximumGap() const { return m_maximumGap; }
  void SetMaximumGap(double gap);
  bool GetJoinOutputCurves() const { return m_joinOutputCurves; }
  void SetJoinOutputCurves(bool join);
  bool GetModifyInputSheet() const { return m_modifyInputSheet; }
  void SetModifyInputSheet(bool modify);

  SC_section* GetCurveCollector() const { return m_curveCollector; }
  SELECT_OBJECT_list* GetSheetBodies() const { return m_sheetBodies; }
  SC_collector* GetProjectToFaces() const { return m_projectToFaces; }

  int GetIntType() const { return m_type; }
  void SetIntType(int type);
  int GetIntApproximation() const { return m_approximation; }
  void SetIntApproximation(int approximation);

 private:
  int CommitNew(FEATURE_RECORD** frec);
  int CommitEdit(FEATURE_RECORD* frec);
  bool IsCurveMode() const { return m_type == JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve; }
  void SetCurveCollector(SC_section* section);
  void SetProjectToFaces(SC_collector* faces);
  void GoOnWithCopies();
};

STAMVIK_OM_CLASS_EXPORTS(CompensateRoughDataBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(CompensateRoughDataBuilder)

class STAMVIK_API CompensateRoughDataBuilderFactory {
 public:
  static CompensateRoughDataBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieEngJA
