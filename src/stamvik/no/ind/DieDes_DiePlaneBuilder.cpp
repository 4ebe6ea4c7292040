#include "DieDes_DiePlaneBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DiePlaneBuilder)
STAMVIK_OM_DEFINE_CLASS(DiePlaneBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDiePlaneBuilderInstanceSize,
                        STAMVIK_DIE_PLANE_BUILDER_ATTRIBUTES)

DiePlaneBuilder* DiePlaneBuilderFactory::Create(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                                bool required) {
  auto* builder = static_cast<DiePlaneBuilder*>(
      OM::ObjectFactory::CreateObject(DiePlaneBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  builder->InitCreate(part, allow0, allow1, allow2, allow3, required);
  return builder;
}

void DiePlaneBuilder::InitCreate(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                 bool required) {
  init_object(part);
  const bool allow[kAllowOptionCount] = {allow0, allow1, allow2, allow3};
  for (int i = 0; i < kAllowOptionCount; ++i) SetAllowOptionsItem(i, allow[i]);
  SetApplIsOverallRequired(required);
  SetApplScopePlane(1);
  if (allow0)
    SetInputType(JA_DIE_PLANE_BUILDER_plane_type_Selection);
  else if (allow1)
    SetInputType(JA_DIE_PLANE_BUILDER_plane_type_Plane);
  else if (allow2)
    SetInputType(JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
}

char* DiePlaneBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DiePlaneBuilder"); }
int DiePlaneBuilder::commit() { return 0; }

void DiePlaneBuilder::GetCoordinateSystemOrigin(double origin[3]) const {
  OM::OM_ask_reals(this, m_coordinateSystemOriginAttId, origin);
}
void DiePlaneBuilder::SetCoordinateSystemOrigin(const double origin[3]) {
  OM::OM_set_reals(this, m_coordinateSystemOriginAttId, origin);
}
void DiePlaneBuilder::GetCoordinateSystemMatrix(double matrix[9]) const {
  OM::OM_ask_reals(this, m_coordinateSystemMatrixAttId, matrix);
}
void DiePlaneBuilder::SetCoordinateSystemMatrix(const double matrix[9]) {
  OM::OM_set_reals(this, m_coordinateSystemMatrixAttId, matrix);
}

void DiePlaneBuilder::SetInputType(JA_DIE_PLANE_BUILDER_plane_type type) {
  OM::LogForWrite(this);
  m_inputType = type;
}
void DiePlaneBuilder::SetSelectPlane(SELECT_OBJECT* selection) {
  OM::SetReferencedObject(this, m_selectPlaneAttId, selection);
}
void DiePlaneBuilder::SetSpecifyPlane(tag_t plane) { OM::SetReferencedObject(this, m_specifyPlaneAttId, plane); }
void DiePlaneBuilder::SetReverseSourceDirection(bool reverse) {
  OM::LogForWrite(this);
  m_reverseSourceDirection = reverse;
}

bool DiePlaneBuilder::GetAllowOptionsItem(int index) const {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  return m_allowOptions[index];
}
void DiePlaneBuilder::SetAllowOptionsItem(int index, bool allow) {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  OM::LogForWrite(this);
  m_allowOptions[index] = allow;
}
void DiePlaneBuilder::SetApplIsOverallRequired(bool required) {
  OM::LogForWrite(this);
  m_applIsOverallRequired = required;
}
void DiePlaneBuilder::SetApplScopePlane(int scope) {
  OM::LogForWrite(this);
  m_applScopePlane = scope;
}

}  // namespace KTX::DieDes
