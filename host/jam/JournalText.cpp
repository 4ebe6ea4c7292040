// The journal as text: one line per record header, value, association and
// ending, indented by nesting depth. Doubles are written with 17 significant
// digits, which read back to the same bits.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstdint>
#include <cstring>
#include <charconv>
#include <istream>
#include <limits>
#include <memory>
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
  std::string_view name;  // of a literal: ends in a NUL
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
constexpr std::string_view kMethodTypes[] = {"method", "get", "set"};

// Bytes looked at eight at a time: a word of eight bytes has a high bit set
// in zeroBytes(x) where (at least where first) one of its bytes is 0.
constexpr std::uint64_t kOnes = 0x0101010101010101u;
constexpr std::uint64_t kHighs = 0x8080808080808080u;
inline std::uint64_t zeroBytes(std::uint64_t x) { return (x - kOnes) & ~x & kHighs; }

// A byte a quoted text holds as it is.
inline bool plainByte(char c) {
  const auto u = static_cast<unsigned char>(c);
  return u != '"' && u != '\\' && u >= 0x20 && u != 0x7f;
}

// The text is made by appending to one string: a record's lines go out in
// one write.
// Eight bytes at a time while none of them is escaped: a byte below 0x20
// (a control byte), a '"', a '\\' or DEL.
inline bool plainBytes(std::uint64_t x) {
  const std::uint64_t control = (x - kOnes * 0x20) & ~x & kHighs;
  return (control | zeroBytes(x ^ (kOnes * '"')) | zeroBytes(x ^ (kOnes * '\\')) | zeroBytes(x ^ (kOnes * 0x7f))) == 0;
}

void quote(std::string& out, std::string_view s) {
  std::size_t first = 0;  // the first byte written escaped
  for (std::uint64_t x = 0; first + 8 <= s.size(); first += 8) {
    std::memcpy(&x, s.data() + first, 8);
    if (!plainBytes(x)) break;
  }
  while (first < s.size() && plainByte(s[first])) ++first;
  if (first == s.size()) {  // the usual name: nothing to escape
    const std::size_t at = out.size();
    out.resize(at + s.size() + 2);
    char* to = out.data() + at;
    to[0] = '"';
    if (!s.empty()) std::memcpy(to + 1, s.data(), s.size());
    to[s.size() + 1] = '"';
    return;
  }
  out += '"';
  std::size_t plain = 0;  // where the run of characters written as they are starts
  for (std::size_t i = first; i < s.size(); ++i) {
    auto c = static_cast<unsigned char>(s[i]);
    if (plainByte(s[i])) continue;
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

// Splits a line into words; quoted words keep their escapes undone. A word
// looks into the line, or, for a quoted word with escapes, into `unescaped`
// (never longer than the line, so reserved once and never moved while the
// words are read). A quoted word is marked so: `"null"` is a text, `null` none.
struct Word {
  std::string_view text;
  bool quoted;
};
struct Words {
  std::vector<Word> words;
  std::string unescaped;
  bool nul = false;  // some word holds a NUL byte
  // Written in place: a word built aside and copied in waits on its own stores.
  void add(std::string_view text, bool quoted) {
    Word& word = words.emplace_back();
    word.text = text;
    word.quoted = quoted;
  }
  std::size_t size() const { return words.size(); }
  std::string_view operator[](std::size_t i) const { return words[i].text; }
  bool quoted(std::size_t i) const { return words[i].quoted; }
};

// Where, from `i` on, the line first holds one of the bytes `a`, `b` or a
// NUL (its size when it holds none): eight bytes at a time, then byte by
// byte.
inline std::size_t runEnd(std::string_view line, std::size_t i, char a, char b) {
  const std::uint64_t as = kOnes * static_cast<unsigned char>(a), bs = kOnes * static_cast<unsigned char>(b);
  for (; i + 8 <= line.size(); i += 8) {
    std::uint64_t x;
    std::memcpy(&x, line.data() + i, 8);
    if ((zeroBytes(x ^ as) | zeroBytes(x ^ bs) | zeroBytes(x)) != 0) break;
  }
  while (i < line.size() && line[i] != a && line[i] != b && line[i] != '\0') ++i;
  return i;
}

// A quoted word from just after its opening quote; `i` ends past its closing one.
void quotedWord(std::string_view line, std::size_t& i, int number, Words& w) {
  std::size_t from = i;
  i = runEnd(line, i, '"', '\\');
  if (i < line.size() && line[i] == '"') {  // no escapes: the word is the line's
    w.add(line.substr(from, i - from), true);
    ++i;
    return;
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
      w.nul = w.nul || e == '\0';
      w.unescaped += e;
    }
  }
  if (!closed) bad(number, "unclosed quote");
  w.add(std::string_view(w.unescaped).substr(at), true);
}

void split(std::string_view line, int number, Words& w) {
  w.words.clear();
  w.unescaped.clear();
  w.nul = false;
  if (w.unescaped.capacity() < line.size()) w.unescaped.reserve(line.size());
  std::size_t i = 0;
  while (i < line.size()) {
    if (line[i] == ' ') {
      ++i;
      continue;
    }
    if (line[i] == '"') {
      ++i;
      quotedWord(line, i, number, w);
      continue;
    }
    std::size_t from = i;
    for (i = runEnd(line, i, ' ', ' '); i < line.size() && line[i] == '\0'; i = runEnd(line, i + 1, ' ', ' '))
      w.nul = true;
    w.add(line.substr(from, i - from), false);
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

// Whether a word is a plain decimal number as the writer writes it: an
// optional '-', digits with at most a point, an exponent. Only such a word
// is read by from_chars; every other word keeps strtod's reading.
bool plainDecimal(std::string_view s) {
  std::size_t i = s.size() > 0 && s[0] == '-' ? 1 : 0;
  if (i == s.size() || (s[i] != '.' && (s[i] < '0' || s[i] > '9'))) return false;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if ((c < '0' || c > '9') && c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+') return false;
  }
  return true;
}

// strtod's reading (what the text has always meant). A plain decimal number
// is read by from_chars, which rounds as strtod does (both to the nearest
// double); a word it does not read whole to a finite double (an underflow, a
// form of strtod's alone: a leading '+' or blank, hex, "inf", "nan") is read
// by strtod, from a copy on the stack for the usual short word.
double readReal(std::string_view s, int line) {
  if (plainDecimal(s)) {
    double v = 0;
    auto [end, error] = std::from_chars(s.data(), s.data() + s.size(), v);
    if (error == std::errc() && end == s.data() + s.size() && std::isfinite(v)) return v;
  }
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

// The text's lines, read from the stream in blocks. A line is handed out as
// a view into the block it lies in, or into one string when it spans
// blocks; it stays valid until the next line is read.
class Lines {
 public:
  // Reads the next line into `line` (without its end, a CR before the LF
  // included); false at the end of the text. A line longer than the limit is
  // refused before more than a block past it is read.
  bool next(std::streambuf* in, std::string_view& line, int number) {
    joined_.clear();
    bool spanning = false;
    for (;;) {
      if (at_ == size_ && !fill(in)) {
        if (joined_.empty()) return false;
        line = trimmed(joined_);
        return true;
      }
      const char* from = block_.get() + at_;
      const void* found = std::memchr(from, '\n', size_ - at_);
      std::size_t n = found != nullptr ? static_cast<std::size_t>(static_cast<const char*>(found) - from) : size_ - at_;
      if (joined_.size() + n > kLongestJournalLine)
        bad(number, "line longer than " + std::to_string(kLongestJournalLine) + " bytes");
      at_ += n;
      if (found != nullptr) ++at_;
      if (found != nullptr && !spanning) {
        line = trimmed(std::string_view(from, n));
        return true;
      }
      joined_.append(from, n);
      spanning = true;
      if (found != nullptr) {
        line = trimmed(joined_);
        return true;
      }
    }
  }

 private:
  static std::string_view trimmed(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
  }
  // The block is not cleared first: a short journal touches only the
  // memory it is read into.
  static constexpr std::size_t kBlock = std::size_t{1} << 18;
  bool fill(std::streambuf* in) {
    if (in == nullptr) return false;
    if (block_ == nullptr) block_ = std::make_unique_for_overwrite<char[]>(kBlock);
    at_ = 0;
    size_ = static_cast<std::size_t>(
        std::max<std::streamsize>(0, in->sgetn(block_.get(), static_cast<std::streamsize>(kBlock))));
    return size_ > 0;
  }
  std::unique_ptr<char[]> block_;
  std::size_t at_ = 0, size_ = 0;
  std::string joined_;  // a line that spans blocks
};

const char* endingName(RecordState state) {
  return state == RecordState::Closed ? "closed" : state == RecordState::Failed ? "failed" : "open";
}

}  // namespace

const char* KindName(ValueKind kind) {
  for (const KindWord& k : kKinds)
    if (k.kind == kind) return k.name.data();
  return "?";
}

const char* DirectionName(Direction direction) { return kDirections[static_cast<int>(direction)]; }

// The text goes out through one buffer, a block at a time: most records are
// far shorter than the stream's own buffer, which a block passes by.
constexpr std::size_t kWriterBlock = std::size_t{1} << 16;

JournalWriter::JournalWriter(std::ostream& out) : out_(out) {
  text_.reserve(kWriterBlock + 4096);
  text_ = kHeader;
  text_ += '\n';
}

JournalWriter::~JournalWriter() {
  try {
    Flush();
  } catch (...) {
    // A stream told to throw: what it could not take is lost with it, and
    // its state says so to whoever reads it.
  }
}

void JournalWriter::Flush() {
  if (text_.empty()) return;
  out_.write(text_.data(), static_cast<std::streamsize>(text_.size()));
  text_.clear();
}

void JournalWriter::Write(const Record& r) { Write(r, r.values); }

void JournalWriter::Write(const Record& r, std::span<const Value> values) {
  std::string& out = text_;
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
  for (const Value& v : values) {
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
  if (out.size() >= kWriterBlock) Flush();
}

std::string WriteJournal(const Journal& journal) {
  std::ostringstream out;
  JournalWriter writer(out);
  for (const Record& r : journal) writer.Write(r);
  writer.Flush();
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
  std::string_view line;
  Words words;
};

JournalReader::JournalReader(std::istream& in) : in_(in), text_(new Text) {}
JournalReader::~JournalReader() = default;

namespace {

// A text set to a word, left as it is when it holds the word already.
inline void keepText(std::string& text, std::string_view word) {
  if (text != word) text.assign(word);
}

// What a line's words must number: at least `n`, at most `n`.
[[noreturn, gnu::cold]] void tooFew(const Words& w, int number) {
  bad(number, "too few words in a '" + shown(w[0]) + "' line");
}
[[noreturn, gnu::cold]] void tooMany(const Words& w, std::size_t n, int number) {
  bad(number, "unexpected '" + shown(w[n]) + "' after a '" + shown(w[0]) + "' line");
}
inline void need(const Words& w, std::size_t n, int number) {
  if (w.size() < n) tooFew(w, number);
}
inline void atMost(const Words& w, std::size_t n, int number) {
  if (w.size() > n) tooMany(w, n, number);
}

}  // namespace

// A record is handed out once the line after its end has been read (the
// next record's header, or the end of the text), so that every fault in it,
// or right after it, is found before it is.
bool JournalReader::Next(Record* out) {
  std::string_view& line = text_->line;
  Words& w = text_->words;
  while (text_->lines.next(in_.rdbuf(), line, number_ + 1)) {
    ++number_;
    // A text saved with a byte-order mark is read as without it.
    if (number_ == 1 && line.starts_with("\xEF\xBB\xBF")) line.remove_prefix(3);
    split(line, number_, w);
    if (w.size() == 0 || (!w.quoted(0) && !w[0].empty() && w[0][0] == '#')) continue;
    // No word holds a NUL: a name or a text would end at it. (A quoted word
    // without escapes is cut at a NUL; split marks every other that holds one.)
    for (const Word& word : w.words)
      if (w.nul && word.text.find('\0') != std::string_view::npos)
        bad(number_, "'" + shown(word.text) + "' holds a NUL byte (a text ends at none)");
    if (!header_) {
      if (w.size() == 2 && w[0] == "journal" && !w.quoted(1) && w[1] != "1")
        bad(number_, "journal version " + shown(w[1]) + " is not read here (expected 'journal 1')");
      if (line != kHeader) bad(number_, "not a journal (expected the first line 'journal 1')");
      header_ = true;
      continue;
    }
    if (w[0] == "record") {
      if (readHead(out)) return true;
      continue;
    }
    if (!reading_) bad(number_, "'" + shown(w[0]) + "' outside a record");
    if (ended_ != 0)
      bad(number_, "'" + shown(w[0]) + "' after the record's end (" + endingName(next_.state) + " at line " +
                       std::to_string(ended_) + ")");
    if (w[0] == "in" || w[0] == "out" || w[0] == "result")
      readValue();
    else
      readLine();
  }
  if (!header_) bad(number_, "empty journal (expected the first line 'journal 1')");
  unfinished(number_ + 1);
  if (!reading_) return false;
  handOutTo(out);
  reading_ = false;
  return true;
}

// The record being read, when it has no end yet: `at` is the line of the
// next record's header, or past the last line.
void JournalReader::unfinished(int at) const {
  if (reading_ && ended_ == 0)
    bad(next_.line, "the record has no end (expected closed, failed or open before " +
                        (at > number_ ? std::string("the end of the journal")
                                      : "the next record at line " + std::to_string(at)) +
                        ")");
}

// A record's header: the record read so far, when there is one, goes to
// *out (true), and the new one is begun.
bool JournalReader::readHead(Record* out) {
  const Words& w = text_->words;
  const int number = number_;
  need(w, 5, number);
  atMost(w, 5, number);
  unfinished(number);
  int depth = static_cast<int>(integer(w[1], number, "nesting depth", 0, kDeepestNesting));
  // A call nests under the call that made it: the record before it, or
  // one of that record's own callers.
  int deepest = lastDepth_ + 1;
  if (depth > deepest)
    bad(number, "nested record without its caller (expected depth at most " + std::to_string(deepest) +
                    ", found " + shown(w[1]) + ")");
  int methodType = -1;
  for (int t = 0; t < 3; ++t)
    if (w[2] == kMethodTypes[t]) methodType = t;
  if (methodType < 0) bad(number, "unknown call type (expected method, get or set, found " + shown(w[2]) + ")");
  bool handOut = reading_;
  if (handOut) handOutTo(out);
  startRecord();
  Record& r = next_;
  r.depth = depth;
  r.methodType = methodType;
  // The record's room was an earlier record's: mostly of the same member.
  keepText(r.journalClass, w[3]);
  keepText(r.member, w[4]);
  r.line = number;
  reading_ = true;
  lastDepth_ = depth;
  ended_ = 0;
  return handOut;
}

// A line of a record that is neither its header nor a value: its
// attributes, object, end of arguments, associations and end.
void JournalReader::readLine() {
  const Words& w = text_->words;
  const int number = number_;
  Record& r = next_;
  std::string_view key = w[0];
  if (key == "closed" || key == "failed") {
    need(w, 2, number);
    atMost(w, 2, number);
    r.state = key == "closed" ? RecordState::Closed : RecordState::Failed;
    r.status = static_cast<int>(integer(w[1], number, "status", kIntLow, kIntHigh));
    ended_ = number;
  } else if (key == "this") {
    need(w, 3, number);
    atMost(w, 3, number);
    if (r.thisKind != 0) bad(number, "a second object for the record");
    r.thisKind = w[1] == "ptr" ? 'p' : w[1] == "tag" ? 't' : 0;
    if (r.thisKind == 0) bad(number, "unknown object kind (expected ptr or tag, found " + shown(w[1]) + ")");
    r.thisTag = static_cast<tag_t>(integer(w[2], number, "tag", 0, kTagHigh));
  } else if (key == "end-of-arguments") {
    atMost(w, 1, number);
    if (r.argumentsEnded) bad(number, "a second end-of-arguments for the record");
    r.argumentsEnded = true;
  } else if (key == "attributes") {
    need(w, 2, number);
    atMost(w, 2, number);
    if (r.attributes != -1) bad(number, "a second attributes line for the record");
    r.attributes = static_cast<int>(integer(w[1], number, "method attributes", 0, kIntHigh));
  } else if (key == "associate") {
    need(w, 3, number);
    atMost(w, 3, number);
    r.associations.push_back({std::string(w[1]), static_cast<tag_t>(integer(w[2], number, "tag", 0, kTagHigh))});
  } else if (key == "open") {
    atMost(w, 1, number);
    r.state = RecordState::Open;
    ended_ = number;
  } else {
    bad(number, "unknown line " + shown(key));
  }
}

namespace {

// A value's numbers or texts after its count: exactly as many as it states.
long long counted(const Words& w, int number, const char* what) {
  long long n = integer(w[4], number, "count", 0, kIntHigh);
  if (w.size() != 5 + static_cast<std::size_t>(n))
    bad(number, std::string("wrong number of ") + what + " (expected " + shown(w[4]) + ", found " +
                    std::to_string(w.size() - 5) + ")");
  return n;
}

// A value's payload: the words from the fifth on.
void readPayload(const Words& w, int number, Value& v) {
  std::string_view first = w[4];
  bool isNull = !w.quoted(4) && first == "null";
  switch (v.kind) {
    case ValueKind::Logical:
      atMost(w, 5, number);
      if (first != "true" && first != "false")
        bad(number, "not a logical (expected true or false, found " + shown(first) + ")");
      v.integer = first == "true";
      return;
    case ValueKind::Integer:
    case ValueKind::Enum:
      atMost(w, 5, number);
      v.integer = integer(first, number, "integer", kIntLow, kIntHigh);
      return;
    case ValueKind::Ptr:
    case ValueKind::Tag:
      atMost(w, 5, number);
      v.integer = integer(first, number, "tag", 0, kTagHigh);
      return;
    case ValueKind::Double:
      v.real = readReal(first, number);
      if (v.direction == Direction::In) {
        need(w, 6, number);
        atMost(w, 6, number);
        v.attribute = static_cast<int>(integer(w[5], number, "attribute", kIntLow, kIntHigh));
      } else {
        atMost(w, 5, number);
      }
      return;
    case ValueKind::String:
    case ValueKind::Utf8String:
      atMost(w, 5, number);
      v.isNull = isNull;
      if (!isNull) {
        if (!w.quoted(4)) bad(number, "text not quoted");
        v.text = first;
      }
      return;
    case ValueKind::Struct:
    case ValueKind::DoubleArray:
    case ValueKind::StructArray:
    case ValueKind::StringArray:
    case ValueKind::Utf8StringArray: {
      v.isNull = isNull;
      if (isNull) {
        atMost(w, 5, number);
        return;
      }
      const bool texts = v.kind == ValueKind::StringArray || v.kind == ValueKind::Utf8StringArray;
      const auto n = static_cast<std::size_t>(counted(w, number, texts ? "texts" : "values"));
      if (texts) {
        for (std::size_t i = 0; i < n; ++i) v.texts.emplace_back(w[5 + i]);
      } else {
        v.reals.reserve(n);
        for (std::size_t i = 0; i < n; ++i) v.reals.push_back(readReal(w[5 + i], number));
      }
      return;
    }
  }
}

}  // namespace

// An "in", "out" or "result" line: one value of the record.
void JournalReader::readValue() {
  const Words& w = text_->words;
  const int number = number_;
  need(w, 5, number);
  Value& v = nextValue();
  v.line = number;
  v.direction = w[0] == "in" ? Direction::In : w[0] == "out" ? Direction::Out : Direction::Result;
  bool known = false;
  for (const KindWord& k : kKinds)
    if (w[1] == k.name) {
      v.kind = k.kind;
      known = true;
      break;
    }
  if (!known) bad(number, "unknown value kind " + shown(w[1]));
  keepText(v.name, w[2]);
  if (w.quoted(3))
    keepText(v.type, w[3]);
  else
    v.type.clear();
  readPayload(w, number, v);
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
  r.methodType = 0;
  // journalClass and member: set by the caller, which reads them next
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
  // name and type: set by the caller, which reads them next
  v.ClearContents();
  return v;
}

}  // namespace KTX::JAM
