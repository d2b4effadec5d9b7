#pragma once

#include "model/XleConfigForm.h"
#include "ui/FormDialog.h"

namespace orva {

// "X leading-edge configuration": the five values of the root and of the tip
// in two columns, one row per value.
class XleConfigDialog : public FormDialog {
 public:
  XleConfigDialog(XleConfigForm& form, QWidget* parent);
};

}  // namespace orva
