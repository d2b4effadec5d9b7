#pragma once

#include <QTransform>

#include "scene/Scene.h"

class QPainter;
class QPaintDevice;

namespace orva {

// Draws a scene on any paint device. The transform maps logical units (Y up)
// to device pixels; `fileTransform` builds the one of a file of true
// millimetres.
class ScenePainter {
 public:
  static void paint(const Scene& scene, QPainter& painter, const QTransform& logicalToDevice);

  // Logical → device for a device of `dotsPerMm`: the frame's top-left corner at
  // the device origin, `scene.unitsPerMm` logical units one millimetre.
  static QTransform fileTransform(const Scene& scene, double dotsPerMm);
};

}  // namespace orva
