#include "ui/FormDialog.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <QLayout>
#include <QStyle>
#include <QScrollArea>
#include <QScreen>
#include <QVBoxLayout>

#include "common/Messages.h"

namespace orva {

QString uiText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

FormDialog::FormDialog(Form& form, std::string_view title, QWidget* parent)
    : QDialog(parent), form_(form) {
  setWindowTitle(uiText(title));
  setModal(true);
}

FormDialog::~FormDialog() = default;

std::unique_ptr<FormDialog> FormDialog::plain(Form& form, std::string_view title,
                                              QWidget* parent, FormBinder::Refusals refusals) {
  auto dialog = std::make_unique<FormDialog>(form, title, parent);
  auto* layout = new QVBoxLayout(dialog.get());
  auto* holder = new QWidget(dialog.get());
  auto* rows = new QFormLayout(holder);
  rows->setContentsMargins(0, 0, 0, 0);
  addFieldRows(form, *rows);
  layout->addWidget(holder);
  layout->addWidget(dialog->makeOkCancel());
  dialog->bind(refusals);
  return dialog;
}

QDialogButtonBox* FormDialog::makeOkCancel() {
  auto* buttons = new QDialogButtonBox(this);
  QPushButton* okButton = buttons->addButton(uiText(messageText(Msg::Ok)),
                                             QDialogButtonBox::AcceptRole);
  buttons->addButton(uiText(messageText(Msg::Cancel)), QDialogButtonBox::RejectRole);
  okButton->setDefault(true);
  okButton->setObjectName("ok");
  connect(buttons, &QDialogButtonBox::accepted, this, &FormDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &FormDialog::reject);
  return buttons;
}

void FormDialog::bind(FormBinder::Refusals refusals) {
  assignMnemonics(*this);
  binder_ = std::make_unique<FormBinder>(form_, *this, refusals);
}

void FormDialog::accept() {
  if (binder_ && !binder_->ok()) return;
  QDialog::accept();
}

namespace {

// The letter after the single '&' of a text; a null QChar when it has none.
QChar mnemonicOf(const QString& text) {
  for (qsizetype i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return text[i + 1].toLower();
  }
  return {};
}

QString withMnemonic(const QString& text, QSet<QChar>& used) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    const QChar c = text[i];
    if (c == '&') {  // an escaped '&' of the text itself
      ++i;
      continue;
    }
    if (!c.isLetterOrNumber() || used.contains(c.toLower())) continue;
    used.insert(c.toLower());
    QString result = text;
    result.insert(i, '&');
    return result;
  }
  return text;
}

bool inButtonBox(const QWidget* w) {
  for (const QWidget* p = w->parentWidget(); p != nullptr; p = p->parentWidget()) {
    if (qobject_cast<const QDialogButtonBox*>(p) != nullptr) return true;
  }
  return false;
}

}  // namespace

void assignMnemonics(QWidget& root) {
  // Each candidate with a way to read and write its text.
  struct Candidate {
    QWidget* widget;
    QString text;
  };
  QList<Candidate> candidates;
  for (QWidget* w : root.findChildren<QWidget*>()) {
    if (inButtonBox(w)) continue;  // OK and Cancel answer Enter and Escape
    if (auto* label = qobject_cast<QLabel*>(w)) {
      if (label->buddy() != nullptr) candidates.push_back({w, label->text()});
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
      if (!button->text().isEmpty()) candidates.push_back({w, button->text()});
    }
  }
  QSet<QChar> used;
  for (const Candidate& c : candidates) {
    const QChar m = mnemonicOf(c.text);
    if (!m.isNull()) used.insert(m);
  }
  for (const Candidate& c : candidates) {
    if (!mnemonicOf(c.text).isNull()) continue;
    const QString text = withMnemonic(c.text, used);
    if (text == c.text) continue;
    if (auto* label = qobject_cast<QLabel*>(c.widget)) {
      label->setText(text);
    } else if (auto* button = qobject_cast<QAbstractButton*>(c.widget)) {
      button->setText(text);
    }
  }
}

QScrollArea* FormDialog::makeScrollArea(const QString& name) {
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(name);
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  return scroll;
}

void FormDialog::fitToScreen(QScrollArea& scroll, QWidget& body, QSize besides) {
  const QSize content = body.sizeHint();
  const QScreen* shown = screen();
  if (shown == nullptr) {
    scroll.setMinimumSize(content);
    return;
  }
  // Room for the window's frame and title bar, which the layout does not see.
  const QMargins margins = layout()->contentsMargins();
  const QSize room = shown->availableGeometry().size() - QSize(16, 48) - besides -
                     QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
  if (content.height() <= room.height() && content.width() <= room.width()) {
    scroll.setMinimumSize(content);  // all in view: no scroll bar, as before
    return;
  }
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  scroll.setMinimumSize(std::min(content.width() + bar, room.width()),
                        std::min(content.height(), room.height()));
}

}  // namespace orva
