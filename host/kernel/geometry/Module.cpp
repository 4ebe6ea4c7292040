// The geometry module's one entry: the modeller the kernel loads on its
// first need of it (see kernel/Modeller.hpp).
#include <utility>

#include <Standard_Failure.hxx>

#include "kernel/geometry/BodyShapes.hpp"
#include "kernel/geometry/Faults.hpp"
#include "kernel/geometry/Modelling.hpp"
#include "kernel/geometry/Shapes.hpp"

namespace KTX::Kernel {
namespace Bodies {
namespace {

BodyAccess* kernel = nullptr;

}  // namespace

BodyAccess& Kernel() { return *kernel; }

ShapeRef Wrap(const TopoDS_Shape& shape) {
  if (shape.IsNull()) return nullptr;
  return std::make_shared<const Shape>(Shape{shape});
}

const TopoDS_Shape& Unwrap(const ShapeRef& shape) {
  static const TopoDS_Shape none;
  return shape == nullptr ? none : shape->value;
}

// The kernel's own work: a fault there is the host's (see HostCall). A call
// that took a fault fails, so what it would make of the bodies afterwards
// is not made: nothing is changed, and no body is made (0).
int Make(BodyType type, const TopoDS_Shape& shape) {
  if (InnermostCallFaulted()) return 0;
  const HostCall host;
  return kernel->Make(type, Wrap(shape));
}
void Set(int body, const TopoDS_Shape& shape) {
  if (InnermostCallFaulted()) return;
  const HostCall host;
  kernel->Set(body, Wrap(shape));
}
void Drop(int body) {
  if (InnermostCallFaulted()) return;
  const HostCall host;
  kernel->Drop(body);
}

const TopoDS_Shape* Of(int body) {
  const HostCall host;
  const ShapeRef* shape = kernel->Of(body);
  return shape == nullptr || *shape == nullptr ? nullptr : &(*shape)->value;
}

double FileScale() {
  const HostCall host;
  return kernel->FileScale();
}
double LimitSeconds() {
  const HostCall host;
  return kernel->LimitSeconds();
}

void StepForTests(const char* step, const char* path) { kernel->StepForTests(step, path); }

void Attach(BodyAccess* bodies) { kernel = bodies; }

}  // namespace Bodies

void GuardedStepForTests(const char* step) { Bodies::StepForTests(step, nullptr); }

void ModellersOwnBlockForTests() {
  try {
    OCC_CATCH_SIGNALS
    Bodies::StepForTests("inside the modeller's own", nullptr);
  } catch (const Standard_Failure&) {
  }
}

namespace {

using Bodies::Unwrap;
using Bodies::Wrap;

std::vector<TopoDS_Shape> unwrapped(const std::vector<ShapeRef>& shapes) {
  std::vector<TopoDS_Shape> out;
  out.reserve(shapes.size());
  for (const ShapeRef& shape : shapes) out.push_back(Unwrap(shape));
  return out;
}

// Each call is one ModellerCall. A call during which a fault was turned
// (ModellerCall::Faulted) answers its failure, whatever its work answered
// after the fault: false, Failed, ZV_ERROR_geometry, with nothing made (the
// bodies it would have made or changed were not, see Bodies). Calls with no
// guarded work (a copy, a volume, a count) take no fault for theirs.
class OcctModeller final : public Modeller {
 public:
  bool PlanarFace(const std::vector<std::vector<double>>& polygons, const double point[3], const double normal[3],
                  ShapeRef* face) override {
    const ModellerCall call;
    TopoDS_Shape made;
    const bool done = Shapes::PlanarFace(polygons, point, normal, &made);
    *face = call.Faulted() ? nullptr : Wrap(made);
    return done && !call.Faulted();
  }
  // Its one guarded block answers its failure (every face's edges its own).
  void SewnEdges(const std::vector<FaceBoundary>& faces, double tolerance, std::vector<std::vector<int>>* faceEdges,
                 std::vector<std::vector<double>>* ends) override {
    const ModellerCall call;
    Shapes::SewnEdges(faces, tolerance, faceEdges, ends);
  }
  bool Prism(const ShapeRef& face, const double path[3], ShapeRef* solid) override {
    const ModellerCall call;
    TopoDS_Shape made;
    const bool done = Shapes::Prism(Unwrap(face), path, &made);
    *solid = call.Faulted() ? nullptr : Wrap(made);
    return done && !call.Faulted();
  }
  Shapes::Outcome Offset(const ShapeRef& shape, double offset, double tolerance, ShapeRef* result) override {
    const ModellerCall call;
    TopoDS_Shape made;
    const Shapes::Outcome outcome = Shapes::Offset(Unwrap(shape), offset, tolerance, &made);
    return answer(call, outcome, made, result);
  }
  Shapes::Outcome Boolean(const ShapeRef& target, const std::vector<ShapeRef>& tools, Shapes::Operation operation,
                          ShapeRef* result) override {
    const ModellerCall call;
    TopoDS_Shape made;
    const Shapes::Outcome outcome = Shapes::Boolean(Unwrap(target), unwrapped(tools), operation, &made);
    return answer(call, outcome, made, result);
  }
  Shapes::Outcome HalfSpace(const ShapeRef& shape, const double point[3], const double normal[3],
                            ShapeRef* result) override {
    const ModellerCall call;
    TopoDS_Shape made;
    const Shapes::Outcome outcome = Shapes::HalfSpace(Unwrap(shape), point, normal, &made);
    return answer(call, outcome, made, result);
  }
  ShapeRef Copy(const ShapeRef& shape) override {
    const ModellerCall call;
    return Wrap(Shapes::Copy(Unwrap(shape)));
  }
  double Volume(const ShapeRef& shape) override {
    const ModellerCall call;
    return Shapes::Volume(Unwrap(shape));
  }
  bool Bounds(const ShapeRef& shape, const double origin[3], const double matrix[9], double min[3],
              double max[3]) override {
    const ModellerCall call;
    const bool done = Shapes::Bounds(Unwrap(shape), origin, matrix, min, max);
    return done && !call.Faulted();
  }
  int Classify(const ShapeRef& shape, const double point[3], double tolerance) override {
    const ModellerCall call;
    return Shapes::Classify(Unwrap(shape), point, tolerance);
  }
  bool ClassifyPoints(const ShapeRef& shape, const double* points, int n, double tolerance, int* where) override {
    const ModellerCall call;
    const bool done = Shapes::ClassifyPoints(Unwrap(shape), points, n, tolerance, where);
    return done && !call.Faulted();
  }
  double Tolerance(const ShapeRef& shape) override {
    const ModellerCall call;
    return Shapes::Tolerance(Unwrap(shape));
  }
  int FaceCount(const ShapeRef& shape) override {
    const ModellerCall call;
    return Shapes::FaceCount(Unwrap(shape));
  }
  bool IsSolid(const ShapeRef& shape) override {
    const ModellerCall call;
    return Shapes::IsSolid(Unwrap(shape));
  }
  bool WriteStep(const std::vector<ShapeRef>& shapes, double scale, std::ostream& out) override {
    const ModellerCall call;
    const bool done = Shapes::WriteStep(unwrapped(shapes), scale, out);
    return done && !call.Faulted();
  }
  bool ReadStep(const std::string& file, double scale, std::vector<ShapeRef>* solids) override {
    const ModellerCall call;
    std::vector<TopoDS_Shape> read;
    const bool done = Shapes::ReadStep(file, scale, &read);
    if (call.Faulted()) return false;
    for (const TopoDS_Shape& solid : read) solids->push_back(Wrap(solid));
    return done;
  }

  int MakeExtrusion(const std::vector<std::vector<double>>& loops, const double direction[3], double start,
                    double end, bool sheet, int* body) override {
    const ModellerCall call;
    return status(call, Modelling::MakeExtrusion(loops, direction, start, end, sheet, body));
  }
  int OffsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result) override {
    const ModellerCall call;
    const int done = status(call, Modelling::OffsetLoop(loop, outward, result));
    if (call.Faulted() && result != nullptr) result->clear();
    return done;
  }
  int OffsetSheet(int sheet, double distance, int* result) override {
    const ModellerCall call;
    return status(call, Modelling::OffsetSheet(sheet, distance, result));
  }
  int MakeBoxSheet(const double origin[3], const double matrix[9], const double low[3], const double high[3],
                   int* sheet) override {
    const ModellerCall call;
    return status(call, Modelling::MakeBoxSheet(origin, matrix, low, high, sheet));
  }
  int Combine(int target, int tool, bool subtract) override {
    const ModellerCall call;
    return status(call, Modelling::Combine(target, tool, subtract));
  }
  int ChamferEdges(int body, const std::vector<std::vector<double>>& edges, double first, double second,
                   double tolerance, int* chamfered) override {
    const ModellerCall call;
    Bodies::StepForTests("entered", nullptr);
    const int done = status(call, Modelling::ChamferEdges(body, edges, first, second, tolerance, chamfered));
    if (call.Faulted() && chamfered != nullptr) *chamfered = 0;
    return done;
  }
  int SmoothPoints(const std::vector<double>& points, bool closed, double tolerance,
                   std::vector<double>* samples) override {
    const ModellerCall call;
    const int done = status(call, Modelling::SmoothPoints(points, closed, tolerance, samples));
    if (call.Faulted() && samples != nullptr) samples->clear();
    return done;
  }
  bool PlaneOfBody(int body, double point[3], double normal[3]) override {
    const ModellerCall call;
    return Modelling::PlaneOfBody(body, point, normal);
  }
  int CheckClosedSolid(int body) override {
    const ModellerCall call;
    const int checked = Modelling::CheckClosedSolid(body);
    return call.Faulted() ? -1 : checked;
  }
  // A face or an edge the modeller faulted on is described as one it
  // cannot describe (each has its guarded block).
  std::vector<FaceShape> DescribeFaces(int body) override {
    const ModellerCall call;
    return Modelling::DescribeFaces(body);
  }
  bool DescribeEdges(int body, std::vector<std::vector<double>>* edges,
                     std::vector<std::vector<int>>* faceEdges) override {
    const ModellerCall call;
    return Modelling::DescribeEdges(body, edges, faceEdges);
  }
  int MakeWheelSweep(const std::vector<double>& section, const std::vector<WheelPlace>& places, double offset,
                     int* body, WheelFacets* facets) override {
    const ModellerCall call;
    return status(call, Modelling::MakeWheelSweep(section, places, offset, body, facets));
  }
  void SetWheelUnionsForTests(const std::vector<WheelUnionForTests>& byTurn) override {
    Modelling::SetWheelUnionsForTests(byTurn);
  }
  int CrackForTests(int body, WheelUnionForTests how, int* cracked) override {
    const ModellerCall call;
    return status(call, Modelling::CrackForTests(body, how, cracked));
  }
  int MinimumDistance(int first, int second, double* distance, double onFirst[3], double onSecond[3]) override {
    const ModellerCall call;
    return status(call, Modelling::MinimumDistance(first, second, distance, onFirst, onSecond));
  }

 private:
  static int status(const ModellerCall& call, int done) { return call.Faulted() ? ZV_ERROR_geometry : done; }
  static Shapes::Outcome answer(const ModellerCall& call, Shapes::Outcome outcome, const TopoDS_Shape& made,
                                ShapeRef* result) {
    if (call.Faulted()) {
      *result = nullptr;
      return Shapes::Outcome::Failed;
    }
    *result = Wrap(made);
    return outcome;
  }
};

}  // namespace
}  // namespace KTX::Kernel

extern "C" __attribute__((visibility("default"))) KTX::Kernel::Modeller* ktx_geometry_modeller(
    KTX::Kernel::BodyAccess* bodies, int version) {
  if (version != KTX::Kernel::kModellerVersion || bodies == nullptr) return nullptr;
  KTX::Kernel::Bodies::Attach(bodies);
  static KTX::Kernel::OcctModeller modeller;
  return &modeller;
}
