#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

#include "driver/DriverDevice.h"
#include "motion/CutEnvironment.h"
#include "motion/CutMove.h"

namespace orva {

// Runs a planned cut: on the machine (confirmation, heat check, worker thread
// streaming the moves, progress display, end-of-cut sound) or, with "Cut to
// File", as a cut script. One executor per program context; one cut at a time.
//
// Cancelling: while a cut runs on the worker thread, the environment's poll
// callback (or requestAbort()) can ask for an abort. The worker finishes the
// move it is sending (a move is never cut short), then the executor plans and
// runs the retreat labelled "Abort cut": both towers straight up to the abort
// clearance height (CutEnvironment::abortClearanceHeight) at the cutting speed,
// since the hot wire may still be in the block, then a rapid move to X = 0 at
// that height and a rapid move to 0, 0. The retreat itself cannot be
// cancelled. The cut then ends as a failure (no message unless the retreat
// fails) and the interface is stopped.
//
// Planner position after a cut: a cut that ran to its end leaves the planner
// where it was planned (the end of the list). A cut that failed or was aborted
// leaves it where the machine really is: the end of the last move that was
// completely output (after an abort: the end of the retreat). When no move of
// the list was output at all (confirmation cancelled, heat check aborted,
// first move refused) the planner keeps the position planned for the end of
// the list, since the start of the list is not known here. In every case the
// residuals are cleared and the list is released.
class CutExecutor {
 public:
  // Exit codes of CutWorker.
  static constexpr int kWorkerDone = 0;
  static constexpr int kWorkerFailed = 1;   // a move was refused by the driver
  static constexpr int kWorkerAborted = 2;  // stopped on request after a complete move
  static constexpr std::chrono::milliseconds kDefaultPollInterval{500};
  // Heat below this percentage makes the heat check ask the user.
  static constexpr int kMinimumHeatPercent = 2;
  // Length of the pause sent to measure the heat, ms.
  static constexpr double kHeatCheckDwellMs = 500.0;

  explicit CutExecutor(CutEnvironment& env);
  CutExecutor(const CutExecutor&) = delete;
  CutExecutor& operator=(const CutExecutor&) = delete;

  // Runs or writes `moves` (see CutFlags) and releases them. `speed` (mm/s) is
  // only shown; a value <= 0 leaves the speed line out of the confirmation.
  // Returns whether the cut was executed (or written) completely; true also
  // when nothing is executed because the planner is surveying.
  bool ExecuteCut(MoveList moves, int flags, double speed);

  // The machine part with the worker thread: optional heat check, streaming,
  // progress display every pollInterval(), abort and retreat. Start and Stop
  // are the caller's. `heatText` is shown in the progress text when the
  // interface does not report hand-set heat.
  bool RunCutThread(const MoveList& moves, const std::string& heatText, bool checkHeat,
                    double speed);

  // The worker body: SendMove for every move in order; after each complete
  // move, stops if an abort was requested. Returns kWorkerDone, kWorkerFailed
  // or kWorkerAborted; movesCompleted() tells how far it got. Thread-safe
  // against requestAbort() and the progress display.
  int CutWorker(const MoveList& moves);

  // One move to the driver. A move with nothing to output (no entries, or no
  // step and no duration) is skipped and counts as success. Everything else is
  // sent whole, in particular a move of duration 0 that carries steps (the
  // machine would otherwise lose its position) and a pause (steps-free move
  // with a duration: the wire heats while it runs).
  bool SendMove(const CutMove& move);

  void PlayEndOfCutSound();

  // Asks the running worker to stop after the move it is sending. Callable
  // from any thread; ignored when no cut runs.
  void requestAbort();
  bool running() const { return running_.load(std::memory_order_acquire); }

  // Moves completely handled by the current or last run of CutWorker (or of
  // the in-order sender); after an abort, the moves of the retreat.
  std::size_t movesCompleted() const { return completed_.load(std::memory_order_acquire); }
  // Moves of the last cut's own list completely output on the machine.
  std::size_t lastCutMovesSent() const { return lastCutMovesSent_; }
  // Whether the last machine run was aborted on request (and retreated).
  bool lastCutAborted() const { return lastAborted_; }

  std::chrono::milliseconds pollInterval() const { return pollInterval_; }
  void setPollInterval(std::chrono::milliseconds interval) { pollInterval_ = interval; }

  CutEnvironment& environment() { return env_; }

  // Texts. All numbers are written with a point, whatever the process locale.
  // "%d sec" below a minute, else "%d min %d sec", of the truncated seconds.
  static std::string TimeText(double totalSeconds);
  // "manual" when the interface reports hand-set heat, else "fixed 45%" or
  // "computed 45%" from the foam database. Reads the interface status.
  std::string HeatText();
  // The confirmation: with the speed line when speed > 0.
  static std::string ConfirmationText(double speed, const std::string& timeText,
                                      const std::string& heatText);
  // The status-bar text while a cut runs.
  static std::string ProgressText(double speed, const DriverStatus& status,
                                  const std::string& heatText);
  // on·100 / (on + off), integer division; 0 when both counts are 0.
  static int MeasuredHeat(const DriverStatus& status);

 private:
  enum class HeatCheck { Go, Abort, Failed };
  HeatCheck checkHeat();
  int streamOnWorker(const MoveList& moves, bool abortable, const std::string& heatText,
                     double speed);
  MoveList planRetreat(const MoveList& moves, std::size_t completed, double speed);
  void setPlannerToEndOf(const CutMove& move);

  CutEnvironment& env_;
  std::chrono::milliseconds pollInterval_ = kDefaultPollInterval;
  std::optional<double> cutClearance_;  // abort clearance of the cut running
  std::atomic<bool> abortRequested_{false};
  std::atomic<bool> running_{false};
  std::atomic<bool> retreating_{false};  // the worker runs the retreat: no abort
  std::atomic<std::size_t> completed_{0};
  std::size_t lastCutMovesSent_ = 0;
  bool lastAborted_ = false;
};

}  // namespace orva
