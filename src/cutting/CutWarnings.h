#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cutting/PanelCutPlanner.h"
#include "geometry/Point2D.h"
#include "motion/CutMove.h"
#include "motion/MovePlanner.h"

namespace orva {

class FoamDatabase;
struct Panel;
struct TableConfig;

// The wire at one instant, mm relative to the machine zero (cut coordinates:
// X along the chord towards the leading edge, Y up from the table): where it
// crosses the two block faces and where the towers hold it. Face 1 is the
// face nearer the left tower.
struct WireSpan {
  Point2D face1;
  Point2D face2;
  Point2D left;   // XG, YG
  Point2D right;  // XD, YD
};

// How the wire spans the table, to read a move list's tower targets back as
// face points.
struct WireGeometry {
  double entraxe = 0.0;     // E: between the towers, mm
  double faceOffset = 0.0;  // from the left tower to face 1 along the wire (reverse layout applied)
  double span = 0.0;        // from face 1 to face 2
  double zeroX = 0.0;       // the machine zero in table coordinates (tower targets are absolute)
  double zeroY = 0.0;
};

// The wire before the first move (index 0) and after every move (index i + 1):
// the tower targets made relative to the machine zero, the face points read
// on the straight wire between them. `start` holds the absolute tower
// positions the list starts from. A geometry whose entraxe is not positive
// puts the face points on the towers.
std::vector<WireSpan> TraceWire(const MoveList& moves, const WireGeometry& geometry,
                                const MovePlanner::Position& start);

// The number a user sees for the move at `index` of a list: the warnings'
// texts, the survey's JSON, the cut window's time line and its picture all
// count the moves from 1.
constexpr std::size_t MoveNumber(std::size_t index) { return index + 1; }

// What can go wrong in a planned cut that the planner accepts.
enum class CutWarningKind {
  TowerBackwards,    // a tower runs backwards against its face: it traces a mirrored outline
  TowerMagnified,    // a tower travels more than kTowerMagnificationLimit times its face's path
  PauseInBlock,      // a pause with the wire in the block
  SlowInBlock,       // the wire crosses the block slower than kSlowFraction of the cut speed
  KerfExtrapolated,  // the slower face runs below the foam's kerf law
  UnequalFaces,      // root and tip travel very unequal paths on a panel whose tip is its root
};

// Stable name of a kind ("towerBackwards", "towerMagnified", "pauseInBlock",
// "slowInBlock", "kerfExtrapolated", "unequalFaces").
std::string_view cutWarningKindName(CutWarningKind kind);

// Which tower or face a warning is about.
enum class WireSide {
  Both,   // the wire as a whole
  Left,   // the left tower, or face 1
  Right,  // the right tower, or face 2
};

// One warning. The moves with the same finding (the same kind and side)
// while the wire stays in the block make one warning, from the first
// offending move `move` to the last, `lastMove`: the whole profile of a badly
// placed panel is one warning, not one for each stretch between the moves of
// the leading edge that happen to pass. Leaving the block ends it (running
// along its surface does not).
struct CutWarning {
  CutWarningKind kind = CutWarningKind::SlowInBlock;
  std::size_t move = 0;      // index of the first move in the list (from 0)
  std::size_t lastMove = 0;  // index of the last move of the run
  std::string label;         // the first move's label
  WireSide side = WireSide::Both;
  // The worst value over the run: the tower's scale on its face's path
  // (TowerBackwards, lowest), the ratio of the paths (TowerMagnified,
  // UnequalFaces: highest; infinite when a face stands still), the pause in
  // s (PauseInBlock: the sum of its pauses), the speed in mm/s (SlowInBlock:
  // of the faster face point; KerfExtrapolated: of the slower face; lowest).
  double value = 0.0;
  // The face path the offending moves cover, mm: of the tower's face
  // (TowerBackwards, TowerMagnified), the longer one (KerfExtrapolated,
  // UnequalFaces); 0 for the others.
  double path = 0.0;
  WireSpan where;       // the wire at the end of the first move
  // The whole text from the catalogue, "Move 12 (label): ...", "Moves 12 to
  // 40 (label): ..." with the moves' numbers (MoveNumber: index + 1).
  std::string message;
};

// The thresholds. Each is a plain number so that a test can provoke it.
//
// A tower whose path, projected on its face's path, is less than this part
// of it runs backwards: at zero the wire pivots about the tower, below it the
// tower traces the face's outline mirrored. A small positive margin keeps a
// tower that stands still within rounding in the same class.
inline constexpr double kTowerBackwardsScale = 0.05;
// A tower that travels more than three times its face's path stands far
// outside the block: every step, backlash and error of the tower reaches the
// face only a third as large, and its speed limits the whole cut.
inline constexpr double kTowerMagnificationLimit = 3.0;
// Below a tenth of the cut speed the wire melts far more foam than the kerf
// the cut is compensated for: a hole rather than a slot.
inline constexpr double kSlowFraction = 0.1;
// Root and tip of a panel whose tip is its root travel equal paths on every
// cut move; half as far again on one side is no rounding but points that do
// not correspond.
inline constexpr double kUnequalFacesRatio = 1.5;
// ... judged on moves of at least a millimetre: points that do not
// correspond are a whole point spacing apart, while on shorter moves (the
// resampled points of a leading edge) the ratio says more about the spacing
// than about the outlines.
inline constexpr double kUnequalFacesMinPathMm = 1.0;
// The other ratios and speeds are judged on moves whose face path (for a
// tower: its own face's; otherwise the longer one) is at least a quarter of
// the resampled point spacing of about a millimetre: a tip outline at a
// smaller chord has shorter moves, and shorter moves are rounding.
inline constexpr double kMinJudgedPathMm = 0.25;
// The towers, the kerf and unequal faces are warned of when the offending
// moves of a warning cover at least this much face path: the outlines of two
// different profiles (or of a washed-out tip) turn differently around their
// leading edges, where a move or two may briefly look like a mirrored tower;
// a placement or an outline at fault shows over a whole stretch of the profile.
inline constexpr double kMinWarnedPathMm = 5.0;
// The wire is in the block when it lies more than this inside its faces, out
// of it when it lies more than this outside; in between it runs on a face (a
// trim, a leading edge without margin), within rounding: such moves are not
// judged, and a warning goes on across them. The table under the block counts
// as inside: the block rests on it, a wire lying there touches the foam.
inline constexpr double kBlockSurfaceMm = 0.1;

// Everything the warnings are judged against.
struct CutWarningSetup {
  WireGeometry geometry;
  MovePlanner::Position start;  // absolute tower positions before the first move
  BlockFace block1;             // the block on face 1 and on face 2
  BlockFace block2;
  bool rootOnFace2 = false;  // names the faces in the texts (root or tip)
  double cutSpeed = 0.0;     // mm/s; not positive: no speed warning
  // The lowest face speed the foam's kerf law was measured at (mm/s); none:
  // the foam has no law, no kerf warning.
  std::optional<double> kerfLowestSpeed;
  // False for a panel whose tip is its root (same profile and chord): then
  // both faces must travel alike.
  bool tapered = true;
};

// The warnings of a planned move list, in the order of their first move;
// those about the towers, the kerf and unequal faces only when their moves
// cover kMinWarnedPathMm of face path.
// Moves are judged only while the wire is in the block (at the start, the
// middle or the end of the move; a pause where it stands):
// - TowerBackwards / TowerMagnified: each tower against its face (left with
//   face 1, right with face 2), on moves whose face path is at least
//   kMinJudgedPathMm;
// - PauseInBlock: a move that does not move the faces and lasts (duration > 0);
// - SlowInBlock: a timed move whose faster face point runs below
//   kSlowFraction x cutSpeed;
// - KerfExtrapolated: a timed move, not rapid, with a longer face path of at
//   least kMinJudgedPathMm and the wire in the block halfway along it (a
//   move that only starts or ends on a face cuts no foam), whose slower face
//   runs below kerfLowestSpeed;
// - UnequalFaces (not tapered only): a move, not rapid, whose longer face
//   path is at least kUnequalFacesMinPathMm and more than kUnequalFacesRatio
//   times the shorter.
std::vector<CutWarning> FindCutWarnings(const MoveList& moves, const CutWarningSetup& setup);

// The lowest face speed a foam's kerf law was measured at, for a cut at
// `cutSpeed`: the law of a FixedHeat foam is measured at its speed S and at
// S / 2 (its kerf follows the face speed), that of a ComputedHeat foam at
// the cut speed and at half of it (its kerf follows the side's speed ratio).
// None without a current foam or for a FixedHeat foam without a speed.
std::optional<double> KerfLawLowestSpeed(const FoamDatabase& foams, double cutSpeed);

// The setup for a panel cut as the planner placed it (`result`) on `table`,
// with the current foam of `foams` at `cutSpeed`, starting from the absolute
// tower positions `start`. A panel is tapered unless its tip is its root
// (differentRootTip off) with the same chord.
CutWarningSetup PanelCutWarningSetup(const PanelCutResult& result, const TableConfig& table,
                                     const FoamDatabase& foams, const Panel& panel, double cutSpeed,
                                     const MovePlanner::Position& start);

// The warnings' messages, one per line (empty when none).
std::string CutWarningLines(const std::vector<CutWarning>& warnings);

}  // namespace orva
