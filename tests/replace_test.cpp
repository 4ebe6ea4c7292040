// A file the host writes for a user takes its place whole or not at all, and
// no way out of a write leaves its temporary file (NAME.tmp-...) behind:
// the text channels, the system's streams and the replacing stream under
// them, each written to the end, failed at each host call the failure switch
// reaches, failed by the system, cut short by an error on its way or by the
// file size limit; the kernel's STEP writer, whose modeller may refuse or
// throw. No writer replaces the journal being played, a FIFO, a device or a
// broken link; a file written over keeps its mode; a write removes what a
// killed writer of the name left, and nothing a living one holds nor a
// user's file named like a writer's.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "KilledWriterSupport.hpp"
#include "TestSupport.hpp"
#include "afl/TireEnvelope.hpp"
#include "kernel/Kernel.hpp"
#include "kernel/Modeller.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Failure.hpp"
#include "sys/Files.hpp"
#include "sys/Replace.hpp"
#include "sys/TextFile.hpp"
#include "sys/UserMessages.hpp"
#include "vd/TireClearance.hpp"

namespace fs = std::filesystem;
using namespace KTX;

namespace {

std::string FileText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// What a folder holds besides the file written: a left temporary file shows here.
std::vector<std::string> Others(const fs::path& folder, const std::string& written) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder))
    if (entry.path().filename() != written) names.push_back(entry.path().filename().string());
  return names;
}

// Thrown by the writer itself half way (not a host error).
struct CutShort : std::runtime_error {
  CutShort() : std::runtime_error("cut short") {}
};

// The writer's own clean-up: the file is closed on the way out as a
// plug-in's scope guard closes it.
struct ClosedOnTheWayOut {
  std::function<void()> close;
  bool armed = true;
  ~ClosedOnTheWayOut() {
    if (!armed) return;
    try {
      close();
    } catch (...) {
    }
  }
};

// "new\n" written through a text channel (CFI_open_iti_text mode 3) and closed.
int ThroughAChannel(const std::string& name, bool cutShort) {
  int channel = 0;
  if (CFI_open_iti_text(name.c_str(), kCfiSizeDefinition, 3, &channel) != 0) return 1;
  ClosedOnTheWayOut guard{[channel] { CFI_close_file(channel); }};
  CFI_write_iti_line(channel, "new");
  if (cutShort) throw CutShort();
  guard.armed = false;
  return CFI_close_file(channel);
}

// "new\n" written through the system's stream (SYSS_fopen "w") and closed.
int ThroughAStream(const std::string& name, bool cutShort) {
  std::FILE* file = System::SYSS_fopen(name.c_str(), "wt");
  if (file == nullptr) return 1;
  ClosedOnTheWayOut guard{[file] { System::SYSS_fclose(file); }};
  std::fputs("new\n", file);
  if (cutShort) throw CutShort();
  guard.armed = false;
  return System::SYSS_fclose(file) == 0 ? 0 : 1;
}

class FileReplaced : public ::testing::Test {
 protected:
  void SetUp() override { Host::ClearCalls(); }
  void TearDown() override { Failure::Off(); }
  const stamvik_test::ScratchFolder scratch_{"replace_test-"};
  // Made anew by a test that wants it empty: inside the test's own folder.
  const fs::path folder_ = scratch_.Path() / "w";
};

TEST_F(FileReplaced, EveryWayOutLeavesTheOlderFileOrTheNewOneAndNoTemporaryFile) {
  enum class Outcome { kReturned, kHostError, kWritersError };
  struct Row {
    const char* name;
    std::function<int(const std::string&, bool)> write;
    long long failedHostCall;  // 0: none fails
    bool cutShort;             // the writer throws between writing and closing
    int status;                // what the write returns, when it returns
    Outcome outcome;
    const char* holds;         // the file afterwards ("old\n" was there)
  };
  const Row rows[] = {
      // Host calls counted: the open (1), the close (2).
      {"channel written and closed", ThroughAChannel, 0, false, 0, Outcome::kReturned, "new\n"},
      {"channel, its open fails", ThroughAChannel, 1, false, 0, Outcome::kHostError, "old\n"},
      {"channel, its close fails", ThroughAChannel, 2, false, 0, Outcome::kHostError, "old\n"},
      {"channel, the writer fails half way", ThroughAChannel, 0, true, 0, Outcome::kWritersError, "old\n"},
      {"stream written and closed", ThroughAStream, 0, false, 0, Outcome::kReturned, "new\n"},
      {"stream, its open fails", ThroughAStream, 1, false, 0, Outcome::kHostError, "old\n"},
      {"stream, its close fails", ThroughAStream, 2, false, 0, Outcome::kHostError, "old\n"},
      {"stream, the writer fails half way", ThroughAStream, 0, true, 0, Outcome::kWritersError, "old\n"},
  };
  const std::string name = (folder_ / "sizes.hsd").string();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(name, std::ios::binary) << "old\n";
    const int channels = Host::OpenTextChannels();
    if (row.failedHostCall != 0) Failure::FailAt(Failure::kHostCall, row.failedHostCall);
    Outcome outcome = Outcome::kReturned;
    int status = -1;
    try {
      status = row.write(name, row.cutShort);
    } catch (const Error::Exception& e) {
      outcome = Outcome::kHostError;
      EXPECT_EQ(e.askCode(), Failure::kInjected);
    } catch (const CutShort&) {
      outcome = Outcome::kWritersError;
    }
    Failure::Off();
    EXPECT_EQ(outcome, row.outcome);
    if (row.outcome == Outcome::kReturned) {
      EXPECT_EQ(status, row.status);
    }
    EXPECT_EQ(FileText(name), row.holds);
    EXPECT_EQ(Others(folder_, "sizes.hsd"), std::vector<std::string>{}) << "a temporary file was left";
    EXPECT_EQ(Host::OpenTextChannels(), channels) << "a channel was left open";
  }
}

TEST_F(FileReplaced, TheSystemRefusingAWriteLeavesNoTemporaryFile) {
  struct Row {
    const char* name;
    const char* target;   // in the folder
    bool folderInTheWay;  // the target is a folder (the rename fails)
    bool dataRefused;     // the stream's descriptor is gone (its writes fail)
    bool opens;
    int closed;           // CloseReplacing's answer
    const char* holds;    // the file afterwards ("old\n" was there; null: no file)
  };
  const Row rows[] = {
      {"written whole", "sizes.hsd", false, false, true, 0, "new\n"},
      {"no such folder", "missing/sizes.hsd", false, false, false, 0, nullptr},
      {"a folder in the way", "sizes.hsd", true, false, true, EOF, nullptr},
      {"the data refused", "sizes.hsd", false, true, true, EOF, "old\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    const fs::path target = folder_ / row.target;
    if (row.folderInTheWay)
      fs::create_directories(target / "inside");
    else if (row.opens)
      std::ofstream(target, std::ios::binary) << "old\n";
    std::FILE* file = Files::OpenReplacing(target.string(), "w");
    EXPECT_EQ(file != nullptr, row.opens);
    if (file != nullptr) {
      if (row.dataRefused) ::close(::fileno(file));
      std::fputs("new\n", file);
      EXPECT_EQ(Files::CloseReplacing(file), row.closed);
    }
    const std::vector<std::string> expected =
        row.folderInTheWay || row.holds != nullptr ? std::vector<std::string>{"sizes.hsd"} : std::vector<std::string>{};
    EXPECT_EQ(Others(folder_, ""), expected) << "a temporary file was left";
    if (row.folderInTheWay) {
      EXPECT_TRUE(fs::is_directory(target / "inside"));
    }
    if (row.holds != nullptr) {
      EXPECT_EQ(FileText(target), row.holds);
    }
  }
}

// The modeller's stand-ins: each fills the temporary file part way first,
// as a writer cut short would.
bool HalfWritten(std::ostream& out) {
  out << "ISO-10303-21;\n" << std::flush;
  return true;
}
bool Refuses(std::ostream& out) { return !HalfWritten(out); }
bool ThrowsItsOwn(std::ostream& out) {
  HalfWritten(out);
  throw std::runtime_error("the modeller's own failure");
}
bool RunsOutOfMemory(std::ostream& out) {
  HalfWritten(out);
  throw std::bad_alloc();
}
// What no std::exception is (the modeller's own failures are not).
bool ThrowsNoStandardException(std::ostream& out) {
  HalfWritten(out);
  throw 7;
}

TEST_F(FileReplaced, TheKernelsStepWriterLeavesTheOlderFileOrTheNewOneAndNoTemporaryFile) {
  struct Row {
    const char* name;
    KTX::Kernel::StepWriterForTests writer;  // null: the module writes
    double fromKernel;                       // the kernel's scale to host lengths
    int status;
    bool replaced;  // the file holds a STEP file ("old\n" was there)
    bool modellerFailed = true;  // errno says so (the stale error before says nothing)
  };
  const Row rows[] = {
      {"written whole", nullptr, 1000, 0, true, false},
      {"the modeller cannot scale the shape", nullptr, 0, ZV_ERROR_geometry, false},
      {"the modeller returns false", Refuses, 1000, ZV_ERROR_geometry, false},
      {"the modeller throws", ThrowsItsOwn, 1000, ZV_ERROR_geometry, false},
      {"the modeller runs out of memory", RunsOutOfMemory, 1000, ZV_ERROR_geometry, false},
      {"the modeller throws no std::exception", ThrowsNoStandardException, 1000, ZV_ERROR_geometry,
       false},
  };
  const std::vector<std::vector<double>> square{{0, 0, 0, 0.01, 0, 0, 0.01, 0.01, 0, 0, 0.01, 0}};
  const double point[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
  int sheet = 0;
  ASSERT_EQ(KTX::Kernel::MakePlanarSheet(square, point, normal, &sheet), 0);
  const std::string name = (folder_ / "part.stp").string();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    std::ofstream(name, std::ios::binary) << "old\n";
    KTX::Kernel::SetStepWriterForTests(row.writer);
    KTX::Kernel::SetScaleFactors(0.001, row.fromKernel);
    int status = -1;
    errno = ENOENT;
    EXPECT_NO_THROW(status = KTX::Kernel::WriteStep({sheet}, name));
    EXPECT_EQ(errno == KTX::Kernel::kModellerFailed, row.modellerFailed) << std::strerror(errno);
    KTX::Kernel::SetStepWriterForTests(nullptr);
    KTX::Kernel::SetScaleFactors(0.001, 1000);
    EXPECT_EQ(status, row.status);
    const std::string holds = FileText(name);
    if (row.replaced) {
      EXPECT_EQ(holds.rfind("ISO-10303-21;", 0), 0u) << holds.substr(0, 40);
    } else {
      EXPECT_EQ(holds, "old\n");
    }
    EXPECT_EQ(Others(folder_, "part.stp"), std::vector<std::string>{}) << "a temporary file was left";
  }
  KTX::Kernel::DeleteBody(sheet, "test");
}

// Every writer's temporary files under the folder, its links not followed:
// what a write left behind.
std::vector<std::string> Temporaries(const fs::path& folder) {
  std::vector<std::string> found;
  for (const auto& entry : fs::recursive_directory_iterator(folder))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos) found.push_back(entry.path().string());
  return found;
}

// `at`, a chain of `links` symbolic links (at, at.1, at.2 ...) to the file
// at.file, "old\n".
bool Chain(const fs::path& at, int links) {
  std::ofstream(at.string() + ".file", std::ios::binary) << "old\n";
  bool made = true;
  for (int i = 0; i < links; ++i) {
    const std::string from = i == 0 ? at.string() : at.string() + "." + std::to_string(i);
    const std::string to = at.filename().string() + (i + 1 == links ? ".file" : "." + std::to_string(i + 1));
    made = made && ::symlink(to.c_str(), from.c_str()) == 0;
  }
  return made;
}

// ---- every writer: the protected journal, the size limit, the mode kept ----------------------

// A writer of the host: `big` writes 64 KiB instead of "new\n" (past a small
// size limit). 0 when it says the file was written. One that changes a file
// in place (`replaces` false) is only refused the protected file.
struct Writer {
  const char* name;
  int (*write)(const std::string& name, bool big);
  bool replaces = true;
};
const std::string kBig(std::size_t{1} << 16, 'x');
std::string Text(bool big) { return big ? kBig : std::string("new\n"); }
// A sheet with geometry for the STEP writer, whose modeller is stood in for.
int gStepBody = 0;
bool gStepBig = false;

int ThroughReplacing(const std::string& name, bool big, const char* mode) {
  std::FILE* file = Files::OpenReplacing(name, mode);
  if (file == nullptr) return 1;
  std::fputs(Text(big).c_str(), file);
  return Files::CloseReplacing(file) == 0 ? 0 : 1;
}
bool StepModeller(std::ostream& out) {
  out << Text(gStepBig);
  return static_cast<bool>(out.flush());
}

const Writer kWriters[] = {
    {"replacing stream, w", [](const std::string& name, bool big) { return ThroughReplacing(name, big, "w"); }},
    {"replacing stream, a", [](const std::string& name, bool big) { return ThroughReplacing(name, big, "a"); }},
    {"text channel (the size file)",
     [](const std::string& name, bool big) {
       int channel = 0;
       if (CFI_open_iti_text(name.c_str(), kCfiSizeDefinition, 3, &channel) != 0) return 1;
       CFI_write_iti_line(channel, big ? kBig.c_str() : "new");
       return CFI_close_file(channel);
     }},
    {"system stream (the motion files)",
     [](const std::string& name, bool big) {
       std::FILE* file = System::SYSS_fopen(name.c_str(), "wt");
       if (file == nullptr) return 1;
       std::fputs(Text(big).c_str(), file);
       return System::SYSS_fclose(file) == 0 ? 0 : 1;
     }},
    {"system stream changed in place",
     [](const std::string& name, bool) {
       std::FILE* file = System::SYSS_fopen(name.c_str(), "r+b");
       if (file == nullptr) return 1;
       std::fputs("new\n", file);
       return std::fclose(file) == 0 ? 0 : 1;
     },
     false},
    {"temporary file beside it (the recorded journal)",
     [](const std::string& name, bool big) {
       Files::TemporaryBeside temporary(name);
       if (!temporary.Made()) return 1;
       Files::DescriptorBuffer buffer(temporary.Descriptor());
       std::ostream out(&buffer);
       out << Text(big);
       return out.flush() && temporary.PutInPlace() ? 0 : 1;
     }},
    {"STEP writer",
     [](const std::string& name, bool big) {
       gStepBig = big;
       KTX::Kernel::SetStepWriterForTests(&StepModeller);
       const int status = KTX::Kernel::WriteStep({gStepBody}, name);
       KTX::Kernel::SetStepWriterForTests(nullptr);
       return status == 0 ? 0 : 1;
     }},
};

class EveryWriter : public FileReplaced {
 protected:
  void SetUp() override {
    FileReplaced::SetUp();
    const std::vector<std::vector<double>> square{{0, 0, 0, 0.01, 0, 0, 0.01, 0.01, 0, 0, 0.01, 0}};
    const double point[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
    ASSERT_EQ(KTX::Kernel::MakePlanarSheet(square, point, normal, &gStepBody), 0);
  }
  void TearDown() override {
    Files::ProtectFromWrites({});
    Host::SetUserMessageSink(nullptr, nullptr);
    KTX::Kernel::DeleteBody(gStepBody, "test");
    gStepBody = 0;
    FileReplaced::TearDown();
  }
  void Fresh() {
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  std::string In(const char* name) const { return (folder_ / name).string(); }
};

void Keep(Host::UserMessage kind, const std::string& text, void* shown) {
  if (kind == Host::UserMessage::kError) static_cast<std::vector<std::string>*>(shown)->push_back(text);
}

TEST_F(EveryWriter, NoWriterReplacesTheJournalBeingPlayedThroughAnyLink) {
  std::vector<std::string> shown;
  Host::SetUserMessageSink(&Keep, &shown);
  for (const Writer& writer : kWriters) {
    struct Way {
      const char* name;
      void (*make)(const fs::path& journal, const fs::path& target);
    };
    const Way ways[] = {
        {"the journal itself", [](const fs::path&, const fs::path&) {}},
        {"a symbolic link to it", [](const fs::path& j, const fs::path& t) { fs::create_symlink(j, t); }},
        {"a hard link to it", [](const fs::path& j, const fs::path& t) { fs::create_hard_link(j, t); }},
    };
    for (const Way& way : ways) {
      SCOPED_TRACE(std::string(writer.name) + ", " + way.name);
      Fresh();
      const fs::path journal = folder_ / "j.jou";
      std::ofstream(journal, std::ios::binary) << "journal 1\n";
      const bool itself = way.make == ways[0].make;
      const fs::path target = itself ? journal : folder_ / "self.hsd";
      way.make(journal, target);
      Files::ProtectFromWrites(journal.string());
      shown.clear();
      EXPECT_NE(writer.write(target.string(), false), 0);
      EXPECT_EQ(FileText(journal), "journal 1\n");
      EXPECT_EQ(shown, std::vector<std::string>{"841406 " + target.string() +
                                                ": the file is the journal being played: it is not written over"});
      std::vector<std::string> expected{"j.jou"};
      if (!itself) expected.push_back("self.hsd");
      std::vector<std::string> left = Others(folder_, "");
      std::sort(left.begin(), left.end());
      EXPECT_EQ(left, expected) << "a temporary file was left";
      // Another file beside it is written as ever.
      std::ofstream(In("other.hsd"), std::ios::binary) << "old\n";
      EXPECT_EQ(writer.write(In("other.hsd"), false), 0);
      Files::ProtectFromWrites({});
    }
  }
}

TEST_F(EveryWriter, AWriteCutByTheFileSizeLimitFailsAndLeavesTheOlderFile) {
  for (const Writer& writer : kWriters) {
    if (!writer.replaces) continue;
    SCOPED_TRACE(writer.name);
    Fresh();
    const std::string name = In("sizes.hsd");
    std::ofstream(name, std::ios::binary) << "old\n";
    // In a child, as `ulimit -f 4` would run it: the limit ends a process
    // that does not ignore its signal.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const rlimit limit{4096, 4096};
      ::setrlimit(RLIMIT_FSIZE, &limit);
      ::_exit(writer.write(name, true) == 0 ? 0 : 3);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 3) << "the write said it was done";
    EXPECT_EQ(FileText(name), "old\n");
    EXPECT_EQ(Others(folder_, "sizes.hsd"), std::vector<std::string>{}) << "a temporary file was left";
  }
}

// The file written takes the permissions of the file it replaces, found
// through the links to it: no set-id bit, and another user's file gives
// only its owner's bits (the group's and others' are a new file's, none
// under umask 077).
TEST_F(EveryWriter, AFileWrittenOverKeepsItsMode) {
  const ::mode_t mask = ::umask(077);
  const uid_t other = stamvik_test::OtherUser();
  struct Row {
    ::mode_t mode;
    int links;  // to the file, a chain of them
    uid_t owner;
    ::mode_t expected;
  };
  const Row rows[] = {
      {0644, 0, 0, 0644}, {0755, 0, 0, 0755}, {0600, 0, 0, 0600},
      {0644, 1, 0, 0644}, {0755, 1, 0, 0755}, {0600, 1, 0, 0600},
      {0644, 3, 0, 0644}, {0755, 3, 0, 0755}, {0600, 3, 0, 0600},
      {06755, 0, 0, 0755}, {06777, 0, other, 0700}, {0640, 1, other, 0600},
  };
  for (const Writer& writer : kWriters) {
    for (const Row& row : rows) {
      std::ostringstream trace;
      trace << writer.name << " over 0" << std::oct << row.mode << std::dec << " of uid " << row.owner << " through "
            << row.links << " links";
      SCOPED_TRACE(trace.str());
      if (row.owner != ::geteuid() && ::geteuid() != 0) {
        stamvik_test::SkipRow(trace.str(), stamvik_test::NeedsRoot("gives a file to another user"));
        continue;
      }
      // Changed in place, a file keeps what it had.
      if (!writer.replaces && row.mode != row.expected) continue;
      Fresh();
      const std::string name = In("sizes.hsd");
      ASSERT_TRUE(Chain(name, row.links));
      const std::string file = row.links == 0 ? name : name + ".file";
      if (row.links == 0) fs::rename(name + ".file", name);
      ASSERT_EQ(::chown(file.c_str(), row.owner, row.owner), 0);
      ASSERT_EQ(stamvik_test::FileMode(file, row.mode), 0);
      EXPECT_EQ(writer.write(name, false), 0);
      struct stat info {};
      ASSERT_EQ(::stat(file.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, row.expected);
      EXPECT_NE(FileText(file), "old\n");
      EXPECT_EQ(fs::is_symlink(name), row.links > 0);
    }
  }
  ::umask(mask);
}

// ---- every writer: what no file written whole may replace, what a killed writer left --------

// A name where no regular file may be put: a writer refuses it, writes
// nothing through it, and leaves it as it was.
struct SpecialName {
  const char* name;
  // Makes it at `at` (in the folder); false when this machine cannot.
  bool (*make)(const fs::path& at);
};
const SpecialName kSpecialNames[] = {
    {"a FIFO", [](const fs::path& at) { return ::mkfifo(at.c_str(), 0644) == 0; }},
    {"a symbolic link to itself", [](const fs::path& at) { return ::symlink(at.filename().c_str(), at.c_str()) == 0; }},
    {"a symbolic link to a missing file", [](const fs::path& at) { return ::symlink("missing", at.c_str()) == 0; }},
    {"a symbolic link to a FIFO",
     [](const fs::path& at) {
       return ::mkfifo((at.string() + ".fifo").c_str(), 0644) == 0 &&
              ::symlink((at.filename().string() + ".fifo").c_str(), at.c_str()) == 0;
     }},
    // One past the links the system follows: refused as a loop would be.
    {"a chain of 41 symbolic links to a file",
     [](const fs::path& at) { return Chain(at, 41); }},
    // Only where devices may be made (the null device's numbers).
    {"a device", [](const fs::path& at) { return ::mknod(at.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0; }},
};

// What a name is: its kind, and where a link points.
std::string Kind(const fs::path& at) {
  struct stat info {};
  if (::lstat(at.c_str(), &info) != 0) return "missing";
  if (S_ISLNK(info.st_mode)) return "link to " + fs::read_symlink(at).string();
  if (S_ISFIFO(info.st_mode)) return "fifo";
  if (S_ISCHR(info.st_mode)) return "device";
  return S_ISREG(info.st_mode) ? "file" : "other";
}

TEST_F(EveryWriter, NoWriterPutsAFileInPlaceOfAFifoADeviceOrABrokenLink) {
  for (const Writer& writer : kWriters) {
    if (!writer.replaces) continue;
    for (const SpecialName& special : kSpecialNames) {
      SCOPED_TRACE(std::string(writer.name) + ", " + special.name);
      Fresh();
      const fs::path at = folder_ / "sizes.hsd";
      if (!special.make(at)) continue;
      const std::string kind = Kind(at);
      std::vector<std::string> before = Others(folder_, "");
      // A reader on a FIFO, not waiting: a writer that opened it would not
      // wait either, and what it wrote would be found here.
      const int reader = ::open(at.c_str(), O_RDONLY | O_NONBLOCK);
      EXPECT_NE(writer.write(at.string(), false), 0);
      if (reader >= 0) {
        char byte = 0;
        EXPECT_LE(::read(reader, &byte, 1), 0) << "the FIFO received a stream";
        ::close(reader);
      }
      EXPECT_EQ(Kind(at), kind);
      std::vector<std::string> left = Others(folder_, "");
      std::sort(before.begin(), before.end());
      std::sort(left.begin(), left.end());
      EXPECT_EQ(left, before) << "a temporary file was left";
    }
    // A link to a file, or a chain of links as long as the system follows,
    // is written through: the file it reaches is replaced, the links kept.
    for (const int links : {1, 10, 39, 40}) {
      SCOPED_TRACE(std::string(writer.name) + ", a chain of " + std::to_string(links) + " symbolic links to a file");
      Fresh();
      ASSERT_TRUE(Chain(folder_ / "sizes.hsd", links));
      EXPECT_EQ(writer.write(In("sizes.hsd"), false), 0);
      EXPECT_EQ(Kind(folder_ / "sizes.hsd"), links == 1 ? "link to sizes.hsd.file" : "link to sizes.hsd.1");
      EXPECT_EQ(Kind(In(("sizes.hsd." + std::to_string(links - 1)).c_str())),
                links == 1 ? "missing" : "link to sizes.hsd.file");
      EXPECT_NE(FileText(In("sizes.hsd.file")), "old\n");
      EXPECT_EQ(Temporaries(folder_), std::vector<std::string>{}) << "a temporary file was left";
    }
    // A name through /proc is walked as any other, whatever size its links
    // report (/proc/self's none): to the file, or to a pipe, refused.
    int pipe[2];
    ASSERT_EQ(::pipe2(pipe, O_CLOEXEC | O_NONBLOCK), 0);
    struct Through {
      const char* name;
      // The name, given the file's, its folder's descriptor and the pipe's.
      std::string (*given)(const std::string& file, int folder, int pipe);
      bool written;
    };
    const Through throughs[] = {
        {"/proc/self/root/FILE", [](const std::string& file, int, int) { return "/proc/self/root" + file; }, true},
        {"/proc/self/fd/FOLDER/NAME",
         [](const std::string&, int folder, int) { return "/proc/self/fd/" + std::to_string(folder) + "/sizes.hsd"; },
         true},
        {"/proc/self/fd/PIPE", [](const std::string&, int, int pipe) { return "/proc/self/fd/" + std::to_string(pipe); },
         false},
    };
    for (const Through& through : throughs) {
      SCOPED_TRACE(std::string(writer.name) + ", " + through.name);
      Fresh();
      std::ofstream(In("sizes.hsd"), std::ios::binary) << "old\n";
      const int folder = ::open(folder_.c_str(), O_PATH | O_CLOEXEC);
      EXPECT_EQ(writer.write(through.given(In("sizes.hsd"), folder, pipe[1]), false) == 0, through.written);
      ::close(folder);
      EXPECT_EQ(FileText(In("sizes.hsd")) == "old\n", !through.written);
      char byte = 0;
      EXPECT_LE(::read(pipe[0], &byte, 1), 0) << "the pipe received a stream";
      EXPECT_EQ(Others(folder_, "sizes.hsd"), std::vector<std::string>{}) << "a temporary file was left";
    }
    ::close(pipe[0]);
    ::close(pipe[1]);
  }
}


// A file beside the name that is no writer's, however like one's it is
// named: the next write leaves it.
struct UsersFile {
  const char* name;
  // Makes it beside `name`, named after `cut` (the name, cut short where its
  // temporary files' names would be too long); its path.
  std::string (*make)(const std::string& name, const std::string& cut);
};
std::string UsersOwn(const std::string& path, ::mode_t mode) {
  std::ofstream(path, std::ios::binary) << "notes\n";
  stamvik_test::FileMode(path, mode);
  return path;
}
const UsersFile kUsersFiles[] = {
    {"NAME.tmp-notes1, 0644",
     [](const std::string&, const std::string& cut) { return UsersOwn(cut + ".tmp-notes1", 0644); }},
    {"NAME.tmp-ABCDEF, 0644",
     [](const std::string&, const std::string& cut) { return UsersOwn(cut + ".tmp-ABCDEF", 0644); }},
    {"NAME.tmp-abc123, 0600",
     [](const std::string&, const std::string& cut) { return UsersOwn(cut + ".tmp-abc123", 0600); }},
    {"sixteen hex digits that fail the check, 0600",
     [](const std::string&, const std::string& cut) { return UsersOwn(cut + ".tmp-0123456789abcdef", 0600); }},
    {"a killed writer's file the user made 0644",
     [](const std::string& name, const std::string&) {
       const std::string kept = stamvik_test::LeftByAKilledWriter(name);
       ::chmod(kept.c_str(), 0644);
       return kept;
     }},
    {"a killed writer's file the user linked to",
     [](const std::string& name, const std::string& cut) {
       const std::string kept = stamvik_test::LeftByAKilledWriter(name);
       fs::create_hard_link(kept, cut + ".kept");
       return kept;
     }},
    // Of a long name, named as this one's temporary files are, cut alike.
    {"a killed writer's file of another name",
     [](const std::string& name, const std::string&) {
       return stamvik_test::LeftByAKilledWriter(name.substr(0, name.size() - 1) + "z");
     }},
};

// Every name the system takes (255 bytes) is written, over an older file
// too: where NAME.tmp- and sixteen digits would be longer, its temporary
// files take NAME cut short (at a character's start), and are still told
// apart by their check of the whole name.
TEST_F(EveryWriter, AKilledWritersTemporaryFileIsRemovedByTheNextWholeWriteAndALivingOnesIsNot) {
  struct Row {
    std::string base;
    std::size_t cut;  // the bytes of it its temporary files keep
  };
  std::string accented = "x";
  for (int i = 0; i < 127; ++i) accented += "\xc3\xa9";
  const Row rows[] = {
      {"sizes.hsd", 9},
      {std::string(234, 'a'), 234},
      {std::string(235, 'a'), 234},
      {std::string(255, 'a'), 234},
      // 255 bytes; its 235th (at 234) goes on a character begun before it.
      {accented, 233},
  };
  for (const Writer& writer : kWriters) {
    if (!writer.replaces) continue;
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(writer.name) + ", a name of " + std::to_string(row.base.size()) + " bytes");
      Fresh();
      const std::string name = In(row.base.c_str()), cut = In(row.base.substr(0, row.cut).c_str());
      std::ofstream(name, std::ios::binary) << "old\n";
      const std::string killed = stamvik_test::LeftByAKilledWriter(name);
      ASSERT_TRUE(fs::exists(killed)) << killed;
      EXPECT_EQ(killed.substr(0, cut.size() + 5), cut + ".tmp-");
      EXPECT_EQ(killed.size(), cut.size() + 21);
      EXPECT_EQ(FileText(name), "old\n");
      // Another writer of the name, still at work.
      Files::TemporaryBeside living(name);
      ASSERT_TRUE(living.Made());
      std::vector<std::string> users;
      for (const UsersFile& file : kUsersFiles) users.push_back(file.make(name, cut));
      EXPECT_EQ(writer.write(name, false), 0);
      EXPECT_NE(FileText(name), "old\n");
      EXPECT_FALSE(fs::exists(killed)) << killed;
      EXPECT_TRUE(fs::exists(living.Path()));
      std::vector<std::string> kept{fs::path(living.Path()).filename().string(),
                                    fs::path(cut + ".kept").filename().string()};
      for (std::size_t i = 0; i < users.size(); ++i) {
        EXPECT_TRUE(!users[i].empty() && fs::exists(users[i])) << kUsersFiles[i].name << " was removed";
        kept.push_back(fs::path(users[i]).filename().string());
      }
      std::vector<std::string> left = Others(folder_, row.base);
      std::sort(left.begin(), left.end());
      std::sort(kept.begin(), kept.end());
      EXPECT_EQ(left, kept) << "a temporary file was left";
    }
  }
}


void KeepWarnings(Host::UserMessage kind, const std::string& text, void* shown) {
  if (kind == Host::UserMessage::kWarning) static_cast<std::vector<std::string>*>(shown)->push_back(text);
}

// ---- every writer: its temporary file put out of its reach by whoever may write the folder ----

// What is put at the temporary path when the writer reaches a step between
// the file's creation and its rename.
enum class Swap { kLinkToAnother, kAnotherFile, kHardLink };
struct Swapping {
  Swap swap = Swap::kLinkToAnother;
  const char* step = "";
  fs::path mine;   // a file of the user's own, in a folder of theirs
  fs::path aside;  // the second link's name, or where the writer's file is moved
};
Swapping gSwapping;

void SwapAtStep(const char* step, const std::string& temporary) {
  if (std::string(step) != gSwapping.step) return;
  if (gSwapping.swap == Swap::kHardLink) {
    ::link(temporary.c_str(), gSwapping.aside.c_str());
    return;
  }
  // Moved, not removed: the writer's file still has its one link.
  ::rename(temporary.c_str(), gSwapping.aside.c_str());
  if (gSwapping.swap == Swap::kLinkToAnother) {
    ::symlink(gSwapping.mine.c_str(), temporary.c_str());
  } else {
    std::ofstream(temporary, std::ios::binary) << "theirs\n";
    ::chmod(temporary.c_str(), 0600);
  }
}

TEST_F(EveryWriter, AWriteWhoseTemporaryFileWasReplacedFailsAndChangesNothing) {
  struct Row {
    const char* name;
    Swap swap;
    const char* step;
    ::mode_t otherMode;      // the file put there (for a hard link: the linked one) afterwards
    const char* otherHolds;  // null: what the writer wrote
  };
  const Row rows[] = {
      {"link to another file, once made", Swap::kLinkToAnother, "made", 0600, "mine\n"},
      {"link to another file, once written", Swap::kLinkToAnother, "written", 0600, "mine\n"},
      {"link to another file, given its mode", Swap::kLinkToAnother, "final mode", 0600, "mine\n"},
      {"another file, once made", Swap::kAnotherFile, "made", 0600, "theirs\n"},
      {"another file, once written", Swap::kAnotherFile, "written", 0600, "theirs\n"},
      {"another file, given its mode", Swap::kAnotherFile, "final mode", 0600, "theirs\n"},
      {"hard link, once made", Swap::kHardLink, "made", 0600, nullptr},
      {"hard link, once written", Swap::kHardLink, "written", 0600, nullptr},
      // Linked once it is given the output's mode: that mode it keeps.
      {"hard link, given its mode", Swap::kHardLink, "final mode", 0644, nullptr},
  };
  std::vector<std::string> shown;
  Host::SetUserMessageSink(&KeepWarnings, &shown);
  const std::string name = In("sizes.hsd");
  for (const Writer& writer : kWriters) {
    if (!writer.replaces) continue;
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
      Fresh();
      std::ofstream(name, std::ios::binary) << "old\n";
      ::chmod(name.c_str(), 0644);
      fs::create_directories(folder_ / "private");
      ::chmod((folder_ / "private").c_str(), 0700);
      gSwapping = {row.swap, row.step, folder_ / "private" / "mine.txt", folder_ / "aside"};
      std::ofstream(gSwapping.mine, std::ios::binary) << "mine\n";
      ::chmod(gSwapping.mine.c_str(), 0600);
      Files::SetTemporaryStepForTests(&SwapAtStep);
      errno = 0;
      shown.clear();
      const int status = writer.write(name, false);
      const int error = errno;
      Files::SetTemporaryStepForTests(nullptr);
      EXPECT_NE(status, 0);
      EXPECT_EQ(Files::WhyFailed(error), "its temporary file was replaced by another file");
      EXPECT_EQ(FileText(name), "old\n");
      struct stat info {};
      ASSERT_EQ(::lstat(name.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, 0644u);
      ASSERT_EQ(::stat(gSwapping.mine.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, 0600u);
      EXPECT_EQ(FileText(gSwapping.mine), "mine\n");
      // What was put at the temporary path stays as it was put there.
      fs::path other = gSwapping.aside;
      if (row.swap != Swap::kHardLink) {
        for (const std::string& left : Others(folder_, "sizes.hsd"))
          if (left.rfind("sizes.hsd.tmp-", 0) == 0) other = folder_ / left;
        EXPECT_EQ(Kind(other), row.swap == Swap::kLinkToAnother ? "link to " + gSwapping.mine.string() : "file");
      }
      ASSERT_EQ(::stat(other.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, row.otherMode);
      if (row.otherHolds != nullptr) {
        EXPECT_EQ(FileText(other), row.otherHolds);
      }
      // The motion files' writer goes on without its file: the user is told.
      if (writer.write == kWriters[3].write) {
        EXPECT_EQ(shown, std::vector<std::string>{"841407 " + name +
                                                  ": the file could not be written (its temporary file was replaced "
                                                  "by another file): the older file is as it was"});
      }
    }
  }
}

// A file of the user's, "mine\n" with mode 0600 in a folder of theirs: what
// another process aims a link at.
fs::path PrivateFile(const fs::path& folder) {
  fs::create_directories(folder / "private");
  const fs::path mine = folder / "private" / "mine.txt";
  std::ofstream(mine, std::ios::binary) << "mine\n";
  ::chmod(mine.c_str(), 0600);
  return mine;
}

// A write made while `hook` acts at its steps: its status and errno.
std::pair<int, int> WriteWithHook(const Writer& writer, const std::string& name, Files::TemporaryStepForTests hook) {
  Files::SetTemporaryStepForTests(hook);
  errno = 0;
  const int status = writer.write(name, false);
  const int error = errno;
  Files::SetTemporaryStepForTests(nullptr);
  return {status, error};
}

// Put there after the last check, it takes the name in the rename (no
// rename by path shuts that out): the write still fails, with its reason,
// and the file the link reaches is neither written nor given a mode.
TEST_F(EveryWriter, ATemporaryFileReplacedAfterItsLastCheckIsNoSuccess) {
  const std::string name = In("sizes.hsd");
  std::vector<std::string> shown;
  Host::SetUserMessageSink(&KeepWarnings, &shown);
  for (const Writer& writer : kWriters) {
    if (!writer.replaces) continue;
    for (Swap swap : {Swap::kLinkToAnother, Swap::kAnotherFile}) {
      SCOPED_TRACE(std::string(writer.name) + (swap == Swap::kAnotherFile ? ", another file" : ", a link"));
      Fresh();
      std::ofstream(name, std::ios::binary) << "old\n";
      gSwapping = {swap, "checked", PrivateFile(folder_), folder_ / "aside"};
      shown.clear();
      const auto [status, error] = WriteWithHook(writer, name, &SwapAtStep);
      EXPECT_NE(status, 0);
      EXPECT_EQ(Files::WhyFailed(error), "its temporary file was replaced by another file as it was renamed");
      struct stat info {};
      ASSERT_EQ(::stat(gSwapping.mine.c_str(), &info), 0);
      EXPECT_EQ(info.st_mode & 07777, 0600u);
      EXPECT_EQ(FileText(gSwapping.mine), "mine\n");
      // The motion files' writer says what became of the name: not the
      // older file kept, nor what stands there now as if the user had named it.
      if (writer.write == kWriters[3].write) {
        EXPECT_EQ(shown, std::vector<std::string>{"841407 " + name +
                                                  ": the file could not be written (its temporary file was replaced "
                                                  "by another file as it was renamed): the name now holds the file "
                                                  "that other process put there"});
      }
    }
  }
}

// What was at the output's name when its temporary file was made is where
// the rename goes, and only while it is still there: a link, another
// regular file or a folder link another process put on the way later is
// neither followed nor replaced, whatever step of the write it came at.
// The name written is folder/sub/NAME, sub a folder of the user's; the
// private file is folder/private/mine.txt.
enum class NameSwapped { kLinkAtTheName, kFileAtTheName, kFileAtTheLinksTarget, kFolderForALink };
struct NameSwap {
  NameSwapped what;
  const char* step;
  fs::path folder, mine;
};
NameSwap gNameSwap;
void SwapNameAtStep(const char* step, const std::string&) {
  if (std::string(step) != gNameSwap.step) return;
  const fs::path sub = gNameSwap.folder / "sub", aside = gNameSwap.folder / "aside";
  switch (gNameSwap.what) {
    case NameSwapped::kLinkAtTheName:
      ::rename((sub / "mine.txt").c_str(), aside.c_str());
      ::symlink(gNameSwap.mine.c_str(), (sub / "mine.txt").c_str());
      break;
    case NameSwapped::kFileAtTheName:
    case NameSwapped::kFileAtTheLinksTarget:
      std::ofstream(aside, std::ios::binary) << "theirs\n";
      ::rename(aside.c_str(), (sub / (gNameSwap.what == NameSwapped::kFileAtTheName ? "mine.txt" : "target")).c_str());
      break;
    case NameSwapped::kFolderForALink:
      ::rename(sub.c_str(), aside.c_str());
      ::symlink(gNameSwap.mine.parent_path().c_str(), sub.c_str());
      break;
  }
}

TEST_F(EveryWriter, AWriteWhoseNameWasChangedMeanwhileFailsAndFollowsNothing) {
  std::vector<std::string> shown;
  Host::SetUserMessageSink(&KeepWarnings, &shown);
  struct Row {
    const char* name;
    NameSwapped what;
    // What stands at sub/mine.txt afterwards, and what the name first held
    // holds then (the link's target, the older file moved aside).
    const char* kind;
    const char* heldAt;
    const char* holds;
  };
  const Row rows[] = {
      {"a link to the private file put at the name", NameSwapped::kLinkAtTheName, "link", "aside", "old\n"},
      {"another file renamed onto the name", NameSwapped::kFileAtTheName, "file", "sub/mine.txt", "theirs\n"},
      {"another file renamed onto an unchanged link's target", NameSwapped::kFileAtTheLinksTarget,
       "link to target", "sub/target", "theirs\n"},
      {"the folder on the way swapped for a link to the private folder", NameSwapped::kFolderForALink, "file",
       "aside/mine.txt", "old\n"},
  };
  for (const Writer& writer : kWriters) {
    if (!writer.replaces) continue;
    for (const Row& row : rows) {
      for (const char* step : {"made", "written", "final mode", "checked"}) {
        SCOPED_TRACE(std::string(writer.name) + ", " + row.name + ", at " + step);
        Fresh();
        const fs::path sub = folder_ / "sub", name = sub / "mine.txt";
        fs::create_directories(sub);
        const bool link = row.what == NameSwapped::kFileAtTheLinksTarget;
        std::ofstream(link ? sub / "target" : name, std::ios::binary) << "old\n";
        if (link) fs::create_symlink("target", name);
        gNameSwap = {row.what, step, folder_, PrivateFile(folder_)};
        shown.clear();
        const auto [status, error] = WriteWithHook(writer, name.string(), &SwapNameAtStep);
        EXPECT_NE(status, 0);
        EXPECT_EQ(Files::WhyFailed(error), "its name was changed by another process while it was written");
        struct stat info {};
        ASSERT_EQ(::stat(gNameSwap.mine.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        EXPECT_EQ(FileText(gNameSwap.mine), "mine\n");
        const std::string kind = Kind(name);
        EXPECT_EQ(kind.substr(0, std::string(row.kind).size()), row.kind);
        EXPECT_EQ(FileText(folder_ / row.heldAt), row.holds);
        EXPECT_EQ(Temporaries(folder_), std::vector<std::string>{}) << "a temporary file was left";
        if (writer.write == kWriters[2].write || writer.write == kWriters[3].write) {
          EXPECT_EQ(shown, std::vector<std::string>{"841407 " + name.string() +
                                                    ": the file could not be written (its name was changed by "
                                                    "another process while it was written): nothing at the name was "
                                                    "followed or changed"});
        }
      }
    }
  }
}

// A link in a folder others may write is followed only when it is the
// running user's or the folder owner's, wherever it stands on the way: the
// name itself, a folder of its path, a link of a chain (the suite runs as
// root; uid 65534 is another user).
TEST_F(EveryWriter, ALinkAnotherUserPutInASharedFolderIsNotFollowed) {
  constexpr uid_t kOther = 65534;
  if (::geteuid() != 0) GTEST_SKIP() << stamvik_test::NeedsRoot("gives files to another user");
  // Where the link in the shared folder stands: at the name written
  // (shared/out.stp, to the private file), as a folder of its path
  // (shared/sub, to the private folder), reached through the user's own
  // link own/out to shared/sub/mine.txt, or second in a chain (own/out to
  // shared/out.stp, to the private file).
  enum class Way { kAtTheName, kFolderOnTheWay, kOwnLinkToTheWay, kSecondOfAChain };
  struct Row {
    const char* name;
    ::mode_t folderMode;
    uid_t folderOwner, linkOwner;
    bool followed;
    Way way = Way::kAtTheName;
  };
  const Row rows[] = {
      {"another user's, in a folder all may write", 0777, 0, kOther, false},
      {"another user's, in a folder its group may write", 0770, 0, kOther, false},
      {"another user's, in a folder only its owner writes", 0755, 0, kOther, true},
      {"the user's own, in a folder all may write", 0777, 0, 0, true},
      {"the folder owner's, in a folder all may write", 0777, kOther, kOther, true},
      {"another user's folder link, in a folder all may write", 0777, 0, kOther, false, Way::kFolderOnTheWay},
      {"another user's folder link, in a folder its group may write", 0770, 0, kOther, false, Way::kFolderOnTheWay},
      {"the user's own folder link, in a folder all may write", 0777, 0, 0, true, Way::kFolderOnTheWay},
      {"the folder owner's folder link, in a folder all may write", 0777, kOther, kOther, true,
       Way::kFolderOnTheWay},
      {"the user's own link through another user's folder link", 0777, 0, kOther, false, Way::kOwnLinkToTheWay},
      {"the user's own link to the user's own folder link", 0777, 0, 0, true, Way::kOwnLinkToTheWay},
      {"another user's link second in a chain", 0777, 0, kOther, false, Way::kSecondOfAChain},
      {"the folder owner's link second in a chain", 0777, kOther, kOther, true, Way::kSecondOfAChain},
  };
  for (const Writer& writer : kWriters) {
    if (!writer.replaces) continue;
    for (const Row& row : rows) {
      SCOPED_TRACE(std::string(writer.name) + ", " + row.name);
      Fresh();
      const fs::path shared = stamvik_test::OpenChild(folder_, "shared", row.folderMode), mine = PrivateFile(folder_),
                     own = folder_ / "own";
      fs::create_directories(own);
      const bool toFolder = row.way == Way::kFolderOnTheWay || row.way == Way::kOwnLinkToTheWay;
      // The link in the shared folder, and what it links to.
      const fs::path link = shared / (toFolder ? "sub" : "out.stp"), to = toFolder ? mine.parent_path() : mine;
      fs::create_symlink(to, link);
      ASSERT_EQ(::lchown(link.c_str(), row.linkOwner, row.linkOwner), 0);
      ASSERT_EQ(::chown(shared.c_str(), row.folderOwner, row.folderOwner), 0);
      fs::path name = row.way == Way::kFolderOnTheWay ? link / "mine.txt" : link;
      if (row.way == Way::kOwnLinkToTheWay || row.way == Way::kSecondOfAChain) {
        fs::create_symlink(row.way == Way::kOwnLinkToTheWay ? link / "mine.txt" : link, own / "out");
        name = own / "out";
      }
      const std::string why = Files::WhyNoPlaceForAFile(name.string());
      EXPECT_EQ(writer.write(name.string(), false) == 0, row.followed);
      EXPECT_EQ(Kind(link), "link to " + to.string());
      struct stat info {};
      ASSERT_EQ(::stat(mine.c_str(), &info), 0);
      if (row.followed) {
        EXPECT_EQ(why, "");
        EXPECT_NE(FileText(mine), "mine\n");
      } else {
        // Named by the link that broke the rule, not the first one met.
        const std::string rule =
            "a symbolic link owned by nobody (uid 65534) in a folder other users may write, which is not followed";
        EXPECT_EQ(why, row.way == Way::kAtTheName ? "is " + rule : "leads through " + link.string() + ", " + rule);
        EXPECT_EQ(FileText(mine), "mine\n");
        // The writers a play's outputs use: told as their walk refused it,
        // though the link was taken away since.
        if (writer.write == kWriters[5].write || writer.write == kWriters[6].write) {
          errno = 0;
          EXPECT_NE(writer.write(name.string(), false), 0);
          const int error = errno;
          fs::remove(link);
          EXPECT_EQ(Files::WhyNotWritten(name.string(), error), why);
        }
        EXPECT_EQ(info.st_mode & 07777, 0600u);
        EXPECT_EQ(Temporaries(folder_), std::vector<std::string>{}) << "a temporary file was left";
      }
    }
  }
}

// A write that fails after its temporary file was replaced removes nothing
// that was put there; only its own file, under its own name, goes.
TEST_F(EveryWriter, AFailedWriteLeavesWhatWasPutInPlaceOfItsTemporaryFile) {
  struct Row {
    const char* name;
    Swap swap;
    std::vector<std::string> left;  // beside the older file, sorted ("tmp": the temporary name)
  };
  const Row rows[] = {
      {"link to another file", Swap::kLinkToAnother, {"aside", "private", "tmp"}},
      {"another file", Swap::kAnotherFile, {"aside", "private", "tmp"}},
      {"hard link", Swap::kHardLink, {"aside", "private"}},
  };
  const std::string name = In("part.stp");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Fresh();
    std::ofstream(name, std::ios::binary) << "old\n";
    fs::create_directories(folder_ / "private");
    gSwapping = {row.swap, "made", folder_ / "private" / "mine.txt", folder_ / "aside"};
    std::ofstream(gSwapping.mine, std::ios::binary) << "mine\n";
    Files::SetTemporaryStepForTests(&SwapAtStep);
    KTX::Kernel::SetStepWriterForTests(&Refuses);
    EXPECT_EQ(KTX::Kernel::WriteStep({gStepBody}, name), ZV_ERROR_geometry);
    KTX::Kernel::SetStepWriterForTests(nullptr);
    Files::SetTemporaryStepForTests(nullptr);
    EXPECT_EQ(FileText(name), "old\n");
    EXPECT_EQ(FileText(gSwapping.mine), "mine\n");
    std::vector<std::string> left;
    for (const std::string& other : Others(folder_, "part.stp"))
      left.push_back(other.rfind("part.stp.tmp-", 0) == 0 ? "tmp" : other);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, row.left);
  }
}

// A warning shows its number with the text it was given, else the message
// table's; a number the table has no text for stands alone, with nothing
// after it. A table text that takes values shows those its own number was
// last handed back with, never another number's, and "?" for each while it
// has none: never a bare conversion.
TEST_F(EveryWriter, AWarningShowsItsNumberWithATextOnlyWhereThereIsOne) {
  Error::ClearSevereErrors();
  std::vector<std::string> shown;
  Host::SetUserMessageSink(&KeepWarnings, &shown);
  Host::ShowWarning(841407, "given");
  Host::ShowWarning(841407, "");
  Host::ShowWarning(9999999, "");
  Host::ShowWarning(3770413, "");
  ERROR_severe("test", 1, 3770414, "The steering wheel diameter must lie between %.1f and %.1f %s.", 0.0, 450.0, "mm");
  ERROR_severe("test", 2, 3770420, "The AHP height must lie between %.2f and %.2f %s (H30 from %.2f to %.2f %s).", 1.0,
               2.0, "mm", 3.0, 4.0, "mm");
  Host::ShowWarning(3770414, "");
  Host::ShowWarning(3770421, "");
  const std::string wheel = "3770414 The steering wheel diameter must lie between 0.0 and 450.0 mm.";
  EXPECT_EQ(shown, (std::vector<std::string>{
                       "841407 given",
                       "841407 the file could not be written: the older file is as it was",
                       "9999999",
                       "3770413 The steering wheel diameter must be above ? ?.",
                       wheel,
                       "3770420 The AHP height must lie between 1.00 and 2.00 mm (H30 from 3.00 to 4.00 mm).",
                       wheel,
                       "3770421 The AHP height lies outside ? to ? ? (H30 from ? to ? ?); out-of-range values are allowed.",
                   }));
  Error::ClearSevereErrors();
}

// Runs `write` as a player who is not root (root reads every file): as is
// when the suite is not root, else in a child as uid 65534, whose warnings
// are shown again here. What `write` answers; nothing where root cannot
// become another user (said).
std::optional<bool> AsAPlayerNotRoot(bool (*write)(const std::string& name), const std::string& name) {
  if (::geteuid() != 0) return write(name);
  // The scratch folder opened for the player to pass while it writes, and
  // closed again before the test looks at what is there.
  const stamvik_test::OpenedToPass passage(name);
  int pipe[2];
  if (::pipe(pipe) != 0) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(pipe[0]);
    if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
      ::_exit(3);
    // A TMPDIR under a folder only root may enter (one made by mkdtemp) keeps the
    // player out of the name's folder before the write could say why.
    if (::access(fs::path(name).parent_path().c_str(), X_OK) != 0) ::_exit(5);
    Host::SetUserMessageSink(
        [](Host::UserMessage kind, const std::string& text, void* to) {
          if (kind != Host::UserMessage::kWarning) return;
          const std::string line = text + "\n";
          if (::write(*static_cast<int*>(to), line.data(), line.size()) < 0) ::_exit(4);
        },
        &pipe[1]);
    ::_exit(write(name) ? 0 : 1);
  }
  ::close(pipe[1]);
  std::string shown;
  char block[4096];
  for (ssize_t n; (n = ::read(pipe[0], block, sizeof block)) > 0;) shown.append(block, static_cast<std::size_t>(n));
  ::close(pipe[0]);
  int status = -1;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 3) {
    stamvik_test::SkipRow(name, "root cannot become uid 65534 here");
    return std::nullopt;
  }
  if (child > 0 && WIFEXITED(status) && WEXITSTATUS(status) == 5) {
    stamvik_test::SkipRow(name, "uid 65534 cannot reach its folder (a folder on the way is closed to others)");
    return std::nullopt;
  }
  if (child < 0 || !WIFEXITED(status) || WEXITSTATUS(status) > 1) {
    ADD_FAILURE() << "the player's child ended with status " << status;
    return false;
  }
  std::istringstream lines(shown);
  for (std::string line; std::getline(lines, line);) Host::ShowUser(Host::UserMessage::kWarning, line);
  return WEXITSTATUS(status) == 0;
}

TEST_F(EveryWriter, AMotionOrTireEnvelopeDataFileThatCannotBeWrittenIsShownAsAWarning) {
  std::vector<std::string> shown;
  Host::SetUserMessageSink(&KeepWarnings, &shown);
  struct Row {
    const char* name;
    // Writes a file it cannot write; its name.
    std::string (*write)(const fs::path& folder);
    const char* why;
    const char* after = "the older file is as it was";
  };
  const Row rows[] = {
      {"a motion file, opened in no folder",
       [](const fs::path& folder) {
         const std::string name = (folder / "missing" / "spindle_file.txt").string();
         EXPECT_EQ(System::SYSS_fopen(name.c_str(), "wt"), nullptr);
         return name;
       },
       "no directory FOLDER/missing"},
      {"a motion file, a folder in the way of its rename",
       [](const fs::path& folder) {
         const fs::path name = folder / "spindle_file.txt";
         fs::create_directories(name / "inside");
         std::FILE* file = System::SYSS_fopen(name.c_str(), "wt");
         EXPECT_NE(System::SYSS_fclose(file), 0);
         return name.string();
       },
       "Is a directory"},
      {"a motion file, its name taken by a folder while it was written",
       [](const fs::path& folder) {
         const fs::path name = folder / "spindle_file.txt";
         std::FILE* file = System::SYSS_fopen(name.c_str(), "wt");
         fs::create_directories(name / "inside");
         EXPECT_NE(System::SYSS_fclose(file), 0);
         return name.string();
       },
       "its name was changed by another process while it was written",
       "nothing at the name was followed or changed"},
      {"the tire envelope's data file, in no folder",
       [](const fs::path& folder) {
         const char* given = std::getenv("QDEN_TMP_DIR");
         const std::string before = given != nullptr ? given : "";
         ::setenv("QDEN_TMP_DIR", (folder / "missing").c_str(), 1);
         char name[257] = "";
         EXPECT_EQ(TIREENV_write_strings_into_data_file(0, nullptr, name), -1);
         if (given != nullptr)
           ::setenv("QDEN_TMP_DIR", before.c_str(), 1);
         else
           ::unsetenv("QDEN_TMP_DIR");
         // Numbered by the host: the number is not the test's to know.
         return (folder / "missing" / "tireenv_data_").string() + "*";
       },
       "no directory FOLDER/missing"},
      {"the design position's file, a FIFO at its name",
       [](const fs::path& folder) {
         std::ofstream(folder / "trace.txt", std::ios::binary) << "0 0 0 1 1 1\n";
         const fs::path name = folder / "trace_design_position.txt";
         ::mkfifo(name.c_str(), 0644);
         char design[257] = "";
         double a[3], b[3];
         EXPECT_EQ(TIREENV_create_spindle_file_design_position((folder / "trace.txt").c_str(), design, a, b), -1);
         EXPECT_EQ(Kind(name), "fifo");
         return name.string();
       },
       "is a FIFO, not a regular file"},
      // Its name, the trace's with "_design_position" put in, one byte past
      // the host's 256: the tire body made from it is not made.
      {"the design position's file, its name too long",
       [](const fs::path& folder) {
         const std::string base = (folder / "").string(), tail = "_design_position.txt";
         const std::string stem = std::string(257 - base.size() - tail.size(), 't');
         std::ofstream(folder / (stem + ".txt"), std::ios::binary) << "0 0 0 1 1 1\n";
         char design[257] = "unchanged";
         double a[3], b[3];
         EXPECT_EQ(TIREENV_create_spindle_file_design_position((folder / (stem + ".txt")).c_str(), design, a, b), -1);
         EXPECT_STREQ(design, "");
         return base + stem + tail;
       },
       "File name too long"},
      // The player may write the older file but not read it: appended to,
      // its lines would be lost.
      {"a motion file appended to, its older file write-only",
       [](const fs::path& folder) {
         const fs::path name = folder / "spindle_file.txt";
         std::ofstream(name, std::ios::binary) << "older lines\n";
         ::chmod(name.c_str(), 0200);
         for (const fs::path& made : {folder, name}) {
           if (::geteuid() == 0) {
             EXPECT_EQ(::chown(made.c_str(), 65534, 65534), 0);
           }
         }
         const std::optional<bool> opened = AsAPlayerNotRoot(
             [](const std::string& at) { return System::SYSS_fopen(at.c_str(), "at") != nullptr; }, name.string());
         if (!opened) return std::string();
         EXPECT_FALSE(*opened);
         struct stat info {};
         EXPECT_EQ(::stat(name.c_str(), &info), 0);
         EXPECT_EQ(info.st_mode & 07777, 0200u);
         // Read back by its owner, as any user but root may only once it is
         // readable again.
         // Looked at with lstat first: the folder was the player's.
         EXPECT_EQ(stamvik_test::FileMode(name, 0600), 0);
         EXPECT_EQ(stamvik_test::OwnFileText(name), "older lines\n");
         EXPECT_EQ(Others(folder, "spindle_file.txt"), std::vector<std::string>{}) << "a temporary file was left";
         return name.string();
       },
       "its older file, to be appended to, could not be read: Permission denied"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Fresh();
    shown.clear();
    const std::string name = row.write(folder_);
    if (name.empty()) continue;  // not to be played here (said)
    EXPECT_EQ(shown.size(), 1u);
    if (shown.size() != 1) continue;
    std::string named = name;
    if (named.back() == '*') {
      named.pop_back();
      const std::size_t number = 7 + named.size();
      EXPECT_EQ(shown[0].substr(0, number), "841407 " + named);
      named += shown[0].substr(number, shown[0].find(".txt: ") + 4 - number);
    }
    std::string why = row.why;
    if (why.find("FOLDER") != std::string::npos) why.replace(why.find("FOLDER"), 6, folder_.string());
    EXPECT_EQ(shown[0], "841407 " + named + ": the file could not be written (" + why + "): " + row.after);
  }
}

}  // namespace
