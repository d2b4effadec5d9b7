#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cutting/CutWarnings.h"
#include "cutting/PanelCutPlanner.h"

namespace orva {

class CT1Doc;
struct CutEnvironment;

// What one speed estimate found: the highest speed the motors and the wire
// heat allow (mm/s, truncated to 0.01; the speed it was given when only errors
// were collected), the label of the move (or heat rule) that limits it, and
// the last planning error (empty when none). When only errors were collected
// the moves were planned at the cut speed, and `warnings` holds what
// FindCutWarnings finds in them (nothing after a speed search, whose move
// times are the motors' and not the cut's, or after an error).
struct PanelCutEstimate {
  double speed = 0.0;
  std::string label;
  std::string error;
  std::vector<CutWarning> warnings;
};

// Plans the cut of the project's current panel, as the project and panel are
// set now, between MovePlanner::BeginSpeedSurvey(errorsOnly) and
// EndSpeedSurvey: nothing is executed, no message is shown, no heat is sent,
// and the planner's position is put back as it was. errorsOnly: no speed
// search, the result keeps `speed`. `placement` (when given) receives the
// run's outcome (block placement, status).
PanelCutEstimate EstimatePanelCut(CT1Doc& doc, CutEnvironment& env, bool errorsOnly, double speed,
                                  PanelCutResult* placement = nullptr);

// The warnings of a panel cut planned at the environment's cut speed from
// the absolute tower positions `start` (the planner's before the run), for
// the project's current panel.
std::vector<CutWarning> PanelCutWarnings(const PanelCutResult& planned, const CT1Doc& doc,
                                         const CutEnvironment& env,
                                         const MovePlanner::Position& start);

// A whole survey of a panel cut, as the cutting dialog opens it: the
// estimate for the current foam, the cut speed (the one given, or what the
// dialog shows first: the surveyed maximum for a ComputedHeat foam, the
// measured speed maxSpeed for a FixedHeat one), and at that speed the move
// list's size and time, the heat the foam needs and the warnings of the
// list. Values that could not be computed are absent; `errors` holds every
// error of the run in order.
struct PanelCutSurvey {
  PanelCutEstimate estimate;
  std::optional<double> maxSpeed;    // the surveyed maximum (none after an error)
  std::optional<double> cutSpeed;    // mm/s
  std::optional<std::size_t> moves;  // at cutSpeed
  std::optional<double> totalTime;   // s, at cutSpeed
  std::optional<int> heat;           // %, at cutSpeed
  std::optional<PanelCutResult> placement;
  std::vector<std::string> errors;
  std::vector<CutWarning> warnings;  // of the list at cutSpeed (FindCutWarnings)
  bool ok() const { return errors.empty(); }
};

// Surveys the cut of the project's current panel with the current foam of
// the environment's machine. Nothing is executed or sent to the interface;
// the foam database's cutSpeed and currentHeat are left unchanged.
PanelCutSurvey SurveyPanelCut(CT1Doc& doc, CutEnvironment& env,
                              std::optional<double> speed = std::nullopt);

}  // namespace orva
