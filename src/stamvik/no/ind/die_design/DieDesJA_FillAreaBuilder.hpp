// A fill area of a die casting: closed boundary profiles extruded from the
// base plane up to a limit and united with, or cut from, the target body.
#pragma once
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_FILL_AREA_BUILDER_Types : int {
  JA_FILL_AREA_BUILDER_Types_BaseFlange = 0,
  JA_FILL_AREA_BUILDER_Types_ProductContact = 1,
  JA_FILL_AREA_BUILDER_Types_ScrapArea = 2,
  JA_FILL_AREA_BUILDER_Types_UserDefined = 3,
};

enum JA_FILL_AREA_BUILDER_UpperLimitTypes : int {
  JA_FILL_AREA_BUILDER_UpperLimitTypes_Sheet = 0,
  JA_FILL_AREA_BUILDER_UpperLimitTypes_Plane = 1,
};

#define STAMVIK_FILL_AREA_BUILDER_ATTRIBUTES(A)                                             \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                         \
  A(1, m_boundary, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                          \
  A(2, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)      \
  A(3, m_upperLimitType, ::KTX::Frame::Integer, 0x1)                                        \
  A(4, m_upperLimitSheet, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                \
  A(5, m_upperLimitPlane, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)      \
  A(6, m_lowerLimitSheet, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                \
  A(7, m_lowerLimitOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x1E04001)             \
  A(8, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                      \
  A(9, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                         \
  A(10, m_type, ::KTX::Frame::Integer, 0x1)                                                 \
  A(11, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::FillAreaTarget>, 0x1A04001)

class STAMVIK_API FillAreaBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(FillAreaBuilder, GenericBodyBuilder, "KTX::DieDesJA::FillAreaBuilder",
                   STAMVIK_FILL_AREA_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  int ConvertBuilderDataToFrec(FEATURE_RECORD* frec) override;
  void Notify(OM::Object* changed) override;

  virtual JA_FILL_AREA_BUILDER_Types GetType() const;
  virtual void SetType(JA_FILL_AREA_BUILDER_Types type);
  // Loads the builder from the feature being edited.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  // The preview for the host's dialog, built from the fill area's own
  // extrusions: 0 with the bodies handed over (a host-allocated array the
  // caller owns), or a message number with nothing handed over. The caller
  // passes count 0 and bodies null.
  int CreateBodies(int* count, int** bodies) const;

  SELECT_OBJECT* GetTarget() const { return m_target; }
  DieDes::FillAreaTarget* GetTargetData() const { return m_targetData; }
  SC_section* GetBoundary() const { return m_boundary; }
  DieDes::DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  SELECT_OBJECT* GetUpperLimitSheet() const { return m_upperLimitSheet; }
  DieDes::DiePlaneBuilder* GetUpperLimitPlane() const { return m_upperLimitPlane; }
  SELECT_OBJECT* GetLowerLimitSheet() const { return m_lowerLimitSheet; }
  EXP_expression* GetLowerLimitOffset() const { return m_lowerLimitOffset; }
  JA_FILL_AREA_BUILDER_UpperLimitTypes GetUpperLimitType() const {
    return static_cast<JA_FILL_AREA_BUILDER_UpperLimitTypes>(m_upperLimitType);
  }
  void SetUpperLimitType(JA_FILL_AREA_BUILDER_UpperLimitTypes type);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

 protected:
  void SetLowerLimitOffset(EXP_expression* offset);

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;
  // Trims the tools at the lower (which 0) or upper (which 1) limit.
  int TrimToObject(int type, int which, const double origin[3], const double normal[3], int toolCount,
                   int* tools) const;
  void SetBoundary(SC_section* boundary);
};

STAMVIK_OM_CLASS_EXPORTS(FillAreaBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(FillAreaBuilder)

class STAMVIK_API FillAreaBuilderFactory {
 public:
  static FillAreaBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
