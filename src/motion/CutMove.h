#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orva {

// Which path of a move the cutting speed applies to.
enum class SpeedMode : int {
  Face1 = 0,     // the path of the face-1 point
  Face2 = 1,     // the path of the face-2 point
  FaceMax = 2,   // the longer face path
  TowerMax = 3,  // the longer tower path
  Rapid = 4,     // as fast as the motors allow
};

// Step stream layout: 2-byte entries. Byte 0 is the delay, 0x80 + n timer
// periods waited before the entry's steps; byte 1 the step and direction bits
// of the four axes (bits 0/1 YG, 2/3 XG, 4/5 YD, 6/7 XD; a direction bit only
// with its step bit: a negative step is 2, a positive step 3 in the pair).
// While one tower is generated alone its stream uses the low nibble (XG/YG).
inline constexpr std::uint8_t kDelayMarker = 0x80;
inline constexpr int kMaxDelayTicks = 127;
inline constexpr std::uint8_t kWaitDelay = 0xFF;  // with command 0: waits 127 periods

// The last step direction of each axis (-1 or +1; 0 while the axis has not
// moved yet): the side its backlash was taken up on.
struct AxisDirections {
  int XG = 0;
  int YG = 0;
  int XD = 0;
  int YD = 0;
  bool operator==(const AxisDirections&) const = default;
};

// One planned four-axis move: its label, duration, absolute tower targets and
// step stream.
//
// A duration of 0 means "as fast as the motors allow"; such a move can still
// carry steps (its stream then runs at the slower axis' minimum step period),
// so whether a move has anything to send is hasSteps(), not its duration.
struct CutMove {
  std::string label;
  double duration = 0.0;  // s; 0: as fast as the motors allow
  double XG = 0.0;        // absolute tower positions at the end of the move, mm
  double YG = 0.0;
  double XD = 0.0;
  double YD = 0.0;
  std::vector<std::uint8_t> entries;  // the stream; entries.size() is the used length in bytes
  double scheduledTime = 0.0;         // ms covered by the entries (a multiple of the timer period)
  double exactTime = 0.0;             // ms, the sum of the requested intervals
  // Planned with SpeedMode::Rapid: travel through the air, as fast as the
  // motors allow. Its duration is what this table's motors need; a controller
  // fed with G-code runs it at its own rapid rate instead.
  bool rapid = false;
  // The planner's axis directions once this move has run: restored with the
  // position when a cut stops after this move.
  AxisDirections directions;

  std::size_t entryCount() const { return entries.size() / 2; }
  bool hasSteps() const;  // true when any entry steps an axis
};

// A planned cut: moves in execution order. Whoever holds the list owns its moves.
using MoveList = std::vector<CutMove>;

// The low-nibble command of one tower: Y -1 -> 2, +1 -> 3, 0 -> 0; then X -1
// adds 8, +1 adds 12. Any other direction value counts as its sign.
constexpr std::uint8_t StepCommand(int dirX, int dirY) {
  std::uint8_t command = dirY < 0 ? 2 : (dirY > 0 ? 3 : 0);
  if (dirX < 0) {
    command |= 8;
  } else if (dirX > 0) {
    command |= 12;
  }
  return command;
}

// Appends one entry of `command` after `intervalMs`, keeping the exact time
// (sum of the requested intervals) and the scheduled time (whole timer
// periods written) apart, so that rounding never accumulates: the entry waits
// n = trunc((exact - scheduled + T/2) / T) periods, the periods still owed.
// Above 127 periods, wait entries (0xFF 0x00) of 127 periods come first.
// The caller guarantees tempoMs > 0 and a finite, non-negative interval.
inline void AppendStepEntry(std::vector<std::uint8_t>& bytes, double& exactMs, double& scheduledMs,
                            std::uint8_t command, double intervalMs, double tempoMs) {
  exactMs += intervalMs;
  double periods = std::trunc((exactMs - scheduledMs + tempoMs * 0.5) / tempoMs);
  if (periods < 0.0) periods = 0.0;  // cannot happen with non-negative intervals
  scheduledMs += periods * tempoMs;
  long long n = static_cast<long long>(periods);
  if (n > kMaxDelayTicks) {
    const long long waits = (n - 1) / kMaxDelayTicks;
    n -= waits * kMaxDelayTicks;
    for (long long w = 0; w < waits; ++w) {
      bytes.push_back(kWaitDelay);
      bytes.push_back(0);
    }
  }
  bytes.push_back(static_cast<std::uint8_t>(kDelayMarker + n));
  bytes.push_back(command);
}

// AppendStepEntry on a move's stream and times, with the step of dirX/dirY
// (-1, 0, +1). Returns false and writes nothing when the timer period is not
// positive or the interval is not a finite non-negative number of at most
// 2^31 timer periods.
bool AppendStep(CutMove& move, int dirX, int dirY, double intervalMs, double tempoMs);

// Merges two single-tower streams (low-nibble commands) by time into one move:
// the left tower's commands stay in the low nibble, the right tower's go to the
// high nibble. The result has the left move's label, duration and targets, and
// the times of the stream that lasts longer.
CutMove MergeTowerStreams(const CutMove& left, const CutMove& right);
// The same on raw streams; `out` (not one of the inputs) is replaced by the merged stream.
void MergeTowerStreams(const std::vector<std::uint8_t>& left,
                       const std::vector<std::uint8_t>& right, std::vector<std::uint8_t>& out);
void MergeTowerStreams(const std::uint8_t* left, std::size_t leftBytes, const std::uint8_t* right,
                       std::size_t rightBytes, std::vector<std::uint8_t>& out);
// The same into `out`, which has room for leftBytes + rightBytes bytes and is
// neither input; returns the bytes written.
std::size_t MergeTowerStreams(const std::uint8_t* left, std::size_t leftBytes,
                              const std::uint8_t* right, std::size_t rightBytes, std::uint8_t* out);

}  // namespace orva
