// The journal as text: one line per record header, value, association and
// ending, indented by nesting depth. Doubles are written with 17 significant
// digits, which read back to the same bits.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

// The text is made by appending to one string: a record's lines go out in
// one write.
void quote(std::string& out, std::string_view s) {
  out += '"';
  std::size_t plain = 0;  // where the run of characters written as they are starts
  for (std::size_t i = 0; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (c != '"' && c != '\\' && c >= 0x20 && c != 0x7f) continue;
    out.append(s.substr(plain, i - plain));
    plain = i + 1;
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\t': out += "\\t"; break;
      default: {
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02x", c);
        out += hex;
      }
    }
  }
  out.append(s.substr(plain));
  out += '"';
}

// 17 significant digits, as printf's "%.17g" writes them.
void real(std::string& out, double d) {
  char text[40];
  auto [end, error] = std::to_chars(text, text + sizeof text, d, std::chars_format::general, 17);
  out.append(text, error == std::errc() ? end : text);
}

template <class Integer>
void number(std::string& out, Integer n) {
  char text[24];
  auto [end, error] = std::to_chars(text, text + sizeof text, n);
  out.append(text, error == std::errc() ? end : text);
}

void payload(std::string& out, const Value& v) {
  switch (v.kind) {
    case ValueKind::Logical: out += v.integer != 0 ? "true" : "false"; return;
    case ValueKind::Integer:
    case ValueKind::Enum:
    case ValueKind::Ptr:
    case ValueKind::Tag: number(out, v.integer); return;
    case ValueKind::Double:
      real(out, v.real);
      if (v.direction == Direction::In) {
        out += ' ';
        number(out, v.attribute);
      }
      return;
    case ValueKind::String:
    case ValueKind::Utf8String:
      if (v.isNull)
        out += "null";
      else
        quote(out, v.text);
      return;
    case ValueKind::Struct:
    case ValueKind::DoubleArray:
    case ValueKind::StructArray:
      if (v.isNull) {
        out += "null";
        return;
      }
      number(out, v.reals.size());
      for (double d : v.reals) {
        out += ' ';
        real(out, d);
      }
      return;
    case ValueKind::StringArray:
    case ValueKind::Utf8StringArray:
      if (v.isNull) {
        out += "null";
        return;
      }
      number(out, v.texts.size());
      for (const std::string& t : v.texts) {
        out += ' ';
        quote(out, t);
      }
      return;
  }
}

[[noreturn]] void bad(int line, const std::string& why) {
  throw Error::Exception(kJournalText, why, {}, line);
}

// A word of the text as a message shows it: at most 40 bytes of it.
std::string shown(std::string_view s) { return ShownText(s); }

}  // namespace

std::string ShownText(std::string_view s, std::size_t most) {
  const std::size_t kMost = most;
  static const char* const kHex = "0123456789abcdef";
  std::string out;
  for (std::size_t i = 0; i < s.size() && i < kMost; ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  if (s.size() > kMost) out += "...";
  return out;
}

namespace {

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
    while (i < line.size() && line[i] != '"' && line[i] != '\\' && line[i] != '\0') ++i;
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
        if (c == '\0') bad(number, "a text holds a NUL byte (a text ends at none)");
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
        if (value == 0) bad(number, "a text holds a NUL (\\x00; a text ends at none)");
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
    bad(line, std::string(what) + " is not an integer (found " + shown(s) + ")");
  if (error == std::errc::result_out_of_range || v < low || v > high)
    bad(line, std::string(what) + " out of range (expected " + std::to_string(low) + " to " + std::to_string(high) +
                  ", found " + shown(s) + ")");
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
  if (s.empty() || *end != '\0') bad(line, "not a number (found " + shown(s) + ")");
  // What no geometry can take is refused here, where it enters: "nan",
  // "inf" and a number beyond a double's range (read as infinite).
  if (!std::isfinite(v)) bad(line, "not a finite number (found " + shown(s) + ")");
  return v;
}

// The text's lines, read from the stream in blocks.
class Lines {
 public:
  // Reads the next line into `line` (without its end, a CR before the LF
  // included); false at the end of the text. A line longer than the limit is
  // refused before more than a block past it is read.
  bool next(std::streambuf* in, std::string& line, int number) {
    line.clear();
    for (;;) {
      if (at_ == size_ && !fill(in)) return !line.empty() && (trim(line), true);
      const char* from = block_.data() + at_;
      const void* found = std::memchr(from, '\n', size_ - at_);
      std::size_t n = found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - from) : size_ - at_;
      if (line.size() + n > kLongestJournalLine)
        bad(number, "line longer than " + std::to_string(kLongestJournalLine) + " bytes");
      line.append(from, n);
      at_ += n;
      if (found != nullptr) {
        ++at_;
        trim(line);
        return true;
      }
    }
  }

 private:
  static void trim(std::string& line) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
  }
  bool fill(std::streambuf* in) {
    if (in == nullptr) return false;
    if (block_.empty()) block_.resize(std::size_t{1} << 16);
    at_ = 0;
    size_ = static_cast<std::size_t>(std::max<std::streamsize>(0, in->sgetn(block_.data(), static_cast<std::streamsize>(block_.size()))));
    return size_ > 0;
  }
  std::vector<char> block_;
  std::size_t at_ = 0, size_ = 0;
};

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
  std::string& out = text_;
  out.clear();
  std::string_view indent = "                                                                ";
  std::size_t width = static_cast<std::size_t>(r.depth) * 2;
  auto line = [&](std::size_t more) {
    for (std::size_t left = width + more; left > 0;) {
      std::size_t n = std::min(left, indent.size());
      out.append(indent.substr(0, n));
      left -= n;
    }
  };
  line(0);
  out += "record ";
  number(out, r.depth);
  out += ' ';
  out += kMethodTypes[r.methodType];
  out += ' ';
  quote(out, r.journalClass);
  out += ' ';
  quote(out, r.member);
  out += '\n';
  if (r.attributes != -1) {
    line(2);
    out += "attributes ";
    number(out, r.attributes);
    out += '\n';
  }
  if (r.thisKind != 0) {
    line(2);
    out += r.thisKind == 'p' ? "this ptr " : "this tag ";
    number(out, r.thisTag);
    out += '\n';
  }
  for (const Value& v : r.values) {
    line(2);
    out += kDirections[static_cast<int>(v.direction)];
    out += ' ';
    for (const KindWord& k : kKinds)
      if (k.kind == v.kind) out += k.name;
    out += ' ';
    quote(out, v.name);
    out += ' ';
    if (v.type.empty())
      out += '-';
    else
      quote(out, v.type);
    out += ' ';
    payload(out, v);
    out += '\n';
  }
  if (r.argumentsEnded) {
    line(2);
    out += "end-of-arguments\n";
  }
  for (const Association& a : r.associations) {
    line(2);
    out += "associate ";
    quote(out, a.templateClass);
    out += ' ';
    number(out, a.tag);
    out += '\n';
  }
  line(2);
  switch (r.state) {
    case RecordState::Open: out += "open\n"; break;
    case RecordState::Closed: out += "closed "; break;
    case RecordState::Failed: out += "failed "; break;
  }
  if (r.state != RecordState::Open) {
    number(out, r.status);
    out += '\n';
  }
  out_.write(out.data(), static_cast<std::streamsize>(out.size()));
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
  Lines lines;
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
  while (text_->lines.next(in_.rdbuf(), line, number + 1)) {
    ++number;
    // A text saved with a byte-order mark is read as without it.
    if (number == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    split(line, number, w);
    if (w.words.empty() || (!w.quoted[0] && !w.words[0].empty() && w.words[0][0] == '#')) continue;
    // No word holds a NUL: a name or a text would end at it.
    for (std::string_view word : w.words)
      if (word.find('\0') != std::string_view::npos)
        bad(number, "'" + shown(word) + "' holds a NUL byte (a text ends at none)");
    std::string_view key = w.words[0];
    auto need = [&](std::size_t n) {
      if (w.words.size() < n) bad(number, "too few words in a '" + shown(key) + "' line");
    };
    auto atMost = [&](std::size_t n) {
      if (w.words.size() > n)
        bad(number, "unexpected '" + shown(w.words[n]) + "' after a '" + shown(key) + "' line");
    };
    if (!header_) {
      if (w.words.size() == 2 && key == "journal" && !w.quoted[1] && w.words[1] != "1")
        bad(number, "journal version " + shown(w.words[1]) + " is not read here (expected 'journal 1')");
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
                        ", found " + shown(w.words[1]) + ")");
      int methodType = -1;
      for (int t = 0; t < 3; ++t)
        if (w.words[2] == kMethodTypes[t]) methodType = t;
      if (methodType < 0)
        bad(number, "unknown call type (expected method, get or set, found " + shown(w.words[2]) + ")");
      bool handOut = reading_;
      if (handOut) handOutTo(out);
      startRecord();
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
    if (!reading_) bad(number, "'" + shown(key) + "' outside a record");
    if (ended_ != 0)
      bad(number, "'" + shown(key) + "' after the record's end (" + endingName(r.state) + " at line " +
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
        bad(number, "unknown object kind (expected ptr or tag, found " + shown(w.words[1]) + ")");
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
      Value& v = nextValue();
      v.line = number;
      v.direction = key == "in" ? Direction::In : key == "out" ? Direction::Out : Direction::Result;
      bool known = false;
      for (const KindWord& k : kKinds)
        if (w.words[1] == k.name) {
          v.kind = k.kind;
          known = true;
        }
      if (!known) bad(number, "unknown value kind " + shown(w.words[1]));
      v.name = w.words[2];
      if (w.quoted[3]) v.type = w.words[3];
      std::string_view first = w.words[4];
      bool isNull = !w.quoted[4] && first == "null";
      switch (v.kind) {
        case ValueKind::Logical:
          atMost(5);
          if (first != "true" && first != "false")
            bad(number, "not a logical (expected true or false, found " + shown(first) + ")");
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
            bad(number, "wrong number of values (expected " + shown(first) + ", found " +
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
            bad(number, "wrong number of texts (expected " + shown(first) + ", found " +
                            std::to_string(w.words.size() - 5) + ")");
          for (long long i = 0; i < n; ++i) v.texts.emplace_back(w.words[5 + static_cast<std::size_t>(i)]);
          break;
        }
      }
    } else {
      bad(number, "unknown line " + shown(key));
    }
  }
  if (!header_) bad(number, "empty journal (expected the first line 'journal 1')");
  unfinished(number + 1);
  if (!reading_) return false;
  handOutTo(out);
  reading_ = false;
  return true;
}

// The record handed out takes the place of the one the caller had, whose
// room (texts, values) the next record is read into.
void JournalReader::handOutTo(Record* out) {
  next_.values.resize(valuesRead_);
  std::swap(*out, next_);
}

void JournalReader::startRecord() {
  Record& r = next_;
  r.depth = 0;
  r.journalClass.clear();
  r.methodType = 0;
  r.member.clear();
  r.attributes = -1;
  r.thisKind = 0;
  r.thisTag = 0;
  r.associations.clear();
  r.argumentsEnded = false;
  r.state = RecordState::Open;
  r.status = 0;
  r.learnt = nullptr;
  r.line = 0;
  valuesRead_ = 0;
}

Value& JournalReader::nextValue() {
  if (valuesRead_ == next_.values.size()) {
    ++valuesRead_;
    return next_.values.emplace_back();
  }
  Value& v = next_.values[valuesRead_++];
  v.direction = Direction::In;
  v.kind = ValueKind::Integer;
  v.name.clear();
  v.type.clear();
  v.attribute = 0;
  v.isNull = false;
  v.integer = 0;
  v.real = 0;
  v.text.clear();
  v.reals.clear();
  v.texts.clear();
  v.line = 0;
  v.pending = nullptr;
  v.pendingCount = nullptr;
  v.structSize = 0;
  return v;
}

}  // namespace KTX::JAM
