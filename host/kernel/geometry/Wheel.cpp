#include "kernel/geometry/Modelling.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepExtrema_DistShapeShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <BRepPrimAPI_MakeRevol.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeSolid.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepLib.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Solid.hxx>
#include <gp_Ax1.hxx>
#include <gp_Ax3.hxx>
#include <gp_Trsf.hxx>

#include "kernel/geometry/Bodies.hpp"
#include "kernel/geometry/Shapes.hpp"
#include "kernel/geometry/TimeLimit.hpp"

namespace KTX::Kernel::Modelling {
namespace {

// Facets a turn of a swept tire: at a radius of 340 mm its corners stand
// 2.9 mm beyond the tread.
constexpr int kSegments = 24;

// The tire revolved about the Z axis through the origin (the section's
// axial along Z, its radial along X); false when the modeller cannot make it.
bool Revolution(const std::vector<double>& section, TopoDS_Shape* solid) {
  std::vector<double> polygon;
  for (std::size_t i = 0; i + 1 < section.size(); i += 2) polygon.insert(polygon.end(), {section[i + 1], 0, section[i]});
  const double origin[3] = {0, 0, 0}, normal[3] = {0, 1, 0};
  TopoDS_Shape face;
  if (!Shapes::PlanarFace({polygon}, origin, normal, &face)) return false;
  try {
    BRepPrimAPI_MakeRevol revolved(face, gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), 2 * std::numbers::pi);
    if (!revolved.IsDone()) return false;
    *solid = revolved.Shape();
  } catch (const Standard_Failure&) {
    return false;
  }
  return Shapes::IsSolid(*solid);
}

// The tire as facets: the section's sides swept in `segments` flat steps
// about the Z axis, each corner pushed out to 1 / cos(pi / segments) of its
// radial, so that the facets hold the whole revolution.
bool Faceted(const std::vector<double>& section, int segments, TopoDS_Shape* solid) {
  try {
    BRepBuilderAPI_Sewing sewing(1.0e-7);
    const double grow = 1 / std::cos(std::numbers::pi / segments);
    const std::size_t n = section.size() / 2;
    auto corner = [&](std::size_t i, int j) {
      const double angle = 2 * std::numbers::pi * j / segments, r = section[2 * (i % n) + 1] * grow;
      return gp_Pnt(r * std::cos(angle), r * std::sin(angle), section[2 * (i % n)]);
    };
    for (int j = 0; j < segments; ++j)
      for (std::size_t i = 0; i < n; ++i) {
        BRepBuilderAPI_MakePolygon quad(corner(i, j), corner(i, j + 1), corner(i + 1, j + 1), corner(i + 1, j),
                                        Standard_True);
        BRepBuilderAPI_MakeFace face(quad.Wire(), Standard_True);
        if (!face.IsDone()) return false;
        sewing.Add(face.Face());
      }
    sewing.Perform();
    const TopoDS_Shape sewn = sewing.SewedShape();
    if (sewn.ShapeType() != TopAbs_SHELL) return false;
    BRepBuilderAPI_MakeSolid made(TopoDS::Shell(sewn));
    if (!made.IsDone()) return false;
    TopoDS_Solid closed = made.Solid();
    BRepLib::OrientClosedSolid(closed);
    *solid = closed;
    return true;
  } catch (const Standard_Failure&) {
    return false;
  }
}

// The revolution moved to a place: the Z axis onto the spindle.
TopoDS_Shape Placed(const TopoDS_Shape& tire, const WheelPlace& place) {
  gp_Trsf move;
  move.SetTransformation(gp_Ax3(gp_Pnt(place.centre[0], place.centre[1], place.centre[2]),
                                gp_Dir(place.axis[0], place.axis[1], place.axis[2])),
                         gp_Ax3());
  return BRepBuilderAPI_Transform(tire, move, Standard_True).Shape();
}

// The solids' union in one run of the modeller's general fuse.
bool Unite(const std::vector<TopoDS_Shape>& solids, TopoDS_Shape* united) {
  try {
    // Neighbours first, then the unions of neighbours: each fuse meets a
    // body that overlaps its partner most, and none grows long before the end.
    std::vector<TopoDS_Shape> level = solids;
    while (level.size() > 1) {
      std::vector<TopoDS_Shape> next;
      for (std::size_t i = 0; i < level.size(); i += 2) {
        if (i + 1 == level.size()) {
          next.push_back(level[i]);
          continue;
        }
        Shapes::Bounded bound;
        BRepAlgoAPI_Fuse fuse(level[i], level[i + 1], bound.Range());
        if (bound.Stopped() || !fuse.IsDone() || fuse.HasErrors()) return false;
        // Facets of one plane merged: the fewest faces for what follows.
        ShapeUpgrade_UnifySameDomain unify(fuse.Shape(), Standard_True, Standard_True, Standard_False);
        unify.Build();
        next.push_back(unify.Shape());
      }
      level.swap(next);
    }
    *united = level.front();
    return Shapes::IsSolid(*united);
  } catch (const Standard_Failure&) {
    return false;
  }
}

}  // namespace

int MakeWheelSweep(const std::vector<double>& section, const std::vector<WheelPlace>& places, double offset,
                   int* body) {
  Bodies::Clock clock;
  if (body == nullptr) return ZV_ERROR_bad_value;
  *body = 0;
  if (section.size() < 6 || section.size() % 2 != 0 || places.empty()) return ZV_ERROR_bad_value;
  for (std::size_t i = 1; i < section.size(); i += 2)
    if (!(section[i] > 0)) return ZV_ERROR_bad_value;
  for (const WheelPlace& place : places)
    if (place.axis[0] == 0 && place.axis[1] == 0 && place.axis[2] == 0) return ZV_ERROR_bad_value;
  // One place: the tire itself. Several: the modeller's booleans cannot be
  // trusted with equal revolved surfaces whose axes cross (two positions of
  // one tread), so the positions are faceted.
  TopoDS_Shape tire;
  if (!(places.size() == 1 ? Revolution(section, &tire) : Faceted(section, kSegments, &tire)))
    return ZV_ERROR_geometry;
  if (offset > 0) {
    TopoDS_Shape grown;
    if (Shapes::Offset(tire, offset, 0, &grown) != Shapes::Outcome::Done || !Shapes::IsSolid(grown))
      return ZV_ERROR_geometry;
    tire = grown;
  }
  std::vector<TopoDS_Shape> solids;
  for (std::size_t i = 0; i < places.size(); ++i) {
    // A wheel standing still between positions adds nothing.
    const WheelPlace& place = places[i];
    if (i > 0 && std::equal(place.centre, place.centre + 3, places[i - 1].centre) &&
        std::equal(place.axis, place.axis + 3, places[i - 1].axis))
      continue;
    solids.push_back(Placed(tire, place));
  }
  TopoDS_Shape united = solids.front();
  if (solids.size() > 1 && !Unite(solids, &united)) return ZV_ERROR_geometry;
  *body = Bodies::NewBody(BodyType::Solid, united);
  return 0;
}

int MinimumDistance(int first, int second, double* distance, double onFirst[3], double onSecond[3]) {
  Bodies::Clock clock;
  const TopoDS_Shape* a = Bodies::ShapeOf(first);
  const TopoDS_Shape* b = Bodies::ShapeOf(second);
  if (a == nullptr || b == nullptr) return ZV_ERROR_bad_tag;
  if (distance == nullptr) return ZV_ERROR_bad_value;
  try {
    BRepExtrema_DistShapeShape measured(*a, *b);
    if (!measured.IsDone() || measured.NbSolution() < 1) return ZV_ERROR_geometry;
    *distance = measured.Value();
    const gp_Pnt p = measured.PointOnShape1(1), q = measured.PointOnShape2(1);
    if (onFirst != nullptr) onFirst[0] = p.X(), onFirst[1] = p.Y(), onFirst[2] = p.Z();
    if (onSecond != nullptr) onSecond[0] = q.X(), onSecond[1] = q.Y(), onSecond[2] = q.Z();
    return 0;
  } catch (const Standard_Failure&) {
    return ZV_ERROR_geometry;
  }
}

}  // namespace KTX::Kernel::Modelling
