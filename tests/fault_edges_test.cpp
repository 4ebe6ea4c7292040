// Edges where single slips hide: the value at a limit and one past it, a
// list of two or more where the code loops, a nested record, a null value,
// the error path. Each case is a row; each table pins one behaviour.
#include <setjmp.h>
#include <signal.h>

#include <string>
#include <vector>

#include "DieDesJA_ClearanceBuilder.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "afl/DieFeatureBuilders.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "ja_engine.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sel/Selection.hpp"
#include "sys/Text.hpp"

using namespace KTX;

namespace {

class Edges : public stamvik_test::JamTest {};

// ---- undo -----------------------------------------------------------------------------

TEST_F(Edges, AnObjectMadeUnderAnInnerMarkGoesWithAnUndoToTheOuterOnceTheInnerIsDeleted) {
  struct Case {
    bool deleteInner;
  };
  for (Case c : {Case{true}, Case{false}}) {
    int error = 0;
    const int outer = UNDO_QD_set_mark(1, "outer", &error);
    const int inner = UNDO_QD_set_mark(1, "inner", &error);
    const tag_t made = SELECT_OBJECTFactory::Create(part())->ask_tag();
    if (c.deleteInner) {
      EXPECT_EQ(UNDO_QD_delete_mark(inner, nullptr), 0);
    }
    EXPECT_EQ(UNDO_QD_undo_to_mark(outer, nullptr), 0);
    EXPECT_TRUE(OM::OM_is_deleted_tag(made)) << c.deleteInner;
    EXPECT_EQ(OM::OM_count_undo_marks(), 1);
    UNDO_QD_delete_mark(outer, nullptr);
  }
}

TEST_F(Edges, AnObjectMadeUnderAMarkNeedsNoLogAndOneMadeWithoutNeedsOne) {
  struct Case {
    bool underMark;
    std::uint8_t state;
  };
  for (Case c : {Case{true, OM::Object::kStateNoLog}, Case{false, 0}}) {
    int error = 0;
    const int mark = c.underMark ? UNDO_QD_set_mark(1, "mark", &error) : 0;
    SELECT_OBJECT* made = SELECT_OBJECTFactory::Create(part());
    EXPECT_EQ(made->OmState(), c.state) << c.underMark;
    if (mark != 0) UNDO_QD_delete_mark(mark, nullptr);
  }
}

TEST_F(Edges, AnAttributeIndexPastTheLastRowIsRefused) {
  auto* object = DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr);
  OM::ClassView view;
  ASSERT_TRUE(OM::OM_describe_class(object->OmClassId(), &view));
  const int rows = static_cast<int>(view.rows.size());
  ASSERT_GT(rows, 0);
  struct Case {
    int index;
    int raised;
  };
  for (Case c : {Case{rows - 1, 0}, Case{rows, Error::kBadAttribute}, Case{rows + 1, Error::kBadAttribute}}) {
    OM::AttributeId id;
    id.Bind(object->OmClassId(), c.index);
    int value = 0;
    EXPECT_EQ(RaisedCode([&] { OM::OM_ask_int(object, id, &value); }), c.raised) << c.index;
  }
  object->destroy();
}

TEST_F(Edges, TheFirstTagNeverHandedOutIsNoObject) {
  const tag_t last = SELECT_OBJECTFactory::Create(part())->ask_tag();
  struct Case {
    tag_t tag;
    bool object;
  };
  for (Case c : {Case{last, true}, Case{last + 1, false}, Case{last + 2, false}, Case{999, false}}) {
    EXPECT_EQ(OM::OM_object_of_tag(c.tag) != nullptr, c.object) << c.tag;
    EXPECT_EQ(RaisedCode([&] { OM::OM_checked_object_of_tag(c.tag, 0); }), c.object ? 0 : Error::kBadObject) << c.tag;
  }
}

// ---- journal ------------------------------------------------------------------------------

JAM::Value InString(const std::string& text, bool isNull = false) {
  JAM::Value v;
  v.direction = JAM::Direction::In;
  v.kind = JAM::ValueKind::String;
  v.name = "text";
  v.text = text;
  v.isNull = isNull;
  return v;
}

JAM::Record Closed(const std::string& member, int depth, std::vector<JAM::Value> values = {}) {
  JAM::Record r;
  r.depth = depth;
  r.journalClass = "Edges";
  r.member = member;
  r.values = std::move(values);
  r.state = JAM::RecordState::Closed;
  return r;
}

TEST_F(Edges, ATextIsWrittenWithOnlyControlBytesEscaped) {
  struct Case {
    std::string text;
    std::string written;
  };
  const Case cases[] = {
      {"a\x1f" "b", "\"a\\x1fb\""},  // the last control byte
      {"a b", "\"a b\""},            // one past it: the blank is itself
      {"a~b", "\"a~b\""},
      {"a\x7f" "b", "\"a\\x7fb\""},
  };
  for (const Case& c : cases) {
    const std::string text = JAM::WriteJournal({Closed("Say", 0, {InString(c.text)})});
    EXPECT_NE(text.find(c.written), std::string::npos) << text;
    EXPECT_EQ(JAM::ReadJournal(text)[0].values[0].text, c.text);
  }
}

// A status reads back as written up to either end of an int; one past
// either end is refused rather than wrapped.
TEST_F(Edges, AStatusAtEitherEndOfAnIntReadsBackAndOnePastIsRefused) {
  struct Case {
    JAM::RecordState state;
    int status;
    std::string written;
  };
  const Case cases[] = {
      {JAM::RecordState::Closed, 2147483647, "closed 2147483647\n"},
      {JAM::RecordState::Closed, -2147483647 - 1, "closed -2147483648\n"},
      {JAM::RecordState::Failed, 2147483647, "failed 2147483647\n"},
      {JAM::RecordState::Failed, -1, "failed -1\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.written);
    JAM::Record r = Closed("Say", 0);
    r.state = c.state;
    r.status = c.status;
    const std::string text = JAM::WriteJournal({r});
    EXPECT_NE(text.find(c.written), std::string::npos) << text;
    const JAM::Journal read = JAM::ReadJournal(text);
    EXPECT_EQ(read.size(), 1u);
    if (read.empty()) continue;
    EXPECT_EQ(read[0].state, c.state);
    EXPECT_EQ(read[0].status, c.status);
  }
  const std::string good = JAM::WriteJournal({Closed("Say", 0)});
  for (const char* past : {"closed 2147483648", "closed -2147483649", "failed 2147483648"}) {
    SCOPED_TRACE(past);
    std::string text = good;
    text.replace(text.find("closed 0"), 8, past);
    EXPECT_EQ(RaisedCode([&] { JAM::ReadJournal(text); }), 840701);
  }
}

TEST_F(Edges, OnlyTopLevelRecordsAreReplayedTheNestedAreMadeAgainByTheirCall) {
  struct Case {
    std::vector<int> depths;
    std::size_t replayed;
  };
  const Case cases[] = {{{0, 1}, 1}, {{0, 1, 1, 0}, 2}, {{0, 1, 2, 0, 1}, 2}};
  for (const Case& c : cases) {
    JAM::Journal journal;
    for (int depth : c.depths) journal.push_back(Closed("Nowhere", depth));
    Host::ClearCalls();
    EXPECT_EQ(JAM::ReplayJournal(journal).size(), c.replayed);
    EXPECT_EQ(Host::CountCalls("JAM_replay"), c.replayed);
  }
}

const TEXT_s* gSeen = reinterpret_cast<const TEXT_s*>(1);
std::string gSeenText;
void SeeText(JAM::Call& call) {
  gSeen = *static_cast<const TEXT_s* const*>(call.Argument(0));
  gSeenText = gSeen != nullptr ? TEXT_ask_utf8(gSeen) : "";
}

TEST_F(Edges, ARecordedNullUtf8TextIsReplayedAsNoTextAndAnEmptyOneAsEmpty) {
  struct Case {
    bool isNull;
    const char* text;
  };
  for (Case c : {Case{true, ""}, Case{false, ""}, Case{false, "x"}}) {
    JAM::Value v = InString(c.text, c.isNull);
    v.kind = JAM::ValueKind::Utf8String;
    EXPECT_EQ(JAM::ReplayWith(Closed("See", 0, {v}), &SeeText), 0);
    EXPECT_EQ(gSeen == nullptr, c.isNull) << c.text;
    EXPECT_EQ(gSeenText, c.text);
  }
}

// ---- property model ----------------------------------------------------------------------

TEST_F(Edges, AListIndexAtTheCountIsOutOfRange) {
  Property::List list(Property::List::kSequence);
  list.SetValue("first", Property::MakeInteger(1).release());
  list.SetValue("second", Property::MakeInteger(2).release());
  struct Case {
    int index;
    bool inRange;
  };
  for (Case c : {Case{-1, false}, Case{0, true}, Case{1, true}, Case{2, false}}) {
    EXPECT_EQ(list.GetPropertyByIndex(c.index) != nullptr, c.inRange) << c.index;
    EXPECT_EQ(list.GetNameByIndex(c.index) != nullptr, c.inRange) << c.index;
  }
}

TEST_F(Edges, ListNamesFoldEveryAsciiLetterAndNothingBeside) {
  struct Case {
    const char* first;
    const char* second;
    int result;
  };
  const Case cases[] = {
      {"xA", "xa", Property::List::kReplaced}, {"xZ", "xz", Property::List::kReplaced},
      {"x@", "x`", Property::List::kAdded},    {"x[", "x{", Property::List::kAdded},
  };
  for (const Case& c : cases) {
    Property::List list;
    list.SetValue(c.first, Property::MakeInteger(1).release());
    EXPECT_EQ(list.SetValue(c.second, Property::MakeInteger(2).release()), c.result) << c.first;
  }
}

TEST_F(Edges, AnOwnerRegisteredUnderSeveralClassesTakesTheParentOfItsLatest) {
  Property::Owner first, second, third, shared;
  JAM::PropertyMapper::RegisterPropertyOwner("Edges.ParentOne", nullptr, &first);
  JAM::PropertyMapper::RegisterPropertyOwner("Edges.ParentTwo", nullptr, &second);
  JAM::PropertyMapper::RegisterPropertyOwner("Edges.ParentThree", nullptr, &third);
  struct Case {
    const char* journalClass;
    const char* parent;
    Property::Owner* parentOwner;
  };
  const Case cases[] = {{"Edges.ChildOne", "Edges.ParentOne", &first},
                        {"Edges.ChildTwo", "Edges.ParentTwo", &second},
                        {"Edges.ChildThree", "Edges.ParentThree", &third}};
  for (const Case& c : cases) {
    JAM::PropertyMapper::RegisterPropertyOwner(c.journalClass, c.parent, &shared);
    EXPECT_EQ(JAM::PropertyMapper::GetSuperclassOwner(&shared), c.parentOwner) << c.journalClass;
  }
}

// ---- engine --------------------------------------------------------------------------------

int Throws(void*) { ERROR_raise("edges", __LINE__, 4711, "thrown"); }

sigjmp_buf gResume;
void Caught(int) { siglongjmp(gResume, 1); }

// After a guarded call that an exception left, a fault is the caller's
// again: its own handler when outside any guard, the outer guard inside one.
int FaultAfterInnerThrow(void*) {
  try {
    JA::Guarded(&Throws, nullptr);
  } catch (const Error::Exception&) {
  }
  ::raise(SIGSEGV);
  return 0;
}

TEST_F(Edges, AnExceptionLeavingAGuardedCallGivesTheCallersFaultHandlingBack) {
  struct Case {
    int verdict;  // 1: the filter takes the exception, else it goes on
    bool nested;
  };
  for (Case c : {Case{1, false}, Case{0, false}, Case{1, true}, Case{0, true}}) {
    EXPECT_EXIT(
        {
          JAM::Test::SetFaultVerdict(c.verdict);
          struct sigaction mine {};
          mine.sa_handler = &Caught;
          sigemptyset(&mine.sa_mask);
          sigaction(SIGSEGV, &mine, nullptr);
          if (sigsetjmp(gResume, 1) != 0) std::_Exit(c.nested ? 3 : 2);
          if (c.nested) {
            JAM::Test::SetFaultVerdict(1);
            int status = -1;
            try {
              status = JA::Guarded(&FaultAfterInnerThrow, nullptr);
            } catch (...) {
            }
            std::_Exit(status == 65 ? 4 : 5);
          }
          try {
            JA::Guarded(&Throws, nullptr);
          } catch (const Error::Exception&) {
          }
          ::raise(SIGSEGV);
          std::_Exit(6);
        },
        ::testing::ExitedWithCode(c.nested ? 4 : 2), "")
        << c.verdict << " " << c.nested;
  }
}

// ---- builders ------------------------------------------------------------------------------

TEST_F(Edges, AClearanceWithoutTargetNeedsAnOffsetBeyondTheTolerance) {
  struct Case {
    const char* offset;
    int status;
  };
  const Case cases[] = {{"0.01", 672225}, {"-0.01", 672225}, {"0.0101", 0}, {"-0.0101", 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    auto* b = DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr);
    EXPECT_EQ(EXP_edit_exp(part()->ask_tag(), b->GetOffset(), c.offset), 0);
    EXPECT_EQ(b->validate_nothrow(), c.status) << c.offset;
    b->destroy();
  }
}

TEST_F(Edges, TheDieCollectionEnumeratesEveryDieFeatureAndSkipsAllOthers) {
  const char* cases[] = {"NND", "DNND", "DNNND", "NNDNN", "DD"};
  for (const char* kinds : cases) {
    SCOPED_TRACE(kinds);
    std::vector<tag_t> die;
    for (const char* k = kinds; *k != '\0'; ++k) {
      FEATURE_PARMS* parms = *k == 'D' ? DieDes::CastReliefFactory::Create() : nullptr;
      const tag_t frec = FEATURE_RECORD::Create(part(), parms)->ask_tag();
      if (*k == 'D') die.push_back(frec);
    }
    std::vector<tag_t> seen;
    tag_t cursor = 0;
    do {
      const int status = XJA_DieCollection_enumerate(part()->ask_tag(), &cursor);
      EXPECT_EQ(status, 0);
      if (status != 0) break;
      if (cursor != 0) seen.push_back(cursor);
    } while (cursor != 0 && seen.size() < 20);
    // Each row's features come after the earlier rows'.
    EXPECT_GE(seen.size(), die.size()) << kinds;
    if (seen.size() >= die.size()) {
      EXPECT_EQ(std::vector<tag_t>(seen.end() - static_cast<long>(die.size()), seen.end()), die) << kinds;
    }
    for (tag_t t : seen) EXPECT_TRUE(DIEENG_is_dieeng_feature(OM::TagToObject<FEATURE_RECORD>(t))) << kinds;
  }
}

}  // namespace
