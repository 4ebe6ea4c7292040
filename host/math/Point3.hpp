// The host's plain three-dimensional point and vector.
#pragma once

namespace KTX::Math {

struct Point3 {
  double X = 0.0;
  double Y = 0.0;
  double Z = 0.0;
};

struct Vector3 {
  double X = 0.0;
  double Y = 0.0;
  double Z = 0.0;
};

}  // namespace KTX::Math
