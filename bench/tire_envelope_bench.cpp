// The tire envelope's driver paths and spindle trace: what one path point or
// one traced line costs as the step counts grow. A generator that copied the
// path again per row would show a time per point growing with the rows.
#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include <unistd.h>

#include "Scratch.hpp"
#include "feat/Builder.hpp"
#include "geom/Curve.hpp"
#include "geom/Sketch.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Wheel.hpp"
#include "sys/CallLog.hpp"
#include "vd/Motion.hpp"
#include "vd/Suspension.hpp"
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

// A sketch of `members` slanted lines cut at `levels` levels: one plane and
// one cut per member a level, so the time per level and member stays flat.
void BM_DriverPathFromSketch(benchmark::State& state) {
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  const int levels = static_cast<int>(state.range(0)), members = static_cast<int>(state.range(1));
  std::vector<tag_t> lines;
  for (int i = 0; i < members; ++i) {
    const double a[3] = {-10.0 - i, 0, 0}, b[3] = {10.0 + i, 100, 0};
    lines.push_back(ES_create_line_in_part(nullptr, a, b));
  }
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t sketch = Sketch::Make(origin, identity, members, lines.data());
  vdja_tireenv_motion_record_t record{};
  for (auto _ : state)
    vdja_tireenv_motion_generate_driver_path(4, 30, -30, 4, 100, 0, levels - 1, 0, 0, 0, sketch, &record);
  state.counters["ns_per_level_member"] =
      benchmark::Counter(static_cast<double>(levels) * members * state.iterations(),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  vdja_tireenv_motion_release_path(&record);
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_DriverPathFromSketch)
    ->ArgsProduct({{10, 100, 1000}, {1, 10, 100}})
    ->ArgNames({"levels", "members"})
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
  const std::string file = stamvik_scratch::ProcessFolder().Slashed() + "tire_trace.txt";
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

// The two-driver run along n path points (graph 5: one point a first-driver
// value): one step and one traced line a point, so the time per point stays flat.
void BM_TwoDriverRun(benchmark::State& state) {
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  VD::ResetMotion();
  const double axis[3] = {0, -700, 0}, base[3] = {0, 0, 0}, a[3] = {0, -650, 0}, b[3] = {0, -720, 0};
  const tag_t steer = VD::MakeJoint(0, axis), jounce = VD::MakeJoint(1, base);
  const tag_t spindle = ES_create_line_in_part(nullptr, a, b);
  const int points = static_cast<int>(state.range(0));
  const std::string file = stamvik_scratch::ProcessFolder().Slashed() + "tire_run.txt";
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  vdja_tireenv_motion_record_t record{};
  for (auto _ : state)
    vdja_tireenv_motion_run_articulation(origin, identity, file.c_str(), spindle, steer, jounce, 5, true, 30, -30,
                                         points - 1, 100, 0, 1, 50, 0, 0, 0, &record);
  PerPoint(state, points);
  vdja_tireenv_motion_release_path(&record);
  std::remove(file.c_str());
  VD::ResetMotion();
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_TwoDriverRun)->Arg(10)->Arg(100)->Arg(500)->Arg(2000)->Unit(benchmark::kMicrosecond);

// A roll's search (mode 0: the shock's position at which the spindle line
// reaches 3 degrees) with n values a pass: each pass steps and traces n
// times, so the time per step taken stays flat whatever n and however many
// passes it takes to narrow down.
void BM_RollSearch(benchmark::State& state) {
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  VD::ResetMotion();
  const double at[3] = {0, -600, 0}, a[3] = {0, -760, 0}, b[3] = {0, -660, 0};
  const tag_t shock = VD::MakeJoint(2, at), bumper = VD::MakeJoint(5, at);
  const tag_t spindle = ES_create_line_in_part(nullptr, a, b);
  const int steps = static_cast<int>(state.range(0));
  const double reference[3] = {0, -100, 0};
  const QF_MOTION_trace_s request{spindle, 1};
  vdja_tireenv_motion_record_t record{};
  record.mode = 1;
  const std::size_t before = VD::StepsTaken().size();
  for (auto _ : state) {
    double found = 0;
    vdja_tireenv_motion_step_and_trace(0, steps, 3, shock, bumper, 60, -60, 60, reference, &found, 1e-5, &request,
                                       &record);
    benchmark::DoNotOptimize(found);
  }
  const double taken = static_cast<double>(VD::StepsTaken().size() - before);
  state.counters["passes"] = taken / steps / static_cast<double>(state.iterations());
  state.counters["ns_per_step"] = benchmark::Counter(taken, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  vdja_tireenv_motion_release_path(&record);
  VD::ResetMotion();
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_RollSearch)->Arg(4)->Arg(16)->Arg(64)->Arg(256)->Unit(benchmark::kMicrosecond);

// The envelope of a short-long-arm corner's tire over an n x n grid of
// positions (rack -30 to 30, jounce -50 to 100): the example profile faceted
// at each position and the positions united in one fuse. Time per position
// and the modeller's share of it (the rest places the knuckles and copies),
// the checks that the union is one valid solid holding every position, in
// memory and as its STEP file reads back, included. A union the modeller
// cannot make whole is reported as an error of the run ("no envelope"), as
// the feature refuses it.
void BM_EnvelopeSweep(benchmark::State& state) {
  Host::SetLogging(false);
  const int n = static_cast<int>(state.range(0));
  sSLArm_Suspension block{};
  QF_VD_SLA_SUSP_initial(&block);
  const VD::Corner corner = VD::CornerOf(block);
  const double wheel[3] = {0, -760, 0}, inner[3] = {0, -660, 0};
  std::vector<Kernel::WheelPlace> places;
  for (int i = 0; i < n; ++i)
    for (int j = 0; j < n; ++j) {
      const double rack = -30 + 60.0 * i / (n - 1), jounce = -50 + 150.0 * j / (n - 1);
      const VD::Placement knuckle = VD::KnucklePlacement(corner, rack, jounce);
      const VD::Vec3 c = knuckle.Apply({wheel[0], wheel[1], wheel[2]}), d = knuckle.Apply({inner[0], inner[1], inner[2]});
      places.push_back({{c.x / 1000, c.y / 1000, c.z / 1000}, {c.x - d.x, c.y - d.y, c.z - d.z}});
    }
  const std::vector<double> section = {0, 0.2159, 0.040, 0.230, 0.080, 0.290, 0.110, 0.330, 0.1125, 0.340,
                                       -0.1125, 0.340, -0.110, 0.330, -0.080, 0.290, -0.040, 0.230};
  double kernel = 0, wall = 0;
  for (auto _ : state) {
    const double before = Kernel::GeometrySeconds();
    const auto start = std::chrono::steady_clock::now();
    int body = 0;
    if (Kernel::MakeWheelSweep(section, places, 0, &body) != 0) state.SkipWithError("no envelope");
    wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kernel += Kernel::GeometrySeconds() - before;
    Kernel::DeleteBody(body, "BM_EnvelopeSweep");
  }
  const double count = static_cast<double>(places.size());
  state.counters["positions"] = count;
  state.counters["ms_per_position"] = 1000 * wall / count / static_cast<double>(state.iterations());
  state.counters["kernel_share"] = wall > 0 ? kernel / wall : 0;
}
BENCHMARK(BM_EnvelopeSweep)->Arg(3)->Arg(4)->Arg(5)->Arg(8)->Arg(12)->Arg(20)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
