#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "common/Form.h"
#include "geometry/Point2D.h"
#include "model/CT1Doc.h"
#include "motion/CutMove.h"

namespace orva::test {

// Numbers in the dumps below: six decimals, so that a dump compared with a
// reviewed file does not depend on the last bits of a computation.
inline std::string mm(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f", value == 0.0 ? 0.0 : value);
  return text;
}

inline std::string dumpPoint(Point2D p) { return mm(p.x) + " " + mm(p.y); }

// One line per point: "x y".
inline std::string dumpPoints(const PointList& points) {
  std::string text;
  for (const Point2D& p : points) text += "  " + dumpPoint(p) + "\n";
  return text;
}

// One line per move: its label, its duration and its tower targets.
inline std::string dumpMoves(const MoveList& moves) {
  std::string text;
  for (const CutMove& m : moves) {
    text += m.label + " | " + mm(m.duration) + " s | XG " + mm(m.XG) + " YG " + mm(m.YG) + " XD " +
            mm(m.XD) + " YD " + mm(m.YD) + "\n";
  }
  return text;
}

// A titled block of a dump holding several cases: "#### title" and the text.
inline std::string section(std::string_view title, std::string_view text) {
  return "#### " + std::string(title) + "\n" + std::string(text);
}

// One section: its profile's name, the figures that place it and its cut
// outline (point counts, trailing-edge point, highest and lowest point in
// chord fractions).
inline std::string dumpSection(const Section& s) {
  const SectionParams& p = s.params;
  std::string text = s.profile.name + " chord " + mm(p.chord) + " height " + mm(p.basicHeight) +
                     " margins " + mm(p.leMargin) + " " + mm(p.teMargin) + " washout " +
                     mm(p.washout) + " skin " + mm(p.skin) + "\n      outline " +
                     std::to_string(s.cutUpper.size()) + "+" + std::to_string(s.cutLower.size());
  if (!s.cutUpper.empty()) text += " te " + dumpPoint(s.cutUpper.back());
  return text + " y " + mm(s.MinLowerY()) + ".." + mm(s.MaxUpperY()) + "\n";
}

// Every panel of a project, the current one marked.
inline std::string dumpPanels(const CT1Doc& doc) {
  std::string text;
  for (std::size_t i = 0; i < doc.panels.size(); ++i) {
    const Panel& p = doc.panels[i];
    text += (static_cast<int>(i) == doc.currentPanel ? "* " : "  ") + std::to_string(i + 1) +
            ": span " + mm(p.span) + " sweep " + mm(p.sweep) +
            (p.wingPanel ? " wing" : " outline") + (p.differentRootTip ? " different" : " same") +
            " le " + std::to_string(p.leMode) + " te " + std::to_string(p.teMode) + " foam " +
            mm(p.foamThickness) + "\n    root " + dumpSection(p.root) + "    tip  " +
            dumpSection(p.tip);
  }
  return text;
}

// What a dialog shows, one field a line: a text between quotes, a check box
// as [x] or [ ], a list as its chosen index and options; "disabled" or
// "read-only" when the field takes no edit.
inline std::string dumpForm(const Form& form) {
  std::string text;
  for (const FieldInfo& f : form.fieldTable()) {
    text += "  " + std::string(f.name);
    switch (f.kind) {
      case FieldKind::Text:
      case FieldKind::Display:
        text += " \"" + form.text(f.id) + "\"";
        break;
      case FieldKind::Check:
        text += form.checked(f.id) ? " [x]" : " [ ]";
        break;
      case FieldKind::List: {
        text += " #" + std::to_string(form.currentIndex(f.id)) + " of";
        for (const std::string& option : form.options(f.id)) text += " \"" + option + "\"";
        break;
      }
      case FieldKind::Button:
        break;
    }
    if (!form.enabled(f.id)) {
      text += " disabled";
    } else if (form.readOnly(f.id)) {
      text += " read-only";
    }
    text += "\n";
  }
  return text;
}

}  // namespace orva::test
