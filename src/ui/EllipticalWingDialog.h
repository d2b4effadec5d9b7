#pragma once

#include "model/EllipticalWingForm.h"
#include "scene/Scene.h"
#include "ui/FormDialog.h"

class QLabel;
class QTableWidget;
class QWidget;

namespace orva {

// "Ellipsoidal wing design": the ellipse model on the left, the panels
// computed from it in a table and a planform drawing, all brought up to date
// on every edit.
class EllipticalWingDialog : public FormDialog {
 public:
  EllipticalWingDialog(EllipticalWingForm& form, QWidget* parent);

  // The planform drawing: both wing halves, span across, leading edge up,
  // with the half-ellipses and panels the display options select.
  static Scene planformScene(const EllipticalWingForm& form);

 private:
  void showComputation();

  EllipticalWingForm& ellipseForm_;
  QLabel* lengthOverChord_ = nullptr;
  QLabel* modelSurface_ = nullptr;
  QLabel* panelCount_ = nullptr;
  QLabel* panelsSurface_ = nullptr;
  QTableWidget* table_ = nullptr;
  QWidget* drawing_ = nullptr;
};

}  // namespace orva
