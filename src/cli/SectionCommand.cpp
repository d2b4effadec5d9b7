#include "cli/SectionCommand.h"

#include "geometry/SectionBuilder.h"

namespace orva::cli {

namespace {

// The limits of the panel parameters dialog for the same fields.
constexpr double kChordMin = 0.1;
constexpr double kChordMax = 10000.0;
constexpr double kWashoutMin = -90.0;
constexpr double kWashoutMax = 90.0;
constexpr double kSkinMin = -10.0;
constexpr double kSkinMax = 10.0;

nlohmann::ordered_json sectionToJson(const Section& section) {
  return {
      {"name", section.profile.name},
      {"chord", section.params.chord},
      {"washout", section.params.washout},
      {"skin", section.params.skin},
      {"upper", pointsToJson(section.upper)},
      {"lower", pointsToJson(section.lower)},
      {"cutUpper", pointsToJson(section.cutUpper)},
      {"cutLower", pointsToJson(section.cutLower)},
  };
}

// Reads the chord, skin and washout options of one end ("" for the root, "tip-" for the tip).
bool readSectionOptions(const QCommandLineParser& parser, const QString& prefix,
                        SectionParams& params) {
  return readNumberOption(parser, prefix + QStringLiteral("chord"), kChordMin, kChordMax,
                          params.chord) &&
         readNumberOption(parser, prefix + QStringLiteral("skin"), kSkinMin, kSkinMax,
                          params.skin) &&
         readNumberOption(parser, prefix + QStringLiteral("washout"), kWashoutMin, kWashoutMax,
                          params.washout);
}

}  // namespace

int runSectionCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Builds the cut outlines of a panel's root section (and of its tip when a tip\n"
      "airfoil is given): surfaces, skin offset, resampling, tip matched to the root,\n"
      "washout. Prints upper, lower, cutUpper and cutLower in chord fractions as JSON.\n"
      "\nExamples:\n"
      "  orva-cli section clarky.dat --chord 400 --skin 1\n"
      "  orva-cli section --naca 2412 --chord 250 --tip-naca 0012 --tip-chord 180 \\\n"
      "          --tip-washout 2 --compact"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Root airfoil file."));
  const QString mm = QStringLiteral("MM");
  const QString deg = QStringLiteral("DEG");
  parser.addOptions({
      {QStringLiteral("default"), QStringLiteral("Root: the built-in airfoil.")},
      {QStringLiteral("naca"), QStringLiteral("Root: a NACA four-digit airfoil."),
       QStringLiteral("DDDD")},
      {QStringLiteral("chord"), QStringLiteral("Root chord, 0.1 to 10000 mm (150)."), mm},
      {QStringLiteral("skin"), QStringLiteral("Root skin thickness, -10 to 10 mm (0)."), mm},
      {QStringLiteral("washout"), QStringLiteral("Root washout, -90 to 90 degrees (0)."), deg},
      {QStringLiteral("splines"),
       QStringLiteral("Resample along splines (1) or straight segments (0); default 1."),
       QStringLiteral("0|1")},
      {QStringLiteral("wing-panel"),
       QStringLiteral("Wing panel (1) or a plain closed outline (0); default 1."),
       QStringLiteral("0|1")},
      {QStringLiteral("tip"), QStringLiteral("Tip airfoil file (makes root and tip different)."),
       QStringLiteral("FILE")},
      {QStringLiteral("tip-default"), QStringLiteral("Tip: the built-in airfoil.")},
      {QStringLiteral("tip-naca"), QStringLiteral("Tip: a NACA four-digit airfoil."),
       QStringLiteral("DDDD")},
      {QStringLiteral("tip-chord"), QStringLiteral("Tip chord in mm (default: the root's)."), mm},
      {QStringLiteral("tip-skin"), QStringLiteral("Tip skin in mm (default: the root's)."), mm},
      {QStringLiteral("tip-washout"),
       QStringLiteral("Tip washout in degrees (default: the root's)."), deg},
      {QStringLiteral("compact"), QStringLiteral("Print the JSON on one line.")},
  });
  if (!parseOrReport(parser, args)) return kExitUsage;

  const QStringList positional = parser.positionalArguments();
  if (positional.size() > 1) {
    printError("section: only one root FILE may be given");
    return kExitUsage;
  }
  AirfoilSource rootSource;
  rootSource.file = positional.value(0);
  rootSource.builtIn = parser.isSet(QStringLiteral("default"));
  rootSource.naca = parser.value(QStringLiteral("naca"));
  if (rootSource.given() != 1) {
    printError("section: give exactly one root airfoil: FILE, --default or --naca DDDD");
    return kExitUsage;
  }
  AirfoilSource tipSource;
  tipSource.file = parser.value(QStringLiteral("tip"));
  tipSource.builtIn = parser.isSet(QStringLiteral("tip-default"));
  tipSource.naca = parser.value(QStringLiteral("tip-naca"));
  if (tipSource.given() > 1) {
    printError("section: give at most one tip airfoil: --tip, --tip-default or --tip-naca");
    return kExitUsage;
  }
  const bool hasTip = tipSource.given() == 1;
  for (const char* tipOnly : {"tip-chord", "tip-skin", "tip-washout"}) {
    if (!hasTip && parser.isSet(QString::fromLatin1(tipOnly))) {
      printError(std::string("section: --") + tipOnly + " needs a tip airfoil");
      return kExitUsage;
    }
  }

  Section root;
  SectionBuildOptions options;
  if (!readSectionOptions(parser, QString(), root.params) ||
      !readFlagOption(parser, QStringLiteral("splines"), options.splines) ||
      !readFlagOption(parser, QStringLiteral("wing-panel"), options.wingPanel)) {
    return kExitUsage;
  }
  Section tip;
  tip.params = root.params;
  if (hasTip && !readSectionOptions(parser, QStringLiteral("tip-"), tip.params)) {
    return kExitUsage;
  }
  options.differentRootTip = hasTip;

  auto rootProfile = loadAirfoil(rootSource, hasTip ? "root" : "");
  if (!rootProfile) return kExitFailure;
  root.profile = std::move(*rootProfile);
  if (hasTip) {
    auto tipProfile = loadAirfoil(tipSource, "tip");
    if (!tipProfile) return kExitFailure;
    tip.profile = std::move(*tipProfile);
  } else {
    tip.profile = root.profile;
  }

  RebuildSections(root, tip, options);

  nlohmann::ordered_json out = {
      {"wingPanel", options.wingPanel},
      {"splines", options.splines},
      {"root", sectionToJson(root)},
  };
  if (hasTip) out["tip"] = sectionToJson(tip);
  printJson(out, parser.isSet(QStringLiteral("compact")));
  return kExitOk;
}

}  // namespace orva::cli
