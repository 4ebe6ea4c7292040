// The die-boolean sub-builder: its type's text in the host's language, its
// validation and the tool bodies it hands its die shoe.
#include <string>

#include "DieDes_DieBooleanBuilder.hpp"
#include "afl/DieEngParms.hpp"
#include "TestSupport.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "om/TagIntMap.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"

using namespace KTX;
using KTX::DieDes::DieBooleanBuilder;

namespace {

class DieBoolean : public stamvik_test::HostTest {
 protected:
  tag_t Body() {
    const double at[3] = {0, 0, 0};
    return ES_create_point(at);
  }
};

TEST_F(DieBoolean, TheTypeTextIsTheTranslationOfItsKey) {
  struct Row {
    int type;
    const char* want;
  };
  const Row rows[] = {{0, "Unite"}, {1, "Subtract"}, {2, "Intersect"}, {4, "Unite"}, {-1, "Unite"}};
  DieBooleanBuilder* b = DieDes::DieBooleanBuilderFactory::Create(part());
  for (const Row& row : rows) {
    b->SetBooleanOptions(static_cast<DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type>(row.type));
    char* text = b->GetBooleanTypeText();
    EXPECT_STREQ(text, row.want) << row.type;
    SM_free(text);
  }
  // The host's rule: the catalogue entry's digits go, the text stays.
  EXPECT_STREQ(nat110("##03Uniteless"), "Uniteless");
  EXPECT_STREQ(nat110("#09Sub"), "#09Sub");
  EXPECT_STREQ(nat110("Plain"), "Plain");
  EXPECT_STREQ(nat110(nullptr), "");
  b->destroy();
}

TEST_F(DieBoolean, ARequiredBooleanNeedsAToolBody) {
  DieBooleanBuilder* b = DieDes::DieBooleanBuilderFactory::Create(part());
  EXPECT_EQ(b->validate_nothrow(), 1);
  b->SetApplIsOverallRequired(false);
  EXPECT_EQ(b->validate_nothrow(), 0);
  b->SetApplIsOverallRequired(true);
  b->GetSelectBodies()->append(Body());
  EXPECT_EQ(b->validate_nothrow(), 0);
  b->destroy();
}

TEST_F(DieBoolean, SelectedBodiesAndTheirReferencesAreAppended) {
  DieBooleanBuilder* b = DieDes::DieBooleanBuilderFactory::Create(part());
  const tag_t first = Body(), second = Body();
  b->GetSelectBodies()->append(first);
  b->GetSelectBodies()->append(second);
  auto* gathered = static_cast<tag_t*>(SM_alloc(sizeof(tag_t)));
  gathered[0] = 7;
  int count = 1;
  EXPECT_EQ(b->GetSelectedBodies(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Subtract, &count, &gathered), 0);
  EXPECT_EQ(count, 1);
  EXPECT_EQ(b->GetSelectedBodies(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite, &count, &gathered), 0);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(gathered[0], 7u);
  EXPECT_EQ(gathered[1], first);
  EXPECT_EQ(gathered[2], second);
  // Their body references follow what the caller holds, in selection order.
  b->GetModifyingBrefs(nullptr, &count, &gathered);
  ASSERT_EQ(count, 5);
  EXPECT_EQ(gathered[2], second);
  EXPECT_EQ(BREF_ask_qdeid_of_bref(gathered[3]), first);
  EXPECT_EQ(BREF_ask_qdeid_of_bref(gathered[4]), second);

  // Out of memory on the way: the caller's array is freed and emptied, so
  // nothing leaks (the fixture counts the blocks).
  Memory::FailNextAllocations(1);
  EXPECT_EQ(b->GetSelectedBodies(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite, &count, &gathered),
            Error::kNoMemory);
  Memory::FailNextAllocations(0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(gathered, nullptr);

  int objects = 0;
  b->GetSelectedObjects(&objects, nullptr);
  EXPECT_EQ(objects, 2);
  b->destroy();
}

TEST_F(DieBoolean, TheMapFollowsTheToolsDieDesignBodies) {
  DieBooleanBuilder* b = DieDes::DieBooleanBuilderFactory::Create(part());
  const tag_t fresh = Body(), same = Body(), kept = Body(), none = Body(), unknown = Body();
  for (tag_t t : {fresh, same, kept, none, unknown}) b->GetSelectBodies()->append(t);
  const int old = Kernel::CreateBody(Kernel::BodyType::Solid);
  const int made = Kernel::CreateBody(Kernel::BodyType::Solid);
  const int held = Kernel::CreateBody(Kernel::BodyType::Solid);
  OM_tag_int_map* map = OM_tag_int_mapFactory::Create();
  map->Insert(fresh, old);
  map->Insert(same, held);
  map->Insert(kept, 77);
  const auto answer = [](tag_t t, long long body, bool clear) {
    Host::SetAnswer("DieDesUtilsGetDieDesignSolvaneBody." + std::to_string(t), body);
    if (clear) Host::SetAnswer("DieDesUtilsGetDieDesignSolvaneBody.clear." + std::to_string(t), 1);
  };
  answer(fresh, made, false);  // a new body: the old one goes
  answer(same, held, false);   // the body the map holds already: it stays alive
  answer(kept, 5, true);       // no fresh body: the entry stays as it is
  answer(none, 6, true);       // no fresh body and no entry: 0
  b->UpdateMap(map);
  int value = -1;
  ASSERT_TRUE(map->Find(fresh, &value));
  EXPECT_EQ(value, made);
  EXPECT_FALSE(Kernel::IsAlive(old));
  ASSERT_TRUE(map->Find(same, &value));
  EXPECT_EQ(value, held);
  EXPECT_TRUE(Kernel::IsAlive(held));
  ASSERT_TRUE(map->Find(kept, &value));
  EXPECT_EQ(value, 77);
  ASSERT_TRUE(map->Find(none, &value));
  EXPECT_EQ(value, 0);
  EXPECT_FALSE(map->Find(unknown, &value));
  EXPECT_EQ(map->Count(), 4);
  Kernel::DeleteBody(made, "test");
  Kernel::DeleteBody(held, "test");
  map->destroy();
  b->destroy();
}

}  // namespace
