// Undo marks as the builders rely on them: every kind of persistent field
// comes back as it was at the mark, and an object is logged at most once per
// mark.
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "DieEngJA_SpringbackCompensationBuilder.hpp"
#include "TestSupport.hpp"
#include "Tooling_DieEngFormTaskBuilder.hpp"
#include "assy/Assembly.hpp"
#include "sel/Selection.hpp"

namespace {

using namespace KTX;
using stamvik_test::UndoMark;

class UndoMarks : public stamvik_test::HostTest {};

TEST_F(UndoMarks, AnObjectIsLoggedOncePerMarkAndAgainUnderTheNext) {
  auto* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  int mark = UndoMark();
  Host::ClearCalls();
  shoe->SetCenterlineSlotCreate(true);
  shoe->SetDistanceTolerance(0.5);
  shoe->SetAngleTolerance(0.25);
  EXPECT_EQ(Host::CountCalls("OM__log"), 1u);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  // The first change after the next mark is logged again, and undone to it.
  mark = UndoMark();
  Host::ClearCalls();
  shoe->SetDistanceTolerance(0.75);
  shoe->SetAngleTolerance(0.125);
  EXPECT_EQ(Host::CountCalls("OM__log"), 1u);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  EXPECT_TRUE(shoe->GetCenterlineSlotCreate());
  EXPECT_EQ(shoe->GetDistanceTolerance(), 0.5);
  EXPECT_EQ(shoe->GetAngleTolerance(), 0.25);
  shoe->destroy();
}

TEST_F(UndoMarks, TextLinesKernelBodyListsAndTagReferencesComeBack) {
  auto* task = Tooling::DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  auto* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  task->SetNthValueInDetails(0, UString("first line"));
  shoe->SetSolvaneMainDeck(0, 71);
  task->SetCamDirection(301);

  const int mark = UndoMark();
  task->SetNthValueInDetails(0, UString("rewritten"));
  task->SetNthValueInDetails(1, UString("added"));
  task->SetCamDirection(404);
  shoe->SetSolvaneMainDeck(0, 72);
  shoe->SetSolvaneMainDeck(1, 73);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  ASSERT_EQ(task->GetNumDetails(), 1);
  EXPECT_EQ(task->GetNthValueInDetails(0), UString("first line"));
  EXPECT_EQ(task->GetCamDirection(), 301u);
  ASSERT_EQ(shoe->GetNumberSolvaneMainDecks(), 1);
  EXPECT_EQ(shoe->GetSolvaneMainDeck(0), 71);
  task->destroy();
  shoe->destroy();
}

// A text that held nothing holds nothing again; an array first made under
// the mark is gone again (and freed); a list longer than a chunk
// of the log (70,000 tags, 280,000 bytes) comes back whole; a builder that
// owns more sub-objects than its record holds in place (the die shoe's 17)
// and lets one go under a mark owns them all again, and its destroy takes
// them.
TEST_F(UndoMarks, NoTextNoArrayALongListAndManyOwnedPlacesComeBack) {
  using DieEngJA::SpringbackCompensationBuilder;
  auto* springback = DieEngJA::SpringbackCompensationBuilderFactory::Create(modelPart(), nullptr);
  // The text field itself, which the builder's getter shows as "" when it holds nothing.
  auto text = [springback] {
    return *reinterpret_cast<char* const*>(reinterpret_cast<const char*>(springback) +
                                           SpringbackCompensationBuilder::m_productPointsFile_Place());
  };
  OM::OM_set_string(springback, SpringbackCompensationBuilder::m_productPointsFileAttId, nullptr);
  EXPECT_EQ(text(), nullptr);
  SELECT_OBJECT_list* list = SELECT_OBJECT_listFactory::Create(part(), false);
  for (tag_t t = 1; t <= 70000; ++t) list->append(t);
  auto* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  EXP_expression* depth = shoe->GetCenterlineSlotDepth();
  ASSERT_NE(depth, nullptr);
  const tag_t depthTag = depth->ask_tag();

  auto* task = Tooling::DieEngFormTaskBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(task->GetNumDetails(), 0);

  const int mark = UndoMark();
  task->SetNthValueInDetails(0, UString("made under the mark"));
  springback->SetProductPointsFile("points.txt");
  list->clear();
  OM::OM_set_pointer(shoe, DieDes::DieShoeBuilder::m_centerlineSlotDepthAttId, nullptr);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  EXPECT_EQ(text(), nullptr);
  EXPECT_EQ(task->GetNumDetails(), 0);
  EXPECT_EQ(list->ask_count(), 70000);
  if (list->ask_count() == 70000) {
    EXPECT_EQ(list->ask_nth(0), 1u);
    EXPECT_EQ(list->ask_nth(69999), 70000u);
  }
  EXPECT_EQ(shoe->GetCenterlineSlotDepth(), depth);
  shoe->destroy();
  EXPECT_TRUE(OM::OM_is_deleted_tag(depthTag));
  springback->destroy();
  list->destroy();
  task->destroy();
}

// Whatever said "need not be logged" before a mark (a state set by hand, the
// object's logging under the mark before, its making under it) is cleared
// by the next mark: the first write after it is logged again.
TEST_F(UndoMarks, TheNextMarkClearsEveryNeedNotBeLoggedState) {
  auto* byHand = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  auto* logged = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  byHand->OmSetState(OM::Object::kStateNoLog);
  const int outer = UndoMark();
  logged->SetDistanceTolerance(0.5);
  auto* made = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  const int inner = UndoMark();
  Host::ClearCalls();
  for (auto* shoe : {byHand, logged, made}) {
    EXPECT_EQ(shoe->OmState(), 0);
    shoe->SetDistanceTolerance(0.25);
  }
  EXPECT_EQ(Host::CountCalls("OM__log"), 3u);
  EXPECT_EQ(UNDO_QD_undo_to_mark(inner, nullptr), 0);
  EXPECT_EQ(UNDO_QD_undo_to_mark(outer, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(outer, nullptr), 0);
  EXPECT_NE(logged->GetDistanceTolerance(), 0.5);
  byHand->destroy();
  logged->destroy();
}

}  // namespace

namespace {

TEST_F(UndoMarks, DeletingToAMarkKeepsTheWorkAndHandsItDown) {
  auto* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  shoe->SetDistanceTolerance(0.5);
  const int outer = UndoMark();
  const int middle = UndoMark();
  EXPECT_EQ(UNDO_QD_set_mark_importance(middle, 1), 0);
  shoe->SetDistanceTolerance(0.75);
  const int top = UndoMark();
  shoe->SetAngleTolerance(0.25);
  // Ends the middle mark and the one above it; the changes stay.
  EXPECT_EQ(UNDO_QD_delete_to_mark(middle, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_to_mark(middle, nullptr), Error::kBadObject);
  EXPECT_EQ(UNDO_QD_delete_mark(top, nullptr), Error::kBadObject);
  EXPECT_EQ(UNDO_QD_undo_to_mark(top, nullptr), Error::kBadObject);
  UNDO_QD_undo_to_mark_no_status(middle, nullptr);  // gone: nothing happens
  EXPECT_EQ(shoe->GetDistanceTolerance(), 0.75);
  EXPECT_EQ(shoe->GetAngleTolerance(), 0.25);
  // The outer mark took over what they recorded.
  UNDO_QD_undo_to_mark_no_status(outer, nullptr);
  EXPECT_EQ(UNDO_QD_delete_mark(outer, nullptr), 0);
  EXPECT_EQ(shoe->GetDistanceTolerance(), 0.5);
  EXPECT_NE(shoe->GetAngleTolerance(), 0.25);
  shoe->destroy();
}

// Two marks, each with its own changes to a field and to an array: undone
// to the inner, then twice to the outer (changed again in between), each
// undo gives back exactly what was there at its mark.
TEST_F(UndoMarks, NestedMarksAndTwoUndosToOneMarkGiveBackEachMarksState) {
  auto* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  SELECT_OBJECT_list* list = SELECT_OBJECT_listFactory::Create(part(), false);
  shoe->SetDistanceTolerance(0.5);
  shoe->SetSolvaneMainDeck(0, 71);
  list->append(11);
  const int outer = UndoMark();
  shoe->SetDistanceTolerance(0.75);
  shoe->SetSolvaneMainDeck(1, 72);
  list->append(12);
  const int inner = UndoMark();
  shoe->SetDistanceTolerance(0.875);
  shoe->SetSolvaneMainDeck(0, 81);
  shoe->SetSolvaneMainDeck(2, 83);
  list->append(13);

  struct Step {
    const char* what;
    int mark;
    bool changeAgain;
    double tolerance;
    std::vector<int> decks;
    std::vector<tag_t> listed;
  };
  const Step steps[] = {
      {"to the inner mark", inner, false, 0.75, {71, 72}, {11, 12}},
      {"to the outer mark", outer, true, 0.5, {71}, {11}},
      {"to the outer mark again", outer, false, 0.5, {71}, {11}},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    EXPECT_EQ(UNDO_QD_undo_to_mark(step.mark, nullptr), 0);
    EXPECT_EQ(shoe->GetDistanceTolerance(), step.tolerance);
    std::vector<int> decks;
    for (int i = 0; i < shoe->GetNumberSolvaneMainDecks(); ++i) decks.push_back(shoe->GetSolvaneMainDeck(i));
    EXPECT_EQ(decks, step.decks);
    std::vector<tag_t> listed;
    for (int i = 0; i < list->ask_count(); ++i) listed.push_back(list->ask_nth(i));
    EXPECT_EQ(listed, step.listed);
    if (step.changeAgain) {
      shoe->SetDistanceTolerance(0.25);
      shoe->SetSolvaneMainDeck(0, 91);
      shoe->SetSolvaneMainDeck(1, 92);
      const tag_t other[3] = {21, 22, 23};
      list->set_tags(3, other);
    }
  }
  // Undoing to the outer mark ended the inner one; the outer stays until deleted.
  EXPECT_EQ(UNDO_QD_undo_to_mark(inner, nullptr), Error::kBadObject);
  EXPECT_EQ(UNDO_QD_delete_mark(outer, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(outer, nullptr), Error::kBadObject);
  list->destroy();
  shoe->destroy();
}

// Objects made and deleted under marks that are ended into an outer one: an
// undo to the outer mark takes the made ones away and brings the deleted one
// back with what it held, and a second undo to it does so again.
TEST_F(UndoMarks, MadeAndDeletedObjectsFollowTheirMarksIntoTheOuterOne) {
  SELECT_OBJECT_list* kept = SELECT_OBJECT_listFactory::Create(part(), false);
  kept->append(31);
  kept->append(32);
  const tag_t keptTag = kept->OmTag();
  const int outer = UndoMark();
  const int middle = UndoMark();
  UndoMark();
  SELECT_OBJECT_list* made = SELECT_OBJECT_listFactory::Create(part(), false);
  const tag_t madeTag = made->OmTag();
  kept->destroy();
  EXPECT_EQ(OM::OM_object_of_tag(keptTag), nullptr);
  EXPECT_EQ(UNDO_QD_delete_to_mark(middle, nullptr), 0);

  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(UNDO_QD_undo_to_mark(outer, nullptr), 0);
    EXPECT_EQ(OM::OM_object_of_tag(madeTag), nullptr);
    auto* back = dynamic_cast<SELECT_OBJECT_list*>(OM::OM_object_of_tag(keptTag));
    EXPECT_NE(back, nullptr);
    if (back == nullptr) break;
    EXPECT_EQ(back->ask_count(), 2);
    if (back->ask_count() == 2) {
      EXPECT_EQ(back->ask_nth(1), 32u);
    }
    // Made and deleted again under the same mark.
    made = SELECT_OBJECT_listFactory::Create(part(), false);
    back->destroy();
  }
  EXPECT_EQ(UNDO_QD_undo_to_mark(outer, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(outer, nullptr), 0);
  if (auto* back = dynamic_cast<SELECT_OBJECT_list*>(OM::OM_object_of_tag(keptTag))) back->destroy();
}

// A builder and its sub-object (the cast relief's plane) written under marks
// set, ended (the top one, or the one below it) and written again in turn:
// the undo to the outermost mark gives back what both held before it,
// whichever marks logged them and however their logs were handed down.
TEST_F(UndoMarks, WritesUnderMarksSetAndEndedInTurnAllComeBackAtTheOutermost) {
  // 'm' sets a mark, 'x' deletes the top one, 'y' the one below the top, 'u'
  // undoes to the top one; 'b' writes the builder, 's' its sub-object, each
  // time a new value.
  const struct {
    const char* name;
    const char* steps;
  } rows[] = {
      {"the builder written twice under one mark", "mbb"},
      {"the sub-object written twice under one mark", "mss"},
      {"logged under the outer and the inner mark, the inner deleted", "mbmbx"},
      {"logged under the inner mark, deleted, then written under the outer", "mmbxb"},
      {"logged under the outer and the top of three, both above deleted", "mbmmbxx"},
      {"logged under all three, the middle one deleted", "mbmbmby"},
      {"logged under the middle and the top, the middle deleted first", "mmbmbyx"},
      {"both in turn under three marks, the middle then the top deleted", "mbsmsbmsyxbs"},
      {"written again after an undo to its mark", "mbub"},
      {"logged, undone to its mark, then logged under an inner mark deleted into it", "mbumbx"},
      // The log the deleted mark handed down stays the outer mark's while the
      // next mark writes its own.
      {"logged under an inner mark deleted, then another mark set and written", "mmbxmsx"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    DieDesJA::CastReliefBuilder* relief = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* plane = relief->GetBaseOrientation();
    ASSERT_NE(plane, nullptr);
    relief->SetDistanceTolerance(0.5);
    plane->SetApplScopePlane(5);
    std::vector<int> marks;
    int written = 0;
    for (const char* step = row.steps; *step != '\0'; ++step) {
      switch (*step) {
        case 'm': marks.push_back(UndoMark()); break;
        case 'x':
          EXPECT_EQ(UNDO_QD_delete_mark(marks.back(), nullptr), 0);
          marks.pop_back();
          break;
        case 'y':
          EXPECT_EQ(UNDO_QD_delete_mark(marks[marks.size() - 2], nullptr), 0);
          marks.erase(marks.end() - 2);
          break;
        case 'u': EXPECT_EQ(UNDO_QD_undo_to_mark(marks.back(), nullptr), 0); break;
        case 'b': relief->SetDistanceTolerance(1.0 + ++written); break;
        case 's': plane->SetApplScopePlane(10 + ++written); break;
      }
    }
    EXPECT_EQ(UNDO_QD_undo_to_mark(marks.front(), nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(marks.front(), nullptr), 0);
    EXPECT_EQ(relief->GetDistanceTolerance(), 0.5);
    EXPECT_EQ(plane->GetApplScopePlane(), 5);
    relief->destroy();
  }
}

// A part the session opens or makes under a mark goes with the mark: an undo
// leaves no name, work part or root part naming the freed part, and a part
// made before the mark stays. The next open of the name makes a new part.
TEST_F(UndoMarks, APartMadeUnderAnUndoneMarkIsNoLongerFoundOrWorkedIn) {
  const auto makeNew = [](const char* name) {
    PART_part* made = nullptr;
    EXPECT_EQ(TIREENV_new_tirebody_part(name, &made), 0);
    return made;
  };
  const auto openQuietly = [](const char* name) {
    PART_load_status_s status{};
    return BASE_open_part_quietly(name, &status);
  };
  const struct {
    const char* name;
    bool madeBeforeMark;
    bool workIn;  // the made part becomes the root and work part before the undo
    int parts;    // made under the mark, each of a name of its own
    bool quietly;
  } rows[] = {
      {"a new part", false, false, 1, false},
      {"a part opened quietly", false, false, 1, true},
      {"a new part worked in", false, true, 1, false},
      {"two new parts, the second worked in", false, true, 2, false},
      {"a part made before the mark stays", true, true, 1, false},
  };
  const char* const names[] = {"undone_body_a", "undone_body_b"};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    PART_part* entry = PART_ask_work_part();
    const int objects = OM::OM_live_objects();
    std::vector<PART_part*> made;
    if (row.madeBeforeMark) made.push_back(makeNew(names[0]));
    const int mark = UndoMark();
    for (int i = 0; i < row.parts && !row.madeBeforeMark; ++i)
      made.push_back(row.quietly ? openQuietly(names[i]) : makeNew(names[i]));
    bool allMade = true;
    for (PART_part* p : made) allMade = allMade && p != nullptr;
    EXPECT_TRUE(allMade);
    if (!allMade) continue;
    if (row.workIn) {
      CONTEXT_set_root_part(made.back());
      CONTEXT_set_work_part(made.back());
    }
    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    if (row.madeBeforeMark) {
      EXPECT_EQ(PART_ask_part_of_filename(names[0]), made[0]);
      EXPECT_EQ(CONTEXT_ask_work_part(), made[0]);
      made[0]->destroy();
    } else {
      for (int i = 0; i < row.parts; ++i) EXPECT_EQ(PART_ask_part_of_filename(names[i]), nullptr) << names[i];
      EXPECT_EQ(CONTEXT_ask_work_part(), row.workIn ? nullptr : entry);
      EXPECT_EQ(CONTEXT_ask_root_part(), CONTEXT_ask_work_part());
    }
    EXPECT_EQ(OM::OM_live_objects(), objects);
    CONTEXT_set_root_part(nullptr);
    CONTEXT_set_work_part(entry);
    // Opened again, the name gives a live part of its own.
    PART_part* again = openQuietly(names[0]);
    EXPECT_NE(again, nullptr);
    if (again == nullptr) continue;
    EXPECT_EQ(PART_ask_part_of_filename(names[0]), again);
    EXPECT_EQ(OM::OM_live_objects(), objects + 2);
    again->destroy();
    EXPECT_EQ(PART_ask_part_of_filename(names[0]), nullptr);
  }
}

}  // namespace
