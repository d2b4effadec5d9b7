#pragma once

#include <QPointer>
#include <QWidget>

#include "common/UserPrompt.h"

namespace orva {

// The core's questions as Qt dialogs: message boxes with their icon, the
// OK/Cancel, Abort/Retry/Ignore and Yes/No/Cancel questions, and the file
// dialogs with their title, filters, directory and default name.
class QtUserPrompt : public UserPrompt {
 public:
  explicit QtUserPrompt(QWidget* parent = nullptr) : parent_(parent) {}
  void setParent(QWidget* parent) { parent_ = parent; }

  void showMessage(std::string_view text, MessageIcon icon) override;
  Answer askOkCancel(std::string_view text, MessageIcon icon) override;
  Answer askAbortRetryIgnore(std::string_view text, MessageIcon icon) override;
  Answer askYesNoCancel(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;

 private:
  QPointer<QWidget> parent_;
};

}  // namespace orva
