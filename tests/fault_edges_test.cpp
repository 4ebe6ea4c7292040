// Edges where single slips hide: the value at a limit and one past it, a
// list of two or more where the code loops, a nested record, a null value,
// the error path. Each case is a row; each table pins one behaviour.
#include <setjmp.h>
#include <signal.h>

#include <functional>
#include <string>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_ClampingSlotBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "DieEngJA_DrawBeadTaperBuilder.hpp"
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "InputChecks.hpp"
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
#include "script/ScriptHost.hpp"
#include "sel/Selection.hpp"
#include "sys/Text.hpp"
#include "Tooling_DieDesPierceInsertBuilder.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"

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


// ---- what no builder commits with ------------------------------------------------------

class Refusals : public stamvik_test::DieDesignFeature {
 public:
  // For the rows, which make their builders in the case's part.
  CM_part* Model() const { return modelPart(); }
  PART_part* Part() const { return part(); }
  tag_t Body(Kernel::BodyType type) { return ModelBody(type); }

  int Features() const {
    int count = 0;
    tag_t* frecs = nullptr;
    FREC_ask_all_frecs_of_part(modelPart(), &count, &frecs);
    SM_free(frecs);
    return count;
  }
  // A builder of any class that commits: a new cast relief, ready but for what a row puts in.
  DieDesJA::CastReliefBuilder* Relief() {
    auto* b = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    ClosedLoop(b->GetReliefProfile());
    b->GetSheetMetal()->set_selected_tag(ModelBody(Kernel::BodyType::Sheet));
    Set(b->GetReliefDepth(), "5");
    CoordinateSystemAt(b->GetBaseOrientation(), 10);
    b->SetDistanceTolerance(0.01);
    b->SetAngleTolerance(0.5);
    b->GetTarget()->set_selected_tag(ModelBody(Kernel::BodyType::Solid));
    return b;
  }
  // A heel post that commits, or one opened on its feature.
  DieDesJA::HeelpostBuilder* Heelpost(FEATURE_RECORD* frec = nullptr) {
    return frec != nullptr ? DieDesJA::HeelpostBuilderFactory::Create(modelPart(), frec) : HeelpostOnBase();
  }
  // The host's commit refuses with `status`: no feature made, none changed in number.
  void ExpectRefused(OM::Object* builder, int status) {
    const int before = Features();
    tag_t made = 7;
    EXPECT_EQ(Script::Builder_Commit(builder, &made), status);
    EXPECT_EQ(made, 0u);
    EXPECT_EQ(Features(), before);
  }
};

// Every builder class with an enumeration, one of its enumerated properties
// (a sub-builder's through the builder that holds it): its last member is
// taken, one past it and -1 are refused when the builder is committed, with
// the number of the builder's catalogue; the scripting setter itself stores
// whatever it is given.
TEST_F(Refusals, AnEnumerationValueAtItsLastMemberIsTakenAndOnePastItOrBelowZeroIsNotCommitted) {
  using Set = int (*)(OM::Object*, int);
  struct Row {
    const char* what;
    std::function<JAX_BASE_BUILDER*(Refusals&, OM::Object**)> make;
    Set set;
    int members;
    int refusal;
  };
  auto own = [](auto create) {
    return [create](Refusals& t, OM::Object** holder) -> JAX_BASE_BUILDER* {
      JAX_BASE_BUILDER* b = create(t);
      *holder = b;
      return b;
    };
  };
  // A sub-builder of a heel post that commits.
  auto heelPart = [](auto get) {
    return [get](Refusals& t, OM::Object** holder) -> JAX_BASE_BUILDER* {
      DieDesJA::HeelpostBuilder* b = t.Heelpost();
      *holder = (b->*get)();
      return b;
    };
  };
  const Row rows[] = {
      {"clamping slot Type", own([](Refusals& t) { return DieDesJA::ClampingSlotBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_CLAMPING_SLOT_BUILDER_set_type(static_cast<DieDesJA::ClampingSlotBuilder*>(o), v); }, 3, 3030630},
      {"clearance Type", own([](Refusals& t) { return DieDesJA::ClearanceBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_CLEARANCE_BUILDER_set_Type(static_cast<DieDesJA::ClearanceBuilder*>(o), v); }, 3, 3030630},
      {"rough data Approximation", own([](Refusals& t) { return DieEngJA::CompensateRoughDataBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_approximation(static_cast<DieEngJA::CompensateRoughDataBuilder*>(o), v); }, 4, 3030630},
      {"die shoe's die boolean BooleanOptions",
       [](Refusals& t, OM::Object** holder) -> JAX_BASE_BUILDER* {
         auto* shoe = DieDes::DieShoeBuilderFactory::Create(t.Model(), nullptr);
         OM::Object* boolean = DieDes::DieBooleanBuilderFactory::Create(t.Part());
         shoe->GetDieBooleansList()->append_items(1, &boolean);
         *holder = boolean;
         return shoe;
       },
       [](OM::Object* o, int v) { return XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(static_cast<DieDes::DieBooleanBuilder*>(o), v); }, 3, 3030630},
      {"heel post's offset direction InputType", heelPart(&DieDesJA::HeelpostBuilder::GetOffsetDirection),
       [](OM::Object* o, int v) { return XJA_DIE_DIRECTION_BUILDER_set_input_type(static_cast<DieDes::DieDirectionBuilder*>(o), v); }, 3, 3030630},
      {"heel post's center InputType", heelPart(&DieDesJA::HeelpostBuilder::GetCenter),
       [](OM::Object* o, int v) { return XJA_DIE_LOCATION_BUILDER_set_InputType(static_cast<DieDesJA::DieLocationBuilder*>(o), v); }, 5, 3030630},
      {"heel post's base orientation InputType", heelPart(&DieDesJA::HeelpostBuilder::GetBaseOrientation),
       [](OM::Object* o, int v) { return XJA_DIE_PLANE_BUILDER_set_input_type(static_cast<DieDes::DiePlaneBuilder*>(o), v); }, 3, 3030630},
      {"draw bead Output", own([](Refusals& t) { return DieEngJA::DrawBeadBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_DRAW_BEAD_BUILDER_set_Output(static_cast<DieEngJA::DrawBeadBuilder*>(o), v); }, 4, 3030630},
      {"draw bead's segment MaleBeadWidthType",
       [](Refusals& t, OM::Object** holder) -> JAX_BASE_BUILDER* {
         auto* bead = DieEngJA::DrawBeadBuilderFactory::Create(t.Model(), nullptr);
         OM::Object* segment = DieEngJA::DrawBeadSegmentBuilderFactory::Create(bead, nullptr);
         bead->GetSegmentList()->append_items(1, &segment);
         *holder = segment;
         return bead;
       },
       [](OM::Object* o, int v) { return XJA_DRAW_BEAD_SEGMENT_BUILDER_set_MaleBeadWidthType(static_cast<DieEngJA::DrawBeadSegmentBuilder*>(o), v); }, 2, 3030630},
      {"draw bead's start taper TaperType",
       [](Refusals& t, OM::Object** holder) -> JAX_BASE_BUILDER* {
         auto* bead = DieEngJA::DrawBeadBuilderFactory::Create(t.Model(), nullptr);
         *holder = bead->GetStartTaper();
         return bead;
       },
       [](OM::Object* o, int v) { return XJA_DRAW_BEAD_TAPER_BUILDER_set_TaperType(static_cast<DieEngJA::DrawBeadTaperBuilder*>(o), v); }, 3, 3030630},
      {"fill area Type", own([](Refusals& t) { return DieDesJA::FillAreaBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_FILL_AREA_BUILDER_set_Type(static_cast<DieDesJA::FillAreaBuilder*>(o), v); }, 4, 3030630},
      {"finger-clearance notch Type", own([](Refusals& t) { return DieDesJA::FingerClearanceNotchBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_FINGER_CLEARANCE_NOTCH_BUILDER_set_Type(static_cast<DieDesJA::FingerClearanceNotchBuilder*>(o), v); }, 3, 3030630},
      {"handling core Type", own([](Refusals& t) { return DieDesJA::HandlingCoreBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_HANDLING_CORE_BUILDER_set_Type(static_cast<DieDesJA::HandlingCoreBuilder*>(o), v); }, 3, 3030630},
      {"heel post Type", own([](Refusals& t) { return t.Heelpost(); }),
       [](OM::Object* o, int v) { return XJA_HEELPOST_BUILDER_set_type(static_cast<DieDesJA::HeelpostBuilder*>(o), v); }, 3, 3030630},
      {"keyway Type", own([](Refusals& t) { return DieDesJA::KeywayBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_KEYWAY_BUILDER_set_type(static_cast<DieDesJA::KeywayBuilder*>(o), v); }, 2, 3030630},
      {"machine relief Type", own([](Refusals& t) { return DieDesJA::MachineReliefBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_MACHINE_RELIEF_BUILDER_set_Type(static_cast<DieDesJA::MachineReliefBuilder*>(o), v); }, 3, 3030630},
      {"springback Degree", own([](Refusals& t) { return DieEngJA::SpringbackCompensationBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_SPRINGBACK_COMPENSATION_BUILDER_set_Degree(static_cast<DieEngJA::SpringbackCompensationBuilder*>(o), v); }, 4, 3030630},
      {"springback DefinedBy (the host's number for it)", own([](Refusals& t) { return DieEngJA::SpringbackCompensationBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_SPRINGBACK_COMPENSATION_BUILDER_set_DefinedBy(static_cast<DieEngJA::SpringbackCompensationBuilder*>(o), v); }, 3, 670229},
      {"pierce insert ThicknessDirectionOption", own([](Refusals& t) { return Tooling::DieDesPierceInsertBuilderFactory::Create(t.Part()); }),
       [](OM::Object* o, int v) { return XJA_DIE_DES_PIERCE_INSERT_BUILDER_set_ThicknessDirectionOption(static_cast<Tooling::DieDesPierceInsertBuilder*>(o), v); }, 2, 3030630},
      {"manikin Position (its own number)", own([](Refusals& t) { return VDJA::ManikinBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_MANIKIN_BUILDER_set_Position(static_cast<VDJA::ManikinBuilder*>(o), v); }, 2, 3770441},
      {"manikin SAEPercentile", own([](Refusals& t) { return VDJA::ManikinBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_MANIKIN_BUILDER_set_SAEPercentile(static_cast<VDJA::ManikinBuilder*>(o), v); }, 6, 3770444},
      {"tire envelope Motion", own([](Refusals& t) { return VDJA::TireEnvelopeBuilderFactory::Create(t.Model(), nullptr); }),
       [](OM::Object* o, int v) { return XJA_TIRE_ENVELOPE_BUILDER_set_Motion(static_cast<VDJA::TireEnvelopeBuilder*>(o), v); }, 4, 3771800},
  };
  for (const Row& row : rows) {
    for (const int value : {row.members - 1, row.members, -1}) {
      SCOPED_TRACE(std::string(row.what) + " " + std::to_string(value));
      OM::Object* holder = nullptr;
      JAX_BASE_BUILDER* b = row.make(*this, &holder);
      ASSERT_EQ(row.set(holder, value), 0);
      if (value == row.members - 1) {
        EXPECT_EQ(Stamvik::CheckInputs(b), 0);
        EXPECT_NE(b->validate_nothrow(), row.refusal);
      } else {
        ExpectRefused(b, row.refusal);
      }
      b->destroy();
    }
  }
}

// An edit that would give the feature a type with no member leaves the
// feature's record as it was.
TEST_F(Refusals, AnEditWithAnUnknownTypeLeavesTheRecordAsItWas) {
  DieDesJA::HeelpostBuilder* made = Heelpost();
  made->SetType(DieDesJA::JA_HEELPOST_BUILDER_types_StorageBlock);
  tag_t feature = 0;
  ASSERT_EQ(Script::Builder_Commit(made, &feature), 0);
  made->destroy();
  auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
  ASSERT_NE(frec, nullptr);
  for (const int type : {3, -1}) {
    SCOPED_TRACE(type);
    DieDesJA::HeelpostBuilder* edit = Heelpost(frec);
    ASSERT_EQ(XJA_HEELPOST_BUILDER_set_type(edit, type), 0);
    ExpectRefused(edit, 3030630);
    edit->destroy();
    DieDesJA::HeelpostBuilder* back = Heelpost(frec);
    EXPECT_EQ(back->GetType(), DieDesJA::JA_HEELPOST_BUILDER_types_StorageBlock);
    back->destroy();
  }
}

// What a selection, a selection list, a collector or a sub-builder's
// selection holds, for each role an object cannot serve in: a builder, live
// or destroyed since it was selected, and the feature being edited. Each is
// refused when the builder is committed and the part keeps the features it
// had; the same builder with model objects there commits.
TEST_F(Refusals, ASelectionOfWhatCannotServeIsNotCommitted) {
  DieDesJA::CastReliefBuilder* ready = Relief();
  tag_t feature = 0;
  ASSERT_EQ(Script::Builder_Commit(ready, &feature), 0);
  ASSERT_NE(feature, 0u);
  ready->destroy();
  auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
  ASSERT_NE(frec, nullptr);

  enum class Holds { LiveBuilder, GoneBuilder, EditedFeature };
  struct Row {
    const char* what;
    Holds holds;
    // The builder committed, holding `tag` in the role the row names.
    std::function<JAX_BASE_BUILDER*(Refusals&, FEATURE_RECORD*, tag_t)> make;
    int refusal;
  };
  auto relief = [](auto put) {
    return [put](Refusals& t, FEATURE_RECORD* edited, tag_t tag) -> JAX_BASE_BUILDER* {
      DieDesJA::CastReliefBuilder* b =
          edited != nullptr ? DieDesJA::CastReliefBuilderFactory::Create(t.Model(), edited) : t.Relief();
      put(b, tag);
      return b;
    };
  };
  auto target = relief([](DieDesJA::CastReliefBuilder* b, tag_t tag) { b->GetTarget()->set_selected_tag(tag); });
  auto sheet = relief([](DieDesJA::CastReliefBuilder* b, tag_t tag) { b->GetSheetMetal()->set_selected_tag(tag); });
  auto plane = relief([](DieDesJA::CastReliefBuilder* b, tag_t tag) {
    b->GetBaseOrientation()->GetSelectPlane()->set_selected_tag(tag);
  });
  auto bodies = [](Refusals& t, FEATURE_RECORD*, tag_t tag) -> JAX_BASE_BUILDER* {
    auto* shoe = DieDes::DieShoeBuilderFactory::Create(t.Model(), nullptr);
    auto* boolean = DieDes::DieBooleanBuilderFactory::Create(t.Part());
    boolean->GetSelectBodies()->append(t.Body(Kernel::BodyType::Solid));
    boolean->GetSelectBodies()->append(tag);
    OM::Object* item = boolean;
    shoe->GetDieBooleansList()->append_items(1, &item);
    return shoe;
  };
  auto faces = [](Refusals& t, FEATURE_RECORD*, tag_t tag) -> JAX_BASE_BUILDER* {
    auto* rough = DieEngJA::CompensateRoughDataBuilderFactory::Create(t.Model(), nullptr);
    rough->GetProjectToFaces()->append(tag);
    return rough;
  };
  const Row rows[] = {
      {"the target, a live builder", Holds::LiveBuilder, target, 3030632},
      {"the target, a builder destroyed since", Holds::GoneBuilder, target, 3030631},
      {"the target of an edit, the feature edited", Holds::EditedFeature, target, 3030633},
      {"the sheet metal, a live builder", Holds::LiveBuilder, sheet, 3030632},
      {"the sheet metal of an edit, the feature edited", Holds::EditedFeature, sheet, 3030633},
      {"the base orientation's plane, a builder destroyed since", Holds::GoneBuilder, plane, 3030631},
      {"a die boolean's bodies, second of two, a live builder", Holds::LiveBuilder, bodies, 3030632},
      {"a die boolean's bodies, second of two, a builder destroyed since", Holds::GoneBuilder, bodies, 3030631},
      {"the faces collected, a live builder", Holds::LiveBuilder, faces, 3030632},
      {"the faces collected, a builder destroyed since", Holds::GoneBuilder, faces, 3030631},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    DieDesJA::CastReliefBuilder* other = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    const tag_t held = row.holds == Holds::EditedFeature ? feature : other->ask_tag();
    JAX_BASE_BUILDER* b = row.make(*this, row.holds == Holds::EditedFeature ? frec : nullptr, held);
    if (row.holds == Holds::GoneBuilder) other->destroy();
    ExpectRefused(b, row.refusal);
    b->destroy();
    if (row.holds != Holds::GoneBuilder) other->destroy();
  }
  // The record the refused edits were opened on reads back as it was made.
  DieDesJA::CastReliefBuilder* back = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_NE(back->GetTarget()->ask_selected_tag(), feature);
  EXPECT_NE(back->GetSheetMetal()->ask_selected_tag(), feature);
  EXPECT_EQ(back->validate_nothrow(), 0);
  back->destroy();
}

}  // namespace
