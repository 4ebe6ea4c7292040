// The finger-clearance notch, handling core, machine relief and fill area
// builders driven as the host drives them: made by their factories, given
// inputs, validated, previewed, committed, opened again for editing.
#include <string>
#include <vector>

#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDesJA::FingerClearanceNotchBuilder;
using KTX::DieDesJA::FingerClearanceNotchBuilderFactory;
using KTX::Kernel::BodyType;
using KTX::DieDesJA::HandlingCoreBuilder;
using KTX::DieDesJA::HandlingCoreBuilderFactory;
using stamvik_test::DieDesignFeature;

namespace {

// The entity writes of the log, as "index count flag" in order.
std::vector<std::string> EntityWrites() {
  std::vector<std::string> writes;
  for (const Host::Call& c : Host::Calls()) {
    if (c.name.find("DIEDES_GENERIC_ENTITY::Set") != 0 && c.name.find("::StoreRecords") == std::string::npos)
      continue;
    const auto field = [&](const char* key) {
      const std::size_t at = c.args.find(key);
      return c.args.substr(at + std::string(key).size(), c.args.find(' ', at) - at - std::string(key).size());
    };
    writes.push_back(field("index=") + " " + field("count=") + " " + field("flag="));
  }
  return writes;
}

std::vector<tag_t> TagsOf(const DIEDES_GENERIC_BODY_PARMS* parms, int entity) {
  int count = 0;
  tag_t* tags = nullptr;
  parms->GetEntity(entity)->AskTags(&count, &tags);
  std::vector<tag_t> out(tags, tags + count);
  SM_free(tags);
  return out;
}

// ---- finger-clearance notch ------------------------------------------------------------

class FingerClearanceNotch : public DieDesignFeature {};

TEST_F(FingerClearanceNotch, SheetBodiesGoToEntityThreeAfterEntityFourIsEmptiedAndAllComeBackOnEdit) {
  FingerClearanceNotchBuilder* b = FingerClearanceNotchBuilderFactory::Create(modelPart(), nullptr);
  const tag_t sheets[2] = {ModelBody(BodyType::Sheet), ModelBody(BodyType::Sheet)};
  b->SetType(DieDesJA::JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_SheetBody);
  b->GetGeometry()->append(sheets[0]);
  b->GetGeometry()->append(sheets[1]);
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::ClearCalls();
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_NE(frec, nullptr);
  // Section, ints, expressions, then the empty face entity before the sheets.
  const std::vector<std::string> writes = EntityWrites();
  ASSERT_GE(writes.size(), 5u);
  EXPECT_EQ(writes[0], "1 0 0");
  EXPECT_EQ(writes[1], "0 2 0");
  EXPECT_EQ(writes[2], "2 3 1");
  EXPECT_EQ(writes[3], "4 0 0");
  EXPECT_EQ(writes[4], "3 2 1");
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
  EXPECT_EQ(TagsOf(parms, 3), std::vector<tag_t>(sheets, sheets + 2));
  b->destroy();

  FingerClearanceNotchBuilder* edit = FingerClearanceNotchBuilderFactory::Create(modelPart(), frec);
  ASSERT_EQ(edit->GetGeometry()->ask_count(), 2);
  EXPECT_EQ(edit->GetGeometry()->ask_nth(1), sheets[1]);
  FEATURE_RECORD* edited = frec;
  EXPECT_EQ(edit->commit_feature(&edited), 0);
  EXPECT_EQ(edited, frec);
  EXPECT_EQ(TagsOf(parms, 3), std::vector<tag_t>(sheets, sheets + 2));
  edit->destroy();
}

TEST_F(FingerClearanceNotch, ValidationRefusesAClosedProfileLoopAndTolerancesAtTheMargin) {
  struct Row {
    const char* name;
    bool closedLoop;
    bool openLoop;
    double distance;
    double angle;
    int want;
  };
  const Row rows[] = {
      {"empty section", false, false, 0.01, 0.5, 0},
      {"an open loop only", false, true, 0.01, 0.5, 0},
      {"one closed loop", true, false, 0.01, 0.5, 3030493},
      {"distance tolerance at the margin", false, false, 1e-10, 0.5, 0},
      {"distance tolerance under it", false, false, 0.99e-10, 0.5, 3030447},
      {"angle tolerance under it", false, false, 0.01, 0.99e-10, 3030448},
  };
  for (const Row& row : rows) {
    FingerClearanceNotchBuilder* b = FingerClearanceNotchBuilderFactory::Create(modelPart(), nullptr);
    if (row.closedLoop) ClosedLoop(b->GetSection());
    if (row.openLoop) OpenLoop(b->GetSection());
    b->SetDistanceTolerance(row.distance);
    b->SetAngleTolerance(row.angle);
    EXPECT_EQ(b->validate_nothrow(), row.want) << row.name;
    b->destroy();
  }
}

TEST_F(FingerClearanceNotch, OpenedOnAnotherClassOfFeatureRaisesNoDatabaseParameters) {
  FEATURE_RECORD* other = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(DieDes::ClearanceFactory::Create(), 0, &other), 0);
  EXPECT_EQ(RaisedCode([&] { FingerClearanceNotchBuilderFactory::Create(modelPart(), other); }), 670156);
}

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

}  // namespace
