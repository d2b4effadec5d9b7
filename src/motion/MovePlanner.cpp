#include "motion/MovePlanner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"
#include "config/TableConfig.h"

namespace orva {

namespace {

// Lowest coordinate the travel check accepts: a target a rounding error below
// the machine zero is still at the zero.
constexpr double kLowestCoordinate = -0.00001;
// Tolerance of the step period checks, ms.
constexpr double kPeriodTolerance = 0.001;

// A value truncated toward zero, printed as an integer: "-0.5" gives "0", not "-0".
std::string formatTruncated(double value) {
  if (!std::isfinite(value)) return fixedText(value, 0);
  return fixedText(std::trunc(value) + 0.0, 0);
}

std::string withLabel(std::string text, std::string_view label) {
  text.append(label);
  return text;
}

}  // namespace

MovePlanner::MovePlanner(const TableConfig& table, FoamDatabase& foams, UserPrompt& prompt)
    : table_(table), foams_(foams), prompt_(prompt) {
  ResetPlanner();
}

void MovePlanner::SetPlannerPosition(double XG, double YG, double XD, double YD) {
  towers_ = {XG + table_.ZeroX, YG + table_.ZeroY, XD + table_.ZeroX, YD + table_.ZeroY};
  faces_ = towers_;
  residual_ = {};
}

void MovePlanner::SetPlannerToEndOf(const CutMove& move) {
  towers_ = {move.XG, move.YG, move.XD, move.YD};
  faces_ = towers_;
  residual_ = {};
  leftDirections_ = {move.directions.XG, move.directions.YG};
  rightDirections_ = {move.directions.XD, move.directions.YD};
}

AxisDirections MovePlanner::directions() const {
  return {leftDirections_.x, leftDirections_.y, rightDirections_.x, rightDirections_.y};
}

bool MovePlanner::refuseWhileBusy() {
  if (busy_) ReportPlanError(messageText(Msg::CutRunning));
  return busy_;
}

void MovePlanner::ResetPlanner() {
  towers_ = {table_.ZeroX, table_.ZeroY, table_.ZeroX, table_.ZeroY};
  faces_ = towers_;
  residual_ = {};
}

void MovePlanner::clearResiduals() { residual_ = {}; }

void MovePlanner::ReportPlanError(std::string_view text) {
  if (messageBoxes_) {
    prompt_.showMessage(text, MessageIcon::None);
  } else {
    lastError_ = std::string(text);
  }
}

void MovePlanner::fail(std::string_view text) {
  ReportPlanError(text);
  ResetPlanner();
}

// ---------------------------------------------------------------------------
// Checks

bool MovePlanner::checkTable(bool forDwell) {
  const TableConfig& t = table_;
  if (!(t.Tempo > 0.0) || !std::isfinite(t.Tempo)) {
    fail(fillInserts(messageText(Msg::InvalidTimerPeriod), {shortestText(t.Tempo)}));
    return false;
  }
  if (forDwell) {
    // A pause is cut into chunks of whole milliseconds of at most 126 periods.
    if (std::trunc(126.0 * t.Tempo) < 1.0) {
      fail(fillInserts(messageText(Msg::TimerPeriodTooShortForPause), {shortestText(t.Tempo)}));
      return false;
    }
    return true;
  }
  struct AxisDrive {
    std::string_view name;
    double pitch;
    int stepsPerRevolution;
    double minStepTime;
  };
  const std::array<AxisDrive, 2> axes{
      {{"X", t.XPas, t.XNtour, t.XVmax}, {"Y", t.YPas, t.YNtour, t.YVmax}}};
  for (const AxisDrive& axis : axes) {
    if (!(axis.pitch > 0.0) || !std::isfinite(axis.pitch)) {
      fail(
          fillInserts(messageText(Msg::InvalidScrewThread), {axis.name, shortestText(axis.pitch)}));
      return false;
    }
  }
  for (const AxisDrive& axis : axes) {
    if (axis.stepsPerRevolution <= 0) {
      fail(fillInserts(messageText(Msg::InvalidStepsPerRevolution),
                       {axis.name, std::to_string(axis.stepsPerRevolution)}));
      return false;
    }
  }
  for (const AxisDrive& axis : axes) {
    if (!(axis.minStepTime >= 0.0) || !std::isfinite(axis.minStepTime)) {
      fail(fillInserts(messageText(Msg::InvalidMinimumStepTime),
                       {axis.name, shortestText(axis.minStepTime)}));
      return false;
    }
  }
  // The backlash moves run at a percentage of the maximum speeds; both
  // percentages can be used as soon as either axis has backlash.
  if (t.XPasInvSens > 0 || t.YPasInvSens > 0) {
    if (t.VitesseInvSensX <= 0) {
      fail(fillInserts(messageText(Msg::InvalidBacklashSpeed),
                       {"X", std::to_string(t.VitesseInvSensX)}));
      return false;
    }
    if (t.VitesseInvSensY <= 0) {
      fail(fillInserts(messageText(Msg::InvalidBacklashSpeed),
                       {"Y", std::to_string(t.VitesseInvSensY)}));
      return false;
    }
  }
  return true;
}

bool MovePlanner::checkFinite(std::initializer_list<double> values, std::string_view label) {
  for (double value : values) {
    if (!std::isfinite(value)) {
      fail(withLabel(std::string(messageText(Msg::InvalidMoveValue)), label));
      return false;
    }
  }
  return true;
}

bool MovePlanner::CheckAxisLimits(double XG, double XD, double YG, double YD,
                                  std::string_view label) {
  const double travelX = static_cast<double>(table_.AxesX);
  const double travelY = static_cast<double>(table_.AxesY);
  struct Target {
    double value;
    double travel;
    Msg tower;
    std::string_view axis;
  };
  const std::array<Target, 4> targets{{{XG, travelX, Msg::Left, " X"},
                                       {XD, travelX, Msg::Right, " X"},
                                       {YG, travelY, Msg::Left, " Y"},
                                       {YD, travelY, Msg::Right, " Y"}}};
  for (const Target& target : targets) {
    if (!(target.value >= kLowestCoordinate && target.value <= target.travel)) {
      const std::string axisName =
          std::string(messageText(target.tower)) + std::string(target.axis);
      fail(withLabel(
          formatMessage(Msg::AxisLimitOverflow, {axisName, formatTruncated(target.value)}), label));
      return false;
    }
  }
  return true;
}

// ---------------------------------------------------------------------------
// Step generation

std::optional<MovePlanner::TowerPlan> MovePlanner::prepareTower(
    double dX, double dY, double residualX, double residualY, double durationS,
    std::string_view towerName, std::string_view label, TowerDirections& directions) {
  const TableConfig& t = table_;
  TowerPlan plan;
  plan.x = dX + residualX;
  plan.y = dY + residualY;
  const double stepsX = std::fabs(std::trunc(plan.x / t.XPas * t.XNtour));
  const double stepsY = std::fabs(std::trunc(plan.y / t.YPas * t.YNtour));
  if (!std::isfinite(stepsX) || !std::isfinite(stepsY) || std::isnan(durationS)) {
    ReportPlanError(withLabel(std::string(messageText(Msg::InvalidMoveValue)), label));
    return std::nullopt;
  }
  if (stepsX > kMaxMoveEntries || stepsY > kMaxMoveEntries) {
    ReportPlanError(withLabel(
        fillInserts(messageText(Msg::MoveTooLong), {shortestText(kMaxMoveEntries)}), label));
    return std::nullopt;
  }
  plan.nx = static_cast<std::int64_t>(stepsX);
  plan.ny = static_cast<std::int64_t>(stepsY);

  // The direction comes from the requested delta; a zero delta counts as positive.
  plan.dirX = dX < 0.0 ? -1 : 1;
  plan.dirY = dY < 0.0 ? -1 : 1;
  plan.bx = directions.x != 0 && directions.x != plan.dirX ? std::max(t.XPasInvSens, 0) : 0;
  plan.by = directions.y != 0 && directions.y != plan.dirY ? std::max(t.YPasInvSens, 0) : 0;
  directions.x = plan.dirX;
  directions.y = plan.dirY;

  const auto speedError = [&](std::string_view axis, double pitch, int steps, double period) {
    const std::string axisName = std::string(axis) + std::string(towerName);
    const double speed = pitch * 1000.0 / (period * steps);
    ReportPlanError(withLabel(
        formatMessage(Msg::SpeedAboveStepMotorLimit, {axisName, formatField("%2.2f", speed)}),
        label));
  };

  const bool still = plan.nx == 0 && plan.ny == 0;
  if (still) {
    plan.period = t.XVmax;  // the single entry of a move without steps
  } else if (durationS == 0.0) {
    // As fast as the slower axis allows.
    plan.period = t.XVmax <= t.YVmax ? t.YVmax : t.XVmax;
  } else if (plan.nx < plan.ny) {
    const double nx = static_cast<double>(plan.nx);
    const double ny = static_cast<double>(plan.ny);
    plan.period = durationS * 1000.0 / ny;
    if (plan.nx > 0) {
      const double px = plan.period * ny / nx;
      if (!(px + kPeriodTolerance >= t.XVmax)) {
        speedError("X ", t.XPas, t.XNtour, px);
        return std::nullopt;
      }
    }
    if (!(plan.period + kPeriodTolerance >= t.YVmax)) {
      speedError("Y ", t.YPas, t.YNtour, plan.period);
      return std::nullopt;
    }
  } else {
    const double nx = static_cast<double>(plan.nx);
    const double ny = static_cast<double>(plan.ny);
    plan.period = durationS * 1000.0 / nx;
    if (!(plan.period + kPeriodTolerance >= t.XVmax)) {
      speedError("X ", t.XPas, t.XNtour, plan.period);
      return std::nullopt;
    }
    if (plan.ny > 0) {
      const double py = plan.period * nx / ny;
      if (!(py + kPeriodTolerance >= t.YVmax)) {
        speedError("Y ", t.YPas, t.YNtour, py);
        return std::nullopt;
      }
    }
  }

  // Room for the stream. The documented capacity counts one entry per step
  // and backlash step, each with as many wait entries as the move's period
  // needs; the bound below also covers the slower backlash periods.
  const double backlashEntries = static_cast<double>(std::max(plan.bx, plan.by));
  const double moveEntries = still ? 1.0 : static_cast<double>(std::max(plan.nx, plan.ny));
  double backlashMs = 0.0;
  if (plan.bx > 0 || plan.by > 0) {
    const double slow = std::max(t.XVmax, t.YVmax);
    const int percent = std::min(t.VitesseInvSensX, t.VitesseInvSensY);
    backlashMs = backlashEntries * slow * 100.0 / percent;
  }
  const double moveMs = moveEntries * plan.period;
  const double calls = backlashEntries + moveEntries;
  plan.entryBound = calls + ((backlashMs + moveMs) / t.Tempo + calls + 1.0) / kMaxDelayTicks + 2.0;
  if (still) {
    plan.capacity = static_cast<double>(plan.bx + plan.by) + 1.0;
  } else {
    const double r = std::floor(plan.period / t.Tempo + 0.5) + 1.0;
    const double f = r <= kMaxDelayTicks ? 1.0 : std::floor((r + kMaxDelayTicks) / kMaxDelayTicks);
    plan.capacity = static_cast<double>(plan.nx + plan.ny + plan.bx + plan.by) * f;
  }
  if (!(plan.entryBound <= kMaxMoveEntries)) {
    ReportPlanError(withLabel(
        fillInserts(messageText(Msg::MoveTooLong), {shortestText(kMaxMoveEntries)}), label));
    return std::nullopt;
  }
  return plan;
}

namespace {

// Writes one tower's entries into a scratch stream, with exactly the timing of
// AppendStepEntry: n = trunc((exact - scheduled + T/2) / T) periods per entry.
//
// That formula makes each entry wait on a division that depends on the
// previous entry, which would bound generation to one division latency per
// entry. In exact arithmetic n is also round(exact / T) minus the periods
// already written, which depends only on the exact time; the writer takes that
// as its guess, keeps the scheduled time going with it, and checks the guess
// against the formula off the critical path. A wrong guess (a rounding tie)
// takes the formula's value, so the stream is the same bit for bit.
class StepWriter {
 public:
  StepWriter(std::unique_ptr<std::uint8_t[]>& data, std::size_t& capacity, std::size_t& size,
             double tempo)
      : data_(data),
        capacity_(capacity),
        size_(size),
        tempo_(tempo),
        half_(tempo * 0.5),
        inverse_(1.0 / tempo) {
    out_ = data_.get() + size_;
    end_ = data_.get() + capacity_;
  }
  StepWriter(const StepWriter&) = delete;
  StepWriter& operator=(const StepWriter&) = delete;
  ~StepWriter() { size_ = static_cast<std::size_t>(out_ - data_.get()); }

  double exact() const { return exact_; }
  double scheduled() const { return scheduled_; }

  void append(std::uint8_t command, double interval) {
    exact_ += interval;
    const auto guess = static_cast<std::int64_t>(exact_ * inverse_ + 0.5) - ticks_;
    const double q = (exact_ - scheduled_ + half_) / tempo_;
    std::int64_t n = guess;
    if (static_cast<std::int64_t>(q) != guess || guess < 0) [[unlikely]] {
      n = exactTicks(q);
    }
    scheduled_ += static_cast<double>(n) * tempo_;
    ticks_ += n;
    if (n > kMaxDelayTicks) [[unlikely]] {
      n = writeWaits(n);
    }
    if (end_ - out_ < 2) [[unlikely]] {
      grow(1);
    }
    out_[0] = static_cast<std::uint8_t>(kDelayMarker + n);
    out_[1] = command;
    out_ += 2;
  }

 private:
  [[gnu::noinline]] static std::int64_t exactTicks(double q) {
    std::int64_t n = static_cast<std::int64_t>(q);
    if (n < 0) n = 0;
    // Keep the compiler from turning the guess check into a select that
    // would wait for the division after all.
    asm volatile("" : "+r"(n));
    return n;
  }

  [[gnu::noinline]] std::int64_t writeWaits(std::int64_t n) {
    const std::int64_t waits = (n - 1) / kMaxDelayTicks;
    grow(static_cast<std::size_t>(waits) + 1);
    for (std::int64_t w = 0; w < waits; ++w) {
      out_[0] = kWaitDelay;
      out_[1] = 0;
      out_ += 2;
    }
    return n - waits * kMaxDelayTicks;
  }

  // Room for `entries` more entries.
  void grow(std::size_t entries) {
    const auto used = static_cast<std::size_t>(out_ - data_.get());
    const std::size_t needed = used + 2 * entries;
    if (needed <= capacity_) return;
    const std::size_t capacity = std::max(needed, capacity_ + capacity_ / 2 + 64);
    auto larger = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
    if (used > 0) std::memcpy(larger.get(), data_.get(), used);
    data_ = std::move(larger);
    capacity_ = capacity;
    out_ = data_.get() + used;
    end_ = data_.get() + capacity_;
  }

  std::unique_ptr<std::uint8_t[]>& data_;
  std::size_t& capacity_;
  std::size_t& size_;
  std::uint8_t* out_ = nullptr;
  std::uint8_t* end_ = nullptr;
  const double tempo_;
  const double half_;
  const double inverse_;
  double exact_ = 0.0;
  double scheduled_ = 0.0;
  std::int64_t ticks_ = 0;  // periods written so far
};

// Stands in for StepWriter when only the steps made matter: writes nothing.
class CountingWriter {
 public:
  void append(std::uint8_t, double) {}
  double exact() const { return 0.0; }
  double scheduled() const { return 0.0; }
};

// Scratch memory above this is given back after the move.
constexpr std::size_t kKeptScratchBytes = std::size_t{1} << 24;

}  // namespace

void MovePlanner::copyStream(const TowerStream& from, TowerStream& to) {
  if (to.capacity < from.size || to.capacity > std::max(from.size, kKeptScratchBytes)) {
    to.data = std::make_unique_for_overwrite<std::uint8_t[]>(from.size);
    to.capacity = from.size;
  }
  if (from.size > 0) std::memcpy(to.data.get(), from.data.get(), from.size);
  to.size = from.size;
  to.exactMs = from.exactMs;
  to.scheduledMs = from.scheduledMs;
}

void MovePlanner::generateTower(const TowerPlan& plan, double& residualX, double& residualY,
                                TowerStream& stream) const {
  const TableConfig& t = table_;
  stream.size = 0;
  // The same walk over the steps writes the entries, or, while message boxes
  // are off (a survey, whose list is only totalled), only counts the steps
  // made, for the residuals.
  auto generate = [&](auto& writer) {
    const std::uint8_t both = StepCommand(plan.dirX, plan.dirY);
    const std::uint8_t xOnly = StepCommand(plan.dirX, 0);
    const std::uint8_t yOnly = StepCommand(0, plan.dirY);

    // Backlash: the extra steps in the new direction, before the move's own.
    if (plan.bx > 0 || plan.by > 0) {
      const double slow = std::max(t.XVmax, t.YVmax);
      const int percent = t.XVmax < t.YVmax    ? t.VitesseInvSensY
                          : t.XVmax == t.YVmax ? std::min(t.VitesseInvSensX, t.VitesseInvSensY)
                                               : t.VitesseInvSensX;
      const double pBoth = slow * 100.0 / percent;
      if (plan.bx < plan.by) {
        const double pY = t.YVmax * 100.0 / t.VitesseInvSensY;
        for (int i = 0; i < plan.by; ++i) {
          writer.append(i < plan.bx ? both : yOnly, i < plan.bx ? pBoth : pY);
        }
      } else {
        const double pX = t.XVmax * 100.0 / t.VitesseInvSensX;
        for (int i = 0; i < plan.bx; ++i) {
          writer.append(i < plan.by ? both : xOnly, i < plan.by ? pBoth : pX);
        }
      }
    }

    std::int64_t nx = plan.nx;
    std::int64_t ny = plan.ny;
    const double p = plan.period;
    const double signs = static_cast<double>(plan.dirX * plan.dirY);
    if (nx == 0 && ny == 0) {
      writer.append(0, p);
    } else if (nx < ny) {
      // Y leads: X steps where the ideal line has gone past the X steps made.
      const double k = plan.x / plan.y;
      std::int64_t xs = 0;
      double done = 0.0;  // xs * XPas / XNtour
      std::int64_t i = 1;
      for (; i <= ny && xs < nx; ++i) {
        const double ideal = static_cast<double>(i) * k * signs * t.YPas / t.YNtour;
        if (ideal > done) {
          writer.append(both, p);
          ++xs;
          done = static_cast<double>(xs) * t.XPas / t.XNtour;
        } else {
          writer.append(yOnly, p);
        }
      }
      for (; i <= ny; ++i) writer.append(yOnly, p);
      nx = xs;
    } else {
      // X leads (also for as many Y steps as X steps).
      const double k = plan.y / plan.x;
      std::int64_t ys = 0;
      double done = 0.0;  // ys * YPas / YNtour
      std::int64_t i = 1;
      for (; i <= nx && ys < ny; ++i) {
        const double ideal = static_cast<double>(i) * signs * k * t.XPas / t.XNtour;
        if (ideal > done) {
          writer.append(both, p);
          ++ys;
          done = static_cast<double>(ys) * t.YPas / t.YNtour;
        } else {
          writer.append(xOnly, p);
        }
      }
      for (; i <= nx; ++i) writer.append(xOnly, p);
      ny = ys;
    }
    stream.exactMs = writer.exact();
    stream.scheduledMs = writer.scheduled();
    residualX = plan.x - plan.dirX * static_cast<double>(nx) * t.XPas / t.XNtour;
    residualY = plan.y - plan.dirY * static_cast<double>(ny) * t.YPas / t.YNtour;
  };
  if (!messageBoxes_) {
    CountingWriter counter;
    generate(counter);
    return;
  }
  const auto wanted = 2 * static_cast<std::size_t>(std::min(plan.capacity, plan.entryBound));
  if (stream.capacity < wanted || stream.capacity > std::max(wanted, kKeptScratchBytes)) {
    stream.data = std::make_unique_for_overwrite<std::uint8_t[]>(wanted);
    stream.capacity = wanted;
  }
  StepWriter writer(stream.data, stream.capacity, stream.size, t.Tempo);
  generate(writer);
}

std::optional<CutMove> MovePlanner::planTowers(double dXG, double dYG, double dXD, double dYD,
                                               double durationS, std::string_view label) {
  const std::string leftName(messageText(Msg::Left));
  const std::string rightName(messageText(Msg::Right));
  const std::optional<TowerPlan> left = prepareTower(dXG, dYG, residual_.XG, residual_.YG,
                                                     durationS, leftName, label, leftDirections_);
  if (!left) {
    ResetPlanner();
    return std::nullopt;
  }
  const std::optional<TowerPlan> right = prepareTower(
      dXD, dYD, residual_.XD, residual_.YD, durationS, rightName, label, rightDirections_);
  if (!right) {
    ResetPlanner();
    return std::nullopt;
  }
  if (!(left->entryBound + right->entryBound <= kMaxMoveEntries)) {
    fail(withLabel(fillInserts(messageText(Msg::MoveTooLong), {shortestText(kMaxMoveEntries)}),
                   label));
    return std::nullopt;
  }
  try {
    generateTower(*left, residual_.XG, residual_.YG, left_);
    if (left->sameSteps(*right)) {
      // The right tower makes the very same steps (a bare-wire move, a
      // straight panel): its stream is the left one.
      copyStream(left_, right_);
      residual_.XD = residual_.XG;
      residual_.YD = residual_.YG;
    } else {
      generateTower(*right, residual_.XD, residual_.YD, right_);
    }
    CutMove move;
    move.label = std::string(label);
    move.duration = durationS;
    move.directions = directions();
    const bool rightLonger = right_.scheduledMs > left_.scheduledMs;
    move.scheduledTime = rightLonger ? right_.scheduledMs : left_.scheduledMs;
    move.exactTime = rightLonger ? right_.exactMs : left_.exactMs;
    // While message boxes are off (a speed survey or an error check) the list
    // is only totalled, never sent or written: its merged stream is not needed.
    // The towers were generated all the same, for their residuals and checks.
    if (!messageBoxes_) return move;
    // Merged into scratch memory first, so that the move's stream is
    // allocated once at its exact length.
    const std::size_t room = left_.size + right_.size;
    if (merged_.capacity < room || merged_.capacity > std::max(room, kKeptScratchBytes)) {
      merged_.data = std::make_unique_for_overwrite<std::uint8_t[]>(room);
      merged_.capacity = room;
    }
    merged_.size = MergeTowerStreams(left_.data.get(), left_.size, right_.data.get(), right_.size,
                                     merged_.data.get());
    move.entries.assign(merged_.data.get(), merged_.data.get() + merged_.size);
    return move;
  } catch (const std::bad_alloc&) {
    left_ = {};
    right_ = {};
    merged_ = {};
    fail(messageText(Msg::NoMemory));
    return std::nullopt;
  }
}

// ---------------------------------------------------------------------------
// Speed survey

void MovePlanner::recordSurveySpeed(SpeedMode mode, double dXG, double dYG, double dXD, double dYD,
                                    double dX1, double dY1, double dX2, double dY2, double& speed,
                                    std::string_view label) {
  const TableConfig& t = table_;
  speed = 0.0;
  const double nX = std::trunc(std::max(std::fabs(dXG), std::fabs(dXD)) * t.XNtour / t.XPas);
  const double nY = std::trunc(std::max(std::fabs(dYG), std::fabs(dYD)) * t.YNtour / t.YPas);
  if (nX == 0.0 && nY == 0.0) return;
  const double tmin = std::max(nX * t.XVmax, nY * t.YVmax) * 0.001;
  double length = 0.0;
  switch (mode) {
    case SpeedMode::Face1:
      length = std::sqrt(dX1 * dX1 + dY1 * dY1);
      break;
    case SpeedMode::Face2:
      length = std::sqrt(dX2 * dX2 + dY2 * dY2);
      break;
    case SpeedMode::FaceMax:
      length = std::max(std::sqrt(dX1 * dX1 + dY1 * dY1), std::sqrt(dX2 * dX2 + dY2 * dY2));
      break;
    default:
      length = std::max(std::sqrt(dXG * dXG + dYG * dYG), std::sqrt(dXD * dXD + dYD * dYD));
      break;
  }
  // A move whose reference path has no length, or whose motors have no
  // minimum step time, runs at the motors' own pace whatever the cut speed:
  // it sets no limit to the cut speed.
  if (tmin == 0.0 || length == 0.0) return;
  speed = length / tmin;
  if (speed < surveySpeed_) {
    surveySpeed_ = speed;
    surveyLabel_ = std::string(label);
  }
}

void MovePlanner::BeginSpeedSurvey(bool errorsOnly) {
  if (!errorsOnly) surveyMode_ = true;
  messageBoxes_ = false;
  surveySpeed_ = 100.0;
  surveyLabel_.clear();
  lastError_.clear();
}

void MovePlanner::EndSpeedSurvey(bool errorsOnly, double& speed, std::string& label,
                                 std::string& error) {
  messageBoxes_ = true;
  surveyMode_ = false;
  if (!errorsOnly) speed = surveySpeed_;
  label = surveyLabel_;
  error = lastError_;
  foams_.LimitSpeedForHeat(speed, label);
  speed = std::trunc(speed * 100.0) * 0.01;
}

// ---------------------------------------------------------------------------
// Planning operations

std::optional<CutMove> MovePlanner::PlanMove(double blockOffset, double blockWidth,
                                             SpeedMode speedMode, double X1, double Y1, double X2,
                                             double Y2, std::string_view label) {
  if (refuseWhileBusy()) return std::nullopt;
  if (!checkTable(false)) return std::nullopt;
  if (!checkFinite({blockOffset, blockWidth, X1, Y1, X2, Y2}, label)) return std::nullopt;
  const TableConfig& t = table_;

  X1 += t.ZeroX;
  X2 += t.ZeroX;
  Y1 += t.ZeroY;
  Y2 += t.ZeroY;
  const double E = static_cast<double>(t.Entraxe);
  double A = blockOffset;
  const double B = blockWidth;
  if (!(B > 0.0)) {
    fail(withLabel(fillInserts(messageText(Msg::InvalidBlockWidth), {shortestText(B)}), label));
    return std::nullopt;
  }
  if (t.TableInv != 0) A = E - A - B;
  if (B > E) {
    fail(formatMessage(Msg::BlockSizeGreaterThanTable, {formatTruncated(B)}));
    return std::nullopt;
  }
  if (A + B > E) {
    fail(formatMessage(Msg::RightBlockPositionGreaterThanTable, {formatTruncated(A + B)}));
    return std::nullopt;
  }

  const double dX1 = X1 - faces_.XG;
  const double dY1 = Y1 - faces_.YG;
  const double dX2 = X2 - faces_.XD;
  const double dY2 = Y2 - faces_.YD;

  // The wire line through the two face points, extended to the towers.
  const double sx = (X2 - X1) / B;
  const double sy = (Y2 - Y1) / B;
  const double XG = X1 - sx * A;
  const double XD = X1 + sx * (E - A);
  const double YG = Y1 - sy * A;
  const double YD = Y1 + sy * (E - A);
  if (!checkFinite({XG, XD, YG, YD}, label)) return std::nullopt;

  const double dXG = XG - towers_.XG + residual_.XG;
  const double dYG = YG - towers_.YG + residual_.YG;
  const double dXD = XD - towers_.XD + residual_.XD;
  const double dYD = YD - towers_.YD + residual_.YD;
  residual_ = {};

  if (!CheckAxisLimits(XG, XD, YG, YD, label)) return std::nullopt;

  double speed = 0.0;
  if (surveyMode_) {
    recordSurveySpeed(speedMode, dXG, dYG, dXD, dYD, dX1, dY1, dX2, dY2, speed, label);
  } else {
    speed = foams_.cutSpeed;
  }

  double duration = 0.0;
  if (speedMode == SpeedMode::Rapid) {
    const double nX = std::trunc(std::max(std::fabs(dXG), std::fabs(dXD)) * t.XNtour / t.XPas);
    const double nY = std::trunc(std::max(std::fabs(dYG), std::fabs(dYD)) * t.YNtour / t.YPas);
    duration = std::max(nX * t.XVmax, nY * t.YVmax) * 0.001;
  } else if (speed != 0.0) {
    const double face1 = std::sqrt(dX1 * dX1 + dY1 * dY1);
    const double face2 = std::sqrt(dX2 * dX2 + dY2 * dY2);
    double length = 0.0;
    switch (speedMode) {
      case SpeedMode::Face1:
        length = face1;
        break;
      case SpeedMode::Face2:
        length = face2;
        break;
      case SpeedMode::FaceMax:
        length = std::max(face1, face2);
        break;
      default:
        length = std::max(std::sqrt(dXG * dXG + dYG * dYG), std::sqrt(dXD * dXD + dYD * dYD));
        break;
    }
    duration = length / speed;
  }
  if (!checkFinite({duration}, label)) return std::nullopt;

  std::optional<CutMove> move = planTowers(dXG, dYG, dXD, dYD, duration, label);
  if (!move) return std::nullopt;
  move->XG = XG;
  move->YG = YG;
  move->XD = XD;
  move->YD = YD;
  move->rapid = speedMode == SpeedMode::Rapid;
  towers_ = {XG, YG, XD, YD};
  faces_ = {X1, Y1, X2, Y2};
  return move;
}

std::optional<CutMove> MovePlanner::PlanScriptMove(double XG, double YG, double XD, double YD,
                                                   double duration, std::string_view label) {
  if (refuseWhileBusy()) return std::nullopt;
  if (!checkTable(false)) return std::nullopt;
  if (!checkFinite({XG, YG, XD, YD, duration}, label)) return std::nullopt;
  const TableConfig& t = table_;
  XG += t.ZeroX;
  XD += t.ZeroX;
  YG += t.ZeroY;
  YD += t.ZeroY;
  // The towers have to go from where they are, whatever face points an
  // earlier block move left behind.
  double dXG = XG - towers_.XG;
  double dYG = YG - towers_.YG;
  double dXD = XD - towers_.XD;
  double dYD = YD - towers_.YD;
  if (dXG == 0.0 && dYG == 0.0 && dXD == 0.0 && dYD == 0.0) {
    return PlanDwell(duration * 1000.0);
  }
  dXG += residual_.XG;
  dYG += residual_.YG;
  dXD += residual_.XD;
  dYD += residual_.YD;
  residual_ = {};
  if (!CheckAxisLimits(XG, XD, YG, YD, label)) return std::nullopt;

  std::optional<CutMove> move = planTowers(dXG, dYG, dXD, dYD, duration, label);
  if (!move) return std::nullopt;
  move->XG = XG;
  move->YG = YG;
  move->XD = XD;
  move->YD = YD;
  towers_ = {XG, YG, XD, YD};
  faces_ = towers_;
  return move;
}

std::optional<CutMove> MovePlanner::PlanDwell(double milliseconds) {
  const std::string label(messageText(Msg::Tempo));
  if (refuseWhileBusy()) return std::nullopt;
  if (!checkTable(true)) return std::nullopt;
  if (!checkFinite({milliseconds}, label)) return std::nullopt;
  const double tempo = table_.Tempo;
  // A negative pause is no pause.
  double remaining = std::max(milliseconds, 0.0);
  const double chunk = std::trunc(126.0 * tempo);
  const double capacity = std::trunc(remaining / chunk) + 1.0;
  if (!(capacity <= kMaxMoveEntries)) {
    fail(withLabel(fillInserts(messageText(Msg::MoveTooLong), {shortestText(kMaxMoveEntries)}),
                   label));
    return std::nullopt;
  }
  try {
    CutMove move;
    move.label = label;
    move.duration = remaining * 0.001;
    move.directions = directions();
    move.XG = towers_.XG;
    move.YG = towers_.YG;
    move.XD = towers_.XD;
    move.YD = towers_.YD;
    move.entries.reserve(2 * static_cast<std::size_t>(capacity));
    while (remaining > 0.0) {
      if (remaining < chunk) {
        AppendStepEntry(move.entries, move.exactTime, move.scheduledTime, 0, remaining, tempo);
        break;
      }
      AppendStepEntry(move.entries, move.exactTime, move.scheduledTime, 0, chunk, tempo);
      remaining -= chunk;
    }
    return move;
  } catch (const std::bad_alloc&) {
    fail(messageText(Msg::NoMemory));
    return std::nullopt;
  }
}

void DuplicateToBothTowers(CutMove& move) {
  for (std::size_t i = 1; i < move.entries.size(); i += 2) {
    const std::uint8_t low = move.entries[i] & 0x0F;
    move.entries[i] = static_cast<std::uint8_t>(low | (low << 4));
  }
}

}  // namespace orva
