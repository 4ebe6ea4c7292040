#include "DieDesJA_DieLocationBuilder.hpp"

#include <cstring>

#include "DieDesJA_SelectedTags.hpp"
#include "DieDes_FrameInput.hpp"
#include "Messages.hpp"
#include "Support.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieDesJA {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieLocationBuilder)
STAMVIK_OM_DEFINE_CLASS(DieLocationBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieLocationBuilderInstanceSize,
                        STAMVIK_DIE_LOCATION_BUILDER_ATTRIBUTES)

namespace {
constexpr const char* kSource = "DieDesJA_DieLocationBuilder";
using Messages::kBadLocation;
using Messages::kBadOrientationPlane;
using Messages::kNoDatabaseParms;
using Messages::kNoLocationPoint;
using Messages::kNoLocationVector;
// Where a clamping slot's node data take the location record.
constexpr std::size_t kNodeRecordPlace = 184;

using DieDes::DieDesGenericLocation;
using DieDes::DieDesGenericLocationRecord;

// The record the die-design library keeps, byte for byte.
static_assert(sizeof(DieDesGenericLocationRecord) == 128);
static_assert(offsetof(DieDesGenericLocationRecord, type) == 0);
static_assert(offsetof(DieDesGenericLocationRecord, selectedCount) == 4);
static_assert(offsetof(DieDesGenericLocationRecord, selected) == 8);
static_assert(offsetof(DieDesGenericLocationRecord, selection) == 16);
static_assert(offsetof(DieDesGenericLocationRecord, point) == 20);
static_assert(offsetof(DieDesGenericLocationRecord, origin) == 24);
static_assert(offsetof(DieDesGenericLocationRecord, matrix) == 48);
static_assert(offsetof(DieDesGenericLocationRecord, vector) == 120);
static_assert(offsetof(DieDesGenericLocationRecord, plane) == 124);

void CheckParms(const DieDesGenericLocation* parms, int line) {
  if (parms == nullptr) ERROR_raise(kSource, line, kNoDatabaseParms, "Die Generic Location parms are NULL.");
  if (!OM::OM_is_subclass(parms->OmClassId(), DieDesGenericLocation::ThisClassId))
    ERROR_raise(kSource, line, kNoDatabaseParms, "Parms are not for a Die Generic Location.");
}

template <class T>
T* AllocateOne() {
  auto* block = static_cast<T*>(SM_calloc(1, sizeof(T)));
  if (block == nullptr) ERROR_raise(kSource, 50, Error::kNoMemory, "no memory");
  return block;
}

// The location's record; its tag array (one entry, only when the selection
// holds an object) is the caller's to free or to hand on.
DieDesGenericLocationRecord FillRecord(const DieLocationBuilder& builder) {
  DieDesGenericLocationRecord record;
  std::memset(&record, 0, sizeof record);
  record.type = builder.GetInputType();
  if (const SELECT_OBJECT* selection = builder.GetLocation(); selection != nullptr) {
    record.selection = selection->ask_tag();
    if (selection->has_selection()) {
      record.selected = AllocateOne<tag_t>();
      record.selected[0] = selection->ask_selected_tag();
      record.selectedCount = 1;
    }
  }
  record.point = builder.GetPoint();
  builder.GetCoordinateSystemOrigin(record.origin);
  builder.GetCoordinateSystemMatrix(record.matrix);
  record.vector = builder.GetVector();
  record.plane = builder.GetPlane();
  return record;
}

}  // namespace

DieLocationBuilder* DieLocationBuilderFactory::Create(PART_part* part) {
  return Frame::CreateAndInit<DieLocationBuilder>(DieLocationBuilderClassId, [&](DieLocationBuilder* made) {
    made->InitCreate(part);
  });
}

DieLocationBuilder* DieLocationBuilderFactory::CreateItem(PART_part* part, bool selectLocation, bool newPoint,
                                                          bool newCoordinateSystem, bool newVector, bool newPlane,
                                                          bool isOverallRequired) {
  return Frame::CreateAndInit<DieLocationBuilder>(DieLocationBuilderClassId, [&](DieLocationBuilder* made) {
    made->InitCreateItem(part, selectLocation, newPoint, newCoordinateSystem, newVector, newPlane, isOverallRequired);
  });
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
  OM::OM_set_pointer(this, m_locationAttId, SELECT_OBJECTFactory::Create(ask_owning_part()));
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

void DieLocationBuilder::SetParentHasObservers(bool has) {
  JAX_BUILDER::SetParentHasObservers(has);
  if (m_location != nullptr) m_location->SetParentHasObservers(has);
}

void DieLocationBuilder::Notify(OM::Object* changed) {
  if (changed != nullptr && changed == static_cast<OM::Object*>(m_location)) NotifyOwnerOfChange(this);
}

int DieLocationBuilder::validate_nothrow() {
  if (!m_applIsOverallRequired) return 0;
  switch (m_inputType) {
    case JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation:
      return m_location == nullptr || !m_location->has_selection() ? kBadLocation : 0;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPoint:
      return m_point == 0 ? kNoLocationPoint : 0;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewVector:
      return m_vector == 0 ? kNoLocationVector : 0;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPlane:
      return m_plane == 0 ? kBadOrientationPlane : 0;
    default:
      return 0;
  }
}

// ---- parameters --------------------------------------------------------------------

int DieLocationBuilder::ToParms(DieDesGenericLocation* parms, FEATURE_RECORD* frec) const {
  CheckParms(parms, 138);
  const DieDesGenericLocationRecord record = FillRecord(*this);
  const Stamvik::HostBlock<tag_t> selected(record.selected);
  DIEDES_ENTITY_CONTEXT context{};
  context.flag = 0;
  context.owner = frec;
  return parms->StoreRecords(&context, 1, &record);
}

int DieLocationBuilder::ToParms2(void* nodeData) const {
  switch (m_inputType) {
    case JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation:
      if (m_location == nullptr || !m_location->has_selection()) return kBadLocation;
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPoint:
      if (m_point == 0) return kNoLocationPoint;
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem:
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewVector:
      if (m_vector == 0) return kNoLocationVector;
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPlane:
      if (m_plane == 0) return kBadOrientationPlane;
      break;
    default:
      return kNoDatabaseParms;
  }
  if (nodeData == nullptr) return kNoDatabaseParms;
  // The node keeps the record's tag array.
  const DieDesGenericLocationRecord record = FillRecord(*this);
  char* place = static_cast<char*>(nodeData) + kNodeRecordPlace;
  std::memset(place, 0, sizeof record);
  std::memcpy(place, &record, sizeof record);
  return 0;
}

void DieLocationBuilder::FromParms(DieDesGenericLocation* parms) {
  CheckParms(parms, 183);
  int count = 0;
  DieDesGenericLocationRecord* records = nullptr;
  parms->AskRecords(0, &count, &records);
  try {
    if (count == 1 && records != nullptr) {
      const DieDesGenericLocationRecord& record = records[0];
      SetInputType(static_cast<JA_DIE_LOCATION_BUILDER_LocationType>(record.type));
      if (record.selectedCount >= 1 && record.selected != nullptr && m_location != nullptr)
        m_location->set_selected_tag(record.selected[0]);
      SetPoint(record.point);
      SetVector(record.vector);
      SetPlane(record.plane);
      SetCoordinateSystemOrigin(record.origin);
      SetCoordinateSystemMatrix(record.matrix);
    }
  } catch (...) {
    parms->FreeRecords(count, records);
    throw;
  }
  parms->FreeRecords(count, records);
}

// ---- the location ----------------------------------------------------------------------

bool DieLocationBuilder::GetLocation(int* count, tag_t** tags, Math::Point3** points) const {
  if (count != nullptr) *count = 0;
  if (tags != nullptr) *tags = nullptr;
  if (points != nullptr) *points = nullptr;

  tag_t tag = 0;
  Math::Point3 point;
  switch (m_inputType) {
    case JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation:
      if (m_location == nullptr || !m_location->has_selection()) return false;
      tag = m_location->ask_selected_tag();
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPoint:
      tag = m_point;
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewVector:
      tag = m_vector;
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPlane:
      tag = m_plane;
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem: {
      double origin[3];
      GetCoordinateSystemOrigin(origin);
      point = {origin[0], origin[1], origin[2]};
      break;
    }
    default:
      return false;
  }
  if (m_inputType != JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem) {
    if (tag == 0) return false;
    double at[3] = {0, 0, 0};
    double direction[3] = {0, 0, 0};
    DIEDES_UTILS__get_pt_and_dir(tag, at, direction);
    point = {at[0], at[1], at[2]};
  }
  if (tags != nullptr) {
    *tags = AllocateOne<tag_t>();
    (*tags)[0] = tag;
  }
  if (points != nullptr) {
    *points = AllocateOne<Math::Point3>();
    (*points)[0] = point;
  }
  if (count != nullptr) *count = 1;
  return true;
}

tag_t DieLocationBuilder::GetOutputTag(SO_update_option_t option, bool* created, int* status) const {
  if (created != nullptr) *created = false;
  if (status != nullptr) *status = 0;
  double origin[3] = {0, 0, 0};
  double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  GetCoordinateSystemOrigin(origin);
  GetCoordinateSystemMatrix(matrix);
  const tag_t selected = m_location != nullptr ? m_location->ask_selected_tag() : 0;
  tag_t tag = 0;
  double point[3] = {0, 0, 0};
  double frame[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  double direction[3] = {0, 0, 1};
  const bool found = DieDes_DieGenericLocation_GetTagAndDefinition(
      m_inputType, selected, m_point, m_vector, m_plane, origin, matrix, 1, &tag, point, frame, direction);
  if (!found) return 0;
  if (tag != 0) return tag;
  switch (m_inputType) {
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPoint:
      tag = ES_create_point(point);
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewCoordinateSystem:
      tag = ES_create_csys(point, frame);
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewPlane:
      tag = ES_create_plane(point, frame);
      break;
    case JA_DIE_LOCATION_BUILDER_LocationType_NewVector:
      tag = DIRR_create_doubles(CONTEXT_ask_work_part(), static_cast<int>(option), point, direction);
      break;
    default:
      break;
  }
  if (tag != 0 && created != nullptr) *created = true;
  return tag;
}

void DieLocationBuilder::AddUserLocation(tag_t tag) {
  if (tag == 0 || m_location == nullptr) return;
  m_location->set_selected_tag(tag);
}

void DieLocationBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  if (count == nullptr) return;
  AppendSelectedTag(count, tags, m_location != nullptr ? m_location->ask_selected_tag() : 0);
  AppendSelectedTag(count, tags, m_point);
  AppendSelectedTag(count, tags, m_vector);
  AppendSelectedTag(count, tags, m_plane);
}

bool DieLocationBuilder::HoldsTag(tag_t tag) const {
  if (tag == 0) return false;
  return (m_location != nullptr && m_location->ask_selected_tag() == tag) || m_point == tag || m_vector == tag ||
         m_plane == tag;
}

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
  DieDes::CheckAllowOptionIndex(index, kAllowOptionCount);
  return m_allowOptions[index];
}
void DieLocationBuilder::SetAllowOptionsItem(int index, bool allow) {
  DieDes::CheckAllowOptionIndex(index, kAllowOptionCount);
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
