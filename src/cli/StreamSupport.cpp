#include "cli/StreamSupport.h"

#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "cli/CliSupport.h"
#include "common/Messages.h"

namespace orva::cli {

namespace {

// Set by SIGINT, polled by the streaming loops.
std::atomic<bool> streamInterrupted{false};

extern "C" void onStreamInterrupt(int /*signal*/) { streamInterrupted.store(true); }

std::string fixed3(double value) {
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%.3f", value);
  return buffer;
}

}  // namespace

StreamInterruptGuard::StreamInterruptGuard() {
  streamInterrupted.store(false);
  struct sigaction action {};
  action.sa_handler = onStreamInterrupt;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGINT, &action, &previous_);
}

StreamInterruptGuard::~StreamInterruptGuard() {
  ::sigaction(SIGINT, &previous_, nullptr);
}

bool StreamInterruptGuard::interrupted() { return streamInterrupted.load(); }

void addControllerOptions(QCommandLineParser& parser) {
  parser.addOptions({
      {QStringLiteral("port"), QStringLiteral("Serial port of the controller."),
       QStringLiteral("PATH")},
      {QStringLiteral("baud"), QStringLiteral("Baud rate (default 115200)."), QStringLiteral("N")},
      {QStringLiteral("rx-buffer"),
       QStringLiteral("Controller's receive buffer in bytes (default 128; Mega builds 255, "
                      "FluidNC more)."),
       QStringLiteral("N")},
      {QStringLiteral("unlock"),
       QStringLiteral("Unlock ($X) a controller that starts in alarm (the position is then "
                      "what the controller believes).")},
  });
}

bool readControllerOptions(const QCommandLineParser& parser, ControllerOptions& options) {
  if (parser.isSet(QStringLiteral("port"))) {
    options.port = parser.value(QStringLiteral("port")).toStdString();
  }
  if (parser.isSet(QStringLiteral("baud"))) {
    double baud = 0;
    if (!readNumberOption(parser, QStringLiteral("baud"), 300, 10000000, baud)) return false;
    options.baud = static_cast<int>(baud);
  }
  if (parser.isSet(QStringLiteral("rx-buffer"))) {
    double rx = 0;
    if (!readNumberOption(parser, QStringLiteral("rx-buffer"), 16, 65536, rx)) return false;
    options.rxBuffer = static_cast<int>(rx);
  }
  options.unlock = parser.isSet(QStringLiteral("unlock"));
  return true;
}

std::string positionText(const GrblStreamer& streamer) {
  const auto at = streamer.position();
  if (!at || !streamer.positionKnown()) return std::string(messageText(Msg::GrblPositionUnknown));
  return formatMessage(Msg::GrblPosition,
                       {fixed3((*at)[0]), fixed3((*at)[1]), fixed3((*at)[2]), fixed3((*at)[3])});
}

StreamProgressPrinter::StreamProgressPrinter() : bar_(::isatty(STDERR_FILENO) != 0) {}

void StreamProgressPrinter::print(const GrblProgress& progress) {
  if (!bar_) {
    if (progress.lineCount > 0 && progress.acknowledged * 10 / progress.lineCount > tenth_) {
      tenth_ = progress.acknowledged * 10 / progress.lineCount;
      std::cerr << progress.acknowledged << '/' << progress.lineCount << ' ' << progress.state
                << '\n';
    }
    return;
  }
  // One line, redrawn: a bar of the lines acknowledged, the controller's
  // state and the position.
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

void StreamProgressPrinter::end() {
  if (bar_) std::cerr << '\n';
}

bool readyAfterConnect(GrblStreamer& streamer, bool unlock) {
  std::cerr << streamer.banner() << '\n';
  if (!streamer.lastStatus() || streamer.lastStatus()->state != "Alarm") return true;
  if (!unlock) {
    printError(formatMessage(Msg::GrblAlarmState) + " (--unlock)");
    return false;
  }
  if (!streamer.unlock()) {
    printError(streamer.failureText());
    return false;
  }
  return true;
}

int reportStreamEnd(const GrblStreamer& streamer, GrblStreamState state, bool interrupted,
                    bool failureShown) {
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
  if (!failureShown) printError(streamer.failureText());
  std::cout << positionText(streamer) << '\n';
  return interrupted && state == GrblStreamState::Cancelled ? kExitInterrupted : kExitFailure;
}

}  // namespace orva::cli
