// The draw die's build: its frame (build layer, status texts, failures), its
// steps' features made, titled, edited and retired over a create and edits,
// second tries past the sheets, and the booleans' tolerance retry.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "afl/Module.hpp"
#include "geom/Curve.hpp"
#include "geom/Faces.hpp"
#include "geom/Geometry.hpp"
#include "modl/CurveBuilders.hpp"
#include "modl/ModelingInterfaces.hpp"
#include "om/ObjectSet.hpp"
#include "pref/SessionInterfaces.hpp"
#include "script/PartReport.hpp"
#include "script/ScriptClasses.hpp"
#include "sys/Settings.hpp"
#include "tool/Tooling.hpp"
#include "tool/ToolingBoolean.hpp"
#include "tool/ToolingGeometry.hpp"

using namespace KTX;
using stamvik_test::ArgsOf;
using namespace KTX::Tooling;

namespace {


class DrawDieBuild : public stamvik_test::JamTest {
 protected:
  void SetUp() override {
    JamTest::SetUp();
    Host::ResetSessionInterfaces();
    die_ = DieDesDrawDieBuilderFactory::Create(0, part());
  }
  void TearDown() override {
    CloseSets();
    die_->destroy();
    Host::ResetSessionInterfaces();
    JamTest::TearDown();
  }
  DieDesDrawDieBuilder* die() const { return die_; }
  void ResetDie(tag_t set = 0) { die_ = DieDesDrawDieBuilderFactory::Create(set, part()); }
  // A new die with its inputs ready, in place of the one a row used.
  void ReadyNewDie() {
    CloseSets();
    die_->destroy();
    ResetDie();
    Ready();
  }

  // The two sets a commit keeps while it builds, for steps run on their own.
  void CloseSets() {
    for (OM::Set* set : {die_->GetFrecSet(), die_->GetFrecSetToDelete()}) OM_delete_object(set);
    die_->SetFrecSet(nullptr);
    die_->SetFrecSetToDelete(nullptr);
  }
  void OpenSets() {
    CloseSets();
    die_->SetFrecSet(OM_create_set());
    die_->SetFrecSetToDelete(OM_create_set());
  }
  static std::vector<tag_t> InSet(const OM::Set* set) {
    int count = 0;
    tag_t* tags = nullptr;
    OM_flatten_set(set, &count, &tags);
    std::vector<tag_t> out(tags, tags + count);
    SM_free(tags);
    return out;
  }
  static bool HasTitle(tag_t feature, const char* title) {
    int value = -1;
    bool hidden = false;
    return ATTR_ask_int(feature, title, &value, &hidden) && hidden && value == 0;
  }
  static tag_t Square(double size, double z = 0.0) {
    const double p[] = {0, 0, z, size, 0, z, size, size, z, 0, size, z, 0, 0, z};
    return ES_create_polyline(5, p);
  }
  // The punch a triangle from (0, 0) to (10, 0), its top `high` above the middle.
  static void Triangle(DieDesDrawDieBuilder* die, double high) {
    const double p[] = {0, 0, 0, 10, 0, 0, 5, high, 0, 0, 0, 0};
    const tag_t punch = ES_create_polyline(4, p);
    die->GetPunchCurve()->set_tags(1, &punch);
  }
  // The punch an L of arms 20 wide and 36 long, 2 inside the blank.
  static void L(DieDesDrawDieBuilder* die) {
    const double p[] = {2, 2, 0, 38, 2, 0, 38, 22, 0, 22, 22, 0, 22, 38, 0, 2, 38, 0, 2, 2, 0};
    const tag_t punch = ES_create_polyline(7, p);
    die->GetPunchCurve()->set_tags(1, &punch);
  }
  static tag_t Line(double x0, double y0, double x1, double y1) {
    const double a[3] = {x0, y0, 0}, b[3] = {x1, y1, 0};
    return ES_create_line_in_part(nullptr, a, b);
  }
  static JAM::LayerManager_Interface* Layers() {
    return static_cast<JAM::LayerManager_Interface*>(
        JAM::ClassInitializer::GetUnjournalledInterface("Layer.LayerManager"));
  }
  std::string PartArg() const { return "part=" + std::to_string(part()->OmTag()); }

  // A flat sheet over both squares below, so that extrusions run up to it,
  // looking up (or down).
  static tag_t Sheet(double size = 100.0, bool down = false) {
    const FaceFrame flat = down ? FaceFrame{{-0.5 * size, -0.5 * size, 0}, {0, size, 0, size, 0, 0, 0, 0, -1}}
                                : FaceFrame{{-0.5 * size, -0.5 * size, 0}, {size, 0, 0, 0, size, 0, 0, 0, 1}};
    return ES_create_body_with_faces(nullptr, true, {flat});
  }
  // A die ready to build: a flat die face looking up, a punch square inside
  // a blank square, a base plane 75.5 above the bodies' origins (the die's
  // back, its normal pointing away from the face), and its distances.
  void Ready() {
    die_->GetSheetBody()->set_selected_tag(Sheet());
    const tag_t punch = Square(10), blank = Square(40);
    die_->GetPunchCurve()->set_tags(1, &punch);
    die_->GetBlankCurve()->set_tags(1, &blank);
    const double o[3] = {0, 0, 75.5}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    die_->SetBasePlane(ES_create_plane(o, m));
    die_->SetMachiningAllowance(1.5);
    die_->SetDeckThickness(40.0);
    die_->SetDeckFlangeThickness(12.0);
    die_->SetBinderEdgeOffset(5.0);
    die_->SetDeckEdgeOffset(8.0);
    die_->SetBaseThickness(20.0);
    die_->SetFlangeOffset(6.0);
  }
  // The members of the die's set that carry the title.
  int Titled(const char* title) const {
    int count = 0;
    tag_t* members = nullptr;
    FSET_ask_group_members(die_->GetTfeatureSet(), &count, &members);
    int titled = 0;
    for (int i = 0; i < count; ++i) titled += HasTitle(members[i], title) ? 1 : 0;
    SM_free(members);
    return titled;
  }
  // What the extrusions' expressions were given, in order.
  static std::vector<std::string> ExpressionTexts() {
    std::vector<std::string> out;
    for (const std::string& args : ArgsOf("Expression")) {
      const std::size_t from = args.rfind(" \"") + 2;
      out.push_back(args.substr(from, args.size() - from - 1));
    }
    return out;
  }

 private:
  DieDesDrawDieBuilder* die_ = nullptr;
};

TEST_F(DrawDieBuild, ABlankOrFlangeSelectionThatIsNoClosedLoopStopsTheBuild) {
  struct Row {
    const char* what;
    bool flange;
    std::vector<tag_t> curves;
  };
  const Row rows[] = {
      {"blank of two lines apart", false, {Line(0, 0, 10, 0), Line(0, 5, 10, 5)}},
      {"flange of two lines apart", true, {Line(0, 0, 10, 0), Line(0, 5, 10, 5)}},
      {"flange of two closed squares", true, {Square(10), Square(20, 5)}},
  };
  const double o[3] = {0, 0, 0}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  die()->SetBasePlane(ES_create_plane(o, m));
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    SELECT_OBJECT_list* list = row.flange ? die()->GetFlangeCurve() : die()->GetBlankCurve();
    list->set_tags(static_cast<int>(row.curves.size()), row.curves.data());
    Host::ClearCalls();
    Error::ClearSevereErrors();
    EXPECT_EQ(die()->CreateUpperDrawDie(), 3030582) << row.what;
    EXPECT_TRUE(ArgsOf("mtStatusAreaImmediate").empty()) << row.what;
    EXPECT_EQ(ArgsOf("TOOLING_warning_message").size(), 1u) << row.what;
    EXPECT_EQ(Error::SevereErrors().size(), 1u) << row.what;
    if (!Error::SevereErrors().empty()) {
      EXPECT_EQ(Error::SevereErrors()[0].text, "Error occurs on processing input curves.") << row.what;
    }
    list->clear();
  }
}

TEST_F(DrawDieBuild, ABasePlaneThatGivesNoDirectionStopsTheBuildBeforeAnythingIsMade) {
  struct Row {
    const char* what;
    int base;  // 0 none, 1 a point, 2 a plane
    int status;
  };
  const Row rows[] = {
      {"a point", 1, Error::kBadObject},
      {"none", 0, Error::kBadObject},
      {"a plane", 2, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Ready();
    const double o[3] = {0, 0, 75.5}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    die()->SetBasePlane(row.base == 0 ? 0 : row.base == 1 ? ES_create_point(o) : ES_create_plane(o, m));
    Host::ClearCalls();
    Error::ClearSevereErrors();
    EXPECT_EQ(die()->commit(), row.status);
    EXPECT_EQ(ArgsOf("IPlane").empty(), false);
    // Not even the working curves are made on a plane that gives no direction.
    EXPECT_EQ(ArgsOf("Features.FeatureBuilder").empty(), row.status != 0);
    EXPECT_EQ(ArgsOf("RSO_create_feature").empty(), row.status != 0);
    if (row.status != 0) {
      EXPECT_EQ(Error::SevereErrors().size(), 1u);
      if (!Error::SevereErrors().empty()) {
        EXPECT_EQ(Error::SevereErrors()[0].text, "The base plane gives no direction.");
      }
      EXPECT_EQ(die()->GetTfeatureSet(), 0u);
    }
    die()->destroy();
    ResetDie();
  }
}

// Sizes the build cannot make the die they describe of are refused before
// anything is made: the part holds what it held.
TEST_F(DrawDieBuild, SizesTheBuildCannotMakeTheirDieOfAreRefusedBeforeAnythingIsMade) {
  struct Row {
    const char* what;
    double deck, deckFlange;
    double punch[3];  // x0, y0 and size of the punch square (size 0: the ready one)
    int status;
    bool openBlank = false;  // the blank's square without its last side: its curves do not close
    bool alongX = false;     // the base plane's normal along X, the curves in the plane x = 0
  };
  const Row rows[] = {
      {"a deck of 0", 0.0, 12.0, {}, 3030606},
      {"a deck of -40", -40.0, 12.0, {}, 3030606},
      {"a deck flange as thick as the deck", 40.0, 40.0, {}, 0},
      {"a deck flange thicker", 40.0, 40.001, {}, 3030604},
      {"a deck flange of 100 on a deck of 40", 40.0, 100.0, {}, 3030604},
      {"the punch as the blank", 40.0, 12.0, {0, 0, 40}, 0},
      {"the punch across the blank's edge", 40.0, 12.0, {35, 10, 10}, 3030605},
      {"the punch beside the blank", 40.0, 12.0, {50, 10, 10}, 3030605},
      {"the blank inside the punch", 40.0, 12.0, {-10, -10, 60}, 3030605},
      // Only a closed blank bounds anything a punch could lie outside of: an
      // open one is not refused for it, the build stops on its curves instead.
      {"the punch beside a blank that does not close", 40.0, 12.0, {50, 10, 10}, 3030582, true},
      // Seen along X: the blank 40 square from the origin in Y and Z, the punch beside it.
      {"the punch beside the blank, seen along X", 40.0, 12.0, {}, 3030605, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ReadyNewDie();
    die()->SetDeckThickness(row.deck);
    die()->SetDeckFlangeThickness(row.deckFlange);
    if (const double x = row.punch[0], y = row.punch[1], size = row.punch[2]; size > 0) {
      const double p[] = {x, y, 0, x + size, y, 0, x + size, y + size, 0, x, y + size, 0, x, y, 0};
      const tag_t punch = ES_create_polyline(5, p);
      die()->GetPunchCurve()->set_tags(1, &punch);
    }
    if (row.alongX) {
      // The plane 100 along X: the die face (x -50 to 50) lies behind it.
      const double o[3] = {100, 0, 0}, m[9] = {0, 1, 0, 0, 0, 1, 1, 0, 0};
      die()->SetBasePlane(ES_create_plane(o, m));
      const double b[] = {0, 0, 0, 0, 40, 0, 0, 40, 40, 0, 0, 40, 0, 0, 0};
      const double p[] = {0, 50, 10, 0, 60, 10, 0, 60, 20, 0, 50, 20, 0, 50, 10};
      const tag_t blank = ES_create_polyline(5, b), punch = ES_create_polyline(5, p);
      die()->GetBlankCurve()->set_tags(1, &blank);
      die()->GetPunchCurve()->set_tags(1, &punch);
    }
    if (row.openBlank) {
      const double p[] = {0, 0, 0, 40, 0, 0, 40, 40, 0, 0, 40, 0};
      const tag_t blank = ES_create_polyline(4, p);
      die()->GetBlankCurve()->set_tags(1, &blank);
    }
    const std::size_t kept = Host::KeptInPart(part()).size();
    Host::ClearCalls();
    EXPECT_EQ(die()->commit(), row.status);
    if (row.status != 0) {
      EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
      EXPECT_EQ(die()->GetTfeatureSet(), 0u);
      EXPECT_TRUE(ArgsOf("Features.FeatureBuilder").empty());
    } else {
      EXPECT_NE(die()->GetTfeatureSet(), 0u);
    }
  }
}

// An edit that would rebuild the die from its own set, or from a feature of
// it, is refused by its validation, as a feature's edit is refused its own
// feature; the committed call builds nothing and the set keeps its members.
TEST_F(DrawDieBuild, AnEditSelectingItsOwnSetOrAMemberOfItIsRefusedAndTheDieStaysAsItWas) {
  ReadyNewDie();
  ASSERT_EQ(die()->commit(), 0);
  const tag_t set = die()->GetTfeatureSet();
  ASSERT_NE(set, 0u);
  auto members = [set] {
    int count = 0;
    tag_t* tags = nullptr;
    FSET_ask_group_members(set, &count, &tags);
    std::vector<tag_t> out(tags, tags + count);
    SM_free(tags);
    return out;
  };
  const std::vector<tag_t> before = members();
  ASSERT_GE(before.size(), 2u);
  const tag_t other = Square(10);
  struct Row {
    const char* what;
    void (*put)(DieDesDrawDieBuilder*, tag_t set, tag_t member, tag_t other);
    int status;
  };
  const Row rows[] = {
      {"the die face: the set", [](DieDesDrawDieBuilder* d, tag_t s, tag_t, tag_t) {
         d->GetSheetBody()->set_selected_tag(s);
       }, 3030633},
      {"the punch curves: a member, second of two", [](DieDesDrawDieBuilder* d, tag_t, tag_t m, tag_t o) {
         const tag_t two[2] = {o, m};
         d->GetPunchCurve()->set_tags(2, two);
       }, 3030633},
      {"the flange curves: the set", [](DieDesDrawDieBuilder* d, tag_t s, tag_t, tag_t) {
         d->GetFlangeCurve()->set_tags(1, &s);
       }, 3030633},
      {"the blank: another curve", [](DieDesDrawDieBuilder* d, tag_t, tag_t, tag_t o) {
         d->GetBlankCurve()->set_tags(1, &o);
       }, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    auto* edit = DieDesDrawDieBuilderFactory::Create(set, part());
    row.put(edit, set, before[1], other);
    EXPECT_EQ(edit->validate_nothrow(), row.status);
    if (row.status != 0) {
      const std::size_t kept = Host::KeptInPart(part()).size();
      Host::ClearCalls();
      tag_t made = 0;
      EXPECT_EQ(Script::Builder_Commit(edit, &made), row.status);
      EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
      EXPECT_TRUE(ArgsOf("Features.FeatureBuilder").empty());
      EXPECT_EQ(members(), before);
    }
    edit->destroy();
  }
}

// More sizes no die is made of, each at the tolerance (0.01) and past it:
// a deck flange below 0, a deck edge (8) inside the binder edge (5), a base
// plane (75.5 from the die face) within the deck's 40, on the face's other
// side or turned towards it, a die face looking away from the plane (the die
// turned over whole still builds), and, without flange
// curves, a stress solid out to the blank offset inwards (a base thickness
// below the tolerance makes none, and flange curves take the offset's place).
TEST_F(DrawDieBuild, AFlangeOrDeckEdgeOrBasePlaneOrStressSolidOrPunchOrCoreNoDieHasIsRefused) {
  struct Row {
    const char* what;
    void (*change)(DieDesDrawDieBuilder*);
    int status;
  };
  auto planeAt = [](double z) {
    const double o[3] = {0, 0, z}, m[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    return ES_create_plane(o, m);
  };
  static tag_t (*plane)(double) = +planeAt;
  auto downwardAt = [](double z) {
    const double o[3] = {0, 0, z}, m[9] = {1, 0, 0, 0, -1, 0, 0, 0, -1};
    return ES_create_plane(o, m);
  };
  static tag_t (*downward)(double) = +downwardAt;
  const Row rows[] = {
      {"a deck flange of -15", [](DieDesDrawDieBuilder* d) { d->SetDeckFlangeThickness(-15); }, 3030610},
      {"a deck flange of -0.02", [](DieDesDrawDieBuilder* d) { d->SetDeckFlangeThickness(-0.02); }, 3030610},
      {"a deck flange of -0.005", [](DieDesDrawDieBuilder* d) { d->SetDeckFlangeThickness(-0.005); }, 0},
      {"a deck edge 3 inside the binder edge", [](DieDesDrawDieBuilder* d) { d->SetDeckEdgeOffset(2); }, 3030611},
      {"a deck edge 0.02 inside", [](DieDesDrawDieBuilder* d) { d->SetDeckEdgeOffset(4.98); }, 3030611},
      {"a deck edge 0.005 inside", [](DieDesDrawDieBuilder* d) { d->SetDeckEdgeOffset(4.995); }, 0},
      {"the base plane 20 from the die face", [](DieDesDrawDieBuilder* d) { d->SetBasePlane(plane(20)); }, 3030612},
      {"the base plane at the deck's far side", [](DieDesDrawDieBuilder* d) { d->SetBasePlane(plane(40)); },
       3030612},
      {"the base plane 0.02 past it", [](DieDesDrawDieBuilder* d) { d->SetBasePlane(plane(40.02)); }, 0},
      {"the base plane 75.5 on the die face's other side",
       [](DieDesDrawDieBuilder* d) { d->SetBasePlane(plane(-75.5)); }, 3030612},
      {"the base plane through the die face", [](DieDesDrawDieBuilder* d) { d->SetBasePlane(plane(0)); }, 3030612},
      {"the base plane turned towards the die face",
       [](DieDesDrawDieBuilder* d) { d->SetBasePlane(downward(75.5)); }, 3030612},
      {"the die face looking away from the base plane",
       [](DieDesDrawDieBuilder* d) { d->GetSheetBody()->set_selected_tag(Sheet(100, true)); }, 3030614},
      {"the die turned over: the face looking down, the plane 75.5 below turned down",
       [](DieDesDrawDieBuilder* d) {
         d->GetSheetBody()->set_selected_tag(Sheet(100, true));
         d->SetBasePlane(downward(-75.5));
       },
       0},
      {"a flange offset of -100", [](DieDesDrawDieBuilder* d) { d->SetFlangeOffset(-100); }, 3030613},
      {"a flange offset of -0.02", [](DieDesDrawDieBuilder* d) { d->SetFlangeOffset(-0.02); }, 3030613},
      {"a flange offset of -0.005", [](DieDesDrawDieBuilder* d) { d->SetFlangeOffset(-0.005); }, 0},
      {"a flange offset of -100 with no base",
       [](DieDesDrawDieBuilder* d) { d->SetFlangeOffset(-100), d->SetBaseThickness(0.005); }, 0},
      {"a flange offset of -100 beside flange curves",
       [](DieDesDrawDieBuilder* d) {
         d->SetFlangeOffset(-100);
         const tag_t flange = Square(60);
         d->GetFlangeCurve()->set_tags(1, &flange);
       },
       0},
      // A punch all within the tolerance of one line has no area; a core's
      // ring, half the wall on each side of the punch square (5 from its
      // middle to its sides), keeps no inside farther than the tolerance; an
      // L of arms 20 wide reaches deepest in its corner, the circle touching
      // its two outer sides and its inner corner: r = sqrt 2 (20 - r), r =
      // 20 (2 - sqrt 2) = 11.72, which half the wall must stay under.
      {"a punch 0.01 high", [](DieDesDrawDieBuilder* d) { Triangle(d, 0.01); }, 3030616},
      {"a punch 0.02 high", [](DieDesDrawDieBuilder* d) { Triangle(d, 0.02); }, 0},
      {"a core wall of 10", [](DieDesDrawDieBuilder* d) { d->SetCoreDrawDieOption(true), d->SetWallThickness(10); },
       3030618},
      {"a core wall of 9.99", [](DieDesDrawDieBuilder* d) { d->SetCoreDrawDieOption(true), d->SetWallThickness(9.99); },
       3030618},
      {"a core wall of 9.96", [](DieDesDrawDieBuilder* d) { d->SetCoreDrawDieOption(true), d->SetWallThickness(9.96); },
       0},
      {"a wall of 10 with no core", [](DieDesDrawDieBuilder* d) { d->SetWallThickness(10); }, 0},
      // A wall the tolerance cannot tell from none: the cavity would be lost.
      {"a core wall of 0.0005", [](DieDesDrawDieBuilder* d) { d->SetCoreDrawDieOption(true), d->SetWallThickness(0.0005); },
       3030639},
      {"a core wall of the tolerance",
       [](DieDesDrawDieBuilder* d) { d->SetCoreDrawDieOption(true), d->SetWallThickness(0.01); }, 3030639},
      {"a core wall of -0.01", [](DieDesDrawDieBuilder* d) { d->SetCoreDrawDieOption(true), d->SetWallThickness(-0.01); },
       3030639},
      {"a core wall of 0.0101",
       [](DieDesDrawDieBuilder* d) { d->SetCoreDrawDieOption(true), d->SetWallThickness(0.0101); }, 0},
      {"a wall of 0 with no core", [](DieDesDrawDieBuilder* d) { d->SetWallThickness(0); }, 0},
      {"a core wall of 40 in an L of arms 20 wide",
       [](DieDesDrawDieBuilder* d) { L(d), d->SetCoreDrawDieOption(true), d->SetWallThickness(40); }, 3030618},
      {"a core wall of 10 in it", [](DieDesDrawDieBuilder* d) { L(d), d->SetCoreDrawDieOption(true), d->SetWallThickness(10); },
       0},
      {"a core wall that leaves the L half the tolerance",
       [](DieDesDrawDieBuilder* d) {
         L(d), d->SetCoreDrawDieOption(true), d->SetWallThickness(40 * (2 - std::sqrt(2.0)) - 0.01);
       },
       3030618},
      {"one that leaves it twice the tolerance",
       [](DieDesDrawDieBuilder* d) {
         L(d), d->SetCoreDrawDieOption(true), d->SetWallThickness(40 * (2 - std::sqrt(2.0)) - 0.04);
       },
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ReadyNewDie();
    row.change(die());
    const std::size_t kept = Host::KeptInPart(part()).size();
    Host::ClearCalls();
    EXPECT_EQ(die()->commit(), row.status);
    if (row.status != 0) {
      EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
      EXPECT_EQ(die()->GetTfeatureSet(), 0u);
      EXPECT_TRUE(ArgsOf("Features.FeatureBuilder").empty());
      EXPECT_TRUE(ArgsOf("RSO_create_feature").empty());
    } else {
      EXPECT_NE(die()->GetTfeatureSet(), 0u);
    }
  }
}

TEST_F(DrawDieBuild, AMainSolidThatFailsStopsTheBuildAndLeavesThePartAsItWas) {
  Ready();
  ASSERT_EQ(Layers()->SetWorkLayer(0, 7), 0);
  const std::string before = Script::DescribePart(part());
  Host::SetAnswer("Features.FeatureBuilder.1", 99);  // every extrusion fails
  Host::ClearCalls();
  EXPECT_EQ(die()->commit(), 3030596);
  ASSERT_FALSE(Error::SevereErrors().empty());
  EXPECT_EQ(Error::SevereErrors().back().text, "Error occurs on creating main solid body.");
  // Both tries: up to the bottom sheet, then 10 past its farthest point from the base plane
  // (the die face offset by the deck, 40, lies 35.5 from the plane 75.5 above the face).
  const std::vector<std::string> texts = ExpressionTexts();
  EXPECT_NE(std::find(texts.begin(), texts.end(), "-45.500000"), texts.end());
  EXPECT_EQ(ArgsOf("LayerManagerMoveToLayer"), (std::vector<std::string>{PartArg() + " layer=7 count=1 0"}));
  EXPECT_EQ(ArgsOf("LayerManagerSetWorkLayer").back(), PartArg() + " layer=7");
  // The three rough offsets, two projections and two offsets made before are taken back: no set.
  EXPECT_EQ(ArgsOf("RSO_create_feature").size(), 3u);
  EXPECT_TRUE(ArgsOf("TOOLING_create_user_defined_feature_set").empty());
  EXPECT_EQ(die()->GetTfeatureSet(), 0u);
  EXPECT_EQ(Script::DescribePart(part()), before);
}

TEST_F(DrawDieBuild, TheSubtractedTopIsRetriedAtWideningTolerancesAndMayFail) {
  struct Row {
    const char* what;
    int failures;  // of the subtraction
    std::vector<std::string> tolerances;
    const char* text;
  };
  const Row rows[] = {
      {"fourth attempt", 3, {"0.01", "0.05", "0.1", "0.15"}, "Create subtract top solid body successfully."},
      {"fifth attempt", 4, {"0.01", "0.05", "0.1", "0.15", "0.2"}, "Create subtract top solid body successfully."},
      {"none", 5, {"0.01", "0.05", "0.1", "0.15", "0.2"}, "Create subtract top solid body failed."},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ReadyNewDie();
    // Every first try, up to the sheets, fails: each solid is extruded past them and trimmed.
    Host::SetAnswer("GeometricUtilities.Extend.4", 98);
    Host::SetAnswer("TOOLING_GEOM_create_boolean_subtract.fail", row.failures);
    Host::ClearCalls();
    EXPECT_EQ(die()->commit(), 0) << row.what;
    std::vector<std::string> tolerances;
    for (const std::string& call : ArgsOf("TOOLING_GEOM_create_boolean_subtract"))
      tolerances.push_back(call.substr(call.rfind('=') + 1));
    EXPECT_EQ(tolerances, row.tolerances) << row.what;
    const std::vector<std::string> texts = ArgsOf("mtStatusAreaImmediate");
    EXPECT_GE(texts.size(), 2u) << row.what;
    if (texts.size() >= 2u) {
      EXPECT_EQ(texts[texts.size() - 2], row.text) << row.what;
      EXPECT_EQ(texts.back(), "Create stress solid successfully.") << row.what;
    }
    // A solid its second try could not subtract goes with what the try
    // made: it would stand beside the die. One subtracted stays, as the tool
    // of the boolean.
    const bool subtracted = row.failures < 5;
    EXPECT_EQ(Titled("QD$SUBTOP_SOLID_BOOL_TOP"), subtracted ? 1 : 0) << row.what;
    EXPECT_EQ(Titled("QD$TOP_SOLID_BOOL_MAIN"), 1) << row.what;
    EXPECT_EQ(Titled("QD$MAIN_SUBTOP_SOLID"), subtracted ? 1 : 0) << row.what;
    EXPECT_EQ(Titled("QD$SUBTOP_SOLID_TRIM_MIDDLE"), subtracted ? 1 : 0) << row.what;
    const std::string tool = ArgsOf("TOOLING_GEOM_create_boolean_subtract").back();
    const tag_t solid = std::stoul(tool.substr(tool.find("tools=[") + 7));
    EXPECT_EQ(OM::OM_object_of_tag(solid) != nullptr, subtracted) << row.what;
  }
  // The rough offsets: the top by the allowance, the bottom by the deck
  // thickness, the middle by the deck less its flange.
  const std::vector<std::string> offsets = ArgsOf("RSO_create_feature");
  ASSERT_EQ(offsets.size(), 3u);
  const char* values[3] = {R"("1.500000" "1.000000" "5.000000")", R"("40.000000" "3.000000" "25.000000")",
                           R"("28.000000" "3.000000" "25.000000")"};
  for (int i = 0; i < 3; ++i) EXPECT_NE(offsets[i].find(values[i]), std::string::npos) << offsets[i];
}

TEST_F(DrawDieBuild, ATopThatCannotBeUnitedFailsTheBuildAndLeavesThePartAsItWas) {
  Ready();
  const std::string before = Script::DescribePart(part());
  Host::SetAnswer("GeometricUtilities.Extend.4", 98);
  Host::SetAnswer("TOOLING_GEOM_create_boolean_unite.fail", 5);
  Host::ClearCalls();
  EXPECT_EQ(die()->commit(), 3030597);
  EXPECT_EQ(ArgsOf("TOOLING_GEOM_create_boolean_unite").size(), 5u);
  EXPECT_EQ(ArgsOf("mtStatusAreaImmediate").back(), "Create main solid body successfully.");
  EXPECT_EQ(Error::SevereErrors().back().text, "Error occurs on creating top solid body.");
  EXPECT_EQ(die()->GetTfeatureSet(), 0u);
  EXPECT_EQ(Script::DescribePart(part()), before);
}

// A set whose members are all gone takes what an edit of it builds.
TEST_F(DrawDieBuild, AnEditOfASetWithNoMembersLeftMakesWhatItBuildsItsMembers) {
  FEATURE_RECORD* gone = FEATURE_RECORD::Create(nullptr, nullptr);
  const tag_t goneTag = gone->OmTag();
  const tag_t emptied = TOOLING_create_user_defined_feature_set(&goneTag, 1, 1, 1, "DrawDie");
  ASSERT_EQ(TOOLING_delete_feature(1, &goneTag), 0);
  CloseSets();
  die()->destroy();
  ResetDie(emptied);
  Ready();
  EXPECT_EQ(die()->commit(), 0);
  EXPECT_EQ(die()->GetTfeatureSet(), emptied);
  EXPECT_EQ(Titled("QD$MAIN_BOTTOM_SOLID"), 1);
  EXPECT_EQ(Titled("QD$ROUGH_OFFSET_BOTTOM"), 1);
}

TEST_F(DrawDieBuild, ACoreDiesMainSolidIsOffsetByHalfItsWallEitherWay) {
  Ready();
  die()->SetCoreDrawDieOption(true);
  die()->SetWallThickness(9.0);
  Host::SetAnswer("GeometricUtilities.Extend.4", 98);
  Host::ClearCalls();
  EXPECT_EQ(die()->commit(), 0);
  // The first try stops at the bottom sheet it runs up to; the second runs
  // from the profile to 10 past the sheet (35.5 from the plane), offset by
  // half the wall each way.
  const std::vector<std::string> texts = ExpressionTexts();
  const auto end = std::find(texts.begin(), texts.end(), "-45.500000");
  ASSERT_NE(end, texts.end());
  ASSERT_GE(texts.end() - end, 3);
  EXPECT_EQ(std::vector<std::string>(end - 1, end + 3),
            (std::vector<std::string>{"0", "-45.500000", "4.500000", "-4.500000"}));
  // Read back: the whole wall and the core option, the others as they were.
  auto* back = DieDesDrawDieBuilderFactory::Create(die()->GetTfeatureSet(), part());
  EXPECT_EQ(back->GetWallThickness(), 9.0);
  EXPECT_TRUE(back->GetCoreDrawDieOption());
  EXPECT_FALSE(back->GetExactSheetbodyOption());
  EXPECT_EQ(back->GetMachiningAllowance(), 1.5);
  back->destroy();
}

// The exact sheet is the die's top: no top offset is made, and a builder on
// the set reads the option back while its allowance stays as it was given.
TEST_F(DrawDieBuild, AnExactSheetMakesNoTopOffsetAndIsReadBackSo) {
  Ready();
  die()->SetExactSheetbodyOption(true);
  Host::ClearCalls();
  EXPECT_EQ(die()->commit(), 0);
  const std::vector<std::string> offsets = ArgsOf("RSO_create_feature");
  EXPECT_EQ(offsets.size(), 2u);
  EXPECT_EQ(Titled("QD$ROUGH_OFFSET_TOP"), 0);
  auto* back = DieDesDrawDieBuilderFactory::Create(die()->GetTfeatureSet(), part());
  EXPECT_TRUE(back->GetExactSheetbodyOption());
  EXPECT_EQ(back->GetMachiningAllowance(), 0.0);
  EXPECT_FALSE(back->GetCoreDrawDieOption());
  EXPECT_EQ(back->GetDeckThickness(), 40.0);
  EXPECT_EQ(back->GetDeckFlangeThickness(), 12.0);
  back->destroy();
}

// The binder and deck edge curves lie inside the blank: its projection is
// offset by minus the binder's 5 and minus the deck's 8, on a create and
// again, with other distances, on an edit.
TEST_F(DrawDieBuild, TheBinderAndDeckEdgeCurvesAreOffsetInwardsOfTheBlank) {
  Ready();
  auto distance = [&](const char* title) {
    tag_t feature = 0;
    if (!die()->GetDrawPunchBuilder()->FindFeatureInSetByAttrTitle(die()->GetTfeatureSet(), title, &feature)) return 0.0;
    auto* builder = ModlCurveJA::OffsetCurveBuilderFactory::Create(
        modelPart(), dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature)));
    const double value = EXP_ask_value_of_exp(builder->GetDistance());
    builder->destroy();
    return value;
  };
  ASSERT_EQ(die()->commit(), 0);
  EXPECT_EQ(distance("QD$OFFSET_CURVE_BINDER"), -5.0);
  EXPECT_EQ(distance("QD$OFFSET_CURVE_DECK"), -8.0);
  die()->SetBinderEdgeOffset(3.0);
  die()->SetDeckEdgeOffset(11.0);
  ASSERT_EQ(die()->commit(), 0);
  EXPECT_EQ(distance("QD$OFFSET_CURVE_BINDER"), -3.0);
  EXPECT_EQ(distance("QD$OFFSET_CURVE_DECK"), -11.0);
}

// What a build made is read back by a new builder on its set, every number as
// it was given; an edit that changes every number is read back with the new ones.
TEST_F(DrawDieBuild, EveryNumberIsReadBackFromTheBuildAndFromAnEditThatChangesThemAll) {
  struct Values {
    double allowance, deck, deckFlange, binder, deckEdge, base, flange;
  };
  auto check = [&](const Values& v) {
    auto* back = DieDesDrawDieBuilderFactory::Create(die()->GetTfeatureSet(), part());
    EXPECT_EQ(back->GetMachiningAllowance(), v.allowance);
    EXPECT_EQ(back->GetDeckThickness(), v.deck);
    EXPECT_EQ(back->GetDeckFlangeThickness(), v.deckFlange);
    EXPECT_EQ(back->GetBinderEdgeOffset(), v.binder);
    EXPECT_EQ(back->GetDeckEdgeOffset(), v.deckEdge);
    EXPECT_EQ(back->GetBaseThickness(), v.base);
    EXPECT_EQ(back->GetFlangeOffset(), v.flange);
    EXPECT_FALSE(back->GetExactSheetbodyOption());
    back->destroy();
  };
  Ready();
  ASSERT_EQ(die()->commit(), 0);
  {
    SCOPED_TRACE("made");
    check({1.5, 40, 12, 5, 8, 20, 6});
  }
  const Values edited = {2.5, 42, 13, 4, 9, 22, 7};
  die()->SetMachiningAllowance(edited.allowance);
  die()->SetDeckThickness(edited.deck);
  die()->SetDeckFlangeThickness(edited.deckFlange);
  die()->SetBinderEdgeOffset(edited.binder);
  die()->SetDeckEdgeOffset(edited.deckEdge);
  die()->SetBaseThickness(edited.base);
  die()->SetFlangeOffset(edited.flange);
  ASSERT_EQ(die()->commit(), 0);
  {
    SCOPED_TRACE("edited");
    check(edited);
  }
}

TEST_F(DrawDieBuild, AFailedMeasurementOfTheSheetMakesNoSecondTry) {
  Ready();
  OpenSets();
  const FaceFrame flat = {{0, 0, 0}, {1, 0, 0, 0, 1, 0, 0, 0, 1}};
  const tag_t top = ES_create_body_with_faces(nullptr, true, {flat});
  const tag_t bottom = ES_create_body_with_faces(nullptr, true, {flat});
  const tag_t curve = Square(10), mainBody = ES_create_body_with_faces(nullptr, false, {flat});
  const double any[3] = {0, 0, 0};
  Host::ScriptMeasurement(die()->GetBasePlane(), top, any, any, 4711);
  Host::ScriptMeasurement(die()->GetBasePlane(), bottom, any, any, 4711);
  Host::SetAnswer("GeometricUtilities.Extend.4", 98);  // the first tries fail
  Host::ClearCalls();
  tag_t body = 0, feature = 0, trim = 0, topBody = 0;
  EXPECT_EQ(die()->CreateMainBottomSolid(bottom, curve, &body, &feature), 3030591);
  EXPECT_EQ(die()->CreateTopSolid(top, bottom, curve, mainBody, &feature, &trim, &topBody), 3030591);
  EXPECT_EQ(Host::CountCalls("Features.FeatureBuilder"), 0u);
  EXPECT_EQ(body, 0u);
  EXPECT_TRUE(InSet(die()->GetFrecSet()).empty());
  Host::ClearMeasurements();
}

TEST_F(DrawDieBuild, AMainSolidMadeAtTheFirstTryRetiresTheCoreOffsetCurves) {
  Ready();
  const tag_t core[2] = {FEATURE_RECORD::Create(nullptr, nullptr)->OmTag(),
                         FEATURE_RECORD::Create(nullptr, nullptr)->OmTag()};
  ATTR_set_int(core[0], "QD$MAIN_SOLID_OFFSET_IN", 0, true);
  ATTR_set_int(core[1], "QD$MAIN_SOLID_OFFSET_OUT", 0, true);
  die()->SetTfeatureSet(TOOLING_create_user_defined_feature_set(core, 2, 1, 1, "DrawDie"));
  OpenSets();
  tag_t body = 0, feature = 0;
  EXPECT_EQ(die()->CreateMainBottomSolid(Sheet(), Square(10), &body, &feature), 0);
  std::vector<tag_t> retired = InSet(die()->GetFrecSetToDelete());
  std::sort(retired.begin(), retired.end());
  EXPECT_EQ(retired, std::vector<tag_t>(core, core + 2));
  EXPECT_EQ(InSet(die()->GetFrecSet()), std::vector<tag_t>{feature});
  EXPECT_TRUE(HasTitle(feature, "QD$MAIN_BOTTOM_SOLID"));
}

TEST_F(DrawDieBuild, AFlangeEmptiedOnEditIsMadeFromTheBlankOnceAndEditedAfter) {
  Ready();
  const tag_t flange = Square(30);
  die()->GetFlangeCurve()->set_tags(1, &flange);
  ASSERT_EQ(die()->commit(), 0);
  EXPECT_EQ(Titled("QD$PROJECT_CURVE_FLANGE"), 1);
  EXPECT_EQ(Titled("QD$OFFSET_CURVE_BLANK_FLANGE"), 0);
  die()->GetFlangeCurve()->clear();
  for (int edit = 0; edit < 2; ++edit) {
    SCOPED_TRACE(edit);
    EXPECT_EQ(die()->commit(), 0) << edit;
    EXPECT_EQ(Titled("QD$OFFSET_CURVE_BLANK_FLANGE"), 1) << edit;
    EXPECT_EQ(Titled("QD$PROJECT_CURVE_FLANGE"), 0) << edit;
  }
  // Under the exact-sheet option the top offset goes.
  tag_t top = 0;
  ASSERT_TRUE(die()->GetDrawPunchBuilder()->FindFeatureInSetByAttrTitle(die()->GetTfeatureSet(),
                                                                          "QD$ROUGH_OFFSET_TOP", &top));
  die()->SetExactSheetbodyOption(true);
  ASSERT_EQ(die()->commit(), 0);
  EXPECT_EQ(OM::OM_object_of_tag(top), nullptr);
  EXPECT_EQ(Titled("QD$ROUGH_OFFSET_TOP"), 0);
  // A base below the tolerance makes no stress solid, and the old one goes with its flange.
  die()->SetBaseThickness(0.99 * TOLER_ask_distance_tol());
  ASSERT_EQ(die()->commit(), 0);
  EXPECT_EQ(Titled("QD$STRESS_SOLID"), 0);
  EXPECT_EQ(Titled("QD$OFFSET_CURVE_BLANK_FLANGE"), 0);
}

TEST_F(DrawDieBuild, AFeatureNewInAnEditIsPlacedWhereAFreshBuildWouldHaveMadeIt) {
  struct Placed {
    const char* feature;
    int mode;  // 1 before the reference, 2 after it
    const char* reference;
  };
  struct Row {
    const char* what;
    bool exactFirst;     // built under the exact-sheet option, edited without it
    bool flangeFirst;    // built with a flange selected, edited without
    bool flangeLater;    // built without a flange, edited with one
    bool pastTheSheets;  // the edit's sheet is too small to extrude up to
    std::vector<Placed> placed;
  };
  const Row rows[] = {
      {"top offset", true, false, false, false, {{"QD$ROUGH_OFFSET_TOP", 1, "QD$ROUGH_OFFSET_BOTTOM"}}},
      {"flange from the blank", false, true, false, false,
       {{"QD$OFFSET_CURVE_BLANK_FLANGE", 1, "QD$STRESS_SOLID"}}},
      {"flange projection", false, false, true, false,
       {{"QD$PROJECT_CURVE_FLANGE", 2, "QD$PROJECT_CURVE_BLANK"}}},
      {"trims and booleans", false, false, false, true,
       {{"QD$MAIN_SOLID_TRIM", 2, "QD$MAIN_BOTTOM_SOLID"},
        {"QD$TOP_SOLID_TRIM_TOP", 2, "QD$MAIN_TOP_SOLID"},
        {"QD$TOP_SOLID_TRIM_BOTTOM", 2, "QD$TOP_SOLID_TRIM_TOP"},
        {"QD$TOP_SOLID_BOOL_MAIN", 2, "QD$TOP_SOLID_TRIM_BOTTOM"},
        {"QD$SUBTOP_SOLID_TRIM_MIDDLE", 2, "QD$MAIN_SUBTOP_SOLID"},
        {"QD$SUBTOP_SOLID_BOOL_TOP", 2, "QD$SUBTOP_SOLID_TRIM_MIDDLE"},
        {"QD$SUBTOP_SOLID_TRIM_TOP", 2, "QD$SUBTOP_SOLID_BOOL_TOP"}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    ReadyNewDie();
    const tag_t flange = Square(30);
    die()->SetExactSheetbodyOption(row.exactFirst);
    if (row.flangeFirst) die()->GetFlangeCurve()->set_tags(1, &flange);
    Host::ClearCalls();
    EXPECT_EQ(die()->commit(), 0) << row.what;
    // A fresh build makes its features in order: nothing is placed.
    EXPECT_TRUE(stamvik_test::Placements().empty()) << row.what;
    die()->SetExactSheetbodyOption(false);
    if (row.flangeFirst) die()->GetFlangeCurve()->clear();
    if (row.flangeLater) die()->GetFlangeCurve()->set_tags(1, &flange);
    // A sheet that no longer reaches across the profiles: the extrusions
    // cannot run up to its offsets and go past them instead.
    if (row.pastTheSheets) die()->GetSheetBody()->set_selected_tag(Sheet(2.0));
    Host::ClearCalls();
    EXPECT_EQ(die()->commit(), 0) << row.what;
    Host::ClearAnswers();
    // Each placement names the member it placed and the member it placed it by.
    auto member = [&](const char* title) {
      tag_t feature = 0;
      die()->GetDrawPunchBuilder()->FindFeatureInSetByAttrTitle(die()->GetTfeatureSet(), title, &feature);
      return std::to_string(feature);
    };
    std::vector<std::string> expected;
    for (const Placed& p : row.placed)
      expected.push_back("feature=" + member(p.feature) + " reference=" + member(p.reference) +
                         " mode=" + std::to_string(p.mode));
    EXPECT_EQ(stamvik_test::Placements(), expected) << row.what;
  }
}

}  // namespace
