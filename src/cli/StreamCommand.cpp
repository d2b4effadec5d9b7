#include "cli/StreamCommand.h"

#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/StreamSupport.h"
#include "common/Messages.h"
#include "controller/SerialTransport.h"
#include "driver/GrblStreamer.h"

namespace orva::cli {

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
  addControllerOptions(parser);
  parser.addOptions({
      {QStringLiteral("axes"),
       QStringLiteral("Controller's axis letters of XG, YG, XD, YD in this order (default XYZA)."),
       QStringLiteral("LLLL")},
      {QStringLiteral("clearance"),
       QStringLiteral("Height of the retreat after Ctrl+C, mm (default: the highest height of "
                      "the file)."),
       QStringLiteral("MM")},
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
  ControllerOptions link;
  if (!readControllerOptions(parser, link)) return kExitUsage;
  GrblSettings settings;
  if (link.rxBuffer) settings.rxBufferSize = *link.rxBuffer;
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

  SerialTransport transport(*link.port, link.baud.value_or(115200));
  GrblStreamer streamer(transport, settings);
  if (!streamer.connect()) {
    printError(streamer.failureText());
    return kExitFailure;
  }
  if (!readyAfterConnect(streamer, link.unlock)) return kExitFailure;

  StreamProgressPrinter printer;
  bool cancelled = false;
  GrblStreamState state = GrblStreamState::Failed;
  {
    const StreamInterruptGuard guard;
    state = streamer.run(
        std::move(program), clearance, [&](const GrblProgress& progress) { printer.print(progress); },
        [&] {
          if (StreamInterruptGuard::interrupted()) cancelled = true;
          return cancelled;
        });
    printer.end();
  }
  return reportStreamEnd(streamer, state, cancelled, false);
}

}  // namespace orva::cli
