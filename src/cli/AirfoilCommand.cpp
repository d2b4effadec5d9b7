#include "cli/AirfoilCommand.h"

namespace orva::cli {

namespace {

nlohmann::ordered_json profileToJson(const Profile& profile, bool withPoints) {
  nlohmann::ordered_json out = {
      {"name", profile.name},
      {"count", profile.count()},
      {"leadingEdgeIndex", profile.leadingEdgeIndex},
      {"maxThickness", profile.maxThickness},
      {"maxThicknessX", profile.maxThicknessX},
      {"maxCamber", profile.maxCamber},
      {"maxCamberX", profile.maxCamberX},
      {"minY", profile.minY},
      {"maxY", profile.maxY},
  };
  if (withPoints) out["points"] = pointsToJson(profile.points);
  return out;
}

}  // namespace

int runAirfoilCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Reads an airfoil and prints its canonical point order and figures as JSON\n"
                     "(thickness and camber in chord fractions).\n"
                     "\nExamples:\n"
                     "  orva-cli airfoil clarky.dat --points\n"
                     "  orva-cli airfoil --naca 2412 --compact\n"
                     "  orva-cli airfoil --default"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE"),
                               QStringLiteral("Airfoil coordinate file (.dat or .cor)."));
  parser.addOptions({
      {QStringLiteral("default"), QStringLiteral("Use the built-in airfoil.")},
      {QStringLiteral("naca"), QStringLiteral("Generate a NACA four-digit airfoil."),
       QStringLiteral("DDDD")},
      {QStringLiteral("points"), QStringLiteral("Also print the points in canonical order.")},
      {QStringLiteral("compact"), QStringLiteral("Print the JSON on one line.")},
  });
  if (!parseOrReport(parser, args)) return kExitUsage;

  AirfoilSource source;
  const QStringList positional = parser.positionalArguments();
  if (positional.size() > 1) {
    printError("airfoil: only one FILE may be given");
    return kExitUsage;
  }
  source.file = positional.value(0);
  source.builtIn = parser.isSet(QStringLiteral("default"));
  source.naca = parser.value(QStringLiteral("naca"));
  if (source.given() != 1) {
    printError("airfoil: give exactly one of FILE, --default or --naca DDDD");
    return kExitUsage;
  }

  const auto profile = loadAirfoil(source);
  if (!profile) return kExitFailure;
  printJson(profileToJson(*profile, parser.isSet(QStringLiteral("points"))),
            parser.isSet(QStringLiteral("compact")));
  return kExitOk;
}

}  // namespace orva::cli
