#pragma once

#include "config/FoamManagementForm.h"
#include "ui/FormDialog.h"

class QGroupBox;
class QLabel;

namespace orva {

// The "Foam management" dialog: "Current table:" on top; "Foam types:" with
// the material buttons on the left; "Computer controlled heat" and the group
// "Caracteristics" (the "Maximum speed" group, both kerfs, the "Minimum speed"
// group) on the right; "Apply changes", "Cancel changes" and "Apply and exit"
// at the bottom. The speed label and what of the two speed groups shows
// follow the form. Closing the window keeps what was applied.
class FoamManagementDialog : public FormDialog {
 public:
  FoamManagementDialog(FoamManagementForm& form, QWidget* parent);

 private:
  void showGroups();

  FoamManagementForm& form_;
  QLabel* speedLabel_ = nullptr;
  QGroupBox* maxSpeedGroup_ = nullptr;
  QGroupBox* minSpeedGroup_ = nullptr;
};

}  // namespace orva
