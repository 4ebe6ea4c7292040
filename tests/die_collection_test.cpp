// The scripting collection "Die.DieCollection": its exports, its interface,
// what its creators record, convert and hand to which factory, the results
// they give back (also when a factory gives no builder), and the enumerator.
// Expected names and values are written out from the collection's published
// description, not read from the table the engine expands.
#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDes_DieDirectionBuilder.hpp"
#include "DieDes_DiePlaneBuilder.hpp"
#include "DieEngJA_CompensateRoughDataBuilder.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "afl/DieFeatureBuilders.hpp"
#include "afl/Parms.hpp"
#include "ja_die_die_collection_jam.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"

using namespace KTX;
using stamvik_test::AlreadySetUp;
using stamvik_test::ExportsStartingWith;
using stamvik_test::HostTest;
using stamvik_test::JamTest;

// The exports as a script declares them.
namespace {

constexpr unsigned kBadFactoryCode = 3777001;  // scripted for a host factory's failure
constexpr int kNotCastRelief = 670156;          // "Feature is not a Cast Relief."

class DieCollection : public JamTest {
 protected:
  void TearDown() override {
    for (tag_t tag : made_)
      if (auto* object = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(tag))) object->destroy();
    JamTest::TearDown();
  }
  tag_t collection() const { return part()->ask_tag(); }
  // Builders the test made are destroyed at its end.
  tag_t Keep(tag_t tag) {
    if (tag != 0) made_.push_back(tag);
    return tag;
  }
  static Die_DieCollection_Interface* Journalled() {
    return static_cast<Die_DieCollection_Interface*>(
        JAM::ClassInitializer::GetJournalledInterface("Die.DieCollection"));
  }
  static Die_DieCollection_Interface* Unjournalled() {
    return static_cast<Die_DieCollection_Interface*>(
        JAM::ClassInitializer::GetUnjournalledInterface("Die.DieCollection"));
  }
  // A feature of the part whose parameters are the given die-design ones (or none).
  FEATURE_RECORD* Feature(FEATURE_PARMS* parms) { return FEATURE_RECORD::Create(part(), parms); }
  std::vector<std::string> Logged(const std::string& name) {
    std::vector<std::string> out;
    for (const Host::Call& c : Host::Calls())
      if (c.name == name) out.push_back(c.args);
    return out;
  }

 private:
  std::vector<tag_t> made_;
};

// ---- exports and interface ----------------------------------------------------------

TEST(DieCollectionExports, ThirtyNineCreatorsUnderTheirPublishedNamesAndTheEnumerator) {
  std::set<std::string> expected = {
      "XJA_FEATURE_DIE_draw_die_punch",
      "XJA_FEATURE_DIE_form_task",
      "XJA_FEATURE_DIE_rotor",
      "XJA_FEATURE_DIE_flange_task",
      "XJA_FEATURE_DIE_trim_task",
      "XJA_FEATURE_DIE_pierce_task",
      "XJA_FEATURE_DIE_create_addendum_section_user_defined_builder",
      "XJA_FEATURE_DIE_create_addendum_section_builder",
      "XJA_FEATURE_DIE_fill",
      "XJA_FEATURE_DIE_lineup",
      "XJA_FEATURE_DIE_output_curves",
      "XJA_FEATURE_DIE_steelinsert",
      "XJA_FEATURE_DIE_create_quick_binder_builder",
      "XJA_FEATURE_DIE_create_quick_binder_wrap_builder",
      "XJA_FEATURE_DIE_create_trim_line_development_builder",
      "XJA_FEATURE_DIE_create_add_surf_builder",
      "XJA_FEATURE_DIE_face_sheet",
      "XJA_FEATURE_DIE_trim_flange_die_assistant",
      "XJA_FEATURE_DIE_die_shoe",
      "XJA_FEATURE_DIE_create_die_attribute",
      "XJA_FEATURE_DIE_create_die_boolean",
      "XJA_FEATURE_DIE_create_die_direction",
      "XJA_FEATURE_DIE_create_die_plane",
      "XJA_FEATURE_DIE_clamping_slot",
      "XJA_FEATURE_DIE_compensate_rough_data",
      "XJA_FEATURE_DIE_keyway",
      "XJA_FEATURE_DIE_heelpost",
      "XJA_FEATURE_DIE_cast_relief",
      "XJA_FEATURE_DIE_create_uncut_regions_builder",
      "XJA_FEATURE_DIE_create_die_location",
      "XJA_FEATURE_DIE_create_die_limits",
      "XJA_FEATURE_DIE_create_die_locations",
      "XJA_FEATURE_DIE_create_fill_area_builder",
      "XJA_FEATURE_DIE_create_finger_clearance_notch_builder",
      "XJA_FEATURE_DIE_create_clearance_builder",
      "XJA_FEATURE_DIE_create_handling_core_builder",
      "XJA_FEATURE_DIE_create_machine_relief_builder",
      "XJA_FEATURE_DIE_create_draw_bead_builder",
      "XJA_FEATURE_DIE_create_springback_compensation_builder",
  };
  ASSERT_EQ(expected.size(), 39u);
  EXPECT_EQ(ExportsStartingWith("XJA_FEATURE_DIE_"), expected);
  EXPECT_EQ(ExportsStartingWith("XJA_DieCollection_"),
            (std::set<std::string>{"XJA_DieCollection_enumerate", "XJA_DieCollection_force_load"}));
  // The bodies are the library's own.
  EXPECT_TRUE(ExportsStartingWith("JAX_").empty());
}

TEST_F(DieCollection, InterfaceIdAndTheEnumeratorFromBothImplementations) {
  ASSERT_NE(Journalled(), nullptr);
  ASSERT_NE(Unjournalled(), nullptr);
  EXPECT_NE(static_cast<void*>(Journalled()), static_cast<void*>(Unjournalled()));
  EXPECT_EQ(Journalled()->GetInterfaceId(), 0x5C73550Cu);
  EXPECT_EQ(Unjournalled()->GetInterfaceId(), 0x5C73550Cu);

  // Slot 40 hands out one and the same body, which the host calls to iterate.
  auto enumerate = Journalled()->Enumerate();
  ASSERT_NE(enumerate, nullptr);
  EXPECT_EQ(enumerate, Unjournalled()->Enumerate());
  FEATURE_RECORD* die = Feature(DieDes::CastReliefFactory::Create());
  tag_t cursor = 0;
  EXPECT_EQ(enumerate(collection(), &cursor), 0);
  EXPECT_EQ(cursor, die->ask_tag());
  // Not journalled.
  EXPECT_TRUE(JAM::Recorded().empty());
}

// The interface as the host calls it: operations by their place in the
// interface's table, 0 the id, 1 to 39 the creators in slot order, 40 the
// enumerator.
TEST_F(DieCollection, OperationsByTheirPlaceInTheInterface) {
  using Id = unsigned int (*)(void*);
  using Enumerator = int (*)(tag_t, tag_t*);
  using GetEnumerator = Enumerator (*)(void*);
  using Creator = int (*)(void*, tag_t, tag_t, tag_t*);
  auto operation = [](void* implementation, int place) { return (*static_cast<void***>(implementation))[place]; };
  FEATURE_RECORD* die = Feature(DieDes::CastReliefFactory::Create());
  for (void* implementation : {static_cast<void*>(Journalled()), static_cast<void*>(Unjournalled())}) {
    EXPECT_EQ(reinterpret_cast<Id>(operation(implementation, 0))(implementation), 0x5C73550Cu);
    Enumerator enumerate = reinterpret_cast<GetEnumerator>(operation(implementation, 40))(implementation);
    ASSERT_NE(enumerate, nullptr);
    tag_t cursor = 0;
    EXPECT_EQ(enumerate(collection(), &cursor), 0);
    EXPECT_EQ(cursor, die->ask_tag());
  }
  // Operation 25 of the unjournalled implementation: a rough-data
  // compensation builder, and no record.
  tag_t builder = 0;
  void* unjournalled = Unjournalled();
  ASSERT_EQ(reinterpret_cast<Creator>(operation(unjournalled, 25))(unjournalled, collection(), 0, &builder), 0);
  EXPECT_NE(dynamic_cast<DieEngJA::CompensateRoughDataBuilder*>(OM::OM_object_of_tag(Keep(builder))), nullptr);
  EXPECT_TRUE(JAM::Recorded().empty());
  // Operation 28 of the journalled one: a cast-relief builder, recorded.
  void* journalled = Journalled();
  ASSERT_EQ(reinterpret_cast<Creator>(operation(journalled, 28))(journalled, collection(), 0, &builder), 0);
  EXPECT_NE(dynamic_cast<DieDesJA::CastReliefBuilder*>(OM::OM_object_of_tag(Keep(builder))), nullptr);
  ASSERT_EQ(JAM::Recorded().size(), 1u);
  EXPECT_EQ(JAM::Recorded()[0].member, "CastRelief");
}

// ---- what a creator records and passes on ---------------------------------------------

TEST_F(DieCollection, CreateDieLocationsRecordsTheFeatureAndTheSevenFlagsAndPassesTheFlagsInOrder) {
  FEATURE_RECORD* feature = Feature(nullptr);
  tag_t item = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_create_die_locations(collection(), feature->ask_tag(), true, false, true, false, true,
                                                 false, true, &item),
            0);
  ASSERT_NE(Keep(item), 0u);

  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.journalClass, "Die.DieCollection");
  EXPECT_EQ(r.member, "CreateDieLocations");
  EXPECT_EQ(r.thisKind, 't');
  EXPECT_EQ(r.thisTag, collection());
  ASSERT_EQ(r.values.size(), 9u);
  EXPECT_EQ(r.values[0].name, "feature");
  EXPECT_EQ(r.values[0].type, "Features.Feature");
  EXPECT_EQ(r.values[0].integer, static_cast<long long>(feature->ask_tag()));
  const char* flags[] = {"allowselection",  "allownewpoint", "allownewcoordinatesystem", "allownewvector",
                         "allownewplane",   "isrequired",    "allowmultipleselection"};
  const bool given[] = {true, false, true, false, true, false, true};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(r.values[1 + i].name, flags[i]);
    EXPECT_EQ(r.values[1 + i].kind, JAM::ValueKind::Logical) << flags[i];
    EXPECT_EQ(r.values[1 + i].integer, given[i] ? 1 : 0) << flags[i];
  }
  EXPECT_EQ(r.values[8].name, "item");
  EXPECT_EQ(r.values[8].type, "Die.DieLocationsBuilder");
  EXPECT_EQ(r.values[8].direction, JAM::Direction::Result);
  EXPECT_EQ(r.values[8].integer, static_cast<long long>(item));
  EXPECT_EQ(r.status, 0);

  // The flags reached the factory in order; the feature did not count.
  auto* locations = dynamic_cast<DieDesJA::DieLocationsBuilder*>(OM::OM_object_of_tag(item));
  ASSERT_NE(locations, nullptr);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(locations->GetAllowOptionsItem(i), given[i]) << i;
  EXPECT_FALSE(locations->GetApplIsOverallRequired());
  EXPECT_TRUE(locations->GetAllowMultiple());
}

TEST_F(DieCollection, CreateDieLocationAllowsEveryOptionAndRecordsOnlyItsResult) {
  tag_t item = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_create_die_location(collection(), &item), 0);
  auto* location = dynamic_cast<DieDesJA::DieLocationBuilder*>(OM::OM_object_of_tag(Keep(item)));
  ASSERT_NE(location, nullptr);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(location->GetAllowOptionsItem(i)) << i;
  EXPECT_TRUE(location->GetApplIsOverallRequired());
  const JAM::Record& r = JAM::Recorded().at(0);
  ASSERT_EQ(r.values.size(), 1u);
  EXPECT_EQ(r.values[0].name, "item");
  EXPECT_EQ(r.values[0].type, "Die.DieLocationBuilder");
}

TEST_F(DieCollection, CastReliefWithNoFeatureMakesANewBuilderAndWithAnotherKindGivesTheFactorysError) {
  tag_t builder = 77;
  ASSERT_EQ(XJA_FEATURE_DIE_cast_relief(collection(), 0, &builder), 0);
  auto* relief = dynamic_cast<DieDesJA::CastReliefBuilder*>(OM::OM_object_of_tag(Keep(builder)));
  ASSERT_NE(relief, nullptr);
  EXPECT_EQ(relief->get_frec(), nullptr);
  EXPECT_EQ(relief->ask_owning_part(), part());
  const JAM::Record& first = JAM::Recorded().at(0);
  EXPECT_EQ(first.member, "CastRelief");
  EXPECT_EQ(first.values.at(0).name, "castRelief");
  EXPECT_EQ(first.values.at(0).type, "Die.CastRelief");
  EXPECT_EQ(first.values.at(1).name, "builder");
  EXPECT_EQ(first.values.at(1).type, "Die.CastReliefBuilder");

  FEATURE_RECORD* clearance = Feature(DieDes::ClearanceFactory::Create());
  builder = 77;
  EXPECT_EQ(XJA_FEATURE_DIE_cast_relief(collection(), clearance->ask_tag(), &builder), kNotCastRelief);
  EXPECT_EQ(builder, 0u);
  EXPECT_EQ(JAM::Recorded().at(1).status, kNotCastRelief);
}

TEST_F(DieCollection, ClearanceCreatorMakesANewClearanceBuilder) {
  tag_t builder = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_create_clearance_builder(collection(), 0, &builder), 0);
  auto* made = dynamic_cast<JAX_FEAT_BUILDER*>(OM::OM_object_of_tag(Keep(builder)));
  ASSERT_NE(made, nullptr);
  char* name = made->ask_journal_class_name();
  EXPECT_STREQ(name, "Die.ClearanceBuilder");
  SM_free(name);
  EXPECT_EQ(JAM::Recorded().at(0).values.at(0).name, "clearance");
}

TEST_F(DieCollection, AFeatureOfADeletedTagIsRefusedBeforeAnyBuilderIsMade) {
  FEATURE_RECORD* feature = Feature(nullptr);
  tag_t gone = feature->ask_tag();
  feature->destroy();
  tag_t builder = 5;
  EXPECT_EQ(XJA_FEATURE_DIE_cast_relief(collection(), gone, &builder), static_cast<int>(Error::kDeletedTag));
  EXPECT_EQ(builder, 0u);
}

TEST_F(DieCollection, UnusedFeatureInputsAreRecordedButNeverConverted) {
  FEATURE_RECORD* feature = Feature(nullptr);
  tag_t gone = feature->ask_tag();
  feature->destroy();
  // A deleted tag would raise if it were converted.
  tag_t item = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_create_die_locations(collection(), gone, true, true, true, true, true, true, false, &item),
            0);
  EXPECT_NE(dynamic_cast<DieDesJA::DieLocationsBuilder*>(OM::OM_object_of_tag(Keep(item))), nullptr);
  item = 0;
  ASSERT_EQ(Journalled()->CreateDiePlane(collection(), gone, &item), 0);
  EXPECT_NE(Keep(item), 0u);
  item = 0;
  ASSERT_EQ(Journalled()->CreateDieDirection(collection(), gone, &item), 0);
  EXPECT_NE(Keep(item), 0u);
  ASSERT_EQ(JAM::Recorded().size(), 3u);
  for (const JAM::Record& r : JAM::Recorded()) {
    EXPECT_EQ(r.values.at(0).name, "feature") << r.member;
    EXPECT_EQ(r.values.at(0).integer, static_cast<long long>(gone)) << r.member;
  }
}

TEST_F(DieCollection, RecordedCreatorsReplayThroughTheSameRecords) {
  tag_t first = 0, second = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_create_die_locations(collection(), 0, false, true, false, true, false, true, false, &first),
            0);
  ASSERT_EQ(XJA_FEATURE_DIE_cast_relief(collection(), 0, &second), 0);
  Keep(first);
  Keep(second);
  JAM::Journal played = JAM::ReadJournal(JAM::WriteJournal(JAM::Recorded()));
  JAM::ClearJournal();
  EXPECT_EQ(JAM::ReplayJournal(played), (std::vector<int>{0, 0}));
  ASSERT_EQ(JAM::Recorded().size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const JAM::Record& again = JAM::Recorded()[i];
    EXPECT_EQ(again.member, played[i].member);
    EXPECT_EQ(again.thisTag, collection());
    EXPECT_EQ(again.values.size(), played[i].values.size());
    if (again.values.size() != played[i].values.size() || again.values.empty()) continue;
    // The inputs come back as recorded; the results are new builders.
    for (std::size_t v = 0; v + 1 < again.values.size(); ++v) EXPECT_EQ(again.values[v], played[i].values[v]);
    EXPECT_NE(Keep(static_cast<tag_t>(again.values.back().integer)), 0u);
  }
  auto* locations = dynamic_cast<DieDesJA::DieLocationsBuilder*>(
      OM::OM_object_of_tag(static_cast<tag_t>(JAM::Recorded()[0].values.back().integer)));
  ASSERT_NE(locations, nullptr);
  EXPECT_FALSE(locations->GetAllowOptionsItem(0));
  EXPECT_TRUE(locations->GetAllowOptionsItem(1));
}

// ---- every creator, row by row --------------------------------------------------------
// Each creator's published row written out by hand: member and export name,
// input (journal name and class, or none), result (name and class), and what
// made the builder: a host factory (as it logs itself) with what it was
// given, or one of the library's own builder classes.

enum class Given {
  Feature,          // the feature record alone
  ModelPartFeature, // the part's modelling part and the feature record
  Part,             // the part
  Nothing,          // no part, no feature
  Own,              // the library's own factory
};

struct CreatorRow {
  int slot;
  const char* member;
  const char* exportName;
  const char* input;       // null: the member has no input
  const char* inputClass;
  const char* result;
  const char* resultClass;
  const char* factory;     // a host factory's name; null for the library's own
  Given given;
  const char* flags;       // the host factory's flags, "" when none
  bool inputUsed;
};

const CreatorRow kCreators[] = {
    {1, "DrawDiePunch", "XJA_FEATURE_DIE_draw_die_punch", "drawDiePunch", "Features.Feature", "builder", "Die.DrawDiePunchBuilder", "KTX::DieDdpnchFeatBuilderFactory::object", Given::Feature, "", true},
    {2, "FormTask", "XJA_FEATURE_DIE_form_task", "formTask", "Features.Feature", "builder", "Die.FormTaskBuilder", "KTX::DieFrmtskFeatBuilderFactory::object", Given::Feature, "", true},
    {3, "Rotor", "XJA_FEATURE_DIE_rotor", "rotor", "Features.Feature", "builder", "Die.RotorBuilder", "KTX::DieRotorFeatBuilderFactory::object", Given::Feature, "", true},
    {4, "FlangeTask", "XJA_FEATURE_DIE_flange_task", "flangeTask", "Features.Feature", "builder", "Die.FlangeTaskBuilder", "KTX::DieFlgtskFeatBuilderFactory::object", Given::Feature, "", true},
    {5, "TrimTask", "XJA_FEATURE_DIE_trim_task", "trimTask", "Features.Feature", "builder", "Die.TrimTaskBuilder", "KTX::DieTrmtskFeatBuilderFactory::object", Given::Feature, "", true},
    {6, "PierceTask", "XJA_FEATURE_DIE_pierce_task", "pierceTask", "Features.Feature", "builder", "Die.PierceTaskBuilder", "KTX::DiePrctskFeatBuilderFactory::object", Given::Feature, "", true},
    {7, "CreateAddendumSectionUserDefinedBuilder", "XJA_FEATURE_DIE_create_addendum_section_user_defined_builder", nullptr, nullptr, "builder", "Die.AddendumSectionUserDefinedBuilder", "KTX::DieEngJA::AddendumSectionUserDefinedBuilderFactory::Create", Given::Part, "", false},
    {8, "CreateAddendumSectionBuilder", "XJA_FEATURE_DIE_create_addendum_section_builder", "addSection", "Features.Feature", "builder", "Die.AddendumSectionBuilder", "KTX::DieEngJA::AddendumSectionBuilderFactory::Create", Given::ModelPartFeature, "", true},
    {9, "Fill", "XJA_FEATURE_DIE_fill", "fill", "Features.Feature", "builder", "Die.FillBuilder", "KTX::DieFillFeatBuilderFactory::object", Given::Feature, "", true},
    {10, "Lineup", "XJA_FEATURE_DIE_lineup", "lineup", "Features.Feature", "builder", "Die.LineupBuilder", "KTX::DieLineupFeatBuilderFactory::object", Given::Feature, "", true},
    {11, "OutputCurves", "XJA_FEATURE_DIE_output_curves", "outcurves", "Features.Feature", "builder", "Die.OutputCurvesBuilder", "KTX::DieOutcurvesFeatBuilderFactory::object", Given::Feature, "", true},
    {12, "Steelinsert", "XJA_FEATURE_DIE_steelinsert", "steelInsert", "Features.Feature", "builder", "Die.SteelInsertBuilder", "KTX::DieSteelInsertFeatBuilderFactory::object", Given::Feature, "", true},
    {13, "CreateQuickBinderBuilder", "XJA_FEATURE_DIE_create_quick_binder_builder", "quickBinder", "Features.QuickBinder", "builder", "Die.QuickBinderBuilder", "KTX::DieEngJA::QuickBinderBuilderFactory::Create", Given::ModelPartFeature, "", true},
    {14, "CreateQuickBinderWrapBuilder", "XJA_FEATURE_DIE_create_quick_binder_wrap_builder", "quickBinderWrap", "Features.Feature", "builder", "Die.QuickBinderWrapBuilder", "KTX::DieEng::QuickBinderWrapBuilderFactory::Create", Given::ModelPartFeature, "", true},
    {15, "CreateTrimLineDevelopmentBuilder", "XJA_FEATURE_DIE_create_trim_line_development_builder", "trimLineDevelopment", "Features.Feature", "builder", "Die.TrimLineDevelopmentBuilder", "KTX::DieEng::TrimLineDevelopmentBuilderFactory::Create", Given::ModelPartFeature, "", true},
    {16, "CreateAddSurfBuilder", "XJA_FEATURE_DIE_create_add_surf_builder", "addSurf", "Features.Feature", "builder", "Die.AddSurfBuilder", "KTX::DieEng::AddSurfBuilderFactory::Create", Given::ModelPartFeature, "", true},
    {17, "FaceSheet", "XJA_FEATURE_DIE_face_sheet", "faceSheet", "Features.Feature", "builder", "Die.FaceSheetBuilder", "KTX::DieFaceSheetFeatBuilderFactory::object", Given::Feature, "", true},
    {18, "TrimFlangeDieAssistant", "XJA_FEATURE_DIE_trim_flange_die_assistant", "nullFeature", "Features.Feature", "builder", "Die.TrimFlangeDieAssistantBuilder", "KTX::DieDes::TrimFlangeDieAssistantBuilderFactory::Create", Given::Nothing, "0", false},
    {19, "DieShoe", "XJA_FEATURE_DIE_die_shoe", "dieShoe", "Die.DieShoe", "builder", "Die.DieShoeBuilder", nullptr, Given::Own, "", true},
    {20, "CreateDieAttribute", "XJA_FEATURE_DIE_create_die_attribute", nullptr, nullptr, "item", "Die.DieAttributesBuilder", "DieAttributesBuilderFactory::Create", Given::Part, "111", false},
    {21, "CreateDieBoolean", "XJA_FEATURE_DIE_create_die_boolean", nullptr, nullptr, "item", "Die.DieBooleanBuilder", nullptr, Given::Own, "", false},
    {22, "CreateDieDirection", "XJA_FEATURE_DIE_create_die_direction", "feature", "Features.Feature", "item", "Die.DieDirectionBuilder", nullptr, Given::Own, "", false},
    {23, "CreateDiePlane", "XJA_FEATURE_DIE_create_die_plane", "feature", "Features.Feature", "item", "Die.DiePlaneBuilder", nullptr, Given::Own, "", false},
    {24, "ClampingSlot", "XJA_FEATURE_DIE_clamping_slot", "clampingSlot", "Die.ClampingSlot", "builder", "Die.ClampingSlotBuilder", nullptr, Given::Own, "", true},
    {25, "CompensateRoughData", "XJA_FEATURE_DIE_compensate_rough_data", "compensateRoughData", "Features.CompensateRoughData", "builder", "Die.CompensateRoughDataBuilder", nullptr, Given::Own, "", true},
    {26, "Keyway", "XJA_FEATURE_DIE_keyway", "keyway", "Die.Keyway", "builder", "Die.KeywayBuilder", nullptr, Given::Own, "", true},
    {27, "Heelpost", "XJA_FEATURE_DIE_heelpost", "heelpost", "Die.Heelpost", "builder", "Die.HeelpostBuilder", nullptr, Given::Own, "", true},
    {28, "CastRelief", "XJA_FEATURE_DIE_cast_relief", "castRelief", "Die.CastRelief", "builder", "Die.CastReliefBuilder", nullptr, Given::Own, "", true},
    {29, "CreateUncutRegionsBuilder", "XJA_FEATURE_DIE_create_uncut_regions_builder", nullptr, nullptr, "builder", "Die.UncutRegionsBuilder", "KTX::DieEngJA::UncutRegionsBuilderFactory::Create", Given::Part, "", false},
    {30, "CreateDieLocation", "XJA_FEATURE_DIE_create_die_location", nullptr, nullptr, "item", "Die.DieLocationBuilder", nullptr, Given::Own, "", false},
    {31, "CreateDieLimits", "XJA_FEATURE_DIE_create_die_limits", nullptr, nullptr, "item", "Die.DieLimitsBuilder", "KTX::DieDes::DieLimitsBuilderFactory::Create", Given::Part, "", false},
    // 32, "CreateDieLocations", with its seven logicals: its own test above.
    {33, "CreateFillAreaBuilder", "XJA_FEATURE_DIE_create_fill_area_builder", "fillArea", "Die.FillArea", "builder", "Die.FillAreaBuilder", nullptr, Given::Own, "", true},
    {34, "CreateFingerClearanceNotchBuilder", "XJA_FEATURE_DIE_create_finger_clearance_notch_builder", "fingerClearanceNotch", "Die.FingerClearanceNotch", "builder", "Die.FingerClearanceNotchBuilder", nullptr, Given::Own, "", true},
    {35, "CreateClearanceBuilder", "XJA_FEATURE_DIE_create_clearance_builder", "clearance", "Die.Clearance", "builder", "Die.ClearanceBuilder", nullptr, Given::Own, "", true},
    {36, "CreateHandlingCoreBuilder", "XJA_FEATURE_DIE_create_handling_core_builder", "handlingCore", "Die.HandlingCore", "builder", "Die.HandlingCoreBuilder", nullptr, Given::Own, "", true},
    {37, "CreateMachineReliefBuilder", "XJA_FEATURE_DIE_create_machine_relief_builder", "machineRelief", "Die.MachineRelief", "builder", "Die.MachineReliefBuilder", nullptr, Given::Own, "", true},
    {38, "CreateDrawBeadBuilder", "XJA_FEATURE_DIE_create_draw_bead_builder", "drawBead", "Die.DrawBead", "builder", "Die.DrawBeadBuilder", nullptr, Given::Own, "", true},
    {39, "CreateSpringbackCompensationBuilder", "XJA_FEATURE_DIE_create_springback_compensation_builder", "springbackCompensation", "Die.SpringbackCompensation", "builder", "Die.SpringbackCompensationBuilder", nullptr, Given::Own, "", true},
};

using WithInput = int (*)(tag_t, tag_t, tag_t*);
using WithoutInput = int (*)(tag_t, tag_t*);

TEST_F(DieCollection, EveryCreatorRecordsItsPublishedNamesAndReachesItsFactory) {
  ASSERT_EQ(std::size(kCreators), 38u);
  for (const CreatorRow& row : kCreators) {
    SCOPED_TRACE(row.member);
    JAM::Test::Reset();
    Host::ClearCalls();
    void* symbol = dlsym(RTLD_DEFAULT, row.exportName);
    EXPECT_NE(symbol, nullptr);
    if (symbol == nullptr) continue;
    // A host factory is given a feature that has no die-design parameters; an
    // own factory would refuse one of another kind, so it is given none.
    tag_t input = 0;
    if (row.input != nullptr && row.given != Given::Own) input = Feature(nullptr)->ask_tag();
    if (row.input != nullptr && !row.inputUsed) input = Feature(nullptr)->ask_tag();
    tag_t result = 0;
    int status = row.input != nullptr ? reinterpret_cast<WithInput>(symbol)(collection(), input, &result)
                                      : reinterpret_cast<WithoutInput>(symbol)(collection(), &result);
    EXPECT_EQ(status, 0);
    EXPECT_NE(Keep(result), 0u);
    if (status != 0 || result == 0) continue;

    EXPECT_EQ(JAM::Recorded().size(), 1u);
    if (JAM::Recorded().size() != 1u) continue;
    const JAM::Record& r = JAM::Recorded()[0];
    EXPECT_EQ(r.journalClass, "Die.DieCollection");
    EXPECT_EQ(r.member, row.member);
    EXPECT_EQ(r.methodType, 0);
    EXPECT_EQ(r.thisKind, 't');
    EXPECT_EQ(r.thisTag, collection());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.values.size(), row.input != nullptr ? 2u : 1u);
    if (r.values.size() != (row.input != nullptr ? 2u : 1u)) continue;
    if (row.input != nullptr) {
      EXPECT_EQ(r.values[0].direction, JAM::Direction::In);
      EXPECT_EQ(r.values[0].kind, JAM::ValueKind::Tag);
      EXPECT_EQ(r.values[0].name, row.input);
      EXPECT_EQ(r.values[0].type, row.inputClass);
      EXPECT_EQ(r.values[0].integer, static_cast<long long>(input));
    }
    const JAM::Value& out = r.values.back();
    EXPECT_EQ(out.direction, JAM::Direction::Result);
    EXPECT_EQ(out.kind, JAM::ValueKind::Tag);
    EXPECT_EQ(out.name, row.result);
    EXPECT_EQ(out.type, row.resultClass);
    EXPECT_EQ(out.integer, static_cast<long long>(result));

    // The builder made is of the result's class.
    auto* made = dynamic_cast<JAX_BASE_BUILDER*>(OM::OM_object_of_tag(result));
    EXPECT_NE(made, nullptr);
    if (made == nullptr) continue;
    char* journalClass = made->ask_journal_class_name();
    EXPECT_STREQ(journalClass, row.resultClass);
    SM_free(journalClass);

    if (row.factory == nullptr) continue;
    // A host factory: called once, with what the row says.
    std::vector<std::string> calls = Logged(row.factory);
    EXPECT_EQ(calls.size(), 1u);
    if (calls.size() != 1u) continue;
    const std::string partTag = std::to_string(part()->ask_tag());
    const std::string modelTag = std::to_string(modelPart()->ask_tag());
    const std::string featureTag = std::to_string(input);
    std::string expected;
    switch (row.given) {
      case Given::Feature: expected = "part=0 cmpart=0 frec=" + featureTag; break;
      case Given::ModelPartFeature: expected = "part=0 cmpart=" + modelTag + " frec=" + featureTag; break;
      case Given::Part:
        expected = row.slot == 20 ? "part=" + partTag : "part=" + partTag + " cmpart=0 frec=0";
        break;
      case Given::Nothing: expected = "part=0 cmpart=0 frec=0"; break;
      case Given::Own: break;
    }
    if (row.flags[0] != '\0') expected += std::string(" ") + row.flags;
    EXPECT_EQ(calls[0], expected);
  }
}

TEST_F(DieCollection, DirectionAndPlaneCreatorsAllowEveryOption) {
  tag_t item = 0;
  ASSERT_EQ(Journalled()->CreateDieDirection(collection(), 0, &item), 0);
  auto* direction = dynamic_cast<DieDes::DieDirectionBuilder*>(OM::OM_object_of_tag(Keep(item)));
  ASSERT_NE(direction, nullptr);
  for (int i = 0; i < DieDes::DieDirectionBuilder::kAllowOptionCount; ++i)
    EXPECT_TRUE(direction->GetAllowOptionsItem(i)) << i;
  EXPECT_TRUE(direction->GetApplIsOverallRequired());
  item = 0;
  ASSERT_EQ(Journalled()->CreateDiePlane(collection(), 0, &item), 0);
  auto* plane = dynamic_cast<DieDes::DiePlaneBuilder*>(OM::OM_object_of_tag(Keep(item)));
  ASSERT_NE(plane, nullptr);
  for (int i = 0; i < DieDes::DiePlaneBuilder::kAllowOptionCount; ++i) EXPECT_TRUE(plane->GetAllowOptionsItem(i)) << i;
  EXPECT_TRUE(plane->GetApplIsOverallRequired());
}

TEST_F(DieCollection, TheInputIsConvertedBeforeTheCollection) {
  // A deleted input and a collection that is no part: the input's error wins.
  FEATURE_RECORD* feature = Feature(nullptr);
  tag_t gone = feature->ask_tag();
  feature->destroy();
  tag_t notAPart = Feature(nullptr)->ask_tag();
  tag_t result = 0;
  EXPECT_EQ(XJA_FEATURE_DIE_create_quick_binder_builder(notAPart, gone, &result),
            static_cast<int>(Error::kDeletedTag));
  EXPECT_EQ(XJA_FEATURE_DIE_cast_relief(notAPart, gone, &result), static_cast<int>(Error::kDeletedTag));
  // With a good input, the collection is converted and refused.
  EXPECT_EQ(XJA_FEATURE_DIE_create_quick_binder_builder(notAPart, 0, &result), static_cast<int>(Error::kBadObject));
  EXPECT_EQ(XJA_FEATURE_DIE_cast_relief(notAPart, 0, &result), static_cast<int>(Error::kBadObject));
  EXPECT_TRUE(Logged("KTX::DieEngJA::QuickBinderBuilderFactory::Create").empty());
}

// ---- host factories ---------------------------------------------------------------------

TEST_F(DieCollection, FeatureOnlyCreatorsNeverLookAtTheCollection) {
  FEATURE_RECORD* feature = Feature(nullptr);
  tag_t builder = 0;
  // Not a part's tag at all.
  ASSERT_EQ(XJA_FEATURE_DIE_rotor(feature->ask_tag(), feature->ask_tag(), &builder), 0);
  auto* rotor = dynamic_cast<DieFeatureBuilder*>(OM::OM_object_of_tag(Keep(builder)));
  ASSERT_NE(rotor, nullptr);
  EXPECT_STREQ(rotor->Factory(), "KTX::DieRotorFeatBuilderFactory::object");
  EXPECT_STREQ(rotor->JournalClass(), "Die.RotorBuilder");
  EXPECT_EQ(rotor->GivenFeature(), feature->ask_tag());
  EXPECT_EQ(rotor->GivenPart(), 0u);
  EXPECT_EQ(rotor->GivenModelPart(), 0u);
  EXPECT_EQ(JAM::Recorded().at(0).values.at(0).name, "rotor");
}

TEST_F(DieCollection, HostFeatureCreatorsGetTheModellingPartAndTheFeature) {
  FEATURE_RECORD* feature = Feature(nullptr);
  tag_t builder = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_create_quick_binder_builder(collection(), feature->ask_tag(), &builder), 0);
  auto* binder = dynamic_cast<DieFeatureBuilder*>(OM::OM_object_of_tag(Keep(builder)));
  ASSERT_NE(binder, nullptr);
  EXPECT_STREQ(binder->Factory(), "KTX::DieEngJA::QuickBinderBuilderFactory::Create");
  EXPECT_EQ(binder->GivenModelPart(), modelPart()->ask_tag());
  EXPECT_EQ(binder->GivenFeature(), feature->ask_tag());
  const JAM::Record& r = JAM::Recorded().at(0);
  EXPECT_EQ(r.values.at(0).name, "quickBinder");
  EXPECT_EQ(r.values.at(0).type, "Features.QuickBinder");
}

TEST_F(DieCollection, TrimFlangeDieAssistantIgnoresCollectionAndInput) {
  FEATURE_RECORD* feature = Feature(nullptr);
  tag_t builder = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_trim_flange_die_assistant(feature->ask_tag(), feature->ask_tag(), &builder), 0);
  auto* assistant = dynamic_cast<DieFeatureBuilder*>(OM::OM_object_of_tag(Keep(builder)));
  ASSERT_NE(assistant, nullptr);
  EXPECT_EQ(assistant->GivenPart(), 0u);
  EXPECT_EQ(assistant->GivenFeature(), 0u);
  ASSERT_EQ(assistant->FlagCount(), 1);
  EXPECT_FALSE(assistant->Flag(0));
  EXPECT_EQ(JAM::Recorded().at(0).values.at(0).name, "nullFeature");
}

TEST_F(DieCollection, AFactoryThatGivesNoBuilderIsAFailureWithResultZero) {
  Host::SetAnswer("KTX::DieEngJA::QuickBinderBuilderFactory::Create.nobuilder", 1);
  Host::SetAnswer("KTX::DieEngJA::AddendumSectionUserDefinedBuilderFactory::Create.nobuilder", 1);
  Host::SetAnswer("KTX::DieEngJA::UncutRegionsBuilderFactory::Create.nobuilder", 1);
  tag_t result = 4242;
  EXPECT_NE(XJA_FEATURE_DIE_create_quick_binder_builder(collection(), 0, &result), 0);
  EXPECT_EQ(result, 0u);
  result = 4242;
  EXPECT_NE(XJA_FEATURE_DIE_create_addendum_section_user_defined_builder(collection(), &result), 0);
  EXPECT_EQ(result, 0u);
  result = 4242;
  EXPECT_NE(XJA_FEATURE_DIE_create_uncut_regions_builder(collection(), &result), 0);
  EXPECT_EQ(result, 0u);
  for (const JAM::Record& r : JAM::Recorded()) EXPECT_NE(r.status, 0) << r.member;

  // Unjournalled, the failure reaches the caller and the result is still cleared.
  result = 4242;
  EXPECT_NE(RaisedCode([&] { Unjournalled()->CreateUncutRegionsBuilder(collection(), &result); }), 0);
  EXPECT_EQ(result, 0u);

  // Where the recipe clears and tests, no builder is success with no tag.
  Host::SetAnswer("KTX::DieDes::DieLimitsBuilderFactory::Create.nobuilder", 1);
  result = 4242;
  EXPECT_EQ(XJA_FEATURE_DIE_create_die_limits(collection(), &result), 0);
  EXPECT_EQ(result, 0u);
}

TEST_F(DieCollection, AHostFactorysRaisedErrorIsTheStatus) {
  Host::SetAnswer("KTX::DieEngJA::UncutRegionsBuilderFactory::Create", kBadFactoryCode);
  tag_t result = 0;
  EXPECT_EQ(XJA_FEATURE_DIE_create_uncut_regions_builder(collection(), &result), static_cast<int>(kBadFactoryCode));
  EXPECT_EQ(Logged("KTX::DieEngJA::UncutRegionsBuilderFactory::Create").size(), 1u);
}

// ---- unjournalled -----------------------------------------------------------------------

TEST_F(DieCollection, RoughDataCompensationThroughTheUnjournalledInterfaceLeavesNoRecord) {
  tag_t builder = 9;
  ASSERT_EQ(Unjournalled()->CompensateRoughData(collection(), 0, &builder), 0);
  EXPECT_NE(dynamic_cast<DieEngJA::CompensateRoughDataBuilder*>(OM::OM_object_of_tag(Keep(builder))), nullptr);
  EXPECT_TRUE(JAM::Recorded().empty());
}

// ---- enumerator ----------------------------------------------------------------------------

TEST_F(DieCollection, EnumeratorYieldsTheDieFeaturesInOrderThenZero) {
  tag_t cursor = 0;
  // No die feature at all: done at once.
  Feature(nullptr);
  EXPECT_EQ(XJA_DieCollection_enumerate(collection(), &cursor), 0);
  EXPECT_EQ(cursor, 0u);

  FEATURE_RECORD* first = Feature(DieDes::CastReliefFactory::Create());
  Feature(nullptr);
  FEATURE_RECORD* second = Feature(DieDes::ClearanceFactory::Create());
  cursor = 0;
  ASSERT_EQ(XJA_DieCollection_enumerate(collection(), &cursor), 0);
  EXPECT_EQ(cursor, first->ask_tag());
  ASSERT_EQ(XJA_DieCollection_enumerate(collection(), &cursor), 0);
  EXPECT_EQ(cursor, second->ask_tag());
  // Started at the last one: the end.
  ASSERT_EQ(XJA_DieCollection_enumerate(collection(), &cursor), 0);
  EXPECT_EQ(cursor, 0u);
  EXPECT_TRUE(JAM::Recorded().empty());
}

// ---- set-up and registration ------------------------------------------------------------

TEST_F(DieCollection, SetUpLooksUpTheRecordedClassesInOrderButNotItsParent) {
  if (AlreadySetUp("Die.DieCollection"))
    GTEST_SKIP() << "the class was set up by an earlier test in this process";
  tag_t item = 0;
  ASSERT_EQ(XJA_FEATURE_DIE_create_die_limits(collection(), &item), 0);
  Keep(item);
  std::vector<std::string> calls;
  for (const Host::Call& c : Host::Calls())
    if (c.name.rfind("JAM_", 0) == 0 || c.name == "FileInitializer::Initialize") calls.push_back(c.name + " " + c.args);
  ASSERT_GE(calls.size(), 58u);
  EXPECT_EQ(calls[0].rfind("FileInitializer::Initialize Features.FeatureCollection", 0), 0u);
  std::vector<std::string> lookedUp;
  for (std::size_t i = 1; i < calls.size() && calls[i].rfind("JAM_lookup_or_create_class ", 0) == 0; ++i)
    lookedUp.push_back(calls[i].substr(27));
  // 15 input classes, 39 result classes and the feature collection.
  EXPECT_EQ(lookedUp.size(), 55u);
  EXPECT_TRUE(std::is_sorted(lookedUp.begin(), lookedUp.end()));
  for (const char* name : {"Die.AddSurfBuilder", "Die.CastRelief", "Die.DieLimitsBuilder", "Die.SpringbackCompensation",
                           "Features.CompensateRoughData", "Features.Feature", "Features.FeatureCollection",
                           "Features.QuickBinder", "Die.TrimFlangeDieAssistantBuilder"})
    EXPECT_NE(std::find(lookedUp.begin(), lookedUp.end(), name), lookedUp.end()) << name;
  EXPECT_EQ(std::find(lookedUp.begin(), lookedUp.end(), "TaggedObjectCollection"), lookedUp.end());
  std::size_t next = 1 + lookedUp.size();
  EXPECT_EQ(calls.at(next), "JAM_create_class Die.DieCollection TaggedObjectCollection");
  EXPECT_EQ(calls.at(next + 1), "JAM_test_register_print_fn Die.DieCollection");
  EXPECT_EQ(calls.at(next + 2), "JAM_start_call Die.DieCollection CreateDieLimits");
  EXPECT_EQ(JAM::Test::DefaultsFunction("Die.DieCollection"), nullptr);
}

TEST_F(DieCollection, TestPrintShowsTheCollectionAsATaggedObjectCollectionAndNoMembers) {
  JAM::FileInitializer::Initialize("Die.DieCollection");
  JAM_print_fn print = JAM::Test::PrintFunction("Die.DieCollection");
  ASSERT_NE(print, nullptr);
  JAM::Autotest::EnableAPIPrint("Die.DieCollection", true);
  const int nesting = JAM::Autotest::m_subobjectNesting;
  JAM::Autotest::m_subobjectNesting = 1;
  Host::ClearCalls();
  tag_t tag = collection();
  print(&tag, "collection", 0);
  JAM::Autotest::m_subobjectNesting = nesting;
  JAM::Autotest::EnableAPIPrint("Die.DieCollection", false);
  std::vector<std::string> printed;
  for (const Host::Call& c : Host::Calls())
    if (c.name.rfind("JAM_test_print_", 0) == 0) printed.push_back(c.name);
  EXPECT_EQ(printed, (std::vector<std::string>{"JAM_test_print_tag_start", "JAM_test_print_subobjects_of_object",
                                               "JAM_test_print_tag_of_class", "JAM_test_print_call_custom_print_fn",
                                               "JAM_test_print_tag_end"}));
  std::vector<std::string> asClass = Logged("JAM_test_print_tag_of_class");
  ASSERT_EQ(asClass.size(), 1u);
  EXPECT_NE(asClass[0].find("TaggedObjectCollection"), std::string::npos) << asClass[0];
}

TEST(DieCollectionLoad, RegisteredAfterTheDieBooleanBuilderWithoutACreatorName) {
  std::vector<std::string> files = JAM::Test::FileInitializerNames();
  auto at = [&](const char* name) { return std::find(files.begin(), files.end(), name) - files.begin(); };
  ASSERT_LT(at("Die.DieCollection"), static_cast<long>(files.size()));
  EXPECT_EQ(at("Die.DieBooleanBuilder") + 1, at("Die.DieCollection"));
  EXPECT_EQ(at("Die.DieCollection") + 1, at("Die.DieDirectionBuilder"));
  std::vector<std::string> classes = JAM::Test::ClassInitializerNames();
  EXPECT_NE(std::find(classes.begin(), classes.end(), "Die.DieCollection"), classes.end());
  // Creator names come with the units of the classes created: these fourteen
  // members of the collection and no other, each registered once, by its
  // class's unit (every one of the fourteen is loaded).
  const std::map<std::string, std::string> createdBy = {
      {"CastRelief", "Die.CastReliefBuilder"},
      {"ClampingSlot", "Die.ClampingSlotBuilder"},
      {"CreateClearanceBuilder", "Die.ClearanceBuilder"},
      {"CompensateRoughData", "Die.CompensateRoughDataBuilder"},
      {"CreateDieLocation", "Die.DieLocationBuilder"},
      {"DieShoe", "Die.DieShoeBuilder"},
      {"CreateDrawBeadBuilder", "Die.DrawBeadBuilder"},
      {"CreateFillAreaBuilder", "Die.FillAreaBuilder"},
      {"CreateFingerClearanceNotchBuilder", "Die.FingerClearanceNotchBuilder"},
      {"CreateHandlingCoreBuilder", "Die.HandlingCoreBuilder"},
      {"Heelpost", "Die.HeelpostBuilder"},
      {"Keyway", "Die.KeywayBuilder"},
      {"CreateMachineReliefBuilder", "Die.MachineReliefBuilder"},
      {"CreateSpringbackCompensationBuilder", "Die.SpringbackCompensationBuilder"}};
  std::multiset<std::string> expected;
  for (const auto& [member, created] : createdBy)
    if (std::find(files.begin(), files.end(), created) != files.end()) expected.insert(member);
  EXPECT_EQ(expected.size(), createdBy.size());
  std::multiset<std::string> registered;
  for (const std::string& pair : JAM::Test::CreatorMethodNames())
    if (pair.rfind("Die.DieCollection ", 0) == 0) registered.insert(pair.substr(18));
  EXPECT_EQ(registered, expected);
}

}  // namespace
