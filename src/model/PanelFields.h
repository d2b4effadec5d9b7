#pragma once

namespace orva {

// Trailing-edge treatments (teMode) and leading-edge treatments (leMode).
enum TeMode : int { TeHorizontal = 0, TeMeanChord = 1, TeUpperAndLower = 2, TeUpperSurface = 3 };
enum LeMode : int { LeNone = 0, LeHorizontal = 1, LeXCut = 2 };

// The panel-wide values of a panel: dimensions, edge treatments, the
// intermediate-section and block-position settings. A Panel and its stored
// form share them; PanelFieldTable describes each one for the file and its
// JSON form.
struct PanelFields {
  bool differentRootTip = false;
  int teMode = TeMeanChord;
  int leMode = LeNone;
  double span = 750.0;  // mm; a new panel takes half the table's Entraxe
  double sweep = 0.0;   // mm
  bool skinEnabled = false;
  double foamThickness = 50.0;  // mm
  int sectionCutZ = 0;          // mm
  bool sectionCutEnabled = false;
  bool wingPanel = true;
  bool dihedralInDegrees = false;
  double dihedral = 0.0;  // degrees
  int offsetX0 = 20;      // mm
  bool blockCentredZ = true;
  int rootAxisOffset = 375;  // mm; (Entraxe - span) / 2 for a new panel

  friend bool operator==(const PanelFields&, const PanelFields&) = default;
};

}  // namespace orva
