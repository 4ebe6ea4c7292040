// The host's clearance-analysis library: data sets of a part by name, each
// with two object lists, clearance zones, an analysis mode and runs. The
// stand-in keeps them as records (no model objects: undo does not touch
// them) and records every change in order for tests to read.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "feat/Builder.hpp"

namespace KTX {

// A data set's lists hold what is checked: list 1 against list 2.
struct CLEAR_dataset_record {
  tag_t part = 0;
  std::string name;
  bool displaced = false;    // one configuration per motion step
  int mode = 0;              // analysis mode
  double defaultZone = 0;    // the default clearance zone's value
  bool hasDefaultZone = false;
  std::map<tag_t, double> zones;  // per object
  std::vector<tag_t> lists[2];
  int runs = 0;
  std::string configurations;  // the motion file the configurations came from
  // What the last run measured between the lists' bodies that hold geometry.
  bool measured = false;
  double minimumDistance = 0;  // host units; 0 where they meet
  int closestPosition = -1;    // the motion position (0 the first) of the closest approach; -1 none
  bool interference = false;   // they share volume or touch
};

inline constexpr int kNoDataset = 852001;  // the tag is no clearance data set

KTX_HOST_API int CLEAR_count_datasets(PART_part* part, int* count);
// The part's data sets, in the order made, into `sets` (room for the count).
KTX_HOST_API int CLEAR_ask_dataset_array(PART_part* part, tag_t* sets);
// A data set's name: a new text (SM_free); kNoDataset.
KTX_HOST_API int CLEAR_ask_dataset_name(tag_t set, char** name);
KTX_HOST_API int CLEAR_delete_dataset(tag_t set);
// A new data set of the part: 0, or the answer of the call's name (nothing made).
KTX_HOST_API int CLEAR_create_dataset(PART_part* part, const char* name, tag_t* set);
KTX_HOST_API int CLEAR_create_displaced_dataset(PART_part* part, const char* name, tag_t* set);
KTX_HOST_API int VD_CLEAR_set_analysis_mode(tag_t set, int mode);
// Zones take the value of the expression.
KTX_HOST_API int CLEAR_set_default_clear_zone(tag_t set, tag_t expression);
KTX_HOST_API int CLEAR_set_object_clearance_zone(tag_t set, tag_t object, tag_t expression);
// Replaces list 1 or 2 with the objects (kind and option recorded).
KTX_HOST_API int CLEAR_set_obj_list(tag_t set, int list, int kind, int count, const tag_t* objects, int option);
// The clearance object of an object in one of the lists (the object's own
// tag in the stand-in); 0 when none.
KTX_HOST_API tag_t CLEAR_find_clear_object(tag_t set, tag_t object);
// The host's callbacks kept, cleared and put back around a run (recorded).
KTX_HOST_API void CLEAR_store_callbacks();
KTX_HOST_API void CLEAR_reset_callbacks();
KTX_HOST_API void CLEAR_restore_callbacks();
// Runs the analysis: 0, or the answer of the call's name. A run measures the
// real distances between the lists' bodies through the measurer (the
// automotive-feature library's TireGeometry::MeasureClearance, which it
// registers when the library loads; without one nothing is measured) and
// lists what it found.
KTX_HOST_API int CLEAR_do_clearance_analysis(tag_t set, const void* tagMap, int flag);
namespace Host {
using ClearanceMeasurer = void (*)(CLEAR_dataset_record& record);
KTX_HOST_API void SetClearanceMeasurer(ClearanceMeasurer measurer);
}  // namespace Host

// An expression of the text in the work part (length unit): its tag in
// *expression, 0; or the expression library's status.
KTX_HOST_API int VD_MODL_create_exp_tag(const char* text, tag_t* expression);

namespace Clearance {
// Test hooks: a data set's record (null for no set), a part's sets by name
// (0 when none), and the records forgotten.
KTX_HOST_API const CLEAR_dataset_record* Dataset(tag_t set);
KTX_HOST_API tag_t DatasetNamed(PART_part* part, const std::string& name);
KTX_HOST_API int DatasetCount();
KTX_HOST_API void Reset();
}  // namespace Clearance

}  // namespace KTX
