// The vehicle-design library's motion: a small kinematic model of drive
// joints that the articulation steps, and the traces that record where the
// spindle line goes at each recorded position.
#pragma once
#include <vector>

#include "feat/Builder.hpp"
#include "sys/Text.hpp"

namespace KTX {

struct QF_MOTION_solver_parameters_s {
  int first;  // the runs set 1
  double tolerance;
  int iterations;
};
struct QF_MOTION_trace_s {
  tag_t object;  // what is traced
  int request;   // the runs pass 1
};

// A joint's motion driver; kind 0 is none.
struct KMC_motion_driver_data_t {
  int kind;
  double values[4];
};

// Motion tools: 0; calls are counted (VD::MotionToolsOpen).
KTX_HOST_API int VD_MOTION_initialize();
KTX_HOST_API int VD_MOTION_terminate();
KTX_HOST_API int VD_MOTION_ask_solver_parameters(QF_MOTION_solver_parameters_s* parameters);
KTX_HOST_API int VD_MOTION_edit_solver_parameters(const QF_MOTION_solver_parameters_s* parameters);
// A trace of the object: its position at the articulation's start is index 0,
// after step k index k. A trace tag that the update deletes when logged.
KTX_HOST_API int VD_MOTION_create_trace(const QF_MOTION_trace_s* request, tag_t* trace);
// Starts an articulation from the joints' present displacements: 0, or the
// answer "VD_MOTION_init_articulation" when not 0.
KTX_HOST_API int VD_MOTION_init_articulation();
// Ends it: the answer "VD_MOTION_terminate_articulation" (default 0).
KTX_HOST_API int VD_MOTION_terminate_articulation();
KTX_HOST_API int VD_MOTION_edit_artic_step_size(tag_t joint, double step);
// The model's drive joints: a new array (SM_alloc).
KTX_HOST_API int QF_VD_MOTION_ask_articulation_drive_joints(int* count, tag_t** joints);
// One articulation step: every joint's displacement moves by its step size
// (direction 0) or back by it (1), and every live trace records the traced
// object's position. *status: 0, or 1 at the step the answer
// "kmp_ipc_step.fail_at" names (1 is the first step of an articulation).
KTX_HOST_API void kmp_ipc_step(int direction, void* interfaceData, int* status);

// A joint's record; its name is a new text the caller frees with TEXT_free.
struct KMC_mech_joint_t {
  TEXT_s* name;
  int kind;
};
// The joint's record: 0, or the no-entity status (record untouched) for a
// tag that is no joint.
KTX_HOST_API int KMC_get_joint(tag_t joint, KMC_mech_joint_t* record);

// A driver of kind 0 and no values.
KTX_HOST_API void KMC_init_motion_driver_data(KMC_motion_driver_data_t* driver);
// Puts the driver on a drive joint: 0, or the no-entity status for a tag that
// is none.
KTX_HOST_API int KMC_set_motion_driver(tag_t joint, const KMC_motion_driver_data_t* driver);

// The next entity of the type in the part after the cursor (0: from the
// first); 0 when there is none. The stand-in's motion leaves no entity of
// type 210 behind, so the runs find none.
KTX_HOST_API tag_t ES_cycle_entities_by_type(PART_part* part, int type, tag_t cursor);

namespace VD {
// Test hooks. A drive joint (a point entity in the work part at its origin):
// kind 0 turns the traced objects about the vehicle Z axis (through the
// joint's origin) by its displacement in degrees, kind 1 lifts them along Z.
// Its name is "" unless given.
KTX_HOST_API tag_t MakeJoint(int kind, const double origin[3], const char* name = nullptr);
KTX_HOST_API double JointDisplacement(tag_t joint);
// The kind of the driver on the joint (0: none; -1: no such joint).
KTX_HOST_API int MotionDriverKind(tag_t joint);
// Every step's step sizes, in order: (joint, step) pairs per step.
struct StepRecord {
  tag_t joint;
  double step;
};
KTX_HOST_API const std::vector<std::vector<StepRecord>>& StepsTaken();
// Open motion tools, open articulations and live traces.
KTX_HOST_API int MotionToolsOpen();
KTX_HOST_API int ArticulationsOpen();
KTX_HOST_API void ResetMotion();
}  // namespace VD

}  // namespace KTX
