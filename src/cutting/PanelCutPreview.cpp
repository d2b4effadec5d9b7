#include "cutting/PanelCutPreview.h"

#include <algorithm>
#include <cmath>

namespace orva {

Point2D PreviewMapping::toDevice(Point2D mm) const {
  return {offsetX + (mm.x - extent.left) * scale, offsetY + (extent.top - mm.y) * scale};
}

std::optional<Point2D> PreviewMapping::toLogical(Point2D pixel) const {
  if (!valid()) return std::nullopt;
  return Point2D{extent.left + (pixel.x - offsetX) / scale,
                 extent.top - (pixel.y - offsetY) / scale};
}

PreviewMapping FitPreview(const PreviewRect& extent, double widthPx, double heightPx) {
  PreviewMapping m;
  m.extent = extent;
  const double w = extent.width();
  const double h = extent.height();
  if (!(w > 0.0) || !(h > 0.0) || !(widthPx > 0.0) || !(heightPx > 0.0) || !std::isfinite(w) ||
      !std::isfinite(h)) {
    return m;
  }
  m.scale = std::min(widthPx / w, heightPx / h);
  m.offsetX = (widthPx - w * m.scale) * 0.5;
  m.offsetY = (heightPx - h * m.scale) * 0.5;
  return m;
}

}  // namespace orva
