#include "cli/ListCommands.h"

#include <iostream>

#include "cli/CliContext.h"
#include "common/NumberText.h"
#include "config/FoamDatabase.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"

namespace orva::cli {

namespace {

void addListOptions(QCommandLineParser& parser) {
  parser.addHelpOption();
  addSettingsOptions(parser);
  parser.addOption({QStringLiteral("json"), QStringLiteral("Print the list as JSON.")});
}

}  // namespace

int runTablesCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Lists the cutting tables of the data directory (the table list), the current\n"
      "one marked with '*', with the current table's width between the wire supports\n"
      "(entraxe) and X and Y travel in mm. Name one with --table for another command.\n"
      "\nExamples:\n"
      "  orva-cli tables\n"
      "  orva-cli tables --json --data-dir ~/cnc-data"));
  addListOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  const MachineConfig& machine = context.machine;
  const TableConfig& table = machine.table;
  if (parser.isSet(QStringLiteral("json"))) {
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const std::string& name : machine.tables.listedNames()) {
      nlohmann::ordered_json entry = {{"name", name}, {"current", name == machine.currentTable}};
      if (name == machine.currentTable) {
        entry["entraxe"] = table.Entraxe;
        entry["axesX"] = table.AxesX;
        entry["axesY"] = table.AxesY;
      }
      list.push_back(std::move(entry));
    }
    printJson({{"dataDirectory", machine.dataDirectory.string()}, {"tables", std::move(list)}},
              false);
    return kExitOk;
  }
  for (const std::string& name : machine.tables.listedNames()) {
    std::cout << (name == machine.currentTable ? "* " : "  ") << name;
    if (name == machine.currentTable) {
      std::cout << "  (entraxe " << table.Entraxe << " mm, travel X " << table.AxesX << " mm, Y "
                << table.AxesY << " mm)";
    }
    std::cout << '\n';
  }
  return kExitOk;
}

int runFoamsCommand(const CommandArgs& args) {
  QCommandLineParser parser;
  parser.setApplicationDescription(QStringLiteral(
      "Lists the foams of the current table (or --table NAME), the current one marked\n"
      "with '*': heat mode (fixed or computed), speeds in mm/s, kerf at the speed S\n"
      "and at S/2 in mm, heat in % at the lowest and highest speed. A --foam option\n"
      "takes the name exactly or ignoring case and accents.\n"
      "\nExamples:\n"
      "  orva-cli foams\n"
      "  orva-cli foams --table Big --json"));
  addListOptions(parser);
  if (!parseOrReport(parser, args)) return kExitUsage;
  CliContext context(settingsOptions(parser));
  if (!context.usable()) return kExitFailure;
  const FoamDatabase& foams = context.machine.foams;
  const bool json = parser.isSet(QStringLiteral("json"));
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const auto& [name, f] : foams.records) {
    const bool current = name == foams.currentFoam;
    const char* mode = f.heatMode == FixedHeat ? "fixed" : "computed";
    if (json) {
      list.push_back({{"name", name},
                      {"current", current},
                      {"heatMode", mode},
                      {"minSpeed", f.minSpeed},
                      {"maxSpeed", f.maxSpeed},
                      {"kerfAtMaxSpeed", f.kerfAtMaxSpeed},
                      {"kerfAtHalfSpeed", f.kerfAtHalfSpeed},
                      {"minSpeedHeat", f.minSpeedHeat},
                      {"maxSpeedHeat", f.maxSpeedHeat}});
      continue;
    }
    std::cout << (current ? "* " : "  ") << name << "  (" << mode << " heat, ";
    if (f.heatMode == FixedHeat) {
      std::cout << formatField("%g", f.maxSpeed) << " mm/s at " << f.maxSpeedHeat << " %";
    } else {
      std::cout << formatField("%g", f.minSpeed) << ".." << formatField("%g", f.maxSpeed)
                << " mm/s at " << f.minSpeedHeat << ".." << f.maxSpeedHeat << " %";
    }
    std::cout << ", kerf " << formatField("%g", f.kerfAtMaxSpeed) << " mm at S, "
              << formatField("%g", f.kerfAtHalfSpeed) << " mm at S/2)\n";
  }
  if (json) {
    printJson({{"table", context.machine.currentTable}, {"foams", std::move(list)}}, false);
  }
  return kExitOk;
}

}  // namespace orva::cli
