#pragma once

#include <optional>
#include <string>

#include "cutting/KerfCompensation.h"
#include "geometry/Point2D.h"
#include "geometry/Section.h"
#include "motion/CutMove.h"

namespace orva {

class CT1Doc;
class CutJob;
struct CutEnvironment;
struct Panel;

// How a panel cut run ended.
enum class PanelCutStatus {
  Ok,               // the move list was built (Run: and executed, or totalled in survey mode)
  Cancelled,        // the user cancelled the clearance warning: nothing emitted
  Refused,          // the panel or the table cannot be cut as set (message reported)
  PlanFailed,       // the move planner refused a move (it has reported why)
  HeatRefused,      // the wire heat for the cut speed could not be set: nothing executed
  ExecutionFailed,  // the list was handed to execution, which did not complete it
};

// The block in one section plane, as the cut places it (cut coordinates, mm):
// from its rear face (the trailing edge plus its margin behind it) to its
// front face (the leading edge plus its effective margin), from the table
// (Y 0) up to the foam thickness.
struct BlockFace {
  double rear = 0.0;
  double front = 0.0;
  double bottom = 0.0;
  double top = 0.0;
};

// What one panel cut planned. Everything but `moves` stays meaningful after Run().
struct PanelCutResult {
  PanelCutStatus status = PanelCutStatus::Refused;
  bool ok() const { return status == PanelCutStatus::Ok; }

  // The planned moves in execution order (Plan() only; Run() hands them to execution).
  MoveList moves;

  // Block placement of this cut.
  double leftDistance = 0.0;  // D: left tower to the nearer section plane, mm
  double span = 0.0;          // S: between the root and the tip section planes, mm
  bool swapped = false;       // root on face 2 (exactly one of: reverse table, left wing)
  int entraxe = 0;            // distance between the towers, mm
  double xleRoot = 0.0;       // X of the leading edge of each section plane, mm
  double xleTip = 0.0;
  double rootChord = 0.0;  // chords as cut (after an intermediate section)
  double tipChord = 0.0;
  double rootKerf = 0.0;  // wire kerf of each side, mm
  double tipKerf = 0.0;
  BlockFace rootBlock;  // the block in the root and in the tip section plane
  BlockFace tipBlock;
  // Added to every Y of each side's outline: Y in cut coordinates is the
  // height above the block bottom (as the section draws it) plus the lift.
  double rootLift = 0.0;
  double tipLift = 0.0;

  // The corrected outlines (kerf, skin, lift, leading-edge junction, root-tip
  // correspondence, spar-cap recesses) in cut coordinates: the surface cuts
  // go through these points, index by index at root and tip.
  CutOutlines outlines;
  // The corrected outlines (before the spar-cap recesses) written back in
  // chord fractions, x = (XLE - X) / c and y = (Y - lift - h) / c, into copies
  // of the panel's sections prepared for the cut (cutUpper/cutLower; chord and
  // trailing-edge margin as cut), for views that show the outline as cut. The
  // panel's own sections are never changed by a run.
  std::optional<Section> cutRoot;
  std::optional<Section> cutTip;

  // The refusal text when status is Refused (also reported through the move
  // planner: a message box, or the survey's last error).
  std::string message;
};

// Plans the cut of the current panel of a project: the heating pause, the way
// from the home position to the block, the optional trimming of the block's
// front and rear faces, the profile (both surfaces with their trailing-edge
// prolongations, the leading-edge treatment, the spar cut-outs and hinge rounds;
// or one closed outline for a panel that is not a wing panel) and the way home.
//
// Everything is read from the document (doc.cutChoices), its current panel, the
// table configuration and the foam database (cut speed, current foam) of the
// environment's machine. One planner per cut; Plan() or Run() once.
//
// The run works on copies of the panel's sections: neither a real cut nor a
// survey run changes the project. Survey runs (the Panel Cutting form's speed
// estimate) are Run() between MovePlanner::BeginSpeedSurvey and
// EndSpeedSurvey: while message boxes are off the clearance question is not
// asked, no heat is sent, execution only totals, and refusals become the
// survey's last error.
//
// Refused before any move (status Refused, reported through
// MovePlanner::ReportPlanError): a chord or span that is not positive; a cut
// speed that is not positive (except while surveying, which finds the speed);
// a panel without outline; a closed outline (not a wing panel) with other
// point counts at root and tip ("Differing number of points at root and
// tip."); an intermediate section outside the panel; a block reaching beyond
// the left tower. The block placement uses the span actually cut (Z or S - Z
// with an intermediate section), so the root stays R from its tower.
class PanelCutPlanner {
 public:
  PanelCutPlanner(CT1Doc& doc, CutEnvironment& env);
  virtual ~PanelCutPlanner();
  PanelCutPlanner(const PanelCutPlanner&) = delete;
  PanelCutPlanner& operator=(const PanelCutPlanner&) = delete;

  // Builds the whole move list without executing it (tests, geometric checks,
  // cut scripts and G-code). The planner's position state advances as for a
  // real cut; after a failure it has been reset by the planner.
  PanelCutResult Plan();
  // Plan() reduced to the list: nothing when the run did not build one.
  std::optional<MoveList> BuildMoves();
  // Plan(); then, unless surveying (or message boxes are off), the wire heat for the cut speed
  // (ApplyHeatForSpeed; refused: nothing executed); then the program's job
  // starts the list with kConfirmedCutFlags at the cut speed and Start returns at
  // once: true when the job runs (its owner services it), false when the cut
  // is already over (job.result() tells how) or nothing was started. The
  // planning outcome stays available in lastResult() (without moves).
  bool Start(CutJob& job);
  // Start() and the job run to its end. True when the list was executed
  // completely (or totalled in survey mode).
  bool Run(CutJob& job);

  const PanelCutResult& lastResult() const { return result_; }

 private:
  CT1Doc& doc_;
  CutEnvironment& env_;
  PanelCutResult result_;
};

// For a panel that is not a wing panel: whether the closed outlines the cut
// would walk have different numbers of points at root and tip (such a panel is
// refused with "Differing number of points at root and tip."). False for a
// wing panel, whose tip is matched to the root point for point.
bool PanelOutlineCountsDiffer(const Panel& panel);

}  // namespace orva
