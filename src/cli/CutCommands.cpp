#include "cli/CutCommands.h"

#include <cmath>
#include <map>

#include "cli/CliContext.h"
#include "cli/GcodeCommand.h"
#include "common/Messages.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "cutting/PanelCutPlanner.h"
#include "model/CT1Doc.h"
#include "model/ProjectFile.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva::cli {

namespace {

void addPanelCutOptions(QCommandLineParser& parser) {
  parser.addPositionalArgument(QStringLiteral("FILE.cnc"), QStringLiteral("Project file."));
  addSettingsOptions(parser);
  parser.addOptions({
      {QStringLiteral("panel"), QStringLiteral("Panel to cut, from 1 (default 1)."),
       QStringLiteral("N")},
      {QStringLiteral("side"), QStringLiteral("Wing side: right or left."),
       QStringLiteral("right|left")},
      {QStringLiteral("order"), QStringLiteral("Surface cut first: bottom or top."),
       QStringLiteral("bottom|top")},
      {QStringLiteral("trim"),
       QStringLiteral("Block trimming: none, before, while, after or only."),
       QStringLiteral("MODE")},
      {QStringLiteral("clearance"), QStringLiteral("Clearance above the block, mm."),
       QStringLiteral("MM")},
      {QStringLiteral("profile-kerf"), QStringLiteral("Kerf compensation of the profile."),
       QStringLiteral("0|1")},
      {QStringLiteral("ref-lower"), QStringLiteral("Reference lower surface."),
       QStringLiteral("0|1")},
      {QStringLiteral("section-cut"),
       QStringLiteral("Cut an intermediate section at Z mm from the root."), QStringLiteral("Z")},
      {QStringLiteral("section-ref"),
       QStringLiteral("Section kept by the intermediate cut: root or tip."),
       QStringLiteral("root|tip")},
      {QStringLiteral("foam"), QStringLiteral("Foam to cut (default: the project's)."),
       QStringLiteral("NAME")},
      {QStringLiteral("speed"),
       QStringLiteral("Cut speed in mm/s, or max for the surveyed maximum."),
       QStringLiteral("MM_S|max")},
  });
}

// Picks one of several words; -1 (message printed) when the text is none of them.
int choice(const QCommandLineParser& parser, const char* option,
           std::initializer_list<const char*> words) {
  const QString text = parser.value(QString::fromLatin1(option));
  int index = 0;
  for (const char* word : words) {
    if (text == QLatin1String(word)) return index;
    ++index;
  }
  std::string list;
  for (const char* word : words) list += std::string(list.empty() ? "" : ", ") + word;
  printError(std::string("--") + option + ": expected one of " + list);
  return -1;
}

// The project, panel and machine of one cut, with the options applied.
struct CutSetup {
  explicit CutSetup(ProgramOptions options)
      : context(std::move(options)),
        planner(context.program.planner),
        env(context.program.cut),
        doc(context.program.project) {}

  CliContext context;
  MovePlanner& planner;
  CutEnvironment& env;
  CT1Doc doc;
  bool speedMax = false;
};

// Returns an exit code, or nothing when everything is set up.
std::optional<int> prepare(const QCommandLineParser& parser, CutSetup& setup) {
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    printError("give exactly one project file");
    return kExitUsage;
  }
  MachineConfig& machine = setup.context.machine;
  if (!LoadProjectFile(setup.doc, positional.first().toStdString())) return kExitFailure;

  CT1Doc& doc = setup.doc;
  if (parser.isSet(QStringLiteral("panel"))) {
    bool ok = false;
    const int panel = parser.value(QStringLiteral("panel")).toInt(&ok);
    if (!ok || panel < 1 || panel > static_cast<int>(doc.panels.size())) {
      printError("--panel must be a panel number from 1 to " + std::to_string(doc.panels.size()));
      return kExitUsage;
    }
    doc.currentPanel = panel - 1;
  }
  PanelCutChoices& c = doc.cutChoices;
  if (parser.isSet(QStringLiteral("side"))) {
    if ((c.wingSide = choice(parser, "side", {"right", "left"})) < 0) return kExitUsage;
  }
  if (parser.isSet(QStringLiteral("order"))) {
    if ((c.cutOrder = choice(parser, "order", {"bottom", "top"})) < 0) return kExitUsage;
  }
  if (parser.isSet(QStringLiteral("trim"))) {
    c.trimmingMode = choice(parser, "trim", {"none", "before", "while", "after", "only"});
    if (c.trimmingMode < 0) return kExitUsage;
  }
  if (!readNumberOption(parser, QStringLiteral("clearance"), 0.0, 10000.0, c.clearance)) {
    return kExitUsage;
  }
  if (!parser.isSet(QStringLiteral("clearance")) && !(c.clearance > 0 && c.clearance < 10000)) {
    c.clearance = doc.current().foamThickness + 20.0;  // the cutting dialog's default
  }
  bool flag = c.kerfCompensationA != 0;
  if (!readFlagOption(parser, QStringLiteral("profile-kerf"), flag)) return kExitUsage;
  c.kerfCompensationA = c.kerfCompensationB = flag ? 1 : 0;
  flag = c.referenceLowerSurface != 0;
  if (!readFlagOption(parser, QStringLiteral("ref-lower"), flag)) return kExitUsage;
  c.referenceLowerSurface = flag ? 1 : 0;
  if (parser.isSet(QStringLiteral("section-cut"))) {
    double z = 0.0;
    if (!readNumberOption(parser, QStringLiteral("section-cut"), 0.0, 1e6, z)) return kExitUsage;
    doc.current().sectionCutEnabled = true;
    doc.current().sectionCutZ = static_cast<int>(z);
  }
  if (parser.isSet(QStringLiteral("section-ref"))) {
    if ((c.sectionReference = choice(parser, "section-ref", {"root", "tip"})) < 0) {
      return kExitUsage;
    }
  }
  FoamDatabase& foams = machine.foams;
  const std::string foam = parser.isSet(QStringLiteral("foam"))
                               ? parser.value(QStringLiteral("foam")).toStdString()
                               : doc.foamName;
  if (!foams.SelectFoam(foam)) {
    printError(std::string(messageText(Msg::InvalidFoamType)) + ": \"" + foam + "\"");
    return kExitFailure;
  }
  if (parser.isSet(QStringLiteral("speed"))) {
    if (parser.value(QStringLiteral("speed")) == QLatin1String("max")) {
      setup.speedMax = true;
    } else if (!readNumberOption(parser, QStringLiteral("speed"), 0.01, 10000.0, foams.cutSpeed)) {
      return kExitUsage;
    }
  }
  setup.env.output.sourceFile = positional.first().toStdString();
  setup.env.output.panelName = "Panel " + std::to_string(doc.currentPanel + 1);
  return std::nullopt;
}

struct SurveyOutcome {
  double speed = 0.0;
  std::string label;
  std::string error;
  PanelCutResult placement;
};

SurveyOutcome survey(CutSetup& setup) {
  SurveyOutcome out;
  setup.planner.BeginSpeedSurvey(false);
  PanelCutPlanner cut(setup.doc, setup.env);
  cut.Run(setup.context.program.job);
  out.placement = cut.lastResult();
  setup.planner.EndSpeedSurvey(false, out.speed, out.label, out.error);
  return out;
}

}  // namespace

int runSurveyCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Plans the cut of a project's panel in survey mode and prints, as JSON, the\n"
      "highest speed the motors and the wire heat allow (maxSpeed) with the move that\n"
      "limits it, any planning error, and at the cut speed (--speed, or maxSpeed) the\n"
      "number of moves, the total time, the heat and the block placement."));
  parser.addHelpOption();
  addPanelCutOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  CutSetup setup(settingsOptions(parser));
  if (auto code = prepare(parser, setup)) return *code;

  const SurveyOutcome found = survey(setup);
  FoamDatabase& foams = setup.context.machine.foams;
  if (setup.speedMax || !parser.isSet(QStringLiteral("speed"))) {
    if (found.speed > 0) foams.cutSpeed = found.speed;
  }

  // The list at the cut speed, for its moves and time (nothing is executed).
  std::size_t moves = 0;
  double totalTime = 0.0;
  if (found.error.empty()) {
    PanelCutPlanner cut(setup.doc, setup.env);
    if (auto list = cut.BuildMoves()) {
      moves = list->size();
      for (const CutMove& move : *list) totalTime += move.duration;
    }
  }
  int heatMode = 0;
  int heat = 0;
  if (foams.ApplyHeatForSpeed(foams.cutSpeed)) foams.GetHeatState(heatMode, heat);

  const PanelCutResult& p = found.placement;
  nlohmann::ordered_json out = {
      {"maxSpeed", found.speed},
      {"limitingMove", found.label},
      {"error", found.error},
      {"cutSpeed", foams.cutSpeed},
      {"moves", moves},
      {"totalTime", totalTime},
      {"heat", heat},
      {"entraxe", p.entraxe},
      {"leftDistance", p.leftDistance},
      {"span", p.span},
      {"swapped", p.swapped},
  };
  printJson(out, false);
  return kExitOk;
}

int runCutCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Plans the cut of a project's panel and writes it as a cut script (replay it\n"
                     "with 'orva-cli replay') or, with --format gcode, as G-code for a four-axis\n"
                     "controller. The panel's stored cutting choices are the defaults."));
  parser.addHelpOption();
  addPanelCutOptions(parser);
  parser.addOptions({
      {QStringLiteral("step-details"), QStringLiteral("Dump every step entry into the script.")},
      {QStringLiteral("format"), QStringLiteral("Output format: cut (default) or gcode."),
       QStringLiteral("cut|gcode")},
      {QStringLiteral("yes"), QStringLiteral("Answer every question with OK.")},
      {{QStringLiteral("o"), QStringLiteral("output")},
       QStringLiteral("File to write."),
       QStringLiteral("OUT")},
  });
  addGcodeOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  if (!parser.isSet(QStringLiteral("output"))) {
    printError("cut: give the file to write with -o OUT.cut (or OUT.ngc)");
    return kExitUsage;
  }
  CutSetup setup(settingsOptions(parser));
  setup.context.prompt.assumeYes = parser.isSet(QStringLiteral("yes"));
  CutOutputOptions& output = setup.env.output;
  output.cutToFile = true;
  output.stepDetails = parser.isSet(QStringLiteral("step-details"));
  if (parser.isSet(QStringLiteral("format"))) {
    const int format = choice(parser, "format", {"cut", "gcode"});
    if (format < 0) return kExitUsage;
    output.format = format == 1 ? OutputFormat::Gcode : OutputFormat::CutScript;
  }
  if (!readGcodeOptions(parser, output.gcode)) return kExitUsage;
  if (auto code = prepare(parser, setup)) return *code;

  if (setup.speedMax) {
    const SurveyOutcome found = survey(setup);
    if (!found.error.empty()) {
      printError(found.error);
      return kExitFailure;
    }
    setup.context.machine.foams.cutSpeed = found.speed;
  }
  setup.context.prompt.nextFile = parser.value(QStringLiteral("output")).toStdString();
  PanelCutPlanner cut(setup.doc, setup.env);
  return cut.Run(setup.context.program.job) ? kExitOk : kExitFailure;
}

}  // namespace orva::cli
