#pragma once

#include <optional>

#include "scene/LiveCutOverlay.h"
#include "ui/SceneView.h"

namespace orva {

// The profile view: the current panel's root and tip in section. A double
// click opens the panel's parameters; the right button the menu of the
// profile view. While a cut runs, the wire's place and the path cut so far
// are drawn over the sections (setLiveCut).
class CT1View : public SceneView {
  Q_OBJECT

 public:
  CT1View(CT1Doc& doc, const CommandCatalogue& commands, QWidget* parent = nullptr);
  Scene buildScene(bool printing) const override;

  // The running cut's overlay; nothing once the cut is over.
  void setLiveCut(std::optional<LiveCutOverlay> overlay);
  const std::optional<LiveCutOverlay>& liveCut() const { return liveCut_; }

 protected:
  PopupMenu popupMenu() const override { return PopupMenu::Profile; }
  void paintEvent(QPaintEvent* event) override;

 private:
  std::optional<LiveCutOverlay> liveCut_;
};

}  // namespace orva
