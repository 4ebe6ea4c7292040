// The modeller behind the kernel's bodies (Open CASCADE Technology). Only the
// geometry module's sources include this: everything else sees kernel tags.
// Lengths are kernel units. No modeller exception leaves these calls: a
// failure is their false (or Failed) answer.
#pragma once
#include <iosfwd>
#include <string>
#include <vector>

#include <TopoDS_Shape.hxx>

#include "kernel/Modeller.hpp"

namespace KTX::Kernel::Shapes {

// The planar face bounded by the polygons (see Kernel::MakePlanarSheet).
bool PlanarFace(const std::vector<std::vector<double>>& polygons, const double point[3], const double normal[3],
                TopoDS_Shape* face);
// The faces' edges (see Kernel::SewnEdges).
void SewnEdges(const std::vector<FaceBoundary>& faces, double tolerance, std::vector<std::vector<int>>* faceEdges,
               std::vector<std::vector<double>>* ends);
// The solid swept by a face along the path.
bool Prism(const TopoDS_Shape& face, const double path[3], TopoDS_Shape* solid);

// The shape with every face moved along its normal by `offset` (negative:
// inward), sharp edges kept sharp.
Outcome Offset(const TopoDS_Shape& shape, double offset, double tolerance, TopoDS_Shape* result);

// Unite and subtract take every tool; intersect keeps what lies inside any
// tool. Coplanar faces of the result are merged.
Outcome Boolean(const TopoDS_Shape& target, const std::vector<TopoDS_Shape>& tools, Operation operation,
                TopoDS_Shape* result);
// What lies on the side of the plane the normal points to.
Outcome HalfSpace(const TopoDS_Shape& shape, const double point[3], const double normal[3], TopoDS_Shape* result);

// An independent copy (a boolean between a body and its copy must not see
// shared topology).
TopoDS_Shape Copy(const TopoDS_Shape& shape);
double Volume(const TopoDS_Shape& shape);
// Bounds in the frame (origin and row-order matrix); null origin and matrix:
// the world axes. False for an empty shape.
bool Bounds(const TopoDS_Shape& shape, const double origin[3], const double matrix[9], double min[3],
            double max[3]);
// -1 out, 0 on, 1 in any solid of the shape.
int Classify(const TopoDS_Shape& shape, const double point[3], double tolerance);
// Classify for each of n points (x, y, z triples) into where[i]; one
// classifier a solid serves them all. False when the modeller fails.
bool ClassifyPoints(const TopoDS_Shape& shape, const double* points, int n, double tolerance, int* where);
// The largest tolerance of the shape's vertices, edges and faces; 0 for none.
double Tolerance(const TopoDS_Shape& shape);
int FaceCount(const TopoDS_Shape& shape);
bool IsSolid(const TopoDS_Shape& shape);
// Whether every edge but a degenerate one bounds two faces, or one face
// twice (a seam): no free and no shared-by-three edge.
bool IsClosed(const TopoDS_Shape& shape);

// STEP files: the shapes scaled by `scale` on the way out (to a stream), and
// the solids read scaled by `scale` on the way in (from a file named, or a
// stream).
bool WriteStep(const std::vector<TopoDS_Shape>& shapes, double scale, std::ostream& out);
bool ReadStep(const std::string& file, double scale, std::vector<TopoDS_Shape>* solids);
bool ReadStep(std::istream& in, double scale, std::vector<TopoDS_Shape>* solids);

}  // namespace KTX::Kernel::Shapes
