// The tooling library's booleans of solid bodies at a given tolerance, which
// the tooling builds retry at growing tolerances until one succeeds.
#pragma once
#include <vector>

#include "feat/Builder.hpp"

namespace KTX {

// Unites the tools with (subtracts them from) the first target at the
// tolerance and hands out the boolean feature made (type 0 unite, 1
// subtract; its body the target). Logged with the bodies, the two options and
// the tolerance ("%g"). Scripted: the answer "<name>.fail" (n) makes the
// next n calls fail, one fewer each call, with the answer "<name>.status"
// (default 1), nothing made; an attempt's status is thus scripted in order.
// The bad-object error for no target, no tool, a target 0 or a null output.
KTX_HOST_API int TOOLING_GEOM_create_boolean_unite(int n_targets, const tag_t* targets, int n_tools,
                                                   const tag_t* tools, bool option1, bool option2, double tolerance,
                                                   tag_t* feature);
KTX_HOST_API int TOOLING_GEOM_create_boolean_subtract(int n_targets, const tag_t* targets, int n_tools,
                                                      const tag_t* tools, bool option1, bool option2,
                                                      double tolerance, tag_t* feature);

namespace Host {
// What combines the bodies' geometry for the booleans above: the modelling
// features' own, which they register when the library loads (0, or a
// message number and no feature made). Without one no geometry is combined.
using GeometryCombiner = int (*)(tag_t target, const std::vector<tag_t>& tools, bool subtract);
KTX_HOST_API void SetGeometryCombiner(GeometryCombiner combiner);
}  // namespace Host

}  // namespace KTX
