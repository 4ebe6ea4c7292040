// The tire envelope committed as a feature: the parameter block the feature
// keeps, filled from the builder and its work area, and the creation or
// update that takes it.
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "afl/TireEnvelope.hpp"
#include "afl/TireGeometry.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "jax_features_tire_envelope_builder.hpp"
#include "kernel/Kernel.hpp"
#include "script/ScriptClasses.hpp"
#include "script/ScriptHost.hpp"
#include "sys/UserMessages.hpp"
#include "vd/Motion.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

struct BlockFree {
  void operator()(Tireenv_params_s* block) const { TireEnvelope_FreeApplData(&block); }
};
using Block = std::unique_ptr<Tireenv_params_s, BlockFree>;

bool Untouched(const void* field, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(field);
  for (std::size_t i = 0; i < size; ++i)
    if (bytes[i] != kTireenvSentinel) return false;
  return true;
}

class TireEnvelopeCommit : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    TireEnvelope::ClearRecords();
    folder_ = std::make_unique<stamvik_test::ScratchFolder>("tire_commit_");
    dir_ = folder_->Slashed();
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
  }
  void TearDown() override {
    tire_->destroy();
    folder_.reset();
    HostTest::TearDown();
  }
  // A mirrored section of three points swept to two places 50 apart: an
  // envelope the modeller must unite.
  void TwoPlacesOfAThreePointSection() {
    tire_->SetTireDefinition(ProfilePointFile);
    tire_->SetMirrorProfile(true);
    Tire_s* area = tire_->WorkArea();
    const double points[3][2] = {{0, 215.9}, {80, 290}, {112.5, 340}};
    area->profilePointCount = 3;
    for (int i = 0; i < 3; ++i) area->profilePoints[i][0] = points[i][0], area->profilePoints[i][1] = points[i][1];
    tire_->SetMotionFile(File("spindle_file.txt", "0 -760 0 0 -660 0\n0 -760 50 0 -660 50\n").c_str());
  }
  // A rectangle 200 wide from the radial 200 to 340 (its outboard half,
  // mirrored) at one place: its envelope is the tire revolved.
  void OnePlaceOfARectangle() {
    tire_->SetTireDefinition(ProfilePointFile);
    tire_->SetMirrorProfile(true);
    Tire_s* area = tire_->WorkArea();
    area->profilePointCount = 2;
    area->profilePoints[0][0] = area->profilePoints[1][0] = 100;
    area->profilePoints[0][1] = 200;
    area->profilePoints[1][1] = 340;
    const std::string motion = File("spindle_file.txt", "0 -760 0 0 -660 0\n");
    tire_->SetMotionFile(motion.c_str());
    tire_->SetSpindleFileName(motion.c_str());
  }
  std::string File(const char* name, const std::string& text) const {
    const std::string path = dir_ + name;
    std::ofstream(path) << text;
    return path;
  }
  // Commits; the block the new feature keeps (null when none was made).
  Block Commit(int want = 0) {
    frec_ = nullptr;
    EXPECT_EQ(tire_->commit_feature(&frec_), want);
    return Block(frec_ != nullptr ? TireEnvelope_ReadParms(frec_) : nullptr);
  }
  static void Set(EXP_expression* e, double value) { e->set(std::to_string(value).c_str(), value); }

  std::unique_ptr<stamvik_test::ScratchFolder> folder_;
  std::string dir_;
  TireEnvelopeBuilder* tire_ = nullptr;
  FEATURE_RECORD* frec_ = nullptr;
};

// The rim side grows by the whole offset while it stays clear of the
// spindle. The rectangle of OnePlaceOfARectangle (200 wide, radials 200 to
// 340) with every fixed offset d is 200 + 2d wide from 340 + d down to
// 200 - d, cut only a hundredth of its least radial (2) from the spindle:
// pi w (ro^2 - ri^2), by hand, in mm3: d 100 (half the least radial) from
// 100, 230,718,564.480; 150 from 50, 373,221,207.246; 197 from 3,
// 538,110,336.608; 198 from 2, 541,944,336.282; 199 cut at 2,
// 545,786,271.620; 250, across the axis, cut at 2, 765,503,085.441. An
// offset below 0 grows nothing, 47,500,880.922, and is shown; one of 0
// grows as little and is no shrinking to show.
TEST_F(TireEnvelopeCommit, TheRimSideGrowsByItsWholeOffset) {
  struct Case {
    double offset;
    double volume;
    const char* warning;  // null: none shown
  };
  const Case cases[] = {
      {100, 230718564.480, nullptr},
      {150, 373221207.246, nullptr},
      {197, 538110336.608, nullptr},
      {198, 541944336.282, nullptr},
      {199, 545786271.620, nullptr},
      {250, 765503085.441, nullptr},
      {0, 47500880.922, nullptr},
      {-20, 47500880.922, "841503 the tire envelope is not shrunk: the offset -20 of the section at 0 degrees is taken as 0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.offset);
    TearDown();
    SetUp();
    OnePlaceOfARectangle();
    for (EXP_expression* e : {tire_->GetFrontOffsetValue(), tire_->GetUpOffsetValue(), tire_->GetRearOffsetValue(),
                              tire_->GetDownOffsetValue(), tire_->GetInboardOffsetValue(),
                              tire_->GetOutboardOffsetValue()})
      Set(e, c.offset);
    tire_->SetApplyOffset(true);
    tire_->SetEnvelopeOffset(FixedSections);
    std::vector<std::string> warnings;
    Host::SetUserMessageSink(
        [](Host::UserMessage kind, const std::string& text, void* kept) {
          if (kind == Host::UserMessage::kWarning) static_cast<std::vector<std::string>*>(kept)->push_back(text);
        },
        &warnings);
    Block block = Commit();
    Host::SetUserMessageSink(nullptr, nullptr);
    EXPECT_EQ(warnings, c.warning != nullptr ? std::vector<std::string>{c.warning} : std::vector<std::string>{});
    auto* body = frec_ != nullptr ? dynamic_cast<ES_solid*>(OM::OM_object_of_tag(frec_->ask_body_eid())) : nullptr;
    EXPECT_NE(body, nullptr);
    if (body != nullptr) {
      EXPECT_NEAR(Kernel::Volume(body->ask_kernel_body()) * 1e9, c.volume, c.volume * 1e-6);
    }
  }
}

TEST_F(TireEnvelopeCommit, ProfileCurvesAndTheirExtraction) {
  std::vector<tag_t> curves;
  for (int i = 0; i < 3; ++i) {
    const double a[3] = {1.0 * i, 0, 0}, b[3] = {1.0 * i, 10, 0};
    curves.push_back(ES_create_line_in_part(nullptr, a, b));
  }
  tire_->SetTireDefinition(ProfileCurves);
  tire_->GetTireDefinitionProfile()->set_tags(3, curves.data());
  tire_->SetMirrorProfile(true);
  EXP_expression* const rim = tire_->GetWheelRimDiameter();
  Block block = Commit();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->tireDefinition, 1);
  ASSERT_EQ(block->profileCurveCount, 3);
  EXPECT_EQ(std::vector<tag_t>(block->profileCurves, block->profileCurves + 3), curves);
  // The feature takes the builder's rim diameter; the builder goes on with a copy.
  EXPECT_EQ(block->wheelRimDiameter, rim);
  EXPECT_NE(tire_->GetWheelRimDiameter(), rim);
  EXPECT_STREQ(tire_->GetWheelRimDiameter()->ask_text(), rim->ask_text());
  EXPECT_EQ(block->mirrorProfile, 1);
  ASSERT_EQ(TireEnvelope::Extractions().size(), 1u);
  EXPECT_EQ(TireEnvelope::Extractions()[0].tags, curves);
  EXPECT_EQ(tire_->GetTireEnvelopeBody(), FREC_ask_body_eid_p(frec_));
  EXPECT_EQ(TireEnvelope::ViewFits(), 1);
  // What a play prints of it: no offsets applied, so no section.
  const std::string printed = Script::DescribePart(part());
  EXPECT_NE(printed.find("  tire definition 1\n  motion 0\n  profile points 0\n  driver path 0\n  sections 0\n"
                         "  layers 0 0 0 0\n"),
            std::string::npos)
      << printed;
}

// The envelope is grown by what its method's sections ask, whatever the six
// fixed-section values hold. A rectangular section, 200 wide from the radial
// 200 to 340, at one place is revolved: pi w (ro^2 - ri^2); grown by d it is
// 200 + 2d wide from 200 - d to 340 + d. By hand, in mm3: not grown
// 47,500,880.922; by 4 52,223,825.654; by 10 59,715,393.159; by 12
// 62,321,155.770; by 30 88,215,921.713.
TEST_F(TireEnvelopeCommit, OffsetsByMethod) {
  using Six = std::array<double, 6>;  // front, up, rear, down, inboard, outboard
  const Six some = {4, 6, 8, 10, 2, 12}, none = {}, defaults = {20, 6, 15, 6, 10, 10};
  using Sections = std::vector<std::vector<double>>;  // customer-defined, at 0, 90, 180, 270 degrees
  const Sections thirty(4, {30, 30, 30}), ten(4, {10, 10, 10});
  const char* const fileOfThirty = "0 30 30 30\n90 30 30 30\n180 30 30 30\n270 30 30 30\n";
  struct Case {
    const char* what;
    bool apply;
    int method;
    Six six;
    const char* offsetFile;  // contents, null for no file
    Sections customer;
    int result;
    int sections;   // -1: left as allocated
    double volume;  // mm3
    double before = 0;  // not 0: first given as the fourth offset of a longer first section
  };
  const Case cases[] = {
      {"not applied", false, FixedSections, some, nullptr, {}, 0, -1, 47500880.922},
      {"fixed sections: the largest of the six", true, FixedSections, some, nullptr, {}, 0, 4, 62321155.770},
      {"fixed sections, the front 30 alone", true, FixedSections, {30, 0, 0, 0, 0, 0}, nullptr, {}, 0, 4, 88215921.713},
      {"from a file: its largest, not the six's", true, FromOffsetFile, some, "0 1 2\n90 3 4\n", {}, 0, 2,
       52223825.654},
      {"a file of sections 30 beside the six defaults", true, FromOffsetFile, defaults, fileOfThirty, {}, 0, 4,
       88215921.713},
      {"a malformed file makes no feature", true, FromOffsetFile, some, "0 x\n", {}, 841405, -1, 0},
      {"customer sections of 30, the six at 0", true, CustomerDefinedData, none, nullptr, thirty, 0, 4, 88215921.713},
      {"customer sections of 30 beside the six defaults", true, CustomerDefinedData, defaults, nullptr, thirty, 0, 4,
       88215921.713},
      {"customer sections of 10 below the six's 20", true, CustomerDefinedData, defaults, nullptr, ten, 0, 4,
       59715393.159},
      {"unequal sections: the last offset of the last", true, CustomerDefinedData, none, nullptr,
       {{5, 10, 5}, {0}, {10, 10}, {0, 10, 30}}, 0, 4, 88215921.713},
      {"a longer section's 50 beyond the count", true, CustomerDefinedData, none, nullptr, ten, 0, 4, 59715393.159,
       50},
      {"sections below 0 shrink nothing", true, CustomerDefinedData, some, nullptr, Sections(4, {-10, -20}), 0, 4,
       47500880.922},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    OnePlaceOfARectangle();
    EXP_expression* const offsets[6] = {tire_->GetFrontOffsetValue(), tire_->GetUpOffsetValue(),
                                        tire_->GetRearOffsetValue(),  tire_->GetDownOffsetValue(),
                                        tire_->GetInboardOffsetValue(), tire_->GetOutboardOffsetValue()};
    for (int i = 0; i < 6; ++i) Set(offsets[i], c.six[i]);
    tire_->SetApplyOffset(c.apply);
    tire_->SetEnvelopeOffset(static_cast<JA_TIRE_ENVELOPE_BUILDER_EnvelopeOffsetMethod>(c.method));
    if (c.offsetFile != nullptr) tire_->SetOffsetFileName(File("offsets.txt", c.offsetFile).c_str());
    if (!c.customer.empty()) {
      const double angles[4] = {0, 90, 180, 270};
      JAX_TIRE_ENVELOPE_BUILDER_SetOffsetSections(tire_, 4, angles);
      const double longer[4] = {0, 0, 0, c.before};
      if (c.before != 0) JAX_TIRE_ENVELOPE_BUILDER_SetOffsetValues(tire_, 0, 4, longer);
      for (int i = 0; i < 4; ++i)
        JAX_TIRE_ENVELOPE_BUILDER_SetOffsetValues(tire_, i, static_cast<int>(c.customer[i].size()),
                                                  c.customer[i].data());
    }
    Block block = Commit(c.result);
    if (c.result != 0) {
      EXPECT_EQ(frec_, nullptr);
      continue;
    }
    EXPECT_NE(block, nullptr);
    if (block == nullptr) continue;
    auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(frec_->ask_body_eid()));
    EXPECT_NE(body, nullptr);
    if (body != nullptr) {
      EXPECT_NEAR(Kernel::Volume(body->ask_kernel_body()) * 1e9, c.volume, c.volume * 1e-6);
    }
    EXPECT_EQ(std::vector<double>(block->offsets, block->offsets + 6),
              (std::vector<double>{c.six[0], c.six[1], c.six[3], c.six[2], c.six[4], c.six[5]}));
    if (c.sections < 0) {
      EXPECT_TRUE(Untouched(&block->sectionCount, sizeof block->sectionCount));
      EXPECT_TRUE(Untouched(&block->customerOffsets, 2));
      continue;
    }
    EXPECT_EQ(block->sectionCount, c.sections);
    EXPECT_EQ(block->customerOffsets, c.method == CustomerDefinedData ? 1 : 0);
    EXPECT_EQ(block->offsetsFromFile, c.method == FromOffsetFile ? 1 : 0);
    if (c.method == FixedSections) {
      EXPECT_EQ(block->sectionAngles[3], 270);
      EXPECT_EQ(std::vector<double>(block->sectionOffsets[3], block->sectionOffsets[3] + 3),
                (std::vector<double>{c.six[4], c.six[3], c.six[5]}));
      EXPECT_TRUE(Untouched(block->secondOffsets, sizeof block->secondOffsets));
    } else if (c.method == FromOffsetFile) {
      EXPECT_STREQ(block->offsetFileName, (dir_ + "offsets.txt").c_str());
    }
  }
}

template <class T>
T At(const Tireenv_params_s* block, int byte) {
  T value{};
  std::memcpy(&value, reinterpret_cast<const unsigned char*>(block) + byte, sizeof value);
  return value;
}

// Every number the block takes from the builder a value of its own, read at
// the byte it belongs at and read back by an edit; the edit then changes every
// number (each by 100) and updates the feature, read again. The taper location
// goes by motion, template and graph.
TEST_F(TireEnvelopeCommit, EveryNumberAtItsOwnByte) {
  struct Case {
    const char* what;
    int motion, suspension, graph;
    double taper;  // Y axis 31, X axis 37, fixed percentage 41, before the edit's 100
  };
  const Case cases[] = {
      {"spindle lines keep the Y axis", FromSpindleLines, ShortLongArmwithSteering, RectangularTaperedX, 31},
      {"template, tapered Y", SuspensionTemplate, ShortLongArmwithSteering, RectangularTaperedY, 31},
      {"template, tapered X", SuspensionTemplate, ShortLongArmwithSteering, RectangularTaperedX, 37},
      {"template, one fixed", SuspensionTemplate, MacPhersonStrut, TwoDriversOneFixed, 41},
      {"template, jounce and rebound", SuspensionTemplate, ShortLongArmwithSteering, RectangularJounceRebound, 31},
      {"five-link template keeps the Y axis", SuspensionTemplate, FiveLinkSolidAxlewithoutSteering,
       RectangularTaperedX, 31},
  };
  auto fill = [](TireEnvelopeBuilder* t, double d) {
    t->SetTaperLocationYAxis(31 + d);
    t->SetTaperLocationXAxis(37 + d);
    t->SetFixedLocationPercentage(41 + d);
    t->SetFirstDriverJointUpperLimit(1.5 + d);
    t->SetFirstDriverJointLowerLimit(-2.5 - d);
    t->SetFirstDriverJointSteps(3 + static_cast<int>(d));
    t->SetSecondDriverJointUpperLimit(4.5 + d);
    t->SetSecondDriverJointLowerLimit(-5.5 - d);
    t->SetSecondDriverJointSteps(6 + static_cast<int>(d));
    t->SetTaperLocationAY(7.5 + d);
    t->SetTaperLocationBX(8.5 + d);
    Set(t->GetRollAngle(), 9.5 + d);
    t->SetJounceDistance(10.5 + d);
    t->SetReboundDistance(11.5 + d);
    t->SetShockDriverJointSteps(12 + static_cast<int>(d));
    t->SetEnvelopeConcavity(13.5 + d);
    Set(t->GetRadialStartAngle(), 15 + d / 100 * 15);  // 15, then 30
    Set(t->GetRadialEndAngle(), 165 + d / 100 * 15);    // 165, then 180
    Set(t->GetDistanceTolerance(), 0.02 + d / 10000);
    Set(t->GetTrimRadius(), 17.5 + d);
    t->SetSectionLayer(21 + static_cast<int>(d));
    t->SetSheetBodyLayer(22 + static_cast<int>(d));
    t->SetProfileSplineLayer(23 + static_cast<int>(d));
    t->SetSpindleLinesLayer(24 + static_cast<int>(d));
    t->SetRimDiameterOption(d == 0 ? 2 : 1);
    Set(t->GetWheelRimDiameter(), 18.5 + d);
    t->SetXtoY(d == 0);
    t->SetCreateTireEnvelopeFeature(d == 0);
    t->SetRunClearanceAnalysis(d != 0);
    t->SetSaveScenario(d == 0);
    t->SetDisplayInput(d == 0);
  };
  std::pair<int, EXP_expression*> made[4] = {};  // the first builder's expressions the feature was made with
  auto check = [&](const Tireenv_params_s* b, const Case& c, double d, const TireEnvelopeBuilder* t) {
    EXPECT_EQ(At<double>(b, 6328), c.taper + d);
    const std::pair<int, double> doubles[] = {
        {6280, 1.5 + d},  {6288, -2.5 - d}, {6304, 4.5 + d},  {6312, -5.5 - d},         {6336, 7.5 + d},
        {6344, 8.5 + d},  {6536, 9.5 + d},  {6544, 10.5 + d}, {6552, 11.5 + d},         {6592, 13.5 + d},
        {6600, 15 + d / 100 * 15},          {6608, 165 + d / 100 * 15},                 {53912, 0.02 + d / 10000},
        {53920, 17.5 + d}, {1912, 18.5 + d}};
    for (const auto& [byte, value] : doubles) EXPECT_EQ(At<double>(b, byte), value) << "byte " << byte;
    const int n = static_cast<int>(d);
    const std::pair<int, int> ints[] = {
        {6272, c.graph},  {6296, 3 + n},   {6320, 6 + n},   {6560, 12 + n}, {3528, c.motion},      {53936, 21 + n},
        {53940, 22 + n},  {53944, 23 + n}, {53948, 24 + n}, {53908, 1},     {1908, d == 0 ? 2 : 1}, {53928, 2},
        {53932, 61},      {53952, 62},     {53956, 63}};
    for (const auto& [byte, value] : ints) EXPECT_EQ(At<std::int32_t>(b, byte), value) << "byte " << byte;
    const int first = d == 0 ? 1 : 0;
    const std::pair<int, int> bytes[] = {{6276, first}, {160, first}, {161, 1 - first}, {4222, first}, {53896, first}};
    for (const auto& [byte, value] : bytes) EXPECT_EQ(At<std::uint8_t>(b, byte), value) << "byte " << byte;
    // The feature keeps the expressions it was made with (the first
    // builder's, which goes on with copies); an edit gives them its values
    // and keeps its own copies.
    for (const auto& [byte, expression] : made)
      if (expression != nullptr) {
        EXPECT_EQ(At<EXP_expression*>(b, byte), expression) << "byte " << byte;
        EXPECT_NE(t->GetRadialStartAngle(), expression);
        EXPECT_NE(t->GetTrimRadius(), expression);
      }
  };
  auto readBack = [&](const Case& c, double d) {
    TireEnvelopeBuilder* edit = TireEnvelopeBuilderFactory::Create(modelPart(), frec_);
    EXPECT_EQ(edit->GetDriverGraph(), c.graph);
    EXPECT_EQ(edit->GetXtoY(), d == 0);
    const std::pair<double, double> back[] = {
        {edit->GetFirstDriverJointUpperLimit(), 1.5 + d},  {edit->GetFirstDriverJointLowerLimit(), -2.5 - d},
        {edit->GetSecondDriverJointUpperLimit(), 4.5 + d}, {edit->GetSecondDriverJointLowerLimit(), -5.5 - d},
        {edit->GetJounceDistance(), 10.5 + d},             {edit->GetReboundDistance(), 11.5 + d},
        {edit->GetEnvelopeConcavity(), 13.5 + d},          {EXP_ask_value_of_exp(edit->GetRollAngle()), 9.5 + d},
        {EXP_ask_value_of_exp(edit->GetRadialStartAngle()), 15 + d / 100 * 15},
        {EXP_ask_value_of_exp(edit->GetRadialEndAngle()), 165 + d / 100 * 15},
        {EXP_ask_value_of_exp(edit->GetDistanceTolerance()), 0.02 + d / 10000},
        {EXP_ask_value_of_exp(edit->GetTrimRadius()), 17.5 + d}};
    for (std::size_t i = 0; i < std::size(back); ++i) EXPECT_EQ(back[i].first, back[i].second) << "value " << i;
    const int n = static_cast<int>(d);
    EXPECT_EQ(edit->GetFirstDriverJointSteps(), 3 + n);
    EXPECT_EQ(edit->GetSecondDriverJointSteps(), 6 + n);
    EXPECT_EQ(edit->GetShockDriverJointSteps(), 12 + n);
    // The driver locations no graph of these takes from the block come from the customer defaults.
    EXPECT_EQ(edit->GetTaperLocationAY(), 64.5);
    EXPECT_EQ(edit->GetTaperLocationBX(), 64.5);
    const bool fixedFromBlock = c.motion == SuspensionTemplate && c.suspension != FiveLinkSolidAxlewithoutSteering &&
                                c.graph == TwoDriversOneFixed;
    EXPECT_EQ(edit->GetFixedLocationPercentage(), fixedFromBlock ? c.taper + d : 44.5);
    if (c.motion == SuspensionTemplate && c.suspension != FiveLinkSolidAxlewithoutSteering &&
        c.graph != RectangularJounceRebound) {
      const double taper = c.graph == RectangularTaperedX   ? edit->GetTaperLocationXAxis()
                           : c.graph == TwoDriversOneFixed ? edit->GetFixedLocationPercentage()
                                                           : edit->GetTaperLocationYAxis();
      EXPECT_EQ(taper, c.taper + d);
    }
    return edit;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    // Each layer and driver location a customer default gives, a value of its own.
    Host::SetCustomerDefault("VD_TE_WIREFRAME_LAYER", 61.0);
    Host::SetCustomerDefault("VD_TE_WHEEL_CSYS_LAYER", 62.0);
    Host::SetCustomerDefault("VD_TE_TEMPLATE_GEOMETRY_LAYER", 63.0);
    Host::SetCustomerDefault("VD_TE_WHEEL_DRIVER_LOCATION_PERCENT", 44.5);
    Host::SetCustomerDefault("VD_TE_WHEEL_DRIVER_LOCATIONB", 64.5);
    tire_->SetMotion(static_cast<JA_TIRE_ENVELOPE_BUILDER_MotionMethod>(c.motion));
    tire_->SetSuspensionTemplate(static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(c.suspension));
    tire_->SetDriverGraph(static_cast<JA_TIRE_ENVELOPE_BUILDER_DriverGraphOption>(c.graph));
    fill(tire_, 0);
    made[0] = {8, tire_->GetRadialStartAngle()};
    made[1] = {16, tire_->GetRadialEndAngle()};
    made[2] = {40, tire_->GetDistanceTolerance()};
    made[3] = {48, tire_->GetTrimRadius()};
    Block block = Commit();
    EXPECT_NE(block, nullptr);
    if (block == nullptr) continue;
    check(block.get(), c, 0, tire_);

    TireEnvelopeBuilder* edit = readBack(c, 0);
    fill(edit, 100);
    // A motion file the script names: the one read back was traced with the
    // drivers changed here, and commits with no other.
    edit->SetMotionFile(File("edited.txt", "0 -760 0 0 -660 0\n").c_str());
    FEATURE_RECORD* edited = frec_;
    EXPECT_EQ(edit->commit_feature(&edited), 0);
    EXPECT_EQ(edited, frec_);
    Block updated(TireEnvelope_ReadParms(frec_));
    EXPECT_NE(updated, nullptr);
    if (updated != nullptr) {
      SCOPED_TRACE("edited");
      check(updated.get(), c, 100, edit);
      readBack(c, 100)->destroy();
    }
    edit->destroy();
  }
}

// Each template's hard points reach the block as consecutive points, in the
// order the block keeps them: the strut's index 10 after its 13.
// The template's options, given as a script gives them (the stabilizer bar
// used, the inner joint asymmetric, the bushing not), are its flags at
// 5688, 5692 and 5696: use of the bar, a symmetric inner joint, a symmetric
// bushing; the five-link axle's two a symmetric track bar inner joint and
// symmetric bumpers. An edit reads them back as given.
TEST_F(TireEnvelopeCommit, TemplateHardPointsInTheBlocksOrder) {
  struct Case {
    const char* what;
    int suspension;
    std::vector<int> order;  // the point index at each place of the block
    std::vector<int> flags;  // from 5688, 4 bytes each
  };
  const Case cases[] = {
      {"MacPherson strut", MacPhersonStrut, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 11, 12, 13, 10, 14}, {1, 0, 1}},
      {"short-long arm", ShortLongArmwithSteering, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17},
       {1, 0, 1}},
      {"five-link", FiveLinkSolidAxlewithoutSteering, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, {0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    const auto type = static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(c.suspension);
    tire_->SetMotion(SuspensionTemplate);
    tire_->SetSuspensionTemplate(type);
    for (int i = 0; i < static_cast<int>(c.order.size()); ++i)
      EXPECT_EQ(tire_->UpdateTemplatePoint(type, i, Math::Point3{1.0 * i, 100.0 + i, 200.0 + i}), 0) << i;
    tire_->SetUseStabilizerBar(true);
    tire_->SetInnerJointAsymmetric(true);
    tire_->SetBushingJointAsymmetric(false);
    Block block = Commit();
    EXPECT_NE(block, nullptr);
    if (block == nullptr) continue;
    std::vector<int> flags;
    for (std::size_t i = 0; i < c.flags.size(); ++i)
      flags.push_back(At<std::int32_t>(block.get(), 5688 + 4 * static_cast<int>(i)));
    EXPECT_EQ(flags, c.flags);
    for (std::size_t place = 0; place < c.order.size(); ++place) {
      const int index = c.order[place];
      const int byte = 4488 + 24 * static_cast<int>(place);
      EXPECT_EQ(std::vector<double>({At<double>(block.get(), byte), At<double>(block.get(), byte + 8),
                                     At<double>(block.get(), byte + 16)}),
                std::vector<double>({1.0 * index, 100.0 + index, 200.0 + index}))
          << "place " << place;
    }
    // Read back by an edit, each point where it was.
    TireEnvelopeBuilder* edit = TireEnvelopeBuilderFactory::Create(modelPart(), frec_);
    EXPECT_TRUE(edit->GetInnerJointAsymmetric());
    EXPECT_FALSE(edit->GetBushingJointAsymmetric());
    if (c.suspension != FiveLinkSolidAxlewithoutSteering) {
      EXPECT_TRUE(edit->GetUseStabilizerBar());
    }
    const Tire_s* read = edit->WorkArea();
    const Tire_s* made = tire_->WorkArea();
    if (c.suspension == MacPhersonStrut) {
      EXPECT_EQ(std::memcmp(&read->macpherson, &made->macpherson, sizeof made->macpherson), 0);
    } else if (c.suspension == FiveLinkSolidAxlewithoutSteering) {
      EXPECT_EQ(std::memcmp(&read->fiveLink, &made->fiveLink, sizeof made->fiveLink), 0);
    } else {
      EXPECT_EQ(std::memcmp(&read->slArm, &made->slArm, sizeof made->slArm), 0);
    }
    edit->destroy();
  }
}

TEST_F(TireEnvelopeCommit, SpindleLinesNotesAndTheirFile) {
  const double a[3] = {0, -650, 0}, b[3] = {0, -720, 0}, at[3] = {0, -720, 0};
  const tag_t design = ES_create_line_in_part(nullptr, a, b), end = ES_create_point(at);
  const tag_t lines[2] = {ES_create_line_in_part(nullptr, a, b), ES_create_line_in_part(nullptr, a, b)};
  tire_->SetTireDefinition(ProfilePointFile);  // extracts nothing of its own
  tire_->SetMotion(FromSpindleLines);
  tire_->GetDesignPositionSpindle()->set_selected_tag(design);
  tire_->SetSpindleEndPoint(end);
  tire_->GetSpindleLines()->set_tags(2, lines);
  tire_->SetMotionFile(File("spindle_file.txt", "1 2 3 4 5 6\n7 8 9 10 11 12\n").c_str());
  tire_->SetNumSessionNotes(2);
  tire_->SetNthValueInSessionNotes(0, "first");
  tire_->SetNthValueInSessionNotes(1, "second");
  Block block = Commit();
  ASSERT_NE(block, nullptr);
  EXPECT_EQ(block->designSpindle, design);
  EXPECT_EQ(block->spindleEndPoint, end);
  ASSERT_EQ(block->spindleLineCount, 2);
  EXPECT_EQ(block->spindleLines[1], lines[1]);
  ASSERT_EQ(TireEnvelope::Extractions().size(), 2u);
  EXPECT_EQ(TireEnvelope::Extractions()[0].tags, std::vector<tag_t>{design});
  EXPECT_EQ(TireEnvelope::Extractions()[1].tags, std::vector<tag_t>(lines, lines + 2));
  ASSERT_EQ(block->motionLineCount, 2);
  EXPECT_STREQ(block->motionLines[1], "7 8 9 10 11 12");
  ASSERT_EQ(block->sessionNoteCount, 2);
  EXPECT_STREQ(block->sessionNotes[1], "second");

  // Editing it again without notes.
  tire_->set_frec(frec_);
  tire_->SetNumSessionNotes(0);
  FEATURE_RECORD* edited = frec_;
  EXPECT_EQ(tire_->commit_feature(&edited), 0);
  EXPECT_EQ(edited, frec_) << "the feature was made again, not updated";
  Block again(TireEnvelope_ReadParms(frec_));
  EXPECT_EQ(again->sessionNoteCount, 0);
}

TEST_F(TireEnvelopeCommit, WhatMakesNoFeature) {
  struct Case {
    const char* what;
    int motion;
    std::size_t nameLength;  // of the scenario name
    int createAnswer;
    int result;
    bool brokenOff = false;  // a tire at two places whose union the modeller gives up
  };
  const Case cases[] = {
      {"a name that fills its field", SuspensionTemplate, 256, 0, 0},
      {"one character more", SuspensionTemplate, 257, 0, kTextTooLong},
      {"a 300-character name", SuspensionTemplate, 300, 0, kTextTooLong},
      {"the host refuses", SuspensionTemplate, 10, 5, 5},
      {"no union of the places", SuspensionTemplate, 10, 0, Messages::kEnvelopeNotWhole, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    tire_->SetMotion(static_cast<JA_TIRE_ENVELOPE_BUILDER_MotionMethod>(c.motion));
    tire_->SetScenarioName(std::string(c.nameLength, 's').c_str());
    Host::SetAnswer("DIEENG_create_frec", c.createAnswer);
    struct Limit {
      ~Limit() { Kernel::SetGeometryLimit(-1); }
    } limit;
    if (c.brokenOff) {
      TwoPlacesOfAThreePointSection();
      Kernel::SetGeometryLimit(0);
    }
    const tag_t body = tire_->GetTireEnvelopeBody();
    Block block = Commit(c.result);
    EXPECT_EQ(TireEnvelope::ViewFits(), 1);
    if (c.result == 0) {
      EXPECT_NE(block, nullptr);
      if (block != nullptr) {
        EXPECT_EQ(std::strlen(block->scenarioName), c.nameLength);
      }
      continue;
    }
    EXPECT_EQ(frec_, nullptr);
    EXPECT_EQ(tire_->GetTireEnvelopeBody(), body);
  }
}

// The host commits only what validates: a profile that makes no section, or
// driver steps below 1 for a motion that counts them, commits nothing (the
// part holds the features and bodies it held); a section of three points
// commits the feature with its envelope, a solid with geometry.
TEST_F(TireEnvelopeCommit, WhatCannotGiveTheEnvelopeCommitsNothing) {
  struct Case {
    const char* what;
    std::vector<std::array<double, 2>> points;  // (x, radial), not mirrored
    int motion;
    int result;
    int steps = 1;  // of each driver
    const char* lines = "0 -760 0 0 -660 0\n0 -760 50 0 -660 50\n";
    const char* tmpdir = nullptr;  // TMPDIR at the commit (null: as it is)
  };
  const std::vector<std::array<double, 2>> three = {{0, 215.9}, {80, 290}, {112.5, 340}};
  const Case cases[] = {
      {"three points", three, ExistingSpindleFile, 0},
      {"one point", {{0, 215.9}}, ExistingSpindleFile, Messages::kTireSectionWithoutArea},
      {"two points", {{0, 215.9}, {112.5, 340}}, ExistingSpindleFile, Messages::kTireSectionWithoutArea},
      {"three on one line", {{0, 200}, {50, 250}, {100, 300}}, ExistingSpindleFile, Messages::kTireSectionWithoutArea},
      {"across the spindle axis", {{0, -215.9}, {80, 290}, {112.5, 340}}, ExistingSpindleFile,
       Messages::kProfileBelowSpindleAxis},
      {"a point at the tolerance from the spindle axis", {{0, 0.5}, {80, 290}, {112.5, 340}}, ExistingSpindleFile,
       Messages::kProfileBelowSpindleAxis},
      {"a point just beyond it", {{0, 0.501}, {80, 290}, {112.5, 340}}, ExistingSpindleFile, 0},
      {"template motion, no steps", three, SuspensionTemplate, Messages::kTooFewDriverSteps, 0},
      {"an empty spindle file", three, ExistingSpindleFile, Messages::kNoSpindleLineInMotion, 1, ""},
      // The folder's failure, not the motion's.
      {"no temporary folder for the union's scratch file", three, ExistingSpindleFile,
       TireGeometry::kEnvelopeScratchUnusable, 1, "0 -760 0 0 -660 0\n0 -760 50 0 -660 50\n", "/nonexistent/ktx"},
  };
  const auto count = [this] {
    std::array<int, 2> features{0, 0};  // features, solids with geometry
    for (tag_t t : Host::KeptInPart(part())) {
      OM::Object* object = OM::OM_object_of_tag(t);
      features[0] += dynamic_cast<FEATURE_RECORD*>(object) != nullptr;
      auto* solid = dynamic_cast<ES_solid*>(object);
      features[1] += solid != nullptr && Kernel::HasGeometry(solid->ask_kernel_body());
    }
    return features;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    tire_->SetSectionLayer(1);
    tire_->SetSheetBodyLayer(1);
    tire_->SetProfileSplineLayer(1);
    tire_->SetSpindleLinesLayer(1);
    tire_->SetTireDefinition(ProfilePointFile);
    Tire_s* area = tire_->WorkArea();
    area->profilePointCount = static_cast<int>(c.points.size());
    for (std::size_t i = 0; i < c.points.size(); ++i)
      area->profilePoints[i][0] = c.points[i][0], area->profilePoints[i][1] = c.points[i][1];
    tire_->SetMotion(static_cast<JA_TIRE_ENVELOPE_BUILDER_MotionMethod>(c.motion));
    const std::string motion = File("spindle_file.txt", c.lines);
    tire_->SetMotionFile(motion.c_str());
    tire_->SetSpindleFileName(motion.c_str());
    tire_->SetFirstDriverJointSteps(c.steps);
    tire_->SetSecondDriverJointSteps(c.steps);
    Set(tire_->GetDistanceTolerance(), 0.5);
    Set(tire_->GetTrimRadius(), 400);
    Set(tire_->GetRadialEndAngle(), 180);
    const std::array<int, 2> before = count();
    tag_t made = 0;
    {
      std::optional<stamvik_scratch::Variable> tmpdir;
      if (c.tmpdir != nullptr) tmpdir.emplace("TMPDIR", c.tmpdir);
      EXPECT_EQ(Script::Builder_Commit(tire_, &made), c.result);
    }
    const std::array<int, 2> after = count();
    EXPECT_EQ(after[0], before[0] + (c.result == 0 ? 1 : 0));
    EXPECT_EQ(after[1], before[1] + (c.result == 0 ? 1 : 0));
    EXPECT_EQ(made != 0, c.result == 0);
    if (c.result == 0) {
      auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(made));
      ASSERT_NE(frec, nullptr);
      auto* envelope = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(frec->ask_body_eid()));
      ASSERT_NE(envelope, nullptr);
      EXPECT_TRUE(Kernel::HasGeometry(envelope->ask_kernel_body()));
    }
  }
}

// An edit whose tire at two places the modeller cannot unite (it is given
// no time) is refused with the library's number, and the feature keeps its
// block and its body.
TEST_F(TireEnvelopeCommit, AnEditTheModellerCannotUniteLeavesTheFeatureAsItWas) {
  tire_->SetMotion(SuspensionTemplate);
  tire_->SetScenarioName("first");
  Block made = Commit();
  ASSERT_NE(made, nullptr);
  const tag_t body = FREC_ask_body_eid_p(frec_);
  tire_->set_frec(frec_);
  tire_->SetScenarioName("second");
  TwoPlacesOfAThreePointSection();
  struct Limit {
    ~Limit() { Kernel::SetGeometryLimit(-1); }
  } limit;
  Kernel::SetGeometryLimit(0);
  FEATURE_RECORD* edited = frec_;
  EXPECT_EQ(tire_->commit_feature(&edited), Messages::kEnvelopeNotWhole);
  EXPECT_EQ(edited, frec_);
  Block after(TireEnvelope_ReadParms(frec_));
  ASSERT_NE(after, nullptr);
  EXPECT_STREQ(after->scenarioName, "first");
  EXPECT_EQ(FREC_ask_body_eid_p(frec_), body);
}

TEST_F(TireEnvelopeCommit, DriverPathOrJointLinesOfTheRun) {
  struct Case {
    const char* what;
    int templateType;
    int graph;
    std::vector<double> pairs;  // two-driver runs
    int jointLines;             // five-link runs: from the file the run wrote
  };
  const Case cases[] = {
      {"grid", MacPhersonStrut, RectangularJounceRebound, {-30, 0, 30, 0, -30, 100, 30, 100}, -1},
      {"one fixed: every pair takes the one Y", MacPhersonStrut, TwoDriversOneFixed, {-30, 25, 30, 25}, -1},
      {"five-link", FiveLinkSolidAxlewithoutSteering, 0, {}, 20},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    VD::ResetMotion();
    ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
    tire_->SetMotion(SuspensionTemplate);
    tire_->SetSuspensionTemplate(static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(c.templateType));
    const int built = tire_->BuildMotionTemplate();
    EXPECT_EQ(built, 0);
    if (built != 0) continue;
    tire_->SetDriverGraph(static_cast<JA_TIRE_ENVELOPE_BUILDER_DriverGraphOption>(c.graph));
    tire_->SetFirstDriverJointUpperLimit(30);
    tire_->SetFirstDriverJointLowerLimit(-30);
    tire_->SetFirstDriverJointSteps(1);
    tire_->SetSecondDriverJointUpperLimit(100);
    tire_->SetSecondDriverJointSteps(1);
    tire_->SetFixedLocationPercentage(25);
    tire_->SetJounceDistance(60);
    tire_->SetReboundDistance(-60);
    tire_->SetShockDriverJointSteps(4);
    tire_->GetRollAngle()->set("3", 3);
    const int ran = tire_->RunMotionArticulation();
    EXPECT_EQ(ran, 0);
    if (ran != 0) continue;
    // Another run's file, where the temporary directory now points, is not this feature's.
    std::filesystem::create_directories(dir_ + "other");
    File("other/joints_disp_file.txt", "1 1\n");
    ::setenv("QDEN_TMP_DIR", (dir_ + "other/").c_str(), 1);
    Block block = Commit();
    EXPECT_NE(block, nullptr);
    if (block == nullptr) continue;
    if (c.jointLines < 0) {
      EXPECT_EQ(block->driverPointCount * 2, static_cast<int>(c.pairs.size()));
      if (block->driverPointCount * 2 == static_cast<int>(c.pairs.size())) {
        EXPECT_EQ(std::vector<double>(block->driverPoints, block->driverPoints + c.pairs.size()), c.pairs);
      }
    } else {
      EXPECT_EQ(block->jointLineCount, c.jointLines);
    }
    ::unsetenv("QDEN_TMP_DIR");
    VD::ResetMotion();
  }
}

// A feature traced on the strut's grid, J_RACK -30 to 30 in 2 steps by
// J_STRUTCENTER 0 to 100 in 4 (3 x 5 = 15 places), or on a five-link axle's
// travel, opened and edited. A driver input changed without a run is refused
// with the words that name it and the run to do, and the feature keeps its
// path; with the run (the template built again, the motion run) the edit
// commits the new path: the one-fixed graph's 3 places, 2 x 5, 3 x 3, 2 x 3.
// An input the run does not read keeps the run; so does a motion file a
// script named, which the builder did not trace.
TEST_F(TireEnvelopeCommit, AnEditOfTheDriversCommitsOnlyWithItsRun) {
  using Edit = std::function<void(TireEnvelopeBuilder*)>;
  struct Case {
    const char* what;
    Edit edit;
    const char* input;  // as the refusal names it, "NAME was A in the run and is B now"; null: no refusal
    int points;         // of the run's path after the refusal (-1: a five-link axle's, not counted);
                        // with no refusal, the lines of the motion the feature holds (-1: the run's)
    int templateType = MacPhersonStrut;
    bool sameBuilder = false;  // the builder that ran, not one opened on the feature
    int graph = RectangularJounceRebound;  // the feature's, at 30 % and at locations 40 and 60
  };
  const auto graphFive = [](TireEnvelopeBuilder* b) {
    b->SetDriverGraph(TwoDriversOneFixed);
    b->SetFixedLocationPercentage(30);
  };
  const Case cases[] = {
      {"graph 5 at 30 %", graphFive, "DriverGraph was 0 in the run and is 5 now", 3},
      {"the run's own builder, graph 5 after the run", graphFive, "DriverGraph was 0 in the run and is 5 now", 3,
       MacPhersonStrut, true},
      {"the one-fixed graph's percentage", [](TireEnvelopeBuilder* b) { b->SetFixedLocationPercentage(40); },
       "FixedLocationPercentage was 30 in the run and is 40 now", 3, MacPhersonStrut, false, TwoDriversOneFixed},
      {"the Y taper's percentage", [](TireEnvelopeBuilder* b) { b->SetTaperLocationYAxis(50); },
       "TaperLocationYAxis was 30 in the run and is 50 now", -1, MacPhersonStrut, false, RectangularTaperedY},
      {"the X taper's percentage", [](TireEnvelopeBuilder* b) { b->SetTaperLocationXAxis(50); },
       "TaperLocationXAxis was 30 in the run and is 50 now", -1, MacPhersonStrut, false, RectangularTaperedX},
      {"one side's location B", [](TireEnvelopeBuilder* b) { b->SetTaperLocationBX(70); },
       "TaperLocationBX was 60 in the run and is 70 now", -1, MacPhersonStrut, false, TaperedOneSide},
      {"first steps 1", [](TireEnvelopeBuilder* b) { b->SetFirstDriverJointSteps(1); },
       "FirstDriverJointSteps was 2 in the run and is 1 now", 10},
      {"second steps 2", [](TireEnvelopeBuilder* b) { b->SetSecondDriverJointSteps(2); },
       "SecondDriverJointSteps was 4 in the run and is 2 now", 9},
      {"steps 1 x 2",
       [](TireEnvelopeBuilder* b) {
         b->SetFirstDriverJointSteps(1);
         b->SetSecondDriverJointSteps(2);
       },
       "FirstDriverJointSteps was 2 in the run and is 1 now", 6},
      {"first upper limit", [](TireEnvelopeBuilder* b) { b->SetFirstDriverJointUpperLimit(20); },
       "FirstDriverJointUpperLimit was 30 in the run and is 20 now", 15},
      {"first upper limit in its 7th digit", [](TireEnvelopeBuilder* b) { b->SetFirstDriverJointUpperLimit(30.00001); },
       "FirstDriverJointUpperLimit was 30 in the run and is 30.00001 now", 15},
      {"first lower limit in its 17th digit", [](TireEnvelopeBuilder* b) { b->SetFirstDriverJointLowerLimit(-30.000000000000004); },
       "FirstDriverJointLowerLimit was -30 in the run and is -30.000000000000004 now", 15},
      {"first lower limit", [](TireEnvelopeBuilder* b) { b->SetFirstDriverJointLowerLimit(-20.5); },
       "FirstDriverJointLowerLimit was -30 in the run and is -20.5 now", 15},
      {"second upper limit", [](TireEnvelopeBuilder* b) { b->SetSecondDriverJointUpperLimit(80); },
       "SecondDriverJointUpperLimit was 100 in the run and is 80 now", 15},
      {"second lower limit", [](TireEnvelopeBuilder* b) { b->SetSecondDriverJointLowerLimit(10); },
       "SecondDriverJointLowerLimit was 0 in the run and is 10 now", 15},
      {"the drivers' axes switched", [](TireEnvelopeBuilder* b) { b->SwitchDriversButton(); },
       "XtoY was 1 in the run and is 0 now", 15},
      {"another joint", [](TireEnvelopeBuilder* b) { b->SetJouceJointName("J_RACK"); },
       "JouceJointName was \"J_STRUTCENTER\" in the run and is \"J_RACK\" now", 15},
      {"the five-link axle's jounce", [](TireEnvelopeBuilder* b) { b->SetJounceDistance(50); },
       "JounceDistance was 60 in the run and is 50 now", -1, FiveLinkSolidAxlewithoutSteering},
      {"its roll angle", [](TireEnvelopeBuilder* b) { b->GetRollAngle()->set("4", 4); },
       "RollAngle was 3 in the run and is 4 now", -1, FiveLinkSolidAxlewithoutSteering},
      {"its shock steps", [](TireEnvelopeBuilder* b) { b->SetShockDriverJointSteps(5); },
       "ShockDriverJointSteps was 4 in the run and is 5 now", -1, FiveLinkSolidAxlewithoutSteering},
      // Committed as they are: the feature then holds the run's lines of the
      // spindle (-1), or the one line of the file named.
      {"an offset", [](TireEnvelopeBuilder* b) { b->SetApplyOffset(true), Set(b->GetFrontOffsetValue(), 40); },
       nullptr, -1},
      {"the one-fixed graph's percentage, which the grid does not read",
       [](TireEnvelopeBuilder* b) { b->SetFixedLocationPercentage(40); }, nullptr, -1},
      {"a motion file a script named",
       [this, graphFive](TireEnvelopeBuilder* b) {
         graphFive(b);
         b->SetMotionFile(File("named.txt", "0 -760 0 0 -660 0\n").c_str());
       },
       nullptr, 1},
  };
  // The feature's graph and its path's places, or a five-link axle's lines of joint travel.
  const auto path = [this](bool fiveLink) {
    Block block(TireEnvelope_ReadParms(frec_));
    if (block == nullptr) return std::array<int, 2>{-9, -9};
    return std::array<int, 2>{block->driverGraph, fiveLink ? block->jointLineCount : block->driverPointCount};
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    VD::ResetMotion();
    ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
    tire_->SetMotion(SuspensionTemplate);
    tire_->SetSuspensionTemplate(static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(c.templateType));
    EXPECT_EQ(tire_->BuildMotionTemplate(), 0);
    tire_->SetFirstDriverJointUpperLimit(30);
    tire_->SetFirstDriverJointLowerLimit(-30);
    tire_->SetFirstDriverJointSteps(2);
    tire_->SetSecondDriverJointUpperLimit(100);
    tire_->SetSecondDriverJointSteps(4);
    tire_->SetDriverGraph(static_cast<JA_TIRE_ENVELOPE_BUILDER_DriverGraphOption>(c.graph));
    tire_->SetFixedLocationPercentage(30);
    tire_->SetTaperLocationYAxis(30);
    tire_->SetTaperLocationXAxis(30);
    tire_->SetTaperLocationAY(40);
    tire_->SetTaperLocationBX(60);
    tire_->SetJounceDistance(60);
    tire_->SetReboundDistance(-60);
    tire_->SetShockDriverJointSteps(4);
    tire_->GetRollAngle()->set("3", 3);
    EXPECT_EQ(tire_->RunMotionArticulation(), 0);
    Commit();
    const bool fiveLink = c.templateType == FiveLinkSolidAxlewithoutSteering;
    const std::array<int, 2> made = path(fiveLink);
    EXPECT_EQ(made[1], fiveLink ? 20 : c.graph == TwoDriversOneFixed ? 3 : c.graph == 0 ? 15 : made[1]);
    const int traced = Block(TireEnvelope_ReadParms(frec_))->motionLineCount;
    TireEnvelopeBuilder* edit = c.sameBuilder ? tire_ : TireEnvelopeBuilderFactory::Create(modelPart(), frec_);
    if (c.sameBuilder) edit->set_frec(frec_);
    c.edit(edit);
    Error::ClearSevereErrors();
    FEATURE_RECORD* edited = frec_;
    if (c.input == nullptr) {
      EXPECT_EQ(edit->commit_feature(&edited), 0);
      EXPECT_TRUE(Error::SevereErrors().empty());
      EXPECT_EQ(Block(TireEnvelope_ReadParms(frec_))->motionLineCount, c.points < 0 ? traced : c.points);
    } else {
      EXPECT_EQ(edit->commit_feature(&edited), Messages::kMotionTracedWithOtherInputs);
      EXPECT_EQ(Error::SevereErrors().empty() ? "" : Error::SevereErrors().back().text,
                std::string("The motion was traced with other driver inputs than the tire envelope would hold: ") +
                    c.input + ". Run the motion again (RunMotionArticulation), then commit.");
      // The feature as it was.
      EXPECT_EQ(path(fiveLink), made);
      EXPECT_EQ(edit->BuildMotionTemplate(), 0);
      EXPECT_EQ(edit->RunMotionArticulation(), 0);
      EXPECT_EQ(edit->commit_feature(&edited), 0);
    }
    EXPECT_EQ(edited, frec_);
    if (c.input != nullptr && c.points >= 0) {
      EXPECT_EQ(path(fiveLink)[1], c.points);
    }
    if (!c.sameBuilder) edit->destroy();
    ::unsetenv("QDEN_TMP_DIR");
    VD::ResetMotion();
  }
}

// An opened scenario's motion traces the spindle line the script selected:
// the feature keeps it by handle. An edit that selects the same line again
// keeps the run; another line, without a run, is refused naming it.
TEST_F(TireEnvelopeCommit, AnotherTracedSpindleLineWithoutARunIsRefused) {
  VD::ResetMotion();
  ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
  tire_->SetMotion(SuspensionTemplate);
  tire_->SetSuspensionTemplate(MacPhersonStrut);
  ASSERT_EQ(tire_->BuildMotionTemplate(), 0);
  tire_->SetMotion(ExistingScenarioMotionModel);
  ASSERT_EQ(tire_->BuildMotionTemplate(), 0);
  unsigned int spindle = 0;
  VD_OBJ_cycle_by_name("MAC_32", &spindle);
  ASSERT_NE(spindle, 0u);
  tire_->GetTracedSpindleLine()->set_selected_tag(spindle);
  tire_->SetFirstDriverJointUpperLimit(30);
  tire_->SetFirstDriverJointLowerLimit(-30);
  tire_->SetFirstDriverJointSteps(1);
  tire_->SetSecondDriverJointUpperLimit(100);
  tire_->SetSecondDriverJointSteps(1);
  ASSERT_EQ(tire_->RunMotionArticulation(), 0);
  ASSERT_NE(Commit(), nullptr);
  const double a[3] = {0, -760, 0}, b[3] = {0, -660, 0};
  const tag_t other = ES_create_line_in_part(nullptr, a, b);
  char* spindleHandle = OM::TAG_ask_handle_of_tag(spindle);
  char* otherHandle = OM::TAG_ask_handle_of_tag(other);
  const std::string was = spindleHandle, now = otherHandle;
  SM_free(spindleHandle);
  SM_free(otherHandle);
  struct Row {
    const char* what;
    tag_t line;
    int status;
  };
  for (const Row& row : {Row{"the same line again", spindle, 0}, Row{"another line", other, 3771799}}) {
    SCOPED_TRACE(row.what);
    TireEnvelopeBuilder* edit = TireEnvelopeBuilderFactory::Create(modelPart(), frec_);
    edit->GetTracedSpindleLine()->set_selected_tag(row.line);
    Error::ClearSevereErrors();
    FEATURE_RECORD* edited = frec_;
    EXPECT_EQ(edit->commit_feature(&edited), row.status);
    if (row.status != 0) {
      EXPECT_NE((Error::SevereErrors().empty() ? std::string() : Error::SevereErrors().back().text)
                    .find(": TracedSpindleLine was \"" + was + "\" in the run and is \"" + now + "\" now."),
                std::string::npos);
    }
    edit->destroy();
  }
  ::unsetenv("QDEN_TMP_DIR");
  VD::ResetMotion();
}

// The envelopes the modeller makes of the solid-body tire on the strut: the
// feature on the grid J_RACK -30 to 30 in 2 steps by J_STRUTCENTER 0 to 100
// in 4 (15 places), then edited through the host's commit: to steps 1 x 2
// (6 places, among the grid's), refused without a run, then run; then to
// the one-fixed graph at 30 % with J_RACK in 2 steps again (3 places,
// J_STRUTCENTER at 30), likewise. A union of faceted tires has no volume by
// hand: these are the modeller's, as a play of the example's strut with
// these drivers prints them (1.19017e8, 1.17536e8, 9.03575e7 mm3); by hand
// only their order, the 6 places' below the 15's that hold them. A quarter
// of a minute of the modeller: the optimised build only, as a long case.
TEST_F(TireEnvelopeCommit, EditedDriversGiveTheEnvelopeOfTheirRun) {
#ifndef NDEBUG
  GTEST_SKIP() << "a quarter of a minute of the modeller: run in the optimised build";
#else
  VD::ResetMotion();
  ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
  const double a[3] = {0, 0, 0}, b[3] = {0, 1, 0};
  const tag_t solid = ES_create_line_in_part(nullptr, a, b);
  const auto volume = [this] {
    auto* body = dynamic_cast<ES_solid*>(OM::OM_object_of_tag(FREC_ask_body_eid_p(frec_)));
    return body != nullptr ? Kernel::Volume(body->ask_kernel_body()) * 1e9 : 0.0;
  };
  tire_->SetTireDefinition(SolidBody);
  tire_->GetTireDefinitionBody()->set_tags(1, &solid);
  ASSERT_EQ(tire_->CalculateProfilePoints(), 0);
  tire_->SetMotion(SuspensionTemplate);
  tire_->SetSuspensionTemplate(MacPhersonStrut);
  ASSERT_EQ(tire_->BuildMotionTemplate(), 0);
  tire_->SetFirstDriverJointUpperLimit(30);
  tire_->SetFirstDriverJointLowerLimit(-30);
  tire_->SetFirstDriverJointSteps(2);
  tire_->SetSecondDriverJointUpperLimit(100);
  tire_->SetSecondDriverJointSteps(4);
  ASSERT_EQ(tire_->RunMotionArticulation(), 0);
  tire_->SetSheetBodyLayer(41);
  tire_->SetSectionLayer(42);
  tire_->SetProfileSplineLayer(43);
  tire_->SetSpindleLinesLayer(44);
  Set(tire_->GetRadialEndAngle(), 180);
  Set(tire_->GetDistanceTolerance(), 0.5);
  Set(tire_->GetTrimRadius(), 400);
  tag_t made = 0;
  ASSERT_EQ(Script::Builder_Commit(tire_, &made), 0);
  frec_ = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(made));
  ASSERT_NE(frec_, nullptr);
  EXPECT_NEAR(volume(), 119016565, 1.19e8 * 1e-6);

  struct Case {
    const char* what;
    std::function<void(TireEnvelopeBuilder*)> edit;
    double volume;  // mm3
  };
  const Case cases[] = {
      {"steps 1 x 2",
       [](TireEnvelopeBuilder* e) {
         e->SetFirstDriverJointSteps(1);
         e->SetSecondDriverJointSteps(2);
       },
       117536203},
      {"graph 5 at 30 %, J_RACK in 2 steps again",
       [](TireEnvelopeBuilder* e) {
         e->SetDriverGraph(TwoDriversOneFixed);
         e->SetFixedLocationPercentage(30);
         e->SetFirstDriverJointSteps(2);
       },
       90357451},
  };
  double before = volume();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TireEnvelopeBuilder* edit = TireEnvelopeBuilderFactory::Create(modelPart(), frec_);
    c.edit(edit);
    EXPECT_EQ(Script::Builder_Commit(edit, &made), Messages::kMotionTracedWithOtherInputs);
    EXPECT_NEAR(volume(), before, before * 1e-9);
    EXPECT_EQ(edit->BuildMotionTemplate(), 0);
    EXPECT_EQ(edit->RunMotionArticulation(), 0);
    EXPECT_EQ(Script::Builder_Commit(edit, &made), 0);
    EXPECT_NEAR(volume(), c.volume, c.volume * 1e-6);
    before = volume();
    edit->destroy();
  }
  ::unsetenv("QDEN_TMP_DIR");
  VD::ResetMotion();
#endif
}

TEST_F(TireEnvelopeCommit, ReadBackFromTheFeature) {
  struct Case {
    const char* what;
    int motion;
    int location;   // spindle file location the builder had
  };
  const Case cases[] = {
      {"short-long arm template", SuspensionTemplate, InNative},
      {"existing spindle file, stored in the vault", ExistingSpindleFile, InVaultra},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
    tire_->SetMotion(static_cast<JA_TIRE_ENVELOPE_BUILDER_MotionMethod>(c.motion));
    tire_->SetSpindleFileLocation(static_cast<JA_TIRE_ENVELOPE_BUILDER_SpindleFileLocationOption>(c.location));
    tire_->SetSpindleFileName("spindle.txt");
    tire_->SetSuspensionTemplate(ShortLongArmwithSteering);
    tire_->SetScenarioName("scen_sla_1");
    tire_->SetSteeringJointName("J_STEER");
    tire_->SetJouceJointName("J_SHK_CENTER");
    tire_->SetMotionFile(File("spindle_file.txt", "1 2 3 4 5 6\n").c_str());
    tire_->SetFirstDriverJointUpperLimit(30);
    tire_->SetSecondDriverJointLowerLimit(-80);
    for (int i = 0; i < 18; ++i) tire_->UpdateTemplatePoint(ShortLongArmwithSteering, i, Math::Point3{1, 2, i + 3.0});
    Set(tire_->GetFrontOffsetValue(), 1.23456789);
    tire_->SetApplyOffset(true);
    tire_->SetEnvelopeOffset(CustomerDefinedData);
    Tire_s* area = tire_->WorkArea();
    area->sectionCount = 2;
    area->sectionAngles[1] = 90;
    area->sectionOffsetCounts[1] = 2;
    area->sectionOffsets[1][1] = 7;
    Commit();
    EXPECT_NE(frec_, nullptr);
    if (frec_ == nullptr) continue;

    TireEnvelopeBuilder* edit = TireEnvelopeBuilderFactory::Create(modelPart(), frec_);
    EXPECT_EQ(edit->GetMotion(), c.motion);
    EXPECT_NEAR(EXP_ask_value_of_exp(edit->GetFrontOffsetValue()), 1.234568, 1e-12);
    EXPECT_EQ(edit->GetEnvelopeOffset(), CustomerDefinedData);
    const Tire_s* read = edit->WorkArea();
    EXPECT_EQ(read->sectionCount, 2);
    EXPECT_EQ(read->sectionOffsets[1][1], 7);
    EXPECT_EQ(read->sectionAngles[1], 90);
    if (c.motion == ExistingSpindleFile) {
      // Without the data-management manager the file is a native one.
      EXPECT_EQ(edit->GetSpindleFileLocation(), InNative);
      EXPECT_STREQ(edit->GetSpindleFileNameNative(), "spindle.txt");
    } else {
      // All 18 hard points, each where the original had it.
      EXPECT_EQ(std::memcmp(&read->slArm, &tire_->WorkArea()->slArm, offsetof(sSLArm_Suspension, useStabilizerBar)), 0);
      EXPECT_EQ(read->slArm.oppositeBushing.z, 20);
      EXPECT_STREQ(edit->GetSteeringJointName(), "J_STEER");
      EXPECT_STREQ(edit->GetJouceJointName(), "J_SHK_CENTER");
      EXPECT_EQ(edit->GetFirstDriverJointUpperLimit(), 30);
      EXPECT_EQ(edit->GetSecondDriverJointLowerLimit(), -80);
      // The stored lines written back to a file of their own.
      std::ifstream written(edit->GetMotionFile());
      std::string line;
      EXPECT_TRUE(std::getline(written, line));
      EXPECT_EQ(line, "1 2 3 4 5 6");
      EXPECT_STRNE(edit->GetMotionFile(), tire_->GetMotionFile());
    }
    edit->destroy();
    ::unsetenv("QDEN_TMP_DIR");
  }
}

}  // namespace
