#include "ui/QtUserPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

#include "common/Messages.h"

namespace orva {

namespace {

QString qs(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QMessageBox::Icon iconOf(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::None:
      return QMessageBox::NoIcon;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::Warning:
      return QMessageBox::Warning;
    case MessageIcon::Question:
      return QMessageBox::Question;
    case MessageIcon::Stop:
      return QMessageBox::Critical;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButton ask(QWidget* parent, std::string_view text, MessageIcon icon,
                                QMessageBox::StandardButtons buttons, QMessageBox::StandardButton fallback) {
  QMessageBox box(iconOf(icon), QString::fromUtf8(messageText(Msg::ApplicationTitle)), qs(text), buttons, parent);
  const int result = box.exec();
  const auto button = static_cast<QMessageBox::StandardButton>(result);
  return buttons.testFlag(button) ? button : fallback;
}

// The type list of a file dialog in Qt's form: "Name (*.a *.b);;...".
QString filterText(const std::vector<FileFilter>& filters) {
  QStringList entries;
  for (const FileFilter& filter : filters) {
    QString patterns = qs(filter.patterns);
    patterns.replace(QLatin1Char(';'), QLatin1Char(' '));
    if (patterns == QStringLiteral("*.*")) patterns = QStringLiteral("*");
    // The patterns Qt reads are the last parenthesised group: a description
    // that already names its patterns ("Fichiers projet (*.cnc)") keeps its
    // words and takes the patterns in Qt's form.
    QString description = qs(filter.description).trimmed();
    const qsizetype open = description.lastIndexOf(QLatin1Char('('));
    if (description.endsWith(QLatin1Char(')')) && open > 0) description = description.left(open).trimmed();
    entries << QStringLiteral("%1 (%2)").arg(description, patterns);
  }
  return entries.join(QStringLiteral(";;"));
}

std::optional<std::string> result(const QString& path, std::size_t maxLength) {
  if (path.isEmpty()) return std::nullopt;
  std::string chosen = path.toStdString();
  if (maxLength != 0 && chosen.size() > maxLength) return std::nullopt;
  return chosen;
}

QString startPath(const FileDialogRequest& request) {
  QString dir = qs(request.initialDirectory);
  if (request.defaultName.empty()) return dir;
  return dir.isEmpty() ? qs(request.defaultName) : dir + QLatin1Char('/') + qs(request.defaultName);
}

}  // namespace

void QtUserPrompt::showMessage(std::string_view text, MessageIcon icon) {
  ask(parent_, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

Answer QtUserPrompt::askOkCancel(std::string_view text, MessageIcon icon) {
  return ask(parent_, text, icon, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Cancel) == QMessageBox::Ok
             ? Answer::Ok
             : Answer::Cancel;
}

Answer QtUserPrompt::askAbortRetryIgnore(std::string_view text, MessageIcon icon) {
  switch (ask(parent_, text, icon, QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore,
              QMessageBox::Abort)) {
    case QMessageBox::Retry:
      return Answer::Retry;
    case QMessageBox::Ignore:
      return Answer::Ignore;
    default:
      return Answer::Abort;
  }
}

Answer QtUserPrompt::askYesNoCancel(std::string_view text, MessageIcon icon) {
  switch (ask(parent_, text, icon, QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
              QMessageBox::Cancel)) {
    case QMessageBox::Yes:
      return Answer::Yes;
    case QMessageBox::No:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

std::optional<std::string> QtUserPrompt::chooseOpenFile(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, qs(request.title), startPath(request), filterText(request.filters));
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return result(dialog.selectedFiles().first(), request.maxPathLength);
}

std::optional<std::string> QtUserPrompt::chooseSaveFile(const FileDialogRequest& request) {
  QFileDialog dialog(parent_, qs(request.title), startPath(request), filterText(request.filters));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  if (!request.defaultExtension.empty()) dialog.setDefaultSuffix(qs(request.defaultExtension));
  if (!request.promptOverwrite) dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return result(dialog.selectedFiles().first(), request.maxPathLength);
}

}  // namespace orva
