// The draw punch's face work on a solid of n top faces: the belt edges its
// chamfer runs along (half the faces stand on the base plane, half lie above
// it, each lower face sharing one edge with an upper one), and the sorting of
// the faces by the base plane for machining, the punch's and the draw die's
// (whose top is every face of its trim and whose bottom is every face of its
// stress solid in the base plane). Each reports its fitted Big-O. Then the
// same on a real solid: a prism on a polygon of n sides relieved by a ring
// up to a belt, made by the kernel (whose share of making it is reported),
// its faces and edges those of the modeller's shape.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "sys/CallLog.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

namespace {

using namespace KTX;

// A work part with its base plane flat through the origin, and a draw punch
// on that plane over a feature whose body a derived class makes, with the
// machining attributes' names set; the host's call log is off while it lives.
class PunchOverFeature {
 public:
  PunchOverFeature(const PunchOverFeature&) = delete;
  PunchOverFeature& operator=(const PunchOverFeature&) = delete;
  Tooling::DieDesDrawPunchBuilder* punch() const { return punch_; }
  tag_t feature() const { return feature_; }
  tag_t plane() const { return plane_; }

 protected:
  PunchOverFeature() {
    Host::SetLogging(false);
    part_ = PART_part::Create(0);
    PART_set_work_part(part_);
    const double origin[3] = {0, 0, 0}, flat[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    plane_ = ES_create_plane(origin, flat);
  }
  ~PunchOverFeature() {
    punch_->destroy();
    part_->destroy();
    PART_set_work_part(nullptr);
    Host::ClearCustomerDefaults();
    Host::SetLogging(true);
  }
  PART_part* part() const { return part_; }
  // The feature whose body is the solid, and the punch over it.
  void MakeFeature(tag_t solid) {
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(part_, nullptr);
    frec->set_body_eid(solid);
    feature_ = frec->OmTag();
    punch_ = Tooling::DieDesDrawPunchBuilderFactory::Create(0, part_);
    punch_->SetBasePlane(plane_);
    Host::SetCustomerDefault("MFM_Refined_Attribute", std::string("REFINED"));
    Host::SetCustomerDefault("MFM_Rough_Attribute", std::string("ROUGH"));
    Host::SetCustomerDefault("MFM_Finishing_Attribute", std::string("FINISHING"));
  }

 private:
  PART_part* part_ = nullptr;
  Tooling::DieDesDrawPunchBuilder* punch_ = nullptr;
  tag_t plane_ = 0, feature_ = 0;
};

// A feature whose body has n faces, half lower and half upper.
class Belt : public PunchOverFeature {
 public:
  explicit Belt(int n) {
    const double flat[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double standing[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    body_ = Kernel::CreateBody(Kernel::BodyType::Solid);
    solid_ = ES_create_solid(body_);
    const double z = 5.0;
    for (int i = 0; i < n / 2; ++i) {
      const double low[3] = {static_cast<double>(i), 0, 0}, high[3] = {static_cast<double>(i), 0, z};
      const tag_t lower = ES_create_face(solid_), upper = ES_create_face(solid_);
      dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(lower))->set_frame(low, standing);
      dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(upper))->set_frame(high, flat);
      // Edge tags only name edges here; four per face, the lower face's last shared.
      const tag_t base = 1000000 + 8 * static_cast<tag_t>(i);
      for (tag_t e = 0; e < 4; ++e) ES_face_add_edge(lower, base + e);
      for (tag_t e = 3; e < 7; ++e) ES_face_add_edge(upper, base + e);
    }
    MakeFeature(solid_);
  }
  ~Belt() {
    Kernel::DetachModelBody(solid_);
    Kernel::DeleteBody(body_, "machining_faces_bench");
  }

 private:
  tag_t solid_ = 0;
  int body_ = 0;
};

void BM_GetBeltChamferEdges(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Belt belt(n);
  std::vector<tag_t> edges;
  for (auto _ : state) {
    edges.clear();
    belt.punch()->GetBeltChamferEdges(belt.feature(), belt.plane(), &edges);
    if (edges.size() != static_cast<std::size_t>(n / 2)) {
      state.SkipWithError("the shared edges were not all found");
      break;
    }
  }
  state.SetComplexityN(n);
}
BENCHMARK(BM_GetBeltChamferEdges)->RangeMultiplier(2)->Range(8, 4096)->Complexity(benchmark::oNLogN);

void BM_ClassifyMachiningFaces(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Belt belt(n);
  for (auto _ : state) belt.punch()->ClassifyMachiningFaces(belt.feature());
  state.SetComplexityN(n);
}
BENCHMARK(BM_ClassifyMachiningFaces)->RangeMultiplier(2)->Range(8, 4096)->Complexity(benchmark::oN);

void BM_DrawDieClassifyMachiningFaces(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Belt belt(n);
  auto* die = Tooling::DieDesDrawDieBuilderFactory::Create(0, PART_ask_work_part());
  die->SetBasePlane(belt.plane());
  const tag_t feature = belt.feature();
  for (auto _ : state) die->ClassifyMachiningFaces(feature, 0, feature, feature, 0);
  die->destroy();
  state.SetComplexityN(n);
}
BENCHMARK(BM_DrawDieClassifyMachiningFaces)->RangeMultiplier(2)->Range(8, 4096)->Complexity(benchmark::oN);

// A punch body on real geometry: a prism on a polygon of n sides (radius 80,
// 0 to 100) relieved by 8 up to 75, as a feature's body.
class RealBelt : public PunchOverFeature {
 public:
  explicit RealBelt(int n) {
    const double k = Kernel::ScaleFactors().factors[0], up[3] = {0, 0, 1};
    std::vector<double> loop;
    for (int i = 0; i < n; ++i) loop.insert(loop.end(), {80 * k * std::cos(2 * M_PI * i / n), 80 * k * std::sin(2 * M_PI * i / n), 0});
    std::vector<double> inner, outer;
    const double kernelBefore = Kernel::GeometrySeconds();
    const auto start = std::chrono::steady_clock::now();
    int body = 0, ring = 0;
    Kernel::OffsetLoop(loop, -8 * k, &inner);
    Kernel::OffsetLoop(loop, 8 * k, &outer);
    Kernel::MakeExtrusion({loop}, up, 0, 100 * k, false, &body);
    Kernel::MakeExtrusion({outer, inner}, up, 0, 75 * k, false, &ring);
    Kernel::Combine(body, ring, true);
    Kernel::DeleteBody(ring, "machining_faces_bench");
    const tag_t solid = ES_create_body_of_geometry(part(), body);
    seconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    kernel_ = Kernel::GeometrySeconds() - kernelBefore;
    MakeFeature(solid);
  }
  // The kernel's share of making the body and its model faces.
  double KernelShare() const { return seconds_ > 0 ? kernel_ / seconds_ : 0; }

 private:
  double seconds_ = 0, kernel_ = 0;
};

void BM_RealBeltChamferEdges(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  RealBelt belt(n);
  std::vector<tag_t> edges;
  for (auto _ : state) {
    edges.clear();
    belt.punch()->GetBeltChamferEdges(belt.feature(), belt.plane(), &edges);
    // The relieved walls' upper edges, one a side, where they meet the step.
    if (edges.size() != static_cast<std::size_t>(n)) {
      state.SkipWithError(("found " + std::to_string(edges.size()) + " belt edges").c_str());
      break;
    }
  }
  state.counters["kernel_share_of_making"] = belt.KernelShare();
  state.SetComplexityN(n);
}
BENCHMARK(BM_RealBeltChamferEdges)->RangeMultiplier(4)->Range(4, 256)->Complexity(benchmark::oNLogN);

void BM_RealClassifyMachiningFaces(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  RealBelt belt(n);
  for (auto _ : state) belt.punch()->ClassifyMachiningFaces(belt.feature());
  state.counters["kernel_share_of_making"] = belt.KernelShare();
  state.SetComplexityN(n);
}
BENCHMARK(BM_RealClassifyMachiningFaces)->RangeMultiplier(4)->Range(4, 256)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
