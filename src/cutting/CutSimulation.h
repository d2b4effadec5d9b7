#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "cutting/CutWarnings.h"
#include "cutting/KerfCompensation.h"
#include "geometry/Point2D.h"
#include "motion/CutMove.h"

namespace orva {

class CT1Doc;
struct CutEnvironment;
struct CutJobProgress;

// Where the wire crosses the two block faces and the two towers, mm, in the
// coordinates the cut is planned in (X along the chord, growing towards the
// leading edge, 0 at the wire's home; Y up, 0 at the table; relative to the
// machine zero).
struct WirePoints {
  Point2D root;   // on the root face
  Point2D tip;    // on the tip face
  Point2D left;   // at the left tower
  Point2D right;  // at the right tower
};

// One planned move as the simulation replays it: the wire at its end, when
// it starts and how long it lasts.
struct SimulatedMove {
  std::string label;
  double start = 0.0;     // s from the start of the cut
  double duration = 0.0;  // s
  bool rapid = false;     // travel through the air
  WirePoints end;
};

// One of the warnings of the planned cut (FindCutWarnings, as the cutting
// dialog and the survey list them): the first and the last move it concerns
// (indices into moves, from 0; the text numbers them from 1, MoveNumber),
// the first one's label, its whole text, and where it happens in the front
// projection: the face points of the wire at the end of the first move.
struct SimulationWarning {
  std::size_t moveIndex = 0;
  std::size_t lastMoveIndex = 0;
  std::string label;
  std::string text;
  Point2D root;
  Point2D tip;
};

// The wire at one moment of the cut, with what the time line shows.
struct WireState {
  double time = 0.0;  // s from the start
  double remaining = 0.0;
  // The move running at `time` (at a boundary: the move that starts there;
  // at the end: the last move). moves.size() for a cut without moves.
  std::size_t move = 0;
  double fraction = 0.0;  // of that move done, 0..1
  std::string label;
  WirePoints wire;
  // Speeds of the move running, mm/s (0 during a pause).
  double rootSpeed = 0.0;
  double tipSpeed = 0.0;
  double leftSpeed = 0.0;
  double rightSpeed = 0.0;
};

// The planned cut of a project's current panel, for watching it before foam
// is cut: planned by the same code a real cut runs (PanelCutPlanner), with a
// private move planner that starts where the program's planner stands, in
// the planner's errors-only mode (real pacing, no question, no heat sent,
// nothing executed), on a copy of the panel and of the machine data. Neither
// the project nor the program's planner nor the foam database change.
class CutSimulation {
 public:
  // Plans the current panel's cut with the cutting choices stored in the
  // project, at `speed` (mm/s) when given, else at the speed the cutting
  // dialog opens with and a cut script is written at (the surveyed maximum
  // for a computed-heat foam, the foam's measured speed for a fixed-heat one).
  static CutSimulation plan(const CT1Doc& doc, const CutEnvironment& env,
                            std::optional<double> speed = std::nullopt);

  bool ok() const { return error.empty(); }
  // Why nothing could be planned (the planner's message), empty when planned.
  std::string error;

  std::vector<SimulatedMove> moves;
  WirePoints start;  // the wire before the first move
  double totalTime = 0.0;
  double cutSpeed = 0.0;  // mm/s the cut moves were paced at

  // Block placement: along the wire from the left tower, the root and tip
  // faces at rootZ and tipZ (mm); the table's tower distance.
  double rootZ = 0.0;
  double tipZ = 0.0;
  int entraxe = 0;
  double leftDistance = 0.0;
  double span = 0.0;
  bool swapped = false;  // root on the right-tower side of the block
  // The block's faces in the front projection: rear X, front X, height.
  double rootRear = 0.0;
  double rootFront = 0.0;
  double tipRear = 0.0;
  double tipFront = 0.0;
  double blockHeight = 0.0;
  // The corrected outlines the surfaces are cut through (cut coordinates).
  CutOutlines outlines;

  // What FindCutWarnings finds in the planned moves, in the order of their
  // first move.
  std::vector<SimulationWarning> warnings;

  // The wire at time t (clamped to 0..totalTime).
  WireState at(double t) const;
  // The start of move i (totalTime for i >= moves.size()).
  double moveStart(std::size_t i) const;
  // The wire at the end of move i with that move shown (at() shows the move
  // that starts there; this also holds a move that lasts no time, which at()
  // passes over): where the time line goes for a warning about move i, the
  // wire in the warning's ring. The end of the cut for i >= moves.size().
  WireState atMoveEnd(std::size_t i) const;
  // The wire where a running job reports it: its towers (WirePosition is
  // relative to the machine zero, as these coordinates), the face points on
  // the wire line, the move it is at and a time estimated from how far the
  // towers have come along that move. Without a reported position: the
  // wire at the end of the moves completely output.
  WireState follow(const CutJobProgress& progress) const;

  // The crossing points of the wire line through two tower points with the
  // root and tip faces.
  WirePoints onWire(const Point2D& left, const Point2D& right) const;

 private:
  double face1Z_ = 0.0;  // along the wire from the left tower: face 1, face 2
  double face2Z_ = 0.0;
};

}  // namespace orva
