// The kinematics of a steered, sprung wheel corner: the knuckle (and the
// wheel on it) carried by the suspension's arms through jounce and turned
// about its kingpin axis by the rack. Host units (millimetres).
#pragma once

#include "Export.hpp"
#include "vd/VehicleDesign.hpp"

namespace KTX::VD {

struct Vec3 {
  double x = 0, y = 0, z = 0;
};

// A corner's hard points. The kingpin runs from the lower ball joint to its
// upper point (the upper ball joint of a short-long arm, the strut's top
// mount of a strut), which the lower arm swings about the axis through its
// two bushings; a short-long arm's upper ball joint swings likewise about the
// upper bushings' axis, a strut's top stays where it is.
struct Corner {
  Vec3 lowerBallJoint, upperPoint, tieRodOuter;
  Vec3 lowerFront, lowerRear;  // the lower arm's pivot axis
  bool upperArm = false;       // the upper point swings on an arm
  Vec3 upperFront, upperRear;  // the upper arm's pivot axis
};

KTX_HOST_API Corner CornerOf(const sMacpherson_Suspension& block);
KTX_HOST_API Corner CornerOf(const sSLArm_Suspension& block);

// The knuckle's rigid motion: x goes to rotation * x + shift (row-order 3 x 3).
struct Placement {
  double rotation[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  Vec3 shift;
  KTX_HOST_API Vec3 Apply(const Vec3& p) const;
};

// The steering angle (radians; positive turns the knuckle right-handed about
// the kingpin pointing up) that moves the tie-rod outer point by `rack` along
// the vehicle's Y axis, the tie rod taken to follow the rack. Travel the arm
// cannot reach stops at the arm's reach.
KTX_HOST_API double SteeringAngle(const Corner& corner, double rack);

// Where the knuckle goes with the lower ball joint raised by `jounce` along
// its arm's arc (the upper point following on its own arc, or staying) and
// then turned about the kingpin, as it then lies, by the rack's steering
// angle.
KTX_HOST_API Placement KnucklePlacement(const Corner& corner, double rack, double jounce);

// Whether the corner can take that rack travel and jounce at all: the tie-rod
// arm can reach the rack's travel, the lower arm the jounce, and a short-long
// arm's upper ball joint its place at the kingpin's length. Where it cannot,
// the mechanism does not assemble (the two functions above would stop at the
// arm's reach and so give a position that was not asked for).
KTX_HOST_API bool Reaches(const Corner& corner, double rack, double jounce);

}  // namespace KTX::VD
