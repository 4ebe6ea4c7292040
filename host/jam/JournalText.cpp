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
#include <string_view>

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
// word is marked by a leading '"' kept in `quoted`. The words look into the
// line, or, for a quoted word with escapes, into `unescaped` (never longer
// than the line, so reserved once and never moved while the words are read).
struct Words {
  std::vector<std::string_view> words;
  std::vector<bool> quoted;
  std::string unescaped;
};

void split(std::string_view line, int number, Words& w) {
  w.words.clear();
  w.quoted.clear();
  w.unescaped.clear();
  if (w.unescaped.capacity() < line.size()) w.unescaped.reserve(line.size());
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    if (line[i] != '"') {
      std::size_t from = i;
      while (i < line.size() && line[i] != ' ') ++i;
      w.words.push_back(line.substr(from, i - from));
      w.quoted.push_back(false);
      continue;
    }
    ++i;
    std::size_t from = i;
    while (i < line.size() && line[i] != '"' && line[i] != '\\') ++i;
    if (i < line.size() && line[i] == '"') {  // no escapes: the word is the line's
      w.words.push_back(line.substr(from, i - from));
      w.quoted.push_back(true);
      ++i;
      continue;
    }
    std::size_t at = w.unescaped.size();
    w.unescaped.append(line.substr(from, i - from));
    bool closed = false;
    while (i < line.size()) {
      char c = line[i++];
      if (c == '"') {
        closed = true;
        break;
      }
      if (c != '\\') {
        w.unescaped += c;
        continue;
      }
      if (i >= line.size()) bad(number, "escape at end of line");
      char e = line[i++];
      if (e == 'n') {
        w.unescaped += '\n';
      } else if (e == 't') {
        w.unescaped += '\t';
      } else if (e == 'x') {
        if (i + 2 > line.size() || !std::isxdigit(static_cast<unsigned char>(line[i])) ||
            !std::isxdigit(static_cast<unsigned char>(line[i + 1])))
          bad(number, "bad \\x escape");
        unsigned value = 0;
        std::from_chars(line.data() + i, line.data() + i + 2, value, 16);
        w.unescaped += static_cast<char>(value);
        i += 2;
      } else {
        w.unescaped += e;
      }
    }
    if (!closed) bad(number, "unclosed quote");
    w.words.push_back(std::string_view(w.unescaped).substr(at));
    w.quoted.push_back(true);
  }
}

// An integer of the range a field holds; a number outside it is refused, never
// wrapped ("closed 4294967296" is no status).
long long integer(std::string_view s, int line, const char* what, long long low, long long high) {
  long long v = 0;
  const char* first = s.data();
  const char* last = s.data() + s.size();
  auto [end, error] = std::from_chars(first, last, v);
  if (s.empty() || end != last || error == std::errc::invalid_argument)
    bad(line, std::string(what) + " is not an integer (found " + std::string(s) + ")");
  if (error == std::errc::result_out_of_range || v < low || v > high)
    bad(line, std::string(what) + " out of range (expected " + std::to_string(low) + " to " + std::to_string(high) +
                  ", found " + std::string(s) + ")");
  return v;
}
constexpr long long kIntLow = std::numeric_limits<int>::min();
constexpr long long kIntHigh = std::numeric_limits<int>::max();
constexpr long long kTagHigh = std::numeric_limits<tag_t>::max();

// strtod's reading (what the text has always meant), from a copy on the
// stack for the usual short word.
double readReal(std::string_view s, int line) {
  char small[64];
  std::string large;
  const char* text = small;
  if (s.size() < sizeof small) {
    s.copy(small, s.size());
    small[s.size()] = '\0';
  } else {
    large = s;
    text = large.c_str();
  }
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (s.empty() || *end != '\0') bad(line, "not a number (found " + std::string(s) + ")");
  return v;
}

// Reads the next line into `line` (without its end, a CR before the LF
// included); false at the end of the text. A line longer than the limit is
// refused before more of it is read.
bool nextLine(std::streambuf& in, std::string& line, int number) {
  line.clear();
  bool ended = false;
  for (;;) {
    int c = in.sbumpc();
    if (c == std::char_traits<char>::eof()) break;
    if (c == '\n') {
      ended = true;
      break;
    }
    if (line.size() == kLongestJournalLine)
      bad(number, "line longer than " + std::to_string(kLongestJournalLine) + " bytes");
    line += static_cast<char>(c);
  }
  if (line.empty() && !ended) return false;
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

JournalWriter::JournalWriter(std::ostream& out) : out_(out) { out_ << kHeader << "\n"; }

void JournalWriter::Write(const Record& r) {
  std::ostream& out = out_;
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

std::string WriteJournal(const Journal& journal) {
  std::ostringstream out;
  JournalWriter writer(out);
  for (const Record& r : journal) writer.Write(r);
  return out.str();
}

Journal ReadJournal(const std::string& text) {
  std::istringstream in(text);
  return ReadJournal(in);
}

Journal ReadJournal(std::istream& in) {
  Journal journal;
  JournalReader reader(in);
  Record r;
  while (reader.Next(&r)) journal.push_back(std::move(r));
  return journal;
}

struct JournalReader::Text {
  std::string line;
  Words words;
};

JournalReader::JournalReader(std::istream& in) : in_(in), text_(new Text) {}
JournalReader::~JournalReader() = default;

// A record is handed out once the line after its end has been read (the
// next record's header, or the end of the text), so that every fault in it,
// or right after it, is found before it is.
bool JournalReader::Next(Record* out) {
  std::string& line = text_->line;
  Words& w = text_->words;
  int& number = number_;
  Record& r = next_;
  auto unfinished = [&](int at) {
    if (reading_ && ended_ == 0)
      bad(r.line, "the record has no end (expected closed, failed or open before " +
                      (at > number ? std::string("the end of the journal")
                                   : "the next record at line " + std::to_string(at)) +
                      ")");
  };
  std::streambuf* buffer = in_.rdbuf();
  while (buffer != nullptr && nextLine(*buffer, line, number + 1)) {
    ++number;
    split(line, number, w);
    if (w.words.empty() || (!w.quoted[0] && !w.words[0].empty() && w.words[0][0] == '#')) continue;
    std::string_view key = w.words[0];
    auto need = [&](std::size_t n) {
      if (w.words.size() < n) bad(number, "too few words in a '" + std::string(key) + "' line");
    };
    auto atMost = [&](std::size_t n) {
      if (w.words.size() > n)
        bad(number, "unexpected '" + std::string(w.words[n]) + "' after a '" + std::string(key) + "' line");
    };
    if (!header_) {
      if (w.words.size() == 2 && key == "journal" && !w.quoted[1] && w.words[1] != "1")
        bad(number, "journal version " + std::string(w.words[1]) + " is not read here (expected 'journal 1')");
      if (line != kHeader) bad(number, "not a journal (expected the first line 'journal 1')");
      header_ = true;
      continue;
    }
    if (key == "record") {
      need(5);
      atMost(5);
      unfinished(number);
      int depth = static_cast<int>(integer(w.words[1], number, "nesting depth", 0, kDeepestNesting));
      // A call nests under the call that made it: the record before it, or
      // one of that record's own callers.
      int deepest = lastDepth_ + 1;
      if (depth > deepest)
        bad(number, "nested record without its caller (expected depth at most " + std::to_string(deepest) +
                        ", found " + std::string(w.words[1]) + ")");
      int methodType = -1;
      for (int t = 0; t < 3; ++t)
        if (w.words[2] == kMethodTypes[t]) methodType = t;
      if (methodType < 0)
        bad(number, "unknown call type (expected method, get or set, found " + std::string(w.words[2]) + ")");
      bool handOut = reading_;
      if (handOut) *out = std::move(r);
      r = Record();
      r.depth = depth;
      r.methodType = methodType;
      r.journalClass = w.words[3];
      r.member = w.words[4];
      r.line = number;
      reading_ = true;
      lastDepth_ = depth;
      ended_ = 0;
      if (handOut) return true;
      continue;
    }
    if (!reading_) bad(number, "'" + std::string(key) + "' outside a record");
    if (ended_ != 0)
      bad(number, "'" + std::string(key) + "' after the record's end (" + endingName(r.state) + " at line " +
                      std::to_string(ended_) + ")");
    if (key == "attributes") {
      need(2);
      atMost(2);
      r.attributes = static_cast<int>(integer(w.words[1], number, "method attributes", 0, kIntHigh));
    } else if (key == "this") {
      need(3);
      atMost(3);
      if (r.thisKind != 0) bad(number, "a second object for the record");
      r.thisKind = w.words[1] == "ptr" ? 'p' : w.words[1] == "tag" ? 't' : 0;
      if (r.thisKind == 0)
        bad(number, "unknown object kind (expected ptr or tag, found " + std::string(w.words[1]) + ")");
      r.thisTag = static_cast<tag_t>(integer(w.words[2], number, "tag", 0, kTagHigh));
    } else if (key == "end-of-arguments") {
      atMost(1);
      r.argumentsEnded = true;
    } else if (key == "associate") {
      need(3);
      atMost(3);
      r.associations.push_back(
          {std::string(w.words[1]), static_cast<tag_t>(integer(w.words[2], number, "tag", 0, kTagHigh))});
    } else if (key == "open") {
      atMost(1);
      r.state = RecordState::Open;
      ended_ = number;
    } else if (key == "closed" || key == "failed") {
      need(2);
      atMost(2);
      r.state = key == "closed" ? RecordState::Closed : RecordState::Failed;
      r.status = static_cast<int>(integer(w.words[1], number, "status", kIntLow, kIntHigh));
      ended_ = number;
    } else if (key == "in" || key == "out" || key == "result") {
      need(5);
      Value& v = r.values.emplace_back();
      v.line = number;
      v.direction = key == "in" ? Direction::In : key == "out" ? Direction::Out : Direction::Result;
      bool known = false;
      for (const KindWord& k : kKinds)
        if (w.words[1] == k.name) {
          v.kind = k.kind;
          known = true;
        }
      if (!known) bad(number, "unknown value kind " + std::string(w.words[1]));
      v.name = w.words[2];
      if (w.quoted[3]) v.type = w.words[3];
      std::string_view first = w.words[4];
      bool isNull = !w.quoted[4] && first == "null";
      switch (v.kind) {
        case ValueKind::Logical:
          atMost(5);
          if (first != "true" && first != "false")
            bad(number, "not a logical (expected true or false, found " + std::string(first) + ")");
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
            bad(number, "wrong number of values (expected " + std::string(first) + ", found " +
                            std::to_string(w.words.size() - 5) + ")");
          v.reals.reserve(static_cast<std::size_t>(n));
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
            bad(number, "wrong number of texts (expected " + std::string(first) + ", found " +
                            std::to_string(w.words.size() - 5) + ")");
          for (long long i = 0; i < n; ++i) v.texts.emplace_back(w.words[5 + static_cast<std::size_t>(i)]);
          break;
        }
      }
    } else {
      bad(number, "unknown line " + std::string(key));
    }
  }
  if (!header_) bad(number, "empty journal (expected the first line 'journal 1')");
  unfinished(number + 1);
  if (!reading_) return false;
  *out = std::move(r);
  r = Record();
  reading_ = false;
  return true;
}

}  // namespace KTX::JAM
