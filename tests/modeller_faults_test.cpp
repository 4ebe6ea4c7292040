// A fault raised inside a call of the modeller is that call's failure, and
// the session goes on; a fault anywhere else still ends the process with its
// signal.
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "jam/Journal.hpp"
#include "ja_engine.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Modeller.hpp"
#include "kernel/Solids.hpp"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The fault the hook raises at its step, and where.
const char* gFaultStep = nullptr;
int gFaultSignal = 0;

// A store to a page that may not be written: the processor's own SIGSEGV,
// as a wild pointer in the modeller gives (no sanitizer sees it coming).
void WriteToAGuardPage() {
  static void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  *static_cast<volatile int*>(page) = 1;
}

void Fault() {
  if (gFaultSignal == SIGSEGV)
    WriteToAGuardPage();
  else
    ::raise(gFaultSignal);
}

void FaultAtStep(const char* step, const char*) {
  if (gFaultStep != nullptr && std::string(step) == gFaultStep) Fault();
}

// A cube of 20 mm standing on z = 0 (kernel units, metres).
int Cube(double x0) {
  const std::vector<std::vector<double>> loops = {{x0, 0, 0, x0 + 0.02, 0, 0, x0 + 0.02, 0.02, 0, x0, 0.02, 0}};
  const double up[3] = {0, 0, 1};
  int body = 0;
  EXPECT_EQ(KTX::Kernel::MakeExtrusion(loops, up, 0, 0.02, false, &body), 0);
  return body;
}

// The cube's top edge along x at y = 0, chamfered 2 mm by 2 mm.
int ChamferTopEdge(int cube) {
  int chamfered = 0;
  return KTX::Kernel::ChamferEdges(cube, {{0, 0, 0.02, 0.02, 0, 0.02}}, 0.002, 0.002, 1e-6, &chamfered);
}

struct sigaction HandlerOf(int signal) {
  struct sigaction now {};
  sigaction(signal, nullptr, &now);
  return now;
}

bool SameHandler(const struct sigaction& a, const struct sigaction& b) {
  return a.sa_sigaction == b.sa_sigaction && a.sa_flags == b.sa_flags;
}

class ModellerFaults : public stamvik_test::HostTest {
 protected:
  void TearDown() override {
    KTX::Kernel::SetModellerStepForTests(nullptr);
    gFaultStep = nullptr;
    stamvik_test::HostTest::TearDown();
  }
};

// Each row raises its fault inside the modeller's guarded work of a call:
// the call answers the modeller's failure with its body as it was, the
// process goes on, the handlers are those found before the call, and the
// same call without the fault then does its work.
TEST_F(ModellerFaults, AFaultInsideAModellerCallIsThatCallsFailure) {
  struct Row {
    const char* what;
    int signal;
    bool boolean;  // else a chamfer
    double volume;  // mm3 of the cube once the call is done without the fault
  } rows[] = {
      {"a wild store in a chamfer", SIGSEGV, false, 8000 - 40},
      {"a bus error in a chamfer", SIGBUS, false, 8000 - 40},
      {"a division by zero in a chamfer", SIGFPE, false, 8000 - 40},
      {"an illegal instruction in a chamfer", SIGILL, false, 8000 - 40},
      {"a wild store in a boolean", SIGSEGV, true, 8000 + 4000},
  };
  KTX::Kernel::SetModellerStepForTests(&FaultAtStep);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const int cube = Cube(0);
    const int tool = row.boolean ? Cube(0.01) : 0;
    const struct sigaction before = HandlerOf(row.signal);
    gFaultStep = "guarded";
    gFaultSignal = row.signal;
    EXPECT_EQ(row.boolean ? KTX::Kernel::Combine(cube, tool, false) : ChamferTopEdge(cube), ZV_ERROR_geometry);
    EXPECT_NEAR(KTX::Kernel::Volume(cube) * 1e9, 8000, 1e-6) << "the body as it was";
    EXPECT_TRUE(SameHandler(HandlerOf(row.signal), before));
    gFaultStep = nullptr;
    EXPECT_EQ(row.boolean ? KTX::Kernel::Combine(cube, tool, false) : ChamferTopEdge(cube), 0);
    EXPECT_NEAR(KTX::Kernel::Volume(cube) * 1e9, row.volume, 1e-6);
    KTX::Kernel::DeleteBody(cube, "test");
    if (tool != 0) KTX::Kernel::DeleteBody(tool, "test");
  }
}

// A fault the modeller's guarded work does not raise ends the process with
// its signal, as it did before the modeller held a handler: one raised after
// a modeller call returned, and one raised inside a call but before its
// guarded work. (The sanitizer's own handler, the one found, takes it in
// its build, reports it and aborts.)
TEST_F(ModellerFaults, AFaultOutsideTheModellersGuardedWorkEndsTheProcess) {
  const auto endedByTheFault = [](int status) {
    if (WIFSIGNALED(status) && WTERMSIG(status) == SIGSEGV) return true;
    return kSanitized && (WIFSIGNALED(status) || WEXITSTATUS(status) != 0);
  };
  struct Row {
    const char* what;
    const char* step;  // null: after the call
  } rows[] = {
      {"after a chamfer returned", nullptr},
      {"in a chamfer, before its guarded work", "entered"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_EXIT(
        {
          const int cube = Cube(0);
          KTX::Kernel::SetModellerStepForTests(&FaultAtStep);
          gFaultStep = row.step;
          gFaultSignal = SIGSEGV;
          ChamferTopEdge(cube);
          if (row.step == nullptr) Fault();
          std::_Exit(0);
        },
        endedByTheFault, kSanitized ? "AddressSanitizer: SEGV" : "");
  }
}

// The plug-in's guard holds fault handlers of its own around each export.
// Inside a guarded export, a fault in the modeller's guarded work is still
// the modeller call's failure, not the guard's (whose verdict here would
// pass it on and end the process); after the call the guard's handlers are
// in place again, and a fault in the export is the guard's (verdict 1: the
// export answers 65).
int ChamferThatFaults(void* cube) {
  gFaultStep = "guarded";
  gFaultSignal = SIGSEGV;
  const int status = ChamferTopEdge(*static_cast<int*>(cube));
  gFaultStep = nullptr;
  return status;
}
int FaultInTheExport(void*) {
  WriteToAGuardPage();
  return 0;
}

TEST_F(ModellerFaults, InsideThePlugInsGuardAFaultInTheModellerIsStillTheCallsFailure) {
  KTX::Kernel::SetModellerStepForTests(&FaultAtStep);
  int cube = Cube(0);
  KTX::JAM::Test::SetFaultVerdict(0);
  EXPECT_EQ(KTX::JA::Guarded(&ChamferThatFaults, &cube), ZV_ERROR_geometry);
  KTX::JAM::Test::SetFaultVerdict(1);
  EXPECT_EQ(KTX::JA::Guarded(&FaultInTheExport, nullptr), 65);
  EXPECT_NEAR(KTX::Kernel::Volume(cube) * 1e9, 8000, 1e-6);
  KTX::Kernel::DeleteBody(cube, "test");
}

// ---- through ktxhost ------------------------------------------------------------------

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// A draw punch journal on a T-shaped profile (a bar 140 x 40 on a stem 12
// wide and 60 long, at z = 50 under a flat sheet at 100), one punch
// committed a commit for each relief distance, relief angle 60. Each commit
// records the status it is expected to close with.
std::string PunchesOnAT(const std::vector<std::pair<double, int>>& commits) {
  const int corners[][2] = {{64, 0}, {76, 0}, {76, 60}, {140, 60}, {140, 100}, {0, 100}, {0, 60}, {64, 60}};
  std::ostringstream j;
  j << "journal 1\n"
       "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
       "record 0 method \"Part\" \"CreateSheetBody\"\n  this tag 1\n"
       "  in struct-array \"points\" \"Point3d\" 9 -50 -50 100 250 -50 100 -50 170 100\n"
       "  result tag \"body\" \"Body\" 2\n  closed 0\n"
       "record 0 method \"Part\" \"CreatePlane\"\n  this tag 1\n"
       "  in struct-array \"points\" \"Point3d\" 6 0 0 0 0 0 1\n  result tag \"plane\" \"Plane\" 3\n  closed 0\n";
  for (int i = 0; i < 8; ++i) {
    const int* a = corners[i];
    const int* b = corners[(i + 1) % 8];
    j << "record 0 method \"Part\" \"CreateLine\"\n  this tag 1\n  in struct-array \"points\" \"Point3d\" 6 " << a[0]
      << " " << a[1] << " 50 " << b[0] << " " << b[1] << " 50\n  result tag \"line\" \"Line\" " << 4 + i
      << "\n  closed 0\n";
  }
  j << "record 0 get \"Part\" \"AutoDieCollection\"\n  this tag 1\n"
       "  result tag \"autodiecollection\" \"Tooling.AutoDieCollection\" 1\n  closed 0\n";
  int builder = 30;
  for (const auto& [relief, status] : commits) {
    const int b = builder;
    builder += 10;
    j << "record 0 method \"Tooling.AutoDieCollection\" \"CreateDieDesDrawPunchBuilder\"\n  this tag 1\n"
         "  in tag \"featureSet\" \"Features.Feature\" 0\n"
         "  result tag \"builder\" \"Tooling.DieDesDrawPunchBuilder\" "
      << b << "\n  closed 0\n"
      << "record 0 get \"Tooling.DieDesDrawPunchBuilder\" \"SheetBody\"\n  this ptr " << b
      << "\n  result ptr \"sheetbody\" \"SelectBody\" " << b + 1 << "\n  closed 0\n"
      << "record 0 set \"SelectObject\" \"Value\"\n  this ptr " << b + 1
      << "\n  in tag \"value\" \"TaggedObject\" 2\n  closed 0\n"
      << "record 0 get \"Tooling.DieDesDrawPunchBuilder\" \"PunchCurve\"\n  this ptr " << b
      << "\n  result ptr \"punchcurve\" \"SelectBrenvikObjectList\" " << b + 2 << "\n  closed 0\n";
    for (int i = 0; i < 8; ++i)
      j << "record 0 method \"SelectObjectList\" \"Add\"\n  this ptr " << b + 2
        << "\n  in tag \"object\" \"TaggedObject\" " << 4 + i << "\n  closed 0\n";
    j << "record 0 set \"Tooling.DieDesDrawPunchBuilder\" \"BasePlane\"\n  this ptr " << b
      << "\n  in tag \"baseplane\" \"Plane\" 3\n  closed 0\n";
    const std::pair<const char*, double> values[] = {{"DeckThickness", 40}, {"BeltThickness", 25},
                                                     {"ReliefDistanse", relief}, {"ReliefAngle", 60},
                                                     {"BaseThickness", 30}, {"BaseWidth", 60},
                                                     {"MachiningAllowance", 1.5}};
    for (const auto& [name, value] : values)
      j << "record 0 set \"Tooling.DieDesDrawPunchBuilder\" \"" << name << "\"\n  this ptr " << b
        << "\n  in double \"value\" - " << value << " 0\n  closed 0\n";
    j << "record 0 method \"Builder\" \"Commit\"\n  this ptr " << b
      << "\n  result tag \"object\" \"TaggedObject\" 0\n  closed " << status << "\n"
      << "record 0 method \"Builder\" \"Destroy\"\n  this ptr " << b << "\n  closed 0\n";
  }
  return j.str();
}

// The line of the journal's `count`-th commit (from 1).
int CommitLine(const std::string& journal, int count) {
  std::istringstream lines(journal);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number)
    if (line == "record 0 method \"Builder\" \"Commit\"" && --count == 0) return number;
  return 0;
}

// The punch's stem relieved to 0.04 and 0.02 wide builds (its chamfer is
// the loop's, each length on its own face: the modeller's own chamfer, which
// used to fault there, is not reached); relieved to 0.002 it is refused
// before anything is made (3030629). The play goes on either way, and a
// punch committed after it in the same play builds. (A commit closing with
// another status than the journal's stops the play with exit 1.)
TEST(ModellerFaultsPlay, APunchOnAThinStemIsBuiltOrRefusedAndTheNextBuilds) {
  const fs::path folder = fs::temp_directory_path() / ("modeller_faults_" + std::to_string(getpid()));
  fs::create_directories(folder);
  for (const auto& [relief, closing] : {std::pair{5.98, 0}, std::pair{5.99, 0}, std::pair{5.999, 3030629}}) {
    SCOPED_TRACE(relief);
    const fs::path journal = folder / "t.jou", err = folder / "err.txt";
    const std::string text = PunchesOnAT({{relief, closing}, {8, 0}});
    std::ofstream(journal, std::ios::binary) << text;
    const std::string command = std::string(KTXHOST_PROGRAM) + " play " + journal.string() + " --plugin " +
                                STAMVIK_PLUGIN + " >/dev/null 2>" + err.string();
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status)) << "the shell ran";
    // The shell answers 128 + the signal for a program a signal ended.
    const std::string said = FileText(err);
    EXPECT_EQ(WEXITSTATUS(status), 0) << said;
    for (int commit : {1, 2}) {
      const std::string built = journal.string() + ":" + std::to_string(CommitLine(text, commit)) +
                                ": status: Create draw punch chamfer successfully.\n";
      EXPECT_EQ(said.find(built) != std::string::npos, commit == 2 || closing == 0) << said;
    }
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

}  // namespace
