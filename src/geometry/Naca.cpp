#include "geometry/Naca.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace orva {

namespace {

// Half thickness of the NACA four-digit section at x for thickness ratio t. The
// last coefficient is -0.1036 instead of the original -0.1015 so that the
// trailing edge closes to a single point (0 thickness at x = 1): the hot wire
// then leaves the trailing edge along one line instead of cutting a blunt step.
double halfThickness(double t, double x) {
  const double yt = 5.0 * t *
                    (0.2969 * std::sqrt(x) - 0.1260 * x - 0.3516 * x * x + 0.2843 * x * x * x -
                     0.1036 * x * x * x * x);
  return std::max(0.0, yt);
}

struct MeanLine {
  double y;
  double slope;
};

// Mean line of maximum camber m at chord position p (both chord fractions).
MeanLine meanLine(double m, double p, double x) {
  if (m == 0.0) return {0.0, 0.0};
  if (x < p) {
    return {m / (p * p) * (2.0 * p * x - x * x), 2.0 * m / (p * p) * (p - x)};
  }
  const double q = (1.0 - p) * (1.0 - p);
  return {m / q * ((1.0 - 2.0 * p) + 2.0 * p * x - x * x), 2.0 * m / q * (p - x)};
}

}  // namespace

std::optional<Profile> MakeNaca4(std::string_view digits, int pointsPerSurface) {
  if (digits.size() != 4) return std::nullopt;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
  }
  if (pointsPerSurface < 3 || pointsPerSurface > 65535) return std::nullopt;

  const double m = (digits[0] - '0') / 100.0;
  const double p = (digits[1] - '0') / 10.0;
  const double t = ((digits[2] - '0') * 10 + (digits[3] - '0')) / 100.0;
  if (t == 0.0) return std::nullopt;
  // A cambered section needs the position of its maximum camber.
  if (m > 0.0 && p == 0.0) return std::nullopt;

  const auto n = static_cast<std::size_t>(pointsPerSurface);
  PointList upper;  // leading edge to trailing edge
  PointList lower;
  upper.reserve(n);
  lower.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    // Cosine spacing: stations crowd at both edges where the curvature is.
    double x = 0.0;
    if (i == n - 1) {
      x = 1.0;
    } else if (i > 0) {
      const double beta = std::numbers::pi * static_cast<double>(i) / static_cast<double>(n - 1);
      x = (1.0 - std::cos(beta)) / 2.0;
    }
    const double yt = halfThickness(t, x);
    const MeanLine c = meanLine(m, p, x);
    const double theta = std::atan(c.slope);
    // Thickness is laid off perpendicular to the mean line.
    const Point2D up{x - yt * std::sin(theta), c.y + yt * std::cos(theta)};
    const Point2D lo{x + yt * std::sin(theta), c.y - yt * std::cos(theta)};
    if (i == 0) {
      upper.push_back({0.0, 0.0});
      lower.push_back({0.0, 0.0});
      continue;
    }
    // On a cambered section the upper nose bulges slightly ahead of x = 0.
    // Those few stations are left out so that the leading edge (the point of
    // smallest x) stays at (0, 0) and the chord line is the section's own;
    // what is lost is a sliver of the nose (about 1e-4 chord for a 2412).
    if (up.x > 0.0) upper.push_back(up);
    lower.push_back(lo);
  }

  PointList raw;
  raw.reserve(upper.size() + lower.size() - 1);
  for (std::size_t i = upper.size(); i-- > 0;) raw.push_back(upper[i]);
  raw.insert(raw.end(), lower.begin() + 1, lower.end());

  Profile profile;
  if (!profile.BuildFromPoints(raw)) return std::nullopt;
  profile.name = "NACA " + std::string(digits);
  return profile;
}

}  // namespace orva
