#include "motion/ZeroAxisForm.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "driver/InterfaceDriver.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

int sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

// A distance d as a move between two non-negative coordinates: from -d to 0
// when d < 0, else from 0 to d, so that the travel check accepts it wherever
// the wire really is.
void splitDistance(double d, double& start, double& target) {
  if (d < 0.0) {
    start = -d;
    target = 0.0;
  } else {
    start = 0.0;
    target = d;
  }
}

}  // namespace

ZeroAxisForm::ZeroAxisForm(CutJob& job) : job_(job) {
  CutEnvironment& env = job_.environment();
  const TableConfig& table = env.machine.table;
  xStepTime = table.XVmax;
  yStepTime = table.YVmax;
  const FoamDatabase& foams = env.machine.foams;
  const FoamType* foam = foams.currentRecord();
  heat = std::clamp(foam != nullptr ? foam->maxSpeedHeat : foams.currentHeat, 1, 100);
}

std::string ZeroAxisForm::title() { return std::string(messageText(Msg::ZeroAxisTitle)); }

std::span<const FieldInfo> ZeroAxisForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::LeftX), "leftX", FieldKind::Text, messageText(Msg::Distance)},
      {id(Field::LeftY), "leftY", FieldKind::Text, messageText(Msg::Distance)},
      {id(Field::RightX), "rightX", FieldKind::Text, messageText(Msg::Distance)},
      {id(Field::RightY), "rightY", FieldKind::Text, messageText(Msg::Distance)},
      {id(Field::Heat), "heat", FieldKind::Text, messageText(Msg::HeatPercent)},
      {id(Field::TestDuration), "testDuration", FieldKind::Text,
       messageText(Msg::TestDurationSec)},
      {id(Field::XStepTime), "xStepTime", FieldKind::Text, messageText(Msg::XTimeBetweenStepsMs)},
      {id(Field::YStepTime), "yStepTime", FieldKind::Text, messageText(Msg::YTimeBetweenStepsMs)},
      {id(Field::XMaxSpeed), "xMaxSpeed", FieldKind::Display,
       messageText(Msg::XMaximumSpeedMmPerS)},
      {id(Field::YMaxSpeed), "yMaxSpeed", FieldKind::Display,
       messageText(Msg::YMaximumSpeedMmPerS)},
      {id(Field::Synchronized), "synchronized", FieldKind::Check,
       messageText(Msg::SynchronizedAxes)},
      {id(Field::Move), "move", FieldKind::Button, messageText(Msg::Move)},
      {id(Field::Test), "test", FieldKind::Button, messageText(Msg::Test)},
      {id(Field::SetZero), "setZero", FieldKind::Button, messageText(Msg::SetZero)},
  };
  return kTable;
}

std::string ZeroAxisForm::valueText(int field) const {
  switch (static_cast<Field>(field)) {
    case Field::LeftX:
      return shortestText(leftX);
    case Field::LeftY:
      return shortestText(leftY);
    case Field::RightX:
      return shortestText(rightX);
    case Field::RightY:
      return shortestText(rightY);
    case Field::Heat:
      return std::to_string(heat);
    case Field::TestDuration:
      return std::to_string(testDuration);
    case Field::XStepTime:
      return shortestText(xStepTime);
    default:
      return shortestText(yStepTime);
  }
}

std::string ZeroAxisForm::fieldText(int field) const {
  if (field == id(Field::XMaxSpeed)) return maxSpeedText(Axis::X);
  if (field == id(Field::YMaxSpeed)) return maxSpeedText(Axis::Y);
  // The typed text while it still stands for the value (a spin button or the
  // program may have changed the value since).
  const std::string shown = valueText(field);
  const std::string& typed = typed_[static_cast<std::size_t>(field)];
  double typedValue = leadingNumber(typed);
  if (field == id(Field::Heat) || field == id(Field::TestDuration)) {
    typedValue = truncToInt(typedValue);
  }
  return !typed.empty() && typedValue == leadingNumber(shown) ? typed : shown;
}

bool ZeroAxisForm::takeText(int field, std::string_view text) {
  typed_[static_cast<std::size_t>(field)] = std::string(text);
  const double value = leadingNumber(text);
  switch (static_cast<Field>(field)) {
    case Field::LeftX:
      leftX = value;
      break;
    case Field::LeftY:
      leftY = value;
      break;
    case Field::RightX:
      rightX = value;
      break;
    case Field::RightY:
      rightY = value;
      break;
    case Field::Heat:
      // The heat output takes a percentage: a typed value outside 1..100
      // becomes the nearest end, as the spin button keeps it.
      heat = std::clamp(truncToInt(value), 1, 100);
      break;
    case Field::TestDuration:
      testDuration = truncToInt(value);
      break;
    case Field::XStepTime:
      xStepTime = value;
      break;
    default:
      yStepTime = value;
      break;
  }
  return true;
}

double ZeroAxisForm::maxSpeed(Axis axis) const {
  const TableConfig& table = job_.environment().machine.table;
  return axis == Axis::X ? MaxAxisSpeed(table.XPas, table.XNtour, xStepTime)
                         : MaxAxisSpeed(table.YPas, table.YNtour, yStepTime);
}

std::string ZeroAxisForm::maxSpeedText(Axis axis) const { return fixedText(maxSpeed(axis), 4); }

void ZeroAxisForm::open() { job_.environment().driver.Start(); }

void ZeroAxisForm::spinStepTime(Axis axis, int delta) {
  const double tempo = job_.environment().machine.table.Tempo;
  if (!(tempo > 0.0) || !std::isfinite(tempo)) return;  // no period to count in
  double& time = axis == Axis::X ? xStepTime : yStepTime;
  // Whole periods first; the small allowance keeps a time typed as an exact
  // multiple of the period (0.3 ms at 0.1 ms) from losing a period to rounding.
  const double periods = std::trunc(time / tempo + 1e-9);
  double next = (periods - static_cast<double>(delta)) * tempo;
  if (!(next > 0.0)) next = tempo;
  time = next;
  notifyChanged();
}

void ZeroAxisForm::spinHeat(int delta) {
  const long long next = static_cast<long long>(heat) - delta;
  heat = static_cast<int>(std::clamp(next, 1LL, 100LL));
  notifyChanged();
}

bool ZeroAxisForm::pressArrow(Tower tower, int dX, int dY) {
  dX = sign(dX);
  dY = sign(dY);
  if (dX == 0 && dY == 0) return false;
  if (tower == Tower::Right && !rightArrowsEnabled()) return false;
  if (cutRunning_) return false;  // the driver streams the move under way
  job_.environment().driver.SetHeatOutput(0);
  held_ = HeldArrow{tower, dX, dY};
  repeatMs_ = kFirstRepeatMs;
  singleStep(*held_);
  return true;
}

bool ZeroAxisForm::repeatTick() {
  if (!held_) return false;
  const int next = static_cast<int>(std::trunc(static_cast<double>(repeatMs_) * kRepeatFactor));
  const bool shorter = next > xStepTime && next > yStepTime;
  if (shorter) repeatMs_ = next;
  singleStep(*held_);
  return shorter;
}

void ZeroAxisForm::releaseArrow() {
  held_.reset();
  repeatMs_ = kFirstRepeatMs;
}

bool ZeroAxisForm::arrowPressed(Tower tower, int dX, int dY) const {
  return held_ && held_->tower == tower && held_->dX == sign(dX) && held_->dY == sign(dY);
}

std::optional<CutMove> ZeroAxisForm::SingleStepMove(Tower tower, int dX, int dY, bool synchronized,
                                                    double intervalMs, double tempoMs) {
  const std::string label(messageText(Msg::SingleStepLabel));
  CutMove step;
  step.label = label;
  step.duration = 0.1;
  step.entries.reserve(2);
  if (!AppendStep(step, sign(dX), sign(dY), intervalMs, tempoMs)) return std::nullopt;
  if (synchronized) {
    DuplicateToBothTowers(step);
    return step;
  }
  if (tower == Tower::Left) return step;
  // The right tower alone: merged with a step-free stream as the left tower,
  // the step moves to the right tower's half of the command.
  CutMove idle;
  idle.label = label;
  idle.duration = 0.1;
  if (!AppendStep(idle, 0, 0, intervalMs, tempoMs)) return std::nullopt;
  return MergeTowerStreams(idle, step);
}

void ZeroAxisForm::singleStep(const HeldArrow& arrow) {
  const TableConfig& table = job_.environment().machine.table;
  const std::optional<CutMove> step =
      SingleStepMove(arrow.tower, arrow.dX, arrow.dY, synchronized_, table.YVmax, table.Tempo);
  // Straight to the driver: no Start, Stop or confirmation, and the planner
  // position stays as it is.
  if (step && !cutRunning_) job_.SendMove(*step);
}

bool ZeroAxisForm::validate() {
  CutEnvironment& env = job_.environment();
  const double tempo = env.machine.table.Tempo;
  const auto check = [&](double time, const char* axis, Field field) {
    if (std::isfinite(time) && time >= tempo) return true;
    const std::string message =
        formatMessage(Msg::MotorSpeedLowerThanTimer, {fixedText(tempo, 1), axis});
    env.prompt.showMessage(message, MessageIcon::Warning);
    return refuse(id(field), message);
  };
  if (!check(xStepTime, "X", Field::XStepTime) || !check(yStepTime, "Y", Field::YStepTime)) {
    return false;
  }
  focus_ = -1;
  return true;
}

ZeroAxisForm::~ZeroAxisForm() {
  if (cutRunning_) job_.runToEnd();
}

bool ZeroAxisForm::refuseWhileRunning() {
  if (!job_.running()) return false;
  job_.environment().prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Warning);
  return true;
}

bool ZeroAxisForm::move() {
  const std::optional<bool> started = startMove();
  if (!started) return false;
  if (*started) job_.runToEnd();
  return true;
}

std::optional<bool> ZeroAxisForm::startMove() {
  if (refuseWhileRunning() || !validate()) return std::nullopt;
  CutEnvironment& env = job_.environment();
  TableConfig& table = env.machine.table;
  table.XVmax = xStepTime;
  table.YVmax = yStepTime;
  if (leftX == 0.0 && leftY == 0.0 && rightX == 0.0 && rightY == 0.0) return false;

  double sXG = 0.0, tXG = 0.0, sYG = 0.0, tYG = 0.0;
  double sXD = 0.0, tXD = 0.0, sYD = 0.0, tYD = 0.0;
  splitDistance(leftX, sXG, tXG);
  splitDistance(leftY, sYG, tYG);
  splitDistance(rightX, sXD, tXD);
  splitDistance(rightY, sYD, tYD);

  env.driver.SetHeatOutput(heat);
  MovePlanner& planner = env.planner;
  const MovePlanner::Position before = planner.towers();
  planner.SetPlannerPosition(sXG, sYG, sXD, sYD);
  std::optional<CutMove> planned =
      planner.PlanMove(0.0, table.Entraxe, SpeedMode::Rapid, tXG, tYG, tXD, tYD, "");
  // The planner goes on from where the wire really is in its own frame: where
  // it believed the wire before, plus the distances when the move ran.
  const auto after = [&env, before, dXG = leftX, dYG = leftY, dXD = rightX,
                      dYD = rightY](bool moved) {
    const TableConfig& t = env.machine.table;
    const double k = moved ? 1.0 : 0.0;
    env.planner.SetPlannerPosition(
        before.XG - t.ZeroX + k * dXG, before.YG - t.ZeroY + k * dYG, before.XD - t.ZeroX + k * dXD,
        before.YD - t.ZeroY + k * dYD);
    env.driver.Start();
  };
  if (!planned) {
    after(false);
    return false;
  }
  MoveList moves;
  moves.push_back(std::move(*planned));
  return runOnMachine(std::move(moves),
                      [this, after](CutJobResult) { after(job_.lastCutMovesSent() > 0); });
}

bool ZeroAxisForm::test() {
  const std::optional<bool> started = startTest();
  if (!started) return false;
  if (*started) job_.runToEnd();
  return true;
}

std::optional<bool> ZeroAxisForm::startTest() {
  if (refuseWhileRunning() || !validate()) return std::nullopt;
  CutEnvironment& env = job_.environment();
  env.driver.SetHeatOutput(heat);
  MovePlanner& planner = env.planner;
  const MovePlanner::Position before = planner.towers();
  // A pause moves nothing (a refused one has reset the planner).
  const auto after = [&env, before] {
    const TableConfig& t = env.machine.table;
    env.planner.SetPlannerPosition(before.XG - t.ZeroX, before.YG - t.ZeroY, before.XD - t.ZeroX,
                                   before.YD - t.ZeroY);
    env.driver.Start();
  };
  std::optional<CutMove> dwell = planner.PlanDwell(static_cast<double>(testDuration) * 1000.0);
  if (!dwell) {
    after();
    return false;
  }
  MoveList moves;
  moves.push_back(std::move(*dwell));
  return runOnMachine(std::move(moves), [after](CutJobResult) { after(); });
}

bool ZeroAxisForm::setZero() {
  if (refuseWhileRunning() || !validate()) return false;
  CutEnvironment& env = job_.environment();
  env.machine.table.XVmax = xStepTime;
  env.machine.table.YVmax = yStepTime;
  releaseArrow();
  env.driver.Stop();
  env.planner.ResetPlanner();
  return true;
}

void ZeroAxisForm::cancel() {
  releaseArrow();
  // The move under way ends before the interface is stopped.
  if (cutRunning_) job_.runToEnd();
  job_.environment().driver.Stop();
}

bool ZeroAxisForm::runOnMachine(MoveList moves, CutJob::Finished after) {
  CutEnvironment& env = job_.environment();
  const int flags = firstRun_ ? kManualFirstCutFlags : kManualCutFlags;
  firstRun_ = false;
  struct MachineOutput {
    CutOutputOptions& output;
    bool cutToFile;
    ~MachineOutput() { output.cutToFile = cutToFile; }
  } restore{env.output, env.output.cutToFile};
  env.output.cutToFile = false;
  cutRunning_ = true;
  return job_.start(std::move(moves), flags, env.machine.foams.cutSpeed,
                    [this, after = std::move(after)](CutJobResult end) {
                      cutRunning_ = false;
                      after(end);
                    });
}

}  // namespace orva
