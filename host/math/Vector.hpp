// The host's arithmetic on points and vectors held as three doubles, as its
// calls take them. Each is written out in one order of operations, so that
// a caller gets the same bits wherever it asks.
#pragma once
#include <cmath>

namespace KTX::Math {

inline double Dot(const double a[3], const double b[3]) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }

inline void Cross(const double a[3], const double b[3], double out[3]) {
  const double x = a[1] * b[2] - a[2] * b[1];
  const double y = a[2] * b[0] - a[0] * b[2];
  const double z = a[0] * b[1] - a[1] * b[0];
  out[0] = x;
  out[1] = y;
  out[2] = z;
}

inline void Copy(const double from[3], double to[3]) {
  for (int i = 0; i < 3; ++i) to[i] = from[i];
}

// out = a - b
inline void Subtract(const double a[3], const double b[3], double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = a[i] - b[i];
}

// out = point + scale * direction (out may be point)
inline void AddScaled(const double point[3], double scale, const double direction[3], double out[3]) {
  for (int i = 0; i < 3; ++i) out[i] = point[i] + scale * direction[i];
}

// |a - b|, through hypot (no overflow for far points).
inline double Distance(const double a[3], const double b[3]) {
  return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

// The plane matrix's third row, its normal.
inline void NormalOfMatrix(const double matrix[9], double normal[3]) { Copy(matrix + 6, normal); }

}  // namespace KTX::Math
