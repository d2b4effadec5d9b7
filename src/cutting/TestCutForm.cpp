#include "common/NumberText.h"
#include "cutting/TestCutForm.h"

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

namespace orva {

namespace {


constexpr int idx(TestCutField f) { return static_cast<int>(f); }

}  // namespace

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
  const double length = leadingNumber(text(Field::Length));
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

}  // namespace orva
