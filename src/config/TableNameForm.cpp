#include "config/TableNameForm.h"

#include <utility>

#include "common/Messages.h"
#include "common/UserPrompt.h"
#include "config/MachineConfig.h"

namespace orva {

TableNameForm::TableNameForm(MachineConfig& config, UserPrompt& prompt)
    : config_(config), prompt_(prompt), name_(config.currentTable) {}

std::string TableNameForm::title() const { return std::string(messageText(Msg::TableNameTitle)); }

std::span<const FieldInfo> TableNameForm::fieldTable() const {
  static const FieldInfo kTable[] = {
      {id(Field::Name), "tableName", FieldKind::Text, messageText(Msg::TablesName)}};
  return kTable;
}

std::string TableNameForm::fieldText(int) const { return name_; }

bool TableNameForm::takeText(int, std::string_view text) {
  name_ = std::string(text);
  return true;
}

// A closed dialog takes no more edits.
bool TableNameForm::fieldEnabled(int) const { return result_ == Result::Open; }

bool TableNameForm::fail(std::string message) {
  prompt_.showMessage(message, MessageIcon::Warning);
  return refuse(id(Field::Name), std::move(message));
}

bool TableNameForm::accept() {
  if (result_ != Result::Open) return result_ == Result::Ok;
  if (utf8CharacterCount(name_) > kMaxLength) {
    return fail(formatMessage(Msg::PleaseEnterNoMoreThanCharacters, {std::to_string(kMaxLength)}));
  }
  if (config_.tables.contains(name_)) {
    return fail(std::string(messageText(Msg::TableNameUsedAlready)));
  }
  if (name_.empty()) {
    return fail(std::string(messageText(Msg::MaterialNameMandatory)));
  }
  if (!isSafeTableName(name_)) {
    return fail(std::string(messageText(Msg::UnsafeTableName)));
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
