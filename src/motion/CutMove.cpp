#include "motion/CutMove.h"

#include <algorithm>
#include <cmath>

namespace orva {

bool CutMove::hasSteps() const {
  // A direction bit never comes without its step bit, so any non-zero command steps.
  for (std::size_t i = 1; i < entries.size(); i += 2) {
    if (entries[i] != 0) {
      return true;
    }
  }
  return false;
}

bool AppendStep(CutMove& move, int dirX, int dirY, double intervalMs, double tempoMs) {
  if (!(tempoMs > 0.0) || !std::isfinite(tempoMs) || !std::isfinite(intervalMs) ||
      intervalMs < 0.0 || intervalMs / tempoMs > 2147483648.0) {
    return false;
  }
  AppendStepEntry(move.entries, move.exactTime, move.scheduledTime, StepCommand(dirX, dirY),
                  intervalMs, tempoMs);
  return true;
}

namespace {

int ticksOf(std::uint8_t delay) { return delay >= kDelayMarker ? delay - kDelayMarker : 0; }

void emit(std::uint8_t*& out, int ticks, std::uint8_t command) {
  out[0] = static_cast<std::uint8_t>(kDelayMarker + ticks);
  out[1] = command;
  out += 2;
}

std::uint8_t high(std::uint8_t command) { return static_cast<std::uint8_t>(command << 4); }

}  // namespace

void MergeTowerStreams(const std::vector<std::uint8_t>& left,
                       const std::vector<std::uint8_t>& right, std::vector<std::uint8_t>& out) {
  MergeTowerStreams(left.data(), left.size(), right.data(), right.size(), out);
}

void MergeTowerStreams(const std::uint8_t* left, std::size_t leftBytes, const std::uint8_t* right,
                       std::size_t rightBytes, std::vector<std::uint8_t>& out) {
  out.resize((leftBytes & ~std::size_t{1}) + (rightBytes & ~std::size_t{1}));
  out.resize(MergeTowerStreams(left, leftBytes, right, rightBytes, out.data()));
}

std::size_t MergeTowerStreams(const std::uint8_t* left, std::size_t leftBytes,
                              const std::uint8_t* right, std::size_t rightBytes,
                              std::uint8_t* out) {
  // A merged entry is emitted each time either stream advances, so the result
  // never has more entries than the two streams together.
  const std::uint8_t* l = left;
  const std::uint8_t* const lEnd = l + (leftBytes & ~std::size_t{1});
  const std::uint8_t* r = right;
  const std::uint8_t* const rEnd = r + (rightBytes & ~std::size_t{1});
  std::uint8_t* o = out;

  int a = l < lEnd ? ticksOf(l[0]) : 0;
  int b = r < rEnd ? ticksOf(r[0]) : 0;
  while (l < lEnd && r < rEnd) {
    if (a == b) {
      emit(o, a, static_cast<std::uint8_t>(high(r[1]) | l[1]));
      l += 2;
      r += 2;
      if (l < lEnd) a = ticksOf(l[0]);
      if (r < rEnd) b = ticksOf(r[0]);
    } else if (a < b) {
      emit(o, a, l[1]);
      b -= a;
      l += 2;
      if (l < lEnd) a = ticksOf(l[0]);
    } else {
      emit(o, b, high(r[1]));
      a -= b;
      r += 2;
      if (r < rEnd) b = ticksOf(r[0]);
    }
  }
  // The stream left over: its current entry with the ticks still due, the
  // following ones unchanged.
  if (l < lEnd) {
    emit(o, a, l[1]);
    for (l += 2; l < lEnd; l += 2) emit(o, ticksOf(l[0]), l[1]);
  } else if (r < rEnd) {
    emit(o, b, high(r[1]));
    for (r += 2; r < rEnd; r += 2) emit(o, ticksOf(r[0]), high(r[1]));
  }
  return static_cast<std::size_t>(o - out);
}

CutMove MergeTowerStreams(const CutMove& left, const CutMove& right) {
  CutMove merged;
  merged.label = left.label;
  merged.duration = left.duration;
  merged.XG = left.XG;
  merged.YG = left.YG;
  merged.XD = left.XD;
  merged.YD = left.YD;
  MergeTowerStreams(left.entries, right.entries, merged.entries);
  const bool rightLonger = right.scheduledTime > left.scheduledTime;
  merged.scheduledTime = rightLonger ? right.scheduledTime : left.scheduledTime;
  merged.exactTime = rightLonger ? right.exactTime : left.exactTime;
  return merged;
}

}  // namespace orva
