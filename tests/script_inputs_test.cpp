// What a script gives reaches the feature, played as ktxhost plays a
// journal: a notch is shaped by the geometry its type names and keeps no
// other, an outline the build needs is refused empty, a die shoe keeps its
// boolean items whatever their operation, makes each once and takes one a
// tool, and the builders that store tolerances refuse 0 or less.
#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "DieDesignTestSupport.hpp"
#include "InProcessPlaySupport.hpp"
#include "JamTestSupport.hpp"
#include "afl/BooleanFeatures.hpp"
#include "afl/DieShoeParms.hpp"
#include "afl/Parms.hpp"
#include "jam/Journal.hpp"
#include "script/Player.hpp"

using namespace KTX;

namespace {

class ScriptInputs : public stamvik_test::JamTest {
 protected:
  static void SetUpTestSuite() { stamvik_test::BindPlugin(); }
  void SetUp() override {
    JamTest::SetUp();
    folder_.emplace(stamvik_test::Examples());
  }
  void TearDown() override {
    folder_.reset();
    JamTest::TearDown();
  }

  // Plays the journal (each record must close with the status it states);
  // the live object of each of its tags.
  static std::map<tag_t, tag_t> Play(const std::string& text) {
    std::string error;
    int line = 0;
    Script::PlaySummary summary;
    EXPECT_TRUE(Script::Play(JAM::ReadJournal(text), &error, &line, &summary)) << "line " << line << ": " << error;
    return summary.objects;
  }
  static std::string Example(const char* name) {
    return stamvik_test::ReadFile((stamvik_test::Examples() / name).string());
  }
  template <class P>
  static P* ParmsOf(tag_t feature) {
    auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(feature));
    return frec == nullptr ? nullptr : dynamic_cast<P*>(frec->ask_parms());
  }

 private:
  std::optional<stamvik_test::PlayFolder> folder_;
};

// A record of a journal, closed with `status`.
std::string Record(const std::string& head, const std::string& lines, int status = 0) {
  return "record 0 " + head + "\n" + lines + "  closed " + std::to_string(status) + "\n";
}

// ---- the finger-clearance notch ------------------------------------------------------

// The creator's record: a builder on the feature (0: a new one).
std::string NotchBuilder(int feature, int builder) {
  return Record("method \"Die.DieCollection\" \"CreateFingerClearanceNotchBuilder\"",
                "  this tag 1\n  in tag \"fingerclearancenotch\" \"Die.FingerClearanceNotch\" " + std::to_string(feature) +
                    "\n  result tag \"builder\" \"Die.FingerClearanceNotchBuilder\" " + std::to_string(builder) + "\n");
}
// A part with a solid (2) and two sheets (3, 4), and a new notch builder
// (10) targeting the solid.
std::string NewNotch() {
  std::string text = "journal 1\n";
  text += Record("get \"Session\" \"WorkPart\"", "  result tag \"workpart\" \"Part\" 1\n");
  text += Record("get \"Part\" \"DieCollection\"", "  this tag 1\n  result tag \"diecollection\" \"Die.DieCollection\" 1\n");
  text += Record("method \"Part\" \"CreateSolidBody\"", "  this tag 1\n  result tag \"body\" \"Body\" 2\n");
  for (int sheet : {3, 4})
    text += Record("method \"Part\" \"CreateSheetBody\"",
                   "  this tag 1\n  result tag \"body\" \"Body\" " + std::to_string(sheet) + "\n");
  text += NotchBuilder(0, 10);
  text += Record("get \"Die.FingerClearanceNotchBuilder\" \"Target\"",
                 "  this ptr 10\n  result ptr \"target\" \"SelectBody\" 11\n");
  return text + Record("set \"SelectObject\" \"Value\"", "  this ptr 11\n  in tag \"value\" \"TaggedObject\" 2\n");
}
std::string NotchType(int builder, int type) {
  return Record("set \"Die.FingerClearanceNotchBuilder\" \"Type\"",
                "  this ptr " + std::to_string(builder) +
                    "\n  in enum \"type\" \"Die.FingerClearanceNotchBuilder.Types\" " + std::to_string(type) + "\n");
}
// Both sheets selected.
std::string NotchSheets(int builder) {
  return Record("get \"Die.FingerClearanceNotchBuilder\" \"Geometry\"",
                "  this ptr " + std::to_string(builder) + "\n  result ptr \"geometry\" \"SelectBrenvikObjectList\" 12\n") +
         Record("method \"SelectObjectList\" \"Add\"", "  this ptr 12\n  in tag \"object\" \"TaggedObject\" 3\n") +
         Record("method \"SelectObjectList\" \"Add\"", "  this ptr 12\n  in tag \"object\" \"TaggedObject\" 4\n");
}
// An open loop of two points in the section.
std::string NotchLoop(int builder) {
  return Record("get \"Die.FingerClearanceNotchBuilder\" \"Section\"",
                "  this ptr " + std::to_string(builder) + "\n  result ptr \"section\" \"Section\" 13\n") +
         Record("method \"Section\" \"AddLoop\"",
                "  this ptr 13\n  in int \"kind\" - 1\n  in struct-array \"points\" \"Point3d\" 6 0 0 0 10 0 0\n");
}
std::string Commit(int builder, int feature, int status) {
  return Record("method \"Builder\" \"Commit\"",
                "  this ptr " + std::to_string(builder) + "\n  result tag \"object\" \"TaggedObject\" " +
                    std::to_string(feature) + "\n",
                status) +
         Record("method \"Builder\" \"Destroy\"", "  this ptr " + std::to_string(builder) + "\n");
}

TEST_F(ScriptInputs, ANotchIsShapedByTheGeometryOfItsTypeAndKeepsNoOther) {
  struct Row {
    const char* what;
    std::string create;  // after the new builder: its inputs, then its commit (feature 20)
    std::string edit;    // on the feature (builder 30): its inputs; empty: no edit
    int status;          // of the last commit
    bool sheets;         // entity 3 holds the two sheets after it
  };
  const Row rows[] = {
      {"Section with nothing in its section", "", "", 3030636, false},
      {"Face with nothing selected", NotchType(10, 1), "", 3030637, false},
      {"SheetBody with nothing selected", NotchType(10, 2), "", 3030638, false},
      {"Section with a loop keeps the sheets it was given out", NotchSheets(10) + NotchLoop(10), "", 0, false},
      {"Section with sheets, edited to SheetBody with none", NotchSheets(10) + NotchLoop(10), NotchType(30, 2),
       3030638, false},
      {"SheetBody edited to Section without a loop", NotchType(10, 2) + NotchSheets(10), NotchType(30, 0), 3030636,
       true},
      {"SheetBody edited to Section with a loop", NotchType(10, 2) + NotchSheets(10),
       NotchType(30, 0) + NotchLoop(30), 0, false},
      {"SheetBody edited as it is", NotchType(10, 2) + NotchSheets(10), " ", 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const bool edited = !row.edit.empty();
    std::string text = NewNotch() + row.create + Commit(10, 20, edited ? 0 : row.status);
    if (edited) text += NotchBuilder(20, 30) + (row.edit == " " ? "" : row.edit) + Commit(30, row.status == 0 ? 20 : 0, row.status);
    std::map<tag_t, tag_t> made = Play(text);
    if (row.status != 0 && !edited) continue;
    const auto* parms = ParmsOf<DIEDES_GENERIC_BODY_PARMS>(made[20]);
    ASSERT_NE(parms, nullptr);
    EXPECT_EQ(stamvik_test::TagsOf(parms, 3).size(), row.sheets ? 2u : 0u);
    EXPECT_TRUE(stamvik_test::TagsOf(parms, 4).empty());
  }
}

// ---- outlines of nothing ---------------------------------------------------------------

// The builder's outline (its getter `member`, given back as `section`)
// emptied by the script.
std::string Cleared(const std::string& journalClass, const std::string& member, int builder, int section) {
  std::string lower = member;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return Record("get \"" + journalClass + "\" \"" + member + "\"",
                "  this ptr " + std::to_string(builder) + "\n  result ptr \"" + lower + "\" \"Section\" " +
                    std::to_string(section) + "\n") +
         Record("method \"Section\" \"Clear\"", "  this ptr " + std::to_string(section) + "\n");
}

// A build that needs an outline refuses one of nothing, at create and in an
// edit that clears it; an optional outline stays optional. Each row plays an
// example up to one of its commits, gives its lines and commits there.
TEST_F(ScriptInputs, AnOutlineOfNothingIsRefusedWhereTheBuildNeedsOne) {
  struct Row {
    const char* what;
    const char* example;
    int commit;  // the example's commit the row replaces, from 1
    int builder;
    int feature;  // the commit's feature when it goes through
    std::string lines;
    int status;
  };
  const std::string clearance = "Die.ClearanceBuilder";
  const std::string sectionType = Record("set \"Die.ClearanceBuilder\" \"ClearanceGeometryType\"",
                                         "  this ptr 10\n  in enum \"clearancegeometrytype\" "
                                         "\"Die.ClearanceBuilder.ClearanceGeometryTypes\" 1\n");
  const std::string loop = Record("get \"Die.ClearanceBuilder\" \"Section\"",
                                  "  this ptr 10\n  result ptr \"section\" \"Section\" 90\n") +
                           Record("method \"Section\" \"AddLoop\"",
                                  "  this ptr 90\n  in int \"kind\" - 0\n  in struct-array \"points\" \"Point3d\" 9 "
                                  "0 0 0 10 0 0 10 10 0\n");
  const Row rows[] = {
      {"a clearance of type Solid with no section", "clearance.jou", 1, 10, 20, "", 0},
      {"a clearance of type Section with no section", "clearance.jou", 1, 10, 20, sectionType, 3030670},
      {"a clearance of type Section with a loop", "clearance.jou", 1, 10, 20, sectionType + loop, 0},
      {"a clearance of type Section whose loop was cleared", "clearance.jou", 1, 10, 20,
       sectionType + loop + Cleared(clearance, "Section", 10, 91), 3030670},
      {"a machine relief's main profile cleared", "machine_relief.jou", 2, 30, 20,
       Cleared("Die.MachineReliefBuilder", "MainProfile", 30, 90), 3030671},
      {"a machine relief's inside wall cleared", "machine_relief.jou", 2, 30, 20,
       Cleared("Die.MachineReliefBuilder", "InsideWallProfile", 30, 90), 0},
      {"a fill area's boundary cleared before its first commit", "fill_area.jou", 1, 10, 20,
       Cleared("Die.FillAreaBuilder", "Boundary", 10, 90), 3030672},
      {"a fill area's boundary cleared", "fill_area.jou", 2, 30, 20,
       Cleared("Die.FillAreaBuilder", "Boundary", 30, 90), 3030672},
      {"a draw bead's centreline cleared before its first commit", "draw_bead_split.jou", 1, 10, 50,
       Cleared("Die.DrawBeadBuilder", "Centerline", 10, 90), 3030673},
      {"a draw bead's centreline cleared", "draw_bead_split.jou", 2, 60, 50,
       Cleared("Die.DrawBeadBuilder", "Centerline", 60, 90), 3030673},
      {"a keyway's interior profile cleared", "keyway.jou", 2, 30, 20,
       Cleared("Die.KeywayBuilder", "InteriorProfile", 30, 90), 0},
  };
  const std::string commit = "record 0 method \"Builder\" \"Commit\"";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::string example = Example(row.example);
    std::size_t at = std::string::npos;
    for (int i = 0; i < row.commit; ++i) at = example.find(commit, at == std::string::npos ? 0 : at + 1);
    ASSERT_NE(at, std::string::npos);
    Play(example.substr(0, at) + row.lines + Commit(row.builder, row.status == 0 ? row.feature : 0, row.status));
  }
}

// A closed outline whose loop bounds no area (its points one, or on one
// line within the distance tolerance 0.01) is refused by every builder that
// takes one, at create and in an edit; a loop as thin as twice the
// tolerance is an outline. Each row clears the outline, gives the loop and
// commits in place of one of the example's commits.
TEST_F(ScriptInputs, AClosedOutlineOfNoAreaIsRefusedByEveryBuilderThatTakesOne) {
  struct Row {
    const char* what;
    const char* example;
    int commit;  // the example's commit the row replaces, from 1
    const char* journalClass;
    const char* member;  // the outline's getter
    const char* points;
    int status;
  };
  const char* kOnePoint = "12 5 5 0 5 5 0 5 5 0 5 5 0";
  const char* kOneLine = "12 0 0 0 10 0 0 20 0 0 30 0 0";
  const char* kWithinTolerance = "9 0 0 0 30 0 0 15 0.005 0";
  const char* kTwiceTheTolerance = "9 0 0 0 30 0 0 15 0.02 0";
  const char* kUpright = "9 0 0 0 30 0 0 30 0 0.02";  // on no line, though seen along Z it has no area
  const Row rows[] = {
      {"a clearance's section of one point", "clearance.jou", 1, "Die.ClearanceBuilder", "Section", kOnePoint, 3030691},
      {"a clearance's section on one line", "clearance.jou", 1, "Die.ClearanceBuilder", "Section", kOneLine, 3030691},
      {"a clearance's section within the tolerance of a line", "clearance.jou", 1, "Die.ClearanceBuilder", "Section",
       kWithinTolerance, 3030691},
      {"a clearance's section twice the tolerance off its line", "clearance.jou", 1, "Die.ClearanceBuilder", "Section",
       kTwiceTheTolerance, 0},
      {"a clearance's section upright", "clearance.jou", 1, "Die.ClearanceBuilder", "Section", kUpright, 0},
      {"an edited clearance's section on one line", "clearance.jou", 2, "Die.ClearanceBuilder", "Section", kOneLine,
       3030691},
      {"a fill area's boundary of one point", "fill_area.jou", 1, "Die.FillAreaBuilder", "Boundary", kOnePoint, 3030691},
      {"an edited fill area's boundary on one line", "fill_area.jou", 2, "Die.FillAreaBuilder", "Boundary", kOneLine,
       3030691},
      {"a machine relief's main profile of one point", "machine_relief.jou", 1, "Die.MachineReliefBuilder",
       "MainProfile", kOnePoint, 3030691},
      {"an edited machine relief's main profile on one line", "machine_relief.jou", 2, "Die.MachineReliefBuilder",
       "MainProfile", kOneLine, 3030691},
      {"a machine relief's inside wall on one line", "machine_relief.jou", 1, "Die.MachineReliefBuilder",
       "InsideWallProfile", kOneLine, 3030691},
      {"a cast relief's profile of one point", "cast_relief.jou", 1, "Die.CastReliefBuilder", "ReliefProfile",
       kOnePoint, 3030691},
      {"an edited cast relief's profile on one line", "cast_relief.jou", 2, "Die.CastReliefBuilder", "ReliefProfile",
       kOneLine, 3030691},
      {"a clamping slot's flange of one point", "clamping_slot.jou", 1, "Die.ClampingSlotBuilder", "FlangeBaseProfile",
       kOnePoint, 3030691},
      {"an edited clamping slot's flange on one line", "clamping_slot.jou", 2, "Die.ClampingSlotBuilder",
       "FlangeBaseProfile", kOneLine, 3030691},
      {"a keyway's flange of one point", "keyway.jou", 1, "Die.KeywayBuilder", "BaseFlange", kOnePoint, 3030691},
      {"an edited keyway's flange on one line", "keyway.jou", 2, "Die.KeywayBuilder", "BaseFlange", kOneLine, 3030691},
      {"a keyway's interior profile on one line", "keyway.jou", 1, "Die.KeywayBuilder", "InteriorProfile", kOneLine,
       3030691},
  };
  const std::string commit = "record 0 method \"Builder\" \"Commit\"";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PART_part* own = PART_part::Create(0);
    PART_set_work_part(own);
    const std::string example = Example(row.example);
    std::size_t at = std::string::npos;
    for (int i = 0; i < row.commit; ++i) at = example.find(commit, at == std::string::npos ? 0 : at + 1);
    ASSERT_NE(at, std::string::npos);
    const int builder = row.commit == 1 ? 10 : 30;
    std::string lines = Cleared(row.journalClass, row.member, builder, 90) +
                        Record("method \"Section\" \"AddLoop\"", "  this ptr 90\n  in int \"kind\" - 0\n  in struct-array "
                                                                 "\"points\" \"Point3d\" " +
                                                                     std::string(row.points) + "\n");
    if (std::string(row.example) == "clearance.jou")
      lines = Record("set \"Die.ClearanceBuilder\" \"ClearanceGeometryType\"",
                     "  this ptr " + std::to_string(builder) +
                         "\n  in enum \"clearancegeometrytype\" \"Die.ClearanceBuilder.ClearanceGeometryTypes\" 1\n") +
              lines;
    Play(example.substr(0, at) + lines + Commit(builder, row.status == 0 ? 20 : 0, row.status));
    own->destroy();
  }
  PART_set_work_part(part());
}

// ---- the die shoe's boolean items -----------------------------------------------------

// The boolean features of the part, as their operations, oldest first.
std::vector<int> BooleanOperations(const PART_part* part) {
  std::vector<int> types;
  for (tag_t t : Host::KeptInPart(part))
    if (auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)))
      if (auto* boolean = dynamic_cast<const BOOLEAN_parms*>(frec->ask_parms())) types.push_back(boolean->ask_type());
  return types;
}
std::string BooleanOperation(int item, int type) {
  return Record("set \"Die.DieBooleanBuilder\" \"BooleanOptions\"",
                "  this ptr " + std::to_string(item) +
                    "\n  in enum \"booleanoptions\" \"Die.DieBooleanBuilder.BooleanType\" " + std::to_string(type) +
                    "\n");
}

// The example's shoe with its item a subtract: the edit that makes the deck
// thinner finds it, and a second edit turns it into a unite; the tool has one
// feature on the shoe at every step, of the operation its item has.
TEST_F(ScriptInputs, AShoeKeepsItsSubtractAndAnEditReplacesTheOperationOfATool) {
  std::string text = Example("die_shoe.jou");
  const std::string append = "record 0 method \"ObjectList\" \"Append\"";
  text.insert(text.find(append), BooleanOperation(20, 1));
  // The edit's FindItem 0 finds the item (past the end it would fail the play).
  std::map<tag_t, tag_t> made = Play(text);
  const auto* parms = ParmsOf<DieDes::DieShoe>(made[30]);
  ASSERT_NE(parms, nullptr);
  ASSERT_EQ(parms->GetNumDieShoeBooleanItems(), 1);
  EXPECT_EQ(parms->GetDieShoeBooleanTypes()->AskInt(0), 1);
  EXPECT_EQ(BooleanOperations(part()), std::vector<int>{1});

  text += Record("method \"Die.DieCollection\" \"DieShoe\"",
                 "  this tag 1\n  in tag \"dieshoe\" \"Die.DieShoe\" 30\n  result tag \"builder\" \"Die.DieShoeBuilder\" "
                 "50\n") +
          Record("get \"Die.DieShoeBuilder\" \"DieBooleansList\"",
                 "  this ptr 50\n  result ptr \"diebooleanslist\" \"Die.DieBooleanBuilderList\" 51\n") +
          Record("method \"ObjectList\" \"FindItem\"",
                 "  this tag 51\n  in int \"index\" - 0\n  result tag \"object\" \"TaggedObject\" 52\n") +
          BooleanOperation(52, 0) + Commit(50, 30, 0);
  // Played again from the start in a part of its own.
  PART_part* again = PART_part::Create(0);
  PART_set_work_part(again);
  made = Play(text);
  parms = ParmsOf<DieDes::DieShoe>(made[30]);
  ASSERT_NE(parms, nullptr);
  ASSERT_EQ(parms->GetNumDieShoeBooleanItems(), 1);
  EXPECT_EQ(parms->GetDieShoeBooleanTypes()->AskInt(0), 0);
  EXPECT_EQ(BooleanOperations(again), std::vector<int>{0});
  again->destroy();
  PART_set_work_part(part());
}

// A new boolean item (`item`, its list `list`) of the shoe `shoe`: the tool
// `tool`, the operation `type`.
std::string NewItem(int shoe, int item, int list, int tool, int type) {
  return Record("method \"Die.DieCollection\" \"CreateDieBoolean\"",
                "  this tag 1\n  result tag \"item\" \"Die.DieBooleanBuilder\" " + std::to_string(item) + "\n") +
         Record("get \"Die.DieBooleanBuilder\" \"SelectBodies\"",
                "  this ptr " + std::to_string(item) + "\n  result ptr \"selectbodies\" \"SelectBrenvikObjectList\" " +
                    std::to_string(item + 1) + "\n") +
         Record("method \"SelectObjectList\" \"Add\"", "  this ptr " + std::to_string(item + 1) +
                                                         "\n  in tag \"object\" \"TaggedObject\" " +
                                                         std::to_string(tool) + "\n") +
         BooleanOperation(item, type) +
         Record("get \"Die.DieShoeBuilder\" \"DieBooleansList\"",
                "  this ptr " + std::to_string(shoe) + "\n  result ptr \"diebooleanslist\" \"Die.DieBooleanBuilderList\" " +
                    std::to_string(list) + "\n") +
         Record("method \"ObjectList\" \"Append\"",
                "  this tag " + std::to_string(list) + "\n  in tag \"object\" \"TaggedObject\" " + std::to_string(item) +
                    "\n");
}

// The shoe makes one boolean feature a tool, so a second item on a tool,
// whatever its operation, is refused: at create, and in an edit, whose
// refusal leaves the record's items and the features as they were. Items on
// two tools are each kept.
TEST_F(ScriptInputs, AShoeRefusesTwoItemsOnOneTool) {
  struct Row {
    const char* what;
    int commit;  // the example's commit (1 create, 2 edit) the items are given before
    std::string lines;
    int status;
    std::vector<int> stored;  // the record's item operations after the play
    std::vector<int> made;    // the boolean features' operations
  };
  const std::string secondSolid =
      Record("method \"Part\" \"CreateSolidBody\"", "  this tag 1\n  result tag \"body\" \"Body\" 3\n");
  // The new item's tool list given its tool again.
  const std::string addedAgain =
      Record("method \"SelectObjectList\" \"Add\"", "  this ptr 71\n  in tag \"object\" \"TaggedObject\" 3\n");
  const Row rows[] = {
      {"a subtract beside the unite of its tool", 1, NewItem(10, 70, 72, 2, 1), 3030674, {}, {}},
      {"a second unite of the tool", 1, NewItem(10, 70, 72, 2, 0), 3030674, {}, {}},
      {"another tool given twice in one item", 1, secondSolid + NewItem(10, 70, 72, 3, 1) + addedAgain, 3030674, {}, {}},
      {"a subtract of another tool", 1, secondSolid + NewItem(10, 70, 72, 3, 1), 0, {0, 1}, {0, 1}},
      {"an edit's subtract beside the unite it read back", 2, NewItem(40, 70, 72, 2, 1), 3030674, {0}, {0}},
  };
  const std::string commit = "record 0 method \"Builder\" \"Commit\"";
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    PART_part* own = PART_part::Create(0);
    PART_set_work_part(own);
    const std::string example = Example("die_shoe.jou");
    const std::size_t first = example.find(commit);
    const std::size_t at = row.commit == 1 ? first : example.find(commit, first + 1);
    ASSERT_NE(at, std::string::npos);
    const int shoe = row.commit == 1 ? 10 : 40;
    std::map<tag_t, tag_t> made =
        Play(example.substr(0, at) + row.lines + Commit(shoe, row.status == 0 ? 30 : 0, row.status));
    std::vector<int> stored;
    if (const auto* parms = ParmsOf<DieDes::DieShoe>(made[30]))
      for (int i = 0; i < parms->GetNumDieShoeBooleanItems(); ++i)
        stored.push_back(parms->GetDieShoeBooleanTypes()->AskInt(i));
    EXPECT_EQ(stored, row.stored);
    EXPECT_EQ(BooleanOperations(own), row.made);
    own->destroy();
  }
  PART_set_work_part(part());
}

// ---- tolerances ----------------------------------------------------------------------

TEST_F(ScriptInputs, TheDrawBeadAndTheSpringbackCompensationRefuseTolerancesOfZeroOrLess) {
  struct Row {
    const char* example;
    const char* until;  // the example played up to this record, its builder then committed
    const char* journalClass;
    const char* tolerance;
    const char* value;
    int status;
  };
  const char* commit = "record 0 method \"Builder\" \"Commit\"";
  const char* destroy = "record 0 method \"Builder\" \"Destroy\"";
  const Row rows[] = {
      {"draw_bead_split.jou", commit, "Die.DrawBeadBuilder", "DistanceTolerance", "0", 674028},
      {"draw_bead_split.jou", commit, "Die.DrawBeadBuilder", "DistanceTolerance", "-5", 674028},
      {"draw_bead_split.jou", commit, "Die.DrawBeadBuilder", "AngleTolerance", "0", 674029},
      // Longer than the whole centreline: the path is too short for it.
      {"draw_bead_split.jou", commit, "Die.DrawBeadBuilder", "DistanceTolerance", "1e9", 3030305},
      {"springback.jou", destroy, "Die.SpringbackCompensationBuilder", "DistanceTolerance", "0.99e-10", 674028},
      // At the margin the tolerance passes; the points then want their sheet.
      {"springback.jou", destroy, "Die.SpringbackCompensationBuilder", "DistanceTolerance", "1e-10", 690034},
      {"springback.jou", destroy, "Die.SpringbackCompensationBuilder", "AngleTolerance", "-5", 674029},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.example) + " " + row.tolerance + " " + row.value);
    const std::string example = Example(row.example);
    std::string name = row.tolerance;
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    Play(example.substr(0, example.find(row.until)) +
         Record(std::string("set \"") + row.journalClass + "\" \"" + row.tolerance + "\"",
                "  this ptr 10\n  in double \"" + name + "\" - " + row.value + " 0\n") +
         Commit(10, 0, row.status));
  }
}

}  // namespace
