// What a script's call costs in the stand-in host: a journalled export set,
// the builder's own setter, undo, marks, property look-up by name, replay of
// a journal by ktxhost, and loading the plug-in. Each is set beside an
// in-process floor (a fixed-size journal entry appended to a vector, one
// undo-log entry and the store) and, when built with Open CASCADE's
// application framework, beside its undo-logged attribute writes; the ratios
// are printed after the table.
//
// Batched figures (writes after a mark, undo) time K operations on K objects
// and report the time of one: the untimed part of an iteration sets the mark
// up and takes it down again.
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "Scratch.hpp"
#include "feat/Builder.hpp"
#include "jam/Jam.hpp"
#include "jam/Journal.hpp"
#include "om/ObjectManager.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/CallLog.hpp"

#ifdef STAMVIK_BENCH_OCAF
#include <TDF_Label.hxx>
#include <TDataStd_Real.hxx>
#include <TDocStd_Document.hxx>
#endif

extern char** environ;

namespace {

using namespace KTX;
using Clock = std::chrono::steady_clock;

constexpr int kBatch = 1000;
constexpr const char* kClass = "KTX::DieDesJA::CastReliefBuilder";
constexpr const char* kJournalClass = "Die.CastReliefBuilder";

double Seconds(Clock::time_point from, Clock::time_point to) { return std::chrono::duration<double>(to - from).count(); }

// A batched iteration: its time is the batch's (so that the runner sizes
// the run right), and the counter ns_per_op gives one operation's.
void BatchTime(benchmark::State& state, double seconds, int batch) {
  state.SetIterationTime(seconds);
  double perOp = seconds / batch * 1e9;
  auto it = state.counters.find("ns_per_op");
  double sum = it != state.counters.end() ? it->second.value : 0;
  state.counters["ns_per_op"] = benchmark::Counter(sum + perOp, benchmark::Counter::kAvgIterations);
}

// ---- the plug-in, loaded once the load figure is taken ----------------------

using ExportSet = int (*)(OM::Object*, double);
using OwnSet = void (*)(OM::Object*, double);
using MakeBuilder = OM::Object* (*)(CM_part*, FEATURE_RECORD*);

struct Plugin {
  void* handle = nullptr;
  ExportSet exportSet = nullptr;
  OwnSet ownSet = nullptr;
  MakeBuilder make = nullptr;
  int classId = 0;
};

Plugin& plugin() {
  static Plugin p = [] {
    Plugin made;
    made.handle = dlopen(STAMVIK_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    if (made.handle == nullptr) {
      std::fprintf(stderr, "stamvik_bench: cannot load %s: %s\n", STAMVIK_PLUGIN, dlerror());
      std::exit(1);
    }
    made.exportSet = reinterpret_cast<ExportSet>(dlsym(made.handle, "XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance"));
    // The builder's own setter, a member function: the object is its first argument.
    made.ownSet = reinterpret_cast<OwnSet>(dlsym(made.handle, "_ZN3KTX8DieDesJA17CastReliefBuilder20SetDistanceToleranceEd"));
    // The builder's factory, as the die collection's creator calls it: a
    // builder with its sub-objects (selections, target, plane, profile,
    // expressions), as a script gets it.
    made.make = reinterpret_cast<MakeBuilder>(
        dlsym(made.handle, "_ZN3KTX8DieDesJA24CastReliefBuilderFactory6CreateEPNS_7CM_partEPNS_14FEATURE_RECORDE"));
    made.classId = OM::OM_ask_class_id(kClass);
    if (made.exportSet == nullptr || made.ownSet == nullptr || made.make == nullptr || made.classId == 0) {
      std::fprintf(stderr, "stamvik_bench: the plug-in publishes no cast-relief builder\n");
      std::exit(1);
    }
    PART_set_work_part(PART_part::Create(0));
    return made;
  }();
  return p;
}

OM::Object* NewBuilder() { return plugin().make(PART_ask_work_part()->ModelPart(), nullptr); }

// Builders kept alive between benchmarks: the live objects undo and marks
// must not depend on.
std::vector<OM::Object*>& liveBuilders(std::size_t count) {
  static std::vector<OM::Object*> live;
  while (live.size() < count) live.push_back(NewBuilder());
  return live;
}

int SetMark() {
  int error = 0;
  return UNDO_QD_set_mark(0, "bench", &error);
}

// ---- load and unload (first: the plug-in must not be loaded yet) -------------

void BM_PluginLoadUnload(benchmark::State& state) {
  if (dlopen(STAMVIK_PLUGIN, RTLD_NOW | RTLD_NOLOAD) != nullptr) {
    state.SkipWithError("the plug-in is loaded already");
    return;
  }
  double load = 0, unload = 0;
  for (auto _ : state) {
    Clock::time_point a = Clock::now();
    void* handle = dlopen(STAMVIK_PLUGIN, RTLD_NOW | RTLD_LOCAL);
    Clock::time_point b = Clock::now();
    if (handle == nullptr || dlclose(handle) != 0) {
      state.SkipWithError("cannot load or unload the plug-in");
      return;
    }
    Clock::time_point c = Clock::now();
    load += Seconds(a, b);
    unload += Seconds(b, c);
    state.SetIterationTime(Seconds(a, c));
  }
  double n = static_cast<double>(state.iterations());
  state.counters["load_us"] = load / n * 1e6;
  state.counters["unload_us"] = unload / n * 1e6;
}
BENCHMARK(BM_PluginLoadUnload)->UseManualTime()->Unit(benchmark::kMicrosecond);

// Open CASCADE's application framework: a document of labels, each holding
// one real, as many as the builders a row writes.
#ifdef STAMVIK_BENCH_OCAF
struct OcafDocument {
  Handle(TDocStd_Document) document = new TDocStd_Document("BinOcaf");
  std::vector<TDF_Label> labels;
  explicit OcafDocument(int count = kBatch) {
    document->SetUndoLimit(10);
    for (int i = 0; i < count; ++i) {
      labels.push_back(document->Main().FindChild(i + 1, Standard_True));
      TDataStd_Real::Set(labels.back(), 0.0);
    }
  }
};
#endif

// ---- the in-process floor --------------------------------------------------------

struct FloorEntry {
  const void* journalClass;
  const char* member;
  std::uint32_t tag;
  int status;
  double value;
};
struct FloorUndo {
  double* place;
  double before;
};

void BM_Floor(benchmark::State& state) {
  std::vector<FloorEntry> journal;
  std::vector<FloorUndo> undo;
  std::vector<double> fields(kBatch, 0.0);
  journal.reserve(kBatch);
  undo.reserve(kBatch);
  for (auto _ : state) {
    journal.clear();
    undo.clear();
    Clock::time_point a = Clock::now();
    for (int i = 0; i < kBatch; ++i) {
      journal.push_back({&journal, "DistanceTolerance", static_cast<std::uint32_t>(i), 0, 0.5});
      undo.push_back({&fields[static_cast<std::size_t>(i)], fields[static_cast<std::size_t>(i)]});
      fields[static_cast<std::size_t>(i)] = 0.5;
    }
    benchmark::DoNotOptimize(journal.data());
    benchmark::DoNotOptimize(undo.data());
    BatchTime(state, Seconds(a, Clock::now()), kBatch);
  }
}
BENCHMARK(BM_Floor)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- a session's size ----------------------------------------------------------------

// The export as ktxhost play pays it: after the call the player reads the
// call's record from the recorded journal (the objects its results name) and,
// once no call is open, lets the journal go.
void exportSet(OM::Object* builder, double value) {
  const std::size_t before = JAM::RecordedCount();
  plugin().exportSet(builder, value);
  if (JAM::RecordedCount() > before) {
    long long named = 0;
    for (const JAM::Value& v : JAM::RecordedValues(before))
      if (v.direction != JAM::Direction::In && (v.kind == JAM::ValueKind::Tag || v.kind == JAM::ValueKind::Ptr))
        named += v.integer;
    benchmark::DoNotOptimize(named);
  }
  if (JAM_ask_open_records() == 0) JAM::ClearJournal();
}
// The export alone, its records left in the journal unread.
void unreadExportSet(OM::Object* builder, double value) { plugin().exportSet(builder, value); }

// A session of as many live objects as the row names: builders made by their
// factory in a part of their own, as a script gets them, taken down with the
// part after the row. It runs before every row that keeps builders alive, so
// that the objects alive are the row's.
struct Session {
  PART_part* part = nullptr;
  PART_part* before = nullptr;
  std::vector<OM::Object*> builders;
  explicit Session(std::size_t liveObjects) {
    plugin();  // loaded first: the load makes the work part the session goes back to
    before = PART_ask_work_part();
    part = PART_part::Create(0);
    PART_set_work_part(part);
    const int base = OM::OM_live_objects();
    builders.push_back(plugin().make(part->ModelPart(), nullptr));
    const auto perBuilder = static_cast<std::size_t>(std::max(1, OM::OM_live_objects() - base));
    while ((builders.size() + 1) * perBuilder <= liveObjects) builders.push_back(plugin().make(part->ModelPart(), nullptr));
  }
  ~Session() {
    part->destroy();
    PART_set_work_part(before);
  }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;
};

// The times of one round of many first writes: ours and their undo, then
// OCAF's and its abort.
struct RoundTimes {
  double write = 0, undo = 0, ocafWrite = 0, ocafAbort = 0;
  double Seconds() const { return write + undo + ocafWrite + ocafAbort; }
  void Add(const RoundTimes& r) {
    write += r.write;
    undo += r.undo;
    ocafWrite += r.ocafWrite;
    ocafAbort += r.ocafAbort;
  }
};

// What the rows of many first writes share: each iteration writes every
// builder once under a mark and undoes to it, then OCAF's labels once under
// a command and aborts it; `write` makes one builder's write.
//
// One round is run before the timed ones and reported apart (the counters
// `round1_*`): in a session's rows it is each builder's first write since it
// was made, whose logging and notes take memory the later rounds find ready,
// and the framework's first command on its labels. A row of many objects
// runs only a few rounds, a row of few thousands, so with that round among
// them the large rows would give it its weight and the small ones none: the
// timed rounds are the same work at every size.
template <class Write>
void WriteAndUndoRounds(benchmark::State& state, const std::vector<OM::Object*>& builders, std::size_t count,
                        Write write) {
#ifdef STAMVIK_BENCH_OCAF
  OcafDocument d(static_cast<int>(count));
#endif
  const auto round = [&] {
    RoundTimes t;
    JAM::ClearJournal();
    int mark = SetMark();
    Clock::time_point a = Clock::now();
    for (std::size_t i = 0; i < count; ++i) write(builders[i], 0.25 + static_cast<double>(i));
    Clock::time_point b = Clock::now();
    UNDO_QD_undo_to_mark(mark, nullptr);
    Clock::time_point c = Clock::now();
    UNDO_QD_delete_mark(mark, nullptr);
    t.write = Seconds(a, b);
    t.undo = Seconds(b, c);
#ifdef STAMVIK_BENCH_OCAF
    d.document->OpenCommand();
    a = Clock::now();
    for (std::size_t i = 0; i < count; ++i) TDataStd_Real::Set(d.labels[i], 0.25 + static_cast<double>(i));
    b = Clock::now();
    d.document->AbortCommand();
    c = Clock::now();
    t.ocafWrite = Seconds(a, b);
    t.ocafAbort = Seconds(b, c);
#endif
    return t;
  };
  const RoundTimes first = round();
  RoundTimes timed;
  for (auto _ : state) {
    const RoundTimes t = round();
    timed.Add(t);
    state.SetIterationTime(t.Seconds());
  }
  JAM::ClearJournal();
  const double perOne = 1e9 / static_cast<double>(count);
  const double perOp = perOne / static_cast<double>(state.iterations());
  state.counters["write_ns"] = timed.write * perOp;
  state.counters["undo_ns"] = timed.undo * perOp;
  state.counters["round1_write_ns"] = first.write * perOne;
  state.counters["round1_undo_ns"] = first.undo * perOne;
#ifdef STAMVIK_BENCH_OCAF
  state.counters["ocaf_write_ns"] = timed.ocafWrite * perOp;
  state.counters["ocaf_abort_ns"] = timed.ocafAbort * perOp;
  state.counters["round1_ocaf_write_ns"] = first.ocafWrite * perOne;
  state.counters["round1_ocaf_abort_ns"] = first.ocafAbort * perOne;
#endif
}

// One journalled export write to each builder of a session under one mark,
// then the undo to the mark; in the same iteration, OCAF's document of as many
// labels, one write to each under a command, then its abort. The two take
// turns, so that their ratio holds whatever else loads the machine. The
// second argument keeps the journal's records until the round ends, as a
// script recorded into a journal keeps them, where 0 lets each call's go
// once read, as ktxhost play does. The counters give one write's and one
// object's undo in ns, and the objects alive.
void BM_SessionWriteAndUndo(benchmark::State& state) {
  Session session(static_cast<std::size_t>(state.range(0)));
  if (state.range(1) != 0)
    WriteAndUndoRounds(state, session.builders, session.builders.size(), unreadExportSet);
  else
    WriteAndUndoRounds(state, session.builders, session.builders.size(), exportSet);
  state.counters["live"] = static_cast<double>(OM::OM_live_objects());
}
BENCHMARK(BM_SessionWriteAndUndo)
    ->ArgsProduct({{1000, 10000, 100000, 1000000}, {0, 1}})
    ->ArgNames({"live", "kept"})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

// ---- writes ---------------------------------------------------------------------

// K writes, each the first to its object under a fresh mark.
template <class Write>
void FirstWrites(benchmark::State& state, Write write) {
  std::vector<OM::Object*>& builders = liveBuilders(kBatch);
  for (auto _ : state) {
    JAM::ClearJournal();
    int mark = SetMark();
    Clock::time_point a = Clock::now();
    for (int i = 0; i < kBatch; ++i) write(builders[static_cast<std::size_t>(i)], 0.25 + i);
    Clock::time_point b = Clock::now();
    UNDO_QD_undo_to_mark(mark, nullptr);
    UNDO_QD_delete_mark(mark, nullptr);
    BatchTime(state, Seconds(a, b), kBatch);
  }
  JAM::ClearJournal();
}

// K writes again to one object already logged under the mark.
template <class Write>
void RepeatedWrites(benchmark::State& state, Write write) {
  OM::Object* builder = liveBuilders(1)[0];
  int mark = SetMark();
  write(builder, 0.125);
  for (auto _ : state) {
    JAM::ClearJournal();
    Clock::time_point a = Clock::now();
    for (int i = 0; i < kBatch; ++i) write(builder, 0.25 + i);
    BatchTime(state, Seconds(a, Clock::now()), kBatch);
  }
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  JAM::ClearJournal();
}

void pausedExportSet(OM::Object* builder, double value) {
  JAM::JournalPauser paused;
  plugin().exportSet(builder, value);
}
void ownSet(OM::Object* builder, double value) { plugin().ownSet(builder, value); }

void BM_ExportSetFirstAfterMark(benchmark::State& state) { FirstWrites(state, exportSet); }
void BM_ExportSetRepeated(benchmark::State& state) { RepeatedWrites(state, exportSet); }
void BM_ExportSetUnreadFirstAfterMark(benchmark::State& state) { FirstWrites(state, unreadExportSet); }
void BM_ExportSetPaused(benchmark::State& state) { RepeatedWrites(state, pausedExportSet); }
void BM_OwnSetterFirstAfterMark(benchmark::State& state) { FirstWrites(state, ownSet); }
void BM_OwnSetterRepeated(benchmark::State& state) { RepeatedWrites(state, ownSet); }
BENCHMARK(BM_ExportSetFirstAfterMark)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportSetRepeated)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportSetUnreadFirstAfterMark)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportSetPaused)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OwnSetterFirstAfterMark)->UseManualTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OwnSetterRepeated)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- undo and marks among many live objects ----------------------------------------

void BM_UndoPerLoggedObject(benchmark::State& state) {
  std::vector<OM::Object*>& builders = liveBuilders(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    int mark = SetMark();
    for (int i = 0; i < kBatch; ++i) plugin().ownSet(builders[static_cast<std::size_t>(i)], 0.5 + i);
    Clock::time_point a = Clock::now();
    UNDO_QD_undo_to_mark(mark, nullptr);
    Clock::time_point b = Clock::now();
    UNDO_QD_delete_mark(mark, nullptr);
    BatchTime(state, Seconds(a, b), kBatch);
  }
}
BENCHMARK(BM_UndoPerLoggedObject)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_SetMark(benchmark::State& state) {
  liveBuilders(static_cast<std::size_t>(state.range(0)));
  for (auto _ : state) {
    Clock::time_point a = Clock::now();
    int mark = SetMark();
    Clock::time_point b = Clock::now();
    UNDO_QD_delete_mark(mark, nullptr);
    state.SetIterationTime(Seconds(a, b));
  }
}
BENCHMARK(BM_SetMark)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kNanosecond);

// ---- a long session's builders ------------------------------------------------------

// N builders made by the factory, as a script gets them, and destroyed
// again, in a new part: a cycle must cost the same however many went before.
void BM_BuilderChurn(benchmark::State& state) {
  const long cycles = state.range(0);
  PART_part* session = PART_ask_work_part();
  if (session == nullptr) {
    plugin();
    session = PART_ask_work_part();
  }
  for (auto _ : state) {
    state.PauseTiming();
    PART_part* part = PART_part::Create(0);
    PART_set_work_part(part);
    state.ResumeTiming();
    for (long i = 0; i < cycles; ++i)
      static_cast<OM::TaggedObject*>(plugin().make(part->ModelPart(), nullptr))->destroy();
    state.PauseTiming();
    part->destroy();
    PART_set_work_part(session);
    state.ResumeTiming();
  }
  state.SetComplexityN(cycles);
}
BENCHMARK(BM_BuilderChurn)->Arg(1000)->Arg(2000)->Arg(4000)->Arg(8000)->Complexity()->Unit(benchmark::kMillisecond);

// ---- property look-up by name ------------------------------------------------------

void GetProperty(benchmark::State& state, const char* name) {
  OM::Object* builder = liveBuilders(1)[0];
  Property::Owner* owner = JAM::PropertyMapper::GetOwner(kJournalClass);
  if (owner == nullptr) {
    state.SkipWithError("no property owner");
    return;
  }
  for (auto _ : state) {
    Property::Value* value = owner->GetProperty(builder, name);
    benchmark::DoNotOptimize(value);
    delete value;
  }
}
void BM_GetPropertyCamel(benchmark::State& state) { GetProperty(state, "DistanceTolerance"); }
void BM_GetPropertySnake(benchmark::State& state) { GetProperty(state, "distance_tolerance"); }
void BM_GetPropertyUnknown(benchmark::State& state) { GetProperty(state, "NoSuchProperty"); }
BENCHMARK(BM_GetPropertyCamel)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_GetPropertySnake)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_GetPropertyUnknown)->Unit(benchmark::kNanosecond);

// ---- ktxhost play --------------------------------------------------------------------

// A journal that makes one builder and sets its tolerance `calls` times.
std::string WriteJournal(long calls) {
  std::string path = stamvik_scratch::ProcessFolder().Slashed() + "calls_" + std::to_string(calls) + ".jou";
  std::ofstream out(path);
  out << "journal 1\n"
         "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
         "record 0 get \"Part\" \"DieCollection\"\n  this tag 1\n"
         "  result tag \"diecollection\" \"Die.DieCollection\" 1\n  closed 0\n"
         "record 0 method \"Die.DieCollection\" \"CastRelief\"\n  this tag 1\n"
         "  in tag \"castRelief\" \"Die.CastRelief\" 0\n"
         "  result tag \"builder\" \"Die.CastReliefBuilder\" 10\n  closed 0\n";
  for (long i = 0; i < calls; ++i)
    out << "record 0 set \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n  this ptr 10\n"
           "  in double \"distancetolerance\" - 0."
        << (i % 1000 + 1) << " 0\n  end-of-arguments\n  closed 0\n";
  out << "record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n";
  return path;
}

// Runs ktxhost play; gives its wall time and its peak resident memory in bytes.
bool Play(const std::string& journal, bool record, double* seconds, long* peakBytes) {
  std::string recorded = journal + ".out";
  std::vector<std::string> args{KTXHOST_PROGRAM, "play", journal};
  if (record) {
    args.push_back("--record");
    args.push_back(recorded);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  Clock::time_point a = Clock::now();
  int failed = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) return false;
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  *seconds = Seconds(a, Clock::now());
  *peakBytes = usage.ru_maxrss * 1024L;
  std::remove(recorded.c_str());
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void BM_Play(benchmark::State& state) {
  long calls = state.range(0);
  bool record = state.range(1) != 0;
  std::string empty = WriteJournal(0), full = WriteJournal(calls);
  double perCall = 0, bytesPerCall = 0;
  for (auto _ : state) {
    // The best of several, each: a process's start varies more than a
    // thousand calls take, so the short journals are played more often.
    const int runs = calls < 10000 ? 9 : 3;
    double baseSeconds = 1e9, seconds = 1e9;
    long baseBytes = 1L << 40, bytes = 1L << 40;
    bool failed = false;
    for (int run = 0; run < runs && !failed; ++run) {
      double t = 0;
      long b = 0;
      failed = !Play(empty, record, &t, &b);
      baseSeconds = std::min(baseSeconds, t);
      baseBytes = std::min(baseBytes, b);
      failed = failed || !Play(full, record, &t, &b);
      seconds = std::min(seconds, t);
      bytes = std::min(bytes, b);
    }
    if (failed) {
      state.SkipWithError("ktxhost play failed");
      break;
    }
    perCall = (seconds - baseSeconds) / static_cast<double>(calls);
    bytesPerCall = static_cast<double>(bytes - baseBytes) / static_cast<double>(calls);
    // Calls that took less than a process start varies give no figure: they
    // are counted as such rather than reported as an error, which would end
    // a repeated run (the runner's statistics cannot take a repetition whose
    // every run failed).
    state.SetIterationTime(std::max(perCall, 0.0));
  }
  state.counters["below_start_variation"] = perCall <= 0 ? 1 : 0;
  state.counters["calls_per_s"] = perCall > 0 ? 1 / perCall : 0;
  state.counters["bytes_per_call"] = bytesPerCall;
  std::remove(empty.c_str());
  std::remove(full.c_str());
}
BENCHMARK(BM_Play)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->ArgNames({"calls", "record"})
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kNanosecond);

// ---- Open CASCADE's application framework ------------------------------------------

#ifdef STAMVIK_BENCH_OCAF

void BM_OcafFirstWrite(benchmark::State& state) {
  OcafDocument d;
  for (auto _ : state) {
    d.document->OpenCommand();
    Clock::time_point a = Clock::now();
    for (int i = 0; i < kBatch; ++i) TDataStd_Real::Set(d.labels[static_cast<std::size_t>(i)], 0.25 + i);
    Clock::time_point b = Clock::now();
    d.document->AbortCommand();
    BatchTime(state, Seconds(a, b), kBatch);
  }
}
BENCHMARK(BM_OcafFirstWrite)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_OcafRepeatedWrite(benchmark::State& state) {
  OcafDocument d;
  d.document->OpenCommand();
  TDataStd_Real::Set(d.labels[0], 0.125);
  for (auto _ : state) {
    Clock::time_point a = Clock::now();
    for (int i = 0; i < kBatch; ++i) TDataStd_Real::Set(d.labels[0], 0.25 + i);
    BatchTime(state, Seconds(a, Clock::now()), kBatch);
  }
  d.document->AbortCommand();
}
BENCHMARK(BM_OcafRepeatedWrite)->UseManualTime()->Unit(benchmark::kMicrosecond);

void BM_OcafAbortPerAttribute(benchmark::State& state) {
  OcafDocument d;
  for (auto _ : state) {
    d.document->OpenCommand();
    for (int i = 0; i < kBatch; ++i) TDataStd_Real::Set(d.labels[static_cast<std::size_t>(i)], 0.5 + i);
    Clock::time_point a = Clock::now();
    d.document->AbortCommand();
    BatchTime(state, Seconds(a, Clock::now()), kBatch);
  }
}
BENCHMARK(BM_OcafAbortPerAttribute)->UseManualTime()->Unit(benchmark::kMicrosecond);
#endif

// ---- first writes and their undo among many builders, beside OCAF -------------------

// N builders made by their factory, as a script gets them, a mark, one
// exported write to each, then the undo; and, in the same iteration, OCAF's N
// labels, a command, one write to each, then its abort. The two take turns,
// so that their ratio holds whatever else loads the machine. The counters
// give one write's and one object's undo in ns.
void BM_FirstWriteAndUndo(benchmark::State& state) {
  const auto count = static_cast<std::size_t>(state.range(0));
  WriteAndUndoRounds(state, liveBuilders(count), count, exportSet);
}
BENCHMARK(BM_FirstWriteAndUndo)->Arg(1000)->Arg(10000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMicrosecond);

// ---- the ratios ------------------------------------------------------------------------

// Keeps every run's time of one operation in ns (the batched ones' counter,
// the others' time per iteration, all in ns) by name while the
// console shows the table, then prints each figure against its reference.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    // Repeated runs (--benchmark_repetitions) are compared by their medians.
    for (const Run& run : runs) {
      if (run.error_occurred) continue;
      if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median") continue;
      auto perOp = run.counters.find("ns_per_op");
      times_[run.run_name.str()] = perOp != run.counters.end() ? perOp->second.value : run.GetAdjustedRealTime();
      // Each counter too, as "name counter": a run that takes turns gives
      // each turn's time by a counter of its own.
      for (const auto& [counter, value] : run.counters) times_[run.run_name.str() + " " + counter] = value.value;
    }
    ConsoleReporter::ReportRuns(runs);
  }

  void PrintRatios() const {
    std::printf("\nratios (one run):\n");
    Ratio("export set, first after a mark", "BM_ExportSetFirstAfterMark/manual_time", "floor", "BM_Floor/manual_time");
    Ratio("export set, first after a mark", "BM_ExportSetFirstAfterMark/manual_time", "OCAF first write",
          "BM_OcafFirstWrite/manual_time");
    Ratio("export set, repeated", "BM_ExportSetRepeated/manual_time", "OCAF repeated write",
          "BM_OcafRepeatedWrite/manual_time");
    Ratio("export set, paused", "BM_ExportSetPaused/manual_time", "floor", "BM_Floor/manual_time");
    Ratio("own setter, first after a mark", "BM_OwnSetterFirstAfterMark/manual_time", "floor",
          "BM_Floor/manual_time");
    // What the scripting road adds to the builder's own setter on an object
    // no owner observes: its journal record, and with the journal paused
    // nothing but the road itself.
    Ratio("export set, first after a mark", "BM_ExportSetFirstAfterMark/manual_time", "own setter, first",
          "BM_OwnSetterFirstAfterMark/manual_time");
    Ratio("export set, repeated", "BM_ExportSetRepeated/manual_time", "own setter, repeated",
          "BM_OwnSetterRepeated/manual_time");
    Ratio("export set, paused", "BM_ExportSetPaused/manual_time", "own setter, repeated",
          "BM_OwnSetterRepeated/manual_time");
    for (const char* n : {"1000", "10000", "100000"}) {
      std::string undo = std::string("BM_UndoPerLoggedObject/") + n + "/manual_time";
      Ratio(("undo per logged object, " + std::string(n) + " live").c_str(), undo.c_str(), "OCAF abort per attribute",
            "BM_OcafAbortPerAttribute/manual_time");
    }
    Ratio("undo per logged object, 100000 live", "BM_UndoPerLoggedObject/100000/manual_time", "1000 live",
          "BM_UndoPerLoggedObject/1000/manual_time");
    Ratio("set mark, 100000 live", "BM_SetMark/100000/manual_time", "1000 live", "BM_SetMark/1000/manual_time");
    Ratio("builder churn, 8000 cycles", "BM_BuilderChurn/8000", "1000 cycles", "BM_BuilderChurn/1000");
    Ratio("export set unread, first after a mark", "BM_ExportSetUnreadFirstAfterMark/manual_time", "OCAF first write",
          "BM_OcafFirstWrite/manual_time");
    Ratio("GetProperty camel", "BM_GetPropertyCamel", "floor", "BM_Floor/manual_time");
    Ratio("GetProperty snake", "BM_GetPropertySnake", "floor", "BM_Floor/manual_time");
    Ratio("GetProperty unknown", "BM_GetPropertyUnknown", "floor", "BM_Floor/manual_time");
    for (const char* n : {"1000", "10000", "100000"}) {
      const std::string run = std::string("BM_FirstWriteAndUndo/") + n + "/manual_time";
      Ratio(("first write, " + std::string(n) + " builders").c_str(), (run + " write_ns").c_str(), "OCAF first write",
            (run + " ocaf_write_ns").c_str());
      Ratio(("undo per object, " + std::string(n) + " builders").c_str(), (run + " undo_ns").c_str(), "OCAF abort",
            (run + " ocaf_abort_ns").c_str());
    }
    Ratio("first write, 100000 builders", "BM_FirstWriteAndUndo/100000/manual_time write_ns", "1000 builders",
          "BM_FirstWriteAndUndo/1000/manual_time write_ns");
    Ratio("undo per object, 100000 builders", "BM_FirstWriteAndUndo/100000/manual_time undo_ns", "1000 builders",
          "BM_FirstWriteAndUndo/1000/manual_time undo_ns");
    for (const char* kept : {"0", "1"}) {
      const std::string how = kept[0] == '1' ? "journal kept" : "journal let go";
      const auto run = [kept](const char* live) {
        return std::string("BM_SessionWriteAndUndo/live:") + live + "/kept:" + kept + "/manual_time";
      };
      for (const char* live : {"1000", "1000000"})
        Ratio(("write, " + std::string(live) + " live, " + how).c_str(), (run(live) + " write_ns").c_str(),
              "OCAF first write", (run(live) + " ocaf_write_ns").c_str());
      for (const char* live : {"10000", "100000", "1000000"}) {
        Ratio(("write, " + std::string(live) + " live, " + how).c_str(), (run(live) + " write_ns").c_str(),
              "1000 live", (run("1000") + " write_ns").c_str());
        Ratio(("undo, " + std::string(live) + " live, " + how).c_str(), (run(live) + " undo_ns").c_str(),
              "1000 live", (run("1000") + " undo_ns").c_str());
      }
      // The untimed first round: each builder's first write since it was made.
      for (const char* live : {"1000", "1000000"})
        Ratio(("round 1 write, " + std::string(live) + " live, " + how).c_str(),
              (run(live) + " round1_write_ns").c_str(), "OCAF's round 1",
              (run(live) + " round1_ocaf_write_ns").c_str());
      Ratio(("round 1 write, 1000000 live, " + how).c_str(), (run("1000000") + " round1_write_ns").c_str(),
            "1000 live", (run("1000") + " round1_write_ns").c_str());
    }
  }

 private:
  void Ratio(const char* what, const char* name, const char* against, const char* reference) const {
    auto a = times_.find(name), b = times_.find(reference);
    if (a == times_.end() || b == times_.end() || b->second <= 0) {
      std::printf("  %-40s / %-26s   (not measured)\n", what, against);
      return;
    }
    std::printf("  %-40s / %-26s %8.2fx\n", what, against, a->second / b->second);
  }

  std::map<std::string, double> times_;
};

}  // namespace

int main(int argc, char** argv) {
  // The host's call log is a test aid: a user's calls do not feed it.
  KTX::Host::SetLogging(false);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
