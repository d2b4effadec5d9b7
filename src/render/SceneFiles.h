#pragma once

#include <filesystem>
#include <string>

#include "scene/Scene.h"

namespace orva {

// A scene written as a file of its frame's size. PNG at `dpi`; SVG and PDF in
// true millimetres (scene.unitsPerMm logical units one millimetre); the kind
// from the extension. A PDF larger than its page (A4 portrait) is tiled over
// several pages that overlap by 10 mm, each with alignment marks. Returns an
// error text, empty on success.
class SceneFiles {
 public:
  static std::string write(const Scene& scene, const std::filesystem::path& path, double dpi = 96.0);
  static std::string writeTiledPdf(const Scene& scene, const std::filesystem::path& path);
};

}  // namespace orva
