#include "vd/Suspension.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "math/Vector.hpp"

namespace KTX::VD {
namespace {

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(double s, Vec3 a) { return {s * a.x, s * a.y, s * a.z}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) {
  const double u[3] = {a.x, a.y, a.z}, v[3] = {b.x, b.y, b.z};
  double c[3];
  Math::Cross(u, v, c);
  return {c[0], c[1], c[2]};
}
double Length(Vec3 a) { return std::sqrt(Dot(a, a)); }
Vec3 Unit(Vec3 a) {
  const double l = Length(a);
  return l > 0 ? (1 / l) * a : Vec3{};
}
Vec3 At(const VD_point_pair_s& pair) { return {pair.point.x, pair.point.y, pair.point.z}; }

// A point's circle about an axis: centre, radius and the circle's frame (u
// towards the point, v = axis x u), so that the point at angle t is
// centre + radius (cos t u + sin t v).
struct Circle {
  Vec3 centre, u, v;
  double radius = 0;
  Vec3 At(double t) const { return centre + radius * (std::cos(t) * u + std::sin(t) * v); }
};
Circle CircleOf(Vec3 point, Vec3 axisPoint, Vec3 axisDirection) {
  const Vec3 k = Unit(axisDirection);
  const Vec3 centre = axisPoint + Dot(point - axisPoint, k) * k;
  const Vec3 radial = point - centre;
  Circle c{centre, Unit(radial), Cross(k, Unit(radial)), Length(radial)};
  return c;
}

// The solution of a cos t + b sin t = c nearest to t = 0; where there is
// none, the t at which the left side comes nearest to c.
double NearestRoot(double a, double b, double c) {
  const double r = std::hypot(a, b);
  if (r == 0) return 0;
  const double phase = std::atan2(b, a);
  const double spread = std::acos(std::clamp(c / r, -1.0, 1.0));
  auto wrap = [](double t) { return std::remainder(t, 2 * std::numbers::pi); };
  const double one = wrap(phase - spread), other = wrap(phase + spread);
  return std::fabs(one) <= std::fabs(other) ? one : other;
}

// Whether a cos t + b sin t = c has a solution (within rounding).
bool HasRoot(double a, double b, double c) {
  const double r = std::hypot(a, b);
  return std::isfinite(c) && std::fabs(c) <= r + 1e-9 * std::max(r, 1.0);
}

// The rotation by `angle` about the unit axis k (row order).
void AxisRotation(Vec3 k, double angle, double m[9]) {
  const double c = std::cos(angle), s = std::sin(angle), t = 1 - c;
  const double r[9] = {t * k.x * k.x + c,       t * k.x * k.y - s * k.z, t * k.x * k.z + s * k.y,
                       t * k.x * k.y + s * k.z, t * k.y * k.y + c,       t * k.y * k.z - s * k.x,
                       t * k.x * k.z - s * k.y, t * k.y * k.z + s * k.x, t * k.z * k.z + c};
  std::copy(r, r + 9, m);
}
Vec3 Times(const double m[9], Vec3 p) {
  return {m[0] * p.x + m[1] * p.y + m[2] * p.z, m[3] * p.x + m[4] * p.y + m[5] * p.z,
          m[6] * p.x + m[7] * p.y + m[8] * p.z};
}
void Product(const double a[9], const double b[9], double out[9]) {
  double r[9];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) r[3 * i + j] = a[3 * i] * b[j] + a[3 * i + 1] * b[3 + j] + a[3 * i + 2] * b[6 + j];
  std::copy(r, r + 9, out);
}

// The rotation that turns unit vector `from` onto unit vector `to` about
// their common normal (none when they are parallel).
void Aligning(Vec3 from, Vec3 to, double m[9]) {
  const Vec3 normal = Cross(from, to);
  const double sine = Length(normal);
  AxisRotation(sine > 0 ? (1 / sine) * normal : Vec3{0, 0, 1}, sine > 0 ? std::atan2(sine, Dot(from, to)) : 0, m);
}

}  // namespace

Vec3 Placement::Apply(const Vec3& p) const { return Times(rotation, p) + shift; }

Corner CornerOf(const sMacpherson_Suspension& b) {
  Corner c;
  c.lowerBallJoint = At(b.ballJoint);
  c.upperPoint = At(b.strutCenter);
  c.tieRodOuter = At(b.tieRodOuter);
  c.lowerFront = At(b.bushingFront);
  c.lowerRear = At(b.bushingRear);
  return c;
}

Corner CornerOf(const sSLArm_Suspension& b) {
  Corner c;
  c.lowerBallJoint = At(b.lowerBallJoint);
  c.upperPoint = At(b.upperBallJoint);
  c.tieRodOuter = At(b.tieRodOuter);
  c.lowerFront = At(b.lowerFrontBushing);
  c.lowerRear = At(b.lowerRearBushing);
  c.upperArm = true;
  c.upperFront = At(b.upperFrontBushing);
  c.upperRear = At(b.upperRearBushing);
  return c;
}

double SteeringAngle(const Corner& corner, double rack) {
  // A kingpin of no length is no axis to steer about.
  if (Length(corner.upperPoint - corner.lowerBallJoint) == 0) return 0;
  // The tie-rod end's Y at angle t: its design Y + a (cos t - 1) + b sin t.
  const Circle arm = CircleOf(corner.tieRodOuter, corner.lowerBallJoint, corner.upperPoint - corner.lowerBallJoint);
  const double a = arm.radius * arm.u.y, b = arm.radius * arm.v.y;
  return NearestRoot(a, b, rack + a);
}

bool Reaches(const Corner& corner, double rack, double jounce) {
  if (!std::isfinite(rack) || !std::isfinite(jounce)) return false;
  if (Length(corner.upperPoint - corner.lowerBallJoint) > 0) {
    const Circle arm = CircleOf(corner.tieRodOuter, corner.lowerBallJoint, corner.upperPoint - corner.lowerBallJoint);
    const double a = arm.radius * arm.u.y, b = arm.radius * arm.v.y;
    if (rack != 0 && !HasRoot(a, b, rack + a)) return false;
  }
  if (jounce == 0) return true;
  const Circle low = CircleOf(corner.lowerBallJoint, corner.lowerFront, corner.lowerRear - corner.lowerFront);
  const double a = low.radius * low.u.z, b = low.radius * low.v.z;
  if (!HasRoot(a, b, jounce + a)) return false;
  if (!corner.upperArm) return true;
  const Vec3 lower = low.At(NearestRoot(a, b, jounce + a));
  const Circle up = CircleOf(corner.upperPoint, corner.upperFront, corner.upperRear - corner.upperFront);
  const Vec3 gap = up.centre - lower;
  const double length = Length(corner.upperPoint - corner.lowerBallJoint);
  return HasRoot(2 * up.radius * Dot(up.u, gap), 2 * up.radius * Dot(up.v, gap),
                 length * length - Dot(gap, gap) - up.radius * up.radius);
}

Placement KnucklePlacement(const Corner& corner, double rack, double jounce) {
  const Vec3 lower0 = corner.lowerBallJoint, upper0 = corner.upperPoint;
  Vec3 lower = lower0, upper = upper0;
  if (jounce != 0) {
    // The lower ball joint rises by the jounce on its arm's arc.
    const Circle low = CircleOf(lower0, corner.lowerFront, corner.lowerRear - corner.lowerFront);
    const double a = low.radius * low.u.z, b = low.radius * low.v.z;
    lower = low.At(NearestRoot(a, b, jounce + a));
    if (corner.upperArm) {
      // The upper ball joint keeps its distance to the lower one on its own arc.
      const Circle up = CircleOf(upper0, corner.upperFront, corner.upperRear - corner.upperFront);
      const Vec3 gap = up.centre - lower;
      const double length = Length(upper0 - lower0);
      upper = up.At(NearestRoot(2 * up.radius * Dot(up.u, gap), 2 * up.radius * Dot(up.v, gap),
                                length * length - Dot(gap, gap) - up.radius * up.radius));
    }
  }
  Placement p;
  // Carried by the ball joint, the kingpin turned onto its new line...
  Aligning(Unit(upper0 - lower0), Unit(upper - lower), p.rotation);
  // ...then steered about it.
  double steer[9];
  AxisRotation(Unit(upper - lower), Length(upper - lower) > 0 ? SteeringAngle(corner, rack) : 0, steer);
  Product(steer, p.rotation, p.rotation);
  p.shift = lower - Times(p.rotation, lower0);
  return p;
}

}  // namespace KTX::VD
