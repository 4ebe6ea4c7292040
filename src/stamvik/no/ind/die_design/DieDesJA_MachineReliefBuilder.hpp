// A cam pocket, relief or thickened wall machined into a die casting along a
// main profile, between a base plane and a top offset.
#pragma once
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_GenericBodyBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "afl/DieDesign.hpp"
#include "sel/Selection.hpp"

namespace KTX::DieDesJA {

enum JA_MACHINE_RELIEF_BUILDER_Types : int {
  JA_MACHINE_RELIEF_BUILDER_Types_Cam = 0,
  JA_MACHINE_RELIEF_BUILDER_Types_Relief = 1,
  JA_MACHINE_RELIEF_BUILDER_Types_Thicken = 2,
};

enum JA_MACHINE_RELIEF_BUILDER_MainProfileTypes : int {
  JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Exterior = 0,
  JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior = 1,
};

enum JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes : int {
  JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes_Sheet = 0,
  JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes_Face = 1,
};

#define STAMVIK_MACHINE_RELIEF_BUILDER_ATTRIBUTES(A)                                                  \
  A(0, m_target, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                                   \
  A(1, m_baseOrientation, ::KTX::Frame::Ref<::KTX::DieDes::DiePlaneBuilder>, 0x804001)                \
  A(2, m_baseOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                              \
  A(3, m_topOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                               \
  A(4, m_mainProfileType, ::KTX::Frame::Integer, 0x1)                                                 \
  A(5, m_mainProfile, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                                 \
  A(6, m_switchTrimSide, ::KTX::Frame::Logical, 0x1)                                                  \
  A(7, m_start, ::KTX::Frame::Ref<::KTX::DieDesJA::DieLocationBuilder>, 0x804001)                     \
  A(8, m_end, ::KTX::Frame::Ref<::KTX::DieDesJA::DieLocationBuilder>, 0x804001)                       \
  A(9, m_camDirection, ::KTX::Frame::Ref<::KTX::DieDes::DieDirectionBuilder>, 0x804001)               \
  A(10, m_trimSheetType, ::KTX::Frame::Integer, 0x1)                                                  \
  A(11, m_trimSheet, ::KTX::Frame::Ref<::KTX::SELECT_OBJECT>, 0x804001)                               \
  A(12, m_trimSheetFace, ::KTX::Frame::Ref<::KTX::SC_collector>, 0xC04001)                            \
  A(13, m_trimSheetOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                        \
  A(14, m_insideWallProfile, ::KTX::Frame::Ref<::KTX::SC_section>, 0x804001)                          \
  A(15, m_offset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                                 \
  A(16, m_relief, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                                 \
  A(17, m_beltFaceThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                      \
  A(18, m_profileOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                          \
  A(19, m_reliefOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                           \
  A(20, m_trimOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                             \
  A(21, m_wallOffset, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                             \
  A(22, m_wallThickness, ::KTX::Frame::Ref<::KTX::EXP_expression>, 0x804001)                          \
  A(23, m_jogWall, ::KTX::Frame::Logical, 0x1)                                                        \
  A(24, m_beltAttributes, ::KTX::Frame::Ref<::KTX::DieDes::DieAttributesBuilder>, 0x804001)           \
  A(25, m_distanceTolerance, ::KTX::Frame::Double, 0x1)                                               \
  A(26, m_angleTolerance, ::KTX::Frame::Double, 0x1)                                                  \
  A(27, m_type, ::KTX::Frame::Integer, 0x1)                                                           \
  A(28, m_targetData, ::KTX::Frame::Ref<::KTX::DieDes::MachineReliefTarget>, 0x1A04001)

class STAMVIK_API MachineReliefBuilder : public GenericBodyBuilder {
  STAMVIK_OM_CLASS(MachineReliefBuilder, GenericBodyBuilder, "KTX::DieDesJA::MachineReliefBuilder",
                   STAMVIK_MACHINE_RELIEF_BUILDER_ATTRIBUTES)

 public:
  void InitCreate(CM_part* part, FEATURE_RECORD* frec);
  char* ask_journal_class_name() const override;
  int validate_nothrow() override;
  int commit_feature(FEATURE_RECORD** frec) override;
  int ConvertBuilderDataToFrec(FEATURE_RECORD* frec) override;
  // Reacts to a new target and to a new main profile: whether the start and
  // end locations are required follows from them.
  void Notify(OM::Object* changed) override;

  // Also tells the target data which kind of relief to look for: a thickened
  // wall on an interior main profile is a kind of its own there.
  virtual void SetType(JA_MACHINE_RELIEF_BUILDER_Types type);
  // Loads the builder from the feature being edited.
  virtual void ConvertFrecToBuilderData(FEATURE_RECORD* frec);

  // The preview for the host's dialog: 0 with the bodies handed over (a
  // host-allocated array the caller owns), or a message number with nothing
  // handed over. The caller passes count 0 and bodies null.
  int CreateBodies(int* count, int** bodies) const;

  JA_MACHINE_RELIEF_BUILDER_Types GetType() const { return static_cast<JA_MACHINE_RELIEF_BUILDER_Types>(m_type); }

  JA_MACHINE_RELIEF_BUILDER_MainProfileTypes GetMainProfileType() const {
    return static_cast<JA_MACHINE_RELIEF_BUILDER_MainProfileTypes>(m_mainProfileType);
  }
  void SetMainProfileType(JA_MACHINE_RELIEF_BUILDER_MainProfileTypes type);
  bool GetSwitchTrimSide() const { return m_switchTrimSide; }
  void SetSwitchTrimSide(bool switchSide);
  JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes GetTrimSheetType() const {
    return static_cast<JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes>(m_trimSheetType);
  }
  void SetTrimSheetType(JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes type);
  bool GetJogWall() const { return m_jogWall; }
  void SetJogWall(bool jog);
  double GetDistanceTolerance() const { return m_distanceTolerance; }
  void SetDistanceTolerance(double tolerance);
  double GetAngleTolerance() const { return m_angleTolerance; }
  void SetAngleTolerance(double tolerance);

  SELECT_OBJECT* GetTarget() const { return m_target; }
  DieDes::MachineReliefTarget* GetTargetData() const { return m_targetData; }
  DieDes::DiePlaneBuilder* GetBaseOrientation() const { return m_baseOrientation; }
  EXP_expression* GetBaseOffset() const { return m_baseOffset; }
  EXP_expression* GetTopOffset() const { return m_topOffset; }
  SC_section* GetMainProfile() const { return m_mainProfile; }
  DieLocationBuilder* GetStart() const { return m_start; }
  DieLocationBuilder* GetEnd() const { return m_end; }
  DieDes::DieDirectionBuilder* GetCamDirection() const { return m_camDirection; }
  SELECT_OBJECT* GetTrimSheet() const { return m_trimSheet; }
  SC_collector* GetTrimSheetFace() const { return m_trimSheetFace; }
  EXP_expression* GetTrimSheetOffset() const { return m_trimSheetOffset; }
  SC_section* GetInsideWallProfile() const { return m_insideWallProfile; }
  EXP_expression* GetOffset() const { return m_offset; }
  EXP_expression* GetRelief() const { return m_relief; }
  EXP_expression* GetBeltFaceThickness() const { return m_beltFaceThickness; }
  EXP_expression* GetProfileOffset() const { return m_profileOffset; }
  EXP_expression* GetReliefOffset() const { return m_reliefOffset; }
  EXP_expression* GetTrimOffset() const { return m_trimOffset; }
  EXP_expression* GetWallOffset() const { return m_wallOffset; }
  EXP_expression* GetWallThickness() const { return m_wallThickness; }
  DieDes::DieAttributesBuilder* GetBeltAttributes() const { return m_beltAttributes; }

 private:
  int ToParms(DIEDES_GENERIC_BODY_PARMS* parms) override;
  void GetSelectedObjects(int* count, tag_t** tags) const override;
  void ReactToTarget();
  void ReactToMainProfile();
  void SetStartAndEndRequired(bool required);

  // Used when a feature's values are read back into the builder.
  void SetMainProfile(SC_section* section);
  void SetInsideWallProfile(SC_section* section);
  void SetTrimSheetFace(SC_collector* collector);
  void SetBaseOffset(EXP_expression* expression);
  void SetTopOffset(EXP_expression* expression);
  void SetTrimSheetOffset(EXP_expression* expression);
  void SetOffset(EXP_expression* expression);
  void SetRelief(EXP_expression* expression);
  void SetBeltFaceThickness(EXP_expression* expression);
  void SetProfileOffset(EXP_expression* expression);
  void SetReliefOffset(EXP_expression* expression);
  void SetTrimOffset(EXP_expression* expression);
  void SetWallOffset(EXP_expression* expression);
  void SetWallThickness(EXP_expression* expression);
};

STAMVIK_OM_CLASS_EXPORTS(MachineReliefBuilder)
STAMVIK_OM_INSTANCE_SIZE_DECL(MachineReliefBuilder)

class STAMVIK_API MachineReliefBuilderFactory {
 public:
  static MachineReliefBuilder* Create(CM_part* part, FEATURE_RECORD* frec);
};

}  // namespace KTX::DieDesJA
