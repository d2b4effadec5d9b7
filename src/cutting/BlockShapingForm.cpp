#include "common/NumberText.h"
#include "cutting/BlockShapingForm.h"

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


constexpr int idx(BlockShapingField f) { return static_cast<int>(f); }

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
  const double length = leadingNumber(text(Field::Length));
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

}  // namespace orva
