// The stand-in host's parts, feature records, parameter objects, extraction
// table, expressions, selections and geometry as the die-design builders
// rely on them.
#include <cstddef>
#include <cstring>
#include <string>

#include "TestSupport.hpp"
#include "afl/DieAttributes.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "om/HostClass.hpp"
#include "sel/Selection.hpp"
#include "sys/Settings.hpp"
#include "sys/Text.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using stamvik_test::HostTest;

namespace {

// A builder that owns one selection through a registered reference and
// counts what it is told.
class Owner : public JAX_BUILDER {
  KTX_HOST_OBJECT(Owner, "hostdd_test::Owner")
 public:
  static OM::AttributeId m_selAttId;
  void Notify(OM::Object* changed) override {
    ++notified;
    lastChanged = changed;
  }
  void Own(OM::Object* sub) { OM::OM_set_pointer(this, m_selAttId, sub); }
  OM::Object* m_sel;
  int notified;
  OM::Object* lastChanged;

 protected:
  Owner(int classId, void* context) : JAX_BUILDER(classId, context) {}
};
int Owner::ThisClassId = 0;
OM::AttributeId Owner::m_selAttId;

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winvalid-offsetof"
const char* const kSelectClass = SELECT_OBJECT::OmClassName;
const OM::ClassAttributeStruct kOwnerRows[1] = {{&Owner::ThisClassId, &Owner::m_selAttId, "m_sel", nullptr, nullptr,
                                                 &kSelectClass, nullptr, nullptr, {}, -1, -1, 0x80000000u, 0,
                                                 static_cast<std::uint32_t>(offsetof(Owner, m_sel)), 0x804001, 0,
                                                 OM::TypeCode::kReference, 0x10000}};
#pragma GCC diagnostic pop

struct OwnerClass {
  OwnerClass() {
    new OM::ClassRegistrant(Owner::OmClassName, 0, nullptr, &Owner::ThisClassId, 0x80000001u, 0x1000, 1, kOwnerRows,
                            JAX_BUILDER::OmClassName, Owner::OmClassName, 0, nullptr, 0,
                            &Host::HostClass<Owner>::Create, &Host::HostClass<Owner>::Size, nullptr, nullptr);
  }
} ownerClass;

class HostDieDesign : public HostTest {
 protected:
  void TearDown() override {
    Host::ResetTolerances();
    Host::ClearCustomerDefaults();
    Host::ClearUpdateLogs();
    HostTest::TearDown();
  }

  int Mark() {
    int error = -1;
    int mark = UNDO_QD_set_mark(1, nullptr, &error);
    EXPECT_EQ(error, 0);
    return mark;
  }
};

// ---- selections ------------------------------------------------------------------

TEST_F(HostDieDesign, SelectionChangeNotifiesItsObservingOwnerOnly) {
  auto* owner = Host::CreateHostObject<Owner>();
  SELECT_OBJECT* selection = SELECT_OBJECTFactory::Create(part());
  owner->Own(selection);

  selection->set_selected_tag(owner->ask_tag());
  EXPECT_EQ(owner->notified, 0) << "the owner did not ask to be told";

  selection->SetParentHasObservers(true);
  selection->set_selected_tag(part()->ask_tag());
  EXPECT_EQ(owner->notified, 1);
  EXPECT_EQ(owner->lastChanged, selection);
  EXPECT_EQ(selection->ask_selected_tag(), part()->ask_tag());

  selection->set_selected_tag(part()->ask_tag());
  EXPECT_EQ(owner->notified, 1) << "the same tag again is no change";
  selection->set_selected_tag(0);
  EXPECT_EQ(owner->notified, 2);
  EXPECT_FALSE(selection->has_selection());
  owner->destroy();  // the selection goes with its owner
}

TEST_F(HostDieDesign, UndoRestoresASelectionAndAListChange) {
  SELECT_OBJECT* selection = SELECT_OBJECTFactory::Create(part());
  SELECT_OBJECT_list* list = SELECT_OBJECT_listFactory::Create(part(), false);
  selection->set_selected_tag(11);
  list->append(21);

  int mark = Mark();
  selection->set_selected_tag(12);
  list->append(22);
  list->append(23);
  EXPECT_EQ(list->ask_count(), 3);
  EXPECT_EQ(UNDO_QD_undo_to_mark(mark, nullptr), 0);
  EXPECT_EQ(UNDO_QD_delete_mark(mark, nullptr), 0);

  EXPECT_EQ(selection->ask_selected_tag(), 11u);
  ASSERT_EQ(list->ask_count(), 1);
  EXPECT_EQ(list->ask_nth(0), 21u);
  EXPECT_EQ(RaisedCode([&] { list->ask_nth(1); }), Error::kIndexOutOfRange);

  // A second mark logs the list again.
  mark = Mark();
  list->clear();
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  EXPECT_EQ(list->ask_count(), 1);
}

TEST_F(HostDieDesign, SectionLoopSummaryCountsLoopsByKind) {
  SC_section* section = SC_sectionFactory::object(0, 0.0095, 0.01, 0.5);
  double chaining = 0;
  section->ask_tolerances(&chaining, nullptr, nullptr);
  EXPECT_DOUBLE_EQ(chaining, 0.0095);
  EXPECT_TRUE(section->is_empty());
  const tag_t closed[] = {101, 102, 103};
  const tag_t open[] = {201};
  section->add_loop(SC_section::kClosed, 3, closed);
  section->add_loop(SC_section::kOpen, 1, open);
  section->add_loop(SC_section::kClosed, 1, open);

  int first = -1, second = -1, third = -1;
  tag_t *firstItems = nullptr, *secondItems = nullptr, *loops = nullptr;
  section->ask_loop_summary(&first, &firstItems, &second, &secondItems, &third, &loops);
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 1);
  ASSERT_NE(firstItems, nullptr);
  EXPECT_EQ(firstItems[0], 101u);
  EXPECT_EQ(firstItems[1], 201u);
  ASSERT_NE(secondItems, nullptr);
  EXPECT_EQ(secondItems[0], 201u);
  // The third count is the closed loops again, listed as the loop objects.
  ASSERT_EQ(third, 2);
  ASSERT_NE(loops, nullptr);
  const std::vector<tag_t> wantCurves[2] = {{101, 102, 103}, {201}};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    auto* loop = dynamic_cast<SC_loop*>(OM::OM_object_of_tag(loops[i]));
    EXPECT_NE(loop, nullptr);
    if (loop == nullptr) continue;
    EXPECT_EQ(loop->ask_kind(), SC_section::kClosed);
    int n = 0;
    tag_t* curves = nullptr;
    loop->ask_curves(&n, &curves);
    EXPECT_EQ(std::vector<tag_t>(curves, curves + n), wantCurves[i]);
    SM_free(curves);
  }
  EXPECT_EQ(section->ask_nth_loop(2), loops[1]);
  SM_free(firstItems);
  SM_free(secondItems);
  SM_free(loops);

  int count = 1;
  auto* tags = static_cast<tag_t*>(SM_alloc(sizeof(tag_t)));
  tags[0] = 7;
  DIEDES_GENERIC_BODY_PARMS::DieDesBuilderGetSectionObjects(section, &count, &tags);
  ASSERT_EQ(count, 6);
  EXPECT_EQ(tags[0], 7u);
  EXPECT_EQ(tags[1], 101u);
  EXPECT_EQ(tags[5], 201u);
  SM_free(tags);
}

TEST_F(HostDieDesign, ASectionGoesWithItsLoops) {
  SC_section* section = SC_sectionFactory::object(0, 0.0095, 0.01, 0.5);
  const tag_t curves[] = {101, 102};
  section->add_loop(SC_section::kClosed, 2, curves);
  section->add_loop(SC_section::kOpen, 1, curves);
  const tag_t loops[2] = {section->ask_nth_loop(0), section->ask_nth_loop(1)};
  EXPECT_THROW(section->ask_nth_loop(2), Error::Exception);
  section->destroy();
  for (tag_t loop : loops) EXPECT_EQ(OM::OM_object_of_tag(loop), nullptr);
}

TEST_F(HostDieDesign, ACurveIsClosedWhenItsEndsMeetWithinTheDistanceTolerance) {
  struct Row {
    const char* name;
    double gap;  // between the last point and the first
    bool closed;
  };
  const double tolerance = 0.01;
  const Row rows[] = {
      {"ends on each other", 0.0, true},
      {"gap of the tolerance", tolerance, true},
      {"gap just past it", tolerance * 1.001, false},
      {"wide open", 5.0, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const double points[] = {0, 0, 0, 10, 0, 0, 10, 10, 0, row.gap, 0, 0};
    const tag_t curve = ES_create_polyline(4, points);
    EVC_curve* evaluator = nullptr;
    const int status = evcrvu(curve, &evaluator);
    EXPECT_EQ(status, 0) << row.name;
    if (status != 0) continue;
    EXPECT_EQ(DIE_ADD_curve_is_closed(evaluator, tolerance, 0.5, 0), row.closed) << row.name;
    evcrvf(evaluator);
  }
  EVC_curve* none = nullptr;
  EXPECT_EQ(evcrvu(part()->OmTag(), &none), Geometry::kNoEntity);
  EXPECT_EQ(none, nullptr);
  EXPECT_FALSE(DIE_ADD_curve_is_closed(nullptr, tolerance, 0.5, 0));
  const double one[] = {0, 0, 0};
  EXPECT_EQ(ES_create_polyline(1, one), 0u);
}

TEST_F(HostDieDesign, OwningListDestroysItsItems) {
  UICOMPJA_list* list = UICOMPJA_listFactory::object(modelPart());
  SELECT_OBJECT* a = SELECT_OBJECTFactory::Create(part());
  SELECT_OBJECT* b = SELECT_OBJECTFactory::Create(part());
  OM::Object* items[] = {a, b};
  list->append_items(2, items);
  list->set_owns_items(true);
  tag_t bTag = b->ask_tag();
  a->destroy();
  EXPECT_EQ(list->size(), 2);
  EXPECT_EQ(list->ask_item(0), nullptr) << "a deleted item reads as none";
  EXPECT_EQ(list->ask_item(1), b);
  list->destroy();
  EXPECT_TRUE(OM::OM_is_deleted_tag(bTag));
}

// ---- expressions -------------------------------------------------------------------

TEST_F(HostDieDesign, ExpressionsParseEditAndRefuseBadText) {
  const UNIT_unit* length = UNIT_ask_default_unit_obj_for_measure(0);
  EXPECT_STREQ(length->name, "MilliMeter");
  EXP_expression* depth = nullptr;
  ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("0", length, &depth), 0);
  EXPECT_STREQ(depth->ask_text(), "0");
  EXPECT_EQ(depth->ask_unit(), length);
  EXPECT_EQ(EXP__ask_unit_type(depth), 1);

  char* text = EXP_format_value(12.5);
  EXPECT_STREQ(text, "12.5");
  EXPECT_EQ(EXP_edit_exp(part()->ask_tag(), depth, text), 0);
  SM_free(text);
  EXPECT_DOUBLE_EQ(EXP_ask_value_of_exp(depth), 12.5);

  text = EXP_format_value(0.1);
  EXPECT_STREQ(text, "0.1");
  SM_free(text);

  EXPECT_EQ(EXP_edit_exp(part()->ask_tag(), depth, " -3e2 "), 0);
  EXPECT_DOUBLE_EQ(EXP_ask_value_of_exp(depth), -300);
  for (const char* bad : {"", "abc", "1,5", "2 mm", "nan", "inf", "1e999"}) {
    EXPECT_EQ(EXP_edit_exp(part()->ask_tag(), depth, bad), Expression::kBadText) << bad;
    EXPECT_DOUBLE_EQ(EXP_ask_value_of_exp(depth), -300) << "a refused edit changes nothing";
    EXPECT_STREQ(depth->ask_text(), " -3e2 ");
  }
  EXP_expression* none = nullptr;
  EXPECT_EQ(EXP_create_sys_exp_with_units_all_errors("x", length, &none), Expression::kBadText);
  EXPECT_EQ(none, nullptr);
}

TEST_F(HostDieDesign, InchPartsTakeInchLengths) {
  PART_part* inch = PART_part::Create(1);
  PART_set_work_part(inch);
  EXPECT_STREQ(UNIT_ask_default_unit_obj_for_measure(0)->name, "Inch");
  EXPECT_STREQ(UNIT_ask_default_unit_obj_for_measure(7)->name, "Degrees");
  EXP_expression* e = nullptr;
  ASSERT_EQ(EXP_create_sys_exp_with_units_all_errors("1", UNIT_ask_default_unit_obj_for_measure(-1), &e), 0);
  EXPECT_EQ(EXP__ask_unit_type(e), 0);
  inch->destroy();  // and the expression it keeps
  PART_set_work_part(part());
}

// ---- parameter objects -----------------------------------------------------------------

DieDes::DieDesGenericPlaneRecord PlaneRecord() {
  DieDes::DieDesGenericPlaneRecord r;
  std::memset(&r, 0, sizeof r);
  r.type = 2;
  r.selectedObject = 1234;
  r.selection = 1235;
  r.entity = 77;
  r.reverse = true;
  for (int i = 0; i < 3; ++i) r.origin[i] = 0.5 + i;
  for (int i = 0; i < 9; ++i) r.matrix[i] = -1.25 * i;
  return r;
}

TEST_F(HostDieDesign, PlaneRecordsRoundTripByteForByte) {
  DieDes::CastRelief* parms = DieDes::CastReliefFactory::Create();
  ASSERT_EQ(parms->GetNumEntities(), 6);
  auto* plane = dynamic_cast<DieDes::DieDesGenericPlane*>(parms->GetEntity(3));
  ASSERT_NE(plane, nullptr);
  EXPECT_EQ(dynamic_cast<DieDes::DieDesGenericPlane*>(parms->GetEntity(2)), nullptr);

  DieDes::DieDesGenericPlaneRecord in = PlaneRecord();
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), parms);
  DIEDES_ENTITY_CONTEXT context{0, frec, {nullptr, nullptr}};
  ASSERT_EQ(plane->StoreRecords(&context, 1, &in), 0);
  EXPECT_EQ(plane->AskOwnerTag(), frec->ask_tag());

  int count = -1;
  DieDes::DieDesGenericPlaneRecord* out = nullptr;
  ASSERT_EQ(plane->AskRecords(0, &count, &out), 0);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(std::memcmp(out, &in, sizeof in), 0);
  const auto* bytes = reinterpret_cast<const unsigned char*>(out);
  EXPECT_EQ(bytes[16], 1);
  for (int i = 17; i < 24; ++i) EXPECT_EQ(bytes[i], 0) << i;
  SM_free(out);

  // Two records, then a scripted failure that changes nothing.
  DieDes::DieDesGenericPlaneRecord two[2] = {PlaneRecord(), PlaneRecord()};
  two[1].type = 0;
  ASSERT_EQ(plane->StoreRecords(&context, 2, two), 0);
  Host::SetAnswer("DIEDES_GENERIC_ENTITY_set.3", 4711);
  EXPECT_EQ(plane->StoreRecords(&context, 1, &in), 4711);
  plane->AskRecords(1, &count, &out);
  ASSERT_EQ(count, 1);
  EXPECT_EQ(out[0].type, 0);
  SM_free(out);
  plane->AskRecords(2, &count, &out);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(out, nullptr);
}

TEST_F(HostDieDesign, LocationRecordsKeepTheirOwnTagCopies) {
  DieDes::DieDesGenericLocation* location = DieDes::DieDesGenericLocationFactory::Create();
  DieDes::DieDesGenericLocationRecord in;
  std::memset(&in, 0, sizeof in);
  in.type = 0;
  in.selectedCount = 1;
  in.selected = static_cast<tag_t*>(SM_alloc(sizeof(tag_t)));
  in.selected[0] = 4321;
  in.selection = 99;
  in.point = 5;
  in.vector = 6;
  in.plane = 8;
  in.origin[1] = 2.5;
  in.matrix[8] = 1;
  DIEDES_ENTITY_CONTEXT context{0, nullptr, {nullptr, nullptr}};
  ASSERT_EQ(location->StoreRecords(&context, 1, &in), 0);
  in.selected[0] = 1;  // the writer's array is its own
  SM_free(in.selected);

  int count = 0;
  DieDes::DieDesGenericLocationRecord* out = nullptr;
  location->AskRecords(0, &count, &out);
  ASSERT_EQ(count, 1);
  ASSERT_NE(out[0].selected, nullptr);
  EXPECT_EQ(out[0].selected[0], 4321u);
  in.selected = out[0].selected;
  EXPECT_EQ(std::memcmp(&out[0], &in, sizeof in), 0);
  location->FreeRecords(count, out);

  DieDes::DieDesGenericLocationRecord broken = in;
  broken.selected = nullptr;
  EXPECT_EQ(location->StoreRecords(&context, 1, &broken), Parms::kBadRecords);
  location->Release(nullptr);
  location->AskRecords(0, &count, &out);
  EXPECT_EQ(count, 0);
  location->FreeRecords(count, out);
}

TEST_F(HostDieDesign, EntitiesHoldValuesOfOneKind) {
  DieDes::Clearance* parms = DieDes::ClearanceFactory::Create();
  EXPECT_NE(dynamic_cast<DieDes::DieDesGenericDirection*>(parms->GetEntity(4)), nullptr);
  EXPECT_EQ(RaisedCode([&] { parms->GetEntity(6); }), Error::kIndexOutOfRange);
  DIEDES_ENTITY_CONTEXT context{1, nullptr, {nullptr, nullptr}};
  const int ints[] = {2, 1};
  ASSERT_EQ(parms->GetEntity(0)->SetInts(&context, 2, ints), 0);
  EXPECT_EQ(parms->AskEntityInt(0, 1), 1);
  EXPECT_EQ(parms->GetEntity(0)->AskFlag(), 1);
  EXPECT_EQ(RaisedCode([&] { parms->AskEntityInt(0, 2); }), Error::kIndexOutOfRange);
  EXPECT_EQ(RaisedCode([&] { parms->AskEntityTag(0, 0); }), Parms::kWrongKind);

  EXP_expression* e[2] = {nullptr, nullptr};
  EXP_create_sys_exp_with_units_all_errors("4", UNIT_ask_default_unit_obj_for_measure(0), &e[0]);
  EXP_create_sys_exp_with_units_all_errors("5", UNIT_ask_default_unit_obj_for_measure(0), &e[1]);
  ASSERT_EQ(parms->GetEntity(5)->SetExpressions(&context, 2, e), 0);
  EXPECT_EQ(parms->AskEntityExpression(5, 1), e[1]);

  context.flag = 0;
  ASSERT_EQ(parms->GetEntity(1)->SetTags(&context, 0, nullptr), 0);
  int count = -1;
  tag_t* tags = reinterpret_cast<tag_t*>(&count);
  parms->GetEntity(1)->AskTags(&count, &tags);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(tags, nullptr);
}

TEST_F(HostDieDesign, DieAttributesRecordIsWrittenAndReadBack) {
  DIEDES_GENERIC_BODY_PARMS* parms = DIEDES_GENERIC_BODY_PARMSFactory::Create(2);
  DieAttributesRecord record{};
  STR_snprintf(record.title, 50, "%s", "MATERIAL-TITLE-THAT-IS-LONGER-THAN-FIFTY-CHARACTERS-LONG");
  EXPECT_EQ(std::strlen(record.title), 49u);
  std::strcpy(record.value, "GGG70L");
  record.number = -3;
  DIEDES_ATTRIBUTE_DESCRIPTOR descriptor{{0, 1, 2, 3, 1}, &record};
  EXPECT_EQ(parms->GetDieAttributes().Write(nullptr, &descriptor, 2), 0);

  DieAttributesRecord back{};
  descriptor.record = &back;
  EXPECT_EQ(parms->GetDieAttributes().Read(&descriptor, 0), 0);
  EXPECT_EQ(std::memcmp(&back, &record, sizeof record), 0);
  DieAttributesRecord* copy = parms->AskDieAttributes();
  EXPECT_EQ(copy->number, -3);
  SM_free(copy);
  descriptor.record = nullptr;
  EXPECT_EQ(parms->GetDieAttributes().Read(&descriptor, 0), Parms::kBadDescriptor);
}

TEST_F(HostDieDesign, DieAttributesBuilderKeepsItsTextsForUndo) {
  DieDes::DieAttributesBuilder* attributes = DieDes::DieAttributesBuilderFactory::Create(part(), true, true, false);
  EXPECT_STREQ(attributes->GetFirstText(), "");
  EXPECT_FALSE(attributes->GetOption(2));
  EXPECT_EQ(RaisedCode([&] { attributes->GetOption(3); }), Error::kIndexOutOfRange);
  attributes->SetFirstText("Title");
  int mark = Mark();
  attributes->SetFirstText("Other");
  attributes->SetIntegerValue(4);
  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  EXPECT_STREQ(attributes->GetFirstText(), "Title");
  EXPECT_EQ(attributes->GetIntegerValue(), 0);
  TEXT_s* text = TEXT_init_string("Value");
  attributes->SetSecondText(text);
  TEXT_free(text);
  EXPECT_STREQ(attributes->GetSecondText(), "Value");
}

TEST_F(HostDieDesign, ModuleItemsGrowShrinkAndLetGoOfDeletedItems) {
  DIEDES_GENERIC_MODULE_PARMS* module = DIEDES_GENERIC_MODULE_PARMSFactory::Create();
  DieDes::DieDesGenericLocation* first = DieDes::DieDesGenericLocationFactory::Create();
  DieDes::DieDesGenericLocation* second = DieDes::DieDesGenericLocationFactory::Create();
  module->SetNumDiedesItems(2);
  EXPECT_EQ(module->GetNthDiedesItems(1), nullptr);
  module->SetNthDiedesItems(0, first);
  module->SetNthDiedesItems(1, second);
  EXPECT_EQ(RaisedCode([&] { module->SetNthDiedesItems(2, first); }), Error::kIndexOutOfRange);

  module->SetNthDiedesItems(1, nullptr);
  OM_delete_object(second);
  module->SetNumDiedesItems(1);
  EXPECT_EQ(module->GetNumDiedesItems(), 1);
  EXPECT_EQ(module->GetNthDiedesItems(0), first);
  EXPECT_EQ(RaisedCode([&] { module->GetNthDiedesItems(1); }), Error::kIndexOutOfRange);
}

TEST_F(HostDieDesign, NodeTreeChildrenGoWithTheParentsData) {
  const DIEDES_NODE_init_s description{25, "Clamping Slots", 24, "Clamping Slot", nullptr};
  DIEDES_NODE_s* parent = nullptr;
  ASSERT_EQ(DIEDES_NODE_create_nodes(1, &description, nullptr, nullptr, &parent), 0);
  void** data = DIEDES_NODE_ask_appl_data(parent);
  ASSERT_NE(data[0], nullptr);
  ASSERT_NE(data[1], nullptr);
  DIEDES_NODE_s* child = DIEDES_NODE_create_child(parent);
  DIEDES_NODE_create_child(parent);
  EXPECT_EQ(DIEDES_NODE_ask_num_children(parent), 2);
  EXPECT_EQ(DIEDES_NODE_ask_nth_child(parent, 0), child);
  // The values between the collector and the location record are the builder's.
  std::memset(static_cast<char*>(DIEDES_NODE_ask_appl_data(child)[0]) + 24, 0xab, 160);
  std::memset(static_cast<char*>(DIEDES_NODE_ask_appl_data(child)[1]) + 24, 0xcd, 160);
  // A clamping slot's child carries its collector; a location record's tag
  // array left in a child's first record goes with the node, while the
  // second record's bytes there are the builder's values, never freed.
  EXPECT_NE(*reinterpret_cast<SC_collector**>(static_cast<char*>(DIEDES_NODE_ask_appl_data(child)[0]) + 16), nullptr);
  auto* leftover = static_cast<tag_t*>(SM_alloc(2 * sizeof(tag_t)));
  std::memcpy(static_cast<char*>(DIEDES_NODE_ask_appl_data(child)[0]) + 184 + 8, &leftover, sizeof leftover);
  std::memset(static_cast<char*>(DIEDES_NODE_ask_appl_data(child)[1]) + 184, 0x5e, 128);
  DIEDES_NODE_set_mark(child, 1);
  EXPECT_EQ(DIEDES_NODE_ask_mark(child), 1);
  EXPECT_EQ(RaisedCode([&] { DIEDES_NODE_ask_nth_child(parent, 2); }), Error::kIndexOutOfRange);
  DIEDES_NODE_free_appl_data(parent);
  SM_free(parent);
}

// ---- the extraction table ------------------------------------------------------------------

TEST_F(HostDieDesign, ExtractionTableLivesFromCreationToFree) {
  ASSERT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  SC_section* section = SC_sectionFactory::object(part()->ask_tag(), 0.0095, 0.01, 0.5);
  Memory::Counters before = Memory::LiveCounters();
  DIEDES_UTILS_create_extraction_table_map_object();
  const tag_t inputs[] = {5, 6};
  DIEDES_UTILS_create_extraction_table(nullptr, 2, inputs);
  DIEDES_EXTRACTION_TABLE* table = DIEDES_UTILS__get_extraction_table();
  ASSERT_NE(table, nullptr);
  EXPECT_EQ(table->tags.size(), 2u);
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects + 2);

  DIEDES_UTILS__get_extraction_table_map()->MapSection(section);
  EXPECT_EQ(section->ask_times_mapped(), 1);

  // Made again, the old table goes first.
  DIEDES_UTILS_create_extraction_table(nullptr, 0, nullptr);
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects + 2);
  DIEDES_UTILS_free_extraction_table();
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr);
  EXPECT_EQ(DIEDES_UTILS__get_extraction_table_map(), nullptr);
  DIEDES_UTILS_free_extraction_table();  // twice is harmless
  EXPECT_EQ(Memory::LiveCounters().objects, before.objects);
}

// ---- features, update and undo ----------------------------------------------------------------

TEST_F(HostDieDesign, FeatureCreationAnswersAsScripted) {
  DieDes::CastRelief* parms = DieDes::CastReliefFactory::Create();
  int kernelBody = Kernel::CreateBody(Kernel::BodyType::Solid);
  tag_t target = ES_create_solid(kernelBody);
  EXPECT_EQ(ES_solid_ask_solvane_tag(target), kernelBody);
  FEATURE_RECORD* frec = nullptr;

  Host::SetAnswer("DIEENG_CreateFrecWithParms", 3030001);
  EXPECT_EQ(DIEENG_CreateFrecWithParms(parms, 0, &frec), 3030001);
  EXPECT_EQ(frec, nullptr);
  Host::SetAnswer("DIEENG_CreateFrecWithParms", 0);
  Host::SetAnswer("DIEENG_CreateFrecWithParms.norecord", 1);
  EXPECT_EQ(DIEENG_CreateFrecWithParms(parms, 0, &frec), 0);
  EXPECT_EQ(frec, nullptr);
  Host::SetAnswer("DIEENG_CreateFrecWithParms.norecord", 0);

  ASSERT_EQ(DIEENG_CreateFrecWithParms(parms, kernelBody, &frec), 0);
  ASSERT_NE(frec, nullptr);
  EXPECT_EQ(FREC_ask_parms_of_frec(frec), parms);
  EXPECT_NE(FREC_ask_body_eid(frec->ask_tag()), 0u);
  EXPECT_EQ(parms->GetSubObjectOwner(), nullptr) << "until the record is handed over";
  parms->SetFeatureRecord(frec);
  EXPECT_EQ(OM_ask_subobject_owner(parms), frec);
  EXPECT_EQ(OM_ask_subobject_owner(parms->GetEntity(3)), parms);
  EXPECT_EQ(DIEDES_GENERIC_BODY_PARMS::GetTargetEID(parms), target);
  EXPECT_EQ(frec->ask_kernel_body(), kernelBody);
  EXPECT_EQ(FMI_invoke_post_update(frec), 0);
  Host::SetAnswer("FMI_invoke_post_update", 12);
  EXPECT_EQ(FMI_invoke_post_update(frec), 12);
  OM::TagToObject<ES_solid>(target)->destroy();
  EXPECT_EQ(Kernel::DeleteBody(kernelBody, "test"), 0);
}

TEST_F(HostDieDesign, FailedUpdateRaisesAfterItsWorkAndUndoPutsItBack) {
  FEATURE_RECORD* frec = FEATURE_RECORD::Create(part(), nullptr);
  SELECT_OBJECT* doomed = SELECT_OBJECTFactory::Create(part());
  doomed->set_selected_tag(55);
  tag_t doomedTag = doomed->ask_tag();

  int mark = Mark();
  UPDATE_log_object_to_update(frec);
  UPDATE_log_object_to_delete(doomed);
  EXPECT_TRUE(UPDATE_is_object_logged(frec));
  Host::SetAnswer("UPDATE_do_update.error", 3030999);
  EXPECT_EQ(RaisedCode([] { UPDATE_do_update(); }), 3030999);
  EXPECT_EQ(frec->ask_update_count(), 1);
  EXPECT_TRUE(OM::OM_is_deleted_tag(doomedTag));
  EXPECT_TRUE(Host::LoggedForUpdate().empty());

  UNDO_QD_undo_to_mark(mark, nullptr);
  UNDO_QD_delete_mark(mark, nullptr);
  EXPECT_EQ(frec->ask_update_count(), 0);
  ASSERT_FALSE(OM::OM_is_deleted_tag(doomedTag));
  EXPECT_EQ(OM::TagToObject<SELECT_OBJECT>(doomedTag)->ask_selected_tag(), 55u);
}

// ---- geometry, tolerances and defaults ----------------------------------------------------------

TEST_F(HostDieDesign, GenericPlaneEvaluationReversesTheFrame) {
  const double origin[3] = {1, 2, 3};
  const double identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
  tag_t plane = ES_create_plane(origin, identity);
  tag_t tag = 0;
  double o[3], m[9];
  ASSERT_TRUE(DieDes_DieGenericPlane_GetTagAndDefinition(1, 0, plane, true, nullptr, nullptr, &tag, o, m, nullptr));
  EXPECT_EQ(tag, plane);
  EXPECT_DOUBLE_EQ(o[2], 3);
  EXPECT_DOUBLE_EQ(m[8], -1);
  EXPECT_DOUBLE_EQ(m[4], -1);
  EXPECT_DOUBLE_EQ(m[0], 1);
  EXPECT_FALSE(DieDes_DieGenericPlane_GetTagAndDefinition(0, 0, plane, false, nullptr, nullptr, &tag, o, m, nullptr));
  EXPECT_EQ(tag, 0u);
  ASSERT_TRUE(DieDes_DieGenericPlane_GetTagAndDefinition(2, 0, 0, false, origin, identity, &tag, o, m, nullptr));
  EXPECT_EQ(tag, 0u);
  Host::SetAnswer("ES_create_plane.fail", 1);
  EXPECT_EQ(ES_create_plane(origin, identity), 0u);
}

TEST_F(HostDieDesign, DirectionsAndSleepingLocations) {
  const double origin[3] = {0, 0, 0};
  const double y[3] = {0, 2, 0};
  tag_t dirr = DIRR_create_doubles(part(), 0, origin, y);
  ASSERT_TRUE(DIRR_is_dirr(dirr));
  double d[3];
  DIEDES_UTILS__get_pt_and_dir(dirr, nullptr, d);
  EXPECT_DOUBLE_EQ(d[1], 1);
  const double negX[3] = {-1, 0, 0};
  DIRR_set_direction(dirr, negX);
  tag_t tag = 0;
  double dir[3];
  ASSERT_TRUE(
      DieDes_DieGenericDirection_GetTagAndDefinition(2, 0, dirr, false, nullptr, nullptr, &tag, nullptr, nullptr, dir));
  EXPECT_DOUBLE_EQ(dir[0], -1);

  tag_t point = ES_create_point(y);
  RM_set_sleep_state(point, 1);
  double p[3];
  ASSERT_TRUE(DieDes_DieGenericLocation_GetTagAndDefinition(1, 0, point, 0, 0, nullptr, nullptr, 1, &tag, p, nullptr,
                                                            nullptr));
  EXPECT_EQ(tag, 0u) << "a sleeping point is defined, not in the model";
  EXPECT_DOUBLE_EQ(p[1], 2);
  EXPECT_FALSE(DieDes_DieGenericLocation_GetTagAndDefinition(4, 0, point, 0, 0, nullptr, nullptr, 1, &tag, p,
                                                             nullptr, nullptr));
}

TEST_F(HostDieDesign, WorkCoordinateSystemBelongsToTheWorkPart) {
  const double origin[3] = {10, 0, 0};
  const double turned[9] = {0, 1, 0, -1, 0, 0, 0, 0, 1};
  WCS_set(origin, turned);
  double m[9];
  WCS_ask_matrix(m);
  EXPECT_DOUBLE_EQ(m[1], 1);
  PART_part* other = PART_part::Create(0);
  PART_set_work_part(other);
  WCS_ask_matrix(m);
  EXPECT_DOUBLE_EQ(m[0], 1);
  other->destroy();
  PART_set_work_part(part());
}

TEST_F(HostDieDesign, TolerancesAndCustomerDefaultsAreSetByTests) {
  EXPECT_DOUBLE_EQ(TOLER_ask_distance_tol(), 0.01);
  Host::SetTolerances(0.001, 0.05);
  EXPECT_DOUBLE_EQ(TOLER_ask_angular_tol(), 0.05);

  Host::SetCustomerDefault("DIE_Hydraulic_ClampSlotSlotCLLength_MU", 120.5);
  Host::SetCustomerDefault("DIE_ClampSlot_LocationName", std::string("LOC"));
  EXPECT_DOUBLE_EQ(PMAN_ask_real("DIE_Hydraulic_ClampSlotSlotCLLength_MU"), 120.5);
  EXPECT_DOUBLE_EQ(PMAN_ask_real("DIE_Hydraulic_ClampSlotSlotCLLength_EU"), 0) << "names match exactly";
  EXPECT_DOUBLE_EQ(PMAN_ask_real("die_hydraulic_clampslotslotcllength_mu"), 0);
  EXPECT_EQ(PMAN_ask_int("DIE_Hydraulic_ClampSlotSlotCLLength_MU"), 120);
  char* name = PMAN_ask_string("DIE_ClampSlot_LocationName");
  EXPECT_STREQ(name, "LOC");
  SM_free(name);
  name = PMAN_ask_string("DIE_PrePopulate_AttrTitle");
  EXPECT_STREQ(name, "");
  SM_free(name);
  EXPECT_EQ(PMAN_ask_logical("DIE_PrePopulate_AllowHidden"), 0);
}

}  // namespace
