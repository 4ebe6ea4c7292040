// Springback compensation: how the springback is defined (one-step feature,
// faceted bodies or matching point lists), the result wanted and the surface
// fitting settings of one springback-compensation feature.
#pragma once
#include "ClassFrame.hpp"
#include "afl/DieEngParms.hpp"
#include "feat/Builder.hpp"
#include "math/Point3.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieEngJA {

enum JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType : int {
  JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_OneStepFeature = 0,
  JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies = 1,
  JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_Points = 2,
};

enum JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType : int {
  JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType_Compensated = 0,
  JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType_Sprung = 1,
};

enum JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType : int {
  JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Two = 0,
  JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Three = 1,
  JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Five = 2,
  JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven = 3,
};

// Fields in object order; the attribute indexes say their persistent identity.
#define STAMVIK_SPRINGBACK_COMPENSATION_BUILDER_ATTRIBUTES(A)                   \
  A(12, m_shapeValue, ::KTX::Frame::Double, 0x1)                                \
  A(15, m_deformationFactor, ::KTX::Frame::Double, 0x1)                         \
  A(16, m_smoothingFactor, ::KTX::Frame::Double, 0x1)                           \
  A(22, m_stepSize, ::KTX::Frame::Double, 0x1)                                  \
  A(24, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                         \
  A(25, m_angleTolerance, ::KTX::Frame::Double, 0x1)                            \
  A(1, m_oneStep, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)            \
  A(2, m_productSheet, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)       \
  A(3, m_productFacets, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)      \
  A(4, m_productPointsFile, ::KTX::Frame::String, 0x201)                        \
  A(5, m_productPoints, ::KTX::Frame::PointList, 0x201)                         \
  A(6, m_sprungFacets, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)       \
  A(7, m_sprungPointsFile, ::KTX::Frame::String, 0x201)                         \
  A(8, m_sprungPoints, ::KTX::Frame::PointList, 0x201)                          \
  A(10, m_innerCurve, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)           \
  A(11, m_outerCurve, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)           \
  A(0, m_definedBy, ::KTX::Frame::Integer, 0x1)                                 \
  A(9, m_drawVector, ::KTX::Frame::Tag, 0x404001)                               \
  A(13, m_resultType, ::KTX::Frame::Integer, 0x1)                               \
  A(17, m_divisions, ::KTX::Frame::Integer, 0x1)                                \
  A(18, m_degree, ::KTX::Frame::Integer, 0x1)                                   \
  A(21, m_setConvexityDirection, ::KTX::Frame::Tag, 0x404001)                   \
  A(14, m_createFacets, ::KTX::Frame::Logical, 0x1)                             \
  A(19, m_calculateMaxDeviation, ::KTX::Frame::Logical, 0x1)                    \
  A(20, m_convexityEnabled, ::KTX::Frame::Logical, 0x1)                         \
  A(23, m_isGenericDeform, ::KTX::Frame::Logical, 0x1)

class STAMVIK_API SpringbackCompensationBuilder : public JAX_FEAT_BUILDER {
  STAMVIK_OM_CLASS(SpringbackCompensationBuilder, JAX_FEAT_BUILDER, "KTX::DieEngJA::SpringbackCompensationBuilder",
                   STAMVIK_SPRINGBACK_COMPENSATION_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  // Writes the builder into the parameters: only the current mode's inputs. 0.
  virtual int SetParms(DieEng::SpringbackCompensation* parms);
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType GetDefinedBy() const {
    return static_cast<JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType>(m_definedBy);
  }
  void SetDefinedBy(JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType definedBy);
  JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType GetResultType() const {
    return static_cast<JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType>(m_resultType);
  }
  void SetResultType(JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType resultType);
  JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType GetDegree() const {
    return static_cast<JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType>(m_degree);
  }
  void SetDegree(JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType degree);
  int GetDivisions() const { return m_divisions; }
  void SetDivisions(int divisions);
  double GetShapeValue() const { return m_shapeValue; }
  void SetShapeValue(double value);
  double GetDeformationFactor() const { return m_deformationFactor; }
  void SetDeformationFactor(double value);
  double GetSmoothingFactor() const { return m_smoothingFactor; }
  void SetSmoothingFactor(double value);
  double GetStepSize() const { return m_stepSize; }
  void SetStepSize(double value);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double value);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double value);
  bool GetCreateFacets() const { return m_createFacets; }
  void SetCreateFacets(bool create);
  bool GetCalculateMaxDeviation() const { return m_calculateMaxDeviation; }
  void SetCalculateMaxDeviation(bool calculate);
  bool GetConvexityEnabled() const { return m_convexityEnabled; }
  void SetConvexityEnabled(bool enabled);
  bool GetIsGenericDeform() const { return m_isGenericDeform; }
  void SetIsGenericDeform(bool generic);

  const char* GetProductPointsFile() const;
  void SetProductPointsFile(const char* fileName);
  const char* GetSprungPointsFile() const;
  void SetSprungPointsFile(const char* fileName);

  SELECT_OBJECT* GetOneStep() const { return m_oneStep; }
  SELECT_OBJECT* GetProductSheet() const { return m_productSheet; }
  SELECT_OBJECT* GetProductFacets() const { return m_productFacets; }
  SELECT_OBJECT* GetSprungFacets() const { return m_sprungFacets; }
  SC_section* GetInnerCurve() const { return m_innerCurve; }
  SC_section* GetOuterCurve() const { return m_outerCurve; }
  tag_t GetDrawVector() const { return m_drawVector; }
  void SetDrawVector(tag_t vector);
  tag_t GetConvexityDirection() const { return m_setConvexityDirection; }
  void SetConvexityDirection(tag_t direction);

  // Points are three doubles each; a trailing part of a point does not count.
  int GetProductPointCount() const;
  int GetSprungPointCount() const;
  const double* GetProductPointRef() const;
  const double* GetSprungPointRef() const;
  void SetProductPointCount(int n);
  void SetSprungPointCount(int n);
  void GetNthProductPoint(int n, Math::Point3& point) const;
  void GetNthSprungPoint(int n, Math::Point3& point) const;
  void SetNthProductPoint(int n, Math::Point3 point);
  void SetNthSprungPoint(int n, Math::Point3 point);

 private:
  void ReadPoints(const DieEng::SpringbackCompensation* parms);
  void SetInnerCurve(SC_section* section);
  void SetOuterCurve(SC_section* section);
};

STAMVIK_OM_CLASS_EXPORTS(SpringbackCompensationBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(SpringbackCompensationBuilder)

class STAMVIK_API SpringbackCompensationBuilderFactory {
 public:
  static SpringbackCompensationBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieEngJA
