// The kernel's modelling of the tooling features: extrusions of closed
// profiles, offsets of planar loops and of sheets, box sheets, booleans
// between two bodies, chamfers, smooth approximations of point rows, and
// what a body's faces and edges are. Every length is in kernel units
// (metres); the host converts with KTX::Kernel::ScaleFactors. Each call
// answers 0 or a kernel error (ZV_ERROR_bad_value for unusable input: also
// a length or coordinate that is not finite or beyond ten kilometres,
// ZV_ERROR_geometry when the modeller cannot make the shape), making nothing
// on an error.
#pragma once
#include <vector>

#include "kernel/Kernel.hpp"

namespace KTX::Kernel {

// A new body: the region the closed loops bound (x, y, z triples, the
// closing point not repeated; the loop of the largest area bounds it, the
// others are holes) moved `start` along the unit direction and swept to
// `end`. A solid, or with `sheet` the sheet of the swept loops alone.
KTX_HOST_API int MakeExtrusion(const std::vector<std::vector<double>>& loops, const double direction[3], double start,
                               double end, bool sheet, int* body);
// The closed planar loop moved outward (away from the region it bounds) by
// `outward`, inward when negative, its corners kept sharp: the new loop's
// corners in order. ZV_ERROR_geometry also when an inward offset leaves
// nothing.
KTX_HOST_API int OffsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result);
// A new sheet: every face of the sheet moved along its normal by `distance`.
KTX_HOST_API int OffsetSheet(int sheet, double distance, int* result);
// A new sheet: the six faces of the box from `low` to `high` in the frame at
// `origin` whose axes are the rows of `matrix`.
KTX_HOST_API int MakeBoxSheet(const double origin[3], const double matrix[9], const double low[3],
                              const double high[3], int* sheet);
// The target united with the tool (subtracted: the tool taken from it). The
// tool's geometry is used up (its faces stay); the target gets the result's
// faces. ZV_ERROR_geometry also when nothing of the target would be left.
KTX_HOST_API int Combine(int target, int tool, bool subtract);
// Chamfers the body's edges that run between the given ends (six numbers an
// edge, either way round, within `tolerance`): `first` measured on the edge's
// face in the plane all the edges lie in (when they do not, on the face it
// shares with an edge meeting it end to end), `second` on the other. *chamfered is how many were found; none
// found changes nothing and is no error. The edges of a straight side given
// in several pieces end to end are found as one. A loop of them in one
// plane between a face in that plane and walls that all run one way (square
// to it, or leaning where the plane lies tilted across them) is chamfered as
// one wedge, `second` measured along the walls that way. An offset within
// `tolerance` (0 included) changes nothing either: no edge is chamfered.
KTX_HOST_API int ChamferEdges(int body, const std::vector<std::vector<double>>& edges, double first, double second,
                              double tolerance, int* chamfered);
// The polyline through the points made smooth within `tolerance`: a
// B-spline fitted to the polyline sampled all along it, itself sampled
// (closed: the first point not repeated at the end), when every point of
// either lies within `tolerance` of the other; otherwise the points as they
// are (a point repeated within 1e-9 given once), since no smoother curve was
// found that keeps to them; so too at a tolerance of 1e-9 or less. A
// negative tolerance is a bad value.
KTX_HOST_API int SmoothPoints(const std::vector<double>& points, bool closed, double tolerance,
                              std::vector<double>* samples);

// The plane of a body's geometry when every face of it lies in one plane
// (the first face's normal); false otherwise.
KTX_HOST_API bool PlaneOfBody(int body, double point[3], double normal[3]);

// Whether the body holds a valid solid whose every edge bounds two faces
// (closed, no free or shared-by-more edges) and whose volume is positive.
KTX_HOST_API bool IsClosedSolid(int body);

// What a face of a body is: a frame (origin, two rows spanning the face's
// box in its surface, the third its outward normal) and its boundary loops.
struct FaceShape {
  double origin[3];
  double matrix[9];
  std::vector<std::vector<double>> loops;
};
// The faces of a body with geometry, in the order of its kernel faces; empty
// without geometry.
KTX_HOST_API std::vector<FaceShape> DescribeFaces(int body);
// The edges of a body with geometry: each a row of points along it (its two
// ends for a line), and for each face the indices of its edges.
KTX_HOST_API void DescribeEdges(int body, std::vector<std::vector<double>>* edges,
                                std::vector<std::vector<int>>* faceEdges);

}  // namespace KTX::Kernel
