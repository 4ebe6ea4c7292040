// What replay costs: `ktxhost play` of a journal of n cheap calls (a
// builder's tolerance set n times), plain and with --record, in calls a
// second of the process's own processor time beyond an empty journal's, and
// its peak memory beside the empty journal's (a play keeps nothing it
// played, so the two should be alike at any n). Also the start of a play
// that makes no geometry beside a process that does nothing, and the peak
// memory of a long session of previews or of builders made and destroyed.
// The journals are written at bench time into a temporary folder, removed at
// the end.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "BuilderCycles.hpp"
#include "Scratch.hpp"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

// The folder the journals are written to, made on first use and removed,
// with them, when the program ends.
const fs::path& FolderPath() { return stamvik_scratch::ProcessFolder().Path(); }

// A journal that makes one builder and sets its tolerance `calls` times,
// then destroys it; written once per size.
std::string Journal(long calls) {
  static std::map<long, std::string> written;
  if (auto it = written.find(calls); it != written.end()) return it->second;
  const std::string path = (FolderPath() / ("calls_" + std::to_string(calls) + ".jou")).string();
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) std::abort();
  std::fputs(
      "journal 1\n"
      "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
      "record 0 get \"Part\" \"DieCollection\"\n  this tag 1\n"
      "  result tag \"diecollection\" \"Die.DieCollection\" 1\n  closed 0\n"
      "record 0 method \"Die.DieCollection\" \"CastRelief\"\n  this tag 1\n"
      "  in tag \"castRelief\" \"Die.CastRelief\" 0\n"
      "  result tag \"builder\" \"Die.CastReliefBuilder\" 10\n  closed 0\n",
      out);
  for (long i = 0; i < calls; ++i)
    std::fprintf(out,
                 "record 0 set \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n  this ptr 10\n"
                 "  in double \"distancetolerance\" - 0.%ld 0\n  end-of-arguments\n  closed 0\n",
                 i % 1000 + 1);
  std::fputs("record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n", out);
  if (std::fclose(out) != 0) std::abort();
  written[calls] = path;
  return path;
}

struct Run {
  double cpu = 0;   // user and system seconds of the process
  double wall = 0;  // seconds
  long peak = 0;    // resident bytes at most
  bool ok = false;
};

// Runs a program with its output thrown away (in `directory` when one is given).
Run Spawn(std::vector<std::string> args, const std::string& directory = "") {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (!directory.empty()) posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
  Run run;
  pid_t pid = 0;
  const Clock::time_point from = Clock::now();
  const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return run;
  int status = 0;
  rusage usage{};
  if (wait4(pid, &status, 0, &usage) != pid) return run;
  run.wall = std::chrono::duration<double>(Clock::now() - from).count();
  auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; };
  run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
  run.peak = usage.ru_maxrss * 1024L;
  run.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

Run Play(const std::string& journal, bool record, const std::string& directory = "") {
  std::vector<std::string> args{KTXHOST_PROGRAM, "play", journal};
  if (record) {
    args.push_back("--record");
    args.push_back((FolderPath() / "recorded.jou").string());
  }
  return Spawn(args, directory);
}

// The best of a few runs of each: a shared machine only ever adds time.
Run Best(const std::string& journal, bool record, int runs, const std::string& directory = "") {
  Run best;
  best.cpu = best.wall = 1e9;
  best.peak = 1L << 50;
  for (int i = 0; i < runs; ++i) {
    const Run r = Play(journal, record, directory);
    if (!r.ok) return r;
    best.cpu = std::min(best.cpu, r.cpu);
    best.wall = std::min(best.wall, r.wall);
    best.peak = std::min(best.peak, r.peak);
    best.ok = true;
  }
  return best;
}

void BM_Replay(benchmark::State& state) {
  const long calls = state.range(0);
  const bool record = state.range(1) != 0;
  const std::string empty = Journal(0), full = Journal(calls);
  const int runs = calls < 100000 ? 9 : 3;
  Run base, played;
  for (auto _ : state) {
    base = Best(empty, record, runs);
    played = Best(full, record, runs);
    if (!base.ok || !played.ok) {
      state.SkipWithError("ktxhost play failed");
      return;
    }
    state.SetIterationTime(std::max(played.cpu - base.cpu, 0.0) / static_cast<double>(calls));
  }
  const double cpu = played.cpu - base.cpu, wall = played.wall - base.wall;
  // Below an empty journal's variation a size gives no rate.
  state.counters["calls_per_s"] = cpu > 0 ? static_cast<double>(calls) / cpu : 0;
  state.counters["calls_per_s_wall"] = wall > 0 ? static_cast<double>(calls) / wall : 0;
  state.counters["peak_rss_mb"] = static_cast<double>(played.peak) / (1 << 20);
  state.counters["rss_growth_mb"] = static_cast<double>(played.peak - base.peak) / (1 << 20);
}
BENCHMARK(BM_Replay)
    ->ArgsProduct({{1000, 1000000}, {0, 1}})
    ->ArgNames({"calls", "record"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kNanosecond);

// What a long session holds: a journal that previews one cast relief n
// times (kind 0), or makes a cast-relief builder and destroys it n times
// (kind 1); written once per kind and size.
constexpr const char* kCastReliefSetUp =
      "journal 1\n"
      "record 0 get \"Session\" \"WorkPart\"\n"
      "  result tag \"workpart\" \"Part\" 1\n"
      "  closed 0\n"
      "record 0 get \"Part\" \"DieCollection\"\n"
      "  this tag 1\n"
      "  result tag \"diecollection\" \"Die.DieCollection\" 1\n"
      "  closed 0\n"
      "record 0 method \"Part\" \"CreateSolidBody\"\n"
      "  this tag 1\n"
      "  result tag \"body\" \"Body\" 2\n"
      "  closed 0\n"
      "record 0 method \"Part\" \"CreateSheetBody\"\n"
      "  this tag 1\n"
      "  result tag \"body\" \"Body\" 3\n"
      "  closed 0\n"
      "record 0 method \"Die.DieCollection\" \"CastRelief\"\n"
      "  this tag 1\n"
      "  in tag \"castRelief\" \"Die.CastRelief\" 0\n"
      "  result tag \"builder\" \"Die.CastReliefBuilder\" 10\n"
      "  closed 0\n"
      "record 0 get \"Die.CastReliefBuilder\" \"ReliefProfile\"\n"
      "  this ptr 10\n"
      "  result ptr \"reliefprofile\" \"Section\" 11\n"
      "  closed 0\n"
      "record 0 method \"Section\" \"AddLoop\"\n"
      "  this ptr 11\n"
      "  in int \"kind\" - 0\n"
      "  in struct-array \"points\" \"Point3d\" 9 0 0 0 40 0 0 40 25 0\n"
      "  closed 0\n"
      "record 0 get \"Die.CastReliefBuilder\" \"Target\"\n"
      "  this ptr 10\n"
      "  result ptr \"target\" \"SelectBrenvikObject\" 12\n"
      "  closed 0\n"
      "record 0 set \"SelectObject\" \"Value\"\n"
      "  this ptr 12\n"
      "  in tag \"value\" \"TaggedObject\" 2\n"
      "  closed 0\n"
      "record 0 get \"Die.CastReliefBuilder\" \"SheetMetal\"\n"
      "  this ptr 10\n"
      "  result ptr \"sheetmetal\" \"SelectBrenvikObject\" 13\n"
      "  closed 0\n"
      "record 0 set \"SelectObject\" \"Value\"\n"
      "  this ptr 13\n"
      "  in tag \"value\" \"TaggedObject\" 3\n"
      "  closed 0\n"
      "record 0 get \"Die.CastReliefBuilder\" \"BaseOrientation\"\n"
      "  this ptr 10\n"
      "  result ptr \"baseorientation\" \"Die.DiePlaneBuilder\" 14\n"
      "  closed 0\n"
      "record 0 set \"Die.DiePlaneBuilder\" \"InputType\"\n"
      "  this ptr 14\n"
      "  in enum \"inputtype\" \"Die.DiePlaneBuilder.PlaneType\" 2\n"
      "  closed 0\n"
      "record 0 set \"Die.DiePlaneBuilder\" \"CoordinateSystemOrigin\"\n"
      "  this ptr 14\n"
      "  in struct \"coordinatesystemorigin\" \"Point3d\" 3 0 0 10\n"
      "  closed 0\n"
      "record 0 get \"Die.CastReliefBuilder\" \"ReliefDepth\"\n"
      "  this ptr 10\n"
      "  result ptr \"reliefdepth\" \"Expression\" 15\n"
      "  closed 0\n"
      "record 0 set \"Expression\" \"RightHandSide\"\n"
      "  this ptr 15\n"
      "  in string \"righthandside\" - \"5\"\n"
      "  closed 0\n"
      "record 0 set \"Die.CastReliefBuilder\" \"CreateSupportCasting\"\n"
      "  this ptr 10\n"
      "  in logical \"createsupportcasting\" - true\n"
      "  closed 0\n"
      "record 0 get \"Die.CastReliefBuilder\" \"Thickness\"\n"
      "  this ptr 10\n"
      "  result ptr \"thickness\" \"Expression\" 16\n"
      "  closed 0\n"
      "record 0 set \"Expression\" \"RightHandSide\"\n"
      "  this ptr 16\n"
      "  in string \"righthandside\" - \"20\"\n"
      "  closed 0\n"
      "record 0 set \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n"
      "  this ptr 10\n"
      "  in double \"distancetolerance\" - 0.02 0\n"
      "  closed 0\n"
;

std::string SessionJournal(long kind, long count) {
  const std::string path =
      (FolderPath() / ((kind == 0 ? "previews_" : "builders_") + std::to_string(count) + ".jou")).string();
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) std::abort();
  if (kind == 0) {
    std::fputs(kCastReliefSetUp, out);
    for (long i = 0; i < count; ++i)
      std::fputs("record 0 method \"Builder\" \"Preview\"\n  this ptr 10\n  result int \"count\" - 1\n  closed 0\n", out);
    std::fputs("record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n", out);
  } else {
    std::fputs(
        "journal 1\n"
        "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
        "record 0 get \"Part\" \"DieCollection\"\n  this tag 1\n"
        "  result tag \"diecollection\" \"Die.DieCollection\" 1\n  closed 0\n",
        out);
    for (long i = 0; i < count; ++i)
      std::fputs(
          "record 0 method \"Die.DieCollection\" \"CastRelief\"\n  this tag 1\n"
          "  in tag \"castRelief\" \"Die.CastRelief\" 0\n"
          "  result tag \"builder\" \"Die.CastReliefBuilder\" 10\n  closed 0\n"
          "record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n",
          out);
  }
  if (std::fclose(out) != 0) std::abort();
  return path;
}

// The peak of a play of count items, and how much it grew over the play of
// 2,000 (the base): the room a play holds for each item past those. Each the
// best of 3, but for a base that is the journal measured: played once.
void PlayForGrowth(benchmark::State& state, const std::string& small, const std::string& journal, long count,
                   bool smallIsJournal, const std::string& directory, const char* perItem) {
  Run base, played;
  for (auto _ : state) {
    base = Best(small, false, smallIsJournal ? 1 : 3, directory);
    played = smallIsJournal ? base : Best(journal, false, 3, directory);
    if (!base.ok || !played.ok) {
      state.SkipWithError("ktxhost play failed");
      return;
    }
    state.SetIterationTime(played.wall);
  }
  state.counters["peak_rss_mb"] = static_cast<double>(played.peak) / (1 << 20);
  state.counters["over_2000_mb"] = static_cast<double>(played.peak - base.peak) / (1 << 20);
  state.counters[perItem] =
      count > 2000 ? static_cast<double>(played.peak - base.peak) / static_cast<double>(count - 2000) : 0;
}

// The peak resident memory of `ktxhost play` of n previews or n builders
// made and destroyed, and how much more that is than 2,000 of them: a play
// holds room for what is alive, not for what it ever made, so the growth
// stays within a few megabytes at any n. The best of 3.
void BM_SessionMemory(benchmark::State& state) {
  const long kind = state.range(0), count = state.range(1);
  const std::string small = SessionJournal(kind, 2000), journal = SessionJournal(kind, count);
  PlayForGrowth(state, small, journal, count, false, "", "bytes_per_item");
}
BENCHMARK(BM_SessionMemory)
    ->ArgsProduct({{0, 1}, {2000, 20000, 50000, 100000}})
    ->ArgNames({"builders", "count"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// A long session of one builder class: its example played (or the records a
// class without one needs), then the class's builder made by its creator and
// closed again n times, new (edit:0) or opened on the example's committed
// feature and let go (edit:1). Played in a folder holding the examples'
// input files, as the examples name them. A builder that closes leaves
// nothing, so the peak at 20,000 cycles stays within a megabyte of the
// peak at 2,000. The best of 3 (2,000 alone: one play).
std::string CyclesJournal(std::size_t row, bool edit, long count) {
  const stamvik_test::BuilderCycle& cycle = stamvik_test::BuilderCycles()[row];
  const fs::path path = FolderPath() / ("cycles_" + std::to_string(row) + (edit ? "_edit_" : "_new_") +
                                          std::to_string(count) + ".jou");
  if (fs::exists(path)) return path.string();
  std::FILE* out = std::fopen(path.c_str(), "w");
  if (out == nullptr) std::abort();
  std::fputs(stamvik_test::SetUp(cycle, fs::path(STAMVIK_SOURCE_DIR) / "examples").c_str(), out);
  const std::string records = stamvik_test::Cycle(cycle, edit ? cycle.edited : 0);
  for (long i = 0; i < count; ++i) std::fputs(records.c_str(), out);
  if (std::fclose(out) != 0) std::abort();
  return path.string();
}

// The folder the cycles are played in: the examples' input files under
// examples/, as the examples name them.
const std::string& CyclesFolder() {
  static const std::string folder = [] {
    const fs::path played = FolderPath() / "play";
    fs::create_directories(played / "examples");
    for (const auto& entry : fs::directory_iterator(fs::path(STAMVIK_SOURCE_DIR) / "examples"))
      if (entry.path().extension() == ".txt")
        fs::copy_file(entry.path(), played / "examples" / entry.path().filename());
    return played.string();
  }();
  return folder;
}

void BM_BuilderCycles(benchmark::State& state) {
  const auto row = static_cast<std::size_t>(state.range(0));
  const bool edit = state.range(1) != 0;
  const long count = state.range(2);
  state.SetLabel(stamvik_test::BuilderCycles()[row].journalClass);
  const std::string small = CyclesJournal(row, edit, 2000), journal = CyclesJournal(row, edit, count);
  // At 2,000 the journal is its own base, played once (CI's size).
  PlayForGrowth(state, small, journal, count, count == 2000, CyclesFolder(), "bytes_per_cycle");
}
BENCHMARK(BM_BuilderCycles)
    ->Apply([](benchmark::internal::Benchmark* b) {
      const auto& cycles = stamvik_test::BuilderCycles();
      for (std::size_t row = 0; row < cycles.size(); ++row)
        for (int edit : {0, 1})
          if (edit == 0 || cycles[row].edited != 0)
            for (long count : {2000L, 20000L}) b->Args({static_cast<long>(row), edit, count});
    })
    ->ArgNames({"builder", "edit", "count"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The start of a play that makes no geometry (an empty journal: the
// plug-in and the previews loaded, a part made, nothing played) beside a
// process that does nothing (`true`): processor time of each, the best of
// 15.
void BM_PlayStart(benchmark::State& state) {
  const std::string empty = Journal(0);
  Run play, nothing;
  for (auto _ : state) {
    play = Best(empty, false, 15);
    nothing.cpu = 1e9;
    for (int i = 0; i < 15; ++i) nothing.cpu = std::min(nothing.cpu, Spawn({"true"}).cpu);
    if (!play.ok) {
      state.SkipWithError("ktxhost play failed");
      return;
    }
    state.SetIterationTime(play.cpu);
  }
  state.counters["cpu_ms"] = play.cpu * 1e3;
  state.counters["over_true_ms"] = (play.cpu - nothing.cpu) * 1e3;
  state.counters["peak_rss_mb"] = static_cast<double>(play.peak) / (1 << 20);
}
BENCHMARK(BM_PlayStart)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
