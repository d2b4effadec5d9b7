#pragma once

#include "ui/SceneView.h"

namespace orva {

// The profile view: the current panel's root and tip in section. A double
// click opens the panel's parameters; the right button the menu of the
// profile view.
class CT1View : public SceneView {
  Q_OBJECT

 public:
  CT1View(CT1Doc& doc, const CommandCatalogue& commands, QWidget* parent = nullptr);
  Scene buildScene(bool printing) const override;

 protected:
  PopupMenu popupMenu() const override { return PopupMenu::Profile; }
};

}  // namespace orva
