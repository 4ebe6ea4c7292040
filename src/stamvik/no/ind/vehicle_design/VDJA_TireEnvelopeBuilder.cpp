#include "VDJA_TireEnvelopeBuilder.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <unordered_map>

#include <vector>

#include "CommitPath.hpp"
#include "InputChecks.hpp"
#include "assy/Assembly.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "afl/DieEngParms.hpp"
#include "afl/TireEnvelope.hpp"
#include "sys/Settings.hpp"
#include "jam/Jam.hpp"
#include "sys/Error.hpp"
#include "sys/Text.hpp"
#include "vd/Motion.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"
#include "OnEveryExit.hpp"
#include "VDJA_TireEnvelopeBlock.hpp"
#include "VDJA_TireEnvelopeFields.hpp"
#include "VDJA_TireEnvelopeSettings.hpp"
#include "vdja_tireenv_motion_util.hpp"

namespace KTX::VDJA {

namespace {
// Released by the destructor when the host frees a builder it never destroyed.
void ReleaseWorkArea(const TireEnvelopeBuilder* builder);
std::unordered_map<const TireEnvelopeBuilder*, std::string>& JointsFiles();
// One driver input as a run takes it: its property's name, its value exactly
// (what is compared) and as the user is shown it.
struct TracedInput {
  std::string name, exact, shown;
};
// The motion file a builder's run wrote (or its feature's read back gave)
// and the driver inputs it was traced with: transient, like the work area.
// Files are not undone, so neither is this. Whether a commit of the builder
// wrote it is the model's, and goes back with an undo: the commit notes the
// trace's number (Stamvik::NoteOwnWritten), which the turns keep.
struct TracedMotion {
  std::string file;
  std::vector<TracedInput> inputs;
  std::uint64_t number = 0;  // each trace or read-back its own, in the library's life
};
void ForgetTracedMotion(const TireEnvelopeBuilder* builder);
// A host file reader's failure as a status with a text: -1 the file could
// not be read (no such file, no regular file, too large, a line over 1 MiB),
// -2 a line that is not what the format takes; the host's note names which.
int FileReadStatus(int raw) {
  return raw == -1 ? Messages::kFileUnreadable : raw == -2 ? Messages::kFileLineNotOfFormat : raw;
}
}  // namespace

void OnHostRelease(TireEnvelopeBuilder* builder) { ReleaseWorkArea(builder); }

STAMVIK_OM_INSTANCE_SIZE_DEF(TireEnvelopeBuilder)
STAMVIK_OM_DEFINE_CLASS(TireEnvelopeBuilder, "KTX::JAX_FEAT_BUILDER", 0x1000, &GetTireEnvelopeBuilderInstanceSize,
                        STAMVIK_TIRE_ENVELOPE_BUILDER_ATTRIBUTES)

namespace {

constexpr const char* kSource = "VDJA_TireEnvelopeBuilder";

void ReleaseTablesAtUnload();
void ReleaseTablesAtUnloadOnce() {
  static bool registered = false;
  if (!registered) Frame::AtUnload(&ReleaseTablesAtUnload);
  registered = true;
}

// What the builders keep beside their objects, by builder. The tables outlive
// every builder: they are let go when the library unloads, after the builders
// still open then (ReleaseTablesAtUnload).
template <class Value>
class BuilderTable {
 public:
  using Map = std::unordered_map<const TireEnvelopeBuilder*, Value>;
  static Map& Get() {
    Map*& map = Pointer();
    if (map == nullptr) {
      map = new Map;
      ReleaseTablesAtUnloadOnce();
    }
    return *map;
  }
  static Map* Existing() { return Pointer(); }
  static void Drop() {
    delete Pointer();
    Pointer() = nullptr;
  }

 private:
  static Map*& Pointer() {
    static Map* map = nullptr;
    return map;
  }
};

// Which work area belongs to which builder. The object's own field is only a
// copy for the host's calls: undo and part loading write old pointers into it.
std::unordered_map<const TireEnvelopeBuilder*, Tire_s*>& WorkAreas() { return BuilderTable<Tire_s*>::Get(); }

void FreeWorkArea(Tire_s* area);

// A zeroed work area holding the templates' initial hard points.
Tire_s* NewWorkArea() {
  auto* area = static_cast<Tire_s*>(SM_alloc(sizeof(Tire_s)));
  if (area == nullptr) ERROR_raise(kSource, 96, Error::kNoMemory, "no memory for the tire envelope's work area");
  std::memset(static_cast<void*>(area), 0, sizeof(Tire_s));
  try {
    QF_VD_MAC_SUSP_initial(&area->macpherson);
    QF_VD_SLA_SUSP_initial(&area->slArm);
    QF_VD_FLA_SUSP_initial(&area->fiveLink);
  } catch (...) {
    FreeWorkArea(area);
    throw;
  }
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
  JointsFiles().erase(builder);
  ForgetTracedMotion(builder);
  auto it = WorkAreas().find(builder);
  if (it == WorkAreas().end()) return;
  Tire_s* area = it->second;
  WorkAreas().erase(it);
  FreeWorkArea(area);
}

// A builder still open when the library unloads is destroyed with what it
// holds; one that only an undo could bring back (its object is kept, its
// destructor has not run) gives up its work area. Then the tables go.
void ReleaseTablesAtUnload() {
  if (auto* areas = BuilderTable<Tire_s*>::Existing()) {
    std::vector<const TireEnvelopeBuilder*> left;
    for (const auto& entry : *areas) left.push_back(entry.first);
    for (const TireEnvelopeBuilder* held : left) {
      auto* builder = const_cast<TireEnvelopeBuilder*>(held);
      const tag_t tag = builder->OmTag();
      if (OM::OM_object_of_tag(tag) == builder && !OM::OM_is_deleted_tag(tag))
        Stamvik::RunNoted("TireEnvelopeBuilder::destroy", [builder] { builder->destroy(); });
      ReleaseWorkArea(held);
    }
  }
  BuilderTable<Tire_s*>::Drop();
  BuilderTable<std::string>::Drop();
  BuilderTable<TracedMotion>::Drop();
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
  SetEnvelopeOffsetMethod(this, FixedSections);
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
      ERROR_raise(kSource, 235, code, "cannot make the expression " #Name);                                 \
    OM::OM_set_pointer(this, field##AttId, zero);                                                                \
  }
  STAMVIK_TIRE_ENVELOPE_EXPRESSIONS(STAMVIK_ZERO)
#undef STAMVIK_ZERO
  // The motion file the feature's lines were written back to holds the
  // motion traced with the inputs the feature holds.
  if (frec != nullptr) RecordTracedMotion();
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

HostBlock<char> SimpleNameOf(const char* partName) {
  HostBlock<char> managed(VD_ask_part_dm_name(partName));
  return HostBlock<char>(CFI_get_simple_name(managed.get(), 2));
}

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
  if (sketchPart == nullptr) return Messages::kSketchPartNotFound;
  int count = 0;
  tag_t* linked = nullptr;
  int result = TIREENV_link_curves(sketchPart, GetSketchName(), &count, &linked);
  HostBlock<tag_t> curves(linked);
  if (result != 0) return result;
  if (TIREENV_check_profile_intersect_Y_Axis(count, curves.get()) > 1) {
    LogForDeletion(count, curves.get());
    UPDATE_do_update();
    return Messages::kProfileCrossesYAxis;
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
  const int result = FileReadStatus(TIREENV_create_spindle_lines_from_file(fileName, &count, &made));
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

namespace {

// The tire's section as the modeller revolves it: the profile points in
// order, then, when mirrored, their mirror images about the centre plane back
// to the first, closed; a point that repeats the one before it is dropped.
std::vector<std::array<double, 2>> SectionPoints(const Tire_s& area, bool mirror) {
  const int count = std::clamp(area.profilePointCount, 0, Tire_s::kMaxProfilePoints);
  std::vector<std::array<double, 2>> points;
  const auto add = [&](double x, double r) {
    if (points.empty() || points.back()[0] != x || points.back()[1] != r) points.push_back({x, r});
  };
  for (int i = 0; i < count; ++i) add(area.profilePoints[i][0], area.profilePoints[i][1]);
  if (mirror)
    for (int i = count - 1; i >= 0; --i) add(-area.profilePoints[i][0], area.profilePoints[i][1]);
  while (points.size() > 1 && points.front() == points.back()) points.pop_back();
  return points;
}

// Why the profile can make no tire section; 0 when it can. A point below the
// spindle axis would be revolved through the axis into the tire itself, one
// on the axis into a point of it that the modeller cannot turn; so would one
// within the distance tolerance of the axis, which the envelope's facets
// there close up to nothing. A section of fewer than three distinct points,
// or all of them on one line, encloses nothing to revolve. (The modeller,
// given any of them, makes nothing.)
int SectionRefusal(const Tire_s& area, bool mirror, double tolerance) {
  const int count = std::clamp(area.profilePointCount, 0, Tire_s::kMaxProfilePoints);
  // A tolerance not above 0 (refused itself later in validation) still keeps the axis.
  const double axis = std::max(0.0, tolerance);
  for (int i = 0; i < count; ++i)
    if (!(area.profilePoints[i][1] > axis)) return Messages::kProfileBelowSpindleAxis;
  const std::vector<std::array<double, 2>> points = SectionPoints(area, mirror);
  std::vector<std::array<double, 2>> distinct;
  for (const auto& p : points)
    if (std::find(distinct.begin(), distinct.end(), p) == distinct.end()) distinct.push_back(p);
  if (distinct.size() < 3) return Messages::kTireSectionWithoutArea;
  // On one line: every point's distance from the line through the first and
  // the farthest from it within a rounding of the section's size.
  const auto& a = distinct.front();
  std::size_t far = 1;
  double size = 0;
  for (std::size_t i = 1; i < distinct.size(); ++i)
    if (const double d = std::hypot(distinct[i][0] - a[0], distinct[i][1] - a[1]); d > size) size = d, far = i;
  const double ux = (distinct[far][0] - a[0]) / size, uy = (distinct[far][1] - a[1]) / size;
  for (const auto& p : distinct)
    if (std::fabs((p[0] - a[0]) * uy - (p[1] - a[1]) * ux) > 1e-9 * size) return 0;
  return Messages::kTireSectionWithoutArea;
}

// Whether the tire's section crosses itself. Two sides cross when each has
// its ends strictly on the two sides of the other's line; sides that only
// touch or run along one line make no area for the modeller to turn and are
// left to it.
bool SectionCrossesItself(const Tire_s& area, bool mirror) {
  const std::vector<std::array<double, 2>> points = SectionPoints(area, mirror);
  const std::size_t n = points.size();
  if (n < 4) return false;
  const auto side = [](const std::array<double, 2>& a, const std::array<double, 2>& b, const std::array<double, 2>& c) {
    const double cross = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
    return (cross > 0) - (cross < 0);
  };
  for (std::size_t i = 0; i < n; ++i)
    for (std::size_t j = i + 2; j < n; ++j) {
      if (i == 0 && j == n - 1) continue;  // the closing side meets the first at a corner
      const auto &a = points[i], &b = points[(i + 1) % n], &c = points[j], &d = points[(j + 1) % n];
      if (side(a, b, c) * side(a, b, d) < 0 && side(c, d, a) * side(c, d, b) < 0) return true;
    }
  return false;
}

}  // namespace

namespace {
// Whether the motion file holds a spindle line the envelope can be swept to:
// six numbers, the two end points, apart. Without one the envelope would be
// swept to no position at all.
bool HoldsASpindleLine(const char* file) {
  std::int32_t count = 0;
  char** lines = nullptr;
  BlockWriter::Lines(file, &count, &lines);
  bool found = false;
  for (std::int32_t i = 0; i < count; ++i) {
    double p[6];
    char extra = 0;
    if (!found && lines[i] != nullptr &&
        std::sscanf(lines[i], "%lf %lf %lf %lf %lf %lf %c", &p[0], &p[1], &p[2], &p[3], &p[4], &p[5], &extra) == 6)
      found = p[0] != p[3] || p[1] != p[4] || p[2] != p[5];
    SM_free(lines[i]);
  }
  SM_free(lines);
  return found;
}
}  // namespace

int TireEnvelopeBuilder::CalculateProfilePoints() {
  // Points that can make no section, or one that crosses itself, are
  // refused; so is a definition that gave too few. The points stay as they
  // were.
  Tire_s* area = WorkArea();
  const int pointsBefore = area->profilePointCount;
  const std::uint8_t mirrorBefore = area->mirrorProfile;
  std::vector<double> before(&area->profilePoints[0][0], &area->profilePoints[0][0] + 3 * Tire_s::kMaxProfilePoints);
  int status = TakeProfilePoints();
  const bool mirror = m_tireDefinition == SolidBody || m_mirrorProfile;
  // A definition with nothing selected takes no points and leaves them.
  if (status == 0 && area->profilePointCount == pointsBefore &&
      std::equal(before.begin(), before.end(), &area->profilePoints[0][0]))
    return 0;
  if (status == 0) status = SectionRefusal(*area, mirror, Stamvik::ExpressionValue(m_distanceTolerance));
  if (status == 0 && SectionCrossesItself(*area, mirror)) status = Messages::kProfileSectionCrosses;
  if (status == 0) return 0;
  area->profilePointCount = pointsBefore;
  area->mirrorProfile = mirrorBefore;
  std::copy(before.begin(), before.end(), &area->profilePoints[0][0]);
  return status;
}

int TireEnvelopeBuilder::TakeProfilePoints() {
  Tire_s* area = WorkArea();
  const auto tagsOf = [](const TagListObject* list, int* count) {
    tag_t* tags = nullptr;
    list->ask_tags(count, &tags);
    return HostBlock<tag_t>(tags);
  };
  const auto enough = [area] { return area->profilePointCount < 2 ? Messages::kTooFewProfilePoints : 0; };
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
      if (!TIREENV_create_profile_point_by_solid_body(m_wheelCsys, count, bodies.get(), false, area))
        return Messages::kNoProfilePointsFromBody;
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
  const int result = FileReadStatus(read_profile_file(GetProfilePointFile(), &count, &readNames, &readProfiles));
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
  if (count == 0 || profiles.get()[chosen].count > Tire_s::kMaxProfilePoints) return Messages::kTooFewProfilePoints;
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
  if (fileName == nullptr || *fileName == '\0') return Messages::kTemplateFileUnreadable;
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
    case -2: return Messages::kTemplateLineNotOfFormat;
    case -3:
      text[sizeof text - 1] = '\0';
      if (message != nullptr) *message = SM_string_copy(text);
      return Messages::kTemplateHardPointMissing;
    case -11: return Messages::kTemplateLineNotFirst;
    case -13: return Messages::kTemplateOfAnotherType;
    case -20: return Messages::kTemplatePointNameUnknown;
    case -21: return Messages::kTemplatePointNamedTwice;
    default: return Messages::kTemplateFileUnreadable;
  }
}

int TireEnvelopeBuilder::ProcessFromSpindelLines() {
  try {
    HostBlock<char> directory(vdja_tireenv_motion_temp_directory());
    if (!directory) return kMotionFileMissing;
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
    // The builder's motion file is the spindle lines' now, no run's trace.
    ForgetTracedMotion(this);
    return result;
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 4180);
  }
}

// ---- the motion scenario ----------------------------------------------------------

// What a save of the master part or the tire-body part reports: the processed
// failure when the host gives one, else the first failure that is not an
// unsaved component of another part than `entry`.
int PartSaveCode(const PART_save_failure_s& failures, PART_part* entry) {
  using Messages::kComponentNotSaved;
  if (failures.count <= 0) return 0;
  if (const int processed = PART_process_save_failures(&failures, entry); processed < 0)
    return kSaveMessageBase - processed;
  for (int i = 0; i < failures.count; ++i)
    if (failures.codes[i] != kComponentNotSaved || failures.parts[i] == entry) return failures.codes[i];
  return 0;
}

namespace {

using Messages::kDriveJointsMissing;
using Messages::kMasterFileMissing;
using Messages::kNoSpindleObject;

void RaiseMessage(int line, int code) { ERROR_raise(kSource, line, code, "%s", ""); }

void UpdateWhenLogged() {
  if (!UPDATE_is_list_empty() || !UPDATE_is_delete_list_empty()) VD_update_do_update();
}


int ScenarioSaveCode(const PART_save_failure_s& failures, PART_part* part) {
  if (failures.count <= 0) return 0;
  if (failures.codes != nullptr) return failures.codes[0];
  const int processed = PART_process_save_failures(&failures, part);
  return processed < 0 ? kSaveMessageBase - processed : processed;
}

// The manager's check of the part's file: its value (0 when the file is there).
int ManagedFileCheck(PART_part* part) {
  HostBlock<char> file(PART_ask_filename_of_part(part));
  int value = 0;
  QDMGR_check_file_existence(file.get(), &value);
  return value;
}

void ScenarioOpenedOrMade() {
  auto* session = Stamvik::UnjournalledInterface<JAM::MotionSession_Interface>("Motion.MotionSession");
  if (session != nullptr) session->SessionScenarioChanged();
}

// A joint's name as the joint record gives it, cut to 132 characters.
std::string JointName(tag_t joint) {
  KMC_mech_joint_t record{};
  if (const int code = KMC_get_joint(joint, &record); code != 0) RaiseMessage(656, code);
  char name[133];
  std::snprintf(name, sizeof name, "%s", record.name != nullptr ? TEXT_ask_utf8(record.name) : "");
  TEXT_free(record.name);
  return name;
}

std::string HandleOf(tag_t tag) {
  HostBlock<char> handle(OM::TAG_ask_handle_of_tag(tag));
  return handle ? handle.get() : "";
}

const char* ScenarioPrefix(int templateType) {
  switch (templateType) {
    case ShortLongArmwithSteering: return "sla";
    case ShortLongArmwithoutSteering: return "sla_nosteer";
    case FiveLinkSolidAxlewithoutSteering: return "fla_nosteer";
    default: return "mac";
  }
}

// The scenario's name: the template's prefix and the first number no
// scenario of the part uses, unless the builder's own current name is taken.
std::string ChooseScenarioName(int templateType, bool manager, const std::string& current) {
  int number = 1;
  const auto format = [&] {
    char text[256];
    std::snprintf(text, sizeof text, "scen_%s_%d", ScenarioPrefix(templateType), number);
    std::string name = text;
    if (manager) {
      char* generated = nullptr;
      vdja_tireenv_generate_managed_scenario_name(&generated);
      if (generated != nullptr) name = generated;
      SM_free(generated);
    }
    return name;
  };
  std::string name = format();
  bool exists = false;
  QF_VD_MOTION_is_scenario_exist(name.c_str(), &exists);
  if (exists && name == current) return name;
  while (exists) {
    ++number;
    name = format();
    QF_VD_MOTION_is_scenario_exist(name.c_str(), &exists);
  }
  return name;
}

}  // namespace

// The scenario the articulation runs: built from the template, or the
// existing one opened; the status of the build (-99 or -98 for a scenario
// saved under the manager) or of the five-link test.
int TireEnvelopeBuilder::PrepareScenario(int motion, int templateType, bool save, bool manager, PART_part* work,
                                         PART_part* root, bool* fiveLink) {
  int result = 0;
  Tire_s* area = WorkArea();
  if (motion == SuspensionTemplate) {
    bool exists = false;
    QF_VD_MOTION_is_scenario_exist(GetScenarioName(), &exists);
    bool opened = false;
    if (exists && !manager) {
      SetJointTagHandleLength(0);
      SetFLADrvJointHandleLength(0);
      SFMOD__delete_scenario(root, GetScenarioName());
    } else if (exists) {
      UnderMark(nullptr, kMarkFailure, 758, [&] {
        unsigned int scenario = 0;
        if (const int code = KMC_file_open_scenario(root, GetScenarioName(), &scenario); code != 0)
          RaiseMessage(761, code);
        KMC_file_call_functions_at_scn_load_time();
        ScenarioOpenedOrMade();
        SetScenarioTag(scenario);
      });
      opened = true;
    }
    if (!opened) {
      const std::string name = ChooseScenarioName(templateType, manager, GetScenarioName());
      switch (templateType) {
        case MacPhersonStrut: QF_VD_MAC_SUSP_build_structure(&area->macpherson); break;
        case ShortLongArmwithSteering:
        case ShortLongArmwithoutSteering:
          area->slArm.withoutSteering = templateType == ShortLongArmwithoutSteering ? 1 : 0;
          QF_VD_SLA_SUSP_build_structure(&area->slArm);
          break;
        case FiveLinkSolidAxlewithoutSteering: QF_VD_FLA_SUSP_build_structure(&area->fiveLink); break;
        default: break;
      }
      SetScenarioName(name.c_str());
      unsigned int scenario = 0;
      const int code = save ? QF_VD_MOTION_create_scenario(name.c_str(), &scenario)
                            : QF_VD_MOTION_create_scenario_nosave(name.c_str(), &scenario);
      if (code != 0) ERROR_raise(kSource, 784, code, "%s", ERROR_decode(code));
      if (save && manager) result = PART__ask_new_scenario_file_type() == 190 ? -99 : -98;
      KMC_set_mech_initialized(false);
      UnderMark(nullptr, kMarkFailure, 787, [&] {
        switch (templateType) {
          case MacPhersonStrut: QF_VD_MAC_SUSP_build_motion(&area->macpherson); break;
          case ShortLongArmwithSteering:
          case ShortLongArmwithoutSteering: QF_VD_SLA_SUSP_build_motion(&area->slArm); break;
          case FiveLinkSolidAxlewithoutSteering: QF_VD_FLA_SUSP_build_motion(&area->fiveLink); break;
          default: break;
        }
        if (save) {
          UpdateWhenLogged();
          PART_save_failure_s failures{};
          PART_save_no_components(root, &failures);
          const int saveCode = ScenarioSaveCode(failures, root);
          PART_free_save_failures(&failures);
          if (saveCode != 0) ERROR_raise(kSource, 801, saveCode, "Unable to save scenario part.");
        }
        ScenarioOpenedOrMade();
      });
      // Kept so that the run can clean up a scenario never saved.
      SetScenarioTag(scenario);
    }
  } else {
    if (!PART_is_motion_part(work)) {
      const std::string name = GetScenarioName();
      bool open = false;
      if (PART_part* master = VD_PART_ask_part_tag(GetMasterPartName());
          m_addMasterComponentPart && master != nullptr) {
        PART_set_displayed_part(master);
        open = true;
      } else {
        QF_VD_MOTION_is_scenario_exist(name.c_str(), &open);
      }
      if (open) {
        unsigned int scenario = 0;
        if (const int code = KMC_file_open_scenario(root, name.c_str(), &scenario); code != 0)
          RaiseMessage(822, code);
        KMC_file_call_functions_at_scn_load_time();
        ScenarioOpenedOrMade();
        SetScenarioTag(scenario);
      }
    }
    result = QF_VD_is_fla_template(fiveLink);
    if (result == -1) RaiseMessage(829, kDriveJointsMissing);
  }
  return result;
}

// The joints the articulation drives, chosen among the scenario's drive
// joints by the motion method and the template, into the builder.
void TireEnvelopeBuilder::ChooseDriverJoints(int motion, int templateType, bool fiveLink, int count,
                                            const tag_t* drive) {
  Tire_s* area = WorkArea();
  tag_t first = 0, second = 0;
  if (motion == ExistingScenarioMotionModel && fiveLink) {
    const std::string name = JointName(drive[0]);
    tag_t leftShock = 0, rightShock = 0;
    if (count >= 2 && name == "L_SHOCK") leftShock = drive[0], rightShock = drive[1];
    if (count >= 2 && name == "R_SHOCK") rightShock = drive[0], leftShock = drive[1];
    unsigned int leftBumper = 0, rightBumper = 0;
    VD_OBJ_cycle_by_name("L_BUMPER", &leftBumper);
    VD_OBJ_cycle_by_name("R_BUMPER", &rightBumper);
    // A five-link axle is driven by all four joints or not at all.
    if (leftShock == 0 || rightShock == 0 || leftBumper == 0 || rightBumper == 0)
      RaiseMessage(846, kDriveJointsMissing);
    const tag_t four[4] = {leftShock, rightShock, leftBumper, rightBumper};
    SetFLADrvJointHandleLength(4);
    for (int i = 0; i < 4; ++i) SetFLADrvJointHandle(i, HandleOf(four[i]).c_str());
    SetSuspensionTemplate(FiveLinkSolidAxlewithoutSteering);
    first = leftShock, second = rightShock;
  } else if (motion == ExistingScenarioMotionModel) {
    if (get_frec() != nullptr && GetJointTagHandleLength() == 0 && count > 2) {
      tag_t steering = 0, jounce = 0;
      for (int i = 0; i < count; ++i) {
        const std::string name = JointName(drive[i]);
        if (name == GetSteeringJointName()) steering = drive[i];
        if (name == GetJouceJointName()) jounce = drive[i];
      }
      if (steering != 0 && jounce != 0) SetDriverJoints(this, steering, jounce);
    }
    if (GetJointTagHandleLength() >= 2) {
      first = OM::TAG_find_by_handle(GetJointTagHandle(0));
      second = OM::TAG_find_by_handle(GetJointTagHandle(1));
    } else {
      first = drive[0];
      second = drive[count == 1 ? 0 : count == 2 ? 1 : 2];
    }
  } else {
    // The template's slots, cleared and then filled by the drive joints' names.
    auto& mac = area->macpherson;
    auto& sla = area->slArm;
    auto& fla = area->fiveLink;
    mac.rackJoint = mac.strutCenterJoint = 0;
    sla.steeringJoint = sla.jacCenterJoint = sla.shockCenterJoint = 0;
    fla.leftShockJoint = fla.rightShockJoint = fla.leftBumperJoint = fla.rightBumperJoint = 0;
    const std::pair<const char*, tag_t*> slots[3][4] = {
        {{"J_RACK", &mac.rackJoint}, {"J_STRUTCENTER", &mac.strutCenterJoint}, {nullptr, nullptr}, {nullptr, nullptr}},
        {{"J_STEER", &sla.steeringJoint}, {"J_JAC_CENTER", &sla.jacCenterJoint},
         {"J_SHK_CENTER", &sla.shockCenterJoint}, {nullptr, nullptr}},
        {{"L_SHOCK", &fla.leftShockJoint}, {"R_SHOCK", &fla.rightShockJoint}, {"L_BUMPER", &fla.leftBumperJoint},
         {"R_BUMPER", &fla.rightBumperJoint}}};
    const int family = templateType == MacPhersonStrut ? 0 : templateType == FiveLinkSolidAxlewithoutSteering ? 2 : 1;
    for (int i = 0; i < count; ++i) {
      const std::string name = JointName(drive[i]);
      for (const auto& [slotName, slot] : slots[family])
        if (slotName != nullptr && name == slotName) *slot = drive[i];
    }
    switch (templateType) {
      case MacPhersonStrut: first = mac.rackJoint, second = mac.strutCenterJoint; break;
      case ShortLongArmwithSteering: first = sla.steeringJoint, second = sla.shockCenterJoint; break;
      case ShortLongArmwithoutSteering: first = second = sla.shockCenterJoint; break;
      case FiveLinkSolidAxlewithoutSteering:
        first = fla.leftShockJoint, second = fla.rightShockJoint;
        if (fla.leftBumperJoint == 0 || fla.rightBumperJoint == 0) first = 0;
        break;
      default: break;
    }
  }
  // A scenario lacking a joint the articulation drives is no scenario to run.
  if (first == 0 || second == 0) RaiseMessage(901, kDriveJointsMissing);
  SetDriverJoints(this, first, second);
}

int TireEnvelopeBuilder::BuildMotionTemplate() {
  const int motion = m_motion, templateType = m_suspensionTemplate;
  const bool save = m_saveScenario;
  const int outer = SetMark(nullptr, kMarkFailure, 710);
  int count = 0;
  tag_t* drive = nullptr;
  try {
    PART_part* work = CONTEXT_ask_work_part();
    PART_part* root = CONTEXT_ask_root_part();
    SetMasterPartTag(OM::OM_ask_object_tag(work));
    UpdateWhenLogged();
    const bool manager = RTENV_ask_qdmanager_active();
    UnderMark("VD Enter Scenario", "Failed to set UNDO mark - code  %d", 719, [&] {
      if (m_saveMasterPart) {
        PART_save_failure_s failures{};
        PART_save(work, &failures, 50);
        const int code = PartSaveCode(failures, work);
        PART_free_save_failures(&failures);
        if (code != 0) ERROR_raise(kSource, 725, code, "Unable to save master part.");
      }
      bool entered = false;
      KMC_enter_scenario(&entered);
      if (manager && ManagedFileCheck(work) != 0) RaiseMessage(729, kMasterFileMissing);
    });
    if (m_addMasterComponentPart) {
      const int value = manager ? ManagedFileCheck(work) : 0;
      int found = 0;
      char** names = nullptr;
      if (value == 0) KMC_file_locate_scenarios(&found, &names);
      VD_free_string_array(found, names);
      if (PART_part* master = VD_PART_ask_part_tag(GetMasterPartName()); found == 0 && master != nullptr)
        PART_set_displayed_part(master);
    }
    // Methods that read the motion from files have no scenario to build or open.
    if (motion != SuspensionTemplate && motion != ExistingScenarioMotionModel) {
      UNDO_QD_delete_to_mark(outer, nullptr);
      return 0;
    }

    bool fiveLink = false;
    CarryTemplateOptions();
    const int result = PrepareScenario(motion, templateType, save, manager, work, root, &fiveLink);

    QF_VD_MOTION_ask_articulation_drive_joints(&count, &drive);
    if (count < 1) RaiseMessage(833, kDriveJointsMissing);
    SetDriveJointCount(count);
    ChooseDriverJoints(motion, templateType, fiveLink, count, drive);
    SM_free(drive);
    UNDO_QD_delete_to_mark(outer, nullptr);
    return result;
  } catch (const std::exception& e) {
    SM_free(drive);
    const int code = Error::HandleAsBuilder(e, kSource, 908);
    UNDO_QD_undo_to_mark_no_status(outer, nullptr);
    UNDO_QD_delete_to_mark(outer, nullptr);
    return code;
  }
}

namespace {
// The joint-displacement file a builder's last run wrote: transient, like the work area.
std::unordered_map<const TireEnvelopeBuilder*, std::string>& JointsFiles() {
  return BuilderTable<std::string>::Get();
}

void ForgetTracedMotion(const TireEnvelopeBuilder* builder) {
  if (auto* table = BuilderTable<TracedMotion>::Existing()) table->erase(builder);
}

TracedMotion* TracedMotionOf(const TireEnvelopeBuilder* builder) {
  auto* table = BuilderTable<TracedMotion>::Existing();
  if (table == nullptr) return nullptr;
  const auto found = table->find(builder);
  return found != table->end() ? &found->second : nullptr;
}

// The driver path (and a five-link axle's joint lines) that the feature
// holds now, in place of the builder's own, when a commit of the builder
// that stands (not one an undo took back) wrote its path and another
// builder committed the feature since: not traced through this builder
// since (a run would be), the path is not its to write back. Until its first commit a builder opened on the feature
// writes its own, as it always did: it reads no path back. True when the
// feature's was taken.
bool TakeCommittedPath(const TireEnvelopeBuilder* builder, FEATURE_RECORD* own, Tireenv_params_s* block) {
  const TracedMotion* traced = TracedMotionOf(builder);
  if (own == nullptr || traced == nullptr || traced->number != Stamvik::OwnWritten(builder) ||
      TireEnvelope_Is(own) != 1 || !Stamvik::AnotherCommittedSince(builder, OM::OM_ask_object_tag(own)))
    return false;
  Tireenv_params_s* now = TireEnvelope_ReadParms(own);
  if (now == nullptr) return false;
  std::swap(block->driverPointCount, now->driverPointCount);
  std::swap(block->driverPoints, now->driverPoints);
  std::swap(block->jointLineCount, now->jointLineCount);
  std::swap(block->jointLines, now->jointLines);
  TireEnvelope_FreeApplData(&now);
  return true;
}

// Every input a motion run reads, each by the property a script sets it
// with (the hard points by the method that moves them, one entry for all):
// the one list a commit compares, and the one README gives.
enum DriverInput : int {
  kMotionInput,
  kSuspensionTemplateInput,
  kSuspensionTemplateFileNameInput,
  kUseStabilizerBarInput,
  kInnerJointAsymmetricInput,
  kBushingJointAsymmetricInput,
  kTemplatePointInput,
  kTracedSpindleLineInput,
  kJounceDistanceInput,
  kReboundDistanceInput,
  kShockDriverJointStepsInput,
  kRollAngleInput,
  kDriverGraphInput,
  kSteeringJointNameInput,
  kJouceJointNameInput,
  kXtoYInput,
  kFirstDriverJointUpperLimitInput,
  kFirstDriverJointLowerLimitInput,
  kFirstDriverJointStepsInput,
  kSecondDriverJointUpperLimitInput,
  kSecondDriverJointLowerLimitInput,
  kSecondDriverJointStepsInput,
  kTaperLocationYAxisInput,
  kTaperLocationXAxisInput,
  kTaperLocationAYInput,
  kTaperLocationBXInput,
  kDriverGraphSketchInput,
  kFixedLocationPercentageInput,
  kDriverInputCount
};
constexpr const char* kDriverInputNames[kDriverInputCount] = {
    "Motion",
    "SuspensionTemplate",
    "SuspensionTemplateFileName",
    "UseStabilizerBar",
    "InnerJointAsymmetric",
    "BushingJointAsymmetric",
    "SetSuspentionTemplatePoint",
    "TracedSpindleLine",
    "JounceDistance",
    "ReboundDistance",
    "ShockDriverJointSteps",
    "RollAngle",
    "DriverGraph",
    "SteeringJointName",
    "JouceJointName",
    "XtoY",
    "FirstDriverJointUpperLimit",
    "FirstDriverJointLowerLimit",
    "FirstDriverJointSteps",
    "SecondDriverJointUpperLimit",
    "SecondDriverJointLowerLimit",
    "SecondDriverJointSteps",
    "TaperLocationYAxis",
    "TaperLocationXAxis",
    "TaperLocationAY",
    "TaperLocationBX",
    "DriverGraphSketch",
    "FixedLocationPercentage",
};

// A value as the comparison takes it and as the user is shown it: -0 is the
// value 0 (the run makes the same motion of it), and the fewest digits that
// read back as the value are shown, so two values that differ never read
// alike ("was 30 ... is 30" for 30.00001).
std::string ExactValue(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", value == 0 ? 0.0 : value);
  return text;
}
std::string ShownValue(double value) {
  char text[40];
  const auto written = std::to_chars(text, text + sizeof text - 1, value == 0 ? 0.0 : value);
  *written.ptr = '\0';
  return text;
}

// The driver inputs that move the motion a run traces, as the feature would
// hold them, in the list's order: the method and template, then a
// template's file, options and hard points (each point named as the listing
// names it) or a scenario's traced spindle line, then a five-link axle's
// travel, steps and roll, or the two drivers' graph, joints, axes, limits
// and steps and what their graph alone reads (its percentage, its locations
// or its sketch). What the run does not read (the offsets, another graph's
// percentage, a five-link axle's stabilizer bar) is not among them.
std::vector<TracedInput> DriverInputsOf(TireEnvelopeBuilder& b) {
  std::vector<TracedInput> inputs;
  const auto real = [&](DriverInput input, double value) {
    inputs.push_back({kDriverInputNames[input], ExactValue(value), ShownValue(value)});
  };
  const auto whole = [&](DriverInput input, long long value) {
    inputs.push_back({kDriverInputNames[input], std::to_string(value), std::to_string(value)});
  };
  const auto text = [&](DriverInput input, const char* value) {
    const std::string quoted = std::string("\"") + (value != nullptr ? value : "") + "\"";
    inputs.push_back({kDriverInputNames[input], quoted, quoted});
  };
  const int motion = b.GetMotion();
  whole(kMotionInput, motion);
  const int templateType = b.GetSuspensionTemplate();
  whole(kSuspensionTemplateInput, templateType);
  if (motion == SuspensionTemplate) {
    text(kSuspensionTemplateFileNameInput, b.GetSuspensionTemplateFileName());
    if (templateType != FiveLinkSolidAxlewithoutSteering) whole(kUseStabilizerBarInput, b.GetUseStabilizerBar() ? 1 : 0);
    whole(kInnerJointAsymmetricInput, b.GetInnerJointAsymmetric() ? 1 : 0);
    whole(kBushingJointAsymmetricInput, b.GetBushingJointAsymmetric() ? 1 : 0);
    Tire_s* area = b.WorkArea();
    const void* record = templateType == MacPhersonStrut                    ? static_cast<void*>(&area->macpherson)
                         : templateType == FiveLinkSolidAxlewithoutSteering ? static_cast<void*>(&area->fiveLink)
                                                                            : static_cast<void*>(&area->slArm);
    for (const TemplateHardPoint& point : TemplateHardPoints(templateType)) {
      VD_point_s p;
      std::memcpy(&p, static_cast<const unsigned char*>(record) + point.place, sizeof p);
      // Each coordinate compared and shown as a value of its own.
      const std::string exact = ExactValue(p.x) + " " + ExactValue(p.y) + " " + ExactValue(p.z);
      const std::string shown = "(" + ShownValue(p.x) + ", " + ShownValue(p.y) + ", " + ShownValue(p.z) + ")";
      // The refusal names the point, not the method that moves every one.
      inputs.push_back({point.label, exact, shown});
    }
  } else if (motion == ExistingScenarioMotionModel) {
    // By handle, as the feature keeps it: a read-back holds the handle and
    // no selection, and the same line selected again is the same input.
    const tag_t traced = b.GetTracedSpindleLine()->ask_selected_tag();
    const HostBlock<char> handle(traced != 0 ? OM::TAG_ask_handle_of_tag(traced) : nullptr);
    text(kTracedSpindleLineInput, handle ? handle.get() : b.GetSpindleLineHandle());
  }
  if (templateType == FiveLinkSolidAxlewithoutSteering) {
    real(kJounceDistanceInput, b.GetJounceDistance());
    real(kReboundDistanceInput, b.GetReboundDistance());
    whole(kShockDriverJointStepsInput, b.GetShockDriverJointSteps());
    real(kRollAngleInput, Stamvik::ExpressionValue(b.GetRollAngle()));
    return inputs;
  }
  const int graph = b.GetDriverGraph();
  whole(kDriverGraphInput, graph);
  text(kSteeringJointNameInput, b.GetSteeringJointName());
  text(kJouceJointNameInput, b.GetJouceJointName());
  whole(kXtoYInput, b.GetXtoY() ? 1 : 0);
  real(kFirstDriverJointUpperLimitInput, b.GetFirstDriverJointUpperLimit());
  real(kFirstDriverJointLowerLimitInput, b.GetFirstDriverJointLowerLimit());
  whole(kFirstDriverJointStepsInput, b.GetFirstDriverJointSteps());
  real(kSecondDriverJointUpperLimitInput, b.GetSecondDriverJointUpperLimit());
  real(kSecondDriverJointLowerLimitInput, b.GetSecondDriverJointLowerLimit());
  // The one-fixed graph holds the second driver at one place.
  if (graph != TwoDriversOneFixed) whole(kSecondDriverJointStepsInput, b.GetSecondDriverJointSteps());
  switch (graph) {
    case RectangularTaperedY: real(kTaperLocationYAxisInput, b.GetTaperLocationYAxis()); break;
    case RectangularTaperedX: real(kTaperLocationXAxisInput, b.GetTaperLocationXAxis()); break;
    case TaperedOneSide:
      real(kTaperLocationAYInput, b.GetTaperLocationAY());
      real(kTaperLocationBXInput, b.GetTaperLocationBX());
      break;
    case BySketch: whole(kDriverGraphSketchInput, b.GetDriverGraphSketch()->ask_selected_tag()); break;
    case TwoDriversOneFixed: real(kFixedLocationPercentageInput, b.GetFixedLocationPercentage()); break;
    default: break;
  }
  return inputs;
}
}  // namespace

std::vector<std::string> TireEnvelopeBuilder::ComparedDriverInputs() {
  return {std::begin(kDriverInputNames), std::end(kDriverInputNames)};
}

int TireEnvelopeBuilder::SpindleFileRefusal() {
  struct Made {
    const char* method;  // as the listing names it
    const char* remake;  // what makes the motion's file again
  };
  Made made{};
  switch (m_motion) {
    case FromSpindleLines: made = {"From the spindle lines", "ProcessFromSpindleLines"}; break;
    case ExistingScenarioMotionModel: made = {"Select existing scenario model", "RunMotionArticulation"}; break;
    case SuspensionTemplate:
      made = {"Create motion from suspension template", "BuildMotionTemplate, RunMotionArticulation"};
      break;
    default: return 0;  // the spindle file's own motion reads the file named
  }
  const char* named = GetSpindleFileName();
  if (named[0] == '\0' || std::strcmp(named, GetMotionFile()) != 0) return 0;
  try {
    ERROR_raise(kSource, 1105, Messages::kMotionFileMissing,
                "The tire envelope's motion is \"%s\" (Motion %d), which makes its own motion file, but its motion "
                "file is the spindle file \"%s\" named by SpindleFileName. Set Motion to ExistingSpindleFile (0) to "
                "sweep the envelope along that file, or make the motion again (%s), then commit.",
                made.method, static_cast<int>(m_motion), named, made.remake);
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 1105);
  }
}

void TireEnvelopeBuilder::RecordTracedMotion() {
  static std::uint64_t traces = 0;
  TracedMotion traced{GetMotionFile(), DriverInputsOf(*this), ++traces};
  BuilderTable<TracedMotion>::Get()[this] = std::move(traced);
}

int TireEnvelopeBuilder::TracedMotionRefusal() {
  // Only the motions a run traces; a motion file the builder did not trace
  // or read back (one a script named) is taken as it is.
  if (m_motion != SuspensionTemplate && m_motion != ExistingScenarioMotionModel) return 0;
  auto* table = BuilderTable<TracedMotion>::Existing();
  if (table == nullptr) return 0;
  const auto found = table->find(this);
  if (found == table->end() || found->second.file != GetMotionFile()) return 0;
  const std::vector<TracedInput>& traced = found->second.inputs;
  const std::vector<TracedInput> held = DriverInputsOf(*this);
  std::size_t i = 0;
  while (i < traced.size() && i < held.size() && traced[i].name == held[i].name && traced[i].exact == held[i].exact)
    ++i;
  if (i == traced.size() && i == held.size()) return 0;
  // The first input that differs (one the other side has none of: its graph
  // or template differs before it).
  const TracedInput none{"", "none", "none"};
  const TracedInput& was = i < traced.size() ? traced[i] : none;
  const TracedInput& now = i < held.size() ? held[i] : none;
  const std::string& name = was.name.empty() ? now.name : was.name;
  try {
    ERROR_raise(kSource, 1070, Messages::kMotionTracedWithOtherInputs,
                "The motion was traced with other driver inputs than the tire envelope would hold: %s was %s in the "
                "run and is %s now. Run the motion again (RunMotionArticulation), then commit.",
                name.c_str(), was.shown.c_str(), now.shown.c_str());
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 1070);
  }
}

namespace {
// Steps beyond what a driver path may hold, of the two drivers and of a
// five-link axle's shock driver alike, whichever the run will use.
int DriverStepsRefusal(int graph, int first, int second, int shock) {
  if (const int refused = vdja_tireenv_motion_check_driver_steps(graph, first, second); refused != 0) return refused;
  return vdja_tireenv_motion_check_fla_steps(shock);
}

// A count of steps below 1 where the articulation takes one: the two
// drivers' (the second's not on the graph that holds it fixed), or a
// five-link axle's shock driver's. The paths would take it as 1 and trace
// other positions than the ones asked for. The motions read from files take
// none, and keep the 0 a new builder has.
int DriverStepsBelowOne(int motion, bool fiveLink, int graph, int first, int second, int shock) {
  if (motion != SuspensionTemplate && motion != ExistingScenarioMotionModel) return 0;
  if (fiveLink) return shock < 1 ? Messages::kTooFewDriverSteps : 0;
  if (graph < RectangularJounceRebound || graph > TwoDriversOneFixed) return 0;
  if (first < 1 || (graph != TwoDriversOneFixed && second < 1)) return Messages::kTooFewDriverSteps;
  return 0;
}
}  // namespace

const char* TireEnvelopeBuilder::GetJointsDisplacementFile() const {
  auto it = JointsFiles().find(this);
  return it != JointsFiles().end() ? it->second.c_str() : "";
}

int TireEnvelopeBuilder::RunMotionArticulation() {
  bool articulating = false;
  try {
    const int motion = m_motion, graph = m_driverGraph;
    // Methods that read the motion from files have nothing to articulate.
    if (motion != SuspensionTemplate && motion != ExistingScenarioMotionModel) return 0;
    // Refused as validation refuses them, before any path is made.
    if (const int refused = DriverStepsRefusal(graph, m_firstDriverJointSteps, m_secondDriverJointSteps,
                                               m_shockDriverJointSteps);
        refused != 0)
      RaiseMessage(945, refused);
    Tire_s* area = WorkArea();
    vdja_tireenv_motion_record_t* record = MotionRecordOf(area);
    int type = 0;
    double origin[3], matrix[9];
    GetVehicleCsys(&type, origin, matrix);
    bool fiveLinkScenario = false;
    QF_VD_is_fla_template(&fiveLinkScenario);
    const bool fiveLink = motion == ExistingScenarioMotionModel ? fiveLinkScenario
                                                                : m_suspensionTemplate == FiveLinkSolidAxlewithoutSteering;
    if (const int refused = DriverStepsBelowOne(motion, fiveLink, graph, m_firstDriverJointSteps,
                                                m_secondDriverJointSteps, m_shockDriverJointSteps);
        refused != 0) {
      // The user is told which driver, and the count it was given: the
      // number's text alone names none of the three.
      const bool first = !fiveLink && m_firstDriverJointSteps < 1;
      ERROR_raise(kSource, 950, refused, "%s: the %s driver's is %d", ERROR_decode(refused),
                  fiveLink ? "shock" : first ? "first" : "second",
                  fiveLink ? m_shockDriverJointSteps : first ? m_firstDriverJointSteps : m_secondDriverJointSteps);
    }
    if (motion == ExistingScenarioMotionModel && !fiveLinkScenario) SetSuspensionTemplate(MacPhersonStrut);
    const int templateType = m_suspensionTemplate;
    // Each graph takes the percentage the feature records for it.
    const double taper = graph == RectangularTaperedX    ? m_taperLocationXAxis
                         : graph == TwoDriversOneFixed ? m_fixedLocationPercentage
                                                       : m_taperLocationYAxis;
    const tag_t sketch = graph == BySketch ? m_driverGraphSketch->ask_selected_tag() : 0;

    char spindleFile[kMotionFileNameSize], jointsFile[kMotionFileNameSize];
    if (const int code = vdja_tireenv_motion_file_names(spindleFile, jointsFile); code != 0) RaiseMessage(964, code);

    tag_t spindle = 0;
    if (motion == ExistingScenarioMotionModel) {
      spindle = m_tracedSpindleLine->ask_selected_tag();
    } else {
      char name[133] = "";
      if (templateType == FiveLinkSolidAxlewithoutSteering) QF_VD_FLA_SUSP_ask_nth_name(21, name);
      else if (templateType == MacPhersonStrut) QF_VD_MAC_SUSP_ask_nth_name(32, name);
      else QF_VD_SLA_SUSP_ask_nth_name(32, name);
      unsigned int found = 0;
      VD_OBJ_cycle_by_name(name, &found);
      spindle = found;
    }
    if (spindle == 0 && (motion != ExistingScenarioMotionModel || fiveLink)) RaiseMessage(978, kNoSpindleObject);

    if (!fiveLink) {
      if (GetJointTagHandleLength() < 2) RaiseMessage(981, kDriveJointsMissing);
      const tag_t first = OM::TAG_find_by_handle(GetJointTagHandle(0));
      const tag_t second = OM::TAG_find_by_handle(GetJointTagHandle(1));
      articulating = true;
      vdja_tireenv_motion_run_articulation(origin, matrix, spindleFile, spindle, first, second, graph, m_xtoY,
                                           m_firstDriverJointUpperLimit, m_firstDriverJointLowerLimit,
                                           m_firstDriverJointSteps, m_secondDriverJointUpperLimit,
                                           m_secondDriverJointLowerLimit, m_secondDriverJointSteps, taper,
                                           m_taperLocationAY, m_taperLocationBX, sketch, record);
    } else {
      record->mode = 1;
      std::fill(std::begin(record->limits), std::end(record->limits), 0.0);
      record->jounceDistance = m_jounceDistance;
      record->reboundDistance = m_reboundDistance;
      const int steps = m_shockDriverJointSteps;
      const double roll = Stamvik::ExpressionValue(m_rollAngle);
      const int source = motion == SuspensionTemplate ? 1 : 0;
      tag_t joints[4] = {0, 0, 0, 0};
      if (source == 0) {
        // An opened five-link axle without its four joints cannot roll.
        if (GetFLADrvJointHandleLength() < 4) RaiseMessage(1000, kDriveJointsMissing);
        for (int i = 0; i < 4; ++i) joints[i] = OM::TAG_find_by_handle(GetFLADrvJointHandle(i));
      }
      double leftFull = 0, leftFirst = 0, rightFull = 0, rightFirst = 0, swept = 0, fixed = 0;
      articulating = true;
      vdja_tireenv_motion_run_fla_articulation(origin, matrix, spindleFile, jointsFile, spindle, steps, source, joints,
                                               &leftFull, &leftFirst, &rightFull, &rightFirst, record,
                                               &area->fiveLink);
      if (vdja_tireenv_motion_run_single_driver_articulation(origin, matrix, spindleFile, jointsFile, spindle, 1,
                                                             steps, roll, rightFull, rightFirst, source, joints,
                                                             &swept, &fixed, &area->fiveLink, record) == 0)
        vdja_tireenv_motion_run_single_driver_articulation(origin, matrix, spindleFile, jointsFile, spindle, 2, steps,
                                                           roll, leftFull, leftFirst, source, joints, &swept, &fixed,
                                                           &area->fiveLink, record);
      vdja_tireenv_motion_set_motion_drivers(source, joints, &area->fiveLink);
      JointsFiles()[this] = jointsFile;
    }
    SetMotionFile(spindleFile);
    RecordTracedMotion();

    if (!m_saveScenario && m_scenarioTag != 0) {
      int count = 0;
      char** names = nullptr;
      KMC_file_locate_scenarios(&count, &names);
      if (count == 0) {
        QF_VD_MOTION_remove_scenario_folder(m_scenarioTag);
        SetScenarioTag(0);
      }
      VD_free_string_array(count, names);
    }
    TIREENV_exit_scenario_reset_master(CONTEXT_ask_root_part(), m_masterPartTag);
    return 0;
  } catch (const std::exception& e) {
    const int code = Error::HandleAsBuilder(e, kSource, 1031);
    // A run that failed once it moved the drivers leaves no motion the
    // drivers describe: the one traced before is not theirs any more, and a
    // commit is refused until a run goes through.
    if (articulating) {
      ForgetTracedMotion(this);
      Stamvik::RunNoted("the motion file let go", [this] { SetMotionFile(nullptr); });
    }
    return code;
  }
}

// ---- validation and offsets ------------------------------------------------------

int TireEnvelopeBuilder::validate_nothrow() {
  try {
    if (int rc = Stamvik::CheckInputs(this); rc != 0) return rc;
    return Validate();
  } catch (const Error::Exception& e) {
    return e.askCode();
  }
}

int TireEnvelopeBuilder::Validate() {
  if (const int refused = DriverStepsRefusal(m_driverGraph, m_firstDriverJointSteps, m_secondDriverJointSteps,
                                             m_shockDriverJointSteps);
      refused != 0)
    return refused;
  if (const int refused = DriverStepsBelowOne(m_motion, m_suspensionTemplate == FiveLinkSolidAxlewithoutSteering,
                                              m_driverGraph, m_firstDriverJointSteps, m_secondDriverJointSteps,
                                              m_shockDriverJointSteps);
      refused != 0)
    return refused;
  // 25 inches in either unit system.
  const double f = PART_ask_units(CONTEXT_ask_work_part()) == 1 ? 1.0 : 25.4;
  const double t = 1e-10;
  for (int layer : {m_sectionLayer, m_sheetBodyLayer, m_profileSplineLayer, m_spindleLinesLayer})
    if (layer < 1 || layer > 256) return Messages::kLayerOutOfRange;
  if (WorkArea()->profilePointCount == 0) return Messages::kNoProfilePoints;
  const bool mirror = m_tireDefinition == SolidBody || m_mirrorProfile;
  if (const int refused = SectionRefusal(*WorkArea(), mirror, Stamvik::ExpressionValue(m_distanceTolerance));
      refused != 0)
    return refused;
  if (SectionCrossesItself(*WorkArea(), mirror)) return Messages::kProfileSectionCrosses;
  if (CFI_ask_file_exist(GetMotionFile()) != 0) return Messages::kMotionFileMissing;
  // The file the commit sweeps the envelope along.
  if (!HoldsASpindleLine(m_motion == ExistingSpindleFile ? GetSpindleFileName() : GetMotionFile()))
    return Messages::kNoSpindleLineInMotion;
  const double shift = Stamvik::ExpressionValue(m_wheelCenterlineShift);
  if (shift < -25 * f - t || shift > 25 * f + t) return Messages::kCenterlineShiftOutOfRange;
  if (m_tireDefinition != SolidBody) {
    const double rim = Stamvik::ExpressionValue(m_wheelRimDiameter);
    if (rim < -t || rim > 25 * f + t) return Messages::kRimDiameterOutOfRange;
  }
  const double s = Stamvik::ExpressionValue(m_radialStartAngle), e = Stamvik::ExpressionValue(m_radialEndAngle);
  // The whole degrees' remainder, taken on the real: an angle of any size (or
  // none) is checked without converting it to an integer.
  if (std::fmod(std::trunc(s), 15.0) != 0) return Messages::kStartAngleNotMultipleOf15;
  if (std::fmod(std::trunc(e), 15.0) != 0) return Messages::kEndAngleNotMultipleOf15;
  if (!(s < e)) return Messages::kStartAngleNotBelowEnd;
  if (std::fabs(e - s) > 360.0000000001) return Messages::kAngleSpanOver360;
  if (s < -90.0000000001) return Messages::kStartAngleBelowMinus90;
  if (e > 360.0000000001) return Messages::kEndAngleAbove360;
  if (Stamvik::ExpressionValue(m_distanceTolerance) < t) return Messages::kTireDistanceToleranceNotPositive;
  if (Stamvik::ExpressionValue(m_trimRadius) < t) return Messages::kTrimRadiusNotPositive;
  if (!m_applyOffset) return 0;
  // An offset no envelope can be grown by is refused before the modeller is
  // asked, its words naming it (the number alone names none of them).
  const EnvelopeOffsetReach most = EnvelopeOffsetReachOfWorkPart();
  const auto reach = [&](const auto& check) {
    try {
      check();
      return 0;
    } catch (const std::exception& error) {
      return Error::HandleAsBuilder(error, kSource, 1492);
    }
  };
  const auto sections = [&](const char* where, const double* angles, const int* counts,
                            const double (*offsets)[Tire_s::kMaxOffsets], int count) {
    return reach([&] {
      for (int i = 0; i < std::clamp(count, 0, Tire_s::kMaxSections); ++i)
        for (int j = 0; j < std::clamp(counts[i], 0, Tire_s::kMaxOffsets); ++j) {
          char what[400];
          std::snprintf(what, sizeof what, "value %d of the section at %g degrees%s", j, angles[i], where);
          CheckEnvelopeOffset(most, what, offsets[i][j]);
        }
    });
  };
  const Tire_s& area = *WorkArea();
  switch (m_envelopeOffset) {
    case FixedSections:
      if (const int refused = reach([&] {
            const std::pair<const char*, EXP_expression*> six[] = {
                {"FrontOffsetValue", m_frontOffsetValue},     {"UpOffsetValue", m_upOffsetValue},
                {"RearOffsetValue", m_rearOffsetValue},       {"DownOffsetValue", m_downOffsetValue},
                {"InboardOffsetValue", m_inboardOffsetValue}, {"OutboardOffsetValue", m_outboardOffsetValue}};
            for (const auto& [name, value] : six) CheckEnvelopeOffset(most, name, Stamvik::ExpressionValue(value));
          });
          refused != 0)
        return refused;
      InitializeEnvelopeOffset();
      [[fallthrough]];
    case CustomerDefinedData:
      if (m_envelopeOffset == CustomerDefinedData)
        if (const int refused = sections(" (SetOffsetValues)", area.sectionAngles, area.sectionOffsetCounts,
                                         area.sectionOffsets, area.sectionCount);
            refused != 0)
          return refused;
      if (!TIREENV_check_angle_in_offset_angles(WorkArea(), s) || !TIREENV_check_angle_in_offset_angles(WorkArea(), e))
        return Messages::kAngleNotAmongOffsetSections;
      return 0;
    default: {
      const char* file = GetOffsetFileName();
      // Editing, a file that is gone leaves the feature's sections, read back.
      if (CFI_ask_file_exist(file) != 0)
        return get_frec() == nullptr ? Messages::kOffsetFileMissing
                                     : sections(" the feature holds", area.sectionAngles, area.sectionOffsetCounts,
                                                area.sectionOffsets, area.sectionCount);
      // Read only to see that it can be read: the commit reads it again.
      struct Scratch {
        int sections = 0, offsets = 0;
        double angles[Tire_s::kMaxSections] = {};
        int counts[Tire_s::kMaxSections] = {};
        double first[Tire_s::kMaxSections][Tire_s::kMaxOffsets] = {};
        double second[Tire_s::kMaxSections][Tire_s::kMaxOffsets] = {};
      };
      auto scratch = std::make_unique<Scratch>();
      if (const int status = FileReadStatus(readoffsetvalues(file, &scratch->sections, &scratch->offsets,
                                                             scratch->angles, scratch->counts, scratch->first,
                                                             scratch->second));
          status != 0)
        return status;
      // The commit grows the tire by the table it takes as the sections' own.
      const std::string where = std::string(" in the offset file \"") + file + "\"";
      return sections(where.c_str(), scratch->angles, scratch->counts, scratch->second, scratch->sections);
    }
  }
}

int TireEnvelopeBuilder::TireBodyRefusal() {
  // The tire body is the section its profile turns, placed at the motion's
  // first spindle line: the block the tire body is made of holds these.
  const Tire_s& area = *WorkArea();
  if (area.profilePointCount == 0) return Messages::kNoProfilePoints;
  const bool mirror = m_tireDefinition == SolidBody || m_mirrorProfile;
  if (const int refused = SectionRefusal(area, mirror, Stamvik::ExpressionValue(m_distanceTolerance));
      refused != 0)
    return refused;
  if (SectionCrossesItself(area, mirror)) return Messages::kProfileSectionCrosses;
  const char* motion = m_motion == ExistingSpindleFile ? GetSpindleFileName() : GetMotionFile();
  if (CFI_ask_file_exist(motion) != 0) return Messages::kMotionFileMissing;
  if (!HoldsASpindleLine(motion)) return Messages::kNoSpindleLineInMotion;
  return 0;
}

void TireEnvelopeBuilder::InitializeEnvelopeOffset() {
  Tire_s* area = WorkArea();
  const double angles[4] = {0, 90, 180, 270};
  EXP_expression* const across[4] = {m_frontOffsetValue, m_upOffsetValue, m_rearOffsetValue, m_downOffsetValue};
  area->sectionCount = 4;
  for (int i = 0; i < area->sectionCount; ++i) {
    area->sectionAngles[i] = angles[i];
    area->sectionOffsetCounts[i] = 3;
    area->sectionOffsets[i][0] = Stamvik::ExpressionValue(m_inboardOffsetValue);
    area->sectionOffsets[i][1] = Stamvik::ExpressionValue(across[i]);
    area->sectionOffsets[i][2] = Stamvik::ExpressionValue(m_outboardOffsetValue);
  }
}

namespace {
// Where each template's hard point of that index lies in its record.
constexpr std::size_t kMacpherson[] = {0, 48, 96, 144, 168, 216, 264, 312, 360, 408, 576, 456, 504, 552, 600};
constexpr std::size_t kSLArm[] = {0, 48, 96, 144, 192, 240, 288, 336, 384, 432, 480, 528, 576, 720, 600, 648, 696, 744};
constexpr std::size_t kFiveLink[] = {0, 48, 96, 144, 192, 240, 288, 336, 384, 432, 456, 312, 360};
}  // namespace

void TireEnvelopeBuilder::CarryTemplateOptions() {
  Tire_s* area = WorkArea();
  const std::uint8_t bar = m_useStabilizerBar ? 1 : 0;
  const std::uint8_t inner = m_innerJointAsymmetric ? 0 : 1, bushing = m_bushingJointAsymmetric ? 0 : 1;
  area->macpherson.useStabilizerBar = area->slArm.useStabilizerBar = bar;
  area->macpherson.symmetricInnerJoint = area->slArm.symmetricInnerJoint = inner;
  area->macpherson.symmetricBushing = area->slArm.symmetricBushing = bushing;
  // The five-link axle's two: its track bar's inner joint and its bumpers.
  area->fiveLink.symmetricTrackBarInner = inner;
  area->fiveLink.symmetricBumper = bushing;
}

int TireEnvelopeBuilder::UpdateTemplatePoint(JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType type, int index,
                                             Math::Point3 point) {
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

// ---- the feature ----------------------------------------------------------------

namespace {

void Extract(FEATURE_RECORD* frec, int count, const tag_t* tags) { VD_create_extractions(frec, count, tags); }

}  // namespace

void WriteBlockLayers(const TireEnvelopeBuilder& builder, Tireenv_params_s* block) {
  block->fixedTwo = 2;
  block->wireframeLayer = PMAN_ask_int("VD_TE_WIREFRAME_LAYER");
  WriteFields(builder, kSectionLayerField, kSpindleLinesLayerField, block);
  block->wheelCsysLayer = PMAN_ask_int("VD_TE_WHEEL_CSYS_LAYER");
  block->templateGeometryLayer = PMAN_ask_int("VD_TE_TEMPLATE_GEOMETRY_LAYER");
}

void WriteBlockProfilePoints(Tire_s* area, Tireenv_params_s* block) {
  TIREENV_put_tire_points_in_order(area);
  const int points = std::clamp(area->profilePointCount, 0, Tireenv_params_s::kMaxProfilePoints);
  block->profilePointCount = points;
  for (int i = 0; i < points; ++i) {
    block->profilePoints[i][0] = area->profilePoints[i][0];
    block->profilePoints[i][1] = area->profilePoints[i][1];
  }
}

int WriteBlockOffsets(TireEnvelopeBuilder& builder, Tireenv_params_s* block, BlockWriter& w) {
  if (!builder.GetApplyOffset()) return 0;
  Tire_s* area = builder.WorkArea();
  const int method = builder.GetEnvelopeOffset();
  block->customerOffsets = method == CustomerDefinedData ? 1 : 0;
  block->offsetsFromFile = method != FixedSections && method != CustomerDefinedData ? 1 : 0;
  const auto copySections = [&](bool both) {
    const int sections = std::clamp(area->sectionCount, 0, Tireenv_params_s::kMaxSections);
    block->sectionCount = sections;
    for (int i = 0; i < sections; ++i) {
      block->sectionOffsetCounts[i] = std::clamp(area->sectionOffsetCounts[i], 0, Tireenv_params_s::kMaxOffsets);
      block->sectionAngles[i] = area->sectionAngles[i];
      std::memcpy(block->sectionOffsets[i], area->sectionOffsets[i], sizeof block->sectionOffsets[i]);
      if (both) std::memcpy(block->secondOffsets[i], area->fileOffsets[i], sizeof block->secondOffsets[i]);
    }
  };
  if (block->offsetsFromFile != 0) {
    const char* file = builder.GetOffsetFileName();
    if (CFI_ask_file_exist(file) == 0) {
      int setting = 0, sections = 0;
      // A file that cannot be read makes no feature.
      if (const int status = FileReadStatus(readoffsetvalues(file, &sections, &setting, block->sectionAngles,
                                                             block->sectionOffsetCounts, block->secondOffsets,
                                                             block->sectionOffsets));
          status != 0)
        return status;
      block->offsetFileSetting = setting;
      block->sectionCount = sections;
    } else {
      block->offsetFileSetting = area->featureOffsetData;
      copySections(true);
    }
    w.Text(block->offsetFileName, file);
  } else {
    if (method == FixedSections) builder.InitializeEnvelopeOffset();
    copySections(false);
  }
  return 0;
}

void TireEnvelopeBuilder::WriteBlockTire(Tireenv_params_s* block, BlockWriter& w, FEATURE_RECORD* own) {
  WriteField(*this, kTireDefinitionField, block);
  switch (m_tireDefinition) {
    case SolidBody: {
      w.List(m_tireDefinitionBody, &block->tireBodyCount, &block->tireBodies);
      // No body selected: the handle stays empty.
      w.Handle(block->tireBodyHandle, block->tireBodyCount > 0 ? block->tireBodies[0] : 0);
      Extract(own, block->tireBodyCount, block->tireBodies);
      break;
    }
    case ProfileCurves:
      w.List(m_tireDefinitionProfile, &block->profileCurveCount, &block->profileCurves);
      Extract(own, block->profileCurveCount, block->profileCurves);
      break;
    case SketchfromOtherPart: {
      w.Text(block->sketchPartName, GetSketchPartName());
      w.Text(block->sketchName, GetSketchName());
      const int count = GetProfileCurveLength();
      block->profileCurveCount = count;
      if (count > 0) {
        block->profileCurves = static_cast<tag_t*>(SM_alloc(sizeof(tag_t) * static_cast<std::size_t>(count)));
        for (int i = 0; i < count; ++i) block->profileCurves[i] = GetProfileCurve(i);
      }
      Extract(own, count, block->profileCurves);
      break;
    }
    case ProfilePointFile:
      w.Text(block->profilePointFile, GetProfilePointFile());
      w.Text(block->profileName, GetProfileName());
      break;
    default: break;
  }
  WriteField(*this, kWheelCenterlineShiftField, block);
  if (m_tireDefinition > SolidBody) {
    WriteField(*this, kWheelRimDiameterField, block);
    WriteField(*this, kMirrorProfileField, block);
  } else {
    block->wheelCsys = m_wheelCsys;
    block->wheelRimDiameter = nullptr;
    block->mirrorProfile = 1;
  }
  WriteFields(*this, kRimDiameterOptionField, kRimDiameterField, block);
}

void TireEnvelopeBuilder::WriteBlockTemplate(Tireenv_params_s* block, BlockWriter& w, FEATURE_RECORD* own) {
  CarryTemplateOptions();
  Tire_s* area = WorkArea();
  const auto copyPoints = [&](const void* record, const std::size_t* places, std::size_t count) {
    const auto* bytes = static_cast<const unsigned char*>(record);
    for (std::size_t i = 0; i < count && i < Tireenv_params_s::kMaxHardPoints; ++i)
      std::memcpy(block->hardPoints[i], bytes + places[i], sizeof block->hardPoints[i]);
  };
  const auto bars = [&] {
    w.List(m_leftStabilizerBar, &block->leftBarCount, &block->leftBars);
    w.List(m_rightStabilizerBar, &block->rightBarCount, &block->rightBars);
  };
  switch (m_suspensionTemplate) {
    case MacPhersonStrut: {
      // The record's own order: index 10 lies after 13.
      static constexpr std::size_t kStored[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 10, 14};
      std::size_t places[std::size(kStored)];
      for (std::size_t i = 0; i < std::size(kStored); ++i) places[i] = kMacpherson[kStored[i]];
      copyPoints(&area->macpherson, places, std::size(places));
      const auto& m = area->macpherson;
      block->templateFlags[0] = m.useStabilizerBar != 0, block->templateFlags[1] = m.symmetricInnerJoint != 0;
      block->templateFlags[2] = m.symmetricBushing != 0;
      if (m_useStabilizerBar) {
        bars();
        Extract(own, block->leftBarCount, block->leftBars);
        Extract(own, block->rightBarCount, block->rightBars);
      }
      break;
    }
    case ShortLongArmwithSteering:
    case ShortLongArmwithoutSteering: {
      copyPoints(&area->slArm, kSLArm, std::size(kSLArm));
      const auto& a = area->slArm;
      block->templateFlags[0] = a.useStabilizerBar != 0, block->templateFlags[1] = a.symmetricInnerJoint != 0;
      block->templateFlags[2] = a.symmetricBushing != 0;
      if (m_useStabilizerBar) bars();
      break;
    }
    case FiveLinkSolidAxlewithoutSteering:
      copyPoints(&area->fiveLink, kFiveLink, std::size(kFiveLink));
      block->templateFlags[0] = area->fiveLink.symmetricTrackBarInner != 0;
      block->templateFlags[1] = area->fiveLink.symmetricBumper != 0;
      break;
    default: break;
  }
}

void TireEnvelopeBuilder::WriteBlockMotion(Tireenv_params_s* block, BlockWriter& w, FEATURE_RECORD* own) {
  const vdja_tireenv_motion_record_t* motionRecord = MotionRecordOf(WorkArea());
  WriteFields(*this, kMotionField, kSaveScenarioField, block);
  if (m_motion == ExistingSpindleFile) {
    WriteField(*this, kSpindleFileLocationField, block);
    w.Text(block->motionFile, GetSpindleFileName());
  } else {
    w.Text(block->motionFile, GetMotionFile());
    if (m_motion == FromSpindleLines) {
      block->designSpindle = m_designPositionSpindle->ask_selected_tag();
      Extract(own, 1, &block->designSpindle);
      block->spindleEndPoint = m_spindleEndPoint;
      w.List(m_spindleLines, &block->spindleLineCount, &block->spindleLines);
      Extract(own, block->spindleLineCount, block->spindleLines);
    } else if (m_motion == ExistingScenarioMotionModel) {
      w.Text(block->scenarioName, GetScenarioName());
      if (const tag_t traced = m_tracedSpindleLine->ask_selected_tag(); traced != 0)
        w.Handle(block->spindleLineHandle, traced);
      else
        w.Text(block->spindleLineHandle, GetSpindleLineHandle());
      w.Text(block->steeringJointName, GetSteeringJointName());
      w.Text(block->jounceJointName, GetJouceJointName());
      WriteField(*this, kSuspensionTemplateField, block);
    } else {
      w.Text(block->scenarioName, GetScenarioName());
      WriteField(*this, kSuspensionTemplateField, block);
      w.Text(block->suspensionTemplateFileName, GetSuspensionTemplateFileName());
      WriteBlockTemplate(block, w, own);
    }
    if (m_motion >= ExistingScenarioMotionModel) {
      std::memcpy(block->spindleLine, motionRecord->spindleLine, sizeof block->spindleLine);
      const int n = motionRecord->pointCount;
      if (TakeCommittedPath(this, own, block)) {
        // Another builder's commit since this one's stands.
      } else if (n > 0 && m_suspensionTemplate == FiveLinkSolidAxlewithoutSteering) {
        // The lines of the file this builder's run wrote, never another's.
        BlockWriter::Lines(GetJointsDisplacementFile(), &block->jointLineCount, &block->jointLines);
      } else if (n > 0) {
        block->driverPointCount = n;
        block->driverPoints = static_cast<double*>(SM_alloc(sizeof(double) * 2 * static_cast<std::size_t>(n)));
        for (int i = 0; i < n; ++i) {
          block->driverPoints[2 * i] = motionRecord->xValues[i];
          block->driverPoints[2 * i + 1] = motionRecord->yValues[m_driverGraph == TwoDriversOneFixed ? 0 : i];
        }
      }
    }
  }
  BlockWriter::Lines(block->motionFile, &block->motionLineCount, &block->motionLines);

  WriteFields(*this, kRollAngleField, kTaperLocationBXField, block);
  if (m_motion > FromSpindleLines) {
    w.Text(block->steeringJointName, GetSteeringJointName());
    w.Text(block->jounceJointName, GetJouceJointName());
    if (m_suspensionTemplate != FiveLinkSolidAxlewithoutSteering) {
      if (m_driverGraph == RectangularTaperedX) WriteField(*this, kTaperLocationXAxisField, block);
      if (m_driverGraph == TwoDriversOneFixed) WriteField(*this, kFixedLocationPercentageField, block);
      if (m_driverGraph == BySketch) w.Handle(block->sketchHandle, m_driverGraphSketch->ask_selected_tag());
    }
  }
}

void TireEnvelopeBuilder::WriteBlockClearance(Tireenv_params_s* block, BlockWriter& w) {
  WriteField(*this, kClearanceValueField, block);
  if (!m_runClearanceAnalysis) return;
  if (m_tireDefinition == SolidBody && IsSolidBodyFromComponentPart()) {
    block->useTireBodyFile = 0;
  } else {
    block->useTireBodyFile = 1;
    w.Text(block->tireBodyFile, GetTireBodyOutputFileName());
  }
  if (m_movingCompInstTag != 0)
    if (const tag_t occurrence = VD_ASSEM_ask_part_occ_of_inst(0, m_movingCompInstTag); occurrence != 0)
      w.Handle(block->movingComponentHandle, occurrence);
  w.Handles(m_clearanceAnalysisBodies, &block->clearanceBodyCount, &block->clearanceBodies);
  w.Handles(m_clearanceAnalysisComponents, &block->clearanceComponentCount, &block->clearanceComponents);
  const int count = GetCompOffsetLength();
  block->compOffsetCount = count;
  if (count > 0) {
    block->compOffsets = static_cast<double*>(SM_alloc(sizeof(double) * static_cast<std::size_t>(count)));
    for (int i = 0; i < count; ++i) block->compOffsets[i] = GetCompOffset(i);
  }
}

namespace {

// The host's answer to a feature it could not make because the modeller
// could not unite the tire's positions into one solid: the library's own
// number, shown to the user (a smaller or broken envelope is never taken).
// A tire grown by an offset is named so: the offset may be what no union holds.
int EnvelopeStatus(int status, const Tireenv_params_s& block) {
  if (status != ZV_ERROR_geometry) return status;
  // The tire is grown by the largest offset its sections count, none below 0.
  double grown = 0;
  const int sections = block.applyOffset != 0 ? std::clamp(block.sectionCount, 0, Tireenv_params_s::kMaxSections) : 0;
  for (int i = 0; i < sections; ++i)
    for (int j = 0; j < std::clamp(block.sectionOffsetCounts[i], 0, Tireenv_params_s::kMaxOffsets); ++j)
      grown = std::max(grown, block.sectionOffsets[i][j]);
  try {
    if (grown > 0)
      ERROR_raise(kSource, 1425, Messages::kEnvelopeNotWhole,
                  "The tire envelope could not be made: the tire, grown by its largest offset %s, at every position "
                  "of the motion does not unite into one closed solid. A smaller offset, fewer steps or another "
                  "motion may.",
                  ShownValue(grown).c_str());
    ERROR_raise(kSource, 1425, Messages::kEnvelopeNotWhole,
                "The tire envelope could not be made: the tire at every position of the motion does not unite into "
                "one closed solid. Fewer steps or another motion may.");
  } catch (const std::exception& e) {
    return Error::HandleAsBuilder(e, kSource, 1425);
  }
}

}  // namespace

namespace {
// An edit's block refers to the feature's own expressions, each given the
// value of the builder's copy (read back) that the block was filled with;
// one the feature lacks (a rim diameter it had none of) is a new copy,
// the feature's from then on. The builder's stay the builder's.
void GiveFeatureItsOwnExpressions(FEATURE_RECORD* feature, tag_t part, Tireenv_params_s* block) {
  struct BlockFree {
    void operator()(Tireenv_params_s* held) const { TireEnvelope_FreeApplData(&held); }
  };
  const std::unique_ptr<Tireenv_params_s, BlockFree> kept(TireEnvelope_ReadParms(feature));
  for (EXP_expression* Tireenv_params_s::*slot :
       {&Tireenv_params_s::radialStartAngle, &Tireenv_params_s::radialEndAngle, &Tireenv_params_s::wheelRimDiameter,
        &Tireenv_params_s::wheelCenterlineShift, &Tireenv_params_s::distanceTolerance,
        &Tireenv_params_s::trimRadius}) {
    EXP_expression* const value = block->*slot;
    if (value == nullptr) continue;
    EXP_expression* own = kept != nullptr ? kept.get()->*slot : nullptr;
    if (own == nullptr) {
      block->*slot = Stamvik::CopyOfExpression(value, kSource, 1590);
      continue;
    }
    // A value not set through the builder since it read the feature is the
    // feature's as it is now: another builder may have committed it meanwhile.
    Stamvik::WriteCopyIntoPart(part, own, value);
    block->*slot = own;
  }
}
}  // namespace

int TireEnvelopeBuilder::commit_feature(FEATURE_RECORD** frec) {
  // In its turn with the other builders alive on the feature (CommitPath.hpp).
  return Stamvik::CommitInTurn(this, [&]() -> int {
    // The envelope is swept along the motion file: one the motion did not make,
    // or traced with other driver inputs than the feature would record, is no
    // envelope of them.
    if (const int refused = SpindleFileRefusal(); refused != 0) return refused;
    if (const int refused = TracedMotionRefusal(); refused != 0) return refused;
    // Everything the commit writes is under one mark: a refusal or a failure
    // at any step leaves the part as it was, not half the edit.
    const int mark = SetMark(nullptr, kMarkFailure, 1622);
    // What the commit writes counts as read only when it goes through.
    Stamvik::CommitNotes notes;
    FEATURE_RECORD* made = frec != nullptr ? *frec : nullptr;
    int status = 0;
    try {
      status = WriteFeature(&made);
    } catch (...) {
      UNDO_QD_undo_to_mark_no_status(mark, nullptr);
      UNDO_QD_delete_to_mark(mark, nullptr);
      throw;
    }
    if (status != 0) UNDO_QD_undo_to_mark_no_status(mark, nullptr);
    UNDO_QD_delete_to_mark(mark, nullptr);
    if (status == 0 && frec != nullptr) *frec = made;
    if (status == 0) {
      notes.Keep();
      if (const TracedMotion* traced = TracedMotionOf(this)) Stamvik::NoteOwnWritten(this, traced->number);
    }
    return status;
  });
}

void TireEnvelopeBuilder::TakeFeatureValues(FEATURE_RECORD* feature) {
  // Each value the commit writes as a number, not set through the builder
  // since it read the feature, is the feature's as it is now: another
  // builder may have committed it meanwhile.
  struct BlockFree {
    void operator()(Tireenv_params_s* held) const { TireEnvelope_FreeApplData(&held); }
  };
  const std::unique_ptr<Tireenv_params_s, BlockFree> now(TireEnvelope_ReadParms(feature));
  if (now == nullptr) return;
  for (int id = 0; id < kEnvelopeFieldCount; ++id) {
    const EnvelopeField& row = FieldRow(static_cast<EnvelopeFieldId>(id));
    if (row.kind != FieldKind::Expression || row.slot == SlotType::Expression || (row.passes & kWritten) == 0)
      continue;
    const EXP_expression* mine = row.expression(*this);
    if (mine == nullptr || Stamvik::ChangedSinceRead(mine)) continue;
    const unsigned char* field = reinterpret_cast<const unsigned char*>(now.get()) + row.offset;
    double feature = 0;
    if (row.slot == SlotType::Real) {
      std::memcpy(&feature, field, sizeof feature);
    } else if (row.slot == SlotType::Int32) {
      std::int32_t number = 0;
      std::memcpy(&number, field, sizeof number);
      feature = number;
    } else {
      feature = *field;
    }
    // The same value keeps the builder's expression as it is.
    if (feature != row.number(*this)) ReadField(*this, row.id, *now);
  }
}

int TireEnvelopeBuilder::WriteFeature(FEATURE_RECORD** frec) {
  Tireenv_params_s* block = nullptr;
  TireEnvelope_AllocApplData(&block, frec != nullptr ? *frec : nullptr);
  // The block goes, and the view is fitted, on every way out.
  struct Finish {
    Tireenv_params_s*& block;
    ~Finish() {
      TireEnvelope_FreeApplData(&block);
      Stamvik::RunNoted("VD_VIEW_fit_view", [] { VD_VIEW_fit_view(1.0); });
    }
  } finish{block};
  BlockWriter w(block);
  Tire_s* area = WorkArea();
  FEATURE_RECORD* own = get_frec();
  if (own != nullptr && TireEnvelope_Is(own) != 0) TakeFeatureValues(own);
  // What the commit writes counts as read once it goes through.
  for (int id = 0; id < kEnvelopeFieldCount; ++id)
    if (const EnvelopeField& row = FieldRow(static_cast<EnvelopeFieldId>(id)); row.kind == FieldKind::Expression)
      Stamvik::NoteWrittenText(row.expression(*this));

  block->tireBody = 0;
  block->fixedOne = 1;
  int csysType = 0;
  GetVehicleCsys(&csysType, block->origin, block->matrix);
  WriteFields(*this, kCreateTireEnvelopeFeatureField, kRunClearanceAnalysisField, block);

  const int notes = GetNumSessionNotes();
  block->sessionNoteCount = notes;
  block->sessionNotes = static_cast<char**>(SM_alloc(sizeof(char*) * static_cast<std::size_t>(std::max(notes, 1))));
  for (int i = 0; i < notes; ++i) {
    TEXT_s* text = TEXT_create_string(GetNthValueInSessionNotes(i).utf8_str());
    block->sessionNotes[i] = SM_string_copy(TEXT_to_locale(text));
    TEXT_free(text);
  }

  WriteField(*this, kDisplayInputField, block);
  WriteBlockLayers(*this, block);

  WriteField(*this, kAddMasterComponentPartField, block);
  if (m_addMasterComponentPart) w.Text(block->masterPartName, GetMasterPartName());

  WriteBlockTire(block, w, own);
  WriteBlockProfilePoints(area, block);
  WriteBlockMotion(block, w, own);

  WriteFields(*this, kEnvelopeConcavityField, kOutboardOffsetField, block);
  if (const int status = WriteBlockOffsets(*this, block, w); status != 0) return status;
  WriteBlockClearance(block, w);

  // A name that does not fit its field makes no feature.
  if (w.refused != 0) return w.refused;
  if (own != nullptr && TireEnvelope_Is(own) != 0) {
    // The feature's own expressions take the builder's values only here,
    // under the commit's mark: a step that fails takes them back.
    GiveFeatureItsOwnExpressions(own, OM::OM_ask_object_tag(ask_owning_part()), block);
    const int status = DIEENG_update_frec(own, block);
    if (status == 0) UPDATE_log_object_to_update(own);
    *frec = own;
    return EnvelopeStatus(status, *block);
  }
  FEATURE_RECORD* made = nullptr;
  const int status = EnvelopeStatus(DIEENG_create_frec(TireEnvelopeClassId, block, 0, &made), *block);
  if (status == 0) {
    SetTireEnvelopeBody(FREC_ask_body_eid_p(made));
    TireEnvelope_ChangeOutputAttributes(made, block);
#define STAMVIK_EXPRESSION_FIELD(Name, field, measure, settable) \
  std::pair<EXP_expression*, const OM::AttributeId*>{field, &field##AttId},
    Stamvik::GoOnWithCopies(this, {STAMVIK_TIRE_ENVELOPE_EXPRESSIONS(STAMVIK_EXPRESSION_FIELD)}, kSource, 1660);
#undef STAMVIK_EXPRESSION_FIELD
    // Kept open, the builder goes on with the feature it made: a second
    // commit updates it rather than making another.
    set_frec(made);
    *frec = made;
  }
  return status;
}

// ---- the feature read back ---------------------------------------------------------

EXP_expression* vdja_tireenv_new_expression(double value, int measure) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", value);
  return vdja_tireenv_new_expression(text, measure);
}

EXP_expression* vdja_tireenv_new_expression(const char* text, int measure) {
  EXP_expression* made = nullptr;
  if (const int code = EXP_create_sys_exp_with_units_all_errors(text, UNIT_ask_default_unit_obj_for_measure(measure),
                                                                &made);
      code != 0)
    ERROR_raise(kSource, 1478, code, "cannot make the expression %s", text);
  return made;
}

namespace {
// A field with no terminator within its size was never written (the
// commit leaves the fields of other methods as the block came): it is empty.
template <std::size_t N>
std::string TextOf(const char (&field)[N]) {
  const std::size_t length = strnlen(field, N);
  return length < N ? std::string(field, length) : std::string();
}
int Bounded(int count, int room) { return std::clamp(count, 0, room); }
}  // namespace

// Neither stored form keeps the driver locations: both read them from the
// customer defaults.
void TireEnvelopeBuilder::SetDriverLocationsFromDefaults() {
  const double percent = PMAN_ask_real("VD_TE_WHEEL_DRIVER_LOCATION_PERCENT");
  const double locationB = PMAN_ask_real("VD_TE_WHEEL_DRIVER_LOCATIONB");
  SetTaperLocationYAxis(percent);
  SetTaperLocationXAxis(percent);
  SetFixedLocationPercentage(percent);
  SetTaperLocationAY(locationB);
  SetTaperLocationBX(locationB);
}

void TireEnvelopeBuilder::ReadBlockTire(const Tireenv_params_s& b) {
  ReadField(*this, kTireDefinitionField, b);
  switch (b.tireDefinition) {
    case SolidBody: {
      m_tireDefinitionBody->clear();
      if (const tag_t body = VD_get_tag_handle_in_work_part(TextOf(b.tireBodyHandle).c_str()); body != 0)
        m_tireDefinitionBody->append(body);
      break;
    }
    case ProfileCurves:
      if (b.profileCurves != nullptr) m_tireDefinitionProfile->set_tags(std::max(b.profileCurveCount, 0), b.profileCurves);
      break;
    case SketchfromOtherPart: {
      SetSketchPartName(TextOf(b.sketchPartName).c_str());
      SetSketchName(TextOf(b.sketchName).c_str());
      TIREENV_load_part_fully(GetSketchPartName());
      const int count = b.profileCurves != nullptr ? std::max(b.profileCurveCount, 0) : 0;
      SetProfileCurveLength(0);
      for (int i = 0; i < count; ++i) SetProfileCurve(i, b.profileCurves[i]);
      break;
    }
    case ProfilePointFile:
      SetProfilePointFile(TextOf(b.profilePointFile).c_str());
      SetProfileName(TextOf(b.profileName).c_str());
      break;
    default: break;
  }
  ReadFields(*this, kWheelCenterlineShiftField, kRimDiameterOptionField, b);
  if (b.tireDefinition == SolidBody) {
    SetWheelCsys(b.wheelCsys);
    SetMirrorProfile(true);
    ReadField(*this, kRimDiameterField, b);
  } else {
    ReadField(*this, kWheelRimDiameterField, b);
    ReadField(*this, kMirrorProfileField, b);
  }
  Tire_s* area = WorkArea();
  const int points = Bounded(b.profilePointCount, Tire_s::kMaxProfilePoints);
  area->profilePointCount = points;
  for (int i = 0; i < points; ++i) {
    area->profilePoints[i][0] = b.profilePoints[i][0];
    area->profilePoints[i][1] = b.profilePoints[i][1];
    area->profilePoints[i][2] = 0;
  }
}

void TireEnvelopeBuilder::ReadBlockTemplate(const Tireenv_params_s& b) {
  Tire_s* area = WorkArea();
  const auto putPoints = [&](void* record, const std::size_t* places, std::size_t count) {
    auto* bytes = static_cast<unsigned char*>(record);
    for (std::size_t i = 0; i < count && i < Tireenv_params_s::kMaxHardPoints; ++i)
      std::memcpy(bytes + places[i], b.hardPoints[i], sizeof b.hardPoints[i]);
  };
  const auto flags = [&](std::uint8_t* use, std::uint8_t* inner, std::uint8_t* bushing) {
    if (use != nullptr) *use = b.templateFlags[0] == 1, SetUseStabilizerBar(b.templateFlags[0] == 1);
    *inner = b.templateFlags[use != nullptr ? 1 : 0] == 1;
    *bushing = b.templateFlags[use != nullptr ? 2 : 1] == 1;
    SetInnerJointAsymmetric(*inner == 0);
    SetBushingJointAsymmetric(*bushing == 0);
  };
  const auto bars = [&] {
    if (b.leftBars != nullptr) m_leftStabilizerBar->set_tags(std::max(b.leftBarCount, 0), b.leftBars);
    if (b.rightBars != nullptr) m_rightStabilizerBar->set_tags(std::max(b.rightBarCount, 0), b.rightBars);
  };
  switch (b.suspensionTemplate) {
    case MacPhersonStrut: {
      static constexpr std::size_t kStored[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 10, 14};
      std::size_t places[std::size(kStored)];
      for (std::size_t i = 0; i < std::size(kStored); ++i) places[i] = kMacpherson[kStored[i]];
      auto& m = area->macpherson;
      putPoints(&m, places, std::size(places));
      flags(&m.useStabilizerBar, &m.symmetricInnerJoint, &m.symmetricBushing);
      if (m.useStabilizerBar != 0) {
        bars();
        // The record keeps its own copies of the curves.
        const auto copy = [](const tag_t* tags, int count, tag_t** into, std::int32_t* counted) {
          SM_free(*into);
          *into = nullptr;
          *counted = tags != nullptr ? std::max(count, 0) : 0;
          if (*counted == 0) return;
          *into = static_cast<tag_t*>(SM_alloc(sizeof(tag_t) * static_cast<std::size_t>(*counted)));
          std::memcpy(*into, tags, sizeof(tag_t) * static_cast<std::size_t>(*counted));
        };
        copy(b.leftBars, b.leftBarCount, &m.leftStabilizerBar, &m.leftStabilizerBarCount);
        copy(b.rightBars, b.rightBarCount, &m.rightStabilizerBar, &m.rightStabilizerBarCount);
      }
      break;
    }
    case ShortLongArmwithSteering:
    case ShortLongArmwithoutSteering: {
      auto& a = area->slArm;
      putPoints(&a, kSLArm, std::size(kSLArm));
      flags(&a.useStabilizerBar, &a.symmetricInnerJoint, &a.symmetricBushing);
      if (a.useStabilizerBar != 0) bars();
      break;
    }
    case FiveLinkSolidAxlewithoutSteering: {
      auto& f = area->fiveLink;
      putPoints(&f, kFiveLink, std::size(kFiveLink));
      flags(nullptr, &f.symmetricTrackBarInner, &f.symmetricBumper);
      break;
    }
    default: break;
  }
}

void TireEnvelopeBuilder::ReadBlockMotion(const Tireenv_params_s& b) {
  ReadFields(*this, kMotionField, kSaveScenarioField, b);
  // The stored lines become a file again; its name is the motion file.
  const auto writeBack = [&] {
    char name[Tireenv_params_s::kText];
    std::memcpy(name, b.motionFile, sizeof name);
    name[sizeof name - 1] = '\0';
    const int lines = b.motionLines != nullptr ? std::max(b.motionLineCount, 0) : 0;
    if (TIREENV_write_strings_into_data_file(lines, b.motionLines, name) == 0) return std::string(name);
    return TextOf(b.motionFile);
  };
  if (b.motion != ExistingSpindleFile) {
    SetMotionFile(writeBack().c_str());
    if (b.motion == FromSpindleLines) {
      m_designPositionSpindle->set_selected_tag(b.designSpindle);
      SetSpindleEndPoint(b.spindleEndPoint);
      if (b.spindleLines != nullptr) m_spindleLines->set_tags(std::max(b.spindleLineCount, 0), b.spindleLines);
    } else if (b.motion == ExistingScenarioMotionModel) {
      SetSpindleLineHandle(TextOf(b.spindleLineHandle).c_str());
      SetScenarioName(TextOf(b.scenarioName).c_str());
      SetSteeringJointName(TextOf(b.steeringJointName).c_str());
      SetJouceJointName(TextOf(b.jounceJointName).c_str());
      ReadField(*this, kSuspensionTemplateField, b);
    } else {
      SetScenarioName(TextOf(b.scenarioName).c_str());
      ReadField(*this, kSuspensionTemplateField, b);
      SetSuspensionTemplateFileName(TextOf(b.suspensionTemplateFileName).c_str());
      ReadBlockTemplate(b);
    }
    if (b.motion >= ExistingScenarioMotionModel) {
      vdja_tireenv_motion_record_t* record = MotionRecordOf(WorkArea());
      std::memcpy(record->spindleLine, b.spindleLine, sizeof record->spindleLine);
      SetSpindleLineEndPoint(b.spindleLine + 3, b.spindleLine);
    }
  } else {
    // Only the manager keeps a spindle file in the vault.
    if (RTENV_ask_qdmanager_active()) ReadField(*this, kSpindleFileLocationField, b);
    else SetSpindleFileLocation(InNative);
    const std::string name = TextOf(b.motionFile);
    SetSpindleFileName(name.c_str());
    if (m_spindleFileLocation == InVaultra) {
      SetSpindleFileNameVre(name.c_str());
      SetMotionFile(writeBack().c_str());
    } else {
      SetSpindleFileNameNative(name.c_str());
      SetMotionFile(name.c_str());
    }
  }
}

void TireEnvelopeBuilder::ReadBlockDrivers(const Tireenv_params_s& b) {
  ReadFields(*this, kRollAngleField, kSecondStepsField, b);
  SetDriverLocationsFromDefaults();
  if (b.motion < ExistingScenarioMotionModel) return;
  SetSteeringJointName(TextOf(b.steeringJointName).c_str());
  SetJouceJointName(TextOf(b.jounceJointName).c_str());
  if (b.suspensionTemplate == FiveLinkSolidAxlewithoutSteering) return;
  switch (b.driverGraph) {
    case RectangularTaperedY: ReadField(*this, kTaperLocationYAxisField, b); break;
    case RectangularTaperedX: ReadField(*this, kTaperLocationXAxisField, b); break;
    case TaperedOneSide:
      ReadField(*this, kTaperLocationAYField, b);
      ReadField(*this, kTaperLocationBXField, b);
      break;
    case TwoDriversOneFixed: ReadField(*this, kFixedLocationPercentageField, b); break;
    case BySketch:
      m_driverGraphSketch->set_selected_tag(OM::TAG_find_by_handle(TextOf(b.sketchHandle).c_str()));
      break;
    default: break;
  }
}

void TireEnvelopeBuilder::ReadBlockOffsets(const Tireenv_params_s& b) {
  ReadFields(*this, kEnvelopeConcavityField, kApplyOffsetField, b);
  for (const EnvelopeFieldId offset : kOffsetsAsRead) ReadField(*this, offset, b);
  if (b.applyOffset == 0) return;
  Tire_s* area = WorkArea();
  const bool fromFile = b.offsetsFromFile == 1;
  SetEnvelopeOffsetMethod(
      this, fromFile ? FromOffsetFile : b.customerOffsets == 1 ? CustomerDefinedData : FixedSections);
  const int sections = Bounded(b.sectionCount, Tire_s::kMaxSections);
  area->sectionCount = sections;
  for (int i = 0; i < sections; ++i) {
    area->sectionOffsetCounts[i] = Bounded(b.sectionOffsetCounts[i], Tire_s::kMaxOffsets);
    area->sectionAngles[i] = b.sectionAngles[i];
    std::memcpy(area->sectionOffsets[i], b.sectionOffsets[i], sizeof area->sectionOffsets[i]);
    if (fromFile) std::memcpy(area->fileOffsets[i], b.secondOffsets[i], sizeof area->fileOffsets[i]);
  }
  SetOffsetFileName(TextOf(b.offsetFileName).c_str());
  area->featureOffsetData = b.offsetFileSetting;
}

void TireEnvelopeBuilder::ReadBlockClearance(const Tireenv_params_s& b) {
  ReadField(*this, kClearanceValueField, b);
  if (b.runClearanceAnalysis == 0) return;

  if (!(b.tireDefinition == SolidBody && IsSolidBodyFromComponentPart()))
    SetTireBodyOutputFileName(TextOf(b.tireBodyFile).c_str());
  if (const tag_t occurrence = OM::TAG_find_by_handle(TextOf(b.movingComponentHandle).c_str()); occurrence == 0) {
    SetMovingCompInstTag(0);
    TIREENV_remove_tire_body_dataset(0);
  } else {
    SetMovingCompInstTag(OCC_ask_instance_of_part_occ(occurrence));
  }
  const auto select = [](TagListObject* list, char* const* handles, int count) {
    for (int i = 0; handles != nullptr && i < count; ++i)
      if (const tag_t found = VD_get_tag_handle_in_work_part(handles[i]); found != 0) list->append(found);
  };
  select(m_clearanceAnalysisBodies, b.clearanceBodies, b.clearanceBodyCount);
  select(m_clearanceAnalysisComponents, b.clearanceComponents, b.clearanceComponentCount);
  const int offsets = b.compOffsets != nullptr ? std::max(b.compOffsetCount, 0) : 0;
  SetCompOffsetLength(offsets);
  for (int i = 0; i < offsets; ++i) SetCompOffset(i, b.compOffsets[i]);
}

int TireEnvelopeBuilder::ConvertFrecToBuilderData(FEATURE_RECORD* frec) {
  if (TireEnvelope_Is(frec) <= 0) {
    ConvertRuleInstanceToBuilderData(frec);
    return 0;
  }
  // The block is the feature's own kind, freed by the feature's call, not SM_free.
  struct BlockFree {
    void operator()(Tireenv_params_s* block) const { TireEnvelope_FreeApplData(&block); }
  };
  const std::unique_ptr<Tireenv_params_s, BlockFree> held(TireEnvelope_ReadParms(frec));
  if (held == nullptr) return 0;
  const Tireenv_params_s& b = *held;
  WorkArea();

  ReadFields(*this, kCreateTireEnvelopeFeatureField, kRunClearanceAnalysisField, b);
  const int notes = b.sessionNotes != nullptr ? std::max(b.sessionNoteCount, 0) : 0;
  SetNumSessionNotes(0);
  for (int i = 0; i < notes; ++i) SetNthValueInSessionNotes(i, UString(b.sessionNotes[i]));
  ReadFields(*this, kDisplayInputField, kAddMasterComponentPartField, b);
  if (b.addMasterComponentPart == 1) {
    SetMasterPartName(TextOf(b.masterPartName).c_str());
    TIREENV_load_part_fully(GetMasterPartName());
  }
  ReadBlockTire(b);
  ReadBlockMotion(b);
  ReadBlockDrivers(b);
  ReadBlockOffsets(b);
  ReadBlockClearance(b);
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
