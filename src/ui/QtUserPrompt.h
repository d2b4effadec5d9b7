#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>

#include "common/UserPrompt.h"

class QWidget;

namespace orva {

// The user-prompt port of the desktop program: message boxes titled with the
// application's name and file dialogs, each modal over the dialog in front
// or, when there is none, over the parent window.
class QtUserPrompt : public UserPrompt {
 public:
  explicit QtUserPrompt(QWidget* parent = nullptr) : parent_(parent) {}

  // The window the boxes and dialogs are shown over (the main window once it exists).
  void setParentWidget(QWidget* parent) { parent_ = parent; }
  QWidget* parentWidget() const { return parent_; }

  void showMessage(std::string_view text, MessageIcon icon) override;
  Answer askOkCancel(std::string_view text, MessageIcon icon) override;
  Answer askAbortRetryIgnore(std::string_view text, MessageIcon icon) override;
  Answer askYesNoCancel(std::string_view text, MessageIcon icon) override;
  std::optional<std::string> chooseOpenFile(const FileDialogRequest& request) override;
  std::optional<std::string> chooseSaveFile(const FileDialogRequest& request) override;

  // The name filters of a request as a file dialog lists them: each entry's
  // description (a pattern list in brackets at its end is dropped) followed
  // by its patterns in brackets, "Co-ordinate Files (*.cor *.dat)".
  static QStringList nameFilters(const FileDialogRequest& request);

 private:
  // The window a box or dialog is shown over.
  QWidget* owner() const;
  std::optional<std::string> chooseFile(const FileDialogRequest& request, bool save);

  QPointer<QWidget> parent_;
};

}  // namespace orva
