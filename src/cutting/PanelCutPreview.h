#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "geometry/Point2D.h"

namespace orva {

// The two previews of the Panel Cutting dialog as plain records (PanelCutForm
// fills them, the scene layer draws them), and how one is fitted into a widget.
//
// Both previews are drawn in millimetres with the Y axis up. Horizontal is
// the distance along the wire from the tower drawn on the left (the table
// width E lies from 0 to E); the table is drawn as the operator sees it, so
// with the reverse layout the left tower of the drawing is the right tower
// of the machine ("Back View") and the picture of the block is the same.

struct PreviewRect {
  double left = 0.0;
  double bottom = 0.0;
  double right = 0.0;
  double top = 0.0;

  double width() const { return right - left; }
  double height() const { return top - bottom; }
  friend bool operator==(const PreviewRect&, const PreviewRect&) = default;
};

struct PreviewSegment {
  Point2D a;
  Point2D b;
  friend bool operator==(const PreviewSegment&, const PreviewSegment&) = default;
};

// A graduation: its position (mm) and whether it is a long one (every 100 mm).
struct PreviewTick {
  double position = 0.0;
  bool major = false;
  friend bool operator==(const PreviewTick&, const PreviewTick&) = default;
};

// The front view: the table between the towers and its vertical travel
// (cut heights: 0 is the table surface), graduations every 50 mm, the block
// and the root-side and tip-side section planes with the height of their
// outlines.
struct FrontPreview {
  std::string title;                     // "Front View", or "Back View" with the reverse layout
  PreviewRect extent;                    // the table with a 40 mm margin all round
  PreviewRect table;                     // 0..E, the vertical travel
  std::vector<PreviewTick> widthTicks;   // along the table, from the left tower
  std::vector<PreviewTick> heightTicks;  // along the vertical travel, from the table surface
  PreviewRect block;                     // side offset .. side offset + L, 0 .. foam thickness
  PreviewSegment rootSection;            // vertical extent of the outline on the root side
  PreviewSegment tipSection;             // the same on the tip side
};

// The top view: points are (distance along the wire, X of the cut
// coordinates: 0 at the wire's home position, growing towards the leading
// edges). The block outline and the planform are closed polygons.
struct TopPreview {
  std::string title;      // "Top View"
  PreviewRect extent;     // the table with a 40 mm margin all round
  PreviewRect table;      // 0..E, the X travel
  PreviewRect leftTower;  // the towers, drawn outside the table
  PreviewRect rightTower;
  std::array<Point2D, 4> block{};  // root-side rear, root-side front, tip-side front, tip-side rear
  // The block grown by the table's block margins: MargeBlocX in X (behind
  // the rear and in front of the front faces), MargeBlocZ along the wire
  // (outside both faces); the same order of corners.
  std::array<Point2D, 4> blockWithMargins{};
  std::array<Point2D, 4> planform{};  // root LE, tip LE, tip TE, root TE of the whole panel
  std::optional<PreviewSegment> intermediate;  // LE to TE of the intermediate section
  std::vector<Point2D> snapPoints;             // the characteristic points a click snaps to
  bool reverseLayout = false;
};

// How a preview is fitted into a widget: a uniform scale, the extent centred.
struct PreviewMapping {
  PreviewRect extent;
  double scale = 0.0;    // pixels per mm; 0 when nothing can be shown
  double offsetX = 0.0;  // pixel of the extent's left edge
  double offsetY = 0.0;  // pixel of the extent's top edge

  bool valid() const { return scale > 0.0; }
  Point2D toDevice(Point2D mm) const;
  // Nothing when the mapping is not valid.
  std::optional<Point2D> toLogical(Point2D pixel) const;
};

// The largest uniform scale that shows the whole extent in a widget of the
// given size in pixels. Not valid for an empty widget or extent.
PreviewMapping FitPreview(const PreviewRect& extent, double widthPx, double heightPx);

// A click in the top view: the point shown (the click, or the characteristic
// point it snapped to) and its text "%d %d": first the distance along the
// wire from the machine's left tower, or from its right tower for a right
// click (the towers change sides in the drawing with the reverse layout),
// then X of the cut coordinates, both truncated to whole millimetres.
struct PreviewClick {
  Point2D point;
  bool snapped = false;
  std::string text;
};

// Clicks closer than this to a characteristic point (pixels) snap to it.
inline constexpr double kSnapPixels = 2.0;
// Margin around the table in both previews, mm.
inline constexpr double kPreviewMargin = 40.0;

}  // namespace orva
