#include "ui/CAileView.h"

#include <QMouseEvent>

#include "scene/WingViewScene.h"

namespace orva {

CAileView::CAileView(CT1Doc& doc, const CommandCatalogue& commands, QWidget* parent)
    : SceneView(doc, commands, parent) {
  setObjectName(QStringLiteral("wingView"));
}

Scene CAileView::buildScene(bool printing) const {
  WingViewScene::Options options;
  options.printing = printing;
  return WingViewScene::build(*document(), options);
}

void CAileView::hitTest(QPoint viewportPoint) {
  CT1Doc* doc = document();
  if (!doc) return;
  const double x = toLogical(viewportPoint).x();
  const auto hit = WingViewScene::hitTest(doc->panels, doc->display.wingViewScale, doc->display.fullWing, x);
  if (!hit) return;
  const CT1Doc::ChangeBatch batch(*doc);
  if (doc->display.fullWing && doc->cutChoices.wingSide != hit->wingSide) {
    doc->cutChoices.wingSide = hit->wingSide;
    doc->notifyChanged(DocChange::DisplayOptions);
  }
  doc->SelectPanel(hit->panel);
}

void CAileView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) hitTest(event->position().toPoint());
  SceneView::mouseReleaseEvent(event);
}

}  // namespace orva
