// The draw punch's face work on a solid of n top faces: the belt edges its
// chamfer runs along (half the faces stand on the base plane, half lie above
// it, each lower face sharing one edge with an upper one), and the sorting of
// the faces by the base plane for machining, the punch's and the draw die's
// (whose top is every face of its trim and whose bottom is every face of its
// stress solid in the base plane). Each reports its fitted Big-O.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "sys/CallLog.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

namespace {

using namespace KTX;

// A part with a base plane and a feature whose body has n faces, half lower
// and half upper, and the punch that works on them.
class Belt {
 public:
  explicit Belt(int n) {
    Host::SetLogging(false);
    part_ = PART_part::Create(0);
    PART_set_work_part(part_);
    const double origin[3] = {0, 0, 0}, flat[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    const double standing[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
    plane_ = ES_create_plane(origin, flat);
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
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(part_, nullptr);
    frec->set_body_eid(solid_);
    feature_ = frec->OmTag();
    punch_ = Tooling::DieDesDrawPunchBuilderFactory::Create(0, part_);
    punch_->SetBasePlane(plane_);
    Host::SetCustomerDefault("MFM_Refined_Attribute", std::string("REFINED"));
    Host::SetCustomerDefault("MFM_Rough_Attribute", std::string("ROUGH"));
    Host::SetCustomerDefault("MFM_Finishing_Attribute", std::string("FINISHING"));
  }
  ~Belt() {
    punch_->destroy();
    Kernel::DetachModelBody(solid_);
    Kernel::DeleteBody(body_, "machining_faces_bench");
    part_->destroy();
    PART_set_work_part(nullptr);
    Host::ClearCustomerDefaults();
  }
  Belt(const Belt&) = delete;
  Belt& operator=(const Belt&) = delete;
  Tooling::DieDesDrawPunchBuilder* punch() const { return punch_; }
  tag_t feature() const { return feature_; }
  tag_t plane() const { return plane_; }

 private:
  PART_part* part_ = nullptr;
  Tooling::DieDesDrawPunchBuilder* punch_ = nullptr;
  tag_t plane_ = 0, solid_ = 0, feature_ = 0;
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

}  // namespace

BENCHMARK_MAIN();
