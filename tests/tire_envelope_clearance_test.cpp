// The tire body made in its own part and placed at the wheel; the tire
// envelope's moving component placed at its markers, moved to the motion's
// first position, and checked for clearance along the motion.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "TestSupport.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "afl/TireEnvelope.hpp"
#include "assy/Assembly.hpp"
#include "clear/Clearance.hpp"
#include "exp/Expression.hpp"
#include "geom/Curve.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "sys/Error.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"
#include "vd/KnowledgeRule.hpp"
#include "vd/Motion.hpp"

using namespace KTX;
using namespace KTX::VDJA;
using stamvik_test::HostTest;

namespace {

class TireEnvelopeClearance : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
    wheelPart_ = PART_part::Create(0);
    Assy::NamePart(wheelPart_, "tire_body_wheel");
    ASSY_add_part_to_assembly(part(), wheelPart_, nullptr, "tire_body", -1, nullptr, 0, &instance_);
    motionFile_ = stamvik_test::ProcessScratch().Slashed() + "clearance_motion.txt";
  }
  void TearDown() override {
    tire_->destroy();
    wheelPart_->destroy();
    VD::ResetMotion();
    std::remove(motionFile_.c_str());
    HostTest::TearDown();
  }
  static void Set(EXP_expression* e, double value) { e->set(std::to_string(value).c_str(), value); }
  void Motion(const char* lines) {
    FILE* f = std::fopen(motionFile_.c_str(), "w");
    std::fputs(lines, f);
    std::fclose(f);
    tire_->SetMotionFile(motionFile_.c_str());
  }
  // A point of the wheel's part, named there.
  tag_t Marker(const char* name, const double at[3]) {
    PART_set_work_part(wheelPart_);
    const tag_t point = ES_create_point(at);
    PART_set_work_part(part());
    VD::NameObjectInPart(point, wheelPart_, name);
    return point;
  }
  // The tire defined by a solid body of the wheel's part, selected through the component.
  void SolidFromComponent() {
    const double a[3] = {0, 0, 0}, b[3] = {0, 1, 0};
    PART_set_work_part(wheelPart_);
    const tag_t body = ES_create_line_in_part(wheelPart_, a, b);
    PART_set_work_part(part());
    tire_->SetTireDefinition(SolidBody);
    tire_->GetTireDefinitionBody()->set_tags(1, std::vector<tag_t>{Assy::PlaceInComponent(instance_, body)}.data());
  }
  std::vector<double> Placement() const {
    const double* p = static_cast<ASSY_instance*>(OM::OM_object_of_tag(instance_))->ask_placement();
    return {p[3], p[7], p[11], p[0], p[4], p[8], p[1], p[5], p[9]};
  }

  TireEnvelopeBuilder* tire_ = nullptr;
  PART_part* wheelPart_ = nullptr;
  tag_t instance_ = 0;
  std::string motionFile_;
};

TEST_F(TireEnvelopeClearance, OwnBodyGoesToTheShiftedFirstPosition) {
  tire_->SetTireDefinition(ProfileCurves);
  tire_->SetMovingCompInstTag(instance_);
  Set(tire_->GetWheelCenterlineShift(), 15);
  // Only the first step counts; B is inboard here, so the shift runs from A's side.
  Motion("5.000000 720.000000 300.000000 5.000000 650.000000 300.000000\n1 2 3 4 5 6\n");
  EXPECT_EQ(tire_->RepositionMovingComponent(), 0);
  EXPECT_EQ(Placement(), (std::vector<double>{5, 665, 300, 1, 0, 0, 0, 1, 0}));
  // A motion file that is not one: its status, the component left where it was.
  Motion("5 720 300 5 650\n");
  EXPECT_EQ(tire_->RepositionMovingComponent(), -2);
  EXPECT_EQ(Placement(), (std::vector<double>{5, 665, 300, 1, 0, 0, 0, 1, 0}));
}

TEST_F(TireEnvelopeClearance, ComponentBodyTurnsItsMarkersOntoTheMotion) {
  SolidFromComponent();
  tire_->SetMovingCompInstTag(instance_);
  Set(tire_->GetWheelCenterlineShift(), 10);
  // The part's own axis runs along X; the motion's from (0, -500, 250) outboard to (0, -560, 250).
  const double wheel[3] = {100, 0, 0}, spindle[3] = {40, 0, 0};
  tire_->SetSpindleLineEndPoint(wheel, spindle);
  Motion("0 -500 250 0 -560 250\n");
  EXPECT_EQ(tire_->RepositionMovingComponent(), 0);
  const double* p = static_cast<ASSY_instance*>(OM::OM_object_of_tag(instance_))->ask_placement();
  const auto place = [p](const double v[3]) {
    return std::vector<double>{p[0] * v[0] + p[1] * v[1] + p[2] * v[2] + p[3],
                               p[4] * v[0] + p[5] * v[1] + p[6] * v[2] + p[7],
                               p[8] * v[0] + p[9] * v[1] + p[10] * v[2] + p[11]};
  };
  const std::vector<double> w = place(wheel), s = place(spindle);
  const std::vector<double> expectW{0, -570, 250}, expectS{0, -510, 250};
  for (int i = 0; i < 3; ++i) {
    EXPECT_NEAR(w[static_cast<std::size_t>(i)], expectW[static_cast<std::size_t>(i)], 1e-6) << i;
    EXPECT_NEAR(s[static_cast<std::size_t>(i)], expectS[static_cast<std::size_t>(i)], 1e-6) << i;
  }
}

TEST_F(TireEnvelopeClearance, ReassemblyPlacesByBothMarkersOnly) {
  const double at[3] = {1, 2, 3}, other[3] = {4, 5, 6};
  enum Kind { kNone, kPoint, kRefusedKind };  // the refused kind: an object of type 205
  struct Row {
    const char* name;
    Kind spindle, wheel;
    bool refuse, placedBefore;
    int loadFailure;  // the status a failed load of the component's part gives
    int status;
    int placements;
  };
  const Row rows[] = {
      {"no markers", kNone, kNone, false, false, 0, 3771715, 0},
      {"spindle marker only", kPoint, kNone, false, false, 0, 3771715, 0},
      {"wheel marker only", kNone, kPoint, false, false, 0, 3771715, 0},
      {"both markers", kPoint, kPoint, false, false, 0, 0, 1},
      {"both markers, placed before", kPoint, kPoint, false, true, 0, 0, 0},
      {"host refuses", kPoint, kPoint, true, false, 0, 3771717, 1},
      {"both markers of the refused kind", kRefusedKind, kRefusedKind, false, false, 0, 3771716, 0},
      {"spindle marker of the refused kind", kRefusedKind, kPoint, false, false, 0, 3771715, 0},
      {"component's part fails to load", kPoint, kPoint, false, false, 641044, 641044, 0},
  };
  const auto marker = [&](Kind kind, const char* name, const double point[3]) {
    if (kind == kPoint) Marker(name, point);
    if (kind == kRefusedKind) VD::NameObjectInPart(FEATURE_RECORD::Create(wheelPart_, nullptr)->OmTag(), wheelPart_, name);
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TearDown();
    SetUp();
    SolidFromComponent();
    Motion("0 -500 250 0 -560 250\n");
    marker(r.spindle, "SPINDLE_POINT", other);
    marker(r.wheel, "WHEEL_POINT", at);
    if (r.loadFailure != 0) {
      Host::SetAnswer("PART_is_part_loaded_tol", 0);
      Host::SetAnswer("PART_load_component.status", r.loadFailure);
    }
    if (r.refuse) Host::SetAnswer("TIREENV_reassemble_origin_tirebody_component", 5);
    if (r.placedBefore) tire_->SetMovingCompInstTag(instance_);
    Host::ClearCalls();
    EXPECT_EQ(tire_->ReassemTireBodyComponent(), r.status);
    EXPECT_EQ(static_cast<int>(Host::CountCalls("TIREENV_reassemble_origin_tirebody_component")), r.placements);
    EXPECT_EQ(tire_->GetMovingCompInstTag(), r.status == 0 || r.placedBefore ? instance_ : 0);
    // Repositioning runs whatever the markers said.
    EXPECT_EQ(Host::CountCalls("TIREENV_read_spindle_file"), 1u);
    double wheel[3], spindle[3];
    tire_->GetSpindleLineEndPoint(wheel, spindle);
    const bool stored = r.spindle == kPoint && r.wheel == kPoint;
    EXPECT_EQ(std::vector<double>(wheel, wheel + 3), stored ? std::vector<double>(at, at + 3) : std::vector<double>(3, 0));
    EXPECT_EQ(std::vector<double>(spindle, spindle + 3),
              stored ? std::vector<double>(other, other + 3) : std::vector<double>(3, 0));
  }
  // A solid body of the work part itself: nothing to place, nothing moved.
  TearDown();
  SetUp();
  tire_->SetTireDefinition(SolidBody);
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  tire_->GetTireDefinitionBody()->set_tags(1, std::vector<tag_t>{ES_create_line_in_part(nullptr, a, b)}.data());
  Host::ClearCalls();
  EXPECT_EQ(tire_->ReassemTireBodyComponent(), 0);
  EXPECT_EQ(Host::CountCalls("TIREENV_read_spindle_file"), 0u);
  EXPECT_EQ(tire_->GetMovingCompInstTag(), 0u);
}

TEST_F(TireEnvelopeClearance, InteractiveRepositioningShowsTheCopiesOnceTheyAreAnalysed) {
  // With the tire body's data set the moving part is hidden and its copy
  // shown; without it nothing is hidden.
  for (const bool analysed : {true, false}) {
    SCOPED_TRACE(analysed ? "analysed" : "not analysed");
    TearDown();
    SetUp();
    tire_->set_mode(1);
    tire_->SetTireDefinition(ProfileCurves);
    tire_->SetMovingCompInstTag(instance_);
    Motion("0 -500 250 0 -560 250\n");
    tag_t copy = 0, set = 0;
    ASSERT_EQ(ASSY_add_part_to_assembly(part(), wheelPart_, nullptr, "ROLL_MOVING_COMP_COPY_0", -1, nullptr, 0, &copy), 0);
    OCC_blank_component(copy, true, true, nullptr);
    if (analysed) {
      ASSERT_EQ(CLEAR_create_displaced_dataset(part(), "TIRE_BODY", &set), 0);
    }
    EXPECT_EQ(tire_->RepositionMovingComponent(), 0);
    EXPECT_EQ(static_cast<ASSY_instance*>(OM::OM_object_of_tag(instance_))->is_blanked(), analysed);
    EXPECT_EQ(static_cast<ASSY_instance*>(OM::OM_object_of_tag(copy))->is_blanked(), !analysed);
  }
}

TEST_F(TireEnvelopeClearance, NothingSelectedLeavesTheDataSets) {
  tag_t kept = 0;
  ASSERT_EQ(CLEAR_create_dataset(part(), "TIRE_ENVELOPE", &kept), 0);
  tire_->SetCreateTireEnvelopeFeature(true);
  EXPECT_EQ(tire_->PerformCleranceAnalysis(), 0);
  EXPECT_NE(Clearance::Dataset(kept), nullptr);
  EXPECT_EQ(Host::CountCalls("CLEAR_delete_dataset"), 0u);
}

TEST_F(TireEnvelopeClearance, NothingToCheckIsNoted) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  const tag_t body = ES_create_line_in_part(nullptr, b, a);
  struct Row {
    const char* name;
    bool createEnvelope, envelopeBody;
    const char* note;  // null: none
  } rows[] = {
      {"envelope not committed, no tire body", true, false,
       "The clearance analysis checked nothing: the tire envelope has no body, and no tire body component is placed "
       "to move"},
      {"no envelope asked for, no tire body", false, false,
       "The clearance analysis checked nothing: no tire envelope is made, and no tire body component is placed to "
       "move"},
      {"envelope checked, no tire body", true, true, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    tire_->SetCreateTireEnvelopeFeature(r.createEnvelope);
    tire_->SetTireEnvelopeBody(r.envelopeBody ? ES_create_line_in_part(nullptr, a, b) : 0);
    tire_->GetClearanceAnalysisBodies()->set_tags(1, &body);
    Error::ClearNotes();
    EXPECT_EQ(tire_->PerformCleranceAnalysis(), 0);
    EXPECT_EQ(Error::Notes(), r.note != nullptr ? std::vector<std::string>{r.note} : std::vector<std::string>{});
  }
}

TEST_F(TireEnvelopeClearance, EnvelopeAndTireBodyAnalysed) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  const tag_t envelope = ES_create_line_in_part(nullptr, a, b);
  const tag_t body = ES_create_line_in_part(nullptr, b, a);
  PART_part* others[2] = {PART_part::Create(0), PART_part::Create(0)};
  tag_t components[2] = {0, 0};
  for (int i = 0; i < 2; ++i)
    ASSY_add_part_to_assembly(part(), others[i], nullptr, i == 0 ? "frame" : "arm", -1, nullptr, 0, &components[i]);
  tire_->SetCreateTireEnvelopeFeature(true);
  tire_->SetTireEnvelopeBody(envelope);
  tire_->SetTireDefinition(ProfileCurves);
  tire_->SetMovingCompInstTag(instance_);
  tire_->GetClearanceAnalysisBodies()->set_tags(1, &body);
  tire_->GetClearanceAnalysisComponents()->set_tags(2, components);
  tire_->SetCompOffset(0, 7.5);
  Set(tire_->GetClearanceValue(), 20);
  Motion("0 -500 250 0 -560 250\n");
  tag_t stale = 0;
  CLEAR_create_displaced_dataset(part(), "TIRE_BODY", &stale);

  Host::ClearCalls();
  EXPECT_EQ(tire_->PerformCleranceAnalysis(), 0);
  EXPECT_EQ(Clearance::Dataset(stale), nullptr);
  const CLEAR_dataset_record* env = Clearance::Dataset(Clearance::DatasetNamed(part(), "TIRE_ENVELOPE"));
  ASSERT_NE(env, nullptr);
  EXPECT_EQ(env->mode, 3);
  EXPECT_EQ(env->defaultZone, 20);
  EXPECT_EQ(env->lists[0], std::vector<tag_t>{envelope});
  EXPECT_EQ(env->lists[1], (std::vector<tag_t>{body, components[0], components[1]}));
  EXPECT_EQ(env->runs, 1);
  EXPECT_EQ(Host::CallNames({"CLEAR_store_callbacks", "CLEAR_reset_callbacks", "CLEAR_do_clearance_analysis",
                             "CLEAR_restore_callbacks"}),
            (std::vector<std::string>{"CLEAR_store_callbacks", "CLEAR_reset_callbacks", "CLEAR_do_clearance_analysis",
                                      "CLEAR_restore_callbacks"}));
  const CLEAR_dataset_record* tb = Clearance::Dataset(Clearance::DatasetNamed(part(), "TIRE_BODY"));
  ASSERT_NE(tb, nullptr);
  EXPECT_TRUE(tb->displaced);
  EXPECT_EQ(tb->configurations, motionFile_);
  EXPECT_EQ(tb->lists[0], std::vector<tag_t>{instance_});
  EXPECT_EQ(tb->lists[1], (std::vector<tag_t>{components[0], components[1]}));
  // The second component has no offset of its own: the default zone only.
  EXPECT_EQ(tb->zones, (std::map<tag_t, double>{{components[0], 7.5}}));
  const tag_t copy = OCC_ask_instance_of_name(PART_ask_occ_part_of_part(part()), "ROLL_MOVING_COMP_COPY_0");
  EXPECT_NE(copy, 0u);

  // Outside mode 0 the copies already there are used again.
  tire_->set_mode(1);
  EXPECT_EQ(tire_->PerformCleranceAnalysis(), 0);
  EXPECT_EQ(ASSY_ask_components(part()).size(), 4u);
  tire_->set_mode(0);
  for (PART_part* other : others) other->destroy();
}

// ---- the tire body ----------------------------------------------------------------

class TireBody : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    tire_ = TireEnvelopeBuilderFactory::Create(modelPart(), nullptr);
    tire_->set_mode(1);
    tire_->SetTireDefinition(ProfileCurves);
    tire_->SetRunClearanceAnalysis(true);
    bodyFile_ = stamvik_test::ProcessScratch().Slashed() + "tire_body.prt";
    tire_->SetTireBodyOutputFileName(bodyFile_.c_str());
    tire_->SetIsNewBodyFile(true);
    tire_->GetWheelCenterlineShift()->set("10", 10);
    trace_ = stamvik_test::ProcessScratch().Slashed() + "tire_body_trace.txt";
    design_ = stamvik_test::ProcessScratch().Slashed() + "tire_body_trace_design_position.txt";
    // The wheel's design position: the trace's first line.
    FILE* f = std::fopen(trace_.c_str(), "w");
    std::fputs("0 -560 250 0 -500 250\n0 -570 260 0 -510 260\n", f);
    std::fclose(f);
    tire_->SetMotion(SuspensionTemplate);
    tire_->SetMotionFile(trace_.c_str());
    // A tire of three profile points, mirrored: a section of four.
    tire_->SetMirrorProfile(true);
    const double profile[3][2] = {{0, 200}, {40, 230}, {80, 300}};
    Tire_s* area = tire_->WorkArea();
    area->profilePointCount = 3;
    for (int i = 0; i < 3; ++i) {
      area->profilePoints[i][0] = profile[i][0];
      area->profilePoints[i][1] = profile[i][1];
      area->profilePoints[i][2] = 0;
    }
  }
  void TearDown() override {
    tire_->destroy();
    VD::ResetMotion();
    std::remove(trace_.c_str());
    std::remove(design_.c_str());
    HostTest::TearDown();
  }
  std::vector<tag_t> Components() const { return ASSY_ask_components(part()); }
  std::vector<double> Placement(tag_t instance) const {
    const double* p = static_cast<ASSY_instance*>(OM::OM_object_of_tag(instance))->ask_placement();
    return {p[3], p[7], p[11], p[0], p[4], p[8], p[1], p[5], p[9]};
  }
  PART_part* BodyPart() const { return PART_ask_part_of_filename(bodyFile_.c_str()); }
  // The tire-body part's tire-body feature; 0 when it holds none.
  tag_t TireBodyFeature() const {
    int count = 0;
    tag_t* frecs = nullptr;
    FREC_ask_all_frecs_of_part(BodyPart()->ModelPart(), &count, &frecs);
    tag_t feature = 0;
    for (int i = 0; i < count; ++i)
      if (TireEnvelope_Is(static_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frecs[i]))) == 2) feature = frecs[i];
    SM_free(frecs);
    return feature;
  }

  TireEnvelopeBuilder* tire_ = nullptr;
  std::string bodyFile_, trace_, design_;
};

// The placement as the tire-body operation asks for it (the moving
// component's repositioning follows and may move it again).
std::vector<std::string> Placements() {
  std::vector<std::string> placed;
  for (const Host::Call& call : Host::Calls())
    if (call.name == "VD_ASSEM_add_part_to_assembly" || call.name == "VD_ASSEM_reposition_instance")
      placed.push_back(call.name.substr(9, 3) + call.args.substr(call.args.find(" at=")));
  return placed;
}

TEST_F(TireBody, PlacedAtTheShiftedDesignPositionOnceThenMoved) {
  ASSERT_EQ(tire_->ProcessTireBodyPart(), 0);
  const std::string at = " at=(0, -510, 250) x=(1, 0, 0) y=(0, 1, 0)";
  EXPECT_EQ(Placements(), (std::vector<std::string>{"add" + at, "rep" + at}));
  ASSERT_NE(BodyPart(), nullptr);
  ASSERT_EQ(Components().size(), 1u);
  const tag_t instance = Components()[0];
  EXPECT_EQ(tire_->GetMovingCompInstTag(), instance);
  EXPECT_EQ(Placement(instance), (std::vector<double>{0, -510, 250, 1, 0, 0, 0, 1, 0}));
  EXPECT_FALSE(tire_->GetIsNewBodyFile());
  EXPECT_EQ(CONTEXT_ask_work_part(), part());
  EXPECT_EQ(CONTEXT_ask_root_part(), part());
  // The feature stands in the tire-body part, made from the design position alone.
  int count = 0;
  tag_t* frecs = nullptr;
  FREC_ask_all_frecs_of_part(BodyPart()->ModelPart(), &count, &frecs);
  ASSERT_EQ(count, 1);
  auto* frec = static_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(frecs[0]));
  SM_free(frecs);
  EXPECT_EQ(TireEnvelope_Is(frec), 2);
  Tireenv_params_s* kept = TireEnvelope_ReadParms(frec);
  EXPECT_EQ(std::string(kept->motionFile), design_);
  EXPECT_EQ(kept->motionLineCount, 1);
  TireEnvelope_FreeApplData(&kept);

  // Again: the feature updated, the same component moved, nothing added.
  static_cast<ASSY_instance*>(OM::OM_object_of_tag(instance))->set_placement(std::vector<double>(16, 0.0).data());
  Host::ClearCalls();
  ASSERT_EQ(tire_->ProcessTireBodyPart(), 0);
  EXPECT_EQ(Components(), std::vector<tag_t>{instance});
  EXPECT_EQ(Placement(instance), (std::vector<double>{0, -510, 250, 1, 0, 0, 0, 1, 0}));
  EXPECT_EQ(Host::CountCalls("DIEENG_update_frec"), 1u);
  EXPECT_EQ(Host::CountCalls("DIEENG_create_frec"), 0u);
  EXPECT_EQ(Host::CountCalls("PART_save_no_components"), 0u);
  EXPECT_EQ(Placements(), (std::vector<std::string>{"rep" + at, "rep" + at}));

  // A tire-body part made again while its component stands: that component moves.
  tire_->SetIsNewBodyFile(true);
  Host::ClearCalls();
  ASSERT_EQ(tire_->ProcessTireBodyPart(), 0);
  EXPECT_EQ(Components(), std::vector<tag_t>{instance});
  EXPECT_EQ(Placements(), (std::vector<std::string>{"rep" + at, "rep" + at}));
}

TEST_F(TireBody, FailuresGiveTheirStatusAndLeaveTheSessionWhereItWas) {
  struct Row {
    const char* name;
    std::vector<int> otherPartCodes;  // failures the save reports on another part
    int workPartCode;                 // and one on the work part on entry (0: none)
    int processed;                    // the host's processing of the failures
    bool existingIsWorkPart;
    int updateFails;  // the tire body made first, its update then failing with this
    int status;
    const char* text;
    int profilePoints = 3;               // of the three the tire has
    const char* trace = nullptr;         // the motion file's text (empty: no file), when not the wheel's two lines
  };
  const Row rows[] = {
      {"unsaved component of another part passed over", {641091, 641100}, 0, 0, false, 0, 641100,
       "Unable to save tire body part."},
      {"unsaved component of the work part", {}, 641091, 0, false, 0, 641091, "Unable to save tire body part."},
      {"only passed-over failures", {641091}, 0, 0, false, 0, 0, nullptr},
      {"processing fails", {641100}, 0, -9, false, 0, 1020009, "Unable to save tire body part."},
      {"tire-body part is the work part", {}, 0, 0, true, 0, 3771737, ""},
      {"existing tire body not updated", {}, 0, 0, false, 3771794, 3771794, ""},
      {"no profile points", {}, 0, 0, false, 0, 3771761, "", 0},
      {"two profile points at one axial place, a section of two", {}, 0, 0, false, 0, 3771795, "", 2},
      {"motion without a spindle line", {}, 0, 0, false, 0, 3771798, "", 3, "0 -560 250\n"},
      {"no motion file", {}, 0, 0, false, 0, 3771762, "", 3, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TearDown();
    SetUp();
    PART_part* other = PART_part::Create(0);
    std::vector<std::pair<PART_part*, int>> failures;
    for (int code : r.otherPartCodes) failures.emplace_back(other, code);
    if (r.workPartCode != 0) failures.emplace_back(part(), r.workPartCode);
    VD::ScriptSaveFailures(failures);
    if (r.processed != 0) Host::SetAnswer("PART_process_save_failures", r.processed);
    if (r.existingIsWorkPart) {
      Assy::NamePart(part(), bodyFile_);
      tire_->SetIsNewBodyFile(false);
    }
    tire_->WorkArea()->profilePointCount = r.profilePoints;
    if (r.profilePoints == 2) tire_->WorkArea()->profilePoints[1][0] = 0;
    if (r.trace != nullptr && *r.trace == '\0') {
      std::remove(trace_.c_str());
    } else if (r.trace != nullptr) {
      FILE* f = std::fopen(trace_.c_str(), "w");
      std::fputs(r.trace, f);
      std::fclose(f);
    }
    const bool refused = r.profilePoints != 3 || r.trace != nullptr;
    tag_t tireBody = 0;
    std::size_t placed = 0;
    if (r.updateFails != 0) {
      ASSERT_EQ(tire_->ProcessTireBodyPart(), 0);
      tireBody = FREC_ask_body_eid_p(static_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(TireBodyFeature())));
      placed = Components().size();
      // An older tire-body rule, which a tire body made would take away.
      ASSERT_EQ(VD_KF_create_child_rule(OM::OM_ask_object_tag(BodyPart()), "root:", "%evt_tirebody",
                                        "%evt_tirebody_class", 0, nullptr, nullptr, nullptr),
                0);
      Host::ClearUpdateLogs();
      Host::SetAnswer("DIEENG_update_frec", r.updateFails);
      Host::ClearCalls();
    }
    Error::ClearSevereErrors();
    EXPECT_EQ(tire_->ProcessTireBodyPart(), r.status);
    EXPECT_EQ(CONTEXT_ask_work_part(), part());
    EXPECT_EQ(CONTEXT_ask_root_part(), part());
    EXPECT_EQ(Components().size(), r.status == 0 ? 1u : placed);
    // Refused inputs neither open nor make the tire-body part.
    if (refused) {
      EXPECT_EQ(BodyPart(), nullptr);
      EXPECT_TRUE(tire_->GetIsNewBodyFile());
    }
    if (r.updateFails != 0) {
      // The tire-body part keeps its feature and body; nothing moved or saved.
      const tag_t feature = TireBodyFeature();
      ASSERT_NE(feature, 0u);
      EXPECT_EQ(FREC_ask_body_eid_p(static_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature))), tireBody);
      EXPECT_EQ(Host::CountCalls("PART_save_no_components"), 0u);
      EXPECT_EQ(Host::CountCalls("VD_ASSEM_reposition_instance"), 0u);
      EXPECT_EQ(Host::CountCalls("UPDATE_log_entity_to_delete"), 1u);
      EXPECT_TRUE(Host::LoggedForDeletion().empty());
    }
    if (r.text != nullptr) {
      EXPECT_FALSE(Error::SevereErrors().empty());
      if (!Error::SevereErrors().empty()) {
        EXPECT_EQ(Error::SevereErrors().back().code, r.status);
        EXPECT_EQ(Error::SevereErrors().back().text, r.text);
        EXPECT_EQ(Error::SevereErrors().back().closeMode, 0);
      }
    }
    other->destroy();
  }
}

// A profile point on the spindle axis is refused whatever the distance
// tolerance, 0 and below it too (the tolerance's own refusal comes later in
// validation): by validation and by the tire-body step, which opens no part
// and never asks the modeller (no time spent in it).
TEST_F(TireBody, AProfilePointOnTheSpindleAxisIsRefusedWhateverTheTolerance) {
  struct Row {
    const char* name;
    const char* text;
    double tolerance;
  };
  const Row rows[] = {{"tolerance 0.5", "0.5", 0.5}, {"tolerance 0", "0", 0}, {"tolerance -1", "-1", -1}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    TearDown();
    SetUp();
    tire_->SetSectionLayer(1);
    tire_->SetSheetBodyLayer(1);
    tire_->SetProfileSplineLayer(1);
    tire_->SetSpindleLinesLayer(1);
    tire_->SetFirstDriverJointSteps(1);
    tire_->SetSecondDriverJointSteps(1);
    tire_->GetDistanceTolerance()->set(r.text, r.tolerance);
    tire_->WorkArea()->profilePoints[0][1] = 0;
    const double seconds = Kernel::GeometrySeconds();
    EXPECT_EQ(tire_->validate_nothrow(), 3771796);
    EXPECT_EQ(tire_->ProcessTireBodyPart(), 3771796);
    EXPECT_EQ(Kernel::GeometrySeconds(), seconds);
    EXPECT_EQ(BodyPart(), nullptr);
  }
}

TEST_F(TireBody, NoTireBodyPartPlacesNothing) {
  // Not in the interactive mode the part is neither opened nor made.
  tire_->set_mode(0);
  EXPECT_EQ(tire_->ProcessTireBodyPart(), 3771738);
  EXPECT_TRUE(Components().empty());
  EXPECT_EQ(tire_->GetMovingCompInstTag(), 0u);
  EXPECT_FALSE(tire_->GetIsNewBodyFile());
}

// The tire body's block, every number different, each at its own byte; the
// offset flag is the use-offset-file one, not the apply-offset one, and the
// mirror flag and rim diameter are the profile tire's own.
TEST_F(TireBody, EveryNumberOfTheBlockAtItsOwnByte) {
  tire_->SetSectionLayer(31);
  tire_->SetSheetBodyLayer(32);
  tire_->SetProfileSplineLayer(33);
  tire_->SetSpindleLinesLayer(34);
  tire_->SetEnvelopeConcavity(0.625);
  tire_->GetRadialStartAngle()->set("15", 15);
  tire_->GetRadialEndAngle()->set("150", 150);
  tire_->GetDistanceTolerance()->set("0.03", 0.03);
  tire_->GetTrimRadius()->set("7.5", 7.5);
  tire_->GetWheelRimDiameter()->set("431.8", 431.8);
  tire_->SetMirrorProfile(false);
  tire_->SetUseOffsetFile(true);
  tire_->SetApplyOffset(false);
  tag_t body = 0;
  double a[3], b[3];
  ASSERT_EQ(tire_->CreateTireBodyFeature(0, &body, a, b), 0);
  FEATURE_RECORD* frec = nullptr;
  for (tag_t kept : Host::KeptInPart(part()))
    if (auto* f = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(kept)); f != nullptr && TireEnvelope_Is(f) == 2)
      frec = f;
  ASSERT_NE(frec, nullptr);
  Tireenv_params_s* block = TireEnvelope_ReadParms(frec);
  ASSERT_NE(block, nullptr);
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(block);
  auto at = [&](int offset, auto zero) {
    decltype(zero) value;
    std::memcpy(&value, bytes + offset, sizeof value);
    return value;
  };
  const std::pair<int, std::int32_t> ints[] = {{53908, 1}, {53928, 2}, {53936, 31}, {53940, 32}, {53944, 33},
                                               {53948, 34}, {696, 1},   {3528, SuspensionTemplate}};
  for (const auto& [offset, value] : ints) EXPECT_EQ(at(offset, std::int32_t{}), value) << "byte " << offset;
  const std::pair<int, double> doubles[] = {{1912, 431.8}, {6592, 0.625}, {6600, 15}, {6608, 150}, {53912, 0.03},
                                            {53920, 7.5}};
  for (const auto& [offset, value] : doubles) EXPECT_EQ(at(offset, double{}), value) << "byte " << offset;
  const std::pair<int, std::uint8_t> flags[] = {{56, 1}, {1920, 0}, {6616, 1}};
  for (const auto& [offset, value] : flags) EXPECT_EQ(at(offset, std::uint8_t{}), value) << "byte " << offset;
  EXPECT_EQ(at(704, std::uint64_t{}), 0u);
  TireEnvelope_FreeApplData(&block);
  frec->destroy();

  // A solid-body tire keeps no rim diameter and always mirrors.
  tire_->SetTireDefinition(SolidBody);
  ASSERT_EQ(tire_->CreateTireBodyFeature(0, &body, a, b), 0);
  frec = nullptr;
  for (tag_t kept : Host::KeptInPart(part()))
    if (auto* f = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(kept)); f != nullptr && TireEnvelope_Is(f) == 2)
      frec = f;
  ASSERT_NE(frec, nullptr);
  block = TireEnvelope_ReadParms(frec);
  ASSERT_NE(block, nullptr);
  bytes = reinterpret_cast<const unsigned char*>(block);
  EXPECT_EQ(at(696, std::int32_t{}), 0);
  EXPECT_EQ(at(1912, double{}), 0.0);
  EXPECT_EQ(at(1920, std::uint8_t{}), 1);
  TireEnvelope_FreeApplData(&block);
}

TEST_F(TireBody, FeatureBlockAndTheOlderRule) {
  // The older rule's feature goes with the next update.
  ASSERT_EQ(VD_KF_create_child_rule(OM::OM_ask_object_tag(part()), "root:", "%evt_tirebody", "%evt_tirebody_class", 0,
                                    nullptr, nullptr, nullptr),
            0);
  tag_t older = 0;
  VD_get_feature_tag_and_name("%evt_tirebody", &older, nullptr);
  ASSERT_NE(older, 0u);
  struct Row {
    bool useOffsetFile, applyOffset;
  };
  for (const Row r : {Row{true, false}, Row{false, true}}) {
    tire_->SetUseOffsetFile(r.useOffsetFile);
    tire_->SetApplyOffset(r.applyOffset);
    tag_t body = 0;
    double a[3], b[3];
    ASSERT_EQ(tire_->CreateTireBodyFeature(0, &body, a, b), 0);
    ASSERT_NE(body, 0u);
    EXPECT_EQ((std::vector<double>{a[0], a[1], a[2], b[0], b[1], b[2]}),
              (std::vector<double>{0, -500, 250, 0, -560, 250}));
    const std::vector<tag_t> deleted = Host::LoggedForDeletion();
    EXPECT_NE(std::find(deleted.begin(), deleted.end(), older), deleted.end());
    FEATURE_RECORD* frec = nullptr;
    for (tag_t kept : Host::KeptInPart(part()))
      if (auto* f = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(kept)); f != nullptr && TireEnvelope_Is(f) == 2)
        frec = f;
    ASSERT_NE(frec, nullptr);
    Tireenv_params_s* kept = TireEnvelope_ReadParms(frec);
    EXPECT_EQ(kept->tireBody, 1);
    EXPECT_EQ(kept->applyOffset, r.useOffsetFile ? 1 : 0);
    TireEnvelope_FreeApplData(&kept);
    frec->destroy();
  }
  // Searching finds the tire body and updates it: no body handed out.
  tag_t body = 0;
  double a[3], b[3];
  ASSERT_EQ(tire_->CreateTireBodyFeature(0, &body, a, b), 0);
  Host::ClearCalls();
  EXPECT_EQ(tire_->CreateTireBodyFeature(1, &body, a, b), 0);
  EXPECT_EQ(body, 0u);
  EXPECT_EQ(Host::CountCalls("DIEENG_update_frec"), 1u);
  EXPECT_EQ(Host::CountCalls("DIEENG_create_frec"), 0u);
}

}  // namespace
