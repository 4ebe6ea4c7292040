// The die shoe's body on the stand-in's real geometry: CreateBody on shoes of
// n rectangular main decks in a row under one flange (no cutouts) and of 8
// decks with m deck cutouts, first built (every cache empty: a new builder)
// and built again from its caches, each with its fitted Big-O. Each reports
// the kernel calls of one build (counted in a separate, untimed build) and
// the kernel's share of the time (the modeller's own clock). Beside them,
// the kernel steps alone, in the order a build makes them: a deck block
// (sheet and sweep), its inner block (inward offset), and n decks trimmed and
// united into a flange, one tool step each, until the body is looked at.
// Last, a flange loop of n points (a regular polygon) committed alone, with
// one main deck, and with the deck and four cutouts up to the most points
// validation lets through, and that shoe's validation alone; a flange
// whose edges nearly all span its width validated; and the load case's
// 20,000 points refused.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <concepts>
#include <string>
#include <vector>

#include "DieDes_DieShoeBuilder.hpp"
#include "ModelInputs.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Parms.hpp"
#include "feat/Builder.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "sel/Selection.hpp"
#include "sys/CallLog.hpp"

namespace {

using namespace KTX;

// Decks 300 by 400 mm, 50 mm apart in a row along X; the flange 50 mm round them.
constexpr double kDeckX = 300, kDeckY = 400, kGap = 50;

tag_t Rectangle(double x0, double y0, double x1, double y1) {
  const double p[] = {x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y1, 0, x0, y0, 0};
  return ES_create_polyline(5, p);
}
double DeckX0(int i) { return i * (kDeckX + kGap); }
tag_t Flange(int decks) { return Rectangle(-kGap, -kGap, DeckX0(decks - 1) + kDeckX + kGap, kDeckY + kGap); }
tag_t Deck(int i) { return Rectangle(DeckX0(i), 0, DeckX0(i) + kDeckX, kDeckY); }
// The j-th cutout: 20 mm squares, in turn on each of the decks, in rows.
[[maybe_unused]] tag_t Cutout(int j, int decks) {
  const int deck = j % decks, slot = j / decks;
  const double x = DeckX0(deck) + 40 + (slot % 6) * 40, y = 40 + (slot / 6) * 40;
  return Rectangle(x, y, x + 20, y + 20);
}

// A part that is the work part for the benchmark's time.
struct WorkPart {
  PART_part* part = PART_part::Create(0);
  WorkPart() { PART_set_work_part(part); }
  ~WorkPart() {
    part->destroy();
    PART_set_work_part(nullptr);
  }
};

// ---- the kernel steps alone ------------------------------------------------------

int Block(tag_t curve, double z0, double height) { return stamvik_inputs::SweptBlock(curve, z0, height, 0.02); }

void BM_KernelDeckBlock(benchmark::State& state) {
  WorkPart work;
  const tag_t deck = Deck(0);
  for (auto _ : state) {
    int block = Block(deck, -70.2, 390.4);
    benchmark::DoNotOptimize(block);
    DieDesUtilsDeleteBody(block);
  }
}
BENCHMARK(BM_KernelDeckBlock)->Unit(benchmark::kMicrosecond);

void BM_KernelInnerBlock(benchmark::State& state) {
  WorkPart work;
  const int block = Block(Deck(0), -70.2, 390.4);
  for (auto _ : state) {
    int copy = 0;
    ZV_ENTITY_copy(block, &copy);
    ZV_TOPOL_track_r_t tracking;
    ZV_TOPOL_local_r_t local;
    ZV_BODY_offset_2(copy, -0.02, 2e-5, nullptr, &tracking, &local);
    ZV_TOPOL_track_r_f(&tracking);
    ZV_TOPOL_local_r_f(&local);
    DieDesUtilsDeleteBody(copy);
  }
  DieDesUtilsDeleteBody(block);
}
BENCHMARK(BM_KernelInnerBlock)->Unit(benchmark::kMicrosecond);

// The flange with n deck blocks, each trimmed to the base and deck planes and
// united in, as a build's unite step does.
void BM_KernelDeckUnites(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  WorkPart work;
  const int flange = Block(Flange(n), 0, 40);
  std::vector<int> blocks;
  for (int i = 0; i < n; ++i) blocks.push_back(Block(Deck(i), -70.2, 390.4));
  const double base[3] = {0, 0, 0}, up[3] = {0, 0, 1}, deck[3] = {0, 0, 250}, down[3] = {0, 0, -1};
  for (auto _ : state) {
    int body = 0;
    ZV_ENTITY_copy(flange, &body);
    for (int block : blocks) {
      int tool = 0;
      ZV_ENTITY_copy(block, &tool);
      DIEDES_UTILS__trim_body_to_plane(tool, base, up);
      DIEDES_UTILS__trim_body_to_plane(tool, deck, down);
      DIEDES_UTILS__unite_tool_to_target(body, tool, 0.02);
      DieDesUtilsDeleteBody(tool);
    }
    // Looked at: the unites gathered on the body are applied.
    benchmark::DoNotOptimize(ZV_ENTITY_is(body));
    state.PauseTiming();
    // The flange and every deck's part above it, in cubic millimetres.
    const double want = (DeckX0(n) + kGap) * (kDeckY + 2 * kGap) * 40 + n * kDeckX * kDeckY * 210;
    const double k = Kernel::ScaleFactors().factors[1];
    const bool lost = std::abs(Kernel::Volume(body) * k * k * k / want - 1) > 1e-9;
    DieDesUtilsDeleteBody(body);
    if (lost) {
      state.SkipWithError("the unites lost volume");
      break;
    }
    state.ResumeTiming();
  }
  for (int block : blocks) DieDesUtilsDeleteBody(block);
  DieDesUtilsDeleteBody(flange);
  state.SetComplexityN(n);
}
BENCHMARK(BM_KernelDeckUnites)->RangeMultiplier(2)->Range(1, 64)->Unit(benchmark::kMillisecond)->Complexity();

// ---- CreateBody --------------------------------------------------------------------

template <class B>
concept BuildsBody = requires(B& builder, int* body) {
  { builder.CreateBody(body) } -> std::same_as<int>;
};

// A shoe on the base plane at the origin, Z up: flange 40, main decks raised
// to 250 with walls of 20 and decks of 30, tolerance 0.02.
template <class B>
B* Shoe(PART_part* part, int decks, int cutouts) {
  B* shoe = DieDes::DieShoeBuilderFactory::Create(part->ModelPart(), nullptr);
  auto* base = shoe->GetBaseOrientation();
  base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  base->SetCoordinateSystemOrigin(origin);
  base->SetCoordinateSystemMatrix(identity);
  const tag_t flange = Flange(decks);
  shoe->GetBaseFlangeSectionPtr()->add_loop(SC_section::kClosed, 1, &flange);
  for (int i = 0; i < decks; ++i) {
    const tag_t deck = Deck(i);
    shoe->GetMainDeckSectionPtr()->add_loop(SC_section::kClosed, 1, &deck);
  }
  for (int j = 0; j < cutouts; ++j) {
    const tag_t cutout = Cutout(j, decks);
    shoe->GetDeckCutoutsSectionPtr()->add_loop(SC_section::kClosed, 1, &cutout);
  }
  EXP_edit_exp(part->ask_tag(), shoe->GetMainDeckOffset(), "250");
  EXP_edit_exp(part->ask_tag(), shoe->GetFlangeThickness(), "40");
  EXP_edit_exp(part->ask_tag(), shoe->GetWallThickness(), "20");
  EXP_edit_exp(part->ask_tag(), shoe->GetDeckThickness(), "30");
  shoe->SetDistanceTolerance(0.02);
  return shoe;
}

double Mm3(int body) {
  const double k = Kernel::ScaleFactors().factors[1];
  return Kernel::Volume(body) * k * k * k;
}

// A shoe of n decks without cutouts, by hand: the flange, each deck's block
// above it (210 high), less each cavity inside 20 walls (260 by 360) from
// below up to the deck of 30 (z 220).
double DecksVolume(int n) {
  return (DeckX0(n) + kGap) * (kDeckY + 2 * kGap) * 40 + n * (kDeckX * kDeckY * 210 - 260.0 * 360 * 220);
}

// The kernel calls of one build: the solid-modelling calls and the body
// utilities the log holds.
template <class B>
double KernelCalls(B* shoe) {
  Host::ClearCalls();
  Host::SetLogging(true);
  int body = 0;
  shoe->CreateBody(&body);
  Host::SetLogging(false);
  double calls = 0;
  for (const Host::Call& call : Host::Calls())
    calls += call.name.rfind("ZV_", 0) == 0 || call.name.rfind("DIEDES_UTILS", 0) == 0 ? 1 : 0;
  Host::ClearCalls();
  Kernel::DeleteBody(body, "benchmark");
  return calls;
}

// One shoe's builds: first builds on new builders (paused while made and
// destroyed) or builds from the caches of one builder.
template <class B = DieDes::DieShoeBuilder>
void BuildShoe(benchmark::State& state, int decks, int cutouts, bool cached) {
  if constexpr (BuildsBody<B>) {
    WorkPart work;
    Host::SetLogging(false);
    B* counted = Shoe<B>(work.part, decks, cutouts);
    const double calls = KernelCalls(counted);
    counted->destroy();
    B* shoe = cached ? Shoe<B>(work.part, decks, cutouts) : nullptr;
    if (shoe != nullptr) {
      int first = 0;  // fills the caches
      shoe->CreateBody(&first);
      Kernel::DeleteBody(first, "benchmark");
    }
    double seconds = 0, kernel = 0;
    for (auto _ : state) {
      if (!cached) {
        state.PauseTiming();
        shoe = Shoe<B>(work.part, decks, cutouts);
        state.ResumeTiming();
      }
      const auto start = std::chrono::steady_clock::now();
      const double kernelBefore = Kernel::GeometrySeconds();
      int body = 0;
      const int rc = shoe->CreateBody(&body);
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      kernel += Kernel::GeometrySeconds() - kernelBefore;
      state.PauseTiming();
      if (rc != 0) state.SkipWithError(("CreateBody returned " + std::to_string(rc)).c_str());
      if (cutouts == 0 && std::abs(Mm3(body) / DecksVolume(decks) - 1) > 1e-9)
        state.SkipWithError("the shoe's volume is not the decks' own");
      Kernel::DeleteBody(body, "benchmark");
      if (!cached) shoe->destroy();
      state.ResumeTiming();
    }
    if (cached) shoe->destroy();
    state.counters["kernel_calls"] = calls;
    state.counters["kernel_share"] = seconds > 0 ? kernel / seconds : 0;
    state.SetComplexityN(cutouts > 0 ? cutouts : decks);
  } else {
    (void)decks, (void)cutouts, (void)cached;
    state.SkipWithError("the die-shoe builder has no CreateBody yet");
  }
}

void BM_CreateBodyDecks(benchmark::State& state) { BuildShoe(state, static_cast<int>(state.range(0)), 0, false); }
void BM_CreateBodyDecksCached(benchmark::State& state) { BuildShoe(state, static_cast<int>(state.range(0)), 0, true); }
void BM_CreateBodyCutouts(benchmark::State& state) { BuildShoe(state, 8, static_cast<int>(state.range(0)), false); }
void BM_CreateBodyCutoutsCached(benchmark::State& state) { BuildShoe(state, 8, static_cast<int>(state.range(0)), true); }
BENCHMARK(BM_CreateBodyDecks)->RangeMultiplier(2)->Range(1, 64)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_CreateBodyDecksCached)->RangeMultiplier(2)->Range(1, 64)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_CreateBodyCutouts)->RangeMultiplier(2)->Range(1, 64)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_CreateBodyCutoutsCached)->RangeMultiplier(2)->Range(1, 64)->Unit(benchmark::kMillisecond)->Complexity();

// ---- a flange loop of n points -------------------------------------------------------

// The body maker the host registers: a builder on the new record builds it.
template <class B = DieDes::DieShoeBuilder>
int MakeBody(FEATURE_RECORD* frec, int* body) {
  *body = 0;
  if constexpr (BuildsBody<B>) {
    PART_part* work = PART_ask_work_part();
    B* builder = DieDes::DieShoeBuilderFactory::Create(work != nullptr ? work->ModelPart() : nullptr, frec);
    if (builder == nullptr) return 0;
    const int rc = builder->CreateBody(body);
    builder->destroy();
    return rc;
  }
  return 0;
}

// A shoe of a flange alone whose loop is the n corners of a regular polygon
// of radius 500, each a point, committed as a new feature: the
// section, the parameters, the feature and its body (through the maker).
// With a deck, one main deck of 600 by 400 in its middle as in BuildShoe.
template <class B = DieDes::DieShoeBuilder>
void FlangeLoop(benchmark::State& state, bool commit, bool deck, bool cutouts = false) {
  const int n = static_cast<int>(state.range(0));
  if constexpr (BuildsBody<B>) {
    Host::SetLogging(false);
    DIEENG_register_body_maker("KTX::DieDes::DieShoe", &MakeBody<B>);
    std::vector<double> points;
    for (int i = 0; i <= n; ++i) {
      const double a = 2 * 3.14159265358979323846 * (i % n) / n;
      points.insert(points.end(), {500 * std::cos(a), 500 * std::sin(a), 0});
    }
    double seconds = 0, kernel = 0;
    for (auto _ : state) {
      state.PauseTiming();
      auto* work = new WorkPart;
      B* shoe = DieDes::DieShoeBuilderFactory::Create(work->part->ModelPart(), nullptr);
      auto* base = shoe->GetBaseOrientation();
      base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
      const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
      base->SetCoordinateSystemOrigin(origin);
      base->SetCoordinateSystemMatrix(identity);
      EXP_edit_exp(work->part->ask_tag(), shoe->GetFlangeThickness(), "40");
      if (deck) {
        const tag_t middle = Rectangle(-300, -200, 300, 200);
        shoe->GetMainDeckSectionPtr()->add_loop(SC_section::kClosed, 1, &middle);
        EXP_edit_exp(work->part->ask_tag(), shoe->GetMainDeckOffset(), "250");
        EXP_edit_exp(work->part->ask_tag(), shoe->GetWallThickness(), "20");
        EXP_edit_exp(work->part->ask_tag(), shoe->GetDeckThickness(), "30");
      }
      // Four 20 mm cutouts in the deck.
      for (int j = 0; cutouts && j < 4; ++j) {
        const tag_t cutout = Rectangle(-200 + 100 * j, -10, -180 + 100 * j, 10);
        shoe->GetDeckCutoutsSectionPtr()->add_loop(SC_section::kClosed, 1, &cutout);
      }
      shoe->SetDistanceTolerance(0.02);
      state.ResumeTiming();
      const auto start = std::chrono::steady_clock::now();
      const double kernelBefore = Kernel::GeometrySeconds();
      // A loop of points, as a script's Section.AddLoop gives it.
      std::vector<tag_t> corners;
      for (int i = 0; i < n; ++i) corners.push_back(ES_create_point(&points[3 * static_cast<std::size_t>(i)]));
      shoe->GetBaseFlangeSectionPtr()->add_loop(SC_section::kClosed, n, corners.data());
      int rc = 0, body = 0;
      if (commit) {
        // With the cutouts as the host commits: only what validates.
        rc = cutouts ? shoe->validate_nothrow() : 0;
        if (rc == 0) rc = shoe->commit();
      } else {
        rc = shoe->CreateBody(&body);
      }
      seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      kernel += Kernel::GeometrySeconds() - kernelBefore;
      state.PauseTiming();
      if (rc != 0) state.SkipWithError(("the flange returned " + std::to_string(rc)).c_str());
      Kernel::DeleteBody(body, "benchmark");
      shoe->destroy();
      delete work;
      state.ResumeTiming();
    }
    state.counters["kernel_share"] = seconds > 0 ? kernel / seconds : 0;
    DIEENG_register_body_maker("KTX::DieDes::DieShoe", nullptr);
  } else {
    (void)commit, (void)deck;
    state.SkipWithError("the die-shoe builder has no CreateBody yet");
  }
  state.SetComplexityN(n);
}

void BM_FlangeLoopCommit(benchmark::State& state) { FlangeLoop(state, true, false); }
void BM_FlangeLoopWithDeckAndCutoutsCommit(benchmark::State& state) { FlangeLoop(state, true, true, true); }
void BM_FlangeLoopCreateBody(benchmark::State& state) { FlangeLoop(state, false, false); }
void BM_FlangeLoopWithDeckCommit(benchmark::State& state) { FlangeLoop(state, true, true); }
BENCHMARK(BM_FlangeLoopCommit)->RangeMultiplier(4)->Range(16, 16384)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_FlangeLoopCreateBody)->RangeMultiplier(4)->Range(16, 16384)->Unit(benchmark::kMillisecond)->Complexity();
BENCHMARK(BM_FlangeLoopWithDeckCommit)->RangeMultiplier(4)->Range(16, 4096)->Unit(benchmark::kMillisecond)->Complexity();
// Up to the most points a flange may have (4096): the load case's cutouts
// with it. One point more is refused by validation before anything is built.
BENCHMARK(BM_FlangeLoopWithDeckAndCutoutsCommit)
    ->RangeMultiplier(4)
    ->Range(16, 4096)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// A new shoe whose base is the world's frame, for validation alone.
DieDes::DieShoeBuilder* ShoeOnTheWorldFrame(WorkPart& work) {
  DieDes::DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(work.part->ModelPart(), nullptr);
  auto* base = shoe->GetBaseOrientation();
  base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  base->SetCoordinateSystemOrigin(origin);
  base->SetCoordinateSystemMatrix(identity);
  return shoe;
}

// A flange loop of n points on a circle of radius 500, as one polyline.
void AddCircularFlange(DieDes::DieShoeBuilder* shoe, int n) {
  std::vector<double> points;
  for (int i = 0; i <= n; ++i) {
    const double a = 2 * 3.14159265358979323846 * (i % n) / n;
    points.insert(points.end(), {500 * std::cos(a), 500 * std::sin(a), 0});
  }
  const tag_t loop = ES_create_polyline(n + 1, points.data());
  shoe->GetBaseFlangeSectionPtr()->add_loop(SC_section::kClosed, 1, &loop);
}

// What the guard costs the shoe of BM_FlangeLoopWithDeckCommit: its body
// built once (CreateBody judges it too), then judged on every iteration.
void BM_FlangeLoopWithDeckJudge(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Host::SetLogging(false);
  WorkPart work;
  DieDes::DieShoeBuilder* shoe = ShoeOnTheWorldFrame(work);
  EXP_edit_exp(work.part->ask_tag(), shoe->GetFlangeThickness(), "40");
  EXP_edit_exp(work.part->ask_tag(), shoe->GetMainDeckOffset(), "250");
  EXP_edit_exp(work.part->ask_tag(), shoe->GetWallThickness(), "20");
  EXP_edit_exp(work.part->ask_tag(), shoe->GetDeckThickness(), "30");
  shoe->SetDistanceTolerance(0.02);
  const tag_t middle = Rectangle(-300, -200, 300, 200);
  shoe->GetMainDeckSectionPtr()->add_loop(SC_section::kClosed, 1, &middle);
  AddCircularFlange(shoe, n);
  int body = 0;
  const int rc = shoe->CreateBody(&body);
  if (rc != 0) state.SkipWithError(("the flange returned " + std::to_string(rc)).c_str());
  for (auto _ : state) {
    if (rc != 0) break;
    const int judged = shoe->JudgeBuiltShoe(body);
    if (judged != 0) state.SkipWithError(("the guard returned " + std::to_string(judged)).c_str());
  }
  Kernel::DeleteBody(body, "benchmark");
  shoe->destroy();
  state.SetComplexityN(n);
}
BENCHMARK(BM_FlangeLoopWithDeckJudge)->Arg(8)->Arg(64)->Arg(512)->Arg(4096)->Unit(benchmark::kMillisecond);

// Validation alone of the shoe of BM_FlangeLoopWithDeckAndCutoutsCommit: its
// flange loop of n points (up to the most validation lets through), the deck
// and the four cutouts, read and checked on every call.
void BM_FlangeLoopWithDeckAndCutoutsValidate(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Host::SetLogging(false);
  WorkPart work;
  DieDes::DieShoeBuilder* shoe = ShoeOnTheWorldFrame(work);
  EXP_edit_exp(work.part->ask_tag(), shoe->GetFlangeThickness(), "40");
  EXP_edit_exp(work.part->ask_tag(), shoe->GetMainDeckOffset(), "250");
  EXP_edit_exp(work.part->ask_tag(), shoe->GetWallThickness(), "20");
  EXP_edit_exp(work.part->ask_tag(), shoe->GetDeckThickness(), "30");
  shoe->SetDistanceTolerance(0.02);
  const tag_t middle = Rectangle(-300, -200, 300, 200);
  shoe->GetMainDeckSectionPtr()->add_loop(SC_section::kClosed, 1, &middle);
  for (int j = 0; j < 4; ++j) {
    const tag_t cutout = Rectangle(-200 + 100 * j, -10, -180 + 100 * j, 10);
    shoe->GetDeckCutoutsSectionPtr()->add_loop(SC_section::kClosed, 1, &cutout);
  }
  AddCircularFlange(shoe, n);
  for (auto _ : state) {
    const int rc = shoe->validate_nothrow();
    if (rc != 0) state.SkipWithError(("validation returned " + std::to_string(rc)).c_str());
  }
  shoe->destroy();
  state.SetComplexityN(n);
}
BENCHMARK(BM_FlangeLoopWithDeckAndCutoutsValidate)
    ->RangeMultiplier(4)
    ->Range(16, 4096)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

// Validation of a flange alone that the check for edges that cross or touch
// handles worst: n points whose edges nearly all span the flange's width, a
// serpentine of teeth 1000 long and 0.2 apart, closed round its left side.
void BM_FlangeSerpentineValidate(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  Host::SetLogging(false);
  WorkPart work;
  DieDes::DieShoeBuilder* shoe = ShoeOnTheWorldFrame(work);
  shoe->SetDistanceTolerance(0.02);
  std::vector<double> points;
  for (int i = 0; i < (n - 3) / 2; ++i) {
    const double y = 0.2 * i, from = i % 2 == 0 ? -500 : 500;
    points.insert(points.end(), {from, y, 0, -from, y, 0});
  }
  const double top = points[points.size() - 2];
  points.insert(points.end(), {-600, top, 0, -600, -1, 0, -500, -1, 0, points[0], points[1], 0});
  const tag_t loop = ES_create_polyline(static_cast<int>(points.size() / 3), points.data());
  shoe->GetBaseFlangeSectionPtr()->add_loop(SC_section::kClosed, 1, &loop);
  for (auto _ : state) {
    const int rc = shoe->validate_nothrow();
    if (rc != 0) state.SkipWithError(("validation returned " + std::to_string(rc)).c_str());
  }
  shoe->destroy();
}
BENCHMARK(BM_FlangeSerpentineValidate)->Arg(1024)->Arg(4096)->Unit(benchmark::kMillisecond);

// A flange loop of 20,000 points, the load case's, refused by validation:
// the time to read the loop and count its points.
void BM_FlangeLoopOfTheLoadCaseRefused(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  WorkPart work;
  DieDes::DieShoeBuilder* shoe = ShoeOnTheWorldFrame(work);
  AddCircularFlange(shoe, n);
  for (auto _ : state) {
    const int rc = shoe->validate_nothrow();
    if (rc != 3030603) state.SkipWithError(("validation returned " + std::to_string(rc)).c_str());
  }
  shoe->destroy();
}
BENCHMARK(BM_FlangeLoopOfTheLoadCaseRefused)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
