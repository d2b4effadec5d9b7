#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "common/Form.h"

namespace orva {

class MachineConfig;
class UserPrompt;

enum class TableNameField : int { None = -1, Name = 0 };

// The "Table name" dialog: one field, preset with the current table's name,
// and the buttons OK and Cancel. Used by the "Current table" dialog to name a
// duplicate or a renamed table.
//
// OK checks, in this order, stopping at the first failure with a warning box
// (the dialog stays open): more than 25 characters ("Please enter no more than
// 25 characters."), a name already listed (exact comparison, so other letter
// case is accepted), an empty name, an unsafe name (Msg::UnsafeTableName).
// When all pass, the name becomes the current table and the list and the table
// configuration are marked modified; the dialog closes with OK. Cancel closes
// it without change.
class TableNameForm : public FormOf<TableNameField> {
 public:
  enum class Result { Open, Ok, Cancelled };
  static constexpr std::size_t kMaxLength = 25;

  TableNameForm(MachineConfig& config, UserPrompt& prompt);

  std::string title() const;
  std::span<const FieldInfo> fieldTable() const override;
  const std::string& name() const { return name_; }

  // OK is accepted when the dialog closed with OK.
  void cancel();
  Result result() const { return result_; }

 protected:
  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldEnabled(int field) const override;
  bool accept() override;

 private:
  bool fail(std::string message);

  MachineConfig& config_;
  UserPrompt& prompt_;
  std::string name_;
  Result result_ = Result::Open;
};

}  // namespace orva
