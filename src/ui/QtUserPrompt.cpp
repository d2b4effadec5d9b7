#include "ui/QtUserPrompt.h"

#include <algorithm>

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>

#include "common/Messages.h"

namespace orva {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon boxIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Stop:
      return QMessageBox::Critical;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

// Shows a box with `buttons` (the first one the default) and returns the
// answer of the button pressed; closing the box answers `onClose`.
Answer ask(QWidget* parent, std::string_view text, MessageIcon icon,
           std::initializer_list<std::pair<QMessageBox::StandardButton, Answer>> buttons,
           Answer onClose) {
  QMessageBox box(boxIcon(icon), qs(messageText(Msg::ApplicationTitle)), qs(text),
                  QMessageBox::NoButton, parent);
  bool first = true;
  for (const auto& [button, answer] : buttons) {
    QPushButton* b = box.addButton(button);
    if (first) box.setDefaultButton(b);
    first = false;
  }
  if (const auto escape = std::find_if(buttons.begin(), buttons.end(),
                                       [onClose](const auto& b) { return b.second == onClose; });
      escape != buttons.end()) {
    box.setEscapeButton(box.button(escape->first));
  }
  box.exec();
  const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
  for (const auto& [button, answer] : buttons) {
    if (button == pressed) return answer;
  }
  return onClose;
}

}  // namespace

void QtUserPrompt::showMessage(std::string_view text, MessageIcon icon) {
  ask(owner(), text, icon, {{QMessageBox::Ok, Answer::Ok}}, Answer::Ok);
}

Answer QtUserPrompt::askOkCancel(std::string_view text, MessageIcon icon) {
  return ask(owner(), text, icon,
             {{QMessageBox::Ok, Answer::Ok}, {QMessageBox::Cancel, Answer::Cancel}},
             Answer::Cancel);
}

Answer QtUserPrompt::askAbortRetryIgnore(std::string_view text, MessageIcon icon) {
  // Closing the box is not an answer of its own: it aborts, the safe choice.
  return ask(owner(), text, icon,
             {{QMessageBox::Abort, Answer::Abort},
              {QMessageBox::Retry, Answer::Retry},
              {QMessageBox::Ignore, Answer::Ignore}},
             Answer::Abort);
}

Answer QtUserPrompt::askYesNoCancel(std::string_view text, MessageIcon icon) {
  return ask(owner(), text, icon,
             {{QMessageBox::Yes, Answer::Yes},
              {QMessageBox::No, Answer::No},
              {QMessageBox::Cancel, Answer::Cancel}},
             Answer::Cancel);
}

QStringList QtUserPrompt::nameFilters(const FileDialogRequest& request) {
  static const QRegularExpression kTrailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
  QStringList filters;
  for (const FileFilter& f : request.filters) {
    QString description = qs(f.description);
    description.remove(kTrailingPatterns);
    description = description.trimmed();
    QStringList patterns;
    for (const QString& p : qs(f.patterns).split(';', Qt::SkipEmptyParts)) {
      patterns << p.trimmed();
    }
    const QString list = QStringLiteral("(") + patterns.join(' ') + QStringLiteral(")");
    filters << (description.isEmpty() ? list : description + ' ' + list);
  }
  return filters;
}

QWidget* QtUserPrompt::owner() const {
  // Over the dialog being shown (a refusal of its form, its "..." buttons),
  // else over the main window.
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return parent_;
}

std::optional<std::string> QtUserPrompt::chooseOpenFile(const FileDialogRequest& request) {
  return chooseFile(request, false);
}

std::optional<std::string> QtUserPrompt::chooseSaveFile(const FileDialogRequest& request) {
  return chooseFile(request, true);
}

std::optional<std::string> QtUserPrompt::chooseFile(const FileDialogRequest& request, bool save) {
  QFileDialog dialog(owner(), qs(request.title));
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save || !request.mustExist ? QFileDialog::AnyFile
                                                : QFileDialog::ExistingFile);
  if (save && !request.promptOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite);
  const QStringList filters = nameFilters(request);
  if (!filters.isEmpty()) dialog.setNameFilters(filters);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(qs(request.defaultExtension));
  const QString directory = qs(request.initialDirectory);
  if (!directory.isEmpty() && QFileInfo(directory).isDir()) dialog.setDirectory(directory);
  if (!request.defaultName.empty()) dialog.selectFile(qs(request.defaultName));
  // Room for the file names, sizes and dates (the toolkit's own dialog).
  dialog.resize(dialog.size().expandedTo(QSize(760, 480)));
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(chosen.front()).toUtf8().toStdString();
}

}  // namespace orva
