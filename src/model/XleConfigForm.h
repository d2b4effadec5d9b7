#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/Form.h"

namespace orva {

class CT1Doc;

// The boxes of the "X leading-edge configuration" dialog: a root and a tip
// column, each with alpha, beta, length l, upper height h1, lower height h2.
enum class XleField : int {
  None = -1,
  RootAlpha = 0,
  RootBeta,
  RootLength,
  RootH1,
  RootH2,
  TipAlpha,
  TipBeta,
  TipLength,
  TipH1,
  TipH2,
  Count
};

// The "X leading-edge configuration" dialog without its widgets, bound to the
// current panel's root and tip X leading-edge values.
//
// The two angle boxes of each column are disabled: their edits are
// refused and their values are kept as they are. OK reads the boxes in field
// order ("Please enter a number." for a text that is not a number; an angle
// outside -89..89 "Please enter a number between -89 and 89.") and stores the
// ten values; a box whose text was not changed keeps its value exactly.
class XleConfigForm : public FormOf<XleField> {
 public:
  explicit XleConfigForm(CT1Doc& doc);

  static std::string_view title();
  // The label of a row ("Alpha angle (degree)", ...), the same for both columns.
  static std::string_view label(XleField field);
  std::span<const FieldInfo> fieldTable() const override;

  // OK checks the boxes, stores the ten values, redraws and marks the project
  // modified; refused (a message was shown, nothing changed) when a check
  // failed. "Cancel": nothing changes.
  void cancel() {}

 protected:
  std::string fieldText(int field) const override { return texts_[static_cast<std::size_t>(field)]; }
  bool takeText(int field, std::string_view text) override;
  bool fieldEnabled(int field) const override;
  bool accept() override;

 private:
  static constexpr std::size_t kFields = static_cast<std::size_t>(XleField::Count);

  CT1Doc& doc_;
  int panelIndex_ = 0;
  std::array<double, kFields> shown_{};
  std::array<std::string, kFields> texts_;
  std::array<std::string, kFields> shownTexts_;
};

}  // namespace orva
