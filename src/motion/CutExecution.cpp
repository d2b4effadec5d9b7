#include "motion/CutExecution.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "driver/InterfaceDriver.h"
#include "motion/CutScript.h"
#include "motion/GcodeWriter.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

// A number with `precision` decimals and a point, whatever the process locale.
std::string fixedText(double value, int precision) {
  std::array<char, 400> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::fixed, precision);
  if (result.ec != std::errc()) return "0";
  return std::string(buffer.data(), result.ptr);
}

std::string integerText(long long value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

std::string padLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// Replaces the printf fields of a catalogue text ("%s", "%d", "%.2f", ...) in
// order by already formatted values; "%%" becomes "%". A field without a value
// is dropped.
std::string fillFields(std::string_view pattern, std::initializer_list<std::string_view> values) {
  std::string out;
  out.reserve(pattern.size() + 32);
  auto value = values.begin();
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c != '%' || i + 1 >= pattern.size()) {
      out.push_back(c);
      continue;
    }
    if (pattern[i + 1] == '%') {
      out.push_back('%');
      ++i;
      continue;
    }
    // Flags, width, precision and length, then the conversion letter.
    std::size_t j = i + 1;
    while (j < pattern.size() &&
           std::string_view("-+ #0123456789.hlLqjzt").find(pattern[j]) != std::string_view::npos) {
      ++j;
    }
    if (value != values.end()) {
      out.append(*value);
      ++value;
    }
    i = j;  // the conversion letter
  }
  return out;
}

// Seconds in a whole number that "%d" can show: negative and non-numbers are 0.
long long wholeSeconds(double seconds) {
  if (!(seconds > 0.0)) return 0;
  constexpr double kLimit = 9.0e15;
  return static_cast<long long>(std::trunc(std::min(seconds, kLimit)));
}

}  // namespace

CutExecutor::CutExecutor(CutEnvironment& env) : env_(env) {}

// ---------------------------------------------------------------------------
// Texts

std::string CutExecutor::TimeText(double totalSeconds) {
  const long long t = wholeSeconds(totalSeconds);
  if (t < 60) return fillFields(messageText(Msg::TimeSeconds), {integerText(t)});
  return fillFields(messageText(Msg::TimeMinutesSeconds),
                    {integerText(t / 60), integerText(t % 60)});
}

int CutExecutor::MeasuredHeat(const DriverStatus& status) {
  const int on = status.heatOnCount;
  const int total = on + status.heatOffCount;
  // Both counts 0: no heat sample was counted; show no heat rather than divide by 0.
  if (total == 0) return 0;
  return on * 100 / total;
}

std::string CutExecutor::HeatText() {
  DriverStatus status;
  env_.driver.ReadStatus(status);
  if (status.controlFlag == 0) return std::string(messageText(Msg::Manual));
  int mode = 0;
  int heat = 0;
  env_.machine.foams.GetHeatState(mode, heat);
  const Msg word = mode == FixedHeat ? Msg::Fixed : Msg::Computed;
  return fillFields("%s %d%%", {messageText(word), integerText(heat)});
}

std::string CutExecutor::ConfirmationText(double speed, const std::string& timeText,
                                          const std::string& heatText) {
  if (speed > 0.0) {
    return fillFields(messageText(Msg::StartCutWithSpeed),
                      {fixedText(speed, 2), timeText, heatText});
  }
  return fillFields(messageText(Msg::StartCut), {timeText, heatText});
}

std::string CutExecutor::ProgressText(double speed, const DriverStatus& status,
                                      const std::string& heatText) {
  const std::string heat =
      status.controlFlag == 0 ? std::string(messageText(Msg::Manual)) : heatText;
  return fillFields(messageText(Msg::CutProgress),
                    {padLeft(fixedText(speed, 2), 2), messageText(Msg::Power),
                     integerText(MeasuredHeat(status)), heat});
}

// ---------------------------------------------------------------------------
// Execution

bool CutExecutor::ExecuteCut(MoveList moves, int flags, double speed) {
  if (running()) {
    // Only one cut at a time: a request made while one runs (from the progress
    // callback) is refused and its list released.
    moves.clear();
    return false;
  }
  running_.store(true, std::memory_order_release);
  cutClearance_ = std::exchange(env_.abortClearanceHeight, std::nullopt);
  struct Finish {
    CutExecutor& self;
    MoveList& moves;
    ~Finish() {
      moves.clear();
      moves.shrink_to_fit();
      self.env_.planner.clearResiduals();
      self.running_.store(false, std::memory_order_release);
    }
  } finish{*this, moves};

  lastAborted_ = false;
  lastCutMovesSent_ = 0;
  completed_.store(0, std::memory_order_release);
  double total = 0.0;
  for (const CutMove& move : moves) total += move.duration;

  MovePlanner& planner = env_.planner;
  InterfaceDriver& driver = env_.driver;
  const bool toFile = env_.output.cutToFile;

  if (planner.surveying() || !planner.messageBoxesOn()) {
    if (!toFile) driver.Stop();
    return true;
  }

  if (toFile) {
    // G-code is written for every cut, whatever its flags: a controller can
    // only run a whole program, and cuts that start without confirmation (the
    // foam cut) are to be written too.
    if (env_.output.format == OutputFormat::Gcode) return WriteGcodeFile(env_, moves, speed);
    // The script is only written when the caller asked for the file dialog.
    if ((flags & kCutConfirm) == 0) return true;
    return WriteCutScript(env_, moves, (flags & kCutLong) != 0);
  }

  std::string heatText;
  if ((flags & kCutConfirm) != 0) {
    heatText = HeatText();
    const std::string text = ConfirmationText(speed, TimeText(total), heatText);
    if (env_.prompt.askOkCancel(text, MessageIcon::Question) != Answer::Ok) {
      driver.Stop();
      return false;
    }
  }

  driver.Start();
  bool success = true;
  if ((flags & kCutLong) != 0) {
    struct WaitCursor {
      StatusPort& status;
      explicit WaitCursor(StatusPort& port) : status(port) { status.setWaitCursor(true); }
      ~WaitCursor() { status.setWaitCursor(false); }
    } cursor(env_.status);
    success = RunCutThread(moves, heatText, (flags & kCutCheckHeat) != 0, speed);
  } else {
    std::size_t done = 0;
    for (const CutMove& move : moves) {
      if (!SendMove(move)) {
        success = false;
        break;
      }
      completed_.store(++done, std::memory_order_release);
    }
    lastCutMovesSent_ = done;
    if (!success) {
      if (done > 0) setPlannerToEndOf(moves[done - 1]);
      env_.prompt.showMessage(messageText(Msg::NoInterruptsDuringCutting),
                              MessageIcon::Information);
    }
  }
  driver.Stop();
  if ((flags & kCutPlaySound) != 0) PlayEndOfCutSound();
  driver.Stop();
  return success;
}

bool CutExecutor::RunCutThread(const MoveList& moves, const std::string& heatText, bool checkHeat,
                               double speed) {
  abortRequested_.store(false, std::memory_order_release);
  completed_.store(0, std::memory_order_release);
  lastCutMovesSent_ = 0;
  lastAborted_ = false;

  if (checkHeat) {
    switch (this->checkHeat()) {
      case HeatCheck::Go:
        break;
      case HeatCheck::Abort:
        return false;
      case HeatCheck::Failed:
        env_.prompt.showMessage(messageText(Msg::NoInterruptsDuringCutting),
                                MessageIcon::Information);
        return false;
    }
  }

  const int code = streamOnWorker(moves, true, heatText, speed);
  const std::size_t done = completed_.load(std::memory_order_acquire);
  lastCutMovesSent_ = done;
  if (code == kWorkerFailed) {
    if (done > 0) setPlannerToEndOf(moves[done - 1]);
    env_.prompt.showMessage(messageText(Msg::NoInterruptsDuringCutting), MessageIcon::Information);
    return false;
  }
  if (code != kWorkerAborted) return true;

  // Aborted after `done` complete moves (at least one): the wire is at the end
  // of the last of them. Take it out of the block and home.
  lastAborted_ = true;
  setPlannerToEndOf(moves[done - 1]);
  const MoveList retreat = planRetreat(moves, done, speed);
  if (!retreat.empty()) {
    const int retreatCode = streamOnWorker(retreat, false, heatText, speed);
    const std::size_t retreatDone = completed_.load(std::memory_order_acquire);
    if (retreatDone > 0) setPlannerToEndOf(retreat[retreatDone - 1]);
    if (retreatCode == kWorkerFailed) {
      env_.prompt.showMessage(messageText(Msg::NoInterruptsDuringCutting),
                              MessageIcon::Information);
    }
  }
  return false;
}

int CutExecutor::CutWorker(const MoveList& moves) {
  completed_.store(0, std::memory_order_release);
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (!SendMove(moves[i])) return kWorkerFailed;
    completed_.store(i + 1, std::memory_order_release);
    if (i + 1 < moves.size() && !retreating_.load(std::memory_order_acquire) &&
        abortRequested_.load(std::memory_order_acquire)) {
      return kWorkerAborted;
    }
  }
  return kWorkerDone;
}

bool CutExecutor::SendMove(const CutMove& move) {
  // Nothing to output: no entries, or neither a step nor any time to wait.
  if (move.entries.empty() || (move.duration <= 0.0 && !move.hasSteps())) return true;
  return env_.driver.SendSteps(move.entries.data(), move.entries.size());
}

void CutExecutor::PlayEndOfCutSound() { env_.sound.playAndWait(env_.endOfCutSound); }

void CutExecutor::requestAbort() {
  if (running()) abortRequested_.store(true, std::memory_order_release);
}

// ---------------------------------------------------------------------------
// Helpers

CutExecutor::HeatCheck CutExecutor::checkHeat() {
  MovePlanner& planner = env_.planner;
  const MovePlanner::Position before = planner.towers();
  std::optional<CutMove> dwell = planner.PlanDwell(kHeatCheckDwellMs);
  if (!dwell) {
    // Already reported; the planner reset itself, but the wire has not moved.
    const TableConfig& table = env_.machine.table;
    planner.SetPlannerPosition(before.XG - table.ZeroX, before.YG - table.ZeroY,
                               before.XD - table.ZeroX, before.YD - table.ZeroY);
    return HeatCheck::Abort;
  }
  for (;;) {
    if (!SendMove(*dwell)) return HeatCheck::Failed;
    DriverStatus status;
    env_.driver.ReadStatus(status);
    if (env_.machine.table.InterfChauf == 0 || MeasuredHeat(status) >= kMinimumHeatPercent) {
      return HeatCheck::Go;
    }
    const Answer answer = env_.prompt.askAbortRetryIgnore(
        messageText(Msg::WireHeatLowerThan2Percent), MessageIcon::Stop);
    if (answer == Answer::Abort) return HeatCheck::Abort;
    if (answer == Answer::Ignore) return HeatCheck::Go;
  }
}

int CutExecutor::streamOnWorker(const MoveList& moves, bool abortable, const std::string& heatText,
                                double speed) {
  std::mutex mutex;
  std::condition_variable finished;
  bool done = false;
  int exitCode = kWorkerFailed;
  retreating_.store(!abortable, std::memory_order_release);

  std::thread worker([&] {
    int code = kWorkerFailed;
    try {
      code = CutWorker(moves);
    } catch (...) {
      code = kWorkerFailed;  // a move that could not be sent did not run
    }
    {
      const std::lock_guard<std::mutex> lock(mutex);
      exitCode = code;
      done = true;
    }
    finished.notify_all();
  });
  // Whatever happens on this thread, the worker is stopped after its move and joined.
  struct Join {
    std::thread& thread;
    std::atomic<bool>& abort;
    ~Join() {
      if (thread.joinable()) {
        abort.store(true, std::memory_order_release);
        thread.join();
      }
    }
  } join{worker, abortRequested_};

  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (finished.wait_for(lock, pollInterval_, [&] { return done; })) break;
    }
    DriverStatus status;
    env_.driver.ReadStatus(status);
    env_.status.setStatusText(ProgressText(speed, status, heatText));
    const bool cancel = env_.poll ? env_.poll() : false;
    // The retreat itself is not cancelled: it takes the wire out of the block.
    if (cancel && abortable) abortRequested_.store(true, std::memory_order_release);
  }
  worker.join();
  retreating_.store(false, std::memory_order_release);
  return exitCode;
}

MoveList CutExecutor::planRetreat(const MoveList& moves, std::size_t completed, double speed) {
  MovePlanner& planner = env_.planner;
  const TableConfig& table = env_.machine.table;
  const CutMove& last = moves[completed - 1];
  // Relative to the machine zero, as the planner takes its targets.
  const double xg = last.XG - table.ZeroX;
  const double yg = last.YG - table.ZeroY;
  const double xd = last.XD - table.ZeroX;
  const double yd = last.YD - table.ZeroY;

  double clearance = 0.0;
  if (cutClearance_ && std::isfinite(*cutClearance_)) {
    clearance = *cutClearance_;
  } else {
    clearance = std::max(yg, yd);
    for (const CutMove& move : moves) {
      clearance = std::max({clearance, move.YG - table.ZeroY, move.YD - table.ZeroY});
    }
  }
  // A tower already above the clearance stays at its height.
  const double hg = std::max(yg, clearance);
  const double hd = std::max(yd, clearance);

  // The wire leaves the foam at the cutting speed (it is still hot and in the
  // block); through the air it travels as fast as the motors allow.
  double riseSpeed = speed > 0.0 ? speed : env_.machine.foams.cutSpeed;
  if (!(riseSpeed > 0.0) || !std::isfinite(riseSpeed)) riseSpeed = 0.0;

  const std::string label(messageText(Msg::AbortCut));
  MoveList retreat;
  struct Target {
    double xg, yg, xd, yd, duration;
  };
  std::vector<Target> targets;
  const double rise = std::max(hg - yg, hd - yd);
  if (rise > 0.0) targets.push_back({xg, hg, xd, hd, riseSpeed > 0.0 ? rise / riseSpeed : 0.0});
  if (xg != 0.0 || xd != 0.0) targets.push_back({0.0, hg, 0.0, hd, 0.0});
  if (hg != 0.0 || hd != 0.0) targets.push_back({0.0, 0.0, 0.0, 0.0, 0.0});

  Target at{xg, yg, xd, yd, 0.0};
  for (const Target& target : targets) {
    std::optional<CutMove> move =
        planner.PlanScriptMove(target.xg, target.yg, target.xd, target.yd, target.duration, label);
    if (!move) {
      // Reported by the planner, which reset itself: it stays where the
      // retreat planned so far ends, and that part is run.
      planner.SetPlannerPosition(at.xg, at.yg, at.xd, at.yd);
      break;
    }
    retreat.push_back(std::move(*move));
    at = target;
  }
  return retreat;
}

void CutExecutor::setPlannerToEndOf(const CutMove& move) {
  const TableConfig& table = env_.machine.table;
  env_.planner.SetPlannerPosition(move.XG - table.ZeroX, move.YG - table.ZeroY,
                                  move.XD - table.ZeroX, move.YD - table.ZeroY);
}

}  // namespace orva
