// A NaN or an infinity is refused where it enters: by the scripting calls
// that take points, by curves, by the kernel before the modeller sees it
// (on some inputs it never returns), and by the builders that reach it.
#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "script/ScriptHost.hpp"

using namespace KTX;
using KTX::Kernel::BodyType;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// Where in a rectangle 1000 by 800 the bad number goes: corner, axis, value.
struct Bad {
  int corner;
  int axis;
  double value;
  const char* name;
};
constexpr Bad kBad[] = {
    {0, 0, kNaN, "NaN x of the first corner"},
    {2, 1, kInf, "infinite y of the third corner"},
    {3, 2, -kInf, "negative infinite z of the last corner"},
};

std::vector<double> Rectangle(const Bad& bad) {
  std::vector<double> p = {-500, -400, 0, 500, -400, 0, 500, 400, 0, -500, 400, 0};
  p[static_cast<std::size_t>(3 * bad.corner + bad.axis)] = bad.value;
  return p;
}

class NonFinite : public stamvik_test::DieDesignFeature {
 protected:
  void TearDown() override {
    for (int body : made_) Kernel::DeleteBody(body, "test");
    DieDesignFeature::TearDown();
  }
  std::vector<int> made_;
};

TEST_F(NonFinite, TheKernelRefusesBeforeTheModellerSeesIt) {
  const double origin[3] = {0, 0, 0}, up[3] = {0, 0, 1};
  for (const Bad& bad : kBad) {
    SCOPED_TRACE(bad.name);
    int sheet = -1;
    EXPECT_EQ(Kernel::MakePlanarSheet({Rectangle(bad)}, origin, up, &sheet), ZV_ERROR_bad_value);
    EXPECT_EQ(sheet, 0);
    double point[3] = {0, 0, 0}, normal[3] = {0, 0, 1};
    (bad.corner == 0 ? point : normal)[bad.axis] = bad.value;
    EXPECT_EQ(Kernel::MakePlanarSheet({{0, 0, 0, 1, 0, 0, 1, 1, 0}}, point, normal, &sheet), ZV_ERROR_bad_value);
  }
  // A good sheet, then cut, swept and asked about with bad numbers: nothing changes.
  int sheet = 0;
  ASSERT_EQ(Kernel::MakePlanarSheet({{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}}, origin, up, &sheet), 0);
  made_.push_back(sheet);
  for (const Bad& bad : kBad) {
    SCOPED_TRACE(bad.name);
    double normal[3] = {1, 0, 0};
    normal[bad.axis] = bad.value;
    EXPECT_EQ(Kernel::TrimToPlane(sheet, origin, normal), ZV_ERROR_geometry);
    EXPECT_EQ(Kernel::Classify(sheet, normal), Kernel::Containment::Out);
    ZV_TOPOL_track_r_t tracking{};
    EXPECT_EQ(ZV_BODY_sweep(sheet, normal, &tracking), ZV_ERROR_geometry);
    EXPECT_TRUE(Kernel::IsSheet(sheet));
  }
}

TEST_F(NonFinite, CurvesAndSectionsTakeNoPointThatIsNotFinite) {
  SC_section* section = SC_sectionFactory::object(0, 0.0095, 0.01, 0.5);
  for (const Bad& bad : kBad) {
    SCOPED_TRACE(bad.name);
    const std::vector<double> p = Rectangle(bad);
    EXPECT_EQ(ES_create_polyline(4, p.data()), 0u);
    std::vector<JAM_point3d_s> points;
    for (std::size_t i = 0; i < p.size(); i += 3) points.push_back({p[i], p[i + 1], p[i + 2]});
    EXPECT_EQ(Script::Section_AddLoop(section, SC_section::kClosed, 4, points.data()), Script::kBadLoop);
    EXPECT_EQ(Script::Section_AddLines(section, SC_section::kClosed, 4, points.data()), Script::kBadLoop);
    tag_t made = 1;
    EXPECT_EQ(Script::Part_CreatePoint(part()->ask_tag(), 1, points.data() + bad.corner, &made), Script::kBadLoop);
    EXPECT_EQ(made, 0u);
  }
  EXPECT_EQ(section->ask_loop_count(), 0);
  section->destroy();
}

TEST_F(NonFinite, ADieShoeWithABadFlangePointIsRefusedAtOnce) {
  for (const Bad& bad : kBad) {
    SCOPED_TRACE(bad.name);
    DieDes::DieShoeBuilder* s = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* base = s->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const std::vector<double> p = Rectangle(bad);
    tag_t curves[4];
    for (int i = 0; i < 4; ++i) curves[i] = ES_create_point(p.data() + 3 * i);
    s->GetBaseFlangeSectionPtr()->add_loop(SC_section::kClosed, 4, curves);
    Set(s->GetFlangeThickness(), "40");
    int body = 0;
    EXPECT_NE(s->CreateBody(&body), 0);
    EXPECT_EQ(body, 0);
    if (body != 0) made_.push_back(body);
    s->destroy();
  }
}

TEST_F(NonFinite, ACastReliefWithABadProfilePointIsNotCommitted) {
  for (const Bad& bad : kBad) {
    SCOPED_TRACE(bad.name);
    DieDesJA::CastReliefBuilder* b = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    const std::vector<double> p = Rectangle(bad);
    tag_t curves[4];
    for (int i = 0; i < 4; ++i) curves[i] = ES_create_point(p.data() + 3 * i);
    b->GetReliefProfile()->add_loop(SC_section::kClosed, 4, curves);
    b->GetSheetMetal()->set_selected_tag(ModelBody(BodyType::Sheet));
    Set(b->GetReliefDepth(), "5");
    const double origin[3] = {0, 0, 10}, normal[3] = {0, 0, 1};
    b->GetTargetData()->SetBase(origin, normal);
    b->GetTargetData()->SetBaseFlag(true);
    b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
    tag_t committed = 0;
    EXPECT_NE(Script::Builder_Commit(b, &committed), 0);
    EXPECT_EQ(committed, 0u);
    b->destroy();
  }
}

}  // namespace
