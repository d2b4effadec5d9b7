#include "cli/ReplayCommand.h"

#include <unistd.h>

#include <array>
#include <atomic>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

#include "cli/CliContext.h"
#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "driver/SimulatedMachine.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/CutScript.h"
#include "motion/MovePlanner.h"

namespace orva::cli {

namespace {

// Set by SIGINT, polled by the loop that drives the cut: the handler does
// nothing else. A signal handler can only reach a variable of static storage.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void onInterrupt(int /*signal*/) { interrupted.store(true); }

// Installs the handler for the life of the object, restoring the previous one.
class InterruptGuard {
 public:
  InterruptGuard() {
    interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = onInterrupt;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, &previous_);
  }
  ~InterruptGuard() { ::sigaction(SIGINT, &previous_, nullptr); }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction previous_ {};
};

// One line on the terminal, drawn over the status text: a bar of the moves
// output, the move, the time left and the measured heat.
void drawProgress(const CutJobProgress& progress) {
  constexpr std::size_t kWidth = 30;
  const std::size_t done =
      progress.moveCount == 0 ? kWidth : kWidth * progress.moveIndex / progress.moveCount;
  std::string line = "\r\033[K[" + std::string(done, '#') + std::string(kWidth - done, '-') + "] " +
                     std::to_string(progress.moveIndex) + "/" + std::to_string(progress.moveCount) +
                     " " + progress.label + ", " + fixedText(progress.remainingSeconds, 0) +
                     " s left, heat " + std::to_string(progress.heatPercent) + " %";
  std::cerr << line << std::flush;
}

}  // namespace

int runReplayCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Runs a cut script on the simulated machine: the moves are planned again for\n"
      "the current table, confirmed (the total time and heat are shown) and executed.\n"
      "With --json prints the moves, the planned and machine times, the final tower\n"
      "positions relative to the machine zero and the step counts of the four axes;\n"
      "otherwise one line: the number of moves and the planned time.\n"
      "On a terminal a progress bar is shown. Ctrl+C cancels the cut: the wire rises,\n"
      "goes home, and the command exits with 130.\n"
      "\nExamples:\n"
      "  orva-cli replay panel1.cut --yes\n"
      "  orva-cli replay panel1.cut --yes --speed-up 10\n"
      "  orva-cli replay panel1.cut --yes --json --data-dir ~/cnc-data"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE.cut"), QStringLiteral("Cut script."));
  addSettingsOptions(parser);
  parser.addOptions({
      {QStringLiteral("yes"), QStringLiteral("Confirm the cut without asking.")},
      {QStringLiteral("json"), QStringLiteral("Print the result as JSON.")},
      {QStringLiteral("speed-up"),
       QStringLiteral("Run the simulated machine in real time, N times faster (0: at once)."),
       QStringLiteral("N")},
  });
  if (!parseOrReport(parser, args)) return kExitUsage;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    printError("replay: give exactly one cut script");
    return kExitUsage;
  }
  const std::filesystem::path path = positional.first().toStdString();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    printError(path.string() + ": " + std::string(messageText(Msg::UnableToOpenFileForReading)));
    return kExitFailure;
  }
  std::ostringstream bytes;
  bytes << in.rdbuf();
  const std::string text = bytes.str();

  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  context.prompt.assumeYes = parser.isSet(QStringLiteral("yes"));
  CutEnvironment& env = context.program.cut;
  CutJob& job = context.program.job;

  auto* machine = dynamic_cast<SimulatedMachine*>(&context.driver.device());
  if (parser.isSet(QStringLiteral("speed-up"))) {
    bool ok = false;
    const double speedUp = parser.value(QStringLiteral("speed-up")).toDouble(&ok);
    if (!ok || !std::isfinite(speedUp) || speedUp < 0.0) {
      printError("replay: --speed-up takes a number of at least 0");
      return kExitUsage;
    }
    if (machine) {
      SimulatedMachineParams params = machine->params();
      params.realTimeSpeedup = speedUp;
      machine->setParams(params);
    }
  }
  const TableConfig& table = context.machine.table;

  CutScriptReader reader(env, path.string());
  reader.feed(text);
  auto moves = reader.finish();
  if (!moves) {  // the reason has been shown
    printKindHint(path.string(), ".cut");
    return kExitFailure;
  }
  // The machine starts where the script says the wire is.
  const auto& start = reader.declaredStart();
  if (machine && start) {
    const auto steps = [](double mm, int perRev, double pitch) {
      return static_cast<std::int64_t>(std::llround(mm * perRev / pitch));
    };
    if (table.XNtour > 0 && table.XPas > 0 && table.YNtour > 0 && table.YPas > 0) {
      machine->setPositionSteps(
          {steps(start->XG, table.XNtour, table.XPas), steps(start->YG, table.YNtour, table.YPas),
           steps(start->XD, table.XNtour, table.XPas), steps(start->YD, table.YNtour, table.YPas)});
    }
  }

  const std::size_t moveCount = moves->size();
  double plannedTime = 0.0;
  for (const CutMove& move : *moves) plannedTime += move.duration;

  const MachineSnapshot before = machine ? machine->snapshot() : MachineSnapshot{};
  // Ctrl+C cancels the cut: the wire retreats, then the command ends with 130.
  bool cancelled = false;
  {
    const InterruptGuard guard;
    const bool bar = ::isatty(STDERR_FILENO) != 0;
    job.setPollInterval(std::chrono::milliseconds(100));
    if (job.start(std::move(*moves), kCutConfirm | kCutLong, -1.0)) {
      job.runToEnd([&] {
        if (bar) drawProgress(job.progress());
        if (interrupted.load()) cancelled = true;
        return cancelled;
      });
      if (bar) std::cerr << '\n';
    }
  }
  const bool ran = job.result() == CutJobResult::Done;
  // A script may have made another table current: written back as at exit.
  const bool saved = context.finish();
  if (cancelled && job.result() == CutJobResult::Cancelled) {
    std::string where = std::string(messageText(Msg::AbortCut)) + ":";
    const std::optional<WirePosition> at = job.progress().position;
    if (at) {
      where += " XG " + fixedText(at->XG, 3) + " YG " + fixedText(at->YG, 3) + " XD " +
               fixedText(at->XD, 3) + " YD " + fixedText(at->YD, 3);
    }
    printError(where);
    return kExitInterrupted;
  }
  if (!ran || !saved) return kExitFailure;

  if (parser.isSet(QStringLiteral("json"))) {
    nlohmann::ordered_json out = {{"moves", moveCount}, {"plannedTime", plannedTime}};
    if (machine) {
      const MachineSnapshot snap = machine->snapshot();
      out["machineTime"] = (snap.elapsedMs - before.elapsedMs) / 1000.0;
      out["final"] = {{"XG", snap[Axis::XG].actualMm},
                      {"YG", snap[Axis::YG].actualMm},
                      {"XD", snap[Axis::XD].actualMm},
                      {"YD", snap[Axis::YD].actualMm}};
      // Steps sent to each motor during the replay (signed).
      const auto made = [&](Axis axis) {
        return snap[axis].commandedSteps - before[axis].commandedSteps;
      };
      out["steps"] = {{"XG", made(Axis::XG)},
                      {"YG", made(Axis::YG)},
                      {"XD", made(Axis::XD)},
                      {"YD", made(Axis::YD)}};
    }
    printJson(out, false);
  } else {
    std::cout << moveCount << (moveCount == 1 ? " move, " : " moves, ") << fixedText(plannedTime, 1)
              << " s planned\n";
  }
  return kExitOk;
}

}  // namespace orva::cli
