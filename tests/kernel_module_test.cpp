// The kernel's geometry module: loaded only when the modeller is first
// needed, never by calls on bodies without geometry nor by a play that makes
// none; found beside the host library; a module that cannot be loaded is a
// clear error, not a crash.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Solids.hpp"
#include "kernel/Wheel.hpp"
#include "sys/Memory.hpp"

namespace {

using namespace KTX::Kernel;

// The files of this process's memory map whose path holds `name`.
std::vector<std::string> Mapped(const std::string& name) {
  std::vector<std::string> found;
  std::ifstream maps("/proc/self/maps");
  for (std::string line; std::getline(maps, line);)
    if (const auto path = line.find('/'); path != std::string::npos && line.find(name, path) != std::string::npos)
      found.push_back(line.substr(path));
  return found;
}

std::string Folder(const std::string& path) { return path.substr(0, path.rfind('/') + 1); }

// Calls on bodies made without geometry, each with its answer written out:
// they must answer so whether the module is loaded or not. The queries of a
// body's geometry say it holds none (22007), which no failure of the
// modeller's (22005) may be taken for.
struct Row {
  const char* call;
  std::string expected;
  std::function<std::string(int sheet, int solid)> ask;
};

std::string Text(int error, int written) { return std::to_string(error) + " " + std::to_string(written); }

std::vector<Row> Rows() {
  return {
      {"OffsetSheet", "22004 0",
       [](int sheet, int) {
         int made = 7;
         const int error = OffsetSheet(sheet, 0.001, &made);
         return Text(error, made);
       }},
      {"Combine", "22004", [](int sheet, int solid) { return std::to_string(Combine(solid, sheet, false)); }},
      {"ChamferEdges", "22004 0",
       [](int, int solid) {
         int chamfered = 7;
         const int error = ChamferEdges(solid, {{0, 0, 0, 1, 0, 0}}, 0.001, 0.001, 1e-6, &chamfered);
         return Text(error, chamfered);
       }},
      {"PlaneOfBody", "0",
       [](int sheet, int) {
         double point[3], normal[3];
         return std::to_string(PlaneOfBody(sheet, point, normal));
       }},
      {"IsClosedSolid", "0", [](int, int solid) { return std::to_string(IsClosedSolid(solid)); }},
      {"ZV_BODY_ask_n_solids", "22007 0",
       [](int, int solid) {
         int solids = 7;
         const int error = ZV_BODY_ask_n_solids(solid, &solids);
         return Text(error, solids);
       }},
      {"ZV_BODY_check_solid", "22007 0",
       [](int, int solid) {
         int valid = 7;
         const int error = ZV_BODY_check_solid(solid, &valid);
         return Text(error, valid);
       }},
      {"ZV_BODY_check_solid, no output", "22004",
       [](int, int solid) { return std::to_string(ZV_BODY_check_solid(solid, nullptr)); }},
      {"ZV_BODY_classify_points", "22007 7",
       [](int, int solid) {
         const double point[3] = {0, 0, 0};
         int where = 7;
         const int error = ZV_BODY_classify_points(solid, 1, point, &where);
         return Text(error, where);
       }},
      {"ZV_BODY_classify_points, no points", "22004 7",
       [](int, int solid) {
         int where = 7;
         const int error = ZV_BODY_classify_points(solid, 1, nullptr, &where);
         return Text(error, where);
       }},
      {"ZV_BODY_classify_points, no output", "22004",
       [](int, int solid) {
         const double point[3] = {0, 0, 0};
         return std::to_string(ZV_BODY_classify_points(solid, 1, point, nullptr));
       }},
      {"ZV_BODY_classify_points, a count below 0", "22004",
       [](int, int solid) {
         const double point[3] = {0, 0, 0};
         int where = 7;
         return std::to_string(ZV_BODY_classify_points(solid, -1, point, &where));
       }},
      {"ZV_BODY_ask_box", "22007",
       [](int sheet, int) {
         const double origin[3] = {0, 0, 0}, axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
         double low[3], high[3];
         return std::to_string(ZV_BODY_ask_box(sheet, origin, axes, low, high));
       }},
      {"ZV_BODY_ask_box, no origin", "22004",
       [](int sheet, int) {
         const double axes[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
         double low[3], high[3];
         return std::to_string(ZV_BODY_ask_box(sheet, nullptr, axes, low, high));
       }},
      {"ZV_BODY_ask_box, no matrix", "22004",
       [](int sheet, int) {
         const double origin[3] = {0, 0, 0};
         double low[3], high[3];
         return std::to_string(ZV_BODY_ask_box(sheet, origin, nullptr, low, high));
       }},
      {"DescribeFaces", "0", [](int sheet, int) { return std::to_string(DescribeFaces(sheet).size()); }},
      {"DescribeEdges", "0 0",
       [](int, int solid) {
         std::vector<std::vector<double>> edges{{1}};
         std::vector<std::vector<int>> faceEdges{{1}};
         DescribeEdges(solid, &edges, &faceEdges);
         return Text(static_cast<int>(edges.size()), static_cast<int>(faceEdges.size()));
       }},
      {"MinimumDistance", "22001",
       [](int sheet, int solid) {
         double distance = 7;
         return std::to_string(MinimumDistance(solid, sheet, &distance, nullptr, nullptr));
       }},
      {"HasGeometry", "0", [](int, int solid) { return std::to_string(HasGeometry(solid)); }},
      {"Volume", "0", [](int, int solid) { return std::string(Volume(solid) == 0 ? "0" : "not 0"); }},
      {"Bounds", "0",
       [](int, int solid) {
         double low[3], high[3];
         return std::to_string(Bounds(solid, low, high));
       }},
      {"Classify", "0",
       [](int, int solid) {
         const double point[3] = {0, 0, 0};
         return std::to_string(static_cast<int>(Classify(solid, point)));
       }},
      {"WriteStep", "22004", [](int, int solid) { return std::to_string(WriteStep({solid}, "/nonexistent/x.stp")); }},
      {"TrimToPlane", "0 alive",
       [](int, int solid) {
         const double point[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
         const int error = TrimToPlane(solid, point, normal);
         return std::to_string(error) + (IsBody(solid) ? " alive" : " gone");
       }},
      {"ZV_ENTITY_copy", "0 copied",
       [](int, int solid) {
         int copy = 0;
         const int error = ZV_ENTITY_copy(solid, &copy);
         const bool copied = CopiedFrom(copy) == solid;
         DeleteBody(copy, "test");
         return std::to_string(error) + (copied ? " copied" : " not copied");
       }},
      {"ZV_BODY_offset_2", "0 0",
       [](int, int solid) {
         ZV_TOPOL_track_r_t tracking;
         ZV_TOPOL_local_r_t results;
         const int error = ZV_BODY_offset_2(solid, 0.001, 1e-6, nullptr, &tracking, &results);
         const int status = results.status;
         ZV_TOPOL_track_r_f(&tracking);
         ZV_TOPOL_local_r_f(&results);
         return Text(error, status);
       }},
      {"ZV_BODY_boolean_2", "0 21650 tool consumed",
       [](int, int solid) {
         const int tool = CreateBody(BodyType::Solid);
         ZV_TOPOL_track_r_t tracking;
         ZV_boolean_r_t results;
         const int error = ZV_BODY_boolean_2(solid, 1, &tool, nullptr, &tracking, &results);
         const int status = results.status;
         ZV_TOPOL_track_r_f(&tracking);
         ZV_boolean_r_f(&results);
         return Text(error, status) + (IsAlive(tool) ? " tool kept" : " tool consumed");
       }},
      {"ZV_BODY_sweep", "0 solid",
       [](int, int) {
         const int sheet = CreateBody(BodyType::Sheet);
         const double path[3] = {0, 0, 0.001};
         ZV_TOPOL_track_r_t tracking;
         const int error = ZV_BODY_sweep(sheet, path, &tracking);
         ZV_TOPOL_track_r_f(&tracking);
         const bool solid = !IsSheet(sheet);
         DeleteBody(sheet, "test");
         return std::to_string(error) + (solid ? " solid" : " sheet");
       }},
      // A body without geometry given to another: no shape, so no face.
      {"TakeGeometry", "0 0 consumed",
       [](int, int solid) {
         const int from = CreateBody(BodyType::Solid);
         AddFace(from);
         AddFace(from);
         const int error = TakeGeometry(solid, from);
         int n = -1;
         int* faces = nullptr;
         ZV_BODY_ask_faces(solid, &n, &faces);
         if (faces != nullptr) SM_free(faces);
         return Text(error, n) + (IsAlive(from) ? " kept" : " consumed");
       }},
  };
}

// Asks every row on new bodies without geometry; the rows that answer
// otherwise, written to standard error. Every body made is deleted.
int AskRows(const char* when) {
  int wrong = 0;
  for (const Row& row : Rows()) {
    const int sheet = CreateBody(BodyType::Sheet), solid = CreateBody(BodyType::Solid);
    const std::string answer = row.ask(sheet, solid);
    if (answer != row.expected) {
      std::fprintf(stderr, "%s: %s answered \"%s\", expected \"%s\"\n", when, row.call, answer.c_str(),
                   row.expected.c_str());
      ++wrong;
    }
    for (int body : {sheet, solid})
      if (IsBody(body)) DeleteBody(body, "test");
  }
  return wrong;
}

// Run in a process of its own: what was loaded before and after the rows,
// then after a sheet with geometry is made. Exits with the number of faults.
[[noreturn]] void LoadsOnlyForGeometry() {
  int faults = 0;
  auto check = [&](bool ok, const char* what) {
    if (!ok) {
      std::fprintf(stderr, "fault: %s\n", what);
      ++faults;
    }
  };
  const int liveBefore = LiveCounters().liveBodies;
  check(!GeometryLoaded() && Mapped("/libktxgeom.so").empty() && Mapped("/libTKernel.so").empty(),
        "the module is loaded before any call");
  faults += AskRows("without the module");
  check(!GeometryLoaded(), "a call on bodies without geometry loaded the module");
  check(Mapped("/libktxgeom.so").empty(), "the module is mapped after calls on bodies without geometry");
  check(Mapped("/libTKernel.so").empty() && Mapped("/libTKBRep.so").empty(),
        "the modeller's libraries are mapped after calls on bodies without geometry");

  const std::vector<std::vector<double>> square{{0, 0, 0, 0.01, 0, 0, 0.01, 0.01, 0, 0, 0.01, 0}};
  const double point[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
  int sheet = 0;
  check(MakePlanarSheet(square, point, normal, &sheet) == 0 && HasGeometry(sheet), "no sheet with geometry");
  check(GeometryLoaded(), "a sheet with geometry did not load the module");
  const std::vector<std::string> module = Mapped("/libktxgeom.so"), host = Mapped("/libktx.so");
  check(!module.empty() && !host.empty() && Folder(module.front()) == Folder(host.front()),
        "the module is not the one beside the host library");
  int faces = 0;
  int* tags = nullptr;
  check(ZV_BODY_ask_faces(sheet, &faces, &tags) == 0 && faces == 1, "the sheet has not one face");
  if (tags != nullptr) SM_free(tags);
  faults += AskRows("with the module");
  DeleteBody(sheet, "test");
  check(LiveCounters().liveBodies == liveBefore, "kernel bodies left alive");
  std::fflush(stderr);
  std::_Exit(faults);
}

// Run in a process of its own whose module cannot be loaded: every call that
// needs the modeller fails as the modeller's failure does and makes nothing;
// the rest answer as without geometry. Exits with the number of faults.
[[noreturn]] void FailsWithoutTheModule() {
  setenv("KTX_GEOMETRY_MODULE", "/nonexistent/libktxgeom.so", 1);
  int faults = 0;
  const int liveBefore = LiveCounters().liveBodies;
  const std::vector<double> square{0, 0, 0, 0.01, 0, 0, 0.01, 0.01, 0, 0, 0.01, 0};
  const double point[3] = {0, 0, 0}, up[3] = {0, 0, 1}, x[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const double low[3] = {0, 0, 0}, high[3] = {1, 1, 1};
  struct Making {
    const char* call;
    std::function<int(int* made)> make;
  };
  const Making rows[] = {
      {"MakePlanarSheet", [&](int* made) { return MakePlanarSheet({square}, point, up, made); }},
      {"MakeExtrusion", [&](int* made) { return MakeExtrusion({square}, up, 0, 0.01, false, made); }},
      {"MakeBoxSheet", [&](int* made) { return MakeBoxSheet(point, x, low, high, made); }},
      {"MakeWheelSweep",
       [&](int* made) { return MakeWheelSweep({-0.1, 0.2, 0.1, 0.2, 0, 0.3}, {WheelPlace{{0, 0, 0}, {0, 1, 0}}}, 0, made); }},
      {"ReadStep",
       [&](int* made) {
         std::vector<int> read;
         const int error = ReadStep("/nonexistent/x.stp", &read);
         *made = read.empty() ? 0 : read.front();
         return error;
       }},
      {"OffsetLoop",
       [&](int* made) {
         std::vector<double> out;
         *made = 0;
         return OffsetLoop(square, 0.001, &out);
       }},
      {"SmoothPoints",
       [&](int* made) {
         std::vector<double> out;
         *made = 0;
         return SmoothPoints(square, true, 1e-5, &out);
       }},
  };
  for (const Making& row : rows) {
    int made = 7;
    const int error = row.make(&made);
    if (error != ZV_ERROR_geometry || made != 0) {
      std::fprintf(stderr, "%s answered %d and made %d, expected 22005 and nothing\n", row.call, error, made);
      ++faults;
    }
  }
  // Faces the modeller cannot sew keep their places, with no edges.
  std::vector<std::vector<int>> faceEdges;
  std::vector<std::vector<double>> ends{{1}};
  const FaceBoundary face{{square}, {0, 0, 0}, {0, 0, 1}};
  SewnEdges({face, face}, 1e-6, &faceEdges, &ends);
  if (faceEdges.size() != 2 || !faceEdges[0].empty() || !ends.empty()) {
    std::fprintf(stderr, "SewnEdges gave %zu faces and %zu edges, expected 2 and none\n", faceEdges.size(), ends.size());
    ++faults;
  }
  faults += AskRows("the module missing");
  const std::vector<std::string>& errors = Errors();
  if (std::count_if(errors.begin(), errors.end(), [](const std::string& e) {
        return e.rfind("cannot load the geometry module /nonexistent/libktxgeom.so: ", 0) == 0;
      }) != 1) {
    std::fprintf(stderr, "the load's failure is not recorded once\n");
    ++faults;
  }
  if (GeometryLoaded() || LiveCounters().liveBodies != liveBefore) {
    std::fprintf(stderr, "loaded, or bodies left alive\n");
    ++faults;
  }
  std::fflush(stderr);
  std::_Exit(faults);
}

TEST(KernelModule, WithoutTheModuleEveryModellingCallFailsAndMakesNothing) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(FailsWithoutTheModule(), ::testing::ExitedWithCode(0),
              "ktx: cannot load the geometry module /nonexistent/libktxgeom.so: ");
}

TEST(KernelModule, LoadedOnlyWhenABodyWithGeometryIsMade) {
  // A process of its own, started afresh: this one may have loaded the
  // module already (a repeated run).
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(LoadsOnlyForGeometry(), ::testing::ExitedWithCode(0), "");
}

const std::string kExamples = std::string(STAMVIK_TEST_DATA) + "/../../examples/";

// What the loader reports of the files a play loads (stdout dropped), and
// how the play ended; `environment` a variable set for it ("NAME=VALUE").
stamvik_test::CommandRun PlayLoads(const std::string& journal, const std::string& environment = "") {
  stamvik_test::CommandOptions options;
  options.environment = {"LD_DEBUG=files"};
  if (!environment.empty()) options.environment.push_back(environment);
  options.outputDropped = true;
  stamvik_test::CommandRun run = stamvik_test::RunCommand({KTXHOST_PROGRAM, "play", kExamples + journal}, options);
  run.out = std::move(run.err);
  return run;
}

TEST(KernelModule, APlayLoadsTheModellerOnlyWhenItsJournalMakesGeometry) {
  struct Case {
    const char* journal;
    bool loads;
  };
  for (const Case& row : {Case{"heelpost.jou", false}, Case{"tooling.jou", false}, Case{"die_shoe.jou", true}}) {
    SCOPED_TRACE(row.journal);
    const stamvik_test::CommandRun run = PlayLoads(row.journal);
    EXPECT_EQ(run.status, 0);
    // The module is loaded through its descriptor's name: what it needs names it.
    EXPECT_EQ(run.out.find("libTKBO.so") != std::string::npos, row.loads);
    EXPECT_EQ(run.out.find("libTKernel.so") != std::string::npos, row.loads);
  }
}

TEST(KernelModule, AModuleThatCannotBeLoadedIsAClearErrorNotACrash) {
  const std::string missing = "KTX_GEOMETRY_MODULE=/nonexistent/libktxgeom.so";
  // The geometry's builder fails with its own status; the play ends (1).
  const stamvik_test::CommandRun geometry = PlayLoads("die_shoe.jou", missing);
  EXPECT_EQ(geometry.status, 1);
  EXPECT_NE(geometry.out.find("ktx: cannot load the geometry module /nonexistent/libktxgeom.so: "), std::string::npos)
      << geometry.out;
  // A journal that makes no geometry never asks for it.
  const stamvik_test::CommandRun none = PlayLoads("heelpost.jou", missing);
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out.find("geometry module"), std::string::npos) << none.out;
}

}  // namespace
