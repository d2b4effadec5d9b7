#include "cutting/PanelPlacement.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

#include "config/MachineConfig.h"
#include "cutting/PanelCutEstimate.h"
#include "cutting/PanelCutPlanner.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"
#include "motion/CutEnvironment.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

// Room added on both sides of the X travel while the reach is measured, mm.
constexpr int kWideTravel = 100000;
// Most rootAxisOffset values tried along the wire.
constexpr int kMaxOffsetTries = 200;
// The planner's lowest accepted coordinate.
constexpr double kLowest = -0.00001;

struct Reach {
  double low = std::numeric_limits<double>::infinity();
  double high = -std::numeric_limits<double>::infinity();
  bool valid() const { return low <= high; }
};

// The X reach (table coordinates) of every tower target of the cut as the
// project is set now, on the widened table; invalid when the cut cannot be
// planned there.
Reach measure(CT1Doc& doc, CutEnvironment& env) {
  TableConfig& table = env.machine.table;
  MovePlanner& planner = env.planner;
  const TableConfig saved = table;
  const MovePlanner::Position towers = planner.towers();
  const double rx = towers.XG - saved.ZeroX, ry = towers.YG - saved.ZeroY;
  const double rxd = towers.XD - saved.ZeroX, ryd = towers.YD - saved.ZeroY;

  table.ZeroX = saved.ZeroX + kWideTravel;
  table.AxesX = saved.AxesX + 2 * kWideTravel;
  planner.SetPlannerPosition(rx, ry, rxd, ryd);
  Reach reach;
  {
    planner.BeginSpeedSurvey(false);
    PanelCutPlanner cut(doc, env);
    const std::optional<MoveList> list = cut.BuildMoves();
    double speed = 0.0;
    std::string label, error;
    planner.EndSpeedSurvey(false, speed, label, error);
    if (list && error.empty()) {
      for (const CutMove& move : *list) {
        reach.low = std::min({reach.low, move.XG, move.XD});
        reach.high = std::max({reach.high, move.XG, move.XD});
      }
      reach.low -= kWideTravel;
      reach.high -= kWideTravel;
    }
  }
  table = saved;
  planner.SetPlannerPosition(rx, ry, rxd, ryd);
  return reach;
}

bool inTravel(const Reach& reach, const TableConfig& table) {
  return reach.valid() && reach.low >= kLowest && reach.high <= table.AxesX;
}

// Whether the cut as set now plans without error on the real table.
bool plansCleanly(CT1Doc& doc, CutEnvironment& env) {
  return EstimatePanelCut(doc, env, false, env.machine.foams.cutSpeed).error.empty();
}

}  // namespace

PanelPlacement SuggestPanelPlacement(CT1Doc& doc, CutEnvironment& env) {
  PanelPlacement out;
  Panel& panel = doc.current();
  const TableConfig& table = env.machine.table;
  const Panel saved = panel;
  const bool savedModified = doc.modified;

  const Reach reach = measure(doc, env);
  if (!reach.valid() || inTravel(reach, table)) return out;

  // The block's targets move with offsetX0 one for one.
  int x0 = panel.offsetX0;
  if (reach.low < kLowest) {
    x0 += static_cast<int>(std::ceil(-reach.low));
  } else {
    x0 -= static_cast<int>(std::ceil(reach.high - table.AxesX));
  }
  panel.offsetX0 = x0;
  if (inTravel(measure(doc, env), table) && plansCleanly(doc, env)) out.offsetX0 = x0;
  panel.offsetX0 = saved.offsetX0;

  // Along the wire: the distance from the root tower, nearest to the panel's first.
  const double length = panel.sectionCutEnabled ? 0.0 : panel.span;
  const int room = static_cast<int>(std::floor(table.Entraxe - length));
  if (length > 0.0 && room > 0) {
    const int step = std::max(1, room / kMaxOffsetTries);
    const int from = std::clamp(saved.rootAxisOffset, 0, room);
    for (int distance = step; distance <= room + step && !out.rootAxisOffset; distance += step) {
      for (const int candidate : {from - distance, from + distance}) {
        if (candidate < 0 || candidate > room) continue;
        panel.rootAxisOffset = candidate;
        if (inTravel(measure(doc, env), table) && plansCleanly(doc, env)) {
          out.rootAxisOffset = candidate;
          break;
        }
      }
    }
  }
  panel = saved;
  doc.modified = savedModified;
  return out;
}

}  // namespace orva
