// Parts by name and the assembly's components: what the tire envelope's
// master part and tire body ask of the host's part and assembly libraries.
#pragma once
#include <string>
#include <vector>

#include "feat/Builder.hpp"

namespace KTX {

// A component of an assembly: an instance of a part in a parent part, with
// the component's name, the instance's name (upper case) and its placement.
class KTX_HOST_API ASSY_instance : public OM::TaggedObject {
  KTX_HOST_OBJECT(ASSY_instance, "KTX::ASSY_instance")
 public:
  static constexpr int kNameSize = 133;
  const char* ask_name() const { return name_; }
  const char* ask_component_name() const { return componentName_; }
  tag_t ask_part() const { return part_; }
  tag_t ask_parent() const { return parent_; }
  // 4 x 4, row order: the component's X, Y and Z axes in the columns 0 to 2
  // of the rows 0 to 2, its origin in elements 3, 7 and 11.
  const double* ask_placement() const { return placement_; }
  void set_placement(const double placement[16]);
  bool is_blanked() const { return blanked_; }

 protected:
  ASSY_instance(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend KTX_HOST_API int ASSY_add_part_to_assembly(PART_part*, PART_part*, const char*, const char*, int,
                                                    const double*, int, tag_t*);
  friend KTX_HOST_API int OCC_blank_component(tag_t, bool, bool, const void*);
  char name_[kNameSize];
  char componentName_[kNameSize];
  tag_t part_;
  tag_t parent_;
  double placement_[16];
  bool blanked_;
};

enum AssemblyMessage : int {
  kNoPartToAdd = 850001,  // a component of no part, or in no parent
  kNoInstance = 850002,   // the tag is no component instance
};

// Adds the part to the parent as a component named `componentName` (its
// instance takes the name in upper case); layer, reference set and option
// are recorded only. 0, or raises kNoPartToAdd.
KTX_HOST_API int ASSY_add_part_to_assembly(PART_part* parent, PART_part* part, const char* referenceSet,
                                           const char* componentName, int layer, const double placement[16],
                                           int option, tag_t* instance);
// Removes the component: 0, or kNoInstance.
KTX_HOST_API int ASSY_remove_component(tag_t instance);
// The occurrence of the part in the assembly (the stand-in's root occurrence
// of a part is the part itself); 0 for no part.
KTX_HOST_API tag_t PART_ask_occ_part_of_part(PART_part* part);
// The component instance of that (exact) name under the occurrence's part; 0 when none.
KTX_HOST_API tag_t OCC_ask_instance_of_name(tag_t occurrence, const char* name);
// The components of a part, in the order added.
KTX_HOST_API std::vector<tag_t> ASSY_ask_components(const PART_part* parent);
// Makes the part the work part (logged), as the assembly navigator does.
KTX_HOST_API void ASSY_set_work_part(PART_part* part);

// The part file name a data-management command-line name stands for (the
// stand-in's names stand for themselves): a new text.
KTX_HOST_API char* QDMGR_decode_cli_part_file(const char* name);
// The loaded part of that file name; null when none is loaded.
KTX_HOST_API PART_part* PART_ask_part_of_filename(const char* fileName);
// The part's name under data management (the stand-in: the name itself): a new text.
KTX_HOST_API char* VD_ask_part_dm_name(const char* name);
// Loads the part of that name fully: 0 (recorded only).
KTX_HOST_API int TIREENV_load_part_fully(const char* name);

// The loaded part of that name (its file name as the host knows it); null when none.
KTX_HOST_API PART_part* VD_PART_ask_part_tag(const char* name);

// What a part load reports: whether it failed, and per part that failed its
// file name and code (arrays the caller frees, PART_free_load_status).
struct PART_load_status_s {
  int failed;
  int count;
  char** names;
  int* codes;
};
KTX_HOST_API void PART_free_load_status(PART_load_status_s* status);
// Opens a part file without showing it. The stand-in reads nothing of the
// file: the part is the one loaded under that name, or a new empty part of
// that name, kept by the work part. The answer of its name, when not 0, fails
// the load: null, and the status holds the file with that code.
KTX_HOST_API PART_part* BASE_open_part_quietly(const char* fileName, PART_load_status_s* status);
// A new, empty tire-body part of that file name, kept by the work part as
// above: 0; the answer of its name when not 0, or kNoPartToAdd for no name,
// with no part made.
KTX_HOST_API int TIREENV_new_tirebody_part(const char* fileName, PART_part** part);
// Adds the loaded part of that file name to the assembly as a component
// placed at the position with the X and Y axes: 0 and the instance; the answer
// of its name when not 0 (the status holds it) or kNoPartToAdd, with none.
KTX_HOST_API int VD_ASSEM_add_part_to_assembly(PART_part* assembly, const char* fileName, const char* referenceSet,
                                               const char* componentName, const double position[3],
                                               const double orientation[6], int layer, tag_t* instance,
                                               PART_load_status_s* status);

// 1 when the part is fully loaded: the answer "PART_is_part_loaded_tol" (default 1).
KTX_HOST_API int PART_is_part_loaded_tol(const PART_part* part);
// Loads a component's part fully: 0; otherwise not 0 with the first code of
// the load status in *firstStatus (the answer "PART_load_component.status").
KTX_HOST_API int PART_load_component(PART_part* part, int* firstStatus);

// ---- instances and occurrences ----------------------------------------------------
// The stand-in's part occurrence of a component is its instance (and the
// instance of a part occurrence the occurrence itself), and a part's root
// occurrence is the part's own tag.
KTX_HOST_API bool OCC_is_part_occurrence(tag_t object);
// The component an occurrence of a body lies in (Assy::PlaceInComponent); 0 for none.
KTX_HOST_API tag_t OCC_ask_part_occurrence(tag_t occurrence);
// The part a part occurrence shows (null for anything else).
KTX_HOST_API PART_part* OCC_ask_part_of_part_occ(tag_t partOccurrence);
KTX_HOST_API tag_t OCC_ask_part_occ_of_instance(tag_t instance);
// The stand-in's instance of an occurrence is the occurrence itself.
KTX_HOST_API tag_t OCC_ask_instance_of_part_occ(tag_t occurrence);
// Hides (blank true) or shows a component: 0, or kNoInstance.
KTX_HOST_API int OCC_blank_component(tag_t occurrence, bool blank, bool cascade, const void* filter);
// Moves an instance: position, then orientation as its X axis and Y axis
// (Z their cross product). 0, or kNoInstance.
KTX_HOST_API int VD_ASSEM_reposition_instance(tag_t instance, const double position[3], const double orientation[6]);
// The next component instance of the part after `previous` (0: the first);
// 0 after the last.
KTX_HOST_API tag_t VD_ASSEM_cycle_inst_of_part(PART_part* part, tag_t previous);
// A component's part name, reference set ("" in the stand-in) and component
// name (new texts, SM_free), its origin, its orientation (row order, rows the
// axes) and its 4 x 4 placement. 0, or kNoInstance with nothing handed out.
KTX_HOST_API int ASSY_ask_component_data(tag_t instance, char** partName, char** referenceSet, char** componentName,
                                         double origin[3], double matrix[9], double placement[16]);
// The data-management command-line form of a part name ("@DB/" and the
// name in the stand-in): a new text.
KTX_HOST_API char* QDMGR_convert_name_to_cli(const char* name);
// Recorded only: takes the highlight off an object.
KTX_HOST_API void DSS_HILT_unhighlight_object(tag_t object);

namespace Assy {
// Test hook: an occurrence, in the work part, of a body of the component's
// part, which OCC_ask_part_occurrence answers with the component.
KTX_HOST_API tag_t PlaceInComponent(tag_t instance, tag_t prototype);
// Test hook: the part is loaded under that name (a second name replaces the first).
KTX_HOST_API void NamePart(PART_part* part, const std::string& name);
KTX_HOST_API std::string NameOfPart(const PART_part* part);
}  // namespace Assy

}  // namespace KTX
