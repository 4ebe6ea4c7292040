// The model update's logs: each object logged once, in the order first
// logged, whether it comes as an object or by its tag, and a log taken by the
// update starts again empty.
#include <vector>

#include "TestSupport.hpp"
#include "exp/Expression.hpp"
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

}  // namespace
