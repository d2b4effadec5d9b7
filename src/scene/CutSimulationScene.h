#pragma once

#include "cutting/CutSimulation.h"
#include "scene/Scene.h"

namespace orva {

// How the oblique view is turned: the azimuth about the vertical axis and
// the elevation of the eye above the table, degrees.
struct ObliqueAngles {
  double azimuth = 35.0;
  double elevation = 25.0;
};

// How a picture of the cut is lettered: with the caption lines (title, move,
// time) or only the legend, and the text height and line width in
// millimetres of the drawing (0: in proportion to the drawing's size, as
// for a file; a window that fits the drawing to its size asks for what
// gives a constant size on screen).
struct CutSceneStyle {
  bool captions = true;
  double textSize = 0.0;
  double lineWidth = 0.0;
};

// The pictures of a planned cut, in millimetres with Y up (one logical unit
// one millimetre at zoom 100 %). Line widths and texts scale with the size
// of the drawing, so a small panel and a long one read alike.
class CutSimulationScene {
 public:
  // Path colours, also used by the window's legend.
  static constexpr Color kRootColor{200, 0, 0};
  static constexpr Color kTipColor{0, 60, 220};
  static constexpr Color kLeftTowerColor{230, 130, 0};
  static constexpr Color kRightTowerColor{0, 150, 70};
  static constexpr Color kWarningColor{210, 0, 170};  // apart from the four paths

  // Front projection (X along the chord, Y up): the two block faces, the
  // root-face, tip-face, left-tower and right-tower paths, the warnings' face
  // points ringed and labelled with their moves' numbers (counted from 1, as
  // in the warnings' texts; rings that would overlap make one with all the
  // numbers), and the wire of `wire` from tower to tower over them, marked
  // with a square at each tower, a diamond at the tip and a disc at the
  // root; a legend of the paths and marks, a caption with the move and the
  // time.
  static Scene front(const CutSimulation& sim, const WireState& wire,
                     const CutSceneStyle& style = {});

  // The cut seen obliquely in three dimensions (X along the chord, Y up, Z
  // along the wire): the block's edges, the surface the wire sweeps between
  // the two faces as shaded quads painted back to front (the part already
  // cut at `wire` darker), the two face paths and the wire inside the block
  // (its root disc and tip diamond as in the front projection).
  static Scene oblique(const CutSimulation& sim, const WireState& wire,
                       const ObliqueAngles& angles, const CutSceneStyle& style = {});
};

}  // namespace orva
