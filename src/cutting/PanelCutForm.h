#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Form.h"
#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutPlanner.h"
#include "cutting/PanelCutPreview.h"
#include "geometry/Point2D.h"

namespace orva {

class CT1Doc;
class CutJob;
struct CutEnvironment;
struct FoamType;
struct Panel;

// The controls of the Panel Cutting dialog, in exchange order.
enum class PanelCutField : int {
  None = -1,
  WingSide = 0,     // list: "Right Wing", "Left Wing"
  CutOrder,          // list: "Bottom First", "Top First"
  ProfileKerf,       // check box "Profile" (group "Wire Kerf Compensation")
  RefLowerSurface,   // check box "Ref. Lower Surface"
  TrimmingMode,      // list (group "Bock Triming"), five modes
  Clearance,         // integer box "Clearance (mm)"
  IntermediateCut,   // check box "Cut" (group "Intermediate Section")
  PositionZ,         // integer box "Position Z (mm)"
  SectionReference,  // list "Section": "Root", "Tip"
  BlockCentred,      // check box "Block Centered in Z"
  RootAxisOffset,    // number box "Root Axis Offfset (mm)"
  OffsetX0,          // integer box "Offset X0 (mm)"
  CutToFile,         // check box "Cut to File"
  StepDetails,       // check box "Step Details"
  FoamType,          // list "Foam Type": the foam names
  SpeedChoice,       // list under "Cut speed"
  CutSpeed,          // number box "Value (mm/s)"
  HeatDisplay,       // read-only text next to "Heat mode"
  Messages,          // read-only multi-line text
  Ok,                // the OK button: okCaption(), enabled while a cut can run
  Count
};

// The Panel Cutting dialog without its widgets, bound to the project's
// current panel and the cutting environment.
//
// Opening takes the values from the project, the panel and the global output
// options; the clearance shows the project's value when it lies strictly
// between 0 and 10000 mm, otherwise the foam thickness + 20. A panel longer
// than the table opens with the intermediate section forced on (and a
// message). The current foam is applied as if chosen, then the estimate runs.
//
// Live rules: the cut length L and the block position follow every change;
// the foam and the speed choice set the cut speed; after every change that
// affects the cut, the estimate runs the panel cut in the planner's survey
// mode and updates the speed, the heat display, the messages and the OK
// button. Number boxes hold text: the live rules read its leading number,
// OK checks every box in exchange order with the standard messages.
//
// Foam and speed changes take effect at once (the foam becomes current and
// the cut speed changes while the dialog is open), as the other cutting
// dialogs do; every other value reaches the project only through ok().
class PanelCutForm : public FormOf<PanelCutField> {
 public:
  PanelCutForm(CT1Doc& doc, CutEnvironment& env);

  // The caption of a control or group ("Right Wing"... are options()).
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;
  // The clearance a dialog opens with for this panel (whole mm).
  static int DefaultClearance(const CT1Doc& doc);

  // --- What the dialog shows ----------------------------------------------

  bool okEnabled() const { return okEnabled_; }
  // "Cut", or "Error" after an estimate that found an error.
  std::string_view okCaption() const;
  // Set by any edit: the views are refreshed after OK.
  bool modified() const { return modified_; }

  // The live values behind the controls.
  double cutLength() const { return cutLength_; }
  double sideOffset() const { return sideOffset_; }
  double rootAxisOffset() const { return rootAxisOffset_; }
  int positionZ() const { return z_; }
  double speed() const { return speed_; }
  const std::string& selectedFoam() const { return foam_; }
  const PanelCutEstimate& lastEstimate() const { return lastEstimate_; }
  // The warnings of the cut as the last estimate planned it at the dialog's
  // speed (empty after an error); the message area lists them after
  // "Warnings:".
  const std::vector<CutWarning>& warnings() const { return warnings_; }

  // --- Edits (return false when the control cannot take the change) -------

  // Chooses a foam of the list by name (the same as selecting its entry).
  bool chooseFoam(std::string_view name);

  // --- Estimate ------------------------------------------------------------

  // Stores the dialog's values into the project and panel for the time of
  // one panel cut planned between BeginSpeedSurvey(errorsOnly) and
  // EndSpeedSurvey, then puts back the project, the panel and the planner's
  // position exactly as they were. errorsOnly: no speed search, the result
  // keeps the dialog's speed.
  PanelCutEstimate estimate(bool errorsOnly);
  // Runs the dialog's estimate rules now (as after an edit).
  void refresh();

  // --- Closing -------------------------------------------------------------

  // The checks of OK: the boxes in exchange order, each as an integer ("Please
  // enter an integer.") or a number ("Please enter a number."), then the cut
  // speed (greater than 0). The first failure is shown and gets the focus.
  bool validate();
  // OK ("Cut"): refused while the OK button is disabled or a check fails.
  // Otherwise stores every value (the cut speed, the current foam, the
  // project's cut choices, the panel's intermediate-section and block fields,
  // the output options), marks the project modified when a saved value
  // changed, refreshes the views when anything was edited, and is accepted.
  // The caller then runs the cut (runCut).
  // The confirmation that cuts at the highest speed: validates, runs the
  // estimate with the speed search and takes its speed (the foam's speed for
  // a fixed-heat foam), then closes as ok(). Refused (the dialog stays open)
  // when the estimate finds an error.
  bool okAtMaximumSpeed();
  // "Cancel": nothing is stored (a foam or speed chosen meanwhile stays).
  void cancel() {}

  // Runs the panel cut for real with the stored values (after ok()) on the
  // program's job, to its end. Returns whether the cut was executed (or
  // written) completely.
  bool runCut(CutJob& job);
  // The same, returning once the cut runs (see PanelCutPlanner::Start).
  bool startCut(CutJob& job);
  // What the last runCut/startCut planned (placement, sections as cut; no
  // moves), for the views that follow the wire; nothing before one.
  const std::optional<PanelCutResult>& lastCut() const { return lastCut_; }

  // --- Previews ------------------------------------------------------------

  FrontPreview frontPreview() const;
  TopPreview topPreview() const;
  // A click at `pixel` in the top view drawn with `mapping`. Nothing when
  // the mapping is not valid.
  std::optional<PreviewClick> clickTopView(Point2D pixel, bool rightButton,
                                           const PreviewMapping& mapping) const;

 protected:
  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int field) const override;
  bool takeChecked(int field, bool value) override;
  std::vector<std::string> fieldOptions(int field) const override;
  int fieldIndex(int field) const override;
  bool takeIndex(int field, int index) override;
  bool fieldEnabled(int field) const override;
  bool fieldReadOnly(int field) const override;
  bool accept() override;

 private:
  static constexpr std::size_t kFields = static_cast<std::size_t>(Field::Count);
  static std::size_t at(Field field) { return static_cast<std::size_t>(field); }

  // The values the cut reads from the project and the panel.
  void storeInto(CT1Doc& doc, Panel& panel) const;
  void updateGeometry();
  void applyFoam(const FoamType& foam);
  void showHeat(std::string_view mode, int heat);
  void setSpeed(double speed);
  bool fail(Field field, const std::string& message);
  bool typeInteger(Field field, std::string_view text, int& value);
  const FoamType* foamRecord() const;
  Panel& panel();
  const Panel& panel() const;

  CT1Doc& doc_;
  CutEnvironment& env_;
  int panelIndex_ = 0;

  // Lists and check boxes.
  int wingSide_ = 0;
  int cutOrder_ = 1;
  bool profileKerf_ = true;
  bool refLowerSurface_ = true;
  int trimmingMode_ = 0;
  bool intermediate_ = false;
  int sectionReference_ = 0;
  bool blockCentred_ = true;
  bool cutToFile_ = false;
  bool stepDetails_ = false;
  int speedChoice_ = -1;

  // Values of the boxes, as the live rules read them.
  int clearance_ = 0;
  int z_ = 0;
  double rootAxisOffset_ = 0.0;
  int offsetX0_ = 0;
  double speed_ = 0.0;

  std::array<std::string, kFields> texts_;
  std::string foam_;  // the selected foam; empty for none
  std::vector<std::string> foamNames_;
  std::vector<std::string> speedEntries_;

  // Panel values and derived block position.
  double span_ = 0.0;
  bool spanExceedsTable_ = false;
  double cutLength_ = 0.0;
  double sideOffset_ = 0.0;

  PanelCutEstimate lastEstimate_;
  std::vector<CutWarning> warnings_;
  bool okEnabled_ = false;
  bool okError_ = false;
  bool modified_ = false;
  std::optional<PanelCutResult> lastCut_;
};

}  // namespace orva
