// The tire envelope's driver paths and spindle trace: what one path point or
// one traced line costs as the step counts grow. A generator that copied the
// path again per row would show a time per point growing with the rows.
#include <benchmark/benchmark.h>

#include <string>

#include <unistd.h>

#include "feat/Builder.hpp"
#include "sys/CallLog.hpp"
#include "vd/VehicleDesign.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;

namespace {

void PerPoint(benchmark::State& state, long long points) {
  state.counters["points"] = static_cast<double>(points);
  state.counters["ns_per_point"] = benchmark::Counter(static_cast<double>(points) * state.iterations(),
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Graph by graph, steps by steps.
void BM_DriverPath(benchmark::State& state) {
  Host::SetLogging(false);
  const int graph = static_cast<int>(state.range(0));
  const int steps = static_cast<int>(state.range(1));
  vdja_tireenv_motion_record_t record{};
  for (auto _ : state) {
    vdja_tireenv_motion_generate_driver_path(graph, 30, -30, steps, 100, 0, steps, 40, 50, 30, 0, &record);
    benchmark::DoNotOptimize(record.xValues);
  }
  PerPoint(state, record.pointCount);
  vdja_tireenv_motion_release_path(&record);
}
BENCHMARK(BM_DriverPath)
    ->ArgsProduct({{0, 1, 2, 3, 5}, {10, 100, 1000}})
    ->ArgNames({"graph", "steps"})
    ->Unit(benchmark::kMicrosecond);

// One traced line a step: made, written, deleted through the update.
void BM_SpindleTrace(benchmark::State& state) {
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  const int lines = static_cast<int>(state.range(0));
  const tag_t trace = 1;
  for (int i = 0; i < lines; ++i) {
    const double a[3] = {1.0 * i, -650, 0}, b[3] = {1.0 * i, -720, 0};
    VD::SetTracedLine(trace, i, a, b);
  }
  const std::string file = "/tmp/tire_trace_bench_" + std::to_string(::getpid()) + ".txt";
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  vdja_tireenv_motion_record_t record{};
  for (auto _ : state)
    vdja_tireenv_motion_write_spindle_trace_file(&record, origin, identity, file.c_str(), 0, trace, lines - 1, 0);
  PerPoint(state, lines);
  std::remove(file.c_str());
  VD::ClearTracedLines();
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_SpindleTrace)->RangeMultiplier(10)->Range(10, 10000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
