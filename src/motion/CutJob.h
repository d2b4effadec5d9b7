#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/UserPrompt.h"
#include "driver/DriverDevice.h"
#include "driver/GrblStreamer.h"
#include "motion/CutEnvironment.h"
#include "motion/CutMove.h"

namespace orva {

// How the last cut of a job ended.
enum class CutJobResult {
  None,       // no cut yet
  Running,    // the cut runs
  Done,       // run (or written, or totalled while surveying) completely
  Failed,     // refused by the driver, heat check aborted, file not written, ...
  Cancelled,  // confirmation cancelled, or cancelled while it ran (and retreated)
};

// What the owner shows while a cut runs. Move counts and times refer to the
// list being output: the cut, or its retreat once cancelled.
struct CutJobProgress {
  std::size_t moveIndex = 0;  // moves completely output
  std::size_t moveCount = 0;
  std::string label;              // the move being output (the last one at the end)
  double elapsedSeconds = 0.0;    // since the cut was started
  double remainingSeconds = 0.0;  // planned durations of the moves not completely output
  int heatPercent = 0;            // measured heat at the last service()
  bool retreating = false;        // the cut was cancelled and the wire goes home
  // The wire as the driver reported it at the last service(); nothing when
  // the driver cannot tell.
  std::optional<WirePosition> position;
};

// A cut on the machine or, with "Cut to File", as a file. One job per program
// context, one cut at a time.
//
// Threads: start(), service(), cancel() and progress() belong to the owner's
// thread, which also shows everything: the confirmation, the heat question,
// the status text, the messages, the end-of-cut sound. The moves are streamed
// to the driver by a worker thread that never calls a port: what it has to
// say is queued and shown by the next service().
//
// Order of a machine cut: confirmation ("Start cut ?"), Start, with the heat
// check a 500 ms pause and the question "Wire heat lower than 2%" while the
// heat is too low, the moves, then Stop, the end-of-cut sound, Stop. While the
// cut runs the planner is busy (planning is refused).
//
// Cancelling: the worker finishes the move it is sending (a move is never cut
// short) and stops; the job then runs the retreat labelled "Abort cut": both
// towers straight up to the cut's clearance height (CutEnvironment::
// abortClearanceHeight, else the highest tower height of the list) at the
// cutting speed, since the hot wire may still be in the block, a rapid move
// to X = 0 at that height and a rapid move to 0, 0. The retreat itself is not
// cancelled. Cancelling during the heat check ends the cut before any move.
//
// Planner after a cut: a cut that ran to its end leaves the planner where it
// was planned. A cut that failed or was cancelled leaves it where the machine
// really is: position and axis directions of the last move completely output
// (after a cancel, of the retreat), so the next move takes up backlash on the
// right side. When no move of the list was output at all (confirmation
// cancelled, heat check aborted, first move refused) the planner keeps the
// state planned for the end of the list, since the start of the list is not
// known here. In every case the residuals are cleared and the list released.
//
// On a table whose link is a G-code controller (ControllerLink::isGrbl, with
// the environment's controller session) a machine cut does not go to the
// interface driver: the list is written as G-code (the table's axis letters,
// CtlHeatS as full heat, none: no heat commands; the table's zero) and
// streamed through the session's GrblStreamer, connecting it first to the
// table's port when it is not. service() works the stream on the owner's
// thread; the progress counts the moves whose lines the controller has
// acknowledged, the heat is the program's, the position is the controller's
// report (work coordinates plus the table's zero). There is no heat check.
// Cancel is the streamer's: hold, reset once the wire stands, its retreat. A
// refused line, an alarm or a lost port ends the cut Failed with the
// streamer's message; the planner then takes the last position the
// controller reported (ControllerSession::positionKnown tells whether it can
// be trusted), as it does after a cancel.
class CutJob {
 public:
  static constexpr std::chrono::milliseconds kDefaultPollInterval{500};
  // Heat below this percentage makes the heat check ask the user.
  static constexpr int kMinimumHeatPercent = 2;
  // Length of the pause sent to measure the heat, ms.
  static constexpr double kHeatCheckDwellMs = 500.0;

  explicit CutJob(CutEnvironment& env);
  // A cut still running is cancelled and driven to its end (retreat included).
  ~CutJob();
  CutJob(const CutJob&) = delete;
  CutJob& operator=(const CutJob&) = delete;

  // Starts `moves` (see CutFlags) and takes them over. `speed` (mm/s) is only
  // shown; a value <= 0 leaves the speed line out of the confirmation. The
  // confirmation and a file output happen here. Returns true when a worker
  // was started: the owner then calls service() until running() is false.
  // False when the cut is already over (result() tells how: written,
  // surveyed, cancelled, sent without the worker) or refused because a cut is
  // running ("A cut is running", the running cut goes on).
  // `finished`, when given, is called on the owner's thread once the cut is
  // over (also when start() itself ends it), with its result.
  using Finished = std::function<void(CutJobResult)>;
  bool start(MoveList moves, int flags, double speed, Finished finished = {});
  // The owner's periodic call while running(): status text, queued messages,
  // the heat question when the worker waits for it, the retreat after a
  // cancel, and the end of the cut.
  void service();
  // Asks the running cut to stop after the move being sent and retreat.
  // Ignored when no cut runs or the retreat runs.
  void cancel();

  bool running() const { return running_; }
  CutJobResult result() const { return result_; }
  CutJobProgress progress() const;

  // Calls service() every pollInterval() until the cut is over; after each
  // service() of a running cut, `cancelRequested` (when given) is asked and
  // cancels the cut when it returns true. True when the cut is Done.
  bool runToEnd(const std::function<bool()>& cancelRequested = {});
  // start() then runToEnd(): the blocking form for the command-line tool and tests.
  bool ExecuteCut(MoveList moves, int flags, double speed);

  // One move to the driver from the owner's thread (manual control). A move
  // with nothing to output (no entries, or no step and no duration) is
  // skipped and counts as success. Everything else is sent whole, in
  // particular a move of duration 0 that carries steps and a pause.
  bool SendMove(const CutMove& move);
  void PlayEndOfCutSound();

  // The running cut's own list (not its retreat), for views that follow the
  // wire; empty while no cut runs. Owner's thread only.
  const MoveList& moves() const { return moves_; }

  // Moves of the last cut's own list completely output on the machine.
  std::size_t lastCutMovesSent() const { return lastCutMovesSent_; }

  std::chrono::milliseconds pollInterval() const { return pollInterval_; }
  void setPollInterval(std::chrono::milliseconds interval) { pollInterval_ = interval; }

  CutEnvironment& environment() { return env_; }

  // Texts. All numbers are written with a point, whatever the process locale.
  // "%d sec" below a minute, else "%d min %d sec", of the truncated seconds.
  static std::string TimeText(double totalSeconds);
  // "manual" when the interface reports hand-set heat, else "fixed 45%" or
  // "computed 45%" from the foam database. Reads the interface status.
  std::string HeatText();
  static std::string ConfirmationText(double speed, const std::string& timeText,
                                      const std::string& heatText);
  // The status-bar text while a cut runs.
  static std::string ProgressText(double speed, const DriverStatus& status,
                                  const std::string& heatText);
  // on·100 / (on + off), integer division; 0 when both counts are 0.
  static int MeasuredHeat(const DriverStatus& status);

 private:
  enum class Phase { Idle, Cut, Retreat };
  enum class Verdict { Go, Retry, Abort };
  enum class WorkerEnd { Done, Failed, Cancelled, HeatAborted };

  // Shared with the worker, guarded by mutex_.
  struct Shared {
    bool cancel = false;
    bool waitingForVerdict = false;
    std::optional<Verdict> verdict;
    bool ended = false;
    WorkerEnd end = WorkerEnd::Done;
    std::size_t completed = 0;  // moves of the list streamed now
    std::size_t current = 0;    // the move being sent
    std::vector<std::string> messages;
  };

  void launch(const MoveList& moves, std::optional<CutMove> dwell, bool cancellable);
  void work(const MoveList& moves, const std::optional<CutMove>& dwell, bool cancellable);
  void joinWorker();
  void answerHeatCheck();
  void showQueuedMessages();
  void workerEnded(WorkerEnd end, std::size_t completed);
  void endMachineCut();
  void finish(CutJobResult result, bool readDriverPosition = true);
  bool onControllerTable() const;
  bool startOnController();
  void serviceController(std::chrono::milliseconds wait);
  void endControllerCut(GrblStreamState state, GrblStreamer* streamer);
  bool sendOnOwner(const MoveList& moves);
  MoveList planRetreat();

  CutEnvironment& env_;
  std::chrono::milliseconds pollInterval_ = kDefaultPollInterval;

  // Owner's state of the cut.
  MoveList moves_;
  MoveList retreat_;
  std::optional<double> clearance_;
  int flags_ = 0;
  double speed_ = 0.0;
  std::string heatText_;
  bool waitCursor_ = false;
  bool running_ = false;
  Phase phase_ = Phase::Idle;
  CutJobResult result_ = CutJobResult::None;
  std::size_t lastCutMovesSent_ = 0;
  std::chrono::steady_clock::time_point started_{};
  DriverStatus status_;
  std::optional<WirePosition> position_;
  CutJobProgress final_;
  Finished finished_;  // the progress as the last cut ended

  // The cut streamed to a G-code controller, while it runs.
  struct ControllerCut {
    ControllerSession* session = nullptr;
    std::uint64_t connection = 0;          // the session's connection the stream runs on
    std::vector<std::size_t> movesDone;    // per line of the program: moves run after it
    bool cancelRequested = false;
    bool retreating = false;
  };
  std::optional<ControllerCut> controllerCut_;

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  Shared shared_;
  std::thread worker_;
};

}  // namespace orva
