// A committed manikin: its knowledge-rule instance with the parameter list of
// each kind of occupant, under its undo marks, and its joint-angle checkers.
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "VDJA_ManikinBuilder.hpp"
#include "VD_2DManikin_util.hpp"
#include "exp/Expression.hpp"
#include "script/ScriptHost.hpp"
#include "sys/Settings.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vd/ManikinServices.hpp"
#include "vd/Validation.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

class ManikinCommit : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    VD::ClearDefaultsFile();
    Validation::Reset();
    Host::ClearCustomerDefaults();
    VD_2DManikin_forget_requirement_environment();
  }
  void TearDown() override {
    for (auto* m : made_) m->destroy();
    VD::ClearDefaultsFile();
    Validation::Reset();
    Host::ClearCustomerDefaults();
    unsetenv("QDEN_RQV_ACCOUNT");
    VD_2DManikin_forget_requirement_environment();
    HostTest::TearDown();
  }
  ManikinBuilder* Make(FEATURE_RECORD* frec = nullptr) {
    made_.push_back(ManikinBuilderFactory::Create(modelPart(), frec));
    return made_.back();
  }
  void Set(EXP_expression* e, double value) {
    char* text = EXP_format_value(value);
    EXP_edit_exp(part()->OmTag(), e, text);
    SM_free(text);
  }
  // A class-A driver of the given percentile whose posture passes.
  ManikinBuilder* Driver(JA_MANIKIN_BUILDER_SAEPercentileType percentile) {
    ManikinBuilder* m = Make();
    m->SetSAEPercentile(percentile);
    Set(m->GetSgRPLength(), 600);
    Set(m->GetSgRPHeight(), 500);
    Set(m->GetAHPHeight(), 250);
    Set(m->GetBackAngle(), 25);
    Set(m->GetPedalPlaneAngle(), 45);
    Set(m->GetAHPToSWCLength(), 500);
    Set(m->GetAHPToSWCHeight(), 500);
    Set(m->GetWheelDiameter(), 400);
    Set(m->GetWheelAngle(), 20);
    return m;
  }
  static std::map<std::string, std::string> Parameters(const KF_rule_instance* rule) {
    std::map<std::string, std::string> byName;
    const auto names = rule->ParameterNames();
    const auto values = rule->ParameterValues();
    for (std::size_t i = 0; i < names.size(); ++i) byName[names[i]] = values[i];
    return byName;
  }
  static std::vector<KF_rule_instance*> Rules(PART_part* p) { return KnowledgeRule::Instances(p); }
  std::vector<ManikinBuilder*> made_;
};

TEST_F(ManikinCommit, UserDefinedPassengerBecomesRuleInstance) {
  ManikinBuilder* m = Make();
  m->SetPosition(Passenger);
  m->SetStandard(UserDefined);
  const VD_2DManikin_user_defined_manikin_size_value_t sizes{400, 410, 300, 250, 500, 450, 180, 100};
  m->SetManikinSizeData(&sizes);
  const tag_t sgRPLength = m->GetSgRPLength()->OmTag();
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(m->commit_feature(&frec), 0);
  const auto rules = Rules(part());
  ASSERT_EQ(rules.size(), 1u);
  const KF_rule_instance* rule = rules[0];
  EXPECT_STREQ(rule->ask_name(), "VD_2DM1");
  EXPECT_STREQ(rule->ask_rule_class(), "%qd_vd_2dmanikin");
  EXPECT_STREQ(rule->ask_parent(), "root:");
  EXPECT_EQ(rule->ParameterNames().size(), 18u);
  auto p = Parameters(rule);
  for (const char* absent : {"Percentage_acc", "L11_exp_v1", "H17_exp_v1", "W9_exp_v1", "H18_exp_v1"})
    EXPECT_EQ(p.count(absent), 0u) << absent;
  EXPECT_EQ(rule->ParameterNames().front(), "Algorithm_version");
  EXPECT_EQ(rule->ParameterNames().back(), "usr_def_para");
  EXPECT_EQ(p["Occ_Location"], "2");
  EXPECT_EQ(p["Standard"], "2");
  EXPECT_EQ(p["usr_def_para"], "{410.000000,400.000000,250.000000,300.000000,500.000000,450.000000,100.000000,180.000000}");
  EXPECT_EQ(p["L31_exp_v1"], "tag(" + std::to_string(sgRPLength) + ")");
  EXPECT_EQ(m->GetCurrentManikinRuleName().utf8(), "VD_2DM1");
  ASSERT_NE(frec, nullptr);
  EXPECT_EQ(m->get_frec(), frec);
  EXPECT_EQ(rule->ask_frec(), frec->OmTag());
  EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0);
  EXPECT_NE(Script::DescribePart(part()).find("rule VD_2DM1 %qd_vd_2dmanikin\n  parameters Algorithm_version "
                                              "occ_udf_version Occ_Location Standard"),
            std::string::npos);
  // Read back, it is the same manikin; committed again, the same instance.
  ManikinBuilder* again = Make(frec);
  EXPECT_EQ(again->GetStandard(), UserDefined);
  VD_2DManikin_user_defined_manikin_size_value_t back{};
  again->GetManikinSizeData(&back);
  EXPECT_EQ(std::vector<double>({back.thigh, back.leg, back.arm, back.forearm, back.torso, back.shoulderToHip, back.hand,
                                 back.handGrip}),
            std::vector<double>({400, 410, 300, 250, 500, 450, 180, 100}));
  Set(again->GetBackAngle(), 12);
  ASSERT_EQ(again->commit_feature(nullptr), 0);
  ASSERT_EQ(Rules(part()).size(), 1u);
  EXPECT_EQ(Parameters(Rules(part())[0])["Occ_Location"], "2");
}

// A user-defined length at or below 0 gives no manikin: the host's commit
// is refused and the part holds no rule instance and no feature more.
TEST_F(ManikinCommit, ALengthAtOrBelowZeroCommitsNothing) {
  struct Row {
    const char* what;
    VD_2DManikin_user_defined_manikin_size_value_t sizes;
    int status;
  };
  const Row rows[] = {
      {"every length above 0", {400, 410, 300, 250, 500, 450, 180, 100}, 0},
      {"thigh 0", {0, 410, 300, 250, 500, 450, 180, 100}, 3770401},
      {"leg -436.82", {400, -436.82, 300, 250, 500, 450, 180, 100}, 3770402},
      {"hand grip 0", {400, 410, 300, 250, 500, 450, 180, 0}, 3770408},
  };
  const auto features = [this] {
    int n = 0;
    for (tag_t t : Host::KeptInPart(part())) n += dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)) != nullptr;
    return n;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ManikinBuilder* m = Make();
    m->SetPosition(Passenger);
    m->SetStandard(UserDefined);
    m->SetManikinSizeData(&row.sizes);
    const std::size_t rules = Rules(part()).size();
    const int before = features();
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(m, &object), row.status);
    EXPECT_EQ(Rules(part()).size(), rules + (row.status == 0 ? 1u : 0u));
    EXPECT_EQ(features(), before + (row.status == 0 ? 1 : 0));
    EXPECT_EQ(object != 0, row.status == 0);
  }
}

TEST_F(ManikinCommit, AnEnumerationValueOfNoMemberIsRefusedAndNothingCommitted) {
  struct Row {
    int position, classification, standard, status;
  };
  const Row rows[] = {
      {4, ClassA, SAEJ826Jul1995, kManikinPositionUnknown},
      {2, ClassA, SAEJ826Jul1995, kManikinPositionUnknown},
      {-1, ClassA, SAEJ826Jul1995, kManikinPositionUnknown},
      {VDJA::Driver, 7, SAEJ826Jul1995, kManikinClassificationUnknown},
      {VDJA::Driver, 2, SAEJ826Jul1995, kManikinClassificationUnknown},
      {VDJA::Driver, ClassA, 7, kManikinStandardUnknown},
      {VDJA::Driver, ClassA, 3, kManikinStandardUnknown},
      {VDJA::Driver, ClassA, -1, kManikinStandardUnknown},
      // The same manikin with members only commits.
      {VDJA::Driver, ClassA, SAEJ826Jul1995, 0},
  };
  EXPECT_EQ(kManikinPositionUnknown, 3770441);
  EXPECT_EQ(kManikinClassificationUnknown, 3770442);
  EXPECT_EQ(kManikinStandardUnknown, 3770443);
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.position) + " " + std::to_string(row.classification) + " " +
                 std::to_string(row.standard));
    ManikinBuilder* m = Driver(J826Type95thPercentile);
    m->SetPosition(static_cast<JA_MANIKIN_BUILDER_PositionType>(row.position));
    m->SetClassification(static_cast<JA_MANIKIN_BUILDER_ClassificationType>(row.classification));
    m->SetStandard(static_cast<JA_MANIKIN_BUILDER_StandardType>(row.standard));
    tag_t object = 0;
    EXPECT_EQ(Script::Builder_Commit(m, &object), row.status);
    EXPECT_EQ(Rules(part()).size(), row.status == 0 ? 1u : 0u);
    EXPECT_EQ(object != 0, row.status == 0);
  }
}

TEST_F(ManikinCommit, ASizeNameAndFileHoldingADoubleQuoteCommitAndReadBackTheSame) {
  ManikinBuilder* m = Driver(J826Type95thPercentile);
  m->SetCurrentManikinSize(UString("5'8\" driver"));
  m->SetOpenFromFile(UString("C:\\sizes\\\"tall\".hsd"));
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(m->commit_feature(&frec), 0);
  ASSERT_NE(frec, nullptr);
  auto p = Parameters(Rules(part())[0]);
  EXPECT_EQ(p["Percentage_usr"], "\"5'8\"\" driver\"");
  EXPECT_EQ(p["usr_def_file"], "\"C:\\sizes\\\"\"tall\"\".hsd\"");
  ManikinBuilder* again = Make(frec);
  EXPECT_EQ(again->GetCurrentManikinSize().utf8(), "5'8\" driver");
  EXPECT_EQ(again->GetOpenFromFile().utf8(), "C:\\sizes\\\"tall\".hsd");
}

TEST_F(ManikinCommit, DesignPointRequirementsByPercentileAndSource) {
  VD::SetDefaultsFileValue("VD_DP_PROJ_NAME", "Sedan");
  VD::SetDefaultsFileValue("VD_2DM_HIP_POINT_ANG_PROPERTY_NAME", "hip");
  VD::SetDefaultsFileValue("VD_2DM_SWC_ANG_PROPERTY_NAME", "swc");
  VD::SetDefaultsFileValue("VD_2DM_HEEL_ANG_PROPERTY_NAME", "heel");
  VD::SetDefaultsFileValue("VD_2DM_95_HEEL_SWC_DIS_PROPERTY_NAME", "dist95");
  VD::SetDefaultsFileValue("VD_2DM_50_HEEL_SWC_DIS_PROPERTY_NAME", "dist50");
  VD::SetDefaultsFileValue("VD_2DM_HIP_POINT_ANG_ID_REV", "idhip");
  VD::SetDefaultsFileValue("VD_2DM_SWC_ANG_ID_REV", "idswc");
  VD::SetDefaultsFileValue("VD_2DM_HEEL_POINT_ANG_ID_REV", "idheel");
  VD::SetDefaultsFileValue("VD_2DM_95_HEEL_SWC_DIS_ID_REV", "id95");
  VD::SetDefaultsFileValue("VD_2DM_50_HEEL_SWC_DIS_ID_REV", "id50");
  // Every criterion its own value, so that two read at each other's place show.
  const std::pair<const char*, double> criteria[] = {
      {"VD_2DM_CRT_ANG_HIP_POINT_MIN", 1.0},       {"VD_2DM_CRT_ANG_HIP_POINT_MAX", 2.0},
      {"VD_2DM_CRT_ANG_SWC_MIN", 3.0},             {"VD_2DM_CRT_ANG_SWC_MAX", 4.0},
      {"VD_2DM_CRT_ANG_HEEL_MIN", 5.0},            {"VD_2DM_CRT_ANG_HEEL_MAX", 6.0},
      {"VD_2DM_CRT_95_DIS_HEEL_SWC_MIN_MU", 7.0},  {"VD_2DM_CRT_95_DIS_HEEL_SWC_MAX_MU", 700.0},
      {"VD_2DM_CRT_50_DIS_HEEL_SWC_MIN_MU", 10.0}, {"VD_2DM_CRT_50_DIS_HEEL_SWC_MAX_MU", 11.0},
      {"VD_2DM_CRT_95_DIS_HEEL_SWC_MIN_EU", 12.0}, {"VD_2DM_CRT_50_DIS_HEEL_SWC_MAX_EU", 13.0}};
  for (const auto& [name, value] : criteria) Host::SetCustomerDefault(name, value);
  struct Row {
    JA_MANIKIN_BUILDER_SAEPercentileType percentile;
    int type;
    const char* checker;
    std::vector<std::pair<std::string, std::string>> pairs;  // what follows "add_validation_checker?"
  };
  const Row rows[] = {
      {J826Type10thPercentile, 1, "FALSE", {}},
      {J826Type95thPercentile, 1, "TRUE",
       {{"DP_Required_Source_Type", "1"}, {"DP_Required_Project_Name", "\"Sedan\""},
        {"DP_Required_Property_Names", "{\"hip\", \"swc\", \"heel\", \"dist95\"}"}}},
      {J826Type50thPercentile, 0, "TRUE",
       {{"DP_Required_Source_Type", "0"},
        {"DP_Required_Data", "{1.000000, 2.000000, 3.000000, 4.000000, 5.000000, 6.000000, 10.000000, 11.000000}"}}},
      {J826Type95thPercentile, 0, "TRUE",
       {{"DP_Required_Source_Type", "0"},
        {"DP_Required_Data", "{1.000000, 2.000000, 3.000000, 4.000000, 5.000000, 6.000000, 7.000000, 700.000000}"}}},
      {J826Type95thPercentile, 4, "TRUE", {{"DP_Required_Source_Type", "4"}}},
      // Data-management identifiers (with its connection active), each from its own name.
      {J826Type50thPercentile, 5, "TRUE",
       {{"DP_Required_Source_Type", "5"},
        {"DP_Required_Data", "{1.000000, 2.000000, 3.000000, 4.000000, 5.000000, 6.000000, 10.000000, 11.000000}"},
        {"DP_Required_VR_Ids", "{\"idhip\", \"idswc\", \"idheel\", \"id50\"}"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.percentile) + " " + std::to_string(row.type));
    Validation::SetSourceType("VD_REQUIREMENT_SETTING_DPC_TYPE_UNX", row.type);
    Host::SetAnswer("RTENV_ask_qdmanager_active", row.type == 5 ? 1 : 0);
    ManikinBuilder* m = Driver(row.percentile);
    m->SetDrivingPostureCheck(true);
    EXPECT_EQ(m->commit_feature(nullptr), 0);
    const KF_rule_instance* rule = nullptr;
    for (auto* one : Rules(part()))
      if (m->GetCurrentManikinRuleName().utf8() == one->ask_name()) rule = one;
    EXPECT_NE(rule, nullptr);
    if (rule == nullptr) continue;
    const auto names = rule->ParameterNames();
    const auto values = rule->ParameterValues();
    std::size_t at = 0;
    while (at < names.size() && names[at] != "add_validation_checker?") ++at;
    EXPECT_LT(at + row.pairs.size() + 1, names.size());
    if (at + row.pairs.size() + 1 >= names.size()) continue;
    EXPECT_EQ(values[at], row.checker) << rule->ask_name();
    for (const auto& [name, value] : row.pairs) {
      ++at;
      EXPECT_EQ(names[at], name) << rule->ask_name();
      EXPECT_EQ(values[at], value) << rule->ask_name();
    }
    EXPECT_EQ(names[at + 1], "L31_exp_v1") << rule->ask_name();
    // A driver has the steering wheel's four rows.
    EXPECT_EQ(Parameters(rule).count("H18_exp_v1"), 1u);
    EXPECT_EQ(Parameters(rule)["Percentage_acc"], std::to_string(row.percentile + 1));
  }
}

// A driver whose eleven posture values all differ: each reference names its
// own expression, and each new angle expression is made from its own angle.
TEST_F(ManikinCommit, EachDriverParameterNamesItsOwnExpression) {
  ManikinBuilder* m = Driver(J826Type50thPercentile);
  Set(m->GetSgRPLength(), 601);
  Set(m->GetSgRPWidth(), 370);
  Set(m->GetSgRPHeight(), 502);
  Set(m->GetAHPLength(), 111);
  Set(m->GetAHPHeight(), 251);
  Set(m->GetBackAngle(), 26);
  Set(m->GetPedalPlaneAngle(), 44);
  Set(m->GetAHPToSWCLength(), 512);
  Set(m->GetAHPToSWCHeight(), 489);
  Set(m->GetWheelDiameter(), 401);
  Set(m->GetWheelAngle(), 21);
  Host::ClearCalls();
  using Getter = EXP_expression* (ManikinBuilder::*)() const;
  const std::pair<const char*, Getter> references[] = {
      {"L31_exp_v1", &ManikinBuilder::GetSgRPLength},        {"W20_exp_v1", &ManikinBuilder::GetSgRPWidth},
      {"H70_exp_v1", &ManikinBuilder::GetSgRPHeight},        {"AHP_X_exp_v1", &ManikinBuilder::GetAHPLength},
      {"AHP_Z_exp_v1", &ManikinBuilder::GetAHPHeight},       {"L11_exp_v1", &ManikinBuilder::GetAHPToSWCLength},
      {"H17_exp_v1", &ManikinBuilder::GetAHPToSWCHeight},    {"W9_exp_v1", &ManikinBuilder::GetWheelDiameter}};
  std::vector<EXP_expression*> committed;
  for (const auto& [name, getter] : references) committed.push_back((m->*getter)());
  ASSERT_EQ(m->commit_feature(nullptr), 0);
  auto p = Parameters(Rules(part())[0]);
  EXPECT_EQ(p["Occ_Location"], "1");
  // The rule takes the builder's expressions; the builder goes on with copies.
  for (std::size_t i = 0; i < std::size(references); ++i) {
    const auto& [name, getter] = references[i];
    EXPECT_EQ(p[name], "tag(" + std::to_string(committed[i]->OmTag()) + ")") << name;
    EXPECT_NE((m->*getter)(), committed[i]) << name;
    EXPECT_STREQ((m->*getter)()->ask_text(), committed[i]->ask_text()) << name;
  }
  // The new angle expressions hold the builder's angles.
  const std::pair<const char*, double> angles[] = {
      {"L40_exp_v1", 26}, {"Theta_AHP_exp_v1", 44}, {"H18_exp_v1", 21}};
  for (const auto& [name, value] : angles) {
    SCOPED_TRACE(name);
    const std::string text = p[name];
    EXPECT_EQ(text.rfind("tag(", 0), 0u);
    const auto* made = text.size() > 5 ? dynamic_cast<const EXP_expression*>(
                                             OM::OM_object_of_tag(static_cast<tag_t>(std::stoul(text.substr(4)))))
                                       : nullptr;
    EXPECT_EQ(made == nullptr ? -1.0 : EXP_ask_value_of_exp(made), value);
  }
}

// A driver committed, read back, edited so that its class, percentile,
// options and every posture value change, committed and read back again.
TEST_F(ManikinCommit, AnEditOfEveryFieldIsReadBackFromTheRule) {
  struct Values {
    JA_MANIKIN_BUILDER_ClassificationType classification;
    JA_MANIKIN_BUILDER_SAEPercentileType percentile;
    bool allow, check;
    double posture[11];  // SgRP length, width, height, back, AHP length, height, pedal, SWC length, height, diameter, wheel angle
  };
  const Values made = {ClassB, J826Type95thPercentile, true, true,
                       {601, 370, 502, 16, 111, 251, 44, 512, 489, 501, 21}};
  const Values edited = {ClassA, J826Type50thPercentile, false, false,
                         {611, 380, 512, 26, 121, 261, 46, 522, 499, 401, 23}};
  auto posture = [](const ManikinBuilder* m) {
    return std::vector<EXP_expression*>{m->GetSgRPLength(),    m->GetSgRPWidth(),     m->GetSgRPHeight(),
                                        m->GetBackAngle(),     m->GetAHPLength(),     m->GetAHPHeight(),
                                        m->GetPedalPlaneAngle(), m->GetAHPToSWCLength(), m->GetAHPToSWCHeight(),
                                        m->GetWheelDiameter(), m->GetWheelAngle()};
  };
  auto fill = [&](ManikinBuilder* m, const Values& v) {
    m->SetClassification(v.classification);
    m->SetSAEPercentile(v.percentile);
    m->SetAllowPostureValueOutOfRange(v.allow);
    m->SetDrivingPostureCheck(v.check);
    const std::vector<EXP_expression*> e = posture(m);
    for (int i = 0; i < 11; ++i) Set(e[i], v.posture[i]);
  };
  auto check = [&](FEATURE_RECORD* frec, const Values& v) {
    ManikinBuilder* back = Make(frec);
    EXPECT_EQ(back->GetPosition(), KTX::VDJA::Driver);
    EXPECT_EQ(back->GetClassification(), v.classification);
    EXPECT_EQ(back->GetStandard(), SAEJ826Jul1995);
    EXPECT_EQ(back->GetSAEPercentile(), v.percentile);
    EXPECT_EQ(back->GetAllowPostureValueOutOfRange(), v.allow);
    EXPECT_EQ(back->GetDrivingPostureCheck(), v.check);
    const std::vector<EXP_expression*> e = posture(back);
    for (int i = 0; i < 11; ++i) EXPECT_DOUBLE_EQ(EXP_ask_value_of_exp(e[i]), v.posture[i]) << "posture " << i;
  };
  ManikinBuilder* m = Make();
  fill(m, made);
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(m->commit_feature(&frec), 0);
  ASSERT_NE(frec, nullptr);
  {
    SCOPED_TRACE("made");
    check(frec, made);
  }
  ManikinBuilder* edit = Make(frec);
  fill(edit, edited);
  ASSERT_EQ(edit->commit_feature(nullptr), 0);
  int manikins = 0;  // the same instance, rebuilt (its checker is an instance of its own)
  for (auto* r : Rules(part())) manikins += std::string(r->ask_rule_class()) == "%qd_vd_2dmanikin" ? 1 : 0;
  EXPECT_EQ(manikins, 1);
  {
    SCOPED_TRACE("edited");
    check(frec, edited);
  }
}

TEST_F(ManikinCommit, JointAngleCheckerOfCustomerDefaults) {
  const char* joints[] = {"BACK", "SHOULDER", "ELBOW", "HIP", "KNEE", "ANKLE", "HAND"};
  for (int i = 0; i < 7; ++i) {
    VD::SetDefaultsFileValue(std::string("VD_2DM_") + joints[i] + "_ANG_PROPERTY_NAME", std::string("p") + joints[i]);
    Host::SetCustomerDefault(std::string("VD_2DM_CRT_ANG_") + joints[i] + "_MIN", 10.0 * i);
    Host::SetCustomerDefault(std::string("VD_2DM_CRT_ANG_") + joints[i] + "_MAX", 10.0 * i + 5.5);
  }
  ManikinBuilder* m = Driver(J826Type10thPercentile);
  m->SetJointAngleReport(true);
  ASSERT_EQ(m->commit_feature(nullptr), 0);
  auto p = Parameters(Rules(part())[0]);
  EXPECT_EQ(p["Joint_Required_Source_Type"], "0");
  EXPECT_EQ(p["Joint_Required_Data"],
            "{0.000000, 5.500000, 10.000000, 15.500000, 20.000000, 25.500000, 30.000000, 35.500000, 40.000000, "
            "45.500000, 50.000000, 55.500000, 60.000000, 65.500000}");
  const auto& r = Validation::Recorded();
  ASSERT_EQ(r.plugins.size(), 1u);
  EXPECT_EQ(r.plugins[0].prefix, "root:VD_2DM1:");
  EXPECT_EQ(r.plugins[0].checkerName, "VD_2DM1_Joint_Angle");
  EXPECT_EQ(r.plugins[0].className, "Manikin_Joint_Angle");
  EXPECT_EQ(r.plugins[0].ruleClass, "%qd_vd_2dmanikin");
  EXPECT_EQ(r.plugins[0].dialog, "%edit_dialog");
  ASSERT_EQ(r.requirements.size(), 7u);
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(r.requirements[i].minimum, 10.0 * i);
    EXPECT_EQ(r.requirements[i].maximum, 10.0 * i + 5.5);
    EXPECT_EQ(std::string(r.requirements[i].maximumText), std::to_string(10.0 * i + 5.5));
  }
  ASSERT_EQ(r.evaluations.size(), 1u);
  EXPECT_EQ(r.evaluations[0].angleNames.front(), "Back_Angle");
  EXPECT_EQ(r.evaluations[0].angleNames.back(), "Hand_Angle");
  EXPECT_EQ(r.evaluations[0].expressionNames.front(), "VD_2DM1_Back_Angle_exp");
  ASSERT_EQ(r.log.size(), 3u);
  EXPECT_EQ(r.log[0].text, "This wizard helps you create a manikin joint angle. ");
  EXPECT_EQ(r.requirementsFreed, 7);
  unsigned int tag = 0;
  VD_find_validation_app_tag("VD_2DM1_Joint_Angle", "Manikin_Joint_Angle", &tag);
  EXPECT_NE(tag, 0u);
  VD_find_validation_app_tag("VD_2DM9_Joint_Angle", "Manikin_Joint_Angle", &tag);
  EXPECT_EQ(tag, 0u);
  VALIDATION_APPLICATION_checker_detail_t* detail = nullptr;
  VD_find_validation_app_object("VD_2DM1_Joint_Angle", "Manikin_Joint_Angle", &detail);
  ASSERT_NE(detail, nullptr);
  EXPECT_STREQ(detail->name, "VD_2DM1_Joint_Angle");
  VALIDATION_APPLICATION_free_app_memory(detail);
  EXPECT_EQ(Host::CallNames({"UNDO_QD_set_mark", "UNDO_QD_delete_mark"}),
            (std::vector<std::string>{"UNDO_QD_set_mark", "UNDO_QD_set_mark", "UNDO_QD_set_mark",
                                      "UNDO_QD_delete_mark"}));
}

TEST_F(ManikinCommit, JointSourcesOtherThanCustomerDefaults) {
  // Over-long texts are cut at their buffers: 132 characters, 255 for the account.
  VD::SetDefaultsFileValue("VD_DP_PROJ_NAME", std::string(300, 'p'));
  const char* const joints[] = {"BACK", "SHOULDER", "ELBOW", "HIP", "KNEE", "ANKLE", "HAND"};
  for (const char* joint : joints) {
    VD::SetDefaultsFileValue(std::string("VD_2DM_") + joint + "_ANG_PROPERTY_NAME", joint);
    VD::SetDefaultsFileValue(std::string("VD_2DM_") + joint + "_ANG_ID_REV", std::string("id") + joint);
  }
  setenv("QDEN_RQV_ACCOUNT", "ops:night", 1);
  // Each of the environment's names a value of its own, read before anything else reads them.
  setenv("QDEN_RQV_SERVER", "http://reports.test:8080/rqv", 1);
  setenv("QDEN_VD_JOINT_REQ_XML_FILE", "/req/joints.xml", 1);
  setenv("QDEN_VD_JOINT_REQ_SPREADSHEET_FILE", "/req/joints.xlsx", 1);
  VD_2DManikin_forget_requirement_environment();
  struct Row {
    int type;
    bool dataManagement;
    std::size_t plugins, requirements;
    int recordedType;
  };
  const Row rows[] = {{2, false, 1, 7, 2}, {4, false, 0, 0, -1}, {5, false, 1, 7, 0},
                      {3, false, 1, 7, 3}, {1, false, 1, 7, 1},  {5, true, 1, 7, 5}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.type);
    Validation::ClearRecord();
    Validation::SetSourceType("VD_REQUIREMENT_SETTING_MJA_TYPE_UNX", row.type);
    Host::SetAnswer("RTENV_ask_qdmanager_active", row.dataManagement ? 1 : 0);
    ManikinBuilder* m = Driver(J826Type10thPercentile);
    m->SetJointAngleReport(true);
    const int status = m->commit_feature(nullptr);
    EXPECT_EQ(status, 0);
    if (status != 0) continue;
    const auto& r = Validation::Recorded();
    EXPECT_EQ(r.plugins.size(), row.plugins) << row.type;
    EXPECT_EQ(r.requirements.size(), row.requirements) << row.type;
    if (row.recordedType >= 0) {
      EXPECT_EQ(r.requirements.at(0).sourceType, row.recordedType);
    }
    if (row.type == 4) {
      EXPECT_EQ(r.log.size(), 1u);
      if (r.log.size() == 1u) {
        EXPECT_EQ(r.log[0].text, "Error occurred during validation.");
        EXPECT_FALSE(r.log[0].withChecker);
      }
    }
    if (row.type == 2) {
      EXPECT_EQ(std::string(r.requirements[0].project), std::string(132, 'p'));
      EXPECT_STREQ(r.requirements[0].account, "ops");
      EXPECT_STREQ(r.requirements[0].accountPart, "night");
      EXPECT_EQ(r.requirements[0].flag, 1);
      EXPECT_STREQ(r.requirements[0].server, "http://reports.test:8080/rqv");
      setenv("QDEN_RQV_ACCOUNT", "day", 1);  // read once per process: no change
    }
    if (row.type == 1 || row.type == 3) {
      EXPECT_STREQ(r.requirements.at(0).file, row.type == 1 ? "/req/joints.xlsx" : "/req/joints.xml");
    }
    if (row.type == 5 && row.dataManagement) {
      for (std::size_t i = 0; i < 7 && i < r.requirements.size(); ++i)
        EXPECT_EQ(std::string(r.requirements[i].project), std::string("id") + joints[i]) << i;
    }
  }
  EXPECT_STREQ(VD_2DManikin_requirement_environment().account, "ops");
  setenv("QDEN_RQV_ACCOUNT", std::string(400, 'a').c_str(), 1);
  VD_2DManikin_forget_requirement_environment();
  EXPECT_EQ(std::string(VD_2DManikin_requirement_environment().account), std::string(255, 'a'));
  EXPECT_STREQ(VD_2DManikin_requirement_environment().accountPart, "");
  for (const char* name : {"QDEN_RQV_SERVER", "QDEN_VD_JOINT_REQ_XML_FILE", "QDEN_VD_JOINT_REQ_SPREADSHEET_FILE"})
    unsetenv(name);
  VD_2DManikin_forget_requirement_environment();
}

TEST_F(ManikinCommit, FailedBuildLeavesNothing) {
  struct Row {
    const char* answer;
    int status;
    bool severe;
  };
  const Row rows[] = {{"VD_create_expression_value_units.H18_exp_v1", 3772122, true},
                      {"VD_create_expression_value_units.L40_exp_v1", 3772123, true},
                      {"VD_KF_create_child_rule", 7, false},
                      {"VD_KF_create_child_rule.no_feature", kManikinRuleGaveNoFeature, false}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    Host::ClearAnswers();
    Host::ClearCalls();
    Error::ClearSevereErrors();
    Host::SetAnswer(row.answer, 7);
    ManikinBuilder* m = Driver(J826Type95thPercentile);
    const int objects = OM::OM_live_objects();
    FEATURE_RECORD* frec = nullptr;
    EXPECT_EQ(m->commit_feature(&frec), row.status) << row.answer;
    EXPECT_TRUE(Rules(part()).empty()) << row.answer;
    EXPECT_EQ(frec, nullptr);
    EXPECT_EQ(m->get_frec(), nullptr);
    EXPECT_EQ(m->GetCurrentManikinRuleName().utf8(), "") << row.answer;
    EXPECT_EQ(OM::OM_live_objects(), objects) << row.answer;
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0);
    EXPECT_EQ(Error::SevereErrors().size(), row.severe ? 1u : 0u) << row.answer;
    if (row.severe && Error::SevereErrors().size() == 1u) {
      EXPECT_EQ(Error::SevereErrors()[0].code, row.status);
      EXPECT_EQ(Error::SevereErrors()[0].closeMode, 0);
      EXPECT_EQ(Error::SevereErrors()[0].file, "VDJA_ManikinBuilder");
      // Set outer then inner; undone and deleted inner first.
      std::vector<std::string> names, args;
      for (const auto& call : Host::Calls())
        if (call.name == "UNDO_QD_set_mark" || call.name == "UNDO_QD_undo_to_mark_no_status" ||
            call.name == "UNDO_QD_delete_to_mark") {
          names.push_back(call.name);
          args.push_back(call.args);
        }
      EXPECT_EQ(names, (std::vector<std::string>{"UNDO_QD_set_mark", "UNDO_QD_set_mark", "UNDO_QD_undo_to_mark_no_status",
                                                 "UNDO_QD_delete_to_mark", "UNDO_QD_undo_to_mark_no_status",
                                                 "UNDO_QD_delete_to_mark"}));
      if (args.size() != 6u) continue;
      EXPECT_EQ(args[0], "1 Create 2D Manikin");
      EXPECT_EQ(args[1], "1 Create 2D manikin Child Rule");
      EXPECT_EQ(args[2], args[3]);
      EXPECT_EQ(args[4], args[5]);
      EXPECT_GT(std::stoi(args[2]), std::stoi(args[4]));
    }
  }
}

// A driver made with the design-point check on, then edited: after each
// commit it has the checker its options ask for, whatever the rule had (the
// old one goes before the rebuild, which makes one anew when asked), and the
// commit undone leaves the count it found.
TEST_F(ManikinCommit, EachCommitLeavesTheCheckerItsOptionsAskFor) {
  using Edit = void (*)(ManikinBuilder*);
  const Edit nothing = [](ManikinBuilder*) {};
  const Edit off = [](ManikinBuilder* m) { m->SetDrivingPostureCheck(false); };
  const Edit on = [](ManikinBuilder* m) { m->SetDrivingPostureCheck(true); };
  const Edit offAndOn = [](ManikinBuilder* m) { m->SetDrivingPostureCheck(false); m->SetDrivingPostureCheck(true); };
  const Edit passenger = [](ManikinBuilder* m) { m->SetPosition(Passenger); };
  struct Step {
    Edit edit;            // null: the driver made
    const char* failing;  // a call answering the status
    int status;
    std::size_t checkers;
  };
  struct Row {
    const char* what;
    std::vector<Step> edits;
  };
  const Row rows[] = {
      {"made with the check on", {}},
      {"edited, nothing changed", {{nothing, nullptr, 0, 1}}},
      {"check off and on in one edit, then off, then on",
       {{offAndOn, nullptr, 0, 1}, {off, nullptr, 0, 0}, {on, nullptr, 0, 1}}},
      {"check off", {{off, nullptr, 0, 0}}},
      {"made a passenger", {{passenger, nullptr, 0, 0}}},
      {"check off, the rebuild refused", {{off, "VD_KF_create_child_rule", 7, 1}}},
  };
  // The checker instances of the manikin: its children.
  const auto checkers = [this](const std::string& name) {
    std::size_t n = 0;
    for (const KF_rule_instance* r : Rules(part()))
      n += std::string(r->ask_parent()) == "root:" + name + ":" ? 1 : 0;
    return n;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<Step> steps = {{nullptr, nullptr, 0, 1}};
    steps.insert(steps.end(), row.edits.begin(), row.edits.end());
    FEATURE_RECORD* frec = nullptr;
    std::string name;
    for (std::size_t i = 0; i < steps.size(); ++i) {
      SCOPED_TRACE("commit " + std::to_string(i + 1));
      const Step& step = steps[i];
      ManikinBuilder* m = step.edit != nullptr ? Make(frec) : Driver(J826Type95thPercentile);
      if (step.edit == nullptr) m->SetDrivingPostureCheck(true);
      else step.edit(m);
      const std::size_t before = name.empty() ? 0 : checkers(name);
      if (step.failing != nullptr) Host::SetAnswer(step.failing, step.status);
      const int mark = stamvik_test::UndoMark();
      Host::ClearCalls();
      FEATURE_RECORD* made = nullptr;
      EXPECT_EQ(m->commit_feature(&made), step.status);
      std::vector<std::string> calls = {"VD_KF_create_child_rule", "UPDATE_do_update"};
      if (before == 1) calls.insert(calls.begin(), {"KBL_delete_instance_rule", "UPDATE_do_update"});
      EXPECT_EQ(Host::CallNames({"VD_KF_create_child_rule", "KBL_delete_instance_rule", "UPDATE_do_update"}), calls);
      name = m->GetCurrentManikinRuleName().utf8();
      EXPECT_EQ(checkers(name), step.checkers);
      EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
      EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
      EXPECT_EQ(checkers(name), before);
      // Committed again after the undo, the same.
      EXPECT_EQ(m->commit_feature(&made), step.status);
      Host::ClearAnswers();
      if (step.edit == nullptr) frec = made;
      name = m->GetCurrentManikinRuleName().utf8();
      EXPECT_EQ(checkers(name), step.checkers);
      if (frec == nullptr) break;
    }
  }
}

}  // namespace

namespace {

// A passenger's rule has no steering wheel: edited into a driver, the rule
// gets expressions of its own for it, of the builder's values, and the
// builder keeps its copies (a value set through them later changes the
// rule only at a commit).
TEST_F(ManikinCommit, APassengerMadeADriverGetsSteeringWheelExpressionsOfItsOwn) {
  ManikinBuilder* m = Driver(J826Type95thPercentile);
  m->SetPosition(Passenger);
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(m->commit_feature(&frec), 0);
  ASSERT_NE(frec, nullptr);
  ManikinBuilder* edit = Make(frec);
  edit->SetPosition(VDJA::Driver);
  Set(edit->GetAHPToSWCLength(), 505);
  ASSERT_EQ(edit->commit_feature(nullptr), 0);
  for (const auto& [name, expression] : {std::pair{"L11_exp_v1", edit->GetAHPToSWCLength()},
                                         std::pair{"H17_exp_v1", edit->GetAHPToSWCHeight()},
                                         std::pair{"W9_exp_v1", edit->GetWheelDiameter()}}) {
    SCOPED_TRACE(name);
    tag_t tag = 0;
    ASSERT_EQ(VD_ask_kf_expression_tag(m->GetCurrentManikinRuleName().utf8().c_str(), name, &tag), 0);
    const auto* rules = dynamic_cast<const EXP_expression*>(OM::OM_object_of_tag(tag));
    ASSERT_NE(rules, nullptr);
    EXPECT_NE(rules, expression);
    EXPECT_STREQ(rules->ask_text(), expression->ask_text());
  }
  Set(edit->GetAHPToSWCLength(), 700);
  tag_t tag = 0;
  VD_ask_kf_expression_tag(m->GetCurrentManikinRuleName().utf8().c_str(), "L11_exp_v1", &tag);
  EXPECT_EQ(EXP_ask_value_of_exp(dynamic_cast<const EXP_expression*>(OM::OM_object_of_tag(tag))), 505);
}

}  // namespace
