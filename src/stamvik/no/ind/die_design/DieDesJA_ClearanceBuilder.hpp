// A clearance body for a gage, gripper or lifter, made around selected
// geometry or a section and optionally cut from a target body.
#pragma once
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_CLEARANCE_BUILDER_Types : int {
  JA_CLEARANCE_BUILDER_Types_Gage = 0,
  JA_CLEARANCE_BUILDER_Types_Gripper = 1,
  JA_CLEARANCE_BUILDER_Types_Lifter = 2,
};

enum JA_CLEARANCE_BUILDER_ClearanceGeometryTypes : int {
  JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Solid = 0,
  JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Section = 1,
};

#define STAMVIK_CLEARANCE_BUILDER_ATTRIBUTES(A)                                                \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                            \
  A(1, m_clearanceGeometryType, ::KTX::Frame::Integer, 0x1)                                    \
  A(2, m_geometry, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT_list>, 0x804001)                     \
  A(3, m_section, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                              \
  A(4, m_orientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)             \
  A(5, m_clearanceDirection, ::KTX::Frame::Ref<::KTX::DieDes::DieDirectionBuilder>, 0x804001)  \
  A(6, m_distance, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                           \
  A(7, m_offset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x4001)                             \
  A(8, m_attributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)         \
  A(9, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                         \
  A(10, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                           \
  A(11, m_type, ::KTX::Frame::Integer, 0x1)                                                    \
  A(12, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::ClearanceTarget>, 0x1A04001)

class STAMVIK_API ClearanceBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(ClearanceBuilder, GenericBodyBuilder, "KTX::DieDesJA::ClearanceBuilder",
                   STAMVIK_CLEARANCE_BUILDER_ATTRIBUTES)

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
  DieDes::ClearanceTarget* GetTargetData() const { return m_targetData; }
  SELECT_OBJECT_list* GetGeometry() const { return m_geometry; }
  SC_section* GetSection() const { return m_section; }
  DieDes::DiePlaneBuilder* GetOrientation() const { return m_orientation; }
  DieDes::DieDirectionBuilder* GetClearanceDirection() const { return m_clearanceDirection; }
  EXP_expression* GetDistance() const { return m_distance; }
  EXP_expression* GetOffset() const { return m_offset; }
  DieDes::DieAttributesBuilder* GetAttributes() const { return m_attributes; }
  JA_CLEARANCE_BUILDER_Types GetType() const { return static_cast<JA_CLEARANCE_BUILDER_Types>(m_type); }
  void SetType(JA_CLEARANCE_BUILDER_Types type);
  JA_CLEARANCE_BUILDER_ClearanceGeometryTypes GetClearanceGeometryType() const {
    return static_cast<JA_CLEARANCE_BUILDER_ClearanceGeometryTypes>(m_clearanceGeometryType);
  }
  void SetClearanceGeometryType(JA_CLEARANCE_BUILDER_ClearanceGeometryTypes type);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;

  // Used when a feature is read back.
  void SetDistance(EXP_expression* distance);
  void SetOffset(EXP_expression* offset);
  void SetSection(SC_section* section);
};

STAMVIK_OM_CLASS_EXPORTS(ClearanceBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(ClearanceBuilder)

class STAMVIK_API ClearanceBuilderFactory {
 public:
  static ClearanceBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
