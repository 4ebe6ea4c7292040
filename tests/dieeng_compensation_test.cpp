// Rough-data and springback compensation: what a new builder holds, what
// validation refuses, and what a commit leaves in the part and in the host's
// call log (marks, records, diagnostics), also when it fails.
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "HeldSelections.hpp"
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "RegistrationTestSupport.hpp"
#include "ja_exports.hpp"
#include "om/HostClass.hpp"
#include "JamTestSupport.hpp"
#include "ja_die_compensate_rough_data_builder_jam.hpp"
#include "ja_die_springback_compensation_builder_jam.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "afl/DieEngParms.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "modl/CurveBuilders.hpp"
#include "sys/Settings.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using namespace KTX::DieEngJA;

using Property::ValuePtr;
using stamvik_test::ExportsStartingWith;
using stamvik_test::JamCalls;
using stamvik_test::Prefixed;

namespace {

class Compensation : public stamvik_test::DieDesignFeature {
 protected:
  void SetUp() override {
    DieDesignFeature::SetUp();
    Kernel::SetSessionPrecision(1e-8, 1e-11);
    Kernel::SetScaleFactors(0.001, 1000);
    undoMarksBefore_ = OM::OM_ask_undo_mark_count();
    memoryMarksBefore_ = Memory::OpenMarks();
  }
  void TearDown() override {
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), undoMarksBefore_) << "undo marks left set";
    EXPECT_EQ(Memory::OpenMarks(), memoryMarksBefore_) << "memory marks left set";
    DieDesignFeature::TearDown();
  }

  // A model sheet body holding a new kernel body.
  tag_t Sheet(int* kernelBody = nullptr) { return ModelBody(Kernel::BodyType::Sheet, kernelBody); }

  CompensateRoughDataBuilder* NewRough(int type, double distance = 0.01, double angle = 0.5) {
    auto* b = CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
    b->SetIntType(type);
    b->SetDistanceTolerance(distance);
    b->SetAngleTolerance(angle);
    b->SetMaximumGap(5.0);
    return b;
  }

  // Committed through the host as Builder Commit does: validate, then commit.
  static int Commit(JAX_FEAT_BUILDER* builder, FEATURE_RECORD** made) {
    *made = builder->get_frec();
    if (int rc = builder->validate_nothrow(); rc != 0) return rc;
    return builder->commit_feature(made);
  }

  std::vector<FEATURE_RECORD*> Features() const {
    std::vector<FEATURE_RECORD*> out;
    for (tag_t t : Host::KeptInPart(part()))
      if (auto* f = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t))) out.push_back(f);
    return out;
  }

  static std::string CallArgs(const std::string& name) {
    std::string out;
    for (const Host::Call& c : Host::Calls())
      if (c.name == name) out += (out.empty() ? "" : "|") + c.args;
    return out;
  }

 private:
  int undoMarksBefore_ = 0;
  int memoryMarksBefore_ = 0;
};

// ---- rough data ----------------------------------------------------------------------

TEST_F(Compensation, ANewRoughDataSectionTakesTheHostsTolerancesNotTheBuildersZeros) {
  auto* b = CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
  double chaining = 0, distance = 0, angle = 0;
  ASSERT_NE(b->GetCurveCollector(), nullptr);
  b->GetCurveCollector()->ask_tolerances(&chaining, &distance, &angle);
  EXPECT_DOUBLE_EQ(chaining, 0.01);
  EXPECT_DOUBLE_EQ(distance, 0.01);
  EXPECT_DOUBLE_EQ(angle, 0.5);
  EXPECT_TRUE(b->GetCurveCollector()->ask_associative());
  EXPECT_NE(b->GetProjectToFaces(), nullptr);
  EXPECT_NE(b->GetSheetBodies(), nullptr);
  EXPECT_EQ(b->GetDistanceTolerance(), 0.0);
  b->destroy();
}

TEST_F(Compensation, RoughDataValidationRefusesInItsOrder) {
  struct Row {
    const char* what;
    int type;
    double distance, angle;
    bool curves, body;
    int want;
  };
  // Kernel precision 1e-8 x 1000 = 1e-5; the angle's is 1e-11; both + 1e-10.
  const Row rows[] = {
      {"distance well above", 1, 0.00002, 0.5, true, false, 0},
      {"distance just above the limit", 1, 1.00002e-5, 0.5, true, false, 0},
      {"distance just below the limit", 1, 1.00000e-5, 0.5, true, false, 3030447},
      {"distance below", 1, 0.000005, 0.5, true, false, 3030447},
      {"angle below", 1, 0.01, 1e-12, true, false, 3030448},
      {"angle just above its limit", 1, 0.01, 1.2e-10, true, false, 0},
      {"distance at the limit", 1, 1e-8 * 1000 + 1e-10, 0.5, true, false, 0},
      {"angle at its limit", 1, 0.01, 1e-11 + 1e-10, true, false, 0},
      {"angle just below its limit", 1, 0.01, 1.05e-10, true, false, 3030448},
      {"curve mode, empty section, a body", 1, 0.01, 0.5, false, true, 3030441},
      {"sheet mode, curves, no body", 0, 0.01, 0.5, true, false, 3030445},
      {"sheet mode, a body", 0, 0.01, 0.5, false, true, 0},
      // A type that names no member would validate as a sheet and commit as a
      // curve: it is refused first, whatever the inputs.
      {"an unknown type with curves", 5, 0.01, 0.5, true, false, 3030630},
      {"an unknown type with a body", 5, 0.01, 0.5, false, true, 3030630},
      {"one past the last type", 2, 0.01, 0.5, false, true, 3030630},
      {"a type below the first", -1, 0.01, 0.5, false, true, 3030630},
  };
  for (const Row& row : rows) {
    auto* b = NewRough(row.type, row.distance, row.angle);
    if (row.curves) ClosedLoop(b->GetCurveCollector());
    if (row.body) b->GetSheetBodies()->append(Sheet());
    EXPECT_EQ(b->validate_nothrow(), row.want) << row.what;
    b->destroy();
  }
}

TEST_F(Compensation, ACurveFeatureKeepsItsTypeAndReadsBackItsValues) {
  auto* b = NewRough(1);
  ClosedLoop(b->GetCurveCollector());
  b->SetJoinOutputCurves(true);
  b->SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Fine);
  SC_section* const given = b->GetCurveCollector();
  FEATURE_RECORD* made = nullptr;
  ASSERT_EQ(Commit(b, &made), 0);
  ASSERT_NE(made, nullptr);
  auto* parms = dynamic_cast<DieEng::CompensateRoughCurve*>(made->ask_parms());
  ASSERT_NE(parms, nullptr);
  // An empty projection collector hands over no projection.
  EXPECT_EQ(parms->GetProjectToFaces(), nullptr);
  // The feature takes the builder's section; the builder goes on with a copy.
  EXPECT_EQ(parms->GetCurveCollector(), given);
  EXPECT_NE(b->GetCurveCollector(), given);
  EXPECT_EQ(Stamvik::LoopsOf(b->GetCurveCollector()), Stamvik::LoopsOf(given));
  // Curve mode neither includes nor sets a version; it applies with the flag true.
  EXPECT_EQ(Host::CountCalls("CM_include_frec"), 0u);
  EXPECT_EQ(made->ask_version(), 0);
  EXPECT_TRUE(made->ask_applied());
  EXPECT_TRUE(made->ask_apply_flag());
  EXPECT_STREQ(made->ask_name(), ("CompensateRoughCurve(" + std::to_string(made->ask_tag()) + ")").c_str());
  SC_section* curves = given;
  b->destroy();
  // The section stays with the feature.
  EXPECT_EQ(parms->GetCurveCollector(), curves);

  auto* edit = CompensateRoughDataBuilderFactory::Create(modelPart(), made);
  EXPECT_EQ(edit->GetType(), JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve);
  EXPECT_TRUE(edit->GetJoinOutputCurves());
  EXPECT_EQ(edit->GetApproximation(), JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Fine);
  EXPECT_DOUBLE_EQ(edit->GetMaximumGap(), 5.0);
  // The edit works on a copy of the feature's section: its loop, another object.
  EXPECT_NE(edit->GetCurveCollector(), curves);
  EXPECT_EQ(Stamvik::LoopsOf(edit->GetCurveCollector()), Stamvik::LoopsOf(curves));
  // No projection stored: the builder gets a fresh empty collector.
  ASSERT_NE(edit->GetProjectToFaces(), nullptr);
  EXPECT_EQ(edit->GetProjectToFaces()->ask_count(), 0);

  EXPECT_EQ(RaisedCode([&] { edit->SetType(JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody); }), 3030446);
  edit->SetIntType(0);
  EXPECT_EQ(edit->GetIntType(), 0);
  EXPECT_EQ(edit->validate_nothrow(), 3030446);
  edit->SetIntType(1);
  edit->SetMaximumGap(0.5);
  Host::ClearCalls();
  FEATURE_RECORD* edited = nullptr;
  EXPECT_EQ(Commit(edit, &edited), 0);
  EXPECT_EQ(edited, made);
  EXPECT_DOUBLE_EQ(parms->GetMaximumGap(), 0.5);
  EXPECT_EQ(parms->GetCurveCollector(), curves);
  EXPECT_TRUE(UPDATE_is_object_logged(made));
  EXPECT_EQ(CallArgs("UNDO_QD_set_mark"), "1 DieEngJA::CompensateRoughDataBuilder::commit_feature");
  edit->destroy();
  Host::ClearUpdateLogs();
}

// An edit's projection faces reach the feature: into the collector it
// already holds (the same object), or as its first; an emptied one takes the
// projection away. The edit's builder let go, the feature keeps them.
TEST_F(Compensation, AnEditsProjectionFacesAreTheFeaturesAfterItsCommit) {
  struct Row {
    const char* what;
    int made;                  // faces the feature is made with (of a, b, c)
    std::vector<int> edited;   // the edit's faces, in place of the read-back ones
  };
  const Row rows[] = {
      {"one face replaced by two others", 1, {1, 2}},
      {"none, given one", 0, {2}},
      {"one, emptied", 1, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const tag_t faces[] = {ES_create_face(Sheet()), ES_create_face(Sheet()), ES_create_face(Sheet())};
    auto* b = NewRough(1);
    ClosedLoop(b->GetCurveCollector());
    for (int i = 0; i < row.made; ++i) b->GetProjectToFaces()->append(faces[i]);
    FEATURE_RECORD* made = nullptr;
    ASSERT_EQ(Commit(b, &made), 0);
    b->destroy();
    auto* parms = dynamic_cast<DieEng::CompensateRoughCurve*>(made->ask_parms());
    ASSERT_NE(parms, nullptr);
    const SC_collector* own = parms->GetProjectToFaces();
    auto* edit = CompensateRoughDataBuilderFactory::Create(modelPart(), made);
    std::vector<tag_t> want;
    for (int i : row.edited) want.push_back(faces[i]);
    edit->GetProjectToFaces()->set_tags(static_cast<int>(want.size()), want.data());
    FEATURE_RECORD* edited = nullptr;
    EXPECT_EQ(Commit(edit, &edited), 0);
    edit->destroy();
    const SC_collector* held = parms->GetProjectToFaces();
    if (want.empty()) {
      EXPECT_EQ(held, nullptr);
      continue;
    }
    ASSERT_NE(held, nullptr);
    if (own != nullptr) {
      EXPECT_EQ(held, own);
    }
    std::vector<tag_t> got;
    for (int i = 0; i < held->ask_count(); ++i) got.push_back(held->ask_nth(i));
    EXPECT_EQ(got, want);
    Host::ClearUpdateLogs();
  }
}

// A curve compensation's curve keeps within the smaller of its distance
// tolerance and its maximum gap (one not above 0 bounds nothing) of its
// input, a 12-gon of radius 50, both ways: at 0.01 no smoother curve does
// and the 12-gon comes back as it is; at 2, past the circle (1.7037 off the
// sides' middles), a smoother curve of more points does. A changed bound
// makes the curve again.
TEST_F(Compensation, ACurveCompensationKeepsWithinTheSmallerOfItsToleranceAndItsGap) {
  std::vector<double> gon;
  for (int k = 0; k <= 12; ++k) gon.insert(gon.end(), {50 * std::cos(M_PI * k / 6), 50 * std::sin(M_PI * k / 6), 0});
  // The same points, but for the last bits that the kernel's metres leave.
  auto same = [](const std::vector<double>& a, const std::vector<double>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
      if (std::fabs(a[i] - b[i]) > 1e-9) return false;
    return true;
  };
  struct Row {
    const char* what;
    double distance, gap;
    double bound;
    bool kept;  // the 12-gon comes back as it is
  };
  const Row rows[] = {
      {"tolerance 0.01, gap 5", 0.01, 5, 0.01, true},
      {"tolerance 5, gap 0.01", 5, 0.01, 0.01, true},
      {"tolerance 2, gap 2", 2, 2, 2, false},
      {"tolerance 2, gap 0", 2, 0, 2, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* b = NewRough(1, row.distance);
    b->SetMaximumGap(row.gap);
    const tag_t input = ES_create_polyline(13, gon.data());
    SC_input_data* rule = SC_init_input_data(SC_section::kCurveRule);
    rule->entities.push_back(input);
    ASSERT_EQ(b->GetCurveCollector()->add_rules(1, &SC_section::kCurveRule, &rule, 0, 0, 0, 0, true), 0);
    SC_free_input_data(rule);
    FEATURE_RECORD* made = nullptr;
    ASSERT_EQ(Commit(b, &made), 0);
    b->destroy();
    int count = 0;
    tag_t* curves = nullptr;
    ASSERT_EQ(FREC_collect_all_dcurve(made->ask_tag(), &count, &curves), 0);
    ASSERT_EQ(count, 1);
    const tag_t curve = curves[0];
    SM_free(curves);
    const std::vector<double> out = dynamic_cast<ES_curve*>(OM::OM_object_of_tag(curve))->ask_points();
    EXPECT_EQ(same(out, gon), row.kept);
    EXPECT_LE(stamvik_test::Farthest(out, gon, false, 0.005), row.bound);
    EXPECT_LE(stamvik_test::Farthest(gon, out, false, 0.005), row.bound);
    if (row.kept) continue;
    // A gap of 0.01 now: the curve made again, the 12-gon itself.
    dynamic_cast<DieEng::CompensateRoughCurve*>(made->ask_parms())->SetMaximumGap(0.01);
    ASSERT_EQ(FREC_collect_all_dcurve(made->ask_tag(), &count, &curves), 0);
    ASSERT_EQ(count, 1);
    EXPECT_NE(curves[0], curve);
    EXPECT_EQ(OM::OM_object_of_tag(curve), nullptr);
    EXPECT_TRUE(same(dynamic_cast<ES_curve*>(OM::OM_object_of_tag(curves[0]))->ask_points(), gon));
    SM_free(curves);
  }
}

TEST_F(Compensation, ASheetCommitKeepsOneInputSheetAsTheTargetAndDiagnosesMore) {
  for (int bodies : {1, 2}) {
    SCOPED_TRACE(bodies);
    auto* b = NewRough(0);
    b->SetModifyInputSheet(true);
    int firstKernel = 0;
    b->GetSheetBodies()->append(Sheet(&firstKernel));
    if (bodies == 2) b->GetSheetBodies()->append(Sheet());
    modelPart()->set_current_target(0);
    Host::ClearCalls();
    FEATURE_RECORD* made = nullptr;
    EXPECT_EQ(Commit(b, &made), 0);
    EXPECT_NE(made, nullptr);
    if (made == nullptr) {
      b->destroy();
      continue;
    }
    EXPECT_EQ(made->ask_version(), 2);
    EXPECT_TRUE(made->ask_included());
    EXPECT_TRUE(made->ask_applied());
    const bool apply = bodies != 1;
    EXPECT_EQ(made->ask_apply_flag(), apply);
    EXPECT_EQ(modelPart()->ask_current_target(), bodies == 1 ? firstKernel : 0);
    EXPECT_EQ(CallArgs("Diagnostic::LogDiagnostic"),
              bodies == 1 ? "" : "3030443 \"" + std::string(Error::MessageText(3030443)) + "\" display=0 owner=22 type=1");
    EXPECT_EQ(Host::CallNames({"UNDO_QD_set_mark", "CM_include_frec", "CM_apply_frec", "UPDATE_do_update",
                               "UNDO_QD_undo_to_mark", "UNDO_QD_delete_mark"}),
              (std::vector<std::string>{"UNDO_QD_set_mark", "CM_include_frec", "CM_apply_frec", "UPDATE_do_update",
                                        "UNDO_QD_delete_mark"}));
    // Read back: the bodies, through their references.
    auto* edit = CompensateRoughDataBuilderFactory::Create(modelPart(), made);
    EXPECT_EQ(edit->GetType(), JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
    EXPECT_EQ(edit->GetSheetBodies()->ask_count(), bodies);
    EXPECT_TRUE(edit->GetModifyInputSheet());
    edit->destroy();
    b->destroy();
  }
}

// A sheet feature edited so that every number, the flag and the bodies change
// is read back with the new ones only.
TEST_F(Compensation, ASheetEditChangingEverythingIsReadBackWithTheNewValues) {
  auto* b = NewRough(0, 0.03, 0.7);
  b->SetMaximumGap(2.5);
  b->SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Rough);
  const tag_t first = Sheet();
  b->GetSheetBodies()->append(first);
  FEATURE_RECORD* made = nullptr;
  ASSERT_EQ(Commit(b, &made), 0);
  ASSERT_NE(made, nullptr);
  b->destroy();

  auto* edit = CompensateRoughDataBuilderFactory::Create(modelPart(), made);
  edit->SetDistanceTolerance(0.04);
  edit->SetAngleTolerance(0.8);
  edit->SetMaximumGap(3.5);
  edit->SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Exact);
  edit->SetModifyInputSheet(true);
  const tag_t others[2] = {Sheet(), Sheet()};
  edit->GetSheetBodies()->set_tags(2, others);
  FEATURE_RECORD* edited = made;
  ASSERT_EQ(Commit(edit, &edited), 0);
  edit->destroy();

  auto* back = CompensateRoughDataBuilderFactory::Create(modelPart(), made);
  EXPECT_DOUBLE_EQ(back->GetDistanceTolerance(), 0.04);
  EXPECT_DOUBLE_EQ(back->GetAngleTolerance(), 0.8);
  EXPECT_DOUBLE_EQ(back->GetMaximumGap(), 3.5);
  EXPECT_EQ(back->GetApproximation(), JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Exact);
  EXPECT_TRUE(back->GetModifyInputSheet());
  int count = 0;
  tag_t* tags = nullptr;
  back->GetSheetBodies()->ask_tags(&count, &tags);
  EXPECT_EQ(std::vector<tag_t>(tags, tags + count), std::vector<tag_t>(others, others + 2));
  SM_free(tags);
  back->destroy();
  Host::ClearUpdateLogs();
}

TEST_F(Compensation, AFailedRoughDataCreateLeavesThePartAsItWas) {
  struct Row {
    const char* answer;
    int type;
    int want;
    bool modifyInputSheet = false;
  };
  const Row rows[] = {
      {"CM_apply_frec", 0, 7001},
      {"CM_apply_frec", 1, 7002},
      {"CM_include_frec", 0, 7003},
      {"BREF_holder::SetBodies", 0, 7004},
      {"CM_create_frec_using_parms", 1, 7005},
      // The one input sheet was made the part's target: the target goes back.
      {"CM_apply_frec", 0, 7006, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    auto* b = NewRough(row.type);
    ClosedLoop(b->GetCurveCollector());
    b->GetSheetBodies()->append(Sheet());
    b->SetModifyInputSheet(row.modifyInputSheet);
    modelPart()->set_current_target(0);
    const std::vector<tag_t> before = Host::KeptInPart(part());
    const int objects = OM::OM_live_objects();
    Host::SetAnswer(row.answer, row.want);
    FEATURE_RECORD* made = nullptr;
    EXPECT_EQ(Commit(b, &made), row.want);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(Host::KeptInPart(part()), before);
    EXPECT_EQ(OM::OM_live_objects(), objects);
    EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark"), 1u);
    EXPECT_EQ(modelPart()->ask_current_target(), 0);
    Host::ClearAnswers();
    Host::ClearCalls();
    b->destroy();
  }
}

TEST_F(Compensation, AFailedSpringbackCreateLeavesThePartAsItWas) {
  const std::pair<const char*, int> rows[] = {
      {"CM_apply_frec", 7101}, {"CM_include_frec", 7102}, {"CM_create_frec_using_parms", 7103}};
  for (const auto& [answer, code] : rows) {
    SCOPED_TRACE(answer);
    auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
    b->GetOneStep()->set_selected_tag(stamvik_test::RoughSheetFeature()->ask_tag());
    const std::vector<tag_t> before = Host::KeptInPart(part());
    const int objects = OM::OM_live_objects();
    Host::ClearCalls();
    Host::SetAnswer(answer, code);
    FEATURE_RECORD* made = nullptr;
    EXPECT_EQ(Commit(b, &made), code);
    EXPECT_EQ(made, nullptr);
    EXPECT_EQ(Host::KeptInPart(part()), before);
    EXPECT_EQ(OM::OM_live_objects(), objects);
    EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark"), 1u);
    EXPECT_EQ(Host::CountCalls("UNDO_QD_delete_mark"), 1u);
    Host::ClearAnswers();
    b->destroy();
  }
}

TEST_F(Compensation, AnUndoMarkThatCannotBeSetEndsTheCommitWithItsCode) {
  auto* rough = NewRough(1);
  ClosedLoop(rough->GetCurveCollector());
  auto* springback = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  Host::SetAnswer("UNDO_QD_set_mark.error", 9009);
  const std::vector<tag_t> before = Host::KeptInPart(part());
  FEATURE_RECORD* made = nullptr;
  EXPECT_EQ(rough->commit_feature(&made), 9009);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(springback->commit_feature(&made), 9009);
  EXPECT_EQ(made, nullptr);
  EXPECT_EQ(Host::KeptInPart(part()), before);
  ASSERT_EQ(Error::SevereErrors().size(), 2u);
  EXPECT_EQ(Error::SevereErrors()[0].line, 105);
  EXPECT_EQ(Error::SevereErrors()[1].line, 109);
  EXPECT_EQ(Error::SevereErrors()[0].text, "Failed to set undo mark = code 9009");
  rough->destroy();
  springback->destroy();
}

TEST_F(Compensation, ARecordOfAnotherFeatureIsNoRoughDataFeature) {
  auto* other = FEATURE_RECORD::Create(nullptr, DieEng::SpringbackCompensationFactory::Create());
  try {
    CompensateRoughDataBuilderFactory::Create(modelPart(), other);
    ADD_FAILURE() << "no error raised";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670156);
    EXPECT_EQ(e.text(), "Not a compensate rough data feature");
    EXPECT_EQ(e.line(), 373);
  }
}

// ---- springback ------------------------------------------------------------------------

// Every number of both modes differs from the others: each reaches its own
// field of the parameters and comes back from it.
TEST_F(Compensation, RoughDataNumbersHaveTheirOwnFieldsInBothModes) {
  auto* curve = NewRough(1, 0.03, 0.7);
  curve->SetMaximumGap(2.5);
  curve->SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Rough);
  curve->SetJoinOutputCurves(true);
  auto* curveParms = DieEng::CompensateRoughCurveFactory::Create();
  curve->ToCurveParms(curveParms);
  EXPECT_DOUBLE_EQ(curveParms->GetDistanceTolerance(), 0.03);
  EXPECT_DOUBLE_EQ(curveParms->GetAngleTolerance(), 0.7);
  EXPECT_DOUBLE_EQ(curveParms->GetMaximumGap(), 2.5);
  EXPECT_EQ(curveParms->GetApproximation(), 1);
  EXPECT_TRUE(curveParms->GetJoinOutputCurves());

  auto* sheet = NewRough(0, 0.04, 0.8);
  sheet->SetMaximumGap(3.5);
  sheet->SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Exact);
  sheet->SetModifyInputSheet(true);
  sheet->GetSheetBodies()->append(Sheet());
  auto* sheetParms = DieEng::CompensateRoughSheetFactory::Create();
  sheet->ToSheetParms(sheetParms);
  EXPECT_DOUBLE_EQ(sheetParms->GetDistanceTolerance(), 0.04);
  EXPECT_DOUBLE_EQ(sheetParms->GetAngleTolerance(), 0.8);
  EXPECT_DOUBLE_EQ(sheetParms->GetMaximumGap(), 3.5);
  EXPECT_EQ(sheetParms->GetApproximation(), 3);
  EXPECT_TRUE(sheetParms->GetModifyInputSheet());

  // Read into builders that hold other values of everything.
  auto* fromCurve = NewRough(0, 0.09, 0.9);
  fromCurve->SetIntApproximation(2);
  fromCurve->FromCurveParms(curveParms);
  EXPECT_EQ(fromCurve->GetIntType(), 1);
  EXPECT_DOUBLE_EQ(fromCurve->GetDistanceTolerance(), 0.03);
  EXPECT_DOUBLE_EQ(fromCurve->GetAngleTolerance(), 0.7);
  EXPECT_DOUBLE_EQ(fromCurve->GetMaximumGap(), 2.5);
  EXPECT_EQ(fromCurve->GetIntApproximation(), 1);
  EXPECT_TRUE(fromCurve->GetJoinOutputCurves());
  auto* fromSheet = NewRough(1, 0.09, 0.9);
  fromSheet->SetIntApproximation(2);
  fromSheet->FromSheetParms(sheetParms);
  EXPECT_EQ(fromSheet->GetIntType(), 0);
  EXPECT_DOUBLE_EQ(fromSheet->GetDistanceTolerance(), 0.04);
  EXPECT_DOUBLE_EQ(fromSheet->GetAngleTolerance(), 0.8);
  EXPECT_DOUBLE_EQ(fromSheet->GetMaximumGap(), 3.5);
  EXPECT_EQ(fromSheet->GetIntApproximation(), 3);
  EXPECT_TRUE(fromSheet->GetModifyInputSheet());
  EXPECT_EQ(fromSheet->GetSheetBodies()->ask_count(), 1);
  for (auto* b : {curve, sheet, fromCurve, fromSheet}) b->destroy();
}

TEST_F(Compensation, SpringbackValidationByMode) {
  struct Row {
    const char* what;
    int definedBy;
    int products, sprung;
    bool sheet, oneStep, sprungFacets;
    int want;
  };
  const Row rows[] = {
      {"points: 2 and 3, no sheet", 2, 2, 3, false, false, false, 3030511},
      {"points: 1 and 0", 2, 1, 0, true, false, false, 3030511},
      {"points: none of either", 2, 0, 0, true, false, false, 3030513},
      {"points: 0 and 3 need a sheet", 2, 0, 3, false, false, false, 690034},
      {"points: 0 and 3 with a sheet", 2, 0, 3, true, false, false, 0},
      {"points: 3 and 3 with a sheet", 2, 3, 3, true, false, false, 0},
      {"points: 1 and 1 with a sheet", 2, 1, 1, true, false, false, 0},
      {"points: 0 and 1 with a sheet", 2, 0, 1, true, false, false, 0},
      {"points: 1 and 2", 2, 1, 2, true, false, false, 3030511},
      {"one step: none selected", 0, 0, 0, true, false, true, 690034},
      {"one step: selected", 0, 0, 0, false, true, false, 0},
      {"faceted: no sprung facets", 1, 0, 0, true, false, false, 690034},
      {"faceted: both", 1, 0, 0, true, false, true, 0},
      {"defined by 5", 5, 3, 3, true, true, true, 670229},
  };
  for (const Row& row : rows) {
    auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
    b->SetDefinedBy(static_cast<JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType>(row.definedBy));
    b->SetProductPointCount(row.products);
    b->SetSprungPointCount(row.sprung);
    if (row.sheet) b->GetProductSheet()->set_selected_tag(Sheet());
    if (row.oneStep) b->GetOneStep()->set_selected_tag(stamvik_test::RoughSheetFeature()->ask_tag());
    if (row.sprungFacets) b->GetSprungFacets()->set_selected_tag(Sheet());
    EXPECT_EQ(b->validate_nothrow(), row.want) << row.what;
    b->destroy();
  }
}

// The numbers of the fit all differ, and each flag is set alone: each lands in
// its own field of the parameters and is read back into its own.
TEST_F(Compensation, SpringbackFieldsHaveTheirOwnPlacesAndComeBack) {
  using B = SpringbackCompensationBuilder;
  using P = DieEng::SpringbackCompensation;
  struct Flag {
    const char* what;
    void (B::*set)(bool);
    bool (B::*get)() const;
    bool (P::*stored)() const;
  };
  const Flag flags[] = {
      {"create facets", &B::SetCreateFacets, &B::GetCreateFacets, &P::GetCreateFacets},
      {"max deviation", &B::SetCalculateMaxDeviation, &B::GetCalculateMaxDeviation, &P::GetCalculateMaxDeviation},
      {"convexity", &B::SetConvexityEnabled, &B::GetConvexityEnabled, &P::GetConvexityEnabled},
      {"generic deform", &B::SetIsGenericDeform, &B::GetIsGenericDeform, &P::GetIsGenericDeform},
  };
  const tag_t vector = Sheet(), convexity = Sheet();
  for (const Flag& flag : flags) {
    SCOPED_TRACE(flag.what);
    auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
    b->SetDefinedBy(JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies);
    b->GetProductSheet()->set_selected_tag(Sheet());
    b->SetResultType(JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType_Sprung);
    b->SetShapeValue(0.25);
    b->SetDeformationFactor(1.75);
    b->SetSmoothingFactor(3e-9);
    b->SetStepSize(2.5);
    b->SetDistanceTolerance(0.03);
    b->SetAngleTolerance(0.7);
    b->SetDivisions(7);
    b->SetDrawVector(vector);
    b->SetConvexityDirection(convexity);
    (b->*flag.set)(true);
    auto* parms = DieEng::SpringbackCompensationFactory::Create();
    EXPECT_EQ(b->SetParms(parms), 0);
    b->destroy();
    EXPECT_EQ(parms->GetDefinedBy(), 1);
    EXPECT_EQ(parms->GetResultType(), 1);
    EXPECT_DOUBLE_EQ(parms->GetShapeValue(), 0.25);
    EXPECT_DOUBLE_EQ(parms->GetDeformationFactor(), 1.75);
    EXPECT_DOUBLE_EQ(parms->GetSmoothingFactor(), 3e-9);
    EXPECT_DOUBLE_EQ(parms->GetStepSize(), 2.5);
    EXPECT_DOUBLE_EQ(parms->GetDistanceTolerance(), 0.03);
    EXPECT_DOUBLE_EQ(parms->GetAngleTolerance(), 0.7);
    EXPECT_EQ(parms->GetDivisions(), 7);
    EXPECT_EQ(parms->GetDrawVector(), vector);
    EXPECT_EQ(parms->GetConvexityDirection(), convexity);
    for (const Flag& other : flags) EXPECT_EQ((parms->*other.stored)(), &other == &flag) << other.what;

    auto* read = SpringbackCompensationBuilderFactory::Create(modelPart(), FEATURE_RECORD::Create(nullptr, parms));
    EXPECT_EQ(read->GetDefinedBy(), JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies);
    EXPECT_EQ(read->GetResultType(), JA_SPRINGBACK_COMPENSATION_BUILDER_ResultSheetType_Sprung);
    EXPECT_DOUBLE_EQ(read->GetShapeValue(), 0.25);
    EXPECT_DOUBLE_EQ(read->GetDeformationFactor(), 1.75);
    EXPECT_DOUBLE_EQ(read->GetSmoothingFactor(), 3e-9);
    EXPECT_DOUBLE_EQ(read->GetStepSize(), 2.5);
    EXPECT_DOUBLE_EQ(read->GetDistanceTolerance(), 0.03);
    EXPECT_DOUBLE_EQ(read->GetAngleTolerance(), 0.7);
    EXPECT_EQ(read->GetDivisions(), 7);
    EXPECT_EQ(read->GetDrawVector(), vector);
    EXPECT_EQ(read->GetConvexityDirection(), convexity);
    for (const Flag& other : flags) EXPECT_EQ((read->*other.get)(), &other == &flag) << other.what;
    read->destroy();
  }
}

// The degree is a choice in the builder and the degree itself in the record.
TEST_F(Compensation, SpringbackDegreesMapBothWays) {
  struct Row {
    int choice, stored;
  };
  const Row written[] = {{0, 2}, {1, 3}, {2, 5}, {3, 7}, {4, 3}, {-1, 3}};
  for (const Row& row : written) {
    SCOPED_TRACE(row.choice);
    auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
    b->SetDegree(static_cast<JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType>(row.choice));
    auto* parms = DieEng::SpringbackCompensationFactory::Create();
    EXPECT_EQ(b->SetParms(parms), 0);
    EXPECT_EQ(parms->GetDegree(), row.stored);
    b->destroy();
  }
  const Row read[] = {{0, 2}, {1, 3}, {2, 5}, {3, 7}, {1, 4}, {1, 6}, {1, 0}};
  for (const Row& row : read) {
    SCOPED_TRACE(row.stored);
    auto* parms = DieEng::SpringbackCompensationFactory::Create();
    parms->SetDegree(row.stored);
    auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), FEATURE_RECORD::Create(nullptr, parms));
    EXPECT_EQ(int(b->GetDegree()), row.choice);
    b->destroy();
  }
}

TEST_F(Compensation, SpringbackWritesOnlyTheCurrentModesInputs) {
  const tag_t prototype = Sheet();
  const tag_t occurrence = OCC_occurrence::Place(nullptr, prototype)->ask_tag();
  for (int mode : {1, 2}) {
    SCOPED_TRACE(mode);
    auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
    b->SetDefinedBy(static_cast<JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType>(mode));
    b->SetDegree(JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Five);
    b->GetProductSheet()->set_selected_tag(occurrence);
    b->GetProductFacets()->set_selected_tag(prototype);
    b->GetOneStep()->set_selected_tag(stamvik_test::RoughSheetFeature()->ask_tag());
    b->SetProductPointsFile("/no/such/points.txt");
    b->SetNthProductPoint(0, Math::Point3{1, 2, 3});
    b->SetNthSprungPoint(0, Math::Point3{4, 5, 6});
    auto* parms = DieEng::SpringbackCompensationFactory::Create();
    EXPECT_EQ(b->SetParms(parms), 0);
    EXPECT_EQ(parms->GetDegree(), 5);
    EXPECT_EQ(parms->GetOneStep(), nullptr);
    // Faceted bodies take the selection as it is, points the occurrence's prototype.
    EXPECT_EQ(BREF_ask_qdeid_of_bref(parms->GetProductSheet()), mode == 1 ? occurrence : prototype);
    EXPECT_EQ(parms->GetProductFacets(), mode == 1 ? prototype : 0u);
    EXPECT_EQ(parms->GetProductPointCount(), mode == 2 ? 1 : 0);
    EXPECT_STREQ(parms->GetProductPointsFile(), mode == 2 ? "/no/such/points.txt" : "");
    b->destroy();
  }
}

// An edit from points to faceted bodies leaves the feature nothing of the
// points: no point of either list and no file name; the facets are the new ones.
TEST_F(Compensation, ASpringbackEditedFromPointsToFacetsKeepsNoPoint) {
  auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  b->SetDefinedBy(JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_Points);
  b->GetProductSheet()->set_selected_tag(Sheet());
  b->SetProductPointsFile("/no/such/product.txt");
  b->SetSprungPointsFile("/no/such/sprung.txt");
  for (int i = 0; i < 2; ++i) {
    b->SetNthProductPoint(i, Math::Point3{double(i), 0, 0});
    b->SetNthSprungPoint(i, Math::Point3{double(i), 1, 0});
  }
  FEATURE_RECORD* made = nullptr;
  ASSERT_EQ(Commit(b, &made), 0);
  ASSERT_NE(made, nullptr);
  b->destroy();
  auto* parms = dynamic_cast<DieEng::SpringbackCompensation*>(made->ask_parms());
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetProductPointCount(), 2);

  auto* edit = SpringbackCompensationBuilderFactory::Create(modelPart(), made);
  edit->SetDefinedBy(JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies);
  const tag_t product = Sheet(), facets = Sheet(), sprung = Sheet();
  edit->GetProductSheet()->set_selected_tag(product);
  edit->GetProductFacets()->set_selected_tag(facets);
  edit->GetSprungFacets()->set_selected_tag(sprung);
  FEATURE_RECORD* edited = made;
  ASSERT_EQ(Commit(edit, &edited), 0);
  edit->destroy();
  EXPECT_EQ(parms->GetDefinedBy(), 1);
  EXPECT_EQ(parms->GetProductPointCount(), 0);
  EXPECT_EQ(parms->GetSprungPointCount(), 0);
  EXPECT_STREQ(parms->GetProductPointsFile(), "");
  EXPECT_STREQ(parms->GetSprungPointsFile(), "");
  EXPECT_EQ(parms->GetProductFacets(), facets);
  EXPECT_EQ(parms->GetSprungFacets(), sprung);
  EXPECT_EQ(BREF_ask_qdeid_of_bref(parms->GetProductSheet()), product);
  EXPECT_EQ(parms->GetOneStep(), nullptr);

  auto* back = SpringbackCompensationBuilderFactory::Create(modelPart(), made);
  EXPECT_EQ(back->GetDefinedBy(), JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_FacetedBodies);
  EXPECT_EQ(back->GetProductPointCount(), 0);
  EXPECT_EQ(back->GetSprungPointCount(), 0);
  EXPECT_EQ(back->GetProductFacets()->ask_selected_tag(), facets);
  EXPECT_EQ(back->GetSprungFacets()->ask_selected_tag(), sprung);
  back->destroy();
  Host::ClearUpdateLogs();
}

TEST_F(Compensation, ASpringbackFeatureReadsBackCopiesOfItsSectionsAndKeepsItsOwn) {
  const stamvik_test::ScratchFolder folder("stamvik_points-");
  const std::string points = folder.Slashed() + "points.txt";
  const char* file = points.c_str();
  std::ofstream(points).flush();
  auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  b->SetDefinedBy(JA_SPRINGBACK_COMPENSATION_BUILDER_DefinedByType_Points);
  b->SetDegree(JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven);
  b->GetProductSheet()->set_selected_tag(Sheet());
  b->SetProductPointsFile(file);
  b->SetSprungPointsFile("/no/such/sprung.txt");
  for (int i = 0; i < 3; ++i) {
    b->SetNthProductPoint(i, Math::Point3{double(i), 0, 0});
    b->SetNthSprungPoint(i, Math::Point3{double(i), 1, 0});
  }
  Host::ClearCalls();
  FEATURE_RECORD* made = nullptr;
  ASSERT_EQ(Commit(b, &made), 0);
  ASSERT_NE(made, nullptr);
  EXPECT_TRUE(made->ask_included());
  EXPECT_TRUE(made->ask_apply_flag());
  EXPECT_EQ(CallArgs("UNDO_QD_set_mark"), "1 DieEngJA::SpringbackCompensation::commit_feature");
  b->destroy();

  auto* edit = SpringbackCompensationBuilderFactory::Create(modelPart(), made);
  auto* parms = dynamic_cast<DieEng::SpringbackCompensation*>(made->ask_parms());
  EXPECT_EQ(edit->GetDegree(), JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Seven);
  EXPECT_STREQ(edit->GetProductPointsFile(), file);
  EXPECT_STREQ(edit->GetSprungPointsFile(), "");
  EXPECT_EQ(edit->GetSprungPointCount(), 3);
  Math::Point3 point{};
  edit->GetNthSprungPoint(2, point);
  EXPECT_EQ(point.X, 2.0);
  EXPECT_EQ(point.Y, 1.0);
  // The edit works on a copy of the feature's section, which the feature keeps.
  SC_section* inner = parms->GetInnerCurveCollector();
  ASSERT_NE(inner, nullptr);
  EXPECT_NE(edit->GetInnerCurve(), inner);
  EXPECT_EQ(Stamvik::LoopsOf(edit->GetInnerCurve()), Stamvik::LoopsOf(inner));
  // A degree the choices do not hold reads back as Three, written as 3.
  parms->SetDegree(6);
  auto* again = SpringbackCompensationBuilderFactory::Create(modelPart(), made);
  EXPECT_EQ(again->GetDegree(), JA_SPRINGBACK_COMPENSATION_BUILDER_DegreeType_Three);
  EXPECT_EQ(Commit(again, &made), 0);
  EXPECT_EQ(parms->GetDegree(), 3);
  edit->destroy();
  again->destroy();
  EXPECT_EQ(parms->GetInnerCurveCollector(), inner);
  Host::ClearUpdateLogs();
  std::remove(file);

  auto* other = stamvik_test::RoughSheetFeature();
  EXPECT_EQ(RaisedCode([&] { SpringbackCompensationBuilderFactory::Create(modelPart(), other); }), 670357);
}

// A builder opened on a committed feature refers to the feature's sections
// and collector and does not take them over: open, closed, and once the close
// is undone and the builder is back, they are alive, held by the feature's
// parameters and owned by no builder.
TEST_F(Compensation, ABuilderOpenedOnAFeatureAndClosedLeavesItsSectionsToTheFeature) {
  struct Row {
    const char* what;
    std::function<FEATURE_RECORD*()> commit;
    std::function<std::vector<tag_t>(const FEATURE_PARMS*)> held;  // read from the feature's parameters
    std::function<JAX_FEAT_BUILDER*(FEATURE_RECORD*)> open;
  };
  auto tagOf = [](const OM::Object* object) { return OM::OM_ask_object_tag(object); };
  const Row rows[] = {
      {"rough data: its curves' section and its faces' collector",
       [&] {
         auto* b = NewRough(1);
         ClosedLoop(b->GetCurveCollector());
         b->GetProjectToFaces()->append(ES_create_face(Sheet()));
         FEATURE_RECORD* made = nullptr;
         EXPECT_EQ(Commit(b, &made), 0);
         b->destroy();
         return made;
       },
       [&](const FEATURE_PARMS* p) {
         const auto* rough = dynamic_cast<const DieEng::CompensateRoughCurve*>(p);
         return rough == nullptr ? std::vector<tag_t>{}
                                 : std::vector<tag_t>{tagOf(rough->GetCurveCollector()),
                                                      tagOf(rough->GetProjectToFaces())};
       },
       [&](FEATURE_RECORD* f) -> JAX_FEAT_BUILDER* {
         return CompensateRoughDataBuilderFactory::Create(modelPart(), f);
       }},
      {"springback: its inner and outer sections",
       [&] {
         auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
         b->GetOneStep()->set_selected_tag(stamvik_test::RoughSheetFeature()->ask_tag());
         FEATURE_RECORD* made = nullptr;
         EXPECT_EQ(Commit(b, &made), 0);
         b->destroy();
         return made;
       },
       [&](const FEATURE_PARMS* p) {
         const auto* springback = dynamic_cast<const DieEng::SpringbackCompensation*>(p);
         return springback == nullptr ? std::vector<tag_t>{}
                                      : std::vector<tag_t>{tagOf(springback->GetInnerCurveCollector()),
                                                           tagOf(springback->GetOuterCurveCollector())};
       },
       [&](FEATURE_RECORD* f) -> JAX_FEAT_BUILDER* {
         return SpringbackCompensationBuilderFactory::Create(modelPart(), f);
       }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FEATURE_RECORD* feature = row.commit();
    if (feature == nullptr) continue;
    const std::vector<tag_t> held = row.held(feature->ask_parms());
    EXPECT_EQ(held.size(), 2u);
    if (held.size() != 2) continue;
    EXPECT_NE(held[0], 0);
    EXPECT_NE(held[1], 0);
    auto expectTheFeatures = [&](const char* when) {
      SCOPED_TRACE(when);
      EXPECT_EQ(row.held(feature->ask_parms()), held);
      for (tag_t t : held) {
        const OM::Object* object = OM::OM_object_of_tag(t);
        EXPECT_NE(object, nullptr) << t;
        EXPECT_TRUE(object != nullptr && OM::OM_is_kept_alive(object)) << t;
        EXPECT_TRUE(object != nullptr && OM::OM_ask_owner(object) == nullptr) << t;
      }
    };
    expectTheFeatures("committed");
    JAX_FEAT_BUILDER* builder = row.open(feature);
    const tag_t builderTag = builder->ask_tag();
    expectTheFeatures("opened");
    const int mark = stamvik_test::UndoMark();
    builder->destroy();
    expectTheFeatures("closed");
    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    builder = dynamic_cast<JAX_FEAT_BUILDER*>(OM::OM_object_of_tag(builderTag));
    EXPECT_NE(builder, nullptr);
    expectTheFeatures("the close undone");
    if (builder != nullptr) builder->destroy();
    expectTheFeatures("closed again");
    Host::ClearUpdateLogs();
  }
}

// ---- as a scripting class -------------------------------------------------------------

class RoughDataSetUp : public stamvik_test::FirstCallSetUp {};
class RoughDataScripting : public stamvik_test::SlotClearanceRoughBooleanBuilders {};
class RoughDataDefaults : public stamvik_test::SlotClearanceRoughBooleanDefaults {};
class RoughDataOwners : public stamvik_test::SlotClearanceRoughBooleanOwners {};

TEST(RoughDataExports, RoughDataExportsItsSeventeenMembersInSnakeCase) {
  std::set<std::string> expected = Prefixed(
      "XJA_COMPENSATE_ROUGH_DATA_BUILDER_",
      {"get_curve_collector", "get_sheet_bodies", "get_project_to_faces", "get_join_output_curves",
       "set_join_output_curves", "get_modify_input_sheet", "set_modify_input_sheet", "get_approximation",
       "set_approximation", "get_distance_tolerance", "set_distance_tolerance", "get_angle_tolerance",
       "set_angle_tolerance", "get_maximum_gap", "set_maximum_gap", "get_type", "set_type"});
  ASSERT_EQ(expected.size(), 17u);
  EXPECT_EQ(ExportsStartingWith("XJA_COMPENSATE_ROUGH_DATA_BUILDER_"), expected);
}

TEST_F(RoughDataSetUp, RoughDataRegistersItsTypesBeforeItsApproximation) {
  std::vector<const char*> dependencies = {"ScCollector", "Section", "SelectObjectList"};
  auto* b = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
  std::vector<std::string> calls = SetUpCalls("Die.CompensateRoughDataBuilder", dependencies,
                                              [&] { XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_maximum_gap(b, 2.0); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected = {
      "FileInitializer::Initialize ScCollector",
      "FileInitializer::Initialize Section",
      "FileInitializer::Initialize SelectObjectList",
      "JAM_lookup_or_create_class Features.FeatureBuilder",
      "JAM_lookup_or_create_class ScCollector",
      "JAM_lookup_or_create_class Section",
      "JAM_lookup_or_create_template_class SelectBodyList SelectObjectList Body",
      "JAM_lookup_or_create_enum Die.CompensateRoughDataBuilder.Types 4",
      "JAM_lookup_or_create_enum Die.CompensateRoughDataBuilder.ApproximationType 4",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.Types SheetBody 0",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.Types Curve 1",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Coarse 0",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Rough 1",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Fine 2",
      "JAM_add_enum_member Die.CompensateRoughDataBuilder.ApproximationType Exact 3",
      "JAM_create_class Die.CompensateRoughDataBuilder Features.FeatureBuilder",
      "JAM_test_register_print_fn Die.CompensateRoughDataBuilder",
      "JAM_register_initialisation_function Die.CompensateRoughDataBuilder",
      "JAM_declare_ptr_property_accessor Die.CompensateRoughDataBuilder CurveCollector 0 1",
      "JAM_declare_ptr_property_accessor Die.CompensateRoughDataBuilder ProjectToFaces 0 1",
      "JAM_declare_ptr_property_accessor Die.CompensateRoughDataBuilder SheetBodies 0 1",
      "JAM_start_property_call Die.CompensateRoughDataBuilder 2 MaximumGap",
  };
  EXPECT_EQ(calls, expected);
}

TEST_F(RoughDataScripting, RoughDataTypeChangeWhileEditingReturnsTheErrorAndKeepsTheType) {
  auto* record = stamvik_test::RoughSheetFeature();
  auto* editing = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  Host::ClearCalls();
  EXPECT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_type(editing, 1), 3030446);  // "Curve"
  EXPECT_EQ(editing->GetType(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  // Above 65: the further step runs; the record closes with the number.
  ASSERT_EQ(Error::SevereErrors().size(), 1u);
  EXPECT_EQ(Error::SevereErrors()[0].code, 3030446);
  EXPECT_TRUE(Error::SevereErrors()[0].further);
  EXPECT_EQ(Error::SevereErrors()[0].closeMode, 2);
  EXPECT_EQ(Error::SevereErrors()[0].file, "ja_die_compensate_rough_data_builder_jam");
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.member, "Type");
  EXPECT_EQ(r.state, JAM::RecordState::Closed);
  EXPECT_EQ(r.status, 3030446);

  // The same type again is no change.
  EXPECT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_type(editing, 0), 0);
  int type = -1;
  ASSERT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_get_type(editing, &type), 0);
  EXPECT_EQ(type, 0);
  // A builder that makes a new feature takes any type.
  EXPECT_EQ(XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_type(rough_, 1), 0);
  EXPECT_EQ(rough_->GetType(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve);
  editing->destroy();
  record->destroy();
}

TEST_F(RoughDataScripting, UnjournalledInterfaceRecordsNothingAndLetsTheErrorThrough) {
  auto* plain = static_cast<Die_CompensateRoughDataBuilder_Interface*>(
      JAM::ClassInitializer::GetUnjournalledInterface("Die.CompensateRoughDataBuilder"));
  auto* journalled = static_cast<Die_CompensateRoughDataBuilder_Interface*>(
      JAM::ClassInitializer::GetJournalledInterface("Die.CompensateRoughDataBuilder"));
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(journalled, nullptr);
  EXPECT_EQ(plain->SetMaximumGap(rough_, 7.5), 0);
  EXPECT_EQ(rough_->GetMaximumGap(), 7.5);
  EXPECT_TRUE(JAM::Recorded().empty());

  auto* record = stamvik_test::RoughSheetFeature();
  auto* editing = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  EXPECT_EQ(RaisedCode([&] { plain->SetType(editing, 1); }), 3030446);
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_EQ(journalled->SetType(editing, 1), 3030446);
  EXPECT_EQ(JAM::Recorded().size(), 1u);
  editing->destroy();
  record->destroy();
}

TEST_F(RoughDataDefaults, RoughDataInBothUnitSystemsAndWithoutAWorkPart) {
  std::vector<std::string> millimetre = {
      "AngleTolerance=0.5 (paused)",   "Approximation=Coarse (paused)", "DistanceTolerance=0.0254 (paused)",
      "JoinOutputCurves=0 (paused)",   "MaximumGap=5.0 (paused)",       "ModifyInputSheet=0 (paused)",
  };
  Apply("Die.CompensateRoughDataBuilder", rough_);
  EXPECT_EQ(Written(rough_), millimetre);

  Host::ClearCalls();
  part()->SetUnitCode(1);
  Apply("Die.CompensateRoughDataBuilder", rough_);
  EXPECT_EQ(Written(rough_), (std::vector<std::string>{
                                 "AngleTolerance=0.5 (paused)", "Approximation=Coarse (paused)",
                                 "DistanceTolerance=0.001 (paused)", "JoinOutputCurves=0 (paused)",
                                 "MaximumGap=0.2 (paused)", "ModifyInputSheet=0 (paused)"}));

  Host::ClearCalls();
  PART_set_work_part(nullptr);
  Apply("Die.CompensateRoughDataBuilder", rough_);
  EXPECT_EQ(Written(rough_), millimetre);
  PART_set_work_part(part());
}

TEST_F(RoughDataOwners, RoughDataNamesValuesAndWrites) {
  ValuePtr camel = Get("Die.CompensateRoughDataBuilder", rough_, "CurveCollector");
  ValuePtr snake = Get("Die.CompensateRoughDataBuilder", rough_, "curve_collector");
  EXPECT_EQ(camel->GetSubobject(), snake->GetSubobject());
  EXPECT_EQ(camel->GetSubobject(), rough_->GetCurveCollector());
  EXPECT_STREQ(ClassOf(Get("Die.CompensateRoughDataBuilder", rough_, "project_to_faces")), "ScCollector");

  ValuePtr exact = Property::MakeEnum(approximations, 3);
  ExpectSameRecord(
      [&] { rough_->SetApproximation(DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Coarse); },
      [&] { return OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(rough_, "Approximation", exact.get()); },
      [&] {
        auto* journalled = static_cast<Die_CompensateRoughDataBuilder_Interface*>(
            JAM::ClassInitializer::GetJournalledInterface("Die.CompensateRoughDataBuilder"));
        return journalled->SetApproximation(rough_, 3);
      });
  EXPECT_EQ(rough_->GetApproximation(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Exact);

  ValuePtr gap = Property::MakeDouble(2.5);
  ExpectSameRecord([&] { rough_->SetMaximumGap(0); },
                   [&] { return OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(rough_, "maximum_gap", gap.get()); },
                   [&] { return XJA_COMPENSATE_ROUGH_DATA_BUILDER_set_maximum_gap(rough_, 2.5); });
  EXPECT_EQ(Get("Die.CompensateRoughDataBuilder", rough_, "MaximumGap")->GetDouble(), 2.5);

  // Read-only: handed to the parent, which writes nothing either.
  ValuePtr anything = Property::MakeDouble(1.0);
  EXPECT_EQ(OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(rough_, "SheetBodies", anything.get()),
            Property::kUnknownProperty);
  EXPECT_TRUE(JAM::Recorded().size() == 1u && JAM::Recorded()[0].member == "MaximumGap");

  Property::List list;
  OwnerOf("Die.CompensateRoughDataBuilder")->GetProperties(nullptr, list);
  EXPECT_STREQ(list.GetNameByIndex(5), "Approximation");
  EXPECT_STREQ(static_cast<Property::Enum*>(list.GetPropertyByIndex(5))->GetMemberName(), "Coarse");
  EXPECT_STREQ(list.GetNameByIndex(9), "Type");
  EXPECT_STREQ(list.GetNameByIndex(10), "Editing");
}

TEST_F(RoughDataOwners, AnEditedRoughDataTypeWrittenThroughTheOwnerRaisesPropErr) {
  auto* record = stamvik_test::RoughSheetFeature();
  auto* editing = DieEngJA::CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  static Property::EnumMembers types{"SheetBody,Curve"};
  ValuePtr curve = Property::MakeEnum(types, 1);
  try {
    OwnerOf("Die.CompensateRoughDataBuilder")->SetProperty(editing, "Type", curve.get());
    ADD_FAILURE() << "no error";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 3030446);
    EXPECT_EQ(e.text(), "prop err");
    EXPECT_EQ(e.file(), "drv/stamvik/no/ind/Die_CompensateRoughDataBuilderPropertyOwner");
  }
  EXPECT_EQ(editing->GetType(), DieEngJA::JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].status, 3030446);
  editing->destroy();
  record->destroy();
}

}  // namespace

namespace {

// ---- the springback compensation as a scripting class -------------------------------

// Its point lists and points file across the scripting boundary.
class SpringbackScripting : public stamvik_test::JamTest {
 protected:
  void TearDown() override {
    for (SpringbackCompensationBuilder* b : made_) b->destroy();
    stamvik_test::JamTest::TearDown();
  }
  SpringbackCompensationBuilder* Springback() {
    auto* b = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
    made_.push_back(b);
    return b;
  }
  std::vector<SpringbackCompensationBuilder*> made_;
};

TEST_F(SpringbackScripting, PointListsCrossWholeAndABadListChangesNothing) {
  SpringbackCompensationBuilder* b = Springback();
  const JAM_point3d_s four[] = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {-1, -2, -3}};
  // No product points: nothing handed out.
  const Memory::Counters before = Memory::LiveCounters();
  int count = -1;
  JAM_point3d_s stale{};
  JAM_point3d_s* points = &stale;
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints(b, &count, &points), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(points, nullptr);
  EXPECT_EQ(Memory::LiveCounters().blocks, before.blocks);

  // A list given is handed back whole, in a block of its own.
  struct Row {
    const char* list;
    int (*set)(SpringbackCompensationBuilder*, int, const JAM_point3d_s*);
    int (*get)(SpringbackCompensationBuilder*, int*, JAM_point3d_s**);
    int first, count;  // the points of `four` given
  };
  const Row rows[] = {
      {"four sprung points", XJA_SPRINGBACK_COMPENSATION_BUILDER_SetSprungPoints,
       XJA_SPRINGBACK_COMPENSATION_BUILDER_GetSprungPoints, 0, 4},
      {"one product point", XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints,
       XJA_SPRINGBACK_COMPENSATION_BUILDER_GetProductPoints, 3, 1},
      {"one sprung point", XJA_SPRINGBACK_COMPENSATION_BUILDER_SetSprungPoints,
       XJA_SPRINGBACK_COMPENSATION_BUILDER_GetSprungPoints, 2, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.list);
    EXPECT_EQ(r.set(b, r.count, four + r.first), 0);
    const Memory::Counters given = Memory::LiveCounters();
    count = -1;
    points = nullptr;
    EXPECT_EQ(r.get(b, &count, &points), 0);
    EXPECT_EQ(count, r.count);
    EXPECT_EQ(Memory::LiveCounters().blocks, given.blocks + 1);
    EXPECT_EQ(Memory::LiveCounters().bytes, given.bytes + r.count * 24);
    for (int i = 0; i < count && i < r.count && points != nullptr; ++i)
      EXPECT_EQ(std::memcmp(&points[i], &four[r.first + i], sizeof four[0]), 0) << i;
    SM_free(points);
  }

  // A count below 0, or no array for points: refused before anything is written.
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, 1, four), 0);
  EXPECT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, -2, four), Error::kIndexOutOfRange);
  EXPECT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, 2, nullptr), Error::kIndexOutOfRange);
  EXPECT_EQ(b->GetProductPointCount(), 1);
  EXPECT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_SetProductPoints(b, 0, nullptr), 0);
  EXPECT_EQ(b->GetProductPointCount(), 0);
}

TEST_F(SpringbackScripting, APointsFileIsJournalledAsFilenameAndReadBackAsACopy) {
  SpringbackCompensationBuilder* b = Springback();
  char* read = nullptr;
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_get_ProductPointsFile(b, &read), 0);
  ASSERT_NE(read, nullptr);
  EXPECT_STREQ(read, "");
  SM_free(read);
  JAM::ClearJournal();
  char file[] = "a.pts";  // the export takes the text as char*
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_set_ProductPointsFile(b, file), 0);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "filename");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).text, "a.pts");
  ASSERT_EQ(XJA_SPRINGBACK_COMPENSATION_BUILDER_get_ProductPointsFile(b, &read), 0);
  EXPECT_STREQ(read, "a.pts");
  EXPECT_NE(read, b->GetProductPointsFile());
  SM_free(read);
}

// ---- as an object-manager class -----------------------------------------------------

class CompensationClass : public stamvik_test::HostTest {};

TEST_F(CompensationClass, TheTypeOfAnEditedCompensationCannotChange) {
  auto* record = stamvik_test::RoughSheetFeature();
  auto* editing = CompensateRoughDataBuilderFactory::Create(modelPart(), record);
  Host::ClearCalls();
  try {
    editing->SetType(JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve);
    ADD_FAILURE() << "no error raised";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 3030446);
    EXPECT_EQ(e.line(), 350);
    EXPECT_NE(e.file().find("DieEngJA_CompensateRoughDataBuilder"), std::string::npos);
  }
  EXPECT_EQ(editing->GetType(), JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  // The same type again is no change.
  editing->SetType(JA_COMPENSATE_ROUGH_DATA_BUILDER_types_SheetBody);
  // The integer form stores without the check.
  editing->SetIntType(1);
  EXPECT_EQ(editing->GetType(), JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve);

  auto* fresh = CompensateRoughDataBuilderFactory::Create(modelPart(), nullptr);
  fresh->SetType(JA_COMPENSATE_ROUGH_DATA_BUILDER_types_Curve);
  EXPECT_EQ(fresh->GetIntType(), 1);
  fresh->SetApproximation(JA_COMPENSATE_ROUGH_DATA_BUILDER_approximation_type_Exact);
  EXPECT_EQ(fresh->GetIntApproximation(), 3);
  editing->destroy();
  fresh->destroy();
  record->destroy();
}

TEST_F(CompensationClass, PointListsCountThreeDoublesAPoint) {
  auto* springback = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  Math::Point3 p;
  EXPECT_EQ(springback->GetProductPointCount(), 0);
  EXPECT_EQ(springback->GetProductPointRef(), nullptr);
  EXPECT_EQ(RaisedCode([&] { springback->GetNthProductPoint(0, p); }), Error::kIndexOutOfRange);

  springback->SetNthProductPoint(0, {1, 2, 3});
  Host::ClearCalls();
  springback->SetNthProductPoint(1, {4, 5, 6});
  EXPECT_EQ(Host::CountCalls("OM__log_array"), 2u);  // once to grow, once to write
  springback->SetNthProductPoint(0, {7, 8, 9});
  EXPECT_EQ(springback->GetProductPointCount(), 2);
  EXPECT_EQ(RaisedCode([&] { springback->SetNthProductPoint(3, {0, 0, 0}); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { springback->SetNthProductPoint(-1, {0, 0, 0}); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { springback->GetNthProductPoint(2, p); }), Error::kIndexOutOfRange);
  EXPECT_EQ(springback->GetProductPointCount(), 2);
  springback->GetNthProductPoint(1, p);
  EXPECT_EQ(p.X, 4);
  EXPECT_EQ(p.Z, 6);
  const double* ref = springback->GetProductPointRef();
  ASSERT_NE(ref, nullptr);
  EXPECT_EQ(ref[0], 7);
  EXPECT_EQ(ref[5], 6);

  // A list whose length is no multiple of three: whole points only.
  OM::OM_set_array_length(springback, SpringbackCompensationBuilder::m_sprungPointsAttId, 4);
  EXPECT_EQ(springback->GetSprungPointCount(), 1);
  EXPECT_EQ(RaisedCode([&] { springback->GetNthSprungPoint(1, p); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { springback->SetNthSprungPoint(1, {1, 1, 1}); }), Error::kIndexOutOfRange);
  springback->SetSprungPointCount(3);
  EXPECT_EQ(OM::OM_vask_array_length(springback, SpringbackCompensationBuilder::m_sprungPointsAttId), 9);
  springback->SetNthSprungPoint(2, {1, 1, 1});
  EXPECT_EQ(springback->GetProductPointCount(), 2);
  springback->destroy();
}

TEST_F(CompensationClass, PointFileNamesAreReplacedSafely) {
  auto* springback = SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_STREQ(springback->GetProductPointsFile(), "");
  springback->SetProductPointsFile("product.txt");
  springback->SetSprungPointsFile("sprung.txt");
  EXPECT_STREQ(springback->GetProductPointsFile(), "product.txt");
  // Its own stored name given back replaces it with the same text.
  springback->SetProductPointsFile(springback->GetProductPointsFile());
  EXPECT_STREQ(springback->GetProductPointsFile(), "product.txt");
  springback->SetSprungPointsFile(nullptr);
  EXPECT_STREQ(springback->GetSprungPointsFile(), "");
  springback->destroy();
}

}  // namespace
