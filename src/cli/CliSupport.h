#pragma once

#include <QCommandLineParser>
#include <QString>
#include <QStringList>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "geometry/Point2D.h"
#include "geometry/Profile.h"

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
std::optional<Profile> loadAirfoil(const AirfoilSource& source);

nlohmann::ordered_json pointsToJson(const PointList& points);

// Writes the document on stdout, indented unless `compact`.
void printJson(const nlohmann::ordered_json& document, bool compact);

}  // namespace orva::cli
