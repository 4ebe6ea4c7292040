// The journal as text: one line per record header, value, association and
// ending, indented by nesting depth. Doubles are written with 17 significant
// digits, which read back to the same bits.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "jam/Journal.hpp"
#include "sys/Error.hpp"

namespace KTX::JAM {
namespace {

const char* kHeader = "journal 1";
// A record's depth is how many calls it runs inside; text beyond this is no
// journal the stand-in wrote.
constexpr long long kDeepestNesting = 1000;

struct KindName {
  ValueKind kind;
  const char* name;
};
constexpr KindName kKinds[] = {
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
  throw Error::Exception(kJournalText, "journal text line " + std::to_string(line) + ": " + why);
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

long long integer(const std::string& s, int line) {
  char* end = nullptr;
  errno = 0;
  long long v = std::strtoll(s.c_str(), &end, 10);
  if (s.empty() || *end != '\0' || errno != 0) bad(line, "not an integer: " + s);
  return v;
}

double readReal(const std::string& s, int line) {
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  if (s.empty() || *end != '\0') bad(line, "not a number: " + s);
  return v;
}

}  // namespace

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
      for (const KindName& k : kKinds)
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
  Journal journal;
  std::istringstream in(text);
  std::string line;
  int number = 0;
  bool header = false;
  while (std::getline(in, line)) {
    ++number;
    Words w = split(line, number);
    if (w.words.empty() || (!w.quoted[0] && !w.words[0].empty() && w.words[0][0] == '#')) continue;
    const std::string& key = w.words[0];
    auto need = [&](std::size_t n) {
      if (w.words.size() < n) bad(number, "too few words");
    };
    if (!header) {
      if (line != kHeader) bad(number, "not a journal");
      header = true;
      continue;
    }
    if (key == "record") {
      need(5);
      Record r;
      long long depth = integer(w.words[1], number);
      if (depth < 0 || depth > kDeepestNesting) bad(number, "nesting depth out of range: " + w.words[1]);
      r.depth = static_cast<int>(depth);
      r.methodType = -1;
      for (int t = 0; t < 3; ++t)
        if (w.words[2] == kMethodTypes[t]) r.methodType = t;
      if (r.methodType < 0) bad(number, "unknown call type " + w.words[2]);
      r.journalClass = w.words[3];
      r.member = w.words[4];
      journal.push_back(std::move(r));
      continue;
    }
    if (journal.empty()) bad(number, "no record open");
    Record& r = journal.back();
    if (key == "attributes") {
      need(2);
      r.attributes = static_cast<int>(integer(w.words[1], number));
    } else if (key == "this") {
      need(3);
      r.thisKind = w.words[1] == "ptr" ? 'p' : w.words[1] == "tag" ? 't' : 0;
      if (r.thisKind == 0) bad(number, "unknown object kind " + w.words[1]);
      r.thisTag = static_cast<tag_t>(integer(w.words[2], number));
    } else if (key == "end-of-arguments") {
      r.argumentsEnded = true;
    } else if (key == "associate") {
      need(3);
      r.associations.push_back({w.words[1], static_cast<tag_t>(integer(w.words[2], number))});
    } else if (key == "open") {
      r.state = RecordState::Open;
    } else if (key == "closed" || key == "failed") {
      need(2);
      r.state = key == "closed" ? RecordState::Closed : RecordState::Failed;
      r.status = static_cast<int>(integer(w.words[1], number));
    } else if (key == "in" || key == "out" || key == "result") {
      need(5);
      Value v;
      v.direction = key == "in" ? Direction::In : key == "out" ? Direction::Out : Direction::Result;
      bool known = false;
      for (const KindName& k : kKinds)
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
          if (first != "true" && first != "false") bad(number, "not a logical: " + first);
          v.integer = first == "true";
          break;
        case ValueKind::Integer:
        case ValueKind::Enum:
        case ValueKind::Ptr:
        case ValueKind::Tag: v.integer = integer(first, number); break;
        case ValueKind::Double:
          v.real = readReal(first, number);
          if (v.direction == Direction::In) {
            need(6);
            v.attribute = static_cast<int>(integer(w.words[5], number));
          }
          break;
        case ValueKind::String:
        case ValueKind::Utf8String:
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
          if (isNull) break;
          long long n = integer(first, number);
          if (n < 0 || w.words.size() != 5 + static_cast<std::size_t>(n)) bad(number, "wrong number of values");
          for (long long i = 0; i < n; ++i) v.reals.push_back(readReal(w.words[5 + static_cast<std::size_t>(i)], number));
          break;
        }
        case ValueKind::StringArray:
        case ValueKind::Utf8StringArray: {
          v.isNull = isNull;
          if (isNull) break;
          long long n = integer(first, number);
          if (n < 0 || w.words.size() != 5 + static_cast<std::size_t>(n)) bad(number, "wrong number of texts");
          for (long long i = 0; i < n; ++i) v.texts.push_back(w.words[5 + static_cast<std::size_t>(i)]);
          break;
        }
      }
      r.values.push_back(std::move(v));
    } else {
      bad(number, "unknown line " + key);
    }
  }
  if (!header) bad(number, "empty journal");
  return journal;
}

}  // namespace KTX::JAM
