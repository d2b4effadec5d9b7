#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/Form.h"
#include "motion/CutEnvironment.h"
#include "motion/CutMove.h"

namespace orva {

class CT1Doc;
class CutJob;
class MachineConfig;
class MovePlanner;
class UserPrompt;
struct TableConfig;

// The auxiliary cuts: block shaping (vertical trims of the rear and front
// faces of a foam block), the test cut series for kerf calibration (horizontal
// slices at a fixed spacing) and the foam cut (one vertical, inclined or
// horizontal cut in two actions: raise the wire, then cut). Each has a form
// (the dialog without its widgets) and a builder that plans its moves without
// executing them; the run functions build and hand the list to execution.
//
// All of them work on the block as it stands on the table: the left side is
// face 1 of the planner and the sides are never swapped.

// Refusals of values that would make a cut loop forever, divide by zero or
// cut at the speed of a rapid move. "%1"/"%2" are filled with the values.
// Values of the auxiliary cut dialogs kept with the project between uses (the
// clearance height is the project's cutChoices.clearance).
struct AuxiliaryCutValues {
  double blockLength = 0.0;  // mm; 0: not chosen yet
  int testCutSpacing = 10;   // mm
  int blockTaper = 0;        // mm, left front face minus right front face
  int leftWidth = 0;         // mm; 0: not chosen yet
  int rightWidth = 0;        // mm; 0: not chosen yet

  friend bool operator==(const AuxiliaryCutValues&, const AuxiliaryCutValues&) = default;
};

// Choices remembered while the program runs.
struct AuxiliaryCutSession {
  bool blockCentred = true;   // the last "Block centered" choice
  bool startWithTop = false;  // "Start with the top" of the test cut
};

// Pauses, ms.
inline constexpr double kBlockShapingHeatMs = 10000.0;
inline constexpr double kFoamCutEndPauseMs = 3000.0;  // after the foam cut's return

// Degrees to radians as the foam cut converts its angle.
inline constexpr double kFoamCutRadiansPerDegree = 0.017453292519444445;

// The largest test cut series planned; far beyond any block (1 mm spacing
// over a metre of foam), it keeps the move list bounded.
inline constexpr int kMaxTestCuts = 1000;

// --- Block geometry ------------------------------------------------------

// X of the four vertical faces of a block (mm, cut coordinates): left is face 1.
struct BlockFaces {
  double leftRear = 0.0;
  double rightRear = 0.0;
  double leftFront = 0.0;
  double rightFront = 0.0;
};

// The faces of a block of left width Lw and right width Rw whose left front
// face stands `taper` further forward than the right one, its rear faces as
// near to x0 as possible: with e = Lw - Rw - taper, left rear = x0 + max(-e, 0),
// right rear = x0 + max(e, 0), each front = its rear + its width.
BlockFaces ComputeBlockFaces(double x0, double leftWidth, double rightWidth, double taper);

// The left axis offset of a block of `length` centred between wire supports
// `entraxe` apart: the integer part of entraxe - length, halved by integer
// division (saturated to the int range).
int CentredAxisOffset(int entraxe, double length);

// --- Block shaping -------------------------------------------------------

struct BlockShapingParams {
  double x0 = 20.0;
  double leftWidth = 0.0;
  double rightWidth = 0.0;
  double taper = 0.0;
  double length = 0.0;          // block length: the planner's block width
  double leftAxisOffset = 0.0;  // left wire support to the left face: the planner's block offset
  double clearance = 0.0;       // Yc, the height the wire travels at
};

// The moves of block shaping: a 10 s pause; "Move to block start" (rapid to
// (0, Yc), then to the rear faces at Yc); the vertical trim of the rear faces
// up to Yc; "Move to leading edge margin" (rapid to the front faces at Yc);
// the vertical trim of the front faces; "Return to the initial position"
// (rapid to (0, Yc), then to (0, 0)). Nothing when the planner refused a move
// (it has reported why).
std::optional<MoveList> BuildBlockShapingMoves(MovePlanner& planner, const BlockShapingParams& p);

// Builds the moves, sets the heat for the current cut speed and starts them on
// the job with confirmation (kConfirmedCutFlags). Nothing when the moves or the heat were
// refused; otherwise whether the job runs (see CutJob::start).
std::optional<bool> StartBlockShaping(CutJob& job, const BlockShapingParams& p);
// StartBlockShaping and the job run to its end. False when a step failed or
// the cut did not run completely.
bool RunBlockShaping(CutJob& job, const BlockShapingParams& p);

// --- Test cut --------------------------------------------------------------

struct TestCutParams {
  double x0 = 20.0;
  int leftWidth = 0;
  int rightWidth = 0;
  int taper = 0;
  double length = 0.0;
  double leftAxisOffset = 0.0;
  double clearance = 0.0;
  int height = 0;   // block height, mm
  int spacing = 0;  // mm between slices
  bool startWithTop = false;
};

// Number of slices: (height - 1) / spacing by integer division; nothing for
// a spacing of 0.
std::optional<int> TestCutCount(int height, int spacing);

// Why the series cannot be planned (spacing below 1 mm, no slice at all, more
// than kMaxTestCuts slices, a width of 0 or less), or nothing when it can.
std::optional<std::string> CheckTestCut(const TestCutParams& p);

// How far the wire runs past the faces on each side: 5 mm on the narrower
// side, 5 mm x wider / narrower width on the wider one (left when equal).
struct TestCutOvershoot {
  double left = 0.0;
  double right = 0.0;
};
TestCutOvershoot ComputeTestCutOvershoot(int leftWidth, int rightWidth);

// The moves of the test cut: a pause of Chauffe s labelled "Move to block
// start", the slices ("Slice cut %1", every move FaceMax) from the bottom or
// from the top, then "Return to the initial position" to (0, 0). Nothing when
// CheckTestCut refuses the values (reported through the planner) or the
// planner refused a move.
std::optional<MoveList> BuildTestCutMoves(MovePlanner& planner, const TableConfig& table,
                                          const TestCutParams& p);

// Builds the moves and starts them on the job with confirmation (kConfirmedCutFlags) at the
// current cut speed; the heat was set by the form. Nothing when the moves were
// refused; otherwise whether the job runs.
std::optional<bool> StartTestCut(CutJob& job, const TestCutParams& p);
// StartTestCut and the job run to its end.
bool RunTestCut(CutJob& job, const TestCutParams& p);

// --- Foam cut --------------------------------------------------------------

// The wire's travel: from (0, y0) to (dx, dy + y0) on both sides.
struct FoamCutGeometry {
  double dx = 0.0;
  double dy = 0.0;
  double y0 = 0.0;
};

// Inclined or vertical: dx = height x tan(alpha), dy = height, y0 = 0.
// Horizontal: dx = cut width, dy = 0, y0 = the Y offset.
FoamCutGeometry ComputeFoamCutGeometry(bool horizontal, double height, double alphaDegrees,
                                       int cutWidth, double yOffset);

// First action: a pause of Chauffe s, then to (0, y0) and to (dx, dy + y0),
// both sides alike (the bare wire), Rapid when raising at maximum speed and
// FaceMax otherwise.
std::optional<MoveList> BuildFoamCutRaiseMoves(MovePlanner& planner, const TableConfig& table,
                                               const FoamCutGeometry& g, bool raiseAtMaxSpeed);
// Second action: a pause of Chauffe s, FaceMax to (0, y0), FaceMax to (0, 0),
// a pause of 3000 ms.
std::optional<MoveList> BuildFoamCutReturnMoves(MovePlanner& planner, const TableConfig& table,
                                                const FoamCutGeometry& g);

// --- Forms -----------------------------------------------------------------

// What the three forms share: the field texts and check boxes, the focus
// after a refusal, the foam list (the one list of each form) with its cut
// speed, and the field checks.
class AuxiliaryFormBase : public Form {
 public:
  // The names of every foam of the database, and the one selected (the
  // current foam at opening; empty when it names no foam).
  const std::vector<std::string>& foamNames() const { return foamNames_; }
  const std::string& selectedFoam() const { return selectedFoam_; }
  // Choosing a foam makes it the current foam at once and shows its maximum
  // speed as the cut speed. False (nothing changes) for a name not in the list
  // or while the list cannot be used.
  bool chooseFoam(std::string_view name);

 protected:
  AuxiliaryFormBase(MachineConfig& machine, UserPrompt& prompt, std::size_t fields, int speedField,
                    int foamField);

  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int field) const override;
  bool takeChecked(int field, bool value) override;
  std::vector<std::string> fieldOptions(int) const override { return foamNames_; }
  int fieldIndex(int field) const override;
  bool takeIndex(int field, int index) override;
  // The live rules after an edit the form took.
  virtual void edited(int field) { (void)field; }

  void put(int field, std::string text);
  // An integer box: "Please enter an integer." when it holds none, "Please
  // enter an integer between %1 and %2." outside [min, max] when given.
  std::optional<int> readInt(int field, std::optional<int> min = {}, std::optional<int> max = {});
  // A number box: "Please enter a number." / "... between %1 and %2.".
  std::optional<double> readNumber(int field, std::optional<double> min = {},
                                   std::optional<double> max = {});
  // The cut speed box: a number, and greater than 0.
  std::optional<double> readSpeed();
  bool fail(int field, const std::string& message);
  // Makes the selected foam current and stores the cut speed.
  void storeFoamAndSpeed(double speed);

  MachineConfig& machine_;
  UserPrompt& prompt_;
  std::vector<std::string> texts_;
  std::vector<bool> checks_;

 private:
  int speedField_;
  int foamField_;
  std::vector<std::string> foamNames_;
  std::string selectedFoam_;
};

enum class BlockShapingField : int {
  X0 = 0,
  BlockCentred,  // check box
  LeftAxisOffset,
  LeftWidth,
  RightWidth,
  Taper,
  Length,
  YDimension,
  FoamType,  // list
  CutSpeed,
  Count
};

// The "Block shaping" dialog of the current panel. Opening: X0 and "Block
// centered" from the panel; the left axis offset centred or the panel's root
// axis offset; widths and taper from the chords and margins (exchanged and
// the sweep negated for a left wing); length = span; Y dimension = the
// project's clearance, or the integer part of H + 20 when that is 0. While
// "Block centered" is set the left axis offset follows the length and cannot
// be edited. OK checks the boxes in order, then stores X0, the centred flag
// (also as the remembered choice) and the root axis offset into the panel,
// the length and the clearance into the project, the foam and the cut speed.
// OK validates and stores; refused when a check failed (nothing stored).
class BlockShapingForm : public FormOf<BlockShapingField, AuxiliaryFormBase> {
 public:
  BlockShapingForm(CT1Doc& doc, AuxiliaryCutValues& values, AuxiliaryCutSession& session);

  static std::string_view title();
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;

  // The checks of OK, with their messages; fills params() on success.
  bool validate();
  // The block of the last successful validate()/ok(), for RunBlockShaping.
  const BlockShapingParams& params() const { return params_; }

 protected:
  bool fieldReadOnly(int field) const override;
  void edited(int field) override;
  bool accept() override;

 private:
  void followLength();

  CT1Doc& doc_;
  AuxiliaryCutValues& values_;
  AuxiliaryCutSession& session_;
  BlockShapingParams params_;
  double speed_ = 0.0;
};

enum class TestCutField : int {
  StartWithTop = 0,  // check box
  X0,
  BlockCentred,  // check box
  LeftAxisOffset,
  Spacing,
  NumberOfCuts,  // display
  YDimension,
  LeftWidth,
  RightWidth,
  Taper,
  Length,
  Height,
  FoamType,  // list
  CutSpeed,
  Heat,
  Count
};

// The "Test Cut" dialog. Opening: height = integer part of H; spacing, taper
// and widths from the project (left width: the root's chord and margins when
// 0; right width: the left width when 0); length from the project, or the
// integer part of span - 20 when 0; X0, centring and Y dimension as for block
// shaping; heat = the current heat; "Start with the top" as last chosen. The
// number of cuts follows height and spacing (not for a spacing of 0).
//
// OK checks the boxes in order ("Heat (%)" 1 to 99), then refuses a spacing
// below 1, a height that gives no slice, more than kMaxTestCuts slices and a
// width of 0 or less; then sets the heat (ApplyHeat), the foam and the cut
// speed, and stores X0, centring, root axis offset and H = height into the
// panel, length, clearance, taper, widths and spacing into the project, and
// the "Start with the top" choice.
class TestCutForm : public FormOf<TestCutField, AuxiliaryFormBase> {
 public:
  TestCutForm(CT1Doc& doc, AuxiliaryCutValues& values, AuxiliaryCutSession& session);

  static std::string_view title();
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;

  bool validate();
  const TestCutParams& params() const { return params_; }

 protected:
  bool fieldReadOnly(int field) const override;
  void edited(int field) override;
  bool accept() override;

 private:
  void followLength();
  void updateCount();

  CT1Doc& doc_;
  AuxiliaryCutValues& values_;
  AuxiliaryCutSession& session_;
  TestCutParams params_;
  double speed_ = 0.0;
  int heat_ = 0;
};

enum class FoamCutField : int {
  HeightOfCut = 0,
  Alpha,
  Horizontal,  // check box
  OffsetY,
  CutWidth,
  RaiseAtMaxSpeed,  // check box
  FoamType,         // list
  CutSpeed,
  Action,  // the action button
  Done,    // the "Done" button
  Count
};

// The "Foam Cut" dialog ("Vertical cut" command). Opening: height of cut =
// integer part of H + 5, alpha 0, vertical, Y offset and cut width 0, "Raise
// Wire at maximum speed" from ArmVMax. "Horizontal cut" enables the cut width
// and the Y offset and disables height and angle; unchecked, the reverse.
//
// The action button alternates: "Raise Wire" (first action) takes the wire
// to the top of the cut; once that ran, every other control is disabled, the
// caption becomes "Coupe", the interface is started, and the next press cuts
// back down to (0, y0) and returns to (0, 0), after which the controls are
// enabled again and the caption becomes "Armement". "Done" (OK; not while
// the wire is raised) stores the cut speed, the foam and ArmVMax (the table
// is not marked modified).
class FoamCutForm : public FormOf<FoamCutField, AuxiliaryFormBase> {
 public:
  explicit FoamCutForm(CT1Doc& doc);
  // A cut of the form still running is waited for (it reports to the form).
  ~FoamCutForm() override;
  FoamCutForm(const FoamCutForm&) = delete;
  FoamCutForm& operator=(const FoamCutForm&) = delete;

  static std::string_view title();
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;
  // "Raise Wire", "Coupe" or "Armement".
  std::string_view actionCaption() const;
  // Whether the next press of the action button cuts (the wire is raised).
  bool raised() const { return raised_; }
  // The execution flags of the next run: kFoamCutFirstFlags for the first run
  // after opening or after a failed run, kFoamCutFlags otherwise.
  int nextFlags() const { return lastRunFailed_ ? kFoamCutFirstFlags : kFoamCutFlags; }

  // The boxes in use now, checked in order; fills geometry() on success.
  bool validate();
  const FoamCutGeometry& geometry() const { return geometry_; }

  // The action button, returning once the cut runs on the job: nothing when
  // nothing was handed to the job (refused checks, heat or moves), otherwise
  // whether the job runs (the form follows its end). pressAction() waits for
  // the end and returns whether the action ran to its end.
  std::optional<bool> startAction(CutJob& job);
  bool pressAction(CutJob& job);
  // "Done": checks and stores the cut speed, the foam and ArmVMax. False when
  // the speed is refused or the wire is raised (the dialog stays open).
  bool done() { return static_cast<bool>(ok()); }

 protected:
  bool fieldEnabled(int field) const override;
  bool accept() override;

 private:
  std::optional<bool> raise(CutJob& job);
  std::optional<bool> cutDown(CutJob& job);

  CT1Doc& doc_;
  FoamCutGeometry geometry_;
  double speed_ = 0.0;
  bool raised_ = false;
  bool completedOnce_ = false;  // a cut down ran: the caption is "Armement"
  bool lastRunFailed_ = true;   // also before the first run
  CutJob* running_ = nullptr;   // the job while it runs a cut of the form
};

}  // namespace orva
