// The previews of the fill area, finger-clearance notch, handling core and
// machine relief builders through a temporary feature: each under its own
// undo mark and text, leaving nothing behind.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "DieDesJA_FillAreaBuilder.hpp"
#include "DieDesJA_FingerClearanceNotchBuilder.hpp"
#include "DieDesJA_HandlingCoreBuilder.hpp"
#include "DieDesJA_MachineReliefBuilder.hpp"
#include "DieDesignTestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "sys/Failure.hpp"
#include "upd/Update.hpp"

using namespace KTX;
using KTX::DieDesJA::FingerClearanceNotchBuilder;
using KTX::DieDesJA::FingerClearanceNotchBuilderFactory;
using KTX::Kernel::BodyType;
using KTX::DieDesJA::HandlingCoreBuilder;
using KTX::DieDesJA::HandlingCoreBuilderFactory;
using KTX::DieDesJA::MachineReliefBuilder;
using KTX::DieDesJA::MachineReliefBuilderFactory;
using KTX::DieDesJA::FillAreaBuilder;
using KTX::DieDesJA::FillAreaBuilderFactory;
using stamvik_test::DieDesignFeature;

namespace {

// ---- the previews through a temporary feature -----------------------------------------

class TemporaryFeaturePreview : public DieDesignFeature {};

// A builder of one of the route's classes, its target and its preview.
struct RouteBuilder {
  DieDesJA::GenericBodyBuilder* builder;
  SELECT_OBJECT* target;
  std::function<int(int*, int**)> preview;
};

template <class B>
RouteBuilder Route(B* b) {
  return {b, b->GetTarget(), [b](int* count, int** bodies) { return b->CreateBodies(count, bodies); }};
}

// A notch is shaped by something: here an open loop of its section.
RouteBuilder ShapedNotch(CM_part* part) {
  FingerClearanceNotchBuilder* b = FingerClearanceNotchBuilderFactory::Create(part, nullptr);
  const double at[3] = {3, 0, 0};
  const tag_t curve = ES_create_point(at);
  b->GetSection()->add_loop(SC_section::kOpen, 1, &curve);
  return Route(b);
}

// A machine relief's outline is its main profile: here a closed loop.
RouteBuilder ProfiledRelief(CM_part* part) {
  MachineReliefBuilder* b = MachineReliefBuilderFactory::Create(part, nullptr);
  const double at[3][3] = {{1, 0, 0}, {2, 0, 0}, {1.5, 1, 0}};
  const tag_t curves[3] = {ES_create_point(at[0]), ES_create_point(at[1]), ES_create_point(at[2])};
  b->GetMainProfile()->add_loop(SC_section::kClosed, 3, curves);
  return Route(b);
}

TEST_F(TemporaryFeaturePreview, EachBuilderPreviewsUnderItsOwnMarkAndTextAndLeavesNothing) {
  struct Row {
    const char* mark;
    const char* text;
    const char* targetFactory;  // what gives the temporary feature its target
    int deleted;                // objects the clean-up deletes
    RouteBuilder (*make)(CM_part* part);
  };
  const Row rows[] = {
      {"Finger clearance notch create bodies", "Finger Clearance Notch: Performing boolean operation",
       "FingerClearanceNotchTargetFactory::Create", 2,
       &ShapedNotch},
      {"Handling Core create bodies", " Handling Core: Performing boolean operation",
       "HandlingCoreTargetFactory::CreateCopy", 1,
       [](CM_part* p) {
         HandlingCoreBuilder* b = HandlingCoreBuilderFactory::Create(p, nullptr);
         EXP_edit_exp(0, b->GetHeight(), "10");
         EXP_edit_exp(0, b->GetWidth(), "10");
         return Route(b);
       }},
      {"Machine Relief create bodies", "Machine Relief: Performing boolean operation",
       "MachineReliefTargetFactory::CreateCopy", 1,
       &ProfiledRelief},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.mark);
    RouteBuilder b = row.make(modelPart());
    b.target->set_selected_tag(ModelBody(BodyType::Solid));
    Host::ClearCalls();
    const int bodiesBefore = LiveBodies();
    int count = 0;
    int* bodies = nullptr;
    EXPECT_EQ(b.preview(&count, &bodies), 0);
    EXPECT_EQ(count, 1);
    ExpectMark(row.mark, false);
    const std::vector<std::string> booleans = ArgsOf("DIEDES_UTILS_boolean_bodies2");
    EXPECT_EQ(booleans.size(), 2u);
    for (const std::string& args : booleans)
      EXPECT_TRUE(Has(args, std::string("text=\"") + row.text + "\"")) << args;
    EXPECT_EQ(ArgsOf(row.targetFactory).size(), 1u);
    EXPECT_EQ(ArgsOf("OM_delete_object").size(), static_cast<std::size_t>(row.deleted));
    // Only the copy of the target is left, and it is the caller's.
    EXPECT_EQ(LiveBodies(), bodiesBefore + 1);
    DieDesUtilsDeleteBodies(&count, &bodies);
    b.builder->destroy();
  }
}

// With no undo mark (the host set none: mark 0) nothing is undone after a
// failed preview: whatever call fails, the preview lets go of what it made,
// the copy of the builder's target data and the target's body copy too.
TEST_F(TemporaryFeaturePreview, AFailedPreviewWithoutAMarkLeavesNothing) {
  const struct {
    const char* name;
    RouteBuilder (*make)(CM_part* part);
  } rows[] = {
      {"finger clearance notch (a new target)",
       &ShapedNotch},
      {"handling core (a copy of the builder's target)",
       [](CM_part* p) {
         HandlingCoreBuilder* b = HandlingCoreBuilderFactory::Create(p, nullptr);
         EXP_edit_exp(0, b->GetHeight(), "10");
         EXP_edit_exp(0, b->GetWidth(), "10");
         return Route(b);
       }},
      {"machine relief (a copy of the builder's target)",
       [](CM_part* p) { return Route(MachineReliefBuilderFactory::Create(p, nullptr)); }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    long long calls = 0;
    for (long long n = 0; n == 0 || n <= calls; ++n) {
      RouteBuilder b = row.make(modelPart());
      b.target->set_selected_tag(ModelBody(BodyType::Solid));
      UPDATE_do_update();
      const int objects = OM::OM_live_objects();
      const Memory::Counters memory = Memory::LiveCounters();
      const int bodies = LiveBodies();
      Host::SetAnswer("UNDO_QD_set_mark.error", Failure::kInjected);
      int count = 0;
      int* made = nullptr;
      if (n == 0)
        Failure::Count(Failure::kEverything);
      else
        Failure::FailAt(Failure::kEverything, n);
      int status = 0;
      try {
        status = b.preview(&count, &made);
      } catch (const Error::Exception& e) {
        status = e.askCode();
      }
      const long long counted = Failure::Off();
      if (n == 0) calls = counted;
      const std::string failed = Failure::FailedCall();
      Host::SetAnswer("UNDO_QD_set_mark.error", 0);
      SCOPED_TRACE("call " + std::to_string(n) + " (" + failed + ") status " + std::to_string(status));
      DieDesUtilsDeleteBodies(&count, &made);
      // What the preview logged for deletion goes with the next update.
      UPDATE_do_update();
      EXPECT_EQ(OM::OM_live_objects(), objects) << "host objects left";
      EXPECT_EQ(Memory::LiveCounters().blocks, memory.blocks) << "memory blocks left";
      EXPECT_EQ(LiveBodies(), bodies) << "kernel bodies left";
      b.builder->destroy();
    }
    EXPECT_GT(calls, 0);
  }
}

}  // namespace
