#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Form.h"

namespace orva {

class MachineConfig;
class TableNameForm;
class UserPrompt;

enum class CurrentTableField : int {
  None = -1,
  Tables = 0,  // list "Table's name"
  Duplicate,
  EditTableName,
  DeleteTable,
  ValidateSelection,
};

// The "Current table" dialog: the list of table names (label "Table's name")
// and the buttons "Duplicate", "Edit table name", "Delete table" and
// "Validate selection". It selects, duplicates, renames and deletes tables of
// a MachineConfig.
//
// The table name dialog is run through `runNameDialog`: it gets a fresh
// TableNameForm and returns when that dialog has closed (a Qt front end shows
// its dialog modally; tests edit the form and press OK or Cancel). The form's
// result() decides what happens next.
//
// Every action that changes the current table reports the new name through
// `showStatus` (the status bar), so the status bar never shows a table that is
// no longer current, also when the dialog is dismissed instead of validated.
//
// Before the current table changes, the pending (modified, not yet written)
// configuration and foams of the table being left are written to its own
// files; "Delete table" writes nothing of the table it deletes.
// OK is "Validate selection"; the other buttons are the methods below.
class CurrentTableForm : public FormOf<CurrentTableField> {
 public:
  using NameDialogRunner = std::function<void(TableNameForm&)>;
  using StatusHook = std::function<void(std::string_view)>;

  CurrentTableForm(MachineConfig& config, UserPrompt& prompt, NameDialogRunner runNameDialog,
                   StatusHook showStatus = {});

  std::string title() const;

  // Opening: remembers the current table as previousTable, fills the list.
  void open();

  std::span<const FieldInfo> fieldTable() const override;
  bool isClosed() const { return closed_; }
  // False once a file of a table could not be written (or the current name
  // could not be used for files) since open(); the front end may warn.
  bool filesOk() const { return filesOk_; }

  // Selecting another entry of Tables: it becomes the current table and is loaded.
  // Makes the selected name current (loading it when it differs from the table
  // current at opening), writes the list copy "CChoixTables.bd" when the list
  // is marked modified, and closes.
  void validateSelection() { ok(); }
  // Names a copy of the current table; the copy becomes current.
  void duplicate() {
    doDuplicate();
    notifyChanged(); }
  // Renames the current table, moving its files.
  void editTableName() {
    doEditTableName();
    notifyChanged(); }
  // Deletes the current table and its files (not their backups). Does
  // nothing with fewer than two names listed, and nothing when the current
  // table is not listed (the entry shown selected is then another table).
  void deleteTable() {
    doDeleteTable();
    notifyChanged(); }
  // The dialog is dismissed without "Validate selection": changes already
  // made stay.
  void close() { closed_ = true; }

 protected:
  std::vector<std::string> fieldOptions(int) const override { return entries_; }
  int fieldIndex(int) const override { return selected_; }
  bool takeIndex(int field, int index) override;
  bool fieldEnabled(int) const override { return !closed_; }
  bool accept() override;

 private:
  void doDuplicate();
  void doEditTableName();
  void doDeleteTable();
  void fill();
  void noteCurrentChanged();
  bool runNameDialog();
  void moveFile(const std::string& oldName, const std::string& newName, bool foamFile);

  MachineConfig& config_;
  UserPrompt& prompt_;
  NameDialogRunner runNameDialog_;
  StatusHook showStatus_;
  std::vector<std::string> entries_;
  int selected_ = -1;
  std::string previousTable_;
  bool closed_ = false;
  bool filesOk_ = true;
};

}  // namespace orva
