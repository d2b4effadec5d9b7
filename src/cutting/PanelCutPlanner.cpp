#include "cutting/PanelCutPlanner.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "cutting/CutEmitter.h"
#include "cutting/SparCuts.h"
#include "geometry/Resample.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

// Texts the message catalogue does not hold yet: refusals of values that
// would otherwise divide by zero or cut with no speed.
constexpr std::string_view kInvalidChordText = "Invalid chord: %1 mm, it must be greater than 0";
constexpr std::string_view kInvalidCutSpeedText =
    "Invalid cut speed: %1 mm/s, it must be greater than 0";
constexpr std::string_view kNoOutlineText = "The panel has no outline to cut";

// Trimming modes of the block faces.
enum Trimming : int {
  kNoTrimming = 0,
  kTrimBefore = 1,
  kTrimWhile = 2,
  kTrimAfter = 3,
  kTrimOnly = 4,
};

// How far the wire goes above the block (and in front of it) when shaping.
constexpr double kShapingAllowance = 5.0;
// Distance in front of the trailing edge at which the mean line is probed.
constexpr double kMeanLineProbe = 0.1;
// Degrees to radians as the program converts every angle of the X leading edge.
constexpr double kDegree = 3.1415926535 * 0.005555555555555556;

std::string IndexLabel(Msg id, std::size_t index) {
  return formatMessage(id, {intText(static_cast<long long>(index))});
}

// Point (x, y) of a section in chord fractions placed in cut coordinates.
PointList ToCut(const PointList& outline, double xle, double chord, double height) {
  PointList out;
  out.reserve(outline.size());
  for (const Point2D& p : outline) out.push_back({xle - chord * p.x, chord * p.y + height});
  return out;
}

// The height of an outline at X, read on the segment enclosing X nearest to
// the trailing edge (the outline's last point when none encloses it).
double HeightAt(const PointList& outline, double x) {
  for (std::size_t k = outline.size(); k-- > 1;) {
    const Point2D a = outline[k - 1];
    const Point2D b = outline[k];
    const bool inside = a.x <= b.x ? (x >= a.x && x <= b.x) : (x >= b.x && x <= a.x);
    if (!inside) continue;
    if (a.x == b.x) return b.y;
    return a.y + (x - a.x) * (b.y - a.y) / (b.x - a.x);
  }
  return outline.back().y;
}

// The slope dY/dX of an outline's last segment (0 when it is vertical or missing).
double LastSlope(const PointList& outline) {
  if (outline.size() < 2) return 0.0;
  const Point2D a = outline[outline.size() - 2];
  const Point2D b = outline.back();
  if (a.x == b.x) return 0.0;
  return (b.y - a.y) / (b.x - a.x);
}

// The outer ends of one side's trailing-edge prolongations: A for the surface
// cut first, B for the other.
struct TrailingEnds {
  Point2D a;
  Point2D b;
};

struct SideGeometry {
  double xle = 0.0;
  double chord = 0.0;
  double teMargin = 0.0;
  double leMargin = 0.0;
  double skin = 0.0;
  double height = 0.0;
};

// Where the wire enters and leaves the block behind the trailing edge.
TrailingEnds TrailingEdgeEnds(const PointList& list1, const PointList& list2,
                              const SideGeometry& side, bool wingPanel, bool topFirst, int teMode) {
  const double xr = side.xle - side.chord - side.teMargin;  // the block's rear face
  const Point2D tu = list1.back();
  if (side.teMargin < 0.0) return {tu, tu};
  if (side.skin < 0.0) return {{xr, tu.y}, {xr, tu.y}};

  if (!wingPanel) {
    const double last = list1.back().y;
    const double first = list1.front().y;
    return topFirst ? TrailingEnds{{xr, last}, {xr, first}} : TrailingEnds{{xr, first}, {xr, last}};
  }

  const Point2D tl = list2.back();
  double upperY = tu.y;  // end height of the upper and of the lower surface
  double lowerY = tl.y;
  switch (teMode) {
    case TeMeanChord: {
      const double xTe = (tu.x + tl.x) * 0.5;
      const double atTe = (tu.y + tl.y) * 0.5;
      const double probe = xTe + kMeanLineProbe;
      const double atProbe = (HeightAt(list1, probe) + HeightAt(list2, probe)) * 0.5;
      const double slope = (atProbe - atTe) / kMeanLineProbe;
      upperY = tu.y + slope * (xr - tu.x);
      lowerY = tl.y + slope * (xr - tl.x);
      break;
    }
    case TeUpperAndLower:
      upperY = tu.y + LastSlope(list1) * (xr - tu.x);
      lowerY = tl.y + LastSlope(list2) * (xr - tl.x);
      break;
    case TeUpperSurface:
      upperY = tu.y + LastSlope(list1) * (xr - tu.x);
      lowerY = upperY;
      break;
    default:  // horizontal
      break;
  }
  const Point2D upperEnd{xr, upperY};
  const Point2D lowerEnd{xr, lowerY};
  return topFirst ? TrailingEnds{upperEnd, lowerEnd} : TrailingEnds{lowerEnd, upperEnd};
}

// One run of the panel cut: the state of the planning of one list.
class PanelCutRun {
 public:
  PanelCutRun(CT1Doc& doc, CutEnvironment& env, PanelCutResult& result)
      : doc_(doc), env_(env), result_(result) {}

  void plan();

 private:
  bool refuse(std::string text) {
    env_.planner.ReportPlanError(text);
    result_.message = std::move(text);
    result_.status = PanelCutStatus::Refused;
    return false;
  }
  bool prepare();
  bool readChoices();
  bool checkValues();
  bool prepareSections(Section& root, Section& tip);
  void placeOutlines(const Section& root, const Section& tip);
  bool cutIntermediateSection(double& span);
  bool placeBlock(double span);
  bool compensateKerf();
  void keepOutlinesAsCut(Section root, Section tip);
  void findEndsAndFaces();
  bool emitAll(CutEmitter& out);
  bool emitWingProfile(CutEmitter& out);
  bool emitFirstSurface(CutEmitter& out);
  bool emitSecondSurface(CutEmitter& out);
  bool emitLeadingEdge(CutEmitter& out);
  bool emitExit(CutEmitter& out);
  KerfAtRatio kerfLaw() const {
    const FoamDatabase& foams = env_.machine.foams;
    const double v = speed_;
    return [&foams, v](double ratio) { return foams.KerfOffset(v, ratio); };
  }

  CT1Doc& doc_;
  CutEnvironment& env_;
  PanelCutResult& result_;

  const Panel* panel_ = nullptr;
  PanelCutChoices choices_;
  bool wing_ = true;
  bool topFirst_ = true;
  int trimming_ = kNoTrimming;
  double speed_ = 0.0;
  double clearance_ = 0.0;
  double foamHeight_ = 0.0;
  SideGeometry root_;
  SideGeometry tip_;
  CutOutlines lists_;
  KerfApplied kerf_;
  TrailingEnds endsRoot_;
  TrailingEnds endsTip_;
  Point2D exitRoot_;  // C
  Point2D exitTip_;
  double frontRoot_ = 0.0;  // F
  double frontTip_ = 0.0;
  double effectiveLeRoot_ = 0.0;  // L
  double effectiveLeTip_ = 0.0;
  std::array<SparRecord, kSparCount> spars_{};
  std::string label_;
};

// The steps of preparing a cut, in the order prepare() takes them. A step
// that refuses has reported why; nothing has been emitted.
bool PanelCutRun::prepare() {
  if (!readChoices() || !checkValues()) return false;
  // The sections as they are cut, prepared on copies: the project keeps its own.
  Section root = panel_->root;
  Section tip = panel_->tip;
  if (!prepareSections(root, tip)) return false;
  placeOutlines(root, tip);
  double span = panel_->span;
  if (!cutIntermediateSection(span) || !placeBlock(span) || !compensateKerf()) return false;
  keepOutlinesAsCut(std::move(root), std::move(tip));
  findEndsAndFaces();
  return true;
}

// The current panel and the project's choices for this cut.
bool PanelCutRun::readChoices() {
  if (doc_.currentPanel < 0 || static_cast<std::size_t>(doc_.currentPanel) >= doc_.panels.size()) {
    result_.status = PanelCutStatus::Refused;
    return false;
  }
  const Panel& panel = doc_.current();
  panel_ = &panel;
  choices_ = doc_.cutChoices;
  wing_ = panel.wingPanel;
  topFirst_ = choices_.cutOrder == 1;
  trimming_ = choices_.trimmingMode >= kNoTrimming && choices_.trimmingMode <= kTrimOnly
                  ? choices_.trimmingMode
                  : kNoTrimming;
  clearance_ = choices_.clearance;
  foamHeight_ = panel.foamThickness;
  speed_ = env_.machine.foams.cutSpeed;
  return true;
}

// Values nothing could be cut with, refused before anything is emitted.
bool PanelCutRun::checkValues() {
  const Panel& panel = *panel_;
  for (double chord : {panel.root.params.chord, panel.tip.params.chord}) {
    if (!(chord > 0.0) || !std::isfinite(chord)) {
      return refuse(fillInserts(kInvalidChordText, {shortestText(chord)}));
    }
  }
  const double span = panel.span;
  if (!(span > 0.0) || !std::isfinite(span)) {
    return refuse(formatMessage(Msg::InvalidBlockWidth, {shortestText(span)}) +
                  std::string(messageText(Msg::MoveToBlockStart)));
  }
  // A real cut at speed 0 would run every cut move as fast as the motors go;
  // a survey finds the speed itself.
  if (env_.planner.messageBoxesOn() && !(speed_ > 0.0 && std::isfinite(speed_))) {
    return refuse(fillInserts(kInvalidCutSpeedText, {shortestText(speed_)}));
  }
  return true;
}

// The cut outlines of both sections: resampled, the tip matched to the root,
// the washout applied; refused when there is nothing to walk.
bool PanelCutRun::prepareSections(Section& root, Section& tip) {
  root.ExtractSurfaces(wing_);
  tip.ExtractSurfaces(wing_);
  if (wing_) {
    Resample(root, doc_.splines);
    Resample(tip, doc_.splines);
    // The tip is cut point for point with the root: matched when the profiles
    // differ, and also when a tip profile of its own gives other counts.
    if (panel_->differentRootTip || tip.cutUpper.size() != root.cutUpper.size() ||
        tip.cutLower.size() != root.cutLower.size()) {
      MatchToRoot(tip, root);
    }
  }
  root.ApplyWashout();
  tip.ApplyWashout();

  if (root.cutUpper.empty() || tip.cutUpper.empty() ||
      (wing_ && (root.cutLower.empty() || tip.cutLower.empty()))) {
    return refuse(std::string(kNoOutlineText));
  }
  // A closed outline is walked with one index at root and tip.
  if (!wing_ && root.cutUpper.size() != tip.cutUpper.size()) {
    return refuse(std::string(messageText(Msg::DifferingNumberOfPoints)));
  }
  return true;
}

// Placement in X: both trailing edges at least their margin in front of X0;
// the outlines in cut coordinates.
void PanelCutRun::placeOutlines(const Section& root, const Section& tip) {
  auto sideOf = [](const Section& s) {
    SideGeometry g;
    g.chord = s.params.chord;
    g.teMargin = s.params.teMargin;
    g.leMargin = s.params.leMargin;
    g.skin = s.params.skin;
    g.height = s.params.basicHeight;
    return g;
  };
  root_ = sideOf(root);
  tip_ = sideOf(tip);
  const double x0 = panel_->offsetX0;
  const double sweep = panel_->sweep;
  root_.xle = std::max(x0 + root_.teMargin + root_.chord, x0 + sweep + tip_.chord + tip_.teMargin);
  tip_.xle = root_.xle - sweep;

  lists_.root1 = ToCut(root.cutUpper, root_.xle, root_.chord, root_.height);
  lists_.tip1 = ToCut(tip.cutUpper, tip_.xle, tip_.chord, tip_.height);
  if (wing_) {
    lists_.root2 = ToCut(root.cutLower, root_.xle, root_.chord, root_.height);
    lists_.tip2 = ToCut(tip.cutLower, tip_.xle, tip_.chord, tip_.height);
  }
}

// Intermediate section: a part of the panel between the root (or tip) and Z
// replaces the whole panel; `span` becomes the span of that part.
bool PanelCutRun::cutIntermediateSection(double& span) {
  const Panel& panel = *panel_;
  if (!wing_ || !panel.sectionCutEnabled) return true;
  const double z = panel.sectionCutZ;
  const bool keepRoot = choices_.sectionReference == 0;
  if (!(z > 0.0) || z > span || (!keepRoot && z >= span)) {
    return refuse(std::string(messageText(Msg::InvalidIntermediateSectionCut)));
  }
  const double t = 1.0 - z / span;
  auto mix = [t](double r, double tp) { return (r - tp) * t + tp; };
  auto mixLists = [t](const PointList& r, const PointList& tp) {
    PointList out(std::min(r.size(), tp.size()));
    for (std::size_t i = 0; i < out.size(); ++i) {
      out[i] = {(r[i].x - tp[i].x) * t + tp[i].x, (r[i].y - tp[i].y) * t + tp[i].y};
    }
    return out;
  };
  PointList mid1 = mixLists(lists_.root1, lists_.tip1);
  PointList mid2 = mixLists(lists_.root2, lists_.tip2);
  const double midChord = mix(root_.chord, tip_.chord);
  const double midMargin = mix(root_.teMargin, tip_.teMargin);
  const double midXle = mix(root_.xle, tip_.xle);
  // The section's own height, so that its outline as cut reads back right.
  const double midHeight = mix(root_.height, tip_.height);
  if (keepRoot) {
    lists_.tip1 = std::move(mid1);
    lists_.tip2 = std::move(mid2);
    tip_.chord = midChord;
    tip_.teMargin = midMargin;
    tip_.xle = midXle;
    tip_.height = midHeight;
    span = z;
    return true;
  }
  const double x0 = panel.offsetX0;
  const double subSweep = t * panel.sweep;
  root_.chord = midChord;
  root_.teMargin = midMargin;
  root_.height = midHeight;
  root_.xle = std::max(x0 + midMargin + midChord, x0 + tip_.teMargin + tip_.chord + subSweep);
  // Both lists move by the distance that puts the intermediate leading
  // edge at the new root leading edge, so the tip keeps the sweep t W
  // behind it. (This equals (cr - ct - W)(1 - t) + mTEr - mTE' whenever
  // the root's margin sets the leading edge before and after.)
  const double shift = midXle - root_.xle;
  tip_.xle = root_.xle - subSweep;
  span -= z;
  auto moveX = [shift](PointList& list) {
    for (Point2D& p : list) p.x -= shift;
  };
  lists_.root1 = std::move(mid1);
  lists_.root2 = std::move(mid2);
  moveX(lists_.root1);
  moveX(lists_.root2);
  moveX(lists_.tip1);
  moveX(lists_.tip2);
  return true;
}

// Block placement along the wire, with the span actually cut: R is the
// distance from the root-side tower to the root section plane.
bool PanelCutRun::placeBlock(double span) {
  const TableConfig& table = env_.machine.table;
  const bool leftWing = choices_.wingSide == 1;
  const double e = table.Entraxe;
  const double r = panel_->rootAxisOffset;
  result_.span = span;
  result_.leftDistance = leftWing ? e - span - r : r;
  // A block reaching beyond the left tower is not spanned by the wire; the
  // move planner only checks the right end (and, on a reverse table, sees
  // this one as a right end beyond the table: the same message).
  if (result_.leftDistance < 0.0 && span <= e) {
    return refuse(formatMessage(Msg::RightBlockPositionGreaterThanTable,
                                {intText(truncToInt(e - result_.leftDistance))}));
  }
  result_.swapped = (table.TableInv != 0) != leftWing;
  result_.entraxe = table.Entraxe;
  result_.xleRoot = root_.xle;
  result_.xleTip = tip_.xle;
  result_.rootChord = root_.chord;
  result_.tipChord = tip_.chord;
  return true;
}

// Kerf, lift, skin and the junction of the surfaces.
bool PanelCutRun::compensateKerf() {
  const SideKerfs kerfs = KerfForChords(env_.machine.foams, speed_, root_.chord, tip_.chord);
  KerfOptions options;
  options.profileCompensation = choices_.kerfCompensationA != 0;
  options.referenceLowerSurface = choices_.referenceLowerSurface != 0;
  options.wingPanel = wing_;
  options.matchTip = panel_->differentRootTip;
  kerf_ = CompensateKerf(lists_, kerfs, root_.skin, tip_.skin, options);
  result_.rootKerf = kerf_.root.kerf;
  result_.tipKerf = kerf_.tip.kerf;
  result_.rootLift = kerf_.root.lift;
  result_.tipLift = kerf_.tip.lift;
  if (lists_.root1.empty() || lists_.tip1.empty() ||
      (wing_ && (lists_.root2.empty() || lists_.tip2.empty()))) {
    return refuse(std::string(kNoOutlineText));
  }
  return true;
}

// The outline as cut, in chord fractions, for the views.
void PanelCutRun::keepOutlinesAsCut(Section root, Section tip) {
  root.params.chord = root_.chord;
  root.params.teMargin = root_.teMargin;
  tip.params.chord = tip_.chord;
  tip.params.teMargin = tip_.teMargin;
  root.cutUpper =
      ToChordFractions(lists_.root1, root_.xle, root_.chord, kerf_.root.lift, root_.height);
  tip.cutUpper = ToChordFractions(lists_.tip1, tip_.xle, tip_.chord, kerf_.tip.lift, tip_.height);
  if (wing_) {
    root.cutLower =
        ToChordFractions(lists_.root2, root_.xle, root_.chord, kerf_.root.lift, root_.height);
    tip.cutLower = ToChordFractions(lists_.tip2, tip_.xle, tip_.chord, kerf_.tip.lift, tip_.height);
  }
  result_.cutRoot = std::move(root);
  result_.cutTip = std::move(tip);
}

// Trailing-edge prolongations, exit points, front faces and the spar order.
void PanelCutRun::findEndsAndFaces() {
  const Panel& panel = *panel_;
  endsRoot_ = TrailingEdgeEnds(lists_.root1, lists_.root2, root_, wing_, topFirst_, panel.teMode);
  endsTip_ = TrailingEdgeEnds(lists_.tip1, lists_.tip2, tip_, wing_, topFirst_, panel.teMode);
  if (wing_ && root_.teMargin <= 0.0 && kerf_.root.offset > 0.0 && kerf_.tip.offset > 0.0) {
    auto lastPoints = [this](const PointList& l1, const PointList& l2) {
      return topFirst_ ? TrailingEnds{l1.back(), l2.back()} : TrailingEnds{l2.back(), l1.back()};
    };
    endsRoot_ = lastPoints(lists_.root1, lists_.root2);
    endsTip_ = lastPoints(lists_.tip1, lists_.tip2);
  }
  // The root margin decides for both sides how far behind B the wire leaves.
  const bool noRootMargin = root_.teMargin <= 0.0;
  exitRoot_ = {endsRoot_.b.x - (noRootMargin ? root_.teMargin : kerf_.root.kerf), endsRoot_.b.y};
  exitTip_ = {endsTip_.b.x - (noRootMargin ? tip_.teMargin : kerf_.tip.kerf), endsTip_.b.y};
  effectiveLeRoot_ = root_.leMargin >= 0.0 ? root_.leMargin : root_.skin + root_.leMargin;
  effectiveLeTip_ = tip_.leMargin >= 0.0 ? tip_.leMargin : tip_.skin + tip_.leMargin;
  frontRoot_ = lists_.root1.front().x + effectiveLeRoot_;
  frontTip_ = lists_.tip1.front().x + effectiveLeTip_;
  result_.rootBlock = {root_.xle - root_.chord - root_.teMargin, frontRoot_, 0.0, foamHeight_};
  result_.tipBlock = {tip_.xle - tip_.chord - tip_.teMargin, frontTip_, 0.0, foamHeight_};

  spars_ = panel.spars;
  UpdatePositionKeys(spars_, root_.chord);
}

bool PanelCutRun::emitAll(CutEmitter& out) {
  const TableConfig& table = env_.machine.table;
  if (!out.dwell(table.Chauffe * 1000.0)) return false;
  label_ = std::string(messageText(Msg::MoveToBlockStart));

  const Point2D ar = endsRoot_.a;
  const Point2D at = endsTip_.a;
  if (trimming_ == kTrimBefore || trimming_ == kTrimOnly) {
    const double cl = clearance_;
    if (!out.rapid({0.0, cl}, {0.0, cl}, label_) ||
        !out.rapid({frontRoot_, cl}, {frontTip_, cl}, label_) ||
        !out.verticalTrim(frontRoot_, frontTip_, cl, cl) ||
        !out.rapid({exitRoot_.x, cl}, {exitTip_.x, cl}, label_) ||
        !out.verticalTrim(exitRoot_.x, exitTip_.x, exitRoot_.y, exitTip_.y)) {
      return false;
    }
    if (trimming_ == kTrimOnly) return emitExit(out);
  } else if (!out.rapid({0.0, ar.y}, {0.0, at.y}, label_)) {
    return false;
  }
  if (!out.paced(ar, at, label_)) return false;

  if (wing_) {
    if (!emitWingProfile(out)) return false;
  } else {
    // One pass around the closed outline: the outline reversed, walked
    // forwards when the top comes first.
    PointList rootSeq(lists_.root1.rbegin(), lists_.root1.rend());
    PointList tipSeq(lists_.tip1.rbegin(), lists_.tip1.rend());
    const std::size_t n = std::min(rootSeq.size(), tipSeq.size());
    for (std::size_t k = 0; k < n; ++k) {
      const std::size_t i = topFirst_ ? k : n - 1 - k;
      if (!out.cut(rootSeq[i], tipSeq[i], IndexLabel(Msg::CutComplexShapePoint, i))) return false;
    }
  }
  return emitExit(out);
}

bool PanelCutRun::emitWingProfile(CutEmitter& out) {
  // Spar caps: recesses worked into the lists of their surface.
  ApplySoleRecesses(lists_.root1, lists_.tip1, spars_, SelectSoles(spars_, true), root_.xle,
                    root_.chord, true, lists_.root2, lists_.tip2);
  ApplySoleRecesses(lists_.root2, lists_.tip2, spars_, SelectSoles(spars_, false), root_.xle,
                    root_.chord, false, lists_.root1, lists_.tip1);

  if (!emitFirstSurface(out)) return false;
  if (!emitLeadingEdge(out)) return false;

  // Hinge rounds, from and back to the leading edge.
  const KerfAtRatio kerf = kerfLaw();
  const Point2D leRoot = lists_.root1.front();
  const Point2D leTip = lists_.tip1.front();
  for (std::size_t i : SelectHinges(spars_)) {
    if (!EmitHingeRound(out, spars_[i], leRoot, leTip, root_.chord, tip_.chord, kerf)) return false;
  }
  return emitSecondSurface(out);
}

bool PanelCutRun::emitFirstSurface(CutEmitter& out) {
  const PointList& rootList = topFirst_ ? lists_.root1 : lists_.root2;
  const PointList& tipList = topFirst_ ? lists_.tip1 : lists_.tip2;
  const PointList& rootOther = topFirst_ ? lists_.root2 : lists_.root1;
  const PointList& tipOther = topFirst_ ? lists_.tip2 : lists_.tip1;
  const Msg labelId = topFirst_ ? Msg::UpperSurfaceCutPoint : Msg::LowerSurfaceCutPoint;
  const double s = topFirst_ ? 1.0 : -1.0;
  const KerfAtRatio kerf = kerfLaw();

  // Spar cut-outs of this surface, from the trailing edge forwards.
  const std::vector<std::size_t> chain = SelectCutOuts(spars_, topFirst_, /*ascending=*/false);
  std::vector<std::optional<std::size_t>> at;
  at.reserve(chain.size());
  for (std::size_t rec : chain) {
    at.push_back(FirstSurfaceSparIndex(rootList, SparX(spars_[rec], root_.xle, root_.chord)));
  }

  const std::size_t n = std::min(rootList.size(), tipList.size());
  for (std::size_t j = n; j-- > 0;) {
    const std::string label = j == n - 1
                                  ? std::string(messageText(Msg::TrailingEdgeProlongationInput))
                                  : IndexLabel(labelId, j);
    if (!out.cut(rootList[j], tipList[j], label)) return false;
    for (std::size_t c = 0; c < chain.size(); ++c) {
      if (at[c] != j) continue;
      const SparRoom room = SparRoomAt(rootOther, tipOther, rootList[j], tipList[j]);
      if (!EmitSparCutOut(out, spars_[chain[c]], rootList[j], tipList[j], s, root_.chord,
                          tip_.chord, kerf, room)) {
        return false;
      }
    }
  }
  return true;
}

bool PanelCutRun::emitSecondSurface(CutEmitter& out) {
  const PointList& rootList = topFirst_ ? lists_.root2 : lists_.root1;
  const PointList& tipList = topFirst_ ? lists_.tip2 : lists_.tip1;
  const PointList& rootOther = topFirst_ ? lists_.root1 : lists_.root2;
  const PointList& tipOther = topFirst_ ? lists_.tip1 : lists_.tip2;
  const Msg labelId = topFirst_ ? Msg::LowerSurfaceCutPoint : Msg::UpperSurfaceCutPoint;
  const bool upper = !topFirst_;
  const double s = upper ? 1.0 : -1.0;
  const KerfAtRatio kerf = kerfLaw();

  const std::vector<std::size_t> chain = SelectCutOuts(spars_, upper, /*ascending=*/true);
  std::vector<std::optional<std::size_t>> at;
  at.reserve(chain.size());
  for (std::size_t rec : chain) {
    at.push_back(SecondSurfaceSparIndex(rootList, SparX(spars_[rec], root_.xle, root_.chord)));
  }

  const std::size_t n = std::min(rootList.size(), tipList.size());
  for (std::size_t i = 0; i < n; ++i) {
    bool cutOut = false;
    for (std::size_t c = 0; c < chain.size(); ++c) {
      if (at[c] != i) continue;
      // The cut-out's first move goes to the point, in place of the plain move.
      cutOut = true;
      const SparRoom room = SparRoomAt(rootOther, tipOther, rootList[i], tipList[i]);
      if (!EmitSparCutOut(out, spars_[chain[c]], rootList[i], tipList[i], s, root_.chord,
                          tip_.chord, kerf, room)) {
        return false;
      }
    }
    if (!cutOut && !out.cut(rootList[i], tipList[i], IndexLabel(labelId, i))) return false;
  }
  return true;
}

bool PanelCutRun::emitLeadingEdge(CutEmitter& out) {
  const Panel& panel = *panel_;
  const Point2D leRoot = lists_.root1.front();
  const Point2D leTip = lists_.tip1.front();

  const bool marginLeft = root_.leMargin > 0.0 || tip_.leMargin > 0.0;
  if (marginLeft && (trimming_ != kTrimWhile || panel.leMode == LeXCut)) {
    label_ = std::string(messageText(Msg::LeadingEdgeCut));
    if (panel.leMode == LeHorizontal) {
      if (!out.cut({leRoot.x + root_.leMargin, leRoot.y}, {leTip.x + tip_.leMargin, leTip.y},
                   label_) ||
          !out.cut(leRoot, leTip, label_)) {
        return false;
      }
    } else if (panel.leMode == LeXCut) {
      // The X leading edge of each side with its own heights, length and angles.
      auto corners = [](Point2D le, const SectionParams& p) {
        const double h1 = p.xleH1;
        const double h2 = p.xleH2;
        const double l = p.xleLength;
        return std::array<Point2D, 4>{
            Point2D{le.x + std::tan(p.xleBeta * kDegree) * h2, le.y - h2},
            Point2D{le.x + l, le.y - h2},
            Point2D{le.x + l, le.y + h1},
            Point2D{le.x + std::tan(p.xleAlpha * kDegree) * h1, le.y + h1},
        };
      };
      const auto r = corners(leRoot, panel.root.params);
      const auto t = corners(leTip, panel.tip.params);
      for (std::size_t k = 0; k < r.size(); ++k) {
        if (!out.paced(r[k], t[k], label_)) return false;
      }
      if (!out.paced(leRoot, leTip, label_)) return false;
    }
  }

  const bool noEffectiveMargin = effectiveLeRoot_ <= 0.0 && effectiveLeTip_ <= 0.0;
  if (trimming_ == kTrimWhile && (panel.leMode == LeHorizontal || noEffectiveMargin)) {
    label_ = std::string(messageText(Msg::BlockShapingAtLeadingEdge));
    const double fr = frontRoot_;
    const double ft = frontTip_;
    const double top = foamHeight_ + kShapingAllowance;
    if (!out.cut({fr + kShapingAllowance, leRoot.y}, {ft + kShapingAllowance, leTip.y}, label_) ||
        !out.cut({fr, top}, {ft, top}, label_) || !out.cut({fr, 0.0}, {ft, 0.0}, label_) ||
        !out.dwell(kTrimPauseMs) ||
        !out.cut({fr + kShapingAllowance, leRoot.y}, {ft + kShapingAllowance, leTip.y}, label_) ||
        !out.cut(leRoot, leTip, label_)) {
      return false;
    }
  }
  return true;
}

bool PanelCutRun::emitExit(CutEmitter& out) {
  const std::string home(messageText(Msg::ReturnToInitialPosition));
  if (trimming_ != kTrimOnly) {
    label_ = std::string(messageText(Msg::TrailingEdgeProlongationOutput));
    if (!out.cut(endsRoot_.b, endsTip_.b, label_)) return false;
    label_ = home;
    const double cl = clearance_;
    switch (trimming_) {
      case kTrimWhile: {
        const double top = foamHeight_ + kShapingAllowance;
        if (!out.cut(exitRoot_, exitTip_, label_) ||
            !out.verticalTrim(exitRoot_.x, exitTip_.x, top, top) ||
            !out.rapid({0.0, top}, {0.0, top}, label_)) {
          return false;
        }
        break;
      }
      case kTrimAfter:
        if (!out.cut(exitRoot_, exitTip_, label_) ||
            !out.verticalTrim(exitRoot_.x, exitTip_.x, cl, cl)) {
          return false;
        }
        label_ = std::string(messageText(Msg::MoveToLeadingEdgeMargin));
        if (!out.rapid({frontRoot_, cl}, {frontTip_, cl}, label_) ||
            !out.verticalTrim(frontRoot_, frontTip_, cl, cl)) {
          return false;
        }
        label_ = home;
        if (!out.rapid({0.0, cl}, {0.0, cl}, label_) ||
            !out.rapid({0.0, 0.0}, {0.0, 0.0}, label_)) {
          return false;
        }
        break;
      default:  // no trimming, or trimmed before cutting
        if (!out.paced({0.0, endsRoot_.b.y}, {0.0, endsTip_.b.y}, label_)) return false;
        break;
    }
  }
  label_ = home;
  return out.rapid({0.0, 0.0}, {0.0, 0.0}, label_);
}

void PanelCutRun::plan() {
  result_ = PanelCutResult{};
  MovePlanner& planner = env_.planner;
  if (!prepare()) return;

  // The warning is a question to the user; a speed estimate runs without
  // message boxes and does not ask.
  const PanelCutChoices& c = choices_;
  if ((trimming_ == kTrimBefore || trimming_ == kTrimAfter) && c.clearance <= foamHeight_ &&
      planner.messageBoxesOn()) {
    const Answer answer =
        env_.prompt.askOkCancel(messageText(Msg::ClearanceLowerThanFoam), MessageIcon::Warning);
    if (answer != Answer::Ok) {
      result_.status = PanelCutStatus::Cancelled;
      return;
    }
  }

  MoveList moves;
  CutEmitter out(planner, moves, result_.leftDistance, result_.span, result_.swapped);
  if (!emitAll(out)) {
    // The planner has reported the refused move and reset its position.
    result_.status = PanelCutStatus::PlanFailed;
    return;
  }
  result_.outlines = lists_;
  result_.moves = std::move(moves);
  result_.status = PanelCutStatus::Ok;
}

}  // namespace

PanelCutPlanner::PanelCutPlanner(CT1Doc& doc, CutEnvironment& env) : doc_(doc), env_(env) {}

PanelCutPlanner::~PanelCutPlanner() = default;

PanelCutResult PanelCutPlanner::Plan() {
  PanelCutResult result;
  PanelCutRun(doc_, env_, result).plan();
  MoveList moves = std::move(result.moves);
  result.moves.clear();
  result_ = result;  // kept without the moves
  result.moves = std::move(moves);
  return result;
}

std::optional<MoveList> PanelCutPlanner::BuildMoves() {
  PanelCutResult result = Plan();
  if (!result.ok()) return std::nullopt;
  return std::move(result.moves);
}

bool PanelCutPlanner::Run(CutJob& job) {
  const bool started = Start(job);
  // Not planned, heat refused, or already ended without success.
  if (!result_.ok()) return false;
  if (started && !job.runToEnd()) result_.status = PanelCutStatus::ExecutionFailed;
  return job.result() == CutJobResult::Done;
}

bool PanelCutPlanner::Start(CutJob& job) {
  MovePlanner& planner = env_.planner;
  const MovePlanner::Position before = planner.towers();
  PanelCutResult result = Plan();
  if (!result.ok()) return false;

  const double speed = env_.machine.foams.cutSpeed;
  const bool estimate = planner.surveying() || !planner.messageBoxesOn();
  if (!estimate) {
    if (!env_.machine.foams.ApplyHeatForSpeed(speed)) {
      // Nothing runs: the wire is still where the list started.
      const TableConfig& table = env_.machine.table;
      planner.SetPlannerPosition(before.XG - table.ZeroX, before.YG - table.ZeroY,
                                 before.XD - table.ZeroX, before.YD - table.ZeroY);
      result_.status = PanelCutStatus::HeatRefused;
      return false;
    }
    // An abort raises the wire to the height this cut travels at above the block.
    const int trimming = doc_.cutChoices.trimmingMode;
    if (trimming == kTrimBefore || trimming == kTrimAfter || trimming == kTrimOnly) {
      env_.abortClearanceHeight = doc_.cutChoices.clearance;
    } else if (trimming == kTrimWhile) {
      env_.abortClearanceHeight = doc_.current().foamThickness + kShapingAllowance;
    }
  }
  // The job outlives this planner: it is asked for the outcome, it does not report here.
  const bool started = job.start(std::move(result.moves), kConfirmedCutFlags, speed);
  if (!started && job.result() != CutJobResult::Done) {
    result_.status = PanelCutStatus::ExecutionFailed;
  }
  return started;
}

bool PanelOutlineCountsDiffer(const Panel& panel) {
  if (panel.wingPanel) return false;
  Section root = panel.root;
  Section tip = panel.tip;
  root.ExtractSurfaces(false);
  tip.ExtractSurfaces(false);
  return root.cutUpper.size() != tip.cutUpper.size();
}

}  // namespace orva
