#include "motion/CutJob.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <exception>
#include <stdexcept>
#include <initializer_list>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "common/UserPrompt.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "driver/ControllerSession.h"
#include "driver/InterfaceDriver.h"
#include "motion/CutScript.h"
#include "motion/GcodeWriter.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

// How long one service() of a controller cut waits for the controller: short,
// the owner's timer calls again.
constexpr std::chrono::milliseconds kControllerServiceWait{10};
// And each round of runToEnd().
constexpr std::chrono::milliseconds kControllerRunWait{50};

// Seconds in a whole number that "%d" can show: negative and non-numbers are 0.
long long wholeSeconds(double seconds) {
  if (!(seconds > 0.0)) return 0;
  constexpr double kLimit = 9.0e15;
  return static_cast<long long>(std::trunc(std::min(seconds, kLimit)));
}

}  // namespace

// ---------------------------------------------------------------------------
// Texts

std::string CutJob::TimeText(double totalSeconds) {
  const long long t = wholeSeconds(totalSeconds);
  if (t < 60) return fillFields(messageText(Msg::TimeSeconds), {t});
  return fillFields(messageText(Msg::TimeMinutesSeconds), {t / 60, t % 60});
}

int CutJob::MeasuredHeat(const DriverStatus& status) {
  const int on = status.heatOnCount;
  const int total = on + status.heatOffCount;
  // Both counts 0: no heat sample was counted; show no heat rather than divide by 0.
  if (total == 0) return 0;
  return on * 100 / total;
}

std::string CutJob::HeatText() {
  DriverStatus status;
  env_.driver.ReadStatus(status);
  if (status.controlFlag == 0) return std::string(messageText(Msg::Manual));
  int mode = 0;
  int heat = 0;
  env_.machine.foams.GetHeatState(mode, heat);
  const Msg word = mode == FixedHeat ? Msg::Fixed : Msg::Computed;
  return fillFields("%s %d%%", {messageText(word), heat});
}

std::string CutJob::ConfirmationText(double speed, const std::string& timeText,
                                          const std::string& heatText) {
  if (speed > 0.0) {
    return fillFields(messageText(Msg::StartCutWithSpeed), {speed, timeText, heatText});
  }
  return fillFields(messageText(Msg::StartCut), {timeText, heatText});
}

std::string CutJob::ProgressText(double speed, const DriverStatus& status,
                                      const std::string& heatText) {
  const std::string heat =
      status.controlFlag == 0 ? std::string(messageText(Msg::Manual)) : heatText;
  return fillFields(messageText(Msg::CutProgress),
                    {speed, messageText(Msg::Power), MeasuredHeat(status), heat});
}

// ---------------------------------------------------------------------------
// The job

CutJob::CutJob(CutEnvironment& env) : env_(env) {}

CutJob::~CutJob() {
  if (!running_) return;
  // The wire must not stay in the block: cancel, retreat, stop the interface.
  cancel();
  runToEnd();
}

bool CutJob::start(MoveList moves, int flags, double speed, Finished finished) {
  if (running_) {
    // One cut at a time: this list is released, the running cut goes on. A
    // clearance given for the refused cut must not reach the next one.
    env_.abortClearanceHeight.reset();
    env_.prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Warning);
    return false;
  }
  moves_ = std::move(moves);
  finished_ = std::move(finished);
  retreat_.clear();
  flags_ = flags;
  speed_ = speed;
  clearance_ = std::exchange(env_.abortClearanceHeight, std::nullopt);
  heatText_.clear();
  lastCutMovesSent_ = 0;
  status_ = DriverStatus{};
  position_.reset();
  started_ = std::chrono::steady_clock::now();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    shared_ = Shared{};
  }
  running_ = true;
  result_ = CutJobResult::Running;
  phase_ = Phase::Cut;

  double total = 0.0;
  for (const CutMove& move : moves_) total += move.duration;

  MovePlanner& planner = env_.planner;
  InterfaceDriver& driver = env_.driver;
  const bool toFile = env_.output.cutToFile;

  if (planner.surveying() || !planner.messageBoxesOn()) {
    if (!toFile) driver.Stop();
    finish(CutJobResult::Done);
    return false;
  }

  if (toFile) {
    bool written = true;
    // G-code is written for every cut, whatever its flags: a controller can
    // only run a whole program, and cuts that start without confirmation (the
    // foam cut) are to be written too. A script only when the caller asked
    // for the file dialog.
    if (env_.output.format == OutputFormat::Gcode) {
      written = WriteGcodeFile(env_, moves_, speed);
    } else if ((flags & kCutConfirm) != 0) {
      written = WriteCutScript(env_, moves_, (flags & kCutLong) != 0);
    }
    finish(written ? CutJobResult::Done : CutJobResult::Failed);
    return false;
  }

  if (onControllerTable()) return startOnController();

  if ((flags & kCutConfirm) != 0) {
    heatText_ = HeatText();
    const std::string text = ConfirmationText(speed, TimeText(total), heatText_);
    if (env_.prompt.askOkCancel(text, MessageIcon::Question) != Answer::Ok) {
      driver.Stop();
      finish(CutJobResult::Cancelled);
      return false;
    }
  }

  driver.Start();
  if ((flags & kCutLong) == 0) {
    const bool sent = sendOnOwner(moves_);
    endMachineCut();
    finish(sent ? CutJobResult::Done : CutJobResult::Failed);
    return false;
  }

  env_.status.setWaitCursor(true);
  waitCursor_ = true;
  std::optional<CutMove> dwell;
  if ((flags & kCutCheckHeat) != 0) {
    const MovePlanner::Position before = planner.towers();
    dwell = planner.PlanDwell(kHeatCheckDwellMs);
    if (!dwell) {
      // Already reported; the planner reset itself, but the wire has not moved.
      const TableConfig& table = env_.machine.table;
      planner.SetPlannerPosition(before.XG - table.ZeroX, before.YG - table.ZeroY,
                                 before.XD - table.ZeroX, before.YD - table.ZeroY);
      endMachineCut();
      finish(CutJobResult::Failed);
      return false;
    }
  }
  planner.setBusy(true);
  launch(moves_, std::move(dwell), true);
  return true;
}

void CutJob::service() {
  if (!running_) return;
  if (controllerCut_) {
    serviceController(kControllerServiceWait);
    return;
  }
  env_.driver.ReadStatus(status_);
  WirePosition position;
  if (env_.driver.ReadPosition(position)) {
    const std::lock_guard<std::mutex> lock(mutex_);
    position_ = position;
  } else {
    const std::lock_guard<std::mutex> lock(mutex_);
    position_.reset();
  }
  env_.status.setStatusText(ProgressText(speed_, status_, heatText_));
  showQueuedMessages();
  answerHeatCheck();

  WorkerEnd end = WorkerEnd::Done;
  std::size_t completed = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!shared_.ended) return;
    end = shared_.end;
    completed = shared_.completed;
  }
  joinWorker();
  showQueuedMessages();
  workerEnded(end, completed);
}

void CutJob::cancel() {
  if (!running_ || phase_ != Phase::Cut) return;
  if (controllerCut_) {
    if (controllerCut_->cancelRequested) return;
    controllerCut_->cancelRequested = true;
    if (controllerCut_->session->connectionNumber() == controllerCut_->connection) {
      if (GrblStreamer* streamer = controllerCut_->session->streamer()) streamer->cancel();
    }
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    shared_.cancel = true;
    // A heat question not yet answered is answered for the user.
    if (shared_.waitingForVerdict && !shared_.verdict) shared_.verdict = Verdict::Abort;
  }
  wake_.notify_all();
}

CutJobProgress CutJob::progress() const {
  CutJobProgress progress;
  const std::lock_guard<std::mutex> lock(mutex_);
  if (!running_) return final_;
  const MoveList& list = phase_ == Phase::Retreat ? retreat_ : moves_;
  progress.moveCount = list.size();
  progress.moveIndex = std::min(shared_.completed, list.size());
  if (!list.empty()) progress.label = list[std::min(shared_.current, list.size() - 1)].label;
  for (std::size_t i = progress.moveIndex; i < list.size(); ++i) {
    progress.remainingSeconds += list[i].duration;
  }
  progress.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
  progress.heatPercent = MeasuredHeat(status_);
  progress.retreating = phase_ == Phase::Retreat || (controllerCut_ && controllerCut_->retreating);
  progress.position = position_;
  return progress;
}

bool CutJob::runToEnd(const std::function<bool()>& cancelRequested) {
  while (running_) {
    if (controllerCut_) {
      // The stream is worked here, waiting on the controller's answers.
      serviceController(std::min(pollInterval_, kControllerRunWait));
    } else {
      {
        // Wakes early when the worker ends or waits for the heat verdict.
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait_for(lock, pollInterval_, [this] {
          return shared_.ended || (shared_.waitingForVerdict && !shared_.verdict);
        });
      }
      service();
    }
    if (running_ && cancelRequested && cancelRequested()) cancel();
  }
  return result_ == CutJobResult::Done;
}

bool CutJob::ExecuteCut(MoveList moves, int flags, double speed) {
  if (!start(std::move(moves), flags, speed)) return result_ == CutJobResult::Done;
  return runToEnd();
}

bool CutJob::SendMove(const CutMove& move) {
  // Nothing to output: no entries, or neither a step nor any time to wait.
  if (move.entries.empty() || (move.duration <= 0.0 && !move.hasSteps())) return true;
  return env_.driver.SendSteps(move.entries.data(), move.entries.size());
}

void CutJob::PlayEndOfCutSound() { env_.sound.playAndWait(env_.endOfCutSound); }

// ---------------------------------------------------------------------------
// Worker

void CutJob::launch(const MoveList& moves, std::optional<CutMove> dwell, bool cancellable) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    shared_.ended = false;
    shared_.completed = 0;
    shared_.current = 0;
    shared_.waitingForVerdict = false;
    shared_.verdict.reset();
  }
  worker_ = std::thread([this, &moves, dwell = std::move(dwell), cancellable] {
    work(moves, dwell, cancellable);
  });
}

// The worker body: only the driver's step request and the shared record.
void CutJob::work(const MoveList& moves, const std::optional<CutMove>& dwell, bool cancellable) {
  std::vector<std::string> messages;
  const auto send = [&](const CutMove& move) {
    if (move.entries.empty() || (move.duration <= 0.0 && !move.hasSteps())) return true;
    bool sent = false;
    // A move that could not be sent did not run; the owner is told why.
    try {
      sent = env_.driver.SendSteps(move.entries.data(), move.entries.size(), messages);
    } catch (const std::exception& e) {
      messages.push_back(std::string(messageText(Msg::MoveNotSent)) + ": " + e.what());
      sent = false;
    } catch (...) {
      messages.emplace_back(messageText(Msg::MoveNotSent));
      sent = false;
    }
    if (!messages.empty()) {
      const std::lock_guard<std::mutex> lock(mutex_);
      for (std::string& message : messages) shared_.messages.push_back(std::move(message));
      messages.clear();
    }
    return sent;
  };
  const auto endWith = [&](WorkerEnd end) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      shared_.ended = true;
      shared_.end = end;
    }
    wake_.notify_all();
  };

  if (dwell) {
    for (;;) {
      if (!send(*dwell)) return endWith(WorkerEnd::Failed);
      Verdict verdict = Verdict::Go;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        shared_.waitingForVerdict = true;
        wake_.notify_all();
        wake_.wait(lock, [this] { return shared_.verdict.has_value(); });
        verdict = *shared_.verdict;
        shared_.verdict.reset();
        shared_.waitingForVerdict = false;
      }
      if (verdict == Verdict::Abort) return endWith(WorkerEnd::HeatAborted);
      if (verdict == Verdict::Go) break;
    }
  }
  for (std::size_t i = 0; i < moves.size(); ++i) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      // Stops only between moves, after at least one: the planner then knows
      // where the wire is.
      if (cancellable && i > 0 && shared_.cancel) {
        shared_.ended = true;
        shared_.end = WorkerEnd::Cancelled;
        wake_.notify_all();
        return;
      }
      shared_.current = i;
    }
    if (!send(moves[i])) return endWith(WorkerEnd::Failed);
    const std::lock_guard<std::mutex> lock(mutex_);
    shared_.completed = i + 1;
  }
  endWith(WorkerEnd::Done);
}

void CutJob::joinWorker() {
  if (worker_.joinable()) worker_.join();
}

void CutJob::answerHeatCheck() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!shared_.waitingForVerdict || shared_.verdict || shared_.ended) return;
    // Cancelled before the worker came to wait for the answer: the cut ends
    // here, without a question.
    if (shared_.cancel) {
      shared_.verdict = Verdict::Abort;
      wake_.notify_all();
      return;
    }
  }
  Verdict verdict = Verdict::Go;
  DriverStatus status;
  env_.driver.ReadStatus(status);
  if (env_.machine.table.InterfChauf != 0 && MeasuredHeat(status) < kMinimumHeatPercent) {
    const Answer answer = env_.prompt.askAbortRetryIgnore(
        messageText(Msg::WireHeatLowerThan2Percent), MessageIcon::Stop);
    verdict = answer == Answer::Abort    ? Verdict::Abort
              : answer == Answer::Ignore ? Verdict::Go
                                         : Verdict::Retry;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (!shared_.verdict) shared_.verdict = shared_.cancel ? Verdict::Abort : verdict;  // a cancel meanwhile wins
  }
  wake_.notify_all();
}

void CutJob::showQueuedMessages() {
  std::vector<std::string> messages;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    messages.swap(shared_.messages);
  }
  for (const std::string& message : messages) {
    env_.prompt.showMessage(message, MessageIcon::Information);
  }
}

void CutJob::workerEnded(WorkerEnd end, std::size_t completed) {
  MovePlanner& planner = env_.planner;
  const auto noInterrupts = [this] {
    env_.prompt.showMessage(messageText(Msg::NoInterruptsDuringCutting),
                            MessageIcon::Information);
  };
  if (phase_ == Phase::Retreat) {
    if (completed > 0) planner.SetPlannerToEndOf(retreat_[completed - 1]);
    if (end == WorkerEnd::Failed) noInterrupts();
    endMachineCut();
    finish(CutJobResult::Cancelled);
    return;
  }
  lastCutMovesSent_ = completed;
  switch (end) {
    case WorkerEnd::Done:
      endMachineCut();
      finish(CutJobResult::Done);
      return;
    case WorkerEnd::Failed:
      if (completed > 0) planner.SetPlannerToEndOf(moves_[completed - 1]);
      noInterrupts();
      endMachineCut();
      finish(CutJobResult::Failed);
      return;
    case WorkerEnd::HeatAborted: {
      bool cancelled = false;
      {
        const std::lock_guard<std::mutex> lock(mutex_);
        cancelled = shared_.cancel;
      }
      endMachineCut();
      finish(cancelled ? CutJobResult::Cancelled : CutJobResult::Failed);
      return;
    }
    case WorkerEnd::Cancelled:
      break;
  }
  // Cancelled after `completed` complete moves (at least one): the wire is at
  // the end of the last of them. Take it out of the block and home.
  planner.SetPlannerToEndOf(moves_[completed - 1]);
  planner.setBusy(false);
  MoveList retreat = planRetreat();
  planner.setBusy(true);
  if (retreat.empty()) {
    planner.SetPlannerToEndOf(moves_[completed - 1]);
    endMachineCut();
    finish(CutJobResult::Cancelled);
    return;
  }
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    retreat_ = std::move(retreat);
    phase_ = Phase::Retreat;
  }
  launch(retreat_, std::nullopt, false);
}

void CutJob::endMachineCut() {
  if (waitCursor_) {
    env_.status.setWaitCursor(false);
    waitCursor_ = false;
  }
  env_.driver.Stop();
  if ((flags_ & kCutPlaySound) != 0) PlayEndOfCutSound();
  env_.driver.Stop();
}

void CutJob::finish(CutJobResult result, bool readDriverPosition) {
  // The position the cut ended at, not the one of the last service().
  WirePosition position;
  if (readDriverPosition && env_.driver.ReadPosition(position)) {
    const std::lock_guard<std::mutex> lock(mutex_);
    position_ = position;
  }
  const CutJobProgress last = progress();
  MoveList released;
  MoveList releasedRetreat;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    final_ = last;
    final_.moveIndex = std::min(final_.moveIndex, final_.moveCount);
    released.swap(moves_);
    releasedRetreat.swap(retreat_);
    phase_ = Phase::Idle;
  }
  env_.planner.clearResiduals();
  env_.planner.setBusy(false);
  result_ = result;
  running_ = false;
  if (finished_) {
    const Finished finished = std::move(finished_);
    finished_ = nullptr;
    finished(result);
  }
}

bool CutJob::sendOnOwner(const MoveList& moves) {
  std::size_t done = 0;
  for (const CutMove& move : moves) {
    if (!SendMove(move)) break;
    ++done;
  }
  lastCutMovesSent_ = done;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    shared_.completed = done;
  }
  if (done == moves.size()) return true;
  if (done > 0) env_.planner.SetPlannerToEndOf(moves[done - 1]);
  env_.prompt.showMessage(messageText(Msg::NoInterruptsDuringCutting), MessageIcon::Information);
  return false;
}

// ---------------------------------------------------------------------------
// Controller table

bool CutJob::onControllerTable() const {
  return env_.controller != nullptr && env_.machine.table.controller.isGrbl();
}

bool CutJob::startOnController() {
  const TableConfig& table = env_.machine.table;
  const ControllerLink& link = table.controller;
  ControllerSession& session = *env_.controller;
  int heatMode = 0;
  int heat = 0;
  env_.machine.foams.GetHeatState(heatMode, heat);
  const bool heatControl = link.CtlHeatS > 0.0;
  heatText_ = heatControl ? fillFields("%s %d%%", {messageText(heatMode == FixedHeat ? Msg::Fixed
                                                                                      : Msg::Computed),
                                                   heat})
                          : std::string(messageText(Msg::Manual));
  double total = 0.0;
  for (const CutMove& move : moves_) total += move.duration;
  if ((flags_ & kCutConfirm) != 0) {
    const std::string text = ConfirmationText(speed_, TimeText(total), heatText_);
    if (env_.prompt.askOkCancel(text, MessageIcon::Question) != Answer::Ok) {
      finish(CutJobResult::Cancelled, false);
      return false;
    }
  }
  const auto fail = [this](const std::string& text) {
    env_.prompt.showMessage(text, MessageIcon::Warning);
    finish(CutJobResult::Failed, false);
    return false;
  };

  GcodeOptions options;
  options.dialect = GcodeDialect::Grbl;
  options.axisLetters = link.CtlAxes;
  if (heatControl) options.sMax = link.CtlHeatS;
  options.heatControl = heatControl;
  GcodeJob job;
  job.sourceFile = env_.output.sourceFile;
  job.panel = env_.output.panelName;
  job.cutSpeed = speed_;
  job.heatPercent = heat;
  job.heatMode = heatMode;
  job.zeroX = table.ZeroX;
  job.zeroY = table.ZeroY;
  std::vector<std::size_t> movesAtLine;
  std::string text;
  try {
    text = WriteGcode(moves_, job, options, &movesAtLine);
  } catch (const std::invalid_argument& e) {
    return fail(e.what());
  }

  // The session's own timeouts are kept; the link decides the rest, so an
  // open connection with the same link is used as it is.
  GrblSettings settings = session.connected() ? session.settings() : GrblSettings{};
  settings.axisLetters = link.CtlAxes;
  settings.rxBufferSize = link.CtlRxBuffer;
  settings.statusInterval = std::chrono::milliseconds(link.CtlStatusMs);
  if (!session.ensureConnected(link.CtlPort, link.CtlBaud, settings)) {
    return fail(session.failureText());
  }
  GrblStreamer& streamer = *session.streamer();
  std::vector<GrblProgramLine> program = GrblProgramFromText(text, settings.keepComments);
  ControllerCut cut;
  cut.session = &session;
  cut.connection = session.connectionNumber();
  cut.movesDone.reserve(program.size());
  for (const GrblProgramLine& line : program) {
    const std::size_t index = line.fileLine == 0 ? 0 : line.fileLine - 1;
    cut.movesDone.push_back(index < movesAtLine.size() ? movesAtLine[index] : moves_.size());
  }
  if (!streamer.start(std::move(program), clearance_)) return fail(streamer.failureText());
  controllerCut_ = std::move(cut);
  env_.planner.setBusy(true);
  if ((flags_ & kCutLong) == 0) {
    // A short cut ends before start() returns, as on the interface.
    runToEnd();
    return false;
  }
  env_.status.setWaitCursor(true);
  waitCursor_ = true;
  return true;
}

void CutJob::serviceController(std::chrono::milliseconds wait) {
  ControllerCut& cut = *controllerCut_;
  // The stream runs on the connection it started on: one closed or opened
  // anew meanwhile (by the user) has lost it.
  GrblStreamer* streamer =
      cut.session->connectionNumber() == cut.connection ? cut.session->streamer() : nullptr;
  if (streamer == nullptr) {
    endControllerCut(GrblStreamState::Failed, nullptr);
    return;
  }
  const GrblStreamState state = streamer->service(wait);
  const GrblProgress& progress = streamer->progress();
  std::size_t completed = 0;
  if (progress.acknowledged > 0 && !cut.movesDone.empty()) {
    completed = cut.movesDone[std::min(progress.acknowledged, cut.movesDone.size()) - 1];
  }
  if (state == GrblStreamState::Finished) completed = moves_.size();
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    shared_.completed = std::min(completed, moves_.size());
    shared_.current = moves_.empty() ? 0 : std::min(completed, moves_.size() - 1);
    if (progress.position) {
      const TableConfig& table = env_.machine.table;
      const auto& at = *progress.position;
      position_ = WirePosition{at[0] + table.ZeroX, at[1] + table.ZeroY, at[2] + table.ZeroX,
                               at[3] + table.ZeroY};
    }
    cut.retreating = progress.retreating;
  }
  // The heat shown is the program's: the controller does not measure it.
  int heatMode = 0;
  int heat = 0;
  env_.machine.foams.GetHeatState(heatMode, heat);
  status_ = DriverStatus{};
  status_.controlFlag = env_.machine.table.controller.CtlHeatS > 0.0 ? 1 : 0;
  status_.heatOnCount = std::clamp(heat, 0, 100);
  status_.heatOffCount = 100 - status_.heatOnCount;
  env_.status.setStatusText(ProgressText(speed_, status_, heatText_));
  if (state == GrblStreamState::Running || state == GrblStreamState::Stopping) return;
  endControllerCut(state, streamer);
}

void CutJob::endControllerCut(GrblStreamState state, GrblStreamer* streamer) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    lastCutMovesSent_ = shared_.completed;
  }
  const CutJobResult result = state == GrblStreamState::Finished    ? CutJobResult::Done
                              : state == GrblStreamState::Cancelled ? CutJobResult::Cancelled
                                                                    : CutJobResult::Failed;
  if (result != CutJobResult::Done) {
    // The planner goes where the controller last saw the wire.
    if (streamer != nullptr) {
      if (const auto at = streamer->position()) {
        env_.planner.SetPlannerPosition((*at)[0], (*at)[1], (*at)[2], (*at)[3]);
      }
    }
    if (result == CutJobResult::Failed) {
      std::string text = streamer != nullptr ? streamer->failureText() : std::string();
      if (text.empty()) text = formatMessage(Msg::GrblNotConnected);
      env_.prompt.showMessage(text, MessageIcon::Warning);
    }
  }
  controllerCut_.reset();
  if (waitCursor_) {
    env_.status.setWaitCursor(false);
    waitCursor_ = false;
  }
  if ((flags_ & kCutPlaySound) != 0) PlayEndOfCutSound();
  finish(result, false);
}

// ---------------------------------------------------------------------------
// Retreat

MoveList CutJob::planRetreat() {
  const MoveList& moves = moves_;
  const std::size_t completed = lastCutMovesSent_;
  const double speed = speed_;
  MovePlanner& planner = env_.planner;
  const TableConfig& table = env_.machine.table;
  const CutMove& last = moves[completed - 1];
  // Relative to the machine zero, as the planner takes its targets.
  const double xg = last.XG - table.ZeroX;
  const double yg = last.YG - table.ZeroY;
  const double xd = last.XD - table.ZeroX;
  const double yd = last.YD - table.ZeroY;

  double clearance = 0.0;
  if (clearance_ && std::isfinite(*clearance_)) {
    clearance = *clearance_;
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

}  // namespace orva
