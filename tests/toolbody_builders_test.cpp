// The finger-clearance notch, handling core, machine relief and fill area
// builders driven as the host drives them: made by their factories, given
// inputs, validated, previewed, committed, opened again for editing.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDesJA::FingerClearanceNotchBuilder;
using KTX::DieDesJA::FingerClearanceNotchBuilderFactory;
using KTX::Kernel::BodyType;
using KTX::DieDesJA::HandlingCoreBuilder;
using KTX::DieDesJA::HandlingCoreBuilderFactory;
using KTX::DieDesJA::MachineReliefBuilder;
using KTX::DieDesJA::MachineReliefBuilderFactory;
using KTX::DieDesJA::FillAreaBuilder;
using KTX::DieDesJA::FillAreaBuilderFactory;
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

  // Edited to faces, every value changed: no sheet body stays behind.
  const tag_t faces[2] = {ModelBody(BodyType::Solid), ModelBody(BodyType::Solid)};
  FingerClearanceNotchBuilder* toFaces = FingerClearanceNotchBuilderFactory::Create(modelPart(), frec);
  toFaces->SetType(DieDesJA::JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face);
  toFaces->SetReverseDirection(true);
  toFaces->GetGeometry()->set_tags(2, faces);
  Set(toFaces->GetExtrudeWidth(), "11");
  Set(toFaces->GetWidth(), "13");
  Set(toFaces->GetDepth(), "17");
  toFaces->SetDistanceTolerance(0.02);
  toFaces->SetAngleTolerance(0.25);
  toFaces->GetAttributes()->SetFirstText("NOTCH");
  toFaces->GetAttributes()->SetSecondText("n");
  toFaces->GetAttributes()->SetIntegerValue(17);
  ASSERT_EQ(toFaces->commit_feature(&edited), 0);
  toFaces->destroy();
  // The attribute record: the title at byte 0, the value at 102, the setting at 236.
  DieAttributesRecord* record = parms->AskDieAttributes();
  ASSERT_NE(record, nullptr);
  EXPECT_STREQ(reinterpret_cast<const char*>(record), "NOTCH");
  EXPECT_STREQ(reinterpret_cast<const char*>(record) + 102, "n");
  EXPECT_EQ(At<std::int32_t>(record, 236), 17);
  SM_free(record);
  EXPECT_EQ(parms->GetDistanceTolerance(), 0.02);
  EXPECT_EQ(parms->GetAngleTolerance(), 0.25);
  EXPECT_TRUE(TagsOf(parms, 3).empty());
  EXPECT_EQ(TagsOf(parms, 4), std::vector<tag_t>(faces, faces + 2));
  EXPECT_EQ(parms->AskEntityInt(0, 0), 1);
  EXPECT_EQ(parms->AskEntityInt(0, 1), 1);
  const double lengths[3] = {11, 13, 17};
  for (int i = 0; i < 3; ++i) {
    const EXP_expression* e = parms->AskEntityExpression(2, i);
    EXPECT_EQ(e == nullptr ? -1.0 : EXP_ask_value_of_exp(e), lengths[i]) << "length " << i;
  }
  FingerClearanceNotchBuilder* again = FingerClearanceNotchBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(again->GetType(), DieDesJA::JA_FINGER_CLEARANCE_NOTCH_BUILDER_Types_Face);
  EXPECT_TRUE(again->GetReverseDirection());
  ASSERT_EQ(again->GetGeometry()->ask_count(), 2);
  EXPECT_EQ(again->GetGeometry()->ask_nth(0), faces[0]);
  EXPECT_EQ(again->GetGeometry()->ask_nth(1), faces[1]);
  EXPECT_EQ(EXP_ask_value_of_exp(again->GetExtrudeWidth()), 11.0);
  EXPECT_EQ(EXP_ask_value_of_exp(again->GetWidth()), 13.0);
  EXPECT_EQ(EXP_ask_value_of_exp(again->GetDepth()), 17.0);
  EXPECT_EQ(again->GetDistanceTolerance(), 0.02);
  EXPECT_EQ(again->GetAngleTolerance(), 0.25);
  EXPECT_STREQ(again->GetAttributes()->GetFirstText(), "NOTCH");
  EXPECT_STREQ(again->GetAttributes()->GetSecondText(), "n");
  EXPECT_EQ(again->GetAttributes()->GetIntegerValue(), 17);
  again->destroy();
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
      {"angle tolerance at the margin", false, false, 0.01, 1e-10, 0},
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

// ---- machine relief ------------------------------------------------------------------

class MachineRelief : public DieDesignFeature {
 protected:
  static tag_t Polyline(bool closed) {
    const double points[] = {0, 0, 0, 50, 0, 0, 50, 30, 0, closed ? 0.0 : 20.0, 0, 0};
    return ES_create_polyline(4, points);
  }
};

TEST_F(MachineRelief, AnInteriorThickenedWallComesBackAsKindThreeWithSixInts) {
  MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  b->SetMainProfileType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  b->SetType(DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  b->SetJogWall(true);
  b->GetTrimSheetFace()->append(ModelBody(BodyType::Sheet));
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  auto* parms = dynamic_cast<DIEDES_GENERIC_BODY_PARMS*>(FREC_ask_parms_of_frec(frec));
  const int want[6] = {2, 1, 0, 0, 1, 0};
  ASSERT_EQ(parms->GetEntity(0)->AskCount(), 6);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(parms->AskEntityInt(0, i), want[i]) << i;
  // The faces' collector by its tag, mapped through the commit's table.
  EXPECT_EQ(TagsOf(parms, 8), std::vector<tag_t>{b->GetTrimSheetFace()->ask_tag()});
  EXPECT_EQ(b->GetTrimSheetFace()->ask_times_mapped(), 1);
  b->destroy();

  MachineReliefBuilder* edit = MachineReliefBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_MACHINE_RELIEF_BUILDER_Types_Thicken);
  EXPECT_EQ(edit->GetMainProfileType(), DieDesJA::JA_MACHINE_RELIEF_BUILDER_MainProfileTypes_Interior);
  EXPECT_TRUE(edit->GetJogWall());
  EXPECT_EQ(edit->GetTargetData()->GetReliefKind(), 3);
  EXPECT_EQ(edit->GetTrimSheetFace()->ask_count(), 1);
  edit->destroy();
}

TEST_F(MachineRelief, WithoutAClosedMainProfileTheTargetsCurveForTheKindDecidesStartAndEnd) {
  enum Effect { kOptional, kRequired, kKeep };
  struct Row {
    const char* name;
    int kind;
    int pair;  // the curve the target gives
    bool closedCurve;
    bool closedProfile;
    Effect want;
  };
  const Row rows[] = {
      {"cam, closed curve", 0, 0, true, false, kRequired},
      {"cam, open curve", 0, 0, false, false, kOptional},
      {"relief reads the first curve too", 1, 0, true, false, kRequired},
      {"interior wall reads the third", 3, 2, false, false, kOptional},
      {"exterior wall without its own curve", 2, 0, true, false, kKeep},
      {"a closed main profile", 0, 0, true, true, kKeep},
  };
  for (const Row& row : rows) {
    for (bool before : {false, true}) {
      MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
      if (row.closedProfile) ClosedLoop(b->GetMainProfile());
      b->GetTargetData()->SetReliefKind(row.kind);
      b->GetTargetData()->SetCurve(row.pair, true, Polyline(row.closedCurve));
      b->GetStart()->SetApplIsOverallRequired(before);
      b->GetEnd()->SetApplIsOverallRequired(before);
      b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
      const bool want = row.want == kKeep ? before : row.want == kRequired;
      EXPECT_EQ(b->GetStart()->GetApplIsOverallRequired(), want) << row.name << " from " << before;
      EXPECT_EQ(b->GetEnd()->GetApplIsOverallRequired(), want) << row.name << " from " << before;
      b->destroy();
    }
  }
}

TEST_F(MachineRelief, AMainProfileOfOneClosedAndOneOpenLoopMakesStartAndEndOptional) {
  MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(modelPart(), nullptr);
  ClosedLoop(b->GetMainProfile());
  EXPECT_TRUE(b->GetStart()->GetApplIsOverallRequired());
  OpenLoop(b->GetMainProfile());
  EXPECT_FALSE(b->GetStart()->GetApplIsOverallRequired());
  EXPECT_FALSE(b->GetEnd()->GetApplIsOverallRequired());
  OpenLoop(b->GetMainProfile());
  EXPECT_TRUE(b->GetEnd()->GetApplIsOverallRequired());
  b->destroy();
}

TEST_F(MachineRelief, OpenedOnAnotherFeatureRaisesWithItsOwnText) {
  FEATURE_RECORD* other = nullptr;
  ASSERT_EQ(DIEENG_CreateFrecWithParms(DieDes::ClearanceFactory::Create(), 0, &other), 0);
  try {
    MachineReliefBuilderFactory::Create(modelPart(), other);
    ADD_FAILURE() << "no error raised";
  } catch (const Error::Exception& e) {
    EXPECT_EQ(e.askCode(), 670156);
    EXPECT_NE(std::string(e.what()).find("Feature is not a MachineRelief."), std::string::npos) << e.what();
  }
}

// ---- the previews through a temporary feature -----------------------------------------

class TemporaryFeaturePreview : public DieDesignFeature {};

// A builder of one of the route's classes, its target and its preview.
struct RouteBuilder {
  DieDesJA::GenericBodyBuilder* builder;
  SELECT_OBJECT* target;
  std::function<int(int*, int**)> preview;
};

template <class B>
RouteBuilder Route(B* b) {
  return {b, b->GetTarget(), [b](int* count, int** bodies) { return b->CreateBodies(count, bodies); }};
}

TEST_F(TemporaryFeaturePreview, EachBuilderPreviewsUnderItsOwnMarkAndTextAndLeavesNothing) {
  struct Row {
    const char* mark;
    const char* text;
    const char* targetFactory;  // what gives the temporary feature its target
    int deleted;                // objects the clean-up deletes
    RouteBuilder (*make)(CM_part* part);
  };
  const Row rows[] = {
      {"Finger clearance notch create bodies", "Finger Clearance Notch: Performing boolean operation",
       "FingerClearanceNotchTargetFactory::Create", 2,
       [](CM_part* p) { return Route(FingerClearanceNotchBuilderFactory::Create(p, nullptr)); }},
      {"Handling Core create bodies", " Handling Core: Performing boolean operation",
       "HandlingCoreTargetFactory::CreateCopy", 1,
       [](CM_part* p) {
         HandlingCoreBuilder* b = HandlingCoreBuilderFactory::Create(p, nullptr);
         EXP_edit_exp(0, b->GetHeight(), "10");
         EXP_edit_exp(0, b->GetWidth(), "10");
         return Route(b);
       }},
      {"Machine Relief create bodies", "Machine Relief: Performing boolean operation",
       "MachineReliefTargetFactory::CreateCopy", 1,
       [](CM_part* p) { return Route(MachineReliefBuilderFactory::Create(p, nullptr)); }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mark);
    RouteBuilder b = row.make(modelPart());
    b.target->set_selected_tag(ModelBody(BodyType::Solid));
    Host::ClearCalls();
    const int bodiesBefore = LiveBodies();
    int count = 0;
    int* bodies = nullptr;
    EXPECT_EQ(b.preview(&count, &bodies), 0);
    EXPECT_EQ(count, 1);
    ExpectMark(row.mark, false);
    const std::vector<std::string> booleans = ArgsOf("DIEDES_UTILS_boolean_bodies2");
    EXPECT_EQ(booleans.size(), 2u);
    for (const std::string& args : booleans)
      EXPECT_TRUE(Has(args, std::string("text=\"") + row.text + "\"")) << args;
    EXPECT_EQ(ArgsOf(row.targetFactory).size(), 1u);
    EXPECT_EQ(ArgsOf("OM_delete_object").size(), static_cast<std::size_t>(row.deleted));
    // Only the copy of the target is left, and it is the caller's.
    EXPECT_EQ(LiveBodies(), bodiesBefore + 1);
    DieDesUtilsDeleteBodies(&count, &bodies);
    b.builder->destroy();
  }
}

// ---- fill area --------------------------------------------------------------------------

class FillArea : public DieDesignFeature {
 protected:
  // A fill area whose target gives the base: the plane z = 10.
  FillAreaBuilder* BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types type) {
    FillAreaBuilder* b = FillAreaBuilderFactory::Create(modelPart(), nullptr);
    b->SetType(type);
    const double origin[3] = {0, 0, 10}, normal[3] = {0, 0, 1};
    b->GetTargetData()->SetOrientationFlag(true);
    b->GetTargetData()->SetBase(origin, normal);
    return b;
  }
  // The argument of a logged call, after "key=" up to the next blank.
  static std::string Arg(const std::string& args, const std::string& key) {
    const std::size_t at = args.find(" " + key + "=");
    if (at == std::string::npos) return "";
    const std::size_t from = at + key.size() + 2;
    return args.substr(from, args.find(' ', from) - from);
  }
  // The trim of the limit with that code.
  static std::string Trim(int code) {
    for (const std::string& args : ArgsOf("FillArea::TrimToObjectStatic"))
      if (Arg(args, "code") == std::to_string(code)) return args;
    return "";
  }
};

TEST_F(FillArea, WithoutABaseThePreviewFailsAndLeavesNothing) {
  FillAreaBuilder* b = FillAreaBuilderFactory::Create(modelPart(), nullptr);
  ClosedLoop(b->GetBoundary());
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::ClearCalls();
  const int bodiesBefore = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030437);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  EXPECT_EQ(LiveBodies(), bodiesBefore);
  EXPECT_TRUE(ArgsOf("FillArea::CreateBasicExtrusionsStatic").empty());
  ExpectMark("Fill Area create bodies", true);
  b->destroy();
}

TEST_F(FillArea, AFailedTrimHandsOverNothingAndStillLetsTheProfilesGo) {
  FillAreaBuilder* b = BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types_ScrapArea);
  ClosedLoop(b->GetBoundary());
  b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
  Host::SetAnswer("FillArea::TrimToObjectStatic", 3030999);
  Host::ClearCalls();
  const int bodiesBefore = LiveBodies();
  int count = 0;
  int* bodies = nullptr;
  EXPECT_EQ(b->CreateBodies(&count, &bodies), 3030999);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(bodies, nullptr);
  EXPECT_EQ(LiveBodies(), bodiesBefore);
  ExpectMark("Fill Area create bodies", true);
  const std::vector<std::string> asleep = ArgsOf("RM_set_sleep_state");
  const std::vector<std::string> deleted = ArgsOf("UPDATE_log_entity_to_delete");
  ASSERT_EQ(asleep.size(), 1u);
  ASSERT_EQ(deleted.size(), 1u);
  // The one profile: asleep and on its way out.
  EXPECT_EQ(asleep[0], deleted[0] + " 1");
  b->destroy();
}

TEST_F(FillArea, AScrapAreaIsCutFromACopyOfTheTargetAndOtherTypesAreUnited) {
  struct Row {
    DieDesJA::JA_FILL_AREA_BUILDER_Types type;
    const char* operation;
  };
  const Row rows[] = {{DieDesJA::JA_FILL_AREA_BUILDER_Types_ScrapArea, "15902"},
                      {DieDesJA::JA_FILL_AREA_BUILDER_Types_UserDefined, "15903"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.operation);
    FillAreaBuilder* b = BuilderOnBase(row.type);
    ClosedLoop(b->GetBoundary());
    ClosedLoop(b->GetBoundary());
    b->GetTarget()->set_selected_tag(ModelBody(BodyType::Solid));
    Host::ClearCalls();
    const int bodiesBefore = LiveBodies();
    int count = 0;
    int* bodies = nullptr;
    EXPECT_EQ(b->CreateBodies(&count, &bodies), 0);
    const std::vector<std::string> extrusions = ArgsOf("FillArea::CreateBasicExtrusionsStatic");
    EXPECT_EQ(extrusions.size(), 1u);
    if (extrusions.size() == 1u) {
      EXPECT_EQ(Arg(extrusions[0], "code"), "420000");
      EXPECT_EQ(Arg(extrusions[0], "kind"), "424999");
      const std::string profiles = Arg(extrusions[0], "profiles");
      EXPECT_EQ(std::count(profiles.begin(), profiles.end(), ','), 1) << profiles;
    }
    const std::vector<std::string> booleans = ArgsOf("DIEDES_UTILS_boolean_bodies");
    EXPECT_EQ(booleans.size(), 1u);
    if (booleans.size() == 1u) {
      EXPECT_EQ(Arg(booleans[0], "operations"), std::string("[") + row.operation + "," + row.operation + "]");
      EXPECT_TRUE(Has(booleans[0], "text=\"Fill Area: Performing boolean operation\"")) << booleans[0];
    }
    EXPECT_EQ(count, 1);
    if (count == 1 && booleans.size() == 1u) {
      EXPECT_EQ(std::to_string(bodies[0]), Arg(" " + booleans[0], "target"));
    }
    EXPECT_EQ(LiveBodies(), bodiesBefore + 1);
    ExpectMark("Fill Area create bodies", false);
    DieDesUtilsDeleteBodies(&count, &bodies);
    b->destroy();
  }
}

TEST_F(FillArea, TheLimitsTrimWithTheSheetsAndPlanesTheTypeCallsFor) {
  // Lower offset of exactly the tolerance: no offset, nothing to trim with.
  FillAreaBuilder* b = BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types_UserDefined);
  ClosedLoop(b->GetBoundary());
  Set(b->GetLowerLimitOffset(), "0.01");
  int count = 0;
  int* bodies = nullptr;
  Host::ClearCalls();
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  EXPECT_EQ(Arg(Trim(429999), "side"), "1");
  EXPECT_EQ(Arg(Trim(429999), "trimBody"), "0");
  DieDesUtilsDeleteBodies(&count, &bodies);

  // A real offset with an upper sheet: the lower limit trims with that sheet.
  int sheet = 0;
  b->GetUpperLimitSheet()->set_selected_tag(ModelBody(BodyType::Sheet, &sheet));
  Set(b->GetLowerLimitOffset(), "5");
  Host::ClearCalls();
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  EXPECT_EQ(Arg(Trim(429999), "side"), "0");
  EXPECT_EQ(Arg(Trim(429999), "trimBody"), std::to_string(sheet));
  EXPECT_EQ(Arg(Trim(429999), "offset"), "5");
  DieDesUtilsDeleteBodies(&count, &bodies);

  // An upper plane parallel to the base: trimmed against it, facing down.
  b->SetUpperLimitType(DieDesJA::JA_FILL_AREA_BUILDER_UpperLimitTypes_Plane);
  CoordinateSystemAt(b->GetUpperLimitPlane(), 40);
  Host::ClearCalls();
  ASSERT_EQ(b->CreateBodies(&count, &bodies), 0);
  EXPECT_EQ(Arg(Trim(410000), "direction"), "[0,0,-1]");
  EXPECT_EQ(Arg(Trim(410000), "usePlane"), "1");
  EXPECT_EQ(Arg(Trim(410000), "point"), "[0,0,40]");
  DieDesUtilsDeleteBodies(&count, &bodies);
  b->destroy();
}

TEST_F(FillArea, CommittedAndOpenedAgainItHoldsItsLimitsAndType) {
  FillAreaBuilder* b = BuilderOnBase(DieDesJA::JA_FILL_AREA_BUILDER_Types_ProductContact);
  const tag_t lower = ModelBody(BodyType::Sheet);
  b->GetLowerLimitSheet()->set_selected_tag(lower);
  b->SetUpperLimitType(DieDesJA::JA_FILL_AREA_BUILDER_UpperLimitTypes_Plane);
  Set(b->GetLowerLimitOffset(), "3");
  int rc = -1;
  FEATURE_RECORD* frec = Commit(b, &rc);
  ASSERT_EQ(rc, 0);
  b->destroy();
  FillAreaBuilder* edit = FillAreaBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetType(), DieDesJA::JA_FILL_AREA_BUILDER_Types_ProductContact);
  EXPECT_EQ(edit->GetUpperLimitType(), DieDesJA::JA_FILL_AREA_BUILDER_UpperLimitTypes_Plane);
  EXPECT_EQ(edit->GetLowerLimitSheet()->ask_selected_tag(), lower);
  EXPECT_EQ(edit->GetUpperLimitSheet()->ask_selected_tag(), 0u);
  EXPECT_EQ(EXP_ask_value_of_exp(edit->GetLowerLimitOffset()), 3.0);
  edit->destroy();
  FillAreaBuilder* other = FillAreaBuilderFactory::Create(modelPart(), nullptr);
  EXPECT_EQ(RaisedCode([&] { other->ConvertBuilderDataToFrec(nullptr); }), 670156);
  other->destroy();
}

}  // namespace
