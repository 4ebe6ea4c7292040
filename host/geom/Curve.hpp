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

// ---- the curve evaluator (on the same parameter as the curve) --------------------
// A new evaluator (freed with EVC_free): 0, or kNoEntity for a tag that is no curve.
KTX_HOST_API int EVC_initialize(tag_t curve, EVC_curve** evaluator);
KTX_HOST_API void EVC_free(EVC_curve* evaluator);
// The parameter range: [0, 1].
KTX_HOST_API void EVC_ask_curve_limits(const EVC_curve* evaluator, double limits[2]);
// The parameter and point of the curve closest to `point` (the algorithm is
// logged only). A null evaluator gives 0 and the origin.
KTX_HOST_API void EVC_ask_closest_point(const EVC_curve* evaluator, const double point[3], int algorithm,
                                        double* parameter, double closest[3]);
// The point at t and, with `derivatives` 1 or more, the first derivative (the
// unit tangent times the curve's length).
KTX_HOST_API void EVC_evaluate(const EVC_curve* evaluator, double t, int derivatives, double point[3],
                               double derivative[3]);

// ---- curve operations -------------------------------------------------------------------
// A copy of the curve in the work part: 0, or kNoEntity.
KTX_HOST_API int GEN_ZVTPAD_curve_copy(tag_t curve, tag_t* copy);
// One new curve in the work part through the curves in order, each turned to
// continue where the chain ends (a point met within the tolerance is kept
// once); its parameter again runs over [0, 1] by arc length. 0, or kNoEntity
// when a tag is no curve or nothing is left. The option is logged only.
KTX_HOST_API int GEN_ZVTPAD_combine_curves(int count, const tag_t* curves, int option, double tolerance,
                                           tag_t* combined);
// Cuts the curve in place (logged) at the planes (0: that end stays): what lies
// between the curve's points closest to the planes' origins is kept. 0, or
// kNoEntity. The mode and the tolerances are logged only.
KTX_HOST_API int DIEDES_UTILS__trim_profile(int mode, tag_t profile, tag_t startPlane, tag_t endPlane,
                                            double distanceTolerance, double angleTolerance);
// The curve's first and last points ((0, 0, 0) for no curve).
KTX_HOST_API void SWEEP_ask_qd_endpoints(tag_t curve, double start[3], double end[3]);
// The display's release of a curve: logged only.
KTX_HOST_API void gt316(tag_t curve);
// A row-order frame whose third row is z made unit, the first two completing
// it to a right-handed frame (a zero z gives the identity).
KTX_HOST_API void MTX3_init_z(const double z[3], double matrix[9]);
// A row-order frame whose third row is z made unit and whose second row is y
// with its part along z taken away, made unit; the first row is y cross z.
// A zero z, or a y along z, gives MTX3_init_z's frame of z.
KTX_HOST_API void MTX3_init_y_z(const double y[3], const double z[3], double matrix[9]);

}  // namespace KTX
