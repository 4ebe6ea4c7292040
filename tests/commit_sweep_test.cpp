// Every member a script can set on a builder that edits, made from what the
// plug-in publishes (`ktxhost published`, which the catalogue makes): each is
// set through a builder opened on an example's feature and let go, or set to
// a value the commit refuses and committed; the same through the builder
// kept open after the commit that made the feature; and for one edit of
// each class every host call of its commit failed in turn. Each is played by
// ktxhost from the example's journal, then an edit that changes nothing is
// committed: the part it prints must be the part the example's own edit
// that changes nothing prints (the feature's values and sections, its body
// and its volume), or, where a failed call was absorbed, the part the commit
// makes when nothing fails. A class or member published later is swept with
// no new row; a class no example edits is not swept (the case says which).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"

namespace {

// ---- what the plug-in publishes -------------------------------------------------------------

// A member a script sets: directly (`set`), or through the object a `get`
// hands out (an expression, a section, a selection, a sub-builder, a list).
struct Member {
  std::string name;
  std::string kind;  // double logical int string enum tag | expression section selection builder list
  std::string type;  // the value's class or enumeration; the object's class; a list's item class
  std::string held;  // the class a get's result is recorded as
};

using Catalogue = std::map<std::string, std::vector<Member>>;  // builder class -> members

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

Catalogue Published() {
  const std::vector<std::string> lines =
      stamvik_test::KtxhostOutput({"published", "--plugin", STAMVIK_PLUGIN});
  Catalogue classes;
  std::set<std::string> builders;
  std::string current;
  bool builder = false;
  std::vector<std::pair<std::string, std::string>> gets;  // the current class's gets: member, rest
  std::map<std::string, std::vector<std::pair<std::string, std::string>>> allGets;
  static const std::regex set(R"re(^    \d+ set (\w+) in "[^"]*" (\w+)(?: ([\w.]+))?.* export .*$)re");
  static const std::regex get(R"re(^    \d+ get (\w+) result "[^"]*" (.*) export .*$)re");
  for (const std::string& line : lines) {
    if (line.rfind("class ", 0) == 0) {
      current = line.substr(6);
      builder = false;
      continue;
    }
    if (line.rfind("owner ", 0) == 0) current.clear();
    if (current.empty()) continue;
    if (line == "  kind builder") {
      builder = true;
      builders.insert(current);
      classes[current];
    }
    if (!builder) continue;
    std::smatch m;
    if (std::regex_match(line, m, set)) {
      const std::string kind = m[2];
      if (kind == "double" || kind == "logical" || kind == "int" || kind == "string" || kind == "enum" ||
          kind == "tag")
        classes[current].push_back({m[1], kind, m[3], ""});
    } else if (std::regex_match(line, m, get)) {
      allGets[current].emplace_back(m[1], m[2]);
    }
  }
  // A get's object: an expression, a section, a selection, a sub-builder of
  // the catalogue or a list of them.
  static const std::regex object(R"re(^object ([\w.]+)$)re");
  static const std::regex templated(R"re(^template ([\w.]+) = (\w+) of ([\w.]+)$)re");
  for (auto& [name, members] : classes)
    for (const auto& [member, rest] : allGets[name]) {
      std::smatch m;
      if (std::regex_match(rest, m, object)) {
        const std::string type = m[1];
        if (type == "Expression")
          members.push_back({member, "expression", type, type});
        else if (type == "Section")
          members.push_back({member, "section", type, type});
        else if (builders.count(type) != 0)
          members.push_back({member, "builder", type, type});
      } else if (std::regex_match(rest, m, templated)) {
        const std::string base = m[2];
        if (base == "SelectObject")
          members.push_back({member, "selection", m[3], m[1]});
        else if (base == "ObjectList" && builders.count(m[3]) != 0)
          members.push_back({member, "list", m[3], m[1]});
      }
    }
  return classes;
}

// ---- the examples' journals -----------------------------------------------------------------

struct Record {
  std::string text;
  std::size_t at = 0;  // where it starts in the journal
};

std::vector<Record> Records(const std::string& journal) {
  std::vector<Record> records;
  for (std::size_t at = journal.find("record "); at != std::string::npos;) {
    const std::size_t next = journal.find("\nrecord ", at);
    records.push_back({journal.substr(at, next == std::string::npos ? std::string::npos : next + 1 - at), at});
    at = next == std::string::npos ? next : next + 1;
  }
  return records;
}

// An example that makes a feature of a builder class and opens it again.
struct Edited {
  std::string example;
  std::string journal;
  std::string opening;   // the record that opens the builder on the feature, its result tag the builder's
  int builder = 0;       // that record's builder tag
  std::size_t opened = 0;  // where that record starts
  int creator = 0;       // the builder that made the feature
  std::size_t kept = 0;  // where that builder's destroy record starts
};

std::map<std::string, Edited> EditedExamples() {
  std::map<std::string, Edited> found;
  std::vector<std::filesystem::path> examples;
  for (const auto& entry : std::filesystem::directory_iterator(std::string(STAMVIK_SOURCE_DIR) + "/examples"))
    if (entry.path().extension() == ".jou") examples.push_back(entry.path());
  // The shorter journals first: the cheaper play of a class is swept.
  std::sort(examples.begin(), examples.end(), [](const auto& a, const auto& b) {
    return std::filesystem::file_size(a) != std::filesystem::file_size(b)
               ? std::filesystem::file_size(a) < std::filesystem::file_size(b)
               : a < b;
  });
  static const std::regex creator(
      R"re(^record 0 method "[\w.]+" "\w+"\n  this tag \d+\n  in tag "\w+" "[\w.]+" (\d+)\n  result tag "builder" "([\w.]+)" (\d+)\n)re");
  for (const auto& path : examples) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string journal = text.str();
    std::map<std::string, int> made;  // class -> the builder that made a feature
    for (const Record& r : Records(journal)) {
      std::smatch m;
      if (!std::regex_search(r.text, m, creator)) continue;
      const std::string cls = m[2];
      if (std::stoi(m[1]) == 0) {
        made[cls] = std::stoi(m[3]);
        continue;
      }
      if (found.count(cls) != 0 || made.count(cls) == 0) continue;
      Edited e{path.filename().string(), journal, r.text, std::stoi(m[3]), r.at, made[cls], 0};
      const std::string destroy =
          "record 0 method \"Builder\" \"Destroy\"\n  this ptr " + std::to_string(e.creator) + "\n";
      e.kept = journal.find(destroy);
      if (e.kept == std::string::npos || e.kept > e.opened) continue;
      found[cls] = e;
    }
  }
  return found;
}

// ---- the rows --------------------------------------------------------------------------------

constexpr int kFirstTag = 7000;  // above every tag an example names
// The calls of one commit failed in turn, at most (fewer where each play is slow).
constexpr int kFailedCalls = 32, kSlowFailedCalls = 8;

std::string Get(const std::string& cls, int object, const Member& m, int tag) {
  return "record 0 get \"" + cls + "\" \"" + m.name + "\"\n  this ptr " + std::to_string(object) +
         "\n  result ptr \"" + Lower(m.name) + "\" \"" + m.held + "\" " + std::to_string(tag) + "\n  closed 0\n";
}
std::string Commit(int builder) {
  return "record 0 method \"Builder\" \"Commit\"\n  this ptr " + std::to_string(builder) +
         "\n  result tag \"object\" \"TaggedObject\" 0\n  open\n";
}
std::string Destroy(int builder) {
  return "record 0 method \"Builder\" \"Destroy\"\n  this ptr " + std::to_string(builder) + "\n  closed 0\n";
}
// The example's opening record with the builder tag given.
std::string Opening(const Edited& e, int builder) {
  std::string text = e.opening;
  const std::string from = "\" " + std::to_string(e.builder) + "\n  closed";
  const std::size_t at = text.rfind(from);
  return text.replace(at, from.size(), "\" " + std::to_string(builder) + "\n  closed");
}

// What a script sets: the records that set it, each a way (a let-go value
// and the values a commit may refuse).
struct Setting {
  std::string path;     // the member as a user names it, sub-builders first
  std::string records;  // the records after the builder's own gets
  bool refusable;       // a value some Part refuses (0, negative, past the last member)
};

void Settings(const Catalogue& catalogue, const std::string& cls, int object, const std::string& path,
              const std::string& reach, int depth, int* tag, std::vector<Setting>* out) {
  const auto it = catalogue.find(cls);
  if (it == catalogue.end()) return;
  for (const Member& m : it->second) {
    const std::string name = path + m.name;
    auto set = [&](const std::string& value) {
      return reach + "record 0 set \"" + cls + "\" \"" + m.name + "\"\n  this ptr " + std::to_string(object) +
             "\n  in " + value + "\n  open\n";
    };
    const std::string lower = "\"" + Lower(m.name) + "\"";
    if (m.kind == "double") {
      out->push_back({name + " = 7.25", set("double " + lower + " - 7.25 0"), false});
      out->push_back({name + " = 0", set("double " + lower + " - 0 0"), true});
    } else if (m.kind == "logical") {
      out->push_back({name + " = true", set("logical " + lower + " - true"), false});
      out->push_back({name + " = false", set("logical " + lower + " - false"), false});
    } else if (m.kind == "int") {
      out->push_back({name + " = 1", set("int " + lower + " - 1"), false});
      out->push_back({name + " = 2", set("int " + lower + " - 2"), false});
      out->push_back({name + " = -1", set("int " + lower + " - -1"), true});
    } else if (m.kind == "string") {
      out->push_back({name + " = text", set("string " + lower + " - \"swept\""), false});
    } else if (m.kind == "enum") {
      for (const char* v : {"0", "1"})
        out->push_back({name + " = " + v, set("enum " + lower + " \"" + m.type + "\" " + v), false});
      out->push_back({name + " = 99", set("enum " + lower + " \"" + m.type + "\" 99"), true});
    } else if (m.kind == "tag") {
      out->push_back({name + " = none", set("tag " + lower + " \"" + m.type + "\" 0"), true});
    } else {
      const int held = (*tag)++;
      const std::string got = reach + Get(cls, object, m, held);
      const std::string at = std::to_string(held);
      if (m.kind == "expression") {
        auto text = [&](const char* value) {
          return got + "record 0 set \"Expression\" \"RightHandSide\"\n  this ptr " + at +
                 "\n  in string \"righthandside\" - \"" + value + "\"\n  open\n";
        };
        out->push_back({name + " = 7.25", text("7.25"), false});
        out->push_back({name + " = 0", text("0"), true});
      } else if (m.kind == "section") {
        out->push_back({name + " cleared", got + "record 0 method \"Section\" \"Clear\"\n  this ptr " + at +
                                                "\n  open\n",
                        true});
      } else if (m.kind == "selection" && m.held.find("List") == std::string::npos) {
        out->push_back({name + " = none", got + "record 0 set \"SelectObject\" \"Value\"\n  this ptr " + at +
                                              "\n  in tag \"value\" \"TaggedObject\" 0\n  open\n",
                        true});
      } else if (m.kind == "builder" && depth < 2) {
        Settings(catalogue, m.type, held, name + ".", got, depth + 1, tag, out);
      } else if (m.kind == "list" && depth < 2) {
        const int item = (*tag)++;
        const std::string found = got + "record 0 method \"ObjectList\" \"FindItem\"\n  this tag " + at +
                                  "\n  in int \"index\" - 0\n  result tag \"object\" \"TaggedObject\" " +
                                  std::to_string(item) + "\n  open\n";
        Settings(catalogue, m.type, item, name + "[0].", found, depth + 1, tag, out);
      }
    }
  }
}

// ---- playing ---------------------------------------------------------------------------------

struct Played {
  bool whole = false;        // every record played
  std::string part;          // what the part holds, tags left out
  std::vector<int> commits;  // each commit's status, in order
  std::string said;          // what ktxhost said, for a failure's message
};

class Player {
 public:
  Player() : folder_("commit_sweep_") {}
  Played Play(const std::string& journal, const std::string& fail = "") {
    const std::string path = folder_.Slashed() + "row.jou", recorded = folder_.Slashed() + "recorded.jou",
                      errors = folder_.Slashed() + "said.txt";
    std::ofstream(path) << journal;
    if (!fail.empty()) ::setenv("KTX_FAIL", fail.c_str(), 1);
    const stamvik_test::ProgramRun run = stamvik_test::RunProgram(
        {KTXHOST_PROGRAM, "play", path, "--record", recorded, "--plugin", STAMVIK_PLUGIN}, errors.c_str());
    if (!fail.empty()) ::unsetenv("KTX_FAIL");
    Played played;
    played.said = stamvik_test::ReadFile(errors) + run.out;
    played.whole = WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0;
    // Objects are told apart by what they hold, not by their tags, which
    // the objects a row makes and lets go move on.
    static const std::regex tags(R"re(\b\d+ \((journal [^)]*|made, not named)\))re");
    // What a listing printed while the journal played (a commit's, cut short
    // by a failed call) is left out: the part is what is compared.
    std::size_t report = run.out.rfind("part ", 0) == 0 ? 0 : run.out.find("\npart ");
    report = report == std::string::npos ? 0 : report;
    const std::size_t summary = run.out.find("\nplayed ", report);
    const std::size_t end = summary == std::string::npos ? std::string::npos : run.out.find('\n', summary + 1);
    std::string part = std::regex_replace(run.out.substr(report, end == std::string::npos ? end : end - report),
                                          tags, "# ($1)");
    part = std::regex_replace(part, std::regex(R"re(\nplayed \d+ records)re"), "\nplayed");
    played.part = part;
    const std::string text = stamvik_test::ReadFile(recorded);
    static const std::regex commit(R"re(record 0 method "Builder" "Commit"\n(?:  .*\n)*?  closed (-?\d+)\n)re");
    for (std::sregex_iterator i(text.begin(), text.end(), commit), end; i != end; ++i)
      played.commits.push_back(std::stoi((*i)[1]));
    return played;
  }

 private:
  stamvik_test::ScratchFolder folder_;
};

// The counted host calls a play makes (from the failure switch's summary).
int CountedCalls(Player& player, const std::string& journal) {
  const Played played = player.Play(journal, "hostcall:100000000");
  static const std::regex made(R"re(the play made (\d+) counted calls)re");
  std::smatch m;
  return std::regex_search(played.said, m, made) ? std::stoi(m[1]) : -1;
}

// A play that takes longer than this (the tire envelope's motion) is swept
// by the long case.
constexpr double kSlowPlaySeconds = 1.0;

double Seconds(Player& player, const std::string& journal, Played* played) {
  const auto start = std::chrono::steady_clock::now();
  *played = player.Play(journal);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Sweeps each class an example edits whose play is slow or not, as asked.
void Sweep(bool slow) {
  const Catalogue catalogue = Published();
  const std::map<std::string, Edited> edited = EditedExamples();
  ASSERT_FALSE(catalogue.empty());
  std::vector<std::string> notEdited;
  for (const auto& [cls, members] : catalogue)
    if (edited.count(cls) == 0 && !members.empty()) notEdited.push_back(cls);
  Player player;
  int rows = 0, classes = 0;
  for (const auto& entry : edited) {
    // Named, not bound: the lambda below takes them.
    const std::string& cls = entry.first;
    const Edited& e = entry.second;
    SCOPED_TRACE(cls + " (" + e.example + ")");
    const int builder = kFirstTag, unchanged = kFirstTag + 1;
    const std::string prefix = e.journal.substr(0, e.opened);
    const std::string tail = Opening(e, unchanged) + Commit(unchanged) + Destroy(unchanged);
    Played control;
    if ((Seconds(player, prefix + tail, &control) > kSlowPlaySeconds) != slow) continue;
    ++classes;
    // A class that cannot be swept is a failure of its own; the next goes on.
    [&] {
    ASSERT_TRUE(control.whole) << control.said;
    ASSERT_FALSE(control.commits.empty());
    EXPECT_EQ(control.commits.back(), 0) << "the example's feature does not commit unchanged:\n" << control.said;
    const std::string keptPrefix = e.journal.substr(0, e.kept);
    const Played keptControl = player.Play(keptPrefix + Destroy(e.creator) + tail);
    ASSERT_TRUE(keptControl.whole) << keptControl.said;
    // Kept open and committed again as it is, the builder updates the
    // feature it made, as one opened on it does: no second feature.
    const Played again = player.Play(keptPrefix + Commit(e.creator) + Destroy(e.creator) + tail);
    ++rows;
    EXPECT_TRUE(again.whole) << again.said;
    // What the part holds, counted: an update counts itself, a second commit one more.
    const auto held = [](const std::string& part) { return part.substr(part.rfind("\nplayed, ")); };
    EXPECT_EQ(held(again.part), held(control.part)) << "committed again, the builder kept open made more:\n"
                                                    << again.said;

    int tag = kFirstTag + 10;
    std::vector<Setting> edits, kept;
    Settings(catalogue, cls, builder, "", "", 0, &tag, &edits);
    Settings(catalogue, cls, e.creator, "", "", 0, &tag, &kept);
    ASSERT_FALSE(edits.empty());
    // Each value set and let go, then each refusable value committed; an
    // edit the commit takes changes the feature, as it should, and is no row.
    struct Way {
      const char* name;
      std::string opened;
      std::string closed;
      const std::vector<Setting>* settings;
      const Played* control;
      const std::string* prefix;
      int builder;
    };
    const Way ways[] = {
        {"opened on the feature", Opening(e, builder), Destroy(builder), &edits, &control, &prefix, builder},
        {"kept open after the commit that made the feature", "", Destroy(e.creator), &kept, &keptControl, &keptPrefix,
         e.creator},
    };
    for (const Way& way : ways) {
      // Every value let go, one edit after another, then one commit that
      // changes nothing; only when that part differs is each played alone,
      // to name the ones that reach the feature.
      std::string chained;
      for (const Setting& s : *way.settings) chained += way.opened + s.records + way.closed;
      const Played all = player.Play(*way.prefix + chained + tail);
      ++rows;
      const bool allKept = all.whole && all.part == way.control->part;
      // Where each play is slow, the refused commits are chained too: only a
      // chain whose part differs is played one by one.
      bool allRefusedKept = false;
      if (slow) {
        std::string refused;
        for (const Setting& s : *way.settings)
          if (s.refusable) refused += way.opened + s.records + Commit(way.builder) + way.closed;
        const Played chain = player.Play(*way.prefix + refused + tail);
        ++rows;
        allRefusedKept = chain.whole && chain.part == way.control->part;
      }
      for (const Setting& s : *way.settings)
        for (const bool committed : {false, true}) {
          if (committed ? !s.refusable || allRefusedKept : allKept) continue;
          // Where each play is slow, the refused commits go through the
          // builder opened on the feature only.
          if (slow && committed && way.builder == e.creator) continue;
          SCOPED_TRACE(std::string(way.name) + ": " + s.path + (committed ? ", committed" : ", let go"));
          const Played row = player.Play(*way.prefix + way.opened + s.records +
                                         (committed ? Commit(way.builder) : "") + way.closed + tail);
          ++rows;
          // A path the example's objects do not have (a list with no item) is no row.
          if (!row.whole && (row.said.find("names no object") != std::string::npos ||
                             row.said.find(" is gone") != std::string::npos))
            continue;
          if (!row.whole) {
            ADD_FAILURE() << row.said;
            continue;
          }
          if (committed && row.commits.size() >= 2 && row.commits[row.commits.size() - 2] == 0) continue;
          EXPECT_EQ(row.commits.empty() ? -1 : row.commits.back(), 0) << row.said;
          EXPECT_EQ(row.part, way.control->part);
        }
    }

    // One edit of the class, each counted host call of its commit failed in
    // turn: the part is either as before or as the commit makes it.
    const Setting* first = nullptr;
    for (const Setting& s : edits)
      if (!s.refusable && s.records.find("\"RightHandSide\"") != std::string::npos) {
        first = &s;
        break;
      }
    if (first == nullptr)
      for (const Setting& s : edits)
        if (!s.refusable) {
          first = &s;
          break;
        }
    if (first == nullptr) return;
    const std::string before = prefix + Opening(e, builder) + first->records;
    const std::string edit = before + Commit(builder) + Destroy(builder) + tail;
    const Played committed = player.Play(edit);
    ASSERT_TRUE(committed.whole) << committed.said;
    const int from = CountedCalls(player, before), to = CountedCalls(player, before + Commit(builder));
    ASSERT_GT(from, 0);
    ASSERT_GE(to, from);
    // Each call of a commit of a few dozen; of a longer one (a tooling
    // build's thousands) as many spread evenly, its first and last among them.
    std::vector<int> failed;
    const int calls = to - from, most = slow ? kSlowFailedCalls : kFailedCalls;
    for (int i = 0; i < std::min(calls, most); ++i)
      failed.push_back(from + 1 +
                       (calls <= most ? i : static_cast<int>(static_cast<long>(i) * (calls - 1) / (most - 1))));
    for (const int n : failed) {
      SCOPED_TRACE("the commit's counted call " + std::to_string(n) + " failed, " + first->path);
      const Played row = player.Play(edit, "hostcall:" + std::to_string(n));
      ++rows;
      if (!row.whole) {
        ADD_FAILURE() << row.said;
        continue;
      }
      EXPECT_TRUE(row.part == control.part || row.part == committed.part)
          << "neither as before nor as committed:\n"
          << row.part << "\nbefore:\n"
          << control.part;
    }
    }();
  }
  ::testing::Test::RecordProperty("rows", rows);
  ::testing::Test::RecordProperty("classes", classes);
  std::string left;
  for (const std::string& cls : notEdited) left += " " + cls;
  ::testing::Test::RecordProperty("classes no example edits", left);
  EXPECT_GT(classes, 0);
}

// Two thousand plays: the optimised build runs them, as it runs the long
// cases; what they check is the same whatever the compiler.
TEST(CommitSweep, EverySettableMemberReachesTheFeatureOnlyThroughACommitThatSucceeds) {
#ifndef NDEBUG
  GTEST_SKIP() << "the optimised build runs it";
#endif
  Sweep(false);
}

// The classes whose example plays slowly (the tire envelope's, seconds a
// play): ten minutes and more of the modeller, more than the test command
// gives one case, so run when asked. The envelope's refused, failed and
// let-go edits have rows of their own (refused_edit_test,
// tire_envelope_edit_test).
TEST(CommitSweep, TheSlowlyPlayedClassesToo) {
#ifndef NDEBUG
  GTEST_SKIP() << "the optimised build runs it";
#endif
  if (std::getenv("STAMVIK_SLOW_SWEEP") == nullptr) GTEST_SKIP() << "STAMVIK_SLOW_SWEEP=1 runs it";
  Sweep(true);
}

}  // namespace
