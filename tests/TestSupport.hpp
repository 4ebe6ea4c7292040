// Shared set-up of the test suites: a fresh part per test, the host's call
// log cleared, and the host's counters checked back to where they started.
#pragma once
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

// Built under AddressSanitizer, by g++ or by clang: memory comes from the
// sanitizer's allocator, block by block, and faults end the process its way.
#if defined(__SANITIZE_ADDRESS__)
#define STAMVIK_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define STAMVIK_ASAN 1
#endif
#endif

#include "Scratch.hpp"
#include "afl/DieEngParms.hpp"
#include "feat/Builder.hpp"
#include "kernel/Kernel.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "om/ObjectManager.hpp"
#include "pref/SessionInterfaces.hpp"
#include "sys/Abort.hpp"
#include "sys/CallLog.hpp"
#include "sys/Error.hpp"
#include "sys/Memory.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

namespace stamvik_test {

// Skips a row that cannot run here, saying which and why: the test goes on
// with its other rows, and ends skipped (GoogleTest's skip, which ctest's
// summary counts) unless one of them fails. A row left out in silence would
// pass.
inline void SkipRow(const std::string& row, const std::string& why) { GTEST_SKIP() << row << " (" << why << ")"; }

// Why a row only root can run is skipped: tools/test-all counts the cases
// that skipped rows so, and says so at the end of its run.
inline std::string NeedsRoot(const std::string& what) { return "needs root: " + what; }

// Each draw-bead segment's start and end as a printed part gives them, "s e | s e".
inline std::string SegmentPositions(const std::string& printed) {
  std::string out;
  std::istringstream lines(printed);
  for (std::string line; std::getline(lines, line);)
    if (const std::size_t at = line.find(" entity 3 expressions "); line.starts_with("  segment ") && at != std::string::npos)
      out += (out.empty() ? "" : " | ") + line.substr(at + 22);
  return out;
}

// A folder of the test's own in the temporary folder (Scratch.hpp). One that
// cannot be made stops the program, saying why: a test going on without it
// would write its files by names joined to an empty one, where nothing of
// the test's belongs.
// No other user may enter it (mode 0700, as mkdtemp made it): a test that
// opened it to others (ever so little) fails when it goes, for another user
// could then have reached what the test made in it by name.
class ScratchFolder : public stamvik_scratch::Folder {
 public:
  explicit ScratchFolder(const std::string& stem) : Folder(stem) {
    if (!Path().empty()) return;
    ADD_FAILURE() << Error();
    std::fflush(stdout);
    std::abort();
  }
  ~ScratchFolder() {
    struct stat info {};
    if (::lstat(Path().c_str(), &info) != 0) return;
    EXPECT_TRUE(S_ISDIR(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) == 0700)
        << "the scratch folder " << Path().string() << " was left with mode 0" << std::oct << (info.st_mode & 07777)
        << std::dec << ", uid " << info.st_uid << ": only a folder made inside it (OpenChild) may be opened to others";
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
};

// Whether `folder` and the folders above it up to one that no other user
// may enter (a ScratchFolder) are the caller's: whether no other user can
// reach it at all, whatever the modes below that one.
inline bool ClosedToOthers(const std::filesystem::path& folder) {
  for (std::filesystem::path at = folder; !at.empty(); at = at.parent_path()) {
    struct stat info {};
    if (::lstat(at.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != ::geteuid()) return false;
    if ((info.st_mode & 077) == 0) return true;
    if (at == at.parent_path()) return false;
  }
  return false;
}

// A folder made for a row, fresh, inside folders no other user can reach
// (a ScratchFolder), and only then given `mode` (one others may write, a
// sticky one): the one way a test opens a folder to others
// (tools/check-scratch). Nobody else can have put anything in it before the
// test, nor reach what the test puts in it afterwards. A parent that others
// can reach, or a name already taken, fails the test and opens nothing.
inline std::filesystem::path OpenChild(const std::filesystem::path& parent, const std::string& name, mode_t mode) {
  const std::filesystem::path child = parent / name;
  if (!ClosedToOthers(parent)) {
    ADD_FAILURE() << "a folder to open to others is made only inside a scratch folder no other user can reach, not in "
                  << parent.string();
    return child;
  }
  if (::mkdir(child.c_str(), 0700) != 0) {
    ADD_FAILURE() << "cannot make " << child.string() << " afresh: " << std::strerror(errno);
    return child;
  }
  ::chmod(child.c_str(), mode);
  return child;
}

// Gives a file of the test's `mode` (one others may write, a set-id bit): a
// regular file only, never what a link at its name leads to. What chmod
// answers (-1, EINVAL: no regular file there).
inline int FileMode(const std::filesystem::path& file, mode_t mode) {
  struct stat info {};
  if (::lstat(file.c_str(), &info) != 0) return -1;
  if (!S_ISREG(info.st_mode)) {
    errno = EINVAL;
    return -1;
  }
  return ::chmod(file.c_str(), mode);
}

// The whole text of a regular file of the test's, looked at with lstat
// first: what stands at a name another user may have reached is not read
// through a link, nor waited on as a FIFO; what is no regular file reads as
// "(not a regular file)".
inline std::string OwnFileText(const std::filesystem::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  struct stat info {};
  if (fd < 0 || ::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    if (fd >= 0) ::close(fd);
    return "(not a regular file)";
  }
  std::string text;
  char block[8192];
  for (ssize_t n; (n = ::read(fd, block, sizeof block)) > 0;) text.append(block, static_cast<std::size_t>(n));
  ::close(fd);
  return text;
}

// The folders above `path` that no other user may pass (a ScratchFolder,
// 0700), opened for that user to pass only (0711: nothing listed, nothing
// written) while a run of another user's needs to reach `path`, and closed
// again when the object goes, before the test looks at what that run left
// (OwnFileText). Reaches() says whether uid 65534 then gets there: a TMPDIR
// under a folder only its owner may enter keeps it out.
class OpenedToPass {
 public:
  explicit OpenedToPass(const std::filesystem::path& path) {
    for (std::filesystem::path at = path.parent_path(); !at.empty() && at != at.parent_path(); at = at.parent_path()) {
      struct stat info {};
      if (::lstat(at.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) break;
      if (info.st_uid != ::geteuid()) continue;  // another user's own, below the scratch folder
      if ((info.st_mode & 01) == 0) {
        opened_.push_back({at, info.st_mode & 07777});
        ::chmod(at.c_str(), (info.st_mode & 07777) | 011);
      }
      // The scratch folder is the last: what lies above it is not the test's.
      if ((info.st_mode & 077) == 0) break;
    }
  }
  ~OpenedToPass() {
    for (const auto& [at, mode] : opened_) ::chmod(at.c_str(), mode);
  }
  OpenedToPass(const OpenedToPass&) = delete;
  OpenedToPass& operator=(const OpenedToPass&) = delete;

  // Whether uid 65534 can pass every folder to `path` (asked of a child that
  // becomes that user; false where root cannot become it).
  static bool Reaches(const std::filesystem::path& path) {
    const pid_t child = ::fork();
    if (child == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
        ::_exit(2);
      ::_exit(::access(path.c_str(), F_OK) == 0 ? 0 : 1);
    }
    int status = -1;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }

 private:
  std::vector<std::pair<std::filesystem::path, mode_t>> opened_;
};

// A folder of the process's own, made when a test first asks, for the
// files and folders its tests name themselves; it goes at the process's end.
inline const ScratchFolder& ProcessScratch() {
  static const ScratchFolder folder("stamvik-");
  return folder;
}

// A user who is not the caller, for the rows where another user owns a link
// or a file: nobody (uid 65534), unless the caller is nobody.
inline uid_t OtherUser() { return ::geteuid() == 65534 ? 65533 : 65534; }

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    KTX::Host::ClearCalls();
    KTX::Host::ClearAnswers();
    KTX::Abort::SetOnFromQuery(0);
    KTX::Error::ClearSevereErrors();
    memoryBefore_ = KTX::Memory::LiveCounters();
    objectsBefore_ = KTX::OM::OM_live_objects();
    kernelBefore_ = KTX::Kernel::LiveCounters();
    part_ = KTX::PART_part::Create(0);
    KTX::PART_set_work_part(part_);
  }

  void TearDown() override {
    if (part_ != nullptr) part_->destroy();
    KTX::PART_set_work_part(nullptr);
    EXPECT_EQ(KTX::OM::OM_live_objects(), objectsBefore_) << "host objects left alive";
    KTX::Memory::Counters now = KTX::Memory::LiveCounters();
    EXPECT_EQ(now.blocks, memoryBefore_.blocks) << "host memory blocks leaked";
    EXPECT_EQ(now.objects, memoryBefore_.objects) << "host class objects leaked";
    EXPECT_EQ(now.badFrees, memoryBefore_.badFrees) << "memory freed twice or never allocated";
    KTX::Kernel::Counters kernel = KTX::Kernel::LiveCounters();
    EXPECT_EQ(kernel.liveBodies, kernelBefore_.liveBodies) << "kernel bodies left alive";
    EXPECT_EQ(kernel.deleteErrors - kernelBefore_.deleteErrors, expectedKernelDeleteErrors_)
        << "kernel bodies deleted twice, or never made";
  }

  KTX::PART_part* part() const { return part_; }
  // A test that provokes kernel deletion errors on purpose says how many.
  void ExpectKernelDeleteErrors(int count) { expectedKernelDeleteErrors_ = count; }
  KTX::CM_part* modelPart() const { return part_->ModelPart(); }

  // The raised host error's message number, or 0 when nothing was raised.
  template <class F>
  static int RaisedCode(F&& f) {
    try {
      f();
    } catch (const KTX::Error::Exception& e) {
      return e.askCode();
    }
    return 0;
  }

 private:
  KTX::PART_part* part_ = nullptr;
  KTX::Memory::Counters memoryBefore_{};
  int objectsBefore_ = 0;
  KTX::Kernel::Counters kernelBefore_{};
  int expectedKernelDeleteErrors_ = 0;
};

// A suite of builders that use the session's scripting interfaces and the
// modelling values the host keeps: each test starts with the session's
// interfaces as new and leaves them, the kept values and the customer
// defaults as it found them.
class SessionHostTest : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    KTX::Host::ResetSessionInterfaces();
  }
  void TearDown() override {
    KTX::Host::ResetSessionInterfaces();
    KTX::Host::ClearCustomerDefaults();
    KTX::Host::ForgetModelingValues();
    KTX::Host::ForgetRoughOffsets();
    HostTest::TearDown();
  }
};

// An undo mark (visible, unnamed), checked to be set without error.
inline int UndoMark() {
  int error = -1;
  const int mark = UNDO_QD_set_mark(1, nullptr, &error);
  EXPECT_EQ(error, 0);
  return mark;
}

// A scripting member of builder class B and the builder's own accessor it
// must reach: its name, its getter, its setter where it has one, the field.
template <class B, class T>
struct MemberRow {
  const char* name;
  int (*get)(B*, T*);
  T (B::*field)() const;
};
template <class B, class T>
struct SettableMemberRow {
  const char* name;
  int (*get)(B*, T*);
  int (*set)(B*, T);
  T (B::*field)() const;
};

// Each member's getter hands out the builder's own field.
template <class B, class T, std::size_t N>
void ExpectMembersReachTheirFields(B* b, const MemberRow<B, T> (&members)[N]) {
  for (const MemberRow<B, T>& m : members) {
    T got{};
    EXPECT_EQ(m.get(b, &got), 0) << m.name;
    EXPECT_EQ(got, (b->*m.field)()) << m.name;
  }
}

// The values set through their members, each one more than the one before
// from `first`, read back through each member and in each field: no two
// members share a field.
template <class B, class T, std::size_t N>
void ExpectValuesReachTheirFields(B* b, const SettableMemberRow<B, T> (&members)[N], T first) {
  T value = first;
  for (const SettableMemberRow<B, T>& m : members) EXPECT_EQ(m.set(b, value++), 0) << m.name;
  value = first;
  for (const SettableMemberRow<B, T>& m : members) {
    T got{};
    EXPECT_EQ(m.get(b, &got), 0) << m.name;
    EXPECT_EQ(got, value) << m.name;
    EXPECT_EQ((b->*m.field)(), value) << m.name;
    ++value;
  }
}

// Each flag set alone through its member reads true in its own field and
// through its own member only.
template <class B, std::size_t N>
void ExpectEachFlagAlone(B* b, const SettableMemberRow<B, bool> (&flags)[N]) {
  for (const SettableMemberRow<B, bool>& on : flags) {
    SCOPED_TRACE(on.name);
    for (const SettableMemberRow<B, bool>& f : flags) EXPECT_EQ(f.set(b, &f == &on), 0) << f.name;
    for (const SettableMemberRow<B, bool>& f : flags) {
      bool got = !(&f == &on);
      EXPECT_EQ(f.get(b, &got), 0) << f.name;
      EXPECT_EQ(got, &f == &on) << f.name;
      EXPECT_EQ((b->*f.field)(), &f == &on) << f.name;
    }
  }
}

// The arguments of every logged call of that name, in the log's order.
inline std::vector<std::string> ArgsOf(const std::string& name) {
  std::vector<std::string> args;
  for (const KTX::Host::Call& c : KTX::Host::Calls())
    if (c.name == name) args.push_back(c.args);
  return args;
}

// A text file's lines, without their line ends (none when it cannot be read).
inline std::vector<std::string> FileLines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

// A rough-data compensation feature of sheet bodies in the work part, as a
// commit leaves one (the part destroys it with its parameters).
inline KTX::FEATURE_RECORD* RoughSheetFeature() {
  auto* parms = KTX::DieEng::CompensateRoughSheetFactory::Create();
  auto* frec = KTX::FEATURE_RECORD::Create(nullptr, parms);
  parms->SetFeatureRecord(frec);
  return frec;
}

// The features placed in the part's feature order since the call log was
// cleared, each as "feature=F reference=R mode=M".
inline std::vector<std::string> Placements() {
  std::vector<std::string> placed;
  for (const KTX::Host::Call& call : KTX::Host::Calls())
    if (call.name == "Features.FeatureCollection" && call.args.rfind("operation=141 ", 0) == 0)
      placed.push_back(call.args.substr(call.args.find("feature=")));
  return placed;
}

// The largest distance of a point of the polyline `from` from the polyline
// `to` (closed: each back to its first point), `from` walked in steps no
// longer than `step`: within half a step of the truth. Points are three
// numbers each, in any one unit.
inline double Farthest(std::vector<double> from, std::vector<double> to, bool closed, double step) {
  if (closed) {
    from.insert(from.end(), {from[0], from[1], from[2]});
    to.insert(to.end(), {to[0], to[1], to[2]});
  }
  double farthest = 0;
  std::size_t hint = 0;
  for (std::size_t i = 0; i + 5 < from.size(); i += 3) {
    const double* a = &from[i];
    const int steps = 1 + static_cast<int>(std::hypot(a[3] - a[0], a[4] - a[1], a[5] - a[2]) / step);
    for (int k = 0; k <= steps; ++k) {
      double q[3];
      for (int c = 0; c < 3; ++c) q[c] = a[c] + (a[c + 3] - a[c]) * k / steps;
      double nearest = HUGE_VAL;
      const std::size_t n = to.size() / 3 - 1, start = hint;
      for (std::size_t m = 0; m < n && nearest > farthest; ++m) {  // nearer than the farthest yet: no matter
        const std::size_t j = (start + m) % n;
        const double* b = &to[3 * j];
        const double d[3] = {b[3] - b[0], b[4] - b[1], b[5] - b[2]}, w[3] = {q[0] - b[0], q[1] - b[1], q[2] - b[2]};
        const double t =
            std::clamp((d[0] * w[0] + d[1] * w[1] + d[2] * w[2]) / (d[0] * d[0] + d[1] * d[1] + d[2] * d[2]), 0.0, 1.0);
        const double e = std::hypot(w[0] - t * d[0], w[1] - t * d[1], w[2] - t * d[2]);
        if (e < nearest) nearest = e, hint = j;
      }
      farthest = std::max(farthest, nearest);
    }
  }
  return farthest;
}

}  // namespace stamvik_test
