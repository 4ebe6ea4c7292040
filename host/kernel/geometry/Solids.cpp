#include "kernel/geometry/Modelling.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_MakeSolid.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepFilletAPI_MakeChamfer.hxx>
#include <BRepLProp_SLProps.hxx>
#include <BRepOffsetAPI_MakeOffset.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRepTools.hxx>
#include <BRepTools_WireExplorer.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <GCPnts_TangentialDeflection.hxx>
#include <GeomAPI_PointsToBSpline.hxx>
#include <GeomAdaptor_Curve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Standard_Failure.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Shell.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax2.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>

#include "kernel/geometry/BodyShapes.hpp"
#include "kernel/geometry/Faults.hpp"
#include "kernel/geometry/Shapes.hpp"

namespace KTX::Kernel::Modelling {
namespace {

// Points this close (kernel units) are one point.
constexpr double kSame = 1.0e-9;
// Points of a curved edge or face boundary a description gives.
constexpr int kCurveSamples = 8;

// Lengths beyond this (kernel units: ten kilometres) are no model's: a
// value that large, infinite or not a number is refused before the modeller
// sees it.
constexpr double kFarthest = 1.0e4;

bool usable(double value) { return std::isfinite(value) && std::fabs(value) <= kFarthest; }
bool usable(const std::vector<double>& values) {
  return std::all_of(values.begin(), values.end(), [](double v) { return usable(v); });
}

// Newell's normal of a loop (twice its area's length).
gp_XYZ areaNormal(const std::vector<double>& loop) {
  gp_XYZ sum(0, 0, 0);
  const std::size_t n = loop.size() / 3;
  for (std::size_t i = 0; i < n; ++i) {
    const std::size_t j = (i + 1) % n;
    sum += gp_XYZ(loop[3 * i], loop[3 * i + 1], loop[3 * i + 2]) ^ gp_XYZ(loop[3 * j], loop[3 * j + 1], loop[3 * j + 2]);
  }
  return sum;
}

// The planar face the loops bound, in the plane of the largest.
bool regionOf(const std::vector<std::vector<double>>& loops, TopoDS_Shape* face, gp_XYZ* normal) {
  std::size_t outer = 0;
  for (std::size_t i = 0; i < loops.size(); ++i) {
    if (loops[i].size() < 9) return false;
    if (areaNormal(loops[i]).Modulus() > areaNormal(loops[outer]).Modulus()) outer = i;
  }
  if (loops.empty()) return false;
  const gp_XYZ n = areaNormal(loops[outer]);
  if (n.Modulus() <= kSame * kSame) return false;
  const double point[3] = {loops[outer][0], loops[outer][1], loops[outer][2]};
  const double direction[3] = {n.X(), n.Y(), n.Z()};
  if (!Shapes::PlanarFace(loops, point, direction, face)) return false;
  *normal = n.Normalized();
  return true;
}

TopoDS_Shape moved(const TopoDS_Shape& shape, const gp_Vec& by) {
  gp_Trsf move;
  move.SetTranslation(by);
  return BRepBuilderAPI_Transform(shape, move, Standard_True).Shape();
}

// The corners of a wire in the order it runs (curved edges sampled).
std::vector<double> wirePoints(const TopoDS_Wire& wire, const TopoDS_Face* face) {
  std::vector<double> out;
  BRepTools_WireExplorer walk;
  if (face != nullptr)
    walk.Init(wire, *face);
  else
    walk.Init(wire);
  for (; walk.More(); walk.Next()) {
    const TopoDS_Edge& edge = walk.Current();
    if (BRep_Tool::Degenerated(edge)) continue;
    BRepAdaptor_Curve curve(edge);
    const bool line = curve.GetType() == GeomAbs_Line;
    const int steps = line ? 1 : kCurveSamples;
    const bool reversed = edge.Orientation() == TopAbs_REVERSED;
    for (int i = 0; i < steps; ++i) {
      const double s = static_cast<double>(i) / steps;
      const double t = reversed ? curve.LastParameter() - s * (curve.LastParameter() - curve.FirstParameter())
                                : curve.FirstParameter() + s * (curve.LastParameter() - curve.FirstParameter());
      const gp_Pnt p = curve.Value(t);
      out.insert(out.end(), {p.X(), p.Y(), p.Z()});
    }
  }
  return out;
}

std::vector<double> edgePoints(const TopoDS_Edge& edge) {
  BRepAdaptor_Curve curve(edge);
  const int steps = curve.GetType() == GeomAbs_Line ? 1 : kCurveSamples;
  std::vector<double> out;
  for (int i = 0; i <= steps; ++i) {
    const gp_Pnt p = curve.Value(curve.FirstParameter() + (curve.LastParameter() - curve.FirstParameter()) * i / steps);
    out.insert(out.end(), {p.X(), p.Y(), p.Z()});
  }
  return out;
}

// Distance of p from the segment a-b.
double fromSegment(const gp_Pnt& p, const gp_Pnt& a, const gp_Pnt& b) {
  const gp_Vec ab(a, b), ap(a, p);
  const double length2 = ab.SquareMagnitude();
  if (length2 <= 0) return p.Distance(a);
  const double t = std::clamp(ap.Dot(ab) / length2, 0.0, 1.0);
  return p.Distance(a.Translated(t * ab));
}

// The loop's sides moved `outward` (from the region the loop bounds about
// its normal), each corner where its two sides' lines cross; false when a
// side would turn round (it vanishes) or the loop no longer bounds a valid
// face.
bool sharpOffset(const std::vector<double>& loop, const gp_Dir& normal, double outward, std::vector<double>* out) {
  const std::size_t n = loop.size() / 3;
  auto at = [&](std::size_t i) {
    i %= n;
    return gp_XYZ(loop[3 * i], loop[3 * i + 1], loop[3 * i + 2]);
  };
  std::vector<gp_XYZ> corners(n);
  for (std::size_t j = 0; j < n; ++j) {
    // Sides j-1 (into corner j) and j (out of it), moved out.
    const gp_XYZ a = at(j + n - 1), p = at(j), b = at(j + 1);
    gp_XYZ t0 = p - a, t1 = b - p;
    if (t0.Modulus() <= kSame || t1.Modulus() <= kSame) return false;
    t0.Normalize();
    t1.Normalize();
    const gp_XYZ o0 = t0 ^ normal.XYZ(), o1 = t1 ^ normal.XYZ();
    const gp_XYZ q0 = p + outward * o0, q1 = p + outward * o1;
    // q0 + s t0 = q1 + u t1 in the plane: s from the cross products.
    const double turn = (t0 ^ t1) * normal.XYZ();
    if (std::fabs(turn) <= 1.0e-12) {
      if (t0 * t1 < 0) return false;  // the loop turns back on itself
      corners[j] = q1;
      continue;
    }
    const double s = ((q1 - q0) ^ t1) * normal.XYZ() / turn;
    corners[j] = q0 + s * t0;
  }
  for (std::size_t i = 0; i < n; ++i) {
    const gp_XYZ side = corners[(i + 1) % n] - corners[i];
    if (side * (at(i + 1) - at(i)) <= 0) return false;  // the side turned round
  }
  out->clear();
  for (const gp_XYZ& c : corners) out->insert(out->end(), {c.X(), c.Y(), c.Z()});
  TopoDS_Shape face;
  gp_XYZ unused;
  return regionOf({*out}, &face, &unused) && BRepCheck_Analyzer(face).IsValid();
}

}  // namespace

int MakeExtrusion(const std::vector<std::vector<double>>& loops, const double direction[3], double start, double end,
                  bool sheet, int* body) {
  Bodies::Clock clock;
  if (body == nullptr || direction == nullptr) return ZV_ERROR_bad_value;
  *body = 0;
  for (const std::vector<double>& loop : loops)
    if (!usable(loop)) return ZV_ERROR_bad_value;
  if (!usable(start) || !usable(end) || !usable({direction[0], direction[1], direction[2]})) return ZV_ERROR_bad_value;
  const gp_Vec d(direction[0], direction[1], direction[2]);
  if (loops.empty() || d.Magnitude() <= kSame || std::fabs(end - start) <= kSame) return ZV_ERROR_bad_value;
  try {
    KTX_GUARDED;
    TopoDS_Shape face;
    gp_XYZ normal;
    if (!regionOf(loops, &face, &normal)) return ZV_ERROR_geometry;
    const gp_Vec unit = d.Normalized();
    if (std::fabs(unit.XYZ() * normal) <= 1.0e-9) return ZV_ERROR_geometry;  // swept along its own plane
    TopoDS_Shape base = moved(face, std::min(start, end) * unit);
    const gp_Vec path = std::fabs(end - start) * unit;
    TopoDS_Shape made;
    if (sheet) {
      BRep_Builder builder;
      TopoDS_Compound walls;
      builder.MakeCompound(walls);
      for (TopExp_Explorer wire(base, TopAbs_WIRE); wire.More(); wire.Next()) {
        BRepPrimAPI_MakePrism prism(wire.Current(), path, Standard_True);
        if (!prism.IsDone()) return ZV_ERROR_geometry;
        builder.Add(walls, prism.Shape());
      }
      made = walls;
    } else {
      const double p[3] = {path.X(), path.Y(), path.Z()};
      if (!Shapes::Prism(base, p, &made)) return ZV_ERROR_geometry;
    }
    *body = Bodies::Make(sheet ? BodyType::Sheet : BodyType::Solid, made);
    return 0;
  } catch (const Standard_Failure&) {
    return ZV_ERROR_geometry;
  }
}

namespace {
int offsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result);
}  // namespace

int OffsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result) {
  Bodies::Clock clock;
  return offsetLoop(loop, outward, result);
}

namespace {
int offsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result) {
  if (result == nullptr || loop.size() < 9 || !usable(loop) || !usable(outward)) return ZV_ERROR_bad_value;
  result->clear();
  try {
    KTX_GUARDED;
    TopoDS_Shape face;
    gp_XYZ normal;
    if (!regionOf({loop}, &face, &normal)) return ZV_ERROR_geometry;
    if (std::fabs(outward) <= kSame) {
      *result = loop;
      return 0;
    }
    // Every side moved out along its own normal, neighbours meeting where
    // their lines cross: when no side turns round and the loop still bounds
    // a valid face, that is the offset with sharp corners.
    if (std::vector<double> sharp; sharpOffset(loop, gp_Dir(normal), outward, &sharp)) {
      *result = std::move(sharp);
      return 0;
    }
    // A side that vanishes changes the loop's make-up: the modeller's offset.
    BRepOffsetAPI_MakeOffset offset(TopoDS::Face(face), GeomAbs_Intersection);
    offset.Perform(outward);
    if (!offset.IsDone()) return ZV_ERROR_geometry;
    TopExp_Explorer wires(offset.Shape(), TopAbs_WIRE);
    if (!wires.More()) return ZV_ERROR_geometry;
    std::vector<double> points = wirePoints(TopoDS::Wire(wires.Current()), nullptr);
    wires.Next();
    if (wires.More() || points.size() < 9) return ZV_ERROR_geometry;  // split apart, or nothing left
    // The same way round as the loop it came from.
    if (areaNormal(points) * normal < 0)
      for (std::size_t i = 0, j = points.size() - 3; i < j; i += 3, j -= 3)
        for (int k = 0; k < 3; ++k) std::swap(points[i + k], points[j + k]);
    // Begin at the corner nearest the loop's first, so that a curve and its
    // offset start alike.
    const gp_Pnt first(loop[0], loop[1], loop[2]);
    std::size_t nearest = 0;
    for (std::size_t i = 0; i < points.size(); i += 3)
      if (first.Distance(gp_Pnt(points[i], points[i + 1], points[i + 2])) <
          first.Distance(gp_Pnt(points[nearest], points[nearest + 1], points[nearest + 2])))
        nearest = i;
    std::rotate(points.begin(), points.begin() + static_cast<long>(nearest), points.end());
    *result = std::move(points);
    return 0;
  } catch (const Standard_Failure&) {
    return ZV_ERROR_geometry;
  }
}

}  // namespace

int OffsetSheet(int sheet, double distance, int* result) {
  Bodies::Clock clock;
  if (result == nullptr) return ZV_ERROR_bad_value;
  *result = 0;
  const TopoDS_Shape* shape = Bodies::Of(sheet);
  if (shape == nullptr || !usable(distance)) return ZV_ERROR_bad_value;
  TopoDS_Shape made;
  if (std::fabs(distance) <= kSame) {
    made = Shapes::Copy(*shape);
  } else if (Shapes::Offset(*shape, distance, 1.0e-7, &made) != Shapes::Outcome::Done) {
    return ZV_ERROR_geometry;
  }
  *result = Bodies::Make(BodyType::Sheet, made);
  return 0;
}

int MakeBoxSheet(const double origin[3], const double matrix[9], const double low[3], const double high[3],
                 int* sheet) {
  Bodies::Clock clock;
  if (sheet == nullptr) return ZV_ERROR_bad_value;
  *sheet = 0;
  for (int k = 0; k < 3; ++k)
    if (!(high[k] - low[k] > kSame) || !usable(low[k]) || !usable(high[k]) || !usable(origin[k])) return ZV_ERROR_bad_value;
  try {
    KTX_GUARDED;
    const gp_Dir x(matrix[0], matrix[1], matrix[2]), z(matrix[6], matrix[7], matrix[8]);
    const gp_Dir y(matrix[3], matrix[4], matrix[5]);
    const gp_Pnt corner(origin[0] + low[0] * x.X() + low[1] * y.X() + low[2] * z.X(),
                        origin[1] + low[0] * x.Y() + low[1] * y.Y() + low[2] * z.Y(),
                        origin[2] + low[0] * x.Z() + low[1] * y.Z() + low[2] * z.Z());
    BRepPrimAPI_MakeBox box(gp_Ax2(corner, z, x), high[0] - low[0], high[1] - low[1], high[2] - low[2]);
    *sheet = Bodies::Make(BodyType::Sheet, box.Shell());
    return 0;
  } catch (const Standard_Failure&) {
    return ZV_ERROR_geometry;
  }
}

int Combine(int target, int tool, bool subtract) {
  Bodies::Clock clock;
  const TopoDS_Shape* shape = Bodies::Of(target);
  const TopoDS_Shape* with = Bodies::Of(tool);
  if (shape == nullptr || with == nullptr || target == tool) return ZV_ERROR_bad_value;
  TopoDS_Shape made;
  const auto outcome = Shapes::Boolean(*shape, {Shapes::Copy(*with)},
                                       subtract ? Shapes::Operation::Subtract : Shapes::Operation::Unite, &made);
  if (outcome != Shapes::Outcome::Done) return ZV_ERROR_geometry;
  Bodies::Set(target, made);
  Bodies::Drop(tool);
  return 0;
}

namespace {

struct Matched {
  TopoDS_Edge edge;
  TopoDS_Face faces[2];
  gp_Pnt ends[2];
};

gp_Dir planeNormal(const TopoDS_Face& face, bool* planar) {
  BRepAdaptor_Surface surface(face);
  *planar = surface.GetType() == GeomAbs_Plane;
  if (!*planar) return gp_Dir(0, 0, 1);
  gp_Dir n = surface.Plane().Axis().Direction();
  if (face.Orientation() == TopAbs_REVERSED) n.Reverse();
  return n;
}

// The side of the edge a face lies on: the unit vector square to the edge in
// the face's plane, pointing into the face.
bool intoFace(const Matched& m, const TopoDS_Face& face, gp_Vec* into) {
  bool planar = false;
  const gp_Dir n = planeNormal(face, &planar);
  if (!planar) return false;
  const gp_Vec along(m.ends[0], m.ends[1]);
  if (along.Magnitude() <= kSame) return false;
  gp_Vec v = gp_Vec(n).Crossed(along).Normalized();
  const gp_Pnt middle((m.ends[0].XYZ() + m.ends[1].XYZ()) / 2);
  const double step = 1.0e-5;
  BRepClass_FaceClassifier inside(face, middle.Translated(step * v), 1.0e-7);
  if (inside.State() != TopAbs_IN) {
    BRepClass_FaceClassifier other(face, middle.Translated(-step * v), 1.0e-7);
    if (other.State() != TopAbs_IN) return false;
    v.Reverse();
  }
  *into = v;
  return true;
}

// The matched edges chained into closed loops (corner points in order) and
// the edges in the same order; false when a chain does not close.
bool chains(const std::vector<Matched>& matched, double tolerance, std::vector<std::vector<const Matched*>>* loops) {
  std::vector<bool> used(matched.size(), false);
  for (std::size_t first = 0; first < matched.size(); ++first) {
    if (used[first]) continue;
    used[first] = true;
    std::vector<const Matched*> loop{&matched[first]};
    gp_Pnt end = matched[first].ends[1];
    const gp_Pnt start = matched[first].ends[0];
    while (end.Distance(start) > tolerance) {
      bool found = false;
      for (std::size_t i = 0; i < matched.size() && !found; ++i) {
        if (used[i]) continue;
        for (int side = 0; side < 2 && !found; ++side)
          if (matched[i].ends[side].Distance(end) <= tolerance) {
            used[i] = true;
            loop.push_back(&matched[i]);
            end = matched[i].ends[1 - side];
            found = true;
          }
      }
      if (!found) return false;
    }
    loops->push_back(std::move(loop));
  }
  return true;
}

// A chamfer round a closed loop of edges between a face in the loop's plane
// (`first` measured on it) and walls that all run one way (`second` measured
// along them that way: square to the loop, or leaning from it where the loop
// lies tilted across walls swept straight), made as the wedge between the
// loop's planes: the ruled solid from the loop offset by `first` in its plane
// to the loop moved `second` along the walls, less (or, offset inward,
// within) the loop's own prism; united with the body where the edges are
// hollow, taken from it where they stand out.
bool loopChamfer(const TopoDS_Shape& shape, const std::vector<const Matched*>& loop, double first, double second,
                 double tolerance, TopoDS_Shape* result) {
  std::vector<double> corners;
  gp_Pnt end = loop.front()->ends[0];
  for (const Matched* m : loop) {
    corners.insert(corners.end(), {end.X(), end.Y(), end.Z()});
    end = m->ends[0].Distance(end) <= tolerance ? m->ends[1] : m->ends[0];
  }
  const gp_XYZ area = areaNormal(corners);
  if (area.Modulus() <= kSame * kSame || loop.size() < 3) return false;
  const gp_Dir normal(area);
  // Each edge: its face in the plane and its wall, and which way each lies.
  // The edges' sides are told at the longest edge: a short one leaves the
  // face classifier too little of its faces to step into.
  const Matched& m = **std::max_element(loop.begin(), loop.end(), [](const Matched* a, const Matched* b) {
    return a->ends[0].Distance(a->ends[1]) < b->ends[0].Distance(b->ends[1]);
  });
  bool planar[2];
  const gp_Dir n0 = planeNormal(m.faces[0], &planar[0]), n1 = planeNormal(m.faces[1], &planar[1]);
  if (!planar[0] || !planar[1]) return false;
  const int flat = std::fabs(n0.Dot(normal)) > std::fabs(n1.Dot(normal)) ? 0 : 1;
  std::vector<gp_Dir> walls;
  for (const Matched* each : loop) {
    bool a = false, b = false;
    const gp_Dir f = planeNormal(each->faces[0], &a), g = planeNormal(each->faces[1], &b);
    if (!a || !b) return false;
    const gp_Dir& flatNormal = std::fabs(f.Dot(normal)) > std::fabs(g.Dot(normal)) ? f : g;
    const gp_Dir& wallNormal = std::fabs(f.Dot(normal)) > std::fabs(g.Dot(normal)) ? g : f;
    if (std::fabs(flatNormal.Dot(normal)) < 1 - 1.0e-9) return false;
    walls.push_back(wallNormal);
  }
  // The way the walls run: square to every wall's normal. Walls square to
  // the loop run along its normal; a loop lying tilted across walls swept
  // one way finds that way from two walls that are not parallel.
  gp_Vec way(normal);
  for (std::size_t i = 0; i < walls.size(); ++i) {
    if (std::fabs(walls[i].Dot(normal)) <= 1.0e-9) continue;
    for (std::size_t j = 0; j < walls.size(); ++j) {
      const gp_Vec across = gp_Vec(walls[i]).Crossed(gp_Vec(walls[j]));
      if (across.Magnitude() > 1.0e-6) {
        way = across.Normalized();
        break;
      }
    }
    break;
  }
  // Every wall must run that way, and that way must leave the loop's plane.
  for (const gp_Dir& wall : walls)
    if (std::fabs(gp_Vec(wall).Dot(way)) > 1.0e-9) return false;
  if (std::fabs(way.Dot(gp_Vec(normal))) < 1.0e-3) return false;
  gp_Vec inFlat, inWall;
  if (!intoFace(m, m.faces[flat], &inFlat) || !intoFace(m, m.faces[1 - flat], &inWall)) return false;
  // Down the walls, the side that edge's wall lies on.
  const gp_Vec down = way.Dot(inWall) > 0 ? way : -way;
  // Outward from the loop in its plane at that edge, which runs from its
  // corner to the next.
  const std::size_t k = 3 * static_cast<std::size_t>(std::find(loop.begin(), loop.end(), &m) - loop.begin());
  const std::size_t l = (k + 3) % corners.size();
  const gp_Vec along(gp_Pnt(corners[k], corners[k + 1], corners[k + 2]),
                     gp_Pnt(corners[l], corners[l + 1], corners[l + 2]));
  const bool outward = along.Crossed(gp_Vec(normal)).Dot(inFlat) > 0;
  std::vector<double> wider;
  if (offsetLoop(corners, outward ? first : -first, &wider) != 0) return false;
  std::vector<double> moved = corners;
  for (std::size_t i = 0; i < moved.size(); ++i) moved[i] += second * down.Coord(static_cast<int>(i % 3) + 1);
  if (wider.size() != corners.size()) return false;
  // The wedge's faces, three a side: the chamfer, its part of the face in the
  // loop's plane and its part of the wall, each a planar quadrilateral.
  auto at = [](const std::vector<double>& points, std::size_t i) {
    const std::size_t k = 3 * (i % (points.size() / 3));
    return gp_Pnt(points[k], points[k + 1], points[k + 2]);
  };
  BRepBuilderAPI_Sewing sewing(tolerance);
  const std::size_t n = corners.size() / 3;
  for (std::size_t i = 0; i < n; ++i) {
    const std::array<std::array<gp_Pnt, 4>, 3> quads = {
        std::array<gp_Pnt, 4>{at(wider, i), at(wider, i + 1), at(moved, i + 1), at(moved, i)},
        std::array<gp_Pnt, 4>{at(corners, i), at(corners, i + 1), at(wider, i + 1), at(wider, i)},
        std::array<gp_Pnt, 4>{at(corners, i), at(corners, i + 1), at(moved, i + 1), at(moved, i)}};
    for (const auto& quad : quads) {
      BRepBuilderAPI_MakePolygon polygon(quad[0], quad[1], quad[2], quad[3], Standard_True);
      BRepBuilderAPI_MakeFace face(polygon.Wire(), Standard_True);
      if (!face.IsDone()) return false;
      sewing.Add(face.Face());
    }
  }
  sewing.Perform();
  TopoDS_Shape wedge;
  {
    TopExp_Explorer shell(sewing.SewedShape(), TopAbs_SHELL);
    if (!shell.More()) return false;
    BRepBuilderAPI_MakeSolid solid(TopoDS::Shell(shell.Current()));
    if (!solid.IsDone()) return false;
    wedge = solid.Solid();
    if (Shapes::Volume(wedge) < 0) wedge.Reverse();
  }
  // Hollow edges get the wedge; edges that stand out lose it. An edge is
  // hollow where its wall runs off on the outer side of the face in the
  // loop's plane. That is told by the two faces at the edge alone: a point
  // inside the wedge may lie in some other part of the body (a long leg
  // reaches into the base the wall stands on, or ends on its face) and
  // would take a hollow edge for one that stands out. A sheet has no outer
  // side and always gets the wedge.
  const gp_Dir& flatOut = flat == 0 ? n0 : n1;
  const bool hollow = !Shapes::IsSolid(shape) || down.Dot(gp_Vec(flatOut)) > 0;
  return Shapes::Boolean(shape, {wedge}, hollow ? Shapes::Operation::Unite : Shapes::Operation::Subtract, result) ==
         Shapes::Outcome::Done;
}

// The normal of the plane all the edges lie in, within the tolerance; a
// null vector when they lie in none (or on one line).
gp_Vec planeOfEdges(const std::vector<Matched>& all, double tolerance) {
  std::vector<gp_Pnt> ends;
  for (const Matched& each : all) ends.insert(ends.end(), {each.ends[0], each.ends[1]});
  if (ends.empty()) return gp_Vec();
  // The plane through the first end, the end farthest from it and the end
  // farthest from the line through those two.
  std::size_t far = 0;
  for (std::size_t i = 1; i < ends.size(); ++i)
    if (ends[0].Distance(ends[i]) > ends[0].Distance(ends[far])) far = i;
  const gp_Vec line(ends[0], ends[far]);
  gp_Vec across;
  for (const gp_Pnt& p : ends) {
    const gp_Vec v = line.Crossed(gp_Vec(ends[0], p));
    if (v.SquareMagnitude() > across.SquareMagnitude()) across = v;
  }
  if (across.Magnitude() <= kSame * kSame) return gp_Vec();
  const gp_Vec normal = across.Normalized();
  for (const gp_Pnt& p : ends)
    if (std::fabs(gp_Vec(ends[0], p).Dot(normal)) > tolerance) return gp_Vec();
  return normal;
}

// Which of the edge's two faces takes a chamfer's first length: when all
// the edges lie in one plane (`plane` its normal, else null), the face in
// that plane; else the face it shares with an edge that meets it end to
// end; else its first face.
int flatSide(const Matched& m, const std::vector<Matched>& all, const gp_Vec& plane, double tolerance) {
  for (int side = 0; plane.Magnitude() > 0 && side < 2; ++side) {
    bool planar = false;
    const gp_Dir n = planeNormal(m.faces[side], &planar);
    if (planar && n.IsParallel(gp_Dir(plane), 1.0e-6)) return side;
  }
  for (const Matched& other : all) {
    if (&other == &m) continue;
    bool meets = false;
    for (const gp_Pnt& a : m.ends)
      for (const gp_Pnt& b : other.ends) meets = meets || a.Distance(b) <= tolerance;
    if (!meets) continue;
    for (int side = 0; side < 2; ++side)
      for (const TopoDS_Face& face : other.faces)
        if (face.IsSame(m.faces[side]) && !face.IsSame(m.faces[1 - side])) return side;
  }
  return 0;
}

// The given edges as segments between their ends, where two straight ones
// meet end to end in one line (a profile drawn with a point on a side) made
// one: the modeller merges such a side's faces, and so its edges, and an
// edge of the body is found only along one segment.
std::vector<std::array<gp_Pnt, 2>> joinedSegments(const std::vector<std::vector<double>>& edges, double tolerance) {
  std::vector<std::array<gp_Pnt, 2>> segments;
  std::vector<bool> straight;
  // The ends a joined segment has taken in: each must stay within the
  // tolerance of it, or a run of chords round a smooth curve, each nearly in
  // line with the next, would join into one segment far from its middle
  // chords, which then match no segment and break the loop.
  std::vector<std::vector<gp_Pnt>> within;
  for (const std::vector<double>& e : edges) {
    if (e.size() < 6) continue;
    const gp_Pnt s(e[0], e[1], e[2]), t(e[e.size() - 3], e[e.size() - 2], e[e.size() - 1]);
    bool line = s.Distance(t) > tolerance;
    for (std::size_t i = 3; line && i + 3 < e.size(); i += 3)
      line = fromSegment(gp_Pnt(e[i], e[i + 1], e[i + 2]), s, t) <= tolerance;
    segments.push_back({s, t});
    straight.push_back(line);
    within.emplace_back();
  }
  // How many segments end at a point: only a point two of them share is a
  // point on a side; where three or more meet the sides stay apart.
  auto ending = [&](const gp_Pnt& p) {
    int n = 0;
    for (const auto& segment : segments) n += (segment[0].Distance(p) <= tolerance) + (segment[1].Distance(p) <= tolerance);
    return n;
  };
  for (bool joined = true; joined;) {
    joined = false;
    for (std::size_t i = 0; i < segments.size() && !joined; ++i)
      for (std::size_t j = i + 1; j < segments.size() && !joined; ++j) {
        if (!straight[i] || !straight[j]) continue;
        for (int a = 0; a < 2 && !joined; ++a)
          for (int b = 0; b < 2 && !joined; ++b) {
            const gp_Pnt& shared = segments[i][a];
            if (shared.Distance(segments[j][b]) > tolerance) continue;
            const gp_Pnt s = segments[i][1 - a], t = segments[j][1 - b];
            // One line: the shared end lies on the joined segment, between its ends.
            if (fromSegment(shared, s, t) > tolerance || ending(shared) != 2) continue;
            const auto off = [&](const gp_Pnt& p) { return fromSegment(p, s, t) > tolerance; };
            if (std::any_of(within[i].begin(), within[i].end(), off) ||
                std::any_of(within[j].begin(), within[j].end(), off))
              continue;
            segments[i] = {s, t};
            within[i].push_back(shared);
            within[i].insert(within[i].end(), within[j].begin(), within[j].end());
            segments.erase(segments.begin() + static_cast<long>(j));
            straight.erase(straight.begin() + static_cast<long>(j));
            within.erase(within.begin() + static_cast<long>(j));
            joined = true;
          }
      }
  }
  return segments;
}

}  // namespace

int ChamferEdges(int body, const std::vector<std::vector<double>>& edges, double first, double second,
                 double tolerance, int* chamfered) {
  Bodies::Clock clock;
  if (chamfered == nullptr) return ZV_ERROR_bad_value;
  *chamfered = 0;
  const TopoDS_Shape* shape = Bodies::Of(body);
  if (shape == nullptr || !(first >= 0) || !(second >= 0) || !usable(first) || !usable(second))
    return ZV_ERROR_bad_value;
  for (const std::vector<double>& edge : edges)
    if (!usable(edge)) return ZV_ERROR_bad_value;
  // A chamfer no wider than the tolerance is no change the body can show,
  // and a wedge that thin is more than the modeller's booleans can take.
  if (first <= tolerance || second <= tolerance) return 0;
  try {
    KTX_GUARDED;
    Bodies::StepForTests("guarded", nullptr);
    const std::vector<std::array<gp_Pnt, 2>> segments = joinedSegments(edges, tolerance);
    TopTools_IndexedDataMapOfShapeListOfShape faces;
    TopExp::MapShapesAndAncestors(*shape, TopAbs_EDGE, TopAbs_FACE, faces);
    std::vector<Matched> matched;
    for (int i = 1; i <= faces.Extent(); ++i) {
      const TopoDS_Edge& edge = TopoDS::Edge(faces.FindKey(i));
      if (BRep_Tool::Degenerated(edge) || faces.FindFromIndex(i).Extent() != 2) continue;
      TopoDS_Vertex a, b;
      TopExp::Vertices(edge, a, b);
      const gp_Pnt pa = BRep_Tool::Pnt(a), pb = BRep_Tool::Pnt(b);
      const bool along = std::any_of(segments.begin(), segments.end(), [&](const std::array<gp_Pnt, 2>& e) {
        return fromSegment(pa, e[0], e[1]) <= tolerance && fromSegment(pb, e[0], e[1]) <= tolerance;
      });
      if (!along) continue;
      matched.push_back(Matched{edge,
                                {TopoDS::Face(faces.FindFromIndex(i).First()), TopoDS::Face(faces.FindFromIndex(i).Last())},
                                {pa, pb}});
    }
    if (matched.empty()) return 0;
    TopoDS_Shape made;
    std::vector<std::vector<const Matched*>> loops;
    bool done = chains(matched, tolerance, &loops);
    if (done) {
      made = *shape;
      for (const auto& loop : loops) {
        TopoDS_Shape next;
        if (!(done = loopChamfer(made, loop, first, second, tolerance, &next))) break;
        made = next;
      }
    }
    if (!done) {
      // Anything else is the modeller's own chamfer, `first` on the face in
      // which the edge's neighbours lie when they all lie in one plane, as
      // the loop's wedge measures it: the modeller measures its first
      // length on the face it is given.
      BRepFilletAPI_MakeChamfer chamfer(*shape);
      const gp_Vec plane = planeOfEdges(matched, tolerance);
      for (const Matched& m : matched)
        chamfer.Add(first, second, m.edge, m.faces[flatSide(m, matched, plane, tolerance)]);
      chamfer.Build();
      if (!chamfer.IsDone()) return ZV_ERROR_geometry;
      made = chamfer.Shape();
    }
    if (Shapes::IsSolid(*shape) && !(Shapes::Volume(made) > 0)) return ZV_ERROR_geometry;
    Bodies::Set(body, made);
    *chamfered = static_cast<int>(matched.size());
    return 0;
  } catch (const Standard_Failure&) {
    return ZV_ERROR_geometry;
  }
}

namespace {

// Points a fit is made through: about this many along the whole polyline,
// and every corner of it.
constexpr int kFitSamples = 256;

// Whether every point of the polyline `from` lies within `tolerance` of the
// polyline `to` (both as sides between their points). A piece of a side is
// near enough when its middle lies within the tolerance less half its
// length; otherwise it is halved, down to a thousandth of the tolerance,
// below which it is taken as too far: a doubt keeps the input.
bool liesWithin(const std::vector<gp_Pnt>& from, const std::vector<gp_Pnt>& to, double tolerance) {
  std::size_t hint = 0;
  // Whether q lies within `reach` of `to`; *nearest its distance when it does not.
  auto near = [&](const gp_Pnt& q, double reach, double* nearest) {
    *nearest = HUGE_VAL;
    const std::size_t n = to.size();
    for (std::size_t k = 0; k + 1 < n; ++k) {
      const std::size_t i = (hint + k) % (n - 1);
      const double d = fromSegment(q, to[i], to[i + 1]);
      if (d <= reach) {
        hint = i;
        return true;
      }
      *nearest = std::min(*nearest, d);
    }
    return n == 1 && (*nearest = q.Distance(to[0])) <= reach;
  };
  for (std::size_t i = 0; i + 1 < from.size(); ++i) {
    std::vector<std::array<gp_Pnt, 2>> pieces{{from[i], from[i + 1]}};
    while (!pieces.empty()) {
      const auto [a, b] = pieces.back();
      pieces.pop_back();
      const double half = 0.5 * a.Distance(b);
      const gp_Pnt middle((a.XYZ() + b.XYZ()) / 2);
      double nearest = 0;
      if (near(middle, tolerance - half, &nearest)) continue;
      if (nearest > tolerance || half < 1.0e-3 * tolerance) return false;
      pieces.push_back({a, middle});
      pieces.push_back({middle, b});
    }
  }
  return true;
}

}  // namespace

int SmoothPoints(const std::vector<double>& points, bool closed, double tolerance, std::vector<double>* samples) {
  Bodies::Clock clock;
  if (samples == nullptr || !usable(tolerance) || tolerance < 0 || !usable(points)) return ZV_ERROR_bad_value;
  samples->clear();
  std::vector<gp_Pnt> rows;
  for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
    const gp_Pnt p(points[i], points[i + 1], points[i + 2]);
    if (rows.empty() || rows.back().Distance(p) > kSame) rows.push_back(p);
  }
  if (closed && rows.size() > 1 && rows.back().Distance(rows.front()) <= kSame) rows.pop_back();
  if (rows.size() < (closed ? 3U : 2U)) return ZV_ERROR_bad_value;
  auto give = [&](const std::vector<gp_Pnt>& made) {
    samples->clear();
    for (const gp_Pnt& p : made) samples->insert(samples->end(), {p.X(), p.Y(), p.Z()});
  };
  give(rows);  // what stands when no smoother curve keeps to the points
  // Within a bound no wider than one point, only the points themselves keep.
  if (tolerance <= kSame) return 0;
  try {
    KTX_GUARDED;
    // The path the fit follows. A closed one starts and ends in the middle
    // of its longest side: the fit's two ends meet there, on a straight run,
    // not at a corner.
    std::vector<gp_Pnt> path = rows;
    if (closed) {
      const std::size_t n = rows.size();
      std::size_t longest = 0;
      for (std::size_t i = 0; i < n; ++i)
        if (rows[i].Distance(rows[(i + 1) % n]) > rows[longest].Distance(rows[(longest + 1) % n])) longest = i;
      const gp_Pnt middle((rows[longest].XYZ() + rows[(longest + 1) % n].XYZ()) / 2);
      path = {middle};
      for (std::size_t k = 1; k <= n; ++k) path.push_back(rows[(longest + k) % n]);
      path.push_back(middle);
    }
    double length = 0;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) length += path[i].Distance(path[i + 1]);
    // The polyline itself sampled all along, its corners among the samples.
    const double step = length / kFitSamples;
    std::vector<gp_Pnt> dense;
    for (std::size_t i = 0; i + 1 < path.size(); ++i) {
      const int pieces = std::max(1, static_cast<int>(std::ceil(path[i].Distance(path[i + 1]) / step - 1.0e-9)));
      for (int k = 0; k < pieces; ++k)
        dense.emplace_back(path[i].XYZ() + (path[i + 1].XYZ() - path[i].XYZ()) * (static_cast<double>(k) / pieces));
    }
    dense.push_back(path.back());
    TColgp_Array1OfPnt through(1, static_cast<int>(dense.size()));
    for (std::size_t i = 0; i < dense.size(); ++i) through.SetValue(static_cast<int>(i) + 1, dense[i]);
    GeomAPI_PointsToBSpline fit(through, Approx_ChordLength, 3, 8, GeomAbs_C2, 0.5 * tolerance);
    if (!fit.IsDone() || fit.Curve().IsNull()) return 0;
    // The fit as a polyline: its chords within an eighth of the tolerance.
    GeomAdaptor_Curve curve(fit.Curve());
    GCPnts_TangentialDeflection sampled(curve, 0.1, tolerance / 8, 2);
    std::vector<gp_Pnt> made;
    for (int i = 1; i <= sampled.NbPoints(); ++i) {
      const gp_Pnt p = sampled.Value(i);
      if (made.empty() || made.back().Distance(p) > kSame) made.push_back(p);
    }
    if (made.size() < 2) return 0;
    if (closed) made.back() = made.front();
    // Kept only when it lies within the tolerance of the polyline and the
    // polyline within the tolerance of it, the corners included.
    if (!liesWithin(made, path, tolerance) || !liesWithin(path, made, tolerance)) return 0;
    if (closed) made.pop_back();
    if (made.size() < (closed ? 3U : 2U)) return 0;
    give(made);
    return 0;
  } catch (const Standard_Failure&) {
    samples->clear();
    return ZV_ERROR_geometry;
  }
}

bool PlaneOfBody(int body, double point[3], double normal[3]) {
  Bodies::Clock clock;
  const TopoDS_Shape* shape = Bodies::Of(body);
  if (shape == nullptr) return false;
  bool first = true;
  gp_Pln plane;
  for (TopExp_Explorer found(*shape, TopAbs_FACE); found.More(); found.Next()) {
    const TopoDS_Face& face = TopoDS::Face(found.Current());
    BRepAdaptor_Surface surface(face);
    if (surface.GetType() != GeomAbs_Plane) return false;
    gp_Pln own = surface.Plane();
    if (face.Orientation() == TopAbs_REVERSED) own.SetAxis(own.Axis().Reversed());
    if (first) {
      plane = own;
      first = false;
    } else if (!plane.Axis().Direction().IsParallel(own.Axis().Direction(), 1.0e-9) ||
               plane.Distance(own.Location()) > kSame) {
      return false;
    }
  }
  if (first) return false;
  const gp_Pnt o = plane.Location();
  const gp_Dir n = plane.Axis().Direction();
  point[0] = o.X();
  point[1] = o.Y();
  point[2] = o.Z();
  normal[0] = n.X();
  normal[1] = n.Y();
  normal[2] = n.Z();
  return true;
}

namespace {

// The most edges a face may have for the modeller's checker to look at it:
// the checker holds each vertex of a face against the face's every edge and
// each edge against the others, more than linear time in its edges (a
// shoe's flange face of 4,096 edges took it seconds).
constexpr int kCheckedFaceEdges = 256;

// What the checker works with, held in the caller's frame outside the
// guarded block: a fault in the checker's work jumps over the frames it
// ran in without running their destructors, so whatever those held (the
// map of the solid's faces, their handles on the solid's pieces, an
// explorer's stack) would stay for good, a fault at a time.
struct CheckerWork {
  std::optional<BRepCheck_Analyzer> checker;
  TopTools_IndexedMapOfShape faces;
  std::vector<int> edges;  // each face's, in the map's order
  TopoDS_Compound small;
  TopTools_IndexedMapOfShape seen;
  std::vector<std::array<int, 2>> uses;
  TopExp_Explorer shell, face, found;
};

// The modeller's checker over the solid; over each of its faces of no more
// than kCheckedFaceEdges edges (with their edges and vertices), and its
// shells' faces turned alike, when it has a face of more. Such a face
// is a prism's end on a loop its builder checked before the prism was made,
// and its edges are still checked on the side faces they bound; that every
// edge bounds two faces and the volume is positive is asked besides.
bool checkerPasses(const TopoDS_Shape& solid, CheckerWork& work) {
  // Made on a point first, which costs nothing to check, so that the
  // shape's own checking runs in a checker already in place.
  work.checker.emplace(BRepBuilderAPI_MakeVertex(gp_Pnt(0, 0, 0)).Vertex());
  TopExp::MapShapes(solid, TopAbs_FACE, work.faces);
  work.edges.assign(static_cast<std::size_t>(work.faces.Extent()), 0);
  bool large = false;
  for (int i = 1; i <= work.faces.Extent(); ++i) {
    int& edges = work.edges[static_cast<std::size_t>(i - 1)];
    for (work.found.Init(work.faces(i), TopAbs_EDGE); work.found.More(); work.found.Next()) ++edges;
    large = large || edges > kCheckedFaceEdges;
  }
  Bodies::StepForTests("faces mapped", nullptr);
  if (!large) {
    work.checker->Init(solid);
    return work.checker->IsValid();
  }
  BRep_Builder builder;
  builder.MakeCompound(work.small);
  for (int i = 1; i <= work.faces.Extent(); ++i)
    if (work.edges[static_cast<std::size_t>(i - 1)] <= kCheckedFaceEdges) builder.Add(work.small, work.faces(i));
  work.checker->Init(work.small);
  if (!work.checker->IsValid()) return false;
  // The shells' faces turned alike: each edge used once each way round by
  // the faces it bounds (the checker's own look at a shell compares every
  // face with every other).
  for (work.shell.Init(solid, TopAbs_SHELL); work.shell.More(); work.shell.Next()) {
    work.seen.Clear();
    work.uses.clear();
    for (work.face.Init(work.shell.Current(), TopAbs_FACE); work.face.More(); work.face.Next())
      for (work.found.Init(work.face.Current(), TopAbs_EDGE); work.found.More(); work.found.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(work.found.Current());
        if (BRep_Tool::Degenerated(edge)) continue;
        const int index = work.seen.Add(edge);
        if (static_cast<std::size_t>(index) > work.uses.size()) work.uses.push_back({0, 0});
        const TopAbs_Orientation way = edge.Orientation();
        if (way != TopAbs_FORWARD && way != TopAbs_REVERSED) return false;
        ++work.uses[static_cast<std::size_t>(index - 1)][way == TopAbs_FORWARD ? 0 : 1];
      }
    for (const std::array<int, 2>& use : work.uses)
      if (use[0] != 1 || use[1] != 1) return false;
  }
  return true;
}

}  // namespace

int CheckClosedSolid(int body) {
  Bodies::Clock clock;
  const TopoDS_Shape* shape = Bodies::Of(body);
  if (shape == nullptr) return 0;
  // What the checker builds and works with goes with this frame when the
  // call returns, a fault's jump back to it included (see CheckerWork).
  CheckerWork work;
  try {
    KTX_GUARDED;
    if (!Shapes::IsSolid(*shape) || !(Shapes::Volume(*shape) > 0)) return 0;
    const bool passes = checkerPasses(*shape, work);
    Bodies::StepForTests("checked", nullptr);
    return passes && Shapes::IsClosed(*shape) ? 1 : 0;
  } catch (const Standard_Failure&) {
    return -1;
  }
}

std::vector<FaceShape> DescribeFaces(int body) {
  Bodies::Clock clock;
  std::vector<FaceShape> out;
  const TopoDS_Shape* shape = Bodies::Of(body);
  if (shape == nullptr) return out;
  TopTools_IndexedMapOfShape faces;
  TopExp::MapShapes(*shape, TopAbs_FACE, faces);
  for (int i = 1; i <= faces.Extent(); ++i) {
    const TopoDS_Face& face = TopoDS::Face(faces(i));
    FaceShape described{};
    try {
      KTX_GUARDED;
      double u0, u1, v0, v1;
      BRepTools::UVBounds(face, u0, u1, v0, v1);
      BRepAdaptor_Surface surface(face);
      const gp_Pnt o = surface.Value(u0, v0), pu = surface.Value(u1, v0), pv = surface.Value(u0, v1);
      gp_Dir normal;
      if (surface.GetType() == GeomAbs_Plane) {
        normal = surface.Plane().Axis().Direction();
      } else {
        BRepLProp_SLProps props(surface, (u0 + u1) / 2, (v0 + v1) / 2, 1, 1.0e-9);
        if (props.IsNormalDefined()) normal = props.Normal();
      }
      if (face.Orientation() == TopAbs_REVERSED) normal.Reverse();
      const double row[9] = {pu.X() - o.X(), pu.Y() - o.Y(), pu.Z() - o.Z(), pv.X() - o.X(), pv.Y() - o.Y(),
                             pv.Z() - o.Z(), normal.X(), normal.Y(), normal.Z()};
      std::copy(row, row + 9, described.matrix);
      described.origin[0] = o.X();
      described.origin[1] = o.Y();
      described.origin[2] = o.Z();
      for (TopExp_Explorer wire(face, TopAbs_WIRE); wire.More(); wire.Next())
        described.loops.push_back(wirePoints(TopoDS::Wire(wire.Current()), &face));
    } catch (const Standard_Failure&) {
      // A face the modeller cannot describe keeps a zero frame (also one
      // its block filled before the fault was found).
      described = FaceShape{};
    }
    out.push_back(std::move(described));
  }
  return out;
}

bool DescribeEdges(int body, std::vector<std::vector<double>>* edges, std::vector<std::vector<int>>* faceEdges) {
  Bodies::Clock clock;
  edges->clear();
  faceEdges->clear();
  const TopoDS_Shape* shape = Bodies::Of(body);
  if (shape == nullptr) return true;
  // The faces and their edges are walked first, in a block of their own: a
  // fault there leaves nothing known of the body, and the call fails. What
  // the walk holds is held here, outside the block, so that a fault's jump
  // over the frames inside it leaves none of it behind.
  TopTools_IndexedMapOfShape all, faces;
  std::vector<std::vector<int>> byFace;
  TopExp_Explorer found;
  try {
    KTX_GUARDED_AT("walking");
    TopExp::MapShapes(*shape, TopAbs_FACE, faces);
    byFace.resize(static_cast<std::size_t>(faces.Extent()));
    for (int i = 1; i <= faces.Extent(); ++i) {
      std::vector<int>& own = byFace[static_cast<std::size_t>(i - 1)];
      for (found.Init(faces(i), TopAbs_EDGE); found.More(); found.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(found.Current());
        if (BRep_Tool::Degenerated(edge)) continue;
        // The index in *edges: edges are described in the order first met.
        const int place = all.Add(edge) - 1;
        if (std::find(own.begin(), own.end(), place) == own.end()) own.push_back(place);
      }
    }
    Bodies::StepForTests("walked", nullptr);
  } catch (const Standard_Failure&) {
    return false;
  }
  for (int i = 1; i <= all.Extent(); ++i) {
    // Taken once the block is done: one that ends in its catch has no
    // points, whatever it held.
    std::vector<double> points;
    try {
      KTX_GUARDED;
      points = edgePoints(TopoDS::Edge(all(i)));
    } catch (const Standard_Failure&) {
      points.clear();
    }
    edges->push_back(std::move(points));
  }
  *faceEdges = std::move(byFace);
  return true;
}

}  // namespace KTX::Kernel::Modelling
