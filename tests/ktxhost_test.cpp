// ktxhost as a command-line program: its help, version, exit statuses and
// usage errors, and the journals it refuses to play; and the journal a
// script's calls leave on a builder the host made by its class id.
#include <link.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "JamTestSupport.hpp"
#include "jam/Journal.hpp"
#include "om/ObjectManager.hpp"

// The exports as a script declares them.
extern "C" {
int XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(KTX::DieDesJA::CastReliefBuilder*, bool);
int XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance(KTX::DieDesJA::CastReliefBuilder*, double);
int XJA_CAST_RELIEF_BUILDER_get_DistanceTolerance(KTX::DieDesJA::CastReliefBuilder*, double*);
int XJA_CAST_RELIEF_BUILDER_get_Target(KTX::DieDesJA::CastReliefBuilder*, KTX::SELECT_OBJECT**);
}

namespace {


using Outcome = stamvik_test::CommandRun;
using Arguments = std::vector<std::string>;

// Runs ktxhost with the arguments (no shell between), in the folder and
// environment given; stdout and stderr apart.
Outcome Ktxhost(Arguments arguments, const stamvik_test::CommandOptions& options = {}) {
  arguments.insert(arguments.begin(), KTXHOST_PROGRAM);
  return stamvik_test::RunCommand(arguments, options);
}

// The words of a row's command line that holds no path, written as one text:
// split at each space, '' an empty word.
Arguments Words(const std::string& text) {
  Arguments words;
  std::istringstream in(text);
  for (std::string word; in >> word;) words.push_back(word == "''" ? "" : word);
  return words;
}

// The arguments as a row's trace names them.
std::string Joined(const Arguments& arguments) {
  std::string joined;
  for (const std::string& argument : arguments) joined += (joined.empty() ? "" : " ") + argument;
  return joined;
}

// The runner every play of the suites goes through, no shell between: each
// option does what a shell's words did before (cd, VAR=VALUE, env -u,
// timeout, 2>&1, >/dev/null, ulimit -f), and the path given reaches the
// program as one argument whatever it holds.
TEST(RunCommand, EachOptionDoesWhatItsShellWordsDid) {
  const stamvik_test::ScratchFolder folder("run_command-");
  const std::string odd = folder.Slashed() + "a b 'c' $(d) \"e\"";
  std::filesystem::create_directories(odd);
  struct Row {
    const char* what;
    Arguments arguments;
    stamvik_test::CommandOptions options;
    int status;
    std::string out, err;  // err: what it begins with
  };
  stamvik_test::CommandOptions in, set, unset, timed, together, dropped, limited;
  in.folder = odd;
  set.environment = {"RUN_COMMAND_ROW=given"};
  ::setenv("RUN_COMMAND_LEFT", "here", 1);
  unset.unset = {"RUN_COMMAND_LEFT"};
  timed.timeoutSeconds = 1;
  together.errorsWithOutput = true;
  dropped.outputDropped = true;
  limited.fileSizeLimit = 1024;
  const std::string big = folder.Slashed() + "big";
  const Row rows[] = {
      {"a path as one argument", {"ls", "-d", odd}, {}, 0, odd + "\n", ""},
      {"in the folder given", {"pwd"}, in, 0, odd + "\n", ""},
      {"a variable set", {"printenv", "RUN_COMMAND_ROW"}, set, 0, "given\n", ""},
      {"the caller's variable kept", {"printenv", "RUN_COMMAND_LEFT"}, {}, 0, "here\n", ""},
      {"the caller's variable unset", {"printenv", "RUN_COMMAND_LEFT"}, unset, 1, "", ""},
      {"stopped past its time", {"sleep", "30"}, timed, 124, "", ""},
      {"stderr apart", {"ls", "/nonexistent"}, {}, 2, "", "ls: "},
      {"stderr with the output", {"ls", "/nonexistent"}, together, 2, "ls: cannot access", ""},
      {"stdout dropped", {"echo", "x"}, dropped, 0, "", ""},
      {"a file past its size limit", {"dd", "if=/dev/zero", "of=" + big, "bs=4096", "count=1"}, limited, -1, "", ""},
      {"no such program", {"/nonexistent/program"}, {}, 127, "", ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const auto start = std::chrono::steady_clock::now();
    const stamvik_test::CommandRun run = stamvik_test::RunCommand(row.arguments, row.options);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_EQ(run.out.substr(0, row.status == 2 && !row.out.empty() ? row.out.size() : std::string::npos), row.out);
    EXPECT_EQ(run.err.substr(0, row.err.size()), row.err);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  }
  ::unsetenv("RUN_COMMAND_LEFT");
  EXPECT_LE(std::filesystem::file_size(big), 1024u);
}

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
      {"help --help", 0, "usage: ktxhost help [COMMAND]", ""},
      {"", 2, "", "usage: ktxhost COMMAND"},
      {"--help extra", 2, "", "ktxhost --help: unexpected operand 'extra': --help takes no operand"},
      {"--version extra", 2, "", "ktxhost --version: unexpected operand 'extra'"},
      // A command's help takes no operand either; its options are passed over.
      {"load --help extra", 2, "", "ktxhost load: unexpected operand 'extra': --help takes no operand"},
      {"journal -h extra", 2, "", "ktxhost journal: unexpected operand 'extra': -h takes no operand"},
      {"play --help j.jou", 2, "", "ktxhost play: unexpected operand 'j.jou': --help takes no operand"},
      {"props Tag --help", 2, "", "ktxhost props: unexpected operand 'Tag': --help takes no operand"},
      {"published --help extra", 2, "", "ktxhost published: unexpected operand 'extra'"},
      {"play --help --record j.jou", 0, "usage: ktxhost play FILE", ""},
      // A switch takes no value: the word after it is still an operand.
      {"play --raw j.jou --help", 2, "", "ktxhost play: unexpected operand 'j.jou': --help takes no operand"},
      {"props --no-object Tag --help", 2, "", "ktxhost props: unexpected operand 'Tag': --help takes no operand"},
      {"published --counts extra --help", 2, "", "ktxhost published: unexpected operand 'extra': --help takes"},
      {"fly", 2, "", "unknown command 'fly'"},
      {"help fly", 2, "", "unknown command 'fly'"},
      {"play", 2, "", "no journal given"},
      {"play a.jou --frobnicate", 2, "", "unknown option '--frobnicate'"},
      {"play a.jou b.so c", 2, "", "ktxhost play: unexpected operand 'b.so': play takes one journal; the plug-in"},
      {"play a.jou --record", 2, "", "'--record' needs a file"},
      {"play a.jou --record ''", 2, "", "'--record' needs a file"},
      {"play a.jou --step ''", 2, "", "'--step' needs a file"},
      {"play a.jou --record a --record b", 2, "", "ktxhost play: '--record' is given twice ('a', then 'b')"},
      {"play a.jou --step a --raw --step a", 2, "", "ktxhost play: '--step' is given twice ('a', then 'a')"},
      {"load --verbose", 2, "", "unknown option '--verbose'"},
      {"load a.so b.so", 2, "", "ktxhost load: unexpected operand 'a.so': load takes no operand; the plug-in"},
      {"load --plugin", 2, "", "'--plugin' needs a value"},
      {"load --plugin ''", 2, "", "'--plugin' needs a value"},
      {"play a.jou --plugin", 2, "", "'--plugin' needs a value"},
      {"published --class", 2, "", "'--class' needs a journal class"},
      {"published --class ''", 2, "", "'--class' needs a journal class"},
      {"published a.so b.so", 2, "", "ktxhost published: unexpected operand 'a.so': published takes no operand"},
      {"journal a.so b.so", 2, "", "ktxhost journal: unexpected operand 'a.so': journal takes no operand"},
      // An empty word names no journal; a lone "-" is a journal to play only,
      // which is refused by name, and an unknown option elsewhere.
      {"play ''", 2, "", "no journal given"},
      {"play a.jou ''", 2, "", "ktxhost play: unexpected operand ''"},
      {"play -", 2, "", "standard input is not read"},
      {"load -", 2, "", "unknown option '-'"},
      {"props -", 2, "", "unknown option '-'"},
      {"props --class", 2, "", "'--class' needs a value"},
      {"props --colour red", 2, "", "unknown option '--colour'"},
      {"props --class Die.NoSuchBuilder", 1, "", "no property owner of \"Die.NoSuchBuilder\""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.arguments);
    Outcome run = Ktxhost(Words(row.arguments));
    EXPECT_EQ(run.status, row.status);
    if (*row.out == '\0')
      EXPECT_EQ(run.out, "");
    else
      EXPECT_EQ(run.out.rfind(row.out, 0), 0u) << run.out;
    EXPECT_NE(run.err.find(row.err), std::string::npos) << run.err;
  }
}

TEST(KtxhostCommandLine, EveryCommandsHelpStatesTheExitStatuses) {
  for (const char* command : {"load", "journal", "play", "props", "published"}) {
    Outcome run = Ktxhost({"help", command});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("exit status: 0 done, 1 the work failed"), std::string::npos) << command;
  }
}

// Every help is filled paragraphs: past its usage line no line is wider
// than 76 columns, and each line of a paragraph but its last holds every
// word that fits (a quoted text is one word); indented lines are rows.
TEST(KtxhostCommandLine, EveryHelpIsFilledParagraphs) {
  constexpr std::size_t kWidth = 76;
  for (const char* arguments :
       {"--help", "help", "help help", "help load", "help journal", "help play", "help props", "help published"}) {
    SCOPED_TRACE(arguments);
    Outcome run = Ktxhost(Words(arguments));
    EXPECT_EQ(run.status, 0);
    std::vector<std::string> lines;
    std::istringstream text(run.out);
    for (std::string line; std::getline(text, line);) lines.push_back(line);
    ASSERT_GT(lines.size(), 3u) << run.out;
    for (std::size_t i = 1; i < lines.size(); ++i) {
      const std::string& line = lines[i];
      EXPECT_LE(line.size(), kWidth) << line;
      const std::string& next = i + 1 < lines.size() ? lines[i + 1] : std::string();
      if (line.empty() || line[0] == ' ' || next.empty() || next[0] == ' ') continue;
      const std::size_t close = next[0] == '\'' ? next.find('\'', 1) : 0;
      const std::string word = next.substr(0, next.find(' ', close == std::string::npos ? 0 : close));
      EXPECT_GT(line.size() + 1 + word.size(), kWidth) << "'" << word << "' fits on the line before:\n" << line;
    }
  }
}

// The overview lists every command on a line of its own, the summaries in
// one column.
TEST(KtxhostCommandLine, TheOverviewListsEveryCommandOnItsOwnLine) {
  Outcome run = Ktxhost({"--help"});
  EXPECT_EQ(run.status, 0);
  std::size_t column = 0;
  for (const char* command : {"load", "journal", "play", "props", "published"}) {
    SCOPED_TRACE(command);
    const std::size_t at = run.out.find(std::string("\n  ") + command + "  ");
    ASSERT_NE(at, std::string::npos) << run.out;
    const std::size_t summary = run.out.find_first_not_of(' ', at + 3 + std::strlen(command)) - at - 1;
    if (column == 0) column = summary;
    EXPECT_EQ(summary, column) << run.out;
  }
}

// The usage lines are made from each command's table of options.
TEST(KtxhostCommandLine, EveryUsageLineNamesThePluginWithTheOneOption) {
  const std::pair<const char*, const char*> rows[] = {
      {"load", "usage: ktxhost load [--plugin PATH]\n"},
      {"journal", "usage: ktxhost journal [--plugin PATH]\n"},
      {"play", "usage: ktxhost play FILE [--record OUT] [--step OUT] [--raw] [--plugin PATH]\n"},
      {"props", "usage: ktxhost props [--class NAME] [--plugin PATH] [--no-object] [NAME | NAME=VALUE]...\n"},
      {"published", "usage: ktxhost published [--class NAME] [--counts] [--plugin PATH]\n"},
  };
  for (const auto& [command, usage] : rows) {
    SCOPED_TRACE(command);
    Outcome run = Ktxhost({command, "--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), usage);
    EXPECT_EQ(run.out.compare(std::string(usage).size(), 1, "\n"), 0) << run.out;
  }
}

// Every command loads the library --plugin names (given once at most), by
// default the one built beside ktxhost. A word past a command's operands is
// a usage error, a plug-in's path too: it names nothing to load.
TEST(KtxhostCommandLine, EveryCommandLoadsThePluginItsOptionNamesAndNoOtherWord) {
  const std::string cast = std::string(STAMVIK_TEST_DATA) + "/../../examples/cast_relief.jou";
  const std::string missing = stamvik_test::ProcessScratch().Slashed() + "no_such_plugin.so";
  const std::string byOption = "; the plug-in is named by --plugin PATH (see ktxhost help ";
  struct Row {
    Arguments arguments;
    int status;
    std::string err;  // what stderr begins with
  };
  const Row rows[] = {
      {{"load", "--plugin", "libm.so.6"}, 1, "ktxhost load: libm.so.6 is not the plug-in: it registers no class\n"},
      {{"load", "libm.so.6"}, 2, "ktxhost load: unexpected operand 'libm.so.6': load takes no operand" + byOption + "load)\n"},
      {{"load", "--plugin", missing, "--plugin", "libm.so.6"}, 2,
       "ktxhost load: '--plugin' is given twice ('" + missing + "', then 'libm.so.6') (see ktxhost help load)\n"},
      {{"journal", "--plugin", "libm.so.6"}, 1,
       "ktxhost journal: libm.so.6 is not the plug-in: it registers no journaling unit\n"},
      {{"journal", "libm.so.6"}, 2,
       "ktxhost journal: unexpected operand 'libm.so.6': journal takes no operand" + byOption + "journal)\n"},
      {{"play", cast, "--plugin", "libm.so.6"}, 1,
       "ktxhost play: libm.so.6 is not the plug-in: it exports no scripting call\n"},
      {{"play", "--plugin", "libm.so.6", cast}, 1, "ktxhost play: libm.so.6 is not the plug-in: it exports no scripting call\n"},
      {{"play", cast, "libm.so.6"}, 2,
       "ktxhost play: unexpected operand 'libm.so.6': play takes one journal" + byOption + "play)\n"},
      {{"play", cast, "extra"}, 2, "ktxhost play: unexpected operand 'extra': play takes one journal" + byOption + "play)\n"},
      {{"props", "--plugin", "libm.so.6"}, 1, "ktxhost props: libm.so.6 is not the plug-in: it exports no scripting call\n"},
      {{"published", "--plugin", missing}, 1, "ktxhost published: cannot load " + missing + ": "},
      {{"published", missing}, 2,
       "ktxhost published: unexpected operand '" + missing + "': published takes no operand" + byOption + "published)\n"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(Joined(row.arguments));
    Outcome run = Ktxhost(row.arguments);
    EXPECT_EQ(run.status, row.status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind(row.err, 0), 0u) << run.err;
  }
  // The plug-in named is the one loaded, as is the one built beside ktxhost.
  Outcome named = Ktxhost({"load", "--plugin", STAMVIK_PLUGIN});
  Outcome beside = Ktxhost({"load"});
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_NE(named.out.find("register KTX::DieDesJA::CastReliefBuilder "), std::string::npos) << named.out;
  EXPECT_EQ(named.out, beside.out);
}

// A plug-in file cut short where the loader maps it would die of a bus error
// as it loads: every command refuses it first, naming the file and how much
// of it there is. Its headers describe the whole file (the section header
// table comes last), so a cut anywhere is refused, and the whole file loads.
TEST(KtxhostCommandLine, APluginCutShortIsRefusedBeforeItIsLoaded) {
  const std::string cast = std::string(STAMVIK_TEST_DATA) + "/../../examples/cast_relief.jou";
  const std::string plugin = stamvik_test::ReadFile(STAMVIK_PLUGIN);
  const std::size_t size = plugin.size();
  ASSERT_GT(size, 8192u);
  struct Row {
    Arguments command;  // and its operands
    std::size_t cut;    // the bytes kept
    int status;
  };
  const Row rows[] = {
      {{"load"}, 8192, 1},  // within the first loadable segment
      {{"journal"}, 8192, 1},
      {{"play", cast}, 8192, 1},
      {{"props"}, 8192, 1},
      {{"published", "--counts"}, 8192, 1},
      {{"load"}, size - 1, 1},  // only the section header table's last byte missing
      {{"load"}, size, 0},
  };
  const std::string copy = stamvik_test::ProcessScratch().Slashed() + "cut.so";
  for (const Row& row : rows) {
    SCOPED_TRACE(Joined(row.command) + " cut at " + std::to_string(row.cut));
    std::ofstream(copy, std::ios::binary).write(plugin.data(), static_cast<std::streamsize>(row.cut));
    Arguments arguments = row.command;
    arguments.insert(arguments.end(), {"--plugin", copy});
    Outcome run = Ktxhost(arguments);
    EXPECT_EQ(run.status, row.status);
    if (row.status == 0) {
      EXPECT_EQ(run.err, "");
      continue;
    }
    const std::string& command = row.command.front();
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "ktxhost " + command + ": " + copy + " is cut short: it holds " + std::to_string(row.cut) +
                           " bytes of the " + std::to_string(size) + " its headers describe\n");
  }
  std::remove(copy.c_str());
}

// A plug-in stripped of its symbols ends with its section header table just
// past its data, whose zero-filled tail (.bss) reaches past the file's end
// in memory only: no byte of it is missing, so every command loads it.
TEST(KtxhostCommandLine, APluginStrippedOfItsSymbolsLoadsThoughItsDataReachesPastItsEndInMemory) {
  if (*STRIP_PROGRAM == '\0' || ::access(STRIP_PROGRAM, X_OK) != 0)
    GTEST_SKIP() << "no strip program was found (\"" << STRIP_PROGRAM << "\")";
  const std::string stripped = stamvik_test::ProcessScratch().Slashed() + "stripped.so";
  ASSERT_EQ(stamvik_test::RunCommand({STRIP_PROGRAM, "-o", stripped, STAMVIK_PLUGIN}).status, 0);
  // The case guards a file whose data segment does reach past its end.
  const std::string file = stamvik_test::ReadFile(stripped);
  ElfW(Ehdr) header{};
  ASSERT_GE(file.size(), sizeof header);
  std::memcpy(&header, file.data(), sizeof header);
  std::uint64_t reach = 0;
  for (int i = 0; i < header.e_phnum; ++i) {
    ElfW(Phdr) segment{};
    ASSERT_LE(header.e_phoff + (i + 1) * sizeof segment, file.size());
    std::memcpy(&segment, file.data() + header.e_phoff + i * sizeof segment, sizeof segment);
    if (segment.p_type == PT_LOAD) reach = std::max<std::uint64_t>(reach, segment.p_offset + segment.p_memsz);
  }
  ASSERT_GT(reach, file.size());
  const std::string cast = std::string(STAMVIK_TEST_DATA) + "/../../examples/cast_relief.jou";
  const Arguments commands[] = {{"load"}, {"journal"}, {"play", cast}, {"published", "--counts"}, {"props"}};
  for (const Arguments& command : commands) {
    SCOPED_TRACE(Joined(command));
    Arguments arguments = command;
    arguments.insert(arguments.end(), {"--plugin", stripped});
    Outcome run = Ktxhost(arguments);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out, "");
  }
  std::remove(stripped.c_str());
}

TEST(KtxhostCommandLine, PropsMakesAnyPublishedBuilderThroughItsCreator) {
  Outcome run = Ktxhost({"props", "--plugin", STAMVIK_PLUGIN, "--class", "Die.HeelpostBuilder", "wall_a_relief"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.rfind("object \"Die.HeelpostBuilder\" tag ", 0), 0u) << run.out;
  EXPECT_NE(run.out.find("\nwall_a_relief = Logical false\n"), std::string::npos) << run.out;
  // A sub-builder too, made by its own creator.
  run = Ktxhost({"props", "--plugin", STAMVIK_PLUGIN, "--class", "Die.DiePlaneBuilder", "InputType"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\nInputType = Enum "), std::string::npos) << run.out;
}

}  // namespace

namespace {

// ---- journals that are refused ---------------------------------------------------------

// A part (1), a body (2), a cast-relief builder (10), its relief profile (11),
// its relief depth (12) and its base orientation (13): lines 1 to 25.
const char* kMade =
    "journal 1\n"
    "record 0 get \"Session\" \"WorkPart\"\n"
    "  result tag \"workpart\" \"Part\" 1\n"
    "  closed 0\n"
    "record 0 method \"Part\" \"CreateSolidBody\"\n"
    "  this tag 1\n"
    "  result tag \"body\" \"Body\" 2\n"
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
    "record 0 get \"Die.CastReliefBuilder\" \"ReliefDepth\"\n"
    "  this ptr 10\n"
    "  result ptr \"reliefdepth\" \"Expression\" 12\n"
    "  closed 0\n"
    "record 0 get \"Die.CastReliefBuilder\" \"BaseOrientation\"\n"
    "  this ptr 10\n"
    "  result ptr \"baseorientation\" \"Die.DiePlaneBuilder\" 13\n"
    "  closed 0\n";

std::string Scratch(const std::string& name) { return stamvik_test::ProcessScratch().Slashed() + name; }

std::string WriteFile(const std::string& name, const std::string& text) {
  std::string path = Scratch(name);
  std::ofstream(path, std::ios::binary) << text;
  return path;
}

TEST(KtxhostPlay, AWrongRecordIsNotPlayedAndNamedByFileAndLine) {
  struct Row {
    const char* what;
    const char* record;  // after kMade, from line 26
    int line;
    const char* message;
  };
  const Row rows[] = {
      {"a string setter given an int",
       "record 0 set \"Expression\" \"RightHandSide\"\n  this ptr 12\n  in int \"righthandside\" - 5\n  closed 0\n", 28,
       "value 1 \"righthandside\" does not fit the member (expected in string -, found in int -)"},
      {"a double setter given a text",
       "record 0 set \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n  this ptr 10\n"
       "  in string \"distancetolerance\" - \"0.5\"\n  closed 0\n",
       28, "value 1 \"distancetolerance\" does not fit the member (expected in double -, found in string -)"},
      {"a pointer getter recorded as a text",
       "record 0 get \"Die.CastReliefBuilder\" \"Target\"\n  this ptr 10\n  result string \"target\" - null\n  closed 0\n",
       28,
       "value 1 \"target\" does not fit the member (expected result ptr \"SelectBrenvikObject\", found result string -)"},
      {"a builder member on the part",
       "record 0 get \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n  this ptr 1\n"
       "  result double \"distancetolerance\" - 0\n  closed 0\n",
       26, "tag 1 is an object of another class (expected \"Die.CastReliefBuilder\", found \"Part\")"},
      // The record before (line 22) found tag 10 a cast-relief builder: asked
      // for as another class, it is checked again.
      {"a plane member on the builder the record before checked",
       "record 0 set \"Die.DiePlaneBuilder\" \"CoordinateSystemOrigin\"\n  this ptr 10\n"
       "  in struct \"coordinatesystemorigin\" \"Point3d\" 3 0 0 0\n  closed 0\n",
       26, "tag 10 is an object of another class (expected \"Die.DiePlaneBuilder\", found \"Die.CastReliefBuilder\")"},
      {"a cast-relief member on a section",
       "record 0 get \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n  this ptr 11\n"
       "  result double \"distancetolerance\" - 0\n  closed 0\n",
       26, "tag 11 is an object of another class (expected \"Die.CastReliefBuilder\", found \"Section\")"},
      {"a structure array of an unknown structure",
       "record 0 method \"Section\" \"AddLoop\"\n  this ptr 11\n  in int \"kind\" - 0\n"
       "  in struct-array \"points\" \"Vector2\" 2 0 0\n  closed 0\n",
       29,
       "value 2 \"points\" does not fit the member (expected in struct-array \"Point3d\", found in struct-array "
       "\"Vector2\")"},
      {"a structure array of a part of a point",
       "record 0 method \"Section\" \"AddLoop\"\n  this ptr 11\n  in int \"kind\" - 0\n"
       "  in struct-array \"points\" \"Point3d\" 4 0 0 0 1\n  closed 0\n",
       29, "value 2 \"points\" is not a whole number of Point3d (expected a multiple of 3 numbers, found 4)"},
      {"this tag for a by-pointer member",
       "record 0 get \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n  this tag 10\n"
       "  result double \"distancetolerance\" - 0\n  closed 0\n",
       26, "the object is not passed as the member takes it (expected this ptr, found this tag)"},
      {"a record with no object",
       "record 0 get \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n"
       "  result double \"distancetolerance\" - 0\n  closed 0\n",
       26, "the object is not passed as the member takes it (expected this ptr, found no object)"},
      {"object 0",
       "record 0 get \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n  this ptr 0\n"
       "  result double \"distancetolerance\" - 0\n  closed 0\n",
       26, "no object (expected the tag of a \"Die.CastReliefBuilder\", found 0)"},
      {"a tag argument of another class",
       "record 0 set \"SelectObject\" \"Value\"\n  this ptr 11\n  in tag \"value\" \"TaggedObject\" 2\n  closed 0\n", 26,
       "tag 11 is an object of another class (expected \"SelectObject\", found \"Section\")"},
      // The library's own number is named with its text, as the host's are.
      {"a commit the library refuses with its own number",
       "record 0 set \"Die.DiePlaneBuilder\" \"InputType\"\n  this ptr 13\n"
       "  in enum \"inputtype\" \"Die.DiePlaneBuilder.PlaneType\" 9\n  closed 0\n"
       "record 0 method \"Builder\" \"Commit\"\n  this ptr 10\n  result tag \"object\" \"TaggedObject\" 20\n"
       "  closed 0\n",
       30,
       "the call gave another status (expected 0 (success), found 3030630 (an enumeration value names no member of "
       "its enumeration))"},
      {"a status past 32 bits",
       "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 4294967296\n", 28,
       "status out of range (expected -2147483648 to 2147483647, found 4294967296)"},
      {"a truncated last record", "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n", 26,
       "the record has no end (expected closed, failed or open before the end of the journal)"},
      {"an orphan nested record",
       "record 2 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n", 26,
       "nested record without its caller (expected depth at most 1, found 2)"},
      {"two closed lines",
       "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n  closed 0\n", 29,
       "'closed' after the record's end (closed at line 28)"},
      {"a value after closed",
       "record 0 get \"Session\" \"WorkPart\"\n  closed 0\n  result tag \"workpart\" \"Part\" 1\n", 28,
       "'result' after the record's end (closed at line 27)"},
      {"a Point3d with 12 values",
       "record 0 set \"Die.DiePlaneBuilder\" \"CoordinateSystemOrigin\"\n  this ptr 13\n"
       "  in struct \"coordinatesystemorigin\" \"Point3d\" 12 0 0 0 0 0 0 0 0 0 0 0 0\n  closed 0\n",
       28, "value 1 \"coordinatesystemorigin\" is not one Point3d (expected 3 numbers, found 12)"},
      {"a Matrix3x3 where a Point3d is taken",
       "record 0 set \"Die.DiePlaneBuilder\" \"CoordinateSystemOrigin\"\n  this ptr 13\n"
       "  in struct \"coordinatesystemorigin\" \"Matrix3x3\" 9 1 0 0 0 1 0 0 0 1\n  closed 0\n",
       28,
       "value 1 \"coordinatesystemorigin\" does not fit the member (expected in struct \"Point3d\", found in struct "
       "\"Matrix3x3\")"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::string path = WriteFile("bad.jou", std::string(kMade) + row.record);
    Outcome run = Ktxhost({"play", path, "--plugin", STAMVIK_PLUGIN});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, path + ":" + std::to_string(row.line) + ": " + row.message + "\n");
    std::remove(path.c_str());
  }
}

TEST(KtxhostPlay, WhatIsNoRegularFileIsRefusedWithoutReadingIt) {
  for (const std::string& path : {std::string("/dev/zero"), stamvik_test::ProcessScratch().Path().string()}) {
    Outcome run = Ktxhost({"play", path});
    EXPECT_EQ(run.status, 1) << path;
    EXPECT_EQ(run.err, "ktxhost play: " + path + ": not a regular file (a journal is read from a file)\n");
  }
}

TEST(KtxhostPlay, ALineLongerThanTheLimitIsRefused) {
  std::string path =
      WriteFile("long.jou", "journal 1\n# " + std::string(KTX::JAM::kLongestJournalLine, 'x') + "\n");
  Outcome run = Ktxhost({"play", path});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, path + ":2: line longer than 1048576 bytes\n");
  std::remove(path.c_str());
}

// A play given no folder for its motion files makes one under TMPDIR when
// the first file needs it, and leaves nothing there however it ends: played
// whole, stopped by a failure after a motion file was written, or making none.
// Where TMPDIR takes no folder, the first warning names it and says why; an
// empty TMPDIR is taken as unset. The play runs in the scratch folder and is
// given TMPDIR relative to it: the folder's name stays within the play's
// limit however long the suite's own TMPDIR is.
TEST(KtxhostPlay, ThePlaysMotionFilesFolderIsLeftNowhere) {
  const std::string examples = std::string(STAMVIK_TEST_DATA) + "/../../examples/";
  const std::string folder = Scratch("tmpdir");
  WriteFile("tmpdir_file", "");
  const std::string relative = "tmpdir", file = "tmpdir_file", missing = relative + "/missing";
  struct Row {
    const char* journal;
    const char* fail;  // KTX_FAIL ("" for none)
    int status;
    Arguments environment;    // TMPDIR and the like
    std::string first;        // what the error output's first line begins with ("", status 0: no error output)
  };
  const std::string motion = examples + "tire_envelope_motion.jou:53: warning: the folder for the play's motion "
                                        "files cannot be made in the temporary folder \"";
  const Row rows[] = {
      {"tire_envelope_motion.jou", "", 0, {"TMPDIR=" + relative}, ""},
      // Its last counted call, after the spindle trace's file was written.
      {"tire_envelope_motion.jou", "all:318", 1, {"TMPDIR=" + relative}, ""},
      {"cast_relief.jou", "", 0, {"TMPDIR=" + relative}, ""},
      {"tire_envelope_motion.jou", "", 1, {"TMPDIR=" + missing}, motion + missing + "\": No such file or directory"},
      {"tire_envelope_motion.jou", "", 1, {"TMPDIR=" + file}, motion + file + "\": Not a directory"},
      // An empty TMPDIR is taken as unset: the next variable's folder, else the system's.
      {"tire_envelope_motion.jou", "", 1, {"TMPDIR=", "TMP=" + missing}, motion + missing + "\": No such file or directory"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.journal) + " " + row.fail + " " + Joined(row.environment));
    std::filesystem::create_directories(folder);
    stamvik_test::CommandOptions options;
    options.folder = Scratch("");
    options.unset = {"QDEN_TMP_DIR", "TMP", "TEMP", "TEMPDIR"};
    options.environment = row.environment;
    options.environment.push_back(std::string("KTX_FAIL=") + row.fail);
    Outcome run = Ktxhost({"play", examples + row.journal, "--plugin", STAMVIK_PLUGIN}, options);
    EXPECT_EQ(run.status, row.status);
    if (!row.first.empty()) {
      EXPECT_EQ(run.err.substr(0, run.err.find('\n')).substr(0, row.first.size()), row.first) << run.err;
    } else if (row.status == 0) {
      EXPECT_EQ(run.err, "");
    }
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    std::filesystem::remove_all(folder);
  }
  std::remove(Scratch(file).c_str());
}

TEST(KtxhostPlay, AJournalWithCrLfLineEndsPlaysAsWithLf) {
  std::ifstream in(std::string(STAMVIK_TEST_DATA) + "/../../examples/cast_relief.jou", std::ios::binary);
  std::ostringstream lf;
  lf << in.rdbuf();
  std::string crlf;
  for (char c : lf.str()) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  std::string a = WriteFile("lf.jou", lf.str()), b = WriteFile("crlf.jou", crlf);
  Outcome withLf = Ktxhost({"play", a, "--plugin", STAMVIK_PLUGIN});
  Outcome withCrLf = Ktxhost({"play", b, "--plugin", STAMVIK_PLUGIN});
  EXPECT_EQ(withLf.status, 0);
  EXPECT_EQ(withCrLf.status, 0) << withCrLf.err;
  EXPECT_EQ(withCrLf.out, withLf.out);
  std::remove(a.c_str());
  std::remove(b.c_str());
}

}  // namespace

namespace {

TEST(KtxhostPlay, ThePartIsReportedWithTheJournalsTagsAndASummary) {
  const std::string example = std::string(STAMVIK_TEST_DATA) + "/../../examples/cast_relief.jou";
  Outcome run = Ktxhost({"play", example, "--plugin", STAMVIK_PLUGIN});
  EXPECT_EQ(run.status, 0) << run.err;
  std::ifstream in(std::string(STAMVIK_TEST_DATA) + "/report_cast_relief.txt", std::ios::binary);
  std::ostringstream golden;
  golden << in.rdbuf();
  EXPECT_EQ(run.out, golden.str());
}

}  // namespace

namespace {

// ---- a script's calls on a builder made by its class id ----------------------------------

using ScriptedBuilder = stamvik_test::JamTest;

// The object manager makes the builder from its class id alone, as the host
// makes an object it reads back, with no collection's creator: nothing gave
// it a target, so the getter answers none. Each of a script's four calls is
// recorded whole and closed, the builder by its tag.
TEST_F(ScriptedBuilder, FourExportedCallsOnABuilderMadeByItsClassIdAreRecordedWhole) {
  const int classId = KTX::OM::OM_ask_class_id("KTX::DieDesJA::CastReliefBuilder");
  ASSERT_NE(classId, 0);
  auto* made = static_cast<KTX::OM::TaggedObject*>(
      KTX::OM::ObjectFactory::CreateObject(classId, KTX::OM::OM_memory_type_persistent, nullptr));
  auto* builder = dynamic_cast<KTX::DieDesJA::CastReliefBuilder*>(made);
  ASSERT_NE(builder, nullptr);
  KTX::JAM::ClearJournal();

  double tolerance = 0;
  // Any object: the getter must overwrite it with the builder's none.
  auto* target = reinterpret_cast<KTX::SELECT_OBJECT*>(made);
  const std::vector<int> statuses = {XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder, true),
                                     XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance(builder, 0.01),
                                     XJA_CAST_RELIEF_BUILDER_get_DistanceTolerance(builder, &tolerance),
                                     XJA_CAST_RELIEF_BUILDER_get_Target(builder, &target)};
  EXPECT_EQ(statuses, std::vector<int>(4, 0));
  EXPECT_EQ(tolerance, 0.01);
  EXPECT_EQ(target, nullptr);

  const std::string self = "  this ptr " + std::to_string(made->OmTag()) + "\n";
  EXPECT_EQ(KTX::JAM::WriteJournal(KTX::JAM::Recorded()),
            "journal 1\n"
            "record 0 set \"Die.CastReliefBuilder\" \"CreateSupportCasting\"\n" + self +
                "  in logical \"createsupportcasting\" - true\n"
                "  end-of-arguments\n"
                "  closed 0\n"
                "record 0 set \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n" + self +
                "  in double \"distancetolerance\" - 0.01 0\n"
                "  end-of-arguments\n"
                "  closed 0\n"
                "record 0 get \"Die.CastReliefBuilder\" \"DistanceTolerance\"\n" + self +
                "  result double \"distancetolerance\" - 0.01\n"
                "  end-of-arguments\n"
                "  closed 0\n"
                "record 0 get \"Die.CastReliefBuilder\" \"Target\"\n" + self +
                "  result ptr \"target\" \"SelectBrenvikObject\" 0\n"
                "  end-of-arguments\n"
                "  associate \"SelectBrenvikObject\" 0\n"
                "  closed 0\n");
  made->destroy();
}

}  // namespace
