#pragma once

#include "ui/SceneView.h"

namespace orva {

// The wing view: every panel in front and top view with the legends. A left
// click makes the panel under the mouse current (in full-wing mode it also
// picks the half of the wing to cut); a double click opens its parameters;
// the right button selects it and opens the panel menu.
class CAileView : public SceneView {
  Q_OBJECT

 public:
  CAileView(CT1Doc& doc, const CommandCatalogue& commands, QWidget* parent = nullptr);
  Scene buildScene(bool printing) const override;

 protected:
  PopupMenu popupMenu() const override { return PopupMenu::Wing; }
  void hitTest(QPoint viewportPoint) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace orva
