#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "geometry/Point2D.h"
#include "motion/CutMove.h"

namespace orva::test {

// Numbers in the dumps below: six decimals, so that a dump compared with a
// reviewed file does not depend on the last bits of a computation.
inline std::string mm(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value == 0.0 ? 0.0 : value);
  return text;
}

inline std::string dumpPoint(Point2D p) { return mm(p.x) + " " + mm(p.y); }

// One line per point: "x y".
inline std::string dumpPoints(const PointList& points) {
  std::string text;
  for (const Point2D& p : points) text += "  " + dumpPoint(p) + "\n";
  return text;
}

// One line per move: its label, its duration and its tower targets.
inline std::string dumpMoves(const MoveList& moves) {
  std::string text;
  for (const CutMove& m : moves) {
    text += m.label + " | " + mm(m.duration) + " s | XG " + mm(m.XG) + " YG " + mm(m.YG) +
            " XD " + mm(m.XD) + " YD " + mm(m.YD) + "\n";
  }
  return text;
}

// A titled block of a dump holding several cases: "#### title" and the text.
inline std::string section(std::string_view title, std::string_view text) {
  return "#### " + std::string(title) + "\n" + std::string(text);
}

}  // namespace orva::test
