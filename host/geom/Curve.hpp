// Curves (ES_curve polylines) measured by arc length: the parameter t on
// [0, 1] runs along a curve in proportion to its length.
#pragma once
#include <vector>

#include "geom/Geometry.hpp"

namespace KTX {

// On points given as x, y, z triples.
KTX_HOST_API double POLYLINE_length(const std::vector<double>& points);
// The point and the unit tangent at t (clamped to [0, 1]); either may be
// null. A polyline of no length gives its first point and a zero tangent.
KTX_HOST_API void POLYLINE_evaluate(const std::vector<double>& points, double t, double point[3], double tangent[3]);
// The parameter of the polyline's point closest to `point`.
KTX_HOST_API double POLYLINE_closest_parameter(const std::vector<double>& points, const double point[3]);

// A new straight line in the part (null: the work part); 0 when there is no
// part or the answer "ES_create_polyline.fail" is not 0.
KTX_HOST_API tag_t ES_create_line_in_part(PART_part* part, const double start[3], const double end[3]);
// The arc length of the curve; 0 for a tag that is no curve.
KTX_HOST_API double CURVE_ask_arc_length(tag_t curve);
// The point at parameter t of the curve: false for a tag that is no curve.
KTX_HOST_API bool CURVE_ask_point_at(tag_t curve, double t, double point[3]);

// Puts the entity on the layer (logged); a tag that is no entity raises kNoEntity.
KTX_HOST_API void ES_layer_move_entity(tag_t entity, int layer);
// The entity's layer (1 for a new entity); 0 for a tag that is no entity.
KTX_HOST_API int ES_ask_layer(tag_t entity);

}  // namespace KTX
