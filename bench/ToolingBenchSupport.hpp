// What the tooling benchmarks share: a part with a draw punch's or a draw
// die's inputs on real geometry (a flat die face sheet, a base plane, a
// profile of n lines round a circle), a build timed with the kernel's share of
// it, and the volume of the solids it leaves.
#pragma once
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "ModelInputs.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "sys/CallLog.hpp"

namespace stamvik_bench {

using namespace KTX;

using stamvik_inputs::PlaneAt;
using stamvik_inputs::PolygonLines;

// A flat sheet with geometry from a corner along +x and +y (its normal +z).
inline tag_t FlatSheet(double x, double y, double z, double dx, double dy) {
  const double k = Kernel::ScaleFactors().factors[0];
  const std::vector<double> corners = {x * k,        y * k,        z * k, (x + dx) * k, y * k,        z * k,
                                       (x + dx) * k, (y + dy) * k, z * k, x * k,        (y + dy) * k, z * k};
  const double at[3] = {x * k, y * k, z * k}, up[3] = {0, 0, 1};
  int sheet = 0;
  Kernel::MakePlanarSheet({corners}, at, up, &sheet);
  return ES_create_body_of_geometry(nullptr, sheet);
}

// The draw punch example's inputs on a profile of n sides (radius 80).
inline Tooling::DieDesDrawPunchBuilder* PunchOn(PART_part* part, int n) {
  auto* punch = Tooling::DieDesDrawPunchBuilderFactory::Create(0, part);
  const std::vector<tag_t> lines = PolygonLines(n, 80, 100, 60, 50);
  punch->GetPunchCurve()->set_tags(n, lines.data());
  punch->SetBasePlane(PlaneAt(0));
  punch->GetSheetBody()->set_selected_tag(FlatSheet(-50, -50, 100, 300, 220));
  stamvik_inputs::SetExampleSizes(punch);
  return punch;
}

// The draw die example's inputs with a punch profile of n sides (radius 80).
inline Tooling::DieDesDrawDieBuilder* DieOn(PART_part* part, int n) {
  auto* die = Tooling::DieDesDrawDieBuilderFactory::Create(0, part);
  const std::vector<tag_t> punch = PolygonLines(n, 80, 0, 0, 50), blank = PolygonLines(4, 150 * std::sqrt(2.0), 0, 0, 50, M_PI / 4);
  die->GetPunchCurve()->set_tags(n, punch.data());
  die->GetBlankCurve()->set_tags(4, blank.data());
  die->SetBasePlane(PlaneAt(200));
  die->GetSheetBody()->set_selected_tag(FlatSheet(-120, -120, 60, 240, 240));
  die->SetDeckThickness(40);
  die->SetDeckFlangeThickness(15);
  die->SetBinderEdgeOffset(10);
  die->SetDeckEdgeOffset(20);
  die->SetBaseThickness(30);
  die->SetFlangeOffset(25);
  die->SetMachiningAllowance(1.5);
  return die;
}

// The volume (mm3) of the part's solids with geometry.
inline double SolidVolume(const PART_part* part) {
  const double k = Kernel::ScaleFactors().factors[1];
  double volume = 0;
  for (tag_t t : Host::KeptInPart(part))
    if (const auto* body = dynamic_cast<const ES_solid*>(OM::OM_object_of_tag(t));
        body != nullptr && Kernel::HasGeometry(body->ask_kernel_body()) && !Kernel::IsSheet(body->ask_kernel_body()))
      volume += Kernel::Volume(body->ask_kernel_body()) * k * k * k;
  return volume;
}

// Each iteration: a new part and builder (untimed), the timed commit, then a
// check that it built solids and the part's end (untimed). Reports the
// kernel's share of the commits' time and the solids' volume.
template <class Builder>
void TimedBuilds(benchmark::State& state, const std::function<Builder*(PART_part*)>& make) {
  Host::SetLogging(false);
  double seconds = 0, kernel = 0, volume = 0;
  for (auto _ : state) {
    state.PauseTiming();
    PART_part* part = PART_part::Create(0);
    PART_set_work_part(part);
    Builder* builder = make(part);
    state.ResumeTiming();
    const double kernelBefore = Kernel::GeometrySeconds();
    const auto start = std::chrono::steady_clock::now();
    const int rc = builder->commit();
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kernel += Kernel::GeometrySeconds() - kernelBefore;
    state.PauseTiming();
    volume = SolidVolume(part);
    builder->destroy();
    part->destroy();
    PART_set_work_part(nullptr);
    if (rc != 0 || !(volume > 0)) state.SkipWithError(("the build gave " + std::to_string(rc) + " and no solid").c_str());
    state.ResumeTiming();
  }
  state.counters["kernel_share"] = seconds > 0 ? kernel / seconds : 0;
  state.counters["volume_mm3"] = volume;
  Host::SetLogging(true);
}

}  // namespace stamvik_bench
