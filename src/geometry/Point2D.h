#pragma once

#include <vector>

namespace orva {

// A point of a profile or section, in chord fractions (x along the chord, y up).
struct Point2D {
  double x = 0.0;
  double y = 0.0;

  friend bool operator==(const Point2D&, const Point2D&) = default;
};

using PointList = std::vector<Point2D>;

// Pi as the program uses it for every angle conversion.
inline constexpr double kPi = 3.1415926535;

}  // namespace orva
