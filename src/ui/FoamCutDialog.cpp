#include "ui/FoamCutDialog.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QLabel>
#include <QSet>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/JobRunner.h"

namespace orva {

namespace {

using F = FoamCutField;
constexpr int id(F field) { return static_cast<int>(field); }

// `caption` with a mnemonic on its first letter that no other label or
// button of `root` uses, so the changing caption keeps a key of its own.
QString withFreeMnemonic(const QWidget& root, const QWidget& self, const QString& caption) {
  QSet<QChar> used;
  for (const QWidget* w : root.findChildren<QWidget*>()) {
    if (w == &self) continue;
    QString text;
    if (const auto* label = qobject_cast<const QLabel*>(w)) text = label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(w)) text = button->text();
    const qsizetype at = text.indexOf('&');
    if (at >= 0 && at + 1 < text.size()) used.insert(text[at + 1].toLower());
  }
  for (qsizetype i = 0; i < caption.size(); ++i) {
    if (caption[i].isLetter() && !used.contains(caption[i].toLower())) {
      return caption.left(i) + QLatin1Char('&') + caption.mid(i);
    }
  }
  return caption;
}

}  // namespace

FoamCutDialog::FoamCutDialog(FoamCutForm& form, JobRunner& runner, QWidget* parent)
    : FormDialog(form, FoamCutForm::title(), parent), form_(form), runner_(runner) {
  auto* layout = new QVBoxLayout(this);
  auto* holder = new QWidget(this);
  auto* rows = new QFormLayout(holder);
  rows->setContentsMargins(0, 0, 0, 0);
  constexpr int kRows[] = {id(F::HeightOfCut), id(F::Alpha),           id(F::Horizontal),
                           id(F::OffsetY),     id(F::CutWidth),        id(F::RaiseAtMaxSpeed),
                           id(F::FoamType),    id(F::CutSpeed)};
  addFieldRows(form, *rows, kRows);
  layout->addWidget(holder);

  auto* buttons = new QHBoxLayout;
  auto* action = qobject_cast<QPushButton*>(makeFieldWidget(*form.info(id(F::Action)), this));
  auto* done = qobject_cast<QPushButton*>(makeFieldWidget(*form.info(id(F::Done)), this));
  // Enter closes with "Done"; the wire moves only on a deliberate press.
  action->setAutoDefault(false);
  done->setDefault(true);
  buttons->addStretch();
  buttons->addWidget(action);
  buttons->addWidget(done);
  layout->addLayout(buttons);
  bind();
  binder().setButtonAction(id(F::Action), [this] { pressAction(); });
  binder().setButtonAction(id(F::Done), [this] { accept(); });
  binder().setOnRefreshed([this] { showState(); });
  showState();
}

void FoamCutDialog::pressAction() {
  if (runner_.following()) return;
  const std::optional<bool> started = form_.startAction(runner_.job());
  if (started && *started) runner_.follow([this](CutJobResult) { moveEnded(); });
  binder().refresh();
}

void FoamCutDialog::reject() {
  // Escape while the wire moves stops it (the job retreats safely); the
  // dialog stays open.
  if (runner_.following()) {
    runner_.cancel();
    return;
  }
  if (form_.raised()) return;
  FormDialog::reject();
}

void FoamCutDialog::showState() {
  const bool running = runner_.following();
  QWidget* action = binder().widget(id(F::Action));
  QWidget* done = binder().widget(id(F::Done));
  if (auto* button = qobject_cast<QPushButton*>(action)) {
    button->setText(withFreeMnemonic(*this, *button, uiText(form_.actionCaption())));
  }
  action->setEnabled(!running);
  done->setEnabled(!running && !form_.raised());
}

void FoamCutDialog::moveEnded() {
  binder().refresh();
  // The move greyed the box that had the focus, or Qt passed it on to a
  // button: the keys go to the button that is the next step now ("Done", or
  // the action while the wire is raised). A box being edited keeps it.
  QWidget* done = binder().widget(id(F::Done));
  QWidget* action = binder().widget(id(F::Action));
  const QWidget* focus = focusWidget();
  if (focus == nullptr || !focus->isEnabled() || focus == done || focus == action) {
    (done->isEnabled() ? done : action)->setFocus();
  }
}

}  // namespace orva
