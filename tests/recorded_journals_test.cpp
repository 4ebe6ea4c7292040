// The journal read where it is made: each call's values as the player reads
// them after the call, and the names of records made again in the room an
// earlier record of another member left.
#include <gtest/gtest.h>

#include <string>

#include "jam/Jam.hpp"
#include "jam/Journal.hpp"

namespace {

using namespace KTX;

struct Row {
  const char* journalClass;
  int methodType;
  const char* member;
  const char* valueName;
  double value;
};

// One member after another, the same member again, and one member name in
// two classes and as a get and a set.
const Row kRows[] = {
    {"Die.CastReliefBuilder", 2, "DistanceTolerance", "distanceTolerance", 0.5},
    {"Die.CastReliefBuilder", 2, "AngleTolerance", "angleTolerance", 0.25},
    {"Die.CastReliefBuilder", 2, "AngleTolerance", "angleTolerance", 0.125},
    {"Die.DieShoeBuilder", 2, "DistanceTolerance", "tolerance", 2.0},
    {"Die.DieShoeBuilder", 1, "DistanceTolerance", "tolerance", 3.0},
    {"Die.CastReliefBuilder", 2, "DistanceTolerance", "distanceTolerance", 0.75},
};

void Record(const Row& row) {
  JAM_start_property_call(JAM_lookup_or_create_class(row.journalClass), row.methodType, row.member, nullptr);
  JAM_in_double(&row.value, row.valueName, 0);
  JAM_end_of_arguments();
  JAM_end_call(0);
}

void ExpectValues(std::size_t index, const Row& row) {
  const std::span<const JAM::Value> values = JAM::RecordedValues(index);
  ASSERT_EQ(values.size(), 1u);
  EXPECT_EQ(values[0].name, row.valueName);
  EXPECT_EQ(values[0].real, row.value);
  EXPECT_EQ(values[0].direction, JAM::Direction::In);
}

void ExpectRecord(const JAM::Record& r, const Row& row) {
  EXPECT_EQ(r.journalClass, row.journalClass);
  EXPECT_EQ(r.methodType, row.methodType);
  EXPECT_EQ(r.member, row.member);
  EXPECT_EQ(r.state, JAM::RecordState::Closed);
}

TEST(RecordedJournal, EachCallsRecordIsReadWhereItIsMadeAndAfterTheJournalIsHandedOut) {
  JAM::Test::Reset();
  // Read where they are made: the journal is not asked for.
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string(row.journalClass) + " " + row.member);
    Record(row);
    EXPECT_EQ(JAM::RecordedCount(), 1u);
    ExpectValues(0, row);
    EXPECT_TRUE(JAM::RecordedValues(1).empty());
    JAM::ClearJournal();
    EXPECT_EQ(JAM::RecordedCount(), 0u);
    EXPECT_TRUE(JAM::RecordedValues(0).empty());
  }
  // Two records in the rooms the last ones left, then the journal handed out.
  Record(kRows[1]);
  Record(kRows[3]);
  EXPECT_EQ(JAM::RecordedCount(), 2u);
  ExpectValues(1, kRows[3]);
  const JAM::Journal& journal = JAM::Recorded();
  ASSERT_EQ(journal.size(), 2u);
  ExpectRecord(journal[0], kRows[1]);
  ExpectRecord(journal[1], kRows[3]);
  JAM::ClearJournal();
  // Handed out: each record is made from the one the clearing let go.
  for (const Row& row : kRows) {
    SCOPED_TRACE(std::string("handed out: ") + row.journalClass + " " + row.member);
    Record(row);
    EXPECT_EQ(JAM::Recorded().size(), 1u);
    if (JAM::Recorded().size() != 1u) {
      JAM::ClearJournal();
      continue;
    }
    ExpectRecord(JAM::Recorded()[0], row);
    ExpectValues(0, row);
    EXPECT_TRUE(JAM::RecordedValues(1).empty());
    JAM::ClearJournal();
  }
  JAM::Test::Reset();
}

}  // namespace
