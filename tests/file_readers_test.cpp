// Every reader of a file a user names, given what is no such file: a device
// that never ends, a pipe with no writer, a directory, a line or a file
// beyond its bound, a file of NULs. Each must answer at once, in bounded
// memory, with its failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "afl/TireEnvelope.hpp"
#include "sys/CallLog.hpp"
#include "sys/Files.hpp"
#include "sys/Memory.hpp"
#include "sys/Replace.hpp"
#include "sys/TextFile.hpp"
#include "vd/TireClearance.hpp"
#include "vd/VehicleDesign.hpp"

using namespace KTX;
namespace fs = std::filesystem;

namespace {

class FileReaders : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    dir_ = scratch_.Path();
    ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
    std::ofstream(dir_ / "long.txt") << std::string(Files::kLongestLine + 1, '7');
    // The longest line, its LF not counted; one byte more in the second line.
    std::ofstream(dir_ / "longest.txt") << std::string(Files::kLongestLine, '7') << "\n";
    std::ofstream(dir_ / "past.txt") << "a\n" << std::string(Files::kLongestLine, '7') << "8\n";
    std::ofstream(dir_ / "large.txt") << std::string(600000, '\n') << std::string(600000, '\n');
    std::ofstream(dir_ / "nuls.txt") << std::string(4096, '\0');
    // Links to a file of the user's, and to the user's private folder that
    // holds one, in a folder all may write: its own, and another user's (the
    // suite runs as root: uid 65534 is another user).
    std::ofstream(dir_ / "mine.txt") << "mine\n";
    fs::create_directories(dir_ / "private");
    std::ofstream(dir_ / "private" / "mine.txt") << "mine\n";
    ::chmod((dir_ / "private").c_str(), 0700);
    stamvik_test::OpenChild(dir_, "shared", 0777);
    fs::create_symlink(dir_ / "mine.txt", dir_ / "shared" / "own.txt");
    fs::create_symlink(dir_ / "mine.txt", dir_ / "shared" / "theirs.txt");
    fs::create_symlink(dir_ / "private", dir_ / "shared" / "own");
    fs::create_symlink(dir_ / "private", dir_ / "shared" / "theirs");
    const uid_t other = stamvik_test::OtherUser();
    theirs_ = ::lchown((dir_ / "shared" / "theirs.txt").c_str(), other, other) == 0 &&
              ::lchown((dir_ / "shared" / "theirs").c_str(), other, other) == 0;
    // A pipe that has no writer but this one: reached through /proc.
    ASSERT_EQ(::pipe2(pipe_, O_CLOEXEC), 0);
  }
  void TearDown() override {
    ::close(pipe_[0]);
    ::close(pipe_[1]);
    HostTest::TearDown();
  }
  std::string Path(const char* name) const { return (dir_ / name).string(); }
  stamvik_test::ScratchFolder scratch_{"file_readers-"};
  fs::path dir_;
  bool theirs_ = false;  // shared/theirs.txt is another user's
  int pipe_[2] = {-1, -1};
};

TEST_F(FileReaders, ReadLinesTakesOnlyARegularFileWithinItsBounds) {
  struct Row {
    std::string name;
    std::size_t most;
    int status;
    std::string why;
  };
  std::vector<Row> rows = {
      {"/dev/zero", 1 << 20, Files::kNotRegular, "not a regular file (a device or a pipe)"},
      {Path("fifo"), 1 << 20, Files::kNotRegular, "not a regular file (a device or a pipe)"},
      {dir_.string(), 1 << 20, Files::kNotRegular, "a directory, not a file"},
      {Path("none.txt"), 1 << 20, 840502, "no such file"},
      {Path("long.txt"), 4 << 20, Files::kLineTooLong, "line 1 longer than 1048576 bytes"},
      {Path("longest.txt"), 4 << 20, 0, ""},
      {Path("past.txt"), 4 << 20, Files::kLineTooLong, "line 2 longer than 1048576 bytes"},
      {Path("large.txt"), 1 << 20, Files::kTooLarge, "larger than 1048576 bytes"},
      // At the bound is within it: 1200000 bytes read, 1200000 empty lines.
      {Path("large.txt"), 1200000, 0, ""},
      {Path("nuls.txt"), 1 << 20, 0, ""},
      {Path("shared/own.txt"), 1 << 20, 0, ""},
      {Path("shared/own/mine.txt"), 1 << 20, 0, ""},
      // Through /proc, whose links report no size, as through any link.
      {"/proc/self/root" + Path("mine.txt"), 1 << 20, 0, ""},
      {"/proc/self/fd/" + std::to_string(pipe_[0]), 1 << 20, Files::kNotRegular,
       "not a regular file (a device or a pipe)"},
  };
  // Not followed, as no writer follows it, and named as every writer names it.
  if (theirs_) {
    rows.push_back({Path("shared/theirs.txt"), 1 << 20, Files::kUnreadable,
                    "is a symbolic link owned by nobody (uid 65534) in a folder other users may write, which is not "
                    "followed"});
    rows.push_back({Path("shared/theirs/mine.txt"), 1 << 20, Files::kUnreadable,
                    "leads through " + Path("shared/theirs") +
                        ", a symbolic link owned by nobody (uid 65534) in a folder other users may write, which is "
                        "not followed"});
  } else {
    stamvik_test::SkipRow("another user's links", stamvik_test::NeedsRoot("gives a link to another user"));
  }
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name + " " + std::to_string(row.most));
    std::vector<std::string> lines{"stale"};
    std::string why;
    EXPECT_EQ(Files::ReadLines(row.name.c_str(), row.most, &lines, &why), row.status);
    EXPECT_EQ(why, row.why);
    if (row.status != 0) {
      EXPECT_TRUE(lines.empty());
    }
  }
  std::vector<std::string> lines;
  std::string why;
  std::ofstream(dir_ / "ends.txt") << "a\r\nb\n\nc";
  ASSERT_EQ(Files::ReadLines(Path("ends.txt").c_str(), 100, &lines, &why), 0);
  EXPECT_EQ(lines, (std::vector<std::string>{"a", "b", "", "c"}));
}

TEST_F(FileReaders, EveryReaderRefusesWhatIsNoFileItCanRead) {
  // Each reader by its name, run on a file; what it answers for no file it can read.
  struct Reader {
    const char* name;
    std::function<int(const char*)> read;
  };
  const Reader readers[] = {
      {"profile", [](const char* f) {
         int count = 0;
         char** names = nullptr;
         tire_profile_point_s* profiles = nullptr;
         return read_profile_file(f, &count, &names, &profiles);
       }},
      {"offsets", [](const char* f) {
         int sections = 0, offsets = 0, counts[36];
         double angles[36];
         static double a[36][80], b[36][80];
         return readoffsetvalues(f, &sections, &offsets, angles, counts, a, b);
       }},
      {"template", [](const char* f) {
         sMacpherson_Suspension record{};
         char text[256] = {};
         return TIREENV_load_susp_pt_file(f, 0, text, &record);
       }},
      {"spindle lines", [](const char* f) {
         int count = 0;
         tag_t* lines = nullptr;
         return TIREENV_create_spindle_lines_from_file(f, &count, &lines);
       }},
      {"data strings", [](const char* f) {
         int count = 0;
         char** lines = nullptr;
         return TIREENV_read_data_file_into_strings(f, &count, &lines);
       }},
      {"joints", [](const char* f) {
         double first[8], second[8];
         int count = 8;
         return TIREENV_read_joints_displacement_fla_file(f, first, second, &count);
       }},
      {"size file channel", [](const char* f) {
         int channel = 0;
         return CFI_open_iti_text(f, 0, 1, &channel) == 0 ? 0 : -1;
       }},
  };
  for (const Reader& reader : readers) {
    for (const std::string& file : {std::string("/dev/zero"), Path("fifo"), dir_.string(), Path("long.txt"),
                                    "/proc/self/fd/" + std::to_string(pipe_[0])}) {
      // A channel is opened here, its lines read later (by the writer's reader).
      if (std::string(reader.name) == "size file channel" && file == Path("long.txt")) continue;
      SCOPED_TRACE(std::string(reader.name) + " " + file);
      Host::ClearCalls();
      EXPECT_EQ(reader.read(file.c_str()), -1);
    }
  }
  // The manikin size file and the motion files are opened through the
  // host's fopen: to read, a regular file only.
  for (const std::string& file : {std::string("/dev/zero"), Path("fifo"), dir_.string()}) {
    SCOPED_TRACE(file);
    EXPECT_EQ(System::SYSS_fopen(file.c_str(), "rt"), nullptr);
  }
  // Another user's link in a shared folder, at the name or as a folder on
  // its way, is no file of the user's: not there, not to be written, not
  // read or changed in place; the user's own is followed.
  if (!theirs_) stamvik_test::SkipRow("another user's links", stamvik_test::NeedsRoot("gives a link to another user"));
  for (const std::string& theirs : {Path("shared/theirs.txt"), Path("shared/theirs/mine.txt")}) {
    SCOPED_TRACE(theirs);
    if (!theirs_) break;
    EXPECT_EQ(CFI_ask_file_exist(theirs.c_str()), 1);
    EXPECT_EQ(CFI_query_file_permissions(theirs.c_str(), kCfiSizeDefinition, 2), 0);
    EXPECT_EQ(CFI_query_file_permissions(theirs.c_str(), kCfiSizeDefinition, 1), 0);
    EXPECT_EQ(System::SYSS_fopen(theirs.c_str(), "rt"), nullptr);
    EXPECT_EQ(System::SYSS_fopen(theirs.c_str(), "r+"), nullptr);
    int channel = 0;
    EXPECT_EQ(CFI_open_iti_text(theirs.c_str(), kCfiSizeDefinition, 1, &channel), 1);
  }
  for (const std::string& own : {Path("shared/own.txt"), Path("shared/own/mine.txt")}) {
    SCOPED_TRACE(own);
    EXPECT_EQ(CFI_ask_file_exist(own.c_str()), 0);
    EXPECT_EQ(CFI_query_file_permissions(own.c_str(), kCfiSizeDefinition, 2), 1);
    std::FILE* read = System::SYSS_fopen(own.c_str(), "r+");
    ASSERT_NE(read, nullptr);
    std::fclose(read);
  }
  const std::string own = Path("shared/own.txt");
  // A mode that would empty or grow the file in place is no writer's: refused, the file as it was.
  EXPECT_EQ(System::SYSS_fopen(own.c_str(), "w+"), nullptr);
  EXPECT_EQ(System::SYSS_fopen(own.c_str(), "a+"), nullptr);
  std::string kept;
  std::getline(std::ifstream(Path("mine.txt")), kept);
  EXPECT_EQ(kept, "mine");
  // The reason is noted with the file.
  Host::ClearCalls();
  int count = 0;
  char** names = nullptr;
  tire_profile_point_s* profiles = nullptr;
  read_profile_file(Path("fifo").c_str(), &count, &names, &profiles);
  std::vector<std::string> notes;
  for (const Host::Call& c : Host::Calls())
    if (c.name == "TIREENV_note") notes.push_back(c.args);
  EXPECT_EQ(notes, std::vector<std::string>{Path("fifo") + " line 0: not a regular file (a device or a pipe)"});
}

}  // namespace

namespace {

// A variable made on demand: its maker runs when the variable is first asked
// for while it is unset or empty, once, and never when the caller set it.
// Another variable asked for while it is unset gives nothing and makes none.
TEST(HostVariables, AVariableMadeOnDemandIsMadeWhenFirstAskedForAndOnce) {
  struct Maker {
    int calls = 0;
    std::string value;
    static std::string Make(void* context) {
      auto* self = static_cast<Maker*>(context);
      ++self->calls;
      return self->value;
    }
  };
  struct Row {
    const char* what;
    const char* set;  // the variable before (null: unset)
    std::string made;
    int calls;  // after two questions
    const char* answer;
    const char* asked = nullptr;  // the variable asked for (null: the one made on demand)
  };
  const Row rows[] = {
      {"unset", nullptr, "/made", 1, "/made"},
      {"another variable, unset", nullptr, "/made", 0, nullptr, "KTX_TEST_NOT_ON_DEMAND"},
      {"empty", "", "/made", 1, "/made"},
      {"set by the caller", "/mine", "/made", 0, "/mine"},
      {"the maker makes none", nullptr, "", 2, nullptr},
  };
  const char* kName = "KTX_TEST_ON_DEMAND";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    if (row.set != nullptr)
      ::setenv(kName, row.set, 1);
    else
      ::unsetenv(kName);
    Maker maker{0, row.made};
    Files::MakeVariableOnDemand(kName, &Maker::Make, &maker);
    EXPECT_EQ(maker.calls, 0);
    const char* asked = row.asked != nullptr ? row.asked : kName;
    if (row.asked != nullptr) ::unsetenv(row.asked);
    const char* first = ENV_translate_variable(asked);
    const char* second = Files::Variable(asked);
    EXPECT_EQ(maker.calls, row.calls);
    EXPECT_EQ(first == nullptr ? "(null)" : std::string(first), row.answer == nullptr ? "(null)" : row.answer);
    EXPECT_EQ(second == nullptr ? "(null)" : std::string(second), row.answer == nullptr ? "(null)" : row.answer);
    Files::MakeVariableOnDemand(kName, nullptr, nullptr);
    ::unsetenv(kName);
    if (row.asked != nullptr) ::unsetenv(row.asked);
    EXPECT_EQ(Files::Variable(kName), nullptr);  // no maker once it is taken away
  }
}

}  // namespace

namespace {

// A file the builders ask to be made writable (79, 13107, 0) before and
// after they write it: every writer of the host puts a new file in its
// place, so its mode is left as it is (the file written takes it), and no
// name is looked up for it: the answer is 0 for any name, 1 for a locked one.
TEST(HostFiles, AFileAskedToBeMadeWritableIsLeftAsItIs) {
  struct Row {
    mode_t before;
    mode_t after;
  };
  const Row rows[] = {{0444, 0444}, {0400, 0400}, {0000, 0000}, {0555, 0555}, {0640, 0640}};
  const stamvik_test::ScratchFolder folder("writable-");
  const std::string path = folder.Slashed() + "writable";
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.before));
    std::ofstream(path) << "kept\n";
    ASSERT_EQ(stamvik_test::FileMode(path, row.before), 0);
    EXPECT_EQ(CFI_modify_file_protection(path.c_str(), 79, 13107, 0), 0);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, row.after) << std::oct << (info.st_mode & 07777);
    fs::remove(path);
  }
  EXPECT_EQ(CFI_modify_file_protection(path.c_str(), 79, 13107, 0), 0);
  Files::LockName(path);
  EXPECT_EQ(CFI_modify_file_protection(path.c_str(), 79, 13107, 0), 1);
  Files::UnlockAllNames();
}

}  // namespace
