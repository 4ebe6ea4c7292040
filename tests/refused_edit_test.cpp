// A builder opened on a feature changes nothing of it until a commit takes
// its values: an edit refused by validation, one whose rebuild fails and is
// undone, or one let go without a commit leaves the feature as it was. Each
// row plays the user's edit as a journal; then the feature is opened again
// (as the collection's creator opens it), every value read back, that
// builder committed unchanged and the values and the body read once more.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "InProcessPlaySupport.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "HeldSelections.hpp"
#include "DieEngJA_DrawBeadBuilder.hpp"
#include "DieEngJA_DrawBeadSegmentBuilder.hpp"
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "afl/DieEngParms.hpp"
#include "afl/DieEngineering.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "afl/TireEnvelope.hpp"
#include "exp/Expression.hpp"
#include "jam/Journal.hpp"
#include "script/PartReport.hpp"
#include "script/Player.hpp"
#include "script/ScriptClasses.hpp"
#include "sys/CallLog.hpp"
#include "sys/Listing.hpp"
#include "vd/KnowledgeRule.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using KTX::DieDesJA::CastReliefBuilder;
using KTX::DieDesJA::CastReliefBuilderFactory;

namespace {

using Values = std::vector<std::pair<const char*, const char*>>;  // a getter of an expression, the text set

// An edit of the feature: a builder opened on it, options and expressions
// set, then committed with the status the journal states and let go, or
// let go without a commit (status -1).
struct Edit {
  const char* what;
  Values values;
  int status;
  const char* failing = nullptr;  // a host call scripted to fail the rebuild with the status
  Values options = {};            // logical options set first: the setter, "true" or "false"
};

// Journal records of a builder (journal tag `builder`) of the class.
std::string SetExpressions(const std::string& builderClass, int builder, const Values& values, int* next) {
  std::string text;
  for (const auto& [getter, value] : values) {
    std::string lower = getter;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    const std::string tag = std::to_string((*next)++);
    text += "record 0 get \"Features." + builderClass + "\" \"" + getter + "\"\n  this ptr " +
            std::to_string(builder) + "\n  result ptr \"" + lower + "\" \"Expression\" " + tag + "\n  closed 0\n" +
            "record 0 set \"Expression\" \"RightHandSide\"\n  this ptr " + tag + "\n  in string \"righthandside\" - \"" +
            value + "\"\n  closed 0\n";
  }
  return text;
}

std::string SetOptions(const std::string& builderClass, int builder, const Values& options) {
  std::string text;
  for (const auto& [setter, value] : options) {
    std::string lower = setter;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    text += "record 0 set \"Features." + builderClass + "\" \"" + setter + "\"\n  this ptr " +
            std::to_string(builder) + "\n  in logical \"" + lower + "\" - " + value + "\n  closed 0\n";
  }
  return text;
}

// The edit as a user plays it on the feature the journal named 40.
std::string EditJournal(const std::string& feature, const std::string& featureArgument, const Edit& edit) {
  const std::string builderClass = feature + "Builder";
  std::string text = "journal 1\nrecord 0 method \"Features.AutomotiveCollection\" \"Create" + builderClass +
                     "\"\n  this tag 1\n  in tag \"" + featureArgument + "\" \"Features." + feature +
                     "\" 40\n  result tag \"builder\" \"Features." + builderClass + "\" 50\n  closed 0\n";
  int next = 51;
  text += SetOptions(builderClass, 50, edit.options);
  text += SetExpressions(builderClass, 50, edit.values, &next);
  if (edit.status >= 0)
    text += "record 0 method \"Builder\" \"Commit\"\n  this ptr 50\n  result tag \"object\" \"TaggedObject\" " +
            std::string(edit.status == 0 ? "40" : "0") + "\n  closed " + std::to_string(edit.status) + "\n";
  return text + "record 0 method \"Builder\" \"Destroy\"\n  this ptr 50\n  closed 0\n";
}

// An example journal's text.
std::string ExampleText(const char* name) {
  std::ifstream example(stamvik_test::Examples() / name);
  std::stringstream whole;
  whole << example.rdbuf();
  return whole.str();
}
// A builder's commit record closing with `status`, its feature the
// journal's `feature` when it succeeds; and its destroy record.
std::string CommitRecord(int builder, int feature, int status) {
  return "record 0 method \"Builder\" \"Commit\"\n  this ptr " + std::to_string(builder) +
         "\n  result tag \"object\" \"TaggedObject\" " + std::to_string(status == 0 ? feature : 0) +
         "\n  closed " + std::to_string(status) + "\n";
}
std::string DestroyRecord(int builder) {
  return "record 0 method \"Builder\" \"Destroy\"\n  this ptr " + std::to_string(builder) + "\n  closed 0\n";
}

// The die-design builder (10) that made its feature kept open: its values
// set, its commit closing with `status`, then let go.
std::string KeptOpen(const std::string& builderClass, const Values& values, int status) {
  int next = 61;
  std::string text = "journal 1\n" + SetExpressions(builderClass, 10, values, &next) + CommitRecord(10, 0, status) +
                     DestroyRecord(10);
  const std::string features = "\"Features." + builderClass + "\"";
  for (std::size_t at = 0; (at = text.find(features, at)) != std::string::npos;)
    text.replace(at, features.size(), "\"Die." + builderClass + "\"");
  return text;
}

class RefusedEdit : public stamvik_test::JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    stamvik_test::BindPlugin();
    Host::SetBuildersMode(1);
  }
  void TearDown() override {
    Host::ClearAnswers();
    Host::SetBuildersMode(0);
    JAM::ClearJournal();
    Listing::Reset();
    JamTest::TearDown();
  }
  // Plays the journal's records on; false at the first that fails.
  bool Play(const std::string& text) {
    const JAM::Journal journal = JAM::ReadJournal(text);
    std::string error;
    for (std::size_t i = 0; i < journal.size(); ++i)
      if (!player_.Play(journal[i], i, &error)) {
        ADD_FAILURE() << error;
        return false;
      }
    return true;
  }
  // The feature's values read back by a builder opened on it (as the
  // collection's creator opens one); the builder is let go.
  template <class Builder, class Factory>
  static std::vector<double> ReadBack(Factory factory, CM_part* part, FEATURE_RECORD* feature,
                                      const std::vector<EXP_expression* (Builder::*)() const>& getters) {
    Builder* opened = factory(part, feature);
    std::vector<double> values;
    for (auto getter : getters) values.push_back(EXP_ask_value_of_exp((opened->*getter)()));
    opened->destroy();
    return values;
  }
  Script::Player player_;
};

// The base manikin: a class-A driver (J826 95th), its driving posture
// checked, values out of range not allowed (the scripting defaults allow
// them), its posture the limits pass (H30 = 500 - 325 = 175, within 127 to
// 405; back angle 22 within 5 to 40; wheel diameter 400 within 0 to 450).
const Values kManikinPosture = {{"SgRPLength", "600"},     {"SgRPWidth", "370"},     {"SgRPHeight", "500"},
                                {"BackAngle", "22"},       {"AHPLength", "0"},       {"AHPHeight", "325"},
                                {"PedalPlaneAngle", "45"}, {"AHPToSWCLength", "500"}, {"AHPToSWCHeight", "400"},
                                {"WheelDiameter", "400"},  {"WheelAngle", "20"}};

TEST_F(RefusedEdit, AManikinEditRefusedFailedOrLetGoLeavesEveryPostureValue) {
  int next = 11;
  ASSERT_TRUE(Play("journal 1\nrecord 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
                   "record 0 get \"Part\" \"AutomotiveCollection\"\n  this tag 1\n  result tag \"automotivecollection\" "
                   "\"Features.AutomotiveCollection\" 1\n  closed 0\n"
                   "record 0 method \"Features.AutomotiveCollection\" \"CreateManikinBuilder\"\n  this tag 1\n  in tag "
                   "\"manikin\" \"Features.Manikin\" 0\n  result tag \"builder\" \"Features.ManikinBuilder\" 10\n  closed 0\n" +
                   SetOptions("ManikinBuilder", 10,
                              {{"DrivingPostureCheck", "true"}, {"AllowPostureValueOutOfRange", "false"}}) +
                   SetExpressions("ManikinBuilder", 10, kManikinPosture, &next) +
                   "record 0 method \"Builder\" \"Commit\"\n  this ptr 10\n  result tag \"object\" \"TaggedObject\" 40\n"
                   "  closed 0\n"));
  // The builder that made it, going on: a length the rule refers to, set
  // through it after the commit, is refused like any other (H30 = 20).
  ASSERT_TRUE(Play("journal 1\n" + SetExpressions("ManikinBuilder", 10, {{"AHPHeight", "480"}}, &next) +
                   "record 0 method \"Builder\" \"Commit\"\n  this ptr 10\n  result tag \"object\" \"TaggedObject\" 0\n"
                   "  closed 3770420\nrecord 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n"));
  const std::vector<KF_rule_instance*> rules = KnowledgeRule::Instances(part());
  ASSERT_FALSE(rules.empty());
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(rules[0]->ask_frec()));
  ASSERT_NE(feature, nullptr);
  // The eleven posture values, in the order of kManikinPosture.
  const std::vector<EXP_expression* (ManikinBuilder::*)() const> getters = {
      &ManikinBuilder::GetSgRPLength,      &ManikinBuilder::GetSgRPWidth,     &ManikinBuilder::GetSgRPHeight,
      &ManikinBuilder::GetBackAngle,       &ManikinBuilder::GetAHPLength,     &ManikinBuilder::GetAHPHeight,
      &ManikinBuilder::GetPedalPlaneAngle, &ManikinBuilder::GetAHPToSWCLength, &ManikinBuilder::GetAHPToSWCHeight,
      &ManikinBuilder::GetWheelDiameter,   &ManikinBuilder::GetWheelAngle};
  const std::vector<double> posture = {600, 370, 500, 22, 0, 325, 45, 500, 400, 400, 20};
  const auto readBack = [&] {
    return ReadBack<ManikinBuilder>(&ManikinBuilderFactory::Create, modelPart(), feature, getters);
  };
  ASSERT_EQ(readBack(), posture);

  // One row a posture value; a value validation takes (the width, which no
  // limit bounds) goes with one it refuses. The refusals, by the limits:
  // SgRP length -10 behind the AHP at 0 (3770416); back angle 40.2 past 40
  // + 0.1 (3770409); the AHP at 700 ahead of the SgRP (3770416 first);
  // the AHP height 480 leaves H30 = 20 below 127 - 0.5 (3770420); pedal 95
  // past 90 (3770411); the wheel -1 behind or below the AHP out of the
  // arms' reach (3770425, the reach of the SgRP's dimension coming before the
  // wheel's own); diameter 500 past 450 + 0.5 (3770414); wheel angle 95
  // (3770412); allowed out of range, the SgRP height 300 below the AHP's
  // 325 (3770417).
  const Edit edits[] = {
      {"SgRP length -10", {{"SgRPLength", "-10"}}, 3770416},
      {"SgRP width 123, back angle 40.2", {{"SgRPWidth", "123"}, {"BackAngle", "40.2"}}, 3770409},
      {"SgRP height 300 below the AHP, allowed out of range",
       {{"SgRPHeight", "300"}},
       3770417,
       nullptr,
       {{"AllowPostureValueOutOfRange", "true"}}},
      {"back angle 40.2", {{"BackAngle", "40.2"}}, 3770409},
      {"AHP length 700", {{"AHPLength", "700"}}, 3770416},
      {"AHP height 480", {{"AHPHeight", "480"}}, 3770420},
      {"pedal plane angle 95", {{"PedalPlaneAngle", "95"}}, 3770411},
      {"AHP to wheel length -1", {{"AHPToSWCLength", "-1"}}, 3770425},
      {"AHP to wheel height -1", {{"AHPToSWCHeight", "-1"}}, 3770425},
      {"wheel diameter 500", {{"WheelDiameter", "500"}}, 3770414},
      {"wheel angle 95", {{"WheelAngle", "95"}}, 3770412},
      {"back angle 30 and SgRP height 510, the rebuild failing",
       {{"BackAngle", "30"}, {"SgRPHeight", "510"}},
       840007,
       "VD_KF_create_child_rule"},
      {"every value changed, let go without a commit",
       {{"SgRPLength", "610"}, {"SgRPWidth", "371"}, {"SgRPHeight", "501"}, {"BackAngle", "23"}, {"AHPLength", "1"},
        {"AHPHeight", "326"}, {"PedalPlaneAngle", "46"}, {"AHPToSWCLength", "501"}, {"AHPToSWCHeight", "401"},
        {"WheelDiameter", "401"}, {"WheelAngle", "21"}},
       -1},
  };
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.what);
    if (edit.failing != nullptr) Host::SetAnswer(edit.failing, edit.status);
    const bool played = Play(EditJournal("Manikin", "manikin", edit));
    Host::ClearAnswers();
    if (!played) continue;
    EXPECT_EQ(readBack(), posture) << "read back after the edit";
    // Committed unchanged, the manikin is the same.
    ManikinBuilder* again = ManikinBuilderFactory::Create(modelPart(), feature);
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(again, &object), 0);
    EXPECT_EQ(object, feature->OmTag());
    again->destroy();
    EXPECT_EQ(readBack(), posture) << "read back after a commit that changes nothing";
    EXPECT_EQ(KnowledgeRule::Instances(part()).size(), 2u) << "the manikin and its checker";
  }
  // An edit that validates reaches the rule: each length through the rule's
  // own expression, each angle through a new one.
  std::vector<double> moved = posture;
  moved[0] = 610, moved[5] = 330, moved[8] = 410, moved[3] = 24;
  ASSERT_TRUE(Play(EditJournal("Manikin", "manikin",
                               {"moved", {{"SgRPLength", "610"}, {"AHPHeight", "330"}, {"AHPToSWCHeight", "410"},
                                          {"BackAngle", "24"}}, 0})));
  EXPECT_EQ(readBack(), moved);
}

// The tire envelope of the example: a solid tire moved by a MacPherson
// strut, swept 0 to 180 degrees, tolerance 0.5, trim radius 400.
TEST_F(RefusedEdit, ATireEnvelopeEditRefusedFailedOrLetGoLeavesItsValuesAndItsBody) {
  const std::string text = ExampleText("tire_envelope_commit.jou");
  const std::size_t let = text.find("record 0 method \"Builder\" \"Destroy\"");
  ASSERT_NE(let, std::string::npos);
  ASSERT_TRUE(Play(text.substr(0, let)));
  // The builder that made it, going on: a value set through it after the
  // commit is refused like any other.
  int next = 61;
  ASSERT_TRUE(Play("journal 1\n" + SetExpressions("TireEnvelopeBuilder", 10, {{"RadialEndAngle", "200"}}, &next) +
                   "record 0 method \"Builder\" \"Commit\"\n  this ptr 10\n  result tag \"object\" \"TaggedObject\" 0\n"
                   "  closed 3771769\nrecord 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n"));
  FEATURE_RECORD* feature = nullptr;
  for (tag_t t : Host::KeptInPart(part()))
    if (auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t));
        record != nullptr && TireEnvelope_Is(record) > 0)
      feature = record;
  ASSERT_NE(feature, nullptr);
  const std::vector<EXP_expression* (TireEnvelopeBuilder::*)() const> getters = {
      &TireEnvelopeBuilder::GetRadialStartAngle,  &TireEnvelopeBuilder::GetRadialEndAngle,
      &TireEnvelopeBuilder::GetDistanceTolerance, &TireEnvelopeBuilder::GetTrimRadius,
      &TireEnvelopeBuilder::GetWheelCenterlineShift, &TireEnvelopeBuilder::GetFrontOffsetValue};
  // The centerline shift and front offset are the scripting defaults' 20.
  const std::vector<double> values = {0, 180, 0.5, 400, 20, 20};
  const auto readBack = [&] {
    return ReadBack<TireEnvelopeBuilder>(&TireEnvelopeBuilderFactory::Create, modelPart(), feature, getters);
  };
  // The body as the part lists it, without its tag (an update makes a new one).
  const auto body = [&] {
    const std::string listed = Script::DescribePart(part());
    const std::size_t at = listed.find("\nbody " + std::to_string(feature->ask_body_eid()) + " ");
    if (at == std::string::npos) return std::string("no body");
    const std::size_t from = listed.find(' ', at + 6);
    return listed.substr(from, listed.find('\n', at + 1) - from);
  };
  ASSERT_EQ(readBack(), values);
  const std::string made = body();
  ASSERT_NE(made.find("solid volume"), std::string::npos) << made;

  // The checks of validation refuse: a start angle 14 not a multiple of 15
  // (3771711), an end angle 200 (3771769), a tolerance or trim radius of 0
  // (3771709, 3771710), a centerline shift of 700 past 25 inches (635 mm,
  // 3771764).
  const Edit edits[] = {
      {"start angle 14", {{"RadialStartAngle", "14"}}, 3771711},
      {"front offset 40, end angle 200", {{"FrontOffsetValue", "40"}, {"RadialEndAngle", "200"}}, 3771769},
      {"distance tolerance 0", {{"DistanceTolerance", "0"}}, 3771709},
      {"trim radius 0", {{"TrimRadius", "0"}}, 3771710},
      {"centerline shift 700", {{"WheelCenterlineShift", "700"}}, 3771764},
      {"end angle 270, the update failing", {{"RadialEndAngle", "270"}, {"TrimRadius", "390"}}, 840007,
       "DIEENG_update_frec"},
      {"every value changed, let go without a commit",
       {{"RadialStartAngle", "15"}, {"RadialEndAngle", "270"}, {"DistanceTolerance", "0.4"}, {"TrimRadius", "390"},
        {"WheelCenterlineShift", "5"}, {"FrontOffsetValue", "10"}},
       -1},
  };
  for (const Edit& edit : edits) {
    SCOPED_TRACE(edit.what);
    if (edit.failing != nullptr) Host::SetAnswer(edit.failing, edit.status);
    const bool played = Play(EditJournal("TireEnvelope", "tireEnvelope", edit));
    Host::ClearAnswers();
    if (!played) continue;
    EXPECT_EQ(readBack(), values) << "read back after the edit";
    EXPECT_EQ(body(), made);
    TireEnvelopeBuilder* again = TireEnvelopeBuilderFactory::Create(modelPart(), feature);
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(again, &object), 0);
    again->destroy();
    EXPECT_EQ(readBack(), values) << "read back after a commit that changes nothing";
    EXPECT_EQ(body(), made) << "the body after a commit that changes nothing";
  }
  // An edit that validates reaches the feature's expressions (the stand-in's
  // envelope is swept whole whatever its angles: its body stays).
  ASSERT_TRUE(Play(EditJournal("TireEnvelope", "tireEnvelope",
                               {"swept to 270", {{"RadialEndAngle", "270"}, {"TrimRadius", "390"}}, 0})));
  EXPECT_EQ(readBack(), (std::vector<double>{0, 270, 0.5, 390, 20, 20}));
}

// A die-design feature, as every body builder reads it back and commits it
// (the shared commit): the example's cast relief, 5 deep, its support
// casting 20 thick.
TEST_F(RefusedEdit, ACastReliefEditRefusedFailedOrLetGoLeavesItsExpressions) {
  const std::string text = ExampleText("cast_relief.jou");
  ASSERT_TRUE(Play(text.substr(0, text.find("record 0 method \"Builder\" \"Destroy\""))));
  // The builder that made it, going on (as every body builder's shared
  // commit leaves it): a value set through it after the commit is refused
  // like any other.
  ASSERT_TRUE(Play(KeptOpen("CastReliefBuilder", {{"Thickness", "30"}, {"ReliefDepth", "0"}}, 3030482)));
  FEATURE_RECORD* feature = nullptr;
  for (tag_t t : Host::KeptInPart(part()))
    if (auto* record = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)); record != nullptr) feature = record;
  ASSERT_NE(feature, nullptr);
  const std::vector<EXP_expression* (CastReliefBuilder::*)() const> getters = {&CastReliefBuilder::GetReliefDepth,
                                                                              &CastReliefBuilder::GetThickness};
  const auto readBack = [&] {
    return ReadBack<CastReliefBuilder>(&CastReliefBuilderFactory::Create, modelPart(), feature, getters);
  };
  // The feature's entity as the part lists it, and the expressions it holds:
  // the feature's own, whatever an edit wrote.
  const auto listed = [&] {
    const std::string all = Script::DescribePart(part());
    const std::size_t at = all.find("  entity 4 ");
    if (at == std::string::npos) return std::string();
    const auto* parms = dynamic_cast<const DIEDES_GENERIC_BODY_PARMS*>(feature->ask_parms());
    return all.substr(at, all.find('\n', at) - at) + " held " +
           std::to_string(OM::OM_ask_object_tag(parms->AskEntityExpression(4, 0))) + " " +
           std::to_string(OM::OM_ask_object_tag(parms->AskEntityExpression(4, 1)));
  };
  ASSERT_EQ(readBack(), (std::vector<double>{5, 20}));
  const std::string entity = listed();
  ASSERT_EQ(entity.rfind("  entity 4 expressions 5 20 (flag 1) held ", 0), 0u) << entity;
  // A relief of depth 0 without a relief sheet is refused (3030482).
  const Edit edits[] = {
      {"depth 0", {{"ReliefDepth", "0"}}, 3030482},
      {"thickness 30, depth 0", {{"Thickness", "30"}, {"ReliefDepth", "0"}}, 3030482},
      {"depth 8 and thickness 30, the update failing",
       {{"ReliefDepth", "8"}, {"Thickness", "30"}},
       840007,
       "DIEENG_UpdateMultipleBodyFrec"},
      {"depth 8 and thickness 30, let go without a commit", {{"ReliefDepth", "8"}, {"Thickness", "30"}}, -1},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.what);
    if (e.failing != nullptr) Host::SetAnswer(e.failing, e.status);
    std::string journal = EditJournal("CastRelief", "castRelief", e);
    // The die-design builders are opened by the die collection's creator.
    const std::string opened = "record 0 method \"Die.DieCollection\" \"CastRelief\"\n  this tag 1\n  in tag "
                               "\"castRelief\" \"Die.CastRelief\" 20\n  result tag \"builder\" "
                               "\"Die.CastReliefBuilder\" 50\n  closed 0\n";
    journal = "journal 1\n" + opened + journal.substr(journal.find("record 0 get"));
    for (std::size_t at = 0; (at = journal.find("\"Features.CastReliefBuilder\"", at)) != std::string::npos;)
      journal.replace(at, 28, "\"Die.CastReliefBuilder\"");
    for (std::size_t at = 0; (at = journal.find("\"TaggedObject\" 40", at)) != std::string::npos;)
      journal.replace(at, 17, "\"TaggedObject\" 20");
    const bool played = Play(journal);
    Host::ClearAnswers();
    if (!played) continue;
    EXPECT_EQ(readBack(), (std::vector<double>{5, 20})) << "read back after the edit";
    EXPECT_EQ(listed(), entity);
    CastReliefBuilder* again = CastReliefBuilderFactory::Create(modelPart(), feature);
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(again, &object), 0);
    again->destroy();
    EXPECT_EQ(readBack(), (std::vector<double>{5, 20})) << "read back after a commit that changes nothing";
    EXPECT_EQ(listed(), entity);
  }
  // The relief profile (entity 0, a closed loop of three lines), edited
  // through the builder's ReliefProfile: a loop added, then refused; the
  // profile emptied and let go; a loop added and committed.
  const auto* parms = dynamic_cast<const DIEDES_GENERIC_BODY_PARMS*>(feature->ask_parms());
  const tag_t profile = parms->AskEntityTag(0, 0);
  const auto loops = Stamvik::LoopsOf(OM::TagToObject<SC_section>(profile));
  ASSERT_EQ(loops.size(), 1u);
  const std::string opened =
      "journal 1\nrecord 0 method \"Die.DieCollection\" \"CastRelief\"\n  this tag 1\n  in tag \"castRelief\" "
      "\"Die.CastRelief\" 20\n  result tag \"builder\" \"Die.CastReliefBuilder\" 50\n  closed 0\n"
      "record 0 get \"Die.CastReliefBuilder\" \"ReliefProfile\"\n  this ptr 50\n  result ptr \"reliefprofile\" "
      "\"Section\" 51\n  closed 0\n";
  const std::string addLoop = "record 0 method \"Section\" \"AddLoop\"\n  this ptr 51\n  in int \"kind\" - 0\n  in "
                              "struct-array \"points\" \"Point3d\" 9 100 0 0 140 0 0 140 25 0\n  closed 0\n";
  const std::string depth0 = "record 0 get \"Die.CastReliefBuilder\" \"ReliefDepth\"\n  this ptr 50\n  result ptr "
                             "\"reliefdepth\" \"Expression\" 52\n  closed 0\nrecord 0 set \"Expression\" "
                             "\"RightHandSide\"\n  this ptr 52\n  in string \"righthandside\" - \"0\"\n  closed 0\n";
  const auto commit = [](int status) { return CommitRecord(50, 20, status); };
  const std::string destroy = DestroyRecord(50);
  const std::pair<const char*, std::string> profileEdits[] = {
      {"a second loop, depth 0", opened + addLoop + depth0 + commit(3030482) + destroy},
      {"the profile emptied, let go without a commit",
       opened + "record 0 method \"Section\" \"Clear\"\n  this ptr 51\n  closed 0\n" + destroy},
  };
  for (const auto& [what, journal] : profileEdits) {
    SCOPED_TRACE(what);
    if (!Play(journal)) continue;
    EXPECT_EQ(parms->AskEntityTag(0, 0), profile);
    EXPECT_EQ(Stamvik::LoopsOf(OM::TagToObject<SC_section>(profile)), loops);
  }
  ASSERT_TRUE(Play(opened + addLoop + commit(0) + destroy));
  EXPECT_EQ(parms->AskEntityTag(0, 0), profile);
  EXPECT_EQ(Stamvik::LoopsOf(OM::TagToObject<SC_section>(profile)).size(), 2u);
}

// A die-engineering draw bead: the example's bead split into three segments
// and committed as male, female and sheet-metal beads (50). An edit reaches
// the bead's lengths, a segment's section and positions and a taper's
// lengths through the expressions the builder read back.
TEST_F(RefusedEdit, ADrawBeadEditRefusedFailedOrLetGoLeavesItsLengthsSegmentsAndTapers) {
  const std::string text = ExampleText("draw_bead_split.jou");
  const std::size_t edit = text.find("# Edit:");
  ASSERT_NE(edit, std::string::npos);
  ASSERT_TRUE(Play(text.substr(0, edit)));
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(player_.Summary().objects.at(50)));
  ASSERT_NE(feature, nullptr);
  // The male feature as the part lists it (its entities, segment and taper
  // records with their values), without its body and update count, which a
  // commit that changes nothing may renew.
  const auto listed = [&] {
    const std::string all = Script::DescribePart(part());
    const std::size_t at = all.find("feature " + std::to_string(feature->OmTag()) + " ");
    if (at == std::string::npos) return std::string("no feature");
    std::string kept;
    std::istringstream lines(all.substr(at));
    std::string line;
    std::getline(lines, line);
    while (std::getline(lines, line) && line.rfind("  ", 0) == 0)
      if (line.rfind("  body ", 0) != 0 && line.rfind("  updates ", 0) != 0) kept += line + "\n";
    return kept;
  };
  // Every length the edits below set, read back by a builder opened on the
  // feature: the bead's four, the first segment's height, left top radius and
  // end, the start taper's radius.
  const auto readBack = [&] {
    DieEngJA::DrawBeadBuilder* opened = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), feature);
    std::vector<double> values;
    for (const EXP_expression* e : {opened->GetMetalThickness(), opened->GetClearance(),
                                    opened->GetFemaleDepthValue(), opened->GetFemaleWidthValue()})
      values.push_back(EXP_ask_value_of_exp(e));
    if (auto* segment = dynamic_cast<DieEngJA::DrawBeadSegmentBuilder*>(opened->GetSegmentList()->ask_item(0))) {
      values.push_back(EXP_ask_value_of_exp(segment->GetMaleBeadHeight()));
      values.push_back(EXP_ask_value_of_exp(segment->GetMaleLeftTopRadius()));
      values.push_back(EXP_ask_value_of_exp(segment->GetEndLocation()->GetValueExpression()));
    }
    values.push_back(EXP_ask_value_of_exp(opened->GetStartTaper()->GetTaperRadius()));
    opened->destroy();
    return values;
  };
  const std::vector<double> values = {1.5, 0.3, 4, 12, 3, 1, 9.75, 0};
  ASSERT_EQ(readBack(), values);
  const std::string made = listed();
  ASSERT_NE(made.find("segment 0 entity 3 expressions 0 9.75\n"), std::string::npos) << made;

  // What an edit sets: an expression of the bead (60), of its first segment
  // (62), of that segment's end location (64) or of its start taper (63).
  struct Set {
    int object;
    const char* objectClass;
    const char* getter;
    const char* value;
  };
  const auto bead = [](const char* getter, const char* value) { return Set{60, "Die.DrawBeadBuilder", getter, value}; };
  const auto segment = [](const char* getter, const char* value) {
    return Set{62, "Die.DrawBeadSegmentBuilder", getter, value};
  };
  const auto taper = [](const char* value) { return Set{63, "Die.DrawBeadTaperBuilder", "TaperRadius", value}; };
  const auto end = [](const char* value) { return Set{64, "OnPathDimensionBuilder", "Expression", value}; };
  struct BeadEdit {
    const char* what;
    std::vector<Set> sets;
    int status;
    const char* failing = nullptr;
  };
  // A female depth of 0 is refused (3030297), a segment's height of 0
  // (3030301), a left top radius of 0 (3030300).
  const BeadEdit edits[] = {
      {"thickness 2, clearance 0.2, female width 14, female depth 0",
       {bead("MetalThickness", "2"), bead("Clearance", "0.2"), bead("FemaleWidthValue", "14"),
        bead("FemaleDepthValue", "0")},
       3030297},
      {"segment end 8, top radius 1.5, height 0", {end("8"), segment("MaleLeftTopRadius", "1.5"), segment("MaleBeadHeight", "0")},
       3030301},
      {"start taper radius 7, segment top radius 0", {taper("7"), segment("MaleLeftTopRadius", "0")}, 3030300},
      {"thickness 2, segment end 8 and height 2.5, taper radius 7, the update failing",
       {bead("MetalThickness", "2"), end("8"), segment("MaleBeadHeight", "2.5"), taper("7")},
       840007,
       "UPDATE_do_update.error"},
      {"thickness 2, segment end 8 and height 2.5, taper radius 7, let go without a commit",
       {bead("MetalThickness", "2"), end("8"), segment("MaleBeadHeight", "2.5"), taper("7")},
       -1},
  };
  const auto journalOf = [](const BeadEdit& e) {
    std::string journal =
        "journal 1\nrecord 0 method \"Die.DieCollection\" \"CreateDrawBeadBuilder\"\n  this tag 1\n  in tag "
        "\"drawBead\" \"Die.DrawBead\" 50\n  result tag \"builder\" \"Die.DrawBeadBuilder\" 60\n  closed 0\n"
        "record 0 get \"Die.DrawBeadBuilder\" \"SegmentList\"\n  this ptr 60\n  result ptr \"segmentlist\" "
        "\"Die.DrawBeadSegmentBuilderList\" 61\n  closed 0\n"
        "record 0 method \"ObjectList\" \"FindItem\"\n  this tag 61\n  in int \"index\" - 0\n  result tag \"object\" "
        "\"TaggedObject\" 62\n  closed 0\n"
        "record 0 get \"Die.DrawBeadBuilder\" \"StartTaper\"\n  this ptr 60\n  result ptr \"starttaper\" "
        "\"Die.DrawBeadTaperBuilder\" 63\n  closed 0\n"
        "record 0 get \"Die.DrawBeadSegmentBuilder\" \"EndLocation\"\n  this ptr 62\n  result ptr \"endlocation\" "
        "\"GeometricUtilities.OnPathDimensionBuilder\" 64\n  closed 0\n";
    int next = 70;
    for (const Set& set : e.sets) {
      std::string lower = set.getter;
      for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      const std::string tag = std::to_string(next++);
      // A location hands out its expression as a tag, the builders theirs as pointers.
      const std::string result = set.object == 64 ? "tag" : "ptr";
      journal += "record 0 get \"" + std::string(set.objectClass) + "\" \"" + set.getter + "\"\n  this ptr " +
                 std::to_string(set.object) + "\n  result " + result + " \"" + lower + "\" \"Expression\" " + tag +
                 "\n  closed 0\nrecord 0 set \"Expression\" \"RightHandSide\"\n  this ptr " + tag +
                 "\n  in string \"righthandside\" - \"" + set.value + "\"\n  closed 0\n";
    }
    if (e.status >= 0)
      journal += "record 0 method \"Builder\" \"Commit\"\n  this ptr 60\n  result tag \"object\" \"TaggedObject\" " +
                 std::string(e.status == 0 ? "50" : "0") + "\n  closed " + std::to_string(e.status) + "\n";
    return journal + "record 0 method \"Builder\" \"Destroy\"\n  this ptr 60\n  closed 0\n";
  };
  for (const BeadEdit& e : edits) {
    SCOPED_TRACE(e.what);
    if (e.failing != nullptr) Host::SetAnswer(e.failing, e.status);
    const bool played = Play(journalOf(e));
    Host::ClearAnswers();
    if (!played) continue;
    EXPECT_EQ(readBack(), values) << "read back after the edit";
    EXPECT_EQ(listed(), made);
    DieEngJA::DrawBeadBuilder* again = DieEngJA::DrawBeadBuilderFactory::Create(modelPart(), feature);
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(again, &object), 0);
    again->destroy();
    EXPECT_EQ(readBack(), values) << "read back after a commit that changes nothing";
    EXPECT_EQ(listed(), made) << "the feature after a commit that changes nothing";
  }
  // An edit that validates reaches the feature through its own expressions,
  // which keep their tags.
  const auto* parms = dynamic_cast<const DIEDES_GENERIC_BODY_PARMS*>(feature->ask_parms());
  const tag_t thickness = OM::OM_ask_object_tag(parms->AskEntityExpression(6, 0));
  ASSERT_TRUE(Play(journalOf({"committed", {bead("MetalThickness", "2"), end("8"), segment("MaleBeadHeight", "2.5"),
                                            taper("7")}, 0})));
  EXPECT_EQ(readBack(), (std::vector<double>{2, 0.3, 4, 12, 2.5, 1, 8, 7}));
  EXPECT_EQ(OM::OM_ask_object_tag(parms->AskEntityExpression(6, 0)), thickness);
  EXPECT_NE(listed().find("segment 0 entity 3 expressions 0 8\n"), std::string::npos) << listed();
}

// The example's die shoe (30): a base flange of 1000 x 800 and one deck,
// offset 250, flange, wall and deck 45 thick, united with a solid. Its six
// lengths are the feature's expressions; the body is listed with its volume.
TEST_F(RefusedEdit, ADieShoeEditRefusedFailedOrLetGoLeavesItsLengthsAndItsBody) {
  const std::string text = ExampleText("die_shoe.jou");
  ASSERT_TRUE(Play(text.substr(0, text.find("record 0 method \"Builder\" \"Destroy\""))));
  // The builder that made it, going on: a value set through it after the
  // commit is refused like any other.
  ASSERT_TRUE(Play(KeptOpen("DieShoeBuilder", {{"DeckThickness", "20"}, {"FlangeThickness", "0"}}, 3030402)));
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(player_.Summary().objects.at(30)));
  ASSERT_NE(feature, nullptr);
  const std::vector<EXP_expression* (DieDes::DieShoeBuilder::*)() const> getters = {
      &DieDes::DieShoeBuilder::GetMainDeckOffset,  &DieDes::DieShoeBuilder::GetCenterlineSlotDepth,
      &DieDes::DieShoeBuilder::GetCenterlineSlotWidth, &DieDes::DieShoeBuilder::GetFlangeThickness,
      &DieDes::DieShoeBuilder::GetWallThickness,   &DieDes::DieShoeBuilder::GetDeckThickness};
  const std::vector<double> values = {250, 15, 50, 45, 45, 45};
  const auto readBack = [&] {
    return ReadBack<DieDes::DieShoeBuilder>(&DieDes::DieShoeBuilderFactory::Create, modelPart(), feature, getters);
  };
  // The feature's body as the part lists it, without its tag.
  const auto body = [&] {
    const std::string listed = Script::DescribePart(part());
    const std::size_t at = listed.find("\nbody " + std::to_string(feature->ask_body_eid()) + " ");
    if (at == std::string::npos) return std::string("no body");
    const std::size_t from = listed.find(' ', at + 6);
    return listed.substr(from, listed.find('\n', at + 1) - from);
  };
  ASSERT_EQ(readBack(), values);
  const std::string made = body();
  ASSERT_NE(made.find("solid volume"), std::string::npos) << made;
  // A flange or wall of 0 is refused (3030402, 3030403).
  const Edit edits[] = {
      {"offset 200, slot 20 deep and 60 wide, flange 0",
       {{"MainDeckOffset", "200"}, {"CenterlineSlotDepth", "20"}, {"CenterlineSlotWidth", "60"},
        {"FlangeThickness", "0"}},
       3030402},
      {"deck 30, wall 0", {{"DeckThickness", "30"}, {"WallThickness", "0"}}, 3030403},
      {"deck 30 and flange 40, the update failing", {{"DeckThickness", "30"}, {"FlangeThickness", "40"}}, 840007,
       "DIEENG_UpdateMultipleBodyFrec"},
      {"every length changed, let go without a commit",
       {{"MainDeckOffset", "200"}, {"CenterlineSlotDepth", "20"}, {"CenterlineSlotWidth", "60"},
        {"FlangeThickness", "40"}, {"WallThickness", "40"}, {"DeckThickness", "30"}},
       -1},
  };
  for (const Edit& e : edits) {
    SCOPED_TRACE(e.what);
    if (e.failing != nullptr) Host::SetAnswer(e.failing, e.status);
    std::string journal = EditJournal("DieShoe", "dieshoe", e);
    // The die-design builders are opened by the die collection's creator.
    const std::string opened = "record 0 method \"Die.DieCollection\" \"DieShoe\"\n  this tag 1\n  in tag "
                               "\"dieshoe\" \"Die.DieShoe\" 30\n  result tag \"builder\" \"Die.DieShoeBuilder\" 50\n"
                               "  closed 0\n";
    journal = "journal 1\n" + opened + journal.substr(journal.find("record 0 get"));
    for (std::size_t at = 0; (at = journal.find("\"Features.DieShoeBuilder\"", at)) != std::string::npos;)
      journal.replace(at, 25, "\"Die.DieShoeBuilder\"");
    const bool played = Play(journal);
    Host::ClearAnswers();
    if (!played) continue;
    EXPECT_EQ(readBack(), values) << "read back after the edit";
    EXPECT_EQ(body(), made);
    DieDes::DieShoeBuilder* again = DieDes::DieShoeBuilderFactory::Create(modelPart(), feature);
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(again, &object), 0);
    again->destroy();
    EXPECT_EQ(readBack(), values) << "read back after a commit that changes nothing";
    EXPECT_EQ(body(), made) << "the body after a commit that changes nothing";
  }
  // The example's own edit, a deck 30 thick, reaches the feature through its
  // own expression, and the body (the example's listed volume).
  const auto* parms = dynamic_cast<const DIEDES_GENERIC_BODY_PARMS*>(feature->ask_parms());
  const tag_t deck = OM::OM_ask_object_tag(parms->AskEntityExpression(6, 5));
  ASSERT_TRUE(Play("journal 1\n" + text.substr(text.find("# Edit:"))));
  EXPECT_EQ(readBack(), (std::vector<double>{250, 15, 50, 45, 45, 30}));
  EXPECT_EQ(OM::OM_ask_object_tag(parms->AskEntityExpression(6, 5)), deck);
  EXPECT_EQ(body().substr(0, 34), " solid volume 5.0418e+07 mm3 box -");
}

// The example's rough-data compensation of curves (20): one closed loop of
// four lines in the section the feature keeps. An edit reaches the section
// through the builder's CurveCollector.
TEST_F(RefusedEdit, ACompensationEditRefusedFailedOrLetGoLeavesItsSection) {
  const std::string text = ExampleText("compensate_rough_data.jou");
  const std::size_t edit = text.find("# Edit:");
  ASSERT_NE(edit, std::string::npos);
  ASSERT_TRUE(Play(text.substr(0, edit)));
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(player_.Summary().objects.at(20)));
  ASSERT_NE(feature, nullptr);
  // The feature as the part lists it, and the tag of its section.
  const auto listed = [&] {
    const std::string all = Script::DescribePart(part());
    const std::size_t at = all.find("feature " + std::to_string(feature->OmTag()) + " ");
    const auto* parms = dynamic_cast<const DieEng::CompensateRoughCurve*>(feature->ask_parms());
    if (at == std::string::npos || parms == nullptr) return std::string("no feature");
    return all.substr(at, all.find("\nbody", at) - at) + " section " +
           std::to_string(OM::OM_ask_object_tag(parms->GetCurveCollector()));
  };
  const std::string made = listed();
  ASSERT_NE(made.find("curves 4 in 1 loops"), std::string::npos) << made;
  const std::string opened =
      "journal 1\nrecord 0 method \"Die.DieCollection\" \"CompensateRoughData\"\n  this tag 1\n  in tag "
      "\"compensateRoughData\" \"Features.CompensateRoughData\" 20\n  result tag \"builder\" "
      "\"Die.CompensateRoughDataBuilder\" 30\n  closed 0\nrecord 0 get \"Die.CompensateRoughDataBuilder\" "
      "\"CurveCollector\"\n  this ptr 30\n  result ptr \"curvecollector\" \"Section\" 31\n  closed 0\n";
  const std::string addLoop = "record 0 method \"Section\" \"AddLoop\"\n  this ptr 31\n  in int \"kind\" - 0\n  in "
                              "struct-array \"points\" \"Point3d\" 9 200 0 0 300 0 0 300 50 0\n  closed 0\n";
  const std::string clear = "record 0 method \"Section\" \"Clear\"\n  this ptr 31\n  closed 0\n";
  const auto commit = [](int status) { return CommitRecord(30, 20, status); };
  const std::string destroy = DestroyRecord(30);
  // A distance tolerance of 0 is refused (3030447), an empty section
  // (3030441).
  const std::string tolerance0 = "record 0 set \"Die.CompensateRoughDataBuilder\" \"DistanceTolerance\"\n  this ptr 30\n"
                                 "  in double \"distancetolerance\" - 0 0\n  closed 0\n";
  const std::pair<const char*, std::string> edits[] = {
      {"a second loop, a distance tolerance of 0", opened + addLoop + tolerance0 + commit(3030447) + destroy},
      {"the section emptied", opened + clear + commit(3030441) + destroy},
      {"emptied and given another loop, let go without a commit", opened + clear + addLoop + destroy},
  };
  for (const auto& [what, journal] : edits) {
    SCOPED_TRACE(what);
    if (!Play(journal)) continue;
    EXPECT_EQ(listed(), made) << "after the edit";
    auto* again = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), feature);
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(again, &object), 0);
    again->destroy();
    EXPECT_EQ(listed(), made) << "after a commit that changes nothing";
  }
  // A second loop, of three lines, committed reaches the feature's own section.
  ASSERT_TRUE(Play(opened + addLoop + commit(0) + destroy));
  std::string twoLoops = made;
  twoLoops.replace(twoLoops.find("curves 4 in 1 loops"), 19, "curves 7 in 2 loops");
  EXPECT_EQ(listed(), twoLoops);
}

// The example's compensation builder (10) kept open after the commit that
// made the feature (20): a loop added through its section, read again, and
// the builder let go leave the feature's one loop of four lines.
TEST_F(RefusedEdit, ACompensationBuilderKeptOpenAfterItsCommitLeavesTheFeature) {
  const std::string text = ExampleText("compensate_rough_data.jou");
  const std::size_t destroy = text.find("record 0 method \"Builder\" \"Destroy\"");
  ASSERT_NE(destroy, std::string::npos);
  ASSERT_TRUE(Play(text.substr(0, destroy)));
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(player_.Summary().objects.at(20)));
  ASSERT_NE(feature, nullptr);
  const auto* parms = dynamic_cast<const DieEng::CompensateRoughCurve*>(feature->ask_parms());
  ASSERT_NE(parms, nullptr);
  const auto loops = Stamvik::LoopsOf(parms->GetCurveCollector());
  ASSERT_EQ(loops.size(), 1u);
  ASSERT_TRUE(Play("journal 1\nrecord 0 get \"Die.CompensateRoughDataBuilder\" \"CurveCollector\"\n  this ptr 10\n"
                   "  result ptr \"curvecollector\" \"Section\" 12\n  closed 0\nrecord 0 method \"Section\" \"AddLoop\"\n"
                   "  this ptr 12\n  in int \"kind\" - 0\n  in struct-array \"points\" \"Point3d\" 9 200 0 0 300 0 0 300 50 0\n"
                   "  closed 0\nrecord 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n"));
  EXPECT_EQ(Stamvik::LoopsOf(parms->GetCurveCollector()), loops);
}

// The example's compensation of curves (20) whose section names, by one
// curve rule, only two lines that are gone since: an edit opened on it has
// an empty section, no rule left naming nothing, and its commit is refused
// as having no curves (3030441).
TEST_F(RefusedEdit, ACompensationWhoseSectionNamesOnlyCurvesThatAreGoneIsEditedAsEmpty) {
  std::ifstream example(stamvik_test::Examples() / "compensate_rough_data.jou");
  std::stringstream whole;
  whole << example.rdbuf();
  const std::string text = whole.str();
  ASSERT_TRUE(Play(text.substr(0, text.find("# Edit:"))));
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(player_.Summary().objects.at(20)));
  ASSERT_NE(feature, nullptr);
  auto* parms = dynamic_cast<DieEng::CompensateRoughCurve*>(feature->ask_parms());
  ASSERT_NE(parms, nullptr);
  SC_section* section = parms->GetCurveCollector();
  section->remove_all();
  const double a[3] = {0, 0, 0}, b[3] = {10, 0, 0}, c[3] = {10, 10, 0};
  SC_input_data* named = SC_init_input_data(SC_section::kCurveRule);
  named->entities = {ES_create_line_in_part(nullptr, a, b), ES_create_line_in_part(nullptr, b, c)};
  const int kind = SC_section::kCurveRule;
  ASSERT_EQ(section->add_rules(1, &kind, &named, 0, 0, 0, 0, false), 0);
  for (const tag_t line : named->entities) OM_delete_object(OM::OM_object_of_tag(line));
  SC_free_input_data(named);
  ASSERT_EQ(section->ask_rule_count(), 1);

  auto* edit = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), feature);
  EXPECT_EQ(edit->GetCurveCollector()->ask_rule_count(), 0);
  EXPECT_EQ(edit->GetCurveCollector()->ask_loop_count(), 0);
  tag_t object = 0;
  EXPECT_EQ(Script::Builder_Commit(edit, &object), 3030441);
  edit->destroy();
}

// A springback compensation by points on a sheet, made from the example's
// builder with an inner curve of one closed loop of three lines and no outer
// curve (20). An edit reaches the feature's sections through the builder's
// InnerCurve and OuterCurve.
TEST_F(RefusedEdit, ASpringbackEditRefusedOrLetGoLeavesItsSections) {
  const std::string text = ExampleText("springback.jou");
  const std::size_t let = text.find("# Not committed");
  ASSERT_NE(let, std::string::npos);
  const auto loop = [](int section, const char* points) {
    return "record 0 method \"Section\" \"AddLoop\"\n  this ptr " + std::to_string(section) +
           "\n  in int \"kind\" - 0\n  in struct-array \"points\" \"Point3d\" 9 " + points + "\n  closed 0\n";
  };
  ASSERT_TRUE(Play(text.substr(0, let) +
                   "record 0 method \"Part\" \"CreateSheetBody\"\n  this tag 1\n  result tag \"body\" \"Body\" 3\n"
                   "  closed 0\nrecord 0 get \"Die.SpringbackCompensationBuilder\" \"ProductSheet\"\n  this ptr 10\n"
                   "  result ptr \"productsheet\" \"SelectBody\" 12\n  closed 0\nrecord 0 set \"SelectObject\" \"Value\"\n"
                   "  this ptr 12\n  in tag \"value\" \"TaggedObject\" 3\n  closed 0\n"
                   "record 0 get \"Die.SpringbackCompensationBuilder\" \"InnerCurve\"\n  this ptr 10\n  result ptr "
                   "\"innercurve\" \"Section\" 13\n  closed 0\n" +
                   loop(13, "0 0 0 100 0 0 100 50 0") +
                   "record 0 method \"Builder\" \"Commit\"\n  this ptr 10\n  result tag \"object\" \"TaggedObject\" 20\n"
                   "  closed 0\nrecord 0 method \"Builder\" \"Destroy\"\n  this ptr 10\n  closed 0\n"));
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(player_.Summary().objects.at(20)));
  ASSERT_NE(feature, nullptr);
  const auto* parms = dynamic_cast<const DieEng::SpringbackCompensation*>(feature->ask_parms());
  ASSERT_NE(parms, nullptr);
  SC_section* inner = parms->GetInnerCurveCollector();
  ASSERT_NE(inner, nullptr);
  SC_section* outer = parms->GetOuterCurveCollector();
  ASSERT_NE(outer, nullptr);
  const auto loops = Stamvik::LoopsOf(inner);
  ASSERT_EQ(loops.size(), 1u);
  ASSERT_EQ(loops[0].second.size(), 3u);
  ASSERT_TRUE(Stamvik::LoopsOf(outer).empty());
  const std::string opened =
      "journal 1\nrecord 0 method \"Die.DieCollection\" \"CreateSpringbackCompensationBuilder\"\n  this tag 1\n  in tag "
      "\"springbackCompensation\" \"Die.SpringbackCompensation\" 20\n  result tag \"builder\" "
      "\"Die.SpringbackCompensationBuilder\" 30\n  closed 0\nrecord 0 get \"Die.SpringbackCompensationBuilder\" "
      "\"InnerCurve\"\n  this ptr 30\n  result ptr \"innercurve\" \"Section\" 31\n  closed 0\n"
      "record 0 get \"Die.SpringbackCompensationBuilder\" \"OuterCurve\"\n  this ptr 30\n  result ptr "
      "\"outercurve\" \"Section\" 32\n  closed 0\n";
  const std::string outerLoop = loop(32, "-50 -50 0 150 -50 0 150 100 0");
  const std::string destroy = DestroyRecord(30);
  // A distance tolerance of 0 is refused (674028).
  const std::pair<const char*, std::string> edits[] = {
      {"a second loop, a distance tolerance of 0",
       opened + loop(31, "200 0 0 300 0 0 300 50 0") + outerLoop +
           "record 0 set \"Die.SpringbackCompensationBuilder\" \"DistanceTolerance\"\n  this ptr 30\n  in double "
           "\"distancetolerance\" - 0 0\n  closed 0\nrecord 0 method \"Builder\" \"Commit\"\n  this ptr 30\n  result "
           "tag \"object\" \"TaggedObject\" 0\n  closed 674028\n" + destroy},
      {"emptied, let go without a commit",
       opened + "record 0 method \"Section\" \"Clear\"\n  this ptr 31\n  closed 0\n" + destroy},
  };
  for (const auto& [what, journal] : edits) {
    SCOPED_TRACE(what);
    if (!Play(journal)) continue;
    EXPECT_EQ(parms->GetInnerCurveCollector(), inner);
    EXPECT_EQ(Stamvik::LoopsOf(inner), loops) << "after the edit";
    EXPECT_EQ(parms->GetOuterCurveCollector(), outer);
    EXPECT_TRUE(Stamvik::LoopsOf(outer).empty()) << "after the edit";
    auto* again = DieEngJA::SpringbackCompensationBuilderFactory::Create(modelPart(), feature);
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(again, &object), 0);
    again->destroy();
    EXPECT_EQ(parms->GetInnerCurveCollector(), inner);
    EXPECT_EQ(Stamvik::LoopsOf(inner), loops) << "after a commit that changes nothing";
  }
  // A second inner loop and an outer one committed reach the feature's own
  // sections, each its own.
  ASSERT_TRUE(Play(opened + loop(31, "200 0 0 300 0 0 300 50 0") + outerLoop +
                   "record 0 method \"Builder\" \"Commit\"\n  this ptr 30\n  result tag \"object\" \"TaggedObject\" 0\n"
                   "  closed 0\n" + destroy));
  EXPECT_EQ(parms->GetInnerCurveCollector(), inner);
  EXPECT_EQ(Stamvik::LoopsOf(inner).size(), 2u);
  EXPECT_EQ(parms->GetOuterCurveCollector(), outer);
  const auto outerLoops = Stamvik::LoopsOf(outer);
  EXPECT_EQ(outerLoops.size(), 1u);
  EXPECT_EQ(outerLoops.empty() ? 0u : outerLoops[0].second.size(), 3u);
}

// The example's draw punch (its feature set 20): an edit works on the
// builder's own values and outlines, and rebuilds the set only in a commit,
// under its mark. A refused edit and one let go leave the part as it was.
TEST_F(RefusedEdit, ADrawPunchEditRefusedOrLetGoLeavesThePart) {
  const std::string text = ExampleText("draw_punch.jou");
  const std::size_t edit = text.find("# Edit:");
  ASSERT_NE(edit, std::string::npos);
  ASSERT_TRUE(Play(text.substr(0, edit)));
  const std::string made = Script::DescribePart(part());
  const std::string opened =
      "journal 1\nrecord 0 method \"Tooling.AutoDieCollection\" \"CreateDieDesDrawPunchBuilder\"\n  this tag 1\n"
      "  in tag \"featureSet\" \"Features.Feature\" 20\n  result tag \"builder\" \"Tooling.DieDesDrawPunchBuilder\" 30\n"
      "  closed 0\nrecord 0 set \"Tooling.DieDesDrawPunchBuilder\" \"CoreDrawPunchOption\"\n  this ptr 30\n  in logical "
      "\"coredrawpunchoption\" - true\n  closed 0\nrecord 0 set \"Tooling.DieDesDrawPunchBuilder\" \"WallThickness\"\n"
      "  this ptr 30\n  in double \"wallthickness\" - 20 0\n  closed 0\n";
  const std::string destroy = DestroyRecord(30);
  // A relief angle of 200 is refused (3030607).
  const std::pair<const char*, std::string> edits[] = {
      {"cored, wall 20, relief angle 200",
       opened + "record 0 set \"Tooling.DieDesDrawPunchBuilder\" \"ReliefAngle\"\n  this ptr 30\n  in double "
                "\"reliefangle\" - 200 0\n  closed 0\nrecord 0 method \"Builder\" \"Commit\"\n  this ptr 30\n  result "
                "tag \"object\" \"TaggedObject\" 0\n  closed 3030607\n" + destroy},
      {"cored, wall 20, let go without a commit", opened + destroy},
  };
  for (const auto& [what, journal] : edits) {
    SCOPED_TRACE(what);
    if (!Play(journal)) continue;
    EXPECT_EQ(Script::DescribePart(part()), made);
  }
  // The example's own edit, committed, rebuilds the set as a cored punch.
  ASSERT_TRUE(Play("journal 1\n" + text.substr(edit)));
  EXPECT_NE(Script::DescribePart(part()), made);
}

// The example's draw die (its feature set 30), opened again as a dialog
// opens it: a refused edit and one let go leave the part as it was.
TEST_F(RefusedEdit, ADrawDieEditRefusedOrLetGoLeavesThePart) {
  const std::string text = ExampleText("draw_die.jou");
  const std::size_t edit = text.find("# Opened again on the set");
  ASSERT_NE(edit, std::string::npos);
  ASSERT_TRUE(Play(text.substr(0, edit)));
  const std::string made = Script::DescribePart(part());
  const std::string opened =
      "journal 1\nrecord 0 method \"Tooling.AutoDieCollection\" \"CreateDieDesDrawDieBuilder\"\n  this tag 1\n"
      "  in tag \"featureSet\" \"Features.Feature\" 30\n  result tag \"builder\" \"Tooling.DieDesDrawDieBuilder\" 40\n"
      "  closed 0\n";
  const auto deck = [](const char* value) {
    return "record 0 set \"Tooling.DieDesDrawDieBuilder\" \"DeckThickness\"\n  this ptr 40\n  in double "
           "\"deckthickness\" - " + std::string(value) + " 0\n  closed 0\n";
  };
  const std::string destroy = DestroyRecord(40);
  // A deck of no thickness is refused (3030606).
  const std::pair<const char*, std::string> edits[] = {
      {"deck 0", opened + deck("0") + "record 0 method \"Builder\" \"Commit\"\n  this ptr 40\n  result tag "
                                      "\"object\" \"TaggedObject\" 0\n  closed 3030606\n" + destroy},
      {"deck 40, let go without a commit", opened + deck("40") + destroy},
  };
  for (const auto& [what, journal] : edits) {
    SCOPED_TRACE(what);
    if (!Play(journal)) continue;
    EXPECT_EQ(Script::DescribePart(part()), made);
  }
  // The example's own edit, committed, rebuilds the set with a deck 40 thick.
  ASSERT_TRUE(Play("journal 1\n" + text.substr(edit)));
  EXPECT_NE(Script::DescribePart(part()), made);
}

// A form task whose record names its region collector (holding one line)
// and a shape detail of another line: an edit's commit writes the detail
// into the region, so a refused one must leave the feature's collector as
// it was; one that succeeds gives the feature's own collector the detail.
TEST_F(RefusedEdit, AFormTaskEditRefusedLeavesItsRegionCollector) {
  const std::string opened = [](int feature) {
    return "journal 1\nrecord 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n"
           "record 0 method \"Tooling.AutoDieCollection\" \"CreateDieEngFormTaskBuilder\"\n  this tag 1\n  in tag "
           "\"dieEngFormTask\" \"Features.Feature\" " +
           std::to_string(feature) + "\n  result tag \"builder\" \"Tooling.DieEngFormTaskBuilder\" 30\n  closed 0\n";
  }(0);
  const auto commit = [](int status) {
    return "record 0 method \"Builder\" \"Commit\"\n  this ptr 30\n  result tag \"object\" \"TaggedObject\" " +
           std::string(status == 0 ? "20" : "0") + "\n  closed " + std::to_string(status) +
           "\nrecord 0 method \"Builder\" \"Destroy\"\n  this ptr 30\n  closed 0\n";
  };
  ASSERT_TRUE(Play(opened + commit(0)));
  auto* feature = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(player_.Summary().objects.at(20)));
  ASSERT_NE(feature, nullptr);
  const double a[] = {0, 0, 0, 100, 0, 0}, b[] = {0, 50, 0, 100, 50, 0};
  const tag_t first = ES_create_polyline(2, a), second = ES_create_polyline(2, b);
  SC_collector* region = SC_collectorFactory::object(OM::OM_ask_object_tag(part()));
  region->set_tags(1, &first);
  SC_collector* details = SC_collectorFactory::object(OM::OM_ask_object_tag(part()));
  details->set_tags(1, &second);
  // The record as another writer left it: its region collector and a detail.
  DIE_FRMTSK_s* record = DIE_FRMTSK_alloc_appl_data(0, nullptr);
  record->frec = feature;
  ASSERT_EQ(DIE_FRMTSK_read_parms(false, record), 0);
  record->region.sectionProfile = region->OmTag();
  ASSERT_EQ(CMP_RT_replace_rm_entities(&record->region, 1, 1, details->OmTag(), feature), 0);
  ASSERT_EQ(DIEENG_update_frec(feature, record), 0);
  DIE_FRMTSK_free_appl_data(record);
  details->destroy();
  // The collector's first object and its count.
  const auto held = [&] {
    return std::vector<tag_t>{region->ask_count() > 0 ? region->ask_nth(0) : 0u, tag_t(region->ask_count())};
  };
  const std::string edit = "journal 1\nrecord 0 method \"Tooling.AutoDieCollection\" \"CreateDieEngFormTaskBuilder\"\n"
                           "  this tag 1\n  in tag \"dieEngFormTask\" \"Features.Feature\" 20\n  result tag \"builder\" "
                           "\"Tooling.DieEngFormTaskBuilder\" 30\n  closed 0\nrecord 0 set \"Tooling.DieEngFormTaskBuilder\" "
                           "\"FinishOperation\"\n  this ptr 30\n  in logical \"finishoperation\" - false\n  closed 0\n";
  Host::SetAnswer("DIEENG_update_frec", 7100);
  ASSERT_TRUE(Play(edit + commit(7100)));
  Host::ClearAnswers();
  EXPECT_EQ(held(), (std::vector<tag_t>{first, 1})) << "after the refusal";
  ASSERT_TRUE(Play(edit + commit(0)));
  EXPECT_EQ(held(), (std::vector<tag_t>{second, 1})) << "after a commit";
}

}  // namespace
