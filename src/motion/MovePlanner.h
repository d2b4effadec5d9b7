#pragma once

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "motion/CutMove.h"

namespace orva {

struct TableConfig;
class FoamDatabase;
class UserPrompt;

// Turns wire moves into tower targets and timed step streams, one move after
// the other from a single state: where the wire will be once every move planned
// so far has run. All stored positions are absolute (machine zero offsets applied).
//
// The planner reads the table configuration at every call, so a changed table
// takes effect at the next move (call ResetPlanner after a change). Failures are
// reported through ReportPlanError and reset the positions to the machine zero.
class MovePlanner {
 public:
  // Largest number of 2-byte entries one move may need (both towers together).
  static constexpr double kMaxMoveEntries = 2147483648.0;  // 2^31

  MovePlanner(const TableConfig& table, FoamDatabase& foams, UserPrompt& prompt);

  // A move given by the wire's crossing points on the two block faces
  // (relative to the machine zero). Nothing on failure (already reported).
  std::optional<CutMove> PlanMove(double blockOffset, double blockWidth, SpeedMode speedMode,
                                  double X1, double Y1, double X2, double Y2,
                                  std::string_view label);
  // A move given directly as tower targets (relative to the machine zero) and a duration in s.
  // The towers go from where they are (not from the face points a block move
  // left behind); targets equal to the tower positions make a pause
  // (PlanDwell) of that duration.
  std::optional<CutMove> PlanScriptMove(double XG, double YG, double XD, double YD, double duration,
                                        std::string_view label);
  // A pause of `milliseconds` at the current position, labelled "Tempo": entries
  // without steps of at most 126 timer periods. A negative length is no pause.
  std::optional<CutMove> PlanDwell(double milliseconds);

  void SetPlannerPosition(double XG, double YG, double XD, double YD);
  // The state once `move` has run: its tower targets, the axis directions it
  // left, no residual. For a cut that stopped after this move.
  void SetPlannerToEndOf(const CutMove& move);
  AxisDirections directions() const;
  // While a cut runs the planner is busy: every planning request is refused
  // with "A cut is running" (the planner keeps its state).
  void setBusy(bool busy) { busy_ = busy; }
  bool busy() const { return busy_; }
  // Absolute tower targets within the table's travel (X in [-0.00001, AxesX],
  // Y in [-0.00001, AxesY]); otherwise "axis limit overflow" is reported and
  // the planner reset.
  bool CheckAxisLimits(double XG, double XD, double YG, double YD, std::string_view label);
  void ResetPlanner();
  void clearResiduals();

  void BeginSpeedSurvey(bool errorsOnly);
  void EndSpeedSurvey(bool errorsOnly, double& speed, std::string& label, std::string& error);
  bool surveying() const { return surveyMode_; }
  bool messageBoxesOn() const { return messageBoxes_; }

  // Shows the text, or keeps it as the last error while message boxes are off.
  void ReportPlanError(std::string_view text);
  const std::string& lastError() const { return lastError_; }

  // Planner state, absolute mm.
  struct Position {
    double XG = 0.0, YG = 0.0, XD = 0.0, YD = 0.0;
  };
  Position towers() const { return towers_; }
  // The last requested crossing points on face 1 (XG/YG) and face 2 (XD/YD).
  Position facePoints() const { return faces_; }
  // The fraction of a step (mm) not yet output on each axis.
  Position residuals() const { return residual_; }
  // The lowest feasible speed found by the survey so far (mm/s) and its move.
  double surveySpeed() const { return surveySpeed_; }

 private:
  // One tower's stream while it is generated (low-nibble commands).
  struct TowerStream {
    std::unique_ptr<std::uint8_t[]> data;
    std::size_t capacity = 0;  // bytes allocated
    std::size_t size = 0;      // bytes written
    double exactMs = 0.0;
    double scheduledMs = 0.0;
  };
  // The last direction of a tower's two axes (0: none yet).
  struct TowerDirections {
    int x = 0;
    int y = 0;
  };
  // Step counts of one tower's move, worked out before anything is written.
  struct TowerPlan {
    double x = 0.0, y = 0.0;  // mm to move, residual included
    std::int64_t nx = 0, ny = 0;
    int dirX = 1, dirY = 1;
    int bx = 0, by = 0;  // backlash entries
    double period = 0.0;
    double entryBound = 0.0;  // at most this many entries
    double capacity = 0.0;    // the documented capacity, entries

    // Whether the two plans produce the same stream and residuals.
    bool sameSteps(const TowerPlan& other) const {
      return std::bit_cast<std::uint64_t>(x) == std::bit_cast<std::uint64_t>(other.x) &&
             std::bit_cast<std::uint64_t>(y) == std::bit_cast<std::uint64_t>(other.y) &&
             nx == other.nx && ny == other.ny && dirX == other.dirX && dirY == other.dirY &&
             bx == other.bx && by == other.by && period == other.period;
    }
  };

  bool checkTable(bool forDwell);
  bool checkFinite(std::initializer_list<double> values, std::string_view label);
  std::optional<TowerPlan> prepareTower(double dX, double dY, double residualX, double residualY,
                                        double durationS, std::string_view towerName,
                                        std::string_view label, TowerDirections& directions);
  void generateTower(const TowerPlan& plan, double& residualX, double& residualY,
                     TowerStream& stream) const;
  static void copyStream(const TowerStream& from, TowerStream& to);
  std::optional<CutMove> planTowers(double dXG, double dYG, double dXD, double dYD,
                                    double durationS, std::string_view label);
  void recordSurveySpeed(SpeedMode mode, double dXG, double dYG, double dXD, double dYD, double dX1,
                         double dY1, double dX2, double dY2, double& speed, std::string_view label);
  void fail(std::string_view text);
  bool refuseWhileBusy();

  const TableConfig& table_;
  FoamDatabase& foams_;
  UserPrompt& prompt_;

  Position towers_;
  Position faces_;  // face 1 in XG/YG, face 2 in XD/YD
  Position residual_;
  TowerDirections leftDirections_;
  TowerDirections rightDirections_;
  bool surveyMode_ = false;
  bool messageBoxes_ = true;
  bool busy_ = false;
  double surveySpeed_ = 100.0;
  std::string surveyLabel_;
  std::string lastError_;
  TowerStream left_;  // scratch streams, kept to reuse their memory
  TowerStream right_;
  TowerStream merged_;
};

// Copies the low nibble of every command byte into the high nibble, so the right
// tower makes exactly the steps of the left tower.
void DuplicateToBothTowers(CutMove& move);

}  // namespace orva
