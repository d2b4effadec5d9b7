#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "driver/SimulatedMachine.h"

namespace {

using orva::SimulatedMachine;
using orva::SimulatedMachineParams;

constexpr std::size_t kEntries = 1'000'000;

// A stream shaped like the planner's output: moves of a few hundred entries,
// each tower stepping its leading axis every entry and the other axis on a
// fraction of them (so single- and two-axis commands mix), both towers merged
// into one command byte, with now and then a dwell made of wait entries.
// Every move picks new directions, so axes reverse between moves.
std::vector<std::uint8_t> realisticStream(std::uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> stream;
  stream.reserve(2 * kEntries);
  auto push = [&](unsigned delay, unsigned command) {
    stream.push_back(static_cast<std::uint8_t>(0x80 + delay));
    stream.push_back(static_cast<std::uint8_t>(command));
  };
  while (stream.size() < 2 * kEntries) {
    if (rng() % 16 == 0) {
      for (unsigned i = 0, n = 1 + rng() % 8; i < n; ++i) push(127, 0);  // dwell
      continue;
    }
    const unsigned length = 50 + rng() % 600;
    const unsigned delay = 1 + rng() % 20;
    unsigned towers[2];
    unsigned ratio[2];
    for (int t = 0; t < 2; ++t) {
      const unsigned yStep = (rng() & 1U) ? 3U : 2U;  // + or -
      const unsigned xStep = (rng() & 1U) ? 12U : 8U;
      towers[t] = (rng() & 1U) ? (xStep << 4) | yStep : (yStep << 4) | xStep;  // lead|other
      ratio[t] = 1 + rng() % 5;  // the other axis steps on one entry in `ratio`
    }
    for (unsigned i = 0; i < length && stream.size() < 2 * kEntries; ++i) {
      unsigned command = 0;
      for (int t = 0; t < 2; ++t) {
        unsigned nibble = towers[t] >> 4;
        if (i % ratio[t] == 0) nibble |= towers[t] & 0xFU;
        command |= nibble << (4 * t);
      }
      push(delay, command);
    }
  }
  stream.resize(2 * kEntries);
  return stream;
}

void consume(benchmark::State& state, int backlash) {
  SimulatedMachineParams params;
  params.xBacklashSteps = backlash;
  params.yBacklashSteps = backlash;
  SimulatedMachine machine(params);
  machine.open();
  const std::vector<std::uint8_t> stream = realisticStream(42);
  for (auto _ : state) {
    const orva::StepsCompletion done = machine.sendSteps(stream.data(), stream.size());
    benchmark::DoNotOptimize(done.bytesReturned);
  }
  if (machine.counters().rejectedRequests != 0) state.SkipWithError("stream rejected");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(kEntries));
}

void BM_SimulatedMachineStream(benchmark::State& state) { consume(state, 0); }
void BM_SimulatedMachineStreamBacklash(benchmark::State& state) { consume(state, 4); }

BENCHMARK(BM_SimulatedMachineStream)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_SimulatedMachineStreamBacklash)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(10)
    ->ReportAggregatesOnly(true);

}  // namespace
