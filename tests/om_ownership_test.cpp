// What an object owns, as a destroy and an undo find it: every sub-object a
// builder made goes with it and comes back with it, whether the builder owns
// a few or more than its record holds in place, under nested marks, and
// without touching another builder's; and the part that keeps an object.
#include <cstddef>
#include <map>
#include <set>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "TestSupport.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "om/HostClass.hpp"
#include "sel/Selection.hpp"

using namespace KTX;
using stamvik_test::HostTest;
using stamvik_test::UndoMark;

namespace {

// A builder that owns up to three selections by three fields, the middle
// one's place between the other two.
class Holder : public JAX_BUILDER {
  KTX_HOST_OBJECT(Holder, "omown_test::Holder")
 public:
  static OM::AttributeId m_firstAttId, m_middleAttId, m_lastAttId;
  OM::Object* m_first;
  OM::Object* m_middle;
  OM::Object* m_last;

 protected:
  Holder(int classId, void* context) : JAX_BUILDER(classId, context) {}
};
int Holder::ThisClassId = 0;
OM::AttributeId Holder::m_firstAttId, Holder::m_middleAttId, Holder::m_lastAttId;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const char* const kSelectClass = SELECT_OBJECT::OmClassName;
OM::ClassAttributeStruct HolderRow(OM::AttributeId* id, const char* name, std::uint32_t index, std::size_t place) {
  return {&Holder::ThisClassId, id, name, nullptr, nullptr, &kSelectClass, nullptr, nullptr, {}, -1, -1,
          0x80000000u + index, 0, static_cast<std::uint32_t>(place), 0x804001, 0, OM::TypeCode::kReference, 0x10000};
}
const OM::ClassAttributeStruct kHolderRows[3] = {
    HolderRow(&Holder::m_firstAttId, "m_first", 0, offsetof(Holder, m_first)),
    HolderRow(&Holder::m_middleAttId, "m_middle", 1, offsetof(Holder, m_middle)),
    HolderRow(&Holder::m_lastAttId, "m_last", 2, offsetof(Holder, m_last))};
#pragma GCC diagnostic pop

struct HolderClass {
  HolderClass() {
    new OM::ClassRegistrant(Holder::OmClassName, 0, nullptr, &Holder::ThisClassId, 0x80000003u, 0x1000, 3,
                            kHolderRows, JAX_BUILDER::OmClassName, Holder::OmClassName, 0, nullptr, 0,
                            &Host::HostClass<Holder>::Create, &Host::HostClass<Holder>::Size, nullptr, nullptr);
  }
} holderClass;

class Ownership : public HostTest {
 protected:
  // Every live object made after the builder whose owners lead to it, with
  // its owner: what the builder's factory made it.
  static std::map<tag_t, tag_t> OwnedUnder(const OM::TaggedObject* builder) {
    std::map<tag_t, tag_t> owned;
    const tag_t from = builder->ask_tag();
    for (tag_t t = from + 1; t < from + 400; ++t) {
      OM::Object* object = OM::OM_object_of_tag(t);
      if (object == nullptr) continue;
      for (OM::Object* o = OM::OM_ask_owner(object); o != nullptr; o = OM::OM_ask_owner(o))
        if (o == builder) {
          owned[t] = OM::OM_ask_object_tag(OM::OM_ask_owner(object));
          break;
        }
    }
    return owned;
  }

  static int DirectlyOwned(const std::map<tag_t, tag_t>& owned, tag_t owner) {
    int n = 0;
    for (const auto& [t, by] : owned) n += by == owner ? 1 : 0;
    return n;
  }

  // The owned objects that are gone.
  static std::set<tag_t> Gone(const std::map<tag_t, tag_t>& owned) {
    std::set<tag_t> gone;
    for (const auto& [t, by] : owned)
      if (OM::OM_is_deleted_tag(t)) gone.insert(t);
    return gone;
  }

  // Every owned object alive, each under the owner it had.
  static void ExpectBack(const std::map<tag_t, tag_t>& owned) {
    for (const auto& [t, by] : owned) {
      SCOPED_TRACE("tag " + std::to_string(t));
      EXPECT_FALSE(OM::OM_is_deleted_tag(t));
      EXPECT_EQ(OM::OM_ask_object_tag(OM::OM_ask_owner(OM::OM_object_of_tag(t))), by);
    }
  }

 public:
  OM::TaggedObject* Relief() { return DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr); }
  OM::TaggedObject* Shoe() { return DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr); }
};

// A builder that owns a few sub-objects and one that owns more than its
// record keeps in place (16 or more): a destroy under a mark takes them all,
// the undo brings each back under its owner, and a destroy after the mark is
// gone frees them for good.
TEST_F(Ownership, DestroyUnderAMarkThenUndoBringsBackEveryOwnedObject) {
  struct Case {
    const char* builder;
    OM::TaggedObject* (Ownership::*make)();
    int directlyOwned;
    int gone;  // of everything under it
  };
  const Case cases[] = {
      {"cast relief", &Ownership::Relief, 8, 8},
      {"die shoe", &Ownership::Shoe, 17, 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.builder);
    OM::TaggedObject* builder = (this->*c.make)();
    const tag_t tag = builder->ask_tag();
    const std::map<tag_t, tag_t> owned = OwnedUnder(builder);
    EXPECT_EQ(DirectlyOwned(owned, tag), c.directlyOwned);

    const int mark = UndoMark();
    builder->destroy();
    EXPECT_TRUE(OM::OM_is_deleted_tag(tag));
    // The part takes what is not the builder's to destroy (selections it
    // holds, what a feature may hold): the rest goes with it.
    const std::set<tag_t> gone = Gone(owned);
    EXPECT_EQ(static_cast<int>(gone.size()), c.gone);
    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
    EXPECT_FALSE(OM::OM_is_deleted_tag(tag));
    ExpectBack(owned);
    EXPECT_EQ(OwnedUnder(builder), owned);
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

    // Without a mark the same objects go, for good.
    builder->destroy();
    EXPECT_EQ(Gone(owned), gone);
  }
}

// Two builders destroyed under two marks: each undo brings back only what
// was destroyed under its own mark; deleting the inner mark hands its work
// to the outer one, whose undo then brings back both.
TEST_F(Ownership, NestedMarksBringBackEachBuildersObjectsAtTheirOwnMark) {
  for (const bool deleteInner : {false, true}) {
    SCOPED_TRACE(deleteInner ? "inner mark deleted" : "undone mark by mark");
    OM::TaggedObject* first = Relief();
    OM::TaggedObject* second = Shoe();
    const std::map<tag_t, tag_t> firstOwned = OwnedUnder(first), secondOwned = OwnedUnder(second);
    const int outer = UndoMark();
    first->destroy();
    const std::set<tag_t> firstGone = Gone(firstOwned);
    EXPECT_FALSE(firstGone.empty());
    EXPECT_TRUE(Gone(secondOwned).empty());
    const int inner = UndoMark();
    second->destroy();
    const std::set<tag_t> secondGone = Gone(secondOwned);
    EXPECT_FALSE(secondGone.empty());
    EXPECT_EQ(Gone(firstOwned), firstGone);
    if (deleteInner) {
      EXPECT_EQ(UNDO_QD_delete_mark(inner, nullptr), 0);
    } else {
      EXPECT_EQ(UNDO_QD_undo_to_mark(inner, nullptr), 0);
      EXPECT_EQ(UNDO_QD_delete_mark(inner, nullptr), 0);
      EXPECT_EQ(Gone(firstOwned), firstGone);
      ExpectBack(secondOwned);
    }
    EXPECT_EQ(UNDO_QD_undo_to_mark(outer, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(outer, nullptr), 0);
    ExpectBack(firstOwned);
    ExpectBack(secondOwned);
    first->destroy();
    second->destroy();
    EXPECT_EQ(Gone(firstOwned), firstGone);
    EXPECT_EQ(Gone(secondOwned), secondGone);
  }
}

// Destroying one builder leaves the other's objects alive and its own.
TEST_F(Ownership, DestroyingOneBuilderLeavesAnothersObjects) {
  for (const bool underAMark : {false, true}) {
    SCOPED_TRACE(underAMark ? "under a mark" : "no mark");
    OM::TaggedObject* kept = Shoe();
    OM::TaggedObject* gone = Relief();
    const std::map<tag_t, tag_t> keptOwned = OwnedUnder(kept), goneOwned = OwnedUnder(gone);
    ASSERT_FALSE(keptOwned.empty());
    const int mark = underAMark ? UndoMark() : 0;
    gone->destroy();
    EXPECT_FALSE(Gone(goneOwned).empty());
    ExpectBack(keptOwned);
    EXPECT_EQ(OwnedUnder(kept), keptOwned);
    if (underAMark) {
      EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    }
    kept->destroy();
    EXPECT_FALSE(Gone(keptOwned).empty());
  }
}

// An owned field emptied, or given another object, under a mark (or under an
// inner one deleted into it): the undo gives the builder its sub-object back
// as owned, so that its destroy takes the sub-object again.
TEST_F(Ownership, AnOwnedFieldChangedUnderAMarkIsOwnedAgainAfterTheUndo) {
  const struct {
    const char* what;
    bool another;  // the emptied field then owns a new expression
    bool inner;    // changed under an inner mark, deleted before the undo
  } rows[] = {
      {"emptied", false, false},
      {"given another", true, false},
      {"emptied under an inner mark deleted into the outer", false, true},
  };
  const UNIT_unit* mm = UNIT_ask_default_unit_obj_for_measure(0);
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    auto* relief = static_cast<DieDesJA::CastReliefBuilder*>(Relief());
    EXP_expression* depth = relief->GetReliefDepth();
    ASSERT_NE(depth, nullptr);
    const tag_t depthTag = depth->ask_tag();
    const std::map<tag_t, tag_t> owned = OwnedUnder(relief);
    EXPECT_EQ(owned.count(depthTag), 1u);

    const int mark = UndoMark();
    const int inner = row.inner ? UndoMark() : 0;
    OM::OM_set_pointer(relief, DieDesJA::CastReliefBuilder::m_reliefDepthAttId, nullptr);
    if (row.another)
      OM::OM_set_pointer(relief, DieDesJA::CastReliefBuilder::m_reliefDepthAttId,
                         EXP_expression::Make(part(), "2", 2, mm));
    if (row.inner) {
      EXPECT_EQ(UNDO_QD_delete_mark(inner, nullptr), 0);
    }
    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

    EXPECT_EQ(relief->GetReliefDepth(), depth);
    EXPECT_EQ(OwnedUnder(relief), owned);
    relief->destroy();
    EXPECT_TRUE(OM::OM_is_deleted_tag(depthTag));
  }
}

// An owner that owns two selections (its first and last fields) is given a
// third, by the field between them, under a mark (or under an inner mark
// deleted into it). The undo takes the third away and gives the owner back
// exactly the places it owned by: its destroy then takes the two it held,
// both and each once, and nothing else.
TEST_F(Ownership, AnUndoneThirdSubObjectLeavesItsOwnerExactlyItsTwo) {
  for (const bool inner : {false, true}) {
    SCOPED_TRACE(inner ? "under an inner mark deleted into the outer" : "under the mark");
    const int objects = OM::OM_live_objects();
    auto* holder = Host::CreateHostObject<Holder>();
    SELECT_OBJECT* first = SELECT_OBJECTFactory::Create(part());
    SELECT_OBJECT* last = SELECT_OBJECTFactory::Create(part());
    OM::OM_set_pointer(holder, Holder::m_firstAttId, first);
    OM::OM_set_pointer(holder, Holder::m_lastAttId, last);
    const tag_t firstTag = first->ask_tag(), lastTag = last->ask_tag();

    const int mark = UndoMark();
    const int innerMark = inner ? UndoMark() : 0;
    SELECT_OBJECT* middle = SELECT_OBJECTFactory::Create(part());
    const tag_t middleTag = middle->ask_tag();
    OM::OM_set_pointer(holder, Holder::m_middleAttId, middle);
    EXPECT_EQ(OM::OM_ask_owner(middle), holder);
    if (inner) {
      EXPECT_EQ(UNDO_QD_delete_mark(innerMark, nullptr), 0);
    }
    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    EXPECT_EQ(OM::OM_object_of_tag(middleTag), nullptr);
    EXPECT_EQ(holder->m_middle, nullptr);
    EXPECT_EQ(OM::OM_ask_owner(first), holder);
    EXPECT_EQ(OM::OM_ask_owner(last), holder);

    holder->destroy();
    EXPECT_TRUE(OM::OM_is_deleted_tag(firstTag));
    EXPECT_TRUE(OM::OM_is_deleted_tag(lastTag));
    EXPECT_EQ(OM::OM_live_objects(), objects);
  }
}

// An object logged under a mark whose owner then changes (another builder
// takes it by a field) has its former owner again after the undo: the
// builder that took it no longer holds it, and the destroy of the former
// owner takes it, while that of the other leaves it.
TEST_F(Ownership, AnUndoGivesAnObjectBackItsFormerOwner) {
  auto* former = Host::CreateHostObject<Holder>();
  auto* other = Host::CreateHostObject<Holder>();
  SELECT_OBJECT* held = SELECT_OBJECTFactory::Create(part());
  OM::OM_set_pointer(former, Holder::m_firstAttId, held);
  const tag_t heldTag = held->ask_tag();

  const int mark = UndoMark();
  OM::OM__log(held);
  OM::OM_set_pointer(other, Holder::m_lastAttId, held);
  EXPECT_EQ(OM::OM_ask_owner(held), other);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  EXPECT_EQ(OM::OM_ask_owner(held), former);
  EXPECT_EQ(other->m_last, nullptr);
  other->destroy();
  EXPECT_FALSE(OM::OM_is_deleted_tag(heldTag));
  former->destroy();
  EXPECT_TRUE(OM::OM_is_deleted_tag(heldTag));
}

// The part of a kept object: the part that keeps it, the earlier made of
// two that keep it, and the other once that one is gone.
TEST_F(Ownership, ThePartOfAnObjectIsThePartThatKeepsIt) {
  PART_part* first = PART_part::Create(0);
  PART_part* other = PART_part::Create(0);
  const UNIT_unit* mm = UNIT_ask_default_unit_obj_for_measure(0);
  const tag_t inFirst = EXP_expression::Make(first, "1", 1, mm)->ask_tag();
  const tag_t inOther = EXP_expression::Make(other, "2", 2, mm)->ask_tag();
  EXP_expression* both = EXP_expression::Make(other, "3", 3, mm);
  Host::KeepInPart(first, both);  // kept by the later part first
  const tag_t inBoth = both->ask_tag();
  struct Case {
    const char* what;
    tag_t object;
    const PART_part* want;
  };
  const Case whileBoth[] = {
      {"kept by the first part", inFirst, first},
      {"kept by the other part", inOther, other},
      {"kept by both", inBoth, first},
      {"a part keeps itself", other->ask_tag(), other},
      {"no object", 0, nullptr},
  };
  for (const Case& c : whileBoth) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PART_ask_part_of_object(c.object), c.want);
  }
  // The first part goes, and with it what it keeps.
  first->destroy();
  const Case afterwards[] = {
      {"kept by the gone part only", inFirst, nullptr},
      {"kept by both", inBoth, other},
      {"kept by the other part", inOther, other},
  };
  for (const Case& c : afterwards) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(PART_ask_part_of_object(c.object), c.want);
  }
  other->destroy();
  EXPECT_EQ(PART_ask_part_of_object(inOther), nullptr);
}

// An expression a feature's entity holds is kept alive; the hold an undo
// brings back keeps it again, and one given up does not; an expression freed
// for good leaves no holder noted.
TEST_F(Ownership, AHoldThatAnUndoBringsBackKeepsItsExpressionAgain) {
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(2);
  DIEDES_GENERIC_ENTITY* entity = parms->GetEntity(1);
  const UNIT_unit* mm = UNIT_ask_default_unit_obj_for_measure(0);
  EXP_expression* first = nullptr;
  EXP_expression* second = nullptr;
  ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("1", mm, &first), 0);
  ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("2", mm, &second), 0);
  DIEDES_ENTITY_CONTEXT context{0, nullptr, {nullptr, nullptr}};
  ASSERT_EQ(entity->SetExpressions(&context, 1, &first), 0);
  ASSERT_EQ(entity->SetExpressions(&context, 1, &first), 0);  // noted once
  struct Case {
    const char* when;
    bool firstKept, secondKept;
  };
  auto expect = [&](const Case& c) {
    SCOPED_TRACE(c.when);
    EXPECT_EQ(OM::OM_is_kept_alive(first), c.firstKept);
    EXPECT_EQ(OM::OM_is_kept_alive(second), c.secondKept);
  };
  expect({"held first", true, false});
  ASSERT_NE(OM::OM_ask_holders(first->ask_tag()), nullptr);
  EXPECT_EQ(*OM::OM_ask_holders(first->ask_tag()), std::vector<tag_t>{entity->ask_tag()});
  const int mark = UndoMark();
  ASSERT_EQ(entity->SetExpressions(&context, 1, &second), 0);
  expect({"the second instead, under a mark", false, true});
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
  expect({"the first again, undone", true, false});
  // Freed for good: nothing is noted of it any more.
  const tag_t secondTag = second->ask_tag();
  second->destroy();
  EXPECT_EQ(OM::OM_ask_holders(secondTag), nullptr);
  // Tag 0 holds nothing and is held by nothing.
  OM::OM_note_holder(0, entity->ask_tag());
  OM::OM_note_holder(first->ask_tag(), 0);
  EXPECT_EQ(OM::OM_ask_holders(0), nullptr);
  EXPECT_EQ(OM::OM_ask_holders(first->ask_tag())->size(), 1u);
}

}  // namespace
