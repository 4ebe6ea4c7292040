// The library's owner of host blocks and its undo-mark scope: every way out
// of a scope frees a block exactly once, and an undo mark goes back to where
// it was set unless its work was committed, and is deleted in every case,
// also when a host call on the way out fails.
#include <stdexcept>
#include <string>
#include <utility>

#include "DieDes_DieShoeBuilder.hpp"
#include "OnEveryExit.hpp"
#include "Support.hpp"
#include "TestSupport.hpp"
#include "sys/Failure.hpp"
#include "sys/TextFile.hpp"
#include "math/Vector.hpp"

namespace {

using namespace KTX;
using Stamvik::HostBlock;
using Stamvik::UndoMarkScope;

std::int64_t liveBlocks() { return Memory::LiveCounters().blocks; }
std::int64_t badFrees() { return Memory::LiveCounters().badFrees; }

class Support : public stamvik_test::HostTest {};

TEST_F(Support, AHostBlockIsFreedExactlyOnceOnEveryWayOut) {
  struct Row {
    const char* name;
    void (*use)(HostBlock<int>& block);  // may move the block on, or raise
    int liveAfter;                       // blocks still alive once the owners are gone
  };
  static int* handedOn = nullptr;
  const Row rows[] = {
      {"scope left", [](HostBlock<int>&) {}, 0},
      {"exception", [](HostBlock<int>&) { throw std::runtime_error("step failed"); }, 0},
      {"moved to another owner",
       [](HostBlock<int>& block) {
         HostBlock<int> other(std::move(block));
         EXPECT_FALSE(block);
         EXPECT_TRUE(other);
       },
       0},
      {"move-assigned over a held block",
       [](HostBlock<int>& block) {
         HostBlock<int> other(static_cast<int*>(SM_alloc(sizeof(int))));
         other = std::move(block);
       },
       0},
      {"reset to a new block",
       [](HostBlock<int>& block) { block.reset(static_cast<int*>(SM_alloc(sizeof(int)))); }, 0},
      {"out() before a call that hands a block out",
       [](HostBlock<int>& block) { *block.out() = static_cast<int*>(SM_alloc(2 * sizeof(int))); }, 0},
      {"released", [](HostBlock<int>& block) { handedOn = block.release(); }, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    handedOn = nullptr;
    const std::int64_t before = liveBlocks();
    const std::int64_t badBefore = badFrees();
    try {
      HostBlock<int> block(static_cast<int*>(SM_alloc(4 * sizeof(int))));
      block[3] = 7;
      EXPECT_EQ(block.get()[3], 7);
      row.use(block);
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(liveBlocks() - before, row.liveAfter);
    EXPECT_EQ(badFrees(), badBefore) << "a block freed twice";
    SM_free(handedOn);
    EXPECT_EQ(liveBlocks(), before);
  }
}

// The ways a scope with a mark ends, and what each leaves of the work done
// under the mark (a builder's tolerance set from 0.5 to 0.75).
TEST_F(Support, AnUndoMarkIsUndoneUnlessCommittedAndDeletedAlways) {
  enum class End { Commit, ReturnWithoutCommit, Exception, CommitThenException };
  struct Row {
    const char* name;
    End end;
    double tolerance;  // after the scope
  };
  const Row rows[] = {
      {"committed", End::Commit, 0.75},
      {"returned without commit", End::ReturnWithoutCommit, 0.5},
      {"left by an exception", End::Exception, 0.5},
      {"committed, then left by an exception", End::CommitThenException, 0.5},
  };
  auto* shoe = DieDes::DieShoeBuilderFactory::Create(modelPart(), nullptr);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    shoe->SetDistanceTolerance(0.5);
    const int marksBefore = OM::OM_ask_undo_mark_count();
    Host::ClearCalls();
    try {
      UndoMarkScope mark("support test");
      EXPECT_NE(mark.Mark(), 0);
      EXPECT_EQ(OM::OM_ask_undo_mark_count(), marksBefore + 1);
      shoe->SetDistanceTolerance(0.75);
      if (row.end == End::Commit || row.end == End::CommitThenException) mark.Commit();
      if (row.end == End::Exception || row.end == End::CommitThenException) throw std::runtime_error("step failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(shoe->GetDistanceTolerance(), row.tolerance);
    EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark"), row.tolerance == 0.5 ? 1u : 0u);
    EXPECT_EQ(Host::CountCalls("UNDO_QD_delete_mark"), 1u);
    EXPECT_EQ(OM::OM_ask_undo_mark_count(), marksBefore) << "the mark was left set";
  }
  shoe->destroy();
}

TEST_F(Support, NoMarkSetMeansNothingUndoneOrDeleted) {
  const int marksBefore = OM::OM_ask_undo_mark_count();
  Failure::FailAt(Failure::kUndoMark, 1);  // the host reports an error and sets no mark
  {
    UndoMarkScope mark("support test");
    EXPECT_EQ(mark.Mark(), 0);
    Host::ClearCalls();
  }
  Failure::Off();
  EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark"), 0u);
  EXPECT_EQ(Host::CountCalls("UNDO_QD_delete_mark"), 0u);
  EXPECT_EQ(OM::OM_ask_undo_mark_count(), marksBefore);
}

// A host call of the undo that fails on the way out is noted, not thrown,
// and the mark is still deleted; a moved-from scope does nothing. (The
// steps' names avoid the words of the calls the host never fails.)
void undoThroughAHostCall(int mark) {
  Host::Log("SupportTestStepOfTheUndo", std::to_string(mark));
  UNDO_QD_undo_to_mark(mark, nullptr);
}
void deleteThroughAHostCall(int mark) {
  Host::Log("SupportTestStepOfTheMarksEnd", std::to_string(mark));
  UNDO_QD_delete_mark(mark, nullptr);
}

TEST_F(Support, AFailingHostCallOnTheWayOutIsNotedAndTheRestStillRuns) {
  struct Row {
    const char* name;
    bool commit;
    int failingCall;             // the counted host call that fails: 1 the undo's, 2 the deletion's
    bool undone;                 // the undo reached the object manager
  };
  const Row rows[] = {
      {"the undo's call fails", false, 1, false},
      {"the deletion's call fails after the undo", false, 2, true},
      {"the deletion's call fails after a commit", true, 1, false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const int marksBefore = OM::OM_ask_undo_mark_count();
    const std::size_t notesBefore = Error::Notes().size();
    int error = 0;
    const int set = UNDO_QD_set_mark(1, nullptr, &error);
    ASSERT_EQ(error, 0);
    Host::ClearCalls();
    bool thrown = false;
    try {
      UndoMarkScope outer(set, &undoThroughAHostCall, &deleteThroughAHostCall);
      UndoMarkScope mark(std::move(outer));
      EXPECT_EQ(outer.Mark(), 0);
      EXPECT_EQ(mark.Mark(), set);
      if (row.commit) mark.Commit();
      Failure::FailAt(Failure::kHostCall, row.failingCall);
    } catch (...) {
      thrown = true;
    }
    Failure::Off();
    EXPECT_FALSE(thrown);
    EXPECT_EQ(Host::CountCalls("UNDO_QD_undo_to_mark"), row.undone ? 1u : 0u);
    EXPECT_EQ(Error::Notes().size(), notesBefore + 1) << "the failure was not noted";
    if (row.failingCall == 1 && !row.commit) {
      // The deletion ran although the undo failed: the mark is gone.
      EXPECT_EQ(OM::OM_ask_undo_mark_count(), marksBefore);
    } else if (row.failingCall == 2 || row.commit) {
      // The deletion's own call failed before it reached the mark.
      EXPECT_EQ(OM::OM_ask_undo_mark_count(), marksBefore + 1);
      UNDO_QD_delete_mark(set, nullptr);
    }
  }
}

// A noted step's failure says the step, where it ran and what follows,
// whatever it raised; a step that runs through notes nothing.
TEST(SupportNotes, ANotedStepSaysWhatFailedWhereItRanAndWhatFollows) {
  struct Row {
    const char* name;
    bool wayOut;  // RunNoted (a clean-up's) or RunNotedAs with nothing for where
    int raised;   // 0 nothing, 1 a host error, 2 a standard exception, 3 anything else
    const char* note;
  };
  const Row rows[] = {
      {"runs through", true, 0, nullptr},
      {"a host error on the way out", true, 1, "Step on the way out: no such thing (840002); the rest goes on"},
      {"a standard exception on the way out", true, 2, "Step on the way out: broken; the rest goes on"},
      {"anything else on the way out", true, 3, "Step failed on the way out; the rest goes on"},
      {"a host error in a commit", false, 1, "Step: no such thing (840002); the builder's own values are written"},
      {"anything else in a commit", false, 3, "Step failed; the builder's own values are written"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Error::ClearNotes();
    const auto step = [&] {
      if (row.raised == 1) throw Error::Exception(Error::kBadObject, "no such thing");
      if (row.raised == 2) throw std::runtime_error("broken");
      if (row.raised == 3) throw 7;
    };
    const bool ran = row.wayOut ? Stamvik::RunNoted("Step", step)
                                : Stamvik::RunNotedAs("Step", "", "the builder's own values are written", step);
    EXPECT_EQ(ran, row.note == nullptr);
    if (row.note == nullptr) {
      EXPECT_TRUE(Error::Notes().empty());
      continue;
    }
    ASSERT_EQ(Error::Notes().size(), 1u);
    EXPECT_EQ(Error::Notes()[0], row.note);
  }
}

TEST(SupportValues, AMissingExpressionIsZero) { EXPECT_EQ(Stamvik::ExpressionValue(nullptr), 0.0); }

// Products computed by hand, the operands' order pinned (a swapped cross
// product gives the negated vector).
TEST(SupportVectors, DotCrossAndDistanceByHand) {
  const double a[3] = {1.0, 2.0, 3.0};
  const double b[3] = {-4.0, 0.5, 2.0};
  EXPECT_EQ(Math::Dot(a, b), -4.0 + 1.0 + 6.0);
  double c[3];
  Math::Cross(a, b, c);
  EXPECT_EQ(c[0], 2.0 * 2.0 - 3.0 * 0.5);   // 2.5
  EXPECT_EQ(c[1], 3.0 * -4.0 - 1.0 * 2.0);  // -14
  EXPECT_EQ(c[2], 1.0 * 0.5 - 2.0 * -4.0);  // 8.5
  Math::Cross(a, a, c);
  EXPECT_EQ(c[0], 0.0);
  double out[3] = {1.0, 1.0, 1.0};
  Math::Cross(out, b, out);  // the result may be an operand
  EXPECT_EQ(out[0], 1.0 * 2.0 - 1.0 * 0.5);
  EXPECT_EQ(out[1], 1.0 * -4.0 - 1.0 * 2.0);
  EXPECT_EQ(out[2], 1.0 * 0.5 - 1.0 * -4.0);
  const double p[3] = {1.0, 1.0, 1.0};
  const double q[3] = {4.0, 5.0, 1.0};
  EXPECT_EQ(Math::Distance(p, q), 5.0);
  double moved[3];
  Math::AddScaled(p, -2.0, q, moved);
  EXPECT_EQ(moved[0], -7.0);
  EXPECT_EQ(moved[1], -9.0);
  EXPECT_EQ(moved[2], -1.0);
  const double matrix[9] = {1, 0, 0, 0, 1, 0, 0.25, 0.5, 0.75};
  double normal[3];
  Math::NormalOfMatrix(matrix, normal);
  EXPECT_EQ(normal[2], 0.75);
  EXPECT_EQ(normal[0], 0.25);
}

}  // namespace
