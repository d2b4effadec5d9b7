#pragma once

#include <string>
#include <string_view>

#include "geometry/Point2D.h"
#include "motion/CutMove.h"

namespace orva {

class MovePlanner;

// The pause at the bottom of a vertical trim, ms.
inline constexpr double kTrimPauseMs = 4000.0;

// Appends the moves of one cut to a move list through the planner. Every move
// is given by its target in the root section plane and in the tip section plane
// (cut coordinates, mm); the block placement (the left distance D from the left
// tower to the nearer section plane, the span S between the planes) and the
// swap rule are fixed for the whole cut. When the sides are swapped (exactly
// one of: reverse table layout, left wing) the tip target goes to face 1 and
// cut moves are paced by face 2.
class CutEmitter {
 public:
  CutEmitter(MovePlanner& planner, MoveList& moves, double leftDistance, double span, bool swapped);

  // A cut move: the root face advances at the cut speed (Face1, or Face2 when swapped).
  bool cut(Point2D root, Point2D tip, std::string_view label);
  // Paced travel: the longer tower path advances at the cut speed (TowerMax).
  bool paced(Point2D root, Point2D tip, std::string_view label);
  // Rapid travel: as fast as the motors allow.
  bool rapid(Point2D root, Point2D tip, std::string_view label);
  // Any mode (FaceMax for vertical cuts).
  bool general(Point2D root, Point2D tip, SpeedMode mode, std::string_view label);
  // A pause at the current position, labelled "Tempo".
  bool dwell(double milliseconds);

  // The vertical trim of one pair of block faces at X `rootX` (root) and
  // `tipX` (tip): "Down vertical cut" to the table (FaceMax), a pause of
  // kTrimPauseMs, "Up vertical cut" back up to the given heights.
  bool verticalTrim(double rootX, double tipX, double rootTop, double tipTop);

 private:
  MovePlanner& planner_;
  MoveList& moves_;
  double leftDistance_;
  double span_;
  bool swapped_;
};

}  // namespace orva
