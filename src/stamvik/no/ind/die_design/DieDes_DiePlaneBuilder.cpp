#include "DieDes_DiePlaneBuilder.hpp"

#include "DieDes_FrameInput.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DiePlaneBuilder)
STAMVIK_OM_DEFINE_CLASS(DiePlaneBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDiePlaneBuilderInstanceSize,
                        STAMVIK_DIE_PLANE_BUILDER_ATTRIBUTES)

namespace {
constexpr double kZero[3] = {0, 0, 0};
constexpr double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
}  // namespace

template <>
struct FrameInputTraits<DiePlaneBuilder> {
  using Parms = DieDesGenericPlane;
  using Record = DieDesGenericPlaneRecord;
  using Type = JA_DIE_PLANE_BUILDER_plane_type;
  static constexpr const char* kSource = "DieDes_DiePlaneBuilder";
  static constexpr const char* kParmsNull = "Die Generic Plane parms are NULL.";
  static constexpr const char* kParmsWrong = "Parms are not for a Die Generic Plane.";
  static constexpr int kSelectionType = JA_DIE_PLANE_BUILDER_plane_type_Selection;
  static constexpr int kEntityType = JA_DIE_PLANE_BUILDER_plane_type_Plane;
  static SELECT_OBJECT* Selection(const DiePlaneBuilder& builder) { return builder.GetSelectPlane(); }
  static const OM::AttributeId& SelectionAttribute() { return DiePlaneBuilder::m_selectPlaneAttId; }
  static tag_t Entity(const DiePlaneBuilder& builder) { return builder.GetSpecifyPlane(); }
  static void SetEntity(DiePlaneBuilder& builder, tag_t plane) { builder.SetSpecifyPlane(plane); }
};
using PlaneInput = FrameInput<DiePlaneBuilder>;

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

int DiePlaneBuilder::validate_nothrow() { return PlaneInput::Validate(*this); }

void DiePlaneBuilder::destroy() { cascade_destroy(); }
void DiePlaneBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DiePlaneBuilder::implement_destroy() { PlaneInput::ReleaseInputs(*this); }

// ---- parameters --------------------------------------------------------------------

int DiePlaneBuilder::ToParms(DieDesGenericPlane* parms, FEATURE_RECORD* frec) const {
  return PlaneInput::ToParms(*this, parms, frec, __LINE__);
}

void DiePlaneBuilder::FromParms(DieDesGenericPlane* parms) { PlaneInput::FromParms(*this, parms, __LINE__); }

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
  PlaneInput::GetSelectedObjects(*this, count, tags);
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
  CheckAllowOptionIndex(index, kAllowOptionCount);
  return m_allowOptions[index];
}
void DiePlaneBuilder::SetAllowOptionsItem(int index, bool allow) {
  CheckAllowOptionIndex(index, kAllowOptionCount);
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
