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

// Caption lines (move, time) and legend entries above the drawing: the frame
// grows upwards by the band they need.
struct Band {
  double text = 0.0;  // font height
  double line = 0.0;  // pen width
};

// The title, the move and the time, then the legend, in a band above the
// drawing; returns the top of the band.
double header(Scene& s, const CutSimulation& sim, const WireState& wire, const Box& box, Band band,
              Msg title, std::initializer_list<std::pair<Msg, Color>> entries) {
  std::vector<std::pair<std::string, double>> lines;  // text and height, top first
  lines.emplace_back(std::string(messageText(title)), band.text);
  if (!sim.moves.empty() && wire.move < sim.moves.size()) {
    lines.emplace_back(formatMessage(Msg::SimMoveReadout,
                                     {intText(static_cast<long long>(wire.move + 1)),
                                      intText(static_cast<long long>(sim.moves.size())), wire.label}),
                       band.text * 0.85);
  }
  lines.emplace_back(formatMessage(Msg::SimTimeReadout, {seconds(wire.time), seconds(wire.remaining),
                                                         seconds(sim.totalTime)}),
                     band.text * 0.85);
  const std::size_t legendRows = (entries.size() + 1) / 2;
  const double row = band.text * 1.5;
  const double top = box.top + row * static_cast<double>(lines.size() + legendRows) + band.text;
  double y = top;
  for (const auto& [text, height] : lines) {
    y -= row;
    s.text({box.left, y}, text, kFont, height, height == band.text ? kBlack : kNavy);
  }
  const double sample = band.text * 2.5;
  const double column = std::max((box.right - box.left) / 2.0, band.text * 14.0);
  std::size_t i = 0;
  for (const auto& [text, color] : entries) {
    if (i % 2 == 0) y -= row;
    const double x = box.left + column * static_cast<double>(i % 2);
    s.line({x, y + band.text * 0.35}, {x + sample, y + band.text * 0.35},
           Pen{color, band.line * 2.0, PenStyle::Solid});
    s.text({x + sample + band.text * 0.5, y}, std::string(messageText(text)), kFont,
           band.text * 0.85, kBlack);
    ++i;
  }
  return top;
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

void finishFrame(Scene& s, const Box& box, double top, double margin) {
  s.frame = {box.left - margin, box.bottom - margin, box.right + margin, top + margin};
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

Scene CutSimulationScene::front(const CutSimulation& sim, const WireState& wire) {
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
  const Band band{size * kTextShare, size * kLineShare};

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

  for (std::size_t i = 0; i < sim.warnings.size(); ++i) {
    const SimulationWarning& w = sim.warnings[i];
    s.circle(w.point, band.text * 0.6, Pen{kWarningColor, band.line * 1.5, PenStyle::Solid});
    s.text({w.point.x + band.text * 0.8, w.point.y + band.text * 0.5},
           intText(static_cast<long long>(i + 1)), kFont, band.text * 0.8, kWarningColor);
  }

  // The wire from tower to tower, its face points marked.
  const WirePoints& at = wire.wire;
  s.line(at.left, at.right, Pen{kBlack, band.line * 1.2, PenStyle::Solid});
  const double mark = band.text * 0.3;
  s.circle(at.left, mark, Pen{kLeftTowerColor, band.line, PenStyle::Solid},
           Brush{true, kLeftTowerColor});
  s.circle(at.right, mark, Pen{kRightTowerColor, band.line, PenStyle::Solid},
           Brush{true, kRightTowerColor});
  s.circle(at.tip, mark * 1.3, Pen{kBlack, band.line, PenStyle::Solid}, Brush{true, kTipColor});
  s.circle(at.root, mark * 1.3, Pen{kBlack, band.line, PenStyle::Solid}, Brush{true, kRootColor});

  const double top = header(s, sim, wire, box, band, Msg::SimFrontTitle,
                            {{Msg::SimRootFacePath, kRootColor},
                             {Msg::SimTipFacePath, kTipColor},
                             {Msg::SimLeftTowerPath, kLeftTowerColor},
                             {Msg::SimRightTowerPath, kRightTowerColor}});
  finishFrame(s, box, top, size * kMarginShare);
  return s;
}

Scene CutSimulationScene::oblique(const CutSimulation& sim, const WireState& wire,
                                  const ObliqueAngles& angles) {
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

  // The swept surface: one quad per move that moves the wire through the block.
  struct Quad {
    std::array<Point2D, 4> corners;
    double depth;
    Color color;
  };
  std::vector<Quad> quads;
  quads.reserve(sim.moves.size());
  const Vec3 eye = view.eye();
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
    const double light = std::fabs(dot(n, eye)) / area;
    const Color base = i < wire.move ? kCutSurface : kUncutSurface;
    quads.push_back({{view.map(a), view.map(b), view.map(c), view.map(d)},
                     (view.depth(a) + view.depth(b) + view.depth(c) + view.depth(d)) * 0.25,
                     shade(base, light)});
  }
  std::stable_sort(quads.begin(), quads.end(),
                   [](const Quad& p, const Quad& q) { return p.depth > q.depth; });

  Box box;
  for (const Vec3& c : corners) box.add(view.map(c));
  for (const Quad& q : quads) {
    for (const Point2D& p : q.corners) box.add(p);
  }
  const double size = box.size();
  const Band band{size * kTextShare, size * kLineShare};

  // The block's edges behind everything else.
  const Pen blockPen{kBlockColor, band.line * 0.8, PenStyle::Dashed};
  constexpr int kEdges[12][2] = {{0, 1}, {1, 2}, {2, 3}, {3, 0}, {4, 5}, {5, 6},
                                 {6, 7}, {7, 4}, {0, 4}, {1, 5}, {2, 6}, {3, 7}};
  for (const auto& e : kEdges) s.line(view.map(corners[e[0]]), view.map(corners[e[1]]), blockPen);

  s.items.reserve(s.items.size() + quads.size() + 8);
  for (const Quad& q : quads) {
    // The outline in the fill colour closes the seams between neighbours.
    s.polygon({q.corners.begin(), q.corners.end()}, Pen{q.color, 0.0, PenStyle::Solid},
              Brush{true, q.color});
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
  s.polyline(tipPath, Pen{kTipColor, band.line * 1.2, PenStyle::Solid});
  s.polyline(rootPath, Pen{kRootColor, band.line * 1.2, PenStyle::Solid});

  // The wire through the block, its face points marked.
  const Point2D wr = view.map(onRoot(wire.wire.root));
  const Point2D wt = view.map(onTip(wire.wire.tip));
  s.line(wr, wt, Pen{kBlack, band.line * 1.5, PenStyle::Solid});
  const double mark = band.text * 0.35;
  s.circle(wt, mark, Pen{kBlack, band.line, PenStyle::Solid}, Brush{true, kTipColor});
  s.circle(wr, mark, Pen{kBlack, band.line, PenStyle::Solid}, Brush{true, kRootColor});

  const double top = header(s, sim, wire, box, band, Msg::SimObliqueTitle,
                            {{Msg::SimRootFacePath, kRootColor}, {Msg::SimTipFacePath, kTipColor}});
  finishFrame(s, box, top, size * kMarginShare);
  return s;
}

}  // namespace orva
