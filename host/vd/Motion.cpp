#include "vd/Motion.hpp"

#include <cmath>
#include <map>
#include <numbers>
#include <string>
#include <vector>

#include "geom/Curve.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX {
namespace {

struct Joint {
  int kind;
  double origin[3];
  double displacement = 0;
  double step = 0;
  int driver = 0;
  std::string name;
};

struct Model {
  std::map<tag_t, Joint> joints;
  std::map<tag_t, std::vector<double>> traces;  // trace: six numbers a recorded position
  std::map<tag_t, tag_t> tracedObjects;
  std::map<std::pair<tag_t, int>, std::vector<double>> scripted;  // VD::SetTracedLine
  std::vector<std::vector<VD::StepRecord>> steps;
  QF_MOTION_solver_parameters_s solver{0, 1e-6, 50};
  int toolsOpen = 0, articulationsOpen = 0, stepsThisArticulation = 0;
};
Model& model() {
  static auto* m = new Model;
  return *m;
}

bool alive(tag_t tag) { return OM::OM_object_of_tag(tag) != nullptr; }

// Where the traced object's line lies with the joints as they are now.
std::vector<double> PositionOf(tag_t object) {
  double p[2][3];
  if (VD_ask_curve_end_points(object, p[0], p[1]) != 0) return std::vector<double>(6, 0.0);
  for (const auto& [tag, joint] : model().joints) {
    if (joint.kind == 1) {
      for (auto& q : p) q[2] += joint.displacement;
      continue;
    }
    const double a = joint.displacement * std::numbers::pi / 180, c = std::cos(a), s = std::sin(a);
    for (auto& q : p) {
      const double x = q[0] - joint.origin[0], y = q[1] - joint.origin[1];
      q[0] = joint.origin[0] + c * x - s * y;
      q[1] = joint.origin[1] + s * x + c * y;
    }
  }
  return {p[0][0], p[0][1], p[0][2], p[1][0], p[1][1], p[1][2]};
}

void RecordPositions(bool restart) {
  for (auto& [trace, positions] : model().traces) {
    if (!alive(trace)) continue;
    if (restart) positions.clear();
    const std::vector<double> at = PositionOf(model().tracedObjects[trace]);
    positions.insert(positions.end(), at.begin(), at.end());
  }
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
  *count = static_cast<int>(model().joints.size());
  *joints = *count > 0 ? static_cast<tag_t*>(SM_alloc(model().joints.size() * sizeof(tag_t))) : nullptr;
  int i = 0;
  for (const auto& entry : model().joints) (*joints)[i++] = entry.first;
  return 0;
}

void kmp_ipc_step(int direction, void*, int* status) {
  const int k = ++model().stepsThisArticulation;
  *status = Host::Answer("kmp_ipc_step.fail_at", 0) == k ? 1 : 0;
  if (*status != 0) return;
  std::vector<VD::StepRecord> taken;
  for (auto& [tag, joint] : model().joints) {
    joint.displacement += direction == 0 ? joint.step : -joint.step;
    taken.push_back({tag, joint.step});
  }
  model().steps.push_back(std::move(taken));
  RecordPositions(false);
}

int KMC_get_joint(tag_t joint, KMC_mech_joint_t* record) {
  Host::Log("KMC_get_joint", std::to_string(joint));
  auto it = model().joints.find(joint);
  if (it == model().joints.end()) return Geometry::kNoEntity;
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

tag_t ES_cycle_entities_by_type(PART_part*, int type, tag_t cursor) {
  Host::Log("ES_cycle_entities_by_type", std::to_string(type) + " " + std::to_string(cursor));
  return 0;
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
  if (at != nullptr) *line = ES_create_line_in_part(nullptr, at->data(), at->data() + 3);
  return 0;
}

namespace VD {
tag_t MakeJoint(int kind, const double origin[3], const char* name) {
  const tag_t joint = ES_create_point(origin);
  model().joints[joint] = Joint{kind, {origin[0], origin[1], origin[2]}, 0, 0, 0, name != nullptr ? name : ""};
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
}  // namespace VD

}  // namespace KTX
