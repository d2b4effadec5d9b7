#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "common/Form.h"

class QFormLayout;
class QWidget;

namespace orva {

// Binds a form to a tree of widgets: the widget of a field is the one whose
// objectName is the field's name. The binder fills the widgets from the form,
// hands every user edit to the form and re-reads every bound widget (text,
// check, selection, enabled, read-only) after each of them, so the screen
// always shows what the form holds.
//
// Widgets per field kind:
//   Text     QLineEdit, QPlainTextEdit
//   Display  QLabel, QLineEdit (shown read-only)
//   Check    QCheckBox, QRadioButton
//   List     QComboBox, QListWidget, a tri-state QCheckBox (entry 0 unchecked,
//            1 checked, 2 partially checked), or a container whose QRadioButton
//            children are the entries in the order they were created
//   Button   any QAbstractButton; its action is set with setButtonAction
// A field without a widget of its name stays unbound (see unboundFields).
class FormBinder {
 public:
  // Who tells the user why OK was refused. The program's forms report their
  // refusals through the user-prompt port themselves; a form that does not
  // is bound with ShownByBinder, and the binder shows the message.
  enum class Refusals { ShownByForm, ShownByBinder };

  FormBinder(Form& form, QWidget& root, Refusals refusals = Refusals::ShownByForm);
  ~FormBinder();
  FormBinder(const FormBinder&) = delete;
  FormBinder& operator=(const FormBinder&) = delete;

  Form& form() { return form_; }
  // The widget bound to `field`; nullptr when the field has none.
  QWidget* widget(int field) const;
  // The names of the fields no widget was found for.
  std::vector<std::string> unboundFields() const;

  // What a click on the button of `field` does (only while it is enabled).
  void setButtonAction(int field, std::function<void()> action);
  // Called after every re-read, for what only the dialog shows (tables,
  // drawings, icons).
  void setOnRefreshed(std::function<void()> callback) { onRefreshed_ = std::move(callback); }

  // Re-reads every bound widget from the form.
  void refresh();
  // "OK": true when the form accepted. On a refusal the focus goes to the
  // refused field's widget (its text selected) and, with ShownByBinder, the
  // message is shown first.
  bool ok();
  // Gives `field`'s widget the keyboard focus, selecting an edit box's text.
  void focusField(int field);

 private:
  struct Binding {
    const FieldInfo* info = nullptr;
    QWidget* widget = nullptr;
  };

  void connect(const Binding& binding);
  void refreshOne(const Binding& binding);
  // After an edit: a refused edit puts the widget back (the form did not
  // notify) and, when the form moved the focus, follows it.
  void afterEdit(int field, bool taken);

  Form& form_;
  QWidget& root_;
  Refusals refusals_;
  std::vector<Binding> bindings_;
  std::map<int, std::function<void()>> buttonActions_;
  std::function<void()> onRefreshed_;
  bool refreshing_ = false;
};

// The control a plain dialog uses for a field of `kind`, named after the
// field: an edit box, a check box with its caption, a drop-down list, a
// read-only edit box, a push button with its caption.
QWidget* makeFieldWidget(const FieldInfo& info, QWidget* parent);
// Adds one row per field of `fields` (every field of the table when empty) to
// `layout`: the caption as the label (a check box or a button carries its own)
// and the field's control.
void addFieldRows(const Form& form, QFormLayout& layout, std::span<const int> fields = {});

}  // namespace orva
