#include "config/MachineConfig.h"

#include <utility>

namespace orva {

namespace fs = std::filesystem;

MachineConfig::MachineConfig(InterfaceDriver& driver, UserPrompt& prompt) : foams(driver, prompt) {}

bool MachineConfig::LoadCurrentTable() {
  if (!isSafeTableName(currentTable)) return false;
  const std::string tableFile = TableFileName(currentTable);
  const std::string foamFile = FoamFileName(currentTable);

  ReadTableConfig(table, dataDirectory, tableFile);
  // The settings value is only changed at exit; LoadFoams may rename the
  // foam it looks for (built-in foams), which must not reach the setting.
  std::string foamName = savedFoamName;
  foams.LoadFoams(dataDirectory, foamFile, foamName);

  const bool tableSaved = SaveTableConfig(table, dataDirectory, tableFile);
  const bool foamsSaved = foams.SaveFoams(dataDirectory, foamFile);
  return tableSaved && foamsSaved;
}

bool MachineConfig::saveCurrentTable() {
  if (!isSafeTableName(currentTable)) return !table.tableModified && !foams.foamModified;
  const bool foamsSaved = foams.SaveFoams(dataDirectory, FoamFileName(currentTable));
  const bool tableSaved = SaveTableConfig(table, dataDirectory, TableFileName(currentTable));
  return foamsSaved && tableSaved;
}

bool MachineConfig::switchTable(std::string name) {
  const bool left = saveCurrentTable();
  currentTable = std::move(name);
  tables.namesModified = true;
  const bool loaded = LoadCurrentTable();
  return left && loaded;
}

std::optional<fs::path> MachineConfig::tableFilePath(std::string_view tableName) const {
  if (!isSafeTableName(tableName)) return std::nullopt;
  return dataDirectory / fs::path(TableFileName(tableName));
}

std::optional<fs::path> MachineConfig::foamFilePath(std::string_view tableName) const {
  if (!isSafeTableName(tableName)) return std::nullopt;
  return dataDirectory / fs::path(FoamFileName(tableName));
}

}  // namespace orva
