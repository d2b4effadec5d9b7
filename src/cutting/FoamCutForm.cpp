#include "common/NumberText.h"
#include "cutting/FoamCutForm.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "model/CT1Doc.h"
#include "model/PanelParamsForm.h"
#include "driver/InterfaceDriver.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {


constexpr int idx(FoamCutField f) { return static_cast<int>(f); }

}  // namespace

FoamCutForm::FoamCutForm(CT1Doc& doc)
    : FormOf(doc.context().machine, doc.context().prompt,
                        static_cast<std::size_t>(Field::Count), idx(Field::CutSpeed),
                        idx(Field::FoamType)),
      doc_(doc) {
  put(idx(Field::HeightOfCut), intText(truncToInt(doc_.current().foamThickness + 5.0)));
  put(idx(Field::Alpha), "0");
  put(idx(Field::OffsetY), "0");
  put(idx(Field::CutWidth), "0");
  checks_[idx(Field::RaiseAtMaxSpeed)] = machine_.table.ArmVMax != 0;
}

std::string_view FoamCutForm::title() { return messageText(Msg::FoamCutTitle); }

std::string_view FoamCutForm::label(Field field) {
  switch (field) {
    case Field::HeightOfCut:
      return messageText(Msg::HeightOfCutMm);
    case Field::Alpha:
      return messageText(Msg::AlphaAngleDegree);
    case Field::Horizontal:
      return messageText(Msg::HorizontalCut);
    case Field::OffsetY:
      return messageText(Msg::OffsetEnYMm);
    case Field::CutWidth:
      return messageText(Msg::CutWidthMm);
    case Field::RaiseAtMaxSpeed:
      return messageText(Msg::RaiseWireAtMaximumSpeed);
    case Field::FoamType:
      return messageText(Msg::FoamType);
    case Field::CutSpeed:
      return messageText(Msg::CutSpeed);
    case Field::Action:
      return messageText(Msg::RaiseWire);  // actionCaption() says what it shows now
    case Field::Done:
      return messageText(Msg::Done);
    default:
      return {};
  }
}

std::span<const FieldInfo> FoamCutForm::fieldTable() const {
  static const auto kTable = [] {
    constexpr std::string_view kNames[] = {"heightOfCut", "alpha",    "horizontal", "offsetY",
                                           "cutWidth",    "raiseAtMaxSpeed", "foamType", "cutSpeed",
                                           "action",      "done"};
    std::array<FieldInfo, std::size(kNames)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      const auto field = static_cast<Field>(i);
      FieldKind kind = FieldKind::Text;
      if (field == Field::Horizontal || field == Field::RaiseAtMaxSpeed) kind = FieldKind::Check;
      if (field == Field::FoamType) kind = FieldKind::List;
      if (field == Field::Action || field == Field::Done) kind = FieldKind::Button;
      table[i] = {static_cast<int>(i), kNames[i], kind, label(field)};
    }
    return table;
  }();
  return kTable;
}

std::string_view FoamCutForm::actionCaption() const {
  if (raised_) return messageText(Msg::Coupe);
  return messageText(completedOnce_ ? Msg::Armement : Msg::RaiseWire);
}

bool FoamCutForm::fieldEnabled(int field) const {
  if (field == idx(Field::Action)) return true;
  if (raised_ || field < 0 || field >= idx(Field::Count)) return false;
  const bool horizontal = checks_[idx(Field::Horizontal)];
  if (field == idx(Field::HeightOfCut) || field == idx(Field::Alpha)) return !horizontal;
  if (field == idx(Field::OffsetY) || field == idx(Field::CutWidth)) return horizontal;
  return true;
}

bool FoamCutForm::validate() {
  const bool horizontal = checks_[idx(Field::Horizontal)];
  double height = 0.0;
  double alpha = 0.0;
  double offsetY = 0.0;
  int width = 0;
  if (!horizontal) {
    const auto h = readNumber(idx(Field::HeightOfCut));
    if (!h) return false;
    const auto a = readNumber(idx(Field::Alpha), -89.0, 89.0);
    if (!a) return false;
    height = *h;
    alpha = *a;
  } else {
    const auto y = readNumber(idx(Field::OffsetY));
    if (!y) return false;
    const auto w = readInt(idx(Field::CutWidth));
    if (!w) return false;
    offsetY = *y;
    width = *w;
  }
  const auto speed = readSpeed();
  if (!speed) return false;
  geometry_ = ComputeFoamCutGeometry(horizontal, height, alpha, width, offsetY);
  if (!horizontal) put(idx(Field::OffsetY), "0");  // an inclined cut starts at the table
  speed_ = *speed;
  focus_ = -1;
  return true;
}

FoamCutForm::~FoamCutForm() {
  if (running_ != nullptr) running_->runToEnd();
}

std::optional<bool> FoamCutForm::startAction(CutJob& job) {
  if (job.running()) {
    job.environment().prompt.showMessage(messageText(Msg::CutRunning), MessageIcon::Warning);
    return std::nullopt;
  }
  return raised_ ? cutDown(job) : raise(job);
}

bool FoamCutForm::pressAction(CutJob& job) {
  const std::optional<bool> started = startAction(job);
  return started && RunStartedCut(job, *started);
}

std::optional<bool> FoamCutForm::raise(CutJob& job) {
  if (!validate()) return std::nullopt;
  CutEnvironment& env = job.environment();
  FoamDatabase& foams = env.machine.foams;
  foams.cutSpeed = speed_;
  if (!foams.ApplyHeatForSpeed(foams.cutSpeed)) return std::nullopt;
  std::optional<MoveList> moves = BuildFoamCutRaiseMoves(env.planner, env.machine.table, geometry_,
                                                         checks_[idx(Field::RaiseAtMaxSpeed)]);
  if (!moves) return std::nullopt;
  running_ = &job;
  return job.start(std::move(*moves), nextFlags(), foams.cutSpeed, [this, &env](CutJobResult end) {
    running_ = nullptr;
    lastRunFailed_ = end != CutJobResult::Done;
    if (lastRunFailed_) return;
    raised_ = true;
    // The interface stays started (the wire heats) until the cut down.
    env.driver.Start();
  });
}

std::optional<bool> FoamCutForm::cutDown(CutJob& job) {
  CutEnvironment& env = job.environment();
  FoamDatabase& foams = env.machine.foams;
  if (!foams.ApplyHeatForSpeed(foams.cutSpeed)) return std::nullopt;
  std::optional<MoveList> moves =
      BuildFoamCutReturnMoves(env.planner, env.machine.table, geometry_);
  if (!moves) return std::nullopt;
  running_ = &job;
  return job.start(std::move(*moves), nextFlags(), foams.cutSpeed, [this](CutJobResult end) {
    running_ = nullptr;
    lastRunFailed_ = end != CutJobResult::Done;
    if (lastRunFailed_) return;
    raised_ = false;
    completedOnce_ = true;
  });
}

bool FoamCutForm::accept() {
  if (raised_) return false;
  const auto speed = readSpeed();
  if (!speed) return false;
  storeFoamAndSpeed(*speed);
  // A remembered choice: it reaches the table file with its next write.
  machine_.table.ArmVMax = checks_[idx(Field::RaiseAtMaxSpeed)] ? 1 : 0;
  focus_ = -1;
  return true;
}

}  // namespace orva
