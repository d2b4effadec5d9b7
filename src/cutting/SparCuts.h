#pragma once

// Spar, round-slot, sole and hinge cut-outs of a panel cut.
//
// How the panel cut sequence uses this file (all coordinates are cut
// coordinates in mm, X growing towards the leading edge; "lists" are the
// working lists after kerf compensation, index 0 at the leading edge):
//
// 1. Ordering keys (once per cut): UpdatePositionKeys(panel.spars, cr).
//
// 2. Soles, before either surface is cut:
//      ApplySoleRecesses(rootUpper, tipUpper, spars, SelectSoles(spars, true), XLEr, cr, true,
//                        rootLower, tipLower);
//      ApplySoleRecesses(rootLower, tipLower, spars, SelectSoles(spars, false), XLEr, cr, false,
//                        rootUpper, tipUpper);
//    Each sole lengthens both lists of its surface by two points.
//
// 3. First surface (walked from the last index down to 0):
//      auto chain = SelectCutOuts(spars, upper, /*ascending=*/false);
//    Before the walk, compute for each record of the chain its point index with
//    FirstSurfaceSparIndex(rootList, SparX(record, XLEr, cr)); a record without
//    an index is not cut on this surface. Walk: after the plain cut move to
//    point j (root j, tip j), emit, in chain order, the cut-out of every record
//    whose index is j, starting at (rootList[j], tipList[j]); then continue
//    with the plain move to point j - 1 (every point of the surface is visited).
//
// 4. Hinge rounds, at the leading edge L (root list 1 point 0) and M (tip):
//      for (i : SelectHinges(spars)) EmitHingeRound(out, spars[i], L, M, cr, ct, kerf);
//
// 5. Second surface (walked from index 0 up to the last):
//      auto chain = SelectCutOuts(spars, upper, /*ascending=*/true);
//    Index per record with SecondSurfaceSparIndex(...). Walk: at point i, when
//    at least one record has index i, the cut-outs of those records (chain
//    order) replace the plain move to point i (each cut-out's first move goes
//    to the point); otherwise the plain move to point i.
//
// 6. Cut-outs: EmitSparCutOut(out, record, P, Q, s, cr, ct, kerf, room) picks
//    the notch (types 1, 2) or the round slot (types 5, 6) by the record's
//    type; s = +1 on the upper surface, -1 on the lower surface. `room` is the
//    profile thickness at P and Q (SparRoomAt with the other surface's lists);
//    pass {} when unknown.
//
// Every emitter appends cut moves through `out` (CutEmitter::cut), each labelled
// with its prefix from the message catalogue followed by the record's label,
// and returns false as soon as a move is refused (the planner has reported it;
// the run ends). Every cut-out ends exactly where it started (P, Q), so the
// caller's next move starts from the surface point. Records that are not active
// or whose type does not match the emitter produce nothing and return true.
//
// Kerf: `kerf` is the current foam's kerf law at this cut's speed V, i.e.
// kerf(r) = foams.KerfOffset(V, r) for a side speed ratio r. Each cut-out asks
// for k1 = kerf(1.0) (root side) and for its tip side at its own size ratio.
//
// Degenerate records (e.g. from a hand-edited project file) are cut safely:
// - the distance p is limited to 1..99 % of the root chord for the position;
//   a record whose distance is not a finite number is never selected;
// - a zero (or negative, or non-finite) root chord, root width or root
//   thickness makes the proportional modes and the kerf ratios use 1 (tip =
//   root), never a division by zero;
// - non-finite or negative widths and thicknesses count as 0: a notch narrower
//   than two kerfs is cut with a zero-width path (straight in and out), a tube
//   radius smaller than the kerf becomes 0 (a plain slot down to the hole's
//   depth), a thickness smaller than the kerf gives a zero-depth notch;
// - with a known `room`, a cut-out never reaches past the opposite surface: a
//   notch deeper than the profile becomes a through slot (its bottom on the
//   opposite surface), and a round slot whose hole would break through the
//   opposite surface has its hole raised towards the cut surface (the tube's
//   diameter is kept; the slot depth above the hole shrinks, not below 0).

#include <cstddef>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "geometry/Point2D.h"
#include "model/Panel.h"

namespace orva {

class CutEmitter;

// Spar record types.
enum SparType : int {
  SparLowerNotch = 1,
  SparUpperNotch = 2,
  SparLowerSole = 3,
  SparUpperSole = 4,
  SparLowerRound = 5,
  SparUpperRound = 6,
  SparHinge = 7,
};

// Width / thickness modes of a record.
enum SparSizeMode : int { SizeTipEqualsRoot = 0, SizeProportional = 1, SizeEntered = 2 };

// The kerf law at this cut's speed: half the slot width (mm) for a side speed
// ratio r, i.e. FoamDatabase::KerfOffset(V, r).
using KerfAtRatio = std::function<double(double ratio)>;

// The profile thickness (mm, > 0) at the cut-out's root and tip points; 0 (or
// anything not positive and finite) means unknown, and the depth is not limited.
struct SparRoom {
  double root = 0.0;
  double tip = 0.0;
};

// --- Sizes -----------------------------------------------------------------

// Tip value by mode: 0 the root value, 1 root x tipChord / rootChord (the root
// value when the root chord is not positive), 2 the entered tip value.
double SparTipSize(int mode, double rootValue, double enteredTip, double rootChord,
                   double tipChord);
double SparTipWidth(const SparRecord& record, double rootChord, double tipChord);
double SparTipThickness(const SparRecord& record, double rootChord, double tipChord);

// --- Position and order ----------------------------------------------------

// The distance p used for cutting: limited to 1..99; nothing when it is not finite.
std::optional<double> SparCutDistance(const SparRecord& record);
// The ordering key: p when the distance-in-percent flag is set, p x rootChord otherwise.
double SparPositionKey(const SparRecord& record, double rootChord);
// Stores SparPositionKey into every record's positionKey.
void UpdatePositionKeys(std::span<SparRecord> spars, double rootChord);
// The spar's X on the root working lists: XLEr - cr x p / 100 (p limited to 1..99).
double SparX(const SparRecord& record, double xleRoot, double rootChord);

// Indexes into `spars` of the active notches and round spars of one surface
// (types 2 and 6 for upper, 1 and 5 for lower), ordered by positionKey,
// ascending (second surface) or descending (first surface). Equal keys keep
// array order. Uses the stored positionKey (see UpdatePositionKeys).
std::vector<std::size_t> SelectCutOuts(std::span<const SparRecord> spars, bool upper,
                                       bool ascending);
// Active soles of one surface (type 4 upper, 3 lower), descending positionKey.
std::vector<std::size_t> SelectSoles(std::span<const SparRecord> spars, bool upper);
// Active hinge rounds (type 7), in array order.
std::vector<std::size_t> SelectHinges(std::span<const SparRecord> spars);

// Point index of the root list at which the cut-out is made, for the surface
// cut first (walked from the trailing edge): the point just reached when the
// walk first meets a point whose X exceeds sparX. Nothing when the spar lies
// behind the trailing-edge point or in front of the leading-edge point.
std::optional<std::size_t> FirstSurfaceSparIndex(std::span<const Point2D> rootList, double sparX);
// For the surface cut second (walked from the leading edge): the first point
// whose X is below sparX. Nothing when the spar lies outside the list.
std::optional<std::size_t> SecondSurfaceSparIndex(std::span<const Point2D> rootList, double sparX);

// The vertical distance from `point` to the polyline `otherSurface` at point.x
// (0 when point.x is outside its X range or the list has fewer than 2 points).
double ProfileThicknessAt(std::span<const Point2D> otherSurface, Point2D point);
// SparRoom from the other surface's root and tip lists at P (root) and Q (tip).
SparRoom SparRoomAt(std::span<const Point2D> rootOther, std::span<const Point2D> tipOther,
                    Point2D rootPoint, Point2D tipPoint);

// --- Cut-outs ---------------------------------------------------------------

// Rectangular notch (types 1, 2): 8 cut moves labelled "Longeron " + label.
bool EmitSparNotch(CutEmitter& out, const SparRecord& record, Point2D rootPoint, Point2D tipPoint,
                   double s, double rootChord, double tipChord, const KerfAtRatio& kerf,
                   SparRoom room = {});
// Slot with round hole (types 5, 6): the entry "Entree saignee " + label, 24
// moves "Rond saignee " + label around the hole (0..360 degrees, closed), and
// "Sortie saignee " + label back to the surface point: 26 cut moves.
bool EmitRoundSlot(CutEmitter& out, const SparRecord& record, Point2D rootPoint, Point2D tipPoint,
                   double s, double rootChord, double tipChord, const KerfAtRatio& kerf,
                   SparRoom room = {});
// EmitSparNotch or EmitRoundSlot by the record's type (nothing for other types).
bool EmitSparCutOut(CutEmitter& out, const SparRecord& record, Point2D rootPoint, Point2D tipPoint,
                    double s, double rootChord, double tipChord, const KerfAtRatio& kerf,
                    SparRoom room = {});
// Hinge round (type 7) behind the leading edge L (root) / M (tip): entry
// "Entree saignee " + label, 24 moves "Rond articulation " + label (closed
// circle), "Sortie saignee " + label back to L, M: 26 cut moves.
bool EmitHingeRound(CutEmitter& out, const SparRecord& record, Point2D leRoot, Point2D leTip,
                    double rootChord, double tipChord, const KerfAtRatio& kerf);

// --- Soles ------------------------------------------------------------------

// Works the recesses of the records `soleChain` (indexes into `spars`, in that
// order; SelectSoles) into one surface's root and tip working lists (index 0
// at the leading edge). For each sole, on the root list: the spar's middle is
// the point of the surface at SparX; the recess runs from point i1 to point
// i2, the nearest points at least half the root width away from the middle
// along the surface on either side (i1 >= 1, i2 <= last). Both lists become:
// points 0..i1, points i1..i2 moved inwards by the root thickness (each at the
// intersection of its two neighbouring segments moved inwards; along the
// normal of the segment before it when their slopes differ by less than
// 0.001; an end point along its only segment's normal), points i2..last; two
// points longer, with a straight step down at i1 and up at i2. The tip list
// uses the same indexes. A sole outside the surface or of no width changes
// nothing.
//
// The lists must have the same number of points; when they do not, nothing
// is changed and false is returned. `upper`: the lists are the upper surface
// (inwards is downwards), else the lower surface. When the other surface's
// lists are given, a recess is never deeper than the thinnest profile
// thickness over the points it moves (it reaches the other surface at most).
bool ApplySoleRecesses(std::vector<Point2D>& rootList, std::vector<Point2D>& tipList,
                       std::span<const SparRecord> spars, std::span<const std::size_t> soleChain,
                       double xleRoot, double rootChord, bool upper,
                       std::span<const Point2D> rootOther = {},
                       std::span<const Point2D> tipOther = {});

}  // namespace orva
