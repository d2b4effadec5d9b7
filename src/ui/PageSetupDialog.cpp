#include "ui/PageSetupDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/Messages.h"
#include "ui/FormDialog.h"

namespace orva {

namespace {

// The paper sizes offered, the usual ones first.
constexpr QPageSize::PageSizeId kPaperSizes[] = {
    QPageSize::A4,     QPageSize::A3,    QPageSize::A5,      QPageSize::A2,
    QPageSize::A1,     QPageSize::A0,    QPageSize::B5,      QPageSize::B4,
    QPageSize::Letter, QPageSize::Legal, QPageSize::Tabloid, QPageSize::Ledger};

}  // namespace

bool PageSetupDialog::edit(QPrinter& printer, QWidget* parent) {
  if (printer.outputFormat() == QPrinter::NativeFormat) {
    QPageSetupDialog dialog(&printer, parent);
    return dialog.exec() == QDialog::Accepted;
  }
  PageSetupDialog dialog(printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

PageSetupDialog::PageSetupDialog(QPrinter& printer, QWidget* parent)
    : QDialog(parent), printer_(printer) {
  setWindowTitle(uiText(messageText(Msg::PageSetupTitle)));
  setModal(true);
  const QPageLayout page = printer.pageLayout();
  auto* layout = new QVBoxLayout(this);

  auto* rows = new QFormLayout;
  paper_ = new QComboBox(this);
  paper_->setObjectName(QStringLiteral("paperSize"));
  for (const QPageSize::PageSizeId id : kPaperSizes)
    paper_->addItem(QPageSize::name(id), static_cast<int>(id));
  const int current = paper_->findData(static_cast<int>(page.pageSize().id()));
  if (current < 0) {  // a size of the printer's own: kept on offer
    paper_->addItem(page.pageSize().name(), static_cast<int>(page.pageSize().id()));
    paper_->setCurrentIndex(paper_->count() - 1);
  } else {
    paper_->setCurrentIndex(current);
  }
  auto* paperLabel = new QLabel(uiText(messageText(Msg::PaperSize)), this);
  paperLabel->setBuddy(paper_);
  rows->addRow(paperLabel, paper_);
  layout->addLayout(rows);

  auto* orientation = new QGroupBox(uiText(messageText(Msg::Orientation)), this);
  auto* orientationRow = new QHBoxLayout(orientation);
  portrait_ = new QRadioButton(uiText(messageText(Msg::Portrait)), orientation);
  portrait_->setObjectName(QStringLiteral("portrait"));
  landscape_ = new QRadioButton(uiText(messageText(Msg::Landscape)), orientation);
  landscape_->setObjectName(QStringLiteral("landscape"));
  (page.orientation() == QPageLayout::Landscape ? landscape_ : portrait_)->setChecked(true);
  orientationRow->addWidget(portrait_);
  orientationRow->addWidget(landscape_);
  orientationRow->addStretch(1);
  layout->addWidget(orientation);

  auto* margins = new QGroupBox(uiText(messageText(Msg::MarginsMm)), this);
  auto* marginGrid = new QGridLayout(margins);
  const QMarginsF mm = page.margins(QPageLayout::Millimeter);
  const struct {
    Msg label;
    const char* name;
    double value;
    int row;
    int column;
  } sides[4] = {{Msg::MarginLeft, "marginLeft", mm.left(), 0, 0},
                {Msg::MarginTop, "marginTop", mm.top(), 0, 2},
                {Msg::MarginRight, "marginRight", mm.right(), 1, 0},
                {Msg::MarginBottom, "marginBottom", mm.bottom(), 1, 2}};
  for (int i = 0; i < 4; ++i) {
    auto* box = new QDoubleSpinBox(margins);
    box->setObjectName(QString::fromLatin1(sides[i].name));
    box->setDecimals(1);
    box->setRange(0.0, 500.0);
    box->setValue(sides[i].value);
    auto* label = new QLabel(uiText(messageText(sides[i].label)), margins);
    label->setBuddy(box);
    marginGrid->addWidget(label, sides[i].row, sides[i].column);
    marginGrid->addWidget(box, sides[i].row, sides[i].column + 1);
    margins_[i] = box;
  }
  layout->addWidget(margins);

  auto* buttons = new QDialogButtonBox(this);
  QPushButton* ok = buttons->addButton(uiText(messageText(Msg::Ok)), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("ok"));
  ok->setDefault(true);
  buttons->addButton(uiText(messageText(Msg::Cancel)), QDialogButtonBox::RejectRole);
  connect(buttons, &QDialogButtonBox::accepted, this, &PageSetupDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &PageSetupDialog::reject);
  layout->addWidget(buttons);
  assignMnemonics(*this);
}

void PageSetupDialog::accept() {
  const QPageSize size(static_cast<QPageSize::PageSizeId>(paper_->currentData().toInt()));
  const QPageLayout::Orientation orientation =
      landscape_->isChecked() ? QPageLayout::Landscape : QPageLayout::Portrait;
  const QMarginsF margins(margins_[0]->value(), margins_[1]->value(), margins_[2]->value(),
                          margins_[3]->value());
  const QPageLayout page(size, orientation, margins, QPageLayout::Millimeter);
  // Margins as wide as the paper leave nothing to print on.
  const QSizeF paper = page.fullRect(QPageLayout::Millimeter).size();
  const bool fits = margins.left() + margins.right() < paper.width() &&
                    margins.top() + margins.bottom() < paper.height();
  if (!fits || !printer_.setPageLayout(page)) {
    QMessageBox::warning(this, windowTitle(), uiText(messageText(Msg::MarginsDoNotFit)));
    margins_[0]->setFocus();
    return;
  }
  QDialog::accept();
}

}  // namespace orva
