#pragma once

// The protocol engine of a GRBL-family controller (GRBL 1.1 four-axis builds,
// FluidNC) on a ControllerTransport: connection, one-line commands (unlock,
// jog, zero, heat), and the streaming of a G-code program with character
// counting, status polling, hold, resume and a cancel that keeps the position.
//
// Streaming: a line goes out only when it fits, with its line end, into what
// is left of the controller's receive buffer (its size minus the bytes of the
// lines sent and not yet answered); every "ok" or "error:N" answers the oldest
// of them. Status is asked with "?" at the status interval (at most 5 Hz). The
// program is followed by "G4 P0", whose "ok" comes only once every move has
// run; a program has finished when that "ok" and then an Idle report came.
//
// Failures end the program and say where the wire is:
// - a line refused ("error:N"): feed hold, soft reset once the machine stands
//   (so the controller keeps its position), "M5"; the position is known;
// - "ALARM:N", a lost port, or no status report within the answer timeout:
//   the program ends at once (a soft reset is sent where the port still takes
//   it, which switches the controller's spindle output off), the position is
//   unknown until the axes are zeroed again.
// Cancel: feed hold, wait until the machine stands, soft reset, then the
// retreat: both towers straight up to the clearance height at the retreat
// feed (with the program's heat on, since the wire may still be in the
// block), back to X = 0 at that height, down to 0, 0, and "M5".
//
// Single-threaded: call it from one thread. connect() and command() block
// (bounded by the timeouts); a stream runs by calls of service(), which waits
// at most the time given, so a window can drive it from a timer.

#include <array>
#include <chrono>
#include <cstddef>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "driver/ControllerTransport.h"
#include "driver/GrblProtocol.h"

namespace orva {

struct GrblSettings {
  // The controller's words for XG, YG, XD, YD ("XYZA", "XYUV", any order).
  std::string axisLetters = "XYZA";
  int rxBufferSize = 128;  // GRBL on an Uno: 128; Mega builds 255; FluidNC larger
  std::chrono::milliseconds statusInterval{200};  // raised to 200 ms (5 Hz) when shorter
  // No status report for so long while one was asked for: the controller is lost.
  std::chrono::milliseconds answerTimeout{4000};
  std::chrono::milliseconds bannerTimeout{5000};  // after the soft reset of connect and cancel
  bool keepComments = false;  // send "( ... )" comments too (stripped by default)
  double retreatFeed = 150.0;  // mm/min of the rise to the clearance after a cancel
};

// "" when the settings can be used, else why not.
std::string CheckGrblSettings(const GrblSettings& settings);

// Where one line of the program came from, for messages and progress.
struct GrblProgramLine {
  std::string text;         // what is sent (see GrblLineToSend)
  std::size_t fileLine = 0;  // 1-based line number in the source
};

// The lines of a G-code text worth sending (comments per `keepComments`).
std::vector<GrblProgramLine> GrblProgramFromText(std::string_view gcode, bool keepComments);

enum class GrblStreamState {
  Idle,       // no program
  Running,    // lines go out (also while held)
  Stopping,   // a failure or cancel is being brought to a safe stop
  Finished,   // every line acknowledged, the controller idle
  Failed,     // see failureText(); positionKnown() says whether the wire is known
  Cancelled,  // cancelled and retreated
};

struct GrblProgress {
  std::size_t lineCount = 0;      // lines of the program
  std::size_t acknowledged = 0;   // of them answered "ok"
  std::size_t fileLine = 0;       // source line of the last acknowledged one (0: none)
  std::string state;              // the controller's last reported state
  bool retreating = false;        // the retreat after a cancel runs
  std::optional<std::array<double, 4>> position;  // XG, YG, XD, YD, work coordinates
  std::optional<int> plannerBlocksFree;           // Bf: of the last report
  // Reports while the program moved (first "Run" to last acknowledgement).
  int runReports = 0;
  // Fewest free planner blocks in them (planner fullest: 0); -1: none reported.
  int minPlannerBlocksFree = -1;
  // Most free planner blocks in them (the planner ran empty when it equals
  // the planner's size); -1: none reported.
  int maxPlannerBlocksFree = -1;
};

// What is written to or read from the controller, for a log view.
enum class GrblTraffic { Sent, Received, Realtime };

class GrblStreamer {
 public:
  GrblStreamer(ControllerTransport& transport, GrblSettings settings);

  // Opens the port, sends a soft reset and waits for the banner, then asks
  // for the build info ("$I": the controller's axis order) and the status.
  // False with failureText() when no controller answered.
  bool connect();
  void disconnect();
  bool isConnected() const { return connected_; }
  const std::string& banner() const { return banner_; }

  // One line (not while a program runs), waiting for its answer; false with
  // failureText() when refused or when the controller was lost.
  bool command(std::string_view line);
  bool unlock();  // "$X"
  // Asks for the status until the controller reports Idle (a jog or the
  // moves of commands have ended); false after `timeout` or in alarm.
  bool waitIdle(std::chrono::milliseconds timeout);
  // A relative jog of the given towers (nothing: the axis stays) at `feed` mm/min.
  bool jog(const std::array<std::optional<double>, 4>& delta, double feed);
  void jogCancel() { writeRealtime(kGrblJogCancel); }
  // The current position becomes the work zero of the active coordinate
  // system; the position is known from then on.
  bool setWorkZero();
  // The wire heat through the spindle output: on with `spindle` (M3 S), or off (M5).
  bool setHeat(std::optional<double> spindle);
  void hold() { writeRealtime(kGrblFeedHold); }
  void resume() { writeRealtime(kGrblCycleStart); }
  // Soft reset: stops at once and switches the spindle output off; the
  // position is lost when the machine moved.
  void emergencyStop();
  // Asks for a status report and waits for it; false when none came.
  bool refreshStatus();

  // Starts streaming `program`; false with failureText() when it cannot
  // start (not connected, a program runs, a line too long for the buffer,
  // the controller in alarm). `clearance`: height of the cancel retreat;
  // nothing: the highest tower height of the program.
  bool start(std::vector<GrblProgramLine> program, std::optional<double> clearance = {});
  // Works the stream for at most `wait`; returns its state.
  GrblStreamState service(std::chrono::milliseconds wait);
  // Asks the running program to stop and retreat (ignored when none runs or
  // it already stops).
  void cancel();
  // Runs `program` to its end, calling `onProgress` after each service and
  // cancelling once `cancelRequested` returns true.
  GrblStreamState run(std::vector<GrblProgramLine> program, std::optional<double> clearance,
                      const std::function<void(const GrblProgress&)>& onProgress,
                      const std::function<bool()>& cancelRequested);

  GrblStreamState state() const { return streamState_; }
  const GrblProgress& progress() const { return progress_; }
  const std::optional<GrblStatus>& lastStatus() const { return status_; }
  // XG, YG, XD, YD in work coordinates of the last report.
  std::optional<std::array<double, 4>> position() const;
  bool positionKnown() const { return positionKnown_; }
  const std::string& failureText() const { return failure_; }
  const GrblAxisMap& axisMap() const { return axisMap_; }
  // The planner's size in blocks as the build reports it ("$I"); 0: not reported.
  int plannerBlocks() const { return plannerBlocks_; }

  void setTrafficLog(std::function<void(GrblTraffic, std::string_view)> log) {
    log_ = std::move(log);
  }

 private:
  using Clock = std::chrono::steady_clock;
  enum class Tag { Program, Command, Sync };
  enum class Phase { None, Streaming, Draining, Holding, Resetting, AfterReset, Finishing };
  struct Outgoing {
    std::string text;
    Tag tag = Tag::Command;
    std::size_t index = 0;
  };

  void pump(std::chrono::milliseconds wait);
  void sendWhatFits();
  void handleLine(std::string_view line);
  void handleStatus(const GrblStatus& status);
  void watchForLostAnswer(const GrblStatus& status);
  void pollStatus();
  bool writeRealtime(char byte);
  bool writeBytes(std::string_view bytes, GrblTraffic kind);
  void lose(std::string text);  // port lost / no answer / alarm: ends at once, position unknown
  void losePort();
  void failRefused(const Outgoing& line, int code);
  void beginSafeStop();
  void afterReset();
  void finishStream(GrblStreamState state);
  bool waitFor(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  std::string describeCode(int code, bool alarm) const;

  ControllerTransport& transport_;
  GrblSettings settings_;
  GrblAxisMap axisMap_;
  bool connected_ = false;
  std::string banner_;
  std::string axesMismatch_;
  int plannerBlocks_ = 0;  // the controller's axes when they lack a letter
  bool bannerSeen_ = false;
  std::string received_;  // bytes not yet forming a line

  std::deque<Outgoing> queue_;
  std::deque<Outgoing> inFlight_;
  std::size_t inFlightBytes_ = 0;
  std::optional<int> commandError_;
  std::size_t losses_ = 0;  // counts lose(): ends the waits of connect and command
  bool locked_ = false;  // in alarm: G-code refused until unlocked
  std::optional<int> alarmCode_;  // the last alarm since connect or the last command
  bool commandAnswered_ = false;
  std::size_t commandCount_ = 0;    // numbers the commands (Outgoing::index)
  std::size_t awaitedCommand_ = 0;  // the one command() waits for

  std::optional<GrblStatus> status_;
  std::vector<double> workOffset_;
  std::size_t statusCount_ = 0;
  bool statusAsked_ = false;
  Clock::time_point lastQuery_{};
  Clock::time_point phaseSince_{};
  std::optional<Clock::time_point> standingSince_;  // idle, nothing to read, lines unanswered

  std::vector<GrblProgramLine> program_;
  Phase phase_ = Phase::None;
  GrblStreamState streamState_ = GrblStreamState::Idle;
  GrblStreamState endState_ = GrblStreamState::Finished;  // what Finishing ends in
  bool cancelling_ = false;
  bool moving_ = false;
  std::size_t syncStatusCount_ = 0;
  bool syncAcknowledged_ = false;
  double clearance_ = 0.0;
  std::optional<double> heat_;  // the program's spindle value when the heat is on
  GrblProgress progress_;
  bool positionKnown_ = false;
  std::string failure_;
  std::function<void(GrblTraffic, std::string_view)> log_;
};

}  // namespace orva
