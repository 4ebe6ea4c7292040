// The draw punch's feature-making operations: what they hand the host's
// builders, the features they leave in the part, and the model as it was
// after any failure (builder gone, work part back, no undo mark left).
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "jam/Session.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "modl/TrimBody.hpp"
#include "sel/Selection.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingGeometry.hpp"

using namespace KTX;
using namespace KTX::Tooling;

namespace {

class ToolingFeatures : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    punch_ = DieDesDrawPunchBuilderFactory::Create(0, part());
  }
  void TearDown() override {
    punch_->destroy();
    Host::ForgetModelingValues();
    Host::ForgetRoughOffsets();
    Host::ForgetTrimValues();
    HostTest::TearDown();
  }
  DieDesDrawPunchBuilder* punch() const { return punch_; }
  tag_t workTag() const { return part()->OmTag(); }
  static tag_t Curve(const std::vector<double>& points) {
    return ES_create_polyline(static_cast<int>(points.size() / 3), points.data());
  }
  // Extrudes the curve along +Z from 0 to 10, with or without offset texts.
  int Extrude(tag_t curve, bool offset, const char* start, const char* end, tag_t* feature, tag_t part = 0) {
    const double z[3] = {0, 0, 1};
    return punch()->FeatExtrude(part != 0 ? part : workTag(), 1, &curve, 0, z, "0.000000", "10.000000", offset,
                                start, end, false, nullptr, false, 0, 0, false, 0, false, 0, feature);
  }
  static std::vector<tag_t> FacesOf(tag_t feature) {
    FEATURE_RECORD* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
    int count = 0;
    tag_t* faces = nullptr;
    if (frec != nullptr) ES_body_ask_faces(frec->ask_body_eid(), &count, &faces);
    std::vector<tag_t> out(faces, faces + count);
    SM_free(faces);
    return out;
  }
  static int Features(PART_part* in) {
    int count = 0;
    for (tag_t t : Host::KeptInPart(in)) count += dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)) != nullptr;
    return count;
  }

 private:
  DieDesDrawPunchBuilder* punch_ = nullptr;
};

TEST_F(ToolingFeatures, OffsetTextsFollowTheSideOfANonPlanarProfile) {
  const std::string longText(200, '7');
  struct Row {
    const char* what;
    std::vector<double> points;
    const char* start;
    const char* end;
    int status;
    int option;
    std::vector<std::string> sent;  // the last texts the expressions were given
  };
  const std::vector<double> left = {0, 0, 0, 10, 0, 0, 10, 10, 5, 0, 10, 0};
  const Row rows[] = {
      {"turning to the offset side", left, "3.5", "-3.5", 0, 1, {"-3.5", "3.5"}},
      {"turning away from it", {0, 0, 0, 10, 0, 0, 10, -10, 5, 0, -10, 0}, "3.5", "-3.5", 0, 1, {"3.5", "-3.5"}},
      {"a planar profile", {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0}, "3.5", "-3.5", 0, 1, {"3.5", "-3.5"}},
      {"no start text: the end offset only", left, nullptr, "-3.5", 0, 3, {"10.000000", "-3.5"}},
      // The host's expressions refuse a text this long, but it is cut and negated whole.
      {"200 characters", left, longText.c_str(), "-5", 840101, 0, {"10.000000", "-" + longText.substr(0, 132)}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Host::ClearCalls();
    tag_t feature = 0;
    EXPECT_EQ(Extrude(Curve(row.points), true, row.start, row.end, &feature), row.status) << row.what;
    std::vector<std::string> sent;
    for (const Host::Call& call : Host::Calls())
      if (call.name == "Expression" && call.args.rfind("operation=1 ", 0) == 0) {
        const std::size_t open = call.args.find('"');
        sent.push_back(call.args.substr(open + 1, call.args.rfind('"') - open - 1));
      }
    EXPECT_GE(sent.size(), 2u) << row.what;
    if (sent.size() >= 2u) {
      EXPECT_EQ(std::vector<std::string>(sent.end() - 2, sent.end()), row.sent) << row.what;
    }
    ExtrudeValues made;
    if (row.status == 0 && Host::AskExtrudeValues(feature, &made)) {
      EXPECT_EQ(made.offsetOption, row.option) << row.what;
    } else {
      EXPECT_EQ(row.status, 840101) << row.what;
    }
  }
}

TEST_F(ToolingFeatures, AnExtrusionMakesAFeatureWithAFaceForEverySide) {
  Host::ClearCalls();
  tag_t feature = 0;
  const tag_t square = Curve({0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0, 0, 0, 0});
  ASSERT_EQ(Extrude(square, false, nullptr, nullptr, &feature), 0);
  EXPECT_EQ(FacesOf(feature).size(), 6u);  // four sides and two caps
  EXPECT_EQ(Host::OpenSessionMarks().size(), 0u);
  EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0);
  bool named = false;
  for (const Host::Call& call : Host::Calls())
    named = named || (call.name == "SessionSetUndoMark" && call.args.find("Create Extrude Feature") != std::string::npos);
  EXPECT_TRUE(named);
  // Editing keeps the feature and makes its body again from the new limits.
  const double z[3] = {0, 0, 1};
  const tag_t edited = feature;
  ASSERT_EQ(punch()->FeatExtrude(workTag(), 1, &square, 1, z, "0.000000", "4.000000", false, nullptr, nullptr, false,
                                 nullptr, false, 0, 0, false, 0, false, 0, &feature),
            0);
  EXPECT_EQ(feature, edited);
  EXPECT_EQ(FacesOf(feature).size(), 4u);  // a sheet: no caps
  ExtrudeValues made;
  ASSERT_TRUE(Host::AskExtrudeValues(feature, &made));
  EXPECT_EQ(made.endValue, "4.000000");
  // The hidden update suppressing the edited feature is its result.
  Host::SuppressOnHiddenUpdate(feature, 4);
  EXPECT_EQ(Extrude(square, false, nullptr, nullptr, &feature), 4);
}

TEST_F(ToolingFeatures, AnExtrudedBodysFacesMeetAlongEdgesTheyShare) {
  struct Row {
    const char* what;
    int bodyStyle;  // 0 solid, 1 sheet
    std::vector<double> profile;
    std::size_t faces, edges, shared;  // shared: edges bounding two faces
  };
  const Row rows[] = {
      {"a triangle, solid", 0, {0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 0}, 5, 9, 9},
      // Not convex: the caps follow the profile, not a box round it.
      {"an L, solid", 0, {0, 0, 0, 20, 0, 0, 20, 5, 0, 5, 5, 0, 5, 20, 0, 0, 20, 0, 0, 0, 0}, 8, 18, 18},
      {"an open line of three segments, sheet", 1, {0, 0, 0, 10, 0, 0, 10, 10, 0, 20, 10, 0}, 3, 10, 2},
  };
  const double z[3] = {0, 0, 1};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    tag_t feature = 0;
    const tag_t curve = Curve(row.profile);
    for (const char* end : {"10.000000", "4.000000"}) {  // made, then edited: the old body's edges go with it
      const int status = punch()->FeatExtrude(workTag(), 1, &curve, row.bodyStyle, z, "0.000000", end, false, nullptr,
                                              nullptr, false, nullptr, false, 0, 0, false, 0, false, 0, &feature);
      EXPECT_EQ(status, 0) << row.what;
      if (status != 0) break;
      const std::vector<tag_t> faces = FacesOf(feature);
      EXPECT_EQ(faces.size(), row.faces) << row.what;
      std::map<tag_t, int> bounded;
      for (tag_t face : faces) {
        int count = 0;
        tag_t* edges = nullptr;
        EXPECT_EQ(ES_face_ask_edges(face, &count, &edges), 0);
        for (int i = 0; i < count; ++i) ++bounded[edges[i]];
        SM_free(edges);
      }
      EXPECT_EQ(bounded.size(), row.edges) << row.what << " " << end;
      std::size_t shared = 0;
      for (const auto& [edge, count] : bounded) shared += count == 2;
      EXPECT_EQ(shared, row.shared) << row.what << " " << end;
      std::size_t alive = 0;
      for (tag_t t : Host::KeptInPart(part())) alive += dynamic_cast<ES_edge*>(OM::OM_object_of_tag(t)) != nullptr;
      EXPECT_EQ(alive, row.edges) << row.what << " " << end;
    }
    EXPECT_EQ(TOOLING_delete_feature(1, &feature), 0) << row.what;
  }
}

// What names an extrusion's body (a trim, a boolean) must still name it after
// the extrusion is edited: the body keeps its tag and gets new faces and edges.
TEST_F(ToolingFeatures, AnEditedExtrusionKeepsItsBodyWithNewFacesAndUndoBringsTheOldBack) {
  const struct {
    const char* what;
    int made, edited;  // body style: 0 solid, 1 sheet
    bool kept;
  } rows[] = {{"a solid", 0, 0, true}, {"a sheet", 1, 1, true}, {"a solid edited into a sheet", 0, 1, false}};
  const double z[3] = {0, 0, 1};
  const tag_t curve = Curve({0, 0, 0, 10, 0, 0, 0, 10, 0, 0, 0, 0});
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    tag_t feature = 0;
    auto extrude = [&](int style, const char* end) {
      return punch()->FeatExtrude(workTag(), 1, &curve, style, z, "0.000000", end, false, nullptr, nullptr, false,
                                  nullptr, false, 0, 0, false, 0, false, 0, &feature);
    };
    auto body = [&] { return dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature))->ask_body_eid(); };
    auto edges = [&] {
      std::vector<tag_t> live;
      for (tag_t t : Host::KeptInPart(part()))
        if (dynamic_cast<ES_edge*>(OM::OM_object_of_tag(t)) != nullptr) live.push_back(t);
      return live;
    };
    auto kernelFaces = [&] {  // as the model faces they lead back to
      std::vector<tag_t> out;
      int count = 0;
      int* faces = nullptr;
      ZV_BODY_ask_faces(ES_solid_ask_solvane_tag(body()), &count, &faces);
      for (int i = 0; i < count; ++i) out.push_back(ES_ask_eid_of_kernel_entity(faces[i]));
      SM_free(faces);
      return out;
    };
    const int madeStatus = extrude(row.made, "10.000000");
    EXPECT_EQ(madeStatus, 0) << row.what;
    if (madeStatus != 0) continue;
    const tag_t made = body();
    const std::vector<tag_t> faces = FacesOf(feature), madeEdges = edges();
    int error = -1;
    const int mark = UNDO_QD_set_mark(1, nullptr, &error);
    const int editedStatus = extrude(row.edited, "4.000000");
    EXPECT_EQ(editedStatus, 0) << row.what;
    if (editedStatus != 0) continue;
    EXPECT_EQ(body() == made, row.kept) << row.what;
    const std::vector<tag_t> edited = FacesOf(feature), editedEdges = edges();
    for (tag_t t : faces) EXPECT_EQ(OM::OM_object_of_tag(t), nullptr) << row.what;
    for (tag_t t : madeEdges) EXPECT_EQ(std::count(editedEdges.begin(), editedEdges.end(), t), 0) << row.what;
    EXPECT_EQ(kernelFaces(), edited) << row.what;

    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0) << row.what;
    EXPECT_EQ(body(), made) << row.what;
    EXPECT_EQ(FacesOf(feature), faces) << row.what;
    EXPECT_EQ(edges(), madeEdges) << row.what;
    EXPECT_EQ(kernelFaces(), faces) << row.what;
    for (tag_t t : edited) EXPECT_EQ(OM::OM_object_of_tag(t), nullptr) << row.what;
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    EXPECT_EQ(TOOLING_delete_feature(1, &feature), 0) << row.what;
  }
}

TEST_F(ToolingFeatures, AFailedExtrusionLeavesTheModelAsItWas) {
  PART_part* other = PART_part::Create(0);
  const tag_t curve = Curve({0, 0, 0, 10, 0, 0, 10, 10, 0});
  Host::SetAnswer("Features.FeatureBuilder.1", 4711);
  Host::ClearCalls();
  tag_t feature = 0;
  EXPECT_EQ(Extrude(curve, false, nullptr, nullptr, &feature, other->OmTag()), 4711);
  EXPECT_EQ(feature, 0u);
  EXPECT_EQ(PART_ask_work_part(), part());
  EXPECT_EQ(Features(other), 0);
  EXPECT_EQ(Host::OpenSessionMarks().size(), 0u);
  EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0);
  int destroyed = 0;
  for (const Host::Call& call : Host::Calls()) destroyed += call.name == "Builder";
  EXPECT_EQ(destroyed, 1);
  other->destroy();
}

TEST_F(ToolingFeatures, ARoughOffsetMovesTheSheetAndIsEditedInPlace) {
  const FaceFrame up{{0, 0, 1}, {1, 0, 0, 0, 1, 0, 0, 0, 2}};
  const tag_t sheet = ES_create_body_with_faces(nullptr, true, {up, up});
  Host::ClearCalls();
  tag_t feature = 0;
  ASSERT_EQ(punch()->FeatRoughOffset(sheet, 0, -3.0, 3.0, 25.0, &feature), 0);
  ASSERT_NE(feature, 0u);
  const double middle[2] = {0, 0};
  double point[3], normal[3];
  ASSERT_EQ(FacesOf(feature).size(), 2u);
  MODL_ask_face_props(FacesOf(feature)[1], middle, point, normal);
  EXPECT_DOUBLE_EQ(point[2], -2.0);
  bool sent = false;
  for (const Host::Call& call : Host::Calls())
    sent = sent || (call.name == "RSO_create_feature" &&
                    call.args.find("\"-3.000000\" \"3.000000\" \"25.000000\" settings=2,0,0,0") != std::string::npos);
  EXPECT_TRUE(sent);

  const tag_t made = feature;
  EXPECT_EQ(punch()->FeatRoughOffset(sheet, 0, 2.0, 1.0, 5.0, &feature), 0);
  EXPECT_EQ(feature, made);
  MODL_ask_face_props(FacesOf(feature)[0], middle, point, normal);
  EXPECT_DOUBLE_EQ(point[2], 3.0);

  struct Row {
    const char* what;
    const char* answer;
    tag_t sheet;
    tag_t feature;
    int status;
  };
  const Row rows[] = {{"no sheet", "", 0, 0, 3030591},
                      {"a failed create", "RSO_create_feature", sheet, 0, 4711},
                      {"a failed edit", "RSO_edit_feature", sheet, made, 4712}};
  for (const Row& row : rows) {
    if (row.answer[0] != '\0') Host::SetAnswer(row.answer, row.status);
    tag_t inOut = row.feature;
    EXPECT_EQ(punch()->FeatRoughOffset(row.sheet, 0, 1.0, 1.0, 5.0, &inOut), row.status) << row.what;
    EXPECT_EQ(inOut, row.feature) << row.what;
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0) << row.what;
  }
  EXPECT_EQ(Features(part()), 1);
}

TEST_F(ToolingFeatures, AChamferSendsItsOffsetsAsTexts) {
  const tag_t body = ES_create_solid(0);
  const double along[6] = {0, 0, 0, 10, 0, 0}, across[6] = {0, 0, 0, 0, 10, 0};
  const tag_t both[2] = {ES_create_edge(body, 2, along), ES_create_edge(body, 2, across)};
  tag_t feature = 0;
  ASSERT_EQ(punch()->FeatChamfer(2, both, 1, 8.0, 13.856405888926577, 0.0, 0, false, false, &feature), 0);
  ChamferValues made;
  ASSERT_TRUE(Host::AskChamferValues(feature, &made));
  EXPECT_EQ(made.firstOffset, "8.000000");
  EXPECT_EQ(made.secondOffset, "13.856406");
  EXPECT_EQ(made.option, 1);
  auto* collector = dynamic_cast<SC_collector*>(OM::OM_object_of_tag(made.edges));
  ASSERT_NE(collector, nullptr);
  EXPECT_EQ(collector->ask_count(), 2);
  EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0);

  struct Row {
    const char* what;
    const char* answer;
    int count;
    int status;
  };
  const Row rows[] = {{"no edges", "", 0, 0},
                      {"no builder", "Features.FeatureCollection.3", 2, 1},
                      {"a failed commit", "Builder.1", 2, 4711}};
  for (const Row& row : rows) {
    if (row.answer[0] != '\0') Host::SetAnswer(row.answer, 4711);
    tag_t inOut = 0;
    EXPECT_EQ(punch()->FeatChamfer(row.count, both, 2, 8.0, 0.0, 45.0, 0, true, false, &inOut), row.status)
        << row.what;
    EXPECT_EQ(inOut, 0u) << row.what;
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0) << row.what;
    Host::SetAnswer("Features.FeatureCollection.3", 0);
  }
  EXPECT_EQ(Features(part()), 1);
}

TEST_F(ToolingFeatures, ATrimTakesAPlaneOrFacesAndAnEditKeepsOnlyBodyTargets) {
  const FaceFrame up{{0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}};
  const tag_t target = ES_create_body_with_faces(nullptr, false, {up, up});
  const tag_t sheet = ES_create_body_with_faces(nullptr, true, {up, up, up});
  const double o[3] = {0, 0, 0}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  const tag_t plane = ES_create_plane(o, m);
  auto firstFace = [](tag_t body) {
    int count = 0;
    tag_t* faces = nullptr;
    ES_body_ask_faces(body, &count, &faces);
    const tag_t first = faces[0];
    SM_free(faces);
    return first;
  };
  const tag_t bare = ES_create_face(ES_create_solid(0));  // a face the kernel does not hold
  struct Row {
    const char* what;
    tag_t tool;
    int status;
    int option;
    int faces;
  };
  const Row rows[] = {{"a plane", plane, 0, 1, 0},
                      {"a sheet body", sheet, 0, 0, 3},
                      {"a face of a solid: itself", firstFace(target), 0, 0, 1},
                      {"a face of a sheet: the whole sheet", firstFace(sheet), 0, 0, 3},
                      {"a face without a kernel face", bare, 670219, 0, 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    tag_t feature = 0;
    EXPECT_EQ(punch()->FeatTrimSolid(1, &target, row.tool, true, &feature), row.status) << row.what;
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0) << row.what;
    if (row.status != 0) continue;
    TrimValues made;
    const bool asked = Host::AskTrimValues(feature, &made);
    EXPECT_TRUE(asked) << row.what;
    if (!asked) continue;
    EXPECT_EQ(made.toolOption, row.option) << row.what;
    EXPECT_EQ(made.plane, row.option == 1 ? plane : 0u) << row.what;
    auto* faces = dynamic_cast<SC_collector*>(OM::OM_object_of_tag(made.faces));
    EXPECT_EQ(faces != nullptr ? faces->ask_count() : 0, row.faces) << row.what;
    EXPECT_TRUE(made.reverse) << row.what;
    EXPECT_EQ(punch()->GetFeatFirstBody(feature), target) << row.what;
  }
  EXPECT_EQ(punch()->FeatTrimSolid(1, &target, 0, false, nullptr), 3030591);

  // A feature whose targets were picked by another rule is not edited.
  tag_t feature = 0;
  ASSERT_EQ(punch()->FeatTrimSolid(1, &target, plane, false, &feature), 0);
  TrimValues made;
  ASSERT_TRUE(Host::AskTrimValues(feature, &made));
  auto* targets = dynamic_cast<SC_collector*>(OM::OM_object_of_tag(made.targets));
  ASSERT_NE(targets, nullptr);
  SC_rule* faceRule = SC_rule::Make(SC_rule::kFaceRule, 1, &target);
  targets->replace_rules(1, &faceRule);
  faceRule->destroy();
  const int live = OM::OM_live_objects();
  EXPECT_EQ(punch()->FeatTrimSolid(1, &target, plane, false, &feature), 3030591);
  EXPECT_EQ(OM::OM_live_objects(), live);  // no builder left
  EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0);
}

TEST_F(ToolingFeatures, ABoundingSheetBoxesTheFacesOfItsFeatures) {
  tag_t extrusion = 0;
  ASSERT_EQ(Extrude(Curve({0, 0, 0, 10, 0, 0, 10, 20, 0, 0, 20, 0, 0, 0, 0}), false, nullptr, nullptr, &extrusion), 0);
  const double offsets[6] = {1, 2, 3, 4, 5, 6};
  tag_t body = 0;
  ASSERT_EQ(punch()->FeatSheetBoundBox(0, 1, &extrusion, offsets, &body), 0);
  double box[6];
  ASSERT_EQ(BOUNDBOX_ask_bounding_box_aligned_wcs(1, &body, box), 0);
  const double expected[6] = {-1, -3, -5, 12, 24, 16};
  for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(box[i], expected[i]) << i;

  // An edit boxes the faces again with the new offsets, in the same feature.
  const tag_t feature = FREC_ask_root_frec_of_body(body);
  const double none[6] = {0, 0, 0, 0, 0, 0};
  ASSERT_EQ(punch()->FeatSheetBoundBox(1, 1, &extrusion, none, &body), 0);
  ASSERT_EQ(FREC_ask_root_frec_of_body(punch()->GetFeatFirstBody(feature)), feature);
  ASSERT_EQ(BOUNDBOX_ask_bounding_box_aligned_wcs(1, &feature, box), 0);
  EXPECT_DOUBLE_EQ(box[4], 20.0);

  struct Row {
    const char* what;
    const char* answer;
    tag_t object;
    int status;
  };
  const double o[3] = {0, 0, 0};
  const Row rows[] = {{"no face", "", ES_create_point(o), 3030591},
                      {"a failed create", "EW_create_frec_by_face", extrusion, 4711}};
  const int features = Features(part());
  for (const Row& row : rows) {
    if (row.answer[0] != '\0') Host::SetAnswer(row.answer, row.status);
    tag_t made = 0;
    EXPECT_EQ(punch()->FeatSheetBoundBox(0, 1, &row.object, offsets, &made), row.status) << row.what;
    EXPECT_EQ(made, 0u) << row.what;
    EXPECT_EQ(Features(part()), features) << row.what;
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0) << row.what;
  }
}

}  // namespace
