#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Form.h"
#include "cutting/PanelCutEstimate.h"
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

// --- Preview data ----------------------------------------------------------
//
// Both previews are drawn in millimetres with the Y axis up. Horizontal is
// the distance along the wire from the tower drawn on the left (the table
// width E lies from 0 to E); the table is drawn as the operator sees it, so
// with the reverse layout the left tower of the drawing is the right tower
// of the machine ("Back View") and the picture of the block is the same.

struct PreviewRect {
  double left = 0.0;
  double bottom = 0.0;
  double right = 0.0;
  double top = 0.0;

  double width() const { return right - left; }
  double height() const { return top - bottom; }
  friend bool operator==(const PreviewRect&, const PreviewRect&) = default;
};

struct PreviewSegment {
  Point2D a;
  Point2D b;
  friend bool operator==(const PreviewSegment&, const PreviewSegment&) = default;
};

// A graduation: its position (mm) and whether it is a long one (every 100 mm).
struct PreviewTick {
  double position = 0.0;
  bool major = false;
  friend bool operator==(const PreviewTick&, const PreviewTick&) = default;
};

// The front view: the table between the towers and its vertical travel
// (cut heights: 0 is the table surface), graduations every 50 mm, the block
// and the root-side and tip-side section planes with the height of their
// outlines.
struct FrontPreview {
  std::string title;                     // "Front View", or "Back View" with the reverse layout
  PreviewRect extent;                    // the table with a 40 mm margin all round
  PreviewRect table;                     // 0..E, the vertical travel
  std::vector<PreviewTick> widthTicks;   // along the table, from the left tower
  std::vector<PreviewTick> heightTicks;  // along the vertical travel, from the table surface
  PreviewRect block;                     // side offset .. side offset + L, 0 .. foam thickness
  PreviewSegment rootSection;            // vertical extent of the outline on the root side
  PreviewSegment tipSection;             // the same on the tip side
};

// The top view: points are (distance along the wire, X of the cut
// coordinates: 0 at the wire's home position, growing towards the leading
// edges). The block outline and the planform are closed polygons.
struct TopPreview {
  std::string title;      // "Top View"
  PreviewRect extent;     // the table with a 40 mm margin all round
  PreviewRect table;      // 0..E, the X travel
  PreviewRect leftTower;  // the towers, drawn outside the table
  PreviewRect rightTower;
  std::array<Point2D, 4> block{};  // root-side rear, root-side front, tip-side front, tip-side rear
  // The block grown by the table's block margins: MargeBlocX in X (behind
  // the rear and in front of the front faces), MargeBlocZ along the wire
  // (outside both faces); the same order of corners.
  std::array<Point2D, 4> blockWithMargins{};
  std::array<Point2D, 4> planform{};  // root LE, tip LE, tip TE, root TE of the whole panel
  std::optional<PreviewSegment> intermediate;  // LE to TE of the intermediate section
  std::vector<Point2D> snapPoints;             // the characteristic points a click snaps to
  bool reverseLayout = false;
};

// How a preview is fitted into a widget: a uniform scale, the extent centred.
struct PreviewMapping {
  PreviewRect extent;
  double scale = 0.0;    // pixels per mm; 0 when nothing can be shown
  double offsetX = 0.0;  // pixel of the extent's left edge
  double offsetY = 0.0;  // pixel of the extent's top edge

  bool valid() const { return scale > 0.0; }
  Point2D toDevice(Point2D mm) const;
  // Nothing when the mapping is not valid.
  std::optional<Point2D> toLogical(Point2D pixel) const;
};

// The largest uniform scale that shows the whole extent in a widget of the
// given size in pixels. Not valid for an empty widget or extent.
PreviewMapping FitPreview(const PreviewRect& extent, double widthPx, double heightPx);

// A click in the top view: the point shown (the click, or the characteristic
// point it snapped to) and its text "%d %d": first the distance along the
// wire from the machine's left tower, or from its right tower for a right
// click (the towers change sides in the drawing with the reverse layout),
// then X of the cut coordinates, both truncated to whole millimetres.
struct PreviewClick {
  Point2D point;
  bool snapped = false;
  std::string text;
};

// Clicks closer than this to a characteristic point (pixels) snap to it.
inline constexpr double kSnapPixels = 2.0;
// Margin around the table in both previews, mm.
inline constexpr double kPreviewMargin = 40.0;

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
  double span() const { return span_; }
  double cutLength() const { return cutLength_; }
  double sideOffset() const { return sideOffset_; }
  double rootAxisOffset() const { return rootAxisOffset_; }
  int positionZ() const { return z_; }
  int clearance() const { return clearance_; }
  double speed() const { return speed_; }
  const std::string& selectedFoam() const { return foam_; }
  const PanelCutEstimate& lastEstimate() const { return lastEstimate_; }

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
  bool okEnabled_ = false;
  bool okError_ = false;
  bool modified_ = false;
};

}  // namespace orva
