#include "cutting/SparsForm.h"

#include <optional>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "cutting/SparCuts.h"
#include "model/CT1Doc.h"
#include "model/PanelParamsForm.h"

namespace orva {

namespace {

constexpr double kMinDistance = 1.0;
constexpr double kMaxDistance = 99.0;

bool isSole(int type) { return type == SparLowerSole || type == SparUpperSole; }

int knownMode(int mode) { return mode >= SizeTipEqualsRoot && mode <= SizeEntered ? mode : 0; }

}  // namespace

SparsForm::SparsForm(CT1Doc& doc)
    : doc_(doc),
      prompt_(doc.context().prompt),
      panelIndex_(doc.currentPanel),
      rootChord_(doc.current().root.params.chord),
      tipChord_(doc.current().tip.params.chord),
      records_(doc.current().spars) {
  load(0);
}

std::string_view SparsForm::title() { return messageText(Msg::SparConfiguration); }

std::string_view SparsForm::label(SparField field) {
  switch (field) {
    case SparField::Active:
      return messageText(Msg::ActiveSpar);
    case SparField::DistanceInPercent:
      return messageText(Msg::DistanceInPercent);
    case SparField::Label:
      return messageText(Msg::Label);
    case SparField::WidthMode:
      return messageText(Msg::ProportionalWidth);
    case SparField::ThicknessMode:
      return messageText(Msg::ProportionalThickness);
    case SparField::TipWidth:
      return messageText(Msg::TipWidthMm);
    case SparField::RootWidth:
      return messageText(Msg::RootWidthMm);
    case SparField::RootThickness:
      return messageText(Msg::RootThicknessMm);
    case SparField::TipThickness:
      return messageText(Msg::TipThicknessMm);
    case SparField::Distance:
      return messageText(Msg::DistancePLeMiddleSpar);
    default:
      return {};
  }
}

std::string_view SparsForm::typeCaption(int type) {
  switch (type) {
    case SparLowerNotch:
      return messageText(Msg::LowerSurfaceSpar);
    case SparUpperNotch:
      return messageText(Msg::UpperSurfaceSpar);
    case SparLowerSole:
      return messageText(Msg::LowerSurfaceSole);
    case SparUpperSole:
      return messageText(Msg::UpperSurfaceSole);
    case SparLowerRound:
      return messageText(Msg::LowerRoundSpar);
    case SparUpperRound:
      return messageText(Msg::UpperRoundSpar);
    case SparHinge:
      return messageText(Msg::RudderArticulation);
    default:
      return {};
  }
}

const std::string& SparsForm::rowLabel(int row) const {
  return records_.at(static_cast<std::size_t>(row)).label;
}

int SparsForm::rowType(int row) const { return records_.at(static_cast<std::size_t>(row)).type; }

std::size_t SparsForm::numberIndex(SparField field) {
  return static_cast<std::size_t>(field) - static_cast<std::size_t>(SparField::TipWidth);
}

std::span<const FieldInfo> SparsForm::fieldTable() const {
  static const auto kTable = [] {
    struct Row {
      SparField field;
      std::string_view name;
      FieldKind kind;
    };
    constexpr Row kRows[] = {
        {SparField::Active, "active", FieldKind::Check},
        {SparField::DistanceInPercent, "distanceInPercent", FieldKind::Check},
        {SparField::Label, "label", FieldKind::Text},
        {SparField::Type, "type", FieldKind::List},
        {SparField::WidthMode, "widthMode", FieldKind::List},
        {SparField::ThicknessMode, "thicknessMode", FieldKind::List},
        {SparField::TipWidth, "tipWidth", FieldKind::Text},
        {SparField::RootWidth, "rootWidth", FieldKind::Text},
        {SparField::RootThickness, "rootThickness", FieldKind::Text},
        {SparField::TipThickness, "tipThickness", FieldKind::Text},
        {SparField::Distance, "distance", FieldKind::Text},
        {SparField::Rows, "rows", FieldKind::List},
    };
    std::array<FieldInfo, std::size(kRows)> table{};
    for (std::size_t i = 0; i < table.size(); ++i) {
      table[i] = {id(kRows[i].field), kRows[i].name, kRows[i].kind, label(kRows[i].field)};
    }
    return table;
  }();
  return kTable;
}

bool SparsForm::fieldChecked(int field) const {
  return field == id(SparField::Active) ? active_ : distanceInPercent_;
}

std::string SparsForm::fieldText(int id) const {
  const auto field = static_cast<SparField>(id);
  return field == SparField::Label ? label_ : texts_[numberIndex(field)];
}

std::vector<std::string> SparsForm::fieldOptions(int id) const {
  std::vector<std::string> options;
  switch (static_cast<SparField>(id)) {
    case SparField::Type:
      for (int type = SparLowerNotch; type <= SparHinge; ++type) {
        options.emplace_back(typeCaption(type));
      }
      break;
    case SparField::Rows:
      for (const SparRecord& r : records_) options.push_back(r.label);
      break;
    default:  // the three states of a mode box, by number
      for (int mode = SizeTipEqualsRoot; mode <= SizeEntered; ++mode) {
        options.push_back(std::to_string(mode));
      }
      break;
  }
  return options;
}

int SparsForm::fieldIndex(int id) const {
  switch (static_cast<SparField>(id)) {
    case SparField::Type:
      return type_ >= SparLowerNotch && type_ <= SparHinge ? type_ - SparLowerNotch : -1;
    case SparField::WidthMode:
      return widthMode_;
    case SparField::ThicknessMode:
      return thicknessMode_;
    default:
      return row_;
  }
}

bool SparsForm::takeIndex(int id, int index) {
  switch (static_cast<SparField>(id)) {
    case SparField::Type:
      type_ = SparLowerNotch + index;
      if (isSole(type_)) {
        widthMode_ = SizeProportional;
        thicknessMode_ = SizeTipEqualsRoot;
      }
      break;
    case SparField::WidthMode:
      widthMode_ = index;
      break;
    case SparField::ThicknessMode:
      thicknessMode_ = index;
      break;
    default:
      if (!store()) return false;
      load(index);
      return true;
  }
  updateDerived();
  return true;
}

bool SparsForm::fieldEnabled(int id) const {
  const auto field = static_cast<SparField>(id);
  if (field == SparField::Active || field == SparField::Rows) return true;
  if (!active_) return false;
  switch (field) {
    case SparField::DistanceInPercent:
    case SparField::Distance:
      return type_ != SparHinge;  // the hinge is placed from the leading edge
    case SparField::WidthMode:
    case SparField::ThicknessMode:
      return !isSole(type_);
    case SparField::TipWidth:
      return widthMode_ == SizeEntered;
    case SparField::TipThickness:
      return !isSole(type_) && thicknessMode_ == SizeEntered;
    case SparField::Label:
    case SparField::Type:
    case SparField::RootWidth:
    case SparField::RootThickness:
      return true;
    default:
      return false;
  }
}

bool SparsForm::takeChecked(int field, bool value) {
  (field == id(SparField::Active) ? active_ : distanceInPercent_) = value;
  return true;
}

bool SparsForm::takeText(int id, std::string_view text) {
  const auto field = static_cast<SparField>(id);
  if (field == SparField::Label) {
    label_ = std::string(text);
    return true;
  }
  texts_[numberIndex(field)] = std::string(text);
  if (field == SparField::RootWidth || field == SparField::RootThickness) updateDerived();
  return true;
}

bool SparsForm::accept() {
  if (!store()) return false;
  Panel& panel = doc_.panels.at(static_cast<std::size_t>(panelIndex_));
  if (panel.spars != records_) {
    panel.spars = records_;
    doc_.markModified(DocChange::PanelGeometry);
  }
  return true;
}

void SparsForm::setNumber(SparField field, double value) {
  const std::size_t i = numberIndex(field);
  texts_[i] = numberText(value);
  shownTexts_[i] = texts_[i];
  shownValues_[i] = value;
}

double SparsForm::liveNumber(SparField field) const {
  const std::size_t i = numberIndex(field);
  return texts_[i] == shownTexts_[i] ? shownValues_[i] : leadingNumber(texts_[i]);
}

void SparsForm::updateDerived() {
  if (widthMode_ != SizeEntered) {
    setNumber(SparField::TipWidth, SparTipSize(widthMode_, liveNumber(SparField::RootWidth), 0.0,
                                               rootChord_, tipChord_));
  }
  if (thicknessMode_ != SizeEntered) {
    setNumber(SparField::TipThickness,
              SparTipSize(thicknessMode_, liveNumber(SparField::RootThickness), 0.0, rootChord_,
                          tipChord_));
  }
}

void SparsForm::load(int row) {
  row_ = row;
  const SparRecord& r = records_[static_cast<std::size_t>(row)];
  active_ = r.active;
  distanceInPercent_ = r.distanceInPercent;
  label_ = r.label;
  type_ = r.type;  // a type outside 1..7 checks no button and is kept unless one is chosen
  widthMode_ = knownMode(r.widthMode);
  thicknessMode_ = knownMode(r.thicknessMode);
  setNumber(SparField::TipWidth, r.tipWidth);
  setNumber(SparField::RootWidth, r.rootWidth);
  setNumber(SparField::RootThickness, r.rootThickness);
  setNumber(SparField::TipThickness, r.tipThickness);
  setNumber(SparField::Distance, r.distance);
  updateDerived();
  focus_ = -1;
}

bool SparsForm::readNumber(SparField field, double& value) {
  const std::size_t i = numberIndex(field);
  const std::optional<double> parsed =
      texts_[i] == shownTexts_[i] ? std::optional<double>(shownValues_[i]) : parseNumber(texts_[i]);
  const bool inRange = parsed && (field != SparField::Distance ||
                                  (*parsed >= kMinDistance && *parsed <= kMaxDistance));
  if (!enabled(field)) {
    // Not the user's to correct now: a value it still holds is kept when it is
    // usable, otherwise the record keeps what it had.
    if (inRange) value = *parsed;
    return true;
  }
  if (inRange) {
    value = *parsed;
    return true;
  }
  const std::string message =
      parsed ? formatMessage(Msg::PleaseEnterANumberBetween,
                             {numberText(kMinDistance), numberText(kMaxDistance)})
             : std::string(messageText(Msg::PleaseEnterANumber));
  prompt_.showMessage(message, MessageIcon::Warning);
  return refuse(id(field), message);
}

bool SparsForm::store() {
  SparRecord r = records_[static_cast<std::size_t>(row_)];
  if (!readNumber(SparField::TipWidth, r.tipWidth) ||
      !readNumber(SparField::RootWidth, r.rootWidth) ||
      !readNumber(SparField::RootThickness, r.rootThickness) ||
      !readNumber(SparField::TipThickness, r.tipThickness) ||
      !readNumber(SparField::Distance, r.distance)) {
    return false;
  }
  r.active = active_;
  r.distanceInPercent = distanceInPercent_;
  r.label = label_;
  r.type = type_;
  r.widthMode = widthMode_;
  r.thicknessMode = thicknessMode_;
  records_[static_cast<std::size_t>(row_)] = r;
  focus_ = -1;
  return true;
}

}  // namespace orva
