// The vehicle-design library's motion: a small kinematic model of drive
// joints that the articulation steps, and the traces that record where the
// spindle line goes at each recorded position.
#pragma once
#include <vector>

#include "feat/Builder.hpp"
#include "math/Point3.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Text.hpp"
#include "vd/VehicleDesign.hpp"

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
// first); 0 when there is none. Type 210 is what the motion leaves in the
// model: traces and traced lines that are still alive.
KTX_HOST_API tag_t ES_cycle_entities_by_type(PART_part* part, int type, tag_t cursor);

// The joint's translational positions at each recorded position of the last
// articulation (index 0 its start): component 1, 2 or 3 for x, y or z. A new
// array (SM_alloc) the caller frees. 0, or the no-entity status.
KTX_HOST_API int VD_MOTION_ask_trans_displacement_results(tag_t joint, int component, int frame, int* count,
                                                          double** values);
KTX_HOST_API int KMC_get_joint_origin(tag_t joint, Math::Point3* origin);
// The angle between two vectors in radians, 0 to pi (0 when either is zero).
KTX_HOST_API void h061(const double first[3], const double second[3], double* angle);
// A line's start and end: 0, or the no-entity status.
KTX_HOST_API int ES_ask_coordinates_of_line(tag_t line, double coordinates[6]);

// ---- motion scenarios of a part --------------------------------------------------
// A scenario belongs to the root part; the one made or opened last is the
// current one, whose drive joints the articulation moves.
KTX_HOST_API int QF_VD_MOTION_is_scenario_exist(const char* name, bool* exists);
// Create a scenario of that name from the structure built last and make it
// current: 0, or the answer "QF_VD_MOTION_create_scenario" (then nothing is
// made). The first is saved to a file, the second is not.
KTX_HOST_API int QF_VD_MOTION_create_scenario(const char* name, unsigned int* scenario);
KTX_HOST_API int QF_VD_MOTION_create_scenario_nosave(const char* name, unsigned int* scenario);
// The structure of a template family (recorded; the next creation takes it).
KTX_HOST_API int QF_VD_MAC_SUSP_build_structure(sMacpherson_Suspension* block);
KTX_HOST_API int QF_VD_SLA_SUSP_build_structure(sSLArm_Suspension* block);
KTX_HOST_API int QF_VD_FLA_SUSP_build_structure(sFiveLinkAxle_Suspension* block);
// The motion of the current scenario: its named drive joints and its spindle
// object (host README).
KTX_HOST_API int QF_VD_MAC_SUSP_build_motion(sMacpherson_Suspension* block);
KTX_HOST_API int QF_VD_SLA_SUSP_build_motion(sSLArm_Suspension* block);
KTX_HOST_API int QF_VD_FLA_SUSP_build_motion(sFiveLinkAxle_Suspension* block);
// The template's object names by number ("MAC_<n>", "SLA_<n>", "FLA_<n>"), 133 bytes.
KTX_HOST_API int QF_VD_MAC_SUSP_ask_nth_name(int n, char name[133]);
KTX_HOST_API int QF_VD_SLA_SUSP_ask_nth_name(int n, char name[133]);
KTX_HOST_API int QF_VD_FLA_SUSP_ask_nth_name(int n, char name[133]);
// Whether the current scenario is a five-link axle: 0, or -1 when the answer
// "QF_VD_is_fla_template" is -1.
KTX_HOST_API int QF_VD_is_fla_template(bool* isFiveLink);
// An object of the current scenario by name (0 when none), and an object's name (133 bytes).
KTX_HOST_API int VD_OBJ_cycle_by_name(const char* name, unsigned int* tag);
KTX_HOST_API int VD_OBJ_ask_name(tag_t object, char name[133]);
// Frees an array of texts and the texts.
KTX_HOST_API void VD_free_string_array(int count, char** names);
KTX_HOST_API int KMC_enter_scenario(bool* entered);
// The saved scenarios of the root part: names in a new array (VD_free_string_array).
KTX_HOST_API int KMC_file_locate_scenarios(int* count, char*** names);
// Opens a scenario of the root part and makes it current: 0, or kNoScenario.
KTX_HOST_API int KMC_file_open_scenario(PART_part* rootPart, const char* name, unsigned int* scenario);
KTX_HOST_API int KMC_file_call_functions_at_scn_load_time();
KTX_HOST_API void KMC_set_mech_initialized(bool initialized);
// Deletes a scenario of the root part: 0, or kNoScenario.
KTX_HOST_API int SFMOD__delete_scenario(PART_part* rootPart, const char* name);
// Removes an unsaved scenario's folder: the scenario is gone.
KTX_HOST_API int QF_VD_MOTION_remove_scenario_folder(tag_t scenario);
// The file type a new scenario gets: the answer "PART__ask_new_scenario_file_type" (default 190).
KTX_HOST_API int PART__ask_new_scenario_file_type();
// The data-management check of a file: *value the answer "QDMGR_check_file_existence" (default 0).
KTX_HOST_API int QDMGR_check_file_existence(const char* fileName, int* value);

// ---- part saves ------------------------------------------------------------------
// A save's failures: the part and the code of each (SM_alloc arrays).
struct PART_save_failure_s {
  int count;
  PART_part** parts;
  int* codes;
};
// Saves report the failures scripted for the next save (VD::ScriptSaveFailures,
// at most `maxFailures`); 0.
KTX_HOST_API int PART_save(PART_part* part, PART_save_failure_s* failures, int maxFailures);
KTX_HOST_API int PART_save_no_components(PART_part* part, PART_save_failure_s* failures);
// The host's processing of a failure list: the answer "PART_process_save_failures" (default 0).
KTX_HOST_API int PART_process_save_failures(const PART_save_failure_s* failures, PART_part* part);
KTX_HOST_API void PART_free_save_failures(PART_save_failure_s* failures);
// The part's file name: a new text (SM_free), its name with ".prt".
KTX_HOST_API char* PART_ask_filename_of_part(PART_part* part);
KTX_HOST_API void PART_set_displayed_part(PART_part* part);
// Whether the part is itself a motion part: the answer "PART_is_motion_part".
KTX_HOST_API bool PART_is_motion_part(PART_part* part);
KTX_HOST_API bool UPDATE_is_list_empty();
KTX_HOST_API bool UPDATE_is_delete_list_empty();
KTX_HOST_API void VD_update_do_update();

namespace JAM {
// The host's "Motion.MotionSession" scripting interface; the stand-in
// provides operation 7, which counts its calls (VD::MotionSessionCalls).
class KTX_HOST_API MotionSession_Interface : public IJAInterface {
 public:
  virtual unsigned int GetInterfaceId() = 0;
  // Places 1 to 6, which nobody calls, answer kNotProvided.
  virtual int Operation1() { return kNotProvided; }
  virtual int Operation2() { return kNotProvided; }
  virtual int Operation3() { return kNotProvided; }
  virtual int Operation4() { return kNotProvided; }
  virtual int Operation5() { return kNotProvided; }
  virtual int Operation6() { return kNotProvided; }
  virtual int SessionScenarioChanged() = 0;  // 7

 protected:
  MotionSession_Interface() = default;
  ~MotionSession_Interface() = default;
};
}  // namespace JAM

// Status of the stand-in's motion-scenario library.
inline constexpr int kNoScenario = 841101;  // no scenario of that name in the root part

namespace VD {
// Test hooks. A drive joint (a point entity in the work part at its origin)
// of the current scenario: kind 0 turns the traced objects about the vehicle
// Z axis (through the joint's origin) by its displacement in degrees, kind 1
// lifts them along Z; the five-link kinds roll them about the vehicle X axis
// (through the origin) by 0.05 degree a unit of displacement: 2 left shock
// (+, and lifts by half its displacement), 3 right shock (-, lifts by half),
// 4 left bumper (+), 5 right bumper (-). Its name is "" unless given.
KTX_HOST_API tag_t MakeJoint(int kind, const double origin[3], const char* name = nullptr);
// A scenario of the root part with joints of those kinds and names (origins
// at 0), made current; family 3 is a five-link axle. Its tag.
struct JointSpec {
  int kind;
  const char* name;
};
KTX_HOST_API tag_t AddScenario(const char* name, bool saved, int family, const std::vector<JointSpec>& joints);
KTX_HOST_API bool ScenarioExists(const char* name);
KTX_HOST_API bool ScenarioSaved(const char* name);
KTX_HOST_API tag_t CurrentScenario();
// Gives the object a name in the current scenario.
KTX_HOST_API void NameObject(tag_t object, const char* name);
// Gives the object a name in a part: VD_OBJ_cycle_by_name finds it while
// that part is displayed.
KTX_HOST_API void NameObjectInPart(tag_t object, PART_part* part, const char* name);
// The failures the next save reports: (part, code) pairs.
KTX_HOST_API void ScriptSaveFailures(const std::vector<std::pair<PART_part*, int>>& failures);
KTX_HOST_API PART_part* DisplayedPart();
KTX_HOST_API int MotionSessionCalls();
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
