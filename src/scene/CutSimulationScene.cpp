#include "scene/CutSimulationScene.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "common/Messages.h"
#include "common/NumberText.h"

namespace orva {

namespace {

constexpr const char* kFont = "Arial";
constexpr Color kBlockColor{120, 120, 120};
constexpr Color kCutSurface{70, 110, 190};
constexpr Color kUncutSurface{205, 205, 205};

// Sizes relative to the larger side of the drawing.
constexpr double kTextShare = 0.028;
constexpr double kLineShare = 0.0025;
constexpr double kMarginShare = 0.05;
// Shades of the swept surface, and the most quads drawn as one strip.
constexpr double kShades = 24.0;
constexpr std::size_t kStripQuads = 24;
// The face paths of the oblique view keep a point about every 1/1000 of the
// drawing's size.
constexpr double kPathResolution = 0.001;

struct Box {
  double left = 1e300, bottom = 1e300, right = -1e300, top = -1e300;
  void add(const Point2D& p) {
    left = std::min(left, p.x);
    right = std::max(right, p.x);
    bottom = std::min(bottom, p.y);
    top = std::max(top, p.y);
  }
  bool empty() const { return left > right; }
  double size() const { return empty() ? 1.0 : std::max({right - left, top - bottom, 1.0}); }
};

std::string seconds(double s) { return fixedText(s, 1); }

// How a point of the wire is marked, in the picture and in the legend: each
// kind its own shape and size, so that marks lying on one another can still
// be told apart (the root's disc shows inside the tip's diamond, both inside
// a warning's ring).
enum class Mark { None, Disc, Diamond, Square, Ring };

// Sizes of the marks, in text heights: the diamond of the tip wider than the
// disc of the root drawn over it, the towers' squares smaller, a warning's
// ring around them all.
constexpr double kDiscRadius = 0.3;
constexpr double kDiamondRadius = 0.55;
constexpr double kSquareHalf = 0.25;
constexpr double kRingRadius = 0.8;

// A mark at `at`, its size in proportion to the text height `text`.
void mark(Scene& s, Mark kind, const Point2D& at, double text, double line, const Color& color) {
  const Pen outline{kBlack, line * 0.6, PenStyle::Solid};
  switch (kind) {
    case Mark::None:
      break;
    case Mark::Disc:
      s.circle(at, text * kDiscRadius, outline, Brush{true, color});
      break;
    case Mark::Diamond: {
      const double r = text * kDiamondRadius;
      s.polygon({{at.x - r, at.y}, {at.x, at.y + r}, {at.x + r, at.y}, {at.x, at.y - r}}, outline,
                Brush{true, color});
      break;
    }
    case Mark::Square: {
      const double h = text * kSquareHalf;
      s.rectangle({at.x - h, at.y - h}, {at.x + h, at.y + h}, outline, Brush{true, color});
      break;
    }
    case Mark::Ring:
      s.circle(at, text * kRingRadius, Pen{color, line * 1.5, PenStyle::Solid});
      break;
  }
}

// Caption lines (move, time) and legend entries above the drawing: the frame
// grows upwards by the band they need.
struct Band {
  double text = 0.0;  // font height
  double line = 0.0;  // pen width
};

// One entry of a legend: a sample of the line (none for a mark alone) with
// the mark drawn on it, and its text.
struct LegendEntry {
  Msg text;
  Color color;
  Mark mark = Mark::None;
  bool line = true;
};

// How far the band above the drawing reaches: its top, and its sides when
// the legend is wider than the drawing.
struct BandExtent {
  double left = 0.0;
  double right = 0.0;
  double top = 0.0;
};

// The title, the move and the time, then the legend, in a band above the
// drawing. The legend takes as many columns as fit in the drawing's width or
// in twice its height, whichever is more (a tall drawing in a wide window
// would otherwise lose its height to a legend of one column), centred over
// the drawing when wider than it.
BandExtent header(Scene& s, const CutSimulation& sim, const WireState& wire, const Box& box, Band band,
              bool captions, Msg title, const std::vector<LegendEntry>& entries) {
  std::vector<std::pair<std::string, double>> lines;  // text and height, top first
  if (captions) lines.emplace_back(std::string(messageText(title)), band.text);
  if (captions && !sim.moves.empty() && wire.move < sim.moves.size()) {
    lines.emplace_back(
        formatMessage(Msg::SimMoveReadout,
                      {intText(static_cast<long long>(MoveNumber(wire.move))),
                       intText(static_cast<long long>(sim.moves.size())), wire.label}),
        band.text * 0.85);
  }
  if (captions) {
    lines.emplace_back(formatMessage(Msg::SimTimeReadout, {seconds(wire.time), seconds(wire.remaining),
                                                           seconds(sim.totalTime)}),
                       band.text * 0.85);
  }
  // A column: the sample and a text of about 12 characters.
  const double sample = band.text * 2.5;
  const double columnWidth = band.text * 12.0;
  const double width = box.right - box.left;
  const double room = std::max(width, 2.0 * (box.top - box.bottom));
  const std::size_t columns = std::clamp<std::size_t>(static_cast<std::size_t>(room / columnWidth), 1,
                                                      std::max<std::size_t>(entries.size(), 1));
  const double column = std::max(width / static_cast<double>(columns), columnWidth);
  const double legendWidth = column * static_cast<double>(columns);
  const double left = std::min(box.left, (box.left + box.right - legendWidth) / 2.0);
  const std::size_t legendRows = (entries.size() + columns - 1) / columns;
  const double row = band.text * 1.5;
  const double top = box.top + row * static_cast<double>(lines.size() + legendRows) + band.text * 0.5;
  double y = top;
  for (const auto& [text, height] : lines) {
    y -= row;
    s.text({left, y}, text, kFont, height, height == band.text ? kBlack : kNavy);
  }
  std::size_t i = 0;
  for (const LegendEntry& entry : entries) {
    if (i % columns == 0) y -= row;
    const double x = left + column * static_cast<double>(i % columns);
    const double middle = y + band.text * 0.35;
    if (entry.line) {
      s.line({x, middle}, {x + sample, middle},
             Pen{entry.color, band.line * 2.0, PenStyle::Solid});
    }
    // A ring as large as in the drawing would not fit in its row.
    mark(s, entry.mark, {x + sample / 2.0, middle},
         entry.mark == Mark::Ring ? band.text * 0.7 : band.text, band.line, entry.color);
    s.text({x + sample + band.text * 0.5, y}, std::string(messageText(entry.text)), kFont,
           band.text * 0.85, kBlack);
    ++i;
  }
  return {left, std::max(box.right, left + legendWidth), top};
}

PointList pathOf(const CutSimulation& sim, Point2D WirePoints::*which) {
  PointList out;
  out.reserve(sim.moves.size() + 1);
  out.push_back(sim.start.*which);
  for (const SimulatedMove& m : sim.moves) {
    if (!(m.end.*which == out.back())) out.push_back(m.end.*which);
  }
  return out;
}

// A path without the points closer than `step` to the last one kept (the
// end always kept): what a picture of this size can show of it.
PointList thinned(const PointList& path, double step) {
  if (path.size() < 3) return path;
  PointList out;
  out.reserve(path.size());
  out.push_back(path.front());
  for (std::size_t i = 1; i + 1 < path.size(); ++i) {
    if (std::hypot(path[i].x - out.back().x, path[i].y - out.back().y) >= step) out.push_back(path[i]);
  }
  out.push_back(path.back());
  return out;
}

Band bandOf(const CutSceneStyle& style, double size) {
  return {style.textSize > 0.0 ? style.textSize : size * kTextShare,
          style.lineWidth > 0.0 ? style.lineWidth : size * kLineShare};
}

void finishFrame(Scene& s, const Box& box, const BandExtent& band, double margin) {
  s.frame = {std::min(box.left, band.left) - margin, box.bottom - margin,
             std::max(box.right, band.right) + margin, band.top + margin};
}

// ---- Oblique projection ---------------------------------------------------

struct Vec3 {
  double x = 0.0, y = 0.0, z = 0.0;
};

Vec3 operator-(const Vec3& a, const Vec3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 cross(const Vec3& a, const Vec3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double dot(const Vec3& a, const Vec3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(const Vec3& a) { return std::sqrt(dot(a, a)); }

// World (X chord, Y up, Z along the wire) to the picture plane (u right, v
// up) and a depth that grows away from the eye.
class Projection {
 public:
  Projection(const ObliqueAngles& angles, const Vec3& centre) : centre_(centre) {
    const double az = angles.azimuth * kPi / 180.0;
    const double el = std::clamp(angles.elevation, -89.0, 89.0) * kPi / 180.0;
    ca_ = std::cos(az);
    sa_ = std::sin(az);
    ce_ = std::cos(el);
    se_ = std::sin(el);
  }
  Point2D map(const Vec3& w) const {
    const Vec3 p = w - centre_;
    const double u = p.x * ca_ - p.z * sa_;
    const double d = p.x * sa_ + p.z * ca_;
    return {u, p.y * ce_ + d * se_};
  }
  double depth(const Vec3& w) const {
    const Vec3 p = w - centre_;
    const double d = p.x * sa_ + p.z * ca_;
    return d * ce_ - p.y * se_;
  }
  // The direction towards the eye, in world coordinates.
  Vec3 eye() const { return {-sa_ * ce_, se_, -ca_ * ce_}; }

 private:
  Vec3 centre_;
  double ca_ = 1.0, sa_ = 0.0, ce_ = 1.0, se_ = 0.0;
};

Color shade(const Color& base, double light) {
  const double k = 0.45 + 0.55 * std::clamp(light, 0.0, 1.0);
  return {static_cast<int>(base.r * k), static_cast<int>(base.g * k), static_cast<int>(base.b * k)};
}

}  // namespace

Scene CutSimulationScene::front(const CutSimulation& sim, const WireState& wire,
                                const CutSceneStyle& style) {
  Scene s;
  s.unitsPerMm = 1.0;
  const PointList root = pathOf(sim, &WirePoints::root);
  const PointList tip = pathOf(sim, &WirePoints::tip);
  const PointList left = pathOf(sim, &WirePoints::left);
  const PointList right = pathOf(sim, &WirePoints::right);

  Box box;
  for (const PointList* path : {&root, &tip, &left, &right}) {
    for (const Point2D& p : *path) box.add(p);
  }
  box.add({sim.rootRear, 0.0});
  box.add({sim.rootFront, sim.blockHeight});
  box.add({sim.tipRear, 0.0});
  box.add({sim.tipFront, sim.blockHeight});
  for (const Point2D& p : {wire.wire.left, wire.wire.right}) box.add(p);
  const double size = box.size();
  const Band band = bandOf(style, size);

  // The block's faces: the root face solid, the tip face dashed.
  s.rectangle({sim.rootRear, 0.0}, {sim.rootFront, sim.blockHeight},
              Pen{kBlockColor, band.line, PenStyle::Solid});
  s.rectangle({sim.tipRear, 0.0}, {sim.tipFront, sim.blockHeight},
              Pen{kBlockColor, band.line, PenStyle::Dashed});
  // The table surface under everything.
  s.line({box.left, 0.0}, {box.right, 0.0}, Pen{kGrey, band.line, PenStyle::Dotted});

  // Tower paths first, face paths over them.
  s.polyline(left, Pen{kLeftTowerColor, band.line, PenStyle::Solid});
  s.polyline(right, Pen{kRightTowerColor, band.line, PenStyle::Solid});
  s.polyline(tip, Pen{kTipColor, band.line * 1.4, PenStyle::Solid});
  s.polyline(root, Pen{kRootColor, band.line * 1.4, PenStyle::Solid});

  // Each warning: a ring at the root and the tip point of its first move,
  // beside it the number of that move, as its text and the time line count
  // them. Rings that would overlap make one, with every move number.
  struct Ring {
    Point2D at;
    std::vector<std::size_t> moves;
  };
  std::vector<Ring> rings;
  const double ringRadius = band.text * kRingRadius;
  for (const SimulationWarning& w : sim.warnings) {
    for (const Point2D& p : {w.root, w.tip}) {
      const auto near = std::find_if(rings.begin(), rings.end(), [&](const Ring& r) {
        return std::hypot(r.at.x - p.x, r.at.y - p.y) < 2.0 * ringRadius;
      });
      Ring& ring = near != rings.end() ? *near : rings.emplace_back(Ring{p, {}});
      if (std::find(ring.moves.begin(), ring.moves.end(), w.moveIndex) == ring.moves.end()) {
        ring.moves.push_back(w.moveIndex);
      }
    }
  }
  for (const Ring& ring : rings) mark(s, Mark::Ring, ring.at, band.text, band.line, kWarningColor);

  // The wire from tower to tower over everything, its points marked: the
  // towers' small squares, the tip's diamond, the root's disc on top.
  const WirePoints& at = wire.wire;
  s.line(at.left, at.right, Pen{kBlack, band.line * 1.2, PenStyle::Solid});
  mark(s, Mark::Square, at.left, band.text, band.line, kLeftTowerColor);
  mark(s, Mark::Square, at.right, band.text, band.line, kRightTowerColor);
  mark(s, Mark::Diamond, at.tip, band.text, band.line, kTipColor);
  mark(s, Mark::Disc, at.root, band.text, band.line, kRootColor);
  // The rings' numbers last, so that no line crosses them.
  for (Ring& ring : rings) {
    std::sort(ring.moves.begin(), ring.moves.end());
    std::string numbers;
    for (std::size_t move : ring.moves) {
      if (!numbers.empty()) numbers += ", ";
      numbers += intText(static_cast<long long>(MoveNumber(move)));
    }
    s.text({ring.at.x + ringRadius * 0.8, ring.at.y + ringRadius * 0.8}, numbers, kFont,
           band.text * 0.9, kWarningColor);
  }

  std::vector<LegendEntry> legend = {
      {Msg::SimRootFacePath, kRootColor, Mark::Disc},
      {Msg::SimTipFacePath, kTipColor, Mark::Diamond},
      {Msg::SimLeftTowerPath, kLeftTowerColor, Mark::Square},
      {Msg::SimRightTowerPath, kRightTowerColor, Mark::Square},
      {Msg::SimWire, kBlack}};
  if (!rings.empty()) legend.push_back({Msg::SimWarningMark, kWarningColor, Mark::Ring, false});
  const BandExtent top =
      header(s, sim, wire, box, band, style.captions, Msg::SimFrontTitle, legend);
  finishFrame(s, box, top, size * kMarginShare);
  return s;
}

Scene CutSimulationScene::oblique(const CutSimulation& sim, const WireState& wire,
                                  const ObliqueAngles& angles, const CutSceneStyle& style) {
  Scene s;
  s.unitsPerMm = 1.0;
  const double rootZ = sim.rootZ;
  const double tipZ = sim.tipZ;
  const auto onRoot = [rootZ](const Point2D& p) { return Vec3{p.x, p.y, rootZ}; };
  const auto onTip = [tipZ](const Point2D& p) { return Vec3{p.x, p.y, tipZ}; };

  // The block's eight corners: rear/front, bottom/top, root/tip.
  const std::array<Vec3, 8> corners = {
      Vec3{sim.rootRear, 0.0, rootZ},           Vec3{sim.rootFront, 0.0, rootZ},
      Vec3{sim.rootFront, sim.blockHeight, rootZ}, Vec3{sim.rootRear, sim.blockHeight, rootZ},
      Vec3{sim.tipRear, 0.0, tipZ},             Vec3{sim.tipFront, 0.0, tipZ},
      Vec3{sim.tipFront, sim.blockHeight, tipZ},   Vec3{sim.tipRear, sim.blockHeight, tipZ}};
  Vec3 centre;
  for (const Vec3& c : corners) {
    centre.x += c.x / 8.0;
    centre.y += c.y / 8.0;
    centre.z += c.z / 8.0;
  }
  const Projection view(angles, centre);

  // The swept surface: one quad per move that moves the wire through the
  // block, shaded by how it faces the eye. Neighbouring quads of the same
  // shade are drawn as one strip (the root side forwards, the tip side
  // backwards), which paints far faster than thousands of slivers; strips
  // are short enough for the back-to-front order to hold where the surface
  // folds over itself.
  //
  // The wire goes round the outline, so the surface is closed but for the
  // way in and out, and its quads (root, tip, tip after, root after) all
  // face the same side of it: inwards when the root path turns
  // counter-clockwise and the tip lies further along the wire, or both the
  // other way. Quads facing away from the eye are painted first, so that
  // the far side of the outline never shows through the near one.
  double turning = 0.0;  // twice the area the root path encloses, signed
  {
    Point2D previous = sim.start.root;
    for (const SimulatedMove& m : sim.moves) {
      turning += previous.x * m.end.root.y - m.end.root.x * previous.y;
      previous = m.end.root;
    }
  }
  const double outward = (turning > 0.0) == (sim.tipZ > sim.rootZ) ? -1.0 : 1.0;
  struct Strip {
    PointList outline;
    double depth = 0.0;
    Color color;
    bool front = false;
  };
  std::vector<Strip> strips;
  const Vec3 eye = view.eye();
  PointList rootSide;
  PointList tipSide;
  double depthSum = 0.0;
  std::size_t count = 0;
  std::size_t lastMove = 0;
  Color color;
  bool facing = false;
  const auto flush = [&] {
    if (count == 0) return;
    Strip strip;
    strip.outline = std::move(rootSide);
    strip.outline.insert(strip.outline.end(), tipSide.rbegin(), tipSide.rend());
    strip.depth = depthSum / static_cast<double>(count);
    strip.color = color;
    strip.front = facing;
    strips.push_back(std::move(strip));
    rootSide.clear();
    tipSide.clear();
    depthSum = 0.0;
    count = 0;
  };
  for (std::size_t i = 0; i < sim.moves.size(); ++i) {
    const SimulatedMove& m = sim.moves[i];
    if (m.rapid) continue;
    const WirePoints& from = i == 0 ? sim.start : sim.moves[i - 1].end;
    const Vec3 a = onRoot(from.root);
    const Vec3 b = onTip(from.tip);
    const Vec3 c = onTip(m.end.tip);
    const Vec3 d = onRoot(m.end.root);
    const Vec3 n = cross(c - a, d - b);
    const double area = length(n);
    if (!(area > 1e-9)) continue;  // a pause, or a move along the wire itself
    const double towards = dot(n, eye) / area;
    const double light = std::round(std::fabs(towards) * kShades) / kShades;
    const Color shaded = shade(i < wire.move ? kCutSurface : kUncutSurface, light);
    const bool front = towards * outward > 0.0;
    if (count > 0 && (!(shaded == color) || front != facing || lastMove + 1 != i ||
                      count >= kStripQuads)) {
      flush();
    }
    if (count == 0) {
      color = shaded;
      facing = front;
      rootSide.push_back(view.map(a));
      tipSide.push_back(view.map(b));
    }
    rootSide.push_back(view.map(d));
    tipSide.push_back(view.map(c));
    depthSum += (view.depth(a) + view.depth(b) + view.depth(c) + view.depth(d)) * 0.25;
    ++count;
    lastMove = i;
  }
  flush();
  std::stable_sort(strips.begin(), strips.end(), [](const Strip& p, const Strip& q) {
    if (p.front != q.front) return q.front;
    return p.depth > q.depth;
  });

  Box box;
  for (const Vec3& c : corners) box.add(view.map(c));
  for (const Strip& strip : strips) {
    for (const Point2D& p : strip.outline) box.add(p);
  }
  const double size = box.size();
  const Band band = bandOf(style, size);

  // The block's edges behind everything else.
  const Pen blockPen{kBlockColor, band.line * 0.8, PenStyle::Dashed};
  constexpr int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                 {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  for (const auto& e : kEdges) s.line(view.map(corners[e[0]]), view.map(corners[e[1]]), blockPen);

  s.items.reserve(s.items.size() + strips.size() + 8);
  for (const Strip& strip : strips) {
    s.polygon(strip.outline, Pen{strip.color, 0.0, PenStyle::Solid},
              Brush{true, strip.color});
  }

  // The two outlines as cut: the face paths.
  PointList rootPath;
  PointList tipPath;
  rootPath.reserve(sim.moves.size() + 1);
  tipPath.reserve(sim.moves.size() + 1);
  rootPath.push_back(view.map(onRoot(sim.start.root)));
  tipPath.push_back(view.map(onTip(sim.start.tip)));
  for (const SimulatedMove& m : sim.moves) {
    rootPath.push_back(view.map(onRoot(m.end.root)));
    tipPath.push_back(view.map(onTip(m.end.tip)));
  }
  s.polyline(thinned(tipPath, size * kPathResolution), Pen{kTipColor, band.line, PenStyle::Solid});
  s.polyline(thinned(rootPath, size * kPathResolution), Pen{kRootColor, band.line, PenStyle::Solid});

  // The wire through the block, its face points marked.
  const Point2D wr = view.map(onRoot(wire.wire.root));
  const Point2D wt = view.map(onTip(wire.wire.tip));
  s.line(wr, wt, Pen{kBlack, band.line * 1.5, PenStyle::Solid});
  mark(s, Mark::Diamond, wt, band.text, band.line, kTipColor);
  mark(s, Mark::Disc, wr, band.text, band.line, kRootColor);

  const BandExtent top = header(s, sim, wire, box, band, style.captions, Msg::SimObliqueTitle,
                            {{Msg::SimRootFacePath, kRootColor, Mark::Disc},
                             {Msg::SimTipFacePath, kTipColor, Mark::Diamond},
                             {Msg::SimWire, kBlack}});
  finishFrame(s, box, top, size * kMarginShare);
  return s;
}

}  // namespace orva
