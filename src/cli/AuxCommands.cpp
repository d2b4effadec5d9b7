#include "cli/AuxCommands.h"

#include "cli/CliContext.h"
#include "cli/GcodeCommand.h"
#include "common/Messages.h"
#include "cutting/AuxiliaryCuts.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"

namespace orva::cli {

namespace {

// The block and output options both auxiliary cuts take.
void addBlockOptions(QCommandLineParser& parser) {
  addSettingsOptions(parser);
  parser.addOptions({
      {QStringLiteral("x0"), QStringLiteral("Offset X0 of the block's rear faces, mm (20)."),
       QStringLiteral("MM")},
      {QStringLiteral("left-width"), QStringLiteral("Block width on the left face, mm."),
       QStringLiteral("MM")},
      {QStringLiteral("right-width"),
       QStringLiteral("Block width on the right face, mm (the left width)."), QStringLiteral("MM")},
      {QStringLiteral("taper"), QStringLiteral("Left front face minus right front face, mm (0)."),
       QStringLiteral("MM")},
      {QStringLiteral("length"), QStringLiteral("Block length along the wire, mm."),
       QStringLiteral("MM")},
      {QStringLiteral("axis-offset"),
       QStringLiteral("Left wire support to the left face, mm (default: centred)."),
       QStringLiteral("MM")},
      {QStringLiteral("clearance"), QStringLiteral("Height the wire travels at, mm."),
       QStringLiteral("MM")},
      {QStringLiteral("foam"), QStringLiteral("Foam (default: the current foam)."),
       QStringLiteral("NAME")},
      {QStringLiteral("speed"), QStringLiteral("Cut speed, mm/s (default: the foam's)."),
       QStringLiteral("MM_S")},
      {QStringLiteral("format"),
       QStringLiteral("Output format: cut or gcode (default: from the extension of OUT)."),
       QStringLiteral("cut|gcode")},
      {QStringLiteral("step-details"), QStringLiteral("Dump every step entry into the script.")},
      {{QStringLiteral("o"), QStringLiteral("output")},
       QStringLiteral("File to write (.cut, or .ngc/.nc/.gcode/.tap); printed on stderr."),
       QStringLiteral("OUT")},
  });
  addGcodeOptions(parser);
}

struct Block {
  double x0 = 20.0, leftWidth = 0.0, rightWidth = 0.0, taper = 0.0, length = 0.0;
  double axisOffset = 0.0, clearance = 0.0;
};

// Reads the block and output options into the context; an exit code on failure.
std::optional<int> readBlock(const QCommandLineParser& parser, CliContext& context, Block& b,
                             std::string& written) {
  CutOutputOptions& output = context.program.cut.output;
  if (auto code = readOutputOptions(parser, output.format, written)) return code;
  for (const char* required : {"left-width", "length", "clearance"}) {
    if (!parser.isSet(QString::fromLatin1(required))) {
      printError(std::string("--") + required + " is required");
      return kExitUsage;
    }
  }
  const double entraxe = context.machine.table.Entraxe;
  if (!readNumberOption(parser, QStringLiteral("x0"), 0.0, 100000.0, b.x0) ||
      !readNumberOption(parser, QStringLiteral("left-width"), 0.001, 100000.0, b.leftWidth) ||
      !readNumberOption(parser, QStringLiteral("taper"), -100000.0, 100000.0, b.taper) ||
      !readNumberOption(parser, QStringLiteral("length"), 0.001, entraxe, b.length) ||
      !readNumberOption(parser, QStringLiteral("clearance"), 0.0, 100000.0, b.clearance)) {
    return kExitUsage;
  }
  b.rightWidth = b.leftWidth;
  b.axisOffset = CentredAxisOffset(static_cast<int>(entraxe), b.length);
  if (!readNumberOption(parser, QStringLiteral("right-width"), 0.001, 100000.0, b.rightWidth) ||
      !readNumberOption(parser, QStringLiteral("axis-offset"), 0.0, entraxe - b.length,
                        b.axisOffset)) {
    return kExitUsage;
  }

  FoamDatabase& foams = context.machine.foams;
  if (parser.isSet(QStringLiteral("foam")) &&
      !selectFoamOption(foams, parser.value(QStringLiteral("foam")).toStdString())) {
    return kExitFailure;
  }
  if (!readNumberOption(parser, QStringLiteral("speed"), 0.01, 10000.0, foams.cutSpeed)) {
    return kExitUsage;
  }

  output.cutToFile = true;
  output.stepDetails = parser.isSet(QStringLiteral("step-details"));
  if (!readGcodeOptions(parser, output.gcode)) return kExitUsage;
  context.prompt.assumeYes = true;
  context.prompt.nextFile = parser.value(QStringLiteral("output")).toStdString();
  return std::nullopt;
}

}  // namespace

int runBlockShapingCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Writes the block shaping cut (rear and front faces trimmed vertically, the wire\n"
      "travelling at the clearance height) as a cut script or G-code.\n"
      "\nExamples:\n"
      "  orva-cli block-shaping --left-width 200 --length 400 --clearance 70 -o block.cut\n"
      "  orva-cli block-shaping --left-width 200 --right-width 150 --length 400 \\\n"
      "          --clearance 70 --dialect grbl -o block.ngc"));
  parser.addHelpOption();
  addBlockOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  Block b;
  std::string written;
  if (auto code = readBlock(parser, context, b, written)) return *code;
  context.program.cut.output.sourceFile = "block shaping";
  BlockShapingParams p;
  p.x0 = b.x0;
  p.leftWidth = b.leftWidth;
  p.rightWidth = b.rightWidth;
  p.taper = b.taper;
  p.length = b.length;
  p.leftAxisOffset = b.axisOffset;
  p.clearance = b.clearance;
  if (!RunBlockShaping(context.program.job, p)) return kExitFailure;
  printError("wrote " + written);
  return kExitOk;
}

int runTestCutCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Writes the test cut series for kerf calibration (horizontal slices through a\n"
      "block, every spacing mm) as a cut script or G-code.\n"
      "\nExamples:\n"
      "  orva-cli test-cut --left-width 100 --length 300 --clearance 70 --height 40 -o test.cut\n"
      "  orva-cli test-cut --left-width 100 --length 300 --clearance 70 --height 40 \\\n"
      "          --spacing 5 --foam depron -o test.ngc"));
  parser.addHelpOption();
  addBlockOptions(parser);
  parser.addOptions({
      {QStringLiteral("height"), QStringLiteral("Block height, mm."), QStringLiteral("MM")},
      {QStringLiteral("spacing"), QStringLiteral("Distance between slices, mm (10)."),
       QStringLiteral("MM")},
      {QStringLiteral("start-top"), QStringLiteral("Cut the slices from the top down.")},
  });
  if (!parseOrReport(parser, args)) return kExitUsage;
  if (!parser.isSet(QStringLiteral("height"))) {
    printError("--height is required");
    return kExitUsage;
  }
  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  Block b;
  std::string written;
  if (auto code = readBlock(parser, context, b, written)) return *code;
  double height = 0.0;
  double spacing = 10.0;
  if (!readNumberOption(parser, QStringLiteral("height"), 1.0, 100000.0, height) ||
      !readNumberOption(parser, QStringLiteral("spacing"), 1.0, 100000.0, spacing)) {
    return kExitUsage;
  }
  context.program.cut.output.sourceFile = "test cut";
  TestCutParams p;
  p.x0 = b.x0;
  p.leftWidth = static_cast<int>(b.leftWidth);
  p.rightWidth = static_cast<int>(b.rightWidth);
  p.taper = static_cast<int>(b.taper);
  p.length = b.length;
  p.leftAxisOffset = b.axisOffset;
  p.clearance = b.clearance;
  p.height = static_cast<int>(height);
  p.spacing = static_cast<int>(spacing);
  p.startWithTop = parser.isSet(QStringLiteral("start-top"));
  if (auto problem = CheckTestCut(p)) {
    printError(*problem);
    return kExitUsage;
  }
  // The heat the test cut's form would set for the cut speed.
  FoamDatabase& foams = context.machine.foams;
  if (!foams.ApplyHeatForSpeed(foams.cutSpeed)) return kExitFailure;
  if (!RunTestCut(context.program.job, p)) return kExitFailure;
  printError("wrote " + written);
  return kExitOk;
}

}  // namespace orva::cli
