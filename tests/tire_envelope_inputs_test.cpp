// Tire-envelope inputs that take shape in the builder: hard points set one
// at a time, the fixed envelope offsets, validation before commit, and the
// driver paths of the motion runs.
#include <array>
#include <initializer_list>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include <unistd.h>

#include "TestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "exp/Expression.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

using Path = std::vector<std::pair<double, double>>;

Path PathOf(const vdja_tireenv_motion_record_t& r) {
  Path path;
  for (int i = 0; i < r.pointCount; ++i) path.emplace_back(r.xValues[i], r.yValues[i]);
  return path;
}

// An expression set to a value, as a dialog sets it.
void Set(EXP_expression* e, double value) { e->set(std::to_string(value).c_str(), value); }

// A profile of the point file's kind, its points in the work area.
void Profile(TireEnvelopeBuilder* b, bool mirror, std::initializer_list<std::array<double, 2>> points) {
  b->SetTireDefinition(ProfilePointFile);
  b->SetMirrorProfile(mirror);
  Tire_s* area = b->WorkArea();
  area->profilePointCount = 0;
  for (const auto& [x, r] : points) {
    area->profilePoints[area->profilePointCount][0] = x;
    area->profilePoints[area->profilePointCount++][1] = r;
  }
}

class TireEnvelopeInputs : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
  }
  void TearDown() override {
    vdja_tireenv_motion_release_path(&record_);
    tire_->destroy();
    if (!motionFile_.empty()) std::remove(motionFile_.c_str());
    HostTest::TearDown();
  }
  // A builder that passes every check: layers 1, two profile points, an
  // existing motion file, tolerance and trim radius above zero, angles 0 to 90.
  void MakeValid() {
    for (auto set : {&TireEnvelopeBuilder::SetSectionLayer, &TireEnvelopeBuilder::SetSheetBodyLayer,
                     &TireEnvelopeBuilder::SetProfileSplineLayer, &TireEnvelopeBuilder::SetSpindleLinesLayer})
      (tire_->*set)(1);
    // A triangle of a section, above the spindle axis.
    const double points[3][2] = {{0, 200}, {50, 250}, {0, 300}};
    Tire_s* area = tire_->WorkArea();
    area->profilePointCount = 3;
    for (int i = 0; i < 3; ++i) area->profilePoints[i][0] = points[i][0], area->profilePoints[i][1] = points[i][1];
    motionFile_ = stamvik_test::ProcessScratch().Slashed() + "tire_motion.txt";
    WriteMotion("0 -760 0 0 -660 0\n");
    tire_->SetMotionFile(motionFile_.c_str());
    tire_->SetSpindleFileName(motionFile_.c_str());
    Set(tire_->GetDistanceTolerance(), 0.01);
    Set(tire_->GetTrimRadius(), 5);
    Set(tire_->GetRadialEndAngle(), 90);
  }
  void WriteMotion(const char* text) const {
    std::FILE* out = std::fopen(motionFile_.c_str(), "w");
    std::fputs(text, out);
    std::fclose(out);
  }
  TireEnvelopeBuilder* tire_ = nullptr;
  vdja_tireenv_motion_record_t record_{};
  std::string motionFile_;
};

TEST_F(TireEnvelopeInputs, TemplatePointsLandInTheirFamilysRecord) {
  const Math::Point3 p{1, 2, 3};
  Tire_s before = *tire_->WorkArea();
  EXPECT_EQ(tire_->UpdateTemplatePoint(ShortLongArmwithSteering, 12, p), 0);
  EXPECT_EQ(tire_->UpdateTemplatePoint(FiveLinkSolidAxlewithoutSteering, 9, p), 0);
  EXPECT_EQ(tire_->UpdateTemplatePoint(MacPhersonStrut, 10, p), 0);
  const Tire_s& after = *tire_->WorkArea();
  for (const VD_point_s* got : {&after.slArm.innerDriveJoint, &after.fiveLink.trackBarInner,
                                &after.macpherson.oppositeInnerJoint})
    EXPECT_EQ(std::vector<double>({got->x, got->y, got->z}), std::vector<double>({1, 2, 3}));
  // Past each family's last index, or of no family: nothing is written.
  before = after;
  for (auto [type, index] : {std::pair{ShortLongArmwithoutSteering, 18}, std::pair{MacPhersonStrut, 15},
                             std::pair{FiveLinkSolidAxlewithoutSteering, 13}, std::pair{MacPhersonStrut, -1},
                             std::pair{static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(4), 0}})
    EXPECT_EQ(tire_->UpdateTemplatePoint(type, index, p), 0);
  EXPECT_EQ(std::memcmp(&before, tire_->WorkArea(), sizeof before), 0);
}

// Each MacPherson hard point, set by its index to a point of its own, is
// found at the byte of the record that holds it (offset, index).
TEST_F(TireEnvelopeInputs, EachMacPhersonHardPointLandsAtItsOwnByte) {
  const int places[15][2] = {{0, 0},    {48, 1},   {96, 2},   {144, 3},  {168, 4},  {216, 5},  {264, 6},  {312, 7},
                             {360, 8},  {408, 9},  {456, 11}, {504, 12}, {552, 13}, {576, 10}, {600, 14}};
  for (int index = 0; index < 15; ++index) {
    const Math::Point3 p{index + 1.0, 10.0 * (index + 1), -100.0 * (index + 1)};
    EXPECT_EQ(tire_->UpdateTemplatePoint(MacPhersonStrut, index, p), 0);
  }
  const auto* record = reinterpret_cast<const unsigned char*>(&tire_->WorkArea()->macpherson);
  for (const auto& [offset, index] : places) {
    double got[3];
    std::memcpy(got, record + offset, sizeof got);
    EXPECT_EQ(std::vector<double>(got, got + 3), std::vector<double>({index + 1.0, 10.0 * (index + 1), -100.0 * (index + 1)}))
        << "index " << index << " at byte " << offset;
  }
}

TEST_F(TireEnvelopeInputs, FixedSectionsFromTheSixOffsets) {
  Set(tire_->GetInboardOffsetValue(), 2);
  Set(tire_->GetFrontOffsetValue(), 4);
  Set(tire_->GetUpOffsetValue(), 6);
  Set(tire_->GetRearOffsetValue(), 8);
  Set(tire_->GetDownOffsetValue(), 10);
  Set(tire_->GetOutboardOffsetValue(), 12);
  tire_->InitializeEnvelopeOffset();
  const Tire_s& area = *tire_->WorkArea();
  ASSERT_EQ(area.sectionCount, 4);
  const double want[4][4] = {{0, 2, 4, 12}, {90, 2, 6, 12}, {180, 2, 8, 12}, {270, 2, 10, 12}};
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(area.sectionOffsetCounts[i], 3);
    EXPECT_EQ(std::vector<double>({area.sectionAngles[i], area.sectionOffsets[i][0], area.sectionOffsets[i][1],
                                   area.sectionOffsets[i][2]}),
              std::vector<double>(want[i], want[i] + 4));
  }
}

// What validation answers after one change to valid inputs: the number of
// the first check that fails, 0 when none does.
struct ValidationCase {
  const char* what;
  void (*change)(TireEnvelopeBuilder*);
  int want;
};
// The profile's points, (x, radial) each, of profile curves not mirrored
// (a solid body's profile is always mirrored).
void Profile(TireEnvelopeBuilder* b, std::initializer_list<std::array<double, 2>> points) {
  b->SetTireDefinition(ProfileCurves);
  Tire_s* area = b->WorkArea();
  area->profilePointCount = static_cast<int>(points.size());
  int i = 0;
  for (const auto& p : points) area->profilePoints[i][0] = p[0], area->profilePoints[i++][1] = p[1];
}
// A MacPherson strut's motion from its template, one step each driver.
void TemplateMotion(TireEnvelopeBuilder* b) {
  b->SetMotion(SuspensionTemplate);
  b->SetFirstDriverJointSteps(1);
  b->SetSecondDriverJointSteps(1);
}

const ValidationCase kValidationCases[] = {
      {"one profile point", [](TireEnvelopeBuilder* b) { Profile(b, {{0, 200}}); }, 3771795},
      {"two points, not mirrored", [](TireEnvelopeBuilder* b) { Profile(b, {{0, 200}, {50, 300}}); }, 3771795},
      {"two points mirrored: a section of four",
       [](TireEnvelopeBuilder* b) {
         Profile(b, {{50, 200}, {50, 300}});
         b->SetMirrorProfile(true);
       },
       0},
      {"three points, two of them one",
       [](TireEnvelopeBuilder* b) { Profile(b, {{0, 200}, {50, 300}, {0, 200}}); }, 3771795},
      {"three points on one line", [](TireEnvelopeBuilder* b) { Profile(b, {{0, 200}, {25, 250}, {50, 300}}); },
       3771795},
      {"a radial a hair above 0, within the tolerance of 0.01",
       [](TireEnvelopeBuilder* b) { Profile(b, {{0, 1e-9}, {50, 250}, {0, 300}}); }, 3771796},
      {"a radial at the tolerance", [](TireEnvelopeBuilder* b) { Profile(b, {{0, 0.01}, {50, 250}, {0, 300}}); },
       3771796},
      {"a radial a hair above the tolerance",
       [](TireEnvelopeBuilder* b) { Profile(b, {{0, 0.011}, {50, 250}, {0, 300}}); }, 0},
      {"a radial at 0, on the spindle axis", [](TireEnvelopeBuilder* b) { Profile(b, {{0, 0}, {50, 250}, {0, 300}}); },
       3771796},
      {"a radial a hair below 0", [](TireEnvelopeBuilder* b) { Profile(b, {{0, -1e-9}, {50, 250}, {0, 300}}); },
       3771796},
      {"across the axis before too few points", [](TireEnvelopeBuilder* b) { Profile(b, {{0, -300}, {0, 300}}); },
       3771796},
      {"template motion, one step each", [](TireEnvelopeBuilder* b) { TemplateMotion(b); }, 0},
      {"template motion, first steps 0",
       [](TireEnvelopeBuilder* b) {
         TemplateMotion(b);
         b->SetFirstDriverJointSteps(0);
       },
       3771797},
      {"template motion, second steps -3",
       [](TireEnvelopeBuilder* b) {
         TemplateMotion(b);
         b->SetSecondDriverJointSteps(-3);
       },
       3771797},
      {"template motion, one fixed: second steps 0 unused",
       [](TireEnvelopeBuilder* b) {
         TemplateMotion(b);
         b->SetDriverGraph(TwoDriversOneFixed);
         b->SetSecondDriverJointSteps(0);
       },
       0},
      {"five-link template, shock steps 0",
       [](TireEnvelopeBuilder* b) {
         b->SetMotion(SuspensionTemplate);
         b->SetSuspensionTemplate(FiveLinkSolidAxlewithoutSteering);
       },
       3771797},
      {"five-link template, shock steps 1",
       [](TireEnvelopeBuilder* b) {
         b->SetMotion(SuspensionTemplate);
         b->SetSuspensionTemplate(FiveLinkSolidAxlewithoutSteering);
         b->SetShockDriverJointSteps(1);
       },
       0},
      {"an opened scenario, first steps -3",
       [](TireEnvelopeBuilder* b) {
         b->SetMotion(ExistingScenarioMotionModel);
         b->SetFirstDriverJointSteps(-3);
         b->SetSecondDriverJointSteps(1);
       },
       3771797},
      {"spindle lines take no steps", [](TireEnvelopeBuilder* b) { b->SetMotion(FromSpindleLines); }, 0},
      {"an empty motion file", [](TireEnvelopeBuilder* b) { std::fclose(std::fopen(b->GetMotionFile(), "w")); },
       3771798},
      {"a spindle line whose ends meet",
       [](TireEnvelopeBuilder* b) {
         std::FILE* out = std::fopen(b->GetMotionFile(), "w");
         std::fputs("1 2 3 1 2 3\nnot a line\n", out);
         std::fclose(out);
       },
       3771798},
      {"a template's motion is read from the motion file",
       [](TireEnvelopeBuilder* b) {
         TemplateMotion(b);
         b->SetSpindleFileName("/no/such/file");
       },
       0},
      {"a spindle file's is read from the spindle file",
       [](TireEnvelopeBuilder* b) { b->SetSpindleFileName("/no/such/file"); }, 3771798},
      {"every layer 256",
       [](TireEnvelopeBuilder* b) {
         b->SetSectionLayer(256);
         b->SetSheetBodyLayer(256);
         b->SetProfileSplineLayer(256);
         b->SetSpindleLinesLayer(256);
       },
       0},
      {"section layer 0", [](TireEnvelopeBuilder* b) { b->SetSectionLayer(0); }, 3771763},
      {"section layer 257", [](TireEnvelopeBuilder* b) { b->SetSectionLayer(257); }, 3771763},
      {"sheet-body layer 0", [](TireEnvelopeBuilder* b) { b->SetSheetBodyLayer(0); }, 3771763},
      {"sheet-body layer 257", [](TireEnvelopeBuilder* b) { b->SetSheetBodyLayer(257); }, 3771763},
      {"spline layer 0", [](TireEnvelopeBuilder* b) { b->SetProfileSplineLayer(0); }, 3771763},
      {"spline layer 257", [](TireEnvelopeBuilder* b) { b->SetProfileSplineLayer(257); }, 3771763},
      {"spindle layer 0", [](TireEnvelopeBuilder* b) { b->SetSpindleLinesLayer(0); }, 3771763},
      {"spindle layer 257", [](TireEnvelopeBuilder* b) { b->SetSpindleLinesLayer(257); }, 3771763},
      {"no profile points", [](TireEnvelopeBuilder* b) { b->WorkArea()->profilePointCount = 0; }, 3771761},
      // The section: the points in order, mirrored back when the profile is.
      {"a closed loop in order",
       [](TireEnvelopeBuilder* b) { Profile(b, false, {{-100, 216}, {100, 216}, {100, 340}, {-100, 340}}); }, 0},
      {"the loop's points sorted cross",
       [](TireEnvelopeBuilder* b) { Profile(b, false, {{-100, 216}, {-100, 340}, {100, 216}, {100, 340}}); },
       3771793},
      {"a half profile past the centre plane, mirrored",
       [](TireEnvelopeBuilder* b) { Profile(b, true, {{-20, 216}, {40, 230}, {112.5, 340}}); }, 3771793},
      {"the same not mirrored", [](TireEnvelopeBuilder* b) { Profile(b, false, {{-20, 216}, {40, 230}, {112.5, 340}}); },
       0},
      {"no motion file", [](TireEnvelopeBuilder* b) { b->SetMotionFile("/no/such/file"); }, 3771762},
      {"shift -635", [](TireEnvelopeBuilder* b) { Set(b->GetWheelCenterlineShift(), -635); }, 0},
      {"shift -635.2", [](TireEnvelopeBuilder* b) { Set(b->GetWheelCenterlineShift(), -635.2); }, 3771764},
      {"solid body, rim -0.5", [](TireEnvelopeBuilder* b) { Set(b->GetWheelRimDiameter(), -0.5); }, 0},
      {"profile curves, rim -0.5",
       [](TireEnvelopeBuilder* b) {
         b->SetTireDefinition(ProfileCurves);
         Set(b->GetWheelRimDiameter(), -0.5);
       },
       3771765},
      {"start 44.9", [](TireEnvelopeBuilder* b) { Set(b->GetRadialStartAngle(), 44.9); }, 3771711},
      {"start 30.9", [](TireEnvelopeBuilder* b) { Set(b->GetRadialStartAngle(), 30.9); }, 0},
      {"start 1e30, whole but 1 past 15s", [](TireEnvelopeBuilder* b) { Set(b->GetRadialStartAngle(), 1e30); }, 3771711},
      {"start -15.5", [](TireEnvelopeBuilder* b) { Set(b->GetRadialStartAngle(), -15.5); }, 0},
      {"end 100", [](TireEnvelopeBuilder* b) { Set(b->GetRadialEndAngle(), 100); }, 3771769},
      {"start 90 end 90", [](TireEnvelopeBuilder* b) { Set(b->GetRadialStartAngle(), 90); }, 3771712},
      {"0 to 375", [](TireEnvelopeBuilder* b) { Set(b->GetRadialEndAngle(), 375); }, 3771713},
      {"-120 to 0",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), -120);
         Set(b->GetRadialEndAngle(), 0);
       },
       3771777},
      {"-90 to 270",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), -90);
         Set(b->GetRadialEndAngle(), 270);
       },
       0},
      {"30 to 375",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), 30);
         Set(b->GetRadialEndAngle(), 375);
       },
       3771778},
      {"tolerance 0", [](TireEnvelopeBuilder* b) { Set(b->GetDistanceTolerance(), 0); }, 3771709},
      {"tolerance 1e-10", [](TireEnvelopeBuilder* b) { Set(b->GetDistanceTolerance(), 1e-10); }, 0},
      {"tolerance just under 1e-10", [](TireEnvelopeBuilder* b) { Set(b->GetDistanceTolerance(), 0.99e-10); },
       3771709},
      {"trim radius 0", [](TireEnvelopeBuilder* b) { Set(b->GetTrimRadius(), 0); }, 3771710},
      {"trim radius 1e-10", [](TireEnvelopeBuilder* b) { Set(b->GetTrimRadius(), 1e-10); }, 0},
      {"trim radius just under 1e-10", [](TireEnvelopeBuilder* b) { Set(b->GetTrimRadius(), 0.99e-10); }, 3771710},
      {"shift 635", [](TireEnvelopeBuilder* b) { Set(b->GetWheelCenterlineShift(), 635); }, 0},
      {"shift 635.2", [](TireEnvelopeBuilder* b) { Set(b->GetWheelCenterlineShift(), 635.2); }, 3771764},
      {"profile curves, rim 0",
       [](TireEnvelopeBuilder* b) {
         b->SetTireDefinition(ProfileCurves);
         Set(b->GetWheelRimDiameter(), 0);
       },
       0},
      {"profile curves, rim 635",
       [](TireEnvelopeBuilder* b) {
         b->SetTireDefinition(ProfileCurves);
         Set(b->GetWheelRimDiameter(), 635);
       },
       0},
      {"profile curves, rim 635.2",
       [](TireEnvelopeBuilder* b) {
         b->SetTireDefinition(ProfileCurves);
         Set(b->GetWheelRimDiameter(), 635.2);
       },
       3771765},
      {"end 15.7, whole degrees 15", [](TireEnvelopeBuilder* b) { Set(b->GetRadialEndAngle(), 15.7); }, 0},
      {"end 14.9", [](TireEnvelopeBuilder* b) { Set(b->GetRadialEndAngle(), 14.9); }, 3771769},
      {"0 to 360, the whole turn", [](TireEnvelopeBuilder* b) { Set(b->GetRadialEndAngle(), 360); }, 0},
      {"-105 to 0",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), -105);
         Set(b->GetRadialEndAngle(), 0);
       },
       3771777},
      {"-90.5 to 0, whole degrees -90 but below the least start",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), -90.5);
         Set(b->GetRadialEndAngle(), 0);
       },
       3771777},
      {"15 to 360.5, whole degrees 360 but past the last end",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), 15);
         Set(b->GetRadialEndAngle(), 360.5);
       },
       3771778},
      {"-90 to 270.5, a span past the whole turn",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), -90);
         Set(b->GetRadialEndAngle(), 270.5);
       },
       3771713},
      {"profile curves, rim a hair below 0",
       [](TireEnvelopeBuilder* b) {
         b->SetTireDefinition(ProfileCurves);
         Set(b->GetWheelRimDiameter(), -5e-11);
       },
       0},
      {"a bad layer before no profile points",
       [](TireEnvelopeBuilder* b) {
         b->SetSpindleLinesLayer(257);
         b->WorkArea()->profilePointCount = 0;
       },
       3771763},
      {"no profile points before no motion file",
       [](TireEnvelopeBuilder* b) {
         b->WorkArea()->profilePointCount = 0;
         b->SetMotionFile("/no/such/file");
       },
       3771761},
      {"no motion file before a shift too far",
       [](TireEnvelopeBuilder* b) {
         b->SetMotionFile("/no/such/file");
         Set(b->GetWheelCenterlineShift(), 700);
       },
       3771762},
      {"the start's 15s before the end's",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetRadialStartAngle(), 14.9);
         Set(b->GetRadialEndAngle(), 100);
       },
       3771711},
      {"tolerance before trim radius",
       [](TireEnvelopeBuilder* b) {
         Set(b->GetDistanceTolerance(), 0);
         Set(b->GetTrimRadius(), 0);
       },
       3771709},
      {"fixed sections hold 0 and 90",
       [](TireEnvelopeBuilder* b) { b->SetApplyOffset(true); }, 0},
      {"fixed sections lack 45",
       [](TireEnvelopeBuilder* b) {
         b->SetApplyOffset(true);
         Set(b->GetRadialStartAngle(), 45);
       },
       3771759},
      {"first steps 10000 by 100", [](TireEnvelopeBuilder* b) {
         b->SetFirstDriverJointSteps(10000);
         b->SetSecondDriverJointSteps(100);
       }, 0},
      {"first steps 10001", [](TireEnvelopeBuilder* b) { b->SetFirstDriverJointSteps(10001); }, 3771791},
      {"second steps at the int's most",
       [](TireEnvelopeBuilder* b) { b->SetSecondDriverJointSteps(std::numeric_limits<int>::max()); }, 3771791},
      {"steps 1001 by 1000", [](TireEnvelopeBuilder* b) {
         b->SetFirstDriverJointSteps(1001);
         b->SetSecondDriverJointSteps(1000);
       }, 3771792},
      {"one fixed, second steps unused", [](TireEnvelopeBuilder* b) {
         b->SetDriverGraph(TwoDriversOneFixed);
         b->SetSecondDriverJointSteps(std::numeric_limits<int>::max());
       }, 0},
      {"shock steps 10001", [](TireEnvelopeBuilder* b) { b->SetShockDriverJointSteps(10001); }, 3771791},
      {"offset file missing when creating",
       [](TireEnvelopeBuilder* b) {
         b->SetApplyOffset(true);
         b->SetEnvelopeOffset(FromOffsetFile);
         b->SetOffsetFileName("/no/such/offsets");
       },
       3771752},
};

TEST_F(TireEnvelopeInputs, ValidationStopsAtTheFirstFailingCheck) {
  MakeValid();
  EXPECT_EQ(tire_->validate_nothrow(), 0);
  for (const ValidationCase& c : kValidationCases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    MakeValid();
    c.change(tire_);
    EXPECT_EQ(tire_->validate_nothrow(), c.want);
  }
}

TEST_F(TireEnvelopeInputs, AnInchPartTakesTwentyFiveInches) {
  part()->SetUnitCode(1);
  MakeValid();
  Set(tire_->GetWheelCenterlineShift(), 25);
  EXPECT_EQ(tire_->validate_nothrow(), 0);
  Set(tire_->GetWheelCenterlineShift(), 25.01);
  EXPECT_EQ(tire_->validate_nothrow(), 3771764);
}

// ---- driver paths ----------------------------------------------------------------------

TEST_F(TireEnvelopeInputs, TwoDriverPaths) {
  struct Case {
    const char* what;
    int graph;
    double fu, fl;
    int fs;
    double su, sl;
    int ss;
    double p, a, b;
    Path want;
  };
  const Path grid = {{-20, 0}, {20, 0}, {-20, 50}, {20, 50}, {-20, 100}, {20, 100}};
  const Case cases[] = {
      {"grid, no first steps", 0, 20, -20, 0, 100, 0, 2, 0, 0, 0, grid},
      {"tapered Y, p 0", 1, 20, -20, 2, 100, 0, 4, 0, 0, 0,
       {{0, 0}, {-10, 25}, {0, 25}, {10, 25}, {-20, 50}, {0, 50}, {20, 50}, {-10, 75}, {0, 75}, {10, 75}, {0, 100}}},
      {"tapered Y, p 100", 1, 20, -20, 0, 100, 0, 2, 100, 0, 0, grid},
      {"tapered X, p 0", 2, 100, 0, 4, 20, -20, 2, 0, 0, 0,
       {{0, 0}, {25, -10}, {25, 0}, {25, 10}, {50, -20}, {50, 0}, {50, 20}, {75, -10}, {75, 0}, {75, 10}, {100, 0}}},
      {"one side, B 100", 3, 20, -20, 0, 100, 0, 2, 0, 50, 100, grid},
      {"one side, equal second limits", 3, 20, -20, 1, 7, 7, 1, 0, 50, 50, {{-20, 7}, {20, 7}, {-20, 7}, {20, 7}}},
      {"one fixed, p 250", 5, 20, -20, 1, 100, 0, 9, 250, 0, 0, {{-20, 100}, {20, 100}}},
      {"one fixed, p -5", 5, 20, -20, 1, 100, 0, 9, -5, 0, 0, {{-20, 0}, {20, 0}}},
      {"graph 6", 6, 20, -20, 1, 100, 0, 1, 0, 0, 0, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vdja_tireenv_motion_generate_driver_path(c.graph, c.fu, c.fl, c.fs, c.su, c.sl, c.ss, c.p, c.a, c.b, 0,
                                                       &record_),
              0);
    EXPECT_EQ(PathOf(record_), c.want);
  }
}

// Tapered on one side, by hand. Second driver 0 to 100 in 4 steps, A 50:
// the rectangle runs to 50 in 2 levels, then 2 rows narrow to B 50 at the
// top (75 wide at 75, 50 wide at 100). Second driver 10 to 110, A 30: A%
// (110 x 0.3 - 10) = 23, the rectangle to 33 in one level, then 4 rows at
// 52.25, 71.5, 90.75 and 110, narrowing by 12.5 of the width each.
TEST_F(TireEnvelopeInputs, TaperedOneSideByHand) {
  struct Case {
    const char* what;
    double su, sl, a;
    Path want;
  };
  const Case cases[] = {
      {"0 to 100, A 50",
       100,
       0,
       50,
       {{-20, 0}, {0, 0}, {20, 0}, {-20, 25}, {0, 25}, {20, 25}, {-20, 50}, {0, 50}, {20, 50},
        {-15, 75}, {0, 75}, {15, 75}, {-10, 100}, {10, 100}}},
      {"10 to 110, A 30",
       110,
       10,
       30,
       {{-20, 10}, {0, 10}, {20, 10}, {-20, 33}, {0, 33}, {20, 33}, {-17.5, 52.25}, {0, 52.25}, {17.5, 52.25},
        {-15, 71.5}, {0, 71.5}, {15, 71.5}, {-12.5, 90.75}, {0, 90.75}, {12.5, 90.75}, {-10, 110}, {10, 110}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(vdja_tireenv_motion_generate_driver_path(3, 20, -20, 2, c.su, c.sl, 4, 0, c.a, 50, 0, &record_), 0);
    const Path got = PathOf(record_);
    EXPECT_EQ(got.size(), c.want.size());
    for (std::size_t i = 0; i < got.size() && i < c.want.size(); ++i) {
      EXPECT_NEAR(got[i].first, c.want[i].first, 1e-9) << i;
      EXPECT_NEAR(got[i].second, c.want[i].second, 1e-9) << i;
    }
  }
}

// Tapered in Y, by hand, off the origin: first driver 10 to 50 (middle 30)
// in 2 steps, second 10 to 110 in 8 at 50 percent. The full band runs from
// 35 to 85; the taper zones get two levels each (22.5 below, 97.5 above),
// where the range is half as wide, 20 to 40, and the ends are the middle alone.
TEST_F(TireEnvelopeInputs, TaperedYOffTheOriginByHand) {
  EXPECT_EQ(vdja_tireenv_motion_generate_driver_path(1, 50, 10, 2, 110, 10, 8, 50, 0, 0, 0, &record_), 0);
  Path want = {{30, 10}};
  for (double level : {22.5, 35.0, 47.5, 60.0, 72.5, 85.0, 97.5}) {
    const bool narrow = level < 35 || level > 85;
    for (double x : narrow ? std::vector<double>{20, 30, 40} : std::vector<double>{10, 30, 50}) want.push_back({x, level});
  }
  want.push_back({30, 110});
  const Path got = PathOf(record_);
  EXPECT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < got.size() && i < want.size(); ++i) {
    EXPECT_NEAR(got[i].first, want[i].first, 1e-9) << i;
    EXPECT_NEAR(got[i].second, want[i].second, 1e-9) << i;
  }
}

TEST_F(TireEnvelopeInputs, TaperedYWithHalfTheLevelsFull) {
  vdja_tireenv_motion_generate_driver_path(1, 20, -20, 2, 100, 0, 10, 50, 0, 0, 0, &record_);
  const Path path = PathOf(record_);
  ASSERT_EQ(path.size(), 1u + 10u * 3u + 1u);  // z 5 made even, b 5: 12 levels
  EXPECT_EQ(path.front(), (std::pair<double, double>{0, 0}));
  EXPECT_EQ(path.back(), (std::pair<double, double>{0, 100}));
  EXPECT_DOUBLE_EQ(record_.limits[3], 100);
}

// Limits given as endless or as no number still make a path of the steps
// asked, nothing counted from them.
TEST_F(TireEnvelopeInputs, EndlessOrNoLimitsMakeABoundedPath) {
  const double endless = std::numeric_limits<double>::infinity(), none = std::numeric_limits<double>::quiet_NaN();
  for (int graph : {1, 2, 3, 5})
    for (double limit : {endless, -endless, none}) {
      SCOPED_TRACE("graph " + std::to_string(graph) + ", limit " + std::to_string(limit));
      EXPECT_EQ(vdja_tireenv_motion_generate_driver_path(graph, 20, -20, 2, limit, 0, 3, 50, 50, 50, 0, &record_), 0);
      EXPECT_LE(PathOf(record_).size(), 20u);  // 3 + 1 first-driver points on at most 5 levels
    }
}

// Steps are bounded before any path is made: 10,000 a driver, and 1,000,000
// for the two drivers' steps multiplied (each at least 1).
TEST_F(TireEnvelopeInputs, DriverStepsBeyondTheirBoundsMakeNoPath) {
  struct Case {
    const char* what;
    int graph, fs, ss, want;
    std::size_t points;  // of the path made
  };
  const int most = std::numeric_limits<int>::max();
  const Case cases[] = {
      {"first 10000, second 100: the product at its bound", 0, 10000, 100, 0, 10001u * 101u},
      {"first 10001", 0, 10001, 1, 3771791, 0},
      {"second at the int's most", 0, 1, most, 3771791, 0},
      {"1001 by 1000: one thousand past the product", 0, 1001, 1000, 3771792, 0},
      {"tapered Y, 1000 by 1001", 1, 1000, 1001, 3771792, 0},
      {"no first steps count as one", 0, -5, 10000, 0, 2u * 10001u},
      {"one fixed takes no second steps", 5, 10000, most, 0, 10001u},
      {"one fixed, first 10001", 5, 10001, 1, 3771791, 0},
      {"graph 6 makes nothing", 6, most, most, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // An earlier path goes in any case.
    EXPECT_EQ(vdja_tireenv_motion_generate_driver_path(0, 20, -20, 1, 100, 0, 1, 0, 0, 0, 0, &record_), 0);
    EXPECT_EQ(vdja_tireenv_motion_generate_driver_path(c.graph, 20, -20, c.fs, 100, 0, c.ss, 50, 50, 50, 0, &record_),
              c.want);
    EXPECT_EQ(static_cast<std::size_t>(record_.pointCount), c.points);
    if (c.points == 0) {
      EXPECT_EQ(record_.xValues, nullptr);
    }
  }
  record_.mode = 1;
  EXPECT_EQ(vdja_tireenv_motion_generate_fla_driver_path(0, 30, -30, 0, 10001, &record_), 3771791);
  EXPECT_EQ(record_.pointCount, 0);
  EXPECT_EQ(vdja_tireenv_motion_generate_fla_driver_path(0, 30, -30, 0, 10000, &record_), 0);
  EXPECT_EQ(record_.pointCount, 10000);
}

TEST_F(TireEnvelopeInputs, FiveLinkPaths) {
  struct Case {
    const char* what;
    std::uint8_t mode;
    int type;
    double a, b, c;
    int steps;
    std::vector<double> x, y;
  };
  const Case cases[] = {
      {"range", 1, 0, 30, -30, 0, 3, {-30, 0, 30}, {-30, 0, 30}},
      {"range, one step", 1, 0, 30, -30, 0, 1, {-30, 30}, {-30, 30}},
      {"sweep", 1, 1, 20, -10, 7, 4, {20, 10, 0, -10}, {7, 7, 7, 7}},
      {"two drivers' mode", 0, 0, 30, -30, 0, 3, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    record_.mode = c.mode;
    EXPECT_EQ(vdja_tireenv_motion_generate_fla_driver_path(c.type, c.a, c.b, c.c, c.steps, &record_), 0);
    std::vector<double> x, y;
    for (const auto& [px, py] : PathOf(record_)) {
      x.push_back(px);
      y.push_back(py);
    }
    EXPECT_EQ(x, c.x);
    EXPECT_EQ(y, c.y);
  }
}

TEST_F(TireEnvelopeInputs, PhaseOfAFiveLinkPass) {
  int phase = -7;
  const int want[3][2] = {{0, 0}, {1, 2}, {3, 4}};
  for (int option = 0; option < 3; ++option)
    for (int pass = 0; pass < 2; ++pass) {
      EXPECT_EQ(vdja_tireenv_motion_ask_driver_mode(option, pass == 1, &phase), 0);
      EXPECT_EQ(phase, want[option][pass]);
    }
  EXPECT_EQ(vdja_tireenv_motion_ask_driver_mode(3, false, &phase), 1);
  EXPECT_EQ(phase, 4);
}

}  // namespace
