#include "scene/ProfileViewScene.h"

#include <algorithm>
#include <cmath>

#include "common/Messages.h"
#include "common/NumberText.h"

namespace orva {

namespace {

constexpr double kCoordinateRadius = 6.0;  // logical units, whatever the zoom
constexpr const char* kFont = "Times New Roman";
constexpr double kTextMm = 4.0;

// Height of a surface (points ordered by x) at `x`; the nearest end outside it.
double heightAt(const PointList& pts, double x) {
  if (pts.empty()) return 0.0;
  if (x <= pts.front().x) return pts.front().y;
  for (std::size_t i = 1; i < pts.size(); ++i) {
    if (x <= pts[i].x) {
      const double dx = pts[i].x - pts[i - 1].x;
      if (dx <= 0.0) return pts[i].y;
      return pts[i - 1].y + (pts[i].y - pts[i - 1].y) * (x - pts[i - 1].x) / dx;
    }
  }
  return pts.back().y;
}

double sparValue(int mode, double rootValue, double tipValue, double rootChord, double tipChord, bool tip) {
  if (!tip || mode == 0) return rootValue;
  if (mode == 1) return rootChord > 0.0 ? rootValue * tipChord / rootChord : rootValue;
  return tipValue;
}

struct Placement {
  double x0 = 0.0;  // mm of the leading edge
  double y0 = 0.0;  // mm of the block bottom
};

class Builder {
 public:
  Builder(const CT1Doc& doc, const ProfileViewScene::Options& opt)
      : doc_(doc), panel_(doc.current()), opt_(opt), s_(doc.display.profileViewScale * 10.0) {}

  double frameLeft() const { return opt_.printing ? 10.0 : 15.0; }

  // Places both sections: returns root then tip.
  std::pair<Placement, Placement> place() const {
    const double sweep = doc_.display.profilesWithoutSweep ? 0.0 : panel_.sweep;
    const double leftmost = std::min(-panel_.root.params.leMargin, sweep - panel_.tip.params.leMargin);
    Placement root{frameLeft() - leftmost, 10.0};
    Placement tip{root.x0 + sweep, 0.0};
    if (doc_.superposed) {
      tip.y0 = root.y0 + panel_.root.params.basicHeight - panel_.tip.params.basicHeight;
    } else {
      tip.y0 = root.y0 + panel_.foamThickness + 10.0;
    }
    return {root, tip};
  }

  ProfileViewScene::SectionOrigins origins() const {
    const auto [root, tip] = place();
    return {at(root, 0.0, 0.0), at(tip, 0.0, 0.0), s_};
  }

  ProfileViewScene::ScrollSize scroll() const {
    const auto [root, tip] = place();
    auto right = [&](const Section& sec, const Placement& p) {
      return p.x0 + sec.params.chord + sec.params.teMargin;
    };
    const double width = std::max(right(panel_.root, root), right(panel_.tip, tip)) + 20.0;
    const double top = std::max(root.y0, tip.y0) + panel_.foamThickness;
    const double height = top + 10.0 + (doc_.display.legends ? kTextMm + 2.0 : 0.0);
    return {static_cast<long>(width * s_), static_cast<long>(height * s_)};
  }

  Scene build() {
    scene_.unitsPerMm = 10.0;
    const auto size = scroll();
    scene_.frame = SceneRect{0.0, 0.0, static_cast<double>(size.width), static_cast<double>(size.height)};
    const auto [root, tip] = place();
    section(panel_.root, root, false);
    section(panel_.tip, tip, true);
    return std::move(scene_);
  }

 private:
  Point2D at(const Placement& p, double x, double y) const { return {(p.x0 + x) * s_, (p.y0 + y) * s_}; }

  // Section points are chord fractions.
  PointList mapped(const Placement& p, const PointList& pts, double chord, double bh) const {
    PointList out;
    out.reserve(pts.size());
    for (const Point2D& q : pts) out.push_back(at(p, q.x * chord, q.y * chord + bh));
    return out;
  }

  void surface(const PointList& pts, const Pen& pen, bool circles) {
    scene_.polyline(pts, pen);
    if (!circles) return;
    for (const Point2D& q : pts) scene_.circle(q, kCoordinateRadius, Pen{pen.color, 1.0, PenStyle::Solid});
  }

  void section(const Section& sec, const Placement& p, bool isTip) {
    const SectionParams& sp = sec.params;
    const double bh = sp.basicHeight;
    const double foam = panel_.foamThickness;
    const Color textColor = opt_.printing ? kBlack : kNavy;

    // Foam block.
    scene_.rectangle(at(p, -sp.leMargin, 0.0), at(p, sp.chord + sp.teMargin, foam), Pen{kBlue, 1.0, PenStyle::Solid});

    if (doc_.display.legends) {
      const std::string unit(messageText(Msg::UnitMm));
      std::string title;
      if (isTip) {
        title = std::string(messageText(Msg::Tip));
      } else {
        title = fillFields(
            "%s %d - %s", {messageText(Msg::Panel), doc_.currentPanel + 1, messageText(Msg::Root)});
      }
      std::string desc;
      const std::string name = sec.profile.name;
      if (panel_.wingPanel) {
        desc = fillFields(messageText(Msg::SectionLegendWing),
                          {name, sp.chord, unit, sp.skin, unit, sec.profile.maxCamber * 100.0,
                           sec.profile.maxThickness * 100.0});
      } else {
        desc = fillFields(messageText(Msg::SectionLegendOutline), {name, sp.chord, unit});
      }
      scene_.text(at(p, -sp.leMargin, foam + 2.0), title + ": " + desc, kFont, kTextMm * s_, textColor);
    }

    if (panel_.wingPanel) {
      const double a = sp.washout * (-0.017453292519444445);
      scene_.line(at(p, 0.0, bh), at(p, sp.chord * std::cos(a), bh + sp.chord * std::sin(a)),
                  Pen{kGrey, 1.0, PenStyle::Dotted});
      PointList mean;
      const double len = sp.chord * std::cos(a);
      for (int i = 0; i <= 50; ++i) {
        const double x = len * i / 50.0;
        const double f = x / sp.chord;
        mean.push_back(at(p, x, bh + 0.5 * sp.chord * (heightAt(sec.upper, f) + heightAt(sec.lower, f))));
      }
      scene_.polyline(mean, Pen{kMagenta, 1.0, PenStyle::Dotted});
    }

    const Pen surfacePen{kBlack, 2.0, PenStyle::Solid};
    surface(mapped(p, sec.upper, sp.chord, bh), surfacePen, doc_.display.profileCoordinates);
    if (panel_.wingPanel) surface(mapped(p, sec.lower, sp.chord, bh), surfacePen, doc_.display.profileCoordinates);
    surface(mapped(p, sec.cutUpper, sp.chord, bh), Pen{kRed, 1.0, PenStyle::Solid}, doc_.display.cutCoordinates);
    if (panel_.wingPanel) surface(mapped(p, sec.cutLower, sp.chord, bh), Pen{kGreen, 1.0, PenStyle::Solid}, doc_.display.cutCoordinates);

    edges(sec, p);
    spars(sec, p, isTip);
  }

  void edges(const Section& sec, const Placement& p) {
    const SectionParams& sp = sec.params;
    const double bh = sp.basicHeight;
    const Pen pen{kBlack, 2.0, PenStyle::Solid};
    auto mm = [&](Point2D q) { return Point2D{q.x * sp.chord, q.y * sp.chord}; };
    const Point2D le = sec.upper.empty() ? Point2D{0.0, 0.0} : mm(sec.upper.front());
    const Point2D teUp = sec.upper.empty() ? Point2D{sp.chord, 0.0} : mm(sec.upper.back());
    const Point2D teLow = sec.lower.empty() ? teUp : mm(sec.lower.back());
    const double blockEnd = sp.chord + sp.teMargin;
    // Leading edge: from the block's front face to the nose.
    if (panel_.leMode == LeHorizontal) {
      scene_.line(at(p, -sp.leMargin, le.y + bh), at(p, le.x, le.y + bh), pen);
    } else if (panel_.leMode == LeXCut) {
      const double h1 = sp.xleH1;
      const double h2 = sp.xleH2;
      const double l = sp.xleLength;
      scene_.polyline({at(p, -sp.leMargin, le.y + bh + h1), at(p, le.x - l, le.y + bh + h1), at(p, le.x, le.y + bh),
                       at(p, le.x - l, le.y + bh - h2), at(p, -sp.leMargin, le.y + bh - h2)},
                      pen);
    }
    // Trailing edge: from the trailing edge to the block's rear face.
    switch (panel_.teMode) {
      case TeHorizontal:
        scene_.line(at(p, teUp.x, teUp.y + bh), at(p, blockEnd, teUp.y + bh), pen);
        break;
      case TeMeanChord: {
        const double y = 0.5 * (teUp.y + teLow.y) + bh;
        scene_.line(at(p, teUp.x, y), at(p, blockEnd, y), pen);
        break;
      }
      case TeUpperAndLower:
        scene_.line(at(p, teUp.x, teUp.y + bh), at(p, blockEnd, teUp.y + bh), pen);
        scene_.line(at(p, teLow.x, teLow.y + bh), at(p, blockEnd, teLow.y + bh), pen);
        break;
      case TeUpperSurface:
      default:
        scene_.line(at(p, teUp.x, teUp.y + bh), at(p, blockEnd, teUp.y + bh), pen);
        scene_.line(at(p, teUp.x, teUp.y + bh), at(p, teLow.x, teLow.y + bh), pen);
        break;
    }
  }

  void spars(const Section& sec, const Placement& p, bool isTip) {
    const double rc = panel_.root.params.chord;
    const double tc = panel_.tip.params.chord;
    const double bh = sec.params.basicHeight;
    for (const SparRecord& r : panel_.spars) {
      if (!r.active) continue;
      const double w = sparValue(r.widthMode, r.rootWidth, r.tipWidth, rc, tc, isTip);
      const double t = sparValue(r.thicknessMode, r.rootThickness, r.tipThickness, rc, tc, isTip);
      const double x = r.distance * sec.params.chord / 100.0;
      const bool upper = r.type == 2 || r.type == 4 || r.type == 6;
      const double c = sec.params.chord;
      const double ys = bh + c * (upper ? heightAt(sec.upper, x / c) : heightAt(sec.lower, x / c));
      const double dir = upper ? -1.0 : 1.0;  // into the foam
      switch (r.type) {
        case 1:
        case 2:
          scene_.rectangle(at(p, x - w / 2, ys), at(p, x + w / 2, ys + dir * t), Pen{kBlue, 2.0, PenStyle::Solid});
          break;
        case 3:
        case 4:
          scene_.rectangle(at(p, x - w / 2, ys), at(p, x + w / 2, ys + dir * t), Pen{kGrey, 2.0, PenStyle::Solid});
          break;
        case 5:
        case 6: {
          // A round: a half circle of the spar's width opening on the surface.
          const Color col = r.type == 5 ? kRed : kGreen;
          scene_.arc(at(p, x, ys), w / 2 * s_, upper ? 180.0 : 0.0, 180.0, Pen{col, 2.0, PenStyle::Solid});
          break;
        }
        default: {
          // Hinge: the round slot between the surfaces at the spar's place.
          const double yc = bh + 0.5 * c * (heightAt(sec.upper, x / c) + heightAt(sec.lower, x / c));
          scene_.arc(at(p, x, yc), w / 2 * s_, 0.0, 360.0, Pen{kBlue, 2.0, PenStyle::Solid});
          break;
        }
      }
    }
  }

  const CT1Doc& doc_;
  const Panel& panel_;
  ProfileViewScene::Options opt_;
  double s_;
  Scene scene_;
};

}  // namespace

Scene ProfileViewScene::build(const CT1Doc& doc, const Options& options) { return Builder(doc, options).build(); }

ProfileViewScene::SectionOrigins ProfileViewScene::sectionOrigins(const CT1Doc& doc, const Options& options) {
  return Builder(doc, options).origins();
}

ProfileViewScene::ScrollSize ProfileViewScene::scrollSize(const CT1Doc& doc, const Options& options) {
  return Builder(doc, options).scroll();
}

}  // namespace orva
