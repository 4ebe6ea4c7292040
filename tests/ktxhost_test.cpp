// ktxhost as a command-line program: its help, version, exit statuses and
// usage errors, and the journals it refuses to play.
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include <gtest/gtest.h>

namespace {

struct Outcome {
  int status = -1;
  std::string out, err;
};

// Runs ktxhost with the arguments (shell words); stdout and stderr apart.
Outcome Ktxhost(const std::string& arguments, const std::string& errFile) {
  Outcome run;
  std::string command = std::string(KTXHOST_PROGRAM) + " " + arguments + " 2>" + errFile;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  std::size_t n = 0;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  int rc = pclose(pipe);
  run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  if (FILE* f = std::fopen(errFile.c_str(), "r")) {
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) run.err.append(buffer, n);
    std::fclose(f);
  }
  std::remove(errFile.c_str());
  return run;
}

std::string ErrFile() { return testing::TempDir() + "ktxhost_err_" + std::to_string(::getpid()); }

TEST(KtxhostCommandLine, HelpVersionAndUsageErrorsGiveTheirStatusAndNameTheArgument) {
  struct Row {
    const char* arguments;
    int status;
    const char* out;  // what stdout begins with ("" for nothing)
    const char* err;  // what stderr holds somewhere ("" for nothing)
  };
  const Row rows[] = {
      {"--version", 0, "ktxhost 0.", ""},
      {"--help", 0, "usage: ktxhost COMMAND", ""},
      {"help play", 0, "usage: ktxhost play FILE", ""},
      {"play --help", 0, "usage: ktxhost play FILE", ""},
      {"load --help", 0, "usage: ktxhost load", ""},
      {"props --help", 0, "usage: ktxhost props", ""},
      {"props --plugin nowhere.so --help", 0, "usage: ktxhost props", ""},
      {"", 2, "", "usage: ktxhost COMMAND"},
      {"fly", 2, "", "unknown command 'fly'"},
      {"help fly", 2, "", "unknown command 'fly'"},
      {"play", 2, "", "no journal given"},
      {"play a.jou --frobnicate", 2, "", "unknown option '--frobnicate'"},
      {"play a.jou b.so c", 2, "", "unexpected argument 'c'"},
      {"play a.jou --record", 2, "", "'--record' needs a file"},
      {"load --verbose", 2, "", "unknown option '--verbose'"},
      {"load a.so b.so", 2, "", "unexpected argument 'b.so'"},
      {"props --class", 2, "", "'--class' needs a value"},
      {"props --colour red", 2, "", "unknown option '--colour'"},
      {"props --class Die.NoSuchBuilder", 1, "", "no property owner of \"Die.NoSuchBuilder\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    Outcome run = Ktxhost(row.arguments, ErrFile());
    EXPECT_EQ(run.status, row.status);
    if (*row.out == '\0')
      EXPECT_EQ(run.out, "");
    else
      EXPECT_EQ(run.out.rfind(row.out, 0), 0u) << run.out;
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
  }
}

TEST(KtxhostCommandLine, EveryCommandsHelpStatesTheExitStatuses) {
  for (const char* command : {"load", "journal", "play", "props"}) {
    Outcome run = Ktxhost(std::string("help ") + command, ErrFile());
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("exit status: 0 done, 1 the work failed"), std::string::npos) << command;
  }
}

TEST(KtxhostCommandLine, PropsMakesAnyPublishedBuilderThroughItsCreator) {
  Outcome run = Ktxhost(std::string("props --plugin ") + STAMVIK_PLUGIN + " --class Die.HeelpostBuilder wall_a_relief",
                    ErrFile());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("object \"Die.HeelpostBuilder\" tag ", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\nwall_a_relief = Logical false\n"), std::string::npos) << run.out;
  // A sub-builder too, made by its own creator.
  run = Ktxhost(std::string("props --plugin ") + STAMVIK_PLUGIN + " --class Die.DiePlaneBuilder InputType", ErrFile());
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\nInputType = Enum "), std::string::npos) << run.out;
}

}  // namespace
