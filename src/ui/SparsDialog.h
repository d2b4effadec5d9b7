#pragma once

#include <QIcon>

#include "cutting/SparsForm.h"
#include "ui/FormDialog.h"

class QListWidget;

namespace orva {

// The Spars dialog: the ten spar records of the current panel in a list (an
// icon for the type, the label) beside the controls of the record selected.
class SparsDialog : public FormDialog {
 public:
  SparsDialog(SparsForm& form, QWidget* parent);

  // The list's icon for a spar of `type` (1..7; another value gets a blank
  // icon), greyed when the record is not active.
  static QIcon typeIcon(int type, bool active);

 private:
  void updateIcons();

  SparsForm& sparsForm_;
  QListWidget* rows_ = nullptr;
};

}  // namespace orva
