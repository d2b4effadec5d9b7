#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "config/FoamDatabase.h"
#include "config/TableConfig.h"
#include "config/TableList.h"

namespace orva {

class InterfaceDriver;
class UserPrompt;

// Everything the program knows about the machine and the material: the table
// list, the current table's configuration and its foams, and where their files
// live. The program context owns one; the settings store keeps the current
// table's name and the current foam's name between runs.
//
// A table's files are only ever touched under a safe name (isSafeTableName):
// with an unsafe currentTable (a hand-edited setting, a cut script) the
// configuration and foams in memory stay as they are and no file is read,
// written, moved or deleted.
class MachineConfig {
 public:
  MachineConfig(InterfaceDriver& driver, UserPrompt& prompt);

  std::filesystem::path dataDirectory;
  std::string currentTable = std::string(kDefaultTableName);  // the current table's name
  std::string savedFoamName = "Poly expansé";  // foam name as last saved in the settings

  TableConfig table;
  FoamDatabase foams;
  TableList tables;

  // Makes the files of currentTable the live configuration: reads its table
  // file (a missing one leaves the record as it is) and its foam file (looking
  // for savedFoamName), then writes both when they are marked modified, so a
  // table whose files were missing gets them now. Returns false when
  // currentTable is unsafe (nothing done) or when a due write failed.
  bool LoadCurrentTable();

  // Writes the current table's configuration and foams to its files when they
  // are marked modified. Returns false when a due write failed or could not
  // be made (unsafe currentTable: nothing is written).
  bool saveCurrentTable();

  // Changes the current table: first writes the pending changes of the table
  // being left to its own files (loading another table replaces the foams in
  // memory, and applied foam edits must not be lost), then makes `name`
  // current, marks the list modified and loads it (LoadCurrentTable).
  // Returns false when a write failed or the new name is unsafe.
  bool switchTable(std::string name);

  // dataDirectory / "NAME_table.bd" and dataDirectory / "NAME_foam.bd", or
  // nothing for an unsafe name.
  std::optional<std::filesystem::path> tableFilePath(std::string_view tableName) const;
  std::optional<std::filesystem::path> foamFilePath(std::string_view tableName) const;
};

}  // namespace orva
