#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "model/CT1Doc.h"

namespace orva {

// Commands that change a project's panel list or align its panels, and the
// panel menu. They are free functions on the project: each acts on the
// current panel (CT1Doc::currentPanel) and marks the project modified when it
// changes something, and then asks for the views to be redrawn
// (CT1Doc observers: a list operation tells PanelList and CurrentPanel, a
// split also PanelGeometry, an alignment PanelGeometry). A list operation that returns true has changed
// the panel list: the panel menu must be rebuilt (RebuildProjectMenu).
//
// Every operation leaves a project that has no panels, or whose current index
// lies outside its list, untouched (and returns false).

// Command ids of the panel operations.
inline constexpr int kCmdNewPanelAtEnd = 32869;
inline constexpr int kCmdNewPanelBeforeCurrent = 32892;
inline constexpr int kCmdInsertPanelBeforeCurrent = 32888;  // wing view pop-up
inline constexpr int kCmdNewPanelAfterCurrent = 32893;
inline constexpr int kCmdInsertPanelAfterCurrent = 32889;  // wing view pop-up
inline constexpr int kCmdDeleteCurrentPanel = 32870;
inline constexpr int kCmdDeletePanel = 32887;  // wing view pop-up
inline constexpr int kCmdSplitCurrentPanel = 32910;
inline constexpr int kCmdAlignUpperSide = 32871;
inline constexpr int kCmdAlignLowerSide = 32873;
inline constexpr int kCmdAlignMiddle = 32874;
inline constexpr int kCmdAlignPanelsAndMargins = 32880;

// A panel made next to `neighbour` from one of its sections: it takes the
// neighbour's span, edge treatments, intermediate-section, skin, block and
// dihedral settings and spars, sweep 0, root and tip the same
// (differentRootTip 0), and is a wing panel; root and tip are both full copies
// of `section`. The copied outlines are used as they are, except when they
// cannot serve a wing panel (the neighbour is not a wing panel, so the copies
// hold one closed outline): the new panel is then built from the copied
// profile.
Panel MakePanelFromSection(const Panel& neighbour, const Section& section, bool splines);

// A panel after the last one, made from the last panel's tip; it becomes
// current.
bool NewPanelAtEnd(CT1Doc& doc);
// A panel before the current one, made from the previous panel's tip (from the
// current panel's root when the current panel is the first). The new panel
// becomes current, at the current index.
bool NewPanelBeforeCurrent(CT1Doc& doc);
// A panel after the current one, made from its tip; it becomes current (the
// index grows by one). On the last panel this is NewPanelAtEnd.
bool NewPanelAfterCurrent(CT1Doc& doc);
// Removes the current panel; the previous panel becomes current (the next one
// when the first panel was removed). A project keeps at least one panel:
// with a single panel nothing happens and false is returned.
bool DeleteCurrentPanel(CT1Doc& doc);

// Splits the current panel P at `percent` of its span from the root (0 to
// 100; other values change nothing). A new panel N, made from P's root, is
// inserted before P and becomes current; N ends and P starts with a section
// interpolated between P's ends. Spans are truncated to whole millimetres.
// Both skins of P are set to 0 first (the split section is taken from the
// profile surfaces); both panels get differentRootTip 1.
//
// The split section's outline is interpolated point for point between P's
// root and tip outlines, built without their washout rotation (matched to the
// root's points); its chord, trailing-edge margin, basic height and washout
// are interpolated linearly. Each end of both panels is then built again from
// its profile and turned by its own washout exactly once, so for a linear
// twist the split section lies where it lay on P. The leading-edge margins are
// not interpolated: N's tip keeps P's root value, P's root keeps its own.
// A panel that is not a wing panel gives two panels that are not wing panels.
bool SplitCurrentPanel(CT1Doc& doc, double percent);

enum class SectionAlignment { UpperSide, LowerSide, Middle };

// Gives every section's basic height the value that puts its highest outline
// point (lowest point, middle of the two) at the height of the first panel's
// root; the first root does not move. Heights are taken from the sections'
// surfaces (washout included) at their chord. No outline is rebuilt. Marks
// the project modified.
void AlignSections(CT1Doc& doc, SectionAlignment alignment);

// Each panel's root becomes a copy of the previous panel's tip; then, from the
// root outwards, each root takes the previous tip's margins and each tip's
// margins follow its root's in proportion to the chords (a margin of 0 or
// less is copied). Outlines are not rebuilt, except that a wing panel whose
// new root no longer has the point counts of its tip is built again (a panel
// is cut point for point, root against tip). Marks the project modified.
void AlignPanelsAndMargins(CT1Doc& doc);

// The panel menu.
inline constexpr int kFirstPanelCommand = CT1Doc::kCmdFirstPanel;  // 32950
// Program command ids end here; panels beyond the id range are not listed.
inline constexpr int kLastPanelCommand = 0xDFFF;
// The project menu keeps this many entries in front of the panel entries.
inline constexpr std::size_t kProjectMenuFixedEntries = 9;

struct MenuEntry {
  enum class Kind { Command, Separator, Submenu };
  Kind kind = Kind::Command;
  int commandId = 0;  // Command entries
  std::string text;   // UTF-8, with its '&' marker as stored
  bool checked = false;
  bool enabled = true;

  friend bool operator==(const MenuEntry&, const MenuEntry&) = default;
};

// One entry per panel: command id 32950 + index, text "Panel 1", "Panel 2"...,
// every entry enabled, the current panel's entry checked.
std::vector<MenuEntry> PanelMenuEntries(const CT1Doc& doc);
// The project menu rebuilt: every entry after the ninth removed, a separator,
// then the panel entries.
std::vector<MenuEntry> RebuildProjectMenu(std::vector<MenuEntry> projectMenu, const CT1Doc& doc);
// The panel index a panel menu command selects (CT1Doc::SelectPanelCommand
// makes it current), or nothing when the command is not one of the project's
// panel entries.
std::optional<int> PanelIndexFromCommand(const CT1Doc& doc, int commandId);

}  // namespace orva
