// Arbitrary bytes as a step stream into the simulated machine. The first two
// bytes choose the X and Y backlash; the rest is sent twice as Steps requests.
//
// Invariants (checked against a plain per-step model of the machine):
// - a stream is rejected exactly when it is malformed, with a non-zero count,
//   and a rejected stream changes no position and no time;
// - an accepted stream changes each commanded count by the signed number of
//   its step bits, the elapsed time by the sum of its delays, and each actual
//   position as the per-step backlash model says.
#include <cstddef>
#include <cstdint>

#include "driver/SimulatedMachine.h"

namespace {

void check(bool condition) {
  if (!condition) __builtin_trap();
}

struct ModelAxis {
  std::int64_t backlash = 0, play = 0, commanded = 0, actual = 0;
  bool known = false;
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  orva::SimulatedMachineParams params;
  params.xBacklashSteps = data[0] % 16;
  params.yBacklashSteps = data[1] % 16;
  params.traceCapacity = 4;
  const std::uint8_t* stream = data + 2;
  const std::size_t length = size - 2;

  bool wellFormed = length % 2 == 0;
  std::uint64_t ticks = 0;
  for (std::size_t i = 0; wellFormed && i + 1 < length; i += 2) {
    const unsigned delay = stream[i];
    const unsigned command = stream[i + 1];
    if (delay < 0x80) wellFormed = false;
    for (unsigned pair = 0; pair < 4; ++pair)
      if (((command >> (2 * pair)) & 3U) == 1U) wellFormed = false;
    ticks += delay - 0x80;
  }

  orva::SimulatedMachine machine(params);
  check(machine.open());
  // Command-byte pairs: 0 YG, 1 XG, 2 YD, 3 XD; snapshot axes: XG, YG, XD, YD.
  constexpr int kAxisOfPair[4] = {1, 0, 3, 2};
  ModelAxis model[4];
  for (unsigned pair = 0; pair < 4; ++pair)
    model[pair].backlash = (pair & 1U) ? params.xBacklashSteps : params.yBacklashSteps;

  for (int round = 0; round < 2; ++round) {
    const orva::MachineSnapshot before = machine.snapshot();
    const orva::StepsCompletion done = machine.sendSteps(stream, length);
    const orva::MachineSnapshot after = machine.snapshot();
    check(done.completed);
    if (!wellFormed) {
      check(done.bytesReturned != 0);
      check(after.elapsedTicks == before.elapsedTicks);
      for (int axis = 0; axis < 4; ++axis) {
        check(after.axes[axis].commandedSteps == before.axes[axis].commandedSteps);
        check(after.axes[axis].actualSteps == before.axes[axis].actualSteps);
      }
      return 0;
    }
    check(done.bytesReturned == 0);
    for (std::size_t i = 1; i < length; i += 2) {
      for (unsigned pair = 0; pair < 4; ++pair) {
        const unsigned bits = (stream[i] >> (2 * pair)) & 3U;
        if (bits == 3U) model[pair].step(+1);
        if (bits == 2U) model[pair].step(-1);
      }
    }
    check(after.elapsedTicks - before.elapsedTicks == ticks);
    for (unsigned pair = 0; pair < 4; ++pair) {
      const orva::AxisPosition& axis = after.axes[kAxisOfPair[pair]];
      check(axis.commandedSteps == model[pair].commanded);
      check(axis.actualSteps == model[pair].actual);
    }
  }
  return 0;
}
