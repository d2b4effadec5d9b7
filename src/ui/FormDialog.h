#pragma once

#include <memory>
#include <string_view>

#include <QDialog>

class QScrollArea;

#include "ui/FormBinder.h"

class QDialogButtonBox;
class QWidget;

namespace orva {

// A modal dialog bound to a form: its widgets carry the fields' names, OK goes
// through the form (the dialog closes only when the form accepts) and Cancel
// or closing the window leaves the form's commit undone.
//
// A dialog with its own layout derives from it, builds its widgets and calls
// bind(); plain() builds the layout from the form's field table.
class FormDialog : public QDialog {
 public:
  FormDialog(Form& form, std::string_view title, QWidget* parent);
  ~FormDialog() override;

  // One row per field (label and control) and OK / Cancel.
  static std::unique_ptr<FormDialog> plain(Form& form, std::string_view title, QWidget* parent,
                                           FormBinder::Refusals refusals =
                                               FormBinder::Refusals::ShownByForm);

  Form& form() { return form_; }
  // Valid once bind() ran.
  FormBinder& binder() { return *binder_; }

  // OK: closes the dialog only when the form accepted.
  void accept() override;

 protected:
  // The OK and Cancel buttons, wired to accept() and reject().
  QDialogButtonBox* makeOkCancel();
  // Binds the form to the widgets built so far, gives the labels and buttons
  // their mnemonics and fills the widgets.
  void bind(FormBinder::Refusals refusals = FormBinder::Refusals::ShownByForm);
  // Sizes `scroll`, which holds `body`, to show all of it when the screen has
  // room, else as much as fits beside `besides` (what the dialog shows next
  // to and below the scroll area, e.g. its buttons): large text scaling
  // never pushes the buttons off the screen.
  void fitToScreen(QScrollArea& scroll, QWidget& body, QSize besides);
  // A frameless scroll area named `name` that resizes its body, for fitToScreen.
  QScrollArea* makeScrollArea(const QString& name);

 private:
  Form& form_;
  std::unique_ptr<FormBinder> binder_;
};

// Gives every label with a buddy, check box, radio button and push button under `root` that has no mnemonic yet one: the first letter of its
// text not taken by another one, so that each control is reached with Alt and
// a letter. Texts are left as they are otherwise.
void assignMnemonics(QWidget& root);

// The text of a catalogue entry as a QString.
QString uiText(std::string_view text);

}  // namespace orva
