// Tag sets and the sorting of curves into loops by their end points.
#pragma once
#include <unordered_set>

#include "geom/Geometry.hpp"
#include "sys/Memory.hpp"

namespace KTX {

// A set of tags in the order inserted, each once: counted memory the caller
// deletes with OM_delete_tag_set.
struct KTX_HOST_API OM_tag_set : Memory::CppMemory {
  std::vector<tag_t> tags;
  std::unordered_set<tag_t> members;  // the same tags, to find one at once
};
KTX_HOST_API OM_tag_set* OM_create_tag_set();
// Adds the tag unless the set holds it already (0 is ignored).
KTX_HOST_API void OM_insert_into_tag_set(OM_tag_set* set, tag_t tag);
KTX_HOST_API int OM_ask_tag_set_count(const OM_tag_set* set);
KTX_HOST_API void OM_delete_tag_set(OM_tag_set* set);
// The set's tags in the order inserted: a new array (SM_alloc; null when
// none) the caller frees.
KTX_HOST_API void OM_flatten_tag_set(const OM_tag_set* set, int* count, tag_t** tags);

// One loop of curves in chain order; closed when its two ends meet.
struct MW_loop_s {
  int count;
  tag_t* curves;  // SM_alloc
  int closed;
};
// Sorts the set's curves into loops: each loop is a chain of curves whose end
// points meet within the tolerance, taken from the first curve not yet used
// and grown at its tail, else at its head, by the first unused curve (in set
// order) that meets it. The ends are indexed by position, so a loop of n
// curves sorts in time proportional to n.
// The loops go to a new array (SM_alloc; null when none) freed with
// MW_free_loops; the counts of closed and open loops too. 0, or kNoEntity
// (nothing handed out) when a tag is no curve.
KTX_HOST_API int MW_sort_segments(const OM_tag_set* set, double tolerance, int* loopCount, MW_loop_s** loops,
                                  int* closedCount, int* openCount);
KTX_HOST_API void MW_free_loops(int count, MW_loop_s* loops);
// Whether the set's curves form one closed loop within the tolerance. The
// curves with an end that no other curve meets go into `openCurves`, the
// others into `metCurves` (either may be null).
KTX_HOST_API bool UM_is_loop_closed(const OM_tag_set* set, double tolerance, OM_tag_set* openCurves,
                                    OM_tag_set* metCurves);

}  // namespace KTX
