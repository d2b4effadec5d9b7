#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "geometry/CoordinateFile.h"
#include "geometry/Point2D.h"
#include "geometry/Profile.h"
#include "motion/CutEnvironment.h"

namespace orva {
class FoamDatabase;
}

namespace orva::cli {

// Exit codes of the tool.
enum ExitCode : int {
  kExitOk = 0,
  kExitFailure = 1,  // the input was refused or the work failed
  kExitUsage = 2,    // the command line itself is wrong
  kExitInterrupted = 130,  // cancelled by Ctrl+C (SIGINT)
};

// The arguments of one subcommand: the program name followed by the
// subcommand's own arguments (the subcommand word removed).
struct CommandArgs {
  QStringList arguments;
};

// Prints a message on stderr, one line per line of the text.
void printError(const std::string& text);

// Parses the arguments; on a parse error prints it with the help hint and
// returns false. `--help` prints the help text and exits the process with 0.
bool parseOrReport(QCommandLineParser& parser, const CommandArgs& args);

// Reads a number option. Returns false (with the message printed) when the
// text is not a number or lies outside [min, max]; the messages are the ones
// the program's dialogs use for the same fields.
bool readNumberOption(const QCommandLineParser& parser, const QString& option, double min,
                      double max, double& value);
// Reads a 0/1 flag option.
bool readFlagOption(const QCommandLineParser& parser, const QString& option, bool& value);

// Where an airfoil comes from on the command line: a coordinate file, the
// built-in airfoil, or a NACA four-digit designation.
struct AirfoilSource {
  QString file;
  bool builtIn = false;
  QString naca;

  int given() const {
    return (file.isEmpty() ? 0 : 1) + (builtIn ? 1 : 0) + (naca.isEmpty() ? 0 : 1);
  }
};

// Builds the airfoil, or prints the program's messages for a refused source
// and returns nothing.
// `role` ("root", "tip") starts every message when given.
std::optional<Profile> loadAirfoil(const AirfoilSource& source, const std::string& role = {});

nlohmann::ordered_json pointsToJson(const PointList& points);

// Makes the foam the user named current (exact name, else the one match
// ignoring case and accents). False, with the foams listed, otherwise.
bool selectFoamOption(FoamDatabase& foams, const std::string& name);
// The foam names, comma-separated.
std::string foamList(const FoamDatabase& foams);

// The output format of -o OUT: --format when given, else from the extension
// (.cut: a cut script; .ngc, .nc, .gcode, .tap: G-code; none: a cut script).
// Refuses (an exit code) a directory, an extension that contradicts
// --format, and an unknown extension without --format. `written` receives
// the path the writer will use. Without `formatOption` (a command that has no
// --format) a name without extension keeps the `format` given.
std::optional<int> readOutputOptions(const QCommandLineParser& parser, OutputFormat& format,
                                     std::string& written, bool formatOption = true);

// After a file could not be read: a hint on stderr when FILE has the
// extension of another kind of file (.dat, .cor, .cnc, .cut, .json, G-code)
// than `expected` (".cnc", ".cut"), naming the command that reads it.
void printKindHint(const std::string& file, std::string_view expected);

// Writes the document on stdout, indented unless `compact`.
void printJson(const nlohmann::ordered_json& document, bool compact);

}  // namespace orva::cli
