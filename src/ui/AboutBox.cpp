#include "ui/AboutBox.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QIcon>
#include <QLabel>

#include "common/Messages.h"

namespace orva {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QString::fromUtf8(messageText(Msg::AboutTitle)));
  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("picture"));
  picture->setPixmap(QIcon(QStringLiteral(":/icons/orva.svg")).pixmap(QSize(64, 64)));
  auto* name = new QLabel(QString::fromUtf8(messageText(Msg::ApplicationTitle)), this);
  QFont bold = name->font();
  bold.setBold(true);
  name->setFont(bold);
  auto* version = new QLabel(
      QString::fromStdString(formatMessage(Msg::AboutVersion, {ORVA_VERSION})), this);
  version->setObjectName(QStringLiteral("version"));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* grid = new QGridLayout(this);
  grid->setHorizontalSpacing(16);
  grid->addWidget(picture, 0, 0, 2, 1, Qt::AlignTop);
  grid->addWidget(name, 0, 1);
  grid->addWidget(version, 1, 1);
  grid->addWidget(buttons, 2, 0, 1, 2);
  grid->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace orva
