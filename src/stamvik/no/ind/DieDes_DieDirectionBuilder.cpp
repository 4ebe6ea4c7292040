#include "DieDes_DieDirectionBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDirectionBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDirectionBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieDirectionBuilderInstanceSize,
                        STAMVIK_DIE_DIRECTION_BUILDER_ATTRIBUTES)

DieDirectionBuilder* DieDirectionBuilderFactory::Create(PART_part* part, bool allow0, bool allow1, bool allow2,
                                                        bool allow3, bool allow4, bool required) {
  auto* builder = static_cast<DieDirectionBuilder*>(
      OM::ObjectFactory::CreateObject(DieDirectionBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  builder->InitCreate(part, allow0, allow1, allow2, allow3, allow4, required);
  return builder;
}

void DieDirectionBuilder::InitCreate(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                     bool allow4, bool required) {
  init_object(part);
  const bool allow[kAllowOptionCount] = {allow0, allow1, allow2, allow3, allow4};
  for (int i = 0; i < kAllowOptionCount; ++i) SetAllowOptionsItem(i, allow[i]);
  SetApplIsOverallRequired(required);
  SetApplScopeDirection(1);
  const double origin[3] = {0, 0, 0};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  SetCoordinateSystemOrigin(origin);
  SetCoordinateSystemMatrix(identity);
  // A vector is preferred to a coordinate system when both are allowed.
  if (allow0)
    SetInputType(JA_DIE_DIRECTION_BUILDER_direction_type_Selection);
  else if (allow2)
    SetInputType(JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  else if (allow1)
    SetInputType(JA_DIE_DIRECTION_BUILDER_direction_type_CoordinateSystem);
}

char* DieDirectionBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieDirectionBuilder"); }
int DieDirectionBuilder::commit() { return 0; }

void DieDirectionBuilder::destroy() { cascade_destroy(); }
void DieDirectionBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}
void DieDirectionBuilder::implement_destroy() {
  // The selection and direction entity are released here once the builder makes them.
}

void DieDirectionBuilder::GetCoordinateSystemOrigin(double origin[3]) const {
  OM::OM_ask_reals(this, m_coordinateSystemOriginAttId, origin);
}
void DieDirectionBuilder::SetCoordinateSystemOrigin(const double origin[3]) {
  OM::OM_set_reals(this, m_coordinateSystemOriginAttId, origin);
}
void DieDirectionBuilder::GetCoordinateSystemMatrix(double matrix[9]) const {
  OM::OM_ask_reals(this, m_coordinateSystemMatrixAttId, matrix);
}
void DieDirectionBuilder::SetCoordinateSystemMatrix(const double matrix[9]) {
  OM::OM_set_reals(this, m_coordinateSystemMatrixAttId, matrix);
}

void DieDirectionBuilder::SetInputType(JA_DIE_DIRECTION_BUILDER_direction_type type) {
  OM::LogForWrite(this);
  m_inputType = type;
}
void DieDirectionBuilder::SetDirection(SELECT_OBJECT* selection) {
  OM::SetReferencedObject(this, m_directionAttId, selection);
}
void DieDirectionBuilder::SetVector(tag_t vector) { OM::SetReferencedObject(this, m_vectorAttId, vector); }
void DieDirectionBuilder::SetReverseSourceDirection(bool reverse) {
  OM::LogForWrite(this);
  m_reverseSourceDirection = reverse;
}

bool DieDirectionBuilder::GetAllowOptionsItem(int index) const {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  return m_allowOptions[index];
}
void DieDirectionBuilder::SetAllowOptionsItem(int index, bool allow) {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  OM::LogForWrite(this);
  m_allowOptions[index] = allow;
}
void DieDirectionBuilder::SetApplIsOverallRequired(bool required) {
  OM::LogForWrite(this);
  m_applIsOverallRequired = required;
}
void DieDirectionBuilder::SetApplScopeDirection(int scope) {
  OM::LogForWrite(this);
  m_applScopeDirection = scope;
}

}  // namespace KTX::DieDes
