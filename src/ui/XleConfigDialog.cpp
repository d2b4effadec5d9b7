#include "ui/XleConfigDialog.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "common/Messages.h"

namespace orva {

XleConfigDialog::XleConfigDialog(XleConfigForm& form, QWidget* parent)
    : FormDialog(form, XleConfigForm::title(), parent) {
  constexpr int kRows = static_cast<int>(XleField::TipAlpha);
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(uiText(messageText(Msg::Root)), this), 0, 1, Qt::AlignHCenter);
  grid->addWidget(new QLabel(uiText(messageText(Msg::Tip)), this), 0, 2, Qt::AlignHCenter);
  // The root column first, so Tab goes down the root values, then the tip's.
  for (int column = 0; column < 2; ++column) {
    for (int row = 0; row < kRows; ++row) {
      const int field = column * kRows + row;
      QWidget* edit = makeFieldWidget(*form.info(field), this);
      grid->addWidget(edit, row + 1, column + 1);
      if (column == 0) {
        auto* label = new QLabel(uiText(XleConfigForm::label(static_cast<XleField>(field))), this);
        label->setBuddy(edit);
        grid->addWidget(label, row + 1, 0);
      }
    }
  }
  layout->addLayout(grid);
  layout->addWidget(makeOkCancel());
  bind();
}

}  // namespace orva
