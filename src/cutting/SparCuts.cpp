#include "cutting/SparCuts.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "common/Messages.h"
#include "cutting/CutEmitter.h"

namespace orva {

namespace {

// Degrees between two moves of a round; 24 steps make the full circle.
constexpr int kRoundStepDegrees = 15;
constexpr int kRoundSteps = 360 / kRoundStepDegrees;

// Slopes closer than this are taken as parallel when offsetting a sole.
constexpr double kParallelSlope = 0.001;

constexpr double kMinDistance = 1.0;
constexpr double kMaxDistance = 99.0;

// A size read from a record: negative or non-finite counts as 0.
double size(double v) { return std::isfinite(v) && v > 0.0 ? v : 0.0; }

// a / b as a speed ratio; 1 when b cannot divide.
double ratio(double a, double b) {
  if (!(std::isfinite(a) && std::isfinite(b)) || b <= 0.0) return 1.0;
  return a / b;
}

double kerfAt(const KerfAtRatio& kerf, double r) {
  if (!kerf) return 0.0;
  const double k = kerf(r);
  return std::isfinite(k) && k > 0.0 ? k : 0.0;
}

double sign(double s) { return s < 0.0 ? -1.0 : 1.0; }

std::string label(Msg prefix, const SparRecord& record) {
  return std::string(messageText(prefix)) + record.label;
}

// Sine and cosine of step i of a round (i * 15 degrees); step 24 is step 0
// again, so a round always closes exactly.
void roundAngle(int i, double& sine, double& cosine) {
  const double a = static_cast<double>((i % kRoundSteps) * kRoundStepDegrees) * kPi / 180.0;
  sine = std::sin(a);
  cosine = std::cos(a);
}

bool isCutOutType(int type, bool upper) {
  return upper ? (type == SparUpperNotch || type == SparUpperRound)
               : (type == SparLowerNotch || type == SparLowerRound);
}

bool selectable(const SparRecord& r) { return r.active && SparCutDistance(r).has_value(); }

std::vector<std::size_t> ordered(std::span<const SparRecord> spars, bool (*take)(int, bool),
                                 bool upper, bool ascending) {
  std::vector<std::size_t> chain;
  for (std::size_t i = 0; i < spars.size(); ++i) {
    if (selectable(spars[i]) && take(spars[i].type, upper)) chain.push_back(i);
  }
  std::stable_sort(chain.begin(), chain.end(), [&](std::size_t a, std::size_t b) {
    const double ka = spars[a].positionKey;
    const double kb = spars[b].positionKey;
    return ascending ? ka < kb : ka > kb;
  });
  return chain;
}

bool isSoleType(int type, bool upper) { return type == (upper ? SparUpperSole : SparLowerSole); }

double pathLength(Point2D a, Point2D b) { return std::hypot(b.x - a.x, b.y - a.y); }

// The inward unit normal of segment a -> b of a surface running from the
// leading edge to the trailing edge; zero for a segment of no length.
Point2D inwardNormal(Point2D a, Point2D b, bool upper) {
  const double dx = b.x - a.x;
  const double dy = b.y - a.y;
  const double len = std::hypot(dx, dy);
  if (len == 0.0) return {};
  // Outward is (dy, -dx) on the upper surface and (-dy, dx) on the lower one.
  return upper ? Point2D{-dy / len, dx / len} : Point2D{dy / len, -dx / len};
}

// Point i of `list` moved inwards by t: the intersection of its two
// neighbouring segments, each moved inwards by t; at an end of the list, along
// the normal of its only segment.
Point2D movedInwards(const std::vector<Point2D>& list, std::size_t i, double t, bool upper) {
  const Point2D p = list[i];
  const auto along = [&](Point2D n) { return Point2D{p.x + t * n.x, p.y + t * n.y}; };
  if (i == 0) return along(inwardNormal(p, list[1], upper));
  const Point2D p0 = list[i - 1];
  if (i + 1 == list.size()) return along(inwardNormal(p0, p, upper));
  const Point2D p1 = list[i + 1];
  const Point2D na = inwardNormal(p0, p, upper);
  const Point2D nb = inwardNormal(p, p1, upper);
  const bool aEmpty = na.x == 0.0 && na.y == 0.0;
  const bool bEmpty = nb.x == 0.0 && nb.y == 0.0;
  if (aEmpty) return along(nb);
  if (bEmpty) return along(na);
  const Point2D a = along(na);  // a point of the moved segment before
  const Point2D b = along(nb);  // a point of the moved segment after
  const double dxa = p.x - p0.x;
  const double dxb = p1.x - p.x;
  const bool aVertical = dxa == 0.0;
  const bool bVertical = dxb == 0.0;
  if (aVertical && bVertical) return a;
  const double ma = aVertical ? 0.0 : (p.y - p0.y) / dxa;
  const double mb = bVertical ? 0.0 : (p1.y - p.y) / dxb;
  if (aVertical) return {a.x, b.y + mb * (a.x - b.x)};
  if (bVertical) return {b.x, a.y + ma * (b.x - a.x)};
  if (std::fabs(ma - mb) < kParallelSlope) return a;
  const double x = (b.y - a.y + ma * a.x - mb * b.x) / (ma - mb);
  return {x, a.y + ma * (x - a.x)};
}

// `list` with the recess from point i1 to point i2: the points before i1, the
// unmoved point i1 (step down), the points i1..i2 moved inwards by t, the
// unmoved point i2 (step up), the points after i2. Two points longer.
std::vector<Point2D> recessed(const std::vector<Point2D>& list, std::size_t i1, std::size_t i2,
                              double t, bool upper) {
  std::vector<Point2D> out;
  out.reserve(list.size() + 2);
  out.insert(out.end(), list.begin(), list.begin() + static_cast<std::ptrdiff_t>(i1) + 1);
  for (std::size_t i = i1; i <= i2; ++i) out.push_back(movedInwards(list, i, t, upper));
  out.insert(out.end(), list.begin() + static_cast<std::ptrdiff_t>(i2), list.end());
  return out;
}

}  // namespace

// --- Sizes -------------------------------------------------------------------

double SparTipSize(int mode, double rootValue, double enteredTip, double rootChord,
                   double tipChord) {
  switch (mode) {
    case SizeProportional:
      return rootValue * ratio(tipChord, rootChord);
    case SizeEntered:
      return enteredTip;
    default:  // SizeTipEqualsRoot, and any unknown mode
      return rootValue;
  }
}

double SparTipWidth(const SparRecord& record, double rootChord, double tipChord) {
  return SparTipSize(record.widthMode, record.rootWidth, record.tipWidth, rootChord, tipChord);
}

double SparTipThickness(const SparRecord& record, double rootChord, double tipChord) {
  return SparTipSize(record.thicknessMode, record.rootThickness, record.tipThickness, rootChord,
                     tipChord);
}

// --- Position and order ------------------------------------------------------

std::optional<double> SparCutDistance(const SparRecord& record) {
  if (!std::isfinite(record.distance)) return std::nullopt;
  return std::clamp(record.distance, kMinDistance, kMaxDistance);
}

double SparPositionKey(const SparRecord& record, double rootChord) {
  const double p = SparCutDistance(record).value_or(0.0);
  return record.distanceInPercent ? p : p * rootChord;
}

void UpdatePositionKeys(std::span<SparRecord> spars, double rootChord) {
  for (SparRecord& r : spars) r.positionKey = SparPositionKey(r, rootChord);
}

double SparX(const SparRecord& record, double xleRoot, double rootChord) {
  const double p = SparCutDistance(record).value_or(kMinDistance);
  return xleRoot - rootChord * p / 100.0;
}

std::vector<std::size_t> SelectCutOuts(std::span<const SparRecord> spars, bool upper,
                                       bool ascending) {
  return ordered(spars, isCutOutType, upper, ascending);
}

std::vector<std::size_t> SelectSoles(std::span<const SparRecord> spars, bool upper) {
  return ordered(spars, isSoleType, upper, false);
}

std::vector<std::size_t> SelectHinges(std::span<const SparRecord> spars) {
  std::vector<std::size_t> chain;
  for (std::size_t i = 0; i < spars.size(); ++i) {
    if (spars[i].active && spars[i].type == SparHinge) chain.push_back(i);
  }
  return chain;
}

std::optional<std::size_t> FirstSurfaceSparIndex(std::span<const Point2D> rootList, double sparX) {
  if (rootList.size() < 2 || !std::isfinite(sparX)) return std::nullopt;
  const std::size_t last = rootList.size() - 1;
  if (rootList[last].x > sparX) return std::nullopt;  // behind the trailing edge
  for (std::size_t i = last; i-- > 0;) {
    if (rootList[i].x > sparX) return i + 1;
  }
  return std::nullopt;  // in front of the leading edge
}

std::optional<std::size_t> SecondSurfaceSparIndex(std::span<const Point2D> rootList, double sparX) {
  if (rootList.size() < 2 || !std::isfinite(sparX)) return std::nullopt;
  if (rootList[0].x < sparX) return std::nullopt;  // in front of the leading edge
  for (std::size_t i = 1; i < rootList.size(); ++i) {
    if (rootList[i].x < sparX) return i;
  }
  return std::nullopt;  // behind the trailing edge
}

double ProfileThicknessAt(std::span<const Point2D> otherSurface, Point2D point) {
  for (std::size_t i = 0; i + 1 < otherSurface.size(); ++i) {
    const Point2D a = otherSurface[i];
    const Point2D b = otherSurface[i + 1];
    if (point.x < std::min(a.x, b.x) || point.x > std::max(a.x, b.x)) continue;
    const double y = a.x == b.x ? a.y : a.y + (b.y - a.y) * (point.x - a.x) / (b.x - a.x);
    const double d = std::fabs(point.y - y);
    return std::isfinite(d) ? d : 0.0;
  }
  return 0.0;
}

SparRoom SparRoomAt(std::span<const Point2D> rootOther, std::span<const Point2D> tipOther,
                    Point2D rootPoint, Point2D tipPoint) {
  return {ProfileThicknessAt(rootOther, rootPoint), ProfileThicknessAt(tipOther, tipPoint)};
}

// --- Cut-outs ----------------------------------------------------------------

namespace {

// `depth` limited to the room when the room is known.
double limitToRoom(double depth, double room) {
  return std::isfinite(room) && room > 0.0 ? std::min(depth, room) : depth;
}

}  // namespace

bool EmitSparNotch(CutEmitter& out, const SparRecord& record, Point2D P, Point2D Q, double s,
                   double rootChord, double tipChord, const KerfAtRatio& kerf, SparRoom room) {
  if (!record.active || (record.type != SparLowerNotch && record.type != SparUpperNotch)) {
    return true;
  }
  s = sign(s);
  const double wr = size(record.rootWidth);
  const double tr = size(record.rootThickness);
  const double wt = size(SparTipWidth(record, rootChord, tipChord));
  const double tt = size(SparTipThickness(record, rootChord, tipChord));
  const double k1 = kerfAt(kerf, 1.0);
  // The walls are cut while the two sides move in the ratio of the
  // thicknesses, the bottom while they move in the ratio of the widths.
  const double kW = kerfAt(kerf, ratio(tt, tr));
  const double kT = kerfAt(kerf, ratio(wt, wr));
  const double halfR = std::max(0.0, wr - 2.0 * k1) / 2.0;
  const double halfT = std::max(0.0, wt - 2.0 * kW) / 2.0;
  const double dr = limitToRoom(std::max(0.0, tr - k1), room.root) * s;
  const double dt = limitToRoom(std::max(0.0, tt - kT), room.tip) * s;
  const double shoulderR = P.y - k1 * s / 2.0;
  const double shoulderT = Q.y - kW * s / 2.0;

  const std::string text = label(Msg::LongeronPrefix, record);
  const Point2D root[] = {P,
                          {P.x, shoulderR},
                          {P.x - halfR, shoulderR},
                          {P.x - halfR, P.y - dr},
                          {P.x + halfR, P.y - dr},
                          {P.x + halfR, shoulderR},
                          {P.x, shoulderR},
                          P};
  const Point2D tip[] = {Q,
                         {Q.x, shoulderT},
                         {Q.x - halfT, shoulderT},
                         {Q.x - halfT, Q.y - dt},
                         {Q.x + halfT, Q.y - dt},
                         {Q.x + halfT, shoulderT},
                         {Q.x, shoulderT},
                         Q};
  for (std::size_t i = 0; i < std::size(root); ++i) {
    if (!out.cut(root[i], tip[i], text)) return false;
  }
  return true;
}

bool EmitRoundSlot(CutEmitter& out, const SparRecord& record, Point2D P, Point2D Q, double s,
                   double rootChord, double tipChord, const KerfAtRatio& kerf, SparRoom room) {
  if (!record.active || (record.type != SparLowerRound && record.type != SparUpperRound)) {
    return true;
  }
  s = sign(s);
  const double wr = size(record.rootWidth);
  const double wt = size(SparTipWidth(record, rootChord, tipChord));
  const double q = ratio(record.tipWidth, record.rootWidth);
  const double rr = std::max(0.0, wr / 2.0 - kerfAt(kerf, 1.0));
  const double rt = std::max(0.0, wt / 2.0 - kerfAt(kerf, q));
  // Depth from the surface to the top of the hole. A hole that would break
  // through the other surface is raised towards this one (not above it).
  double dr = size(record.rootThickness);
  double dt = size(record.tipThickness);
  dr = std::max(0.0, limitToRoom(dr + 2.0 * rr, room.root) - 2.0 * rr);
  dt = std::max(0.0, limitToRoom(dt + 2.0 * rt, room.tip) - 2.0 * rt);
  const double cyR = P.y - (rr + dr) * s;
  const double cyT = Q.y - (rt + dt) * s;

  const std::string entry = label(Msg::EntreeSaigneePrefix, record);
  const std::string round = label(Msg::RondSaigneePrefix, record);
  for (int i = 0; i <= kRoundSteps; ++i) {
    double sine = 0.0;
    double cosine = 0.0;
    roundAngle(i, sine, cosine);
    const Point2D root{P.x + rr * sine, cyR + s * rr * cosine};
    const Point2D tip{Q.x + rt * sine, cyT + s * rt * cosine};
    if (!out.cut(root, tip, i == 0 ? entry : round)) return false;
  }
  return out.cut(P, Q, label(Msg::SortieSaigneePrefix, record));
}

bool EmitSparCutOut(CutEmitter& out, const SparRecord& record, Point2D rootPoint, Point2D tipPoint,
                    double s, double rootChord, double tipChord, const KerfAtRatio& kerf,
                    SparRoom room) {
  switch (record.type) {
    case SparLowerNotch:
    case SparUpperNotch:
      return EmitSparNotch(out, record, rootPoint, tipPoint, s, rootChord, tipChord, kerf, room);
    case SparLowerRound:
    case SparUpperRound:
      return EmitRoundSlot(out, record, rootPoint, tipPoint, s, rootChord, tipChord, kerf, room);
    default:
      return true;
  }
}

bool EmitHingeRound(CutEmitter& out, const SparRecord& record, Point2D L, Point2D M,
                    double rootChord, double tipChord, const KerfAtRatio& kerf) {
  if (!record.active || record.type != SparHinge) return true;
  const double bigR = size(record.rootWidth) / 2.0;
  const double bigT = size(SparTipWidth(record, rootChord, tipChord)) / 2.0;
  const double dr = size(record.rootThickness);
  const double dt = size(record.tipThickness);
  const double cxR = L.x - bigR - dr;
  const double cxT = M.x - bigT - dt;
  const double q = ratio(record.tipWidth, record.rootWidth);
  const double rr = std::max(0.0, bigR - kerfAt(kerf, 1.0));
  const double rt = std::max(0.0, bigT - kerfAt(kerf, q));

  const std::string entry = label(Msg::EntreeSaigneePrefix, record);
  const std::string round = label(Msg::RondArticulationPrefix, record);
  for (int i = 0; i <= kRoundSteps; ++i) {
    double sine = 0.0;
    double cosine = 0.0;
    roundAngle(i, sine, cosine);
    const Point2D root{cxR + rr * cosine, L.y + rr * sine};
    const Point2D tip{cxT + rt * cosine, M.y + rt * sine};
    if (!out.cut(root, tip, i == 0 ? entry : round)) return false;
  }
  return out.cut(L, M, label(Msg::SortieSaigneePrefix, record));
}

// --- Soles -------------------------------------------------------------------

bool ApplySoleRecesses(std::vector<Point2D>& rootList, std::vector<Point2D>& tipList,
                       std::span<const SparRecord> spars, std::span<const std::size_t> soleChain,
                       double xleRoot, double rootChord, bool upper,
                       std::span<const Point2D> rootOther, std::span<const Point2D> tipOther) {
  if (rootList.size() != tipList.size()) return false;
  for (const std::size_t index : soleChain) {
    if (index >= spars.size()) continue;
    const SparRecord& record = spars[index];
    if (!selectable(record) || !isSoleType(record.type, upper)) continue;
    const std::size_t n = rootList.size();
    if (n < 3) break;
    const double x = SparX(record, xleRoot, rootChord);
    // The first point behind the spar's middle; none (or the leading-edge
    // point itself) means the sole lies outside the surface.
    std::size_t i0 = 0;
    while (i0 < n && !(rootList[i0].x < x)) ++i0;
    if (i0 == 0 || i0 == n) continue;
    // The spar's middle on the segment from point i0 - 1 to point i0. The
    // recess reaches at least half the width along the surface on each side
    // of it (the list ends permitting), so the cap always fits.
    const Point2D before = rootList[i0 - 1];
    const Point2D after = rootList[i0];
    const double f = (before.x - x) / (before.x - after.x);
    const Point2D middle{x, before.y + f * (after.y - before.y)};
    const std::size_t last = n - 1;
    const double half = size(record.rootWidth) / 2.0;
    if (half == 0.0) continue;
    std::size_t i1 = i0 - 1;
    for (double sum = pathLength(middle, before); i1 > 1 && sum < half; --i1) {
      sum += pathLength(rootList[i1 - 1], rootList[i1]);
    }
    std::size_t i2 = i0;
    for (double sum = pathLength(middle, after); i2 < last && sum < half; ++i2) {
      sum += pathLength(rootList[i2], rootList[i2 + 1]);
    }
    i1 = std::max<std::size_t>(i1, 1);  // the leading-edge point is never moved
    if (i1 >= i2) continue;

    double t = size(record.rootThickness);
    const bool limitRoot = rootOther.size() >= 2;
    const bool limitTip = tipOther.size() >= 2;
    for (std::size_t i = i1; i <= i2 && (limitRoot || limitTip); ++i) {
      if (limitRoot) {
        const double h = ProfileThicknessAt(rootOther, rootList[i]);
        if (h > 0.0) t = std::min(t, h);
      }
      if (limitTip) {
        const double h = ProfileThicknessAt(tipOther, tipList[i]);
        if (h > 0.0) t = std::min(t, h);
      }
    }
    rootList = recessed(rootList, i1, i2, t, upper);
    tipList = recessed(tipList, i1, i2, t, upper);
  }
  return true;
}

}  // namespace orva
