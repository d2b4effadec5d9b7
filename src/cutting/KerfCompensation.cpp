#include "cutting/KerfCompensation.h"

#include <cmath>
#include <cstddef>
#include <utility>
#include <vector>

#include "config/FoamDatabase.h"

namespace orva {

namespace {

// Slopes closer than this count as parallel.
constexpr double kParallelSlope = 0.001;
// A point closer than this to a leading-edge crossing is dropped, so the
// outline gets no tiny step next to the crossing.
constexpr double kCrossingMinDistanceMm = 0.2;

double Distance(Point2D a, Point2D b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The outward normal of the segment a -> b (zero for a zero-length segment).
Point2D Normal(Point2D a, Point2D b, bool upperSurface) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double len = std::sqrt(dx * dx + dy * dy);
  if (len == 0.0) return {};
  return upperSurface ? Point2D{dy / len, -dx / len} : Point2D{-dy / len, dx / len};
}

Point2D Moved(Point2D p, Point2D normal, double o) {
  return {p.x + o * normal.x, p.y + o * normal.y};
}

// Where two segments' lines cross, when neither is vertical, their slopes
// differ by at least kParallelSlope and the crossing lies within the X range of
// both segments (ends included).
bool SegmentsCross(Point2D a1, Point2D a2, Point2D b1, Point2D b2, Point2D& out) {
  if (a1.x == a2.x || b1.x == b2.x) return false;
  const double s1 = (a2.y - a1.y) / (a2.x - a1.x);
  const double s2 = (b2.y - b1.y) / (b2.x - b1.x);
  if (!(std::fabs(s1 - s2) >= kParallelSlope)) return false;
  const double x = (b1.y - a1.y + s1 * a1.x - s2 * b1.x) / (s1 - s2);
  auto within = [x](double e1, double e2) {
    return e1 <= e2 ? (x >= e1 && x <= e2) : (x >= e2 && x <= e1);
  };
  if (!within(a1.x, a2.x) || !within(b1.x, b2.x)) return false;
  out = {x, a1.y + (x - a1.x) * s1};
  return true;
}

// The list starting at `cross`, followed by its points after index `index`
// (the point right after it dropped when it lies too close to the crossing).
void StartAt(PointList& list, std::size_t index, Point2D cross) {
  std::size_t next = index + 1;
  if (next < list.size() && Distance(list[next], cross) < kCrossingMinDistanceMm) ++next;
  PointList trimmed{cross};
  if (next < list.size()) {
    trimmed.insert(trimmed.end(), list.begin() + static_cast<std::ptrdiff_t>(next), list.end());
  }
  list = std::move(trimmed);
}

}  // namespace

SideKerfs KerfForChords(const FoamDatabase& foams, double speed, double rootChord,
                        double tipChord) {
  const double ratio = rootChord > 0.0 ? tipChord / rootChord : 1.0;
  return {foams.KerfOffset(speed, 1.0),
          foams.KerfOffset(speed, std::isfinite(ratio) ? ratio : 1.0)};
}

KerfSide KerfCorrection(double kerf, double skin, bool profileCompensation,
                        bool referenceLowerSurface) {
  KerfSide side;
  side.kerf = kerf;
  if (referenceLowerSurface) side.lift = profileCompensation ? 2.0 * kerf : kerf;
  side.offset = profileCompensation ? kerf - skin : -skin;
  return side;
}

PointList OffsetCutOutline(const PointList& p, double o, bool upperSurface) {
  const std::size_t n = p.size();
  if (n < 2) return p;

  std::vector<Point2D> normals(n - 1);
  for (std::size_t k = 0; k + 1 < n; ++k) normals[k] = Normal(p[k], p[k + 1], upperSurface);

  PointList out(n);
  out[0] = Moved(p[0], normals[0], o);
  out[n - 1] = Moved(p[n - 1], normals[n - 2], o);
  for (std::size_t i = 1; i + 1 < n; ++i) {
    const Point2D nb = normals[i - 1];  // segment arriving at the point
    const Point2D na = normals[i];      // segment leaving it
    const bool zeroBefore = nb.x == 0.0 && nb.y == 0.0;
    const bool zeroAfter = na.x == 0.0 && na.y == 0.0;
    if (zeroBefore || zeroAfter) {
      // A repeated point: its zero-length segment has no direction, so the
      // point follows the one real segment (or stays when there is none).
      out[i] = Moved(p[i], zeroBefore ? na : nb, o);
      continue;
    }
    // The two moved lines, each through a moved end of its segment.
    const Point2D b1 = Moved(p[i - 1], nb, o);
    const Point2D b2 = Moved(p[i], nb, o);
    const Point2D a1 = Moved(p[i], na, o);
    const Point2D a2 = Moved(p[i + 1], na, o);
    const bool verticalBefore = b1.x == b2.x;
    const bool verticalAfter = a1.x == a2.x;
    if (verticalBefore && verticalAfter) {
      out[i] = b2;
    } else if (verticalBefore) {
      const double s = (a2.y - a1.y) / (a2.x - a1.x);
      out[i] = {b2.x, a1.y + (b2.x - a1.x) * s};
    } else if (verticalAfter) {
      const double s = (b2.y - b1.y) / (b2.x - b1.x);
      out[i] = {a1.x, b1.y + (a1.x - b1.x) * s};
    } else {
      const double s1 = (b2.y - b1.y) / (b2.x - b1.x);
      const double s2 = (a2.y - a1.y) / (a2.x - a1.x);
      if (std::fabs(s1 - s2) < kParallelSlope) {
        out[i] = b2;
      } else {
        const double x = (a1.y - b1.y + s1 * b1.x - s2 * a1.x) / (s1 - s2);
        out[i] = {x, b1.y + (x - b1.x) * s1};
      }
    }
  }
  return out;
}

void JoinLeadingEdge(PointList& upper, PointList& lower, double o, double kerf) {
  if (upper.size() < 2 || lower.size() < 2) return;

  if (o >= 0.0) {
    const Point2D u0 = upper[0], u1 = upper[1];
    const Point2D l0 = lower[0], l1 = lower[1];
    if (u0.x == u1.x || l0.x == l1.x) return;
    const double s1 = (u1.y - u0.y) / (u1.x - u0.x);
    const double s2 = (l1.y - l0.y) / (l1.x - l0.x);
    // Nearly parallel lines would meet far from the leading edge, if at all.
    if (!(std::fabs(s1 - s2) >= kParallelSlope)) return;
    const double x = (l0.y - u0.y + s1 * u0.x - s2 * l0.x) / (s1 - s2);
    const Point2D join{x, u0.y + (x - u0.x) * s1};
    upper[0] = join;
    lower[0] = join;
    return;
  }

  // Inwards: first the crossing towards the trailing edge, from the middle on.
  bool found = false;
  for (std::size_t i = upper.size() / 2; i + 1 < upper.size() && !found; ++i) {
    for (std::size_t j = lower.size() / 2; j + 1 < lower.size(); ++j) {
      Point2D cross;
      if (!SegmentsCross(upper[i], upper[i + 1], lower[j], lower[j + 1], cross)) continue;
      upper.resize(i + 1);
      lower.resize(j + 1);
      // The wire needs room between the surfaces' ends.
      while (upper.size() > 1 && lower.size() > 1 && upper.back().y - lower.back().y < kerf) {
        upper.pop_back();
        lower.pop_back();
      }
      found = true;
      break;
    }
  }

  // Then the crossing near the leading edge, over the first halves.
  const std::size_t halfUpper = upper.size() / 2;
  const std::size_t halfLower = lower.size() / 2;
  for (std::size_t i = 0; i < halfUpper && i + 1 < upper.size(); ++i) {
    for (std::size_t j = 0; j < halfLower && j + 1 < lower.size(); ++j) {
      Point2D cross;
      if (!SegmentsCross(upper[i], upper[i + 1], lower[j], lower[j + 1], cross)) continue;
      StartAt(upper, i, cross);
      StartAt(lower, j, cross);
      return;
    }
  }
}

PointList CorrespondToRoot(const PointList& tip, const PointList& root) {
  const std::size_t nR = root.size();
  const std::size_t nT = tip.size();
  if (nR == 0 || nT == 0) return tip.empty() ? PointList{} : PointList(nR, tip.front());

  const double r0 = root.front().x;
  const double rLast = root.back().x;
  const double t0 = tip.front().x;
  const double tLast = tip.back().x;
  const double span = r0 - rLast;

  PointList out(nR);
  std::size_t k = 0;
  for (std::size_t i = 0; i < nR; ++i) {
    // Relative position from the trailing edge (0) to the leading edge (1).
    double a;
    if (span != 0.0 && std::isfinite(span)) {
      a = (root[i].x - rLast) / span;
    } else {
      // No X range: the root's points are spread by their index instead.
      a = nR > 1 ? static_cast<double>(nR - 1 - i) / static_cast<double>(nR - 1) : 1.0;
    }
    const double x = a * (t0 - tLast) + tLast;
    // X falls from the leading edge to the trailing edge.
    while (k < nT && tip[k].x > x) ++k;
    double y;
    if (k >= nT) {
      y = tip.back().y;
    } else if (tip[k].x == x || k == 0) {
      y = tip[k].y;
    } else {
      const Point2D p = tip[k - 1];
      const Point2D q = tip[k];
      y = p.y + (x - p.x) * (q.y - p.y) / (q.x - p.x);
    }
    out[i] = {x, y};
  }
  return out;
}

PointList ToChordFractions(const PointList& outline, double xle, double chord, double lift,
                           double basicHeight) {
  PointList out;
  out.reserve(outline.size());
  for (const Point2D& p : outline) {
    out.push_back({(xle - p.x) / chord, (p.y - lift - basicHeight) / chord});
  }
  return out;
}

KerfApplied CompensateKerf(CutOutlines& lists, const SideKerfs& kerfs, double rootSkin,
                           double tipSkin, const KerfOptions& options) {
  KerfApplied applied;
  applied.root = KerfCorrection(kerfs.root, rootSkin, options.profileCompensation,
                                options.referenceLowerSurface);
  applied.tip = KerfCorrection(kerfs.tip, tipSkin, options.profileCompensation,
                               options.referenceLowerSurface);

  auto correctSide = [&options](PointList& list1, PointList& list2, const KerfSide& side) {
    auto lift = [&side](PointList& list) {
      for (Point2D& p : list) p.y += side.lift;
    };
    lift(list1);
    list1 = OffsetCutOutline(list1, side.offset, true);
    if (options.wingPanel) {
      lift(list2);
      if (list2.size() > 1) list2 = OffsetCutOutline(list2, side.offset, false);
      JoinLeadingEdge(list1, list2, side.offset, side.kerf);
    }
  };
  correctSide(lists.root1, lists.root2, applied.root);
  correctSide(lists.tip1, lists.tip2, applied.tip);

  // Root and tip are cut point for point: the tip is read at the root's points
  // when the profiles differ, and whenever the junction left other counts.
  if (options.wingPanel && (options.matchTip || lists.tip1.size() != lists.root1.size() ||
                            lists.tip2.size() != lists.root2.size())) {
    lists.tip1 = CorrespondToRoot(lists.tip1, lists.root1);
    lists.tip2 = CorrespondToRoot(lists.tip2, lists.root2);
  }
  return applied;
}

}  // namespace orva
