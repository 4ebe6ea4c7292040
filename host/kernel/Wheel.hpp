// Wheel geometry in the kernel: a tire body revolved from its section, the
// envelope it sweeps along a wheel's motion, and real clearances between
// bodies. Kernel units (metres).
#pragma once
#include <string>
#include <vector>

#include "Export.hpp"

namespace KTX::Kernel {

// Where a wheel stands: the centre of its centre plane and the spindle's
// direction (need not be a unit vector).
struct WheelPlace {
  double centre[3];
  double axis[3];
};

// How the tire's positions were faceted for their union (several places
// only): the turn of the facets the union was last tried at, 1 the first
// and 3 the last (0: no union was tried), the angle in degrees by which each
// position's facets stand turned about its spindle beyond the one before's
// at that turn, and the facets' height, how far their corners stand out
// beyond the circle of the section's largest radial they are made round
// (kernel units). A union made at another turn than the first may differ
// from one made at the first by up to that height.
// The union is written to a scratch file in the temporary folder and read
// back (see MakeWheelSweep): a folder where that file cannot be made or
// written is named, with the system's reason ("No such file or directory",
// "Permission denied", "No space left on device"); both empty otherwise.
struct ScratchFailure {
  std::string folder;
  std::string reason;
};
struct WheelFacets {
  int turn = 0;
  double degrees = 0;
  double height = 0;
  ScratchFailure scratch;
};

// A new solid body: the section, a closed polygon of (axial, radial) pairs
// (the closing point not repeated; axial along the spindle from the centre
// plane, radial from the spindle, above 0), revolved a full turn about the
// spindle at each place, each revolution grown by `offset` when it is above 0
// (the section grown in its plane with sharp corners, cut at the lower of
// half its least radial and its least radial less the offset, never nearer
// the spindle than a hundredth of its least radial), and the revolutions
// united. 0, ZV_ERROR_bad_value (fewer than three pairs,
// a radial not above 0, no place, a zero axis) or ZV_ERROR_geometry.
// `facets`, when given, is filled for a union of several places, also one
// refused (its turn then tells how many turns were tried), and left at its
// defaults otherwise. A union whose scratch file cannot be made or written
// is refused at once, ZV_ERROR_geometry with `facets->scratch` saying where
// and why: no other turn would fare better.
KTX_HOST_API int MakeWheelSweep(const std::vector<double>& section, const std::vector<WheelPlace>& places,
                                double offset, int* body, WheelFacets* facets = nullptr);

// For tests: how the union of the tire's positions goes at each turn of the
// facets, from the first (turns past the list's end, and every turn while
// the list is empty, as the modeller makes them): FallsShort as a union the
// modeller's fuse gives less of, Throws as one the modeller throws on, Slit
// and FaceLaidOver as the modeller makes it, each fuse's solid given that
// crack (CrackForTests) before it is checked.
enum class WheelUnionForTests { Modeller, FallsShort, Throws, Slit, FaceLaidOver, FaceTurned };
KTX_HOST_API void SetWheelUnionsForTests(const std::vector<WheelUnionForTests>& byTurn);

// For tests: a new solid body, the body's one solid with a crack in its skin
// that the modeller's checker takes as valid, its volume kept: Slit, an
// edge inside its first planar face that bounds that face alone (a slit cut
// in it); FaceLaidOver, a copy of that face laid over it (as an outer face)
// on its edges, so that each of them bounds three faces. Or, which the
// checker refuses, FaceTurned: that face turned to look into the solid, its
// edges each used the same way round by both faces they bound. 0, or
// ZV_ERROR_bad_value (another `how`, a body of no one solid of one shell,
// or no planar face to crack) with *cracked 0.
KTX_HOST_API int CrackForTests(int body, WheelUnionForTests how, int* cracked);

// The shortest distance between two bodies with geometry and a point of each
// where it is found; 0 when they touch or share volume (one inside the other
// too). 0, ZV_ERROR_bad_tag (a body that is not alive or holds no geometry)
// or ZV_ERROR_geometry.
KTX_HOST_API int MinimumDistance(int first, int second, double* distance, double onFirst[3], double onSecond[3]);

}  // namespace KTX::Kernel
