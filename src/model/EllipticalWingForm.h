#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "common/Form.h"

namespace orva {

class CT1Doc;

// The planform model of an elliptical wing half (lengths in mm): x chordwise,
// positive towards the leading edge, from the line where the two half-ellipses
// meet; y spanwise from the root, the tip at y = halfSpan. The leading edge is
// the half-ellipse of semi-axis A1 = symmetry/100 × rootChord, the trailing
// edge the one of semi-axis A2 = (100 − symmetry)/100 × rootChord (x negative).
// The tip chord is shared the same way. All four are whole numbers.
struct EllipseModel {
  double halfSpan = 0.0;   // B
  double rootChord = 0.0;  // c
  double tipChord = 0.0;   // ct
  double symmetry = 0.0;   // s, percent

  friend bool operator==(const EllipseModel&, const EllipseModel&) = default;
};

inline constexpr int kMaxEllipsePanels = 10;

// One straight-tapered panel of the approximation. Panels are counted from the
// tip (index 0) towards the root. Each panel's leading edge is the tangent to
// the leading-edge ellipse at (t, s), its trailing edge the tangent to the
// trailing-edge ellipse at (tTe, sTe); it touches the ellipse at the middle of
// its length unless the root stops it.
struct EllipsePanel {
  double outerY = 0.0;    // y of its outer (tip-side) end
  double outerLeX = 0.0;  // x of the leading and trailing edges at that end
  double outerTeX = 0.0;
  double t = 0.0;  // leading-edge tangency point
  double s = 0.0;
  double tTe = 0.0;  // trailing-edge tangency point
  double sTe = 0.0;
  double length = 0.0;     // spanwise; 0 for a panel that is not built
  double tipChord = 0.0;   // chord at its outer end
  double rootChord = 0.0;  // chord at its inner end
  double sweep = 0.0;      // increase of the leading-edge x over its length, at least 0
};

// Tangency abscissae kept from one computation to the next: when a tangency
// has no real solution (the outer point lies on the ellipse within rounding),
// the panel keeps the value of the previous computation, 0 at first, which
// ends the panel sequence there.
struct EllipseTangencies {
  std::array<double, kMaxEllipsePanels> t{};
  std::array<double, kMaxEllipsePanels> tTe{};
};

struct EllipseComputation {
  std::array<EllipsePanel, kMaxEllipsePanels> panels{};  // from the tip
  int count = 0;                                         // panels before the first one of length 0
  double lengthOverAverageChord = 0.0;                   // 2.546 × B / c
  double modelSurface = 0.0;                             // dm², the ellipse halves
  double totalLength = 0.0;                              // mm, the panels' lengths
  double totalSweep = 0.0;                               // mm
  double panelsSurface = 0.0;                            // dm², the panels' trapezia

  // The `count` panels from the root outwards (the table's T1, T2...).
  std::vector<EllipsePanel> rootFirst() const;
};

// The model values the computation accepts: 1 to 20000 for the half-span, 1 to
// 5000 for both chords, 0 to 100 for the symmetry (the ranges OK accepts).
bool EllipseModelInRange(const EllipseModel& model);

// Computes the panels of `model` (which must be in range; otherwise `out` is
// left as it is and false is returned).
bool ComputeEllipse(const EllipseModel& model, EllipseTangencies& carried, EllipseComputation& out);

// The leading-edge (trailing-edge) line of a computed panel at span position y;
// 0 on a straight edge (symmetry 100 gives a straight trailing edge, 0 a
// straight leading edge) or without a tangency.
double EllipseLeadingEdgeX(const EllipseModel& model, const EllipsePanel& panel, double y);
double EllipseTrailingEdgeX(const EllipseModel& model, const EllipsePanel& panel, double y);

// The inputs, then the display options' check boxes.
enum class EllipticalWingField : int {
  None = -1,
  HalfSpan = 0,
  RootChord,
  TipChord,
  Symmetry,
  LeftHalfEllipse,
  RightHalfEllipse,
  LeftPanels,
  RightPanels,
};

enum class EllipseDisplayOption : int {
  LeftHalfEllipse,
  RightHalfEllipse,
  LeftPanels,
  RightPanels
};

// The "Ellipsoidal wing design" dialog without its widgets. It replaces the
// current panel by up to ten straight-tapered panels approximating an
// elliptical planform.
//
// Opening: the half-span, root and tip chords are the current panel's span and
// chords (whole millimetres), the symmetry is 100 × sweep / (root chord − tip
// chord) when the sweep is positive and smaller than that difference, 0 when
// the sweep is 0 or less, 100 when the difference is not greater than the sweep;
// then the panels are computed.
//
// Editing an input reads its leading number (0 when none); for the half-span
// and the chords a 0 is ignored (the value in use stays); the whole-number
// part becomes the model value, and the panels are computed again when the
// model is in range (otherwise the values shown stay). The computed values are
// read-only display values (computation()).
//
// OK checks, in dialog order, that each input is a whole number ("Please enter
// a positive integer.") within its range ("Please enter an integer between %1
// and %2.": half-span 1-20000, chords 1-5000, symmetry 0-100), with a warning
// and the focus on the field; then computes from those values and builds the
// panels: one new panel per computed panel, root side first, inserted after
// the current panel P from its tip section, with span (truncated to whole mm),
// chords and sweep of the computed panel, root and tip different when the
// sweep is not 0 or the chords differ, and built; then P is deleted, the
// panel-and-margins alignment runs and the project is marked modified.
// Closing the dialog otherwise (Cancel) changes nothing.
// OK is accepted once the checks pass; built() then tells whether the panels
// replace the current panel (false: no panel could be computed, the project is
// unchanged).
class EllipticalWingForm : public FormOf<EllipticalWingField> {
 public:
  explicit EllipticalWingForm(CT1Doc& doc);

  static std::string_view title();
  std::span<const FieldInfo> fieldTable() const override;

  // The display options are the check boxes LeftHalfEllipse..RightPanels: the
  // drawing shows what they select; the values are computed again.
  bool option(EllipseDisplayOption option) const;

  // The model values in use and the values computed from them.
  const EllipseModel& model() const { return model_; }
  const EllipseComputation& computation() const { return computation_; }
  int panelCount() const { return computation_.count; }

  bool validate();
  bool built() const { return built_; }

 protected:
  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int field) const override;
  bool takeChecked(int field, bool on) override;
  bool accept() override;

 private:
  static constexpr std::size_t kFields = 4;
  static std::size_t index(Field field) { return static_cast<std::size_t>(field); }

  bool readField(Field field, double min, double max, double& value);
  void recompute();
  void build(const EllipseComputation& result);

  CT1Doc& doc_;
  std::array<std::string, kFields> texts_;
  std::array<bool, 4> options_{true, false, false, true};
  EllipseModel model_;
  EllipseTangencies tangencies_;
  EllipseComputation computation_;
  EllipseModel validated_;
  bool built_ = false;
};

}  // namespace orva
