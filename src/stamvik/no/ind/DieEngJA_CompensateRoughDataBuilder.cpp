#include "DieEngJA_CompensateRoughDataBuilder.hpp"

#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieEngJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(CompensateRoughDataBuilder)
STAMVIK_OM_DEFINE_CLASS(CompensateRoughDataBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000,
                        &GetCompensateRoughDataBuilderInstanceSize, STAMVIK_COMPENSATE_ROUGH_DATA_BUILDER_ATTRIBUTES)

CompensateRoughDataBuilder* CompensateRoughDataBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<CompensateRoughDataBuilder>(CompensateRoughDataBuilderClassId, [&](auto* made) {
    made->InitCreate(part, frec);
  });
}

void CompensateRoughDataBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) { init_object(part, frec); }

char* CompensateRoughDataBuilder::ask_journal_class_name() const {
  return SM_string_copy("Die.CompensateRoughDataBuilder");
}

JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type CompensateRoughDataBuilder::GetApproximation() const {
  return static_cast<JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type>(GetIntApproximation());
}
void CompensateRoughDataBuilder::SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type approximation) {
  SetIntApproximation(approximation);
}
JA_COMPENSATE_ROUGH_DATA_BUILDER_types CompensateRoughDataBuilder::GetType() const {
  return static_cast<JA_COMPENSATE_ROUGH_DATA_BUILDER_types>(GetIntType());
}

void CompensateRoughDataBuilder::SetType(JA_COMPENSATE_ROUGH_DATA_BUILDER_types type) {
  // The edited feature's parameters are of one type; switching would orphan them.
  if (get_frec() != nullptr && type != GetType())
    ERROR_raise("DieEngJA_CompensateRoughDataBuilder", 350, kTypeChangeWhileEditing, "%s", "");
  OM::LogForWrite(this);
  m_type = type;
}

void CompensateRoughDataBuilder::SetIntType(int type) {
  OM::LogForWrite(this);
  m_type = type;
}
void CompensateRoughDataBuilder::SetIntApproximation(int approximation) {
  OM::LogForWrite(this);
  m_approximation = approximation;
}
void CompensateRoughDataBuilder::SetDistanceTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_distanceTolerance = tolerance;
}
void CompensateRoughDataBuilder::SetAngleTolerance(double tolerance) {
  OM::LogForWrite(this);
  m_angleTolerance = tolerance;
}
void CompensateRoughDataBuilder::SetMaximumGap(double gap) {
  OM::LogForWrite(this);
  m_maximumGap = gap;
}
void CompensateRoughDataBuilder::SetJoinOutputCurves(bool join) {
  OM::LogForWrite(this);
  m_joinOutputCurves = join;
}
void CompensateRoughDataBuilder::SetModifyInputSheet(bool modify) {
  OM::LogForWrite(this);
  m_modifyInputSheet = modify;
}

void CompensateRoughDataBuilder::SetCurveCollector(SC_section* section) {
  OM::SetReferencedObject(this, m_curveCollectorAttId, section);
}
void CompensateRoughDataBuilder::SetSheetBodies(SELECT_OBJECT_list* bodies) {
  OM::SetReferencedObject(this, m_sheetBodiesAttId, bodies);
}
void CompensateRoughDataBuilder::SetProjectToFaces(SC_collector* faces) {
  OM::SetReferencedObject(this, m_projectToFacesAttId, faces);
}

}  // namespace KTX::DieEngJA
