#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <thread>
#include <utility>
#include <vector>

#include "driver/SimulatedMachine.h"
#include "support/StepStreams.h"

namespace orva {
namespace {

using test::Bytes;
using Steps = std::array<std::int64_t, 4>;

// Command bits of one axis: +1 positive step, -1 negative step.
std::uint8_t stepBits(int pair, int direction) {
  const unsigned bits = direction > 0 ? 3U : 2U;
  return static_cast<std::uint8_t>(bits << (2 * pair));
}
constexpr int kYG = 0, kXG = 1, kYD = 2, kXD = 3;  // bit pairs of the command byte

// `count` entries stepping one axis in one direction, each after `delay` periods.
void appendRun(Bytes& stream, int pair, int direction, int count, int delay = 1) {
  for (int i = 0; i < count; ++i) {
    stream.push_back(static_cast<std::uint8_t>(0x80 + delay));
    stream.push_back(stepBits(pair, direction));
  }
}

bool run(SimulatedMachine& machine, const Bytes& stream) {
  const StepsCompletion done = machine.sendSteps(stream.data(), stream.size());
  return done.completed && done.bytesReturned == 0;
}

TEST(SimulatedMachine, HandBuiltStreamEndsAtHandComputedCountsTimeAndPositions) {
  SimulatedMachineParams params;
  params.tempoMs = 0.5;
  params.xStepsPerMm = 40.0;
  params.yStepsPerMm = 50.0;
  SimulatedMachine machine(params);
  ASSERT_TRUE(machine.open());
  const Bytes stream = {
      0x81, 0x0F,  // 1 period, YG+ XG+
      0x82, 0x20,  // 2 periods, YD-
      0x80, 0xC0,  // at once, XD+
      0xFF, 0x00,  // wait 127 periods
      0x83, 0x0A,  // 3 periods, YG- XG-
      0x85, 0xF3,  // 5 periods, YG+ YD+ XD+
  };
  ASSERT_TRUE(run(machine, stream));
  const MachineSnapshot s = machine.snapshot();
  EXPECT_EQ(test::commandedOf(s), (Steps{0, 1, 2, 0}));
  EXPECT_EQ(test::actualOf(s), (Steps{0, 1, 2, 0}));
  EXPECT_DOUBLE_EQ(s[Axis::XD].actualMm, 2.0 / 40.0);
  EXPECT_DOUBLE_EQ(s[Axis::YG].actualMm, 1.0 / 50.0);
  EXPECT_EQ(s.elapsedTicks, 1U + 2 + 0 + 127 + 3 + 5);
  EXPECT_DOUBLE_EQ(s.elapsedMs, 138 * 0.5);
  EXPECT_EQ(s.entriesOutput, 6U);

  const auto trace = machine.trace();
  ASSERT_EQ(trace.size(), 1U);
  EXPECT_TRUE(trace[0].accepted);
  EXPECT_EQ(trace[0].after[Axis::XD].commandedSteps, 2);
}

TEST(SimulatedMachine, LongStreamsCountPastTheInternalCounterWidth) {
  SimulatedMachine machine;
  ASSERT_TRUE(machine.open());
  Bytes stream;
  appendRun(stream, kXG, +1, 100000);
  appendRun(stream, kYD, -1, 70000, 2);
  ASSERT_TRUE(run(machine, stream));
  ASSERT_TRUE(run(machine, stream));
  const MachineSnapshot s = machine.snapshot();
  EXPECT_EQ(test::commandedOf(s), (Steps{200000, 0, 0, -140000}));
  EXPECT_EQ(test::actualOf(s), (Steps{200000, 0, 0, -140000}));
  EXPECT_EQ(s.elapsedTicks, 2U * (100000 + 2 * 70000));
}

// Per-step model of an axis with play: the carriage follows once the motor
// has crossed the play in the direction it moves.
struct ReferenceAxis {
  int backlash = 0;
  bool known = false;
  std::int64_t play = 0, actual = 0, commanded = 0;
  void step(int direction) {
    commanded += direction;
    if (!known) {
      play = direction > 0 ? backlash : 0;
      known = true;
    }
    play += direction;
    if (play > backlash) {
      play = backlash;
      ++actual;
    } else if (play < 0) {
      play = 0;
      --actual;
    }
  }
};

// Random streams with frequent reversals, some within the play, against the
// model: the first move loses nothing, each reversal loses the axis' own
// backlash (X and Y apart), an axis without backlash loses nothing.
TEST(SimulatedMachine, RandomStreamsMatchAPerStepBacklashModel) {
  for (const auto& [xBacklash, yBacklash] : {std::pair{7, 0}, std::pair{2, 5}}) {
    SCOPED_TRACE(testing::Message() << "backlash X " << xBacklash << ", Y " << yBacklash);
    SimulatedMachineParams params;
    params.xBacklashSteps = xBacklash;
    params.yBacklashSteps = yBacklash;
    SimulatedMachine machine(params);
    ASSERT_TRUE(machine.open());
    std::mt19937 rng(12345);
    ReferenceAxis ref[4];
    ref[kXG].backlash = ref[kXD].backlash = xBacklash;
    ref[kYG].backlash = ref[kYD].backlash = yBacklash;
    for (int request = 0; request < 5; ++request) {
      Bytes stream;
      int direction[4] = {1, 1, 1, 1};
      for (int i = 0; i < 40000; ++i) {  // crosses the 32767-entry counting blocks
        std::uint8_t command = 0;
        for (int pair = 0; pair < 4; ++pair) {
          if (rng() % 50 == 0) direction[pair] = -direction[pair];
          if (rng() % 3 == 0) {
            command |= stepBits(pair, direction[pair]);
            ref[pair].step(direction[pair]);
          }
        }
        stream.push_back(static_cast<std::uint8_t>(0x80 + rng() % 128));
        stream.push_back(command);
      }
      ASSERT_TRUE(run(machine, stream));
      const MachineSnapshot s = machine.snapshot();
      const Axis axisOfPair[4] = {Axis::YG, Axis::XG, Axis::YD, Axis::XD};
      for (int pair = 0; pair < 4; ++pair) {
        EXPECT_EQ(s[axisOfPair[pair]].commandedSteps, ref[pair].commanded) << pair;
        EXPECT_EQ(s[axisOfPair[pair]].actualSteps, ref[pair].actual) << pair;
      }
    }
  }
}

TEST(SimulatedMachine, MalformedStreamsAreRejectedWithoutMovingAnything) {
  SimulatedMachineParams params;
  params.xBacklashSteps = 2;
  SimulatedMachine machine(params);
  ASSERT_TRUE(machine.open());
  Bytes start;
  appendRun(start, kXG, +1, 5);
  ASSERT_TRUE(run(machine, start));
  const MachineSnapshot before = machine.snapshot();

  Bytes good;
  appendRun(good, kXG, -1, 300);
  appendRun(good, kYD, +1, 700);
  struct Case {
    Bytes stream;
    StepStreamError error;
    std::size_t offset;
  };
  std::vector<Case> cases;
  cases.push_back({Bytes(good.begin(), good.end() - 1), StepStreamError::OddLength, 1998});
  Bytes lowDelay = good;
  lowDelay[2 * 3] = 0x7F;
  cases.push_back({lowDelay, StepStreamError::DelayBelow0x80, 6});
  Bytes loneDirection = good;
  loneDirection[2 * 600 + 1] = 0x31;  // YD+ with a YG direction bit alone
  cases.push_back({loneDirection, StepStreamError::DirectionWithoutStep, 1200});
  Bytes lastEntry = good;
  lastEntry.back() = 0x40;  // XD direction without step, last entry
  cases.push_back({lastEntry, StepStreamError::DirectionWithoutStep, 1998});

  for (const Case& c : cases) {
    const StepsCompletion done = machine.sendSteps(c.stream.data(), c.stream.size());
    EXPECT_TRUE(done.completed);
    EXPECT_EQ(done.bytesReturned, c.stream.size());
    EXPECT_EQ(machine.lastRejection().error, c.error);
    EXPECT_EQ(machine.lastRejection().offset, c.offset);
    const MachineSnapshot after = machine.snapshot();
    EXPECT_EQ(test::commandedOf(after), test::commandedOf(before));
    EXPECT_EQ(test::actualOf(after), test::actualOf(before));
    EXPECT_EQ(after.elapsedTicks, before.elapsedTicks);
  }
  // The reversal that follows still loses the play: nothing moved in between.
  ASSERT_TRUE(run(machine, good));
  EXPECT_EQ(machine.snapshot()[Axis::XG].actualSteps, 5 - 298);
  EXPECT_EQ(machine.counters().rejectedRequests, 4U);
}

TEST(SimulatedMachine, EveryCommandByteIsJudgedByItsBitPairs) {
  for (unsigned command = 0; command < 256; ++command) {
    bool valid = true;
    for (int pair = 0; pair < 4; ++pair)
      if (((command >> (2 * pair)) & 3U) == 1U) valid = false;  // direction without step
    // Long enough for the word-wise check, and a short one for the byte-wise check.
    for (std::size_t entries : {std::size_t{1}, std::size_t{300}}) {
      Bytes stream;
      for (std::size_t i = 0; i < entries; ++i) {
        stream.push_back(0x80);
        stream.push_back(static_cast<std::uint8_t>(command));
      }
      EXPECT_EQ(SimulatedMachine::checkStepStream(stream.data(), stream.size()).ok(), valid)
          << command << " x" << entries;
    }
  }
}

// The version, the heat status, the timer count and an absent device as
// the driver sees them: its tests, the cut job's and the timer calibration
// dialog's; here what no driver can ask for.
TEST(SimulatedMachine, UnusableParametersAreRefusedAndAnAbsentDeviceRunsNothing) {
  SimulatedMachineParams params;
  params.deviceAbsent = true;
  SimulatedMachine absent(params);
  EXPECT_FALSE(absent.open());
  EXPECT_FALSE(absent.sendSteps(nullptr, 0).completed);

  SimulatedMachineParams bad;
  bad.tempoMs = 0.0;
  EXPECT_THROW(SimulatedMachine{bad}, std::invalid_argument);
  bad = {};
  bad.yBacklashSteps = -1;
  EXPECT_THROW(absent.setParams(bad), std::invalid_argument);
}

TEST(SimulatedMachine, PacedRequestTakesItsMachineTimeAndStaysReadable) {
  SimulatedMachineParams params;
  params.tempoMs = 0.5;
  params.realTimeSpeedup = 10.0;  // 600 ms of machine time in 60 ms
  SimulatedMachine machine(params);
  ASSERT_TRUE(machine.open());
  Bytes stream;
  appendRun(stream, kXG, +1, 100, 12);  // 1200 periods
  std::atomic<bool> done{false};
  std::thread worker([&] {
    EXPECT_TRUE(run(machine, stream));
    done = true;
  });
  const auto begin = std::chrono::steady_clock::now();
  std::int64_t last = 0;
  while (!done) {
    DriverStatus status;
    machine.readStatus(status, false);
    const std::int64_t now = machine.snapshot()[Axis::XG].commandedSteps;
    EXPECT_GE(now, last);  // progress is never undone
    last = now;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  worker.join();
  EXPECT_GE(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(55));
  EXPECT_EQ(machine.snapshot()[Axis::XG].commandedSteps, 100);
  EXPECT_DOUBLE_EQ(machine.snapshot().elapsedMs, 600.0);
}

}  // namespace
}  // namespace orva
