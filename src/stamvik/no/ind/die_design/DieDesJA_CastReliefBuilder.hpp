// A relief cut into a die casting along a profile, optionally with a support casting.
#pragma once
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

#define STAMVIK_CAST_RELIEF_BUILDER_ATTRIBUTES(A)                                             \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                           \
  A(1, m_reliefProfile, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                       \
  A(2, m_sheetMetal, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                       \
  A(3, m_reliefSheet, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                      \
  A(4, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)        \
  A(5, m_reliefDepth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                       \
  A(6, m_createSupportCasting, ::KTX::Frame::Logical, 0x1)                                    \
  A(7, m_thickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                         \
  A(8, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                        \
  A(9, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                           \
  A(10, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::CastReliefTarget>, 0x1A04001)          \
  A(11, m_reliefSheetTemp, ::KTX::Frame::KernelTag, 0x1)                                      \
  A(12, m_supportSheetTemp, ::KTX::Frame::KernelTag, 0x1)

class STAMVIK_API CastReliefBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(CastReliefBuilder, GenericBodyBuilder, "KTX::DieDesJA::CastReliefBuilder",
                   STAMVIK_CAST_RELIEF_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  void destroy() override;
  void cascade_destroy() override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  int ConvertBuilderDataToFrec(FEATURE_RECORD* frec) override;
  void Notify(OM::Object* changed) override;

  // Rebuild the two temporary kernel sheets that the preview cuts with.
  virtual void SetReliefSheetTemp();
  virtual void SetSupportSheetTemp();
  // Loads the builder from the feature being edited.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  // The preview for the host's dialog: 0 with the bodies handed over (a
  // host-allocated array the caller owns, nothing when there is nothing to
  // make), or a message number with nothing handed over. The caller passes
  // count 0 and bodies null.
  int CreateBodies(int* count, int** bodies) const;

  SELECT_OBJECT* GetTarget() const { return m_target; }
  SC_section* GetReliefProfile() const { return m_reliefProfile; }
  SELECT_OBJECT* GetSheetMetal() const { return m_sheetMetal; }
  SELECT_OBJECT* GetReliefSheet() const { return m_reliefSheet; }
  DieDes::DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  EXP_expression* GetReliefDepth() const { return m_reliefDepth; }
  EXP_expression* GetThickness() const { return m_thickness; }
  DieDes::CastReliefTarget* GetTargetData() const { return m_targetData; }
  bool GetCreateSupportCasting() const { return m_createSupportCasting; }
  void SetCreateSupportCasting(bool create);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

 protected:
  // The temporary sheets the builder holds (0 for none).
  int GetReliefSheetTemp() const;
  int GetSupportSheetTemp() const;

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;
  void implement_destroy();
  // The base plane's origin and normal: the die plane's definition, else the
  // target's base; false when there is neither.
  bool FindBaseOrientation(double origin[3], double normal[3]) const;
  // The sheet metal: the selected one, else the target's sheet (0 for none).
  tag_t SheetMetalTag() const;
  void DeleteSheetTemps();
  // The relief's or the support's temporary sheet from now on (0: none); the
  // one held before is deleted.
  void HoldSheetTemp(bool support, int sheet);

  void SetReliefProfile(SC_section* profile);
  void SetReliefDepth(EXP_expression* depth);
  void SetThickness(EXP_expression* thickness);
};

STAMVIK_OM_CLASS_EXPORTS(CastReliefBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(CastReliefBuilder)

class STAMVIK_API CastReliefBuilderFactory {
 public:
  static CastReliefBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
