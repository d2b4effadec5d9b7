#include "cli/ReplayCommand.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
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

int runReplayCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Runs a cut script on the simulated machine: the moves are planned again for\n"
      "the current table, confirmed (the total time and heat are shown) and executed.\n"
      "With --json prints the moves, the planned and machine times, the final tower\n"
      "positions relative to the machine zero and the step counts of the four axes;\n"
      "otherwise one line: the number of moves and the planned time.\n"
      "\nExamples:\n"
      "  orva-cli replay panel1.cut --yes\n"
      "  orva-cli replay panel1.cut --yes --json --data-dir ~/cnc-data"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE.cut"), QStringLiteral("Cut script."));
  addSettingsOptions(parser);
  parser.addOptions({
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

  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  context.prompt.assumeYes = parser.isSet(QStringLiteral("yes"));
  CutEnvironment& env = context.program.cut;
  CutExecutor& executor = context.program.executor;

  auto* machine = dynamic_cast<SimulatedMachine*>(&context.driver.device());
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
  const bool ran = executor.ExecuteCut(std::move(*moves), kCutConfirm | kCutLong, -1.0);
  // A script may have made another table current: written back as at exit.
  const bool saved = context.finish();
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
    std::printf("%zu move%s, %.1f s planned\n", moveCount, moveCount == 1 ? "" : "s", plannedTime);
  }
  return kExitOk;
}

}  // namespace orva::cli
