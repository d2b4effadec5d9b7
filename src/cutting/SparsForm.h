#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

#include "common/Form.h"
#include "model/Panel.h"

namespace orva {

class CT1Doc;
class UserPrompt;

// The controls of the Spars dialog, in the order of the record's fields.
enum class SparField : int {
  None = -1,
  Active = 0,         // check box
  DistanceInPercent,  // check box
  Label,
  Type,           // seven radio buttons: entry i is type i + 1
  WidthMode,      // three-state check box "Proportional width": entry i is mode i
  ThicknessMode,  // three-state check box "Proportional thickness"
  TipWidth,
  RootWidth,
  RootThickness,
  TipThickness,
  Distance,
  Rows,  // the list of the ten records: selecting a row
  Count
};

// The Spars dialog without its widgets: a list of the ten spar records of the
// current panel (icon by type, label) and the controls of the record being
// edited (the first one at opening).
//
// Live rules:
// - width mode 0 shows tip width = root width, mode 1 root width x tip chord /
//   root chord (root width when the root chord is not positive); in both the
//   tip width box is read-only; mode 2 makes it editable. The same for the
//   thickness. The derived box follows every edit of the root box.
// - Every control but "Active Spar" is enabled only when the record is active.
//   Type 7 (hinge) disables the distance and its percent box; types 3 and 4
//   (soles) disable both mode boxes and the tip thickness, and choosing one of
//   them sets width mode 1 and thickness mode 0.
//
// Storing the edited record (on selecting another row and on OK) reads the
// enabled number boxes in field order: "Please enter a number." for a text
// that is not a number, the distance "Please enter a number between 1 and
// 99."; the first refusal is shown as a warning, the focus goes to that box,
// and the record being edited stays selected. A disabled box is not checked
// and keeps its record value (so a hinge from an old file with a distance out
// of range can still be edited). A box whose text was not changed keeps its
// value exactly.
// Selecting a row (Rows) first stores the edited record; OK stores it and
// commits the ten records.
class SparsForm : public FormOf<SparField> {
 public:
  // Copies the current panel's ten records and its root and tip chords.
  explicit SparsForm(CT1Doc& doc);

  static std::string_view title();
  static std::string_view label(SparField field);
  // The caption of a type's radio button (two lines); empty outside 1..7.
  static std::string_view typeCaption(int type);
  std::span<const FieldInfo> fieldTable() const override;

  // The list: one row per record, as last stored.
  const std::string& rowLabel(int row) const;
  int rowType(int row) const;
  // The record being edited.
  int row() const { return row_; }

  // The type as stored (a type from a file outside 1..7 selects no entry).
  int type() const { return type_; }
  int widthMode() const { return widthMode_; }
  int thicknessMode() const { return thicknessMode_; }

  // User edits return false (and change nothing) when the control is
  // disabled or the value is not one the control can take. Selecting a row
  // stores the edited record, then loads the selected one; refused (the edited
  // record stays selected) when a box was refused.

  // The ten records as stored so far.
  const std::array<SparRecord, kSparCount>& records() const { return records_; }

  // "OK" stores the edited record, copies the ten records back into the
  // panel, marks the project modified when they changed and redraws; refused
  // (the dialog stays open, the panel unchanged) when a box was refused.
  // "Cancel": nothing changes.
  void cancel() {}

 protected:
  std::string fieldText(int field) const override;
  bool takeText(int field, std::string_view text) override;
  bool fieldChecked(int field) const override;
  bool takeChecked(int field, bool value) override;
  std::vector<std::string> fieldOptions(int field) const override;
  int fieldIndex(int field) const override;
  bool takeIndex(int field, int index) override;
  bool fieldEnabled(int field) const override;
  bool accept() override;

 private:
  static constexpr std::size_t kNumbers = 5;  // TipWidth .. Distance
  static std::size_t numberIndex(SparField field);

  void load(int row);
  bool store();
  bool readNumber(SparField field, double& value);
  void updateDerived();
  double liveNumber(SparField field) const;
  void setNumber(SparField field, double value);

  CT1Doc& doc_;
  UserPrompt& prompt_;
  int panelIndex_ = 0;
  double rootChord_ = 0.0;
  double tipChord_ = 0.0;
  std::array<SparRecord, kSparCount> records_{};
  int row_ = 0;

  bool active_ = false;
  bool distanceInPercent_ = false;
  std::string label_;
  int type_ = 1;
  int widthMode_ = 0;
  int thicknessMode_ = 0;
  std::array<std::string, kNumbers> texts_;
  std::array<std::string, kNumbers> shownTexts_;  // as loaded or derived
  std::array<double, kNumbers> shownValues_{};    // the values those texts stand for
};

}  // namespace orva
