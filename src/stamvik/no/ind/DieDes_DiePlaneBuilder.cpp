#include "DieDes_DiePlaneBuilder.hpp"

#include <cstring>

#include "DieDesJA_SelectedTags.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DiePlaneBuilder)
STAMVIK_OM_DEFINE_CLASS(DiePlaneBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDiePlaneBuilderInstanceSize,
                        STAMVIK_DIE_PLANE_BUILDER_ATTRIBUTES)

namespace {
constexpr const char* kSource = "DieDes_DiePlaneBuilder";
constexpr int kParmsError = 670156;
constexpr double kZero[3] = {0, 0, 0};
constexpr double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};

// The record the die-design library keeps, byte for byte.
static_assert(sizeof(DieDesGenericPlaneRecord) == 120);
static_assert(offsetof(DieDesGenericPlaneRecord, type) == 0);
static_assert(offsetof(DieDesGenericPlaneRecord, selectedObject) == 4);
static_assert(offsetof(DieDesGenericPlaneRecord, selection) == 8);
static_assert(offsetof(DieDesGenericPlaneRecord, entity) == 12);
static_assert(offsetof(DieDesGenericPlaneRecord, reverse) == 16);
static_assert(offsetof(DieDesGenericPlaneRecord, zero) == 17);
static_assert(offsetof(DieDesGenericPlaneRecord, origin) == 24);
static_assert(offsetof(DieDesGenericPlaneRecord, matrix) == 48);

void CheckParms(const DieDesGenericPlane* parms, int line) {
  if (parms == nullptr) ERROR_raise(kSource, line, kParmsError, "Die Generic Plane parms are NULL.");
  if (!OM::OM_is_subclass(parms->OmClassId(), DieDesGenericPlane::ThisClassId))
    ERROR_raise(kSource, line, kParmsError, "Parms are not for a Die Generic Plane.");
}
}  // namespace

DiePlaneBuilder* DiePlaneBuilderFactory::Create(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                                bool required) {
  return Frame::CreateAndInit<DiePlaneBuilder>(DiePlaneBuilderClassId, [&](DiePlaneBuilder* made) {
    made->InitCreate(part, allow0, allow1, allow2, allow3, required);
  });
}

void DiePlaneBuilder::InitCreate(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                 bool required) {
  init_object(part);
  const bool allow[kAllowOptionCount] = {allow0, allow1, allow2, allow3};
  for (int i = 0; i < kAllowOptionCount; ++i) SetAllowOptionsItem(i, allow[i]);
  SetApplIsOverallRequired(required);
  SetApplScopePlane(1);
  OM::OM_set_pointer(this, m_selectPlaneAttId, SELECT_OBJECTFactory::Create(ask_owning_part()));
  SetCoordinateSystemOrigin(kZero);
  SetCoordinateSystemMatrix(kIdentity);
  if (allow0)
    SetInputType(JA_DIE_PLANE_BUILDER_plane_type_Selection);
  else if (allow1)
    SetInputType(JA_DIE_PLANE_BUILDER_plane_type_Plane);
  else if (allow2)
    SetInputType(JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
}

char* DiePlaneBuilder::ask_journal_class_name() const { return SM_string_copy("Die.DiePlaneBuilder"); }
int DiePlaneBuilder::commit() { return 0; }

int DiePlaneBuilder::validate_nothrow() {
  if (!m_applIsOverallRequired) return 0;
  switch (m_inputType) {
    case JA_DIE_PLANE_BUILDER_plane_type_Selection:
      return m_selectPlane == nullptr || !m_selectPlane->has_selection() ? 1 : 0;
    case JA_DIE_PLANE_BUILDER_plane_type_Plane:
      return m_specifyPlane == 0 ? 2 : 0;
    default:
      return 0;
  }
}

void DiePlaneBuilder::destroy() { cascade_destroy(); }
void DiePlaneBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DiePlaneBuilder::implement_destroy() {
  if (SELECT_OBJECT* selection = m_selectPlane; selection != nullptr) {
    OM::OM_set_pointer(this, m_selectPlaneAttId, nullptr);
    UPDATE_log_object_to_delete(selection);
  }
  if (const tag_t plane = m_specifyPlane; plane != 0) {
    // An entity deleted (or never known) before the builder goes leaves only
    // the tag to clear: destruction must not stop half way.
    OM::Object* object = OM::OM_object_of_tag(plane);
    SetSpecifyPlane(0);
    if (object != nullptr) UPDATE_log_object_to_delete(object);
  }
}

// ---- parameters --------------------------------------------------------------------

int DiePlaneBuilder::ToParms(DieDesGenericPlane* parms, FEATURE_RECORD* frec) const {
  CheckParms(parms, __LINE__);
  DieDesGenericPlaneRecord record;
  std::memset(&record, 0, sizeof record);
  record.type = m_inputType;
  if (m_selectPlane != nullptr && m_selectPlane->has_selection()) {
    record.selectedObject = m_selectPlane->ask_selected_tag();
    record.selection = m_selectPlane->ask_tag();
  }
  record.entity = m_specifyPlane;
  record.reverse = m_reverseSourceDirection;
  GetCoordinateSystemOrigin(record.origin);
  GetCoordinateSystemMatrix(record.matrix);
  DIEDES_ENTITY_CONTEXT context{};
  context.flag = 0;
  context.owner = frec;
  return parms->StoreRecords(&context, 1, &record);
}

void DiePlaneBuilder::FromParms(DieDesGenericPlane* parms) {
  CheckParms(parms, __LINE__);
  int count = 0;
  DieDesGenericPlaneRecord* records = nullptr;
  parms->AskRecords(0, &count, &records);
  try {
    if (count == 1 && records != nullptr) {
      const DieDesGenericPlaneRecord& record = records[0];
      SetInputType(static_cast<JA_DIE_PLANE_BUILDER_plane_type>(record.type));
      if (record.selectedObject != 0 && m_selectPlane != nullptr)
        m_selectPlane->set_selected_tag(record.selectedObject);
      SetSpecifyPlane(record.entity);
      SetReverseSourceDirection(record.reverse);
      SetCoordinateSystemOrigin(record.origin);
      SetCoordinateSystemMatrix(record.matrix);
    }
  } catch (...) {
    SM_free(records);
    throw;
  }
  SM_free(records);
}

// ---- the plane -----------------------------------------------------------------------

bool DiePlaneBuilder::GetPlaneDefinition(tag_t* tag, double origin[3], double matrix[9]) const {
  double storedOrigin[3];
  double storedMatrix[9];
  GetCoordinateSystemOrigin(storedOrigin);
  GetCoordinateSystemMatrix(storedMatrix);
  const tag_t selected = m_selectPlane != nullptr ? m_selectPlane->ask_selected_tag() : 0;
  return DieDes_DieGenericPlane_GetTagAndDefinition(m_inputType, selected, m_specifyPlane, m_reverseSourceDirection,
                                                    storedOrigin, storedMatrix, tag, origin, matrix, nullptr);
}

tag_t DiePlaneBuilder::GetOutputTag(SO_update_option_t, bool* created, int* status) const {
  if (created != nullptr) *created = false;
  if (status != nullptr) *status = 0;
  tag_t tag = 0;
  double origin[3] = {0, 0, 0};
  double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  if (!GetPlaneDefinition(&tag, origin, matrix)) return tag;
  if (tag != 0 && !m_reverseSourceDirection) return tag;
  // The existing entity does not carry the reversal: a new plane does.
  tag = ES_create_plane(origin, matrix);
  if (tag != 0 && created != nullptr) *created = true;
  return tag;
}

void DiePlaneBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  if (count == nullptr) return;
  DieDesJA::AppendSelectedTag(count, tags, m_selectPlane != nullptr ? m_selectPlane->ask_selected_tag() : 0);
  DieDesJA::AppendSelectedTag(count, tags, m_specifyPlane);
}

// ---- fields ---------------------------------------------------------------------------

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
