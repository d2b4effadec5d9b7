#pragma once

#include "model/PanelParamsForm.h"
#include "ui/FormDialog.h"

namespace orva {

// "Panel Parameters": the global values of the current panel, then its root
// and tip side by side. The "..." buttons choose a new root or tip airfoil
// file at once (the choice stays even when the dialog is cancelled).
class PanelParamsDialog : public FormDialog {
 public:
  PanelParamsDialog(PanelParamsForm& form, QWidget* parent);
};

}  // namespace orva
