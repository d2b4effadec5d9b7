#pragma once

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

#include "driver/DriverDevice.h"
#include "driver/SimulatedMachine.h"
#include "motion/CutMove.h"
#include "motion/MovePlanner.h"

namespace orva::test {

using Bytes = std::vector<std::uint8_t>;
using Mm4 = std::array<double, 4>;  // XG, YG, XD, YD

inline Mm4 mm4(const MovePlanner::Position& p) { return {p.XG, p.YG, p.XD, p.YD}; }
inline Mm4 mm4(const WirePosition& p) { return {p.XG, p.YG, p.XD, p.YD}; }
inline Mm4 targetsOf(const CutMove& m) { return {m.XG, m.YG, m.XD, m.YD}; }

// Commanded and actual motor steps of a machine snapshot, XG, YG, XD, YD.
inline std::array<std::int64_t, 4> commandedOf(const MachineSnapshot& s) {
  return {s[Axis::XG].commandedSteps, s[Axis::YG].commandedSteps, s[Axis::XD].commandedSteps,
          s[Axis::YD].commandedSteps};
}
inline std::array<std::int64_t, 4> actualOf(const MachineSnapshot& s) {
  return {s[Axis::XG].actualSteps, s[Axis::YG].actualSteps, s[Axis::XD].actualSteps,
          s[Axis::YD].actualSteps};
}

// Heat on and off counts and the control flag of a status read.
inline std::array<int, 3> statusOf(const DriverStatus& s) {
  return {s.heatOnCount, s.heatOffCount, s.controlFlag};
}

// Timer periods covered by a stream of (delay, command) entries.
inline std::int64_t totalTicks(const Bytes& bytes) {
  std::int64_t ticks = 0;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) ticks += bytes[i] - 0x80;
  return ticks;
}

// Signed steps per axis (XG, YG, XD, YD) of a stream.
inline std::array<std::int64_t, 4> stepsOf(const Bytes& bytes) {
  std::array<std::int64_t, 4> steps{};
  // Pairs of (step bit, direction bit) per axis, in XG, YG, XD, YD order.
  const std::array<std::pair<int, int>, 4> bits{{{8, 4}, {2, 1}, {128, 64}, {32, 16}}};
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    for (int axis = 0; axis < 4; ++axis) {
      if (bytes[i + 1] & bits[axis].first)
        steps[axis] += (bytes[i + 1] & bits[axis].second) ? 1 : -1;
    }
  }
  return steps;
}

// Entries as (delay periods, command) pairs.
inline std::vector<std::pair<int, int>> entriesOf(const Bytes& bytes) {
  std::vector<std::pair<int, int>> out;
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
    out.emplace_back(bytes[i] - 0x80, bytes[i + 1]);
  return out;
}

// The steps of one tower nibble (0: left, XG/YG; 1: right, XD/YD), each as
// (periods since that tower's previous step, 4-bit command): what the tower's
// own stream held before the merge.
inline std::vector<std::pair<int, int>> towerSteps(const Bytes& bytes, int nibble) {
  std::vector<std::pair<int, int>> out;
  int since = 0;
  for (const auto& [delay, command] : entriesOf(bytes)) {
    since += delay;
    const int own = (command >> (4 * nibble)) & 0x0F;
    if (own != 0) {
      out.emplace_back(since, own);
      since = 0;
    }
  }
  return out;
}

}  // namespace orva::test
