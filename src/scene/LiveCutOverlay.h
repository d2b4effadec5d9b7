#pragma once

#include <cstddef>
#include <optional>

#include "cutting/PanelCutPlanner.h"
#include "driver/DriverDevice.h"
#include "geometry/Point2D.h"
#include "motion/CutMove.h"
#include "scene/Scene.h"

namespace orva {

// Where a running cut is, drawn over the profile view: for the root and the
// tip, the path the wire has cut so far through that section plane and a
// marker where the wire crosses it now.
//
// The wire is the straight line between the towers: the left tower at 0,
// the right tower at the table width, so the point where it crosses a plane
// at distance u from the left tower is L + (R - L) · u / width (left tower
// L = (XG, YG), right tower R = (XD, YD)). Each plane is then mapped into
// the view's logical units: X of the cut coordinates grows towards the
// leading edge, which the view draws on the left.
class CT1Doc;

class LiveCutOverlay {
 public:
  // One section plane: its distance from the left tower (mm) and how a
  // point of the cut coordinates (X, Y in mm) is drawn: at
  // origin + unitsPerMm · (-X, Y).
  struct Plane {
    double towerDistance = 0.0;
    Point2D origin;
    double unitsPerMm = 1.0;
  };
  struct Placement {
    double width = 0.0;  // between the towers, mm; > 0
    Plane root;
    Plane tip;
    // The machine zero the move targets include (ZeroX, ZeroY); the
    // reported wire position is relative to it.
    double zeroX = 0.0;
    double zeroY = 0.0;
  };

  // How the profile view of `doc` (at its zoom now) draws the section planes
  // of the panel cut `cut` planned: face 1 lies at the cut's left distance
  // from the left tower, face 2 a span further, the root on face 2 when the
  // sides are swapped; each plane's cut coordinates are placed from its
  // leading edge and lift onto the section the view draws on that side.
  static Placement placementFor(const CT1Doc& doc, const PanelCutResult& cut, double zeroX, double zeroY);

  // The overlay after `completed` moves of `moves` were output completely,
  // with the wire at `position` (as the driver reports it; nothing when it
  // cannot tell: then the wire is drawn at the end of the last move output).
  static LiveCutOverlay build(const Placement& placement, const MoveList& moves, std::size_t completed,
                              const std::optional<WirePosition>& position);

  PointList rootPath;  // logical units of the view
  PointList tipPath;
  std::optional<Point2D> rootWire;
  std::optional<Point2D> tipWire;

  // Adds the paths (thick orange lines) and the wire markers (circles) to `scene`.
  void addTo(Scene& scene) const;
};

}  // namespace orva
