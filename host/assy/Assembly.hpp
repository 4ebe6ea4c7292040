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
  const double* ask_placement() const { return placement_; }  // 4 x 4, row order
  void set_placement(const double placement[16]);

 protected:
  ASSY_instance(int classId, void* context) : OM::TaggedObject(classId, context) {}

 private:
  friend KTX_HOST_API int ASSY_add_part_to_assembly(PART_part*, PART_part*, const char*, const char*, int,
                                                    const double*, int, tag_t*);
  char name_[kNameSize];
  char componentName_[kNameSize];
  tag_t part_;
  tag_t parent_;
  double placement_[16];
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

// 1 when the part is fully loaded: the answer "PART_is_part_loaded_tol" (default 1).
KTX_HOST_API int PART_is_part_loaded_tol(const PART_part* part);
// Loads a component's part fully: 0; otherwise not 0 with the first code of
// the load status in *firstStatus (the answer "PART_load_component.status").
KTX_HOST_API int PART_load_component(PART_part* part, int* firstStatus);

namespace Assy {
// Test hook: the part is loaded under that name (a second name replaces the first).
KTX_HOST_API void NamePart(PART_part* part, const std::string& name);
KTX_HOST_API std::string NameOfPart(const PART_part* part);
}  // namespace Assy

}  // namespace KTX
