#include "cli/CutCommands.h"

#include <cmath>
#include <map>

#include "cli/CliContext.h"
#include "cli/GcodeCommand.h"
#include "common/Messages.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutForm.h"
#include "cutting/PanelCutPlanner.h"
#include "cutting/PanelPlacement.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"
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
      {QStringLiteral("foam"),
       QStringLiteral("Foam to cut: its name, exact or ignoring case and accents "
                      "(default: the project's foam when the table has it, else the "
                      "current foam; see 'orva-cli foams')."),
       QStringLiteral("NAME")},
      {QStringLiteral("speed"),
       QStringLiteral("Cut speed in mm/s. Default (or max): the surveyed maximum for a "
                      "computed-heat foam, the foam's measured speed for a fixed-heat one."),
       QStringLiteral("MM_S|max")},
      {QStringLiteral("place"),
       QStringLiteral("auto: move the block (offsetX0, else rootAxisOffset) so that every "
                      "tower target stays in the table's travel."),
       QStringLiteral("auto")},
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
  std::optional<double> speed;  // --speed; none: the cutting dialog's default
};

// Returns an exit code, or nothing when everything is set up.
std::optional<int> prepare(const QCommandLineParser& parser, CutSetup& setup) {
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    printError("give exactly one project file");
    return kExitUsage;
  }
  if (!setup.context.usable()) return kExitFailure;
  MachineConfig& machine = setup.context.machine;
  const std::string file = positional.first().toStdString();
  setup.context.prompt.subject = file;
  const bool loaded = LoadProjectFile(setup.doc, file);
  setup.context.prompt.subject.clear();
  if (!loaded) {
    printKindHint(file, ".cnc");
    return kExitFailure;
  }

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
  if (!parser.isSet(QStringLiteral("clearance"))) {
    c.clearance = PanelCutForm::DefaultClearance(doc);  // what the cutting dialog opens with
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
  // Loading the project has made its foam current when the table has it.
  if (parser.isSet(QStringLiteral("foam"))) {
    if (!selectFoamOption(foams, parser.value(QStringLiteral("foam")).toStdString())) {
      return kExitFailure;
    }
  } else if (!doc.foamName.empty() && !foams.records.count(doc.foamName) && foams.currentRecord()) {
    printError("warning: the project's foam \"" + doc.foamName + "\" is not a foam of table \"" +
               machine.currentTable + "\"; the current foam \"" + foams.CurrentFoamName() +
               "\" is used (see 'orva-cli foams', --foam)");
  } else if (!foams.currentRecord()) {
    printError(std::string(messageText(Msg::InvalidFoamType)));
    printError(formatMessage(Msg::KnownFoams, {foamList(foams)}));
    return kExitFailure;
  }
  if (parser.isSet(QStringLiteral("speed")) &&
      parser.value(QStringLiteral("speed")) != QLatin1String("max")) {
    double speed = 0.0;
    if (!readNumberOption(parser, QStringLiteral("speed"), 0.01, 10000.0, speed)) {
      return kExitUsage;
    }
    setup.speed = speed;
  }
  if (parser.isSet(QStringLiteral("place")) &&
      parser.value(QStringLiteral("place")) != QLatin1String("auto")) {
    printError("--place: expected auto");
    return kExitUsage;
  }
  setup.env.output.sourceFile = positional.first().toStdString();
  setup.env.output.panelName = "Panel " + std::to_string(doc.currentPanel + 1);
  return std::nullopt;
}

// The fixes of the block placement, when planning found a tower out of travel.
void printPlacementHint(CutSetup& setup) {
  const PanelPlacement fix = SuggestPanelPlacement(setup.doc, setup.env);
  const Panel& panel = setup.doc.current();
  if (fix.offsetX0) {
    printError(formatMessage(Msg::PlacementOffsetX0,
                             {std::to_string(*fix.offsetX0), std::to_string(panel.offsetX0)}));
  }
  if (fix.rootAxisOffset) {
    printError(formatMessage(Msg::PlacementRootAxisOffset, {std::to_string(*fix.rootAxisOffset),
                                                            std::to_string(panel.rootAxisOffset)}));
  }
  if (fix.offsetX0 || fix.rootAxisOffset) printError("(or run with --place auto)");
}

// --place auto: applies the placement fix (offsetX0 first). False when the
// cut needs one and none exists.
bool placeAutomatically(CutSetup& setup) {
  const PanelPlacement fix = SuggestPanelPlacement(setup.doc, setup.env);
  Panel& panel = setup.doc.current();
  if (fix.offsetX0) {
    panel.offsetX0 = *fix.offsetX0;
  } else if (fix.rootAxisOffset) {
    panel.rootAxisOffset = *fix.rootAxisOffset;
    panel.blockCentredZ = false;
  }
  return true;
}

nlohmann::ordered_json orNull(const std::optional<double>& value) {
  return value ? nlohmann::ordered_json(*value) : nlohmann::ordered_json(nullptr);
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
      "moves, the total time, the heat and the block placement; values\n"
      "that could not be computed are null. Exit code 1 when there is an error; for a\n"
      "block out of the table's travel the placement that fits is printed on stderr.\n"
      "\nExamples:\n"
      "  orva-cli survey wing.cnc --panel 2\n"
      "  orva-cli survey wing.cnc --foam 'poly expanse' --speed 2.5\n"
      "  orva-cli survey wing.cnc --side left --place auto"));
  parser.addHelpOption();
  addPanelCutOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  CutSetup setup(settingsOptions(parser));
  if (auto code = prepare(parser, setup)) return *code;

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
  };
  printJson(out, false);
  for (const std::string& error : found.errors) printError(error);
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
                     "or the block thickness + 20 mm.\n"
                     "\nExamples:\n"
                     "  orva-cli cut wing.cnc --panel 1 -o panel1.cut\n"
                     "  orva-cli cut wing.cnc --panel 2 --speed 2 --side left -o panel2.cut\n"
                     "  orva-cli cut wing.cnc --dialect linuxcnc -o panel1.ngc\n"
                     "  orva-cli cut wing.cnc --place auto --table Big -o panel1.cut"));
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
  });
  addGcodeOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  CutSetup setup(settingsOptions(parser));
  setup.context.prompt.assumeYes = parser.isSet(QStringLiteral("yes"));
  CutOutputOptions& output = setup.env.output;
  output.cutToFile = true;
  output.stepDetails = parser.isSet(QStringLiteral("step-details"));
  std::string written;
  if (auto code = readOutputOptions(parser, output.format, written)) return *code;
  if (!readGcodeOptions(parser, output.gcode)) return kExitUsage;
  if (auto code = prepare(parser, setup)) return *code;
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
