#pragma once

#include "cutting/FoamCutForm.h"
#include "ui/FormDialog.h"

namespace orva {

class JobRunner;

// The "Foam Cut" dialog: the form's rows, the action button ("Raise Wire",
// then "Coupe", then "Armement") and "Done". Each press of the action button
// starts its cut on the program's job and the job runner follows it; while it
// runs the two buttons wait, and the dialog shows the form again when the cut
// is over.
//
// The dialog cannot be closed while a cut runs or while the wire stands
// raised (the interface started, the wire heating): the cut back down comes
// first. "Done" is refused by the form then too. Escape (or closing the
// window) while a cut runs cancels it: the job stops after the move being
// sent and retreats.
class FoamCutDialog : public FormDialog {
 public:
  FoamCutDialog(FoamCutForm& form, JobRunner& runner, QWidget* parent);

  // The action button.
  void pressAction();
  void reject() override;

 private:
  void showState();
  // The binder refreshed after a move, and the focus on a usable button.
  void moveEnded();

  FoamCutForm& form_;
  JobRunner& runner_;
};

}  // namespace orva
