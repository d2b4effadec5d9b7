#include "ui/CommentsDialog.h"

#include <QDialogButtonBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Messages.h"
#include "ui/FormDialog.h"

namespace orva {

namespace {

// The comment as the box shows it: its CR LF line ends as plain new lines.
QString shownText(const std::string& comments) {
  return QString::fromUtf8(comments.data(), static_cast<qsizetype>(comments.size()))
      .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

CommentsDialog::CommentsDialog(const std::string& comments, QWidget* parent)
    : QDialog(parent), original_(comments) {
  setWindowTitle(uiText(messageText(Msg::CommentsTitle)));
  setModal(true);
  auto* layout = new QVBoxLayout(this);
  box_ = new QPlainTextEdit(this);
  box_->setObjectName("comments");
  box_->setPlainText(shownText(comments));
  // Tab moves on to "Done" instead of typing a tab into the comment.
  box_->setTabChangesFocus(true);
  layout->addWidget(box_);
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* done = buttons->addButton(uiText(messageText(Msg::Done)), QDialogButtonBox::AcceptRole);
  done->setObjectName("done");
  // Enter in the box starts a new line; it does not press "Done".
  done->setAutoDefault(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  layout->addWidget(buttons);
  resize(420, 300);
}

std::optional<std::string> CommentsDialog::result() const {
  if (QDialog::result() != QDialog::Accepted) return std::nullopt;
  const QString text = box_->toPlainText();
  // Untouched, the comment keeps its bytes; an edited one is written with
  // CR LF line ends, as project files hold them.
  if (text == shownText(original_)) return original_;
  return QString(text).replace('\n', QStringLiteral("\r\n")).toUtf8().toStdString();
}

std::optional<std::string> CommentsDialog::run() {
  exec();
  return result();
}

}  // namespace orva
