#include "kernel/geometry/Shapes.hpp"

#include "kernel/geometry/BodyShapes.hpp"
#include "kernel/geometry/Faults.hpp"
#include "kernel/geometry/TimeLimit.hpp"

#include <algorithm>
#include <cmath>
#include <istream>
#include <memory>
#include <optional>
#include <ostream>
#include <utility>
#include <vector>

#include <BRepAlgoAPI_Common.hxx>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <BRepBndLib.hxx>
#include <BRepBuilderAPI_Copy.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRepBuilderAPI_Transform.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <BRepGProp.hxx>
#include <BRepOffsetAPI_MakeOffsetShape.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakePrism.hxx>
#include <BRep_Builder.hxx>
#include <BRep_Tool.hxx>
#include <Bnd_Box.hxx>
#include <GProp_GProps.hxx>
#include <IntCurvesFace_Intersector.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <Precision.hxx>
#include <STEPControl_Reader.hxx>
#include <STEPControl_Writer.hxx>
#include <StepData_Protocol.hxx>
#include <StepData_StepModel.hxx>
#include <StepData_StepWriter.hxx>
#include <ShapeFix_ShapeTolerance.hxx>
#include <ShapeUpgrade_UnifySameDomain.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedDataMapOfShapeListOfShape.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopTools_ListOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Vertex.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Wire.hxx>
#include <gp_Ax2.hxx>
#include <gp_Ax3.hxx>
#include <gp_Lin.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>

namespace KTX::Kernel::Shapes {
namespace {

// A volume this small (kernel units cubed: a thousandth of a cubic
// millimetre) is no volume: what a boolean leaves of touching faces.
constexpr double kNoVolume = 1.0e-12;
// Points of a polygon closer than this are one point.
constexpr double kSamePoint = 1.0e-9;

double dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

bool unit(const double v[3], double out[3]) {
  double n = std::sqrt(dot(v, v));
  if (!(n > 0)) return false;
  for (int i = 0; i < 3; ++i) out[i] = v[i] / n;
  return true;
}

// The polygon moved onto the plane, repeated and closing points dropped.
std::vector<gp_Pnt> projected(const std::vector<double>& points, const double point[3], const double n[3]) {
  std::vector<gp_Pnt> out;
  for (std::size_t i = 0; i + 2 < points.size(); i += 3) {
    double p[3] = {points[i], points[i + 1], points[i + 2]};
    double d[3] = {p[0] - point[0], p[1] - point[1], p[2] - point[2]};
    double h = dot(d, n);
    gp_Pnt q(p[0] - h * n[0], p[1] - h * n[1], p[2] - h * n[2]);
    if (!out.empty() && out.back().Distance(q) <= kSamePoint) continue;
    out.push_back(q);
  }
  while (out.size() > 1 && out.back().Distance(out.front()) <= kSamePoint) out.pop_back();
  return out;
}

// Twice the area the polygon encloses (Newell's normal's length).
double area(const std::vector<gp_Pnt>& polygon) {
  gp_XYZ sum(0, 0, 0);
  for (std::size_t i = 0; i < polygon.size(); ++i) sum += polygon[i].XYZ() ^ polygon[(i + 1) % polygon.size()].XYZ();
  return sum.Modulus();
}

bool faceOf(const std::vector<gp_Pnt>& polygon, const gp_Pln& plane, TopoDS_Shape* face) {
  BRepBuilderAPI_MakePolygon wire;
  for (const gp_Pnt& p : polygon) wire.Add(p);
  wire.Close();
  if (!wire.IsDone()) return false;
  BRepBuilderAPI_MakeFace made(plane, wire.Wire(), Standard_True);
  if (!made.IsDone()) return false;
  *face = made.Face();
  return true;
}

// Faces that lie in one surface merged, so that later steps see the fewest faces.
TopoDS_Shape unified(const TopoDS_Shape& shape) {
  ShapeUpgrade_UnifySameDomain unify(shape, Standard_True, Standard_True, Standard_False);
  unify.Build();
  return unify.Shape();
}

// The offset leaves its edges and vertices a tolerance far above what its
// faces need (a millimetre on blocks of planar faces), and every boolean
// after it carries that on: the shape with its tolerances brought down to
// the modeller's precision, or to the caller's tolerance where that is not
// enough, when it is still valid so; otherwise the shape as it came.
TopoDS_Shape tightened(const TopoDS_Shape& shape, double tolerance) {
  const double least = Precision::Confusion();
  const double most = std::max(least, tolerance);
  for (const double limit : {least, most}) {
    TopoDS_Shape tight = Copy(shape);
    ShapeFix_ShapeTolerance().LimitTolerance(tight, least, limit);
    if (BRepCheck_Analyzer(tight).IsValid()) return tight;
  }
  return shape;
}

TopoDS_Shape compoundOf(const std::vector<TopoDS_Shape>& shapes) {
  BRep_Builder builder;
  TopoDS_Compound compound;
  builder.MakeCompound(compound);
  for (const TopoDS_Shape& shape : shapes)
    if (!shape.IsNull()) builder.Add(compound, shape);
  return compound;
}

// One boolean of the modeller: Failed when it reports errors, Stopped when
// the time limit broke it off.
template <class Algorithm>
Outcome run(const TopTools_ListOfShape& arguments, const TopTools_ListOfShape& tools, TopoDS_Shape* result) {
  Algorithm algorithm;
  algorithm.SetArguments(arguments);
  algorithm.SetTools(tools);
  Bounded bound;
  algorithm.Build(bound.Range());
  if (bound.Stopped()) return Outcome::Stopped;
  if (algorithm.HasErrors() || !algorithm.IsDone()) return Outcome::Failed;
  *result = algorithm.Shape();
  return Outcome::Done;
}

void quiet() {
  // The data-exchange tools report their statistics to the default
  // messenger; ktxhost's standard output is the printed part alone.
  static bool done = [] {
    Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
    return true;
  }();
  (void)done;
}

}  // namespace

namespace {
// Whether every number is finite: the modeller is never handed a NaN or an
// infinity (on some it loops without end).
bool finite(const double* values, std::size_t count) {
  if (values == nullptr) return false;
  for (std::size_t i = 0; i < count; ++i)
    if (!std::isfinite(values[i])) return false;
  return true;
}
}  // namespace

bool PlanarFace(const std::vector<std::vector<double>>& polygons, const double point[3], const double normal[3],
                TopoDS_Shape* face) {
  double n[3];
  if (polygons.empty() || !finite(point, 3) || !finite(normal, 3) || !unit(normal, n)) return false;
  for (const std::vector<double>& points : polygons)
    if (!finite(points.data(), points.size())) return false;
  try {
    KTX_GUARDED;
    std::vector<std::vector<gp_Pnt>> loops;
    for (const std::vector<double>& points : polygons) {
      loops.push_back(projected(points, point, n));
      if (loops.back().size() < 3 || area(loops.back()) <= kSamePoint * kSamePoint) return false;
    }
    std::size_t outer = 0;
    for (std::size_t i = 1; i < loops.size(); ++i)
      if (area(loops[i]) > area(loops[outer])) outer = i;
    gp_Pln plane(gp_Pnt(point[0], point[1], point[2]), gp_Dir(n[0], n[1], n[2]));
    TopoDS_Shape result;
    if (!faceOf(loops[outer], plane, &result)) return false;
    if (loops.size() > 1) {
      TopTools_ListOfShape arguments, holes;
      arguments.Append(result);
      for (std::size_t i = 0; i < loops.size(); ++i) {
        TopoDS_Shape hole;
        if (i == outer) continue;
        if (!faceOf(loops[i], plane, &hole)) return false;
        holes.Append(hole);
      }
      if (run<BRepAlgoAPI_Cut>(arguments, holes, &result) != Outcome::Done) return false;
      TopExp_Explorer faces(result, TopAbs_FACE);
      if (!faces.More()) return false;
      result = faces.Current();
      faces.Next();
      if (faces.More()) return false;  // the holes cut the face apart
    }
    *face = result;
    return true;
  } catch (const Standard_Failure&) {
    return false;
  }
}

void SewnEdges(const std::vector<FaceBoundary>& faces, double tolerance, std::vector<std::vector<int>>* faceEdges,
               std::vector<std::vector<double>>* ends) {
  auto addEnds = [&](const gp_Pnt& a, const gp_Pnt& b) {
    ends->push_back({a.X(), a.Y(), a.Z(), b.X(), b.Y(), b.Z()});
    return static_cast<int>(ends->size() - 1);
  };
  // A face the modeller did not make: its polygons' sides, each once.
  auto ownEdges = [&](std::size_t i) {
    std::vector<int>& own = (*faceEdges)[i];
    std::vector<std::pair<gp_Pnt, gp_Pnt>> sides;
    for (const std::vector<double>& p : faces[i].polygons) {
      const std::size_t n = p.size() / 3;
      for (std::size_t k = 0; n > 1 && k < n; ++k) {
        const std::size_t next = 3 * ((k + 1) % n);
        const gp_Pnt a(p[3 * k], p[3 * k + 1], p[3 * k + 2]), b(p[next], p[next + 1], p[next + 2]);
        const bool again = std::any_of(sides.begin(), sides.end(), [&](const auto& side) {
          return (side.first.Distance(a) <= kSamePoint && side.second.Distance(b) <= kSamePoint) ||
                 (side.first.Distance(b) <= kSamePoint && side.second.Distance(a) <= kSamePoint);
        });
        if (a.Distance(b) <= kSamePoint || again) continue;
        sides.emplace_back(a, b);
        own.push_back(addEnds(a, b));
      }
    }
  };
  faceEdges->assign(faces.size(), {});
  ends->clear();
  try {
    KTX_GUARDED;
    std::vector<TopoDS_Shape> made(faces.size());
    BRepBuilderAPI_Sewing sewing(tolerance);
    for (std::size_t i = 0; i < faces.size(); ++i)
      if (PlanarFace(faces[i].polygons, faces[i].point, faces[i].normal, &made[i])) sewing.Add(made[i]);
    sewing.Perform();
    TopTools_IndexedMapOfShape edges;  // the modeller's edges, seen once each
    std::vector<int> indexOf;          // the place in *ends of each of them
    for (std::size_t i = 0; i < faces.size(); ++i) {
      if (made[i].IsNull()) {
        ownEdges(i);
        continue;
      }
      const TopoDS_Shape face = sewing.IsModified(made[i]) ? sewing.Modified(made[i]) : made[i];
      std::vector<int>& own = (*faceEdges)[i];
      for (TopExp_Explorer found(face, TopAbs_EDGE); found.More(); found.Next()) {
        const TopoDS_Edge& edge = TopoDS::Edge(found.Current());
        if (BRep_Tool::Degenerated(edge)) continue;
        int index = edges.FindIndex(edge);
        if (index == 0) {
          index = edges.Add(edge);
          TopoDS_Vertex first, last;
          TopExp::Vertices(edge, first, last);
          indexOf.push_back(addEnds(BRep_Tool::Pnt(first), BRep_Tool::Pnt(last)));
        }
        const int place = indexOf[static_cast<std::size_t>(index - 1)];
        if (std::find(own.begin(), own.end(), place) == own.end()) own.push_back(place);
      }
    }
  } catch (const Standard_Failure&) {
    // Unsewn, every face keeps edges of its own.
    faceEdges->assign(faces.size(), {});
    ends->clear();
    for (std::size_t i = 0; i < faces.size(); ++i) ownEdges(i);
  }
}

bool Prism(const TopoDS_Shape& face, const double path[3], TopoDS_Shape* solid) {
  if (!finite(path, 3) || !(dot(path, path) > kSamePoint * kSamePoint)) return false;
  try {
    KTX_GUARDED;
    BRepPrimAPI_MakePrism prism(face, gp_Vec(path[0], path[1], path[2]), Standard_True);
    if (!prism.IsDone()) return false;
    TopoDS_Shape made = prism.Shape();
    if (Volume(made) < 0) made.Reverse();
    *solid = made;
    return true;
  } catch (const Standard_Failure&) {
    return false;
  }
}

Outcome Offset(const TopoDS_Shape& shape, double offset, double tolerance, TopoDS_Shape* result) {
  if (!std::isfinite(offset) || !std::isfinite(tolerance)) return Outcome::Failed;
  Bounded bound;
  try {
    KTX_GUARDED;
    if (offset < 0 && IsSolid(shape)) {
      // A solid no wider than twice the offset along some axis has no point
      // that far from its boundary: nothing of it is left.
      double min[3], max[3];
      if (!Bounds(shape, nullptr, nullptr, min, max)) return Outcome::NoVolume;
      for (int i = 0; i < 3; ++i)
        if (max[i] - min[i] <= -2 * offset) return Outcome::NoVolume;
    }
    BRepOffsetAPI_MakeOffsetShape made;
    made.PerformByJoin(shape, offset, tolerance > 0 ? tolerance : 1.0e-7, BRepOffset_Skin, Standard_False,
                       Standard_False, GeomAbs_Intersection, Standard_False, bound.Range());
    if (bound.Stopped()) return Outcome::Stopped;
    if (!made.IsDone()) return Outcome::Failed;
    TopoDS_Shape out = made.Shape();
    if (!BRepCheck_Analyzer(out).IsValid()) return Outcome::Failed;
    out = tightened(out, tolerance);
    if (IsSolid(shape)) {
      double volume = Volume(out);
      if (volume < 0) {
        out.Reverse();
        volume = -volume;
      }
      if (volume <= kNoVolume) return Outcome::NoVolume;
    }
    *result = out;
    return Outcome::Done;
  } catch (const Standard_Failure&) {
    return bound.Stopped() ? Outcome::Stopped : Outcome::Failed;
  }
}

Outcome Boolean(const TopoDS_Shape& target, const std::vector<TopoDS_Shape>& tools, Operation operation,
                TopoDS_Shape* result) {
  try {
    KTX_GUARDED;
    TopTools_ListOfShape arguments, toolList;
    arguments.Append(target);
    TopoDS_Shape made;
    Outcome ran = Outcome::Done;
    if (operation == Operation::Intersect) {
      // Inside any tool: the tools are one region first.
      TopoDS_Shape region = tools.empty() ? TopoDS_Shape() : tools.front();
      if (tools.size() > 1) {
        TopTools_ListOfShape first, rest;
        first.Append(tools.front());
        for (std::size_t i = 1; i < tools.size(); ++i) rest.Append(tools[i]);
        if (const Outcome fused = run<BRepAlgoAPI_Fuse>(first, rest, &region); fused != Outcome::Done) return fused;
      }
      if (region.IsNull()) return Outcome::NoVolume;
      toolList.Append(region);
      ran = run<BRepAlgoAPI_Common>(arguments, toolList, &made);
    } else {
      for (const TopoDS_Shape& tool : tools) toolList.Append(tool);
      if (toolList.IsEmpty()) {
        made = target;
      } else if (operation == Operation::Unite) {
        ran = run<BRepAlgoAPI_Fuse>(arguments, toolList, &made);
      } else {
        ran = run<BRepAlgoAPI_Cut>(arguments, toolList, &made);
      }
    }
    if (ran != Outcome::Done) return ran;
    if (IsSolid(target) && Volume(made) <= kNoVolume) return Outcome::NoVolume;
    *result = unified(made);
    return Outcome::Done;
  } catch (const Standard_Failure&) {
    return Outcome::Failed;
  }
}

Outcome HalfSpace(const TopoDS_Shape& shape, const double point[3], const double normal[3], TopoDS_Shape* result) {
  double n[3];
  if (!finite(point, 3) || !finite(normal, 3) || !unit(normal, n)) return Outcome::Failed;
  try {
    KTX_GUARDED;
    double min[3], max[3];
    if (!Bounds(shape, nullptr, nullptr, min, max)) return Outcome::NoVolume;
    // The box's corners against the plane: wholly on one side needs no boolean.
    double low = 0, high = 0;
    bool first = true;
    for (int corner = 0; corner < 8; ++corner) {
      double c[3] = {corner & 1 ? max[0] : min[0], corner & 2 ? max[1] : min[1], corner & 4 ? max[2] : min[2]};
      double d[3] = {c[0] - point[0], c[1] - point[1], c[2] - point[2]};
      double h = dot(d, n);
      low = first ? h : std::min(low, h);
      high = first ? h : std::max(high, h);
      first = false;
    }
    if (low >= 0) {
      *result = shape;
      return Outcome::Done;
    }
    if (high <= 0) return Outcome::NoVolume;
    // A box on the kept side reaching past the shape everywhere: around the
    // shape's centre moved onto the plane, as wide as the shape's diagonal.
    double size = 0, centre[3];
    for (int i = 0; i < 3; ++i) {
      size += (max[i] - min[i]) * (max[i] - min[i]);
      centre[i] = (min[i] + max[i]) / 2;
    }
    size = std::sqrt(size) + (high - low);
    const double d[3] = {centre[0] - point[0], centre[1] - point[1], centre[2] - point[2]};
    const double h = dot(d, n);
    gp_Dir z(n[0], n[1], n[2]);
    gp_Ax2 frame(gp_Pnt(centre[0] - h * n[0], centre[1] - h * n[1], centre[2] - h * n[2]), z);
    gp_Pnt corner = frame.Location().Translated(-size * gp_Vec(frame.XDirection()) - size * gp_Vec(frame.YDirection()));
    BRepPrimAPI_MakeBox box(gp_Ax2(corner, z, frame.XDirection()), 2 * size, 2 * size, 2 * size);
    TopTools_ListOfShape arguments, tools;
    arguments.Append(shape);
    tools.Append(box.Shape());
    TopoDS_Shape made;
    if (const Outcome ran = run<BRepAlgoAPI_Common>(arguments, tools, &made); ran != Outcome::Done) return ran;
    if (Volume(made) <= kNoVolume) return Outcome::NoVolume;
    *result = unified(made);
    return Outcome::Done;
  } catch (const Standard_Failure&) {
    return Outcome::Failed;
  }
}

TopoDS_Shape Copy(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return shape;
  BRepBuilderAPI_Copy copy(shape, Standard_True, Standard_False);
  return copy.Shape();
}

double Volume(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return 0;
  GProp_GProps properties;
  BRepGProp::VolumeProperties(shape, properties);
  return properties.Mass();
}

bool Bounds(const TopoDS_Shape& shape, const double origin[3], const double matrix[9], double min[3],
            double max[3]) {
  if (shape.IsNull()) return false;
  if (origin != nullptr && matrix != nullptr && (!finite(origin, 3) || !finite(matrix, 9))) return false;
  // What the box is made with, held here outside the guarded block: a fault
  // jumps over the frames inside it without running their destructors, so
  // the shape placed in the frame and the walk of its faces would stay for
  // good, a fault at a time. The box is gathered a face at a time (as the
  // modeller gathers it for the whole shape), so that a fault in the middle
  // leaves no more behind than the face being boxed held.
  TopoDS_Shape placed = shape;
  Bnd_Box box;
  TopExp_Explorer faces;
  try {
    KTX_GUARDED;
    bool leftHanded = false;
    if (origin != nullptr && matrix != nullptr) {
      gp_Dir x(matrix[0], matrix[1], matrix[2]);
      gp_Dir z(matrix[6], matrix[7], matrix[8]);
      gp_Ax3 frame(gp_Pnt(origin[0], origin[1], origin[2]), z, x);
      // gp_Ax3 completes a right-handed frame; a left-handed matrix mirrors Y.
      leftHanded = frame.YDirection().Dot(gp_Dir(matrix[3], matrix[4], matrix[5])) < 0;
      gp_Trsf toFrame;
      toFrame.SetTransformation(frame);
      placed = shape.Moved(TopLoc_Location(toFrame));
    }
    bool anyFace = false;
    for (faces.Init(placed, TopAbs_FACE); faces.More(); faces.Next()) {
      Bnd_Box own;
      BRepBndLib::AddOptimal(faces.Current(), own, Standard_False, Standard_False);
      box.Add(own);
      anyFace = true;
      GuardedStepForTests("face boxed");
    }
    // A shape of no face (edges or points only) is boxed whole.
    if (!anyFace) BRepBndLib::AddOptimal(placed, box, Standard_False, Standard_False);
    if (box.IsVoid()) return false;
    box.Get(min[0], min[1], min[2], max[0], max[1], max[2]);
    if (leftHanded) {
      double low = -max[1];
      max[1] = -min[1];
      min[1] = low;
    }
    return true;
  } catch (const Standard_Failure&) {
    return false;
  }
}

int Classify(const TopoDS_Shape& shape, const double point[3], double tolerance) {
  int answer = -1;
  if (!finite(point, 3)) return answer;
  for (TopExp_Explorer solids(shape, TopAbs_SOLID); solids.More(); solids.Next()) {
    BRepClass3d_SolidClassifier classifier(solids.Current(), gp_Pnt(point[0], point[1], point[2]), tolerance);
    TopAbs_State state = classifier.State();
    if (state == TopAbs_IN) return 1;
    if (state == TopAbs_ON) answer = 0;
  }
  return answer;
}

namespace {

// A point's state told by the crossings of one ray from it through a solid's
// faces, where they tell it at once: the modeller's own classifier maps the
// solid's edges to their faces again for every point and intersects the ray
// with every face, several times what the crossings cost when only the
// faces whose box the ray passes are asked. A point within the tolerance of
// a face's plane (or of a curved face's box), a crossing on an edge or a
// vertex, or a ray touching a face tells nothing: the classifier is asked
// then.
struct RayFace {
  std::unique_ptr<IntCurvesFace_Intersector> crossings;
  bool planar = false;
  gp_Pln plane;
  Bnd_Box box;
};

// What the point query works with, held in the caller's frame outside the
// guarded block (as the checker's work is): a fault jumps over the frames
// inside it without running their destructors, so the faces set up for the
// rays (an intersector each, kilobytes a face), the classifier and the
// walks' stacks would stay for good, a fault at a time.
struct PointQueryWork {
  std::vector<RayFace> faces;
  std::optional<BRepClass3d_SolidClassifier> classifier;
  TopExp_Explorer solids, found;
};

// Sets up the solid's faces for the rays.
void setUpRays(const TopoDS_Shape& solid, double tolerance, PointQueryWork& work) {
  work.faces.clear();
  for (work.found.Init(solid, TopAbs_FACE); work.found.More(); work.found.Next()) {
    {
      const TopoDS_Face& face = TopoDS::Face(work.found.Current());
      const BRepAdaptor_Surface surface(face, false);
      work.faces.emplace_back();
      RayFace& own = work.faces.back();
      own.crossings = std::make_unique<IntCurvesFace_Intersector>(face, tolerance);
      own.planar = surface.GetType() == GeomAbs_Plane;
      if (own.planar) own.plane = surface.Plane();
      BRepBndLib::Add(face, own.box);
      own.box.Enlarge(tolerance);
    }
    GuardedStepForTests("face set up");
  }
}

// 1 inside, -1 outside, 0 untold.
int rayState(std::vector<RayFace>& faces, const gp_Pnt& point, double tolerance) {
  for (const RayFace& face : faces)
    if (face.planar ? face.plane.Distance(point) <= tolerance : !face.box.IsOut(point)) return 0;
  // A direction no face of a solid built square to the axes, or at a
  // round angle to them, lies along.
  static const gp_Dir kRay(0.2718281828, 0.5772156649, 0.7692389013);
  const gp_Lin ray(point, kRay);
  int crossed = 0;
  for (RayFace& face : faces) {
    if (face.box.IsOut(ray)) continue;
    if (face.planar) {
      // Where the ray meets the plane (a ray along it lies off it, as the
      // point does): behind the point, or outside the face's box, no
      // crossing.
      const gp_Dir& normal = face.plane.Axis().Direction();
      const double along = kRay.Dot(normal);
      if (along == 0) continue;
      const double w = gp_Vec(point, face.plane.Location()).Dot(gp_Vec(normal)) / along;
      if (w <= 0 || face.box.IsOut(point.Translated(w * gp_Vec(kRay)))) continue;
    }
    face.crossings->Perform(ray, 0, Precision::Infinite());
    for (int i = 1; i <= face.crossings->NbPnt(); ++i) {
      const IntCurveSurface_TransitionOnCurve crossing = face.crossings->Transition(i);
      if (face.crossings->State(i) != TopAbs_IN || (crossing != IntCurveSurface_In && crossing != IntCurveSurface_Out))
        return 0;
    }
    crossed += face.crossings->NbPnt();
  }
  return crossed % 2 == 1 ? 1 : -1;
}

}  // namespace

bool ClassifyPoints(const TopoDS_Shape& shape, const double* points, int n, double tolerance, int* where) {
  for (int i = 0; i < n; ++i) where[i] = -1;
  PointQueryWork work;
  try {
    KTX_GUARDED;
    for (work.solids.Init(shape, TopAbs_SOLID); work.solids.More(); work.solids.Next()) {
      const TopoDS_Shape& solid = work.solids.Current();
      setUpRays(solid, tolerance, work);
      work.classifier.reset();
      for (int i = 0; i < n; ++i) {
        const double* point = points + 3 * i;
        if (where[i] == 1 || !finite(point, 3)) continue;
        const int crossed = rayState(work.faces, gp_Pnt(point[0], point[1], point[2]), tolerance);
        if (crossed == 1) where[i] = 1;
        if (crossed != 0) continue;
        if (!work.classifier) work.classifier.emplace(solid);
        work.classifier->Perform(gp_Pnt(point[0], point[1], point[2]), tolerance);
        const TopAbs_State state = work.classifier->State();
        if (state == TopAbs_IN) where[i] = 1;
        if (state == TopAbs_ON) where[i] = 0;
      }
    }
  } catch (const Standard_Failure&) {
    return false;
  }
  return true;
}

double Tolerance(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return 0;
  double most = 0;
  for (TopExp_Explorer v(shape, TopAbs_VERTEX); v.More(); v.Next())
    most = std::max(most, BRep_Tool::Tolerance(TopoDS::Vertex(v.Current())));
  for (TopExp_Explorer e(shape, TopAbs_EDGE); e.More(); e.Next())
    most = std::max(most, BRep_Tool::Tolerance(TopoDS::Edge(e.Current())));
  for (TopExp_Explorer f(shape, TopAbs_FACE); f.More(); f.Next())
    most = std::max(most, BRep_Tool::Tolerance(TopoDS::Face(f.Current())));
  return most;
}

int FaceCount(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return 0;
  TopTools_IndexedMapOfShape faces;
  TopExp::MapShapes(shape, TopAbs_FACE, faces);
  return faces.Extent();
}

bool IsSolid(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return false;
  TopExp_Explorer solids(shape, TopAbs_SOLID);
  return solids.More();
}

bool IsClosed(const TopoDS_Shape& shape) {
  TopTools_IndexedDataMapOfShapeListOfShape faces;
  TopExp::MapShapesAndAncestors(shape, TopAbs_EDGE, TopAbs_FACE, faces);
  for (int i = 1; i <= faces.Extent(); ++i) {
    if (BRep_Tool::Degenerated(TopoDS::Edge(faces.FindKey(i)))) continue;
    TopTools_IndexedMapOfShape distinct;
    for (const TopoDS_Shape& face : faces.FindFromIndex(i)) distinct.Add(face);
    if (distinct.Extent() != 2 && !(distinct.Extent() == 1 && faces.FindFromIndex(i).Extent() == 2)) return false;
  }
  return true;
}

bool WriteStep(const std::vector<TopoDS_Shape>& shapes, double scale, std::ostream& out) {
  quiet();
  try {
    KTX_GUARDED;
    gp_Trsf scaling;
    scaling.SetScale(gp_Pnt(0, 0, 0), scale);
    BRepBuilderAPI_Transform scaled(compoundOf(shapes), scaling, Standard_True);
    STEPControl_Writer writer;
    if (writer.Transfer(scaled.Shape(), STEPControl_AsIs) != IFSelect_RetDone) return false;
    // The text the writer's own Write(file) sends, to a stream: its caller's
    // file is written through the descriptor it made, not opened by name.
    const Handle(StepData_StepModel) model = writer.Model();
    const Handle(StepData_Protocol) protocol =
        model.IsNull() ? Handle(StepData_Protocol)() : Handle(StepData_Protocol)::DownCast(model->Protocol());
    if (protocol.IsNull()) return false;
    StepData_StepWriter text(model);
    text.SendModel(protocol);
    return text.Print(out) && static_cast<bool>(out.flush());
  } catch (const Standard_Failure&) {
    return false;
  }
}

namespace {

// The solids a reader took in, scaled by `scale`: false when it could not.
bool solidsRead(STEPControl_Reader& reader, IFSelect_ReturnStatus status, double scale,
                std::vector<TopoDS_Shape>* solids) {
  if (status != IFSelect_RetDone) return false;
  reader.TransferRoots();
  gp_Trsf scaling;
  scaling.SetScale(gp_Pnt(0, 0, 0), scale);
  for (TopExp_Explorer found(reader.OneShape(), TopAbs_SOLID); found.More(); found.Next()) {
    BRepBuilderAPI_Transform scaled(found.Current(), scaling, Standard_True);
    solids->push_back(scaled.Shape());
  }
  return true;
}

}  // namespace

bool ReadStep(const std::string& file, double scale, std::vector<TopoDS_Shape>* solids) {
  quiet();
  try {
    KTX_GUARDED;
    STEPControl_Reader reader;
    return solidsRead(reader, reader.ReadFile(file.c_str()), scale, solids);
  } catch (const Standard_Failure&) {
    return false;
  }
}
bool ReadStep(std::istream& in, double scale, std::vector<TopoDS_Shape>* solids) {
  quiet();
  try {
    KTX_GUARDED;
    STEPControl_Reader reader;
    return solidsRead(reader, reader.ReadStream("scratch.stp", in), scale, solids);
  } catch (const Standard_Failure&) {
    return false;
  }
}

}  // namespace KTX::Kernel::Shapes
