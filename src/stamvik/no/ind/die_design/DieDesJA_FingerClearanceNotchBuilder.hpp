// A notch that clears the fingers of a part-handling device, shaped by a
// section, faces or a sheet body and cut from a target body.
#pragma once
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types : int {
  JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Section = 0,
  JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face = 1,
  JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_SheetBody = 2,
};

#define STAMVIK_FINGER_CLEARANCE_NOTCH_BUILDER_ATTRIBUTES(A)                                   \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                            \
  A(1, m_section, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                              \
  A(2, m_extrudeWidth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                       \
  A(3, m_geometry, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)                     \
  A(4, m_reverseDirection, ::KTX::Frame::Logical, 0x1)                                         \
  A(5, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)         \
  A(6, m_clearanceDirection, ::KTX::Frame::Ref<::KTX::DieDes::DieDirectionBuilder>, 0x804001)  \
  A(7, m_width, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                              \
  A(8, m_depth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                              \
  A(9, m_attributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)         \
  A(10, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                        \
  A(11, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                           \
  A(12, m_type, ::KTX::Frame::Integer, 0x1)                                                    \
  A(13, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::FingerClearanceNotchTarget>, 0x1A04001)

class STAMVIK_API FingerClearanceNotchBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(FingerClearanceNotchBuilder, GenericBodyBuilder, "KTX::DieDesJA::FingerClearanceNotchBuilder",
                   STAMVIK_FINGER_CLEARANCE_NOTCH_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  int ConvertBuilderDataToFrec(FEATURE_RECORD* frec) override;
  void Notify(OM::Object* changed) override;
  // Loads the builder from the feature being edited.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  // The preview for the host's dialog: 0 with the bodies handed over (a
  // host-allocated array the caller owns), or a message number with nothing
  // handed over. The caller passes count 0 and bodies null.
  int CreateBodies(int* count, int** bodies) const;

  SELECT_OBJECT* GetTarget() const { return m_target; }
  DieDes::FingerClearanceNotchTarget* GetTargetData() const { return m_targetData; }
  SC_section* GetSection() const { return m_section; }
  EXP_expression* GetExtrudeWidth() const { return m_extrudeWidth; }
  SELECT_OBJECT_list* GetGeometry() const { return m_geometry; }
  DieDes::DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  DieDes::DieDirectionBuilder* GetClearanceDirection() const { return m_clearanceDirection; }
  EXP_expression* GetWidth() const { return m_width; }
  EXP_expression* GetDepth() const { return m_depth; }
  DieDes::DieAttributesBuilder* GetAttributes() const { return m_attributes; }
  bool GetReverseDirection() const { return m_reverseDirection; }
  void SetReverseDirection(bool reverse);
  JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types GetType() const {
    return static_cast<JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types>(m_type);
  }
  void SetType(JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types type);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;

  // Used when a feature is read back.
  void SetSection(SC_section* section);
  void SetExtrudeWidth(EXP_expression* width);
  void SetWidth(EXP_expression* width);
  void SetDepth(EXP_expression* depth);
};

STAMVIK_OM_CLASS_EXPORTS(FingerClearanceNotchBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(FingerClearanceNotchBuilder)

class STAMVIK_API FingerClearanceNotchBuilderFactory {
 public:
  static FingerClearanceNotchBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
