#include "ui/FoamManagementDialog.h"

#include <algorithm>

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Messages.h"

namespace orva {

namespace {

using F = FoamManagementField;
constexpr int id(F field) { return static_cast<int>(field); }

QString text(Msg message) { return uiText(messageText(message)); }

// A labelled edit box of `field` as a row of `rows`; returns the label.
QLabel* addRow(Form& form, QFormLayout& rows, F field, QWidget* parent) {
  const FieldInfo& info = *form.info(id(field));
  QWidget* edit = makeFieldWidget(info, parent);
  auto* label = new QLabel(uiText(info.caption), parent);
  label->setBuddy(edit);
  rows.addRow(label, edit);
  return label;
}

}  // namespace

FoamManagementDialog::FoamManagementDialog(FoamManagementForm& form, QWidget* parent)
    : FormDialog(form, messageText(Msg::FoamManagementTitle), parent), form_(form) {
  auto* layout = new QVBoxLayout(this);

  auto* top = new QWidget(this);
  auto* topRows = new QFormLayout(top);
  topRows->setContentsMargins(0, 0, 0, 0);
  addRow(form, *topRows, F::CurrentTable, top);
  layout->addWidget(top);

  auto* columns = new QHBoxLayout;
  // Left: the materials and what can be done with them.
  auto* left = new QVBoxLayout;
  auto* foams = new QListWidget(this);
  foams->setObjectName(uiText(form.fieldName(id(F::FoamTypes))));
  auto* foamsLabel = new QLabel(uiText(form.info(id(F::FoamTypes))->caption), this);
  foamsLabel->setBuddy(foams);
  left->addWidget(foamsLabel);
  left->addWidget(foams, 1);
  for (const F field : {F::CreateMaterial, F::RenameMaterial, F::DeleteMaterial, F::HeatAcquisition}) {
    auto* button = qobject_cast<QPushButton*>(makeFieldWidget(*form.info(id(field)), this));
    button->setAutoDefault(false);
    left->addWidget(button);
  }
  columns->addLayout(left, 1);

  // Right: the values of the material shown.
  auto* right = new QVBoxLayout;
  right->addWidget(makeFieldWidget(*form.info(id(F::ComputedHeat)), this));
  auto* characteristics = new QGroupBox(text(Msg::Caracteristics), this);
  auto* inside = new QVBoxLayout(characteristics);
  maxSpeedGroup_ = new QGroupBox(text(Msg::MaximumSpeed), characteristics);
  auto* maxRows = new QFormLayout(maxSpeedGroup_);
  speedLabel_ = addRow(form, *maxRows, F::MaxSpeed, maxSpeedGroup_);
  addRow(form, *maxRows, F::MaxSpeedHeat, maxSpeedGroup_);
  inside->addWidget(maxSpeedGroup_);
  auto* kerfs = new QFormLayout;
  addRow(form, *kerfs, F::KerfAtMaxSpeed, characteristics);
  addRow(form, *kerfs, F::KerfAtHalfSpeed, characteristics);
  inside->addLayout(kerfs);
  minSpeedGroup_ = new QGroupBox(text(Msg::MinimumSpeed), characteristics);
  auto* minRows = new QFormLayout(minSpeedGroup_);
  addRow(form, *minRows, F::MinSpeed, minSpeedGroup_);
  addRow(form, *minRows, F::MinSpeedHeat, minSpeedGroup_);
  inside->addWidget(minSpeedGroup_);
  inside->addStretch();
  right->addWidget(characteristics, 1);
  columns->addLayout(right, 1);
  layout->addLayout(columns, 1);

  // Bottom: apply, put back, apply and close ("ok", through the form).
  auto* bottom = new QHBoxLayout;
  bottom->addStretch();
  for (const F field : {F::ApplyChanges, F::CancelChanges}) {
    auto* button = qobject_cast<QPushButton*>(makeFieldWidget(*form.info(id(field)), this));
    button->setAutoDefault(false);
    bottom->addWidget(button);
  }
  auto* applyAndExit = new QPushButton(text(Msg::ApplyAndExit), this);
  applyAndExit->setObjectName(QStringLiteral("ok"));
  applyAndExit->setDefault(true);
  connect(applyAndExit, &QPushButton::clicked, this, &FoamManagementDialog::accept);
  bottom->addWidget(applyAndExit);
  layout->addLayout(bottom);

  bind();
  // One label column through the three parts of "Caracteristics".
  int labelWidth = 0;
  const QList<QLabel*> labels = characteristics->findChildren<QLabel*>();
  for (const QLabel* l : labels) labelWidth = std::max(labelWidth, l->sizeHint().width());
  for (QLabel* l : labels) l->setMinimumWidth(labelWidth);
  binder().setButtonAction(id(F::ApplyChanges), [this] { form_.applyChanges(); });
  binder().setButtonAction(id(F::CancelChanges), [this] { form_.cancelChanges(); });
  binder().setButtonAction(id(F::CreateMaterial), [this] { form_.createMaterial(); });
  binder().setButtonAction(id(F::RenameMaterial), [this] { form_.renameMaterial(); });
  binder().setButtonAction(id(F::DeleteMaterial), [this] { form_.deleteMaterial(); });
  binder().setButtonAction(id(F::HeatAcquisition), [this] { form_.heatAcquisition(); });
  binder().setOnRefreshed([this] { showGroups(); });
  showGroups();
}

void FoamManagementDialog::showGroups() {
  // The speed label's words follow the heat mode; its mnemonic stays.
  const QString words = uiText(form_.speedLabel());
  const QString shown = speedLabel_->text();
  if (QString(shown).remove('&') != words) {
    QString label = words;
    const qsizetype amp = shown.indexOf('&');
    if (amp >= 0 && amp + 1 < shown.size()) {
      const qsizetype at = label.indexOf(shown[amp + 1], 0, Qt::CaseInsensitive);
      if (at >= 0) label.insert(at, '&');
    }
    speedLabel_->setText(label);
  }
  const bool computed = form_.maxSpeedFrameVisible();
  // Without its frame and title the group is just its two rows.
  maxSpeedGroup_->setTitle(computed ? text(Msg::MaximumSpeed) : QString());
  maxSpeedGroup_->setStyleSheet(computed ? QString()
                                         : QStringLiteral("QGroupBox { border: none; margin: 0; }"));
  if (computed) {
    maxSpeedGroup_->layout()->setContentsMargins(minSpeedGroup_->layout()->contentsMargins());
  } else {
    maxSpeedGroup_->layout()->setContentsMargins(0, 0, 0, 0);
  }
  minSpeedGroup_->setVisible(form_.minSpeedGroupVisible());
}

}  // namespace orva
