#pragma once

#include <array>
#include <string>

#include "geometry/Section.h"
#include "model/PanelFields.h"

namespace orva {

// One spar, slot, sole or hinge cut-out of a panel.
struct SparRecord {
  bool active = false;
  std::string label = "Inactive";  // appended to the labels of its cut-out moves
  int widthMode = 0;               // 0 tip = root, 1 proportional to the chords, 2 entered
  double tipWidth = 5.0;           // mm
  double rootWidth = 5.0;          // mm
  double rootThickness = 3.0;      // mm
  double distance = 50.0;          // p: leading edge to the middle of the spar, % of the root chord
  int type = 1;               // 1..7: lower/upper spar, lower/upper sole, lower/upper round, hinge
  int thicknessMode = 0;      // as widthMode, for the thickness
  double tipThickness = 3.0;  // mm
  bool distanceInPercent = true;  // the order key is p (else p x root chord)
  double positionKey = 0.0;       // computed at each cut; orders the records

  friend bool operator==(const SparRecord&, const SparRecord&) = default;
};

inline constexpr int kSparCount = 10;

// One panel of a wing: a root and a tip section, the panel-wide values
// (PanelFields), ten spars.
struct Panel : PanelFields {
  Section root;
  Section tip;
  std::array<SparRecord, kSparCount> spars{};

  // A new panel for a table whose wire supports are `entraxe` mm apart: span
  // Entraxe / 2 (integer halving), root axis offset (Entraxe - span) / 2, both
  // sections with their default parameters and the built-in airfoil, built.
  static Panel makeDefault(int entraxe, bool splines);

  // Rebuilds both sections' outlines in the fixed order. `afterDialog`: a panel
  // that is not a wing panel gets leMode and teMode 0 (after loading only teMode).
  void Rebuild(bool splines, bool afterDialog);
  // After a new root (tipChanged false) or tip profile: extract both ends again;
  // a new tip profile is never replaced by a copy of the root.
  void RebuildAfterNewProfile(bool splines, bool tipChanged);
};

}  // namespace orva
