#include "DieDesJA_CastReliefBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(CastReliefBuilder)
STAMVIK_OM_DEFINE_CLASS(CastReliefBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetCastReliefBuilderInstanceSize, STAMVIK_CAST_RELIEF_BUILDER_ATTRIBUTES)

CastReliefBuilder* CastReliefBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  auto* builder = static_cast<CastReliefBuilder*>(
      OM::ObjectFactory::CreateObject(CastReliefBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  builder->InitCreate(part, frec);
  return builder;
}

void CastReliefBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* CastReliefBuilder::ask_journal_class_name() const { return SM_string_copy("Die.CastReliefBuilder"); }

void CastReliefBuilder::SetCreateSupportCasting(bool create) {
  OM::LogForWrite(this);
  m_createSupportCasting = create;
}
void CastReliefBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void CastReliefBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void CastReliefBuilder::SetReliefProfile(SC_section* profile) {
  OM::SetReferencedObject(this, m_reliefProfileAttId, profile);
}
void CastReliefBuilder::SetReliefDepth(EXP_expression* depth) {
  OM::SetReferencedObject(this, m_reliefDepthAttId, depth);
}
void CastReliefBuilder::SetThickness(EXP_expression* thickness) {
  OM::SetReferencedObject(this, m_thicknessAttId, thickness);
}

}  // namespace KTX::DieDesJA
