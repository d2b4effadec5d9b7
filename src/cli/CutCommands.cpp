#include "cli/CutCommands.h"

#include <cmath>
#include <map>

#include "cli/CliContext.h"
#include "cli/GcodeCommand.h"
#include "cli/PanelCutSetup.h"
#include "cli/StreamSupport.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "config/TableConfig.h"
#include "cutting/CutWarnings.h"
#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutPlanner.h"
#include "driver/ControllerSession.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva::cli {

namespace {

nlohmann::ordered_json orNull(const std::optional<double>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
}

nlohmann::ordered_json pointJson(Point2D p) { return nlohmann::ordered_json::array({p.x, p.y}); }

// Each warning with its kind, first and last move, label, side, worst value,
// text and where the wire is at the end of its first move.
nlohmann::ordered_json warningsJson(const std::vector<CutWarning>& warnings) {
  nlohmann::ordered_json out = nlohmann::ordered_json::array();
  for (const CutWarning& w : warnings) {
    const char* side = w.side == WireSide::Left    ? "left"
                       : w.side == WireSide::Right ? "right"
                                                   : "both";
    out.push_back({
        {"kind", std::string(cutWarningKindName(w.kind))},
        // Move numbers as the message and the cut window count them, from 1.
        {"move", MoveNumber(w.move)},
        {"lastMove", MoveNumber(w.lastMove)},
        {"label", w.label},
        {"side", side},
        {"value", w.value},
        {"message", w.message},
        {"where",
         {{"face1", pointJson(w.where.face1)},
          {"face2", pointJson(w.where.face2)},
          {"left", pointJson(w.where.left)},
          {"right", pointJson(w.where.right)}}},
    });
  }
  return out;
}

// cut --run: the panel planned and streamed to the controller of the table's
// link (the options override it for this run).
int runCutOnController(const QCommandLineParser& parser) {
  ControllerOptions overrides;
  if (!readControllerOptions(parser, overrides)) return kExitUsage;
  GcodeOptions gcode;
  if (!readGcodeOptions(parser, gcode)) return kExitUsage;
  CutSetup setup(settingsOptions(parser));
  setup.context.prompt.assumeYes = parser.isSet(QStringLiteral("yes"));
  setup.env.output.cutToFile = false;
  if (auto code = preparePanelCut(parser, setup)) return *code;
  if (parser.isSet(QStringLiteral("place"))) placeAutomatically(setup);

  MachineConfig& machine = setup.context.program.machine;
  ControllerLink& link = machine.table.controller;
  if (overrides.port) {
    link.CtlBackend = std::string(ControllerLink::kGrbl);
    link.CtlPort = *overrides.port;
  }
  if (!link.isGrbl()) {
    printError("cut: the table \"" + machine.currentTable +
               "\" drives no controller: give its serial port with --port PATH, or a table "
               "with a controller link with --table NAME");
    return kExitUsage;
  }
  if (overrides.baud) link.CtlBaud = *overrides.baud;
  if (overrides.rxBuffer) link.CtlRxBuffer = *overrides.rxBuffer;
  if (parser.isSet(QStringLiteral("axes"))) link.CtlAxes = gcode.axisLetters;
  if (gcode.sMax) link.CtlHeatS = *gcode.sMax;
  if (!gcode.heatControl) link.CtlHeatS = 0.0;
  if (const std::string problem = CheckControllerLink(link); !problem.empty()) {
    printError("cut: " + problem);
    return kExitUsage;
  }

  const PanelCutSurvey found = SurveyPanelCut(setup.doc, setup.env, setup.speed);
  if (!found.ok()) {
    for (const std::string& error : found.errors) printError(error);
    printPlacementHint(setup);
    return kExitFailure;
  }
  machine.foams.cutSpeed = *found.cutSpeed;

  // Connected here, so that the banner is shown and an alarm handled before
  // the question; the cut then streams on this connection.
  ControllerSession& session = setup.context.program.controllerSession();
  GrblSettings settings;
  settings.axisLetters = link.CtlAxes;
  settings.rxBufferSize = link.CtlRxBuffer;
  settings.statusInterval = std::chrono::milliseconds(link.CtlStatusMs);
  if (!session.connect(link.CtlPort, link.CtlBaud, settings)) {
    printError(session.failureText());
    return kExitFailure;
  }
  if (!readyAfterConnect(*session.streamer(), overrides.unlock)) return kExitFailure;

  CutJob& job = setup.context.program.job;
  job.setPollInterval(std::chrono::milliseconds(20));
  StreamProgressPrinter printer;
  bool interrupted = false;
  {
    const StreamInterruptGuard guard;
    PanelCutPlanner cut(setup.doc, setup.env);
    if (cut.Start(job)) {
      while (job.running()) {
        job.service();
        if (const GrblStreamer* streamer = session.streamer()) printer.print(streamer->progress());
        if (!interrupted && StreamInterruptGuard::interrupted()) {
          interrupted = true;
          job.cancel();
        }
      }
    }
    printer.end();
  }
  const GrblStreamer* streamer = session.streamer();
  if (streamer == nullptr) return kExitFailure;  // the port was lost: the job said so
  const GrblStreamState state = job.result() == CutJobResult::Done ? GrblStreamState::Finished
                                                                   : streamer->state();
  // The job has shown its failure already.
  return reportStreamEnd(*streamer, state, interrupted, job.result() == CutJobResult::Failed);
}

}  // namespace

int runSurveyCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Plans the cut of a project's panel in survey mode (nothing is executed, no heat\n"
      "is sent) and prints, as JSON, the highest speed the motors and the wire heat\n"
      "allow (maxSpeed) with the move that limits it, every error of the run\n"
      "(errors), and at the cut speed (--speed; by default the surveyed maximum for a\n"
      "computed-heat foam, the measured speed for a fixed-heat one) the number of\n"
      "moves, the total time, the heat, the block placement and the warnings (a\n"
      "tower running backwards or far outside the block, the wire pausing or creeping\n"
      "in the block, a face below the foam's kerf law, root and tip points that do\n"
      "not match; each with the numbers of its first and last move, counted from 1\n"
      "as in its message, and also listed on stderr); values that could not be computed\n"
      "are null. Exit code 1 when there is an error; for a\n"
      "block out of the table's travel the placement that fits is printed on stderr.\n"
      "\nExamples:\n"
      "  orva-cli survey wing.cnc --panel 2\n"
      "  orva-cli survey wing.cnc --foam 'poly expanse' --speed 2.5\n"
      "  orva-cli survey wing.cnc --side left --place auto"));
  parser.addHelpOption();
  addPanelCutOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  CutSetup setup(settingsOptions(parser));
  if (auto code = preparePanelCut(parser, setup)) return *code;

  if (parser.isSet(QStringLiteral("place"))) placeAutomatically(setup);

  const PanelCutSurvey found = SurveyPanelCut(setup.doc, setup.env, setup.speed);
  nlohmann::ordered_json errors = nlohmann::ordered_json::array();
  for (const std::string& error : found.errors) errors.push_back(error);
  const PanelCutResult* p = found.placement ? &*found.placement : nullptr;
  const Panel& panel = setup.doc.current();
  nlohmann::ordered_json out = {
      {"foam", setup.context.machine.foams.CurrentFoamName()},
      {"maxSpeed", orNull(found.maxSpeed)},
      {"limitingMove", found.maxSpeed ? nlohmann::ordered_json(found.estimate.label)
                                      : nlohmann::ordered_json(nullptr)},
      {"errors", std::move(errors)},
      {"cutSpeed", orNull(found.cutSpeed)},
      {"moves", found.moves ? nlohmann::ordered_json(*found.moves) : nullptr},
      {"totalTime", orNull(found.totalTime)},
      {"heat", found.heat ? nlohmann::ordered_json(*found.heat) : nullptr},
      {"offsetX0", panel.offsetX0},
      {"rootAxisOffset", panel.rootAxisOffset},
      {"entraxe", p ? nlohmann::ordered_json(p->entraxe) : nullptr},
      {"leftDistance", p ? nlohmann::ordered_json(p->leftDistance) : nullptr},
      {"span", p ? nlohmann::ordered_json(p->span) : nullptr},
      {"swapped", p ? nlohmann::ordered_json(p->swapped) : nullptr},
      {"warnings", warningsJson(found.warnings)},
  };
  printJson(out, false);
  for (const std::string& error : found.errors) printError(error);
  for (const CutWarning& warning : found.warnings) printError("warning: " + warning.message);
  if (!found.ok()) {
    printPlacementHint(setup);
    return kExitFailure;
  }
  return kExitOk;
}

int runCutCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Plans the cut of a project's panel and writes it as a cut script (replay it\n"
                     "with 'orva-cli replay') or as G-code for a four-axis controller (an OUT\n"
                     "ending in .ngc, .nc, .gcode or .tap, or --format gcode). The panel's stored\n"
                     "cutting choices are the defaults; the clearance defaults to the project's,\n"
                     "or the block thickness + 20 mm. With --run the cut is streamed to the\n"
                     "G-code controller of the table's link instead (see 'orva-cli stream' for\n"
                     "the progress, Ctrl+C and the exit codes; --port, --baud, --rx-buffer,\n"
                     "--axes, --s-max and --no-heat override the link for this run).\n"
                     "\nExamples:\n"
                     "  orva-cli cut wing.cnc --panel 1 -o panel1.cut\n"
                     "  orva-cli cut wing.cnc --panel 2 --speed 2 --side left -o panel2.cut\n"
                     "  orva-cli cut wing.cnc --dialect linuxcnc -o panel1.ngc\n"
                     "  orva-cli cut wing.cnc --place auto --table Big -o panel1.cut\n"
                     "  orva-cli cut wing.cnc --panel 1 --table Grbl --run --yes"));
  parser.addHelpOption();
  addPanelCutOptions(parser);
  parser.addOptions({
      {QStringLiteral("step-details"), QStringLiteral("Dump every step entry into the script.")},
      {QStringLiteral("format"),
       QStringLiteral("Output format: cut or gcode (default: from the extension of OUT, "
                      ".cut or .ngc/.nc/.gcode/.tap)."),
       QStringLiteral("cut|gcode")},
      {QStringLiteral("yes"), QStringLiteral("Answer every question with OK.")},
      {{QStringLiteral("o"), QStringLiteral("output")},
       QStringLiteral("File to write; its path is printed on stderr."),
       QStringLiteral("OUT")},
      {QStringLiteral("run"),
       QStringLiteral("Stream the cut to the table's G-code controller instead of writing it.")},
  });
  addGcodeOptions(parser);
  addControllerOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  if (parser.isSet(QStringLiteral("run"))) {
    if (parser.isSet(QStringLiteral("output"))) {
      printError("cut: --run streams the cut to the controller and writes no file: leave out -o");
      return kExitUsage;
    }
    return runCutOnController(parser);
  }
  CutSetup setup(settingsOptions(parser));
  setup.context.prompt.assumeYes = parser.isSet(QStringLiteral("yes"));
  CutOutputOptions& output = setup.env.output;
  output.cutToFile = true;
  output.stepDetails = parser.isSet(QStringLiteral("step-details"));
  std::string written;
  if (auto code = readOutputOptions(parser, output.format, written)) return *code;
  if (!readGcodeOptions(parser, output.gcode)) return kExitUsage;
  if (auto code = preparePanelCut(parser, setup)) return *code;
  if (parser.isSet(QStringLiteral("place"))) placeAutomatically(setup);

  const PanelCutSurvey found = SurveyPanelCut(setup.doc, setup.env, setup.speed);
  if (!found.ok()) {
    for (const std::string& error : found.errors) printError(error);
    printPlacementHint(setup);
    return kExitFailure;
  }
  setup.context.machine.foams.cutSpeed = *found.cutSpeed;
  setup.context.prompt.nextFile = parser.value(QStringLiteral("output")).toStdString();
  PanelCutPlanner cut(setup.doc, setup.env);
  if (!cut.Run(setup.context.program.job)) return kExitFailure;
  printError("wrote " + written);
  return kExitOk;
}

}  // namespace orva::cli
