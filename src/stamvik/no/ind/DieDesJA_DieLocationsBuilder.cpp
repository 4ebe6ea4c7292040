#include "DieDesJA_DieLocationsBuilder.hpp"

#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieLocationsBuilder)
STAMVIK_OM_DEFINE_CLASS(DieLocationsBuilder, "KTX::JAX_BASE_BUILDER", 0x1000, &GetDieLocationsBuilderInstanceSize,
                        STAMVIK_DIE_LOCATIONS_BUILDER_ATTRIBUTES)

DieLocationsBuilder* DieLocationsBuilderFactory::Create(PART_part* part, bool selectLocation, bool newPoint,
                                                        bool newCoordinateSystem, bool newVector, bool newPlane,
                                                        bool isOverallRequired, bool allowMultiple) {
  auto* builder = static_cast<DieLocationsBuilder*>(
      OM::ObjectFactory::CreateObject(DieLocationsBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  builder->InitCreate(part, selectLocation, newPoint, newCoordinateSystem, newVector, newPlane, isOverallRequired,
                      allowMultiple);
  return builder;
}

void DieLocationsBuilder::InitCreate(PART_part* part, bool selectLocation, bool newPoint, bool newCoordinateSystem,
                                     bool newVector, bool newPlane, bool isOverallRequired, bool allowMultiple) {
  init_object(part);
  const bool allow[kAllowOptionCount] = {selectLocation, newPoint, newCoordinateSystem, newVector, newPlane};
  for (int i = 0; i < kAllowOptionCount; ++i) SetAllowOptionsItem(i, allow[i]);
  SetApplIsOverallRequired(isOverallRequired);
  SetApplScopeLocation(1);
  SetAllowMultiple(allowMultiple);
}

char* DieLocationsBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DieLocationsBuilder"); }

bool DieLocationsBuilder::GetAllowOptionsItem(int index) const {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  return m_allowOptions[index];
}
void DieLocationsBuilder::SetAllowOptionsItem(int index, bool allow) {
  if (index < 0 || index >= kAllowOptionCount) OM::ThrowIndexOutOfRange(index, 0, kAllowOptionCount);
  OM::LogForWrite(this);
  m_allowOptions[index] = allow;
}
void DieLocationsBuilder::SetApplIsOverallRequired(bool required) {
  OM::LogForWrite(this);
  m_applIsOverallRequired = required;
}
void DieLocationsBuilder::SetApplScopeLocation(int scope) {
  OM::LogForWrite(this);
  m_applScopeLocation = scope;
}
void DieLocationsBuilder::SetAllowMultiple(bool allow) {
  OM::LogForWrite(this);
  m_allowMultiple = allow;
}

}  // namespace KTX::DieDesJA
