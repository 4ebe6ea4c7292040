// The occupant manikin checking itself: its settings, sizes, posture limits
// and reach, its size files, and the read-back of a manikin from its rule.
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "VD_2DManikin_util.hpp"
#include "exp/Expression.hpp"
#include "script/ScriptClasses.hpp"
#include "sys/TextFile.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vd/ManikinServices.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

class Manikin : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    VD::ClearDefaultsFile();
    VD::ClearErrorDialogs();
    Error::ClearNotes();
  }
  void TearDown() override {
    if (manikin_ != nullptr) manikin_->destroy();
    for (const auto& file : files_) std::remove(file.c_str());
    VD::ClearDefaultsFile();
    EXPECT_EQ(Host::OpenTextChannels(), 0);
    HostTest::TearDown();
  }
  ManikinBuilder* Make(CM_part* model = nullptr, FEATURE_RECORD* frec = nullptr) {
    manikin_ = ManikinBuilderFactory::Create(model != nullptr ? model : modelPart(), frec);
    return manikin_;
  }
  void Set(EXP_expression* e, double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.17g", value);
    ASSERT_EQ(EXP_edit_exp(part()->OmTag(), e, text), 0);
  }
  void SetSizes(const VD_2DManikin_user_defined_manikin_size_value_t& sizes) {
    manikin_->SetStandard(UserDefined);
    manikin_->SetManikinSizeData(&sizes);
  }
  std::string Scratch(const std::string& name) {
    files_.push_back(stamvik_test::ProcessScratch().Slashed() + name);
    return files_.back();
  }
  std::string Write(const std::string& name, const std::string& text) {
    const std::string file = Scratch(name);
    std::ofstream(file) << text;
    return file;
  }
  ManikinBuilder* manikin_ = nullptr;
  std::vector<std::string> files_;
};

// A size file with every key, one value replaced by `line` (or appended).
std::string SizeFile(const std::string& replaceKey = "", const std::string& line = "") {
  const char* keys[] = {"LEG_LENGTH", "THIGH_LENGTH", "FOREARM_LENGTH", "ARM_LENGTH",
                        "TORSO_LENGTH", "HAND_LENGTH", "HAND_GRIP_LENGTH", "SHOULDER_TO_HIP_LENGTH"};
  std::string text = "UNIT: mm\nPERCENTILE: sae j826 99%\n";
  double value = 401;
  for (const char* key : keys) {
    text += replaceKey == key ? line + "\n" : std::string(key) + ": " + std::to_string(value) + "\n";
    value += 1;
  }
  return replaceKey.empty() ? text + line + "\n" : text;
}

// ---- settings and sizes ----------------------------------------------------------------

TEST_F(Manikin, SettingsByStandardAndPosition) {
  struct Row {
    int position, standard, percentile;
    bool check, report;
    int code, index;
    bool designPoint, ready;
  };
  const Row rows[] = {
      {Passenger, Saej833, J833SmallHuman5thFemale, false, false, 0, 2, false, true},
      {Driver, SAEJ826Jul1995, J826Type50thPercentile, true, false, 1, 1, true, false},
      {Driver, SAEJ826Jul1995, J826Type10thPercentile, true, false, 1, 2, false, true},
      {Driver, UserDefined, J826Type95thPercentile, false, true, 2, 0, true, false},
  };
  ManikinBuilder* m = Make();
  for (const Row& row : rows) {
    m->SetPosition(static_cast<JA_MANIKIN_BUILDER_PositionType>(row.position));
    m->SetStandard(static_cast<JA_MANIKIN_BUILDER_StandardType>(row.standard));
    m->SetSAEPercentile(static_cast<JA_MANIKIN_BUILDER_SAEPercentileType>(row.percentile));
    m->SetDrivingPostureCheck(row.check);
    m->SetJointAngleReport(row.report);
    VD_2DManikin_vehicle_settings_t s{};
    m->GetVehicleManikinSettings(&s);
    EXPECT_EQ(s.standardCode, row.code) << row.standard;
    EXPECT_EQ(s.percentileIndex, row.index) << row.standard;
    EXPECT_EQ(s.driverDesignPoint, row.designPoint) << row.standard;
    EXPECT_EQ(m->GetOutputOptionsReadyForApply(), row.ready) << row.standard;
  }
  // The defaults file can forbid out-of-range values whatever the builder says.
  m->SetAllowPostureValueOutOfRange(true);
  VD_2DManikin_vehicle_settings_t s{};
  VD::SetDefaultsFileValue("VD_ALLOW_NON_STANDARD_INPUT", "0");
  m->GetVehicleManikinSettings(&s);
  EXPECT_FALSE(s.allowOutOfRange);
  VD::SetDefaultsFileValue("VD_ALLOW_NON_STANDARD_INPUT", "1");
  m->GetVehicleManikinSettings(&s);
  EXPECT_TRUE(s.allowOutOfRange);
}

TEST_F(Manikin, SizeArraysFromTheTableAndTheExpressions) {
  ManikinBuilder* m = Make();
  double a[8] = {0, 0, 0, 0, 0, 0, 0, 5};
  m->GetManikinSizeArrayData(0, 1, a);
  const double want[8] = {417.5, 431.5, 244, 275, 563, 442, 110, 5};
  for (int i = 0; i < 8; ++i) EXPECT_DOUBLE_EQ(a[i], want[i]) << i;
  for (auto [standard, index] : {std::pair{1, 3}, std::pair{2 + 1, 0}, std::pair{0, -1}}) {
    double untouched[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    m->GetManikinSizeArrayData(standard, index, untouched);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(untouched[i], i + 1) << standard << "/" << index;
  }
  // Array order in, record order out, and back in array order.
  double sizes[8] = {410, 400, 250, 300, 500, 450, 100, 180};
  m->SetManikinSizeArrayData(sizes);
  m->SetStandard(UserDefined);
  VD_2DManikin_user_defined_manikin_size_value_t r{};
  m->GetManikinSizeData(&r);
  EXPECT_EQ(r.thigh, 400);
  EXPECT_EQ(r.leg, 410);
  EXPECT_EQ(r.arm, 300);
  EXPECT_EQ(r.forearm, 250);
  EXPECT_EQ(r.hand, 180);
  EXPECT_EQ(r.handGrip, 100);
  double back[8] = {};
  m->GetManikinSizeArrayData(UserDefined, 0, back);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(back[i], sizes[i]) << i;
}

// A length at or below 0 (within 1e-10 of it) gives no manikin.
TEST_F(Manikin, UserSizesBelowZeroFailInRecordOrder) {
  ManikinBuilder* m = Make();
  SetSizes({400, 410, 300, 250, 500, 450, 180, 100});
  EXPECT_EQ(m->ValidateUserDefinedManikinSizeDimensions(), 0);
  struct Row {
    const char* what;
    EXP_expression* (*length)(ManikinBuilder*);
    double value;
    int want;
  };
  const Row rows[] = {
      {"hand grip 1e-10", [](ManikinBuilder* b) { return b->GetHandGripLength(); }, 1e-10, 0},
      {"hand grip a hair below", [](ManikinBuilder* b) { return b->GetHandGripLength(); }, 0.99e-10, 3770408},
      {"hand grip 0", [](ManikinBuilder* b) { return b->GetHandGripLength(); }, 0, 3770408},
      {"hand grip -1e-11", [](ManikinBuilder* b) { return b->GetHandGripLength(); }, -1e-11, 3770408},
      {"hand grip -0.5", [](ManikinBuilder* b) { return b->GetHandGripLength(); }, -0.5, 3770408},
      {"thigh 0", [](ManikinBuilder* b) { return b->GetThighLength(); }, 0, 3770401},
      {"leg -436.82", [](ManikinBuilder* b) { return b->GetLegLength(); }, -436.82, 3770402},
      {"torso 0", [](ManikinBuilder* b) { return b->GetTorsoLength(); }, 0, 3770405},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SetSizes({400, 410, 300, 250, 500, 450, 180, 100});
    Set(row.length(m), row.value);
    EXPECT_EQ(m->ValidateUserDefinedManikinSizeDimensions(), row.want);
  }
  // The first in record order: the leg before the hand grip.
  Set(m->GetLegLength(), -0.5);
  EXPECT_EQ(m->ValidateUserDefinedManikinSizeDimensions(), 3770402);
  EXPECT_EQ(m->validate_nothrow(), 3770402);
  m->SetStandard(SAEJ826Jul1995);
  EXPECT_EQ(m->ValidateUserDefinedManikinSizeDimensions(), 0);
}

// ---- posture ----------------------------------------------------------------------------

struct Posture {
  double sgRP[3], aHP[2], back, pedal, swc[2], wheelDiameter, wheelAngle;
};

class ManikinPosture : public Manikin {
 protected:
  // A reach check's row: the dimension validated, the point moved along x
  // (the wheel centre for an arm, the hip for a leg), the check's code.
  struct ReachRow {
    const char* what;
    int dimension;
    double x;
    int code;
  };
  void Pose(const Posture& p) {
    Set(manikin_->GetSgRPLength(), p.sgRP[0]);
    Set(manikin_->GetSgRPWidth(), p.sgRP[1]);
    Set(manikin_->GetSgRPHeight(), p.sgRP[2]);
    Set(manikin_->GetAHPLength(), p.aHP[0]);
    Set(manikin_->GetAHPHeight(), p.aHP[1]);
    Set(manikin_->GetBackAngle(), p.back);
    Set(manikin_->GetPedalPlaneAngle(), p.pedal);
    Set(manikin_->GetAHPToSWCLength(), p.swc[0]);
    Set(manikin_->GetAHPToSWCHeight(), p.swc[1]);
    Set(manikin_->GetWheelDiameter(), p.wheelDiameter);
    Set(manikin_->GetWheelAngle(), p.wheelAngle);
  }
  int Check(int dimension, char** message = nullptr) {
    VD_2DManikin_vehicle_settings_t s{};
    manikin_->GetVehicleManikinSettings(&s);
    double sizes[8] = {};
    manikin_->GetManikinSizeArrayData(s.standard, s.percentileIndex, sizes);
    return manikin_->PostureValidateDimension(&s, sizes, static_cast<VD_2DManikin_Posture_Dimension_Position_t>(dimension),
                                              message);
  }
};

// A class-A driver who reaches pedal and wheel.
constexpr Posture kDriver{{600, 0, 500}, {0, 250}, 25, 45, {500, 500}, 400, 20};

TEST_F(ManikinPosture, DriverDimensionLimits) {
  struct Row {
    int classification;
    bool allowed;
    int dimension;
    double value;  // put in the dimension's own expression
    int code;
  };
  const Row rows[] = {
      {ClassA, false, 11, 450.4, 0},        {ClassA, false, 11, 450.6, 3770414},
      {ClassA, true, 11, 450.6, 3770415},   {ClassA, false, 11, 0, 0},
      {ClassA, true, 11, 0, 3770413},       {ClassB, false, 11, 449.6, 0},
      {ClassB, false, 11, 449.4, 3770414},  {ClassA, false, 3, 250 + 126.6, 0},
      {ClassA, false, 3, 250 + 126.4, 3770420}, {ClassA, true, 3, 250 + 126.4, 3770421},
      {ClassA, false, 3, 250 + 405.4, 0},   {ClassA, false, 3, 250 + 405.6, 3770420},
      {ClassA, true, 3, 250 - 1, 3770417},  {ClassA, false, 4, 40.09, 0},
      {ClassA, false, 4, 40.2, 3770409},    {ClassA, true, 4, 40.2, 3770410},
      {ClassA, true, 4, 95, 3770409},       {ClassA, false, 7, 90.0000000002, 3770411},
      {ClassA, false, 10, -0.01, 3770412},  {ClassA, false, 8, 0, 3770422},
      {ClassA, false, 1, -1, 3770416},      {ClassA, false, 5, 0, 0},
      // Each limit at its tolerance and one step past.
      {ClassA, false, 4, 4.91, 0},          {ClassA, false, 4, 4.89, 3770409},
      {ClassB, false, 4, 10.91, 0},         {ClassB, false, 4, 10.89, 3770409},
      {ClassB, false, 4, 18.09, 0},         {ClassB, false, 4, 18.11, 3770409},
      {ClassA, false, 7, 90, 0},            {ClassA, false, 7, -0.01, 3770411},
      {ClassA, false, 10, 90, 0},           {ClassA, false, 10, 90.0000000002, 3770412},
      {ClassA, false, 9, 0, 3770423},       {ClassB, false, 11, 560.4, 0},
      {ClassB, false, 11, 560.6, 3770414},
      // The heel may come up to the hip's length, not past it.
      {ClassA, false, 5, 600, 0},           {ClassA, false, 5, 600.001, 3770418},
      // H30 through the heel's height (the hip at 500).
      {ClassA, false, 6, 500 - 126.6, 0},   {ClassA, false, 6, 500 - 126.4, 3770420},
      {ClassA, true, 6, 500 - 126.4, 3770421}, {ClassA, false, 6, 500 - 405.4, 0},
      {ClassA, false, 6, 500 - 405.6, 3770420}, {ClassA, true, 6, 500, 3770419},
      {ClassA, false, 6, 500, 3770420},     {ClassB, false, 6, 500 - 530.4, 0},
      {ClassB, false, 6, 500 - 530.6, 3770420}, {ClassB, false, 6, 500 - 404.6, 0},
      {ClassB, false, 6, 500 - 404.4, 3770420},
      // The fixed angle ranges start a hair below 0.
      {ClassA, false, 7, -5e-11, 0},        {ClassA, false, 10, -5e-11, 0},
  };
  ManikinBuilder* m = Make();
  for (const Row& row : rows) {
    Pose(kDriver);
    m->SetClassification(static_cast<JA_MANIKIN_BUILDER_ClassificationType>(row.classification));
    m->SetAllowPostureValueOutOfRange(row.allowed);
    EXP_expression* target[] = {nullptr, m->GetSgRPLength(), nullptr, m->GetSgRPHeight(), m->GetBackAngle(),
                                m->GetAHPLength(), m->GetAHPHeight(), m->GetPedalPlaneAngle(), m->GetAHPToSWCLength(),
                                m->GetAHPToSWCHeight(), m->GetWheelAngle(), m->GetWheelDiameter()};
    if (row.dimension == 1) {
      Set(m->GetAHPLength(), 601);
    } else {
      Set(target[row.dimension], row.value);
    }
    EXPECT_EQ(Check(row.dimension), row.code) << "dimension " << row.dimension << " value " << row.value;
  }
  Pose(kDriver);
  m->SetClassification(ClassA);
  m->SetAllowPostureValueOutOfRange(false);
  for (int d = 0; d <= 12; ++d) EXPECT_EQ(Check(d), 0) << d;
}

// Every text of the message table that takes values is printed with them:
// the check's message has them filled in, and a refusal of the host's commit
// hands the filled text to the host, which prints it for the number (a text
// never refused prints "?" for its values, never a bare conversion). A text
// taking values that no row here triggers fails the walk.
TEST_F(ManikinPosture, EveryTextTakingValuesIsPrintedWithThem) {
  struct Row {
    int number;
    int classification;
    bool allowed;
    int dimension;
    double value;  // put in the dimension's own expression; the AHP length for dimension 1
    const char* text;
    int commit;  // the host's commit: refused with this number, 0 taken
  };
  const Row rows[] = {
      {3770409, ClassA, false, 4, 40.2, "The back angle must lie between 5.0 and 40.0 degrees.", 3770409},
      {3770410, ClassA, true, 4, 40.2,
       "The back angle lies outside 5.0 to 40.0 degrees; out-of-range values are allowed.", 0},
      {3770413, ClassA, true, 11, 0, "The steering wheel diameter must be above 0.0 mm.", 3770413},
      {3770414, ClassA, false, 11, 450.6, "The steering wheel diameter must lie between 0.0 and 450.0 mm.", 3770414},
      {3770415, ClassA, true, 11, 450.6,
       "The steering wheel diameter lies outside 0.0 to 450.0 mm; out-of-range values are allowed.", 0},
      {3770416, ClassA, false, 1, 601, "The SgRP length must not lie before the AHP length 601.00.", 3770416},
      {3770417, ClassA, true, 3, 249, "The SgRP height must lie above the AHP height 250.00.", 3770417},
      {3770418, ClassA, false, 5, 600.001, "The AHP length must not lie behind the SgRP length 600.00.",
       3770416},  // the hip's length is checked first,
      {3770419, ClassA, true, 6, 500, "The AHP height must lie below the SgRP height 500.00.", 3770417},  // the hip's height first,
      // H30 126.4 with the hip at 376.4: the heel from 376.4 - 405 to 376.4 - 127.
      {3770420, ClassA, false, 3, 376.4,
       "The AHP height must lie between -28.60 and 249.40 mm (H30 from 127.00 to 405.00 mm).", 3770420},
      {3770421, ClassA, true, 3, 376.4,
       "The AHP height lies outside -28.60 to 249.40 mm (H30 from 127.00 to 405.00 mm); out-of-range values are "
       "allowed.",
       0},
  };
  std::set<int> covered;
  ManikinBuilder* m = Make();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.number);
    covered.insert(row.number);
    Error::ClearSevereErrors();
    EXPECT_EQ(Error::Describe(row.number).find('%'), std::string::npos) << Error::Describe(row.number);
    Pose(kDriver);
    m->SetClassification(static_cast<JA_MANIKIN_BUILDER_ClassificationType>(row.classification));
    m->SetAllowPostureValueOutOfRange(row.allowed);
    EXP_expression* target[] = {m->GetAHPLength(),      m->GetAHPLength(),      nullptr,
                                m->GetSgRPHeight(),     m->GetBackAngle(),      m->GetAHPLength(),
                                m->GetAHPHeight(),      m->GetPedalPlaneAngle(), m->GetAHPToSWCLength(),
                                m->GetAHPToSWCHeight(), m->GetWheelAngle(),     m->GetWheelDiameter()};
    Set(target[row.dimension], row.value);
    char* message = nullptr;
    EXPECT_EQ(Check(row.dimension, &message), row.number);
    EXPECT_STREQ(message, row.text);
    SM_free(message);
    tag_t object = 0;
    const int status = Script::Builder_Commit(m, &object);
    EXPECT_EQ(status, row.commit);
    const std::string printed = Error::Describe(status);
    EXPECT_FALSE(Error::TakesValues(printed.c_str())) << printed;
    if (status == row.number) {
      EXPECT_EQ(printed, std::to_string(row.number) + " (" + row.text + ")");
    }
  }
  for (int number : Error::MessageNumbers()) {
    if (!Error::TakesValues(Error::MessageText(number))) continue;
    EXPECT_EQ(covered.count(number), 1u) << number << " takes values that no row fills in";
  }
}

// A passenger's H30 runs from 0 (no tolerance below) to thigh + leg + 107
// (here 450 + 400 + 107 = 957, half a millimetre above); the class does not
// matter. Past 957.5 the range check refuses; inside it the hip is then out
// of the legs' reach (3770424), which is how the two are told apart.
TEST_F(ManikinPosture, APassengersHeightAndBackAngleRunFromZeroToTheirLimits) {
  struct Row {
    int classification;
    double h30;
    int code;
  };
  const Row rows[] = {
      {ClassA, 957.4, 3770424}, {ClassA, 957.6, 3770420}, {ClassB, 957.4, 3770424}, {ClassB, 957.6, 3770420},
      {ClassB, -5e-11, 0},      {ClassB, -0.01, 3770420}, {ClassA, 0, 0},
  };
  ManikinBuilder* m = Make();
  m->SetPosition(Passenger);
  SetSizes({450, 400, 300, 250, 500, 450, 180, 100});
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "class " << row.classification << " H30 " << row.h30);
    Pose({{600, 0, row.h30}, {0, 0}, 20, 45, {0, 0}, 0, 0});
    m->SetClassification(static_cast<JA_MANIKIN_BUILDER_ClassificationType>(row.classification));
    EXPECT_EQ(Check(3), row.code);
  }
  // The back angle of a passenger: 0 with no tolerance below, 25 with 0.1 above.
  const std::pair<double, int> backs[] = {{0, 0}, {-5e-11, 0}, {-0.01, 3770409}, {25.05, 0}, {25.09, 0}, {25.11, 3770409}};
  for (const auto& [back, code] : backs) {
    SCOPED_TRACE(testing::Message() << "back " << back);
    Pose({{600, 0, 300}, {0, 0}, back, 45, {0, 0}, 0, 0});
    EXPECT_EQ(Check(4), code);
  }
}

TEST_F(ManikinPosture, PassengerAllowedDeviationDoesNotHideALaterFailure) {
  ManikinBuilder* m = Make();
  m->SetPosition(Passenger);
  m->SetAllowPostureValueOutOfRange(true);
  VD::SetDefaultsFileValue("VD_ALLOW_NON_STANDARD_INPUT", "1");
  Pose({{700, 0, 400}, {0, 0}, 25.2, 95, {0, 0}, 0, 0});
  char* text = nullptr;
  EXPECT_EQ(Check(4, &text), 3770410);
  EXPECT_STREQ(text, "The back angle lies outside 0.0 to 25.0 degrees; out-of-range values are allowed.");
  SM_free(text);
  EXPECT_EQ(Check(7), 3770411);
  // A passenger is never checked for the steering wheel.
  for (int d = 8; d <= 11; ++d) EXPECT_EQ(Check(d), 0) << d;
  text = nullptr;
  EXPECT_EQ(m->PostureValidateAllDimensions(&text), 3770411);
  EXPECT_STREQ(text, "The pedal plane angle must lie between 0 and 90 degrees.");
  SM_free(text);
  EXPECT_EQ(m->validate_nothrow(), 3770411);
  Set(m->GetPedalPlaneAngle(), 45);
  EXPECT_EQ(m->PostureValidateAllDimensions(nullptr), 3770410);
  EXPECT_EQ(m->validate_nothrow(), 0);
  // Back angle 0 is the passenger's lower limit exactly.
  Set(m->GetBackAngle(), 0);
  EXPECT_EQ(Check(4), 0);
  Set(m->GetBackAngle(), -0.01);
  EXPECT_EQ(Check(4), 3770409);
}

// A class-A driver with one value outside its class's range: allowed, the
// check reports the allowed variant and validation lets the manikin build;
// not allowed, validation refuses it with the plain number.
TEST_F(ManikinPosture, AnAllowedDeviationBuildsAndIsStillReported) {
  struct Row {
    const char* what;
    int dimension;
    double value;
    int allowedCode, refusedCode;
  };
  const Row rows[] = {
      {"H30 below the class's minimum", 3, 250 + 126.4, 3770421, 3770420},
      {"back angle above the class's maximum", 4, 40.2, 3770410, 3770409},
      {"wheel diameter above the class's maximum", 11, 450.6, 3770415, 3770414},
  };
  ManikinBuilder* m = Make();
  m->SetClassification(ClassA);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Pose(kDriver);
    EXP_expression* target = row.dimension == 3   ? m->GetSgRPHeight()
                             : row.dimension == 4 ? m->GetBackAngle()
                                                  : m->GetWheelDiameter();
    Set(target, row.value);
    m->SetAllowPostureValueOutOfRange(true);
    EXPECT_EQ(m->PostureValidateAllDimensions(nullptr), row.allowedCode);
    EXPECT_EQ(m->validate_nothrow(), 0);
    m->SetAllowPostureValueOutOfRange(false);
    EXPECT_EQ(m->validate_nothrow(), row.refusedCode);
  }
}

TEST_F(ManikinPosture, ReachOfLegsAndArms) {
  ManikinBuilder* m = Make();
  Pose(kDriver);
  EXPECT_EQ(m->validate_nothrow(), 0);
  Set(m->GetSgRPLength(), 2000);  // the hip far beyond leg and thigh
  EXPECT_EQ(Check(1), 3770424);
  Pose(kDriver);
  Set(m->GetAHPToSWCLength(), 3000);  // the wheel far beyond the arms
  EXPECT_EQ(Check(8), 3770425);
  EXPECT_EQ(Check(7), 0);  // the pedal angle is no arm dimension
  const double hip[2] = {0, 0}, far[2] = {3000, 0}, lengths[3] = {300, 267, 124};
  EXPECT_FALSE(VD_2DManikin_check_arm_reach(hip, far, 25, lengths, 480));
}

// The shoulder leans back from the hip (100, 50) by the back angle 30 over
// 400: sin 30 along X, cos 30 along Z, (300, 396.4101615) by hand. The arm
// reaches between |arm - f| and arm + f, f the forearm and hand at 170
// degrees: grip 205 leaves the forearm alone; forearm 267 and grip 124 give
// sqrt(267^2 + 81^2 + 2 267 81 cos 10) = 347.0545700.
TEST_F(ManikinPosture, TheArmReachesFromTheLeaningShoulderBetweenItsLimits) {
  struct Row {
    const char* what;
    double forearm, grip, x, z;
    bool reached;
  };
  const Row rows[] = {
      {"550 behind, 600 of reach", 300, 205, 850, 396.4101615, true},
      {"610 behind, 600 of reach", 300, 205, 910, 396.4101615, false},
      {"550 above", 300, 205, 300, 946.4101615, true},
      {"610 above", 300, 205, 300, 1006.4101615, false},
      {"just inside 200, the least reach", 100, 205, 499.999, 396.4101615, false},
      {"just past 200", 100, 205, 500.001, 396.4101615, true},
      {"just inside 400", 100, 205, 699.999, 396.4101615, true},
      {"just past 400", 100, 205, 700.001, 396.4101615, false},
      {"just inside 647.05457", 267, 124, 947.0545, 396.4101615, true},
      {"just past 647.05457", 267, 124, 947.0546, 396.4101615, false},
  };
  const double hip[2] = {100, 50};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double wheel[2] = {row.x, row.z}, lengths[3] = {300, row.forearm, row.grip};
    EXPECT_EQ(VD_2DManikin_check_arm_reach(hip, wheel, 30, lengths, 400), row.reached);
  }
}

// The ankle sits 81 back and 107 up from the heel (10, 20), turned by the
// pedal angle: at 0 degrees (-71, 127), at 90 degrees (117, 101) by hand. Leg
// 400 and thigh 450 reach from the ankle between 50 and 850.
TEST_F(ManikinPosture, TheLegReachesFromTheAnkleTurnedByThePedalAngle) {
  struct Row {
    const char* what;
    double pedal, x, z;
    bool reached;
  };
  const Row rows[] = {
      {"level pedal, 849.9 ahead", 0, 778.9, 127, true},
      {"level pedal, 850.1 ahead", 0, 779.1, 127, false},
      {"level pedal, 50.1 ahead", 0, -20.9, 127, true},
      {"level pedal, 49.9 ahead", 0, -21.1, 127, false},
      {"upright pedal, 849.9 ahead", 90, 966.9, 101, true},
      {"upright pedal, 850.1 ahead", 90, 967.1, 101, false},
      {"upright pedal, 849.9 above", 90, 117, 950.9, true},
  };
  const double heel[2] = {10, 20}, lengths[2] = {400, 450};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double hip[2] = {row.x, row.z};
    EXPECT_EQ(VD_2DManikin_check_leg_positions(heel, hip, row.pedal, lengths), row.reached);
  }
}

// The builder hands the arm check its own points and sizes: the hip (600,
// 500), the wheel centre at the heel (0, 250) plus the wheel's offsets, the
// back angle 25, and the arm 300, forearm 200 and grip 100 with a shoulder
// 480 above the hip. By hand: the shoulder at (802.8567656, 935.0277378),
// the forearm and hand 303.9521765 long, so the wheel is reached from
// 3.9521765 to 603.9521765 away, level with the shoulder. An arm and forearm
// taken for each other would reach from 203.8 only and to 603.8; the hand
// length (180) taken for the grip would reach 524.7 only; a back angle of
// the wrong sign would put the shoulder at 397.1.
TEST_F(ManikinPosture, TheBuilderHandsTheArmCheckItsOwnPointsAndSizes) {
  const ReachRow rows[] = {
      {"just inside the reach", 8, 1406.7989422, 0},
      {"just past the reach", 8, 1406.8189422, 3770425},
      {"just outside the least reach", 8, 806.8189422, 0},
      {"just inside the least reach", 8, 806.7989422, 3770425},
      {"100 ahead of the shoulder", 8, 902.8567656, 0},
      {"just inside the reach, by the wheel's height", 9, 1406.7989422, 0},
      {"just past the reach, by the wheel's height", 9, 1406.8189422, 3770425},
      {"just past the reach, by the back angle", 4, 1406.8189422, 3770425},
      {"just past the reach, the SgRP width is no arm dimension", 2, 1406.8189422, 0},
      {"just past the reach, the pedal is no arm dimension", 7, 1406.8189422, 0},
  };
  ManikinBuilder* m = Make();
  SetSizes({450, 400, 300, 200, 500, 480, 180, 100});
  m->SetClassification(ClassA);
  for (const ReachRow& row : rows) {
    SCOPED_TRACE(row.what);
    Pose({{600, 0, 500}, {0, 250}, 25, 45, {row.x, 685.0277378}, 400, 20});
    EXPECT_EQ(Check(row.dimension), row.code);
  }
}

// The builder hands the leg check the heel (100, 250), the hip and the pedal
// angle 30: by hand the ankle lies at (83.3519423, 383.1647182), and leg 400
// and thigh 450 reach from 50 to 850 away from it. A heel and hip taken for
// each other, or the pedal turned the other way (ankle at (-23.6, 302.2)),
// move both limits. A passenger, so that no arm is checked after the legs.
TEST_F(ManikinPosture, TheBuilderHandsTheLegCheckItsOwnPointsAndAngle) {
  const ReachRow rows[] = {
      {"just inside the reach", 1, 933.3419423, 0},
      {"just past the reach", 1, 933.3619423, 3770424},
      {"just outside the least reach", 1, 133.3619423, 0},
      {"just inside the least reach", 1, 133.3419423, 3770424},
      {"just past the reach, by the pedal angle", 7, 933.3619423, 3770424},
      {"just inside the reach, by the heel's length", 5, 933.3419423, 0},
      {"just past the reach, by the heel's length", 5, 933.3619423, 3770424},
      {"just past the reach, the back angle is no leg dimension", 4, 933.3619423, 0},
  };
  ManikinBuilder* m = Make();
  m->SetPosition(Passenger);
  SetSizes({450, 400, 300, 200, 500, 480, 180, 100});
  for (const ReachRow& row : rows) {
    SCOPED_TRACE(row.what);
    Pose({{row.x, 0, 383.1647182}, {100, 250}, 20, 30, {0, 0}, 0, 0});
    EXPECT_EQ(Check(row.dimension), row.code);
  }
}

TEST_F(ManikinPosture, PercentileOfAnotherStandardIsRefused) {
  ManikinBuilder* m = Make();
  Pose(kDriver);
  m->SetStandard(Saej833);
  m->SetSAEPercentile(J826Type95thPercentile);
  EXPECT_EQ(m->validate_nothrow(), kManikinPercentileNotOfStandard);
  m->SetSAEPercentile(J833LargeHuman95thMale);
  EXPECT_EQ(m->validate_nothrow(), 0);
  m->SetStandard(SAEJ826Jul1995);
  EXPECT_EQ(m->validate_nothrow(), kManikinPercentileNotOfStandard);
}

// ---- size files ---------------------------------------------------------------------------

TEST_F(Manikin, SavedInInchesOpensInMillimetres) {
  PART_part* inch = PART_part::Create(1);
  PART_set_work_part(inch);
  ManikinBuilder* m = Make(inch->ModelPart());
  SetSizes({16, 17, 12, 10, 20, 18, 7, 4});
  m->SetCurrentManikinSize(UString("Tall"));
  const std::string file = Scratch("inch.hsd");
  EXPECT_EQ(m->SaveToFile(file.c_str()), 0);
  const auto lines = stamvik_test::FileLines(file);
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_EQ(lines[0], "! This is a human size definition file");
  EXPECT_EQ(lines[1], " ");
  EXPECT_EQ(lines[2], "! must be mm or inch");
  EXPECT_EQ(lines[3], "UNIT:   inch");
  EXPECT_EQ(lines[6], "PERCENTILE:   Tall");
  // Every length at its own line, each after its comment and before a separator.
  const struct {
    int line;
    const char *comment, *text;
  } written[] = {
      {9, "!must be number", "THIGH_LENGTH:   16.00"},
      {12, "!must be number", "LEG_LENGTH:   17.00"},
      {15, "!must be number", "ARM_LENGTH:   12.00"},
      {18, "!must be number", "FOREARM_LENGTH:   10.00"},
      {21, "!must be number(calculated)", "TORSO_LENGTH:   20.00"},
      {24, "!must be number(calculated)", "SHOULDER_TO_HIP_LENGTH:   18.00"},
      {27, "!must be number", "HAND_LENGTH:   7.00"},
      {30, "!must be number", "HAND_GRIP_LENGTH:   4.00"},
  };
  for (const auto& w : written) {
    EXPECT_EQ(lines[w.line - 1], w.comment) << w.line;
    EXPECT_EQ(lines[w.line], w.text) << w.line;
    EXPECT_EQ(lines[w.line + 1], " ") << w.line;
  }
  EXPECT_EQ(lines[5], "!could be any string");
  // A negative size writes nothing.
  Set(m->GetThighLength(), -0.5);
  const std::string refused = Scratch("refused.hsd");
  EXPECT_EQ(m->SaveToFile(refused.c_str()), 3770401);
  EXPECT_NE(CFI_ask_file_exist(refused.c_str()), 0);
  m->destroy();
  manikin_ = nullptr;
  inch->destroy();
  PART_set_work_part(part());

  ManikinBuilder* mm = Make();
  mm->SetStandard(UserDefined);
  EXPECT_EQ(mm->OpenFromFile(file.c_str()), 0);
  VD_2DManikin_user_defined_manikin_size_value_t r{};
  mm->GetManikinSizeData(&r);
  EXPECT_DOUBLE_EQ(r.thigh, 16 * 25.4);
  EXPECT_DOUBLE_EQ(r.leg, 17 * 25.4);
  EXPECT_DOUBLE_EQ(r.arm, 12 * 25.4);
  EXPECT_DOUBLE_EQ(r.forearm, 10 * 25.4);
  EXPECT_DOUBLE_EQ(r.torso, 20 * 25.4);
  EXPECT_DOUBLE_EQ(r.shoulderToHip, 18 * 25.4);
  EXPECT_DOUBLE_EQ(r.hand, 7 * 25.4);
  EXPECT_DOUBLE_EQ(r.handGrip, 4 * 25.4);
  EXPECT_EQ(mm->GetCurrentManikinSize().utf8(), "TALL");
  EXPECT_TRUE(VD::ErrorDialogs().empty());
}

TEST_F(Manikin, AManikinWithNoSizeNameOpensTheFileItSavedAgain) {
  ManikinBuilder* m = Make();
  m->SetStandard(UserDefined);
  SetSizes({16, 17, 12, 10, 20, 18, 7, 4});
  const std::string file = Scratch("nameless.hsd");
  ASSERT_EQ(m->SaveToFile(file.c_str()), 0);
  EXPECT_EQ(stamvik_test::FileLines(file)[6], "PERCENTILE:   ");
  SetSizes({1, 1, 1, 1, 1, 1, 1, 1});
  m->SetCurrentManikinSize(UString("Tall"));
  EXPECT_EQ(m->OpenFromFile(file.c_str()), 0);
  VD_2DManikin_user_defined_manikin_size_value_t r{};
  m->GetManikinSizeData(&r);
  EXPECT_EQ(r.thigh, 16);
  EXPECT_EQ(r.handGrip, 4);
  EXPECT_EQ(m->GetCurrentManikinSize().utf8(), "");
  EXPECT_TRUE(VD::ErrorDialogs().empty());
  // A bare line is passed over when a later one names the size.
  std::string named = SizeFile();
  named.replace(named.find("PERCENTILE"), 0, "PERCENTILE:\n");
  EXPECT_EQ(m->OpenFromFile(Write("named.hsd", named).c_str()), 0);
  EXPECT_EQ(m->GetCurrentManikinSize().utf8(), "SAE J826 99%");
}

TEST_F(Manikin, ASaveThatCannotBeWrittenShowsTheWritersDialogAndSaysSo) {
  ManikinBuilder* m = Make();
  SetSizes({16, 17, 12, 10, 20, 18, 7, 4});
  const std::string folder = Scratch("save_folder");
  std::filesystem::create_directories(folder);
  struct Row {
    const char* what;
    std::string name;  // saved to (".hsd" added)
  };
  std::vector<Row> rows = {
      // The file is written beside it, and the rename onto a folder fails.
      {"a folder in the way", folder + "/dir"},
      // The file cannot even be made.
      {"no such folder", folder + "/missing/sizes"},
  };
  // Another user's link, in a folder all may write, to a private size file
  // of the user's (the suite runs as root: uid 65534 is another user).
  const std::string shared = Scratch("shared"), mine = Write("mine.hsd", SizeFile());
  if (::geteuid() == 0) {
    rows.push_back({"another user's link in a shared folder", shared + "/theirs"});
    stamvik_test::OpenChild(stamvik_test::ProcessScratch().Path(), "shared", 0777);
    ::chmod(mine.c_str(), 0400);
    ::symlink(mine.c_str(), (shared + "/theirs.hsd").c_str());
    ::lchown((shared + "/theirs.hsd").c_str(), 65534, 65534);
  } else {
    stamvik_test::SkipRow("another user's link in a shared folder", stamvik_test::NeedsRoot("gives a link to another user"));
  }
  std::filesystem::create_directories(folder + "/dir.hsd/inside");
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    VD::ClearErrorDialogs();
    EXPECT_EQ(m->SaveToFile(row.name.c_str()), Messages::kManikinSizeFileNotWritten);
    ASSERT_EQ(VD::ErrorDialogs().size(), 1u);
    EXPECT_EQ(VD::ErrorDialogs()[0].title, "Input Validation");
    EXPECT_EQ(VD::ErrorDialogs()[0].lines, (std::vector<std::string>{"Error existing in accessing the file.",
                                                                     "Attribute of the file may be read only."}));
  }
  // Nothing was left beside the folder in the way, which is as it was.
  std::vector<std::string> left;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"dir.hsd"});
  EXPECT_TRUE(std::filesystem::is_directory(folder + "/dir.hsd/inside"));
  std::filesystem::remove_all(folder);
  if (::geteuid() == 0) {
    // The private file is as it was, and it is not read back through the link either.
    struct stat info {};
    ASSERT_EQ(::stat(mine.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0400u) << std::oct << (info.st_mode & 07777);
    EXPECT_EQ(stamvik_test::FileLines(mine)[1], "PERCENTILE: sae j826 99%");
    Error::ClearNotes();
    EXPECT_EQ(m->OpenFromFile((shared + "/theirs.hsd").c_str()), 3770426);
    EXPECT_EQ(Error::Notes().back(), shared + "/theirs.hsd: is a symbolic link owned by nobody (uid 65534) in a "
                                              "folder other users may write, which is not followed");
    VD_2DManikin_user_defined_manikin_size_value_t r{};
    m->GetManikinSizeData(&r);
    EXPECT_EQ(r.thigh, 16);
    std::filesystem::remove_all(shared);
  }
  VD::ClearErrorDialogs();
}

TEST_F(Manikin, KeysAreReadWhateverTheirCaseAndSeparator) {
  const std::string file = Write("keys.txt", "!LEG_LENGTH: 1\n# ARM_LENGTH: 2\n  leg_length = 400  \n" +
                                                 std::string(3000, 'x') + "\nLEG_LENGTH: 7\nARM_LENGTH:\n"
                                                 "FOREARM_LENGTH:   \nunit: Inch\n");
  std::FILE* f = std::fopen(file.c_str(), "r");
  ASSERT_NE(f, nullptr);
  double value = 0;
  int line = 0;
  EXPECT_TRUE(VD_2DManikin_read_value_of_key(f, "LEG_LENGTH", &value, nullptr, &line));
  EXPECT_EQ(value, 400);
  EXPECT_EQ(line, 3);
  EXPECT_FALSE(VD_2DManikin_read_value_of_key(f, "ARM_LENGTH", &value, nullptr));
  EXPECT_FALSE(VD_2DManikin_read_value_of_key(f, "FOREARM_LENGTH", &value, nullptr));
  EXPECT_FALSE(VD_2DManikin_read_value_of_key(f, std::string(1500, 'x').c_str(), &value, nullptr));
  char* text = nullptr;
  EXPECT_TRUE(VD_2DManikin_read_value_of_key(f, "unit ", nullptr, &text));
  EXPECT_STREQ(text, "INCH");
  SM_free(text);
  std::fclose(f);
}

// A size file's lines are taken whole: the tail of a long line is never a
// key of its own. A file past a megabyte is refused with nothing taken.
TEST_F(Manikin, SizeFileLinesAreTakenWhole) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  const std::string body = SizeFile();  // ARM_LENGTH 404
  const auto padded = [&](std::size_t size) {
    return "#" + std::string(size - body.size() - 2, '-') + "\n" + body;
  };
  struct Row {
    std::string name, text;
    int refusal;
    double arm;
  };
  const Row rows[] = {
      {"tail", std::string(1023, 'x') + "ARM_LENGTH: 7\n" + body, 0, 404},
      {"comment", "#" + std::string(1022, '-') + "ARM_LENGTH: 7\n" + body, 0, 404},
      {"longer", "#" + std::string(5000, '-') + "ARM_LENGTH: 7\n" + body, 0, 404},
      {"atmib", padded(kMiB), 0, 404},
      {"pastmib", padded(kMiB + 1), 3770426, 300},
  };
  ManikinBuilder* m = Make();
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    SetSizes({400, 410, 300, 250, 500, 450, 180, 100});
    const std::string file = Write(row.name, row.text);
    const int marks = OM::OM_ask_undo_mark_count();
    EXPECT_EQ(m->OpenFromFile(file.c_str()), row.refusal);
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), marks);
    VD_2DManikin_user_defined_manikin_size_value_t r{};
    m->GetManikinSizeData(&r);
    EXPECT_EQ(r.arm, row.arm);
    EXPECT_EQ(r.leg, row.refusal == 0 ? 401 : 410);
    VD::ClearErrorDialogs();
  }
}

// An open size file gives keys from whole lines up to the host's readers'
// limit; a line past it gives no key at all.
TEST_F(Manikin, KeysComeFromLinesUpToTheLongestTheHostReads) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  struct Row {
    const char* what;
    std::string text;
    bool found;
    int line;
  } rows[] = {
      {"comment at the limit", "#" + std::string(kMiB - 1, '-') + "\nLEG_LENGTH: 5\n", true, 2},
      {"comment one past it", "#" + std::string(kMiB, '-') + "\nLEG_LENGTH: 5\n", false, 0},
      // The carriage return counts, as the host's readers count it.
      {"comment at the limit with its CR", "#" + std::string(kMiB - 2, '-') + "\r\nLEG_LENGTH: 5\r\n", true, 2},
      {"comment one past it with its CR", "#" + std::string(kMiB - 1, '-') + "\r\nLEG_LENGTH: 5\r\n", false, 0},
      {"last line at the limit", "LEG_LENGTH: 5" + std::string(kMiB - 13, ' '), true, 1},
      {"last line one past it", "LEG_LENGTH: 5" + std::string(kMiB - 12, ' '), false, 0},
      {"key after a split point", std::string(1023, '-') + "LEG_LENGTH: 6\nLEG_LENGTH: 5\n", true, 2},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string file = Write("limit.txt", row.text);
    std::FILE* f = std::fopen(file.c_str(), "rb");
    EXPECT_NE(f, nullptr);
    if (f == nullptr) continue;
    double value = 0;
    int line = 0;
    EXPECT_EQ(VD_2DManikin_read_value_of_key(f, "LEG_LENGTH", &value, nullptr, &line), row.found);
    EXPECT_EQ(value, row.found ? 5 : 0);
    EXPECT_EQ(line, row.line);
    std::fclose(f);
  }
}

TEST_F(Manikin, BadSizeFilesChangeNothing) {
  struct Row {
    std::string name, text, note;
    int code, refusal;
    // A file that cannot be read: made at its name (none: the text is
    // written there), and what the next note says was found.
    void (*make)(const std::string& at) = nullptr;
    std::string found = "";
  };
  const std::string missing = stamvik_test::ProcessScratch().Slashed() + "manikin_none";
  std::string noPercentile = SizeFile();
  noPercentile.replace(noPercentile.find("PERCENTILE"), 10, "PERCENT");
  const std::string bareHandLength = "HAND_LENGTH:";
  const Row rows[] = {
      {"negative", SizeFile("ARM_LENGTH", "ARM_LENGTH: -2"), "ARM_LENGTH is out of range.", -3, 3770428},
      {"zero", SizeFile("THIGH_LENGTH", "THIGH_LENGTH: 0"), "THIGH_LENGTH is out of range.", -3, 3770428},
      {"a hair below 0", SizeFile("ARM_LENGTH", "ARM_LENGTH: -1e-11"), "ARM_LENGTH is out of range.", -3, 3770428},
      {"word", SizeFile("FOREARM_LENGTH", "FOREARM_LENGTH: abc"), "FOREARM_LENGTH is out of range.", -3, 3770428},
      {"nohand", SizeFile("HAND_LENGTH", "! no hand"), "HAND_LENGTH is not read in the general default data structure.", -2, 3770427},
      {"barehand", SizeFile("HAND_LENGTH", bareHandLength), "HAND_LENGTH is not read in the general default data structure.", -2, 3770427},
      {"nopercentile", noPercentile, "PERCENTILE is not read in the general default data structure.", -2, 3770427},
      {"bareunit", "UNIT:\nPERCENTILE: x\n", "UNIT is not read in the general default data structure.", -2, 3770427},
      {"unit", "UNIT: cm\n", "UNIT is out of range.", -3, 3770428},
      {"", "", "The File " + missing + " can not open or not found.", -1, 3770426, nullptr,
       missing + ": no such file"},
      {"fifo", "", "The File FILE can not open or not found.", -1, 3770426,
       [](const std::string& at) { ::mkfifo(at.c_str(), 0600); }, "FILE: not a regular file (a device or a pipe)"},
      {"folder", "", "The File FILE can not open or not found.", -1, 3770426,
       [](const std::string& at) { std::filesystem::create_directories(at); }, "FILE: a directory, not a file"},
  };
  ManikinBuilder* m = Make();
  SetSizes({400, 410, 300, 250, 500, 450, 180, 100});
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Host::ClearCalls();
    Error::ClearNotes();
    VD::ClearErrorDialogs();
    const int marks = OM::OM_ask_undo_mark_count();
    std::string file = row.name.empty() ? missing : row.make != nullptr ? Scratch(row.name) : Write(row.name, row.text);
    if (row.make != nullptr) row.make(file);
    EXPECT_EQ(m->OpenFromFile(file.c_str()), row.refusal) << row.name;
    const auto named = [&file](std::string text) {
      if (const std::size_t at = text.find("FILE"); at != std::string::npos) text.replace(at, 4, file);
      return text;
    };
    EXPECT_FALSE(Error::Notes().empty()) << row.name;
    if (!Error::Notes().empty()) {
      EXPECT_EQ(Error::Notes()[0], named(row.note));
    }
    if (!row.found.empty()) {
      EXPECT_EQ(Error::Notes().size(), 2u);
      EXPECT_EQ(Error::Notes().back(), named(row.found));
    }
    std::vector<std::string> reports;
    for (const auto& call : Host::Calls())
      if (call.name == "VD__output_default_error") reports.push_back(call.args);
    EXPECT_EQ(reports.size(), 1u);
    if (reports.size() == 1u) {
      EXPECT_EQ(reports[0].substr(reports[0].rfind(' ') + 1), std::to_string(row.code));
    }
    EXPECT_EQ(Host::Calls()[0].name, "UNDO_QD_set_mark");
    EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark_no_status"), 1u);
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), marks);
    EXPECT_EQ(VD::ErrorDialogs().size(), 1u);
    if (VD::ErrorDialogs().size() == 1u) {
      EXPECT_EQ(VD::ErrorDialogs()[0].title, "Invalid Input File");
      EXPECT_EQ(VD::ErrorDialogs()[0].lines,
                (std::vector<std::string>{"Error existing in reading from file.",
                                          "The selected file does not include all required values."}));
    }
    VD_2DManikin_user_defined_manikin_size_value_t r{};
    m->GetManikinSizeData(&r);
    EXPECT_EQ(r.arm, 300) << row.name;
    EXPECT_EQ(r.forearm, 250) << row.name;
  }
  // The second note names where the bad value stands.
  Error::ClearNotes();
  m->OpenFromFile(Write("line", SizeFile("ARM_LENGTH", "ARM_LENGTH: -2")).c_str());
  ASSERT_EQ(Error::Notes().size(), 2u);
  EXPECT_NE(Error::Notes()[1].find("line 6"), std::string::npos) << Error::Notes()[1];
  // 1e-10 is the least length taken.
  m->OpenFromFile(Write("tiny", SizeFile("ARM_LENGTH", "ARM_LENGTH: 1e-10")).c_str());
  VD_2DManikin_user_defined_manikin_size_value_t r{};
  m->GetManikinSizeData(&r);
  EXPECT_EQ(r.arm, 1e-10);
  EXPECT_EQ(r.leg, 401);
  EXPECT_EQ(m->GetCurrentManikinSize().utf8(), "SAE J826 99%");
}

// ---- read-back from the rule ---------------------------------------------------------------

struct RuleParameter {
  const char* name;
  const char* value;
};

FEATURE_RECORD* Rule(PART_part* part, const char* name, const std::vector<RuleParameter>& parameters) {
  std::vector<const char*> names, values;
  for (const auto& p : parameters) {
    names.push_back(p.name);
    values.push_back(p.value);
  }
  EXPECT_EQ(VD_KF_create_child_rule(part->OmTag(), "root:", name, "%qd_vd_2dmanikin", static_cast<int>(names.size()),
                                    names.data(), values.data(), nullptr),
            0);
  tag_t frec = 0;
  VD_get_feature_tag_and_name(name, &frec, nullptr);
  return OM::TagToObject<FEATURE_RECORD>(frec);
}

TEST_F(Manikin, ARuleTextWritesADoubleQuoteTwice) {
  struct Row {
    const char* value;  // as the rule is given it
    int status;
    const char* text;  // what the rule reads back
  };
  const Row rows[] = {
      {"\"5'8\"\" driver\"", 0, "5'8\" driver"},
      {"\"\"", 0, ""},
      {"\"\"\"\"", 0, "\""},
      {"\"a\"\"\"\"b\"", 0, "a\"\"b"},
      {"\"a\"b\"", KnowledgeRule::kBadValue, nullptr},
      {"\"\"\"", KnowledgeRule::kBadValue, nullptr},
      {"\"a\"\"", KnowledgeRule::kBadValue, nullptr},
  };
  int n = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.value);
    const std::string name = "QUOTES" + std::to_string(++n);
    const char* names[] = {"Percentage_usr"};
    const char* values[] = {row.value};
    EXPECT_EQ(VD_KF_create_child_rule(part()->OmTag(), "root:", name.c_str(), "%qd_vd_2dmanikin", 1, names, values,
                                      nullptr),
              row.status);
    if (row.text == nullptr) continue;
    char* text = nullptr;
    const int status = VD_KF_get_string(("root:" + name + ":Percentage_usr:").c_str(), &text);
    EXPECT_EQ(status, 0);
    if (status != 0) continue;
    EXPECT_STREQ(text, row.text);
    SM_free(text);
  }
  // In a list the doubled quote stays inside its item.
  const char* names[] = {"Names"};
  const char* values[] = {"{\"a\"\",b\", \"c\"}"};
  ASSERT_EQ(VD_KF_create_child_rule(part()->OmTag(), "root:", "QUOTES_LIST", "%qd_vd_2dmanikin", 1, names, values,
                                    nullptr),
            0);
  int count = 0;
  char** texts = nullptr;
  ASSERT_EQ(VD_KF_get_string_list("root:QUOTES_LIST:Names:", &count, &texts), 0);
  ASSERT_EQ(count, 2);
  EXPECT_STREQ(texts[0], "a\",b");
  EXPECT_STREQ(texts[1], "c");
  for (int i = 0; i < count; ++i) SM_free(texts[i]);
  SM_free(texts);
}

// Each build of a manikin rule leaves it the checker its parameters ask for:
// made when it has none, kept (the same one) when it has one, removed when
// they ask for none.
TEST_F(Manikin, ARuleBuiltAgainHasTheCheckerItsParametersAskFor) {
  const std::vector<std::vector<const char*>> rows = {
      {"TRUE"}, {"FALSE"}, {"TRUE", "TRUE"}, {"TRUE", "FALSE"}, {"FALSE", "TRUE"}, {"TRUE", "FALSE", "TRUE"}};
  int n = 0;
  for (const auto& builds : rows) {
    const std::string name = "CHECKED" + std::to_string(++n);
    SCOPED_TRACE(name);
    tag_t kept = 0;
    for (const char* asked : builds) {
      Rule(part(), name.c_str(), {{"Occ_Location", "1"}, {"add_validation_checker?", asked}});
      std::vector<tag_t> checkers;
      for (const KF_rule_instance* r : KnowledgeRule::Instances(part()))
        if (r->ask_name() == name + "_checker" && r->ask_parent() == "root:" + name + ":") checkers.push_back(r->OmTag());
      EXPECT_EQ(checkers.size(), std::string(asked) == "TRUE" ? 1u : 0u) << asked;
      if (kept != 0 && checkers.size() == 1u) {
        EXPECT_EQ(checkers[0], kept);
      }
      kept = checkers.size() == 1u ? checkers[0] : 0;
    }
  }
}

TEST_F(Manikin, ReadBackFromTheRuleInstance) {
  FEATURE_RECORD* frec = Rule(part(), "VD_2DM4", {{"Occ_Location", "2"}, {"Vehicle_class", "2"},
                                                  {"Standard", "0"}, {"Percentage_acc", "3"},
                                                  {"Allow_non_standard_input?", "TRUE"},
                                                  {"Algorithm_version", "1"}, {"add_report?", "TRUE"},
                                                  {"usr_def_para", "{410, 400, 250, 300, 500, 450, 100, 180}"},
                                                  {"L31_exp_v1", "700"}, {"W20_exp_v1", "1"}, {"H70_exp_v1", "400"},
                                                  {"L40_exp_v1", "22"}, {"Theta_AHP_exp_v1", "40"},
                                                  {"AHP_X_exp_v1", "5"}, {"AHP_Z_exp_v1", "6"},
                                                  {"usr_def_file", "\"a.hsd\""}});
  ASSERT_NE(frec, nullptr);
  ManikinBuilder* m = Make(nullptr, frec);
  EXPECT_EQ(m->GetCurrentManikinRuleName().utf8(), "VD_2DM4");
  EXPECT_EQ(m->GetPosition(), Passenger);
  EXPECT_EQ(m->GetClassification(), ClassB);
  EXPECT_EQ(m->GetStandard(), Saej833);
  EXPECT_EQ(m->GetSAEPercentile(), J833SmallHuman5thFemale);
  EXPECT_TRUE(m->GetAllowPostureValueOutOfRange());
  EXPECT_TRUE(m->GetJointAngleReport());
  EXPECT_FALSE(m->GetDrivingPostureCheck());
  EXPECT_EQ(m->GetCurrentManikinSize().utf8(), "SAE J826 99%");
  EXPECT_EQ(m->GetOpenFromFile().utf8(), "a.hsd");
  EXPECT_EQ(EXP_ask_value_of_exp(m->GetThighLength()), 400);
  EXPECT_EQ(EXP_ask_value_of_exp(m->GetHandLength()), 180);
  // Seven expressions are copies of the rule's (value and unit), the
  // builder's own: a value set through them reaches the rule only at a
  // commit. The four of the steering wheel are new.
  const std::pair<const char*, EXP_expression*> bound[] = {
      {"L31_exp_v1", m->GetSgRPLength()}, {"W20_exp_v1", m->GetSgRPWidth()},  {"H70_exp_v1", m->GetSgRPHeight()},
      {"L40_exp_v1", m->GetBackAngle()},  {"Theta_AHP_exp_v1", m->GetPedalPlaneAngle()},
      {"AHP_X_exp_v1", m->GetAHPLength()}, {"AHP_Z_exp_v1", m->GetAHPHeight()}};
  for (const auto& [name, expression] : bound) {
    SCOPED_TRACE(name);
    tag_t tag = 0;
    EXPECT_EQ(VD_ask_kf_expression_tag("VD_2DM4", name, &tag), 0);
    const auto* rules = dynamic_cast<const EXP_expression*>(OM::OM_object_of_tag(tag));
    ASSERT_NE(rules, nullptr);
    EXPECT_NE(expression->OmTag(), tag);
    EXPECT_STREQ(expression->ask_text(), rules->ask_text());
    EXPECT_EQ(expression->ask_unit(), rules->ask_unit());
  }
  EXPECT_DOUBLE_EQ(EXP_ask_value_of_exp(m->GetWheelAngle()), 22);
  EXPECT_STREQ(m->GetWheelAngle()->ask_unit()->name, "Degrees");
  EXPECT_DOUBLE_EQ(EXP_ask_value_of_exp(m->GetWheelDiameter()), 380);
  EXPECT_EQ(Host::CountCalls("VD_read_general_default_value"), 1u);
  // The rule's expressions stay with the rule when the builder goes; its copies go with it.
  const tag_t copy = m->GetSgRPLength()->OmTag();
  tag_t sgRP = 0;
  VD_ask_kf_expression_tag("VD_2DM4", "L31_exp_v1", &sgRP);
  m->destroy();
  manikin_ = nullptr;
  EXPECT_FALSE(OM::OM_is_deleted_tag(sgRP));
  EXPECT_TRUE(OM::OM_is_deleted_tag(copy));
}

TEST_F(Manikin, ReadBackOfPercentilesAndDefaultSizes) {
  struct Row {
    const char* standard;
    const char* percentage;
    const char* sizes;
    int wantStandard, wantPercentile;
    double thigh;
  };
  const Row rows[] = {
      {"0", "3", "{1,2,3,4,5,6,7,8}", Saej833, J833SmallHuman5thFemale, 2},
      {"1", "2", "{1,2,3,4,5,6,7}", SAEJ826Jul1995, J826Type50thPercentile, 469.26},
      {"1", "4", "{}", SAEJ826Jul1995, J826Type95thPercentile, 469.26},
      {"2", "1", "{1,2,3,4,5,6,7,8}", UserDefined, J826Type95thPercentile, 2},
  };
  int n = 0;
  for (const Row& row : rows) {
    const std::string name = "VD_2DM" + std::to_string(++n);
    FEATURE_RECORD* frec = Rule(part(), name.c_str(), {{"Occ_Location", "1"}, {"Vehicle_class", "1"},
                                                        {"Standard", row.standard}, {"Percentage_acc", row.percentage},
                                                        {"usr_def_para", row.sizes}, {"Algorithm_version", "0"},
                                                        {"add_validation_checker?", "TRUE"}});
    ManikinBuilder* m = Make(nullptr, frec);
    EXPECT_EQ(m->GetStandard(), row.wantStandard) << name;
    EXPECT_EQ(m->GetSAEPercentile(), row.wantPercentile) << name;
    EXPECT_EQ(EXP_ask_value_of_exp(m->GetThighLength()), row.thigh) << name;
    EXPECT_TRUE(m->GetDrivingPostureCheck()) << name;
    m->destroy();
    manikin_ = nullptr;
  }
}

}  // namespace
