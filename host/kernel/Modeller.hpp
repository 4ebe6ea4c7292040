// What the kernel and its geometry module (libktxgeom.so, the sources under
// kernel/geometry, the only ones that include Open CASCADE) say to each
// other. The kernel loads the module the first time it needs the modeller
// (see host/README.md), so that a session that makes no geometry never pays
// for loading the modeller's libraries. Nothing here names the modeller's
// types: a shape is opaque to the kernel, shared by the bodies (and undo
// records) that hold it and freed by the module when the last lets it go.
// Lengths are kernel units.
#pragma once
#include <memory>
#include <iosfwd>
#include <string>
#include <vector>

#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "kernel/Wheel.hpp"

namespace KTX::Kernel {

// A shape of the modeller; only the module knows what is in it.
struct Shape;
using ShapeRef = std::shared_ptr<const Shape>;

namespace Shapes {
// Stopped: the modeller ran past the time limit (see SetGeometryLimit).
enum class Outcome { Done, NoVolume, Failed, Stopped };
enum class Operation { Unite, Subtract, Intersect };
}  // namespace Shapes

// The kernel's bodies as the module reaches them (given to the module when
// it is loaded).
class BodyAccess {
 public:
  // A new live body holding the shape, in the current partition.
  virtual int Make(BodyType type, ShapeRef shape) = 0;
  // A live body's new geometry (new face tags).
  virtual void Set(int body, ShapeRef shape) = 0;
  // Takes a live body's geometry away, its faces kept.
  virtual void Drop(int body) = 0;
  // The geometry of a live body (gathered booleans applied); null without.
  virtual const ShapeRef* Of(int body) = 0;
  // The modelling time's scope (GeometrySeconds), nested scopes counted once.
  virtual void EnterClock() = 0;
  virtual void LeaveClock() = 0;
  // The longest one long call of the modeller may run, in seconds.
  virtual double LimitSeconds() = 0;
  // The host's length of one kernel unit: the scale STEP files are written at.
  virtual double FileScale() = 0;
  // For tests: the hook SetModellerStepForTests set, called at the step.
  virtual void StepForTests(const char* step, const char* path) = 0;

 protected:
  ~BodyAccess() = default;
};

// The modeller, as the module offers it. The first group works on shapes
// (the kernel's own bodies hold them); the second is the kernel's public
// modelling (Solids.hpp, Wheel.hpp), called only once a body holds geometry
// or the call makes some.
class Modeller {
 public:
  virtual bool PlanarFace(const std::vector<std::vector<double>>& polygons, const double point[3],
                          const double normal[3], ShapeRef* face) = 0;
  virtual void SewnEdges(const std::vector<FaceBoundary>& faces, double tolerance,
                         std::vector<std::vector<int>>* faceEdges, std::vector<std::vector<double>>* ends) = 0;
  virtual bool Prism(const ShapeRef& face, const double path[3], ShapeRef* solid) = 0;
  virtual Shapes::Outcome Offset(const ShapeRef& shape, double offset, double tolerance, ShapeRef* result) = 0;
  virtual Shapes::Outcome Boolean(const ShapeRef& target, const std::vector<ShapeRef>& tools,
                                  Shapes::Operation operation, ShapeRef* result) = 0;
  virtual Shapes::Outcome HalfSpace(const ShapeRef& shape, const double point[3], const double normal[3],
                                    ShapeRef* result) = 0;
  virtual ShapeRef Copy(const ShapeRef& shape) = 0;
  virtual double Volume(const ShapeRef& shape) = 0;
  virtual bool Bounds(const ShapeRef& shape, const double origin[3], const double matrix[9], double min[3],
                      double max[3]) = 0;
  virtual int Classify(const ShapeRef& shape, const double point[3], double tolerance) = 0;
  virtual bool ClassifyPoints(const ShapeRef& shape, const double* points, int n, double tolerance, int* where) = 0;
  virtual double Tolerance(const ShapeRef& shape) = 0;
  virtual int FaceCount(const ShapeRef& shape) = 0;
  virtual bool IsSolid(const ShapeRef& shape) = 0;
  virtual bool WriteStep(const std::vector<ShapeRef>& shapes, double scale, std::ostream& out) = 0;
  virtual bool ReadStep(const std::string& file, double scale, std::vector<ShapeRef>* solids) = 0;

  virtual int MakeExtrusion(const std::vector<std::vector<double>>& loops, const double direction[3], double start,
                            double end, bool sheet, int* body) = 0;
  virtual int OffsetLoop(const std::vector<double>& loop, double outward, std::vector<double>* result) = 0;
  virtual int OffsetSheet(int sheet, double distance, int* result) = 0;
  virtual int MakeBoxSheet(const double origin[3], const double matrix[9], const double low[3],
                           const double high[3], int* sheet) = 0;
  virtual int Combine(int target, int tool, bool subtract) = 0;
  virtual int ChamferEdges(int body, const std::vector<std::vector<double>>& edges, double first, double second,
                           double tolerance, int* chamfered) = 0;
  virtual int SmoothPoints(const std::vector<double>& points, bool closed, double tolerance,
                           std::vector<double>* samples) = 0;
  virtual bool PlaneOfBody(int body, double point[3], double normal[3]) = 0;
  // 1 one valid closed solid, 0 not, -1 the modeller's failure (a fault in
  // its checker's work).
  virtual int CheckClosedSolid(int body) = 0;
  virtual std::vector<FaceShape> DescribeFaces(int body) = 0;
  // False when the body's faces and edges could not be walked (a fault).
  virtual bool DescribeEdges(int body, std::vector<std::vector<double>>* edges,
                             std::vector<std::vector<int>>* faceEdges) = 0;
  virtual int MakeWheelSweep(const std::vector<double>& section, const std::vector<WheelPlace>& places, double offset,
                             int* body, WheelFacets* facets) = 0;
  virtual void SetWheelUnionsForTests(const std::vector<WheelUnionForTests>& byTurn) = 0;
  virtual int CrackForTests(int body, WheelUnionForTests how, int* cracked) = 0;
  virtual int MinimumDistance(int first, int second, double* distance, double onFirst[3], double onSecond[3]) = 0;

 protected:
  ~Modeller() = default;
};

// The module's one export: its modeller, working on the kernel's bodies
// through `bodies`; null when the module was built for another version of
// this interface.
constexpr int kModellerVersion = 7;
constexpr const char* kModellerEntry = "ktx_geometry_modeller";
using ModellerEntry = Modeller* (*)(BodyAccess* bodies, int version);

// The module's file name; found beside the host library (or where
// KTX_GEOMETRY_MODULE names it).
constexpr const char* kModuleFile = "libktxgeom.so";

// The kernel's side of the module's work (Kernel.cpp).
BodyAccess& KernelBodies();

// The modeller, the module loaded on the first call. Null when it cannot be
// loaded: the error is recorded (KERNEL_error) and written to standard error
// once.
Modeller* LoadModeller();
// The modeller where a shape is at hand: only the module makes shapes, so
// it is loaded then.
Modeller& LoadedModeller();
// Whether the module is loaded (nothing is loaded by asking).
bool ModellerLoaded();

// For tests: what WriteStep calls in the module's place with the stream
// over the temporary file it fills (null: the module); it may return false
// or throw as the module may.
using StepWriterForTests = bool (*)(std::ostream& out);
KTX_HOST_API void SetStepWriterForTests(StepWriterForTests writer);

// For tests: what the module calls at its named steps (null: nothing).
// "entered": a chamfer has entered the modeller, outside its guarded block;
// "guarded": at the start of each guarded block of a call, where the
// modeller's own work runs; "inside the modeller's own": right after it,
// inside a block of the modeller's own kind (one that takes a fault for an
// answer and goes on); "making a body", "setting a body",
// "dropping a body": the kernel's own work that a call calls back;
// "checked": the modeller's checker has checked a body's every piece, in
// its guarded block, before its verdict is read; "walking": at the start of
// the block that walks a body's faces and edges before they are described
// (in place of "guarded"); "walked": at the end of that walk, in its block;
// "faces mapped": the checker has mapped the solid's faces and counted
// their edges, in its guarded block, before it checks;
// "scratch made": the file the tire's union is read back through was just
// made, at `path`.
using ModellerStepForTests = void (*)(const char* step, const char* path);
KTX_HOST_API void SetModellerStepForTests(ModellerStepForTests step);

}  // namespace KTX::Kernel
