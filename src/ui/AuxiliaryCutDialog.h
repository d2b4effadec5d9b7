#pragma once

#include <span>
#include <string_view>

#include "ui/FormDialog.h"

namespace orva {

// The dialog of block shaping and of the test cut: the form's fields in two
// columns of labelled rows (left column first, so Tab runs down one column,
// then the other), and OK / Cancel. The cut itself starts after OK.
class AuxiliaryCutDialog : public FormDialog {
 public:
  AuxiliaryCutDialog(Form& form, std::string_view title, std::span<const int> left,
                     std::span<const int> right, QWidget* parent);
};

}  // namespace orva
