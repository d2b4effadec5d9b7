#include "ui/CT1View.h"

#include <QPainter>

#include "render/ScenePainter.h"
#include "scene/ProfileViewScene.h"

namespace orva {

CT1View::CT1View(CT1Doc& doc, const CommandCatalogue& commands, QWidget* parent)
    : SceneView(doc, commands, parent) {
  setObjectName(QStringLiteral("profileView"));
}

Scene CT1View::buildScene(bool printing) const {
  ProfileViewScene::Options options;
  options.printing = printing;
  return ProfileViewScene::build(*document(), options);
}

void CT1View::setLiveCut(std::optional<LiveCutOverlay> overlay) {
  liveCut_ = std::move(overlay);
  viewport()->update();
}

void CT1View::paintEvent(QPaintEvent* event) {
  SceneView::paintEvent(event);
  if (!liveCut_ || document() == nullptr) return;
  Scene overlay;
  overlay.unitsPerMm = scene().unitsPerMm;
  overlay.frame = scene().frame;
  liveCut_->addTo(overlay);
  QPainter painter(viewport());
  painter.setRenderHint(QPainter::Antialiasing);
  ScenePainter::paint(overlay, painter, logicalToViewport());
}

}  // namespace orva
