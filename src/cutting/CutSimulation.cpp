#include "cutting/CutSimulation.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/SoundPort.h"
#include "common/StatusPort.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "cutting/CutWarnings.h"
#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutPlanner.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

// The simulation asks nobody: every question is answered OK (the cut is
// only watched), every message is kept as the reason planning stopped.
class QuietPrompt : public UserPrompt {
 public:
  void showMessage(std::string_view text, MessageIcon) override {
    if (first.empty()) first = std::string(text);
  }
  Answer askOkCancel(std::string_view, MessageIcon) override { return Answer::Ok; }
  Answer askAbortRetryIgnore(std::string_view, MessageIcon) override { return Answer::Ignore; }
  Answer askYesNoCancel(std::string_view, MessageIcon) override { return Answer::Yes; }
  std::optional<std::string> chooseOpenFile(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> chooseSaveFile(const FileDialogRequest&) override { return {}; }

  std::string first;
};

class SilentSound : public SoundPort {
 public:
  bool playAndWait(const std::string&) override { return true; }
};

// Everything a planning run touches, private to one simulation: copies of
// the machine data (table, foams) and of the project's current panel, and a
// move planner of its own.
struct PrivateRig {
  PrivateRig(const CT1Doc& source, const CutEnvironment& env)
      : machine(env.machine),
        planner(machine.table, machine.foams, prompt),
        project{prompt, machine, "", ""},
        doc(project),
        cut{planner, env.driver, machine, prompt, sound, status, {}, {}, {}, {}} {
    doc.panels = {source.current()};
    doc.currentPanel = 0;
    doc.splines = source.splines;
    doc.cutChoices = source.cutChoices;
    doc.foamName = source.foamName;
    // The wire starts where the program's planner stands, with its backlash sides.
    CutMove here;
    const MovePlanner::Position towers = env.planner.towers();
    here.XG = towers.XG;
    here.YG = towers.YG;
    here.XD = towers.XD;
    here.YD = towers.YD;
    here.directions = env.planner.directions();
    planner.SetPlannerToEndOf(here);
  }

  QuietPrompt prompt;
  SilentSound sound;
  NullStatusPort status;
  MachineConfig machine;
  MovePlanner planner;
  ProjectContext project;
  CT1Doc doc;
  CutEnvironment cut;
};

double distance(const Point2D& a, const Point2D& b) { return std::hypot(b.x - a.x, b.y - a.y); }

Point2D lerp(const Point2D& a, const Point2D& b, double t) {
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

WirePoints lerp(const WirePoints& a, const WirePoints& b, double t) {
  return {lerp(a.root, b.root, t), lerp(a.tip, b.tip, t), lerp(a.left, b.left, t),
          lerp(a.right, b.right, t)};
}

}  // namespace

CutSimulation CutSimulation::plan(const CT1Doc& doc, const CutEnvironment& env,
                                  std::optional<double> speed) {
  CutSimulation sim;
  if (doc.currentPanel < 0 || static_cast<std::size_t>(doc.currentPanel) >= doc.panels.size()) {
    sim.error = std::string(messageText(Msg::SimNoPanel));
    return sim;
  }
  PrivateRig rig(doc, env);
  FoamDatabase& foams = rig.machine.foams;
  if (!speed) {
    const PanelCutSurvey survey = SurveyPanelCut(rig.doc, rig.cut);
    if (!survey.cutSpeed || !(*survey.cutSpeed > 0.0)) {
      sim.error = !survey.errors.empty()    ? survey.errors.front()
                  : !rig.prompt.first.empty() ? rig.prompt.first
                                              : std::string(messageText(Msg::SimNotPlannedShort));
      return sim;
    }
    speed = survey.cutSpeed;
  }
  if (!(*speed > 0.0) || !std::isfinite(*speed)) {
    sim.error = formatMessage(Msg::InvalidCutSpeed, {numberText(*speed)});
    return sim;
  }
  foams.cutSpeed = *speed;
  sim.cutSpeed = *speed;

  const TableConfig& table = rig.machine.table;
  const MovePlanner::Position before = rig.planner.towers();
  // Errors only: the pacing of a real cut, no speed search, no stream, no
  // message box; refusals become the planner's last error.
  rig.planner.BeginSpeedSurvey(true);
  PanelCutResult result = PanelCutPlanner(rig.doc, rig.cut).Plan();
  double unusedSpeed = 0.0;
  std::string label;
  std::string plannerError;
  rig.planner.EndSpeedSurvey(true, unusedSpeed, label, plannerError);
  if (!result.ok() || !plannerError.empty()) {
    sim.error = !plannerError.empty()       ? plannerError
                : !result.message.empty()   ? result.message
                : !rig.prompt.first.empty() ? rig.prompt.first
                                            : std::string(messageText(Msg::SimNotPlannedShort));
    return sim;
  }

  // The same checks as the cutting dialog's, on the same list.
  const std::vector<CutWarning> found = PanelCutWarnings(result, rig.doc, rig.cut, before);

  const double e = result.entraxe;
  sim.entraxe = result.entraxe;
  sim.leftDistance = result.leftDistance;
  sim.span = result.span;
  sim.swapped = result.swapped;
  // The planner places face 1 at D from the left tower, or E - D - S on a reverse table.
  sim.face1Z_ = table.TableInv != 0 ? e - result.leftDistance - result.span : result.leftDistance;
  sim.face2Z_ = sim.face1Z_ + result.span;
  sim.rootZ = result.swapped ? sim.face2Z_ : sim.face1Z_;
  sim.tipZ = result.swapped ? sim.face1Z_ : sim.face2Z_;
  sim.outlines = std::move(result.outlines);

  const Panel& panel = rig.doc.current();
  sim.blockHeight = panel.foamThickness;
  const auto leMargin = [](const SectionParams& p) {
    return p.leMargin >= 0.0 ? p.leMargin : p.skin + p.leMargin;
  };
  const double rootLe = sim.outlines.root1.empty() ? result.xleRoot : sim.outlines.root1.front().x;
  const double tipLe = sim.outlines.tip1.empty() ? result.xleTip : sim.outlines.tip1.front().x;
  sim.rootRear = result.xleRoot - result.rootChord - panel.root.params.teMargin;
  sim.tipRear = result.xleTip - result.tipChord - panel.tip.params.teMargin;
  sim.rootFront = rootLe + leMargin(panel.root.params);
  sim.tipFront = tipLe + leMargin(panel.tip.params);

  const auto relative = [&](double x, double y) { return Point2D{x - table.ZeroX, y - table.ZeroY}; };
  sim.start = sim.onWire(relative(before.XG, before.YG), relative(before.XD, before.YD));
  sim.moves.reserve(result.moves.size());
  double t = 0.0;
  for (CutMove& move : result.moves) {
    SimulatedMove m;
    m.label = std::move(move.label);
    m.start = t;
    m.duration = std::isfinite(move.duration) && move.duration > 0.0 ? move.duration : 0.0;
    m.rapid = move.rapid;
    m.end = sim.onWire(relative(move.XG, move.YG), relative(move.XD, move.YD));
    t += m.duration;
    sim.moves.push_back(std::move(m));
  }
  sim.totalTime = t;
  sim.warnings.reserve(found.size());
  for (const CutWarning& w : found) {
    if (w.move >= sim.moves.size()) continue;
    const WirePoints& at = sim.moves[w.move].end;
    sim.warnings.push_back(
        {w.move, std::min(w.lastMove, sim.moves.size() - 1), w.label, w.message, at.root, at.tip});
  }
  return sim;
}

WirePoints CutSimulation::onWire(const Point2D& left, const Point2D& right) const {
  WirePoints w;
  w.left = left;
  w.right = right;
  const double e = entraxe > 0 ? static_cast<double>(entraxe) : 1.0;
  const Point2D face1 = lerp(left, right, face1Z_ / e);
  const Point2D face2 = lerp(left, right, face2Z_ / e);
  w.root = swapped ? face2 : face1;
  w.tip = swapped ? face1 : face2;
  return w;
}

double CutSimulation::moveStart(std::size_t i) const {
  return i < moves.size() ? moves[i].start : totalTime;
}

WireState CutSimulation::atMoveEnd(std::size_t i) const {
  if (i >= moves.size()) return at(totalTime);
  const SimulatedMove& m = moves[i];
  WireState s = at(m.start);
  const WirePoints& from = i == 0 ? start : moves[i - 1].end;
  s.time = std::min(m.start + m.duration, totalTime);
  s.remaining = totalTime - s.time;
  s.move = i;
  s.fraction = 1.0;
  s.label = m.label;
  s.wire = m.end;
  s.rootSpeed = s.tipSpeed = s.leftSpeed = s.rightSpeed = 0.0;
  if (m.duration > 0.0) {
    s.rootSpeed = distance(from.root, m.end.root) / m.duration;
    s.tipSpeed = distance(from.tip, m.end.tip) / m.duration;
    s.leftSpeed = distance(from.left, m.end.left) / m.duration;
    s.rightSpeed = distance(from.right, m.end.right) / m.duration;
  }
  return s;
}

WireState CutSimulation::at(double t) const {
  WireState s;
  s.time = std::isfinite(t) ? std::clamp(t, 0.0, totalTime) : 0.0;
  s.remaining = totalTime - s.time;
  s.move = moves.size();
  s.wire = start;
  if (moves.empty()) return s;
  // The first move that has not ended at s.time; moves of no duration are
  // over as soon as they start.
  auto it = std::upper_bound(moves.begin(), moves.end(), s.time,
                             [](double time, const SimulatedMove& m) { return time < m.start + m.duration; });
  if (it == moves.end()) it = std::prev(moves.end());
  s.move = static_cast<std::size_t>(it - moves.begin());
  const SimulatedMove& m = *it;
  const WirePoints& from = s.move == 0 ? start : moves[s.move - 1].end;
  s.fraction = m.duration > 0.0 ? std::clamp((s.time - m.start) / m.duration, 0.0, 1.0) : 1.0;
  s.wire = lerp(from, m.end, s.fraction);
  s.label = m.label;
  if (m.duration > 0.0) {
    s.rootSpeed = distance(from.root, m.end.root) / m.duration;
    s.tipSpeed = distance(from.tip, m.end.tip) / m.duration;
    s.leftSpeed = distance(from.left, m.end.left) / m.duration;
    s.rightSpeed = distance(from.right, m.end.right) / m.duration;
  }
  return s;
}

WireState CutSimulation::follow(const CutJobProgress& progress) const {
  const bool sameCut = progress.moveCount == moves.size() && !moves.empty();
  if (!sameCut) {
    // Another list (a retreat, another cut): only the wire is known.
    WireState s = at(0.0);
    s.move = moves.size();
    s.label = progress.label;
    s.time = progress.elapsedSeconds;
    s.remaining = progress.remainingSeconds;
    s.rootSpeed = s.tipSpeed = s.leftSpeed = s.rightSpeed = 0.0;
    if (progress.position) {
      s.wire = onWire({progress.position->XG, progress.position->YG},
                      {progress.position->XD, progress.position->YD});
    }
    return s;
  }
  const std::size_t index = std::min(progress.moveIndex, moves.size() - 1);
  if (!progress.position) {
    WireState s = at(progress.moveIndex >= moves.size() ? totalTime : moveStart(index));
    return s;
  }
  const Point2D left{progress.position->XG, progress.position->YG};
  const Point2D right{progress.position->XD, progress.position->YD};
  // How far the towers have come along the move being output: the reported
  // point projected on the move's path in the four axes.
  const WirePoints& from = index == 0 ? start : moves[index - 1].end;
  const WirePoints& to = moves[index].end;
  const double dx[4] = {to.left.x - from.left.x, to.left.y - from.left.y, to.right.x - from.right.x,
                        to.right.y - from.right.y};
  const double px[4] = {left.x - from.left.x, left.y - from.left.y, right.x - from.right.x,
                        right.y - from.right.y};
  double along = 0.0;
  double length = 0.0;
  for (int k = 0; k < 4; ++k) {
    along += dx[k] * px[k];
    length += dx[k] * dx[k];
  }
  const double fraction = length > 0.0 ? std::clamp(along / length, 0.0, 1.0) : 0.0;
  WireState s = at(moves[index].start + fraction * moves[index].duration);
  s.move = index;
  s.wire = onWire(left, right);
  return s;
}

}  // namespace orva
