#include "geom/Transform.hpp"

#include <cmath>
#include <cstring>

#include "math/Vector.hpp"

namespace KTX {
namespace {
// The columns of a frame: X, Y made square to X, and Z.
void frameOf(const double x[3], const double y[3], double axes[3][3]) {
  const auto unit = [](double v[3]) {
    const double length = std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]);
    if (length > 0)
      for (int i = 0; i < 3; ++i) v[i] /= length;
  };
  double* ax = axes[0];
  double* ay = axes[1];
  double* az = axes[2];
  std::memcpy(ax, x, 3 * sizeof(double));
  unit(ax);
  const double along = ax[0] * y[0] + ax[1] * y[1] + ax[2] * y[2];
  for (int i = 0; i < 3; ++i) ay[i] = y[i] - along * ax[i];
  unit(ay);
  Math::Cross(ax, ay, az);
}
}  // namespace

void MTX4_csys_to_csys(const double fromOrigin[3], const double fromX[3], const double fromY[3],
                       const double toOrigin[3], const double toX[3], const double toY[3], double matrix[16]) {
  double from[3][3], to[3][3];
  frameOf(fromX, fromY, from);
  frameOf(toX, toY, to);
  // R = To x From transposed: the k-th axis of `from` goes to the k-th of `to`.
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      double sum = 0;
      for (int k = 0; k < 3; ++k) sum += to[k][r] * from[k][c];
      matrix[4 * r + c] = sum;
    }
  }
  for (int r = 0; r < 3; ++r) {
    double moved = 0;
    for (int c = 0; c < 3; ++c) moved += matrix[4 * r + c] * fromOrigin[c];
    matrix[4 * r + 3] = toOrigin[r] - moved;
  }
  matrix[12] = matrix[13] = matrix[14] = 0;
  matrix[15] = 1;
}

void MTX4_multiply(const double first[16], const double second[16], double result[16]) {
  double product[16];
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) {
      double sum = 0;
      for (int k = 0; k < 4; ++k) sum += second[4 * r + k] * first[4 * k + c];
      product[4 * r + c] = sum;
    }
  std::memcpy(result, product, sizeof product);
}

}  // namespace KTX
