#include "ui/TableManagementDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace orva {

namespace {

using F = CurrentTableField;
constexpr int id(F field) { return static_cast<int>(field); }

}  // namespace

TableManagementDialog::TableManagementDialog(CurrentTableForm& form, QWidget* parent)
    : FormDialog(form, form.title(), parent), form_(form) {
  auto* layout = new QHBoxLayout(this);
  auto* left = new QVBoxLayout;
  auto* list = new QListWidget(this);
  list->setObjectName(uiText(form.fieldName(id(F::Tables))));
  auto* label = new QLabel(uiText(form.info(id(F::Tables))->caption), this);
  label->setBuddy(list);
  left->addWidget(label);
  left->addWidget(list);
  layout->addLayout(left, 1);

  auto* buttons = new QVBoxLayout;
  for (const F field : {F::Duplicate, F::EditTableName, F::DeleteTable, F::ValidateSelection}) {
    auto* button = qobject_cast<QPushButton*>(makeFieldWidget(*form.info(id(field)), this));
    button->setAutoDefault(field == F::ValidateSelection);
    button->setDefault(field == F::ValidateSelection);
    if (field == F::ValidateSelection) buttons->addStretch();
    buttons->addWidget(button);
  }
  layout->addLayout(buttons);
  bind();
  binder().setButtonAction(id(F::Duplicate), [this] { form_.duplicate(); });
  binder().setButtonAction(id(F::EditTableName), [this] { form_.editTableName(); });
  binder().setButtonAction(id(F::DeleteTable), [this] { form_.deleteTable(); });
  binder().setButtonAction(id(F::ValidateSelection), [this] { accept(); });
}

void TableManagementDialog::reject() {
  form_.close();
  FormDialog::reject();
}

}  // namespace orva
