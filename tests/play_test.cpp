// Playing journals: the host's scripting classes, the player's tag map and
// status checks (in process), and `ktxhost play` of every example with its
// recorded journal played again (a fixed point) and its printed part.
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "exp/Expression.hpp"
#include "feat/Builder.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "jam/Journal.hpp"
#include "kernel/Kernel.hpp"
#include "om/HostClass.hpp"
#include "script/ScriptHost.hpp"
#include "sel/Selection.hpp"
#include "sys/Failure.hpp"
#include "sys/Memory.hpp"
#include "tool/ToolingGeometry.hpp"

using namespace KTX;
using stamvik_test::JamTest;

namespace {

// ---- in process: the host's classes and the player ----------------------------------

class ScriptHostTest : public JamTest {
 protected:
  static JAM::Journal Read(const std::string& body) { return JAM::ReadJournal("journal 1\n" + body); }
  const JAM::Record& Played(std::size_t i) const { return JAM::Recorded().at(i); }
};

const char* kPartAndBody =
    "record 0 get \"Session\" \"WorkPart\"\n"
    "  result tag \"workpart\" \"Part\" 7\n"
    "  closed 0\n"
    "record 0 method \"Part\" \"CreateSolidBody\"\n"
    "  this tag 7\n"
    "  result tag \"body\" \"Body\" 8\n"
    "  closed 0\n";

TEST_F(ScriptHostTest, TheJournalsTagsNameTheObjectsItsRecordsMade) {
  std::string text = std::string(kPartAndBody) +
                     "record 0 get \"Part\" \"DieCollection\"\n"
                     "  this tag 7\n"
                     "  result tag \"diecollection\" \"Die.DieCollection\" 9\n"
                     "  closed 0\n"
                     "record 0 method \"Part\" \"CreateSheetBody\"\n"
                     "  this tag 9\n"
                     "  result tag \"body\" \"Body\" 10\n"
                     "  closed 0\n";
  std::string error;
  ASSERT_TRUE(Script::Play(Read(text), &error)) << error;
  ASSERT_EQ(JAM::Recorded().size(), 4u);
  const tag_t live = part()->ask_tag();
  EXPECT_EQ(Played(0).values[0].integer, live);
  // The part's tag 7 and the collection's 9 both reach the live part.
  EXPECT_EQ(Played(1).thisTag, live);
  EXPECT_EQ(Played(2).values[0].integer, live);
  EXPECT_EQ(Played(3).thisTag, live);
  // The two bodies are new objects in the part, a solid and a sheet.
  auto* solid = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(static_cast<tag_t>(Played(1).values[0].integer)));
  auto* sheet = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(static_cast<tag_t>(Played(3).values[0].integer)));
  ASSERT_NE(solid, nullptr);
  ASSERT_NE(sheet, nullptr);
  int type = 0;
  ASSERT_EQ(ZV_BODY_ask_type(sheet->ask_kernel_body(), &type), 0);
  EXPECT_EQ(type, ZV_BODY_type_sheet_c);
  // Played records are journalled again, closed with their status.
  for (const JAM::Record& r : JAM::Recorded()) {
    EXPECT_EQ(r.state, JAM::RecordState::Closed);
    EXPECT_TRUE(r.argumentsEnded);
  }
}

TEST_F(ScriptHostTest, AJournalsUndoMarksAreItsOwnNumbersReadThroughTheMarksItSet) {
  const int marks = OM::OM_count_undo_marks();
  const std::string text =
      "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 7\n  closed 0\n"
      "record 0 method \"Session\" \"SetUndoMark\"\n  in string \"name\" - \"before the body\"\n"
      "  result int \"mark\" - 5\n  closed 0\n"
      "record 0 method \"Part\" \"CreateSolidBody\"\n  this tag 7\n  result tag \"body\" \"Body\" 8\n  closed 0\n"
      "record 0 method \"Session\" \"UndoToMark\"\n  in int \"mark\" - 5\n  closed 0\n"
      "record 0 method \"Session\" \"DeleteUndoMark\"\n  in int \"mark\" - 5\n  closed 0\n"
      // Deleted, the mark is none: refused, as the journal states.
      "record 0 method \"Session\" \"UndoToMark\"\n  in int \"mark\" - 5\n  closed 840002\n"
      // A number the journal never set is no mark either.
      "record 0 method \"Session\" \"DeleteUndoMark\"\n  in int \"mark\" - 6\n  closed 840002\n";
  std::string error;
  ASSERT_TRUE(Script::Play(Read(text), &error)) << error;
  ASSERT_EQ(JAM::Recorded().size(), 7u);
  const long long live = Played(1).values[1].integer;
  EXPECT_NE(live, 0);
  // The undo, the delete and the refused undo name the live mark.
  for (const std::size_t i : {3u, 4u, 5u}) EXPECT_EQ(Played(i).values[0].integer, live) << i;
  EXPECT_EQ(Played(6).values[0].integer, 6);
  // The body made after the mark went with the undo; the mark is gone.
  EXPECT_TRUE(OM::OM_is_deleted_tag(static_cast<tag_t>(Played(2).values[0].integer)));
  EXPECT_EQ(OM::OM_count_undo_marks(), marks);
}

TEST_F(ScriptHostTest, ATagNoEarlierRecordMadeStopsThePlay) {
  std::string text = std::string(kPartAndBody) +
                     "record 0 method \"Part\" \"CreateSolidBody\"\n"
                     "  this tag 99\n"
                     "  result tag \"body\" \"Body\" 11\n"
                     "  closed 0\n"
                     "record 0 get \"Session\" \"WorkPart\"\n"
                     "  result tag \"workpart\" \"Part\" 7\n"
                     "  closed 0\n";
  std::string error;
  EXPECT_FALSE(Script::Play(Read(text), &error));
  EXPECT_EQ(error, "tag 99 names no object an earlier record made");
  EXPECT_EQ(JAM::Recorded().size(), 2u);  // nothing played from there on
}

TEST_F(ScriptHostTest, AStatusOtherThanTheJournalsStopsThePlayAndAStatedFailureIsKept) {
  // A member that fails the way a builder's validation does.
  Script::Bind("Test.Failing", 0, "Validate", [](JAM::Call& call) { call.SetStatus(3030022); },
               Script::MemberSignature{});
  auto validate = [&](const char* ending) {
    return Read(std::string("record 0 get \"Session\" \"WorkPart\"\n"
                            "  result tag \"workpart\" \"Part\" 7\n"
                            "  closed 0\n"
                            "record 0 method \"Test.Failing\" \"Validate\"\n  ") +
                ending + "\n");
  };
  std::string error;
  int line = 0;
  EXPECT_FALSE(Script::Play(validate("closed 0"), &error, &line));
  EXPECT_EQ(error,
            "the call gave another status (expected 0 (success), found 3030022 (the relief profile has no closed loop))");
  EXPECT_EQ(line, 5);
  // A journal may state the failure it expects; open and failed records are
  // played without the check.
  EXPECT_TRUE(Script::Play(validate("closed 3030022"), &error)) << error;
  EXPECT_TRUE(Script::Play(validate("open"), &error)) << error;
  EXPECT_TRUE(Script::Play(validate("failed 65"), &error)) << error;
}

// A builder the player asks its class, as it asks a plug-in's: the copy of
// its name is an allocation of its own, which the failure switch counts.
class AskedBuilder : public JAX_BUILDER {
  KTX_HOST_OBJECT(AskedBuilder, "play_test::AskedBuilder")
 public:
  char* ask_journal_class_name() const override {
    char* name = SM_string_copy("Test.Asked");
    ++asked;  // after the copy, so that the copy is a call from here
    return name;
  }
  static inline int asked = 0;

 protected:
  AskedBuilder(int classId, void* context) : JAX_BUILDER(classId, context) {}
};
int AskedBuilder::ThisClassId = 0;
const bool kAskedBuilderRegistered = (Host::RegisterHostClass<AskedBuilder>(JAX_BUILDER::OmClassName), true);

tag_t askedBuilder = 0;
void makeAsked(JAM::Call&) {
  JAM_start_call(JAM_lookup_or_create_class("Test.Asked"), "Make", &makeAsked);
  JAM_result_tag(JAM_lookup_or_create_class("Test.Asked"), &askedBuilder, "builder");
  JAM_end_of_arguments();
  JAM_end_call(0);
}

// No memory while the player checks the object a record names stops the play
// at that record's line (5), not at the allocator's.
TEST_F(ScriptHostTest, NoMemoryWhileARecordsObjectIsCheckedStopsThePlayAtTheRecordsLine) {
  ASSERT_TRUE(kAskedBuilderRegistered);
  AskedBuilder* builder = Host::CreateHostObject<AskedBuilder>();
  askedBuilder = builder->OmTag();
  static const Script::ValueSignature made[] = {{JAM::Direction::Result, JAM::ValueKind::Tag, "Test.Asked", "builder"}};
  Script::Bind("Test.Asked", 0, "Make", &makeAsked, {0, made, 1});
  Script::Bind("Test.Other", 0, "Use", [](JAM::Call&) {}, {'t', nullptr, 0});
  const JAM::Journal journal = Read(
      "record 0 method \"Test.Asked\" \"Make\"\n"
      "  result tag \"builder\" \"Test.Asked\" 10\n"
      "  closed 0\n"
      "record 0 method \"Test.Other\" \"Use\"\n"
      "  this tag 10\n"
      "  closed 0\n");
  Failure::FailAt(Failure::kMemory, 1);
  std::string error;
  int line = 0;
  EXPECT_FALSE(Script::Play(journal, &error, &line));
  Failure::Off();
  EXPECT_EQ(Failure::FailedCall(), "SM_string_copy");
  EXPECT_EQ(error, "no memory (SM_string_copy)");
  EXPECT_EQ(line, 5);
  Script::UnbindPlugin();
  builder->destroy();
}

// A builder class with scripting defaults, and a collection whose "Make" is
// a registered creator and whose "Find" is not; both hand back a new builder
// of the class or, while `handOut` names one, that builder; "Split" makes one
// through "Make" inside its own call.
class DefaultedBuilder : public JAX_BUILDER {
  KTX_HOST_OBJECT(DefaultedBuilder, "play_test::DefaultedBuilder")
 public:
  char* ask_journal_class_name() const override { return SM_string_copy("Test.Defaulted"); }

 protected:
  DefaultedBuilder(int classId, void* context) : JAX_BUILDER(classId, context) {}
};
int DefaultedBuilder::ThisClassId = 0;
const bool kDefaultedRegistered = (Host::RegisterHostClass<DefaultedBuilder>(JAX_BUILDER::OmClassName), true);
std::vector<tag_t> defaulted, madeHere;
tag_t handOut = 0;
int makerStatus = 0;

template <bool Creator>
int makeDefaulted(tag_t edit, tag_t* made) {
  JAM_type_class_s* maker = JAM_lookup_or_create_class("Test.Maker");
  JAM_start_call(maker, Creator ? "Make" : "Find", nullptr);
  JAM_in_tag(JAM_lookup_or_create_class("TaggedObject"), &edit, "edit");
  JAM_result_tag(JAM_lookup_or_create_class("Test.Defaulted"), made, "builder");
  JAM_end_of_arguments();
  *made = handOut;
  if (*made == 0) madeHere.push_back(*made = Host::CreateHostObject<DefaultedBuilder>()->OmTag());
  JAM_end_call(makerStatus);
  return makerStatus;
}
template <bool Creator>
void replayMake(JAM::Call& c) {
  c.SetStatus(makeDefaulted<Creator>(*static_cast<tag_t*>(c.Argument(0)), static_cast<tag_t*>(c.Argument(1))));
}
void replaySplit(JAM::Call& c) {
  JAM_start_call(JAM_lookup_or_create_class("Test.Maker"), "Split", nullptr);
  JAM_end_of_arguments();
  tag_t made = 0;
  JAM_end_call(makeDefaulted<true>(0, &made));
  c.SetStatus(0);
}

TEST_F(ScriptHostTest, OnlyABuilderACreatorMadeInTheCallStartsFromItsClasssDefaults) {
  ASSERT_TRUE(kDefaultedRegistered);
  JAM_register_initialisation_function("Test.Defaulted",
                                       [](tag_t tag, bool apply) { if (apply) defaulted.push_back(tag); });
  JAM_register_creator_method_name("Test.Maker", "Make");
  static const Script::ValueSignature made[] = {{JAM::Direction::In, JAM::ValueKind::Tag, "TaggedObject", "edit"},
                                                {JAM::Direction::Result, JAM::ValueKind::Tag, "Test.Defaulted",
                                                 "builder"}};
  Script::Bind("Test.Maker", 0, "Make", &replayMake<true>, {0, made, 2});
  Script::Bind("Test.Maker", 0, "Find", &replayMake<false>, {0, made, 2});
  Script::Bind("Test.Maker", 0, "Split", &replaySplit, {0, nullptr, 0});
  const tag_t existing = Host::CreateHostObject<DefaultedBuilder>()->OmTag();
  struct Row {
    const char* what;
    const char* member;
    bool existing;  // the call hands back a builder made before it
    int edit;       // the journal's tag of an object to edit (7: the part), or 0
    int status;
    bool given;
  };
  const Row rows[] = {
      {"a creator's new builder", "Make", false, 0, 0, true},
      {"a creator handing back a builder made before", "Make", true, 0, 0, false},
      {"a new builder of a member that is no creator", "Find", false, 0, 0, false},
      {"a creator's builder opened on an object to edit", "Make", false, 7, 0, false},
      {"a creator that failed", "Make", false, 0, 3030022, false},
      {"a creator's new builder made inside another call", "Split", false, 0, 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    defaulted.clear();
    madeHere.clear();
    handOut = row.existing ? existing : 0;
    makerStatus = row.status;
    const std::string values = std::string(row.member) == "Split"
                                   ? ""
                                   : "  in tag \"edit\" \"TaggedObject\" " + std::to_string(row.edit) +
                                         "\n  result tag \"builder\" \"Test.Defaulted\" 10\n";
    std::string error;
    EXPECT_TRUE(Script::Play(Read(std::string(kPartAndBody) + "record 0 method \"Test.Maker\" \"" + row.member +
                                  "\"\n" + values + "  closed " + std::to_string(row.status) + "\n"),
                             &error))
        << error;
    ASSERT_EQ(madeHere.size(), row.existing ? 0u : 1u);
    EXPECT_EQ(defaulted, row.given ? madeHere : std::vector<tag_t>{});
    for (tag_t t : madeHere) dynamic_cast<JAX_BUILDER*>(OM::OM_object_of_tag(t))->destroy();
  }
  dynamic_cast<JAX_BUILDER*>(OM::OM_object_of_tag(existing))->destroy();
  Script::UnbindPlugin();
}

TEST_F(ScriptHostTest, NestedRecordsAreMadeAgainByTheirCallerAndAnUnboundMemberStops) {
  std::string text =
      "record 0 get \"Session\" \"WorkPart\"\n"
      "  result tag \"workpart\" \"Part\" 7\n"
      "  closed 0\n"
      "  record 1 method \"Nowhere\" \"Nothing\"\n"
      "    closed 0\n"
      "record 0 method \"Nowhere\" \"Nothing\"\n"
      "  closed 0\n";
  std::string error;
  EXPECT_FALSE(Script::Play(Read(text), &error));
  EXPECT_EQ(error, "nothing is bound to method \"Nowhere\" \"Nothing\"");
  EXPECT_EQ(JAM::Recorded().size(), 1u);
}

TEST_F(ScriptHostTest, ARecordLackingAValueItsMemberTakesIsNotPlayed) {
  // Its call would find no storage for the part it gives back.
  std::string error;
  EXPECT_FALSE(Script::Play(Read("record 0 get \"Session\" \"WorkPart\"\n  closed 0\n"), &error));
  EXPECT_EQ(error, "wrong number of values (expected 1, found 0)");
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(ScriptHostTest, ASectionTakesClosedAndOpenLoopsOfNewPointCurvesOnly) {
  SC_section* section = SC_sectionFactory::object(0, 0.01, 0.01, 0.5);
  const JAM_point3d_s points[3] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}};
  EXPECT_EQ(Script::Section_AddLoop(section, 2, 3, points), Script::kBadLoop);
  EXPECT_EQ(Script::Section_AddLoop(section, 0, 0, points), Script::kBadLoop);
  EXPECT_EQ(Script::Section_AddLoop(section, 0, 3, nullptr), Script::kBadLoop);
  EXPECT_TRUE(section->is_empty());
  EXPECT_EQ(Script::Section_AddLoop(section, 0, 3, points), 0);
  EXPECT_EQ(Script::Section_AddLoop(section, 1, 2, points), 0);
  int closed = 0, open = 0, crossing = 0;
  tag_t *a = nullptr, *b = nullptr, *c = nullptr;
  section->ask_loop_summary(&closed, &a, &open, &b, &crossing, &c);
  SM_free(a);
  SM_free(b);
  SM_free(c);
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(open, 1);
  // Recorded with the kind and the points as doubles.
  const JAM::Record& last = JAM::Recorded().back();
  ASSERT_EQ(last.values.size(), 2u);
  EXPECT_EQ(last.values[1].reals, (std::vector<double>{0, 0, 0, 1, 0, 0}));
  EXPECT_EQ(last.values[1].type, "Point3d");
}

TEST_F(ScriptHostTest, AFlatSheetNeedsACornerAndTheEndsOfTwoSidesNotOnALine) {
  const JAM_point3d_s onALine[3] = {{0, 0, 5}, {4, 0, 5}, {8, 0, 5}};
  const JAM_point3d_s four[4] = {{0, 0, 5}, {4, 0, 5}, {0, 3, 5}, {4, 3, 5}};
  for (const auto& [points, count] : {std::pair{four, 2}, std::pair{four, 4}, std::pair{onALine, 3}}) {
    tag_t body = 7;
    EXPECT_EQ(Script::Part_CreateSheetBody(part()->OmTag(), count, points, &body), Script::kBadLoop) << count;
    EXPECT_EQ(body, 0u) << count;
  }
  tag_t body = 0;
  ASSERT_EQ(Script::Part_CreateSheetBody(part()->OmTag(), 3, four, &body), 0);
  int count = 0;
  tag_t* faces = nullptr;
  ES_body_ask_faces(body, &count, &faces);
  SM_free(faces);
  EXPECT_EQ(count, 1);
}

TEST_F(ScriptHostTest, ASectionTakesAChainOfLinesAsOneLoopClosedBackToItsStartWhenAsked) {
  SC_section* section = SC_sectionFactory::object(0, 0.01, 0.01, 0.5);
  const JAM_point3d_s points[3] = {{0, 0, 0}, {3, 0, 0}, {3, 4, 0}};
  EXPECT_EQ(Script::Section_AddLines(section, 1, 1, points), Script::kBadLoop);
  EXPECT_EQ(Script::Section_AddLines(section, 2, 3, points), Script::kBadLoop);
  EXPECT_TRUE(section->is_empty());
  struct Row {
    int kind, count;
    double length;
  };
  for (const Row row : {Row{1, 2, 3}, Row{1, 3, 7}, Row{0, 3, 12}}) {
    SCOPED_TRACE(row.count);
    ASSERT_EQ(Script::Section_AddLines(section, row.kind, row.count, points), 0);
    const auto* loop = dynamic_cast<SC_loop*>(OM::OM_object_of_tag(section->ask_nth_loop(section->ask_loop_count() - 1)));
    ASSERT_NE(loop, nullptr);
    EXPECT_EQ(loop->ask_kind(), row.kind);
    int count = 0;
    tag_t* curves = nullptr;
    loop->ask_curves(&count, &curves);
    double length = 0;
    for (int i = 0; i < count; ++i) length += CURVE_ask_arc_length(curves[i]);
    SM_free(curves);
    EXPECT_DOUBLE_EQ(length, row.length);
  }
  EXPECT_EQ(JAM::Recorded().back().member, "AddLines");
}

// Clear empties a section of both its rules (as an edit reads a profile
// back) and its loops, their loop objects with them; undo brings each back.
TEST_F(ScriptHostTest, ClearEmptiesASectionOfRulesAndLoopsAndUndoBringsThemBack) {
  SC_section* section = SC_sectionFactory::object(0, 0.01, 0.01, 0.5);
  EXPECT_EQ(Script::Section_Clear(section), 0);  // empty: nothing to do
  const double a[3] = {0, 0, 0}, b[3] = {5, 0, 0};
  SC_input_data* data = SC_init_input_data(SC_section::kCurveRule);
  data->entities = {ES_create_line_in_part(nullptr, a, b)};
  const int kind = SC_section::kCurveRule;
  ASSERT_EQ(section->add_rules(1, &kind, &data, 0, 0, 0, 0, true), 0);
  SC_free_input_data(data);
  const JAM_point3d_s points[3] = {{0, 0, 0}, {3, 0, 0}, {3, 4, 0}};
  ASSERT_EQ(Script::Section_AddLines(section, 0, 3, points), 0);
  ASSERT_EQ(Script::Section_AddLoop(section, 1, 2, points), 0);
  const tag_t loops[2] = {section->ask_nth_loop(0), section->ask_nth_loop(1)};
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, nullptr, &error);
  EXPECT_EQ(Script::Section_Clear(section), 0);
  EXPECT_EQ(JAM::Recorded().back().member, "Clear");
  EXPECT_TRUE(section->is_empty());
  EXPECT_EQ(section->ask_loop_count(), 0);
  EXPECT_TRUE(section->ask_rule_entities().empty());
  for (tag_t loop : loops) EXPECT_EQ(OM::OM_object_of_tag(loop), nullptr);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  EXPECT_EQ(section->ask_rule_entities().size(), 1u);
  EXPECT_EQ(section->ask_count(), 5);  // the loops' three lines and two points
  ASSERT_EQ(section->ask_loop_count(), 2);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(section->ask_nth_loop(i), loops[i]);
    EXPECT_NE(OM::OM_object_of_tag(loops[i]), nullptr);
  }
}

TEST_F(ScriptHostTest, CommitTakesOnlyWhatValidatesAndPreviewNeedsAClassPreview) {
  auto* builder = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
  tag_t feature = 99;
  EXPECT_EQ(Script::Builder_Commit(builder, &feature), 3030022);  // no closed loop
  EXPECT_EQ(feature, 0u);
  EXPECT_EQ(JAM::Recorded().back().status, 3030022);
  for (tag_t t : Host::KeptInPart(part())) EXPECT_EQ(dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)), nullptr);

  // Until the dialogs' previews are loaded, no class has one.
  int count = -1;
  EXPECT_EQ(Script::Builder_Preview(builder, &count), Script::kNoPreview);
  EXPECT_EQ(count, 0);
  void* previews = dlopen(KTXHOST_PREVIEWS, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(previews, nullptr) << dlerror();
  auto previewer = reinterpret_cast<Script::Previewer>(dlsym(previews, "KTXHOST_preview"));
  ASSERT_NE(previewer, nullptr);
  Script::SetPreviewer(previewer);

  // The cast relief's own preview is run: nothing to cut, nothing made.
  count = -1;
  EXPECT_EQ(Script::Builder_Preview(builder, &count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(Script::Builder_Destroy(builder), 0);

  DieDes::DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, false);
  EXPECT_EQ(Script::Builder_Preview(plane, &count), Script::kNoPreview);
  EXPECT_EQ(Script::Builder_Destroy(plane), 0);
  Script::SetPreviewer(nullptr);
  dlclose(previews);

  SELECT_OBJECT* selection = SELECT_OBJECTFactory::Create(part());
  EXPECT_EQ(Script::Builder_Commit(selection, &feature), Script::kNotABuilder);
}

TEST_F(ScriptHostTest, ThePrintedPartListsFeaturesThenBodies) {
  tag_t body = 0;
  ASSERT_EQ(Script::Part_CreateSolidBody(part()->ask_tag(), &body), 0);
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), nullptr);
  const std::string p = std::to_string(part()->ask_tag());
  EXPECT_EQ(Script::DescribePart(part()), "part " + p + " millimetre\nfeature " + std::to_string(frec->ask_tag()) +
                                              " (no parameters)\n  body 0\n  updates 0\nbody " +
                                              std::to_string(body) + " solid\n");
}

TEST_F(ScriptHostTest, APrintedBodyWithGeometryGivesItsVolumeAndBox) {
  const double square[] = {0, 0, 0, 100, 0, 0, 100, 50, 0, 0, 50, 0, 0, 0, 0};
  const tag_t curve = ES_create_polyline(5, square);
  const double point[3] = {0, 0, -10}, up[3] = {0, 0, 1}, path[3] = {0, 0, 0.04};
  int sheet = 0;
  ASSERT_EQ(DIEDES_UTILS__bplane_from_curves(1, &curve, point, up, 0.01, &sheet, nullptr, nullptr), 0);
  ZV_TOPOL_track_r_t tracking;
  ASSERT_EQ(ZV_BODY_sweep(sheet, path, &tracking), 0);
  ZV_TOPOL_track_r_f(&tracking);
  const tag_t body = ES_create_solid(sheet);
  const std::string text = Script::DescribePart(part());
  EXPECT_NE(text.find("body " + std::to_string(body) + " solid volume 200000 mm3 box 0 0 -10 100 50 30 mm\n"),
            std::string::npos)
      << text;
  EXPECT_EQ(Script::GeometryBodies(part()), std::vector<int>{sheet});
}

// ---- ktxhost play ------------------------------------------------------------------------

using Outcome = stamvik_test::CommandRun;

const std::filesystem::path kExamples = std::filesystem::path(STAMVIK_TEST_DATA) / ".." / ".." / "examples";

// The example journals name their files relative to the working directory
// (their inputs under examples/, the size file a manikin saves): the plays
// run in a directory of this run's own holding copies of the inputs, so
// that nothing they write lands where the suite was started.
const std::filesystem::path& PlayFolder() {
  static const struct Folder {
    stamvik_test::ScratchFolder made{"play_test_cwd_"};
    std::filesystem::path path = made.Path();
    Folder() {
      std::filesystem::create_directories(path / "examples");
      for (const auto& entry : std::filesystem::directory_iterator(kExamples))
        if (entry.is_regular_file() && entry.path().extension() == ".txt")
          std::filesystem::copy_file(entry.path(), path / "examples" / entry.path().filename(),
                                     std::filesystem::copy_options::overwrite_existing);
    }
  } folder;
  return folder.path;
}

// The temporary files (NAME.tmp-...) the plays' writes left there.
std::vector<std::string> TemporariesLeft() {
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(PlayFolder()))
    if (entry.path().filename().string().find(".tmp-") != std::string::npos)
      left.push_back(entry.path().lexically_relative(PlayFolder()).string());
  return left;
}

// A play of ktxhost in the play folder, its standard error dropped: the
// journal, then the options.
Outcome PlayInFolder(const std::filesystem::path& journal, std::vector<std::string> options) {
  stamvik_test::CommandOptions in;
  in.folder = PlayFolder().string();
  options.insert(options.begin(), {KTXHOST_PROGRAM, "play", journal.string()});
  options.insert(options.end(), {"--plugin", STAMVIK_PLUGIN});
  return stamvik_test::RunCommand(options, in);
}

// ktxhost's error output for a play of the journal with KTX_FAIL set as
// given (nullptr: left as it is), in the folder given (empty: the suite's
// own), its standard output dropped or (`withOutput`) before it.
Outcome PlayFailing(const std::filesystem::path& journal, const char* setting, const std::string& folder = "",
                    bool withOutput = false) {
  stamvik_test::CommandOptions options;
  options.folder = folder;
  if (setting != nullptr) options.environment = {std::string("KTX_FAIL=") + setting};
  options.outputDropped = !withOutput;
  options.errorsWithOutput = withOutput;
  Outcome run = stamvik_test::RunCommand({KTXHOST_PROGRAM, "play", journal.string(), "--plugin", STAMVIK_PLUGIN}, options);
  if (!withOutput) run.out = std::move(run.err);
  return run;
}

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

std::vector<std::filesystem::path> Examples() {
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(kExamples))
    if (entry.is_regular_file() && entry.path().extension() == ".jou") files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::string Play(const std::filesystem::path& journal, const std::filesystem::path& record, Outcome* run) {
  *run = PlayInFolder(journal, {"--raw", "--record", record.string()});
  return run->out;
}

TEST(KtxhostPlay, EveryExamplePlaysAndItsRecordedJournalIsAFixedPoint) {
  std::vector<std::filesystem::path> examples = Examples();
  ASSERT_GE(examples.size(), 2u);
  const stamvik_test::ScratchFolder folder("play_test_");
  const std::filesystem::path& scratch = folder.Path();
  for (const std::filesystem::path& example : examples) {
    SCOPED_TRACE(example.filename().string());
    Outcome first, second;
    const std::filesystem::path out = scratch / "out.jou", out2 = scratch / "out2.jou";
    Play(example, out, &first);
    EXPECT_EQ(first.status, 0);
    EXPECT_EQ(TemporariesLeft(), std::vector<std::string>{}) << "a write left its temporary file";
    if (first.status != 0) continue;
    Play(out, out2, &second);
    EXPECT_EQ(second.status, 0);
    if (second.status != 0) continue;
    const std::string recorded = FileText(out);
    EXPECT_EQ(FileText(out2), recorded);
    EXPECT_EQ(second.out, first.out);

    // Every played call was journalled again, once, as an outermost record.
    JAM::Journal given = JAM::ReadJournal(FileText(example));
    JAM::Journal again = JAM::ReadJournal(recorded);
    auto outermost = [](const JAM::Journal& j) {
      std::vector<std::string> members;
      for (const JAM::Record& r : j)
        if (r.depth == 0) members.push_back(r.journalClass + " " + r.member);
      return members;
    };
    EXPECT_EQ(outermost(again), outermost(given));
    // What the part then holds.
    const std::filesystem::path golden =
        std::filesystem::path(STAMVIK_TEST_DATA) / ("play_" + example.stem().string() + ".txt");
    EXPECT_EQ(first.out, FileText(golden));
  }
}

// The volumes a printed part gives its bodies with geometry, in order.
std::vector<double> PrintedVolumes(const std::string& printed) {
  std::vector<double> volumes;
  for (std::size_t at = printed.find(" volume "); at != std::string::npos; at = printed.find(" volume ", at + 1))
    volumes.push_back(std::stod(printed.substr(at + 8)));
  return volumes;
}

TEST(KtxhostPlay, StepFileOfAnExampleReadsBackAsItsBodiesSolids) {
  const stamvik_test::ScratchFolder folder("play_step_");
  const std::filesystem::path& scratch = folder.Path();
  int withGeometry = 0;
  for (const std::filesystem::path& example : Examples()) {
    SCOPED_TRACE(example.filename().string());
    const std::filesystem::path step = scratch / "out.stp";
    Outcome run = PlayInFolder(example, {"--raw", "--step", step.string()});
    const std::vector<double> printed = PrintedVolumes(run.out);
    // No body with geometry: the part is printed and the play fails.
    EXPECT_EQ(run.status, printed.empty() ? 1 : 0);
    EXPECT_NE(run.out.find("part "), std::string::npos);
    if (printed.empty()) continue;
    ++withGeometry;
    std::vector<int> solids;
    const int read = Kernel::ReadStep(step.string(), &solids);
    EXPECT_EQ(read, 0);
    EXPECT_EQ(solids.size(), printed.size());
    if (read != 0 || solids.size() != printed.size()) {
      for (int solid : solids) Kernel::DeleteBody(solid, "test");
      continue;
    }
    const double k = Kernel::ScaleFactors().factors[1];
    for (std::size_t i = 0; i < solids.size(); ++i) {
      EXPECT_NEAR(Kernel::Volume(solids[i]) * k * k * k / printed[i], 1.0, 1e-5);
      Kernel::DeleteBody(solids[i], "test");
    }
  }
  if (withGeometry == 0) GTEST_SKIP() << "no example makes a body with geometry";
}

TEST(KtxhostPlay, TheEditedDieShoeIsBuiltWithItsThinnerDeck) {
  // Flange 1000 x 800 x 45; deck 600 x 400 up to 250; the cavity inside
  // 45 walls (510 x 310) open from below up to the deck of 30 (z 220):
  // 1000*800*45 + 600*400*205 - 510*310*220 mm3.
  const double want = 3.6e7 + 4.92e7 - 3.4782e7;
  const std::filesystem::path step = stamvik_test::ProcessScratch().Path() / "play_shoe.stp";
  Outcome run = PlayInFolder(kExamples / "die_shoe.jou", {"--raw", "--step", step.string()});
  ASSERT_EQ(run.status, 0) << run.out;
  const std::vector<double> printed = PrintedVolumes(run.out);
  ASSERT_EQ(printed.size(), 1u);
  EXPECT_NEAR(printed[0] / want, 1.0, 1e-5);
  std::vector<int> solids;
  ASSERT_EQ(Kernel::ReadStep(step.string(), &solids), 0);
  std::filesystem::remove(step);
  ASSERT_EQ(solids.size(), 1u);
  const double k = Kernel::ScaleFactors().factors[1];
  EXPECT_NEAR(Kernel::Volume(solids[0]) * k * k * k / want, 1.0, 1e-6);
  struct Probe {
    double x, y, z;
    Kernel::Containment where;
  } probes[] = {{0, 0, 235, Kernel::Containment::In},    // in the deck of 30
                {0, 0, 215, Kernel::Containment::Out},   // under it: was deck while it was 45
                {280, 0, 215, Kernel::Containment::In},  // in a wall
                {0, 0, 30, Kernel::Containment::Out}};   // the cavity opens through the flange
  for (const Probe& p : probes) {
    const double at[3] = {p.x / k, p.y / k, p.z / k};
    EXPECT_EQ(Kernel::Classify(solids[0], at), p.where) << p.x << " " << p.y << " " << p.z;
  }
  Kernel::DeleteBody(solids[0], "test");
}

TEST(KtxhostPlay, EveryCreatorOfTheDieCollectionIsBoundAndPlays) {
  // Each of the 39 creators once, with every shape of arguments the
  // collection has, then each builder destroyed.
  const std::filesystem::path journal = std::filesystem::path(STAMVIK_TEST_DATA) / "play_every_creator.jou";
  const stamvik_test::ScratchFolder folder("play_creators_");
  const std::filesystem::path& scratch = folder.Path();
  Outcome first, second;
  Play(journal, scratch / "out.jou", &first);
  ASSERT_EQ(first.status, 0);
  Play(scratch / "out.jou", scratch / "out2.jou", &second);
  ASSERT_EQ(second.status, 0);
  EXPECT_EQ(FileText(scratch / "out2.jou"), FileText(scratch / "out.jou"));
  JAM::Journal recorded = JAM::ReadJournal(FileText(scratch / "out.jou"));
  std::set<std::string> members;
  std::set<long long> builders;
  for (const JAM::Record& r : recorded) {
    if (r.journalClass != "Die.DieCollection") continue;
    EXPECT_EQ(r.status, 0) << r.member;
    members.insert(r.member);
    builders.insert(r.values.back().integer);
  }
  EXPECT_EQ(members.size(), 39u);
  EXPECT_EQ(builders.size(), 39u);
  EXPECT_EQ(builders.count(0), 0u);
  // Nothing was committed: the part holds no feature.
  EXPECT_EQ(first.out.find("feature"), std::string::npos);
}

TEST(KtxhostPlay, APartClosedWithABuilderStillOpenTakesItAndWhatItOwnsDown) {
  // The die shoe example up to its second commit: the shoe is left open for
  // editing, with a boolean item whose selection list was made after the list
  // that owns the item. Closing the part must not reach that selection after
  // it is gone (under the sanitizers such a read fails the run).
  const stamvik_test::ScratchFolder folder("play_open_");
  const std::filesystem::path& scratch = folder.Path();
  std::string text = FileText(kExamples / "die_shoe.jou");
  const std::size_t lastCommit = text.rfind("record 0 method \"Builder\" \"Commit\"");
  ASSERT_NE(lastCommit, std::string::npos);
  std::ofstream(scratch / "open.jou") << text.substr(0, lastCommit);
  Outcome run;
  Play(scratch / "open.jou", scratch / "out.jou", &run);
  EXPECT_EQ(run.status, 0);
}

TEST(KtxhostPlay, WhatTheHostShowsAndTheFailureSwitchFromTheEnvironmentAreOnTheErrorOutput) {
  const stamvik_test::ScratchFolder folder("play_shown_");
  const std::filesystem::path& scratch = folder.Path();
  // A manikin builder asked to open a size file that is not there: the host's
  // note and dialogs, at the line of the record that opened it.
  std::string text = FileText(kExamples / "manikin_size_file.jou");
  const std::size_t firstLength = text.find("\n# The eight lengths");
  ASSERT_NE(firstLength, std::string::npos);
  std::ofstream(scratch / "missing.jou") << text.substr(0, firstLength + 1)
                                         << "record 0 method \"Features.ManikinBuilder\" \"OpenFromFile\"\n"
                                            "  this ptr 10\n  in string \"filename\" - \"no_such_sizes.hsd\"\n"
                                            "  closed 3770426\n";
  const int openLine = 1 + static_cast<int>(std::count(text.begin(), text.begin() + firstLength + 1, '\n'));
  const std::string missing = (scratch / "missing.jou").string();
  const std::string at = missing + ":" + std::to_string(openLine) + ": ";
  const std::string cast = (kExamples / "cast_relief.jou").string();
  struct Row {
    const char* setting;  // KTX_FAIL, null: unset
    std::string journal;
    int status;
    std::vector<std::string> shown;  // each on the error output
  };
  const Row rows[] = {
      {nullptr, missing, 0,
       {at + "error: size definition error -1: no_such_sizes.hsd\n",
        at + "note: The File no_such_sizes.hsd can not open or not found.\n",
        at + "error: Invalid Input File: Error existing in reading from file."}},
      // The first call finds the journal class of the first record (line 11).
      {"hostcall:1", cast, 1,
       {"ktxhost: KTX_FAIL: call 1 failed: JAM_lookup_or_create_class\n",
        cast + ":11: the call gave another status (expected 0 (success), found 840007"}},
      {"memory+kernel+record+mark+hostcall:999999999", cast, 0, {"counted calls; none failed\n"}},
      {"all:999999999", cast, 0, {"counted calls; none failed\n"}},
      {"hostcall", cast, 2, {"KTX_FAIL=hostcall: no ':N'"}},
      {"disk:3", cast, 2, {"unknown facility 'disk'"}},
      {"hostcall+:3", cast, 2, {"unknown facility ''"}},
      {"hostcall:0", cast, 2, {"'0' is no call number"}},
      {"hostcall:-1", cast, 2, {"'-1' is no call number"}},
      {"kernel:3x", cast, 2, {"'3x' is no call number"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.setting != nullptr ? row.setting : "unset");
    const stamvik_test::CommandRun run = PlayFailing(row.journal, row.setting);
    EXPECT_EQ(run.status, row.status) << run.out;
    for (const std::string& shown : row.shown) EXPECT_NE(run.out.find(shown), std::string::npos) << run.out;
  }
  // Unset, a play that shows nothing prints nothing there.
  EXPECT_EQ(PlayFailing(cast, nullptr).out, "");

  // The trace: the switch's count at each call named, the call itself
  // counted; failed at that count, the call named is the one that fails.
  const std::string punch = (kExamples / "draw_punch.jou").string();
  const std::string step = punch + ":118: KTX_FAIL: 198 counted: mtStatusAreaImmediate Process input curves successfully.\n";
  const struct {
    const char* setting;
    const char* trace;
    int status;
    std::string shown;
  } traces[] = {
      {"hostcall:999999999", "mtStatusAreaImmediate", 0, step},
      {"hostcall:999999999", "ABORT_ask_flag_status+mtStatusAreaImmediate", 0, step},
      {"hostcall:198", "mtStatusAreaImmediate", 1, "ktxhost: KTX_FAIL: call 198 failed: mtStatusAreaImmediate\n"},
      {nullptr, "mtStatusAreaImmediate", 2, "KTX_FAIL_TRACE=mtStatusAreaImmediate is given without KTX_FAIL"},
      {"hostcall:1", "mtStatusAreaImmediate++ABORT_ask_flag_status", 2, "a call's name is empty"},
  };
  for (const auto& row : traces) {
    SCOPED_TRACE(std::string(row.setting != nullptr ? row.setting : "unset") + ", traced " + row.trace);
    stamvik_test::CommandOptions options;
    options.outputDropped = true;
    options.environment = {std::string("KTX_FAIL_TRACE=") + row.trace};
    if (row.setting != nullptr) options.environment.push_back(std::string("KTX_FAIL=") + row.setting);
    const Outcome run = stamvik_test::RunCommand({KTXHOST_PROGRAM, "play", punch, "--plugin", STAMVIK_PLUGIN}, options);
    EXPECT_EQ(run.status, row.status) << run.err;
    EXPECT_NE(run.err.find(row.shown), std::string::npos) << run.err;
    // Failed there, the call is not traced.
    if (row.status == 1) {
      EXPECT_EQ(run.err.find(" counted: "), std::string::npos) << run.err;
    }
  }
}

// A journal that names more builders than the player keeps entries for
// (each made and destroyed under a tag of its own), then one of them again:
// a tag whose object is gone is still told as gone, whether its entry was let
// go long before (the first) or not (the last), and a tag no record made as
// such.
TEST(KtxhostPlay, ATagWhoseObjectWentLongAgoIsStillToldAsGone) {
  constexpr int kBuilders = 1100;
  const stamvik_test::ScratchFolder folder("play_gone_");
  const std::filesystem::path& scratch = folder.Path();
  struct Row {
    int tag;
    const char* shown;
  };
  const Row rows[] = {
      {100, "the object of tag 100 is gone"},
      {100 + kBuilders - 1, "the object of tag 1199 is gone"},
      {99, "tag 99 names no object an earlier record made"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.tag);
    const std::filesystem::path journal = scratch / "gone.jou";
    {
      std::ofstream out(journal);
      out << "journal 1\n"
             "record 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
             "record 0 get \"Part\" \"DieCollection\"\n  this tag 1\n"
             "  result tag \"diecollection\" \"Die.DieCollection\" 1\n  closed 0\n";
      for (int i = 0; i < kBuilders; ++i)
        out << "record 0 method \"Die.DieCollection\" \"CastRelief\"\n  this tag 1\n"
               "  in tag \"castRelief\" \"Die.CastRelief\" 0\n"
               "  result tag \"builder\" \"Die.CastReliefBuilder\" "
            << 100 + i
            << "\n  closed 0\n"
               "record 0 method \"Builder\" \"Destroy\"\n  this ptr "
            << 100 + i << "\n  closed 0\n";
      out << "record 0 method \"Builder\" \"Destroy\"\n  this ptr " << row.tag << "\n  closed 0\n";
    }
    const stamvik_test::CommandRun run = PlayFailing(journal, nullptr);
    EXPECT_EQ(run.status, 1) << run.out;
    EXPECT_NE(run.out.find(row.shown), std::string::npos) << run.out;
  }
}

TEST(KtxhostPlay, AJournalThatDoesNotPlayFailsAndPrintsNoPart) {
  const stamvik_test::ScratchFolder folder("play_bad_");
  const std::filesystem::path& scratch = folder.Path();
  std::ofstream(scratch / "bad.jou") << "journal 1\nrecord 0 get \"Session\" \"WorkPart\"\n"
                                        "  result tag \"workpart\" \"Part\" 1\n  closed 5\n";
  std::ofstream(scratch / "text.jou") << "journal 1\nrecord zero\n";
  Outcome run;
  Play(scratch / "bad.jou", scratch / "out.jou", &run);
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  // What was recorded up to the failure is still written.
  EXPECT_NE(FileText(scratch / "out.jou").find("\"WorkPart\""), std::string::npos);
  Play(scratch / "text.jou", scratch / "out2.jou", &run);
  EXPECT_EQ(run.status, 1);
  EXPECT_FALSE(std::filesystem::exists(scratch / "out2.jou"));
}

// ---- what a script gives reaches the feature -----------------------------------------------

// A scratch folder of the test's own (a name no other user can guess), gone with it.
struct Scratch {
  stamvik_test::ScratchFolder made{"play_given-"};
  std::filesystem::path path = made.Path();
};

std::string Example(const char* name) { return FileText(kExamples / name); }

// A journal with records put in before the first line starting `before` (cut
// there when records is empty), its commit of the builder `committed`
// expecting the status `commitStatus`.
std::string Given(std::string text, const std::string& before, const std::string& records,
                  const std::string& committed = "10", int commitStatus = 0) {
  const std::size_t at = text.find(before);
  EXPECT_NE(at, std::string::npos) << before;
  if (at == std::string::npos) return text;
  text = records.empty() ? text.substr(0, at) : text.insert(at, records);
  const std::string commit = "record 0 method \"Builder\" \"Commit\"\n  this ptr " + committed + "\n";
  const std::size_t c = text.find(commit);
  EXPECT_NE(c, std::string::npos);
  if (c != std::string::npos) {
    const std::size_t closed = text.find("  closed 0\n", c);
    text.replace(closed, 11, "  closed " + std::to_string(commitStatus) + "\n");
  }
  return text;
}

// The journal played and recorded: what it printed and what it recorded.
std::string PlayGiven(const Scratch& scratch, const std::string& journal, Outcome* run, JAM::Journal* recorded) {
  std::ofstream(scratch.path / "given.jou", std::ios::binary) << journal;
  Play(scratch.path / "given.jou", scratch.path / "out.jou", run);
  *recorded = run->status == 0 ? JAM::ReadJournal(FileText(scratch.path / "out.jou")) : JAM::Journal{};
  return run->out;
}

// What the last record of the member handed back, as numbers.
std::vector<double> LastResult(const JAM::Journal& journal, const std::string& member) {
  for (auto r = journal.rbegin(); r != journal.rend(); ++r)
    if (r->journalClass + " " + r->member == member && !r->values.empty()) {
      const JAM::Value& v = r->values.back();
      if (v.kind == JAM::ValueKind::Struct) return v.reals;
      return {v.kind == JAM::ValueKind::Double ? v.real : static_cast<double>(v.integer)};
    }
  return {};
}

std::string Record(const std::string& kind, const std::string& journalClass, const std::string& member,
                   const std::string& object, const std::string& values) {
  return "record 0 " + kind + " \"" + journalClass + "\" \"" + member + "\"\n  this " + object + "\n" + values +
         "  closed 0\n";
}
std::string Result(const std::string& kind, const std::string& name, const std::string& type, int tag) {
  return "  result " + kind + " \"" + name + "\" \"" + type + "\" " + std::to_string(tag) + "\n";
}
// The list's item at the index looked up (as the journal's tag 70), nothing set.
std::string LookUp(int list, int index) {
  return Record("method", "ObjectList", "FindItem", "tag " + std::to_string(list),
                "  in int \"index\" - " + std::to_string(index) + "\n" + Result("tag", "object", "TaggedObject", 70));
}
// The looked-up segment's female left radius read back.
const std::string kReadRadius =
    Record("get", "Die.DrawBeadSegmentBuilder", "FemaleLeftRadius", "ptr 70",
           Result("ptr", "femaleleftradius", "Expression", 71)) +
    Record("get", "Expression", "Value", "ptr 71", "  result double \"value\" - 0\n");
// A builder's location list (journal's tag 73) reached through its locations.
std::string LocationList(int builder) {
  return Record("get", "Die.ClampingSlotBuilder", "Locations", "ptr " + std::to_string(builder),
                Result("ptr", "locations", "Die.DieLocationsBuilder", 72)) +
         Record("get", "Die.DieLocationsBuilder", "List", "ptr 72",
                Result("ptr", "list", "Die.DieLocationBuilderList", 73));
}
// The looked-up location's type and origin read back.
const std::string kReadLocation =
    Record("get", "Die.DieLocationBuilder", "InputType", "ptr 70",
           "  result enum \"inputtype\" \"Die.DieLocationBuilder.LocationType\" 0\n") +
    Record("get", "Die.DieLocationBuilder", "CoordinateSystemOrigin", "ptr 70",
           "  result struct \"coordinatesystemorigin\" \"Point3d\" 3 0 0 0\n");

TEST(KtxhostPlay, AListItemLookedUpKeepsWhatTheScriptGaveIt) {
  // A lookup gives nothing its class's scripting defaults: each segment keeps
  // the section the split example gave it (female radii 1, male widths 4, top
  // radii 1, height 3; the sheet radii 3 and transition 25 are the defaults its
  // creation gave), where the defaults are 3 3 5 3 3 5 3 3 8 25; the clamping
  // slot's location keeps its coordinate system (type 2) at 300 0 10, which a
  // selection (type 0, the default) would refuse with 3030432.
  const std::string kSection = "entity 1 expressions 1 1 4 1 3 4 1 3 3 25";
  const std::string kBeadCommit = "# Committed: the male feature is 50.";
  const std::string kBeadEditCommit = "record 0 method \"Builder\" \"Commit\"\n  this ptr 60";
  const std::string kSegmentsInEdit =
      Record("get", "Die.DrawBeadBuilder", "SegmentList", "ptr 60",
             Result("ptr", "segmentlist", "Die.DrawBeadSegmentBuilderList", 62));
  struct Row {
    const char* what;
    std::string journal;
    std::string printed;  // a line the printed part holds
    std::vector<std::pair<std::string, std::vector<double>>> read;  // members read back last, their values
  };
  const std::vector<std::pair<std::string, std::vector<double>>> kRadius = {{"Expression Value", {1}}};
  const std::vector<std::pair<std::string, std::vector<double>>> kLocation = {
      {"Die.DieLocationBuilder InputType", {2}}, {"Die.DieLocationBuilder CoordinateSystemOrigin", {300, 0, 10}}};
  const Row rows[] = {
      {"segment 0 before the commit", Given(Example("draw_bead_split.jou"), kBeadCommit, LookUp(12, 0) + kReadRadius),
       "segment 0 " + kSection, kRadius},
      {"segment 1 before the commit", Given(Example("draw_bead_split.jou"), kBeadCommit, LookUp(12, 1) + kReadRadius),
       "segment 1 " + kSection, kRadius},
      {"segment 2 before the commit", Given(Example("draw_bead_split.jou"), kBeadCommit, LookUp(12, 2) + kReadRadius),
       "segment 2 " + kSection, kRadius},
      {"segment 1 in the edit",
       Given(Example("draw_bead_split.jou"), kBeadEditCommit, kSegmentsInEdit + LookUp(62, 1) + kReadRadius),
       "segment 1 " + kSection, kRadius},
      {"the clamping slot's location before the commit",
       Given(Example("clamping_slot.jou"), "record 0 method \"Builder\" \"Preview\"", LocationList(10) + LookUp(73, 0) +
                                                                              kReadLocation),
       " ClampingSlot\n", kLocation},
      {"the clamping slot's location in the edit",
       Given(Example("clamping_slot.jou"), "record 0 method \"Builder\" \"Commit\"\n  this ptr 30",
             LocationList(30) + LookUp(73, 0) + kReadLocation, "30"),
       " ClampingSlot\n", kLocation},
  };
  Scratch scratch;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Outcome run;
    JAM::Journal recorded;
    const std::string printed = PlayGiven(scratch, row.journal, &run, &recorded);
    EXPECT_EQ(run.status, 0) << printed;
    EXPECT_NE(printed.find(row.printed), std::string::npos) << printed;
    for (const auto& [member, value] : row.read) EXPECT_EQ(LastResult(recorded, member), value) << member;
  }
}

// Records giving the bead's start or end point (the journal's tags 74 to 76)
// at a point "x y z", one way: a coordinate system of its own (its type, then
// its origin; or its origin first), a coordinate system or a point selected,
// a new point or a new plane.
std::string GivePoint(const std::string& bead, const std::string& which, const std::string& way,
                      const std::string& at) {
  std::string name = which;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  const std::string location =
      Record("get", "Die.DrawBeadBuilder", which, "ptr " + bead, Result("ptr", name, "Die.DieLocationBuilder", 74));
  auto set = [](const std::string& member, const std::string& value) {
    return Record("set", "Die.DieLocationBuilder", member, "ptr 74", "  in " + value + "\n");
  };
  auto type = [&](int t) { return set("InputType", "enum \"inputtype\" \"Die.DieLocationBuilder.LocationType\" " + std::to_string(t)); };
  const std::string origin = set("CoordinateSystemOrigin", "struct \"coordinatesystemorigin\" \"Point3d\" 3 " + at);
  auto entity = [](const std::string& member, const std::string& result, const std::string& points) {
    return Record("method", "Part", member, "tag 1",
                  "  in struct-array \"points\" \"Point3d\" " + points + "\n  result tag " + result + " 75\n");
  };
  const std::string point = entity("CreatePoint", "\"point\" \"Point\"", "3 " + at);
  const std::string nearStart = set("CoordinateSystemOrigin", "struct \"coordinatesystemorigin\" \"Point3d\" 3 5 0 0");
  if (way == "origin") return location + type(2) + origin;
  if (way == "origin first") return location + origin + type(2);
  // (5,0,0) first, then the point: the path is short in between.
  if (way == "origin, type, origin") return location + nearStart + type(2) + origin;
  if (way == "origin moved") return location + type(2) + nearStart + origin;
  if (way == "new point") return location + point + type(1) + set("Point", "tag \"point\" \"Point\" 75");
  if (way == "new plane")
    return location + entity("CreatePlane", "\"plane\" \"Plane\"", "6 " + at + " 1 0 0") + type(4) +
           set("Plane", "tag \"plane\" \"Plane\" 75");
  const std::string selected =
      way == "coordinate system" ? entity("CreateCoordinateSystem", "\"csys\" \"CoordinateSystem\"", "6 " + at + " 0 0 1")
                                 : point;
  return location + selected +
         Record("get", "Die.DieLocationBuilder", "Location", "ptr 74",
                Result("ptr", "location", "SelectBrenvikObject", 76)) +
         Record("set", "SelectObject", "Value", "ptr 76", "  in tag \"value\" \"TaggedObject\" 75\n");
}

using stamvik_test::SegmentPositions;

TEST(KtxhostPlay, ADrawBeadsPointsTrimItsPathHoweverTheScriptGivesThem) {
  // The split example's centreline runs (0,0,0) (10,0,0) (10,20,0) (40,20,0):
  // 10 + 20 + 30 = 60. An end point at (25,20,0) lies 15 along the third
  // line: the path is trimmed to 0..45. Split after that, its curves start
  // at 0, 10 and 30; each segment but the last ends the clearance 25 x 0.01
  // = 0.25 before the next starts: 0 9.75 | 10 29.75 | 30 45. Split before,
  // the segments keep their places and the last end, 60, is pulled back to
  // the path's length, 45. A start point at (5,0,0) leaves 5..60, 55 long,
  // its curves starting at 0 (the path's start), 10 - 5 and 30 - 5: split
  // after it 0 4.75 | 5 24.75 | 25 55; before it 60 is pulled back to 55. An
  // end point at the path's start leaves it no length: the commit is refused
  // with 3030305, as is a path no longer than the distance tolerance 0.01.
  const std::string kBefore = "# One segment per line.", kAfter = "# Male, female";
  const std::string kInEdit = "record 0 method \"Builder\" \"Commit\"\n  this ptr 60";
  const std::string kTrimmed = "0 9.75 | 10 29.75 | 30 45";
  const std::string created = Given(Example("draw_bead_split.jou"), "# Edit:", "");
  const std::string edited = Example("draw_bead_split.jou");
  struct Row {
    const char* way;
    const char* which;
    const char* at;
    const std::string* journal;
    const std::string* where;
    int status;  // of the commit the point comes before
    std::string positions;  // "-": not looked at
  };
  const Row rows[] = {
      {"coordinate system", "EndPoint", "25 20 0", &created, &kBefore, 0, kTrimmed},
      {"coordinate system", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      {"point", "EndPoint", "25 20 0", &created, &kBefore, 0, kTrimmed},
      {"point", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      {"new point", "EndPoint", "25 20 0", &created, &kBefore, 0, kTrimmed},
      {"new point", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      {"new plane", "EndPoint", "25 20 0", &created, &kBefore, 0, kTrimmed},
      {"new plane", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      {"origin", "EndPoint", "25 20 0", &created, &kBefore, 0, kTrimmed},
      {"origin first", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      // Whatever the order, and a path short while the point comes in: the
      // segments keep their places, fitted to the path the commit builds.
      {"origin", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      {"origin, type, origin", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      {"origin moved", "EndPoint", "25 20 0", &created, &kAfter, 0, kTrimmed},
      {"origin moved", "EndPoint", "25 20 0", &edited, &kInEdit, 0, kTrimmed},
      {"origin, type, origin", "EndPoint", "25 20 0", &edited, &kInEdit, 0, kTrimmed},
      {"coordinate system", "StartPoint", "5 0 0", &created, &kBefore, 0, "0 4.75 | 5 24.75 | 25 55"},
      {"coordinate system", "StartPoint", "5 0 0", &created, &kAfter, 0, "0 9.75 | 10 29.75 | 30 55"},
      {"point", "EndPoint", "0 0 0", &created, &kAfter, 3030305, ""},
      {"point", "EndPoint", "0.01 0 0", &created, &kAfter, 3030305, ""},
      {"point", "EndPoint", "0.02 0 0", &created, &kAfter, 0, "0 0.02 | 0.02 0.02 | 0.02 0.02"},
      // Given at create, the edit (output 1 only) keeps the trimmed path.
      {"point", "EndPoint", "25 20 0", &edited, &kAfter, 0, kTrimmed},
      {"point", "EndPoint", "25 20 0", &edited, &kInEdit, 0, kTrimmed},
      // Refused in the edit.
      {"point", "EndPoint", "0 0 0", &edited, &kInEdit, 3030305, "-"},
      // The start at (5,0,0) by its origin, the path 55 long in between.
      {"origin, type, origin", "StartPoint", "5 0 0", &created, &kAfter, 0, "0 9.75 | 10 29.75 | 30 55"},
  };
  Scratch scratch;
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << row.which << " " << row.way << " at " << row.at << " before "
                                    << *row.where << (row.journal == &edited ? " (edited)" : ""));
    const bool inEdit = row.where == &kInEdit;
    const std::string journal = Given(*row.journal, *row.where, GivePoint(inEdit ? "60" : "10", row.which, row.way, row.at),
                                      inEdit ? "60" : "10", row.status);
    Outcome run;
    JAM::Journal recorded;
    const std::string printed = PlayGiven(scratch, journal, &run, &recorded);
    EXPECT_EQ(run.status, 0) << printed;
    if (row.positions != "-") {
      EXPECT_EQ(SegmentPositions(printed), row.positions) << printed;
    }
  }
}

TEST(KtxhostPlay, ABeadsCentrelineGivenAgainInAnEditPlacesItsSegmentOnTheNewPath) {
  // Cleared, the centreline leaves one segment (0 9.75, as the split placed
  // it) on no path; given three lines again, the segment keeps its places on
  // the path it ends with: 0 9.75 on the same 60, 0 9 on 2 + 3 + 4 = 9
  // (its end fitted to the path at the commit), never the 0 1 of the line a
  // segment has while there is no path.
  const std::string kInEdit = "record 0 method \"Builder\" \"Commit\"\n  this ptr 60";
  auto givenAgain = [](const std::string& points) {
    return Record("get", "Die.DrawBeadBuilder", "Centerline", "ptr 60", Result("ptr", "centerline", "Section", 63)) +
           Record("method", "Section", "Clear", "ptr 63", "") +
           Record("method", "Section", "AddLines", "ptr 63",
                  "  in int \"kind\" - 1\n  in struct-array \"points\" \"Point3d\" 12 " + points + "\n");
  };
  const struct {
    const char* points;
    const char* positions;
  } rows[] = {
      {"0 0 0 10 0 0 10 20 0 40 20 0", "0 9.75"},
      {"0 0 0 2 0 0 2 3 0 6 3 0", "0 9"},
      {"0 0 0 20 0 0 20 5 0 20 5 7", "0 9.75"},
  };
  Scratch scratch;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.points);
    Outcome run;
    JAM::Journal recorded;
    const std::string printed =
        PlayGiven(scratch, Given(Example("draw_bead_split.jou"), kInEdit, givenAgain(row.points), "60"), &run, &recorded);
    EXPECT_EQ(run.status, 0) << printed;
    EXPECT_EQ(SegmentPositions(printed), row.positions) << printed;
  }
}

TEST(KtxhostPlay, ABeadsPlacesClampedByACommitStayInALaterEdit) {
  // Committed with its end at (25,20,0), the last segment is stored at 30 45.
  // An edit moving the end to the centreline's end (40,20,0) gives a path of
  // 60 again: the stored 45 stays (a commit fits places to a shorter path,
  // never back to a longer one); an edit giving the end nearer, (10,20,0),
  // fits them to 30: 0 9.75 | 10 29.75 | 30 30.
  const std::string kAfter = "# Male, female", kInEdit = "record 0 method \"Builder\" \"Commit\"\n  this ptr 60";
  const std::string committed = Given(Example("draw_bead_split.jou"), kAfter, GivePoint("10", "EndPoint", "point", "25 20 0"));
  const struct {
    const char* at;
    const char* positions;
  } rows[] = {{"40 20 0", "0 9.75 | 10 29.75 | 30 45"}, {"10 20 0", "0 9.75 | 10 29.75 | 30 30"}};
  Scratch scratch;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.at);
    Outcome run;
    JAM::Journal recorded;
    const std::string printed =
        PlayGiven(scratch, Given(committed, kInEdit, GivePoint("60", "EndPoint", "origin", row.at), "60"), &run, &recorded);
    EXPECT_EQ(run.status, 0) << printed;
    EXPECT_EQ(SegmentPositions(printed), row.positions) << printed;
  }
}

// Records moving segment `index` of the split example's list (tag 12) by its
// start or end location's value expression.
std::string MoveSegment(int index, const std::string& which, const std::string& to) {
  std::string name = which;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  return LookUp(12, index) +
         Record("get", "Die.DrawBeadSegmentBuilder", which, "ptr 70",
                Result("ptr", name, "GeometricUtilities.OnPathDimensionBuilder", 77)) +
         Record("get", "OnPathDimensionBuilder", "Expression", "ptr 77", Result("tag", "expression", "Expression", 78)) +
         Record("set", "Expression", "RightHandSide", "ptr 78", "  in string \"righthandside\" - \"" + to + "\"\n");
}

TEST(KtxhostPlay, ABeadSegmentMovedWhileThePathIsShortPushesItsNeighboursAsOnTheLongPath) {
  // After the split (0 9.75 | 10 29.75 | 30 60) the end point comes as type 2
  // then origin (25,20,0): between the two the path has no length. Segment
  // 1's end moved to 35 pushes segment 2's start to 35 + 0.25; its start
  // moved to 31 pushes its own end the gap 0.25 - 1e-10 on, to 31.2499999999,
  // and segment 2's start a clearance 0.25 past that, 31.4999999999.
  // The commit fits the last end to the path, 45. Every order gives that.
  const std::string type = GivePoint("10", "EndPoint", "origin", "0 0 0");  // type 2, origin still (0,0,0)
  const std::string origin = GivePoint("10", "EndPoint", "origin first", "25 20 0");
  const struct {
    const char* what;
    std::string records;
    const char* positions;
  } rows[] = {
      {"end moved, then the point", MoveSegment(1, "EndLocation", "35") + type + origin, "0 9.75 | 10 35 | 35.25 45"},
      {"end moved between", type + MoveSegment(1, "EndLocation", "35") + origin, "0 9.75 | 10 35 | 35.25 45"},
      {"start moved, then the point", MoveSegment(1, "StartLocation", "31") + type + origin,
       "0 9.75 | 31 31.249999999899998 | 31.499999999899998 45"},
      {"start moved between", type + MoveSegment(1, "StartLocation", "31") + origin,
       "0 9.75 | 31 31.249999999899998 | 31.499999999899998 45"},
  };
  Scratch scratch;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Outcome run;
    JAM::Journal recorded;
    const std::string printed = PlayGiven(
        scratch, Given(Given(Example("draw_bead_split.jou"), "# Edit:", ""), "# Male, female", row.records), &run,
        &recorded);
    EXPECT_EQ(run.status, 0) << printed;
    EXPECT_EQ(SegmentPositions(printed), row.positions) << printed;
  }
}

TEST(KtxhostPlay, ABeadSegmentLeftWithNoLengthIsWarnedOfByItsNumber) {
  // The end at (0.02,0,0) after the split: segment 0 runs 0 to 0.02, past its
  // start by more than the tolerance 0.01; segments 1 and 2 at 0.02 to 0.02
  // have no length. The end at (10,15,0), 10 + 15 along, leaves
  // 0 9.75 | 10 25 | 25 25: only segment 2 is warned of. At (10.005,20,0)
  // the path is 30.005 long: segment 2 runs 30 to 30.005, not past its start
  // by the tolerance; at (10.02,20,0) it is 0.02 long, past it.
  // The second segment destroyed once its section is given leaves an empty
  // item in the list, which the feature does not record: the third is its
  // segment 1. A commit refused (the first segment's height -3) warns of
  // nothing: no bead was made whose segments could lack a length.
  const std::string destroyed = Record("method", "Builder", "Destroy", "ptr 21", "");
  const std::string height = "this ptr 102\n  in string \"righthandside\" - \"";
  const struct {
    const char* at;
    std::vector<int> warned;
    std::string beforeCommit;
    bool refused = false;
  } rows[] = {{"0.02 0 0", {1, 2}, ""},
              {"10 15 0", {2}, ""},
              {"10.005 20 0", {2}, ""},
              {"10.02 20 0", {}, ""},
              {"25 20 0", {}, ""},
              {"0.02 0 0", {1}, destroyed, false},
              {"10 15 0", {1}, destroyed, false},
              {"0.02 0 0", {}, "", true},
              {"0.02 0 0", {}, destroyed, true}};
  const stamvik_test::ScratchFolder folder("play_no_length_");
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.at) + (row.beforeCommit.empty() ? "" : ", the second segment destroyed") +
                 (row.refused ? ", refused" : ""));
    const std::filesystem::path journal = folder.Path() / "given.jou";
    std::string text = Given(Given(Example("draw_bead_split.jou"), "# Edit:", ""), "# Male, female",
                             GivePoint("10", "EndPoint", "point", row.at));
    if (row.refused) text.replace(text.find(height), height.size(), height + "-");
    // Refused as "a segment's male bead height is too small" (3030301); a
    // blank line where nothing is put in.
    text = Given(text, "# Committed", row.beforeCommit.empty() ? "\n" : row.beforeCommit, "10",
                 row.refused ? 3030301 : 0);
    std::ofstream(journal, std::ios::binary) << text;
    int status = -1;
    const std::vector<std::string> lines = stamvik_test::KtxhostOutput(
        {"play", journal.string(), "--raw", "--plugin", STAMVIK_PLUGIN}, &status, true);
    EXPECT_EQ(status, 0);
    std::vector<int> warned;
    for (const std::string& line : lines) {
      const std::string kWarning = "warning: 3030665 the bead's segment ";
      if (const std::size_t at = line.find(kWarning); at != std::string::npos) {
        warned.push_back(std::stoi(line.substr(at + kWarning.size())));
        EXPECT_NE(line.find("its end not past its start by the distance tolerance 0.01"), std::string::npos) << line;
      }
    }
    EXPECT_EQ(warned, row.warned);
  }
}

// The bead's value set by name (journal tag 10).
std::string SetBead(const std::string& member, const std::string& kind, const std::string& value) {
  std::string name = member;
  std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
  const std::string type = kind == "logical" ? "-" : "\"Die.DrawBeadBuilder." + kind + "\"";
  return Record("set", "Die.DrawBeadBuilder", member, "ptr 10",
                "  in " + std::string(kind == "logical" ? "logical" : "enum") + " \"" + name + "\" " + type + " " +
                    value + "\n");
}
// Segment `index`'s male bead width type.
std::string SetWidthType(int index, int type) {
  return LookUp(12, index) + Record("set", "Die.DrawBeadSegmentBuilder", "MaleBeadWidthType", "ptr 70",
                                    "  in enum \"malebeadwidthtype\" \"Die.DrawBeadSegmentBuilder.MaleBeadWidthTypes\" " +
                                        std::to_string(type) + "\n");
}

// The printed record's line starting `head` (the first feature's), its words after it.
std::string RecordLine(const std::string& printed, const std::string& head) {
  const std::size_t at = printed.find(head);
  if (at == std::string::npos) return "(none)";
  const std::size_t from = at + head.size();
  return printed.substr(from, printed.find('\n', from) - from);
}

TEST(KtxhostPlay, TheBeadsRulesBetweenItsValuesHoldForWhatItHoldsAtTheCommitInEitherOrder) {
  // The split example's bead is given, before its commit, the pairs of
  // values one of the bead's rules joins, in both orders: a derived female
  // width (0) leaves a segment no derived male width (1), committed 0; a bead
  // not tapered no manual transition (1), committed 0 (the integers' eighth).
  // A constant female width and a taper bead leave what was given.
  const std::string derivedFemale = SetBead("FemaleWidthType", "FemaleWidthTypes", "0");
  const std::string constantFemale = SetBead("FemaleWidthType", "FemaleWidthTypes", "1");
  const std::string manual = SetBead("TransitionDefinition", "TransitionDefinitionTypes", "1");
  const std::string notTapered = SetBead("TaperBead", "logical", "false");
  const std::string tapered = SetBead("TaperBead", "logical", "true");
  const struct {
    const char* what;
    std::string records;
    const char* segment1;  // its flags: symmetry, flow, male width type
    const char* integers;
  } rows[] = {
      {"female derived, then male derived", derivedFemale + SetWidthType(1, 1), "1 0 0", "0 0 0 0 0 0 1 0 0 0 1 1 1 0 0 0 0"},
      {"male derived, then female derived", SetWidthType(1, 1) + derivedFemale, "1 0 0", "0 0 0 0 0 0 1 0 0 0 1 1 1 0 0 0 0"},
      {"female constant, male derived", SetWidthType(1, 1) + constantFemale, "1 0 1", "0 0 0 0 0 0 1 0 0 1 1 1 1 0 0 0 0"},
      {"not tapered, then manual", notTapered + manual, "1 0 0", "0 0 0 0 0 0 1 0 0 0 1 1 1 0 0 0 0"},
      {"manual, then not tapered", manual + notTapered, "1 0 0", "0 0 0 0 0 0 1 0 0 0 1 1 1 0 0 0 0"},
      {"manual, then tapered", manual + tapered, "1 0 0", "0 0 0 0 0 1 1 1 0 0 1 1 1 0 0 0 0"},
  };
  Scratch scratch;
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Outcome run;
    JAM::Journal recorded;
    const std::string printed =
        PlayGiven(scratch, Given(Example("draw_bead_split.jou"), "# Committed: the male feature is 50.", row.records),
                  &run, &recorded);
    EXPECT_EQ(run.status, 0) << printed;
    // The edit that follows writes the male record again: what the first commit took.
    EXPECT_EQ(RecordLine(printed, "segment 1 entity 0 ints "), row.segment1) << printed;
    EXPECT_EQ(RecordLine(printed, "entity 5 ints "), row.integers) << printed;
  }
}

TEST(KtxhostPlay, ABeadSegmentsPlaceBeforeThePathsStartIsCommittedAtItWithAWord) {
  // Before the split example's commit a segment's place is given below 0:
  // committed at 0 and told (3030690), as one past the path's end is
  // committed at the end. Segment 1's start at -5 pushes segment 0's end
  // back to 0 (a clearance before it, held at the start), which leaves that
  // segment no length (3030665); segment 0's end at -3 pulls its start back
  // a gap before it, held at 0.
  const struct {
    const char* what;
    std::string records;
    const char* positions;
    std::vector<std::string> words;
  } rows[] = {
      {"segment 1's start", MoveSegment(1, "StartLocation", "-5"), "0 0 | 0 29.75 | 30 60",
       {"3030690 the bead's segment 1: its start at -5 lies before its path's start and is committed at 0",
        "3030665 the bead's segment 0"}},
      {"segment 0's end", MoveSegment(0, "EndLocation", "-3"), "0 0 | 10 29.75 | 30 60",
       {"3030690 the bead's segment 0: its end at -3 lies before its path's start and is committed at 0",
        "3030665 the bead's segment 0"}},
      {"segment 2's end at 0", MoveSegment(2, "EndLocation", "0"), "0 0 | 0 0 | 0 0",
       {"3030665 the bead's segment 0", "3030665 the bead's segment 1", "3030665 the bead's segment 2"}},
  };
  const stamvik_test::ScratchFolder folder("play_before_start_");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    const std::filesystem::path journal = folder.Path() / "given.jou";
    std::ofstream(journal, std::ios::binary)
        << Given(Given(Example("draw_bead_split.jou"), "# Edit:", ""), "# Committed: the male feature is 50.", row.records);
    int status = -1;
    const std::vector<std::string> lines = stamvik_test::KtxhostOutput(
        {"play", journal.string(), "--raw", "--plugin", STAMVIK_PLUGIN}, &status, true);
    EXPECT_EQ(status, 0);
    std::vector<std::string> words;
    std::string printed;
    for (const std::string& line : lines) {
      printed += line + "\n";
      if (const std::size_t at = line.find("warning: "); at != std::string::npos) words.push_back(line.substr(at + 9));
    }
    EXPECT_EQ(SegmentPositions(printed), row.positions) << printed;
    // Each word as far as the row gives it.
    for (std::size_t i = 0; i < words.size() && i < row.words.size(); ++i) words[i].resize(std::min(words[i].size(), row.words[i].size()));
    EXPECT_EQ(words, row.words) << printed;
  }
}

}  // namespace

namespace {

// An envelope's journal up to its first commit, after which the dialog
// lists the inputs: the play's last counted host calls are the listing's.
// (The example's, its wheel held still: the listing is the same, the
// seconds of unions before it are not played.)
// The last of them failed, the listing is cut short, but the commit went
// through: the played call still succeeds and hands back its feature, and
// the user is warned of the failed call and told that the commit stands.
TEST(KtxhostPlay, AListingThatFailsAfterAnEnvelopesCommitLeavesTheCommitStanding) {
  const std::string text = FileText(std::filesystem::path(STAMVIK_TEST_DATA) / "sweep_tire_envelope.jou");
  const std::size_t let = text.find("record 0 method \"Builder\" \"Destroy\""),
                    committed = text.find("record 0 method \"Builder\" \"Commit\"");
  ASSERT_LT(committed, let);
  const std::filesystem::path journal = PlayFolder() / "listing_cut_short.jou";
  std::ofstream(journal, std::ios::binary) << text.substr(0, let);
  const auto play = [&](long long call) {
    return PlayFailing(journal, ("hostcall:" + std::to_string(call)).c_str(), PlayFolder().string(), true);
  };
  const stamvik_test::CommandRun counted = play(1000000000);
  const std::string made = "ktxhost: KTX_FAIL: the play made ";
  const std::size_t at = counted.out.find(made);
  ASSERT_NE(at, std::string::npos) << counted.out;
  const long long last = std::stoll(counted.out.substr(at + made.size()));
  const stamvik_test::CommandRun run = play(last);
  EXPECT_EQ(run.status, 0) << run.out;
  const std::string commit =
      journal.string() + ":" + std::to_string(1 + std::count(text.begin(), text.begin() + committed, '\n')) + ": ";
  EXPECT_NE(run.out.find(commit + "warning: 840007 "), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(commit + "note: The commit stands; the listing after it is not whole.\n"), std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("1 feature, 2 bodies alive; status 0 (success)\n"), std::string::npos) << run.out;
}

}  // namespace

namespace {

// The split example's builder kept open after the commit that made its bead
// (three segments on 0 9.75 | 10 29.75 | 30 60), then given a new centreline
// of one line, and committed again: the bead heard of the change before the
// commit. The segments of the curves that went are gone from the list and
// the path is the new line's: a line of 20 leaves the first segment as it
// was, one of 5 cuts it to the line's end.
TEST(KtxhostPlay, ADrawBeadKeptOpenAfterItsCommitFollowsANewCenterline) {
  const std::string text = Example("draw_bead_split.jou");
  const std::string let = "record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n";
  const std::size_t at = text.find(let);
  ASSERT_NE(at, std::string::npos);
  const std::string kept = text.substr(0, at);
  const stamvik_test::ScratchFolder folder("play_kept_bead_");
  for (const auto& [line, positions] : {std::pair{"0 0 0 20 0 0", "0 9.75"}, {"0 0 0 5 0 0", "0 5"}}) {
    SCOPED_TRACE(line);
    const std::filesystem::path journal = folder.Path() / "given.jou";
    std::ofstream(journal, std::ios::binary)
        << kept
        << Record("get", "Die.DrawBeadBuilder", "Centerline", "ptr 10", Result("ptr", "centerline", "Section", 30)) +
               Record("method", "Section", "Clear", "ptr 30", "") +
               Record("method", "Section", "AddLines", "ptr 30",
                      "  in int \"kind\" - 1\n  in struct-array \"points\" \"Point3d\" 6 " + std::string(line) + "\n") +
               Record("method", "Builder", "Commit", "ptr 10", Result("tag", "object", "TaggedObject", 50)) + let;
    int status = -1;
    const std::vector<std::string> lines = stamvik_test::KtxhostOutput(
        {"play", journal.string(), "--raw", "--plugin", STAMVIK_PLUGIN}, &status, true);
    std::string printed;
    for (const std::string& l : lines) printed += l + "\n";
    EXPECT_EQ(status, 0) << printed;
    EXPECT_EQ(stamvik_test::SegmentPositions(printed), positions) << printed;
  }
}

}  // namespace

namespace {

// The split example's bead made on a path of 0.02 (segments 1 and 2 fitted
// to 0.02 to 0.02, warned of), kept open and committed again. Played whole,
// the second commit warns of the two again; its next to last counted call
// (the model's update of the edit) failed, the second commit fails past the
// fitting with the failure's status, the mark puts the bead back as the first commit left it, and no
// warning comes: no bead was made whose segments could lack a length.
TEST(KtxhostPlay, ABeadCommitThatFailsWarnsOfNoSegmentWithoutLength) {
  const stamvik_test::ScratchFolder folder("play_failed_bead_");
  const std::filesystem::path journal = folder.Path() / "given.jou";
  const std::string let = "record 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n";
  const std::string text =
      Given(Example("draw_bead_split.jou"), "# Male, female", GivePoint("10", "EndPoint", "point", "0.02 0 0"));
  std::ofstream(journal, std::ios::binary)
      << text.substr(0, text.find(let)) +
             Record("method", "Builder", "Commit", "ptr 10", Result("tag", "object", "TaggedObject", 50));
  const auto play = [&](long long call) {
    return PlayFailing(journal, ("hostcall:" + std::to_string(call)).c_str(), "", true);
  };
  const std::string second = journal.string() + ":297: ";
  const stamvik_test::CommandRun whole = play(1000000000);
  EXPECT_NE(whole.out.find(second + "warning: 3030665 the bead's segment 1 "), std::string::npos) << whole.out;
  EXPECT_NE(whole.out.find(second + "warning: 3030665 the bead's segment 2 "), std::string::npos) << whole.out;
  const std::string made = "ktxhost: KTX_FAIL: the play made ";
  const std::size_t at = whole.out.find(made);
  ASSERT_NE(at, std::string::npos) << whole.out;
  const long long call = std::stoll(whole.out.substr(at + made.size())) - 1;
  const stamvik_test::CommandRun failed = play(call);
  EXPECT_NE(failed.out.find("ktxhost: KTX_FAIL: call " + std::to_string(call) + " failed: UPDATE_do_update\n"),
            std::string::npos)
      << failed.out;
  EXPECT_NE(failed.out.find(second + "the call gave another status (expected 0 (success), found 840007"),
            std::string::npos)
      << failed.out;
  EXPECT_EQ(failed.out.find(second + "warning: 3030665"), std::string::npos) << failed.out;
}

}  // namespace
