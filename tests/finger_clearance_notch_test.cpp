// The finger-clearance notch builder driven as the host drives it: made by its
// factory, given inputs, validated, committed, opened again for editing; as a
// scripting class its set-up.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDesJA::FingerClearanceNotchBuilder;
using KTX::DieDesJA::FingerClearanceNotchBuilderFactory;
using KTX::Kernel::BodyType;
using stamvik_test::DieDesignFeature;
using stamvik_test::TagsOf;

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
  ExpectEntityValues(parms, 2, lengths, 3, "length");
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
      {"empty section", false, false, 0.01, 0.5, 3030636},
      {"an open loop only", false, true, 0.01, 0.5, 0},
      {"one closed loop", true, false, 0.01, 0.5, 3030493},
      {"distance tolerance at the margin", false, true, 1e-10, 0.5, 0},
      {"distance tolerance under it", false, true, 0.99e-10, 0.5, 3030447},
      {"angle tolerance at the margin", false, true, 0.01, 1e-10, 0},
      {"angle tolerance under it", false, true, 0.01, 0.99e-10, 3030448},
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

// ---- as a scripting class -------------------------------------------------------------

using namespace stamvik_test::lists;

class FingerClearanceNotchSetUp : public stamvik_test::ScriptingClassSetUp {};

TEST_F(FingerClearanceNotchSetUp, FingerClearanceNotchInItsOrder) {
  std::vector<std::string> deps = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder",
                                   "Expression", "Section", "SelectObject", "SelectObjectList"};
  std::vector<std::string> calls = SetUpClass("Die.FingerClearanceNotchBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.FingerClearanceNotchBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ", {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                               "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder",
                                               "Section"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class SelectBody SelectObject Body",
          "JAM_lookup_or_create_template_class SelectBrenvikObjectList SelectObjectList BrenvikObject",
          "JAM_lookup_or_create_enum Die.FingerClearanceNotchBuilder.Types 4",
          "JAM_add_enum_member Die.FingerClearanceNotchBuilder.Types Section 0",
          "JAM_add_enum_member Die.FingerClearanceNotchBuilder.Types Face 1",
          "JAM_add_enum_member Die.FingerClearanceNotchBuilder.Types SheetBody 2",
          "JAM_create_class Die.FingerClearanceNotchBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.FingerClearanceNotchBuilder",
          "JAM_register_initialisation_function Die.FingerClearanceNotchBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.FingerClearanceNotchBuilder ",
               {"Attributes 0 1", "BaseOrientation 0 1", "ClearanceDirection 0 1", "Depth 0 1", "ExtrudeWidth 0 1",
                "Geometry 0 1", "Section 0 1", "Target 0 1", "Width 0 1"});
  EXPECT_EQ(calls, expected);
}

}  // namespace
