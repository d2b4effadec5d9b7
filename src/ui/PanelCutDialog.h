#pragma once

#include "cutting/PanelCutForm.h"
#include "ui/FormDialog.h"

class QPushButton;

namespace orva {

class PreviewWidget;

// The Panel Cutting dialog: the cut options on the left (wing side and
// surface order, kerf compensation, block trimming and clearance, the
// intermediate section, the block position, the output options, the foam
// and the speed with the heat display), the messages and the Cut button
// below them, and the two previews of the block on the table on the right.
// Every edit goes to the form, which re-runs its estimate; the previews and
// the Cut/Error caption follow.
class PanelCutDialog : public FormDialog {
 public:
  PanelCutDialog(PanelCutForm& form, QWidget* parent);

  PreviewWidget* frontPreview() const { return front_; }
  PreviewWidget* topPreview() const { return top_; }

 private:
  void showForm();

  PanelCutForm& cutForm_;
  PreviewWidget* front_ = nullptr;
  PreviewWidget* top_ = nullptr;
  QPushButton* cut_ = nullptr;
};

}  // namespace orva
