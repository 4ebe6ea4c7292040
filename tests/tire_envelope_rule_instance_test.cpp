// A tire envelope kept in the older form, a knowledge-rule instance linked to
// its feature record, opened for editing: the builder filled attribute by
// attribute.
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "TestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "clear/Clearance.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Settings.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

using Attributes = std::vector<std::pair<std::string, std::string>>;

class TireEnvelopeRuleInstance : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    folder_ = std::make_unique<stamvik_test::ScratchFolder>("tire_rule_");
    dir_ = folder_->Slashed();
    ::setenv("QDEN_TMP_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    if (tire_ != nullptr) tire_->destroy();
    tire_ = nullptr;
    ::unsetenv("QDEN_TMP_DIR");
    folder_.reset();
    HostTest::TearDown();
  }
  // An instance "TE_OLD" of the work part with those attributes, opened by a builder.
  TireEnvelopeBuilder* Open(const Attributes& attributes, PART_part* in = nullptr) {
    if (in == nullptr) in = part();
    std::vector<const char*> names, values;
    for (const auto& [name, value] : attributes) names.push_back(name.c_str()), values.push_back(value.c_str());
    EXPECT_EQ(VD_KF_create_child_rule(in->OmTag(), "root:", "TE_OLD", "%qd_tire_envelope",
                                      static_cast<int>(names.size()), names.data(), values.data(), nullptr),
              0);
    tag_t frec = 0;
    char* name = nullptr;
    VD_get_feature_tag_and_name("TE_OLD", &frec, &name);
    SM_free(name);
    tire_ = TireEnvelopeBuilderFactory::Create(in->ModelPart(),
                                               dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frec)));
    return tire_;
  }

  std::unique_ptr<stamvik_test::ScratchFolder> folder_;
  std::string dir_;
  TireEnvelopeBuilder* tire_ = nullptr;
};

TEST_F(TireEnvelopeRuleInstance, DriverGraphFromTheRulesNumber) {
  struct Case {
    const char* what;
    const char* graphNumber;
    int graph;
    int secondSteps;
    double taperY, taperX, fixed;  // the percentage lands in the graph's own field
  };
  const double standard = PMAN_ask_real("VD_TE_WHEEL_DRIVER_LOCATION_PERCENT");
  const Case cases[] = {
      {"graph 1, the first", "1", RectangularJounceRebound, 5, standard, standard, standard},
      {"graph 2 tapers Y", "2", RectangularTaperedY, 5, 40, standard, standard},
      {"graph 3 tapers X", "3", RectangularTaperedX, 5, standard, 40, standard},
      {"graph 6 fixes the second driver at the first's steps", "6", TwoDriversOneFixed, 3, standard, standard, 40},
      {"0 is no graph", "0", RectangularJounceRebound, 5, standard, standard, standard},
      {"7 is no graph", "7", RectangularJounceRebound, 5, standard, standard, standard},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    TireEnvelopeBuilder* tire =
        Open({{"evt_motion_group_motionoption", "1"}, {"evt_driver_step_graphno", c.graphNumber},
              {"evt_driver_step_steeringsteps", "3"}, {"evt_driver_step_joucesteps", "5"},
              {"evt_driver_step_steeringupper", "30"}, {"evt_driver_step_steeringlower", "-25"},
              {"evt_driver_step_jouceupper", "70"}, {"evt_driver_step_joucelower", "-80"},
              {"evt_driver_step_locpercent", "40"}});
    EXPECT_EQ(tire->GetDriverGraph(), c.graph);
    EXPECT_EQ(tire->GetFirstDriverJointSteps(), 3);
    EXPECT_EQ(tire->GetSecondDriverJointSteps(), c.secondSteps);
    EXPECT_EQ(tire->GetTaperLocationYAxis(), c.taperY);
    EXPECT_EQ(tire->GetTaperLocationXAxis(), c.taperX);
    EXPECT_EQ(tire->GetFixedLocationPercentage(), c.fixed);
    EXPECT_EQ(tire->GetFirstDriverJointUpperLimit(), 30);
    EXPECT_EQ(tire->GetFirstDriverJointLowerLimit(), -25);
    EXPECT_EQ(tire->GetSecondDriverJointUpperLimit(), 70);
    EXPECT_EQ(tire->GetSecondDriverJointLowerLimit(), -80);
    // First lower and upper, then second lower and upper.
    const vdja_tireenv_motion_record_t* record = MotionRecordOf(tire->WorkArea());
    EXPECT_EQ(std::vector<double>(record->limits, record->limits + 4), (std::vector<double>{-25, 30, -80, 70}));
  }
}

TEST_F(TireEnvelopeRuleInstance, MotionFileBlocks) {
  struct Case {
    const char* what;
    const char* count;  // "spindle_line_count", null for none
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"no count reads the one block", nullptr, {"1 2 3 4 5 6", "7 8 9 10 11 12"}},
      {"two blocks", "2", {"1 2 3 4 5 6", "7 8 9 10 11 12", "13 14 15 16 17 18"}},
      {"a count past the blocks stops at the first missing", "9",
       {"1 2 3 4 5 6", "7 8 9 10 11 12", "13 14 15 16 17 18"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TearDown();
    SetUp();
    Attributes rule = {{"evt_motion_group_motionoption", "3"},
                       {"spindle_file_data", R"({"1 2 3 4 5 6", "7 8 9 10 11 12"})"},
                       {"spindle_file_data_1", R"({"13 14 15 16 17 18"})"}};
    if (c.count != nullptr) rule.emplace_back("spindle_line_count", c.count);
    EXPECT_EQ(stamvik_test::FileLines(Open(rule)->GetMotionFile()), c.lines);
  }
}

TEST_F(TireEnvelopeRuleInstance, EnvelopeProfileAndMotion) {
  const double a[3] = {0, -650, 0}, b[3] = {0, -720, 10};
  const tag_t design = ES_create_line_in_part(nullptr, a, b);
  char* handle = OM::TAG_ask_handle_of_tag(design);
  const std::string designHandle = handle;
  SM_free(handle);
  std::string points = "{";
  for (int i = 0; i <= Tire_s::kMaxProfilePoints; ++i) points += (i > 0 ? ", {" : "{") + std::to_string(i) + ", 300}";
  points += "}";
  TireEnvelopeBuilder* tire = Open({{"tire_points", points},
                                    {"offvalues", "{{0, 10, 20}, {90, 5, 99999999999}}"},
                                    {"mirror_flag", "TRUE"},
                                    {"surface_layer", "7"},
                                    {"evt_obj_group_definition", "1"},
                                    {"rim_diameter", "431.8"},
                                    {"evt_motion_group_motionoption", "1"},
                                    {"evt_spinlines_step_spindle", '"' + designHandle + '"'},
                                    {"evt_spinlines_step_wheelend", "1"},
                                    {"evt_spinlines_step_spinlines", "{tag(" + std::to_string(design) + ")}"},
                                    {"radial_angstart", "1.23456789"},
                                    {"customer_offset", "TRUE"},
                                    {"evt_wel_group_clearancebrowser", "FALSE"}});
  const Tire_s* area = tire->WorkArea();
  // One past the room: the profile is cut to it.
  EXPECT_EQ(area->profilePointCount, Tire_s::kMaxProfilePoints);
  EXPECT_EQ(area->profilePoints[99][0], 99);
  EXPECT_EQ(area->sectionCount, 2);
  EXPECT_EQ(area->sectionOffsetCounts[0], 2);
  EXPECT_EQ(area->sectionOffsets[0][1], 20);
  EXPECT_EQ(area->sectionAngles[1], 90);
  EXPECT_EQ(area->sectionOffsets[1][1], 99999999999.0);  // whole, but beyond an integer
  EXPECT_EQ(tire->GetEnvelopeOffset(), CustomerDefinedData);
  EXPECT_EQ(tire->GetSheetBodyLayer(), 7);
  EXPECT_EQ(tire->GetSectionLayer(), 1);
  EXPECT_EQ(tire->GetSpindleLinesLayer(), 200);
  EXPECT_TRUE(tire->GetMirrorProfile());
  EXPECT_EQ(tire->GetTireDefinition(), ProfileCurves);
  EXPECT_NEAR(EXP_ask_value_of_exp(tire->GetWheelRimDiameter()), 431.8, 1e-12);
  EXPECT_NEAR(EXP_ask_value_of_exp(tire->GetRadialStartAngle()), 1.234568, 1e-12);
  EXPECT_EQ(EXP_ask_value_of_exp(tire->GetDistanceTolerance()), TOLER_ask_distance_tol());
  // The wheel end is the line's end: a point made there.
  EXPECT_EQ(tire->GetDesignPositionSpindle()->ask_selected_tag(), design);
  double at[3] = {0, 0, 0};
  ASSERT_NE(tire->GetSpindleEndPoint(), 0u);
  ES_ask_coordinates_of_point(tire->GetSpindleEndPoint(), at);
  EXPECT_EQ(at[2], 10);
  EXPECT_EQ(tire->GetSpindleLines()->ask_count(), 1);
}

TEST_F(TireEnvelopeRuleInstance, MacphersonHardPointsAndClearance) {
  for (const char* name : {"TIRE_BODY", "TIRE_ENVELOPE", "OTHER"}) {
    tag_t set = 0;
    CLEAR_create_dataset(part(), name, &set);
  }
  TireEnvelopeBuilder* tire = Open({{"evt_motion_group_motionoption", "3"},
                                    {"evt_motion_group_templatetype", "0"},
                                    {"evt_mac_susp_opposite_bushing", "point(1, 2, 3)"},
                                    {"evt_mac_susp_vector_mplane", "vector(0, 1, 0)"},
                                    {"evt_mac_susp_use_stabilizer_bar", "TRUE"},
                                    {"evt_mac_susp_symmetic_bushing", "FALSE"},
                                    {"evt_stabilizer_step_centerlinecurves", "{tag(7), tag(8)}"},
                                    {"evt_zone_step_zone_offset", "{2, 4.5}"}});
  const sMacpherson_Suspension& m = tire->WorkArea()->macpherson;
  EXPECT_EQ(m.oppositeBushing.z, 3);
  EXPECT_EQ(m.mirrorPlaneVector.y, 1);
  EXPECT_TRUE(tire->GetUseStabilizerBar());
  EXPECT_TRUE(tire->GetBushingJointAsymmetric());
  ASSERT_EQ(m.leftStabilizerBarCount, 2);
  EXPECT_EQ(m.leftStabilizerBar[1], 8u);
  EXPECT_EQ(tire->GetCompOffsetLength(), 2);
  EXPECT_EQ(tire->GetCompOffset(1), 4.5);
  // A millimetre part: a clearance of 20; the earlier tire data sets are gone.
  EXPECT_EQ(EXP_ask_value_of_exp(tire->GetClearanceValue()), 20);
  int count = 0;
  CLEAR_count_datasets(part(), &count);
  EXPECT_EQ(count, 1);
}

TEST_F(TireEnvelopeRuleInstance, ClearanceValueByUnit) {
  for (const auto& [unit, clearance] : {std::pair{0, 20.0}, std::pair{1, 1.0}}) {
    SCOPED_TRACE(unit);
    PART_part* work = PART_part::Create(unit);
    PART_set_work_part(work);
    EXPECT_EQ(EXP_ask_value_of_exp(Open({}, work)->GetClearanceValue()), clearance);
    tire_->destroy();
    tire_ = nullptr;
    PART_set_work_part(part());
    work->destroy();
  }
}

TEST_F(TireEnvelopeRuleInstance, RecordWithoutLinkLeavesTheBuilder) {
  FEATURE_RECORD* plain = FEATURE_RECORD::Create(part(), nullptr);
  tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), plain);
  EXPECT_EQ(tire_->GetSheetBodyLayer(), 0);
  EXPECT_EQ(Host::CountCalls("KLINK_ask_klink_of_object"), 1u);
  EXPECT_EQ(Host::CountCalls("IM_ask_instance_manager"), 0u);
}

// A rule that names no layer: each layer takes its own default, section 1,
// sheet body 101, profile spline 201, spindle lines 200.
TEST_F(TireEnvelopeRuleInstance, ARuleWithoutLayersTakesTheDefaultLayers) {
  TireEnvelopeBuilder* tire = Open({{"rim_diameter", "431.8"}});
  EXPECT_EQ(tire->GetSectionLayer(), 1);
  EXPECT_EQ(tire->GetSheetBodyLayer(), 101);
  EXPECT_EQ(tire->GetProfileSplineLayer(), 201);
  EXPECT_EQ(tire->GetSpindleLinesLayer(), 200);
}

// The four layers, all different from each other and from their defaults,
// and the flags against their defaults: each read from its own attribute.
TEST_F(TireEnvelopeRuleInstance, EachLayerAndFlagFromItsOwnAttribute) {
  TireEnvelopeBuilder* tire = Open({{"sec_1_layer", "11"},
                                    {"surface_layer", "12"},
                                    {"profile_layer", "13"},
                                    {"spindle_line_layer", "14"},
                                    {"evt_finish_step_outputlistwin", "TRUE"},
                                    {"evt_wel_group_motionenvelope", "FALSE"},
                                    {"evt_wel_group_clearancebrowser", "FALSE"},
                                    {"evt_obj_group_definition", "1"},
                                    {"rim_diameter", "431.8"},
                                    {"wheel_cl_offset", "3.5"},
                                    {"concav_sens", "0.75"}});
  EXPECT_EQ(tire->GetSectionLayer(), 11);
  EXPECT_EQ(tire->GetSheetBodyLayer(), 12);
  EXPECT_EQ(tire->GetProfileSplineLayer(), 13);
  EXPECT_EQ(tire->GetSpindleLinesLayer(), 14);
  EXPECT_TRUE(tire->GetDisplayInput());
  EXPECT_FALSE(tire->GetCreateTireEnvelopeFeature());
  EXPECT_FALSE(tire->GetRunClearanceAnalysis());
  EXPECT_NEAR(EXP_ask_value_of_exp(tire->GetWheelRimDiameter()), 431.8, 1e-12);
  EXPECT_NEAR(EXP_ask_value_of_exp(tire->GetWheelCenterlineShift()), 3.5, 1e-12);
  EXPECT_EQ(tire->GetEnvelopeConcavity(), 0.75);
}

}  // namespace
