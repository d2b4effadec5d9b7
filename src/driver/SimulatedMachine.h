#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "driver/DriverDevice.h"

namespace orva {

// What the simulated machine needs to know about the table it stands for.
// Handed down by the program context as plain values; settable at any time
// between requests (the user can switch tables while the program runs).
struct SimulatedMachineParams {
  double tempoMs = 0.5;       // timer period; > 0
  double xStepsPerMm = 48.0;  // > 0
  double yStepsPerMm = 48.0;  // > 0
  int xBacklashSteps = 0;     // steps lost on a change of direction, >= 0
  int yBacklashSteps = 0;
  // 0: a request is consumed at once in virtual time. Above 0: the entries
  // are paced in real time, machine time running this many times faster than
  // the clock (1 = real speed), so that a live view can follow the wire.
  double realTimeSpeedup = 0.0;
  bool deviceAbsent = false;       // open() fails, as with no driver installed
  std::uint16_t version = 0x0102;  // reported driver version (major.minor bytes)
  // The interface's heat is set by hand: status control flag 0, and the heat
  // counts follow handHeatPercent instead of the program's heat setting.
  bool heatSetByHand = false;
  int handHeatPercent = 0;            // 0..100
  std::size_t traceCapacity = 16384;  // trace records kept (oldest dropped first)
};

// The four axes, in the planner's order.
enum class Axis : int { XG = 0, YG = 1, XD = 2, YD = 3 };

struct AxisPosition {
  std::int64_t commandedSteps = 0;  // signed sum of the steps sent to the motor
  std::int64_t actualSteps = 0;     // where the carriage is, backlash taken into account
  double actualMm = 0.0;            // actualSteps / steps per mm of the axis
};

// The machine at one moment; positions indexed by Axis.
struct MachineSnapshot {
  std::array<AxisPosition, 4> axes{};
  std::uint64_t elapsedTicks = 0;  // timer periods waited since reset
  double elapsedMs = 0.0;          // the same in ms (each period at the tempo of its time)
  std::uint64_t entriesOutput = 0;
  std::uint64_t requestsRun = 0;  // accepted Steps requests

  const AxisPosition& operator[](Axis axis) const { return axes[static_cast<int>(axis)]; }
};

// One Steps request as the machine saw it, with the state after it.
struct MachineTraceRecord {
  std::uint64_t request = 0;  // 1 for the first Steps request since reset
  bool accepted = false;
  MachineSnapshot after;
};

// Why a step stream was rejected.
enum class StepStreamError {
  None,
  OddLength,             // not a whole number of 2-byte entries
  NoData,                // a length without bytes
  DelayBelow0x80,        // byte 0 of an entry lacks its marker bit
  DirectionWithoutStep,  // byte 1 sets a direction bit without its step bit
};

struct StepStreamCheck {
  StepStreamError error = StepStreamError::None;
  std::size_t offset = 0;  // byte offset of the entry at fault
  bool ok() const { return error == StepStreamError::None; }
};

// Requests and their effects, counted since construction or reset().
struct SimulatedMachineCounters {
  std::uint64_t opens = 0;
  std::uint64_t closes = 0;
  std::uint64_t inits = 0;
  std::uint64_t starts = 0;
  std::uint64_t stops = 0;
  std::uint64_t heatSends = 0;
  std::uint64_t stepsRequests = 0;  // accepted and rejected
  std::uint64_t rejectedRequests = 0;
  std::uint64_t timerCounts = 0;  // started
  std::uint64_t statusReads = 0;
};

// The embedded default backend: a four-axis table executing step streams in
// virtual time. It counts every commanded step, models the backlash of each
// axis, keeps the elapsed machine time and reports heat as the program set it.
//
// Step stream: 2-byte entries. Byte 0 = 0x80 + n, n timer periods waited
// before the entry's steps; byte 1 holds a direction bit (1 = positive) and a
// step bit per axis: bits 0/1 YG, 2/3 XG, 4/5 YD, 6/7 XD. 0xFF 0x00 waits 127
// periods without steps. A stream is checked whole before anything moves: a
// malformed one (odd length, delay byte below 0x80, direction bit without its
// step bit) is rejected with its byte length as the count returned, leaving
// the machine exactly as it was, as a driver that checks up front would.
//
// Backlash: each axis has a play of N steps (xBacklashSteps/yBacklashSteps).
// After the motor reverses, its first N steps take up the play and move
// nothing; reversing again before the play is taken up loses only the steps
// made in between. Until an axis has moved, its side of the play is unknown
// and its first move loses nothing. A stream that adds N steps after every
// reversal therefore ends exactly where planned.
//
// Threads: every member function may be called from any thread; the state is
// guarded by one mutex. sendSteps() holds it while it consumes (per chunk of
// about 20 ms of real time when paced), so status reads, snapshots and trace
// reads from the window thread go on while a paced move runs.
class SimulatedMachine : public DriverDevice {
 public:
  explicit SimulatedMachine(SimulatedMachineParams params = {});

  // Throws std::invalid_argument for a non-positive or non-finite tempo or
  // steps per mm, a negative backlash, a negative or non-finite speed-up, or a
  // hand heat outside 0..100. An axis whose backlash changes has its side of
  // the play unknown again (its next move loses nothing).
  void setParams(const SimulatedMachineParams& params);
  SimulatedMachineParams params() const;

  // DriverDevice
  bool open() override;
  void close() override;
  std::uint16_t version() override;
  void init() override;  // heat back to 0, stopped
  void start() override;
  void stop() override;
  void setHeat(int percent) override;  // kept within 0..100
  StepsCompletion sendSteps(const std::uint8_t* entries, std::size_t length) override;
  void startTimerCount() override;
  // A count started stays readable until the next one is started. With a
  // speed-up the second lasts 1000 / speed-up ms of real time, else none.
  std::optional<std::uint32_t> pollTimerCount() override;
  // Waits for the count under way (starting one if none was), in real time.
  std::uint32_t waitTimerCount() override;
  // Heat on = the heat percent, heat off = 100 - percent; control flag 1, or 0
  // with the heat set by hand. The status is the same with or without wait.
  void readStatus(DriverStatus& status, bool wait) override;
  // Where the carriages are (backlash taken into account), from the step
  // counters and the steps per mm of the parameters.
  bool readPosition(WirePosition& position) override;

  // Checks a step stream without running it.
  static StepStreamCheck checkStepStream(const std::uint8_t* entries, std::size_t length);
  // Interrupts counted in one second: 1000 / tempo, rounded.
  static std::uint32_t interruptsPerSecond(double tempoMs);

  MachineSnapshot snapshot() const;
  std::vector<MachineTraceRecord> trace() const;
  // Records of requests numbered above `request` (for a view that follows).
  std::vector<MachineTraceRecord> traceSince(std::uint64_t request) const;
  void clearTrace();
  SimulatedMachineCounters counters() const;
  StepStreamCheck lastRejection() const;
  bool isOpen() const;
  bool isStarted() const;
  int heatPercent() const;

  // Positions, elapsed time, trace, counters, heat and the play of every axis
  // back to their initial state; the parameters and the open state stay.
  void reset();
  // Declares where the axes are (commanded and actual, in steps); their side
  // of the play becomes unknown.
  void setPositionSteps(const std::array<std::int64_t, 4>& steps);

 private:
  // Axis state in command-byte order: pair 0 YG, 1 XG, 2 YD, 3 XD.
  struct PairState {
    std::int64_t commanded = 0;
    std::int64_t actual = 0;
    std::int64_t runStart = 0;  // commanded count where the current one-way run began
    std::int32_t play = 0;      // position in the play, 0..backlash (0: pushing negative)
    std::int32_t backlash = 0;
  };

  void applyParamsLocked(const SimulatedMachineParams& params);
  void consumeLocked(const std::uint8_t* entries, std::size_t count);
  void closeRunsLocked();
  void turnLocked(unsigned turning, unsigned command, std::uint64_t lanes, std::uint64_t inBlock);
  MachineSnapshot snapshotLocked() const;
  void recordLocked(bool accepted);
  std::uint32_t timerCountLocked() const;
  void armTimerCountLocked();

  mutable std::mutex mutex_;
  SimulatedMachineParams params_;
  std::array<PairState, 4> pairs_{};
  unsigned tracked_ = 0;    // direction-bit mask of the axes with backlash
  unsigned known_ = 0;      // direction-bit mask of the axes whose side of the play is known
  unsigned direction_ = 0;  // last direction bits of the known axes
  std::uint64_t elapsedTicks_ = 0;
  double elapsedMs_ = 0.0;
  std::uint64_t entriesOutput_ = 0;
  std::uint64_t requestsRun_ = 0;
  std::uint64_t requestNumber_ = 0;
  std::deque<MachineTraceRecord> trace_;
  SimulatedMachineCounters counters_;
  StepStreamCheck lastRejection_;
  bool open_ = false;
  bool started_ = false;
  int heat_ = 0;
  bool timerCounting_ = false;
  std::chrono::steady_clock::time_point timerDue_{};
};

}  // namespace orva
