#include "kernel/geometry/Modelling.hpp"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <istream>
#include <numbers>
#include <ostream>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <BRepAlgoAPI_Fuse.hxx>
#include <BRepGProp.hxx>
#include <BRep_Tool.hxx>
#include <GProp_GProps.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRepClass3d_SolidClassifier.hxx>
#include <TopExp_Explorer.hxx>
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
#include <BRepAdaptor_Surface.hxx>
#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepClass_FaceClassifier.hxx>
#include <BRepLib.hxx>
#include <BRepTools.hxx>
#include <BRep_Builder.hxx>
#include <Geom_Surface.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Solid.hxx>
#include <gp_Ax1.hxx>
#include <gp_Ax3.hxx>
#include <gp_Trsf.hxx>

#include "kernel/geometry/Bodies.hpp"
#include "kernel/geometry/Faults.hpp"
#include "kernel/geometry/Shapes.hpp"
#include "kernel/geometry/TimeLimit.hpp"
#include "sys/Replace.hpp"

namespace KTX::Kernel::Modelling {
namespace {

// Facets a turn of a swept tire: at a radius of 340 mm its corners stand
// 2.9 mm beyond the tread.
constexpr int kSegments = 24;
// How far, in degrees, each position's facets turn about the spindle beyond
// the one before (see MakeWheelSweep): the first, then the others in order
// while the union made with the one before falls short or reads back broken
// from its file. None divides the 15 degrees of a facet.
constexpr double kFacetTurnDegrees[] = {7.3, 5.3, 11.7};

// How a test asked the union at each turn of the facets to go.
std::vector<WheelUnionForTests>& unionsForTests() {
  static std::vector<WheelUnionForTests> byTurn;
  return byTurn;
}

// The tire revolved about the Z axis through the origin (the section's
// axial along Z, its radial along X); false when the modeller cannot make it.
bool Revolution(const std::vector<double>& section, TopoDS_Shape* solid) {
  std::vector<double> polygon;
  for (std::size_t i = 0; i + 1 < section.size(); i += 2) polygon.insert(polygon.end(), {section[i + 1], 0, section[i]});
  const double origin[3] = {0, 0, 0}, normal[3] = {0, 1, 0};
  TopoDS_Shape face;
  if (!Shapes::PlanarFace({polygon}, origin, normal, &face)) return false;
  try {
    KTX_GUARDED;
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
    KTX_GUARDED;
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

// The section grown outward by `offset` in its own plane, its corners kept
// sharp: what every face of its revolution moved out along its normal turns
// (an offset line of a meridian sweeps the offset surface of what the line
// sweeps). Grown so before it is revolved or faceted, the tire at several
// places is faceted from it the same way as at one: the modeller's offset of
// the faceted solid fails, that of the revolution alone does not. The grown
// section is cut at the least radial less the offset, where no point the
// offset asks for lies below (every point within the offset of the section
// lies at or above it), when that is below half the section's least radial
// (above, the cut there, where the grown section reaches only at a sharp
// corner, keeps what it always kept); never nearer the spindle than a
// hundredth of the least radial: a revolution that reaches its axis closes
// its faces to a point there, so an offset that would take the rim side
// that near, or across the axis, leaves it there. False when the modeller
// cannot grow it.
bool Grown(const std::vector<double>& section, double offset, std::vector<double>* grown) {
  std::vector<double> loop;
  double least = section[1];
  for (std::size_t i = 0; i + 1 < section.size(); i += 2) {
    loop.insert(loop.end(), {section[i], section[i + 1], 0});
    least = std::min(least, section[i + 1]);
  }
  std::vector<double> out;
  if (OffsetLoop(loop, offset, &out) != 0 || out.size() < 9) return false;
  const double floor = std::min(least / 2, std::max(least - offset, least / 100));
  grown->clear();
  const std::size_t n = out.size() / 3;
  auto keep = [&](double x, double r) {
    if (grown->size() >= 2 && std::fabs((*grown)[grown->size() - 2] - x) <= 1e-12 &&
        std::fabs(grown->back() - r) <= 1e-12)
      return;
    grown->insert(grown->end(), {x, r});
  };
  for (std::size_t i = 0; i < n; ++i) {
    // Each side clipped to the half-plane above the floor.
    const double x1 = out[3 * i], r1 = out[3 * i + 1];
    const double x2 = out[3 * ((i + 1) % n)], r2 = out[3 * ((i + 1) % n) + 1];
    if (r1 >= floor) keep(x1, r1);
    if ((r1 >= floor) != (r2 >= floor)) keep(x1 + (x2 - x1) * (floor - r1) / (r2 - r1), floor);
  }
  if (grown->size() >= 4 && std::fabs((*grown)[0] - (*grown)[grown->size() - 2]) <= 1e-12 &&
      std::fabs((*grown)[1] - grown->back()) <= 1e-12)
    grown->resize(grown->size() - 2);
  return grown->size() >= 6;
}

// The move of the revolution to a place: the Z axis onto the spindle.
gp_Trsf MoveTo(const WheelPlace& place) {
  gp_Trsf move;
  move.SetTransformation(gp_Ax3(gp_Pnt(place.centre[0], place.centre[1], place.centre[2]),
                                gp_Dir(place.axis[0], place.axis[1], place.axis[2])),
                         gp_Ax3());
  return move;
}

// One valid closed solid of some volume: what a tire or a union must be. A
// fuse can leave a solid the checker takes as valid with an edge of one face
// or of three (the short-long arm's 16 x 1 grid at the facets' second turn).
// `*volume`: the volume reckoned on the way, which the callers need too (a
// large union's takes a good part of the check's time).
bool Sound(const TopoDS_Shape& shape, double* volume = nullptr) {
  if (shape.IsNull()) return false;
  int solids = 0;
  for (TopExp_Explorer solid(shape, TopAbs_SOLID); solid.More(); solid.Next()) ++solids;
  if (solids != 1) return false;
  const double reckoned = Shapes::Volume(shape);
  if (volume != nullptr) *volume = reckoned;
  return reckoned > 0 && BRepCheck_Analyzer(shape).IsValid() && Shapes::IsClosed(shape);
}

// Points well inside the section, (axial, radial) pairs: the middle of each
// stretch of the section across its axial range at a quarter, half and three
// quarters of it.
std::vector<std::array<double, 2>> InnerPoints(const std::vector<double>& section) {
  std::vector<std::array<double, 2>> inner;
  const std::size_t n = section.size() / 2;
  double low = section[0], high = section[0];
  for (std::size_t i = 0; i < n; ++i) low = std::min(low, section[2 * i]), high = std::max(high, section[2 * i]);
  for (double at : {0.25, 0.5, 0.75}) {
    const double x = low + (high - low) * at;
    std::vector<double> crossings;
    for (std::size_t i = 0; i < n; ++i) {
      const double x1 = section[2 * i], r1 = section[2 * i + 1];
      const double x2 = section[2 * ((i + 1) % n)], r2 = section[2 * ((i + 1) % n) + 1];
      if ((x1 <= x) != (x2 <= x)) crossings.push_back(r1 + (r2 - r1) * (x - x1) / (x2 - x1));
    }
    std::sort(crossings.begin(), crossings.end());
    for (std::size_t i = 0; i + 1 < crossings.size(); i += 2) inner.push_back({x, (crossings[i] + crossings[i + 1]) / 2});
  }
  return inner;
}

// Points of the tire at a place: the inner points of the section turned to
// a few angles about the spindle, off the facets' corners, round the whole
// turn.
std::vector<gp_Pnt> TirePoints(const std::vector<std::array<double, 2>>& inner, const gp_Trsf& place) {
  std::vector<gp_Pnt> points;
  for (const auto& [x, r] : inner)
    for (int k = 0; k < 4; ++k) {
      const double angle = 0.3 + k * std::numbers::pi / 2;
      points.push_back(gp_Pnt(r * std::cos(angle), r * std::sin(angle), x).Transformed(place));
    }
  return points;
}

// The shape's one solid of one shell made again with a crack in its skin
// (Slit, FaceLaidOver or FaceTurned, see CrackForTests) in its first planar
// face, which the shape keeps as it was; false when it has no such solid or face.
bool Cracked(const TopoDS_Shape& shape, WheelUnionForTests how, TopoDS_Shape* cracked) {
  if (how != WheelUnionForTests::Slit && how != WheelUnionForTests::FaceLaidOver &&
      how != WheelUnionForTests::FaceTurned)
    return false;
  TopoDS_Shape solid, shell;
  int solids = 0, shells = 0;
  for (TopExp_Explorer found(shape, TopAbs_SOLID); found.More(); found.Next()) ++solids, solid = found.Current();
  if (solids != 1) return false;
  for (TopoDS_Iterator found(solid); found.More(); found.Next()) ++shells, shell = found.Value();
  if (shells != 1 || shell.ShapeType() != TopAbs_SHELL) return false;
  BRep_Builder builder;
  TopoDS_Shell made;
  builder.MakeShell(made);
  bool done = false;
  for (TopoDS_Iterator found(shell); found.More(); found.Next()) {
    const TopoDS_Face face = TopoDS::Face(found.Value());
    if (done || BRepAdaptor_Surface(face).GetType() != GeomAbs_Plane) {
      builder.Add(made, face);
      continue;
    }
    if (how == WheelUnionForTests::FaceTurned) {
      builder.Add(made, face.Reversed());
      done = true;
      continue;
    }
    // A new face on the same edges: what the shell's faces share stays shared.
    TopoDS_Face copy = TopoDS::Face(face.EmptyCopied());
    for (TopoDS_Iterator wire(face); wire.More(); wire.Next()) builder.Add(copy, wire.Value());
    if (how == WheelUnionForTests::FaceLaidOver) {
      builder.Add(made, face);
      builder.Add(made, copy.Oriented(TopAbs_EXTERNAL));
      done = true;
      continue;
    }
    // The slit: a short edge about a point well inside the face.
    double u0 = 0, u1 = 0, v0 = 0, v1 = 0;
    BRepTools::UVBounds(face, u0, u1, v0, v1);
    const double half = 1e-3 * std::max(u1 - u0, v1 - v0);
    const Handle(Geom_Surface) surface = BRep_Tool::Surface(face);
    for (int i = 1; i < 8 && !done; ++i)
      for (int j = 1; j < 8 && !done; ++j) {
        const double u = u0 + (u1 - u0) * i / 8, v = v0 + (v1 - v0) * j / 8;
        bool inside = true;
        for (double du : {-2 * half, 0.0, 2 * half})
          for (double dv : {-2 * half, 0.0, 2 * half})
            inside = inside && BRepClass_FaceClassifier(face, gp_Pnt2d(u + du, v + dv), 1e-9).State() == TopAbs_IN;
        if (!inside) continue;
        TopoDS_Wire slit;
        builder.MakeWire(slit);
        builder.Add(slit, BRepBuilderAPI_MakeEdge(surface->Value(u - half, v), surface->Value(u + half, v))
                              .Edge()
                              .Oriented(TopAbs_INTERNAL));
        builder.Add(copy, slit);
        done = true;
      }
    builder.Add(made, done ? copy : face);
  }
  if (!done) return false;
  TopoDS_Solid whole;
  builder.MakeSolid(whole);
  builder.Add(whole, made);
  *cracked = whole;
  return true;
}

// Whether every point lies inside the solid.
bool HoldsAll(const TopoDS_Shape& solid, const std::vector<gp_Pnt>& points) {
  BRepClass3d_SolidClassifier classifier(solid);
  for (const gp_Pnt& point : points) {
    classifier.Perform(point, 1e-7);
    if (classifier.State() != TopAbs_IN) return false;
  }
  return true;
}

// The union of two sound solids, sound itself, no smaller than either and
// holding the points of the tire at every place the two hold (`held`):
// false when the modeller's fuse gives less, `*stopped` set too when the
// time limit stopped it. Neighbouring positions meet in
// faces that nearly coincide, where a fuse can break into slivers or lose a
// part; the modeller is then asked again with a fuzzy tolerance, which takes
// such faces as one. A fuse can lose most of one of two large unions and
// still leave a valid solid a little larger than the other: only the
// points find that. `forced`: a crack a test gives each union before its
// checks (Slit, FaceLaidOver).
// `volumes`: a's and b's; `*volume`: the union's.
bool Fuse(const TopoDS_Shape& a, const TopoDS_Shape& b, const std::array<double, 2>& volumes,
          const std::vector<gp_Pnt>& held, TopoDS_Shape* united, double* volume, bool* stopped,
          WheelUnionForTests forced) {
  const double least = std::max(volumes[0], volumes[1]), most = volumes[0] + volumes[1];
  for (double fuzzy : {0.0, 1e-6, 1e-5}) {
    Shapes::Bounded bound;
    TopTools_ListOfShape arguments, tools;
    arguments.Append(a);
    tools.Append(b);
    BRepAlgoAPI_Fuse fuse;
    fuse.SetArguments(arguments);
    fuse.SetTools(tools);
    if (fuzzy > 0) fuse.SetFuzzyValue(fuzzy);
    fuse.Build(bound.Range());
    if (bound.Stopped()) {
      *stopped = true;
      return false;
    }
    if (!fuse.IsDone() || fuse.HasErrors()) continue;
    // Facets of one plane merged: the fewest faces for what follows.
    ShapeUpgrade_UnifySameDomain unify(fuse.Shape(), Standard_True, Standard_True, Standard_False);
    unify.Build();
    TopoDS_Shape made = unify.Shape();
    if (TopoDS_Shape cracked; Cracked(made, forced, &cracked)) made = cracked;
    double reckoned = 0;
    if (Sound(made, &reckoned) && reckoned >= least * (1 - 1e-9) && reckoned <= most * (1 + 1e-9) &&
        HoldsAll(made, held)) {
      *united = made;
      *volume = reckoned;
      return true;
    }
  }
  return false;
}

// The solids' union, each fuse checked to hold the points of the tire at
// the places of the solids it unites (`held`, one list a solid); `*stopped`
// set when the time limit stopped a fuse or the modeller threw. `forced`:
// a test's stand-in for what the modeller gives. `*volume`: the union's.
bool Unite(const std::vector<TopoDS_Shape>& solids, const std::vector<std::vector<gp_Pnt>>& held,
           TopoDS_Shape* united, double* volume, bool* stopped, WheelUnionForTests forced) {
  try {
    KTX_GUARDED;
    if (forced == WheelUnionForTests::Throws) throw Standard_Failure("a throw a test asked for");
    if (forced == WheelUnionForTests::FallsShort) return false;
    // Neighbours first, then the unions of neighbours: each fuse meets a
    // body that overlaps its partner most, and none grows long before the end.
    std::vector<TopoDS_Shape> level = solids;
    std::vector<std::vector<gp_Pnt>> points = held;
    std::vector<double> volumes;
    for (const TopoDS_Shape& solid : solids) volumes.push_back(Shapes::Volume(solid));
    // A solid alone was checked by no fuse.
    if (level.size() == 1) {
      *united = level.front();
      return Sound(*united, volume);
    }
    while (level.size() > 1) {
      std::vector<TopoDS_Shape> next;
      std::vector<std::vector<gp_Pnt>> nextPoints;
      std::vector<double> nextVolumes;
      for (std::size_t i = 0; i < level.size(); i += 2) {
        if (i + 1 == level.size()) {
          next.push_back(level[i]);
          nextPoints.push_back(std::move(points[i]));
          nextVolumes.push_back(volumes[i]);
          continue;
        }
        std::vector<gp_Pnt> both = std::move(points[i]);
        both.insert(both.end(), points[i + 1].begin(), points[i + 1].end());
        TopoDS_Shape fused;
        double reckoned = 0;
        if (!Fuse(level[i], level[i + 1], {volumes[i], volumes[i + 1]}, both, &fused, &reckoned, stopped, forced))
          return false;
        next.push_back(fused);
        nextPoints.push_back(std::move(both));
        nextVolumes.push_back(reckoned);
      }
      level.swap(next);
      points.swap(nextPoints);
      volumes.swap(nextVolumes);
    }
    // The last fuse's union, which that fuse found sound.
    *united = level.front();
    *volume = volumes.front();
    return true;
  } catch (const Standard_Failure&) {
    *stopped = true;
    return false;
  }
}

// Whether the union holds the tire at every place: points inside the
// section, turned to a few angles about the spindle at each place, lie
// inside it. A union that lost a part of one position's tire fails here even
// when what it left is a valid solid.
bool HoldsEveryPlace(const TopoDS_Shape& united, const std::vector<double>& section,
                     const std::vector<gp_Trsf>& places) {
  const std::vector<std::array<double, 2>> inner = InnerPoints(section);
  if (inner.empty()) return false;
  std::vector<gp_Pnt> points;
  for (const gp_Trsf& place : places) {
    const std::vector<gp_Pnt> more = TirePoints(inner, place);
    points.insert(points.end(), more.begin(), more.end());
  }
  return HoldsAll(united, points);
}

// A file of its own in the temporary folder, reached only through the
// descriptor it was made with while it is in scope: the folder may be one
// another user writes, who could put a link to a file of ours in its name's
// place, so nothing opens that name again. The name goes at once, while it
// still names our file (a name another put there stays as it is).
class ScratchFile {
 public:
  ScratchFile() {
    // When the temporary folder is no folder that takes a file, the system's
    // own word says why.
    folder_ = Files::TemporaryFolder();
    std::string name = (std::filesystem::path(folder_) / "ktxgeom-XXXXXX").string();
    descriptor_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (descriptor_ < 0) {
      reason_ = std::strerror(errno);
      return;
    }
    Bodies::StepForTests("scratch made", name.c_str());
    struct stat own {}, named {};
    if (::fstat(descriptor_, &own) == 0 && ::lstat(name.c_str(), &named) == 0 && own.st_dev == named.st_dev &&
        own.st_ino == named.st_ino)
      ::unlink(name.c_str());
  }
  ~ScratchFile() {
    if (descriptor_ >= 0) ::close(descriptor_);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;
  // -1 when none could be made.
  int Descriptor() const { return descriptor_; }
  // The folder it is made in, and why none could be (empty when one was).
  const std::string& Folder() const { return folder_; }
  const std::string& Reason() const { return reason_; }

 private:
  int descriptor_ = -1;
  std::string folder_, reason_;
};

// What a descriptor holds from where it stands, read as a stream.
class DescriptorInput : public std::streambuf {
 public:
  explicit DescriptorInput(int descriptor) : descriptor_(descriptor) {}

 protected:
  int_type underflow() override {
    ssize_t n;
    do n = ::read(descriptor_, buffer_, sizeof buffer_);
    while (n < 0 && errno == EINTR);
    if (n <= 0) return traits_type::eof();
    setg(buffer_, buffer_, buffer_ + n);
    return traits_type::to_int_type(buffer_[0]);
  }

 private:
  int descriptor_;
  char buffer_[1 << 14];
};

// How far the solid's volume, as the modeller reckons it along its faces'
// boundaries, may stand from that of the same solid read back from a file:
// its area times the largest tolerance of its edges, within which each
// edge's curve and its faces' boundaries may part. (A union whose fuses took
// faces as one within a fuzzy tolerance reckons a few millionths of its
// volume short in memory; the file's tight edges reckon what a fine mesh of
// the union in memory holds.)
double VolumeSlack(const TopoDS_Shape& shape) {
  double most = 0;
  for (TopExp_Explorer edge(shape, TopAbs_EDGE); edge.More(); edge.Next())
    most = std::max(most, BRep_Tool::Tolerance(TopoDS::Edge(edge.Current())));
  GProp_GProps area;
  BRepGProp::SurfaceProperties(shape, area);
  return area.Mass() * most;
}

// Whether the union, written to a STEP file as the kernel writes one and
// read back, is still one sound solid of its volume holding the tire at
// every place: what a user who opens the file gets. A file keeps none of the
// modeller's tolerances. Where a fuse left the ends of edges a few
// micrometres apart inside one vertex made that wide, the vertex reads back
// tight, the reader mends the gaps with edges of its own, and a face's
// boundary may then cross itself: valid in memory, broken as written.
// A file that cannot be made or written in the temporary folder is no
// fault of the union: `*unusable` names the folder and the reason, and no
// other turn of the facets would fare better.
bool ReadsBackWhole(const TopoDS_Shape& united, double volume, const std::vector<double>& section,
                    const std::vector<gp_Trsf>& places, ScratchFailure* unusable) {
  const double scale = Bodies::FileScale();
  if (!(scale > 0)) return false;
  ScratchFile file;
  if (file.Descriptor() < 0) {
    *unusable = {file.Folder(), file.Reason()};
    return false;
  }
  Files::DescriptorBuffer buffer(file.Descriptor());
  std::ostream out(&buffer);
  const bool written = Shapes::WriteStep({united}, scale, out);
  if (buffer.Error() != 0) {
    *unusable = {file.Folder(), std::strerror(buffer.Error())};
    return false;
  }
  if (!written || ::lseek(file.Descriptor(), 0, SEEK_SET) != 0) return false;
  DescriptorInput input(file.Descriptor());
  std::istream in(&input);
  std::vector<TopoDS_Shape> read;
  if (!Shapes::ReadStep(in, 1 / scale, &read) || read.size() != 1) return false;
  double readVolume = 0;
  return Sound(read.front(), &readVolume) && std::fabs(readVolume - volume) <= VolumeSlack(united) &&
         HoldsEveryPlace(read.front(), section, places);
}

}  // namespace

void SetWheelUnionsForTests(const std::vector<WheelUnionForTests>& byTurn) { unionsForTests() = byTurn; }

int CrackForTests(int body, WheelUnionForTests how, int* cracked) {
  Bodies::Clock clock;
  *cracked = 0;
  const TopoDS_Shape* shape = Bodies::ShapeOf(body);
  if (shape == nullptr) return ZV_ERROR_bad_value;
  try {
    KTX_GUARDED;
    TopoDS_Shape made;
    if (!Cracked(*shape, how, &made)) return ZV_ERROR_bad_value;
    *cracked = Bodies::NewBody(BodyType::Solid, made);
    return 0;
  } catch (const Standard_Failure&) {
    return ZV_ERROR_bad_value;
  }
}

int MakeWheelSweep(const std::vector<double>& section, const std::vector<WheelPlace>& places, double offset,
                   int* body, WheelFacets* facets) {
  Bodies::Clock clock;
  if (facets != nullptr) *facets = WheelFacets{};
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
  auto make = [&](const std::vector<double>& turned, TopoDS_Shape* made) {
    return places.size() == 1 ? Revolution(turned, made) : Faceted(turned, kSegments, made);
  };
  TopoDS_Shape tire;
  if (!make(section, &tire)) return ZV_ERROR_geometry;
  // A section that crosses itself turns into no sound solid (one inside out).
  if (!Sound(tire)) return ZV_ERROR_bad_value;
  // The section the tire is made of, grown when there is an offset.
  std::vector<double> swept = section;
  if (offset > 0) {
    TopoDS_Shape grown;
    if (!Grown(section, offset, &swept) || !make(swept, &grown) || !Sound(grown)) return ZV_ERROR_geometry;
    tire = grown;
  }
  std::vector<gp_Trsf> moves;
  for (std::size_t i = 0; i < places.size(); ++i) {
    // A wheel standing still between positions adds nothing.
    const WheelPlace& place = places[i];
    if (i > 0 && std::equal(place.centre, place.centre + 3, places[i - 1].centre) &&
        std::equal(place.axis, place.axis + 3, places[i - 1].axis))
      continue;
    moves.push_back(MoveTo(place));
  }
  if (moves.size() == 1) {
    *body = Bodies::NewBody(BodyType::Solid, BRepBuilderAPI_Transform(tire, moves.front(), Standard_True).Shape());
    return 0;
  }
  // A union the modeller cannot make whole is no envelope: a smaller or
  // broken solid would let a clearance run miss what it meets. Nor is one
  // whose file reads back broken. For either the next turn of the facets is
  // tried, which moves where the facets of near positions meet (the
  // short-long arm's 16 x 1 grid: at the first turn the fuse of its first
  // two unions of eight positions, plain or fuzzy, loses a part of one or
  // breaks). A union the time limit stops, or whose modeller throws, is
  // refused at once (fine grids, where another turn would take as long
  // again).
  const std::vector<std::array<double, 2>> inner = InnerPoints(section);
  if (inner.empty()) return ZV_ERROR_geometry;
  double largest = 0;
  for (std::size_t i = 1; i < swept.size(); i += 2) largest = std::max(largest, swept[i]);
  const std::vector<WheelUnionForTests>& forced = unionsForTests();
  for (std::size_t at = 0; at < std::size(kFacetTurnDegrees); ++at) {
    const double turn = kFacetTurnDegrees[at] * std::numbers::pi / 180;
    if (facets != nullptr)
      *facets = WheelFacets{static_cast<int>(at) + 1, kFacetTurnDegrees[at],
                            largest * (1 / std::cos(std::numbers::pi / kSegments) - 1), {}};
    // Each position's facets turned about the spindle by `turn` more than
    // the one before: neighbouring positions a few degrees of steering apart
    // then meet facet across facet instead of in nearly the same planes,
    // where the fuses of their unions break. The facets hold the tire at
    // any turn.
    std::vector<TopoDS_Shape> solids;
    std::vector<std::vector<gp_Pnt>> held;
    for (std::size_t i = 0; i < moves.size(); ++i) {
      gp_Trsf spin;
      spin.SetRotation(gp_Ax1(gp_Pnt(0, 0, 0), gp_Dir(0, 0, 1)), turn * static_cast<double>(i));
      solids.push_back(BRepBuilderAPI_Transform(tire, moves[i] * spin, Standard_True).Shape());
      held.push_back(TirePoints(inner, moves[i]));
    }
    TopoDS_Shape united;
    double volume = 0;
    try {
      KTX_GUARDED;
      bool stopped = false;
      const WheelUnionForTests test = at < forced.size() ? forced[at] : WheelUnionForTests::Modeller;
      if (!Unite(solids, held, &united, &volume, &stopped, test)) {
        if (stopped) return ZV_ERROR_geometry;
        continue;
      }
      ScratchFailure unusable;
      if (!ReadsBackWhole(united, volume, section, moves, &unusable)) {
        if (unusable.folder.empty()) continue;
        if (facets != nullptr) facets->scratch = unusable;
        return ZV_ERROR_geometry;
      }
    } catch (const Standard_Failure&) {
      return ZV_ERROR_geometry;
    }
    *body = Bodies::NewBody(BodyType::Solid, united);
    return 0;
  }
  return ZV_ERROR_geometry;
}

int MinimumDistance(int first, int second, double* distance, double onFirst[3], double onSecond[3]) {
  Bodies::Clock clock;
  const TopoDS_Shape* a = Bodies::ShapeOf(first);
  const TopoDS_Shape* b = Bodies::ShapeOf(second);
  if (a == nullptr || b == nullptr) return ZV_ERROR_bad_tag;
  if (distance == nullptr) return ZV_ERROR_bad_value;
  try {
    KTX_GUARDED;
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
