#include "cutting/PanelCutEstimate.h"

#include <cmath>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "cutting/CutWarnings.h"
#include "model/CT1Doc.h"
#include "motion/CutEnvironment.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

// Ends a survey and puts the planner's position back, however the run ends.
class SurveyScope {
 public:
  SurveyScope(MovePlanner& planner, const TableConfig& table, bool errorsOnly)
      : planner_(planner),
        table_(table),
        errorsOnly_(errorsOnly),
        towers_(planner.towers()),
        faces_(planner.facePoints()) {
    planner_.BeginSpeedSurvey(errorsOnly_);
  }
  SurveyScope(const SurveyScope&) = delete;
  SurveyScope& operator=(const SurveyScope&) = delete;

  void end(double& speed, std::string& label, std::string& error) {
    ended_ = true;
    planner_.EndSpeedSurvey(errorsOnly_, speed, label, error);
  }

  ~SurveyScope() {
    if (!ended_) {
      double speed = 0.0;
      std::string label;
      std::string error;
      planner_.EndSpeedSurvey(errorsOnly_, speed, label, error);
    }
    // The run leaves the planner where the planned cut ends (or at the
    // machine zero after a refusal); the wire has not moved.
    const auto same = [](const MovePlanner::Position& a, const MovePlanner::Position& b) {
      return a.XG == b.XG && a.YG == b.YG && a.XD == b.XD && a.YD == b.YD;
    };
    if (!same(planner_.towers(), towers_) || !same(planner_.facePoints(), faces_)) {
      planner_.SetPlannerPosition(towers_.XG - table_.ZeroX, towers_.YG - table_.ZeroY,
                                  towers_.XD - table_.ZeroX, towers_.YD - table_.ZeroY);
    }
  }

 private:
  MovePlanner& planner_;
  const TableConfig& table_;
  bool errorsOnly_;
  MovePlanner::Position towers_;
  MovePlanner::Position faces_;
  bool ended_ = false;
};

}  // namespace

std::vector<CutWarning> PanelCutWarnings(const PanelCutResult& planned, const CT1Doc& doc,
                                         const CutEnvironment& env,
                                         const MovePlanner::Position& start) {
  const FoamDatabase& foams = env.machine.foams;
  return FindCutWarnings(planned.moves, PanelCutWarningSetup(planned, env.machine.table, foams,
                                                             doc.current(), foams.cutSpeed, start));
}

PanelCutEstimate EstimatePanelCut(CT1Doc& doc, CutEnvironment& env, bool errorsOnly, double speed,
                                  PanelCutResult* placement) {
  PanelCutEstimate result;
  result.speed = speed;
  const MovePlanner::Position start = env.planner.towers();
  SurveyScope scope(env.planner, env.machine.table, errorsOnly);
  PanelCutResult planned;
  {
    PanelCutPlanner cut(doc, env);
    planned = cut.Plan();
    if (placement) *placement = cut.lastResult();
  }
  scope.end(result.speed, result.label, result.error);
  if (errorsOnly && planned.ok() && result.error.empty() && doc.currentPanel >= 0) {
    result.warnings = PanelCutWarnings(planned, doc, env, start);
  }
  return result;
}

PanelCutSurvey SurveyPanelCut(CT1Doc& doc, CutEnvironment& env, std::optional<double> speed) {
  PanelCutSurvey out;
  FoamDatabase& foams = env.machine.foams;
  const FoamType* foam = foams.currentRecord();
  if (!foam) {
    out.errors.push_back(std::string(messageText(Msg::InvalidFoamType)));
    return out;
  }
  const double savedSpeed = foams.cutSpeed;
  PanelCutResult placement;
  out.estimate = EstimatePanelCut(doc, env, false, savedSpeed, &placement);
  out.placement = std::move(placement);
  out.placement->moves.clear();
  if (!out.estimate.error.empty()) {
    out.errors.push_back(out.estimate.error);
    return out;
  }
  out.maxSpeed = out.estimate.speed;
  out.cutSpeed = speed ? *speed : foam->heatMode == FixedHeat ? foam->maxSpeed : *out.maxSpeed;
  if (!(*out.cutSpeed > 0.0 && std::isfinite(*out.cutSpeed))) {
    out.errors.push_back(
        fillInserts(messageText(Msg::InvalidCutSpeed), {numberText(*out.cutSpeed)}));
    return out;
  }

  // The list at the cut speed, with its errors collected rather than shown.
  foams.cutSpeed = *out.cutSpeed;
  {
    SurveyScope scope(env.planner, env.machine.table, true);
    const MovePlanner::Position start = env.planner.towers();
    PanelCutPlanner cut(doc, env);
    const PanelCutResult planned = cut.Plan();
    double unused = 0.0;
    std::string label;
    std::string error;
    scope.end(unused, label, error);
    if (planned.ok() && error.empty()) {
      out.moves = planned.moves.size();
      double total = 0.0;
      for (const CutMove& move : planned.moves) total += move.duration;
      out.totalTime = total;
      out.warnings = PanelCutWarnings(planned, doc, env, start);
    } else {
      out.errors.push_back(error.empty() ? cut.lastResult().message : error);
    }
  }
  foams.cutSpeed = savedSpeed;
  out.heat = foams.HeatForSpeed(*out.cutSpeed);
  // A fixed heat may be 100 %; a computed one is sent only below 100 %.
  const bool fixed = foam->heatMode == FixedHeat || foam->maxSpeed == foam->minSpeed;
  if (out.heat && (*out.heat < 0 || *out.heat > (fixed ? 100 : 99))) {
    out.errors.push_back(
        formatMessage(Msg::InvalidPowerCoefficient, {std::to_string(*out.heat) + "%"}));
  }
  return out;
}

}  // namespace orva
