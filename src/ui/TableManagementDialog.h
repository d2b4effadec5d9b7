#pragma once

#include "config/CurrentTableForm.h"
#include "ui/FormDialog.h"

namespace orva {

// The "Current table" dialog: "Table's name" above the list of tables, and
// beside it "Duplicate", "Edit table name", "Delete table" and "Validate
// selection" (which closes it). Choosing an entry makes it current at once;
// closing the window keeps what was done.
class TableManagementDialog : public FormDialog {
 public:
  TableManagementDialog(CurrentTableForm& form, QWidget* parent);

  void reject() override;

 private:
  CurrentTableForm& form_;
};

}  // namespace orva
