// The kernel's bodies under the names the wheel's sources use (only
// kernel/geometry includes it).
#pragma once
#include "kernel/geometry/BodyShapes.hpp"

namespace KTX::Kernel::Bodies {

inline const TopoDS_Shape* ShapeOf(int body) { return Of(body); }
inline int NewBody(BodyType type, const TopoDS_Shape& shape) { return Make(type, shape); }

}  // namespace KTX::Kernel::Bodies
