// The builder classes of the catalogue, each made by its creator as a script
// makes it and closed again: what is played first into the part (an example
// that commits a feature of the class, where one does) and the records of
// one cycle, new or opened on that feature. The suite that counts what a
// closed builder leaves and the benchmark of long sessions of them share
// the rows.
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace stamvik_test {

namespace cycles {

// The records a builder class is made by: the part is the journal's tag 1,
// the builder is made as tag 900, FEATURE stands for the tag of the feature
// it is given (0: a new builder); the records end with every builder they
// made closed again.
inline std::string Made(const char* collection, const char* member, const char* input, const char* builder,
                        const char* result = "builder") {
  std::string text = std::string("record 0 method \"") + collection + "\" \"" + member + "\"\n  this tag 1\n";
  if (input != nullptr) text += std::string("  in tag \"input\" \"") + input + "\" FEATURE\n";
  return text + "  result tag \"" + result + "\" \"" + builder + "\" 900\n  closed 0\n" +
         "record 0 method \"Builder\" \"Destroy\"\n  this ptr 900\n  closed 0\n";
}
inline std::string Die(const char* member, const char* input, const char* builder) {
  return Made("Die.DieCollection", member, input, builder);
}
// A sub-builder the die collection makes as an item.
inline std::string Item(const char* member, const char* input, const char* builder) {
  return Made("Die.DieCollection", member, input, builder, "item");
}
inline std::string Tooling(const char* member, const char* builder) {
  return Made("Tooling.AutoDieCollection", member, "Features.Feature", builder);
}
inline std::string Vehicle(const char* member, const char* input, const char* builder) {
  return Made("Features.AutomotiveCollection", member, input, builder);
}

// A draw bead (tag 901) and what it makes or holds (tag 900); the bead's
// close takes it along.
inline std::string OfABead(const char* records) {
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

}  // namespace cycles

// One builder class of the catalogue, made by its creator and closed again.
struct BuilderCycle {
  const char* journalClass;
  // Played first into the part: an example (examples/NAME.jou) or more
  // records after the work part's; nullptr: the work part alone.
  const char* example;
  std::string made;  // the records that make and close the builder (above)
  int edited;        // the journal's tag of a committed feature the class edits; 0: none
};

inline const std::vector<BuilderCycle>& BuilderCycles() {
  using namespace cycles;
  static const std::vector<BuilderCycle> rows = {
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
      // A segment its bead makes, closed on its own before it is in the
      // bead's list; and the segments a bead opened on its feature reads back.
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
      {"Tooling.DieDesDrawDieBuilder", "draw_die.jou",
       Tooling("CreateDieDesDrawDieBuilder", "Tooling.DieDesDrawDieBuilder"), 30},
      {"Tooling.DieDesDrawPunchBuilder", "draw_punch.jou",
       Tooling("CreateDieDesDrawPunchBuilder", "Tooling.DieDesDrawPunchBuilder"), 20},
      {"Tooling.DieDesPierceInsertBuilder", nullptr,
       Made("Tooling.AutoDieCollection", "CreateDieDesPierceInsertBuilder", nullptr,
            "Tooling.DieDesPierceInsertBuilder"),
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

// The records of one cycle given the feature's tag (0: a new builder).
inline std::string Cycle(const BuilderCycle& row, int feature) {
  std::string text = row.made;
  const std::string tag = std::to_string(feature);
  for (std::size_t at = text.find("FEATURE"); at != std::string::npos; at = text.find("FEATURE", at + tag.size()))
    text.replace(at, 7, tag);
  return text;
}

// The journal played before the cycles: the row's example read from the
// folder, or the work part and the row's records.
inline std::string SetUp(const BuilderCycle& row, const std::filesystem::path& examples) {
  const std::string example = row.example != nullptr ? row.example : "";
  if (example.ends_with(".jou")) {
    std::ifstream in(examples / example);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  return "journal 1\nrecord 0 get \"Session\" \"WorkPart\"\n  result tag \"workpart\" \"Part\" 1\n"
         "  closed 0\n" +
         example;
}

}  // namespace stamvik_test
