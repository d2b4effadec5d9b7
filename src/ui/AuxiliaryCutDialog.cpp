#include "ui/AuxiliaryCutDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>
#include <QWidget>

namespace orva {

AuxiliaryCutDialog::AuxiliaryCutDialog(Form& form, std::string_view title,
                                       std::span<const int> left, std::span<const int> right,
                                       QWidget* parent)
    : FormDialog(form, title, parent) {
  auto* layout = new QVBoxLayout(this);
  auto* columns = new QHBoxLayout;
  for (const std::span<const int> fields : {left, right}) {
    auto* holder = new QWidget(this);
    auto* rows = new QFormLayout(holder);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    addFieldRows(form, *rows, fields);
    columns->addWidget(holder, 1, Qt::AlignTop);
  }
  columns->setSpacing(24);
  layout->addLayout(columns);
  layout->addStretch();
  layout->addWidget(makeOkCancel());
  // A box the user cannot change (a value that follows others) looks like it.
  setStyleSheet(QStringLiteral("QLineEdit:read-only { background: palette(window); }"));
  bind();
}

}  // namespace orva
