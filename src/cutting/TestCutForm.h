#pragma once

#include <span>
#include <string_view>

#include "cutting/AuxiliaryCuts.h"
#include "cutting/AuxiliaryFormBase.h"

namespace orva {

class CT1Doc;

enum class TestCutField : int {
  StartWithTop = 0,  // check box
  X0,
  BlockCentred,  // check box
  LeftAxisOffset,
  Spacing,
  NumberOfCuts,  // display
  YDimension,
  LeftWidth,
  RightWidth,
  Taper,
  Length,
  Height,
  FoamType,  // list
  CutSpeed,
  Heat,
  Count
};

// The "Test Cut" dialog. Opening: height = integer part of H; spacing, taper
// and widths from the project (left width: the root's chord and margins when
// 0; right width: the left width when 0); length from the project, or the
// integer part of span - 20 when 0; X0, centring and Y dimension as for block
// shaping; heat = the current heat; "Start with the top" as last chosen. The
// number of cuts follows height and spacing (not for a spacing of 0).
//
// OK checks the boxes in order ("Heat (%)" 1 to 99), then refuses a spacing
// below 1, a height that gives no slice, more than kMaxTestCuts slices and a
// width of 0 or less; then sets the heat (ApplyHeat), the foam and the cut
// speed, and stores X0, centring, root axis offset and H = height into the
// panel, length, clearance, taper, widths and spacing into the project, and
// the "Start with the top" choice.
class TestCutForm : public FormOf<TestCutField, AuxiliaryFormBase> {
 public:
  TestCutForm(CT1Doc& doc, AuxiliaryCutValues& values, AuxiliaryCutSession& session);

  static std::string_view title();
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;

  bool validate();
  const TestCutParams& params() const { return params_; }

 protected:
  bool fieldReadOnly(int field) const override;
  void edited(int field) override;
  bool accept() override;

 private:
  void followLength();
  void updateCount();

  CT1Doc& doc_;
  AuxiliaryCutValues& values_;
  AuxiliaryCutSession& session_;
  TestCutParams params_;
  double speed_ = 0.0;
  int heat_ = 0;
};

}  // namespace orva
