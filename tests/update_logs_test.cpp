// The model update's logs: each object logged once, in the order first
// logged, whether it comes as an object or by its tag, and a log taken by the
// update starts again empty. The logs follow undo as the model does: what an
// undone change logged is no longer logged, what an undone update took is
// logged again.
#include <functional>
#include <vector>

#include "DieDes_DiePlaneBuilder.hpp"
#include "TestSupport.hpp"
#include "exp/Expression.hpp"
#include "script/ScriptClasses.hpp"
#include "geom/Geometry.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using stamvik_test::HostTest;

namespace {

class UpdateLogs : public HostTest {
 protected:
  void TearDown() override {
    Host::ClearUpdateLogs();
    HostTest::TearDown();
  }
};

TEST_F(UpdateLogs, EachObjectIsLoggedOnceInTheOrderFirstLogged) {
  const UNIT_unit* mm = UNIT_ask_default_unit_obj_for_measure(0);
  EXP_expression* e[3] = {EXP_expression::Make(part(), "1", 1, mm), EXP_expression::Make(part(), "2", 2, mm),
                          EXP_expression::Make(part(), "3", 3, mm)};
  const tag_t t[3] = {e[0]->ask_tag(), e[1]->ask_tag(), e[2]->ask_tag()};
  Host::ClearUpdateLogs();
  // For update: the second, the first, the second again by its tag, tag 0,
  // the first again.
  UPDATE_log_object_to_update(e[1]);
  UPDATE_log_object_to_update(e[0]);
  UPDATE_log_entity_to_update(t[1]);
  UPDATE_log_entity_to_update(0);
  UPDATE_log_object_to_update(e[0]);
  // For deletion: the third twice, then the first.
  UPDATE_log_entity_to_delete(t[2]);
  UPDATE_log_object_to_delete(e[2]);
  UPDATE_log_object_to_delete(e[0]);
  EXPECT_EQ(Host::LoggedForUpdate(), (std::vector<tag_t>{t[1], t[0]}));
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{t[2], t[0]}));
  struct Case {
    int object;
    bool logged;
  };
  for (const Case& c : {Case{0, true}, Case{1, true}, Case{2, false}}) {
    SCOPED_TRACE(c.object);
    EXPECT_EQ(UPDATE_is_object_logged(e[c.object]), c.logged);
  }
  EXPECT_FALSE(UPDATE_is_object_logged(nullptr));

  // The update takes both logs (and deletes the first and the third):
  // logged again, an object is new to them.
  UPDATE_do_update();
  EXPECT_TRUE(OM::OM_is_deleted_tag(t[0]));
  EXPECT_FALSE(OM::OM_is_deleted_tag(t[1]));
  EXPECT_TRUE(Host::LoggedForUpdate().empty());
  EXPECT_TRUE(Host::LoggedForDeletion().empty());
  EXPECT_FALSE(UPDATE_is_object_logged(e[1]));
  UPDATE_log_object_to_update(e[1]);
  EXPECT_EQ(Host::LoggedForUpdate(), std::vector<tag_t>{t[1]});
  EXPECT_TRUE(UPDATE_is_object_logged(e[1]));
}

// Each row works on two expressions, the first and the second (e[0], e[1]),
// and leaves no mark set; then what is logged is checked, the update run, and
// which of the two it deleted checked.
TEST_F(UpdateLogs, TheLogsFollowUndo) {
  struct Row {
    const char* what;
    std::function<void(EXP_expression* const* e)> run;
    std::vector<int> forDeletion;  // which of the two, in order
    std::vector<int> forUpdate;
    std::vector<bool> deletedByTheUpdate;
  };
  auto mark = [] { return stamvik_test::UndoMark(); };
  auto undo = [](int m) {
    EXPECT_EQ(UNDO_QD_undo_to_mark(m, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(m, nullptr), 0);
  };
  const Row rows[] = {
      {"logged for deletion under a mark that is undone",
       [&](EXP_expression* const* e) {
         const int m = mark();
         UPDATE_log_object_to_delete(e[0]);
         UPDATE_log_entity_to_delete(e[1]->ask_tag());
         undo(m);
       },
       {}, {}, {false, false}},
      {"logged for deletion under a mark that is undone, logged again after it",
       [&](EXP_expression* const* e) {
         const int m = mark();
         UPDATE_log_object_to_delete(e[0]);
         undo(m);
         UPDATE_log_object_to_delete(e[0]);
       },
       {0}, {}, {true, false}},
      {"logged for update under a mark that is undone, logged again after it",
       [&](EXP_expression* const* e) {
         const int m = mark();
         UPDATE_log_object_to_update(e[1]);
         undo(m);
         EXPECT_FALSE(UPDATE_is_object_logged(e[1]));
         UPDATE_log_entity_to_update(e[1]->ask_tag());
       },
       {}, {1}, {false, false}},
      {"logged for deletion before the mark, again under it",
       [&](EXP_expression* const* e) {
         UPDATE_log_object_to_delete(e[1]);
         const int m = mark();
         UPDATE_log_object_to_delete(e[1]);
         UPDATE_log_object_to_delete(e[0]);
         undo(m);
       },
       {1}, {}, {false, true}},
      {"logged for update under a mark that is undone, one before it",
       [&](EXP_expression* const* e) {
         UPDATE_log_object_to_update(e[1]);
         const int m = mark();
         UPDATE_log_object_to_update(e[0]);
         UPDATE_log_entity_to_update(e[1]->ask_tag());
         undo(m);
       },
       {}, {1}, {false, false}},
      {"an update under a mark that is undone: its logs and what it deleted come back",
       [&](EXP_expression* const* e) {
         UPDATE_log_object_to_delete(e[0]);
         UPDATE_log_object_to_update(e[1]);
         const int m = mark();
         UPDATE_do_update();
         EXPECT_EQ(OM::OM_object_of_tag(e[0]->ask_tag()), nullptr);
         UPDATE_log_object_to_delete(e[1]);
         undo(m);
       },
       {0}, {1}, {true, false}},
      {"logs cleared under a mark that is undone",
       [&](EXP_expression* const* e) {
         UPDATE_log_object_to_delete(e[1]);
         UPDATE_log_object_to_update(e[0]);
         const int m = mark();
         Host::ClearUpdateLogs();
         UPDATE_log_object_to_delete(e[0]);
         undo(m);
       },
       {1}, {0}, {false, true}},
      {"logged under a mark kept, the changes for good",
       [&](EXP_expression* const* e) {
         const int m = mark();
         UPDATE_log_object_to_delete(e[0]);
         EXPECT_EQ(UNDO_QD_delete_mark(m, nullptr), 0);
       },
       {0}, {}, {true, false}},
      {"logged under an inner mark deleted, the outer one undone",
       [&](EXP_expression* const* e) {
         const int outer = mark();
         UPDATE_log_object_to_delete(e[1]);
         const int inner = mark();
         UPDATE_log_object_to_delete(e[0]);
         EXPECT_EQ(UNDO_QD_delete_mark(inner, nullptr), 0);
         undo(outer);
       },
       {}, {}, {false, false}},
      {"two marks, the inner one undone",
       [&](EXP_expression* const* e) {
         const int outer = mark();
         UPDATE_log_object_to_delete(e[1]);
         const int inner = mark();
         UPDATE_log_object_to_delete(e[0]);
         undo(inner);
         EXPECT_EQ(UNDO_QD_delete_mark(outer, nullptr), 0);
       },
       {1}, {}, {false, true}},
  };
  const UNIT_unit* mm = UNIT_ask_default_unit_obj_for_measure(0);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    EXP_expression* e[2] = {EXP_expression::Make(part(), "1", 1, mm), EXP_expression::Make(part(), "2", 2, mm)};
    const tag_t t[2] = {e[0]->ask_tag(), e[1]->ask_tag()};
    Host::ClearUpdateLogs();
    row.run(e);
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), 0);
    auto tags = [&](const std::vector<int>& which) {
      std::vector<tag_t> out;
      for (int i : which) out.push_back(t[i]);
      return out;
    };
    EXPECT_EQ(Host::LoggedForDeletion(), tags(row.forDeletion));
    EXPECT_EQ(Host::LoggedForUpdate(), tags(row.forUpdate));
    UPDATE_do_update();
    for (int i = 0; i < 2; ++i) {
      OM::Object* object = OM::OM_object_of_tag(t[i]);
      EXPECT_EQ(object == nullptr, row.deletedByTheUpdate[static_cast<std::size_t>(i)]) << "expression " << i;
      if (object != nullptr) static_cast<EXP_expression*>(object)->destroy();
    }
  }
}

// A die plane builder's destroy logs its selection and plane for deletion;
// undone, the builder has them back, and the update after the undo must not
// take them from it: the builder's own destroy later would free them twice.
TEST_F(UpdateLogs, AnUndoneDestroyLeavesTheUpdateNothingOfTheBuilder) {
  const double origin[3] = {0, 0, 0};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  DieDes::DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  const tag_t builder = plane->ask_tag();
  const tag_t selection = plane->GetSelectPlane()->ask_tag();
  const tag_t entity = ES_create_plane(origin, identity);
  plane->SetSpecifyPlane(entity);
  Host::ClearUpdateLogs();

  const int mark = stamvik_test::UndoMark();
  plane->destroy();
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{selection, entity}));
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  EXPECT_TRUE(Host::LoggedForDeletion().empty());
  UPDATE_do_update();
  for (tag_t t : {builder, selection, entity}) EXPECT_NE(OM::OM_object_of_tag(t), nullptr) << t;

  plane = OM::TagToObject<DieDes::DiePlaneBuilder>(builder);
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(plane->GetSelectPlane(), OM::OM_object_of_tag(selection));
  EXPECT_EQ(plane->GetSpecifyPlane(), entity);
  plane->destroy();
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{selection, entity}));
  UPDATE_do_update();
  for (tag_t t : {builder, selection, entity}) EXPECT_EQ(OM::OM_object_of_tag(t), nullptr) << t;
}

// A script's Destroy deletes at once what the builder's destroy logged for
// deletion (the plane builder's selection), as the next update would, and
// takes it out of the log; what was logged before it stays logged and alive.
// An undo to a mark set before brings back the builder, its selection and
// the log as they were.
TEST_F(UpdateLogs, ABuildersDestroyDeletesWhatItLoggedForDeletionAndAnUndoPutsItBack) {
  const UNIT_unit* mm = UNIT_ask_default_unit_obj_for_measure(0);
  struct Row {
    const char* name;
    bool loggedBefore;  // an expression logged for deletion before the destroy
    bool mark;          // destroyed under a mark, then undone
  };
  const Row rows[] = {
      {"nothing logged before", false, false},
      {"one logged before", true, false},
      {"one logged before, undone", true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Host::ClearUpdateLogs();
    EXP_expression* earlier = EXP_expression::Make(part(), "1", 1, mm);
    const tag_t earlierTag = earlier->ask_tag();
    if (row.loggedBefore) UPDATE_log_object_to_delete(earlier);
    DieDes::DiePlaneBuilder* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, false);
    ASSERT_NE(plane->GetSelectPlane(), nullptr);
    const tag_t planeTag = plane->ask_tag(), selection = plane->GetSelectPlane()->ask_tag();
    const std::vector<tag_t> loggedBefore = Host::LoggedForDeletion();
    int error = 0;
    const int mark = row.mark ? UNDO_QD_set_mark(1, "destroy", &error) : 0;
    EXPECT_EQ(Script::Builder_Destroy(plane), 0);
    EXPECT_EQ(OM::OM_object_of_tag(selection), nullptr);
    EXPECT_EQ(Host::LoggedForDeletion(), loggedBefore);
    EXPECT_EQ(OM::OM_object_of_tag(earlierTag), earlier);
    if (row.mark) {
      ASSERT_EQ(UNDO_QD_undo_to_mark(mark, "destroy"), 0);
      ASSERT_EQ(UNDO_QD_delete_mark(mark, "destroy"), 0);
      EXPECT_EQ(OM::OM_object_of_tag(planeTag), plane);
      ASSERT_NE(OM::OM_object_of_tag(selection), nullptr);
      EXPECT_EQ(plane->GetSelectPlane(), OM::OM_object_of_tag(selection));
      EXPECT_EQ(Host::LoggedForDeletion(), loggedBefore);
      EXPECT_EQ(Script::Builder_Destroy(plane), 0);
      EXPECT_EQ(OM::OM_object_of_tag(selection), nullptr);
    }
    // The update deletes what stayed logged, and only that.
    UPDATE_do_update();
    EXPECT_EQ(OM::OM_object_of_tag(earlierTag) == nullptr, row.loggedBefore);
    if (!row.loggedBefore) earlier->destroy();
  }
}

// What was logged before a mark and deleted under it from the log is logged
// again, and alive, once the mark is undone; the length given is the first
// entry kept, and one past the log deletes nothing.
TEST_F(UpdateLogs, DeletingFromTheLogUnderAMarkIsUndone) {
  const UNIT_unit* mm = UNIT_ask_default_unit_obj_for_measure(0);
  Host::ClearUpdateLogs();
  EXP_expression* e[2] = {EXP_expression::Make(part(), "1", 1, mm), EXP_expression::Make(part(), "2", 2, mm)};
  const tag_t t[2] = {e[0]->ask_tag(), e[1]->ask_tag()};
  UPDATE_log_object_to_delete(e[0]);
  UPDATE_log_object_to_delete(e[1]);
  Host::DeleteLoggedSince(3);
  Host::DeleteLoggedSince(2);
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{t[0], t[1]}));
  int error = 0;
  const int mark = UNDO_QD_set_mark(1, "delete", &error);
  Host::DeleteLoggedSince(1);
  EXPECT_EQ(OM::OM_object_of_tag(t[1]), nullptr);
  EXPECT_EQ(OM::OM_object_of_tag(t[0]), e[0]);
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{t[0]}));
  ASSERT_EQ(UNDO_QD_undo_to_mark(mark, "delete"), 0);
  ASSERT_EQ(UNDO_QD_delete_mark(mark, "delete"), 0);
  EXPECT_EQ(OM::OM_object_of_tag(t[1]), e[1]);
  EXPECT_EQ(Host::LoggedForDeletion(), (std::vector<tag_t>{t[0], t[1]}));
  UPDATE_do_update();
  EXPECT_EQ(OM::OM_object_of_tag(t[0]), nullptr);
  EXPECT_EQ(OM::OM_object_of_tag(t[1]), nullptr);
}

}  // namespace
