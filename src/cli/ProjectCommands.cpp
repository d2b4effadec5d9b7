#include "cli/ProjectCommands.h"

#include <fstream>
#include <sstream>

#include "cli/CliContext.h"
#include "common/Messages.h"
#include "model/CT1Doc.h"
#include "model/ProjectFile.h"
#include "model/ProjectJson.h"
#include "model/TextExport.h"

namespace orva::cli {

namespace {

const QString kOutput = QStringLiteral("output");

bool oneFile(const QCommandLineParser& parser, const char* command, QString& file) {
  const QStringList positional = parser.positionalArguments();
  if (positional.size() != 1) {
    printError(std::string(command) + ": give exactly one input file");
    return false;
  }
  file = positional.first();
  return true;
}

}  // namespace

int runInfoCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Prints a project file (.cnc) as JSON: the project fields and every panel with\n"
      "its fields, spar records and root and tip sections (parameters, profile name,\n"
      "the stored surfaces and the profile's figures).\n"
      "\nExamples:\n"
      "  orva-cli info wing.cnc\n"
      "  orva-cli info wing.cnc --compact > wing.json"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Project file (.cnc)."));
  parser.addOption({QStringLiteral("compact"), QStringLiteral("Print the JSON on one line.")});
  if (!parseOrReport(parser, args)) return kExitUsage;
  QString file;
  if (!oneFile(parser, "info", file)) return kExitUsage;

  std::string error;
  ContentsReadFailure failure{};
  const auto data = ReadProjectFile(file.toStdString(), &error, &failure);
  if (!data) {
    if (failure == ContentsReadFailure::CannotOpen) {
      printError(file.toStdString() + ": " +
                 std::string(messageText(Msg::UnableToOpenFileForReading)));
    } else {
      printError(std::string(messageText(Msg::InvalidProjectFormat)));
      printError(file.toStdString() + ": " + error);
      printKindHint(file.toStdString(), ".cnc");
    }
    return kExitFailure;
  }
  printJson(projectToJson(*data), parser.isSet(QStringLiteral("compact")));
  return kExitOk;
}

int runBuildCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Creates a project file from its JSON form (as printed by info). Missing fields\n"
      "take the values of a new project; a section's airfoil may be given as\n"
      "\"profile\" (name, upper, lower), \"airfoil\" (a .dat file, relative to the JSON\n"
      "file), \"naca\" (\"2412\") or \"default\": true. A chord, span or block thickness\n"
      "must be greater than 0; a section outside its block gets a warning. Every\n"
      "field, its unit and default: docs/files.md.\n"
      "\nExamples:\n"
      "  orva-cli build examples/wing.json -o wing.cnc\n"
      "  orva-cli build wing.json -o wing.cnc --data-dir ~/cnc-data --table Big"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("WING.json"), QStringLiteral("Project as JSON."));
  parser.addOption({{QStringLiteral("o"), kOutput},
                    QStringLiteral("Project file to write."),
                    QStringLiteral("FILE.cnc")});
  addSettingsOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  QString file;
  if (!oneFile(parser, "build", file)) return kExitUsage;
  if (!parser.isSet(kOutput)) {
    printError("build: give the project file to write with -o FILE.cnc");
    return kExitUsage;
  }

  const std::filesystem::path input = file.toStdString();
  std::ifstream in(input, std::ios::binary);
  if (!in) {
    printError(input.string() + ": " + std::string(messageText(Msg::UnableToOpenFileForReading)));
    return kExitFailure;
  }
  try {
    const nlohmann::json json = nlohmann::json::parse(in);
    CliContext context(settingsOptions(parser));
    if (!context.usable()) return kExitFailure;
    std::vector<std::string> warnings;
    const ProjectData data = projectFromJson(
        json, ProjectJsonSource{input.parent_path(), context.machine.table.Entraxe, true},
        &warnings);
    for (const std::string& warning : warnings) printError("warning: " + warning);
    std::string error;
    if (!WriteProjectFile(data, parser.value(kOutput).toStdString(), &error)) {
      printError(error);
      return kExitFailure;
    }
  } catch (const std::exception& e) {
    printError(input.string() + ": " + e.what());
    return kExitFailure;
  }
  return kExitOk;
}

int runExportCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Writes the text export of a project's panel (table configuration, foam,\n"
                     "cut options, root and tip sections with their points, comments).\n"
                     "\nExamples:\n"
                     "  orva-cli export wing.cnc -o wing.txt\n"
                     "  orva-cli export wing.cnc --panel 2 -o panel2.txt"));
  parser.addHelpOption();
  parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("Project file (.cnc)."));
  parser.addOptions({
      {QStringLiteral("panel"), QStringLiteral("Panel to export, from 1 (default 1)."),
       QStringLiteral("N")},
      {{QStringLiteral("o"), kOutput},
       QStringLiteral("Text file to write."),
       QStringLiteral("OUT.txt")},
  });
  addSettingsOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  QString file;
  if (!oneFile(parser, "export", file)) return kExitUsage;
  if (!parser.isSet(kOutput)) {
    printError("export: give the text file to write with -o OUT.txt");
    return kExitUsage;
  }

  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  CT1Doc doc(context.program.project);
  std::string error;
  context.prompt.subject = file.toStdString();
  const bool loaded = LoadProjectFile(doc, file.toStdString(), &error);
  context.prompt.subject.clear();
  if (!loaded) {
    printKindHint(file.toStdString(), ".cnc");
    return kExitFailure;
  }

  int panel = 1;
  if (parser.isSet(QStringLiteral("panel"))) {
    bool ok = false;
    panel = parser.value(QStringLiteral("panel")).toInt(&ok);
    if (!ok || panel < 1 || panel > static_cast<int>(doc.panels.size())) {
      printError("export: --panel must be a panel number from 1 to " +
                 std::to_string(doc.panels.size()));
      return kExitUsage;
    }
  }
  doc.currentPanel = panel - 1;
  if (!WriteExportFile(parser.value(kOutput).toStdString(), ExportDocumentText(doc), &error)) {
    printError(error);
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace orva::cli
