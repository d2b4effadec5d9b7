#pragma once

#include <optional>
#include <vector>

#include "model/CT1Doc.h"
#include "scene/Scene.h"

namespace orva {

// The whole wing: per panel a front view and a top view side by side along the
// span, the current panel highlighted, and with legends the per-panel table
// and the wing's summary line. Logical unit 0.1 mm at zoom 1, Y up; the top of
// the drawing is y = 0 and it grows downwards into negative y.
class WingViewScene {
 public:
  struct Options {
    bool printing = false;  // every text black
  };

  struct Figures {
    double area = 0.0;          // dm², the sum of the panel areas
    double meanChord = 0.0;     // mm
    double rootDistance = 0.0;  // mm, from the root to the mean chord
  };

  struct Hit {
    int panel = 0;
    int wingSide = 0;  // 0 right wing, 1 left wing (the mirrored half)
  };

  static Scene build(const CT1Doc& doc, const Options& options);
  static Scene build(const CT1Doc& doc) { return build(doc, Options{}); }

  // Wing totals: panel area (ct + cr)·0.5·span·0.0001, the mean aerodynamic
  // chord weighted by area and its distance from the root; the area sums used
  // as divisors are accumulated in single precision.
  static Figures figures(const std::vector<Panel>& panels);

  // The panel under logical x (and, in full-wing mode, which half), for the
  // wing zoom and full-wing flag the scene was built with.
  static std::optional<Hit> hitTest(const std::vector<Panel>& panels, double wingZoom, bool fullWing, double x);

  // Logical x of the wing root: 200 units plus, in full-wing mode, the whole
  // span (the mirrored half lies left of it).
  static double rootX(const std::vector<Panel>& panels, double wingZoom, bool fullWing);
};

}  // namespace orva
