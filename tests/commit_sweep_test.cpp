// Every builder class the catalogue publishes with a creator, swept from a
// journal that makes one of its features and opens it again (an example's,
// or tests/data/sweep_*.jou for a class no example commits), played by
// ktxhost. Each class is a case of its own in four suites, so that ctest
// spreads them:
// - its members: every member `ktxhost published` lists as settable (its
//   sub-builders' and list items' too; values, structs, text and point
//   arrays, expressions, selections, sections cleared and given an outline)
//   set through a builder opened on the feature and through the builder kept
//   open after the commit that made it, let go or committed with a value a
//   commit may refuse;
// - its create commit and one edit's commit, each counted call of every
//   facility of the failure switch failed in turn (a spread of them where
//   there are thousands, each step's first and last call among them);
// - two builders alive on its feature, committing one after the other, an
//   undo to a script's mark taking one's commit back between.
// Each row is read right after its last commit (no edit that rebuilds the
// part comes between) and by a new builder opened on the feature that reads
// back every member; both must be what the row's control gives.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
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

using stamvik_test::SetMarkRecord;
using stamvik_test::UndoToMarkRecord;

// ---- what the plug-in publishes -------------------------------------------------------------

// A member a script sets: directly (`set`, or a method that takes an
// array), or through the object a `get` hands out (an expression, a
// section, a selection, a sub-builder, a list).
struct Member {
  std::string name;
  std::string kind;  // double logical int string enum tag struct | texts points | expression section selection
                     // builder list
  std::string type;  // the value's class or enumeration; the object's class; a list's item class
  std::string held;  // the class a get's result is recorded as
};

// A value a new builder reads back: a get, or a method that hands out an array.
struct Reading {
  std::string name;
  std::string kind;  // double logical int string enum tag struct text | texts strings points
  std::string type;
  std::string field;  // the name the result is journalled under
};

struct Published {
  std::map<std::string, std::vector<Member>> members;    // builder class -> members
  std::map<std::string, std::vector<Reading>> readings;  // builder class -> what reads back
  std::map<std::string, std::string> creators;           // feature builder class -> collection, creator
};

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

const Published& Catalogue() {
  static const Published published = [] {
    const std::vector<std::string> lines =
        stamvik_test::KtxhostOutput({"published", "--plugin", STAMVIK_PLUGIN});
    Published p;
    std::set<std::string> builders;
    std::string current;
    bool builder = false, feature = false;
    std::map<std::string, std::vector<std::pair<std::string, std::string>>> allGets;
    static const std::regex set(R"re(^    \d+ set (\w+) in "[^"]*" (\w+)(?: ([\w.]+))?.* export .*$)re");
    static const std::regex get(R"re(^    \d+ get (\w+) result "([^"]*)" (.*) export .*$)re");
    static const std::regex value(R"re(^(double|logical|int|string|enum|tag|struct|text)(?: ([\w.]+))?$)re");
    static const std::regex arraySet(
        R"re(^    \d+ method (Set\w+) in "[^"]*" count, in "[^"]*" (text|string|struct)-array(?: ([\w.]+))? export .*$)re");
    static const std::regex arrayGet(
        R"re(^    \d+ method (Get\w+) result "[^"]*" count, result "([^"]*)" (text|string|struct)-array(?: ([\w.]+))? export .*$)re");
    static const std::regex creator(R"re(^  creator ([\w.]+) (\w+)$)re");
    for (const std::string& line : lines) {
      if (line.rfind("class ", 0) == 0) {
        current = line.substr(6);
        builder = feature = false;
        continue;
      }
      if (line.rfind("owner ", 0) == 0) current.clear();
      if (current.empty()) continue;
      if (line == "  kind builder") {
        builder = true;
        builders.insert(current);
        p.members[current];
      }
      // A builder of features (the tooling's are builders of their own);
      // the sub-builders' parent is the tagged object.
      if (line == "  parent Features.FeatureBuilder" || line == "  parent Builder") feature = true;
      if (!builder) continue;
      std::smatch m;
      if (std::regex_match(line, m, creator) && feature) {
        p.creators[current] = m[2];
      } else if (std::regex_match(line, m, set)) {
        const std::string kind = m[2];
        if (kind == "double" || kind == "logical" || kind == "int" || kind == "string" || kind == "enum" ||
            kind == "tag" || kind == "struct")
          p.members[current].push_back({m[1], kind, m[3], ""});
      } else if (std::regex_match(line, m, arraySet)) {
        const std::string kind = m[2];
        p.members[current].push_back({m[1], kind == "struct" ? "points" : "texts", m[3], kind});
      } else if (std::regex_match(line, m, arrayGet)) {
        const std::string kind = m[3];
        p.readings[current].push_back({m[1], kind == "struct" ? "points" : kind + "s", m[4], m[2]});
      } else if (std::regex_match(line, m, get)) {
        const std::string rest = m[3];
        std::smatch v;
        if (std::regex_match(rest, v, value))
          p.readings[current].push_back({m[1], v[1], v[2], m[2]});
        else
          allGets[current].emplace_back(m[1], rest);
      }
    }
    // A get's object: an expression, a section, a selection, a sub-builder of
    // the catalogue or a list of them.
    static const std::regex object(R"re(^object ([\w.]+)$)re");
    static const std::regex templated(R"re(^template ([\w.]+) = (\w+) of ([\w.]+)$)re");
    for (auto& [name, members] : p.members)
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
          else if (base == "SelectObjectList")
            members.push_back({member, "selections", m[3], m[1]});
          else if (base == "ObjectList" && builders.count(m[3]) != 0)
            members.push_back({member, "list", m[3], m[1]});
        }
      }
    return p;
  }();
  return published;
}

// ---- the journals that make and open a feature ----------------------------------------------

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

// A journal that makes a feature of a builder class, lets the builder that
// made it go and opens the feature again.
struct Edited {
  std::string example;
  std::string journal;
  std::string opening;     // the record that opens the builder on the feature, its result tag the builder's
  int builder = 0;         // that record's builder tag
  std::size_t opened = 0;  // where that record starts
  int creator = 0;         // the builder that made the feature
  std::size_t made = 0;    // where the creator's first commit starts
  std::string commit;      // that commit's record (its result the feature's tag)
  std::size_t kept = 0;    // where the creator's destroy record starts
};

std::vector<std::filesystem::path> Journals() {
  std::vector<std::filesystem::path> journals;
  for (const char* folder : {"/examples", "/tests/data"})
    for (const auto& entry : std::filesystem::directory_iterator(std::string(STAMVIK_SOURCE_DIR) + folder))
      if (entry.path().extension() == ".jou" &&
          (folder[1] == 'e' || entry.path().filename().string().rfind("sweep_", 0) == 0))
        journals.push_back(entry.path());
  // The shorter journals first: the cheaper play of a class is swept.
  std::sort(journals.begin(), journals.end(), [](const auto& a, const auto& b) {
    return std::filesystem::file_size(a) != std::filesystem::file_size(b)
               ? std::filesystem::file_size(a) < std::filesystem::file_size(b)
               : a < b;
  });
  return journals;
}

const std::map<std::string, Edited>& EditedJournals() {
  static const std::map<std::string, Edited> found = [] {
    std::map<std::string, Edited> edited;
    static const std::regex creator(
        R"re(^record 0 method "[\w.]+" "\w+"\n  this tag \d+\n  in tag "\w+" "[\w.]+" (\d+)\n  result tag "builder" "([\w.]+)" (\d+)\n)re");
    for (const auto& path : Journals()) {
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
        if (edited.count(cls) != 0 || made.count(cls) == 0) continue;
        Edited e{path.filename().string(), journal, r.text, std::stoi(m[3]), r.at, made[cls], 0, "", 0};
        const std::string self = "\n  this ptr " + std::to_string(e.creator) + "\n";
        e.kept = journal.find("record 0 method \"Builder\" \"Destroy\"" + self);
        e.made = journal.find("record 0 method \"Builder\" \"Commit\"" + self);
        if (e.kept == std::string::npos || e.kept > e.opened || e.made == std::string::npos || e.made > e.kept)
          continue;
        // Its status is the row's to read: the record does not ask for 0.
        e.commit = std::regex_replace(journal.substr(e.made, journal.find("\nrecord ", e.made) + 1 - e.made),
                                      std::regex("  closed 0\n"), "  open\n");
        edited[cls] = e;
      }
    }
    return edited;
  }();
  return found;
}

// ---- the records a row plays ----------------------------------------------------------------

constexpr int kFirstTag = 7000;  // above every tag a journal names
constexpr int kReader = 20000;  // the builder that reads the feature back, its objects past it

std::string Get(const std::string& cls, int object, const std::string& name, const std::string& held, int tag) {
  return "record 0 get \"" + cls + "\" \"" + name + "\"\n  this ptr " + std::to_string(object) + "\n  result ptr \"" +
         Lower(name) + "\" \"" + held + "\" " + std::to_string(tag) + "\n  closed 0\n";
}
std::string Commit(int builder) {
  return "record 0 method \"Builder\" \"Commit\"\n  this ptr " + std::to_string(builder) +
         "\n  result tag \"object\" \"TaggedObject\" 0\n  open\n";
}
std::string Destroy(int builder) {
  return "record 0 method \"Builder\" \"Destroy\"\n  this ptr " + std::to_string(builder) + "\n  closed 0\n";
}
// The journal's opening record with the builder tag given.
std::string Opening(const Edited& e, int builder) {
  std::string text = e.opening;
  const std::string from = "\" " + std::to_string(e.builder) + "\n  closed";
  const std::size_t at = text.rfind(from);
  return text.replace(at, from.size(), "\" " + std::to_string(builder) + "\n  closed");
}

// The records that read back every value of a builder, its sub-builders'
// and its lists' first items', and its expressions' texts.
void Readings(const std::string& cls, int object, const std::string& reach, int depth, int* tag,
              std::string* out) {
  const Published& p = Catalogue();
  const std::string self = "\n  this ptr " + std::to_string(object) + "\n";
  if (const auto r = p.readings.find(cls); r != p.readings.end())
    for (const Reading& g : r->second) {
      const std::string lower = "\"" + g.field + "\"";
      std::string result;
      if (g.kind == "double" || g.kind == "int")
        result = "result " + g.kind + " " + lower + " - 0";
      else if (g.kind == "logical")
        result = "result logical " + lower + " - false";
      else if (g.kind == "string" || g.kind == "text")
        result = "result " + std::string(g.kind == "text" ? "utf8 " : "string ") + lower + " - null";
      else if (g.kind == "enum" || g.kind == "tag")
        result = "result " + g.kind + " " + lower + " \"" + g.type + "\" 0";
      else if (g.kind == "struct")
        result = "result struct " + lower + " \"" + g.type + "\" 0";
      else if (g.kind == "points")
        result = "out struct-array " + lower + " \"Point3d\" 0";
      else if (g.kind == "texts")
        result = "result utf8-array " + lower + " - 0";
      else
        continue;
      *out += reach + "record 0 " + (g.name.rfind("Get", 0) == 0 && g.kind.back() == 's' ? "method" : "get") +
              " \"" + cls + "\" \"" + g.name + "\"" + self + "  " + result + "\n  closed 0\n";
    }
  if (const auto m = p.members.find(cls); m != p.members.end())
    for (const Member& member : m->second) {
      if (member.kind == "expression") {
        const int held = (*tag)++;
        *out += reach + Get(cls, object, member.name, member.held, held) + "record 0 get \"Expression\" \"Value\"\n  this ptr " +
                std::to_string(held) + "\n  result double \"value\" - 0\n  closed 0\n";
      } else if (member.kind == "builder" && depth < 2) {
        const int held = (*tag)++;
        std::string inner;
        Readings(member.type, held, "", depth + 1, tag, &inner);
        *out += reach + Get(cls, object, member.name, member.held, held) + inner;
      }
    }
}

std::string ReadBack(const Edited& e) {
  int tag = kReader + 100;
  std::string readings;
  Readings(e.opening.substr(e.opening.find("result tag \"builder\" \"") + 22,
                            e.opening.find('"', e.opening.find("result tag \"builder\" \"") + 22) -
                                (e.opening.find("result tag \"builder\" \"") + 22)),
           kReader, "", 0, &tag, &readings);
  return Opening(e, kReader) + readings + Destroy(kReader);
}

// What a script sets: the records that set it, each a way (a let-go value
// and the values a commit may refuse).
struct Setting {
  std::string path;     // the member as a user names it, sub-builders first
  std::string records;  // the records after the builder's own gets
  bool refusable;       // a value some Part refuses (0, negative, past the last member, nothing)
};

// An outline a section is given: a closed loop around the origin.
constexpr const char* kOutline = "12 -50 -40 10 50 -40 10 50 40 10 -50 40 10";

void Settings(const std::string& cls, int object, const std::string& path, const std::string& reach, int depth,
              int* tag, std::vector<Setting>* out) {
  const Published& p = Catalogue();
  const auto it = p.members.find(cls);
  if (it == p.members.end()) return;
  for (const Member& m : it->second) {
    const std::string name = path + m.name;
    const std::string self = "\n  this ptr " + std::to_string(object) + "\n";
    auto set = [&](const std::string& value) {
      return reach + "record 0 set \"" + cls + "\" \"" + m.name + "\"" + self + "  in " + value + "\n  open\n";
    };
    auto method = [&](const std::string& value) {
      return reach + "record 0 method \"" + cls + "\" \"" + m.name + "\"" + self + "  in " + value + "\n  open\n";
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
    } else if (m.kind == "struct") {
      // A place moved off its plane, and an orientation turned a quarter about z.
      const std::string value = m.type == "Matrix3x3" ? "9 0 1 0 -1 0 0 0 0 1" : "3 7.25 -7.25 12.5";
      out->push_back({name + " = " + value, set("struct " + lower + " \"" + m.type + "\" " + value), false});
    } else if (m.kind == "texts") {
      const std::string field = m.held == "text" ? "utf8-array " : m.held + "-array ";
      out->push_back({name + "(two texts)", method(field + lower + " - 2 \"swept\" \"twice\""), false});
      out->push_back({name + "(none)", method(field + lower + " - 0"), false});
    } else if (m.kind == "points") {
      const std::string field = "struct-array \"" + Lower(m.name.substr(3, 1)) + m.name.substr(4) + "\" \"Point3d\" ";
      out->push_back({name + "(two points)", method(field + "6 0 0 1 50 25 2.5"), false});
      out->push_back({name + "(none)", method(field + "0"), true});
    } else {
      const int held = (*tag)++;
      const std::string got = reach + Get(cls, object, m.name, m.held, held);
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
        out->push_back({name + " given an outline",
                        got + "record 0 method \"Section\" \"Clear\"\n  this ptr " + at +
                            "\n  open\nrecord 0 method \"Section\" \"AddLoop\"\n  this ptr " + at +
                            "\n  in int \"kind\" - 0\n  in struct-array \"points\" \"Point3d\" " + kOutline + "\n  open\n",
                        false});
      } else if (m.kind == "selection") {
        out->push_back({name + " = none", got + "record 0 set \"SelectObject\" \"Value\"\n  this ptr " + at +
                                              "\n  in tag \"value\" \"TaggedObject\" 0\n  open\n",
                        true});
      } else if (m.kind == "builder" && depth < 2) {
        Settings(m.type, held, name + ".", got, depth + 1, tag, out);
      } else if (m.kind == "list" && depth < 2) {
        const int item = (*tag)++;
        const std::string found = got + "record 0 method \"ObjectList\" \"FindItem\"\n  this tag " + at +
                                  "\n  in int \"index\" - 0\n  result tag \"object\" \"TaggedObject\" " +
                                  std::to_string(item) + "\n  open\n";
        Settings(m.type, item, name + "[0].", found, depth + 1, tag, out);
      }
    }
  }
}

// ---- reading a play's words ------------------------------------------------------------------
// Every row reads its play's output and recorded journal several times over:
// matched with std::regex, that took a fifth of the sweep's time, so the few
// shapes read are matched by hand. Each says the expression it matches.

bool Digit(char c) { return c >= '0' && c <= '9'; }
bool WordChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }
bool At(const std::string& text, std::size_t at, std::string_view words) {
  return text.compare(at, words.size(), words) == 0;
}
// The end of `-?\d+` (the sign only when `sign`) at `at`, or npos.
std::size_t DigitsEnd(const std::string& text, std::size_t at, bool sign = false) {
  if (sign && at < text.size() && text[at] == '-') ++at;
  const std::size_t start = at;
  while (at < text.size() && Digit(text[at])) ++at;
  return at == start ? std::string::npos : at;
}
// Each `lead(\d+)tail` in `text`, in order, the next sought past the last:
// the number's place and end, to `each`, which says whether to stop.
template <class Each>
void EachNumberBetween(const std::string& text, std::string_view lead, std::string_view tail, Each&& each) {
  for (std::size_t at = text.find(lead); at != std::string::npos;) {
    const std::size_t from = at + lead.size(), end = DigitsEnd(text, from);
    if (end == std::string::npos || !At(text, end, tail)) {
      at = text.find(lead, at + 1);
      continue;
    }
    if (each(from, end)) return;
    at = text.find(lead, end + tail.size());
  }
}
// `text` with each `lead\d+tail` replaced `by`.
std::string NumbersReplaced(const std::string& text, std::string_view lead, std::string_view tail,
                            std::string_view by) {
  std::string out;
  std::size_t kept = 0;
  EachNumberBetween(text, lead, tail, [&](std::size_t from, std::size_t end) {
    out.append(text, kept, from - lead.size() - kept).append(by);
    kept = end + tail.size();
    return false;
  });
  return out.append(text, kept);
}

// `the play made (\d+) counted calls`: the first, or -1.
long CountedCalls(const std::string& said) {
  long counted = -1;
  EachNumberBetween(said, "the play made ", " counted calls", [&](std::size_t from, std::size_t end) {
    counted = std::stol(said.substr(from, end - from));
    return true;
  });
  return counted;
}

// `: KTX_FAIL: (\d+) counted: \w+`, each.
std::vector<long> TracedCounts(const std::string& said) {
  std::vector<long> traced;
  EachNumberBetween(said, ": KTX_FAIL: ", " counted: ", [&](std::size_t from, std::size_t end) {
    const std::size_t word = end + std::string_view(" counted: ").size();
    if (word < said.size() && WordChar(said[word])) traced.push_back(std::stol(said.substr(from, end - from)));
    return false;
  });
  return traced;
}

// `\b\d+ \((journal [^)]*|made, not named)\)`, each, the number `#`.
std::string ObjectTagsLeftOut(const std::string& text) {
  std::string out;
  std::size_t kept = 0;
  for (std::size_t open = text.find(" (", kept); open != std::string::npos; open = text.find(" (", open + 1)) {
    std::size_t close = std::string::npos;
    if (At(text, open + 2, "journal "))
      close = text.find(')', open + 10);
    else if (At(text, open + 2, "made, not named)"))
      close = open + 17;
    std::size_t number = open;
    while (number > kept && Digit(text[number - 1])) --number;
    if (close == std::string::npos || number == open || (number > 0 && WordChar(text[number - 1]))) continue;
    out.append(text, kept, number - kept).append("#");
    kept = open;
    open = close;
  }
  return out.append(text, kept);
}

// `\n  name (\w+)\(\d+\)`, each, the number `#`.
std::string FeatureTagsLeftOut(const std::string& text) {
  std::string out;
  std::size_t kept = 0;
  static constexpr std::string_view lead = "\n  name ";
  for (std::size_t at = text.find(lead); at != std::string::npos; at = text.find(lead, at + 1)) {
    std::size_t name = at + lead.size(), word = name;
    while (word < text.size() && WordChar(text[word])) ++word;
    if (word == name || !At(text, word, "(")) continue;
    const std::size_t end = DigitsEnd(text, word + 1);
    if (end == std::string::npos || !At(text, end, ")")) continue;
    out.append(text, kept, word + 1 - kept).append("#");
    kept = end;
  }
  return out.append(text, kept);
}

// `record 0 method "Builder" "Commit"\n(?:  .*\n)*?  closed (-?\d+)\n`, each: the commits' statuses.
std::vector<int> CommitStatuses(const std::string& text) {
  std::vector<int> statuses;
  static constexpr std::string_view lead = "record 0 method \"Builder\" \"Commit\"\n";
  for (std::size_t at = text.find(lead); at != std::string::npos; at = text.find(lead, at + 1)) {
    for (std::size_t line = at + lead.size(); At(text, line, "  ");) {
      const std::size_t end = text.find('\n', line);
      if (end == std::string::npos) break;
      if (At(text, line, "  closed ")) {
        const std::size_t from = line + 9, digits = DigitsEnd(text, from, true);
        if (digits == end) {
          statuses.push_back(std::stoi(text.substr(from, digits - from)));
          at = end;
          break;
        }
      }
      line = end + 1;
    }
  }
  return statuses;
}

// `(ptr|tag)( "[^"]*" "[^"]*")? -?\d+`, each, the number `#`.
std::string RecordedTagsLeftOut(const std::string& text) {
  std::string out;
  std::size_t kept = 0;
  const auto number = [&](std::size_t at) {  // ` -?\d+` at `at`: its end, or npos
    return At(text, at, " ") ? DigitsEnd(text, at + 1, true) : std::string::npos;
  };
  for (std::size_t at = kept; at + 3 <= text.size(); ++at) {
    if (!At(text, at, "ptr") && !At(text, at, "tag")) continue;
    std::size_t before = std::string::npos, end = std::string::npos;
    if (At(text, at + 3, " \"")) {
      const std::size_t first = text.find('"', at + 5);
      if (first != std::string::npos && At(text, first + 1, " \"")) {
        const std::size_t second = text.find('"', first + 3);
        if (second != std::string::npos && (end = number(second + 1)) != std::string::npos) before = second + 1;
      }
    }
    if (end == std::string::npos && (end = number(at + 3)) != std::string::npos) before = at + 3;
    if (end == std::string::npos) continue;
    out.append(text, kept, before - kept).append(" #");
    kept = end;
    at = end - 1;
  }
  return out.append(text, kept);
}

// ---- playing ---------------------------------------------------------------------------------

struct Played {
  bool whole = false;        // every record played
  std::string part;          // what the part holds, tags left out
  std::string read;          // what the last builder opened on the feature read back, tags left out
  std::vector<int> commits;  // each commit's status, in order
  std::string said;          // what ktxhost said, for a failure's message
  long counted = -1;         // the failure switch's counted calls, when it was on and nothing failed
  std::vector<long> traced;  // the switch's count at each call traced (KTX_FAIL_TRACE), in order
};

bool operator==(const Played& a, const Played& b) { return a.part == b.part && a.read == b.read; }

std::string Shown(const Played& p) { return p.part + "\nread back:\n" + p.read; }
// The same, the features' counts of their updates left out: two commits update twice where one does once.
std::string Settled(const Played& p) { return NumbersReplaced(Shown(p), "\n  updates ", "", ""); }

class Player {
 public:
  Player() : folder_("commit_sweep_") {}
  Played Play(const std::string& journal, const std::string& fail = "", const std::string& trace = "") {
    const std::string path = folder_.Slashed() + "row.jou", recorded = folder_.Slashed() + "recorded.jou",
                      errors = folder_.Slashed() + "said.txt";
    std::ofstream(path) << journal;
    if (!fail.empty()) ::setenv("KTX_FAIL", fail.c_str(), 1);
    if (!trace.empty()) ::setenv("KTX_FAIL_TRACE", trace.c_str(), 1);
    const stamvik_test::ProgramRun run = stamvik_test::RunProgram(
        {KTXHOST_PROGRAM, "play", path, "--record", recorded, "--plugin", STAMVIK_PLUGIN}, errors.c_str());
    if (!fail.empty()) ::unsetenv("KTX_FAIL");
    if (!trace.empty()) ::unsetenv("KTX_FAIL_TRACE");
    ++plays_;
    Played played;
    played.said = stamvik_test::ReadFile(errors) + run.out;
    played.whole = WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0;
    played.counted = CountedCalls(played.said);
    played.traced = TracedCounts(played.said);
    // What a listing printed while the journal played (a commit's, cut short
    // by a failed call) is left out: the part is what is compared.
    std::size_t report = run.out.rfind("part ", 0) == 0 ? 0 : run.out.find("\npart ");
    report = report == std::string::npos ? 0 : report;
    const std::size_t summary = run.out.find("\nplayed ", report);
    const std::size_t end = summary == std::string::npos ? std::string::npos : run.out.find('\n', summary + 1);
    // Objects are told apart by what they hold, not by their tags, which
    // the objects a row makes and lets go move on.
    const std::string part =
        ObjectTagsLeftOut(run.out.substr(report, end == std::string::npos ? end : end - report));
    // A feature's name holds its tag.
    played.part = FeatureTagsLeftOut(NumbersReplaced(part, "\nplayed ", " records", "\nplayed"));
    const std::string text = stamvik_test::ReadFile(recorded);
    played.commits = CommitStatuses(text);
    // The read-back: the records from the last builder made through a
    // creator on, objects' tags left out.
    const std::size_t reader = text.rfind("\n  result tag \"builder\" ");
    if (reader != std::string::npos) played.read = RecordedTagsLeftOut(text.substr(text.rfind("record ", reader)));
    return played;
  }
  int Plays() const { return plays_; }

 private:
  stamvik_test::ScratchFolder folder_;
  int plays_ = 0;
};

// A play that makes more host calls than this (the tooling's: thousands a
// build) has its failed calls spread by default, every one when asked.
constexpr long kToolingCalls = 3000;

bool Whole() { return std::getenv("STAMVIK_SLOW_SWEEP") != nullptr; }


// The failure switch's facilities, each failed on its own.
const char* const kFacilities[] = {"hostcall", "memory", "kernel", "record", "mark", "query"};

// The calls a commit makes, failed in turn: each of them up to `every`;
// past that as many spread evenly, the first and last among them.
std::vector<long> Walk(long from, long calls, long every, long spread) {
  std::vector<long> failed;
  if (calls <= every) {
    for (long i = 1; i <= calls; ++i) failed.push_back(from + i);
    return failed;
  }
  if (spread == 1) return {from + 1};
  for (long i = 0; i < spread; ++i) failed.push_back(from + 1 + i * (calls - 1) / (spread - 1));
  return failed;
}

// The host call at which each numbered step of a tooling build ends: the
// status-area text it shows (KTX_FAIL_TRACE traces the failure switch's
// count there).
constexpr const char* kStepCalls = "mtStatusAreaImmediate";

// A commit's calls (`from`, `to`] in steps: each step's first and last
// call, a step ending at each count traced within the commit and the next
// one starting past it, the commit's own first and last among them.
std::vector<long> StepWalk(long from, long to, const std::vector<long>& steps) {
  if (to <= from) return {};
  std::set<long> failed = {from + 1, to};
  for (const long at : steps)
    for (const long n : {at, at + 1})
      if (n > from && n <= to) failed.insert(n);
  return {failed.begin(), failed.end()};
}

// Faults known and not yet mended: each row is played, and skips with these
// words while it fails as said; a row listed here that passes fails, so
// that the table goes when the fault is mended. `where` is the failure
// switch's setting a failed commit's row plays (walked by default too), or
// "expression members" or "plain members" (the others) for two builders' rows.
struct KnownFault {
  const char* suite;
  const char* cls;
  const char* where;
  const char* words;
};
// None now: a fault found is listed here until it is mended.
const std::vector<KnownFault> kKnownFaults = {};

// Calls whose failure a step once went past (a failed commit's rows), walked
// whatever the sample, so that such a step going past it again fails its
// row: the unite's filter of the shoe's tools, the shoe's update after its
// booleans and the mark of the draw die's subtracted top.
struct Walked {
  const char* suite;
  const char* cls;
  const char* where;
};
const Walked kWalkedAlways[] = {
    {"FailedCreate", "Die.DieShoeBuilder", "hostcall:639"},
    {"FailedEdit", "Die.DieShoeBuilder", "hostcall:1012"},
    {"FailedCreate", "Tooling.DieDesDrawDieBuilder", "mark:13"},
    {"FailedEdit", "Tooling.DieDesDrawDieBuilder", "mark:49"},
};

const KnownFault* Known(const std::string& cls, const std::string& where) {
  const std::string suite = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
  for (const KnownFault& k : kKnownFaults)
    if (suite.find(k.suite) != std::string::npos && cls == k.cls && where == k.where) return &k;
  return nullptr;
}

class CommitSweep : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
#ifndef NDEBUG
    GTEST_SKIP() << "the optimised build runs it";
#endif
    const auto& edited = EditedJournals();
    const auto it = edited.find(GetParam());
    // Said by name in the case's result: a class no journal commits is not swept.
    if (it == edited.end())
      GTEST_SKIP() << GetParam()
                   << ": no example nor tests/data/sweep_*.jou makes a feature of it, lets its builder go and opens "
                      "the feature again";
    e_ = &it->second;
    // The control: the journal to the opening, read back.
    prefix_ = e_->journal.substr(0, e_->opened);
    control_ = player_.Play(prefix_ + ReadBack(*e_), "hostcall:100000000000");
    tooling_ = control_.counted > kToolingCalls;
    ASSERT_TRUE(control_.whole) << control_.said;
    ASSERT_FALSE(control_.commits.empty());
    ASSERT_EQ(control_.commits.back(), 0) << control_.said;
    ASSERT_FALSE(control_.read.empty());
  }
  void TearDown() override { RecordProperty("plays", player_.Plays()); }

  // Rows to play: all, or for the tooling's thousands of calls a play a sample by default.
  template <class T>
  std::vector<T> Sample(const std::vector<T>& all) const {
    const std::size_t most = 8;
    if (!tooling_ || Whole() || all.size() <= most) return all;
    std::vector<T> some;
    for (std::size_t i = 0; i < most; ++i) some.push_back(all[i * all.size() / most]);
    return some;
  }

  // Each counted call of the commit that ends `before + commit` failed in
  // turn, facility by facility: the commit refused and the part, read right
  // after, as before it; or the commit through and the part as it makes it.
  // Then committed again by the same builder (`again`) and read back: the
  // part and members as the unfailed commit gives them.
  void FailEach(const std::string& before, const std::string& commit, const std::string& again,
                const std::string& after) {
    // Counted by the first facility (the switch on, nothing failed: the
    // same part), so that the two plays count its calls too.
    const std::string counting = std::string(kFacilities[0]) + ":100000000000";
    // Where each step starts and ends, traced in the counting plays.
    const Played unharmed = player_.Play(before, counting, kStepCalls),
                 committed = player_.Play(before + commit, counting, kStepCalls);
    const Played control = player_.Play(before + commit + after);
    ASSERT_TRUE(unharmed.whole && committed.whole && control.whole) << committed.said << control.said;
    ASSERT_EQ(committed.commits.back(), 0) << committed.said;
    // Every call of a facility where the commit makes a few hundred; past
    // that (the shoe's booleans), and for the tooling's thousands (each
    // step's first and last among them), a spread by default.
    const long every = Whole() ? 1L << 40 : tooling_ ? 2 : 300, spread = Whole() ? 0 : tooling_ ? 2 : 12;
    std::vector<std::string> known;
    for (const char* facility : kFacilities) {
      const std::string f = facility;
      const bool first = f == kFacilities[0];
      const Played upTo = first ? unharmed : player_.Play(before, f + ":100000000000", kStepCalls),
                   through = first ? committed : player_.Play(before + commit, f + ":100000000000", kStepCalls);
      const long from = upTo.counted, to = through.counted;
      ASSERT_GE(from, 0);
      ASSERT_GE(to, from);
      std::vector<long> walk = Walk(from, to - from, every, spread);
      // A spread walk (the tooling's thousands, the punch's and the shoe's
      // few thousand) takes each step's first and last call too: the
      // commit's own steps, traced past the play before it (the shoe's
      // steps show no status text: its spread stays as it is).
      if (!Whole() && to - from > every) {
        ASSERT_GE(through.traced.size(), upTo.traced.size()) << through.said;
        const std::vector<long> traced(through.traced.begin() + static_cast<long>(upTo.traced.size()),
                                       through.traced.end());
        // A commit of thousands that traced no steps would be walked at its
        // ends alone, unseen.
        if (tooling_) {
          ASSERT_GE(traced.size(), 2u) << "the commit's calls are spread and it traced no steps (KTX_FAIL_TRACE="
                                       << kStepCalls << ")\n"
                                       << through.said;
        }
        for (const long n : StepWalk(from, to, traced))
          if (std::find(walk.begin(), walk.end(), n) == walk.end()) walk.push_back(n);
      }
      // A known fault's call is walked whatever the sample, as those of kWalkedAlways.
      const std::string suite = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name();
      std::vector<std::string> always;
      for (const KnownFault& k : kKnownFaults)
        if (Known(GetParam(), k.where) == &k) always.push_back(k.where);
      for (const Walked& w : kWalkedAlways)
        if (suite.find(w.suite) != std::string::npos && GetParam() == w.cls) always.push_back(w.where);
      for (const std::string& where : always)
        if (where.rfind(f + ":", 0) == 0) {
          const long n = std::stol(where.substr(f.size() + 1));
          EXPECT_TRUE(n > from && n <= to) << where << " is no call of the commit: the table's call moved";
          if (n > from && n <= to && std::find(walk.begin(), walk.end(), n) == walk.end()) walk.push_back(n);
        }
      for (const long n : walk) {
        const std::string setting = f + ":" + std::to_string(n);
        SCOPED_TRACE("KTX_FAIL=" + setting);
        const Played row = player_.Play(before + commit, setting);
        if (const KnownFault* k = Known(GetParam(), setting); k != nullptr && row.whole) {
          const bool through = row.commits.size() == committed.commits.size() && row.commits.back() == 0;
          const bool fails = through ? row.part != committed.part : row.part != unharmed.part;
          EXPECT_TRUE(fails) << "listed as a known fault, the row passes: take it from the table";
          if (fails) known.push_back(k->words);
          if (fails || through) continue;
        }
        if (!row.whole) {
          ADD_FAILURE() << row.said;
          continue;
        }
        // A commit whose call failed before it was recorded is refused too.
        const bool through = row.commits.size() == committed.commits.size() && row.commits.back() == 0;
        if (through)
          EXPECT_EQ(row.part, committed.part) << "the commit went through, another part:\n" << row.said;
        else
          EXPECT_EQ(row.part, unharmed.part) << "the commit was refused, the part changed:\n" << row.said;
        if (through) continue;
        // Refused, the builder commits again: one feature, as unfailed.
        const Played next = player_.Play(before + commit + again + after, setting);
        EXPECT_TRUE(next.whole) << next.said;
        if (!next.whole) continue;
        EXPECT_EQ(next.commits.back(), 0) << next.said;
        EXPECT_EQ(Shown(next), Shown(control)) << "committed again after a refused commit:\n" << next.said;
      }
    }
    if (!known.empty()) {
      std::string said;
      for (const std::string& words : known) said += words + "\n";
      GTEST_SKIP() << said;
    }
  }

  const Edited* e_ = nullptr;
  std::string prefix_;
  Played control_;
  bool tooling_ = false;
  Player player_;
};

std::string CaseName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name;
  for (const char c : info.param)
    if (std::isalnum(static_cast<unsigned char>(c)) != 0) name += c;
  return name;
}

std::vector<std::string> FeatureBuilders() {
  std::vector<std::string> classes;
  for (const auto& [cls, creator] : Catalogue().creators) classes.push_back(cls);
  return classes;
}

// ---- the members -----------------------------------------------------------------------------

using Members = CommitSweep;

TEST_P(Members, ReachTheFeatureOnlyThroughACommitThatSucceeds) {
  const Edited& e = *e_;
  const int builder = kFirstTag;
  // Opened and let go, a builder leaves the feature as it is.
  const Played bare = player_.Play(prefix_), opened = player_.Play(prefix_ + Opening(e, builder) + Destroy(builder));
  EXPECT_EQ(opened.part, bare.part) << "opened and let go, the builder wrote into the feature";
  const std::string keptPrefix = e.journal.substr(0, e.kept);
  const std::string readBack = ReadBack(e);
  const Played keptControl = player_.Play(keptPrefix + Destroy(e.creator) + readBack);
  ASSERT_TRUE(keptControl.whole) << keptControl.said;
  // Kept open and committed again as it is, the builder updates the
  // feature it made: no second feature.
  const Played again = player_.Play(keptPrefix + Commit(e.creator) + Destroy(e.creator) + readBack);
  EXPECT_TRUE(again.whole) << again.said;
  // What the part holds, counted (an update counts itself), and its members read back.
  const auto held = [](const std::string& part) { return part.substr(part.rfind("\nplayed, ")); };
  EXPECT_EQ(held(again.part), held(keptControl.part)) << "committed again, the builder kept open made more";
  EXPECT_EQ(again.read, keptControl.read);

  int tag = kFirstTag + 10;
  std::vector<Setting> edits, kept;
  Settings(GetParam(), builder, "", "", 0, &tag, &edits);
  Settings(GetParam(), e.creator, "", "", 0, &tag, &kept);
  ASSERT_FALSE(edits.empty());
  edits = Sample(edits);
  kept = Sample(kept);
  struct Way {
    const char* name;
    std::string opened;
    std::string closed;
    const std::vector<Setting>* settings;
    const Played* control;
    const std::string* prefix;
    int builder;
  };
  const Played keptBare = player_.Play(keptPrefix + Destroy(e.creator));
  const Way ways[] = {
      {"opened on the feature", Opening(e, builder), Destroy(builder), &edits, &control_, &prefix_, builder},
      {"kept open after the commit that made the feature", "", Destroy(e.creator), &kept, &keptControl, &keptPrefix,
       e.creator},
  };
  for (const Way& way : ways) {
    SCOPED_TRACE(way.name);
    // Every value let go, one edit after another: the part as it was, read
    // right after (no reader opened first) and by a new builder.
    // The builder kept open is let go once, at the chain's end.
    const bool once = way.builder == e.creator;
    std::string chained;
    for (const Setting& s : *way.settings) chained += way.opened + s.records + (once ? "" : way.closed);
    if (once) chained += way.closed;
    const Played letGo = player_.Play(*way.prefix + chained);
    const Played& bareOf = way.builder == e.creator ? keptBare : bare;
    const bool allKept = letGo.whole && letGo.part == bareOf.part &&
                         player_.Play(*way.prefix + chained + readBack) == *way.control;
    // The refused commits chained too: only a chain that differs is played
    // one by one.
    std::string refused;
    for (const Setting& s : *way.settings)
      if (s.refusable) refused += way.opened + s.records + Commit(way.builder) + (once ? "" : way.closed);
    if (once) refused += way.closed;
    const Played chain = player_.Play(*way.prefix + refused + readBack);
    const bool allRefusedKept = chain.whole && chain == *way.control;
    for (const Setting& s : *way.settings)
      for (const bool committed : {false, true}) {
        if (committed ? !s.refusable || allRefusedKept : allKept) continue;
        SCOPED_TRACE(s.path + (committed ? ", committed" : ", let go"));
        const std::string row = *way.prefix + way.opened + s.records + (committed ? Commit(way.builder) : "") +
                                way.closed;
        const Played read = player_.Play(row + readBack);
        // A path the journal's objects do not have (a list with no item) is no row.
        if (!read.whole && (read.said.find("names no object") != std::string::npos ||
                            read.said.find(" is gone") != std::string::npos))
          continue;
        if (!read.whole) {
          ADD_FAILURE() << read.said;
          continue;
        }
        // A value the commit takes changes the feature, as it should.
        if (committed && read.commits.size() >= 2 && read.commits[read.commits.size() - 2] == 0) continue;
        EXPECT_EQ(Shown(read), Shown(*way.control));
        // Read right after (where opening alone keeps the feature, else said once above).
        if (opened.part != bare.part) continue;
        const Played right = player_.Play(row);
        EXPECT_EQ(right.part, bareOf.part) << "read right after:\n" << right.said;
      }
  }
}

// ---- failed commits --------------------------------------------------------------------------

using FailedCreate = CommitSweep;

TEST_P(FailedCreate, IsRefusedWithNothingMadeOrIsTheUnfailedPart) {
  const Edited& e = *e_;
  const std::string before = e.journal.substr(0, e.made);
  // Committed again, the builder names the feature the journal's tag; what
  // the journal does next with the builder (the tooling's set read from it)
  // follows.
  const std::size_t next = e.journal.find("\nrecord ", e.made) + 1;
  FailEach(before, e.commit, e.commit, e.journal.substr(next, e.kept - next) + Destroy(e.creator) + ReadBack(e));
}

using FailedEdit = CommitSweep;

// The edits of the class to try, in turn: its expressions' values, then its other values.
std::vector<const Setting*> Candidates(const std::vector<Setting>& edits) {
  std::vector<const Setting*> candidates;
  for (const Setting& s : edits)
    if (!s.refusable && s.records.find("\"RightHandSide\"") != std::string::npos) candidates.push_back(&s);
  for (const Setting& s : edits)
    if (!s.refusable && s.records.find("\"RightHandSide\"") == std::string::npos &&
        s.records.find("\"Section\"") == std::string::npos)
      candidates.push_back(&s);
  return candidates;
}

TEST_P(FailedEdit, IsRefusedWithTheFeatureAsItWasOrIsTheUnfailedPart) {
  const int builder = kFirstTag;
  int tag = kFirstTag + 10;
  std::vector<Setting> edits;
  Settings(GetParam(), builder, "", "", 0, &tag, &edits);
  // The first that a commit takes.
  const Setting* first = nullptr;
  for (const Setting* s : Candidates(edits)) {
    const Played tried = player_.Play(prefix_ + Opening(*e_, builder) + s->records + Commit(builder));
    if (tried.whole && !tried.commits.empty() && tried.commits.back() == 0) {
      first = s;
      break;
    }
  }
  ASSERT_NE(first, nullptr) << "no edit of the class commits";
  SCOPED_TRACE(first->path);
  FailEach(prefix_ + Opening(*e_, builder) + first->records, Commit(builder), Commit(builder),
           Destroy(builder) + ReadBack(*e_));
}

// ---- two builders ----------------------------------------------------------------------------

using TwoBuilders = CommitSweep;

TEST_P(TwoBuilders, GiveTheirEditsOneAfterTheOther) {
  const Edited& e = *e_;
  const int first = kFirstTag, second = kFirstTag + 1, one = kFirstTag + 2;
  // Two edits of different members, each taken by a commit and changing
  // what the feature reads back (the same rows of each builder's settings).
  const std::string keptPrefix = e.journal.substr(0, e.kept), readBack = ReadBack(e);
  auto edits = [&](int builder) {
    int tag = kFirstTag + 100 + 100 * (builder == e.creator ? 9 : builder - kFirstTag);
    std::vector<Setting> all;
    Settings(GetParam(), builder, "", "", 0, &tag, &all);
    return all;
  };
  const std::vector<Setting> all = edits(one);
  const auto member = [](const std::string& path) { return path.substr(0, path.find_first_of(" (")); };
  const auto alone = [&](const std::string& records) {
    return player_.Play(keptPrefix + Destroy(e.creator) + Opening(e, one) + records + Commit(one) + Destroy(one) +
                        readBack);
  };
  // Two of the builder's own members (expressions where it has two), the
  // second changing what reads back after the first too.
  Played onlyFirst, control;  // the first edit alone and both edits, through one builder
  const auto pick = [&](bool expressions, Played& onlyFirst, Played& control) {
    std::vector<std::size_t> picked;
    // Logicals, enumerations and texts before values with a fraction, as
    // the rows have always picked them.
    std::vector<const Setting*> candidates = Candidates(all);
    std::stable_partition(candidates.begin(), candidates.end(),
                          [](const Setting* c) { return c->path.find('.') == std::string::npos; });
    for (const Setting* c : candidates) {
      const std::string name = member(c->path);
      if (picked.size() == 2 || name.find_first_of(".[") != std::string::npos ||
          (c->records.find("\"RightHandSide\"") != std::string::npos) != expressions)
        continue;
      const std::size_t at = static_cast<std::size_t>(c - all.data());
      if (!picked.empty() && member(all[picked[0]].path) == name) continue;
      const Played played = alone(c->records);
      if (!played.whole || played.commits.back() != 0 || Settled(played) == Settled(control_)) continue;
      if (!picked.empty()) {
        Played both = alone(all[picked[0]].records + c->records);
        if (!both.whole || both.commits.back() != 0 || Settled(both) == Settled(onlyFirst)) continue;
        control = std::move(both);
      } else {
        onlyFirst = played;
      }
      picked.push_back(at);
    }
    return picked;
  };
  std::vector<std::size_t> picked = pick(true, onlyFirst, control);
  const bool plain = picked.size() < 2;
  if (plain) picked = pick(false, onlyFirst, control);
  if (picked.size() < 2) GTEST_SKIP() << "no two edits of the class that a commit takes and that read back";
  const KnownFault* known = Known(GetParam(), plain ? "plain members" : "expression members");
  const std::vector<Setting> everyA = edits(first), everyB = edits(second), everyKept = edits(e.creator);
  const std::vector<Setting> a = {everyA[picked[0]], everyA[picked[1]]}, b = {everyB[picked[0]], everyB[picked[1]]},
                             both = {all[picked[0]], all[picked[1]]},
                             kept = {everyKept[picked[0]], everyKept[picked[1]]};
  // The control: both edits through one builder (played in the pick, as
  // the first alone); each edit changes what is read back, else the rows
  // could not tell.
  ASSERT_TRUE(control.whole) << control.said;
  ASSERT_EQ(control.commits.back(), 0) << control.said;
  EXPECT_NE(Settled(onlyFirst), Settled(control)) << both[1].path << " reads back as it was";
  // An undo to a script's mark takes a commit back from the turns as from
  // the model: the second's commit undone, the first's edit alone; the
  // first's commit (which took the second's) undone, both again.
  const auto undone = [&](const std::vector<Setting>& a, const std::vector<Setting>& b) {
    const std::string opened = keptPrefix + Destroy(e.creator) + Opening(e, first) + Opening(e, second);
    const std::string closed = Destroy(first) + Destroy(second) + readBack;
    return std::pair{opened + b[1].records + SetMarkRecord(1) + Commit(second) + UndoToMarkRecord(1) + a[0].records +
                         Commit(first) + closed,
                     opened + b[1].records + Commit(second) + a[0].records + SetMarkRecord(1) + Commit(first) +
                         UndoToMarkRecord(1) + Commit(first) + closed};
  };
  const auto [secondUndone, firstUndone] = undone(a, b);
  struct Row {
    const char* name;
    std::string journal;
    const Played* expected = nullptr;  // the control where none is given
    std::string edits = "";            // the members edited, where not the picked ones
  };
  std::vector<Row> rows = {
      {"a builder opened on the feature, then the one kept open after its create",
       keptPrefix + Opening(e, first) + a[0].records + Commit(first) + Destroy(first) + kept[1].records +
           Commit(e.creator) + Destroy(e.creator) + readBack},
      {"the builder kept open, then one opened before its commit",
       keptPrefix + Opening(e, first) + kept[0].records + Commit(e.creator) + Destroy(e.creator) + a[1].records +
           Commit(first) + Destroy(first) + readBack},
      {"two builders opened on the feature, committed in turn",
       keptPrefix + Destroy(e.creator) + Opening(e, first) + Opening(e, second) + a[0].records + Commit(first) +
           b[1].records + Commit(second) + Destroy(first) + Destroy(second) + readBack},
      {"the second's commit undone, then the first's commit", secondUndone, &onlyFirst},
  };
  rows.push_back({"the first's commit, which took the second's, undone; then the first's again", firstUndone});
  // Its commit undone, a builder is as one that never committed: the one
  // kept open after the create commits, and its own commit after writes
  // only what was set through it.
  rows.push_back({"the first's commit undone, then the one kept open after its create, then the first's again",
                  keptPrefix + Opening(e, first) + a[1].records + SetMarkRecord(1) + Commit(first) +
                      UndoToMarkRecord(1) + kept[0].records + Commit(e.creator) + Destroy(e.creator) + Commit(first) +
                      Destroy(first) + readBack});
  // Where those edit expressions, the same of two plain members, which the
  // turns remember apart (every class that has them).
  Played plainFirst, plainBoth;
  if (!plain) {
    const std::vector<std::size_t> p = pick(false, plainFirst, plainBoth);
    if (p.size() == 2) {
      const auto [plainSecondUndone, plainFirstUndone] =
          undone({everyA[p[0]], everyA[p[1]]}, {everyB[p[0]], everyB[p[1]]});
      const std::string edits = everyA[p[0]].path + ", then " + everyA[p[1]].path;
      rows.push_back({"the second's commit undone, then the first's commit", plainSecondUndone, &plainFirst, edits});
      rows.push_back({"the first's commit, which took the second's, undone; then the first's again", plainFirstUndone,
                      &plainBoth, edits});
    }
  }
  std::string failing;
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.name) + ": " + (row.edits.empty() ? a[0].path + ", then " + a[1].path : row.edits));
    const Played played = player_.Play(row.journal);
    ASSERT_TRUE(played.whole) << played.said;
    for (const int status : played.commits) EXPECT_EQ(status, 0) << played.said;
    const Played& expected = row.expected != nullptr ? *row.expected : control;
    if (known != nullptr && Settled(played) != Settled(expected)) {
      failing = row.name;
      continue;
    }
    EXPECT_EQ(Settled(played), Settled(expected));
  }
  // A commit that fails notes nothing: the value set through its builder
  // reaches the feature through no other builder's commit after it. The
  // commit is failed at the last of its counted calls whose failure fails
  // it: past its checks, in its steps.
  SCOPED_TRACE("a commit failed, its builder let go, then another's: " + b[1].path + ", then " + a[0].path);
  const std::string before = keptPrefix + Destroy(e.creator) + Opening(e, first) + Opening(e, second) + b[1].records;
  const std::string after = Destroy(second) + a[0].records + Commit(first) + Destroy(first) + readBack;
  const std::string counting = std::string(kFacilities[0]) + ":100000000000";
  const long from = player_.Play(before, counting).counted,
             to = player_.Play(before + Commit(second), counting).counted;
  ASSERT_GE(from, 0);
  Played failed;
  for (long n = to; n > from && n > to - 40; --n) {
    failed = player_.Play(before + Commit(second) + after, std::string(kFacilities[0]) + ":" + std::to_string(n));
    if (failed.whole && failed.commits.size() >= 2 && failed.commits[failed.commits.size() - 2] != 0) break;
  }
  ASSERT_TRUE(failed.whole) << failed.said;
  ASSERT_GE(failed.commits.size(), 2u) << failed.said;
  ASSERT_NE(failed.commits[failed.commits.size() - 2], 0) << "no call of the commit failed it";
  EXPECT_EQ(failed.commits.back(), 0) << failed.said;
  EXPECT_EQ(Settled(failed), Settled(onlyFirst));
  if (known != nullptr) {
    EXPECT_FALSE(failing.empty()) << "listed as a known fault, the rows pass: take the class from the table";
    if (!failing.empty()) GTEST_SKIP() << known->words << " (" << failing << ")";
  }
}

INSTANTIATE_TEST_SUITE_P(CommitSweep, Members, ::testing::ValuesIn(FeatureBuilders()), CaseName);
INSTANTIATE_TEST_SUITE_P(CommitSweep, FailedCreate, ::testing::ValuesIn(FeatureBuilders()), CaseName);
INSTANTIATE_TEST_SUITE_P(CommitSweep, FailedEdit, ::testing::ValuesIn(FeatureBuilders()), CaseName);
INSTANTIATE_TEST_SUITE_P(CommitSweep, TwoBuilders, ::testing::ValuesIn(FeatureBuilders()), CaseName);

}  // namespace
