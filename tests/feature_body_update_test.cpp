// A feature's update builds its body anew through the body maker that made
// it: the kernel body keeps its tag and takes the new geometry, undo gives
// the old geometry back, and a maker that fails leaves the body as it was.
#include <vector>

#include "TestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/DieShoeParms.hpp"
#include "afl/Parms.hpp"
#include "feat/Builder.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "om/ObjectManager.hpp"
#include "sys/Memory.hpp"

namespace {

using namespace KTX;

// What the test maker builds: a cube of this side (mm) at the origin, or
// this failure after handing out a body anyway.
double gSide = 10;
int gFailure = 0;
int gMade = 0;

int Cube(double side) {
  const double p[] = {0, 0, 0, side, 0, 0, side, side, 0, 0, side, 0, 0, 0, 0};
  const tag_t curve = ES_create_polyline(5, p);
  const double point[3] = {0, 0, 0}, up[3] = {0, 0, 1};
  int sheet = 0;
  DIEDES_UTILS__bplane_from_curves(1, &curve, point, up, 0.01, &sheet, nullptr, nullptr);
  const double path[3] = {0, 0, side * Kernel::ScaleFactors().factors[0]};
  ZV_TOPOL_track_r_t tracking;
  ZV_BODY_sweep(sheet, path, &tracking);
  ZV_TOPOL_track_r_f(&tracking);
  return sheet;
}

int CubeMaker(FEATURE_RECORD*, int* body) {
  ++gMade;
  *body = Cube(gSide);
  return gFailure;
}

class FeatureBodyUpdate : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    gSide = 10;
    gFailure = 0;
    gMade = 0;
    DIEENG_register_body_maker("KTX::DieDes::DieShoe", &CubeMaker);
  }
  void TearDown() override {
    DIEENG_register_body_maker("KTX::DieDes::DieShoe", nullptr);
    // The feature's body does not own its kernel body: it is given back here.
    for (tag_t body : bodies_) Kernel::DeleteBody(Kernel::DetachModelBody(body), "test");
    HostTest::TearDown();
  }
  FEATURE_RECORD* Feature() {
    FEATURE_RECORD* record = nullptr;
    EXPECT_EQ(DIEENG_CreateFrecWithParms(DieDes::DieShoeFactory::Create(), 0, &record), 0);
    if (record != nullptr) bodies_.push_back(record->ask_body_eid());
    return record;
  }
  static int KernelBody(FEATURE_RECORD* record) { return ES_solid_ask_solvane_tag(record->ask_body_eid()); }
  static double Mm3(int body) {
    const double k = Kernel::ScaleFactors().factors[1];
    return Kernel::Volume(body) * k * k * k;
  }

 private:
  std::vector<tag_t> bodies_;
};

TEST_F(FeatureBodyUpdate, TheBodyTakesTheNewGeometryInPlaceAndUndoGivesTheOldBack) {
  FEATURE_RECORD* record = Feature();
  ASSERT_NE(record, nullptr);
  const int body = KernelBody(record);
  EXPECT_NEAR(Mm3(body), 1000, 1e-6);
  const int live = Kernel::LiveCounters().liveBodies;

  int error = 0;
  const int mark = UNDO_QD_set_mark(1, nullptr, &error);
  gSide = 20;
  EXPECT_EQ(DIEENG_UpdateMultipleBodyFrec(record), 0);
  EXPECT_EQ(KernelBody(record), body) << "the model body keeps its kernel body";
  EXPECT_NEAR(Mm3(body), 8000, 1e-6);
  EXPECT_EQ(Kernel::LiveCounters().liveBodies, live) << "the new body is consumed";
  int faces = 0, *list = nullptr;
  ASSERT_EQ(ZV_BODY_ask_faces(body, &faces, &list), 0);
  EXPECT_EQ(faces, 6);
  SM_free(list);

  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  EXPECT_NEAR(Mm3(body), 1000, 1e-6);
  EXPECT_EQ(Kernel::LiveCounters().liveBodies, live);
}

TEST_F(FeatureBodyUpdate, AFailingMakerOrAScriptedFailureOrNoMakerLeavesTheBody) {
  struct Row {
    const char* what;
    int failure;   // the maker's
    int answer;    // the scripted one
    bool maker;    // registered
    int want;
    int madeCalls;
  } rows[] = {
      {"the maker fails", 670443, 0, true, 670443, 1},
      {"scripted", 0, 5150, true, 5150, 0},
      {"both: the script wins", 670443, 5150, true, 5150, 0},
      {"no maker for the class", 0, 0, false, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FEATURE_RECORD* record = Feature();
    EXPECT_NE(record, nullptr);
    if (record == nullptr) continue;
    const int body = KernelBody(record);
    const int live = Kernel::LiveCounters().liveBodies;
    gSide = 30;
    gFailure = row.failure;
    gMade = 0;
    Host::SetAnswer("DIEENG_UpdateMultipleBodyFrec", row.answer);
    if (!row.maker) DIEENG_register_body_maker("KTX::DieDes::DieShoe", nullptr);
    EXPECT_EQ(DIEENG_UpdateMultipleBodyFrec(record), row.want);
    DIEENG_register_body_maker("KTX::DieDes::DieShoe", &CubeMaker);
    EXPECT_EQ(gMade, row.madeCalls);
    EXPECT_NEAR(Mm3(body), 1000, 1e-6);
    EXPECT_EQ(Kernel::LiveCounters().liveBodies, live) << "what the failing maker handed out is deleted";
    Host::ClearAnswers();
    gFailure = 0;
    gSide = 10;
  }
}

TEST_F(FeatureBodyUpdate, TakingGeometryNeedsTwoLiveBodies) {
  const int a = Cube(10), b = Cube(20);
  int faces = 0, *list = nullptr;
  ASSERT_EQ(ZV_BODY_ask_faces(a, &faces, &list), 0);
  const int face = list[0];
  SM_free(list);
  const int dead = Cube(5);
  Kernel::DeleteBody(dead, "test");
  struct Row {
    const char* what;
    int body, from, want;
  } rows[] = {
      {"itself", a, a, ZV_ERROR_not_a_body},
      {"from a dead body", a, dead, ZV_ERROR_bad_tag},
      {"into a dead body", dead, a, ZV_ERROR_bad_tag},
      {"from a face", a, face, ZV_ERROR_not_a_body},
      {"into a face", face, a, ZV_ERROR_not_a_body},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Kernel::TakeGeometry(row.body, row.from), row.want) << row.what;
    EXPECT_NEAR(Mm3(a), 1000, 1e-6) << row.what;
    EXPECT_TRUE(Kernel::IsBody(a)) << row.what;
  }
  EXPECT_EQ(Kernel::TakeGeometry(a, b), 0);
  EXPECT_NEAR(Mm3(a), 8000, 1e-6);
  EXPECT_FALSE(Kernel::IsAlive(b));
  EXPECT_FALSE(Kernel::IsAlive(face)) << "the old faces go with the old geometry";
  Kernel::DeleteBody(a, "test");
}

}  // namespace
