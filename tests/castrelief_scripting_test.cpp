// The scripting call frame, class set-up, test print, defaults, guard and
// shared bodies, as "Die.CastReliefBuilder" and its feature class show
// them. Expected names, orders and texts are written out from the class's
// published description, not read from the table the engine expands.
#include <setjmp.h>
#include <signal.h>

#include <cstddef>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "TestSupport.hpp"
#include "ja_die_cast_relief_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "sel/Selection.hpp"

using namespace KTX;
using DieDesJA::CastReliefBuilder;
using stamvik_test::AlreadySetUp;
using stamvik_test::DynamicSymbolAddresses;
using stamvik_test::FirstJamCalls;
using stamvik_test::HostTest;
using stamvik_test::JamCalls;
using stamvik_test::JamTest;
using stamvik_test::NamedWrites;
using stamvik_test::OnlyThese;
using stamvik_test::ReadFile;

// The exports as a script declares them.
namespace {

const char* kClass = "Die.CastReliefBuilder";

// ---- set-up ---------------------------------------------------------------------

// Runs first in its process (each test runs alone under ctest): the class
// has not been set up yet.
class CastReliefSetUp : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    builder_ = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    // The die-plane unit is a dependency of its own: set it up first, so
    // that only the cast relief's calls are seen below.
    JAM::FileInitializer::Initialize("Die.DiePlaneBuilder");
    Host::ClearCalls();
  }
  void TearDown() override {
    builder_->destroy();
    JamTest::TearDown();
  }
  CastReliefBuilder* builder_ = nullptr;
};

TEST_F(CastReliefSetUp, SetUpLeftByErrorRunsAgainThenOnceBeforeTheFirstRecord) {
  if (AlreadySetUp(kClass))
    GTEST_SKIP() << "the class was set up by an earlier test in this process";
  JAM::Test::TypeView view;
  // A failing registry call leaves the set-up; it must not stay marked done.
  // Its error is the call's status, handed back to the host's error object
  // (no record was opened to close), not a processor fault's 65.
  JAM::Test::RaiseAt("JAM_create_class", 670156);
  Error::ClearSevereErrors();
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 670156);
  EXPECT_TRUE(JAM::Recorded().empty());
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 2);
  EXPECT_TRUE(Error::SevereErrors()[0].further);

  Host::ClearCalls();
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 0);
  std::vector<std::string> expected = {
      "FileInitializer::Initialize Die.DiePlaneBuilder",
      "FileInitializer::Initialize Expression",
      "FileInitializer::Initialize Section",
      "FileInitializer::Initialize SelectObject",
      "JAM_lookup_or_create_class Die.DiePlaneBuilder",
      "JAM_lookup_or_create_class Expression",
      "JAM_lookup_or_create_class Features.FeatureBuilder",
      "JAM_lookup_or_create_class Section",
      "JAM_lookup_or_create_template_class SelectBrenvikObject SelectObject BrenvikObject",
      "JAM_create_class Die.CastReliefBuilder Features.FeatureBuilder",
      "JAM_test_register_print_fn Die.CastReliefBuilder",
      "JAM_register_initialisation_function Die.CastReliefBuilder",
      "JAM_declare_ptr_property_accessor Die.CastReliefBuilder BaseOrientation 0 1",
      "JAM_declare_ptr_property_accessor Die.CastReliefBuilder ReliefDepth 0 1",
      "JAM_declare_ptr_property_accessor Die.CastReliefBuilder ReliefProfile 0 1",
      "JAM_declare_ptr_property_accessor Die.CastReliefBuilder ReliefSheet 0 1",
      "JAM_declare_ptr_property_accessor Die.CastReliefBuilder SheetMetal 0 1",
      "JAM_declare_ptr_property_accessor Die.CastReliefBuilder Target 0 1",
      "JAM_declare_ptr_property_accessor Die.CastReliefBuilder Thickness 0 1",
      "JAM_start_property_call Die.CastReliefBuilder 2 CreateSupportCasting",
  };
  EXPECT_EQ(FirstJamCalls(expected.size()), expected);

  Host::ClearCalls();
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, false), 0);
  EXPECT_EQ(JamCalls(false).front(), "JAM_start_property_call Die.CastReliefBuilder 2 CreateSupportCasting");
  ASSERT_TRUE(JAM::Test::DescribeClass(kClass, &view));
  EXPECT_TRUE(view.created);
  EXPECT_EQ(view.parent, "Features.FeatureBuilder");
}

class CastReliefJournal : public JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    builder_ = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    // The set-up of the class runs on the first journalled call of any test.
    bool ignored = false;
    ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_CreateSupportCasting(builder_, &ignored), 0);
    JAM::ClearJournal();
    Host::ClearCalls();
    Error::ClearSevereErrors();
  }
  void TearDown() override {
    builder_->destroy();
    JamTest::TearDown();
  }
  std::string Tag() const { return std::to_string(builder_->ask_tag()); }

  CastReliefBuilder* builder_ = nullptr;
};

// ---- the call frame ----------------------------------------------------------------

TEST_F(CastReliefJournal, SetRecordsTheCallItsArgumentAndLogsTheBuilderOnce) {
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 0);
  EXPECT_TRUE(builder_->GetCreateSupportCasting());
  std::vector<std::string> expected = {
      "JAM_start_property_call Die.CastReliefBuilder 2 CreateSupportCasting",
      "JAM_this_ptr " + Tag(),
      "JAM_in_logical createsupportcasting=1",
      "JAM_end_of_arguments",
      "OM__log tag=" + Tag(),
      "JAM_end_call 0",
  };
  EXPECT_EQ(JamCalls(), expected);

  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& r = JAM::Recorded()[0];
  EXPECT_EQ(r.journalClass, kClass);
  EXPECT_EQ(r.methodType, 2);
  EXPECT_EQ(r.member, "CreateSupportCasting");
  EXPECT_EQ(r.thisKind, 'p');
  EXPECT_EQ(r.thisTag, builder_->ask_tag());
  ASSERT_EQ(r.values.size(), 1u);
  EXPECT_EQ(r.values[0].name, "createsupportcasting");
  EXPECT_EQ(r.values[0].integer, 1);
  EXPECT_EQ(r.state, JAM::RecordState::Closed);
  EXPECT_EQ(r.status, 0);
}

TEST_F(CastReliefJournal, SetOnAnObjectThatNeedNotBeLoggedStoresWithoutLogging) {
  builder_->OmSetState(4);  // the header flag value that says: need not be logged
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance(builder_, 0.125), 0);
  EXPECT_EQ(builder_->GetDistanceTolerance(), 0.125);
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 0);
  EXPECT_TRUE(builder_->GetCreateSupportCasting());
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  ASSERT_EQ(JAM::Recorded().size(), 2u);
  EXPECT_EQ(JAM::Recorded()[1].member, "CreateSupportCasting");
  EXPECT_EQ(JAM::Recorded()[1].values.at(0).integer, 1);
}

TEST_F(CastReliefJournal, GetOfAnEmptyTargetIsNullWithStatusZeroAndStillAssociated) {
  // A builder the host made without its initialisation holds no target selection.
  auto* bare = static_cast<CastReliefBuilder*>(
      OM::ObjectFactory::CreateObject(DieDesJA::CastReliefBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  Host::ClearCalls();
  SELECT_OBJECT* target = reinterpret_cast<SELECT_OBJECT*>(&target);  // anything but null
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_Target(bare, &target), 0);
  EXPECT_EQ(target, nullptr);
  std::string tag = std::to_string(bare->ask_tag());
  std::vector<std::string> expected = {
      "JAM_start_property_call Die.CastReliefBuilder 1 Target",
      "JAM_this_ptr " + tag,
      "JAM_result_ptr target=SelectBrenvikObject",
      "JAM_end_of_arguments",
      "JAM_AssociateTemplateTypeClass 0 SelectBrenvikObject",
      "JAM_end_call 0",
  };
  EXPECT_EQ(JamCalls(), expected);
  const JAM::Record& r = JAM::Recorded().at(0);
  ASSERT_EQ(r.associations.size(), 1u);
  EXPECT_EQ(r.associations[0].tag, 0u);
  EXPECT_EQ(r.values.at(0).direction, JAM::Direction::Result);
  EXPECT_EQ(r.values.at(0).type, "SelectBrenvikObject");
  EXPECT_EQ(r.values.at(0).integer, 0);
  bare->destroy();
}

TEST_F(CastReliefJournal, GetOfTheTargetHandsOutTheBuildersSelectionAndAssociatesIt) {
  SELECT_OBJECT* target = nullptr;
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_Target(builder_, &target), 0);
  ASSERT_NE(target, nullptr);
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.values.at(0).integer, target->ask_tag());
  EXPECT_EQ(r.associations.at(0).tag, target->ask_tag());
}

TEST_F(CastReliefJournal, GetRecordsTheResultTheBodyReturned) {
  builder_->SetDistanceTolerance(0.1);
  double value = 0;
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_DistanceTolerance(builder_, &value), 0);
  EXPECT_EQ(value, 0.1);
  const JAM::Value& v = JAM::Recorded().at(0).values.at(0);
  EXPECT_EQ(v.name, "distancetolerance");
  EXPECT_EQ(v.real, 0.1);
}

// ---- errors ------------------------------------------------------------------------

TEST_F(CastReliefJournal, ErrorAboveSixtyFiveGetsTheFurtherStepAndClosesTheRecord) {
  JAM::Test::RaiseAt("JAM_end_of_arguments", 66);
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 66);
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  const Error::SevereRecord& e = Error::SevereErrors()[0];
  EXPECT_EQ(e.code, 66);
  EXPECT_TRUE(e.further);
  EXPECT_EQ(e.closeMode, 2);
  EXPECT_EQ(e.locationMode, 2);
  EXPECT_EQ(e.file, "ja_die_cast_relief_builder_jam");
  EXPECT_EQ(e.line, 477);
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.state, JAM::RecordState::Closed);
  EXPECT_EQ(r.status, 66);
  // The body did not run.
  EXPECT_FALSE(builder_->GetCreateSupportCasting());
}

TEST_F(CastReliefJournal, ErrorOfSixtyFiveOrBelowSkipsTheFurtherStep) {
  JAM::Test::RaiseAt("JAM_in_double", 65);
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_AngleTolerance(builder_, 1.0), 65);
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_FALSE(Error::SevereErrors()[0].further);
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 2);
  EXPECT_EQ(Error::SevereErrors()[0].line, 737);
  EXPECT_EQ(JAM::Recorded().at(0).status, 65);

  Error::ClearSevereErrors();
  JAM::Test::RaiseAt("JAM_result_double", 12);
  double value = 0;
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_get_DistanceTolerance(builder_, &value), 12);
  EXPECT_FALSE(Error::SevereErrors().at(0).further);
  EXPECT_EQ(Error::SevereErrors().at(0).line, 581);
}

TEST_F(CastReliefJournal, ClaimedErrorLeavesByExceptionAndTheExportAnswersSixtyFive) {
  JAM::Test::ClaimErrorNumber(670156);
  JAM::Test::RaiseAt("JAM_end_of_arguments", 670156);
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 65);
  std::vector<std::string> calls = JamCalls();
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "JAM_end_call 670156"), 0);
  EXPECT_EQ(calls.back(), "JAM_wnt_exception " + std::to_string(JAM_code_cxx_exception) + " verdict=1");
  // The stand-in closed the record, so the next one is not nested under it.
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].state, JAM::RecordState::Failed);
  EXPECT_EQ(JAM::Recorded()[0].status, 670156);
  EXPECT_EQ(Error::SevereErrors().at(0).closeMode, -1);  // raised again, not closed

  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 0);
  EXPECT_EQ(JAM::Recorded().at(1).depth, 0);
}

TEST_F(CastReliefJournal, ClaimedErrorRefusedByTheFilterReachesTheCaller) {
  JAM::Test::ClaimErrorNumber(670156);
  JAM::Test::SetFaultVerdict(0);
  JAM::Test::RaiseAt("JAM_end_of_arguments", 670156);
  EXPECT_EQ(RaisedCode([&] { XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true); }), 670156);
  EXPECT_EQ(JAM::Recorded().at(0).state, JAM::RecordState::Failed);
}

// An error raised opening the call's record (here inside a caller's open
// record) is the call's status and the user's to see, and closes no record:
// the caller's stays open, and the body does not run.
TEST_F(CastReliefJournal, AnErrorOpeningTheRecordIsTheStatusAndClosesNone) {
  JAM_start_call(JAM_lookup_or_create_class("Test.Caller"), "Outer", nullptr);
  JAM::Test::RaiseAt("JAM_start_property_call", 66);
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 66);
  EXPECT_FALSE(builder_->GetCreateSupportCasting());
  EXPECT_EQ(Error::SevereErrors().at(0).closeMode, 2);
  EXPECT_EQ(JAM_ask_open_records(), 1);
  JAM_end_call(0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].status, 0);
}

// ---- interfaces -------------------------------------------------------------------------

TEST_F(CastReliefJournal, InterfacesByJournalClassName) {
  auto* journalled =
      static_cast<Die_CastReliefBuilder_Interface*>(JAM::ClassInitializer::GetJournalledInterface(kClass));
  auto* unjournalled =
      static_cast<Die_CastReliefBuilder_Interface*>(JAM::ClassInitializer::GetUnjournalledInterface(kClass));
  ASSERT_NE(journalled, nullptr);
  ASSERT_NE(unjournalled, nullptr);
  EXPECT_NE(static_cast<void*>(journalled), static_cast<void*>(unjournalled));
  EXPECT_EQ(journalled->GetInterfaceId(), 0xaba854e8u);
  EXPECT_EQ(unjournalled->GetInterfaceId(), 0xaba854e8u);

  EXPECT_EQ(unjournalled->SetAngleTolerance(builder_, 0.75), 0);
  EXPECT_EQ(builder_->GetAngleTolerance(), 0.75);
  EXPECT_TRUE(JAM::Recorded().empty());

  EXPECT_EQ(journalled->SetAngleTolerance(builder_, 0.5), 0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "angletolerance");
  double angle = 0;
  EXPECT_EQ(unjournalled->GetAngleTolerance(builder_, &angle), 0);
  EXPECT_EQ(angle, 0.5);

  // The journalled implementation has no guard: a claimed error reaches its caller.
  JAM::Test::ClaimErrorNumber(670156);
  JAM::Test::RaiseAt("JAM_end_of_arguments", 670156);
  EXPECT_EQ(RaisedCode([&] { journalled->SetCreateSupportCasting(builder_, true); }), 670156);
  EXPECT_EQ(JAM::Recorded().back().state, JAM::RecordState::Failed);
  EXPECT_EQ(Host::CountCalls("JAM_wnt_exception"), 0u);

  // Feature classes have no interface.
  EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface("Die.CastRelief"), nullptr);
  EXPECT_EQ(JAM::ClassInitializer::GetUnjournalledInterface("Die.CastRelief"), nullptr);
}

// ---- defaults --------------------------------------------------------------------------

class CastReliefDefaults : public CastReliefJournal {
 protected:
  std::vector<std::string> Written() { return NamedWrites(Tag()); }
  void Apply(bool apply) {
    JAM_defaults_fn defaults = JAM::Test::DefaultsFunction(kClass);
    ASSERT_NE(defaults, nullptr);
    defaults(builder_->ask_tag(), apply);
  }
};

TEST_F(CastReliefDefaults, MillimetreTextsInOrderWithJournalingPaused) {
  Apply(true);
  std::vector<std::string> expected = {
      "AngleTolerance=0.5 (paused)",       "CreateSupportCasting=0 (paused)", "DistanceTolerance=0.0254 (paused)",
      "ReliefDepth.Value=5 (paused)",      "Thickness.Value=35 (paused)",
  };
  EXPECT_EQ(Written(), expected);
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_FALSE(builder_->DefaultsInProgress());
  EXPECT_FALSE(JAM::JournalPauser::Paused());
  std::vector<std::string> calls = JamCalls();
  std::vector<std::string> head(calls.begin(), calls.begin() + 3);
  EXPECT_EQ(head, (std::vector<std::string>{"OM__log tag=" + Tag(),
                                            "JAM_traverse_builder_objects Die.CastReliefBuilder " + Tag() + " 1",
                                            "JournalPauser pause"}));
  // The flag is cleared after the pause ends, the builder logged again first.
  EXPECT_EQ(calls.at(calls.size() - 2), "JournalPauser resume");
  EXPECT_EQ(calls.back(), "OM__log tag=" + Tag());
}

TEST_F(CastReliefDefaults, InchTextsWhenTheWorkPartIsInInches) {
  part()->SetUnitCode(1);
  Apply(true);
  std::vector<std::string> expected = {
      "AngleTolerance=0.5 (paused)",  "CreateSupportCasting=0 (paused)", "DistanceTolerance=0.001 (paused)",
      "ReliefDepth.Value=0.2 (paused)", "Thickness.Value=1.4 (paused)",
  };
  EXPECT_EQ(Written(), expected);
}

TEST_F(CastReliefDefaults, MillimetreTextsWithoutAWorkPartOrWithAnyOtherUnitCode) {
  PART_set_work_part(nullptr);
  Apply(true);
  EXPECT_EQ(Written().at(2), "DistanceTolerance=0.0254 (paused)");
  Host::ClearCalls();
  PART_set_work_part(part());
  part()->SetUnitCode(2);
  Apply(true);
  EXPECT_EQ(Written().at(4), "Thickness.Value=35 (paused)");
}

TEST_F(CastReliefDefaults, NotAskedToApplyAndNotNeededVisitsSubObjectsOnly) {
  Host::SetAnswer("needs_defaults", 0);
  Apply(false);
  EXPECT_TRUE(Written().empty());
  std::vector<std::string> calls = JamCalls();
  EXPECT_EQ(calls, (std::vector<std::string>{"needs_defaults 0", "OM__log tag=" + Tag(),
                                             "JAM_traverse_builder_objects Die.CastReliefBuilder " + Tag() + " 0",
                                             "OM__log tag=" + Tag()}));
  EXPECT_FALSE(builder_->DefaultsInProgress());

  Host::ClearCalls();
  Host::SetAnswer("needs_defaults", 1);
  Apply(false);
  EXPECT_EQ(Written().size(), 5u);
}

TEST_F(CastReliefDefaults, RunLeftByAnErrorStillEndsThePauseAndTheDefaultsFlag) {
  JAM::Test::RaiseAt("JAM_set_named_attribute_value", 3);
  EXPECT_EQ(RaisedCode([&] { Apply(true); }), 3);
  EXPECT_FALSE(JAM::JournalPauser::Paused());
  EXPECT_FALSE(builder_->DefaultsInProgress());
}

// ---- test print ------------------------------------------------------------------------

class CastReliefPrint : public CastReliefJournal {
 protected:
  static std::vector<std::string> Printed() { return stamvik_test::TestPrints(); }
  void Print(const char* tagName) {
    JAM_print_fn print = JAM::Test::PrintFunction(kClass);
    ASSERT_NE(print, nullptr);
    tag_t tag = builder_->ask_tag();
    print(&tag, tagName, 3);
  }
};

TEST_F(CastReliefPrint, ReadablePropertiesInDeclarationOrder) {
  EXP_expression* depth = nullptr;
  EXP_expression* thickness = nullptr;
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_ReliefDepth(builder_, &depth), 0);
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_Thickness(builder_, &thickness), 0);
  ASSERT_NE(depth, nullptr);
  ASSERT_NE(thickness, nullptr);
  builder_->SetDistanceTolerance(0.25);
  builder_->SetAngleTolerance(0.75);
  JAM::Autotest::EnableAPIPrint(kClass, true);
  JAM::Autotest::m_objectDetails = 1;
  JAM::Autotest::m_subobjectNesting = 1;
  Host::ClearCalls();
  Print("relief");
  std::string t = Tag();
  std::vector<std::string> expected = {
      "start " + t + " relief 3",
      "Autotest::APIPrintEnabled Die.CastReliefBuilder yes",
      "start GetReliefDepth",
      "object reliefDepth " + std::to_string(depth->ask_tag()) + " Expression 0",
      "end GetReliefDepth",
      "prop GetCreateSupportCasting createSupportCasting=0",
      "start GetThickness",
      "object thickness " + std::to_string(thickness->ask_tag()) + " Expression 0",
      "end GetThickness",
      "prop GetDistanceTolerance distanceTolerance=0.25",
      "prop GetAngleTolerance angleTolerance=0.75",
      "object " + t + " relief 0",
      "class " + t + " FeatureBuilder  0",
      "fn " + t + " relief Die.CastReliefBuilder",
      "end relief 3",
  };
  EXPECT_EQ(Printed(), expected);
}

TEST_F(CastReliefPrint, WithoutObjectDetailsExpressionsPrintAsPointers) {
  EXP_expression* depth = nullptr;
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_ReliefDepth(builder_, &depth), 0);
  JAM::Autotest::EnableAPIPrint(kClass, true);
  Host::ClearCalls();
  Print(nullptr);
  std::vector<std::string> printed = Printed();
  ASSERT_GE(printed.size(), 4u);
  EXPECT_EQ(printed[2], "ptr reliefDepth " + std::to_string(depth->ask_tag()) + " Expression 0");
  EXPECT_EQ(std::count(printed.begin(), printed.end(), "object " + Tag() + "  0"), 0);  // no sub-objects
}

TEST_F(CastReliefPrint, AGetterThatFailsPrintsItsErrorAndTheEntryEndsNormally) {
  // The tag of an object that is gone: every getter fails with the bad-object error.
  auto* gone = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
  tag_t tag = gone->ask_tag();
  gone->destroy();
  JAM::Autotest::EnableAPIPrint(kClass, true);
  Host::ClearCalls();
  Error::ClearSevereErrors();
  JAM::Test::PrintFunction(kClass)(&tag, nullptr, 0);
  std::vector<std::string> printed = Printed();
  std::string bad = std::to_string(Error::kBadObject);
  ASSERT_GE(printed.size(), 6u);
  EXPECT_EQ(printed[1], "start GetReliefDepth");
  EXPECT_EQ(printed[2], "error GetReliefDepth " + bad);
  EXPECT_EQ(printed[3], "end GetReliefDepth");
  EXPECT_EQ(printed[4], "prop GetCreateSupportCasting createSupportCasting status=" + bad);
  // Turned into a status with mode 0, the further step above 65, closed with mode 0.
  ASSERT_EQ(Error::SevereErrors().size(), 2u);  // ReliefDepth and Thickness
  EXPECT_EQ(Error::SevereErrors()[0].locationMode, 0);
  EXPECT_EQ(Error::SevereErrors()[0].line, 371);
  EXPECT_TRUE(Error::SevereErrors()[0].further);
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 0);
  EXPECT_EQ(Printed().back(), "fn " + std::to_string(tag) + "  Die.CastReliefBuilder");
}

TEST_F(CastReliefPrint, DisabledOrWithoutTagNamePrintsOnlyWhatAlwaysRuns) {
  Print(nullptr);
  std::vector<std::string> expected = {
      "Autotest::APIPrintEnabled Die.CastReliefBuilder no",
      "fn " + Tag() + "  Die.CastReliefBuilder",
  };
  EXPECT_EQ(Printed(), expected);
}

// ---- journal text and replay -------------------------------------------------------------

std::string Substitute(std::string text, const std::string& from, const std::string& to) {
  for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
  return text;
}

TEST_F(CastReliefJournal, RecordedJournalWrittenReadBackAndReplayedRecordsTheSameJournal) {
  SELECT_OBJECT* target = nullptr;
  bool support = false;
  double tolerance = 0;
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 0);
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance(builder_, 0.1), 0);
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_set_AngleTolerance(builder_, 1.0 / 3.0), 0);
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_Target(builder_, &target), 0);
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_CreateSupportCasting(builder_, &support), 0);
  ASSERT_EQ(XJA_CAST_RELIEF_BUILDER_get_DistanceTolerance(builder_, &tolerance), 0);

  std::string text = JAM::WriteJournal(JAM::Recorded());
  std::string golden = ReadFile(std::string(STAMVIK_TEST_DATA) + "/jam_castrelief_journal.txt");
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(text, Substitute(Substitute(golden, "@BUILDER@", Tag()), "@TARGET@", std::to_string(target->ask_tag())));

  JAM::Journal read = JAM::ReadJournal(text);
  EXPECT_EQ(read, JAM::Recorded());

  // Played back on a builder whose values were put back.
  builder_->SetCreateSupportCasting(false);
  builder_->SetDistanceTolerance(0);
  builder_->SetAngleTolerance(0);
  JAM::ClearJournal();
  EXPECT_EQ(JAM::ReplayJournal(read), std::vector<int>(6, 0));
  EXPECT_EQ(JAM::WriteJournal(JAM::Recorded()), text);
  EXPECT_EQ(builder_->GetAngleTolerance(), 1.0 / 3.0);
}

// ---- the guard -----------------------------------------------------------------------------

int RaiseSignal(void* signal) {
  JAM_start_call(nullptr, "Faulting", nullptr);
  ::raise(*static_cast<int*>(signal));
  return 0;
}

TEST_F(CastReliefJournal, FaultAcceptedByTheFilterAnswersSixtyFiveAndClosesTheRecord) {
  for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL}) {
    JAM::ClearJournal();
    Host::ClearCalls();
    EXPECT_EQ(JA::Guarded(&RaiseSignal, &signal), 65) << signal;
    EXPECT_EQ(JamCalls().back(), "JAM_wnt_exception " + std::to_string(signal) + " verdict=1");
    ASSERT_EQ(JAM::Recorded().size(), 1u);
    EXPECT_EQ(JAM::Recorded()[0].state, JAM::RecordState::Failed);
    EXPECT_EQ(JAM_ask_open_records(), 0);
  }
}

sigjmp_buf gCallerResume;
void CallerHandler(int signal) { siglongjmp(gCallerResume, signal); }

// Guards a raised fault under the verdict; tells whether the caller's own
// handler got the fault and what the guard returned (-7: it never returned).
void GuardUnderCallersHandler(int verdict, int* reached, int* status) {
  JAM::Test::SetFaultVerdict(verdict);
  struct sigaction mine {}, before {};
  mine.sa_handler = &CallerHandler;
  sigemptyset(&mine.sa_mask);
  sigaction(SIGSEGV, &mine, &before);
  static int signal = SIGSEGV;
  *reached = 0;
  *status = -7;
  if (sigsetjmp(gCallerResume, 1) == 0) {
    *status = JA::Guarded(&RaiseSignal, &signal);
  } else {
    *reached = 1;
  }
  sigaction(SIGSEGV, &before, nullptr);
}

TEST_F(CastReliefJournal, FaultRefusedByTheFilterReachesTheCallersHandling) {
  for (int verdict : {0, -1}) {
    int reached = 0, status = 0;
    GuardUnderCallersHandler(verdict, &reached, &status);
    EXPECT_EQ(reached, 1) << verdict;
    EXPECT_EQ(status, -7) << verdict;
    EXPECT_EQ(JAM_ask_open_records(), 0);
  }
}

int GuardRaisingSignal(void* signal) { return JA::Guarded(&RaiseSignal, signal) + 100; }

// A fault inside a guarded call that another guarded call made: the inner
// guard answers when the filter handles it; passed on, the outer guard's
// filter is asked next, then the caller's handling.
TEST_F(CastReliefJournal, FaultInANestedGuardedCallReachesTheInnerGuardFirst) {
  struct Row {
    int verdict;
    int status;     // of the outer guard (-7: never returned)
    int reached;    // the caller's own handler got the fault
    std::size_t asked;  // times the filter was asked
  } rows[] = {{1, 165, 0, 1}, {0, -7, 1, 2}};
  for (const Row& want : rows) {
    Host::ClearCalls();
    JAM::Test::SetFaultVerdict(want.verdict);
    struct sigaction mine {}, before {};
    mine.sa_handler = &CallerHandler;
    sigemptyset(&mine.sa_mask);
    sigaction(SIGSEGV, &mine, &before);
    static int signal = SIGSEGV;
    int reached = 0, status = -7;
    if (sigsetjmp(gCallerResume, 1) == 0)
      status = JA::Guarded(&GuardRaisingSignal, &signal);
    else
      reached = 1;
    sigaction(SIGSEGV, &before, nullptr);
    EXPECT_EQ(status, want.status) << want.verdict;
    EXPECT_EQ(reached, want.reached) << want.verdict;
    EXPECT_EQ(Host::CountCalls("JAM_wnt_exception"), want.asked) << want.verdict;
    EXPECT_EQ(JAM_ask_open_records(), 0);
    // The guard works on after a caller's handler left a guarded call.
    JAM::Test::SetFaultVerdict(1);
    EXPECT_EQ(JA::Guarded(&RaiseSignal, &signal), 65);
    EXPECT_EQ(JAM_ask_open_records(), 0);
  }
}

// A caller that puts its handler over ours with signal() rather than
// sigaction() turns the guard off no more than one that uses sigaction().
TEST_F(CastReliefJournal, FaultAfterACallerSetItsHandlerWithSignalIsStillGuarded) {
  JAM::Test::SetFaultVerdict(1);
  static int signal = SIGSEGV;
  int status = -7, reached = 0;
  sighandler_t before = ::signal(SIGSEGV, &CallerHandler);
  if (sigsetjmp(gCallerResume, 1) == 0)
    status = JA::Guarded(&RaiseSignal, &signal);
  else
    reached = 1;
  ::signal(SIGSEGV, before);
  EXPECT_EQ(status, 65);
  EXPECT_EQ(reached, 0);
  EXPECT_EQ(JAM_ask_open_records(), 0);
}

TEST_F(CastReliefJournal, FaultOnASecondThreadAnswersSixtyFiveThere) {
  int raised = 0, real = 0;
  std::thread second([&] {
    int signal = SIGBUS;
    raised = JA::Guarded(&RaiseSignal, &signal);
    auto* nowhere = reinterpret_cast<CastReliefBuilder*>(static_cast<std::uintptr_t>(16));
    real = XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(nowhere, true);
  });
  second.join();
  EXPECT_EQ(raised, 65);
  EXPECT_EQ(real, 65);
  // This thread's guard is untouched.
  int signal = SIGFPE;
  EXPECT_EQ(JA::Guarded(&RaiseSignal, &signal), 65);
  EXPECT_EQ(JAM_ask_open_records(), 0);
}

TEST_F(CastReliefJournal, FaultOutsideEveryGuardedCallReachesTheHandlerThatWasThereBefore) {
  struct sigaction mine {}, before {};
  mine.sa_handler = &CallerHandler;
  sigemptyset(&mine.sa_mask);
  sigaction(SIGSEGV, &mine, &before);
  int signal = SIGSEGV;
  EXPECT_EQ(JA::Guarded(&RaiseSignal, &signal), 65);  // the guard's handler is in place now
  Host::ClearCalls();
  int reached = 0;
  if (sigsetjmp(gCallerResume, 1) == 0)
    ::raise(SIGSEGV);
  else
    reached = 1;
  sigaction(SIGSEGV, &before, nullptr);
  EXPECT_EQ(reached, 1);
  EXPECT_EQ(Host::CountCalls("JAM_wnt_exception"), 0u);
}

TEST_F(CastReliefJournal, RealAccessViolationInsideAnExportAnswersSixtyFive) {
  // An object pointer that points nowhere: the fault happens while the call is recorded.
  auto* nowhere = reinterpret_cast<CastReliefBuilder*>(static_cast<std::uintptr_t>(16));
  EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(nowhere, true), 65);
  EXPECT_EQ(JAM_ask_open_records(), 0);
}

// ---- shared bodies -----------------------------------------------------------------------

// A builder-shaped block: what a field body reaches is only the field's place.
struct TextHolder {
  char header[24];
  char* text;
  double value;
};

TEST(SharedBodies, AStringGetterHandsOutACopyNeverTheBuildersText) {
  char own[] = "the builder's own";
  TextHolder holder{{}, own, 0};
  auto* object = reinterpret_cast<OM::Object*>(&holder);
  char* handed = nullptr;
  EXPECT_EQ(JA::Field<offsetof(TextHolder, text)>::Get<char*>(object, &handed), 0);
  ASSERT_NE(handed, nullptr);
  EXPECT_NE(handed, own);
  EXPECT_STREQ(handed, "the builder's own");
  SM_free(handed);

  holder.text = nullptr;
  EXPECT_EQ(JA::Field<offsetof(TextHolder, text)>::Get<char*>(object, &handed), 0);
  EXPECT_EQ(handed, nullptr);
}

}  // namespace
