// The draw punch's face work: which faces of a solid are machined how (by
// their distance to the base plane), the label on one of them, the belt edges
// its chamfer runs along, and the face references and typed bodies it asks of
// the host.
#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "assy/Assembly.hpp"
#include "geom/Faces.hpp"
#include "kernel/Kernel.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingGeometry.hpp"

using namespace KTX;
using namespace KTX::Tooling;

namespace {

class MachiningFaces : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    punch_ = DieDesDrawPunchBuilderFactory::Create(0, part());
    const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    plane_ = ES_create_plane(origin, identity);
    punch_->SetBasePlane(plane_);
    Host::SetCustomerDefault("MFM_Refined_Attribute", std::string("REFINED"));
    Host::SetCustomerDefault("MFM_Rough_Attribute", std::string("ROUGH"));
    Host::SetCustomerDefault("MFM_Finishing_Attribute", std::string("FINISHING"));
  }
  void TearDown() override {
    Host::ClearMeasurements();
    Host::ClearCustomerDefaults();
    Host::ForgetModelingValues();
    punch_->destroy();
    for (auto [solid, body] : bodies_) {
      Kernel::DetachModelBody(solid);
      Kernel::DeleteBody(body, "test");
    }
    HostTest::TearDown();
  }
  // A feature whose body has one face per row: flat at that height, or
  // standing on it (its second row along +Z, so it rises one unit from it).
  struct FaceAt {
    double z;
    bool standing;
    std::vector<tag_t> edges;
  };
  tag_t Feature(const std::vector<FaceAt>& rows, std::vector<tag_t>* faces) {
    const int body = Kernel::CreateBody(Kernel::BodyType::Solid);
    const tag_t solid = ES_create_solid(body);
    bodies_.push_back({solid, body});
    for (const FaceAt& row : rows) {
      const tag_t face = ES_create_face(solid);
      const double origin[3] = {0, 0, row.z};
      const double flat[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1}, standing[9] = {1, 0, 0, 0, 0, 1, 0, -1, 0};
      dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(face))->set_frame(origin, row.standing ? standing : flat);
      for (tag_t edge : row.edges) ES_face_add_edge(face, edge);
      faces->push_back(face);
    }
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(nullptr, nullptr);
    frec->set_body_eid(solid);
    return frec->OmTag();
  }
  static std::string KindOf(tag_t face) {
    for (const char* title : {"REFINED", "ROUGH", "FINISHING"}) {
      int value = 0;
      bool hidden = false;
      if (ATTR_ask_int(face, title, &value, &hidden)) return title;
    }
    return "none";
  }
  static std::vector<std::string> Args(const std::string& name) {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name == name) out.push_back(c.args);
    return out;
  }
  DieDesDrawPunchBuilder* punch() const { return punch_; }
  tag_t plane() const { return plane_; }

 private:
  DieDesDrawPunchBuilder* punch_ = nullptr;
  tag_t plane_ = 0;
  std::vector<std::pair<tag_t, int>> bodies_;
};

TEST_F(MachiningFaces, FacesAreSortedByTheBasePlaneAndTheMiddleFaceAwayIsLabelled) {
  struct Row {
    const char* what;
    bool exact;
    std::vector<FaceAt> faces;
    std::vector<std::string> kinds;
    int labelled;  // index of the face labelled, -1 for none
    const char* text;
  };
  const Row rows[] = {
      {"in the plane, standing on it, four away",
       false,
       {{0, false, {}}, {0, true, {}}, {5, false, {}}, {6, false, {}}, {7, false, {}}, {8, false, {}}},
       {"REFINED", "ROUGH", "FINISHING", "FINISHING", "FINISHING", "FINISHING"},
       4,
       "Rough face"},
      {"the exact sheet, one face away", true, {{3, false, {}}, {0, false, {}}}, {"FINISHING", "REFINED"}, 0,
       "Exact face"},
      {"nothing away: no label", false, {{0, false, {}}, {0, true, {}}}, {"REFINED", "ROUGH"}, -1, nullptr},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<tag_t> faces;
    const tag_t feature = Feature(row.faces, &faces);
    punch()->SetExactSheetbodyOption(row.exact);
    Host::ClearCalls();
    EXPECT_EQ(punch()->ClassifyMachiningFaces(feature), 0) << row.what;
    for (std::size_t i = 0; i < faces.size(); ++i) EXPECT_EQ(KindOf(faces[i]), row.kinds[i]) << row.what << " " << i;
    const std::vector<std::string> labels = Args("TOOLING_add_pmi_label");
    if (row.labelled < 0) {
      EXPECT_TRUE(labels.empty()) << row.what;
      continue;
    }
    EXPECT_EQ(labels.size(), 1u) << row.what;
    if (labels.size() != 1u) continue;
    // 100 above the middle of the face, pointing at a point made at its middle.
    const double z = row.faces[static_cast<std::size_t>(row.labelled)].z;
    const std::size_t at = labels[0].find(" point=");
    EXPECT_EQ(labels[0].substr(0, at),
              "\"" + std::string(row.text) + "\" origin=0.500000,0.500000," + std::to_string(z + 100.0))
        << row.what;
    const tag_t point = static_cast<tag_t>(std::stoul(labels[0].substr(at + 7)));
    double xyz[3] = {0, 0, -1};
    EXPECT_EQ(ES_ask_coordinates_of_point(point, xyz), 0);
    EXPECT_EQ(std::vector<double>(xyz, xyz + 3), (std::vector<double>{0.5, 0.5, z}));
    EXPECT_NE(labels[0].find(" kind=4 size=100.000000"), std::string::npos);
  }
}

TEST_F(MachiningFaces, AFaceWithoutANearestPointCountsAsTouching) {
  std::vector<tag_t> faces;
  const tag_t feature = Feature({{4, false, {}}, {4, false, {}}}, &faces);
  Host::ScriptNoMinimum(plane(), faces[0]);
  punch()->ClassifyMachiningFaces(feature);
  EXPECT_EQ(KindOf(faces[0]), "ROUGH");
  EXPECT_EQ(KindOf(faces[1]), "FINISHING");
  // A failed measurement gives the sentinel, never 0: such a face is never taken as lying in the plane.
  const double any[3] = {0, 0, 0};
  Host::ScriptMeasurement(plane(), faces[1], any, any, 4711);
  Host::ScriptNoMinimum(plane(), faces[1]);
  punch()->ClassifyMachiningFaces(feature);
  EXPECT_EQ(KindOf(faces[1]), "ROUGH");
}

TEST_F(MachiningFaces, BeltEdgesAreTheEdgesTheLowerFacesShareWithTheUpperOnes) {
  const tag_t e[7] = {0, 101, 102, 103, 104, 105, 106};
  std::vector<tag_t> faces;
  // Lower: on the plane, standing on it, and 0.0099 above it; upper: 0.01
  // above (the tolerance), 5 (the stress solid's top when editing) and 7.
  const tag_t feature = Feature({{0, false, {e[1], e[2], e[3]}},
                                 {0, true, {e[3], e[4], e[5]}},
                                 {0.0099, false, {e[6]}},
                                 {0.01, false, {e[6], e[1]}},
                                 {5, false, {e[5], e[2]}},
                                 {7, false, {e[4]}}},
                                &faces);
  std::vector<tag_t> edges = {99};
  EXPECT_EQ(punch()->GetBeltChamferEdges(feature, plane(), &edges), 0);
  EXPECT_EQ(edges, (std::vector<tag_t>{99, e[1], e[2], e[4], e[5], e[6]}));

  // Editing a punch whose stress solid is 5 thick: the face 5 up sits on it.
  tag_t stress = FEATURE_RECORD::Create(nullptr, nullptr)->OmTag();
  punch()->AddHideIntAttr(stress, "QD$MAIN_STRESS_SOLID");
  ExtrudeValues values;
  values.startValue = "0.000000";
  values.endValue = "5.000000";
  Host::SetExtrudeValues(stress, values);
  punch()->SetTfeatureSet(TOOLING_create_user_defined_feature_set(&stress, 1, 1, 0, "Draw Punch"));
  edges.clear();
  punch()->GetBeltChamferEdges(feature, plane(), &edges);
  EXPECT_EQ(edges, (std::vector<tag_t>{e[1], e[4], e[6]}));

  // A face without a nearest point is upper.
  Host::ScriptNoMinimum(plane(), faces[2]);
  edges.clear();
  punch()->GetBeltChamferEdges(feature, plane(), &edges);
  EXPECT_EQ(edges, (std::vector<tag_t>{e[1], e[4]}));
  edges.clear();
  punch()->GetBeltChamferEdges(0, plane(), &edges);
  EXPECT_TRUE(edges.empty());
}

TEST_F(MachiningFaces, FaceReferencesAndTypedBodiesComeFromTheHostsAllocator) {
  std::vector<tag_t> faces;
  Feature({{0, false, {}}, {1, false, {}}}, &faces);
  FACE_REFERENCE** refs = nullptr;
  tag_t untouched = 0;
  tag_t* occs = &untouched;
  punch()->AskFaceReference(0, faces.data(), &refs, &occs);
  EXPECT_EQ(refs, nullptr);
  EXPECT_EQ(occs, &untouched);
  punch()->AskFaceReference(2, faces.data(), &refs, &occs);
  ASSERT_NE(refs, nullptr);
  EXPECT_EQ(occs, nullptr) << "no occurrence among the faces";
  EXPECT_EQ(refs[0]->ask_face(), faces[0]);
  EXPECT_EQ(refs[1]->ask_face(), faces[1]);
  FACE_REFERENCE** again = nullptr;
  const tag_t mixed[2] = {faces[1], OCC_occurrence::Place(nullptr, faces[0])->OmTag()};
  punch()->AskFaceReference(2, mixed, &again, &occs);
  EXPECT_EQ(again[0], refs[1]) << "a face has one reference";
  EXPECT_EQ(again[1], refs[0]) << "an occurrence is referred to by its prototype";
  ASSERT_NE(occs, nullptr);
  EXPECT_EQ(occs[0], part()->OmTag());
  SM_free(refs);
  SM_free(again);
  SM_free(occs);

  const int sheetBody = Kernel::CreateBody(Kernel::BodyType::Sheet);
  const tag_t sheet = ES_create_solid(sheetBody);
  struct Row {
    int type;
    std::vector<tag_t> bodies;
  };
  const tag_t solid = ES_solid_ask_body(faces[0]);
  const Row rows[] = {{5601, {solid}}, {5602, {sheet}}, {5603, {}}};
  PART_part* other = PART_part::Create(0);
  PART_set_work_part(other);
  for (const Row& row : rows) {
    int count = -1;
    tag_t* bodies = nullptr;
    punch()->GetAllTypedBodies(part()->OmTag(), row.type, &count, &bodies);
    EXPECT_EQ(std::vector<tag_t>(bodies, bodies + std::max(count, 0)), row.bodies) << row.type;
    if (row.bodies.empty()) {
      EXPECT_EQ(count, -1) << "out values left as they were";
    }
    EXPECT_EQ(PART_ask_work_part(), other) << "the work part is put back";
    SM_free(bodies);
  }
  PART_set_work_part(part());
  other->destroy();
  Kernel::DetachModelBody(sheet);
  Kernel::DeleteBody(sheetBody, "test");
}

TEST_F(MachiningFaces, TheDiesTopIsFinishedItsBottomInThePlaneRefinedAndOneTopFaceLabelled) {
  auto* die = DieDesDrawDieBuilderFactory::Create(0, part());
  die->SetBasePlane(plane());
  const double above[3] = {0, 0, 10};
  const tag_t topBody = ES_create_point(above);
  struct Row {
    const char* what;
    bool trimmed, stress, exact;
    std::vector<double> top;     // heights of the top (or top-trim) feature's faces
    std::vector<double> bottom;  // of the stress (or main) feature's faces
    std::vector<std::string> topKinds, bottomKinds;
    const char* label;  // text of the label, none when null
    double labelled;    // height of the face it stands on
  };
  const Row rows[] = {
      {"trimmed: every face of the trim, the stress solid's bottom", true, true, false, {3, 4, 5},
       {0, 0.0099, 0.01}, {"FINISHING", "FINISHING", "FINISHING"}, {"REFINED", "REFINED", "none"}, "Rough face", 4},
      {"untrimmed: the faces on the top sheet, the main solid's bottom", false, false, true, {9, 10},
       {0, 2}, {"none", "FINISHING"}, {"REFINED", "none"}, "Exact face", 10},
      {"no face on the top sheet: no label", false, true, false, {9.5}, {0}, {"none"}, {"REFINED"}, nullptr, 0},
  };
  auto heights = [](const std::vector<double>& zs) {
    std::vector<FaceAt> faces;
    for (double z : zs) faces.push_back({z, false, {}});
    return faces;
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<tag_t> top, bottom;
    const tag_t topFeature = Feature(heights(row.top), &top);
    const tag_t bottomFeature = Feature(heights(row.bottom), &bottom);
    const tag_t main = row.stress ? FEATURE_RECORD::Create(nullptr, nullptr)->OmTag() : bottomFeature;
    die->SetExactSheetbodyOption(row.exact);
    Host::ClearCalls();
    EXPECT_EQ(die->ClassifyMachiningFaces(main, row.trimmed ? 0 : topFeature, row.trimmed ? topFeature : 0,
                                          row.stress ? bottomFeature : 0, topBody),
              0)
        << row.what;
    for (std::size_t i = 0; i < top.size(); ++i) EXPECT_EQ(KindOf(top[i]), row.topKinds[i]) << row.what << " " << i;
    for (std::size_t i = 0; i < bottom.size(); ++i)
      EXPECT_EQ(KindOf(bottom[i]), row.bottomKinds[i]) << row.what << " " << i;
    const std::vector<std::string> labels = Args("TOOLING_add_pmi_label");
    if (row.label == nullptr) {
      EXPECT_TRUE(labels.empty()) << row.what;
      continue;
    }
    EXPECT_EQ(labels.size(), 1u) << row.what;
    if (labels.size() != 1u) continue;
    EXPECT_EQ(labels[0].substr(0, labels[0].find(" point=")),
              "\"" + std::string(row.label) + "\" origin=0.500000,0.500000," + std::to_string(row.labelled + 100.0))
        << row.what;
  }
  // Without a main feature, or without both top features, nothing is asked.
  std::vector<tag_t> faces;
  const tag_t feature = Feature(heights({0}), &faces);
  Host::ClearCalls();
  EXPECT_EQ(die->ClassifyMachiningFaces(0, feature, feature, feature, topBody), 0);
  EXPECT_EQ(die->ClassifyMachiningFaces(feature, 0, 0, feature, topBody), 0);
  EXPECT_EQ(Host::CountCalls("FREC_ask_top_faces"), 0u);
  die->destroy();
}

}  // namespace
