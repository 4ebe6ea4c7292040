// The die-boolean sub-builder: its type's text in the host's language, its
// validation, the tool bodies it hands its die shoe, and the boolean it
// applies as a feature or on kernel bodies.
#include <string>
#include <vector>

#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "JamTestSupport.hpp"
#include "ja_die_die_boolean_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "prop/PropertyMapper.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/BooleanFeatures.hpp"
#include "afl/DieEngParms.hpp"
#include "afl/Parms.hpp"
#include "TestSupport.hpp"
#include "upd/Update.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "om/TagIntMap.hpp"
#include "sys/Memory.hpp"
#include "sys/Text.hpp"

using namespace KTX;
using KTX::DieDes::DieBooleanBuilder;

using Property::ValuePtr;
using stamvik_test::ExportsStartingWith;
using stamvik_test::JamCalls;
using stamvik_test::Prefixed;

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
  // Handed an array, the tools follow what the caller holds.
  auto* held = static_cast<tag_t*>(SM_alloc(sizeof(tag_t)));
  held[0] = 7;
  objects = 1;
  b->GetSelectedObjects(&objects, &held);
  ASSERT_EQ(objects, 3);
  EXPECT_EQ(held[0], 7u);
  EXPECT_EQ(held[1], first);
  EXPECT_EQ(held[2], second);
  SM_free(held);
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

using Type = DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type;
using Kernel::BodyType;

class DieBooleanApplied : public stamvik_test::DieDesignFeature {
 protected:
  DieBooleanBuilder* Builder(int type, std::vector<tag_t> tools) {
    DieBooleanBuilder* b = DieDes::DieBooleanBuilderFactory::Create(part());
    b->SetBooleanOptions(static_cast<Type>(type));
    for (tag_t t : tools) b->GetSelectBodies()->append(t);
    return b;
  }
  // The part's boolean features, oldest first.
  std::vector<const BOOLEAN_parms*> Booleans() const {
    std::vector<const BOOLEAN_parms*> found;
    for (tag_t t : Host::KeptInPart(part()))
      if (auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)))
        if (auto* parms = dynamic_cast<const BOOLEAN_parms*>(frec->ask_parms())) found.push_back(parms);
    return found;
  }
  static std::vector<tag_t> Selected(const DieBooleanBuilder* b) {
    std::vector<tag_t> tags;
    for (int i = 0; i < b->GetSelectBodies()->ask_count(); ++i) tags.push_back(b->GetSelectBodies()->ask_nth(i));
    return tags;
  }
};

TEST_F(DieBooleanApplied, AFeatureIsMadeOnlyForToolsNotYetInTheTarget) {
  int targetBody = 0;
  const tag_t target = ModelBody(BodyType::Solid, &targetBody);
  const tag_t other = ModelBody(BodyType::Solid);
  const tag_t b = ModelBody(BodyType::Solid);
  const tag_t unreferenced = ModelBody(BodyType::Solid);
  const tag_t metaUnited = ModelBody(BodyType::Solid);
  const tag_t metaElsewhere = ModelBody(BodyType::Solid);
  Host::SetAnswer("BREF_ask_bref_of_eidbody.none." + std::to_string(unreferenced), 1);
  BooleanFeatures::MakeMetaFeature(part(), {BREF_ask_bref_of_eidbody(metaUnited)}, {targetBody});
  BooleanFeatures::MakeMetaFeature(part(), {BREF_ask_bref_of_eidbody(metaElsewhere)}, {targetBody + 1000});
  // B united into another target first: that one does not count for this target.
  DieBooleanBuilder* elsewhere = Builder(0, {b});
  ASSERT_EQ(elsewhere->ApplyBooleanBodies(nullptr, other, 0, true, 0.01), 0);
  elsewhere->destroy();

  struct Row {
    const char* what;
    int type;
    std::vector<tag_t> tools;
    std::vector<tag_t> united;  // the tools of the feature made; none: no feature
    std::size_t replaced;       // features of another operation on the target that held a tool
  };
  // Each operation of a tool on the target is made once: again, it is left
  // out; as another operation, it replaces the feature that held the tool.
  const Row rows[] = {
      {"a unite of B", 0, {b}, {b}, 0},
      {"B again", 0, {b}, {}, 0},
      {"B with tools already in or without reference", 0, {metaUnited, b, unreferenced}, {}, 0},
      {"a meta feature of another target", 0, {metaElsewhere, b}, {metaElsewhere}, 0},
      {"B as a subtract", 1, {b, unreferenced}, {b, unreferenced}, 1},
      {"B as a subtract again", 1, {b}, {}, 0},
      {"B as an intersect", 2, {b}, {b}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const std::size_t before = Booleans().size();
    Host::ClearCalls();
    DieBooleanBuilder* builder = Builder(row.type, row.tools);
    EXPECT_EQ(builder->ApplyBooleanBodies(nullptr, target, 0, true, 0.01), 0) << row.what;
    std::vector<tag_t> united;
    for (const std::string& call : ArgsOf("JAUTL_BOOLEAN__create_boolean_feature"))
      for (int tool : ToolsIn(call)) united.push_back(static_cast<tag_t>(tool));
    EXPECT_EQ(united, row.united) << row.what;
    EXPECT_EQ(Booleans().size() + row.replaced, before + (united.empty() ? 0 : 1)) << row.what;
    std::size_t holdingB = 0;
    for (const BOOLEAN_parms* boolean : Booleans())
      if (BREF_ask_qdeid_of_bref(boolean->ask_target_bref()) == target)
        for (tag_t tool : boolean->ask_tool_brefs()) holdingB += BREF_ask_qdeid_of_bref(tool) == b ? 1 : 0;
    EXPECT_EQ(holdingB, 1u) << row.what << ": one feature of B on the target";
    if (!united.empty() && Booleans().size() == before + 1) {
      EXPECT_EQ(Booleans().back()->ask_type(), row.type) << row.what;
      EXPECT_EQ(BREF_ask_qdeid_of_bref(Booleans().back()->ask_target_bref()), target) << row.what;
    }
    // The tools went into the feature made, or stay.
    EXPECT_EQ(Selected(builder), united.empty() ? row.tools : std::vector<tag_t>{}) << row.what;
    builder->destroy();
  }
  EXPECT_EQ(OM::OM_count_undo_marks(), 0);
}

TEST_F(DieBooleanApplied, WhatCannotBeAppliedIsRefusedAndUndone) {
  int deadBody = Kernel::CreateBody(BodyType::Solid);
  Kernel::DeleteBody(deadBody, "test");
  const tag_t withoutBody = ES_create_solid(0), tool = ModelBody(BodyType::Solid);
  const tag_t target = ModelBody(BodyType::Solid);
  struct Row {
    const char* what;
    int type;
    tag_t target;
    int targetBody;
    bool featureMode;
    int status;
  };
  const Row rows[] = {
      {"kernel mode without target body", 0, 0, 0, false, 690025},
      {"kernel mode with a dead target body", 0, 0, deadBody, false, 670422},
      {"feature mode without target", 1, 0, 0, true, 690025},
      {"feature mode with a target of no kernel body", 1, withoutBody, 0, true, 670422},
      {"a type past the last", 3, target, 0, true, 0},
      {"a feature the host refuses", 0, target, 0, true, 640001},
  };
  Host::SetAnswer("JAUTL_BOOLEAN__create_boolean_feature", 640001);
  for (const Row& row : rows) {
    DieBooleanBuilder* builder = Builder(row.type, {tool});
    EXPECT_EQ(builder->ApplyBooleanBodies(nullptr, row.target, row.targetBody, row.featureMode, 0.01), row.status)
        << row.what;
    // The emptied list comes back with the undo.
    EXPECT_EQ(Selected(builder), std::vector<tag_t>{tool}) << row.what;
    EXPECT_EQ(OM::OM_count_undo_marks(), 0) << row.what;
    EXPECT_EQ(Kernel::CurrentPartition(), 1) << row.what;
    builder->destroy();
  }
  EXPECT_TRUE(Booleans().empty());
}

TEST_F(DieBooleanApplied, KernelModeCombinesCopiesInTheTargetsPartition) {
  const int partition = Kernel::CreatePartition();
  int targetBody = 0, firstBody = 0, secondBody = 0;
  ModelBody(BodyType::Solid, &targetBody);
  ASSERT_EQ(ZV_PARTITION_move_body(partition, targetBody), 0);
  const tag_t first = ModelBody(BodyType::Solid, &firstBody), second = ModelBody(BodyType::Solid, &secondBody);
  const int alive = LiveBodies();
  DieBooleanBuilder* builder = Builder(1, {first, second});
  EXPECT_EQ(builder->ApplyBooleanBodies(nullptr, 0, targetBody, false, 0.01), 0);
  const std::vector<std::string> booleans = ArgsOf("DIEDES_UTILS_boolean_bodies");
  ASSERT_EQ(booleans.size(), 1u);
  const std::vector<int> copies = ToolsIn(booleans[0]);
  ASSERT_EQ(copies.size(), 2u);
  EXPECT_EQ(Kernel::CopiedFrom(copies[0]), firstBody);
  EXPECT_EQ(Kernel::CopiedFrom(copies[1]), secondBody);
  for (int copy : copies) EXPECT_EQ(Kernel::PartitionOf(copy), partition);
  EXPECT_TRUE(
      Has(booleans[0], "operations=[15902,15902] operation=15902 options=given tol=0.01 text=\"Performing boolean\""));
  EXPECT_TRUE(Has(ArgsOf("ZV_BODY_boolean_2").at(0), "function=15902 tol=1e-05 version=16 option_24=1 option_32=0"));
  EXPECT_EQ(LiveBodies(), alive);
  EXPECT_EQ(Kernel::CurrentPartition(), 1);
  builder->destroy();

  // A tool without kernel body: no boolean, and the copy of the one before is gone.
  builder = Builder(0, {first, ES_create_solid(0)});
  Host::ClearCalls();
  EXPECT_EQ(builder->ApplyBooleanBodies(nullptr, 0, targetBody, false, 0.01), 0);
  EXPECT_EQ(Host::CountCalls("DieDesUtilsSolvaneCopy"), 1u);
  EXPECT_EQ(Host::CountCalls("DIEDES_UTILS_boolean_bodies"), 0u);
  EXPECT_EQ(LiveBodies(), alive);
  EXPECT_EQ(Kernel::CurrentPartition(), 1);
  builder->destroy();
}

TEST_F(DieBooleanApplied, OnlyAUniteAsksForTheUpdateOfItsDieDesignFeatures) {
  // One tool per answer of its die-design feature; only the last asks for its update.
  struct Row {
    int feature;  // -1: no die-design body; 0: no feature
    bool logged, flag, condition;
  };
  const Row rows[] = {{-1, false, false, true}, {0, false, false, true},  {1, true, false, true},
                      {1, false, true, true},   {1, false, false, false}, {1, false, false, true}};
  std::vector<tag_t> tools, records;
  for (const Row& row : rows) {
    tools.push_back(ModelBody(BodyType::Solid));
    auto* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(1);
    FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), parms);
    parms->SetFeatureRecord(frec);
    records.push_back(frec->ask_tag());
    const std::string tag = std::to_string(parms->ask_tag());
    if (row.feature >= 0)
      Host::SetAnswer("DieDesUtilsIsDieDesignFeatureBody." + std::to_string(tools.back()),
                      row.feature * parms->ask_tag());
    if (row.logged) UPDATE_log_object_to_update(frec);
    Host::SetAnswer("DieDesUtilsAskFeatureFlag." + tag, row.flag);
    Host::SetAnswer("DieDesUtilsAskFeatureCondition." + tag, row.condition);
  }
  DieBooleanBuilder* subtract = Builder(1, tools);
  EXPECT_FALSE(subtract->ForceDieDesignFeatureUpdate());
  subtract->destroy();
  DieBooleanBuilder* unite = Builder(0, tools);
  EXPECT_TRUE(unite->ForceDieDesignFeatureUpdate());
  EXPECT_EQ(Host::LoggedForUpdate(), (std::vector<tag_t>{records[2], records[5]}));
  // The one it logged is logged now: nothing more to ask for.
  EXPECT_FALSE(unite->ForceDieDesignFeatureUpdate());
  unite->destroy();
  Host::ClearUpdateLogs();
}

// ---- as a scripting class -------------------------------------------------------------

class DieBooleanSetUp : public stamvik_test::FirstCallSetUp {};
class DieBooleanScripting : public stamvik_test::SlotClearanceRoughBooleanBuilders {};
class DieBooleanPrint : public stamvik_test::SlotClearanceRoughBooleanPrint {};
class DieBooleanOwners : public stamvik_test::SlotClearanceRoughBooleanOwners {};

TEST(DieBooleanExports, DieBooleanExportsItsThreeMembersInSnakeCase) {
  std::set<std::string> expected = Prefixed(
      "XJA_DIE_BOOLEAN_BUILDER_", {"get_boolean_options", "set_boolean_options", "get_select_bodies"});
  EXPECT_EQ(ExportsStartingWith("XJA_DIE_BOOLEAN_BUILDER_"), expected);
}

TEST_F(DieBooleanSetUp, DieBooleanIsASubBuilderWithoutDefaultsThatAddsTheComponentInterfaceLast) {
  auto* b = DieDes::DieBooleanBuilderFactory::Create(part());
  std::vector<std::string> calls =
      SetUpCalls("Die.DieBooleanBuilder", {"SelectObjectList"}, [&] { XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(b, 1); });
  b->destroy();
  if (calls.empty()) GTEST_SKIP() << "the class was set up by an earlier test in this process";
  std::vector<std::string> expected = {
      "FileInitializer::Initialize SelectObjectList",
      "JAM_lookup_or_create_class GeometricUtilities.IComponentBuilder",
      "JAM_lookup_or_create_template_class SelectBrenvikObjectList SelectObjectList BrenvikObject",
      "JAM_lookup_or_create_enum Die.DieBooleanBuilder.BooleanType 4",
      "JAM_add_enum_member Die.DieBooleanBuilder.BooleanType Unite 0",
      "JAM_add_enum_member Die.DieBooleanBuilder.BooleanType Subtract 1",
      "JAM_add_enum_member Die.DieBooleanBuilder.BooleanType Intersect 2",
      "JAM_create_class Die.DieBooleanBuilder TaggedObject",
      "JAM_test_register_print_fn Die.DieBooleanBuilder",
      "JAM_declare_ptr_property_accessor Die.DieBooleanBuilder SelectBodies 0 1",
      "JAM_add_interface Die.DieBooleanBuilder GeometricUtilities.IComponentBuilder",
      "JAM_start_property_call Die.DieBooleanBuilder 2 BooleanOptions",
  };
  EXPECT_EQ(calls, expected);
  // No initialisation function: the host never applies defaults to it.
  EXPECT_EQ(JAM::Test::DefaultsFunction("Die.DieBooleanBuilder"), nullptr);
}

TEST_F(DieBooleanScripting, DieBooleanOptionsGoThroughTheBuildersOperations) {
  ASSERT_EQ(XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(boolean_, 2), 0);  // "Intersect"
  EXPECT_EQ(boolean_->GetBooleanOptions(), DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect);
  int options = -1;
  ASSERT_EQ(XJA_DIE_BOOLEAN_BUILDER_get_boolean_options(boolean_, &options), 0);
  EXPECT_EQ(options, 2);
  ASSERT_EQ(JAM::Recorded().size(), 2u);
  EXPECT_EQ(JAM::Recorded()[0].member, "BooleanOptions");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).name, "booleanoptions");
  EXPECT_EQ(JAM::Recorded()[0].values.at(0).type, "Die.DieBooleanBuilder.BooleanType");
}

TEST_F(DieBooleanPrint, DieBooleanPrintsOnlyItsOptionsThenBothClasses) {
  EXPECT_EQ(Printed("Die.DieBooleanBuilder", boolean_),
            (std::vector<std::string>{"GetBooleanOptions", "class TaggedObject  0",
                                      "class GeometricUtilities.IComponentBuilder  0"}));
}

TEST_F(DieBooleanOwners, DieBooleanOptionsBySnakeNameAndItsReadOnlySelection) {
  ValuePtr intersect = Property::MakeEnum(booleanTypes, 2);
  ExpectSameRecord(
      [&] { boolean_->SetBooleanOptions(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite); },
      [&] { return OwnerOf("Die.DieBooleanBuilder")->SetProperty(boolean_, "boolean_options", intersect.get()); },
      [&] { return XJA_DIE_BOOLEAN_BUILDER_set_boolean_options(boolean_, 2); });
  EXPECT_EQ(boolean_->GetBooleanOptions(), DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect);
  EXPECT_STREQ(static_cast<Property::Enum&>(*Get("Die.DieBooleanBuilder", boolean_, "BooleanOptions")).GetMemberName(),
               "Intersect");

  JAM::ClearJournal();
  ValuePtr anything = Property::MakeDouble(1.0);
  EXPECT_EQ(OwnerOf("Die.DieBooleanBuilder")->SetProperty(boolean_, "SelectBodies", anything.get()),
            Property::kUnknownProperty);
  EXPECT_TRUE(JAM::Recorded().empty());
  EXPECT_STREQ(ClassOf(Get("Die.DieBooleanBuilder", boolean_, "select_bodies")), "SelectBrenvikObjectList");

  Property::List list;
  OwnerOf("Die.DieBooleanBuilder")->GetProperties(boolean_, list);
  ASSERT_GE(list.GetCount(), 3);
  EXPECT_STREQ(list.GetNameByIndex(0), "BooleanOptions");
  EXPECT_STREQ(list.GetNameByIndex(1), "SelectBodies");
  EXPECT_STREQ(list.GetNameByIndex(2), "Tag");  // then the "TaggedObject" owner's
}

}  // namespace
