#include "model/SplitPanelForm.h"

#include <optional>

#include "common/Messages.h"
#include "common/NumberText.h"
#include "common/UserPrompt.h"
#include "model/CT1Doc.h"
#include "model/PanelOperations.h"

namespace orva {

namespace {

constexpr double kMinPercent = 0.0;
constexpr double kMaxPercent = 100.0;

}  // namespace

SplitPanelForm::SplitPanelForm(CT1Doc& doc) : doc_(doc) {}

std::string_view SplitPanelForm::title() { return messageText(Msg::PanelSplitTitle); }
std::string_view SplitPanelForm::label() { return messageText(Msg::PositionOfSplitPercent); }

std::span<const FieldInfo> SplitPanelForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::Position), "position", FieldKind::Text, messageText(Msg::PositionOfSplitPercent)}};
  return kTable;
}

bool SplitPanelForm::validate() {
  UserPrompt& prompt = doc_.context().prompt;
  const auto fail = [&](const std::string& message) {
    prompt.showMessage(message, MessageIcon::Warning);
    return refuse(id(Field::Position), message);
  };
  const std::optional<double> value = parseNumber(text_);
  if (!value) return fail(formatMessage(Msg::PleaseEnterANumber));
  if (!(*value >= kMinPercent && *value <= kMaxPercent)) {
    return fail(formatMessage(Msg::PleaseEnterANumberBetween, {"0", "100"}));
  }
  percent_ = *value;
  return true;
}

bool SplitPanelForm::accept() {
  if (!validate()) return false;
  SplitCurrentPanel(doc_, percent_);
  return true;
}

}  // namespace orva
