#include "DieDesJA_HandlingCoreBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(HandlingCoreBuilder)
STAMVIK_OM_DEFINE_CLASS(HandlingCoreBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetHandlingCoreBuilderInstanceSize, STAMVIK_HANDLING_CORE_BUILDER_ATTRIBUTES)

HandlingCoreBuilder* HandlingCoreBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<HandlingCoreBuilder>(HandlingCoreBuilderClassId, [&](HandlingCoreBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void HandlingCoreBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* HandlingCoreBuilder::ask_journal_class_name() const { return SM_string_copy("Die.HandlingCoreBuilder"); }

void HandlingCoreBuilder::SetType(JA_HANDLING_CORE_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void HandlingCoreBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void HandlingCoreBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void HandlingCoreBuilder::SetHeight(EXP_expression* height) { OM::SetReferencedObject(this, m_heightAttId, height); }
void HandlingCoreBuilder::SetWidth(EXP_expression* width) { OM::SetReferencedObject(this, m_widthAttId, width); }
void HandlingCoreBuilder::SetClearance(EXP_expression* clearance) {
  OM::SetReferencedObject(this, m_clearanceAttId, clearance);
}
void HandlingCoreBuilder::SetDepth(EXP_expression* depth) { OM::SetReferencedObject(this, m_depthAttId, depth); }

}  // namespace KTX::DieDesJA
