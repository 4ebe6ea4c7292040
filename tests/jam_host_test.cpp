// The stand-in's journaling library on its own: records that copy what they
// are given and nest, the journal text, replay through the call record, the
// type registry, initializers, pauses and the fault filter's bookkeeping.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "jam/Journal.hpp"
#include "exp/Expression.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Memory.hpp"

using namespace KTX;
using stamvik_test::HostTest;
using stamvik_test::JamTest;

namespace {

class Jam : public JamTest {};

// ---- recording -----------------------------------------------------------------------

TEST_F(Jam, ValuesAreCopiedWhenRecordedNotReadLater) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Copies");
  char text[] = "before";
  double reals[] = {1.5, 2.5};
  JAM_point3d_s point{1, 2, 3};
  const char* strings[] = {"a", "b"};
  JAM_start_call(c, "Copy", nullptr);
  JAM_in_string(text, "text");
  JAM_in_double_array(2, reals, "reals");
  JAM_in_struct(JAM_lookup_struct("Point3d"), &point, "point");
  JAM_in_string_array(2, strings, "strings");
  std::strcpy(text, "after!");
  reals[0] = 9;
  point.y = 9;
  JAM_end_call(0);

  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.values.at(0).text, "before");
  EXPECT_EQ(r.values.at(1).reals, (std::vector<double>{1.5, 2.5}));
  EXPECT_EQ(r.values.at(2).reals, (std::vector<double>{1, 2, 3}));
  EXPECT_EQ(r.values.at(3).texts, (std::vector<std::string>{"a", "b"}));
}

TEST_F(Jam, ResultsAreReadWhenTheCallEnds) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Results");
  int count = 0;
  char** texts = nullptr;
  double value = 0;
  JAM_start_property_call(c, 1, "Value", nullptr);
  JAM_result_double(&value, "value");
  JAM_result_string_array(&count, &texts, "texts");
  JAM_end_of_arguments();
  value = 2.25;
  char first[] = "one";
  char* list[] = {first};
  texts = list;
  count = 1;
  JAM_end_call(0);
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.values.at(0).real, 2.25);
  EXPECT_EQ(r.values.at(1).texts, (std::vector<std::string>{"one"}));
  EXPECT_TRUE(r.argumentsEnded);
}

TEST_F(Jam, RecordsNestAndARecordNeverClosedSurvives) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Nest");
  JAM_start_call(c, "Outer", nullptr);
  JAM_start_call(c, "Inner", nullptr);
  JAM_end_call(2147483647);  // the largest status an int holds
  JAM_end_call(0);
  JAM_start_call(c, "Left", nullptr);  // never closed

  const JAM::Journal& j = JAM::Recorded();
  ASSERT_EQ(j.size(), 3u);
  EXPECT_EQ(j[0].depth, 0);
  EXPECT_EQ(j[1].depth, 1);
  EXPECT_EQ(j[1].status, 2147483647);
  EXPECT_EQ(j[2].depth, 0);
  EXPECT_EQ(j[2].state, JAM::RecordState::Open);
  std::string text = JAM::WriteJournal(j);
  EXPECT_NE(text.find("  record 1 method \"Test.Nest\" \"Inner\"\n    closed 2147483647\n"), std::string::npos) << text;
  EXPECT_EQ(JAM::ReadJournal(text), j);
}

// Records made before anyone reads the journal are kept in storage that a
// clearing keeps: a shorter journal after a longer one, a caller's value that
// comes after a nested record's, a record still open when the journal is read
// (and written to after it) must each read back as recorded.
TEST_F(Jam, JournalReadAfterAClearingHoldsExactlyWhatWasRecordedSince) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Held");
  int values[] = {1, 2, 3, 4};
  for (int i = 0; i < 3; ++i) {
    JAM_start_call(c, "Longer", nullptr);
    for (int& v : values) JAM_in_int(&v, "earlier");
    JAM_end_call(9);
  }
  JAM::ClearJournal();
  JAM_start_call(c, "Outer", nullptr);
  JAM_in_int(&values[0], "before");
  JAM_start_call(c, "Inner", nullptr);
  JAM_in_int(&values[1], "inner");
  JAM_end_call(2);
  JAM_in_int(&values[2], "after");
  JAM_end_call(0);
  JAM_start_call(c, "Open", nullptr);
  JAM_in_int(&values[3], "first");

  struct Row {
    const char* member;
    int depth;
    std::vector<std::string> names;
    std::vector<long long> integers;
    int status;
  };
  auto check = [](const std::vector<Row>& rows) {
    const JAM::Journal& j = JAM::Recorded();
    ASSERT_EQ(j.size(), rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
      EXPECT_EQ(j[i].member, rows[i].member) << i;
      EXPECT_EQ(j[i].depth, rows[i].depth) << i;
      EXPECT_EQ(j[i].status, rows[i].status) << i;
      std::vector<std::string> names;
      std::vector<long long> integers;
      for (const JAM::Value& v : j[i].values) {
        names.push_back(v.name);
        integers.push_back(v.integer);
      }
      EXPECT_EQ(names, rows[i].names) << i;
      EXPECT_EQ(integers, rows[i].integers) << i;
    }
  };
  check({{"Outer", 0, {"before", "after"}, {1, 3}, 0},
         {"Inner", 1, {"inner"}, {2}, 2},
         {"Open", 0, {"first"}, {4}, 0}});
  const JAM::Journal& kept = JAM::Recorded();
  JAM_in_int(&values[0], "second");
  JAM_end_call(5);
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept[2].values.size(), 2u);
  EXPECT_EQ(kept[2].status, 5);
  EXPECT_EQ(kept[2].state, JAM::RecordState::Closed);
}

// A value made again in the place of one a clearing let go keeps its old
// name only where the call gives the same one: the text at the same address
// changed, another member's call in that place, a value past the places a
// member's names are remembered for, journals longer and shorter than the
// room the last one left.
TEST_F(Jam, AValueMadeAgainInALetGoPlaceTakesTheNameItIsGiven) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Names");
  JAM_type_enum_s* kind = JAM_lookup_or_create_enum("Test.NamesKind", sizeof(int));
  JAM_type_enum_s* other = JAM_lookup_or_create_enum("Test.NamesOther", sizeof(int));
  char name[] = "alpha";
  int value = 7;
  struct Row {
    const char* what;
    const char* member;
    const char* text;  // copied into `name` before the call
    JAM_type_enum_s* type;
    const char* typeName;
    int values;        // values the call records, each under `name`
    int records;       // calls in the journal
  };
  const std::vector<Row> rows = {
      {"first", "Same", "alpha", nullptr, "", 1, 1},
      {"the same text again", "Same", "alpha", nullptr, "", 1, 1},
      {"other text at the same address", "Same", "gamma", nullptr, "", 1, 1},
      {"an enumeration's type", "Same", "gamma", kind, "Test.NamesKind", 1, 1},
      {"another enumeration", "Same", "gamma", other, "Test.NamesOther", 1, 1},
      {"no type again", "Same", "gamma", nullptr, "", 1, 1},
      {"another member in the place", "Other", "delta", nullptr, "", 2, 1},
      {"the first member again", "Same", "alpha", nullptr, "", 1, 1},
      {"past the places remembered", "Same", "omega", nullptr, "", 20, 1},
      {"past them, other text", "Same", "sigma", nullptr, "", 20, 1},
      {"a long journal", "Same", "alpha", nullptr, "", 1, 20000},
      {"a short one after it", "Same", "beta", nullptr, "", 2, 3},
      {"a long one again", "Other", "kappa", nullptr, "", 1, 20000},
  };
  for (const Row& row : rows) {
    JAM::ClearJournal();
    std::strcpy(name, row.text);
    for (int r = 0; r < row.records; ++r) {
      JAM_start_call(c, row.member, nullptr);
      for (int v = 0; v < row.values; ++v) {
        if (row.type != nullptr)
          JAM_in_enum(row.type, &value, name);
        else
          JAM_in_int(&value, name);
      }
      JAM_end_call(0);
    }
    // Read as the player reads it, so that a journal no one has asked for
    // whole stays in the storage a clearing keeps.
    ASSERT_EQ(JAM::RecordedCount(), static_cast<std::size_t>(row.records)) << row.what;
    int wrong = 0;
    std::string seen;
    for (std::size_t r = 0; r < JAM::RecordedCount(); ++r) {
      wrong += JAM::RecordedAt(r).member != row.member;
      const std::span<const JAM::Value> values = JAM::RecordedValues(r);
      wrong += values.size() != static_cast<std::size_t>(row.values);
      for (const JAM::Value& v : values) {
        if (v.name == row.text && v.type == row.typeName) continue;
        ++wrong;
        seen = v.name + " " + v.type;
      }
    }
    EXPECT_EQ(wrong, 0) << row.what << ": " << seen;
  }
}

TEST_F(Jam, PausedJournalRecordsNothingAndPausesNest) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Pause");
  {
    JAM::JournalPauser outer;
    {
      JAM::JournalPauser inner;
    }
    EXPECT_TRUE(JAM::JournalPauser::Paused());
    bool on = true;
    JAM_start_property_call(c, 2, "On", nullptr);
    JAM_in_logical(&on, "on");
    JAM_end_call(0);
  }
  EXPECT_FALSE(JAM::JournalPauser::Paused());
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_EQ(JAM_ask_open_records(), 0);
}

TEST_F(Jam, ClaimedErrorClosesTheInnermostRecordAsFailed) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Claim");
  JAM::Test::ClaimErrorNumber(77);
  EXPECT_FALSE(JAM_had_exception(76));
  JAM_start_call(c, "Outer", nullptr);
  JAM_start_call(c, "Inner", nullptr);
  EXPECT_TRUE(JAM_had_exception(77));
  EXPECT_EQ(JAM::Recorded()[1].state, JAM::RecordState::Failed);
  EXPECT_EQ(JAM::Recorded()[1].status, 77);
  EXPECT_EQ(JAM::Recorded()[0].state, JAM::RecordState::Open);
  JAM_end_call(0);
  EXPECT_EQ(JAM::Recorded()[0].state, JAM::RecordState::Closed);
}

TEST_F(Jam, FaultFilterClosesOnlyTheRecordsOpenedSinceTheGuardBegan) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Fault");
  JAM_start_call(c, "Outer", nullptr);
  JAM_exception_info_s info{11, 11, nullptr, JAM_ask_open_records()};
  JAM_start_call(c, "Guarded", nullptr);
  JAM_start_call(c, "Deeper", nullptr);
  JAM::Test::SetFaultVerdict(0);
  EXPECT_EQ(JAM_wnt_exception(11, &info), 0);
  EXPECT_EQ(JAM_ask_open_records(), 1);
  EXPECT_EQ(JAM::Recorded()[1].state, JAM::RecordState::Failed);
  EXPECT_EQ(JAM::Recorded()[2].state, JAM::RecordState::Failed);
  EXPECT_EQ(JAM::Recorded()[0].state, JAM::RecordState::Open);
  JAM_end_call(0);
}

// ---- journal text ----------------------------------------------------------------------

TEST_F(Jam, EveryValueKindReadsBackExactly) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Kinds");
  JAM_type_enum_s* e = JAM_lookup_or_create_enum("Test.Kinds.Types", 4);
  JAM_type_struct_s* matrix = JAM_lookup_struct("Matrix3x3");
  bool logical = true;
  int integer = -42;
  int enumValue = 2;
  tag_t tag = 4000000000u;
  double doubles[] = {0.1, -0.0, 4.9406564584124654e-324, 1.7976931348623157e308, 1.0 / 3.0};
  const char* tricky = "quote \" backslash \\ newline \n tab \t bell \x07 end";
  TEXT_s* text = TEXT_create_string("t\xc3\xa9xt");
  const TEXT_s* texts[] = {text};
  JAM_matrix3x3_s m{1, 0, 0, 0, 1, 0, 0, 0, 1};

  JAM_start_call(c, "Everything", nullptr);
  JAM_set_method_attributes(3);
  JAM_this(77);
  JAM_in_logical(&logical, "logical");
  JAM_in_int(&integer, "integer");
  for (double& d : doubles) JAM_in_double(&d, "double", 0);
  JAM_in_enum(e, &enumValue, "enum");
  JAM_in_tag(c, &tag, "tag");
  JAM_in_string(tricky, "tricky");
  JAM_in_string(nullptr, "none");
  JAM_in_string("", "empty");
  JAM_in_utf8_string(text, "text");
  JAM_in_struct(matrix, &m, "matrix");
  JAM_in_double_array(5, doubles, "doubles");
  JAM_in_double_array(0, nullptr, "noDoubles");
  JAM_in_utf8_string_array(1, texts, "texts");
  JAM_in_struct_array(JAM_lookup_struct("Point3d"), 1, doubles, "points");
  JAM_end_of_arguments();
  JAM_AssociateTemplateTypeClass(nullptr, c);
  JAM_end_call(1234567);
  TEXT_free(text);

  std::string written = JAM::WriteJournal(JAM::Recorded());
  JAM::Journal read = JAM::ReadJournal(written);
  ASSERT_EQ(read, JAM::Recorded()) << written;
  EXPECT_EQ(JAM::WriteJournal(read), written);
  const JAM::Record& r = read.at(0);
  EXPECT_EQ(r.attributes, 3);
  EXPECT_EQ(r.thisKind, 't');
  EXPECT_EQ(r.values.at(4).real, 4.9406564584124654e-324);
  EXPECT_TRUE(std::signbit(r.values.at(3).real));
  EXPECT_EQ(r.values.at(8).integer, 4000000000LL);
  EXPECT_EQ(r.values.at(9).text, tricky);
  EXPECT_TRUE(r.values.at(10).isNull);
  EXPECT_FALSE(r.values.at(11).isNull);
}

TEST_F(Jam, MalformedTextIsRefusedWithItsLine) {
  auto code = [](const std::string& text) { return RaisedCode([&] { JAM::ReadJournal(text); }); };
  EXPECT_EQ(code(""), JAM::kJournalText);
  EXPECT_EQ(code("journal 2\n"), JAM::kJournalText);
  EXPECT_EQ(code("journal 1\n  closed 0\n"), JAM::kJournalText);
  EXPECT_EQ(code("journal 1\nrecord 0 method \"A\" \"B\n"), JAM::kJournalText);
  EXPECT_EQ(code("journal 1\nrecord 0 method \"A\" \"B\"\n  in double \"x\" - 0.5x 0\n"), JAM::kJournalText);
  EXPECT_EQ(code("journal 1\nrecord 0 method \"A\" \"B\"\n  in double-array \"x\" - 3 1 2\n"), JAM::kJournalText);
  EXPECT_EQ(code("journal 1\nrecord 0 dance \"A\" \"B\"\n"), JAM::kJournalText);
  // A depth below 0 or beyond any nesting, an escape that is no hex number.
  EXPECT_EQ(code("journal 1\nrecord -1 method \"A\" \"B\"\n"), JAM::kJournalText);
  EXPECT_EQ(code("journal 1\nrecord 2000000000 method \"A\" \"B\"\n"), JAM::kJournalText);
  EXPECT_EQ(code("journal 1\nrecord 0 method \"A\" \"B\\xZZ\"\n"), JAM::kJournalText);
  EXPECT_EQ(JAM::ReadJournal("journal 1\nrecord 0 method \"A\" \"B\\x41\"\n  open\n").at(0).member, "BA");
  // A failed record keeps its state and status; a quoted "null" is a text.
  const JAM::Record failed =
      JAM::ReadJournal("journal 1\nrecord 0 method \"A\" \"B\"\n  in string \"s\" - \"null\"\n  failed 7\n").at(0);
  EXPECT_EQ(failed.state, JAM::RecordState::Failed);
  EXPECT_EQ(failed.status, 7);
  EXPECT_FALSE(failed.values.at(0).isNull);
  EXPECT_EQ(failed.values.at(0).text, "null");
  EXPECT_EQ(code("journal 1\n"), 0);
}

// Each fault the reader refuses names its line, in the message form of its
// kind; rows go on after a failing one.
TEST_F(Jam, TheReaderRefusesALineItCannotTakeWithItsLine) {
  const std::string head = "journal 1\nrecord 0 method \"A\" \"B\"\n";
  struct Row {
    const char* what;
    std::string text;
    int line;             // 0: read without a fault
    std::string message;  // the fault's text
  };
  const Row rows[] = {
      {"end-of-arguments twice", head + "  end-of-arguments\n  end-of-arguments\n  closed 0\n", 4,
       "a second end-of-arguments for the record"},
      {"attributes twice", head + "  attributes 1\n  attributes 1\n  closed 0\n", 4,
       "a second attributes line for the record"},
      {"attributes twice, the first 0", head + "  attributes 0\n  attributes 0\n  closed 0\n", 4,
       "a second attributes line for the record"},
      {"this twice", head + "  this tag 1\n  this tag 1\n  closed 0\n", 4, "a second object for the record"},
      {"a record without its end before the next", head + "  this tag 1\nrecord 0 method \"A\" \"B\"\n  closed 0\n", 2,
       "the record has no end (expected closed, failed or open before the next record at line 4)"},
      {"an escape at the end of a line", "journal 1\nrecord 0 method \"A\" \"B\\\n", 2, "escape at end of line"},
      {"a quoted first word is no comment", head + "  \"#x\"\n  closed 0\n", 3, "unknown line #x"},
      {"an unquoted text", head + "  in string \"s\" - abc\n  closed 0\n", 3, "text not quoted"},
      {"a logical neither true nor false", head + "  in logical \"l\" - yes\n  closed 0\n", 3,
       "not a logical (expected true or false, found yes)"},
      {"a value of no known kind", head + "  in float \"x\" - 1\n  closed 0\n", 3, "unknown value kind float"},
      {"an in double without its attribute", head + "  in double \"x\" - 0.5\n  closed 0\n", 3,
       "too few words in a 'in' line"},
      {"an out double with an attribute", head + "  out double \"x\" - 0.5 0\n  closed 0\n", 3,
       "unexpected '0' after a 'out' line"},
      {"an object of no known kind", head + "  this obj 1\n  closed 0\n", 3,
       "unknown object kind (expected ptr or tag, found obj)"},
      {"closed with two numbers", head + "  closed 0 1\n", 3, "unexpected '1' after a 'closed' line"},
      {"open with a number", head + "  open 1\n", 3, "unexpected '1' after a 'open' line"},
      {"a line of no known kind", head + "  frobnicate\n  closed 0\n", 3, "unknown line frobnicate"},
      {"a byte-order mark on a later line", "journal 1\n\xEF\xBB\xBFrecord 0 method \"A\" \"B\"\n  closed 0\n", 2,
       "'\\xef\\xbb\\xbfrecord' outside a record"},
      {"a record header with a word more", "journal 1\nrecord 0 method \"A\" \"B\" \"C\"\n  closed 0\n", 2,
       "unexpected 'C' after a 'record' line"},
      {"a first line that is no header", "journal\n", 1, "not a journal (expected the first line 'journal 1')"},
      {"a word holding a NUL", head + "  this tag 1" + std::string(1, '\0') + "2\n  closed 0\n", 3,
       "'1\\x002' holds a NUL byte (a text ends at none)"},
      {"an object without its tag", head + "  this tag\n  closed 0\n", 3, "too few words in a 'this' line"},
      {"a journal of another version", "journal 2\n", 1, "journal version 2 is not read here (expected 'journal 1')"},
      {"end-of-arguments once in each of two records",
       head + "  end-of-arguments\n  closed 0\nrecord 0 method \"A\" \"B\"\n  end-of-arguments\n  closed 0\n", 0, ""},
      {"a real array of fewer numbers than its count", head + "  in double-array \"x\" - 3 1 2\n  closed 0\n", 3,
       "wrong number of values (expected 3, found 2)"},
      {"a real array of more numbers than its count", head + "  in double-array \"x\" - 2 1 2 3\n  closed 0\n", 3,
       "wrong number of values (expected 2, found 3)"},
      {"a structure of more numbers than its count", head + "  in struct \"p\" \"Point3d\" 3 1 2 3 4\n  closed 0\n", 3,
       "wrong number of values (expected 3, found 4)"},
      {"a structure array of more numbers than its count",
       head + "  in struct-array \"p\" \"Point3d\" 0 1\n  closed 0\n", 3, "wrong number of values (expected 0, found 1)"},
      {"a text array of more texts than its count", head + "  in string-array \"t\" - 1 \"a\" \"b\"\n  closed 0\n", 3,
       "wrong number of texts (expected 1, found 2)"},
      // The longest line is read (a comment longer than a block of the text),
      // one byte more is not.
      {"the longest line", "journal 1\n#" + std::string(JAM::kLongestJournalLine - 1, 'x') + "\n", 0, ""},
      {"the longest line, last and without its end", "journal 1\n#" + std::string(JAM::kLongestJournalLine - 1, 'x'), 0,
       ""},
      {"a byte past the longest line", "journal 1\n#" + std::string(JAM::kLongestJournalLine, 'x') + "\n", 2,
       "line longer than 1048576 bytes"},
      {"a value line at the longest",
       [&] {
         std::string line = "  in double-array \"x\" - 2 1 ";
         line += std::string(JAM::kLongestJournalLine - line.size() - 1, '0') + "2";
         return head + line + "\n  closed 0\n";
       }(),
       0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    int line = 0;
    std::string message;
    try {
      JAM::ReadJournal(row.text);
    } catch (const Error::Exception& e) {
      EXPECT_EQ(e.askCode(), JAM::kJournalText);
      line = e.line();
      message = e.text();
    }
    EXPECT_EQ(line, row.line);
    EXPECT_EQ(message, row.message);
  }
}

// A number is read as strtod reads it: the same double, bit for bit, or the
// same refusal, for every form strtod takes (a sign, an exponent, hex, an
// underflow to zero or below the least normal double, a blank before it,
// "inf" and "nan").
TEST_F(Jam, ANumberReadsAsStrtodReadsIt) {
  const char* const words[] = {
      "0.1", "-0", "0", "1", "-1.5", "+1.5", "1e5", "1E5", "1e+5", "1e-5", ".5", "-.5", "5.", "0.30000000000000004",
      "2.2250738585072011e-308", "2.2250738585072014e-308", "4.9406564584124654e-324", "2.4703282292062328e-324",
      "2.4703282292062327e-324", "1e-320", "1e-400", "-1e-400", "1.7976931348623157e308", "1.7976931348623159e308",
      "1e309", "9007199254740993", "123456789012345678901234567890", "0.1000000000000000055511151231257827",
      "0x1p-2", "0X1.8P1", "\t1", "\v2", "1e", "1e+", "--1", "-", ".", "e5", "1.5.5", "1-2", "0x", "inf", "-inf",
      "infinity", "nan", "NaN", "nan(1)", "1,5", "1e-5e",
  };
  for (const char* word : words) {
    SCOPED_TRACE(word);
    char* end = nullptr;
    const double expected = std::strtod(word, &end);
    std::string refusal;
    if (*end != '\0')
      refusal = std::string("not a number (found ") + JAM::ShownText(word) + ")";
    else if (!std::isfinite(expected))
      refusal = std::string("not a finite number (found ") + JAM::ShownText(word) + ")";
    const std::string text = "journal 1\nrecord 0 method \"A\" \"B\"\n  in double \"d\" - " + std::string(word) +
                             " 0\n  in double-array \"a\" - 1 " + word + "\n  closed 0\n";
    try {
      const JAM::Journal read = JAM::ReadJournal(text);
      EXPECT_EQ(refusal, "");
      for (std::size_t i = 0; i < 2; ++i) {
        const JAM::Value& v = read.at(0).values.at(i);
        const double got = i == 0 ? v.real : v.reals.at(0);
        std::uint64_t a = 0, b = 0;
        std::memcpy(&a, &got, 8);
        std::memcpy(&b, &expected, 8);
        EXPECT_EQ(a, b) << got << " against " << expected;
      }
    } catch (const Error::Exception& e) {
      EXPECT_EQ(e.text(), refusal);
      EXPECT_EQ(e.line(), 3);
    }
  }
}

// ---- replay ------------------------------------------------------------------------------

struct Seen {
  OM::Object* object = nullptr;
  tag_t tag = 0;
  int integer = 0;
  std::string text;
  std::vector<double> reals;
  int count = 0;
};
Seen gSeen;

void ReplayEcho(JAM::Call& call) {
  gSeen.object = call.Object();
  gSeen.tag = call.Tag();
  gSeen.integer = *static_cast<int*>(call.Argument(0));
  gSeen.text = *static_cast<const char**>(call.Argument(1));
  gSeen.count = *static_cast<int*>(call.Argument(2));
  const double* reals = *static_cast<const double**>(call.ArrayAddress(2));
  gSeen.reals.assign(reals, reals + gSeen.count);
  // The result lands in the call record's own storage.
  *static_cast<char**>(call.Argument(3)) = SM_string_copy("answer");
  call.SetStatus(gSeen.integer + 1);
}

TEST_F(Jam, ReplayHandsTheRecordedValuesToTheMembersCallback) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Replay");
  int n = 41;
  double reals[] = {0.5, 0.25};
  const char* result = nullptr;
  JAM_start_call(c, "Echo", &ReplayEcho);
  JAM_this(99);
  JAM_in_int(&n, "n");
  JAM_in_string("hello", "greeting");
  JAM_in_double_array(2, reals, "reals");
  JAM_result_string(&result, "answer");
  JAM_end_call(0);

  gSeen = {};
  JAM::Journal read = JAM::ReadJournal(JAM::WriteJournal(JAM::Recorded()));
  EXPECT_EQ(JAM::Replay(read.at(0)), 42);
  EXPECT_EQ(gSeen.tag, 99u);
  EXPECT_EQ(gSeen.object, nullptr);
  EXPECT_EQ(gSeen.text, "hello");
  EXPECT_EQ(gSeen.reals, (std::vector<double>{0.5, 0.25}));

  JAM::Record unknown = read.at(0);
  unknown.member = "NoSuchMember";
  EXPECT_EQ(JAM::Replay(unknown), JAM::kUnknownMember);
}

// The forms of one member take turns in a session (a form is learnt as its
// record closes, and a run of records of one form is learnt once): each
// record replays through its own form's callback, also a form that shares
// its callback and its count with the one before it.
TEST_F(Jam, RecordsOfFormsTakingTurnsEachReplayThroughTheirOwn) {
  static std::vector<std::string> played;
  JAM_replay_fn first = [](JAM::Call& call) {
    played.push_back("first");
    call.SetStatus(0);
  };
  JAM_replay_fn second = [](JAM::Call& call) {
    played.push_back("second");
    call.SetStatus(0);
  };
  struct Row {
    const char* name;
    JAM_replay_fn replay;
  };
  const Row rows[] = {{"count", first}, {"count", first}, {"index", second}, {"at", second}, {"count", first}};
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Turns");
  const int n = 3;
  for (const Row& row : rows) {
    JAM_start_call(c, "Take", row.replay);
    JAM_this(99);
    JAM_in_int(&n, row.name);
    JAM_end_of_arguments();
    JAM_end_call(0);
  }
  JAM::Journal read = JAM::ReadJournal(JAM::WriteJournal(JAM::Recorded()));
  ASSERT_EQ(read.size(), 5u);
  for (std::size_t i = 0; i < read.size(); ++i) {
    played.clear();
    EXPECT_EQ(JAM::Replay(read[i]), 0) << i;
    EXPECT_EQ(played, std::vector<std::string>{rows[i].replay == first ? "first" : "second"}) << i;
  }
  // The same form opened with another callback after it: that one replays it from now on.
  JAM_start_call(c, "Take", second);
  JAM_this(99);
  JAM_in_int(&n, "count");
  JAM_end_of_arguments();
  JAM_end_call(0);
  played.clear();
  EXPECT_EQ(JAM::Replay(read[0]), 0);
  EXPECT_EQ(played, std::vector<std::string>{"second"});
}

TEST_F(Jam, ReplayOfAPointerRecordFindsTheObjectByItsTag) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Object");
  JAM_start_property_call(c, 1, "Part", [](JAM::Call& call) {
    gSeen.object = call.Object();
    call.SetStatus(0);
  });
  JAM_this_ptr(part());
  JAM_end_call(0);
  EXPECT_EQ(JAM::Recorded().at(0).thisTag, part()->ask_tag());
  gSeen = {};
  EXPECT_EQ(JAM::ReplayJournal(JAM::Recorded()), std::vector<int>{0});
  EXPECT_EQ(gSeen.object, part());
}

TEST_F(Jam, ReplayOfAPointerRecordWhoseObjectIsGoneCallsNoBody) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Gone");
  static int calls = 0;
  calls = 0;
  JAM_start_property_call(c, 2, "Value", [](JAM::Call& call) {
    ++calls;
    call.SetStatus(0);
  });
  JAM_this_ptr(part());
  JAM_end_call(0);
  JAM::Record gone = JAM::Recorded().at(0);
  EXP_expression* expression = nullptr;
  ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("1", nullptr, &expression), 0);
  gone.thisTag = expression->ask_tag();
  expression->destroy();
  ASSERT_TRUE(OM::OM_is_deleted_tag(gone.thisTag));
  EXPECT_EQ(JAM::Replay(gone), Error::kDeletedTag);
  JAM::Record none = JAM::Recorded().at(0);
  none.thisTag = 0;
  EXPECT_EQ(JAM::Replay(none), Error::kBadObject);
  EXPECT_EQ(JAM::ReplayWith(none, [](JAM::Call&) { ++calls; }), Error::kBadObject);
  EXPECT_EQ(calls, 0);
}

TEST_F(Jam, ReplayOfARecordWithAnotherNumberOfValuesThanItsMemberTakesCallsNoBody) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Count");
  static int calls = 0;
  calls = 0;
  JAM_replay_fn replay = [](JAM::Call& call) {
    ++calls;
    call.SetStatus(0);
  };
  int a = 1, b = 2;
  JAM_start_call(c, "Pair", replay);
  JAM_this(7);
  JAM_in_int(&a, "a");
  JAM_in_int(&b, "b");
  JAM_end_of_arguments();
  JAM_end_call(0);
  JAM::Record shorter = JAM::Recorded().at(0);
  shorter.values.pop_back();
  EXPECT_EQ(JAM::Replay(shorter), JAM::kMalformedRecord);
  EXPECT_EQ(JAM::Replay(JAM::Recorded().at(0)), 0);
  EXPECT_EQ(calls, 1);

  // A declared accessor takes one value, its result.
  JAM_declare_ptr_property_accessor(c, "Part", replay, 0, true);
  JAM::Record getter = JAM::ReadJournal("journal 1\nrecord 0 get \"Test.Count\" \"Part\"\n  this tag 7\n  closed 0\n").at(0);
  EXPECT_EQ(JAM::Replay(getter), JAM::kMalformedRecord);
  EXPECT_EQ(calls, 1);
}

JAM_matrix3x3_s gMatrix;
void ReplayMatrix(JAM::Call& call) {
  // A member that takes a matrix and gives one back.
  std::memcpy(&gMatrix, call.Argument(0), sizeof gMatrix);
  JAM_matrix3x3_s out{1, 2, 3, 4, 5, 6, 7, 8, 9};
  std::memcpy(call.Argument(1), &out, sizeof out);
  call.SetStatus(0);
}

TEST_F(Jam, AStructureRecordedShorterThanTheMembersIsReadAsZerosBeyondIt) {
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Matrix");
  JAM_point3d_s point{1, 2, 3};
  JAM_point3d_s result{};
  JAM_start_call(c, "Orient", &ReplayMatrix);
  JAM_this(5);
  JAM_in_struct(JAM_lookup_struct("Point3d"), &point, "orientation");
  JAM_result_struct(JAM_lookup_struct("Point3d"), &result, "result");
  JAM_end_call(0);
  gMatrix = {};
  EXPECT_EQ(JAM::Replay(JAM::Recorded().at(0)), 0);
  EXPECT_EQ(gMatrix.xx, 1);
  EXPECT_EQ(gMatrix.xz, 3);
  EXPECT_EQ(gMatrix.yx, 0);
  EXPECT_EQ(gMatrix.zz, 0);
}

// ---- registry ------------------------------------------------------------------------------

TEST_F(Jam, ClassHandlesAreTheSameEveryTimeAlsoBeforeCreation) {
  JAM_type_class_s* early = JAM_lookup_or_create_class("Test.Early");
  EXPECT_EQ(JAM_lookup_or_create_class("Test.Early"), early);
  JAM::Test::TypeView view;
  ASSERT_TRUE(JAM::Test::DescribeClass("Test.Early", &view));
  EXPECT_FALSE(view.created);
  EXPECT_EQ(JAM_create_class("Test.Early", "TaggedObject"), early);
  ASSERT_TRUE(JAM::Test::DescribeClass("Test.Early", &view));
  EXPECT_TRUE(view.created);
  EXPECT_EQ(view.parent, "TaggedObject");
  JAM_declare_tag_property_accessor(early, "Point", nullptr, 0, false);
  JAM_add_interface(early, "GeometricUtilities.IComponentBuilder");
  JAM_destroy_class("Test.Early", "TaggedObject");
  ASSERT_TRUE(JAM::Test::DescribeClass("Test.Early", &view));
  EXPECT_FALSE(view.created);
  EXPECT_EQ(view.accessors, std::vector<std::string>{"tag Point"});
  EXPECT_EQ(view.interfaces, std::vector<std::string>{"GeometricUtilities.IComponentBuilder"});

  JAM_type_class_s* t = JAM_lookup_or_create_template_class("SelectBody", "SelectObject", "Body");
  EXPECT_EQ(JAM_lookup_or_create_template_class("SelectBody", "SelectObject", "Body"), t);
  ASSERT_TRUE(JAM::Test::DescribeClass("SelectBody", &view));
  EXPECT_EQ(view.templateName, "SelectObject");
  EXPECT_EQ(view.argument, "Body");
}

TEST_F(Jam, AccessorsAndInterfacesDeclaredAgainAreKeptOnce) {
  // As a set-up run again after an error left the first run declares them.
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Again");
  for (int run = 0; run < 2; ++run) {
    JAM_declare_ptr_property_accessor(c, "Target", nullptr, 0, true);
    JAM_declare_tag_property_accessor(c, "Vector", nullptr, 0, false);
    JAM_add_interface(c, "GeometricUtilities.IComponentBuilder");
  }
  JAM::Test::TypeView view;
  ASSERT_TRUE(JAM::Test::DescribeClass("Test.Again", &view));
  EXPECT_EQ(view.accessors, (std::vector<std::string>{"ptr Target", "tag Vector"}));
  EXPECT_EQ(view.interfaces, std::vector<std::string>{"GeometricUtilities.IComponentBuilder"});
}

TEST_F(Jam, EnumerationsAndTheHostsStructures) {
  JAM_type_enum_s* e = JAM_lookup_or_create_enum("Test.Enum.Types", 4);
  EXPECT_EQ(JAM_lookup_or_create_enum("Test.Enum.Types", 4), e);
  EXPECT_NE(JAM_lookup_struct("Point3d"), nullptr);
  EXPECT_NE(JAM_lookup_struct("Matrix3x3"), nullptr);
  EXPECT_EQ(RaisedCode([] { JAM_lookup_struct("Point2d"); }), Error::kBadObject);

  JAM_add_enum_member(e, "Solid", 0);
  JAM_add_enum_member(e, "Section", 1);
  JAM_type_class_s* c = JAM_lookup_or_create_class("Test.Enum");
  Host::ClearCalls();
  JAM_test_print_enum_prop("GetType", part()->ask_tag(), [](OM::Object*, int* v) { return *v = 1, 0; }, e, "Types",
                           "type");
  EXPECT_EQ(Host::Calls().back().args, "GetType type Types=Section");
  (void)c;
}

// ---- initializers ---------------------------------------------------------------------------

int gInitialized = 0;
int gDestroyed = 0;

TEST_F(Jam, FileInitializerRunsARegisteredSetUpByNameAndTheHostsOwnUnitsDoNothing) {
  gInitialized = gDestroyed = 0;
  {
    JAM::FileInitializer unit("Test.Unit", [] {
      ++gInitialized;
      JAM_create_class("Test.Unit", "TaggedObject");
    }, [] { ++gDestroyed; });
    for (const char* host : {"Expression", "Section", "SelectObject", "SelectObjectList", "ScCollector", "ObjectList",
                             "qdmath", "Not.Registered"})
      JAM::FileInitializer::Initialize(host);
    EXPECT_EQ(gInitialized, 0);
    JAM::FileInitializer::Initialize("Test.Unit");
    EXPECT_EQ(gInitialized, 1);
    std::vector<std::string> names = JAM::Test::FileInitializerNames();
    EXPECT_EQ(std::count(names.begin(), names.end(), "Test.Unit"), 1);
  }
  // Taken down with its object: a class that was set up is destroyed.
  EXPECT_EQ(gDestroyed, 1);
  std::vector<std::string> names = JAM::Test::FileInitializerNames();
  EXPECT_EQ(std::count(names.begin(), names.end(), "Test.Unit"), 0);
  JAM::FileInitializer::Initialize("Test.Unit");
  EXPECT_EQ(gInitialized, 1);
}

struct FakeInterface : JAM::IJAInterface {};

TEST_F(Jam, ClassInitializerHandsOutBothImplementationsByName) {
  FakeInterface journalled, unjournalled;
  {
    JAM::ClassInitializer registration("Test.Interfaced", &journalled, &unjournalled);
    EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface("Test.Interfaced"), &journalled);
    EXPECT_EQ(JAM::ClassInitializer::GetUnjournalledInterface("Test.Interfaced"), &unjournalled);
  }
  EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface("Test.Interfaced"), nullptr);
  EXPECT_EQ(JAM::ClassInitializer::GetUnjournalledInterface("Test.Interfaced"), nullptr);
}

// A name registered again hides the earlier registration until it goes; the
// earlier one going first leaves the later one in place.
TEST_F(Jam, ClassInitializerOfANameRegisteredTwiceHidesTheEarlierWhileItLives) {
  FakeInterface first, second;
  auto earlier = std::make_unique<JAM::ClassInitializer>("Test.Twice", &first, &first);
  {
    JAM::ClassInitializer later("Test.Twice", &second, &second);
    EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface("Test.Twice"), &second);
  }
  EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface("Test.Twice"), &first);
  auto later = std::make_unique<JAM::ClassInitializer>("Test.Twice", &second, &second);
  earlier.reset();
  EXPECT_EQ(JAM::ClassInitializer::GetUnjournalledInterface("Test.Twice"), &second);
  later.reset();
  EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface("Test.Twice"), nullptr);
}

// ---- automatic-test output -----------------------------------------------------------------

TEST_F(Jam, PrintCallsHandedABodyCallItAndPrintTheValueOrTheStatus) {
  Host::ClearCalls();
  JAM_test_print_logical_prop("GetOn", part()->ask_tag(), [](OM::Object* o, bool* v) { return *v = o != nullptr, 0; },
                              "on");
  JAM_test_print_double_prop("GetX", part()->ask_tag(), [](OM::Object*, double*) -> int {
    ERROR_raise("test", 1, 670156, "no");
  }, "x");
  // A string handed out is the caller's copy; the host frees it (the counters would tell).
  JAM_test_print_string_prop("GetName", part()->ask_tag(),
                             [](OM::Object*, char** v) { return *v = SM_string_copy("n"), 0; }, "name");
  // A tag of no object: the body is not called.
  JAM_test_print_logical_prop("GetOn", 0, [](OM::Object* o, bool* v) { return *v = *reinterpret_cast<bool*>(o), 0; },
                              "on");
  std::vector<std::string> printed;
  for (const Host::Call& c : Host::Calls())
    if (c.name.rfind("JAM_test_print_", 0) == 0) printed.push_back(c.args);
  EXPECT_EQ(printed, (std::vector<std::string>{"GetOn on=1", "GetX x status=670156", "GetName name=n",
                                               "GetOn on status=" + std::to_string(Error::kBadObject)}));
}

}  // namespace
