// The plug-in as it loads: its scripting units registered in the order of
// its load table, row by row, as one unbroken run between the property
// owners and the tooling, and taken down in reverse; the feature classes'
// units created on request under their table's parents; and its exports,
// exactly the published ones. The classes expected are the catalogue's rows
// (kCatalogue); the orders are written out from the load table, not read
// from it.
#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "JamTestSupport.hpp"
#include "LoadOrder.hpp"
#include "TestSupport.hpp"
#include "ja_catalogue.hpp"
#include "jam/Journal.hpp"

using namespace KTX;
using stamvik_test::DynamicSymbolAddresses;
using stamvik_test::JamCalls;
using stamvik_test::JamTest;
using stamvik_test::OnlyThese;

// The anchors the plug-in exports for a program to force it to load.
extern "C" {
void XJA_CastReliefBuilder_force_load();
void XJA_TireEnvelope_force_load();
}

namespace {

// ---- feature classes -------------------------------------------------------------------

class FeatureUnits : public JamTest {};

TEST_F(FeatureUnits, SetUpOnRequestCreatesTheJournalClassOnce) {
  // The plug-in's unit sets itself up once per load, whichever test asked
  // first: checked in a process of its own, where the plug-in is freshly loaded.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto setUpTwice = [] {
    JAM::FileInitializer::Initialize("Features.Manikin");
    std::vector<std::string> calls = JamCalls(false);
    std::vector<std::string> setUp(calls.begin() + 1, calls.end());
    bool once = setUp == std::vector<std::string>{
                             "JAM_lookup_or_create_class Features.Feature",
                             "JAM_create_class Features.Manikin Features.Feature",
                             "JAM_test_register_print_fn Features.Manikin",
                         };
    Host::ClearCalls();
    JAM::FileInitializer::Initialize("Features.Manikin");
    bool again = JamCalls(false) == std::vector<std::string>{"FileInitializer::Initialize Features.Manikin"};
    std::exit(once && again ? 0 : 1);
  };
  EXPECT_EXIT(setUpTwice(),
      testing::ExitedWithCode(0), "");
}

TEST_F(FeatureUnits, TheAutoDieGroupCreatesItsClassWithNoLookUpFirst) {
  // The set-up runs once per load: checked in a process of its own.
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  auto setUp = [] {
    JAM::FileInitializer::Initialize("Tooling.AutoDieGroup");
    bool noLookUp = JamCalls(false) == std::vector<std::string>{
                                           "FileInitializer::Initialize Tooling.AutoDieGroup",
                                           "JAM_create_class Tooling.AutoDieGroup TaggedObject",
                                           "JAM_test_register_print_fn Tooling.AutoDieGroup",
                                       };
    std::exit(noLookUp ? 0 : 1);
  };
  EXPECT_EXIT(setUp(), testing::ExitedWithCode(0), "");
}

TEST_F(FeatureUnits, TestPrintNamesTheParentsShortName) {
  JAM::FileInitializer::Initialize("Die.CastRelief");
  JAM::FileInitializer::Initialize("Tooling.AutoDieGroup");
  JAM::Autotest::EnableAPIPrint("*", true);
  JAM::Autotest::m_subobjectNesting = 1;
  tag_t tag = part()->ask_tag();
  Host::ClearCalls();
  JAM::Test::PrintFunction("Die.CastRelief")(&tag, "feature", 1);
  JAM::Test::PrintFunction("Tooling.AutoDieGroup")(&tag, nullptr, 0);
  std::vector<std::string> printed;
  for (const Host::Call& c : Host::Calls())
    if (c.name.rfind("JAM_test_print_", 0) == 0) printed.push_back(c.name + " " + c.args);
  std::string t = std::to_string(tag);
  EXPECT_EQ(printed, (std::vector<std::string>{
                         "JAM_test_print_tag_start " + t + " feature 1",
                         "JAM_test_print_subobjects_of_object " + t + " feature 0",
                         "JAM_test_print_tag_of_class " + t + " BodyFeature  0",
                         "JAM_test_print_call_custom_print_fn " + t + " feature Die.CastRelief",
                         "JAM_test_print_tag_end feature 1",
                         "JAM_test_print_subobjects_of_object " + t + "  0",
                         "JAM_test_print_tag_of_class " + t + " TaggedObject  0",
                         "JAM_test_print_call_custom_print_fn " + t + "  Tooling.AutoDieGroup",
                     }));
}

// The 16 feature and group classes, under the parents of the load table.
TEST_F(FeatureUnits, EachFeatureClassIsCreatedUnderItsTablesParentWithoutAnInterface) {
  for (const auto& [feature, parent] : stamvik_test::kFeatureClasses) {
    SCOPED_TRACE(feature);
    JAM::FileInitializer::Initialize(feature);
    JAM::Test::TypeView view;
    const bool described = JAM::Test::DescribeClass(feature, &view);
    EXPECT_TRUE(described) << feature;
    if (!described) continue;
    EXPECT_TRUE(view.created) << feature;
    EXPECT_EQ(view.parent, parent) << feature;
    EXPECT_TRUE(view.accessors.empty()) << feature;
    EXPECT_TRUE(view.interfaces.empty()) << feature;
    EXPECT_NE(JAM::Test::PrintFunction(feature), nullptr) << feature;
    EXPECT_EQ(JAM::Test::DefaultsFunction(feature), nullptr) << feature;
    EXPECT_EQ(JAM::ClassInitializer::GetJournalledInterface(feature), nullptr) << feature;
    EXPECT_EQ(JAM::ClassInitializer::GetUnjournalledInterface(feature), nullptr) << feature;
  }
}

TEST(PluginLoad, UnitsRegisteredInTheTableOrder) {
  std::vector<std::string> files = JAM::Test::FileInitializerNames();
  // The cast relief's builder and every feature class of the catalogue, each
  // registered once (their order is the registration test's below).
  std::vector<std::string> ours = {"Die.CastReliefBuilder"};
  for (const JA::CatalogueRow& row : JA::kCatalogue)
    if (row.kind == JA::CatalogueKind::Feature) ours.push_back(row.journalClass);
  std::vector<std::string> registered = OnlyThese(files, ours);
  std::sort(registered.begin(), registered.end());
  std::sort(ours.begin(), ours.end());
  EXPECT_EQ(registered, ours);

  std::vector<std::string> classes = JAM::Test::ClassInitializerNames();
  EXPECT_EQ(std::count(classes.begin(), classes.end(), "Die.CastReliefBuilder"), 1);
  for (const std::string& feature : ours) {
    if (feature != "Die.CastReliefBuilder") {
      EXPECT_EQ(std::count(classes.begin(), classes.end(), feature), 0);
    }
  }

  std::vector<std::string> creators = JAM::Test::CreatorMethodNames();
  EXPECT_EQ(std::count(creators.begin(), creators.end(), "Die.DieCollection CastRelief"), 1);
}

// What ktxhost prints of one command's run, line by line.
std::vector<std::string> KtxhostLines(const std::string& command) {
  return stamvik_test::KtxhostOutput({command, "--plugin", STAMVIK_PLUGIN});
}

TEST(PluginLoad, RegistrationFollowsTheLoadTableRowByRow) {
  // Per row: its creator name (when it has one), its file initializer, its
  // class initializer (builders and collections). Every journaling unit the
  // plug-in holds is here, 45 rows, each numbered beside its first line.
  const std::vector<std::string> expected = {
      "JAM_register_creator_method_name Die.DieCollection CastRelief",  // 1
      "FileInitializer Die.CastReliefBuilder",
      "ClassInitializer Die.CastReliefBuilder",
      "FileInitializer Die.CastRelief",  // 2
      "JAM_register_creator_method_name Die.DieCollection ClampingSlot",  // 3
      "FileInitializer Die.ClampingSlotBuilder",
      "ClassInitializer Die.ClampingSlotBuilder",
      "FileInitializer Die.ClampingSlot",  // 4
      "JAM_register_creator_method_name Die.DieCollection CreateClearanceBuilder",  // 5
      "FileInitializer Die.ClearanceBuilder",
      "ClassInitializer Die.ClearanceBuilder",
      "FileInitializer Die.Clearance",  // 6
      "JAM_register_creator_method_name Die.DieCollection CompensateRoughData",  // 7
      "FileInitializer Die.CompensateRoughDataBuilder",
      "ClassInitializer Die.CompensateRoughDataBuilder",
      "FileInitializer Die.DieBooleanBuilder",  // 8
      "ClassInitializer Die.DieBooleanBuilder",
      "FileInitializer Die.DieCollection",  // 9
      "ClassInitializer Die.DieCollection",
      "FileInitializer Die.DieDirectionBuilder",  // 10
      "ClassInitializer Die.DieDirectionBuilder",
      "FileInitializer Die.DieLocationsBuilder",  // 11
      "ClassInitializer Die.DieLocationsBuilder",
      "JAM_register_creator_method_name Die.DieCollection CreateDieLocation",  // 12
      "FileInitializer Die.DieLocationBuilder",
      "ClassInitializer Die.DieLocationBuilder",
      "FileInitializer Die.DiePlaneBuilder",  // 13
      "ClassInitializer Die.DiePlaneBuilder",
      "JAM_register_creator_method_name Die.DieCollection DieShoe",  // 14
      "FileInitializer Die.DieShoeBuilder",
      "ClassInitializer Die.DieShoeBuilder",
      "FileInitializer Die.DieShoe",  // 15
      "JAM_register_creator_method_name Die.DieCollection CreateDrawBeadBuilder",  // 16
      "FileInitializer Die.DrawBeadBuilder",
      "ClassInitializer Die.DrawBeadBuilder",
      "FileInitializer Die.DrawBead",  // 17
      "JAM_register_creator_method_name Die.DrawBeadBuilder CreateDrawBeadSegment",  // 18
      "FileInitializer Die.DrawBeadSegmentBuilder",
      "ClassInitializer Die.DrawBeadSegmentBuilder",
      "FileInitializer Die.DrawBeadTaperBuilder",  // 19
      "ClassInitializer Die.DrawBeadTaperBuilder",
      "JAM_register_creator_method_name Die.DieCollection CreateFillAreaBuilder",  // 20
      "FileInitializer Die.FillAreaBuilder",
      "ClassInitializer Die.FillAreaBuilder",
      "FileInitializer Die.FillArea",  // 21
      "JAM_register_creator_method_name Die.DieCollection CreateFingerClearanceNotchBuilder",  // 22
      "FileInitializer Die.FingerClearanceNotchBuilder",
      "ClassInitializer Die.FingerClearanceNotchBuilder",
      "FileInitializer Die.FingerClearanceNotch",  // 23
      "JAM_register_creator_method_name Die.DieCollection CreateHandlingCoreBuilder",  // 24
      "FileInitializer Die.HandlingCoreBuilder",
      "ClassInitializer Die.HandlingCoreBuilder",
      "FileInitializer Die.HandlingCore",  // 25
      "JAM_register_creator_method_name Die.DieCollection Heelpost",  // 26
      "FileInitializer Die.HeelpostBuilder",
      "ClassInitializer Die.HeelpostBuilder",
      "FileInitializer Die.Heelpost",  // 27
      "JAM_register_creator_method_name Die.DieCollection Keyway",  // 28
      "FileInitializer Die.KeywayBuilder",
      "ClassInitializer Die.KeywayBuilder",
      "FileInitializer Die.Keyway",  // 29
      "JAM_register_creator_method_name Die.DieCollection CreateMachineReliefBuilder",  // 30
      "FileInitializer Die.MachineReliefBuilder",
      "ClassInitializer Die.MachineReliefBuilder",
      "FileInitializer Die.MachineRelief",  // 31
      "JAM_register_creator_method_name Die.DieCollection CreateSpringbackCompensationBuilder",  // 32
      "FileInitializer Die.SpringbackCompensationBuilder",
      "ClassInitializer Die.SpringbackCompensationBuilder",
      "FileInitializer Die.SpringbackCompensation",  // 33
      "FileInitializer Features.AutomotiveCollection",  // 34
      "ClassInitializer Features.AutomotiveCollection",
      "FileInitializer Features.CompensateRoughData",  // 35
      "JAM_register_creator_method_name Features.AutomotiveCollection CreateManikinBuilder",  // 36
      "FileInitializer Features.ManikinBuilder",
      "ClassInitializer Features.ManikinBuilder",
      "FileInitializer Features.Manikin",  // 37
      "JAM_register_creator_method_name Features.AutomotiveCollection CreateTireEnvelopeBuilder",  // 38
      "FileInitializer Features.TireEnvelopeBuilder",
      "ClassInitializer Features.TireEnvelopeBuilder",
      "FileInitializer Features.TireEnvelope",  // 39
      "FileInitializer Tooling.AutoDieCollection",  // 40
      "ClassInitializer Tooling.AutoDieCollection",
      "FileInitializer Tooling.AutoDieGroup",  // 41
      "JAM_register_creator_method_name Tooling.AutoDieCollection CreateDieDesDrawDieBuilder",  // 42
      "FileInitializer Tooling.DieDesDrawDieBuilder",
      "ClassInitializer Tooling.DieDesDrawDieBuilder",
      "JAM_register_creator_method_name Tooling.AutoDieCollection CreateDieDesDrawPunchBuilder",  // 43
      "FileInitializer Tooling.DieDesDrawPunchBuilder",
      "ClassInitializer Tooling.DieDesDrawPunchBuilder",
      "JAM_register_creator_method_name Tooling.AutoDieCollection CreateDieDesPierceInsertBuilder",  // 44
      "FileInitializer Tooling.DieDesPierceInsertBuilder",
      "ClassInitializer Tooling.DieDesPierceInsertBuilder",
      "JAM_register_creator_method_name Tooling.AutoDieCollection CreateDieEngFormTaskBuilder",  // 45
      "FileInitializer Tooling.DieEngFormTaskBuilder",
      "ClassInitializer Tooling.DieEngFormTaskBuilder",
  };
  std::vector<std::string> registered;
  for (const std::string& line : KtxhostLines("journal"))
    if (line.rfind("JAM_register_creator_method_name ", 0) == 0 || line.rfind("FileInitializer ", 0) == 0 ||
        line.rfind("ClassInitializer ", 0) == 0)
      registered.push_back(line);
  EXPECT_EQ(registered, expected);
}

TEST(PluginLoad, UnitsLoadAsOneUnbrokenRunBetweenTheOwnersAndTheTooling) {
  std::vector<std::string> names;
  for (const char* n : Stamvik::LoadOrderNames()) names.push_back(n);
  auto starts = [](const std::string& name, const char* prefix) { return name.rfind(prefix, 0) == 0; };
  std::size_t first = names.size(), last = 0;
  for (std::size_t i = 0; i < names.size(); ++i)
    if (starts(names[i], "journal ")) {
      first = std::min(first, i);
      last = i;
    }
  ASSERT_LT(first, names.size());
  EXPECT_EQ(names[first], "journal Die.CastReliefBuilder");
  for (std::size_t i = first; i <= last; ++i) EXPECT_TRUE(starts(names[i], "journal ")) << names[i];
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& n = names[i];
    // Die-design and die-engineering classes and the "Die." and "Features." owners come first.
    if (starts(n, "KTX::DieDes") || starts(n, "KTX::DieEngJA") || starts(n, "owner Die.") ||
        starts(n, "owner Features.")) {
      EXPECT_LT(i, first) << n;
    }
    // The tooling owners and the tooling and vehicle-design classes after.
    if (starts(n, "owner Tooling.") || starts(n, "KTX::Tooling::") || starts(n, "KTX::VDJA::")) {
      EXPECT_GT(i, last) << n;
    }
  }
}

TEST(PluginLoad, AnchorsDoNothing) {
  Host::ClearCalls();
  std::size_t journal = JAM::Recorded().size();
  for (int i = 0; i < 3; ++i) {
    XJA_CastReliefBuilder_force_load();
    XJA_TireEnvelope_force_load();
  }
  EXPECT_TRUE(Host::Calls().empty());
  EXPECT_EQ(JAM::Recorded().size(), journal);
}

TEST(PluginLoad, UnloadTakesTheUnitsDownInReverseClassInitializerFirst) {
  int status = -1;
  const std::vector<std::string> lines = stamvik_test::KtxhostOutput({"journal", "--plugin", STAMVIK_PLUGIN}, &status);
  ASSERT_FALSE(lines.empty());
  std::vector<std::string> registered, removed;
  for (const std::string& text : lines) {
    if (text.rfind("FileInitializer ", 0) == 0 || text.rfind("ClassInitializer ", 0) == 0) registered.push_back(text);
    if (text.rfind("~", 0) == 0) removed.push_back(text.substr(1));
  }
  EXPECT_EQ(status, 0);
  ASSERT_GE(registered.size(), 3u);
  EXPECT_EQ(registered[0], "FileInitializer Die.CastReliefBuilder");
  EXPECT_EQ(registered[1], "ClassInitializer Die.CastReliefBuilder");
  EXPECT_EQ(registered[2], "FileInitializer Die.CastRelief");
  std::vector<std::string> reversed(registered.rbegin(), registered.rend());
  EXPECT_EQ(removed, reversed);
}

TEST(PluginLoad, ExportsAreExactlyThePublishedOnes) {
  std::map<std::string, std::string> symbols = DynamicSymbolAddresses();
  ASSERT_FALSE(symbols.empty());
  std::set<std::string> exports;
  for (const auto& [name, address] : symbols)
    if (name.rfind("XJA_CAST_RELIEF_BUILDER_", 0) == 0) exports.insert(name);
  std::set<std::string> expected = {
      "XJA_CAST_RELIEF_BUILDER_get_Target",           "XJA_CAST_RELIEF_BUILDER_get_ReliefProfile",
      "XJA_CAST_RELIEF_BUILDER_get_SheetMetal",       "XJA_CAST_RELIEF_BUILDER_get_ReliefSheet",
      "XJA_CAST_RELIEF_BUILDER_get_BaseOrientation",  "XJA_CAST_RELIEF_BUILDER_get_ReliefDepth",
      "XJA_CAST_RELIEF_BUILDER_get_CreateSupportCasting", "XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting",
      "XJA_CAST_RELIEF_BUILDER_get_Thickness",        "XJA_CAST_RELIEF_BUILDER_get_DistanceTolerance",
      "XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance", "XJA_CAST_RELIEF_BUILDER_get_AngleTolerance",
      "XJA_CAST_RELIEF_BUILDER_set_AngleTolerance"};
  EXPECT_EQ(exports, expected);

  std::set<std::string> addresses;
  // One anchor a catalogue row, all one function.
  for (const JA::CatalogueRow& row : JA::kCatalogue) {
    const std::string anchor = row.anchor;
    SCOPED_TRACE(row.journalClass);
    auto it = symbols.find(std::string("XJA_") + anchor + "_force_load");
    EXPECT_NE(it, symbols.end()) << anchor;
    if (it == symbols.end()) continue;
    addresses.insert(it->second);
  }
  EXPECT_EQ(addresses.size(), 1u);
  int anchorCount = 0;
  for (const auto& [name, address] : symbols)
    if (name.size() > 11 && name.compare(name.size() - 11, 11, "_force_load") == 0) ++anchorCount;
  EXPECT_EQ(anchorCount, static_cast<int>(std::size(JA::kCatalogue)));
}

}  // namespace
