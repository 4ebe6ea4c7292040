// What the vehicle-design library offers the tire body's placement and its
// clearance analysis: the motion files read back, the tire-body component
// placed at its markers, the moving component's parts and copies, and the
// clearance lists and configurations built from a motion.
#pragma once
#include "feat/Builder.hpp"

namespace KTX {

// The end points of a spindle line: with wheel end 1 its last point is the
// wheel point, otherwise its first. 0, or kNoEntity for no curve.
KTX_HOST_API int TIREENV_ask_spindle_line_point(tag_t line, int wheelEnd, double wheelPoint[3],
                                                double spindlePoint[3]);
// Reads a spindle trace file: per line six numbers, the points A and B of one
// motion step. Hands out the count and two new arrays of new points (SM_alloc,
// each point too). 0; -1 when the file cannot be read, -2 for a line that is
// not six numbers (a note names file and line); nothing handed out then.
KTX_HOST_API int TIREENV_read_spindle_file(const char* fileName, int option, int* count, double*** pointsA,
                                           double*** pointsB);
// The design position of a spindle trace file: its first line written alone
// into a new file beside it (the name with "_design_position" before the
// extension; a file of that name is replaced), whose name goes into
// designFile, and that line's points: A its second point, B its first (the
// order in which the tire body is placed and the moving component moved to
// the same spot). 0; -1 or -2 as the reader, or -2 for a file without a
// line, with designFile "" and the points untouched.
KTX_HOST_API int TIREENV_create_spindle_file_design_position(const char* fileName, char designFile[257],
                                                             double pointA[3], double pointB[3]);
// Reads a joint-displacement file (two numbers a line) into the arrays, at
// most *count values each; *count becomes the number of lines read. 0, -1
// or -2 as the spindle file (nothing written on -2).
KTX_HOST_API int TIREENV_read_joints_displacement_fla_file(const char* fileName, double* first, double* second,
                                                           int* count);
// Places the tire-body component of the part occurrence with its wheel
// marker at the origin: 0 and its instance; or the answer of the call's name
// (scriptable refusal), with the instance 0.
KTX_HOST_API int TIREENV_reassemble_origin_tirebody_component(const double wheelPoint[3],
                                                              const double spindlePoint[3], tag_t occurrence,
                                                              tag_t* instance);
// The part occurrences of a component: the component first, then the
// components of its part in the order added (a new array, SM_free).
KTX_HOST_API int TIREENV_ask_child_part_tags(tag_t component, int* count, tag_t** parts);
KTX_HOST_API bool VD_is_exist_in_tag_array(tag_t tag, const tag_t* tags, int count);
// Recorded only.
KTX_HOST_API int TIREENV_load_fixing_components_fully(const tag_t* components, int count);
// The objects to check: the bodies, then the components; those with their own
// zones: the components whose offset is above 0 (offsets one per component).
// New arrays (SM_free).
KTX_HOST_API int TIREENV_ask_clr_list_objs(tag_t set, const double* offsets, int bodyCount, const tag_t* bodies,
                                           int componentCount, const tag_t* components, int* checkedCount,
                                           tag_t** checked, int* zoneCount, tag_t** zoneObjects);
// Gives each zone object its zone (its offset, by its place among the checked
// objects, is the host's; the stand-in records the objects).
KTX_HOST_API int TIREENV_add_objs_zone(tag_t set, int count, const tag_t* zoneObjects, const tag_t* checked);
// One configuration per motion step of the file: recorded on the data set.
KTX_HOST_API int TIREENV_build_clear_configurations(tag_t set, const char* motionFile, const double origin[3],
                                                    const double matrix[9]);
// Adds objects to list 1 or 2 of a displaced data set.
KTX_HOST_API int TIREENV_ENGINE_ROLL_add_objects_to_list(tag_t set, int list, int count, const tag_t* objects);
// Copies of the moving component's parts for the configurations: per part i a
// component of the work part named "ROLL_MOVING_COMP_COPY_<i>", hidden.
KTX_HOST_API int TIREENV_ENGINE_ROLL_copy_moving_comp(PART_part* workPart, tag_t set, const tag_t* parts, int count);

}  // namespace KTX
