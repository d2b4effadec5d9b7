#include "cutting/CutWarnings.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "config/FoamDatabase.h"
#include "config/TableConfig.h"
#include "model/Panel.h"

namespace orva {

namespace {

Point2D lerp(Point2D a, Point2D b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}
Point2D minus(Point2D a, Point2D b) { return {a.x - b.x, a.y - b.y}; }
double dot(Point2D a, Point2D b) { return a.x * b.x + a.y * b.y; }
double length(Point2D a) { return std::hypot(a.x, a.y); }

// Whether some point of the wire between the faces lies in the block, the
// block's cross-section running straight from its face-1 to its face-2
// outline. Every condition is linear along the wire (parameter t from face 1
// to face 2), so the points that meet all of them form one interval.
// `inset`: how far inside the rear, front and top faces the wire must be
// (negative: how far outside it may be); the table under the block counts
// down to kBlockSurfaceMm below it.
bool wireInBlock(const WireSpan& p, const BlockFace& b1, const BlockFace& b2, double inset) {
  const double m = inset;
  // Each condition as a + b t > 0 (or >= 0 for the table under the block).
  struct Condition {
    double a;
    double b;
    bool closed;
  };
  const Point2D d = minus(p.face2, p.face1);
  const std::array<Condition, 4> conditions = {
      Condition{p.face1.x - b1.rear - m, d.x - (b2.rear - b1.rear), false},
      Condition{b1.front - p.face1.x - m, (b2.front - b1.front) - d.x, false},
      Condition{p.face1.y - b1.bottom + kBlockSurfaceMm, d.y - (b2.bottom - b1.bottom), true},
      Condition{b1.top - p.face1.y - m, (b2.top - b1.top) - d.y, false},
  };
  double lo = 0.0;
  double hi = 1.0;
  bool loOpen = false;
  bool hiOpen = false;
  for (const Condition& c : conditions) {
    if (c.b == 0.0) {
      if (c.closed ? !(c.a >= 0.0) : !(c.a > 0.0)) return false;
      continue;
    }
    const double root = -c.a / c.b;
    if (c.b > 0.0) {  // holds above root
      if (root > lo || (root == lo && !c.closed)) {
        lo = root;
        loOpen = !c.closed;
      }
    } else if (root < hi || (root == hi && !c.closed)) {  // holds below root
      hi = root;
      hiOpen = !c.closed;
    }
  }
  if (!(lo <= hi)) return false;
  return lo < hi || (!loOpen && !hiOpen);
}

// The finding of one test on one move.
enum class Finding { Outside, Unjudged, Clear, Offends };

// One open run of a warning.
struct Run {
  bool open = false;
  std::size_t index = 0;  // into the output list
};

std::string towerWord(WireSide side) {
  return std::string(messageText(side == WireSide::Left ? Msg::Left : Msg::Right));
}

std::string number(double value) { return fixedText(value, 2); }

}  // namespace

std::vector<WireSpan> TraceWire(const MoveList& moves, const WireGeometry& geometry,
                                const MovePlanner::Position& start) {
  const double e = geometry.entraxe;
  const double t1 = e > 0.0 ? geometry.faceOffset / e : 0.0;
  const double t2 = e > 0.0 ? (geometry.faceOffset + geometry.span) / e : 1.0;
  auto at = [&](double xg, double yg, double xd, double yd) {
    const Point2D left{xg - geometry.zeroX, yg - geometry.zeroY};
    const Point2D right{xd - geometry.zeroX, yd - geometry.zeroY};
    return WireSpan{lerp(left, right, t1), lerp(left, right, t2), left, right};
  };
  std::vector<WireSpan> out;
  out.reserve(moves.size() + 1);
  out.push_back(at(start.XG, start.YG, start.XD, start.YD));
  for (const CutMove& move : moves) out.push_back(at(move.XG, move.YG, move.XD, move.YD));
  return out;
}

std::string_view cutWarningKindName(CutWarningKind kind) {
  switch (kind) {
    case CutWarningKind::TowerBackwards:
      return "towerBackwards";
    case CutWarningKind::TowerMagnified:
      return "towerMagnified";
    case CutWarningKind::PauseInBlock:
      return "pauseInBlock";
    case CutWarningKind::SlowInBlock:
      return "slowInBlock";
    case CutWarningKind::KerfExtrapolated:
      return "kerfExtrapolated";
    case CutWarningKind::UnequalFaces:
      return "unequalFaces";
  }
  return "";
}

std::vector<CutWarning> FindCutWarnings(const MoveList& moves, const CutWarningSetup& setup) {
  std::vector<CutWarning> out;
  const std::vector<WireSpan> trace = TraceWire(moves, setup.geometry, setup.start);

  // One run per test and side, in a fixed order.
  enum Test : int {
    kBackLeft,
    kBackRight,
    kMagLeft,
    kMagRight,
    kPause,
    kSlow,
    kKerfLeft,
    kKerfRight,
    kUnequal,
    kTests
  };
  std::array<Run, kTests> runs{};
  auto apply = [&](Test test, Finding finding, std::size_t move, CutWarningKind kind, WireSide side,
                   double value, double path = 0.0) {
    Run& run = runs[test];
    if (finding == Finding::Outside) run.open = false;
    if (finding != Finding::Offends) return;
    if (run.open) {
      CutWarning& w = out[run.index];
      w.lastMove = move;
      w.path += path;
      switch (kind) {
        case CutWarningKind::TowerMagnified:
        case CutWarningKind::UnequalFaces:
          w.value = std::max(w.value, value);
          break;
        case CutWarningKind::PauseInBlock:
          w.value += value;
          break;
        default:
          w.value = std::min(w.value, value);
          break;
      }
      return;
    }
    CutWarning w;
    w.kind = kind;
    w.move = w.lastMove = move;
    w.label = moves[move].label;
    w.side = side;
    w.value = value;
    w.path = path;
    w.where = trace[move + 1];
    run.open = true;
    run.index = out.size();
    out.push_back(std::move(w));
  };

  const double slowSpeed = setup.cutSpeed > 0.0 ? kSlowFraction * setup.cutSpeed : 0.0;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const CutMove& move = moves[i];
    const WireSpan& from = trace[i];
    const WireSpan& to = trace[i + 1];
    WireSpan middle{lerp(from.face1, to.face1, 0.5), lerp(from.face2, to.face2, 0.5),
                    lerp(from.left, to.left, 0.5), lerp(from.right, to.right, 0.5)};
    auto anywhere = [&](double inset) {
      return wireInBlock(from, setup.block1, setup.block2, inset) ||
             wireInBlock(middle, setup.block1, setup.block2, inset) ||
             wireInBlock(to, setup.block1, setup.block2, inset);
    };
    // In the block; or on its surface (a trim along a face, a leading edge
    // on the front face), where nothing is judged and nothing ends.
    const bool inside = anywhere(kBlockSurfaceMm);
    const bool onSurface = !inside && anywhere(-kBlockSurfaceMm);

    const Point2D d1 = minus(to.face1, from.face1);
    const Point2D d2 = minus(to.face2, from.face2);
    const Point2D dl = minus(to.left, from.left);
    const Point2D dr = minus(to.right, from.right);
    const double path1 = length(d1);
    const double path2 = length(d2);
    const double longer = std::max(path1, path2);
    const double shorter = std::min(path1, path2);
    const bool timed = move.duration > 0.0 && std::isfinite(move.duration);

    auto judge = [&](bool judged, bool offends) {
      if (onSurface) return Finding::Unjudged;
      if (!inside) return Finding::Outside;
      if (!judged) return Finding::Unjudged;
      return offends ? Finding::Offends : Finding::Clear;
    };

    // Each tower against its face.
    auto tower = [&](Point2D dt, Point2D df, double pathF, Test back, Test mag, WireSide side) {
      const bool judged = pathF >= kMinJudgedPathMm;
      const double scale = judged ? dot(dt, df) / (pathF * pathF) : 0.0;
      const double ratio = judged ? length(dt) / pathF : 0.0;
      apply(back, judge(judged, scale < kTowerBackwardsScale), i, CutWarningKind::TowerBackwards,
            side, scale, pathF);
      apply(mag, judge(judged, ratio > kTowerMagnificationLimit), i, CutWarningKind::TowerMagnified,
            side, ratio, pathF);
    };
    tower(dl, d1, path1, kBackLeft, kMagLeft, WireSide::Left);
    tower(dr, d2, path2, kBackRight, kMagRight, WireSide::Right);

    // The wire standing or creeping in the foam.
    const bool still = longer == 0.0;
    apply(kPause, judge(still, still && timed), i, CutWarningKind::PauseInBlock, WireSide::Both,
          move.duration);
    const double fasterSpeed = timed ? longer / move.duration : 0.0;
    apply(kSlow, judge(!still && timed && slowSpeed > 0.0, fasterSpeed < slowSpeed), i,
          CutWarningKind::SlowInBlock, WireSide::Both, fasterSpeed);

    // The slower face below the kerf law, on moves that cut foam: the wire
    // is in the block halfway along (a move that leaves a face, such as the
    // way home from the trailing edge, only starts on it and has no kerf).
    if (setup.kerfLowestSpeed) {
      const bool cutsFoam = wireInBlock(middle, setup.block1, setup.block2, kBlockSurfaceMm);
      const bool judged = timed && !move.rapid && longer >= kMinJudgedPathMm && cutsFoam;
      const double speed1 = timed ? path1 / move.duration : 0.0;
      const double speed2 = timed ? path2 / move.duration : 0.0;
      const bool slower1 = path1 <= path2;
      const double slowest = slower1 ? speed1 : speed2;
      const bool offends = judged && slowest < *setup.kerfLowestSpeed;
      apply(slower1 ? kKerfLeft : kKerfRight, judge(judged, offends), i,
            CutWarningKind::KerfExtrapolated, slower1 ? WireSide::Left : WireSide::Right, slowest,
            longer);
      // The faster side keeps the wire's place in or out of the block.
      apply(slower1 ? kKerfRight : kKerfLeft, judge(judged, false), i,
            CutWarningKind::KerfExtrapolated, slower1 ? WireSide::Right : WireSide::Left, 0.0);
    }

    if (!setup.tapered) {
      const bool judged = !move.rapid && longer >= kUnequalFacesMinPathMm;
      const double ratio =
          shorter > 0.0 ? longer / shorter : std::numeric_limits<double>::infinity();
      apply(kUnequal, judge(judged, ratio > kUnequalFacesRatio), i, CutWarningKind::UnequalFaces,
            WireSide::Both, ratio, longer);
    }
  }

  // Findings about the shape of the paths need a stretch of them.
  std::erase_if(out, [](const CutWarning& w) {
    const bool shape =
        w.kind != CutWarningKind::PauseInBlock && w.kind != CutWarningKind::SlowInBlock;
    return shape && w.path < kMinWarnedPathMm;
  });

  // The texts, once every run has its extent and worst value.
  for (CutWarning& w : out) {
    const std::size_t i = w.move;
    std::string text;
    switch (w.kind) {
      case CutWarningKind::TowerBackwards:
        text = formatMessage(Msg::WarnTowerBackwards, {towerWord(w.side), number(w.value)});
        break;
      case CutWarningKind::TowerMagnified:
        text = formatMessage(Msg::WarnTowerMagnified, {towerWord(w.side), number(w.value)});
        break;
      case CutWarningKind::PauseInBlock:
        text = formatMessage(Msg::WarnPauseInBlock, {number(w.value)});
        break;
      case CutWarningKind::SlowInBlock:
        text = formatMessage(Msg::WarnSlowInBlock, {number(w.value), number(setup.cutSpeed)});
        break;
      case CutWarningKind::KerfExtrapolated: {
        const bool root = (w.side == WireSide::Right) == setup.rootOnFace2;
        text = formatMessage(Msg::WarnKerfExtrapolated,
                             {messageText(root ? Msg::Root : Msg::Tip), number(w.value),
                              number(setup.kerfLowestSpeed.value_or(0.0))});
        break;
      }
      case CutWarningKind::UnequalFaces: {
        const Point2D d1 = minus(trace[i + 1].face1, trace[i].face1);
        const Point2D d2 = minus(trace[i + 1].face2, trace[i].face2);
        const double root = length(setup.rootOnFace2 ? d2 : d1);
        const double tip = length(setup.rootOnFace2 ? d1 : d2);
        text = formatMessage(Msg::WarnUnequalFaces, {number(root), number(tip)});
        break;
      }
    }
    // Numbered as the time line counts them, from 1.
    const std::string first = intText(static_cast<long long>(MoveNumber(i)));
    w.message = w.lastMove == w.move
                    ? formatMessage(Msg::CutWarningAtMove, {first, w.label, text})
                    : formatMessage(Msg::CutWarningAtMoves,
                                    {first, intText(static_cast<long long>(MoveNumber(w.lastMove))),
                                     w.label, text});
  }
  return out;
}

std::optional<double> KerfLawLowestSpeed(const FoamDatabase& foams, double cutSpeed) {
  const FoamType* foam = foams.currentRecord();
  if (!foam) return std::nullopt;
  if (foam->heatMode == FixedHeat) {
    if (!(foam->maxSpeed > 0.0) || !std::isfinite(foam->maxSpeed)) return std::nullopt;
    return foam->maxSpeed * 0.5;
  }
  if (!(cutSpeed > 0.0) || !std::isfinite(cutSpeed)) return std::nullopt;
  return cutSpeed * 0.5;
}

CutWarningSetup PanelCutWarningSetup(const PanelCutResult& result, const TableConfig& table,
                                     const FoamDatabase& foams, const Panel& panel, double cutSpeed,
                                     const MovePlanner::Position& start) {
  CutWarningSetup setup;
  const double e = result.entraxe;
  setup.geometry.entraxe = e;
  setup.geometry.span = result.span;
  // The planner places the block from the other end on a reverse table.
  setup.geometry.faceOffset =
      table.TableInv != 0 ? e - result.leftDistance - result.span : result.leftDistance;
  setup.geometry.zeroX = table.ZeroX;
  setup.geometry.zeroY = table.ZeroY;
  setup.start = start;
  setup.rootOnFace2 = result.swapped;
  setup.block1 = result.swapped ? result.tipBlock : result.rootBlock;
  setup.block2 = result.swapped ? result.rootBlock : result.tipBlock;
  setup.cutSpeed = cutSpeed;
  setup.kerfLowestSpeed = KerfLawLowestSpeed(foams, cutSpeed);
  setup.tapered = panel.differentRootTip || result.rootChord != result.tipChord;
  return setup;
}

std::string CutWarningLines(const std::vector<CutWarning>& warnings) {
  std::string out;
  for (const CutWarning& w : warnings) {
    if (!out.empty()) out += '\n';
    out += w.message;
  }
  return out;
}

}  // namespace orva
