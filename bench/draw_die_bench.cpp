// An edit commit of a draw die whose feature set has m members, most of them
// features of the user's without a role title. The set is a whole first
// build's; the edit is given no die face sheet, so each build edits the two
// joined profiles, stops at the rough offsets and is taken back to its
// mark: what grows with m is finding each role by its title among the
// members (the commit has no new feature to put first).
// The cost should grow linearly with m; the fitted Big-O is reported, and a
// run that leaves objects, memory or undo marks behind is an error.
// Then a whole draw die (the example's dimensions) built on real geometry
// with a punch profile of n sides, with the kernel's share of the time.
#include <benchmark/benchmark.h>

#include <vector>

#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "geom/Curve.hpp"
#include "om/ObjectManager.hpp"
#include "sys/CallLog.hpp"
#include "sys/Memory.hpp"
#include "tool/Tooling.hpp"
#include "ToolingBenchSupport.hpp"

namespace {

using namespace KTX;

// A part holding a draw die's set of m members (the features of a first
// commit and untitled features), and a die that edits it without a die face.
class EditedDie {
 public:
  explicit EditedDie(int members) {
    Host::SetLogging(false);
    part_ = PART_part::Create(0);
    PART_set_work_part(part_);
    auto* first = stamvik_bench::DieOn(part_, 4);
    first->commit();
    set_ = first->GetTfeatureSet();
    first->destroy();
    int count = 0;
    tag_t* made = nullptr;
    FSET_ask_group_members(set_, &count, &made);
    std::vector<tag_t> all(made, made + count);
    SM_free(made);
    while (static_cast<int>(all.size()) < members) all.push_back(FEATURE_RECORD::Create(part_, nullptr)->OmTag());
    TOOLING_replace_feature_set_member(set_, all.data(), static_cast<int>(all.size()));
    die_ = Tooling::DieDesDrawDieBuilderFactory::Create(set_, part_);
    die_->GetSheetBody()->set_selected_tag(0);
  }
  ~EditedDie() {
    die_->destroy();
    part_->destroy();
    PART_set_work_part(nullptr);
    Host::SetLogging(true);
  }
  EditedDie(const EditedDie&) = delete;
  EditedDie& operator=(const EditedDie&) = delete;
  Tooling::DieDesDrawDieBuilder* die() const { return die_; }
  int Members() const {
    int count = 0;
    tag_t* members = nullptr;
    FSET_ask_group_members(set_, &count, &members);
    SM_free(members);
    return count;
  }

 private:
  PART_part* part_ = nullptr;
  Tooling::DieDesDrawDieBuilder* die_ = nullptr;
  tag_t set_ = 0;
};

void BM_DrawDieEditCommit(benchmark::State& state) {
  const int m = static_cast<int>(state.range(0));
  const int objects = OM::OM_live_objects();
  const Memory::Counters memory = Memory::LiveCounters();
  const int marks = OM::OM_count_undo_marks();
  {
    EditedDie edited(m);
    for (auto _ : state) {
      edited.die()->commit();
      if (edited.Members() != m) {
        state.SkipWithError("the edit changed the set's membership");
        break;
      }
    }
  }
  if (OM::OM_live_objects() != objects || Memory::LiveCounters().blocks != memory.blocks ||
      OM::OM_count_undo_marks() != marks)
    state.SkipWithError("objects, memory or undo marks left behind");
  state.SetComplexityN(m);
}
BENCHMARK(BM_DrawDieEditCommit)->RangeMultiplier(2)->Range(32, 4096)->Complexity(benchmark::oN);

void BM_DrawDieBuild(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  stamvik_bench::TimedBuilds<Tooling::DieDesDrawDieBuilder>(
      state, [n](PART_part* part) { return stamvik_bench::DieOn(part, n); });
}
BENCHMARK(BM_DrawDieBuild)->Arg(4)->Arg(12)->Arg(64)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
