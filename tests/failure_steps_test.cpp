// The operations that clean up after themselves, run once to count their
// host calls and then once per call with that call failing: each time the
// operation reports failure, leaves no memory, host object or kernel body
// behind, deletes no body twice, balances its undo marks and leaves the part
// as it was. A builder that lands adds its operations to the table.
#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "Binding.hpp"
#include "DieDesJA_CastReliefBuilder.hpp"
#include "DieDesJA_ClearanceBuilder.hpp"
#include "DieDesJA_DieLocationBuilder.hpp"
#include "DieDesJA_DieLocationsBuilder.hpp"
#include "DieDes_DieBooleanBuilder.hpp"
#include "DieDes_DieShoeBuilder.hpp"
#include "Tooling_DieDesDrawDieBuilder.hpp"
#include "VDJA_TireEnvelopeBuilder.hpp"
#include "InProcessPlaySupport.hpp"
#include "JamTestSupport.hpp"
#include "TestSupport.hpp"
#include "afl/BodyUtils.hpp"
#include "afl/BooleanFeatures.hpp"
#include "afl/Module.hpp"
#include "afl/Parms.hpp"
#include "exp/Expression.hpp"
#include "geom/Geometry.hpp"
#include "geom/Sketch.hpp"
#include "ja_exports.hpp"
#include "jam/Journal.hpp"
#include "jam/Session.hpp"
#include "script/ScriptHost.hpp"
#include "sel/Selection.hpp"
#include "sys/Failure.hpp"
#include "sys/Listing.hpp"
#include "sys/TextFile.hpp"
#include "upd/Update.hpp"
#include "vd/ManikinServices.hpp"

using namespace KTX;
namespace Failure = KTX::Failure;
using stamvik_test::BindPlugin;
using stamvik_test::Examples;
using stamvik_test::PlayFolder;

namespace {

class FailedInTurn;

// One operation: made ready by its constructor (not counted), run, and what
// it made released again.
class Operation {
 public:
  explicit Operation(FailedInTurn& test) : test_(test) {}
  virtual ~Operation() = default;
  virtual int Run() = 0;
  virtual void Release() = 0;

 protected:
  FailedInTurn& test_;
};

struct Row {
  const char* name;
  unsigned facilities;
  // Run as the host runs a commit or a script's call: under an undo mark,
  // undone to it when the operation fails. The objects a builder made before
  // a host call raised in its making are taken back by that undo only.
  bool underMark;
  std::function<std::unique_ptr<Operation>(FailedInTurn&)> make;
  // Calls whose failure the operation carries on past, as its design says (a
  // preview without its undo mark, without a temporary sheet, with a boolean
  // that did not cut): it may then succeed, and must still leave nothing.
  std::vector<std::string> absorbed = {};
  // Every how many calls one is failed (the heavy operations: the first, then
  // every stride-th; FAILURE_WALK_STRIDE=1 in the environment walks them all).
  long long stride = 1;
  // A failure the operation carries on past may also show the user a note
  // (a block of a die shoe left out), an error dialog (a size file that
  // cannot be read) or report the host's severe error (a draw die made
  // without its punch): that too is no silent success.
  bool notedAbsorbs = false;
};

// FAILURE_WALK_SAMPLE=N in the environment walks every N-th of the calls a
// row would walk (its first and, for an example's play, its last still):
// the sanitizers' configuration asks for it (CMakePresets.json): there each
// run takes several times as long, and what it looks for, memory misused on
// a failure's way out, is on the ways the sample still takes. The optimised
// build walks every call the rows ask for (tools/test-all), each checked
// there as here. FAILURE_WALK_STRIDE wins over it.
long long Sample() {
  const char* sample = std::getenv("FAILURE_WALK_SAMPLE");
  return sample != nullptr && std::atoll(sample) > 0 ? std::atoll(sample) : 1;
}

// Names the row in the test's messages.
void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

class FailedInTurn : public stamvik_test::JamTest, public ::testing::WithParamInterface<Row> {
 public:
  using JamTest::modelPart;
  using JamTest::part;
  // A model body holding a new kernel body; both go at the test's end.
  tag_t ModelBody(Kernel::BodyType type) {
    int body = Kernel::CreateBody(type);
    tag_t model = ES_create_solid(body);
    bodies_.push_back({model, body});
    return model;
  }
  tag_t Point(double x) {
    const double at[3] = {x, 0, 0};
    points_.push_back(ES_create_point(at));
    return points_.back();
  }
  // A closed loop of three points, which bounds an area.
  void ClosedLoop(SC_section* section) {
    const tag_t first = Point(1), second = Point(2);
    const double off[3] = {1.5, 1, 0};
    points_.push_back(ES_create_point(off));
    const tag_t curves[3] = {first, second, points_.back()};
    section->add_loop(SC_section::kClosed, 3, curves);
  }
  void Set(EXP_expression* expression, const char* text) { EXP_edit_exp(part()->ask_tag(), expression, text); }
  DieDesJA::CastReliefBuilder* ReadyCastRelief() {
    auto* b = DieDesJA::CastReliefBuilderFactory::Create(modelPart(), nullptr);
    ClosedLoop(b->GetReliefProfile());
    b->GetSheetMetal()->set_selected_tag(ModelBody(Kernel::BodyType::Sheet));
    Set(b->GetReliefDepth(), "5");
    Set(b->GetThickness(), "2");
    b->SetCreateSupportCasting(true);
    const double origin[3] = {0, 0, 10}, normal[3] = {0, 0, 1};
    b->GetTargetData()->SetBase(origin, normal);
    b->GetTargetData()->SetBaseFlag(true);
    b->GetTarget()->set_selected_tag(ModelBody(Kernel::BodyType::Solid));
    return b;
  }
  // One committed cast relief for the edits, made before the runs that check.
  FEATURE_RECORD* Feature() {
    if (feature_ != nullptr) return feature_;
    DieDesJA::CastReliefBuilder* first = ReadyCastRelief();
    EXPECT_EQ(first->commit_feature(&feature_), 0);
    first->destroy();
    kept_.swap(bodies_);
    keptPoints_.swap(points_);
    return feature_;
  }
  DieDesJA::ClearanceBuilder* ReadyClearance() {
    auto* b = DieDesJA::ClearanceBuilderFactory::Create(modelPart(), nullptr);
    b->GetTarget()->set_selected_tag(ModelBody(Kernel::BodyType::Solid));
    return b;
  }

 protected:
  // What the test made for one run goes with it.
  void ReleaseInputs() {
    for (auto [model, body] : bodies_) {
      Kernel::DetachModelBody(model);
      Kernel::DeleteBody(body, "test");
      if (auto* solid = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(model))) solid->destroy();
    }
    for (tag_t point : points_)
      if (auto* p = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(point))) p->destroy();
    bodies_.clear();
    points_.clear();
  }
  void TearDown() override {
    ReleaseInputs();
    bodies_.swap(kept_);
    points_.swap(keptPoints_);
    ReleaseInputs();
    JamTest::TearDown();
  }

  // What a run must give back.
  struct Counts {
    Memory::Counters memory;
    int objects;
    Kernel::Counters kernel;
  };
  static Counts Now() { return {Memory::LiveCounters(), OM::OM_live_objects(), Kernel::LiveCounters()}; }

  // Runs the row once with the nth counted call failing (0: none fails);
  // gives the status, or the raised error's number.
  int RunOnce(const Row& row, long long n, std::string* failed) {
    std::unique_ptr<Operation> op = row.make(*this);
    int error = 0;
    const int mark = row.underMark ? UNDO_QD_set_mark(1, "commit", &error) : 0;
    const std::vector<int> marks = Host::OpenSessionMarks();
    const int omMarks = OM::OM_count_undo_marks();
    const std::string partBefore = Script::DescribePart(PART_ask_work_part());
    const int partition = Kernel::CurrentPartition();
    const int display = DSS_ask_suppress_display();
    notesBefore_ = Error::Notes().size();
    severeBefore_ = Error::SevereErrors().size();
    dialogsBefore_ = VD::ErrorDialogs().size();
    int status = 0;
    if (n == 0)
      Failure::Count(row.facilities);
    else if (n > 0)
      Failure::FailAt(row.facilities, n);
    try {
      status = op->Run();
    } catch (const Error::Exception& e) {
      status = e.askCode() != 0 ? e.askCode() : -1;
    }
    const long long counted = Failure::Off();
    *failed = Failure::FailedCall();
    if (n == 0) counted_ = counted;
    if (mark != 0) {
      if (status != 0) UNDO_QD_undo_to_mark(mark, nullptr);
      UNDO_QD_delete_mark(mark, nullptr);
    }
    // However it ends, the operation leaves no mark of its own open.
    EXPECT_EQ(Host::OpenSessionMarks(), marks) << *failed;
    EXPECT_EQ(OM::OM_count_undo_marks(), omMarks - (mark != 0 ? 1 : 0)) << *failed;
    if (status != 0) {
      EXPECT_EQ(Script::DescribePart(PART_ask_work_part()), partBefore) << *failed;
    }
    EXPECT_EQ(DIEDES_UTILS__get_extraction_table(), nullptr) << *failed;
    EXPECT_EQ(Kernel::CurrentPartition(), partition) << *failed;
    EXPECT_EQ(DSS_ask_suppress_display(), display) << *failed << ": the display's suppression left changed";
    op->Release();
    op.reset();
    ReleaseInputs();
    // What a builder's end logs for deletion goes with the next update.
    UPDATE_do_update();
    return status;
  }

  long long counted_ = 0;
  std::size_t notesBefore_ = 0;
  std::size_t severeBefore_ = 0;
  std::size_t dialogsBefore_ = 0;

 private:
  std::vector<std::pair<tag_t, int>> bodies_, kept_;
  std::vector<tag_t> points_, keptPoints_;
  FEATURE_RECORD* feature_ = nullptr;
};

TEST_P(FailedInTurn, EveryCallFailedInTurnIsReportedAndCleanedUp) {
  const Row& row = GetParam();
  std::string failed;
  RunOnce(row, -1, &failed);  // sets up what is set up once (journal classes)
  ASSERT_EQ(RunOnce(row, 0, &failed), 0) << "the operation does not succeed unharmed";
  ASSERT_GT(counted_, 0);
  const long long calls = counted_;
  std::printf("%s: %lld host calls\n", row.name, calls);
  // The builds without NDEBUG (clang's and the sanitizers') take several
  // times as long a play: the heavy rows, which walk every n-th call
  // already, walk every 2n-th there.
#ifdef NDEBUG
  constexpr long long kHeavyFactor = 1;
#else
  constexpr long long kHeavyFactor = 2;
#endif
  long long stride = (row.stride > 1 ? row.stride * kHeavyFactor : 1) * Sample();
  if (const char* all = std::getenv("FAILURE_WALK_STRIDE"); all != nullptr && std::atoll(all) > 0)
    stride = std::atoll(all);
  for (long long n = 1; n <= calls; n += stride) {
    const Counts before = Now();
    const int status = RunOnce(row, n, &failed);
    const Counts after = Now();
    const std::string where = "call " + std::to_string(n) + " (" + failed + ") of " + row.name;
    SCOPED_TRACE(where);
    EXPECT_FALSE(failed.empty()) << where << ": the failing call never came";
    if (status == 0) {
      const bool noted = row.notedAbsorbs &&
                         (Error::Notes().size() > notesBefore_ || Error::SevereErrors().size() > severeBefore_ ||
                          VD::ErrorDialogs().size() > dialogsBefore_);
      EXPECT_TRUE(noted || std::find(row.absorbed.begin(), row.absorbed.end(), failed) != row.absorbed.end())
          << where << ": failure reported as success";
    }
    EXPECT_EQ(after.memory.blocks, before.memory.blocks) << where << ": memory blocks leaked";
    EXPECT_EQ(after.memory.objects, before.memory.objects) << where << ": host class objects leaked";
    EXPECT_EQ(after.memory.badFrees, before.memory.badFrees) << where << ": memory freed twice";
    EXPECT_EQ(after.objects, before.objects) << where << ": host objects left alive";
    EXPECT_EQ(after.kernel.liveBodies, before.kernel.liveBodies) << where << ": kernel bodies left alive";
    EXPECT_EQ(after.kernel.deleteErrors, before.kernel.deleteErrors) << where << ": a body deleted twice";
    // No call past the last one counted fails either.
    if (failed.empty()) break;
  }
}

// ---- the operations ----------------------------------------------------------------------

template <class Builder>
class Preview : public Operation {
 public:
  Preview(FailedInTurn& test, Builder* builder) : Operation(test), builder_(builder) {}
  int Run() override { return builder_->CreateBodies(&count_, &bodies_); }
  void Release() override {
    DieDesUtilsDeleteBodies(&count_, &bodies_);
    builder_->destroy();
  }

 private:
  Builder* builder_;
  int count_ = 0;
  int* bodies_ = nullptr;
};

// A preview when the host sets no undo mark (mark 0): nothing is undone
// after a failure, so what the preview made must go by its own hand.
template <class Builder>
class PreviewWithoutAMark : public Preview<Builder> {
 public:
  using Preview<Builder>::Preview;
  int Run() override {
    Host::SetAnswer("UNDO_QD_set_mark.error", Failure::kInjected);
    const int status = Preview<Builder>::Run();
    Host::SetAnswer("UNDO_QD_set_mark.error", 0);
    return status;
  }
};

// The host's commit: what validates is committed.
class Commit : public Operation {
 public:
  Commit(FailedInTurn& test, JAX_FEAT_BUILDER* builder) : Operation(test), builder_(builder) {}
  int Run() override {
    FEATURE_RECORD* frec = builder_->get_frec();
    return builder_->commit_feature(&frec);
  }
  void Release() override { builder_->destroy(); }

 private:
  JAX_FEAT_BUILDER* builder_;
};

// A cast relief committed once, then opened again, made deeper and committed.
class EditCommit : public Commit {
 public:
  explicit EditCommit(FailedInTurn& test) : Commit(test, Edited(test)) {}

 private:
  static JAX_FEAT_BUILDER* Edited(FailedInTurn& test) {
    auto* edit = DieDesJA::CastReliefBuilderFactory::Create(test.modelPart(), test.Feature());
    test.Set(edit->GetReliefDepth(), "7");
    return edit;
  }
};

class LocationToParms : public Operation {
 public:
  explicit LocationToParms(FailedInTurn& test)
      : Operation(test), builder_(DieDesJA::DieLocationBuilderFactory::Create(test.part())) {
    builder_->AddUserLocation(test.Point(1));
    builder_->SetInputType(DieDesJA::JA_DIE_LOCATION_BUILDER_LocationType_SelectLocation);
    parms_ = DieDes::DieDesGenericLocationFactory::Create();
  }
  int Run() override { return builder_->ToParms(parms_, nullptr); }
  void Release() override {
    parms_->destroy();
    builder_->destroy();
  }

 private:
  DieDesJA::DieLocationBuilder* builder_;
  DieDes::DieDesGenericLocation* parms_;
};

class LocationsToParms : public Operation {
 public:
  explicit LocationsToParms(FailedInTurn& test)
      : Operation(test),
        builder_(DieDesJA::DieLocationsBuilderFactory::Create(test.part(), true, true, true, true, true, true, true)) {
    for (double x : {1.0, 2.0}) builder_->AddUserLocation(test.Point(x));
    module_ = DIEDES_GENERIC_MODULE_PARMSFactory::Create();
  }
  int Run() override { return builder_->ToParmsParentModule(module_, nullptr); }
  void Release() override {
    for (int i = 0; i < module_->GetNumDiedesItems(); ++i)
      if (OM::Object* item = module_->GetNthDiedesItems(i)) OM_delete_object(item);
    OM_delete_object(module_);
    builder_->destroy();
  }

 private:
  DieDesJA::DieLocationsBuilder* builder_;
  DIEDES_GENERIC_MODULE_PARMS* module_;
};

// A creator of the die collection, called as a script calls it.
class Creator : public Operation {
 public:
  Creator(FailedInTurn& test, std::function<int(tag_t, tag_t*)> create) : Operation(test), create_(std::move(create)) {}
  int Run() override {
    const int rc = create_(test_.part()->ask_tag(), &made_);
    return rc != 0 ? rc : made_ == 0 ? -1 : 0;
  }
  void Release() override {
    if (auto* made = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(made_))) made->destroy();
  }

 private:
  std::function<int(tag_t, tag_t*)> create_;
  tag_t made_ = 0;
};

// A journal of a builder's settings, recorded through the exports and replayed.
class Replay : public Operation {
 public:
  explicit Replay(FailedInTurn& test) : Operation(test) {
    builder_ = DieDesJA::CastReliefBuilderFactory::Create(test.modelPart(), nullptr);
    JAM::ClearJournal();
    EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_CreateSupportCasting(builder_, true), 0);
    EXPECT_EQ(XJA_CAST_RELIEF_BUILDER_set_DistanceTolerance(builder_, 0.1), 0);
    journal_ = JAM::ReadJournal(JAM::WriteJournal(JAM::Recorded()));
    JAM::ClearJournal();
  }
  int Run() override {
    for (int status : JAM::ReplayJournal(journal_))
      if (status != 0) return status;
    return 0;
  }
  void Release() override {
    JAM::ClearJournal();
    builder_->destroy();
  }

 private:
  DieDesJA::CastReliefBuilder* builder_;
  JAM::Journal journal_;
};

// A unite of two tools as a feature of the part, or a subtract of them on
// a kernel body in a partition of its own.
class DieBooleanApplied : public Operation {
 public:
  DieBooleanApplied(FailedInTurn& test, bool featureMode)
      : Operation(test),
        featureMode_(featureMode),
        builder_(DieDes::DieBooleanBuilderFactory::Create(test.part())),
        target_(test.ModelBody(Kernel::BodyType::Solid)),
        tools_{test.ModelBody(Kernel::BodyType::Solid), test.ModelBody(Kernel::BodyType::Solid)} {
    targetBody_ = ES_solid_ask_solvane_tag(target_);
    if (!featureMode) {
      builder_->SetBooleanOptions(DieDes::JA_DIE_BOOLEAN_BUILDER_boolean_type_Subtract);
      ZV_PARTITION_move_body(Kernel::CreatePartition(), targetBody_);
    }
    for (tag_t tool : tools_) builder_->GetSelectBodies()->append(tool);
    // Bodies of a model have their references before any boolean asks.
    for (tag_t body : {target_, tools_[0], tools_[1]}) BREF_ask_bref_of_eidbody(body);
  }
  int Run() override { return builder_->ApplyBooleanBodies(nullptr, target_, targetBody_, featureMode_, 0.01); }
  void Release() override {
    // The feature a run made, and the references it made on the way, go
    // with the run's bodies.
    for (tag_t t : Host::KeptInPart(test_.part())) {
      auto* frec = dynamic_cast<FEATURE_RECORD*>(OM::OM_object_of_tag(t));
      if (frec == nullptr || dynamic_cast<BOOLEAN_parms*>(frec->ask_parms()) == nullptr) continue;
      frec->ask_parms()->destroy();
      frec->destroy();
    }
    for (tag_t body : {target_, tools_[0], tools_[1]})
      if (auto* bref = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(BREF_ask_bref_of_eidbody(body))))
        bref->destroy();
    builder_->destroy();
  }

 private:
  bool featureMode_;
  DieDes::DieBooleanBuilder* builder_;
  tag_t target_;
  int targetBody_ = 0;
  tag_t tools_[2];
};

// The die shoe's body built on real geometry, as the host asks for it: a
// flange, a main deck with a deck cutout. What a build hands out on success
// is the caller's; a build that raises hands out nothing.
class DieShoeBody : public Operation {
 public:
  explicit DieShoeBody(FailedInTurn& test)
      : Operation(test), shoe_(DieDes::DieShoeBuilderFactory::Create(test.modelPart(), nullptr)) {
    DieDes::DiePlaneBuilder* base = shoe_->GetBaseOrientation();
    base->SetInputType(DieDes::JA_DIE_PLANE_BUILDER_plane_type_CoordinateSystem);
    const double origin[3] = {0, 0, 0}, identity[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    base->SetCoordinateSystemOrigin(origin);
    base->SetCoordinateSystemMatrix(identity);
    shoe_->SetDistanceTolerance(0.02);
    Rectangle(shoe_->GetBaseFlangeSectionPtr(), -500, -400, 500, 400);
    Rectangle(shoe_->GetMainDeckSectionPtr(), -300, -200, 300, 200);
    Rectangle(shoe_->GetDeckCutoutsSectionPtr(), 150, -50, 250, 50);
    test.Set(shoe_->GetFlangeThickness(), "40");
    test.Set(shoe_->GetWallThickness(), "20");
    test.Set(shoe_->GetDeckThickness(), "30");
  }
  int Run() override {
    int body = 0;
    const int rc = shoe_->CreateBody(&body);
    body_ = body;
    return rc;
  }
  void Release() override {
    if (body_ != 0) Kernel::DeleteBody(body_, "test");
    body_ = 0;
    shoe_->destroy();
    for (tag_t point : points_)
      if (auto* p = dynamic_cast<OM::TaggedObject*>(OM::OM_object_of_tag(point))) p->destroy();
  }

 private:
  void Rectangle(SC_section* section, double x0, double y0, double x1, double y1) {
    const double corners[4][3] = {{x0, y0, 0}, {x1, y0, 0}, {x1, y1, 0}, {x0, y1, 0}};
    tag_t curves[4];
    for (int i = 0; i < 4; ++i) points_.push_back(curves[i] = ES_create_point(corners[i]));
    section->add_loop(SC_section::kClosed, 4, curves);
  }
  DieDes::DieShoeBuilder* shoe_;
  std::vector<tag_t> points_;
  int body_ = 0;
};

constexpr unsigned kAll = Failure::kEverything;

// One outermost record of an example journal, played as ktxhost plays it:
// the records before it are played first (not counted) into a part of its
// own, the record is the operation, and the part goes (with every builder
// still open in it and the kernel bodies of its bodies) when it is released.
// A journal of examples/, or of the tree where its name holds a folder
// (tests/data/...).
std::filesystem::path JournalNamed(const char* name) {
  return std::strchr(name, '/') == nullptr ? Examples() / name : std::filesystem::path(STAMVIK_SOURCE_DIR) / name;
}

class JournalRecord : public Operation {
 public:
  // The `occurrence`th (1 the first) outermost record calling `member` of `journalClass`.
  JournalRecord(FailedInTurn& test, const char* example, const char* journalClass, const char* member,
                int occurrence)
      : Operation(test), folder_(Examples()) {
    BindPlugin();
    journal_ = JAM::ReadJournal(stamvik_test::ReadFile(JournalNamed(example).string()));
    work_ = PART_ask_work_part();
    part_ = PART_part::Create(0);
    PART_set_work_part(part_);
    Host::SetBuildersMode(1);
    JAM::ClearJournal();
    int seen = 0;
    for (std::size_t i = 0; i < journal_.size(); ++i) {
      const JAM::Record& r = journal_[i];
      if (r.depth == 0 && r.journalClass == journalClass && r.member == member && ++seen == occurrence) {
        at_ = i;
        break;
      }
      std::string error;
      EXPECT_TRUE(player_.Play(r, i, &error)) << error;
      JAM::ClearJournal();
    }
    EXPECT_LT(at_, journal_.size()) << "no such record in " << example;
  }
  int Run() override {
    if (at_ >= journal_.size()) return -1;
    std::string error;
    const bool played = player_.Play(journal_[at_], at_, &error);
    return played ? 0 : -1;
  }
  void Release() override {
    // A write that failed, however, took its temporary file with it.
    EXPECT_EQ(folder_.Temporaries(), std::vector<std::string>{}) << "a write left its temporary file";
    JAM::ClearJournal();
    part_->destroy();
    PART_set_work_part(work_);
    Host::SetBuildersMode(0);
    Listing::Reset();
  }

 private:
  PlayFolder folder_;
  JAM::Journal journal_;
  std::size_t at_ = static_cast<std::size_t>(-1);
  Script::Player player_;
  PART_part* work_ = nullptr;
  PART_part* part_ = nullptr;
};

// A row walking one record of an example journal.
Row Record(const char* name, const char* example, const char* journalClass, const char* member, int occurrence,
           long long stride = 1, std::vector<std::string> absorbed = {}) {
  Row row{name, Failure::kEverything, true,
          [=](FailedInTurn& t) { return std::make_unique<JournalRecord>(t, example, journalClass, member, occurrence); },
          std::move(absorbed)};
  row.stride = stride;
  row.notedAbsorbs = true;
  return row;
}



const std::vector<std::string> kPreviewAbsorbs = {"UNDO_QD_set_mark",           "DieDesUtilsSolvaneCopy",
                                                  "ZV_ENTITY_copy",             "DieCreateRoughOffsetSheet",
                                                  "CastRelief::CreateToolBody", "ZV_BODY_boolean_2"};

// A commit reacts to its target on the way: the reaction's update runs under
// a mark of its own when one can be set, and its failure is the severe error
// the reaction reports, not the commit's.
const std::vector<std::string> kCommitAbsorbs = {"UNDO_QD_set_mark", "UPDATE_do_update"};

// The shoe's body leaves out a tool it cannot copy or apply, and a box it
// cannot measure, and builds on; its marks are the commit's.
const std::vector<std::string> kDieShoeAbsorbs = {
    "UNDO_QD_set_mark",          "DieDesUtilsSolvaneCopy",
    "ZV_ENTITY_copy",            "ZV_BODY_boolean_2",
    "DIEDES_UTILS__unite_tool_to_target", "DIEDES_UTILS__subtract_tool_from_target",
    "DIEDES_UTILS_ask_bounding_box_aligned"};

const std::vector<std::string> kDieShoeBodyAbsorbs = [] {
  std::vector<std::string> absorbed = kDieShoeAbsorbs;
  absorbed.push_back("DIEDES_UTILS__bplane_from_curves");
  return absorbed;
}();

// A tire envelope committed, let go and opened again; and one committed with
// a clearance analysis: each as its example, its motion holding the wheel still.
constexpr const char* kStillEnvelope = "tests/data/sweep_tire_envelope.jou";
constexpr const char* kStillClearance = "tests/data/tire_envelope_clearance_still.jou";

const Row kRows[] = {
    {"CastReliefPreview", kAll, false,
     [](FailedInTurn& t) { return std::make_unique<Preview<DieDesJA::CastReliefBuilder>>(t, t.ReadyCastRelief()); },
     kPreviewAbsorbs},
    {"CastReliefCommit", kAll, true, [](FailedInTurn& t) { return std::make_unique<Commit>(t, t.ReadyCastRelief()); }},
    {"ClearancePreview", kAll, false,
     [](FailedInTurn& t) { return std::make_unique<Preview<DieDesJA::ClearanceBuilder>>(t, t.ReadyClearance()); },
     kPreviewAbsorbs},
    {"ClearancePreviewWithoutAMark", kAll, false,
     [](FailedInTurn& t) {
       return std::make_unique<PreviewWithoutAMark<DieDesJA::ClearanceBuilder>>(t, t.ReadyClearance());
     },
     kPreviewAbsorbs},
    {"ClearanceCommit", kAll, true, [](FailedInTurn& t) { return std::make_unique<Commit>(t, t.ReadyClearance()); }},
    {"GenericCommitOfAnEdit", kAll, true, [](FailedInTurn& t) { return std::make_unique<EditCommit>(t); }},
    {"LocationToParms", kAll, false, [](FailedInTurn& t) { return std::make_unique<LocationToParms>(t); }},
    {"LocationsToParms", kAll, true, [](FailedInTurn& t) { return std::make_unique<LocationsToParms>(t); }},
    {"CreatorOfACastRelief", kAll, true,
     [](FailedInTurn& t) {
       return std::make_unique<Creator>(t, [](tag_t c, tag_t* made) { return XJA_FEATURE_DIE_cast_relief(c, 0, made); });
     }},
    {"CreatorOfAClearance", kAll, true,
     [](FailedInTurn& t) {
       return std::make_unique<Creator>(
           t, [](tag_t c, tag_t* made) { return XJA_FEATURE_DIE_create_clearance_builder(c, 0, made); });
     }},
    {"CreatorOfLocations", kAll, true,
     [](FailedInTurn& t) {
       return std::make_unique<Creator>(t, [](tag_t c, tag_t* made) {
         return XJA_FEATURE_DIE_create_die_locations(c, 0, true, true, true, true, true, true, true, made);
       });
     }},
    {"ReplayOfAJournal", kAll, false, [](FailedInTurn& t) { return std::make_unique<Replay>(t); }},
    // Without its mark the boolean still runs; a filter stopped on the way
    // unites what it let through so far.
    {"DieBooleanAsFeature", kAll, false,
     [](FailedInTurn& t) { return std::make_unique<DieBooleanApplied>(t, true); },
     {"UNDO_QD_set_mark", "ES_solid_ask_solvane_tag", "BREF_ask_bref_of_eidbody", "BREF_ask_frecs_using_bref"}},
    {"DieBooleanOnKernelBodies", kAll, false,
     [](FailedInTurn& t) { return std::make_unique<DieBooleanApplied>(t, false); }, {"UNDO_QD_set_mark"}},
    // The shoe's body leaves out a block it cannot make and builds on (a
    // deck cutout without its sheet with a warning number).
    {"DieShoeCreateBody", kAll, false, [](FailedInTurn& t) { return std::make_unique<DieShoeBody>(t); },
     kDieShoeBodyAbsorbs, 1, true},
    // What the example journals do, record by record.
    Record("CastReliefPreviewOfTheExample", "cast_relief.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("CastReliefCommitOfTheExample", "cast_relief.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    Record("ClearancePreviewOfTheExample", "clearance.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("CompensateRoughDataCommit", "compensate_rough_data.jou", "Builder", "Commit", 1),
    Record("SpringbackSprungPoints", "springback.jou", "Die.SpringbackCompensationBuilder", "GetSprungPoints", 1),
    Record("HeelpostPreview", "heelpost.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("HeelpostCommit", "heelpost.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    Record("KeywayPreview", "keyway.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("KeywayCommit", "keyway.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    Record("ClampingSlotPreview", "clamping_slot.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("ClampingSlotCommit", "clamping_slot.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    Record("FillAreaPreview", "fill_area.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("FillAreaCommit", "fill_area.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    Record("FingerClearanceNotchPreview", "finger_clearance_notch.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("FingerClearanceNotchCommit", "finger_clearance_notch.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    Record("HandlingCorePreview", "handling_core.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("HandlingCoreCommit", "handling_core.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    Record("MachineReliefPreview", "machine_relief.jou", "Builder", "Preview", 1, 1, kPreviewAbsorbs),
    Record("MachineReliefCommit", "machine_relief.jou", "Builder", "Commit", 1, 1, kCommitAbsorbs),
    // The shoe builds its body with the kernel at every run: every 30th and
    // 24th call here (FAILURE_WALK_STRIDE=1 walks them whole).
    Record("DieShoeCommit", "die_shoe.jou", "Builder", "Commit", 1, 30, kDieShoeAbsorbs),
    Record("DieShoeEditCommit", "die_shoe.jou", "Builder", "Commit", 2, 24, kDieShoeAbsorbs),
    // The tooling builds go on without a step's undo mark. Thousands of
    // calls: every 20th to 250th here.
    Record("DrawPunchCommit", "draw_punch.jou", "Builder", "Commit", 1, 20, {"UNDO_QD_set_mark"}),
    Record("DrawDieCommit", "draw_die.jou", "Builder", "Commit", 1, 100, {"UNDO_QD_set_mark"}),
    Record("DrawBeadCommit", "draw_bead_split.jou", "Builder", "Commit", 1),
    Record("DrawBeadEditCommit", "draw_bead_split.jou", "Builder", "Commit", 2),
    Record("ManikinCommit", "manikin_commit.jou", "Builder", "Commit", 1),
    Record("ManikinSizeFileSave", "manikin_size_file.jou", "Features.ManikinBuilder", "SaveToFile", 1),
    Record("ManikinSizeFileOpen", "manikin_size_file.jou", "Features.ManikinBuilder", "OpenFromFile", 1),
    // The envelope's rows play journals whose motion holds the wheel still:
    // the examples' sweep the tire to four positions and more, seconds of
    // the kernel's unions that every run would play first.
    Record("TireEnvelopeCommit", kStillEnvelope, "Builder", "Commit", 1),
    Record("TireEnvelopeClearance", kStillClearance, "Features.TireEnvelopeBuilder", "PerformClearanceAnalysis", 1),
    // The tire body is made in a part the call makes for it: an undo takes that part back.
    Record("TireEnvelopeTireBody", kStillClearance, "Features.TireEnvelopeBuilder", "UpdateTireBodyFeature", 1),
    Record("TireEnvelopeMotion", "tire_envelope_motion.jou", "Features.TireEnvelopeBuilder", "RunMotionArticulation", 1),
    Record("TireEnvelopeMotionTemplate", "tire_envelope_motion.jou", "Features.TireEnvelopeBuilder",
           "BuildMotionTemplate", 1),
    Record("TireEnvelopeTemplate", "tire_envelope_template.jou", "Features.TireEnvelopeBuilder",
           "ReadSuspensionTemplate", 1),
    // The segmentation goes on past the status of the list call that inserts a
    // segment, whose class check copies the segment's journal class name (a
    // copy the plug-in makes itself where its compiler does not turn the call
    // into a jump).
    Record("DrawBeadSegmentsFromCurves", "draw_bead_split.jou", "Die.DrawBeadBuilder",
           "CreateSegmentsFromCenterlineCurves", 1, 1,
           {"JAM_this", "JAM_lookup_or_create_class", "JAM_in_tag", "JAM_end_of_arguments", "UICOMPJA_list_insert",
            "SM_string_copy"}),
    Record("DrawBeadSegment", "draw_bead.jou", "Die.DrawBeadBuilder", "CreateDrawBeadSegment", 1),
    Record("DrawBeadDestroy", "draw_bead_split.jou", "Builder", "Destroy", 1),
    Record("DieShoeCreator", "die_shoe.jou", "Die.DieCollection", "DieShoe", 1),
    Record("DieShoeEditCreator", "die_shoe.jou", "Die.DieCollection", "DieShoe", 2, 9),
    Record("DieShoeDestroy", "die_shoe.jou", "Builder", "Destroy", 1),
    Record("TireEnvelopeProfilePoints", "tire_envelope_clearance.jou", "Features.TireEnvelopeBuilder",
           "CalculateProfilePoints", 1),
    Record("TireEnvelopeProfileSketch", "tire_envelope.jou", "Features.TireEnvelopeBuilder", "SetTireProfileSketch", 1),
    Record("TireEnvelopeOffsetSections", "tire_envelope.jou", "Features.TireEnvelopeBuilder", "SetOffsetSections", 1),
    Record("TireEnvelopeEditCreator", kStillEnvelope, "Features.AutomotiveCollection", "CreateTireEnvelopeBuilder", 2),
    Record("TireEnvelopeDestroy", kStillEnvelope, "Builder", "Destroy", 1),
    Record("ManikinEditCreator", "manikin_commit.jou", "Features.AutomotiveCollection", "CreateManikinBuilder", 2),
    Record("ManikinEditCommit", "manikin_commit.jou", "Builder", "Commit", 2),
    Record("SpringbackProductPoints", "springback.jou", "Die.SpringbackCompensationBuilder", "SetProductPoints", 1),
    Record("CompensateRoughDataEditCommit", "compensate_rough_data.jou", "Builder", "Commit", 2),
    Record("CastReliefEditCommit", "cast_relief.jou", "Builder", "Commit", 2, 1, kCommitAbsorbs),
    Record("ToolingPierceInsertBuilder", "tooling.jou", "Tooling.AutoDieCollection", "CreateDieDesPierceInsertBuilder",
           1),
    Record("ToolingFormTaskBuilder", "tooling.jou", "Tooling.AutoDieCollection", "CreateDieEngFormTaskBuilder", 1),
    Record("ToolingDrawPunchBuilder", "tooling.jou", "Tooling.AutoDieCollection", "CreateDieDesDrawPunchBuilder", 1),
    Record("ToolingFormTaskGetDetails", "tooling.jou", "Tooling.DieEngFormTaskBuilder", "GetDetails", 1),
    Record("DrawDieEditCommit", "draw_die.jou", "Builder", "Commit", 2, 250, {"UNDO_QD_set_mark"}),
    Record("DrawPunchEditCommit", "draw_punch.jou", "Builder", "Commit", 2, 40, {"UNDO_QD_set_mark"}),
    Record("ToolingFormTaskDetails", "tooling.jou", "Tooling.DieEngFormTaskBuilder", "SetDetails", 1),
    Record("ToolingDrawDieBuilder", "tooling.jou", "Tooling.AutoDieCollection", "CreateDieDesDrawDieBuilder", 1),
    Record("ToolingDrawDieDestroy", "tooling.jou", "Builder", "Destroy", 1),
};

INSTANTIATE_TEST_SUITE_P(Operations, FailedInTurn, ::testing::ValuesIn(kRows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

// Every example journal played whole with the nth call of one facility
// failing, for every n (or every stride-th), as `KTX_FAIL=FACILITY:N ktxhost
// play` plays it: each run in a process of its own, forked before anything
// was played (so that what the first play sets up is walked too), with an
// undo mark set before the play. The play stops where ktxhost's would, the
// model goes back to the mark, and the part closes. Then memory, host
// objects and kernel bodies are as they were before the play, whatever the
// play made, kept beside undo or left open.
struct PlayWalk {
  std::string example;  // the journal's file name in examples/
  const char* facility;
  unsigned facilities;
};

void PrintTo(const PlayWalk& walk, std::ostream* out) { *out << walk.example << " " << walk.facility; }

// How many runs a row makes at most (each run a whole play up to its failing
// call): a row walks every stride-th call, the stride being the counted
// calls over these runs, rounded up (tests/README.md, "The failure walk").
// FAILURE_WALK_STRIDE=1 walks every call (tools/failure-walk).
long long MostRuns(const std::string& example) {
  // The journals whose plays take longest: the draw die's and punch's
  // builds, the die shoe's body, the tire envelope's clearance along its
  // motion and its two envelopes swept to their positions.
  static const struct {
    const char* example;
    long long runs;
  } kSlow[] = {{"draw_die.jou", 3},
               {"draw_punch.jou", 5},
               {"die_shoe.jou", 10},
               {"tire_envelope_clearance.jou", 2},
               {"tire_envelope_commit.jou", 2}};
  // Every build makes the same runs: the suites' own sources are built
  // unoptimised in every configuration, so no build could tell itself apart
  // here, and CI runs all three.
  long long runs = 15;
  for (const auto& slow : kSlow)
    if (example == slow.example) runs = slow.runs;
  return runs;
}

std::vector<PlayWalk> PlayWalks() {
  static const struct {
    const char* name;
    unsigned facility;
  } kFacilities[] = {{"memory", Failure::kMemory},
                     {"kernel", Failure::kKernel},
                     {"record", Failure::kFeatureRecord},
                     {"mark", Failure::kUndoMark},
                     {"hostcall", Failure::kHostCall}};
  std::vector<std::string> examples;
  for (const auto& entry : std::filesystem::directory_iterator(Examples()))
    if (entry.path().extension() == ".jou") examples.push_back(entry.path().filename().string());
  std::sort(examples.begin(), examples.end());
  std::vector<PlayWalk> walks;
  for (const std::string& example : examples)
    for (const auto& f : kFacilities) walks.push_back({example, f.name, f.facility});
  return walks;
}

class PlayUndoneAndClosed : public stamvik_test::JamTest, public ::testing::WithParamInterface<PlayWalk> {
 protected:
  // What one run reports: the counted calls, the call that failed, and what
  // it left (empty: nothing).
  struct Run {
    long long counted = 0;
    std::string failed;
    std::string left;
  };

  // Plays the journal into a new part with the nth counted call failing (0:
  // counted, none fails), undoes, closes the part and says what is left.
  // Runs in the forked process.
  static Run PlayAndCheck(const PlayWalk& walk, const JAM::Journal& journal, long long n) {
    Run run;
    PlayFolder folder(Examples());
    const Memory::Counters memory = Memory::LiveCounters();
    const int objects = OM::OM_live_objects();
    const Kernel::Counters kernel = Kernel::LiveCounters();
    const std::vector<int> marks = Host::OpenSessionMarks();
    PART_part* work = PART_ask_work_part();
    int error = 0;
    const int mark = UNDO_QD_set_mark(1, "play", &error);
    PART_part* part = PART_part::Create(0);
    const tag_t partTag = part->OmTag();
    PART_set_work_part(part);
    Host::SetBuildersMode(1);
    Listing::Reset();
    JAM::ClearJournal();
    // As ktxhost plays: no call log (a host call logged only while the log
    // is on is then neither made nor failed).
    Host::SetLogging(false);
    Script::Player player;
    bool played = true;
    if (n == 0) Failure::Count(walk.facilities);
    if (n > 0) Failure::FailAt(walk.facilities, n);
    try {
      for (std::size_t i = 0; i < journal.size() && played; ++i) {
        std::string why;
        played = player.Play(journal[i], i, &why);
      }
    } catch (const std::exception&) {
      played = false;
    }
    run.counted = Failure::Off();
    run.failed = Failure::FailedCall();
    Host::SetLogging(true);
    Host::SetBuildersMode(0);
    JAM::ClearJournal();
    std::ostringstream left;
    if (mark == 0) left << " no undo mark could be set;";
    UNDO_QD_undo_to_mark(mark, nullptr);
    UNDO_QD_delete_mark(mark, nullptr);
    if (Host::OpenSessionMarks() != marks) left << " a session mark of the play left open;";
    // The part made under the mark went with it; one that stayed closes.
    if (!OM::OM_is_deleted_tag(partTag)) part->destroy();
    PART_set_work_part(work);
    Listing::Reset();
    if (n == 0 && !played) left << " the play does not play unharmed;";
    if (n > 0 && run.failed.empty()) left << " the failing call never came;";
    const Memory::Counters memoryAfter = Memory::LiveCounters();
    const Kernel::Counters kernelAfter = Kernel::LiveCounters();
    if (memoryAfter.blocks != memory.blocks)
      left << " memory blocks " << memoryAfter.blocks - memory.blocks << " (" << memoryAfter.bytes - memory.bytes
           << " bytes);";
    if (memoryAfter.objects != memory.objects) left << " host class objects " << memoryAfter.objects - memory.objects << ";";
    if (memoryAfter.badFrees != memory.badFrees) left << " memory freed twice or never allocated;";
    if (OM::OM_live_objects() != objects) left << " host objects " << OM::OM_live_objects() - objects << ";";
    if (kernelAfter.liveBodies != kernel.liveBodies)
      left << " kernel bodies " << kernelAfter.liveBodies - kernel.liveBodies << ";";
    if (kernelAfter.deleteErrors != kernel.deleteErrors) left << " a body deleted twice;";
    for (const std::string& temporary : folder.Temporaries()) left << " the temporary file " << temporary << ";";
    run.left = left.str();
    return run;
  }

  // One run in a process forked from this one; a run that does not end
  // (a crash) says so.
  static Run Forked(const PlayWalk& walk, const JAM::Journal& journal, long long n) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return {0, "", " no pipe;"};
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = fork();
    if (child < 0) return {0, "", " no fork;"};
    if (child == 0) {
      close(pipeEnds[0]);
      const Run run = PlayAndCheck(walk, journal, n);
      const std::string report = std::to_string(run.counted) + "\n" + run.failed + "\n" + run.left;
      for (std::size_t at = 0; at < report.size();) {
        const ssize_t wrote = write(pipeEnds[1], report.data() + at, report.size() - at);
        if (wrote <= 0) break;
        at += static_cast<std::size_t>(wrote);
      }
      close(pipeEnds[1]);
      std::fflush(stdout);
      std::fflush(stderr);
      _exit(0);
    }
    close(pipeEnds[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t got; (got = read(pipeEnds[0], buffer, sizeof buffer)) != 0;) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) break;
      report.append(buffer, static_cast<std::size_t>(got));
    }
    close(pipeEnds[0]);
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    Run run;
    const std::size_t first = report.find('\n');
    const std::size_t second = first == std::string::npos ? first : report.find('\n', first + 1);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || second == std::string::npos) {
      run.left = " the run did not end (status " + std::to_string(status) + ");";
      return run;
    }
    run.counted = std::atoll(report.substr(0, first).c_str());
    run.failed = report.substr(first + 1, second - first - 1);
    run.left = report.substr(second + 1);
    return run;
  }
};

TEST_P(PlayUndoneAndClosed, LeavesNothingOnceUndoneAndClosed) {
  const PlayWalk& walk = GetParam();
  BindPlugin();
  const JAM::Journal journal = JAM::ReadJournal(stamvik_test::ReadFile((Examples() / walk.example).string()));
  const Run counting = Forked(walk, journal, 0);
  ASSERT_EQ(counting.left, "") << walk.example << " played with no call failing";
  const long long calls = counting.counted;
  const long long runs = MostRuns(walk.example);
  long long stride = std::max(1LL, (calls + runs - 1) / runs) * Sample();
  if (const char* all = std::getenv("FAILURE_WALK_STRIDE"); all != nullptr && std::atoll(all) > 0)
    stride = std::atoll(all);
  std::printf("%s %s: %lld counted calls, every %lld walked\n", walk.example.c_str(), walk.facility, calls, stride);
  // The last call is walked whatever the stride.
  for (long long n = 1; n <= calls; n = n < calls && n + stride > calls ? calls : n + stride) {
    const Run run = Forked(walk, journal, n);
    EXPECT_EQ(run.left, "") << walk.example << " " << walk.facility << ":" << n << " (" << run.failed << ") left";
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, PlayUndoneAndClosed, ::testing::ValuesIn(PlayWalks()),
                         [](const ::testing::TestParamInfo<PlayWalk>& info) {
                           std::string name = info.param.example.substr(0, info.param.example.size() - 4);
                           name += "_";
                           name += info.param.facility;
                           return name;
                         });

// A play that stops early leaves its builders open: closing the part takes
// each down with what it owns and keeps beside it (a work area, a table
// entry, a builder it made inside its own making), whatever the order they
// were made in.
class LeftOpen : public stamvik_test::JamTest {};

TEST_F(LeftOpen, BuildersLeftOpenGoWithTheirPart) {
  using Make = std::function<void(PART_part*)>;
  const Make castRelief = [](PART_part* p) { DieDesJA::CastReliefBuilderFactory::Create(p->ModelPart(), nullptr); };
  const Make tire = [](PART_part* p) { VDJA::TireEnvelopeBuilderFactory::Create(p->ModelPart(), nullptr); };
  const Make drawDie = [](PART_part* p) { Tooling::DieDesDrawDieBuilderFactory::Create(0, p); };
  const Make shoe = [](PART_part* p) { DieDes::DieShoeBuilderFactory::Create(p->ModelPart(), nullptr); };
  const struct {
    const char* name;
    std::vector<Make> made;
  } rows[] = {
      {"one cast relief", {castRelief}},
      {"one tire envelope", {tire}},
      {"two tire envelopes", {tire, tire}},
      {"a draw die and the punch it made", {drawDie}},
      {"a die shoe", {shoe}},
      {"one of each, the draw die between", {tire, castRelief, drawDie, shoe, tire}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const Memory::Counters memory = Memory::LiveCounters();
    const int objects = OM::OM_live_objects();
    PART_part* closing = PART_part::Create(0);
    PART_part* work = PART_ask_work_part();
    PART_set_work_part(closing);
    for (const Make& make : row.made) make(closing);
    EXPECT_GT(OM::OM_live_objects(), objects);
    closing->destroy();
    PART_set_work_part(work);
    EXPECT_EQ(OM::OM_live_objects(), objects) << "host objects left alive";
    EXPECT_EQ(Memory::LiveCounters().blocks, memory.blocks) << "memory blocks left";
    EXPECT_EQ(Memory::LiveCounters().badFrees, memory.badFrees) << "memory freed twice";
  }
}

}  // namespace
