// Cores for handling a die casting, placed at die locations or mapped from
// a base, oriented by a core plane and a base plane.
#pragma once
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_HANDLING_CORE_BUILDER_Types : int {
  JA_HANDLING_CORE_BUILDER_Types_AtLocation = 0,
  JA_HANDLING_CORE_BUILDER_Types_FromBase = 1,
  JA_HANDLING_CORE_BUILDER_Types_MapFromBase = 2,
};

#define STAMVIK_HANDLING_CORE_BUILDER_ATTRIBUTES(A)                                             \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                             \
  A(1, m_location, ::KTX::Frame::Ref<::KTX::DieDesJA::DieLocationsBuilder>, 0x804001)           \
  A(2, m_coreOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)          \
  A(3, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)          \
  A(4, m_height, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                            \
  A(5, m_width, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                             \
  A(6, m_clearance, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                         \
  A(7, m_depth, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                             \
  A(8, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                          \
  A(9, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                             \
  A(10, m_type, ::KTX::Frame::Integer, 0x1)                                                     \
  A(11, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::HandlingCoreTarget>, 0x1A04001)

class STAMVIK_API HandlingCoreBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(HandlingCoreBuilder, GenericBodyBuilder, "KTX::DieDesJA::HandlingCoreBuilder",
                   STAMVIK_HANDLING_CORE_BUILDER_ATTRIBUTES)

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
  DieDes::HandlingCoreTarget* GetTargetData() const { return m_targetData; }
  DieLocationsBuilder* GetLocation() const { return m_location; }
  DieDes::DiePlaneBuilder* GetCoreOrientation() const { return m_coreOrientation; }
  DieDes::DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  EXP_expression* GetHeight() const { return m_height; }
  EXP_expression* GetWidth() const { return m_width; }
  EXP_expression* GetClearance() const { return m_clearance; }
  EXP_expression* GetDepth() const { return m_depth; }
  JA_HANDLING_CORE_BUILDER_Types GetType() const { return static_cast<JA_HANDLING_CORE_BUILDER_Types>(m_type); }
  void SetType(JA_HANDLING_CORE_BUILDER_Types type);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;

  // Used when a feature is read back.
  void SetHeight(EXP_expression* height);
  void SetWidth(EXP_expression* width);
  void SetClearance(EXP_expression* clearance);
  void SetDepth(EXP_expression* depth);
};

STAMVIK_OM_CLASS_EXPORTS(HandlingCoreBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(HandlingCoreBuilder)

class STAMVIK_API HandlingCoreBuilderFactory {
 public:
  static HandlingCoreBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
