// The draw punch's modelling and curve operations: the features of a tooling
// feature set found by title and retired, sections filled from curves and
// edges, the selected profile turned into one closed curve, curves joined,
// offset, projected and smoothed through the host's builders.
#include <algorithm>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "modl/CurveBuilders.hpp"
#include "om/ObjectSet.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"

using namespace KTX;
using namespace KTX::Tooling;

namespace {

constexpr int kMissingInput = 3030591;

class ToolingOperations : public stamvik_test::JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    punch_ = DieDesDrawPunchBuilderFactory::Create(0, part());
  }
  void TearDown() override {
    punch_->destroy();
    JamTest::TearDown();
  }
  DieDesDrawPunchBuilder* punch() const { return punch_; }

  static tag_t Line(double x0, double y0, double x1, double y1) {
    const double a[3] = {x0, y0, 0}, b[3] = {x1, y1, 0};
    return ES_create_line_in_part(nullptr, a, b);
  }
  // The sides of the square of that size at the origin, in the order given by `order`.
  static std::vector<tag_t> Square(double size, std::vector<int> order = {0, 1, 2, 3}) {
    const double c[5][2] = {{0, 0}, {size, 0}, {size, size}, {0, size}, {0, 0}};
    std::vector<tag_t> sides;
    for (int i : order) sides.push_back(Line(c[i][0], c[i][1], c[i + 1][0], c[i + 1][1]));
    return sides;
  }
  static tag_t Titled(const char* title) {
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(nullptr, nullptr);
    if (title != nullptr) ATTR_set_int(frec->OmTag(), title, 0, true);
    return frec->OmTag();
  }
  static tag_t SetOf(const std::vector<tag_t>& features) {
    return TOOLING_create_user_defined_feature_set(features.data(), static_cast<int>(features.size()), 1, 0,
                                                   "Draw Punch");
  }
  static std::vector<std::string> Args(const std::string& name) {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name == name) out.push_back(c.args);
    return out;
  }
  static int BuildersAlive() {
    int alive = 0;
    for (tag_t t : Host::KeptInPart(PART_ask_work_part()))
      if (dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(t)) != nullptr) ++alive;
    return alive;
  }
  static std::vector<tag_t> CurvesOf(tag_t feature) {
    int count = 0;
    tag_t* curves = nullptr;
    FREC_collect_all_dcurve(feature, &count, &curves);
    std::vector<tag_t> out(curves, curves + count);
    SM_free(curves);
    return out;
  }

 private:
  DieDesDrawPunchBuilder* punch_ = nullptr;
};

TEST_F(ToolingOperations, AFeatureIsFoundByTheFirstMemberWithTheTitle) {
  const tag_t untitled = Titled(nullptr), first = Titled("QD$PUNCH_JOIN_CURVE"), second = Titled("QD$PUNCH_JOIN_CURVE");
  const tag_t set = SetOf({untitled, first, second});
  struct Row {
    const char* what;
    tag_t set;
    const char* title;
    tag_t found;
  };
  const Row rows[] = {{"two members titled", set, "QD$PUNCH_JOIN_CURVE", first},
                      {"no member titled", set, "QD$BLANK_JOIN_CURVE", 0},
                      {"no set", 0, "QD$PUNCH_JOIN_CURVE", 0},
                      {"a feature for a set", first, "QD$PUNCH_JOIN_CURVE", 0}};
  for (const Row& row : rows) {
    tag_t feature = 99;
    EXPECT_EQ(punch()->FindFeatureInSetByAttrTitle(row.set, row.title, &feature), row.found != 0) << row.what;
    EXPECT_EQ(feature, row.found) << row.what;
  }
}

TEST_F(ToolingOperations, RetiredFeaturesAreDeletedTogetherAndAnUnfoundOneStays) {
  OM::Set* doomed = OM_create_set();
  tag_t a = Titled(nullptr), b = Titled(nullptr);
  const tag_t keptA = a;
  EXPECT_EQ(punch()->InsertFeatureIntoOMSetToDelete(false, &a, doomed), 0);
  EXPECT_EQ(a, keptA);
  EXPECT_EQ(punch()->InsertFeatureIntoOMSetToDelete(true, &a, nullptr), 0);
  EXPECT_EQ(a, keptA);
  EXPECT_EQ(punch()->DeleteFeaturesInOMSet(doomed), 0);  // empty
  punch()->InsertFeatureIntoOMSetToDelete(true, &a, doomed);
  punch()->InsertFeatureIntoOMSetToDelete(true, &b, doomed);
  EXPECT_EQ(a + b, 0u);
  EXPECT_EQ(punch()->DeleteFeaturesInOMSet(doomed), 0);
  EXPECT_EQ(OM::OM_object_of_tag(keptA), nullptr);
  EXPECT_EQ(Args("TOOLING_delete_feature").size(), 1u);
  OM_delete_object(doomed);
  EXPECT_EQ(punch()->DeleteFeaturesInOMSet(nullptr), 0);
}

TEST_F(ToolingOperations, SectionsTakeCurvesThenEdgesEachAsItsOwnRule) {
  const tag_t curves[] = {Line(0, 0, 1, 0), Line(1, 0, 1, 1)};
  const double points[6] = {0, 0, 0, 0, 0, 5};
  const tag_t edge = ES_create_edge(0, 2, points);
  struct Row {
    const char* what;
    int curveCount, edgeCount;
    int status;
    std::vector<int> kinds;
  };
  const Row rows[] = {{"nothing", 0, 0, kMissingInput, {}},
                      {"a negative count", -1, 1, kMissingInput, {}},
                      {"edges only", 0, 1, 0, {0}},
                      {"curves and an edge", 2, 1, 0, {28, 0}}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SC_section* section = nullptr;
    EXPECT_EQ(punch()->ConvertCurvesToSCsection(row.curveCount, curves, row.edgeCount, &edge, &section), row.status)
        << row.what;
    EXPECT_NE(section, nullptr) << row.what << ": the new section stays with the caller";
    if (section == nullptr) continue;
    std::vector<int> kinds;
    for (const SC_rule_s& rule : section->ask_rules_data()) kinds.push_back(rule.kind);
    EXPECT_EQ(kinds, row.kinds) << row.what;
    double chaining = 0, distance = 0, angle = 0;
    section->ask_tolerances(&chaining, &distance, &angle);
    EXPECT_DOUBLE_EQ(chaining, 0.0095) << row.what;
    if (row.kinds.size() == 2) {
      EXPECT_EQ(section->ask_rules_data()[0].entities, (std::vector<tag_t>{curves[0], curves[1]}));
      int count = 0;
      tag_t* tags = nullptr;
      EXPECT_EQ(punch()->AskSCEntities(section->OmTag(), &count, &tags), 0);
      EXPECT_EQ(std::vector<tag_t>(tags, tags + count), (std::vector<tag_t>{curves[0], curves[1], edge}));
      SM_free(tags);
      EXPECT_EQ(punch()->RemoveAllRules(section), 0);
      EXPECT_TRUE(section->is_empty());
    }
    section->destroy();
  }
  EXPECT_EQ(punch()->RemoveAllRules(nullptr), 0);
}

TEST_F(ToolingOperations, EntitiesAreAskedOfSectionsAndCollectorsOnly) {
  SC_collector* collector = SC_collectorFactory::object(0);
  const tag_t body = ES_create_solid(0);
  const tag_t face = ES_create_face(body);
  collector->append(FREF_create(face));
  struct Row {
    const char* what;
    tag_t tag;
    int result;
    std::vector<tag_t> entities;
  };
  const Row rows[] = {{"tag 0", 0, -1, {}},
                      {"a collector gives faces for their references", collector->OmTag(), 1, {face}},
                      {"a body", body, -1, {}}};
  for (const Row& row : rows) {
    int count = 7;
    tag_t* tags = nullptr;
    EXPECT_EQ(punch()->AskSCEntities(row.tag, &count, &tags), row.result) << row.what;
    EXPECT_EQ(std::vector<tag_t>(tags, tags + count), row.entities) << row.what;
    SM_free(tags);
  }
  EXPECT_EQ(punch()->GetFeatFirstBody(0), 0u);
  EXPECT_EQ(punch()->GetFeatFirstBody(Titled(nullptr)), 0u);
}

TEST_F(ToolingOperations, CurvesAndEdgesAreSplitInTheirInputOrder) {
  const double points[6] = {0, 0, 0, 0, 0, 5};
  const tag_t c1 = Line(0, 0, 1, 0), e1 = ES_create_edge(0, 2, points), c2 = Line(1, 0, 2, 0),
              e2 = ES_create_edge(0, 2, points);
  const tag_t tags[] = {e2, c2, e1, c1};
  std::vector<tag_t> curves, edges;
  EXPECT_EQ(punch()->ClassifyCurvesEdges(tags, 4, curves, edges), 0);
  EXPECT_EQ(curves, (std::vector<tag_t>{c2, c1}));
  EXPECT_EQ(edges, (std::vector<tag_t>{e2, e1}));
  EXPECT_EQ(punch()->ClassifyCurvesEdges(nullptr, 4, curves, edges), 0);
  EXPECT_EQ(punch()->ClassifyCurvesEdges(tags, 0, curves, edges), 0);
  EXPECT_EQ(curves.size() + edges.size(), 4u);
}

}  // namespace

namespace {

TEST_F(ToolingOperations, TheSelectionMustFormOneClosedLoop) {
  struct Row {
    const char* what;
    std::vector<tag_t> selected;
    int status;
    const char* warning;
  };
  std::vector<tag_t> two = Square(10);
  for (tag_t t : Square(3)) two.push_back(t);  // a smaller square inside, apart from the first
  std::vector<tag_t> open = Square(10);
  open.pop_back();
  const Row rows[] = {
      {"two loops", two, kMissingInput, "Selected curves form more than one loop."},
      {"an open chain", open, kMissingInput, "Selected curves can not form one closed loop."},
  };
  for (const Row& row : rows) {
    Host::ClearCalls();
    SELECT_OBJECT_list* list = punch()->GetPunchCurve();
    list->set_tags(static_cast<int>(row.selected.size()), row.selected.data());
    OM::Set* made = OM_create_set();
    tag_t curve = 5;
    EXPECT_EQ(
        punch()->ProcessInputCurves(list, 0, "QD$ROUGH_OFFSET_BOTTOM", nullptr, "QD$PUNCH_JOIN_CURVE", made, &curve),
        row.status)
        << row.what;
    EXPECT_EQ(Args("TOOLING_warning_message"), std::vector<std::string>{row.warning}) << row.what;
    EXPECT_EQ(OM_ask_set_count(made), 0) << row.what;
    EXPECT_EQ(Args("ModlCurveJA::commit").size(), 0u) << row.what << ": a feature was made";
    OM_delete_object(made);
  }
}

TEST_F(ToolingOperations, FourLinesAreJoinedIntoATitledFeatureAndEditedAgain) {
  const std::vector<tag_t> sides = Square(10, {2, 0, 3, 1});
  punch()->GetPunchCurve()->set_tags(4, sides.data());
  const tag_t reference = Titled("QD$ROUGH_OFFSET_BOTTOM");
  OM::Set* made = OM_create_set();
  OM::Set* doomed = OM_create_set();
  tag_t curve = 0;
  ASSERT_EQ(punch()->ProcessInputCurves(punch()->GetPunchCurve(), 0, "QD$ROUGH_OFFSET_BOTTOM", doomed,
                                        "QD$PUNCH_JOIN_CURVE", made, &curve),
            0);
  ASSERT_EQ(OM_ask_set_count(made), 1);
  const tag_t join = made->members()[0];
  EXPECT_EQ(CurvesOf(join), std::vector<tag_t>{curve});
  EXPECT_EQ(CURVE_ask_arc_length(curve), 40.0);
  int value = -1;
  bool hidden = false;
  EXPECT_TRUE(ATTR_ask_int(join, "QD$PUNCH_JOIN_CURVE", &value, &hidden));
  EXPECT_EQ(value, 0);
  EXPECT_TRUE(hidden);
  EXPECT_EQ(Args("Features.Feature").size(), 1u);
  EXPECT_EQ(Args("Features.FeatureCollection").size(), 0u) << "placed with no set to edit";
  EXPECT_EQ(BuildersAlive(), 0) << "the curve builder is left alive";

  // The set made of it is edited: the join is found and edited in place.
  const tag_t set = SetOf({reference, join});
  Host::ClearCalls();
  std::vector<tag_t> three = Square(20);
  three.pop_back();
  three.push_back(Line(0, 20, 0, 0));
  punch()->GetPunchCurve()->set_tags(4, three.data());
  ASSERT_EQ(punch()->ProcessInputCurves(punch()->GetPunchCurve(), set, "QD$ROUGH_OFFSET_BOTTOM", doomed,
                                        "QD$PUNCH_JOIN_CURVE", made, &curve),
            0);
  EXPECT_EQ(OM_ask_set_count(made), 1) << "the edited join is not new";
  EXPECT_EQ(CurvesOf(join), std::vector<tag_t>{curve});
  EXPECT_EQ(CURVE_ask_arc_length(curve), 80.0);
  EXPECT_EQ(Args("ATTR_set_int").size(), 0u);

  // One closed curve: no join needed, the old one is retired.
  const double ring[] = {0, 0, 0, 5, 0, 0, 5, 5, 0, 0, 0, 0};
  const tag_t closed = ES_create_polyline(4, ring);
  punch()->GetPunchCurve()->set_tags(1, &closed);
  EXPECT_EQ(punch()->ProcessInputCurves(punch()->GetPunchCurve(), set, "QD$ROUGH_OFFSET_BOTTOM", doomed,
                                        "QD$PUNCH_JOIN_CURVE", made, &curve),
            0);
  EXPECT_EQ(curve, closed);
  EXPECT_EQ(doomed->members(), std::vector<tag_t>{join});

  // Nothing selected: no curve, and an old join is retired.
  punch()->GetPunchCurve()->clear();
  curve = 3;
  EXPECT_EQ(punch()->ProcessInputCurves(punch()->GetPunchCurve(), set, "QD$ROUGH_OFFSET_BOTTOM", doomed,
                                        "QD$PUNCH_JOIN_CURVE", made, &curve),
            0);
  EXPECT_EQ(curve, 0u);
  OM_delete_object(made);
  OM_delete_object(doomed);
}

TEST_F(ToolingOperations, ANewJoinInAnEditedSetIsPlacedBeforeItsReference) {
  const tag_t reference = Titled("QD$ROUGH_OFFSET_BOTTOM");
  const tag_t set = SetOf({reference});
  const std::vector<tag_t> sides = Square(10);
  punch()->GetPunchCurve()->set_tags(4, sides.data());
  OM::Set* made = OM_create_set();
  tag_t curve = 0;
  ASSERT_EQ(punch()->ProcessInputCurves(punch()->GetPunchCurve(), set, "QD$ROUGH_OFFSET_BOTTOM", nullptr,
                                        "QD$BLANK_JOIN_CURVE", made, &curve),
            0);
  ASSERT_EQ(Args("Features.FeatureCollection").size(), 1u);
  const std::string placed = Args("Features.FeatureCollection")[0];
  EXPECT_NE(placed.find("reference=" + std::to_string(reference)), std::string::npos) << placed;
  EXPECT_NE(placed.find("mode=1"), std::string::npos) << placed;
  OM_delete_object(made);
}

TEST_F(ToolingOperations, ACommittedFeatureWithoutACurveOrAFailedCommitLeavesNoBuilder) {
  const std::vector<tag_t> sides = Square(10);
  struct Row {
    const char* what;
    const char* answer;
    int status;
    bool feature;
  };
  const Row rows[] = {{"no curve made", "ModlCurveJA.nocurve", kMissingInput, true},
                      {"the commit fails", "ModlCurveJA.commit", 4711, false}};
  for (const Row& row : rows) {
    Host::ClearAnswers();
    Host::SetAnswer(row.answer, row.status == kMissingInput ? 1 : row.status);
    tag_t curve = 9, feature = 0;
    EXPECT_EQ(punch()->FeatJoinCurve(sides, {}, &curve, &feature), row.status) << row.what;
    EXPECT_EQ(feature != 0, row.feature) << row.what;
    EXPECT_EQ(curve, row.feature ? 0u : 9u) << row.what;
    EXPECT_EQ(BuildersAlive(), 0) << row.what;
  }
  for (const std::string& destroyed : Args("Builder")) EXPECT_EQ(destroyed.find("builder=0"), std::string::npos);
}

TEST_F(ToolingOperations, AnOffsetSquareToTheCurvesHalfIsReversedAndAnEditSuppressedByTheUpdateGives4) {
  const double points[] = {0, 0, 0, 10, 0, 0, 10, 10, 0};
  const tag_t curve = ES_create_polyline(3, points);
  tag_t out = 0, feature = 0;
  ASSERT_EQ(punch()->FeatOffsetCurve(curve, -2.5, &out, &feature), 0);
  double start[3];
  CURVE_ask_point_at(out, 0.0, start);
  // The builder's direction (0, 1, 0) is square to the chord to the curve's
  // middle (10, 0, 0): a dot product of 0 is below the limit, so it turns.
  EXPECT_DOUBLE_EQ(start[1], 2.5);
  Host::SuppressOnHiddenUpdate(feature, 4);
  const tag_t edited = feature;
  EXPECT_EQ(punch()->FeatOffsetCurve(curve, 4.0, &out, &feature), 4);
  EXPECT_EQ(feature, edited);
  CURVE_ask_point_at(out, 0.0, start);
  EXPECT_DOUBLE_EQ(start[1], -4.0);
  EXPECT_EQ(BuildersAlive(), 0);
}

TEST_F(ToolingOperations, CurvesAreProjectedOnThePlane) {
  const double origin[3] = {0, 0, 5}, flat[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t plane = ES_create_plane(origin, flat);
  const double points[] = {0, 0, 0, 10, 0, -3};
  const tag_t curves[] = {ES_create_polyline(2, points)};
  tag_t out = 0, feature = 0;
  ASSERT_EQ(punch()->FeatProjectCurve(curves, 1, plane, &out, &feature), 0);
  double end[3];
  CURVE_ask_point_at(out, 1.0, end);
  EXPECT_DOUBLE_EQ(end[2], 5.0);
  EXPECT_DOUBLE_EQ(end[0], 10.0);
}

TEST_F(ToolingOperations, SmoothingIsUnjournalledFineAndLeavesNoBuilderOrParameters) {
  const double points[] = {0, 0, 0, 10, 0, 0, 10, 10, 0};
  const tag_t curve = ES_create_polyline(3, points);
  const tag_t smoothed = ES_create_polyline(3, points);
  Host::SetAnswer("FREC_collect_all_dcurve.curve", smoothed);
  const std::size_t journal = JAM::Recorded().size();
  tag_t out = 0, feature = 0;
  ASSERT_EQ(punch()->FeatSmoothPunchProfile(curve, &out, &feature), 0);
  EXPECT_EQ(out, smoothed);
  EXPECT_EQ(JAM::Recorded().size(), journal);
  auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
  ASSERT_NE(frec, nullptr);
  auto* parms = dynamic_cast<DieEng::CompensateRoughCurve*>(frec->ask_parms());
  ASSERT_NE(parms, nullptr);
  EXPECT_EQ(parms->GetApproximation(), 2);
  EXPECT_DOUBLE_EQ(parms->GetMaximumGap(), TOLER_ask_distance_tol());
  EXPECT_FALSE(parms->GetJoinOutputCurves());
  int parmsAlive = 0;
  for (tag_t t : Host::KeptInPart(part()))
    if (dynamic_cast<DieEng::CompensateRoughCurve*>(OM::OM_object_of_tag(t)) != nullptr) ++parmsAlive;
  EXPECT_EQ(parmsAlive, 1) << "only the feature's parameters";
  EXPECT_EQ(BuildersAlive(), 0);

  // Edited, the old profile gives way to the new one.
  const tag_t other = ES_create_polyline(3, points);
  Host::SuppressOnHiddenUpdate(feature, 4);
  EXPECT_EQ(punch()->FeatSmoothPunchProfile(other, &out, &feature), 4);
  EXPECT_EQ(parms->GetCurveCollector()->ask_rule_entities(), std::vector<tag_t>{other});

  // A feature of another class.
  tag_t join = 0;
  ASSERT_EQ(punch()->FeatJoinCurve(Square(10), {}, &out, &join), 0);
  EXPECT_EQ(punch()->FeatSmoothPunchProfile(curve, &out, &join), 670156);
  EXPECT_EQ(BuildersAlive(), 0);
}

}  // namespace
