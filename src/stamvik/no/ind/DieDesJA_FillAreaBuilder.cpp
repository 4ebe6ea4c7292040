#include "DieDesJA_FillAreaBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(FillAreaBuilder)
STAMVIK_OM_DEFINE_CLASS(FillAreaBuilder, "KTX::DieDesJA::GenericBodyBuilder", 0x1000,
                        &GetFillAreaBuilderInstanceSize, STAMVIK_FILL_AREA_BUILDER_ATTRIBUTES)

FillAreaBuilder* FillAreaBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<FillAreaBuilder>(FillAreaBuilderClassId, [&](FillAreaBuilder* made) {
    made->InitCreate(part, frec);
  });
}

void FillAreaBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  SetAlgorithmVersion(0);
}

char* FillAreaBuilder::ask_journal_class_name() const { return SM_string_copy("Die.FillAreaBuilder"); }

JA_FILL_AREA_BUILDER_Types FillAreaBuilder::GetType() const {
  return static_cast<JA_FILL_AREA_BUILDER_Types>(m_type);
}
void FillAreaBuilder::SetType(JA_FILL_AREA_BUILDER_Types type) {
  OM::LogForWrite(this);
  m_type = type;
}
void FillAreaBuilder::SetUpperLimitType(JA_FILL_AREA_BUILDER_UpperLimitTypes type) {
  OM::LogForWrite(this);
  m_upperLimitType = type;
}
void FillAreaBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void FillAreaBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void FillAreaBuilder::SetLowerLimitOffset(EXP_expression* offset) {
  OM::SetReferencedObject(this, m_lowerLimitOffsetAttId, offset);
}
void FillAreaBuilder::SetBoundary(SC_section* boundary) {
  OM::SetReferencedObject(this, m_boundaryAttId, boundary);
}

}  // namespace KTX::DieDesJA
