// What a script sets through an open builder reaches its feature only when a
// commit takes it: a builder let go, or a commit refused, leaves the feature
// as it was, so that the next edit that changes nothing commits the feature
// as the example made it. Each row is a user's session played by ktxhost
// from an example's journal; the volumes and places are worked out by hand
// from the example's sizes.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "TestSupport.hpp"

namespace {

std::string Example(const char* name) {
  std::ifstream in(std::string(STAMVIK_SOURCE_DIR) + "/examples/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The example up to the text `before` (the example's own edit left out).
std::string Upto(const char* name, const std::string& before) {
  const std::string text = Example(name);
  const std::size_t at = text.find(before);
  EXPECT_NE(at, std::string::npos) << name << ": " << before;
  return text.substr(0, at);
}

std::string Commit(int builder, int feature, int status) {
  return "record 0 method \"Builder\" \"Commit\"\n  this ptr " + std::to_string(builder) +
         "\n  result tag \"object\" \"TaggedObject\" " + std::to_string(status == 0 ? feature : 0) + "\n  closed " +
         std::to_string(status) + "\n";
}
std::string Destroy(int builder) {
  return "record 0 method \"Builder\" \"Destroy\"\n  this ptr " + std::to_string(builder) + "\n  closed 0\n";
}
// A builder opened on the feature by the collection's creator; its records;
// committed with `status` (none: let go without a commit) and let go.
std::string Opened(const std::string& creator, const std::string& featureClass, const std::string& builderClass,
                   const std::string& argument, int feature, int builder, const std::string& records,
                   int status = -1) {
  return "record 0 method " + creator + "\n  this tag 1\n  in tag \"" + argument + "\" \"" + featureClass + "\" " +
         std::to_string(feature) + "\n  result tag \"builder\" \"" + builderClass + "\" " + std::to_string(builder) +
         "\n  closed 0\n" + records + (status >= 0 ? Commit(builder, feature, status) : "") + Destroy(builder);
}
std::string Get(const std::string& builderClass, int builder, const std::string& member, const std::string& type,
                int tag) {
  std::string lower = member;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return "record 0 get \"" + builderClass + "\" \"" + member + "\"\n  this ptr " + std::to_string(builder) +
         "\n  result ptr \"" + lower + "\" \"" + type + "\" " + std::to_string(tag) + "\n  closed 0\n";
}
std::string Clear(int section) {
  return "record 0 method \"Section\" \"Clear\"\n  this ptr " + std::to_string(section) + "\n  closed 0\n";
}
// A closed loop of the four corners of a w x h rectangle about the origin.
std::string Rectangle(int section, double w, double h, double x = 0) {
  std::ostringstream points;
  points << x - w / 2 << ' ' << -h / 2 << " 0 " << x + w / 2 << ' ' << -h / 2 << " 0 " << x + w / 2 << ' ' << h / 2
         << " 0 " << x - w / 2 << ' ' << h / 2 << " 0";
  return "record 0 method \"Section\" \"AddLoop\"\n  this ptr " + std::to_string(section) +
         "\n  in int \"kind\" - 0\n  in struct-array \"points\" \"Point3d\" 12 " + points.str() + "\n  closed 0\n";
}
std::string Text(int expression, const std::string& value) {
  return "record 0 set \"Expression\" \"RightHandSide\"\n  this ptr " + std::to_string(expression) +
         "\n  in string \"righthandside\" - \"" + value + "\"\n  closed 0\n";
}
std::string Double(const std::string& builderClass, int builder, const std::string& member, double value) {
  std::string lower = member;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::ostringstream text;
  text << "record 0 set \"" << builderClass << "\" \"" << member << "\"\n  this ptr " << builder << "\n  in double \""
       << lower << "\" - " << value << " 0\n  closed 0\n";
  return text.str();
}

// ---- the die shoe: 1000 x 800 flange, 600 x 400 deck ----------------------------------
const std::string kShoe = "\"Die.DieShoeBuilder\"";
std::string ShoeEdit(int builder, const std::string& records, int status = -1) {
  return Opened("\"Die.DieCollection\" \"DieShoe\"", "Die.DieShoe", "Die.DieShoeBuilder", "dieshoe", 30, builder,
                records, status);
}
std::string ShoeSection(int builder, const char* member, int tag) {
  return Get("Die.DieShoeBuilder", builder, member, "Section", tag);
}

// ---- the split draw bead: centreline 10 + 20 + 30 long, one segment a line ------------
std::string BeadEdit(int builder, const std::string& records, int status = -1) {
  return Opened("\"Die.DieCollection\" \"CreateDrawBeadBuilder\"", "Die.DrawBead", "Die.DrawBeadBuilder", "drawBead",
                50, builder, records, status);
}
std::string BeadCentreline(int builder, int tag) {
  return Get("Die.DrawBeadBuilder", builder, "Centerline", "Section", tag);
}
// Three lines 10, 20 and 20 long: a path of 50.
std::string FiftyLong(int section) {
  return "record 0 method \"Section\" \"AddLines\"\n  this ptr " + std::to_string(section) +
         "\n  in int \"kind\" - 1\n  in struct-array \"points\" \"Point3d\" 12 0 0 0 10 0 0 10 20 0 30 20 0\n"
         "  closed 0\n";
}

// ---- the draw punch: 200 x 120 profile, belt 25, base 30 thick and 60 wide --------------
std::string PunchEdit(int builder, const std::string& records, int status) {
  return Opened("\"Tooling.AutoDieCollection\" \"CreateDieDesDrawPunchBuilder\"", "Features.Feature",
                "Tooling.DieDesDrawPunchBuilder", "featureSet", 20, builder, records, status);
}
const char* kPunchClass = "Tooling.DieDesDrawPunchBuilder";

struct Row {
  const char* what;
  std::string journal;
  std::vector<std::string> printed;  // each a line the part's listing holds at the play's end
};

std::vector<Row> Rows() {
  const std::string shoe = Upto("die_shoe.jou", "record 0 method \"Die.DieCollection\" \"DieShoe\"\n  this tag 1\n"
                                                "  in tag \"dieshoe\" \"Die.DieShoe\" 30");
  const std::string bead = Upto("draw_bead_split.jou", "# Edit:");
  const std::string punch = Upto("draw_punch.jou", "# Edit:");
  // The example's shoe: flange 1000 x 800 x 45 (36,000,000) and the deck's
  // 600 x 400 with its walls, 16,789,500 more; a deck of 400 x 300 would
  // leave 47,254,500, one more of 200 x 100 make 56,664,000.
  const std::string shoeMade = " solid volume 5.27895e+07 mm3 box -500 -400 0 500 400 250 mm";
  const std::string shoeUnchanged = ShoeEdit(60, "", 0);
  // The bead's segments: each line's stretch less the 0.25 gap before the
  // next, the last to the path's end at 60.
  const std::vector<std::string> beadMade = {"  segment 0 entity 3: expressions: 0, 9.75",
                                             "  segment 1 entity 3: expressions: 10, 29.75",
                                             "  segment 2 entity 3: expressions: 30, 60"};
  const std::string beadUnchanged = BeadEdit(70, "", 0);
  // The example's bead lengths: metal thickness 1.5, clearance 0.3, female
  // depth 4 and width 12.
  std::vector<std::string> beadKept = beadMade;
  beadKept.push_back("  entity 6: expressions: 1.5, 0.29999999999999999, 4, 12");
  const std::string keptOpen = bead.substr(0, bead.rfind("record 0 method \"Builder\" \"Destroy\"\n  this ptr 10"));
  // The punch with a base 20 thick where the example's is 30: 3,083,507.57;
  // with the example's base, 3,573,107.57; with a belt of 69.99, 3,299,853.60.
  const std::string punchBase20 = " solid volume 3.08351e+06 mm3";
  const std::string punchMade = " solid volume 3.57311e+06 mm3";
  const std::string belt = Double(kPunchClass, 30, "BeltThickness", 69.99);
  return {
      {"shoe: the deck cleared, given 400 x 300 and let go",
       shoe + ShoeEdit(40, ShoeSection(40, "MainDeckSection", 41) + Clear(41) + Rectangle(41, 400, 300)) +
           shoeUnchanged,
       {shoeMade}},
      {"shoe: a second deck of 200 x 100 added and let go",
       shoe + ShoeEdit(40, ShoeSection(40, "MainDeckSection", 41) + Rectangle(41, 200, 100)) + shoeUnchanged,
       {shoeMade}},
      {"shoe: a deck outside the flange refused",
       shoe + ShoeEdit(40, ShoeSection(40, "MainDeckSection", 41) + Clear(41) + Rectangle(41, 1200, 300), 3030600) +
           shoeUnchanged,
       {shoeMade}},
      {"shoe: the flange cleared and refused",
       shoe + ShoeEdit(40, ShoeSection(40, "BaseFlangeSection", 41) + Clear(41), 3030392) + shoeUnchanged,
       {shoeMade}},
      {"shoe: the flange cleared, let go",
       shoe + ShoeEdit(40, ShoeSection(40, "BaseFlangeSection", 41) + Clear(41)) + shoeUnchanged, {shoeMade}},
      {"bead: the centreline cleared and let go",
       bead + BeadEdit(60, BeadCentreline(60, 61) + Clear(61)) + beadUnchanged, beadMade},
      {"bead: the centreline given three lines 50 long and let go",
       bead + BeadEdit(60, BeadCentreline(60, 61) + Clear(61) + FiftyLong(61)) + beadUnchanged, beadMade},
      {"bead: the centreline given three lines 50 long, refused for a tolerance of 0",
       bead +
           BeadEdit(60,
                    BeadCentreline(60, 61) + Clear(61) + FiftyLong(61) +
                        Double("Die.DrawBeadBuilder", 60, "DistanceTolerance", 0),
                    674028) +
           beadUnchanged,
       beadMade},
      {"bead kept open after its commit: female depth 0 refused",
       keptOpen + Get("Die.DrawBeadBuilder", 10, "FemaleDepthValue", "Expression", 90) + Text(90, "0") +
           Commit(10, 50, 3030297) + Destroy(10) + beadUnchanged,
       beadKept},
      {"bead kept open after its commit: metal thickness 2 and clearance 0.5 let go",
       keptOpen + Get("Die.DrawBeadBuilder", 10, "MetalThickness", "Expression", 90) + Text(90, "2") +
           Get("Die.DrawBeadBuilder", 10, "Clearance", "Expression", 91) + Text(91, "0.5") + Destroy(10) +
           beadUnchanged,
       beadKept},
      {"bead kept open after its commit: its first segment's end set to 8 and let go",
       keptOpen + Get("Die.DrawBeadBuilder", 10, "SegmentList", "Die.DrawBeadSegmentBuilderList", 90) +
           "record 0 method \"ObjectList\" \"FindItem\"\n  this tag 90\n  in int \"index\" - 0\n  result tag "
           "\"object\" \"TaggedObject\" 91\n  closed 0\n" +
           Get("Die.DrawBeadSegmentBuilder", 91, "EndLocation", "GeometricUtilities.OnPathDimensionBuilder", 92) +
           "record 0 get \"OnPathDimensionBuilder\" \"Expression\"\n  this ptr 92\n  result tag \"expression\" "
           "\"Expression\" 93\n  closed 0\n" +
           Text(93, "8") + Destroy(10) + beadUnchanged,
       beadKept},
      {"bead kept open after its commit: the centreline cleared and let go",
       keptOpen + BeadCentreline(10, 90) + Clear(90) + Destroy(10) + beadUnchanged, beadKept},
      {"punch: a belt of 69.99 refused, then only the base made 20 thick",
       punch + PunchEdit(30, belt, 3030589) + PunchEdit(40, Double(kPunchClass, 40, "BaseThickness", 20), 0),
       {punchBase20}},
      {"punch: a belt of 69.99 refused, then an edit that changes nothing",
       punch + PunchEdit(30, belt, 3030589) + PunchEdit(40, "", 0), {punchMade}},
  };
}

TEST(EditsUntilCommit, ALetGoOrRefusedEditLeavesTheFeatureToTheNextUnchangedCommit) {
  stamvik_test::ScratchFolder folder("edits_until_commit_");
  int n = 0;
  for (const Row& row : Rows()) {
    SCOPED_TRACE(row.what);
    const std::string path = folder.Slashed() + "row" + std::to_string(n++) + ".jou";
    std::ofstream(path) << row.journal;
    int status = -1;
    const std::vector<std::string> lines =
        stamvik_test::KtxhostOutput({"play", path, "--plugin", STAMVIK_PLUGIN}, &status, true);
    std::string whole;
    for (const std::string& line : lines) whole += line + "\n";
    EXPECT_EQ(status, 0) << whole;
    for (const std::string& printed : row.printed)
      EXPECT_NE(whole.find(printed), std::string::npos) << "no line with \"" << printed << "\" in\n" << whole;
  }
}

}  // namespace
