#include "cli/PanelCutSetup.h"

#include "common/Messages.h"
#include "cutting/PanelCutForm.h"
#include "cutting/PanelPlacement.h"
#include "model/Panel.h"
#include "model/ProjectFile.h"

namespace orva::cli {

namespace {

// Picks one of several words; -1 (message printed) when the text is none of them.
int choice(const QCommandLineParser& parser, const char* option,
           std::initializer_list<const char*> words) {
  const QString text = parser.value(QString::fromLatin1(option));
  int index = 0;
  for (const char* word : words) {
    if (text == QLatin1String(word)) return index;
    ++index;
  }
  std::string list;
  for (const char* word : words) list += std::string(list.empty() ? "" : ", ") + word;
  printError(std::string("--") + option + ": expected one of " + list);
  return -1;
}

}  // namespace

void addPanelCutOptions(QCommandLineParser& parser) {
  parser.addPositionalArgument(QStringLiteral("FILE.cnc"), QStringLiteral("Project file."));
  addSettingsOptions(parser);
  parser.addOptions({
      {QStringLiteral("panel"), QStringLiteral("Panel to cut, from 1 (default 1)."),
       QStringLiteral("N")},
      {QStringLiteral("side"), QStringLiteral("Wing side: right or left."),
       QStringLiteral("right|left")},
      {QStringLiteral("order"), QStringLiteral("Surface cut first: bottom or top."),
       QStringLiteral("bottom|top")},
      {QStringLiteral("trim"),
       QStringLiteral("Block trimming: none, before, while, after or only."),
       QStringLiteral("MODE")},
      {QStringLiteral("clearance"), QStringLiteral("Clearance above the block, mm."),
       QStringLiteral("MM")},
      {QStringLiteral("profile-kerf"), QStringLiteral("Kerf compensation of the profile."),
       QStringLiteral("0|1")},
      {QStringLiteral("ref-lower"), QStringLiteral("Reference lower surface."),
       QStringLiteral("0|1")},
      {QStringLiteral("section-cut"),
       QStringLiteral("Cut an intermediate section at Z mm from the root."), QStringLiteral("Z")},
      {QStringLiteral("section-ref"),
       QStringLiteral("Section kept by the intermediate cut: root or tip."),
       QStringLiteral("root|tip")},
      {QStringLiteral("foam"),
       QStringLiteral("Foam to cut: its name, exact or ignoring case and accents "
                      "(default: the project's foam when the table has it, else the "
                      "current foam; see 'orva-cli foams')."),
       QStringLiteral("NAME")},
      {QStringLiteral("speed"),
       QStringLiteral("Cut speed in mm/s. Default (or max): the surveyed maximum for a "
                      "computed-heat foam, the foam's measured speed for a fixed-heat one."),
       QStringLiteral("MM_S|max")},
      {QStringLiteral("place"),
       QStringLiteral("auto: move the block (offsetX0, else rootAxisOffset) so that every "
                      "tower target stays in the table's travel."),
       QStringLiteral("auto")},
  });
}

std::optional<int> preparePanelCut(const QCommandLineParser& parser, CutSetup& setup) {
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    printError("give exactly one project file");
    return kExitUsage;
  }
  if (!setup.context.usable()) return kExitFailure;
  MachineConfig& machine = setup.context.machine;
  const std::string file = positional.first().toStdString();
  setup.context.prompt.subject = file;
  const bool loaded = LoadProjectFile(setup.doc, file);
  setup.context.prompt.subject.clear();
  if (!loaded) {
    printKindHint(file, ".cnc");
    return kExitFailure;
  }

  CT1Doc& doc = setup.doc;
  if (parser.isSet(QStringLiteral("panel"))) {
    bool ok = false;
    const int panel = parser.value(QStringLiteral("panel")).toInt(&ok);
    if (!ok || panel < 1 || panel > static_cast<int>(doc.panels.size())) {
      printError("--panel must be a panel number from 1 to " + std::to_string(doc.panels.size()));
      return kExitUsage;
    }
    doc.currentPanel = panel - 1;
  }
  PanelCutChoices& c = doc.cutChoices;
  if (parser.isSet(QStringLiteral("side"))) {
    if ((c.wingSide = choice(parser, "side", {"right", "left"})) < 0) return kExitUsage;
  }
  if (parser.isSet(QStringLiteral("order"))) {
    if ((c.cutOrder = choice(parser, "order", {"bottom", "top"})) < 0) return kExitUsage;
  }
  if (parser.isSet(QStringLiteral("trim"))) {
    c.trimmingMode = choice(parser, "trim", {"none", "before", "while", "after", "only"});
    if (c.trimmingMode < 0) return kExitUsage;
  }
  if (!readNumberOption(parser, QStringLiteral("clearance"), 0.0, 10000.0, c.clearance)) {
    return kExitUsage;
  }
  if (!parser.isSet(QStringLiteral("clearance"))) {
    c.clearance = PanelCutForm::DefaultClearance(doc);  // what the cutting dialog opens with
  }
  bool flag = c.kerfCompensationA != 0;
  if (!readFlagOption(parser, QStringLiteral("profile-kerf"), flag)) return kExitUsage;
  c.kerfCompensationA = c.kerfCompensationB = flag ? 1 : 0;
  flag = c.referenceLowerSurface != 0;
  if (!readFlagOption(parser, QStringLiteral("ref-lower"), flag)) return kExitUsage;
  c.referenceLowerSurface = flag ? 1 : 0;
  if (parser.isSet(QStringLiteral("section-cut"))) {
    double z = 0.0;
    if (!readNumberOption(parser, QStringLiteral("section-cut"), 0.0, 1e6, z)) return kExitUsage;
    doc.current().sectionCutEnabled = true;
    doc.current().sectionCutZ = static_cast<int>(z);
  }
  if (parser.isSet(QStringLiteral("section-ref"))) {
    if ((c.sectionReference = choice(parser, "section-ref", {"root", "tip"})) < 0) {
      return kExitUsage;
    }
  }
  FoamDatabase& foams = machine.foams;
  // Loading the project has made its foam current when the table has it.
  if (parser.isSet(QStringLiteral("foam"))) {
    if (!selectFoamOption(foams, parser.value(QStringLiteral("foam")).toStdString())) {
      return kExitFailure;
    }
  } else if (!doc.foamName.empty() && !foams.records.count(doc.foamName) && foams.currentRecord()) {
    printError("warning: the project's foam \"" + doc.foamName + "\" is not a foam of table \"" +
               machine.currentTable + "\"; the current foam \"" + foams.CurrentFoamName() +
               "\" is used (see 'orva-cli foams', --foam)");
  } else if (!foams.currentRecord()) {
    printError(std::string(messageText(Msg::InvalidFoamType)));
    printError(formatMessage(Msg::KnownFoams, {foamList(foams)}));
    return kExitFailure;
  }
  if (parser.isSet(QStringLiteral("speed")) &&
      parser.value(QStringLiteral("speed")) != QLatin1String("max")) {
    double speed = 0.0;
    if (!readNumberOption(parser, QStringLiteral("speed"), 0.01, 10000.0, speed)) {
      return kExitUsage;
    }
    setup.speed = speed;
  }
  if (parser.isSet(QStringLiteral("place")) &&
      parser.value(QStringLiteral("place")) != QLatin1String("auto")) {
    printError("--place: expected auto");
    return kExitUsage;
  }
  setup.env.output.sourceFile = positional.first().toStdString();
  setup.env.output.panelName = "Panel " + std::to_string(doc.currentPanel + 1);
  return std::nullopt;
}

void printPlacementHint(CutSetup& setup) {
  const PanelPlacement fix = SuggestPanelPlacement(setup.doc, setup.env);
  const Panel& panel = setup.doc.current();
  if (fix.offsetX0) {
    printError(formatMessage(Msg::PlacementOffsetX0,
                             {std::to_string(*fix.offsetX0), std::to_string(panel.offsetX0)}));
  }
  if (fix.rootAxisOffset) {
    printError(formatMessage(Msg::PlacementRootAxisOffset, {std::to_string(*fix.rootAxisOffset),
                                                            std::to_string(panel.rootAxisOffset)}));
  }
  if (fix.offsetX0 || fix.rootAxisOffset) printError("(or run with --place auto)");
}

void placeAutomatically(CutSetup& setup) {
  const PanelPlacement fix = SuggestPanelPlacement(setup.doc, setup.env);
  Panel& panel = setup.doc.current();
  if (fix.offsetX0) {
    panel.offsetX0 = *fix.offsetX0;
  } else if (fix.rootAxisOffset) {
    panel.rootAxisOffset = *fix.rootAxisOffset;
    panel.blockCentredZ = false;
  }
}

}  // namespace orva::cli
