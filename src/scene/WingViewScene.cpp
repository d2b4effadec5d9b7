#include "scene/WingViewScene.h"

#include <algorithm>
#include <cmath>

#include "common/Messages.h"
#include "common/NumberText.h"

namespace orva {

namespace {

constexpr const char* kFont = "Times New Roman";

std::string msg(Msg id) { return std::string(messageText(id)); }

double totalSpan(const std::vector<Panel>& panels) {
  double s = 0.0;
  for (const Panel& p : panels) s += p.span;
  return s;
}

// Spar pens of the current panel, by kind 1..7.
Pen sparPen(int type) {
  switch (type) {
    case 1: return Pen{kRed, 2.0, PenStyle::Solid};
    case 2: return Pen{kGreen, 2.0, PenStyle::Solid};
    case 3: return Pen{kRed, 2.0, PenStyle::Dashed};
    case 4: return Pen{kGreen, 2.0, PenStyle::Dashed};
    case 5: return Pen{kRed, 2.0, PenStyle::DashDot};
    case 6: return Pen{kGreen, 2.0, PenStyle::DashDot};
    default: return Pen{kGrey, 2.0, PenStyle::DashDot};
  }
}

class Builder {
 public:
  Builder(const CT1Doc& doc, const WingViewScene::Options& opt)
      : doc_(doc), opt_(opt), z_(doc.display.wingViewScale * 10.0) {
    textSize_ = z_ <= 1.0 ? 50.0 * z_ : 50.0;
  }

  Scene build() {
    scene_.unitsPerMm = 10.0;
    const auto& panels = doc_.panels;
    // Vertical layout (mm, downwards from the top): 20 mm, the front view, a gap, the top view.
    double maxFoam = 0.0;
    double maxEnvelope = 0.0;
    double chordExtent = 0.0;
    double t = 20.0;
    for (const Panel& p : panels) {
      maxFoam = std::max(maxFoam, p.foamThickness);
      maxEnvelope = std::max({maxEnvelope, p.root.params.basicHeight + p.root.MaxUpperY() * p.root.params.chord,
                              p.tip.params.basicHeight + p.tip.MaxUpperY() * p.tip.params.chord});
      t += p.root.params.leMargin;
      chordExtent = std::max({chordExtent, t + p.root.params.chord + p.root.params.teMargin,
                              t + p.sweep + p.tip.params.chord + p.tip.params.teMargin});
      t += p.sweep - p.tip.params.leMargin;
    }
    const double frontTop = std::max(maxFoam, maxEnvelope) + 10.0;
    frontBase_ = -(20.0 + frontTop);     // y of the front view's y = 0 line (mm)
    topBase_ = frontBase_ - 10.0;        // top view base line
    chordExtent_ = chordExtent + 10.0;   // chordwise room of the top view
    const double legendTop = topBase_ - chordExtent_ - 10.0;

    const double root = WingViewScene::rootX(panels, doc_.display.wingViewScale, doc_.display.fullWing) / z_;
    if (doc_.display.fullWing) {
      half(root, -1.0, doc_.cutChoices.wingSide == 1, legendTop);
      half(root, 1.0, doc_.cutChoices.wingSide == 0, legendTop);
    } else {
      half(root, 1.0, true, legendTop);
    }
    if (doc_.display.legends) legends(root, legendTop);

    const double right = root + totalSpan(panels) + 20.0;
    const double bottom = legendTop - (doc_.display.legends ? 9.0 * textSize_ / z_ : 0.0);
    scene_.frame = SceneRect{0.0, std::trunc(bottom * z_), std::trunc(right * z_), 0.0};
    // Texts wider than the room left of the drawing widen the frame to the left.
    if (const auto box = scene_.extent()) {
      scene_.frame.left = std::min(scene_.frame.left, std::floor(box->left));
      scene_.frame.right = std::max(scene_.frame.right, std::ceil(box->right));
    }
    return std::move(scene_);
  }

 private:
  double u(double mm) const { return std::trunc(mm * z_); }
  Point2D at(double xMm, double yMm) const { return {u(xMm), u(yMm)}; }
  double chordY(double c) const {
    // Chordwise coordinate c (mm from the base line) to y: the leading edge on top
    // when "LE on top" is on, the trailing edge on top otherwise.
    return doc_.display.leOnTop ? topBase_ - c : topBase_ - chordExtent_ + c;
  }

  // One half of the wing: dir +1 to the right of the root, -1 mirrored.
  void half(double root, double dir, bool selected, double /*legendTop*/) {
    double x = 0.0;
    double t = 20.0;
    for (std::size_t i = 0; i < doc_.panels.size(); ++i) {
      const Panel& p = doc_.panels[i];
      const bool current = selected && static_cast<int>(i) == doc_.currentPanel;
      const Pen outline = current ? Pen{kMagenta, 1.0, PenStyle::Solid} : Pen{kGrey, 1.0, PenStyle::Solid};
      const Pen blockPen = current ? Pen{kBlue, 1.0, PenStyle::Solid} : Pen{kGrey, 1.0, PenStyle::Solid};
      const Pen grey2{kGrey, 2.0, PenStyle::Solid};
      const double x0 = root + dir * x;
      const double x1 = root + dir * (x + p.span);
      const SectionParams& r = p.root.params;
      const SectionParams& tp = p.tip.params;

      // Front view.
      const double fy = frontBase_ + 10.0;
      scene_.rectangle(at(x0, fy), at(x1, fy + p.foamThickness), blockPen);
      scene_.line(at(x0, fy + r.basicHeight + p.root.MaxUpperY() * r.chord), at(x1, fy + tp.basicHeight + p.tip.MaxUpperY() * tp.chord),
                  selected ? Pen{kRed, 2.0, PenStyle::Solid} : grey2);
      scene_.line(at(x0, fy + r.basicHeight + p.root.MinLowerY() * r.chord), at(x1, fy + tp.basicHeight + p.tip.MinLowerY() * tp.chord),
                  selected ? Pen{kGreen, 2.0, PenStyle::Solid} : grey2);

      // Top view.
      t += r.leMargin;
      const double cr = r.chord;
      const double ct = tp.chord;
      scene_.polygon({at(x0, chordY(t)), at(x0, chordY(t + cr)), at(x1, chordY(t + p.sweep + ct)),
                      at(x1, chordY(t + p.sweep))},
                     outline);
      scene_.polygon({at(x0, chordY(t - r.leMargin)), at(x0, chordY(t + cr + r.teMargin)),
                      at(x1, chordY(t + p.sweep + ct + tp.teMargin)), at(x1, chordY(t + p.sweep - tp.leMargin))},
                     blockPen);
      if (i == 0 && dir > 0.0) {
        const Color c = textColor(current);
        scene_.text(Point2D{u(x0) - 10.0, u(chordY(t))}, msg(Msg::Le), kFont, textSize_, c, TextAlign::Right);
        scene_.text(Point2D{u(x0) - 10.0, u(chordY(t + cr))}, msg(Msg::Te), kFont, textSize_, c, TextAlign::Right);
      }
      for (const SparRecord& s : p.spars) {
        if (!s.active) continue;
        const double lift = (s.type == 1 || s.type == 5) ? 2.0 : 0.0;  // units
        Point2D a = at(x0, chordY(t + s.distance * cr / 100.0));
        Point2D b = at(x1, chordY(t + p.sweep + s.distance * ct / 100.0));
        a.y += lift;
        b.y += lift;
        scene_.line(a, b, current ? sparPen(s.type) : Pen{kGrey, 2.0, PenStyle::Solid});
      }
      x += p.span;
      t += p.sweep - tp.leMargin;
    }
  }

  Color textColor(bool current) const {
    if (opt_.printing) return kBlack;
    return current ? kBlue : kDarkGrey;
  }

  void legends(double root, double top) {
    const double row = textSize_ / z_;  // mm
    auto y = [&](int i) { return top - row * (i + 1); };
    const std::string headers[7] = {msg(Msg::Panel),
                                    msg(Msg::LgMm),
                                    msg(Msg::CtMm),
                                    msg(Msg::CrMm),
                                    msg(Msg::SurfDm2),
                                    msg(Msg::AvC) + " " + msg(Msg::ParenthesisedMm),
                                    msg(Msg::DdDegPerMm)};
    const Color headColor = opt_.printing ? kBlack : kDarkGrey;
    // The header column ends just left of the drawing, whose left edge is at 200 units.
    for (int i = 0; i < 7; ++i)
      scene_.text(Point2D{190.0, u(y(i))}, headers[i], kFont, textSize_, headColor, TextAlign::Right);
    double x = 0.0;
    for (std::size_t i = 0; i < doc_.panels.size(); ++i) {
      const Panel& p = doc_.panels[i];
      const double cr = p.root.params.chord;
      const double ct = p.tip.params.chord;
      const int crT = static_cast<int>(cr);
      const int ctT = static_cast<int>(ct);
      const double mac = (ct * ct + ct * cr + cr * cr) / (ct + cr) * 0.6666666;
      const double dh = p.tip.params.basicHeight - p.root.params.basicHeight;
      const double angle = std::atan(dh / p.span) * 57.29582790879778;
      const int dhT = static_cast<int>(p.tip.params.basicHeight) - static_cast<int>(p.root.params.basicHeight);
      const std::string values[7] = {intText(static_cast<int>(i) + 1),
                                     formatField("%5.0f", p.span),
                                     intText(ctT),
                                     intText(crT),
                                     formatField("%-7.2f", (ctT + crT) * p.span * 0.5 * 0.0001),
                                     formatField("%-6.1f", mac),
                                     fillFields("%-6.1f%s%d", {angle, "/", dhT})};
      const Color c = textColor(static_cast<int>(i) == doc_.currentPanel);
      for (int r = 0; r < 7; ++r) scene_.text(at(root + x, y(r)), values[r], kFont, textSize_, c);
      x += p.span;
    }
    const WingViewScene::Figures f = WingViewScene::figures(doc_.panels);
    const std::string summary =
        fillFields("%s%s%s%6.1f%s%s%6.1f%s %s%6.2f%s",
                   {messageText(Msg::WingSummaryLead), messageText(Msg::AvC), "=", f.meanChord,
                    messageText(Msg::MmBlank), messageText(Msg::DistRootAvC), f.rootDistance, "mm",
                    messageText(Msg::SurfEquals), f.area, messageText(Msg::Dm2)});
    scene_.text(Point2D{190.0, u(y(8))}, summary, kFont, textSize_, headColor);
  }

  const CT1Doc& doc_;
  WingViewScene::Options opt_;
  double z_;
  double textSize_ = 50.0;
  double frontBase_ = 0.0;
  double topBase_ = 0.0;
  double chordExtent_ = 0.0;
  Scene scene_;
};

}  // namespace

Scene WingViewScene::build(const CT1Doc& doc, const Options& options) { return Builder(doc, options).build(); }

WingViewScene::Figures WingViewScene::figures(const std::vector<Panel>& panels) {
  float areaSum = 0.0f;
  double macSum = 0.0;
  double distSum = 0.0;
  double before = 0.0;
  for (const Panel& p : panels) {
    const double cr = p.root.params.chord;
    const double ct = p.tip.params.chord;
    if (ct + cr <= 0.0) {
      before += p.span;
      continue;
    }
    const double area = (ct + cr) * 0.5 * p.span * 0.0001;
    const double mac = (ct * ct + ct * cr + cr * cr) / (ct + cr) * 0.6666666;
    const double y = (2.0 * ct + cr) / (ct + cr) * p.span * 0.3333333;
    areaSum += static_cast<float>(area);
    macSum += area * mac;
    distSum += area * (before + y);
    before += p.span;
  }
  Figures f;
  f.area = areaSum;
  if (areaSum > 0.0f) {
    f.meanChord = macSum / areaSum;
    f.rootDistance = distSum / areaSum;
  }
  return f;
}

double WingViewScene::rootX(const std::vector<Panel>& panels, double wingZoom, bool fullWing) {
  const double z = wingZoom * 10.0;
  return 200.0 + (fullWing ? std::trunc(totalSpan(panels) * z) : 0.0);
}

std::optional<WingViewScene::Hit> WingViewScene::hitTest(const std::vector<Panel>& panels, double wingZoom,
                                                         bool fullWing, double x) {
  const double z = wingZoom * 10.0;
  if (z <= 0.0) return std::nullopt;
  const double xr = (x - rootX(panels, wingZoom, fullWing)) / z;  // mm from the root
  double pos = 0.0;
  for (std::size_t i = 0; i < panels.size(); ++i) {
    const double next = pos + panels[i].span;
    if (xr >= pos && xr < next) return Hit{static_cast<int>(i), 0};
    if (fullWing && xr <= -pos && xr > -next) return Hit{static_cast<int>(i), 1};
    pos = next;
  }
  return std::nullopt;
}

}  // namespace orva
