// Opening a manikin size file: every key is looked for from the top, so the
// read is linear in the file's lines (ten passes at most).
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "Scratch.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "feat/Builder.hpp"
#include "sys/CallLog.hpp"
#include "vd/ManikinServices.hpp"

namespace {

using namespace KTX;

// n lines: comments and foreign keys first, the ten keys last.
std::string WriteSizeFile(long lines) {
  const std::string name = stamvik_scratch::ProcessFolder().Slashed() + "sizes_" + std::to_string(lines) + ".hsd";
  std::FILE* file = std::fopen(name.c_str(), "w");
  for (long i = 10; i < lines; ++i) std::fprintf(file, i % 2 == 0 ? "! comment %ld\n" : "OTHER_KEY_%ld: 1\n", i);
  std::fputs("UNIT: mm\nPERCENTILE: bench\nLEG_LENGTH: 400\nTHIGH_LENGTH: 410\nFOREARM_LENGTH: 250\n"
             "ARM_LENGTH: 300\nTORSO_LENGTH: 500\nHAND_LENGTH: 180\nHAND_GRIP_LENGTH: 100\n"
             "SHOULDER_TO_HIP_LENGTH: 450\n",
             file);
  std::fclose(file);
  return name;
}

void BM_OpenSizeFile(benchmark::State& state) {
  Host::SetLogging(false);
  const std::string name = WriteSizeFile(state.range(0));
  PART_part* part = PART_part::Create(0);
  PART_set_work_part(part);
  auto* manikin = VDJA::ManikinBuilderFactory::Create(part->ModelPart(), nullptr);
  manikin->SetStandard(VDJA::UserDefined);
  for (auto _ : state) manikin->OpenFromFile(name.c_str());
  if (!VD::ErrorDialogs().empty()) state.SkipWithError("the size file was refused");
  state.SetComplexityN(state.range(0));
  manikin->destroy();
  part->destroy();
  PART_set_work_part(nullptr);
  std::remove(name.c_str());
}
// 50,000 lines (about 800 KB) stay under the size file's 1 MiB bound.
BENCHMARK(BM_OpenSizeFile)->RangeMultiplier(10)->Range(10, 50000)->Complexity(benchmark::oN);

}  // namespace

BENCHMARK_MAIN();
