#include "DieDesJA_DieLocationBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieLocationBuilder)
STAMVIK_OM_DEFINE_CLASS(DieLocationBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieLocationBuilderInstanceSize,
                        STAMVIK_DIE_LOCATION_BUILDER_ATTRIBUTES)

namespace {
DieLocationBuilder* NewDieLocationBuilder() {
  return static_cast<DieLocationBuilder*>(
      OM::ObjectFactory::CreateObject(DieLocationBuilderClassId, OM::OM_memory_type_persistent, nullptr));
}
}  // namespace

DieLocationBuilder* DieLocationBuilderFactory::Create(PART_part* part) {
  DieLocationBuilder* builder = NewDieLocationBuilder();
  builder->InitCreate(part);
  return builder;
}

DieLocationBuilder* DieLocationBuilderFactory::CreateItem(PART_part* part, bool selectLocation, bool newPoint,
                                                          bool newCoordinateSystem, bool newVector, bool newPlane,
                                                          bool isOverallRequired) {
  DieLocationBuilder* builder = NewDieLocationBuilder();
  builder->InitCreateItem(part, selectLocation, newPoint, newCoordinateSystem, newVector, newPlane,
                          isOverallRequired);
  return builder;
}

void DieLocationBuilder::InitCreate(PART_part* part) { InitCreateItem(part, true, true, true, true, true, true); }

void DieLocationBuilder::InitCreateItem(PART_part* part, bool selectLocation, bool newPoint,
                                        bool newCoordinateSystem, bool newVector, bool newPlane,
                                        bool isOverallRequired) {
  init_object(part);
  const bool allow[kAllowOptionCount] = {selectLocation, newPoint, newCoordinateSystem, newVector, newPlane};
  for (int i = 0; i < kAllowOptionCount; ++i) SetAllowOptionsItem(i, allow[i]);
  SetApplIsOverallRequired(isOverallRequired);
  SetApplScopeLocation(1);
  const double origin[3] = {0, 0, 0};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  SetCoordinateSystemOrigin(origin);
  SetCoordinateSystemMatrix(identity);
  // The option flags are in type order, so the first allowed flag is the type.
  for (int i = 0; i < kAllowOptionCount; ++i) {
    if (allow[i]) {
      SetInputType(static_cast<JA_DIE_LOCATION_BUILDER_LocationType>(i));
      break;
    }
  }
}

char* DieLocationBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieLocationBuilder"); }
int DieLocationBuilder::commit() { return 0; }

void DieLocationBuilder::GetCoordinateSystemOrigin(double origin[3]) const {
  OM::OM_ask_reals(this, m_coordinateSystemOriginAttId, origin);
}
void DieLocationBuilder::SetCoordinateSystemOrigin(const double origin[3]) {
  OM::OM_set_reals(this, m_coordinateSystemOriginAttId, origin);
}
void DieLocationBuilder::GetCoordinateSystemMatrix(double matrix[9]) const {
  OM::OM_ask_reals(this, m_coordinateSystemMatrixAttId, matrix);
}
void DieLocationBuilder::SetCoordinateSystemMatrix(const double matrix[9]) {
  OM::OM_set_reals(this, m_coordinateSystemMatrixAttId, matrix);
}

void DieLocationBuilder::SetInputType(JA_DIE_LOCATION_BUILDER_LocationType type) {
  OM::LogForWrite(this);
  m_inputType = type;
}
void DieLocationBuilder::SetPoint(tag_t point) { OM::SetReferencedObject(this, m_pointAttId, point); }
void DieLocationBuilder::SetVector(tag_t vector) { OM::SetReferencedObject(this, m_vectorAttId, vector); }
void DieLocationBuilder::SetPlane(tag_t plane) { OM::SetReferencedObject(this, m_planeAttId, plane); }

bool DieLocationBuilder::GetAllowOptionsItem(int index) const {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  return m_allowOptions[index];
}
void DieLocationBuilder::SetAllowOptionsItem(int index, bool allow) {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  OM::LogForWrite(this);
  m_allowOptions[index] = allow;
}
void DieLocationBuilder::SetApplIsOverallRequired(bool required) {
  OM::LogForWrite(this);
  m_applIsOverallRequired = required;
}
void DieLocationBuilder::SetApplScopeLocation(int scope) {
  OM::LogForWrite(this);
  m_applScopeLocation = scope;
}

}  // namespace KTX::DieDesJA
