#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/Form.h"

namespace orva {

class CT1Doc;
struct Panel;

// The controls of the Panel Parameters dialog. Check boxes and edit boxes of
// the "Global" group first, then the root column, then the tip column.
enum class PanelField : int {
  None = -1,
  FoamThickness = 0,
  Span,
  Sweep,
  WingPanel,          // check box
  DifferentRootTip,   // check box
  Skin,               // check box
  DihedralInDegrees,  // check box
  Dihedral,
  RootAirfoil,  // airfoil name, shown only
  RootChord,
  RootLeMargin,
  RootTeMargin,
  RootWashout,
  RootBasicHeight,
  RootCamber,
  RootThickness,
  RootSkin,
  TipAirfoil,
  TipChord,
  TipLeMargin,
  TipTeMargin,
  TipWashout,
  TipBasicHeight,
  TipCamber,
  TipThickness,
  TipSkin,
  RootBrowse,  // the "..." button of the root airfoil
  TipBrowse,
  Count
};

// The "Panel Parameters" dialog without its widgets, bound to the document's
// current panel.
//
// Texts are what the boxes show; check boxes are read with checked(). The
// live rules run on each edit (setText and setChecked). OK checks the
// editable boxes in field order, each as a number ("Please enter a number.")
// within its range ("Please enter a number between %1 and %2."), stops at the
// first failure with the focus on that box, then commits the values in the
// dialog's fixed order, rebuilds the panel and marks the project modified.
// A box the user cannot edit is never the cause of a refusal.
class PanelParamsForm : public FormOf<PanelField> {
 public:
  explicit PanelParamsForm(CT1Doc& doc);

  static std::string_view title();
  std::span<const FieldInfo> fieldTable() const override;
  // The label of a control ("Foam Thickness (mm)", "Cord (mm)", ...).
  static std::string_view label(PanelField field);
  static bool isCheckBox(PanelField field);

  // Whether the "..." button of the root (tip) airfoil can be pressed.
  bool browseEnabled(bool tip) const { return enabled(tip ? Field::TipBrowse : Field::RootBrowse); }

  // A control is enabled when the user can change it now; an edit of a
  // disabled one is refused. The texts "", "-" and "." and a text with the
  // same value as before are taken without running any live rule. The airfoil
  // names are displays.

  // The "..." button of the root (tip) airfoil: runs the document's profile
  // selection. A profile chosen here stays chosen even if the dialog is
  // cancelled; the airfoil name, camber and thickness boxes then show the new
  // profile. Returns whether a profile was chosen.
  bool browseProfile(bool tip);

  // The checks of OK, with their messages. Changes nothing else.
  bool validate();
  // OK validates, commits, rebuilds, marks modified. "Cancel": nothing changes.
  void cancel() {}

 protected:
  std::string fieldText(int field) const override { return texts_[static_cast<std::size_t>(field)]; }
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int field) const override { return checks_[static_cast<std::size_t>(field)]; }
  bool takeChecked(int field, bool value) override;
  bool fieldEnabled(int field) const override;
  bool accept() override;

 private:
  static constexpr std::size_t kFields = static_cast<std::size_t>(PanelField::Count);
  static std::size_t index(PanelField field) { return static_cast<std::size_t>(field); }

  void show(PanelField field, std::string text);
  void setNumber(PanelField field, double value);
  double live(PanelField field) const;
  void showProfileFigures(bool tip);
  void updateTipMargins(PanelField changedMargin);
  void updateTipBasicHeightFromDihedral();
  void updateDihedralFromHeights();
  void copyRootToTip();
  bool readValue(PanelField field, double& value);
  bool fail(PanelField field, const std::string& message);

  CT1Doc& doc_;
  int panelIndex_ = 0;
  std::array<std::string, kFields> texts_;
  std::array<std::string, kFields> shownTexts_;  // as at opening (or after "...")
  std::array<double, kFields> shownValues_{};    // the values those texts stand for
  std::array<bool, kFields> checks_{};
};

}  // namespace orva
