#include "VDJA_TireEnvelopeBuilder.hpp"

#include <cmath>
#include <cstring>
#include <iterator>
#include <memory>
#include <unordered_map>

#include <vector>

#include "assy/Assembly.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "jax_features_tire_envelope_builder.hpp"
#include "sys/Error.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"
#include "vdja_tireenv_motion_util.hpp"

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

// ---- inputs that take work -------------------------------------------------------

namespace {

// Host memory handed to the caller, freed on every way out.
struct HostFree {
  void operator()(void* block) const { SM_free(block); }
};
template <class T>
using HostBlock = std::unique_ptr<T, HostFree>;

double Distance2(const double a[3], const double b[3]) {
  double d = 0;
  for (int i = 0; i < 3; ++i) d += (a[i] - b[i]) * (a[i] - b[i]);
  return d;
}

void LogForDeletion(int count, const tag_t* tags) {
  for (int i = 0; i < count; ++i)
    if (tags[i] != 0) UPDATE_log_entity_to_delete(tags[i]);
}

}  // namespace

void vdja_tireenv_generate_managed_scenario_name(char** name) {
  if (RTENV_ask_qdmanager_active()) SFMOD__generate_scenario_name(CONTEXT_ask_root_part(), name);
}

int TireEnvelopeBuilder::GetSpindleLineWheelEnd(tag_t line, const double point[3]) {
  if (line == 0) return 0;
  double start[3], end[3];
  if (VD_ask_curve_end_points(line, start, end) != 0) return 0;
  if (Distance2(point, start) <= 1e-20) return 0;
  return Distance2(point, end) <= 1e-20 ? 1 : 0;
}

namespace {
// A part's simple name, as the host's data management names it.
HostBlock<char> SimpleNameOf(const char* partName) {
  HostBlock<char> managed(VD_ask_part_dm_name(partName));
  return HostBlock<char>(CFI_get_simple_name(managed.get(), 2));
}
}  // namespace

int TireEnvelopeBuilder::AddMasterPart(const char* partName) {
  double placement[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
  const std::string name = partName != nullptr ? partName : "";
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, nullptr, &error);
  if (error != 0) ERROR_raise(kSource, 3444, error, "Failed to set UNDO mark");
  try {
    HostBlock<char> componentName = SimpleNameOf(name.c_str());
    HostBlock<char> fileName(QDMGR_decode_cli_part_file(name.c_str()));
    PART_part* part = PART_ask_part_of_filename(fileName.get());
    bool same = false;
    if (const char* previous = GetMasterPartName(); previous[0] != '\0') {
      TIREENV_load_part_fully(previous);
      PART_part* old = VD_PART_ask_part_tag(previous);
      same = old != nullptr && old == part;
      if (old != nullptr && !same) {
        HostBlock<char> oldName = SimpleNameOf(previous);
        // Only a component that is really there is removed.
        if (tag_t occurrence = PART_ask_occ_part_of_part(CONTEXT_ask_work_part()); occurrence != 0) {
          HostBlock<char> upper(STR_copy_uc(oldName.get()));
          if (tag_t instance = OCC_ask_instance_of_name(occurrence, upper.get()); instance != 0)
            ASSY_remove_component(instance);
        }
      }
    }
    if (!same) {
      tag_t instance = 0;
      ASSY_add_part_to_assembly(CONTEXT_ask_work_part(), part, nullptr, componentName.get(), -1, placement, 1,
                                &instance);
    }
    SetMasterPartName(name.c_str());
  } catch (const std::exception& e) {
    Error::Severe severe;
    severe.Use(Error::Severe::Convert(e));
    severe.SetLocation(kSource, 3507, 0);
    UNDO_QD_undo_to_mark(mark, nullptr);
    severe.Close(0);
    const int code = severe.askCode();
    UNDO_QD_delete_mark(mark, nullptr);
    return code;
  }
  UNDO_QD_delete_mark(mark, nullptr);
  return 0;
}

int TireEnvelopeBuilder::CreateLinkedProfiles() {
  PART_part* sketchPart = VD_PART_ask_part_tag(GetSketchPartName());
  if (sketchPart == nullptr) return 3771718;
  int count = 0;
  tag_t* linked = nullptr;
  int result = TIREENV_link_curves(sketchPart, GetSketchName(), &count, &linked);
  HostBlock<tag_t> curves(linked);
  if (result != 0) return result;
  if (TIREENV_check_profile_intersect_Y_Axis(count, curves.get()) > 1) {
    LogForDeletion(count, curves.get());
    UPDATE_do_update();
    return 3771702;
  }
  if (m_isNewLinkedProfile) {
    const int old = GetProfileCurveLength();
    for (int i = 0; i < old; ++i)
      if (tag_t curve = GetProfileCurve(i); curve != 0) UPDATE_log_entity_to_delete(curve);
  }
  SetProfileCurveLength(count);
  for (int i = 0; i < count; ++i) SetProfileCurve(i, curves.get()[i]);
  SetIsNewLinkedProfile(true);
  return 0;
}

int TireEnvelopeBuilder::CreateSpindleLines(const char* fileName) {
  int count = 0;
  tag_t* made = nullptr;
  const int result = TIREENV_create_spindle_lines_from_file(fileName, &count, &made);
  HostBlock<tag_t> lines(made);
  // The old lines go only once the new file gave lines of its own.
  if (result != 0 || count < 1) return result;
  const int old = GetSpindleCurveLength();
  bool logged = false;
  for (int i = 0; i < old; ++i) {
    if (tag_t curve = GetSpindleCurve(i); curve != 0) {
      UPDATE_log_entity_to_delete(curve);
      logged = true;
    }
  }
  if (logged) UPDATE_do_update();
  SetSpindleCurveLength(0);
  for (int i = 0; i < count; ++i) SetSpindleCurve(i, lines.get()[i]);
  return 0;
}

int TireEnvelopeBuilder::CalculateProfilePoints() {
  Tire_s* area = WorkArea();
  const auto tagsOf = [](const TagListObject* list, int* count) {
    tag_t* tags = nullptr;
    list->ask_tags(count, &tags);
    return HostBlock<tag_t>(tags);
  };
  const auto enough = [area] { return area->profilePointCount < 2 ? 3771707 : 0; };
  if (m_tireDefinition != ProfilePointFile) area->mirrorProfile = m_mirrorProfile ? 1 : 0;
  switch (m_tireDefinition) {
    case SolidBody: {
      area->mirrorProfile = 1;
      SetMirrorProfile(true);
      int count = 0;
      HostBlock<tag_t> bodies = tagsOf(m_tireDefinitionBody, &count);
      if (count > 0 && OCC_is_occurrence(bodies.get()[0])) {
        PART_part* part = PART_ask_part_of_object(OCC_ask_prototype_of_occ(bodies.get()[0]));
        int status = 0;
        if (part != nullptr && PART_is_part_loaded_tol(part) != 1 && PART_load_component(part, &status) != 0)
          return status;
      }
      if (!TIREENV_create_profile_point_by_solid_body(m_wheelCsys, count, bodies.get(), false, area)) return 3771706;
      return enough();
    }
    case ProfileCurves: {
      int count = 0;
      HostBlock<tag_t> curves = tagsOf(m_tireDefinitionProfile, &count);
      if (count < 1) return 0;
      if (int result = TIREENV_check_points_for_profile(1, count, curves.get(), nullptr, nullptr, area); result != 0)
        return result;
      return enough();
    }
    case SketchfromOtherPart: {
      const int count = GetProfileCurveLength();
      if (count < 1) return 0;
      std::vector<tag_t> curves(static_cast<std::size_t>(count));
      for (int i = 0; i < count; ++i) curves[static_cast<std::size_t>(i)] = GetProfileCurve(i);
      if (int result = TIREENV_check_points_for_profile(2, count, curves.data(), GetSketchPartName(), GetSketchName(),
                                                        area);
          result != 0)
        return result;
      return enough();
    }
    case ProfilePointFile: return CopyProfileFromFile();
    default: return 0;
  }
}

int TireEnvelopeBuilder::CopyProfileFromFile() {
  int count = 0;
  char** readNames = nullptr;
  tire_profile_point_s* readProfiles = nullptr;
  const int result = read_profile_file(GetProfilePointFile(), &count, &readNames, &readProfiles);
  HostBlock<char*> names(readNames);
  HostBlock<tire_profile_point_s> profiles(readProfiles);
  const auto freeNames = [&] {
    for (int i = 0; i < count; ++i) SM_free(names.get()[i]);
  };
  if (result != 0) {
    freeNames();
    return result;
  }
  int chosen = 0;
  while (chosen < count && std::strcmp(names.get()[chosen], GetProfileName()) != 0) ++chosen;
  if (chosen == count) chosen = 0;
  freeNames();
  // No profile, or more points than the work area holds: the area stays as it was.
  if (count == 0 || profiles.get()[chosen].count > Tire_s::kMaxProfilePoints) return 3771707;
  const tire_profile_point_s& profile = profiles.get()[chosen];
  Tire_s* area = WorkArea();
  area->profilePointCount = profile.count;
  area->mirrorProfile = profile.mirror;
  for (int i = 0; i < profile.count; ++i) {
    area->profilePoints[i][0] = profile.points[i][0];
    area->profilePoints[i][1] = profile.points[i][1];
    area->profilePoints[i][2] = 0;
  }
  return 0;
}

int TireEnvelopeBuilder::LoadTemplatePointFile(const char* fileName, char** message) {
  if (message != nullptr) *message = nullptr;
  if (fileName == nullptr || *fileName == '\0') return 3771723;
  Tire_s* area = WorkArea();
  void* record = nullptr;
  switch (m_suspensionTemplate) {
    case MacPhersonStrut: record = &area->macpherson; break;
    case ShortLongArmwithSteering:
    case ShortLongArmwithoutSteering: record = &area->slArm; break;
    case FiveLinkSolidAxlewithoutSteering: record = &area->fiveLink; break;
    default: return 0;
  }
  char text[256] = {};
  switch (TIREENV_load_susp_pt_file(fileName, m_suspensionTemplate, text, record)) {
    case 0: return 0;
    case -2: return 3771724;
    case -3:
      text[sizeof text - 1] = '\0';
      if (message != nullptr) *message = SM_string_copy(text);
      return 3771725;
    case -11: return 3771726;
    case -13: return 3771727;
    case -20: return 3771728;
    case -21: return 3771729;
    default: return 3771723;
  }
}

int TireEnvelopeBuilder::ProcessFromSpindelLines() {
  try {
    HostBlock<char> directory(vdja_tireenv_motion_temp_directory());
    if (directory == nullptr) return kMotionFileMissing;
    char name[kMotionFileNameSize];
    int counter = 0;
    if (int status = vdja_tireenv_motion_probe_file_name(directory.get(), "spindle_file", &counter, name); status != 0)
      return status;
    const tag_t design = m_designPositionSpindle->ask_selected_tag();
    double endPoint[3] = {0, 0, 0};
    ES_ask_coordinates_of_point(m_spindleEndPoint, endPoint);
    const int wheelEnd = GetSpindleLineWheelEnd(design, endPoint);
    int count = 0;
    tag_t* selected = nullptr;
    m_spindleLines->ask_tags(&count, &selected);
    HostBlock<tag_t> lines(selected);
    const int result = TIREENV_output_spindle_file_spinlines(name, design, wheelEnd, lines.get(), count);
    lines.reset();
    SetMotionFile(name);
    return result;
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 4180);
  }
}

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
