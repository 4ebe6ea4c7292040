// The journal as text: one line per record header, value, association and
// ending, indented by nesting depth. Doubles are written with 17 significant
// digits, which read back to the same bits.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <charconv>
#include <istream>
#include <limits>
#include <sstream>

#include "jam/Journal.hpp"
#include "sys/Error.hpp"

namespace KTX::JAM {
namespace {

const char* kHeader = "journal 1";
// A record's depth is how many calls it runs inside; text beyond this is no
// journal the stand-in wrote.
constexpr long long kDeepestNesting = 1000;

struct KindWord {
  ValueKind kind;
  const char* name;
};
constexpr KindWord kKinds[] = {
    {ValueKind::Logical, "logical"},         {ValueKind::Integer, "int"},
    {ValueKind::Double, "double"},           {ValueKind::Enum, "enum"},
    {ValueKind::Ptr, "ptr"},                 {ValueKind::Tag, "tag"},
    {ValueKind::String, "string"},           {ValueKind::Utf8String, "utf8"},
    {ValueKind::Struct, "struct"},           {ValueKind::DoubleArray, "double-array"},
    {ValueKind::StringArray, "string-array"}, {ValueKind::Utf8StringArray, "utf8-array"},
    {ValueKind::StructArray, "struct-array"},
};
constexpr const char* kDirections[] = {"in", "out", "result"};
constexpr const char* kMethodTypes[] = {"method", "get", "set"};

std::string quote(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20 || c == 0x7f) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02x", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out + "\"";
}

std::string real(double d) {
  char text[40];
  std::snprintf(text, sizeof text, "%.17g", d);
  return text;
}

std::string payload(const Value& v) {
  std::string out;
  switch (v.kind) {
    case ValueKind::Logical: return v.integer != 0 ? "true" : "false";
    case ValueKind::Integer:
    case ValueKind::Enum:
    case ValueKind::Ptr:
    case ValueKind::Tag: return std::to_string(v.integer);
    case ValueKind::Double:
      return v.direction == Direction::In ? real(v.real) + " " + std::to_string(v.attribute) : real(v.real);
    case ValueKind::String:
    case ValueKind::Utf8String: return v.isNull ? "null" : quote(v.text);
    case ValueKind::Struct:
    case ValueKind::DoubleArray:
    case ValueKind::StructArray:
      if (v.isNull) return "null";
      out = std::to_string(v.reals.size());
      for (double d : v.reals) out += " " + real(d);
      return out;
    case ValueKind::StringArray:
    case ValueKind::Utf8StringArray:
      if (v.isNull) return "null";
      out = std::to_string(v.texts.size());
      for (const std::string& t : v.texts) out += " " + quote(t);
      return out;
  }
  return out;
}

[[noreturn]] void bad(int line, const std::string& why) {
  throw Error::Exception(kJournalText, why, {}, line);
}

// Splits a line into words; quoted words keep their escapes undone. A quoted
// word is marked by a leading '"' kept in `quoted`.
struct Words {
  std::vector<std::string> words;
  std::vector<bool> quoted;
};

Words split(const std::string& line, int number) {
  Words w;
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char c = line[i++];
        if (c == '"') {
          closed = true;
          break;
        }
        if (c != '\\') {
          word += c;
          continue;
        }
        if (i >= line.size()) bad(number, "escape at end of line");
        char e = line[i++];
        if (e == 'n') {
          word += '\n';
        } else if (e == 't') {
          word += '\t';
        } else if (e == 'x') {
          if (i + 2 > line.size() || !std::isxdigit(static_cast<unsigned char>(line[i])) ||
              !std::isxdigit(static_cast<unsigned char>(line[i + 1])))
            bad(number, "bad \\x escape");
          word += static_cast<char>(std::strtol(line.substr(i, 2).c_str(), nullptr, 16));
          i += 2;
        } else {
          word += e;
        }
      }
      if (!closed) bad(number, "unclosed quote");
      w.words.push_back(word);
      w.quoted.push_back(true);
    } else {
      while (i < line.size() && line[i] != ' ') word += line[i++];
      w.words.push_back(word);
      w.quoted.push_back(false);
    }
  }
  return w;
}

// An integer of the range a field holds; a number outside it is refused, never
// wrapped ("closed 4294967296" is no status).
long long integer(const std::string& s, int line, const char* what, long long low, long long high) {
  long long v = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  auto [end, error] = std::from_chars(first, last, v);
  if (s.empty() || end != last || error == std::errc::invalid_argument)
    bad(line, std::string(what) + " is not an integer (found " + s + ")");
  if (error == std::errc::result_out_of_range || v < low || v > high)
    bad(line, std::string(what) + " out of range (expected " + std::to_string(low) + " to " + std::to_string(high) +
                  ", found " + s + ")");
  return v;
}
constexpr long long kIntLow = std::numeric_limits<int>::min();
constexpr long long kIntHigh = std::numeric_limits<int>::max();
constexpr long long kTagHigh = std::numeric_limits<tag_t>::max();

double readReal(const std::string& s, int line) {
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0') bad(line, "not a number (found " + s + ")");
  return v;
}

// Reads the next line into `line` (without its end, a CR before the LF
// included); false at the end of the text. A line longer than the limit is
// refused before more of it is read.
bool nextLine(std::istream& in, std::string& line, int number) {
  line.clear();
  char c = 0;
  while (in.get(c)) {
    if (c == '\n') break;
    if (line.size() == kLongestJournalLine)
      bad(number, "line longer than " + std::to_string(kLongestJournalLine) + " bytes");
    line += c;
  }
  if (line.empty() && !in) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

const char* endingName(RecordState state) {
  return state == RecordState::Closed ? "closed" : state == RecordState::Failed ? "failed" : "open";
}

}  // namespace

const char* KindName(ValueKind kind) {
  for (const KindWord& k : kKinds)
    if (k.kind == kind) return k.name;
  return "?";
}

const char* DirectionName(Direction direction) { return kDirections[static_cast<int>(direction)]; }

std::string WriteJournal(const Journal& journal) {
  std::ostringstream out;
  out << kHeader << "\n";
  for (const Record& r : journal) {
    std::string indent(static_cast<std::size_t>(r.depth) * 2, ' ');
    out << indent << "record " << r.depth << " " << kMethodTypes[r.methodType] << " " << quote(r.journalClass) << " "
        << quote(r.member) << "\n";
    if (r.attributes != -1) out << indent << "  attributes " << r.attributes << "\n";
    if (r.thisKind != 0) out << indent << "  this " << (r.thisKind == 'p' ? "ptr" : "tag") << " " << r.thisTag << "\n";
    for (const Value& v : r.values) {
      const char* kind = "";
      for (const KindWord& k : kKinds)
        if (k.kind == v.kind) kind = k.name;
      out << indent << "  " << kDirections[static_cast<int>(v.direction)] << " " << kind << " " << quote(v.name) << " "
          << (v.type.empty() ? std::string("-") : quote(v.type)) << " " << payload(v) << "\n";
    }
    if (r.argumentsEnded) out << indent << "  end-of-arguments\n";
    for (const Association& a : r.associations) out << indent << "  associate " << quote(a.templateClass) << " " << a.tag << "\n";
    switch (r.state) {
      case RecordState::Open: out << indent << "  open\n"; break;
      case RecordState::Closed: out << indent << "  closed " << r.status << "\n"; break;
      case RecordState::Failed: out << indent << "  failed " << r.status << "\n"; break;
    }
  }
  return out.str();
}

Journal ReadJournal(const std::string& text) {
  std::istringstream in(text);
  return ReadJournal(in);
}

Journal ReadJournal(std::istream& in) {
  Journal journal;
  std::string line;
  int number = 0;
  bool header = false;
  // The record being read: its lines so far, and where it ended (0: not yet).
  int ended = 0;
  auto unfinished = [&](int at) {
    if (!journal.empty() && ended == 0)
      bad(journal.back().line, "the record has no end (expected closed, failed or open before " +
                                   (at > number ? std::string("the end of the journal")
                                                : "the next record at line " + std::to_string(at)) +
                                   ")");
  };
  while (nextLine(in, line, number + 1)) {
    ++number;
    Words w = split(line, number);
    if (w.words.empty() || (!w.quoted[0] && !w.words[0].empty() && w.words[0][0] == '#')) continue;
    const std::string& key = w.words[0];
    auto need = [&](std::size_t n) {
      if (w.words.size() < n) bad(number, "too few words in a '" + key + "' line");
    };
    auto atMost = [&](std::size_t n) {
      if (w.words.size() > n) bad(number, "unexpected '" + w.words[n] + "' after a '" + key + "' line");
    };
    if (!header) {
      if (w.words.size() == 2 && key == "journal" && !w.quoted[1] && w.words[1] != "1")
        bad(number, "journal version " + w.words[1] + " is not read here (expected 'journal 1')");
      if (line != kHeader) bad(number, "not a journal (expected the first line 'journal 1')");
      header = true;
      continue;
    }
    if (key == "record") {
      need(5);
      atMost(5);
      unfinished(number);
      Record r;
      r.depth = static_cast<int>(integer(w.words[1], number, "nesting depth", 0, kDeepestNesting));
      // A call nests under the call that made it: the record before it, or
      // one of that record's own callers.
      int deepest = journal.empty() ? 0 : journal.back().depth + 1;
      if (r.depth > deepest)
        bad(number, "nested record without its caller (expected depth at most " + std::to_string(deepest) +
                        ", found " + w.words[1] + ")");
      r.methodType = -1;
      for (int t = 0; t < 3; ++t)
        if (w.words[2] == kMethodTypes[t]) r.methodType = t;
      if (r.methodType < 0) bad(number, "unknown call type (expected method, get or set, found " + w.words[2] + ")");
      r.journalClass = w.words[3];
      r.member = w.words[4];
      r.line = number;
      journal.push_back(std::move(r));
      ended = 0;
      continue;
    }
    if (journal.empty()) bad(number, "'" + key + "' outside a record");
    Record& r = journal.back();
    if (ended != 0)
      bad(number, "'" + key + "' after the record's end (" + endingName(r.state) + " at line " +
                      std::to_string(ended) + ")");
    if (key == "attributes") {
      need(2);
      atMost(2);
      r.attributes = static_cast<int>(integer(w.words[1], number, "method attributes", 0, kIntHigh));
    } else if (key == "this") {
      need(3);
      atMost(3);
      if (r.thisKind != 0) bad(number, "a second object for the record");
      r.thisKind = w.words[1] == "ptr" ? 'p' : w.words[1] == "tag" ? 't' : 0;
      if (r.thisKind == 0) bad(number, "unknown object kind (expected ptr or tag, found " + w.words[1] + ")");
      r.thisTag = static_cast<tag_t>(integer(w.words[2], number, "tag", 0, kTagHigh));
    } else if (key == "end-of-arguments") {
      atMost(1);
      r.argumentsEnded = true;
    } else if (key == "associate") {
      need(3);
      atMost(3);
      r.associations.push_back({w.words[1], static_cast<tag_t>(integer(w.words[2], number, "tag", 0, kTagHigh))});
    } else if (key == "open") {
      atMost(1);
      r.state = RecordState::Open;
      ended = number;
    } else if (key == "closed" || key == "failed") {
      need(2);
      atMost(2);
      r.state = key == "closed" ? RecordState::Closed : RecordState::Failed;
      r.status = static_cast<int>(integer(w.words[1], number, "status", kIntLow, kIntHigh));
      ended = number;
    } else if (key == "in" || key == "out" || key == "result") {
      need(5);
      Value v;
      v.line = number;
      v.direction = key == "in" ? Direction::In : key == "out" ? Direction::Out : Direction::Result;
      bool known = false;
      for (const KindWord& k : kKinds)
        if (w.words[1] == k.name) {
          v.kind = k.kind;
          known = true;
        }
      if (!known) bad(number, "unknown value kind " + w.words[1]);
      v.name = w.words[2];
      v.type = w.quoted[3] ? w.words[3] : std::string();
      const std::string& first = w.words[4];
      bool isNull = !w.quoted[4] && first == "null";
      switch (v.kind) {
        case ValueKind::Logical:
          atMost(5);
          if (first != "true" && first != "false") bad(number, "not a logical (expected true or false, found " + first + ")");
          v.integer = first == "true";
          break;
        case ValueKind::Integer:
        case ValueKind::Enum:
          atMost(5);
          v.integer = integer(first, number, "integer", kIntLow, kIntHigh);
          break;
        case ValueKind::Ptr:
        case ValueKind::Tag:
          atMost(5);
          v.integer = integer(first, number, "tag", 0, kTagHigh);
          break;
        case ValueKind::Double:
          v.real = readReal(first, number);
          if (v.direction == Direction::In) {
            need(6);
            atMost(6);
            v.attribute = static_cast<int>(integer(w.words[5], number, "attribute", kIntLow, kIntHigh));
          } else {
            atMost(5);
          }
          break;
        case ValueKind::String:
        case ValueKind::Utf8String:
          atMost(5);
          v.isNull = isNull;
          if (!isNull) {
            if (!w.quoted[4]) bad(number, "text not quoted");
            v.text = first;
          }
          break;
        case ValueKind::Struct:
        case ValueKind::DoubleArray:
        case ValueKind::StructArray: {
          v.isNull = isNull;
          if (isNull) {
            atMost(5);
            break;
          }
          long long n = integer(first, number, "count", 0, kIntHigh);
          if (w.words.size() != 5 + static_cast<std::size_t>(n))
            bad(number, "wrong number of values (expected " + first + ", found " + std::to_string(w.words.size() - 5) + ")");
          for (long long i = 0; i < n; ++i) v.reals.push_back(readReal(w.words[5 + static_cast<std::size_t>(i)], number));
          break;
        }
        case ValueKind::StringArray:
        case ValueKind::Utf8StringArray: {
          v.isNull = isNull;
          if (isNull) {
            atMost(5);
            break;
          }
          long long n = integer(first, number, "count", 0, kIntHigh);
          if (w.words.size() != 5 + static_cast<std::size_t>(n))
            bad(number, "wrong number of texts (expected " + first + ", found " + std::to_string(w.words.size() - 5) + ")");
          for (long long i = 0; i < n; ++i) v.texts.push_back(w.words[5 + static_cast<std::size_t>(i)]);
          break;
        }
      }
      r.values.push_back(std::move(v));
    } else {
      bad(number, "unknown line " + key);
    }
  }
  if (!header) bad(number, "empty journal (expected the first line 'journal 1')");
  unfinished(number + 1);
  return journal;
}

}  // namespace KTX::JAM
