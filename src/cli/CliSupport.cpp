#include "cli/CliSupport.h"

#include <QCoreApplication>
#include <cctype>
#include <optional>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "config/FoamDatabase.h"
#include "geometry/CoordinateFile.h"
#include "geometry/Naca.h"
#include "motion/CutScript.h"
#include "motion/GcodeWriter.h"

namespace orva::cli {

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
  const std::optional<double> number = parseNumber(parser.value(option).toStdString());
  if (!number) {
    printError("--" + option.toStdString() + ": " + formatMessage(Msg::PleaseEnterANumber));
    return false;
  }
  const double parsed = *number;
  if (parsed < min || parsed > max) {
    printError("--" + option.toStdString() + ": " +
               formatMessage(Msg::PleaseEnterANumberBetween, {numberText(min), numberText(max)}));
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

std::optional<Profile> loadAirfoil(const AirfoilSource& source, const std::string& role) {
  const std::string lead = role.empty() ? std::string() : role + " airfoil: ";
  if (source.builtIn) {
    Profile profile;
    profile.MakeDefault();
    return profile;
  }
  if (!source.naca.isEmpty()) {
    auto profile = MakeNaca4(source.naca.toStdString());
    if (!profile)
      printError(lead + "'" + source.naca.toStdString() + "' is not a NACA four-digit airfoil");
    return profile;
  }
  Profile profile;
  const std::string file = source.file.toStdString();
  CoordinateFileProblem problem = CoordinateFileProblem::Other;
  switch (ReadCoordinateFile(file, profile, &problem)) {
    case CoordinateFileStatus::Ok:
      return profile;
    case CoordinateFileStatus::CannotOpen:
      // The program's two messages, in the order its dialogs show them.
      printError(lead + file + ": " + std::string(messageText(Msg::UnableToOpenFileForReading)));
      printError(lead + std::string(messageText(Msg::InvalidDatFile)));
      break;
    case CoordinateFileStatus::Invalid:
      printError(lead + file + ": " + InvalidDatFileText(problem));
      break;
  }
  printKindHint(file, ".dat");
  return std::nullopt;
}

nlohmann::ordered_json pointsToJson(const PointList& points) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Point2D& p : points) list.push_back({p.x, p.y});
  return list;
}

bool selectFoamOption(FoamDatabase& foams, const std::string& name) {
  std::vector<std::string> candidates;
  const std::optional<std::string> found = foams.MatchFoamName(name, &candidates);
  if (found) {
    FoamType record;
    foams.SelectFoam(*found, &record);
    foams.cutSpeed = record.maxSpeed;
    return true;
  }
  if (candidates.empty()) {
    printError(std::string(messageText(Msg::InvalidFoamType)) + ": \"" + name + "\"");
    printError(formatMessage(Msg::KnownFoams, {foamList(foams)}));
  } else {
    std::string names;
    for (const std::string& c : candidates) names += (names.empty() ? "\"" : ", \"") + c + "\"";
    printError(formatMessage(Msg::AmbiguousFoam, {name, names}));
    printError(formatMessage(Msg::KnownFoams, {foamList(foams)}));
  }
  return false;
}

std::string foamList(const FoamDatabase& foams) {
  std::string names;
  for (const auto& [name, record] : foams.records) names += (names.empty() ? "" : ", ") + name;
  return names;
}

namespace {

std::string lowerExtension(const std::filesystem::path& path) {
  std::string ext = path.extension().string();
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

bool isGcodeExtension(const std::string& ext) {
  return ext == ".ngc" || ext == ".nc" || ext == ".gcode" || ext == ".tap";
}

}  // namespace

std::optional<int> readOutputOptions(const QCommandLineParser& parser, OutputFormat& format,
                                     std::string& written, bool formatOption) {
  if (!parser.isSet(QStringLiteral("output"))) {
    printError("give the file to write with -o OUT.cut (or OUT.ngc)");
    return kExitUsage;
  }
  const std::string out = parser.value(QStringLiteral("output")).toStdString();
  std::error_code error;
  if (out.empty() || std::filesystem::is_directory(out, error) || out.back() == '/') {
    printError("-o " + out + ": is a directory; give a file name such as " +
               (std::filesystem::path(out) / "panel1.cut").string());
    return kExitUsage;
  }
  const std::string ext = lowerExtension(out);
  const bool gcodeExt = isGcodeExtension(ext);
  if (formatOption && parser.isSet(QStringLiteral("format"))) {
    const QString text = parser.value(QStringLiteral("format"));
    if (text != QLatin1String("cut") && text != QLatin1String("gcode")) {
      printError("--format: expected cut or gcode");
      return kExitUsage;
    }
    format = text == QLatin1String("gcode") ? OutputFormat::Gcode : OutputFormat::CutScript;
    if ((format == OutputFormat::CutScript && gcodeExt) ||
        (format == OutputFormat::Gcode && ext == ".cut")) {
      printError("-o " + out + ": the extension " + ext + " contradicts --format " +
                 text.toStdString());
      return kExitUsage;
    }
  } else if (gcodeExt) {
    format = OutputFormat::Gcode;
  } else if (ext.empty() || ext == ".cut") {
    format = ext.empty() && !formatOption ? format : OutputFormat::CutScript;
  } else {
    printError("-o " + out + ": cannot tell the format from " + ext +
               "; use .cut, .ngc, .nc, .gcode or .tap, or give --format");
    return kExitUsage;
  }
  written = format == OutputFormat::Gcode ? GcodeFilePath(out) : CutScriptPath(out).string();
  return std::nullopt;
}

void printKindHint(const std::string& file, std::string_view expected) {
  const std::string ext = lowerExtension(file);
  std::string kind;
  if (ext == ".dat" || ext == ".cor") kind = "an airfoil coordinate file: use 'orva-cli airfoil'";
  if (ext == ".cnc") kind = "a project file: use 'orva-cli info', 'survey' or 'cut'";
  if (ext == ".cut") kind = "a cut script: use 'orva-cli replay' or 'gcode'";
  if (ext == ".json") kind = "a project in JSON: build it with 'orva-cli build' first";
  if (isGcodeExtension(ext)) kind = "G-code, which this program does not read";
  if (kind.empty() || ext == expected || (expected == ".dat" && ext == ".cor")) return;
  printError(file + ": this is " + kind);
}

void printJson(const nlohmann::ordered_json& document, bool compact) {
  // Texts are UTF-8 already; a stray invalid byte must not abort the report.
  std::cout << document.dump(compact ? -1 : 2, ' ', false,
                             nlohmann::ordered_json::error_handler_t::replace)
            << '\n';
}

}  // namespace orva::cli
