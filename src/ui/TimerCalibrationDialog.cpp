#include "ui/TimerCalibrationDialog.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Messages.h"

namespace orva {

TimerCalibrationDialog::TimerCalibrationDialog(TimerCalibrationForm& form, QWidget* parent,
                                               DialogTimer::Clock clock, bool controllerTable)
    : FormDialog(form, TimerCalibrationForm::title(), parent),
      form_(form),
      timer_(clock, this),
      measuring_(!controllerTable) {
  using Field = TimerCalibrationField;
  auto* layout = new QVBoxLayout(this);
  auto* setTimer = makeFieldWidget(*form.info(static_cast<int>(Field::SetTimer)), this);
  setTimer->setMinimumWidth(
      fontMetrics().horizontalAdvance(QStringLiteral("Set timer on 00000 us")) + 24);
  layout->addWidget(setTimer);
  auto* rows = new QFormLayout;
  layout->addLayout(rows);
  const FieldInfo& currentInfo = *form.info(static_cast<int>(Field::CurrentValue));
  auto* current = makeFieldWidget(currentInfo, this);
  auto* currentLabel = new QLabel(uiText(currentInfo.caption), this);
  currentLabel->setBuddy(current);
  rows->addRow(currentLabel, current);
  auto* finished = qobject_cast<QPushButton*>(
      makeFieldWidget(*form.info(static_cast<int>(Field::FinishedAdjustment)), this));
  if (finished) {
    finished->setDefault(true);
    finished->setFocus();  // Enter or Space finishes
  }
  layout->addWidget(finished, 0, Qt::AlignHCenter);
  bind();
  binder().setButtonAction(static_cast<int>(Field::FinishedAdjustment), [this] { accept(); });
  if (!measuring_) {
    // The controller paces its own steps: there is no timer to measure.
    auto* note = new QLabel(uiText(messageText(Msg::MachineNothingToCalibrate)), this);
    note->setObjectName(QStringLiteral("nothingToCalibrate"));
    note->setWordWrap(true);
    layout->insertWidget(0, note);
    setTimer->setEnabled(false);
    current->setEnabled(false);
    return;
  }

  form_.open();
  timer_.setAction([this] { form_.tick(); });
  timer_.start(TimerCalibrationForm::kTickIntervalMs);
}

void TimerCalibrationDialog::accept() {
  timer_.stop();
  FormDialog::accept();  // the form waits for the count under way
}

void TimerCalibrationDialog::reject() {
  timer_.stop();
  form_.finish();
  QDialog::reject();
}

}  // namespace orva
