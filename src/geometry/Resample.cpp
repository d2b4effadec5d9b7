#include "geometry/Resample.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orva {

namespace {

// Upper bound on the points one resampled outline may hold. A real outline at
// the largest chord the program accepts (10000 mm) needs a few tens of
// thousands; the bound only stops a hostile project file (a wild point, an
// absurd chord) from asking for billions of points. The input points are
// always kept; intermediate points stop being added once the bound is reached.
constexpr std::size_t kMaxOutlinePoints = 1'000'000;

// Intermediate points the outline may still receive before it reaches the bound.
std::size_t IntermediateBudget(std::size_t inputCount) {
  return inputCount < kMaxOutlinePoints ? kMaxOutlinePoints - inputCount : 0;
}

// A segment's point count computed in floating point, truncated towards zero.
// Non-positive and non-finite values give 0; values beyond the bound are
// clamped before the conversion (which would otherwise be undefined).
std::size_t TruncatedCount(double m) {
  if (!(m >= 1.0)) return 0;  // also catches NaN
  if (m >= static_cast<double>(kMaxOutlinePoints)) return kMaxOutlinePoints;
  return static_cast<std::size_t>(m);
}

// Whole millimetres of a straight segment at chord c.
std::size_t StraightCount(const Point2D& from, const Point2D& to, double c) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  return TruncatedCount(std::sqrt(dx * dx + dy * dy) * c);
}

// Spline steps of a segment at chord c: about one every 0.7 mm.
std::size_t SplineCount(const Point2D& from, const Point2D& to, double c) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  const double length = std::sqrt(dx * dx + dy * dy);
  return TruncatedCount(length * c * 1.4285714285714286 + 0.3);
}

// Second derivatives of the two natural cubic splines X(t) and Y(t) through
// the points at unit parameter spacing (x and y side by side): M[0] = M[n-1] = 0
// and, for the inner points,
//   M[i-1]/6 + 2 M[i]/3 + M[i+1]/6 = v[i+1] - 2 v[i] + v[i-1].
// Solved by forward elimination and back substitution.
//
// No pivot can be zero: the first pivot is 2/3, the first factor (1/6)/(2/3)
// = 1/4, and if a factor is at most 1/2 the next pivot is at least
// 2/3 - 1/12 = 7/12 and the next factor at most (1/6)/(7/12) = 2/7. Every
// pivot therefore stays at or above 7/12, whatever the points are.
PointList SolveNaturalSplines(const PointList& v) {
  const std::size_t n = v.size();
  constexpr double kSide = 1.0 / 6.0;
  constexpr double kDiagonal = 2.0 / 3.0;
  PointList m(n);                 // right-hand sides, then the solution
  std::vector<double> factor(n);  // eliminated super-diagonal
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const double rx = v[i + 1].x - 2.0 * v[i].x + v[i - 1].x;
    const double ry = v[i + 1].y - 2.0 * v[i].y + v[i - 1].y;
    if (i == 1) {
      factor[i] = kSide / kDiagonal;
      m[i] = {rx / kDiagonal, ry / kDiagonal};
    } else {
      const double pivot = kDiagonal - kSide * factor[i - 1];
      factor[i] = kSide / pivot;
      m[i] = {(rx - kSide * m[i - 1].x) / pivot, (ry - kSide * m[i - 1].y) / pivot};
    }
  }
  for (std::size_t i = n - 2; i >= 2; --i) {
    m[i - 1].x -= factor[i - 1] * m[i].x;
    m[i - 1].y -= factor[i - 1] * m[i].y;
  }
  return m;
}

// The point of the splines (knots v, second derivatives m) at parameter t:
// k = t + 1 truncated, a = k - t, b = t - (k - 1),
// S(t) = a v[k-1] + b v[k] + ((a^3 - a) M[k-1] + (b^3 - b) M[k]) / 6.
// k is kept within 1 .. n-1 so that rounding in the caller's repeated
// additions can never index past the last knot.
Point2D EvaluateSplines(const PointList& v, const PointList& m, double t) {
  // Signed conversions: t stays within 0 .. n-1 (plus rounding), and they are
  // single instructions where the unsigned ones are not.
  const std::int64_t last = static_cast<std::int64_t>(v.size()) - 1;
  const double shifted = t + 1.0;
  std::int64_t k = shifted >= 1.0 ? static_cast<std::int64_t>(shifted) : 1;
  if (k > last) k = last;
  const double a = static_cast<double>(k) - t;
  const double b = t - static_cast<double>(k - 1);
  const double a3 = a * a * a - a;
  const double b3 = b * b * b - b;
  const auto i = static_cast<std::size_t>(k);
  const Point2D& v0 = v[i - 1];
  const Point2D& v1 = v[i];
  const Point2D& m0 = m[i - 1];
  const Point2D& m1 = m[i];
  return {a * v0.x + b * v1.x + (a3 * m0.x + b3 * m1.x) / 6.0,
          a * v0.y + b * v1.y + (a3 * m0.y + b3 * m1.y) / 6.0};
}

}  // namespace

PointList ResampleStraight(const PointList& outline, double chordMm) {
  const std::size_t n = outline.size();
  if (n < 2) return outline;
  const double c = chordMm;

  std::size_t budget = IntermediateBudget(n);
  std::size_t total = n;
  for (std::size_t i = 1; i < n; ++i) {
    if (outline[i].x - outline[i - 1].x == 0.0) continue;
    const std::size_t m = StraightCount(outline[i - 1], outline[i], c);
    if (m > 1) total += m - 1;
  }

  PointList result;
  result.reserve(total < kMaxOutlinePoints ? total : kMaxOutlinePoints);
  result.push_back(outline[0]);
  for (std::size_t i = 1; i < n; ++i) {
    const Point2D& from = outline[i - 1];
    const double dx = outline[i].x - from.x;
    const double dy = outline[i].y - from.y;
    // A vertical segment (dx exactly 0) gets no intermediate points.
    if (dx != 0.0) {
      const std::size_t m = StraightCount(from, outline[i], c);
      if (m > 1) {
        std::size_t steps = m - 1;
        if (steps > budget) steps = budget;
        budget -= steps;
        // The angle's cosine and sine are taken once per segment; each point
        // still computes s * cos a / c in that order.
        const double a = std::atan2(dy, dx);
        const double cosA = std::cos(a);
        const double sinA = std::sin(a);
        for (std::size_t s = 1; s <= steps; ++s) {
          const double sd = static_cast<double>(s);
          result.push_back({from.x + sd * cosA / c, from.y + sd * sinA / c});
        }
      }
    }
    result.push_back(outline[i]);
  }
  return result;
}

PointList ResampleSpline(const PointList& outline, double chordMm) {
  const std::size_t n = outline.size();
  if (n < 3) return outline;
  const double c = chordMm;

  const PointList m2 = SolveNaturalSplines(outline);

  // Spline points of each segment (m - 1), within the bound.
  std::vector<std::size_t> counts(n, 0);
  std::size_t budget = IntermediateBudget(n);
  std::size_t total = n;
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t m = SplineCount(outline[i - 1], outline[i], c);
    if (m < 2) continue;
    counts[i] = m;
    const std::size_t steps = m - 1 < budget ? m - 1 : budget;
    budget -= steps;
    total += steps;
  }

  // Written through a pointer into room for every candidate point, then cut
  // to the points kept.
  PointList result(total);
  Point2D* out = result.data();
  *out++ = outline[0];
  const double firstX = outline[0].x;
  std::size_t left = total - n;
  for (std::size_t i = 1; i < n; ++i) {
    const std::size_t m = counts[i];
    if (m > 1) {
      const std::size_t steps = m - 1 < left ? m - 1 : left;
      left -= steps;
      const double step = 1.0 / static_cast<double>(m);
      double t = static_cast<double>(i - 1);
      for (std::size_t s = 0; s < steps; ++s) {
        t += step;
        const Point2D q = EvaluateSplines(outline, m2, t);
        // Points at or ahead of the first point (an overshoot before the
        // leading edge) are dropped.
        if (q.x > firstX) *out++ = q;
      }
    }
    *out++ = outline[i];
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return result;
}

PointList MatchOutline(const PointList& tip, const PointList& root) {
  const std::size_t nR = root.size();
  const std::size_t nT = tip.size();
  // An empty root empties the tip. An empty tip has no shape to carry over:
  // it stays empty rather than being given points that no profile describes.
  if (nR == 0 || nT == 0) return {};

  const double r0 = root.front().x;
  const double r1 = root.back().x;
  const double t0 = tip.front().x;
  const double t1 = tip.back().x;
  // A root whose ends share one x has no relative positions along x; its
  // points are then spread over the tip's x range by index (a single point
  // maps to the tip's first x).
  // A root whose ends share one x has no relative positions along x; its
  // points are then spread over the tip's x range by index (a single point
  // maps to the tip's first x).
  PointList result(nR);
  if (r1 != r0) {
    for (std::size_t j = 0; j < nR; ++j)
      result[j].x = (root[j].x - r0) / (r1 - r0) * (t1 - t0) + t0;
  } else if (nR > 1) {
    const double lastIndex = static_cast<double>(nR - 1);
    for (std::size_t j = 0; j < nR; ++j) {
      result[j].x = static_cast<double>(j) / lastIndex * (t1 - t0) + t0;
    }
  } else {
    result[0].x = t0;
  }

  std::size_t k = 0;  // walks forward along the tip, never back
  for (Point2D& point : result) {
    const double x = point.x;
    while (k < nT && tip[k].x < x) ++k;
    if (k >= nT) {
      point.y = tip[nT - 1].y;
    } else if (tip[k].x != x && k > 0) {
      const Point2D& p = tip[k - 1];
      const Point2D& q = tip[k];
      // Equal x on both sides (the root's x stepped back after an exact
      // match on a vertical tip step) has no slope; the point walked from is used.
      point.y = q.x != p.x ? p.y + (x - p.x) * (q.y - p.y) / (q.x - p.x) : p.y;
    } else {
      point.y = tip[k].y;
      ++k;
    }
  }
  return result;
}

void Resample(Section& section, bool splines) {
  const double c = section.params.chord;
  if (splines) {
    section.cutUpper = ResampleSpline(section.cutUpper, c);
    section.cutLower = ResampleSpline(section.cutLower, c);
  } else {
    section.cutUpper = ResampleStraight(section.cutUpper, c);
    section.cutLower = ResampleStraight(section.cutLower, c);
  }
}

void MatchToRoot(Section& tip, const Section& root) {
  tip.cutUpper = MatchOutline(tip.cutUpper, root.cutUpper);
  tip.cutLower = MatchOutline(tip.cutLower, root.cutLower);
}

}  // namespace orva
