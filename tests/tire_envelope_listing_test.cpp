// The tire envelope's listing: each case's whole listing against its golden
// text, and what the listing hands back.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "JamTestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "sys/Listing.hpp"
#include "vd/ManikinServices.hpp"
#include "vdja_tireenv_motion_util.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

class TireEnvelopeListing : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    Listing::Reset();
    VD::ClearDefaultsFile();
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
  }
  void TearDown() override {
    vdja_tireenv_motion_release_path(MotionRecordOf(tire_->WorkArea()));
    tire_->destroy();
    VD::ClearDefaultsFile();
    Listing::Reset();
    HostTest::TearDown();
  }

 public:
  static void Set(EXP_expression* e, double value) { e->set(std::to_string(value).c_str(), value); }
  void Path(std::initializer_list<std::pair<double, double>> points) {
    vdja_tireenv_motion_record_t* record = MotionRecordOf(tire_->WorkArea());
    vdja_tireenv_motion_release_path(record);
    record->pointCount = static_cast<int>(points.size());
    record->xValues = static_cast<double*>(SM_alloc(points.size() * sizeof(double)));
    record->yValues = static_cast<double*>(SM_alloc(points.size() * sizeof(double)));
    int i = 0;
    for (auto [x, y] : points) record->xValues[i] = x, record->yValues[i++] = y;
  }

 protected:
  TireEnvelopeBuilder* tire_ = nullptr;
};

struct ListingCase {
  const char* golden;
  std::function<void(TireEnvelopeListing&, TireEnvelopeBuilder*)> set;
};

TEST_F(TireEnvelopeListing, EachCaseListsAsItsGolden) {
  const ListingCase cases[] = {
      // Neither output: the defaults, the inputs header and the two switches only.
      {"listing_no_outputs.txt",
       [](TireEnvelopeListing&, TireEnvelopeBuilder* t) {
         for (auto [name, value] :
              {std::pair{"VD_TE_STANDARD_NAMES", "15 in , 16 in,17 in"}, {"VD_TE_STANDARD_SIZES_MU", "381,406,432"},
               {"VD_TE_STANDARD_SIZES_EU", "15,16,17"}, {"VD_TE_RADIAL_ANGSTART", "-90"},
               {"VD_TE_LAYER_OPTION", "7"}, {"VD_TE_TEMPLATE_GEOMETRY_LAYER", "201"},
               {"VD_TE_WHEEL_CSYS_LAYER", "two"}, {"VD_TE_SURFACE_LAYER", "210"},
               {"VD_TE_TRIM_DIST_SPINDLE_MU", "150.5"}, {"VD_TE_CONCAVITY_SENS", "0.25"}})
           VD::SetDefaultsFileValue(name, value);
         t->SetCreateTireEnvelopeFeature(false);
         t->SetRunClearanceAnalysis(false);
         t->SetTireDefinition(ProfileCurves);
       }},
      // Profile curves without standard names: "Custom" is the only rim; a
      // MacPherson template with its bar; graph 5 with the steering joint on Y;
      // the fixed sections' offsets.
      {"listing_template_graph5.txt",
       [](TireEnvelopeListing& f, TireEnvelopeBuilder* t) {
         t->SetCreateTireEnvelopeFeature(true);
         t->SetNumSessionNotes(2);
         t->SetNthValueInSessionNotes(0, UString("front left"));
         t->SetNthValueInSessionNotes(1, UString("second note"));
         for (auto set : {&TireEnvelopeBuilder::SetSheetBodyLayer, &TireEnvelopeBuilder::SetSectionLayer})
           (t->*set)(3);
         t->SetAddMasterComponentPart(true);
         t->SetMasterPartName("chassis");
         t->SetTireDefinition(ProfileCurves);
         t->SetRimDiameterOption(0);
         Set(t->GetWheelRimDiameter(), 406.4);
         Set(t->GetWheelCenterlineShift(), -12.5);
         t->SetMotion(SuspensionTemplate);
         t->SetSuspensionTemplate(MacPhersonStrut);
         t->SetUseStabilizerBar(true);
         t->SetDriverGraph(TwoDriversOneFixed);
         t->SetXtoY(false);
         t->SetSteeringJointName("J_RACK");
         t->SetJouceJointName("J_STRUTCENTER");
         t->SetFirstDriverJointLowerLimit(-30), t->SetFirstDriverJointUpperLimit(30), t->SetFirstDriverJointSteps(4);
         t->SetSecondDriverJointLowerLimit(-80), t->SetSecondDriverJointUpperLimit(100);
         t->SetSecondDriverJointSteps(6);
         t->SetFixedLocationPercentage(40);
         const double line[6] = {0, -660, 0, 0, -760.25, 0};
         std::copy(line, line + 6, MotionRecordOf(t->WorkArea())->spindleLine);
         f.Path({{-30, 20}, {30, 99}});
         Set(t->GetDistanceTolerance(), 0.5);
         Set(t->GetRadialEndAngle(), 180);
         Set(t->GetTrimRadius(), 200);
         t->SetApplyOffset(true);
         Set(t->GetUpOffsetValue(), 6);
         Set(t->GetOutboardOffsetValue(), 12);
         t->InitializeEnvelopeOffset();
       }},
      // A solid body with its wheel system, clearance alone (no envelope
      // lines), a template index with no name, graph 3 with the steering joint on X.
      {"listing_solid_unknown_template.txt",
       [](TireEnvelopeListing&, TireEnvelopeBuilder* t) {
         t->SetRunClearanceAnalysis(true);
         t->SetTireDefinition(SolidBody);
         const double origin[3] = {10, -700, 300}, matrix[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
         t->SetWheelCsys(ES_create_csys(origin, matrix));
         t->SetMotion(SuspensionTemplate);
         t->SetSuspensionTemplate(static_cast<JA_TIRE_ENVELOPE_BUILDER_SuspensionTemplateType>(7));
         t->SetDriverGraph(TaperedOneSide);
         t->SetXtoY(true);
         t->SetSteeringJointName("J_STEER");
         t->SetJouceJointName("J_JAC_CENTER");
         t->SetFirstDriverJointLowerLimit(-20), t->SetFirstDriverJointUpperLimit(25), t->SetFirstDriverJointSteps(2);
         t->SetSecondDriverJointLowerLimit(-50), t->SetSecondDriverJointUpperLimit(60);
         t->SetSecondDriverJointSteps(3);
         t->SetTaperLocationAY(10), t->SetTaperLocationBX(90);
       }},
      // A sketch of another part under data management, standard rim names
      // cut at their commas, spindle lines, an offset file.
      {"listing_sketch_spindle_lines.txt",
       [](TireEnvelopeListing&, TireEnvelopeBuilder* t) {
         Host::SetAnswer("RTENV_ask_qdmanager_active", 1);
         VD::SetDefaultsFileValue("VD_TE_STANDARD_NAMES", "15 in ,16 in\t,17 in");
         t->SetCreateTireEnvelopeFeature(true);
         t->SetTireDefinition(SketchfromOtherPart);
         t->SetSketchPartName("rim_sketches");
         t->SetSketchName("SKETCH_002");
         t->SetRimDiameterOption(1);
         t->SetMirrorProfile(true);
         t->SetMotion(FromSpindleLines);
         const double a[3] = {0, -560, 250}, b[3] = {0, -500, 250}, c[3] = {5, -562, 262}, d[3] = {5, -502, 262};
         const tag_t design = ES_create_line_in_part(nullptr, a, b);
         t->GetDesignPositionSpindle()->set_selected_tag(design);
         t->SetSpindleEndPoint(ES_create_point(b));
         const tag_t lines[2] = {design, ES_create_line_in_part(nullptr, c, d)};
         t->GetSpindleLines()->set_tags(2, lines);
         t->SetApplyOffset(true);
         t->SetEnvelopeOffset(FromOffsetFile);
         t->SetOffsetFileName("offsets.txt");
       }},
  };
  for (const ListingCase& c : cases) {
    SCOPED_TRACE(c.golden);
    Listing::Reset();
    VD::ClearDefaultsFile();
    c.set(*this, tire_);
    tire_->DisplayInputInformation();
    EXPECT_EQ(Listing::Text(), stamvik_test::ReadFile(std::string(STAMVIK_TEST_DATA) + "/" + c.golden));
    TearDown();
    SetUp();
  }
}

// No golden lists a five-link axle: its shock driver's four lines, each value
// told apart from the others, in the order a user enters them.
TEST_F(TireEnvelopeListing, AFiveLinkAxleListsItsShockDriverInOrder) {
  for (const auto motion : {SuspensionTemplate, ExistingScenarioMotionModel}) {
    SCOPED_TRACE(motion);
    Listing::Reset();
    tire_->SetCreateTireEnvelopeFeature(true);
    tire_->SetMotion(motion);
    tire_->SetSuspensionTemplate(FiveLinkSolidAxlewithoutSteering);
    Set(tire_->GetRollAngle(), 1.5);
    tire_->SetJounceDistance(80.25);
    tire_->SetReboundDistance(-60.5);
    tire_->SetShockDriverJointSteps(7);
    tire_->DisplayInputInformation();
    const std::vector<std::string> lines = Listing::Lines();
    const auto roll = std::find(lines.begin(), lines.end(), "Roll Angle: 1.500000\n");
    if (roll == lines.end() || lines.end() - roll < 4) {
      ADD_FAILURE() << "no roll angle with three lines after it";
      continue;
    }
    EXPECT_EQ(roll[1], "Jounce: 80.250000\n");
    EXPECT_EQ(roll[2], "Rebound: -60.500000\n");
    EXPECT_EQ(roll[3], "Steps: 7\n");
  }
}

// The rim sizes and the spindle trim distance are listed from the settings
// of the work part's unit, millimetres or inches.
TEST_F(TireEnvelopeListing, TheWorkPartsUnitPicksItsOwnSettings) {
  for (auto [name, value] : {std::pair{"VD_TE_STANDARD_SIZES_MU", "381,406,432"}, {"VD_TE_STANDARD_SIZES_EU", "15,16,17"},
                             {"VD_TE_TRIM_DIST_SPINDLE_MU", "150.5"}, {"VD_TE_TRIM_DIST_SPINDLE_EU", "5.5"}})
    VD::SetDefaultsFileValue(name, value);
  struct Row {
    int unit;
    const char *sizes, *trim;
  };
  for (const Row& row : {Row{0, "VD_TE_STANDARD_SIZES_MU: 381,406,432\n", "VD_TE_TRIM_DIST_SPINDLE_MU: 150.500000\n"},
                         Row{1, "VD_TE_STANDARD_SIZES_EU: 15,16,17\n", "VD_TE_TRIM_DIST_SPINDLE_EU: 5.500000\n"}}) {
    SCOPED_TRACE(row.unit);
    PART_part* work = PART_part::Create(row.unit);
    PART_set_work_part(work);
    Listing::Reset();
    tire_->DisplayInputInformation();
    const std::vector<std::string> lines = Listing::Lines();
    for (const char* line : {row.sizes, row.trim})
      EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
    PART_set_work_part(part());
    work->destroy();
  }
}

TEST_F(TireEnvelopeListing, LinesKeepToTheirBuffersAndTheWindowOpensOnce) {
  VD::SetDefaultsFileValue("VD_TE_STANDARD_NAMES", std::string(300, 'n'));
  tire_->SetCreateTireEnvelopeFeature(true);
  tire_->SetApplyOffset(true);
  Tire_s* area = tire_->WorkArea();
  area->sectionCount = 1;
  area->sectionOffsetCounts[0] = 80;
  for (int k = 0; k < 80; ++k) area->sectionOffsets[0][k] = k;
  // The concavity setting missing: its lookup's status comes back.
  EXPECT_EQ(tire_->DisplayInputInformation(), 1);
  EXPECT_EQ(tire_->DisplayInputInformation(), 1);
  EXPECT_EQ(Listing::Opened(), 1);
  std::size_t longest = 0, offsetLine = 0;
  for (const std::string& line : Listing::Lines()) {
    if (line.rfind("          0.000000, 0.000000, 1.000000", 0) == 0) offsetLine = line.size();
    else longest = std::max(longest, line.size());
  }
  EXPECT_EQ(longest, 132u);
  EXPECT_EQ(offsetLine, 265u);
}

}  // namespace
