#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "motion/CutMove.h"
#include "motion/MovePlanner.h"
#include "support/StepStreams.h"

namespace orva {
namespace {

using test::Bytes;
using test::totalTicks;

TEST(StepCommand, EncodesDirectionAndStepBitsOfOneTower) {
  const std::vector<std::array<int, 3>> cases{{0, 0, 0},  {0, -1, 2},   {0, 1, 3},   {-1, 0, 8},
                                              {1, 0, 12}, {-1, -1, 10}, {1, -1, 14}, {1, 1, 15}};
  for (const auto& [x, y, command] : cases) EXPECT_EQ(StepCommand(x, y), command) << x << y;
}

TEST(AppendStep, LongIntervalIsSplitIntoWaitEntriesOf127Periods) {
  // 100 ms at 0.5 ms = 200 periods = 127 (wait entry) + 73.
  CutMove move;
  ASSERT_TRUE(AppendStep(move, 1, 0, 100.0, 0.5));
  EXPECT_EQ(move.entries, (Bytes{0xFF, 0x00, 0x80 + 73, 12}));
  EXPECT_DOUBLE_EQ(move.scheduledTime, 100.0);
  EXPECT_DOUBLE_EQ(move.exactTime, 100.0);

  // The boundaries: 127 periods fit one entry, 128 and 254 need a wait entry, 255 two.
  CutMove edges;
  ASSERT_TRUE(AppendStep(edges, 0, 1, 63.5, 0.5));   // 127
  ASSERT_TRUE(AppendStep(edges, 0, -1, 64.0, 0.5));  // 128 = 127 + 1
  ASSERT_TRUE(AppendStep(edges, 0, 0, 127.5, 0.5));  // 255 = 127 + 127 + 1
  ASSERT_TRUE(AppendStep(edges, 0, 1, 127.0, 0.5));  // 254 = 127 + 127
  EXPECT_EQ(edges.entries,
            (Bytes{0xFF, 3, 0xFF, 0, 0x81, 2, 0xFF, 0, 0xFF, 0, 0x81, 0, 0xFF, 0, 0xFF, 3}));
}

TEST(AppendStep, RoundingOfShortIntervalsNeverAccumulates) {
  // Ten intervals of 0.3 ms at 0.5 ms: rounded one by one they would take ten
  // periods (5 ms); owed time is carried, so they take 3 ms. By hand:
  // periods owed 1.1, 0.7, 1.3, 0.9, 1.5, 1.1, 0.7, 1.3, 0.9, 1.5 -> truncated.
  CutMove move;
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(AppendStep(move, 0, 1, 0.3, 0.5));
  std::vector<int> delays;
  for (std::size_t i = 0; i < move.entries.size(); i += 2) delays.push_back(move.entries[i] - 0x80);
  EXPECT_EQ(delays, (std::vector<int>{1, 0, 1, 0, 1, 1, 0, 1, 0, 1}));
  EXPECT_NEAR(move.scheduledTime, 3.0, 1e-12);
  EXPECT_NEAR(move.exactTime, 3.0, 1e-12);
}

TEST(AppendStep, ScheduledTimeStaysWithinHalfAPeriodOfTheExactTime) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> interval(0.0, 90.0);
  for (double tempo : {0.5, 0.3, 0.047}) {
    CutMove move;
    for (int i = 0; i < 5000; ++i) {
      ASSERT_TRUE(AppendStep(move, 1, -1, interval(random), tempo));
      ASSERT_LE(std::abs(move.exactTime - move.scheduledTime), tempo * 0.5 + 1e-9);
    }
    EXPECT_NEAR(static_cast<double>(totalTicks(move.entries)) * tempo, move.scheduledTime, 1e-6);
  }
}

TEST(AppendStep, RefusesIntervalsThatCannotBeScheduled) {
  CutMove move;
  EXPECT_FALSE(AppendStep(move, 1, 0, 1.0, 0.0));
  EXPECT_FALSE(AppendStep(move, 1, 0, 1.0, -0.5));
  EXPECT_FALSE(AppendStep(move, 1, 0, std::nan(""), 0.5));
  EXPECT_FALSE(AppendStep(move, 1, 0, -1.0, 0.5));
  EXPECT_FALSE(AppendStep(move, 1, 0, 1e300, 0.5));
  EXPECT_TRUE(move.entries.empty());
}

TEST(MergeTowerStreams, InterleavesTwoStreamsByTime) {
  // Left steps X+ at ticks 3 and 5, right steps Y+ at ticks 4 and 5.
  CutMove left;
  left.label = "cut";
  left.duration = 1.5;
  left.entries = {0x83, 12, 0x82, 12};
  left.scheduledTime = 2.5;
  CutMove right;
  right.entries = {0x84, 3, 0x81, 3};
  right.scheduledTime = 2.5;
  const CutMove merged = MergeTowerStreams(left, right);
  EXPECT_EQ(merged.entries, (Bytes{0x83, 0x0C, 0x81, 0x30, 0x81, 0x3C}));
  EXPECT_EQ(merged.label, "cut");
  EXPECT_EQ(merged.duration, 1.5);

  // One stream ends first: the rest of the other follows, its current entry
  // with the ticks still due.
  CutMove shortLeft;
  shortLeft.entries = {0x81, 12};
  CutMove longRight;
  longRight.entries = {0x85, 2, 0x82, 2};
  EXPECT_EQ(MergeTowerStreams(shortLeft, longRight).entries,
            (Bytes{0x81, 0x0C, 0x84, 0x20, 0x82, 0x20}));
  EXPECT_EQ(MergeTowerStreams(longRight, shortLeft).entries,
            (Bytes{0x81, 0xC0, 0x84, 0x02, 0x82, 0x02}));
}

TEST(MergeTowerStreams, KeepsEveryStepAtItsTimeForRandomStreams) {
  std::mt19937 random(11);
  std::uniform_int_distribution<int> delay(0, 127);
  std::uniform_int_distribution<int> command(0, 15);
  for (int round = 0; round < 50; ++round) {
    Bytes left, right;
    for (int i = 0, n = 1 + round * 7; i < n; ++i) {
      left.push_back(static_cast<std::uint8_t>(0x80 + delay(random)));
      left.push_back(static_cast<std::uint8_t>(command(random)));
    }
    for (int i = 0, n = 1 + (round * 13) % 61; i < n; ++i) {
      right.push_back(static_cast<std::uint8_t>(0x80 + delay(random)));
      right.push_back(static_cast<std::uint8_t>(command(random)));
    }
    Bytes merged;
    MergeTowerStreams(left, right, merged);
    EXPECT_EQ(test::towerSteps(merged, 0), test::towerSteps(left, 0));
    EXPECT_EQ(test::towerSteps(merged, 1), test::towerSteps(right, 0));
    EXPECT_EQ(totalTicks(merged), std::max(totalTicks(left), totalTicks(right)));
    EXPECT_LE(merged.size(), left.size() + right.size());
  }
}

TEST(MergeTowerStreams, TakesTheTimesOfTheLongerStream) {
  CutMove left, right;
  ASSERT_TRUE(AppendStep(left, 1, 0, 3.2, 0.5));
  ASSERT_TRUE(AppendStep(right, 1, 0, 7.3, 0.5));
  const CutMove merged = MergeTowerStreams(left, right);
  EXPECT_EQ(merged.scheduledTime, right.scheduledTime);
  EXPECT_EQ(merged.exactTime, right.exactTime);
  EXPECT_NEAR(static_cast<double>(totalTicks(merged.entries)) * 0.5, merged.scheduledTime, 1e-12);
}

TEST(CutMove, HasStepsWhenAnyEntryStepsAnAxis) {
  CutMove move;
  EXPECT_FALSE(move.hasSteps());
  move.entries = {0xFF, 0x00, 0x90, 0x00};
  EXPECT_FALSE(move.hasSteps());
  move.entries.insert(move.entries.end(), {0x80, 0x20});  // YD negative
  EXPECT_TRUE(move.hasSteps());
  EXPECT_EQ(move.entryCount(), 3u);
}

}  // namespace
}  // namespace orva
