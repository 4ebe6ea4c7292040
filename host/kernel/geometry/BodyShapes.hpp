// The kernel's bodies as the geometry module's sources reach their geometry
// (only kernel/geometry includes this). Lengths are kernel units.
#pragma once
#include <TopoDS_Shape.hxx>

#include "kernel/Modeller.hpp"

namespace KTX::Kernel {

// What the kernel's opaque shape holds.
struct Shape {
  TopoDS_Shape value;
};

namespace Bodies {

// The kernel's side, as the module was given it when loaded (Attach).
void Attach(BodyAccess* bodies);
BodyAccess& Kernel();

// The shape as the kernel holds it (null for a null shape), and back (a
// null shape for null).
ShapeRef Wrap(const TopoDS_Shape& shape);
const TopoDS_Shape& Unwrap(const ShapeRef& shape);

// A new live body holding the shape, with one kernel face per face of it (in
// the order TopExp::MapShapes finds them), made in the current partition.
int Make(BodyType type, const TopoDS_Shape& shape);
// Gives a live body new geometry (new face tags, the old faces killed).
void Set(int body, const TopoDS_Shape& shape);
// Takes a live body's geometry away; its faces stay as they were, so the
// model faces that stand for them still answer (a tool consumed by a
// boolean whose feature is still asked for its faces).
void Drop(int body);
// The geometry of a live body; null for a body without it.
const TopoDS_Shape* Of(int body);

// The host's length of one kernel unit, and the time limit of one long call
// in seconds (BodyAccess).
double FileScale();
double LimitSeconds();
// For tests: the kernel's hook at the module's named step (see
// SetModellerStepForTests).
void StepForTests(const char* step, const char* path);

// Adds the time of its scope to the kernel's modelling time (GeometrySeconds).
class Clock {
 public:
  Clock() { Kernel().EnterClock(); }
  ~Clock() { Kernel().LeaveClock(); }
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;
};

}  // namespace Bodies
}  // namespace KTX::Kernel
