// The geometry of a tire-envelope feature: the tire body revolved from the
// block's profile at the wheel, or the envelope it sweeps along the block's
// motion.
#pragma once
#include <vector>

#include "afl/TireEnvelope.hpp"
#include "clear/Clearance.hpp"
#include "kernel/Wheel.hpp"

namespace KTX::TireGeometry {

// The tire's section from the block's profile points (host units): the
// points in order, then, when the profile is mirrored, their mirror images
// about the centre plane back again; points repeated in a row taken once.
KTX_HOST_API std::vector<double> Section(const Tireenv_params_s& block);
// The wheel's places (host units) from the block's motion lines, six numbers
// a line (a spindle line's two points): the wheel end is the point farther
// out along the vehicle's Y axis, where the centre plane lies, and the
// spindle points outboard. (The tire body's block carries no centerline
// shift, so neither the body nor the envelope applies one.)
// Lines of other words are passed over.
KTX_HOST_API std::vector<Kernel::WheelPlace> Places(const Tireenv_params_s& block);
// The warning a user is shown when an envelope was made at another turn of
// its facets than the first (see MakeBody).
inline constexpr int kEnvelopeFacetsTurned = 841501;
// The status, and the warning shown, when the envelope's union cannot be
// written to its scratch file in the temporary folder (see MakeBody).
inline constexpr int kEnvelopeScratchUnusable = 841502;
// The warning shown when a section the envelope is grown by asks an offset
// below 0, which shrinks nothing (see MakeBody).
inline constexpr int kEnvelopeOffsetBelowZero = 841503;

// A new solid model body of the work part holding the feature's geometry:
// the tire body (block byte 56 is 1) at the first place, or the envelope at
// every place, grown, when the block applies its offsets, by the largest
// offset its sections count (the first table's), whatever method filled
// them. 0 when there is no section or place (*status, when given, 0: there
// is nothing to make), or when the modeller cannot make it: then a kernel
// error is recorded and *status is the modeller's code, ZV_ERROR_geometry for
// a solid it could not make whole, another for a section it refuses (one
// that crosses itself or reaches the spindle axis). An envelope whose
// positions did not unite whole at the facets' first turn and were united
// at another is shown the warning kEnvelopeFacetsTurned: "841501 the tire
// envelope was built at the second turn of its facets, each position's
// facets turned 5.3 degrees about its spindle beyond the one before's (its
// positions did not unite whole at the first): it may differ from an
// envelope built at the first turn by up to a facet's height, 2.934" (the
// third turn's 11.7 degrees likewise; the height in host lengths). An
// envelope whose union cannot be made or written to its scratch file in the
// temporary folder is shown the warning kEnvelopeScratchUnusable, "841502 the
// tire envelope could not be made: its scratch file cannot be made or
// written in the temporary folder "FOLDER": REASON" (the system's words),
// and *status is that number: no fault of the motion. An envelope grown by
// sections of which one counts an offset below 0 is made as if it were 0
// (no envelope is smaller than the tire), and shown the warning
// kEnvelopeOffsetBelowZero: "841503 the tire envelope is not shrunk: the
// offset -20 of the section at 90 degrees is taken as 0" (the first such
// offset, in the host's lengths).
KTX_HOST_API tag_t MakeBody(const Tireenv_params_s& block, int* status = nullptr);

// Measures a clearance data set's run: every body of list 1 that holds
// geometry against every body of list 2 that does. A tire-envelope feature's
// body is measured as the tire at each position of its motion (the closest
// position kept), any other body as it stands. Fills the record's measured
// fields and lists one line in the listing window: the closest approach, or
// the interference, and whether it lies inside the default clearance zone.
// A set with nothing to measure is left unmeasured and lists nothing.
KTX_HOST_API void MeasureClearance(CLEAR_dataset_record& record);

}  // namespace KTX::TireGeometry
