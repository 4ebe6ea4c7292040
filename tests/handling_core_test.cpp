// The handling core builder driven as the host drives it: validated, opened
// again for editing; as a scripting class its set-up, defaults and test print.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "om/HostClass.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDesJA::HandlingCoreBuilder;
using KTX::DieDesJA::HandlingCoreBuilderFactory;
using stamvik_test::DieDesignFeature;
using stamvik_test::Paused;

namespace {

// ---- handling core ------------------------------------------------------------------

class HandlingCore : public DieDesignFeature {};

TEST_F(HandlingCore, ValidationChecksTheBaseMapThenHeightWidthAndDepth) {
  using Type = DieDesJA::JA_HANDLING_CORE_BUILDER_Types;
  struct Row {
    const char* name;
    Type type;
    const char* height;
    const char* width;
    const char* depth;
    bool mapFlag;
    int want;
  };
  constexpr Type at = DieDesJA::JA_HANDLING_CORE_BUILDER_Types_AtLocation;
  constexpr Type from = DieDesJA::JA_HANDLING_CORE_BUILDER_Types_FromBase;
  constexpr Type map = DieDesJA::JA_HANDLING_CORE_BUILDER_Types_MapFromBase;
  const Row rows[] = {
      {"new builder", at, "0", "0", "0", false, 690004},
      {"width of the distance tolerance", at, "10", "0.01", "0", false, 690005},
      {"width just past it", at, "10", "0.0100001", "0", false, 0},
      {"height of the distance tolerance", at, "0.01", "10", "0", false, 690004},
      {"height just past it", at, "0.0100001", "10", "0", false, 0},
      {"depth at the margin below 0 at a location", at, "10", "10", "-0.0000000001", false, 0},
      {"negative depth at a location", at, "10", "10", "-0.5", false, 690006},
      {"depth a hair below 0", at, "10", "10", "-1e-9", false, 690006},
      {"negative depth from the base", from, "10", "10", "-0.5", false, 0},
      {"no base map, no height", map, "0", "10", "0", false, 3030495},
      {"base map, no height", map, "0", "10", "0", true, 690004},
  };
  for (const Row& row : rows) {
    HandlingCoreBuilder* b = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
    b->SetType(row.type);
    Set(b->GetHeight(), row.height);
    Set(b->GetWidth(), row.width);
    Set(b->GetDepth(), row.depth);
    b->GetTargetData()->SetMapFromBaseFlag(row.mapFlag);
    EXPECT_EQ(b->validate_nothrow(), row.want) << row.name;
    b->destroy();
  }
  // The tolerances: 1e-10 is enough, just under it is not.
  for (const double tolerance : {1e-10, 0.99e-10}) {
    SCOPED_TRACE(tolerance);
    HandlingCoreBuilder* b = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
    Set(b->GetHeight(), "10");
    Set(b->GetWidth(), "10");
    ExpectToleranceLimit(b, tolerance);
    b->destroy();
  }
}

TEST_F(HandlingCore, EditReadsEveryLocationOfTheModuleAndNothingElse) {
  HandlingCoreBuilder* b = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
  Set(b->GetHeight(), "10");
  Set(b->GetWidth(), "10");
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();

  // The module holds a location, another entity and a location with a point.
  auto* parms = dynamic_cast<DieDes::HandlingCore*>(FREC_ask_parms_of_frec(frec));
  auto* module = dynamic_cast<DIEDES_GENERIC_MODULE_PARMS*>(parms->GetNthModuleItem(0));
  ASSERT_NE(module, nullptr);
  const double at[3] = {1, 2, 3};
  const tag_t point = ES_create_point(at);
  DieDes::DieDesGenericLocationRecord record{};
  record.type = 1;
  record.point = point;
  DieDes::DieDesGenericLocation* second = DieDes::DieDesGenericLocationFactory::Create();
  const DIEDES_ENTITY_CONTEXT context{0, frec, {}};
  ASSERT_EQ(second->StoreRecords(&context, 1, &record), 0);
  module->SetNumDiedesItems(3);
  module->SetNthDiedesItems(0, DieDes::DieDesGenericLocationFactory::Create());
  module->SetNthDiedesItems(1, DieDes::DieDesGenericPlaneFactory::Create());
  module->SetNthDiedesItems(2, second);

  HandlingCoreBuilder* edit = HandlingCoreBuilderFactory::Create(modelPart(), frec);
  UICOMPJA_list* list = edit->GetLocation()->GetList();
  ASSERT_EQ(list->size(), 2);
  auto* last = dynamic_cast<DieDesJA::DieLocationBuilder*>(list->ask_item(1));
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->GetPoint(), point);
  edit->destroy();
}

TEST_F(HandlingCore, ParametersWithoutAModuleRaiseTheIndexError) {
  HandlingCoreBuilder* b = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
  Set(b->GetHeight(), "10");
  Set(b->GetWidth(), "10");
  DieDes::HandlingCore* parms = DieDes::HandlingCoreFactory::Create();
  parms->ClearModuleItems();
  FEATURE_RECORD* frec = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(parms, 0, &frec), 0);
  EXPECT_EQ(RaisedCode([&] { b->ConvertBuilderDataToFrec(frec); }), Error::kIndexOutOfRange);
  b->destroy();
}

// ---- as an object-manager class -----------------------------------------------------

class HandlingCoreClass : public stamvik_test::HostTest {};

TEST_F(HandlingCoreClass, AFactoryGivenARecordKeepsItForEditing) {
  FEATURE_RECORD* record = nullptr;
  auto* made = HandlingCoreBuilderFactory::Create(modelPart(), nullptr);
  ASSERT_EQ(made->commit_feature(&record), 0);
  made->destroy();
  auto* core = HandlingCoreBuilderFactory::Create(modelPart(), record);
  EXPECT_EQ(core->get_frec(), record);
  core->destroy();
}

// ---- as a scripting class -------------------------------------------------------------

using namespace stamvik_test::lists;

class HandlingCoreSetUp : public stamvik_test::ScriptingClassSetUp {};
class HandlingCoreDefaults : public stamvik_test::DieToolBuilderDefaults {};
class HandlingCorePrint : public stamvik_test::DieToolBuilderPrint {};

TEST_F(HandlingCoreSetUp, HandlingCoreInItsOrder) {
  std::vector<std::string> deps = {"Die.DieLocationsBuilder", "Die.DiePlaneBuilder", "Expression", "SelectObject"};
  std::vector<std::string> calls = SetUpClass("Die.HandlingCoreBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.HandlingCoreBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ",
               {"Die.DieLocationsBuilder", "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
          "JAM_lookup_or_create_enum Die.HandlingCoreBuilder.Types 4",
          "JAM_add_enum_member Die.HandlingCoreBuilder.Types AtLocation 0",
          "JAM_add_enum_member Die.HandlingCoreBuilder.Types FromBase 1",
          "JAM_add_enum_member Die.HandlingCoreBuilder.Types MapFromBase 2",
          "JAM_create_class Die.HandlingCoreBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.HandlingCoreBuilder",
          "JAM_register_initialisation_function Die.HandlingCoreBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.HandlingCoreBuilder ",
               {"BaseOrientation 0 1", "Clearance 0 1", "CoreOrientation 0 1", "Depth 0 1", "Height 0 1",
                "Location 0 1", "Target 0 1", "Width 0 1"});
  EXPECT_EQ(calls, expected);
}

TEST_F(HandlingCoreDefaults, HandlingCoreInBothUnitSystems) {
  EXPECT_EQ(Apply("Die.HandlingCoreBuilder", core_),
            Paused({"Clearance.Value=100", "Depth.Value=40", "Height.Value=100", "Width.Value=75"}));
  part()->SetUnitCode(1);
  EXPECT_EQ(Apply("Die.HandlingCoreBuilder", core_),
            Paused({"Clearance.Value=4", "Depth.Value=1.6", "Height.Value=4", "Width.Value=3"}));
}

TEST_F(HandlingCorePrint, HandlingCorePrintsItsValuesInSlotOrder) {
  core_->SetDistanceTolerance(0.25);
  core_->SetAngleTolerance(0.5);
  core_->SetType(DieDesJA::JA_HANDLING_CORE_BUILDER_Types_MapFromBase);
  std::string t = TagOf(core_);
  std::vector<std::string> expected = std::vector<std::string>{"tag_start " + t + " b 1"} +
                                      Expressions({{"Height", core_->GetHeight()},
                                                   {"Width", core_->GetWidth()},
                                                   {"Clearance", core_->GetClearance()},
                                                   {"Depth", core_->GetDepth()}}) +
                                      std::vector<std::string>{
                                          "double_prop GetDistanceTolerance distanceTolerance=0.25",
                                          "double_prop GetAngleTolerance angleTolerance=0.5",
                                          "enum_prop GetType type Types=MapFromBase",
                                      } +
                                      Tail(core_, "Die.HandlingCoreBuilder");
  EXPECT_EQ(Printed("Die.HandlingCoreBuilder", core_), expected);
}

}  // namespace
