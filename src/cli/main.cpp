// orva-cli: the command-line front end of ORVA.
#include <QCoreApplication>
#include <clocale>
#include <iostream>
#include <string>

#include "cli/AirfoilCommand.h"
#include "cli/AuxCommands.h"
#include "cli/CliSupport.h"
#include "cli/CutCommands.h"
#include "cli/GcodeCommand.h"
#include "cli/ListCommands.h"
#include "cli/ProjectCommands.h"
#include "cli/RenderCommand.h"
#include "cli/ReplayCommand.h"
#include "cli/SectionCommand.h"
#include "cli/StreamCommand.h"

namespace {

struct Command {
  const char* name;
  const char* summary;
  int (*run)(const orva::cli::CommandArgs&);
};

constexpr Command kCommands[] = {
    {"airfoil", "Report an airfoil (file, built-in or NACA) as JSON", orva::cli::runAirfoilCommand},
    {"section", "Build a panel's root (and tip) cut outlines and print them as JSON",
     orva::cli::runSectionCommand},
    {"info", "Print a project file (.cnc) as JSON", orva::cli::runInfoCommand},
    {"build", "Create a project file from its JSON form", orva::cli::runBuildCommand},
    {"export", "Write the text export of a project's panel", orva::cli::runExportCommand},
    {"survey", "Estimate the cut of a panel: top speed, time, heat", orva::cli::runSurveyCommand},
    {"cut", "Write the cut of a panel as a cut script or G-code", orva::cli::runCutCommand},
    {"block-shaping", "Write the block shaping cut", orva::cli::runBlockShapingCommand},
    {"test-cut", "Write the test cut series for kerf calibration", orva::cli::runTestCutCommand},
    {"replay", "Run a cut script on the simulated machine", orva::cli::runReplayCommand},
    {"gcode", "Write a cut script as G-code for a four-axis controller",
     orva::cli::runGcodeCommand},
    {"stream", "Send a G-code file to a GRBL-family controller on a serial port",
     orva::cli::runStreamCommand},
    {"tables", "List the cutting tables", orva::cli::runTablesCommand},
    {"foams", "List the foams of the current table", orva::cli::runFoamsCommand},
    {"render", "Draw a view of a project as PNG, SVG or PDF", orva::cli::runRenderCommand},
};

void printUsage(std::ostream& out) {
  out << "Usage: orva-cli <command> [options]\n"
         "       orva-cli <command> --help\n\n"
         "Commands:\n";
  for (const Command& command : kCommands) {
    std::string name = command.name;
    name.resize(15, ' ');
    out << "  " << name << command.summary << '\n';
  }
  out << "\nOptions:\n"
         "  -h, --help     Show this help.\n"
         "  -v, --version  Show the version.\n"
         "\nExamples:\n"
         "  orva-cli airfoil --naca 2412 --points\n"
         "  orva-cli section clarky.dat --chord 400 --skin 1 --tip-naca 0012 --tip-chord 250\n"
         "  orva-cli build examples/wing.json -o wing.cnc\n"
         "  orva-cli info wing.cnc\n"
         "  orva-cli export wing.cnc --panel 2 -o wing.txt\n"
         "  orva-cli survey wing.cnc --panel 1\n"
         "  orva-cli cut wing.cnc --panel 1 -o panel1.cut\n"
         "  orva-cli cut wing.cnc --speed 2.5 --dialect linuxcnc -o panel1.ngc\n"
         "  orva-cli block-shaping --left-width 200 --length 400 --clearance 70 -o block.cut\n"
         "  orva-cli test-cut --left-width 100 --length 300 --clearance 70 --height 40 -o "
         "test.cut\n"
         "  orva-cli replay panel1.cut --yes --json\n"
         "  orva-cli gcode panel1.cut --dialect grbl -o panel1.ngc\n"
         "  orva-cli stream panel1.ngc --port /dev/ttyUSB0 --rx-buffer 255\n"
         "  orva-cli tables\n"
         "  orva-cli foams --json\n"
         "\nCommands that use tables and foams read the user's settings and data\n"
         "directory; --settings FILE, --data-dir DIR and --table NAME override them for\n"
         "one run (each must exist). Errors go to stderr; exit code 1 for refused input,\n"
         "2 for a wrong command line. The project JSON and the data files are described\n"
         "in docs/files.md.\n";
}

}  // namespace

int main(int argc, char* argv[]) {
  const auto app = orva::cli::createApplication(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("orva-cli"));
  QCoreApplication::setApplicationVersion(QStringLiteral(ORVA_VERSION));
  // Numbers are read and written in the C locale whatever the user's locale says.
  std::setlocale(LC_NUMERIC, "C");

  QStringList arguments = QCoreApplication::arguments();
  if (arguments.size() < 2) {
    printUsage(std::cerr);
    return orva::cli::kExitUsage;
  }
  const QString word = arguments.at(1);
  if (word == QLatin1String("-h") || word == QLatin1String("--help") ||
      word == QLatin1String("help")) {
    printUsage(std::cout);
    return orva::cli::kExitOk;
  }
  if (word == QLatin1String("-v") || word == QLatin1String("--version")) {
    std::cout << "orva-cli " << ORVA_VERSION << '\n';
    return orva::cli::kExitOk;
  }
  for (const Command& command : kCommands) {
    if (word == QLatin1String(command.name)) {
      arguments.removeAt(1);
      arguments[0] = QStringLiteral("orva-cli ") + word;
      return command.run(orva::cli::CommandArgs{arguments});
    }
  }
  std::cerr << "orva-cli: unknown command '" << word.toStdString() << "'\n\n";
  printUsage(std::cerr);
  return orva::cli::kExitUsage;
}
