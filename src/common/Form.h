#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace orva {

// What kind of control a form field is, so that one binder can pick the widget.
enum class FieldKind {
  Text,     // edit box: text / setText
  Check,    // check box: checked / setChecked
  List,     // drop-down list or radio group: options / currentIndex / setCurrentIndex
  Display,  // read-only text: text
  Button,   // a push button whose action is a method of the form
};

// One row of a form's field table.
struct FieldInfo {
  int id = -1;
  std::string_view name;  // stable lowerCamel name, the widget's objectName
  FieldKind kind = FieldKind::Text;
  std::string_view caption;  // the label shown with the control (may be empty)
};

// The outcome of OK: accepted, or refused with the field that takes the focus
// and the message the user was shown (both empty when the refusal had none).
struct FormResult {
  bool accepted = false;
  int field = -1;
  std::string message;

  explicit operator bool() const { return accepted; }
};

// The vocabulary every dialog form speaks. Fields are integer ids (each form
// converts its own `enum class Field`); the base checks that an edit fits the
// field (kind, enabled, not read-only) before the form sees it, and notifies the
// listener after every edit that the form took and after OK, so a binder can
// re-read the whole form.
class Form {
 public:
  virtual ~Form() = default;
  Form() = default;
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;

  // The controls in the order the form reads them.
  virtual std::span<const FieldInfo> fieldTable() const = 0;
  // The row of `field`; nullptr for an id not in the table.
  const FieldInfo* info(int field) const;
  // -1 for a name not in the table.
  int fieldId(std::string_view name) const;
  // Empty for an id not in the table.
  std::string_view fieldName(int field) const;

  // Text of an edit box or a display; empty for other fields.
  std::string text(int field) const;
  bool setText(int field, std::string_view text);
  bool checked(int field) const;
  bool setChecked(int field, bool value);
  // Entries of a list (empty for other fields) and the selected entry (-1: none).
  std::vector<std::string> options(int field) const;
  int currentIndex(int field) const;
  bool setCurrentIndex(int field, int index);
  // Whether the control can be used now (not greyed out).
  bool enabled(int field) const;
  // Whether the user cannot change the control's value (displays always).
  bool readOnly(int field) const;
  // Enabled and not read-only: an edit can be taken.
  bool editable(int field) const { return enabled(field) && !readOnly(field); }

  // The field that took the focus after the last refusal; -1 for none.
  int focus() const { return focus_; }

  // "OK": the form's documented checks and commit.
  FormResult ok();

  // Called after every change the form took (edits, lists, OK).
  void setOnChanged(std::function<void()> listener) { onChanged_ = std::move(listener); }

 protected:
  // Only called for a field of the right kind that is enabled and not read-only
  // (for lists: with an index inside options()). Return whether it was taken.
  virtual std::string fieldText(int field) const;
  virtual bool takeText(int field, std::string_view text);
  virtual bool fieldChecked(int field) const;
  virtual bool takeChecked(int field, bool value);
  virtual std::vector<std::string> fieldOptions(int field) const;
  virtual int fieldIndex(int field) const;
  virtual bool takeIndex(int field, int index);
  virtual bool fieldEnabled(int field) const;
  virtual bool fieldReadOnly(int field) const;
  // OK's checks and commit; a refusal goes through refuse(). True when accepted.
  virtual bool accept() = 0;

  // Records a refusal: the focus goes to `field`, the message is kept for the
  // result of OK. Returns false, for `return refuse(...)`.
  bool refuse(int field, std::string message);
  // Forgets the last refusal's focus and message.
  void clearRefusal();
  void notifyChanged() const;
  // Runs `edit` and notifies when it returns true.
  template <typename Edit>
  bool notifying(Edit&& edit) {
    const bool taken = edit();
    if (taken) notifyChanged();
    return taken;
  }

  int focus_ = -1;

 private:
  bool accepts(int field, FieldKind kind) const;

  std::string message_;
  std::function<void()> onChanged_;
};

// A Form whose fields are named by the enum `F`: the same calls with the enum.
// `Base` is Form or a class derived from it that shares more between forms.
template <typename F, typename Base = Form>
class FormOf : public Base {
 public:
  using Field = F;
  using Base::Base;
  using Base::checked;
  using Base::currentIndex;
  using Base::editable;
  using Base::enabled;
  using Base::options;
  using Base::readOnly;
  using Base::setChecked;
  using Base::setCurrentIndex;
  using Base::setText;
  using Base::text;

  static constexpr int id(F field) { return static_cast<int>(field); }

  std::string text(F field) const { return Base::text(id(field)); }
  bool setText(F field, std::string_view text) { return Base::setText(id(field), text); }
  bool checked(F field) const { return Base::checked(id(field)); }
  bool setChecked(F field, bool value) { return Base::setChecked(id(field), value); }
  std::vector<std::string> options(F field) const { return Base::options(id(field)); }
  int currentIndex(F field) const { return Base::currentIndex(id(field)); }
  bool setCurrentIndex(F field, int index) { return Base::setCurrentIndex(id(field), index); }
  bool enabled(F field) const { return Base::enabled(id(field)); }
  bool readOnly(F field) const { return Base::readOnly(id(field)); }
  bool editable(F field) const { return Base::editable(id(field)); }
  // The focus as the form's enum (-1 converted when there is none).
  F focus() const { return static_cast<F>(Base::focus()); }
};

}  // namespace orva
