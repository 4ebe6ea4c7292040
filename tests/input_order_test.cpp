// What a builder commits depends on the inputs it holds at the commit, not on
// the order they came in, and a commit that fails leaves what it derived as
// it was. Every sub-builder class of the catalogue with two or more settable
// members, reached from a builder an example commits by its getters or a
// list's first item, is given the same values in every order of its
// setters, at create and in the example's edit, the journal played as
// ktxhost plays it: every order must commit what the first commits, the
// printed part after each commit and the sub-builder read back by a builder
// opened on the feature.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "Binding.hpp"
#include "InProcessPlaySupport.hpp"
#include "ja_binding.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "ja_catalogue.hpp"
#include "ja_catalogue_descriptions.hpp"
#include "jam/Journal.hpp"
#include "script/PartReport.hpp"
#include "script/Player.hpp"
#include "sys/CallLog.hpp"
#include "sys/Failure.hpp"
#include "sys/Listing.hpp"

using namespace KTX;

namespace {

// What the catalogue's descriptions say of each published class: whether it
// is a sub-builder, its enumerations, and (through the binding ktxhost makes
// of them) its members.
struct Unit {
  const char* journalClass;
  bool subBuilder;
  const JA::EnumDescription* enums;
  std::size_t enumCount;
};
const Unit kUnits[] = {
#define JA_EACH_DESCRIPTION \
  Unit{JA_UNIT::Unit::journalClass, JA_UNIT::Unit::componentBuilder, JA_UNIT::Unit::enums.data(), JA_UNIT::Unit::enums.size()},
#include "ja_catalogue_descriptions.hpp"
#undef JA_EACH_DESCRIPTION
};

struct Described {
  const char* journalClass;
  bool subBuilder;
  const JA::EnumDescription* enums;
  std::size_t enumCount;
  std::vector<JA::MemberFacts> members;
};

std::vector<Described> DescribedClasses() {
  std::vector<Described> out;
  const std::vector<KTXHost::PublishedClass> published = KTXHost::PublishedClasses();
  for (const Unit& u : kUnits) {
    Described d{u.journalClass, u.subBuilder, u.enums, u.enumCount, {}};
    for (const KTXHost::PublishedClass& p : published)
      if (std::string(p.journalClass) == u.journalClass)
        for (std::size_t i = 0; i < p.count; ++i) d.members.push_back(p.rows[i].facts);
    out.push_back(std::move(d));
  }
  return out;
}

std::vector<const JA::MemberFacts*> MembersOf(const Described& d, JA::Kind kind) {
  std::vector<const JA::MemberFacts*> out;
  for (const JA::MemberFacts& m : d.members)
    if (m.kind == kind) out.push_back(&m);
  return out;
}

// The words of a name written in camel case: "NewCoordinateSystem" -> New Coordinate System.
std::set<std::string> Words(const std::string& name) {
  std::set<std::string> words;
  std::string word;
  for (char c : name) {
    if (std::isupper(static_cast<unsigned char>(c)) && !word.empty()) words.insert(word), word.clear();
    word += c;
  }
  if (!word.empty()) words.insert(word);
  return words;
}

// The member of an enumeration a sweep gives: the one whose name shares a
// word with the most of the class's other setters (the location type that
// makes the given origin and matrix count, NewCoordinateSystem), the last
// member where none does.
int EnumValue(const Described& d, const char* enumeration, const std::vector<const JA::MemberFacts*>& setters) {
  for (std::size_t e = 0; e < d.enumCount; ++e) {
    if (std::string(d.enums[e].name) != enumeration) continue;
    int best = -1, bestScore = 0, last = 0;
    for (int m = 0; m < 16 && d.enums[e].members[m] != nullptr; ++m) {
      last = m;
      int score = 0;
      const std::set<std::string> words = Words(d.enums[e].members[m]);
      for (const JA::MemberFacts* s : setters) {
        if (s->shape == JA::Shape::Enum) continue;
        for (const std::string& w : Words(s->name)) score += words.count(w) != 0 ? 1 : 0;
      }
      if (score > bestScore) best = m, bestScore = score;
    }
    return best >= 0 ? best : last;
  }
  ADD_FAILURE() << enumeration << " is described by no class";
  return 0;
}

std::string Record(const std::string& head, const std::string& object, const std::string& lines) {
  return "record 0 " + head + "\n  this " + object + "\n" + lines + "  closed 0\n";
}

// One step from an object to the next: a getter of its class, or the first
// item of a list (a getter's value, an "ObjectList" of the item class).
struct Step {
  const char* journalClass;         // of the object the step starts from
  const JA::MemberFacts* getter;    // null: the list's first item
};

// A sub-builder reached from an owner by getters (and a list's first item),
// and the example that commits the owner.
struct Case {
  const Described* owner;
  std::vector<Step> reach;
  const Described* sub;
  std::string example;  // file name
};

std::string Named(const Case& c) {
  std::string named = c.owner->journalClass;
  for (const Step& s : c.reach) named += s.getter != nullptr ? std::string(" ") + s.getter->name : " item 0";
  return named;
}

// Where in the example the owner is made and committed (journal tags, the
// commit record's line, the creator record's parts for an edit of its feature).
struct Found {
  bool ok = false;
  int builder = 0, feature = 0, commitLine = 0;
  JAM::Record creator;
};

Found Find(const JAM::Journal& journal, const char* owner, bool edit) {
  Found f;
  for (std::size_t i = 0; i < journal.size(); ++i) {
    const JAM::Record& r = journal[i];
    if (r.depth != 0) continue;
    bool editing = false, makes = false;
    int made = 0;
    for (const JAM::Value& v : r.values) {
      if (v.direction == JAM::Direction::In && v.kind == JAM::ValueKind::Tag && v.integer != 0) editing = true;
      if (v.direction == JAM::Direction::Result && v.type == owner) makes = true, made = static_cast<int>(v.integer);
    }
    if (!makes || editing != edit) continue;
    for (std::size_t k = i + 1; k < journal.size(); ++k) {
      const JAM::Record& c = journal[k];
      if (c.depth != 0 || c.journalClass != "Builder" || c.member != "Commit" || c.thisTag != static_cast<tag_t>(made))
        continue;
      f.ok = true;
      f.builder = made;
      f.commitLine = c.line;
      f.creator = r;
      for (const JAM::Value& v : c.values)
        if (v.direction == JAM::Direction::Result) f.feature = static_cast<int>(v.integer);
      return f;
    }
  }
  return f;
}

// Tags the sweep's records name: objects made for the new builder from 9000
// and for the edit from 9050, the sub-builders of the two 9100 and 9150, the
// read-back builder 9200 and its sub-builder 9201.
constexpr int kMade = 9000, kMadeForEdit = 9050, kSub = 9100, kSubInEdit = 9150, kReadBuilder = 9200, kReadSub = 9201;

// The records giving each setter its value, in the catalogue's order, and
// the records making what they name.
struct Given {
  std::string made;
  std::vector<std::string> sets;    // one step each
  std::vector<std::string> names;   // the setters of each step
  std::vector<std::string> enumOf;  // the enumeration a step gives, if any
};

// The objects the setters name are made anew for each builder (tags from
// `made` + 1), as a builder's commit may take the ones it was given.
Given Values(const Described& sub, int made, int subTag) {
  Given g;
  const std::vector<const JA::MemberFacts*> setters = MembersOf(sub, JA::Kind::Set);
  const std::string self = "ptr " + std::to_string(subTag);
  for (const JA::MemberFacts* s : setters) {
    const std::string in = std::string("  in ");
    const std::string name = std::string("\"") + s->journalName + "\"";
    std::string value;
    switch (s->shape) {
      case JA::Shape::Enum:
        value = in + "enum " + name + " \"" + s->typeName + "\" " + std::to_string(EnumValue(sub, s->typeName, setters));
        break;
      case JA::Shape::Logical: value = in + "logical " + name + " - true"; break;
      case JA::Shape::Double: value = in + "double " + name + " - 0.75"; break;
      case JA::Shape::Struct:
        value = in + "struct " + name + " \"" + s->typeName + "\" " +
                (std::string(s->typeName) == "Point3d" ? "3 25 20 0" : "9 0 1 0 -1 0 0 0 0 1");
        break;
      case JA::Shape::Tag: {
        // An object of the class the setter names, made by the part.
        const std::string type = s->typeName;
        ++made;
        const std::string points = type == "Point" ? "3 12 20 0" : "6 30 20 0 1 0 0";
        std::string result = type;
        std::transform(result.begin(), result.end(), result.begin(), [](unsigned char c) { return std::tolower(c); });
        g.made += Record("method \"Part\" \"Create" + type + "\"", "tag 1",
                         "  in struct-array \"points\" \"Point3d\" " + points + "\n  result tag \"" + result + "\" \"" +
                             type + "\" " + std::to_string(made) + "\n");
        value = in + "tag " + name + " \"" + type + "\" " + std::to_string(made);
        break;
      }
      default: ADD_FAILURE() << sub.journalClass << " " << s->name << ": a setter of a kind the sweep gives no value";
    }
    const std::string record = Record("set \"" + std::string(sub.journalClass) + "\" \"" + s->name + "\"", self, value + "\n");
    // Two setters of one enumeration (a type under two names) are given the
    // same member: one step, their order between them nothing to sweep.
    bool joined = false;
    for (std::size_t k = 0; k < g.sets.size() && s->shape == JA::Shape::Enum; ++k)
      if (g.enumOf[k] == s->typeName) {
        g.sets[k] += record;
        g.names[k] += "/" + std::string(s->name);
        joined = true;
      }
    if (joined) continue;
    g.sets.push_back(record);
    g.names.push_back(s->name);
    g.enumOf.push_back(s->shape == JA::Shape::Enum ? s->typeName : "");
  }
  return g;
}

// The sub-builder of the builder `builder` (journal tag), as tag `as` (the
// objects on the way as `as` + 1 on).
std::string GetSub(const Case& c, int builder, int as) {
  std::string text;
  int from = builder, next = as + 1;
  for (std::size_t i = 0; i < c.reach.size(); ++i) {
    const Step& s = c.reach[i];
    const int to = i + 1 == c.reach.size() ? as : next++;
    if (s.getter == nullptr) {
      text += Record("method \"ObjectList\" \"FindItem\"", "tag " + std::to_string(from),
                     "  in int \"index\" - 0\n  result tag \"object\" \"TaggedObject\" " + std::to_string(to) + "\n");
    } else {
      text += Record("get \"" + std::string(s.journalClass) + "\" \"" + s.getter->name + "\"", "ptr " + std::to_string(from),
                     "  result ptr \"" + std::string(s.getter->journalName) + "\" \"" + s.getter->typeName + "\" " +
                         std::to_string(to) + "\n");
    }
    from = to;
  }
  return text;
}

// A builder opened on the feature reads the sub-builder's values back, then goes.
std::string ReadBack(const Case& c, const Found& f) {
  std::string lines;
  for (const JAM::Value& v : f.creator.values) {
    if (v.direction == JAM::Direction::In && v.kind == JAM::ValueKind::Tag)
      lines += "  in tag \"" + v.name + "\" \"" + v.type + "\" " + std::to_string(f.feature) + "\n";
    if (v.direction == JAM::Direction::Result)
      lines += "  result tag \"" + v.name + "\" \"" + v.type + "\" " + std::to_string(kReadBuilder) + "\n";
  }
  std::string text = Record("method \"" + f.creator.journalClass + "\" \"" + f.creator.member + "\"",
                            std::string(f.creator.thisKind == 'p' ? "ptr " : "tag ") + std::to_string(f.creator.thisTag),
                            lines) +
                     GetSub(c, kReadBuilder, kReadSub);
  for (const JA::MemberFacts* g : MembersOf(*c.sub, JA::Kind::Get)) {
    const std::string name = std::string("\"") + g->journalName + "\"";
    std::string result;
    switch (g->shape) {
      case JA::Shape::Enum: result = "enum " + name + " \"" + g->typeName + "\" 0"; break;
      case JA::Shape::Logical: result = "logical " + name + " - false"; break;
      case JA::Shape::Double: result = "double " + name + " - 0"; break;
      case JA::Shape::Struct:
        result = "struct " + name + " \"" + g->typeName + "\" " +
                 (std::string(g->typeName) == "Point3d" ? "3 0 0 0" : "9 0 0 0 0 0 0 0 0 0");
        break;
      case JA::Shape::Tag: result = "tag " + name + " \"" + g->typeName + "\" 0"; break;
      default: continue;  // an object the sub-builder holds: not a value it was given
    }
    text += Record("get \"" + std::string(c.sub->journalClass) + "\" \"" + g->name + "\"",
                   "ptr " + std::to_string(kReadSub), "  result " + result + "\n");
  }
  return text + Record("method \"Builder\" \"Destroy\"", "ptr " + std::to_string(kReadBuilder), "");
}

// The example with records put in before lines (1-based) and `after` at its end.
std::string Inserted(const std::string& text, const std::map<int, std::string>& before, const std::string& after) {
  std::istringstream in(text);
  std::string out, l;
  for (int n = 1; std::getline(in, l); ++n) {
    if (auto it = before.find(n); it != before.end()) out += it->second;
    out += l + "\n";
  }
  return out + after;
}

// The printed part with its tags numbered in the order they first appear
// (how many objects a builder made on the way changes the numbers, not what
// it committed).
std::string Canonical(const std::string& printed) {
  static const std::set<std::string> kBefore = {"part", "feature", "body", "target", "tools", "member"};
  std::map<std::string, std::string> renamed;
  std::istringstream lines(printed);
  std::string out, line;
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::vector<std::string> w;
    for (std::string word; words >> word;) w.push_back(word);
    const bool tagList = std::find(w.begin(), w.end(), "tags") != w.end();
    for (std::size_t i = 1; i < w.size(); ++i) {
      // In a list of tags each follows its class's name ("ES_solid 1267").
      const bool afterClass = tagList && std::any_of(w[i - 1].begin(), w[i - 1].end(),
                                                     [](char c) { return std::isupper(static_cast<unsigned char>(c)); });
      const bool tag = !w[i].empty() &&
                       std::all_of(w[i].begin(), w[i].end(), [](char c) { return std::isdigit(static_cast<unsigned char>(c)); }) &&
                       (kBefore.count(w[i - 1]) != 0 || afterClass);
      if (tag) w[i] = renamed.emplace(w[i], "#" + std::to_string(renamed.size())).first->second;
    }
    for (const std::string& word : w) out += word + " ";
    out += "\n";
  }
  return out;
}

class InputOrder : public stamvik_test::JamTest {
 protected:
  static void SetUpTestSuite() { stamvik_test::BindPlugin(); }

  // The journal played in a part of its own: the printed part after each
  // commit and the read-back values, or where and why the play stopped.
  std::string Committed(const std::string& journal, const std::string& subClass,
                        const std::vector<std::string>& readBack) {
    PART_part* work = PART_ask_work_part();
    PART_part* part = PART_part::Create(0);
    PART_set_work_part(part);
    Host::SetLogging(false);
    std::string error, out;
    int line = 0;
    JAM::ClearJournal();
    Script::Player player;
    const JAM::Journal records = JAM::ReadJournal(journal);
    bool played = true;
    for (std::size_t i = 0; i < records.size() && played; ++i) {
      played = player.Play(records[i], i, &error, &line);
      if (played && records[i].depth == 0 && records[i].journalClass == "Builder" && records[i].member == "Commit")
        out += Canonical(Script::DescribePart(part));
    }
    const Script::PlaySummary& summary = player.Summary();
    if (!played) {
      out = "stopped at line " + std::to_string(line) + ": " + error;
    } else {
      // The values the read-back builder's getters gave, the journal's last
      // records of the sub-builder's class.
      const JAM::Journal& recorded = JAM::Recorded();
      std::vector<std::string> values;
      for (auto r = recorded.rbegin(); r != recorded.rend() && values.size() < readBack.size(); ++r) {
        if (r->depth != 0 || r->journalClass != subClass || r->methodType != 1) continue;
        std::ostringstream value;
        value << r->member;
        for (const JAM::Value& v : r->values)
          if (v.direction == JAM::Direction::Result) {
            // A tag as the journal names it: a live tag differs from play to play.
            std::string shown = std::to_string(v.integer);
            if (v.kind == JAM::ValueKind::Tag && v.integer != 0) {
              shown = "a " + Script::JournalClassOf(OM::OM_object_of_tag(static_cast<tag_t>(v.integer))) + " made";
              for (const auto& [named, live] : summary.objects)
                if (live == static_cast<tag_t>(v.integer)) shown = std::to_string(named);
            }
            value << " " << shown;
            for (double x : v.reals) value << " " << x;
          }
        values.push_back(value.str());
      }
      for (auto v = values.rbegin(); v != values.rend(); ++v) out += *v + "\n";
    }
    Host::SetLogging(true);
    JAM::ClearJournal();
    part->destroy();
    PART_set_work_part(work);
    Listing::Reset();
    return out;
  }
};

TEST_F(InputOrder, EveryOrderOfASubBuildersSettersCommitsTheSame) {
  // The examples that hold sub-builders (die design and engineering) read
  // and write no file: they play where the suite runs.
  std::vector<std::filesystem::path> examples;
  for (const auto& entry : std::filesystem::directory_iterator(stamvik_test::Examples()))
    if (entry.path().extension() == ".jou") examples.push_back(entry.path());
  std::sort(examples.begin(), examples.end());

  // Generated: every sub-builder with two or more setters, every builder
  // getter that hands it out, every example committing that builder.
  const std::vector<Described> described = DescribedClasses();
  std::map<std::string, const Described*> byClass;
  for (const Described& d : described) byClass[d.journalClass] = &d;
  auto swept = [](const Described* d) { return d != nullptr && d->subBuilder && MembersOf(*d, JA::Kind::Set).size() >= 2; };
  std::vector<Case> cases;
  for (const std::filesystem::path& example : examples) {
    const JAM::Journal journal = JAM::ReadJournal(stamvik_test::ReadFile(example.string()));
    for (const Described& owner : described) {
      if (owner.subBuilder || !Find(journal, owner.journalClass, false).ok) continue;
      // Two steps at most: a sub-builder the owner holds, or one held by a
      // sub-builder of it or by a list of either.
      std::vector<std::vector<Step>> reaches{{}};
      for (std::size_t r = 0; r < reaches.size(); ++r) {
        const std::vector<Step> reach = reaches[r];
        std::string at = owner.journalClass;
        if (!reach.empty()) at = reach.back().getter != nullptr ? reach.back().getter->typeName : "";
        const auto it = byClass.find(at);
        if (it == byClass.end() || (!reach.empty() && !it->second->subBuilder)) continue;
        if (!reach.empty() && swept(it->second)) {
          cases.push_back({&owner, reach, it->second, example.filename().string()});
          continue;
        }
        if (reach.size() >= 2) continue;
        for (const JA::MemberFacts* getter : MembersOf(*it->second, JA::Kind::Get)) {
          if (getter->typeName == nullptr) continue;
          std::vector<Step> longer = reach;
          longer.push_back({it->second->journalClass, getter});
          if (getter->shape == JA::Shape::Object && byClass.count(getter->typeName) != 0) reaches.push_back(longer);
          // A list of sub-builders: its first item.
          const bool list = getter->shape == JA::Shape::TemplateObject && getter->templateName != nullptr &&
                            std::string(getter->templateName) == "ObjectList" && getter->argument != nullptr;
          if (list && byClass.count(getter->argument) != 0 && swept(byClass[getter->argument])) {
            longer.push_back({getter->typeName, nullptr});
            cases.push_back({&owner, longer, byClass[getter->argument], example.filename().string()});
          }
        }
      }
    }
  }
  ASSERT_FALSE(cases.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sub->journalClass << " of " << Named(c) << " in " << c.example);
    const std::string text = stamvik_test::ReadFile((stamvik_test::Examples() / c.example).string());
    const JAM::Journal journal = JAM::ReadJournal(text);
    // The same values before the commit of the new builder and, where the
    // example has one, of the builder it opens on the feature.
    const Found made = Find(journal, c.owner->journalClass, false), edited = Find(journal, c.owner->journalClass, true);
    const Given given = Values(*c.sub, kMade, kSub), again = Values(*c.sub, kMadeForEdit, kSubInEdit);
    const std::string readBack = ReadBack(c, edited.ok ? edited : made);
    std::vector<std::string> readBackRecords;
    for (const JA::MemberFacts* g : MembersOf(*c.sub, JA::Kind::Get))
      if (g->shape != JA::Shape::Object && g->shape != JA::Shape::TemplateObject) readBackRecords.push_back(g->name);
    std::vector<std::size_t> order(given.sets.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::string first;
    int orders = 0, differing = 0;
    do {
      std::string sets, setsAgain;
      for (std::size_t i : order) sets += given.sets[i], setsAgain += again.sets[i];
      std::map<int, std::string> before{{made.commitLine, given.made + GetSub(c, made.builder, kSub) + sets}};
      if (edited.ok) before[edited.commitLine] = again.made + GetSub(c, edited.builder, kSubInEdit) + setsAgain;
      const std::string committed = Committed(Inserted(text, before, readBack), c.sub->journalClass, readBackRecords);
      if (orders++ == 0) {
        first = committed;
        // A commit the owner refuses for the values given (a plane under the
        // die shoe's base) must be refused alike in every order; any other
        // stop is the sweep's own fault.
        EXPECT_TRUE(first.find("stopped") == std::string::npos ||
                    first.find("the call gave another status") != std::string::npos)
            << first;
      } else if (committed != first && differing++ < 2) {
        std::string named;
        for (std::size_t i : order) named += given.names[i] + " ";
        ADD_FAILURE() << "the order " << named << "commits\n" << committed << "where the first commits\n" << first;
      }
    } while (std::next_permutation(order.begin(), order.end()));
    EXPECT_EQ(differing, 0) << "of " << orders << " orders";
  }
}

// ---- across a builder and its sub-builders ---------------------------------------------

// One choice the cross sweep gives: a builder's or sub-builder's setters of
// one enumeration (one step, as above) or one logical, on the object the
// journal names `tag` (the owner's builder, or the sub-builder fetched as it).
struct Choice {
  std::string journalClass;
  std::vector<const JA::MemberFacts*> setters;
  int members = 2;  // the values it takes: 0 to members - 1
  std::size_t object = 0;  // 0 the owner, else the sub-builder's place in the reaches, from 1
};

// The number of members of an enumeration a class describes.
int MemberCount(const Described& d, const char* enumeration) {
  for (std::size_t e = 0; e < d.enumCount; ++e)
    if (std::string(d.enums[e].name) == enumeration) {
      int n = 0;
      while (n < 16 && d.enums[e].members[n] != nullptr) ++n;
      return n;
    }
  return 0;
}

std::vector<Choice> ChoicesOf(const Described& d, std::size_t object) {
  std::vector<Choice> out;
  for (const JA::MemberFacts* s : MembersOf(d, JA::Kind::Set)) {
    if (s->shape != JA::Shape::Enum && s->shape != JA::Shape::Logical) continue;
    bool joined = false;
    for (Choice& c : out)
      if (s->shape == JA::Shape::Enum && c.setters.front()->shape == JA::Shape::Enum &&
          std::string(c.setters.front()->typeName) == s->typeName)
        c.setters.push_back(s), joined = true;
    if (joined) continue;
    const int members = s->shape == JA::Shape::Enum ? MemberCount(d, s->typeName) : 2;
    if (members >= 2) out.push_back({d.journalClass, {s}, members, object});
  }
  return out;
}

// The records giving a choice its lowest value (its first member, false) or its highest.
std::string Chosen(const Choice& c, bool high, int tag) {
  std::string records;
  for (const JA::MemberFacts* s : c.setters) {
    const std::string name = std::string("\"") + s->journalName + "\"";
    const std::string value = s->shape == JA::Shape::Enum
                                  ? "enum " + name + " \"" + s->typeName + "\" " + std::to_string(high ? c.members - 1 : 0)
                                  : "logical " + name + " - " + (high ? "true" : "false");
    records += Record("set \"" + c.journalClass + "\" \"" + s->name + "\"", "ptr " + std::to_string(tag), "  in " + value + "\n");
  }
  return records;
}

TEST_F(InputOrder, EitherOrderOfTheChoicesAcrossABuilderAndItsSubBuildersCommitsTheSame) {
  // Generated: every builder an example commits, with every sub-builder it
  // holds (a getter's, a list's first item) that takes a choice. Every
  // choice of the builder and of those sub-builders (an enumeration's first
  // or last member, false or true) is given before the new builder's commit
  // and the edit's, all of them in the catalogue's order and then in the
  // reverse, under value patterns that give every two choices each of their
  // four pairs of values (all lowest, all highest, and by each bit of the
  // choices' numbers, the pattern and its complement). A rule between two
  // values that is applied where the second is set, and not to what the
  // builder holds at the commit, commits one of the two orders differently.
  std::vector<std::filesystem::path> examples;
  for (const auto& entry : std::filesystem::directory_iterator(stamvik_test::Examples()))
    if (entry.path().extension() == ".jou") examples.push_back(entry.path());
  std::sort(examples.begin(), examples.end());
  const std::vector<Described> described = DescribedClasses();
  std::map<std::string, const Described*> byClass;
  for (const Described& d : described) byClass[d.journalClass] = &d;

  int cases = 0, plays = 0;
  for (const std::filesystem::path& example : examples) {
    const std::string text = stamvik_test::ReadFile(example.string());
    const JAM::Journal journal = JAM::ReadJournal(text);
    for (const Described& owner : described) {
      const Found made = Find(journal, owner.journalClass, false);
      if (owner.subBuilder || !made.ok) continue;
      const Found edited = Find(journal, owner.journalClass, true);
      // The sub-builders one step away, each as a case of its own reach.
      std::vector<Case> subs;
      for (const JA::MemberFacts* getter : MembersOf(owner, JA::Kind::Get)) {
        if (getter->typeName == nullptr) continue;
        if (getter->shape == JA::Shape::Object && byClass.count(getter->typeName) != 0 &&
            byClass[getter->typeName]->subBuilder)
          subs.push_back({&owner, {{owner.journalClass, getter}}, byClass[getter->typeName], example.filename().string()});
        const bool list = getter->shape == JA::Shape::TemplateObject && getter->templateName != nullptr &&
                          std::string(getter->templateName) == "ObjectList" && getter->argument != nullptr;
        if (list && byClass.count(getter->argument) != 0 && byClass[getter->argument]->subBuilder)
          subs.push_back({&owner, {{owner.journalClass, getter}, {getter->typeName, nullptr}}, byClass[getter->argument],
                          example.filename().string()});
      }
      std::vector<Choice> choices = ChoicesOf(owner, 0);
      bool crosses = false;
      for (std::size_t k = 0; k < subs.size(); ++k) {
        const std::vector<Choice> more = ChoicesOf(*subs[k].sub, k + 1);
        crosses = crosses || !more.empty();
        choices.insert(choices.end(), more.begin(), more.end());
      }
      if (!crosses || choices.empty()) continue;
      ++cases;
      SCOPED_TRACE(testing::Message() << owner.journalClass << " in " << example.filename().string());
      // The sub-builders fetched before the choices, ten tags apart.
      auto fetched = [&](int builder, int base) {
        std::string records;
        for (std::size_t k = 0; k < subs.size(); ++k) records += GetSub(subs[k], builder, base + 10 * static_cast<int>(k));
        return records;
      };
      auto tagOf = [&](const Choice& c, int builder, int base) {
        return c.object == 0 ? builder : base + 10 * static_cast<int>(c.object - 1);
      };
      std::size_t bits = 0;
      while ((std::size_t{1} << bits) < choices.size()) ++bits;
      std::vector<std::vector<bool>> patterns{std::vector<bool>(choices.size(), false),
                                              std::vector<bool>(choices.size(), true)};
      for (std::size_t b = 0; b < bits; ++b) {
        std::vector<bool> pattern(choices.size());
        for (std::size_t i = 0; i < choices.size(); ++i) pattern[i] = ((i >> b) & 1) != 0;
        patterns.push_back(pattern);
        pattern.flip();
        patterns.push_back(pattern);
      }
      int differing = 0;
      for (const std::vector<bool>& pattern : patterns) {
        std::string committed[2];
        for (int reverse = 0; reverse < 2; ++reverse) {
          std::string sets = fetched(made.builder, kSub), setsAgain = fetched(edited.builder, kSubInEdit + 300);
          for (std::size_t n = 0; n < choices.size(); ++n) {
            const std::size_t i = reverse != 0 ? choices.size() - 1 - n : n;
            sets += Chosen(choices[i], pattern[i], tagOf(choices[i], made.builder, kSub));
            setsAgain += Chosen(choices[i], pattern[i], tagOf(choices[i], edited.builder, kSubInEdit + 300));
          }
          std::map<int, std::string> before{{made.commitLine, sets}};
          if (edited.ok) before[edited.commitLine] = setsAgain;
          committed[reverse] = Committed(Inserted(text, before, ""), "", {});
          ++plays;
        }
        if (committed[0] != committed[1] && differing++ < 2) {
          std::string named;
          for (std::size_t i = 0; i < choices.size(); ++i)
            named += choices[i].journalClass + "." + choices[i].setters.front()->name + (pattern[i] ? " high" : " low") + ", ";
          ADD_FAILURE() << "given " << named << "in the catalogue's order it commits\n"
                        << committed[0] << "in the reverse\n" << committed[1];
        }
      }
      EXPECT_EQ(differing, 0) << "of " << patterns.size() << " patterns";
    }
  }
  EXPECT_GT(cases, 0);
  std::cout << cases << " builders, " << plays << " plays\n";
}

using stamvik_test::SegmentPositions;

TEST_F(InputOrder, ABeadCommitThatFailsLeavesItsSegmentsPlacesAsTheyWere) {
  // The split example's bead (0 9.75 | 10 29.75 | 30 60) given its end at
  // (25,20,0) fits its last segment to 30 45 at the commit. Each host call,
  // feature record and undo mark of that commit fails in turn: a commit that
  // fails keeps 30 60, so the end moved on to (40,20,0) and committed again
  // gives 30 60; one that absorbs the failure has committed 30 45, which
  // stays.
  std::string text = stamvik_test::ReadFile((stamvik_test::Examples() / "draw_bead_split.jou").string());
  text = text.substr(0, text.find("# Committed: the male feature is 50."));
  auto origin = [](const char* at) {
    return Record("set \"Die.DieLocationBuilder\" \"CoordinateSystemOrigin\"", "ptr 74",
                  std::string("  in struct \"coordinatesystemorigin\" \"Point3d\" 3 ") + at + "\n");
  };
  const std::string point =
      Record("get \"Die.DrawBeadBuilder\" \"EndPoint\"", "ptr 10", "  result ptr \"endpoint\" \"Die.DieLocationBuilder\" 74\n") +
      Record("set \"Die.DieLocationBuilder\" \"InputType\"", "ptr 74",
             "  in enum \"inputtype\" \"Die.DieLocationBuilder.LocationType\" 2\n") +
      origin("25 20 0");
  const JAM::Journal before = JAM::ReadJournal(text + point);
  const JAM::Journal failing =
      JAM::ReadJournal("journal 1\nrecord 0 method \"Builder\" \"Commit\"\n  this ptr 10\n"
                       "  result tag \"object\" \"TaggedObject\" 49\n  failed 0\n");
  const JAM::Journal after = JAM::ReadJournal("journal 1\n" + origin("40 20 0") +
                                              Record("method \"Builder\" \"Commit\"", "ptr 10",
                                                     "  result tag \"object\" \"TaggedObject\" 50\n"));
  // Plays the bead to its failing commit, which fails at the nth counted call
  // (0: counts them), then on: the commit's status and the places committed last.
  auto play = [&](long long n, long long* counted, int* status) {
    PART_part* work = PART_ask_work_part();
    PART_part* part = PART_part::Create(0);
    PART_set_work_part(part);
    Host::SetLogging(false);
    JAM::ClearJournal();
    Script::Player player;
    std::string error;
    std::size_t index = 0;
    bool played = true;
    for (const JAM::Record& r : before) played = played && player.Play(r, index++, &error);
    const unsigned facilities = Failure::kHostCall | Failure::kFeatureRecord | Failure::kUndoMark;
    if (n == 0) Failure::Count(facilities); else Failure::FailAt(facilities, n);
    played = played && player.Play(failing[0], index++, &error);
    *counted = Failure::Off();
    *status = -1;
    for (auto r = JAM::Recorded().rbegin(); r != JAM::Recorded().rend() && *status == -1; ++r)
      if (r->depth == 0 && r->journalClass == "Builder" && r->member == "Commit") *status = r->status;
    for (const JAM::Record& r : after) played = played && player.Play(r, index++, &error);
    EXPECT_TRUE(played) << error;
    // The feature the last commit made is listed last.
    const std::string printed = Script::DescribePart(part);
    const std::string places = SegmentPositions(printed.substr(std::min(printed.rfind("  segment records"), printed.size())));
    Host::SetLogging(true);
    JAM::ClearJournal();
    part->destroy();
    PART_set_work_part(work);
    Listing::Reset();
    return places;
  };
  long long calls = 0;
  int status = -1;
  ASSERT_EQ(play(0, &calls, &status), "0 9.75 | 10 29.75 | 30 45");
  ASSERT_EQ(status, 0);
  ASSERT_GT(calls, 0);
  int failed = 0;
  for (long long n = 1; n <= calls; ++n) {
    SCOPED_TRACE(n);
    long long counted = 0;
    const std::string places = play(n, &counted, &status);
    failed += status != 0 ? 1 : 0;
    EXPECT_EQ(places, status != 0 ? "0 9.75 | 10 29.75 | 30 60" : "0 9.75 | 10 29.75 | 30 45") << status;
  }
  EXPECT_GT(failed, 0);
}

}  // namespace
