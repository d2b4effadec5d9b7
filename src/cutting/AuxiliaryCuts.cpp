#include "common/NumberText.h"
#include "cutting/AuxiliaryCuts.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <system_error>
#include <utility>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "config/TableConfig.h"
#include "cutting/CutEmitter.h"
#include "driver/InterfaceDriver.h"
#include "model/CT1Doc.h"
#include "model/PanelParamsForm.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {


std::string sliceLabel(int pass) { return formatMessage(Msg::SliceCut, {intText(pass)}); }

}  // namespace

bool RunStartedCut(CutJob& job, bool started) {
  if (started) job.runToEnd();
  return job.result() == CutJobResult::Done;
}

// ---------------------------------------------------------------------------
// Block geometry

BlockFaces ComputeBlockFaces(double x0, double leftWidth, double rightWidth, double taper) {
  const double e = leftWidth - rightWidth - taper;
  BlockFaces f;
  f.leftRear = x0 + std::max(-e, 0.0);
  f.rightRear = x0 + std::max(e, 0.0);
  f.leftFront = f.leftRear + leftWidth;
  f.rightFront = f.rightRear + rightWidth;
  return f;
}

int CentredAxisOffset(int entraxe, double length) {
  return truncToInt(static_cast<double>(entraxe) - length) / 2;
}

// ---------------------------------------------------------------------------
// Block shaping

std::optional<MoveList> BuildBlockShapingMoves(MovePlanner& planner, const BlockShapingParams& p) {
  MoveList moves;
  CutEmitter e(planner, moves, p.leftAxisOffset, p.length, false);
  const BlockFaces f = ComputeBlockFaces(p.x0, p.leftWidth, p.rightWidth, p.taper);
  const double yc = p.clearance;
  const std::string_view start = messageText(Msg::MoveToBlockStart);
  const std::string_view margin = messageText(Msg::MoveToLeadingEdgeMargin);
  const std::string_view back = messageText(Msg::ReturnToInitialPosition);
  const bool planned = e.dwell(kBlockShapingHeatMs) && e.rapid({0.0, yc}, {0.0, yc}, start) &&
                       e.rapid({f.leftRear, yc}, {f.rightRear, yc}, start) &&
                       e.verticalTrim(f.leftRear, f.rightRear, yc, yc) &&
                       e.rapid({f.leftFront, yc}, {f.rightFront, yc}, margin) &&
                       e.verticalTrim(f.leftFront, f.rightFront, yc, yc) &&
                       e.rapid({0.0, yc}, {0.0, yc}, back) && e.rapid({0.0, 0.0}, {0.0, 0.0}, back);
  if (!planned) return std::nullopt;
  return moves;
}

std::optional<bool> StartBlockShaping(CutJob& job, const BlockShapingParams& p) {
  CutEnvironment& env = job.environment();
  std::optional<MoveList> moves = BuildBlockShapingMoves(env.planner, p);
  if (!moves) return std::nullopt;
  if (!env.machine.foams.ApplyHeatForSpeed(env.machine.foams.cutSpeed)) return std::nullopt;
  env.abortClearanceHeight = p.clearance;
  return job.start(std::move(*moves), kConfirmedCutFlags, env.machine.foams.cutSpeed);
}

bool RunBlockShaping(CutJob& job, const BlockShapingParams& p) {
  const std::optional<bool> started = StartBlockShaping(job, p);
  return started && RunStartedCut(job, *started);
}

// ---------------------------------------------------------------------------
// Test cut

std::optional<int> TestCutCount(int height, int spacing) {
  if (spacing == 0) return std::nullopt;
  const std::int64_t n = (static_cast<std::int64_t>(height) - 1) / spacing;
  return static_cast<int>(std::clamp<std::int64_t>(n, std::numeric_limits<int>::min(),
                                                   std::numeric_limits<int>::max()));
}

std::optional<std::string> CheckTestCut(const TestCutParams& p) {
  if (p.spacing < 1) return fillInserts(messageText(Msg::InvalidTestCutSpacing), {intText(p.spacing)});
  const int n = *TestCutCount(p.height, p.spacing);
  if (n < 1) return fillInserts(messageText(Msg::NoTestCut), {intText(p.height), intText(p.spacing)});
  if (n > kMaxTestCuts)
    return fillInserts(messageText(Msg::TooManyTestCuts), {intText(n), intText(kMaxTestCuts)});
  if (p.leftWidth <= 0 || p.rightWidth <= 0) {
    return fillInserts(messageText(Msg::InvalidTestCutWidths),
                       {intText(p.leftWidth), intText(p.rightWidth)});
  }
  return std::nullopt;
}

TestCutOvershoot ComputeTestCutOvershoot(int leftWidth, int rightWidth) {
  TestCutOvershoot o{5.0, 5.0};
  if (leftWidth <= 0 || rightWidth <= 0) return o;  // no ratio: refused by CheckTestCut
  if (rightWidth > leftWidth) {
    o.right = 5.0 * rightWidth / leftWidth;
  } else {
    o.left = 5.0 * leftWidth / rightWidth;
  }
  return o;
}

std::optional<MoveList> BuildTestCutMoves(MovePlanner& planner, const TableConfig& table,
                                          const TestCutParams& p) {
  if (const std::optional<std::string> refusal = CheckTestCut(p)) {
    planner.ReportPlanError(*refusal);
    return std::nullopt;
  }
  const int n = *TestCutCount(p.height, p.spacing);
  const BlockFaces f = ComputeBlockFaces(p.x0, p.leftWidth, p.rightWidth, p.taper);
  const TestCutOvershoot o = ComputeTestCutOvershoot(p.leftWidth, p.rightWidth);
  const Point2D behindLeft{f.leftRear - o.left, 0.0};
  const Point2D behindRight{f.rightRear - o.right, 0.0};
  const Point2D beyondLeft{f.leftFront + o.left, 0.0};
  const Point2D beyondRight{f.rightFront + o.right, 0.0};
  const double s = p.spacing;

  MoveList moves;
  CutEmitter e(planner, moves, p.leftAxisOffset, p.length, false);
  std::string label(messageText(Msg::MoveToBlockStart));
  const auto behind = [&](double y) {
    return e.general({behindLeft.x, y}, {behindRight.x, y}, SpeedMode::FaceMax, label);
  };
  const auto beyond = [&](double y) {
    return e.general({beyondLeft.x, y}, {beyondRight.x, y}, SpeedMode::FaceMax, label);
  };

  if (!e.dwell(table.Chauffe * 1000.0)) return std::nullopt;
  // Every pass across the block is labelled with its number in cutting order
  // (from 0); the move that leads to a pass carries the pass's label.
  if (!p.startWithTop) {
    double y = s;
    if (!behind(y)) return std::nullopt;
    int i = 0;
    do {
      label = sliceLabel(i);
      if (!behind(y) || !beyond(y)) return std::nullopt;
      ++i;
      label = sliceLabel(i);
      if (i < n) {
        y += s;
        ++i;
      } else {
        y = p.clearance;  // an odd count: the last pass back runs above the block
      }
      if (!beyond(y) || !behind(y)) return std::nullopt;
      y += s;
    } while (i < n);
  } else {
    // An odd count starts with a pass at the clearance height, so that the
    // last pass back ends behind the block.
    int m = n % 2 == 0 ? n : n + 1;
    double y = n % 2 == 0 ? m * s : p.clearance;
    if (!behind(y)) return std::nullopt;
    int pass = 0;
    do {
      label = sliceLabel(pass++);
      if (!behind(y) || !beyond(y)) return std::nullopt;
      --m;
      y = m * s;
      label = sliceLabel(pass++);
      if (!beyond(y) || !behind(y)) return std::nullopt;
      --m;
      y = m * s;
    } while (m >= 1);
  }
  label = messageText(Msg::ReturnToInitialPosition);
  if (!e.general({0.0, 0.0}, {0.0, 0.0}, SpeedMode::FaceMax, label)) return std::nullopt;
  return moves;
}

std::optional<bool> StartTestCut(CutJob& job, const TestCutParams& p) {
  CutEnvironment& env = job.environment();
  std::optional<MoveList> moves = BuildTestCutMoves(env.planner, env.machine.table, p);
  if (!moves) return std::nullopt;
  env.abortClearanceHeight = p.clearance;
  return job.start(std::move(*moves), kConfirmedCutFlags, env.machine.foams.cutSpeed);
}

bool RunTestCut(CutJob& job, const TestCutParams& p) {
  const std::optional<bool> started = StartTestCut(job, p);
  return started && RunStartedCut(job, *started);
}

// ---------------------------------------------------------------------------
// Foam cut

FoamCutGeometry ComputeFoamCutGeometry(bool horizontal, double height, double alphaDegrees,
                                       int cutWidth, double yOffset) {
  FoamCutGeometry g;
  if (horizontal) {
    g.dx = cutWidth;
    g.dy = 0.0;
    g.y0 = yOffset;
  } else {
    g.dx = height * std::tan(alphaDegrees * kFoamCutRadiansPerDegree);
    g.dy = height;
    g.y0 = 0.0;
  }
  return g;
}

std::optional<MoveList> BuildFoamCutRaiseMoves(MovePlanner& planner, const TableConfig& table,
                                               const FoamCutGeometry& g, bool raiseAtMaxSpeed) {
  MoveList moves;
  // The bare wire: the face points are the tower points.
  CutEmitter e(planner, moves, 0.0, table.Entraxe, false);
  const SpeedMode mode = raiseAtMaxSpeed ? SpeedMode::Rapid : SpeedMode::FaceMax;
  const std::string_view label = messageText(Msg::RaiseWire);
  const Point2D bottom{0.0, g.y0};
  const Point2D top{g.dx, g.dy + g.y0};
  if (!e.dwell(table.Chauffe * 1000.0) || !e.general(bottom, bottom, mode, label) ||
      !e.general(top, top, mode, label)) {
    return std::nullopt;
  }
  return moves;
}

std::optional<MoveList> BuildFoamCutReturnMoves(MovePlanner& planner, const TableConfig& table,
                                                const FoamCutGeometry& g) {
  MoveList moves;
  CutEmitter e(planner, moves, 0.0, table.Entraxe, false);
  const Point2D bottom{0.0, g.y0};
  const Point2D home{0.0, 0.0};
  if (!e.dwell(table.Chauffe * 1000.0) ||
      !e.general(bottom, bottom, SpeedMode::FaceMax, messageText(Msg::Coupe)) ||
      !e.general(home, home, SpeedMode::FaceMax, messageText(Msg::ReturnToInitialPosition)) ||
      !e.dwell(kFoamCutEndPauseMs)) {
    return std::nullopt;
  }
  return moves;
}

}  // namespace orva
