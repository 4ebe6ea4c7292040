// What a part holds, as text: the part that ktxhost play prints after a play.
#pragma once
#include <string>
#include <vector>

#include "feat/Builder.hpp"
#include "script/Player.hpp"

namespace KTX::Script {

// What the part holds, as text: its features (class, body, parameters:
// entities with their values, tolerances, die attributes, updates) and its
// bodies, in the order they were made, each by the host's tag; a body with
// geometry also with its volume and its box along the world axes, in host
// units ("volume V mm3 box X0 Y0 Z0 X1 Y1 Z1 mm").
KTX_HOST_API std::string DescribePart(const PART_part* part);
// The same as a report of a play: each object also by the tag the journal
// gave it ("1024 (journal 31)"), each entity's values after its kind, then
// the number of bodies and a summary line (records played, features, bodies
// alive, status).
KTX_HOST_API std::string ReportPart(const PART_part* part, const PlaySummary& played);
// The kernel bodies with geometry of the part's bodies, in the order made.
KTX_HOST_API std::vector<int> GeometryBodies(const PART_part* part);

}  // namespace KTX::Script
