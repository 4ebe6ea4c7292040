// What a script records plays back, and what no journal, file or command
// line may do to the host: hang it, exhaust it, or change a file it did not
// mean to write. Runs ktxhost as a user would.
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sched.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "JamTestSupport.hpp"
#include "KilledWriterSupport.hpp"
#include "sys/Replace.hpp"

namespace {

namespace fs = std::filesystem;
using stamvik_test::CommandRun;
using Arguments = std::vector<std::string>;

// The arguments one after the other.
Arguments operator+(Arguments a, const Arguments& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The arguments as a row's trace names them.
std::string Joined(const Arguments& arguments) {
  std::string joined;
  for (const std::string& argument : arguments) joined += (joined.empty() ? "" : " ") + argument;
  return joined;
}

const fs::path kData = fs::path(STAMVIK_TEST_DATA);
const fs::path kExamples = kData / ".." / ".." / "examples";

// Never through a link at its name, nor waiting on a FIFO there: what a row
// reads back may stand where another user could have put a link.
std::string FileText(const fs::path& path) { return stamvik_test::OwnFileText(path); }

// A scratch folder of the test's own (stamvik_test::ScratchFolder, which no
// other user may enter), gone when the test ends.
class Scratch {
 public:
  explicit Scratch(const std::string& name) : folder_(name + "_"), path_(folder_.Path()) {}
  fs::path operator/(const std::string& name) const { return path_ / name; }
  const fs::path& Path() const { return path_; }
  fs::path Write(const std::string& name, const std::string& text) const {
    std::ofstream(path_ / name, std::ios::binary) << text;
    return path_ / name;
  }

 private:
  stamvik_test::ScratchFolder folder_;
  fs::path path_;
};

// ktxhost with the arguments; its standard error is what is kept (in `out`),
// its standard output goes to /dev/null.
// `program` is the command that runs it (another user's, below), in the
// folder given (if any). No run may hang: one that does is stopped, and
// fails its row with status 124.
// The same with the options given: environment, limits, folder.
CommandRun KtxhostWith(const Arguments& arguments, stamvik_test::CommandOptions options,
                       const Arguments& program = {KTXHOST_PROGRAM}) {
  options.timeoutSeconds = 300;
  options.outputDropped = true;
  CommandRun run = stamvik_test::RunCommand(program + arguments, options);
  run.out = std::move(run.err);
  run.err.clear();
  return run;
}
CommandRun Ktxhost(const Arguments& arguments, const Arguments& program = {KTXHOST_PROGRAM}, const fs::path& in = {}) {
  stamvik_test::CommandOptions options;
  options.folder = in.string();
  return KtxhostWith(arguments, options, program);
}

// ktxhost as another user (uid 65534) runs it: the build's own program when
// that user can run it; else a copy of the program and the build's libraries
// in a folder of the copy's own that the user can reach (a build under a
// folder only its owner may enter, as root's home is, cannot be run by any
// other user); else none, and why. The copy goes with the object.
class AnotherUsersKtxhost {
 public:
  AnotherUsersKtxhost() {
    if (::geteuid() != 0) {
      why_ = stamvik_test::NeedsRoot("runs a program as another user");
      return;
    }
    const Arguments as = {"setpriv", "--reuid=65534", "--regid=65534", "--clear-groups"};
    if (runs(as + Arguments{KTXHOST_PROGRAM})) {
      command_ = as + Arguments{KTXHOST_PROGRAM};
      return;
    }
    const fs::path program(KTXHOST_PROGRAM), libraries = program.parent_path().parent_path() / "lib";
    folder_ = std::make_unique<stamvik_test::ScratchFolder>("ktxhost_for_another-");
    copy_ = folder_->Path();
    // Copied while no other user can reach the folder; then opened for that
    // user to pass, to the copy's files only, while the object stands.
    std::error_code failed;
    fs::copy_file(program, copy_ / "ktxhost", failed);
    for (const auto& entry : fs::directory_iterator(libraries, failed))
      if (entry.path().extension() == ".so") fs::copy_file(entry.path(), copy_ / entry.path().filename(), failed);
    passage_ = std::make_unique<stamvik_test::OpenedToPass>(copy_ / "ktxhost");
    const Arguments copied = as + Arguments{"env", "LD_LIBRARY_PATH=" + copy_.string(), (copy_ / "ktxhost").string()};
    if (runs(copied))
      command_ = copied;
    else
      why_ = "uid 65534 can run neither " + program.string() + " nor a copy of it in " + copy_.string();
  }
  ~AnotherUsersKtxhost() = default;
  AnotherUsersKtxhost(const AnotherUsersKtxhost&) = delete;
  AnotherUsersKtxhost& operator=(const AnotherUsersKtxhost&) = delete;

  // The command that runs ktxhost as that user; empty when none does.
  const Arguments& Command() const { return command_; }
  // Whether it is the build's own program, whose plug-in and previews that
  // user then reaches too (a copy's play cannot load them).
  bool TheBuildsOwn() const { return !command_.empty() && copy_.empty(); }
  const std::string& WhyNot() const { return why_; }

 private:
  static bool runs(const Arguments& command) {
    return stamvik_test::RunCommand(command + Arguments{"--version"}).status == 0;
  }
  Arguments command_;
  std::string why_;
  std::unique_ptr<stamvik_test::ScratchFolder> folder_;
  fs::path copy_;
  std::unique_ptr<stamvik_test::OpenedToPass> passage_;
};

// A play's arguments: the journal, the options, the plug-in.
Arguments Play(const fs::path& journal, const Arguments& options = {}) {
  return Arguments{"play", journal.string()} + options + Arguments{"--plugin", STAMVIK_PLUGIN};
}

// A play with the failure switch set (KTX_FAIL): its status, standard output
// and error output.
struct FailedPlay {
  int status = -1;
  std::string out, err;
};
FailedPlay PlayFailing(const fs::path& journal, const std::string& setting) {
  stamvik_test::CommandOptions options;
  options.environment = {"KTX_FAIL=" + setting};
  const CommandRun run = stamvik_test::RunCommand(Arguments{KTXHOST_PROGRAM} + Play(journal), options);
  return {run.status, run.out, run.err};
}

// How many calls of the facility a play counts (the switch never reached).
long long CountedCalls(const fs::path& journal, const std::string& facility) {
  const FailedPlay run = PlayFailing(journal, facility + ":999999999");
  std::smatch counted;
  if (!std::regex_search(run.err, counted, std::regex("the play made ([0-9]+) counted calls"))) return 0;
  return std::stoll(counted[1]);
}

// The journal's text through the nth record that starts with `record`
// (1 the first), its status line included.
std::string Through(const std::string& text, const std::string& record, int nth) {
  std::size_t at = 0;
  for (int i = 0; i < nth; ++i) at = text.find(record, i == 0 ? 0 : at + 1);
  return text.substr(0, text.find("\n  closed ", at) + std::string("\n  closed 0\n").size());
}

// What a printed part is, whatever tags its objects got: its features and
// bodies, the titles of its sets' members and its solids' volumes.
std::string PartMade(const std::string& out) {
  std::vector<std::string> kept;
  std::istringstream lines(out);
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (std::regex_search(line, m, std::regex("^  member [0-9]+ \\([^)]*\\) (.*)$")))
      kept.push_back("member " + m[1].str());
    else if (std::regex_search(line, m, std::regex(" solid volume ([^ ]+) mm3")))
      kept.push_back("volume " + m[1].str());
    else if (std::regex_search(line, m, std::regex("records, ([0-9]+ features?, [0-9]+ bod(y|ies)) alive")))
      kept.push_back(m[1].str());
  }
  std::sort(kept.begin(), kept.end());
  std::string made;
  for (const std::string& k : kept) made += k + "\n";
  return made;
}

// ---- what a play goes past is shown --------------------------------------------------------

TEST(WhatAPlayGoesPast, EveryDieShoeKernelCallFailedFailsItsCommitWithItsNumber) {
  // Each kernel call of the die shoe's builds failed in turn: no play goes
  // past it to a shoe without a block (a copy, a sweep, an offset or a
  // boolean that failed is no shape the modeller refused); the commit fails
  // with the number of the stage that met it, after the warning that says so.
  Scratch scratch("absorbed_shoe");
  const fs::path journal = kExamples / "die_shoe.jou";
  const long long calls = CountedCalls(journal, "kernel");
  ASSERT_GT(calls, 0);
  const std::string made = PartMade(PlayFailing(journal, "kernel:999999999").out);
  struct Row {
    const char* call;
    std::string found;
  };
  const Row rows[] = {
      {"ZV_BODY_sweep", "found 22004 "},
      {"ZV_BODY_offset_2", "found 22004 "},
      {"DieDesUtilsSolvaneCopy", "found 3030651 (a die-shoe block could not be copied or trimmed"},
      {"DIEDES_UTILS__unite_tool_to_target", "found 3030652 (a die-shoe block could not be united with"},
      {"DIEDES_UTILS__subtract_tool_from_target", "found 3030652 (a die-shoe block could not be united with"},
  };
  std::set<std::string> seen;
  for (long long n = 1; n <= calls; ++n) {
    SCOPED_TRACE("kernel call " + std::to_string(n));
    const FailedPlay run = PlayFailing(journal, "kernel:" + std::to_string(n));
    if (run.status == 0) {
      EXPECT_EQ(PartMade(run.out), made) << "gone past the failed call:\n" << run.err;
      continue;
    }
    for (const Row& row : rows)
      if (run.err.find(std::string("failed: ") + row.call + "\n") != std::string::npos) {
        seen.insert(row.call);
        EXPECT_NE(run.err.find(row.found), std::string::npos) << row.call << "\n" << run.err;
      }
  }
  EXPECT_EQ(seen.size(), std::size(rows));
}

// A play's limit: none, the size of the files it writes (bytes), or its
// motion files' folder mounted read-only over itself, in a mount namespace
// of the play's own.
constexpr long long kNoLimit = -1, kReadOnlyFolder = -2;

TEST(WhatAPlayGoesPast, AMotionFileThatCannotBeWrittenIsShownWithItsWarningAndTheOlderFileStays) {
  // The articulation's spindle trace goes to spindle_file.txt in the motion
  // files' folder; a trace it could not write leaves the run's status as it
  // was (the play ends 0) and is shown at the record that ran it.
  Scratch scratch("motion_file");
  struct Row {
    const char* name;
    long long limit;  // the play's limit (above)
    void (*make)(const fs::path& at);
    const char* why;
    mode_t folderMode = 0755;  // the row's own folder, made for it
  };
  const Row rows[] = {
      {"the file size limit", 0,
       [](const fs::path& at) { std::ofstream(at, std::ios::binary) << "old\n"; }, "File too large"},
      {"a FIFO", kNoLimit, [](const fs::path& at) { ::mkfifo(at.c_str(), 0644); }, "is a FIFO, not a regular file"},
      {"a symbolic link to a missing file", kNoLimit, [](const fs::path& at) { fs::create_symlink("missing", at); },
       "is a symbolic link to a missing file"},
      // The older file, writable by its owner, in a folder mounted read-only
      // (where this machine lets a test mount): it is the one named, not a
      // numbered name the run could not make there either.
      {"a read-only file system", kReadOnlyFolder,
       [](const fs::path& at) { std::ofstream(at, std::ios::binary) << "old\n"; }, "Read-only file system"},
      // Another user's link in the shared folder to a private file of the
      // player's (the suite runs as root: uid 65534 is another user).
      {"another user's symbolic link in a shared folder", kNoLimit,
       [](const fs::path& at) {
         const fs::path mine = at.parent_path().parent_path() / "mine.txt";
         std::ofstream(mine, std::ios::binary) << "mine\n";
         ::chmod(mine.c_str(), 0400);
         fs::create_symlink(mine, at);
         ::lchown(at.c_str(), 65534, 65534);
       },
       "is a symbolic link owned by nobody (uid 65534) in a folder other users may write, which is not followed",
       0777},
  };
  const fs::path journal = kExamples / "tire_envelope_motion.jou";
  const bool mounts = stamvik_test::RunCommand({"unshare", "-m", "true"}).status == 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (row.limit == kReadOnlyFolder && !mounts) {
      stamvik_test::SkipRow(row.name, "no mount namespace here");
      continue;
    }
    if (&row == &rows[4] && ::geteuid() != 0) {
      stamvik_test::SkipRow(row.name, stamvik_test::NeedsRoot("gives a link to another user"));
      continue;
    }
    const fs::path folder = stamvik_test::OpenChild(scratch.Path(), std::to_string(&row - rows), row.folderMode);
    const fs::path trace = folder / "spindle_file.txt";
    row.make(trace);
    const auto kind = fs::symlink_status(trace).type();
    // A FIFO has a reader that does not wait: a writer that opened it would not wait either.
    const int reader = ::open(trace.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    stamvik_test::CommandOptions options;
    options.environment = {"QDEN_TMP_DIR=" + folder.string()};
    if (row.limit == kReadOnlyFolder)
      options.readOnlyFolder = folder.string();
    else
      options.fileSizeLimit = row.limit;
    const CommandRun run = KtxhostWith(Play(journal), options);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, journal.string() + ":53: warning: 841407 " + trace.string() +
                           ": the file could not be written (" + row.why + "): the older file is as it was\n");
    if (reader >= 0) ::close(reader);
    EXPECT_EQ(fs::symlink_status(trace).type(), kind);
    if (kind == fs::file_type::regular) {
      EXPECT_EQ(FileText(trace), "old\n");
    }
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++entries;
    EXPECT_EQ(entries, 1) << "a temporary file was left";
  }
  if (::geteuid() == 0) {
    struct stat info {};
    ASSERT_EQ(::stat((scratch / "mine.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0400u) << std::oct << (info.st_mode & 07777);
    EXPECT_EQ(FileText(scratch / "mine.txt"), "mine\n");
  }
}

// The facility's count at each status text the play shows, in order
// (KTX_FAIL_TRACE, the switch never reached): a step's calls lie after the
// count at the status before it, up to the count at its own.
std::vector<std::pair<long long, std::string>> CountsAtStatuses(const fs::path& journal, const std::string& facility) {
  stamvik_test::CommandOptions options;
  options.environment = {"KTX_FAIL=" + facility + ":100000000000", "KTX_FAIL_TRACE=mtStatusAreaImmediate"};
  const CommandRun run = stamvik_test::RunCommand(Arguments{KTXHOST_PROGRAM} + Play(journal), options);
  std::vector<std::pair<long long, std::string>> counts;
  const std::regex traced(": KTX_FAIL: ([0-9]+) counted: mtStatusAreaImmediate (.*)");
  std::istringstream lines(run.err);
  for (std::string line; std::getline(lines, line);)
    if (std::smatch m; std::regex_search(line, m, traced)) counts.emplace_back(std::stoll(m[1]), m[2]);
  return counts;
}

TEST(WhatAPlayGoesPast, AHostCallFailedInTheBeltExtrusionFailsTheCommit) {
  // A host call's error in the draw punch's belt extrusion is no refusal of
  // the modeller: the commit fails and is undone, and the belt is not made a
  // second way from an offset curve of the punch (the second try is the
  // modeller's refusal's alone), which left an offset-curve feature beside
  // the set's. No play failing one of the belt step's host calls, every
  // ninth of the create's and of the edit's, holds one (the other steps'
  // calls are the commit sweep's).
  Scratch scratch("second_try");
  const fs::path punch = kExamples / "draw_punch.jou";
  ASSERT_EQ(FileText(kData / "play_draw_punch.txt").find("QD$OFFSET_CURVE_BELT"), std::string::npos);
  const auto statuses = CountsAtStatuses(punch, "hostcall");
  std::vector<std::pair<long long, long long>> belts;  // the step's first call, and its status's
  for (std::size_t i = 1; i < statuses.size(); ++i)
    if (statuses[i].second == "Create belt solid body successfully.")
      belts.emplace_back(statuses[i - 1].first + 1, statuses[i].first);
  // The create's belt and the edit's, each of a few hundred calls.
  ASSERT_EQ(belts.size(), 2u) << ::testing::PrintToString(statuses);
  for (const auto& [first, last] : belts) {
    ASSERT_GT(last - first, 100);
    for (long long at = first; at <= last; at += 9) {
      const FailedPlay run = PlayFailing(punch, "hostcall:" + std::to_string(at));
      EXPECT_EQ(run.out.find(" QD$OFFSET_CURVE_BELT\n"), std::string::npos)
          << "host call " << at << " failed, and the belt was made a second way:\n" << run.out;
    }
  }
}

TEST(WhatAPlayGoesPast, AToolingCommitWithACallFailedIsRefusedWithNothingMadeOrIsTheUnfailedPart) {
  // The draw die's, draw punch's and die shoe's create and edit commits,
  // each with one counted call failed (every facility: a host call, memory,
  // a kernel call, a record, a mark), the commit's first and last and a
  // spread between: the commit is refused, and the part read right after it
  // (the commit expected to give that status, the play going on) is the part
  // before it; or the commit goes through and makes the unfailed part. A
  // host call's error is never gone past as a refusal of the modeller would
  // be: the die left with the band its subtracted top takes, a shoe without
  // a cavity, a punch's stress offset curve beside a solid made another way.
#ifndef NDEBUG
  // The calls are counted as the optimised build makes them: an unoptimised
  // one counts the player's own copies of the call's texts among them.
  GTEST_SKIP() << "the optimised build runs it";
#endif
  Scratch scratch("tooling_commits");
  const std::string commit = "record 0 method \"Builder\" \"Commit\"";
  const std::string die = FileText(kExamples / "draw_die.jou");
  const std::string punch = FileText(kExamples / "draw_punch.jou");
  const std::string shoe = FileText(kExamples / "die_shoe.jou");
  auto set = [](const std::string& cls, int builder, const std::string& name, const std::string& value) {
    return "record 0 set \"" + cls + "\" \"" + name + "\"\n  this ptr " + std::to_string(builder) +
           "\n  in double \"" + name + "\" - " + value + " 0\n  closed 0\n";
  };
  auto commitOf = [](int builder) {
    return "record 0 method \"Builder\" \"Commit\"\n  this ptr " + std::to_string(builder) +
           "\n  result tag \"object\" \"TaggedObject\" 0\n  closed 0\n";
  };
  const std::string dieMade = Through(die, commit, 1);
  const std::string punchMade = Through(punch, commit, 1);
  const std::string shoeMade = Through(shoe, commit, 1);
  const std::string punchOpened = Through(punch, "record 0 method \"Tooling.AutoDieCollection\"", 2);
  const std::string shoeOpened = Through(shoe, "record 0 method \"Die.DieCollection\" \"DieShoe\"", 2);
  struct Row {
    const char* name;
    std::string before;  // the journal up to the commit
    std::string commit;
    const char* volume;  // the unfailed commit's solid, by hand
  };
  const Row rows[] = {
      // Die: 10,615,400 by hand; the band its subtracted top takes,
      // (340^2 - 320^2) x 23.5 = 310,200, left on would give 10,925,600.
      {"draw die, create", dieMade.substr(0, dieMade.rfind(commit)), commitOf(20), "1.06154e+07"},
      // Its base 7.25 thick in the builder kept open: the stress solid's ring
      // (350^2 - 200^2 = 82,500) 22.75 thinner, 8,738,525.
      {"draw die, edit", dieMade + set("Tooling.DieDesDrawDieBuilder", 20, "BaseThickness", "7.25"), commitOf(20),
       "8.73853e+06"},
      // Punch: 3,573,107.57; with a base 20 thick, 3,083,507.57.
      {"draw punch, create", punchMade.substr(0, punchMade.rfind(commit)), commitOf(10), "3.57311e+06"},
      {"draw punch, edit", punchOpened + set("Tooling.DieDesDrawPunchBuilder", 30, "BaseThickness", "20"),
       commitOf(30), "3.08351e+06"},
      // Shoe: the flange 1000 x 800 x 45 (36,000,000) and the deck block
      // 600 x 400 x 205 less its cavity within walls of 8: 52,789,500; within
      // walls of 7.25, 585.5 x 385.5 x 205 less: 38,929,398.75.
      {"die shoe, create", shoeMade.substr(0, shoeMade.rfind(commit)), commitOf(10), "5.27895e+07"},
      {"die shoe, edit",
       shoeOpened +
           "record 0 get \"Die.DieShoeBuilder\" \"WallThickness\"\n  this ptr 40\n  result ptr \"wallthickness\" "
           "\"Expression\" 43\n  closed 0\nrecord 0 set \"Expression\" \"RightHandSide\"\n  this ptr 43\n  in string "
           "\"righthandside\" - \"7.25\"\n  closed 0\n",
       "record 0 method \"Builder\" \"Commit\"\n  this ptr 40\n  result tag \"object\" \"TaggedObject\" 30\n  closed "
       "0\n",
       "3.89294e+07"},
  };
  constexpr int kSpread = 4;  // calls failed between the commit's first and last
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path before = scratch.Write("before.jou", row.before);
    const fs::path whole = scratch.Write("whole.jou", row.before + row.commit);
    const FailedPlay unharmed = PlayFailing(whole, "all:999999999");
    const FailedPlay prior = PlayFailing(before, "all:999999999");
    ASSERT_EQ(unharmed.status, 0) << unharmed.err;
    ASSERT_EQ(prior.status, 0) << prior.err;
    EXPECT_NE(unharmed.out.find(std::string(" solid volume ") + row.volume + " mm3"), std::string::npos)
        << unharmed.out;
    const long long first = CountedCalls(before, "all") + 1, last = CountedCalls(whole, "all");
    ASSERT_GT(last, first);
    // The part before the commit as printed after it: one record more played,
    // and the journal's name of the edited feature given to the refused
    // commit's result (no object) instead.
    auto asBefore = [](const std::string& out) {
      return std::regex_replace(std::regex_replace(out, std::regex("played ([0-9]+) records"), "played"),
                                std::regex(" \\((journal [0-9]+|made, not named)\\)"), "");
    };
    const std::string priorPart = asBefore(prior.out);
    const int line = static_cast<int>(std::count(row.before.begin(), row.before.end(), '\n')) + 1;
    for (int k = 0; k <= kSpread + 1; ++k) {
      const long long n = first + (last - first) * k / (kSpread + 1);
      SCOPED_TRACE("call " + std::to_string(n));
      FailedPlay run = PlayFailing(whole, "all:" + std::to_string(n));
      std::smatch found;
      if (run.status != 0) {
        ASSERT_TRUE(std::regex_search(run.err, found, std::regex(":([0-9]+): the call gave another status \\(expected "
                                                                 "0 \\(success\\), found ([0-9]+)")))
            << run.err;
        EXPECT_EQ(found[1].str(), std::to_string(line)) << run.err;
        // Read right after the refused commit: the commit expected to give its status.
        std::string refused = row.commit;
        refused.replace(refused.rfind("closed 0"), 8, "closed " + found[2].str());
        run = PlayFailing(scratch.Write("refused.jou", row.before + refused), "all:" + std::to_string(n));
        ASSERT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(asBefore(run.out), priorPart)
            << "refused with " << found[2] << ", the part is not as before:\n" << run.err;
      } else {
        EXPECT_EQ(PartMade(run.out), PartMade(unharmed.out)) << "gone past the failed call:\n" << run.err;
      }
    }
  }
}

TEST(WhatAPlayGoesPast, AHostCallFailedInTheSubtractedTopFailsTheCommit) {
  // The subtracted top solid is optional: the modeller's refusal of it is
  // shown and the build goes on. A host call failed in it is no refusal: the
  // die would keep the band the step takes. The commit fails with the
  // error, after the top solid's success and before the stress solid.
  Scratch scratch("sub_top");
  const fs::path die = kExamples / "draw_die.jou";
  const std::string at = die.string() + ":170: ";
  const long long calls = CountedCalls(die, "hostcall");
  int failedThere = 0;
  for (long long n = 1; n <= calls; n += 250) {
    SCOPED_TRACE("host call " + std::to_string(n));
    const FailedPlay run = PlayFailing(die, "hostcall:" + std::to_string(n));
    EXPECT_EQ(run.err.find(at + "status: Create subtract top solid body failed.\n"), std::string::npos) << run.err;
    if (run.err.find(at + "status: Create top solid body successfully.\n") == std::string::npos ||
        run.err.find(at + "status: Create subtract top solid body successfully.\n") != std::string::npos)
      continue;
    ++failedThere;
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.find(at + "status: Create stress solid successfully.\n"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(at + "the call gave another status (expected 0 (success), found 840007"), std::string::npos)
        << run.err;
  }
  EXPECT_GT(failedThere, 0) << "no failed call stopped the subtracted top";
}

TEST(WhatAPlayGoesPast, AToolingStepWithoutItsUndoMarkSaysItCannotBeUndone) {
  // The draw die's first step (its rough offsets) goes on without the mark
  // it could not set (the second, after the commit's own); a failure in it
  // could not be taken back by the step, only by the commit.
  Scratch scratch("no_mark");
  const fs::path die = kExamples / "draw_die.jou";
  const FailedPlay run = PlayFailing(die, "mark:2");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.err.find(die.string() +
                         ":170: note: The undo mark \"Create Rough Offset\" could not be set (840007): the step "
                         "cannot be undone.\n"),
            std::string::npos)
      << run.err;
  // Without the commit's own mark nothing could be taken back: the commit is refused.
  const FailedPlay refused = PlayFailing(die, "mark:1");
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find(die.string() + ":170: warning: 840007 The commit's undo mark could not be set.\n"),
            std::string::npos)
      << refused.err;
}

TEST(WhatAPlayGoesPast, AHostErrorInAScriptingCallIsItsOwnNumberNotAFault) {
  // Each of the first calls of the cast relief's play failed in turn: a
  // class looked up by a plug-in unit's set-up, before its record opens,
  // fails the call with the host error's number, as any host error in it.
  Scratch scratch("host_error");
  const fs::path journal = kExamples / "cast_relief.jou";
  int lookUps = 0;
  bool atPlugIn = false;
  for (int n = 1; n <= 40; ++n) {
    const FailedPlay run = PlayFailing(journal, "hostcall:" + std::to_string(n));
    SCOPED_TRACE(run.err);
    EXPECT_EQ(run.err.find("found 65 "), std::string::npos) << "call " << n;
    if (run.err.find("failed: JAM_lookup_or_create_class\n") == std::string::npos) continue;
    ++lookUps;
    // Line 30: the die collection's creator, a call of the plug-in's.
    atPlugIn = atPlugIn || run.err.find(journal.string() + ":30: ") != std::string::npos;
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(": the call gave another status (expected 0 (success), found 840007 (a call the failure "
                           "switch failed))"),
              std::string::npos)
        << "call " << n;
  }
  EXPECT_GT(lookUps, 4);
  EXPECT_TRUE(atPlugIn);
}

// ---- what is recorded plays back ------------------------------------------------------

TEST(PlayBack, EveryTagValuedMemberOfEveryPublishedClassPlaysBackItsRecording) {
  // The journal sets and gets each member whose value is an object by tag;
  // the members it covers must be every one the plug-in publishes.
  const fs::path journal = kData / "play_tag_members.jou";
  std::set<std::string> covered;
  const std::regex get(R"re(record 0 get "([^"]+)" "([^"]+)"\n  this ptr \d+\n  result tag )re");
  const std::string text = FileText(journal);
  for (auto it = std::sregex_iterator(text.begin(), text.end(), get); it != std::sregex_iterator(); ++it)
    covered.insert((*it)[1].str() + " " + (*it)[2].str());
  std::set<std::string> published;
  CommandRun list = stamvik_test::RunCommand({KTXHOST_PROGRAM, "published"});
  ASSERT_EQ(list.status, 0);
  std::istringstream lines(list.out);
  std::string cls;
  const std::regex member(R"re(    \d+ get (\S+) result "[^"]*" tag .*)re");
  for (std::string line; std::getline(lines, line);) {
    std::smatch m;
    if (line.rfind("class ", 0) == 0) cls = line.substr(6);
    if (std::regex_match(line, m, member)) published.insert(cls + " " + m[1].str());
  }
  EXPECT_EQ(published.size(), 16u);
  EXPECT_EQ(covered, published);

  Scratch scratch("play_tag_members");
  CommandRun first = Ktxhost(Play(journal, {"--record", (scratch / "out.jou").string()}));
  ASSERT_EQ(first.status, 0) << first.out;
  CommandRun second = Ktxhost(Play(scratch / "out.jou", {"--record", (scratch / "out2.jou").string()}));
  ASSERT_EQ(second.status, 0) << second.out;
  EXPECT_EQ(FileText(scratch / "out2.jou"), FileText(scratch / "out.jou"));
  // Every object the getters gave back was a live one, not 0.
  const std::string recorded = FileText(scratch / "out.jou");
  for (const char* cls : {"Point", "Direction", "CoordinateSystem", "Plane"}) {
    SCOPED_TRACE(cls);
    EXPECT_NE(recorded.find(std::string("\" \"") + cls + "\" 10"), std::string::npos);
  }
}

TEST(PlayBack, AnObjectOfAnotherClassIsRefusedWithItsLine) {
  const std::string head =
      "journal 1\n"
      "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
      "record 0 get \"Part\" \"DieCollection\"\n  this tag 1\n"
      "  result tag \"diecollection\" \"Die.DieCollection\" 1\n  closed 0\n"
      "record 0 method \"Part\" \"CreatePoint\"\n  this tag 1\n"
      "  in struct-array \"points\" \"Point3d\" 3 1 2 3\n  result tag \"point\" \"Point\" 2\n  closed 0\n"
      "record 0 method \"Part\" \"CreateDirection\"\n  this tag 1\n"
      "  in struct-array \"points\" \"Point3d\" 6 0 0 0 1 0 0\n  result tag \"direction\" \"Direction\" 3\n"
      "  closed 0\n"
      "record 0 method \"Die.DieCollection\" \"CreateDieLocation\"\n  this tag 1\n"
      "  result tag \"item\" \"Die.DieLocationBuilder\" 10\n  closed 0\n";
  struct Row {
    const char* member;
    const char* cls;
    int tag;
    const char* message;  // empty: plays
  };
  const Row rows[] = {
      {"Point", "Point", 2, ""},
      {"Vector", "Direction", 3, ""},
      {"Point", "Point", 3, "tag 3 is an object of another class (expected \"Point\", found \"Direction\")"},
      {"Vector", "Direction", 2, "tag 2 is an object of another class (expected \"Direction\", found \"Point\")"},
      {"Plane", "Plane", 2, "tag 2 is an object of another class (expected \"Plane\", found \"Point\")"},
  };
  Scratch scratch("play_tag_class");
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.member) + " " + std::to_string(row.tag));
    std::string name = row.member;
    for (char& c : name) c = static_cast<char>(std::tolower(c));
    const fs::path journal = scratch.Write(
        "j.jou", head + "record 0 set \"Die.DieLocationBuilder\" \"" + row.member + "\"\n  this ptr 10\n  in tag \"" +
                     name + "\" \"" + row.cls + "\" " + std::to_string(row.tag) + "\n  closed 0\n");
    CommandRun run = Ktxhost(Play(journal));
    if (*row.message == '\0') {
      EXPECT_EQ(run.status, 0) << run.out;
    } else {
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, journal.string() + ":25: " + row.message + "\n");
    }
  }
}

// ---- what the journal reader refuses ------------------------------------------------------

TEST(JournalText, ANumberOrTextNoCallCanTakeIsRefusedWithItsLine) {
  const std::string head = "record 0 get \"Session\" \"WorkPart\"\n";
  struct Row {
    const char* name;
    std::string text;  // the journal after its header line
    std::string message;  // after "FILE:"
  };
  const Row rows[] = {
      {"nan", head + "  in double \"d\" - nan 0\n  closed 0\n", "3: not a finite number (found nan)"},
      {"inf", head + "  in double \"d\" - -inf 0\n  closed 0\n", "3: not a finite number (found -inf)"},
      {"beyond a double", head + "  in double \"d\" - 1e400 0\n  closed 0\n",
       "3: not a finite number (found 1e400)"},
      {"in a point list", head + "  result tag \"workpart\" \"Part\" 1\n  closed 0\n" + "record 0 method \"Section\" \"AddLoop\"\n  this ptr 12\n" +
                              "  in struct-array \"points\" \"Point3d\" 6 0 0 0 1 NaN 0\n  closed 0\n",
       "7: not a finite number (found NaN)"},
      {"NUL escaped in a text", head + "  in string \"s\" - \"flange\\x00up\"\n  closed 0\n",
       "3: a text holds a NUL (\\x00; a text ends at none)"},
      {"NUL byte in a text", head + "  in string \"s\" - \"flange" + std::string(1, '\0') + "up\"\n  closed 0\n",
       "3: a text holds a NUL byte (a text ends at none)"},
      {"unprintable class", "record 0 get \"" + std::string(3, '\x01') + "\" \"M\"\n  closed 0\n",
       "2: nothing is bound to get \"\\x01\\x01\\x01\" \"M\""},
      {"NUL in a keyword", "rec" + std::string(1, '\0') + "ord 0 get \"Session\" \"WorkPart\"\n",
       "2: 'rec\\x00ord' holds a NUL byte (a text ends at none)"},
      {"NUL in a name", head + "  result tag \"work" + std::string(1, '\0') + "part\" \"Part\" 1\n  closed 0\n",
       "3: a text holds a NUL byte (a text ends at none)"},
      {"NUL in an unquoted word", head + "  in enum a" + std::string(1, '\0') + "b \"d\" \"E\" 2\n  closed 0\n",
       "3: 'a\\x00b' holds a NUL byte (a text ends at none)"},
      {"binary", std::string(200, '\xff') + "\n",
       "2: '" + [] {
         std::string s;
         for (int i = 0; i < 40; ++i) s += "\\xff";
         return s;
       }() + "...' outside a record"},
  };
  Scratch scratch("journal_text");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path journal = scratch.Write("j.jou", "journal 1\n" + row.text);
    CommandRun run = Ktxhost(Play(journal));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, journal.string() + ":" + row.message + "\n");
  }
}

TEST(JournalText, AJournalSavedWithAByteOrderMarkPlays) {
  Scratch scratch("journal_bom");
  const fs::path journal = scratch.Write(
      "bom.jou", "\xEF\xBB\xBFjournal 1\nrecord 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n"
                 "  closed 0\n");
  CommandRun run = Ktxhost(Play(journal));
  EXPECT_EQ(run.status, 0) << run.out;
  // Only at the very start: a mark inside is no keyword.
  const fs::path inside = scratch.Write("inside.jou", "journal 1\n\xEF\xBB\xBFrecord 0 get \"Session\" \"WorkPart\"\n");
  run = Ktxhost(Play(inside));
  EXPECT_EQ(run.out, inside.string() + ":2: '\\xef\\xbb\\xbfrecord' outside a record\n");
}

// ---- what a play writes ------------------------------------------------------------------

TEST(PlayOutputs, AnOutputThatCannotBeWrittenOrIsTheJournalIsRefusedBeforeThePlay) {
  Scratch scratch("play_outputs");
  const std::string text = FileText(kExamples / "cast_relief.jou");
  const fs::path journal = scratch.Write("j.jou", text);
  fs::create_symlink(journal, scratch / "link.jou");
  fs::create_directories(scratch / "folder");
  const std::string j = journal.string(), link = (scratch / "link.jou").string();
  // Files of the other user's (uid 65534) who plays the last rows: an own
  // link to an own file in a folder that user may not write, and another
  // user's file that all may write, in a shared sticky folder and in a
  // sticky folder of the player's own. All of it is made while no other
  // user can reach the scratch folder.
  const fs::path theirs = scratch / "theirs", readOnly = scratch / "read-only";
  for (const fs::path& made : {theirs, readOnly}) fs::create_directories(made);
  const fs::path sticky = stamvik_test::OpenChild(scratch.Path(), "sticky", 01777),
                 ownSticky = stamvik_test::OpenChild(scratch.Path(), "own-sticky", 01777);
  scratch.Write("read-only/out.stp", "old\n");
  fs::create_symlink(readOnly / "out.stp", theirs / "out.stp");
  for (const fs::path& made : {sticky / "out.jou", ownSticky / "out.jou"}) {
    scratch.Write(made.lexically_relative(scratch / "").string(), "old\n");
    stamvik_test::FileMode(made, 0666);
  }
  const bool root = ::geteuid() == 0;
  if (root) {
    for (const fs::path& made : {theirs, readOnly, readOnly / "out.stp", theirs / "out.stp", ownSticky})
      ::lchown(made.c_str(), 65534, 65534);
    ::chmod(readOnly.c_str(), 0555);
  }
  const AnotherUsersKtxhost another;
  struct Row {
    Arguments arguments;
    int status;
    std::string message;  // "" for none: the play goes on, and writes `written`
    bool asAnotherUser = false;
    fs::path written = {};
  };
  const std::string p = "ktxhost play: ";
  const std::string other = (scratch / "other.out").string(), folder = (scratch / "folder").string();
  const Row rows[] = {
      {{"--record", j}, 2, p + "'--record " + j + "' is the journal played: it would be overwritten (see ktxhost help play)"},
      {{"--step", j}, 2, p + "'--step " + j + "' is the journal played: it would be overwritten (see ktxhost help play)"},
      {{"--record", link}, 2,
       p + "'--record " + link + "' is the journal played: it would be overwritten (see ktxhost help play)"},
      {{"--record", other, "--step", other}, 2,
       p + "'--record' and '--step' name the same file '" + other + "' (see ktxhost help play)"},
      {{"--record", "/nonexistent-dir/out.jou"}, 1,
       p + "cannot write /nonexistent-dir/out.jou (--record): no directory /nonexistent-dir"},
      {{"--step", folder}, 1, p + "cannot write " + folder + " (--step): is a directory"},
      // The folder that cannot take the temporary file is the one the link
      // leads to.
      {{"--step", (theirs / "out.stp").string()}, 1,
       p + "cannot write " + (theirs / "out.stp").string() + " (--step): directory " + readOnly.string() +
           ": Permission denied",
       true},
      {{"--record", (sticky / "out.jou").string()}, 1,
       p + "cannot write " + (sticky / "out.jou").string() + " (--record): is a file of root (uid 0) in the sticky " +
           "directory " + sticky.string() + ", where only its owner may replace it",
       true},
      // The sticky folder's owner may replace any file in it.
      {{"--record", (ownSticky / "out.jou").string()}, 0, "", true, ownSticky / "out.jou"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Joined(row.arguments));
    // A row played by another user runs only where that user can run ktxhost.
    if (row.asAnotherUser && another.Command().empty()) {
      stamvik_test::SkipRow(Joined(row.arguments), another.WhyNot());
      continue;
    }
    if (row.asAnotherUser && row.message.empty() && !another.TheBuildsOwn()) {
      stamvik_test::SkipRow(Joined(row.arguments), "uid 65534 cannot reach the build's plug-in and previews");
      continue;
    }
    // The scratch folder is opened for that user to pass while it plays,
    // and closed again before anything there is read.
    std::optional<stamvik_test::OpenedToPass> passage;
    if (row.asAnotherUser) {
      passage.emplace(sticky / "out.jou");
      if (!stamvik_test::OpenedToPass::Reaches(sticky / "out.jou")) {
        passage.reset();
        stamvik_test::SkipRow(Joined(row.arguments), "uid 65534 cannot reach the scratch folder: TMPDIR, or a folder above "
                                             "it, is closed to other users");
        continue;
      }
    }
    CommandRun run = Ktxhost(Play(j, row.arguments), row.asAnotherUser ? another.Command() : Arguments{KTXHOST_PROGRAM});
    passage.reset();
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.out, row.message.empty() ? "" : row.message + "\n");
    EXPECT_EQ(FileText(journal), text);
    if (!row.written.empty()) {
      // Looked at with lstat first: the folder was the other user's to
      // write while the play ran.
      const std::string written = stamvik_test::OwnFileText(row.written);
      EXPECT_EQ(written.rfind("journal 1\n", 0), 0u) << written;
    }
  }
  // Nothing of the play ran: no part was printed.
  CommandRun printed = stamvik_test::RunCommand(Arguments{KTXHOST_PROGRAM} + Play(j, {"--record", j}));
  EXPECT_EQ(printed.out, "");
}

// Names where no regular file may be put (a FIFO, a link loop, a link to a
// missing file, what a name through /proc reaches that is no file): each
// output refuses them before the play, and leaves them.
struct SpecialName {
  const char* name;
  // Makes it at `at`; the name given (empty: not to be made here).
  std::string (*make)(const fs::path& at);
  const char* why;
};
// Descriptors the play inherits, held until the test ends.
std::vector<int> gInherited;
const SpecialName kSpecialNames[] = {
    {"a FIFO", [](const fs::path& at) { ::mkfifo(at.c_str(), 0644); return at.string(); },
     "is a FIFO, not a regular file"},
    {"a symbolic link to itself", [](const fs::path& at) { fs::create_symlink(at.filename(), at); return at.string(); },
     "is a symbolic link that loops or leads through more than 40 links"},
    {"a symbolic link to a missing file", [](const fs::path& at) { fs::create_symlink("missing", at); return at.string(); },
     "is a symbolic link to a missing file"},
    // Another user's link to a file of the player's, in a folder all may
    // write (the suite runs as root: uid 65534 is another user). The row's
    // folder is the shared one (kSharedSpecialName), the file beside it.
    {"another user's symbolic link in a shared folder",
     [](const fs::path& at) {
       const fs::path mine = at.parent_path().parent_path() / "private" / "mine.txt";
       fs::create_directories(mine.parent_path());
       std::ofstream(mine, std::ios::binary) << "mine\n";
       fs::create_symlink(mine, at);
       ::lchown(at.c_str(), 65534, 65534);
       return at.string();
     },
     "is a symbolic link owned by nobody (uid 65534) in a folder other users may write, which is not followed"},
    // Through the user's own link to a folder (real/, nothing is made there).
    {"a symbolic link through a link to a folder to a missing name",
     [](const fs::path& at) {
       fs::create_directories(at.parent_path() / "real");
       fs::create_symlink("real", at.string() + ".folder");
       fs::create_symlink(at.filename().string() + ".folder/missing", at);
       return at.string();
     },
     "is a symbolic link to a missing file"},
    // The play's standard output is /dev/null, its error output a pipe.
    {"/dev/stdout", [](const fs::path&) { return std::string("/dev/stdout"); }, "is a device, not a regular file"},
    {"/proc/self/fd/2", [](const fs::path&) { return std::string("/proc/self/fd/2"); },
     "is a pipe, not a regular file"},
    {"a socket, through /dev/fd",
     [](const fs::path&) {
       int pair[2];
       if (::socketpair(AF_UNIX, SOCK_STREAM, 0, pair) != 0) return std::string();
       gInherited.insert(gInherited.end(), {pair[0], pair[1]});
       return "/dev/fd/" + std::to_string(pair[0]);
     },
     "is a socket, not a regular file"},
    {"a terminal, through /proc/self/fd",
     [](const fs::path&) {
       const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
       const int terminal = master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0
                                ? ::open(::ptsname(master), O_RDWR | O_NOCTTY)
                                : -1;
       gInherited.insert(gInherited.end(), {master, terminal});
       return terminal < 0 ? std::string() : "/proc/self/fd/" + std::to_string(terminal);
     },
     "is a terminal, not a regular file"},
};

const SpecialName* const kSharedSpecialName = &kSpecialNames[3];

TEST(PlayOutputs, AFifoOrABrokenLinkAtAnOutputNameIsRefusedAndLeftAsItWas) {
  Scratch scratch("special_outputs");
  for (const char* option : {"--record", "--step"}) {
    for (const SpecialName& special : kSpecialNames) {
      SCOPED_TRACE(std::string(option) + ", " + special.name);
      if (&special == kSharedSpecialName && ::geteuid() != 0) {
        stamvik_test::SkipRow(special.name, stamvik_test::NeedsRoot("gives a link to another user"));
        continue;
      }
      // Each row in a folder of its own, made for it: the shared one only
      // inside the scratch folder, which no other user can enter.
      const fs::path at = stamvik_test::OpenChild(scratch.Path(), std::string(option + 2) + std::to_string(&special - kSpecialNames),
                                                  &special == kSharedSpecialName ? 0777 : 0755) /
                          "out";
      const std::string name = special.make(at);
      if (name.empty()) {
        stamvik_test::SkipRow(special.name, "not to be made here");
        continue;
      }
      const auto kind = fs::symlink_status(at).type();
      // A FIFO has a reader that does not wait: a writer that opened it would not wait either.
      const int reader = kind == fs::file_type::fifo ? ::open(at.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC) : -1;
      const CommandRun run = Ktxhost(Play(kExamples / "draw_punch.jou", {option, name}));
      if (reader >= 0) {
        char byte = 0;
        EXPECT_LE(::read(reader, &byte, 1), 0) << "the FIFO received a stream";
        ::close(reader);
      }
      EXPECT_EQ(run.status, 1);
      EXPECT_EQ(run.out, "ktxhost play: cannot write " + name + " (" + option + "): " + special.why + "\n");
      EXPECT_EQ(fs::symlink_status(at).type(), kind);
    }
  }
  for (const int held : gInherited) ::close(held);
  gInherited.clear();
  for (const char* option : {"record", "step"}) {
    EXPECT_TRUE(fs::is_empty(scratch / (option + std::to_string(4)) / "real")) << "a file was made through the link";
  }
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(scratch / ""))
    files += !entry.is_symlink() && entry.is_regular_file() && entry.path() != scratch / "private" / "mine.txt";
  EXPECT_EQ(files, 0) << "a file was written";
  if (::geteuid() == 0) {
    EXPECT_EQ(FileText(scratch / "private" / "mine.txt"), "mine\n");
  }
}


// A --record name another process changes during the play is no output
// written, and the play says so rather than what stands there afterwards.
// The play is held as it says its first status line: its standard error,
// a pipe filled beforehand, takes it only once the name is changed.
// A --step name changed before its file is made, at the play's end, is
// refused as the walk found it.
TEST(PlayOutputs, ARecordNameChangedDuringThePlayIsNamedAsSuch) {
  if (::geteuid() != 0) GTEST_SKIP() << stamvik_test::NeedsRoot("gives a link to another user");
  Scratch scratch("changed_record");
  const fs::path mine = scratch.Write("mine.txt", "mine\n");
  ::chmod(mine.c_str(), 0600);
  struct Row {
    const char* name;
    void (*swap)(const fs::path& out, const fs::path& mine);
    fs::file_type left;
    const char* option = "--record";
    std::string why = "its name was changed by another process while it was written";
  };
  const Row rows[] = {
      {"a FIFO",
       [](const fs::path& at, const fs::path&) {
         fs::remove(at);
         ::mkfifo(at.c_str(), 0644);
       },
       fs::file_type::fifo},
      {"another user's link",
       [](const fs::path& at, const fs::path& to) {
         fs::remove(at);
         fs::create_symlink(to, at);
         ::lchown(at.c_str(), 65534, 65534);
       },
       fs::file_type::symlink},
      {"another user's link, at the STEP file's name",
       [](const fs::path& at, const fs::path& to) {
         fs::remove(at);
         fs::create_symlink(to, at);
         ::lchown(at.c_str(), 65534, 65534);
       },
       fs::file_type::symlink, "--step",
       "is a symbolic link owned by nobody (uid 65534) in a folder other users may write, which is not followed"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const bool step = row.option == std::string("--step");
    // A folder all may write, made for the row: another user's link there
    // is not followed.
    const fs::path shared = stamvik_test::OpenChild(scratch.Path(), "shared" + std::to_string(&row - rows), 0777);
    const fs::path out = shared / (step ? "out.stp" : "out.jou");
    std::ofstream(out, std::ios::binary) << "old\n";
    int error[2];
    ASSERT_EQ(::pipe2(error, O_CLOEXEC), 0);
    ::fcntl(error[1], F_SETFL, O_NONBLOCK);
    std::size_t filled = 0;
    const std::string block(4096, '.');
    for (ssize_t n = 0; (n = ::write(error[1], block.data(), block.size())) > 0;) filled += static_cast<std::size_t>(n);
    ::fcntl(error[1], F_SETFL, 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::dup2(error[1], 2);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      const std::string journal = (kExamples / "draw_punch.jou").string();
      ::execl(KTXHOST_PROGRAM, KTXHOST_PROGRAM, "play", journal.c_str(), row.option, out.c_str(), "--plugin",
              STAMVIK_PLUGIN, static_cast<char*>(nullptr));
      ::_exit(127);
    }
    ::close(error[1]);
    // Until it writes to its standard error, its temporary file made.
    const std::string writing = std::to_string(SYS_write) + " 0x2 ";
    bool held = false;
    for (int i = 0; i < 6000 && !held; ++i) {
      std::string call;
      std::getline(std::ifstream("/proc/" + std::to_string(child) + "/syscall"), call);
      held = call.rfind(writing, 0) == 0;
      if (!held) ::usleep(10000);
    }
    EXPECT_TRUE(held) << "the play never wrote to its standard error";
    int temporaries = 0;
    for (const auto& entry : fs::directory_iterator(shared))
      temporaries += entry.path().filename().string().rfind("out.jou.tmp-", 0) == 0;
    EXPECT_EQ(temporaries, step ? 0 : 1);
    row.swap(out, mine);
    std::string said;
    char chunk[1 << 14];
    for (ssize_t n = 0; (n = ::read(error[0], chunk, sizeof chunk)) > 0;) said.append(chunk, static_cast<std::size_t>(n));
    ::close(error[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1);
    // The journal's status lines, then only this.
    said.erase(0, filled);
    const std::size_t last = said.rfind('\n', said.size() - 2) + 1;
    EXPECT_EQ(said.substr(last),
              "ktxhost play: cannot write " + out.string() + " (" + row.option + "): " + row.why + "\n");
    EXPECT_EQ(said.find("ktxhost"), last) << said;
    EXPECT_EQ(fs::symlink_status(out).type(), row.left);
    EXPECT_EQ(FileText(mine), "mine\n");
    for (const auto& entry : fs::recursive_directory_iterator(scratch / ""))
      EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << "a temporary file was left";
  }
}

// Named as given, or through /proc (the play's folder, whose link reports
// no size), an output is the same file.
TEST(PlayOutputs, AKilledWriteOfAnOutputLeavesNoTemporaryFileAfterTheNextWholeOne) {
  Scratch scratch("killed_write");
  for (const std::string through : {"", "/proc/self/cwd/"}) {
    for (const char* option : {"--record", "--step"}) {
      SCOPED_TRACE(option + (" " + through));
      const fs::path out = scratch.Write(std::string(option + 2) + ".out", "old\n");
      const fs::path killed = stamvik_test::LeftByAKilledWriter(out.string());
      ASSERT_TRUE(fs::exists(killed)) << killed;
      EXPECT_EQ(FileText(out), "old\n");
      const std::string given = through.empty() ? out.string() : through + out.filename().string();
      const CommandRun run = Ktxhost(Play(kExamples / "draw_punch.jou", {option, given}), {KTXHOST_PROGRAM}, scratch / "");
      EXPECT_EQ(run.status, 0) << run.out;
      EXPECT_NE(FileText(out), "old\n");
      EXPECT_FALSE(fs::exists(killed)) << "the killed write's temporary file is left";
    }
  }
}

TEST(PlayOutputs, TheJournalNamedIsReadFromAFileOnly) {
  Scratch scratch("journal_read");
  const std::string fifo = (scratch / "fifo").string();
  const Arguments plugin = {"--plugin", STAMVIK_PLUGIN};
  ::mkfifo(fifo.c_str(), 0644);
  // Links another user (uid 65534) put in a folder all may write, to a
  // journal and to the plug-in, and a folder reached through such a link:
  // followed by no reader (the suite runs as root, to give them away).
  const fs::path shared = stamvik_test::OpenChild(scratch.Path(), "shared", 0777);
  const std::string journal = scratch.Write("j.jou", FileText(kExamples / "cast_relief.jou")).string();
  fs::create_symlink(journal, shared / "j.jou");
  fs::create_symlink(STAMVIK_PLUGIN, shared / "p.so");
  fs::create_symlink(scratch / "", shared / "folder");
  for (const char* link : {"j.jou", "p.so", "folder"}) ::lchown((shared / link).c_str(), 65534, 65534);
  const std::string theirs = " is a symbolic link owned by nobody (uid 65534) in a folder other users may write, "
                             "which is not followed";
  struct Row {
    Arguments arguments;
    int status;
    std::string message;
    bool asRoot = false;  // the links are another user's only when root gave them away
  };
  const Row rows[] = {
      {{"play", "-"}, 2, "ktxhost play: standard input is not read: give the journal's file (see ktxhost help play)"},
      {{"play", "/nonexistent.jou"}, 1, "ktxhost play: /nonexistent.jou: No such file or directory"},
      {{"play", fifo}, 1, "ktxhost play: " + fifo + ": not a regular file (a journal is read from a file)"},
      {{"play", journal, "--plugin", fifo}, 1,
       "ktxhost play: " + fifo + ": not a regular file (a plug-in is loaded from a file)"},
      {{"load", "--plugin", fifo}, 1, "ktxhost load: " + fifo + ": not a regular file (a plug-in is loaded from a file)"},
      {Arguments{"play", (shared / "j.jou").string()} + plugin, 1,
       "ktxhost play: " + (shared / "j.jou").string() + ":" + theirs, true},
      {Arguments{"play", (shared / "folder" / "j.jou").string()} + plugin, 1,
       "ktxhost play: " + (shared / "folder" / "j.jou").string() + ": leads through " + (shared / "folder").string() +
           ", a symbolic link owned by nobody (uid 65534) in a folder other users may write, which is not followed",
       true},
      {{"load", "--plugin", (shared / "p.so").string()}, 1,
       "ktxhost load: cannot load " + (shared / "p.so").string() + ":" + theirs, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Joined(row.arguments));
    if (row.asRoot && ::geteuid() != 0) {
      stamvik_test::SkipRow(Joined(row.arguments), stamvik_test::NeedsRoot("gives a link to another user"));
      continue;
    }
    CommandRun run = Ktxhost(row.arguments);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.out, row.message + "\n");
  }
  // The journal's name swapped for a FIFO and back, as fast as anyone who
  // may write its folder can: the journal is looked at through the file
  // opened, so no play waits on the FIFO's open whenever the swap comes.
  const fs::path name = scratch / "swapped.jou", next = scratch / "next";
  const std::string file = scratch.Write("v2.jou", "journal 2\n").string();
  ASSERT_EQ(::link(file.c_str(), name.c_str()), 0);
  std::atomic<bool> stop = false;
  std::thread swapper([&] {
    for (int i = 0; !stop; ++i) {
      ::link(i % 2 == 0 ? fifo.c_str() : file.c_str(), next.c_str());
      ::rename(next.c_str(), name.c_str());
    }
  });
  int hung = 0, plays = 0;
  stamvik_test::CommandOptions tenSeconds;
  tenSeconds.timeoutSeconds = 10;
  for (; plays < 40; ++plays)
    hung += stamvik_test::RunCommand({KTXHOST_PROGRAM, "play", name.string()}, tenSeconds).status == 124;
  stop = true;
  swapper.join();
  EXPECT_EQ(hung, 0) << "of " << plays << " plays";
}

TEST(PlayOutputs, AFileIsReplacedWholeOrNotAtAll) {
  Scratch scratch("replace");
  const std::string name = (scratch / "size.hsd").string();
  auto entries = [&] {
    int n = 0;
    for (const auto& e : fs::directory_iterator(scratch / "")) n += e.is_regular_file() ? 1 : 0;
    return n;
  };
  struct Row {
    const char* name;
    const char* mode;
    bool close;             // closed (else abandoned half way)
    const char* expected;   // what the file then holds
  };
  const Row rows[] = {
      {"written and closed", "w", true, "new\n"},
      {"appended and closed", "a", true, "old\nnew\n"},
      {"written, cut short", "w", false, "old\n"},
      {"appended, cut short", "a", false, "old\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    scratch.Write("size.hsd", "old\n");
    std::FILE* file = KTX::Files::OpenReplacing(name, row.mode);
    EXPECT_NE(file, nullptr);
    if (file == nullptr) continue;
    std::fputs("new\n", file);
    std::fflush(file);
    // While it is written the older file is whole.
    EXPECT_EQ(FileText(name), "old\n");
    if (row.close) {
      EXPECT_EQ(KTX::Files::CloseReplacing(file), 0);
    } else {
      KTX::Files::AbandonReplacing(file);
    }
    EXPECT_EQ(FileText(name), row.expected);
    EXPECT_EQ(entries(), 1) << "a temporary file was left";
  }
  EXPECT_EQ(KTX::Files::OpenReplacing((scratch / "missing" / "x").string(), "w"), nullptr);
}

TEST(PlayOutputs, ASizeFileThatCannotBeWrittenIsRefusedWithItsDialogAndTheJournalStaysWhole) {
  Scratch scratch("size_file");
  // The example up to its save, which names the file in the play's folder.
  const std::string example = FileText(kExamples / "manikin_size_file.jou");
  const std::size_t save = example.find("record 0 method \"Features.ManikinBuilder\" \"SaveToFile\"");
  ASSERT_NE(save, std::string::npos);
  const std::size_t end = example.find("closed 0\n", save) + 9;
  const int saveLine = 1 + static_cast<int>(std::count(example.begin(), example.begin() + save, '\n'));
  auto journal = [&](const std::string& sizeName, const std::string& fileName) {
    std::string text = example.substr(0, end);
    text.replace(text.find("\"manikin_example_sizes\""), 23, "\"" + fileName + "\"");
    text.replace(text.find("\"Tall driver\""), 13, "\"" + sizeName + "\"");
    return text;
  };
  const std::string at = ":" + std::to_string(saveLine) + ": ";
  const std::string refused = "error: 841406 ";
  const std::string dialog =
      "error: Input Validation: Error existing in accessing the file. Attribute of the file may be read only.\n";
  const std::string status =
      "the call gave another status (expected 0 (success), found 3030650 (the manikin size file could not be "
      "written";
  struct Row {
    const char* name;
    long long limit;       // the play's file size limit (bytes; kNoLimit for none)
    std::string sizeName;  // the manikin's size, written into the file
    std::string file;      // the name saved to (".hsd" is added)
    void (*make)(const fs::path& journal, const fs::path& folder);
    std::vector<std::string> shown;
    mode_t folderMode = 0755;  // the row's own folder, made for it
  };
  const std::string longName(4000, 'T');
  const Row rows[] = {
      {"a symbolic link to the journal", kNoLimit, "Tall", "self",
       [](const fs::path& j, const fs::path& f) { fs::create_symlink(j, f / "self.hsd"); },
       {refused + "self.hsd: the file is the journal being played", dialog, status}},
      {"a hard link to the journal", kNoLimit, "Tall", "hard",
       [](const fs::path& j, const fs::path& f) { fs::create_hard_link(j, f / "hard.hsd"); },
       {refused + "hard.hsd: the file is the journal being played", dialog, status}},
      {"a folder in the way of the rename", kNoLimit, "Tall", "dir",
       [](const fs::path&, const fs::path& f) { fs::create_directories(f / "dir.hsd" / "inside"); },
       {"warning: 841407 dir.hsd: the file could not be written (Is a directory): the older file is as it was\n",
        dialog, status}},
      {"the file size limit", 512, longName, "sizes",
       [](const fs::path&, const fs::path& f) { std::ofstream(f / "sizes.hsd", std::ios::binary) << "old\n"; },
       {dialog, status}},
      {"a FIFO", kNoLimit, "Tall", "fifo", [](const fs::path&, const fs::path& f) { ::mkfifo((f / "fifo.hsd").c_str(), 0644); },
       {"warning: 841407 fifo.hsd: the file could not be written (is a FIFO, not a regular file): the older file is "
        "as it was\n",
        dialog, status}},
      {"a symbolic link to itself", kNoLimit, "Tall", "loop",
       [](const fs::path&, const fs::path& f) { fs::create_symlink("loop.hsd", f / "loop.hsd"); }, {dialog, status}},
      {"a symbolic link to a missing file", kNoLimit, "Tall", "dangling",
       [](const fs::path&, const fs::path& f) { fs::create_symlink("missing.hsd", f / "dangling.hsd"); },
       {dialog, status}},
      // Another user's link in a shared folder to a private file of the
      // player's (the suite runs as root: uid 65534 is another user).
      {"another user's symbolic link in a shared folder", kNoLimit, "Tall", "theirs",
       [](const fs::path&, const fs::path& f) {
         const fs::path mine = f.parent_path() / "mine.hsd";
         std::ofstream(mine, std::ios::binary) << "mine\n";
         ::chmod(mine.c_str(), 0400);
         fs::create_symlink(mine, f / "theirs.hsd");
         ::lchown((f / "theirs.hsd").c_str(), 65534, 65534);
       },
       {"warning: 841407 theirs.hsd: the file could not be written (is a symbolic link owned by nobody (uid 65534) "
        "in a folder other users may write, which is not followed): the older file is as it was\n",
        dialog, status},
       0777},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    if (&row == &rows[7] && ::geteuid() != 0) {
      stamvik_test::SkipRow(row.name, stamvik_test::NeedsRoot("gives a link to another user"));
      continue;
    }
    const fs::path folder = stamvik_test::OpenChild(scratch.Path(), row.file, row.folderMode);
    const fs::path j = folder / "j.jou";
    const std::string text = journal(row.sizeName, row.file);
    std::ofstream(j, std::ios::binary) << text;
    row.make(j, folder);
    const fs::path saved = folder / (row.file + ".hsd");
    const auto kind = fs::symlink_status(saved).type();
    // A FIFO has a reader that does not wait: a writer that opened it would not wait either.
    const int reader = ::open(saved.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    stamvik_test::CommandOptions options;
    options.folder = folder.string();
    options.fileSizeLimit = row.limit;
    const CommandRun run = KtxhostWith(Play(j), options);
    if (reader >= 0) ::close(reader);
    EXPECT_EQ(fs::symlink_status(saved).type(), kind);
    // The save's status is not the journal's: the play stops there.
    EXPECT_EQ(run.status, 1) << run.out;
    for (const std::string& shown : row.shown)
      EXPECT_NE(run.out.find(j.string() + at + shown), std::string::npos) << shown << "\n" << run.out;
    EXPECT_EQ(FileText(j), text);
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder)) left.push_back(entry.path().filename().string());
    std::vector<std::string> expected{row.file + ".hsd", "j.jou"};
    std::sort(left.begin(), left.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(left, expected) << "a temporary file was left";
  }
  EXPECT_EQ(FileText(scratch / "sizes" / "sizes.hsd"), "old\n");
  EXPECT_TRUE(fs::is_directory(scratch / "dir" / "dir.hsd" / "inside"));
  if (::geteuid() == 0) {
    struct stat info {};
    ASSERT_EQ(::stat((scratch / "mine.hsd").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0400u) << std::oct << (info.st_mode & 07777);
    EXPECT_EQ(FileText(scratch / "mine.hsd"), "mine\n");
  }
}

TEST(PlayOutputs, AnOutputCutByTheFileSizeLimitFailsAndLeavesTheOlderFile) {
  // The draw punch's recorded journal and its STEP file are each larger than
  // 4 KiB, the play's limit.
  Scratch scratch("size_limit");
  struct Row {
    const char* option;
    const char* name;
  };
  const Row rows[] = {{"--record", "out.jou"}, {"--step", "out.stp"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.option);
    const fs::path out = scratch.Write(row.name, "old\n");
    stamvik_test::CommandOptions options;
    options.fileSizeLimit = 4096;
    const CommandRun run = KtxhostWith(Play(kExamples / "draw_punch.jou", {row.option, out.string()}), options);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("ktxhost play: cannot write " + out.string() + " (" + row.option + "): File too large\n"),
              std::string::npos)
        << run.out;
    EXPECT_EQ(FileText(out), "old\n");
    int entries = 0;
    for (const auto& entry : fs::directory_iterator(scratch / "")) entries += entry.is_regular_file() ? 1 : 0;
    EXPECT_EQ(entries, row.option == std::string("--record") ? 1 : 2) << "a temporary file was left";
  }
}

// ---- what a list takes ----------------------------------------------------------------------

std::string Record(const std::string& head, const std::string& lines, int status) {
  return "record 0 " + head + "\n" + lines + "  closed " + std::to_string(status) + "\n";
}

TEST(Lists, AListRefusesWhatItCannotHoldWithAStatusAndStaysAsItWas) {
  // Two beads, each with a segment in its list; an expression; the part.
  std::string head = "journal 1\n" +
                     Record("get \"Session\" \"WorkPart\"", "  result tag \"workpart\" \"Part\" 1\n", 0);
  for (int bead : {10, 11}) {
    const std::string b = std::to_string(bead), segment = std::to_string(bead + 10),
                      list = std::to_string(bead + 20);
    head += Record("method \"Die.DieCollection\" \"CreateDrawBeadBuilder\"",
                   "  this tag 1\n  in tag \"drawBead\" \"Die.DrawBead\" 0\n  result tag \"builder\" "
                   "\"Die.DrawBeadBuilder\" " + b + "\n", 0) +
            Record("method \"Die.DrawBeadBuilder\" \"CreateDrawBeadSegment\"",
                   "  this tag " + b + "\n  result tag \"item\" \"Die.DrawBeadSegmentBuilder\" " + segment + "\n", 0) +
            Record("get \"Die.DrawBeadBuilder\" \"SegmentList\"",
                   "  this ptr " + b + "\n  result ptr \"segmentlist\" \"Die.DrawBeadSegmentBuilderList\" " + list + "\n",
                   0) +
            Record("method \"ObjectList\" \"Append\"", "  this tag " + list + "\n  in tag \"object\" \"TaggedObject\" " +
                                                         segment + "\n", 0);
  }
  head += Record("get \"Die.DrawBeadBuilder\" \"FemaleWidthValue\"",
                 "  this ptr 10\n  result ptr \"femalewidthvalue\" \"Expression\" 40\n", 0);
  struct Row {
    const char* name;
    int object;  // appended to bead 10's list (30)
    int status;
  };
  const Row rows[] = {
      {"an expression", 40, 840804},
      {"the other bead", 11, 840804},
      {"its segment again", 20, 840805},
      {"the other bead's segment", 21, 840806},
      {"its own bead", 10, 840804},
      {"the part", 1, 840804},
  };
  Scratch scratch("lists");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    // The append gives its status, and the list still holds one segment.
    const std::string text =
        head +
        Record("method \"ObjectList\" \"Append\"",
               "  this tag 30\n  in tag \"object\" \"TaggedObject\" " + std::to_string(row.object) + "\n", row.status) +
        Record("method \"ObjectList\" \"FindItem\"",
               "  this tag 30\n  in int \"index\" - 1\n  result tag \"object\" \"TaggedObject\" 0\n", 840003);
    CommandRun run = Ktxhost(Play(scratch.Write("lists.jou", text)));
    EXPECT_EQ(run.status, 0) << run.out;
  }
}

TEST(Lists, ASelectionTakesNoPart) {
  const std::string text =
      "journal 1\n" + Record("get \"Session\" \"WorkPart\"", "  result tag \"workpart\" \"Part\" 1\n", 0) +
      Record("get \"Part\" \"DieCollection\"", "  this tag 1\n  result tag \"diecollection\" \"Die.DieCollection\" 1\n", 0) +
      Record("method \"Die.DieCollection\" \"CreateDieBoolean\"",
             "  this tag 1\n  result tag \"item\" \"Die.DieBooleanBuilder\" 20\n", 0) +
      Record("get \"Die.DieBooleanBuilder\" \"SelectBodies\"",
             "  this ptr 20\n  result ptr \"selectbodies\" \"SelectBrenvikObjectList\" 21\n", 0) +
      Record("method \"SelectObjectList\" \"Add\"", "  this ptr 21\n  in tag \"object\" \"TaggedObject\" 1\n", 840807);
  Scratch scratch("selection");
  CommandRun run = Ktxhost(Play(scratch.Write("select.jou", text)));
  EXPECT_EQ(run.status, 0) << run.out;
}

// ---- the command line ------------------------------------------------------------------------

TEST(CommandLine, ALibraryThatIsNotThePlugInIsRefused) {
  const std::string journal = (kExamples / "cast_relief.jou").string();
  struct Row {
    Arguments arguments;
    int status;
    std::string message;
  };
  const Row rows[] = {
      {{"load", "--plugin", "libm.so.6"}, 1, "ktxhost load: libm.so.6 is not the plug-in: it registers no class\n"},
      {{"play", journal, "--plugin", "libm.so.6"}, 1, "ktxhost play: libm.so.6 is not the plug-in: it exports no scripting call\n"},
      {{"published", "--plugin", "libm.so.6"}, 1, "ktxhost published: libm.so.6 is not the plug-in: it exports no scripting call\n"},
      // Linked against the plug-in, the previews reach its calls: not their own.
      {{"play", journal, "--plugin", KTXHOST_PREVIEWS}, 1,
       std::string("ktxhost play: ") + KTXHOST_PREVIEWS + " is not the plug-in: its scripting calls are " +
           STAMVIK_PLUGIN + "'s\n"},
      {{"load", "--plugin", KTXHOST_PREVIEWS}, 1,
       std::string("ktxhost load: ") + KTXHOST_PREVIEWS + " is not the plug-in: its scripting calls are " +
           STAMVIK_PLUGIN + "'s\n"},
      {{"help", "help"}, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Joined(row.arguments));
    CommandRun run = Ktxhost(row.arguments);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.out, row.message);
  }
  // A real written by name is refused when it is not finite.
  for (const char* value : {"nan", "-inf", "1e400"}) {
    SCOPED_TRACE(value);
    stamvik_test::CommandOptions withErrors;
    withErrors.errorsWithOutput = true;
    CommandRun props = stamvik_test::RunCommand(
        {KTXHOST_PROGRAM, "props", std::string("DistanceTolerance=") + value, "--plugin", STAMVIK_PLUGIN}, withErrors);
    EXPECT_EQ(props.status, 1);
    EXPECT_NE(props.out.find(std::string("DistanceTolerance: '") + value + "' is no Double\n"), std::string::npos)
        << props.out;
  }
  CommandRun help = stamvik_test::RunCommand({KTXHOST_PROGRAM, "help", "help"});
  EXPECT_EQ(help.out.rfind("usage: ktxhost help [COMMAND]\n", 0), 0u) << help.out;
}

// ---- names the readers, the writers and the plug-in's loader walk --------------------------

// ktxhost (or `program`) run with an argument vector, no shell between: its
// status (124 when it had to be stopped after `seconds`, 125 when `before`
// failed) and its error output, its standard output dropped; `pid` the
// process's, for what names it. It inherits every descriptor the test holds
// without O_CLOEXEC. `environment` sets ("NAME=VALUE") or unsets ("NAME")
// a variable for it alone; `before` runs in it before the program starts.
struct Spawned {
  int status = -1;
  std::string err;
  pid_t pid = 0;
};
Spawned KtxhostArgv(const std::vector<std::string>& arguments, const std::vector<std::string>& environment = {},
                    unsigned seconds = 60, bool (*before)() = nullptr, const std::string& program = KTXHOST_PROGRAM) {
  // Made before the fork: the child only changes descriptors and runs it.
  std::vector<std::string> variables;
  for (char** at = environ; *at != nullptr; ++at) {
    const std::string variable = *at, name = variable.substr(0, variable.find('='));
    if (std::none_of(environment.begin(), environment.end(),
                     [&](const std::string& e) { return e.substr(0, e.find('=')) == name; }))
      variables.push_back(variable);
  }
  for (const std::string& e : environment)
    if (e.find('=') != std::string::npos) variables.push_back(e);
  std::vector<char*> argv{const_cast<char*>(program.c_str())}, envp;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  for (const std::string& v : variables) envp.push_back(const_cast<char*>(v.c_str()));
  argv.push_back(nullptr);
  envp.push_back(nullptr);
  Spawned run;
  int error[2];
  if (::pipe2(error, O_CLOEXEC) != 0) return run;
  run.pid = ::fork();
  if (run.pid == 0) {
    ::dup2(error[1], 2);
    const int null = ::open("/dev/null", O_WRONLY);
    ::dup2(null, 1);
    if (before != nullptr && !before()) ::_exit(125);
    ::alarm(seconds);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  ::close(error[1]);
  char chunk[4096];
  for (ssize_t n = 0; (n = ::read(error[0], chunk, sizeof chunk)) > 0;) run.err.append(chunk, static_cast<std::size_t>(n));
  ::close(error[0]);
  int status = 0;
  if (run.pid > 0 && ::waitpid(run.pid, &status, 0) == run.pid)
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : WTERMSIG(status) == SIGALRM ? 124 : 128 + WTERMSIG(status);
  return run;
}

std::string Fd(int fd) { return "/proc/self/fd/" + std::to_string(fd); }

// A descriptor of a file holding the text, at its start, that the play
// inherits; -1 when it cannot be made.
int Holding(int fd, const std::string& text) {
  if (fd < 0 || ::write(fd, text.data(), text.size()) != static_cast<ssize_t>(text.size())) return -1;
  ::lseek(fd, 0, SEEK_SET);
  return fd;
}

const std::string kVersion2 = ":1: journal version 2 is not read here (expected 'journal 1')\n";
const std::string kTheirLink = "a symbolic link owned by nobody (uid 65534) in a folder other users may write, "
                               "which is not followed";

// A file a process holds that no folder holds (deleted, a memfd, an
// O_TMPFILE file) is read through /proc as the system reads it, and no
// output is written in its place, said so; a pipe there
// is refused at once, the plug-in's too; a name under a link of /proc to a
// pipe is refused as the link is no folder.
TEST(ReadNames, WhatALinkOfProcReachesIsReadOrRefusedAtOnce) {
  Scratch scratch("proc_names");
  const std::string text = "journal 2\n";
  const fs::path gone = scratch / "deleted.jou";
  const int deleted = Holding(::open(gone.c_str(), O_RDWR | O_CREAT, 0600), text);
  ::unlink(gone.c_str());
  const int memory = Holding(static_cast<int>(::syscall(SYS_memfd_create, "journal", 0)), text);
  const int unnamed = Holding(::open((scratch / "").c_str(), O_TMPFILE | O_RDWR, 0600), text);
  int pipe[2] = {-1, -1};
  ASSERT_EQ(::pipe(pipe), 0);  // both ends the play's: a reader of it would wait for ever
  const std::string p = Fd(pipe[0]), d = "/dev/fd/" + std::to_string(pipe[0]);
  const std::string journal = (kExamples / "cast_relief.jou").string();
  const std::string kHeldByNoFolder =
      "is a file that no folder holds (deleted, a memfd or an O_TMPFILE file), in whose place no file can be put\n";
  struct Row {
    std::vector<std::string> arguments;
    std::string err;  // PID: the play's process
  };
  const Row rows[] = {
      {{"play", Fd(deleted)}, Fd(deleted) + kVersion2},
      {{"play", "/dev/fd/" + std::to_string(memory)}, "/dev/fd/" + std::to_string(memory) + kVersion2},
      {{"play", Fd(unnamed)}, Fd(unnamed) + kVersion2},
      {{"play", p}, "ktxhost play: " + p + ": not a regular file (a journal is read from a file)\n"},
      {{"load", "--plugin", d}, "ktxhost load: " + d + ": not a regular file (a plug-in is loaded from a file)\n"},
      {{"props", "--plugin", p}, "ktxhost props: " + p + ": not a regular file (a plug-in is loaded from a file)\n"},
      {{"play", p + "/x"}, "ktxhost play: " + p + "/x: /proc/PID/fd/" + std::to_string(pipe[0]) + " is not a directory\n"},
      // A writer puts its file in a name's place in a folder: no folder holds these.
      {{"play", journal, "--record", Fd(deleted)}, "ktxhost play: cannot write " + Fd(deleted) + " (--record): " + kHeldByNoFolder},
      {{"play", journal, "--step", Fd(memory)}, "ktxhost play: cannot write " + Fd(memory) + " (--step): " + kHeldByNoFolder},
      {{"play", journal, "--record", Fd(unnamed)}, "ktxhost play: cannot write " + Fd(unnamed) + " (--record): " + kHeldByNoFolder},
      {{"load", "--plugin", d + "/x"},
       "ktxhost load: cannot load " + d + "/x: /proc/PID/fd/" + std::to_string(pipe[0]) + " is not a directory\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments[1] + " " + row.arguments.back());
    const Spawned run = KtxhostArgv(row.arguments, {}, 20);
    std::string err = row.err;
    if (const auto at = err.find("PID"); at != std::string::npos) err.replace(at, 3, std::to_string(run.pid));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, err);
  }
  for (const int fd : {deleted, memory, unnamed, pipe[0], pipe[1]}) ::close(fd);
}

// A name reached through a link whose text is longer than 256 bytes (the
// first buffer a link is read into) is followed whole, by the reader and by
// the writers.
TEST(ReadNames, ALinkWhoseTextIsLongerThan256BytesIsFollowedWhole) {
  Scratch scratch("long_link");
  const fs::path journal = scratch.Write("j.jou", "journal 2\n");
  std::string dots;
  while (dots.size() <= 300) dots += "./";
  // An absolute text to the journal, relative ones to the outputs.
  fs::create_symlink(scratch / (dots + "j.jou"), scratch / "j");
  // The outputs are there: a link to a missing file is none to write through.
  scratch.Write("out.jou", "old\n");
  scratch.Write("out.stp", "old\n");
  fs::create_symlink(dots + "out.jou", scratch / "record");
  fs::create_symlink(dots + "out.stp", scratch / "step");
  ASSERT_GT(fs::read_symlink(scratch / "j").string().size(), 300u);
  const Spawned read = KtxhostArgv({"play", (scratch / "j").string()});
  EXPECT_EQ(read.status, 1);
  EXPECT_EQ(read.err, (scratch / "j").string() + kVersion2);
  const Spawned written = KtxhostArgv({"play", (kExamples / "draw_punch.jou").string(), "--record",
                                       (scratch / "record").string(), "--step", (scratch / "step").string(),
                                       "--plugin", STAMVIK_PLUGIN});
  EXPECT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(FileText(scratch / "out.jou").rfind("journal 1\n", 0), 0u);
  EXPECT_EQ(FileText(scratch / "out.stp").rfind("ISO-10303-21;", 0), 0u);
  EXPECT_TRUE(fs::is_symlink(scratch / "record"));
}

// A journal's, a folder's or the plug-in's name swapped, as fast as the
// other user who may write the folder can, between a file the player may
// read and that user's link to a private one: each refusal is the walk's
// own (the link's words, or the name changed as it was followed), never an
// answer worked out again from the name, and the private file is never read.
TEST(ReadNames, ARefusalUnderASwapGivesTheWalksOwnWords) {
  if (::geteuid() != 0) GTEST_SKIP() << stamvik_test::NeedsRoot("gives links to another user");
  Scratch scratch("swapped_names");
  // Shared and sticky: the plug-in in it is the player's own.
  const fs::path shared = stamvik_test::OpenChild(scratch.Path(), "shared", 01777), secret = scratch / "private";
  fs::create_directories(shared / "real");
  fs::create_directories(secret);
  ::chmod(secret.c_str(), 0700);
  scratch.Write("private/j.jou", "journal 3\n");
  scratch.Write("shared/mine.jou", "journal 2\n");
  scratch.Write("shared/real/j.jou", "journal 2\n");
  fs::copy_file(STAMVIK_PLUGIN, shared / "mine.so");
  fs::create_symlink(secret / "j.jou", shared / "theirs.jou");
  fs::create_symlink(secret, shared / "theirs");
  fs::create_symlink(STAMVIK_PLUGIN, shared / "theirs.so");
  for (const char* link : {"theirs.jou", "theirs", "theirs.so"}) ::lchown((shared / link).c_str(), 65534, 65534);
  struct Row {
    const char* name;  // swapped, in the shared folder, with the next
    const char* with;
    std::vector<std::string> arguments;  // the name given last
    std::string given;
  };
  const fs::path named = shared / "d" / "j.jou";
  const Row rows[] = {
      {"j.jou", "theirs.jou", {"play"}, (shared / "j.jou").string()},
      {"d", "theirs", {"play"}, named.string()},
      {"p.so", "theirs.so", {"load", "--plugin"}, (shared / "p.so").string()},
  };
  fs::create_hard_link(shared / "mine.jou", shared / "j.jou");
  fs::rename(shared / "real", shared / "d");
  fs::create_hard_link(shared / "mine.so", shared / "p.so");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.given);
    const bool load = row.arguments[0] == "load";
    const std::set<std::string> allowed = {
        "",  // loaded
        row.given + kVersion2,
        "ktxhost play: " + row.given + ": is " + kTheirLink + "\n",
        "ktxhost play: " + row.given + ": leads through " + (shared / "d").string() + ", " + kTheirLink + "\n",
        "ktxhost play: " + row.given + ": its name was changed by another process as it was followed\n",
        "ktxhost load: cannot load " + row.given + ": is " + kTheirLink + "\n",
        "ktxhost load: cannot load " + row.given + ": its name was changed by another process as it was followed\n",
    };
    std::atomic<bool> stop = false;
    const std::string a = (shared / row.name).string(), b = (shared / row.with).string();
    std::thread swapper([&] {
      while (!stop) ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
    });
    std::map<std::string, int> said;
    for (int i = 0; i < (load ? 40 : 120); ++i) {
      std::vector<std::string> arguments = row.arguments;
      arguments.push_back(row.given);
      const Spawned run = KtxhostArgv(arguments, {}, 20);
      ++said[run.err];
    }
    stop = true;
    swapper.join();
    for (const auto& [err, times] : said) EXPECT_TRUE(allowed.count(err) == 1) << times << " times: " << err;
    // Swapped back: the name holds the player's own again.
    if (fs::is_symlink(shared / row.name)) fs::rename(a, shared / "back"), fs::rename(b, a), fs::rename(shared / "back", b);
  }
}

// A plug-in file is loaded only when no user but the player, or root, could
// have put it there or changed it: the file and its folder are theirs, no
// one else may write the file, nor the folder unless it is sticky. Looked at
// through the descriptor that is loaded, so a FIFO swapped in never holds
// the load.
TEST(PlugIns, APlugInAnotherUserCouldHavePutThereOrChangedIsNotLoaded) {
  if (::geteuid() != 0) GTEST_SKIP() << stamvik_test::NeedsRoot("gives files and folders to another user");
  Scratch scratch("trusted_plugin");
  struct Row {
    const char* name;
    uid_t fileOwner;
    mode_t fileMode;
    uid_t folderOwner;
    mode_t folderMode;
    std::string why;  // "" loads; FOLDER: the folder's path
  };
  const Row rows[] = {
      {"the player's, in a folder of theirs", 0, 0755, 0, 0755, ""},
      {"in a shared sticky folder", 0, 0644, 0, 01777, ""},
      {"in a shared folder, not sticky", 0, 0755, 0, 0777, "other users may write its folder FOLDER (mode 0777, not sticky: every user), who could have put it there (chmod go-w it, or build under umask 022)"},
      {"in a folder its group may write", 0, 0755, 0, 0775, "other users may write its folder FOLDER (mode 0775, not sticky: the users of its group root), who could have put it there (chmod g-w it, or build under umask 022)"},
      {"in another user's folder", 0, 0755, 65534, 0755, "its folder FOLDER is nobody (uid 65534)'s, neither the user's nor root's, who could have put it there"},
      {"another user's", 65534, 0755, 0, 0755, "it is a file of nobody (uid 65534), neither the user's nor root's, which is not loaded"},
      {"its group may write it", 0, 0775, 0, 0755, "other users may write it (mode 0775: the users of its group root), which is not loaded (chmod g-w it, or build under umask 022)"},
      {"others may write it", 0, 0646, 0, 01777, "other users may write it (mode 0646: every user), which is not loaded (chmod go-w it, or build under umask 022)"},
  };
  int i = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const fs::path folder = stamvik_test::OpenChild(scratch.Path(), std::to_string(i++), row.folderMode),
                   plugin = folder / "libstamvik.so";
    fs::copy_file(STAMVIK_PLUGIN, plugin);
    ::chown(plugin.c_str(), row.fileOwner, row.fileOwner);
    stamvik_test::FileMode(plugin, row.fileMode);
    ::chown(folder.c_str(), row.folderOwner, row.folderOwner);
    const Spawned run = KtxhostArgv({"load", "--plugin", plugin.string()});
    std::string why = row.why;
    if (const auto at = why.find("FOLDER"); at != std::string::npos) why.replace(at, 6, folder.string());
    EXPECT_EQ(run.status, why.empty() ? 0 : 1);
    EXPECT_EQ(run.err, why.empty() ? "" : "ktxhost load: cannot load " + plugin.string() + ": " + why + "\n");
  }
  // The name swapped between the plug-in and a FIFO: no load waits.
  const fs::path name = scratch / "0" / "swapped.so", fifo = scratch / "0" / "fifo";
  ::mkfifo(fifo.c_str(), 0644);
  fs::create_hard_link(scratch / "0" / "libstamvik.so", name);
  std::atomic<bool> stop = false;
  std::thread swapper([&] {
    while (!stop) ::renameat2(AT_FDCWD, name.c_str(), AT_FDCWD, fifo.c_str(), RENAME_EXCHANGE);
  });
  std::set<int> statuses;
  for (int tries = 0; tries < 40; ++tries) statuses.insert(KtxhostArgv({"load", "--plugin", name.string()}, {}, 20).status);
  stop = true;
  swapper.join();
  EXPECT_EQ(statuses.count(124), 0u) << "a load waited on the FIFO";
}

// The plug-in's folder rule holds for every folder its name passes through,
// each link's text walked in turn, and for a descriptor's name in /proc,
// which leads to the folder holding the file (a file no folder holds has
// none to check). The dialogs' previews and the geometry module beside the
// host library are checked as the plug-in is.
TEST(PlugIns, EveryFolderOnTheWayAndTheModulesBesideTheHostAreCheckedAsThePlugInIs) {
  Scratch scratch("folders_on_the_way");
  const std::string yours = [&] {
    struct stat info {};
    ::stat((scratch / "").c_str(), &info);
    const group* found = ::getgrgid(info.st_gid);
    return found != nullptr ? std::string(found->gr_name) : "gid " + std::to_string(info.st_gid);
  }();
  // A copy of the plug-in at scratch/FOLDER/in/libstamvik.so, FOLDER of the mode given.
  // (each FOLDER made for it inside the scratch folder, which no other user
  // can enter, whatever its own mode).
  auto placed = [&](const std::string& folder, mode_t mode, mode_t inMode = 0755) {
    const fs::path in = stamvik_test::OpenChild(stamvik_test::OpenChild(scratch.Path(), folder, mode), "in", inMode);
    fs::copy_file(STAMVIK_PLUGIN, in / "libstamvik.so");
    return in / "libstamvik.so";
  };
  const fs::path wide = placed("wide", 0777), grouped = placed("grouped", 0775), sticky = placed("sticky", 01777),
                 kept = placed("kept", 0755), open = placed("open", 0755, 0777);
  fs::create_symlink(grouped, scratch / "link.so");
  fs::create_symlink(kept, stamvik_test::OpenChild(scratch.Path(), "links", 0775) / "kept.so");
  const int heldOpen = ::open(open.c_str(), O_RDONLY);
  const int heldKept = ::open(kept.c_str(), O_RDONLY);
  fs::copy_file(STAMVIK_PLUGIN, scratch / "gone.so");
  const int heldGone = ::open((scratch / "gone.so").c_str(), O_RDONLY);
  fs::remove(scratch / "gone.so");
  const std::string onTheWay = "other users may write the folder " + (scratch / "wide").string() +
                               " on its way (mode 0777, not sticky: every user), who could have changed what it "
                               "leads to (chmod go-w it)";
  struct Row {
    const char* what;
    std::string given;
    std::string why;  // "" loads
  };
  const Row rows[] = {
      {"a folder on its way others may write", wide.string(), onTheWay},
      {"one its group may write, through a link",
       (scratch / "link.so").string(),
       "other users may write the folder " + (scratch / "grouped").string() +
           " on its way (mode 0775, not sticky: the users of its group " + yours +
           "), who could have changed what it leads to (chmod g-w it)"},
      {"a link to it in a folder its group may write", (scratch / "links" / "kept.so").string(),
       "other users may write the folder " + (scratch / "links").string() +
           " on its way (mode 0775, not sticky: the users of its group " + yours +
           "), who could have changed what it leads to (chmod g-w it)"},
      {"a sticky one on its way", sticky.string(), ""},
      {"its descriptor's name, its folder one others may write", Fd(heldOpen),
       "other users may write its folder " + open.parent_path().string() +
           " (mode 0777, not sticky: every user), who could have put it there (chmod go-w it, or build under umask "
           "022)"},
      {"its descriptor's name, in the user's folders", Fd(heldKept), ""},
      {"its descriptor's name, a file no folder holds", Fd(heldGone), ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Spawned run = KtxhostArgv({"load", "--plugin", row.given});
    EXPECT_EQ(run.status, row.why.empty() ? 0 : 1) << run.err;
    EXPECT_EQ(run.err, row.why.empty() ? "" : "ktxhost load: cannot load " + row.given + ": " + row.why + "\n");
  }
  for (const int fd : {heldOpen, heldKept, heldGone}) ::close(fd);
  // A copy of the build whose previews, or geometry module, its group may write.
  const fs::path build = scratch / "build", libraries = fs::path(KTXHOST_PROGRAM).parent_path().parent_path() / "lib";
  fs::create_directories(build);
  fs::copy_file(KTXHOST_PROGRAM, build / "ktxhost");
  for (const auto& entry : fs::directory_iterator(libraries))
    if (entry.path().extension() == ".so") fs::copy_file(entry.path(), build / entry.path().filename());
  const std::string loose = "other users may write it (mode 0664: the users of its group " + yours +
                            "), which is not loaded (chmod g-w it, or build under umask 022)";
  for (const char* module : {"libktxpreviews.so", "libktxgeom.so"}) {
    SCOPED_TRACE(module);
    stamvik_test::FileMode(build / module, 0664);
    const Spawned run = KtxhostArgv({"play", (kExamples / "die_shoe.jou").string(), "--plugin", (build / "libstamvik.so").string()},
                                    {"LD_LIBRARY_PATH=" + build.string(), "KTX_GEOMETRY_MODULE"}, 120, nullptr,
                                    (build / "ktxhost").string());
    EXPECT_EQ(run.status, 1);
    const std::string said = module == std::string("libktxpreviews.so")
                                 ? "ktxhost: cannot load the previews " + (build / module).string() + ": " + loose + "\n"
                                 : "ktx: cannot load the geometry module " + (build / module).string() + ": " + loose + "\n";
    EXPECT_EQ(run.err.substr(0, said.size()), said) << run.err;
    ::chmod((build / module).c_str(), 0644);
  }
}

// The temporary folder the play makes its motion files' folder in: at most
// 203 bytes of name leave room for the longest motion file's name (256
// bytes: FOLDER, "/ktxhost-play-XXXXXX", "/spindle_file_design_position.txt",
// which the clearance writes, its tire body made from it); one
// longer, or reached through another user's link, is named at once, and
// nothing is made through the link.
TEST(PlayFolders, ATemporaryFolderTooLongOrThroughAnotherUsersLinkIsNamedAtTheFirstMotionFile) {
  Scratch scratch("long_tmpdir");
  // The play runs in the scratch folder and is given TMPDIR relative to it,
  // so that the name's bytes are the row's own, however long the suite's
  // own TMPDIR is.
  static fs::path into;
  into = scratch / "";
  const auto enter = [] { return ::chdir(into.c_str()) == 0; };
  // A folder whose name has `size` bytes, in the scratch folder.
  auto folderOf = [&](std::size_t size) {
    const std::string folder(size, 'd');
    fs::create_directories(scratch / folder);
    return folder;
  };
  const std::string atTheLimit = folderOf(203), pastIt = folderOf(204);
  const fs::path secret = scratch / "private", shared = stamvik_test::OpenChild(scratch.Path(), "shared", 0777);
  fs::create_directories(secret);
  fs::create_symlink(secret, shared / "tmp");
  const bool root = ::geteuid() == 0;
  if (root) ::lchown((shared / "tmp").c_str(), 65534, 65534);
  const std::string journal = (kExamples / "tire_envelope_motion.jou").string();
  // The clearance's example as its motion holds the wheel still: the same
  // motion files, without seconds of unions (a minute under the sanitizers).
  const std::string clearance = (kData / "tire_envelope_clearance_still.jou").string();
  // Its inputs, which it names relative to where it plays.
  fs::create_directories(scratch / "examples");
  for (const auto& entry : fs::directory_iterator(kExamples))
    if (entry.path().extension() == ".txt") fs::copy_file(entry.path(), scratch / "examples" / entry.path().filename());
  const std::string cannot = journal + ":53: warning: the folder for the play's motion files cannot be made in the "
                                       "temporary folder \"";
  struct Row {
    std::string tmpdir;
    std::string first;  // the error output's first line ("": none, the play done)
    bool asRoot = false;
    const std::string* played = nullptr;  // the journal (null: the motion's)
  };
  const Row rows[] = {
      {atTheLimit, ""},
      {atTheLimit + "/", ""},
      {atTheLimit, "", false, &clearance},
      {pastIt, cannot + pastIt + "\": a motion file's name in it would be longer than 256 bytes (257; the temporary "
                                 "folder's name may have at most 203)"},
      {"shared/tmp", cannot + "shared/tmp\": is " + kTheirLink, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tmpdir + (row.played != nullptr ? " (the clearance)" : ""));
    if (row.asRoot && !root) {
      stamvik_test::SkipRow("TMPDIR=" + row.tmpdir, stamvik_test::NeedsRoot("gives a link to another user"));
      continue;
    }
    const Spawned run = KtxhostArgv({"play", row.played != nullptr ? *row.played : journal, "--plugin", STAMVIK_PLUGIN},
                                    {"QDEN_TMP_DIR", "TMP", "TEMP", "TEMPDIR", "KTX_FAIL", "TMPDIR=" + row.tmpdir}, 60,
                                    +enter);
    EXPECT_EQ(run.status, row.first.empty() ? 0 : 1);
    EXPECT_EQ(run.err.substr(0, run.err.find('\n')), row.first);
    EXPECT_TRUE(fs::is_empty(scratch / row.tmpdir)) << "a folder was left or made";
    EXPECT_TRUE(fs::is_empty(secret)) << "a folder was made through the link";
  }
}

// --record's temporary file that cannot be made once the check before the
// play passed (here a file system without a free inode, which the check
// cannot see) fails the play's end with why, not with a stream's error.
TEST(PlayOutputs, ARecordWhoseTemporaryFileCannotBeMadeAfterTheCheckSaysWhy) {
  if (::geteuid() != 0) GTEST_SKIP() << stamvik_test::NeedsRoot("mounts a file system of the play's own");
  Scratch scratch("no_inodes");
  static fs::path full;
  full = scratch / "full";
  fs::create_directories(full);
  const auto mountFull = [] {
    return ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
           ::mount("tmpfs", full.c_str(), "tmpfs", 0, "nr_inodes=1,size=64k") == 0;
  };
  const std::string out = (full / "out.jou").string();
  const Spawned run = KtxhostArgv({"play", (kExamples / "cast_relief.jou").string(), "--record", out, "--plugin",
                                   STAMVIK_PLUGIN},
                                  {}, 60, +mountFull);
  if (run.status == 125) GTEST_SKIP() << "no file system of the play's own can be mounted here";
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "ktxhost play: cannot write " + out + " (--record): No space left on device\n");
}

// A play stopped by a signal that ends it, once its motion files' folder
// stands (the envelope commit's journal writes its motion files, then
// builds the envelope for seconds), removes the folder and ends by that
// signal: TMPDIR is left as it was. The play runs in the scratch folder,
// given TMPDIR relative to it: no deeper than the suite's own TMPDIR.
TEST(PlayFolders, APlayStoppedByASignalLeavesNoMotionFolder) {
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    SCOPED_TRACE(signal);
    Scratch scratch("stopped_play");
    const fs::path tmp = scratch / "t";
    fs::create_directories(tmp);
    std::vector<std::string> variables = {"TMPDIR=t"};
    for (char** at = environ; *at != nullptr; ++at) {
      const std::string variable = *at, name = variable.substr(0, variable.find('='));
      if (name != "TMPDIR" && name != "TMP" && name != "TEMP" && name != "TEMPDIR" && name != "QDEN_TMP_DIR" &&
          name != "KTX_FAIL")
        variables.push_back(variable);
    }
    const std::string journal = (kExamples / "tire_envelope_commit.jou").string();
    std::vector<std::string> arguments = {KTXHOST_PROGRAM, "play", journal, "--plugin", STAMVIK_PLUGIN};
    std::vector<char*> argv, envp;
    for (std::string& a : arguments) argv.push_back(a.data());
    for (std::string& v : variables) envp.push_back(v.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      ::dup2(null, 2);
      // Whatever the test was started with, the play may be stopped by each.
      struct sigaction fallBack {};
      fallBack.sa_handler = SIG_DFL;
      ::sigaction(signal, &fallBack, nullptr);
      if (::chdir(scratch.Path().c_str()) != 0) ::_exit(126);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    bool stood = false;
    for (int waited = 0; waited < 6000 && !stood; ++waited) {
      std::error_code ignored;
      stood = !fs::is_empty(tmp, ignored);
      if (!stood) ::usleep(10000);
    }
    ::kill(pid, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(stood) << "no motion folder was made";
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
    EXPECT_TRUE(fs::is_empty(tmp)) << "the motion folder was left";
  }
}

// The dialogs' previews are found beside the host library the program runs
// with: a copy of the build with its libraries plays with its own, and says
// so where it has none.
TEST(PlayFolders, TheDialogsPreviewsAreFoundBesideTheHostLibrary) {
  Scratch scratch("copied_build");
  const fs::path libraries = fs::path(KTXHOST_PROGRAM).parent_path().parent_path() / "lib";
  for (const char* copy : {"whole", "no-previews"}) {
    SCOPED_TRACE(copy);
    const fs::path to = scratch / copy;
    fs::create_directories(to);
    fs::copy_file(KTXHOST_PROGRAM, to / "ktxhost");
    for (const auto& entry : fs::directory_iterator(libraries))
      if (entry.path().extension() == ".so" &&
          (copy == std::string("whole") || entry.path().filename() != "libktxpreviews.so"))
        fs::copy_file(entry.path(), to / entry.path().filename());
    const Spawned run =
        KtxhostArgv({"play", (kExamples / "cast_relief.jou").string(), "--plugin", (to / "libstamvik.so").string()},
                    {"LD_LIBRARY_PATH=" + to.string()}, 60, nullptr, (to / "ktxhost").string());
    if (copy == std::string("whole")) {
      EXPECT_EQ(run.status, 0) << run.err;
    } else {
      EXPECT_EQ(run.status, 1);
      const std::string said = "ktxhost: cannot load the previews " + (to / "libktxpreviews.so").string() + ": ";
      EXPECT_EQ(run.err.rfind(said, 0), 0u) << run.err;
    }
  }
}

}  // namespace

namespace {

// A play stopped at a chosen moment (or let play on when the stop is
// ignored, as under nohup) leaves neither its motion files' folder nor a
// temporary file of its outputs: the moment the folder first stands, the
// moment the play is about to remove it at its end (held there by
// KTXHOST_HOLD_REMOVAL until the stop is sent), and the moment the STEP
// file's temporary file is made.
TEST(PlayFolders, AStoppedPlayLeavesNoMotionFolderNorTemporaryFile) {
  enum class When { kFolderStands, kFinalRemoval, kStepWritten };
  struct Row {
    const char* what;
    int signal;
    When when;
    bool record = false;
    bool step = false;
    bool ignored = false;  // the signal ignored when the play starts: it plays on
  };
  const Row rows[] = {
      {"a stop during the final removal", SIGTERM, When::kFinalRemoval},
      {"a hangup during the final removal", SIGHUP, When::kFinalRemoval, true, true},
      {"a stop while --record is written", SIGTERM, When::kFolderStands, true},
      {"an interrupt while --record is written", SIGINT, When::kFolderStands, true},
      {"a hangup while --record is written", SIGHUP, When::kFolderStands, true},
      {"a stop while --step is written", SIGTERM, When::kStepWritten, false, true},
      {"an interrupt while --step is written", SIGINT, When::kStepWritten, true, true},
      {"a hangup ignored as under nohup", SIGHUP, When::kFolderStands, true, true, true},
      {"a hangup ignored, sent during the final removal", SIGHUP, When::kFinalRemoval, false, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Scratch scratch("stops");
    const fs::path tmp = scratch / "tmp", out = scratch / "out";
    fs::create_directories(tmp);
    fs::create_directories(out);
    std::vector<std::string> variables = {"TMPDIR=" + tmp.string()};
    if (row.when == When::kFinalRemoval) variables.push_back("KTXHOST_HOLD_REMOVAL=1");
    for (char** at = environ; *at != nullptr; ++at) {
      const std::string variable = *at, name = variable.substr(0, variable.find('='));
      if (name != "TMPDIR" && name != "TMP" && name != "TEMP" && name != "TEMPDIR" && name != "QDEN_TMP_DIR" &&
          name != "KTX_FAIL" && name != "KTXHOST_HOLD_REMOVAL")
        variables.push_back(variable);
    }
    // The envelope whose wheel stands still: its motion folder stands a few
    // tenths of a second, the polls a hundredth apart. The example's unions
    // for a stop while the STEP file is written: its envelope's takes long
    // enough to be stopped in the middle, the still one's is written at once.
    const fs::path played = row.when == When::kStepWritten ? kExamples / "tire_envelope_commit.jou"
                                                           : kData / "sweep_tire_envelope.jou";
    std::vector<std::string> arguments = {KTXHOST_PROGRAM, "play", played.string(), "--plugin", STAMVIK_PLUGIN};
    if (row.record) arguments.insert(arguments.end(), {"--record", (out / "played.jou").string()});
    if (row.step) arguments.insert(arguments.end(), {"--step", (out / "part.stp").string()});
    std::vector<char*> argv, envp;
    for (std::string& a : arguments) argv.push_back(a.data());
    for (std::string& v : variables) envp.push_back(v.data());
    argv.push_back(nullptr);
    envp.push_back(nullptr);
    // The STEP file's temporary file is seen as it is made, not polled for.
    const int watch = ::inotify_init1(IN_CLOEXEC);
    ASSERT_GE(watch, 0);
    ASSERT_GE(::inotify_add_watch(watch, out.c_str(), IN_CREATE), 0);
    int input[2], error[2];
    ASSERT_EQ(::pipe2(input, O_CLOEXEC), 0);
    ASSERT_EQ(::pipe2(error, O_CLOEXEC), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
      ::dup2(input[0], 0);
      ::dup2(error[1], 2);
      const int null = ::open("/dev/null", O_WRONLY);
      ::dup2(null, 1);
      struct sigaction start {};
      start.sa_handler = row.ignored ? SIG_IGN : SIG_DFL;
      ::sigaction(row.signal, &start, nullptr);
      ::alarm(120);
      ::execve(argv[0], argv.data(), envp.data());
      ::_exit(127);
    }
    ASSERT_GT(pid, 0);
    ::close(input[0]);
    ::close(error[1]);
    bool reached = false;
    if (row.when == When::kFolderStands) {
      for (int waited = 0; waited < 6000 && !reached; ++waited) {
        std::error_code ignored;
        reached = !fs::is_empty(tmp, ignored);
        if (!reached) ::usleep(10000);
      }
    } else if (row.when == When::kFinalRemoval) {
      std::string said;
      char chunk[256];
      for (ssize_t n; !reached && (n = ::read(error[0], chunk, sizeof chunk)) > 0;) {
        said.append(chunk, static_cast<std::size_t>(n));
        reached = said.find("ktxhost: removing the motion files' folder\n") != std::string::npos;
      }
    } else {
      alignas(inotify_event) char events[4096];
      for (ssize_t n; !reached && (n = ::read(watch, events, sizeof events)) > 0;)
        for (ssize_t at = 0; at < n && !reached;) {
          const auto* event = reinterpret_cast<const inotify_event*>(events + at);
          at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
          reached = event->len > 0 && std::string(event->name).rfind("part.stp.tmp-", 0) == 0;
        }
    }
    ::kill(pid, row.signal);
    ::close(input[1]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ::close(error[0]);
    ::close(watch);
    EXPECT_TRUE(reached) << "the moment never came";
    if (row.ignored)
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    else
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == row.signal) << status;
    EXPECT_TRUE(fs::is_empty(tmp)) << "the motion folder was left";
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(out)) left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    // A play that reached its end wrote them whole.
    std::vector<std::string> written;
    if (row.ignored || row.when == When::kFinalRemoval) {
      if (row.step) written.push_back("part.stp");
      if (row.record) written.push_back("played.jou");
    }
    EXPECT_EQ(left, written) << "an output's temporary file was left, or an output of a stopped play written";
  }
}

}  // namespace
