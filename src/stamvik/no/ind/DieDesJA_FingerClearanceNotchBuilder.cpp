#include "DieDesJA_FingerClearanceNotchBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(FingerClearanceNotchBuilder)
STAMVIK_OM_DEFINE_CLASS(FingerClearanceNotchBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetFingerClearanceNotchBuilderInstanceSize,
                        STAMVIK_FINGER_CLEARANCE_NOTCH_BUILDER_ATTRIBUTES)

FingerClearanceNotchBuilder* FingerClearanceNotchBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<FingerClearanceNotchBuilder>(FingerClearanceNotchBuilderClassId, [&](auto* made) {
    made->InitCreate(part, frec);
  });
}

void FingerClearanceNotchBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* FingerClearanceNotchBuilder::ask_journal_class_name() const {
  return SM_string_copy("Die.FingerClearanceNotchBuilder");
}

void FingerClearanceNotchBuilder::SetReverseDirection(bool reverse) {
  OM::LogForWrite(this);
  m_reverseDirection = reverse;
}
void FingerClearanceNotchBuilder::SetType(JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void FingerClearanceNotchBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void FingerClearanceNotchBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void FingerClearanceNotchBuilder::SetSection(SC_section* section) {
  OM::SetReferencedObject(this, m_sectionAttId, section);
}
void FingerClearanceNotchBuilder::SetExtrudeWidth(EXP_expression* width) {
  OM::SetReferencedObject(this, m_extrudeWidthAttId, width);
}
void FingerClearanceNotchBuilder::SetWidth(EXP_expression* width) {
  OM::SetReferencedObject(this, m_widthAttId, width);
}
void FingerClearanceNotchBuilder::SetDepth(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_depthAttId, depth);
}

}  // namespace KTX::DieDesJA
