#pragma once

#include <QDialog>

namespace orva {

// The about box: the program's picture, its name and version; OK closes it.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);
};

}  // namespace orva
