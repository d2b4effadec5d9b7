#pragma once

#include <span>
#include <string_view>

#include "cutting/AuxiliaryCuts.h"
#include "cutting/AuxiliaryFormBase.h"

namespace orva {

class CT1Doc;

enum class BlockShapingField : int {
  X0 = 0,
  BlockCentred,  // check box
  LeftAxisOffset,
  LeftWidth,
  RightWidth,
  Taper,
  Length,
  YDimension,
  FoamType,  // list
  CutSpeed,
  Count
};

// The "Block shaping" dialog of the current panel. Opening: X0 and "Block
// centered" from the panel; the left axis offset centred or the panel's root
// axis offset; widths and taper from the chords and margins (exchanged and
// the sweep negated for a left wing); length = span; Y dimension = the
// project's clearance, or the integer part of H + 20 when that is 0. While
// "Block centered" is set the left axis offset follows the length and cannot
// be edited. OK checks the boxes in order, then stores X0, the centred flag
// (also as the remembered choice) and the root axis offset into the panel,
// the length and the clearance into the project, the foam and the cut speed.
// OK validates and stores; refused when a check failed (nothing stored).
class BlockShapingForm : public FormOf<BlockShapingField, AuxiliaryFormBase> {
 public:
  BlockShapingForm(CT1Doc& doc, AuxiliaryCutValues& values, AuxiliaryCutSession& session);

  static std::string_view title();
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;

  // The checks of OK, with their messages; fills params() on success.
  bool validate();
  // The block of the last successful validate()/ok(), for RunBlockShaping.
  const BlockShapingParams& params() const { return params_; }

 protected:
  bool fieldReadOnly(int field) const override;
  void edited(int field) override;
  bool accept() override;

 private:
  void followLength();

  CT1Doc& doc_;
  AuxiliaryCutValues& values_;
  AuxiliaryCutSession& session_;
  BlockShapingParams params_;
  double speed_ = 0.0;
};

}  // namespace orva
