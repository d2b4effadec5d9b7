#pragma once

#include <QPageSize>
#include <filesystem>
#include <string>

#include "scene/Scene.h"

class QPagedPaintDevice;

namespace orva {

// A scene written as a file of its frame's size. PNG at `dpi`; SVG and PDF in
// true millimetres (scene.unitsPerMm logical units one millimetre); the kind
// from the extension. Returns an error text, empty on success.
class SceneFiles {
 public:
  static std::string write(const Scene& scene, const std::filesystem::path& path,
                           double dpi = 96.0);
  // The scene at true scale on pages of `paper` (10 mm margins), tiled when it
  // is larger than one page.
  static std::string writeTiledPdf(const Scene& scene, const std::filesystem::path& path,
                                   const QPageSize& paper = QPageSize(QPageSize::A4));
  // The same on any paged device (a printer, a PDF writer) with its page
  // layout: tiles that overlap by 10 mm, each with alignment marks at the
  // corners where the next tile starts.
  static std::string printTiled(const Scene& scene, QPagedPaintDevice& device);
};

}  // namespace orva
