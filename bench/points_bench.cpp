// A springback compensation's point list through its scripting calls: n
// points set, then read back into a new list, journalled as a script's calls
// are. The time per point should not grow with n.
#include <benchmark/benchmark.h>

#include <vector>

#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "jam/Jam.hpp"
#include "jam/Journal.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"

extern "C" {
int XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(KTX::DieEngJA::SpringbackCompensationBuilder*, int,
                                                         const JAM_point3d_s*);
int XJA_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints(KTX::DieEngJA::SpringbackCompensationBuilder*, int*,
                                                         JAM_point3d_s**);
}

namespace {

using namespace KTX;

void BM_ProductPointsSetThenGet(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  // The host's call log would grow with every point written.
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  auto* builder = DieEngJA::SpringbackCompensationBuilderFactory::Create(part->ModelPart(), nullptr);
  std::vector<JAM_point3d_s> points(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) points[static_cast<std::size_t>(i)] = {i * 1.0, i * 0.5, i * 0.25};
  for (auto _ : state) {
    int count = 0;
    JAM_point3d_s* out = nullptr;
    if (XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(builder, n, points.data()) != 0 ||
        XJA_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints(builder, &count, &out) != 0 || count != n) {
      state.SkipWithError("the points did not cross");
      break;
    }
    benchmark::DoNotOptimize(out[n - 1].z);
    SM_free(out);
    // The journal would otherwise grow with every run.
    state.PauseTiming();
    JAM::ClearJournal();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
  state.counters["ns_per_point"] =
      benchmark::Counter(static_cast<double>(n), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
  builder->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
  Host::SetLogging(true);
}
BENCHMARK(BM_ProductPointsSetThenGet)->RangeMultiplier(10)->Range(1000, 100000)->Unit(benchmark::kMicrosecond)->Complexity();

}  // namespace
