#include "ui/CT1View.h"

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

}  // namespace orva
