#include "model/XleConfigForm.h"

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "model/CT1Doc.h"
#include "model/PanelParamsForm.h"

namespace orva {

namespace {

constexpr std::size_t kRows = 5;  // alpha, beta, length, h1, h2
constexpr double kAngleLimit = 89.0;

double SectionParams::*rowField(std::size_t row) {
  switch (row) {
    case 0:
      return &SectionParams::xleAlpha;
    case 1:
      return &SectionParams::xleBeta;
    case 2:
      return &SectionParams::xleLength;
    case 3:
      return &SectionParams::xleH1;
    default:
      return &SectionParams::xleH2;
  }
}

bool isAngleRow(std::size_t row) { return row < 2; }

}  // namespace

XleConfigForm::XleConfigForm(CT1Doc& doc) : doc_(doc), panelIndex_(doc.currentPanel) {
  const Panel& panel = doc_.current();
  for (std::size_t i = 0; i < kFields; ++i) {
    const SectionParams& params = i < kRows ? panel.root.params : panel.tip.params;
    shown_[i] = params.*rowField(i % kRows);
    texts_[i] = numberText(shown_[i]);
    shownTexts_[i] = texts_[i];
  }
}

std::string_view XleConfigForm::title() { return messageText(Msg::XLeadingEdgeConfigurationTitle); }

std::string_view XleConfigForm::label(XleField field) {
  if (field == XleField::None || field == XleField::Count) return {};
  constexpr Msg kLabels[kRows] = {Msg::AlphaAngleDegree, Msg::BetaAngleDegree, Msg::LengthLMm,
                                  Msg::UpperHeightH1Mm, Msg::LowerHeightH2Mm};
  return messageText(kLabels[static_cast<std::size_t>(field) % kRows]);
}

std::span<const FieldInfo> XleConfigForm::fieldTable() const {
  static const auto kTable = [] {
    constexpr std::string_view kNames[kFields] = {
        "rootAlpha", "rootBeta", "rootLength", "rootH1", "rootH2",
        "tipAlpha",  "tipBeta",  "tipLength",  "tipH1",  "tipH2"};
    std::array<FieldInfo, kFields> table{};
    for (std::size_t i = 0; i < kFields; ++i) {
      table[i] = {static_cast<int>(i), kNames[i], FieldKind::Text, label(static_cast<XleField>(i))};
    }
    return table;
  }();
  return kTable;
}

bool XleConfigForm::fieldEnabled(int field) const {
  return !isAngleRow(static_cast<std::size_t>(field) % kRows);
}

bool XleConfigForm::takeText(int field, std::string_view text) {
  texts_[static_cast<std::size_t>(field)] = std::string(text);
  return true;
}

bool XleConfigForm::accept() {
  std::array<double, kFields> values{};
  for (std::size_t i = 0; i < kFields; ++i) {
    if (texts_[i] == shownTexts_[i]) {
      values[i] = shown_[i];  // unchanged: kept exactly, not re-read from its text
      continue;
    }
    const auto field = static_cast<XleField>(i);
    const std::optional<double> v = parseNumber(texts_[i]);
    if (!v) {
      const std::string message(messageText(Msg::PleaseEnterANumber));
      doc_.context().prompt.showMessage(message, MessageIcon::Warning);
      return refuse(id(field), message);
    }
    if (isAngleRow(i % kRows) && (*v < -kAngleLimit || *v > kAngleLimit)) {
      const std::string message = formatMessage(
          Msg::PleaseEnterANumberBetween, {numberText(-kAngleLimit), numberText(kAngleLimit)});
      doc_.context().prompt.showMessage(message, MessageIcon::Warning);
      return refuse(id(field), message);
    }
    values[i] = *v;
  }
  Panel& panel = doc_.panels.at(static_cast<std::size_t>(panelIndex_));
  for (std::size_t i = 0; i < kFields; ++i) {
    SectionParams& params = i < kRows ? panel.root.params : panel.tip.params;
    params.*rowField(i % kRows) = values[i];
  }
  focus_ = -1;
  doc_.markModified(DocChange::PanelGeometry);
  return true;
}

}  // namespace orva
