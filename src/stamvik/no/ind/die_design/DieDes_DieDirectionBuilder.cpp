#include "DieDes_DieDirectionBuilder.hpp"

#include <cstring>

#include "DieDes_FrameInput.hpp"
#include "sys/Memory.hpp"

namespace KTX::DieDes {

STAMVIK_OM_INSTANCE_SIZE_DEF(DieDirectionBuilder)
STAMVIK_OM_DEFINE_CLASS(DieDirectionBuilder, "KTX::JAX_BUILDER", 0x1000, &GetDieDirectionBuilderInstanceSize,
                        STAMVIK_DIE_DIRECTION_BUILDER_ATTRIBUTES)

namespace {
constexpr double kZero[3] = {0, 0, 0};
constexpr double kIdentity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
constexpr double kAxisX[3] = {1, 0, 0};
constexpr double kAxisY[3] = {0, 1, 0};
constexpr double kAxisZ[3] = {0, 0, 1};
}  // namespace

template <>
struct FrameInputTraits<DieDirectionBuilder> {
  using Parms = DieDesGenericDirection;
  using Record = DieDesGenericDirectionRecord;
  using Type = JA_DIE_DIRECTION_BUILDER_direction_type;
  static constexpr const char* kSource = "DieDes_DieDirectionBuilder";
  static constexpr const char* kParmsNull = "Die Generic Direction parms are NULL.";
  static constexpr const char* kParmsWrong = "Parms are not for a Die Generic Direction.";
  static constexpr int kSelectionType = JA_DIE_DIRECTION_BUILDER_direction_type_Selection;
  static constexpr int kEntityType = JA_DIE_DIRECTION_BUILDER_direction_type_Vector;
  static SELECT_OBJECT* Selection(const DieDirectionBuilder& builder) { return builder.GetDirection(); }
  static const OM::AttributeId& SelectionAttribute() { return DieDirectionBuilder::m_directionAttId; }
  static tag_t Entity(const DieDirectionBuilder& builder) { return builder.GetVector(); }
  static void SetEntity(DieDirectionBuilder& builder, tag_t vector) { builder.SetVector(vector); }
};
using DirectionInput = FrameInput<DieDirectionBuilder>;

DieDirectionBuilder* DieDirectionBuilderFactory::Create(PART_part* part, bool allow0, bool allow1, bool allow2,
                                                        bool allow3, bool allow4, bool required) {
  return Frame::CreateAndInit<DieDirectionBuilder>(DieDirectionBuilderClassId, [&](DieDirectionBuilder* made) {
    made->InitCreate(part, allow0, allow1, allow2, allow3, allow4, required);
  });
}

void DieDirectionBuilder::InitCreate(PART_part* part, bool allow0, bool allow1, bool allow2, bool allow3,
                                     bool allow4, bool required) {
  init_object(part);
  const bool allow[kAllowOptionCount] = {allow0, allow1, allow2, allow3, allow4};
  for (int i = 0; i < kAllowOptionCount; ++i) SetAllowOptionsItem(i, allow[i]);
  SetApplIsOverallRequired(required);
  SetApplScopeDirection(1);
  OM::OM_set_pointer(this, m_directionAttId, SELECT_OBJECTFactory::Create(ask_owning_part()));
  SetCoordinateSystemOrigin(kZero);
  SetCoordinateSystemMatrix(kIdentity);
  // A new builder always has a direction, so the vector type is valid at once.
  if (m_vector == 0) SetVector(DIRR_create_doubles(CONTEXT_ask_work_part(), 0, kZero, kAxisZ));
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

int DieDirectionBuilder::validate_nothrow() { return DirectionInput::Validate(*this); }

void DieDirectionBuilder::destroy() { cascade_destroy(); }
void DieDirectionBuilder::cascade_destroy() {
  implement_destroy();
  OM::TaggedObject::cascade_destroy();
}

void DieDirectionBuilder::implement_destroy() { DirectionInput::ReleaseInputs(*this); }

// ---- parameters --------------------------------------------------------------------

int DieDirectionBuilder::ToParms(DieDesGenericDirection* parms, FEATURE_RECORD* frec) const {
  return DirectionInput::ToParms(*this, parms, frec, __LINE__);
}

void DieDirectionBuilder::FromParms(DieDesGenericDirection* parms) {
  DirectionInput::FromParms(*this, parms, __LINE__);
}

// ---- the direction ---------------------------------------------------------------------

bool DieDirectionBuilder::GetDirectionDoubles(tag_t* tag, double origin[3], double matrix[9]) const {
  double storedOrigin[3];
  double storedMatrix[9];
  GetCoordinateSystemOrigin(storedOrigin);
  GetCoordinateSystemMatrix(storedMatrix);
  const tag_t selected = m_direction != nullptr ? m_direction->ask_selected_tag() : 0;
  return DieDes_DieGenericDirection_GetTagAndDefinition(m_inputType, selected, m_vector, m_reverseSourceDirection,
                                                        storedOrigin, storedMatrix, tag, origin, matrix, nullptr);
}

bool DieDirectionBuilder::GetDirectionVector(tag_t* tag, double point[3], double vector[3]) const {
  if (tag != nullptr) *tag = 0;
  if (point != nullptr) std::memcpy(point, kZero, sizeof kZero);
  if (vector != nullptr) {
    vector[0] = 0;
    vector[1] = 0;
    vector[2] = -1;
  }
  double origin[3] = {0, 0, 0};
  double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const bool found = GetDirectionDoubles(tag, origin, matrix);
  if (found) {
    if (point != nullptr) std::memcpy(point, origin, sizeof origin);
    if (vector != nullptr) std::memcpy(vector, matrix + 6, 3 * sizeof(double));
  }
  return found;
}

bool DieDirectionBuilder::GetDirectionMatrix(tag_t* tag, double point[3], double matrix[9]) const {
  if (tag != nullptr) *tag = 0;
  if (point != nullptr) std::memcpy(point, kZero, sizeof kZero);
  if (matrix != nullptr) std::memcpy(matrix, kIdentity, sizeof kIdentity);
  double origin[3] = {0, 0, 0};
  double frame[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const bool found = GetDirectionDoubles(tag, origin, frame);
  if (found) {
    if (point != nullptr) std::memcpy(point, origin, sizeof origin);
    if (matrix != nullptr) std::memcpy(matrix, frame, sizeof frame);
  }
  return found;
}

tag_t DieDirectionBuilder::GetOutputTag(SO_update_option_t option, bool* created, int* status) const {
  if (created != nullptr) *created = false;
  if (status != nullptr) *status = 0;
  tag_t tag = 0;
  double point[3];
  double vector[3];
  if (!GetDirectionVector(&tag, point, vector)) return tag;
  if (tag != 0 && !m_reverseSourceDirection) return tag;
  // The existing entity does not carry the reversal: a new one along the
  // evaluated (reversed) direction does.
  tag = DIRR_create_doubles(CONTEXT_ask_work_part(), static_cast<int>(option), point, vector);
  if (tag != 0 && created != nullptr) *created = true;
  return tag;
}

void DieDirectionBuilder::GetSelectedObjects(int* count, tag_t** tags) const {
  DirectionInput::GetSelectedObjects(*this, count, tags);
}

// ---- presets ------------------------------------------------------------------------------

void DieDirectionBuilder::SetDirectionTo(const double point[3], const double vector[3]) {
  OM::LogForWrite(this);
  m_reverseSourceDirection = false;
  if (m_inputType != JA_DIE_DIRECTION_BUILDER_direction_type_Vector)
    SetInputType(JA_DIE_DIRECTION_BUILDER_direction_type_Vector);
  if (m_vector != 0 && DIRR_is_dirr(m_vector))
    DIRR_set_direction(m_vector, vector);
  else
    SetVector(DIRR_create_doubles(CONTEXT_ask_work_part(), 0, point, vector));
}

void DieDirectionBuilder::SetDirectionToWorkAxis(int row) {
  double origin[3];
  double matrix[9];
  WCS_ask_origin(origin);
  WCS_ask_matrix(matrix);
  SetDirectionTo(origin, matrix + 3 * row);
}

void DieDirectionBuilder::SetDirectionToXcWork() { SetDirectionToWorkAxis(0); }
void DieDirectionBuilder::SetDirectionToYcWork() { SetDirectionToWorkAxis(1); }
void DieDirectionBuilder::SetDirectionToZcWork() { SetDirectionToWorkAxis(2); }
void DieDirectionBuilder::SetDirectionToXAbsolute() { SetDirectionTo(kZero, kAxisX); }
void DieDirectionBuilder::SetDirectionToYAbsolute() { SetDirectionTo(kZero, kAxisY); }
void DieDirectionBuilder::SetDirectionToZAbsolute() { SetDirectionTo(kZero, kAxisZ); }

void DieDirectionBuilder::SetDirectionToNegXcWork() {
  SetDirectionToXcWork();
  SetReverseSourceDirection(true);
}
void DieDirectionBuilder::SetDirectionToNegYcWork() {
  SetDirectionToYcWork();
  SetReverseSourceDirection(true);
}
void DieDirectionBuilder::SetDirectionToNegZcWork() {
  SetDirectionToZcWork();
  SetReverseSourceDirection(true);
}
void DieDirectionBuilder::SetDirectionToNegXAbsolute() {
  SetDirectionToXAbsolute();
  SetReverseSourceDirection(true);
}
void DieDirectionBuilder::SetDirectionToNegYAbsolute() {
  SetDirectionToYAbsolute();
  SetReverseSourceDirection(true);
}
void DieDirectionBuilder::SetDirectionToNegZAbsolute() {
  SetDirectionToZAbsolute();
  SetReverseSourceDirection(true);
}

// ---- fields ---------------------------------------------------------------------------------

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
  CheckAllowOptionIndex(index, kAllowOptionCount);
  return m_allowOptions[index];
}
void DieDirectionBuilder::SetAllowOptionsItem(int index, bool allow) {
  CheckAllowOptionIndex(index, kAllowOptionCount);
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
