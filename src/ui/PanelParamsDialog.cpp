#include "ui/PanelParamsDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Messages.h"

namespace orva {

namespace {

using F = PanelField;

// The tip field matching a root field.
F tipOf(F root) {
  return static_cast<F>(static_cast<int>(root) + static_cast<int>(F::TipAirfoil) -
                        static_cast<int>(F::RootAirfoil));
}

}  // namespace

PanelParamsDialog::PanelParamsDialog(PanelParamsForm& form, QWidget* parent)
    : FormDialog(form, PanelParamsForm::title(), parent) {
  const auto make = [&form](F field, QWidget* parent) {
    return makeFieldWidget(*form.info(PanelParamsForm::id(field)), parent);
  };
  const auto label = [](F field, QWidget* buddy) {
    auto* l = new QLabel(uiText(PanelParamsForm::label(field)), buddy->parentWidget());
    l->setBuddy(buddy);
    return l;
  };

  auto* layout = new QVBoxLayout(this);

  // Global values: the edit boxes on the left, the check boxes on the right;
  // the dihedral beside "Dihedral in degree", which decides how it is read.
  auto* global = new QGroupBox(uiText(messageText(Msg::Global)), this);
  auto* grid = new QGridLayout(global);
  int row = 0;
  for (F field : {F::FoamThickness, F::Span, F::Sweep}) {
    QWidget* edit = make(field, global);
    grid->addWidget(label(field, edit), row, 0);
    grid->addWidget(edit, row, 1);
    ++row;
  }
  row = 0;
  for (F field : {F::WingPanel, F::DifferentRootTip, F::Skin, F::DihedralInDegrees}) {
    grid->addWidget(make(field, global), row++, 3);
  }
  QWidget* dihedral = make(F::Dihedral, global);
  grid->addWidget(label(F::Dihedral, dihedral), 3, 0);
  grid->addWidget(dihedral, 3, 1);
  grid->setColumnMinimumWidth(2, 24);
  grid->setColumnStretch(2, 1);
  layout->addWidget(global);

  // Root and tip: the same rows in both columns.
  auto* ends = new QHBoxLayout;
  for (const bool tip : {false, true}) {
    auto* group = new QGroupBox(uiText(messageText(tip ? Msg::Tip : Msg::Root)), this);
    auto* rows = new QFormLayout(group);
    rows->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
    const auto f = [tip](F root) { return tip ? tipOf(root) : root; };

    auto* airfoil = new QHBoxLayout;
    QWidget* name = make(f(F::RootAirfoil), group);
    name->setFocusPolicy(Qt::ClickFocus);
    name->setMinimumWidth(name->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 14);
    auto* browse = qobject_cast<QPushButton*>(make(tip ? F::TipBrowse : F::RootBrowse, group));
    browse->setAutoDefault(false);
    browse->setFixedWidth(browse->fontMetrics().horizontalAdvance(QStringLiteral("....")) + 16);
    airfoil->addWidget(name, 1);
    airfoil->addWidget(browse);
    auto* airfoilLabel = new QLabel(uiText(PanelParamsForm::label(f(F::RootAirfoil))), group);
    airfoilLabel->setBuddy(browse);
    rows->addRow(airfoilLabel, airfoil);

    for (F field : {F::RootChord, F::RootLeMargin, F::RootTeMargin, F::RootWashout,
                    F::RootBasicHeight, F::RootCamber, F::RootThickness, F::RootSkin}) {
      QWidget* edit = make(f(field), group);
      rows->addRow(label(f(field), edit), edit);
    }
    ends->addWidget(group);
  }
  layout->addLayout(ends);
  layout->addWidget(makeOkCancel());

  bind();
  binder().setButtonAction(PanelParamsForm::id(F::RootBrowse),
                           [&form] { form.browseProfile(false); });
  binder().setButtonAction(PanelParamsForm::id(F::TipBrowse), [&form] { form.browseProfile(true); });
}

}  // namespace orva
