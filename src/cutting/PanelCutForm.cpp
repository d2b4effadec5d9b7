#include "cutting/PanelCutForm.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"
#include "cutting/CutWarnings.h"
#include "cutting/PanelCutPlanner.h"
#include "model/CT1Doc.h"
#include "model/Panel.h"
#include "model/PanelParamsForm.h"
#include "motion/CutEnvironment.h"
#include "motion/CutJob.h"
#include "motion/MovePlanner.h"

namespace orva {

namespace {

constexpr int kTrimmingModes = 5;
// Distance kept between the block and the far tower when only a part is cut.
constexpr double kTableReserve = 10.0;
// The clearance is taken from the project only below this height.
constexpr double kMaxClearance = 10000.0;
constexpr double kDefaultClearanceAllowance = 20.0;
// Graduations of the front view.
constexpr double kTickStep = 50.0;
constexpr int kMaxTicks = 10000;
// Width of a tower drawn beside the table in the top view.
constexpr double kTowerWidth = 20.0;

bool isFixedHeat(const FoamType& foam) { return foam.heatMode == FixedHeat; }

// The vertical extent of a section's outline in mm above the table.
struct Heights {
  double low = 0.0;
  double high = 0.0;
};
Heights heightsOf(const Section& s) {
  double lo = std::numeric_limits<double>::infinity();
  double hi = -std::numeric_limits<double>::infinity();
  for (const PointList* list : {&s.upper, &s.lower}) {
    for (const Point2D& p : *list) {
      lo = std::min(lo, p.y);
      hi = std::max(hi, p.y);
    }
  }
  if (!(lo <= hi)) lo = hi = 0.0;
  const double c = s.params.chord;
  const double h = s.params.basicHeight;
  return {h + c * lo, h + c * hi};
}

// One end of the part that is cut, as the preview places it.
struct SideShape {
  double xle = 0.0;
  double chord = 0.0;
  double teMargin = 0.0;
  double leMargin = 0.0;  // effective: the skin takes a negative margin's place
  Heights heights;

  double rear() const { return xle - chord - teMargin; }
  double front() const { return xle + leMargin; }
};

double effectiveLeMargin(const SectionParams& p) {
  return p.leMargin >= 0.0 ? p.leMargin : p.skin + p.leMargin;
}

SideShape shapeOf(const Section& s, double xle) {
  return {xle, s.params.chord, s.params.teMargin, effectiveLeMargin(s.params), heightsOf(s)};
}

// Where the preview puts the panel and the block: the faces of the block
// along the wire, the two ends as cut, the planform of the whole panel and
// the intermediate section.
struct PreviewLayout {
  double uRootFace = 0.0;
  double uTipFace = 0.0;
  SideShape rootSide;
  SideShape tipSide;
  double uRoot = 0.0;
  double uTip = 0.0;
  double xleRoot = 0.0;
  double xleTip = 0.0;
  double rootChord = 0.0;
  double tipChord = 0.0;
  std::optional<PreviewSegment> intermediate;
};

}  // namespace

// ---------------------------------------------------------------------------
// Opening

PanelCutForm::PanelCutForm(CT1Doc& doc, CutEnvironment& env)
    : doc_(doc), env_(env), panelIndex_(doc.currentPanel) {
  const PanelCutChoices& c = doc_.cutChoices;
  const Panel& p = panel();
  const TableConfig& table = env_.machine.table;

  wingSide_ = c.wingSide == 1 ? 1 : 0;
  cutOrder_ = c.cutOrder == 0 ? 0 : 1;
  profileKerf_ = c.kerfCompensationA != 0;
  refLowerSurface_ = c.referenceLowerSurface != 0;
  trimmingMode_ = c.trimmingMode >= 0 && c.trimmingMode < kTrimmingModes ? c.trimmingMode : 0;
  clearance_ = DefaultClearance(doc_);
  intermediate_ = p.sectionCutEnabled;
  z_ = p.sectionCutZ;
  sectionReference_ = c.sectionReference == 1 ? 1 : 0;
  blockCentred_ = p.blockCentredZ;
  rootAxisOffset_ = p.rootAxisOffset;
  offsetX0_ = p.offsetX0;
  cutToFile_ = env_.output.cutToFile;
  stepDetails_ = env_.output.stepDetails;
  span_ = p.span;

  // A panel longer than the table can only be cut in two parts.
  spanExceedsTable_ = span_ > static_cast<double>(table.Entraxe);
  if (spanExceedsTable_) {
    env_.prompt.showMessage(
        fillFields(messageText(Msg::HalfSpanGreaterThanTable), {truncToInt(span_), table.Entraxe}),
        MessageIcon::Warning);
    intermediate_ = true;
    if (z_ == 0) z_ = truncToInt(span_ * 0.5);
  }

  texts_[at(Field::Clearance)] = intText(clearance_);
  texts_[at(Field::PositionZ)] = intText(z_);
  texts_[at(Field::RootAxisOffset)] = numberText(rootAxisOffset_);
  texts_[at(Field::OffsetX0)] = intText(offsetX0_);

  const FoamDatabase& foams = env_.machine.foams;
  for (const auto& [name, record] : foams.records) foamNames_.push_back(name);
  foam_ = foams.currentFoam;
  setSpeed(foams.cutSpeed);
  if (const FoamType* foam = foamRecord()) applyFoam(*foam);

  updateGeometry();
  refresh();
}

int PanelCutForm::DefaultClearance(const CT1Doc& doc) {
  const double c = doc.cutChoices.clearance;
  if (c > 0.0 && c < kMaxClearance) return truncToInt(c);
  return truncToInt(doc.current().foamThickness + kDefaultClearanceAllowance);
}

Panel& PanelCutForm::panel() { return doc_.panels.at(static_cast<std::size_t>(panelIndex_)); }
const Panel& PanelCutForm::panel() const {
  return doc_.panels.at(static_cast<std::size_t>(panelIndex_));
}

const FoamType* PanelCutForm::foamRecord() const {
  const auto& records = env_.machine.foams.records;
  const auto it = records.find(foam_);
  return it == records.end() ? nullptr : &it->second;
}

// ---------------------------------------------------------------------------
// What the dialog shows

std::string_view PanelCutForm::label(Field field) {
  switch (field) {
    case Field::ProfileKerf:
      return messageText(Msg::Profile);
    case Field::RefLowerSurface:
      return messageText(Msg::RefLowerSurface);
    case Field::TrimmingMode:
      return messageText(Msg::BockTriming);
    case Field::Clearance:
      return messageText(Msg::ClearanceMm);
    case Field::IntermediateCut:
      return messageText(Msg::Cut);
    case Field::PositionZ:
      return messageText(Msg::PositionZMm);
    case Field::SectionReference:
      return messageText(Msg::Section);
    case Field::BlockCentred:
      return messageText(Msg::BlockCenteredInZ);
    case Field::RootAxisOffset:
      return messageText(Msg::RootAxisOffsetMm);
    case Field::OffsetX0:
      return messageText(Msg::OffsetX0Mm);
    case Field::CutToFile:
      return messageText(Msg::CutToFile);
    case Field::StepDetails:
      return messageText(Msg::StepDetails);
    case Field::FoamType:
      return messageText(Msg::FoamType);
    case Field::SpeedChoice:
      return messageText(Msg::CutSpeed);
    case Field::CutSpeed:
      return messageText(Msg::ValueMmPerS);
    case Field::HeatDisplay:
      return messageText(Msg::HeatMode);
    case Field::Ok:
      return messageText(Msg::Cut);  // okCaption() says what it shows now
    default:
      return {};
  }
}

std::span<const FieldInfo> PanelCutForm::fieldTable() const {
  static const auto kTable = [] {
    constexpr std::string_view kNames[kFields] = {
        "wingSide",     "cutOrder",     "profileKerf", "refLowerSurface", "trimmingMode",
        "clearance",    "intermediateCut", "positionZ", "sectionReference", "blockCentred",
        "rootAxisOffset", "offsetX0",   "cutToFile",   "stepDetails",     "foamType",
        "speedChoice",  "cutSpeed",     "heatDisplay", "messages",        "ok"};
    std::array<FieldInfo, kFields> table{};
    for (std::size_t i = 0; i < kFields; ++i) {
      const auto field = static_cast<Field>(i);
      FieldKind kind = FieldKind::Text;
      switch (field) {
        case Field::WingSide:
        case Field::CutOrder:
        case Field::TrimmingMode:
        case Field::SectionReference:
        case Field::FoamType:
        case Field::SpeedChoice:
          kind = FieldKind::List;
          break;
        case Field::ProfileKerf:
        case Field::RefLowerSurface:
        case Field::IntermediateCut:
        case Field::BlockCentred:
        case Field::CutToFile:
        case Field::StepDetails:
          kind = FieldKind::Check;
          break;
        case Field::HeatDisplay:
        case Field::Messages:
          kind = FieldKind::Display;
          break;
        case Field::Ok:
          kind = FieldKind::Button;
          break;
        default:
          break;
      }
      table[i] = {static_cast<int>(i), kNames[i], kind, label(field)};
    }
    return table;
  }();
  return kTable;
}

std::vector<std::string> PanelCutForm::fieldOptions(int id) const {
  const auto field = static_cast<Field>(id);
  auto texts = [](std::initializer_list<Msg> ids) {
    std::vector<std::string> out;
    for (Msg id : ids) out.emplace_back(messageText(id));
    return out;
  };
  switch (field) {
    case Field::WingSide:
      return texts({Msg::RightWing, Msg::LeftWing});
    case Field::CutOrder:
      return texts({Msg::BottomFirst, Msg::TopFirst});
    case Field::TrimmingMode:
      return texts({Msg::NoTriming, Msg::BeforeCutting, Msg::WhileCutting, Msg::AfterCutting,
                    Msg::TrimingOnly});
    case Field::SectionReference:
      return texts({Msg::Root, Msg::Tip});
    case Field::FoamType:
      return foamNames_;
    case Field::SpeedChoice:
      return speedEntries_;
    default:
      return {};
  }
}

int PanelCutForm::fieldIndex(int id) const {
  switch (static_cast<Field>(id)) {
    case Field::WingSide:
      return wingSide_;
    case Field::CutOrder:
      return cutOrder_;
    case Field::TrimmingMode:
      return trimmingMode_;
    case Field::SectionReference:
      return sectionReference_;
    case Field::FoamType: {
      const auto it = std::find(foamNames_.begin(), foamNames_.end(), foam_);
      return it == foamNames_.end() ? -1 : static_cast<int>(it - foamNames_.begin());
    }
    case Field::SpeedChoice:
      return speedChoice_;
    default:
      return -1;
  }
}

bool PanelCutForm::fieldChecked(int id) const {
  switch (static_cast<Field>(id)) {
    case Field::ProfileKerf:
      return profileKerf_;
    case Field::RefLowerSurface:
      return refLowerSurface_;
    case Field::IntermediateCut:
      return intermediate_;
    case Field::BlockCentred:
      return blockCentred_;
    case Field::CutToFile:
      return cutToFile_;
    case Field::StepDetails:
      return stepDetails_;
    default:
      return false;
  }
}

std::string PanelCutForm::fieldText(int field) const {
  return texts_[static_cast<std::size_t>(field)];
}

bool PanelCutForm::fieldEnabled(int id) const {
  const auto field = static_cast<Field>(id);
  switch (field) {
    case Field::IntermediateCut:
      // A panel longer than the table keeps its intermediate section.
      return !spanExceedsTable_;
    case Field::PositionZ:
    case Field::SectionReference:
      return intermediate_;
    case Field::StepDetails:
      return cutToFile_;
    case Field::SpeedChoice:
      return foamRecord() != nullptr && !speedEntries_.empty();
    case Field::Ok:
      return okEnabled_;
    default:
      return true;
  }
}

bool PanelCutForm::fieldReadOnly(int id) const {
  switch (static_cast<Field>(id)) {
    case Field::RootAxisOffset:
      return blockCentred_;
    case Field::CutSpeed:
      return !(speedChoice_ == 1 && foamRecord() != nullptr);
    case Field::HeatDisplay:
    case Field::Messages:
      return true;
    default:
      return false;
  }
}

std::string_view PanelCutForm::okCaption() const {
  return messageText(okError_ ? Msg::Error : Msg::Cut);
}

// ---------------------------------------------------------------------------
// Live rules

void PanelCutForm::updateGeometry() {
  const double e = static_cast<double>(env_.machine.table.Entraxe);
  double length = span_;
  if (intermediate_) {
    length = sectionReference_ == 0 ? static_cast<double>(z_) : span_ - z_;
    length = std::min(length, e - kTableReserve);
  }
  cutLength_ = length;
  if (blockCentred_) {
    rootAxisOffset_ = (e - length) * 0.5;
    texts_[at(Field::RootAxisOffset)] = numberText(rootAxisOffset_);
  }
  sideOffset_ = wingSide_ == 1 ? e - length - rootAxisOffset_ : rootAxisOffset_;
}

void PanelCutForm::setSpeed(double speed) {
  speed_ = speed;
  env_.machine.foams.cutSpeed = speed;
  texts_[at(Field::CutSpeed)] = numberText(speed);
}

void PanelCutForm::showHeat(std::string_view mode, int heat) {
  texts_[at(Field::HeatDisplay)] = std::string(mode) + " " + intText(heat) + "%";
}

void PanelCutForm::applyFoam(const FoamType& foam) {
  setSpeed(foam.maxSpeed);
  const bool fixed = isFixedHeat(foam);
  speedEntries_ = {std::string(messageText(fixed ? Msg::Measured : Msg::Maximum)),
                   std::string(messageText(Msg::UserChoice))};
  speedChoice_ = 0;
  if (fixed) {
    showHeat(messageText(Msg::Fixed), foam.maxSpeedHeat);
  } else {
    texts_[at(Field::HeatDisplay)].clear();  // the estimate computes it
  }
}

bool PanelCutForm::takeIndex(int id, int value) {
  const auto field = static_cast<Field>(id);
  auto inRange = [value](int count) { return value >= 0 && value < count; };
  switch (field) {
    case Field::WingSide:
      if (!inRange(2)) return false;
      wingSide_ = value;
      break;
    case Field::CutOrder:
      if (!inRange(2)) return false;
      cutOrder_ = value;
      break;
    case Field::TrimmingMode:
      if (!inRange(kTrimmingModes)) return false;
      trimmingMode_ = value;
      break;
    case Field::SectionReference:
      if (!inRange(2) || !enabled(field)) return false;
      sectionReference_ = value;
      break;
    case Field::FoamType:
      if (!inRange(static_cast<int>(foamNames_.size()))) return false;
      return chooseFoam(foamNames_[static_cast<std::size_t>(value)]);
    case Field::SpeedChoice: {
      if (!inRange(static_cast<int>(speedEntries_.size())) || !enabled(field)) return false;
      speedChoice_ = value;
      // "Measured" stands for the foam's own speed: it comes back with it.
      const FoamType* foam = foamRecord();
      if (value == 0 && foam != nullptr && isFixedHeat(*foam)) setSpeed(foam->maxSpeed);
      break;
    }
    default:
      return false;
  }
  modified_ = true;
  updateGeometry();
  refresh();
  return true;
}

bool PanelCutForm::takeChecked(int id, bool value) {
  const auto field = static_cast<Field>(id);
  switch (field) {
    case Field::ProfileKerf:
      profileKerf_ = value;
      break;
    case Field::RefLowerSurface:
      refLowerSurface_ = value;
      break;
    case Field::IntermediateCut:
      if (!enabled(field)) return false;
      intermediate_ = value;
      break;
    case Field::BlockCentred:
      blockCentred_ = value;
      break;
    case Field::CutToFile:
      // The output options do not change what is planned: no estimate.
      cutToFile_ = value;
      modified_ = true;
      return true;
    case Field::StepDetails:
      if (!enabled(field)) return false;
      stepDetails_ = value;
      modified_ = true;
      return true;
    default:
      return false;
  }
  modified_ = true;
  updateGeometry();
  refresh();
  return true;
}

bool PanelCutForm::typeInteger(Field field, std::string_view text, int& value) {
  texts_[at(field)] = std::string(text);
  const int typed = truncToInt(leadingNumber(text));
  if (typed == value) return false;
  value = typed;
  return true;
}

bool PanelCutForm::takeText(int id, std::string_view text) {
  const auto field = static_cast<Field>(id);
  switch (field) {
    case Field::Clearance:
      typeInteger(field, text, clearance_);
      break;
    case Field::PositionZ: {
      typeInteger(field, text, z_);
      const int limit = truncToInt(env_.machine.table.Entraxe - kTableReserve);
      if (z_ > limit) {
        z_ = limit;
        texts_[at(field)] = intText(z_);
      }
      break;
    }
    case Field::RootAxisOffset:
      texts_[at(field)] = std::string(text);
      rootAxisOffset_ = leadingNumber(text);
      break;
    case Field::OffsetX0:
      typeInteger(field, text, offsetX0_);
      break;
    case Field::CutSpeed: {
      texts_[at(field)] = std::string(text);
      modified_ = true;
      const double v = leadingNumber(text);
      // Nothing is taken until a speed is there: an empty box, "0" or a
      // negative number (no cut can run at it) leave the speed as it was.
      if (!(v > 0.0) || !std::isfinite(v)) return true;
      speed_ = v;
      FoamDatabase& foams = env_.machine.foams;
      foams.cutSpeed = v;
      const FoamType* foam = foamRecord();
      if (foam != nullptr && !isFixedHeat(*foam)) {
        foams.ApplyHeatForSpeed(v);
        int mode = 0;
        int heat = 0;
        foams.GetHeatState(mode, heat);
        showHeat(messageText(Msg::Computed), heat);
      } else {
        refresh();
      }
      return true;
    }
    default:
      return false;
  }
  modified_ = true;
  updateGeometry();
  refresh();
  return true;
}

bool PanelCutForm::chooseFoam(std::string_view name) {
  if (std::find(foamNames_.begin(), foamNames_.end(), name) == foamNames_.end()) return false;
  FoamType record;
  if (!env_.machine.foams.SelectFoam(name, &record)) return false;
  foam_ = std::string(name);
  applyFoam(record);
  modified_ = true;
  refresh();
  notifyChanged();
  return true;
}

// ---------------------------------------------------------------------------
// Estimate

void PanelCutForm::storeInto(CT1Doc& doc, Panel& p) const {
  PanelCutChoices& c = doc.cutChoices;
  c.wingSide = wingSide_;
  c.cutOrder = cutOrder_;
  c.kerfCompensationA = profileKerf_ ? 1 : 0;
  c.kerfCompensationB = profileKerf_ ? 1 : 0;
  c.referenceLowerSurface = refLowerSurface_ ? 1 : 0;
  c.trimmingMode = trimmingMode_;
  c.clearance = static_cast<double>(clearance_);
  c.sectionReference = sectionReference_;
  p.sectionCutEnabled = intermediate_;
  p.sectionCutZ = z_;
  p.blockCentredZ = blockCentred_;
  p.rootAxisOffset = truncToInt(rootAxisOffset_);
  p.offsetX0 = offsetX0_;
}

PanelCutEstimate PanelCutForm::estimate(bool errorsOnly) {
  // The project and the panel are put back when the run ends, however it ends.
  struct Restore {
    CT1Doc& doc;
    Panel& panel;
    Panel savedPanel;
    PanelCutChoices savedChoices;
    bool savedModified;
    ~Restore() {
      panel = std::move(savedPanel);
      doc.cutChoices = savedChoices;
      doc.modified = savedModified;
    }
  };
  Panel& p = panel();
  Restore restore{doc_, p, p, doc_.cutChoices, doc_.modified};
  storeInto(doc_, p);
  return EstimatePanelCut(doc_, env_, errorsOnly, speed_);
}

void PanelCutForm::refresh() {
  std::string& messages = texts_[at(Field::Messages)];
  warnings_.clear();
  if (intermediate_ && z_ == 0) {
    messages = std::string(messageText(Msg::InvalidIntermediateSectionCut));
    okEnabled_ = false;
    return;
  }

  FoamDatabase& foams = env_.machine.foams;
  const FoamType* foam = foamRecord();
  std::string error;
  std::string label;
  bool computed = false;
  if (foam == nullptr) {
    error = std::string(messageText(Msg::InvalidFoamType));
    foam_.clear();
    speedEntries_.clear();
    speedChoice_ = -1;
    texts_[at(Field::HeatDisplay)].clear();
    setSpeed(0.0);
  } else if (!panel().wingPanel && PanelOutlineCountsDiffer(panel())) {
    // A closed outline is walked point for point at root and tip.
    error = std::string(messageText(Msg::DifferingNumberOfPoints));
  } else if (isFixedHeat(*foam)) {
    lastEstimate_ = estimate(true);
    error = lastEstimate_.error;
    warnings_ = lastEstimate_.warnings;
    showHeat(messageText(Msg::Fixed), foam->maxSpeedHeat);
  } else {
    computed = true;
    lastEstimate_ = estimate(false);
    error = lastEstimate_.error;
    label = lastEstimate_.label;
    setSpeed(lastEstimate_.speed);
    // The search times every move at the motors' limit: the warnings come
    // from the list planned at the speed found.
    if (error.empty() && speed_ > 0.0) warnings_ = estimate(true).warnings;
    foams.ApplyHeatForSpeed(speed_);
    int mode = 0;
    int heat = 0;
    foams.GetHeatState(mode, heat);
    showHeat(messageText(Msg::Computed), heat);
  }
  // A cut at no speed would run every cut move as fast as the motors go.
  if (error.empty() && !(speed_ > 0.0 && std::isfinite(speed_))) {
    error = fillInserts(messageText(Msg::InvalidCutSpeed), {numberText(speed_)});
  }

  okError_ = !error.empty();
  okEnabled_ = !okError_;
  if (okError_) {
    warnings_.clear();
    messages = std::move(error);
    return;
  }
  if (computed) {
    messages = std::string(messageText(Msg::SpeedLimitPrefix)) + label;
  } else {
    messages.clear();
  }
  // The warnings follow, one per line: the cut can run, but not as meant.
  if (!warnings_.empty()) {
    if (!messages.empty()) messages += '\n';
    messages += messageText(Msg::WarningsHeading);
    messages += '\n';
    messages += CutWarningLines(warnings_);
  }
}

// ---------------------------------------------------------------------------
// Closing

bool PanelCutForm::fail(Field field, const std::string& message) {
  env_.prompt.showMessage(message, MessageIcon::Warning);
  return refuse(id(field), message);
}

bool PanelCutForm::validate() {
  // Integer and number boxes in exchange order; a box the user cannot edit
  // holds a value the dialog wrote and is not checked.
  struct IntBox {
    Field field;
    int* value;
  };
  for (const IntBox box : {IntBox{Field::Clearance, &clearance_}, IntBox{Field::PositionZ, &z_}}) {
    if (!editable(box.field)) continue;
    const std::optional<int> v = parseInt(texts_[at(box.field)]);
    if (!v) return fail(box.field, std::string(messageText(Msg::PleaseEnterAnInteger)));
  }
  if (editable(Field::RootAxisOffset) && !parseNumber(texts_[at(Field::RootAxisOffset)])) {
    return fail(Field::RootAxisOffset, formatMessage(Msg::PleaseEnterANumber));
  }
  if (!parseInt(texts_[at(Field::OffsetX0)])) {
    return fail(Field::OffsetX0, std::string(messageText(Msg::PleaseEnterAnInteger)));
  }
  if (editable(Field::CutSpeed)) {
    const std::optional<double> v = parseNumber(texts_[at(Field::CutSpeed)]);
    if (!v) return fail(Field::CutSpeed, formatMessage(Msg::PleaseEnterANumber));
    if (!(*v > 0.0))
      return fail(Field::CutSpeed,
                  fillInserts(messageText(Msg::InvalidCutSpeed), {numberText(*v)}));
  }
  if (!(speed_ > 0.0 && std::isfinite(speed_))) {
    return fail(Field::CutSpeed,
                fillInserts(messageText(Msg::InvalidCutSpeed), {numberText(speed_)}));
  }
  focus_ = -1;
  return true;
}

bool PanelCutForm::accept() {
  if (!okEnabled_ || !validate()) return false;
  // The box holds the speed the cut runs at (typed, or found by the estimate).
  if (editable(Field::CutSpeed)) speed_ = *parseNumber(texts_[at(Field::CutSpeed)]);

  FoamDatabase& foams = env_.machine.foams;
  foams.SelectFoam(foam_);
  setSpeed(speed_);

  Panel& p = panel();
  const PanelCutChoices before = doc_.cutChoices;
  const bool savedEnabled = p.sectionCutEnabled;
  const int savedZ = p.sectionCutZ;
  const bool savedCentred = p.blockCentredZ;
  const int savedOffset = p.rootAxisOffset;
  const int savedX0 = p.offsetX0;
  storeInto(doc_, p);
  env_.output.cutToFile = cutToFile_;
  env_.output.stepDetails = stepDetails_;

  // The project file keeps everything but the clearance.
  PanelCutChoices after = doc_.cutChoices;
  after.clearance = before.clearance;
  const bool changed = after != before || p.sectionCutEnabled != savedEnabled ||
                       p.sectionCutZ != savedZ || p.blockCentredZ != savedCentred ||
                       p.rootAxisOffset != savedOffset || p.offsetX0 != savedX0;
  // The wing side chosen here is drawn by the wing view.
  DocChanges changes;
  if (changed) changes |= DocChange::PanelGeometry;
  if (after.wingSide != before.wingSide) changes |= DocChange::DisplayOptions;
  if (changed) {
    doc_.markModified(changes);
  } else {
    doc_.notifyChanged(changes);
  }
  return true;
}

bool PanelCutForm::okAtMaximumSpeed() {
  if (!validate()) return false;
  // The estimate with the speed search (a computed-heat foam) or with the
  // foam's own speed (a fixed-heat foam), as after an edit.
  refresh();
  const FoamType* foam = foamRecord();
  if (!okEnabled_ || foam == nullptr) return false;
  const double v = isFixedHeat(*foam) ? foam->maxSpeed : std::trunc(speed_ * 100.0) * 0.01;
  if (!(v > 0.0)) {
    texts_[at(Field::Messages)] = fillInserts(messageText(Msg::InvalidCutSpeed), {numberText(v)});
    okEnabled_ = false;
    okError_ = true;
    return false;
  }
  setSpeed(v);
  speedChoice_ = 0;
  return static_cast<bool>(ok());
}

bool PanelCutForm::runCut(CutJob& job) {
  PanelCutPlanner cut(doc_, env_);
  const bool done = cut.Run(job);
  lastCut_ = cut.lastResult();
  return done;
}

bool PanelCutForm::startCut(CutJob& job) {
  PanelCutPlanner cut(doc_, env_);
  const bool running = cut.Start(job);
  lastCut_ = cut.lastResult();
  return running;
}

// ---------------------------------------------------------------------------
// Previews

namespace {

PreviewLayout layoutOf(const Panel& p, int wingSide, bool intermediate, int sectionReference, int z,
                       double cutLength, double sideOffset, int offsetX0) {
  PreviewLayout l;
  const bool leftWing = wingSide == 1;
  const double dir = leftWing ? -1.0 : 1.0;  // from the root towards the tip
  l.uRootFace = leftWing ? sideOffset + cutLength : sideOffset;
  l.uTipFace = leftWing ? sideOffset : sideOffset + cutLength;

  const double s = p.span;
  const double w = p.sweep;
  const double x0 = offsetX0;
  const SectionParams& r = p.root.params;
  const SectionParams& t = p.tip.params;
  const double xleRoot = std::max(x0 + r.teMargin + r.chord, x0 + w + t.chord + t.teMargin);
  const double xleTip = xleRoot - w;
  l.rootSide = shapeOf(p.root, xleRoot);
  l.tipSide = shapeOf(p.tip, xleTip);
  l.uRoot = l.uRootFace;
  l.uTip = l.uRootFace + dir * s;
  l.xleRoot = xleRoot;
  l.xleTip = xleTip;
  l.rootChord = r.chord;
  l.tipChord = t.chord;

  const bool keepRoot = sectionReference == 0;
  // No intermediate section can be placed outside the panel (nor on a panel
  // without span).
  if (!intermediate || !(s > 0.0) || z <= 0 || z > s || (!keepRoot && z >= s)) return l;

  const double k = 1.0 - z / s;
  auto mix = [k](double a, double b) { return (a - b) * k + b; };
  SideShape mid;
  mid.chord = mix(r.chord, t.chord);
  mid.teMargin = mix(r.teMargin, t.teMargin);
  mid.xle = mix(xleRoot, xleTip);
  mid.heights = {mix(l.rootSide.heights.low, l.tipSide.heights.low),
                 mix(l.rootSide.heights.high, l.tipSide.heights.high)};
  const double uMid = l.uRootFace + dir * z;
  if (keepRoot) {
    mid.leMargin = l.tipSide.leMargin;
    l.tipSide = mid;
    l.intermediate = PreviewSegment{{uMid, mid.xle}, {uMid, mid.xle - mid.chord}};
    return l;
  }
  // The intermediate section becomes the root of the part cut: the block is
  // placed again from it, and the whole panel moves with it.
  const double xleMid = std::max(x0 + mid.teMargin + mid.chord, x0 + t.teMargin + t.chord + k * w);
  const double shift = mid.xle - xleMid;
  mid.xle = xleMid;
  mid.leMargin = l.rootSide.leMargin;
  l.rootSide = mid;
  l.tipSide.xle = xleMid - k * w;
  l.uRoot = l.uRootFace - dir * z;
  l.uTip = l.uRootFace + dir * (s - z);
  l.xleRoot = xleRoot - shift;
  l.xleTip = xleTip - shift;
  l.intermediate = PreviewSegment{{l.uRootFace, xleMid}, {l.uRootFace, xleMid - mid.chord}};
  return l;
}

std::vector<PreviewTick> ticksBetween(double from, double to) {
  std::vector<PreviewTick> out;
  if (!(from <= to) || !std::isfinite(from) || !std::isfinite(to)) return out;
  const double first = std::ceil(from / kTickStep);
  for (double k = first; k * kTickStep <= to && out.size() < kMaxTicks; k += 1.0) {
    out.push_back({k * kTickStep, std::fmod(std::fabs(k), 2.0) == 0.0});
  }
  return out;
}

PreviewRect widen(const PreviewRect& r, double margin) {
  return {r.left - margin, r.bottom - margin, r.right + margin, r.top + margin};
}

}  // namespace

FrontPreview PanelCutForm::frontPreview() const {
  const TableConfig& table = env_.machine.table;
  const double e = table.Entraxe;
  FrontPreview v;
  v.title = std::string(messageText(table.TableInv != 0 ? Msg::BackView : Msg::FrontView));
  v.table = {0.0, -table.ZeroY, e, table.AxesY - table.ZeroY};
  v.extent = widen(v.table, kPreviewMargin);
  v.widthTicks = ticksBetween(0.0, e);
  v.heightTicks = ticksBetween(v.table.bottom, v.table.top);

  const Panel& p = panel();
  v.block = {sideOffset_, 0.0, sideOffset_ + cutLength_, p.foamThickness};
  const PreviewLayout l = layoutOf(p, wingSide_, intermediate_, sectionReference_, z_, cutLength_,
                                   sideOffset_, offsetX0_);
  v.rootSection = {{l.uRootFace, l.rootSide.heights.low}, {l.uRootFace, l.rootSide.heights.high}};
  v.tipSection = {{l.uTipFace, l.tipSide.heights.low}, {l.uTipFace, l.tipSide.heights.high}};
  return v;
}

TopPreview PanelCutForm::topPreview() const {
  const TableConfig& table = env_.machine.table;
  const double e = table.Entraxe;
  TopPreview v;
  v.title = std::string(messageText(Msg::TopView));
  v.reverseLayout = table.TableInv != 0;
  v.table = {0.0, -table.ZeroX, e, table.AxesX - table.ZeroX};
  v.extent = widen(v.table, kPreviewMargin);
  v.leftTower = {-kTowerWidth, v.table.bottom, 0.0, v.table.top};
  v.rightTower = {e, v.table.bottom, e + kTowerWidth, v.table.top};

  const PreviewLayout l = layoutOf(panel(), wingSide_, intermediate_, sectionReference_, z_,
                                   cutLength_, sideOffset_, offsetX0_);
  v.block = {Point2D{l.uRootFace, l.rootSide.rear()}, Point2D{l.uRootFace, l.rootSide.front()},
             Point2D{l.uTipFace, l.tipSide.front()}, Point2D{l.uTipFace, l.tipSide.rear()}};
  const double mx = table.MargeBlocX;
  const double mz = l.uTipFace >= l.uRootFace ? table.MargeBlocZ : -table.MargeBlocZ;
  v.blockWithMargins = {Point2D{l.uRootFace - mz, l.rootSide.rear() - mx},
                        Point2D{l.uRootFace - mz, l.rootSide.front() + mx},
                        Point2D{l.uTipFace + mz, l.tipSide.front() + mx},
                        Point2D{l.uTipFace + mz, l.tipSide.rear() - mx}};
  v.planform = {Point2D{l.uRoot, l.xleRoot}, Point2D{l.uTip, l.xleTip},
                Point2D{l.uTip, l.xleTip - l.tipChord}, Point2D{l.uRoot, l.xleRoot - l.rootChord}};
  v.intermediate = l.intermediate;

  v.snapPoints.assign(v.block.begin(), v.block.end());
  v.snapPoints.insert(v.snapPoints.end(), v.planform.begin(), v.planform.end());
  if (v.intermediate) {
    v.snapPoints.push_back(v.intermediate->a);
    v.snapPoints.push_back(v.intermediate->b);
  }
  return v;
}

std::optional<PreviewClick> PanelCutForm::clickTopView(Point2D pixel, bool rightButton,
                                                       const PreviewMapping& mapping) const {
  const std::optional<Point2D> logical = mapping.toLogical(pixel);
  if (!logical) return std::nullopt;
  PreviewClick click;
  click.point = *logical;

  const TopPreview view = topPreview();
  double best = kSnapPixels;
  for (const Point2D& candidate : view.snapPoints) {
    const Point2D d = mapping.toDevice(candidate);
    const double distance = std::hypot(d.x - pixel.x, d.y - pixel.y);
    if (distance <= best) {
      best = distance;
      click.point = candidate;
      click.snapped = true;
    }
  }

  // Along the wire from the machine's left tower (drawn on the right with the
  // reverse layout), or from its right tower for a right click.
  const double e = env_.machine.table.Entraxe;
  const double fromLeftTower = view.reverseLayout ? e - click.point.x : click.point.x;
  const double along = rightButton ? e - fromLeftTower : fromLeftTower;
  click.text = intText(truncToInt(along)) + " " + intText(truncToInt(click.point.y));
  return click;
}

}  // namespace orva
