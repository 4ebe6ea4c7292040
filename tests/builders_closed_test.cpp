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

#include "BuilderCycles.hpp"
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
  for (const stamvik_test::BuilderCycle& row : stamvik_test::BuilderCycles()) {
    SCOPED_TRACE(row.journalClass);
    covered.insert(row.journalClass);
    PART_part* work = PART_ask_work_part();
    PART_part* part = PART_part::Create(0);
    PART_set_work_part(part);
    Host::SetBuildersMode(1);
    Host::SetLogging(false);
    Script::Player player;
    std::string error;
    EXPECT_TRUE(PlayOn(player, stamvik_test::SetUp(row, stamvik_test::Examples()), &error)) << error;
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
        EXPECT_TRUE(PlayOn(player, "journal 1\n" + stamvik_test::Cycle(row, feature), &error))
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
