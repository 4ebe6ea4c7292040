#include "VDJA_TireEnvelopeBuilder.hpp"

#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <unordered_map>

#include "exp/Expression.hpp"
#include "jax_features_tire_envelope_builder.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"

namespace KTX::VDJA {

namespace {
// Released by the destructor when the host frees a builder it never destroyed.
void ReleaseWorkArea(const TireEnvelopeBuilder* builder);
}  // namespace

void OnHostRelease(TireEnvelopeBuilder* builder) { ReleaseWorkArea(builder); }

STAMVIK_OM_INSTANCE_SIZE_DEF(TireEnvelopeBuilder)
STAMVIK_OM_DEFINE_CLASS(TireEnvelopeBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetTireEnvelopeBuilderInstanceSize,
                        STAMVIK_TIRE_ENVELOPE_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "VDJA_TireEnvelopeBuilder";

// Which work area belongs to which builder. The object's own field is only a
// copy for the host's calls: undo and part loading write old pointers into it.
std::unordered_map<const TireEnvelopeBuilder*, Tire_s*>& WorkAreas() {
  static auto* areas = new std::unordered_map<const TireEnvelopeBuilder*, Tire_s*>;
  return *areas;
}

// A zeroed work area holding the templates' initial hard points.
Tire_s* NewWorkArea() {
  auto* area = static_cast<Tire_s*>(SM_alloc(sizeof(Tire_s)));
  if (area == nullptr) ERROR_raise(kSource, __LINE__, Error::kNoMemory, "no memory for the tire envelope's work area");
  std::memset(static_cast<void*>(area), 0, sizeof(Tire_s));
  QF_VD_MAC_SUSP_initial(&area->macpherson);
  QF_VD_SLA_SUSP_initial(&area->slArm);
  QF_VD_FLA_SUSP_initial(&area->fiveLink);
  return area;
}

// The work area with what it holds on the heap: the stabilizer-bar curves a
// read-back gave it and the last driver path.
void FreeWorkArea(Tire_s* area) {
  if (area == nullptr) return;
  SM_free(area->macpherson.leftStabilizerBar);
  SM_free(area->macpherson.rightStabilizerBar);
  vdja_tireenv_motion_record_t* motion = MotionRecordOf(area);
  SM_free(motion->xValues);
  SM_free(motion->yValues);
  SM_free(area);
}

void ReleaseWorkArea(const TireEnvelopeBuilder* builder) {
  auto it = WorkAreas().find(builder);
  if (it == WorkAreas().end()) return;
  Tire_s* area = it->second;
  WorkAreas().erase(it);
  FreeWorkArea(area);
}

template <class Vla>
Vla* ArrayOf(const OM::Object* builder, const OM::AttributeId& field) {
  return static_cast<Vla*>(OM::OM_ask_vla(builder, field));
}

int LengthOf(const OM::Object* builder, const OM::AttributeId& field) {
  return OM::OM_vask_array_length(builder, field);
}

// The indexed-set rule: one past the end grows the array by one; further
// out raises the index error and changes nothing.
template <class Vla>
Vla* ArrayForSet(OM::Object* builder, const OM::AttributeId& field, int n) {
  const int length = LengthOf(builder, field);
  if (static_cast<unsigned>(n) > static_cast<unsigned>(length)) OM::ThrowIndexOutOfRange(n, 0, -1);
  if (n == length) OM::OM_vset_array_length(builder, field, length + 1, 0);
  return ArrayOf<Vla>(builder, field);
}

// The indexed-get rule of tags and reals: an array never made has length 0.
template <class Vla>
const Vla* ArrayForGet(const OM::Object* builder, const OM::AttributeId& field, int n) {
  const Vla* array = ArrayOf<Vla>(builder, field);
  if (array == nullptr) OM::ThrowIndexOutOfRange(n, 0, -1);
  if (n < 0 || n >= array->Length()) array->ThrowIndexOutOfRange(n);
  return array;
}

const char* TextAt(const OM::StringVla* array, int n) { return array == nullptr ? "" : array->At(n).c_str(); }

}  // namespace

TireEnvelopeBuilder* TireEnvelopeBuilderFactory::Create(CM_part* part, FEATURE_RECORD* frec) {
  return Frame::CreateAndInit<TireEnvelopeBuilder>(TireEnvelopeBuilderClassId,
                                                   [&](TireEnvelopeBuilder* made) { made->InitCreate(part, frec); });
}

void TireEnvelopeBuilder::InitCreate(CM_part* part, FEATURE_RECORD* frec) {
  init_object(part, frec);
  // Without its work area no later operation could run: the factory gives up.
  SetUiData(NewWorkArea());

  PART_part* owning = ask_owning_part();
  OM::OM_set_pointer(this, m_tireDefinitionBodyAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_tireDefinitionProfileAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_designPositionSpindleAttId, SELECT_OBJECTFactory::Create(owning));
  OM::OM_set_pointer(this, m_spindleLinesAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_leftStabilizerBarAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_rightStabilizerBarAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_tracedSpindleLineAttId, SELECT_OBJECTFactory::Create(owning));
  OM::OM_set_pointer(this, m_driverGraphSketchAttId, SELECT_OBJECTFactory::Create(owning));
  OM::OM_set_pointer(this, m_clearanceAnalysisBodiesAttId, SELECT_OBJECT_listFactory::Create(owning, false));
  OM::OM_set_pointer(this, m_clearanceAnalysisComponentsAttId, SELECT_OBJECT_listFactory::Create(owning, false));

  SetSpindleCurveLength(0);
  SetScenarioName(nullptr);
  SetJointTagHandleLength(0);
  SetFLADrvJointHandleLength(0);
  SetXtoY(true);
  JAX_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(this, FixedSections);
  SetAssemblyPart(OM::OM_ask_object_tag(CONTEXT_ask_work_part()));
  SetIsNewBodyFile(false);
  SetSpindleLineHandle(nullptr);
  SetIsNewLinkedProfile(false);

  int type = 0;
  double origin[3] = {0, 0, 0};
  double matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  VD_get_csys(&type, origin, matrix);
  SetVehicleCsys(type, origin, matrix);

  if (frec != nullptr) {
    set_frec(frec);
    ConvertFrecToBuilderData(frec);
  }

  // What the feature did not supply starts at 0 in the part's unit.
#define STAMVIK_ZERO(Name, field, measure, settable)                                                            \
  if (field == nullptr) {                                                                                        \
    EXP_expression* zero = nullptr;                                                                              \
    if (int code = EXP_create_sys_exp_with_units_all_errors("0", UNIT_ask_default_unit_obj_for_measure(measure), \
                                                            &zero);                                              \
        code != 0)                                                                                               \
      ERROR_raise(kSource, __LINE__, code, "cannot make the expression " #Name);                                 \
    OM::OM_set_pointer(this, field##AttId, zero);                                                                \
  }
  STAMVIK_TIRE_ENVELOPE_EXPRESSIONS(STAMVIK_ZERO)
#undef STAMVIK_ZERO
}

char* TireEnvelopeBuilder::ask_journal_class_name() const { return SM_string_copy("Features.TireEnvelopeBuilder"); }

void TireEnvelopeBuilder::destroy() { cascade_destroy(); }

void TireEnvelopeBuilder::cascade_destroy() {
  implement_destroy();
  JAX_FEAT_BUILDER::cascade_destroy();
}

void TireEnvelopeBuilder::implement_destroy() {
  ReleaseWorkArea(this);
  m_uiData = nullptr;
  TIREENV_exit_scenario_reset_master(CONTEXT_ask_root_part(), m_masterPartTag);
}

Tire_s* TireEnvelopeBuilder::WorkArea() {
  auto it = WorkAreas().find(this);
  Tire_s* area = it != WorkAreas().end() ? it->second : nullptr;
  if (area == nullptr) {
    area = NewWorkArea();
    WorkAreas()[this] = area;
  }
  // Transient: never logged for undo.
  m_uiData = area;
  return area;
}

void TireEnvelopeBuilder::SetUiData(void* area) {
  auto* given = static_cast<Tire_s*>(area);
  auto it = WorkAreas().find(this);
  if (it != WorkAreas().end() && it->second == given) return;
  ReleaseWorkArea(this);
  if (given != nullptr) WorkAreas()[this] = given;
  m_uiData = given;
}

// ---- operations -----------------------------------------------------------------

int TireEnvelopeBuilder::SwitchDriversButton() {
  SetXtoY(!m_xtoY);
  return 0;
}

void TireEnvelopeBuilder::SetVehicleCsys(int type, const double origin[3], const double matrix[9]) {
  for (int i = 0; i < 9; ++i) OM::OM_set_real_elem(this, m_matrixAttId, i, matrix[i]);
  for (int i = 0; i < 3; ++i) OM::OM_set_real_elem(this, m_originAttId, i, origin[i]);
  OM::OM_set_int(this, m_typeAttId, type);
}

void TireEnvelopeBuilder::GetVehicleCsys(int* type, double origin[3], double matrix[9]) {
  for (int i = 0; i < 9; ++i) OM::OM_ask_real_elem(this, m_matrixAttId, i, &matrix[i]);
  for (int i = 0; i < 3; ++i) OM::OM_ask_real_elem(this, m_originAttId, i, &origin[i]);
  OM::OM_ask_int(this, m_typeAttId, type);
}

void TireEnvelopeBuilder::SetSpindleLineEndPoint(const double wheelPoint[3], const double spindlePoint[3]) {
  for (int i = 0; i < 3; ++i) OM::OM_set_real_elem(this, m_wheelPointAttId, i, wheelPoint[i]);
  for (int i = 0; i < 3; ++i) OM::OM_set_real_elem(this, m_spindlePointAttId, i, spindlePoint[i]);
}

void TireEnvelopeBuilder::GetSpindleLineEndPoint(double wheelPoint[3], double spindlePoint[3]) {
  for (int i = 0; i < 3; ++i) OM::OM_ask_real_elem(this, m_wheelPointAttId, i, &wheelPoint[i]);
  for (int i = 0; i < 3; ++i) OM::OM_ask_real_elem(this, m_spindlePointAttId, i, &spindlePoint[i]);
}

bool TireEnvelopeBuilder::IsSolidBodyFromComponentPart() {
  int count = 0;
  tag_t* bodies = nullptr;
  m_tireDefinitionBody->ask_tags(&count, &bodies);
  if (count == 0) {
    SM_free(bodies);
    return true;
  }
  tag_t body = bodies[0];
  SM_free(bodies);
  if (OCC_is_occurrence(body)) body = OCC_ask_prototype_of_occ(body);
  return PART_ask_part_of_object(body) != CONTEXT_ask_work_part();
}

// The inputs that take work, the motion, the commit's companions and the
// read-back come with their own work; until then each answers success.
int TireEnvelopeBuilder::GetSpindleLineWheelEnd(tag_t, const double*) { return 0; }
int TireEnvelopeBuilder::AddMasterPart(const char*) { return 0; }
int TireEnvelopeBuilder::CreateLinkedProfiles() { return 0; }
int TireEnvelopeBuilder::CreateSpindleLines(const char*) { return 0; }
int TireEnvelopeBuilder::CalculateProfilePoints() { return 0; }
int TireEnvelopeBuilder::LoadTemplatePointFile(const char*, char** message) {
  if (message != nullptr) *message = nullptr;
  return 0;
}
int TireEnvelopeBuilder::ProcessFromSpindelLines() { return 0; }
int TireEnvelopeBuilder::CreateTireBodyFeature(int, tag_t* body, double*, double*) {
  if (body != nullptr) *body = 0;
  return 0;
}
int TireEnvelopeBuilder::ProcessTireBodyPart() { return 0; }
int TireEnvelopeBuilder::ReassemTireBodyComponent() { return 0; }
int TireEnvelopeBuilder::RepositionMovingComponent() { return 0; }
int TireEnvelopeBuilder::PerformCleranceAnalysis() { return 0; }
int TireEnvelopeBuilder::BuildMotionTemplate() { return 0; }
int TireEnvelopeBuilder::RunMotionArticulation() { return 0; }
int TireEnvelopeBuilder::DisplayInputInformation() { return 0; }
int TireEnvelopeBuilder::ConvertFrecToBuilderData(FEATURE_RECORD*) { return 0; }

// ---- validation and offsets ------------------------------------------------------

namespace {
double ValueOf(const EXP_expression* expression) {
  return expression != nullptr ? EXP_ask_value_of_exp(expression) : 0.0;
}
}  // namespace

int TireEnvelopeBuilder::validate_nothrow() {
  try {
    return Validate();
  } catch (const Error::Exception& e) {
    return e.askCode();
  }
}

int TireEnvelopeBuilder::Validate() {
  // 25 inches in either unit system.
  const double f = PART_ask_units(CONTEXT_ask_work_part()) == 1 ? 1.0 : 25.4;
  const double t = 1e-10;
  for (int layer : {m_sectionLayer, m_sheetBodyLayer, m_profileSplineLayer, m_spindleLinesLayer})
    if (layer < 1 || layer > 256) return 3771763;
  if (WorkArea()->profilePointCount == 0) return 3771761;
  if (CFI_ask_file_exist(GetMotionFile()) != 0) return 3771762;
  const double shift = ValueOf(m_wheelCenterlineShift);
  if (shift < -25 * f - t || shift > 25 * f + t) return 3771764;
  if (m_tireDefinition != SolidBody) {
    const double rim = ValueOf(m_wheelRimDiameter);
    if (rim < -t || rim > 25 * f + t) return 3771765;
  }
  const double s = ValueOf(m_radialStartAngle), e = ValueOf(m_radialEndAngle);
  if (static_cast<long long>(std::trunc(s)) % 15 != 0) return 3771711;
  if (static_cast<long long>(std::trunc(e)) % 15 != 0) return 3771769;
  if (!(s < e)) return 3771712;
  if (std::fabs(e - s) > 360.0000000001) return 3771713;
  if (s < -90.0000000001) return 3771777;
  if (e > 360.0000000001) return 3771778;
  if (ValueOf(m_distanceTolerance) < t) return 3771709;
  if (ValueOf(m_trimRadius) < t) return 3771710;
  if (!m_applyOffset) return 0;
  switch (m_envelopeOffset) {
    case FixedSections:
      InitializeEnvelopeOffset();
      [[fallthrough]];
    case CustomerDefinedData:
      if (!TIREENV_check_angle_in_offset_angles(WorkArea(), s) || !TIREENV_check_angle_in_offset_angles(WorkArea(), e))
        return 3771759;
      return 0;
    default: {
      const char* file = GetOffsetFileName();
      if (CFI_ask_file_exist(file) != 0) return get_frec() != nullptr ? 0 : 3771752;
      // Read only to see that it can be read: the commit reads it again.
      struct Scratch {
        int sections = 0, offsets = 0;
        double angles[Tire_s::kMaxSections] = {};
        int counts[Tire_s::kMaxSections] = {};
        double first[Tire_s::kMaxSections][Tire_s::kMaxOffsets] = {};
        double second[Tire_s::kMaxSections][Tire_s::kMaxOffsets] = {};
      };
      auto scratch = std::make_unique<Scratch>();
      return readoffsetvalues(file, &scratch->sections, &scratch->offsets, scratch->angles, scratch->counts,
                              scratch->first, scratch->second);
    }
  }
}

void TireEnvelopeBuilder::InitializeEnvelopeOffset() {
  Tire_s* area = WorkArea();
  const double angles[4] = {0, 90, 180, 270};
  EXP_expression* const across[4] = {m_frontOffsetValue, m_upOffsetValue, m_rearOffsetValue, m_downOffsetValue};
  area->sectionCount = 4;
  for (int i = 0; i < area->sectionCount; ++i) {
    area->sectionAngles[i] = angles[i];
    area->sectionOffsetCounts[i] = 3;
    area->sectionOffsets[i][0] = ValueOf(m_inboardOffsetValue);
    area->sectionOffsets[i][1] = ValueOf(across[i]);
    area->sectionOffsets[i][2] = ValueOf(m_outboardOffsetValue);
  }
}

int TireEnvelopeBuilder::UpdateTemplatePoint(JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType type, int index,
                                             Math::Point3 point) {
  // Where each template's hard point of that index lies in its record.
  static constexpr std::size_t kMacpherson[] = {0, 48, 96, 144, 168, 216, 264, 312, 360, 408, 576, 456, 504, 552, 600};
  static constexpr std::size_t kSLArm[] = {0,   48,  96,  144, 192, 240, 288, 336, 384,
                                           432, 480, 528, 576, 720, 600, 648, 696, 744};
  static constexpr std::size_t kFiveLink[] = {0, 48, 96, 144, 192, 240, 288, 336, 384, 432, 456, 312, 360};
  Tire_s* area = WorkArea();
  unsigned char* record = nullptr;
  const std::size_t* places = nullptr;
  std::size_t count = 0;
  switch (type) {
    case MacPhersonStrut:
      record = reinterpret_cast<unsigned char*>(&area->macpherson), places = kMacpherson, count = std::size(kMacpherson);
      break;
    case ShortLongArmwithSteering:
    case ShortLongArmwithoutSteering:
      record = reinterpret_cast<unsigned char*>(&area->slArm), places = kSLArm, count = std::size(kSLArm);
      break;
    case FiveLinkSolidAxlewithoutSteering:
      record = reinterpret_cast<unsigned char*>(&area->fiveLink), places = kFiveLink, count = std::size(kFiveLink);
      break;
    default: return 0;
  }
  if (index < 0 || static_cast<std::size_t>(index) >= count) return 0;
  const double xyz[3] = {point.X, point.Y, point.Z};
  std::memcpy(record + places[index], xyz, sizeof xyz);
  return 0;
}

// ---- references -----------------------------------------------------------------

void TireEnvelopeBuilder::SetWheelRimDiameter(EXP_expression* e) { OM::SetReferencedObject(this, m_wheelRimDiameterAttId, e); }
void TireEnvelopeBuilder::SetWheelCenterlineShift(EXP_expression* e) {
  OM::SetReferencedObject(this, m_wheelCenterlineShiftAttId, e);
}
void TireEnvelopeBuilder::SetDistanceTolerance(EXP_expression* e) {
  OM::SetReferencedObject(this, m_distanceToleranceAttId, e);
}
void TireEnvelopeBuilder::SetRadialStartAngle(EXP_expression* e) { OM::SetReferencedObject(this, m_radialStartAngleAttId, e); }
void TireEnvelopeBuilder::SetRadialEndAngle(EXP_expression* e) { OM::SetReferencedObject(this, m_radialEndAngleAttId, e); }
void TireEnvelopeBuilder::SetTrimRadius(EXP_expression* e) { OM::SetReferencedObject(this, m_trimRadiusAttId, e); }

// ---- arrays ---------------------------------------------------------------------

int TireEnvelopeBuilder::GetNumSessionNotes() const { return LengthOf(this, m_sessionNotesAttId); }
void TireEnvelopeBuilder::SetNumSessionNotes(int count) { OM::OM_vset_array_length(this, m_sessionNotesAttId, count, 0); }
UString TireEnvelopeBuilder::GetNthValueInSessionNotes(int n) const {
  return UString(TextAt(ArrayOf<OM::UStringVla>(this, m_sessionNotesAttId), n));
}
void TireEnvelopeBuilder::SetNthValueInSessionNotes(int n, const UString& note) {
  ArrayForSet<OM::UStringVla>(this, m_sessionNotesAttId, n)->SetValue(n, note.utf8_str());
}

tag_t TireEnvelopeBuilder::GetProfileCurve(int n) const {
  return ArrayForGet<OM::TagVla>(this, m_profileCurvesAttId, n)->At(n);
}
void TireEnvelopeBuilder::SetProfileCurve(int n, tag_t curve) {
  ArrayForSet<OM::TagVla>(this, m_profileCurvesAttId, n)->SetOneWayTagValue(m_profileCurvesAttId, n, curve);
}
int TireEnvelopeBuilder::GetProfileCurveLength() const { return LengthOf(this, m_profileCurvesAttId); }
void TireEnvelopeBuilder::SetProfileCurveLength(int length) {
  OM::OM_vset_array_length(this, m_profileCurvesAttId, length, 0);
}

tag_t TireEnvelopeBuilder::GetSpindleCurve(int n) const {
  return ArrayForGet<OM::TagVla>(this, m_spindleCurvesAttId, n)->At(n);
}
void TireEnvelopeBuilder::SetSpindleCurve(int n, tag_t curve) {
  ArrayForSet<OM::TagVla>(this, m_spindleCurvesAttId, n)->SetOneWayTagValue(m_spindleCurvesAttId, n, curve);
}
int TireEnvelopeBuilder::GetSpindleCurveLength() const { return LengthOf(this, m_spindleCurvesAttId); }
void TireEnvelopeBuilder::SetSpindleCurveLength(int length) {
  OM::OM_vset_array_length(this, m_spindleCurvesAttId, length, 0);
}

const char* TireEnvelopeBuilder::GetFLADrvJointHandle(int n) const {
  return TextAt(ArrayOf<OM::StringVla>(this, m_fLADrvJointHandlesAttId), n);
}
void TireEnvelopeBuilder::SetFLADrvJointHandle(int n, const char* handle) {
  ArrayForSet<OM::StringVla>(this, m_fLADrvJointHandlesAttId, n)->SetValue(n, handle);
}
int TireEnvelopeBuilder::GetFLADrvJointHandleLength() const { return LengthOf(this, m_fLADrvJointHandlesAttId); }
void TireEnvelopeBuilder::SetFLADrvJointHandleLength(int length) {
  OM::OM_vset_array_length(this, m_fLADrvJointHandlesAttId, length, 0);
}

const char* TireEnvelopeBuilder::GetJointTagHandle(int n) const {
  return TextAt(ArrayOf<OM::StringVla>(this, m_jointTagHandlesAttId), n);
}
void TireEnvelopeBuilder::SetJointTagHandle(int n, const char* handle) {
  ArrayForSet<OM::StringVla>(this, m_jointTagHandlesAttId, n)->SetValue(n, handle);
}
int TireEnvelopeBuilder::GetJointTagHandleLength() const { return LengthOf(this, m_jointTagHandlesAttId); }
void TireEnvelopeBuilder::SetJointTagHandleLength(int length) {
  OM::OM_vset_array_length(this, m_jointTagHandlesAttId, length, 0);
}

double TireEnvelopeBuilder::GetCompOffset(int n) const {
  return ArrayForGet<OM::DoubleVla>(this, m_compOffsetsAttId, n)->At(n);
}
void TireEnvelopeBuilder::SetCompOffset(int n, double offset) {
  ArrayForSet<OM::DoubleVla>(this, m_compOffsetsAttId, n)->Set(n, offset);
}
int TireEnvelopeBuilder::GetCompOffsetLength() const { return LengthOf(this, m_compOffsetsAttId); }
void TireEnvelopeBuilder::SetCompOffsetLength(int length) {
  OM::OM_vset_array_length(this, m_compOffsetsAttId, length, 0);
}

}  // namespace KTX::VDJA
