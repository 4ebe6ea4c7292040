// The real shapes of the modelling features whose inputs hold geometry: an
// extrusion of closed profiles (limits, offsets, until a body that holds
// geometry, a boolean with a target), and the bodies the trims, chamfers and
// booleans change. Inputs without geometry are left to the builders' own
// bodies of faces, which answer as scripted.
#pragma once
#include <vector>

#include "feat/Builder.hpp"
#include "modl/ModelingInterfaces.hpp"

namespace KTX {

// The modeller could not make a feature's shape from its inputs (an offset
// that leaves nothing, a limit the direction runs along, a boolean that
// leaves nothing).
inline constexpr int kShapeNotMade = 841302;

// The solid (or sheet) of an extrusion, a new kernel body in *kernelBody:
// 1 made; 0 the inputs are not for real geometry (an open profile, an until
// object without geometry), nothing made; -1 the modeller failed
// (kShapeNotMade), nothing made.
KTX_HOST_API int ExtrudeGeometry(const ExtrudeValues& values, int* kernelBody);
// The feature's body for the extrusion's kernel body: the feature's own
// body given that geometry when it has one of the same kind (so what names
// it still does), else a new body; then the boolean with the target (1
// unite, 2 subtract) when the target holds geometry. 0 or kShapeNotMade.
KTX_HOST_API int ExtrudeBody(FEATURE_RECORD* feature, const ExtrudeValues& values, int kernelBody);
// Trims the body's geometry by a plane, keeping the side the normal points
// away from (with `reverse`, the side it points to). 0 (also for a body
// without geometry: nothing changes) or kShapeNotMade.
KTX_HOST_API int TrimBodyGeometry(tag_t body, const double point[3], const double normal[3], bool reverse);
// Chamfers the edges (model edges) where a body of the work part with
// geometry has them: `first` on one face of each, `second` on the other.
// 0 (also when no body has them) or kShapeNotMade.
KTX_HOST_API int ChamferGeometry(const std::vector<tag_t>& edges, double first, double second);
// Unites the tools with (subtracts them from) the target when all hold
// geometry; the target's faces follow. 0 (nothing done without geometry) or
// kShapeNotMade.
KTX_HOST_API int CombineGeometry(tag_t target, const std::vector<tag_t>& tools, bool subtract);

// The curve a rough-data compensation of curves makes: for each curve of its
// curve collector a smooth approximation, a B-spline through the curve's
// points (closed: periodic) sampled between them, about 128 points in all
// and never fewer than the curve's own. Made on the first ask and again
// when the input has changed since (the old curve destroyed); an input
// without points makes none.
KTX_HOST_API std::vector<tag_t> CompensatedCurves(FEATURE_RECORD* feature);

}  // namespace KTX
