// Every builder class of the catalogue, made by its creator as a script
// makes it and closed again, leaves nothing alive in the part that stays
// open: neither a new builder nor one opened on a committed feature and let
// go without a commit. What a builder made and nothing else keeps goes when
// it closes, not with the part, where no count of what a session holds
// would see it.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "InProcessPlaySupport.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "ja_catalogue.hpp"
#include "jam/Journal.hpp"
#include "kernel/Kernel.hpp"
#include "script/Player.hpp"
#include "sys/CallLog.hpp"
#include "sys/Listing.hpp"

using namespace KTX;

namespace {

// The records a builder class is made by: the part is the journal's tag 1,
// the builder is made as tag 900, FEATURE stands for the tag of the feature
// it is given (0: a new builder); the records end with every builder they
// made closed again.
std::string Made(const char* collection, const char* member, const char* input, const char* builder,
                 const char* result = "builder") {
  std::string text = std::string("record 0 method \"") + collection + "\" \"" + member + "\"\n  this tag 1\n";
  if (input != nullptr) text += std::string("  in tag \"input\" \"") + input + "\" FEATURE\n";
  return text + "  result tag \"" + result + "\" \"" + builder + "\" 900\n  closed 0\n" +
         "record 0 method \"Builder\" \"Destroy\"\n  this ptr 900\n  closed 0\n";
}
std::string Die(const char* member, const char* input, const char* builder) {
  return Made("Die.DieCollection", member, input, builder);
}
// A sub-builder the die collection makes as an item.
std::string Item(const char* member, const char* input, const char* builder) {
  return Made("Die.DieCollection", member, input, builder, "item");
}
std::string Tooling(const char* member, const char* builder) {
  return Made("Tooling.AutoDieCollection", member, "Features.Feature", builder);
}
std::string Vehicle(const char* member, const char* input, const char* builder) {
  return Made("Features.AutomotiveCollection", member, input, builder);
}

// A draw bead (tag 901) and what it makes or holds (tag 900); the bead's
// close takes it along.
std::string OfABead(const char* records) {
  return std::string(
             "record 0 method \"Die.DieCollection\" \"CreateDrawBeadBuilder\"\n  this tag 1\n"
             "  in tag \"drawBead\" \"Die.DrawBead\" FEATURE\n  result tag \"builder\" \"Die.DrawBeadBuilder\" 901\n"
             "  closed 0\n") +
         records + "record 0 method \"Builder\" \"Destroy\"\n  this ptr 901\n  closed 0\n";
}

// A springback compensation by one point on a sheet, committed as tag 30.
constexpr const char* kSpringbackCommitted = R"(record 0 method "Part" "CreateSheetBody"
  this tag 1
  result tag "body" "Body" 2
  closed 0
record 0 method "Die.DieCollection" "CreateSpringbackCompensationBuilder"
  this tag 1
  in tag "springbackCompensation" "Die.SpringbackCompensation" 0
  result tag "builder" "Die.SpringbackCompensationBuilder" 20
  closed 0
record 0 set "Die.SpringbackCompensationBuilder" "DefinedBy"
  this ptr 20
  in enum "definedby" "Die.SpringbackCompensationBuilder.DefinedByType" 2
  closed 0
record 0 method "Die.SpringbackCompensationBuilder" "SetProductPoints"
  this ptr 20
  in struct-array "productPoints" "Point3d" 3 0 0 0
  closed 0
record 0 method "Die.SpringbackCompensationBuilder" "SetSprungPoints"
  this ptr 20
  in struct-array "sprungPoints" "Point3d" 3 0 0 1
  closed 0
record 0 get "Die.SpringbackCompensationBuilder" "ProductSheet"
  this ptr 20
  result ptr "productsheet" "SelectBody" 21
  closed 0
record 0 set "SelectObject" "Value"
  this ptr 21
  in tag "value" "TaggedObject" 2
  closed 0
record 0 method "Builder" "Commit"
  this ptr 20
  result tag "object" "TaggedObject" 30
  closed 0
record 0 method "Builder" "Destroy"
  this ptr 20
  closed 0
)";

struct ClosedRow {
  const char* journalClass;
  // Played first into the part: an example (examples/NAME.jou) or more
  // records after the work part's; nullptr: the work part alone.
  const char* example;
  std::string made;  // the records that make and close the builder (above)
  int edited;        // the journal's tag of a committed feature the class edits; 0: none
};

const std::vector<ClosedRow>& Rows() {
  static const std::vector<ClosedRow> rows = {
      {"Die.CastReliefBuilder", "cast_relief.jou", Die("CastRelief", "Die.CastRelief", "Die.CastReliefBuilder"), 20},
      {"Die.ClampingSlotBuilder", "clamping_slot.jou",
       Die("ClampingSlot", "Die.ClampingSlot", "Die.ClampingSlotBuilder"), 20},
      {"Die.ClearanceBuilder", "clearance.jou",
       Die("CreateClearanceBuilder", "Die.Clearance", "Die.ClearanceBuilder"), 20},
      {"Die.CompensateRoughDataBuilder", "compensate_rough_data.jou",
       Die("CompensateRoughData", "Features.CompensateRoughData", "Die.CompensateRoughDataBuilder"), 20},
      {"Die.DieBooleanBuilder", nullptr, Item("CreateDieBoolean", nullptr, "Die.DieBooleanBuilder"), 0},
      {"Die.DieDirectionBuilder", nullptr,
       Item("CreateDieDirection", "Features.Feature", "Die.DieDirectionBuilder"), 0},
      {"Die.DieLocationBuilder", nullptr, Item("CreateDieLocation", nullptr, "Die.DieLocationBuilder"), 0},
      {"Die.DieLocationsBuilder", nullptr,
       "record 0 method \"Die.DieCollection\" \"CreateDieLocations\"\n  this tag 1\n"
       "  in tag \"feature\" \"Features.Feature\" 0\n  in logical \"allowselection\" - true\n"
       "  in logical \"allownewpoint\" - true\n  in logical \"allownewcoordinatesystem\" - true\n"
       "  in logical \"allownewvector\" - true\n  in logical \"allownewplane\" - true\n"
       "  in logical \"isrequired\" - true\n  in logical \"allowmultipleselection\" - true\n"
       "  result tag \"item\" \"Die.DieLocationsBuilder\" 900\n  closed 0\n"
       "record 0 method \"Builder\" \"Destroy\"\n  this ptr 900\n  closed 0\n",
       0},
      {"Die.DiePlaneBuilder", nullptr, Item("CreateDiePlane", "Features.Feature", "Die.DiePlaneBuilder"), 0},
      {"Die.DieShoeBuilder", "die_shoe.jou", Die("DieShoe", "Die.DieShoe", "Die.DieShoeBuilder"), 30},
      {"Die.DrawBeadBuilder", "draw_bead_split.jou",
       Die("CreateDrawBeadBuilder", "Die.DrawBead", "Die.DrawBeadBuilder"), 50},
      // A segment made by its bead, left out of the bead's list; and the
      // segments a bead opened on its feature reads back.
      {"Die.DrawBeadSegmentBuilder", "draw_bead_split.jou",
       OfABead("record 0 method \"Die.DrawBeadBuilder\" \"CreateDrawBeadSegment\"\n  this tag 901\n"
               "  result tag \"item\" \"Die.DrawBeadSegmentBuilder\" 900\n  closed 0\n"
               "record 0 method \"Builder\" \"Destroy\"\n  this ptr 900\n  closed 0\n"),
       50},
      {"Die.DrawBeadTaperBuilder", "draw_bead_split.jou",
       OfABead("record 0 get \"Die.DrawBeadBuilder\" \"StartTaper\"\n  this ptr 901\n"
               "  result ptr \"starttaper\" \"Die.DrawBeadTaperBuilder\" 900\n  closed 0\n"),
       50},
      {"Die.FillAreaBuilder", "fill_area.jou",
       Die("CreateFillAreaBuilder", "Die.FillArea", "Die.FillAreaBuilder"), 20},
      {"Die.FingerClearanceNotchBuilder", "finger_clearance_notch.jou",
       Die("CreateFingerClearanceNotchBuilder", "Die.FingerClearanceNotch", "Die.FingerClearanceNotchBuilder"), 20},
      {"Die.HandlingCoreBuilder", "handling_core.jou",
       Die("CreateHandlingCoreBuilder", "Die.HandlingCore", "Die.HandlingCoreBuilder"), 20},
      {"Die.HeelpostBuilder", "heelpost.jou", Die("Heelpost", "Die.Heelpost", "Die.HeelpostBuilder"), 30},
      {"Die.KeywayBuilder", "keyway.jou", Die("Keyway", "Die.Keyway", "Die.KeywayBuilder"), 20},
      {"Die.MachineReliefBuilder", "machine_relief.jou",
       Die("CreateMachineReliefBuilder", "Die.MachineRelief", "Die.MachineReliefBuilder"), 20},
      {"Die.SpringbackCompensationBuilder", kSpringbackCommitted,
       Die("CreateSpringbackCompensationBuilder", "Die.SpringbackCompensation", "Die.SpringbackCompensationBuilder"),
       30},
      {"Tooling.DieDesDrawDieBuilder", "draw_die.jou", Tooling("CreateDieDesDrawDieBuilder", "Tooling.DieDesDrawDieBuilder"),
       30},
      {"Tooling.DieDesDrawPunchBuilder", "draw_punch.jou",
       Tooling("CreateDieDesDrawPunchBuilder", "Tooling.DieDesDrawPunchBuilder"), 20},
      {"Tooling.DieDesPierceInsertBuilder", nullptr,
       Made("Tooling.AutoDieCollection", "CreateDieDesPierceInsertBuilder", nullptr, "Tooling.DieDesPierceInsertBuilder"),
       0},
      {"Tooling.DieEngFormTaskBuilder", nullptr,
       Tooling("CreateDieEngFormTaskBuilder", "Tooling.DieEngFormTaskBuilder"), 0},
      {"Features.ManikinBuilder", "manikin_commit.jou",
       Vehicle("CreateManikinBuilder", "Features.Manikin", "Features.ManikinBuilder"), 40},
      {"Features.TireEnvelopeBuilder", "tire_envelope_commit.jou",
       Vehicle("CreateTireEnvelopeBuilder", "Features.TireEnvelope", "Features.TireEnvelopeBuilder"), 40},
  };
  return rows;
}

std::string Replaced(std::string text, const std::string& what, const std::string& with) {
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
    text.replace(at, what.size(), with);
  return text;
}

class BuildersClosed : public stamvik_test::JamTest {
 protected:
  // Plays the journal's records on; false (the reason in *error) at the first that fails.
  static bool PlayOn(Script::Player& player, const std::string& text, std::string* error) {
    const JAM::Journal journal = JAM::ReadJournal(text);
    for (std::size_t i = 0; i < journal.size(); ++i)
      if (!player.Play(journal[i], i, error)) return false;
    return true;
  }
};

TEST_F(BuildersClosed, EveryBuilderClassLeavesNothingAliveInTheOpenPart) {
  stamvik_test::BindPlugin();
  stamvik_test::PlayFolder folder(stamvik_test::Examples());
  std::set<std::string> covered;
  for (const ClosedRow& row : Rows()) {
    SCOPED_TRACE(row.journalClass);
    covered.insert(row.journalClass);
    PART_part* work = PART_ask_work_part();
    PART_part* part = PART_part::Create(0);
    PART_set_work_part(part);
    Host::SetBuildersMode(1);
    Host::SetLogging(false);
    Script::Player player;
    std::string error;
    const std::string example = row.example != nullptr ? row.example : "";
    const std::string setUp =
        example.ends_with(".jou")
            ? stamvik_test::ReadFile((stamvik_test::Examples() / example).string())
            : "journal 1\nrecord 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n  closed 0\n" +
                  example;
    EXPECT_TRUE(PlayOn(player, setUp, &error)) << error;
    // New, then opened on the feature: three times each, counted after the
    // first, which may leave for good what a feature keeps from then on (a
    // section given to a feature committed without one).
    std::vector<int> features{0};
    if (row.edited != 0) features.push_back(row.edited);
    for (int feature : features) {
      const char* kind = feature == 0 ? "new" : "edit";
      for (int time = 0; time < 3 && error.empty(); ++time) {
        const int objects = OM::OM_live_objects();
        const int bodies = Kernel::LiveCounters().liveBodies;
        EXPECT_TRUE(PlayOn(player, "journal 1\n" + Replaced(row.made, "FEATURE", std::to_string(feature)), &error))
            << kind << ": " << error;
        if (time == 0) continue;
        EXPECT_EQ(OM::OM_live_objects(), objects) << kind << ": host objects left alive";
        EXPECT_EQ(Kernel::LiveCounters().liveBodies, bodies) << kind << ": kernel bodies left alive";
      }
    }
    Host::SetLogging(true);
    Host::SetBuildersMode(0);
    JAM::ClearJournal();
    part->destroy();
    PART_set_work_part(work);
    Listing::Reset();
  }
  // A builder class of the catalogue without its row here fails.
  for (const JA::CatalogueRow& row : JA::kCatalogue)
    EXPECT_TRUE(row.kind != JA::CatalogueKind::Builder || covered.count(row.journalClass) == 1) << row.journalClass;
}

}  // namespace
