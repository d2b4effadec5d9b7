#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "cutting/AuxiliaryCuts.h"
#include "cutting/AuxiliaryFormBase.h"
#include "motion/CutEnvironment.h"

namespace orva {

class CT1Doc;
class CutJob;

enum class FoamCutField : int {
  HeightOfCut = 0,
  Alpha,
  Horizontal,  // check box
  OffsetY,
  CutWidth,
  RaiseAtMaxSpeed,  // check box
  FoamType,         // list
  CutSpeed,
  Action,  // the action button
  Done,    // the "Done" button
  Count
};

// The "Foam Cut" dialog ("Vertical cut" command). Opening: height of cut =
// integer part of H + 5, alpha 0, vertical, Y offset and cut width 0, "Raise
// Wire at maximum speed" from ArmVMax. "Horizontal cut" enables the cut width
// and the Y offset and disables height and angle; unchecked, the reverse.
//
// The action button alternates: "Raise Wire" (first action) takes the wire
// to the top of the cut; once that ran, every other control is disabled, the
// caption becomes "Coupe", the interface is started, and the next press cuts
// back down to (0, y0) and returns to (0, 0), after which the controls are
// enabled again and the caption becomes "Armement". "Done" (OK; not while
// the wire is raised) stores the cut speed, the foam and ArmVMax (the table
// is not marked modified).
class FoamCutForm : public FormOf<FoamCutField, AuxiliaryFormBase> {
 public:
  explicit FoamCutForm(CT1Doc& doc);
  // A cut of the form still running is waited for (it reports to the form).
  ~FoamCutForm() override;
  FoamCutForm(const FoamCutForm&) = delete;
  FoamCutForm& operator=(const FoamCutForm&) = delete;

  static std::string_view title();
  static std::string_view label(Field field);
  std::span<const FieldInfo> fieldTable() const override;
  // "Raise Wire", "Coupe" or "Armement".
  std::string_view actionCaption() const;
  // Whether the next press of the action button cuts (the wire is raised).
  bool raised() const { return raised_; }
  // The execution flags of the next run: kFoamCutFirstFlags for the first run
  // after opening or after a failed run, kFoamCutFlags otherwise.
  int nextFlags() const { return lastRunFailed_ ? kFoamCutFirstFlags : kFoamCutFlags; }

  // The boxes in use now, checked in order; fills geometry() on success.
  bool validate();
  const FoamCutGeometry& geometry() const { return geometry_; }

  // The action button, returning once the cut runs on the job: nothing when
  // nothing was handed to the job (refused checks, heat or moves), otherwise
  // whether the job runs (the form follows its end). pressAction() waits for
  // the end and returns whether the action ran to its end.
  std::optional<bool> startAction(CutJob& job);
  bool pressAction(CutJob& job);
  // "Done": checks and stores the cut speed, the foam and ArmVMax. False when
  // the speed is refused or the wire is raised (the dialog stays open).
  bool done() { return static_cast<bool>(ok()); }

 protected:
  bool fieldEnabled(int field) const override;
  bool accept() override;

 private:
  std::optional<bool> raise(CutJob& job);
  std::optional<bool> cutDown(CutJob& job);

  CT1Doc& doc_;
  FoamCutGeometry geometry_;
  double speed_ = 0.0;
  bool raised_ = false;
  bool completedOnce_ = false;  // a cut down ran: the caption is "Armement"
  bool lastRunFailed_ = true;   // also before the first run
  CutJob* running_ = nullptr;   // the job while it runs a cut of the form
};

}  // namespace orva
