#include "cli/ReplayCommand.h"

#include <unistd.h>

#include <cmath>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/CliContext.h"
#include "common/Messages.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "driver/SimulatedMachine.h"
#include "motion/CutEnvironment.h"
#include "motion/CutExecution.h"
#include "motion/CutScript.h"
#include "motion/MovePlanner.h"

namespace orva::cli {

namespace {

// No sound on the command line.
class SilentSound : public SoundPort {
 public:
  bool playAndWait(const std::string&) override { return true; }
};

// The status bar of a cut as a one-line progress display on a terminal.
class TerminalStatus : public StatusPort {
 public:
  explicit TerminalStatus(bool enabled) : enabled_(enabled) {}
  ~TerminalStatus() override {
    if (enabled_ && shown_) std::cerr << '\n';
  }
  void setStatusText(std::string_view text) override {
    if (!enabled_) return;
    std::cerr << "\r\033[K" << text << std::flush;
    shown_ = true;
  }
  void setWaitCursor(bool) override {}

 private:
  bool enabled_;
  bool shown_ = false;
};

// The position the script declares with its first move line, relative to the
// machine zero; nothing when it has no move line.
std::optional<CutScriptMoveLine> declaredStart(const std::string& text) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("T:", 0) == 0) return ParseMoveLine(line);
  }
  return std::nullopt;
}

}  // namespace

int runReplayCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Runs a cut script on the simulated machine: the moves are planned again for\n"
      "the current table, confirmed (the total time and heat are shown) and executed.\n"
      "With --json prints the moves, the planned and machine times, the final tower\n"
      "positions relative to the machine zero and the step counts of the four axes."));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE.cut"), QStringLiteral("Cut script."));
  parser.addOptions({
      {QStringLiteral("data-dir"),
       QStringLiteral("Data directory holding the table list, table and foam files."),
       QStringLiteral("DIR")},
      {QStringLiteral("yes"), QStringLiteral("Confirm the cut without asking.")},
      {QStringLiteral("json"), QStringLiteral("Print the result as JSON.")},
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

  std::optional<std::filesystem::path> dataDir;
  if (parser.isSet(QStringLiteral("data-dir"))) {
    dataDir = parser.value(QStringLiteral("data-dir")).toStdString();
  }
  CliContext context(dataDir);
  context.prompt.assumeYes = parser.isSet(QStringLiteral("yes"));

  MovePlanner planner(context.machine.table, context.machine.foams, context.prompt);
  SilentSound sound;
  TerminalStatus status(::isatty(STDERR_FILENO) != 0);
  CutEnvironment env{planner,  context.driver, context.machine, context.prompt, sound, status,
                     {},       "",             "",              {},             {}};
  CutExecutor executor(env);

  auto* machine = dynamic_cast<SimulatedMachine*>(&context.driver.device());
  const TableConfig& table = context.machine.table;

  // The machine starts where the script says the wire is.
  const auto start = declaredStart(text);
  if (machine && start) {
    const auto steps = [](double mm, int perRev, double pitch) {
      return static_cast<std::int64_t>(std::llround(mm * perRev / pitch));
    };
    if (table.XNtour > 0 && table.XPas > 0 && table.YNtour > 0 && table.YPas > 0) {
      machine->setPositionSteps({steps(start->XG, table.XNtour, table.XPas),
                                 steps(start->YG, table.YNtour, table.YPas),
                                 steps(start->XD, table.XNtour, table.XPas),
                                 steps(start->YD, table.YNtour, table.YPas)});
    }
  }

  CutScriptReader reader(env, path.string());
  reader.feed(text);
  auto moves = reader.finish();
  if (!moves) return kExitFailure;  // the reason has been shown
  const std::size_t moveCount = moves->size();
  double plannedTime = 0.0;
  for (const CutMove& move : *moves) plannedTime += move.duration;

  const MachineSnapshot before = machine ? machine->snapshot() : MachineSnapshot{};
  const bool ran = executor.ExecuteCut(std::move(*moves), kCutConfirm | kCutLong, -1.0);
  if (!ran) return kExitFailure;

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
  }
  return kExitOk;
}

}  // namespace orva::cli
