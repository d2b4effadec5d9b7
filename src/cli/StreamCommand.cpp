#include "cli/StreamCommand.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>

#include "common/Messages.h"
#include "controller/SerialTransport.h"
#include "driver/GrblStreamer.h"

namespace orva::cli {

namespace {

// Set by SIGINT, polled by the streaming loop: the handler does nothing else.
std::atomic<bool> streamInterrupted{false};

extern "C" void onStreamInterrupt(int /*signal*/) { streamInterrupted.store(true); }

class StreamInterruptGuard {
 public:
  StreamInterruptGuard() {
    streamInterrupted.store(false);
    struct sigaction action {};
    action.sa_handler = onStreamInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous_);
  }
  ~StreamInterruptGuard() { ::sigaction(SIGINT, &previous_, nullptr); }
  StreamInterruptGuard(const StreamInterruptGuard&) = delete;
  StreamInterruptGuard& operator=(const StreamInterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

std::string fixed3(double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.3f", value);
  return buffer;
}

std::string positionText(const GrblStreamer& streamer) {
  const auto at = streamer.position();
  if (!at || !streamer.positionKnown()) return std::string(messageText(Msg::GrblPositionUnknown));
  return formatMessage(Msg::GrblPosition,
                       {fixed3((*at)[0]), fixed3((*at)[1]), fixed3((*at)[2]), fixed3((*at)[3])});
}

// One line on the terminal, redrawn: a bar of the lines acknowledged, the
// controller's state and the position.
void drawBar(const GrblProgress& progress) {
  constexpr std::size_t kWidth = 30;
  const std::size_t done = progress.lineCount == 0
                               ? kWidth
                               : kWidth * progress.acknowledged / progress.lineCount;
  std::string bar(done, '#');
  bar.resize(kWidth, '.');
  std::cerr << "\r[" << bar << "] " << progress.acknowledged << '/' << progress.lineCount << ' '
            << progress.state;
  if (progress.position) {
    std::cerr << "  XG " << fixed3((*progress.position)[0]) << " YG "
              << fixed3((*progress.position)[1]) << " XD " << fixed3((*progress.position)[2])
              << " YD " << fixed3((*progress.position)[3]);
  }
  std::cerr << (progress.retreating ? "  retreat" : "") << "   " << std::flush;
}

}  // namespace

int runStreamCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Sends a G-code file to a GRBL-family controller (GRBL 1.1 four-axis builds,\n"
      "FluidNC) on a serial port, line by line, never more bytes in flight than the\n"
      "controller's receive buffer holds. Prints the progress (a bar on a terminal,\n"
      "a line per tenth otherwise) and the final position. Exit code 0 only when every\n"
      "line was acknowledged and the controller is idle; 1 when the controller refused\n"
      "a line, raised an alarm or was lost (the message says where the wire is);\n"
      "130 after Ctrl+C, which holds, resets once the wire stands, and retreats (up to\n"
      "the clearance, X = 0, then 0, 0, heat off).\n"
      "\nExamples:\n"
      "  orva-cli stream panel1.ngc --port /dev/ttyUSB0\n"
      "  orva-cli stream panel1.ngc --port /dev/ttyACM0 --rx-buffer 255 --axes XYUV --unlock\n"
      "  orva-cli stream panel1.ngc --port /dev/ttyUSB0 --baud 250000 --rx-buffer 1024"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE.ngc"), QStringLiteral("G-code file."));
  parser.addOptions({
      {QStringLiteral("port"), QStringLiteral("Serial port of the controller."),
       QStringLiteral("PATH")},
      {QStringLiteral("baud"), QStringLiteral("Baud rate (default 115200)."), QStringLiteral("N")},
      {QStringLiteral("rx-buffer"),
       QStringLiteral("Controller's receive buffer in bytes (default 128; Mega builds 255, "
                      "FluidNC more)."),
       QStringLiteral("N")},
      {QStringLiteral("axes"),
       QStringLiteral("Controller's axis letters of XG, YG, XD, YD in this order (default XYZA)."),
       QStringLiteral("LLLL")},
      {QStringLiteral("clearance"),
       QStringLiteral("Height of the retreat after Ctrl+C, mm (default: the highest height of "
                      "the file)."),
       QStringLiteral("MM")},
      {QStringLiteral("unlock"),
       QStringLiteral("Unlock ($X) a controller that starts in alarm (the position is then "
                      "what the controller believes).")},
      {QStringLiteral("keep-comments"),
       QStringLiteral("Send the comments too (by default they are stripped).")},
  });
  if (!parseOrReport(parser, args)) return kExitUsage;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    printError("stream: give exactly one G-code file");
    return kExitUsage;
  }
  if (!parser.isSet(QStringLiteral("port"))) {
    printError("stream: give the controller's serial port with --port PATH (e.g. /dev/ttyUSB0)");
    return kExitUsage;
  }
  GrblSettings settings;
  double baud = 115200;
  if (parser.isSet(QStringLiteral("baud")) &&
      !readNumberOption(parser, QStringLiteral("baud"), 300, 10000000, baud)) {
    return kExitUsage;
  }
  if (parser.isSet(QStringLiteral("rx-buffer"))) {
    double rx = 0;
    if (!readNumberOption(parser, QStringLiteral("rx-buffer"), 16, 65536, rx)) return kExitUsage;
    settings.rxBufferSize = static_cast<int>(rx);
  }
  if (parser.isSet(QStringLiteral("axes"))) {
    settings.axisLetters = parser.value(QStringLiteral("axes")).toStdString();
  }
  std::optional<double> clearance;
  if (parser.isSet(QStringLiteral("clearance"))) {
    double value = 0;
    if (!readNumberOption(parser, QStringLiteral("clearance"), 0, 10000, value)) return kExitUsage;
    clearance = value;
  }
  settings.keepComments = parser.isSet(QStringLiteral("keep-comments"));
  if (const std::string problem = CheckGrblSettings(settings); !problem.empty()) {
    printError(problem);
    return kExitUsage;
  }

  const std::string file = positional.at(0).toStdString();
  std::ifstream in(file, std::ios::binary);
  if (!in) {
    printError(file + ": " + std::string(messageText(Msg::UnableToOpenFileForReading)));
    return kExitFailure;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();
  auto program = GrblProgramFromText(text, settings.keepComments);

  SerialTransport transport(parser.value(QStringLiteral("port")).toStdString(),
                            static_cast<int>(baud));
  GrblStreamer streamer(transport, settings);
  if (!streamer.connect()) {
    printError(streamer.failureText());
    return kExitFailure;
  }
  std::cerr << streamer.banner() << '\n';
  if (streamer.lastStatus() && streamer.lastStatus()->state == "Alarm") {
    if (!parser.isSet(QStringLiteral("unlock"))) {
      printError(formatMessage(Msg::GrblAlarmState) + " (--unlock)");
      return kExitFailure;
    }
    if (!streamer.unlock()) {
      printError(streamer.failureText());
      return kExitFailure;
    }
  }

  const bool bar = ::isatty(STDERR_FILENO) != 0;
  std::size_t tenth = 0;
  bool cancelled = false;
  GrblStreamState state = GrblStreamState::Failed;
  {
    const StreamInterruptGuard guard;
    state = streamer.run(
        std::move(program), clearance,
        [&](const GrblProgress& progress) {
          if (bar) {
            drawBar(progress);
          } else if (progress.lineCount > 0 &&
                     progress.acknowledged * 10 / progress.lineCount > tenth) {
            tenth = progress.acknowledged * 10 / progress.lineCount;
            std::cerr << progress.acknowledged << '/' << progress.lineCount << ' '
                      << progress.state << '\n';
          }
        },
        [&] {
          if (streamInterrupted.load()) cancelled = true;
          return cancelled;
        });
    if (bar) std::cerr << '\n';
  }
  if (const GrblProgress& p = streamer.progress(); p.runReports > 0) {
    std::cerr << formatMessage(Msg::GrblPlannerFill,
                               {std::to_string(p.minPlannerBlocksFree),
                                std::to_string(p.maxPlannerBlocksFree),
                                streamer.plannerBlocks() > 0 ? std::to_string(streamer.plannerBlocks())
                                                             : std::string("?"),
                                std::to_string(p.runReports)})
              << '\n';
  }
  if (state == GrblStreamState::Finished) {
    std::cout << positionText(streamer) << '\n';
    std::cerr << messageText(Msg::GrblFinished) << '\n';
    return kExitOk;
  }
  printError(streamer.failureText());
  std::cout << positionText(streamer) << '\n';
  return cancelled && state == GrblStreamState::Cancelled ? kExitInterrupted : kExitFailure;
}

}  // namespace orva::cli
