// The tooling curve operations: the selected punch profile turned into one
// closed curve (a polygon of n lines selected in a shuffled order, sorted into
// a loop and joined), and a feature found by its title among m members of a
// feature set, each with its fitted Big-O; then the curves on real geometry:
// a closed profile of n sides offset (the sharp offset of its loop), smoothed
// (the compensation's B-spline), and a whole draw punch built on it, with the
// kernel's share of the time.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "om/ObjectSet.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "tool/Tooling.hpp"
#include "ToolingBenchSupport.hpp"

namespace {

using namespace KTX;

void BM_ProcessInputCurves(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  auto* punch = Tooling::DieDesDrawPunchBuilderFactory::Create(0, part);
  // A regular polygon of n sides, 100 long each, selected in a shuffled order.
  std::vector<tag_t> sides;
  const double radius = 100.0 * n / (2 * 3.14159265358979);
  for (int i = 0; i < n; ++i) {
    const double a0 = 2 * 3.14159265358979 * i / n, a1 = 2 * 3.14159265358979 * (i + 1) / n;
    const double p[3] = {radius * std::cos(a0), radius * std::sin(a0), 0};
    const double q[3] = {radius * std::cos(a1), radius * std::sin(a1), 0};
    sides.push_back(ES_create_line_in_part(part, p, q));
  }
  std::shuffle(sides.begin(), sides.end(), std::mt19937(17));
  punch->GetPunchCurve()->set_tags(n, sides.data());
  OM::Set* made = OM_create_set();
  for (auto _ : state) {
    tag_t curve = 0;
    if (punch->ProcessInputCurves(punch->GetPunchCurve(), 0, "QD$ROUGH_OFFSET_BOTTOM", nullptr, "QD$PUNCH_JOIN_CURVE",
                                  made, &curve) != 0 ||
        curve == 0) {
      state.SkipWithError("the polygon was not joined");
      break;
    }
    state.PauseTiming();
    int count = 0;
    tag_t* features = nullptr;
    OM_flatten_set(made, &count, &features);
    TOOLING_delete_feature(count, features);
    SM_free(features);
    OM_delete_object(made);
    made = OM_create_set();
    state.ResumeTiming();
  }
  state.SetComplexityN(n);
  OM_delete_object(made);
  punch->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_ProcessInputCurves)->RangeMultiplier(2)->Range(8, 4096)->Complexity(benchmark::oNLogN);

void BM_FindFeatureInSetByAttrTitle(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  auto* punch = Tooling::DieDesDrawPunchBuilderFactory::Create(0, part);
  std::vector<tag_t> members;
  for (int i = 0; i < m; ++i) {
    const tag_t frec = FEATURE_RECORD::Create(part, nullptr)->OmTag();
    // Every member carries a title; the one looked for is the last's.
    ATTR_set_int(frec, i + 1 == m ? "QD$STRESS_SOLID" : "QD$MAIN_TOP_SOLID", 0, true);
    members.push_back(frec);
  }
  const tag_t set = TOOLING_create_user_defined_feature_set(members.data(), m, 1, 0, "Draw Punch");
  for (auto _ : state) {
    tag_t found = 0;
    if (!punch->FindFeatureInSetByAttrTitle(set, "QD$STRESS_SOLID", &found) || found != members.back()) {
      state.SkipWithError("the titled member was not found");
      break;
    }
  }
  state.SetComplexityN(m);
  punch->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_FindFeatureInSetByAttrTitle)->RangeMultiplier(4)->Range(4, 16384)->Complexity(benchmark::oN);

// A closed polygon of n sides (radius 80) as one curve.
tag_t closedPolygon(int n) {
  std::vector<double> p;
  for (int i = 0; i <= n; ++i)
    p.insert(p.end(), {80 * std::cos(2 * M_PI * i / n), 80 * std::sin(2 * M_PI * i / n), 0.0});
  return ES_create_polyline(n + 1, p.data());
}

// One curve operation of the punch on a closed polygon of n sides, its
// feature deleted after each (untimed), with the kernel's share.
template <class Operation>
void curveOnPolygon(benchmark::State& state, Operation operation) {
  const int n = static_cast<int>(state.range(0));
  Host::SetLogging(false);
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  auto* punch = Tooling::DieDesDrawPunchBuilderFactory::Create(0, part);
  const tag_t curve = closedPolygon(n);
  double seconds = 0, kernel = 0;
  for (auto _ : state) {
    tag_t out = 0, feature = 0;
    const double kernelBefore = Kernel::GeometrySeconds();
    const auto start = std::chrono::steady_clock::now();
    const int rc = operation(punch, curve, &out, &feature);
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kernel += Kernel::GeometrySeconds() - kernelBefore;
    state.PauseTiming();
    if (rc != 0 || out == 0) state.SkipWithError("the curve was not made");
    TOOLING_delete_feature(1, &feature);
    state.ResumeTiming();
  }
  state.counters["kernel_share"] = seconds > 0 ? kernel / seconds : 0;
  state.SetComplexityN(n);
  punch->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
  Host::SetLogging(true);
}

void BM_OffsetClosedProfile(benchmark::State& state) {
  curveOnPolygon(state, [](Tooling::DieDesDrawPunchBuilder* punch, tag_t curve, tag_t* out, tag_t* feature) {
    return punch->FeatOffsetCurve(curve, 8.0, out, feature);
  });
}
BENCHMARK(BM_OffsetClosedProfile)->RangeMultiplier(4)->Range(4, 1024)->Complexity(benchmark::oN);

void BM_SmoothProfile(benchmark::State& state) {
  curveOnPolygon(state, [](Tooling::DieDesDrawPunchBuilder* punch, tag_t curve, tag_t* out, tag_t* feature) {
    return punch->FeatSmoothPunchProfile(curve, out, feature);
  });
}
BENCHMARK(BM_SmoothProfile)->RangeMultiplier(4)->Range(4, 1024)->Complexity(benchmark::oN);

// A whole draw punch (the example's dimensions) built on a profile of n
// sides: from 12 sides on through the smoothing.
void BM_DrawPunchBuild(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  stamvik_bench::TimedBuilds<Tooling::DieDesDrawPunchBuilder>(
      state, [n](PART_part* part) { return stamvik_bench::PunchOn(part, n); });
}
BENCHMARK(BM_DrawPunchBuild)->Arg(4)->Arg(8)->Arg(12)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
