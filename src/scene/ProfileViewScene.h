#pragma once

#include "model/CT1Doc.h"
#include "scene/Scene.h"

namespace orva {

// The current panel of a project in section: root and tip, each with its
// foam block, chord and mean line, surfaces, cut outline, edge treatments,
// spars and (with legends) its description line. Logical unit 0.1 mm at
// zoom 1, Y up; the profile zoom scales every length.
class ProfileViewScene {
 public:
  struct Options {
    bool printing = false;  // black texts and a 10 mm left frame instead of 15 mm
  };

  static Scene build(const CT1Doc& doc, const Options& options);
  static Scene build(const CT1Doc& doc) { return build(doc, Options{}); }

  // The view's scroll size in logical units: trunc(width·s) × trunc(height·s).
  struct ScrollSize {
    long width = 0;
    long height = 0;
  };
  static ScrollSize scrollSize(const CT1Doc& doc, const Options& options);

  // Where the view puts each section: the logical point of its leading edge
  // at the height of the block bottom, and the logical units of one
  // millimetre of the section (the zoom included).
  struct SectionOrigins {
    Point2D root;
    Point2D tip;
    double unitsPerMm = 0.0;
  };
  static SectionOrigins sectionOrigins(const CT1Doc& doc, const Options& options);
};

}  // namespace orva
