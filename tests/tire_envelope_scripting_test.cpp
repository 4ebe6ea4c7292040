// The scripting class of the tire-envelope builder: its exports, the offset
// tables' limits, the bodies that do more than one field, the defaults in
// both unit sets and the property owner. Expected values are typed from the
// class's published description.
#include <cstring>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "assy/Assembly.hpp"
#include "geom/Sketch.hpp"
#include "ja_exports.hpp"
#include "ja_features_tire_envelope_builder_jam.hpp"
#include "jam/Journal.hpp"
#include "om/ObjectNames.hpp"
#include "prop/Property.hpp"
#include "prop/PropertyMapper.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"
#include "vd/VehicleDesign.hpp"

using namespace KTX;
using VDJA::TireEnvelopeBuilder;

namespace {

class TireEnvelopeScripting : public stamvik_test::JamTest {
 protected:
  void TearDown() override {
    for (tag_t t : made_)
      if (auto* builder = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(t))) builder->destroy();
    VD::ResetCsysAnswer();
    stamvik_test::JamTest::TearDown();
  }
  TireEnvelopeBuilder* Make() {
    tag_t made = 0;
    EXPECT_EQ(XJA_FEATURE_AUTOMOTIVE_COLLECTION_create_tire_envelope_builder(part()->OmTag(), 0, &made), 0);
    made_.push_back(made);
    return dynamic_cast<TireEnvelopeBuilder*>(OM::OM_object_of_tag(made));
  }
  // The texts of the errors raised since the log was cleared.
  static std::vector<std::string> Raised() {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name == "ERROR_raise") out.push_back(c.args);
    return out;
  }
  std::vector<tag_t> made_;
};

TEST_F(TireEnvelopeScripting, ExportsEveryMemberAndTheFourFormsUnderTheirNumbers) {
  EXPECT_EQ(stamvik_test::ExportsStartingWith("XJA_TIRE_ENVELOPE_BUILDER_").size(), 130u);
  const std::set<std::string> forms = {
      "X112JA_TIRE_ENVELOPE_BUILDER_AddMasterPart", "X113JA_TIRE_ENVELOPE_BUILDER_AddMasterPart",
      "X114JA_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch", "X115JA_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch"};
  std::set<std::string> found;
  for (const char* prefix : {"X112JA_", "X113JA_", "X114JA_", "X115JA_"})
    for (const std::string& s : stamvik_test::ExportsStartingWith(prefix)) found.insert(s);
  EXPECT_EQ(found, forms);
  stamvik_test::ExpectInterfaceId<Features_TireEnvelopeBuilder_Interface>("Features.TireEnvelopeBuilder", 0xe8dd7489);
}

// Each member reaches the builder's own field: fourteen expressions, twelve
// numbers and seven whole numbers, all set to different values through their
// members, and each of ten flags set alone.
TEST_F(TireEnvelopeScripting, EachPlainMemberReachesItsOwnField) {
  TireEnvelopeBuilder* tire = Make();
  ASSERT_NE(tire, nullptr);
  struct Expression {
    const char* name;
    int (*get)(TireEnvelopeBuilder*, EXP_expression**);
    EXP_expression* (TireEnvelopeBuilder::*field)() const;
  };
  const Expression expressions[] = {
      {"ClearanceValue", XJA_TIRE_ENVELOPE_BUILDER_get_ClearanceValue, &TireEnvelopeBuilder::GetClearanceValue},
      {"DistanceTolerance", XJA_TIRE_ENVELOPE_BUILDER_get_DistanceTolerance, &TireEnvelopeBuilder::GetDistanceTolerance},
      {"DownOffsetValue", XJA_TIRE_ENVELOPE_BUILDER_get_DownOffsetValue, &TireEnvelopeBuilder::GetDownOffsetValue},
      {"FrontOffsetValue", XJA_TIRE_ENVELOPE_BUILDER_get_FrontOffsetValue, &TireEnvelopeBuilder::GetFrontOffsetValue},
      {"InboardOffsetValue", XJA_TIRE_ENVELOPE_BUILDER_get_InboardOffsetValue, &TireEnvelopeBuilder::GetInboardOffsetValue},
      {"OutboardOffsetValue", XJA_TIRE_ENVELOPE_BUILDER_get_OutboardOffsetValue, &TireEnvelopeBuilder::GetOutboardOffsetValue},
      {"RadialEndAngle", XJA_TIRE_ENVELOPE_BUILDER_get_RadialEndAngle, &TireEnvelopeBuilder::GetRadialEndAngle},
      {"RadialStartAngle", XJA_TIRE_ENVELOPE_BUILDER_get_RadialStartAngle, &TireEnvelopeBuilder::GetRadialStartAngle},
      {"RearOffsetValue", XJA_TIRE_ENVELOPE_BUILDER_get_RearOffsetValue, &TireEnvelopeBuilder::GetRearOffsetValue},
      {"RollAngle", XJA_TIRE_ENVELOPE_BUILDER_get_RollAngle, &TireEnvelopeBuilder::GetRollAngle},
      {"TrimRadius", XJA_TIRE_ENVELOPE_BUILDER_get_TrimRadius, &TireEnvelopeBuilder::GetTrimRadius},
      {"UpOffsetValue", XJA_TIRE_ENVELOPE_BUILDER_get_UpOffsetValue, &TireEnvelopeBuilder::GetUpOffsetValue},
      {"WheelCenterlineShift", XJA_TIRE_ENVELOPE_BUILDER_get_WheelCenterlineShift, &TireEnvelopeBuilder::GetWheelCenterlineShift},
      {"WheelRimDiameter", XJA_TIRE_ENVELOPE_BUILDER_get_WheelRimDiameter, &TireEnvelopeBuilder::GetWheelRimDiameter}};
  for (const Expression& e : expressions) {
    EXP_expression* got = nullptr;
    EXPECT_EQ(e.get(tire, &got), 0) << e.name;
    EXPECT_EQ(got, (tire->*e.field)()) << e.name;
  }
  struct Number {
    const char* name;
    int (*get)(TireEnvelopeBuilder*, double*);
    int (*set)(TireEnvelopeBuilder*, double);
    double (TireEnvelopeBuilder::*field)() const;
  };
  const Number numbers[] = {
      {"EnvelopeConcavity", XJA_TIRE_ENVELOPE_BUILDER_get_EnvelopeConcavity, XJA_TIRE_ENVELOPE_BUILDER_set_EnvelopeConcavity, &TireEnvelopeBuilder::GetEnvelopeConcavity},
      {"FirstDriverJointLowerLimit", XJA_TIRE_ENVELOPE_BUILDER_get_FirstDriverJointLowerLimit, XJA_TIRE_ENVELOPE_BUILDER_set_FirstDriverJointLowerLimit, &TireEnvelopeBuilder::GetFirstDriverJointLowerLimit},
      {"FirstDriverJointUpperLimit", XJA_TIRE_ENVELOPE_BUILDER_get_FirstDriverJointUpperLimit, XJA_TIRE_ENVELOPE_BUILDER_set_FirstDriverJointUpperLimit, &TireEnvelopeBuilder::GetFirstDriverJointUpperLimit},
      {"FixedLocationPercentage", XJA_TIRE_ENVELOPE_BUILDER_get_FixedLocationPercentage, XJA_TIRE_ENVELOPE_BUILDER_set_FixedLocationPercentage, &TireEnvelopeBuilder::GetFixedLocationPercentage},
      {"JounceDistance", XJA_TIRE_ENVELOPE_BUILDER_get_JounceDistance, XJA_TIRE_ENVELOPE_BUILDER_set_JounceDistance, &TireEnvelopeBuilder::GetJounceDistance},
      {"ReboundDistance", XJA_TIRE_ENVELOPE_BUILDER_get_ReboundDistance, XJA_TIRE_ENVELOPE_BUILDER_set_ReboundDistance, &TireEnvelopeBuilder::GetReboundDistance},
      {"SecondDriverJointLowerLimit", XJA_TIRE_ENVELOPE_BUILDER_get_SecondDriverJointLowerLimit, XJA_TIRE_ENVELOPE_BUILDER_set_SecondDriverJointLowerLimit, &TireEnvelopeBuilder::GetSecondDriverJointLowerLimit},
      {"SecondDriverJointUpperLimit", XJA_TIRE_ENVELOPE_BUILDER_get_SecondDriverJointUpperLimit, XJA_TIRE_ENVELOPE_BUILDER_set_SecondDriverJointUpperLimit, &TireEnvelopeBuilder::GetSecondDriverJointUpperLimit},
      {"TaperLocationAY", XJA_TIRE_ENVELOPE_BUILDER_get_TaperLocationAY, XJA_TIRE_ENVELOPE_BUILDER_set_TaperLocationAY, &TireEnvelopeBuilder::GetTaperLocationAY},
      {"TaperLocationBX", XJA_TIRE_ENVELOPE_BUILDER_get_TaperLocationBX, XJA_TIRE_ENVELOPE_BUILDER_set_TaperLocationBX, &TireEnvelopeBuilder::GetTaperLocationBX},
      {"TaperLocationXAxis", XJA_TIRE_ENVELOPE_BUILDER_get_TaperLocationXAxis, XJA_TIRE_ENVELOPE_BUILDER_set_TaperLocationXAxis, &TireEnvelopeBuilder::GetTaperLocationXAxis},
      {"TaperLocationYAxis", XJA_TIRE_ENVELOPE_BUILDER_get_TaperLocationYAxis, XJA_TIRE_ENVELOPE_BUILDER_set_TaperLocationYAxis, &TireEnvelopeBuilder::GetTaperLocationYAxis}};
  double value = 10.5;
  for (const Number& n : numbers) EXPECT_EQ(n.set(tire, value++), 0) << n.name;
  value = 10.5;
  for (const Number& n : numbers) {
    double got = 0;
    EXPECT_EQ(n.get(tire, &got), 0) << n.name;
    EXPECT_EQ(got, value) << n.name;
    EXPECT_EQ((tire->*n.field)(), value) << n.name;
    ++value;
  }
  struct Whole {
    const char* name;
    int (*get)(TireEnvelopeBuilder*, int*);
    int (*set)(TireEnvelopeBuilder*, int);
    int (TireEnvelopeBuilder::*field)() const;
  };
  const Whole wholes[] = {
      {"FirstDriverJointSteps", XJA_TIRE_ENVELOPE_BUILDER_get_FirstDriverJointSteps, XJA_TIRE_ENVELOPE_BUILDER_set_FirstDriverJointSteps, &TireEnvelopeBuilder::GetFirstDriverJointSteps},
      {"SecondDriverJointSteps", XJA_TIRE_ENVELOPE_BUILDER_get_SecondDriverJointSteps, XJA_TIRE_ENVELOPE_BUILDER_set_SecondDriverJointSteps, &TireEnvelopeBuilder::GetSecondDriverJointSteps},
      {"ShockDriverJointSteps", XJA_TIRE_ENVELOPE_BUILDER_get_ShockDriverJointSteps, XJA_TIRE_ENVELOPE_BUILDER_set_ShockDriverJointSteps, &TireEnvelopeBuilder::GetShockDriverJointSteps},
      {"SectionLayer", XJA_TIRE_ENVELOPE_BUILDER_get_SectionLayer, XJA_TIRE_ENVELOPE_BUILDER_set_SectionLayer, &TireEnvelopeBuilder::GetSectionLayer},
      {"SheetBodyLayer", XJA_TIRE_ENVELOPE_BUILDER_get_SheetBodyLayer, XJA_TIRE_ENVELOPE_BUILDER_set_SheetBodyLayer, &TireEnvelopeBuilder::GetSheetBodyLayer},
      {"ProfileSplineLayer", XJA_TIRE_ENVELOPE_BUILDER_get_ProfileSplineLayer, XJA_TIRE_ENVELOPE_BUILDER_set_ProfileSplineLayer, &TireEnvelopeBuilder::GetProfileSplineLayer},
      {"SpindleLinesLayer", XJA_TIRE_ENVELOPE_BUILDER_get_SpindleLinesLayer, XJA_TIRE_ENVELOPE_BUILDER_set_SpindleLinesLayer, &TireEnvelopeBuilder::GetSpindleLinesLayer}};
  int whole = 21;
  for (const Whole& w : wholes) EXPECT_EQ(w.set(tire, whole++), 0) << w.name;
  whole = 21;
  for (const Whole& w : wholes) {
    int got = 0;
    EXPECT_EQ(w.get(tire, &got), 0) << w.name;
    EXPECT_EQ(got, whole) << w.name;
    EXPECT_EQ((tire->*w.field)(), whole) << w.name;
    ++whole;
  }
  struct Flag {
    const char* name;
    int (*get)(TireEnvelopeBuilder*, bool*);
    int (*set)(TireEnvelopeBuilder*, bool);
    bool (TireEnvelopeBuilder::*field)() const;
  };
  const Flag flags[] = {
      {"AddMasterComponentPart", XJA_TIRE_ENVELOPE_BUILDER_get_AddMasterComponentPart, XJA_TIRE_ENVELOPE_BUILDER_set_AddMasterComponentPart, &TireEnvelopeBuilder::GetAddMasterComponentPart},
      {"ApplyOffset", XJA_TIRE_ENVELOPE_BUILDER_get_ApplyOffset, XJA_TIRE_ENVELOPE_BUILDER_set_ApplyOffset, &TireEnvelopeBuilder::GetApplyOffset},
      {"BushingJointAsymmetric", XJA_TIRE_ENVELOPE_BUILDER_get_BushingJointAsymmetric, XJA_TIRE_ENVELOPE_BUILDER_set_BushingJointAsymmetric, &TireEnvelopeBuilder::GetBushingJointAsymmetric},
      {"CreateTireEnvelopeFeature", XJA_TIRE_ENVELOPE_BUILDER_get_CreateTireEnvelopeFeature, XJA_TIRE_ENVELOPE_BUILDER_set_CreateTireEnvelopeFeature, &TireEnvelopeBuilder::GetCreateTireEnvelopeFeature},
      {"InnerJointAsymmetric", XJA_TIRE_ENVELOPE_BUILDER_get_InnerJointAsymmetric, XJA_TIRE_ENVELOPE_BUILDER_set_InnerJointAsymmetric, &TireEnvelopeBuilder::GetInnerJointAsymmetric},
      {"MirrorProfile", XJA_TIRE_ENVELOPE_BUILDER_get_MirrorProfile, XJA_TIRE_ENVELOPE_BUILDER_set_MirrorProfile, &TireEnvelopeBuilder::GetMirrorProfile},
      {"RunClearanceAnalysis", XJA_TIRE_ENVELOPE_BUILDER_get_RunClearanceAnalysis, XJA_TIRE_ENVELOPE_BUILDER_set_RunClearanceAnalysis, &TireEnvelopeBuilder::GetRunClearanceAnalysis},
      {"SaveMasterPart", XJA_TIRE_ENVELOPE_BUILDER_get_SaveMasterPart, XJA_TIRE_ENVELOPE_BUILDER_set_SaveMasterPart, &TireEnvelopeBuilder::GetSaveMasterPart},
      {"SaveScenario", XJA_TIRE_ENVELOPE_BUILDER_get_SaveScenario, XJA_TIRE_ENVELOPE_BUILDER_set_SaveScenario, &TireEnvelopeBuilder::GetSaveScenario},
      {"UseStabilizerBar", XJA_TIRE_ENVELOPE_BUILDER_get_UseStabilizerBar, XJA_TIRE_ENVELOPE_BUILDER_set_UseStabilizerBar, &TireEnvelopeBuilder::GetUseStabilizerBar}};
  for (const Flag& on : flags) {
    SCOPED_TRACE(on.name);
    for (const Flag& f : flags) EXPECT_EQ(f.set(tire, &f == &on), 0) << f.name;
    for (const Flag& f : flags) {
      bool got = !(&f == &on);
      EXPECT_EQ(f.get(tire, &got), 0) << f.name;
      EXPECT_EQ(got, &f == &on) << f.name;
      EXPECT_EQ((tire->*f.field)(), &f == &on) << f.name;
    }
  }
}

// Each row runs on a builder whose table holds 12 sections, every section 3 offsets.
TEST_F(TireEnvelopeScripting, OffsetTablesRefuseEveryLimitAndOnePastItChangingNothing) {
  struct Row {
    const char* what;
    int index;  // -2: the sections themselves
    int count;
    bool values;
    int status;
    const char* text;  // the error's text, or null
  };
  const Row rows[] = {
      {"36 sections", -2, 36, true, 0, nullptr},
      {"37 sections", -2, 37, true, 3771768, "3771768 The number of sections exceeds the allowable number 36"},
      {"40 sections", -2, 40, true, 3771768, "3771768 The number of sections exceeds the allowable number 36"},
      {"no sections", -2, 0, false, 0, nullptr},
      {"a negative count of sections", -2, -1, true, Error::kIndexOutOfRange, nullptr},
      {"sections with no angles", -2, 2, false, Error::kIndexOutOfRange, nullptr},
      {"the last section, 80 offsets", 11, 80, true, 0, nullptr},
      {"the section past the last", 12, 3, true, 3771768, "3771768 The index of section exceeds the specified number 12."},
      {"90 offsets", 3, 90, true, 3771757, "3771757 The number of offsets exceeds the allowable number 80."},
      {"81 offsets", 3, 81, true, 3771757, "3771757 The number of offsets exceeds the allowable number 80."},
      {"section 36", 36, 3, true, 3771768, "3771768 The index of section exceeds the allowable number 36."},
      {"section -1", -1, 3, true, Error::kIndexOutOfRange, nullptr},
      {"a negative count of offsets", 3, -1, true, Error::kIndexOutOfRange, nullptr},
  };
  std::vector<double> values(100);
  for (std::size_t i = 0; i < values.size(); ++i) values[i] = 0.5 * static_cast<double>(i);
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    TireEnvelopeBuilder* b = Make();
    EXPECT_NE(b, nullptr);
    if (b == nullptr) continue;
    EXPECT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetOffsetSections(b, 12, values.data()), 0);
    for (int s = 0; s < 12; ++s) EXPECT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetOffsetValues(b, s, 3, values.data() + 1), 0);
    const Tire_s before = *b->WorkArea();
    Host::ClearCalls();
    const double* given = r.values ? values.data() : nullptr;
    const int status = r.index == -2 ? XJA_TIRE_ENVELOPE_BUILDER_SetOffsetSections(b, r.count, given)
                                     : XJA_TIRE_ENVELOPE_BUILDER_SetOffsetValues(b, r.index, r.count, given);
    EXPECT_EQ(status, r.status) << r.what;
    if (r.text != nullptr) {
      EXPECT_EQ(Raised(), std::vector<std::string>{r.text}) << r.what;
    }
    const Tire_s* after = b->WorkArea();
    if (r.status != 0) {
      EXPECT_EQ(std::memcmp(&before, after, sizeof before), 0) << r.what;
    } else if (r.index == -2) {
      EXPECT_EQ(after->sectionCount, r.count) << r.what;
    } else {
      EXPECT_EQ(after->sectionOffsetCounts[r.index], r.count) << r.what;
      EXPECT_EQ(after->sectionOffsets[r.index][r.count - 1], values[static_cast<std::size_t>(r.count - 1)]) << r.what;
    }
  }
}

TEST_F(TireEnvelopeScripting, ClearanceValuesOfANegativeCountChangeNothing) {
  TireEnvelopeBuilder* b = Make();
  ASSERT_NE(b, nullptr);
  const double two[] = {4.5, 7.25};
  ASSERT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetClearanceValues(b, 2, two), 0);
  EXPECT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetClearanceValues(b, -1, two), Error::kIndexOutOfRange);
  EXPECT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetClearanceValues(b, 1, nullptr), Error::kIndexOutOfRange);
  ASSERT_EQ(b->GetCompOffsetLength(), 2);
  EXPECT_EQ(b->GetCompOffset(1), 7.25);
}

TEST_F(TireEnvelopeScripting, TheSpindleFileNameIsFiledByItsLocationAndTheOffsetMethodSetsTheFileFlag) {
  struct Row {
    int location;
    const char* native;
    const char* vault;
  };
  for (const Row& r : {Row{VDJA::InNative, "s.txt", "kept"}, Row{VDJA::InVaultra, "kept", "s.txt"}}) {
    TireEnvelopeBuilder* b = Make();
    ASSERT_NE(b, nullptr);
    b->SetSpindleFileNameNative("kept");
    b->SetSpindleFileNameVre("kept");
    ASSERT_EQ(XJA_TIRE_ENVELOPE_BUILDER_set_SpindleFileLocation(b, r.location), 0);
    char file[] = "s.txt";  // the export takes the text as char*
    ASSERT_EQ(XJA_TIRE_ENVELOPE_BUILDER_set_SpindleFileName(b, file), 0);
    EXPECT_STREQ(b->GetSpindleFileNameNative(), r.native) << r.location;
    EXPECT_STREQ(b->GetSpindleFileNameVre(), r.vault) << r.location;
    EXPECT_STREQ(b->GetMotionFile(), "s.txt") << r.location;
    EXPECT_STREQ(b->GetSpindleFileName(), "s.txt") << r.location;
  }
  TireEnvelopeBuilder* b = Make();
  for (auto [method, flag] : {std::pair{2, true}, {1, false}, {2, true}, {0, false}}) {
    ASSERT_EQ(XJA_TIRE_ENVELOPE_BUILDER_set_EnvelopeOffset(b, method), 0);
    EXPECT_EQ(b->GetUseOffsetFile(), flag) << method;
  }
}

TEST_F(TireEnvelopeScripting, UpdatingBodiesAskForProtectionFirstAndANoBuilderTagCallsNothing) {
  TireEnvelopeBuilder* b = Make();
  ASSERT_NE(b, nullptr);
  JAM::FileInitializer::Initialize("Features.TireEnvelopeBuilder");
  Host::ClearCalls();
  XJA_TIRE_ENVELOPE_BUILDER_BuildMotionTemplate(b);
  std::vector<std::string> hostCalls;
  for (const Host::Call& c : Host::Calls())
    if (c.name.rfind("JAM_", 0) != 0) hostCalls.push_back(c.name + " " + c.args);
  ASSERT_FALSE(hostCalls.empty());
  EXPECT_EQ(hostCalls.front(), "JAUTL_UPDATE__ensure_update_protected JAX_TIRE_ENVELOPE_BUILDER_BuildMotionTemplate");

  const bool before = b->GetXtoY();
  for (tag_t given : {tag_t{0}, part()->OmTag()}) {
    Host::ClearCalls();
    EXPECT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SwitchDrivers(given), Error::kBadObject) << given;
    for (const Host::Call& c : Host::Calls())
      EXPECT_TRUE(c.name.rfind("JAM_", 0) == 0 || c.name.rfind("ERROR_", 0) == 0 || c.name == "OM_check_tag_class")
          << c.name;
  }
  EXPECT_EQ(b->GetXtoY(), before);
  EXPECT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SwitchDrivers(b->OmTag()), 0);
  EXPECT_EQ(b->GetXtoY(), !before);
  ASSERT_FALSE(JAM::Recorded().empty());
  EXPECT_EQ(JAM::Recorded().back().thisKind, 't');
}

TEST_F(TireEnvelopeScripting, ObjectFormsReadNamesFromTheHostAndRefuseWhatIsNoSuchObject) {
  TireEnvelopeBuilder* b = Make();
  ASSERT_NE(b, nullptr);
  b->SetSketchName("before");
  b->SetSketchPartName("before");
  for (tag_t given : {tag_t{0}, part()->OmTag()})
    EXPECT_EQ(X115JA_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch(b, given), Error::kBadObject) << given;
  EXPECT_STREQ(b->GetSketchName(), "before");
  EXPECT_EQ(X113JA_TIRE_ENVELOPE_BUILDER_AddMasterPart(b, 0), Error::kBadObject);

  const double origin[3] = {0, 0, 0}, matrix[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t sketch = Sketch::Make(origin, matrix, 0, nullptr);
  Assy::NamePart(part(), "wheel_part");
  OM::UserObjectName::Set(sketch, "TIRE_PROFILE");
  const std::int64_t memory = Memory::LiveCounters().blocks;
  EXPECT_EQ(X115JA_TIRE_ENVELOPE_BUILDER_SetTireProfileSketch(b, sketch), 0);
  EXPECT_EQ(Memory::LiveCounters().blocks, memory);
  EXPECT_STREQ(b->GetSketchPartName(), "wheel_part.prt");
  EXPECT_STREQ(b->GetSketchName(), "TIRE_PROFILE");
  OM::UserObjectName::Set(sketch, nullptr);
}

TEST_F(TireEnvelopeScripting, TheVehicleSystemGoesToTheHostAndIsWhatItAnswersAfterwards) {
  TireEnvelopeBuilder* b = Make();
  ASSERT_NE(b, nullptr);
  const JAM_point3d_s origin{1, 2, 3};
  const JAM_matrix3x3_s matrix{0, 1, 0, -1, 0, 0, 0, 0, 1};
  Host::ClearCalls();
  ASSERT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetVehicleCoordinateSystem(b, 2, &origin, &matrix), 0);
  std::vector<std::string> hostCalls;
  for (const Host::Call& c : Host::Calls())
    if (c.name == "KBL_init_part" || c.name == "VD_update_csys") hostCalls.push_back(c.name + " " + c.args);
  EXPECT_EQ(hostCalls, (std::vector<std::string>{"KBL_init_part " + std::to_string(part()->OmTag()),
                                                 "VD_update_csys 2 1 2 3 0 1 0 -1 0 0 0 0 1"}));
  int type = 0;
  double o[3], m[9];
  ASSERT_TRUE(VD_get_csys(&type, o, m));
  EXPECT_EQ(type, 2);
  EXPECT_EQ(o[2], 3.0);
  EXPECT_EQ(m[3], -1.0);
}

// A replayed call reads a structure and an array from what was recorded,
// not from the caller's memory of the first call.
TEST_F(TireEnvelopeScripting, AReplayedCallPassesTheRecordedPointAndOffsets) {
  TireEnvelopeBuilder* b = Make();
  ASSERT_NE(b, nullptr);
  b->SetSuspensionTemplate(VDJA::ShortLongArmwithSteering);
  JAM_point3d_s point{3, -250, 15};
  std::vector<double> angles{0, 120, 240};
  JAM::ClearJournal();
  ASSERT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetSuspentionTemplatePoint(b, 1, 12, &point), 0);
  ASSERT_EQ(XJA_TIRE_ENVELOPE_BUILDER_SetOffsetSections(b, 3, angles.data()), 0);
  const JAM::Journal recorded = JAM::Recorded();
  point = {0, 0, 0};
  angles.assign(3, 0.0);
  b->WorkArea()->slArm.innerDriveJoint = {0, 0, 0};
  b->WorkArea()->sectionCount = 0;
  EXPECT_EQ(JAM::ReplayJournal(recorded), (std::vector<int>{0, 0}));
  const VD_point_s moved = b->WorkArea()->slArm.innerDriveJoint;
  EXPECT_EQ(moved.x, 3.0);
  EXPECT_EQ(moved.y, -250.0);
  EXPECT_EQ(moved.z, 15.0);
  EXPECT_EQ(b->WorkArea()->sectionCount, 3);
  EXPECT_EQ(b->WorkArea()->sectionAngles[2], 240.0);
}

TEST_F(TireEnvelopeScripting, DefaultsTakeTheInchSetOnlyInAnInchPart) {
  TireEnvelopeBuilder* b = Make();
  ASSERT_NE(b, nullptr);
  JAM::FileInitializer::Initialize("Features.TireEnvelopeBuilder");
  auto shifts = [&] {
    Host::ClearCalls();
    JAM::ClearJournal();
    JAM::Test::DefaultsFunction("Features.TireEnvelopeBuilder")(b->OmTag(), true);
    EXPECT_TRUE(JAM::Recorded().empty());
    std::vector<std::string> out;
    for (const std::string& w : stamvik_test::NamedWrites(std::to_string(b->OmTag())))
      if (w.rfind("WheelCenterlineShift.Value=", 0) == 0 || w.rfind("DownOffsetValue.Value=", 0) == 0)
        out.push_back(w);
    return out;
  };
  const std::vector<std::string> millimetre =
      stamvik_test::Paused({"DownOffsetValue.Value=6", "WheelCenterlineShift.Value=20"});
  EXPECT_EQ(shifts(), millimetre);
  part()->SetUnitCode(1);
  EXPECT_EQ(shifts(), stamvik_test::Paused({"DownOffsetValue.Value=0", "WheelCenterlineShift.Value=1"}));
  PART_set_work_part(nullptr);
  EXPECT_EQ(shifts(), millimetre);
}

TEST_F(TireEnvelopeScripting, TheOwnerListsItsOwnEntriesFirstAndWritesNotesAsOneCall) {
  Property::Owner* owner = JAM::PropertyMapper::GetOwner("Features.TireEnvelopeBuilder");
  ASSERT_NE(owner, nullptr);
  Property::List list;
  owner->GetProperties(nullptr, list);
  ASSERT_GT(list.GetCount(), 69);
  EXPECT_STREQ(list.GetNameByIndex(0), "CreateTireEnvelopeFeature");
  EXPECT_STREQ(list.GetNameByIndex(2), "SessionNotes");
  EXPECT_STREQ(list.GetNameByIndex(8), "TireDefinition");
  EXPECT_STREQ(static_cast<const Property::Enum&>(*list.GetPropertyByIndex(8)).GetMemberName(), "SolidBody");
  EXPECT_STREQ(list.GetNameByIndex(68), "ScenarioName");

  TireEnvelopeBuilder* b = Make();
  ASSERT_NE(b, nullptr);
  auto** notes = static_cast<TEXT_s**>(SM_alloc(2 * sizeof(TEXT_s*)));
  notes[0] = TEXT_create_string("first lap");
  notes[1] = TEXT_create_string("zweite Runde");
  Property::ValuePtr written = Property::MakeTextArray(2, notes);  // takes the texts and the block
  JAM::ClearJournal();
  EXPECT_EQ(owner->SetProperty(b, "session_notes", written.get()), 0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "SetSessionNotes");
  ASSERT_EQ(JAM::Recorded()[0].values.size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].values[0].texts, (std::vector<std::string>{"first lap", "zweite Runde"}));
  Property::ValuePtr read(owner->GetProperty(b, "SessionNotes"));
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetType(), Property::ValueType::kArray);
  EXPECT_EQ(b->GetNumSessionNotes(), 2);
  EXPECT_EQ(b->GetNthValueInSessionNotes(1).utf8(), "zweite Runde");
  // The String getters hand out copies that the owner lets go.
  b->SetProfileName("P215");
  const std::int64_t memory = Memory::LiveCounters().blocks;
  Property::ValuePtr name(owner->GetProperty(b, "profile_name"));
  name.reset();
  EXPECT_EQ(Memory::LiveCounters().blocks, memory);
}

}  // namespace
