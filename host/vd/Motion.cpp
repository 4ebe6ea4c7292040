#include "vd/Motion.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "assy/Assembly.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "math/Vector.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "upd/Update.hpp"
#include "vd/Suspension.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX {
namespace {

constexpr double kRollPerUnit = 0.05;  // degrees of roll a unit of five-link joint displacement

struct Joint {
  int kind;
  double origin[3];
  double displacement = 0;
  double step = 0;
  int driver = 0;
  std::string name;
  tag_t scenario = 0;
};

struct Scenario {
  std::string name;
  bool saved;
  tag_t tag;
  int family;  // 0 MacPherson, 1 short-long arm, 3 five-link, -1 unknown
};

struct Model {
  std::map<tag_t, Joint> joints;
  std::vector<tag_t> jointOrder;                // as made
  std::map<tag_t, std::vector<double>> traces;  // trace: six numbers a recorded position
  std::map<tag_t, tag_t> tracedObjects;
  std::map<std::pair<tag_t, int>, std::vector<double>> scripted;  // VD::SetTracedLine
  std::vector<std::vector<VD::StepRecord>> steps;
  std::vector<double> lifts;                    // the lift at each recorded position of the last articulation
  std::vector<tag_t> leftovers;                 // traces and traced lines: entity type 210
  QF_MOTION_solver_parameters_s solver{0, 1e-6, 50};
  int toolsOpen = 0, articulationsOpen = 0, stepsThisArticulation = 0;
  // Scenarios by root part; objects by name, each in its scenario.
  std::map<tag_t, std::vector<Scenario>> scenarios;
  std::map<tag_t, VD::Corner> corners;  // by scenario: the wheel corner its template built
  std::vector<std::pair<tag_t, std::pair<tag_t, std::string>>> named;  // object, (scenario, name)
  tag_t current = 0;
  tag_t nextScenario = 0x7A000001;
  int builtFamily = -1;
  std::vector<std::pair<PART_part*, int>> saveFailures;
  PART_part* displayed = nullptr;
  tag_t displayedTag = 0;  // what names in a part are looked up by
  int motionSessionCalls = 0;
};
Model& model() {
  static auto* m = new Model;
  return *m;
}

bool alive(tag_t tag) { return tag != 0 && OM::OM_object_of_tag(tag) != nullptr; }

// The drive joints of the current scenario that are still in the model, as made.
std::vector<tag_t> CurrentJoints() {
  std::vector<tag_t> out;
  for (tag_t tag : model().jointOrder)
    if (model().joints.at(tag).scenario == model().current && alive(tag)) out.push_back(tag);
  return out;
}

double RollOf(const Joint& joint) {
  switch (joint.kind) {
    case 2: case 4: return kRollPerUnit * joint.displacement;
    case 3: case 5: return -kRollPerUnit * joint.displacement;
    default: return 0;
  }
}
double LiftOf(const Joint& joint) {
  if (joint.kind == 1) return joint.displacement;
  if (joint.kind == 2 || joint.kind == 3) return joint.displacement / 2;
  return 0;
}

double CurrentLift() {
  double lift = 0;
  for (tag_t tag : CurrentJoints()) lift += LiftOf(model().joints.at(tag));
  return lift;
}

// Where the traced object's line lies with the joints as they are now.
std::vector<double> PositionOf(tag_t object) {
  double p[2][3];
  if (VD_ask_curve_end_points(object, p[0], p[1]) != 0) return std::vector<double>(6, 0.0);
  if (auto corner = model().corners.find(model().current); corner != model().corners.end()) {
    double rack = 0, jounce = 0;
    for (tag_t tag : CurrentJoints()) {
      const Joint& joint = model().joints.at(tag);
      if (joint.kind == 0) rack += joint.displacement;
      jounce += LiftOf(joint);
    }
    const VD::Placement knuckle = VD::KnucklePlacement(corner->second, rack, jounce);
    std::vector<double> out;
    for (const auto& q : p) {
      const VD::Vec3 at = knuckle.Apply({q[0], q[1], q[2]});
      out.insert(out.end(), {at.x, at.y, at.z});
    }
    return out;
  }
  for (tag_t tag : CurrentJoints()) {
    const Joint& joint = model().joints.at(tag);
    if (joint.kind == 0) {
      const double a = joint.displacement * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
      for (auto& q : p) {
        const double x = q[0] - joint.origin[0], y = q[1] - joint.origin[1];
        q[0] = joint.origin[0] + c * x - s * y;
        q[1] = joint.origin[1] + s * x + c * y;
      }
      continue;
    }
    const double lift = LiftOf(joint);
    for (auto& q : p) q[2] += lift;
    if (const double roll = RollOf(joint); roll != 0) {
      const double a = roll * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
      for (auto& q : p) {
        const double y = q[1] - joint.origin[1], z = q[2] - joint.origin[2];
        q[1] = joint.origin[1] + c * y - s * z;
        q[2] = joint.origin[2] + s * y + c * z;
      }
    }
  }
  return {p[0][0], p[0][1], p[0][2], p[1][0], p[1][1], p[1][2]};
}

// Whether the mechanism assembles with the joints where they stand: the
// corner a template built takes only the travel its arms reach, any joint
// only a finite displacement. A solver stepping to a position it cannot
// assemble fails the step.
bool Assembles() {
  double rack = 0, jounce = 0;
  for (tag_t tag : CurrentJoints()) {
    const Joint& joint = model().joints.at(tag);
    if (!std::isfinite(joint.displacement)) return false;
    if (joint.kind == 0) rack += joint.displacement;
    jounce += LiftOf(joint);
  }
  const auto corner = model().corners.find(model().current);
  return corner == model().corners.end() || VD::Reaches(corner->second, rack, jounce);
}

void RecordPositions(bool restart) {
  for (auto& [trace, positions] : model().traces) {
    if (!alive(trace)) continue;
    if (restart) positions.clear();
    const std::vector<double> at = PositionOf(model().tracedObjects[trace]);
    positions.insert(positions.end(), at.begin(), at.end());
  }
  if (restart) model().lifts.clear();
  model().lifts.push_back(CurrentLift());
}

tag_t RootTag() { return OM::OM_ask_object_tag(CONTEXT_ask_root_part()); }

std::vector<Scenario>& RootScenarios() { return model().scenarios[RootTag()]; }

Scenario* FindScenario(const char* name) {
  for (Scenario& s : RootScenarios())
    if (s.name == (name != nullptr ? name : "")) return &s;
  return nullptr;
}

void Forget(tag_t scenario) {
  for (auto& [root, list] : model().scenarios)
    std::erase_if(list, [&](const Scenario& s) { return s.tag == scenario; });
  if (model().current == scenario) model().current = 0;
}

int Create(const char* name, unsigned int* scenario, bool saved) {
  Host::Log(saved ? "QF_VD_MOTION_create_scenario" : "QF_VD_MOTION_create_scenario_nosave", name != nullptr ? name : "");
  if (const long long code = Host::Answer("QF_VD_MOTION_create_scenario", 0); code != 0) return static_cast<int>(code);
  const tag_t tag = model().nextScenario++;
  RootScenarios().push_back({name != nullptr ? name : "", saved, tag, model().builtFamily});
  model().current = tag;
  if (scenario != nullptr) *scenario = tag;
  return 0;
}

tag_t Joint_(int kind, const double origin[3], const char* name) { return VD::MakeJoint(kind, origin, name); }

// The spindle object of a template: its wheel centreline, named as the template asks for it.
void MakeSpindle(const VD_point_pair_s& centreline, const char* name) {
  const double a[3] = {centreline.point.x, centreline.point.y, centreline.point.z};
  const double b[3] = {centreline.second.x, centreline.second.y, centreline.second.z};
  VD::NameObject(ES_create_line_in_part(nullptr, a, b), name);
}

double* Xyz(VD_point_pair_s& pair) { return &pair.point.x; }
double* Xyz(VD_point_s& point) { return &point.x; }

int AskNthName(const char* prefix, int n, char name[133]) {
  std::snprintf(name, 133, "%s_%d", prefix, n);
  return 0;
}

}  // namespace

int VD_MOTION_initialize() {
  Host::Log("VD_MOTION_initialize");
  ++model().toolsOpen;
  return 0;
}
int VD_MOTION_terminate() {
  Host::Log("VD_MOTION_terminate");
  --model().toolsOpen;
  return 0;
}
int VD_MOTION_ask_solver_parameters(QF_MOTION_solver_parameters_s* parameters) {
  *parameters = model().solver;
  return 0;
}
int VD_MOTION_edit_solver_parameters(const QF_MOTION_solver_parameters_s* parameters) {
  Host::Log("VD_MOTION_edit_solver_parameters", std::to_string(parameters->first));
  model().solver = *parameters;
  return 0;
}

int VD_MOTION_create_trace(const QF_MOTION_trace_s* request, tag_t* trace) {
  Host::Log("VD_MOTION_create_trace", "object=" + std::to_string(request->object));
  for (auto it = model().traces.begin(); it != model().traces.end();)
    it = alive(it->first) ? std::next(it) : model().traces.erase(it);
  const double zero[3] = {0, 0, 0};
  *trace = ES_create_point(zero);
  model().leftovers.push_back(*trace);
  model().traces[*trace] = {};
  model().tracedObjects[*trace] = request->object;
  // A trace made within a running articulation starts from where it stands.
  if (model().articulationsOpen > 0) model().traces[*trace] = PositionOf(request->object);
  return 0;
}

int VD_MOTION_init_articulation() {
  Host::Log("VD_MOTION_init_articulation");
  if (const long long failure = Host::Answer("VD_MOTION_init_articulation", 0); failure != 0)
    return static_cast<int>(failure);
  ++model().articulationsOpen;
  model().stepsThisArticulation = 0;
  // Every articulation starts from the design position.
  for (tag_t tag : CurrentJoints()) model().joints.at(tag).displacement = 0;
  RecordPositions(true);
  return 0;
}

int VD_MOTION_terminate_articulation() {
  Host::Log("VD_MOTION_terminate_articulation");
  if (model().articulationsOpen > 0) --model().articulationsOpen;
  return static_cast<int>(Host::Answer("VD_MOTION_terminate_articulation", 0));
}

int VD_MOTION_edit_artic_step_size(tag_t joint, double step) {
  auto it = model().joints.find(joint);
  if (it == model().joints.end()) return Geometry::kNoEntity;
  it->second.step = step;
  return 0;
}

int QF_VD_MOTION_ask_articulation_drive_joints(int* count, tag_t** joints) {
  const std::vector<tag_t> drive = CurrentJoints();
  *count = static_cast<int>(drive.size());
  *joints = *count > 0 ? static_cast<tag_t*>(SM_alloc(drive.size() * sizeof(tag_t))) : nullptr;
  std::copy(drive.begin(), drive.end(), *joints);
  return 0;
}

void kmp_ipc_step(int direction, void*, int* status) {
  const int k = ++model().stepsThisArticulation;
  *status = Host::Answer("kmp_ipc_step.fail_at", 0) == k ? 1 : 0;
  if (*status != 0) return;
  std::vector<VD::StepRecord> taken;
  std::vector<std::pair<tag_t, double>> before;
  for (tag_t tag : CurrentJoints()) {
    Joint& joint = model().joints.at(tag);
    before.emplace_back(tag, joint.displacement);
    joint.displacement += direction == 0 ? joint.step : -joint.step;
    taken.push_back({tag, joint.step});
  }
  if (!Assembles()) {
    // The joints stay where the last step left them.
    for (const auto& [tag, displacement] : before) model().joints.at(tag).displacement = displacement;
    *status = 1;
    return;
  }
  model().steps.push_back(std::move(taken));
  RecordPositions(false);
}

int KMC_get_joint(tag_t joint, KMC_mech_joint_t* record) {
  Host::Log("KMC_get_joint", std::to_string(joint));
  auto it = model().joints.find(joint);
  if (it == model().joints.end() || !alive(joint)) return Geometry::kNoEntity;
  *record = KMC_mech_joint_t{TEXT_create_string(it->second.name.c_str()), it->second.kind};
  return 0;
}

void KMC_init_motion_driver_data(KMC_motion_driver_data_t* driver) { *driver = KMC_motion_driver_data_t{}; }

int KMC_set_motion_driver(tag_t joint, const KMC_motion_driver_data_t* driver) {
  Host::Log("KMC_set_motion_driver", std::to_string(joint) + " kind=" + std::to_string(driver->kind));
  auto it = model().joints.find(joint);
  if (it == model().joints.end()) return Geometry::kNoEntity;
  it->second.driver = driver->kind;
  return 0;
}

int KMC_get_joint_origin(tag_t joint, Math::Point3* origin) {
  auto it = model().joints.find(joint);
  if (it == model().joints.end() || !alive(joint)) return Geometry::kNoEntity;
  *origin = Math::Point3{it->second.origin[0], it->second.origin[1], it->second.origin[2]};
  return 0;
}

int VD_MOTION_ask_trans_displacement_results(tag_t joint, int component, int, int* count, double** values) {
  Host::Log("VD_MOTION_ask_trans_displacement_results", std::to_string(joint) + " " + std::to_string(component));
  *count = 0;
  *values = nullptr;
  auto it = model().joints.find(joint);
  if (it == model().joints.end() || component < 1 || component > 3) return Geometry::kNoEntity;
  const std::vector<double>& lifts = model().lifts;
  if (lifts.empty()) return 0;
  *count = static_cast<int>(lifts.size());
  *values = static_cast<double*>(SM_alloc(lifts.size() * sizeof(double)));
  for (std::size_t i = 0; i < lifts.size(); ++i)
    (*values)[i] = it->second.origin[component - 1] + (component == 3 ? lifts[i] : 0.0);
  return 0;
}

void h061(const double u[3], const double v[3], double* angle) {
  const double dot = u[0] * v[0] + u[1] * v[1] + u[2] * v[2];
  double c[3];
  Math::Cross(u, v, c);
  *angle = std::atan2(std::sqrt(c[0] * c[0] + c[1] * c[1] + c[2] * c[2]), dot);
}

int ES_ask_coordinates_of_line(tag_t line, double coordinates[6]) {
  return VD_ask_curve_end_points(line, coordinates, coordinates + 3);
}

tag_t ES_cycle_entities_by_type(PART_part*, int type, tag_t cursor) {
  Host::Log("ES_cycle_entities_by_type", std::to_string(type) + " " + std::to_string(cursor));
  if (type != 210) return 0;
  std::erase_if(model().leftovers, [](tag_t tag) { return !alive(tag); });
  const auto& left = model().leftovers;
  auto it = cursor == 0 ? left.begin() : std::find(left.begin(), left.end(), cursor);
  if (cursor != 0 && it != left.end()) ++it;
  return it != left.end() ? *it : 0;
}

int VD_MOTION_trace(tag_t trace, int index, unsigned int* line) {
  Host::Log("VD_MOTION_trace", "trace=" + std::to_string(trace) + " index=" + std::to_string(index));
  *line = 0;
  const std::vector<double>* at = nullptr;
  std::vector<double> one;
  if (auto it = model().traces.find(trace); it != model().traces.end() && alive(trace)) {
    if (index < 0 || static_cast<std::size_t>(index) * 6 + 6 > it->second.size()) return 0;
    one.assign(it->second.begin() + index * 6, it->second.begin() + index * 6 + 6);
    at = &one;
  } else if (auto s = model().scripted.find({trace, index}); s != model().scripted.end()) {
    at = &s->second;
  }
  if (at != nullptr) {
    *line = ES_create_line_in_part(nullptr, at->data(), at->data() + 3);
    model().leftovers.push_back(*line);
  }
  return 0;
}

// ---- scenarios --------------------------------------------------------------------

int QF_VD_MOTION_is_scenario_exist(const char* name, bool* exists) {
  Host::Log("QF_VD_MOTION_is_scenario_exist", name != nullptr ? name : "");
  *exists = FindScenario(name) != nullptr;
  return 0;
}
int QF_VD_MOTION_create_scenario(const char* name, unsigned int* scenario) { return Create(name, scenario, true); }
int QF_VD_MOTION_create_scenario_nosave(const char* name, unsigned int* scenario) {
  return Create(name, scenario, false);
}

int QF_VD_MAC_SUSP_build_structure(sMacpherson_Suspension*) {
  Host::Log("QF_VD_MAC_SUSP_build_structure");
  model().builtFamily = 0;
  return 0;
}
int QF_VD_SLA_SUSP_build_structure(sSLArm_Suspension* block) {
  Host::Log("QF_VD_SLA_SUSP_build_structure", block->withoutSteering != 0 ? "without steering" : "with steering");
  model().builtFamily = 1;
  return 0;
}
int QF_VD_FLA_SUSP_build_structure(sFiveLinkAxle_Suspension*) {
  Host::Log("QF_VD_FLA_SUSP_build_structure");
  model().builtFamily = 3;
  return 0;
}

int QF_VD_MAC_SUSP_build_motion(sMacpherson_Suspension* b) {
  Host::Log("QF_VD_MAC_SUSP_build_motion");
  Joint_(0, Xyz(b->tieRodInner), "J_RACK");
  Joint_(1, Xyz(b->strutCenter), "J_STRUTCENTER");
  MakeSpindle(b->wheelCenterline, "MAC_32");
  model().corners[model().current] = VD::CornerOf(*b);
  return 0;
}
int QF_VD_SLA_SUSP_build_motion(sSLArm_Suspension* b) {
  Host::Log("QF_VD_SLA_SUSP_build_motion");
  if (b->withoutSteering == 0) Joint_(0, Xyz(b->tieRodInner), "J_STEER");
  Joint_(1, Xyz(b->lowerBallJoint), "J_JAC_CENTER");
  Joint_(1, Xyz(b->lowerShockCenter), "J_SHK_CENTER");
  MakeSpindle(b->wheelCenterline, "SLA_32");
  model().corners[model().current] = VD::CornerOf(*b);
  return 0;
}
int QF_VD_FLA_SUSP_build_motion(sFiveLinkAxle_Suspension* b) {
  Host::Log("QF_VD_FLA_SUSP_build_motion");
  Joint_(2, Xyz(b->lowerShockCenter), "L_SHOCK");
  Joint_(3, Xyz(b->upperShockCenter), "R_SHOCK");
  Joint_(4, Xyz(b->lowerBumperCenter), "L_BUMPER");
  Joint_(5, Xyz(b->oppositeLowerBumper), "R_BUMPER");
  MakeSpindle(b->wheelCenterline, "FLA_21");
  return 0;
}

int QF_VD_MAC_SUSP_ask_nth_name(int n, char name[133]) { return AskNthName("MAC", n, name); }
int QF_VD_SLA_SUSP_ask_nth_name(int n, char name[133]) { return AskNthName("SLA", n, name); }
int QF_VD_FLA_SUSP_ask_nth_name(int n, char name[133]) { return AskNthName("FLA", n, name); }

int QF_VD_is_fla_template(bool* isFiveLink) {
  Host::Log("QF_VD_is_fla_template");
  if (Host::Answer("QF_VD_is_fla_template", 0) == -1) return -1;
  bool fiveLink = false;
  for (const auto& [root, list] : model().scenarios)
    for (const Scenario& s : list)
      if (s.tag == model().current) fiveLink = s.family == 3;
  *isFiveLink = fiveLink;
  return 0;
}

int VD_OBJ_cycle_by_name(const char* name, unsigned int* tag) {
  Host::Log("VD_OBJ_cycle_by_name", name != nullptr ? name : "");
  *tag = 0;
  for (const auto& [object, place] : model().named)
    if ((place.first == model().current ||
         (model().displayedTag != 0 && place.first == model().displayedTag)) &&
        place.second == (name != nullptr ? name : "") && alive(object))
      *tag = object;
  return 0;
}

int VD_OBJ_ask_name(tag_t object, char name[133]) {
  for (const auto& [named, place] : model().named)
    if (named == object) {
      std::snprintf(name, 133, "%s", place.second.c_str());
      return 0;
    }
  return Geometry::kNoEntity;
}

void VD_free_string_array(int count, char** names) {
  if (names == nullptr) return;
  for (int i = 0; i < count; ++i) SM_free(names[i]);
  SM_free(names);
}

int KMC_enter_scenario(bool* entered) {
  Host::Log("KMC_enter_scenario");
  if (entered != nullptr) *entered = true;
  return 0;
}

int KMC_file_locate_scenarios(int* count, char*** names) {
  Host::Log("KMC_file_locate_scenarios");
  std::vector<std::string> saved;
  for (const Scenario& s : RootScenarios())
    if (s.saved) saved.push_back(s.name);
  *count = static_cast<int>(saved.size());
  *names = saved.empty() ? nullptr : static_cast<char**>(SM_alloc(saved.size() * sizeof(char*)));
  for (std::size_t i = 0; i < saved.size(); ++i) (*names)[i] = SM_string_copy(saved[i].c_str());
  return 0;
}

int KMC_file_open_scenario(PART_part*, const char* name, unsigned int* scenario) {
  Host::Log("KMC_file_open_scenario", name != nullptr ? name : "");
  const Scenario* found = FindScenario(name);
  if (found == nullptr) return kNoScenario;
  model().current = found->tag;
  if (scenario != nullptr) *scenario = found->tag;
  return 0;
}

int KMC_file_call_functions_at_scn_load_time() {
  Host::Log("KMC_file_call_functions_at_scn_load_time");
  return 0;
}
void KMC_set_mech_initialized(bool initialized) { Host::Log("KMC_set_mech_initialized", initialized ? "true" : "false"); }

int SFMOD__delete_scenario(PART_part*, const char* name) {
  Host::Log("SFMOD__delete_scenario", name != nullptr ? name : "");
  const Scenario* found = FindScenario(name);
  if (found == nullptr) return kNoScenario;
  Forget(found->tag);
  return 0;
}

int QF_VD_MOTION_remove_scenario_folder(tag_t scenario) {
  Host::Log("QF_VD_MOTION_remove_scenario_folder", std::to_string(scenario));
  Forget(scenario);
  return 0;
}

int PART__ask_new_scenario_file_type() { return static_cast<int>(Host::Answer("PART__ask_new_scenario_file_type", 190)); }

int QDMGR_check_file_existence(const char* fileName, int* value) {
  Host::Log("QDMGR_check_file_existence", fileName != nullptr ? fileName : "");
  *value = static_cast<int>(Host::Answer("QDMGR_check_file_existence", 0));
  return 0;
}

// ---- part saves -------------------------------------------------------------------

namespace {
int Save(const char* call, PART_part* part, PART_save_failure_s* failures, int maxFailures) {
  Host::Log(call, Assy::NameOfPart(part));
  std::vector<std::pair<PART_part*, int>> scripted;
  scripted.swap(model().saveFailures);
  if (failures == nullptr) return 0;
  const int count = std::min(static_cast<int>(scripted.size()), std::max(maxFailures, 0));
  *failures = PART_save_failure_s{count, nullptr, nullptr};
  if (count == 0) return 0;
  failures->parts = static_cast<PART_part**>(SM_alloc(static_cast<std::size_t>(count) * sizeof(PART_part*)));
  failures->codes = static_cast<int*>(SM_alloc(static_cast<std::size_t>(count) * sizeof(int)));
  for (int i = 0; i < count; ++i) {
    failures->parts[i] = scripted[static_cast<std::size_t>(i)].first;
    failures->codes[i] = scripted[static_cast<std::size_t>(i)].second;
  }
  return 0;
}
}  // namespace

int PART_save(PART_part* part, PART_save_failure_s* failures, int maxFailures) {
  return Save("PART_save", part, failures, maxFailures);
}
int PART_save_no_components(PART_part* part, PART_save_failure_s* failures) {
  return Save("PART_save_no_components", part, failures, 50);
}
int PART_process_save_failures(const PART_save_failure_s*, PART_part*) {
  Host::Log("PART_process_save_failures");
  return static_cast<int>(Host::Answer("PART_process_save_failures", 0));
}
void PART_free_save_failures(PART_save_failure_s* failures) {
  if (failures == nullptr) return;
  SM_free(failures->parts);
  SM_free(failures->codes);
  *failures = PART_save_failure_s{0, nullptr, nullptr};
}
char* PART_ask_filename_of_part(PART_part* part) { return SM_string_copy((Assy::NameOfPart(part) + ".prt").c_str()); }
void PART_set_displayed_part(PART_part* part) {
  Host::Log("PART_set_displayed_part", Assy::NameOfPart(part));
  model().displayed = part;
  model().displayedTag = OM::OM_ask_object_tag(part);
}
bool PART_is_motion_part(PART_part*) { return Host::Answer("PART_is_motion_part", 0) != 0; }
bool UPDATE_is_list_empty() { return Host::LoggedForUpdate().empty(); }
bool UPDATE_is_delete_list_empty() { return Host::LoggedForDeletion().empty(); }
void VD_update_do_update() {
  Host::Log("VD_update_do_update");
  UPDATE_do_update();
}

// ---- "Motion.MotionSession" -------------------------------------------------------

namespace {
class MotionSession final : public JAM::MotionSession_Interface {
 public:
  unsigned int GetInterfaceId() override { return 0x40710A07U; }
  int SessionScenarioChanged() override {
    Host::Log("MotionSession.7");
    ++model().motionSessionCalls;
    return 0;
  }
};
MotionSession motionJournalled;
MotionSession motionUnjournalled;
JAM::ClassInitializer motionInitializer("Motion.MotionSession", &motionJournalled, &motionUnjournalled);
}  // namespace

namespace VD {
tag_t MakeJoint(int kind, const double origin[3], const char* name) {
  const tag_t joint = ES_create_point(origin);
  model().joints[joint] =
      Joint{kind, {origin[0], origin[1], origin[2]}, 0, 0, 0, name != nullptr ? name : "", model().current};
  model().jointOrder.push_back(joint);
  if (name != nullptr) NameObject(joint, name);
  return joint;
}
double JointDisplacement(tag_t joint) {
  auto it = model().joints.find(joint);
  return it != model().joints.end() ? it->second.displacement : 0;
}
int MotionDriverKind(tag_t joint) {
  auto it = model().joints.find(joint);
  return it != model().joints.end() ? it->second.driver : -1;
}
const std::vector<std::vector<StepRecord>>& StepsTaken() { return model().steps; }
int MotionToolsOpen() { return model().toolsOpen; }
int ArticulationsOpen() { return model().articulationsOpen; }
void ResetMotion() {
  model() = Model{};
}
void SetTracedLine(tag_t trace, int index, const double start[3], const double end[3]) {
  model().scripted[{trace, index}] = {start[0], start[1], start[2], end[0], end[1], end[2]};
}
void ClearTracedLines() { model().scripted.clear(); }
tag_t AddScenario(const char* name, bool saved, int family, const std::vector<JointSpec>& joints) {
  const tag_t tag = model().nextScenario++;
  RootScenarios().push_back({name != nullptr ? name : "", saved, tag, family});
  model().current = tag;
  const double origin[3] = {0, 0, 0};
  for (const JointSpec& joint : joints) MakeJoint(joint.kind, origin, joint.name);
  return tag;
}
bool ScenarioExists(const char* name) { return FindScenario(name) != nullptr; }
bool ScenarioSaved(const char* name) {
  const Scenario* found = FindScenario(name);
  return found != nullptr && found->saved;
}
tag_t CurrentScenario() { return model().current; }
void NameObjectInPart(tag_t object, PART_part* part, const char* name) {
  model().named.push_back({object, {OM::OM_ask_object_tag(part), name != nullptr ? name : ""}});
}
void NameObject(tag_t object, const char* name) {
  model().named.push_back({object, {model().current, name != nullptr ? name : ""}});
}
void ScriptSaveFailures(const std::vector<std::pair<PART_part*, int>>& failures) { model().saveFailures = failures; }
PART_part* DisplayedPart() { return model().displayed; }
int MotionSessionCalls() { return model().motionSessionCalls; }
}  // namespace VD

}  // namespace KTX
