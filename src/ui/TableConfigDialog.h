#pragma once

#include "config/TableConfigForm.h"
#include "ui/FormDialog.h"

class QScrollArea;

namespace orva {

// The "CNC Table Configuration" dialog: the current table above the two axis
// groups side by side, then "Dimensions", "Miscellaneous" and "Driver and
// Hardware Interface", the "Controller" of a G-code controller table (its
// fields greyed while the table drives the stepper interface), and OK /
// Cancel / Default. Each minimum step time has a pair of arrow buttons (up:
// one timer period longer, down: one shorter). The serial ports offered are
// the form's port choices, or the system's when the caller gave none.
// Cancel, also by closing the window, reloads the table current at opening.
class TableConfigDialog : public FormDialog {
 public:
  TableConfigDialog(TableConfigForm& form, QWidget* parent);

  void reject() override;

 private:
  TableConfigForm& form_;
};

}  // namespace orva
