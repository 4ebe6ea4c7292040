// A part that closes, or whose making is undone, takes the kernel bodies of
// its model bodies with it, and no other: a long session that opens and
// closes parts does not pile up bodies, and nothing is deleted twice.
#include <vector>

#include "TestSupport.hpp"
#include "feat/Builder.hpp"
#include "geom/Geometry.hpp"
#include "kernel/Kernel.hpp"
#include "om/ObjectManager.hpp"

namespace {

using namespace KTX;

struct Row {
  const char* name;
  int plain = 0;         // model bodies whose kernel bodies hold no geometry
  int geometry = 0;      // model bodies whose kernel bodies hold a sheet
  int owning = 0;        // model bodies that delete their kernel body themselves
  int twice = 0;         // kernel bodies held by two model bodies of the part
  bool other = false;    // a second part with a model body of its own stays open
  bool undone = false;   // the part is made under a mark, and the mark undone
};

class PartBodiesTest : public stamvik_test::HostTest {
 protected:
  static int Sheet() {
    const std::vector<double> square = {0, 0, 0, 0.1, 0, 0, 0.1, 0.05, 0, 0, 0.05, 0};
    const double point[3] = {0, 0, 0}, up[3] = {0, 0, 1};
    int sheet = 0;
    EXPECT_EQ(Kernel::MakePlanarSheet({square}, point, up, &sheet), 0);
    return sheet;
  }
};

TEST_F(PartBodiesTest, AClosingPartReleasesTheKernelBodiesOfItsModelBodiesOnly) {
  const Row rows[] = {
      {"a part with no bodies"},
      {"a model body without geometry", 1},
      {"a model body with geometry", 0, 1},
      {"model bodies of every kind", 2, 1, 1, 1},
      {"two parts, one closed", 1, 0, 0, 0, true},
      {"a part made under a mark and undone", 1, 1, 1, 1, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const Kernel::Counters before = Kernel::LiveCounters();
    // Made by the test and held by no model object: the session's, not the part's.
    const int loose = Kernel::CreateBody(Kernel::BodyType::Solid);
    // Made before the mark and held by one of the part's bodies: an undo gives it back as it was.
    const int older = row.undone ? Kernel::CreateBody(Kernel::BodyType::Solid) : 0;
    const int mark = row.undone ? UNDO_QD_set_mark(0, "part", nullptr) : 0;
    PART_part* part = PART_part::Create(0);
    std::vector<int> made;
    for (int i = 0; i < row.plain; ++i)
      made.push_back(ES_solid::Make(part, Kernel::CreateBody(Kernel::BodyType::Solid))->ask_kernel_body());
    for (int i = 0; i < row.geometry; ++i) made.push_back(ES_solid::Make(part, Sheet())->ask_kernel_body());
    for (int i = 0; i < row.owning; ++i)
      made.push_back(ES_solid::MakeOwning(part, Kernel::CreateBody(Kernel::BodyType::Sheet))->ask_kernel_body());
    for (int i = 0; i < row.twice; ++i) {
      const int shared = ES_solid::Make(part, Kernel::CreateBody(Kernel::BodyType::Solid))->ask_kernel_body();
      ES_solid::Make(part, shared);
      made.push_back(shared);
    }
    if (older != 0) ES_solid::Make(part, older);
    PART_part* other = row.other ? PART_part::Create(0) : nullptr;
    const int kept =
        other != nullptr ? ES_solid::Make(other, Kernel::CreateBody(Kernel::BodyType::Solid))->ask_kernel_body() : 0;
    const int extra = 1 + (older != 0 ? 1 : 0) + (kept != 0 ? 1 : 0);
    EXPECT_EQ(Kernel::LiveCounters().liveBodies, before.liveBodies + extra + static_cast<int>(made.size()));

    if (row.undone) {
      EXPECT_EQ(UNDO_QD_undo_to_mark(mark, "part"), 0);
    } else {
      part->destroy();
    }

    EXPECT_EQ(Kernel::LiveCounters().liveBodies, before.liveBodies + extra) << "the part's kernel bodies left alive";
    EXPECT_EQ(Kernel::LiveCounters().deleteErrors, before.deleteErrors) << "a body deleted twice";
    for (int body : made) EXPECT_FALSE(Kernel::IsAlive(body)) << body;
    EXPECT_TRUE(Kernel::IsBody(loose));
    if (older != 0) {
      EXPECT_TRUE(Kernel::IsBody(older));
      EXPECT_EQ(Kernel::ModelObjectOf(older), 0) << "the undone body still holds the older kernel body";
    }
    if (other != nullptr) {
      EXPECT_TRUE(Kernel::IsBody(kept));
      EXPECT_NE(Kernel::ModelObjectOf(kept), 0) << "the open part's body lost its kernel body";
      other->destroy();
      EXPECT_FALSE(Kernel::IsAlive(kept)) << "the second part's kernel body outlived it";
    }
    if (row.undone) {
      EXPECT_EQ(UNDO_QD_delete_mark(mark, "part"), 0);
    }
    EXPECT_EQ(Kernel::DeleteBody(loose, "test"), 0);
    if (older != 0) {
      EXPECT_EQ(Kernel::DeleteBody(older, "test"), 0);
    }
    EXPECT_EQ(Kernel::LiveCounters().liveBodies, before.liveBodies);
    EXPECT_EQ(Kernel::LiveCounters().deleteErrors, before.deleteErrors);
  }
}

}  // namespace
