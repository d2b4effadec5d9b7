#include "ui/FormBinder.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "common/Messages.h"

namespace orva {

namespace {

QString qs(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8(const QString& text) { return text.toUtf8().toStdString(); }

// A tri-state box shows list entry 0 unchecked, 1 checked and 2 partially
// checked: the order of the three states of a three-state box on disk.
constexpr Qt::CheckState kTriStates[] = {Qt::Unchecked, Qt::Checked, Qt::PartiallyChecked};

QList<QRadioButton*> radioEntries(QWidget* container) {
  return container->findChildren<QRadioButton*>();
}

bool isTriState(QWidget* w) {
  auto* box = qobject_cast<QCheckBox*>(w);
  return box != nullptr && box->isTristate();
}

// A caption as a widget text: an '&' of the text is shown, not taken as a mnemonic.
QString captionText(std::string_view caption) { return qs(caption).replace('&', "&&"); }

}  // namespace

FormBinder::FormBinder(Form& form, QWidget& root, Refusals refusals)
    : form_(form), root_(root), refusals_(refusals) {
  for (const FieldInfo& info : form_.fieldTable()) {
    auto* w = root_.findChild<QWidget*>(qs(info.name));
    if (w == nullptr) continue;
    bindings_.push_back(Binding{&info, w});
  }
  for (const Binding& b : bindings_) connect(b);
  form_.setOnChanged([this] { refresh(); });
  refresh();
}

FormBinder::~FormBinder() { form_.setOnChanged(nullptr); }

QWidget* FormBinder::widget(int field) const {
  for (const Binding& b : bindings_) {
    if (b.info->id == field) return b.widget;
  }
  return nullptr;
}

std::vector<std::string> FormBinder::unboundFields() const {
  std::vector<std::string> names;
  for (const FieldInfo& info : form_.fieldTable()) {
    if (widget(info.id) == nullptr) names.emplace_back(info.name);
  }
  return names;
}

void FormBinder::setButtonAction(int field, std::function<void()> action) {
  buttonActions_[field] = std::move(action);
}

void FormBinder::connect(const Binding& b) {
  const int field = b.info->id;
  QWidget* w = b.widget;
  switch (b.info->kind) {
    case FieldKind::Text:
      if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QObject::connect(edit, &QLineEdit::textEdited, edit, [this, field](const QString& text) {
          afterEdit(field, form_.setText(field, utf8(text)));
        });
      } else if (auto* box = qobject_cast<QPlainTextEdit*>(w)) {
        QObject::connect(box, &QPlainTextEdit::textChanged, box, [this, field, box] {
          if (refreshing_) return;
          afterEdit(field, form_.setText(field, utf8(box->toPlainText())));
        });
      }
      break;
    case FieldKind::Check:
      if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QObject::connect(button, &QAbstractButton::clicked, button, [this, field](bool on) {
          afterEdit(field, form_.setChecked(field, on));
        });
      }
      break;
    case FieldKind::List:
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QObject::connect(combo, &QComboBox::activated, combo, [this, field](int index) {
          afterEdit(field, form_.setCurrentIndex(field, index));
        });
      } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        QObject::connect(list, &QListWidget::currentRowChanged, list, [this, field](int row) {
          if (refreshing_ || row < 0) return;
          afterEdit(field, form_.setCurrentIndex(field, row));
        });
      } else if (isTriState(w)) {
        // The box steps through the entries in their order, whatever order
        // the toolkit would give the states.
        auto* box = qobject_cast<QCheckBox*>(w);
        QObject::connect(box, &QAbstractButton::clicked, box, [this, field] {
          const int count = static_cast<int>(form_.options(field).size());
          const int next = count > 0 ? (form_.currentIndex(field) + 1) % count : -1;
          afterEdit(field, form_.setCurrentIndex(field, next));
        });
      } else {
        const QList<QRadioButton*> entries = radioEntries(w);
        for (int i = 0; i < entries.size(); ++i) {
          QObject::connect(entries[i], &QAbstractButton::clicked, entries[i], [this, field, i] {
            afterEdit(field, form_.setCurrentIndex(field, i));
          });
        }
      }
      break;
    case FieldKind::Button:
      if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        QObject::connect(button, &QAbstractButton::clicked, button, [this, field] {
          const auto it = buttonActions_.find(field);
          if (it != buttonActions_.end() && form_.enabled(field) && it->second) it->second();
          refresh();
        });
      }
      break;
    case FieldKind::Display:
      break;
  }
}

void FormBinder::afterEdit(int field, bool taken) {
  if (!taken) {
    // The form kept its value (and told nobody): show it again.
    refresh();
    const int focus = form_.focus();
    if (focus >= 0 && focus != field) focusField(focus);
  } else {
    refresh();
  }
}

void FormBinder::refresh() {
  if (refreshing_) return;
  refreshing_ = true;
  for (const Binding& b : bindings_) refreshOne(b);
  refreshing_ = false;
  if (onRefreshed_) onRefreshed_();
}

void FormBinder::refreshOne(const Binding& b) {
  const int field = b.info->id;
  QWidget* w = b.widget;
  const QSignalBlocker blocker(w);
  w->setEnabled(form_.enabled(field));
  switch (b.info->kind) {
    case FieldKind::Text:
    case FieldKind::Display: {
      const QString text = qs(form_.text(field));
      if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text() != text) edit->setText(text);
        edit->setReadOnly(form_.readOnly(field));
      } else if (auto* box = qobject_cast<QPlainTextEdit*>(w)) {
        if (box->toPlainText() != text) box->setPlainText(text);
        box->setReadOnly(form_.readOnly(field));
      } else if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text() != text) label->setText(text);
      }
      break;
    }
    case FieldKind::Check:
      if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setChecked(form_.checked(field));
      }
      break;
    case FieldKind::List: {
      const std::vector<std::string> options = form_.options(field);
      const int index = form_.currentIndex(field);
      if (auto* combo = qobject_cast<QComboBox*>(w)) {
        QStringList items;
        for (const std::string& o : options) items << qs(o);
        QStringList shown;
        for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
        if (shown != items) {
          combo->clear();
          combo->addItems(items);
        }
        combo->setCurrentIndex(index);
      } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        const int count = static_cast<int>(options.size());
        while (list->count() > count) delete list->takeItem(list->count() - 1);
        for (int i = 0; i < count; ++i) {
          const QString text = qs(options[static_cast<std::size_t>(i)]);
          if (i < list->count()) {
            if (list->item(i)->text() != text) list->item(i)->setText(text);
          } else {
            list->addItem(text);
          }
        }
        list->setCurrentRow(index);
      } else if (isTriState(w)) {
        auto* box = qobject_cast<QCheckBox*>(w);
        box->setCheckState(index >= 0 && index < 3 ? kTriStates[index] : Qt::Unchecked);
      } else {
        const QList<QRadioButton*> entries = radioEntries(w);
        for (int i = 0; i < entries.size(); ++i) {
          QRadioButton* radio = entries[i];
          const QSignalBlocker entryBlocker(radio);
          // No entry selected (-1) is only possible with the exclusivity off.
          radio->setAutoExclusive(false);
          radio->setChecked(i == index);
          radio->setAutoExclusive(true);
          radio->setEnabled(form_.enabled(field));
        }
      }
      break;
    }
    case FieldKind::Button:
      break;
  }
}

bool FormBinder::ok() {
  const FormResult result = form_.ok();
  if (result.accepted) return true;
  if (refusals_ == Refusals::ShownByBinder && !result.message.empty()) {
    QMessageBox::warning(root_.window(), qs(messageText(Msg::ApplicationTitle)),
                         qs(result.message));
  }
  focusField(result.field);
  return false;
}

void FormBinder::focusField(int field) {
  QWidget* w = widget(field);
  if (w == nullptr) return;
  w->setFocus(Qt::OtherFocusReason);
  if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->selectAll();
}

QWidget* makeFieldWidget(const FieldInfo& info, QWidget* parent) {
  QWidget* w = nullptr;
  switch (info.kind) {
    case FieldKind::Text:
      w = new QLineEdit(parent);
      break;
    case FieldKind::Display: {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly(true);
      w = edit;
      break;
    }
    case FieldKind::Check:
      w = new QCheckBox(captionText(info.caption), parent);
      break;
    case FieldKind::List:
      w = new QComboBox(parent);
      break;
    case FieldKind::Button:
      w = new QPushButton(captionText(info.caption), parent);
      break;
  }
  w->setObjectName(qs(info.name));
  return w;
}

void addFieldRows(const Form& form, QFormLayout& layout, std::span<const int> fields) {
  std::vector<int> ids(fields.begin(), fields.end());
  if (ids.empty()) {
    for (const FieldInfo& info : form.fieldTable()) ids.push_back(info.id);
  }
  QWidget* parent = layout.parentWidget();
  for (const int id : ids) {
    const FieldInfo* info = form.info(id);
    if (info == nullptr) continue;
    QWidget* w = makeFieldWidget(*info, parent);
    if (info->kind == FieldKind::Check || info->kind == FieldKind::Button) {
      layout.addRow(w);
    } else {
      layout.addRow(captionText(info->caption), w);
    }
  }
}

}  // namespace orva
