// Parts by name and the assembly's components: what the tire envelope's
// master part and tire body ask of the host's part and assembly libraries.
#pragma once
#include <string>

#include "feat/Builder.hpp"

namespace KTX {

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
