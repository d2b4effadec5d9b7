#pragma once

#include <string>
#include <string_view>

#include "common/Form.h"

namespace orva {

class CT1Doc;

enum class SplitPanelField : int { None = -1, Position = 0 };

// The "Panel split" dialog without its widgets: one field, "Position of the
// split in %", measured from the root, preset to 50.
//
// OK reads the field as a number ("Please enter a number." otherwise), checks
// 0 to 100 ("Please enter a number between 0 and 100."), each refusal shown as
// a warning with the dialog staying open; an accepted value splits the
// project's current panel (SplitCurrentPanel). Cancel changes nothing.
// OK validates, then splits the current panel; accepted when the dialog closes.
class SplitPanelForm : public FormOf<SplitPanelField> {
 public:
  explicit SplitPanelForm(CT1Doc& doc);

  static std::string_view title();
  static std::string_view label();
  std::span<const FieldInfo> fieldTable() const override;

  // The checks of OK, with their messages; changes nothing else.
  bool validate();
  // The position read by the last successful validation, in percent.
  double percent() const { return percent_; }

 protected:
  std::string fieldText(int) const override { return text_; }
  bool takeText(int, std::string_view text) override {
    text_ = text;
    return true;
  }
  bool accept() override;

 private:
  CT1Doc& doc_;
  std::string text_ = "50";
  double percent_ = 50.0;
};

}  // namespace orva
