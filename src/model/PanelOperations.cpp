#include "model/PanelOperations.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "geometry/SectionBuilder.h"

namespace orva {

namespace {

bool hasValidCurrent(const CT1Doc& doc) {
  return !doc.panels.empty() && doc.currentPanel >= 0 &&
         static_cast<std::size_t>(doc.currentPanel) < doc.panels.size();
}

// Marks the project modified and tells the observers what changed.
void changed(CT1Doc& doc, DocChanges changes) { doc.markModified(changes); }

// A list operation: the list changed and so did the current panel (another
// panel object even where the index stays).
constexpr DocChanges kListChange = DocChange::PanelList | DocChange::CurrentPanel;

std::size_t currentIndex(const CT1Doc& doc) { return static_cast<std::size_t>(doc.currentPanel); }

std::vector<Panel>::iterator at(CT1Doc& doc, std::size_t index) {
  return doc.panels.begin() + static_cast<std::ptrdiff_t>(index);
}

// ---------------------------------------------------------------------------
// The split section's profile.

// The profile of a section whose cut outlines are `upper` and `lower`: the
// upper outline from the trailing edge to the leading edge, then the lower
// outline (its leading-edge point repeated), the leading edge at the end of
// the upper part. For a panel that is not a wing panel `upper` is one closed
// outline and `lower` is empty: the profile is that outline reversed (upper
// trailing edge first), its leading edge the point of smallest x.
// False when there is no point.
bool formSplitProfile(const PointList& upper, const PointList& lower, std::string name,
                      Profile& out) {
  if (upper.empty() && lower.empty()) return false;
  Profile profile;
  profile.name = std::move(name);
  profile.points.assign(upper.rbegin(), upper.rend());
  profile.points.insert(profile.points.end(), lower.begin(), lower.end());
  if (lower.empty()) {
    std::size_t best = 0;
    for (std::size_t i = 1; i < profile.points.size(); ++i) {
      if (profile.points[i].x < profile.points[best].x) best = i;
    }
    profile.leadingEdgeIndex = static_cast<int>(best);
  } else {
    profile.leadingEdgeIndex = upper.empty() ? 0 : static_cast<int>(upper.size() - 1);
  }
  profile.ComputeFigures();
  out = std::move(profile);
  return true;
}

// a × root + f × tip, point for point. Outlines of different counts (only
// panels that are not wing panels have unmatched outlines) are paired by the
// position of each root point along the root's list.
PointList interpolateOutline(const PointList& root, const PointList& tip, double a, double f) {
  if (root.empty()) return tip;
  if (tip.empty()) return root;
  PointList out(root.size());
  for (std::size_t k = 0; k < root.size(); ++k) {
    Point2D t;
    if (tip.size() == root.size()) {
      t = tip[k];
    } else if (root.size() == 1) {
      t = tip.front();
    } else {
      const double u = static_cast<double>(k) * static_cast<double>(tip.size() - 1) /
                       static_cast<double>(root.size() - 1);
      const auto i = std::min(static_cast<std::size_t>(u), tip.size() - 2);
      const double w = u - static_cast<double>(i);
      t = {tip[i].x + (tip[i + 1].x - tip[i].x) * w, tip[i].y + (tip[i + 1].y - tip[i].y) * w};
    }
    out[k] = {a * root[k].x + f * t.x, a * root[k].y + f * t.y};
  }
  return out;
}

// ---------------------------------------------------------------------------
// Section heights for the alignments, in mm in the section's outline frame.

double highestY(const Section& s) { return s.MaxUpperY(); }

// For a panel that is not a wing panel the closed outline is held in `upper`
// and `lower` is empty: its lowest point is the lowest point of that outline.
double lowestY(const Section& s) {
  if (!s.lower.empty()) return s.MinLowerY();
  double best = 10000.0;
  for (const Point2D& p : s.upper) best = std::min(best, p.y);
  return s.upper.empty() ? 0.0 : best;
}

double sectionHeight(const Section& s, SectionAlignment alignment) {
  const double c = s.params.chord;
  switch (alignment) {
    case SectionAlignment::UpperSide:
      return highestY(s) * c;
    case SectionAlignment::LowerSide:
      return lowestY(s) * c;
    case SectionAlignment::Middle:
      break;
  }
  return (highestY(s) + lowestY(s)) * c * 0.5;
}

// A tip margin that follows its root margin in proportion to the chords.
double proportionalMargin(double rootMargin, double rootChord, double tipChord) {
  if (!(rootMargin > 0.0)) return rootMargin;
  const double m = rootMargin * tipChord / rootChord;
  // A root chord of 0 has no proportion: the margin is copied.
  return std::isfinite(m) ? m : rootMargin;
}

bool outlineCountsDiffer(const Panel& p) {
  return p.root.cutUpper.size() != p.tip.cutUpper.size() ||
         p.root.cutLower.size() != p.tip.cutLower.size();
}

}  // namespace

Panel MakePanelFromSection(const Panel& neighbour, const Section& section, bool splines) {
  // The neighbour's panel-wide values and spars, but no sweep and one profile
  // on a wing panel.
  Panel panel;
  static_cast<PanelFields&>(panel) = neighbour;
  panel.spars = neighbour.spars;
  panel.sweep = 0.0;
  panel.differentRootTip = false;
  panel.wingPanel = true;
  panel.root.CopyFrom(section);
  panel.tip.CopyFrom(section);
  // The copies of a section of a panel that is not a wing panel hold one closed
  // outline and no lower outline, which a wing panel cannot be cut from.
  if (!neighbour.wingPanel) panel.Rebuild(splines, false);
  return panel;
}

bool NewPanelAtEnd(CT1Doc& doc) {
  if (doc.panels.empty()) return false;
  const Panel& last = doc.panels.back();
  Panel panel = MakePanelFromSection(last, last.tip, doc.splines);
  doc.panels.push_back(std::move(panel));
  doc.currentPanel = static_cast<int>(doc.panels.size() - 1);
  changed(doc, kListChange);
  return true;
}

bool NewPanelBeforeCurrent(CT1Doc& doc) {
  if (!hasValidCurrent(doc)) return false;
  const std::size_t cur = currentIndex(doc);
  Panel panel =
      cur > 0 ? MakePanelFromSection(doc.panels[cur - 1], doc.panels[cur - 1].tip, doc.splines)
              : MakePanelFromSection(doc.panels[cur], doc.panels[cur].root, doc.splines);
  doc.panels.insert(at(doc, cur), std::move(panel));
  // The new panel takes the current index.
  changed(doc, kListChange);
  return true;
}

bool NewPanelAfterCurrent(CT1Doc& doc) {
  if (!hasValidCurrent(doc)) return false;
  const std::size_t cur = currentIndex(doc);
  if (cur + 1 == doc.panels.size()) return NewPanelAtEnd(doc);
  Panel panel = MakePanelFromSection(doc.panels[cur], doc.panels[cur].tip, doc.splines);
  doc.panels.insert(at(doc, cur + 1), std::move(panel));
  doc.currentPanel = static_cast<int>(cur + 1);
  changed(doc, kListChange);
  return true;
}

bool DeleteCurrentPanel(CT1Doc& doc) {
  if (!hasValidCurrent(doc) || doc.panels.size() < 2) return false;
  const std::size_t cur = currentIndex(doc);
  doc.panels.erase(at(doc, cur));
  doc.currentPanel = cur > 0 ? static_cast<int>(cur - 1) : 0;
  changed(doc, kListChange);
  return true;
}

bool SplitCurrentPanel(CT1Doc& doc, double percent) {
  if (!hasValidCurrent(doc) || !(percent >= 0.0 && percent <= 100.0)) return false;
  const std::size_t cur = currentIndex(doc);
  Panel& p = doc.panels[cur];
  const double f = percent / 100.0;
  const double a = 1.0 - f;

  // 1. The outlines to interpolate: both ends without skin, the tip matched
  //    point for point to the root, neither turned by its washout.
  p.root.params.skin = 0.0;
  p.tip.params.skin = 0.0;
  Section root = p.root;
  Section tip = p.tip;
  root.params.washout = 0.0;
  tip.params.washout = 0.0;
  RebuildSections(root, tip, SectionBuildOptions{p.wingPanel, true, doc.splines, false});

  // 2. The values of the split section, from P before the split.
  const SectionParams& rp = p.root.params;
  const SectionParams& tp = p.tip.params;
  const double chord = f * tp.chord + a * rp.chord;
  const double teMargin = f * tp.teMargin + a * rp.teMargin;
  const double basicHeight = f * tp.basicHeight + a * rp.basicHeight;
  const double washout = f * tp.washout + a * rp.washout;
  Profile splitProfile;
  const bool formed =
      formSplitProfile(interpolateOutline(root.cutUpper, tip.cutUpper, a, f),
                       interpolateOutline(root.cutLower, tip.cutLower, a, f),
                       p.root.profile.name + "/" + p.tip.profile.name, splitProfile);
  if (!formed) splitProfile = p.root.profile;  // no outline at all: keep the root's shape

  // 3. N, made from P's root, ends with the split section; P starts with it.
  Panel n = MakePanelFromSection(p, p.root, doc.splines);
  n.wingPanel = p.wingPanel;
  for (Section* s : {&n.tip, &p.root}) {
    s->params.chord = chord;
    s->params.teMargin = teMargin;
    s->params.basicHeight = basicHeight;
    s->params.washout = washout;
    s->profile = splitProfile;
  }
  const double span = p.span;
  n.sweep = f * p.sweep;
  p.sweep = (1.0 - f) * p.sweep;
  n.span = std::trunc(f * span);
  p.span = std::trunc(span - f * span);
  n.differentRootTip = true;
  p.differentRootTip = true;

  // 4. Both panels built from their profiles, each end turned once.
  const SectionBuildOptions options{p.wingPanel, true, doc.splines, false};
  RebuildSections(n.root, n.tip, options);
  RebuildSections(p.root, p.tip, options);

  doc.panels.insert(at(doc, cur), std::move(n));
  // N is current, at P's former index.
  changed(doc, kListChange | DocChange::PanelGeometry);
  return true;
}

void AlignSections(CT1Doc& doc, SectionAlignment alignment) {
  if (doc.panels.empty()) return;
  const Section& firstRoot = doc.panels.front().root;
  const double reference = sectionHeight(firstRoot, alignment) + firstRoot.params.basicHeight;
  for (std::size_t i = 0; i < doc.panels.size(); ++i) {
    Panel& p = doc.panels[i];
    if (i > 0) p.root.params.basicHeight = reference - sectionHeight(p.root, alignment);
    p.tip.params.basicHeight = reference - sectionHeight(p.tip, alignment);
  }
  changed(doc, DocChange::PanelGeometry);
}

void AlignPanelsAndMargins(CT1Doc& doc) {
  if (doc.panels.empty()) return;
  for (std::size_t i = 1; i < doc.panels.size(); ++i) {
    doc.panels[i].root.CopyFrom(doc.panels[i - 1].tip);
  }
  for (std::size_t i = 0; i < doc.panels.size(); ++i) {
    Panel& p = doc.panels[i];
    // Each root takes the margins its previous tip has just been given, before
    // its own tip is derived from it.
    if (i > 0) {
      p.root.params.leMargin = doc.panels[i - 1].tip.params.leMargin;
      p.root.params.teMargin = doc.panels[i - 1].tip.params.teMargin;
    }
    SectionParams& r = p.root.params;
    SectionParams& t = p.tip.params;
    t.leMargin = proportionalMargin(r.leMargin, r.chord, t.chord);
    t.teMargin = proportionalMargin(r.teMargin, r.chord, t.chord);
  }
  for (std::size_t i = 1; i < doc.panels.size(); ++i) {
    Panel& p = doc.panels[i];
    if (p.wingPanel && outlineCountsDiffer(p)) {
      // Built as a reload would build it; the margins just set are parameters
      // and stay (a tip that copies its root copies them too).
      p.Rebuild(doc.splines, false);
    }
  }
  changed(doc, DocChange::PanelGeometry);
}

std::vector<MenuEntry> PanelMenuEntries(const CT1Doc& doc) {
  std::vector<MenuEntry> entries;
  const std::size_t listed = std::min(
      doc.panels.size(), static_cast<std::size_t>(kLastPanelCommand - kFirstPanelCommand + 1));
  entries.reserve(listed);
  const std::string name(messageText(Msg::Panel));
  for (std::size_t i = 0; i < listed; ++i) {
    MenuEntry e;
    e.kind = MenuEntry::Kind::Command;
    e.commandId = kFirstPanelCommand + static_cast<int>(i);
    e.text = name + " " + std::to_string(i + 1);
    e.checked = static_cast<int>(i) == doc.currentPanel;
    e.enabled = true;
    entries.push_back(std::move(e));
  }
  return entries;
}

std::vector<MenuEntry> RebuildProjectMenu(std::vector<MenuEntry> projectMenu, const CT1Doc& doc) {
  if (projectMenu.size() > kProjectMenuFixedEntries) projectMenu.resize(kProjectMenuFixedEntries);
  MenuEntry separator;
  separator.kind = MenuEntry::Kind::Separator;
  projectMenu.push_back(separator);
  for (MenuEntry& e : PanelMenuEntries(doc)) projectMenu.push_back(std::move(e));
  return projectMenu;
}

std::optional<int> PanelIndexFromCommand(const CT1Doc& doc, int commandId) {
  if (commandId < kFirstPanelCommand || commandId > kLastPanelCommand) return std::nullopt;
  const int index = commandId - kFirstPanelCommand;
  if (static_cast<std::size_t>(index) >= doc.panels.size()) return std::nullopt;
  return index;
}

}  // namespace orva
