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

using form_text::intText;
using form_text::numberText;
using form_text::parseInt;
using form_text::truncToInt;

// The width of the block at one face: chord plus both margins.
double blockWidthOf(const Section& s) {
  return s.params.chord + s.params.teMargin + s.params.leMargin;
}

// The height shown by default for the clearance: the project's, or the
// integer part of H + 20 when it is 0.
double defaultClearance(const CT1Doc& doc) {
  const double c = doc.cutChoices.clearance;
  return c != 0.0 ? c : static_cast<double>(truncToInt(doc.current().foamThickness + 20.0));
}

std::string sliceLabel(int pass) { return formatMessage(Msg::SliceCut, {intText(pass)}); }

// A started cut runs to its end; true when it was done.
bool runStarted(CutJob& job, bool started) {
  if (started) job.runToEnd();
  return job.result() == CutJobResult::Done;
}

}  // namespace

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
  return started && runStarted(job, *started);
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
  return started && runStarted(job, *started);
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

// ---------------------------------------------------------------------------
// Form base

AuxiliaryFormBase::AuxiliaryFormBase(MachineConfig& machine, UserPrompt& prompt, std::size_t fields,
                                     int speedField, int foamField)
    : machine_(machine),
      prompt_(prompt),
      texts_(fields),
      checks_(fields, false),
      speedField_(speedField),
      foamField_(foamField) {
  for (const auto& [name, record] : machine_.foams.records) foamNames_.push_back(name);
  if (machine_.foams.currentRecord() != nullptr) selectedFoam_ = machine_.foams.currentFoam;
  put(speedField_, numberText(machine_.foams.cutSpeed));
}

bool AuxiliaryFormBase::chooseFoam(std::string_view name) {
  if (!editable(foamField_)) return false;
  FoamType record;
  if (!machine_.foams.SelectFoam(name, &record)) return false;
  selectedFoam_ = machine_.foams.currentFoam;
  put(speedField_, numberText(record.maxSpeed));
  notifyChanged();
  return true;
}

void AuxiliaryFormBase::put(int field, std::string text) {
  texts_.at(static_cast<std::size_t>(field)) = std::move(text);
}

std::string AuxiliaryFormBase::fieldText(int field) const {
  return texts_.at(static_cast<std::size_t>(field));
}

bool AuxiliaryFormBase::takeText(int field, std::string_view text) {
  put(field, std::string(text));
  edited(field);
  return true;
}

bool AuxiliaryFormBase::fieldChecked(int field) const {
  return checks_.at(static_cast<std::size_t>(field));
}

bool AuxiliaryFormBase::takeChecked(int field, bool value) {
  checks_.at(static_cast<std::size_t>(field)) = value;
  edited(field);
  return true;
}

int AuxiliaryFormBase::fieldIndex(int) const {
  const auto it = std::find(foamNames_.begin(), foamNames_.end(), selectedFoam_);
  return it == foamNames_.end() ? -1 : static_cast<int>(it - foamNames_.begin());
}

bool AuxiliaryFormBase::takeIndex(int, int index) {
  return chooseFoam(foamNames_[static_cast<std::size_t>(index)]);
}

std::optional<int> AuxiliaryFormBase::readInt(int field, std::optional<int> min,
                                              std::optional<int> max) {
  const std::optional<int> v = parseInt(texts_.at(static_cast<std::size_t>(field)));
  if (!v) {
    fail(field, std::string(messageText(Msg::PleaseEnterAnInteger)));
    return std::nullopt;
  }
  if ((min && *v < *min) || (max && *v > *max)) {
    fail(field, formatMessage(Msg::PleaseEnterAnIntegerBetween,
                              {intText(min.value_or(std::numeric_limits<int>::min())),
                               intText(max.value_or(std::numeric_limits<int>::max()))}));
    return std::nullopt;
  }
  return v;
}

std::optional<double> AuxiliaryFormBase::readNumber(int field, std::optional<double> min,
                                                    std::optional<double> max) {
  const std::optional<double> v =
      form_text::parseNumber(texts_.at(static_cast<std::size_t>(field)));
  if (!v) {
    fail(field, formatMessage(Msg::PleaseEnterANumber));
    return std::nullopt;
  }
  if ((min && *v < *min) || (max && *v > *max)) {
    fail(field, formatMessage(Msg::PleaseEnterANumberBetween,
                              {numberText(min.value_or(-std::numeric_limits<double>::max())),
                               numberText(max.value_or(std::numeric_limits<double>::max()))}));
    return std::nullopt;
  }
  return v;
}

std::optional<double> AuxiliaryFormBase::readSpeed() {
  const std::optional<double> v = readNumber(speedField_);
  if (!v) return std::nullopt;
  // A speed of 0 would make every cut move run as fast as the motors allow.
  if (!(*v > 0.0)) {
    fail(speedField_, fillInserts(messageText(Msg::InvalidCutSpeed), {numberText(*v)}));
    return std::nullopt;
  }
  return v;
}

bool AuxiliaryFormBase::fail(int field, const std::string& message) {
  prompt_.showMessage(message, MessageIcon::Warning);
  return refuse(field, message);
}

void AuxiliaryFormBase::storeFoamAndSpeed(double speed) {
  if (!selectedFoam_.empty()) machine_.foams.SelectFoam(selectedFoam_);
  machine_.foams.cutSpeed = speed;
}

// ---------------------------------------------------------------------------
// Block shaping form

namespace {
constexpr int idx(BlockShapingField f) { return static_cast<int>(f); }
constexpr int idx(TestCutField f) { return static_cast<int>(f); }
constexpr int idx(FoamCutField f) { return static_cast<int>(f); }
}  // namespace

BlockShapingForm::BlockShapingForm(CT1Doc& doc, AuxiliaryCutValues& values,
                                   AuxiliaryCutSession& session)
    : FormOf(doc.context().machine, doc.context().prompt,
                        static_cast<std::size_t>(Field::Count), idx(Field::CutSpeed),
                        idx(Field::FoamType)),
      doc_(doc),
      values_(values),
      session_(session) {
  const Panel& p = doc_.current();
  const bool leftWing = doc_.cutChoices.wingSide == 1;
  checks_[idx(Field::BlockCentred)] = p.blockCentredZ;
  put(idx(Field::X0), intText(p.offsetX0));
  put(idx(Field::LeftAxisOffset), intText(p.rootAxisOffset));
  const double root = blockWidthOf(p.root);
  const double tip = blockWidthOf(p.tip);
  put(idx(Field::LeftWidth), numberText(leftWing ? tip : root));
  put(idx(Field::RightWidth), numberText(leftWing ? root : tip));
  put(idx(Field::Taper), numberText(leftWing ? -p.sweep : p.sweep));
  put(idx(Field::Length), numberText(p.span));
  put(idx(Field::YDimension), numberText(defaultClearance(doc_)));
  followLength();
}

std::string_view BlockShapingForm::title() { return messageText(Msg::BlockShapingTitle); }

std::string_view BlockShapingForm::label(Field field) {
  switch (field) {
    case Field::X0:
      return messageText(Msg::X0OffsetMm);
    case Field::BlockCentred:
      return messageText(Msg::BlockCentered);
    case Field::LeftAxisOffset:
      return messageText(Msg::LeftAxisOffsetMm);
    case Field::LeftWidth:
      return messageText(Msg::LeftWidthMm);
    case Field::RightWidth:
      return messageText(Msg::RightWidthMm);
    case Field::Taper:
      return messageText(Msg::LRTaperMm);
    case Field::Length:
      return messageText(Msg::LengthMm);
    case Field::YDimension:
      return messageText(Msg::YDimensionMm);
    case Field::FoamType:
      return messageText(Msg::FoamType);
    case Field::CutSpeed:
      return messageText(Msg::CutSpeed);
    default:
      return {};
  }
}

std::span<const FieldInfo> BlockShapingForm::fieldTable() const {
  static const auto kTable = [] {
    constexpr std::string_view kNames[] = {"x0",    "blockCentred", "leftAxisOffset", "leftWidth",
                                           "rightWidth", "taper",   "length",         "yDimension",
                                           "foamType",   "cutSpeed"};
    std::array<FieldInfo, std::size(kNames)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      const auto field = static_cast<Field>(i);
      const FieldKind kind = field == Field::BlockCentred ? FieldKind::Check
                             : field == Field::FoamType   ? FieldKind::List
                                                          : FieldKind::Text;
      table[i] = {static_cast<int>(i), kNames[i], kind, label(field)};
    }
    return table;
  }();
  return kTable;
}

// While the block is centred its left axis offset follows the length.
bool BlockShapingForm::fieldReadOnly(int field) const {
  return field == idx(Field::LeftAxisOffset) && checks_[idx(Field::BlockCentred)];
}

void BlockShapingForm::edited(int field) {
  if (field == idx(Field::Length) || field == idx(Field::BlockCentred)) followLength();
}

// While the block is centred, its left axis offset follows its length.
void BlockShapingForm::followLength() {
  if (!checks_[idx(Field::BlockCentred)]) return;
  const double length = form_text::leadingNumber(text(Field::Length));
  put(idx(Field::LeftAxisOffset), intText(CentredAxisOffset(machine_.table.Entraxe, length)));
}

bool BlockShapingForm::validate() {
  const auto x0 = readInt(idx(Field::X0));
  if (!x0) return false;
  const auto axis = readInt(idx(Field::LeftAxisOffset));
  if (!axis) return false;
  const auto lw = readNumber(idx(Field::LeftWidth));
  if (!lw) return false;
  const auto rw = readNumber(idx(Field::RightWidth));
  if (!rw) return false;
  const auto taper = readNumber(idx(Field::Taper));
  if (!taper) return false;
  const auto length = readNumber(idx(Field::Length));
  if (!length) return false;
  const auto yc = readNumber(idx(Field::YDimension));
  if (!yc) return false;
  const auto speed = readSpeed();
  if (!speed) return false;

  const bool centred = checks_[idx(Field::BlockCentred)];
  params_.x0 = *x0;
  params_.leftWidth = *lw;
  params_.rightWidth = *rw;
  params_.taper = *taper;
  params_.length = *length;
  params_.leftAxisOffset = centred ? CentredAxisOffset(machine_.table.Entraxe, *length) : *axis;
  params_.clearance = *yc;
  speed_ = *speed;
  focus_ = -1;
  return true;
}

bool BlockShapingForm::accept() {
  if (!validate()) return false;
  Panel& p = doc_.current();
  const bool centred = checks_[idx(Field::BlockCentred)];
  const int x0 = static_cast<int>(params_.x0);
  const int axis = static_cast<int>(params_.leftAxisOffset);
  const bool panelChanged =
      p.offsetX0 != x0 || p.blockCentredZ != centred || p.rootAxisOffset != axis;
  p.offsetX0 = x0;
  p.blockCentredZ = centred;
  session_.blockCentred = centred;
  values_.blockLength = params_.length;
  doc_.cutChoices.clearance = params_.clearance;
  p.rootAxisOffset = axis;
  storeFoamAndSpeed(speed_);
  // The panel's block position is saved with the project.
  if (panelChanged) doc_.markModified(DocChange::PanelGeometry);
  return true;
}

// ---------------------------------------------------------------------------
// Test cut form

TestCutForm::TestCutForm(CT1Doc& doc, AuxiliaryCutValues& values, AuxiliaryCutSession& session)
    : FormOf(doc.context().machine, doc.context().prompt,
                        static_cast<std::size_t>(Field::Count), idx(Field::CutSpeed),
                        idx(Field::FoamType)),
      doc_(doc),
      values_(values),
      session_(session) {
  const Panel& p = doc_.current();
  checks_[idx(Field::StartWithTop)] = session_.startWithTop;
  checks_[idx(Field::BlockCentred)] = p.blockCentredZ;
  put(idx(Field::X0), intText(p.offsetX0));
  put(idx(Field::LeftAxisOffset), intText(p.rootAxisOffset));
  put(idx(Field::Height), intText(truncToInt(p.foamThickness)));
  put(idx(Field::Spacing), intText(values_.testCutSpacing));
  put(idx(Field::YDimension), numberText(defaultClearance(doc_)));
  const double length =
      values_.blockLength != 0.0 ? values_.blockLength : truncToInt(p.span - 20.0);
  put(idx(Field::Length), numberText(length));
  const int left = values_.leftWidth != 0 ? values_.leftWidth : truncToInt(blockWidthOf(p.root));
  put(idx(Field::LeftWidth), intText(left));
  put(idx(Field::RightWidth), intText(values_.rightWidth != 0 ? values_.rightWidth : left));
  put(idx(Field::Taper), intText(values_.blockTaper));
  put(idx(Field::Heat), intText(machine_.foams.currentHeat));
  followLength();
  updateCount();
}

std::string_view TestCutForm::title() { return messageText(Msg::TestCutTitle); }

std::string_view TestCutForm::label(Field field) {
  switch (field) {
    case Field::StartWithTop:
      return messageText(Msg::StartWithTheTop);
    case Field::X0:
      return messageText(Msg::X0OffsetMm);
    case Field::BlockCentred:
      return messageText(Msg::BlockCentered);
    case Field::LeftAxisOffset:
      return messageText(Msg::LeftAxisOffsetMm);
    case Field::Spacing:
      return messageText(Msg::SpacingMm);
    case Field::NumberOfCuts:
      return messageText(Msg::NumberOfCuts);
    case Field::YDimension:
      return messageText(Msg::YDimensionMm);
    case Field::LeftWidth:
      return messageText(Msg::LeftWidthMm);
    case Field::RightWidth:
      return messageText(Msg::RightWidthMm);
    case Field::Taper:
      return messageText(Msg::TaperLRMm);
    case Field::Length:
      return messageText(Msg::LengthMm);
    case Field::Height:
      return messageText(Msg::HeightMm);
    case Field::FoamType:
      return messageText(Msg::FoamType);
    case Field::CutSpeed:
      return messageText(Msg::CutSpeed);
    case Field::Heat:
      return messageText(Msg::HeatPercent);
    default:
      return {};
  }
}

std::span<const FieldInfo> TestCutForm::fieldTable() const {
  static const auto kTable = [] {
    constexpr std::string_view kNames[] = {
        "startWithTop", "x0",        "blockCentred", "leftAxisOffset", "spacing",
        "numberOfCuts", "yDimension", "leftWidth",   "rightWidth",     "taper",
        "length",       "height",    "foamType",     "cutSpeed",       "heat"};
    std::array<FieldInfo, std::size(kNames)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      const auto field = static_cast<Field>(i);
      FieldKind kind = FieldKind::Text;
      if (field == Field::StartWithTop || field == Field::BlockCentred) kind = FieldKind::Check;
      if (field == Field::FoamType) kind = FieldKind::List;
      if (field == Field::NumberOfCuts) kind = FieldKind::Display;
      table[i] = {static_cast<int>(i), kNames[i], kind, label(field)};
    }
    return table;
  }();
  return kTable;
}

bool TestCutForm::fieldReadOnly(int field) const {
  return field == idx(Field::LeftAxisOffset) && checks_[idx(Field::BlockCentred)];
}

void TestCutForm::edited(int field) {
  if (field == idx(Field::Length) || field == idx(Field::StartWithTop) ||
      field == idx(Field::BlockCentred)) {
    followLength();
  }
  if (field == idx(Field::Height) || field == idx(Field::Spacing)) updateCount();
}

void TestCutForm::followLength() {
  if (!checks_[idx(Field::BlockCentred)]) return;
  const double length = form_text::leadingNumber(text(Field::Length));
  put(idx(Field::LeftAxisOffset), intText(CentredAxisOffset(machine_.table.Entraxe, length)));
}

// The number of cuts follows height and spacing; a spacing of 0 (or a box
// that holds no integer) leaves it as it is.
void TestCutForm::updateCount() {
  const std::optional<int> height = parseInt(text(Field::Height));
  const std::optional<int> spacing = parseInt(text(Field::Spacing));
  if (!height || !spacing) return;
  if (const std::optional<int> n = TestCutCount(*height, *spacing)) {
    put(idx(Field::NumberOfCuts), intText(*n));
  }
}

bool TestCutForm::validate() {
  const auto x0 = readInt(idx(Field::X0));
  if (!x0) return false;
  const auto axis = readInt(idx(Field::LeftAxisOffset));
  if (!axis) return false;
  const auto spacing = readInt(idx(Field::Spacing));
  if (!spacing) return false;
  const auto yc = readNumber(idx(Field::YDimension));
  if (!yc) return false;
  const auto lw = readInt(idx(Field::LeftWidth));
  if (!lw) return false;
  const auto rw = readInt(idx(Field::RightWidth));
  if (!rw) return false;
  const auto taper = readInt(idx(Field::Taper));
  if (!taper) return false;
  const auto length = readNumber(idx(Field::Length));
  if (!length) return false;
  const auto height = readInt(idx(Field::Height));
  if (!height) return false;
  const auto speed = readSpeed();
  if (!speed) return false;
  const auto heat = readInt(idx(Field::Heat), 1, 99);
  if (!heat) return false;

  TestCutParams p;
  p.x0 = *x0;
  p.leftWidth = *lw;
  p.rightWidth = *rw;
  p.taper = *taper;
  p.length = *length;
  p.leftAxisOffset = checks_[idx(Field::BlockCentred)]
                         ? CentredAxisOffset(machine_.table.Entraxe, *length)
                         : *axis;
  p.clearance = *yc;
  p.height = *height;
  p.spacing = *spacing;
  p.startWithTop = checks_[idx(Field::StartWithTop)];
  if (const std::optional<std::string> refusal = CheckTestCut(p)) {
    const Field at = p.spacing < 1                           ? Field::Spacing
                     : p.leftWidth <= 0 || p.rightWidth <= 0 ? Field::LeftWidth
                                                             : Field::Height;
    return fail(idx(at), *refusal);
  }
  params_ = p;
  speed_ = *speed;
  heat_ = *heat;
  focus_ = -1;
  return true;
}

bool TestCutForm::accept() {
  if (!validate()) return false;
  if (!machine_.foams.ApplyHeat(heat_)) return false;  // it has said why
  storeFoamAndSpeed(speed_);
  Panel& p = doc_.current();
  const bool centred = checks_[idx(Field::BlockCentred)];
  const int x0 = static_cast<int>(params_.x0);
  const int axis = static_cast<int>(params_.leftAxisOffset);
  const double height = params_.height;
  const bool panelChanged = p.offsetX0 != x0 || p.blockCentredZ != centred ||
                            p.rootAxisOffset != axis || p.foamThickness != height;
  p.offsetX0 = x0;
  p.blockCentredZ = centred;
  session_.blockCentred = centred;
  p.rootAxisOffset = axis;
  values_.blockLength = params_.length;
  doc_.cutChoices.clearance = params_.clearance;
  values_.blockTaper = params_.taper;
  values_.leftWidth = params_.leftWidth;
  values_.rightWidth = params_.rightWidth;
  values_.testCutSpacing = params_.spacing;
  p.foamThickness = height;
  session_.startWithTop = params_.startWithTop;
  if (panelChanged) doc_.markModified(DocChange::PanelGeometry);
  return true;
}

// ---------------------------------------------------------------------------
// Foam cut form

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
  return started && runStarted(job, *started);
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
