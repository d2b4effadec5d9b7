#pragma once

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QPrinter;
class QRadioButton;

namespace orva {

// "Printing Configuration": the paper the views are printed on. A system
// printer is set up with the system's own page dialog; without one the
// printer writes PDF files, which that dialog refuses to set up, and this
// dialog sets their paper size, orientation and margins instead.
class PageSetupDialog : public QDialog {
 public:
  PageSetupDialog(QPrinter& printer, QWidget* parent);

  // Runs the dialog that suits `printer`, modal over `parent`; true when the
  // page was changed.
  static bool edit(QPrinter& printer, QWidget* parent);

  // OK: the page goes to the printer; margins that leave no room on the
  // paper are refused with a message and the dialog stays open.
  void accept() override;

 private:
  QPrinter& printer_;
  QComboBox* paper_ = nullptr;
  QRadioButton* portrait_ = nullptr;
  QRadioButton* landscape_ = nullptr;
  QDoubleSpinBox* margins_[4] = {};  // left, top, right, bottom
};

}  // namespace orva
