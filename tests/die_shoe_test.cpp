// The die shoe: its validation, its parameters written and read back with
// its boolean list, and its commit with the booleans made as features.
#include <functional>
#include <string>
#include <vector>

#include "DieDes_DieShoeBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/BooleanFeatures.hpp"
#include "afl/DieShoeParms.hpp"
#include "geom/Sketch.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDes::DieBooleanBuilder;
using KTX::DieDes::DieShoeBuilder;

namespace {

using Kernel::BodyType;

class DieShoeTest : public stamvik_test::DieDesignFeature {
 public:
  // For the rows of a table.
  using DieDesignFeature::ClosedLoop;
  using DieDesignFeature::OpenLoop;
  using DieDesignFeature::Set;

 protected:
  void TearDown() override {
    // The shoes' own solids are the part's: given back to the kernel as the
    // part goes.
    for (tag_t t : Host::KeptInPart(part()))
      if (auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t)))
        if (dynamic_cast<const DieDes::DieShoe*>(frec->ask_parms()) != nullptr)
          Kernel::DeleteBody(Kernel::DetachModelBody(frec->ask_body_eid()), "test");
    DieDesignFeature::TearDown();
  }

  // A valid shoe: the base plane through the origin, Z up, one closed
  // flange loop, tolerance 0.01.
  DieShoeBuilder* Shoe() {
    DieShoeBuilder* s = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
    SetFrame(s->GetBaseOrientation(), 0.0, 1.0);
    ClosedLoop(s->GetBaseFlangeSectionPtr());
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
         t.ClosedLoop(s->GetMainDeckSectionPtr());
         t.Set(s->GetDeckThickness(), "30");
         t.Set(s->GetMainDeckOffset(), "30.005");
       },
       3030397},
      {"deck offset past them",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         t.ClosedLoop(s->GetMainDeckSectionPtr());
         t.Set(s->GetDeckThickness(), "30");
         t.Set(s->GetMainDeckOffset(), "30.02");
       },
       0},
      {"deck plane facing down, offset along its own normal",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         t.ClosedLoop(s->GetMainDeckSectionPtr());
         SetFrame(s->GetMainDeckPlane(), 100, -1);
         t.Set(s->GetMainDeckOffset(), "60");  // down to 40, below the 45 of the deck
       },
       3030397},
      {"deck plane facing up, lifted", [](DieShoeTest& t, DieShoeBuilder* s) {
         t.ClosedLoop(s->GetMainDeckSectionPtr());
         SetFrame(s->GetMainDeckPlane(), 100, 1);
         t.Set(s->GetMainDeckOffset(), "-50");  // 50, above the 45 of the deck
       },
       0},
      {"open cutout loop", [](DieShoeTest& t, DieShoeBuilder* s) { t.OpenLoop(s->GetDeckCutoutsSectionPtr()); },
       3030398},
      {"slot without depth",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         s->SetCenterlineSlotCreate(true);
         t.Set(s->GetCenterlineSlotDepth(), "0");
       },
       3030399},
      {"slot depth at the tolerance",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         s->SetCenterlineSlotCreate(true);
         t.Set(s->GetCenterlineSlotDepth(), "0.01");
       },
       3030399},
      {"slot depth just above it",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         s->SetCenterlineSlotCreate(true);
         t.Set(s->GetCenterlineSlotDepth(), "0.0100001");
       },
       0},
      {"slot without width",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         s->SetCenterlineSlotCreate(true);
         t.Set(s->GetCenterlineSlotWidth(), "0");
       },
       3030400},
      {"slot width at the tolerance",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         s->SetCenterlineSlotCreate(true);
         t.Set(s->GetCenterlineSlotWidth(), "0.01");
       },
       3030400},
      {"slot width just above it",
       [](DieShoeTest& t, DieShoeBuilder* s) {
         s->SetCenterlineSlotCreate(true);
         t.Set(s->GetCenterlineSlotWidth(), "0.0100001");
       },
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

TEST_F(DieShoeTest, ANewShoeKeepsItsUnitesAndMakesEveryBoolean) {
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
  ASSERT_EQ(parms->GetDieShoeBooleanTypes()->AskCount(), 1);
  EXPECT_EQ(parms->GetDieShoeBooleanTypes()->AskInt(0), 0);
  ASSERT_EQ(parms->GetNumDieShoeBooleanItems(), 1);
  EXPECT_EQ(parms->GetNthDieShoeBooleanItem(0)->AskTag(0), a);
  EXPECT_EQ(parms->GetNthDieShoeBooleanItem(0)->AskCount(), 1);

  const auto made = ArgsOf("JAUTL_BOOLEAN__create_boolean_feature");
  ASSERT_EQ(made.size(), 2u);
  EXPECT_TRUE(Has(made[0], "type=0")) << made[0];
  EXPECT_TRUE(Has(made[1], "type=1")) << made[1];
  EXPECT_EQ(BooleanFeatures(), 2);
  EXPECT_FALSE(DieDesUtils::CurrentState().toleranceDerive);

  // Both temporary builders handed over, the pruned one first, and gone.
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

  // Read back by an edit: the inputs, the slot's attributes and the unite alone.
  DieShoeBuilder* edit = DieDes::DieShoeBuilderFactory::Create(modelPart(), frec);
  EXPECT_EQ(edit->GetMainDeckSection(), s->GetMainDeckSection());
  EXPECT_EQ(edit->GetMainDeckOffset(), s->GetMainDeckOffset());
  EXPECT_EQ(edit->GetDistanceTolerance(), 0.01);
  EXPECT_STREQ(edit->GetCenterlineSlotAttributes()->GetFirstText(), "SLOT");
  ASSERT_EQ(edit->GetDieBooleansList()->size(), 1);
  auto* item = dynamic_cast<DieBooleanBuilder*>(edit->GetDieBooleansList()->ask_item(0));
  ASSERT_NE(item, nullptr);
  EXPECT_EQ(item->GetSelectBodies()->ask_nth(0), a);
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
    for (int i = 0; i < 6; ++i) {
      const EXP_expression* e = parms->AskEntityExpression(6, i);
      EXPECT_EQ(e == nullptr ? -1.0 : EXP_ask_value_of_exp(e), v.numbers[i]) << "expression " << i;
    }
    EXPECT_EQ(parms->AskEntityInt(7, 0), v.slot ? 1 : 0);
    EXPECT_EQ(parms->GetDistanceTolerance(), v.distance);
    EXPECT_EQ(parms->GetAngleTolerance(), v.angle);
    for (int i = 0; i < 3; ++i) {
      SCOPED_TRACE(v.first[i]);
      DieAttributesRecord* record = parms->AskShoeAttributes(i);
      ASSERT_NE(record, nullptr);
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

TEST_F(DieShoeTest, AFailingBooleanUndoesTheBooleansBeforeIt) {
  const tag_t a = ModelBody(BodyType::Solid);
  const tag_t b = ModelBody(BodyType::Solid);
  DieShoeBuilder* s = Shoe();
  AddItem(s, 0, {a});
  AddItem(s, 1, {b});
  Host::SetAnswer("JAUTL_BOOLEAN__create_boolean_feature.type1", 640001);
  int rc = 0;
  Commit(s, &rc);
  EXPECT_EQ(rc, 640001);
  EXPECT_EQ(BooleanFeatures(), 0);
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
    Host::ClearAnswers();
    if (row.suppression != nullptr) Host::SetAnswer(std::string(row.suppression) + "." + tag, 1);
    DieShoeBuilder* edit = DieDes::DieShoeBuilderFactory::Create(modelPart(), frec);
    edit->set_mode(row.mode);
    Host::ClearCalls();
    FEATURE_RECORD* again = frec;
    EXPECT_EQ(edit->commit_feature(&again), 0) << row.what;
    const auto updates = ArgsOf("UPDATE_do_update_no_message");
    ASSERT_EQ(updates.size(), row.update ? 1u : 0u) << row.what;
    if (row.update) {
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

}  // namespace
