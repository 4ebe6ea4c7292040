// The stand-in's session-modelling preferences and layer manager, as a
// plug-in fetches them by name.
#include <string>
#include <vector>

#include "TestSupport.hpp"
#include "geom/Curve.hpp"
#include "pref/SessionInterfaces.hpp"

namespace {

using namespace KTX;

class SessionInterfaces : public stamvik_test::SessionHostTest {
 protected:
  static JAM::SessionModeling_Interface* Modeling() {
    return static_cast<JAM::SessionModeling_Interface*>(
        JAM::ClassInitializer::GetUnjournalledInterface("Preferences.SessionModeling"));
  }
  static JAM::LayerManager_Interface* Layers() {
    return static_cast<JAM::LayerManager_Interface*>(
        JAM::ClassInitializer::GetUnjournalledInterface("Layer.LayerManager"));
  }
  static std::vector<bool> All() {
    JAM::SessionModeling_Interface* m = Modeling();
    bool v[6] = {};
    m->GetLogical79(&v[0]);
    m->GetLogical81(&v[1]);
    m->GetLogical83(&v[2]);
    m->GetLogical85(&v[3]);
    m->GetLogical87(&v[4]);
    m->GetLogical89(&v[5]);
    return {v[0], v[1], v[2], v[3], v[4], v[5]};
  }
};

TEST_F(SessionInterfaces, EachSetterWritesOnlyTheSettingItsGetterReads) {
  struct Row {
    int (JAM::SessionModeling_Interface::*set)(bool);
    std::vector<bool> expected;
  };
  const Row rows[] = {
      {&JAM::SessionModeling_Interface::SetLogical80, {false, true, true, true, true, true}},
      {&JAM::SessionModeling_Interface::SetLogical82, {true, false, true, true, true, true}},
      {&JAM::SessionModeling_Interface::SetLogical86, {true, true, true, false, true, true}},
      {&JAM::SessionModeling_Interface::SetLogical90, {true, true, true, true, true, false}},
  };
  ASSERT_NE(Modeling(), nullptr);
  for (const Row& row : rows) {
    Host::ResetSessionInterfaces();
    EXPECT_EQ((Modeling()->*row.set)(false), 0);
    EXPECT_EQ(All(), row.expected);
    EXPECT_EQ((Modeling()->*row.set)(true), 0);
    EXPECT_EQ(All(), std::vector<bool>(6, true));
  }
  EXPECT_EQ(Modeling()->Operation78(), JAM::kNotProvided);
}

TEST_F(SessionInterfaces, WorkLayerIsKeptPerPartAndBadInputChangesNothing) {
  const tag_t work = part()->OmTag();
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  const tag_t line = ES_create_line_in_part(nullptr, a, b);
  struct Row {
    tag_t part;
    int layer;
    int status;
    int after;  // the work layer asked afterwards
  };
  const Row rows[] = {
      {work, 251, 0, 251}, {0, 256, 0, 256},   {work, 1, 0, 1},
      {work, 0, JAM::kBadLayer, 7}, {work, 257, JAM::kBadLayer, 7}, {line, 12, Error::kBadObject, 7},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.part) + " " + std::to_string(row.layer));
    EXPECT_EQ(Layers()->SetWorkLayer(work, 7), 0);
    EXPECT_EQ(Layers()->SetWorkLayer(row.part, row.layer), row.status) << row.part << " " << row.layer;
    int layer = 0;
    EXPECT_EQ(Layers()->AskWorkLayer(0, &layer), 0);
    EXPECT_EQ(layer, row.after) << row.part << " " << row.layer;
  }
  int layer = 0;
  EXPECT_EQ(Layers()->AskWorkLayer(line, &layer), Error::kBadObject);
}

TEST_F(SessionInterfaces, MovingObjectsToALayerIsAllOrNothing) {
  const double a[3] = {0, 0, 0}, b[3] = {1, 0, 0};
  const tag_t first = ES_create_line_in_part(nullptr, a, b);
  const tag_t second = ES_create_line_in_part(nullptr, a, b);
  const tag_t two[2] = {first, second};
  const tag_t withZero[2] = {0, second};
  const tag_t withDead[2] = {first, second + 100000};
  EXPECT_EQ(Layers()->MoveToLayer(0, 251, 2, withDead), Error::kBadObject);
  EXPECT_EQ(Host::ObjectLayer(first), 0);
  EXPECT_EQ(Layers()->MoveToLayer(0, 300, 2, two), JAM::kBadLayer);
  EXPECT_EQ(Host::ObjectLayer(first), 0);
  EXPECT_EQ(Layers()->MoveToLayer(0, 251, 2, two), 0);
  EXPECT_EQ(Layers()->MoveToLayer(0, 5, 2, withZero), 0);
  EXPECT_EQ(Host::ObjectLayer(first), 251);
  EXPECT_EQ(Host::ObjectLayer(second), 5);
  EXPECT_EQ(Host::CountCalls("LayerManagerMoveToLayer"), 4u);
}

}  // namespace
