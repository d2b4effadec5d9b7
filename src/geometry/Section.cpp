#include "geometry/Section.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

namespace orva {

namespace {

// Slopes closer than this count as parallel.
constexpr double kParallelSlope = 0.001;
// A point closer than this to a crossing (in mm at the section's chord) is
// dropped so that the outline does not get a tiny step next to the crossing.
constexpr double kCrossingMinDistanceMm = 0.2;

double Distance(const Point2D& a, const Point2D& b) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  return std::sqrt(dx * dx + dy * dy);
}

// A line through two points; "vertical" when both share one x (this includes
// a degenerate line through one point twice).
struct Line {
  Point2D a;
  Point2D b;

  bool vertical() const { return a.x == b.x; }
  double slope() const { return (b.y - a.y) / (b.x - a.x); }
  double yAt(double x, double s) const { return a.y + (x - a.x) * s; }
};

bool Within(double v, double e1, double e2) {
  return e1 <= e2 ? (v >= e1 && v <= e2) : (v >= e2 && v <= e1);
}

// Where an upper and a lower segment of the shrunken outlines cross (ends
// included). Two vertical segments never cross. A vertical segment crosses the
// other one at its x when that x lies within the other segment's x range and
// the other line's height there lies within the vertical segment's height
// range: accepting it without these checks would let any vertical or
// zero-length segment (a repeated point, a blunt edge) anywhere in the searched
// half "cross" a segment far away and cut the outlines there. Otherwise the
// lines must not be nearly parallel and their intersection must lie within
// both segments' x ranges. Either way a crossing needs overlapping x ranges;
// the searches check that first (XRange) to skip the many pairs that cannot cross.
bool SegmentsCross(const Line& up, const Line& low, Point2D& out) {
  const bool vu = up.vertical();
  const bool vl = low.vertical();
  if (vu && vl) return false;
  if (vl || vu) {
    const Line& vert = vl ? low : up;
    const Line& other = vl ? up : low;
    const double x = vert.b.x;
    if (!Within(x, other.a.x, other.b.x)) return false;
    const double y = other.yAt(x, other.slope());
    if (!Within(y, vert.a.y, vert.b.y)) return false;
    out = {x, y};
    return true;
  }
  const double s1 = up.slope();
  const double s2 = low.slope();
  if (std::fabs(s1 - s2) < kParallelSlope) return false;
  const double x = (low.a.y - up.a.y + s1 * up.a.x - s2 * low.a.x) / (s1 - s2);
  if (!Within(x, up.a.x, up.b.x) || !Within(x, low.a.x, low.b.x)) return false;
  out = {x, up.yAt(x, s1)};
  return true;
}

// The x range a segment covers.
struct XRange {
  double lo;
  double hi;

  static XRange Of(const Point2D& a, const Point2D& b) {
    return a.x <= b.x ? XRange{a.x, b.x} : XRange{b.x, a.x};
  }
  bool overlaps(const XRange& o) const { return !(hi < o.lo || o.hi < lo); }
};

std::vector<XRange> SegmentRanges(const PointList& outline) {
  std::vector<XRange> ranges;
  if (outline.size() < 2) return ranges;
  ranges.reserve(outline.size() - 1);
  for (std::size_t k = 0; k + 1 < outline.size(); ++k) {
    ranges.push_back(XRange::Of(outline[k], outline[k + 1]));
  }
  return ranges;
}

// Offsets an open outline by d along the normal on one side of its direction
// of travel: the right side (rightSide) or the left. Every offset is computed
// from the unshifted points.
PointList OffsetOutline(const PointList& p, double d, bool rightSide) {
  const std::size_t n = p.size();
  if (n < 2) return p;

  // Offset of each segment k (p[k] to p[k+1]); zero for a zero-length segment.
  std::vector<Point2D> shift(n - 1);
  for (std::size_t k = 0; k + 1 < n; ++k) {
    const double dx = p[k + 1].x - p[k].x;
    const double dy = p[k + 1].y - p[k].y;
    const double len = std::sqrt(dx * dx + dy * dy);
    if (len == 0.0) continue;
    const double nx = rightSide ? dy / len : -dy / len;
    const double ny = rightSide ? -dx / len : dx / len;
    shift[k] = {d * nx, d * ny};
  }
  // The offset line of each segment, with its slope worked out once.
  struct OffsetLine {
    Line line;
    bool vertical;
    double slope;
  };
  std::vector<OffsetLine> lines(n - 1);
  for (std::size_t k = 0; k + 1 < n; ++k) {
    const Line l{{p[k].x + shift[k].x, p[k].y + shift[k].y},
                 {p[k + 1].x + shift[k].x, p[k + 1].y + shift[k].y}};
    lines[k] = {l, l.vertical(), l.vertical() ? 0.0 : l.slope()};
  }

  PointList out(n);
  out[0] = lines[0].line.a;
  out[n - 1] = lines[n - 2].line.b;
  for (std::size_t i = 1; i + 1 < n; ++i) {
    // Inner point: where the offset lines of its two segments meet; without an
    // intersection (both vertical, or nearly parallel) it moves along the
    // normal of the segment that ends at it.
    const OffsetLine& before = lines[i - 1];
    const OffsetLine& after = lines[i];
    Point2D& q = out[i];
    if (before.vertical && after.vertical) {
      q = before.line.b;
    } else if (before.vertical) {
      q = {before.line.a.x, after.line.yAt(before.line.a.x, after.slope)};
    } else if (after.vertical) {
      q = {after.line.a.x, before.line.yAt(after.line.a.x, before.slope)};
    } else if (std::fabs(before.slope - after.slope) < kParallelSlope) {
      q = before.line.b;
    } else {
      const double s1 = before.slope;
      const double s2 = after.slope;
      const Point2D& a1 = before.line.a;
      const Point2D& a2 = after.line.a;
      const double x = (a2.y - a1.y + s1 * a1.x - s2 * a2.x) / (s1 - s2);
      q = {x, before.line.yAt(x, s1)};
    }
  }
  return out;
}

}  // namespace

void Section::ExtractSurfaces(bool wingPanel) {
  const int count = profile.count();
  if (count == 0 || profile.leadingEdgeIndex < 0 || profile.leadingEdgeIndex >= count) {
    // No profile (or one whose leading edge is not among its points): nothing to extract.
    upper.clear();
    lower.clear();
  } else {
    upper = profile.ExtractUpper();
    lower = profile.ExtractLower();
  }

  if (!wingPanel) {
    // One closed outline: the lower surface from its trailing edge to the
    // leading edge, then the upper surface; repeated neighbours (the doubled
    // leading edge among them) are kept once.
    PointList closed;
    closed.reserve(upper.size() + lower.size());
    closed.assign(lower.rbegin(), lower.rend());
    closed.insert(closed.end(), upper.begin(), upper.end());
    closed.erase(std::unique(closed.begin(), closed.end()), closed.end());
    upper = std::move(closed);
    lower.clear();
  }

  cutUpper = upper;
  cutLower = lower;
}

void Section::ApplySkin(double d) {
  if (d == 0.0) return;

  // The upper outline moves to the right of its travel from the leading edge
  // (downwards for a segment running in +x), the lower one to the left.
  cutUpper = OffsetOutline(cutUpper, d, true);
  cutLower = OffsetOutline(cutLower, d, false);

  const double chordMm = params.chord;
  const std::size_t halfUpper = cutUpper.size() / 2;
  const std::size_t halfLower = cutLower.size() / 2;

  // Leading edge: the first crossing between the first halves. Both outlines
  // then start at the crossing point.
  std::vector<XRange> lowerRanges = SegmentRanges(cutLower);
  bool found = false;
  for (std::size_t i = 0; i < halfUpper && !found; ++i) {
    const Line up{cutUpper[i], cutUpper[i + 1]};
    const XRange upRange = XRange::Of(up.a, up.b);
    for (std::size_t j = 0; j < halfLower; ++j) {
      Point2D cross;
      if (!upRange.overlaps(lowerRanges[j]) ||
          !SegmentsCross(up, Line{cutLower[j], cutLower[j + 1]}, cross)) {
        continue;
      }
      // The outline becomes the crossing followed by its points from
      // index + 1 on, or from index + 2 on when point index + 1 lies too close.
      auto startAt = [&](PointList& outline, std::size_t index) {
        std::size_t next = index + 1;
        if (Distance(outline[next], cross) * chordMm < kCrossingMinDistanceMm) ++next;
        PointList trimmed{cross};
        if (next < outline.size()) {
          trimmed.insert(trimmed.end(), outline.begin() + static_cast<std::ptrdiff_t>(next),
                         outline.end());
        }
        outline = std::move(trimmed);
      };
      startAt(cutLower, j);
      startAt(cutUpper, i);
      found = true;
      break;
    }
  }

  // Trailing edge: crossings between the second halves (starting at the
  // halves of the counts before the leading-edge trim). Each crossing ends both
  // outlines there, and the search goes on within the shortened outlines.
  if (found) lowerRanges = SegmentRanges(cutLower);
  for (std::size_t i = halfUpper; i + 1 < cutUpper.size(); ++i) {
    const Line up{cutUpper[i], cutUpper[i + 1]};
    const XRange upRange = XRange::Of(up.a, up.b);
    for (std::size_t j = halfLower; j + 1 < cutLower.size(); ++j) {
      Point2D cross;
      if (!upRange.overlaps(lowerRanges[j]) ||
          !SegmentsCross(up, Line{cutLower[j], cutLower[j + 1]}, cross)) {
        continue;
      }
      // Ends the outline at the crossing, which replaces point index + 1, or
      // point index when that one lies too close to it.
      auto endAt = [&](PointList& outline, std::size_t index) {
        if (Distance(outline[index], cross) * chordMm < kCrossingMinDistanceMm) {
          outline[index] = cross;
          outline.resize(index + 1);
        } else {
          outline[index + 1] = cross;
          outline.resize(index + 2);
        }
      };
      endAt(cutUpper, i);
      endAt(cutLower, j);
      // The shortened upper outline may no longer hold segment i.
      if (i + 1 >= cutUpper.size()) break;
    }
  }
}

void Section::ApplyWashout() {
  const double a = params.washout * -0.017453292519444445;
  if (a == 0.0) return;
  // A rotation about the origin by a. Applied with the rotation matrix rather
  // than through polar coordinates (radius, atan2, angle + a, cos/sin) per
  // point: the same rotation to within rounding, one sine and cosine per
  // section instead of three transcendental calls per point.
  const double c = std::cos(a);
  const double s = std::sin(a);
  auto rotate = [c, s](PointList& list) {
    for (Point2D& p : list) p = {p.x * c - p.y * s, p.x * s + p.y * c};
  };
  rotate(cutUpper);
  rotate(upper);
  rotate(cutLower);
  rotate(lower);
}

void Section::CopyFrom(const Section& other) {
  if (&other == this) return;
  const double keptReserved = params.reserved;
  params = other.params;
  params.reserved = keptReserved;
  profile = other.profile;
  upper = other.upper;
  lower = other.lower;
  cutUpper = other.cutUpper;
  cutLower = other.cutLower;
}

double Section::MaxUpperY() const {
  double best = 0.0;
  for (const Point2D& p : upper) best = std::max(best, p.y);
  return best;
}

double Section::MinLowerY() const {
  double best = 10000.0;
  for (const Point2D& p : lower) best = std::min(best, p.y);
  return best;
}

double Section::OutlineHeightAt(bool upperOutline, double xMm) const {
  const PointList& outline = upperOutline ? cutUpper : cutLower;
  // An empty outline has no height; 0 puts it on the section's reference line.
  if (outline.empty()) return 0.0;
  const double c = params.chord;
  for (const Point2D& p : outline) {
    if (c * p.x >= xMm) return c * p.y;
  }
  return c * outline.back().y;
}

}  // namespace orva
