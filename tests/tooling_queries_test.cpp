// The draw punch's geometric queries: distances between two objects (with
// their sentinel for a missing object or a failed measurement), whether a
// curve is planar, and which way a sheet's faces look.
#include <vector>

#include "TestSupport.hpp"
#include "Tooling_DieDesDrawPunchBuilder.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "tool/ToolingGeometry.hpp"

using namespace KTX;
using namespace KTX::Tooling;

namespace {

class ToolingQueries : public stamvik_test::HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    punch_ = DieDesDrawPunchBuilderFactory::Create(0, part());
  }
  void TearDown() override {
    Host::ClearMeasurements();
    punch_->destroy();
    HostTest::TearDown();
  }
  DieDesDrawPunchBuilder* punch() const { return punch_; }
  // A face of the body at the origin with that normal.
  static tag_t Face(tag_t body, const double origin[3], double nz) {
    const tag_t face = ES_create_face(body);
    const double matrix[9] = {1, 0, 0, 0, nz, 0, 0, 0, nz};
    dynamic_cast<GEOM_entity*>(OM::OM_object_of_tag(face))->set_frame(origin, matrix);
    return face;
  }

 private:
  DieDesDrawPunchBuilder* punch_ = nullptr;
};

TEST_F(ToolingQueries, DistancesAreMeasuredOrGiveTheSentinel) {
  const double a[3] = {0, 0, 0}, b[3] = {3, 4, 0}, c[3] = {6, 8, 0};
  const tag_t p = ES_create_point(a), line = ES_create_line_in_part(nullptr, b, c);
  const tag_t raising = ES_create_point(c);
  Host::ScriptMeasurement(p, raising, a, c, 4711);
  struct Row {
    const char* what;
    tag_t first, second;
    double minimum, maximum;
  };
  const Row rows[] = {{"a point and a line", p, line, 5.0, 10.0},
                      {"a missing first object", 0, line, 3030591.0, 3030591.0},
                      {"a missing second object", p, 0, 3030591.0, 3030591.0},
                      {"a measurement that raises", p, raising, 3030591.0, 3030591.0}};
  for (const Row& row : rows) {
    EXPECT_DOUBLE_EQ(punch()->AskMinimumDist(row.first, row.second), row.minimum) << row.what;
    EXPECT_DOUBLE_EQ(punch()->AskMaximumDist(row.first, row.second), row.maximum) << row.what;
  }
  ASSERT_EQ(Error::SevereErrors().size(), 2u);
  EXPECT_EQ(Error::SevereErrors()[0].line, 845);
  EXPECT_EQ(Error::SevereErrors()[1].line, 810);
}

TEST_F(ToolingQueries, ACurveIsPlanarWithinATolerance) {
  struct Row {
    const char* what;
    std::vector<double> points;
    bool planar;
  };
  const Row rows[] = {
      {"a straight line", {0, 0, 0, 10, 0, 0}, true},
      {"a bent curve in a plane", {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0}, true},
      {"a last point 0.012 out: 1.2 tolerances, the limit", {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0.012}, true},
      {"a last point 0.013 out", {0, 0, 0, 10, 0, 0, 10, 10, 0, 0, 10, 0.013}, false},
  };
  for (const Row& row : rows) {
    const tag_t curve = ES_create_polyline(static_cast<int>(row.points.size() / 3), row.points.data());
    EXPECT_EQ(punch()->Is2DCurve(curve), row.planar) << row.what;
  }
}

TEST_F(ToolingQueries, ASheetLooksTheWayMostOfItsFacesDo) {
  const tag_t sheet = ES_create_solid(0);
  EXPECT_TRUE(punch()->GetSheetTrimDirection(0));
  EXPECT_TRUE(punch()->GetSheetTrimDirection(sheet)) << "no faces";
  EXPECT_FALSE(punch()->GetSheetTrimDirectionWithVector(sheet, Math::Vector3{0, 0, 1}));
  const double low[3] = {0, 0, 0}, high[3] = {0, 0, 2};
  Face(sheet, low, -1);  // against +Z
  for (int i = 0; i < 3; ++i) Face(sheet, high, 1);
  EXPECT_TRUE(punch()->GetSheetTrimDirectionWithVector(sheet, Math::Vector3{0, 0, 1}));
  EXPECT_FALSE(punch()->GetSheetTrimDirectionWithVector(sheet, Math::Vector3{0, 0, -1}));
  // The first face looks down, away from the middle one two above it.
  EXPECT_FALSE(punch()->GetSheetTrimDirection(sheet));
}

}  // namespace
