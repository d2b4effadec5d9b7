#pragma once

#include "cutting/PanelCutPreview.h"
#include "scene/Scene.h"

namespace orva {

// The two pictures of the Panel Cutting dialog as scenes in millimetres, Y up,
// built from the form's preview records.
class PreviewScenes {
 public:
  static Scene front(const FrontPreview& preview);
  static Scene top(const TopPreview& preview);
};

}  // namespace orva
