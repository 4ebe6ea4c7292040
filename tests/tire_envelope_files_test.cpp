// The tire envelope's file inputs and outputs: template point, spindle and
// profile point files read into the builder, the names and contents of the
// files a motion run leaves in the temporary directory.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "assy/Assembly.hpp"
#include "geom/Curve.hpp"
#include "geom/Sketch.hpp"
#include "afl/TireEnvelope.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "vd/TireClearance.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

class TireEnvelopeFiles : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir_ = scratch_.Slashed();
    ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
  }
  void TearDown() override {
    vdja_tireenv_motion_release_path(&record_);
    tire_->destroy();
    Files::UnlockAllNames();
    VD::ClearTracedLines();
    for (const std::string& f : written_) std::remove(f.c_str());
    HostTest::TearDown();
  }
  // A file in the directory with that text (remembered for removal).
  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = dir_ + name;
    std::ofstream(path) << text;
    written_.push_back(path);
    return path;
  }
  std::string Lock(const std::string& name) {
    const std::string path = Write(name, "");
    Files::LockName(path);
    return path;
  }
  static std::string Read(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path).rdbuf();
    return text.str();
  }
  // A template point file of the family with every hard point but `skip`.
  static std::string TemplateFile(int type, const std::string& skip = {}) {
    std::string text = "! corner\ntemplate " + std::to_string(type) + "\n";
    for (int i = 0; const char* name = TIREENV_susp_pt_name(type, i); ++i)
      if (name != skip) text += std::string(name) + " " + std::to_string(i) + " -500 7\n";
    return text;
  }
  static tag_t Line(double x0, double y0, double z0, double x1, double y1, double z1) {
    const double a[3] = {x0, y0, z0}, b[3] = {x1, y1, z1};
    return ES_create_line_in_part(nullptr, a, b);
  }

  stamvik_test::ScratchFolder scratch_{"tire_files-"};
  std::string dir_;
  std::vector<std::string> written_;
  TireEnvelopeBuilder* tire_ = nullptr;
  vdja_tireenv_motion_record_t record_{};
};

TEST_F(TireEnvelopeFiles, NumberedNamesShareOneCounter) {
  char spindle[kMotionFileNameSize] = "untouched", joints[kMotionFileNameSize] = "untouched";
  ASSERT_EQ(vdja_tireenv_motion_file_names(spindle, joints), 0);
  EXPECT_EQ(std::string(spindle), dir_ + "spindle_file.txt");
  EXPECT_EQ(std::string(joints), dir_ + "joints_disp_file.txt");
  // A plain name whose file is locked gives way to the numbered ones.
  Lock("spindle_file.txt");
  ASSERT_EQ(vdja_tireenv_motion_file_names(spindle, joints), 0);
  EXPECT_EQ(std::string(spindle), dir_ + "spindle_file_0.txt");
  Lock("joints_disp_file.txt");
  ASSERT_EQ(vdja_tireenv_motion_file_names(spindle, joints), 0);
  EXPECT_EQ(std::string(joints), dir_ + "joints_disp_file_1.txt");
  Lock("spindle_file_0.txt");
  ASSERT_EQ(vdja_tireenv_motion_file_names(spindle, joints), 0);
  EXPECT_EQ(std::string(spindle), dir_ + "spindle_file_1.txt");
  EXPECT_EQ(std::string(joints), dir_ + "joints_disp_file_2.txt");
  // Without the temporary directory nothing is named.
  ::unsetenv("QDEN_TMP_DIR");
  std::strcpy(spindle, "untouched");
  EXPECT_EQ(vdja_tireenv_motion_file_names(spindle, joints), 3771762);
  EXPECT_STREQ(spindle, "untouched");
  EXPECT_EQ(tire_->ProcessFromSpindelLines(), 3771762);
  // A directory so long that no name fits stops the probe.
  int counter = 0;
  EXPECT_EQ(vdja_tireenv_motion_probe_file_name(std::string(250, 'd').c_str(), "spindle_file", &counter, spindle),
            3771762);
}

// The three readers of a motion's files: a refused line leaves a note naming
// file and line, and nothing is handed out.
TEST_F(TireEnvelopeFiles, MotionFileReadersRefuseWhatIsNotTheirs) {
  struct Case {
    const char* what;
    int reader;  // 0 spindle trace, 1 joint displacement (room 2), 2 data file
    std::string text;
    int result;
    int count;         // lines handed out (-1: the count left alone)
    const char* note;  // the line a refusal names
  };
  const Case cases[] = {
      {"two trace lines and a blank", 0, "1 2 3 4 5 6\n\n7 8 9 10 11 12\n", 0, 2, nullptr},
      {"five numbers", 0, "1 2 3 4 5 6\n1 2 3 4 5\n", -2, 0, "line 2"},
      {"a word", 0, "1 2 3 4 5 six\n", -2, 0, "line 1"},
      {"out of range", 0, "1 2 3 4 5 1e999\n", -2, 0, "line 1"},
      {"joints up to the room", 1, "1 2\n3 4\n", 0, 2, nullptr},
      {"joints one past the room", 1, "1 2\n3 4\n5 6\n", 0, 2, nullptr},
      {"three joint numbers", 1, "1 2\n3 4 5\n", -2, 0, "line 2"},
      {"data lines", 2, "a b\r\n\nc\n", 0, 3, nullptr},
      {"a null byte", 2, std::string("a\nb\0c\n", 6), -2, -1, "line 2"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string file = Write("motion.txt", c.text);
    Host::ClearCalls();
    const auto blocks = Memory::LiveCounters().blocks;
    int count = -1, result = 0;
    if (c.reader == 0) {
      double **a = nullptr, **b = nullptr;
      result = TIREENV_read_spindle_file(file.c_str(), 0, &count, &a, &b);
      for (int i = 0; i < count; ++i) SM_free(a[i]), SM_free(b[i]);
      EXPECT_EQ(a == nullptr, result != 0);
      SM_free(a), SM_free(b);
    } else if (c.reader == 1) {
      double first[3] = {0, 0, -1}, second[3] = {0, 0, -1};
      count = 2;
      result = TIREENV_read_joints_displacement_fla_file(file.c_str(), first, second, &count);
      EXPECT_EQ(first[2], -1);  // nothing past the room
      if (result == 0) {
        EXPECT_EQ(second[1], 4);
      }
    } else {
      char** lines = nullptr;
      result = TIREENV_read_data_file_into_strings(file.c_str(), &count, &lines);
      if (result == 0) {
        EXPECT_STREQ(lines[0], "a b");
      }
      for (int i = 0; i < count && lines != nullptr; ++i) SM_free(lines[i]);
      EXPECT_EQ(lines == nullptr, result != 0);
      SM_free(lines);
    }
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(count, c.count);
    EXPECT_EQ(Memory::LiveCounters().blocks, blocks);
    const auto& calls = Host::Calls();
    const bool noted = std::any_of(calls.begin(), calls.end(), [&](const Host::Call& call) {
      return call.name == "TIREENV_note" && c.note != nullptr && call.args.find(file + " " + c.note + ":") == 0;
    });
    EXPECT_EQ(noted, c.note != nullptr);
  }
}

TEST_F(TireEnvelopeFiles, SpindleTraceFile) {
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t design = Line(10, -650, 0, 10, -720, 0);
  const tag_t trace = 77;
  const double s0[3] = {1, -600, 0}, e0[3] = {1, -700, 0}, s2[3] = {3, -800, 5}, e2[3] = {3, -700, 5};
  VD::SetTracedLine(trace, 0, s0, e0);
  VD::SetTracedLine(trace, 2, s2, e2);
  const std::string file = dir_ + "spindle_file.txt";
  written_.push_back(file);
  struct Case {
    const char* what;
    std::uint8_t mode;
    int phase;
    std::string want;
  };
  const std::string designFar = "10.000000 -720.000000 0.000000 10.000000 -650.000000 0.000000\n";
  const std::string traced = "1.000000 -700.000000 0.000000 1.000000 -600.000000 0.000000\n"
                             "3.000000 -800.000000 5.000000 3.000000 -700.000000 5.000000\n";
  const std::string tracedFromStart = "1.000000 -600.000000 0.000000 1.000000 -700.000000 0.000000\n"
                                      "3.000000 -800.000000 5.000000 3.000000 -700.000000 5.000000\n";
  const std::string designStart = "10.000000 -650.000000 0.000000 10.000000 -720.000000 0.000000\n";
  const Case cases[] = {
      {"two drivers", 0, 3, designFar + traced},
      {"two drivers write anew", 0, 1, designFar + traced},
      {"five-link phase 0", 1, 0, designStart + tracedFromStart},
      {"five-link phase 1 appends", 1, 1, designStart + tracedFromStart + tracedFromStart},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    record_.mode = c.mode;
    EXPECT_EQ(vdja_tireenv_motion_write_spindle_trace_file(&record_, origin, identity, file.c_str(), design, trace, 2,
                                                           c.phase),
              0);
    EXPECT_EQ(Read(file), c.want);
  }
  // The record keeps the design line, the end written second first.
  EXPECT_EQ(std::vector<double>(record_.spindleLine, record_.spindleLine + 6),
            std::vector<double>({10, -720, 0, 10, -650, 0}));
  // Every traced line went again.
  EXPECT_EQ(Host::CountCalls("UPDATE_do_update"), 4u * 3u);
  // A file that cannot be made writable ends the run with the host's code.
  Files::LockName(file);
  EXPECT_EQ(RaisedCode([&] {
              vdja_tireenv_motion_write_spindle_trace_file(&record_, origin, identity, file.c_str(), design, trace, 2,
                                                           0);
            }),
            1);
}

TEST_F(TireEnvelopeFiles, DriverStepsFileAppendsFromPhaseOne) {
  record_.mode = 1;
  vdja_tireenv_motion_generate_fla_driver_path(0, 30, -30, 0, 2, &record_);
  const std::string file = dir_ + "joints_disp_file.txt";
  written_.push_back(file);
  const std::string lines = "-30.000000 -30.000000\n30.000000 30.000000\n";
  for (int phase : {0, 1, 2}) vdja_tireenv_motion_write_driver_steps_file(&record_, file.c_str(), phase);
  EXPECT_EQ(Read(file), lines + lines + lines);
  vdja_tireenv_motion_write_driver_steps_file(&record_, file.c_str(), 0);
  EXPECT_EQ(Read(file), lines);
}

// The motion files are made writable before and after they are written:
// the file written takes the older file's mode, or a new file's under the
// umask, and nothing else changes. Another user's link at the name, in a
// shared folder, to a private file of the user's is neither followed nor
// changed through (the suite runs as root: uid 65534 is another user).
TEST_F(TireEnvelopeFiles, AMotionFileTakesTheOlderFilesModeAndChangesNoOtherFile) {
  record_.mode = 1;
  vdja_tireenv_motion_generate_fla_driver_path(0, 30, -30, 0, 2, &record_);
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t design = Line(10, -650, 0, 10, -720, 0);
  struct Writer {
    const char* what;
    int phase;
    bool trace;
  };
  const Writer writers[] = {{"driver steps", 0, false}, {"driver steps appended", 1, false}, {"spindle trace", 0, true}};
  struct Row {
    const char* what;
    int older;  // the older file's mode; -1: none
    ::mode_t after;
  };
  const Row rows[] = {{"over 0400", 0400, 0400}, {"over 0444", 0444, 0444}, {"over 0755", 0755, 0755},
                      {"a new file", -1, 0644}};
  const ::mode_t mask = ::umask(022);
  const std::string shared = dir_ + "shared/", mine = dir_ + "mine.txt";
  for (const Writer& writer : writers) {
    const auto write = [&](const std::string& file) {
      if (writer.trace)
        return vdja_tireenv_motion_write_spindle_trace_file(&record_, origin, identity, file.c_str(), design, 77, 0,
                                                            writer.phase);
      return vdja_tireenv_motion_write_driver_steps_file(&record_, file.c_str(), writer.phase);
    };
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(writer.what) + ", " + row.what);
      const std::string file = dir_ + "spindle_file.txt";
      std::remove(file.c_str());
      if (row.older >= 0) stamvik_test::FileMode(Write("spindle_file.txt", "old\n"), static_cast<::mode_t>(row.older));
      EXPECT_EQ(write(file), 0);
      struct stat info {};
      ASSERT_EQ(::stat(file.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, row.after) << std::oct << (info.st_mode & 07777);
      EXPECT_NE(Read(file), "old\n");
      std::remove(file.c_str());
    }
    if (::geteuid() != 0) {
      stamvik_test::SkipRow(std::string(writer.what) + ", another user's link in a shared folder",
                            stamvik_test::NeedsRoot("gives a link to another user"));
      continue;
    }
    SCOPED_TRACE(std::string(writer.what) + ", another user's link in a shared folder");
    // Made for the writer's row inside the scratch folder, and gone after it.
    stamvik_test::OpenChild(dir_, "shared", 0777);
    ::chmod(Write("mine.txt", "mine\n").c_str(), 0400);
    const std::string link = shared + "spindle_file.txt";
    ASSERT_EQ(::symlink(mine.c_str(), link.c_str()), 0);
    ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
    // Not a file of this run's: the name is taken, and its write refused.
    ::setenv("QDEN_TMP_DIR", shared.c_str(), 1);
    char spindle[kMotionFileNameSize], joints[kMotionFileNameSize];
    ASSERT_EQ(vdja_tireenv_motion_file_names(spindle, joints), 0);
    EXPECT_EQ(std::string(spindle), link);
    EXPECT_EQ(write(link), 0);
    struct stat info {};
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    ASSERT_EQ(::stat(mine.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0400u) << std::oct << (info.st_mode & 07777);
    EXPECT_EQ(Read(mine), "mine\n");
    std::remove(link.c_str());
    ::rmdir(shared.c_str());
    ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
  }
  ::umask(mask);
}

TEST_F(TireEnvelopeFiles, WheelEndOfASpindleLine) {
  const tag_t line = Line(0, -600, 0, 0, -700, 0);
  struct Case {
    tag_t line;
    double point[3];
    int want;
  };
  const Case cases[] = {{line, {0, -600, 0}, 0}, {line, {0, -700, 0}, 1}, {line, {0, -700, 1e-9}, 0},
                        {line, {0, -650, 0}, 0}, {0, {0, -700, 0}, 0}};
  for (const Case& c : cases) EXPECT_EQ(tire_->GetSpindleLineWheelEnd(c.line, c.point), c.want);
}

TEST_F(TireEnvelopeFiles, TemplatePointFile) {
  tire_->SetSuspensionTemplate(ShortLongArmwithSteering);
  char* message = reinterpret_cast<char*>(1);
  ASSERT_EQ(tire_->LoadTemplatePointFile(Write("sla.pts", TemplateFile(1)).c_str(), &message), 0);
  EXPECT_EQ(message, nullptr);
  const VD_point_s& inner = tire_->WorkArea()->slArm.tieRodInner.point;
  EXPECT_EQ(std::vector<double>({inner.x, inner.y, inner.z}), std::vector<double>({11, -500, 7}));

  const Tire_s before = *tire_->WorkArea();
  struct Case {
    const char* what;
    std::string text;
    int want;
  };
  const Case cases[] = {
      {"malformed", "template 1\nlower_ball_joint 1 2\n", 3771724},
      {"no template line", "lower_ball_joint 1 2 3\n", 3771726},
      {"another template", TemplateFile(3), 3771727},
      {"a type beyond int", "template 211111111111111111\n", 3771727},
      {"unknown point", TemplateFile(1) + "fender 1 2 3\n", 3771728},
      {"a point twice", TemplateFile(1) + "tie_rod_inner 1 2 3\n", 3771729},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(tire_->LoadTemplatePointFile(Write("bad.pts", c.text).c_str(), &message), c.want);
    EXPECT_EQ(message, nullptr);
  }
  EXPECT_EQ(tire_->LoadTemplatePointFile((dir_ + "none.pts").c_str(), &message), 3771723);
  EXPECT_EQ(tire_->LoadTemplatePointFile("", &message), 3771723);
  ASSERT_EQ(tire_->LoadTemplatePointFile(Write("miss.pts", TemplateFile(1, "tie_rod_inner")).c_str(), &message),
            3771725);
  EXPECT_STREQ(message, "tie_rod_inner");
  SM_free(message);
  EXPECT_EQ(std::memcmp(&before, tire_->WorkArea(), sizeof before), 0) << "a bad file changed the hard points";

  Host::ClearCalls();
  tire_->SetSuspensionTemplate(static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(5));
  EXPECT_EQ(tire_->LoadTemplatePointFile(Write("any.pts", "?").c_str(), &message), 0);
  EXPECT_EQ(Host::CountCalls("TIREENV_load_susp_pt_file"), 0u);
}

TEST_F(TireEnvelopeFiles, SpindleLinesFromAFile) {
  ASSERT_EQ(tire_->CreateSpindleLines(Write("two.txt", "1 2 3 4 5 6\n! c\n7 8 9 10 11 12\n").c_str()), 0);
  ASSERT_EQ(tire_->GetSpindleCurveLength(), 2);
  const tag_t first = tire_->GetSpindleCurve(0);
  double start[3], end[3];
  ASSERT_EQ(VD_ask_curve_end_points(tire_->GetSpindleCurve(1), start, end), 0);
  EXPECT_EQ(std::vector<double>({start[0], end[2]}), std::vector<double>({7, 12}));
  // A file without lines, or a bad one, keeps them.
  for (const char* text : {"! nothing\n", "1 2 3\n"}) {
    tire_->CreateSpindleLines(Write("keep.txt", text).c_str());
    ASSERT_EQ(tire_->GetSpindleCurveLength(), 2);
    EXPECT_EQ(tire_->GetSpindleCurve(0), first);
  }
  EXPECT_EQ(tire_->CreateSpindleLines(Write("one.txt", "0 0 0 1 1 1\n").c_str()), 0);
  ASSERT_EQ(tire_->GetSpindleCurveLength(), 1);
  EXPECT_EQ(OM::OM_object_of_tag(first), nullptr) << "the old lines were not deleted";
}

TEST_F(TireEnvelopeFiles, SpindleLinesWrittenToTheMotionFile) {
  const tag_t design = Line(0, -650, 0, 0, -720, 0);
  tire_->GetDesignPositionSpindle()->set_selected_tag(design);
  const double end[3] = {0, -720, 0};
  tire_->SetSpindleEndPoint(ES_create_point(end));
  const tag_t lines[2] = {Line(0, -710, 5, 0, -640, 5), Line(1, -650, 9, 1, -725, 9)};
  tire_->GetSpindleLines()->set_tags(2, lines);
  const std::string plain = Write("spindle_file.txt", "old\n");
  ASSERT_EQ(tire_->ProcessFromSpindelLines(), 0);
  EXPECT_STREQ(tire_->GetMotionFile(), plain.c_str());
  EXPECT_EQ(Read(plain), "0.000000 -720.000000 0.000000 0.000000 -650.000000 0.000000\n"
                         "0.000000 -710.000000 5.000000 0.000000 -640.000000 5.000000\n"
                         "1.000000 -725.000000 9.000000 1.000000 -650.000000 9.000000\n");
  Files::LockName(plain);
  written_.push_back(dir_ + "spindle_file_0.txt");
  ASSERT_EQ(tire_->ProcessFromSpindelLines(), 0);
  EXPECT_EQ(std::string(tire_->GetMotionFile()), dir_ + "spindle_file_0.txt");
}

TEST_F(TireEnvelopeFiles, ProfilePointFile) {
  tire_->SetTireDefinition(ProfilePointFile);
  const std::string file =
      Write("profiles.txt", "profile front\n0 200\n1 201\n2 200\n! c\nprofile rear mirror\n5 200\n6 201\n7 203\n");
  tire_->SetProfilePointFile(file.c_str());
  struct Case {
    const char* name;
    int count;
    double lastX;
    int mirror;
  };
  for (const Case& c : {Case{"rear", 3, 7, 1}, Case{"not there", 3, 2, 0}}) {
    SCOPED_TRACE(c.name);
    tire_->SetProfileName(c.name);
    ASSERT_EQ(tire_->CalculateProfilePoints(), 0);
    const Tire_s& area = *tire_->WorkArea();
    EXPECT_EQ(area.profilePointCount, c.count);
    EXPECT_EQ(area.profilePoints[c.count - 1][0], c.lastX);
    EXPECT_EQ(area.mirrorProfile, c.mirror);
  }
  const Tire_s before = *tire_->WorkArea();
  std::string many = "profile big\n";
  for (int i = 0; i < 101; ++i) many += std::to_string(i) + " 0\n";
  for (const std::string& text : {std::string("! none\n"), many}) {
    tire_->SetProfilePointFile(Write("bad_profiles.txt", text).c_str());
    EXPECT_EQ(tire_->CalculateProfilePoints(), 3771707);
  }
  tire_->SetProfilePointFile(Write("bad_profiles.txt", "1 2\n").c_str());
  EXPECT_EQ(tire_->CalculateProfilePoints(), 841405);  // a line not of the format
  EXPECT_EQ(std::memcmp(&before, tire_->WorkArea(), sizeof before), 0);
}

// A section that crosses itself is refused and the points stay as they were;
// a closed loop given in order is taken as it runs.
TEST_F(TireEnvelopeFiles, AProfileWhoseSectionCrossesItselfIsRefused) {
  tire_->SetTireDefinition(ProfilePointFile);
  const std::string file = Write("loops.txt",
                                 "profile loop\n-100 216\n100 216\n100 340\n-100 340\n"
                                 "profile sorted\n-100 216\n-100 340\n100 216\n100 340\n"
                                 "profile past mirror\n-20 216\n40 230\n112.5 340\n"
                                 "profile touch\n-100 216\n100 216\n100 340\n0 216\n");
  tire_->SetProfilePointFile(file.c_str());
  struct Case {
    const char* name;
    bool mirror;
    int want;
  };
  // "touch" comes back to a point of its first side, which its closing side
  // runs along: sides that touch do not cross.
  for (const Case& c : {Case{"loop", false, 0}, Case{"sorted", false, 3771793}, Case{"past", true, 3771793},
                        Case{"past", false, 0}, Case{"touch", false, 0}}) {
    SCOPED_TRACE(c.name);
    tire_->SetMirrorProfile(c.mirror);
    tire_->SetProfileName("loop");
    tire_->SetMirrorProfile(false);
    ASSERT_EQ(tire_->CalculateProfilePoints(), 0);
    const Tire_s before = *tire_->WorkArea();
    tire_->SetMirrorProfile(c.mirror);
    tire_->SetProfileName(c.name);
    EXPECT_EQ(tire_->CalculateProfilePoints(), c.want);
    if (c.want != 0) {
      EXPECT_EQ(std::memcmp(&before, tire_->WorkArea(), sizeof before), 0);
    }
  }
  // Committed, the loop's points keep their order.
  tire_->SetMirrorProfile(false);
  tire_->SetProfileName("loop");
  ASSERT_EQ(tire_->CalculateProfilePoints(), 0);
  TIREENV_put_tire_points_in_order(tire_->WorkArea());
  EXPECT_EQ(tire_->WorkArea()->profilePoints[1][0], 100);
  EXPECT_EQ(tire_->WorkArea()->profilePoints[3][0], -100);
  // One that runs against the axis is turned round, its order kept.
  tire_->SetProfilePointFile(Write("reversed.txt", "profile reversed\n100 340\n100 216\n-100 216\n-100 340\n").c_str());
  tire_->SetProfileName("reversed");
  ASSERT_EQ(tire_->CalculateProfilePoints(), 0);
  TIREENV_put_tire_points_in_order(tire_->WorkArea());
  EXPECT_EQ(tire_->WorkArea()->profilePoints[0][0], -100);
  EXPECT_EQ(tire_->WorkArea()->profilePoints[0][1], 340);
  EXPECT_EQ(tire_->WorkArea()->profilePoints[1][1], 216);
  EXPECT_EQ(tire_->WorkArea()->profilePoints[3][0], 100);
}

TEST_F(TireEnvelopeFiles, ProfilePointsFromCurvesAndBodies) {
  struct Case {
    const char* what;
    JA_TIRE_ENVELOPE_BUILDER_TireDefinitionOption definition;
    int bodyPoints;  // the host's answer for a solid body
    bool curve;
    int want, count;  // the points kept: none were taken before
    bool mirror = true;
  };
  const Case cases[] = {
      {"solid body", SolidBody, 12, false, 0, 12},
      {"solid body, one point", SolidBody, 1, false, 3771707, 0},
      {"solid body, two points: a section of two", SolidBody, 2, false, 3771795, 0},
      {"solid body, three points", SolidBody, 3, false, 0, 3},
      {"solid body, none", SolidBody, -1, false, 3771706, 0},
      {"profile curve, mirrored", ProfileCurves, 0, true, 0, 2},
      {"profile curve, not mirrored: a section of two", ProfileCurves, 0, true, 3771795, 0, false},
      {"no profile curve", ProfileCurves, 0, false, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    Host::SetAnswer("TIREENV_create_profile_point_by_solid_body.points", c.bodyPoints);
    tire_->SetTireDefinition(c.definition);
    tire_->SetMirrorProfile(c.mirror);
    const tag_t one = Line(0, 1, 0, 5, 5, 0);
    tire_->GetTireDefinitionBody()->set_tags(1, &one);
    if (c.curve) tire_->GetTireDefinitionProfile()->set_tags(1, &one);
    EXPECT_EQ(tire_->CalculateProfilePoints(), c.want);
    EXPECT_EQ(tire_->WorkArea()->profilePointCount, c.count);
  }
}

TEST_F(TireEnvelopeFiles, LinkedProfiles) {
  tire_->SetSketchPartName("wheel_sketches");
  EXPECT_EQ(tire_->CreateLinkedProfiles(), 3771718);
  PART_part* sketches = PART_part::Create(0);
  Assy::NamePart(sketches, "wheel_sketches");
  PART_set_work_part(part());
  ASSERT_EQ(tire_->CreateLinkedProfiles(), 0);
  ASSERT_EQ(tire_->GetProfileCurveLength(), 2);
  EXPECT_TRUE(tire_->GetIsNewLinkedProfile());
  const tag_t first = tire_->GetProfileCurve(0);
  // Crossing the Y axis twice: the new curves go, the old ones stay.
  Host::SetAnswer("TIREENV_check_profile_intersect_Y_Axis.count", 2);
  const std::size_t deletionsBefore = Host::CountCalls("UPDATE_log_entity_to_delete");
  EXPECT_EQ(tire_->CreateLinkedProfiles(), 3771702);
  EXPECT_EQ(Host::CountCalls("UPDATE_log_entity_to_delete") - deletionsBefore, 2u);
  EXPECT_EQ(tire_->GetProfileCurve(0), first);
  Host::SetAnswer("TIREENV_link_curves.result", 9);
  EXPECT_EQ(tire_->CreateLinkedProfiles(), 9);
  sketches->destroy();
}

}  // namespace

namespace {

TEST_F(TireEnvelopeFiles, MasterPartComponent) {
  PART_part* first = PART_part::Create(0);
  PART_part* second = PART_part::Create(0);
  Assy::NamePart(first, "/parts/wheel_master.prt");
  Assy::NamePart(second, "/parts/Tire_B.prt");
  PART_set_work_part(part());
  const auto components = [&] {
    std::vector<std::string> names;
    for (tag_t c : ASSY_ask_components(part()))
      names.push_back(static_cast<ASSY_instance*>(OM::OM_object_of_tag(c))->ask_name());
    return names;
  };
  struct Case {
    const char* what;
    const char* name;
    int want;
    std::vector<std::string> components;
    const char* stored;
  };
  const Case cases[] = {
      {"first", "/parts/wheel_master.prt", 0, {"WHEEL_MASTER"}, "/parts/wheel_master.prt"},
      {"the same again", "/parts/wheel_master.prt", 0, {"WHEEL_MASTER"}, "/parts/wheel_master.prt"},
      {"another", "/parts/Tire_B.prt", 0, {"TIRE_B"}, "/parts/Tire_B.prt"},
      {"not loaded", "/parts/none.prt", kNoPartToAdd, {"TIRE_B"}, "/parts/Tire_B.prt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(tire_->AddMasterPart(c.name), c.want);
    EXPECT_EQ(components(), c.components);
    EXPECT_STREQ(tire_->GetMasterPartName(), c.stored);
  }
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].line, 3507);
  // A previous component already gone is not looked for again.
  ASSY_remove_component(ASSY_ask_components(part())[0]);
  EXPECT_EQ(tire_->AddMasterPart("/parts/wheel_master.prt"), 0);
  EXPECT_EQ(components(), std::vector<std::string>{"WHEEL_MASTER"});
  first->destroy();
  second->destroy();
}

}  // namespace

namespace {

TEST_F(TireEnvelopeFiles, DriverPathFromASketch) {
  // Two sides widening upward in a sketch lying in the model's XY plane; a
  // point member is passed over.
  const tag_t members[3] = {Line(-10, 0, 0, -20, 100, 0), Line(10, 0, 0, 20, 100, 0), [] {
                              const double p[3] = {0, 500, 0};
                              return ES_create_point(p);
                            }()};
  const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t sketch = Sketch::Make(origin, identity, 3, members);
  const int aliveBefore = OM::OM_live_objects();
  ASSERT_EQ(vdja_tireenv_motion_generate_driver_path(BySketch, 30, -30, 2, 150, 0, 3, 0, 0, 0, sketch, &record_), 0);
  std::vector<std::pair<double, double>> path;
  for (int i = 0; i < record_.pointCount; ++i) path.emplace_back(record_.xValues[i], record_.yValues[i]);
  // Level 150 lies above the sketch: no point.
  const std::vector<std::pair<double, double>> want = {{-10, 0},  {0, 0},  {10, 0},  {-15, 50}, {0, 50},
                                                       {15, 50}, {-20, 100}, {0, 100}, {20, 100}};
  ASSERT_EQ(path.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) {
    EXPECT_NEAR(path[i].first, want[i].first, 1e-9) << i;
    EXPECT_DOUBLE_EQ(path[i].second, want[i].second) << i;
  }
  EXPECT_EQ(std::vector<double>(record_.limits, record_.limits + 4), std::vector<double>({-30, 30, 0, 150}));
  // The temporary planes are gone, the display is back, the mark is ended.
  EXPECT_EQ(OM::OM_live_objects(), aliveBefore);
  EXPECT_EQ(DSS_ask_suppress_display(), 2);
  EXPECT_EQ(Host::CountCalls("ES_create_plane"), 4u);
  // A mark that cannot be set raises, with the display untouched.
  Host::SetAnswer("UNDO_QD_set_mark.error", 5);
  EXPECT_EQ(RaisedCode([&] {
              vdja_tireenv_motion_generate_driver_path(BySketch, 30, -30, 2, 150, 0, 3, 0, 0, 0, sketch, &record_);
            }),
            5);
  EXPECT_EQ(record_.pointCount, 0);
}

}  // namespace
