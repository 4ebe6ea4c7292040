// Rigid transformations as 4 x 4 matrices in row order: a point p (a
// column) goes to R p + t, with R in the rows and columns 0 to 2 and t in
// elements 3, 7 and 11; the last row is (0, 0, 0, 1).
#pragma once
#include "Export.hpp"

namespace KTX {

// The motion that carries the first coordinate system (origin, X axis, Y
// axis) onto the second: each point keeps its coordinates in the system it
// moves with. The axes are made unit and Y square to X; Z is X cross Y.
KTX_HOST_API void MTX4_csys_to_csys(const double fromOrigin[3], const double fromX[3], const double fromY[3],
                                    const double toOrigin[3], const double toX[3], const double toY[3],
                                    double matrix[16]);
// The transformation `first` followed by `second` (the product second x
// first); `result` may be either of them.
KTX_HOST_API void MTX4_multiply(const double first[16], const double second[16], double result[16]);

}  // namespace KTX
