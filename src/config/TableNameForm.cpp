#include "config/TableNameForm.h"

#include <utility>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"

namespace orva {

TableNameForm::TableNameForm(MachineConfig& config, UserPrompt& prompt)
    : config_(config), prompt_(prompt), name_(config.currentTable) {}

std::string TableNameForm::title() const { return std::string(messageText(Msg::TableNameTitle)); }

bool TableNameForm::ok() {
  if (result_ != Result::Open) return result_ == Result::Ok;
  if (utf8CharacterCount(name_) > kMaxLength) {
    prompt_.showMessage(
        formatMessage(Msg::PleaseEnterNoMoreThanCharacters, {std::to_string(kMaxLength)}),
        MessageIcon::Warning);
    return false;
  }
  if (config_.tables.contains(name_)) {
    prompt_.showMessage(messageText(Msg::TableNameUsedAlready), MessageIcon::Warning);
    return false;
  }
  if (name_.empty()) {
    prompt_.showMessage(messageText(Msg::MaterialNameMandatory), MessageIcon::Warning);
    return false;
  }
  if (!isSafeTableName(name_)) {
    prompt_.showMessage(messageText(Msg::UnsafeTableName), MessageIcon::Warning);
    return false;
  }
  config_.currentTable = name_;
  config_.tables.namesModified = true;
  config_.table.tableModified = true;
  result_ = Result::Ok;
  return true;
}

void TableNameForm::cancel() {
  if (result_ == Result::Open) result_ = Result::Cancelled;
}

}  // namespace orva
