#pragma once

#include <optional>
#include <string>

#include "motion/CutMove.h"

namespace orva {

class CutJob;
class MovePlanner;
struct TableConfig;

// The auxiliary cuts: block shaping (vertical trims of the rear and front
// faces of a foam block), the test cut series for kerf calibration (horizontal
// slices at a fixed spacing) and the foam cut (one vertical, inclined or
// horizontal cut in two actions: raise the wire, then cut). Each has a form
// (the dialog without its widgets: BlockShapingForm, TestCutForm, FoamCutForm
// on AuxiliaryFormBase) and a builder here that plans its moves without
// executing them; the run functions build and hand the list to execution.
//
// All of them work on the block as it stands on the table: the left side is
// face 1 of the planner and the sides are never swapped.

// Refusals of values that would make a cut loop forever, divide by zero or
// cut at the speed of a rapid move. "%1"/"%2" are filled with the values.
// Values of the auxiliary cut dialogs kept with the project between uses (the
// clearance height is the project's cutChoices.clearance).
struct AuxiliaryCutValues {
  double blockLength = 0.0;  // mm; 0: not chosen yet
  int testCutSpacing = 10;   // mm
  int blockTaper = 0;        // mm, left front face minus right front face
  int leftWidth = 0;         // mm; 0: not chosen yet
  int rightWidth = 0;        // mm; 0: not chosen yet

  friend bool operator==(const AuxiliaryCutValues&, const AuxiliaryCutValues&) = default;
};

// Choices remembered while the program runs.
struct AuxiliaryCutSession {
  bool blockCentred = true;   // the last "Block centered" choice
  bool startWithTop = false;  // "Start with the top" of the test cut
};

// Pauses, ms.
inline constexpr double kBlockShapingHeatMs = 10000.0;
inline constexpr double kFoamCutEndPauseMs = 3000.0;  // after the foam cut's return

// Degrees to radians as the foam cut converts its angle.
inline constexpr double kFoamCutRadiansPerDegree = 0.017453292519444445;

// The largest test cut series planned; far beyond any block (1 mm spacing
// over a metre of foam), it keeps the move list bounded.
inline constexpr int kMaxTestCuts = 1000;

// A cut the job started (`started`) runs to its end; true when it was done.
bool RunStartedCut(CutJob& job, bool started);

// --- Block geometry ------------------------------------------------------

// X of the four vertical faces of a block (mm, cut coordinates): left is face 1.
struct BlockFaces {
  double leftRear = 0.0;
  double rightRear = 0.0;
  double leftFront = 0.0;
  double rightFront = 0.0;
};

// The faces of a block of left width Lw and right width Rw whose left front
// face stands `taper` further forward than the right one, its rear faces as
// near to x0 as possible: with e = Lw - Rw - taper, left rear = x0 + max(-e, 0),
// right rear = x0 + max(e, 0), each front = its rear + its width.
BlockFaces ComputeBlockFaces(double x0, double leftWidth, double rightWidth, double taper);

// The left axis offset of a block of `length` centred between wire supports
// `entraxe` apart: the integer part of entraxe - length, halved by integer
// division (saturated to the int range).
int CentredAxisOffset(int entraxe, double length);

// --- Block shaping -------------------------------------------------------

struct BlockShapingParams {
  double x0 = 20.0;
  double leftWidth = 0.0;
  double rightWidth = 0.0;
  double taper = 0.0;
  double length = 0.0;          // block length: the planner's block width
  double leftAxisOffset = 0.0;  // left wire support to the left face: the planner's block offset
  double clearance = 0.0;       // Yc, the height the wire travels at
};

// The moves of block shaping: a 10 s pause; "Move to block start" (rapid to
// (0, Yc), then to the rear faces at Yc); the vertical trim of the rear faces
// up to Yc; "Move to leading edge margin" (rapid to the front faces at Yc);
// the vertical trim of the front faces; "Return to the initial position"
// (rapid to (0, Yc), then to (0, 0)). Nothing when the planner refused a move
// (it has reported why).
std::optional<MoveList> BuildBlockShapingMoves(MovePlanner& planner, const BlockShapingParams& p);

// Builds the moves, sets the heat for the current cut speed and starts them on
// the job with confirmation (kConfirmedCutFlags). Nothing when the moves or the heat were
// refused; otherwise whether the job runs (see CutJob::start).
std::optional<bool> StartBlockShaping(CutJob& job, const BlockShapingParams& p);
// StartBlockShaping and the job run to its end. False when a step failed or
// the cut did not run completely.
bool RunBlockShaping(CutJob& job, const BlockShapingParams& p);

// --- Test cut --------------------------------------------------------------

struct TestCutParams {
  double x0 = 20.0;
  int leftWidth = 0;
  int rightWidth = 0;
  int taper = 0;
  double length = 0.0;
  double leftAxisOffset = 0.0;
  double clearance = 0.0;
  int height = 0;   // block height, mm
  int spacing = 0;  // mm between slices
  bool startWithTop = false;
};

// Number of slices: (height - 1) / spacing by integer division; nothing for
// a spacing of 0.
std::optional<int> TestCutCount(int height, int spacing);

// Why the series cannot be planned (spacing below 1 mm, no slice at all, more
// than kMaxTestCuts slices, a width of 0 or less), or nothing when it can.
std::optional<std::string> CheckTestCut(const TestCutParams& p);

// How far the wire runs past the faces on each side: 5 mm on the narrower
// side, 5 mm x wider / narrower width on the wider one (left when equal).
struct TestCutOvershoot {
  double left = 0.0;
  double right = 0.0;
};
TestCutOvershoot ComputeTestCutOvershoot(int leftWidth, int rightWidth);

// The moves of the test cut: a pause of Chauffe s labelled "Move to block
// start", the slices ("Slice cut %1", every move FaceMax) from the bottom or
// from the top, then "Return to the initial position" to (0, 0). Nothing when
// CheckTestCut refuses the values (reported through the planner) or the
// planner refused a move.
std::optional<MoveList> BuildTestCutMoves(MovePlanner& planner, const TableConfig& table,
                                          const TestCutParams& p);

// Builds the moves and starts them on the job with confirmation (kConfirmedCutFlags) at the
// current cut speed; the heat was set by the form. Nothing when the moves were
// refused; otherwise whether the job runs.
std::optional<bool> StartTestCut(CutJob& job, const TestCutParams& p);
// StartTestCut and the job run to its end.
bool RunTestCut(CutJob& job, const TestCutParams& p);

// --- Foam cut --------------------------------------------------------------

// The wire's travel: from (0, y0) to (dx, dy + y0) on both sides.
struct FoamCutGeometry {
  double dx = 0.0;
  double dy = 0.0;
  double y0 = 0.0;
};

// Inclined or vertical: dx = height x tan(alpha), dy = height, y0 = 0.
// Horizontal: dx = cut width, dy = 0, y0 = the Y offset.
FoamCutGeometry ComputeFoamCutGeometry(bool horizontal, double height, double alphaDegrees,
                                       int cutWidth, double yOffset);

// First action: a pause of Chauffe s, then to (0, y0) and to (dx, dy + y0),
// both sides alike (the bare wire), Rapid when raising at maximum speed and
// FaceMax otherwise.
std::optional<MoveList> BuildFoamCutRaiseMoves(MovePlanner& planner, const TableConfig& table,
                                               const FoamCutGeometry& g, bool raiseAtMaxSpeed);
// Second action: a pause of Chauffe s, FaceMax to (0, y0), FaceMax to (0, 0),
// a pause of 3000 ms.
std::optional<MoveList> BuildFoamCutReturnMoves(MovePlanner& planner, const TableConfig& table,
                                                const FoamCutGeometry& g);

}  // namespace orva
