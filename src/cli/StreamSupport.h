#pragma once

// What the commands that stream to a G-code controller share (stream, and
// cut --run): the serial-port options, Ctrl+C, the progress on the terminal,
// the unlock of a controller in alarm and the end report with its exit code.

#include <signal.h>

#include <QCommandLineParser>
#include <cstddef>
#include <optional>
#include <string>

#include "driver/GrblStreamer.h"

namespace orva::cli {

// Catches Ctrl+C while it lives: interrupted() then turns true (the handler
// does nothing else); the previous handler comes back at the end.
class StreamInterruptGuard {
 public:
  StreamInterruptGuard();
  ~StreamInterruptGuard();
  StreamInterruptGuard(const StreamInterruptGuard&) = delete;
  StreamInterruptGuard& operator=(const StreamInterruptGuard&) = delete;
  static bool interrupted();

 private:
  struct sigaction previous_ {};
};

// --port PATH, --baud N, --rx-buffer N, --unlock (`--axes` is each command's own).
void addControllerOptions(QCommandLineParser& parser);
struct ControllerOptions {
  std::optional<std::string> port;
  std::optional<int> baud;
  std::optional<int> rxBuffer;
  bool unlock = false;
};
// False (the message printed) when a value is unusable.
bool readControllerOptions(const QCommandLineParser& parser, ControllerOptions& options);

// "Position: XG ..." or "Position unknown ...".
std::string positionText(const GrblStreamer& streamer);

// The progress on stderr: a redrawn bar on a terminal, a line per tenth
// otherwise.
class StreamProgressPrinter {
 public:
  StreamProgressPrinter();
  void print(const GrblProgress& progress);
  // Ends the bar's line.
  void end();

 private:
  bool bar_;
  std::size_t tenth_ = 0;
};

// After connect: prints the banner; a controller in alarm is unlocked with
// `unlock`, else refused. False (the message printed) when it cannot go on.
bool readyAfterConnect(GrblStreamer& streamer, bool unlock);

// The end of a stream: the planner fill, the position on stdout, the
// failure (unless `failureShown`), and the exit code: 0 when finished, 130
// when cancelled by Ctrl+C, 1 otherwise.
int reportStreamEnd(const GrblStreamer& streamer, GrblStreamState state, bool interrupted,
                    bool failureShown);

}  // namespace orva::cli
