// What the tooling operations ask of faces, curves and distances: face
// properties at parameters, a body's faces, whether a curve lies in a plane,
// and the single measurement of the minimum and maximum distance.
#pragma once
#include <vector>

#include "geom/Geometry.hpp"

namespace KTX {

// The faces made on the body (ES_create_face), in the order made: a new
// array (SM_alloc; null when none). 0, or kNoEntity for a tag that is no body.
KTX_HOST_API int ES_body_ask_faces(tag_t body, int* count, tag_t** faces);
// A face is the unit square of its frame: the point at (u, v) is its origin
// plus u times its first row plus v times its second; the normal is its third
// row. 0, or kNoEntity for a tag that is no face.
KTX_HOST_API int MODL_ask_face_props(tag_t face, const double parameters[2], double point[3], double normal[3]);
// 1 when every point of the curve lies within the tolerance of the plane
// through the origin with that normal (any length but zero), else 0; 0 for a
// tag that is no curve. Logged.
KTX_HOST_API int CRV_ask_curve_on_plane(tag_t curve, const double origin[3], const double normal[3], double tolerance);
// The two points that give the minimum (maximum) distance between two
// objects: of a curve its points, of another entity its origin. A pair
// scripted with Host::ScriptMeasurement gives its points, or raises its
// message number. An object that is no entity raises kNoEntity. Logged.
KTX_HOST_API void JAUTL_SINGLE_MEASURE_ask_minimum_dist(tag_t first, tag_t second, double a[3], double b[3]);
KTX_HOST_API void JAUTL_SINGLE_MEASURE_ask_maximum_dist(tag_t first, tag_t second, double a[3], double b[3]);

namespace Host {
// The measurements of the pair (in this order) give these points, or, with a
// raise code not 0, raise it; for the session until cleared.
KTX_HOST_API void ScriptMeasurement(tag_t first, tag_t second, const double a[3], const double b[3], int raise);
KTX_HOST_API void ClearMeasurements();
}  // namespace Host

}  // namespace KTX
