#include "cli/GcodeCommand.h"

#include <array>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "cli/CliContext.h"
#include "common/Messages.h"
#include "common/SafeFile.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "motion/CutEnvironment.h"
#include "motion/CutScript.h"
#include "motion/MovePlanner.h"

namespace orva::cli {

void addGcodeOptions(QCommandLineParser& parser) {
  parser.addOptions({
      {QStringLiteral("dialect"),
       QStringLiteral("G-code dialect: grbl (X Y Z A; also FluidNC) or linuxcnc (X Y U V)."),
       QStringLiteral("NAME")},
      {QStringLiteral("axes"),
       QStringLiteral("Axis letters of XG, YG, XD, YD in this order (e.g. XYUV)."),
       QStringLiteral("LLLL")},
      {QStringLiteral("s-max"),
       QStringLiteral("Spindle value of full heat (default 1000 grbl, 100 linuxcnc)."),
       QStringLiteral("N")},
      {QStringLiteral("no-heat"),
       QStringLiteral("The controller does not switch the wire: no M3/S/M5.")},
  });
}

bool readGcodeOptions(const QCommandLineParser& parser, GcodeOptions& options) {
  if (parser.isSet(QStringLiteral("dialect"))) {
    const auto dialect = ParseGcodeDialect(parser.value(QStringLiteral("dialect")).toStdString());
    if (!dialect) {
      printError("--dialect: expected grbl, fluidnc or linuxcnc");
      return false;
    }
    options.dialect = *dialect;
  }
  options.axisLetters = parser.value(QStringLiteral("axes")).toStdString();
  if (parser.isSet(QStringLiteral("s-max"))) {
    double sMax = 0.0;
    if (!readNumberOption(parser, QStringLiteral("s-max"), 0.000001, 1e9, sMax)) return false;
    options.sMax = sMax;
  }
  options.heatControl = !parser.isSet(QStringLiteral("no-heat"));
  if (const std::string problem = CheckGcodeOptions(options); !problem.empty()) {
    printError(problem);
    return false;
  }
  return true;
}

int runGcodeCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Plans a cut script again for the current table and writes it as G-code with\n"
                     "inverse-time feed (G93): every move keeps its planned duration exactly.\n"
                     "Positions are relative to the machine zero; the controller applies its own\n"
                     "work offsets. The wire first goes cold to the script's start position;\n"
                     "the comments carry the script's move labels.\n"
                     "\nExamples:\n"
                     "  orva-cli gcode panel1.cut -o panel1.ngc\n"
                     "  orva-cli gcode panel1.cut --dialect linuxcnc -o panel1.ngc\n"
                     "  orva-cli gcode panel1.cut --axes XYAB --s-max 255 -o panel1.gcode"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE.cut"), QStringLiteral("Cut script."));
  addSettingsOptions(parser);
  parser.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                    QStringLiteral("G-code file to write."),
                    QStringLiteral("OUT.ngc")});
  addGcodeOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    printError("gcode: give exactly one cut script");
    return kExitUsage;
  }
  if (!parser.isSet(QStringLiteral("output"))) {
    printError("gcode: give the G-code file to write with -o OUT.ngc");
    return kExitUsage;
  }
  GcodeOptions options;
  if (!readGcodeOptions(parser, options)) return kExitUsage;
  OutputFormat format = OutputFormat::Gcode;
  std::string output;
  if (auto code = readOutputOptions(parser, format, output, false)) return *code;
  if (format != OutputFormat::Gcode) {
    printError("gcode: -o must name a G-code file (.ngc, .nc, .gcode or .tap)");
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

  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  CutScriptReader reader(context.program.cut, path.string());
  reader.feed(bytes.str());
  auto moves = reader.finish();
  if (!moves) {  // the reason has been shown
    printKindHint(path.string(), ".cut");
    return kExitFailure;
  }

  // The labels the script carries, in place of the line labels of its reading.
  const std::vector<std::string>& comments = reader.moveComments();
  for (std::size_t i = 0; i < moves->size() && i < comments.size(); ++i) {
    if (!comments[i].empty()) (*moves)[i].label = comments[i];
  }
  GcodeJob job;
  job.programVersion = ORVA_VERSION;
  job.sourceFile = path.filename().string();
  job.foam = context.machine.foams.CurrentFoamName();
  context.machine.foams.GetHeatState(job.heatMode, job.heatPercent);
  job.zeroX = context.machine.table.ZeroX;
  job.zeroY = context.machine.table.ZeroY;
  if (const auto& start = reader.declaredStart()) {
    job.start = std::array<double, 4>{start->XG + job.zeroX, start->YG + job.zeroY,
                                      start->XD + job.zeroX, start->YD + job.zeroY};
  }
  std::string text;
  try {
    text = WriteGcode(*moves, job, options);
  } catch (const std::invalid_argument& e) {
    printError(fillInserts(messageText(Msg::GcodeCannotWrite), {e.what()}));
    return kExitFailure;
  }
  std::string error;
  if (!writeFileSafely(output, text, &error)) {
    printError(formatMessage(Msg::FileNotSaved, {output, error}));
    return kExitFailure;
  }
  printError("wrote " + output);
  return kExitOk;
}

}  // namespace orva::cli
