// A commit is whole or nothing, a builder opened on a feature writes nothing
// into it, and two builders alive on one feature give their edits in turn.
// Each row is a user's session played by ktxhost from an example's journal,
// the part read from what the play prints right after the commit in
// question; a failed call is the failure switch's (KTX_FAIL), as a user
// sets it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"

namespace {

std::string Example(const std::string& name) {
  std::ifstream in(std::string(STAMVIK_SOURCE_DIR) + "/examples/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Commit(int builder, const std::string& closed) {
  return "record 0 method \"Builder\" \"Commit\"\n  this ptr " + std::to_string(builder) +
         "\n  result tag \"object\" \"TaggedObject\" 0\n  " + closed + "\n";
}
std::string Destroy(int builder) {
  return "record 0 method \"Builder\" \"Destroy\"\n  this ptr " + std::to_string(builder) + "\n  closed 0\n";
}
std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}
std::string Get(const std::string& builderClass, int builder, const std::string& member, const std::string& type,
                int tag) {
  return "record 0 get \"" + builderClass + "\" \"" + member + "\"\n  this ptr " + std::to_string(builder) +
         "\n  result ptr \"" + Lower(member) + "\" \"" + type + "\" " + std::to_string(tag) + "\n  closed 0\n";
}
std::string Text(int expression, const std::string& value) {
  return "record 0 set \"Expression\" \"RightHandSide\"\n  this ptr " + std::to_string(expression) +
         "\n  in string \"righthandside\" - \"" + value + "\"\n  closed 0\n";
}
std::string Square(int section) {
  return "record 0 method \"Section\" \"AddLoop\"\n  this ptr " + std::to_string(section) +
         "\n  in int \"kind\" - 0\n  in struct-array \"points\" \"Point3d\" 12 -20 -20 10 20 -20 10 20 20 10 -20 20 10"
         "\n  closed 0\n";
}
// The die collection's creator opening a builder on the journal's feature.
std::string Opened(const std::string& creator, const std::string& featureClass, const std::string& builderClass,
                   int builder, int feature = 20) {
  return "record 0 method \"Die.DieCollection\" \"" + creator + "\"\n  this tag 1\n  in tag \"" + Lower(featureClass) +
         "\" \"Die." + featureClass + "\" " + std::to_string(feature) + "\n  result tag \"builder\" \"Die." +
         builderClass + "\" " + std::to_string(builder) + "\n  closed 0\n";
}

struct Played {
  int exit = -1;
  std::string out;                // what the play printed, the part last
  std::vector<int> commits;       // each commit's status, in order
  int features = -1, bodies = -1;  // alive at the play's end
};

class Plays {
 public:
  Played Play(const std::string& journal, const std::string& fail = "") {
    const std::string path = folder_.Slashed() + "row.jou", recorded = folder_.Slashed() + "recorded.jou";
    std::ofstream(path) << journal;
    if (!fail.empty()) ::setenv("KTX_FAIL", fail.c_str(), 1);
    const stamvik_test::ProgramRun run = stamvik_test::RunProgram(
        {KTXHOST_PROGRAM, "play", path, "--record", recorded, "--plugin", STAMVIK_PLUGIN},
        (folder_.Slashed() + "said.txt").c_str());
    if (!fail.empty()) ::unsetenv("KTX_FAIL");
    Played played;
    played.exit = WIFEXITED(run.status) ? WEXITSTATUS(run.status) : -1;
    played.out = run.out + stamvik_test::ReadFile(folder_.Slashed() + "said.txt");
    const std::string text = stamvik_test::ReadFile(recorded);
    static const std::regex commit(R"re(record 0 method "Builder" "Commit"\n(?:  .*\n)*?  closed (-?\d+)\n)re");
    for (std::sregex_iterator i(text.begin(), text.end(), commit), end; i != end; ++i)
      played.commits.push_back(std::stoi((*i)[1]));
    static const std::regex alive(R"re(played \d+ records, (\d+) features?, (\d+) bod(?:y|ies) alive)re");
    if (std::smatch m; std::regex_search(run.out, m, alive)) {
      played.features = std::stoi(m[1]);
      played.bodies = std::stoi(m[2]);
    }
    return played;
  }
  // The counted calls of every facility the play makes.
  int Counted(const std::string& journal) {
    const Played played = Play(journal, "all:1000000000");
    static const std::regex made(R"re(the play made (\d+) counted calls)re");
    std::smatch m;
    return std::regex_search(played.out, m, made) ? std::stoi(m[1]) : -1;
  }

 private:
  stamvik_test::ScratchFolder folder_{"commit_path_"};
};

// The example's journal up to its first commit, and the builder that makes it.
struct Create {
  std::string prefix;
  int builder = 0;
};
Create UpToTheCreate(const std::string& example) {
  const std::string text = Example(example);
  const std::size_t at = text.find("record 0 method \"Builder\" \"Commit\"\n  this ptr ");
  EXPECT_NE(at, std::string::npos) << example;
  const std::size_t ptr = text.find("this ptr ", at) + 9;
  return {text.substr(0, at), std::stoi(text.substr(ptr, text.find('\n', ptr) - ptr))};
}

// Each counted call of a class's create commit failed in turn (every
// `stride`-th, the first and last among them; the form task's is the
// tooling example's, which leaves it uncommitted): read right after, the commit
// is refused with nothing made, or went through whole; the builder that
// failed, committed again, makes exactly one feature.
TEST(CommitPath, ACreateCommitFailedAtAnyCallLeavesNoFeatureAndItsBuilderMakesOne) {
#ifndef NDEBUG
  // The calls are counted as the optimised build makes them: an unoptimised
  // one counts the player's own copies of the call's texts among them.
  GTEST_SKIP() << "the optimised build runs it";
#endif
  struct Row {
    const char* example;
    int stride;
    const char* upTo = nullptr;  // where an example that commits no such builder is cut, and its builder
    int builder = 0;
  };
  const Row rows[] = {{"keyway.jou", 5},         {"machine_relief.jou", 8}, {"finger_clearance_notch.jou", 6},
                      {"clearance.jou", 6},      {"heelpost.jou", 10},      {"compensate_rough_data.jou", 3},
                      {"cast_relief.jou", 6},    {"tooling.jou", 1, "# The pierce insert.", 12}};
  Plays plays;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.example);
    const std::string text = Example(row.example);
    const Create create =
        row.upTo != nullptr ? Create{text.substr(0, text.find(row.upTo)), row.builder} : UpToTheCreate(row.example);
    const Played before = plays.Play(create.prefix);
    ASSERT_EQ(before.exit, 0) << before.out;
    const std::string failed = create.prefix + Commit(create.builder, "open");
    const int from = plays.Counted(create.prefix), to = plays.Counted(failed);
    ASSERT_GT(from, 0);
    ASSERT_GT(to, from);
    std::vector<int> calls;
    for (int n = from + 1; n < to; n += row.stride) calls.push_back(n);
    calls.push_back(to);
    for (const int n : calls) {
      SCOPED_TRACE("counted call " + std::to_string(n) + " of " + std::to_string(from + 1) + ".." +
                   std::to_string(to) + " failed");
      const Played read = plays.Play(failed + Destroy(create.builder), "all:" + std::to_string(n));
      // The player's own lookup of the record's class, before the commit.
      if (read.commits.empty() && read.out.find("failed: JAM_") != std::string::npos) continue;
      ASSERT_EQ(read.commits.size(), 1u) << read.out;
      if (read.commits[0] != 0) {
        EXPECT_EQ(read.features, before.features) << read.out;
        EXPECT_EQ(read.bodies, before.bodies) << read.out;
      } else {
        EXPECT_EQ(read.features, before.features + 1) << read.out;
      }
      const Played again =
          plays.Play(failed + Commit(create.builder, "open") + Destroy(create.builder), "all:" + std::to_string(n));
      ASSERT_EQ(again.commits.size(), 2u) << again.out;
      if (again.commits[0] != 0) {
        EXPECT_EQ(again.commits[1], 0) << again.out;
      }
      EXPECT_EQ(again.features, before.features + 1) << "committed again, the builder made one feature:\n"
                                                     << again.out;
    }
  }
}

// The four features an example makes without one of their sections (the
// keyway's interior profile, the clearance's section, the notch's section,
// the machine relief's inside wall and trim sheet faces): a builder opened
// on each, the section given an outline and let go, then one committed
// unchanged, leaves every entity as the example's own play prints it.
TEST(CommitPath, ABuilderOpenedOnAFeatureLackingASectionWritesNothingIntoIt) {
  struct Row {
    const char* example;
    std::vector<const char*> empty;  // the entities of the sections the feature lacks
    const char* creator;
    const char* feature;
    const char* member;
  };
  const Row rows[] = {
      {"keyway.jou", {"4"}, "Keyway", "Keyway", "InteriorProfile"},
      {"clearance.jou", {"2"}, "CreateClearanceBuilder", "Clearance", "Section"},
      {"finger_clearance_notch.jou", {"1"}, "CreateFingerClearanceNotchBuilder",
       "FingerClearanceNotch", "Section"},
      {"machine_relief.jou", {"8", "9"}, "CreateMachineReliefBuilder", "MachineRelief",
       "InsideWallProfile"},
  };
  Plays plays;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.example);
    const std::string builder = std::string(row.feature) + "Builder";
    const std::string given =
        Opened(row.creator, row.feature, builder, 900) + Get("Die." + builder, 900, row.member, "Section", 901) +
        Square(901);
    const std::string unchanged = Opened(row.creator, row.feature, builder, 910) + Commit(910, "closed 0") +
                                  Destroy(910);
    // The entities as the example's own play leaves them, the section's empty.
    const std::string made = plays.Play(Example(row.example)).out;
    std::vector<std::string> entities;
    for (std::size_t at = made.find("\n  entity "); at != std::string::npos; at = made.find("\n  entity ", at + 1))
      entities.push_back(made.substr(at + 1, made.find('\n', at + 1) - at - 1));
    for (const char* empty : row.empty)
      ASSERT_NE(made.find("\n  entity " + std::string(empty) + ": empty\n"), std::string::npos) << made;
    for (const auto& [way, journal] : std::vector<std::pair<const char*, std::string>>{
             {"let go", Example(row.example) + given + Destroy(900)},
             {"let go, then committed unchanged", Example(row.example) + given + Destroy(900) + unchanged},
             {"refused for a tolerance of 0, then committed unchanged",
              Example(row.example) + given +
                  "record 0 set \"Die." + builder + "\" \"DistanceTolerance\"\n  this ptr 900\n  in double "
                  "\"distancetolerance\" - 0 0\n  closed 0\n" +
                  Commit(900, "open") + Destroy(900) + unchanged}}) {
      SCOPED_TRACE(way);
      const Played played = plays.Play(journal);
      EXPECT_EQ(played.exit, 0) << played.out;
      if (played.commits.size() >= 2 && std::string(way).rfind("refused", 0) == 0) {
        EXPECT_NE(played.commits[played.commits.size() - 2], 0) << played.out;
      }
      const std::string& out = played.out;
      for (const std::string& entity : entities)
        EXPECT_NE(out.find("\n" + entity + "\n"), std::string::npos) << "no line \"" << entity << "\" in\n" << out;
    }
  }
}

// The keyway's builder kept open after the commit that made it (10) and a
// builder opened on the feature (30) alive together: each commit writes the
// lengths set through its own builder, the other's stay as committed. The
// slot's lengths are the keyway entity's first three: 40 long, 20 wide, 10
// deep as made.
TEST(CommitPath, TwoBuildersAliveOnOneFeatureGiveTheirEditsInTurn) {
  const std::string example = Example("keyway.jou");
  const std::string kept =
      example.substr(0, example.find("record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n"));
  const std::string opened = Opened("Keyway", "Keyway", "KeywayBuilder", 30);
  struct Row {
    const char* what;
    std::string journal;
    const char* lengths;  // the slot's, as the entity lists them
  };
  const Row rows[] = {
      {"opened: depth 20, committed; the kept builder committed unchanged",
       kept + opened + Get("Die.KeywayBuilder", 30, "SlotDepth", "Expression", 31) + Text(31, "20") +
           Commit(30, "closed 0") + Destroy(30) + Commit(10, "closed 0") + Destroy(10),
       "40, 20, 20, "},
      {"opened: depth 20, committed; the kept builder given width 25, committed",
       kept + opened + Get("Die.KeywayBuilder", 30, "SlotDepth", "Expression", 31) + Text(31, "20") +
           Commit(30, "closed 0") + Get("Die.KeywayBuilder", 10, "SlotWidth", "Expression", 11) + Text(11, "25") +
           Commit(10, "closed 0") + Destroy(10) + Destroy(30),
       "40, 25, 20, "},
      {"both alive: the kept builder depth 15, the opened one length 50, committed in turn",
       kept + opened + Get("Die.KeywayBuilder", 10, "SlotDepth", "Expression", 11) + Text(11, "15") +
           Get("Die.KeywayBuilder", 30, "SlotLength", "Expression", 31) + Text(31, "50") + Commit(10, "closed 0") +
           Commit(30, "closed 0") + Destroy(30) + Destroy(10),
       "50, 20, 15, "},
      {"the kept builder commits its depth 15 twice around another's depth 20: its second commit writes nothing",
       kept + opened + Get("Die.KeywayBuilder", 10, "SlotDepth", "Expression", 11) + Text(11, "15") +
           Commit(10, "closed 0") + Get("Die.KeywayBuilder", 30, "SlotDepth", "Expression", 31) + Text(31, "20") +
           Commit(30, "closed 0") + Commit(10, "closed 0") + Destroy(30) + Destroy(10),
       "40, 20, 20, "},
  };
  Plays plays;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const Played played = plays.Play(row.journal);
    EXPECT_EQ(played.exit, 0) << played.out;
    EXPECT_EQ(played.features, 1) << played.out;
    EXPECT_NE(played.out.find("\n  entity 5: expressions: " + std::string(row.lengths)), std::string::npos)
        << played.out;
  }
  // The other writers of a feature's own expressions: the die shoe's (kept
  // open 10, opened 40 on feature 30: wall 50 where 45 was made, the shoe's
  // sizes 250 high, 15 ..., the wall fourth) and the split bead's (kept open
  // 10, opened 70 on feature 50: metal thickness 2 where 1.5 was made).
  const std::string shoe = Example("die_shoe.jou"), bead = Example("draw_bead_split.jou");
  const std::string beadKept = bead.substr(0, bead.find("# Edit:"));
  const struct {
    const char* what;
    std::string journal;
    const char* printed;
  } others[] = {
      {"shoe: opened, wall 50, committed; the kept builder committed unchanged",
       shoe.substr(0, shoe.find("record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n")) +
           Opened("DieShoe", "DieShoe", "DieShoeBuilder", 40, 30) +
           Get("Die.DieShoeBuilder", 40, "WallThickness", "Expression", 41) + Text(41, "50") +
           Commit(40, "closed 0") + Destroy(40) + Commit(10, "closed 0") + Destroy(10),
       "\n  entity 6: expressions: 250, 15, 50, 45, 50, 45\n"},
      {"bead: opened, metal thickness 2, committed; the kept builder committed unchanged",
       beadKept.substr(0, beadKept.rfind("record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n")) +
           Opened("CreateDrawBeadBuilder", "DrawBead", "DrawBeadBuilder", 70, 50) +
           Get("Die.DrawBeadBuilder", 70, "MetalThickness", "Expression", 71) + Text(71, "2") +
           Commit(70, "closed 0") + Destroy(70) + Commit(10, "closed 0") + Destroy(10),
       "\n  entity 6: expressions: 2, 0.29999999999999999, 4, 12\n"},
  };
  for (const auto& row : others) {
    SCOPED_TRACE(row.what);
    const Played played = plays.Play(row.journal);
    EXPECT_EQ(played.exit, 0) << played.out;
    EXPECT_NE(played.out.find(row.printed), std::string::npos) << played.out;
  }
}

// An edit whose commit fails after it wrote the builder's values (each call
// of its second half failed in turn): the values the builder was given are
// still its own to give, and its next commit writes them (the slot 20 deep).
TEST(CommitPath, AnEditWhoseCommitFailedIsWrittenByTheNextCommit) {
  const std::string example = Example("keyway.jou");
  const std::string made = example.substr(0, example.find("# Edit:"));
  const std::string edit = made + Opened("Keyway", "Keyway", "KeywayBuilder", 30) +
                           Get("Die.KeywayBuilder", 30, "SlotDepth", "Expression", 31) + Text(31, "20");
  const std::string failed = edit + Commit(30, "open");
  Plays plays;
  const int from = plays.Counted(edit), to = plays.Counted(failed);
  ASSERT_GT(to, from);
  for (int n = (from + to) / 2; n <= to; n += std::max(1, (to - from) / 12)) {
    SCOPED_TRACE("counted call " + std::to_string(n) + " of " + std::to_string(from + 1) + ".." +
                 std::to_string(to) + " failed");
    const Played played = plays.Play(failed + Commit(30, "closed 0") + Destroy(30), "all:" + std::to_string(n));
    EXPECT_EQ(played.exit, 0) << played.out;
    EXPECT_NE(played.out.find("\n  entity 5: expressions: 40, 20, 20, "), std::string::npos) << played.out;
  }
}

}  // namespace
