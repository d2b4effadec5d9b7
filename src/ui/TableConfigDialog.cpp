#include "ui/TableConfigDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QSerialPortInfo>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

#include "common/Messages.h"

namespace orva {

namespace {

using F = TableConfigField;
constexpr int id(F field) { return static_cast<int>(field); }

QString text(Msg message) { return uiText(messageText(message)); }

// A group box of labelled rows for `fields`.
QGroupBox* group(Form& form, Msg title, std::initializer_list<int> fields, QWidget* parent) {
  auto* box = new QGroupBox(text(title), parent);
  auto* rows = new QFormLayout(box);
  const std::vector<int> ids(fields);
  addFieldRows(form, *rows, ids);
  return box;
}

// The arrow pair beside an axis' minimum step time.
void addSpin(TableConfigForm& form, QGroupBox& box, F timeField, TableConfigForm::Axis axis) {
  auto* rows = static_cast<QFormLayout*>(box.layout());
  const QString name = uiText(form.fieldName(id(timeField)));
  QWidget* edit = box.findChild<QWidget*>(name);
  int row = -1;
  QFormLayout::ItemRole role{};
  rows->getWidgetPosition(edit, &row, &role);
  auto* holder = new QWidget(&box);
  auto* line = new QHBoxLayout(holder);
  line->setContentsMargins(0, 0, 0, 0);
  line->setSpacing(2);
  // The row is rebuilt with the edit box and its arrows side by side.
  const QFormLayout::TakeRowResult taken = rows->takeRow(row);
  if (taken.labelItem != nullptr) {
    delete taken.labelItem->widget();
    delete taken.labelItem;
  }
  delete taken.fieldItem;  // the item only: the edit box moves into the holder
  const QString caption = uiText(form.info(id(timeField))->caption);
  edit->setParent(holder);
  line->addWidget(edit, 1);
  // The two arrows stacked, together as high as the edit box.
  auto* arrows = new QVBoxLayout;
  arrows->setContentsMargins(0, 0, 0, 0);
  arrows->setSpacing(0);
  const int half = edit->sizeHint().height() / 2;
  for (const int delta : {-1, 1}) {
    auto* arrow = new QToolButton(holder);
    arrow->setArrowType(delta < 0 ? Qt::UpArrow : Qt::DownArrow);
    arrow->setObjectName(name + (delta < 0 ? QStringLiteral("Up") : QStringLiteral("Down")));
    arrow->setAutoRepeat(true);
    arrow->setFocusPolicy(Qt::NoFocus);  // the edit box keeps the keyboard
    arrow->setFixedSize(half * 3 / 2, half);
    arrow->setIconSize(QSize(half / 2, half / 2));
    QObject::connect(arrow, &QToolButton::clicked, holder,
                     [&form, axis, delta] { form.spinMinimumStepTime(axis, delta); });
    arrows->addWidget(arrow);
  }
  line->addLayout(arrows);
  auto* label = new QLabel(caption, &box);
  label->setBuddy(edit);
  rows->insertRow(row, label, holder);
}

// A labelled control in the cell pair (row, column) of `grid`.
void addCell(QGridLayout& grid, QWidget& box, const FieldInfo& info, QWidget* control, int row,
             int column) {
  auto* label = new QLabel(uiText(info.caption), &box);
  label->setBuddy(control);
  grid.addWidget(label, row, column);
  grid.addWidget(control, row, column + 1);
}

// The machine behind the table: the backend on top, then port and baud rate,
// axis letters and full heat, receive buffer and status interval, two by two.
// The port is an editable drop-down list of the system's ports whose edit box
// is the field's control.
QGroupBox* controllerGroup(TableConfigForm& form, QWidget* parent, QComboBox*& portChoice) {
  auto* box = new QGroupBox(text(Msg::TableControllerGroup), parent);
  box->setObjectName(QStringLiteral("controllerGroup"));
  auto* grid = new QGridLayout(box);
  const FieldInfo& backend = *form.info(id(F::CtlBackend));
  addCell(*grid, *box, backend, makeFieldWidget(backend, box), 0, 0);

  portChoice = new QComboBox(box);
  portChoice->setObjectName(QStringLiteral("ctlPortChoice"));
  portChoice->setEditable(true);
  portChoice->setInsertPolicy(QComboBox::NoInsert);
  portChoice->setMinimumContentsLength(14);
  portChoice->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  for (const std::string& port : form.portChoices()) portChoice->addItem(uiText(port));
  portChoice->lineEdit()->setObjectName(uiText(form.fieldName(id(F::CtlPort))));
  QObject::connect(portChoice, &QComboBox::activated, box, [&form, portChoice](int index) {
    form.setText(id(F::CtlPort), portChoice->itemText(index).toUtf8().toStdString());
  });
  addCell(*grid, *box, *form.info(id(F::CtlPort)), portChoice, 1, 0);

  int cell = 1;
  for (const F field : {F::CtlBaud, F::CtlAxes, F::CtlHeatS, F::CtlRxBuffer, F::CtlStatusMs}) {
    const FieldInfo& info = *form.info(id(field));
    addCell(*grid, *box, info, makeFieldWidget(info, box), 1 + cell / 2, (cell % 2) * 2);
    ++cell;
  }
  grid->setColumnStretch(1, 1);
  grid->setColumnStretch(3, 1);
  grid->setHorizontalSpacing(12);
  return box;
}

}  // namespace

TableConfigDialog::TableConfigDialog(TableConfigForm& form, QWidget* parent)
    : FormDialog(form, TableConfigForm::title(), parent), form_(form) {
  auto* outer = new QVBoxLayout(this);
  // Everything above the buttons scrolls when the screen is too low for it
  // (large text scaling); the buttons stay in view.
  QScrollArea* scroll = makeScrollArea(QStringLiteral("tableConfigScroll"));
  auto* body = new QWidget(scroll);
  auto* layout = new QVBoxLayout(body);
  layout->setContentsMargins(0, 0, 0, 0);

  auto* top = new QWidget(body);
  auto* topRows = new QFormLayout(top);
  topRows->setContentsMargins(0, 0, 0, 0);
  const std::vector<int> table{id(F::CurrentTable)};
  addFieldRows(form, *topRows, table);
  layout->addWidget(top);

  auto* grid = new QGridLayout;
  QGroupBox* x = group(form, Msg::XAxisConfiguration,
                       {id(F::XNtour), id(F::XPas), id(F::XPasInvSens), id(F::VitesseInvSensX),
                        id(F::XVmax), id(F::XMaxSpeed)},
                       body);
  addSpin(form, *x, F::XVmax, TableConfigForm::Axis::X);
  QGroupBox* y = group(form, Msg::YAxisConfiguration,
                       {id(F::YNtour), id(F::YPas), id(F::YPasInvSens), id(F::VitesseInvSensY),
                        id(F::YVmax), id(F::YMaxSpeed)},
                       body);
  addSpin(form, *y, F::YVmax, TableConfigForm::Axis::Y);
  grid->addWidget(x, 0, 0);
  grid->addWidget(y, 0, 1);
  grid->addWidget(group(form, Msg::Dimensions, {id(F::Entraxe), id(F::AxesX), id(F::AxesY)}, body),
                  1, 0);
  grid->addWidget(
      group(form, Msg::Miscellaneous, {id(F::ZeroX), id(F::ZeroY), id(F::TableInv)}, body), 1, 1);
  // The driver's four controls two by two, to keep the dialog low.
  auto* driver = new QGroupBox(text(Msg::DriverAndHardwareInterface), body);
  auto* driverGrid = new QGridLayout(driver);
  int cell = 0;
  for (const F field : {F::Port, F::Timer, F::Chauffe, F::InterfChauf}) {
    const FieldInfo& info = *form.info(id(field));
    QWidget* control = makeFieldWidget(info, driver);
    const int row = cell / 2;
    const int column = (cell % 2) * 2;
    if (info.kind == FieldKind::Check) {
      driverGrid->addWidget(control, row, column, 1, 2);
    } else {
      auto* label = new QLabel(uiText(info.caption), driver);
      label->setBuddy(control);
      driverGrid->addWidget(label, row, column);
      driverGrid->addWidget(control, row, column + 1);
    }
    ++cell;
  }
  driverGrid->setColumnStretch(1, 1);
  driverGrid->setColumnStretch(3, 1);
  driverGrid->setHorizontalSpacing(12);
  grid->addWidget(driver, 2, 0, 1, 2);
  // The caller may name the ports; else the system's serial ports are offered.
  if (form.portChoices().empty()) {
    std::vector<std::string> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
      ports.push_back(info.systemLocation().toUtf8().toStdString());
    }
    form.setPortChoices(std::move(ports));
  }
  QComboBox* portChoice = nullptr;
  grid->addWidget(controllerGroup(form, body, portChoice), 3, 0, 1, 2);
  layout->addLayout(grid);
  scroll->setWidget(body);
  outer->addWidget(scroll, 1);

  QDialogButtonBox* buttons = makeOkCancel();
  auto* byDefault = buttons->addButton(text(Msg::Default), QDialogButtonBox::ResetRole);
  byDefault->setObjectName(QStringLiteral("default"));
  connect(byDefault, &QPushButton::clicked, this, [this] { form_.pressDefault(); });
  outer->addWidget(buttons);
  fitToScreen(*scroll, *body, QSize(0, outer->spacing() + buttons->sizeHint().height()));
  // A box the user cannot change (a value that follows others) looks like it.
  setStyleSheet(QStringLiteral("QLineEdit:read-only { background: palette(window); }"));
  bind();
  // The binder greys the port's edit box; its list button goes with it.
  const auto followPort = [this, portChoice] {
    portChoice->setEnabled(form_.enabled(id(F::CtlPort)));
  };
  binder().setOnRefreshed(followPort);
  followPort();
}

void TableConfigDialog::reject() {
  form_.cancel();
  FormDialog::reject();
}

}  // namespace orva
