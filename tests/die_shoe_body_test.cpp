// The die shoe's solid on the stand-in kernel's real geometry: base flange,
// hollow main decks, deck cutouts and the centerline slot, each stage
// built once and cached, and the user's abort.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "DieDes_DieShoeBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "sys/Abort.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDes::DieShoeBuilder;

namespace {

using Kernel::Containment;

class DieShoeBody : public stamvik_test::DieDesignFeature {
 protected:
  void TearDown() override {
    Abort::SetOnFromQuery(0);
    for (int body : made_) Kernel::DeleteBody(body, "test");
    DieDesignFeature::TearDown();
  }
  // A closed loop through the rectangle's corners at height 0.
  void Rectangle(SC_section* section, double x0, double y0, double x1, double y1) {
    const double corners[4][3] = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
    tag_t curves[4];
    for (int i = 0; i < 4; ++i) curves[i] = ES_create_point(corners[i]);
    section->add_loop(SC_section::kClosed, 4, curves);
  }
  // The reference shoe: base plane at the origin, Z up, tolerance 0.02; a
  // flange 1000 by 800, 40 thick; one main deck 600 by 400, offset 250,
  // walls 20, deck 30.
  DieShoeBuilder* Shoe(bool deck = true) {
    DieShoeBuilder* s = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* base = s->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    base->SetCoordinateSystemOrigin(origin);
    base->SetCoordinateSystemMatrix(identity);
    s->SetDistanceTolerance(0.02);
    Rectangle(s->GetBaseFlangeSectionPtr(), -500, -400, 500, 400);
    if (deck) Rectangle(s->GetMainDeckSectionPtr(), -300, -200, 300, 200);
    Set(s->GetFlangeThickness(), "40");
    Set(s->GetWallThickness(), "20");
    Set(s->GetDeckThickness(), "30");
    return s;
  }
  int Build(DieShoeBuilder* s, int want = 0) {
    int body = 0;
    EXPECT_EQ(s->CreateBody(&body), want);
    if (body != 0) made_.push_back(body);
    return body;
  }
  struct Probe {
    double x, y, z;
    bool in;
  };
  static void ExpectInside(int body, std::initializer_list<Probe> probes, const char* what) {
    for (const Probe& p : probes) {
      const double at[3] = {p.x, p.y, p.z};
      EXPECT_EQ(DieDesUtils::ContainmentOf(body, at) == Containment::In, p.in)
          << what << ": (" << p.x << ", " << p.y << ", " << p.z << ")";
    }
  }
  static std::size_t Calls(const char* name) { return ArgsOf(name).size(); }

 private:
  std::vector<int> made_;
};

TEST_F(DieShoeBody, AHollowDeckOnItsFlangeBuiltOnceThenFromTheCaches) {
  DieShoeBuilder* s = Shoe();
  Rectangle(s->GetDeckCutoutsSectionPtr(), 150, -50, 250, 50);
  Host::ClearCalls();
  const int body = Build(s);
  ExpectInside(body,
               {{0, 0, 235, true}, {290, 0, 100, true}, {450, 0, 20, true}, {0, 0, 100, false}, {0, 0, 260, false},
                {450, 0, 60, false}, {200, 0, 235, false}},
               "the reference shoe");
  const auto sheets = ArgsOf("DIEDES_UTILS__bplane_from_curves");
  ASSERT_EQ(sheets.size(), 3u);  // the flange, the deck block and the cutout block
  EXPECT_TRUE(Has(sheets[1], "point=0,0,-70.2 direction=0,0,1")) << sheets[1];
  const auto sweeps = ArgsOf("ZV_BODY_sweep");
  ASSERT_EQ(sweeps.size(), 3u);
  EXPECT_TRUE(Has(sweeps[1], "path=0,0,0.3904")) << sweeps[1];

  // Built again: no stage is made anew; only copies of the cached decks are trimmed.
  Host::ClearCalls();
  const int again = Build(s);
  for (const char* call :
       {"DIE_ADD_ask_tag_from_curve_geom", "DIEDES_UTILS__bplane_from_curves", "ZV_BODY_sweep", "ZV_BODY_offset_2"})
    EXPECT_EQ(Calls(call), 0u) << call;
  for (const std::string& boolean : ArgsOf("ZV_BODY_boolean_2")) EXPECT_FALSE(Has(boolean, "function=15901"));
  EXPECT_EQ(Calls("DIEDES_UTILS__trim_body_to_plane"), 2u);
  ExpectInside(again, {{0, 0, 235, true}, {0, 0, 100, false}}, "built again");

  const int live = LiveBodies();
  s->DeleteSolvaneMainDecks();
  EXPECT_EQ(LiveBodies(), live - 4);  // the block, its inner block, its cavity and the cutout's
  EXPECT_EQ(s->GetNumberSolvaneMainDecks() + s->GetNumberSolvaneMainDeckIntersections() +
                s->GetNumberSolvaneMainDeckSubtractions(),
            0);

  // Destroyed: its caches go, its loop curves sleep and wait for the update.
  const tag_t flange = s->GetBaseFlangeTag(false);
  const tag_t deck = s->GetMainDeckLoopTag(0);
  const int kept = LiveBodies();
  Host::ClearCalls();
  s->destroy();
  EXPECT_EQ(LiveBodies(), kept - 2);  // the base flange and the cutout block
  const std::vector<tag_t> logged = Host::LoggedForDeletion();
  const std::vector<std::string> asleep = ArgsOf("RM_set_sleep_state");
  for (tag_t curve : {flange, deck}) {
    EXPECT_NE(std::find(logged.begin(), logged.end(), curve), logged.end()) << curve;
    EXPECT_EQ(std::count(asleep.begin(), asleep.end(), "tag=" + std::to_string(curve) + " 1"), 1) << curve;
  }
}

TEST_F(DieShoeBody, DeckCutoutsOpenTheDeckOnlyWhereADeckIs) {
  struct Row {
    const char* what;
    double x0, y0, x1, y1;
    bool noted;
    std::initializer_list<Probe> probes;
  };
  const Row rows[] = {
      {"in the deck", -50, -50, 50, 50, false, {{0, 0, 235, false}, {100, 0, 235, true}}},
      {"beside every deck", 350, -50, 450, 50, true, {{0, 0, 235, true}, {400, 0, 20, true}}},
  };
  for (const Row& row : rows) {
    DieShoeBuilder* s = Shoe();
    Rectangle(s->GetDeckCutoutsSectionPtr(), row.x0, row.y0, row.x1, row.y1);
    Host::ClearCalls();
    const int body = Build(s);
    ExpectInside(body, row.probes, row.what);
    const auto notes = ArgsOf("ERROR_note");
    EXPECT_EQ(notes.size(), row.noted ? 1u : 0u) << row.what;
    if (row.noted && !notes.empty()) {
      EXPECT_EQ(notes[0], "Error building deck cutout intersection.");
    }
    s->destroy();
  }
}

TEST_F(DieShoeBody, TheSlotRunsAlongItsDirectionProjectedIntoTheBase) {
  DieShoeBuilder* s = Shoe(false);
  const double origin[3] = {0, 0, 0}, turned[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  s->GetBaseOrientation()->SetCoordinateSystemMatrix(turned);
  s->SetCenterlineSlotCreate(true);
  Set(s->GetCenterlineSlotWidth(), "40");
  Set(s->GetCenterlineSlotDepth(), "10");
  const double five = 5.0 * 3.14159265358979323846 / 180.0;
  const double along[3] = {std::sin(five), 0, std::cos(five)};
  s->GetCenterlineSlotDirection()->SetDirectionTo(origin, along);
  Host::ClearCalls();
  const int body = Build(s);
  const auto sheets = ArgsOf("DIEDES_UTILS__create_planar_sheet");
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_TRUE(Has(sheets[0], "points=[-500.2,-20,0;500.2,-20,0;500.2,20,0;-500.2,20,0]")) << sheets[0];
  ExpectInside(body, {{450, 0, 5, false}, {450, 30, 5, true}}, "the slot");
  s->destroy();
}

TEST_F(DieShoeBody, ATurnedShoeOnAMovedBaseKeepsTheVolumeAndTheAccuracy) {
  // Flange 1000 by 800, a deck 600 by 400 up to 250, built axis-aligned
  // and turned about Z on a base moved off the origin: the flange, the
  // deck's block above it, less the cavity inside the walls up to the deck.
  const double pi = 3.14159265358979323846;
  struct Row {
    const char* what;
    double degrees, ox, oy, oz;
    double flange, wall, deck;
  } rows[] = {
      {"axis-aligned", 0, 0, 0, 0, 40, 20, 30},
      {"turned 30 degrees on a moved base", 30, 120, -75, 35, 40, 20, 30},
      {"turned 45 degrees", 45, 0, 0, 0, 40, 20, 30},
      {"thick walls, turned 30 degrees on a moved base", 30, -260, 410, -15, 45, 45, 45},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double want = 1000 * 800 * row.flange + 600 * 400 * (250 - row.flange) -
                        (600 - 2 * row.wall) * (400 - 2 * row.wall) * (250 - row.deck);
    const double c = std::cos(row.degrees * pi / 180), s = std::sin(row.degrees * pi / 180);
    const double origin[3] = {row.ox, row.oy, row.oz}, matrix[9] = {c, s, 0, -s, c, 0, 0, 0, 1};
    // A point of the shoe's own frame in the part.
    auto place = [&](double x, double y, double z, double out[3]) {
      out[0] = row.ox + x * c - y * s;
      out[1] = row.oy + x * s + y * c;
      out[2] = row.oz + z;
    };
    DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* base = shoe->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    base->SetCoordinateSystemOrigin(origin);
    base->SetCoordinateSystemMatrix(matrix);
    shoe->SetDistanceTolerance(0.02);
    auto loop = [&](SC_section* section, double x0, double y0, double x1, double y1) {
      const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
      tag_t curves[4];
      for (int i = 0; i < 4; ++i) {
        double p[3];
        place(corners[i][0], corners[i][1], 0, p);
        curves[i] = ES_create_point(p);
      }
      section->add_loop(SC_section::kClosed, 4, curves);
    };
    loop(shoe->GetBaseFlangeSectionPtr(), -500, -400, 500, 400);
    loop(shoe->GetMainDeckSectionPtr(), -300, -200, 300, 200);
    Set(shoe->GetFlangeThickness(), std::to_string(row.flange).c_str());
    Set(shoe->GetWallThickness(), std::to_string(row.wall).c_str());
    Set(shoe->GetDeckThickness(), std::to_string(row.deck).c_str());
    const int body = Build(shoe);
    ASSERT_NE(body, 0);
    const double k = Kernel::ScaleFactors().factors[1];
    EXPECT_NEAR(Kernel::Volume(body) * k * k * k / want, 1.0, 1e-6);
    struct Local {
      double x, y, z;
      bool in;
    } probes[] = {{0, 0, 250 - row.deck / 2, true},
                  {0, 0, 245 - row.deck, false},
                  {300 - row.wall / 2, 200 - row.wall / 2, 100, true},
                  {310, 0, 100, false},
                  {490, 390, row.flange / 2, true},
                  {490, 390, row.flange + 5, false},
                  {295 - row.wall, 195 - row.wall, 245 - row.deck, false}};
    for (const Local& p : probes) {
      double at[3];
      place(p.x, p.y, p.z, at);
      EXPECT_EQ(DieDesUtils::ContainmentOf(body, at) == Containment::In, p.in) << p.x << " " << p.y << " " << p.z;
    }
    // The blocks come with the modeller's 1e-7 m; each boolean may add half of it.
    EXPECT_LE(Kernel::Tolerance(body), 1e-6) << "the body's tolerance grew past its inputs'";
    shoe->destroy();
  }
}

TEST_F(DieShoeBody, ATurnedShoeWithCutoutsAndASlotHasTheVolumeOfTheAlignedOne) {
  const double pi = 3.14159265358979323846;
  struct Row {
    const char* what;
    double degrees, ox, oy, oz;
  } rows[] = {
      {"axis-aligned", 0, 0, 0, 0},
      {"turned 30 degrees on a moved base", 30, 120, -75, 35},
      {"turned 17 degrees on a moved base", 17, -40, 330, -20},
  };
  double aligned = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double c = std::cos(row.degrees * pi / 180), s = std::sin(row.degrees * pi / 180);
    const double origin[3] = {row.ox, row.oy, row.oz}, matrix[9] = {c, s, 0, -s, c, 0, 0, 0, 1};
    auto place = [&](double x, double y, double out[3]) {
      out[0] = row.ox + x * c - y * s;
      out[1] = row.oy + x * s + y * c;
      out[2] = row.oz;
    };
    DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* base = shoe->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    base->SetCoordinateSystemOrigin(origin);
    base->SetCoordinateSystemMatrix(matrix);
    shoe->SetDistanceTolerance(0.01);
    auto loop = [&](SC_section* section, double x0, double y0, double x1, double y1) {
      const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
      tag_t curves[4];
      for (int i = 0; i < 4; ++i) {
        double p[3];
        place(corners[i][0], corners[i][1], p);
        curves[i] = ES_create_point(p);
      }
      section->add_loop(SC_section::kClosed, 4, curves);
    };
    loop(shoe->GetBaseFlangeSectionPtr(), -500, -400, 500, 400);
    loop(shoe->GetMainDeckSectionPtr(), -300, -200, 300, 200);
    loop(shoe->GetDeckCutoutsSectionPtr(), 150, -50, 250, 50);
    loop(shoe->GetDeckCutoutsSectionPtr(), -250, -150, -150, 150);
    Set(shoe->GetFlangeThickness(), "45");
    Set(shoe->GetWallThickness(), "45");
    Set(shoe->GetDeckThickness(), "45");
    shoe->SetCenterlineSlotCreate(true);
    Set(shoe->GetCenterlineSlotWidth(), "50");
    Set(shoe->GetCenterlineSlotDepth(), "15");
    const double up[3] = {0, 0, 1};
    shoe->GetCenterlineSlotDirection()->SetDirectionTo(origin, up);
    const int body = Build(shoe);
    ASSERT_NE(body, 0);
    const double k = Kernel::ScaleFactors().factors[1];
    const double volume = Kernel::Volume(body) * k * k * k;
    if (aligned == 0) aligned = volume;
    EXPECT_NEAR(volume / aligned, 1.0, 1e-6);
    EXPECT_LE(Kernel::Tolerance(body), 1e-6) << "the body's tolerance grew past its inputs'";
    shoe->destroy();
  }
}

TEST_F(DieShoeBody, AnAbortStopsAfterTheToolInHandAndDeletesTheRest) {
  DieShoeBuilder* s = Shoe();
  Rectangle(s->GetMainDeckSectionPtr(), 320, -200, 450, 200);
  // Queries: the start, three loop updates, before the decks, then one
  // after each tool.
  Abort::SetOnFromQuery(6);
  Host::ClearCalls();
  const int before = LiveBodies();
  const int body = Build(s, 66);
  ASSERT_NE(body, 0);
  EXPECT_EQ(Calls("DIEDES_UTILS__unite_tool_to_target"), 1u);
  EXPECT_EQ(Calls("DIEDES_UTILS__subtract_tool_from_target"), 0u);
  // Alive beyond the caches: the partly built copy alone.
  const int cached = 1 + s->GetNumberSolvaneMainDecks() + s->GetNumberSolvaneMainDeckIntersections() +
                     s->GetNumberSolvaneMainDeckSubtractions();
  EXPECT_EQ(LiveBodies(), before + cached + 1);
  s->destroy();
}

}  // namespace
