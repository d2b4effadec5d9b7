#include "driver/SimulatedMachine.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <thread>

namespace orva {

namespace {

// Entries consumed between two flushes of the packed step counters: each of
// the four 16-bit lanes grows by at most 2 per entry.
constexpr std::size_t kBlockEntries = 32767;

// Real time covered by one chunk of a paced request.
constexpr double kPaceChunkMs = 20.0;

// For each command byte, the step of each axis as a 16-bit lane (pair q of
// the byte in lane q): 2 for a positive step, 0 for a negative one, 1 for
// none. Summing these over n entries and subtracting n per lane gives the
// signed step count of each axis.
constexpr std::array<std::uint64_t, 256> kLanes = [] {
  std::array<std::uint64_t, 256> table{};
  for (unsigned command = 0; command < 256; ++command) {
    std::uint64_t value = 0;
    for (unsigned pair = 0; pair < 4; ++pair) {
      const unsigned bits = (command >> (2 * pair)) & 3U;
      const std::uint64_t lane = bits == 3U ? 2 : (bits == 2U ? 0 : 1);
      value |= lane << (16 * pair);
    }
    table[command] = value;
  }
  return table;
}();

// Direction-bit positions of the four axes in a command byte.
constexpr unsigned kDirectionBits = 0x55;

std::int64_t laneOf(std::uint64_t lanes, unsigned pair) {
  return static_cast<std::int64_t>((lanes >> (16 * pair)) & 0xFFFFU);
}

// A real-time span in ms as a clock duration, kept within a range the clock
// can hold whatever the speed-up and tempo.
std::chrono::steady_clock::duration clockDuration(double ms) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double, std::milli>(std::clamp(ms, 0.0, 1e12)));
}

bool isXPair(unsigned pair) { return (pair & 1U) != 0; }  // pairs 1 (XG) and 3 (XD)

// Pair of the command byte for an axis in planner order: XG<->1, YG<->0, XD<->3, YD<->2.
unsigned pairOfAxis(unsigned axis) { return axis ^ 1U; }

void validate(const SimulatedMachineParams& p) {
  const auto positive = [](double v) { return std::isfinite(v) && v > 0.0; };
  if (!positive(p.tempoMs)) throw std::invalid_argument("timer period must be positive");
  if (!positive(p.xStepsPerMm) || !positive(p.yStepsPerMm))
    throw std::invalid_argument("steps per mm must be positive");
  if (p.xBacklashSteps < 0 || p.yBacklashSteps < 0)
    throw std::invalid_argument("backlash must not be negative");
  if (!std::isfinite(p.realTimeSpeedup) || p.realTimeSpeedup < 0.0)
    throw std::invalid_argument("speed-up must be 0 or positive");
  if (p.handHeatPercent < 0 || p.handHeatPercent > 100)
    throw std::invalid_argument("hand heat must lie in 0..100");
}

// Moves an axis `steps` steps one way through its play: the steps that take
// up the play are lost, the others move the carriage.
void runThroughPlay(std::int64_t& actual, std::int32_t& play, std::int32_t backlash, bool positive,
                    std::int64_t steps) {
  if (positive) {
    const std::int64_t lost = std::min<std::int64_t>(steps, backlash - play);
    play += static_cast<std::int32_t>(lost);
    actual += steps - lost;
  } else {
    const std::int64_t lost = std::min<std::int64_t>(steps, play);
    play -= static_cast<std::int32_t>(lost);
    actual -= steps - lost;
  }
}

}  // namespace

SimulatedMachine::SimulatedMachine(SimulatedMachineParams params) {
  validate(params);
  applyParamsLocked(params);
}

void SimulatedMachine::setParams(const SimulatedMachineParams& params) {
  validate(params);
  std::lock_guard lock(mutex_);
  applyParamsLocked(params);
}

SimulatedMachineParams SimulatedMachine::params() const {
  std::lock_guard lock(mutex_);
  return params_;
}

void SimulatedMachine::applyParamsLocked(const SimulatedMachineParams& params) {
  params_ = params;
  tracked_ = 0;
  for (unsigned pair = 0; pair < 4; ++pair) {
    PairState& s = pairs_[pair];
    const int backlash = isXPair(pair) ? params.xBacklashSteps : params.yBacklashSteps;
    const unsigned bit = 1U << (2 * pair);
    if (backlash != s.backlash) {
      s.backlash = backlash;
      s.play = 0;
      known_ &= ~bit;
    }
    if (backlash > 0) tracked_ |= bit;
  }
  while (trace_.size() > params_.traceCapacity) trace_.pop_front();
}

bool SimulatedMachine::open() {
  std::lock_guard lock(mutex_);
  if (params_.deviceAbsent) return false;
  open_ = true;
  ++counters_.opens;
  return true;
}

void SimulatedMachine::close() {
  std::lock_guard lock(mutex_);
  if (!open_) return;
  open_ = false;
  started_ = false;
  ++counters_.closes;
}

std::uint16_t SimulatedMachine::version() {
  std::lock_guard lock(mutex_);
  return params_.version;
}

void SimulatedMachine::init() {
  std::lock_guard lock(mutex_);
  ++counters_.inits;
  heat_ = 0;
  started_ = false;
}

void SimulatedMachine::start() {
  std::lock_guard lock(mutex_);
  ++counters_.starts;
  started_ = true;
}

void SimulatedMachine::stop() {
  std::lock_guard lock(mutex_);
  ++counters_.stops;
  started_ = false;
}

void SimulatedMachine::setHeat(int percent) {
  std::lock_guard lock(mutex_);
  ++counters_.heatSends;
  heat_ = std::clamp(percent, 0, 100);
}

void SimulatedMachine::readStatus(DriverStatus& status, bool /*wait*/) {
  std::lock_guard lock(mutex_);
  ++counters_.statusReads;
  const int heat = params_.heatSetByHand ? params_.handHeatPercent : heat_;
  status.heatOnCount = static_cast<std::uint16_t>(heat);
  status.heatOffCount = static_cast<std::uint16_t>(100 - heat);
  status.controlFlag = params_.heatSetByHand ? 0 : 1;
}

bool SimulatedMachine::readPosition(WirePosition& position) {
  std::lock_guard lock(mutex_);
  const MachineSnapshot snap = snapshotLocked();
  position = {snap[Axis::XG].actualMm, snap[Axis::YG].actualMm, snap[Axis::XD].actualMm,
              snap[Axis::YD].actualMm};
  return true;
}

std::uint32_t SimulatedMachine::interruptsPerSecond(double tempoMs) {
  if (!std::isfinite(tempoMs) || tempoMs <= 0.0) return 0;
  const double rate = std::round(1000.0 / tempoMs);
  if (rate >= static_cast<double>(std::numeric_limits<std::uint32_t>::max()))
    return std::numeric_limits<std::uint32_t>::max();
  return static_cast<std::uint32_t>(rate);
}

std::uint32_t SimulatedMachine::timerCountLocked() const {
  return interruptsPerSecond(params_.tempoMs);
}

void SimulatedMachine::armTimerCountLocked() {
  ++counters_.timerCounts;
  timerCounting_ = true;
  // The count covers one second of machine time: at once when instant.
  const double realMs = params_.realTimeSpeedup > 0.0 ? 1000.0 / params_.realTimeSpeedup : 0.0;
  timerDue_ = std::chrono::steady_clock::now() + clockDuration(realMs);
}

void SimulatedMachine::startTimerCount() {
  std::lock_guard lock(mutex_);
  armTimerCountLocked();
}

std::optional<std::uint32_t> SimulatedMachine::pollTimerCount() {
  std::lock_guard lock(mutex_);
  if (!timerCounting_ || std::chrono::steady_clock::now() < timerDue_) return std::nullopt;
  return timerCountLocked();
}

std::uint32_t SimulatedMachine::waitTimerCount() {
  std::chrono::steady_clock::time_point due;
  {
    std::lock_guard lock(mutex_);
    // Nothing counting: count a second now, as a fresh request would.
    if (!timerCounting_) armTimerCountLocked();
    due = timerDue_;
  }
  std::this_thread::sleep_until(due);
  std::lock_guard lock(mutex_);
  return timerCountLocked();
}

StepStreamCheck SimulatedMachine::checkStepStream(const std::uint8_t* entries, std::size_t length) {
  if (length == 0) return {};
  if (entries == nullptr) return {StepStreamError::NoData, 0};
  if (length % 2 != 0) return {StepStreamError::OddLength, length - 1};
  const std::size_t count = length / 2;
  std::size_t i = 0;
  if constexpr (std::endian::native == std::endian::little) {
    // Four entries per 64-bit word: delay bytes at the even bytes must carry
    // 0x80; a command byte fails when a direction bit lacks the step bit
    // above it. Clean groups are skipped; a faulty one is located below.
    constexpr std::uint64_t kDelayMarks = 0x0080008000800080ULL;
    constexpr std::uint64_t kCommandDirs = 0x5500550055005500ULL;
    constexpr std::size_t kWords = 32;
    while (count - i >= 4 * kWords) {
      std::uint64_t bad = 0;
      const std::uint8_t* group = entries + 2 * i;
      for (std::size_t w = 0; w < kWords; ++w) {
        std::uint64_t word;
        std::memcpy(&word, group + 8 * w, sizeof word);
        bad |= (~word & kDelayMarks) | (word & ~(word >> 1) & kCommandDirs);
      }
      if (bad != 0) break;
      i += 4 * kWords;
    }
  }
  for (; i < count; ++i) {
    const unsigned delay = entries[2 * i];
    const unsigned command = entries[2 * i + 1];
    if (delay < 0x80) return {StepStreamError::DelayBelow0x80, 2 * i};
    if ((command & ~(command >> 1) & kDirectionBits) != 0)
      return {StepStreamError::DirectionWithoutStep, 2 * i};
  }
  return {};
}

StepsCompletion SimulatedMachine::sendSteps(const std::uint8_t* entries, std::size_t length) {
  StepsCompletion result;
  const StepStreamCheck check = checkStepStream(entries, length);
  double tempoMs = 0.0;
  double speedup = 0.0;
  {
    std::lock_guard lock(mutex_);
    if (!open_) {
      result.completed = false;
      result.error = "The device is not open.";
      return result;
    }
    ++counters_.stepsRequests;
    if (!check.ok()) {
      // Nothing was output: the count returned is every byte of the request.
      ++counters_.rejectedRequests;
      lastRejection_ = check;
      result.bytesReturned = static_cast<std::uint32_t>(
          std::min<std::size_t>(length, std::numeric_limits<std::uint32_t>::max()));
      recordLocked(false);
      return result;
    }
    tempoMs = params_.tempoMs;
    speedup = params_.realTimeSpeedup;
    if (speedup <= 0.0) {
      consumeLocked(entries, length / 2);
      ++requestsRun_;
      recordLocked(true);
      return result;
    }
  }

  // Paced: wait for the machine time of each chunk, then output its steps, so
  // that what a live view shows is never ahead of the clock.
  const std::size_t count = length / 2;
  const auto chunkTicks = static_cast<std::uint64_t>(
      std::clamp(std::floor(kPaceChunkMs * speedup / tempoMs), 1.0, 1e15));
  const auto begin = std::chrono::steady_clock::now();
  std::uint64_t ticksDone = 0;
  std::size_t i = 0;
  while (i < count) {
    std::size_t j = i;
    std::uint64_t ticks = 0;
    while (j < count && ticks < chunkTicks) {
      ticks += entries[2 * j] & 0x7FU;
      ++j;
    }
    ticksDone += ticks;
    std::this_thread::sleep_until(
        begin + clockDuration(static_cast<double>(ticksDone) * tempoMs / speedup));
    std::lock_guard lock(mutex_);
    consumeLocked(entries + 2 * i, j - i);
    i = j;
  }
  std::lock_guard lock(mutex_);
  ++requestsRun_;
  recordLocked(true);
  return result;
}

void SimulatedMachine::consumeLocked(const std::uint8_t* entries, std::size_t count) {
  std::uint64_t ticks = 0;
  std::size_t done = 0;
  while (done < count) {
    const std::size_t n = std::min(kBlockEntries, count - done);
    const std::uint8_t* block = entries + 2 * done;
    std::uint64_t lanes = 0;
    if (tracked_ == 0) {
      // No backlash anywhere: the order of the steps does not matter.
      for (std::size_t k = 0; k < n; ++k) {
        ticks += block[2 * k] & 0x7FU;
        lanes += kLanes[block[2 * k + 1]];
      }
    } else {
      const unsigned tracked = tracked_;
      for (std::size_t k = 0; k < n; ++k) {
        const unsigned command = block[2 * k + 1];
        ticks += block[2 * k] & 0x7FU;
        // Axes with backlash that step against their last direction (or for
        // the first time): their one-way run ends here.
        const unsigned turning =
            (command >> 1) & tracked & ((command ^ direction_) | ~known_) & kDirectionBits;
        if (turning != 0) [[unlikely]]
          turnLocked(turning, command, lanes, k);
        lanes += kLanes[command];
      }
    }
    for (unsigned pair = 0; pair < 4; ++pair)
      pairs_[pair].commanded += laneOf(lanes, pair) - static_cast<std::int64_t>(n);
    done += n;
  }
  elapsedTicks_ += ticks;
  elapsedMs_ += static_cast<double>(ticks) * params_.tempoMs;
  entriesOutput_ += count;
  closeRunsLocked();
}

void SimulatedMachine::turnLocked(unsigned turning, unsigned command, std::uint64_t lanes,
                                  std::uint64_t inBlock) {
  for (unsigned pair = 0; pair < 4; ++pair) {
    const unsigned bit = 1U << (2 * pair);
    if ((turning & bit) == 0) continue;
    PairState& s = pairs_[pair];
    const std::int64_t now = s.commanded + laneOf(lanes, pair) - static_cast<std::int64_t>(inBlock);
    if ((known_ & bit) != 0) {
      const std::int64_t run = now - s.runStart;
      runThroughPlay(s.actual, s.play, s.backlash, run > 0, run > 0 ? run : -run);
    } else {
      // First move with the play unknown: the motor is taken to push already.
      s.play = (command & bit) != 0 ? s.backlash : 0;
    }
    s.runStart = now;
  }
  direction_ = (direction_ & ~turning) | (command & turning);
  known_ |= turning;
}

void SimulatedMachine::closeRunsLocked() {
  for (unsigned pair = 0; pair < 4; ++pair) {
    PairState& s = pairs_[pair];
    const std::int64_t run = s.commanded - s.runStart;
    if (run == 0) continue;
    if ((tracked_ & (1U << (2 * pair))) != 0)
      runThroughPlay(s.actual, s.play, s.backlash, run > 0, run > 0 ? run : -run);
    else
      s.actual += run;
    s.runStart = s.commanded;
  }
}

MachineSnapshot SimulatedMachine::snapshotLocked() const {
  MachineSnapshot snap;
  for (unsigned axis = 0; axis < 4; ++axis) {
    const unsigned pair = pairOfAxis(axis);
    const PairState& s = pairs_[pair];
    AxisPosition& out = snap.axes[axis];
    out.commandedSteps = s.commanded;
    out.actualSteps = s.actual;
    out.actualMm =
        static_cast<double>(s.actual) / (isXPair(pair) ? params_.xStepsPerMm : params_.yStepsPerMm);
  }
  snap.elapsedTicks = elapsedTicks_;
  snap.elapsedMs = elapsedMs_;
  snap.entriesOutput = entriesOutput_;
  snap.requestsRun = requestsRun_;
  return snap;
}

void SimulatedMachine::recordLocked(bool accepted) {
  ++requestNumber_;
  if (params_.traceCapacity == 0) return;
  if (trace_.size() >= params_.traceCapacity) trace_.pop_front();
  trace_.push_back({requestNumber_, accepted, snapshotLocked()});
}

MachineSnapshot SimulatedMachine::snapshot() const {
  std::lock_guard lock(mutex_);
  return snapshotLocked();
}

std::vector<MachineTraceRecord> SimulatedMachine::trace() const {
  std::lock_guard lock(mutex_);
  return {trace_.begin(), trace_.end()};
}

std::vector<MachineTraceRecord> SimulatedMachine::traceSince(std::uint64_t request) const {
  std::lock_guard lock(mutex_);
  const auto first = std::find_if(trace_.begin(), trace_.end(),
                                  [request](const auto& r) { return r.request > request; });
  return {first, trace_.end()};
}

void SimulatedMachine::clearTrace() {
  std::lock_guard lock(mutex_);
  trace_.clear();
}

SimulatedMachineCounters SimulatedMachine::counters() const {
  std::lock_guard lock(mutex_);
  return counters_;
}

StepStreamCheck SimulatedMachine::lastRejection() const {
  std::lock_guard lock(mutex_);
  return lastRejection_;
}

bool SimulatedMachine::isOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

bool SimulatedMachine::isStarted() const {
  std::lock_guard lock(mutex_);
  return started_;
}

int SimulatedMachine::heatPercent() const {
  std::lock_guard lock(mutex_);
  return heat_;
}

void SimulatedMachine::reset() {
  std::lock_guard lock(mutex_);
  for (PairState& s : pairs_) {
    s.commanded = s.actual = s.runStart = 0;
    s.play = 0;
  }
  known_ = 0;
  direction_ = 0;
  elapsedTicks_ = 0;
  elapsedMs_ = 0.0;
  entriesOutput_ = 0;
  requestsRun_ = 0;
  requestNumber_ = 0;
  trace_.clear();
  counters_ = {};
  lastRejection_ = {};
  heat_ = 0;
  started_ = false;
  timerCounting_ = false;
}

void SimulatedMachine::setPositionSteps(const std::array<std::int64_t, 4>& steps) {
  std::lock_guard lock(mutex_);
  for (unsigned axis = 0; axis < 4; ++axis) {
    PairState& s = pairs_[pairOfAxis(axis)];
    s.commanded = s.actual = s.runStart = steps[axis];
    s.play = 0;
  }
  known_ = 0;
}

}  // namespace orva
