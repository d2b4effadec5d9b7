#pragma once

#include "app/DirectoriesForm.h"
#include "ui/FormDialog.h"

namespace orva {

// The "Directories and sound" dialog: four groups in screen order
// ("Installation Directory", "Finished Cutting Sound" with "Test", "Profile
// Directory", "Project Directory"), each an edit box and "Browse", and the
// buttons "Done" and "Default". Only "Done" changes the settings; closing the
// window any other way leaves them as they were.
class DirectoriesDialog : public FormDialog {
 public:
  DirectoriesDialog(DirectoriesForm& form, QWidget* parent);

  void reject() override;

 private:
  DirectoriesForm& form_;
};

}  // namespace orva
