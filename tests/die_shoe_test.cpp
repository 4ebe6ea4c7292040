// The die shoe: its validation, its parameters written and read back with
// its boolean list, and its commit with the booleans made as features; its
// solid on the stand-in kernel's real geometry (base flange, hollow main decks,
// deck cutouts and the centerline slot, each stage built once and cached, and
// the user's abort); as a scripting class its set-up, members, defaults, test
// print and property owner.
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "DieDes_DieShoeBuilder.hpp"
#include "HeldSelections.hpp"
#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_HeelpostBuilder.hpp"
#include "DieDesJA_KeywayBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/BooleanFeatures.hpp"
#include "afl/DieShoeParms.hpp"
#include "geom/Sketch.hpp"
#include "ja_die_die_shoe_builder_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "kernel/Solids.hpp"
#include "kernel/Wheel.hpp"
#include "prop/PropertyMapper.hpp"
#include "script/ScriptHost.hpp"
#include "sel/Selection.hpp"
#include "sys/Abort.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDes::DieBooleanBuilder;
using KTX::DieDes::DieShoeBuilder;
using stamvik_test::JamCalls;
using stamvik_test::OwnerRecorder;
using stamvik_test::Paused;
using Property::ValuePtr;

namespace {

using Kernel::BodyType;

class DieShoeTest : public stamvik_test::DieDesignFeature {
 public:
  // For the rows of a table.
  using DieDesignFeature::ClosedLoop;
  using DieDesignFeature::OpenLoop;
  using DieDesignFeature::Set;
  // A centre-line slot asked for, with one of its sizes set to the text.
  void Slot(DieShoeBuilder* s, EXP_expression* (DieShoeBuilder::*size)() const, const char* text) {
    s->SetCenterlineSlotCreate(true);
    Set((s->*size)(), text);
  }
  // A closed loop of the four corners of a square round the origin, at height 0.
  void Square(SC_section* section, double half) {
    std::vector<tag_t> corners;
    for (const auto& [x, y] : {std::pair{-half, -half}, {half, -half}, {half, half}, {-half, half}}) {
      const double at[3] = {x, y, 0};
      corners.push_back(ES_create_point(at));
    }
    section->add_loop(SC_section::kClosed, 4, corners.data());
  }

 protected:
  // A valid shoe: the base plane through the origin, Z up, one closed
  // flange loop (a square of side 1000), tolerance 0.01.
  DieShoeBuilder* Shoe() {
    DieShoeBuilder* s = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    SetFrame(s->GetBaseOrientation(), 0.0, 1.0);
    Square(s->GetBaseFlangeSectionPtr(), 500);
    s->SetDistanceTolerance(0.01);
    return s;
  }
  // The plane through (0, 0, z) with normal (0, 0, up).
  static void SetFrame(DieDes::DiePlaneBuilder* plane, double z, double up) {
    plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const double origin[3] = {0, 0, z};
    const double matrix[9] = {1, 0, 0, 0, up, 0, 0, 0, up};
    plane->SetCoordinateSystemOrigin(origin);
    plane->SetCoordinateSystemMatrix(matrix);
  }
  DieBooleanBuilder* AddItem(DieShoeBuilder* s, int type, std::vector<tag_t> tools) {
    DieBooleanBuilder* item = DieDes::DieBooleanBuilderFactory::Create(part());
    item->SetBooleanOptions(static_cast<DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type>(type));
    for (tag_t t : tools) item->GetSelectBodies()->append(t);
    OM::Object* appended = item;
    s->GetDieBooleansList()->append_items(1, &appended);
    return item;
  }
  int BooleanFeatures() const {
    int found = 0;
    for (tag_t t : Host::KeptInPart(part()))
      if (auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)))
        found += dynamic_cast<const BOOLEAN_parms*>(frec->ask_parms()) != nullptr ? 1 : 0;
    return found;
  }
};

TEST_F(DieShoeTest, ValidationStopsAtTheFirstFailingInput) {
  struct Row {
    const char* what;
    void (*change)(DieShoeTest&, DieShoeBuilder*);
    int want;
  };
  const Row rows[] = {
      {"valid", [](DieShoeTest&, DieShoeBuilder*) {}, 0},
      {"no base plane",
       [](DieShoeTest&, DieShoeBuilder* s) {
         s->GetBaseOrientation()->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_Selection);
       },
       3030391},
      {"empty flange",
       [](DieShoeTest&, DieShoeBuilder* s) { s->SetBaseFlangeSectionPtr(s->GetDeckCutoutsSectionPtr()); }, 3030392},
      {"open flange loop", [](DieShoeTest& t, DieShoeBuilder* s) { t.OpenLoop(s->GetBaseFlangeSectionPtr()); },
       3030393},
      {"two flange loops", [](DieShoeTest& t, DieShoeBuilder* s) { t.ClosedLoop(s->GetBaseFlangeSectionPtr()); },
       3030394},
      {"open deck loop", [](DieShoeTest& t, DieShoeBuilder* s) { t.OpenLoop(s->GetMainDeckSectionPtr()); }, 3030395},
      {"flange at the tolerance", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetFlangeThickness(), "0.01"); },
       3030402},
      {"flange just above it", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetFlangeThickness(), "0.0100001"); },
       0},
      {"no wall", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetWallThickness(), "0"); }, 3030403},
      {"wall at the tolerance", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetWallThickness(), "0.01"); },
       3030403},
      {"wall just above it", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetWallThickness(), "0.0100001"); }, 0},
      {"no deck", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetDeckThickness(), "0"); }, 3030404},
      {"deck at the tolerance", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetDeckThickness(), "0.01"); },
       3030404},
      {"deck just above it", [](DieShoeTest& t, DieShoeBuilder* s) { t.Set(s->GetDeckThickness(), "0.0100001"); }, 0},
      {"deck offset short of deck and tolerance",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         t.Square(s->GetMainDeckSectionPtr(), 200);
         t.Set(s->GetDeckThickness(), "30");
         t.Set(s->GetMainDeckOffset(), "30.005");
       },
       3030397},
      {"deck offset past them, over a flange below the deck's top",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         t.Square(s->GetMainDeckSectionPtr(), 200);
         t.Set(s->GetDeckThickness(), "30");
         t.Set(s->GetMainDeckOffset(), "30.02");
         t.Set(s->GetFlangeThickness(), "20");
       },
       0},
      {"deck plane facing down, offset along its own normal",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         t.Square(s->GetMainDeckSectionPtr(), 200);
         SetFrame(s->GetMainDeckPlane(), 100, -1);
         t.Set(s->GetMainDeckOffset(), "60");  // down to 40, below the 45 of the deck
       },
       3030397},
      {"deck plane facing up, lifted", [](DieShoeTest& t, DieShoeBuilder* s) {
         t.Square(s->GetMainDeckSectionPtr(), 200);
         SetFrame(s->GetMainDeckPlane(), 100, 1);
         t.Set(s->GetMainDeckOffset(), "-50");  // 50, above the 45 of the deck
       },
       0},
      {"open cutout loop", [](DieShoeTest& t, DieShoeBuilder* s) { t.OpenLoop(s->GetDeckCutoutsSectionPtr()); },
       3030398},
      {"slot without depth",
       [](DieShoeTest& t, DieShoeBuilder* s) { t.Slot(s, &DieShoeBuilder::GetCenterlineSlotDepth, "0"); },
       3030399},
      {"slot depth at the tolerance",
       [](DieShoeTest& t, DieShoeBuilder* s) { t.Slot(s, &DieShoeBuilder::GetCenterlineSlotDepth, "0.01"); },
       3030399},
      {"slot depth just above it",
       [](DieShoeTest& t, DieShoeBuilder* s) { t.Slot(s, &DieShoeBuilder::GetCenterlineSlotDepth, "0.0100001"); },
       0},
      {"slot without width",
       [](DieShoeTest& t, DieShoeBuilder* s) { t.Slot(s, &DieShoeBuilder::GetCenterlineSlotWidth, "0"); },
       3030400},
      {"slot width at the tolerance",
       [](DieShoeTest& t, DieShoeBuilder* s) { t.Slot(s, &DieShoeBuilder::GetCenterlineSlotWidth, "0.01"); },
       3030400},
      {"slot width just above it",
       [](DieShoeTest& t, DieShoeBuilder* s) { t.Slot(s, &DieShoeBuilder::GetCenterlineSlotWidth, "0.0100001"); },
       0},
      {"slot direction required and missing",
       [](DieShoeTest&, DieShoeBuilder* s) {
         s->SetCenterlineSlotCreate(true);
         s->GetCenterlineSlotDirection()->SetApplIsOverallRequired(true);
       },
       3030401},
      {"slot direction missing, no slot",
       [](DieShoeTest&, DieShoeBuilder* s) { s->GetCenterlineSlotDirection()->SetApplIsOverallRequired(true); }, 0},
      {"distance tolerance", [](DieShoeTest&, DieShoeBuilder* s) { s->SetDistanceTolerance(1e-11); }, 674028},
      {"distance tolerance just under 1e-10",
       [](DieShoeTest&, DieShoeBuilder* s) { s->SetDistanceTolerance(0.99e-10); }, 674028},
      {"distance tolerance 1e-10", [](DieShoeTest&, DieShoeBuilder* s) { s->SetDistanceTolerance(1e-10); }, 0},
      {"angle tolerance", [](DieShoeTest&, DieShoeBuilder* s) { s->SetAngleTolerance(0); }, 674029},
      {"angle tolerance just under 1e-10", [](DieShoeTest&, DieShoeBuilder* s) { s->SetAngleTolerance(0.99e-10); },
       674029},
      {"angle tolerance 1e-10", [](DieShoeTest&, DieShoeBuilder* s) { s->SetAngleTolerance(1e-10); }, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    DieShoeBuilder* s = Shoe();
    row.change(*this, s);
    EXPECT_EQ(s->validate_nothrow(), row.want);
    s->destroy();
  }
}

TEST_F(DieShoeTest, ANewShoeKeepsEveryBooleanAndMakesEach) {
  const tag_t a = ModelBody(BodyType::Solid);
  const tag_t b = ModelBody(BodyType::Solid);
  DieShoeBuilder* s = Shoe();
  ClosedLoop(s->GetMainDeckSectionPtr());
  s->GetCenterlineSlotAttributes()->SetFirstText("SLOT");
  AddItem(s, 0, {a});
  AddItem(s, 1, {b});
  Host::ClearCalls();
  int rc = -1;
  FEATURE_RECORD* frec = Commit(s, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_NE(frec, nullptr);

  auto* parms = dynamic_cast<DieDes::DieShoe*>(frec->ask_parms());
  ASSERT_NE(parms, nullptr);
  ASSERT_NE(parms->GetDieShoeBooleanTypes(), nullptr);
  ASSERT_EQ(parms->GetDieShoeBooleanTypes()->AskCount(), 2);
  EXPECT_EQ(parms->GetDieShoeBooleanTypes()->AskInt(0), 0);
  EXPECT_EQ(parms->GetDieShoeBooleanTypes()->AskInt(1), 1);
  ASSERT_EQ(parms->GetNumDieShoeBooleanItems(), 2);
  EXPECT_EQ(parms->GetNthDieShoeBooleanItem(0)->AskTag(0), a);
  EXPECT_EQ(parms->GetNthDieShoeBooleanItem(0)->AskCount(), 1);
  EXPECT_EQ(parms->GetNthDieShoeBooleanItem(1)->AskTag(0), b);
  EXPECT_EQ(parms->GetNthDieShoeBooleanItem(1)->AskCount(), 1);

  const auto made = ArgsOf("JAUTL_BOOLEAN__create_boolean_feature");
  ASSERT_EQ(made.size(), 2u);
  EXPECT_TRUE(Has(made[0], "type=0")) << made[0];
  EXPECT_TRUE(Has(made[1], "type=1")) << made[1];
  EXPECT_EQ(BooleanFeatures(), 2);
  EXPECT_FALSE(DieDesUtils::CurrentState().toleranceDerive);

  // Both temporary builders handed over, the stored one first, and gone.
  const auto handed = ArgsOf("DieShoe::TakeOverTemporaryBuilder");
  ASSERT_EQ(handed.size(), 2u);
  const tag_t pruned = static_cast<tag_t>(std::stoul(handed[0].substr(handed[0].find("builder=") + 8)));
  const tag_t complete = static_cast<tag_t>(std::stoul(handed[1].substr(handed[1].find("builder=") + 8)));
  EXPECT_LT(pruned, complete);
  EXPECT_EQ(OM::OM_object_of_tag(pruned), nullptr);
  EXPECT_EQ(OM::OM_object_of_tag(complete), nullptr);
  EXPECT_EQ(ArgsOf("DSS_REGEN_regen_object").size(), 1u);
  // What the feature holds survives the update that the temporary builders
  // logged it for.
  UPDATE_do_update();
  EXPECT_NE(OM::OM_object_of_tag(parms->AskEntityTag(2, 0)), nullptr);
  EXPECT_NE(parms->AskEntityExpression(6, 0), nullptr);

  // Read back by an edit: the inputs, the slot's attributes and both items.
  DieShoeBuilder* edit = DieDes::DieShoeBuilderFactory::Create(modelPart(), frec);
  // The builder that made it and the edit each work on a copy of the
  // feature's own deck section and offset.
  const tag_t deck = parms->AskEntityTag(2, 0);
  EXPECT_NE(edit->GetMainDeckSection(), deck);
  EXPECT_NE(s->GetMainDeckSection(), deck);
  EXPECT_TRUE(Stamvik::SameContents(OM::TagToObject<SC_section>(edit->GetMainDeckSection()),
                                    OM::TagToObject<SC_section>(deck)));
  const EXP_expression* offset = parms->AskEntityExpression(6, 0);
  EXPECT_NE(edit->GetMainDeckOffset(), offset);
  EXPECT_NE(s->GetMainDeckOffset(), offset);
  EXPECT_STREQ(edit->GetMainDeckOffset()->ask_text(), offset->ask_text());
  EXPECT_EQ(edit->GetDistanceTolerance(), 0.01);
  EXPECT_STREQ(edit->GetCenterlineSlotAttributes()->GetFirstText(), "SLOT");
  ASSERT_EQ(edit->GetDieBooleansList()->size(), 2);
  for (int i = 0; i < 2; ++i) {
    auto* item = dynamic_cast<DieBooleanBuilder*>(edit->GetDieBooleansList()->ask_item(i));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetBooleanOptions(), i);
    EXPECT_EQ(item->GetSelectBodies()->ask_nth(0), i == 0 ? a : b);
  }
  // Committed again as it is: no operation is made twice.
  FEATURE_RECORD* again = frec;
  EXPECT_EQ(edit->commit_feature(&again), 0);
  EXPECT_EQ(BooleanFeatures(), 2);
  edit->destroy();
  s->destroy();
}

// Committed with one value in every field, edited to others in every field:
// the stored expressions, slot flag, tolerances and the three attribute
// records (slot, main deck, base) at their places, and read back each time.
TEST_F(DieShoeTest, AnEditChangesEveryFieldAndEachIsStoredAndReadBack) {
  struct Values {
    const char* texts[6];  // offset, slot depth, slot width, flange, wall, deck
    double numbers[6];
    bool slot;
    double distance, angle;
    const char* first[3];
    const char* second[3];
    int integers[3];
  };
  const Values made = {{"251", "16", "51", "44", "30", "40"}, {251, 16, 51, 44, 30, 40}, true, 0.01, 0.5,
                       {"SLOT", "DECK", "BASE"}, {"s", "d", "b"}, {11, 12, 13}};
  const Values edited = {{"252", "17", "52", "43", "31", "41"}, {252, 17, 52, 43, 31, 41}, false, 0.02, 0.25,
                         {"SLOT2", "DECK2", "BASE2"}, {"t", "e", "c"}, {21, 22, 23}};
  auto attributes = [](const DieShoeBuilder* s) {
    return std::vector<DieDes::DieAttributesBuilder*>{s->GetCenterlineSlotAttributes(), s->GetMainDeckAttributes(),
                                                      s->GetBaseAttributes()};
  };
  auto expressions = [](const DieShoeBuilder* s) {
    return std::vector<EXP_expression*>{s->GetMainDeckOffset(),  s->GetCenterlineSlotDepth(), s->GetCenterlineSlotWidth(),
                                        s->GetFlangeThickness(), s->GetWallThickness(),       s->GetDeckThickness()};
  };
  auto fill = [&](DieShoeBuilder* s, const Values& v) {
    const std::vector<EXP_expression*> e = expressions(s);
    for (int i = 0; i < 6; ++i) Set(e[i], v.texts[i]);
    s->SetCenterlineSlotCreate(v.slot);
    s->SetDistanceTolerance(v.distance);
    s->SetAngleTolerance(v.angle);
    const std::vector<DieDes::DieAttributesBuilder*> a = attributes(s);
    for (int i = 0; i < 3; ++i) {
      a[i]->SetFirstText(v.first[i]);
      a[i]->SetSecondText(v.second[i]);
      a[i]->SetIntegerValue(v.integers[i]);
    }
  };
  auto check = [&](FEATURE_RECORD* frec, const Values& v) {
    auto* parms = dynamic_cast<DieDes::DieShoe*>(frec->ask_parms());
    ASSERT_NE(parms, nullptr);
    ExpectEntityValues(parms, 6, v.numbers, 6, "expression");
    EXPECT_EQ(parms->AskEntityInt(7, 0), v.slot ? 1 : 0);
    EXPECT_EQ(parms->GetDistanceTolerance(), v.distance);
    EXPECT_EQ(parms->GetAngleTolerance(), v.angle);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(v.first[i]);
      DieAttributesRecord* record = parms->AskShoeAttributes(i);
      EXPECT_NE(record, nullptr);
      if (record == nullptr) continue;
      const auto* bytes = reinterpret_cast<const char*>(record);
      EXPECT_STREQ(bytes, v.first[i]);
      EXPECT_STREQ(bytes + 102, v.second[i]);
      EXPECT_EQ(At<std::int32_t>(bytes, 236), v.integers[i]);
      SM_free(record);
    }
    DieShoeBuilder* back = DieDes::DieShoeBuilderFactory::Create(modelPart(), frec);
    const double values[6] = {back->GetOffsetValue(),          back->GetDepthValue(),
                              back->GetWidthValue(),           back->GetFlangeThicknessValue(),
                              back->GetWallThicknessValue(),   back->GetDeckThicknessValue()};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(values[i], v.numbers[i]) << "value " << i;
    EXPECT_EQ(back->GetCenterlineSlotCreate(), v.slot);
    EXPECT_EQ(back->GetDistanceTolerance(), v.distance);
    EXPECT_EQ(back->GetAngleTolerance(), v.angle);
    const std::vector<DieDes::DieAttributesBuilder*> a = attributes(back);
    for (int i = 0; i < 3; ++i) {
      EXPECT_STREQ(a[i]->GetFirstText(), v.first[i]);
      EXPECT_STREQ(a[i]->GetSecondText(), v.second[i]);
      EXPECT_EQ(a[i]->GetIntegerValue(), v.integers[i]);
    }
    back->destroy();
  };

  DieShoeBuilder* s = Shoe();
  fill(s, made);
  int rc = -1;
  FEATURE_RECORD* frec = Commit(s, &rc);
  ASSERT_EQ(rc, 0);
  ASSERT_NE(frec, nullptr);
  s->destroy();
  {
    SCOPED_TRACE("made");
    check(frec, made);
  }
  DieShoeBuilder* edit = DieDes::DieShoeBuilderFactory::Create(modelPart(), frec);
  fill(edit, edited);
  FEATURE_RECORD* same = frec;
  ASSERT_EQ(edit->commit_feature(&same), 0);
  edit->destroy();
  {
    SCOPED_TRACE("edited");
    check(frec, edited);
  }
}

TEST_F(DieShoeTest, ItsBooleanListRefusesTheShoeAndTheListItself) {
  // The list owns its items and goes with the shoe: holding either would
  // have the shoe's destroy run inside itself.
  DieShoeBuilder* s = Shoe();
  UICOMPJA_list* list = s->GetDieBooleansList();
  AddItem(s, 0, {});
  struct Row {
    const char* how;
    std::function<void(OM::Object*)> put;
  };
  const Row rows[] = {
      {"insert", [&](OM::Object* o) { list->insert(0, o); }},
      {"set", [&](OM::Object* o) { list->set_item(0, o); }},
      {"append", [&](OM::Object* o) { list->append_items(1, &o); }},
  };
  for (const Row& row : rows) {
    // The part too: its destroy takes the shoe and the list with it.
    for (OM::Object* refused :
         {static_cast<OM::Object*>(s), static_cast<OM::Object*>(list), static_cast<OM::Object*>(part())}) {
      SCOPED_TRACE(row.how);
      EXPECT_EQ(RaisedCode([&] { row.put(refused); }), 840002);
      EXPECT_EQ(list->size(), 1);
      EXPECT_NE(dynamic_cast<DieBooleanBuilder*>(list->ask_item(0)), nullptr);
    }
  }
  s->destroy();
}

TEST_F(DieShoeTest, AFailingBooleanUndoesTheBooleansBeforeItAndTheShoe) {
  const tag_t a = ModelBody(BodyType::Solid);
  const tag_t b = ModelBody(BodyType::Solid);
  DieShoeBuilder* s = Shoe();
  AddItem(s, 0, {a});
  AddItem(s, 1, {b});
  Host::SetAnswer("JAUTL_BOOLEAN__create_boolean_feature.type1", 640001);
  const std::size_t kept = Host::KeptInPart(part()).size();
  int rc = 0;
  EXPECT_EQ(Commit(s, &rc), nullptr);
  EXPECT_EQ(rc, 640001);
  EXPECT_EQ(BooleanFeatures(), 0);
  EXPECT_EQ(Host::KeptInPart(part()).size(), kept);
  EXPECT_EQ(OM::OM_count_undo_marks(), 0);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  s->destroy();
}

TEST_F(DieShoeTest, AnEditAppliesItsBooleansOnlyWhenTheFeatureAllows) {
  const tag_t a = ModelBody(BodyType::Solid);
  struct Row {
    const char* what;
    const char* suppression;  // the record's suppression reason, or none
    int mode;
    bool update;  // the silent update and the boolean stage run
  };
  const Row rows[] = {
      {"plain edit", nullptr, 1, true},
      {"manually suppressed", "SUP_is_manual_suppressed_frec", 1, false},
      {"suppressed by dependency", "SUP_is_dependency_suppressed_frec", 1, false},
      {"suppressed, but the dialog's mode 0 allows", "SUP_is_manual_suppressed_frec", 0, true},
      {"looking only", nullptr, 2, false},
  };
  DieShoeBuilder* s = Shoe();
  AddItem(s, 0, {a});
  int rc = -1;
  FEATURE_RECORD* frec = Commit(s, &rc);
  ASSERT_EQ(rc, 0);
  s->destroy();
  const std::string tag = std::to_string(frec->ask_tag());
  DSS_set_suppress_display(2);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    Host::ClearAnswers();
    if (row.suppression != nullptr) Host::SetAnswer(std::string(row.suppression) + "." + tag, 1);
    DieShoeBuilder* edit = DieDes::DieShoeBuilderFactory::Create(modelPart(), frec);
    edit->set_mode(row.mode);
    Host::ClearCalls();
    FEATURE_RECORD* again = frec;
    EXPECT_EQ(edit->commit_feature(&again), 0) << row.what;
    const auto updates = ArgsOf("UPDATE_do_update_no_message");
    EXPECT_EQ(updates.size(), row.update ? 1u : 0u) << row.what;
    if (row.update && updates.size() == 1u) {
      EXPECT_EQ(updates[0], "suppress=3") << row.what;
    }
    EXPECT_EQ(ArgsOf("DieShoe::TakeOverTemporaryBuilder").size(), row.update ? 2u : 0u) << row.what;
    EXPECT_EQ(DSS_ask_suppress_display(), 2) << row.what;
    edit->destroy();
  }
  DSS_set_suppress_display(0);
}

TEST_F(DieShoeTest, StoredBooleanDataIsCheckedAndItsSurplusReleased) {
  const tag_t a = ModelBody(BodyType::Solid);
  const tag_t b = ModelBody(BodyType::Solid);
  DieShoeBuilder* s = Shoe();
  AddItem(s, 0, {a});
  AddItem(s, 0, {b});
  DieDes::DieShoe* parms = DieDes::DieShoeFactory::Create();
  ASSERT_EQ(DieShoeBuilder::FromListBuilder(nullptr, parms, s->GetDieBooleansList(), nullptr), 0);
  ASSERT_EQ(parms->GetNumDieShoeBooleanItems(), 2);
  EXPECT_EQ(parms->AskBooleanChanges(), 1);
  // The same list again changes nothing.
  ASSERT_EQ(DieShoeBuilder::FromListBuilder(nullptr, parms, s->GetDieBooleansList(), nullptr), 0);
  EXPECT_EQ(parms->AskBooleanChanges(), 1);

  // One item fewer: the last one is released, and a refused release stops it.
  const tag_t second = parms->GetNthDieShoeBooleanItem(1)->ask_tag();
  s->GetDieBooleansList()->set_item(1, nullptr);
  Host::SetAnswer("DIEDES_GENERIC_bref::Release", 640002);
  EXPECT_EQ(DieShoeBuilder::FromListBuilder(nullptr, parms, s->GetDieBooleansList(), nullptr), 640002);
  EXPECT_EQ(parms->GetNumDieShoeBooleanItems(), 2);
  Host::ClearAnswers();
  ASSERT_EQ(DieShoeBuilder::FromListBuilder(nullptr, parms, s->GetDieBooleansList(), nullptr), 0);
  EXPECT_EQ(parms->GetNumDieShoeBooleanItems(), 1);
  EXPECT_EQ(OM::OM_object_of_tag(second), nullptr);
  EXPECT_EQ(parms->GetDieShoeBooleanTypes()->AskCount(), 1);

  // Types and items that disagree are refused, and no item is read.
  DieShoeBuilder* reader = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  const int types[2] = {0, 1};
  DIEDES_ENTITY_CONTEXT context{};
  ASSERT_EQ(parms->SetDieShoeBooleanTypes(&context, 2, types, nullptr), 0);
  EXPECT_EQ(RaisedCode([&] { DieShoeBuilder::ToListBuilder(parms, reader->GetDieBooleansList(), nullptr); }),
            670156);
  EXPECT_EQ(reader->GetDieBooleansList()->size(), 0);
  s->destroy();
  reader->destroy();
  parms->destroy();
}

// A builder made as a script gets it, destroyed under an undo mark: what it
// owned itself is gone at once, and what its sub-builders leave behind is
// logged for the next update to delete. Undone, every object made for it is
// back and owned as before, and nothing it owns is left for that update.
TEST_F(DieShoeTest, ADestroyedBuilderTakesWhatItOwnedAndUndoBringsItAllBack) {
  struct Row {
    const char* what;
    // Makes the builder; objects the script took out of it go in `taken`.
    std::function<OM::TaggedObject*(std::vector<OM::TaggedObject*>& taken)> make;
  };
  const Row rows[] = {
      {"die shoe", [this](auto&) { return DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr); }},
      {"die shoe with two booleans",
       [this](auto&) {
         DieShoeBuilder* s = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
         AddItem(s, 0, {});
         AddItem(s, 1, {});
         return s;
       }},
      {"die shoe with one section in two fields",
       [this](auto& taken) {
         DieShoeBuilder* s = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
         taken.push_back(s->GetBaseFlangeSectionPtr());
         s->SetBaseFlangeSectionPtr(s->GetDeckCutoutsSectionPtr());
         return s;
       }},
      {"heelpost",
       [this](auto&) { return DieDesJA::HeelpostBuilderFactory::Create(modelPart(), nullptr); }},
      {"keyway", [this](auto&) { return DieDesJA::KeywayBuilderFactory::Create(modelPart(), nullptr); }},
      {"cast relief",
       [this](auto&) { return DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr); }},
  };
  auto alive = [](tag_t t) { return OM::OM_object_of_tag(t) != nullptr; };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    std::vector<OM::TaggedObject*> taken;
    OM::TaggedObject* builder = row.make(taken);
    const tag_t builderTag = builder->ask_tag();
    // Tags are handed out in turn: the next object made bounds the builder's.
    auto* probe = Host::CreateHostObject<EXP_expression>();
    const tag_t end = probe->ask_tag();
    probe->destroy();
    std::vector<tag_t> made, owned;
    for (tag_t t = builderTag + 1; t < end; ++t) {
      OM::Object* o = OM::OM_object_of_tag(t);
      if (o == nullptr || std::find(taken.begin(), taken.end(), o) != taken.end()) continue;
      made.push_back(t);
      if (OM::OM_ask_owner(o) == builder) owned.push_back(t);
    }
    EXPECT_GE(owned.size(), 3u);

    const int mark = stamvik_test::UndoMark();
    Host::ClearUpdateLogs();
    builder->destroy();
    const std::vector<tag_t> logged = Host::LoggedForDeletion();
    EXPECT_FALSE(alive(builderTag));
    for (tag_t t : owned) EXPECT_FALSE(alive(t)) << "owned object " << t << " left alive";
    for (tag_t t : made)
      EXPECT_TRUE(!alive(t) || std::find(logged.begin(), logged.end(), t) != logged.end())
          << "object " << t << " left alive and not logged for deletion";

    EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
    EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);
    builder = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(builderTag));
    ASSERT_NE(builder, nullptr);
    for (tag_t t : made) EXPECT_TRUE(alive(t)) << "object " << t << " not brought back";
    // The undo takes back what the destroy logged, the sub-builders' own
    // selections too: the next update deletes nothing the builder holds.
    EXPECT_TRUE(Host::LoggedForDeletion().empty());
    UPDATE_do_update();
    EXPECT_TRUE(alive(builderTag));
    for (tag_t t : made) EXPECT_TRUE(alive(t)) << "object " << t << " gone with the update";
    for (tag_t t : owned) {
      if (alive(t)) {
        EXPECT_EQ(OM::OM_ask_owner(OM::OM_object_of_tag(t)), builder) << t;
      }
    }

    if (builder != nullptr) builder->destroy();
    UPDATE_do_update();
    for (tag_t t : made) EXPECT_FALSE(alive(t)) << "object " << t << " left after the update";
    for (OM::TaggedObject* o : taken) o->destroy();
  }
}

}  // namespace

namespace {

using Kernel::Containment;

class DieShoeBody : public stamvik_test::DieDesignFeature {
 public:
  using DieDesignFeature::Set;  // for the rows of a table
  void TearDown() override {
    Abort::SetOnFromQuery(0);
    for (int body : made_) Kernel::DeleteBody(body, "test");
    DieDesignFeature::TearDown();
  }
  // A closed loop through the rectangle's corners at height 0.
  void Rectangle(SC_section* section, double x0, double y0, double x1, double y1) {
    Polygon(section, {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}});
  }
  // A closed loop through the corners at height 0.
  void Polygon(SC_section* section, const std::vector<std::array<double, 2>>& corners) {
    std::vector<tag_t> curves;
    for (const auto& c : corners) {
      const double at[3] = {c[0], c[1], 0};
      curves.push_back(ES_create_point(at));
    }
    section->add_loop(SC_section::kClosed, static_cast<int>(curves.size()), curves.data());
  }
  // The objects of that class the part holds.
  template <class T>
  int Counted() const {
    int n = 0;
    for (tag_t t : Host::KeptInPart(part())) n += dynamic_cast<T*>(OM::OM_object_of_tag(t)) != nullptr ? 1 : 0;
    return n;
  }
  // A new empty section in the part.
  SC_section* Fresh() { return SC_sectionFactory::object(OM::OM_ask_object_tag(part()), 0.019, 0.02, 0.5); }
  // The body maker the host registers: a builder on the new record builds it.
  static int MakeBody(FEATURE_RECORD* frec, int* body) {
    *body = 0;
    DieShoeBuilder* builder = DieDes::DieShoeBuilderFactory::Create(PART_ask_work_part()->ModelPart(), frec);
    const int rc = builder->CreateBody(body);
    builder->destroy();
    return rc;
  }
  // The reference shoe: base plane at the origin, Z up, tolerance 0.02; a
  // flange 1000 by 800, 40 thick; one main deck 600 by 400, offset 250,
  // walls 20, deck 30.
  DieShoeBuilder* Shoe(bool deck = true) {
    DieShoeBuilder* s = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* base = s->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    base->SetCoordinateSystemOrigin(origin);
    base->SetCoordinateSystemMatrix(identity);
    s->SetDistanceTolerance(0.02);
    Rectangle(s->GetBaseFlangeSectionPtr(), -500, -400, 500, 400);
    if (deck) Rectangle(s->GetMainDeckSectionPtr(), -300, -200, 300, 200);
    Set(s->GetFlangeThickness(), "40");
    Set(s->GetWallThickness(), "20");
    Set(s->GetDeckThickness(), "30");
    return s;
  }
  int Build(DieShoeBuilder* s, int want = 0) {
    int body = 0;
    EXPECT_EQ(s->CreateBody(&body), want);
    if (body != 0) made_.push_back(body);
    return body;
  }
  struct Probe {
    double x, y, z;
    bool in;
  };
  static void ExpectInside(int body, std::initializer_list<Probe> probes, const char* what) {
    for (const Probe& p : probes) {
      const double at[3] = {p.x, p.y, p.z};
      EXPECT_EQ(DieDesUtils::ContainmentOf(body, at) == Containment::In, p.in)
          << what << ": (" << p.x << ", " << p.y << ", " << p.z << ")";
    }
  }
  static std::size_t Calls(const char* name) { return ArgsOf(name).size(); }

 private:
  std::vector<int> made_;
};

TEST_F(DieShoeBody, AHollowDeckOnItsFlangeBuiltOnceThenFromTheCaches) {
  DieShoeBuilder* s = Shoe();
  Rectangle(s->GetDeckCutoutsSectionPtr(), 150, -50, 250, 50);
  Host::ClearCalls();
  const int body = Build(s);
  ExpectInside(body,
               {{0, 0, 235, true}, {290, 0, 100, true}, {450, 0, 20, true}, {0, 0, 100, false}, {0, 0, 260, false},
                {450, 0, 60, false}, {200, 0, 235, false}},
               "the reference shoe");
  const auto sheets = ArgsOf("DIEDES_UTILS__bplane_from_curves");
  ASSERT_EQ(sheets.size(), 3u);  // the flange, the deck block and the cutout block
  EXPECT_TRUE(Has(sheets[1], "point=0,0,-70.2 direction=0,0,1")) << sheets[1];
  const auto sweeps = ArgsOf("ZV_BODY_sweep");
  ASSERT_EQ(sweeps.size(), 3u);
  EXPECT_TRUE(Has(sweeps[1], "path=0,0,0.3904")) << sweeps[1];

  // Built again: no stage is made anew; only copies of the cached decks are trimmed.
  Host::ClearCalls();
  const int again = Build(s);
  for (const char* call :
       {"DIE_ADD_ask_tag_from_curve_geom", "DIEDES_UTILS__bplane_from_curves", "ZV_BODY_sweep", "ZV_BODY_offset_2"})
    EXPECT_EQ(Calls(call), 0u) << call;
  for (const std::string& boolean : ArgsOf("ZV_BODY_boolean_2")) EXPECT_FALSE(Has(boolean, "function=15901"));
  EXPECT_EQ(Calls("DIEDES_UTILS__trim_body_to_plane"), 2u);
  ExpectInside(again, {{0, 0, 235, true}, {0, 0, 100, false}}, "built again");

  const int live = LiveBodies();
  s->DeleteSolvaneMainDecks();
  EXPECT_EQ(LiveBodies(), live - 4);  // the block, its inner block, its cavity and the cutout's
  EXPECT_EQ(s->GetNumberSolvaneMainDecks() + s->GetNumberSolvaneMainDeckIntersections() +
                s->GetNumberSolvaneMainDeckSubtractions(),
            0);

  // Destroyed: its caches go, its loop curves sleep and wait for the update.
  const tag_t flange = s->GetBaseFlangeTag(false);
  const tag_t deck = s->GetMainDeckLoopTag(0);
  const int kept = LiveBodies();
  Host::ClearCalls();
  s->destroy();
  EXPECT_EQ(LiveBodies(), kept - 2);  // the base flange and the cutout block
  const std::vector<tag_t> logged = Host::LoggedForDeletion();
  const std::vector<std::string> asleep = ArgsOf("RM_set_sleep_state");
  for (tag_t curve : {flange, deck}) {
    EXPECT_NE(std::find(logged.begin(), logged.end(), curve), logged.end()) << curve;
    EXPECT_EQ(std::count(asleep.begin(), asleep.end(), "tag=" + std::to_string(curve) + " 1"), 1) << curve;
  }
}

TEST_F(DieShoeBody, DeckCutoutsOpenTheDeckOnlyWhereADeckIs) {
  struct Row {
    const char* what;
    double x0, y0, x1, y1;
    bool noted;
    std::initializer_list<Probe> probes;
  };
  const Row rows[] = {
      {"in the deck", -50, -50, 50, 50, false, {{0, 0, 235, false}, {100, 0, 235, true}}},
      {"beside every deck", 350, -50, 450, 50, true, {{0, 0, 235, true}, {400, 0, 20, true}}},
  };
  for (const Row& row : rows) {
    DieShoeBuilder* s = Shoe();
    Rectangle(s->GetDeckCutoutsSectionPtr(), row.x0, row.y0, row.x1, row.y1);
    Host::ClearCalls();
    const int body = Build(s);
    ExpectInside(body, row.probes, row.what);
    const auto notes = ArgsOf("ERROR_note");
    EXPECT_EQ(notes.size(), row.noted ? 1u : 0u) << row.what;
    if (row.noted && !notes.empty()) {
      EXPECT_EQ(notes[0], "Error building deck cutout intersection.");
    }
    s->destroy();
  }
}

TEST_F(DieShoeBody, TheSlotRunsAlongItsDirectionProjectedIntoTheBase) {
  DieShoeBuilder* s = Shoe(false);
  const double origin[3] = {0, 0, 0}, turned[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  s->GetBaseOrientation()->SetCoordinateSystemMatrix(turned);
  s->SetCenterlineSlotCreate(true);
  Set(s->GetCenterlineSlotWidth(), "40");
  Set(s->GetCenterlineSlotDepth(), "10");
  const double five = 5.0 * 3.14159265358979323846 / 180.0;
  const double along[3] = {std::sin(five), 0, std::cos(five)};
  s->GetCenterlineSlotDirection()->SetDirectionTo(origin, along);
  Host::ClearCalls();
  const int body = Build(s);
  const auto sheets = ArgsOf("DIEDES_UTILS__create_planar_sheet");
  ASSERT_EQ(sheets.size(), 1u);
  EXPECT_TRUE(Has(sheets[0], "points=[-500.2,-20,0;500.2,-20,0;500.2,20,0;-500.2,20,0]")) << sheets[0];
  ExpectInside(body, {{450, 0, 5, false}, {450, 30, 5, true}}, "the slot");
  s->destroy();
}

TEST_F(DieShoeBody, ATurnedShoeOnAMovedBaseKeepsTheVolumeAndTheAccuracy) {
  // Flange 1000 by 800, a deck 600 by 400 up to 250, built axis-aligned
  // and turned about Z on a base moved off the origin: the flange, the
  // deck's block above it, less the cavity inside the walls up to the deck.
  // A second deck, 160 by 300 beside the first, adds its block less its
  // cavity, and a cutout 80 by 100 wholly inside it opens its deck.
  const double pi = 3.14159265358979323846;
  struct Row {
    const char* what;
    double degrees, ox, oy, oz;
    double flange, wall, deck;
    bool second = false;
  } rows[] = {
      {"axis-aligned", 0, 0, 0, 0, 40, 20, 30},
      {"turned 30 degrees on a moved base", 30, 120, -75, 35, 40, 20, 30},
      {"turned 45 degrees", 45, 0, 0, 0, 40, 20, 30},
      {"thick walls, turned 30 degrees on a moved base", 30, -260, 410, -15, 45, 45, 45},
      {"a second deck with a cutout inside it, turned 30 degrees on a moved base", 30, 120, -75, 35, 40, 20, 30, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double want = 1000 * 800 * row.flange + 600 * 400 * (250 - row.flange) -
                        (600 - 2 * row.wall) * (400 - 2 * row.wall) * (250 - row.deck) +
                        (row.second ? 160 * 300 * (250 - row.flange) -
                                          (160 - 2 * row.wall) * (300 - 2 * row.wall) * (250 - row.deck) -
                                          80 * 100 * row.deck
                                    : 0);
    const double c = std::cos(row.degrees * pi / 180), s = std::sin(row.degrees * pi / 180);
    const double origin[3] = {row.ox, row.oy, row.oz}, matrix[9] = {c, s, 0, -s, c, 0, 0, 0, 1};
    // A point of the shoe's own frame in the part.
    auto place = [&](double x, double y, double z, double out[3]) {
      out[0] = row.ox + x * c - y * s;
      out[1] = row.oy + x * s + y * c;
      out[2] = row.oz + z;
    };
    DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* base = shoe->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    base->SetCoordinateSystemOrigin(origin);
    base->SetCoordinateSystemMatrix(matrix);
    shoe->SetDistanceTolerance(0.02);
    auto loop = [&](SC_section* section, double x0, double y0, double x1, double y1) {
      const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
      tag_t curves[4];
      for (int i = 0; i < 4; ++i) {
        double p[3];
        place(corners[i][0], corners[i][1], 0, p);
        curves[i] = ES_create_point(p);
      }
      section->add_loop(SC_section::kClosed, 4, curves);
    };
    loop(shoe->GetBaseFlangeSectionPtr(), -500, -400, 500, 400);
    loop(shoe->GetMainDeckSectionPtr(), -300, -200, 300, 200);
    if (row.second) {
      loop(shoe->GetMainDeckSectionPtr(), 320, -150, 480, 150);
      loop(shoe->GetDeckCutoutsSectionPtr(), 360, -50, 440, 50);
    }
    Set(shoe->GetFlangeThickness(), std::to_string(row.flange).c_str());
    Set(shoe->GetWallThickness(), std::to_string(row.wall).c_str());
    Set(shoe->GetDeckThickness(), std::to_string(row.deck).c_str());
    EXPECT_EQ(shoe->validate_nothrow(), 0);
    const int body = Build(shoe);
    EXPECT_NE(body, 0);
    if (body == 0) {
      shoe->destroy();
      continue;
    }
    const double k = Kernel::ScaleFactors().factors[1];
    EXPECT_NEAR(Kernel::Volume(body) * k * k * k / want, 1.0, 1e-6);
    struct Local {
      double x, y, z;
      bool in;
    } probes[] = {{0, 0, 250 - row.deck / 2, true},
                  {0, 0, 245 - row.deck, false},
                  {300 - row.wall / 2, 200 - row.wall / 2, 100, true},
                  {310, 0, 100, false},
                  {490, 390, row.flange / 2, true},
                  {490, 390, row.flange + 5, false},
                  {295 - row.wall, 195 - row.wall, 245 - row.deck, false}};
    for (const Local& p : probes) {
      double at[3];
      place(p.x, p.y, p.z, at);
      EXPECT_EQ(DieDesUtils::ContainmentOf(body, at) == Containment::In, p.in) << p.x << " " << p.y << " " << p.z;
    }
    // The blocks come with the modeller's 1e-7 m; each boolean may add half of it.
    EXPECT_LE(Kernel::Tolerance(body), 1e-6) << "the body's tolerance grew past its inputs'";
    shoe->destroy();
  }
}

TEST_F(DieShoeBody, ATurnedShoeWithCutoutsAndASlotHasTheVolumeOfTheAlignedOne) {
  const double pi = 3.14159265358979323846;
  struct Row {
    const char* what;
    double degrees, ox, oy, oz;
  } rows[] = {
      {"axis-aligned", 0, 0, 0, 0},
      {"turned 30 degrees on a moved base", 30, 120, -75, 35},
      {"turned 17 degrees on a moved base", 17, -40, 330, -20},
  };
  double aligned = 0;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const double c = std::cos(row.degrees * pi / 180), s = std::sin(row.degrees * pi / 180);
    const double origin[3] = {row.ox, row.oy, row.oz}, matrix[9] = {c, s, 0, -s, c, 0, 0, 0, 1};
    auto place = [&](double x, double y, double out[3]) {
      out[0] = row.ox + x * c - y * s;
      out[1] = row.oy + x * s + y * c;
      out[2] = row.oz;
    };
    DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    DieDes::DiePlaneBuilder* base = shoe->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    base->SetCoordinateSystemOrigin(origin);
    base->SetCoordinateSystemMatrix(matrix);
    shoe->SetDistanceTolerance(0.01);
    auto loop = [&](SC_section* section, double x0, double y0, double x1, double y1) {
      const double corners[4][2] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
      tag_t curves[4];
      for (int i = 0; i < 4; ++i) {
        double p[3];
        place(corners[i][0], corners[i][1], p);
        curves[i] = ES_create_point(p);
      }
      section->add_loop(SC_section::kClosed, 4, curves);
    };
    loop(shoe->GetBaseFlangeSectionPtr(), -500, -400, 500, 400);
    loop(shoe->GetMainDeckSectionPtr(), -300, -200, 300, 200);
    loop(shoe->GetDeckCutoutsSectionPtr(), 150, -50, 250, 50);
    loop(shoe->GetDeckCutoutsSectionPtr(), -250, -150, -150, 150);
    Set(shoe->GetFlangeThickness(), "45");
    Set(shoe->GetWallThickness(), "45");
    Set(shoe->GetDeckThickness(), "45");
    shoe->SetCenterlineSlotCreate(true);
    Set(shoe->GetCenterlineSlotWidth(), "50");
    Set(shoe->GetCenterlineSlotDepth(), "15");
    const double up[3] = {0, 0, 1};
    shoe->GetCenterlineSlotDirection()->SetDirectionTo(origin, up);
    const int body = Build(shoe);
    EXPECT_NE(body, 0);
    if (body == 0) {
      shoe->destroy();
      continue;
    }
    const double k = Kernel::ScaleFactors().factors[1];
    const double volume = Kernel::Volume(body) * k * k * k;
    if (aligned == 0) aligned = volume;
    EXPECT_NEAR(volume / aligned, 1.0, 1e-6);
    EXPECT_LE(Kernel::Tolerance(body), 1e-6) << "the body's tolerance grew past its inputs'";
    shoe->destroy();
  }
}

// The guard on the shoe as built (flange 1000 x 800 from 0 to 40, deck 600
// x 400 up to 250, its cavity 20 in from its sides up to 220), and on it
// with a block added above the deck or under the flange, a second solid in
// the cavity, or a crack: each found for what it is.
TEST_F(DieShoeBody, TheGuardFindsAShoeInPiecesBrokenOrPastItsFlangeAndDecks) {
  // A box in millimetres united with the body.
  auto add = [](int body, double x0, double y0, double x1, double y1, double z0, double z1) {
    const double up[3] = {0, 0, 1}, m = 0.001;
    int tool = 0;
    ASSERT_EQ(Kernel::MakeExtrusion({{x0 * m, y0 * m, 0, x1 * m, y0 * m, 0, x1 * m, y1 * m, 0, x0 * m, y1 * m, 0}}, up,
                                    z0 * m, z1 * m, false, &tool),
              0);
    ASSERT_EQ(Kernel::Combine(body, tool, false), 0);
    Kernel::DeleteBody(tool, "test");
  };
  struct Row {
    const char* what;
    std::function<void(int)> change;
    int judged;
  };
  const Row rows[] = {
      {"as built", [](int) {}, 0},
      {"a block over the deck's top", [&](int b) { add(b, -10, -10, 10, 10, 249, 251); }, 3030643},
      {"a block under the flange", [&](int b) { add(b, 350, -10, 370, 10, -1, 1); }, 3030643},
      {"a second solid in the cavity", [&](int b) { add(b, 0, 0, 10, 10, 100, 110); }, 3030641},
      {"a crack laid over a face",
       [](int b) {
         int cracked = 0;
         ASSERT_EQ(Kernel::CrackForTests(b, Kernel::WheelUnionForTests::FaceLaidOver, &cracked), 0);
         ASSERT_EQ(Kernel::TakeGeometry(b, cracked), 0);
       },
       3030642},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    DieShoeBuilder* s = Shoe();
    const int body = Build(s);
    if (body != 0) {
      row.change(body);
      EXPECT_EQ(s->JudgeBuiltShoe(body), row.judged);
    }
    s->destroy();
  }
}

// The die-design bodies that unite items bring are cut from the shoe; the
// tool bodies of subtract and intersect items are not: a 1000 by 800 by 40
// flange loses only the unite tool's 200 by 200 by 20 overlap.
// A unite item's die-design body that cuts the flange in two (a slab 10
// thick across it) leaves two solids: no shoe is built (3030641).
TEST_F(DieShoeBody, OnlyTheUniteItemsDieDesignBodiesAreCutOut) {
  // Boxes in kernel units (metres): x0, y0, x1, y1, z0, z1.
  auto box = [](double x0, double y0, double x1, double y1, double z0, double z1) {
    const double up[3] = {0, 0, 1};
    int body = 0;
    EXPECT_EQ(Kernel::MakeExtrusion({{x0, y0, 0, x1, y0, 0, x1, y1, 0, x0, y1, 0}}, up, z0, z1, false, &body), 0);
    return body;
  };
  struct Item {
    DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type type;
    int body;
  };
  struct Row {
    const char* what;
    std::vector<Item> items;
    int status;
    double volume;  // mm3
  };
  const Row rows[] = {
      {"a cut",
       {{DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Subtract, box(0.2, -0.05, 0.3, 0.05, 0.01, 0.03)},
        {DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite, box(-0.1, -0.1, 0.1, 0.1, -0.01, 0.02)},
        {DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Intersect, box(-0.3, 0.2, -0.2, 0.3, 0.0, 0.04)}},
       0,
       1000.0 * 800 * 40 - 200.0 * 200 * 20},
      {"a cut through the flange",
       {{DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Unite, box(-0.005, -0.5, 0.005, 0.5, -0.01, 0.05)}},
       3030641,
       0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    DieShoeBuilder* s = Shoe(false);
    for (const Item& item : row.items) {
      const double at[3] = {0, 0, 0};
      const tag_t tool = ES_create_point(at);
      DieBooleanBuilder* b = DieDes::DieBooleanBuilderFactory::Create(part());
      b->SetBooleanOptions(item.type);
      b->GetSelectBodies()->append(tool);
      OM::Object* appended = b;
      s->GetDieBooleansList()->append_items(1, &appended);
      s->GetTagSolvaneMap()->Insert(tool, item.body);
    }
    EXPECT_EQ(s->GetSolvaneDieDesignSubtractBodies(nullptr), 1);
    const int body = Build(s, row.status);
    EXPECT_EQ(body != 0, row.status == 0);
    if (body != 0) {
      const double k = Kernel::ScaleFactors().factors[1];
      EXPECT_NEAR(Kernel::Volume(body) * k * k * k, row.volume, 1e-3);
      ExpectInside(body, {{0, 0, 10, false}, {0, 0, 30, true}, {250, 0, 20, true}, {-250, 250, 20, true}}, "the cut");
    }
    s->destroy();
  }
}

// What the shoe's sweeps cannot stand on its flange, a flange of more points
// than a build may take, and loops that cannot give the body they describe
// fail validation, and a script's commit of them makes nothing; walls that
// leave a deck no room for a cavity fail the commit. The part is as it was
// after each. Edges within the tolerance (0.02) of each other touch.
TEST_F(DieShoeBody, DecksAndCutoutsOffTheFlangeTooManyFlangePointsAndWallsThatFillTheDeckAreRefused) {
  // An L: the flange less its corner x > 0, y > 0 (the reference flange is 1000 by 800).
  auto notched = [](DieShoeBody& t, DieShoeBuilder* s) {
    s->SetBaseFlangeSectionPtr(t.Fresh());
    t.Polygon(s->GetBaseFlangeSectionPtr(), {{-500, -400}, {500, -400}, {500, 0}, {0, 0}, {0, 400}, {-500, 400}});
  };
  // The reference flange with a V notch from its lower edge, 100 wide there
  // about x = at, its tip at (at, -100).
  auto vNotched = [](DieShoeBody& t, DieShoeBuilder* s, double at) {
    s->SetBaseFlangeSectionPtr(t.Fresh());
    t.Polygon(s->GetBaseFlangeSectionPtr(), {{-500, -400}, {at - 50, -400}, {at, -100}, {at + 50, -400}, {500, -400},
                                             {500, 400}, {-500, 400}});
  };
  // A regular polygon of n corners, radius 600, round the reference deck.
  auto ring = [](DieShoeBody& t, DieShoeBuilder* s, int n) {
    s->SetBaseFlangeSectionPtr(t.Fresh());
    std::vector<std::array<double, 2>> corners;
    for (int i = 0; i < n; ++i) {
      const double a = 2 * 3.14159265358979323846 * i / n;
      corners.push_back({600 * std::cos(a), 600 * std::sin(a)});
    }
    t.Polygon(s->GetBaseFlangeSectionPtr(), corners);
  };
  // The flange, or the one deck, made the polygon through the corners.
  auto flange = [](DieShoeBody& t, DieShoeBuilder* s, const std::vector<std::array<double, 2>>& corners) {
    s->SetBaseFlangeSectionPtr(t.Fresh());
    t.Polygon(s->GetBaseFlangeSectionPtr(), corners);
  };
  auto deck = [](DieShoeBody& t, DieShoeBuilder* s, const std::vector<std::array<double, 2>>& corners) {
    s->SetMainDeckSectionPtr(t.Fresh());
    t.Polygon(s->GetMainDeckSectionPtr(), corners);
  };
  // The reference flange with a notch from its top edge down to y = 300,
  // 2 wide there and as wide as given at its mouth, from x = 0.
  auto notch = [flange](DieShoeBody& t, DieShoeBuilder* s, double mouth) {
    flange(t, s, {{-500, -400}, {500, -400}, {500, 400}, {mouth, 400}, {1, 300}, {-1, 300}, {0, 400}, {-500, 400}});
  };
  // The deck plane through (0, 0, 250), its normal (-1/2, 0, 1) normed, with no offset.
  auto tilted = [](DieShoeBody& t, DieShoeBuilder* s, const char* flangeThickness) {
    DieDes::DiePlaneBuilder* plane = s->GetMainDeckPlane();
    plane->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const double c = 2 / std::sqrt(5.0), h = 1 / std::sqrt(5.0);
    const double origin[3] = {0, 0, 250}, matrix[9] = {c, 0, h, 0, 1, 0, -h, 0, c};
    plane->SetCoordinateSystemOrigin(origin);
    plane->SetCoordinateSystemMatrix(matrix);
    t.Set(s->GetMainDeckOffset(), "0");
    t.Set(s->GetFlangeThickness(), flangeThickness);
  };
  struct Row {
    const char* what;
    std::function<void(DieShoeBody&, DieShoeBuilder*)> change;
    int validation;
  };
  const Row rows[] = {
      {"the reference", [](DieShoeBody&, DieShoeBuilder*) {}, 0},
      {"a deck on the flange's edge, within the tolerance (0.02)",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), 300, -400, 500.02, 400); }, 0},
      {"a deck past the edge by exactly a tolerance of 0.25",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         s->SetDistanceTolerance(0.25);
         t.Rectangle(s->GetMainDeckSectionPtr(), 300, -400, 500.25, 400);
       },
       0},
      // Its sides stand 0.01 across the flange's lower edge: within the
      // tolerance they do not cross it.
      {"a deck 0.01 below the flange's lower edge",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         s->SetMainDeckSectionPtr(t.Fresh());
         t.Rectangle(s->GetMainDeckSectionPtr(), -300, -400.01, 300, 200);
       },
       0},
      {"a deck past the edge by more",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), 300, -400, 500.03, 400); },
       3030600},
      {"a deck wholly beside the flange",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), 600, -100, 900, 100); },
       3030600},
      {"a third deck across the flange's edge",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         t.Rectangle(s->GetMainDeckSectionPtr(), 350, -100, 450, 100);
         t.Rectangle(s->GetMainDeckSectionPtr(), -100, 350, 100, 450);
       },
       3030600},
      {"the deck on an L, round its notch",
       [notched](DieShoeBody& t, DieShoeBuilder* s) { notched(t, s); }, 3030600},
      {"a triangle over the notch of an L, its corners all on the flange",
       [notched](DieShoeBody& t, DieShoeBuilder* s) {
         notched(t, s);
         s->SetMainDeckSectionPtr(t.Fresh());
         t.Polygon(s->GetMainDeckSectionPtr(), {{-400, 350}, {450, -350}, {-400, -350}});
       },
       3030600},
      {"a triangle beside the notch",
       [notched](DieShoeBody& t, DieShoeBuilder* s) {
         notched(t, s);
         s->SetMainDeckSectionPtr(t.Fresh());
         t.Polygon(s->GetMainDeckSectionPtr(), {{-400, 350}, {-50, -350}, {-400, -350}});
       },
       0},
      // A V notch into the flange from its lower edge, 100 wide there, its tip
      // 300 in; a deck standing on that edge: the deck's corners and the
      // notch's corners on the other's edges (no edge crosses another), the
      // tip (0, -100) 300 inside the deck, which would be swept over nothing.
      {"a deck over a notch of the flange, its corners all on the flange",
       [vNotched](DieShoeBody& t, DieShoeBuilder* s) {
         vNotched(t, s, 0);
         s->SetMainDeckSectionPtr(t.Fresh());
         t.Rectangle(s->GetMainDeckSectionPtr(), -300, -400, 300, 200);
       },
       3030600},
      {"the same deck beside the notch",
       [vNotched](DieShoeBody& t, DieShoeBuilder* s) {
         vNotched(t, s, 400);
         s->SetMainDeckSectionPtr(t.Fresh());
         t.Rectangle(s->GetMainDeckSectionPtr(), -300, -400, 300, 200);
       },
       0},
      {"a cutout beside every deck, on the flange", [](DieShoeBody& t, DieShoeBuilder* s) {
         t.Rectangle(s->GetDeckCutoutsSectionPtr(), 350, -50, 450, 50);
       },
       0},
      {"a cutout off the flange",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetDeckCutoutsSectionPtr(), 450, -50, 550, 50); },
       3030601},
      {"a flange of 4096 points",
       [ring](DieShoeBody& t, DieShoeBuilder* s) { ring(t, s, 4096); }, 0},
      {"a flange of 4097 points",
       [ring](DieShoeBody& t, DieShoeBuilder* s) { ring(t, s, 4097); },
       3030603},
      {"a flange that crosses itself (a bow tie)",
       [flange](DieShoeBody& t, DieShoeBuilder* s) {
         flange(t, s, {{-500, -400}, {500, 400}, {500, -400}, {-500, 400}});
       },
       3030620},
      {"a flange of a figure eight, through (0, 0) twice",
       [flange](DieShoeBody& t, DieShoeBuilder* s) {
         flange(t, s, {{0, 0}, {500, -400}, {500, 400}, {0, 0}, {-500, 400}, {-500, -400}});
       },
       3030620},
      {"a flange whose notch narrows to the tolerance at its mouth",
       [notch](DieShoeBody& t, DieShoeBuilder* s) { notch(t, s, 0.02); }, 3030620},
      {"to 0.03", [notch](DieShoeBody& t, DieShoeBuilder* s) { notch(t, s, 0.03); }, 0},
      {"a flange with no area (its points on a line)",
       [flange](DieShoeBody& t, DieShoeBuilder* s) { flange(t, s, {{-500, 0}, {0, 0}, {500, 0}}); }, 3030621},
      {"a deck that crosses itself",
       [deck](DieShoeBody& t, DieShoeBuilder* s) { deck(t, s, {{-300, -200}, {300, 200}, {300, -200}, {-300, 200}}); },
       3030622},
      {"a deck whose top edge turns back along itself at (0, 200)",
       [deck](DieShoeBody& t, DieShoeBuilder* s) {
         deck(t, s, {{-300, -200}, {300, -200}, {300, 200}, {0, 200}, {100, 200}, {-300, 200}});
       },
       3030622},
      // 0.02 high over a 600 base: within the tolerance of one line.
      {"a deck as flat as the tolerance",
       [deck](DieShoeBody& t, DieShoeBuilder* s) { deck(t, s, {{-300, 0}, {300, 0}, {0, 0.02}}); }, 3030623},
      {"a deck 0.03 high", [deck](DieShoeBody& t, DieShoeBuilder* s) { deck(t, s, {{-300, 0}, {300, 0}, {0, 0.03}}); },
       0},
      {"a cutout that crosses itself",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         t.Polygon(s->GetDeckCutoutsSectionPtr(), {{150, -50}, {250, 50}, {250, -50}, {150, 50}});
       },
       3030624},
      {"a cutout with no area",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         t.Polygon(s->GetDeckCutoutsSectionPtr(), {{150, 0}, {200, 0}, {250, 0}});
       },
       3030625},
      {"a second deck across the first's edge",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), 200, -100, 450, 100); },
       3030626},
      {"a second deck across the first like a plus, no corner or edge's middle of either inside the other",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         s->SetMainDeckSectionPtr(t.Fresh());
         t.Rectangle(s->GetMainDeckSectionPtr(), -300, -50, 300, 50);
         t.Rectangle(s->GetMainDeckSectionPtr(), 100, -100, 200, 300);
       },
       3030626},
      {"a second deck within the first",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), -100, -100, 100, 100); },
       3030626},
      {"the same deck twice",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), -300, -200, 300, 200); },
       3030626},
      {"a second deck beside the first, over its edge by the tolerance",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), 299.98, -200, 450, 200); }, 0},
      {"over it by 0.03",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetMainDeckSectionPtr(), 299.97, -200, 450, 200); },
       3030626},
      {"a cutout larger than its deck",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetDeckCutoutsSectionPtr(), -400, -300, 400, 300); },
       3030627},
      {"a cutout out to its deck's edge, within the tolerance",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetDeckCutoutsSectionPtr(), 250, -50, 300.02, 50); }, 0},
      {"a cutout past it by 0.03",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Rectangle(s->GetDeckCutoutsSectionPtr(), 250, -50, 300.03, 50); },
       3030627},
      // The deck's top is at 250.
      {"a flange higher than the decks' top",
       [](DieShoeBody& t, DieShoeBuilder* s) { t.Set(s->GetFlangeThickness(), "300"); }, 3030628},
      // Binary fractions, so that 250 less the flange is the tolerance exactly.
      {"a flange up to the tolerance (1/32) below the top",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         s->SetDistanceTolerance(0.03125);
         t.Set(s->GetFlangeThickness(), "249.96875");
       },
       3030628},
      {"a flange 1/16 below it",
       [](DieShoeBody& t, DieShoeBuilder* s) {
         s->SetDistanceTolerance(0.03125);
         t.Set(s->GetFlangeThickness(), "249.9375");
       },
       0},
      // The plane z = 250 + x/2 (normal (-1/2, 0, 1)): 100 over the deck's
      // corners at x = -300, 400 over those at x = 300, 250 over its middle.
      {"a deck plane tilted down to 100 over the deck's low corners, on a flange of 120",
       [tilted](DieShoeBody& t, DieShoeBuilder* s) { tilted(t, s, "120"); }, 3030628},
      {"on a flange of 80", [tilted](DieShoeBody& t, DieShoeBuilder* s) { tilted(t, s, "80"); }, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    DieShoeBuilder* s = Shoe();
    row.change(*this, s);
    EXPECT_EQ(s->validate_nothrow(), row.validation);
    if (row.validation != 0) {
      const int features = Counted<FEATURE_RECORD>(), solids = Counted<ES_solid>(), live = LiveBodies();
      tag_t made = 7;
      EXPECT_EQ(Script::Builder_Commit(s, &made), row.validation);
      EXPECT_EQ(made, 0u);
      EXPECT_EQ(Counted<FEATURE_RECORD>(), features);
      EXPECT_EQ(Counted<ES_solid>(), solids);
      EXPECT_EQ(LiveBodies(), live);
    }
    s->destroy();
  }

  // The deck is 400 wide: walls of 195 leave a cavity 10 wide, walls of
  // 200 none. A T-shaped deck (a bar 400 x 100 on a stem 12 wide and 200
  // long; outline 1400 long, 42400 in area) hollowed by walls of w leaves a
  // cavity of 42400 - 1400 w + 4 w^2, 220 high: a deck the modeller cannot
  // offset (walls of 5.8, 6.01: the bar alone would leave 388 x 88) is
  // refused for that, not for its walls. The refused build leaves no body
  // but the caches'. Flange 1000 x 800 x 40, deck up to 250.
  struct WallRow {
    const char* wall;
    int shape;  // 0 the 600 x 400 deck, 1 the T-shaped one, 2 an L of arms 30 round 400 x 400
    int status;
    double volume;  // mm3
  };
  const WallRow wallRows[] = {
      {"195", 0, 0, 3.2e7 + 600.0 * 400 * 210 - 210.0 * 10 * 220},
      {"200", 0, 3030602, 0},
      {"3", 1, 0, 3.2e7 + 42400.0 * 210 - (42400 - 1400 * 3 + 4 * 9) * 220.0},
      {"5", 1, 0, 3.2e7 + 42400.0 * 210 - (42400 - 1400 * 5 + 4 * 25) * 220.0},
      {"5.8", 1, 3030634, 0},
      {"6.01", 1, 3030634, 0},
      // The L of arms 30: the modeller offsets it by none of these walls.
      // Walls of 14.9 leave the arms a cavity 0.2 wide, walls of 17.5 leave
      // one only in the corner where the arms meet (its point farthest from
      // the sides, (-182.43, -182.43), lies 200 - 182.43 = 17.57 from the
      // outer sides and as far from the inner corner), walls of 17.6 leave
      // none: those are refused for the walls, the others for the offset.
      {"14.9", 2, 3030634, 0},
      {"17.5", 2, 3030634, 0},
      {"17.6", 2, 3030602, 0},
  };
  for (const WallRow& row : wallRows) {
    const char* wall = row.wall;
    SCOPED_TRACE(wall);
    DieShoeBuilder* s = Shoe(row.shape == 0);
    if (row.shape == 1)
      Polygon(s->GetMainDeckSectionPtr(),
              {{-6, -200}, {6, -200}, {6, 0}, {200, 0}, {200, 100}, {-200, 100}, {-200, 0}, {-6, 0}});
    if (row.shape == 2)
      Polygon(s->GetMainDeckSectionPtr(), {{-200, -200}, {200, -200}, {200, -170}, {-170, -170}, {-170, 200}, {-200, 200}});
    Set(s->GetWallThickness(), wall);
    EXPECT_EQ(s->validate_nothrow(), 0);
    const int before = LiveBodies();
    const bool refused = row.status != 0;
    const int body = Build(s, row.status);
    if (body != 0) {
      EXPECT_NEAR(Kernel::Volume(body) * 1e9 / row.volume, 1.0, 1e-9);
    }
    const int cached = 1 + s->GetNumberSolvaneMainDecks() + s->GetNumberSolvaneMainDeckIntersections() +
                       s->GetNumberSolvaneMainDeckSubtractions();
    EXPECT_EQ(s->GetNumberSolvaneMainDeckSubtractions(), refused ? 0 : 1);
    EXPECT_EQ(LiveBodies(), before + cached + (refused ? 0 : 1));
    s->destroy();
  }

  // Committed as the host commits a new feature, through the body maker:
  // the refused commit leaves the part as it was.
  DIEENG_register_body_maker("KTX::DieDes::DieShoe", &MakeBody);
  for (const char* wall : {"200", "195"}) {
    SCOPED_TRACE(wall);
    DieShoeBuilder* s = Shoe();
    Set(s->GetWallThickness(), wall);
    const int features = Counted<FEATURE_RECORD>(), solids = Counted<ES_solid>(), live = LiveBodies();
    const bool refused = std::string(wall) == "200";
    EXPECT_EQ(s->commit(), refused ? 3030602 : 0);
    EXPECT_EQ(Counted<FEATURE_RECORD>(), features + (refused ? 0 : 1));
    EXPECT_EQ(Counted<ES_solid>(), solids + (refused ? 0 : 1));
    EXPECT_EQ(LiveBodies(), live + (refused ? 0 : 1));
    s->destroy();
  }
  DIEENG_register_body_maker("KTX::DieDes::DieShoe", nullptr);
}

TEST_F(DieShoeBody, AnAbortStopsAfterTheToolInHandAndDeletesTheRest) {
  DieShoeBuilder* s = Shoe();
  Rectangle(s->GetMainDeckSectionPtr(), 320, -200, 450, 200);
  // Queries: the start, three loop updates, before the decks, then one
  // after each tool.
  Abort::SetOnFromQuery(6);
  Host::ClearCalls();
  const int before = LiveBodies();
  const int body = Build(s, 66);
  ASSERT_NE(body, 0);
  EXPECT_EQ(Calls("DIEDES_UTILS__unite_tool_to_target"), 1u);
  EXPECT_EQ(Calls("DIEDES_UTILS__subtract_tool_from_target"), 0u);
  // Alive beyond the caches: the partly built copy alone.
  const int cached = 1 + s->GetNumberSolvaneMainDecks() + s->GetNumberSolvaneMainDeckIntersections() +
                     s->GetNumberSolvaneMainDeckSubtractions();
  EXPECT_EQ(LiveBodies(), before + cached + 1);
  s->destroy();
}

}  // namespace

namespace {

// ---- as an object-manager class -----------------------------------------------------

class DieShoeClass : public stamvik_test::HostTest {};

TEST_F(DieShoeClass, LoopTagsGrowOnlyByAppendingAtTheEnd) {
  DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);

  EXPECT_EQ(RaisedCode([&] { shoe->SetMainDeckLoopTag(1, 501); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { shoe->SetMainDeckLoopTag(-1, 501); }), Error::kIndexOutOfRange);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 0);
  EXPECT_EQ(RaisedCode([&] { shoe->GetMainDeckLoopTag(0); }), Error::kIndexOutOfRange);

  shoe->SetMainDeckLoopTag(0, 501);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 1);
  EXPECT_EQ(shoe->GetMainDeckLoopTag(0), 501u);
  shoe->SetMainDeckLoopTag(1, 502);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 2);
  EXPECT_EQ(shoe->GetMainDeckLoopTag(1), 502u);

  EXPECT_EQ(RaisedCode([&] { shoe->SetMainDeckLoopTag(3, 503); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { shoe->SetMainDeckLoopTag(-1, 503); }), Error::kIndexOutOfRange);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 2);
  EXPECT_EQ(shoe->GetMainDeckLoopTag(0), 501u);
  EXPECT_EQ(shoe->GetMainDeckLoopTag(1), 502u);
  EXPECT_EQ(RaisedCode([&] { shoe->GetMainDeckLoopTag(2); }), Error::kIndexOutOfRange);

  // Overwriting inside the array logs the array and keeps its length.
  Host::ClearCalls();
  shoe->SetMainDeckLoopTag(0, 511);
  EXPECT_EQ(Host::CountCalls("OM__log_array"), 1u);
  EXPECT_EQ(Host::CountCalls("OM_set_array_length"), 0u);
  EXPECT_EQ(shoe->GetMainDeckLoopTag(0), 511u);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 2);

  // The cutout curves are a separate array under the same rule.
  shoe->SetDeckCutoutLoopTag(0, 601);
  EXPECT_EQ(RaisedCode([&] { shoe->SetDeckCutoutLoopTag(2, 602); }), Error::kIndexOutOfRange);
  EXPECT_EQ(shoe->GetNumberDeckCutoutLoopTags(), 1);
  EXPECT_EQ(shoe->GetDeckCutoutLoopTag(0), 601u);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 2);

  shoe->SetNumberMainDeckLoopTags(0);
  EXPECT_EQ(shoe->GetNumberMainDeckLoopTags(), 0);
  shoe->destroy();
}

TEST_F(DieShoeClass, BodyCachesAndWarningsFollowTheSameIndexRule) {
  DieShoeBuilder* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);

  shoe->SetSolvaneMainDeck(0, 71);
  shoe->SetSolvaneMainDeck(1, 72);
  EXPECT_EQ(RaisedCode([&] { shoe->SetSolvaneMainDeck(3, 73); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { shoe->SetSolvaneMainDeck(-1, 73); }), Error::kIndexOutOfRange);
  EXPECT_EQ(shoe->GetNumberSolvaneMainDecks(), 2);
  EXPECT_EQ(shoe->GetSolvaneMainDeck(1), 72);
  EXPECT_EQ(RaisedCode([&] { shoe->GetSolvaneMainDeck(2); }), Error::kIndexOutOfRange);
  EXPECT_EQ(shoe->GetNumberSolvaneMainDeckIntersections(), 0);
  EXPECT_EQ(RaisedCode([&] { shoe->GetSolvaneDeckCutout(0); }), Error::kIndexOutOfRange);

  shoe->SetNumberSolvaneDeckCutoutIntersections(3);
  shoe->SetSolvaneDeckCutoutIntersection(2, 90);
  EXPECT_EQ(shoe->GetNumberSolvaneDeckCutoutIntersections(), 3);
  EXPECT_EQ(shoe->GetSolvaneDeckCutoutIntersection(0), 0);
  EXPECT_EQ(shoe->GetSolvaneDeckCutoutIntersection(2), 90);

  // A warning is recorded once however often it is met.
  shoe->SetWarningNumber(670443);
  shoe->SetWarningNumber(3030173);
  shoe->SetWarningNumber(670443);
  ASSERT_EQ(shoe->GetWarningNumbersLength(), 2);
  EXPECT_EQ(shoe->GetWarningNumbers(0), 670443);
  EXPECT_EQ(shoe->GetWarningNumbers(1), 3030173);
  EXPECT_EQ(RaisedCode([&] { shoe->SetWarningNumbers(3, 1070013); }), Error::kIndexOutOfRange);
  EXPECT_EQ(shoe->GetWarningNumbersLength(), 2);
  shoe->SetWarningNumbers(2, 1070013);
  EXPECT_EQ(shoe->GetWarningNumbers(2), 1070013);
  shoe->destroy();
}

}  // namespace

namespace {

using namespace stamvik_test::lists;

// ---- as a scripting class -------------------------------------------------------------

class DieShoeSetUp : public stamvik_test::ScriptingClassSetUp {};
class DieShoeScripting : public stamvik_test::DieToolBuilders {};
class DieShoeDefaults : public stamvik_test::DieToolBuilderDefaults {};
class DieShoePrint : public stamvik_test::DieToolBuilderPrint {};
class DieShoeOwners : public stamvik_test::DieToolBuilderOwners {};

TEST_F(DieShoeSetUp, DieShoeInItsOrderWithItsDefaultsFunction) {
  std::vector<std::string> deps = {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder", "Die.DiePlaneBuilder",
                                   "Expression", "ObjectList", "Section"};
  std::vector<std::string> calls = SetUpClass("Die.DieShoeBuilder", deps);
  SKIP_WHEN_SET_UP(calls);
  std::vector<std::string> expected =
      std::vector<std::string>{"FileInitializer::Initialize Die.DieShoeBuilder"} +
      Prefixed("FileInitializer::Initialize ", deps) +
      Prefixed("JAM_lookup_or_create_class ", {"Die.DieAttributesBuilder", "Die.DieDirectionBuilder",
                                               "Die.DiePlaneBuilder", "Expression", "Features.FeatureBuilder",
                                               "Section"}) +
      std::vector<std::string>{
          "JAM_lookup_or_create_template_class Die.DieBooleanBuilderList ObjectList Die.DieBooleanBuilder",
          "JAM_create_class Die.DieShoeBuilder Features.FeatureBuilder",
          "JAM_test_register_print_fn Die.DieShoeBuilder",
          "JAM_register_initialisation_function Die.DieShoeBuilder",
      } +
      Prefixed("JAM_declare_ptr_property_accessor Die.DieShoeBuilder ",
               {"BaseAttributes 0 1", "BaseFlangeSection 0 1", "BaseOrientation 0 1", "CenterlineSlotAttributes 0 1",
                "CenterlineSlotDepth 0 1", "CenterlineSlotDirection 0 1", "CenterlineSlotWidth 0 1",
                "DeckCutoutsSection 0 1", "DeckThickness 0 1", "DieBooleansList 0 1", "FlangeThickness 0 1",
                "MainDeckAttributes 0 1", "MainDeckOffset 0 1", "MainDeckPlane 0 1", "MainDeckSection 0 1",
                "WallThickness 0 1"});
  EXPECT_EQ(calls, expected);
}

// Each scripting member reaches the die shoe's own field: six expressions,
// three sections, three attribute sub-builders and two planes, all different.
TEST_F(DieShoeScripting, EachDieShoeMemberReachesItsOwnField) {
  const stamvik_test::MemberRow<DieShoeBuilder, EXP_expression*> expressions[] = {
      {"main_deck_offset", XJA_DIE_SHOE_BUILDER_get_main_deck_offset, &DieShoeBuilder::GetMainDeckOffset},
      {"centerline_slot_depth", XJA_DIE_SHOE_BUILDER_get_centerline_slot_depth, &DieShoeBuilder::GetCenterlineSlotDepth},
      {"centerline_slot_width", XJA_DIE_SHOE_BUILDER_get_centerline_slot_width, &DieShoeBuilder::GetCenterlineSlotWidth},
      {"flange_thickness", XJA_DIE_SHOE_BUILDER_get_flange_thickness, &DieShoeBuilder::GetFlangeThickness},
      {"wall_thickness", XJA_DIE_SHOE_BUILDER_get_wall_thickness, &DieShoeBuilder::GetWallThickness},
      {"deck_thickness", XJA_DIE_SHOE_BUILDER_get_deck_thickness, &DieShoeBuilder::GetDeckThickness}};
  stamvik_test::ExpectMembersReachTheirFields(shoe_, expressions);
  const stamvik_test::MemberRow<DieShoeBuilder, SC_section*> sections[] = {
      {"base_flange_section", XJA_DIE_SHOE_BUILDER_get_base_flange_section, &DieShoeBuilder::GetBaseFlangeSectionPtr},
      {"main_deck_section", XJA_DIE_SHOE_BUILDER_get_main_deck_section, &DieShoeBuilder::GetMainDeckSectionPtr},
      {"deck_cutouts_section", XJA_DIE_SHOE_BUILDER_get_deck_cutouts_section, &DieShoeBuilder::GetDeckCutoutsSectionPtr}};
  stamvik_test::ExpectMembersReachTheirFields(shoe_, sections);
  const stamvik_test::MemberRow<DieShoeBuilder, DieDes::DieAttributesBuilder*> attributes[] = {
      {"centerline_slot_attributes", XJA_DIE_SHOE_BUILDER_get_centerline_slot_attributes, &DieShoeBuilder::GetCenterlineSlotAttributes},
      {"main_deck_attributes", XJA_DIE_SHOE_BUILDER_get_main_deck_attributes, &DieShoeBuilder::GetMainDeckAttributes},
      {"base_attributes", XJA_DIE_SHOE_BUILDER_get_base_attributes, &DieShoeBuilder::GetBaseAttributes}};
  stamvik_test::ExpectMembersReachTheirFields(shoe_, attributes);
  const stamvik_test::MemberRow<DieShoeBuilder, DieDes::DiePlaneBuilder*> planes[] = {
      {"base_orientation", XJA_DIE_SHOE_BUILDER_get_base_orientation, &DieShoeBuilder::GetBaseOrientation},
      {"main_deck_plane", XJA_DIE_SHOE_BUILDER_get_main_deck_plane, &DieShoeBuilder::GetMainDeckPlane}};
  stamvik_test::ExpectMembersReachTheirFields(shoe_, planes);
}

TEST_F(DieShoeScripting, DieShoeSlotEightJournalledOrNot) {
  auto* journalled = static_cast<Die_DieShoeBuilder_Interface*>(
      JAM::ClassInitializer::GetJournalledInterface("Die.DieShoeBuilder"));
  auto* unjournalled = static_cast<Die_DieShoeBuilder_Interface*>(
      JAM::ClassInitializer::GetUnjournalledInterface("Die.DieShoeBuilder"));
  ASSERT_NE(journalled, nullptr);
  ASSERT_NE(unjournalled, nullptr);

  EXPECT_EQ(unjournalled->SetCenterlineSlotCreate(shoe_, true), 0);
  EXPECT_TRUE(shoe_->GetCenterlineSlotCreate());
  EXPECT_TRUE(JAM::Recorded().empty());

  EXPECT_EQ(journalled->SetCenterlineSlotCreate(shoe_, false), 0);
  EXPECT_FALSE(shoe_->GetCenterlineSlotCreate());
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  const JAM::Record& r = JAM::Recorded()[0];
  EXPECT_EQ(r.journalClass, "Die.DieShoeBuilder");
  EXPECT_EQ(r.member, "CenterlineSlotCreate");
  EXPECT_EQ(r.methodType, 2);
  EXPECT_EQ(r.values.at(0).name, "centerlineslotcreate");
  EXPECT_EQ(r.values.at(0).integer, 0);
}

TEST_F(DieShoeScripting, DieShoeTolerancesStoreZeroAndNegativeValuesAsGiven) {
  for (double value : {0.0, -0.5}) {
    ASSERT_EQ(XJA_DIE_SHOE_BUILDER_set_distance_tolerance(shoe_, value), 0);
    double read = 1;
    ASSERT_EQ(XJA_DIE_SHOE_BUILDER_get_distance_tolerance(shoe_, &read), 0);
    EXPECT_EQ(read, value);
  }
  EXPECT_EQ(JAM::Recorded().at(0).member, "DistanceTolerance");
  EXPECT_EQ(JAM::Recorded().at(0).values.at(0).name, "distancetolerance");
}

TEST_F(DieShoeDefaults, DieShoeOnlyVisitsItsSubObjects) {
  std::string t = TagOf(shoe_);
  EXPECT_TRUE(Apply("Die.DieShoeBuilder", shoe_, true).empty());
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{"OM__log tag=" + t,
                                                  "JAM_traverse_builder_objects Die.DieShoeBuilder " + t + " 1",
                                                  "OM__log tag=" + t}));
  EXPECT_FALSE(shoe_->DefaultsInProgress());

  Host::SetAnswer("needs_defaults", 0);
  part()->SetUnitCode(1);
  EXPECT_TRUE(Apply("Die.DieShoeBuilder", shoe_, false).empty());
  EXPECT_EQ(JamCalls(), (std::vector<std::string>{"needs_defaults 0", "OM__log tag=" + t,
                                                  "JAM_traverse_builder_objects Die.DieShoeBuilder " + t + " 0",
                                                  "OM__log tag=" + t}));
  EXPECT_FALSE(shoe_->DefaultsInProgress());
  EXPECT_TRUE(JAM::Recorded().empty());
}

TEST_F(DieShoePrint, DieShoePrintsExpressionsTheLogicalAndTolerancesOnly) {
  shoe_->SetDistanceTolerance(0.125);
  shoe_->SetAngleTolerance(0.5);
  std::string t = TagOf(shoe_);
  std::vector<std::string> expected =
      std::vector<std::string>{"tag_start " + t + " b 1"} + Expressions({{"MainDeckOffset", shoe_->GetMainDeckOffset()}}) +
      std::vector<std::string>{"logical_prop GetCenterlineSlotCreate centerlineSlotCreate=" +
                               std::to_string(shoe_->GetCenterlineSlotCreate() ? 1 : 0)} +
      Expressions({{"CenterlineSlotDepth", shoe_->GetCenterlineSlotDepth()},
                   {"CenterlineSlotWidth", shoe_->GetCenterlineSlotWidth()},
                   {"FlangeThickness", shoe_->GetFlangeThickness()},
                   {"WallThickness", shoe_->GetWallThickness()},
                   {"DeckThickness", shoe_->GetDeckThickness()}}) +
      std::vector<std::string>{"double_prop GetDistanceTolerance distanceTolerance=0.125",
                               "double_prop GetAngleTolerance angleTolerance=0.5"} +
      Tail(shoe_, "Die.DieShoeBuilder");
  EXPECT_EQ(Printed("Die.DieShoeBuilder", shoe_), expected);
}

TEST_F(DieShoeOwners, DieShoeListsNineteenAndWritesThree) {
  Property::Owner* owner = OwnerOf("Die.DieShoeBuilder");
  ASSERT_NE(owner, nullptr);
  Property::List list;
  owner->GetProperties(shoe_, list);
  ASSERT_GT(list.GetCount(), 19);
  std::vector<std::string> names = Names(list, 19);
  EXPECT_EQ(names.front(), "BaseOrientation");
  EXPECT_EQ(names[11], "DieBooleansList");
  EXPECT_EQ(names.back(), "AngleTolerance");
  EXPECT_STREQ(list.GetNameByIndex(19), "Editing");
  EXPECT_EQ(ClassOf(list.GetProperty("DieBooleansList")), "Die.DieBooleanBuilderList");
  EXPECT_EQ(list.GetProperty("DieBooleansList")->GetSubobject(), shoe_->GetDieBooleansList());

  JAM::ClearJournal();
  owner->SetProperties(shoe_, list);
  std::vector<std::string> members;
  for (const JAM::Record& r : JAM::Recorded()) members.push_back(r.member);
  EXPECT_EQ(members, (std::vector<std::string>{"CenterlineSlotCreate", "DistanceTolerance", "AngleTolerance"}));

  OwnerRecorder& parent = RecordParent();
  ValuePtr value = Property::MakeDouble(3.0);
  EXPECT_EQ(owner->SetProperty(shoe_, "main_deck_offset", value.get()), Property::kUnknownProperty);
  EXPECT_EQ(parent.requests, std::vector<std::string>{"SetProperty main_deck_offset"});
}

}  // namespace
