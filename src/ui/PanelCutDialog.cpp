#include "ui/PanelCutDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Messages.h"
#include "ui/PreviewWidget.h"

namespace orva {

namespace {
using F = PanelCutField;
}  // namespace

PanelCutDialog::PanelCutDialog(PanelCutForm& form, QWidget* parent)
    : FormDialog(form, messageText(Msg::PanelCuttingTitle), parent), cutForm_(form) {
  const auto make = [&form](F field, QWidget* parent) {
    return makeFieldWidget(*form.info(PanelCutForm::id(field)), parent);
  };
  // A row of a form layout: the caption (with the control as its buddy) and the control.
  const auto row = [&make](QFormLayout* rows, F field, QWidget* parent) {
    QWidget* control = make(field, parent);
    auto* caption = new QLabel(uiText(PanelCutForm::label(field)), parent);
    caption->setBuddy(control);
    rows->addRow(caption, control);
    return control;
  };

  auto* layout = new QHBoxLayout(this);
  auto* options = new QVBoxLayout;
  layout->addLayout(options);

  auto* sides = new QHBoxLayout;
  sides->addWidget(make(F::WingSide, this));
  sides->addWidget(make(F::CutOrder, this));
  options->addLayout(sides);

  auto* kerf = new QGroupBox(uiText(messageText(Msg::WireKerfCompensation)), this);
  auto* kerfRows = new QHBoxLayout(kerf);
  kerfRows->addWidget(make(F::ProfileKerf, kerf));
  kerfRows->addWidget(make(F::RefLowerSurface, kerf));
  options->addWidget(kerf);

  auto* trimming = new QGroupBox(uiText(PanelCutForm::label(F::TrimmingMode)), this);
  auto* trimmingRows = new QFormLayout(trimming);
  trimmingRows->addRow(make(F::TrimmingMode, trimming));
  row(trimmingRows, F::Clearance, trimming);
  options->addWidget(trimming);

  auto* intermediate = new QGroupBox(uiText(messageText(Msg::IntermediateSection)), this);
  auto* intermediateRows = new QFormLayout(intermediate);
  intermediateRows->addRow(make(F::IntermediateCut, intermediate));
  row(intermediateRows, F::PositionZ, intermediate);
  row(intermediateRows, F::SectionReference, intermediate);
  options->addWidget(intermediate);

  auto* position = new QFormLayout;
  position->addRow(make(F::BlockCentred, this));
  row(position, F::RootAxisOffset, this);
  row(position, F::OffsetX0, this);
  options->addLayout(position);

  auto* output = new QHBoxLayout;
  output->addWidget(make(F::CutToFile, this));
  output->addWidget(make(F::StepDetails, this));
  options->addLayout(output);

  auto* foam = new QFormLayout;
  row(foam, F::FoamType, this);
  options->addLayout(foam);

  auto* speed = new QGroupBox(uiText(PanelCutForm::label(F::SpeedChoice)), this);
  auto* speedRows = new QFormLayout(speed);
  speedRows->addRow(make(F::SpeedChoice, speed));
  row(speedRows, F::CutSpeed, speed);
  row(speedRows, F::HeatDisplay, speed);
  options->addWidget(speed);

  // The messages: a read-only area of a few lines.
  auto* messages = new QLabel(this);
  messages->setObjectName(uiText(form.fieldName(PanelCutForm::id(F::Messages))));
  messages->setWordWrap(true);
  messages->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  messages->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  messages->setTextInteractionFlags(Qt::TextSelectableByMouse);
  messages->setMinimumHeight(3 * messages->fontMetrics().lineSpacing() + 6);
  messages->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  options->addWidget(messages);
  options->addStretch(1);

  QDialogButtonBox* buttons = makeOkCancel();
  cut_ = buttons->findChild<QPushButton*>(QStringLiteral("ok"));
  options->addWidget(buttons);

  auto* previews = new QVBoxLayout;
  front_ = new PreviewWidget(PreviewWidget::Kind::Front, form, this);
  top_ = new PreviewWidget(PreviewWidget::Kind::Top, form, this);
  previews->addWidget(front_, 2);
  previews->addWidget(top_, 3);
  layout->addLayout(previews, 1);

  bind();
  binder().setOnRefreshed([this] { showForm(); });
  showForm();
}

void PanelCutDialog::showForm() {
  // The button says "Cut", or "Error" after an estimate that found one.
  if (cut_) cut_->setText(uiText(cutForm_.okCaption()));
  front_->formChanged();
  top_->formChanged();
}

}  // namespace orva
