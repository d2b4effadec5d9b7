#include "cli/CliSupport.h"

#include <QCoreApplication>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "common/Messages.h"
#include "geometry/CoordinateFile.h"
#include "geometry/Naca.h"

namespace orva::cli {

namespace {

// Shortest text that reads back as the same double ("0.1", "10000").
std::string shortNumber(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

}  // namespace

void printError(const std::string& text) { std::cerr << text << '\n'; }

bool parseOrReport(QCommandLineParser& parser, const CommandArgs& args) {
  if (!parser.parse(args.arguments)) {
    printError(parser.errorText().toStdString());
    printError("Try '" + args.arguments.value(0).toStdString() + " --help'.");
    return false;
  }
  if (parser.isSet(QStringLiteral("help"))) {
    // The parser names the program by its path; show the subcommand instead.
    QString help = parser.helpText();
    help.replace(QCoreApplication::arguments().value(0), args.arguments.value(0));
    std::cout << help.toStdString();
    std::exit(kExitOk);
  }
  return true;
}

bool readNumberOption(const QCommandLineParser& parser, const QString& option, double min,
                      double max, double& value) {
  if (!parser.isSet(option)) return true;
  const std::string text = parser.value(option).trimmed().toStdString();
  double parsed = 0.0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  auto result = std::from_chars(first, last, parsed);
  if (text.empty() || result.ec != std::errc() || result.ptr != last || !std::isfinite(parsed)) {
    printError("--" + option.toStdString() + ": " + formatMessage(Msg::PleaseEnterANumber));
    return false;
  }
  if (parsed < min || parsed > max) {
    printError("--" + option.toStdString() + ": " +
               formatMessage(Msg::PleaseEnterANumberBetween, {shortNumber(min), shortNumber(max)}));
    return false;
  }
  value = parsed;
  return true;
}

bool readFlagOption(const QCommandLineParser& parser, const QString& option, bool& value) {
  if (!parser.isSet(option)) return true;
  const QString text = parser.value(option).trimmed();
  if (text == QLatin1String("0") || text == QLatin1String("1")) {
    value = text == QLatin1String("1");
    return true;
  }
  printError("--" + option.toStdString() + ": expected 0 or 1, got '" + text.toStdString() + "'");
  return false;
}

std::optional<Profile> loadAirfoil(const AirfoilSource& source) {
  if (source.builtIn) {
    Profile profile;
    profile.MakeDefault();
    return profile;
  }
  if (!source.naca.isEmpty()) {
    auto profile = MakeNaca4(source.naca.toStdString());
    if (!profile)
      printError("'" + source.naca.toStdString() + "' is not a NACA four-digit airfoil");
    return profile;
  }
  Profile profile;
  switch (ReadCoordinateFile(source.file.toStdString(), profile)) {
    case CoordinateFileStatus::Ok:
      return profile;
    case CoordinateFileStatus::CannotOpen:
      printError(std::string(messageText(Msg::UnableToOpenFileForReading)));
      [[fallthrough]];
    case CoordinateFileStatus::Invalid:
      printError(std::string(messageText(Msg::InvalidDatFile)));
      break;
  }
  return std::nullopt;
}

nlohmann::ordered_json pointsToJson(const PointList& points) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Point2D& p : points) list.push_back({p.x, p.y});
  return list;
}

void printJson(const nlohmann::ordered_json& document, bool compact) {
  // Texts are UTF-8 already; a stray invalid byte must not abort the report.
  std::cout << document.dump(compact ? -1 : 2, ' ', false,
                             nlohmann::ordered_json::error_handler_t::replace)
            << '\n';
}

}  // namespace orva::cli
