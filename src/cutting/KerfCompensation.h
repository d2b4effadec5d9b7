#pragma once

#include "geometry/Point2D.h"

namespace orva {

class FoamDatabase;

// Working lists in cut coordinates (mm; X along the chord, growing towards the
// leading edge, 0 at the wire's home position; Y up from the table). For a wing
// panel list 1 is the upper surface and list 2 the lower surface, both from the
// leading edge (index 0) to the trailing edge; otherwise list 1 is the closed
// outline and list 2 is empty.
struct CutOutlines {
  PointList root1, root2;
  PointList tip1, tip2;
};

// The correction of one side (root or tip) of the wire.
struct KerfSide {
  double kerf = 0.0;    // k: half the slot the wire melts, mm
  double lift = 0.0;    // u: added to every Y (keeps the lower surface at its height)
  double offset = 0.0;  // o: normal offset, > 0 outwards (away from the foam kept)
};

// The kerf of each side at cut speed v: the root side moves at v (ratio 1),
// the tip side, which takes the same time over a chord tipChord / rootChord as
// long, at that ratio of it. A root chord that is not positive gives the tip
// the root's ratio (the caller refuses such a panel before it gets here).
struct SideKerfs {
  double root = 0.0;
  double tip = 0.0;
};
SideKerfs KerfForChords(const FoamDatabase& foams, double speed, double rootChord, double tipChord);

// Lift and offset of one side from its kerf and skin thickness: with profile
// compensation the outline moves out by the kerf and in by the skin, without
// it only in by the skin; the reference-lower-surface option lifts it by the
// kerf (twice the kerf with profile compensation).
KerfSide KerfCorrection(double kerf, double skin, bool profileCompensation,
                        bool referenceLowerSurface);

// Offsets an outline by o along its outward normal, every new point computed
// from the unmoved points: the ends along their segment's normal, inner
// points at the crossing of their two moved segments (along the arriving
// segment's normal when those are parallel: slopes closer than 0.001, or both
// vertical). The normal of a segment (dx, dy) of length L is (dy, -dx) / L for
// an upper surface (and a closed outline) and (-dy, dx) / L for a lower
// surface, the direction of travel running from the leading edge to the
// trailing edge; a zero-length segment does not move a point. An outline of
// fewer than two points is returned unchanged.
PointList OffsetCutOutline(const PointList& outline, double o, bool upperSurface);

// Joins one side's upper and lower surfaces again at the leading edge after
// the offset o. o >= 0: both start at the crossing of the lines through their
// first two points (unchanged when a line is vertical or both are parallel).
// o < 0: the surfaces moved inwards may cross. A crossing in the trailing-edge
// halves ends both lists before it, and they are shortened further while the
// upper end lies less than `kerf` above the lower end; a crossing in the
// leading-edge halves becomes the first point of both (a next point closer
// than 0.2 mm to it is dropped). Lists of fewer than two points are left alone.
void JoinLeadingEdge(PointList& upper, PointList& lower, double o, double kerf);

// The tip outline read at the root outline's points: the root point's relative
// position between the root's leading and trailing edges, carried to the tip's,
// with Y interpolated along the tip outline. The result has root.size() points.
PointList CorrespondToRoot(const PointList& tip, const PointList& root);

// Cut coordinates back to chord fractions of a section whose leading edge is at
// xle, with the given chord (> 0), lift and basic height.
PointList ToChordFractions(const PointList& outline, double xle, double chord, double lift,
                           double basicHeight);

// The whole correction of the four working lists: lift, offset, (wing panel)
// leading-edge junction and, when `matchTip` or the counts differ, the tip
// lists read at the root's points. The per-side corrections applied are returned.
struct KerfOptions {
  bool profileCompensation = false;
  bool referenceLowerSurface = false;
  bool wingPanel = true;
  bool matchTip = false;  // root and tip profiles differ
};
struct KerfApplied {
  KerfSide root;
  KerfSide tip;
};
KerfApplied CompensateKerf(CutOutlines& lists, const SideKerfs& kerfs, double rootSkin,
                           double tipSkin, const KerfOptions& options);

}  // namespace orva
