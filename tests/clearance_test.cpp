// The clearance feature driven as the host drives it: made by its factory,
// given inputs, validated, previewed, committed, opened again for editing
// with its record and committed again.
#include <cmath>
#include <string>
#include <vector>

#include "DieDesJA_ClearanceBuilder.hpp"
#include "HeldSelections.hpp"
#include "DieDesignTestSupport.hpp"
#include "JamTestSupport.hpp"
#include "ja_die_clearance_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "jam/Session.hpp"
#include "kernel/Kernel.hpp"
#include "sel/Selection.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDesJA::ClearanceBuilder;
using KTX::DieDesJA::ClearanceBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;

using Property::ValuePtr;
using stamvik_test::ExportsStartingWith;
using stamvik_test::JamCalls;
using stamvik_test::Prefixed;

namespace {

class Clearance : public DieDesignFeature {};

TEST_F(Clearance, ANewBuilderStartsWithItsSubBuildersOptions) {
  Host::ClearCalls();
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(ArgsOf("SC_sectionFactory::object"),
            std::vector<std::string>{"part=" + std::to_string(part()->ask_tag()) + " 0.009500 0.010000 0.500000"});
  EXPECT_EQ(ArgsOf("DieAttributesBuilderFactory::Create"),
            std::vector<std::string>{"part=" + std::to_string(part()->ask_tag()) + " 110"});
  EXPECT_EQ(b->GetType(), DieDesJA::JA_CLEARANCE_BUILDER_Types_Gage);
  EXPECT_EQ(b->GetClearanceGeometryType(), DieDesJA::JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Solid);
  EXPECT_NE(b->GetDistance(), b->GetOffset());
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetDistance()), 0.0);
  EXPECT_EQ(EXP_ask_value_of_exp(b->GetOffset()), 0.0);
  EXPECT_EQ(b->GetGeometry()->ask_count(), 0);
  EXPECT_EQ(b->GetDistanceTolerance(), 0.01);
  EXPECT_EQ(b->GetAngleTolerance(), 0.5);
  // The plane with options 1, 1, 0, 1; the direction with 1, 0, 1, 1, 1; both
  // required and scoped 3.
  const bool plane[4] = {true, true, false, true};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(b->GetOrientation()->GetAllowOptionsItem(i), plane[i]) << i;
  EXPECT_TRUE(b->GetOrientation()->GetApplIsOverallRequired());
  EXPECT_EQ(b->GetOrientation()->GetApplScopePlane(), 3);
  const bool direction[5] = {true, false, true, true, true};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(b->GetClearanceDirection()->GetAllowOptionsItem(i), direction[i]) << i;
  EXPECT_TRUE(b->GetClearanceDirection()->GetApplIsOverallRequired());
  EXPECT_EQ(b->GetClearanceDirection()->GetApplScopeDirection(), 3);
  b->destroy();
}

TEST_F(Clearance, ValidationTakesItsChecksInOrder) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  OpenLoop(b->GetSection());
  EXPECT_EQ(b->validate_nothrow(), 3030490);
  b->destroy();

  b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(b->validate_nothrow(), 672225);  // no target, offset 0
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  EXPECT_EQ(b->validate_nothrow(), 0);
  b->SetDistanceTolerance(1e-10);
  EXPECT_EQ(b->validate_nothrow(), 0);
  b->SetDistanceTolerance(0.9e-10);
  b->SetAngleTolerance(0.0);
  EXPECT_EQ(b->validate_nothrow(), 3030447);
  b->SetDistanceTolerance(0.01);
  EXPECT_EQ(b->validate_nothrow(), 3030448);
  b->destroy();
}

TEST_F(Clearance, TheTargetDecidesWhetherTheDirectionIsRequired) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  b->GetTargetData()->SetOrientationFlag(true);
  const tag_t target = ModelBody(BodyType::Solid);
  b->GetTarget()->set_selected_tag(target);
  EXPECT_EQ(b->GetTargetData()->GetTargetBody(), target);
  EXPECT_FALSE(b->GetClearanceDirection()->GetApplIsOverallRequired());
  b->GetTargetData()->SetOrientationFlag(false);
  b->GetTarget()->set_selected_tag(0);
  EXPECT_TRUE(b->GetClearanceDirection()->GetApplIsOverallRequired());
  b->destroy();
}

TEST_F(Clearance, AnErrorOfTheTargetReactionIsReportedAndGoesNoFurther) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  Host::SetAnswer("DieDesTarget::SetTargetBody", 3030777);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 3030777);
  EXPECT_EQ(Error::SevereErrors()[0].file, "DieDesJA_ClearanceBuilder");
  EXPECT_EQ(Error::SevereErrors()[0].line, 809);
  EXPECT_EQ(b->GetTargetData()->GetTargetBody(), 0u);
  Host::ClearAnswers();
  b->destroy();
}

TEST_F(Clearance, APreviewThatDoesNotValidateHandsOverNothing) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  Host::ClearCalls();
  const int objects = OM::OM_live_objects();
  int count = 0;
  int* bodies = nullptr;
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 672225);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  ExpectMark("Clearance create bodies", true);
  EXPECT_TRUE(ArgsOf("Clearance::CreateBasicBodies").empty());
  EXPECT_EQ(OM::OM_live_objects(), objects);
  // Raised with the validation's number and reported where the preview catches.
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 672225);
  EXPECT_EQ(Error::SevereErrors()[0].file, "DieDesJA_ClearanceBuilder");
  EXPECT_EQ(Error::SevereErrors()[0].line, 494);
  b->destroy();
}

TEST_F(Clearance, APreviewOnASolidTargetHandsOverOneBody) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  int target = 0;
  const tag_t targetTag = ModelBody(BodyType::Solid, &target);
  b->GetTarget()->set_selected_tag(targetTag);
  Host::ClearCalls();
  const int before = LiveBodies();
  const int objects = OM::OM_live_objects();
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Kernel::CopiedFrom(bodies[0]), target);
  ExpectMark("Clearance create bodies", false);
  // Of the temporary feature only its target data is left, and the next update takes it.
  EXPECT_EQ(OM::OM_live_objects(), objects + 1);
  UPDATE_do_update();
  EXPECT_EQ(OM::OM_live_objects(), objects);

  auto basic = ArgsOf("Clearance::CreateBasicBodies");
  ASSERT_EQ(basic.size(), 1u);
  EXPECT_TRUE(Has(basic[0], "frec=0 mode=1 target=" + std::to_string(target) + " ")) << basic[0];
  EXPECT_TRUE(Has(basic[0], "targetBody=" + std::to_string(targetTag))) << basic[0];
  auto booleans = ArgsOf("DIEDES_UTILS_boolean_bodies2");
  ASSERT_EQ(booleans.size(), 2u);
  const std::string copy = "mode=22 target=" + std::to_string(bodies[0]) + " ";
  EXPECT_TRUE(Has(booleans[0], copy) && Has(booleans[0], "operation=15903 options=null tol=0.01")) << booleans[0];
  EXPECT_TRUE(Has(booleans[1], copy) && Has(booleans[1], "operation=15902 options=null tol=0.01")) << booleans[1];
  for (const std::string& args : booleans)
    EXPECT_TRUE(Has(args, "text=\" Clearance: Performing boolean operation\"")) << args;
  // The temporary parameters went, and their target data is on its way.
  EXPECT_EQ(Host::CountCalls("OM_delete_object"), 1u);
  EXPECT_EQ(ArgsOf("UPDATE_log_object_to_delete").size(), 1u);
  EXPECT_EQ(Host::CountCalls("DIEDES_GENERIC_ENTITY::ReleaseContents"), 6u);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);

  EXPECT_EQ(LiveBodies() - before, 1);
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
}

TEST_F(Clearance, WithoutASolidTargetThePreviewGivesTheToolBodies) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  Set(b->GetOffset(), "2");
  const int before = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);  // no target at all
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Kernel::CopiedFrom(bodies[0]), 0);
  EXPECT_TRUE(Has(ArgsOf("Clearance::CreateBasicBodies")[0], "target=0 ")) << ArgsOf("Clearance::CreateBasicBodies")[0];
  DieDesUtilsDeleteBodies(&count, &bodies);

  // A sheet target: the tools alone, and the copy is not left behind.
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Sheet));
  const int withSheet = LiveBodies();
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Kernel::CopiedFrom(bodies[0]), 0);
  EXPECT_EQ(LiveBodies() - withSheet, 1);
  DieDesUtilsDeleteBodies(&count, &bodies);

  // The host made nothing: nothing handed over, and no failure.
  Host::SetAnswer("Clearance::CreateBasicBodies.count", 0);
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  b->destroy();
  EXPECT_EQ(LiveBodies() - before, 1);  // the test's sheet target
}

TEST_F(Clearance, AHostErrorInThePreviewIsReportedAndUndone) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::ClearCalls();
  Host::SetAnswer("Clearance::CreateBasicBodies", 3030999);
  const int before = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030999);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  ExpectMark("Clearance create bodies", true);
  ASSERT_FALSE(Error::SevereErrors().empty());
  EXPECT_EQ(Error::SevereErrors().back().code, 3030999);
  EXPECT_EQ(LiveBodies(), before);
  b->destroy();
}

TEST_F(Clearance, ACommittedFeatureReadsBackEveryInputForEditing) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  const tag_t target = ModelBody(BodyType::Solid);
  b->GetTarget()->set_selected_tag(target);
  b->SetType(DieDesJA::JA_CLEARANCE_BUILDER_Types_Lifter);
  b->SetClearanceGeometryType(DieDesJA::JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Section);
  const tag_t g1 = Curve(7.0), g2 = Curve(8.0);
  b->GetGeometry()->append(g1);
  b->GetGeometry()->append(g2);
  ClosedLoop(b->GetSection());
  const tag_t section = OM::OM_ask_object_tag(b->GetSection());
  Set(b->GetDistance(), "3");
  Set(b->GetOffset(), "4");
  b->GetAttributes()->SetFirstText("CLEARANCE");
  b->GetAttributes()->SetSecondText("LIFTER");
  b->GetAttributes()->SetIntegerValue(7);
  b->SetDistanceTolerance(0.05);
  b->SetAngleTolerance(0.75);
  Host::ClearCalls();
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_NE(frec, nullptr);
  // The inputs the commit extracts: the target, both geometry objects, the
  // section's three curves and the direction's vector entity.
  // the target first.
  auto table = ArgsOf("DIEDES_UTILS_create_extraction_table");
  ASSERT_EQ(table.size(), 1u);
  EXPECT_TRUE(Has(table[0], "frec=0 count=7 tags=[" + std::to_string(target) + "," + std::to_string(g1) + "," +
                                std::to_string(g2) + ","))
      << table[0];
  b->destroy();

  Host::ClearCalls();
  ClearanceBuilder* e = ClearanceBuilderFactory::Create(modelPart(), frec);
  EXPECT_TRUE(ArgsOf("UPDATE_log_object_to_delete").empty());
  EXPECT_EQ(e->GetType(), DieDesJA::JA_CLEARANCE_BUILDER_Types_Lifter);
  EXPECT_EQ(e->GetClearanceGeometryType(), DieDesJA::JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Section);
  ASSERT_EQ(e->GetGeometry()->ask_count(), 2);
  EXPECT_EQ(e->GetGeometry()->ask_nth(0), g1);
  EXPECT_EQ(e->GetGeometry()->ask_nth(1), g2);
  EXPECT_NE(OM::OM_ask_object_tag(e->GetSection()), section);  // a copy of the feature's
  EXPECT_EQ(Stamvik::LoopsOf(e->GetSection()), Stamvik::LoopsOf(OM::TagToObject<SC_section>(section)));
  EXPECT_EQ(EXP_ask_value_of_exp(e->GetDistance()), 3.0);
  EXPECT_EQ(EXP_ask_value_of_exp(e->GetOffset()), 4.0);
  EXPECT_STREQ(e->GetAttributes()->GetFirstText(), "CLEARANCE");
  EXPECT_STREQ(e->GetAttributes()->GetSecondText(), "LIFTER");
  EXPECT_EQ(e->GetAttributes()->GetIntegerValue(), 7);
  EXPECT_EQ(e->GetDistanceTolerance(), 0.05);
  EXPECT_EQ(e->GetAngleTolerance(), 0.75);
  EXPECT_EQ(e->GetTarget()->ask_selected_tag(), target);

  // Committed again, with a new title: the old one is kept as the previous title.
  e->GetAttributes()->SetFirstText("GAGE");
  FEATURE_RECORD* again = frec;
  EXPECT_EQ(e->commit_feature(&again), 0);
  EXPECT_EQ(again, frec);
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
  ASSERT_NE(parms, nullptr);
  DieAttributesRecord* record = parms->AskDieAttributes();
  EXPECT_STREQ(record->title, "GAGE");
  EXPECT_STREQ(record->previousTitle, "CLEARANCE");
  SM_free(record);
  e->destroy();
}

TEST_F(Clearance, TheHostsWholeRoundPreviewsBeforeEachCommit) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  int target = 0;
  const tag_t targetTag = ModelBody(BodyType::Solid, &target);
  b->GetTarget()->set_selected_tag(targetTag);
  ClosedLoop(b->GetSection());
  Set(b->GetDistance(), "3");
  const int before = LiveBodies();
  ASSERT_EQ(b->validate_nothrow(), 0);
  int count = 0;
  int* bodies = nullptr;
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  DieDesUtilsDeleteBodies(&count, &bodies);
  // The preview's table went with it: the commit makes its own.
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  Host::ClearCalls();
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_NE(frec, nullptr);
  EXPECT_EQ(ArgsOf("DIEDES_UTILS_create_extraction_table").size(), 1u);
  b->destroy();

  ClearanceBuilder* e = ClearanceBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(e->GetTarget()->ask_selected_tag(), targetTag);
  ASSERT_EQ(e->validate_nothrow(), 0);
  Set(e->GetDistance(), "6");
  Host::ClearCalls();
  ASSERT_EQ(e->CreateBodies(&count, &bodies), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(Kernel::CopiedFrom(bodies[0]), target);
  ExpectMark("Clearance create bodies", false);
  // Editing, the preview's table names the record being edited.
  const std::string record = "frec=" + std::to_string(OM::OM_ask_object_tag(frec)) + " ";
  EXPECT_TRUE(Has(ArgsOf("DIEDES_UTILS_create_extraction_table").at(0), record));
  DieDesUtilsDeleteBodies(&count, &bodies);
  FEATURE_RECORD* again = frec;
  ASSERT_EQ(e->commit_feature(&again), 0);
  EXPECT_EQ(again, frec);
  EXPECT_EQ(LiveBodies(), before);
  e->destroy();

  ClearanceBuilder* last = ClearanceBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(EXP_ask_value_of_exp(last->GetDistance()), 6.0);
  EXPECT_EQ(OM::OM_ask_object_tag(last->GetSection()) != 0, true);
  last->destroy();
}

TEST_F(Clearance, TheBuilderOwnsItsSectionAndExpressionsUntilAFeatureHoldsThem) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  const tag_t made[3] = {OM::OM_ask_object_tag(b->GetSection()), OM::OM_ask_object_tag(b->GetDistance()),
                         OM::OM_ask_object_tag(b->GetOffset())};
  b->destroy();
  for (tag_t tag : made) EXPECT_TRUE(OM::OM_is_deleted_tag(tag)) << tag;

  b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  ClosedLoop(b->GetSection());
  const tag_t held[3] = {OM::OM_ask_object_tag(b->GetSection()), OM::OM_ask_object_tag(b->GetDistance()),
                         OM::OM_ask_object_tag(b->GetOffset())};
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  for (tag_t tag : held) EXPECT_NE(OM::OM_object_of_tag(tag), nullptr) << tag;
  // Opened on the feature, the builder works on copies of its section and
  // its offset, which go with it.
  ClearanceBuilder* e = ClearanceBuilderFactory::Create(modelPart(), frec);
  EXPECT_NE(OM::OM_ask_object_tag(e->GetSection()), held[0]);
  const tag_t copy = OM::OM_ask_object_tag(e->GetOffset());
  EXPECT_NE(copy, held[2]);
  EXPECT_STREQ(e->GetOffset()->ask_text(), OM::TagToObject<EXP_expression>(held[2])->ask_text());
  e->destroy();
  for (tag_t tag : held) EXPECT_NE(OM::OM_object_of_tag(tag), nullptr) << tag;
  EXPECT_TRUE(OM::OM_is_deleted_tag(copy));
}

TEST_F(Clearance, ARecordWithoutClearanceParametersIsRefused) {
  ClearanceBuilder* b = ClearanceBuilderFactory::Create(modelPart(), nullptr);
  FEATURE_RECORD* none = nullptr;
  EXPECT_EQ(b->DieGenericBodyCommitFeature(&none, DieDes::CastReliefFactory::Create(), 0), 690000);
  EXPECT_EQ(none, nullptr);
  FEATURE_RECORD* other = FEATURE_RECORD::Create(part(), DieDes::CastReliefFactory::Create());
  try {
    b->ConvertBuilderDataToFrec(other);
    ADD_FAILURE() << "no error";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670156);
    EXPECT_EQ(e.text(), "Feature has no database parameters.");
  }
  b->destroy();
}

// ---- as a scripting class -------------------------------------------------------------

class ClearanceSetUp : public stamvik_test::FirstCallSetUp {};
class ClearanceScripting : public stamvik_test::SlotClearanceRoughBooleanBuilders {};
class ClearanceDefaults : public stamvik_test::SlotClearanceRoughBooleanDefaults {};
class ClearanceOwners : public stamvik_test::SlotClearanceRoughBooleanOwners {};

TEST(ClearanceExports, ClearanceExportsItsSixteenMembersAsNamed) {
  std::set<std::string> expected = Prefixed(
      "XJA_CLEARANCE_BUILDER_",
      {"get_Target", "get_ClearanceGeometryType", "set_ClearanceGeometryType", "get_Geometry", "get_Section",
       "get_Orientation", "get_ClearanceDirection", "get_Distance", "get_Offset", "get_Attributes",
       "get_DistanceTolerance", "set_DistanceTolerance", "get_AngleTolerance", "set_AngleTolerance", "get_Type",
       "set_Type"});
  ASSERT_EQ(expected.size(), 16u);
  EXPECT_EQ(ExportsStartingWith("XJA_CLEARANCE_BUILDER_"), expected);
}

TEST_F(ClearanceSetUp, ClearanceLooksUpItsEnumerationsInDeclarationOrder) {
  std::vector<const char*> dependencies = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder",
                                           "Expression", "Section", "SelectObject", "SelectObjectList"};
  auto* b = DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr);
  std::vector<std::string> calls =
      SetUpCalls("Die.ClearanceBuilder", dependencies, [&] { XJA_CLEARANCE_BUILDER_set_Type(b, 1); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected;
  for (const char* d : dependencies) expected.push_back(std::string("FileInitializer::Initialize ") + d);
  for (const char* c : {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder", "Expression",
                        "Features.FeatureBuilder", "Section"})
    expected.push_back(std::string("JAM_lookup_or_create_class ") + c);
  expected.insert(expected.end(), {
                                      "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
                                      "JAM_lookup_or_create_template_class SelectBodyList SelectObjectList Body",
                                      "JAM_lookup_or_create_enum Die.ClearanceBuilder.Types 4",
                                      "JAM_lookup_or_create_enum Die.ClearanceBuilder.ClearanceGeometryTypes 4",
                                      "JAM_add_enum_member Die.ClearanceBuilder.Types Gage 0",
                                      "JAM_add_enum_member Die.ClearanceBuilder.Types Gripper 1",
                                      "JAM_add_enum_member Die.ClearanceBuilder.Types Lifter 2",
                                      "JAM_add_enum_member Die.ClearanceBuilder.ClearanceGeometryTypes Solid 0",
                                      "JAM_add_enum_member Die.ClearanceBuilder.ClearanceGeometryTypes Section 1",
                                      "JAM_create_class Die.ClearanceBuilder Features.FeatureBuilder",
                                      "JAM_test_register_print_fn Die.ClearanceBuilder",
                                      "JAM_register_initialisation_function Die.ClearanceBuilder",
                                  });
  for (const char* p :
       {"Attributes", "ClearanceDirection", "Distance", "Geometry", "Offset", "Orientation", "Section", "Target"})
    expected.push_back(std::string("JAM_declare_ptr_property_accessor Die.ClearanceBuilder ") + p + " 0 1");
  expected.push_back("JAM_start_property_call Die.ClearanceBuilder 2 Type");
  EXPECT_EQ(calls, expected);
}

TEST_F(ClearanceScripting, ClearanceTypeIsStoredInTheFieldDirectly) {
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_set_Type(clearance_, 2), 0);  // "Lifter"
  EXPECT_EQ(clearance_->GetType(), DieDesJA::JA_CLEARANCE_BUILDER_Types_Lifter);
  int type = 0;
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_get_Type(clearance_, &type), 0);
  EXPECT_EQ(type, 2);
  std::string t = TagOf(clearance_);
  std::vector<std::string> calls = JamCalls();
  std::vector<std::string> set(calls.begin(), calls.begin() + 6);
  EXPECT_EQ(set, (std::vector<std::string>{
                     "JAM_start_property_call Die.ClearanceBuilder 2 Type",
                     "JAM_this_ptr " + t,
                     "JAM_in_enum type=Die.ClearanceBuilder.Types:2",
                     "JAM_end_of_arguments",
                     "OM__log tag=" + t,
                     "JAM_end_call 0",
                 }));
  ASSERT_EQ(XJA_CLEARANCE_BUILDER_set_ClearanceGeometryType(clearance_, 1), 0);
  EXPECT_EQ(clearance_->GetClearanceGeometryType(), DieDesJA::JA_CLEARANCE_BUILDER_ClearanceGeometryTypes_Section);
  EXPECT_EQ(JAM::Recorded().back().values.at(0).name, "clearancegeometrytype");
}

TEST_F(ClearanceDefaults, ClearanceInBothUnitSystems) {
  Apply("Die.ClearanceBuilder", clearance_);
  EXPECT_EQ(Written(clearance_), (std::vector<std::string>{"ClearanceGeometryType=Solid (paused)",
                                                          "Distance.Value=0 (paused)", "Offset.Value=5 (paused)"}));
  Host::ClearCalls();
  part()->SetUnitCode(1);
  Apply("Die.ClearanceBuilder", clearance_);
  EXPECT_EQ(Written(clearance_), (std::vector<std::string>{"ClearanceGeometryType=Solid (paused)",
                                                          "Distance.Value=0 (paused)", "Offset.Value=0.2 (paused)"}));
}

TEST_F(ClearanceOwners, ClearanceSectionIsASubobjectOfClassSection) {
  ValuePtr section = Get("Die.ClearanceBuilder", clearance_, "Section");
  ASSERT_EQ(section->GetType(), Property::ValueType::kSubobject);
  EXPECT_STREQ(ClassOf(section), "Section");
  EXPECT_EQ(section->GetSubobject(), clearance_->GetSection());
  EXPECT_STREQ(ClassOf(Get("Die.ClearanceBuilder", clearance_, "target")), "SelectBody");
  EXPECT_STREQ(ClassOf(Get("Die.ClearanceBuilder", clearance_, "Geometry")), "SelectBodyList");
  ValuePtr kind = Get("Die.ClearanceBuilder", clearance_, "clearance_geometry_type");
  ASSERT_EQ(kind->GetType(), Property::ValueType::kEnum);
  EXPECT_STREQ(static_cast<Property::Enum&>(*kind).GetMemberName(), "Solid");

  static Property::EnumMembers types{"Gage,Gripper,Lifter"};
  ValuePtr lifter = Property::MakeEnum(types, 2);
  ExpectSameRecord([&] { clearance_->SetType(DieDesJA::JA_CLEARANCE_BUILDER_Types_Gage); },
                   [&] { return OwnerOf("Die.ClearanceBuilder")->SetProperty(clearance_, "Type", lifter.get()); },
                   [&] { return XJA_CLEARANCE_BUILDER_set_Type(clearance_, 2); });
  EXPECT_EQ(clearance_->GetType(), DieDesJA::JA_CLEARANCE_BUILDER_Types_Lifter);
}

}  // namespace
