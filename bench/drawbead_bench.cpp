// A moved start that pushes every following segment of a bead: each push
// finds its neighbour in the bead's list, so the whole run may grow as n^2.
#include <benchmark/benchmark.h>

#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "sys/Memory.hpp"

namespace {

using namespace KTX;

void setValue(EXP_expression* expression, double value) {
  char* text = EXP_format_value(value);
  EXP_edit_exp(0, expression, text);
  SM_free(text);
}

void BM_PushThroughSegments(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  auto* bead = DieEngJA::DrawBeadBuilderFactory::Create(part->ModelPart(), nullptr);
  const double start[3] = {0, 0, 0}, end[3] = {1e9, 0, 0};
  const tag_t path = ES_create_line_in_part(part, start, end);
  std::vector<DieEngJA::DrawBeadSegmentBuilder*> segments;
  for (int i = 0; i < n; ++i) {
    auto* segment = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead, nullptr);
    bead->GetSegmentList()->insert(i, segment);
    segment->SetSegmentClearance(0.5);
    segment->SetNewPath(path);
    // Packed: each start one clearance after the previous end.
    segment->SetChangesPending(true);
    segment->NotifySetExpressionValue(0, i * 1.0);
    segment->NotifySetExpressionValue(1, i * 1.0 + 0.5);
    segment->SetChangesPending(false);
    segments.push_back(segment);
  }
  EXP_expression* first = segments.front()->GetStartLocation()->GetValueExpression();
  double at = 0;
  for (auto _ : state) {
    at += 0.25;
    setValue(first, at);  // the first segment's end, then every start after it, moves on
  }
  benchmark::DoNotOptimize(segments.back()->GetStartLocation()->GetLengthValue());
  if (segments.back()->GetStartLocation()->GetLengthValue() < at + n - 1.5)
    state.SkipWithError("the push did not reach the last segment");
  state.SetComplexityN(n);
  bead->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_PushThroughSegments)->RangeMultiplier(2)->Range(8, 1024)->Complexity();

}  // namespace
