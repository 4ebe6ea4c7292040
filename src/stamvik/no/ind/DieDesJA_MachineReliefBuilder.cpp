#include "DieDesJA_MachineReliefBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(MachineReliefBuilder)
STAMVIK_OM_DEFINE_CLASS(MachineReliefBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetMachineReliefBuilderInstanceSize, STAMVIK_MACHINE_RELIEF_BUILDER_ATTRIBUTES)

namespace {
// The target data's kind for a thickened wall on an interior main profile.
constexpr int kThickenInteriorKind = 3;
}  // namespace

MachineReliefBuilder* MachineReliefBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<MachineReliefBuilder>(MachineReliefBuilderClassId, [&](MachineReliefBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void MachineReliefBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* MachineReliefBuilder::ask_journal_class_name() const { return SM_string_copy("Die.MachineReliefBuilder"); }

void MachineReliefBuilder::SetType(JA_MACHINE_RELIEF_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
  if (m_targetData == nullptr) return;
  int kind = type;
  if (type == JA_MACHINE_RELIEF_BUILDER_Types_Thicken &&
      m_mainProfileType == JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior)
    kind = kThickenInteriorKind;
  OM::LogForWrite(m_targetData);
  m_targetData->SetReliefKind(kind);
}

void MachineReliefBuilder::SetMainProfileType(JA_MACHINE_RELIEF_BUILDER_MainProfileTypes type) {
  OM::LogForWrite(this);
  m_mainProfileType = type;
}
void MachineReliefBuilder::SetSwitchTrimSide(bool switchSide) {
  OM::LogForWrite(this);
  m_switchTrimSide = switchSide;
}
void MachineReliefBuilder::SetTrimSheetType(JA_MACHINE_RELIEF_BUILDER_TrimSheetTypes type) {
  OM::LogForWrite(this);
  m_trimSheetType = type;
}
void MachineReliefBuilder::SetJogWall(bool jog) {
  OM::LogForWrite(this);
  m_jogWall = jog;
}
void MachineReliefBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void MachineReliefBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}

void MachineReliefBuilder::SetMainProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_mainProfileAttId, section);
}
void MachineReliefBuilder::SetInsideWallProfile(SC_section* section) {
  OM::SetReferencedObject(this, m_insideWallProfileAttId, section);
}
void MachineReliefBuilder::SetTrimSheetFace(SC_collector* collector) {
  OM::SetReferencedObject(this, m_trimSheetFaceAttId, collector);
}

// Expressions: references, which the host logs and stores.
#define STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(Name, field)        \
  void MachineReliefBuilder::Set##Name(EXP_expression* expression) { \
    OM::SetReferencedObject(this, field##AttId, expression);         \
  }

STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(BaseOffset, m_baseOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(TopOffset, m_topOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(TrimSheetOffset, m_trimSheetOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(Offset, m_offset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(Relief, m_relief)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(BeltFaceThickness, m_beltFaceThickness)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(ProfileOffset, m_profileOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(ReliefOffset, m_reliefOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(TrimOffset, m_trimOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(WallOffset, m_wallOffset)
STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER(WallThickness, m_wallThickness)

#undef STAMVIK_MACHINE_RELIEF_EXPRESSION_SETTER

}  // namespace KTX::DieDesJA
