#include "DieDesJA_ClearanceBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(ClearanceBuilder)
STAMVIK_OM_DEFINE_CLASS(ClearanceBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetClearanceBuilderInstanceSize, STAMVIK_CLEARANCE_BUILDER_ATTRIBUTES)

ClearanceBuilder* ClearanceBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  auto* builder = static_cast<ClearanceBuilder*>(
      OM::ObjectFactory::CreateObject(ClearanceBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  builder->InitCreate(part, frec);
  return builder;
}

void ClearanceBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* ClearanceBuilder::ask_journal_class_name() const { return SM_string_copy("Die.ClearanceBuilder"); }

void ClearanceBuilder::SetType(JA_CLEARANCE_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void ClearanceBuilder::SetClearanceGeometryType(JA_CLEARANCE_BUILDER_ClearanceGeometryTypes type) {
  OM::LogForWrite(this);
  m_clearanceGeometryType = type;
}
void ClearanceBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void ClearanceBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void ClearanceBuilder::SetDistance(EXP_expression* distance) {
  OM::SetReferencedObject(this, m_distanceAttId, distance);
}
void ClearanceBuilder::SetOffset(EXP_expression* offset) { OM::SetReferencedObject(this, m_offsetAttId, offset); }
void ClearanceBuilder::SetSection(SC_section* section) { OM::SetReferencedObject(this, m_sectionAttId, section); }

}  // namespace KTX::DieDesJA
