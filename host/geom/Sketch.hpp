// Sketches (a placement and the curves drawn in it), entity types and
// display suppression.
#pragma once
#include "geom/Geometry.hpp"

namespace KTX {

// The members of a sketch: a new array (SM_alloc; null when none). 0, or
// Geometry::kNoEntity when the tag is no sketch.
KTX_HOST_API int ES_read_sketch_geom_members(tag_t sketch, int* count, tag_t** members);
// A sketch's placement: its origin and row-order matrix (rows X, Y and the
// normal). 0, or Geometry::kNoEntity.
KTX_HOST_API int ES_ask_sketch_placement(tag_t sketch, double origin[3], double matrix[9]);
// An entity's type: 2 point, 3 line (a curve of two points), 5 arc (a curve of
// more), 45 coordinate system, 46 plane, 0 anything else, all of subtype 0;
// a body is type 70 (subtype 0), its face 70 subtype 2 and its edge 70
// subtype 3; a feature is 205. Always 0.
KTX_HOST_API int RM_ask_entity_type_and_subtype(tag_t entity, int* type, int* subtype);
// Suppresses (3) or restores (2) the display; the stand-in keeps the last mode.
KTX_HOST_API void DSS_set_suppress_display(int mode);
KTX_HOST_API int DSS_ask_suppress_display();

namespace Sketch {
// Test hook: a sketch in the work part with that placement and members (a
// coordinate system entity that the part keeps; its members are remembered
// by its tag).
KTX_HOST_API tag_t Make(const double origin[3], const double matrix[9], int count, const tag_t* members);
}  // namespace Sketch

}  // namespace KTX
