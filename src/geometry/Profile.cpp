#include "geometry/Profile.h"

#include <cmath>
#include <cstddef>
#include <limits>
#include <utility>

namespace orva {

namespace {

// Truncates towards zero to a multiple of 0.00001 (the figures are shown and
// compared with five decimals). Done in floating point so that absurd values
// cannot overflow an integer conversion.
double truncateTo5Decimals(double v) { return std::trunc(v * 100000.0) * 0.00001; }

// Puts a raw list into canonical order: trailing edge of the first surface,
// along it to the leading edge, then along the second surface to its trailing
// edge. Returns false when the list cannot be put into that order.
bool canonicalise(const PointList& raw, PointList& out) {
  out.clear();
  if (raw.empty()) return false;
  const Point2D first = raw.front();

  if (first.x == 0.0) {
    // Two surfaces, each starting at the leading edge (x = 0).
    std::size_t secondStart = 1;
    while (secondStart < raw.size() && raw[secondStart].x != 0.0) ++secondStart;
    std::size_t secondEnd = secondStart;
    if (secondStart < raw.size()) {
      secondEnd = secondStart + 1;
      while (secondEnd < raw.size() && raw[secondEnd].x != 0.0) ++secondEnd;
    }
    out.reserve(secondStart + (secondEnd - secondStart));
    for (std::size_t i = secondStart; i-- > 0;) out.push_back(raw[i]);
    // The second surface's first point duplicates the leading edge.
    for (std::size_t i = secondStart + 1; i < secondEnd; ++i) out.push_back(raw[i]);
    return true;
  }

  if (first.x > 1.0) {
    // A header point holding the point counts of the two surfaces, each
    // truncated towards zero. Checked in floating point before any integer
    // conversion; both counts must be at least 1 and the points must follow.
    const double available = static_cast<double>(raw.size() - 1);
    const bool headerFits = first.y >= 1.0 && first.x <= available && first.y <= available &&
                            std::trunc(first.x) + std::trunc(first.y) <= available;
    if (headerFits) {
      const auto nUpper = static_cast<std::size_t>(first.x);
      const auto nLower = static_cast<std::size_t>(first.y);
      out.reserve(nUpper + nLower - 1);
      for (std::size_t i = nUpper; i >= 1; --i) out.push_back(raw[i]);
      for (std::size_t i = nUpper + 2; i <= nUpper + nLower; ++i) out.push_back(raw[i]);
      return true;
    }
    // Counts that do not fit cannot be a header. A first x just above 1 is a
    // trailing edge a little past the chord (a tab, an extended section, a
    // rounding in the file): such a list is in canonical order already. Larger
    // values (coordinates in percent of chord, a broken header) are refused
    // rather than taken at a scale the program would cut 100 times too big.
    if (!(first.x < 2.0)) return false;
  }

  // Already canonical (first point at the trailing edge, 0 < x <= 1, or a
  // negative x taken as given).
  out = raw;
  return true;
}

// The point of smallest x; among equal x the one closest to y = 0; on a full
// tie the earlier one. Points with x >= 100 are never chosen. -1 when none.
int findLeadingEdge(const PointList& pts) {
  double bestX = 100.0;
  int best = -1;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const Point2D& p = pts[i];
    if (p.x < bestX) {
      bestX = p.x;
      best = static_cast<int>(i);
    } else if (best >= 0 && p.x == bestX &&
               std::fabs(p.y) < std::fabs(pts[static_cast<std::size_t>(best)].y)) {
      best = static_cast<int>(i);
    }
  }
  return best;
}

// y of the other surface at x, from the point `at` of that surface (whose x is
// at most x) and its neighbour `towardsTe` towards that surface's trailing
// edge. `towardsTe` is absent (npos) when `at` is already that trailing edge.
double oppositeAt(const PointList& pts, double x, std::size_t at, std::size_t towardsTe) {
  const Point2D& a = pts[at];
  if (a.x == x || towardsTe == static_cast<std::size_t>(-1)) return a.y;
  const Point2D& b = pts[towardsTe];
  if (a.x == b.x) return (a.y + b.y) / 2.0;
  return a.y + (b.y - a.y) * (x - a.x) / (b.x - a.x);
}

void fillOppositeY(const PointList& pts, std::size_t le, std::vector<double>& opp) {
  const std::size_t n = pts.size();
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  opp.assign(n, 0.0);
  if (n == 0) return;

  // Upper surface points (indices 1..le): walk the lower surface backwards from
  // its trailing edge; the walk resumes where it stopped for the previous point.
  std::size_t j = n - 1;
  for (std::size_t i = 1; i <= le && i < n; ++i) {
    while (j > le && pts[j].x > pts[i].x) --j;
    opp[i] = oppositeAt(pts, pts[i].x, j, j + 1 < n ? j + 1 : kNone);
  }

  // Lower surface points (indices n-2 down to le+1): walk the upper surface
  // forwards from its trailing edge.
  std::size_t k = 0;
  for (std::size_t i = n - 1; i-- > le + 1;) {
    while (k < le && pts[k].x > pts[i].x) ++k;
    opp[i] = oppositeAt(pts, pts[i].x, k, k > 0 ? k - 1 : kNone);
  }

  // The two trailing-edge ends are their own opposite.
  opp.front() = pts.front().y;
  opp.back() = pts.back().y;
}

// Slope of the chord line from the leading edge to the first canonical point.
double chordSlope(const PointList& pts, std::size_t le) {
  const Point2D& first = pts.front();
  const Point2D& lead = pts[le];
  if (first.x == lead.x) return 0.0;
  return (first.y - lead.y) / (first.x - lead.x);
}

}  // namespace

bool Profile::BuildFromPoints(const PointList& raw) {
  if (raw.empty() || raw.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    return false;
  }
  // Non-finite coordinates would poison every derived figure and outline.
  for (const Point2D& p : raw) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  }

  PointList pts;
  if (!canonicalise(raw, pts) || pts.empty()) return false;
  // A profile is stored as its canonical points and read back through this
  // function: a first point at x >= 2 would then be taken for a count header.
  // Such coordinates (percent of chord) are refused whatever layout they came in.
  if (!(pts.front().x < 2.0)) return false;
  const int le = findLeadingEdge(pts);
  if (le < 0) return false;

  points = std::move(pts);
  leadingEdgeIndex = le;
  ComputeFigures();
  return true;
}

void Profile::ComputeFigures() {
  if (points.empty() || leadingEdgeIndex < 0 || leadingEdgeIndex >= count()) return;
  const PointList& pts = points;
  const auto leIdx = static_cast<std::size_t>(leadingEdgeIndex);

  std::vector<double> opp;
  fillOppositeY(pts, leIdx, opp);

  double thick = 0.0;
  double thickX = 0.0;
  double lowY = pts.front().y;
  double highY = pts.front().y;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const double d = std::fabs(pts[i].y - opp[i]);
    if (d > thick) {
      thick = d;
      thickX = pts[i].x;
    }
    if (pts[i].y < lowY) lowY = pts[i].y;
    if (pts[i].y > highY) highY = pts[i].y;
  }

  const double k = chordSlope(pts, leIdx);
  const Point2D lead = pts[leIdx];
  double camber = 0.0;
  double camberX = 0.0;
  for (std::size_t i = 0; i < pts.size(); ++i) {
    const double c = (pts[i].y + opp[i]) / 2.0 - ((pts[i].x - lead.x) * k + lead.y);
    if (c > camber) {
      camber = c;
      camberX = pts[i].x;
    }
  }

  oppositeY = std::move(opp);
  maxThickness = truncateTo5Decimals(thick);
  maxThicknessX = thickX;
  maxCamber = truncateTo5Decimals(camber);
  maxCamberX = camberX;
  minY = lowY;
  maxY = highY;
}

PointList Profile::ExtractUpper() const {
  PointList out;
  if (points.empty() || leadingEdgeIndex < 0 || leadingEdgeIndex >= count()) return out;
  out.reserve(static_cast<std::size_t>(leadingEdgeIndex) + 1);
  for (int i = leadingEdgeIndex; i >= 0; --i) out.push_back(points[static_cast<std::size_t>(i)]);
  return out;
}

PointList Profile::ExtractLower() const {
  PointList out;
  if (points.empty() || leadingEdgeIndex < 0 || leadingEdgeIndex >= count()) return out;
  out.assign(points.begin() + leadingEdgeIndex, points.end());
  return out;
}

void Profile::SetThickness(double t) {
  // A flat profile has no thickness distribution to scale; a thickness that is
  // not a finite, non-negative number is not a shape.
  if (maxThickness == 0.0 || !std::isfinite(t) || t < 0.0) return;
  if (oppositeY.size() != points.size()) return;
  const double f = t / maxThickness;
  if (f == 1.0) return;
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double m = (points[i].y + oppositeY[i]) / 2.0;
    const double h = (points[i].y - oppositeY[i]) / 2.0 * f;
    points[i].y = m + h;
    oppositeY[i] = m - h;
  }
  maxThickness = t;
}

void Profile::SetCamber(double c) {
  if (!std::isfinite(c) || c < 0.0) return;
  if (points.empty() || oppositeY.size() != points.size()) return;
  if (leadingEdgeIndex < 0 || leadingEdgeIndex >= count()) return;
  // Changes below 0.001 of the chord are ignored.
  if (std::trunc(c * 1000.0) == std::trunc(maxCamber * 1000.0)) return;

  const bool hadCamber = maxCamber != 0.0;
  const double f = hadCamber ? c / maxCamber : 0.0;
  const auto leIdx = static_cast<std::size_t>(leadingEdgeIndex);
  const double k = chordSlope(points, leIdx);
  const Point2D lead = points[leIdx];
  for (std::size_t i = 0; i < points.size(); ++i) {
    const double camber =
        (points[i].y + oppositeY[i]) / 2.0 - ((points[i].x - lead.x) * k + lead.y);
    const double shift = camber * (1.0 - f);
    points[i].y -= shift;
    oppositeY[i] -= shift;
  }
  // With no positive camber to scale the mean line ends on the chord line
  // (f = 0), so the figure truthfully stays 0 instead of claiming c.
  if (hadCamber) maxCamber = c;
}

void Profile::MakeDefault() {
  // x, y upper, y lower; the first row is the leading edge shared by both surfaces.
  static constexpr double kTable[35][3] = {
      {0.0, 0.00047, 0.00047},
      {0.00107, 0.00616, -0.00453},
      {0.00428, 0.01254, -0.00898},
      {0.00961, 0.01943, -0.01296},
      {0.01704, 0.02652, -0.01651},
      {0.02653, 0.03352, -0.01959},
      {0.03806, 0.04027, -0.02214},
      {0.05156, 0.04677, -0.02414},
      {0.06699, 0.05313, -0.02567},
      {0.08427, 0.05939, -0.0268},
      {0.10332, 0.06552, -0.02763},
      {0.12408, 0.07134, -0.02816},
      {0.14645, 0.0766, -0.02839},
      {0.17033, 0.08113, -0.02832},
      {0.19562, 0.08483, -0.02795},
      {0.22221, 0.08774, -0.02734},
      {0.25, 0.08996, -0.02653},
      {0.27886, 0.09158, -0.02559},
      {0.30866, 0.09266, -0.02458},
      {0.33928, 0.09318, -0.02351},
      {0.37059, 0.09312, -0.02242},
      {0.43474, 0.09128, -0.02018},
      {0.5, 0.08719, -0.01792},
      {0.56526, 0.08105, -0.01566},
      {0.62941, 0.07319, -0.01345},
      {0.69134, 0.06405, -0.01131},
      {0.75, 0.05412, -0.00928},
      {0.80438, 0.04394, -0.00741},
      {0.85355, 0.034, -0.00575},
      {0.89668, 0.02475, -0.00429},
      {0.93301, 0.01656, -0.00302},
      {0.96194, 0.00972, -0.0019},
      {0.98296, 0.00448, -0.00094},
      {0.99572, 0.00115, -0.00025},
      {1.0, 0.0, 0.0},
  };
  constexpr std::size_t kRows = sizeof(kTable) / sizeof(kTable[0]);
  PointList raw;
  raw.reserve(2 * kRows - 1);
  for (std::size_t i = kRows; i-- > 0;) raw.push_back({kTable[i][0], kTable[i][1]});
  for (std::size_t i = 1; i < kRows; ++i) raw.push_back({kTable[i][0], kTable[i][2]});
  BuildFromPoints(raw);
  name = "NoName";
}

}  // namespace orva
