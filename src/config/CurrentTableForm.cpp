#include "config/CurrentTableForm.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "config/TableNameForm.h"

// A file operation of the dialog that fails is reported as a warning and the
// dialog goes on (a failed move leaves the old files in place and the renamed
// table starts from the configuration in memory). Two rules keep other data
// safe:
// - "Edit table name" never replaces a file: when a file of the new name
//   already exists (an unlisted table, files left behind), that file is kept
//   and the old file keeps its old name and its backup; the renamed table then
//   uses the existing file. Renaming back finds the old files again.
// - Files are only built from safe names (MachineConfig::tableFilePath).

namespace orva {

namespace fs = std::filesystem;

namespace {
constexpr std::string_view kListCopyName = "CChoixTables.bd";

// Deletes `path`, reporting a file that is there and cannot be deleted.
void removeFile(UserPrompt& prompt, const fs::path& path) {
  std::error_code ec;
  if (!fs::remove(path, ec) && ec) {
    prompt.showMessage(formatMessage(Msg::FileNotDeleted, {path.string(), ec.message()}),
                       MessageIcon::Warning);
  }
}
}  // namespace

CurrentTableForm::CurrentTableForm(MachineConfig& config, UserPrompt& prompt,
                                   NameDialogRunner runNameDialog, StatusHook showStatus)
    : config_(config),
      prompt_(prompt),
      runNameDialog_(std::move(runNameDialog)),
      showStatus_(std::move(showStatus)) {}

std::string CurrentTableForm::title() const {
  return std::string(messageText(Msg::CurrentTableTitle));
}

void CurrentTableForm::open() {
  previousTable_ = config_.currentTable;
  closed_ = false;
  filesOk_ = true;
  fill();
}

void CurrentTableForm::fill() {
  entries_ = config_.tables.listedNames();
  selected_ = entries_.empty() ? -1 : 0;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i] == config_.currentTable) {
      selected_ = static_cast<int>(i);
      break;
    }
  }
}

void CurrentTableForm::noteCurrentChanged() {
  if (showStatus_) showStatus_(config_.currentTable);
}

bool CurrentTableForm::runNameDialog() {
  TableNameForm form(config_, prompt_);
  if (runNameDialog_) runNameDialog_(form);
  return form.result() == TableNameForm::Result::Ok;
}

std::span<const FieldInfo> CurrentTableForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::Tables), "tables", FieldKind::List, messageText(Msg::TablesName)},
      {id(Field::Duplicate), "duplicate", FieldKind::Button, messageText(Msg::Duplicate)},
      {id(Field::EditTableName), "editTableName", FieldKind::Button,
       messageText(Msg::EditTableName)},
      {id(Field::DeleteTable), "deleteTable", FieldKind::Button, messageText(Msg::DeleteTable)},
      {id(Field::ValidateSelection), "validateSelection", FieldKind::Button,
       messageText(Msg::ValidateSelection)},
  };
  return kTable;
}

bool CurrentTableForm::takeIndex(int, int index) {
  selected_ = index;
  const std::string& name = entries_[static_cast<std::size_t>(index)];
  if (name == config_.currentTable) return true;
  filesOk_ = config_.switchTable(name) && filesOk_;
  noteCurrentChanged();
  return true;
}

bool CurrentTableForm::accept() {
  if (closed_) return false;
  bool switched = false;
  if (selected_ >= 0) {
    const std::string& name = entries_[static_cast<std::size_t>(selected_)];
    if (name != config_.currentTable) {
      // A front end that reports the selection only now: the table being
      // left still gets its pending changes written.
      filesOk_ = config_.switchTable(name) && filesOk_;
      switched = true;
    }
  }
  if (config_.currentTable != previousTable_) {
    // The table chosen in this dialog gets its files now if it has none.
    config_.table.tableModified = true;
    config_.tables.namesModified = true;
    filesOk_ = config_.LoadCurrentTable() && filesOk_;
  } else if (switched) {
    filesOk_ = config_.LoadCurrentTable() && filesOk_;
  }
  filesOk_ = config_.tables.SaveTableNames(config_.dataDirectory, kListCopyName) && filesOk_;
  noteCurrentChanged();
  closed_ = true;
  return true;
}

void CurrentTableForm::doDuplicate() {
  if (closed_) return;
  // The copy gets the built-in foams; the table being left keeps its own.
  filesOk_ = config_.saveCurrentTable() && filesOk_;
  if (!runNameDialog()) return;

  // With all 20 slots used the new table is current without being listed.
  const int slot = config_.tables.firstEmptySlot();
  if (slot >= 0) config_.tables.tableNames[static_cast<std::size_t>(slot)] = config_.currentTable;
  filesOk_ = config_.LoadCurrentTable() && filesOk_;
  fill();
  noteCurrentChanged();
}

void CurrentTableForm::moveFile(const std::string& oldName, const std::string& newName,
                                bool foamFile) {
  const auto from = foamFile ? config_.foamFilePath(oldName) : config_.tableFilePath(oldName);
  const auto to = foamFile ? config_.foamFilePath(newName) : config_.tableFilePath(newName);
  if (!from || !to) return;
  std::error_code ec;
  if (fs::symlink_status(*to, ec).type() != fs::file_type::not_found) return;
  fs::path backup = *from;
  backup += ".bak";
  removeFile(prompt_, backup);
  // A table without a file yet (never saved) has nothing to move.
  if (fs::symlink_status(*from, ec).type() == fs::file_type::not_found) return;
  fs::rename(*from, *to, ec);
  if (ec) {
    prompt_.showMessage(
        formatMessage(Msg::FileNotRenamed, {from->string(), to->string(), ec.message()}),
        MessageIcon::Warning);
  }
}

void CurrentTableForm::doEditTableName() {
  if (closed_) return;
  const std::string oldName = config_.currentTable;
  // Pending changes go into the files that are about to be moved.
  filesOk_ = config_.saveCurrentTable() && filesOk_;
  if (!runNameDialog()) return;
  const std::string newName = config_.currentTable;

  for (std::string& slot : config_.tables.tableNames) {
    if (slot == oldName) slot = newName;
  }
  if (oldName != newName) {
    moveFile(oldName, newName, false);
    moveFile(oldName, newName, true);
  }
  filesOk_ = config_.LoadCurrentTable() && filesOk_;
  fill();
  noteCurrentChanged();
}

void CurrentTableForm::doDeleteTable() {
  if (closed_) return;
  TableList& list = config_.tables;
  const std::string doomed = config_.currentTable;
  const int index = list.indexOf(doomed);
  // An unlisted current table: the entry shown selected is another table,
  // so which one the user means is unclear; nothing is deleted.
  if (index < 0) return;
  bool otherName = false;
  for (const std::string& name : list.tableNames) {
    if (!name.empty() && name != doomed) otherName = true;
  }
  if (list.countNames() < 2 || !otherName) return;  // the last table stays

  if (const auto path = config_.tableFilePath(doomed)) removeFile(prompt_, *path);
  if (const auto path = config_.foamFilePath(doomed)) removeFile(prompt_, *path);

  // Remove the name (every slot holding it) moving the following slots up.
  std::vector<std::string> kept;
  for (std::string& name : list.tableNames) {
    if (name != doomed) kept.push_back(std::move(name));
  }
  for (std::size_t i = 0; i < list.tableNames.size(); ++i) {
    list.tableNames[i] = i < kept.size() ? std::move(kept[i]) : std::string();
  }

  // The name now at the removed position, else the nearest one before it,
  // else the nearest one after it (empty slots may sit anywhere).
  std::string next;
  const auto at = [&](int i) -> const std::string& {
    return list.tableNames[static_cast<std::size_t>(i)];
  };
  for (int i = index; i >= 0 && next.empty(); --i) next = at(i);
  for (int i = index + 1; i < TableList::kSlots && next.empty(); ++i) next = at(i);

  config_.currentTable = next;
  list.namesModified = true;
  config_.table.tableModified = true;
  filesOk_ = config_.LoadCurrentTable() && filesOk_;
  fill();
  noteCurrentChanged();
}

}  // namespace orva
