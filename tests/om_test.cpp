// The object manager as the builders rely on it: creation from the class
// table, logging before plain writes, arrays, references and undo.
#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "TestSupport.hpp"
#include "sel/Selection.hpp"
#include "sys/AddressTable.hpp"
#include "sys/Memory.hpp"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <set>
#include <stdexcept>
#include <vector>

using namespace KTX;
using stamvik_test::HostTest;

namespace {

class ObjectManager : public HostTest {};

TEST_F(ObjectManager, HostAloneStartsObjectWithTableInitialValues) {
  auto* plane = static_cast<DieDes::DiePlaneBuilder*>(
      OM::ObjectFactory::CreateObject(DieDes::DiePlaneBuilderClassId, OM::OM_memory_type_persistent, nullptr));
  EXPECT_TRUE(plane->GetApplIsOverallRequired());
  EXPECT_EQ(plane->GetInputType(), 0);
  EXPECT_EQ(plane->GetSpecifyPlane(), 0u);
  EXPECT_NE(plane->ask_tag(), 0u);
  plane->destroy();
}

TEST_F(ObjectManager, CreateCallbackWithNullMemoryReturnsNull) {
  EXPECT_EQ(DieDes::DiePlaneBuilder::CreateDiePlaneBuilderCallback(nullptr, 1, nullptr), nullptr);
  EXPECT_EQ(DieDesJA::CastReliefBuilder::CreateCastReliefBuilderCallback(nullptr, 1, nullptr), nullptr);
}

TEST_F(ObjectManager, PlainWriteIsLoggedOnceUnlessStateSaysNoLog) {
  auto* relief = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
  Host::ClearCalls();
  relief->SetCreateSupportCasting(true);
  EXPECT_EQ(Host::CallNames({"OM__log"}).size(), 1u);
  EXPECT_TRUE(relief->GetCreateSupportCasting());

  Host::ClearCalls();
  relief->OmSetState(OM::Object::kStateNoLog);
  relief->SetDistanceTolerance(0.25);
  EXPECT_EQ(Host::CountCalls("OM__log"), 0u);
  EXPECT_EQ(relief->GetDistanceTolerance(), 0.25);
  relief->destroy();
}

// A pool's blocks, for sizes at its limits and a builder's: taken in a row
// they lie in a row (each a whole number of lines from a line on, once it
// is a line or more), zeroed also when a block given back is taken again,
// counted as SM_ blocks of their size, failed by both failure switches; a
// size of 0 or past the largest is refused.
TEST(BlockPool, TakesInARowCountsFailsAndRefusesSizesOutside) {
  for (const std::size_t size : {std::size_t{1}, std::size_t{64}, std::size_t{184}, Memory::BlockPool::kLargest}) {
    SCOPED_TRACE(size);
    Memory::BlockPool pool(size);
    const Memory::Counters before = Memory::LiveCounters();
    unsigned char* blocks[3];
    for (unsigned char*& b : blocks) {
      b = static_cast<unsigned char*>(pool.Take());
      ASSERT_NE(b, nullptr);
      std::memset(b, 0xA5, size);
    }
    Memory::Counters now = Memory::LiveCounters();
    EXPECT_EQ(now.blocks - before.blocks, 3);
    EXPECT_EQ(now.bytes - before.bytes, static_cast<std::int64_t>(3 * size));
#if !defined(STAMVIK_ASAN)
    const std::ptrdiff_t stride = blocks[1] - blocks[0];
    EXPECT_EQ(blocks[2] - blocks[1], stride);
    EXPECT_GE(stride, static_cast<std::ptrdiff_t>(size));
    if (size >= 64) {
      EXPECT_EQ(stride % 64, 0);
      EXPECT_EQ(reinterpret_cast<std::uintptr_t>(blocks[0]) % 64, 0u);
    }
#endif
    pool.Give(blocks[1]);
    auto* again = static_cast<unsigned char*>(pool.Take());
    ASSERT_NE(again, nullptr);
#if !defined(STAMVIK_ASAN)
    EXPECT_EQ(again, blocks[1]);  // the hole is filled first
#endif
    EXPECT_EQ(std::count(again, again + size, 0), static_cast<std::ptrdiff_t>(size));
    blocks[1] = again;

    Memory::FailNextAllocations(1);
    EXPECT_EQ(pool.Take(), nullptr);
    Memory::FailNextAllocationOfSize(size + 1);
    void* other = pool.Take();
    EXPECT_NE(other, nullptr);
    Memory::FailNextAllocationOfSize(size);
    EXPECT_EQ(pool.Take(), nullptr);
    Memory::FailNextAllocationOfSize(0);
    now = Memory::LiveCounters();
    EXPECT_EQ(now.blocks - before.blocks, 4);
    pool.Give(other);
    for (unsigned char* b : blocks) pool.Give(b);
    pool.Give(nullptr);
    now = Memory::LiveCounters();
    EXPECT_EQ(now.blocks, before.blocks);
    EXPECT_EQ(now.bytes, before.bytes);
    EXPECT_EQ(now.badFrees, before.badFrees);
  }
  EXPECT_THROW(Memory::BlockPool(0), std::invalid_argument);
  EXPECT_THROW(Memory::BlockPool(Memory::BlockPool::kLargest + 1), std::invalid_argument);
}

TEST_F(ObjectManager, CheckedTagConversion) {
  auto* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  tag_t tag = plane->ask_tag();
  EXPECT_EQ(OM::TagToObject<DieDes::DiePlaneBuilder>(0), nullptr);
  EXPECT_EQ(OM::TagToObject<DieDes::DiePlaneBuilder>(tag), plane);
  EXPECT_EQ(RaisedCode([&] { OM::TagToObject<DieDesJA::CastReliefBuilder>(tag); }), Error::kBadObject);
  int level = OM::OM_ask_checking_level();
  OM::OM_set_checking_level(0);
  // Unchecked: the host hands the object over whatever its class.
  EXPECT_EQ(OM::OM_checked_object_of_tag(tag, DieDesJA::CastReliefBuilder::ThisClassId), plane);
  OM::OM_set_checking_level(level);
  plane->destroy();
  EXPECT_EQ(RaisedCode([&] { OM::TagToObject<DieDes::DiePlaneBuilder>(tag); }), Error::kDeletedTag);
}

TEST_F(ObjectManager, TagClassCheckRaisesAtTheCallersPlace) {
  auto* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  auto* gone = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  tag_t goneTag = gone->ask_tag();
  gone->destroy();
  struct Case {
    tag_t tag;
    int classId;
    int want;  // 0: passes
  };
  const Case cases[] = {
      {plane->ask_tag(), DieDes::DiePlaneBuilder::ThisClassId, 0},
      {plane->ask_tag(), OM::OM_ask_class_id(JAX_BUILDER::OmClassName), 0},  // a superclass
      {plane->ask_tag(), DieDesJA::CastReliefBuilder::ThisClassId, Error::kBadObject},
      {goneTag, DieDes::DiePlaneBuilder::ThisClassId, Error::kDeletedTag},
      {0, DieDes::DiePlaneBuilder::ThisClassId, Error::kBadObject},
      {goneTag + 1000, DieDes::DiePlaneBuilder::ThisClassId, Error::kBadObject},
  };
  for (const Case& c : cases) {
    int raised = 0;
    try {
      OM::OM_check_tag_class("caller", 111, c.tag, c.classId);
    } catch (const Error::Exception& e) {
      raised = e.askCode();
      EXPECT_EQ(e.file(), "caller");
      EXPECT_EQ(e.line(), 111);
    }
    EXPECT_EQ(raised, c.want) << c.tag;
  }
  EXPECT_EQ(Host::CountCalls("OM_check_tag_class"), std::size(cases));
  plane->destroy();
}

TEST_F(ObjectManager, AllowOptionPastTheEndRaisesAndChangesNothing) {
  auto* plane = DieDes::DiePlaneBuilderFactory::Create(part(), true, false, true, false, true);
  EXPECT_EQ(RaisedCode([&] { plane->SetAllowOptionsItem(4, true); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { plane->SetAllowOptionsItem(-1, true); }), Error::kIndexOutOfRange);
  EXPECT_TRUE(plane->GetAllowOptionsItem(0));
  EXPECT_FALSE(plane->GetAllowOptionsItem(1));
  EXPECT_TRUE(plane->GetAllowOptionsItem(2));
  EXPECT_FALSE(plane->GetAllowOptionsItem(3));
  plane->destroy();
}

TEST_F(ObjectManager, UndoToMarkRestoresPlainFieldsAndReals) {
  auto* plane = DieDes::DiePlaneBuilderFactory::Create(part(), false, false, true, false, true);
  const double origin[3] = {1, 2, 3};
  plane->SetCoordinateSystemOrigin(origin);
  int error = -1;
  int mark = UNDO_QD_set_mark(1, nullptr, &error);
  ASSERT_EQ(error, 0);
  const double moved[3] = {7, 8, 9};
  plane->SetCoordinateSystemOrigin(moved);
  plane->SetReverseSourceDirection(true);
  plane->SetSpecifyPlane(4242);
  plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_Plane);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  double now[3];
  plane->GetCoordinateSystemOrigin(now);
  EXPECT_EQ(now[0], 1);
  EXPECT_EQ(now[2], 3);
  EXPECT_FALSE(plane->GetReverseSourceDirection());
  EXPECT_EQ(plane->GetSpecifyPlane(), 0u);
  EXPECT_EQ(plane->GetInputType(), DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  plane->destroy();
}

TEST_F(ObjectManager, UndoRemovesObjectsMadeAfterTheMarkAndRevivesDeletedOnes) {
  auto* kept = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  tag_t keptTag = kept->ask_tag();
  int error = 0;
  int mark = UNDO_QD_set_mark(1, "test", &error);
  auto* fresh = DieDes::DiePlaneBuilderFactory::Create(part(), true, true, true, true, true);
  tag_t freshTag = fresh->ask_tag();
  kept->destroy();
  EXPECT_TRUE(OM::OM_is_deleted_tag(keptTag));
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  EXPECT_EQ(OM::OM_object_of_tag(freshTag), nullptr);
  EXPECT_EQ(OM::OM_object_of_tag(keptTag), kept);
  kept->destroy();
}

// The host's address tables against a plain set: addresses one slot apart
// share runs, so dropping one must move the run's others back into reach.
TEST(AddressTable, AgreesWithASetThroughInsertsDropsAndRegrowth) {
  struct Row {
    std::size_t count;  // addresses added
    std::size_t every;  // every n-th one dropped, then added again
    std::size_t step;   // bytes between addresses
  } rows[] = {{1, 1, 8}, {2, 2, 8}, {12, 3, 8}, {13, 2, 16}, {1000, 3, 8}, {1000, 7, 4096}, {1535, 2, 8}, {3071, 5, 24}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.count) + " every " + std::to_string(row.every));
    Host::AddressTable<std::size_t> table;
    std::set<std::uintptr_t> model;
    auto address = [&](std::size_t i) { return reinterpret_cast<const void*>(std::uintptr_t{0x10000} + i * row.step); };
    for (std::size_t i = 0; i < row.count; ++i) {
      EXPECT_TRUE(table.Insert(address(i), i));
      model.insert(reinterpret_cast<std::uintptr_t>(address(i)));
    }
    EXPECT_FALSE(table.Insert(address(0), 99)) << row.count;
    for (std::size_t i = 0; i < row.count; i += row.every) {
      std::size_t value = 0;
      EXPECT_TRUE(table.Erase(address(i), &value));
      EXPECT_EQ(value, i);
      EXPECT_FALSE(table.Erase(address(i))) << "dropped twice";
      model.erase(reinterpret_cast<std::uintptr_t>(address(i)));
    }
    for (std::size_t i = 0; i < row.count; ++i) {
      const std::size_t* found = table.Find(address(i));
      EXPECT_EQ(found != nullptr, model.count(reinterpret_cast<std::uintptr_t>(address(i))) != 0)
          << row.count << " " << row.every << " at " << i;
      if (found != nullptr) {
        EXPECT_EQ(*found, i);
      }
    }
    EXPECT_EQ(table.Size(), model.size());
    for (std::size_t i = 0; i < row.count; i += row.every) EXPECT_TRUE(table.Insert(address(i), i));
    EXPECT_EQ(table.Size(), row.count);
    EXPECT_EQ(table.Find(address(row.count)), nullptr) << "one past the last";
    table.Clear();
    EXPECT_EQ(table.Find(address(0)), nullptr);
    EXPECT_EQ(table.Size(), 0u);
  }
  Host::AddressTable<bool> none;
  EXPECT_FALSE(none.Insert(static_cast<const void*>(nullptr)));
  EXPECT_FALSE(none.Erase(nullptr));
  EXPECT_EQ(none.Find(nullptr), nullptr);
}

// The objects of one whole page of rows (256 tags from a multiple of 256
// above the first tag), so that the page holds the test's objects only.
std::vector<SELECT_OBJECT*> WholePage() {
  constexpr tag_t kFirst = 1000, kPage = 256;
  std::vector<SELECT_OBJECT*> before, page;
  while (page.size() < kPage) {
    auto* made = Host::CreateHostObject<SELECT_OBJECT>();
    if (page.empty() && (made->ask_tag() - kFirst) % kPage != 0)
      before.push_back(made);
    else
      page.push_back(made);
  }
  for (SELECT_OBJECT* o : before) o->destroy();
  return page;
}

// A page of rows goes once every object of it is freed for good, not before
// (one left, at either end of the page, or all deleted under a mark that can
// bring them back); every tag of it still answers as deleted, and the tag
// past the last one handed out as no object.
TEST_F(ObjectManager, APageOfRowsGoesOnceEveryObjectOfItIsFreedForGood) {
  struct Row {
    const char* name;
    int keep;   // the index left alive; -1: none
    bool mark;  // destroyed under a mark, then undone
  };
  const Row rows[] = {
      {"all freed", -1, false},
      {"the first left", 0, false},
      {"the last left", 255, false},
      {"all deleted under a mark", -1, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    std::vector<SELECT_OBJECT*> page = WholePage();
    std::vector<tag_t> tags;
    for (SELECT_OBJECT* o : page) tags.push_back(o->ask_tag());
    const std::size_t pages = OM::OM_row_pages();
    int error = 0;
    const int mark = row.mark ? UNDO_QD_set_mark(1, "page", &error) : 0;
    for (std::size_t i = 0; i < page.size(); ++i)
      if (static_cast<int>(i) != row.keep) page[i]->destroy();
    const bool gone = row.keep < 0 && !row.mark;
    EXPECT_EQ(OM::OM_row_pages(), gone ? pages - 1 : pages);
    for (std::size_t i = 0; i < tags.size(); ++i) {
      if (static_cast<int>(i) == row.keep) {
        EXPECT_EQ(OM::OM_object_of_tag(tags[i]), page[i]);
        EXPECT_FALSE(OM::OM_is_deleted_tag(tags[i]));
        EXPECT_FALSE(OM::OM_is_freed_tag(tags[i]));
        continue;
      }
      EXPECT_EQ(OM::OM_object_of_tag(tags[i]), nullptr) << i;
      EXPECT_TRUE(OM::OM_is_deleted_tag(tags[i])) << i;
      EXPECT_EQ(OM::OM_is_freed_tag(tags[i]), !row.mark) << i;
      EXPECT_EQ(RaisedCode([&] { OM::OM_checked_object_of_tag(tags[i], 0); }), Error::kDeletedTag) << i;
      EXPECT_EQ(RaisedCode([&] { OM::OM_check_tag_class(__FILE__, __LINE__, tags[i], SELECT_OBJECT::ThisClassId); }),
                Error::kDeletedTag)
          << i;
    }
    if (row.mark) {
      // Undone, every object is back under its own tag, with its row.
      ASSERT_EQ(UNDO_QD_undo_to_mark(mark, "page"), 0);
      ASSERT_EQ(UNDO_QD_delete_mark(mark, "page"), 0);
      for (std::size_t i = 0; i < tags.size(); ++i) {
        EXPECT_EQ(OM::OM_object_of_tag(tags[i]), page[i]) << i;
        EXPECT_FALSE(OM::OM_is_deleted_tag(tags[i])) << i;
        EXPECT_EQ(OM::TagToObject<SELECT_OBJECT>(tags[i]), page[i]) << i;
      }
      for (SELECT_OBJECT* o : page) o->destroy();
    } else if (row.keep >= 0) {
      page[static_cast<std::size_t>(row.keep)]->destroy();
    }
    EXPECT_EQ(OM::OM_row_pages(), pages - 1);
    EXPECT_TRUE(OM::OM_is_freed_tag(tags[static_cast<std::size_t>(row.keep < 0 ? 0 : row.keep)]));
  }
  auto* last = Host::CreateHostObject<SELECT_OBJECT>();
  const tag_t newest = last->ask_tag(), past = newest + 1;
  EXPECT_FALSE(OM::OM_is_deleted_tag(past));
  EXPECT_FALSE(OM::OM_is_freed_tag(past));
  EXPECT_EQ(RaisedCode([&] { OM::OM_checked_object_of_tag(past, 0); }), Error::kBadObject);
  EXPECT_FALSE(OM::OM_is_freed_tag(newest));
  last->destroy();
  EXPECT_TRUE(OM::OM_is_freed_tag(newest));
  EXPECT_EQ(RaisedCode([&] { OM::OM_checked_object_of_tag(newest, 0); }), Error::kDeletedTag);
  EXPECT_EQ(RaisedCode([&] { OM::OM_checked_object_of_tag(past, 0); }), Error::kBadObject);
}

}  // namespace
