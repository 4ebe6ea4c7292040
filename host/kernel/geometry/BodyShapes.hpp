// The kernel's bodies as its own modelling sources reach their geometry (only
// host/kernel includes this). Lengths are kernel units.
#pragma once
#include <TopoDS_Shape.hxx>

#include "kernel/Kernel.hpp"

namespace KTX::Kernel::Bodies {

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
// The kernel faces of a live body, in the order of its shape's faces.
std::vector<int> Faces(int body);
// Kills a live body and its faces (no check: the caller made it).
void Kill(int body);

// Adds the time of its scope to the kernel's modelling time (GeometrySeconds).
class Clock {
 public:
  Clock();
  ~Clock();
  Clock(const Clock&) = delete;
  Clock& operator=(const Clock&) = delete;

 private:
  double start_;
};

}  // namespace KTX::Kernel::Bodies
