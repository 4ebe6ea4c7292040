// The stand-in's curve loops (curves sorted into chains by their end points,
// and the test of one closed loop that the tooling profiles rely on) and the
// user attributes of objects.
#include <algorithm>
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "geom/Curve.hpp"
#include "geom/CurveLoops.hpp"
#include "geom/Faces.hpp"

namespace {

using namespace KTX;

class CurveLoops : public stamvik_test::HostTest {
 protected:
  // Lines from each point to the next (x, y pairs), closed back when asked.
  static std::vector<tag_t> Lines(const std::vector<double>& xy, bool close) {
    std::vector<tag_t> lines;
    const std::size_t n = xy.size() / 2;
    for (std::size_t i = 0; i + (close ? 0 : 1) < n; ++i) {
      const double a[3] = {xy[2 * i], xy[2 * i + 1], 0};
      const double b[3] = {xy[2 * ((i + 1) % n)], xy[2 * ((i + 1) % n) + 1], 0};
      lines.push_back(ES_create_line_in_part(nullptr, a, b));
    }
    return lines;
  }
  static OM_tag_set* SetOf(const std::vector<tag_t>& tags) {
    OM_tag_set* set = OM_create_tag_set();
    for (const tag_t t : tags) OM_insert_into_tag_set(set, t);
    return set;
  }
};

TEST_F(CurveLoops, CurvesInAnyOrderAndDirectionSortIntoTheirLoops) {
  const std::vector<double> square = {0, 0, 10, 0, 10, 10, 0, 10};
  const std::vector<double> apart = {20, 0, 30, 0, 30, 10};
  struct Row {
    const char* what;
    std::vector<tag_t> curves;
    int loops, closed, open;
    bool one;
  };
  std::vector<tag_t> shuffled = Lines(square, true);
  std::reverse(shuffled.begin(), shuffled.end());
  std::swap(shuffled[0], shuffled[2]);
  std::vector<tag_t> two = Lines(square, true);
  for (const tag_t t : Lines(apart, true)) two.push_back(t);
  std::vector<tag_t> gap = Lines(square, false);
  // A line walked backwards still chains.
  const double from[3] = {0, 10, 0}, to[3] = {0, 0.005, 0};
  gap.push_back(ES_create_line_in_part(nullptr, to, from));
  const Row rows[] = {
      {"a square shuffled", shuffled, 1, 1, 0, true},
      {"two squares", two, 2, 2, 0, false},
      {"an open chain", Lines(square, false), 1, 0, 1, false},
      {"a gap within the tolerance, one line reversed", gap, 1, 1, 0, true},
      {"a square beyond every cell number", Lines({0, 0, 1e114, 0, 1e114, 1e114, 0, 1e114}, true), 1, 1, 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    OM_tag_set* set = SetOf(row.curves);
    int count = 0, closed = 0, open = 0;
    MW_loop_s* loops = nullptr;
    EXPECT_EQ(MW_sort_segments(set, 0.01, &count, &loops, &closed, &open), 0);
    EXPECT_EQ(count, row.loops);
    EXPECT_EQ(closed, row.closed);
    EXPECT_EQ(open, row.open);
    int curves = 0;
    for (int i = 0; i < count; ++i) curves += loops[i].count;
    EXPECT_EQ(curves, static_cast<int>(row.curves.size()));
    MW_free_loops(count, loops);
    OM_tag_set* openCurves = OM_create_tag_set();
    OM_tag_set* met = OM_create_tag_set();
    EXPECT_EQ(UM_is_loop_closed(set, 0.01, openCurves, met), row.one);
    EXPECT_EQ(OM_ask_tag_set_count(openCurves) + OM_ask_tag_set_count(met), static_cast<int>(row.curves.size()));
    for (OM_tag_set* s : {set, openCurves, met}) OM_delete_tag_set(s);
  }
}

TEST_F(CurveLoops, AClosedPolylineIsOneLoopAndANonCurveIsRefused) {
  const double points[] = {0, 0, 0, 5, 0, 0, 5, 5, 0, 0, 0, 0};
  OM_tag_set* set = SetOf({ES_create_polyline(4, points)});
  int count = 0, closed = 0, open = 0;
  MW_loop_s* loops = nullptr;
  ASSERT_EQ(MW_sort_segments(set, 0.01, &count, &loops, &closed, &open), 0);
  EXPECT_EQ(closed, 1);
  MW_free_loops(count, loops);
  EXPECT_TRUE(UM_is_loop_closed(set, 0.01, nullptr, nullptr));
  const double at[3] = {1, 1, 1};
  OM_insert_into_tag_set(set, ES_create_point(at));
  loops = nullptr;
  EXPECT_EQ(MW_sort_segments(set, 0.01, &count, &loops, &closed, &open), Geometry::kNoEntity);
  EXPECT_EQ(loops, nullptr);
  EXPECT_FALSE(UM_is_loop_closed(set, 0.01, nullptr, nullptr));
  OM_delete_tag_set(set);
}

}  // namespace

namespace {

using namespace KTX;

class UserAttributes : public stamvik_test::HostTest {};

TEST_F(UserAttributes, ATitleHoldsOneValueOfOneKindAndUndoPutsItBack) {
  const double at[3] = {0, 0, 0};
  const tag_t point = ES_create_point(at);
  ATTR_set_real(point, "QD$ROLE", 2.5);
  ATTR_set_int(point, "QD$ROLE", 7, true);
  double real = 0;
  EXPECT_FALSE(ATTR_ask_real(point, "QD$ROLE", &real));
  int value = 0;
  bool hidden = false;
  ASSERT_TRUE(ATTR_ask_int(point, "QD$ROLE", &value, &hidden));
  EXPECT_EQ(value, 7);
  EXPECT_TRUE(hidden);
  EXPECT_FALSE(ATTR_ask_int(point, "qd$role", &value, &hidden));

  int error = 0;
  const int mark = UNDO_QD_set_mark(0, "attributes", &error);
  ATTR_set_int(point, "QD$ROLE", 0, false);
  ATTR_set_string(point, "OTHER", "text");
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  ASSERT_TRUE(ATTR_ask_int(point, "QD$ROLE", &value, &hidden));
  EXPECT_EQ(value, 7);
  EXPECT_EQ(ATTR_ask_string(point, "OTHER"), nullptr);
  EXPECT_THROW(ATTR_set_int(0x7ffffff0, "QD$ROLE", 1, true), Error::Exception);
}

}  // namespace
