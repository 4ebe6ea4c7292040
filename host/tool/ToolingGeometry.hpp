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

// The minimum distance between two objects, as the measurement above finds
// it (a plane measured as the whole plane, a face by the corners of its unit
// square): one result, or none for a pair scripted so. The tolerance is
// recorded only. 0; an object that is no entity raises kNoEntity; a scripted
// pair gives its points or raises. Logged.
struct MIN_result_s {
  int n_results;        // 0 or 1
  double distance[1];   // the first (only) distance found
  double first[3];      // the point on the first object
  double second[3];     // and on the second
};
using MIN_result_t = MIN_result_s;
KTX_HOST_API int MIN_object_object(tag_t first, tag_t second, double tolerance, MIN_result_t* result);

// The faces a feature made, as kernel faces: those scripted for it with
// Host::ScriptTopFaces, else every face of its body's kernel body. A new
// array (SM_alloc; null when none). 0, or kNotAFeature. Logged.
KTX_HOST_API int FREC_ask_top_faces(tag_t frec, int* count, int** faces);
// The same faces as model faces (those a model face stands for). 0, or
// kNotAFeature. Logged.
KTX_HOST_API int TOOLING_get_feat_faces(tag_t frec, int* count, tag_t** faces);

// A scalar value object of the work part (0 without one).
KTX_HOST_API tag_t SCALAR_create_double(double value);
// The value of a scalar; 0.0 for a tag that is no scalar.
KTX_HOST_API double SCALAR_ask_value(tag_t scalar);
// A point entity of the work part at the face's point at the two scalars'
// parameters (MODL_ask_face_props); 0 when the face or a scalar is missing.
// Logged.
KTX_HOST_API tag_t POINT_create_on_surface(tag_t face, tag_t u, tag_t v);
// A label of `lineCount` lines placed at the origin and pointing at the
// point, of that kind and text size. The stand-in makes nothing: the call is
// logged with every argument. Returns 0; 3030591 for no text or no point.
KTX_HOST_API int TOOLING_add_pmi_label(int lineCount, const char* const* lines, const double origin[3], tag_t point,
                                       int kind, double size);

class FACE_REFERENCE;

// The box of the objects along the work coordinate system's axes, in its
// coordinates: minimum x, y, z then maximum x, y, z. A curve counts by its
// points, a face by the corners of its frame's square, a body by its faces, a
// feature by its body, any other entity by its origin. 0, or kNoEntity
// (the box untouched) when nothing gives a point. Logged.
KTX_HOST_API int BOUNDBOX_ask_bounding_box_aligned_wcs(int count, const tag_t* objects, double box[6]);
// A bounding-box sheet feature in the work part: a sheet of the six faces of
// the box (work coordinate system, as above) grown by the six offsets
// (minimum x, maximum x, minimum y, maximum y, minimum z, maximum z side,
// outwards), its faces looking out. 0 and the feature; the answer
// "EW_create_frec_by_face" not 0 is returned with nothing made; kNoEntity
// for no face. The name and the references are recorded only. Logged.
KTX_HOST_API int EW_create_frec_by_face(const char* name, const double box[6], const double offsets[6], int count,
                                        const tag_t* faces, FACE_REFERENCE** references, tag_t* feature);
// Makes the feature's sheet again round the faces' box with the offsets (the
// old body and its faces destroyed): 0; the answer "EW_edit_faces_bound_box"
// not 0 with nothing changed; kNotAFeature; kNoEntity for no face. Logged.
KTX_HOST_API int EW_edit_faces_bound_box(tag_t feature, const double offsets[6], int count, const tag_t* faces,
                                         FACE_REFERENCE** references);
// The body references of the feature's bodies (an SM_ array; null for none):
// 0, or kNotAFeature.
KTX_HOST_API int FREC_ask_brefs(tag_t feature, int* count, tag_t** references);
// The first feature of the body's part whose body it is; 0 for none. Logged.
KTX_HOST_API tag_t FREC_ask_root_frec_of_body(tag_t body);

namespace Host {
// The feature's top faces are these model faces (in this order), for the
// session until cleared.
KTX_HOST_API void ScriptTopFaces(tag_t frec, const std::vector<tag_t>& faces);
// MIN_object_object of the pair (in this order) finds no result.
KTX_HOST_API void ScriptNoMinimum(tag_t first, tag_t second);
// The measurements of the pair (in this order) give these points, or, with a
// raise code not 0, raise it; for the session until cleared.
KTX_HOST_API void ScriptMeasurement(tag_t first, tag_t second, const double a[3], const double b[3], int raise);
// Forgets the scripted measurements, minimums and top faces.
KTX_HOST_API void ClearMeasurements();
}  // namespace Host

}  // namespace KTX
