// Driver paths of the tire-envelope motion runs: the series of positions
// through which the two driver joints (or the five-link axle's shock and
// bumper joints) are moved while the spindle line is traced.
#pragma once
#include "Messages.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "vd/Motion.hpp"

namespace KTX::VDJA {

// Lets the record's path go (when it has points) and leaves it empty.
STAMVIK_API void vdja_tireenv_motion_release_path(vdja_tireenv_motion_record_t* record);

// How long a driver path may be: at most kMaxDriverSteps steps a driver, and
// the two drivers' steps multiplied (each counted as at least 1) at most
// kMaxDriverStepProduct, so that a path stays within tens of megabytes.
constexpr int kMaxDriverSteps = 10000;
constexpr long long kMaxDriverStepProduct = 1000000;
using Messages::kTooManyDriverSteps;
using Messages::kTooManyDriverStepProduct;
// 0 when the graph's path may be made of these steps (the one-fixed graph
// uses no second driver's steps, a graph outside 0 to 5 none), otherwise
// kTooManyDriverSteps or kTooManyDriverStepProduct.
STAMVIK_API int vdja_tireenv_motion_check_driver_steps(int graph, int firstSteps, int secondSteps);
// The same for a five-link axle's steps.
STAMVIK_API int vdja_tireenv_motion_check_fla_steps(int steps);

// Limits are given upper first, then lower; each generator stores them in
// the record, replaces the record's path and returns 0. The dispatchers
// refuse steps beyond the bounds above with their number and leave the path
// empty.
STAMVIK_API int vdja_tireenv_motion_generate_driver_path(int graph, double firstUpper, double firstLower,
                                                         int firstSteps, double secondUpper, double secondLower,
                                                         int secondSteps, double taperLocation, double locationA,
                                                         double locationB, tag_t sketch,
                                                         vdja_tireenv_motion_record_t* record);
STAMVIK_API int vdja_tireenv_motion_driver_path_grid(double firstUpper, double firstLower, int firstSteps,
                                                     double secondUpper, double secondLower, int secondSteps,
                                                     vdja_tireenv_motion_record_t* record);
STAMVIK_API int vdja_tireenv_motion_driver_path_tapered(double firstUpper, double firstLower, int firstSteps,
                                                        double secondUpper, double secondLower, int secondSteps,
                                                        double taperLocation, vdja_tireenv_motion_record_t* record);
STAMVIK_API int vdja_tireenv_motion_driver_path_tapered_x(double firstUpper, double firstLower, int firstSteps,
                                                          double secondUpper, double secondLower, int secondSteps,
                                                          double taperLocation, vdja_tireenv_motion_record_t* record);
STAMVIK_API int vdja_tireenv_motion_driver_path_tapered_one_side(double firstUpper, double firstLower, int firstSteps,
                                                                 double secondUpper, double secondLower,
                                                                 int secondSteps, double locationA, double locationB,
                                                                 vdja_tireenv_motion_record_t* record);
// The first driver's range at each level is where the sketch's curves lie;
// the model is left as it was (the temporary planes are undone).
STAMVIK_API int vdja_tireenv_motion_driver_path_from_sketch(double firstUpper, double firstLower, int firstSteps,
                                                            double secondUpper, double secondLower, int secondSteps,
                                                            tag_t sketch, vdja_tireenv_motion_record_t* record);
STAMVIK_API int vdja_tireenv_motion_driver_path_one_fixed(double firstUpper, double firstLower, int firstSteps,
                                                          double secondUpper, double secondLower, int secondSteps,
                                                          double taperLocation, vdja_tireenv_motion_record_t* record);

// Five-link axle paths, made only in the record's five-link mode (1).
STAMVIK_API int vdja_tireenv_motion_generate_fla_driver_path(int type, double a, double b, double c, int steps,
                                                             vdja_tireenv_motion_record_t* record);
STAMVIK_API int vdja_tireenv_motion_fla_driver_path_range(double a, double b, int steps,
                                                          vdja_tireenv_motion_record_t* record);
STAMVIK_API int vdja_tireenv_motion_fla_driver_path_sweep(double a, double b, double c, int steps,
                                                          vdja_tireenv_motion_record_t* record);

// The pass of a five-link run a file write belongs to: option 0 gives 0,
// option 1 gives 1 or 2, option 2 gives 3 or 4 (first or second pass);
// any other option answers 1 and leaves the phase as it was.
STAMVIK_API int vdja_tireenv_motion_ask_driver_mode(int driverOption, bool secondPass, int* phase);

// ---- articulation ------------------------------------------------------------------

using Messages::kArticulationNotStarted;
using Messages::kRollNotFound;  // a roll's search gave up
using Messages::kTraceFailed;   // a roll's search could not trace the spindle line
using Messages::kArticulationFailed;
// How many passes a search makes at most before it gives up.
constexpr int kMaxSearchPasses = 200;

// |n| articulation steps, forward for n above 0, backward below; each adds 1
// to *counter. A step that fails raises kArticulationFailed ("Articulation failed").
STAMVIK_API int vdja_tireenv_motion_articulation_step(int n, int* counter);
// The two-driver run: the driver path of the graph stepped joint by joint,
// the spindle line traced at every position and written to the trace file
// (when one is named). The articulation and the motion tools are ended and
// the trace deleted on every way out. The status of ending the articulation;
// raises kArticulationNotStarted when it could not be started.
STAMVIK_API int vdja_tireenv_motion_run_articulation(const double origin[3], const double matrix[9],
                                                     const char* spindleFile, tag_t spindle, tag_t firstJoint,
                                                     tag_t secondJoint, int graph, bool firstOnX, double firstUpper,
                                                     double firstLower, int firstSteps, double secondUpper,
                                                     double secondLower, int secondSteps, double taperLocation,
                                                     double locationA, double locationB, tag_t sketch,
                                                     vdja_tireenv_motion_record_t* record);

// The five-link base run: both shocks from the rebound to the jounce
// distance of the record in max(steps, 2) points, the joint-displacement and
// spindle trace files written anew; then each bumper's travel from its origin
// to its last and to its first stepped position. Ended on every way out; the
// status of ending the articulation; raises kArticulationNotStarted.
STAMVIK_API int vdja_tireenv_motion_run_fla_articulation(const double origin[3], const double matrix[9],
                                                         const char* spindleFile, const char* jointsFile,
                                                         tag_t spindle, int steps, int source, const tag_t* joints,
                                                         double* leftFull, double* leftFirst, double* rightFull,
                                                         double* rightFirst, vdja_tireenv_motion_record_t* record,
                                                         const sFiveLinkAxle_Suspension* block);
// The roll of one side (driver 1: left shock against the right bumper; 2:
// right shock against the left bumper): the shock position at which the
// spindle line reaches the roll angle, its pass, then the bumper position at
// which the line is nearest the reference direction and its pass, each pass
// appended to both files. The two found values when both searches found.
// Raises kArticulationNotStarted when the articulation could not start,
// kRollNotFound when the shock's search gave up (its words give the roll
// asked and the rolls the shock's travel reaches), kTraceFailed when a trace
// failed.
STAMVIK_API int vdja_tireenv_motion_run_single_driver_articulation(
    const double origin[3], const double matrix[9], const char* spindleFile, const char* jointsFile, tag_t spindle,
    int driver, int steps, double rollAngle, double fullTravel, double firstTravel, int source, const tag_t* joints,
    double* sweptFound, double* fixedFound, const sFiveLinkAxle_Suspension* block,
    vdja_tireenv_motion_record_t* record);
// The search: the swept joint from start to end in max(steps, 2) values, the
// fixed one at its value, narrowing pass by pass. Mode 0 finds where the
// acute angle between the traced line and the reference reaches the target
// (degrees); mode 1 where it is smallest. 0 with *found set, -1 when it gave
// up, -2 when a trace failed; else the status of ending the last pass.
// `reached`, when given, receives the least and the greatest acute angle
// (degrees) of the lines the search traced (left as they were when none).
STAMVIK_API int vdja_tireenv_motion_step_and_trace(int mode, int steps, double target, tag_t swept, tag_t fixed,
                                                   double start, double end, double fixedValue,
                                                   const double reference[3], double* found, double tolerance,
                                                   const QF_MOTION_trace_s* request,
                                                   vdja_tireenv_motion_record_t* record,
                                                   double reached[2] = nullptr);

// The five-link joints in the order left shock, right shock, left bumper,
// right bumper: from the block's joint slots (source 1) or the array.
STAMVIK_API void vdja_tireenv_motion_fla_joints(int source, const tag_t* joints, const sFiveLinkAxle_Suspension* block,
                                                tag_t fiveLink[4]);
// Clears the motion driver of every drive joint and puts kind 4 on the two
// shock joints, the drivers a five-link scenario is left with.
STAMVIK_API int vdja_tireenv_motion_set_motion_drivers(int source, const tag_t* joints,
                                                       const sFiveLinkAxle_Suspension* block);

// ---- the files a run leaves in the temporary directory ----------------------------

// Status when a file name cannot be made (no temporary directory, no free name).
using Messages::kMotionFileMissing;
constexpr int kMotionFileNameSize = 257;

// Takes "<directory><stem>.txt" unless a file of that name exists and cannot
// be made writable; then "<directory><stem>_<n>.txt" with n from *counter on,
// one per try. 0, or kMotionFileMissing after 1,000 tries or when a name no
// longer fits kMotionFileNameSize bytes.
STAMVIK_API int vdja_tireenv_motion_probe_file_name(const char* directory, const char* stem, int* counter,
                                                    char name[kMotionFileNameSize]);
// The temporary directory ("QDEN_TMP_DIR" with its delimiter) as a new text
// (SM_free); null when the variable is unset.
STAMVIK_API char* vdja_tireenv_motion_temp_directory();
// The names of a run's spindle trace file and joint-displacement file, one
// counter serving both, so the second's numbers go on from the first's.
// 0, or kMotionFileMissing having written neither name.
STAMVIK_API int vdja_tireenv_motion_file_names(char spindleFile[kMotionFileNameSize],
                                               char jointsFile[kMotionFileNameSize]);

// One line "X Y" a path point; appended from phase 1 on when the file exists.
STAMVIK_API int vdja_tireenv_motion_write_driver_steps_file(const vdja_tireenv_motion_record_t* record,
                                                            const char* fileName, int phase);
// The design-position line (two-driver mode, or five-link phase 0) and then
// each traced line of indexes 0 .. stepCount that the trace gives.
STAMVIK_API int vdja_tireenv_motion_write_spindle_trace_file(vdja_tireenv_motion_record_t* record,
                                                             const double origin[3], const double matrix[9],
                                                             const char* fileName, tag_t spindleLine, tag_t trace,
                                                             int stepCount, int phase);

}  // namespace KTX::VDJA
