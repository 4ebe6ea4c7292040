// Draw beads: a moved start that pushes every following segment of a bead
// (each push finds its neighbour in the bead's list, so the whole run may
// grow as n^2), the split rule, the split along a centerline, and the male
// record written and read back.
#include <benchmark/benchmark.h>

#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "afl/DrawBeadParms.hpp"
#include "sel/Selection.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "sys/CallLog.hpp"
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

// Destroying a bead of n segments, each with its own locations and
// expressions: what each one owns is found from the object itself, so the
// whole destroy is linear in n.
void BM_DestroyBead(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  // As ktxhost play runs: the host's call log is a test aid.
  Host::SetLogging(false);
  for (auto _ : state) {
    state.PauseTiming();
    PART_part* part = PART_part::Create(0);
    PART_set_work_part(part);
    auto* bead = DieEngJA::DrawBeadBuilderFactory::Create(part->ModelPart(), nullptr);
    for (int i = 0; i < n; ++i)
      bead->GetSegmentList()->insert(i, DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead, nullptr));
    state.ResumeTiming();
    bead->destroy();
    state.PauseTiming();
    part->destroy();
    PART_set_work_part(nullptr);
    state.ResumeTiming();
  }
  Host::SetLogging(true);
  state.SetComplexityN(n);
}
BENCHMARK(BM_DestroyBead)->RangeMultiplier(2)->Range(128, 1024)->Complexity()->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

using namespace KTX;

// The split rule alone on n curve starts spread over the path, some of them
// near-equal: it sorts, so no faster than n log n.
void BM_SplitRule(benchmark::State& state) {
  const auto n = static_cast<std::size_t>(state.range(0));
  std::vector<double> prepared = {0.0, 1.0};
  for (std::size_t i = 0; i < n; ++i) prepared.push_back(static_cast<double>((i * 7919) % n) / static_cast<double>(n));
  std::vector<double> values;
  std::size_t kept = 0;
  for (auto _ : state) {
    values = prepared;
    kept = DieEngJA::DrawBeadBuilder::SplitRule(0.0, values.data(), values.size());
    benchmark::DoNotOptimize(kept);
  }
  if (kept != n + 1) state.SkipWithError("the split kept the wrong values");
  state.SetComplexityN(static_cast<benchmark::IterationCount>(n));
}
BENCHMARK(BM_SplitRule)->RangeMultiplier(4)->Range(64, 65536)->Complexity();

// A bead with one segment and a centerline of k lines along a staircase.
DieEngJA::DrawBeadBuilder* beadOnLines(PART_part* part, int k) {
  auto* bead = DieEngJA::DrawBeadBuilderFactory::Create(part->ModelPart(), nullptr);
  auto* first = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead, nullptr);
  bead->GetSegmentList()->insert(0, first);
  std::vector<tag_t> lines;
  for (int i = 0; i < k; ++i) {
    const double a[3] = {10.0 * i, 0, 0}, b[3] = {10.0 * (i + 1), 0, 0};
    lines.push_back(ES_create_line_in_part(part, a, b));
  }
  bead->GetCenterline()->add_loop(SC_section::kOpen, k, lines.data());
  return bead;
}

// One segment per centerline curve: each new segment is placed among its
// neighbours, found in the bead's list, so no faster than k^2.
void BM_SplitAlongCenterline(benchmark::State& state) {
  const int k = static_cast<int>(state.range(0));
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  int made = 0;
  for (auto _ : state) {
    state.PauseTiming();
    DieEngJA::DrawBeadBuilder* bead = beadOnLines(part, k);
    state.ResumeTiming();
    bead->CreateSegmentsFromCenterlineCurves();
    state.PauseTiming();
    made = bead->GetSegmentList()->size();
    bead->destroy();
    state.ResumeTiming();
  }
  if (made != k) state.SkipWithError("the split did not make one segment per line");
  state.SetComplexityN(k);
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_SplitAlongCenterline)->RangeMultiplier(2)->Range(8, 512)->Complexity()->Unit(benchmark::kMillisecond);

// A bead of n segments written into its male record and read back into a
// new builder: linear in n.
void BM_WriteAndReadRecord(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  DieEngJA::DrawBeadBuilder* bead = beadOnLines(part, n);
  bead->CreateSegmentsFromCenterlineCurves();
  DIE_DRBD_MALE_PARMS* parms = DIE_DRBD_MALE_PARMSFactory::Create();
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part, parms);
  int read = 0;
  for (auto _ : state) {
    bead->ToParms(parms);
    DieEngJA::DrawBeadBuilder* again = DieEngJA::DrawBeadBuilderFactory::Create(part->ModelPart(), frec);
    read = again->GetSegmentList()->size();
    state.PauseTiming();
    again->destroy();
    state.ResumeTiming();
  }
  if (read != n) state.SkipWithError("the record did not give the segments back");
  state.SetComplexityN(n);
  bead->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
}
BENCHMARK(BM_WriteAndReadRecord)->RangeMultiplier(2)->Range(8, 512)->Complexity(benchmark::oN);

}  // namespace
