// The kernel's bodies as its own sources reach them: a body's shape, a new
// body holding a shape, and the modeller's clock. Only host/kernel includes it.
#pragma once
#include <TopoDS_Shape.hxx>

#include "kernel/Kernel.hpp"

namespace KTX::Kernel::Bodies {

// The geometry of a live body; null for none.
const TopoDS_Shape* ShapeOf(int body);
// A new live body of that type holding the shape (its faces made for it).
int NewBody(BodyType type, const TopoDS_Shape& shape);
// Adds the time of its scope to the modeller's share (GeometrySeconds).
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
