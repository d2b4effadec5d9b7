#include "ui/PanelCutDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
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
  auto* column = new QVBoxLayout;
  layout->addLayout(column);
  // The options scroll above the buttons when the screen is too low for them
  // (large text scaling); the buttons stay in view.
  QScrollArea* scroll = makeScrollArea(QStringLiteral("panelCutScroll"));
  auto* body = new QWidget(scroll);
  auto* options = new QVBoxLayout(body);
  options->setContentsMargins(0, 0, 0, 0);

  auto* sides = new QHBoxLayout;
  sides->addWidget(make(F::WingSide, body));
  sides->addWidget(make(F::CutOrder, body));
  options->addLayout(sides);

  auto* kerf = new QGroupBox(uiText(messageText(Msg::WireKerfCompensation)), body);
  auto* kerfRows = new QHBoxLayout(kerf);
  kerfRows->addWidget(make(F::ProfileKerf, kerf));
  kerfRows->addWidget(make(F::RefLowerSurface, kerf));
  options->addWidget(kerf);

  auto* trimming = new QGroupBox(uiText(PanelCutForm::label(F::TrimmingMode)), body);
  auto* trimmingRows = new QFormLayout(trimming);
  trimmingRows->addRow(make(F::TrimmingMode, trimming));
  row(trimmingRows, F::Clearance, trimming);
  options->addWidget(trimming);

  auto* intermediate = new QGroupBox(uiText(messageText(Msg::IntermediateSection)), body);
  auto* intermediateRows = new QFormLayout(intermediate);
  intermediateRows->addRow(make(F::IntermediateCut, intermediate));
  row(intermediateRows, F::PositionZ, intermediate);
  row(intermediateRows, F::SectionReference, intermediate);
  options->addWidget(intermediate);

  auto* position = new QFormLayout;
  position->addRow(make(F::BlockCentred, body));
  row(position, F::RootAxisOffset, body);
  row(position, F::OffsetX0, body);
  options->addLayout(position);

  auto* output = new QHBoxLayout;
  output->addWidget(make(F::CutToFile, body));
  output->addWidget(make(F::StepDetails, body));
  options->addLayout(output);

  auto* foam = new QFormLayout;
  row(foam, F::FoamType, body);
  options->addLayout(foam);

  auto* speed = new QGroupBox(uiText(PanelCutForm::label(F::SpeedChoice)), body);
  auto* speedRows = new QFormLayout(speed);
  speedRows->addRow(make(F::SpeedChoice, speed));
  row(speedRows, F::CutSpeed, speed);
  row(speedRows, F::HeatDisplay, speed);
  options->addWidget(speed);

  // The messages: a read-only area of a few lines.
  auto* messages = new QLabel(body);
  messages->setObjectName(uiText(form.fieldName(PanelCutForm::id(F::Messages))));
  messages->setWordWrap(true);
  messages->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  messages->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  messages->setTextInteractionFlags(Qt::TextSelectableByMouse);
  messages->setMinimumHeight(3 * messages->fontMetrics().lineSpacing() + 6);
  messages->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Minimum);
  options->addWidget(messages);
  options->addStretch(1);

  scroll->setWidget(body);
  column->addWidget(scroll, 1);
  QDialogButtonBox* buttons = makeOkCancel();
  cut_ = buttons->findChild<QPushButton*>(QStringLiteral("ok"));
  column->addWidget(buttons);

  auto* previews = new QVBoxLayout;
  front_ = new PreviewWidget(PreviewWidget::Kind::Front, form, this);
  top_ = new PreviewWidget(PreviewWidget::Kind::Top, form, this);
  previews->addWidget(front_, 2);
  previews->addWidget(top_, 3);
  layout->addLayout(previews, 1);
  fitToScreen(*scroll, *body,
              QSize(layout->spacing() + front_->minimumSizeHint().width(),
                    column->spacing() + buttons->sizeHint().height()));

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
